#include "uilib/style/ULStyleContext.h"

#include "Foundation/NSClass.h"
#include "uilib/style/ULRectangleShape.h"

NS_CLASS_IMPLEMENTATION(ULStyleContext) {}

const ULShapePtr& ULStyleContext::shape() {
  if (!shape_) shape_ = ULRectangleShape::shape();
  return shape_;
}

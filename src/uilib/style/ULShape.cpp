#include "uilib/style/ULShape.h"

#include "Foundation/NSClass.h"
#include "UIKit/UIGraphics.h"
#include "uilib/style/ULShapePath.h"

NS_CLASS_IMPLEMENTATION(ULShape) {}

void ULShape::openPath(CGRect rect) const {
  CGContext* context = ULCurrentContext();
  if (!context) return;
  context->saveGState();
  context->translateCTM(CGRectGetMinX(rect), CGRectGetMinY(rect));
  context->beginPath();
}

void ULShape::closePath(CGRect rect) const {
  CGContext* context = ULCurrentContext();
  if (!context) return;
  context->closePath();
  context->restoreGState();
}

UIEdgeInsets ULShape::insetsForSize(CGSize) const {
  return UIEdgeInsetsZero;
}

#include "ui/framework/UIZMTapGR.h"

#include "Foundation/NSClass.h"
#include "UIKit/UIView.h"

CGPoint UIZMTapGR::getCurPoint() const {
  auto v = view();
  return locationInView(v.get());
}

NS_CLASS_IMPLEMENTATION(UIZMTapGR) {}

// The bar at the top of a navigation controller's view.  Items and drawing come later; for now
// it is a view of the platform's height.
#pragma once

#include "UIKit/UIView.h"

class UINavigationBar : public UIView {
  NS_CLASS(UINavigationBar, UIView)
 public:
  static constexpr CGFloat kHeight = 44;

  UINavigationBar() : UINavigationBar(CGRectZero) {}
  explicit UINavigationBar(CGRect frame) : UIView(frame) {}
};

// A plain view class of the widget kit with nothing of its own; the channel screens' bar is the
// tab view (UINaviTabView), not this.
#pragma once

#include "UIKit/UIView.h"

class UINaviTapView : public UIView {
  NS_CLASS(UINaviTapView, UIView)
 public:
  explicit UINaviTapView(CGRect frame = CGRectZero) : UIView(frame) {}
};

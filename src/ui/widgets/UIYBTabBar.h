// A plain view class of the widget kit's tab bars, with no behaviour of its own.
#pragma once

#include "UIKit/UIView.h"

class UIYBTabBar : public UIView {
  NS_CLASS(UIYBTabBar, UIView)
 public:
  using UIView::UIView;
};

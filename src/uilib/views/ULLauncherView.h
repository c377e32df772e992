// The launcher grid of the home screen, least stand-in: a view that pages horizontally when
// scrolling is enabled.  Its pages and tiles come with the UI library's views.
#pragma once

#include <string>

#include "UIKit/UIView.h"

class ULLauncherItem;

class ULLauncherView : public UIView {
  NS_CLASS(ULLauncherView, UIView)
 public:
  using UIView::UIView;

  bool scrollEnabled() const { return scrollEnabled_; }
  void setScrollEnabled(bool enabled) { scrollEnabled_ = enabled; }
  // The item's badge changed (nothing to redraw yet).
  void updateItemBadge(ULLauncherItem&) {}

 private:
  bool scrollEnabled_ = true;
};

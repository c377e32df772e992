// The process-wide message strip of the sharing screens.  What the screen framework uses of it
// so far: stopMessage, which hides the busy overlay (startAutoAnimationWithString schedules it
// to show the overlay for about a second).  The sharing screens give it its strip.
#pragma once

#include <memory>

#include "UIKit/UIView.h"

class UIMessageView : public UIView {
  NS_CLASS(UIMessageView, UIView)
 public:
  // Made once, on first use.
  static std::shared_ptr<UIMessageView> sharedMessageView();

  UIMessageView() : UIView(CGRectZero) {}

  // Hides the busy overlay.
  void stopMessage();
};

// The registration guide overlay, least stand-in until the account screens are built: a view of
// the frame it is made with, added to the window by the application delegate on the third
// launch without a platform account.
#pragma once

#include <memory>

#include "UIKit/UIView.h"

class UIRegGuideView : public UIView {
  NS_CLASS(UIRegGuideView, UIView)
 public:
  static std::shared_ptr<UIRegGuideView> initWithFrame(CGRect frame);
};

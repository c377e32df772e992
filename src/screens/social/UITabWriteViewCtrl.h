// The composer of a new status, a share, a topic post or a tip-off.  Until it is built: a
// titled, empty least screen that keeps the kind it was made for.
#pragma once

#include <memory>

#include "ui/framework/UILeastScreen.h"

class UITabWriteViewCtrl : public UILeastScreen {
  NS_CLASS(UITabWriteViewCtrl, UILeastScreen)
 public:
  UITabWriteViewCtrl() : UILeastScreen("写微博", "") {}
  // initWithType:: 0 new status, 1 share, 3 topic, 10 tip-off.
  static std::shared_ptr<UITabWriteViewCtrl> initWithType(int type);
  int type() const { return type_; }

 private:
  int type_ = 0;
};

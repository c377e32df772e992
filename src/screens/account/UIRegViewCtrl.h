// The registration profile screen (interface file "UIRegViewCtrl").  Until it is built: a titled,
// empty least screen.
#pragma once

#include <memory>

#include "ui/framework/UILeastScreen.h"

class UIRegViewCtrl : public UILeastScreen {
  NS_CLASS(UIRegViewCtrl, UILeastScreen)
 public:
  UIRegViewCtrl() : UILeastScreen("个人资料", "UIRegViewCtrl") {}
};

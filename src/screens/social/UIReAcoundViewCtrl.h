// The recommended-accounts screen (interface file "UIReAcoundViewCtrl").  Until it is built: a
// titled, empty least screen.
#pragma once

#include <memory>

#include "ui/framework/UILeastScreen.h"

class UIReAcoundViewCtrl : public UILeastScreen {
  NS_CLASS(UIReAcoundViewCtrl, UILeastScreen)
 public:
  UIReAcoundViewCtrl() : UILeastScreen("推荐帐号", "UIReAcoundViewCtrl") {}
};

// The settings screen (interface file "UISetupViewController").  Until it is built: a titled, empty
// least screen.
#pragma once

#include <memory>

#include "ui/framework/UILeastScreen.h"

class UISetupViewController : public UILeastScreen {
  NS_CLASS(UISetupViewController, UILeastScreen)
 public:
  UISetupViewController() : UILeastScreen("设置", "UISetupViewController") {}
};

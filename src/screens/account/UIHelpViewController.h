// The help screen, made with a plain init.  Until it is built: a titled, empty least screen.
#pragma once

#include <memory>

#include "ui/framework/UILeastScreen.h"

class UIHelpViewController : public UILeastScreen {
  NS_CLASS(UIHelpViewController, UILeastScreen)
 public:
  UIHelpViewController() : UILeastScreen("帮助", "") {}
};

// The personalised subscription editor, shown modally (interface file "UIModifyViewCtrl"); saving
// in it posts "new_channels_added" with type 84.  Until it is built: a titled, empty least screen.
#pragma once

#include <memory>

#include "ui/framework/UILeastScreen.h"

class UIModifyViewCtrl : public UILeastScreen {
  NS_CLASS(UIModifyViewCtrl, UILeastScreen)
 public:
  UIModifyViewCtrl() : UILeastScreen("定制频道", "UIModifyViewCtrl") {}
};

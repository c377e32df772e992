// The status search screen, shown modally (interface file "UISearchWeiboViewCtrl").  Until it is
// built: a titled, empty least screen.
#pragma once

#include <memory>

#include "ui/framework/UILeastScreen.h"

class UISearchWeiboViewCtrl : public UILeastScreen {
  NS_CLASS(UISearchWeiboViewCtrl, UILeastScreen)
 public:
  UISearchWeiboViewCtrl() : UILeastScreen("搜索微博", "UISearchWeiboViewCtrl") {}
};

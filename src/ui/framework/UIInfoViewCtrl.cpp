#include "ui/framework/UIInfoViewCtrl.h"

#include "Foundation/NSClass.h"
#include "model/User.h"
#include "ui/framework/StandInSink.h"

NS_CLASS_IMPLEMENTATION(UIInfoViewCtrl) {}

std::shared_ptr<UIInfoViewCtrl> UIInfoViewCtrl::initWithNibName(std::string nibName) {
  auto screen = std::make_shared<UIInfoViewCtrl>();
  screen->nibName_ = std::move(nibName);
  return screen;
}

void UIInfoViewCtrl::viewDidAppear(bool animated) {
  UIViewCtrl::viewDidAppear(animated);
  reportStandInEvent("UIInfoViewCtrl", "show", Value(item_));
}

#include "screens/social/UITabWriteViewCtrl.h"

#include "Foundation/NSClass.h"

std::shared_ptr<UITabWriteViewCtrl> UITabWriteViewCtrl::initWithType(int type) {
  auto screen = std::make_shared<UITabWriteViewCtrl>();
  screen->type_ = type;
  return screen;
}

NS_CLASS_IMPLEMENTATION(UITabWriteViewCtrl) {
  c.initializer("initWithType:", &UITabWriteViewCtrl::initWithType);
}

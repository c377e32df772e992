#include "ui/framework/UINaviCtrl.h"

#include "Foundation/NSClass.h"
#include "ui/framework/MyNavigationBar.h"
#include "ui/framework/UIYBToolBar.h"

UINaviCtrl::UINaviCtrl(std::shared_ptr<UIViewController> rootViewController)
    : UINavigationController(
          std::move(rootViewController), [] { return std::make_shared<MyNavigationBar>(); },
          [] { return std::make_shared<UIYBToolBar>(); }) {}

NS_CLASS_IMPLEMENTATION(UINaviCtrl) {}

// The application's navigation controller, the window's root from start to end: its bar is a
// MyNavigationBar and its tool bar a UIYBToolBar, both drawing the theme's images.  The app
// stays in portrait: the controller never lets the interface turn.
#pragma once

#include <memory>

#include "UIKit/UINavigationController.h"

class UINaviCtrl : public UINavigationController {
  NS_CLASS(UINaviCtrl, UINavigationController)
 public:
  UINaviCtrl() : UINaviCtrl(nullptr) {}
  explicit UINaviCtrl(std::shared_ptr<UIViewController> rootViewController);

  bool shouldAutorotate() override { return false; }
  // 26: portrait and both landscapes, never upside down.
  UIInterfaceOrientationMask supportedInterfaceOrientations() override {
    return UIInterfaceOrientationMaskAllButUpsideDown;
  }
};

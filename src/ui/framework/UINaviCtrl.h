// The application's navigation controller.  The screen framework will give it the app's own
// bar and transitions; until then it is the platform's navigation controller under the app's
// class name.
#pragma once

#include <memory>
#include <string>

#include "UIKit/UINavigationController.h"

class UINaviCtrl : public UINavigationController {
  NS_CLASS(UINaviCtrl, UINavigationController)
 public:
  using UINavigationController::UINavigationController;
};

#include "ui/framework/ApplicationWindow.h"

#include "UIKit/UIApplication.h"
#include "UIKit/UIWindow.h"

std::shared_ptr<UIWindow> applicationWindow() {
  auto app = UIApplication::sharedApplication();
  if (auto delegate = app->delegate())
    if (auto window = delegate->window()) return window;
  return app->keyWindow();
}

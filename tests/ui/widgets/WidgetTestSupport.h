// A shown window for the widget tests, on the virtual clock, in the day theme.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "UIKit/UIColor.h"
#include "UIKit/UIScreen.h"
#include "UIKit/UIViewController.h"
#include "UIKit/UIWindow.h"
#include "core/NSGlobe.h"
#include "support/MainLoop.h"

namespace widgettest {

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MainLoop::install();
    NSGlobe::getEngine()->setThemeNum(1);
    window = std::make_shared<UIWindow>(UIScreen::mainScreen()->bounds());
    window->setRootViewController(std::make_shared<UIViewController>());
    window->makeKeyAndVisible();
    MainLoop::advance(0.5);
  }
  std::shared_ptr<UIWindow> window;
};

inline bool sameColor(const std::shared_ptr<UIColor>& c, int r, int g, int b) {
  return c && std::lround(c->red() * 255) == r && std::lround(c->green() * 255) == g &&
         std::lround(c->blue() * 255) == b;
}

}  // namespace widgettest

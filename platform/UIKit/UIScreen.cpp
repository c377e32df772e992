#include "UIKit/UIScreen.h"

#include "UIKit/UIApplication.h"
#include "UIKit/UIDevice.h"

std::shared_ptr<UIScreen> UIScreen::mainScreen() {
  static auto screen = std::make_shared<UIScreen>();
  return screen;
}

CGRect UIScreen::bounds() const {
  UIDeviceProfile p = UIDevice::profile();
  return CGRectMake(0, 0, p.screenWidth, p.screenHeight);
}

CGRect UIScreen::applicationFrame() const {
  CGRect b = bounds();
  CGRect bar = UIApplication::sharedApplication()->statusBarArea();
  if (bar.size.width < b.size.width) {
    // A bar along a side edge.
    CGFloat x = bar.origin.x > 0 ? 0 : bar.size.width;
    return CGRectMake(x, 0, b.size.width - bar.size.width, b.size.height);
  }
  CGFloat y = bar.origin.y > 0 ? 0 : bar.size.height;
  return CGRectMake(0, y, b.size.width, b.size.height - bar.size.height);
}

CGFloat UIScreen::scale() const {
  return UIDevice::profile().screenScale;
}

UIScreenMode UIScreen::currentMode() const {
  CGRect b = bounds();
  CGFloat s = scale();
  return UIScreenMode{CGSizeMake(b.size.width * s, b.size.height * s)};
}

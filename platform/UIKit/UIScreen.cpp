#include "UIKit/UIScreen.h"

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
  return CGRectMake(0, 20, b.size.width, b.size.height - 20);
}

CGFloat UIScreen::scale() const {
  return UIDevice::profile().screenScale;
}

UIScreenMode UIScreen::currentMode() const {
  CGRect b = bounds();
  CGFloat s = scale();
  return UIScreenMode{CGSizeMake(b.size.width * s, b.size.height * s)};
}

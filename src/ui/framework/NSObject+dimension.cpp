#include "UIKit/UIApplication.h"
#include "UIKit/UIScreen.h"
#include "ui/framework/NSObject+dimension.h"

CGFloat statusbarHeight() {
  return UIApplication::sharedApplication()->statusBarFrame().size.height;
}

CGFloat screenWidth() {
  return UIScreen::mainScreen()->bounds().size.width;
}

CGFloat screenHeight() {
  return UIScreen::mainScreen()->bounds().size.height;
}

CGRect appFrame() {
  return UIScreen::mainScreen()->applicationFrame();
}

#include "uilib/screen/ULOrientation.h"

#include <cmath>

#include "UIKit/UIDevice.h"
#include "UIKit/UIScreen.h"

namespace {

std::function<UIInterfaceOrientation()>& fallback() {
  static std::function<UIInterfaceOrientation()> f;
  return f;
}

int number(UIInterfaceOrientation orientation) {
  return static_cast<int>(orientation);
}

bool isPortrait(UIInterfaceOrientation orientation) {
  return number(orientation) == 1 || number(orientation) == 2;
}

bool isLandscape(UIInterfaceOrientation orientation) {
  return number(orientation) == 3 || number(orientation) == 4;
}

}  // namespace

bool ULDeviceIsPad() {
  return UIDevice::currentDevice()->userInterfaceIdiom() == UIUserInterfaceIdiom::Pad;
}

bool ULOrientationIsSupported(UIInterfaceOrientation orientation) {
  if (ULDeviceIsPad()) return true;
  int o = number(orientation);
  return o >= 0 && o < 5 && ((0x1a >> o) & 1);
}

CGAffineTransform ULTransformForOrientation(UIInterfaceOrientation orientation) {
  switch (number(orientation)) {
    case 2:
      return CGAffineTransformMakeRotation(-M_PI);
    case 3:
      return CGAffineTransformMakeRotation(M_PI / 2);
    case 4:
      return CGAffineTransformMakeRotation(M_PI * 1.5);
    default:
      return CGAffineTransformIdentity;
  }
}

CGFloat ULToolbarHeightFor(UIInterfaceOrientation orientation) {
  if (isPortrait(orientation) || ULDeviceIsPad()) return 44;
  return 33;
}

CGFloat ULKeyboardHeightFor(UIInterfaceOrientation orientation) {
  if (ULDeviceIsPad()) return isPortrait(orientation) ? 264 : 352;
  return isPortrait(orientation) ? 216 : 160;
}

UIInterfaceOrientation ULCurrentOrientation() {
  UIInterfaceOrientation o = UIApplication::sharedApplication()->statusBarOrientation();
  if (number(o) != 0) return o;
  if (auto& f = fallback()) return f();
  return UIInterfaceOrientation::Portrait;
}

void ULSetCurrentOrientationFallback(std::function<UIInterfaceOrientation()> f) {
  fallback() = std::move(f);
}

CGRect ULOrientedScreenBounds() {
  CGRect bounds = UIScreen::mainScreen()->bounds();
  if (isLandscape(ULCurrentOrientation()))
    return CGRectMake(bounds.origin.x, bounds.origin.y, bounds.size.height, bounds.size.width);
  return bounds;
}

CGRect ULContentFrameBelowBar() {
  CGRect frame = UIScreen::mainScreen()->applicationFrame();
  return CGRectMake(0, 0, frame.size.width, frame.size.height - ULCurrentToolbarHeight());
}

CGRect ULContentFrameBetweenBars() {
  CGRect frame = UIScreen::mainScreen()->applicationFrame();
  return CGRectMake(0, 0, frame.size.width, frame.size.height - 2 * ULCurrentToolbarHeight());
}

CGRect ULContentFrameAboveKeyboard() {
  CGRect frame = ULContentFrameBelowBar();
  frame.size.height -= ULCurrentKeyboardHeight();
  return frame;
}

CGFloat ULStatusBarHeightFromFrame() {
  CGRect frame = UIScreen::mainScreen()->applicationFrame();
  switch (number(ULCurrentOrientation())) {
    case 4:
      return frame.origin.x;
    case 3:
      return -frame.origin.x;
    default:
      return frame.origin.y;
  }
}

CGFloat ULNavigationBarBottom() {
  CGRect bar = UIApplication::sharedApplication()->statusBarFrame();
  UIInterfaceOrientation o = ULCurrentOrientation();
  if (isPortrait(o)) return bar.size.height + 44;
  return bar.size.width + (ULDeviceIsPad() ? 44 : 33);
}

CGFloat ULCurrentToolbarHeight() {
  return ULToolbarHeightFor(ULCurrentOrientation());
}

CGFloat ULCurrentKeyboardHeight() {
  return ULKeyboardHeightFor(ULCurrentOrientation());
}

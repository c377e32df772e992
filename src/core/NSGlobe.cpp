#include "core/NSGlobe.h"

#include <cmath>
#include <cstdlib>

#include "CoreTelephony/CTTelephonyNetworkInfo.h"
#include "Foundation/LockedShared.h"
#include "Foundation/NSString.h"
#include "Foundation/NSTimer.h"
#include "UIKit/UIDevice.h"
#include "UIKit/UIScreen.h"
#include "core/NSObject+notification.h"
#include "core/NotificationNames.h"
#include "core/SharedUDID.h"
#include "core/UIBkImageView.h"
#include "core/UIFilePath.h"

namespace {

using SharedGlobe = LockedSingleton<NSGlobe>;

bool systemVersionAtLeast7() {
  return std::atof(UIDevice::currentDevice()->systemVersion().c_str()) >= 7.0;
}

bool isBlank(std::string_view text) {
  return stringByTrimmingCharactersInSet(text, NSCharacterSet::whitespaceAndNewlineCharacterSet())
      .empty();
}

bool isLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

}  // namespace

std::shared_ptr<NSGlobe> NSGlobe::allocWithZone() {
  // Recorded before init, so that init's own calls of getEngine get the instance being built.
  return SharedGlobe::alloc([](NSGlobe& globe) { globe.init(); });
}

std::shared_ptr<NSGlobe> NSGlobe::getEngine() {
  return SharedGlobe::shared([] { allocWithZone(); });
}

void NSGlobe::init() {
  changeFontSize();
  changeTheme();
  changePictureShow();
  isIphone4_ = checkIphone4();
  isIphone5_ = UIScreen::mainScreen()->bounds().size.height == 568;
}

void NSGlobe::changeFontSize() {
  // Text, name (bold), source and time sizes; the source line is always the name size - 2.
  int text = 15, name = 15, time = 12;
  switch (UIBkImageView::getIntCurSelect(6)) {
    case 0:
      text = 18, name = 17, time = 14;
      break;
    case 2:
      text = 14, name = 13, time = 10;
      break;
    default:
      break;
  }
  textFont_ = UIFont::systemFontOfSize(text);
  nameFont_ = UIFont::boldSystemFontOfSize(name);
  fromFont_ = UIFont::systemFontOfSize(name - 2);
  timeFont_ = UIFont::systemFontOfSize(time);
}

void NSGlobe::changeTheme() {
  themeNum_ = UIBkImageView::getCurThemeSelect();
  struct Rgb {
    double r, g, b;
  };
  static constexpr Rgb colours[] = {{0.12157, 0.53333, 0.41176},
                                    {0.43922, 0.67111, 0.60392},
                                    {0.47451, 0.34667, 0.10588},
                                    {0.34902, 0.41333, 0.58039}};
  if (themeNum_ >= 1 && themeNum_ <= 4) {
    const Rgb& c = colours[themeNum_ - 1];
    themeColor_ = UIColor::colorWithRed(c.r, c.g, c.b, 1);
  }
}

void NSGlobe::changePictureShow() {
  bool show = UIBkImageView::isShowPicture();
  showStatusPicture_ = show;
  showUserHead_ = show;
}

CGFloat NSGlobe::getLineHeight() const {
  return textFont_ ? textFont_->lineHeight() : 0;
}

void NSGlobe::startAnimation(const Value& timer) {
  Value info;
  if (auto t = timer.object<NSTimer>())
    info = t->userInfo();
  else
    info = timer;
  UIFilePath::startRemoveFileType(info[0].intValue());
  postNotification(kBindAccountOk, Value(), RequestType::CachesDeleted);
}

std::string NSGlobe::getDeviceVersion() {
  return UIDevice::hardwareMachine();
}

std::string NSGlobe::getDeviceName() {
  std::string machine = getDeviceVersion();
  if (machine.empty()) return "unKnownDevice";
  static const std::pair<std::string_view, std::string_view> names[] = {
      {"iPhone1,1", "iPhone1"},
      {"iPhone1,2", "iPhone3G"},
      {"iPhone2,1", "iPhone3GS"},
      {"iPhone3,1", "iPhone4"},
      {"iPhone3,3", "iPhone4"},
      {"iPhone4,1", "iPhone4S"},
      {"iPhone3,2", "Verizon iPhone 4"},
      {"iPod1,1", "iPodTouch1"},
      {"iPod2,1", "iPodTouch2"},
      {"iPod3,1", "iPodTouch3"},
      {"iPod4,1", "iPodTouch4"},
      {"iPad1,1", "iPad"},
      {"iPad2,1", "iPad2"},
      {"iPad2,2", "iPad2"},
      {"iPad2,3", "iPad2"},
      {"i386", "Simulator"},
      {"x86_64", "Simulator"},
  };
  for (const auto& [id, name] : names)
    if (machine == id) return std::string(name);
  return machine;
}

bool NSGlobe::checkIphone4() {
  std::string name = getDeviceName();
  if (name == "iPhone4" || name == "iPhone4S" || name == "iPodTouch4") return true;
  auto screen = UIScreen::mainScreen();
  return screen->bounds().size.width * screen->scale() > 320;
}

std::string NSGlobe::getIdentifierForVendor() {
  if (systemVersionAtLeast7()) return UIDevice::currentDevice()->identifierForVendor();
  return SharedUDID::value();
}

std::string NSGlobe::getMacAddressOrIdentifier() {
  if (systemVersionAtLeast7()) return UIDevice::currentDevice()->identifierForVendor();
  return getMacAddress();
}

std::string NSGlobe::getMacAddress() {
  auto mac = UIDevice::linkLevelAddress("en0");
  if (!mac) return "if_nametoindex failure";
  char text[13];
  std::snprintf(text, sizeof text, "%02X%02X%02X%02X%02X%02X", (*mac)[0], (*mac)[1], (*mac)[2],
                (*mac)[3], (*mac)[4], (*mac)[5]);
  return text;
}

std::string NSGlobe::getTelCompany() {
  auto carrier = CTTelephonyNetworkInfo().subscriberCellularProvider();
  if (!carrier) return "0";
  if (carrier->isoCountryCode == "cn") {
    if (carrier->mobileNetworkCode == "02") return "1";
    if (carrier->mobileNetworkCode == "01") return "2";
    if (carrier->mobileNetworkCode == "03") return "3";
  }
  const std::string& name = carrier->carrierName;
  if (utf16Length(name) > 40) return substringToIndex(name, 39);
  return name;
}

bool NSGlobe::isEmailAddress(std::optional<std::string_view> text) {
  if (!text || text->empty() || text->find('@') == std::string_view::npos) return false;
  // The whole text must match [A-Z0-9a-z._%+-]+@[A-Za-z0-9.-]+\.[A-Za-z]{2,4}.  The top-level
  // label holds no ".", so it is what follows the domain's last dot.
  std::string_view t = *text;
  size_t at = t.find('@');
  std::string_view local = t.substr(0, at), domain = t.substr(at + 1);
  if (local.empty()) return false;
  for (char c : local)
    if (!(isLetter(c) || isDigit(c) || c == '.' || c == '_' || c == '%' || c == '+' || c == '-'))
      return false;
  size_t dot = domain.rfind('.');
  if (dot == std::string_view::npos || dot == 0) return false;
  for (char c : domain.substr(0, dot))
    if (!(isLetter(c) || isDigit(c) || c == '.' || c == '-')) return false;
  std::string_view top = domain.substr(dot + 1);
  if (top.size() < 2 || top.size() > 4) return false;
  for (char c : top)
    if (!isLetter(c)) return false;
  return true;
}

bool NSGlobe::isMobilePhone(std::optional<std::string_view> text) {
  if (!text || text->size() != 11) return false;
  for (char c : *text)
    if (!isDigit(c)) return false;
  char second = (*text)[1];
  return (*text)[0] == '1' && (second == '3' || second == '5' || second == '8');
}

int NSGlobe::convertToInt(std::optional<std::string_view> text) {
  if (!text || isBlank(*text)) return 0;
  int wide = 0, narrow = 0;
  for (unsigned char c : *text) {
    if (c >= 0x80)
      ++wide;
    else if (c >= 0x20 && c <= 0x7E)
      ++narrow;
  }
  return wide / 3 + (narrow + 1) / 2;
}

void NSGlobe::startDelAnimation(const Value& arguments) {
  auto globe = getEngine();
  NSTimer::scheduledTimerWithTimeInterval(
      0.1, selector(std::weak_ptr<NSGlobe>(globe), &NSGlobe::startAnimation, "startAnimation:"),
      arguments, false);
}

bool TTimer::searchContain(std::optional<std::string_view> text, std::string_view searchText) {
  if (!text) return true;
  return rangeOfString(*text, searchText).location != NSNotFound;
}

bool TTimer::searchResult(std::string_view text, std::string_view searchText) {
  if (utf16Length(text) < utf16Length(searchText)) return false;
  return hasPrefixCaseInsensitive(text, searchText);
}

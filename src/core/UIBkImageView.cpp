#include "core/UIBkImageView.h"

#include <cstdio>

#include "Foundation/NSBundle.h"
#include "Foundation/NSUserDefaults.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIImage.h"
#include "core/NSGlobe.h"
#include "core/UIFilePath.h"

namespace {

auto defaults() {
  return NSUserDefaults::standardUserDefaults();
}

long storedInt(std::string_view key) {
  return defaults()->integerForKey(key);
}

bool isMissing(std::string_view key) {
  return defaults()->objectForKey(key).isNil();
}

void store(std::string_view key, long value) {
  defaults()->setInteger(value, key);
  defaults()->synchronize();
}

// The seeding rules, changing the defaults in memory only.
void seedKey(std::string_view key) {
  if (isMissing(key) || storedInt(key) <= 0) defaults()->setInteger(1, key);
}
void seedIntKey(std::string_view key) {
  if (isMissing(key)) defaults()->setInteger(1, key);
}
void seedFlag(std::string_view key) {
  if (isMissing(key)) defaults()->setBool(true, key);
}
void seedCheckFrequency() {
  if (isMissing(kMessageFrequencyKey)) defaults()->setInteger(300, kMessageFrequencyKey);
}

// The on/off setting of a type.
std::string_view onOffKey(int type) {
  switch (type) {
    case 1:
      return kSendWeiboKey;
    case 2:
      return kResendWeiboKey;
    case 3:
      return kReadHeadShowKey;
    case 4:
      return kReadPicShowKey;
    case 8:
      return kShakeKey;
    case 9:
      return kVoiceKey;
    case 10:
      return kWifiKey;
    default:
      return {};
  }
}

std::string_view multiValueKey(int type) {
  switch (type) {
    case 4:
      return kReadPicShowKey;
    case 5:
      return kUploadImageKey;
    case 6:
      return kReadFontSizeKey;
    case 7:
      return kNaviToolBarThemeKey;
    default:
      return {};
  }
}

std::string format(const char* fmt, int value) {
  char buf[64];
  std::snprintf(buf, sizeof buf, fmt, value);
  return buf;
}

// The bundle image as the image loader finds it: "@2x.png" on a retina screen when present,
// else ".png"; empty when neither exists.
std::string bundleImage(std::string_view name) {
  auto bundle = NSBundle::mainBundle();
  if (NSGlobe::getEngine()->isIphone4()) {
    std::string retina = bundle->pathForResource(std::string(name) + "@2x", "png");
    if (!retina.empty()) return retina;
  }
  return bundle->pathForResource(name, "png");
}

}  // namespace

void UIBkImageView::defaultSet() {
  for (auto key : {kBkViewKey, kShakeKey, kVoiceKey, kWifiKey, kSendWeiboKey, kReadHeadShowKey,
                   kMainBackgroundImageKey})
    seedKey(key);
  for (auto key : {kUploadImageKey, kReadFontSizeKey, kNaviToolBarThemeKey, kReadPicShowKey})
    seedIntKey(key);
  seedFlag(kNeedSaveAccountKey);
  seedCheckFrequency();
}

void UIBkImageView::setDefaultKey(std::string_view key) {
  seedKey(key);
  defaults()->synchronize();
}

void UIBkImageView::setDefaultIntKey(std::string_view key) {
  seedIntKey(key);
  defaults()->synchronize();
}

void UIBkImageView::setUserAccountDefaultWithKey(std::string_view key) {
  seedFlag(key);
  defaults()->synchronize();
}

void UIBkImageView::setWeiboCheckFrequency() {
  seedCheckFrequency();
  defaults()->synchronize();
}

void UIBkImageView::setDefaultKey(std::string_view key, long value) {
  if (storedInt(key) != value) store(key, value);
}

void UIBkImageView::changeCurSelect(bool on, int type) {
  std::string_view key = onOffKey(type);
  if (!key.empty()) store(key, on ? 1 : 2);
}

bool UIBkImageView::getCurSelect(int type) {
  // Picture mode is written here but read as a multi-value setting.
  if (type == 4) return false;
  std::string_view key = onOffKey(type);
  return !key.empty() && storedInt(key) == 1;
}

void UIBkImageView::changeCurIntSelect(int value, int type) {
  switch (type) {
    case 4:
      store(kReadPicShowKey, value);
      NSGlobe::getEngine()->changePictureShow();
      break;
    case 6:
      store(kReadFontSizeKey, value);
      NSGlobe::getEngine()->changeFontSize();
      break;
    case 5:
      store(kUploadImageKey, value);
      break;
    default:
      break;
  }
}

int UIBkImageView::getIntCurSelect(int type) {
  std::string_view key = multiValueKey(type);
  return key.empty() ? 0 : int(storedInt(key));
}

int UIBkImageView::getCurThemeSelect() {
  return getIntCurSelect(7);
}

float UIBkImageView::getPressImageIndex() {
  switch (storedInt(kUploadImageKey)) {
    case 0:
      return 0.9f;
    case 1:
      return 0.6f;
    case 2:
      return 0.3f;
    default:
      return 0.1f;
  }
}

bool UIBkImageView::isShowPicture() {
  if (!getCurSelect(10)) return true;
  return NSGlobe::getEngine()->curNetStatus() == 1;
}

void UIBkImageView::setThemeBarImage(int theme) {
  store(kNaviToolBarThemeKey, theme);
  NSGlobe::getEngine()->changeTheme();
}

std::string UIBkImageView::mainBackgroundImage() {
  long n = storedInt(kMainBackgroundImageKey);
  if (n == 0) return "mainBackground1.jpg";
  if (n == 10) return UIFilePath::getMainBackGroundImagePath(10);
  return format("mainBackground%d.jpg", int(n));
}

void UIBkImageView::setMainBackgroundImage(int index) {
  store(kMainBackgroundImageKey, index);
}

std::string UIBkImageView::mainNavigationImage() {
  long n = isMissing(kMainNavigationImageKey) ? 1 : storedInt(kMainNavigationImageKey);
  if (n == 1) return "themeNavigation0";
  if (n == 10) return "themeNavigation2";
  if (n == 11) return "themeNavigation3";
  return format("mainNavigation%d", int(n));
}

void UIBkImageView::setMainNavigationImage(int index) {
  store(kMainNavigationImageKey, index);
}

int UIBkImageView::getCurSelect() {
  return int(storedInt(kBkViewKey));
}

void UIBkImageView::changeCurSelect(int value) {
  setDefaultKey(kBkViewKey, value);
}

std::shared_ptr<UIColor> UIBkImageView::getTintColor() {
  if (storedInt(kNaviToolBarThemeKey) < 2)
    return UIColor::colorWithRed(239 / 255.0, 239 / 255.0, 239 / 255.0, 1);
  return UIColor::colorWithRed(66 / 255.0, 74 / 255.0, 82 / 255.0, 1);
}

std::shared_ptr<UIColor> UIBkImageView::getFontColor() {
  if (NSGlobe::getEngine()->themeNum() == 1) return UIColor::blackColor();
  return UIColor::colorWithRed(192 / 255.0, 220 / 255.0, 222 / 255.0, 1);
}

std::shared_ptr<UIColor> UIBkImageView::getBkColor() {
  bool day = NSGlobe::getEngine()->themeNum() == 1;
  return UIColor::colorWithPatternImage(
      UIImage::imageWithContentsOfFile(bundleImage(day ? "bkcolor1" : "bkcolor2")));
}

std::string UIBkImageView::backgroundThemeImage() {
  return NSGlobe::getEngine()->getCurThemeSelect() == 1 ? "bkcolor1" : "bkcolor2";
}

std::string UIBkImageView::navigationThemeImage() {
  long theme = storedInt(kNaviToolBarThemeKey);
  if (theme == 1 || theme == 2) return "topBar";
  return format("mainNavigation%d", int(theme - 1));
}

std::string UIBkImageView::tabBarThemeImage() {
  return storedInt(kNaviToolBarThemeKey) == 2 ? "topBar_theme1" : "aboutBar";
}

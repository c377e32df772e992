// The process-wide state every screen consults: reading fonts from the font-size setting,
// theme number and colour, picture mode, device flags, the channel on screen, network status,
// the advert-closed flag and request source fields; and device and validation helpers.
#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "CoreGraphics/CGGeometry.h"
#include "Foundation/NSObject.h"
#include "Foundation/Value.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIFont.h"

class NSGlobe : public NSObject {
 public:
  // The singleton, created on first use.
  static std::shared_ptr<NSGlobe> getEngine();
  // A second creation is refused: nullptr once the instance exists.
  static std::shared_ptr<NSGlobe> allocWithZone();

  // Recompute from the settings.
  void changeFontSize();
  void changeTheme();
  void changePictureShow();

  std::shared_ptr<UIColor> getThemeColor() const { return themeColor_; }
  int getCurThemeSelect() const { return themeNum_; }
  // The leading of textFont.
  CGFloat getLineHeight() const;

  std::shared_ptr<UIFont> textFont() const { return textFont_; }
  std::shared_ptr<UIFont> nameFont() const { return nameFont_; }
  std::shared_ptr<UIFont> fromFont() const { return fromFont_; }
  std::shared_ptr<UIFont> timeFont() const { return timeFont_; }
  void setTextFont(std::shared_ptr<UIFont> f) { textFont_ = std::move(f); }
  void setNameFont(std::shared_ptr<UIFont> f) { nameFont_ = std::move(f); }
  void setFromFont(std::shared_ptr<UIFont> f) { fromFont_ = std::move(f); }
  void setTimeFont(std::shared_ptr<UIFont> f) { timeFont_ = std::move(f); }
  int themeNum() const { return themeNum_; }
  void setThemeNum(int n) { themeNum_ = n; }
  std::shared_ptr<UIColor> themeColor() const { return themeColor_; }
  void setThemeColor(std::shared_ptr<UIColor> c) { themeColor_ = std::move(c); }
  bool showStatusPicture() const { return showStatusPicture_; }
  void setShowStatusPicture(bool b) { showStatusPicture_ = b; }
  bool showUserHead() const { return showUserHead_; }
  void setShowUserHead(bool b) { showUserHead_ = b; }
  const std::string& curChannel() const { return curChannel_; }
  void setCurChannel(std::string channel) { curChannel_ = std::move(channel); }
  int curNetStatus() const { return curNetStatus_; }
  void setCurNetStatus(int status) { curNetStatus_ = status; }
  bool isAdClose() const { return isAdClose_; }
  void setIsAdClose(bool b) { isAdClose_ = b; }
  const std::string& sourceInfo() const { return sourceInfo_; }
  void setSourceInfo(std::string s) { sourceInfo_ = std::move(s); }
  const std::string& sourceIds() const { return sourceIds_; }
  void setSourceIds(std::string s) { sourceIds_ = std::move(s); }
  int locationState() const { return locationState_; }
  void setLocationState(int s) { locationState_ = s; }
  CGPoint curLocation() const { return curLocation_; }
  void setCurLocation(CGPoint p) { curLocation_ = p; }
  bool isIphone4() const { return isIphone4_; }
  bool isIphone5() const { return isIphone5_; }

  // Timer callback of startDelAnimation: deletes the cache group named by the first element
  // of the timer's user info, then posts "bind_account_ok" (type 122) so account-aware screens
  // refresh.
  void startAnimation(const Value& timer);

  // The "hw.machine" identifier.
  static std::string getDeviceVersion();
  static std::string getDeviceName();
  static bool checkIphone4();
  static std::string getIdentifierForVendor();
  static std::string getMacAddressOrIdentifier();
  static std::string getMacAddress();
  static std::string getTelCompany();
  static bool isEmailAddress(std::optional<std::string_view> text);
  static bool isMobilePhone(std::optional<std::string_view> text);
  // Display length: one CJK character or two ASCII characters count 1.
  static int convertToInt(std::optional<std::string_view> text);
  // startAnimation on the singleton 0.1 s later, with the array as the timer's user info.
  static void startDelAnimation(const Value& arguments);

  NSGlobe() = default;

 private:
  void init();

  std::shared_ptr<UIFont> textFont_, nameFont_, fromFont_, timeFont_;
  int themeNum_ = 0;
  std::shared_ptr<UIColor> themeColor_;
  bool showStatusPicture_ = false;
  bool showUserHead_ = false;
  std::string curChannel_;
  int curNetStatus_ = 0;
  bool isAdClose_ = false;
  std::string sourceInfo_, sourceIds_;
  int locationState_ = 0;
  CGPoint curLocation_{};
  bool isIphone4_ = false;
  bool isIphone5_ = false;
};

// A link token of the rich-text labels: the label views showing its pieces on up to three
// lines, and its kind (1 a web link, 2 an @name).
class NSLabelsItem : public NSObject {
 public:
  std::shared_ptr<NSObject> upLabel;
  std::shared_ptr<NSObject> middleLabel;
  std::shared_ptr<NSObject> downLabel;
  int itemType = 0;
};

// Search predicates of the friend and topic pickers.
class TTimer {
 public:
  // YES when the text contains the search text; a missing text counts as containing it.
  static bool searchContain(std::optional<std::string_view> text, std::string_view searchText);
  // YES when the text begins with the search text, compared case-insensitively.
  static bool searchResult(std::string_view text, std::string_view searchText);
};

// The model of one entry of a launcher grid: title, image, identity, style and badge.
#pragma once

#include <optional>
#include <string>

#include "Foundation/NSObject.h"
#include "Foundation/Value.h"

class ULLauncherItem : public NSObject {
 public:
  ULLauncherItem() = default;
  ULLauncherItem(std::string title, std::string image, std::string URL, bool canDelete = false);

  const std::string& title() const { return title_; }
  void setTitle(std::string title) { title_ = std::move(title); }
  const std::string& image() const { return image_; }
  void setImage(std::string image) { image_ = std::move(image); }
  // Identity of the item; selecting an item without one does nothing.
  const std::string& URL() const { return URL_; }
  void setURL(std::string URL) { URL_ = std::move(URL); }
  const std::string& style() const { return style_; }
  void setStyle(std::string style) { style_ = std::move(style); }
  bool canDelete() const { return canDelete_; }
  void setCanDelete(bool canDelete) { canDelete_ = canDelete; }
  const Value& userInfo() const { return userInfo_; }
  void setUserInfo(Value userInfo) { userInfo_ = std::move(userInfo); }

  // Badge text; none hides the badge.
  const std::optional<std::string>& badgeValue() const { return badgeValue_; }
  void setBadgeValue(std::optional<std::string> badgeValue) { badgeValue_ = std::move(badgeValue); }
  // The badge text read as a number; 0 clears the badge.
  int badgeNumber() const;
  void setBadgeNumber(int number);

 private:
  std::string title_;
  std::string image_;
  std::string URL_;
  std::string style_;
  std::optional<std::string> badgeValue_;
  bool canDelete_ = false;
  Value userInfo_;
};

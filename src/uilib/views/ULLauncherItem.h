// The model of one entry of a launcher grid: title, image, identity, style, badge and whether
// the reader may delete it.  The launcher (ULLauncherView) shows one button per item and sets
// itself as the item's launcher while the item is in its pages.
//
// What callers rely on:
// - URL is the item's identity: a launcher holds one item per URL, and selecting an item
//   without one does nothing.
// - setBadgeValue (and setBadgeNumber) always ask the item's launcher to refresh the badge,
//   even for an unchanged value; an item outside a launcher just keeps the value.
// - badgeNumber is the badge text read as an integer (0 without a badge); setBadgeNumber(0)
//   clears the badge, any other number sets its decimal text.
// - encodeWithCoder keeps title, image, URL, style (objects) and canDelete (a boolean) under
//   the keys "title", "image", "URL", "style", "canDelete"; the badge, the user information and
//   the launcher are not kept.  initWithCoder reads them back (missing keys: empty, NO).
//   The same keys go through a keyed archive (NSKeyedArchiver), where a subclass comes back as
//   itself.
// Main thread only.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "Foundation/NSKeyedArchiver.h"
#include "Foundation/NSObject.h"
#include "Foundation/Value.h"

class ULLauncherView;

class ULLauncherItem : public NSObject, public NSCoding {
  NS_CLASS(ULLauncherItem, NSObject)
 public:
  ULLauncherItem() = default;
  // initWithTitle:image:URL: / initWithTitle:image:URL:canDelete:
  ULLauncherItem(std::string title, std::string image, std::string URL, bool canDelete = false);
  // initWithTitle:image:URL:style: (canDelete NO).
  static std::shared_ptr<ULLauncherItem> initWithTitleImageURLStyle(std::string title,
                                                                    std::string image,
                                                                    std::string URL,
                                                                    std::string style);
  ~ULLauncherItem() override = default;

  const std::string& title() const { return title_; }
  void setTitle(std::string title) { title_ = std::move(title); }
  const std::string& image() const { return image_; }
  void setImage(std::string image) { image_ = std::move(image); }
  // Identity of the item; selecting an item without one does nothing.
  const std::string& URL() const { return URL_; }
  void setURL(std::string URL) { URL_ = std::move(URL); }
  // Style sheet method name; empty: "launcherButton:".
  const std::string& style() const { return style_; }
  void setStyle(std::string style) { style_ = std::move(style); }
  bool canDelete() const { return canDelete_; }
  void setCanDelete(bool canDelete) { canDelete_ = canDelete; }
  const Value& userInfo() const { return userInfo_; }
  void setUserInfo(Value userInfo) { userInfo_ = std::move(userInfo); }

  // Badge text; none hides the badge.
  const std::optional<std::string>& badgeValue() const { return badgeValue_; }
  void setBadgeValue(std::optional<std::string> badgeValue);
  // The badge text read as a number; 0 clears the badge.
  int badgeNumber() const;
  void setBadgeNumber(int number);

  // The launcher that shows the item (not kept alive); set by the launcher.
  std::shared_ptr<ULLauncherView> launcher() const { return launcher_.lock(); }
  void setLauncher(std::weak_ptr<ULLauncherView> launcher) { launcher_ = std::move(launcher); }

  // The keyed archive of the item, as a dictionary of its keys.
  virtual void encodeWithCoder(Value& coder) const;
  // initWithCoder:
  static std::shared_ptr<ULLauncherItem> initWithCoder(const Value& coder);
  // NSCoding.
  void encodeWithCoder(NSKeyedArchiver& coder) const override;
  void initWithCoder(const NSKeyedUnarchiver& coder) override;

 protected:
  void decodeFrom(const Value& coder);

 private:
  std::string title_;
  std::string image_;
  std::string URL_;
  std::string style_;
  std::optional<std::string> badgeValue_;
  bool canDelete_ = false;
  Value userInfo_;
  std::weak_ptr<ULLauncherView> launcher_;
};

using ULLauncherItemPtr = std::shared_ptr<ULLauncherItem>;

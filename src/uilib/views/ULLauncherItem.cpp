#include "uilib/views/ULLauncherItem.h"

#include "Foundation/NSClass.h"
#include "uilib/views/ULLauncherView.h"

namespace {
constexpr const char* kTitleKey = "title";
constexpr const char* kImageKey = "image";
constexpr const char* kURLKey = "URL";
constexpr const char* kStyleKey = "style";
constexpr const char* kCanDeleteKey = "canDelete";
}  // namespace

ULLauncherItem::ULLauncherItem(std::string title, std::string image, std::string URL,
                               bool canDelete)
    : title_(std::move(title)),
      image_(std::move(image)),
      URL_(std::move(URL)),
      canDelete_(canDelete) {}

std::shared_ptr<ULLauncherItem> ULLauncherItem::initWithTitleImageURLStyle(std::string title,
                                                                           std::string image,
                                                                           std::string URL,
                                                                           std::string style) {
  auto item =
      std::make_shared<ULLauncherItem>(std::move(title), std::move(image), std::move(URL), false);
  item->setStyle(std::move(style));
  return item;
}

void ULLauncherItem::setBadgeValue(std::optional<std::string> badgeValue) {
  if (badgeValue != badgeValue_) badgeValue_ = std::move(badgeValue);
  if (auto launcher = launcher_.lock()) launcher->updateItemBadge(*this);
}

int ULLauncherItem::badgeNumber() const {
  return badgeValue_ ? Value(*badgeValue_).intValue() : 0;
}

void ULLauncherItem::setBadgeNumber(int number) {
  if (number == 0) {
    setBadgeValue(std::nullopt);
  } else {
    setBadgeValue(std::to_string(number));
  }
}

void ULLauncherItem::encodeWithCoder(Value& coder) const {
  if (!coder.isDictionary()) coder = Value::dictionaryOf();
  auto dict = coder.dictionary();
  dict->setObject(Value(title_), kTitleKey);
  dict->setObject(Value(image_), kImageKey);
  dict->setObject(Value(URL_), kURLKey);
  dict->setObject(Value(style_), kStyleKey);
  dict->setObject(Value(canDelete_), kCanDeleteKey);
}

void ULLauncherItem::decodeFrom(const Value& coder) {
  title_ = coder[kTitleKey].string();
  image_ = coder[kImageKey].string();
  URL_ = coder[kURLKey].string();
  style_ = coder[kStyleKey].string();
  canDelete_ = coder[kCanDeleteKey].boolValue();
}

void ULLauncherItem::encodeWithCoder(NSKeyedArchiver& coder) const {
  Value keys;
  encodeWithCoder(keys);
  for (const char* key : {kTitleKey, kImageKey, kURLKey, kStyleKey})
    coder.encodeObject(keys[key], key);
  coder.encodeBool(canDelete_, kCanDeleteKey);
}

void ULLauncherItem::initWithCoder(const NSKeyedUnarchiver& coder) {
  ValueDictionary keys = makeDictionary();
  for (const char* key : {kTitleKey, kImageKey, kURLKey, kStyleKey})
    keys->setObject(coder.decodeObjectForKey(key), key);
  keys->setObject(Value(coder.decodeBoolForKey(kCanDeleteKey)), kCanDeleteKey);
  decodeFrom(Value(keys));
}

std::shared_ptr<ULLauncherItem> ULLauncherItem::initWithCoder(const Value& coder) {
  auto item = std::make_shared<ULLauncherItem>();
  item->decodeFrom(coder);
  return item;
}

NS_CLASS_IMPLEMENTATION(ULLauncherItem) {
  c.property("title", &ULLauncherItem::title, &ULLauncherItem::setTitle);
  c.property("URL", &ULLauncherItem::URL, &ULLauncherItem::setURL);
  c.property("badgeNumber", &ULLauncherItem::badgeNumber, &ULLauncherItem::setBadgeNumber);
}

#include "uilib/views/ULLauncherItem.h"

ULLauncherItem::ULLauncherItem(std::string title, std::string image, std::string URL,
                               bool canDelete)
    : title_(std::move(title)),
      image_(std::move(image)),
      URL_(std::move(URL)),
      canDelete_(canDelete) {}

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

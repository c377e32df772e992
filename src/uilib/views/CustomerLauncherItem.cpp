#include "uilib/views/CustomerLauncherItem.h"

#include <string>

#include "Foundation/NSClass.h"

CustomerLauncherItem::CustomerLauncherItem(ChannelItemPtr channelItem, bool canDelete)
    : ULLauncherItem("", "", std::to_string(channelItem ? channelItem->type : 0), canDelete),
      channelItem_(std::move(channelItem)) {}

std::shared_ptr<CustomerLauncherItem> CustomerLauncherItem::initWithChannelItem(
    ChannelItemPtr channelItem, bool canDelete) {
  return std::make_shared<CustomerLauncherItem>(std::move(channelItem), canDelete);
}

NS_CLASS_IMPLEMENTATION(CustomerLauncherItem) {}

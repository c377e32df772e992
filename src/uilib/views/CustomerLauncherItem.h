// A tile of the home grid: a launcher item that holds the channel it opens.
#pragma once

#include <memory>

#include "model/ChannelItem.h"
#include "uilib/views/ULLauncherItem.h"

class CustomerLauncherItem : public ULLauncherItem, public ChannelItemCarrier {
 public:
  CustomerLauncherItem() = default;
  // The item's identity is the channel number; title, image and style stay empty.
  CustomerLauncherItem(ChannelItemPtr channelItem, bool canDelete);
  static std::shared_ptr<CustomerLauncherItem> initWithChannelItem(ChannelItemPtr channelItem,
                                                                   bool canDelete);

  ChannelItemPtr channelItem() const override { return channelItem_; }
  void setChannelItem(ChannelItemPtr channelItem) { channelItem_ = std::move(channelItem); }

 private:
  ChannelItemPtr channelItem_;
};

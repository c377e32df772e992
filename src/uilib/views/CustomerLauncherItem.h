// A tile of the home grid: a launcher item that holds the channel it opens.  Its identity (URL)
// is the channel number in decimal; title, image and style stay empty, so the launcher button
// draws the tile from the channel record itself.  The catalogue reads the records back through
// channelItem when it saves the grid's order.
#pragma once

#include <memory>

#include "model/ChannelItem.h"
#include "uilib/views/ULLauncherItem.h"

class CustomerLauncherItem : public ULLauncherItem, public ChannelItemCarrier {
  NS_CLASS(CustomerLauncherItem, ULLauncherItem)
 public:
  CustomerLauncherItem() = default;
  // initWithChannelItem:canDelete: (the home screen passes NO: tiles have no close button).
  CustomerLauncherItem(ChannelItemPtr channelItem, bool canDelete);
  static std::shared_ptr<CustomerLauncherItem> initWithChannelItem(ChannelItemPtr channelItem,
                                                                   bool canDelete);

  ChannelItemPtr channelItem() const override { return channelItem_; }
  void setChannelItem(ChannelItemPtr channelItem) { channelItem_ = std::move(channelItem); }

 private:
  ChannelItemPtr channelItem_;
};

using CustomerLauncherItemPtr = std::shared_ptr<CustomerLauncherItem>;

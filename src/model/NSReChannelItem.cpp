#include "model/NSReChannelItem.h"

void NSReChannelItem::setChannelid(int32_t channelid) {
  channelid_ = channelid;
  imgName = channelid == 1000 ? std::string("all") : "iconID" + std::to_string(channelid);
}

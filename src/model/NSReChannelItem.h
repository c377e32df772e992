// A recommended channel.
#pragma once

#include <cstdint>
#include <string>

#include "Foundation/NSObject.h"

struct NSReChannelItem : NSObject {
  std::string description;
  std::string name;
  int32_t sortOrder = 0;
  std::string imgName;  // the icon image name

  int32_t channelid() const { return channelid_; }
  // Also names the channel's icon: "all" for the whole-site channel 1000, else "iconID<id>".
  void setChannelid(int32_t channelid);

 private:
  int32_t channelid_ = 0;
};

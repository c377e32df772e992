// A row of the friend picker.
#pragma once

#include <cstdint>
#include <string>

#include "Foundation/NSObject.h"

struct NSPeopleItem : NSObject {
  int64_t userId = 0;
  std::string name;
  std::string url;  // avatar URL
  std::string nick;
  bool select = false;
  int32_t channelid = 0;
  int64_t followersC = 0;
  int64_t statusesC = 0;
  bool verified = false;
};

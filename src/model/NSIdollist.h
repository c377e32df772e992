// A page of a friend list.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Foundation/NSObject.h"
#include "model/NSFriendItem.h"

struct NSIdollist : NSObject {
  int32_t hasnext = 0;  // the next-page cursor of the list
  std::string timestamp;
  std::vector<std::shared_ptr<NSFriendItem>> info;
};

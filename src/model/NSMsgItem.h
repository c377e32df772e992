// A server announcement.
#pragma once

#include <cstdint>

#include "model/NSBaseItem.h"

struct NSMsgItem : NSBaseItem {
  int64_t areaId = 0;  // the group the announcement belongs to
};

// A hot-search keyword.
#pragma once

#include <cstdint>
#include <string>

#include "model/NSBaseItem.h"

struct NSSearchItem : NSBaseItem {
  std::string desc;
  int64_t count = 0;  // number of searches
};

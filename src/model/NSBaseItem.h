// A named item of a list; also the base of several small server records.
#pragma once

#include <cstdint>
#include <string>

#include "Foundation/NSObject.h"

struct NSBaseItem : NSObject {
  std::string itemName;
  int64_t itemId = 0;
};

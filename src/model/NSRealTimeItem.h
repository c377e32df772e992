// An entry of the real-time quote list.
#pragma once

#include <memory>
#include <string>

#include "model/NSBaseItem.h"

struct NSRealTimeItem : NSBaseItem {
  std::string clickURL;  // opened on a tap
};

using NSRealTimeItemPtr = std::shared_ptr<NSRealTimeItem>;

// The reader's interest groups.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "model/NSBaseItem.h"
#include "model/NSTopic.h"

struct NSZiViLocation : NSBaseItem {
  std::vector<std::shared_ptr<NSBaseItem>> teamList;
  int64_t curTeamId = 0;
  std::shared_ptr<NSTopic> topic;
};

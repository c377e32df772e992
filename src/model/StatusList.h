// A page of statuses.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Foundation/NSObject.h"
#include "Foundation/Value.h"

struct StatusList : NSObject {
  int32_t hasnext = 0;
  std::string timestamp;
  int32_t totalnum = 0;
  std::vector<Value> info;
};

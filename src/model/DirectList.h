// A page of direct messages.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Foundation/NSObject.h"
#include "Foundation/Value.h"

struct DirectList : NSObject {
  std::vector<Value> info;
  int32_t hasnext = 0;
  std::string timestamp;
  int32_t totalnum = 0;
};

// A page of an attendance list.
#pragma once

#include <cstdint>
#include <vector>

#include "Foundation/NSObject.h"
#include "Foundation/Value.h"

struct NSAttendList : NSObject {
  std::vector<Value> info;
  int32_t next = 0;
  int32_t pre = 0;
};

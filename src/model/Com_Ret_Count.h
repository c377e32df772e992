// The comment and repost counts of one status.
#pragma once

#include <cstdint>
#include <memory>

#include "Foundation/NSObject.h"

struct Com_Ret_Count : NSObject {
  int64_t comNum = 0;
  int64_t retNum = 0;
  int64_t statusId = 0;
};

using Com_Ret_CountPtr = std::shared_ptr<Com_Ret_Count>;

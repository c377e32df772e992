// One choice of a profile set-up step.
#pragma once

#include <cstdint>
#include <string>

#include "Foundation/NSObject.h"

struct NSUserProfileItem : NSObject {
  int64_t itemId = 0;
  std::string title;
  bool isSelect = false;
};

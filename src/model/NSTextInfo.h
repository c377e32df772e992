// A tip line of a seminar.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "Foundation/NSObject.h"

struct NSTextInfo : NSObject {
  int32_t c_id = 0;
  int32_t c_event_id = 0;
  int32_t index = 0;  // the seminar screen's tab (0 to 4) whose list shows the tip
  std::string c_tip;
};

using NSTextInfoPtr = std::shared_ptr<NSTextInfo>;

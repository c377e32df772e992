// An education entry of a platform profile.
#pragma once

#include <cstdint>

#include "Foundation/NSObject.h"

struct ZizaEdu : NSObject {
  int64_t code_id = 0;
  int32_t year = 0;
  int64_t schoolid = 0;
  int64_t departmentid = 0;
  int32_t level = 0;
};

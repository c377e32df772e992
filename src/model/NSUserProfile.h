// One step of the profile set-up.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Foundation/NSObject.h"
#include "model/NSUserProfileItem.h"

struct NSUserProfile : NSObject {
  std::vector<std::shared_ptr<NSUserProfileItem>> profilelist;
  bool hasnext = false;
  bool enable = false;
  int32_t type = 0;      // 2 job titles, 1 industries
  int32_t nexttype = 0;  // 2 job titles, 1 industries, 4 none, 3 any other kind
  std::string stringType;
  std::string stringNextType;
};

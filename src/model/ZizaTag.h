// A tag of a platform profile.
#pragma once

#include <cstdint>
#include <string>

#include "Foundation/NSObject.h"

struct ZizaTag : NSObject {
  int64_t pid = 0;
  std::string name;
};

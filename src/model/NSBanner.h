// A seminar banner.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "Foundation/NSObject.h"

struct NSBanner : NSObject {
  int64_t c_id = 0;
  std::string banner;  // picture URL
};

using NSBannerPtr = std::shared_ptr<NSBanner>;

// A trend topic of the microblog platform.
#pragma once

#include <cstdint>
#include <string>

#include "Foundation/NSObject.h"

struct Topic : NSObject {
  std::string name;
  std::string query;  // the search query for the topic
  int32_t amount = 0;
  int32_t delta = 0;
};

// A piece of music attached to a post.
#pragma once

#include <string>

#include "Foundation/NSObject.h"

struct WMusic : NSObject {
  std::string author;
  std::string url;
  std::string title;
};

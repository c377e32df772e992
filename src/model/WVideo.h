// A video attached to a post.
#pragma once

#include <string>

#include "Foundation/NSObject.h"

struct WVideo : NSObject {
  std::string picurl;
  std::string player;
  std::string realurl;
  std::string shorturl;
  std::string title;
};

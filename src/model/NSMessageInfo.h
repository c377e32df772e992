// Unread counts of the microblog platform.
#pragma once

#include <cstdint>

#include "model/NSBaseItem.h"

struct NSMessageInfo : NSBaseItem {
  int32_t status = 0;
  int32_t follower = 0;
  int32_t cmt = 0;
  int32_t dm = 0;
  int32_t mention_status = 0;
  int32_t mention_cmt = 0;
  int32_t group = 0;
  int32_t notice = 0;
  int32_t invite = 0;
  int32_t badge = 0;
  int32_t photo = 0;
};

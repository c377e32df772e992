// A followed seminar post.
#pragma once

#include <cstdint>
#include <memory>

#include "Foundation/NSObject.h"

struct NSDialogPostWatch : NSObject {
  int32_t c_event_id = 0;
  int64_t c_id = 0;
  int64_t c_ziza_Id = 0;
  int64_t c_ziza_blog_Id = 0;
};

using NSDialogPostWatchPtr = std::shared_ptr<NSDialogPostWatch>;

// A post of a seminar stream (question, answer or opinion), carried by a microblog status.
#pragma once

#include <cstdint>
#include <memory>

#include "Foundation/NSObject.h"
#include "model/Status.h"

struct NSDialogPost : NSObject {
  // Follow state set by the question list before the post is shown: -1 not followed,
  // 1 followed, 2 in the local followed list; 0 until set.
  int32_t needAttend = 0;
  int32_t c_event_id = 0;
  int64_t c_id = 0;            // the post on the content server
  int64_t c_ziza_Id = 0;       // author's platform user id
  int64_t c_ziza_blog_Id = 0;  // the post's platform status
  int32_t c_type = 0;
  int32_t c_postType = 0;
  bool c_isPin = false;
  int64_t c_user_id = 0;  // author's content-server user id
  StatusPtr c_ziza_blogcontent;
};

using NSDialogPostPtr = std::shared_ptr<NSDialogPost>;

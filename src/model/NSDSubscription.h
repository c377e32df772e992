// A registration line of a seminar.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "Foundation/NSObject.h"

struct NSDSubscription : NSObject {
  int64_t c_id = 0;
  int64_t c_ziza_Id = 0;       // platform user id
  int64_t c_ziza_blog_Id = 0;  // platform status id
  std::string c_ziza_name;
  int32_t c_event_id = 0;
  int32_t c_type = 0;
  std::string c_userEmail;
  // Flag texts as the server sends them.
  std::string c_needRemind;
  std::string c_needDocument;
  std::string c_needMore;
};

using NSDSubscriptionPtr = std::shared_ptr<NSDSubscription>;

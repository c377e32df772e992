// A host or guest of a seminar.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "Foundation/NSObject.h"
#include "model/User.h"

struct NSSHost : NSObject {
  int64_t c_id = 0;
  int64_t c_ziza_Id = 0;  // the person's platform user id
  std::string c_ziza_name;
  std::string c_user_contactinfo;
  int32_t c_event_id = 0;  // the seminar
  int32_t c_type = 0;      // 1 moderator, 2 guest
  UserPtr c_ziza_usercontent;
};

using NSSHostPtr = std::shared_ptr<NSSHost>;

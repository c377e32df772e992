// An account in a friend or fan list.
#pragma once

#include <cstdint>
#include <string>

#include "Foundation/NSObject.h"

struct NSFriendItem : NSObject {
  int32_t fansnum = 0;
  std::string head;  // avatar URL
  int32_t idolnum = 0;
  bool isidol = false;  // the reader follows this account
  bool isvip = false;
  std::string name;
  std::string nick;
  int64_t userId = 0;
  std::string description;
  int64_t statuses_count = 0;
  int32_t channelid = 0;
};

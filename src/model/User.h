// An account of the microblog platform as a status, comment or profile carries it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "Foundation/NSObject.h"
#include "model/RecordText.h"

struct Status;

// The long texts are RecordText, shared with the reply the account was read from (see Status).
struct User : NSObject {
  // User-provided, so that nothing is zeroed before the members take their initial values.
  User() noexcept {}
  int64_t userId = 0;
  std::string username;
  std::string screenName;
  std::string province;
  std::string city;
  RecordText location;
  // Self-description; the parser strips its line breaks.
  RecordText description;
  RecordText profileImageUrl;
  std::string profileLargeImageUrl;
  std::string reason;
  int32_t gender = 0;  // 1 male, 2 female, 0 unknown
  int32_t followersCount = 0;
  int32_t friendsCount = 0;
  int32_t statusesCount = 0;
  int32_t favouritesCount = 0;
  bool following = false;
  bool verified = false;
  int32_t trendsCount = 0;
  int32_t blocksCount = 0;
  std::shared_ptr<Status> lastStatus;
  int32_t countrycode = 0;
  int32_t year = 0;
  int32_t month = 0;
  int32_t day = 0;
};

using UserPtr = std::shared_ptr<User>;

// A seminar: an online question-and-answer event with its hosts, registration lines and tips.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Foundation/NSObject.h"
#include "model/NSDSubscription.h"
#include "model/NSSHost.h"
#include "model/NSTextInfo.h"

// Seminar states ("c_status").
inline constexpr int32_t kSeminarLive = 1;
inline constexpr int32_t kSeminarUpcoming = 2;
inline constexpr int32_t kSeminarEnded = 3;

struct NSSeminar : NSObject {
  int64_t seminarId = 0;
  std::string imgUrl;  // the same picture as smallUrl
  std::string theme;   // title
  std::string info;    // description
  // "yyyy-MM-dd HH:mm:ss" as sent.
  std::string timeStart;
  std::string timeEnd;
  std::string shareText;  // put into the composer when the reader recommends the seminar
  int32_t status = 0;
  int32_t type = 0;
  std::string smallUrl;
  std::string largeUrl;
  int32_t order = 0;
  // Absent when the reply gave no such list.
  std::optional<std::vector<NSSHostPtr>> hostList;
  std::optional<std::vector<NSDSubscriptionPtr>> dialogsubList;
  std::optional<std::vector<NSTextInfoPtr>> tipList;
};

using NSSeminarPtr = std::shared_ptr<NSSeminar>;

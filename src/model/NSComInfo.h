// One page of the company list.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "Foundation/NSObject.h"
#include "model/NSCompanyDetailItem.h"

struct NSComInfo : NSObject {
  int64_t previous_cursor = 0;
  int64_t next_cursor = 0;
  int32_t pageNo = 0;  // this page
  int32_t totalPage = 0;
  int32_t total_number = 0;  // companies in all pages
  // Absent when the reply carried no company list.
  std::optional<std::vector<NSCompanyDetailItemPtr>> statuses;
};

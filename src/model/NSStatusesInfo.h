// One page of a status list with its paging cursors.
#pragma once

#include <cstdint>
#include <optional>

#include "Foundation/NSObject.h"
#include "Foundation/Value.h"
#include "model/Comment.h"
#include "model/NSTopic.h"
#include "model/Status.h"

struct NSStatusesInfo : NSObject {
  int64_t previous_cursor = 0;
  int64_t next_cursor = 0;
  int32_t total_number = 0;
  // Absent when the reply carried no status list at all (as a failure reply does).
  std::optional<StatusArray> statuses;
  // A comments page carries its records here instead of in statuses.
  std::optional<CommentArray> comments;
  // An extra value of the page, such as the query id of a search (a number).
  Value otherInfo;
  // A topic list page carries its topics here instead of in statuses.
  std::optional<std::vector<std::shared_ptr<NSTopic>>> topics;
};

// One user feedback entry and its answer.
#pragma once

#include <cstdint>
#include <string>

#include "model/NSBaseItem.h"

struct NSFanKuiItem : NSBaseItem {
  std::string imgUrl;
  std::string text;
  std::string times;      // the time text as sent
  int64_t create_at = 0;  // seconds since 1970
  bool verified = false;

  // Relative creation time against the process clock.
  std::string timestamp() const;
};

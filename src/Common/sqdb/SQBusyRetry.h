// The wrapper's one busy rule, shared by prepare, step, next and close.
#pragma once

#include <sqlite3.h>
#include <unistd.h>

namespace sqdb {

inline bool isBusy(int rc) {
  return rc == SQLITE_BUSY || rc == SQLITE_LOCKED;
}

// Called after a busy answer: waits 20 microseconds and says whether to try again.  A timeout
// of 0 (or below) retries without limit; a timeout N allows N + 2 attempts in all.
inline bool retryAfterBusy(int timeout, int& numberOfRetries) {
  usleep(20);
  return timeout <= 0 || numberOfRetries++ <= timeout;
}

}  // namespace sqdb

// A disk that takes no more than a given size of any one file, for as long as the object lives:
// the process's file-size limit, with the signal of a write past it ignored so that the write
// fails with EFBIG as on a full disk.  Child processes started meanwhile inherit both.
#pragma once

#include <signal.h>
#include <sys/resource.h>

#include <cstddef>

namespace testsupport {

class FileSizeLimit {
 public:
  explicit FileSizeLimit(size_t bytes) {
    signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &saved_);
    rlimit limited = saved_;
    limited.rlim_cur = bytes;
    applied_ = setrlimit(RLIMIT_FSIZE, &limited) == 0;
  }
  ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &saved_); }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;
  bool applied() const { return applied_; }

 private:
  rlimit saved_{};
  bool applied_ = false;
};

}  // namespace testsupport

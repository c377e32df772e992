// A write stream to a file (CFWriteStreamCreateWithFile): the engine writes request bodies and
// downloads through it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "CFNetwork/CFReadStream.h"
#include "Foundation/NSError.h"

class CFWriteStream {
 public:
  // append: keep what the file holds and write after it; otherwise the file starts empty.
  static std::shared_ptr<CFWriteStream> createWithFile(std::string path, bool append);
  ~CFWriteStream();
  CFWriteStream(const CFWriteStream&) = delete;
  CFWriteStream& operator=(const CFWriteStream&) = delete;

  bool open();
  // The count written, or -1 on error (the stream is then in its error state).
  long write(const uint8_t* bytes, size_t length);
  long write(const std::string& bytes) {
    return write(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  }
  void close();
  CFStreamStatus status() const { return status_; }
  NSErrorPtr copyError() const { return error_; }
  const std::string& path() const { return path_; }

  // Private: use createWithFile.
  CFWriteStream(std::string path, bool append) : path_(std::move(path)), append_(append) {}

 private:
  void fail(int err);

  std::string path_;
  bool append_;
  std::FILE* file_ = nullptr;
  CFStreamStatus status_ = CFStreamStatus::NotOpen;
  NSErrorPtr error_;
};

#include "CFNetwork/CFWriteStream.h"

#include <cerrno>
#include <cstring>

#include "CFNetwork/CFNetworkErrors.h"

std::shared_ptr<CFWriteStream> CFWriteStream::createWithFile(std::string path, bool append) {
  return std::make_shared<CFWriteStream>(std::move(path), append);
}

CFWriteStream::~CFWriteStream() {
  if (file_) std::fclose(file_);
}

void CFWriteStream::fail(int err) {
  status_ = CFStreamStatus::Error;
  error_ = NSError::withDescription(kCFErrorDomainPOSIX, err, std::strerror(err));
}

bool CFWriteStream::open() {
  if (status_ != CFStreamStatus::NotOpen) return false;
  file_ = std::fopen(path_.c_str(), append_ ? "ab" : "wb");
  if (!file_) {
    fail(errno);
    return false;
  }
  status_ = CFStreamStatus::Open;
  return true;
}

long CFWriteStream::write(const uint8_t* bytes, size_t length) {
  if (status_ != CFStreamStatus::Open || !file_) {
    if (status_ != CFStreamStatus::Error) fail(EBADF);
    return -1;
  }
  if (length == 0) return 0;
  size_t n = std::fwrite(bytes, 1, length, file_);
  if (n != length) {
    fail(errno ? errno : EIO);
    return -1;
  }
  return long(n);
}

void CFWriteStream::close() {
  if (file_) {
    if (std::fclose(file_) != 0 && status_ == CFStreamStatus::Open) fail(errno);
    file_ = nullptr;
  }
  if (status_ != CFStreamStatus::Error) status_ = CFStreamStatus::Closed;
}

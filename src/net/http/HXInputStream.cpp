#include "net/http/HXInputStream.h"

#include <algorithm>
#include <mutex>

#include "net/http/HXHTTPRequest.h"

namespace {

// Throttled reads of every request, one at a time: taken before the throttling lock.
std::mutex& readLock() {
  static std::mutex lock;
  return lock;
}

}  // namespace

std::shared_ptr<HXInputStream> HXInputStream::inputStreamWithFileAtPath(
    const std::string& path, const std::shared_ptr<HXHTTPRequest>& request) {
  return std::make_shared<HXInputStream>(CFReadStream::createWithFile(path), request);
}

std::shared_ptr<HXInputStream> HXInputStream::inputStreamWithData(
    std::string bytes, const std::shared_ptr<HXHTTPRequest>& request) {
  return std::make_shared<HXInputStream>(CFReadStream::createWithBytes(std::move(bytes)), request);
}

HXInputStream::HXInputStream(std::shared_ptr<CFReadStream> stream,
                             std::weak_ptr<HXHTTPRequest> request)
    : stream_(std::move(stream)), request_(std::move(request)) {}

void HXInputStream::takeError() {
  if (NSErrorPtr error = stream_->copyError()) setStatus(CFStreamStatus::Error, error);
}

bool HXInputStream::open() {
  bool opened = stream_->open();
  if (opened)
    setStatus(CFStreamStatus::Open);
  else
    takeError();
  return opened;
}

void HXInputStream::close() {
  stream_->close();
  CFReadStream::close();
}

long HXInputStream::read(uint8_t* buffer, size_t maxLength) {
  {
    std::lock_guard<std::mutex> lock(readLock());
    if (HXHTTPRequest::isBandwidthThrottled()) {
      unsigned long allowance = HXHTTPRequest::maxUploadReadLength();
      if (auto request = request_.lock()) request->performThrottling();
      maxLength = std::min<size_t>(maxLength, std::max(allowance, 1UL));
    }
  }
  long n = stream_->read(buffer, maxLength);
  if (n > 0) HXHTTPRequest::incrementBandwidthUsedInLastSecond(static_cast<unsigned long>(n));
  if (n < 0) takeError();
  return n;
}

bool HXInputStream::hasBytesAvailable() const {
  return stream_->hasBytesAvailable();
}

Value HXInputStream::copyProperty(std::string_view key) const {
  return stream_->copyProperty(key);
}

bool HXInputStream::setProperty(std::string_view key, Value value) {
  return stream_->setProperty(key, std::move(value));
}

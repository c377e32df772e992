// The body stream of a request while bandwidth is throttled: it wraps the stream of the body
// (a file or bytes) and limits each read to what the current second's allowance permits, at
// least one byte, letting the request detach its stream until its wake-up time when the
// allowance runs out.  Every read, throttled or not, counts into the bandwidth measurement.
// Everything else (open, close, properties, status and error) is the wrapped stream's.
//
// It is a read stream itself, so that it goes wherever the HTTP stream takes a body.  Reads
// happen on the request's thread; throttled reads of all requests take turns under one lock.
#pragma once

#include <memory>
#include <string>

#include "CFNetwork/CFReadStream.h"

class HXHTTPRequest;

class HXInputStream final : public CFReadStream {
 public:
  static std::shared_ptr<HXInputStream> inputStreamWithFileAtPath(
      const std::string& path, const std::shared_ptr<HXHTTPRequest>& request);
  static std::shared_ptr<HXInputStream> inputStreamWithData(
      std::string bytes, const std::shared_ptr<HXHTTPRequest>& request);

  HXInputStream(std::shared_ptr<CFReadStream> stream, std::weak_ptr<HXHTTPRequest> request);

  const std::shared_ptr<CFReadStream>& stream() const { return stream_; }
  std::shared_ptr<HXHTTPRequest> request() const { return request_.lock(); }

  bool open() override;
  void close() override;
  long read(uint8_t* buffer, size_t maxLength) override;
  bool hasBytesAvailable() const override;
  Value copyProperty(std::string_view key) const override;
  bool setProperty(std::string_view key, Value value) override;

 private:
  // The wrapped stream's error becomes this one's.
  void takeError();

  std::shared_ptr<CFReadStream> stream_;
  std::weak_ptr<HXHTTPRequest> request_;
};

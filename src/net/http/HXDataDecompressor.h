// Inflates gzip (or zlib) data with zlib, chunk by chunk: a response as its pieces arrive, a
// whole body held in memory, or a downloaded file into another.
#pragma once

#include <zlib.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "Foundation/NSError.h"
#include "Foundation/NSObject.h"

class HXDataDecompressor : public NSObject {
 public:
  // A decompressor whose stream is set up (a set-up error leaves it not ready).
  static std::shared_ptr<HXDataDecompressor> decompressor();
  HXDataDecompressor() = default;
  ~HXDataDecompressor() override;
  HXDataDecompressor(const HXDataDecompressor&) = delete;
  HXDataDecompressor& operator=(const HXDataDecompressor&) = delete;

  NSErrorPtr setupStream();
  NSErrorPtr closeStream();
  bool streamReady() const { return streamReady_; }
  // The data has reached the end of its stream (a gzip member's trailer, a zlib checksum).
  bool streamEnded() const { return streamEnded_; }

  // The most bytes the stream may inflate to, all chunks together (0: no limit).  Past it a
  // chunk fails with tooLargeError, having held no more than the limit and one chunk's output:
  // a small bomb never becomes a huge buffer.
  uint64_t outputLimit() const { return outputLimit_; }
  void setOutputLimit(uint64_t limit) { outputLimit_ = limit; }

  // Inflates one chunk, keeping the stream's state for the next; nullopt for an empty chunk
  // (no error) or on error.
  std::optional<std::string> uncompressBytes(std::string_view bytes, NSErrorPtr* error = nullptr);

  // The whole forms: data that ends before its stream does fails with truncatedStreamError
  // (no data at all gives nothing, without an error); inflating past `limit` bytes (0: none)
  // fails with tooLargeError.
  static std::optional<std::string> uncompressData(std::string_view data,
                                                   NSErrorPtr* error = nullptr, uint64_t limit = 0);
  static bool uncompressDataFromFile(const std::string& sourcePath,
                                     const std::string& destinationPath,
                                     NSErrorPtr* error = nullptr, uint64_t limit = 0);
  static NSErrorPtr inflateErrorWithCode(int code);
  // The error of data cut short: zlib's "no progress possible" code.
  static NSErrorPtr truncatedStreamError();
  // The engine's error of a body larger than `limit` bytes.
  static NSErrorPtr tooLargeError(uint64_t limit);

 private:
  bool streamReady_ = false;
  bool streamEnded_ = false;
  uint64_t outputLimit_ = 0;
  z_stream zStream_{};
};

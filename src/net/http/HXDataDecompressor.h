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

  // Inflates one chunk, keeping the stream's state for the next; nullopt for an empty chunk
  // (no error) or on error.
  std::optional<std::string> uncompressBytes(std::string_view bytes, NSErrorPtr* error = nullptr);

  static std::optional<std::string> uncompressData(std::string_view data,
                                                   NSErrorPtr* error = nullptr);
  static bool uncompressDataFromFile(const std::string& sourcePath,
                                     const std::string& destinationPath,
                                     NSErrorPtr* error = nullptr);
  static NSErrorPtr inflateErrorWithCode(int code);

 private:
  bool streamReady_ = false;
  z_stream zStream_{};
};

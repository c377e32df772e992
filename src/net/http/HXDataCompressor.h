// Deflates data into gzip format with zlib, chunk by chunk: a request body held in memory or
// a body file into another.
#pragma once

#include <zlib.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "Foundation/NSError.h"
#include "Foundation/NSObject.h"

class HXDataCompressor : public NSObject {
 public:
  static std::shared_ptr<HXDataCompressor> compressor();
  HXDataCompressor() = default;
  ~HXDataCompressor() override;
  HXDataCompressor(const HXDataCompressor&) = delete;
  HXDataCompressor& operator=(const HXDataCompressor&) = delete;

  NSErrorPtr setupStream();
  NSErrorPtr closeStream();
  bool streamReady() const { return streamReady_; }

  // Deflates one chunk; shouldFinish marks the last one (the gzip trailer is written).
  // nullopt for an empty chunk (no error) or on error.
  std::optional<std::string> compressBytes(std::string_view bytes, NSErrorPtr* error,
                                           bool shouldFinish);

  static std::optional<std::string> compressData(std::string_view data,
                                                 NSErrorPtr* error = nullptr);
  static bool compressDataFromFile(const std::string& sourcePath,
                                   const std::string& destinationPath, NSErrorPtr* error = nullptr);
  static NSErrorPtr deflateErrorWithCode(int code);

 private:
  // Ends the stream after its last chunk was given without shouldFinish.
  std::string finishStream(NSErrorPtr* error);

  bool streamReady_ = false;
  z_stream zStream_{};
};

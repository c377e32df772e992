// Image sources: the pictures of a PNG, JPEG or GIF file or block of data.  A PNG or JPEG has
// one picture; a GIF one per frame, each handed back fully composited on the logical screen
// (earlier frames, transparency and disposal applied), as the platform does.
//
// Data that is not one of the three formats, or that is malformed or cut short, gives no
// source (nullptr); a GIF cut short keeps the frames read completely before the cut.  Pictures
// above 32 megapixels or 16384 pixels a side are refused.  A source may be used from one thread
// at a time.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "CoreGraphics/CGImage.h"
#include "Foundation/Value.h"
#include "ImageIO/ImageIOProperties.h"

class NSURL;

namespace imageio {
class GIFDecoder;
}

class CGImageSource {
 public:
  ~CGImageSource();

  static std::shared_ptr<CGImageSource> createWithData(std::string data, const Value& options = {});
  // File URLs only; nullptr when the file cannot be read.
  static std::shared_ptr<CGImageSource> createWithURL(const std::shared_ptr<NSURL>& url,
                                                      const Value& options = {});

  // kUTTypePNG, kUTTypeJPEG or kUTTypeGIF.
  std::string_view type() const;
  size_t count() const;
  // nullptr past the last picture.
  CGImageRef createImageAtIndex(size_t index, const Value& options = {});
  // The file's properties: its size, and for a GIF {"{GIF}": {"LoopCount": n}} when the file
  // has a looping extension (0: for ever).
  Value copyProperties(const Value& options = {}) const;
  // A picture's: pixel width and height, whether it has alpha, a JPEG's EXIF orientation
  // (1 ... 8), and for a GIF frame {"{GIF}": {"DelayTime": d, "UnclampedDelayTime": u}} in
  // seconds (delays of 0.01 s or less count as 0.1 s).  Nil past the last picture.
  Value copyPropertiesAtIndex(size_t index, const Value& options = {}) const;

 private:
  CGImageSource() = default;
  struct Made;

  std::string type_;
  size_t dataSize_ = 0;
  CGImageRef still_;
  int orientation_ = 1;
  std::unique_ptr<imageio::GIFDecoder> gif_;
  mutable std::mutex mutex_;
};

using CGImageSourceRef = std::shared_ptr<CGImageSource>;

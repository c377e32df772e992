// Image destinations: a picture encoded as PNG or JPEG data.  One picture a destination.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "CoreGraphics/CGImage.h"
#include "Foundation/Value.h"
#include "ImageIO/ImageIOProperties.h"

class CGImageDestination {
 public:
  // kUTTypePNG or kUTTypeJPEG; nullptr for another type.
  static std::shared_ptr<CGImageDestination> createWithData(std::string_view type);

  // The JPEG quality is kCGImageDestinationLossyCompressionQuality (0 ... 1, default 0.75;
  // libjpeg's quality = the value × 100, rounded).  Transparent parts of a JPEG come out as if
  // drawn over black.
  void addImage(CGImageRef image, const Value& properties = {});
  // The encoded data; false (and no data) without a picture or when encoding fails.
  bool finalize();
  const std::string& data() const { return data_; }

  // One-call forms.
  static std::optional<std::string> encodePNG(const CGImageRef& image);
  static std::optional<std::string> encodeJPEG(const CGImageRef& image, double quality);

 private:
  CGImageDestination() = default;
  struct Made;
  bool png_ = true;
  CGImageRef image_;
  double quality_ = 0.75;
  std::string data_;
};

// Bitmap contexts: a context that draws into width × height pixels of a given layout, in memory
// the caller gives (and may read and write between drawing calls) or that the context owns.
// Supported layouts: 8-bit RGB in 32 bits with premultiplied or skipped alpha, first or last,
// in either byte order; 8-bit grey without alpha; 8-bit alpha only.  Other layouts give nullptr.
#pragma once

#include <memory>
#include <vector>

#include "CoreGraphics/CGContext.h"
#include "CoreGraphics/CGPixelLayout.h"

class CGBitmapContext : public CGContext {
 public:
  ~CGBitmapContext() override;

  // CGBitmapContextCreate.  With `data` nullptr the context owns zeroed memory; otherwise the
  // memory must hold height × bytesPerRow bytes and outlive the context.  bytesPerRow 0: the
  // least that holds a row.  The colour space may be nullptr for alpha only.
  static std::shared_ptr<CGBitmapContext> create(void* data, size_t width, size_t height,
                                                 size_t bitsPerComponent, size_t bytesPerRow,
                                                 const CGColorSpaceRef& space,
                                                 CGBitmapInfo bitmapInfo);

  // The pixels, current after every drawing call.
  void* data() { return data_; }
  size_t width() const { return width_; }
  size_t height() const { return height_; }
  size_t bitsPerComponent() const { return 8; }
  size_t bitsPerPixel() const { return layout_.bitsPerPixel; }
  size_t bytesPerRow() const { return bytesPerRow_; }
  const CGColorSpaceRef& colorSpace() const { return space_; }
  CGBitmapInfo bitmapInfo() const { return bitmapInfo_; }
  CGImageAlphaInfo alphaInfo() const {
    return CGImageAlphaInfo(bitmapInfo_ & kCGBitmapAlphaInfoMask);
  }

  // CGBitmapContextCreateImage: a copy of the pixels as an image of the same layout.
  CGImageRef createImage();

  struct Made;

 private:
  CGBitmapContext(cairo_surface_t* surface, size_t width, size_t height);
  void willPaint() override;
  void didPaint() override;

  uint8_t* data_ = nullptr;
  std::vector<uint8_t> owned_;
  size_t width_ = 0, height_ = 0, bytesPerRow_ = 0;
  CGColorSpaceRef space_;
  CGBitmapInfo bitmapInfo_ = 0;
  CGPixelLayout layout_;
  // Set when Cairo draws on a surface of its own, kept in step with the caller's bytes.
  cairo_surface_t* working_ = nullptr;
  std::vector<uint8_t> lastExported_;
};

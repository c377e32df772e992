// Bitmap images: width × height pixels in a described layout (bits per component and per
// pixel, bytes a row, colour space, where alpha is and whether colours are premultiplied by it,
// byte order), immutable once made.  Image masks are grey samples used to paint through.
//
// Layouts with 8 bits a component are supported: RGB in 32 bits a pixel with alpha first or
// last (premultiplied or not) or skipped, in big- or little-endian 32-bit words, or in 24 bits
// without alpha; grey in 8 bits (no alpha) or 16 bits (with alpha); alpha alone in 8 bits.
// Creating an image in another layout gives nullptr.
//
// Drawing reads an image through its Cairo surface (premultiplied ARGB32, RGB24 when opaque),
// made once and shared; images are safe to use from several threads.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "CoreGraphics/CGColorSpace.h"
#include "CoreGraphics/CGGeometry.h"

enum CGImageAlphaInfo : uint32_t {
  kCGImageAlphaNone = 0,
  kCGImageAlphaPremultipliedLast = 1,
  kCGImageAlphaPremultipliedFirst = 2,
  kCGImageAlphaLast = 3,
  kCGImageAlphaFirst = 4,
  kCGImageAlphaNoneSkipLast = 5,
  kCGImageAlphaNoneSkipFirst = 6,
  kCGImageAlphaOnly = 7
};

using CGBitmapInfo = uint32_t;
inline constexpr CGBitmapInfo kCGBitmapAlphaInfoMask = 0x1F;
inline constexpr CGBitmapInfo kCGBitmapFloatComponents = 1 << 8;
inline constexpr CGBitmapInfo kCGBitmapByteOrderMask = 0x7000;
inline constexpr CGBitmapInfo kCGBitmapByteOrderDefault = 0 << 12;
inline constexpr CGBitmapInfo kCGBitmapByteOrder16Little = 1 << 12;
inline constexpr CGBitmapInfo kCGBitmapByteOrder32Little = 2 << 12;
inline constexpr CGBitmapInfo kCGBitmapByteOrder16Big = 3 << 12;
inline constexpr CGBitmapInfo kCGBitmapByteOrder32Big = 4 << 12;

enum class CGColorRenderingIntent {
  Default = 0,
  AbsoluteColorimetric = 1,
  RelativeColorimetric = 2,
  Perceptual = 3,
  Saturation = 4
};

// Where an image's bytes come from: a block of data, kept whole.
class CGDataProvider {
 public:
  explicit CGDataProvider(std::string bytes) : bytes_(std::move(bytes)) {}
  static std::shared_ptr<const CGDataProvider> createWithData(std::string bytes) {
    return std::make_shared<CGDataProvider>(std::move(bytes));
  }
  // CGDataProviderCopyData.
  const std::string& data() const { return bytes_; }

 private:
  std::string bytes_;
};
using CGDataProviderRef = std::shared_ptr<const CGDataProvider>;

class CGImage;
using CGImageRef = std::shared_ptr<const CGImage>;

class CGImage {
 public:
  ~CGImage();
  CGImage(const CGImage&) = delete;
  CGImage& operator=(const CGImage&) = delete;

  // CGImageCreate.  bytesPerRow must hold a row; the provider must hold every row (the last
  // one may end after its pixels).  A decode array is not supported (nullptr only).
  static CGImageRef create(size_t width, size_t height, size_t bitsPerComponent,
                           size_t bitsPerPixel, size_t bytesPerRow, const CGColorSpaceRef& space,
                           CGBitmapInfo bitmapInfo, const CGDataProviderRef& provider,
                           const CGFloat* decode = nullptr, bool shouldInterpolate = true,
                           CGColorRenderingIntent intent = CGColorRenderingIntent::Default);
  // CGImageMaskCreate: 8-bit samples, one a pixel; a sample S paints with alpha 1 - S (with the
  // decode array {1, 0}: alpha S).
  static CGImageRef createMask(size_t width, size_t height, size_t bitsPerComponent,
                               size_t bitsPerPixel, size_t bytesPerRow,
                               const CGDataProviderRef& provider, const CGFloat* decode = nullptr,
                               bool shouldInterpolate = true);
  // CGImageCreateWithImageInRect: the pixels inside the rectangle (in pixels, from the top-left
  // corner), made integral and cut to the image; nullptr when nothing is left.  The copy keeps
  // the image's layout.
  static CGImageRef createWithImageInRect(const CGImageRef& image, CGRect rect);
  // CGImageCreateWithMask: the image with the mask's samples as its alpha (an image mask's
  // samples as inverse alpha), the mask scaled to the image.  The mask must be an image mask or
  // a grey image without alpha, and the image not a mask; nullptr otherwise.  The result is in
  // premultiplied ARGB.
  static CGImageRef createWithMask(const CGImageRef& image, const CGImageRef& mask);
  // An image of a Cairo ARGB32, RGB24 or A8 surface (a new reference is taken; the surface must
  // not change afterwards).  Layout: premultiplied-first ARGB (skip-first when RGB24, alpha only
  // for A8) in native-endian 32-bit words.
  static CGImageRef createWithSurface(cairo_surface_t* surface);

  size_t width() const { return width_; }
  size_t height() const { return height_; }
  size_t bitsPerComponent() const { return bitsPerComponent_; }
  size_t bitsPerPixel() const { return bitsPerPixel_; }
  size_t bytesPerRow() const { return bytesPerRow_; }
  // nullptr for masks and alpha-only images.
  const CGColorSpaceRef& colorSpace() const { return space_; }
  CGBitmapInfo bitmapInfo() const { return bitmapInfo_; }
  CGImageAlphaInfo alphaInfo() const {
    return CGImageAlphaInfo(bitmapInfo_ & kCGBitmapAlphaInfoMask);
  }
  bool isMask() const { return isMask_; }
  bool shouldInterpolate() const { return shouldInterpolate_; }
  CGColorRenderingIntent renderingIntent() const { return intent_; }
  // The bytes in the image's layout (made on first use for images of a surface).
  CGDataProviderRef dataProvider() const;

  // The pixels as a premultiplied Cairo surface: ARGB32, or RGB24 for opaque images.  Masks
  // give an A8 surface of the alpha they paint with.
  cairo_surface_t* surface() const;
  // The alpha this image gives as a clip mask (A8): a mask's painting alpha, a grey image's
  // samples, else the image's alpha.
  cairo_surface_t* maskSurface() const;

  // What the image was loaded from (a bundle image's name), for dumps and drawing records;
  // empty when unknown.
  const std::string& sourceName() const { return sourceName_; }
  // Images are immutable; the name is set by whoever made the image, before handing it out.
  void setSourceName(std::string name) const { sourceName_ = std::move(name); }

 private:
  CGImage() = default;
  struct Made;

  size_t width_ = 0, height_ = 0, bitsPerComponent_ = 8, bitsPerPixel_ = 32, bytesPerRow_ = 0;
  CGColorSpaceRef space_;
  CGBitmapInfo bitmapInfo_ = 0;
  bool isMask_ = false;
  bool maskDecodeInverted_ = false;
  bool shouldInterpolate_ = true;
  CGColorRenderingIntent intent_ = CGColorRenderingIntent::Default;

  mutable std::mutex mutex_;
  mutable CGDataProviderRef provider_;
  mutable cairo_surface_t* surface_ = nullptr;
  mutable cairo_surface_t* maskSurface_ = nullptr;
  mutable std::string sourceName_;
};

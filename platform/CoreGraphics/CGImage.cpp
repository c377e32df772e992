#include "CoreGraphics/CGImage.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "CoreGraphics/CGPixelLayout.h"

struct CGImage::Made : CGImage {};

namespace {

// A new image surface of the format, nullptr when Cairo cannot make it.
cairo_surface_t* newSurface(cairo_format_t format, size_t width, size_t height) {
  cairo_surface_t* s = cairo_image_surface_create(format, int(width), int(height));
  if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(s);
    return nullptr;
  }
  return s;
}

CGColorSpaceModel modelOf(const CGColorSpaceRef& space) {
  return space ? space->model() : CGColorSpaceModel::Unknown;
}

bool sizeOk(size_t width, size_t height) {
  // Cairo's own limit on a side.
  return width > 0 && height > 0 && width <= 32767 && height <= 32767;
}

}  // namespace

CGImage::~CGImage() {
  if (surface_) cairo_surface_destroy(surface_);
  if (maskSurface_) cairo_surface_destroy(maskSurface_);
}

CGImageRef CGImage::create(size_t width, size_t height, size_t bitsPerComponent,
                           size_t bitsPerPixel, size_t bytesPerRow, const CGColorSpaceRef& space,
                           CGBitmapInfo bitmapInfo, const CGDataProviderRef& provider,
                           const CGFloat* decode, bool shouldInterpolate,
                           CGColorRenderingIntent intent) {
  if (!provider || decode || !sizeOk(width, height)) return nullptr;
  CGColorSpaceModel model = modelOf(space);
  if ((bitmapInfo & kCGBitmapAlphaInfoMask) == kCGImageAlphaOnly)
    model = CGColorSpaceModel::Unknown;
  auto layout = CGPixelLayout::make(model, bitsPerComponent, bitsPerPixel, bitmapInfo, false);
  if (!layout) return nullptr;
  if (bytesPerRow < width * layout->bytesPerPixel) return nullptr;
  if (provider->data().size() < (height - 1) * bytesPerRow + width * layout->bytesPerPixel)
    return nullptr;
  auto image = std::make_shared<Made>();
  image->width_ = width;
  image->height_ = height;
  image->bitsPerComponent_ = bitsPerComponent;
  image->bitsPerPixel_ = bitsPerPixel;
  image->bytesPerRow_ = bytesPerRow;
  image->space_ = model == CGColorSpaceModel::Unknown ? nullptr : space;
  image->bitmapInfo_ = bitmapInfo;
  image->shouldInterpolate_ = shouldInterpolate;
  image->intent_ = intent;
  image->provider_ = provider;
  return image;
}

CGImageRef CGImage::createMask(size_t width, size_t height, size_t bitsPerComponent,
                               size_t bitsPerPixel, size_t bytesPerRow,
                               const CGDataProviderRef& provider, const CGFloat* decode,
                               bool shouldInterpolate) {
  if (!provider || bitsPerComponent != 8 || bitsPerPixel != 8 || !sizeOk(width, height) ||
      bytesPerRow < width)
    return nullptr;
  if (provider->data().size() < (height - 1) * bytesPerRow + width) return nullptr;
  auto image = std::make_shared<Made>();
  image->width_ = width;
  image->height_ = height;
  image->bitsPerComponent_ = 8;
  image->bitsPerPixel_ = 8;
  image->bytesPerRow_ = bytesPerRow;
  image->isMask_ = true;
  image->maskDecodeInverted_ = decode && decode[0] == 1 && decode[1] == 0;
  image->shouldInterpolate_ = shouldInterpolate;
  image->provider_ = provider;
  return image;
}

CGImageRef CGImage::createWithSurface(cairo_surface_t* surface) {
  if (!surface || cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE) return nullptr;
  cairo_format_t format = cairo_image_surface_get_format(surface);
  int w = cairo_image_surface_get_width(surface), h = cairo_image_surface_get_height(surface);
  if (w <= 0 || h <= 0) return nullptr;
  auto image = std::make_shared<Made>();
  image->width_ = size_t(w);
  image->height_ = size_t(h);
  image->bytesPerRow_ = size_t(cairo_image_surface_get_stride(surface));
  switch (format) {
    case CAIRO_FORMAT_ARGB32:
      image->space_ = CGColorSpace::createDeviceRGB();
      image->bitmapInfo_ = kCGImageAlphaPremultipliedFirst | CGNativeByteOrder32();
      break;
    case CAIRO_FORMAT_RGB24:
      image->space_ = CGColorSpace::createDeviceRGB();
      image->bitmapInfo_ = kCGImageAlphaNoneSkipFirst | CGNativeByteOrder32();
      break;
    case CAIRO_FORMAT_A8:
      image->bitsPerPixel_ = 8;
      image->bitmapInfo_ = kCGImageAlphaOnly;
      break;
    default:
      return nullptr;
  }
  cairo_surface_flush(surface);
  image->surface_ = cairo_surface_reference(surface);
  return image;
}

CGDataProviderRef CGImage::dataProvider() const {
  std::lock_guard lock(mutex_);
  if (!provider_ && surface_) {
    const uint8_t* data = cairo_image_surface_get_data(surface_);
    provider_ = CGDataProvider::createWithData(
        std::string(reinterpret_cast<const char*>(data), bytesPerRow_ * height_));
  }
  return provider_;
}

cairo_surface_t* CGImage::surface() const {
  std::lock_guard lock(mutex_);
  if (surface_) return surface_;
  const auto* src = reinterpret_cast<const uint8_t*>(provider_->data().data());
  if (isMask_) {
    cairo_surface_t* s = newSurface(CAIRO_FORMAT_A8, width_, height_);
    if (!s) return nullptr;
    uint8_t* dst = cairo_image_surface_get_data(s);
    size_t stride = size_t(cairo_image_surface_get_stride(s));
    for (size_t y = 0; y < height_; ++y)
      for (size_t x = 0; x < width_; ++x) {
        uint8_t sample = src[y * bytesPerRow_ + x];
        dst[y * stride + x] = maskDecodeInverted_ ? sample : uint8_t(255 - sample);
      }
    cairo_surface_mark_dirty(s);
    surface_ = s;
    return s;
  }
  CGColorSpaceModel model = space_ ? space_->model() : CGColorSpaceModel::Unknown;
  auto layout = CGPixelLayout::make(model, bitsPerComponent_, bitsPerPixel_, bitmapInfo_, false);
  cairo_format_t native = layout->nativeFormat();
  if (native != CAIRO_FORMAT_INVALID && native != CAIRO_FORMAT_A8 &&
      bytesPerRow_ == size_t(cairo_format_stride_for_width(native, int(width_)))) {
    // The bytes are already Cairo's: read them where they are.  The provider is kept alive by
    // this image and never written.
    surface_ = cairo_image_surface_create_for_data(const_cast<uint8_t*>(src), native, int(width_),
                                                   int(height_), int(bytesPerRow_));
    return surface_;
  }
  cairo_format_t format = layout->hasAlpha ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24;
  cairo_surface_t* s = newSurface(format, width_, height_);
  if (!s) return nullptr;
  CGPixelsToARGB32(*layout, src, bytesPerRow_, cairo_image_surface_get_data(s),
                   size_t(cairo_image_surface_get_stride(s)), width_, height_);
  cairo_surface_mark_dirty(s);
  surface_ = s;
  return s;
}

cairo_surface_t* CGImage::maskSurface() const {
  cairo_surface_t* base = surface();
  std::lock_guard lock(mutex_);
  if (maskSurface_) return maskSurface_;
  if (!base) return nullptr;
  if (cairo_image_surface_get_format(base) == CAIRO_FORMAT_A8) {
    maskSurface_ = cairo_surface_reference(base);
    return maskSurface_;
  }
  cairo_surface_t* s = newSurface(CAIRO_FORMAT_A8, width_, height_);
  if (!s) return nullptr;
  bool gray = space_ && space_->model() == CGColorSpaceModel::Monochrome &&
              alphaInfo() == kCGImageAlphaNone;
  bool opaque = cairo_image_surface_get_format(base) == CAIRO_FORMAT_RGB24;
  const uint8_t* src = cairo_image_surface_get_data(base);
  size_t srcStride = size_t(cairo_image_surface_get_stride(base));
  uint8_t* dst = cairo_image_surface_get_data(s);
  size_t dstStride = size_t(cairo_image_surface_get_stride(s));
  for (size_t y = 0; y < height_; ++y) {
    const uint32_t* row = reinterpret_cast<const uint32_t*>(src + y * srcStride);
    for (size_t x = 0; x < width_; ++x) {
      uint32_t p = row[x];
      // A grey image's red channel is its sample.
      dst[y * dstStride + x] = gray ? uint8_t((p >> 16) & 0xFF) : opaque ? 255 : uint8_t(p >> 24);
    }
  }
  cairo_surface_mark_dirty(s);
  maskSurface_ = s;
  return s;
}

CGImageRef CGImage::createWithImageInRect(const CGImageRef& image, CGRect rect) {
  if (!image) return nullptr;
  CGRect r = CGRectIntersection(CGRectIntegral(rect),
                                CGRectMake(0, 0, CGFloat(image->width_), CGFloat(image->height_)));
  if (CGRectIsEmpty(r)) return nullptr;
  size_t x0 = size_t(r.origin.x), y0 = size_t(r.origin.y);
  size_t w = size_t(r.size.width), h = size_t(r.size.height);
  auto provider = image->dataProvider();
  size_t bytesPerPixel = image->bitsPerPixel_ / 8;
  size_t stride = w * bytesPerPixel;
  // Cairo wants 32-bit aligned rows.
  stride = (stride + 3) & ~size_t(3);
  std::string bytes(stride * h, '\0');
  for (size_t y = 0; y < h; ++y)
    std::memcpy(bytes.data() + y * stride,
                provider->data().data() + (y0 + y) * image->bytesPerRow_ + x0 * bytesPerPixel,
                w * bytesPerPixel);
  auto data = CGDataProvider::createWithData(std::move(bytes));
  CGImageRef out;
  if (image->isMask_) {
    CGFloat inverted[2] = {1, 0};
    out = createMask(w, h, 8, 8, stride, data, image->maskDecodeInverted_ ? inverted : nullptr,
                     image->shouldInterpolate_);
  } else {
    out = create(w, h, image->bitsPerComponent_, image->bitsPerPixel_, stride, image->space_,
                 image->bitmapInfo_, data, nullptr, image->shouldInterpolate_, image->intent_);
  }
  if (out) out->setSourceName(image->sourceName_);
  return out;
}

CGImageRef CGImage::createWithMask(const CGImageRef& image, const CGImageRef& mask) {
  if (!image || !mask || image->isMask_) return nullptr;
  bool grayMask = mask->space_ && mask->space_->model() == CGColorSpaceModel::Monochrome &&
                  mask->alphaInfo() == kCGImageAlphaNone;
  if (!mask->isMask_ && !grayMask) return nullptr;
  cairo_surface_t* src = image->surface();
  cairo_surface_t* alpha = mask->maskSurface();
  if (!src || !alpha) return nullptr;
  cairo_surface_t* out = newSurface(CAIRO_FORMAT_ARGB32, image->width_, image->height_);
  if (!out) return nullptr;
  cairo_t* cr = cairo_create(out);
  cairo_set_source_surface(cr, src, 0, 0);
  cairo_pattern_t* m = cairo_pattern_create_for_surface(alpha);
  cairo_matrix_t scale;
  cairo_matrix_init_scale(&scale, double(mask->width_) / double(image->width_),
                          double(mask->height_) / double(image->height_));
  cairo_pattern_set_matrix(m, &scale);
  cairo_pattern_set_extend(m, CAIRO_EXTEND_PAD);
  cairo_mask(cr, m);
  cairo_pattern_destroy(m);
  cairo_destroy(cr);
  auto result = createWithSurface(out);
  cairo_surface_destroy(out);
  if (result) result->setSourceName(image->sourceName_);
  return result;
}

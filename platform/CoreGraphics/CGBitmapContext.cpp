#include "CoreGraphics/CGBitmapContext.h"

#include <cstring>

struct CGBitmapContext::Made : CGBitmapContext {
  Made(cairo_surface_t* s, size_t w, size_t h) : CGBitmapContext(s, w, h) {}
};

CGBitmapContext::CGBitmapContext(cairo_surface_t* surface, size_t width, size_t height)
    : CGContext(surface, width, height) {}

CGBitmapContext::~CGBitmapContext() {
  if (working_) cairo_surface_destroy(working_);
}

std::shared_ptr<CGBitmapContext> CGBitmapContext::create(void* data, size_t width, size_t height,
                                                         size_t bitsPerComponent,
                                                         size_t bytesPerRow,
                                                         const CGColorSpaceRef& space,
                                                         CGBitmapInfo bitmapInfo) {
  if (width == 0 || height == 0 || width > 32767 || height > 32767) return nullptr;
  CGImageAlphaInfo alpha = CGImageAlphaInfo(bitmapInfo & kCGBitmapAlphaInfoMask);
  CGColorSpaceModel model = space ? space->model() : CGColorSpaceModel::Unknown;
  size_t bpp = alpha == kCGImageAlphaOnly || model == CGColorSpaceModel::Monochrome ? 8 : 32;
  if (model == CGColorSpaceModel::Unknown && alpha != kCGImageAlphaOnly) return nullptr;
  auto layout = CGPixelLayout::make(model, bitsPerComponent, bpp, bitmapInfo, true);
  if (!layout) return nullptr;
  size_t minRow = width * layout->bytesPerPixel;
  if (bytesPerRow == 0) bytesPerRow = (minRow + 3) & ~size_t(3);
  if (bytesPerRow < minRow) return nullptr;

  std::vector<uint8_t> owned;
  uint8_t* bytes = static_cast<uint8_t*>(data);
  if (!bytes) {
    owned.assign(bytesPerRow * height, 0);
    bytes = owned.data();
  }
  cairo_format_t native = layout->nativeFormat();
  bool direct = native != CAIRO_FORMAT_INVALID && bytesPerRow % 4 == 0 &&
                bytesPerRow >= size_t(cairo_format_stride_for_width(native, int(width)));
  cairo_surface_t* surface;
  if (direct) {
    surface = cairo_image_surface_create_for_data(bytes, native, int(width), int(height),
                                                  int(bytesPerRow));
  } else {
    surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, int(width), int(height));
  }
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(surface);
    return nullptr;
  }
  auto ctx = std::make_shared<Made>(surface, width, height);
  ctx->owned_ = std::move(owned);
  ctx->data_ = ctx->owned_.empty() ? bytes : ctx->owned_.data();
  if (!direct) {
    ctx->working_ = surface;  // the reference made above
  } else {
    cairo_surface_destroy(surface);  // the context holds its own
  }
  ctx->width_ = width;
  ctx->height_ = height;
  ctx->bytesPerRow_ = bytesPerRow;
  ctx->space_ = space;
  ctx->bitmapInfo_ = bitmapInfo;
  ctx->layout_ = *layout;
  if (!direct) ctx->lastExported_.assign(bytesPerRow * height, 0xA5);  // forces the first import
  return ctx;
}

void CGBitmapContext::willPaint() {
  if (!working_) {
    // The caller may have written the bytes since the last drawing.
    cairo_surface_mark_dirty(target_);
    return;
  }
  size_t size = bytesPerRow_ * height_;
  if (std::memcmp(lastExported_.data(), data_, size) == 0) return;
  cairo_surface_flush(working_);
  CGPixelsToARGB32(layout_, data_, bytesPerRow_, cairo_image_surface_get_data(working_),
                   size_t(cairo_image_surface_get_stride(working_)), width_, height_);
  cairo_surface_mark_dirty(working_);
}

void CGBitmapContext::didPaint() {
  if (!working_) {
    cairo_surface_flush(target_);
    return;
  }
  cairo_surface_flush(working_);
  CGPixelsFromARGB32(layout_, cairo_image_surface_get_data(working_),
                     size_t(cairo_image_surface_get_stride(working_)), data_, bytesPerRow_, width_,
                     height_);
  std::memcpy(lastExported_.data(), data_, bytesPerRow_ * height_);
}

CGImageRef CGBitmapContext::createImage() {
  flush();
  if (!working_) cairo_surface_flush(target_);
  auto provider = CGDataProvider::createWithData(
      std::string(reinterpret_cast<const char*>(data_), bytesPerRow_ * height_));
  CGColorSpaceRef space = layout_.model == CGPixelLayout::Model::AlphaOnly ? nullptr : space_;
  return CGImage::create(width_, height_, 8, layout_.bitsPerPixel, bytesPerRow_, space, bitmapInfo_,
                         provider);
}

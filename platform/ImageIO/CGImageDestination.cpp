#include "ImageIO/CGImageDestination.h"

#include <algorithm>

#include "ImageIO/ImageCodecs.h"

struct CGImageDestination::Made : CGImageDestination {};

std::shared_ptr<CGImageDestination> CGImageDestination::createWithData(std::string_view type) {
  if (type != kUTTypePNG && type != kUTTypeJPEG) return nullptr;
  auto d = std::make_shared<Made>();
  d->png_ = type == kUTTypePNG;
  return d;
}

void CGImageDestination::addImage(CGImageRef image, const Value& properties) {
  image_ = std::move(image);
  Value q = properties[kCGImageDestinationLossyCompressionQuality];
  if (q.isNumber()) quality_ = std::clamp(q.doubleValue(), 0.0, 1.0);
}

bool CGImageDestination::finalize() {
  data_.clear();
  if (!image_) return false;
  auto out = png_ ? encodePNG(image_) : encodeJPEG(image_, quality_);
  if (!out) return false;
  data_ = std::move(*out);
  return true;
}

namespace {

// The picture as an ARGB32 or RGB24 surface (masks and alpha-only pictures are drawn black).
cairo_surface_t* colorSurface(const CGImageRef& image) {
  cairo_surface_t* s = image ? image->surface() : nullptr;
  if (!s) return nullptr;
  cairo_format_t f = cairo_image_surface_get_format(s);
  if (f == CAIRO_FORMAT_ARGB32 || f == CAIRO_FORMAT_RGB24) return cairo_surface_reference(s);
  cairo_surface_t* out =
      cairo_image_surface_create(CAIRO_FORMAT_ARGB32, int(image->width()), int(image->height()));
  cairo_t* cr = cairo_create(out);
  cairo_set_source_rgb(cr, 0, 0, 0);
  cairo_mask_surface(cr, s, 0, 0);
  cairo_destroy(cr);
  return out;
}

}  // namespace

std::optional<std::string> CGImageDestination::encodePNG(const CGImageRef& image) {
  cairo_surface_t* s = colorSurface(image);
  if (!s) return std::nullopt;
  auto out = imageio::encodePNG(s);
  cairo_surface_destroy(s);
  return out;
}

std::optional<std::string> CGImageDestination::encodeJPEG(const CGImageRef& image, double quality) {
  cairo_surface_t* s = colorSurface(image);
  if (!s) return std::nullopt;
  auto out = imageio::encodeJPEG(s, std::clamp(quality, 0.0, 1.0));
  cairo_surface_destroy(s);
  return out;
}

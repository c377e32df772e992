// PNG through libpng's simplified interface, which reports errors by return value.
#include <png.h>

#include <algorithm>
#include <bit>
#include <cstring>

#include "ImageIO/ImageCodecs.h"

namespace imageio {

namespace {

constexpr bool kLittle = std::endian::native == std::endian::little;

uint8_t mul(unsigned c, unsigned a) {
  unsigned t = c * a + 0x80;
  return uint8_t((t + (t >> 8)) >> 8);
}

}  // namespace

Format sniff(std::string_view d) {
  if (d.size() >= 8 && std::memcmp(d.data(), "\x89PNG\r\n\x1a\n", 8) == 0) return Format::PNG;
  if (d.size() >= 3 && static_cast<unsigned char>(d[0]) == 0xFF &&
      static_cast<unsigned char>(d[1]) == 0xD8 && static_cast<unsigned char>(d[2]) == 0xFF)
    return Format::JPEG;
  if (d.size() >= 6 && (d.substr(0, 6) == "GIF87a" || d.substr(0, 6) == "GIF89a"))
    return Format::GIF;
  return Format::Unknown;
}

std::optional<Still> decodePNG(std::string_view data) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, data.data(), data.size())) return std::nullopt;
  if (image.width == 0 || image.height == 0 || image.width > kMaxSide || image.height > kMaxSide ||
      uint64_t(image.width) * image.height > kMaxPixels) {
    png_image_free(&image);
    return std::nullopt;
  }
  bool alpha = image.format & PNG_FORMAT_FLAG_ALPHA;
  // Native ARGB32 words: B G R A in memory on little-endian machines.
  image.format = kLittle ? PNG_FORMAT_BGRA : PNG_FORMAT_ARGB;
  Surface out(cairo_image_surface_create(alpha ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24,
                                         int(image.width), int(image.height)));
  if (cairo_surface_status(out.s) != CAIRO_STATUS_SUCCESS) {
    png_image_free(&image);
    return std::nullopt;
  }
  uint8_t* pixels = cairo_image_surface_get_data(out.s);
  int stride = cairo_image_surface_get_stride(out.s);
  if (!png_image_finish_read(&image, nullptr, pixels, stride, nullptr)) {
    png_image_free(&image);
    return std::nullopt;
  }
  // Premultiply (the reader gives straight alpha); opaque pictures keep 0xFF in the unused byte.
  for (uint32_t y = 0; y < image.height; ++y) {
    uint32_t* row = reinterpret_cast<uint32_t*>(pixels + size_t(y) * size_t(stride));
    for (uint32_t x = 0; x < image.width; ++x) {
      uint32_t p = row[x];
      unsigned a = p >> 24;
      if (a == 255) continue;
      if (!alpha) {
        row[x] = p | 0xFF000000u;
        continue;
      }
      row[x] = (uint32_t(a) << 24) | (uint32_t(mul((p >> 16) & 0xFF, a)) << 16) |
               (uint32_t(mul((p >> 8) & 0xFF, a)) << 8) | mul(p & 0xFF, a);
    }
  }
  cairo_surface_mark_dirty(out.s);
  Still still;
  still.surface = std::move(out);
  return still;
}

std::optional<Pixels> encodablePixels(cairo_surface_t* surface) {
  if (!surface || cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE) return std::nullopt;
  cairo_surface_flush(surface);
  cairo_format_t format = cairo_image_surface_get_format(surface);
  int w = cairo_image_surface_get_width(surface), h = cairo_image_surface_get_height(surface);
  if (w <= 0 || h <= 0 || (format != CAIRO_FORMAT_ARGB32 && format != CAIRO_FORMAT_RGB24))
    return std::nullopt;
  return Pixels{cairo_image_surface_get_data(surface), w, h,
                size_t(cairo_image_surface_get_stride(surface)), format == CAIRO_FORMAT_ARGB32};
}

std::optional<std::string> encodePNG(cairo_surface_t* surface) {
  auto pixels = encodablePixels(surface);
  if (!pixels) return std::nullopt;
  const int w = pixels->width, h = pixels->height;
  const bool alpha = pixels->alpha;
  const uint8_t* src = pixels->data;
  const size_t stride = pixels->stride;
  // Straight RGBA (or RGB) rows for the writer.
  size_t channels = alpha ? 4 : 3;
  std::vector<uint8_t> rows(size_t(w) * size_t(h) * channels);
  for (int y = 0; y < h; ++y) {
    const uint32_t* row = reinterpret_cast<const uint32_t*>(src + size_t(y) * size_t(stride));
    uint8_t* d = rows.data() + size_t(y) * size_t(w) * channels;
    for (int x = 0; x < w; ++x) {
      uint32_t p = row[x];
      unsigned a = alpha ? p >> 24 : 255, r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
      if (alpha && a != 255) {
        if (a == 0) {
          r = g = b = 0;
        } else {
          r = std::min(255u, (r * 255 + a / 2) / a);
          g = std::min(255u, (g * 255 + a / 2) / a);
          b = std::min(255u, (b * 255 + a / 2) / a);
        }
      }
      *d++ = uint8_t(r);
      *d++ = uint8_t(g);
      *d++ = uint8_t(b);
      if (alpha) *d++ = uint8_t(a);
    }
  }
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = png_uint_32(w);
  image.height = png_uint_32(h);
  image.format = alpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&image, nullptr, &size, 0, rows.data(), 0, nullptr))
    return std::nullopt;
  std::string out(size, '\0');
  if (!png_image_write_to_memory(&image, out.data(), &size, 0, rows.data(), 0, nullptr))
    return std::nullopt;
  out.resize(size);
  return out;
}

}  // namespace imageio

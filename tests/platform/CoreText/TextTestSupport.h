// Shared pieces of the text tests: strings of known widths and the ink of drawn text.
#pragma once

#include <cairo.h>

#include <optional>
#include <string>

#include "CoreGraphics/CGGeometry.h"

inline std::string repeated(const std::string& piece, int count) {
  std::string out;
  for (int i = 0; i < count; ++i) out += piece;
  return out;
}

// The smallest rectangle, in pixels, holding every pixel with some alpha; nullopt for none.
struct InkBounds {
  int left, top, right, bottom;  // right and bottom exclusive
};

inline std::optional<InkBounds> inkBounds(cairo_surface_t* surface) {
  cairo_surface_flush(surface);
  const int w = cairo_image_surface_get_width(surface), h = cairo_image_surface_get_height(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  const unsigned char* data = cairo_image_surface_get_data(surface);
  std::optional<InkBounds> b;
  for (int y = 0; y < h; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(data + y * stride);
    for (int x = 0; x < w; ++x) {
      if ((row[x] >> 24) == 0) continue;
      if (!b) b = InkBounds{x, y, x + 1, y + 1};
      b->left = std::min(b->left, x), b->top = std::min(b->top, y);
      b->right = std::max(b->right, x + 1), b->bottom = std::max(b->bottom, y + 1);
    }
  }
  return b;
}

inline unsigned alphaAt(cairo_surface_t* surface, int x, int y) {
  cairo_surface_flush(surface);
  const unsigned char* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  return reinterpret_cast<const uint32_t*>(data + y * stride)[x] >> 24;
}

#include "CoreGraphics/CGPixelLayout.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace {

constexpr bool kLittleEndian = std::endian::native == std::endian::little;

}  // namespace

CGBitmapInfo CGNativeByteOrder32() {
  return kLittleEndian ? kCGBitmapByteOrder32Little : kCGBitmapByteOrder32Big;
}

std::optional<CGPixelLayout> CGPixelLayout::make(CGColorSpaceModel model, size_t bpc, size_t bpp,
                                                 CGBitmapInfo info, bool forContext) {
  if (bpc != 8 || (info & kCGBitmapFloatComponents)) return std::nullopt;
  CGImageAlphaInfo alpha = CGImageAlphaInfo(info & kCGBitmapAlphaInfoMask);
  CGBitmapInfo order = info & kCGBitmapByteOrderMask;
  CGPixelLayout l;
  l.bitsPerPixel = bpp;
  l.bytesPerPixel = bpp / 8;
  l.hasAlpha = alpha != kCGImageAlphaNone && alpha != kCGImageAlphaNoneSkipFirst &&
               alpha != kCGImageAlphaNoneSkipLast;
  l.premultiplied = alpha == kCGImageAlphaPremultipliedFirst ||
                    alpha == kCGImageAlphaPremultipliedLast || alpha == kCGImageAlphaOnly;
  if (forContext && (alpha == kCGImageAlphaFirst || alpha == kCGImageAlphaLast))
    return std::nullopt;

  if (alpha == kCGImageAlphaOnly) {
    if (bpp != 8) return std::nullopt;
    l.model = Model::AlphaOnly;
    l.offset[3] = 0;
    return l;
  }
  if (model == CGColorSpaceModel::Monochrome) {
    l.model = Model::Gray;
    if (bpp == 8 && alpha == kCGImageAlphaNone) {
      l.offset[0] = 0;
      return l;
    }
    if (forContext || bpp != 16 || !l.hasAlpha) return std::nullopt;
    bool first = alpha == kCGImageAlphaFirst || alpha == kCGImageAlphaPremultipliedFirst;
    bool little = order == kCGBitmapByteOrder16Little;
    int gray = first ? 1 : 0, a = first ? 0 : 1;
    if (little) std::swap(gray, a);
    l.offset[0] = gray;
    l.offset[3] = a;
    return l;
  }
  if (model != CGColorSpaceModel::RGB) return std::nullopt;
  l.model = Model::RGB;
  if (bpp == 24) {
    if (alpha != kCGImageAlphaNone || forContext) return std::nullopt;
    l.offset[0] = 0;
    l.offset[1] = 1;
    l.offset[2] = 2;
    return l;
  }
  if (bpp != 32 || alpha == kCGImageAlphaNone) return std::nullopt;
  if (order != kCGBitmapByteOrderDefault && order != kCGBitmapByteOrder32Big &&
      order != kCGBitmapByteOrder32Little)
    return std::nullopt;
  bool first = alpha == kCGImageAlphaFirst || alpha == kCGImageAlphaPremultipliedFirst ||
               alpha == kCGImageAlphaNoneSkipFirst;
  // Offsets in a big-endian word, reversed for little-endian words.
  int r = first ? 1 : 0, g = first ? 2 : 1, b = first ? 3 : 2, a = first ? 0 : 3;
  if (order == kCGBitmapByteOrder32Little) {
    r = 3 - r;
    g = 3 - g;
    b = 3 - b;
    a = 3 - a;
  }
  l.offset[0] = r;
  l.offset[1] = g;
  l.offset[2] = b;
  l.offset[3] = l.hasAlpha ? a : -1;
  if (!l.hasAlpha) l.skip = a;
  return l;
}

cairo_format_t CGPixelLayout::nativeFormat() const {
  if (model == Model::AlphaOnly) return CAIRO_FORMAT_A8;
  if (model != Model::RGB || bitsPerPixel != 32) return CAIRO_FORMAT_INVALID;
  // ARGB32: a native word A<<24 | R<<16 | G<<8 | B.
  int r = kLittleEndian ? 2 : 1, g = kLittleEndian ? 1 : 2, b = kLittleEndian ? 0 : 3;
  if (offset[0] != r || offset[1] != g || offset[2] != b) return CAIRO_FORMAT_INVALID;
  if (!hasAlpha) {
    // RGB24 ignores the fourth byte, which must be the skipped one.
    return CAIRO_FORMAT_RGB24;
  }
  int a = kLittleEndian ? 3 : 0;
  return offset[3] == a && premultiplied ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_INVALID;
}

void CGPixelsToARGB32(const CGPixelLayout& l, const uint8_t* src, size_t srcStride, uint8_t* dst,
                      size_t dstStride, size_t width, size_t height) {
  for (size_t y = 0; y < height; ++y) {
    const uint8_t* s = src + y * srcStride;
    uint32_t* d = reinterpret_cast<uint32_t*>(dst + y * dstStride);
    for (size_t x = 0; x < width; ++x, s += l.bytesPerPixel) {
      unsigned r, g, b, a;
      a = l.offset[3] >= 0 ? s[l.offset[3]] : 255;
      if (l.model == CGPixelLayout::Model::AlphaOnly) {
        r = g = b = 0;
      } else if (l.model == CGPixelLayout::Model::Gray) {
        r = g = b = s[l.offset[0]];
      } else {
        r = s[l.offset[0]];
        g = s[l.offset[1]];
        b = s[l.offset[2]];
      }
      if (l.hasAlpha && !l.premultiplied) {
        r = CGMultiplyByAlpha(r, a);
        g = CGMultiplyByAlpha(g, a);
        b = CGMultiplyByAlpha(b, a);
      } else if (l.premultiplied) {
        // Premultiplied data cannot hold a colour above its alpha; keep Cairo's invariant.
        r = std::min(r, a);
        g = std::min(g, a);
        b = std::min(b, a);
      }
      d[x] = (a << 24) | (r << 16) | (g << 8) | b;
    }
  }
}

void CGPixelsFromARGB32(const CGPixelLayout& l, const uint8_t* src, size_t srcStride, uint8_t* dst,
                        size_t dstStride, size_t width, size_t height) {
  for (size_t y = 0; y < height; ++y) {
    const uint32_t* s = reinterpret_cast<const uint32_t*>(src + y * srcStride);
    uint8_t* d = dst + y * dstStride;
    for (size_t x = 0; x < width; ++x, d += l.bytesPerPixel) {
      uint32_t p = s[x];
      unsigned a = p >> 24, r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
      if (l.hasAlpha && !l.premultiplied) {
        if (a == 0) {
          r = g = b = 0;
        } else if (a < 255) {
          r = std::min(255u, (r * 255 + a / 2) / a);
          g = std::min(255u, (g * 255 + a / 2) / a);
          b = std::min(255u, (b * 255 + a / 2) / a);
        }
      }
      if (l.model == CGPixelLayout::Model::AlphaOnly) {
        d[l.offset[3]] = uint8_t(a);
        continue;
      }
      if (l.model == CGPixelLayout::Model::Gray) {
        d[l.offset[0]] = uint8_t((299 * r + 587 * g + 114 * b + 500) / 1000);
      } else {
        d[l.offset[0]] = uint8_t(r);
        d[l.offset[1]] = uint8_t(g);
        d[l.offset[2]] = uint8_t(b);
      }
      if (l.offset[3] >= 0) {
        d[l.offset[3]] = uint8_t(a);
      } else if (l.skip >= 0) {
        d[l.skip] = 0xFF;
      }
    }
  }
}

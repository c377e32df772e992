// The byte layouts of bitmaps (what CGImage and bitmap contexts describe with bits per pixel,
// colour space and bitmap info) and their conversion to and from Cairo's premultiplied ARGB32.
// Internal to the drawing stand-in.
#pragma once

#include <cairo.h>

#include <cstddef>
#include <cstdint>
#include <optional>

#include "CoreGraphics/CGColorSpace.h"
#include "CoreGraphics/CGImage.h"

struct CGPixelLayout {
  enum class Model { Gray, RGB, AlphaOnly };
  Model model = Model::RGB;
  size_t bitsPerPixel = 32;
  size_t bytesPerPixel = 4;
  // Byte offsets within a pixel of red, green, blue and alpha (grey at 0); -1 when absent.
  int offset[4] = {-1, -1, -1, -1};
  // The unused byte of a 32-bit RGB pixel without alpha (written as 0xFF); -1 when none.
  int skip = -1;
  bool hasAlpha = false;
  bool premultiplied = false;

  // The layout for 8-bit components, or nullopt when unsupported.  A context accepts only the
  // premultiplied and skipped alpha layouts (and no-alpha grey, alpha only).
  static std::optional<CGPixelLayout> make(CGColorSpaceModel model, size_t bitsPerComponent,
                                           size_t bitsPerPixel, CGBitmapInfo info, bool forContext);
  // The Cairo format with exactly this layout on this machine, else CAIRO_FORMAT_INVALID.
  cairo_format_t nativeFormat() const;
};

// The bitmap info of Cairo's native 32-bit layouts on this machine.
CGBitmapInfo CGNativeByteOrder32();

// Rows of `layout` pixels -> premultiplied ARGB32 (native-endian words).
void CGPixelsToARGB32(const CGPixelLayout& layout, const uint8_t* src, size_t srcStride,
                      uint8_t* dst, size_t dstStride, size_t width, size_t height);
// Premultiplied ARGB32 -> rows of `layout` pixels.  Colours of layouts without alpha are the
// premultiplied ones (as over black); grey is the luminance 0.299 R + 0.587 G + 0.114 B.
void CGPixelsFromARGB32(const CGPixelLayout& layout, const uint8_t* src, size_t srcStride,
                        uint8_t* dst, size_t dstStride, size_t width, size_t height);

// c × a / 255 rounded to the nearest, as Cairo rounds.
inline uint8_t CGMultiplyByAlpha(unsigned c, unsigned a) {
  unsigned t = c * a + 0x80;
  return uint8_t((t + (t >> 8)) >> 8);
}

// JPEG through libjpeg.  libjpeg reports errors by calling back; the callback jumps out of
// the decoder, so the code between setjmp and the jump holds no object with a destructor.
// jpeglib.h needs size_t and FILE declared before it.
#include <cstddef>
#include <cstdio>
// clang-format off
#include <jpeglib.h>
#include <jerror.h>
// clang-format on
#include <setjmp.h>

#include <bit>
#include <cstdlib>
#include <cstring>

#include "ImageIO/ImageCodecs.h"

namespace imageio {

namespace {

constexpr bool kLittle = std::endian::native == std::endian::little;

struct ErrorManager {
  jpeg_error_mgr pub;
  jmp_buf jump;
  bool truncated;
};

extern "C" void onError(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  longjmp(err->jump, 1);
}

extern "C" void onMessage(j_common_ptr cinfo, int level) {
  // Level -1 is a warning about corrupt data; a premature end means the file was cut short.
  if (level == -1 && cinfo->err->msg_code == JWRN_JPEG_EOF) {
    reinterpret_cast<ErrorManager*>(cinfo->err)->truncated = true;
  }
}

// The EXIF orientation (1 ... 8) of an APP1 marker's data, else 1.
int exifOrientation(const uint8_t* d, size_t n) {
  if (n < 14 || std::memcmp(d, "Exif\0\0", 6) != 0) return 1;
  const uint8_t* t = d + 6;
  size_t len = n - 6;
  bool little;
  if (t[0] == 'I' && t[1] == 'I') {
    little = true;
  } else if (t[0] == 'M' && t[1] == 'M') {
    little = false;
  } else {
    return 1;
  }
  auto u16 = [&](size_t at) -> unsigned {
    return little ? unsigned(t[at] | (t[at + 1] << 8)) : unsigned((t[at] << 8) | t[at + 1]);
  };
  auto u32 = [&](size_t at) -> uint32_t {
    return little ? uint32_t(t[at] | (t[at + 1] << 8) | (t[at + 2] << 16) |
                             (uint32_t(t[at + 3]) << 24))
                  : uint32_t((uint32_t(t[at]) << 24) | (t[at + 1] << 16) | (t[at + 2] << 8) |
                             t[at + 3]);
  };
  uint32_t ifd = u32(4);
  if (ifd > len || len - ifd < 2) return 1;
  unsigned count = u16(ifd);
  for (unsigned i = 0; i < count; ++i) {
    size_t entry = size_t(ifd) + 2 + size_t(i) * 12;
    if (entry + 12 > len) return 1;
    if (u16(entry) == 0x0112) {
      unsigned v = u16(entry + 8);
      return v >= 1 && v <= 8 ? int(v) : 1;
    }
  }
  return 1;
}

// Everything the decoder owns, released in one place whether it ends normally or by a jump.
struct Decode {
  jpeg_decompress_struct cinfo;
  ErrorManager err;
  cairo_surface_t* surface = nullptr;
  JSAMPLE* row = nullptr;
};

// Plain C-style: returns false on any error; on success d.surface holds the picture.
bool run(Decode& d, const uint8_t* data, size_t size, int* orientation) {
  d.cinfo.err = jpeg_std_error(&d.err.pub);
  d.err.pub.error_exit = onError;
  d.err.pub.emit_message = onMessage;
  d.err.truncated = false;
  if (setjmp(d.err.jump)) return false;
  jpeg_create_decompress(&d.cinfo);
  jpeg_mem_src(&d.cinfo, data, static_cast<unsigned long>(size));
  jpeg_save_markers(&d.cinfo, JPEG_APP0 + 1, 0xFFFF);
  if (jpeg_read_header(&d.cinfo, TRUE) != JPEG_HEADER_OK) return false;
  if (d.cinfo.image_width == 0 || d.cinfo.image_height == 0 || d.cinfo.image_width > kMaxSide ||
      d.cinfo.image_height > kMaxSide ||
      uint64_t(d.cinfo.image_width) * d.cinfo.image_height > kMaxPixels)
    return false;
  for (jpeg_saved_marker_ptr m = d.cinfo.marker_list; m; m = m->next) {
    if (m->marker == JPEG_APP0 + 1) {
      *orientation = exifOrientation(m->data, m->data_length);
      break;
    }
  }
  bool cmyk = d.cinfo.jpeg_color_space == JCS_CMYK || d.cinfo.jpeg_color_space == JCS_YCCK;
  d.cinfo.out_color_space = cmyk ? JCS_CMYK : (kLittle ? JCS_EXT_BGRX : JCS_EXT_XRGB);
  jpeg_start_decompress(&d.cinfo);
  int w = int(d.cinfo.output_width), h = int(d.cinfo.output_height);
  d.surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
  if (cairo_surface_status(d.surface) != CAIRO_STATUS_SUCCESS) return false;
  uint8_t* pixels = cairo_image_surface_get_data(d.surface);
  size_t stride = size_t(cairo_image_surface_get_stride(d.surface));
  if (cmyk) {
    d.row = static_cast<JSAMPLE*>(std::malloc(size_t(w) * 4));
    if (!d.row) return false;
  }
  while (d.cinfo.output_scanline < d.cinfo.output_height) {
    size_t y = d.cinfo.output_scanline;
    JSAMPROW target = cmyk ? d.row : pixels + y * stride;
    if (jpeg_read_scanlines(&d.cinfo, &target, 1) != 1) return false;
    if (d.err.truncated) return false;
    uint32_t* out = reinterpret_cast<uint32_t*>(pixels + y * stride);
    for (int x = 0; x < w; ++x) {
      if (cmyk) {
        // Stored inverted, as the usual writers do.
        unsigned c = d.row[x * 4], m = d.row[x * 4 + 1], yy = d.row[x * 4 + 2],
                 k = d.row[x * 4 + 3];
        unsigned r = (c * k + 127) / 255, g = (m * k + 127) / 255, b = (yy * k + 127) / 255;
        out[x] = 0xFF000000u | (r << 16) | (g << 8) | b;
      } else {
        out[x] |= 0xFF000000u;
      }
    }
  }
  jpeg_finish_decompress(&d.cinfo);
  return !d.err.truncated;
}

}  // namespace

std::optional<Still> decodeJPEG(std::string_view data) {
  if (data.empty()) return std::nullopt;
  Decode d;
  std::memset(&d.cinfo, 0, sizeof d.cinfo);
  int orientation = 1;
  bool ok = run(d, reinterpret_cast<const uint8_t*>(data.data()), data.size(), &orientation);
  jpeg_destroy_decompress(&d.cinfo);
  std::free(d.row);
  if (!ok) {
    if (d.surface) cairo_surface_destroy(d.surface);
    return std::nullopt;
  }
  cairo_surface_mark_dirty(d.surface);
  Still still;
  still.surface = Surface(d.surface);
  still.exifOrientation = orientation;
  return still;
}

std::optional<std::string> encodeJPEG(cairo_surface_t* surface, double quality) {
  auto source = encodablePixels(surface);
  if (!source) return std::nullopt;
  const int w = source->width, h = source->height;
  const uint8_t* pixels = source->data;
  const size_t stride = source->stride;

  jpeg_compress_struct cinfo;
  std::memset(&cinfo, 0, sizeof cinfo);
  ErrorManager err;
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = onError;
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  if (setjmp(err.jump)) {
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return std::nullopt;
  }
  jpeg_create_compress(&cinfo);
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = JDIMENSION(w);
  cinfo.image_height = JDIMENSION(h);
  cinfo.input_components = 4;
  // Premultiplied colours: transparent parts come out as over black.
  cinfo.in_color_space = kLittle ? JCS_EXT_BGRX : JCS_EXT_XRGB;
  jpeg_set_defaults(&cinfo);
  int q = int(quality * 100 + 0.5);
  jpeg_set_quality(&cinfo, q < 0 ? 0 : q > 100 ? 100 : q, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(pixels + size_t(cinfo.next_scanline) * stride);
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  std::string out(reinterpret_cast<const char*>(buffer), size);
  jpeg_destroy_compress(&cinfo);
  std::free(buffer);
  return out;
}

}  // namespace imageio

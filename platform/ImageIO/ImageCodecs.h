// The decoders and encoders behind image sources and destinations (libpng, libjpeg, giflib 5).
// Internal to ImageIO.  Decoders never trust the data: a malformed or truncated file gives
// nothing (or, for a GIF, the frames read completely before the fault), never a crash, and
// pictures above kMaxPixels are refused.
#pragma once

#include <cairo.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace imageio {

// 32 megapixels (128 MB as ARGB): larger than any picture the app shows.
inline constexpr uint64_t kMaxPixels = uint64_t(1) << 25;
inline constexpr uint32_t kMaxSide = 16384;

enum class Format { Unknown, PNG, JPEG, GIF };
Format sniff(std::string_view data);

struct Surface {
  cairo_surface_t* s = nullptr;
  Surface() = default;
  explicit Surface(cairo_surface_t* surface) : s(surface) {}
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;
  Surface(Surface&& o) noexcept : s(o.s) { o.s = nullptr; }
  Surface& operator=(Surface&& o) noexcept {
    std::swap(s, o.s);
    return *this;
  }
  ~Surface() {
    if (s) cairo_surface_destroy(s);
  }
  explicit operator bool() const { return s != nullptr; }
};

// A still picture: ARGB32 (premultiplied) or RGB24 when it has no alpha.
struct Still {
  Surface surface;
  int exifOrientation = 1;  // JPEG only: 1 ... 8
};
std::optional<Still> decodePNG(std::string_view data);
std::optional<Still> decodeJPEG(std::string_view data);

// A GIF: its frames as read (indices, palette, placement, disposal), composited on demand.
class GIFDecoder {
 public:
  // nullptr when the header is bad or no frame could be read completely.
  static std::unique_ptr<GIFDecoder> open(std::string_view data);
  ~GIFDecoder();

  size_t frameCount() const { return frames_.size(); }
  uint32_t width() const { return width_; }
  uint32_t height() const { return height_; }
  // -1 without a looping extension; 0 means for ever.
  int loopCount() const { return loopCount_; }
  // The stored delay in seconds.
  double delay(size_t index) const;
  // The canvas after frame `index` (and the frames before it, with their disposals).
  Surface composite(size_t index);

  struct Frame {
    uint32_t left = 0, top = 0, width = 0, height = 0;
    std::vector<uint8_t> indices;   // width × height, in display order
    std::vector<uint32_t> palette;  // premultiplied ARGB
    int transparent = -1;
    int disposal = 0;
    int delayCs = 0;
  };

 private:
  GIFDecoder() = default;
  void draw(const Frame& f);
  void dispose(const Frame& f);

  uint32_t width_ = 0, height_ = 0;
  int loopCount_ = -1;
  std::vector<Frame> frames_;
  // The composited state: the canvas after frame `done_` (or before the first, -1).
  std::vector<uint32_t> canvas_;
  std::vector<uint32_t> previous_;  // the canvas before `done_` was drawn (disposal 3)
  long done_ = -1;
};

// What the encoders read: the rows of an ARGB32 or RGB24 image surface.
struct Pixels {
  const uint8_t* data;
  int width, height;
  size_t stride;
  bool alpha;  // ARGB32
};
// nullopt for another kind of surface.
std::optional<Pixels> encodablePixels(cairo_surface_t* surface);

std::optional<std::string> encodePNG(cairo_surface_t* surface);
// quality 0 ... 1.
std::optional<std::string> encodeJPEG(cairo_surface_t* surface, double quality);

}  // namespace imageio

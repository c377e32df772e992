// GIF frames through giflib 5 (DGifOpen with a read function), record by record, so that the
// frames before a fault are kept.  Frames are composited on the logical screen, as the
// platform hands them back: transparent pixels keep what is below, and each frame's disposal
// (none, restore to background = transparent, restore to previous) applies before the next.
#include <gif_lib.h>

#include <algorithm>
#include <cstring>

#include "ImageIO/ImageCodecs.h"

namespace imageio {

namespace {

struct Reader {
  const uint8_t* data;
  size_t size;
  size_t at = 0;
};

int readBytes(GifFileType* gif, GifByteType* out, int wanted) {
  auto* r = static_cast<Reader*>(gif->UserData);
  if (wanted <= 0) return 0;
  size_t n = std::min(size_t(wanted), r->size - r->at);
  std::memcpy(out, r->data + r->at, n);
  r->at += n;
  return int(n);
}

// What all the frames of one file may decode in total: a small file cannot make the decoder
// work for minutes.
constexpr uint64_t kPixelBudget = uint64_t(1) << 27;

std::vector<uint32_t> paletteOf(const ColorMapObject* map) {
  std::vector<uint32_t> out;
  if (!map || !map->Colors || map->ColorCount <= 0) return out;
  out.reserve(size_t(map->ColorCount));
  for (int i = 0; i < map->ColorCount; ++i) {
    const GifColorType& c = map->Colors[i];
    out.push_back(0xFF000000u | (uint32_t(c.Red) << 16) | (uint32_t(c.Green) << 8) | c.Blue);
  }
  return out;
}

struct GifCloser {
  void operator()(GifFileType* g) const {
    int error = 0;
    DGifCloseFile(g, &error);
  }
};

}  // namespace

GIFDecoder::~GIFDecoder() = default;

std::unique_ptr<GIFDecoder> GIFDecoder::open(std::string_view data) {
  Reader reader{reinterpret_cast<const uint8_t*>(data.data()), data.size()};
  int error = 0;
  std::unique_ptr<GifFileType, GifCloser> gif(DGifOpen(&reader, readBytes, &error));
  if (!gif) return nullptr;
  if (gif->SWidth <= 0 || gif->SHeight <= 0 || uint32_t(gif->SWidth) > kMaxSide ||
      uint32_t(gif->SHeight) > kMaxSide ||
      uint64_t(gif->SWidth) * uint64_t(gif->SHeight) > kMaxPixels)
    return nullptr;
  std::unique_ptr<GIFDecoder> decoder(new GIFDecoder());
  decoder->width_ = uint32_t(gif->SWidth);
  decoder->height_ = uint32_t(gif->SHeight);
  std::vector<uint32_t> global = paletteOf(gif->SColorMap);

  int transparent = -1, disposal = 0, delayCs = 0;
  uint64_t budget = kPixelBudget;
  bool done = false;
  while (!done) {
    GifRecordType type;
    if (DGifGetRecordType(gif.get(), &type) == GIF_ERROR) break;
    switch (type) {
      case IMAGE_DESC_RECORD_TYPE: {
        if (DGifGetImageDesc(gif.get()) == GIF_ERROR) {
          done = true;
          break;
        }
        const GifImageDesc& desc = gif->Image;
        if (desc.Width <= 0 || desc.Height <= 0 ||
            uint64_t(desc.Width) * uint64_t(desc.Height) > std::min(budget, kMaxPixels)) {
          done = true;
          break;
        }
        budget -= uint64_t(desc.Width) * uint64_t(desc.Height);
        Frame f;
        f.left = uint32_t(desc.Left);
        f.top = uint32_t(desc.Top);
        f.width = uint32_t(desc.Width);
        f.height = uint32_t(desc.Height);
        f.palette = desc.ColorMap ? paletteOf(desc.ColorMap) : global;
        f.transparent = transparent;
        f.disposal = disposal;
        f.delayCs = delayCs;
        f.indices.assign(size_t(f.width) * f.height, 0);
        bool ok = !f.palette.empty();
        if (ok && desc.Interlace) {
          static const int start[] = {0, 4, 2, 1}, step[] = {8, 8, 4, 2};
          for (int pass = 0; pass < 4 && ok; ++pass)
            for (uint32_t y = uint32_t(start[pass]); y < f.height && ok; y += uint32_t(step[pass]))
              ok = DGifGetLine(gif.get(), &f.indices[size_t(y) * f.width], int(f.width)) !=
                   GIF_ERROR;
        } else if (ok) {
          for (uint32_t y = 0; y < f.height && ok; ++y)
            ok = DGifGetLine(gif.get(), &f.indices[size_t(y) * f.width], int(f.width)) != GIF_ERROR;
        }
        if (!ok) {
          done = true;
          break;
        }
        decoder->frames_.push_back(std::move(f));
        transparent = -1;
        disposal = 0;
        delayCs = 0;
        break;
      }
      case EXTENSION_RECORD_TYPE: {
        int code = 0;
        GifByteType* block = nullptr;
        if (DGifGetExtension(gif.get(), &code, &block) == GIF_ERROR) {
          done = true;
          break;
        }
        bool netscape = false;
        if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] >= 4) {
          disposal = (block[1] >> 2) & 7;
          delayCs = block[2] | (block[3] << 8);
          transparent = (block[1] & 1) ? block[4] : -1;
        } else if (code == APPLICATION_EXT_FUNC_CODE && block && block[0] == 11 &&
                   std::memcmp(block + 1, "NETSCAPE2.0", 11) == 0) {
          netscape = true;
        }
        while (block) {
          if (DGifGetExtensionNext(gif.get(), &block) == GIF_ERROR) {
            done = true;
            break;
          }
          if (netscape && block && block[0] >= 3 && block[1] == 1) {
            decoder->loopCount_ = block[2] | (block[3] << 8);
            netscape = false;
          }
        }
        break;
      }
      case TERMINATE_RECORD_TYPE:
      default:
        done = true;
        break;
    }
  }
  if (decoder->frames_.empty()) return nullptr;
  return decoder;
}

double GIFDecoder::delay(size_t index) const {
  if (index >= frames_.size()) return 0;
  return frames_[index].delayCs / 100.0;
}

void GIFDecoder::draw(const Frame& f) {
  for (uint32_t y = 0; y < f.height; ++y) {
    uint32_t cy = f.top + y;
    if (cy >= height_) break;
    for (uint32_t x = 0; x < f.width; ++x) {
      uint32_t cx = f.left + x;
      if (cx >= width_) break;
      int index = f.indices[size_t(y) * f.width + x];
      if (index == f.transparent || size_t(index) >= f.palette.size()) continue;
      canvas_[size_t(cy) * width_ + cx] = f.palette[size_t(index)];
    }
  }
}

void GIFDecoder::dispose(const Frame& f) {
  if (f.disposal == 2) {
    for (uint32_t y = f.top; y < std::min(height_, f.top + f.height); ++y)
      for (uint32_t x = f.left; x < std::min(width_, f.left + f.width); ++x)
        canvas_[size_t(y) * width_ + x] = 0;
  } else if (f.disposal == 3 && !previous_.empty()) {
    canvas_ = previous_;
  }
}

Surface GIFDecoder::composite(size_t index) {
  if (index >= frames_.size()) return Surface();
  if (done_ < 0 || size_t(done_) > index) {
    canvas_.assign(size_t(width_) * height_, 0);
    previous_.clear();
    done_ = -1;
  }
  while (done_ < long(index)) {
    if (done_ >= 0) dispose(frames_[size_t(done_)]);
    const Frame& next = frames_[size_t(done_ + 1)];
    if (next.disposal == 3) {
      previous_ = canvas_;
    } else {
      previous_.clear();
    }
    draw(next);
    ++done_;
  }
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, int(width_), int(height_));
  if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(s);
    return Surface();
  }
  uint8_t* pixels = cairo_image_surface_get_data(s);
  size_t stride = size_t(cairo_image_surface_get_stride(s));
  for (uint32_t y = 0; y < height_; ++y)
    std::memcpy(pixels + y * stride, &canvas_[size_t(y) * width_], size_t(width_) * 4);
  cairo_surface_mark_dirty(s);
  return Surface(s);
}

}  // namespace imageio

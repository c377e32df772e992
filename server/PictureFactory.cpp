#include "server/PictureFactory.h"

#include <cairo-ft.h>
#include <cairo.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include <gif_lib.h>
#include <jpeglib.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace zept::server {

namespace {

// The CJK font the project installs (scripts/setup), opened through FreeType directly:
// fontconfig's lookups keep caches that are never given back.
constexpr const char* kFontFiles[] = {
    "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc",
    "/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc",
};

// One face for the whole process; null when no font file is found (pictures then carry no text).
cairo_font_face_t* cjkFontFace() {
  static cairo_font_face_t* face = []() -> cairo_font_face_t* {
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) return nullptr;
    for (const char* file : kFontFiles) {
      FT_Face ft = nullptr;
      if (FT_New_Face(library, file, 0, &ft) == 0)
        return cairo_ft_font_face_create_for_ft_face(ft, 0);
    }
    return nullptr;
  }();
  return face;
}

uint32_t hashOf(std::string_view s) {
  uint32_t h = 2166136261u;
  for (unsigned char c : s) {
    h ^= c;
    h *= 16777619u;
  }
  return h;
}

struct RGB {
  double r, g, b;
};

RGB hsv(double h, double s, double v) {
  h = std::fmod(h, 360.0) / 60.0;
  int i = static_cast<int>(h);
  double f = h - i, p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
  switch (i) {
    case 0:
      return {v, t, p};
    case 1:
      return {q, v, p};
    case 2:
      return {p, v, t};
    case 3:
      return {p, q, v};
    case 4:
      return {t, p, v};
    default:
      return {v, p, q};
  }
}

struct SurfaceFree {
  void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct ContextFree {
  void operator()(cairo_t* c) const { cairo_destroy(c); }
};
using Surface = std::unique_ptr<cairo_surface_t, SurfaceFree>;
using Context = std::unique_ptr<cairo_t, ContextFree>;

// The first UTF-8 character of a text.
std::string firstCharacter(std::string_view s) {
  if (s.empty()) return {};
  auto c = static_cast<unsigned char>(s[0]);
  size_t n = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 1;
  return std::string(s.substr(0, std::min(n, s.size())));
}

void roundedRect(cairo_t* cr, double x, double y, double w, double h, double r) {
  cairo_new_sub_path(cr);
  cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
  cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
  cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
  cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
  cairo_close_path(cr);
}

void centredText(cairo_t* cr, std::string_view text, double cx, double cy, double size) {
  if (text.empty()) return;
  cairo_font_face_t* face = cjkFontFace();
  if (!face) return;
  std::string s(text);
  cairo_set_font_face(cr, face);
  cairo_set_font_size(cr, size);
  cairo_text_extents_t ext;
  cairo_text_extents(cr, s.c_str(), &ext);
  cairo_move_to(cr, cx - ext.width / 2 - ext.x_bearing, cy - ext.height / 2 - ext.y_bearing);
  cairo_show_text(cr, s.c_str());
}

cairo_status_t appendBytes(void* closure, const unsigned char* data, unsigned int length) {
  static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
  return CAIRO_STATUS_SUCCESS;
}

std::string encodePNG(cairo_surface_t* surface) {
  std::string out;
  cairo_surface_flush(surface);
  cairo_surface_write_to_png_stream(surface, appendBytes, &out);
  return out;
}

std::string encodeJPEG(cairo_surface_t* surface, int quality = 85) {
  cairo_surface_flush(surface);
  int width = cairo_image_surface_get_width(surface);
  int height = cairo_image_surface_get_height(surface);
  int stride = cairo_image_surface_get_stride(surface);
  const unsigned char* pixels = cairo_image_surface_get_data(surface);

  jpeg_compress_struct cinfo;
  jpeg_error_mgr jerr;
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  std::string row(static_cast<size_t>(width) * 3, '\0');
  while (cinfo.next_scanline < cinfo.image_height) {
    const auto* src = reinterpret_cast<const uint32_t*>(pixels + cinfo.next_scanline * stride);
    for (int x = 0; x < width; ++x) {
      uint32_t p = src[x];  // opaque ARGB32 in native order
      row[x * 3] = char((p >> 16) & 0xFF);
      row[x * 3 + 1] = char((p >> 8) & 0xFF);
      row[x * 3 + 2] = char(p & 0xFF);
    }
    JSAMPROW rows[1] = {reinterpret_cast<JSAMPROW>(row.data())};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  std::string out(reinterpret_cast<const char*>(buffer), size);
  jpeg_destroy_compress(&cinfo);
  std::free(buffer);
  return out;
}

// An abstract "product photo": a gradient with a few soft shapes, all from the name's hash.
void paintPhoto(cairo_t* cr, std::string_view name, int width, int height, bool banner);

std::string drawPhoto(std::string_view name, int width, int height, bool banner) {
  Surface surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height));
  Context cr(cairo_create(surface.get()));
  paintPhoto(cr.get(), name, width, height, banner);
  return encodeJPEG(surface.get());
}

int writeGifBytes(GifFileType* gif, const GifByteType* data, int length) {
  static_cast<std::string*>(gif->UserData)
      ->append(reinterpret_cast<const char*>(data), size_t(length));
  return length;
}

// An animated photo: the photo of the name with a white ball crossing it, kFrames frames of
// 0.2 s on a 6 x 7 x 6 colour cube, looping for ever.  Empty when giflib fails.
constexpr int kGifFrames = 4;

std::string drawAnimatedPhoto(std::string_view name, int width, int height) {
  std::string out;
  int error = 0;
  GifFileType* gif = EGifOpen(&out, writeGifBytes, &error);
  if (!gif) return {};
  ColorMapObject* palette = GifMakeMapObject(256, nullptr);
  for (int i = 0; i < 256; ++i) {
    int r = i / 42, g = (i / 6) % 7, b = i % 6;
    if (i >= 252) r = g = b = 0;
    palette->Colors[i] = {GifByteType(r * 51), GifByteType(g * 255 / 6), GifByteType(b * 51)};
  }
  EGifSetGifVersion(gif, true);
  bool ok = EGifPutScreenDesc(gif, width, height, 8, 0, palette) != GIF_ERROR;
  const unsigned char loop[3] = {1, 0, 0};
  ok = ok && EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) != GIF_ERROR &&
       EGifPutExtensionBlock(gif, 11, "NETSCAPE2.0") != GIF_ERROR &&
       EGifPutExtensionBlock(gif, 3, loop) != GIF_ERROR &&
       EGifPutExtensionTrailer(gif) != GIF_ERROR;
  std::vector<GifPixelType> row(size_t(width), 0);
  for (int frame = 0; ok && frame < kGifFrames; ++frame) {
    Surface surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height));
    Context cr(cairo_create(surface.get()));
    paintPhoto(cr.get(), name, width, height, false);
    double radius = std::min(width, height) * 0.12;
    cairo_set_source_rgb(cr.get(), 1, 1, 1);
    cairo_arc(cr.get(), radius + (width - 2 * radius) * frame / (kGifFrames - 1), height / 2.0,
              radius, 0, 2 * M_PI);
    cairo_fill(cr.get());
    cairo_surface_flush(surface.get());
    const unsigned char gce[4] = {0, 20, 0, 0};
    ok = EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, gce) != GIF_ERROR &&
         EGifPutImageDesc(gif, 0, 0, width, height, false, nullptr) != GIF_ERROR;
    const unsigned char* pixels = cairo_image_surface_get_data(surface.get());
    int stride = cairo_image_surface_get_stride(surface.get());
    for (int y = 0; ok && y < height; ++y) {
      const auto* src = reinterpret_cast<const uint32_t*>(pixels + y * stride);
      for (int x = 0; x < width; ++x) {
        uint32_t p = src[x];
        int r = int(((p >> 16) & 0xFF) * 5 + 127) / 255, g = int(((p >> 8) & 0xFF) * 6 + 127) / 255,
            b = int((p & 0xFF) * 5 + 127) / 255;
        row[size_t(x)] = GifPixelType(r * 42 + g * 6 + b);
      }
      ok = EGifPutLine(gif, row.data(), width) != GIF_ERROR;
    }
  }
  if (EGifCloseFile(gif, &error) == GIF_ERROR) ok = false;
  GifFreeMapObject(palette);
  return ok ? out : std::string();
}

void paintPhoto(cairo_t* cr, std::string_view name, int width, int height, bool banner) {
  uint32_t h = hashOf(name);
  double hue = h % 360;
  RGB a = hsv(hue, 0.35, 0.95), b = hsv(hue + 40, 0.55, 0.75);
  cairo_pattern_t* grad = cairo_pattern_create_linear(0, 0, width, height);
  cairo_pattern_add_color_stop_rgb(grad, 0, a.r, a.g, a.b);
  cairo_pattern_add_color_stop_rgb(grad, 1, b.r, b.g, b.b);
  cairo_set_source(cr, grad);
  cairo_paint(cr);
  cairo_pattern_destroy(grad);
  uint32_t r = h;
  for (int i = 0; i < 5; ++i) {
    r = r * 1103515245u + 12345u;
    double cx = (r >> 8) % 1000 / 1000.0 * width;
    r = r * 1103515245u + 12345u;
    double cy = (r >> 8) % 1000 / 1000.0 * height;
    r = r * 1103515245u + 12345u;
    double rad = (0.08 + (r >> 8) % 1000 / 1000.0 * 0.22) * std::min(width, height);
    RGB c = hsv(hue + 90 + i * 50, 0.5, 0.95);
    cairo_set_source_rgba(cr, c.r, c.g, c.b, 0.55);
    cairo_arc(cr, cx, cy, rad, 0, 2 * M_PI);
    cairo_fill(cr);
  }
  if (banner) {
    cairo_set_source_rgba(cr, 0, 0, 0, 0.25);
    cairo_rectangle(cr, 0, height * 0.6, width, height * 0.4);
    cairo_fill(cr);
  }
}

std::string drawAvatar(std::string_view name, std::string_view label) {
  const int size = 100;
  Surface surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size));
  Context cr(cairo_create(surface.get()));
  RGB c = hsv(hashOf(name) % 360, 0.55, 0.8);
  roundedRect(cr.get(), 0, 0, size, size, 12);
  cairo_set_source_rgb(cr.get(), c.r, c.g, c.b);
  cairo_fill(cr.get());
  cairo_set_source_rgb(cr.get(), 1, 1, 1);
  centredText(cr.get(), firstCharacter(label), size / 2.0, size / 2.0, 52);
  return encodePNG(surface.get());
}

std::string drawChannel(std::string_view kind, int channelId, std::string_view label, int scale,
                        int edition) {
  const int hue = (channelId * 47 + edition * 120) % 360;
  RGB base = hsv(hue, 0.6, 0.85);
  bool night = kind == "tuijian_theme1";
  if (night) base = hsv(hue, 0.5, 0.45);
  int w = 57, h = 57;
  if (kind == "background") w = h = 145;
  if (kind == "navigation") w = 160, h = 44;
  if (kind == "tuijian" || night) w = h = 60;
  w *= scale;
  h *= scale;
  Surface surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h));
  Context cr(cairo_create(surface.get()));
  if (kind == "navigation") {
    // A later edition tints the title.
    RGB ink = edition == 0 ? RGB{1, 1, 1} : hsv(hue, 0.3, 1.0);
    cairo_set_source_rgb(cr.get(), ink.r, ink.g, ink.b);
    centredText(cr.get(), label, w / 2.0, h / 2.0, 20.0 * scale);
    return encodePNG(surface.get());
  }
  if (kind == "background") {
    cairo_set_source_rgb(cr.get(), base.r, base.g, base.b);
    cairo_paint(cr.get());
    cairo_set_source_rgba(cr.get(), 1, 1, 1, 0.12);
    for (int i = -h; i < w; i += 12 * scale) {
      cairo_move_to(cr.get(), i, h);
      cairo_line_to(cr.get(), i + h, 0);
    }
    cairo_set_line_width(cr.get(), 3.0 * scale);
    cairo_stroke(cr.get());
    return encodePNG(surface.get());
  }
  roundedRect(cr.get(), 0, 0, w, h, 10.0 * scale);
  cairo_set_source_rgb(cr.get(), base.r, base.g, base.b);
  cairo_fill(cr.get());
  cairo_set_source_rgb(cr.get(), 1, 1, 1);
  centredText(cr.get(), firstCharacter(label), w / 2.0, h / 2.0, h * 0.55);
  return encodePNG(surface.get());
}

}  // namespace

bool PictureFactory::isChannelImageKind(std::string_view kind) {
  return kind == "icon" || kind == "background" || kind == "navigation" || kind == "tuijian" ||
         kind == "tuijian_theme1";
}

const std::string& PictureFactory::photoJPEG(std::string_view name, int width, int height) {
  std::string key =
      "photo:" + std::string(name) + ":" + std::to_string(width) + "x" + std::to_string(height);
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = cache_.find(key);
  if (it == cache_.end()) it = cache_.emplace(key, drawPhoto(name, width, height, false)).first;
  return it->second;
}

const std::string& PictureFactory::photoGIF(std::string_view name, int width, int height) {
  std::string key =
      "gif:" + std::string(name) + ":" + std::to_string(width) + "x" + std::to_string(height);
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = cache_.find(key);
  if (it == cache_.end()) it = cache_.emplace(key, drawAnimatedPhoto(name, width, height)).first;
  return it->second;
}

const std::string& PictureFactory::bannerJPEG(std::string_view name, int width, int height) {
  std::string key =
      "banner:" + std::string(name) + ":" + std::to_string(width) + "x" + std::to_string(height);
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = cache_.find(key);
  if (it == cache_.end()) it = cache_.emplace(key, drawPhoto(name, width, height, true)).first;
  return it->second;
}

const std::string& PictureFactory::avatarPNG(std::string_view name, std::string_view label) {
  std::string key = "avatar:" + std::string(name);
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = cache_.find(key);
  if (it == cache_.end()) it = cache_.emplace(key, drawAvatar(name, label)).first;
  return it->second;
}

const std::string& PictureFactory::channelPNG(std::string_view kind, int channelId,
                                              std::string_view label, int scale, int edition) {
  std::string key = "channel:" + std::string(kind) + ":" + std::to_string(channelId) + ":" +
                    std::to_string(scale) + ":" + std::to_string(edition);
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = cache_.find(key);
  if (it == cache_.end())
    it = cache_.emplace(key, drawChannel(kind, channelId, label, scale, edition)).first;
  return it->second;
}

}  // namespace zept::server

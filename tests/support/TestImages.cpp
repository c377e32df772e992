#include "support/TestImages.h"

#include <gif_lib.h>

namespace {

int writeBytes(GifFileType* gif, const GifByteType* bytes, int n) {
  static_cast<std::string*>(gif->UserData)->append(reinterpret_cast<const char*>(bytes), size_t(n));
  return n;
}

ColorMapObject* mapOf(const std::vector<uint32_t>& palette) {
  int n = 2;
  while (n < int(palette.size())) n *= 2;
  std::vector<GifColorType> colors(size_t(n), GifColorType{0, 0, 0});
  for (size_t i = 0; i < palette.size(); ++i)
    colors[i] = GifColorType{GifByteType(palette[i] >> 16), GifByteType(palette[i] >> 8),
                             GifByteType(palette[i])};
  return GifMakeMapObject(n, colors.data());
}

}  // namespace

std::string writeGIF(const GIFSpec& spec) {
  std::string out;
  int error = 0;
  GifFileType* gif = EGifOpen(&out, writeBytes, &error);
  if (!gif) return {};
  EGifSetGifVersion(gif, true);
  ColorMapObject* global = spec.palette.empty() ? nullptr : mapOf(spec.palette);
  bool ok = EGifPutScreenDesc(gif, spec.width, spec.height, 8, 0, global) != GIF_ERROR;
  if (ok && spec.loopCount >= 0) {
    GifByteType loop[3] = {1, GifByteType(spec.loopCount & 0xFF), GifByteType(spec.loopCount >> 8)};
    ok = EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) != GIF_ERROR &&
         EGifPutExtensionBlock(gif, 11, "NETSCAPE2.0") != GIF_ERROR &&
         EGifPutExtensionBlock(gif, 3, loop) != GIF_ERROR &&
         EGifPutExtensionTrailer(gif) != GIF_ERROR;
  }
  for (const GIFFrameSpec& f : spec.frames) {
    if (!ok) break;
    GifByteType gce[4] = {GifByteType(((f.disposal & 7) << 2) | (f.transparent >= 0 ? 1 : 0)),
                          GifByteType(f.delayCs & 0xFF), GifByteType(f.delayCs >> 8),
                          GifByteType(f.transparent >= 0 ? f.transparent : 0)};
    ok = EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, gce) != GIF_ERROR;
    ColorMapObject* local = f.palette.empty() ? nullptr : mapOf(f.palette);
    ok = ok &&
         EGifPutImageDesc(gif, f.left, f.top, f.width, f.height, f.interlaced, local) != GIF_ERROR;
    if (local) GifFreeMapObject(local);
    if (f.interlaced) {
      static const int start[] = {0, 4, 2, 1}, step[] = {8, 8, 4, 2};
      for (int pass = 0; pass < 4 && ok; ++pass)
        for (int y = start[pass]; y < f.height && ok; y += step[pass])
          ok = EGifPutLine(gif, const_cast<GifPixelType*>(&f.indices[size_t(y * f.width)]),
                           f.width) != GIF_ERROR;
    } else {
      for (int y = 0; y < f.height && ok; ++y)
        ok = EGifPutLine(gif, const_cast<GifPixelType*>(&f.indices[size_t(y * f.width)]),
                         f.width) != GIF_ERROR;
    }
  }
  if (global) GifFreeMapObject(global);
  if (EGifCloseFile(gif, &error) == GIF_ERROR) ok = false;
  return ok ? out : std::string();
}

GIFSpec threeFrameGIF() {
  GIFSpec spec;
  spec.width = 4;
  spec.height = 4;
  spec.palette = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
  spec.loopCount = 0;
  GIFFrameSpec red;
  red.width = red.height = 4;
  red.indices.assign(16, 0);
  red.delayCs = 10;
  GIFFrameSpec green;
  green.left = green.top = 1;
  green.width = green.height = 2;
  green.indices = {3, 1, 1, 1};
  green.transparent = 3;
  green.disposal = 2;
  green.delayCs = 20;
  GIFFrameSpec blue;
  blue.top = 3;
  blue.width = 4;
  blue.height = 1;
  blue.indices = {1, 1, 1, 1};
  blue.palette = {0x000000, 0x0000FF};
  blue.interlaced = true;
  blue.delayCs = 0;
  spec.frames = {red, green, blue};
  return spec;
}

std::string withEXIFOrientation(const std::string& jpeg, int orientation) {
  const unsigned char app1[] = {
      0xFF, 0xE1, 0x00, 0x22, 'E',  'x',  'i',  'f',  0,    0,
      'M',  'M',  0x00, 0x2A, 0x00, 0x00, 0x00, 0x08, 0x00, 0x01,
      0x01, 0x12, 0x00, 0x03, 0x00, 0x00, 0x00, 0x01, 0x00, static_cast<unsigned char>(orientation),
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
  return jpeg.substr(0, 2) + std::string(reinterpret_cast<const char*>(app1), sizeof app1) +
         jpeg.substr(2);
}

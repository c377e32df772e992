#include "support/ui/GoldenImage.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "CoreGraphics/CGBitmapContext.h"
#include "CoreGraphics/CGPixelLayout.h"
#include "ImageIO/CGImageDestination.h"
#include "ImageIO/CGImageSource.h"

namespace {

// The picture as premultiplied ARGB words, row by row.
std::vector<uint32_t> pixelsOf(const CGImageRef& image) {
  size_t w = image->width(), h = image->height();
  std::vector<uint32_t> out(w * h);
  auto c = CGBitmapContext::create(out.data(), w, h, 8, w * 4, CGColorSpace::createDeviceRGB(),
                                   kCGImageAlphaPremultipliedFirst | CGNativeByteOrder32());
  c->setBlendMode(CGBlendMode::Copy);
  c->drawImage(CGRectMake(0, 0, CGFloat(w), CGFloat(h)), image);
  return out;
}

bool writeFile(const std::filesystem::path& path, const std::string& bytes) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary);
  out << bytes;
  return bool(out);
}

}  // namespace

::testing::AssertionResult matchesGoldenIn(const CGImageRef& image, const std::string& name,
                                           const std::string& goldenDir,
                                           const std::string& failureDir) {
  if (!image) return ::testing::AssertionFailure() << "no picture for golden " << name;
  std::filesystem::path golden = std::filesystem::path(goldenDir) / (name + ".png");
  const char* update = std::getenv("ZEPT_UPDATE_GOLDENS");
  if (update && std::string(update) == "1") {
    auto png = CGImageDestination::encodePNG(image);
    if (!png || !writeFile(golden, *png))
      return ::testing::AssertionFailure() << "could not write " << golden;
    return ::testing::AssertionSuccess();
  }
  std::ifstream in(golden, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  auto source = CGImageSource::createWithData(bytes);
  auto expected = source ? source->createImageAtIndex(0) : nullptr;
  std::filesystem::path failures = std::filesystem::path(failureDir);
  auto writeActual = [&] {
    auto png = CGImageDestination::encodePNG(image);
    if (png) writeFile(failures / (name + ".actual.png"), *png);
  };
  if (!expected) {
    writeActual();
    return ::testing::AssertionFailure()
           << "golden " << golden << " missing or unreadable; what was drawn is in "
           << (failures / (name + ".actual.png")) << " (ZEPT_UPDATE_GOLDENS=1 writes goldens)";
  }
  if (expected->width() != image->width() || expected->height() != image->height()) {
    writeActual();
    return ::testing::AssertionFailure()
           << "golden " << name << " is " << expected->width() << "x" << expected->height()
           << ", the drawing " << image->width() << "x" << image->height();
  }
  auto want = pixelsOf(expected), got = pixelsOf(image);
  size_t differing = 0;
  std::vector<uint32_t> diff(want.size());
  for (size_t i = 0; i < want.size(); ++i) {
    if (want[i] == got[i]) {
      uint32_t p = want[i];
      auto fade = [](uint32_t c) { return (c + 3 * 255) / 4; };
      diff[i] = 0xFF000000u | (fade((p >> 16) & 0xFF) << 16) | (fade((p >> 8) & 0xFF) << 8) |
                fade(p & 0xFF);
    } else {
      ++differing;
      diff[i] = 0xFFFF0000u;
    }
  }
  if (differing == 0) return ::testing::AssertionSuccess();
  writeActual();
  auto diffContext = CGBitmapContext::create(
      diff.data(), image->width(), image->height(), 8, image->width() * 4,
      CGColorSpace::createDeviceRGB(), kCGImageAlphaPremultipliedFirst | CGNativeByteOrder32());
  if (auto png = CGImageDestination::encodePNG(diffContext->createImage()))
    writeFile(failures / (name + ".diff.png"), *png);
  return ::testing::AssertionFailure()
         << differing << " pixels differ from golden " << golden << "; see "
         << (failures / (name + ".actual.png")) << " and " << (failures / (name + ".diff.png"));
}

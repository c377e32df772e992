// Image sources over real PNG, JPEG and GIF data: pictures and their properties, GIF frames
// composited as the platform hands them back, the encoders, and bad data giving nothing.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>

#include "CoreGraphics/CGBitmapContext.h"
#include "Foundation/NSURL.h"
#include "ImageIO/CGImageDestination.h"
#include "ImageIO/CGImageSource.h"
#include "support/TestImages.h"

namespace {

using Pixel = std::array<int, 4>;  // R G B A, premultiplied

// The picture drawn into an RGBA context (no interpolation), for reading pixels.
std::shared_ptr<CGBitmapContext> pixelsOf(const CGImageRef& image) {
  auto c = CGBitmapContext::create(nullptr, image->width(), image->height(), 8, 0,
                                   CGColorSpace::createDeviceRGB(),
                                   kCGImageAlphaPremultipliedLast | kCGBitmapByteOrder32Big);
  c->setBaseCTM(CGAffineTransformMake(1, 0, 0, -1, 0, CGFloat(image->height())));
  c->translateCTM(0, CGFloat(image->height()));
  c->scaleCTM(1, -1);  // upright in the flipped space
  c->setInterpolationQuality(CGInterpolationQuality::None);
  c->drawImage(CGRectMake(0, 0, CGFloat(image->width()), CGFloat(image->height())), image);
  return c;
}

Pixel at(const std::shared_ptr<CGBitmapContext>& c, size_t x, size_t y) {
  const uint8_t* p = static_cast<const uint8_t*>(c->data()) + y * c->bytesPerRow() + x * 4;
  return {p[0], p[1], p[2], p[3]};
}

// A 3 × 2 picture: opaque red, half-transparent green, clear; opaque blue, white, black.
// Without alpha: the green is opaque, the clear pixel yellow, and the layout has no alpha.
CGImageRef samplePicture(bool withAlpha = true) {
  auto c = CGBitmapContext::create(
      nullptr, 3, 2, 8, 0, CGColorSpace::createDeviceRGB(),
      (withAlpha ? kCGImageAlphaPremultipliedFirst : kCGImageAlphaNoneSkipFirst) |
          kCGBitmapByteOrder32Little);
  c->setBaseCTM(CGAffineTransformMake(1, 0, 0, -1, 0, 2));
  struct Fill {
    CGRect r;
    CGFloat rgba[4];
  };
  const Fill fills[] = {{CGRectMake(0, 0, 1, 1), {1, 0, 0, 1}},
                        {CGRectMake(1, 0, 1, 1), {0, 1, 0, withAlpha ? 0.5 : 1}},
                        {CGRectMake(0, 1, 1, 1), {0, 0, 1, 1}},
                        {CGRectMake(1, 1, 1, 1), {1, 1, 1, 1}},
                        {CGRectMake(2, 1, 1, 1), {0, 0, 0, 1}}};
  for (const Fill& f : fills) {
    c->setRGBFillColor(f.rgba[0], f.rgba[1], f.rgba[2], f.rgba[3]);
    c->fillRect(f.r);
  }
  if (!withAlpha) {
    c->setRGBFillColor(1, 1, 0, 1);
    c->fillRect(CGRectMake(2, 0, 1, 1));
  }
  return c->createImage();
}

TEST(CGImageSourceTest, APNGRoundTripKeepsEveryPixelAndItsAlpha) {
  auto png = CGImageDestination::encodePNG(samplePicture());
  ASSERT_TRUE(png);
  EXPECT_EQ(png->substr(1, 3), "PNG");
  auto source = CGImageSource::createWithData(*png);
  ASSERT_NE(source, nullptr);
  EXPECT_EQ(source->type(), kUTTypePNG);
  EXPECT_EQ(source->count(), 1u);
  Value props = source->copyPropertiesAtIndex(0);
  EXPECT_EQ(props[kCGImagePropertyPixelWidth].intValue(), 3);
  EXPECT_EQ(props[kCGImagePropertyPixelHeight].intValue(), 2);
  EXPECT_TRUE(props[kCGImagePropertyHasAlpha].boolValue());
  auto image = source->createImageAtIndex(0);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(source->createImageAtIndex(1), nullptr);
  auto px = pixelsOf(image);
  EXPECT_EQ(at(px, 0, 0), (Pixel{255, 0, 0, 255}));
  EXPECT_EQ(at(px, 1, 0), (Pixel{0, 128, 0, 128}));
  EXPECT_EQ(at(px, 2, 0), (Pixel{0, 0, 0, 0}));
  EXPECT_EQ(at(px, 0, 1), (Pixel{0, 0, 255, 255}));
  EXPECT_EQ(at(px, 1, 1), (Pixel{255, 255, 255, 255}));

  // An opaque picture encodes without alpha and reads back without it.
  auto opaque = CGImageSource::createWithData(*CGImageDestination::encodePNG(samplePicture(false)));
  ASSERT_NE(opaque, nullptr);
  EXPECT_FALSE(opaque->copyPropertiesAtIndex(0)[kCGImagePropertyHasAlpha].boolValue());
  EXPECT_EQ(opaque->createImageAtIndex(0)->alphaInfo(), kCGImageAlphaNoneSkipFirst);
}

TEST(CGImageSourceTest, JPEGQualityTradesSizeForFidelityAndDropsAlpha) {
  // A 64 × 64 picture with some detail, so that quality matters.
  auto c = CGBitmapContext::create(nullptr, 64, 64, 8, 0, CGColorSpace::createDeviceRGB(),
                                   kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Little);
  for (int i = 0; i < 64; i += 4) {
    c->setRGBFillColor(i / 64.0, 1 - i / 64.0, (i % 8) / 8.0, 1);
    c->fillRect(CGRectMake(i, 0, 3, 64 - i));
  }
  auto picture = c->createImage();
  auto best = CGImageDestination::encodeJPEG(picture, 0.9);
  auto worst = CGImageDestination::encodeJPEG(picture, 0.1);
  ASSERT_TRUE(best && worst);
  EXPECT_LT(worst->size(), best->size());
  auto source = CGImageSource::createWithData(*best);
  ASSERT_NE(source, nullptr);
  EXPECT_EQ(source->type(), kUTTypeJPEG);
  EXPECT_FALSE(source->copyPropertiesAtIndex(0)[kCGImagePropertyHasAlpha].boolValue());
  EXPECT_EQ(source->copyPropertiesAtIndex(0)[kCGImagePropertyOrientation].intValue(), 1);
  auto image = source->createImageAtIndex(0);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->width(), 64u);
  EXPECT_EQ(image->alphaInfo(), kCGImageAlphaNoneSkipFirst);

  // The destination form reads the quality from its properties.
  auto dest = CGImageDestination::createWithData(kUTTypeJPEG);
  ASSERT_NE(dest, nullptr);
  dest->addImage(picture, Value::dictionaryOf(
                              {{std::string(kCGImageDestinationLossyCompressionQuality), 0.1}}));
  ASSERT_TRUE(dest->finalize());
  EXPECT_EQ(dest->data(), *worst);
  EXPECT_FALSE(CGImageDestination::createWithData(kUTTypeJPEG)->finalize());
  EXPECT_EQ(CGImageDestination::createWithData("public.tiff"), nullptr);
}

TEST(CGImageSourceTest, TheEXIFOrientationOfAJPEGIsReported) {
  auto jpeg = *CGImageDestination::encodeJPEG(samplePicture(false), 0.8);
  // Orientation 6: turned right.
  auto source = CGImageSource::createWithData(withEXIFOrientation(jpeg, 6));
  ASSERT_NE(source, nullptr);
  EXPECT_EQ(source->copyPropertiesAtIndex(0)[kCGImagePropertyOrientation].intValue(), 6);
}

TEST(CGImageSourceTest, GIFFramesComeBackCompositedWithTheirDelaysAndLoopCount) {
  std::string gif = writeGIF(threeFrameGIF());
  ASSERT_FALSE(gif.empty());
  auto source = CGImageSource::createWithData(gif);
  ASSERT_NE(source, nullptr);
  EXPECT_EQ(source->type(), kUTTypeGIF);
  ASSERT_EQ(source->count(), 3u);
  EXPECT_EQ(source->copyProperties()[kCGImagePropertyGIFDictionary][kCGImagePropertyGIFLoopCount]
                .intValue(),
            0);
  auto delay = [&](size_t i, std::string_view key) {
    return source->copyPropertiesAtIndex(i)[kCGImagePropertyGIFDictionary][key].doubleValue();
  };
  EXPECT_DOUBLE_EQ(delay(0, kCGImagePropertyGIFDelayTime), 0.1);
  EXPECT_DOUBLE_EQ(delay(1, kCGImagePropertyGIFDelayTime), 0.2);
  EXPECT_DOUBLE_EQ(delay(2, kCGImagePropertyGIFDelayTime), 0.1);  // 0 counts as 0.1
  EXPECT_DOUBLE_EQ(delay(2, kCGImagePropertyGIFUnclampedDelayTime), 0);

  const Pixel red{255, 0, 0, 255}, green{0, 255, 0, 255}, blue{0, 0, 255, 255}, clear{0, 0, 0, 0};
  // Frame 1: green over red, with red showing through the transparent pixel.
  auto f1 = pixelsOf(source->createImageAtIndex(1));
  EXPECT_EQ(at(f1, 1, 1), red);
  EXPECT_EQ(at(f1, 2, 1), green);
  EXPECT_EQ(at(f1, 2, 2), green);
  EXPECT_EQ(at(f1, 0, 0), red);
  // Frame 2: frame 1's rectangle went back to transparent; the interlaced blue row on top.
  auto f2 = pixelsOf(source->createImageAtIndex(2));
  EXPECT_EQ(at(f2, 2, 1), clear);
  EXPECT_EQ(at(f2, 1, 1), clear);
  EXPECT_EQ(at(f2, 0, 0), red);
  EXPECT_EQ(at(f2, 3, 3), blue);
  // Asking again, or backwards, gives the same pictures.
  EXPECT_EQ(at(pixelsOf(source->createImageAtIndex(1)), 2, 2), green);
  EXPECT_EQ(at(pixelsOf(source->createImageAtIndex(0)), 2, 2), red);
  EXPECT_EQ(source->createImageAtIndex(3), nullptr);
  EXPECT_TRUE(source->copyPropertiesAtIndex(3).isNil());
}

TEST(CGImageSourceTest, RestoreToPreviousPutsBackTheCanvasBeforeTheFrame) {
  GIFSpec spec = threeFrameGIF();
  spec.frames[1].disposal = 3;
  spec.loopCount = -1;
  auto source = CGImageSource::createWithData(writeGIF(spec));
  ASSERT_NE(source, nullptr);
  auto f2 = pixelsOf(source->createImageAtIndex(2));
  EXPECT_EQ(at(f2, 2, 1), (Pixel{255, 0, 0, 255}));
  EXPECT_TRUE(source->copyProperties()[kCGImagePropertyGIFDictionary].isNil());
}

TEST(CGImageSourceTest, MalformedOrTruncatedDataGivesNoSource) {
  std::string png = *CGImageDestination::encodePNG(samplePicture());
  std::string jpeg = *CGImageDestination::encodeJPEG(samplePicture(false), 0.8);
  std::string gif = writeGIF(threeFrameGIF());
  struct Case {
    const char* name;
    std::string data;
  };
  std::string badCRC = png;
  badCRC[30] ^= 0x55;  // inside IHDR
  std::string badJPEG = jpeg;
  for (size_t i = 2; i < 40 && i < badJPEG.size(); ++i) badJPEG[i] = char(0xFF);
  std::string hugeGIF = gif;
  hugeGIF[6] = hugeGIF[7] = hugeGIF[8] = hugeGIF[9] = char(0xFF);  // 65535 × 65535
  const Case cases[] = {
      {"empty", ""},
      {"text", "hello, world"},
      {"PNG signature only", png.substr(0, 8)},
      {"PNG cut in its data", png.substr(0, png.size() / 2)},
      {"PNG cut in its last data chunk", png.substr(0, png.size() - 16)},
      {"PNG with a bad checksum", badCRC},
      {"JPEG start only", jpeg.substr(0, 3)},
      {"JPEG cut in its scan", jpeg.substr(0, jpeg.size() - 40)},
      {"JPEG with a broken header", badJPEG},
      {"GIF header only", gif.substr(0, 13)},
      {"GIF cut inside its first frame", gif.substr(0, 60)},
      {"GIF wider than allowed", hugeGIF},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(CGImageSource::createWithData(c.data), nullptr);
  }
  // Whole pixel data without the end chunk is a whole picture.
  EXPECT_NE(CGImageSource::createWithData(png.substr(0, png.size() - 12)), nullptr);
  // A GIF cut inside a later frame keeps the frames before it.
  auto cut = CGImageSource::createWithData(gif.substr(0, gif.size() - 8));
  ASSERT_NE(cut, nullptr);
  EXPECT_EQ(cut->count(), 2u);
}

TEST(CGImageSourceTest, FilesAreReadThroughFileURLs) {
  auto dir =
      std::filesystem::temp_directory_path() / ("zept-imageio-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  auto path = dir / "a picture #1.gif";
  std::ofstream(path, std::ios::binary) << writeGIF(threeFrameGIF());
  auto url = NSURL::fileURLWithPath(path.string());
  ASSERT_NE(url, nullptr);
  EXPECT_TRUE(url->isFileURL());
  EXPECT_EQ(url->path(), path.string());
  auto source = CGImageSource::createWithURL(url);
  ASSERT_NE(source, nullptr);
  EXPECT_EQ(source->count(), 3u);
  EXPECT_EQ(CGImageSource::createWithURL(NSURL::fileURLWithPath((dir / "missing.gif").string())),
            nullptr);
  EXPECT_EQ(CGImageSource::createWithURL(NSURL::URLWithString("http://example.com/a.gif")),
            nullptr);
  std::filesystem::remove_all(dir);
}

}  // namespace

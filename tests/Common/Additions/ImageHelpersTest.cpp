// The picture helpers: the bundle loader's choice of file, pixels as bytes, the grey copy.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "Common/Additions/UIImage+Additions.h"
#include "Common/Additions/UIImage+RawData.h"
#include "Common/Additions/UIImage+Resize.h"
#include "Common/Additions/UIImage+Scale.h"
#include "UIKit/UIDevice.h"
#include "UIKit/UIImage.h"

namespace fs = std::filesystem;

namespace {

// One pixel of (r, g, b) at full alpha, as the raw form gives it.
std::string argb(uint8_t a, uint8_t r, uint8_t g, uint8_t b) {
  return std::string{char(a), char(r), char(g), char(b)};
}

std::shared_ptr<UIImage> solid(size_t w, size_t h, uint8_t r, uint8_t g, uint8_t b) {
  std::string bytes;
  for (size_t i = 0; i < w * h; ++i) bytes += argb(255, r, g, b);
  return imageWithRawImageData(bytes, w, h);
}

void writePNG(const fs::path& path, size_t w, size_t h) {
  auto png = UIImagePNGRepresentation(solid(w, h, 0, 128, 255));
  ASSERT_TRUE(png);
  std::ofstream(path, std::ios::binary) << *png;
}

// A bundle of its own: "both.png" 10 x 10 beside "both@2x.png" 20 x 20, and "lone@2x.png"
// 20 x 20 alone.  Each test runs in a process of its own, before anything reads the bundle.
class ImageFileNamedTest : public ::testing::TestWithParam<double> {
 protected:
  void SetUp() override {
    dir = fs::path(std::getenv("ZEPT_HOME")) / "bundle";
    fs::create_directories(dir);
    writePNG(dir / "both.png", 10, 10);
    writePNG(dir / "both@2x.png", 20, 20);
    writePNG(dir / "lone@2x.png", 20, 20);
    setenv("ZEPT_RESOURCES", dir.c_str(), 1);
    UIDeviceProfile profile = UIDevice::profile();
    profile.screenScale = GetParam();
    UIDevice::setProfile(profile);
  }
  fs::path dir;
};

TEST_P(ImageFileNamedTest, TheRetinaFileWinsOnRetinaScreensAndALoneRetinaFileLoadsEverywhere) {
  bool retina = GetParam() >= 2;
  auto both = imageFileNamed("both");
  ASSERT_NE(both, nullptr);
  // The pixels tell the files apart: the retina file is 20 pixels wide.
  EXPECT_EQ(both->size().width * both->scale(), retina ? 20 : 10);
  EXPECT_EQ(both->size().width, 10);

  auto lone = imageFileNamed("lone");
  ASSERT_NE(lone, nullptr);
  EXPECT_EQ(lone->size().width * lone->scale(), 20);
  // At scale 1 on a plain screen: twice the size in points.
  EXPECT_EQ(lone->size().width, retina ? 10 : 20);

  // A name with its suffix is the file itself; an upper-case suffix is not one.
  auto exact = imageFileNamed("both.png");
  ASSERT_NE(exact, nullptr);
  EXPECT_EQ(exact->size().width * exact->scale(), 10);
  EXPECT_EQ(imageFileNamed("both.PNG"), nullptr);
  EXPECT_EQ(imageFileNamed("missing"), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Screens, ImageFileNamedTest, ::testing::Values(1.0, 2.0),
                         [](const auto& info) { return info.param >= 2 ? "Retina" : "Plain"; });

TEST(ImagePixels, RawDataIsAlphaFirstAndRoundTrips) {
  auto red = solid(1, 1, 255, 0, 0);
  auto raw = rawImageData(red);
  ASSERT_TRUE(raw);
  EXPECT_EQ(*raw, argb(0xFF, 0xFF, 0x00, 0x00));

  // Colours come premultiplied by alpha.
  auto half = imageWithRawImageData(argb(128, 128, 0, 0), 1, 1);
  ASSERT_TRUE(rawImageData(half));
  EXPECT_EQ(*rawImageData(half), argb(128, 128, 0, 0));
  EXPECT_EQ(imageWithRawImageData("abc", 1, 1), nullptr);
}

TEST(ImagePixels, TheGreyCopyTakesTheGreenLevelAndIsOpaque) {
  auto gray = grayImage(solid(2, 1, 10, 200, 30));
  ASSERT_NE(gray, nullptr);
  auto raw = rawImageData(gray);
  ASSERT_TRUE(raw);
  EXPECT_EQ(*raw, argb(255, 200, 200, 200) + argb(255, 200, 200, 200));
}

TEST(ImageSizes, ZeroSidedPicturesGiveNoNaN) {
  // A picture with a zero side cannot be scaled by a ratio: it comes back as it is.
  auto empty = std::make_shared<UIImage>(nullptr, 1, UIImageOrientation::Up);
  EXPECT_EQ(empty->size().width, 0);
  EXPECT_EQ(scaleWithWidth(empty, 100), empty);
  EXPECT_EQ(scaleWithHeight(empty, 100), empty);
  auto wide = scaleWithWidth(solid(4, 1, 0, 0, 0), 8);
  ASSERT_NE(wide, nullptr);
  EXPECT_EQ(wide->size().width, 8);
  EXPECT_EQ(wide->size().height, 2);
}

}  // namespace

// The pixel filters, on real pictures: the colours each filter gives back (through JPEG at
// quality 1.0, so within a couple of steps), the dot screen's cut, and the fitting sizes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "Common/Additions/ImageUtil.h"
#include "Common/Additions/UIImage+RawData.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIImage.h"

namespace {

struct RGB {
  int r, g, b;
};

// An opaque picture whose colour at (x, y) the function gives.
std::shared_ptr<UIImage> painted(size_t w, size_t h, const std::function<RGB(size_t, size_t)>& at) {
  std::string bytes;
  for (size_t y = 0; y < h; ++y)
    for (size_t x = 0; x < w; ++x) {
      RGB c = at(x, y);
      bytes += std::string{char(255), char(c.r), char(c.g), char(c.b)};
    }
  return imageWithRawImageData(bytes, w, h);
}

std::shared_ptr<UIImage> solid(RGB c, size_t w = 16, size_t h = 16) {
  return painted(w, h, [c](size_t, size_t) { return c; });
}

RGB pixel(const std::shared_ptr<UIImage>& image, size_t x, size_t y) {
  auto raw = rawImageData(image);
  EXPECT_TRUE(raw);
  if (!raw) return {};
  const auto* p =
      reinterpret_cast<const uint8_t*>(raw->data()) + 4 * (y * size_t(image->size().width) + x);
  EXPECT_EQ(p[0], 255) << "filtered pictures are opaque";
  return {p[1], p[2], p[3]};
}

// Within the JPEG step's rounding.
void expectNear(RGB got, RGB want, const std::string& what) {
  EXPECT_LE(std::abs(got.r - want.r), 2) << what << ": red " << got.r << " for " << want.r;
  EXPECT_LE(std::abs(got.g - want.g), 2) << what << ": green " << got.g << " for " << want.g;
  EXPECT_LE(std::abs(got.b - want.b), 2) << what << ": blue " << got.b << " for " << want.b;
}

}  // namespace

TEST(ImageUtilTest, EachFilterGivesItsColoursOnUniformPictures) {
  ImageUtil::ColorMatrix identity{1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0};
  ImageUtil::ColorMatrix redOffset = identity;
  redOffset[4] = 300;
  using Filter = std::function<std::shared_ptr<UIImage>(const std::shared_ptr<UIImage>&)>;
  struct Case {
    const char* name;
    Filter filter;
    RGB in, out;
  } cases[] = {
      {"identity matrix",
       [&](auto& i) { return ImageUtil::processImage(i, identity); },
       {40, 120, 200},
       {40, 120, 200}},
      {"red offset 300",
       [&](auto& i) { return ImageUtil::processImage(i, redOffset); },
       {40, 120, 200},
       {255, 120, 200}},
      {"black and white", ImageUtil::blackWhite, {30, 60, 100}, {63, 63, 63}},
      {"cartoon, mean 128", ImageUtil::cartoon, {128, 128, 128}, {0, 0, 0}},
      {"cartoon, mean 129", ImageUtil::cartoon, {129, 129, 129}, {255, 255, 255}},
      {"memory", ImageUtil::memory, {90, 90, 90}, {255, 180, 90}},
      {"memory, dark", ImageUtil::memory, {20, 30, 40}, {90, 60, 30}},
      {"mark, red 255",
       [](auto& i) { return ImageUtil::markImage(i, nullptr); },
       {255, 100, 50},
       {255, 100, 50}},
      {"mark, red 254",
       [](auto& i) { return ImageUtil::markImage(i, nullptr); },
       {254, 100, 50},
       {0, 0, 0}},
  };
  for (const auto& c : cases) {
    auto out = c.filter(solid(c.in));
    ASSERT_NE(out, nullptr) << c.name;
    EXPECT_EQ(out->size(), CGSizeMake(16, 16)) << c.name;
    expectNear(pixel(out, 8, 8), c.out, c.name);
  }
}

TEST(ImageUtilTest, ScanLinesBrightenEveryOtherRowFromTheTop) {
  // (100, 50, 200) doubled is (200, 100, 255) on rows 0, 2, 4 ...  JPEG blurs single rows
  // into each other a little, so the rows are told apart by a margin.
  auto out = ImageUtil::scanLine(solid({100, 50, 200}, 16, 16));
  ASSERT_NE(out, nullptr);
  for (size_t y = 0; y < 16; ++y) {
    RGB p = pixel(out, 8, y);
    if (y % 2 == 0)
      EXPECT_GT(p.r, 150) << y;
    else
      EXPECT_LT(p.r, 150) << y;
  }
}

TEST(ImageUtilTest, AFilterSeesTheWholeBitmapOfARetinaPicture) {
  // 16 × 16 pixels at scale 2: 8 × 8 points, the right half of the bitmap red.
  auto bitmap = painted(16, 16, [](size_t x, size_t) {
    return x < 8 ? RGB{0, 0, 255} : RGB{255, 0, 0};
  });
  auto retina = UIImage::imageWithCGImage(bitmap->CGImage(), 2);
  auto out = ImageUtil::markImage(retina, nullptr);
  ASSERT_NE(out, nullptr);
  EXPECT_EQ(out->size(), CGSizeMake(16, 16));
  expectNear(pixel(out, 3, 8), {0, 0, 0}, "left half");
  expectNear(pixel(out, 13, 8), {255, 0, 0}, "right half");
}

TEST(ImageUtilTest, TheDotScreenCutsToWholeBlocksAndKeepsTheRowsStraight) {
  // 20 × 13: white, but black in the block at (8, 0).  A sheared cut would move the dot.
  auto image = painted(20, 13, [](size_t x, size_t y) {
    return x >= 8 && x < 16 && y < 8 ? RGB{0, 0, 0} : RGB{255, 255, 255};
  });
  auto out = ImageUtil::bopo(image);
  ASSERT_NE(out, nullptr);
  EXPECT_EQ(out->size(), CGSizeMake(16, 8));
  // A white block stays white; the black block's dot is darkest past its middle (4, 4) and
  // clear at its corner, where the weight is 0.
  expectNear(pixel(out, 3, 3), {255, 255, 255}, "white block");
  expectNear(pixel(out, 12, 4), {0, 0, 0}, "dot centre");
  EXPECT_GT(pixel(out, 8, 0).r, 200);
}

TEST(ImageUtilTest, FittingKeepsSmallSizesAndScalesLargeOnesToTheBox) {
  EXPECT_EQ(ImageUtil::fitSize({100, 50}, {200, 200}), CGSizeMake(100, 50));
  EXPECT_EQ(ImageUtil::fitSize({400, 100}, {200, 200}), CGSizeMake(200, 50));
  EXPECT_EQ(ImageUtil::fitSize({100, 400}, {200, 200}), CGSizeMake(50, 200));
  EXPECT_EQ(ImageUtil::fitSize({200, 100}, {200, 200}), CGSizeMake(200, 100));
  auto fitted = ImageUtil::imageFitInSize(solid({0, 255, 0}, 400, 100), {200, 200});
  ASSERT_NE(fitted, nullptr);
  EXPECT_EQ(fitted->size(), CGSizeMake(200, 50));
}

TEST(ImageUtilTest, APictureWithoutPixelsGivesNothing) {
  EXPECT_EQ(ImageUtil::blackWhite(nullptr), nullptr);
  EXPECT_EQ(ImageUtil::bopo(solid({0, 0, 0}, 7, 7)), nullptr);
  EXPECT_FALSE(CopyImagePixelData(nullptr));
}

// The picture toolkit: alpha, borders, masks, shadows, resizing, rotation and rounded corners,
// checked on the pixels the operations give back.
#include <gtest/gtest.h>

#include <functional>

#include "Common/Additions/UIImage+Alpha.h"
#include "Common/Additions/UIImage+RawData.h"
#include "Common/Additions/UIImage+Resize.h"
#include "Common/Additions/UIImage+RoundedCorner.h"
#include "Common/Additions/UIImage+Scale.h"
#include "CoreGraphics/CGBitmapContext.h"
#include "Foundation/NSException.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIImage.h"

namespace {

struct ARGB {
  uint8_t a, r, g, b;
  bool operator==(const ARGB&) const = default;
};

std::ostream& operator<<(std::ostream& os, const ARGB& p) {
  return os << "(a " << int(p.a) << ", r " << int(p.r) << ", g " << int(p.g) << ", b " << int(p.b)
            << ")";
}

// An opaque picture of w × h pixels whose colour at (x, y) (from the top-left) the function
// gives.
std::shared_ptr<UIImage> painted(size_t w, size_t h, std::function<ARGB(size_t, size_t)> colour) {
  std::string bytes;
  for (size_t y = 0; y < h; ++y)
    for (size_t x = 0; x < w; ++x) {
      ARGB p = colour(x, y);
      bytes += std::string{char(p.a), char(p.r), char(p.g), char(p.b)};
    }
  return imageWithRawImageData(bytes, w, h);
}

std::shared_ptr<UIImage> solid(size_t w, size_t h, ARGB p) {
  return painted(w, h, [p](size_t, size_t) { return p; });
}

// The pixel at (x, y) from the top-left corner of a picture of scale 1.
ARGB pixel(const std::shared_ptr<UIImage>& image, size_t x, size_t y) {
  auto raw = rawImageData(image);
  EXPECT_TRUE(raw);
  if (!raw) return {};
  size_t w = size_t(image->size().width);
  const auto* p = reinterpret_cast<const uint8_t*>(raw->data()) + 4 * (y * w + x);
  return {p[0], p[1], p[2], p[3]};
}

CGSize pixels(const std::shared_ptr<UIImage>& image) {
  return CGSizeMake(CGFloat(image->CGImage()->width()), CGFloat(image->CGImage()->height()));
}

constexpr ARGB kRed{255, 255, 0, 0}, kGreen{255, 0, 255, 0}, kBlue{255, 0, 0, 255},
    kWhite{255, 255, 255, 255}, kClear{0, 0, 0, 0};

}  // namespace

TEST(ImageAlphaTest, AJpegHasNoAlphaAndGetsAPremultipliedCopyWhileAPngWithAlphaIsKept) {
  auto jpeg = UIImage::imageWithData(*UIImageJPEGRepresentation(solid(8, 8, kRed), 0.9));
  ASSERT_NE(jpeg, nullptr);
  EXPECT_FALSE(hasAlpha(jpeg));
  auto withAlpha = imageWithAlpha(jpeg);
  ASSERT_NE(withAlpha, nullptr);
  EXPECT_NE(withAlpha, jpeg);
  EXPECT_TRUE(hasAlpha(withAlpha));
  EXPECT_EQ(withAlpha->CGImage()->alphaInfo(), kCGImageAlphaPremultipliedFirst);
  EXPECT_GT(pixel(withAlpha, 4, 4).r, 240);

  auto png = UIImage::imageWithData(*UIImagePNGRepresentation(solid(8, 8, {128, 128, 0, 0})));
  ASSERT_NE(png, nullptr);
  EXPECT_TRUE(hasAlpha(png));
  EXPECT_EQ(imageWithAlpha(png), png);
}

TEST(ImageAlphaTest, ATransparentBorderClearsABandOfTheBorderWidthAndZeroStillMakesANewPicture) {
  auto image = solid(10, 10, kBlue);
  auto same = transparentBorderImage(image, 0);
  ASSERT_NE(same, nullptr);
  EXPECT_NE(same, image);
  EXPECT_EQ(pixels(same), CGSizeMake(10, 10));
  EXPECT_EQ(pixel(same, 0, 0), kBlue);

  auto bordered = transparentBorderImage(image, 2);
  ASSERT_NE(bordered, nullptr);
  EXPECT_EQ(pixels(bordered), CGSizeMake(14, 14));
  for (auto [x, y] : {std::pair{0, 0}, {1, 7}, {13, 13}, {7, 12}})
    EXPECT_EQ(pixel(bordered, x, y).a, 0) << x << ", " << y;
  for (auto [x, y] : {std::pair{2, 2}, {7, 7}, {11, 11}})
    EXPECT_EQ(pixel(bordered, x, y), kBlue) << x << ", " << y;
}

TEST(ImageAlphaTest, AShadowGrowsTheCanvasAndNoShadowGivesTheReceiver) {
  auto image = solid(20, 20, kWhite);
  EXPECT_EQ(imageWithShadow(image, nullptr, CGSizeZero, 0), image);
  auto shadowed = imageWithShadow(image, nullptr, CGSizeMake(4, 0), 0);
  ASSERT_NE(shadowed, nullptr);
  EXPECT_EQ(pixels(shadowed), CGSizeMake(24, 20));
  // The picture sits at the left; its black shadow shows in the 4 pixels to its right.
  EXPECT_EQ(pixel(shadowed, 10, 10), kWhite);
  EXPECT_EQ(pixel(shadowed, 22, 10), (ARGB{255, 0, 0, 0}));
  EXPECT_EQ(pixels(imageWithShadow(image, UIColor::redColor(), CGSizeZero, 3)), CGSizeMake(26, 26));
}

TEST(ImageAlphaTest, MaskWithColorPaintsTheShapeCentredOnACanvasTenLarger) {
  // Opaque in the top half only, so the mask shows which way up it was drawn.
  auto image = painted(20, 20, [](size_t, size_t y) { return y < 10 ? kBlue : kClear; });
  auto mask = maskWithColor(image, UIColor::redColor());
  ASSERT_NE(mask, nullptr);
  EXPECT_EQ(pixels(mask), CGSizeMake(30, 30));
  EXPECT_EQ(pixel(mask, 2, 2), kClear);
  EXPECT_EQ(pixel(mask, 15, 8), kRed);
  EXPECT_EQ(pixel(mask, 15, 22), kClear);
}

TEST(ImageAlphaTest, MaskedImageColorKeepsExactlyThePixelsWhoseRedByteIsTheKey) {
  // Columns of red 255, 254 and 0.
  const ARGB columns[] = {{255, 255, 10, 20}, {255, 254, 30, 40}, {255, 0, 50, 60}};
  auto image = painted(3, 2, [&](size_t x, size_t) { return columns[x]; });
  struct Case {
    const char* name;
    std::shared_ptr<UIColor> colour;
    bool kept[3];
  } cases[] = {
      {"white", UIColor::whiteColor(), {true, false, false}},
      {"black", UIColor::blackColor(), {false, false, true}},
      {"red 0.5 (key 127.5)", UIColor::colorWithRed(0.5, 0, 0, 1), {false, false, false}},
  };
  for (const auto& c : cases) {
    auto masked = ipMaskedImageColor(image, c.colour);
    ASSERT_NE(masked, nullptr) << c.name;
    for (size_t x = 0; x < 3; ++x)
      for (size_t y = 0; y < 2; ++y)
        EXPECT_EQ(pixel(masked, x, y), c.kept[x] ? columns[x] : kClear) << c.name << " " << x;
  }
}

TEST(ImageResizeTest, FillModeScalesToTheLargerRatioAndTheThumbnailKeepsTheMiddle) {
  // 400 × 200: red, green and blue bands of 100, 200 and 100 columns.
  auto image = painted(400, 200, [](size_t x, size_t) {
    return x < 100 ? kRed : x < 300 ? kGreen : kBlue;
  });
  auto filled =
      resizedImageWithContentMode(image, 2, CGSizeMake(100, 100), CGInterpolationQuality::High);
  ASSERT_NE(filled, nullptr);
  EXPECT_EQ(pixels(filled), CGSizeMake(200, 100));
  auto fitted =
      resizedImageWithContentMode(image, 1, CGSizeMake(100, 100), CGInterpolationQuality::High);
  EXPECT_EQ(pixels(fitted), CGSizeMake(100, 50));

  auto thumbnail = thumbnailImage(image, 100, 0, 0, CGInterpolationQuality::High);
  ASSERT_NE(thumbnail, nullptr);
  EXPECT_EQ(pixels(thumbnail), CGSizeMake(100, 100));
  for (size_t x : {2, 50, 97}) EXPECT_EQ(pixel(thumbnail, x, 50), kGreen) << x;
}

TEST(ImageResizeTest, AnUnknownContentModeRaisesInvalidArgument) {
  try {
    resizedImageWithContentMode(solid(4, 4, kRed), 3, CGSizeMake(2, 2),
                                CGInterpolationQuality::Default);
    FAIL() << "no exception";
  } catch (const NSException& e) {
    EXPECT_EQ(e.name(), NSInvalidArgumentException);
    EXPECT_EQ(e.reason(), "Unsupported content mode: 3");
  }
}

TEST(ImageResizeTest, ResizingDrawsAnOrientedPictureUpright) {
  // A 40 × 30 bitmap marked red at its top-left, shown turned right: upright it is 30 × 40.
  auto bitmap = painted(40, 30, [](size_t x, size_t y) { return x < 4 && y < 4 ? kRed : kGreen; });
  auto turned = UIImage::imageWithCGImage(bitmap->CGImage(), 1, UIImageOrientation::Right);
  auto upright = resizedImage(turned, CGSizeMake(30, 40), CGInterpolationQuality::High);
  ASSERT_NE(upright, nullptr);
  EXPECT_EQ(pixels(upright), CGSizeMake(30, 40));
  // As the platform shows the turned picture: its own drawing is the reference.
  auto shown = turned->uprightCGImage();
  auto reference = UIImage::imageWithCGImage(shown);
  for (auto [x, y] : {std::pair{1, 1}, {28, 1}, {1, 38}, {28, 38}})
    EXPECT_EQ(pixel(upright, x, y), pixel(reference, x, y)) << x << ", " << y;
}

TEST(ImageRotateTest, RotatingTurnsTheBitmapAndSwapsSidesForQuarterTurns) {
  auto image = painted(40, 30, [](size_t x, size_t y) { return x < 4 && y < 4 ? kRed : kGreen; });
  struct Case {
    UIImageOrientation orientation;
    CGSize size;
    std::pair<size_t, size_t> marked;  // where the top-left mark ends up, -1 when not checked
  } cases[] = {
      {UIImageOrientation::Down, {40, 30}, {38, 28}},
      {UIImageOrientation::UpMirrored, {40, 30}, {38, 1}},
      {UIImageOrientation::DownMirrored, {40, 30}, {1, 28}},
      {UIImageOrientation::Left, {30, 40}, {size_t(-1), 0}},
      {UIImageOrientation::Right, {30, 40}, {size_t(-1), 0}},
      {UIImageOrientation::LeftMirrored, {30, 40}, {size_t(-1), 0}},
      {UIImageOrientation::RightMirrored, {30, 40}, {size_t(-1), 0}},
  };
  for (const auto& c : cases) {
    auto rotated = rotate(image, c.orientation);
    ASSERT_NE(rotated, nullptr) << int(c.orientation);
    EXPECT_EQ(pixels(rotated), c.size) << int(c.orientation);
    if (c.marked.first != size_t(-1)) {
      EXPECT_EQ(pixel(rotated, c.marked.first, c.marked.second), kRed) << int(c.orientation);
      bool markedAtOrigin = c.marked == std::pair<size_t, size_t>{1, 1};
      EXPECT_EQ(pixel(rotated, 1, 1) == kRed, markedAtOrigin);
    } else {
      // A quarter turn puts the mark in one of the four corners, and only one.
      int corners = 0;
      for (auto [x, y] : {std::pair{1, 1}, {28, 1}, {1, 38}, {28, 38}})
        corners += pixel(rotated, x, y) == kRed;
      EXPECT_EQ(corners, 1) << int(c.orientation);
    }
  }
  EXPECT_EQ(rotate(image, UIImageOrientation::Up), nullptr);
  EXPECT_EQ(rotate(image, UIImageOrientation(8)), nullptr);
}

TEST(ImageRotateTest, ScaleAndRotateStretchesToTheSizeWithTheSidesOfTheOrientation) {
  auto bitmap = solid(40, 30, kGreen);
  auto up = scaleAndRotateWithWidth(bitmap, 80, 20);
  ASSERT_NE(up, nullptr);
  EXPECT_EQ(pixels(up), CGSizeMake(80, 20));
  EXPECT_EQ(pixel(up, 79, 19), kGreen);
  auto left = UIImage::imageWithCGImage(bitmap->CGImage(), 1, UIImageOrientation::Left);
  // The size is that of the bitmap before turning; the canvas takes it turned.
  auto turned = scaleAndRotateWithWidth(left, 80, 60);
  ASSERT_NE(turned, nullptr);
  EXPECT_EQ(pixels(turned), CGSizeMake(60, 80));
  for (auto [x, y] : {std::pair{1, 1}, {58, 1}, {1, 78}, {58, 78}, {30, 40}})
    EXPECT_EQ(pixel(turned, x, y), kGreen) << x << ", " << y;
}

TEST(ImageRoundedCornerTest, RoundedCornersLeaveTheCornersClearAndTheMiddleWhole) {
  auto image = solid(40, 40, kBlue);
  for (const auto& rounded :
       {roundedCornerImage(image, 10, 0), createRoundedRectImage(image, {40, 40}),
        imageWithRadius(image, 10, 40, 40)}) {
    ASSERT_NE(rounded, nullptr);
    EXPECT_EQ(pixels(rounded), CGSizeMake(40, 40));
    for (auto [x, y] : {std::pair{0, 0}, {39, 0}, {0, 39}, {39, 39}})
      EXPECT_EQ(pixel(rounded, x, y).a, 0) << x << ", " << y;
    for (auto [x, y] : {std::pair{20, 20}, {20, 0}, {0, 20}, {39, 20}})
      EXPECT_EQ(pixel(rounded, x, y), kBlue) << x << ", " << y;
  }
  // A border insets the rounded rectangle.
  auto bordered = roundedCornerImage(image, 10, 3);
  EXPECT_EQ(pixel(bordered, 20, 1).a, 0);
  EXPECT_EQ(pixel(bordered, 20, 4), kBlue);
}

TEST(ImageRoundedCornerTest, AnOvalOfZeroAddsThePlainRectangle) {
  auto ctx = CGBitmapContext::create(nullptr, 20, 20, 8, 0, CGColorSpace::createDeviceRGB(),
                                     kCGImageAlphaPremultipliedFirst | CGNativeByteOrder32());
  addRoundedRectToPath(CGRectMake(2, 3, 10, 12), *ctx, 0, 5);
  EXPECT_EQ(ctx->getPathBoundingBox(), CGRectMake(2, 3, 10, 12));
  EXPECT_TRUE(ctx->pathContainsPoint(CGPointMake(2.5, 3.5), CGPathDrawingMode::Fill));
  ctx->beginPath();
  addRoundedRectToPath(CGRectMake(2, 3, 10, 12), *ctx, 6, 6);
  EXPECT_EQ(ctx->getPathBoundingBox(), CGRectMake(2, 3, 10, 12));
  EXPECT_FALSE(ctx->pathContainsPoint(CGPointMake(2.5, 3.5), CGPathDrawingMode::Fill));
}

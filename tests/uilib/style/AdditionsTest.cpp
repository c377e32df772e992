// The colour, font and image additions: tints derived through hue, saturation and value, the
// library's line height, and images fitted into rectangles by content mode.
#include <gtest/gtest.h>

#include <cmath>

#include "StyleTestSupport.h"
#include "UIKit/UIGraphics.h"
#include "uilib/style/UIColor+ULCategory.h"
#include "uilib/style/UIFont+ULCategory.h"
#include "uilib/style/UIImage+ULCategory.h"

namespace {

using AdditionsTest = StyleTest;

std::shared_ptr<UIColor> rgb255(CGFloat r, CGFloat g, CGFloat b) {
  return UIColor::colorWithRed(r / 255, g / 255, b / 255, 1);
}

std::shared_ptr<UIImage> pictureOfSize(CGFloat w, CGFloat h) {
  UIGraphicsBeginImageContextWithOptions(CGSizeMake(w, h), false, 1);
  UIColor::blueColor()->setFill();
  UIRectFill(CGRectMake(0, 0, w, h));
  auto image = UIGraphicsGetImageFromCurrentImageContext();
  UIGraphicsEndImageContext();
  return image;
}

TEST_F(AdditionsTest, HighlightAndShadowScaleSaturationAndValue) {
  auto tint = rgb255(109, 132, 162);
  auto light = highlight(*tint);
  EXPECT_NEAR(value(*light), value(*tint) * 1.2, 1e-9);
  EXPECT_NEAR(value(*light), 0.762, 1e-3);
  EXPECT_NEAR(saturation(*light), saturation(*tint) * 0.4, 1e-9);
  EXPECT_NEAR(hue(*light), hue(*tint), 1e-9);

  auto dark = shadow(*UIColor::colorWithRed(1, 0, 0, 1));
  EXPECT_NEAR(dark->red(), 0.6, 1e-9);
  EXPECT_NEAR(dark->green(), 0.24, 1e-9);
  EXPECT_NEAR(dark->blue(), 0.24, 1e-9);
}

TEST_F(AdditionsTest, AValuePushedAboveOneIsClampedByTheColour) {
  auto tint = UIColor::colorWithRed(0.9, 0.45, 0.45, 0.5);
  auto brighter = multiplyHue(*tint, 1, 1, 1.2);
  EXPECT_EQ(brighter->red(), 1);  // 1.08, clamped
  EXPECT_NEAR(brighter->green(), 0.54, 1e-9);
  EXPECT_EQ(brighter->alpha(), 0.5);
}

TEST_F(AdditionsTest, AHueOfExactly360FallsIntoTheLastBranch) {
  auto c = colorWithHue(360, 0.5, 0.8, 1);
  EXPECT_NEAR(c->red(), 0.8, 1e-9);
  EXPECT_NEAR(c->green(), 0.4, 1e-9);
  EXPECT_NEAR(c->blue(), 0.8, 1e-9);
}

TEST_F(AdditionsTest, WhiteLevelColoursAreDerivedAsTheirGreyInRGB) {
  auto grey = UIColor::colorWithWhite(0.5, 0.7);
  auto darker = multiplyHue(*grey, 1, 1, 0.5);
  EXPECT_FALSE(darker->isWhiteLevel());
  EXPECT_EQ(darker->numberOfComponents(), 4u);
  EXPECT_NEAR(darker->red(), 0.25, 1e-9);
  EXPECT_NEAR(darker->blue(), 0.25, 1e-9);
  EXPECT_EQ(darker->alpha(), 0.7);
  auto lifted = addHue(*UIColor::colorWithWhite(0.1, 1), 0, 0, 0.2);
  EXPECT_NEAR(lifted->green(), 0.3, 1e-9);
  auto copy = copyWithAlpha(*grey, 0.2);
  EXPECT_FALSE(copy->isWhiteLevel());
  EXPECT_NEAR(copy->red(), 0.5, 1e-9);
  EXPECT_EQ(copy->alpha(), 0.2);
  EXPECT_EQ(saturation(*grey), 0);
}

TEST_F(AdditionsTest, TheLibrarysLineHeightIsTheGlyphHeightPlusOne) {
  // Fixed metrics: ascender 0.8 s, descender -0.2 s.
  auto font = UIFont::systemFontOfSize(20);
  EXPECT_EQ(ulLineHeight(*font), 21);
  EXPECT_EQ(LineHeight(*font), 21);
}

TEST_F(AdditionsTest, ImagesAreFittedByContentMode) {
  struct Case {
    CGSize image;
    CGRect into;
    UIViewContentMode mode;
    CGRect expected;
  } cases[] = {
      {CGSizeMake(100, 50), CGRectMake(0, 0, 60, 60), UIViewContentMode::ScaleAspectFit,
       CGRectMake(0, 15, 60, 30)},
      {CGSizeMake(100, 50), CGRectMake(0, 0, 60, 60), UIViewContentMode::ScaleAspectFill,
       CGRectMake(-30, 0, 120, 60)},
      {CGSizeMake(20, 10), CGRectMake(0, 0, 25, 15), UIViewContentMode::BottomRight,
       CGRectMake(5, 5, 20, 10)},
      {CGSizeMake(20, 10), CGRectMake(10, 10, 40, 30), UIViewContentMode::Center,
       CGRectMake(20, 20, 20, 10)},
      {CGSizeMake(20, 10), CGRectMake(10, 10, 40, 30), UIViewContentMode::Top,
       CGRectMake(20, 10, 20, 10)},
      {CGSizeMake(20, 10), CGRectMake(10, 10, 40, 30), UIViewContentMode::Bottom,
       CGRectMake(20, 30, 20, 10)},
      {CGSizeMake(20, 10), CGRectMake(10, 10, 40, 30), UIViewContentMode::Left,
       CGRectMake(10, 20, 20, 10)},
      {CGSizeMake(20, 10), CGRectMake(10, 10, 40, 30), UIViewContentMode::Right,
       CGRectMake(30, 20, 20, 10)},
      {CGSizeMake(20, 10), CGRectMake(10, 10, 40, 30), UIViewContentMode::TopRight,
       CGRectMake(30, 10, 20, 10)},
      {CGSizeMake(20, 10), CGRectMake(10, 10, 40, 30), UIViewContentMode::BottomLeft,
       CGRectMake(10, 30, 20, 10)},
      {CGSizeMake(20, 10), CGRectMake(10, 10, 40, 30), UIViewContentMode::ScaleToFill,
       CGRectMake(10, 10, 40, 30)},
      {CGSizeMake(40, 30), CGRectMake(10, 10, 40, 30), UIViewContentMode::ScaleAspectFit,
       CGRectMake(10, 10, 40, 30)},
  };
  for (const auto& k : cases) {
    auto image = pictureOfSize(k.image.width, k.image.height);
    EXPECT_TRUE(sameRect(convertRect(*image, k.into, k.mode), k.expected)) << int(k.mode);
  }
}

TEST_F(AdditionsTest, AnImageWithNoSizeIsNotFitted) {
  auto empty = std::make_shared<UIImage>(nullptr, 1, UIImageOrientation::Up);
  EXPECT_TRUE(
      sameRect(convertRect(*empty, CGRectMake(1, 2, 30, 40), UIViewContentMode::ScaleAspectFit),
               CGRectMake(1, 2, 30, 40)));
}

TEST_F(AdditionsTest, DrawingByContentModeClipsButForAspectFitAndFill) {
  auto image = pictureOfSize(100, 50);
  drawInRectContentMode(*image, CGRectMake(0, 0, 60, 60), UIViewContentMode::ScaleAspectFill);
  ASSERT_EQ(records("drawImage").size(), 1u);
  EXPECT_TRUE(sameRect(records("drawImage")[0].rect, CGRectMake(-30, 0, 120, 60)));
  context->clearRecords();
  // Centred and larger than the rectangle: drawn at its own size, inside a clip to it.
  drawInRectContentMode(*image, CGRectMake(0, 0, 60, 60), UIViewContentMode::Center);
  ASSERT_EQ(records("drawImage").size(), 1u);
  EXPECT_TRUE(sameRect(records("drawImage")[0].rect, CGRectMake(-20, 5, 100, 50)));
}

TEST_F(AdditionsTest, RoundedDrawingClipsToFourUnitArcsScaledByTheRadius) {
  auto image = pictureOfSize(40, 40);
  drawInRectRadius(*image, CGRectMake(0, 0, 40, 40), 8);
  EXPECT_EQ(records("arcToPoint").size(), 4u);
  ASSERT_EQ(records("drawImage").size(), 1u);
}

TEST_F(AdditionsTest, ARedrawnImageTakesTheNewSizeAndTurnsSidewaysPicturesUpright) {
  auto image = pictureOfSize(20, 10);
  auto scaled = transformWidth(*image, 40, 30, false);
  ASSERT_NE(scaled, nullptr);
  EXPECT_TRUE(CGSizeEqualToSize(scaled->size(), CGSizeMake(40, 30)));
  auto turned = UIImage::imageWithCGImage(image->CGImage(), 1, UIImageOrientation::Left);
  auto upright = transformWidth(*turned, 10, 20, true);
  ASSERT_NE(upright, nullptr);
  EXPECT_TRUE(CGSizeEqualToSize(upright->size(), CGSizeMake(10, 20)));
  EXPECT_EQ(upright->imageOrientation(), UIImageOrientation::Up);
}

}  // namespace

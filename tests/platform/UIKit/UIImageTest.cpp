// Pictures as the screens load and draw them: the bundle's retina pick, files, data, EXIF
// orientation, stretchable caps, image contexts and the two encodings; colours.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>

#include "CoreGraphics/CGBitmapContext.h"
#include "CoreGraphics/CGPixelLayout.h"
#include "Foundation/NSBundle.h"
#include "ImageIO/CGImageDestination.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIDevice.h"
#include "UIKit/UIGraphics.h"
#include "UIKit/UIImage.h"
#include "UIKitTestSupport.h"
#include "support/TestImages.h"

namespace {

const Pixel kRed{255, 0, 0, 255}, kGreen{0, 255, 0, 255}, kBlue{0, 0, 255, 255}, kClear{0, 0, 0, 0};

// A PNG of w × h pixels filled with the colour, with a blue top-left pixel.
std::string pngOf(int w, int h, CGFloat r, CGFloat g, CGFloat b) {
  UIGraphicsBeginImageContextWithOptions(CGSizeMake(w, h), false, 1);
  auto ctx = UIGraphicsGetCurrentContext();
  ctx->setRGBFillColor(r, g, b, 1);
  ctx->fillRect(CGRectMake(0, 0, w, h));
  ctx->setRGBFillColor(0, 0, 1, 1);
  ctx->fillRect(CGRectMake(0, 0, 1, 1));
  auto image = UIGraphicsGetImageFromCurrentImageContext();
  UIGraphicsEndImageContext();
  return *UIImagePNGRepresentation(image);
}

class UIImageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("zept-uiimage-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
    UIImage::clearNamedImageCache();
  }
  void TearDown() override {
    UIDevice::setProfile(UIDeviceProfile());
    std::filesystem::remove_all(dir_);
  }
  void write(const std::string& name, const std::string& bytes) {
    std::ofstream(dir_ / name, std::ios::binary) << bytes;
  }
  void setScale(double scale) {
    UIDeviceProfile p;
    p.screenScale = scale;
    UIDevice::setProfile(p);
  }
  std::filesystem::path dir_;
};

TEST_F(UIImageTest, NamedImagesPreferTheRetinaFileOnARetinaScreenAndAreCached) {
  write("both.png", pngOf(10, 6, 1, 0, 0));
  write("both@2x.png", pngOf(20, 12, 0, 1, 0));
  write("retinaOnly@2x.png", pngOf(20, 12, 0, 1, 0));
  write("photo.jpg", *CGImageDestination::encodeJPEG(
                         UIImage::imageWithData(pngOf(8, 8, 1, 1, 1))->CGImage(), 0.9));
  auto bundle = NSBundle::bundleWithPath(dir_.string());
  ASSERT_NE(bundle, nullptr);

  struct Case {
    double screenScale;
    const char* name;
    CGFloat scale;
    CGSize size;
  };
  const Case cases[] = {
      {2, "both", 2, {10, 6}},
      {1, "both", 1, {10, 6}},
      {2, "both.png", 2, {10, 6}},
      // Only the retina file: used at scale 2 on any screen.
      {1, "retinaOnly", 2, {10, 6}},
      {2, "photo.jpg", 1, {8, 8}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " at screen scale " + std::to_string(c.screenScale));
    UIImage::clearNamedImageCache();
    setScale(c.screenScale);
    auto image = UIImage::imageNamed(c.name, bundle);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->scale(), c.scale);
    EXPECT_EQ(image->size(), c.size);
    EXPECT_EQ(image->name(), c.name);
    EXPECT_EQ(image->CGImage()->sourceName(), c.name);
  }
  EXPECT_EQ(UIImage::imageNamed("missing", bundle), nullptr);
  EXPECT_EQ(UIImage::imageNamed("", bundle), nullptr);
  auto first = UIImage::imageNamed("both", bundle);
  EXPECT_EQ(UIImage::imageNamed("both", bundle), first);
  UIImage::clearNamedImageCache();
  EXPECT_NE(UIImage::imageNamed("both", bundle), first);
  // The app's own bundle: the launch picture.
  EXPECT_EQ(UIImage::imageNamed("Default")->size(), CGSizeMake(320, 480));
  EXPECT_EQ(UIImage::imageNamed("Default-568h")->size(), CGSizeMake(320, 568));
}

TEST_F(UIImageTest, FilesLoadTheRetinaFileBesideThemOnlyOnARetinaScreen) {
  write("pic.png", pngOf(10, 6, 1, 0, 0));
  write("pic@2x.png", pngOf(20, 12, 0, 1, 0));
  write("big@2x.png", pngOf(20, 12, 0, 1, 0));
  setScale(2);
  auto retina = UIImage::imageWithContentsOfFile((dir_ / "pic.png").string());
  ASSERT_NE(retina, nullptr);
  EXPECT_EQ(retina->scale(), 2);
  EXPECT_EQ(retina->CGImage()->width(), 20u);
  EXPECT_EQ(retina->name(), "pic.png");
  EXPECT_EQ(UIImage::imageWithContentsOfFile((dir_ / "big@2x.png").string())->scale(), 2);
  setScale(1);
  auto plain = UIImage::imageWithContentsOfFile((dir_ / "pic.png").string());
  EXPECT_EQ(plain->scale(), 1);
  EXPECT_EQ(plain->CGImage()->width(), 10u);
  // On a scale-1 screen a "@2x" file named outright is read at scale 1: twice the points.
  EXPECT_EQ(UIImage::imageWithContentsOfFile((dir_ / "big@2x.png").string())->size(),
            CGSizeMake(20, 12));
  EXPECT_EQ(UIImage::imageWithContentsOfFile((dir_ / "none.png").string()), nullptr);
}

TEST_F(UIImageTest, DataGivesPicturesOrNothing) {
  std::string png = pngOf(4, 3, 1, 0, 0);
  auto image = UIImage::imageWithData(png);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->size(), CGSizeMake(4, 3));
  EXPECT_EQ(image->scale(), 1);
  EXPECT_EQ(UIImage::imageWithData(png, 2)->size(), CGSizeMake(2, 1.5));
  // A GIF gives its first frame.
  auto gif = UIImage::imageWithData(writeGIF(threeFrameGIF()));
  ASSERT_NE(gif, nullptr);
  Canvas c(4, 4);
  gif->drawAtPoint(CGPointZero);
  EXPECT_EQ(c.at(2, 2), kRed);
  for (const std::string& bad : {std::string(), png.substr(0, 30), std::string("not a picture")})
    EXPECT_EQ(UIImage::imageWithData(bad), nullptr);
}

TEST_F(UIImageTest, AJPEGTurnedByItsEXIFDataIsSizedAndDrawnUpright) {
  // 4 × 2 pixels: left half red, right half green, stored as if the camera was turned.
  UIGraphicsBeginImageContextWithOptions(CGSizeMake(4, 2), true, 1);
  auto ctx = UIGraphicsGetCurrentContext();
  ctx->setRGBFillColor(1, 0, 0, 1);
  ctx->fillRect(CGRectMake(0, 0, 2, 2));
  ctx->setRGBFillColor(0, 1, 0, 1);
  ctx->fillRect(CGRectMake(2, 0, 2, 2));
  std::string jpeg = *UIImageJPEGRepresentation(UIGraphicsGetImageFromCurrentImageContext(), 1);
  UIGraphicsEndImageContext();
  auto image = UIImage::imageWithData(withEXIFOrientation(jpeg, 6));
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->imageOrientation(), UIImageOrientation::Right);
  EXPECT_EQ(image->size(), CGSizeMake(2, 4));
  // Turned right: the left (red) half of the stored picture ends on top.
  Canvas c(2, 4);
  image->drawInRect(CGRectMake(0, 0, 2, 4));
  EXPECT_GT(c.at(0, 0)[0], 200);
  EXPECT_LT(c.at(0, 0)[1], 60);
  EXPECT_GT(c.at(0, 3)[1], 200);
  EXPECT_LT(c.at(0, 3)[0], 60);
}

TEST_F(UIImageTest, StretchableImagesKeepTheirCapsAndStretchThePointAfterThem) {
  // 5 × 3 points: columns red, red, blue, green, green; rows alike.
  UIGraphicsBeginImageContextWithOptions(CGSizeMake(5, 3), false, 1);
  auto ctx = UIGraphicsGetCurrentContext();
  ctx->setRGBFillColor(1, 0, 0, 1);
  ctx->fillRect(CGRectMake(0, 0, 2, 3));
  ctx->setRGBFillColor(0, 0, 1, 1);
  ctx->fillRect(CGRectMake(2, 0, 1, 3));
  ctx->setRGBFillColor(0, 1, 0, 1);
  ctx->fillRect(CGRectMake(3, 0, 2, 3));
  auto image = UIGraphicsGetImageFromCurrentImageContext();
  UIGraphicsEndImageContext();

  auto stretchable = image->stretchableImageWithLeftCapWidth(2, 0);
  EXPECT_TRUE(stretchable->isStretchable());
  EXPECT_EQ(stretchable->leftCapWidth(), 2);
  EXPECT_EQ(stretchable->capInsets(), UIEdgeInsetsMake(0, 2, 0, 2));
  EXPECT_EQ(stretchable->size(), image->size());
  Canvas c(20, 6);
  stretchable->drawInRect(CGRectMake(0, 0, 20, 6));
  EXPECT_EQ(c.at(1, 3), kRed);   // the left cap, two points
  EXPECT_EQ(c.at(2, 3), kBlue);  // the stretched point
  EXPECT_EQ(c.at(17, 3), kBlue);
  EXPECT_EQ(c.at(18, 3), kGreen);  // the right cap: width - 2 - 1 = 2 points
  EXPECT_EQ(c.at(10, 0), kBlue);   // cap 0: the height stretches whole

  // Without caps the picture scales whole.
  Canvas plain(10, 3);
  image->drawInRect(CGRectMake(0, 0, 10, 3));
  EXPECT_EQ(plain.at(3, 1), kRed);
  EXPECT_EQ(plain.at(4, 1), kBlue);
}

TEST_F(UIImageTest, ImageContextsArePushedAndGiveTheirPicture) {
  setScale(2);
  EXPECT_EQ(UIGraphicsGetCurrentContext(), nullptr);
  EXPECT_EQ(UIGraphicsGetImageFromCurrentImageContext(), nullptr);
  UIGraphicsBeginImageContextWithOptions(CGSizeMake(10, 5), false, 0);  // the screen's scale
  auto outer = UIGraphicsGetCurrentContext();
  ASSERT_NE(outer, nullptr);
  UIGraphicsBeginImageContext(CGSizeMake(3, 3));
  EXPECT_NE(UIGraphicsGetCurrentContext(), outer);
  auto small = UIGraphicsGetImageFromCurrentImageContext();
  EXPECT_EQ(small->scale(), 1);
  UIGraphicsEndImageContext();
  EXPECT_EQ(UIGraphicsGetCurrentContext(), outer);
  UIColor::redColor()->setFill();
  UIRectFill(CGRectMake(0, 0, 5, 5));
  auto image = UIGraphicsGetImageFromCurrentImageContext();
  UIGraphicsEndImageContext();
  EXPECT_EQ(UIGraphicsGetCurrentContext(), nullptr);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->scale(), 2);
  EXPECT_EQ(image->size(), CGSizeMake(10, 5));
  EXPECT_EQ(image->CGImage()->width(), 20u);

  // The encodings read back as the same picture.
  auto png = UIImagePNGRepresentation(image);
  ASSERT_TRUE(png);
  auto back = UIImage::imageWithData(*png, 2);
  Canvas c(10, 5);
  back->drawAtPoint(CGPointZero);
  EXPECT_EQ(c.at(2, 2), kRed);
  EXPECT_EQ(c.at(7, 2), kClear);
  auto jpegHigh = UIImageJPEGRepresentation(image, 0.9),
       jpegLow = UIImageJPEGRepresentation(image, 0.1);
  ASSERT_TRUE(jpegHigh && jpegLow);
  EXPECT_LE(jpegLow->size(), jpegHigh->size());
  EXPECT_FALSE(UIImagePNGRepresentation(nullptr));
}

TEST_F(UIImageTest, ColoursKeepTheirKindAndPaintTheCurrentContext) {
  auto white = UIColor::whiteColor();
  EXPECT_EQ(UIColor::whiteColor(), white);  // one shared object
  EXPECT_EQ(white->numberOfComponents(), 2u);
  CGFloat w = 0, a = 0;
  EXPECT_TRUE(UIColor::colorWithWhite(0.5, 0.25)->getWhite(&w, &a));
  EXPECT_EQ(w, 0.5);
  EXPECT_EQ(a, 0.25);
  auto rgb = UIColor::colorWithRed(283 / 255.0, 0.2, -1, 1);
  EXPECT_EQ(rgb->numberOfComponents(), 4u);
  EXPECT_EQ(rgb->red(), 1);  // clamped
  EXPECT_EQ(rgb->blue(), 0);
  EXPECT_FALSE(rgb->getWhite(&w, &a));
  EXPECT_EQ(rgb->CGColor()->numberOfComponents(), 4u);
  EXPECT_EQ(white->CGColor()->numberOfComponents(), 2u);
  EXPECT_EQ(rgb->colorWithAlphaComponent(0.5)->alpha(), 0.5);

  // A pattern colour tiles its picture.
  auto tile = UIImage::imageWithData(pngOf(2, 2, 0, 1, 0));
  auto pattern = UIColor::colorWithPatternImage(tile);
  EXPECT_TRUE(pattern->isPattern());
  EXPECT_EQ(pattern->numberOfComponents(), 0u);
  Canvas c(6, 4);
  pattern->setFill();
  UIRectFill(CGRectMake(0, 0, 6, 4));
  EXPECT_EQ(c.at(0, 0), kBlue);
  EXPECT_EQ(c.at(1, 0), kGreen);
  EXPECT_EQ(c.at(2, 2), kBlue);
  EXPECT_EQ(c.at(5, 3), kGreen);
  EXPECT_TRUE(UIColor::colorWithPatternImage(nullptr)->isPattern());
}

}  // namespace

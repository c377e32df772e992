// Views on screen: drawRect kept until it must run again, the layer look of views, the
// compositor's frame of a window and the windows above it, image views (content modes, frame
// animations on the clock), the recording of what views draw, and the frame written as PNG.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>

#include "CoreGraphics/CGBitmapContext.h"
#include "CoreGraphics/CGPixelLayout.h"
#include "Foundation/NSClass.h"
#include "Foundation/NSFileManager.h"
#include "Foundation/NSURL.h"
#include "ImageIO/CGImageSource.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIDevice.h"
#include "UIKit/UIGraphics.h"
#include "UIKit/UIImageView.h"
#include "UIKit/UIScreenCapture.h"
#include "UIKit/UIWindow.h"
#include "UIKitTestSupport.h"

namespace {

using Pixel = std::array<int, 4>;  // R G B A

// The frame's pixels, read in points (at the screen's scale 2 the pixel at (2x, 2y)).
struct Frame {
  CGImageRef image;
  std::shared_ptr<CGBitmapContext> ctx;
  explicit Frame(CGImageRef i) : image(std::move(i)) {
    ctx = CGBitmapContext::create(nullptr, image->width(), image->height(), 8, 0,
                                  CGColorSpace::createDeviceRGB(),
                                  kCGImageAlphaPremultipliedLast | kCGBitmapByteOrder32Big);
    ctx->drawImage(CGRectMake(0, 0, CGFloat(image->width()), CGFloat(image->height())), image);
  }
  Pixel at(double x, double y, double scale = 2) const {
    size_t px = size_t(x * scale), py = size_t(y * scale);
    const uint8_t* p = static_cast<const uint8_t*>(ctx->data()) + py * ctx->bytesPerRow() + px * 4;
    return {p[0], p[1], p[2], p[3]};
  }
};

const Pixel kBlack{0, 0, 0, 255}, kWhite{255, 255, 255, 255}, kRed{255, 0, 0, 255},
    kGreen{0, 255, 0, 255}, kBlue{0, 0, 255, 255};

// A view that counts its drawing passes and fills itself with a colour.
class Swatch : public UIView {
  NS_CLASS(Swatch, UIView)
 public:
  using UIView::UIView;
  void drawRect(CGRect rect) override {
    ++draws;
    auto ctx = UIGraphicsGetCurrentContext();
    ASSERT_NE(ctx, nullptr);
    color->setFill();
    UIRectFill(rect);
    // A black mark at the top-left point shows which way up the picture is.
    UIColor::blackColor()->setFill();
    UIRectFill(CGRectMake(0, 0, 1, 1));
  }
  int draws = 0;
  std::shared_ptr<UIColor> color = UIColor::blueColor();
};
NS_CLASS_IMPLEMENTATION(Swatch) {}

class UIViewDrawingTest : public UIKitTest {
 protected:
  void TearDown() override {
    UIDevice::setProfile(UIDeviceProfile());
    UIKitTest::TearDown();
  }
  std::shared_ptr<UIWindow> shownWindow() {
    auto w = std::make_shared<UIWindow>(CGRectMake(0, 0, 320, 480));
    w->setBackgroundColor(UIColor::whiteColor());
    w->makeKeyAndVisible();
    return w;
  }
};

TEST_F(UIViewDrawingTest, DrawRectRunsOnceAndAgainOnlyWhenToldOrResized) {
  auto window = shownWindow();
  auto swatch = std::make_shared<Swatch>(CGRectMake(10, 20, 30, 40));
  window->addSubview(swatch);
  EXPECT_EQ(swatch->draws, 0);  // nothing is drawn before a frame is made

  Frame first(window->compositeFrame());
  EXPECT_EQ(swatch->draws, 1);
  EXPECT_EQ(first.at(10, 20), kBlack);  // the mark: top-left, upright
  EXPECT_EQ(first.at(12, 30), kBlue);
  EXPECT_EQ(first.at(5, 5), kWhite);

  window->compositeFrame();
  swatch->setCenter(CGPointMake(100, 100));  // moving keeps the picture
  Frame moved(window->compositeFrame());
  EXPECT_EQ(swatch->draws, 1);
  EXPECT_EQ(moved.at(100, 100), kBlue);

  swatch->color = UIColor::redColor();
  swatch->setNeedsDisplay();
  Frame redrawn(window->compositeFrame());
  EXPECT_EQ(swatch->draws, 2);
  EXPECT_EQ(redrawn.at(100, 100), kRed);

  swatch->setFrame(CGRectMake(0, 0, 50, 50));  // a new size draws again
  window->compositeFrame();
  EXPECT_EQ(swatch->draws, 3);
}

TEST_F(UIViewDrawingTest, TheFrameHasTheScreensPixelSizeWithTheWindowsAboveOnTop) {
  struct Case {
    double height;
    size_t pixels;
  };
  for (Case c : {Case{480, 960}, Case{568, 1136}}) {
    SCOPED_TRACE(c.height);
    UIDeviceProfile p;
    p.screenHeight = c.height;
    UIDevice::setProfile(p);
    auto window = std::make_shared<UIWindow>(CGRectMake(0, 0, 320, c.height));
    window->setBackgroundColor(UIColor::whiteColor());
    window->makeKeyAndVisible();
    auto frame = window->compositeFrame();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->width(), 640u);
    EXPECT_EQ(frame->height(), c.pixels);
    UIApplicationDriver::reset();
  }
  UIDevice::setProfile(UIDeviceProfile());

  auto app = shownWindow();
  auto status = std::make_shared<UIWindow>(CGRectMake(0, 0, 320, 20));
  status->setWindowLevel(UIWindowLevelStatusBar + 1);
  status->setBackgroundColor(UIColor::greenColor());
  status->setHidden(false);
  auto below = std::make_shared<UIWindow>(CGRectMake(0, 0, 320, 480));
  below->setWindowLevel(UIWindowLevelNormal - 1);
  below->setBackgroundColor(UIColor::redColor());
  below->setHidden(false);
  Frame f(app->compositeFrame());
  EXPECT_EQ(f.at(100, 10), kGreen);   // the status-bar window over the app window
  EXPECT_EQ(f.at(100, 100), kWhite);  // the window below it is not part of its frame
  Frame fromBelow(below->compositeFrame());
  EXPECT_EQ(fromBelow.at(100, 100), kWhite);  // covered by the app window
  // A window smaller than the screen leaves black around it.
  app->setFrame(CGRectMake(0, 100, 320, 380));
  Frame shifted(app->compositeFrame());
  EXPECT_EQ(shifted.at(100, 50), kBlack);
}

TEST_F(UIViewDrawingTest, LayerLooksOfViewsReachTheFrame) {
  auto window = shownWindow();
  auto card = std::make_shared<UIView>(CGRectMake(20, 20, 100, 60));
  card->setBackgroundColor(UIColor::redColor());
  card->layer()->setCornerRadius(10);
  card->layer()->setBorderWidth(2);
  card->layer()->setBorderColor(UIColor::blueColor()->CGColor());
  auto overhang = std::make_shared<UIView>(CGRectMake(80, 40, 60, 60));
  overhang->setBackgroundColor(UIColor::greenColor());
  card->addSubview(overhang);
  window->addSubview(card);
  auto hidden = std::make_shared<UIView>(CGRectMake(200, 200, 50, 50));
  hidden->setBackgroundColor(UIColor::blackColor());
  hidden->setHidden(true);
  window->addSubview(hidden);
  auto faded = std::make_shared<UIView>(CGRectMake(200, 300, 50, 50));
  faded->setBackgroundColor(UIColor::blackColor());
  faded->setAlpha(0.5);
  window->addSubview(faded);

  Frame f(window->compositeFrame());
  EXPECT_EQ(f.at(20.5, 20.5), kWhite);  // the rounded corner
  EXPECT_EQ(f.at(60, 21), kBlue);       // the border
  EXPECT_EQ(f.at(60, 40), kRed);
  EXPECT_EQ(f.at(150, 90), kGreen);                        // a subview past the edge, not clipped
  EXPECT_EQ(f.at(220, 220), kWhite);                       // hidden
  EXPECT_EQ(f.at(220, 320), (Pixel{127, 127, 127, 255}));  // black at half over white

  card->setClipsToBounds(true);
  Frame clipped(window->compositeFrame());
  EXPECT_EQ(clipped.at(150, 90), kWhite);
  EXPECT_EQ(clipped.at(110, 70), kGreen);

  // A pattern colour tiles its picture as the background.
  UIGraphicsBeginImageContextWithOptions(CGSizeMake(2, 2), true, 1);
  UIColor::greenColor()->setFill();
  UIRectFill(CGRectMake(0, 0, 2, 2));
  UIColor::blueColor()->setFill();
  UIRectFill(CGRectMake(0, 0, 1, 1));
  auto tile = UIGraphicsGetImageFromCurrentImageContext();
  UIGraphicsEndImageContext();
  auto paper = std::make_shared<UIView>(CGRectMake(0, 400, 10, 10));
  paper->setBackgroundColor(UIColor::colorWithPatternImage(tile));
  window->addSubview(paper);
  Frame tiled(window->compositeFrame());
  EXPECT_EQ(tiled.at(0, 400), kBlue);
  EXPECT_EQ(tiled.at(1, 400), kGreen);
  EXPECT_EQ(tiled.at(2, 402), kBlue);
}

TEST_F(UIViewDrawingTest, ImageViewsPlaceTheirImageByContentMode) {
  // A 40 × 20 point picture: left half red, right half green.
  UIGraphicsBeginImageContextWithOptions(CGSizeMake(40, 20), true, 1);
  UIColor::redColor()->setFill();
  UIRectFill(CGRectMake(0, 0, 20, 20));
  UIColor::greenColor()->setFill();
  UIRectFill(CGRectMake(20, 0, 20, 20));
  auto picture = UIGraphicsGetImageFromCurrentImageContext();
  UIGraphicsEndImageContext();

  auto window = shownWindow();
  auto view = std::make_shared<UIImageView>(picture);
  EXPECT_EQ(view->frame(), CGRectMake(0, 0, 40, 20));
  view->setFrame(CGRectMake(0, 0, 100, 100));
  window->addSubview(view);
  Frame filled(window->compositeFrame());
  EXPECT_EQ(filled.at(10, 90), kRed);
  EXPECT_EQ(filled.at(90, 10), kGreen);

  view->setContentMode(UIViewContentMode::ScaleAspectFit);
  Frame fit(window->compositeFrame());
  EXPECT_EQ(fit.at(10, 10), kWhite);  // 100 × 50 in the middle
  EXPECT_EQ(fit.at(10, 30), kRed);
  EXPECT_EQ(fit.at(90, 70), kGreen);

  view->setContentMode(UIViewContentMode::Center);
  Frame centred(window->compositeFrame());
  EXPECT_EQ(centred.at(31, 50), kRed);
  EXPECT_EQ(centred.at(69, 50), kGreen);
  EXPECT_EQ(centred.at(25, 50), kWhite);

  // The view's stretch keeps the picture's ends: a middle tenth of it stretches.
  view->setContentMode(UIViewContentMode::ScaleToFill);
  view->setContentStretch(CGRectMake(0.45, 0, 0.1, 1));
  view->setFrame(CGRectMake(0, 0, 200, 20));
  Frame stretched(window->compositeFrame());
  EXPECT_EQ(stretched.at(17, 10), kRed);     // the left 18 points stay 18 points
  EXPECT_EQ(stretched.at(183, 10), kGreen);  // and so do the right ones
  EXPECT_EQ(stretched.at(150, 10), kGreen);  // the middle: two points stretched to 164

  view->setImage(nullptr);
  Frame empty(window->compositeFrame());
  EXPECT_EQ(empty.at(50, 50), kWhite);
  EXPECT_EQ(view->imageName(), "");
}

TEST_F(UIViewDrawingTest, AFrameAnimationShowsItsImagesOnTheClock) {
  std::vector<std::shared_ptr<UIImage>> frames;
  for (auto color : {UIColor::redColor(), UIColor::greenColor(), UIColor::blueColor()}) {
    UIGraphicsBeginImageContextWithOptions(CGSizeMake(4, 4), true, 1);
    color->setFill();
    UIRectFill(CGRectMake(0, 0, 4, 4));
    frames.push_back(UIGraphicsGetImageFromCurrentImageContext());
    UIGraphicsEndImageContext();
  }
  auto window = shownWindow();
  auto view = std::make_shared<UIImageView>(CGRectMake(0, 0, 4, 4));
  window->addSubview(view);
  view->setAnimationImages(frames);
  view->setAnimationDuration(0.6);  // 0.2 s a frame
  view->setAnimationRepeatCount(2);
  view->startAnimating();
  EXPECT_TRUE(view->isAnimating());
  auto shown = [&] { return Frame(window->compositeFrame()).at(2, 2); };
  EXPECT_EQ(shown(), kRed);
  MainLoop::advance(0.21);
  EXPECT_EQ(shown(), kGreen);
  MainLoop::advance(0.2);
  EXPECT_EQ(shown(), kBlue);
  MainLoop::advance(0.2);
  EXPECT_EQ(shown(), kRed);  // the second pass
  EXPECT_NE(view->dump().find(" animating"), std::string::npos);
  MainLoop::advance(0.6);  // two passes done: back to the still image (none)
  EXPECT_FALSE(view->isAnimating());
  EXPECT_EQ(shown(), kWhite);
}

TEST_F(UIViewDrawingTest, ARecordingShowsWhatEachViewDrawsWhereOnTheScreen) {
  auto window = shownWindow();
  auto holder = std::make_shared<UIView>(CGRectMake(100, 200, 100, 100));
  auto swatch = std::make_shared<Swatch>(CGRectMake(10, 10, 30, 20));
  holder->addSubview(swatch);
  window->addSubview(holder);
  auto ctx = CGContext::createRecording(CGSizeMake(320, 480), 2);
  window->layer()->renderInContext(ctx);
  EXPECT_EQ(ctx->recordsText(),
            "fillRect (0 0; 320 480) fill=rgba(1 1 1 1)\n"
            "fillRect (110 210; 30 20) fill=rgba(0 0 1 1)\n"
            "fillRect (110 210; 1 1) fill=rgba(0 0 0 1)\n");
}

TEST_F(UIViewDrawingTest, TheFrameIsWrittenAsAPNGOfTheScreensPixels) {
  auto window = shownWindow();
  auto path = (std::filesystem::temp_directory_path() /
               ("zept-capture-" + std::to_string(::getpid()) + ".png"))
                  .string();
  std::string error;
  ASSERT_TRUE(UIScreenCaptureWritePNG(window, path, &error)) << error;
  auto source = CGImageSource::createWithURL(NSURL::fileURLWithPath(path));
  ASSERT_NE(source, nullptr);
  EXPECT_EQ(source->type(), kUTTypePNG);
  auto image = source->createImageAtIndex(0);
  EXPECT_EQ(image->width(), 640u);
  EXPECT_EQ(image->height(), 960u);
  EXPECT_EQ(Frame(image).at(10, 10), kWhite);
  std::filesystem::remove(path);
  EXPECT_FALSE(UIScreenCaptureWritePNG(nullptr, path, &error));
  EXPECT_FALSE(UIScreenCaptureWritePNG(window, "/nonexistent-folder/x.png", &error));
}

}  // namespace

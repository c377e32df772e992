// Shared pieces of the tests of the library's views: a fresh application, style sheet and
// URL cache on a virtual clock, a shown key window, and the composed frame's pixels.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "CoreGraphics/CGBitmapContext.h"
#include "CoreText/FixedMetricsTextMeasurer.h"
#include "UIKit/UIApplication.h"
#include "UIKit/UIApplicationDriver.h"
#include "UIKit/UIScreen.h"
#include "UIKit/UIWindow.h"
#include "support/MainLoop.h"
#include "uilib/network/ULURLCache.h"
#include "uilib/style/ULStyleSheet.h"
#include "uilib/views/ULImageView.h"

class ViewsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MainLoop::install();
    UIApplicationDriver::reset();
    TextMeasurer::setCurrent(std::make_shared<FixedMetricsTextMeasurer>());
    ULStyleSheet::setGlobalStyleSheet(nullptr);
    ULURLCache::sharedCache()->removeAll(false);
  }
  void TearDown() override {
    ULStyleSheet::setGlobalStyleSheet(nullptr);
    TextMeasurer::setCurrent(nullptr);
    UIApplicationDriver::reset();
  }

  // A shown key window filling the screen.
  std::shared_ptr<UIWindow> showWindow() {
    auto w = std::make_shared<UIWindow>(UIScreen::mainScreen()->bounds());
    w->makeKeyAndVisible();
    return w;
  }
};

using Pixel = std::array<int, 4>;  // R G B A

// A composed frame's pixels, read in points (at the screen's scale 2 the pixel at (2x, 2y)).
struct FramePixels {
  std::shared_ptr<CGBitmapContext> ctx;
  explicit FramePixels(const CGImageRef& image) {
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

// Writes down what an image delegate hears.
struct ImageEvents : ULImageViewDelegate {
  std::vector<std::string> events;
  void imageViewDidLoadImage(ULImageView*, const std::shared_ptr<UIImage>& image) override {
    events.push_back(image ? "loaded" : "loaded nothing");
  }
  void imageViewDidStartLoad(ULImageView*) override { events.push_back("started"); }
  void imageViewDidFailLoadWithError(ULImageView*, const NSErrorPtr& error) override {
    events.push_back(error ? "failed " + std::to_string(error->code()) : "failed without error");
  }
};

// Rectangles compared field by field, printed on failure.
inline ::testing::AssertionResult sameRect(CGRect actual, CGRect expected) {
  if (CGRectEqualToRect(actual, expected)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "(" << actual.origin.x << ", " << actual.origin.y << ", " << actual.size.width << ", "
         << actual.size.height << ") is not (" << expected.origin.x << ", " << expected.origin.y
         << ", " << expected.size.width << ", " << expected.size.height << ")";
}

// Shared pieces of the style tests: a recording context made current for the test (what the
// styles draw is read back from its log), the fixed-metrics text measurer, a view-like delegate
// that hands a chain its text and image, and a fresh global style sheet for every test.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "CoreGraphics/CGContext.h"
#include "CoreText/FixedMetricsTextMeasurer.h"
#include "UIKit/UIApplicationDriver.h"
#include "UIKit/UIGraphics.h"
#include "UIKit/UIImage.h"
#include "support/MainLoop.h"
#include "uilib/style/ULStyleContext.h"
#include "uilib/style/ULStyleDelegate.h"
#include "uilib/style/ULStyleSheet.h"

// What a view gives the chain it draws with.
class FakeStyleView : public ULStyleDelegate {
 public:
  std::optional<std::string> text;
  std::shared_ptr<UIImage> image;
  // Whether the view draws content of its own when the chain asks (drawLayer).
  bool drawsContent = false;
  int contentDrawings = 0;

  std::optional<std::string> textForLayerWithStyle(ULStyle&) override { return text; }
  std::shared_ptr<UIImage> imageForLayerWithStyle(ULStyle&) override { return image; }
  bool drawLayer(ULStyleContext&, ULStyle&) override {
    if (drawsContent) ++contentDrawings;
    return drawsContent;
  }
};

class StyleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MainLoop::install();
    UIApplicationDriver::reset();
    TextMeasurer::setCurrent(std::make_shared<FixedMetricsTextMeasurer>());
    ULStyleSheet::setGlobalStyleSheet(nullptr);
    context = CGContext::createRecording(CGSizeMake(320, 480));
    UIGraphicsPushContext(context);
    view = std::make_shared<FakeStyleView>();
  }
  void TearDown() override {
    UIGraphicsPopContext();
    ULStyleSheet::setGlobalStyleSheet(nullptr);
    TextMeasurer::setCurrent(nullptr);
    UIApplicationDriver::reset();
  }

  // A context for drawing into a frame, as a view sets it up: frame and content frame alike.
  std::shared_ptr<ULStyleContext> contextFor(CGRect frame) {
    auto c = std::make_shared<ULStyleContext>();
    c->setDelegate(view);
    c->setFrame(frame);
    c->setContentFrame(frame);
    return c;
  }
  // The chain drawn into the frame; the context afterwards.
  std::shared_ptr<ULStyleContext> draw(const ULStylePtr& chain, CGRect frame) {
    auto c = contextFor(frame);
    chain->draw(*c);
    return c;
  }
  // The chain's size for content of the zero size, measured as a view measures itself.
  CGSize measure(const ULStylePtr& chain) {
    ULStyleContext c;
    c.setDelegate(view);
    return chain->addToSize(CGSizeZero, c);
  }

  // The log lines of one kind of call, in order.
  std::vector<CGDrawingRecord> records(std::string_view op) const {
    std::vector<CGDrawingRecord> out;
    for (const auto& r : context->records())
      if (r.op == op) out.push_back(r);
    return out;
  }
  std::vector<std::string> descriptions(std::string_view op) const {
    std::vector<std::string> out;
    for (const auto& r : records(op)) out.push_back(r.description());
    return out;
  }

  std::shared_ptr<CGContext> context;
  std::shared_ptr<FakeStyleView> view;
};

// Rectangles compared field by field, with the rectangle printed on failure.
inline ::testing::AssertionResult sameRect(CGRect actual, CGRect expected) {
  if (CGRectEqualToRect(actual, expected)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "(" << actual.origin.x << ", " << actual.origin.y << ", " << actual.size.width << ", "
         << actual.size.height << ") is not (" << expected.origin.x << ", " << expected.origin.y
         << ", " << expected.size.width << ", " << expected.size.height << ")";
}

// Text on screen: the string drawing forms in the current context, labels (alignment, lines,
// truncation, vertical centring, colours and shadow, shrinking to fit) and buttons (per-state
// values, where the image and title go, the highlighted and disabled looks).  Geometry is
// checked with the fixed-metrics measurer (a Latin character is half the point size wide, a
// line 1.2 × the size rounded up); pixels with the bundled font.
#include <gtest/gtest.h>

#include <array>

#include "CoreGraphics/CGBitmapContext.h"
#include "CoreText/FixedMetricsTextMeasurer.h"
#include "UIKit/NSString+UIKit.h"
#include "UIKit/UIButton.h"
#include "UIKit/UIGraphics.h"
#include "UIKit/UILabel.h"
#include "UIKit/UIWindow.h"
#include "UIKitTestSupport.h"

namespace {

class UITextDrawingTest : public UIKitTest {
 protected:
  void SetUp() override {
    UIKitTest::SetUp();
    TextMeasurer::setCurrent(std::make_shared<FixedMetricsTextMeasurer>());
  }
  void TearDown() override {
    TextMeasurer::setCurrent(nullptr);
    UIKitTest::TearDown();
  }
  // What the view draws (its own drawRect), logged in its bounds' coordinates.
  static std::string drawingOf(UIView& view) {
    auto ctx = CGContext::createRecording(view.bounds().size, 2);
    UIGraphicsPushContext(ctx);
    view.drawRect(view.bounds());
    UIGraphicsPopContext();
    return ctx->recordsText();
  }
};

TEST_F(UITextDrawingTest, StringsDrawInTheCurrentContextAsTheyMeasure) {
  auto font = UIFont::systemFontOfSize(10);  // 5 points a Latin character, lines of 12
  EXPECT_EQ(drawInRect("no context", CGRectMake(0, 0, 100, 20), font), CGSizeMake(50, 12));

  auto ctx = CGContext::createRecording(CGSizeMake(200, 100));
  UIGraphicsPushContext(ctx);
  ctx->setRGBFillColor(1, 0, 0, 1);
  CGSize wrapped = drawInRect("aaaa bbbb cccc", CGRectMake(10, 20, 50, 100), font);
  EXPECT_EQ(wrapped, CGSizeMake(45, 24));  // "aaaa bbbb " hangs its space: two lines
  CGSize one = drawAtPoint("abc", CGPointMake(5, 60), font);
  EXPECT_EQ(one, CGSizeMake(15, 12));
  CGSize cut =
      drawAtPoint("abcdefghij", CGPointMake(0, 80), 30, font, UILineBreakModeTailTruncation);
  EXPECT_EQ(cut, CGSizeMake(30, 12));
  UIGraphicsPopContext();
  EXPECT_EQ(ctx->recordsText(),
            "drawText (10 20; 50 24) \"aaaa bbbb cccc\" font=Helvetica 10 rgba(1 0 0 1)\n"
            "drawText (5 60; 15 12) \"abc\" font=Helvetica 10 rgba(1 0 0 1)\n"
            "drawText (0 80; 30 12) \"abcdefghij\" font=Helvetica 10 rgba(1 0 0 1)\n");

  // Shrunk to fit: 10 characters at 20 points are 100 wide; at 12 points 60.
  auto shrink = CGContext::createRecording(CGSizeMake(200, 100));
  UIGraphicsPushContext(shrink);
  CGFloat actual = 0;
  drawAtPoint("abcdefghij", CGPointMake(0, 0), 60, UIFont::systemFontOfSize(20), 8, &actual,
              UILineBreakModeTailTruncation, UIBaselineAdjustmentAlignBaselines);
  EXPECT_EQ(actual, 12);
  drawAtPoint("abcdefghij", CGPointMake(0, 50), 60, UIFont::systemFontOfSize(20), 8, &actual,
              UILineBreakModeTailTruncation, UIBaselineAdjustmentAlignCenters);
  UIGraphicsPopContext();
  // The baseline stays: down by the ascenders' difference 0.8 × (20 - 12); or the middles:
  // down by half the line heights' difference (24 - 15) / 2.
  EXPECT_EQ(shrink->recordsText(),
            "drawText (0 6.4; 60 15) \"abcdefghij\" font=Helvetica 12 rgba(0 0 0 1)\n"
            "drawText (0 54.5; 60 15) \"abcdefghij\" font=Helvetica 12 rgba(0 0 0 1)\n");
}

TEST_F(UITextDrawingTest, TextTakesTheContextsColourAlphaAndShadow) {
  TextMeasurer::setCurrent(nullptr);  // the bundled font
  Canvas c(60, 30);
  c.ctx->setRGBFillColor(0, 0, 1, 1);
  c.ctx->setShadowWithColor(CGSizeMake(0, 6), 0, CGColor::createGenericRGB(1, 0, 0, 1));
  CGSize size = drawInRect("II", CGRectMake(2, 2, 50, 20), UIFont::boldSystemFontOfSize(14));
  EXPECT_GT(size.width, 0);
  int blue = 0, red = 0;
  for (size_t y = 0; y < 30; ++y)
    for (size_t x = 0; x < 60; ++x) {
      Pixel p = c.at(x, y);
      if (p == Pixel{0, 0, 255, 255}) ++blue;
      if (p == Pixel{255, 0, 0, 255}) ++red;
    }
  EXPECT_GT(blue, 10);
  EXPECT_GT(red, 10);  // the shadow, below the text
  auto [top, bottom] = c.inkRows();
  EXPECT_GE(top, 2);
  EXPECT_LE(bottom, 2 + int(size.height) + 6);
}

TEST_F(UITextDrawingTest, ALabelCentresItsLinesVerticallyAndCutsWhatDoesNotFit) {
  struct Case {
    const char* name;
    long lines;
    UILineBreakMode mode;
    UITextAlignment alignment;
    CGRect bounds;
    const char* text;
    const char* drawing;
  };
  // Font 10: 5 points a character, 12 a line.
  const Case cases[] = {
      {"one line, centred in a taller label", 1, UILineBreakModeTailTruncation, UITextAlignmentLeft,
       CGRectMake(0, 0, 100, 40), "hello",
       "drawText (0 14; 100 12) \"hello\" font=Helvetica 10 rgba(0 0 0 1)\n"},
      {"one line cut at the tail", 1, UILineBreakModeTailTruncation, UITextAlignmentCenter,
       CGRectMake(0, 0, 30, 12), "abcdefghij",
       "drawText (0 0; 30 12) \"abcdefghij\" font=Helvetica 10 rgba(0 0 0 1)\n"},
      {"any number of lines", 0, UILineBreakModeWordWrap, UITextAlignmentLeft,
       CGRectMake(0, 0, 50, 100), "aaaa bbbb cccc dddd",
       "drawText (0 38; 50 24) \"aaaa bbbb cccc dddd\" font=Helvetica 10 rgba(0 0 0 1)\n"},
      {"two lines at most", 2, UILineBreakModeTailTruncation, UITextAlignmentRight,
       CGRectMake(0, 0, 25, 100), "aaaa bbbb cccc dddd",
       "drawText (0 38; 25 24) \"aaaa bbbb cccc dddd\" font=Helvetica 10 rgba(0 0 0 1)\n"},
      {"bounds lower than a line still show one", 3, UILineBreakModeWordWrap, UITextAlignmentLeft,
       CGRectMake(0, 0, 50, 5), "aaaa bbbb",
       "drawText (0 -4; 50 12) \"aaaa bbbb\" font=Helvetica 10 rgba(0 0 0 1)\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    UILabel label(c.bounds);
    label.setFont(UIFont::systemFontOfSize(10));
    label.setNumberOfLines(c.lines);
    label.setLineBreakMode(c.mode);
    label.setTextAlignment(c.alignment);
    label.setText(c.text);
    EXPECT_EQ(drawingOf(label), c.drawing);
  }
  UILabel empty(CGRectMake(0, 0, 10, 10));
  EXPECT_EQ(drawingOf(empty), "");
}

TEST_F(UITextDrawingTest, ALabelsColoursFollowItsStateAndItSizesToItsText) {
  UILabel label(CGRectMake(0, 0, 100, 12));
  label.setFont(UIFont::systemFontOfSize(10));
  label.setText("abc");
  label.setTextColor(UIColor::redColor());
  label.setHighlightedTextColor(UIColor::whiteColor());
  EXPECT_NE(drawingOf(label).find("rgba(1 0 0 1)"), std::string::npos);
  label.setHighlighted(true);
  EXPECT_NE(drawingOf(label).find("rgba(1 1 1 1)"), std::string::npos);
  label.setHighlighted(false);
  label.setEnabled(false);
  EXPECT_NE(drawingOf(label).find("rgba(0.56 0.56 0.56 1)"), std::string::npos);

  label.setText("abcdefghij");
  label.sizeToFit();  // one line: the whole text
  EXPECT_EQ(label.frame(), CGRectMake(0, 0, 50, 12));
  label.setNumberOfLines(0);
  label.setText("aaaa bbbb cccc");
  EXPECT_EQ(label.sizeThatFits(CGSizeMake(50, 0)), CGSizeMake(45, 24));
  // Shrinking to fit the width, a point at a time down to the minimum.
  UILabel shrink(CGRectMake(0, 0, 60, 30));
  shrink.setFont(UIFont::systemFontOfSize(20));
  shrink.setText("abcdefghij");
  shrink.setAdjustsFontSizeToFitWidth(true);
  shrink.setMinimumFontSize(8);
  EXPECT_NE(drawingOf(shrink).find("font=Helvetica 12 "), std::string::npos);
  // Labels draw on a white background unless told otherwise; dumps show their text.
  EXPECT_EQ(UILabel().backgroundColor(), UIColor::whiteColor());
  EXPECT_NE(shrink.dump().find("text=\"abcdefghij\""), std::string::npos);
}

// A solid picture of w × h points.
std::shared_ptr<UIImage> solid(CGFloat w, CGFloat h, std::shared_ptr<UIColor> color,
                               const char* name) {
  UIGraphicsBeginImageContextWithOptions(CGSizeMake(w, h), false, 1);
  color->setFill();
  UIRectFill(CGRectMake(0, 0, w, h));
  auto image = UIGraphicsGetImageFromCurrentImageContext();
  UIGraphicsEndImageContext();
  image->CGImage()->setSourceName(name);
  return UIImage::imageWithCGImage(image->CGImage(), 1);
}

TEST_F(UITextDrawingTest, AButtonsValuesFollowItsStateWithTheNormalOnesAsDefault) {
  auto button = UIButton::buttonWithType(UIButtonType::Custom);
  button->setFrame(CGRectMake(10, 10, 100, 40));
  button->setTitle("Back", UIControlStateNormal);
  button->setTitle("Pressed", UIControlStateHighlighted);
  auto normal = solid(10, 10, UIColor::greenColor(), "leftBtn");
  auto selected = solid(10, 10, UIColor::blueColor(), "leftBtnS");
  button->setBackgroundImage(normal, UIControlStateNormal);
  button->setBackgroundImage(selected, UIControlStateSelected);
  button->setTitleColor(UIColor::blackColor(), UIControlStateNormal);

  EXPECT_EQ(button->currentTitle(), "Back");
  EXPECT_EQ(button->currentBackgroundImage(), normal);
  EXPECT_EQ(button->currentTitleColor(), UIColor::blackColor());
  button->setHighlighted(true);
  EXPECT_EQ(button->state(), UIControlStateHighlighted);
  EXPECT_EQ(button->currentTitle(), "Pressed");
  EXPECT_EQ(button->currentBackgroundImage(), normal);  // none of its own: the normal one
  button->setHighlighted(false);
  button->setSelected(true);
  EXPECT_EQ(button->currentBackgroundImage(), selected);
  EXPECT_EQ(button->currentTitle(), "Back");
  EXPECT_EQ(button->dump(),
            "UIButton frame=(10 10; 100 40) title=\"Back\" background=\"leftBtnS\" selected\n");
  button->setTitle(std::nullopt, UIControlStateHighlighted);
  button->setSelected(false);
  button->setHighlighted(true);
  EXPECT_EQ(button->currentTitle(), "Back");
  EXPECT_EQ(UIButton::buttonWithType(UIButtonType::Custom)->currentTitleColor(),
            UIColor::whiteColor());
}

TEST_F(UITextDrawingTest, AButtonPlacesItsImageAndTitleByAlignmentAndInsets) {
  auto button = UIButton::buttonWithType(UIButtonType::Custom);
  button->setFrame(CGRectMake(0, 0, 100, 40));
  button->titleLabel()->setFont(UIFont::systemFontOfSize(10));  // "Back": 20 × 12
  button->setTitle("Back", UIControlStateNormal);
  button->setImage(solid(16, 16, UIColor::redColor(), "icon"), UIControlStateNormal);
  button->layoutIfNeeded();
  // Centred as one: 16 + 20 = 36 wide, from x 32.
  EXPECT_EQ(button->imageView()->frame(), CGRectMake(32, 12, 16, 16));
  EXPECT_EQ(button->titleLabel()->frame(), CGRectMake(48, 14, 20, 12));

  button->setContentHorizontalAlignment(UIControlContentHorizontalAlignment::Left);
  button->setTitleEdgeInsets(UIEdgeInsetsMake(0, 10, 0, 0));
  button->setContentEdgeInsets(UIEdgeInsetsMake(4, 2, 4, 2));
  button->layoutIfNeeded();
  EXPECT_EQ(button->imageView()->frame(), CGRectMake(2, 12, 16, 16));
  EXPECT_EQ(button->titleLabel()->frame(), CGRectMake(28, 14, 20, 12));

  // A title too long for the button is cut to the room left.
  button->setTitle("A very long title indeed", UIControlStateNormal);
  button->layoutIfNeeded();
  EXPECT_EQ(button->titleLabel()->frame().size.width, 100 - 4 - 16 - 10);
  EXPECT_EQ(button->sizeThatFits(CGSizeZero), CGSizeMake(4 + 16 + 120, 8 + 16));
  // The button's own views stay out of dumps.
  EXPECT_EQ(button->dump(),
            "UIButton frame=(0 0; 100 40) title=\"A very long title indeed\" image=\"icon\"\n");
}

TEST_F(UITextDrawingTest, HighlightedAndDisabledButtonsDarkenOrFadeTheirNormalImages) {
  auto window = std::make_shared<UIWindow>(CGRectMake(0, 0, 320, 480));
  window->setBackgroundColor(UIColor::whiteColor());
  window->makeKeyAndVisible();
  auto button = UIButton::buttonWithType(UIButtonType::Custom);
  button->setFrame(CGRectMake(0, 0, 40, 40));
  button->setBackgroundImage(solid(4, 4, UIColor::greenColor(), "green"), UIControlStateNormal);
  window->addSubview(button);
  auto pixel = [&] {
    auto frame = window->compositeFrame();
    auto c = CGBitmapContext::create(nullptr, 1, 1, 8, 0, CGColorSpace::createDeviceRGB(),
                                     kCGImageAlphaPremultipliedLast | kCGBitmapByteOrder32Big);
    // The frame's pixel at (20, 20) points, (40, 40) pixels from the top.
    c->drawImage(CGRectMake(-40, -(CGFloat(frame->height()) - 41), CGFloat(frame->width()),
                            CGFloat(frame->height())),
                 frame);
    const uint8_t* p = static_cast<const uint8_t*>(c->data());
    return Pixel{p[0], p[1], p[2], p[3]};
  };
  EXPECT_EQ(pixel(), (Pixel{0, 255, 0, 255}));
  button->setHighlighted(true);
  EXPECT_EQ(pixel(), (Pixel{0, 170, 0, 255}));  // a third darker
  button->setAdjustsImageWhenHighlighted(false);
  EXPECT_EQ(pixel(), (Pixel{0, 255, 0, 255}));
  button->setHighlighted(false);
  button->setEnabled(false);
  Pixel faded = pixel();
  EXPECT_GT(faded[0], 100);  // green at 35 % over white
  EXPECT_EQ(faded[1], 255);
  EXPECT_NE(button->dump().find(" disabled"), std::string::npos);
}

}  // namespace

#include <gtest/gtest.h>

#include "CoreText/FixedMetricsTextMeasurer.h"
#include "UIKit/NSString+UIKit.h"

namespace {

// Fixed metrics: at 15 pt ideographs are 15 wide, Latin 7.5, lines 18.
class NSStringUIKitTest : public ::testing::Test {
 protected:
  void SetUp() override { TextMeasurer::setCurrent(std::make_shared<FixedMetricsTextMeasurer>()); }
  void TearDown() override { TextMeasurer::setCurrent(nullptr); }

  std::shared_ptr<UIFont> f15 = UIFont::systemFontOfSize(15);
};

TEST_F(NSStringUIKitTest, MeasuresInTheFormsOfThePlatform) {
  const std::string six = "中文中文中文";
  struct Case {
    const char* what;
    CGSize got, expected;
  } cases[] = {
      {"one line", sizeWithFont("中文abc", f15), {53, 18}},
      {"one line stops at a line break", sizeWithFont("中文\nabc", f15), {30, 18}},
      {"constrained, word wrap by default",
       sizeWithFont(six, f15, CGSizeMake(50, 10000)),
       {45, 36}},
      {"constrained to one line", sizeWithFont(six, f15, CGSizeMake(50, 18)), {45, 18}},
      {"constrained, tail",
       sizeWithFont(six, f15, CGSizeMake(50, 18), UILineBreakModeTailTruncation),
       {38, 18}},
      {"for width, word wrap", sizeWithFont(six, f15, 50, UILineBreakModeWordWrap), {45, 18}},
      {"for width, character wrap",
       sizeWithFont(six, f15, 50, UILineBreakModeCharacterWrap),
       {45, 18}},
      {"for width, clip", sizeWithFont(six, f15, 50, UILineBreakModeClip), {50, 18}},
      {"for width, head", sizeWithFont(six, f15, 50, UILineBreakModeHeadTruncation), {38, 18}},
      {"for width, middle", sizeWithFont(six, f15, 50, UILineBreakModeMiddleTruncation), {38, 18}},
      {"for width that fits", sizeWithFont(six, f15, 100, UILineBreakModeTailTruncation), {90, 18}},
      {"empty text", sizeWithFont("", f15, CGSizeMake(50, 10000)), {0, 0}},
      {"no font", sizeWithFont(six, nullptr, CGSizeMake(50, 10000)), {0, 0}},
  };
  for (const auto& c : cases) EXPECT_EQ(c.got, c.expected) << c.what;
}

TEST_F(NSStringUIKitTest, ReducesTheFontUntilTheLineFits) {
  const std::string six = "中文中文中文";
  CGFloat actual = 0;
  // 11 pt: 66 wide, lines of ceil(13.2) = 14.
  EXPECT_EQ(sizeWithFont(six, f15, 10, &actual, 70, UILineBreakModeTailTruncation),
            CGSizeMake(66, 14));
  EXPECT_EQ(actual, 11);
  // Not even the minimum fits: cut at the minimum size.
  EXPECT_EQ(sizeWithFont(six, f15, 12, &actual, 70, UILineBreakModeTailTruncation),
            CGSizeMake(66, 15));  // five ideographs of 12 and "…" of 6
  EXPECT_EQ(actual, 12);
  EXPECT_EQ(sizeWithFont(six, f15, 10, &actual, 100, UILineBreakModeTailTruncation),
            CGSizeMake(90, 18));
  EXPECT_EQ(actual, 15);
  EXPECT_EQ(sizeWithFont(six, nullptr, 10, &actual, 100, UILineBreakModeTailTruncation),
            CGSizeZero);
  EXPECT_EQ(actual, 0);
}

TEST_F(NSStringUIKitTest, MapsTheModesAndAlignmentsOntoTheMeasurers) {
  EXPECT_EQ(CTLineBreakModeFromUILineBreakMode(UILineBreakModeWordWrap),
            kCTLineBreakByWordWrapping);
  EXPECT_EQ(CTLineBreakModeFromUILineBreakMode(UILineBreakModeCharacterWrap),
            kCTLineBreakByCharWrapping);
  EXPECT_EQ(CTLineBreakModeFromUILineBreakMode(UILineBreakModeClip), kCTLineBreakByClipping);
  EXPECT_EQ(CTLineBreakModeFromUILineBreakMode(UILineBreakModeHeadTruncation),
            kCTLineBreakByTruncatingHead);
  EXPECT_EQ(CTLineBreakModeFromUILineBreakMode(UILineBreakModeTailTruncation),
            kCTLineBreakByTruncatingTail);
  EXPECT_EQ(CTLineBreakModeFromUILineBreakMode(UILineBreakModeMiddleTruncation),
            kCTLineBreakByTruncatingMiddle);
  EXPECT_EQ(CTLineBreakModeFromUILineBreakMode(UILineBreakMode(9)), kCTLineBreakByWordWrapping);
  EXPECT_EQ(CTTextAlignmentFromUITextAlignment(UITextAlignmentLeft), kCTLeftTextAlignment);
  EXPECT_EQ(CTTextAlignmentFromUITextAlignment(UITextAlignmentCenter), kCTCenterTextAlignment);
  EXPECT_EQ(CTTextAlignmentFromUITextAlignment(UITextAlignmentRight), kCTRightTextAlignment);
}

}  // namespace

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "CoreText/FixedMetricsTextMeasurer.h"
#include "CoreText/PangoTextMeasurer.h"
#include "TextTestSupport.h"

namespace {

TextFont font(CGFloat size) {
  return TextFont{"Helvetica", size, false, false};
}

std::string joined(const TextLayout& layout) {
  std::string out;
  for (const TextLine& line : layout.lines) out += (out.empty() ? "" : "|") + line.text;
  return out;
}

class FixedMetricsTextMeasurerTest : public ::testing::Test {
 protected:
  std::shared_ptr<FixedMetricsTextMeasurer> measurer = std::make_shared<FixedMetricsTextMeasurer>();
};

TEST_F(FixedMetricsTextMeasurerTest, GivesWholePointSizesThatCanBeComputedByHand) {
  // 15 pt: ideographs 15, Latin 7.5, line 18.  12 pt: 12, 6, 15.  10 pt: 10, 5, 12.
  const auto W = kCTLineBreakByWordWrapping, C = kCTLineBreakByCharWrapping;
  struct Case {
    std::string text;
    CGFloat size;
    CGSize constraint;
    CTLineBreakMode mode;
    CGSize expected;
    std::string lines;
  } cases[] = {
      {"中文", 15, {0, 0}, W, {30, 18}, "中文"},
      {"5分钟前", 12, {0, 0}, W, {42, 15}, "5分钟前"},
      {"abc", 15, {0, 0}, W, {23, 18}, "abc"},  // 22.5 rounds up
      {"中文", 15, {1e7, 1e7}, W, {30, 18}, "中文"},
      {"", 15, {100, 100}, W, {0, 0}, ""},
      // CJK text breaks between any two ideographs.
      {"中文中文中文", 15, {50, 10000}, W, {45, 36}, "中文中|文中文"},
      // ... but never before closing punctuation.
      {"中文中文，中文", 15, {30, 10000}, W, {30, 72}, "中文|中|文，|中文"},
      // Words move whole; the space at the break hangs and is not counted.
      {"hello world", 10, {40, 10000}, W, {25, 24}, "hello |world"},
      {"ab   cd", 10, {20, 10000}, W, {10, 24}, "ab   |cd"},
      // A word wider than the line breaks inside.
      {"abcdefghij", 10, {22, 10000}, W, {20, 36}, "abcd|efgh|ij"},
      {"hello world", 10, {40, 10000}, C, {40, 24}, "hello wo|rld"},
      // A character wider than the line stands alone; the width stays within the limit.
      {"中", 15, {10, 10000}, W, {10, 18}, "中"},
      // Line breaks; one at the very end opens no line.
      {"ab\ncd", 10, {0, 0}, W, {10, 24}, "ab|cd"},
      {"ab\r\ncd", 10, {0, 0}, W, {10, 24}, "ab|cd"},
      {"ab\n\ncd", 10, {0, 0}, W, {10, 36}, "ab||cd"},
      {"ab\n", 10, {0, 0}, W, {10, 12}, "ab"},
      // Height limits keep whole lines, and at least one.
      {"中文中文中文", 15, {30, 40}, W, {30, 36}, "中文|中文"},
      {"中文中文中文", 15, {30, 10}, W, {30, 18}, "中文"},
      {"👍👍👍", 10, {25, 10000}, C, {20, 24}, "👍👍|👍"},
      {"a\xff"
       "b",
       10,
       {0, 0},
       W,
       {15, 12},
       "a\xEF\xBF\xBD"
       "b"},
  };
  for (const auto& c : cases) {
    auto layout = measurer->layout(c.text, font(c.size), c.constraint, c.mode);
    EXPECT_EQ(layout->size, c.expected) << c.text;
    EXPECT_EQ(joined(*layout), c.lines) << c.text;
  }
}

TEST_F(FixedMetricsTextMeasurerTest, CutsLinesThatDoNotFitByTheMode) {
  // "…" is 7.5 wide at 15 pt, so two ideographs stay beside it in 50 points.
  const std::string six = "中文中文中文";
  struct Case {
    std::string text;
    CGSize constraint;
    CTLineBreakMode mode;
    CGSize expected;
    std::string lines;
  } cases[] = {
      {six, {50, 18}, kCTLineBreakByTruncatingTail, {38, 18}, "中文…"},
      {six, {50, 18}, kCTLineBreakByTruncatingHead, {38, 18}, "…中文"},
      {six, {50, 18}, kCTLineBreakByTruncatingMiddle, {38, 18}, "中…文"},
      {"中文中文中文中", {60, 18}, kCTLineBreakByTruncatingMiddle, {53, 18}, "中文…中"},
      // Clip keeps the paragraph on the line, running past the edge.
      {six, {50, 18}, kCTLineBreakByClipping, {50, 18}, six},
      {six, {100, 18}, kCTLineBreakByTruncatingTail, {90, 18}, six},
      // The last line that fits holds the rest of the text.
      {"中文中文中文中文", {50, 36}, kCTLineBreakByTruncatingTail, {45, 36}, "中文中|文中…"},
      {"中文中文中文中文", {50, 36}, kCTLineBreakByTruncatingHead, {45, 36}, "中文中|…中文"},
      // Line breaks in the rest become spaces.
      {"ab\ncd\nef", {100, 18}, kCTLineBreakByTruncatingTail, {60, 18}, "ab cd ef"},
      {"ab\ncd\nef", {100, 18}, kCTLineBreakByClipping, {15, 18}, "ab"},
      // Wrap modes drop the lines that do not fit.
      {"中文中文中文中文", {50, 36}, kCTLineBreakByWordWrapping, {45, 36}, "中文中|文中文"},
  };
  for (const auto& c : cases) {
    auto layout = measurer->layout(c.text, font(15), c.constraint, c.mode);
    EXPECT_EQ(layout->size, c.expected) << c.text << " mode " << int(c.mode);
    EXPECT_EQ(joined(*layout), c.lines) << c.text << " mode " << int(c.mode);
    // A clipped line loses what runs past the edge.
    bool cut = c.lines != c.text || c.expected.width < 90;
    EXPECT_EQ(layout->truncated, cut) << c.text << " mode " << int(c.mode);
  }
}

TEST_F(FixedMetricsTextMeasurerTest, NeverSplitsASurrogatePairAndCountsLinesInUTF16Units) {
  auto layout = measurer->layout("a👍b中", font(10), {10, 10000}, kCTLineBreakByCharWrapping);
  ASSERT_EQ(joined(*layout), "a|👍|b|中");
  std::vector<std::pair<size_t, size_t>> ranges;
  for (const TextLine& l : layout->lines) ranges.emplace_back(l.utf16Start, l.utf16Length);
  EXPECT_EQ(ranges, (std::vector<std::pair<size_t, size_t>>{{0, 1}, {1, 2}, {3, 1}, {4, 1}}));

  // Cutting with "…" keeps an emoji whole too.
  auto cut = measurer->layout("👍👍👍👍", font(10), {25, 12}, kCTLineBreakByTruncatingTail);
  EXPECT_EQ(joined(*cut), "👍👍…");
}

// The measures the feed item view and its labels build on.
TEST_F(FixedMetricsTextMeasurerTest, GivesTheFeedItemMeasuresExactly) {
  const TextFont text = font(15);  // the reading font at the middle setting; line height 18
  // One line of any text is exactly one line height, so a fitting search that accepts a
  // prefix at most one line high finds the longest one: 19 ideographs in 290 points.
  EXPECT_EQ(measurer->measure(repeated("中", 19), text, {290, 10000}, kCTLineBreakByCharWrapping),
            CGSizeMake(285, 18));
  EXPECT_EQ(
      measurer->measure(repeated("中", 20), text, {290, 10000}, kCTLineBreakByCharWrapping).height,
      36);
  // Constrained to 10000 x one line, a text measures its one-line width.
  EXPECT_EQ(measurer->measure("中文abc", text, {10000, 18}, kCTLineBreakByCharWrapping),
            CGSizeMake(53, 18));
  // A text of 61 lines at the item width measures 61 line heights: the item view cuts it
  // to 60.
  EXPECT_EQ(
      measurer->measure(repeated("中", 61 * 19), text, {290, 10000}, kCTLineBreakByWordWrapping),
      CGSizeMake(285, 61 * 18));
  // Beside a 50 x 50 thumbnail the block is (290 - 65) x 57.5: three lines of 15 ideographs
  // fit (54), a fourth does not (72).
  EXPECT_EQ(measurer->measure(repeated("中", 45), text, {225, 10000}, kCTLineBreakByWordWrapping),
            CGSizeMake(225, 54));
  EXPECT_EQ(
      measurer->measure(repeated("中", 46), text, {225, 10000}, kCTLineBreakByWordWrapping).height,
      72);
  // The time label: "5分钟前" in the 12-point time font within (240, 10000).
  EXPECT_EQ(measurer->measure("5分钟前", font(12), {240, 10000}, kCTLineBreakByWordWrapping).width,
            42);
}

// The row examples of the item views, in the reading fonts of the middle font-size setting
// (text and name 15 pt, small 13 pt, captions 14 pt: line heights 18, 16 and 17), each worked
// through the row's own rule.
TEST_F(FixedMetricsTextMeasurerTest, GivesTheSizesTheItemRowExamplesWorkWith) {
  const auto W = kCTLineBreakByWordWrapping, C = kCTLineBreakByCharWrapping;
  auto height = [&](const std::string& text, CGFloat size, CGFloat width, CTLineBreakMode mode) {
    return measurer->measure(text, font(size), {width, 10000}, mode).height;
  };

  // A feedback entry "name: text (time)" in the small font within 285: one line measures 16,
  // so it sits at y (36 - 16) / 2 = 10 of a view 10 + 16 + 10 = 36 high, in a row of 16 + 25.
  CGFloat feedback = height("读者: 很实用 (5分钟前)", 13, 285, C);
  EXPECT_EQ(feedback, 16);
  EXPECT_EQ((36 - feedback) / 2, 10);
  EXPECT_EQ((36 - feedback) / 2 + feedback + 10, 36);
  EXPECT_EQ(feedback + 25, 41);

  // A one-line detail comment with the head shown (text 290 - 55 - 30 wide): h + 10 is not
  // over 50, so the row is 65, and the text is centred in the top 36 points.
  CGFloat comment = height("张三: 说得好 (刚刚)", 13, 205, C);
  EXPECT_EQ(comment, 16);
  EXPECT_LE(comment + 10, 50);
  EXPECT_EQ((36 - comment) / 2, 10);

  // Exhibitor rows: name 15 pt within 240, brand 14 pt within 240, categories 14 pt within 210,
  // by the builder's rule and by the height rule.
  auto builder = [&](const std::string& name, const std::string& brand, const std::string& sort) {
    CGFloat n = height(name, 15, 240, W);
    CGFloat y = n > 30 ? n + 10 : 40;
    y += 25;  // booth number
    CGFloat b = height(brand, 14, 240, W);
    y += b > 20 ? b + 5 : 25;
    CGFloat c = height(sort, 14, 210, W);
    return y + (c > 20 ? c + 10 : 30);
  };
  auto rowHeight = [&](const std::string& name, const std::string& brand, const std::string& sort) {
    CGFloat n = height(name, 15, 240, W);
    CGFloat c = height(sort, 14, 210, W);
    return (n > 20 ? n + 40 : 60) + std::max<CGFloat>(height(brand, 14, 240, W), 20) +
           (c > 20 ? c + 20 : 40);
  };
  const std::string brand = "贝乐 BeLe", sort = "奶瓶、奶嘴、餐具";
  EXPECT_EQ(height(brand, 14, 240, W), 17);
  // Every text on one line: 120 by both rules.
  EXPECT_EQ(builder("孕婴童用品有限公司", brand, sort), 120);
  EXPECT_EQ(rowHeight("孕婴童用品有限公司", brand, sort), 120);
  // A company name of 20 ideographs takes two lines, 36 points: 126 and 136.
  const std::string longName = repeated("企", 20);
  EXPECT_EQ(height(longName, 15, 240, W), 36);
  EXPECT_EQ(builder(longName, brand, sort), 126);
  EXPECT_EQ(rowHeight(longName, brand, sort), 136);
}

TEST_F(FixedMetricsTextMeasurerTest, TakesALineHeightFactorForFontsOfAGivenLeading) {
  // A 14-point font whose line height is 18: two lines of a long text measure 36.
  FixedMetricsTextMeasurer tall(1.25);
  EXPECT_EQ(tall.metrics(font(14)).lineHeight, 18);
  EXPECT_EQ(tall.measure(repeated("中", 40), font(14), {100, 36}, kCTLineBreakByTruncatingTail),
            CGSizeMake(98, 36));
}

TEST_F(FixedMetricsTextMeasurerTest, DrawsOneBoxPerCharacterInsideTheMeasuredSize) {
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 100, 40);
  cairo_t* cr = cairo_create(s);
  TextColor black;
  // 20 pt: line 24, baseline 16 below the top; "中" 20 wide, "a" 10.
  CGSize size = measurer->drawInRect(cr, "中a", font(20), CGRectMake(10, 5, 80, 30),
                                     kCTLineBreakByWordWrapping, kCTLeftTextAlignment, &black);
  EXPECT_EQ(size, CGSizeMake(30, 24));
  auto ink = inkBounds(s);
  ASSERT_TRUE(ink);
  EXPECT_EQ((std::vector<int>{ink->left, ink->top, ink->right, ink->bottom}),
            (std::vector<int>{12, 5, 39, 21}));
  EXPECT_EQ(alphaAt(s, 29, 12), 0u);  // between the two boxes
  cairo_destroy(cr);
  cairo_surface_destroy(s);
}

TEST_F(FixedMetricsTextMeasurerTest, AlignsAndClipsLinesWithinTheRectangle) {
  struct Case {
    CTTextAlignment alignment;
    CTLineBreakMode mode;
    std::string text;
    int left, right;
  } cases[] = {
      {kCTCenterTextAlignment, kCTLineBreakByWordWrapping, "中", 42, 58},
      {kCTRightTextAlignment, kCTLineBreakByWordWrapping, "中", 82, 98},
      {kCTLeftTextAlignment, kCTLineBreakByClipping, "中文中文中文", 2, 50},
  };
  for (const auto& c : cases) {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 200, 30);
    cairo_t* cr = cairo_create(s);
    cairo_set_source_rgb(cr, 0, 0, 0);
    CGFloat width = c.mode == kCTLineBreakByClipping ? 50 : 100;
    measurer->drawInRect(cr, c.text, font(20), CGRectMake(0, 0, width, 24), c.mode, c.alignment);
    auto ink = inkBounds(s);
    ASSERT_TRUE(ink);
    EXPECT_EQ(ink->left, c.left) << int(c.alignment);
    EXPECT_EQ(ink->right, c.right) << int(c.alignment);
    cairo_destroy(cr);
    cairo_surface_destroy(s);
  }
}

TEST_F(FixedMetricsTextMeasurerTest, KeepsTheCallersPathAndState) {
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 60, 30);
  cairo_t* cr = cairo_create(s);
  cairo_set_source_rgb(cr, 1, 0, 0);
  cairo_rectangle(cr, 0, 0, 5, 5);
  TextColor blue{0, 0, 1, 1};
  measurer->drawAtPoint(cr, "中", font(20), CGPointMake(20, 0), 0, kCTLineBreakByWordWrapping,
                        &blue);
  double x1, y1, x2, y2;
  cairo_path_extents(cr, &x1, &y1, &x2, &y2);
  EXPECT_EQ((std::vector<double>{x1, y1, x2, y2}), (std::vector<double>{0, 0, 5, 5}));
  double r, g, b, a;
  EXPECT_EQ(cairo_pattern_get_rgba(cairo_get_source(cr), &r, &g, &b, &a), CAIRO_STATUS_SUCCESS);
  EXPECT_EQ(r, 1);
  cairo_destroy(cr);
  cairo_surface_destroy(s);
}

TEST_F(FixedMetricsTextMeasurerTest, FindsTheLargestFontSizeThatFitsOneLine) {
  const std::string six = "中文中文中文";  // 6 x size wide
  EXPECT_EQ(measurer->fittingFontSize(six, font(15), 10, 70), 11);
  EXPECT_EQ(measurer->fittingFontSize(six, font(15), 12, 70), 12);  // none fits: the minimum
  EXPECT_EQ(measurer->fittingFontSize(six, font(15), 10.5, 64), 10.5);
  EXPECT_EQ(measurer->fittingFontSize(six, font(15), 0, 10), 15);  // no minimum
  EXPECT_EQ(measurer->fittingFontSize(six, font(15), 10, 100), 15);
}

TEST_F(FixedMetricsTextMeasurerTest, ServesARepeatedLayoutFromTheCache) {
  auto first = measurer->layout("中文", font(15), {100, 0}, kCTLineBreakByWordWrapping);
  EXPECT_EQ(measurer->layout("中文", font(15), {100, 0}, kCTLineBreakByWordWrapping), first);
  // Every way of saying "no limit" is the same layout.
  EXPECT_EQ(measurer->layout("中文", font(15), {100, 1e9}, kCTLineBreakByWordWrapping), first);
  EXPECT_NE(measurer->layout("中文", font(15), {100, 0}, kCTLineBreakByCharWrapping), first);
  EXPECT_NE(measurer->layout("中文", TextFont{"Helvetica", 15, true, false}, {100, 0},
                             kCTLineBreakByWordWrapping),
            first);
  measurer->clearCache();
  auto again = measurer->layout("中文", font(15), {100, 0}, kCTLineBreakByWordWrapping);
  EXPECT_NE(again, first);
  EXPECT_EQ(again->size, first->size);
}

TEST(TextMeasurer, IsPangoUntilATestSetsAnother) {
  EXPECT_TRUE(std::dynamic_pointer_cast<PangoTextMeasurer>(TextMeasurer::current()));
  auto fixed = std::make_shared<FixedMetricsTextMeasurer>();
  TextMeasurer::setCurrent(fixed);
  EXPECT_EQ(TextMeasurer::current(), fixed);
  TextMeasurer::setCurrent(nullptr);
  EXPECT_TRUE(std::dynamic_pointer_cast<PangoTextMeasurer>(TextMeasurer::current()));
}

}  // namespace

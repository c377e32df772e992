#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "CoreText/PangoTextMeasurer.h"
#include "Foundation/NSString.h"
#include "TextTestSupport.h"

namespace {

TextFont font(CGFloat size, bool bold = false, bool italic = false) {
  return TextFont{"Helvetica", size, bold, italic};
}

std::shared_ptr<TextMeasurer> pango() {
  return TextMeasurer::current();
}

TEST(PangoTextMeasurer, MeasuresWithTheBundledFaceInWholeLines) {
  auto m = pango();
  for (CGFloat size : {10, 12, 13, 14, 15, 16, 17, 18, 20}) {
    TextFontMetrics metrics = m->metrics(font(size));
    EXPECT_EQ(metrics.familyName, "WenQuanYi Micro Hei");
    EXPECT_EQ(metrics.lineHeight, std::ceil(metrics.ascender - metrics.descender)) << size;
    EXPECT_GT(metrics.capHeight, metrics.xHeight);
    EXPECT_GT(metrics.ascender, metrics.capHeight);
    // Ideographs advance one em: the sizes come out exact.
    EXPECT_EQ(m->measure("中文中文", font(size), {0, 0}, kCTLineBreakByWordWrapping),
              CGSizeMake(4 * size, metrics.lineHeight));
  }
  EXPECT_EQ(m->metrics(font(14)).lineHeight, 17);
  EXPECT_EQ(m->metrics(font(15)).lineHeight, 18);
  EXPECT_EQ(m->metrics(font(15, true)).familyName, "WenQuanYi Micro Hei");
  EXPECT_EQ(m->measure("", font(15), {100, 100}, kCTLineBreakByWordWrapping), CGSizeZero);
}

TEST(PangoTextMeasurer, BreaksAndCutsLinesByTheMode) {
  auto m = pango();
  const TextFont f = font(15);
  auto lines = [&](const std::string& text, CGSize constraint, CTLineBreakMode mode) {
    std::string out;
    for (const TextLine& l : m->layout(text, f, constraint, mode)->lines)
      out += (out.empty() ? "" : "|") + l.text;
    return out;
  };
  EXPECT_EQ(lines("中文中文中文", {50, 10000}, kCTLineBreakByWordWrapping), "中文中|文中文");
  EXPECT_EQ(lines("hello world", {60, 10000}, kCTLineBreakByWordWrapping), "hello |world");
  EXPECT_EQ(lines("中文中文中文", {50, 18}, kCTLineBreakByTruncatingTail), "中文…");
  EXPECT_EQ(lines("中文中文中文", {50, 18}, kCTLineBreakByTruncatingHead), "…中文");
  EXPECT_EQ(lines("中文中文中文", {50, 18}, kCTLineBreakByTruncatingMiddle), "中…文");
  EXPECT_EQ(lines("中文中文中文", {50, 18}, kCTLineBreakByClipping), "中文中文中文");
  EXPECT_EQ(m->measure("中文中文中文", f, {50, 18}, kCTLineBreakByClipping), CGSizeMake(50, 18));

  // The space at a soft break does not widen the line.
  auto hello = m->layout("hello world", f, {60, 10000}, kCTLineBreakByWordWrapping);
  EXPECT_EQ(hello->lines[0].width,
            m->layout("hello", f, {0, 0}, kCTLineBreakByWordWrapping)->lines[0].width);
}

TEST(PangoTextMeasurer, NeverSplitsASurrogatePair) {
  auto m = pango();
  for (auto mode : {kCTLineBreakByCharWrapping, kCTLineBreakByWordWrapping}) {
    auto layout = m->layout("👍👍👍👍👍", font(15), {20, 10000}, mode);
    ASSERT_GT(layout->lines.size(), 1u);
    for (const TextLine& l : layout->lines) {
      EXPECT_EQ(l.utf16Length % 2, 0u);
      EXPECT_TRUE(isValidUTF8(l.text));
    }
  }
  auto cut = m->layout("👍👍👍👍👍", font(15), {40, 18}, kCTLineBreakByTruncatingTail);
  EXPECT_TRUE(isValidUTF8(cut->lines[0].text));
  EXPECT_EQ(cut->lines[0].text.substr(cut->lines[0].text.size() - 3), "…");
}

// The drawn ink stays inside the measured size, at the scales the screens draw at.
TEST(PangoTextMeasurer, DrawsWithinTheSizeItMeasures) {
  auto m = pango();
  const std::string status =
      "【行业信用评价结果公布】孕婴童行业首批企业信用评价结果公布，86家企业获评AAA级，"
      "评价结果将向社会公开并动态更新。http://zept.example/a";
  struct Case {
    std::string text;
    TextFont font;
    CGSize constraint;
    CTLineBreakMode mode;
    CTTextAlignment alignment;
  } cases[] = {
      {status, font(15), {290, 10000}, kCTLineBreakByWordWrapping, kCTLeftTextAlignment},
      {status, font(14), {225, 57.5}, kCTLineBreakByCharWrapping, kCTLeftTextAlignment},
      {status, font(17, true), {200, 40}, kCTLineBreakByTruncatingTail, kCTCenterTextAlignment},
      {status, font(13), {150, 16}, kCTLineBreakByTruncatingMiddle, kCTRightTextAlignment},
      {"Zept 阅读 0123456789",
       font(18, false, true),
       {0, 0},
       kCTLineBreakByWordWrapping,
       kCTLeftTextAlignment},
      {"返回", font(12, true), {0, 0}, kCTLineBreakByWordWrapping, kCTLeftTextAlignment},
  };
  for (double scale : {1.0, 2.0}) {
    for (const auto& c : cases) {
      CGSize size = m->measure(c.text, c.font, c.constraint, c.mode);
      const CGFloat x = 7, y = 9;
      cairo_surface_t* s =
          cairo_image_surface_create(CAIRO_FORMAT_ARGB32, int((x + size.width + 60) * scale),
                                     int((y + size.height + 60) * scale));
      cairo_t* cr = cairo_create(s);
      cairo_scale(cr, scale, scale);
      cairo_set_source_rgb(cr, 0, 0, 0);
      CGRect rect{{x, y}, c.constraint};
      if (rect.size.width <= 0) rect.size.width = size.width;
      CGSize drawn = m->drawInRect(cr, c.text, c.font, rect, c.mode, c.alignment);
      EXPECT_EQ(drawn, size);
      auto ink = inkBounds(s);
      ASSERT_TRUE(ink) << c.text;
      // The measured box, right-aligned or centred lines included, within the rectangle's width.
      CGFloat boxLeft = x, boxRight = x + std::max(size.width, rect.size.width);
      EXPECT_GE(ink->left, std::floor(boxLeft * scale)) << c.text << " at " << scale;
      EXPECT_LE(ink->right, std::ceil(boxRight * scale)) << c.text << " at " << scale;
      EXPECT_GE(ink->top, std::floor(y * scale)) << c.text << " at " << scale;
      EXPECT_LE(ink->bottom, std::ceil((y + size.height) * scale)) << c.text << " at " << scale;
      // Every measured line has ink: the last one reaches into the last line height.
      CGFloat lineHeight = m->metrics(c.font).lineHeight;
      EXPECT_GT(ink->bottom, (y + size.height - lineHeight) * scale) << c.text;
      // Left-aligned text is as wide as measured, to the point.
      if (c.alignment == kCTLeftTextAlignment) {
        EXPECT_GE(ink->right, std::floor((x + size.width - 2) * scale)) << c.text;
      }
      cairo_destroy(cr);
      cairo_surface_destroy(s);
    }
  }
}

}  // namespace

#include <gtest/gtest.h>

#include "CoreText/FixedMetricsTextMeasurer.h"
#include "UIKit/UIFont.h"

namespace {

TEST(UIFont, TakesItsMetricsFromTheCurrentMeasurer) {
  auto font = UIFont::systemFontOfSize(14);
  EXPECT_EQ(font->familyName(), "WenQuanYi Micro Hei");
  EXPECT_EQ(font->lineHeight(), 17);

  // A font made before the switch follows it.
  TextMeasurer::setCurrent(std::make_shared<FixedMetricsTextMeasurer>());
  EXPECT_EQ(font->familyName(), "Fixed Metrics");
  EXPECT_EQ(font->lineHeight(), 17);
  EXPECT_EQ(font->leading(), 17);
  EXPECT_DOUBLE_EQ(font->ascender(), 11.2);
  EXPECT_DOUBLE_EQ(font->descender(), -2.8);
  EXPECT_DOUBLE_EQ(font->capHeight(), 9.8);
  EXPECT_DOUBLE_EQ(font->xHeight(), 7);
  EXPECT_EQ(UIFont::boldSystemFontOfSize(15)->lineHeight(), 18);
  TextMeasurer::setCurrent(nullptr);
  EXPECT_EQ(font->familyName(), "WenQuanYi Micro Hei");
}

TEST(UIFont, ReadsBoldAndItalicFromTheName) {
  struct Case {
    std::shared_ptr<UIFont> font;
    std::string name;
    bool bold, italic;
  } cases[] = {
      {UIFont::systemFontOfSize(13), "Helvetica", false, false},
      {UIFont::boldSystemFontOfSize(13), "Helvetica-Bold", true, false},
      {UIFont::italicSystemFontOfSize(13), "Helvetica-Oblique", false, true},
      {UIFont::fontWithName("Helvetica", 13), "Helvetica", false, false},
      {UIFont::fontWithName("Helvetica-BoldOblique", 13), "Helvetica-BoldOblique", true, true},
      {UIFont::fontWithName("Georgia-Italic", 13), "Georgia-Italic", false, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.font->fontName(), c.name);
    EXPECT_EQ(c.font->isBold(), c.bold) << c.name;
    EXPECT_EQ(c.font->isItalic(), c.italic) << c.name;
    EXPECT_EQ(c.font->pointSize(), 13);
    auto resized = c.font->fontWithSize(20);
    EXPECT_EQ(resized->fontName(), c.name);
    EXPECT_EQ(resized->isBold(), c.bold);
    EXPECT_EQ(resized->isItalic(), c.italic);
    EXPECT_EQ(resized->pointSize(), 20);
  }
  EXPECT_EQ(UIFont::systemFontSize(), 14);
  EXPECT_EQ(UIFont::smallSystemFontSize(), 12);
  EXPECT_EQ(UIFont::labelFontSize(), 17);
  EXPECT_EQ(UIFont::buttonFontSize(), 18);
}

}  // namespace

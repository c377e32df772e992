// A measurer with metrics simple enough to compute expected frames by hand, for tests.
//
// For a font of point size s (any name; bold and italic change nothing):
// - advance: s for a wide character (East Asian width Wide or Fullwidth: ideographs, kana,
//   hangul, fullwidth forms and punctuation, most emoji); 0 for marks, format and control
//   characters; s / 2 for every other character (Latin, digits, spaces, "…");
// - line height: s × lineHeightFactor (1.2 unless given) rounded up to a whole point, so 12 →
//   15, 13 → 16, 14 → 17, 15 → 18, 17 → 21, 18 → 22;
// - ascender 0.8 s, descender −0.2 s, cap height 0.7 s, x height 0.5 s.
// Line breaking follows the rules of TextMeasurer.h with these advances: word wrap breaks where
// Unicode line breaking (ICU) allows, so "中文" breaks between the two ideographs and
// "a b" after the space; a cut with "…" keeps whole characters, alternately from both ends for
// the middle.  Drawing fills one box per visible character: the middle 80 % of its advance,
// from the baseline up to the ascender.
#pragma once

#include "CoreText/TextMeasurer.h"

class FixedMetricsTextMeasurer : public TextMeasurer {
 public:
  explicit FixedMetricsTextMeasurer(CGFloat lineHeightFactor = 1.2)
      : lineHeightFactor_(lineHeightFactor) {}

  TextFontMetrics metrics(const TextFont& font) override;

  // The advance of one character at a point size.
  static CGFloat advance(char32_t cp, CGFloat pointSize);

 protected:
  std::vector<TextLine> wrapLines(std::string_view text, const TextFont& font, CGFloat maxWidth,
                                  bool byCharacter) override;
  std::vector<Caret> carets(std::string_view line, const TextFont& font) override;
  CGFloat lineWidth(std::string_view line, const TextFont& font) override;
  void drawLine(cairo_t* cr, std::string_view line, const TextFont& font, CGFloat x,
                CGFloat baseline) override;

 private:
  CGFloat lineHeightFactor_;
};

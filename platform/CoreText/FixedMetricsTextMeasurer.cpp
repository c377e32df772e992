#include "CoreText/FixedMetricsTextMeasurer.h"

#include <unicode/brkiter.h>
#include <unicode/uchar.h>
#include <unicode/utext.h>

#include <cmath>
#include <memory>

#include "CoreText/TextScan.h"

namespace {

struct Char {
  size_t byte;
  char32_t cp;
  CGFloat advance;
};

std::vector<Char> chars(std::string_view text, CGFloat size) {
  std::vector<Char> out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    auto d = textscan::decode(text, i);
    out.push_back({i, d.cp, FixedMetricsTextMeasurer::advance(d.cp, size)});
    i += d.length;
  }
  return out;
}

// Where Unicode line breaking allows a line to start inside a paragraph, as byte offsets.
std::vector<size_t> breakOpportunities(std::string_view paragraph) {
  thread_local std::unique_ptr<icu::BreakIterator> iterator;
  UErrorCode status = U_ZERO_ERROR;
  if (!iterator) {
    iterator.reset(icu::BreakIterator::createLineInstance(icu::Locale::getRoot(), status));
    if (U_FAILURE(status)) iterator.reset();
  }
  std::vector<size_t> out;
  if (!iterator) return out;
  status = U_ZERO_ERROR;
  UText* text = utext_openUTF8(nullptr, paragraph.data(), int64_t(paragraph.size()), &status);
  if (U_FAILURE(status)) return out;
  iterator->setText(text, status);
  if (U_SUCCESS(status)) {
    for (int32_t b = iterator->next(); b != icu::BreakIterator::DONE; b = iterator->next())
      if (size_t(b) < paragraph.size()) out.push_back(size_t(b));
  }
  // The iterator works on a shallow clone of the UText: the text must outlive the loop only.
  utext_close(text);
  return out;
}

}  // namespace

CGFloat FixedMetricsTextMeasurer::advance(char32_t cp, CGFloat pointSize) {
  switch (u_charType(UChar32(cp))) {
    case U_NON_SPACING_MARK:
    case U_ENCLOSING_MARK:
    case U_FORMAT_CHAR:
    case U_CONTROL_CHAR:
      return cp == '\t' ? pointSize / 2 : 0;
    default:
      break;
  }
  int width = u_getIntPropertyValue(UChar32(cp), UCHAR_EAST_ASIAN_WIDTH);
  return width == U_EA_WIDE || width == U_EA_FULLWIDTH ? pointSize : pointSize / 2;
}

TextFontMetrics FixedMetricsTextMeasurer::metrics(const TextFont& font) {
  CGFloat s = font.pointSize;
  TextFontMetrics m;
  m.lineHeight = std::max<CGFloat>(1, std::ceil(s * lineHeightFactor_ - 1e-9));
  m.ascender = 0.8 * s;
  m.descender = -0.2 * s;
  m.capHeight = 0.7 * s;
  m.xHeight = 0.5 * s;
  m.familyName = "Fixed Metrics";
  return m;
}

std::vector<TextLine> FixedMetricsTextMeasurer::wrapLines(std::string_view text,
                                                          const TextFont& font, CGFloat maxWidth,
                                                          bool byCharacter) {
  std::vector<TextLine> lines;
  if (text.empty()) return lines;
  for (size_t start = 0;;) {
    size_t end = start, breakLength = 0;
    while (end < text.size() && !(breakLength = textscan::lineBreakLength(text, end))) ++end;
    std::string_view paragraph = text.substr(start, end - start);
    std::vector<Char> cs = chars(paragraph, font.pointSize);
    const size_t n = cs.size();
    std::vector<CGFloat> x(n + 1, 0);
    for (size_t k = 0; k < n; ++k) x[k + 1] = x[k] + cs[k].advance;
    auto byteAt = [&](size_t k) { return k < n ? cs[k].byte : paragraph.size(); };
    auto emit = [&](size_t from, size_t to, bool soft) {
      size_t visible = to;
      if (soft)
        while (visible > from && textscan::isHangingSpace(cs[visible - 1].cp)) --visible;
      lines.push_back(
          {start + byteAt(from), byteAt(to) - byteAt(from), 0, 0, {}, x[visible] - x[from]});
    };

    std::vector<bool> mayStart(n + 1, byCharacter);
    if (!byCharacter && maxWidth > 0) {
      std::vector<size_t> opportunities = breakOpportunities(paragraph);
      for (size_t k = 0, o = 0; k < n && o < opportunities.size(); ++k) {
        while (o < opportunities.size() && opportunities[o] < cs[k].byte) ++o;
        if (o < opportunities.size() && opportunities[o] == cs[k].byte) mayStart[k] = true;
      }
    }

    size_t from = 0;
    if (maxWidth > 0) {
      size_t lastBreak = 0;
      for (size_t k = 0; k < n; ++k) {
        if (k > from && mayStart[k]) lastBreak = k;
        if (textscan::isHangingSpace(cs[k].cp) || k == from) continue;
        if (x[k + 1] - x[from] <= maxWidth + 1e-9) continue;
        // Character k runs past the edge: break at the last opportunity, or before it.
        size_t to = lastBreak > from ? lastBreak : k;
        emit(from, to, true);
        from = to;
        lastBreak = from;
        k = from;  // the loop's ++k skips the new line's first character, which always fits
      }
    }
    emit(from, n, false);

    if (end >= text.size()) break;
    start = end + breakLength;
    if (start == text.size()) {
      lines.push_back({start, 0, 0, 0, {}, 0});
      break;
    }
  }
  return lines;
}

std::vector<TextMeasurer::Caret> FixedMetricsTextMeasurer::carets(std::string_view line,
                                                                  const TextFont& font) {
  std::vector<Caret> out;
  CGFloat x = 0;
  for (const Char& c : chars(line, font.pointSize)) {
    // Marks and joiners (no advance) stay with the character before them.
    out.push_back({c.byte, x, c.advance > 0 || out.empty()});
    x += c.advance;
  }
  out.push_back({line.size(), x, true});
  return out;
}

CGFloat FixedMetricsTextMeasurer::lineWidth(std::string_view line, const TextFont& font) {
  CGFloat x = 0;
  for (const Char& c : chars(line, font.pointSize)) x += c.advance;
  return x;
}

void FixedMetricsTextMeasurer::drawLine(cairo_t* cr, std::string_view line, const TextFont& font,
                                        CGFloat x, CGFloat baseline) {
  const CGFloat s = font.pointSize;
  for (const Char& c : chars(line, s)) {
    if (c.advance > 0 && !textscan::isHangingSpace(c.cp))
      cairo_rectangle(cr, x + 0.1 * c.advance, baseline - 0.8 * s, 0.8 * c.advance, 0.8 * s);
    x += c.advance;
  }
  cairo_fill(cr);
}

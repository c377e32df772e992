#include "CoreText/TextMeasurer.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "CoreText/PangoTextMeasurer.h"
#include "CoreText/TextScan.h"
#include "Foundation/NSString.h"

namespace {

// Floating sums of advances land a hair above whole values; rounding up must not turn 42 into
// 43 for that.
constexpr CGFloat kEpsilon = 1e-6;
constexpr CGFloat kNoLimit = 1e7;
constexpr std::string_view kEllipsis = "\xE2\x80\xA6";  // …

bool isLimit(CGFloat v) {
  return v > 0 && v < kNoLimit;
}

std::mutex& currentMutex() {
  static std::mutex m;
  return m;
}

std::shared_ptr<TextMeasurer>& defaultMeasurer() {
  static std::shared_ptr<TextMeasurer> m;
  return m;
}

std::shared_ptr<TextMeasurer>& currentMeasurer() {
  static std::shared_ptr<TextMeasurer> m;
  return m;
}

// The rest of a paragraph from `start`, up to its line break.
std::string_view paragraphFrom(std::string_view text, size_t start) {
  for (size_t i = start; i < text.size(); ++i)
    if (textscan::lineBreakLength(text, i)) return text.substr(start, i - start);
  return text.substr(start);
}

// The rest of the text with every line break turned into one space.
std::string joinedFrom(std::string_view text, size_t start) {
  std::string out;
  out.reserve(text.size() - start);
  for (size_t i = start; i < text.size();) {
    if (size_t n = textscan::lineBreakLength(text, i)) {
      out += ' ';
      i += n;
    } else {
      out += text[i++];
    }
  }
  return out;
}

}  // namespace

std::shared_ptr<TextMeasurer> TextMeasurer::current() {
  std::lock_guard lock(currentMutex());
  auto& current = currentMeasurer();
  if (!current) {
    auto& fallback = defaultMeasurer();
    if (!fallback) fallback = std::make_shared<PangoTextMeasurer>();
    current = fallback;
  }
  return current;
}

void TextMeasurer::setCurrent(std::shared_ptr<TextMeasurer> measurer) {
  std::lock_guard lock(currentMutex());
  currentMeasurer() = std::move(measurer);
}

size_t TextMeasurer::KeyHash::operator()(const KeyView& k) const {
  size_t h = std::hash<std::string_view>()(k.text);
  auto mix = [&h](size_t v) { h ^= v + 0x9e3779b97f4a7c15ull + (h << 6) + (h >> 2); };
  mix(std::hash<std::string_view>()(k.font->name));
  mix(std::hash<CGFloat>()(k.font->pointSize));
  mix(std::hash<CGFloat>()(k.constraint.width));
  mix(std::hash<CGFloat>()(k.constraint.height));
  mix(size_t(k.mode) | size_t(k.font->bold) << 8 | size_t(k.font->italic) << 9);
  return h;
}

std::shared_ptr<const TextLayout> TextMeasurer::layout(std::string_view text, const TextFont& font,
                                                       CGSize constraint, CTLineBreakMode mode) {
  // Every way of saying "no limit" shares one cache entry.
  if (!isLimit(constraint.width)) constraint.width = 0;
  if (!isLimit(constraint.height)) constraint.height = 0;
  // A NaN size equals nothing, not even itself: such a key could never be found or evicted.
  if (std::isnan(font.pointSize))
    return std::make_shared<const TextLayout>(makeLayout(text, font, constraint, mode));
  KeyView key{text, &font, constraint, mode};
  {
    std::lock_guard lock(cacheMutex_);
    if (auto it = index_.find(key); it != index_.end()) {
      recent_.splice(recent_.begin(), recent_, it->second);
      return it->second->layout;
    }
  }
  auto built = std::make_shared<const TextLayout>(makeLayout(text, font, constraint, mode));
  std::lock_guard lock(cacheMutex_);
  if (auto it = index_.find(key); it != index_.end()) return it->second->layout;
  recent_.push_front(Entry{std::string(text), font, constraint, mode, built});
  const Entry& e = recent_.front();
  index_.emplace(KeyView{e.text, &e.font, e.constraint, e.mode}, recent_.begin());
  if (recent_.size() > kCacheCapacity) {
    const Entry& old = recent_.back();
    index_.erase(KeyView{old.text, &old.font, old.constraint, old.mode});
    recent_.pop_back();
  }
  return built;
}

void TextMeasurer::clearCache() {
  std::lock_guard lock(cacheMutex_);
  index_.clear();
  recent_.clear();
}

TextLayout TextMeasurer::makeLayout(std::string_view given, const TextFont& font, CGSize constraint,
                                    CTLineBreakMode mode) {
  TextFontMetrics m = metrics(font);
  TextLayout result;
  result.lineHeight = m.lineHeight;
  result.ascender = m.ascender;
  if (given.empty()) return result;

  std::string repairedText = textscan::repaired(given);
  std::string_view text = repairedText;
  CGFloat maxWidth = constraint.width;
  size_t maxLines = std::numeric_limits<size_t>::max();
  if (constraint.height > 0)
    maxLines = std::max<size_t>(1, size_t(std::floor(constraint.height / m.lineHeight + 1e-9)));

  std::vector<TextLine> lines = wrapLines(text, font, maxWidth, mode == kCTLineBreakByCharWrapping);
  // A line break that ends the text opens no line of its own.
  if (lines.size() > 1 && lines.back().length == 0 && lines.back().start == text.size())
    lines.pop_back();
  for (TextLine& line : lines) line.text = std::string(text.substr(line.start, line.length));

  if (lines.size() > maxLines) {
    result.truncated = true;
    if (mode == kCTLineBreakByWordWrapping || mode == kCTLineBreakByCharWrapping) {
      lines.resize(maxLines);
    } else {
      size_t start = lines[maxLines - 1].start;
      lines.resize(maxLines - 1);
      TextLine last;
      if (mode == kCTLineBreakByClipping) {
        std::string_view rest = paragraphFrom(text, start);
        last = fitLine(rest, font, maxWidth, mode);
        last.length = rest.size();
      } else {
        last = fitLine(joinedFrom(text, start), font, maxWidth, mode);
        last.length = text.size() - start;
      }
      last.start = start;
      lines.push_back(std::move(last));
    }
  }

  // UTF-16 ranges, counted along the text once.
  size_t byte = 0, unit = 0;
  for (TextLine& line : lines) {
    unit += utf16Length(text.substr(byte, line.start - byte));
    line.utf16Start = unit;
    line.utf16Length = utf16Length(text.substr(line.start, line.length));
    unit += line.utf16Length;
    byte = line.start + line.length;
  }

  CGFloat widest = 0;
  for (const TextLine& line : lines) widest = std::max(widest, line.width);
  CGFloat width = std::ceil(widest - kEpsilon);
  if (width < 0) width = 0;
  if (maxWidth > 0) width = std::min(width, maxWidth);
  result.size = {width, CGFloat(lines.size()) * m.lineHeight};
  result.lines = std::move(lines);
  return result;
}

TextLine TextMeasurer::fitLine(std::string_view rest, const TextFont& font, CGFloat maxWidth,
                               CTLineBreakMode mode) {
  TextLine line;
  if (mode == kCTLineBreakByClipping || maxWidth <= 0) {
    line.text = std::string(rest);
    line.width = lineWidth(rest, font);
    return line;
  }
  std::vector<Caret> c = carets(rest, font);
  const size_t n = c.size() - 1;
  const CGFloat total = c[n].x;
  if (total <= maxWidth + kEpsilon) {
    line.text = std::string(rest);
    line.width = total;
    return line;
  }
  const CGFloat room = maxWidth - lineWidth(kEllipsis, font) + kEpsilon;
  // Kept characters: [0, head) and [tail, n).
  size_t head = 0, tail = n;
  auto used = [&](size_t h, size_t t) { return c[h].x + (total - c[t].x); };
  auto nextHead = [&](size_t h) {
    do ++h;
    while (h < tail && !c[h].cuttable);
    return h;
  };
  auto nextTail = [&](size_t t) {
    do --t;
    while (t > head && !c[t].cuttable);
    return t;
  };
  if (mode == kCTLineBreakByTruncatingTail) {
    tail = n;
    while (head < n) {
      size_t h = nextHead(head);
      if (used(h, tail) > room) break;
      head = h;
    }
  } else if (mode == kCTLineBreakByTruncatingHead) {
    while (tail > 0) {
      size_t t = nextTail(tail);
      if (used(head, t) > room) break;
      tail = t;
    }
  } else {
    // Middle: characters are kept alternately from the start and from the end while they fit.
    bool fromStart = true;
    for (;;) {
      size_t h = nextHead(head), t = nextTail(tail);
      bool startFits = head < tail && h <= tail && used(h, tail) <= room;
      bool endFits = head < tail && t >= head && used(head, t) <= room;
      if (fromStart ? startFits : endFits) {
        (fromStart ? head : tail) = fromStart ? h : t;
      } else if (fromStart ? endFits : startFits) {
        (fromStart ? tail : head) = fromStart ? t : h;
      } else {
        break;
      }
      fromStart = !fromStart;
    }
  }
  line.text = std::string(rest.substr(0, c[head].byte));
  line.text += kEllipsis;
  line.text += rest.substr(c[tail].byte);
  line.width = lineWidth(line.text, font);
  return line;
}

void TextMeasurer::drawLayout(cairo_t* cr, const TextLayout& layout, const TextFont& font,
                              CGPoint origin, CGFloat width, CTTextAlignment alignment,
                              const TextColor* color) {
  if (!cr || layout.lines.empty()) return;
  // The caller's path survives: showing glyphs moves the current point and the fixed metrics
  // fill rectangles.
  cairo_path_t* path = cairo_copy_path(cr);
  cairo_new_path(cr);
  cairo_save(cr);
  if (color) cairo_set_source_rgba(cr, color->red, color->green, color->blue, color->alpha);
  for (size_t i = 0; i < layout.lines.size(); ++i) {
    const TextLine& line = layout.lines[i];
    CGFloat x = origin.x;
    if (width > 0 && line.width < width) {
      if (alignment == kCTCenterTextAlignment)
        x += (width - line.width) / 2;
      else if (alignment == kCTRightTextAlignment)
        x += width - line.width;
    }
    drawLine(cr, line.text, font, x, origin.y + CGFloat(i) * layout.lineHeight + layout.ascender);
  }
  cairo_restore(cr);
  cairo_new_path(cr);
  cairo_append_path(cr, path);
  cairo_path_destroy(path);
}

CGSize TextMeasurer::drawInRect(cairo_t* cr, std::string_view text, const TextFont& font,
                                CGRect rect, CTLineBreakMode mode, CTTextAlignment alignment,
                                const TextColor* color) {
  auto laidOut = layout(text, font, rect.size, mode);
  if (!cr) return laidOut->size;
  bool clip = mode == kCTLineBreakByClipping && isLimit(rect.size.width);
  if (clip) {
    cairo_save(cr);
    cairo_rectangle(cr, rect.origin.x, rect.origin.y, rect.size.width,
                    std::max(rect.size.height, laidOut->size.height));
    cairo_clip(cr);
  }
  drawLayout(cr, *laidOut, font, rect.origin, isLimit(rect.size.width) ? rect.size.width : 0,
             alignment, color);
  if (clip) cairo_restore(cr);
  return laidOut->size;
}

CGSize TextMeasurer::drawAtPoint(cairo_t* cr, std::string_view text, const TextFont& font,
                                 CGPoint point, CGFloat width, CTLineBreakMode mode,
                                 const TextColor* color) {
  CGFloat lineHeight = metrics(font).lineHeight;
  return drawInRect(cr, text, font, {point, {width, lineHeight}}, mode, kCTLeftTextAlignment,
                    color);
}

CGFloat TextMeasurer::fittingFontSize(std::string_view text, const TextFont& font,
                                      CGFloat minimumSize, CGFloat width) {
  if (minimumSize <= 0 || minimumSize >= font.pointSize || !isLimit(width)) return font.pointSize;
  TextFont sized = font;
  for (CGFloat size = font.pointSize;; size -= 1) {
    sized.pointSize = std::max(size, minimumSize);
    // A height of one point keeps one line: the text's first line at its natural width.
    if (measure(text, sized, {0, 1}, kCTLineBreakByWordWrapping).width <= width ||
        sized.pointSize == minimumSize)
      return sized.pointSize;
  }
}

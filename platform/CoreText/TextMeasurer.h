// Text measuring and drawing for the whole app: one interface, two backends (Pango with the
// bundled font for the app and screenshots, fixed metrics for tests that compute frames by
// hand), one process-wide current backend.
//
// What callers rely on:
// - Whole points, as the platform rounds them: a laid-out text is as wide as its widest line
//   rounded up (never wider than the width it was given) and as high as its number of lines
//   times the font's line height (`lineHeight`, a whole number of points).  One line of any text
//   measures exactly one line height high.  An empty text measures (0, 0).
// - Constraints: a width or height of 0 or less, or of 1e7 and more, is no limit.  A height
//   limit keeps the whole lines that fit in it, and at least one line.
// - Line breaking: word wrap breaks where Unicode line breaking allows (after spaces, between
//   ideographs, not before closing punctuation) and inside a word that is wider than the line;
//   character wrap breaks between any two characters.  Spaces at a soft break hang past the
//   line: they do not count in its width.  Line breaks in the text ("\n", "\r\n", "\r", U+2028,
//   U+2029) always break; a line break at the very end of the text adds no empty line.
// - Lines that do not fit the height: the wrap modes drop them.  The truncating modes show the
//   rest of the text from the last line that fits on that line, line breaks turned into spaces,
//   cut at its head, middle or tail with "…" where characters were left out.  Clip shows the
//   rest of that paragraph on the last line, running past the edge (drawing clips it).
// - Characters are never split: cuts fall between whole characters (a surrogate pair, in the
//   platform's UTF-16 terms, stays whole); lines carry their UTF-16 ranges beside their bytes.
// - A repeated layout of the same text, font, constraint and mode comes from a cache.
// - Invalid UTF-8 is laid out with U+FFFD for each bad byte; byte ranges then refer to that text.
// - Safe to use from any thread (the backends serialise their own work).
#pragma once

#include <cairo.h>

#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "CoreGraphics/CGGeometry.h"

// Line break modes, with the platform's values (the UIKit modes have the same numbers).
enum CTLineBreakMode : uint8_t {
  kCTLineBreakByWordWrapping = 0,
  kCTLineBreakByCharWrapping = 1,
  kCTLineBreakByClipping = 2,
  kCTLineBreakByTruncatingHead = 3,
  kCTLineBreakByTruncatingTail = 4,
  kCTLineBreakByTruncatingMiddle = 5,
};

// Horizontal alignment, with the platform's values (these differ from UIKit's).  Justified and
// natural lay out as left.
enum CTTextAlignment : uint8_t {
  kCTLeftTextAlignment = 0,
  kCTRightTextAlignment = 1,
  kCTCenterTextAlignment = 2,
  kCTJustifiedTextAlignment = 3,
  kCTNaturalTextAlignment = 4,
};

// A font as the app names it.  Every name maps onto the one bundled face (bold and italic are
// synthesised), so only the size and the two flags change what is measured.
struct TextFont {
  std::string name;
  CGFloat pointSize = 0;
  bool bold = false;
  bool italic = false;
  bool operator==(const TextFont&) const = default;
};

struct TextFontMetrics {
  CGFloat lineHeight = 0;  // the leading: a whole number of points, at least 1
  CGFloat ascender = 0;    // baseline to the top of the line's tallest glyphs
  CGFloat descender = 0;   // negative: baseline to the bottom
  CGFloat capHeight = 0;
  CGFloat xHeight = 0;
  std::string familyName;  // the face actually used
};

struct TextLine {
  size_t start = 0;  // bytes of the laid-out text covered by the line (no line break)
  size_t length = 0;
  size_t utf16Start = 0;  // the same range in UTF-16 units
  size_t utf16Length = 0;
  std::string text;   // what the line shows: its range, or the cut text with "…"
  CGFloat width = 0;  // advance width, unrounded; spaces at a soft break not counted
};

struct TextLayout {
  std::vector<TextLine> lines;
  CGFloat lineHeight = 0;
  CGFloat ascender = 0;
  CGSize size;             // whole points, as above
  bool truncated = false;  // lines or characters were left out
};

// A colour for drawing (components 0 to 1).
struct TextColor {
  double red = 0, green = 0, blue = 0, alpha = 1;
};

class TextMeasurer {
 public:
  virtual ~TextMeasurer() = default;

  // The backend every measurement of the app goes through: the Pango one unless a test set
  // another.  setCurrent(nullptr) goes back to the Pango one.
  static std::shared_ptr<TextMeasurer> current();
  static void setCurrent(std::shared_ptr<TextMeasurer> measurer);

  virtual TextFontMetrics metrics(const TextFont& font) = 0;

  // Lays out text within the constraint with the mode (cached).
  std::shared_ptr<const TextLayout> layout(std::string_view text, const TextFont& font,
                                           CGSize constraint, CTLineBreakMode mode);
  CGSize measure(std::string_view text, const TextFont& font, CGSize constraint,
                 CTLineBreakMode mode) {
    return layout(text, font, constraint, mode)->size;
  }

  // Drawing into a Cairo context whose user space is the caller's view space: points, y down
  // (a context set up for a retina bitmap has its scale in the matrix).  The text is drawn
  // in `color`, or with the context's current source when no colour is given; the context's
  // state is left as it was.
  //
  // drawInRect lays the text out exactly as measure(text, font, rect.size, mode) does and draws
  // its lines from the rectangle's top, one line height apart, each placed by the alignment
  // within the rectangle's width (clip mode also clips to the rectangle).  The ink stays
  // within the measured size.  Returns the measured size.
  CGSize drawInRect(cairo_t* cr, std::string_view text, const TextFont& font, CGRect rect,
                    CTLineBreakMode mode, CTTextAlignment alignment,
                    const TextColor* color = nullptr);
  // One line whose top-left is at `point`, at most `width` wide (0: no limit), cut or clipped
  // by the mode (wrap modes show the first line).  Returns the size drawn.  To draw with a
  // font reduced to fit (see fittingFontSize) and keep the centres of the two fonts' lines on
  // one level, move the point down by half the difference of their line heights.
  CGSize drawAtPoint(cairo_t* cr, std::string_view text, const TextFont& font, CGPoint point,
                     CGFloat width, CTLineBreakMode mode, const TextColor* color = nullptr);
  // Draws a laid-out text with its top-left at `origin`; lines are placed by the alignment
  // within `width` (0: left).
  void drawLayout(cairo_t* cr, const TextLayout& layout, const TextFont& font, CGPoint origin,
                  CGFloat width, CTTextAlignment alignment, const TextColor* color = nullptr);

  // The largest size from font.pointSize down to minimumSize, in steps of one point (the last
  // step landing on minimumSize), at which the text fits on one line of `width`; minimumSize
  // when none does.  A minimum of 0 or above the point size means the point size.
  CGFloat fittingFontSize(std::string_view text, const TextFont& font, CGFloat minimumSize,
                          CGFloat width);

  // Forgets every cached layout (on memory warnings, and for measuring first layouts).
  void clearCache();

 protected:
  // The backend's own work, on valid UTF-8.
  //
  // Lines of the text wrapped at maxWidth (0: only at line breaks), by words or by characters,
  // with start, length and width filled in.  An empty text has no lines.
  virtual std::vector<TextLine> wrapLines(std::string_view text, const TextFont& font,
                                          CGFloat maxWidth, bool byCharacter) = 0;
  // The pen position before each character of a one-line text, plus its end: offsets[i] is
  // the advance of the first i characters, at byte starts[i]; cuttable[i] says whether a cut
  // may fall there (between grapheme clusters).
  struct Caret {
    size_t byte;
    CGFloat x;
    bool cuttable;
  };
  virtual std::vector<Caret> carets(std::string_view line, const TextFont& font) = 0;
  // The advance width of one line of text.
  virtual CGFloat lineWidth(std::string_view line, const TextFont& font) = 0;
  // Draws one line with its baseline's left end at (x, baseline), with the current source.
  virtual void drawLine(cairo_t* cr, std::string_view line, const TextFont& font, CGFloat x,
                        CGFloat baseline) = 0;

 private:
  TextLayout makeLayout(std::string_view text, const TextFont& font, CGSize constraint,
                        CTLineBreakMode mode);
  TextLine fitLine(std::string_view rest, const TextFont& font, CGFloat maxWidth,
                   CTLineBreakMode mode);

  // Cache entries own their text and font; the index looks them up by views, so that a
  // lookup copies nothing.
  struct Entry {
    std::string text;
    TextFont font;
    CGSize constraint;
    CTLineBreakMode mode;
    std::shared_ptr<const TextLayout> layout;
  };
  struct KeyView {
    std::string_view text;
    const TextFont* font;
    CGSize constraint;
    CTLineBreakMode mode;
    bool operator==(const KeyView& o) const {
      return mode == o.mode && constraint == o.constraint && text == o.text && *font == *o.font;
    }
  };
  struct KeyHash {
    size_t operator()(const KeyView& k) const;
  };
  static constexpr size_t kCacheCapacity = 2048;

  std::mutex cacheMutex_;
  std::list<Entry> recent_;  // most recent first
  std::unordered_map<KeyView, std::list<Entry>::iterator, KeyHash> index_;
};

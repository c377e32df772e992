// A font: the system font (regular, bold or italic) or a named font, at a point size.  Every
// font is drawn with the one bundled face (see CoreText/PangoTextMeasurer.h); its metrics come
// from the current text measurer at each call, so a test that switches measurers sees the new
// metrics in fonts made before.
//
// Fonts are objects known by name (they travel in Values and through calls by name).
//
// lineHeight() and leading() are the same: the full height of one line, a whole number of
// points, and the unit in which measured heights come (a measured text is lines × lineHeight).
#pragma once

#include <memory>
#include <string>

#include "CoreGraphics/CGGeometry.h"
#include "CoreText/TextMeasurer.h"
#include "Foundation/NSObject.h"

class UIFont : public NSObject {
  NS_CLASS(UIFont, NSObject)

 public:
  UIFont(std::string fontName, CGFloat pointSize, bool bold, bool italic = false)
      : font_{std::move(fontName), pointSize, bold, italic} {}

  static std::shared_ptr<UIFont> systemFontOfSize(CGFloat size);
  static std::shared_ptr<UIFont> boldSystemFontOfSize(CGFloat size);
  static std::shared_ptr<UIFont> italicSystemFontOfSize(CGFloat size);
  // A name with "Bold" in it is bold, one with "Italic" or "Oblique" italic.
  static std::shared_ptr<UIFont> fontWithName(std::string name, CGFloat size);

  // The platform's standard sizes.
  static CGFloat systemFontSize() { return 14; }
  static CGFloat smallSystemFontSize() { return 12; }
  static CGFloat labelFontSize() { return 17; }
  static CGFloat buttonFontSize() { return 18; }

  // The same font at another size.
  std::shared_ptr<UIFont> fontWithSize(CGFloat size) const;

  const std::string& fontName() const { return font_.name; }
  CGFloat pointSize() const { return font_.pointSize; }
  bool isBold() const { return font_.bold; }
  bool isItalic() const { return font_.italic; }
  // The family of the face that draws the font.
  std::string familyName() const;
  CGFloat lineHeight() const;
  CGFloat leading() const { return lineHeight(); }
  CGFloat ascender() const;
  CGFloat descender() const;  // negative
  CGFloat capHeight() const;
  CGFloat xHeight() const;

  // The font as the text measurer takes it.
  const TextFont& textFont() const { return font_; }

 private:
  TextFontMetrics metrics() const { return TextMeasurer::current()->metrics(font_); }

  TextFont font_;
};

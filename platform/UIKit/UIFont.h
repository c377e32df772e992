// A font: the system font (regular or bold) at a point size.  Until text is measured by the
// drawing layer, the line height (leading) is the size times 1.2 rounded up to whole points.
#pragma once

#include <memory>
#include <string>

#include "CoreGraphics/CGGeometry.h"

class UIFont {
 public:
  UIFont(std::string fontName, CGFloat pointSize, bool bold)
      : fontName_(std::move(fontName)), pointSize_(pointSize), bold_(bold) {}

  static std::shared_ptr<UIFont> systemFontOfSize(CGFloat size);
  static std::shared_ptr<UIFont> boldSystemFontOfSize(CGFloat size);
  static std::shared_ptr<UIFont> fontWithName(std::string name, CGFloat size);

  const std::string& fontName() const { return fontName_; }
  CGFloat pointSize() const { return pointSize_; }
  bool isBold() const { return bold_; }
  CGFloat lineHeight() const;
  CGFloat leading() const { return lineHeight(); }

 private:
  std::string fontName_;
  CGFloat pointSize_;
  bool bold_;
};

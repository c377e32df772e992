#include "UIKit/UIFont.h"

#include "Foundation/NSClass.h"

NS_CLASS_IMPLEMENTATION(UIFont) {}

std::shared_ptr<UIFont> UIFont::systemFontOfSize(CGFloat size) {
  return std::make_shared<UIFont>("Helvetica", size, false);
}

std::shared_ptr<UIFont> UIFont::boldSystemFontOfSize(CGFloat size) {
  return std::make_shared<UIFont>("Helvetica-Bold", size, true);
}

std::shared_ptr<UIFont> UIFont::italicSystemFontOfSize(CGFloat size) {
  return std::make_shared<UIFont>("Helvetica-Oblique", size, false, true);
}

std::shared_ptr<UIFont> UIFont::fontWithName(std::string name, CGFloat size) {
  bool bold = name.find("Bold") != std::string::npos;
  bool italic =
      name.find("Italic") != std::string::npos || name.find("Oblique") != std::string::npos;
  return std::make_shared<UIFont>(std::move(name), size, bold, italic);
}

std::shared_ptr<UIFont> UIFont::fontWithSize(CGFloat size) const {
  return std::make_shared<UIFont>(font_.name, size, font_.bold, font_.italic);
}

std::string UIFont::familyName() const {
  return metrics().familyName;
}

CGFloat UIFont::lineHeight() const {
  return metrics().lineHeight;
}

CGFloat UIFont::ascender() const {
  return metrics().ascender;
}

CGFloat UIFont::descender() const {
  return metrics().descender;
}

CGFloat UIFont::capHeight() const {
  return metrics().capHeight;
}

CGFloat UIFont::xHeight() const {
  return metrics().xHeight;
}

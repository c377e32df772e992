#include "UIKit/UIFont.h"

#include <cmath>

std::shared_ptr<UIFont> UIFont::systemFontOfSize(CGFloat size) {
  return std::make_shared<UIFont>("Helvetica", size, false);
}

std::shared_ptr<UIFont> UIFont::boldSystemFontOfSize(CGFloat size) {
  return std::make_shared<UIFont>("Helvetica-Bold", size, true);
}

std::shared_ptr<UIFont> UIFont::fontWithName(std::string name, CGFloat size) {
  bool bold = name.find("Bold") != std::string::npos;
  return std::make_shared<UIFont>(std::move(name), size, bold);
}

CGFloat UIFont::lineHeight() const {
  return std::ceil(pointSize_ * 1.2);
}

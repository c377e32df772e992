#include "UIKit/UIColor.h"

std::shared_ptr<UIColor> UIColor::colorWithRed(CGFloat red, CGFloat green, CGFloat blue,
                                               CGFloat alpha) {
  return std::make_shared<UIColor>(red, green, blue, alpha);
}

std::shared_ptr<UIColor> UIColor::blackColor() {
  return colorWithRed(0, 0, 0, 1);
}
std::shared_ptr<UIColor> UIColor::whiteColor() {
  return colorWithRed(1, 1, 1, 1);
}
std::shared_ptr<UIColor> UIColor::clearColor() {
  return colorWithRed(0, 0, 0, 0);
}

std::shared_ptr<UIColor> UIColor::colorWithPatternImage(std::string imagePath) {
  auto c = std::make_shared<UIColor>(0, 0, 0, 1);
  c->isPattern_ = true;
  c->patternImage_ = std::move(imagePath);
  return c;
}

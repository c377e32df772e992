// A colour: red, green, blue and alpha fractions, or a pattern of a named image.
#pragma once

#include <memory>
#include <string>

#include "CoreGraphics/CGGeometry.h"

class UIColor {
 public:
  UIColor(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha)
      : red_(red), green_(green), blue_(blue), alpha_(alpha) {}

  static std::shared_ptr<UIColor> colorWithRed(CGFloat red, CGFloat green, CGFloat blue,
                                               CGFloat alpha);
  static std::shared_ptr<UIColor> blackColor();
  static std::shared_ptr<UIColor> whiteColor();
  static std::shared_ptr<UIColor> clearColor();
  // A colour that tiles the image file (empty when the image was not found).
  static std::shared_ptr<UIColor> colorWithPatternImage(std::string imagePath);

  CGFloat red() const { return red_; }
  CGFloat green() const { return green_; }
  CGFloat blue() const { return blue_; }
  CGFloat alpha() const { return alpha_; }
  // The image file of a pattern colour; empty for a plain colour.
  const std::string& patternImage() const { return patternImage_; }
  bool isPattern() const { return isPattern_; }

 private:
  CGFloat red_, green_, blue_, alpha_;
  bool isPattern_ = false;
  std::string patternImage_;
};

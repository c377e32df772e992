// Colours: red, green, blue and alpha, a white level and alpha, or a pattern that tiles an
// image.  Components are kept within 0 ... 1.  A colour remembers whether it was made from a
// white level (two components) or RGB (four); the named colours are shared objects (the white
// colour is always the same object).  Colours are objects known by name, so that they travel
// in Values and through calls by name (a style sheet's colours).
#pragma once

#include <memory>
#include <string>

#include "CoreGraphics/CGColor.h"
#include "CoreGraphics/CGGeometry.h"
#include "Foundation/NSObject.h"

class UIImage;

class UIColor : public NSObject {
  NS_CLASS(UIColor, NSObject)

 public:
  UIColor(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha);

  static std::shared_ptr<UIColor> colorWithRed(CGFloat red, CGFloat green, CGFloat blue,
                                               CGFloat alpha);
  static std::shared_ptr<UIColor> colorWithWhite(CGFloat white, CGFloat alpha);
  static std::shared_ptr<UIColor> colorWithCGColor(const CGColorRef& color);
  // A colour that tiles the image (drawn at the image's scale); a nullptr image gives a pattern
  // colour that paints nothing.
  static std::shared_ptr<UIColor> colorWithPatternImage(std::shared_ptr<UIImage> image);

  static std::shared_ptr<UIColor> blackColor();
  static std::shared_ptr<UIColor> darkGrayColor();
  static std::shared_ptr<UIColor> lightGrayColor();
  static std::shared_ptr<UIColor> whiteColor();
  static std::shared_ptr<UIColor> grayColor();
  static std::shared_ptr<UIColor> redColor();
  static std::shared_ptr<UIColor> greenColor();
  static std::shared_ptr<UIColor> blueColor();
  static std::shared_ptr<UIColor> cyanColor();
  static std::shared_ptr<UIColor> yellowColor();
  static std::shared_ptr<UIColor> magentaColor();
  static std::shared_ptr<UIColor> orangeColor();
  static std::shared_ptr<UIColor> purpleColor();
  static std::shared_ptr<UIColor> brownColor();
  static std::shared_ptr<UIColor> clearColor();
  static std::shared_ptr<UIColor> groupTableViewBackgroundColor();

  // The same colour with another alpha (a new object).
  std::shared_ptr<UIColor> colorWithAlphaComponent(CGFloat alpha) const;

  // RGB of any colour (a white level in all three).
  CGFloat red() const { return red_; }
  CGFloat green() const { return green_; }
  CGFloat blue() const { return blue_; }
  CGFloat alpha() const { return alpha_; }
  // Two for white-level colours, four for RGB ones, none for patterns.
  size_t numberOfComponents() const;
  bool isWhiteLevel() const { return whiteLevel_; }
  // getWhite:alpha: — false for RGB colours and patterns.
  bool getWhite(CGFloat* white, CGFloat* alpha) const;
  // getRed:green:blue:alpha: — false for patterns.
  bool getRed(CGFloat* red, CGFloat* green, CGFloat* blue, CGFloat* alpha) const;

  bool isPattern() const { return isPattern_; }
  const std::shared_ptr<UIImage>& patternImage() const { return patternImage_; }

  CGColorRef CGColor() const;
  // The colour as the current context's fill (and stroke) colour.
  void set() const;
  void setFill() const;
  void setStroke() const;

  bool isEqual(const UIColor& other) const;
  std::string description() const override;

 private:
  CGFloat red_, green_, blue_, alpha_;
  bool whiteLevel_ = false;
  bool isPattern_ = false;
  std::shared_ptr<UIImage> patternImage_;
  mutable CGColorRef cg_;
};

// A border painted with a gradient from color1 (at location1) at the frame's top to color2
// (at location2) at its bottom: the stroke's outline becomes the clip the gradient is drawn
// through.  The frame shrinks by the width on every side.
#pragma once

#include "uilib/style/ULStyle.h"

class ULLinearGradientBorderStyle : public ULStyle {
  NS_CLASS(ULLinearGradientBorderStyle, ULStyle)

 public:
  using ULStyle::ULStyle;
  static std::shared_ptr<ULLinearGradientBorderStyle> styleWithColor1(
      std::shared_ptr<UIColor> color1, std::shared_ptr<UIColor> color2, CGFloat width,
      ULStylePtr next = nullptr);
  static std::shared_ptr<ULLinearGradientBorderStyle> styleWithColor1(
      std::shared_ptr<UIColor> color1, CGFloat location1, std::shared_ptr<UIColor> color2,
      CGFloat location2, CGFloat width, ULStylePtr next);

  const std::shared_ptr<UIColor>& color1() const { return color1_; }
  void setColor1(std::shared_ptr<UIColor> c) { color1_ = std::move(c); }
  const std::shared_ptr<UIColor>& color2() const { return color2_; }
  void setColor2(std::shared_ptr<UIColor> c) { color2_ = std::move(c); }
  CGFloat location1() const { return location1_; }
  void setLocation1(CGFloat l) { location1_ = l; }
  CGFloat location2() const { return location2_; }
  void setLocation2(CGFloat l) { location2_ = l; }
  CGFloat width() const { return width_; }
  void setWidth(CGFloat width) { width_ = width; }

  void draw(ULStyleContext& context) override;

 private:
  std::shared_ptr<UIColor> color1_, color2_;
  CGFloat location1_ = 0, location2_ = 1;
  CGFloat width_ = 1;
};

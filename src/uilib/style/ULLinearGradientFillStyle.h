// Fills the context's shape with a gradient from color1 at the frame's top to color2 at its
// bottom (extended past the end).
#pragma once

#include "uilib/style/ULStyle.h"

class ULLinearGradientFillStyle : public ULStyle {
  NS_CLASS(ULLinearGradientFillStyle, ULStyle)

 public:
  using ULStyle::ULStyle;
  static std::shared_ptr<ULLinearGradientFillStyle> styleWithColor1(std::shared_ptr<UIColor> color1,
                                                                    std::shared_ptr<UIColor> color2,
                                                                    ULStylePtr next = nullptr);

  const std::shared_ptr<UIColor>& color1() const { return color1_; }
  void setColor1(std::shared_ptr<UIColor> c) { color1_ = std::move(c); }
  const std::shared_ptr<UIColor>& color2() const { return color2_; }
  void setColor2(std::shared_ptr<UIColor> c) { color2_ = std::move(c); }

  void draw(ULStyleContext& context) override;

 private:
  std::shared_ptr<UIColor> color1_, color2_;
};

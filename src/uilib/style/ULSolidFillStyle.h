// Fills the context's shape, in the frame, with one colour; the frame is left alone.
#pragma once

#include "uilib/style/ULStyle.h"

class ULSolidFillStyle : public ULStyle {
  NS_CLASS(ULSolidFillStyle, ULStyle)

 public:
  using ULStyle::ULStyle;
  static std::shared_ptr<ULSolidFillStyle> styleWithColor(std::shared_ptr<UIColor> color,
                                                          ULStylePtr next = nullptr);

  const std::shared_ptr<UIColor>& color() const { return color_; }
  void setColor(std::shared_ptr<UIColor> color) { color_ = std::move(color); }

  void draw(ULStyleContext& context) override;

 private:
  std::shared_ptr<UIColor> color_;
};

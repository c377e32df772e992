// Strokes the context's shape with one colour just inside the frame, and shrinks the frame by
// the width on every side for the rest of the chain.
#pragma once

#include "uilib/style/ULStyle.h"

class ULSolidBorderStyle : public ULStyle {
  NS_CLASS(ULSolidBorderStyle, ULStyle)

 public:
  using ULStyle::ULStyle;
  static std::shared_ptr<ULSolidBorderStyle> styleWithColor(std::shared_ptr<UIColor> color,
                                                            CGFloat width,
                                                            ULStylePtr next = nullptr);

  const std::shared_ptr<UIColor>& color() const { return color_; }
  void setColor(std::shared_ptr<UIColor> color) { color_ = std::move(color); }
  CGFloat width() const { return width_; }
  void setWidth(CGFloat width) { width_ = width; }

  void draw(ULStyleContext& context) override;

 private:
  std::shared_ptr<UIColor> color_;
  CGFloat width_ = 1;
};

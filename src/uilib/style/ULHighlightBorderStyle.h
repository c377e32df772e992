// A border with a lighter line one point below it: the highlight colour stroked one point
// lower and two shorter, then the colour over it.  The frame shrinks by the width at the
// sides and twice the width at the top and bottom.
#pragma once

#include "uilib/style/ULStyle.h"

class ULHighlightBorderStyle : public ULStyle {
  NS_CLASS(ULHighlightBorderStyle, ULStyle)

 public:
  using ULStyle::ULStyle;
  static std::shared_ptr<ULHighlightBorderStyle> styleWithColor(
      std::shared_ptr<UIColor> color, std::shared_ptr<UIColor> highlightColor, CGFloat width,
      ULStylePtr next = nullptr);

  const std::shared_ptr<UIColor>& color() const { return color_; }
  void setColor(std::shared_ptr<UIColor> color) { color_ = std::move(color); }
  const std::shared_ptr<UIColor>& highlightColor() const { return highlightColor_; }
  void setHighlightColor(std::shared_ptr<UIColor> color) { highlightColor_ = std::move(color); }
  CGFloat width() const { return width_; }
  void setWidth(CGFloat width) { width_ = width; }

  void draw(ULStyleContext& context) override;

 private:
  std::shared_ptr<UIColor> color_, highlightColor_;
  CGFloat width_ = 1;
};

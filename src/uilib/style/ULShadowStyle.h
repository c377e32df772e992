// A drop shadow cast by the rest of the chain.  The frame and the content frame move in to
// leave the shadow its room (b = half the blur, rounded: b on a side the offset does not move
// toward, 3b plus the offset on the side it does, none on the side it leaves), and the rest of
// the chain draws inside one transparency layer that casts the shadow.  A positive height
// moves the shadow down; on systems older than 3.2 the platform turned shadows upside down,
// so there the height is negated.
//
// Measured, a size grows by 2b, plus the offset and b more along an axis with an offset.  The
// offset keeps its sign there, so a negative offset grows the size by less than the room the
// drawing takes, and may shrink it.
#pragma once

#include "uilib/style/ULStyle.h"

class ULShadowStyle : public ULStyle {
  NS_CLASS(ULShadowStyle, ULStyle)

 public:
  using ULStyle::ULStyle;
  static std::shared_ptr<ULShadowStyle> styleWithColor(std::shared_ptr<UIColor> color, CGFloat blur,
                                                       CGSize offset, ULStylePtr next = nullptr);

  const std::shared_ptr<UIColor>& color() const { return color_; }
  void setColor(std::shared_ptr<UIColor> color) { color_ = std::move(color); }
  CGFloat blur() const { return blur_; }
  void setBlur(CGFloat blur) { blur_ = blur; }
  CGSize offset() const { return offset_; }
  void setOffset(CGSize offset) { offset_ = offset; }

  void draw(ULStyleContext& context) override;
  CGSize addToSize(CGSize size, ULStyleContext& context) override;

 protected:
  // The vertical offset to give the context, turned over on the old systems.
  CGFloat contextOffsetHeight() const;

  std::shared_ptr<UIColor> color_;
  CGFloat blur_ = 0;
  CGSize offset_;
};

// The class's own factory makes an object of this class.
template <class Style>
std::shared_ptr<Style> ULMakeShadowStyle(std::shared_ptr<UIColor> color, CGFloat blur,
                                         CGSize offset, ULStylePtr next) {
  auto style = std::make_shared<Style>(std::move(next));
  style->setColor(std::move(color));
  style->setBlur(blur);
  style->setOffset(offset);
  return style;
}

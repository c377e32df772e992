// Padding around the content: the content frame moves in by it, and measured sizes grow by it.
// Margin, minimum size and position (0 flow, 1 absolute, 2 float left, 3 float right) are
// kept for the styled-text layout and for buttons that reserve room for an image part; the box
// itself uses only the padding.
#pragma once

#include "uilib/style/ULStyle.h"

class ULBoxStyle : public ULStyle {
  NS_CLASS(ULBoxStyle, ULStyle)

 public:
  using ULStyle::ULStyle;
  static std::shared_ptr<ULBoxStyle> styleWithMargin(UIEdgeInsets margin,
                                                     ULStylePtr next = nullptr);
  static std::shared_ptr<ULBoxStyle> styleWithPadding(UIEdgeInsets padding,
                                                      ULStylePtr next = nullptr);
  static std::shared_ptr<ULBoxStyle> styleWithFloats(long position, ULStylePtr next = nullptr);
  static std::shared_ptr<ULBoxStyle> styleWithMargin(UIEdgeInsets margin, UIEdgeInsets padding,
                                                     ULStylePtr next);
  static std::shared_ptr<ULBoxStyle> styleWithMargin(UIEdgeInsets margin, UIEdgeInsets padding,
                                                     CGSize minSize, long position,
                                                     ULStylePtr next);

  UIEdgeInsets margin() const { return margin_; }
  void setMargin(UIEdgeInsets margin) { margin_ = margin; }
  UIEdgeInsets padding() const { return padding_; }
  void setPadding(UIEdgeInsets padding) { padding_ = padding; }
  CGSize minSize() const { return minSize_; }
  void setMinSize(CGSize size) { minSize_ = size; }
  long position() const { return position_; }
  void setPosition(long position) { position_ = position; }

  void draw(ULStyleContext& context) override;
  CGSize addToSize(CGSize size, ULStyleContext& context) override;

 private:
  UIEdgeInsets margin_, padding_;
  CGSize minSize_;
  long position_ = 0;
};

// Independent top, right, bottom and left lines along the shape, each in its own colour (a
// side without one is stroked clear), just inside the frame.  The frame shrinks by the width
// on the sides that have a colour only.
#pragma once

#include "uilib/style/ULStyle.h"

class ULFourBorderStyle : public ULStyle {
  NS_CLASS(ULFourBorderStyle, ULStyle)

 public:
  using ULStyle::ULStyle;
  static std::shared_ptr<ULFourBorderStyle> styleWithTop(std::shared_ptr<UIColor> top,
                                                         std::shared_ptr<UIColor> right,
                                                         std::shared_ptr<UIColor> bottom,
                                                         std::shared_ptr<UIColor> left,
                                                         CGFloat width, ULStylePtr next = nullptr);
  static std::shared_ptr<ULFourBorderStyle> styleWithTop(std::shared_ptr<UIColor> top,
                                                         CGFloat width, ULStylePtr next = nullptr);
  static std::shared_ptr<ULFourBorderStyle> styleWithRight(std::shared_ptr<UIColor> right,
                                                           CGFloat width,
                                                           ULStylePtr next = nullptr);
  static std::shared_ptr<ULFourBorderStyle> styleWithBottom(std::shared_ptr<UIColor> bottom,
                                                            CGFloat width,
                                                            ULStylePtr next = nullptr);
  static std::shared_ptr<ULFourBorderStyle> styleWithLeft(std::shared_ptr<UIColor> left,
                                                          CGFloat width, ULStylePtr next = nullptr);

  const std::shared_ptr<UIColor>& top() const { return top_; }
  void setTop(std::shared_ptr<UIColor> c) { top_ = std::move(c); }
  const std::shared_ptr<UIColor>& right() const { return right_; }
  void setRight(std::shared_ptr<UIColor> c) { right_ = std::move(c); }
  const std::shared_ptr<UIColor>& bottom() const { return bottom_; }
  void setBottom(std::shared_ptr<UIColor> c) { bottom_ = std::move(c); }
  const std::shared_ptr<UIColor>& left() const { return left_; }
  void setLeft(std::shared_ptr<UIColor> c) { left_ = std::move(c); }
  CGFloat width() const { return width_; }
  void setWidth(CGFloat width) { width_ = width; }

  void draw(ULStyleContext& context) override;

 private:
  std::shared_ptr<UIColor> top_, right_, bottom_, left_;
  CGFloat width_ = 1;
};

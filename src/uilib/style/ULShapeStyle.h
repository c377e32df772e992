// Chooses the outline for the rest of the chain: the context's shape becomes this one, and the
// content frame moves in by the room the shape needs (an arrow's point).  Measured, it adds
// the shape's insets for the size the rest of the chain measures.
#pragma once

#include "uilib/style/ULShape.h"
#include "uilib/style/ULStyle.h"

class ULShapeStyle : public ULStyle {
  NS_CLASS(ULShapeStyle, ULStyle)

 public:
  using ULStyle::ULStyle;
  static std::shared_ptr<ULShapeStyle> styleWithShape(ULShapePtr shape, ULStylePtr next = nullptr);

  const ULShapePtr& shape() const { return shape_; }
  void setShape(ULShapePtr shape) { shape_ = std::move(shape); }

  void draw(ULStyleContext& context) override;
  UIEdgeInsets addToInsets(UIEdgeInsets insets, CGSize size) override;
  CGSize addToSize(CGSize size, ULStyleContext& context) override;

 private:
  ULShapePtr shape_;
};

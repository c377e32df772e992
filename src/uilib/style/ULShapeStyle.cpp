#include "uilib/style/ULShapeStyle.h"

#include "Foundation/NSClass.h"
#include "uilib/style/ULStyleContext.h"

NS_CLASS_IMPLEMENTATION(ULShapeStyle) {}

std::shared_ptr<ULShapeStyle> ULShapeStyle::styleWithShape(ULShapePtr shape, ULStylePtr next) {
  auto style = std::make_shared<ULShapeStyle>(std::move(next));
  style->shape_ = std::move(shape);
  return style;
}

void ULShapeStyle::draw(ULStyleContext& context) {
  UIEdgeInsets insets = shape_ ? shape_->insetsForSize(context.frame().size) : UIEdgeInsetsZero;
  context.setContentFrame(UIEdgeInsetsInsetRect(context.contentFrame(), insets));
  context.setShape(shape_);
  drawNext(context);
}

UIEdgeInsets ULShapeStyle::addToInsets(UIEdgeInsets insets, CGSize size) {
  UIEdgeInsets own = shape_ ? shape_->insetsForSize(size) : UIEdgeInsetsZero;
  insets.top += own.top;
  insets.left += own.left;
  insets.bottom += own.bottom;
  insets.right += own.right;
  return ULStyle::addToInsets(insets, size);
}

CGSize ULShapeStyle::addToSize(CGSize size, ULStyleContext& context) {
  // The rest of the chain first (none: the zero size), then the shape's room around it.
  CGSize inner = next() ? next()->addToSize(size, context) : CGSizeZero;
  UIEdgeInsets own = shape_ ? shape_->insetsForSize(inner) : UIEdgeInsetsZero;
  inner.width += own.left + own.right;
  inner.height += own.top + own.bottom;
  return inner;
}

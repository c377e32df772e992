#include "uilib/style/ULBoxStyle.h"

#include "Foundation/NSClass.h"
#include "uilib/style/ULStyleContext.h"

NS_CLASS_IMPLEMENTATION(ULBoxStyle) {}

std::shared_ptr<ULBoxStyle> ULBoxStyle::styleWithMargin(UIEdgeInsets margin, ULStylePtr next) {
  return styleWithMargin(margin, UIEdgeInsetsZero, CGSizeZero, 0, std::move(next));
}

std::shared_ptr<ULBoxStyle> ULBoxStyle::styleWithPadding(UIEdgeInsets padding, ULStylePtr next) {
  return styleWithMargin(UIEdgeInsetsZero, padding, CGSizeZero, 0, std::move(next));
}

std::shared_ptr<ULBoxStyle> ULBoxStyle::styleWithFloats(long position, ULStylePtr next) {
  return styleWithMargin(UIEdgeInsetsZero, UIEdgeInsetsZero, CGSizeZero, position, std::move(next));
}

std::shared_ptr<ULBoxStyle> ULBoxStyle::styleWithMargin(UIEdgeInsets margin, UIEdgeInsets padding,
                                                        ULStylePtr next) {
  return styleWithMargin(margin, padding, CGSizeZero, 0, std::move(next));
}

std::shared_ptr<ULBoxStyle> ULBoxStyle::styleWithMargin(UIEdgeInsets margin, UIEdgeInsets padding,
                                                        CGSize minSize, long position,
                                                        ULStylePtr next) {
  auto style = std::make_shared<ULBoxStyle>(std::move(next));
  style->margin_ = margin;
  style->padding_ = padding;
  style->minSize_ = minSize;
  style->position_ = position;
  return style;
}

void ULBoxStyle::draw(ULStyleContext& context) {
  context.setContentFrame(UIEdgeInsetsInsetRect(context.contentFrame(), padding_));
  drawNext(context);
}

CGSize ULBoxStyle::addToSize(CGSize size, ULStyleContext& context) {
  size.width += padding_.left + padding_.right;
  size.height += padding_.top + padding_.bottom;
  return ULStyle::addToSize(size, context);
}

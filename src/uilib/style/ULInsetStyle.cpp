#include "uilib/style/ULInsetStyle.h"

#include "Foundation/NSClass.h"
#include "uilib/style/ULStyleContext.h"

NS_CLASS_IMPLEMENTATION(ULInsetStyle) {}

std::shared_ptr<ULInsetStyle> ULInsetStyle::styleWithInset(UIEdgeInsets inset, ULStylePtr next) {
  auto style = std::make_shared<ULInsetStyle>(std::move(next));
  style->inset_ = inset;
  return style;
}

void ULInsetStyle::draw(ULStyleContext& context) {
  context.setFrame(UIEdgeInsetsInsetRect(context.frame(), inset_));
  drawNext(context);
}

UIEdgeInsets ULInsetStyle::addToInsets(UIEdgeInsets insets, CGSize size) {
  insets.top += inset_.top;
  insets.left += inset_.left;
  insets.bottom += inset_.bottom;
  insets.right += inset_.right;
  return ULStyle::addToInsets(insets, size);
}

#include "uilib/style/ULPartStyle.h"

#include "Foundation/NSClass.h"
#include "uilib/style/ULStyleContext.h"

NS_CLASS_IMPLEMENTATION(ULPartStyle) {}

std::shared_ptr<ULPartStyle> ULPartStyle::styleWithName(std::string name, ULStylePtr style,
                                                        ULStylePtr next) {
  auto part = std::make_shared<ULPartStyle>(std::move(next));
  part->name_ = std::move(name);
  part->style_ = std::move(style);
  return part;
}

void ULPartStyle::draw(ULStyleContext& context) {
  drawNext(context);
}

void ULPartStyle::drawPart(ULStyleContext& context) {
  if (style_) style_->draw(context);
}

#include "uilib/style/ULContentStyle.h"

#include "Foundation/NSClass.h"
#include "uilib/style/ULStyleContext.h"

NS_CLASS_IMPLEMENTATION(ULContentStyle) {}

std::shared_ptr<ULContentStyle> ULContentStyle::styleWithNext(ULStylePtr next) {
  return std::make_shared<ULContentStyle>(std::move(next));
}

void ULContentStyle::draw(ULStyleContext& context) {
  if (auto delegate = context.delegate())
    if (delegate->drawLayer(context, *this)) context.setDidDrawContent(true);
  drawNext(context);
}

#include "uilib/style/ULSolidFillStyle.h"

#include "Foundation/NSClass.h"
#include "uilib/style/ULStyleContext.h"
#include "uilib/style/ULStyleDrawing.h"

NS_CLASS_IMPLEMENTATION(ULSolidFillStyle) {}

std::shared_ptr<ULSolidFillStyle> ULSolidFillStyle::styleWithColor(std::shared_ptr<UIColor> color,
                                                                   ULStylePtr next) {
  auto style = std::make_shared<ULSolidFillStyle>(std::move(next));
  style->color_ = std::move(color);
  return style;
}

void ULSolidFillStyle::draw(ULStyleContext& context) {
  if (CGContext* ctx = ULCurrentContext()) {
    ctx->saveGState();
    context.shape()->addToPath(context.frame());
    ctx->setFillColorWithColor(ULCGColor(color_));
    ctx->fillPath();
    ctx->restoreGState();
  }
  drawNext(context);
}

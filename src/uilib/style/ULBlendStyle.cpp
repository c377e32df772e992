#include "uilib/style/ULBlendStyle.h"

#include "Foundation/NSClass.h"
#include "uilib/style/ULStyleDrawing.h"

NS_CLASS_IMPLEMENTATION(ULBlendStyle) {}

std::shared_ptr<ULBlendStyle> ULBlendStyle::styleWithBlend(CGBlendMode blendMode, ULStylePtr next) {
  auto style = std::make_shared<ULBlendStyle>(std::move(next));
  style->blendMode_ = blendMode;
  return style;
}

void ULBlendStyle::draw(ULStyleContext& context) {
  CGContext* ctx = ULCurrentContext();
  if (blendMode_ == CGBlendMode::Normal || !ctx) {
    drawNext(context);
    return;
  }
  ctx->saveGState();
  ctx->setBlendMode(blendMode_);
  drawNext(context);
  ctx->restoreGState();
}

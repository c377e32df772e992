#include "uilib/style/ULMaskStyle.h"

#include "Foundation/NSClass.h"
#include "uilib/style/ULStyleContext.h"
#include "uilib/style/ULStyleDrawing.h"

NS_CLASS_IMPLEMENTATION(ULMaskStyle) {}

std::shared_ptr<ULMaskStyle> ULMaskStyle::styleWithMask(std::shared_ptr<UIImage> mask,
                                                        ULStylePtr next) {
  auto style = std::make_shared<ULMaskStyle>(std::move(next));
  style->mask_ = std::move(mask);
  return style;
}

void ULMaskStyle::draw(ULStyleContext& context) {
  CGContext* ctx = ULCurrentContext();
  if (!mask_ || !ctx) {
    drawNext(context);
    return;
  }
  ctx->saveGState();
  ctx->translateCTM(0, context.frame().size.height);
  ctx->scaleCTM(1, -1);
  CGSize size = mask_->size();
  ctx->clipToMask(CGRectMake(0, 0, size.width, size.height), mask_->CGImage());
  drawNext(context);
  ctx->restoreGState();
}

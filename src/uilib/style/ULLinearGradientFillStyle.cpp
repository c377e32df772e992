#include "uilib/style/ULLinearGradientFillStyle.h"

#include "Foundation/NSClass.h"
#include "uilib/style/ULStyleContext.h"
#include "uilib/style/ULStyleDrawing.h"

NS_CLASS_IMPLEMENTATION(ULLinearGradientFillStyle) {}

std::shared_ptr<ULLinearGradientFillStyle> ULLinearGradientFillStyle::styleWithColor1(
    std::shared_ptr<UIColor> color1, std::shared_ptr<UIColor> color2, ULStylePtr next) {
  auto style = std::make_shared<ULLinearGradientFillStyle>(std::move(next));
  style->color1_ = std::move(color1);
  style->color2_ = std::move(color2);
  return style;
}

void ULLinearGradientFillStyle::draw(ULStyleContext& context) {
  if (CGContext* ctx = ULCurrentContext()) {
    CGRect frame = context.frame();
    ctx->saveGState();
    context.shape()->addToPath(frame);
    ctx->clip();
    auto gradient = newGradientWithColors({color1_, color2_});
    ctx->drawLinearGradient(gradient, frame.origin,
                            CGPointMake(frame.origin.x, frame.origin.y + frame.size.height),
                            kCGGradientDrawsAfterEndLocation);
    ctx->restoreGState();
  }
  drawNext(context);
}

#include "uilib/style/ULLinearGradientBorderStyle.h"

#include "Foundation/NSClass.h"
#include "uilib/style/ULStyleContext.h"
#include "uilib/style/ULStyleDrawing.h"

NS_CLASS_IMPLEMENTATION(ULLinearGradientBorderStyle) {}

std::shared_ptr<ULLinearGradientBorderStyle> ULLinearGradientBorderStyle::styleWithColor1(
    std::shared_ptr<UIColor> color1, std::shared_ptr<UIColor> color2, CGFloat width,
    ULStylePtr next) {
  return styleWithColor1(std::move(color1), 0, std::move(color2), 1, width, std::move(next));
}

std::shared_ptr<ULLinearGradientBorderStyle> ULLinearGradientBorderStyle::styleWithColor1(
    std::shared_ptr<UIColor> color1, CGFloat location1, std::shared_ptr<UIColor> color2,
    CGFloat location2, CGFloat width, ULStylePtr next) {
  auto style = std::make_shared<ULLinearGradientBorderStyle>(std::move(next));
  style->color1_ = std::move(color1);
  style->location1_ = location1;
  style->color2_ = std::move(color2);
  style->location2_ = location2;
  style->width_ = width;
  return style;
}

void ULLinearGradientBorderStyle::draw(ULStyleContext& context) {
  CGRect frame = context.frame();
  if (CGContext* ctx = ULCurrentContext()) {
    ctx->saveGState();
    context.shape()->addToPath(ULInsetRect(frame, width_ / 2, width_ / 2));
    ctx->setLineWidth(width_);
    ctx->replacePathWithStrokedPath();
    ctx->clip();
    auto gradient = newGradientWithColors({color1_, color2_}, {location1_, location2_});
    ctx->drawLinearGradient(gradient, frame.origin,
                            CGPointMake(frame.origin.x, frame.origin.y + frame.size.height),
                            kCGGradientDrawsAfterEndLocation);
    ctx->restoreGState();
  }
  context.setFrame(ULInsetRect(frame, width_, width_));
  drawNext(context);
}

#include "uilib/style/ULInnerShadowStyle.h"

#include "Foundation/NSClass.h"
#include "uilib/style/ULStyleContext.h"
#include "uilib/style/ULStyleDrawing.h"

NS_CLASS_IMPLEMENTATION(ULInnerShadowStyle) {}

std::shared_ptr<ULInnerShadowStyle> ULInnerShadowStyle::styleWithColor(
    std::shared_ptr<UIColor> color, CGFloat blur, CGSize offset, ULStylePtr next) {
  return ULMakeShadowStyle<ULInnerShadowStyle>(std::move(color), blur, offset, std::move(next));
}

void ULInnerShadowStyle::draw(ULStyleContext& context) {
  if (CGContext* ctx = ULCurrentContext()) {
    CGRect frame = context.frame();
    const ULShapePtr& shape = context.shape();
    ctx->saveGState();
    shape->addToPath(frame);
    ctx->clip();
    shape->addInverseToPath(frame);
    ctx->setFillColorWithColor(UIColor::whiteColor()->CGColor());
    ctx->setShadowWithColor(CGSizeMake(offset_.width, contextOffsetHeight()), blur_,
                            ULCGColor(color_));
    ctx->eoFillPath();
    ctx->restoreGState();
  }
  drawNext(context);
}

CGSize ULInnerShadowStyle::addToSize(CGSize size, ULStyleContext& context) {
  return ULStyle::addToSize(size, context);
}

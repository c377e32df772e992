#include "uilib/style/ULSolidBorderStyle.h"

#include "Foundation/NSClass.h"
#include "uilib/style/ULStyleContext.h"
#include "uilib/style/ULStyleDrawing.h"

NS_CLASS_IMPLEMENTATION(ULSolidBorderStyle) {}

std::shared_ptr<ULSolidBorderStyle> ULSolidBorderStyle::styleWithColor(
    std::shared_ptr<UIColor> color, CGFloat width, ULStylePtr next) {
  auto style = std::make_shared<ULSolidBorderStyle>(std::move(next));
  style->color_ = std::move(color);
  style->width_ = width;
  return style;
}

void ULSolidBorderStyle::draw(ULStyleContext& context) {
  CGRect frame = context.frame();
  if (CGContext* ctx = ULCurrentContext()) {
    ctx->saveGState();
    context.shape()->addToPath(ULInsetRect(frame, width_ / 2, width_ / 2));
    ctx->setStrokeColorWithColor(ULCGColor(color_));
    ctx->setLineWidth(width_);
    ctx->strokePath();
    ctx->restoreGState();
  }
  context.setFrame(ULInsetRect(frame, width_, width_));
  drawNext(context);
}

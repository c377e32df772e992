#include "uilib/style/ULHighlightBorderStyle.h"

#include "Foundation/NSClass.h"
#include "uilib/style/ULStyleContext.h"
#include "uilib/style/ULStyleDrawing.h"

NS_CLASS_IMPLEMENTATION(ULHighlightBorderStyle) {}

std::shared_ptr<ULHighlightBorderStyle> ULHighlightBorderStyle::styleWithColor(
    std::shared_ptr<UIColor> color, std::shared_ptr<UIColor> highlightColor, CGFloat width,
    ULStylePtr next) {
  auto style = std::make_shared<ULHighlightBorderStyle>(std::move(next));
  style->color_ = std::move(color);
  style->highlightColor_ = std::move(highlightColor);
  style->width_ = width;
  return style;
}

void ULHighlightBorderStyle::draw(ULStyleContext& context) {
  CGRect frame = context.frame();
  if (CGContext* ctx = ULCurrentContext()) {
    ctx->saveGState();
    CGRect a = ULInsetRect(frame, width_ / 2, width_ / 2);
    a.origin.y += 1;
    a.size.height -= 2;
    context.shape()->addToPath(a);
    ctx->setStrokeColorWithColor(ULCGColor(highlightColor_));
    ctx->setLineWidth(width_);
    ctx->strokePath();
    CGRect b = ULInsetRect(frame, width_ / 2, width_ / 2);
    b.size.height -= 2;
    context.shape()->addToPath(b);
    ctx->setStrokeColorWithColor(ULCGColor(color_));
    ctx->setLineWidth(width_);
    ctx->strokePath();
    ctx->restoreGState();
  }
  context.setFrame(ULInsetRect(frame, width_, width_ * 2));
  drawNext(context);
}

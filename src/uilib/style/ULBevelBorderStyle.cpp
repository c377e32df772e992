#include "uilib/style/ULBevelBorderStyle.h"

#include "Foundation/NSClass.h"
#include "uilib/style/UIColor+ULCategory.h"
#include "uilib/style/ULStyleContext.h"
#include "uilib/style/ULStyleDrawing.h"

NS_CLASS_IMPLEMENTATION(ULBevelBorderStyle) {}

std::shared_ptr<ULBevelBorderStyle> ULBevelBorderStyle::styleWithColor(
    const std::shared_ptr<UIColor>& color, CGFloat width, ULStylePtr next) {
  return styleWithHighlight(color ? ::highlight(*color) : nullptr,
                            color ? ::shadow(*color) : nullptr, width, ULDefaultLightSource,
                            std::move(next));
}

std::shared_ptr<ULBevelBorderStyle> ULBevelBorderStyle::styleWithHighlight(
    std::shared_ptr<UIColor> highlight, std::shared_ptr<UIColor> shadow, CGFloat width,
    int lightSource, ULStylePtr next) {
  auto style = std::make_shared<ULBevelBorderStyle>(std::move(next));
  style->highlight_ = std::move(highlight);
  style->shadow_ = std::move(shadow);
  style->width_ = width;
  style->lightSource_ = lightSource;
  return style;
}

void ULBevelBorderStyle::draw(ULStyleContext& context) {
  CGRect frame = context.frame();
  CGContext* ctx = ULCurrentContext();
  if (!ctx) {
    drawNext(context);
    return;
  }
  int l = lightSource_;
  auto lit = [](bool on, const auto& highlight, const auto& shadow) {
    return on ? highlight : shadow;
  };
  const auto& top = lit(l >= 0 && l <= 180, highlight_, shadow_);
  const auto& right = lit((l >= 270 && l <= 360) || (l >= 0 && l <= 90), highlight_, shadow_);
  const auto& bottom = lit((l >= 180 && l <= 360) || l == 0, highlight_, shadow_);
  const auto& left = lit(l >= 90 && l <= 270, highlight_, shadow_);

  CGRect stroke = ULInsetRect(frame, width_ / 2, width_ / 2);
  const ULShapePtr& shape = context.shape();
  shape->openPath(stroke);
  ctx->setLineWidth(width_);
  CGRect f = frame;
  auto strokeSide = [&](const std::shared_ptr<UIColor>& color) {
    ctx->setStrokeColorWithColor(color ? color->CGColor() : UIColor::clearColor()->CGColor());
    ctx->strokePath();
  };
  shape->addTopEdgeToPath(stroke, l);
  if (top) {
    f.origin.y += width_;
    f.size.height -= width_;
  }
  strokeSide(top);
  shape->addRightEdgeToPath(stroke, l);
  if (right) f.size.width -= width_;
  strokeSide(right);
  shape->addBottomEdgeToPath(stroke, l);
  if (bottom) f.size.height -= width_;
  strokeSide(bottom);
  shape->addLeftEdgeToPath(stroke, l);
  if (left) {
    f.origin.x += width_;
    f.size.width -= width_;
  }
  strokeSide(left);
  ctx->restoreGState();
  context.setFrame(f);
  drawNext(context);
}

#include "uilib/style/ULReflectiveFillStyle.h"

#include "Foundation/NSClass.h"
#include "uilib/style/ULStyleContext.h"
#include "uilib/style/ULStyleDrawing.h"

NS_CLASS_IMPLEMENTATION(ULReflectiveFillStyle) {}

namespace {

// Where the sheen's five colours stand.
const std::vector<CGFloat> kReflectiveLocations = {0, 0.5, 0.5, 0.6, 1};

}  // namespace

std::shared_ptr<ULReflectiveFillStyle> ULReflectiveFillStyle::styleWithColor(
    std::shared_ptr<UIColor> color, ULStylePtr next) {
  return styleWithColor(std::move(color), false, std::move(next));
}

std::shared_ptr<ULReflectiveFillStyle> ULReflectiveFillStyle::styleWithColor(
    std::shared_ptr<UIColor> color, bool withBottomHighlight, ULStylePtr next) {
  auto style = std::make_shared<ULReflectiveFillStyle>(std::move(next));
  style->color_ = std::move(color);
  style->withBottomHighlight_ = withBottomHighlight;
  return style;
}

void ULReflectiveFillStyle::draw(ULStyleContext& context) {
  if (CGContext* ctx = ULCurrentContext()) {
    CGRect frame = context.frame();
    ctx->saveGState();
    context.shape()->addToPath(frame);
    ctx->clip();
    ctx->setFillColorWithColor(ULCGColor(color_));
    ctx->fillRect(frame);
    auto gradient =
        newGradientWithColors({UIColor::colorWithWhite(1, 0.685), UIColor::colorWithWhite(1, 0.13),
                               UIColor::colorWithWhite(1, 0), UIColor::colorWithWhite(1, 0),
                               UIColor::colorWithWhite(1, withBottomHighlight_ ? 0.27 : 0)},
                              kReflectiveLocations);
    ctx->drawLinearGradient(gradient, frame.origin,
                            CGPointMake(frame.origin.x, frame.origin.y + frame.size.height), 0);
    ctx->restoreGState();
  }
  drawNext(context);
}

#include "uilib/style/ULShadowStyle.h"

#include <cmath>

#include "Foundation/NSClass.h"
#include "UIKit/UIDevice.h"
#include "uilib/core/NSString+ULAdditions.h"
#include "uilib/style/ULStyleContext.h"
#include "uilib/style/ULStyleDrawing.h"

NS_CLASS_IMPLEMENTATION(ULShadowStyle) {}

std::shared_ptr<ULShadowStyle> ULShadowStyle::styleWithColor(std::shared_ptr<UIColor> color,
                                                             CGFloat blur, CGSize offset,
                                                             ULStylePtr next) {
  return ULMakeShadowStyle<ULShadowStyle>(std::move(color), blur, offset, std::move(next));
}

CGFloat ULShadowStyle::contextOffsetHeight() const {
  bool oldSystem =
      versionStringCompare(UIDevice::currentDevice()->systemVersion(), "3.2") == NSOrderedAscending;
  return oldSystem ? -offset_.height : offset_.height;
}

void ULShadowStyle::draw(ULStyleContext& context) {
  CGFloat b = std::round(blur_ / 2);
  auto room = [b](CGFloat offset, CGFloat* before, CGFloat* after) {
    if (offset < 0) {
      *before = 3 * b + std::fabs(offset);
      *after = 0;
    } else if (offset > 0) {
      *after = 3 * b + offset;
      *before = 0;
    } else {
      *before = *after = b;
    }
  };
  UIEdgeInsets insets;
  room(offset_.width, &insets.left, &insets.right);
  room(offset_.height, &insets.top, &insets.bottom);
  context.setFrame(UIEdgeInsetsInsetRect(context.frame(), insets));
  context.setContentFrame(UIEdgeInsetsInsetRect(context.contentFrame(), insets));

  CGContext* ctx = ULCurrentContext();
  if (!ctx) {
    drawNext(context);
    return;
  }
  ctx->saveGState();
  context.shape()->addToPath(context.frame());
  ctx->setShadowWithColor(CGSizeMake(offset_.width, contextOffsetHeight()), blur_,
                          ULCGColor(color_));
  ctx->beginTransparencyLayer();
  drawNext(context);
  ctx->endTransparencyLayer();
  ctx->restoreGState();
}

CGSize ULShadowStyle::addToSize(CGSize size, ULStyleContext& context) {
  CGFloat b = std::round(blur_ / 2);
  size.width += 2 * b + offset_.width + (offset_.width != 0 ? b : 0);
  size.height += 2 * b + offset_.height + (offset_.height != 0 ? b : 0);
  return ULStyle::addToSize(size, context);
}

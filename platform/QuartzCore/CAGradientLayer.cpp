#include "QuartzCore/CAGradientLayer.h"

#include "CoreGraphics/CGGradient.h"
#include "Foundation/NSClass.h"

void CAGradientLayer::setColors(std::vector<CGColorRef> colors) {
  colors_ = std::move(colors);
}

void CAGradientLayer::setStartPoint(CGPoint p) {
  change("startPoint", startPoint_, p);
}

void CAGradientLayer::setEndPoint(CGPoint p) {
  change("endPoint", endPoint_, p);
}

void CAGradientLayer::renderOwnContent(const CGContextRef& ctx) {
  std::vector<CGFloat> locations;
  if (locations_.size() == colors_.size()) locations = locations_;
  auto gradient = CGGradient::createWithColors(CGColorSpace::createDeviceRGB(), colors_, locations);
  if (!gradient) return;
  CGRect b = bounds();
  ctx->saveGState();
  ctx->clipToRect(b);
  CGPoint start{b.origin.x + startPoint_.x * b.size.width,
                b.origin.y + startPoint_.y * b.size.height};
  CGPoint end{b.origin.x + endPoint_.x * b.size.width, b.origin.y + endPoint_.y * b.size.height};
  ctx->drawLinearGradient(gradient, start, end,
                          kCGGradientDrawsBeforeStartLocation | kCGGradientDrawsAfterEndLocation);
  ctx->restoreGState();
}

NS_CLASS_IMPLEMENTATION(CAGradientLayer) {}

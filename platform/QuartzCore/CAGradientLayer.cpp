#include "QuartzCore/CAGradientLayer.h"

#include "CoreGraphics/CGGradient.h"

void CAGradientLayer::setColors(std::vector<CGColorRef> colors) {
  colors_ = std::move(colors);
}

void CAGradientLayer::setStartPoint(CGPoint p) {
  if (p == startPoint_) return;
  CGPoint old = startPoint_;
  startPoint_ = p;
  propertyChanged("startPoint", old, p);
}

void CAGradientLayer::setEndPoint(CGPoint p) {
  if (p == endPoint_) return;
  CGPoint old = endPoint_;
  endPoint_ = p;
  propertyChanged("endPoint", old, p);
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

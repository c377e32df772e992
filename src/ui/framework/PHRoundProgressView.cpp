#include "ui/framework/PHRoundProgressView.h"

#include <cmath>

#include "Foundation/NSClass.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIGraphics.h"

PHRoundProgressView::PHRoundProgressView(CGRect frame) : UIView(frame) {
  setBackgroundColor(UIColor::clearColor());
  setOpaque(false);
}

void PHRoundProgressView::setProgress(float progress) {
  progress_ = progress;
  setNeedsDisplay();
}

void PHRoundProgressView::drawRect(CGRect) {
  auto ctx = UIGraphicsGetCurrentContext();
  if (!ctx) return;
  CGRect all = bounds();
  CGRect circle = CGRectInset(all, 2, 2);
  ctx->setRGBFillColor(1, 1, 1, 0.1);
  ctx->setRGBStrokeColor(1, 1, 1, 1);
  ctx->setLineWidth(2);
  ctx->fillEllipseInRect(circle);
  ctx->strokeEllipseInRect(circle);
  CGPoint centre = CGPointMake(CGRectGetMidX(all), CGRectGetMidY(all));
  CGFloat radius = (all.size.width - 4) / 2;
  CGFloat start = -M_PI / 2;
  CGFloat end = progress_ * 2 * M_PI + start;
  ctx->setRGBFillColor(1, 1, 1, 1);
  ctx->moveToPoint(centre.x, centre.y);
  ctx->addArc(centre.x, centre.y, radius, start, end, false);
  ctx->closePath();
  ctx->fillPath();
}

NS_CLASS_IMPLEMENTATION(PHRoundProgressView) {}

// Small drawing steps the stand-in's controls share.
#pragma once

#include <algorithm>

#include "CoreGraphics/CGContext.h"

// Adds a rectangle with round corners (a radius of at most half the shorter side) as a closed
// subpath of the current path.
inline void addRoundedRect(const CGContextRef& ctx, CGRect r, CGFloat radius) {
  radius = std::min({radius, r.size.width / 2, r.size.height / 2});
  CGFloat x0 = r.origin.x, y0 = r.origin.y, x1 = CGRectGetMaxX(r), y1 = CGRectGetMaxY(r);
  ctx->moveToPoint(x0, (y0 + y1) / 2);
  ctx->addArcToPoint(x0, y0, x1, y0, radius);
  ctx->addArcToPoint(x1, y0, x1, y1, radius);
  ctx->addArcToPoint(x1, y1, x0, y1, radius);
  ctx->addArcToPoint(x0, y1, x0, y0, radius);
  ctx->closePath();
}

// Small helpers shared by the shapes and styles (private to this library).
#pragma once

#include <memory>

#include "CoreGraphics/CGContext.h"
#include "UIKit/UIColor.h"

// The current graphics context (UIGraphicsGetCurrentContext), or nullptr; it stays current
// while the caller draws.
CGContext* ULCurrentContext();

// A colour for the context: none paints nothing.
inline CGColorRef ULCGColor(const std::shared_ptr<UIColor>& color) {
  return color ? color->CGColor() : nullptr;
}

// The rectangle moved in by dx on the left and right and dy at the top and bottom (out when
// negative), in plain arithmetic: a frame too small for a border comes out with a negative
// size, never as the null rectangle.
inline CGRect ULInsetRect(CGRect r, CGFloat dx, CGFloat dy) {
  return CGRectMake(r.origin.x + dx, r.origin.y + dy, r.size.width - 2 * dx,
                    r.size.height - 2 * dy);
}

// The current drawing context and image contexts.  Each thread has its own stack of contexts:
// a view's drawRect runs with its context pushed, and image contexts push theirs, so image
// work may run on any thread.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "CoreGraphics/CGContext.h"
#include "CoreGraphics/CGGeometry.h"

class UIImage;

// nullptr when no context is current.
CGContextRef UIGraphicsGetCurrentContext();
void UIGraphicsPushContext(CGContextRef ctx);
void UIGraphicsPopContext();

// An image context of the size in points: flipped (top-left origin, y down), `scale` pixels a
// point (0: the screen's), transparent unless opaque.  Pushed as the current context.
void UIGraphicsBeginImageContext(CGSize size);
void UIGraphicsBeginImageContextWithOptions(CGSize size, bool opaque, CGFloat scale);
// The picture of the current image context (nullptr when the current context is none).
std::shared_ptr<UIImage> UIGraphicsGetImageFromCurrentImageContext();
// Pops the image context (does nothing unless the current context is an image context).
void UIGraphicsEndImageContext();

// In the current context: fill with the fill colour, frame the inside with a one-point line
// of the fill colour, clip.
void UIRectFill(CGRect rect);
void UIRectFillUsingBlendMode(CGRect rect, CGBlendMode mode);
void UIRectFrame(CGRect rect);
void UIRectClip(CGRect rect);

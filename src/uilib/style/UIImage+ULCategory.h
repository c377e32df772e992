// The library's additions to images: fitting an image into a rectangle by a view content mode,
// drawing it there (clipped, or with rounded corners), and redrawing it at another size or
// turned upright.
//
// Content modes are the platform's view content modes.  Aspect fit and fill compare the
// image's own width and height (the wider side decides), not the two aspect ratios.  An image
// with a side of 0 is not fitted: its rectangle is the one given (nothing is divided by 0).
// The drawing forms draw into the current graphics context and do nothing without one.
#pragma once

#include <memory>

#include "CoreGraphics/CGContext.h"
#include "UIKit/UIImage.h"
#include "UIKit/UIView.h"

// addRoundedRectToPath:rect:radius: a new path in the context: the rectangle with corners
// rounded by tangent arcs of the radius (meant for a radius other than 0).
void addRoundedRectToPath(CGContext& context, CGRect rect, CGFloat radius);

// transformWidth:height:rotate: the image redrawn into a width × height bitmap; with rotate,
// turned upright from its down, left or right orientation (the sides swapped for left and
// right).  nullptr for no image.
std::shared_ptr<UIImage> transformWidth(const UIImage& image, CGFloat width, CGFloat height,
                                        bool rotate);

// convertRect:withContentMode: where the image lands in the rectangle.
CGRect convertRect(const UIImage& image, CGRect rect, UIViewContentMode contentMode);

// drawInRect:contentMode: the image placed by convertRect; clipped to the rectangle but for
// aspect fit and fill.
void drawInRectContentMode(const UIImage& image, CGRect rect, UIViewContentMode contentMode);
// drawInRect:radius: and drawInRect:radius:contentMode: the same, clipped to the rectangle
// with rounded corners when the radius is not 0.
void drawInRectRadius(const UIImage& image, CGRect rect, CGFloat radius);
void drawInRectRadius(const UIImage& image, CGRect rect, CGFloat radius,
                      UIViewContentMode contentMode);

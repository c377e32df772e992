// The library's additions to colours: colours made from hue, saturation and value, and colours
// derived from a tint by scaling or shifting its hue, saturation and value (a toolbar tint
// becomes a lighter fill, a darker border, a shadow line).
//
// Hue is in degrees (0 ... 360), saturation and value in 0 ... 1.  The derived colours are not
// clamped before they are made: a value pushed above 1 is clamped by the colour itself.  A
// white-level colour is read as the RGB colour of the same grey, so every derived colour is an
// RGB colour.  A grey has no hue: its saturation is 0 and its hue is not a number, which a
// conversion back ignores.
#pragma once

#include <memory>

#include "UIKit/UIColor.h"

// colorWithHue:saturation:value:alpha:
std::shared_ptr<UIColor> colorWithHue(CGFloat hue, CGFloat saturation, CGFloat value,
                                      CGFloat alpha);

// The colour's hue, saturation and value each multiplied by (or increased by) its factor (or
// addend); the alpha kept.
std::shared_ptr<UIColor> multiplyHue(const UIColor& color, CGFloat hue, CGFloat saturation,
                                     CGFloat value);
std::shared_ptr<UIColor> addHue(const UIColor& color, CGFloat hue, CGFloat saturation,
                                CGFloat value);
// The colour's red, green and blue with another alpha.
std::shared_ptr<UIColor> copyWithAlpha(const UIColor& color, CGFloat alpha);

// Lighter and paler: saturation × 0.4, value × 1.2.
std::shared_ptr<UIColor> highlight(const UIColor& color);
// Darker: saturation × 0.6, value × 0.6.
std::shared_ptr<UIColor> shadow(const UIColor& color);

CGFloat hue(const UIColor& color);
CGFloat saturation(const UIColor& color);
CGFloat value(const UIColor& color);

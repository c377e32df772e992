// The library's line height of a font: ascender − descender + 1 (the descender is negative, so
// the full height of the glyphs plus one point).  It is not the font's own lineHeight (the
// leading the text measurer lays lines out with); text styles limit their lines with it.
#pragma once

#include "UIKit/UIFont.h"

CGFloat ulLineHeight(const UIFont& font);
// A second name for the same value.
CGFloat LineHeight(const UIFont& font);

// The platform's string measuring additions, as free functions taking the text first; they
// lay text out with the current text measurer (CoreText/TextMeasurer.h), whose rules they
// follow: whole-point sizes (widths rounded up, heights whole lines × the font's lineHeight),
// word wrap that breaks inside an over-long word, CJK text broken between characters, cuts
// with "…", results cached.  An empty text or a missing font measures (0, 0).
//
// Drawing into the current graphics context lives with the graphics context; it lays text out
// with these same rules through TextMeasurer::drawInRect / drawAtPoint.
#pragma once

#include <memory>
#include <string_view>

#include "CoreGraphics/CGGeometry.h"
#include "CoreText/TextMeasurer.h"
#include "UIKit/UIFont.h"

enum UILineBreakMode : int {
  UILineBreakModeWordWrap = 0,
  UILineBreakModeCharacterWrap = 1,
  UILineBreakModeClip = 2,
  UILineBreakModeHeadTruncation = 3,
  UILineBreakModeTailTruncation = 4,
  UILineBreakModeMiddleTruncation = 5,
};

enum UITextAlignment : int {
  UITextAlignmentLeft = 0,
  UITextAlignmentCenter = 1,
  UITextAlignmentRight = 2,
};

// The measurer's forms of the two enumerations (a mode out of range wraps by words, an
// alignment out of range aligns left).
CTLineBreakMode CTLineBreakModeFromUILineBreakMode(UILineBreakMode mode);
CTTextAlignment CTTextAlignmentFromUITextAlignment(UITextAlignment alignment);

// sizeWithFont: the first line of the text, unwrapped.
CGSize sizeWithFont(std::string_view text, const std::shared_ptr<UIFont>& font);
// sizeWithFont:constrainedToSize:lineBreakMode: wrapped at the width, limited to the whole
// lines that fit in the height (at least one).  The texts' callers pass 10000 for "no limit"
// and one line height for "one line".
CGSize sizeWithFont(std::string_view text, const std::shared_ptr<UIFont>& font, CGSize size,
                    UILineBreakMode lineBreakMode = UILineBreakModeWordWrap);
// sizeWithFont:forWidth:lineBreakMode: one line at most `width` wide: the part of the first
// line that fits (wrap modes), the first paragraph clipped at the width, or the text cut with
// "…".
CGSize sizeWithFont(std::string_view text, const std::shared_ptr<UIFont>& font, CGFloat width,
                    UILineBreakMode lineBreakMode);
// sizeWithFont:minFontSize:actualFontSize:forWidth:lineBreakMode: as above with the font
// reduced, one point at a time down to minFontSize, until the line fits (see
// TextMeasurer::fittingFontSize); the size used goes to *actualFontSize when given.
CGSize sizeWithFont(std::string_view text, const std::shared_ptr<UIFont>& font, CGFloat minFontSize,
                    CGFloat* actualFontSize, CGFloat width, UILineBreakMode lineBreakMode);

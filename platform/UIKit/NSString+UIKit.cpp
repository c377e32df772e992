#include "UIKit/NSString+UIKit.h"

CTLineBreakMode CTLineBreakModeFromUILineBreakMode(UILineBreakMode mode) {
  // The two enumerations share their values.
  return mode >= UILineBreakModeWordWrap && mode <= UILineBreakModeMiddleTruncation
             ? CTLineBreakMode(mode)
             : kCTLineBreakByWordWrapping;
}

CTTextAlignment CTTextAlignmentFromUITextAlignment(UITextAlignment alignment) {
  switch (alignment) {
    case UITextAlignmentCenter:
      return kCTCenterTextAlignment;
    case UITextAlignmentRight:
      return kCTRightTextAlignment;
    default:
      return kCTLeftTextAlignment;
  }
}

CGSize sizeWithFont(std::string_view text, const std::shared_ptr<UIFont>& font) {
  if (!font) return CGSizeZero;
  // Any height below two lines keeps one line.
  return TextMeasurer::current()->measure(text, font->textFont(), {0, 1},
                                          kCTLineBreakByWordWrapping);
}

CGSize sizeWithFont(std::string_view text, const std::shared_ptr<UIFont>& font, CGSize size,
                    UILineBreakMode lineBreakMode) {
  if (!font) return CGSizeZero;
  return TextMeasurer::current()->measure(text, font->textFont(), size,
                                          CTLineBreakModeFromUILineBreakMode(lineBreakMode));
}

CGSize sizeWithFont(std::string_view text, const std::shared_ptr<UIFont>& font, CGFloat width,
                    UILineBreakMode lineBreakMode) {
  if (!font) return CGSizeZero;
  return TextMeasurer::current()->measure(text, font->textFont(), {width, 1},
                                          CTLineBreakModeFromUILineBreakMode(lineBreakMode));
}

CGSize sizeWithFont(std::string_view text, const std::shared_ptr<UIFont>& font, CGFloat minFontSize,
                    CGFloat* actualFontSize, CGFloat width, UILineBreakMode lineBreakMode) {
  if (!font) {
    if (actualFontSize) *actualFontSize = 0;
    return CGSizeZero;
  }
  auto measurer = TextMeasurer::current();
  TextFont fitted = font->textFont();
  fitted.pointSize = measurer->fittingFontSize(text, fitted, minFontSize, width);
  if (actualFontSize) *actualFontSize = fitted.pointSize;
  return measurer->measure(text, fitted, {width, 1},
                           CTLineBreakModeFromUILineBreakMode(lineBreakMode));
}

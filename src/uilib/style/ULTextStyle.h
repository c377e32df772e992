// Draws and measures the text the view gives (textForLayerWithStyle) in the content frame: its
// font, else the context's, else the system font; its colour and a hard shadow (the offset's
// height turned over for the context) when set.  One line (numberOfLines 1) is drawn at its
// aligned place, shrunk down to minimumFontSize to fit the width; several lines are wrapped in
// the aligned rectangle, limited to numberOfLines lines of the font's library line height
// (0: no limit).  Alignments are the platform's: text 0 left, 1 centre, 2 right; vertical 0
// centre, 1 top, 2 bottom.
//
// After drawing, the content frame holds what was drawn: one line's rectangle relative to the
// old content frame's origin, several lines' size at the old origin.  A view without text may
// draw its own content here instead (drawLayer), once.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "UIKit/NSString+UIKit.h"
#include "UIKit/UIControl.h"
#include "UIKit/UIFont.h"
#include "uilib/style/ULStyle.h"

class ULTextStyle : public ULStyle {
  NS_CLASS(ULTextStyle, ULStyle)

 public:
  using ULStyle::ULStyle;
  static std::shared_ptr<ULTextStyle> styleWithFont(std::shared_ptr<UIFont> font,
                                                    ULStylePtr next = nullptr);
  static std::shared_ptr<ULTextStyle> styleWithColor(std::shared_ptr<UIColor> color,
                                                     ULStylePtr next = nullptr);
  static std::shared_ptr<ULTextStyle> styleWithFont(std::shared_ptr<UIFont> font,
                                                    std::shared_ptr<UIColor> color,
                                                    ULStylePtr next = nullptr);
  static std::shared_ptr<ULTextStyle> styleWithFont(std::shared_ptr<UIFont> font,
                                                    std::shared_ptr<UIColor> color,
                                                    UITextAlignment textAlignment,
                                                    ULStylePtr next = nullptr);
  static std::shared_ptr<ULTextStyle> styleWithFont(std::shared_ptr<UIFont> font,
                                                    std::shared_ptr<UIColor> color,
                                                    std::shared_ptr<UIColor> shadowColor,
                                                    CGSize shadowOffset, ULStylePtr next = nullptr);
  static std::shared_ptr<ULTextStyle> styleWithFont(std::shared_ptr<UIFont> font,
                                                    std::shared_ptr<UIColor> color,
                                                    CGFloat minimumFontSize,
                                                    std::shared_ptr<UIColor> shadowColor,
                                                    CGSize shadowOffset, ULStylePtr next = nullptr);
  static std::shared_ptr<ULTextStyle> styleWithFont(
      std::shared_ptr<UIFont> font, std::shared_ptr<UIColor> color, CGFloat minimumFontSize,
      std::shared_ptr<UIColor> shadowColor, CGSize shadowOffset, UITextAlignment textAlignment,
      UIControlContentVerticalAlignment verticalAlignment, UILineBreakMode lineBreakMode,
      long numberOfLines, ULStylePtr next = nullptr);

  const std::shared_ptr<UIFont>& font() const { return font_; }
  void setFont(std::shared_ptr<UIFont> font) { font_ = std::move(font); }
  const std::shared_ptr<UIColor>& color() const { return color_; }
  void setColor(std::shared_ptr<UIColor> color) { color_ = std::move(color); }
  const std::shared_ptr<UIColor>& shadowColor() const { return shadowColor_; }
  void setShadowColor(std::shared_ptr<UIColor> color) { shadowColor_ = std::move(color); }
  CGSize shadowOffset() const { return shadowOffset_; }
  void setShadowOffset(CGSize offset) { shadowOffset_ = offset; }
  CGFloat minimumFontSize() const { return minimumFontSize_; }
  void setMinimumFontSize(CGFloat size) { minimumFontSize_ = size; }
  long numberOfLines() const { return numberOfLines_; }
  void setNumberOfLines(long lines) { numberOfLines_ = lines; }
  UITextAlignment textAlignment() const { return textAlignment_; }
  void setTextAlignment(UITextAlignment a) { textAlignment_ = a; }
  UIControlContentVerticalAlignment verticalAlignment() const { return verticalAlignment_; }
  void setVerticalAlignment(UIControlContentVerticalAlignment a) { verticalAlignment_ = a; }
  UILineBreakMode lineBreakMode() const { return lineBreakMode_; }
  void setLineBreakMode(UILineBreakMode mode) { lineBreakMode_ = mode; }

  // sizeOfText:withFont:size: one line's size, or the text wrapped at the size's width and
  // limited to numberOfLines library line heights.
  CGSize sizeOfText(std::string_view text, const std::shared_ptr<UIFont>& font, CGSize size) const;
  // rectForText:forSize:withFont: where the text stands within a box of the size (relative to
  // its corner); left and top alignment take the whole box without measuring.
  CGRect rectForText(std::string_view text, CGSize size, const std::shared_ptr<UIFont>& font) const;
  // drawText:context:
  void drawText(std::string_view text, ULStyleContext& context);

  void draw(ULStyleContext& context) override;
  CGSize addToSize(CGSize size, ULStyleContext& context) override;

 private:
  std::shared_ptr<UIFont> font_;
  std::shared_ptr<UIColor> color_, shadowColor_;
  CGSize shadowOffset_;
  CGFloat minimumFontSize_ = 0;
  long numberOfLines_ = 1;
  UITextAlignment textAlignment_ = UITextAlignmentCenter;
  UIControlContentVerticalAlignment verticalAlignment_ = UIControlContentVerticalAlignment::Center;
  UILineBreakMode lineBreakMode_ = UILineBreakModeTailTruncation;
};

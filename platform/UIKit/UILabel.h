// A label: a text drawn in one font and colour, aligned left, centre or right, on as many lines
// as numberOfLines allows (0: any) within its bounds, broken and cut by its line-break mode
// (tail truncation by default), centred vertically.  A shadow colour draws the text once more
// underneath, moved by the shadow offset; a disabled label draws its text grey; a highlighted
// one in its highlighted colour.  With adjustsFontSizeToFitWidth a one-line label shrinks its
// font, a point at a time down to minimumFontSize, until the text fits its width.
//
// Defaults as on the platform: system font of 17 points, black text, a white background,
// no interaction.
#pragma once

#include <memory>
#include <string>

#include "UIKit/NSString+UIKit.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIFont.h"
#include "UIKit/UIView.h"

class UILabel : public UIView {
  NS_CLASS(UILabel, UIView)
 public:
  UILabel() : UILabel(CGRectZero) {}
  explicit UILabel(CGRect frame);

  const std::string& text() const { return text_; }
  void setText(std::string text);
  const std::shared_ptr<UIFont>& font() const { return font_; }
  // nullptr restores the default font.
  void setFont(std::shared_ptr<UIFont> font);
  const std::shared_ptr<UIColor>& textColor() const { return textColor_; }
  void setTextColor(std::shared_ptr<UIColor> color);
  UITextAlignment textAlignment() const { return textAlignment_; }
  void setTextAlignment(UITextAlignment alignment);
  UILineBreakMode lineBreakMode() const { return lineBreakMode_; }
  void setLineBreakMode(UILineBreakMode mode);
  long numberOfLines() const { return numberOfLines_; }
  void setNumberOfLines(long lines);
  bool isEnabled() const { return enabled_; }
  void setEnabled(bool enabled);
  bool isHighlighted() const { return highlighted_; }
  void setHighlighted(bool highlighted);
  const std::shared_ptr<UIColor>& highlightedTextColor() const { return highlightedTextColor_; }
  void setHighlightedTextColor(std::shared_ptr<UIColor> color);
  const std::shared_ptr<UIColor>& shadowColor() const { return shadowColor_; }
  void setShadowColor(std::shared_ptr<UIColor> color);
  // Default (0, -1).
  CGSize shadowOffset() const { return shadowOffset_; }
  void setShadowOffset(CGSize offset);
  bool adjustsFontSizeToFitWidth() const { return adjustsFontSizeToFitWidth_; }
  void setAdjustsFontSizeToFitWidth(bool adjusts);
  CGFloat minimumFontSize() const { return minimumFontSize_; }
  void setMinimumFontSize(CGFloat size);
  UIBaselineAdjustment baselineAdjustment() const { return baselineAdjustment_; }
  void setBaselineAdjustment(UIBaselineAdjustment adjustment) { baselineAdjustment_ = adjustment; }

  // Where the text goes in `bounds` with at most `numberOfLines` lines (0: any): at the top
  // left of the bounds, as wide and high as the laid-out text.
  virtual CGRect textRectForBounds(CGRect bounds, long numberOfLines) const;
  // Draws the text centred vertically in `rect` (the bounds, unless a subclass insets them).
  virtual void drawTextInRect(CGRect rect);
  void drawRect(CGRect rect) override;
  // One-line labels measure the whole line; others wrap at the given width.
  CGSize sizeThatFits(CGSize size) const override;

 protected:
  void describeAttributes(std::string& line) const override;

 private:
  // The font the text is drawn in within a width (reduced when adjusting to fit).
  std::shared_ptr<UIFont> fontForWidth(CGFloat width) const;
  CGFloat heightLimit(CGFloat height, const std::shared_ptr<UIFont>& font, long lines) const;

  std::string text_;
  std::shared_ptr<UIFont> font_;
  std::shared_ptr<UIColor> textColor_;
  UITextAlignment textAlignment_ = UITextAlignmentLeft;
  UILineBreakMode lineBreakMode_ = UILineBreakModeTailTruncation;
  long numberOfLines_ = 1;
  bool enabled_ = true;
  bool highlighted_ = false;
  std::shared_ptr<UIColor> highlightedTextColor_;
  std::shared_ptr<UIColor> shadowColor_;
  CGSize shadowOffset_{0, -1};
  bool adjustsFontSizeToFitWidth_ = false;
  CGFloat minimumFontSize_ = 0;
  UIBaselineAdjustment baselineAdjustment_ = UIBaselineAdjustmentAlignBaselines;
};

#include "UIKit/UILabel.h"

#include <cmath>

#include "Foundation/NSClass.h"
#include "UIKit/UIGraphics.h"

UILabel::UILabel(CGRect frame) : UIView(frame) {
  setUserInteractionEnabled(false);
  font_ = UIFont::systemFontOfSize(UIFont::labelFontSize());
  textColor_ = UIColor::blackColor();
  setBackgroundColor(UIColor::whiteColor());
}

void UILabel::setText(std::string text) {
  if (text == text_) return;
  text_ = std::move(text);
  setNeedsDisplay();
}

void UILabel::setFont(std::shared_ptr<UIFont> font) {
  font_ = font ? std::move(font) : UIFont::systemFontOfSize(UIFont::labelFontSize());
  setNeedsDisplay();
}

void UILabel::setTextColor(std::shared_ptr<UIColor> color) {
  textColor_ = color ? std::move(color) : UIColor::blackColor();
  setNeedsDisplay();
}

void UILabel::setTextAlignment(UITextAlignment alignment) {
  textAlignment_ = alignment;
  setNeedsDisplay();
}

void UILabel::setLineBreakMode(UILineBreakMode mode) {
  lineBreakMode_ = mode;
  setNeedsDisplay();
}

void UILabel::setNumberOfLines(long lines) {
  numberOfLines_ = std::max(0L, lines);
  setNeedsDisplay();
}

void UILabel::setEnabled(bool enabled) {
  enabled_ = enabled;
  setNeedsDisplay();
}

void UILabel::setHighlighted(bool highlighted) {
  highlighted_ = highlighted;
  setNeedsDisplay();
}

void UILabel::setHighlightedTextColor(std::shared_ptr<UIColor> color) {
  highlightedTextColor_ = std::move(color);
  setNeedsDisplay();
}

void UILabel::setShadowColor(std::shared_ptr<UIColor> color) {
  shadowColor_ = std::move(color);
  setNeedsDisplay();
}

void UILabel::setShadowOffset(CGSize offset) {
  shadowOffset_ = offset;
  setNeedsDisplay();
}

void UILabel::setAdjustsFontSizeToFitWidth(bool adjusts) {
  adjustsFontSizeToFitWidth_ = adjusts;
  setNeedsDisplay();
}

void UILabel::setMinimumFontSize(CGFloat size) {
  minimumFontSize_ = size;
  setNeedsDisplay();
}

std::shared_ptr<UIFont> UILabel::fontForWidth(CGFloat width) const {
  if (!adjustsFontSizeToFitWidth_ || numberOfLines_ != 1 || minimumFontSize_ <= 0 || text_.empty())
    return font_;
  CGFloat size =
      TextMeasurer::current()->fittingFontSize(text_, font_->textFont(), minimumFontSize_, width);
  return size == font_->pointSize() ? font_ : font_->fontWithSize(size);
}

CGFloat UILabel::heightLimit(CGFloat height, const std::shared_ptr<UIFont>& font,
                             long lines) const {
  if (lines <= 0) return height;
  CGFloat limit = CGFloat(lines) * font->lineHeight();
  return height > 0 ? std::min(height, limit) : limit;
}

CGRect UILabel::textRectForBounds(CGRect bounds, long numberOfLines) const {
  if (text_.empty()) return {bounds.origin, {0, 0}};
  auto font = fontForWidth(bounds.size.width);
  // A label always shows at least one line, even in bounds lower than one; no height is no
  // limit.
  CGFloat height = heightLimit(bounds.size.height, font, numberOfLines);
  if (height > 0) height = std::max(height, font->lineHeight());
  CGSize size = sizeWithFont(text_, font, CGSizeMake(bounds.size.width, height), lineBreakMode_);
  return {bounds.origin, size};
}

void UILabel::drawTextInRect(CGRect rect) {
  auto ctx = UIGraphicsGetCurrentContext();
  if (!ctx || text_.empty()) return;
  auto font = fontForWidth(rect.size.width);
  CGRect text = textRectForBounds(rect, numberOfLines_);
  CGRect area = {
      {rect.origin.x, rect.origin.y + std::floor((rect.size.height - text.size.height) / 2)},
      {rect.size.width, text.size.height}};
  std::shared_ptr<UIColor> color = textColor_;
  if (highlighted_ && highlightedTextColor_) {
    color = highlightedTextColor_;
  } else if (!enabled_) {
    color = UIColor::colorWithWhite(0.56, 1);
  }
  ctx->saveGState();
  if (shadowColor_ && !highlighted_)
    ctx->setShadowWithColor(shadowOffset_, 0, shadowColor_->CGColor());
  ctx->setFillColorWithColor(color->CGColor());
  drawInRect(text_, area, font, lineBreakMode_, textAlignment_);
  ctx->restoreGState();
}

void UILabel::drawRect(CGRect) {
  drawTextInRect(bounds());
}

CGSize UILabel::sizeThatFits(CGSize size) const {
  if (text_.empty()) return CGSizeZero;
  if (numberOfLines_ == 1) return sizeWithFont(text_, font_);
  return textRectForBounds({{0, 0}, {size.width > 0 ? size.width : 0, 0}}, numberOfLines_).size;
}

void UILabel::describeAttributes(std::string& line) const {
  if (!text_.empty()) line += " text=" + quoted(text_);
}

NS_CLASS_IMPLEMENTATION(UILabel) {}

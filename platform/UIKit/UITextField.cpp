#include "UIKit/UITextField.h"

#include <algorithm>
#include <cmath>

#include "Foundation/NSClass.h"
#include "Foundation/NSNotificationCenter.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIDrawingHelpers.h"
#include "UIKit/UIFont.h"
#include "UIKit/UIGraphics.h"
#include "UIKit/UIImage.h"
#include "UIKit/UITouch.h"

namespace {

constexpr CGFloat kClearButtonSize = 19;

// The grey disc with a white cross that empties the field.
class UITextFieldClearButton : public UIControl {
 public:
  UITextFieldClearButton() : UIControl(CGRectMake(0, 0, kClearButtonSize, kClearButtonSize)) {
    setBackgroundColor(UIColor::clearColor());
  }
  NS_CLASS(UITextFieldClearButton, UIControl)
 public:
  void drawRect(CGRect) override {
    auto ctx = UIGraphicsGetCurrentContext();
    CGRect b = bounds();
    ctx->setGrayFillColor(isHighlighted() ? 0.5 : 0.7, 1);
    ctx->fillEllipseInRect(b);
    ctx->setGrayStrokeColor(1, 1);
    ctx->setLineWidth(2);
    CGFloat c = b.size.width / 2, d = 4;
    ctx->strokeLineSegments({{c - d, c - d}, {c + d, c + d}, {c - d, c + d}, {c + d, c - d}});
  }
};

std::string bullets(size_t count) {
  std::string out;
  for (size_t i = 0; i < count; ++i) out += "\u25CF";
  return out;
}

}  // namespace

UITextField::UITextField(CGRect frame)
    : UIControl(frame), font_(UIFont::systemFontOfSize(12)), textColor_(UIColor::blackColor()) {
  setBackgroundColor(UIColor::clearColor());
  setContentVerticalAlignment(UIControlContentVerticalAlignment::Center);
}

std::shared_ptr<UITextField> UITextField::selfPtr() {
  return std::static_pointer_cast<UITextField>(weak_from_this().lock());
}

void UITextField::setText(std::string text) {
  text_ = std::move(text);
  selection_ = {utf16Length(text_), 0};
  setNeedsDisplay();
  setNeedsLayout();
}

void UITextField::setPlaceholder(std::string placeholder) {
  placeholder_ = std::move(placeholder);
  setNeedsDisplay();
}

void UITextField::setFont(std::shared_ptr<UIFont> font) {
  if (font) font_ = std::move(font);
  setNeedsDisplay();
}

void UITextField::setTextColor(std::shared_ptr<UIColor> color) {
  textColor_ = std::move(color);
  setNeedsDisplay();
}

void UITextField::setTextAlignment(UITextAlignment alignment) {
  alignment_ = alignment;
  setNeedsDisplay();
}

void UITextField::setBorderStyle(UITextBorderStyle style) {
  borderStyle_ = style;
  setNeedsDisplay();
  setNeedsLayout();
}

void UITextField::setBackground(std::shared_ptr<UIImage> image) {
  background_ = std::move(image);
  setNeedsDisplay();
}

void UITextField::setAdjustsFontSizeToFitWidth(bool adjusts) {
  adjustsFontSize_ = adjusts;
  setNeedsDisplay();
}

void UITextField::setMinimumFontSize(CGFloat size) {
  minimumFontSize_ = size;
  setNeedsDisplay();
}

void UITextField::setSecureTextEntry(bool secure) {
  traits_.secureTextEntry = secure;
  setNeedsDisplay();
}

void UITextField::setClearButtonMode(UITextFieldViewMode mode) {
  clearButtonMode_ = mode;
  setNeedsLayout();
}

void UITextField::setLeftView(std::shared_ptr<UIView> view) {
  if (leftView_) leftView_->removeFromSuperview();
  leftView_ = std::move(view);
  setNeedsLayout();
}

void UITextField::setLeftViewMode(UITextFieldViewMode mode) {
  leftViewMode_ = mode;
  setNeedsLayout();
}

void UITextField::setRightView(std::shared_ptr<UIView> view) {
  if (rightView_) rightView_->removeFromSuperview();
  rightView_ = std::move(view);
  setNeedsLayout();
}

void UITextField::setRightViewMode(UITextFieldViewMode mode) {
  rightViewMode_ = mode;
  setNeedsLayout();
}

bool UITextField::shows(UITextFieldViewMode mode) const {
  switch (mode) {
    case UITextFieldViewMode::Never:
      return false;
    case UITextFieldViewMode::WhileEditing:
      return editing_;
    case UITextFieldViewMode::UnlessEditing:
      return !editing_;
    case UITextFieldViewMode::Always:
      return true;
  }
  return false;
}

bool UITextField::showsClearButton() const {
  return !text_.empty() && shows(clearButtonMode_);
}

// ---- rectangles

CGRect UITextField::borderRectForBounds(CGRect bounds) const {
  return bounds;
}

CGRect UITextField::textRectForBounds(CGRect bounds) const {
  CGRect r = bounds;
  switch (borderStyle_) {
    case UITextBorderStyle::RoundedRect:
      r = CGRectInset(r, 7, 0);
      break;
    case UITextBorderStyle::Line:
    case UITextBorderStyle::Bezel:
      r = CGRectInset(r, 3, 2);
      break;
    case UITextBorderStyle::None:
      break;
  }
  if (leftView_ && shows(leftViewMode_)) {
    CGFloat right = CGRectGetMaxX(leftViewRectForBounds(bounds));
    if (right > r.origin.x) {
      r.size.width -= right - r.origin.x;
      r.origin.x = right;
    }
  }
  CGFloat end = CGRectGetMaxX(r);
  if (rightView_ && shows(rightViewMode_))
    end = std::min(end, rightViewRectForBounds(bounds).origin.x);
  if (showsClearButton()) end = std::min(end, clearButtonRectForBounds(bounds).origin.x - 2);
  r.size.width = std::max<CGFloat>(0, end - r.origin.x);
  return r;
}

CGRect UITextField::placeholderRectForBounds(CGRect bounds) const {
  return textRectForBounds(bounds);
}

CGRect UITextField::editingRectForBounds(CGRect bounds) const {
  return textRectForBounds(bounds);
}

CGRect UITextField::clearButtonRectForBounds(CGRect bounds) const {
  CGFloat right = CGRectGetMaxX(bounds) - 5;
  if (rightView_ && shows(rightViewMode_)) right = rightViewRectForBounds(bounds).origin.x - 2;
  return CGRectMake(right - kClearButtonSize,
                    bounds.origin.y + std::floor((bounds.size.height - kClearButtonSize) / 2),
                    kClearButtonSize, kClearButtonSize);
}

CGRect UITextField::leftViewRectForBounds(CGRect bounds) const {
  if (!leftView_) return CGRectZero;
  CGSize s = leftView_->bounds().size;
  return CGRectMake(bounds.origin.x,
                    bounds.origin.y + std::floor((bounds.size.height - s.height) / 2), s.width,
                    s.height);
}

CGRect UITextField::rightViewRectForBounds(CGRect bounds) const {
  if (!rightView_) return CGRectZero;
  CGSize s = rightView_->bounds().size;
  return CGRectMake(CGRectGetMaxX(bounds) - s.width,
                    bounds.origin.y + std::floor((bounds.size.height - s.height) / 2), s.width,
                    s.height);
}

void UITextField::layoutSubviews() {
  CGRect b = bounds();
  auto place = [&](const std::shared_ptr<UIView>& v, bool show, CGRect r) {
    if (!v) return;
    if (show) {
      if (v->superview().get() != this) addSubview(v);
      v->setFrame(r);
    } else if (v->superview().get() == this) {
      v->removeFromSuperview();
    }
  };
  place(leftView_, shows(leftViewMode_), leftViewRectForBounds(b));
  place(rightView_, shows(rightViewMode_), rightViewRectForBounds(b));
  if (showsClearButton() && !clearButton_) {
    auto button = std::make_shared<UITextFieldClearButton>();
    button->addTarget(UIControlAction{"clear:", weak_from_this(),
                                      [this](UIControl&, UIEvent*) { clearTapped(); }},
                      UIControlEventTouchUpInside);
    clearButton_ = button;
  }
  place(clearButton_, showsClearButton(), clearButtonRectForBounds(b));
}

// ---- drawing

std::shared_ptr<UIFont> UITextField::fittingFont(CGFloat width) const {
  if (!adjustsFontSize_ || minimumFontSize_ <= 0 || text_.empty()) return font_;
  CGFloat actual = font_->pointSize();
  sizeWithFont(text_, font_, minimumFontSize_, &actual, width, UILineBreakModeClip);
  return actual == font_->pointSize() ? font_ : font_->fontWithSize(actual);
}

void UITextField::drawRect(CGRect) {
  auto ctx = UIGraphicsGetCurrentContext();
  CGRect b = borderRectForBounds(bounds());
  if (background_) {
    background_->drawInRect(b);
  } else {
    switch (borderStyle_) {
      case UITextBorderStyle::RoundedRect: {
        CGRect r = CGRectInset(b, 0.5, 0.5);
        ctx->beginPath();
        addRoundedRect(ctx, r, 7);
        ctx->setGrayFillColor(1, 1);
        ctx->setGrayStrokeColor(0.55, 1);
        ctx->setLineWidth(1);
        ctx->drawPath(CGPathDrawingMode::FillStroke);
        break;
      }
      case UITextBorderStyle::Line:
        ctx->setGrayStrokeColor(0, 1);
        ctx->strokeRectWithWidth(CGRectInset(b, 0.5, 0.5), 1);
        break;
      case UITextBorderStyle::Bezel:
        ctx->setGrayFillColor(1, 1);
        ctx->fillRect(b);
        ctx->setGrayStrokeColor(0.4, 1);
        ctx->strokeRectWithWidth(CGRectInset(b, 1, 1), 2);
        break;
      case UITextBorderStyle::None:
        break;
    }
  }
  if (text_.empty()) {
    if (placeholder_.empty()) return;
    ctx->setGrayFillColor(0.7, 1);
    drawPlaceholderInRect(placeholderRectForBounds(bounds()));
    return;
  }
  ctx->setFillColorWithColor(textColor_ ? textColor_->CGColor() : UIColor::blackColor()->CGColor());
  drawTextInRect(editing_ ? editingRectForBounds(bounds()) : textRectForBounds(bounds()));
}

namespace {

// One line of text in the rectangle, placed by the vertical alignment.
void drawLine(std::string_view text, CGRect r, const std::shared_ptr<UIFont>& font,
              UITextAlignment alignment, UIControlContentVerticalAlignment vertical) {
  CGFloat h = font->lineHeight();
  CGFloat y = vertical == UIControlContentVerticalAlignment::Top      ? r.origin.y
              : vertical == UIControlContentVerticalAlignment::Bottom ? CGRectGetMaxY(r) - h
                                                                      : CGRectGetMidY(r) - h / 2;
  drawInRect(text, CGRectMake(r.origin.x, std::floor(y), r.size.width, h), font,
             UILineBreakModeTailTruncation, alignment);
}

}  // namespace

void UITextField::drawTextInRect(CGRect rect) {
  std::string shown = traits_.secureTextEntry ? bullets(utf16Length(text_)) : text_;
  drawLine(shown, rect, fittingFont(rect.size.width), alignment_, contentVerticalAlignment());
}

void UITextField::drawPlaceholderInRect(CGRect rect) {
  drawLine(placeholder_, rect, font_, alignment_, contentVerticalAlignment());
}

void UITextField::describeAttributes(std::string& line) const {
  UIControl::describeAttributes(line);
  if (!text_.empty())
    line += " text=" + quoted(traits_.secureTextEntry ? bullets(utf16Length(text_)) : text_);
  if (!placeholder_.empty()) line += " placeholder=" + quoted(placeholder_);
  if (editing_) line += " editing";
}

bool UITextField::dumpsSubview(const UIView& v) const {
  return &v != clearButton_.get();
}

// ---- editing

bool UITextField::canBecomeFirstResponder() const {
  return isEnabled();
}

bool UITextField::becomeFirstResponder() {
  if (isFirstResponder()) return true;
  if (!canBecomeFirstResponder()) return false;
  if (auto d = delegate_.lock(); d && !d->textFieldShouldBeginEditing(selfPtr())) return false;
  return UIResponder::becomeFirstResponder();
}

bool UITextField::canResignFirstResponder() const {
  auto d = delegate_.lock();
  auto self = std::static_pointer_cast<UITextField>(
      std::const_pointer_cast<NSObject>(weak_from_this().lock()));
  return !d || d->textFieldShouldEndEditing(self);
}

void UITextField::didBecomeFirstResponder() {
  auto keep = selfPtr();
  editing_ = true;
  if (clearsOnBeginEditing_) text_.clear();
  selection_ = {utf16Length(text_), 0};
  setNeedsDisplay();
  setNeedsLayout();
  if (auto d = delegate_.lock()) d->textFieldDidBeginEditing(keep);
  sendActions(UIControlEventEditingDidBegin, nullptr);
  NSNotificationCenter::defaultCenter()->postNotificationName(
      UITextFieldTextDidBeginEditingNotification, Value(std::static_pointer_cast<NSObject>(keep)));
}

void UITextField::didResignFirstResponder() {
  auto keep = selfPtr();
  editing_ = false;
  setNeedsDisplay();
  setNeedsLayout();
  if (auto d = delegate_.lock()) d->textFieldDidEndEditing(keep);
  sendActions(UIControlEventEditingDidEnd, nullptr);
  NSNotificationCenter::defaultCenter()->postNotificationName(
      UITextFieldTextDidEndEditingNotification, Value(std::static_pointer_cast<NSObject>(keep)));
}

void UITextField::touchesEnded(const UITouchSet& touches, UIEvent* event) {
  auto keep = selfPtr();
  auto touch = touches.anyObject();
  bool inside = touch && CGRectContainsPoint(bounds(), touch->locationInView(this));
  UIControl::touchesEnded(touches, event);
  if (inside && !isFirstResponder()) becomeFirstResponder();
}

size_t UITextField::textLength() const {
  return utf16Length(text_);
}

void UITextField::setSelectedRange(NSRange range) {
  selection_ = clampedTextRange(range, utf16Length(text_));
}

void UITextField::replace(NSRange range, std::string_view replacement) {
  auto keep = selfPtr();
  range = clampedTextRange(range, utf16Length(text_));
  if (auto d = delegate_.lock(); d && !d->textFieldShouldChangeCharactersInRangeReplacementString(
                                          keep, range, std::string(replacement)))
    return;
  text_ = textByReplacingRange(text_, range, replacement);
  selection_ = {range.location + utf16Length(replacement), 0};
  textChanged();
}

void UITextField::textChanged() {
  auto keep = selfPtr();
  setNeedsDisplay();
  setNeedsLayout();
  sendActions(UIControlEventEditingChanged, nullptr);
  NSNotificationCenter::defaultCenter()->postNotificationName(
      UITextFieldTextDidChangeNotification, Value(std::static_pointer_cast<NSObject>(keep)));
}

void UITextField::insertText(std::string_view text) {
  if (!editing_) return;
  if (text != "\n") {
    replace(selection_, text);
    return;
  }
  // The return key.
  auto keep = selfPtr();
  auto d = delegate_.lock();
  bool ok = !d || d->textFieldShouldReturn(keep);
  if (ok && (allControlEvents() & UIControlEventEditingDidEndOnExit)) {
    sendActions(UIControlEventEditingDidEndOnExit, nullptr);
    resignFirstResponder();
  }
}

void UITextField::deleteBackward() {
  if (!editing_) return;
  NSRange r = rangeForBackspace(text_, selection_);
  if (r.length == 0) return;
  replace(r, "");
}

void UITextField::clearTapped() {
  auto keep = selfPtr();
  if (auto d = delegate_.lock(); d && !d->textFieldShouldClear(keep)) return;
  text_.clear();
  selection_ = {0, 0};
  textChanged();
  if (!isFirstResponder()) becomeFirstResponder();
}

NS_CLASS_IMPLEMENTATION(UITextField) {}
NS_CLASS_IMPLEMENTATION(UITextFieldClearButton) {}

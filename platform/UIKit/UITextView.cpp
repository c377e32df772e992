#include "UIKit/UITextView.h"

#include <algorithm>

#include "Foundation/NSClass.h"
#include "Foundation/NSNotificationCenter.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIFont.h"
#include "UIKit/UIGraphics.h"
#include "UIKit/UITouch.h"

// The text, drawn on a view as tall as the text, that scrolls with the content.
class UITextViewContent : public UIView {
 public:
  explicit UITextViewContent(UITextView& owner) : UIView(CGRectZero), owner_(owner) {
    setBackgroundColor(UIColor::clearColor());
  }
  NS_CLASS(UITextViewContent, UIView)
 public:
  void drawRect(CGRect) override {
    auto ctx = UIGraphicsGetCurrentContext();
    const auto& color = owner_.textColor_;
    ctx->setFillColorWithColor(color ? color->CGColor() : UIColor::blackColor()->CGColor());
    CGRect b = bounds();
    drawInRect(owner_.text_,
               CGRectMake(UITextView::kInset, UITextView::kInset,
                          std::max<CGFloat>(0, b.size.width - 2 * UITextView::kInset),
                          std::max<CGFloat>(0, b.size.height - 2 * UITextView::kInset)),
               owner_.font_, UILineBreakModeWordWrap, owner_.alignment_);
  }

 private:
  UITextView& owner_;
};

UITextView::UITextView(CGRect frame)
    : UIScrollView(frame), font_(UIFont::systemFontOfSize(12)), textColor_(UIColor::blackColor()) {
  setBackgroundColor(UIColor::whiteColor());
  content_ = std::make_shared<UITextViewContent>(*this);
  addSubview(content_);
  setShowsHorizontalScrollIndicator(false);
}

std::shared_ptr<UITextView> UITextView::selfPtr() {
  return std::static_pointer_cast<UITextView>(weak_from_this().lock());
}

void UITextView::setDelegate(std::weak_ptr<UITextViewDelegate> delegate) {
  textDelegate_ = delegate;
  UIScrollView::setDelegate(std::move(delegate));
}

CGFloat UITextView::textWidth() const {
  return std::max<CGFloat>(0, bounds().size.width - 2 * kInset);
}

void UITextView::layoutSubviews() {
  UIScrollView::layoutSubviews();
  CGSize text = sizeWithFont(text_.empty() ? std::string_view("") : std::string_view(text_), font_,
                             CGSizeMake(textWidth(), 1e7), UILineBreakModeWordWrap);
  CGFloat height = std::max(text.height, font_->lineHeight()) + 2 * kInset;
  CGSize size{bounds().size.width, height};
  if (contentSize() != size) setContentSize(size);
  CGRect frame = CGRectMake(0, 0, size.width, std::max(height, bounds().size.height));
  if (content_->frame() != frame) {
    content_->setFrame(frame);
    content_->setNeedsDisplay();
  }
}

void UITextView::textChanged() {
  content_->setNeedsDisplay();
  setNeedsLayout();
}

void UITextView::setText(std::string text) {
  text_ = std::move(text);
  selection_ = {utf16Length(text_), 0};
  textChanged();
}

void UITextView::setFont(std::shared_ptr<UIFont> font) {
  if (font) font_ = std::move(font);
  textChanged();
}

void UITextView::setTextColor(std::shared_ptr<UIColor> color) {
  textColor_ = std::move(color);
  content_->setNeedsDisplay();
}

void UITextView::setTextAlignment(UITextAlignment alignment) {
  alignment_ = alignment;
  content_->setNeedsDisplay();
}

void UITextView::setEditable(bool editable) {
  editable_ = editable;
  if (!editable && isFirstResponder()) forceResignFirstResponder();
}

void UITextView::scrollRangeToVisible(NSRange range) {
  layoutIfNeeded();
  range = clampedTextRange(range, utf16Length(text_));
  std::string before = substringToIndex(text_, range.location);
  CGFloat lineHeight = font_->lineHeight();
  CGFloat y = kInset;
  if (!before.empty())
    y += sizeWithFont(before, font_, CGSizeMake(textWidth(), 1e7), UILineBreakModeWordWrap).height -
         lineHeight;
  if (!before.empty() && before.back() == '\n') y += lineHeight;
  scrollRectToVisible(CGRectMake(0, y, 1, lineHeight + kInset), false);
}

// ---- editing

bool UITextView::becomeFirstResponder() {
  if (isFirstResponder()) return true;
  if (!canBecomeFirstResponder()) return false;
  if (auto d = textDelegate_.lock(); d && !d->textViewShouldBeginEditing(selfPtr())) return false;
  return UIResponder::becomeFirstResponder();
}

bool UITextView::canResignFirstResponder() const {
  auto d = textDelegate_.lock();
  auto self = std::static_pointer_cast<UITextView>(
      std::const_pointer_cast<NSObject>(weak_from_this().lock()));
  return !d || d->textViewShouldEndEditing(self);
}

void UITextView::didBecomeFirstResponder() {
  auto keep = selfPtr();
  editing_ = true;
  if (auto d = textDelegate_.lock()) d->textViewDidBeginEditing(keep);
  NSNotificationCenter::defaultCenter()->postNotificationName(
      UITextViewTextDidBeginEditingNotification, Value(std::static_pointer_cast<NSObject>(keep)));
}

void UITextView::didResignFirstResponder() {
  auto keep = selfPtr();
  editing_ = false;
  if (auto d = textDelegate_.lock()) d->textViewDidEndEditing(keep);
  NSNotificationCenter::defaultCenter()->postNotificationName(
      UITextViewTextDidEndEditingNotification, Value(std::static_pointer_cast<NSObject>(keep)));
}

void UITextView::touchesEnded(const UITouchSet& touches, UIEvent* event) {
  auto keep = selfPtr();
  if (editable_ && !isFirstResponder()) {
    becomeFirstResponder();
    return;
  }
  UIScrollView::touchesEnded(touches, event);
}

size_t UITextView::textLength() const {
  return utf16Length(text_);
}

void UITextView::setSelectedRange(NSRange range) {
  range = clampedTextRange(range, utf16Length(text_));
  bool changed = !(range == selection_);
  selection_ = range;
  if (changed && editing_) {
    if (auto d = textDelegate_.lock()) d->textViewDidChangeSelection(selfPtr());
  }
}

void UITextView::replace(NSRange range, std::string_view replacement) {
  auto keep = selfPtr();
  range = clampedTextRange(range, utf16Length(text_));
  auto d = textDelegate_.lock();
  if (d &&
      !d->textViewShouldChangeTextInRangeReplacementText(keep, range, std::string(replacement)))
    return;
  text_ = textByReplacingRange(text_, range, replacement);
  selection_ = {range.location + utf16Length(replacement), 0};
  textChanged();
  if (d) d->textViewDidChangeSelection(keep);
  if (d) d->textViewDidChange(keep);
  NSNotificationCenter::defaultCenter()->postNotificationName(
      UITextViewTextDidChangeNotification, Value(std::static_pointer_cast<NSObject>(keep)));
  scrollRangeToVisible(selection_);
}

void UITextView::insertText(std::string_view text) {
  if (editing_) replace(selection_, text);
}

void UITextView::deleteBackward() {
  if (!editing_) return;
  NSRange r = rangeForBackspace(text_, selection_);
  if (r.length > 0) replace(r, "");
}

void UITextView::describeAttributes(std::string& line) const {
  UIScrollView::describeAttributes(line);
  if (!text_.empty()) line += " text=" + quoted(text_);
  if (!editable_) line += " readOnly";
  if (editing_) line += " editing";
}

bool UITextView::dumpsSubview(const UIView& v) const {
  return &v != content_.get();
}

NS_CLASS_IMPLEMENTATION(UITextView) {}
NS_CLASS_IMPLEMENTATION(UITextViewContent) {}

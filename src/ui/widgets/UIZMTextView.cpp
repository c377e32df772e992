#include "ui/widgets/UIZMTextView.h"

#include <cstdlib>

#include "CoreGraphics/CGContext.h"
#include "Foundation/NSClass.h"
#include "Foundation/NSNotificationCenter.h"
#include "UIKit/UIApplication.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIGraphics.h"
#include "UIKit/UIKeyboard.h"
#include "UIKit/UITouch.h"

namespace {

void clearCurTextView() {
  auto app = UIApplication::sharedApplication();
  if (!app) return;
  if (auto d = std::dynamic_pointer_cast<NSObject>(app->delegate()))
    d->setValueForKey(Value(), "curTextView");
}

}  // namespace

// The centre drops observers whose target has gone, so only the delegate's text view is left
// to clear.
UIZMTextView::~UIZMTextView() {
  clearCurTextView();
}

std::shared_ptr<UIZMTextView> UIZMTextView::initWithFrame(CGRect frame) {
  auto view = std::make_shared<UIZMTextView>(frame);
  view->setup();
  return view;
}

void UIZMTextView::setup() {
  placeholderText_.clear();
  placeholderColor_ = UIColor::lightGrayColor();
  CGSize size = frame().size;
  placeholderLabel_ =
      std::make_shared<UILabel>(CGRectMake(8, 8, size.width - 16, size.height - 16));
  placeholderLabel_->setLineBreakMode(UILineBreakModeWordWrap);
  placeholderLabel_->setNumberOfLines(0);
  placeholderLabel_->setBackgroundColor(UIColor::clearColor());
  placeholderLabel_->setAlpha(0);
  addSubview(placeholderLabel_);
  sendSubviewToBack(placeholderLabel_);
  auto center = NSNotificationCenter::defaultCenter();
  auto self = weakSelf<UIZMTextView>();
  center->addObserver(self, selector(self, &UIZMTextView::textChanged, "textChanged:"),
                      UITextViewTextDidChangeNotification);
  center->addObserver(self, selector(self, &UIZMTextView::keyboardWillShow, "keyboardWillShow:"),
                      UIKeyboardWillShowNotification);
  center->addObserver(self, selector(self, &UIZMTextView::keyboardWillHide, "keyboardWillHide:"),
                      UIKeyboardWillHideNotification);
}

void UIZMTextView::textChanged(const Value&) {
  if (placeholderText_.empty()) return;
  placeholderLabel_->setAlpha(text().empty() ? 0.8 : 0);
}

void UIZMTextView::keyboardWillShow(const Value&) {
  keyboardShowed_ = true;
  clearCurTextView();
}

void UIZMTextView::keyboardWillHide(const Value&) {
  keyboardShowed_ = false;
}

void UIZMTextView::drawRect(CGRect rect) {
  UITextView::drawRect(rect);
  if (!placeholderText_.empty()) {
    placeholderLabel_->setAlpha(0);
    placeholderLabel_->setFont(font());
    placeholderLabel_->setTextColor(placeholderColor_);
    placeholderLabel_->setText(placeholderText_);
    placeholderLabel_->sizeToFit();
    if (text().empty()) placeholderLabel_->setAlpha(0.8);
  }
  if (!needDrawLine_) return;
  auto ctx = UIGraphicsGetCurrentContext();
  if (!ctx || !font()) return;
  CGFloat leading = font()->lineHeight();
  if (leading <= 0) return;
  ctx->setStrokeColorWithColor(
      UIColor::colorWithRed(234.0 / 255, 90.0 / 255, 139.0 / 255, 1)->CGColor());
  ctx->setLineWidth(1);
  ctx->setLineDash(0, {2, 2});
  CGRect b = bounds();
  long count = long((b.size.height + contentSize().height) / leading);
  ctx->beginPath();
  for (long i = 1; i <= count; ++i) {
    CGFloat y = leading * CGFloat(i) + 6.5;
    ctx->moveToPoint(b.origin.x, y);
    ctx->addLineToPoint(b.size.width, y);
  }
  ctx->closePath();
  ctx->strokePath();
}

void UIZMTextView::touchesBegan(const UITouchSet& touches, UIEvent* event) {
  UITextView::touchesBegan(touches, event);
  isMove_ = false;
  if (auto touch = touches.anyObject()) start_ = long(touch->locationInView(this).y);
  keyboardShowed_ = true;
}

void UIZMTextView::touchesMoved(const UITouchSet& touches, UIEvent* event) {
  UITextView::touchesMoved(touches, event);
  isMove_ = true;
}

void UIZMTextView::touchesEnded(const UITouchSet& touches, UIEvent* event) {
  UITextView::touchesEnded(touches, event);
  if (auto touch = touches.anyObject()) end_ = long(touch->locationInView(this).y);
  if (isMove_ && std::labs(start_ - end_) > kDragReport) {
    auto d = textDelegate_.lock();
    if (d && d->respondsToSelector("touchMoved")) d->touchMoved();
  }
  isMove_ = false;
}

NS_CLASS_IMPLEMENTATION(UIZMTextView) {
  c.property("placeholderText", &UIZMTextView::placeholderText, &UIZMTextView::setPlaceholderText);
  c.property("needDrawLine", &UIZMTextView::needDrawLine, &UIZMTextView::setNeedDrawLine);
}

#include "UIKit/UIActionSheet.h"

#include <algorithm>

#include "Foundation/NSClass.h"
#include "UIKit/UIButton.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIFont.h"
#include "UIKit/UILabel.h"
#include "UIKit/UIWindow.h"

namespace {

constexpr CGFloat kMargin = 20, kGap = 8;

// Main thread only.
std::vector<std::shared_ptr<UIActionSheet>>& shown() {
  static std::vector<std::shared_ptr<UIActionSheet>> list;
  return list;
}

// The dimmed screen behind a sheet, which takes the touches that miss it.
class UIDimmingView : public UIView {
 public:
  explicit UIDimmingView(CGRect frame) : UIView(frame) {
    setBackgroundColor(UIColor::colorWithWhite(0, 0.4));
  }
  NS_CLASS(UIDimmingView, UIView)
 public:
  void touchesBegan(const UITouchSet&, UIEvent*) override {}
  void touchesEnded(const UITouchSet&, UIEvent*) override {}
};

}  // namespace

UIActionSheet::UIActionSheet(std::string title, std::weak_ptr<UIActionSheetDelegate> delegate,
                             std::string cancelButtonTitle, std::string destructiveButtonTitle,
                             std::vector<std::string> otherButtonTitles)
    : UIView(CGRectZero), title_(std::move(title)), delegate_(std::move(delegate)) {
  setBackgroundColor(UIColor::colorWithRed(0.1, 0.12, 0.15, 0.92));
  if (!destructiveButtonTitle.empty()) {
    destructiveIndex_ = 0;
    buttons_.push_back(std::move(destructiveButtonTitle));
  }
  for (auto& t : otherButtonTitles) buttons_.push_back(std::move(t));
  if (!cancelButtonTitle.empty()) {
    cancelIndex_ = long(buttons_.size());
    buttons_.push_back(std::move(cancelButtonTitle));
  }
}

std::shared_ptr<UIActionSheet> UIActionSheet::selfPtr() {
  return std::static_pointer_cast<UIActionSheet>(weak_from_this().lock());
}

void UIActionSheet::setTitle(std::string title) {
  title_ = std::move(title);
  if (visible_) rebuildButtons();
}

long UIActionSheet::addButtonWithTitle(std::string title) {
  buttons_.push_back(std::move(title));
  if (visible_) rebuildButtons();
  return long(buttons_.size()) - 1;
}

std::string UIActionSheet::buttonTitleAtIndex(long index) const {
  if (index < 0 || index >= numberOfButtons()) return {};
  return buttons_[size_t(index)];
}

void UIActionSheet::setCancelButtonIndex(long index) {
  cancelIndex_ = index >= 0 && index < numberOfButtons() ? index : -1;
}

void UIActionSheet::setDestructiveButtonIndex(long index) {
  destructiveIndex_ = index >= 0 && index < numberOfButtons() ? index : -1;
}

long UIActionSheet::firstOtherButtonIndex() const {
  for (long i = 0; i < numberOfButtons(); ++i)
    if (i != cancelIndex_ && i != destructiveIndex_) return i;
  return -1;
}

void UIActionSheet::rebuildButtons() {
  for (auto& b : buttonViews_) b->removeFromSuperview();
  buttonViews_.clear();
  if (titleLabel_) titleLabel_->removeFromSuperview();
  titleLabel_.reset();
  if (!title_.empty()) {
    auto label = std::make_shared<UILabel>(CGRectZero);
    label->setText(title_);
    label->setFont(UIFont::systemFontOfSize(13));
    label->setTextColor(UIColor::colorWithWhite(0.85, 1));
    label->setBackgroundColor(UIColor::clearColor());
    label->setTextAlignment(UITextAlignmentCenter);
    label->setNumberOfLines(0);
    titleLabel_ = label;
    addSubview(label);
  }
  for (long i = 0; i < numberOfButtons(); ++i) {
    auto button = std::make_shared<UIButton>(CGRectZero);
    button->setTitle(buttons_[size_t(i)], UIControlStateNormal);
    button->titleLabel()->setFont(UIFont::boldSystemFontOfSize(19));
    bool light = i != cancelIndex_ && i != destructiveIndex_;
    button->setTitleColor(light ? UIColor::blackColor() : UIColor::whiteColor(),
                          UIControlStateNormal);
    button->setBackgroundColor(i == destructiveIndex_ ? UIColor::colorWithRed(0.85, 0.15, 0.1, 1)
                               : i == cancelIndex_    ? UIColor::colorWithWhite(0.3, 1)
                                                      : UIColor::colorWithWhite(0.97, 1));
    button->layer()->setCornerRadius(6);
    std::weak_ptr<NSObject> weak = weak_from_this();
    button->addTarget(
        UIControlAction{"buttonClicked:", weak,
                        [weak, i](UIControl&, UIEvent*) {
                          if (auto s = std::static_pointer_cast<UIActionSheet>(weak.lock()))
                            s->tapped(i);
                        }},
        UIControlEventTouchUpInside);
    buttonViews_.push_back(button);
    addSubview(button);
  }
  setNeedsLayout();
}

CGFloat UIActionSheet::heightForWidth(CGFloat width) {
  CGFloat y = kGap * 2;
  if (titleLabel_) {
    CGSize s = titleLabel_->sizeThatFits({width - 2 * kMargin, 0});
    y += s.height + kGap * 2;
  }
  for (long i = 0; i < numberOfButtons(); ++i)
    y += kButtonHeight + kGap + (i == cancelIndex_ ? kGap : 0);
  return y + kGap;
}

void UIActionSheet::layoutSubviews() {
  CGFloat width = bounds().size.width;
  CGFloat y = kGap * 2;
  if (titleLabel_) {
    CGSize s = titleLabel_->sizeThatFits({width - 2 * kMargin, 0});
    titleLabel_->setFrame(CGRectMake(kMargin, y, width - 2 * kMargin, s.height));
    y += s.height + kGap * 2;
  }
  // In index order, the cancel button last and set apart.
  std::vector<long> order;
  for (long i = 0; i < numberOfButtons(); ++i)
    if (i != cancelIndex_) order.push_back(i);
  if (cancelIndex_ >= 0) order.push_back(cancelIndex_);
  for (long i : order) {
    if (i == cancelIndex_) y += kGap;
    buttonViews_[size_t(i)]->setFrame(CGRectMake(kMargin, y, width - 2 * kMargin, kButtonHeight));
    y += kButtonHeight + kGap;
  }
}

void UIActionSheet::showInView(const std::shared_ptr<UIView>& view) {
  auto self = selfPtr();
  auto window = view ? view->window() : nullptr;
  if (!self || !window || visible_) return;
  if (auto d = delegate_.lock()) d->willPresentActionSheet(self);
  visible_ = true;
  shown().push_back(self);
  rebuildButtons();
  CGRect b = window->bounds();
  dimming_ = std::make_shared<UIDimmingView>(b);
  CGFloat height = heightForWidth(b.size.width);
  setFrame(CGRectMake(0, b.size.height - height, b.size.width, height));
  dimming_->addSubview(self);
  window->addSubview(dimming_);
  std::weak_ptr<NSObject> weak = weak_from_this();
  UIView::animateWithDuration(kAnimationDuration, {}, [weak](bool) {
    auto s = std::static_pointer_cast<UIActionSheet>(weak.lock());
    if (!s || !s->visible_) return;
    if (auto d = s->delegate_.lock()) d->didPresentActionSheet(s);
  });
}

void UIActionSheet::tapped(long index) {
  auto self = selfPtr();
  if (!visible_) return;
  if (auto d = delegate_.lock()) d->actionSheetClickedButtonAtIndex(self, index);
  dismissWithClickedButtonIndex(index, true);
}

void UIActionSheet::dismissWithClickedButtonIndex(long index, bool animated) {
  auto self = selfPtr();
  if (!self || !visible_) return;
  visible_ = false;
  std::erase(shown(), self);
  if (auto d = delegate_.lock()) d->actionSheetWillDismissWithButtonIndex(self, index);
  auto finish = [self, index] {
    if (self->dimming_) self->dimming_->removeFromSuperview();
    self->removeFromSuperview();
    self->dimming_.reset();
    if (auto d = self->delegate_.lock()) d->actionSheetDidDismissWithButtonIndex(self, index);
  };
  if (!animated) {
    finish();
    return;
  }
  // Down and out; the sheet takes no more touches on its way.
  setUserInteractionEnabled(false);
  CGRect f = frame();
  setFrame(CGRectOffset(f, 0, f.size.height));
  UIView::animateWithDuration(kAnimationDuration, {}, [self, finish](bool) {
    self->setUserInteractionEnabled(true);
    finish();
  });
}

std::vector<std::shared_ptr<UIActionSheet>> UIActionSheet::visibleActionSheets() {
  return shown();
}

void UIActionSheet::removeAllVisibleActionSheets() {
  auto list = std::move(shown());
  shown().clear();
  for (auto& s : list) {
    s->visible_ = false;
    if (s->dimming_) s->dimming_->removeFromSuperview();
    s->removeFromSuperview();
    s->dimming_.reset();
  }
}

void UIActionSheet::describeAttributes(std::string& line) const {
  if (!title_.empty()) line += " title=" + quoted(title_);
}

NS_CLASS_IMPLEMENTATION(UIActionSheet) {}
NS_CLASS_IMPLEMENTATION(UIDimmingView) {}

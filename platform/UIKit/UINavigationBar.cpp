#include "UIKit/UINavigationBar.h"

#include <algorithm>
#include <cmath>

#include "Foundation/NSClass.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIFont.h"
#include "UIKit/UILabel.h"
#include "UIKit/UIToolbar.h"

namespace {

constexpr CGFloat kEdge = 5;

}  // namespace

void UINavigationBar::adopt(const std::shared_ptr<UINavigationItem>& item) {
  if (item) item->bar_ = weak_from_this();
}

void UINavigationBar::setItems(std::vector<std::shared_ptr<UINavigationItem>> items, bool) {
  items_ = std::move(items);
  for (auto& item : items_) adopt(item);
  setNeedsLayout();
  layoutIfNeeded();
}

void UINavigationBar::pushNavigationItem(std::shared_ptr<UINavigationItem> item, bool animated) {
  if (!item) return;
  auto items = items_;
  items.push_back(std::move(item));
  setItems(std::move(items), animated);
}

std::shared_ptr<UINavigationItem> UINavigationBar::popNavigationItemAnimated(bool animated) {
  if (items_.empty()) return nullptr;
  auto items = items_;
  auto top = items.back();
  items.pop_back();
  setItems(std::move(items), animated);
  return top;
}

std::shared_ptr<UINavigationItem> UINavigationBar::topItem() const {
  return items_.empty() ? nullptr : items_.back();
}

std::shared_ptr<UINavigationItem> UINavigationBar::backItem() const {
  return items_.size() < 2 ? nullptr : items_[items_.size() - 2];
}

void UINavigationBar::setTintColor(std::shared_ptr<UIColor> color) {
  bool same = color && tintColor_ ? color->isEqual(*tintColor_) : color == tintColor_;
  tintColor_ = std::move(color);
  if (!same) setNeedsDisplay();
}

void UINavigationBar::itemChanged(const UINavigationItem& item) {
  if (topItem().get() != &item) return;
  setNeedsLayout();
  layoutIfNeeded();
}

void UINavigationBar::layoutSubviews() {
  auto top = topItem();
  std::shared_ptr<UIView> left, right, middle;
  if (top) {
    if (top->leftBarButtonItem()) left = top->leftBarButtonItem()->view();
    if (top->rightBarButtonItem()) right = top->rightBarButtonItem()->view();
    middle = top->titleView();
    if (!middle && !top->title().empty()) {
      if (!itemTitleLabel_) {
        itemTitleLabel_ = std::make_shared<UILabel>(CGRectZero);
        itemTitleLabel_->setFont(UIFont::boldSystemFontOfSize(20));
        itemTitleLabel_->setTextColor(UIColor::whiteColor());
        itemTitleLabel_->setBackgroundColor(UIColor::clearColor());
        itemTitleLabel_->setTextAlignment(UITextAlignmentCenter);
      }
      itemTitleLabel_->setText(top->title());
      itemTitleLabel_->sizeToFit();
      middle = itemTitleLabel_;
    }
  }
  // Views placed for an earlier top item go, unless someone else took them meanwhile.
  std::vector<std::shared_ptr<UIView>> shown = {left, right, middle};
  for (auto& weak : placed_) {
    auto view = weak.lock();
    if (view && view->superview().get() == this &&
        std::find(shown.begin(), shown.end(), view) == shown.end())
      view->removeFromSuperview();
  }
  placed_.clear();

  CGRect b = bounds();
  auto centreY = [&](const std::shared_ptr<UIView>& v) {
    return std::floor((b.size.height - v->frame().size.height) / 2);
  };
  CGFloat leftEnd = kEdge, rightStart = b.size.width - kEdge;
  if (left) {
    CGRect f = left->frame();
    left->setFrame(CGRectMake(kEdge, centreY(left), f.size.width, f.size.height));
    leftEnd = kEdge + f.size.width;
  }
  if (right) {
    CGRect f = right->frame();
    rightStart = b.size.width - kEdge - f.size.width;
    right->setFrame(CGRectMake(rightStart, centreY(right), f.size.width, f.size.height));
  }
  if (middle) {
    CGRect f = middle->frame();
    CGFloat width = std::min(f.size.width, std::max(0.0, rightStart - leftEnd));
    CGFloat x = std::floor((b.size.width - width) / 2);
    x = std::clamp(x, leftEnd, std::max(leftEnd, rightStart - width));
    middle->setFrame(CGRectMake(x, centreY(middle), width, f.size.height));
  }
  for (auto& v : shown) {
    if (!v) continue;
    if (v->superview().get() != this) addSubview(v);
    placed_.push_back(v);
  }
}

namespace {

UINavigationBar::DrawHook& drawHook() {
  static UINavigationBar::DrawHook hook;
  return hook;
}

}  // namespace

void UINavigationBar::setDrawHook(DrawHook hook) {
  drawHook() = std::move(hook);
}

void UINavigationBar::drawRect(CGRect) {
  if (const auto& hook = drawHook()) return hook(*this);
  UIDrawBarGradient(bounds(), tintColor_);
}

NS_CLASS_IMPLEMENTATION(UINavigationBar) {}

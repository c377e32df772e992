#include "ui/widgets/SlideTabBar.h"

#include "Common/Additions/UIImage+Resize.h"
#include "Foundation/NSClass.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIFont.h"
#include "UIKit/UIImage.h"
#include "UIKit/UILabel.h"

namespace {

constexpr CGFloat kBarWidth = 320;
constexpr CGFloat kButtonHeight = 44;

CGFloat tabWidth(size_t count) {
  return count ? kBarWidth / CGFloat(count) : kBarWidth;
}

}  // namespace

void setTabBarNewsBadge(UIView& bar, size_t index, bool isNews) {
  long tag = SlideTabBar::kNewsBadgeTag + long(index);
  if (!isNews) {
    if (auto badge = bar.viewWithTag(tag)) badge->removeFromSuperview();
    return;
  }
  if (bar.viewWithTag(tag)) return;
  auto badge = std::make_shared<UIImageView>(CGRectMake(64 * CGFloat(index) + 49, 0, 15, 15));
  badge->setImage(imageFileNamed("showBarNews"));
  badge->setTag(tag);
  bar.addSubview(badge);
}

SlideTabBar::SlideTabBar(CGRect frame) : UIView(frame) {
  setBackgroundColor(UIColor::clearColor());
  backgroundView_ = std::make_shared<UIImageView>(bounds());
  addSubview(backgroundView_);
}

std::shared_ptr<SlideTabBar> SlideTabBar::initWithFrame(CGRect frame, const Value& buttonImages) {
  auto bar = std::make_shared<SlideTabBar>(frame);
  size_t count = buttonImages.count();
  CGFloat w = tabWidth(count);
  for (size_t i = 0; i < count; ++i) {
    const Value tab = buttonImages[i];
    auto button = bar->makeButton(tab, i, w);
    bar->buttons_.push_back(button);
    bar->addSubview(button);

    auto caption = std::make_shared<UILabel>(CGRectMake(w * CGFloat(i), 25, w, 32));
    caption->setBackgroundColor(UIColor::clearColor());
    caption->setTextAlignment(UITextAlignmentCenter);
    caption->setTextColor(UIColor::whiteColor());
    caption->setFont(UIFont::boldSystemFontOfSize(12));
    caption->setText(textOf(tab["Text"]));
    bar->addSubview(caption);
  }
  return bar;
}

std::shared_ptr<UIButton> SlideTabBar::makeButton(const Value& tab, size_t index, CGFloat w) {
  auto button = UIButton::buttonWithType(UIButtonType::Custom);
  button->setFrame(CGRectMake(w * CGFloat(index), 0, w, kButtonHeight));
  button->setShowsTouchWhenHighlighted(true);
  button->setTag(long(index));
  button->setImage(tab["Default"].object<UIImage>(), UIControlStateNormal);
  button->setImage(tab["Highlighted"].object<UIImage>(), UIControlStateHighlighted);
  button->setImage(tab["Selected"].object<UIImage>(), UIControlStateSelected);
  if (auto both = tab["Selected|Highlighted"].object<UIImage>())
    button->setImage(both, UIControlStateSelected | UIControlStateHighlighted);
  button->addTarget(
      selector(weakSelf<SlideTabBar>(), &SlideTabBar::tabBarButtonClicked, "tabBarButtonClicked:"),
      UIControlEventTouchUpInside);
  return button;
}

void SlideTabBar::setBackgroundImage(std::shared_ptr<UIImage> image) {
  backgroundView_->setImage(std::move(image));
}

void SlideTabBar::setAnimatedView(std::shared_ptr<UIView> view) {
  animatedView_ = std::move(view);
  if (animatedView_) addSubview(animatedView_);
}

void SlideTabBar::tabBarButtonClicked(const Value& sender) {
  auto button = sender.object<UIButton>();
  if (!button || button->tag() < 0) return;
  size_t index = size_t(button->tag());
  if (auto d = delegate_.lock(); d && !d->tabBarShouldSelectIndex(*this, index)) return;
  selectTabAtIndex(index);
}

void SlideTabBar::selectTabAtIndex(size_t index) {
  if (index >= buttons_.size()) return;
  curSelectIndex_ = index;
  for (auto& b : buttons_) b->setSelected(false);
  auto selected = buttons_[index];
  selected->setSelected(true);
  if (auto d = delegate_.lock()) d->tabBarDidSelectIndex(*this, size_t(selected->tag()));
  if (!animatedView_) return;
  auto marker = animatedView_;
  CGFloat x = selected->frame().origin.x;
  UIView::animateWithDuration(0.2, [marker, x] {
    CGRect f = marker->frame();
    f.origin.x = x;
    marker->setFrame(f);
  });
}

void SlideTabBar::layOutButtons() {
  CGFloat w = tabWidth(buttons_.size());
  for (auto& b : buttons_)
    b->setFrame(CGRectMake(w * CGFloat(b->tag()), 0, w, frame().size.height));
}

void SlideTabBar::removeTabAtIndex(size_t index) {
  if (index >= buttons_.size()) return;
  buttons_[index]->removeFromSuperview();
  buttons_.erase(buttons_.begin() + long(index));
  for (auto& b : buttons_)
    if (b->tag() > long(index)) b->setTag(b->tag() - 1);
  layOutButtons();
}

void SlideTabBar::insertTabWithImageDic(const Value& dictionary, size_t index) {
  if (index > buttons_.size()) return;
  for (auto& b : buttons_)
    if (b->tag() >= long(index)) b->setTag(b->tag() + 1);
  auto button = makeButton(dictionary, index, tabWidth(buttons_.size() + 1));
  buttons_.insert(buttons_.begin() + long(index), button);
  layOutButtons();
  addSubview(button);
}

NS_CLASS_IMPLEMENTATION(SlideTabBar) {}

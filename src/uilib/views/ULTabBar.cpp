#include "uilib/views/ULTabBar.h"

#include <algorithm>
#include <cmath>

#include "Foundation/NSClass.h"
#include "UIKit/UIColor.h"
#include "uilib/style/ULStyleSheet.h"

// ---- ULTabItem

void ULTabItem::setBadgeNumber(long number) {
  number = std::max(0L, number);
  badgeNumber_ = number;
  if (auto tab = tabBar()) tab->tabItemBadgeNumberChanged(*this, number);
}

// ---- ULTab

std::shared_ptr<ULTab> ULTab::tabWithItem(const std::shared_ptr<ULTabItem>& item) {
  auto tab = std::make_shared<ULTab>();
  tab->setTabItem(item);
  return tab;
}

void ULTab::setTabItem(std::shared_ptr<ULTabItem> item) {
  if (item == tabItem_) return;
  if (tabItem_) tabItem_->setTabBar({});
  tabItem_ = std::move(item);
  if (!tabItem_) return;
  tabItem_->setTabBar(self<ULTab>());
  setTitle(tabItem_->title(), UIControlStateNormal);
  setImage(tabItem_->icon(), UIControlStateNormal);
  if (tabItem_->badgeNumber() != 0) updateBadgeNumber();
}

void ULTab::tabItemBadgeNumberChanged(ULTabItem&, long) {
  updateBadgeNumber();
}

void ULTab::updateBadgeNumber() {
  long number = tabItem_ ? tabItem_->badgeNumber() : 0;
  if (number == 0) {
    if (badge_) badge_->setHidden(true);
    return;
  }
  if (!badge_) {
    badge_ = std::make_shared<ULLabel>();
    badge_->setStyle(ULStyleSheet::globalStyleSheet()->styleWithSelector("badge"));
    badge_->setBackgroundColor(UIColor::clearColor());
    badge_->setUserInteractionEnabled(false);
    addSubview(badge_);
  }
  badge_->setText(number > ULMaxBadgeNumber ? std::to_string(ULMaxBadgeNumber) + "+"
                                            : std::to_string(number));
  badge_->sizeToFit();
  placeBadge();
  badge_->setHidden(false);
}

void ULTab::placeBadge() {
  CGSize size = badge_->frame().size;
  badge_->setFrame(CGRectMake(bounds().size.width - size.width - 1, 1, size.width, size.height));
}

void ULTab::layoutSubviews() {
  ULButton::layoutSubviews();
  if (badge_) placeBadge();
}

// ---- ULTabBar

ULTabBar::ULTabBar(CGRect frame) : ULView(frame) {
  setStyle(ULStyleSheet::globalStyleSheet()->styleWithSelector("tabBar"));
}

void ULTabBar::setTabItems(std::vector<std::shared_ptr<ULTabItem>> items) {
  tabItems_ = std::move(items);
  for (auto& tab : tabViews_) tab->removeFromSuperview();
  tabViews_.clear();
  // The old index is tested against the now empty list of tabs, so the first tab is always
  // the selected one afterwards; the delegate is not told.
  selectedTabIndex_ = 0;
  std::weak_ptr<ULTabBar> weakBar = self<ULTabBar>();
  for (size_t i = 0; i < tabItems_.size(); ++i) {
    auto tab = ULTab::tabWithItem(tabItems_[i]);
    tab->setStylesWithSelector(tabStyle_);
    tab->addTarget(
        UIControlAction{"tabTouchedUp:", weakBar,
                        [weakBar](UIControl& sender, UIEvent*) {
                          auto bar = weakBar.lock();
                          auto tab = std::dynamic_pointer_cast<ULTab>(sender.shared_from_this());
                          if (bar && tab) bar->tabTouchedUp(tab);
                        }},
        UIControlEventTouchUpInside);
    addTab(tab);
    tabViews_.push_back(tab);
    if (long(i) == selectedTabIndex_) tab->setSelected(true);
  }
  setNeedsLayout();
}

void ULTabBar::addTab(const std::shared_ptr<ULTab>& tab) {
  addSubview(tab);
}

void ULTabBar::tabTouchedUp(const std::shared_ptr<ULTab>& tab) {
  setSelectedTabView(tab);
}

void ULTabBar::setSelectedTabIndex(long index) {
  if (index == selectedTabIndex_) return;
  auto keep = weak_from_this().lock();
  if (auto old = selectedTabView()) old->setSelected(false);
  selectedTabIndex_ = index;
  if (auto now = selectedTabView()) now->setSelected(true);
  if (auto d = delegate()) d->tabBarTabSelected(*this, index);
}

std::shared_ptr<ULTabItem> ULTabBar::selectedTabItem() const {
  if (selectedTabIndex_ == ULTabBarNoSelection || selectedTabIndex_ < 0 ||
      size_t(selectedTabIndex_) >= tabItems_.size())
    return nullptr;
  return tabItems_[size_t(selectedTabIndex_)];
}

void ULTabBar::setSelectedTabItem(const std::shared_ptr<ULTabItem>& item) {
  auto it = std::find(tabItems_.begin(), tabItems_.end(), item);
  setSelectedTabIndex(it == tabItems_.end() ? ULTabBarNoSelection : long(it - tabItems_.begin()));
}

std::shared_ptr<ULTab> ULTabBar::selectedTabView() const {
  if (selectedTabIndex_ == ULTabBarNoSelection || selectedTabIndex_ < 0 ||
      size_t(selectedTabIndex_) >= tabViews_.size())
    return nullptr;
  return tabViews_[size_t(selectedTabIndex_)];
}

void ULTabBar::setSelectedTabView(const std::shared_ptr<ULTab>& tab) {
  auto it = std::find(tabViews_.begin(), tabViews_.end(), tab);
  setSelectedTabIndex(it == tabViews_.end() ? ULTabBarNoSelection : long(it - tabViews_.begin()));
}

void ULTabBar::showTabAtIndex(long index) {
  if (index >= 0 && size_t(index) < tabViews_.size()) tabViews_[size_t(index)]->setHidden(false);
}

void ULTabBar::hideTabAtIndex(long index) {
  if (index >= 0 && size_t(index) < tabViews_.size()) tabViews_[size_t(index)]->setHidden(true);
}

void ULTabBar::layoutSubviews() {
  ULView::layoutSubviews();
  layoutTabs();
}

CGSize ULTabBar::layoutTabs() {
  CGFloat x = ULTabMargin;
  CGFloat W = bounds().size.width, H = bounds().size.height;
  auto place = [&](const std::shared_ptr<ULTab>& tab, CGFloat width) {
    tab->setFrame(CGRectMake(x, 0, width, H));
    x += width;
  };
  if (contentMode() != UIViewContentMode::ScaleToFill) {
    for (auto& tab : tabViews_) {
      tab->sizeToFit();
      place(tab, tab->frame().size.width);
    }
    return CGSizeMake(x, H);
  }

  // The tabs share the bar's width.
  if (tabViews_.empty()) return CGSizeMake(x, H);
  auto count = CGFloat(tabViews_.size());
  CGFloat natural = 2 * ULTabMargin, content = 0, widest = 0;
  std::vector<CGFloat> widths;
  for (auto& tab : tabViews_) {
    tab->sizeToFit();
    CGFloat w = tab->frame().size.width;
    widths.push_back(w);
    natural += w;
    content += w - 2 * ULTabMargin;
    widest = std::max(widest, w);
  }
  CGFloat available = W - (2 * ULTabMargin + count * 2 * ULTabMargin);
  if (content > available) {
    // Shrink each tab's text room in proportion; tabs without text room leave the frames be.
    if (content == 0) return CGSizeMake(x, H);
    for (size_t i = 0; i < tabViews_.size(); ++i)
      place(tabViews_[i],
            std::ceil(available / content * (widths[i] - 2 * ULTabMargin)) + 2 * ULTabMargin);
  } else {
    CGFloat share = std::ceil((W - 2 * ULTabMargin) / count);
    bool ownWidths = widest > share && W - natural < ULTabMargin;
    for (size_t i = 0; i < tabViews_.size(); ++i)
      place(tabViews_[i], ownWidths ? widths[i] : share);
  }
  return CGSizeMake(x, H);
}

NS_CLASS_IMPLEMENTATION(ULTabItem) {
  c.property("title", &ULTabItem::title, &ULTabItem::setTitle);
}
NS_CLASS_IMPLEMENTATION(ULTab) {}
NS_CLASS_IMPLEMENTATION(ULTabBar) {
  c.property("tabStyle", &ULTabBar::tabStyle, &ULTabBar::setTabStyle);
}

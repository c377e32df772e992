#include "uilib/views/ULTabStrip.h"

#include <cmath>

#include "Foundation/NSClass.h"
#include "UIKit/UIColor.h"
#include "uilib/layout/ULGridLayout.h"
#include "uilib/style/ULStyleSheet.h"

// ---- ULTabStrip

ULTabStrip::ULTabStrip(CGRect frame) : ULTabBar(frame) {
  scrollView_ = std::make_shared<UIScrollView>(bounds());
  scrollView_->setScrollEnabled(true);
  scrollView_->setScrollsToTop(false);
  scrollView_->setShowsHorizontalScrollIndicator(false);
  scrollView_->setShowsVerticalScrollIndicator(false);
  scrollView_->setAutoresizingMask(UIViewAutoresizingFlexibleWidth);
  addSubview(scrollView_);
  setStyle(ULStyleSheet::globalStyleSheet()->styleWithSelector("tabStrip"));
  setTabStyle("tabRound:");
  setAutoresizingMask(UIViewAutoresizingFlexibleWidth);
}

void ULTabStrip::addTab(const std::shared_ptr<ULTab>& tab) {
  scrollView_->addSubview(tab);
  contentSizeCached_ = false;
}

void ULTabStrip::setTabItems(std::vector<std::shared_ptr<ULTabItem>> items) {
  ULTabBar::setTabItems(std::move(items));
  contentSizeCached_ = false;
  updateOverflow();
}

void ULTabStrip::layoutSubviews() {
  ULTabBar::layoutSubviews();
  updateOverflow();
}

CGSize ULTabStrip::layoutTabs() {
  if (contentSizeCached_) return contentSize_;
  CGPoint offset = scrollView_->contentOffset();
  CGSize size = ULTabBar::layoutTabs();
  scrollView_->setFrame(bounds());
  scrollView_->setContentSize(CGSizeMake(size.width + ULTabMargin, bounds().size.height));
  scrollView_->setContentOffset(offset);
  contentSize_ = size;
  contentSizeCached_ = true;
  return size;
}

std::shared_ptr<ULView> ULTabStrip::makeIndicator(const char* styleName) {
  auto indicator = std::make_shared<ULView>();
  indicator->setStyle(ULStyleSheet::globalStyleSheet()->styleWithSelector(styleName));
  indicator->setUserInteractionEnabled(false);
  indicator->setBackgroundColor(UIColor::clearColor());
  indicator->sizeToFit();
  addSubview(indicator);
  return indicator;
}

void ULTabStrip::updateOverflow() {
  CGFloat offset = scrollView_->contentOffset().x;
  CGFloat W = bounds().size.width;
  if (offset < scrollView_->contentSize().width - W) {
    if (!overflowRight_) overflowRight_ = makeIndicator("tabOverflowRight");
    CGRect f = overflowRight_->frame();
    f.origin.x = W - f.size.width;
    overflowRight_->setFrame(f);
    overflowRight_->setHidden(false);
  } else if (overflowRight_) {
    overflowRight_->setHidden(true);
  }
  if (offset > 0) {
    if (!overflowLeft_) overflowLeft_ = makeIndicator("tabOverflowLeft");
    overflowLeft_->setHidden(false);
  } else if (overflowLeft_) {
    overflowLeft_->setHidden(true);
  }
}

// ---- ULTabGrid

ULTabGrid::ULTabGrid(CGRect frame) : ULTabBar(frame) {
  setStyle(ULStyleSheet::globalStyleSheet()->styleWithSelector("tabGrid"));
}

void ULTabGrid::setTabItems(std::vector<std::shared_ptr<ULTabItem>> items) {
  ULTabBar::setTabItems(std::move(items));
  updateTabStyles();
}

long ULTabGrid::rowCount() const {
  if (columnCount_ < 1) return 0;
  auto count = long(tabViews().size());
  return (count + columnCount_ - 1) / columnCount_;
}

void ULTabGrid::updateTabStyles() {
  long cols = columnCount_, rows = rowCount(), all = rows * cols;
  const auto& tabs = tabViews();
  auto count = long(tabs.size());
  for (long i = 0; i < count; ++i) {
    const char* name;
    if (count > cols) {
      if (i == 0) {
        name = "tabGridTabTopLeft:";
      } else if (i == cols - 1) {
        name = "tabGridTabTopRight:";
      } else if (i == all - cols) {
        name = "tabGridTabBottomLeft:";
      } else if (i == all - 1) {
        name = "tabGridTabBottomRight:";
      } else {
        name = "tabGridTabCenter:";
      }
    } else if (i == 0) {
      name = "tabGridTabLeft:";
    } else if (i == cols - 1) {
      name = "tabGridTabRight:";
    } else {
      name = "tabGridTabCenter:";
    }
    tabs[size_t(i)]->setStylesWithSelector(name);
  }
}

CGSize ULTabGrid::layoutTabs() {
  CGSize size = frame().size;
  if (size.width == 0 || size.height == 0) return size;
  auto layout = std::make_shared<ULGridLayout>();
  layout->setPadding(1);
  layout->setColumnCount(columnCount_);
  std::vector<std::shared_ptr<UIView>> views(tabViews().begin(), tabViews().end());
  return layout->layoutSubviews(views, std::static_pointer_cast<UIView>(shared_from_this()));
}

CGSize ULTabGrid::sizeThatFits(CGSize size) const {
  const auto& tabs = tabViews();
  if (tabs.empty()) return size;
  CGSize own = ULTabBar::sizeThatFits(size);
  CGFloat tabHeight = tabs.front()->sizeThatFits(CGSizeZero).height;
  return CGSizeMake(size.width, own.height + tabHeight * CGFloat(rowCount()));
}

NS_CLASS_IMPLEMENTATION(ULTabStrip) {}
NS_CLASS_IMPLEMENTATION(ULTabGrid) {
  c.property("columnCount", &ULTabGrid::columnCount, &ULTabGrid::setColumnCount);
}

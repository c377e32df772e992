// Tab bars in other arrangements.
//
// ULTabStrip puts the row of tabs (styled "tabRound:") into a horizontally scrolling strip,
// with the content 10 points wider than the tabs; indicators show that more tabs lie to the
// right (while the strip is not scrolled to its end) or to the left (while it is scrolled
// away from its start).  The indicators follow the scrolling at the strip's next layout.
//
// ULTabGrid arranges the tabs in `columnCount` columns (3 unless set), one point apart, and
// styles each tab by its place: the corners of the grid round theirs, a single row rounds its
// two ends.  When the last row is not full, no tab takes the bottom-right corner.  Main thread.
#pragma once

#include <memory>

#include "UIKit/UIScrollView.h"
#include "uilib/views/ULTabBar.h"

class ULTabStrip : public ULTabBar {
  NS_CLASS(ULTabStrip, ULTabBar)

 public:
  ULTabStrip() : ULTabStrip(CGRectZero) {}
  explicit ULTabStrip(CGRect frame);

  const std::shared_ptr<UIScrollView>& scrollView() const { return scrollView_; }
  // nullptr until first needed.
  const std::shared_ptr<ULView>& overflowLeft() const { return overflowLeft_; }
  const std::shared_ptr<ULView>& overflowRight() const { return overflowRight_; }

  void setTabItems(std::vector<std::shared_ptr<ULTabItem>> items) override;
  void layoutSubviews() override;
  CGSize layoutTabs() override;
  void updateOverflow();

 protected:
  void addTab(const std::shared_ptr<ULTab>& tab) override;

 private:
  std::shared_ptr<ULView> makeIndicator(const char* styleName);

  std::shared_ptr<ULView> overflowLeft_, overflowRight_;
  std::shared_ptr<UIScrollView> scrollView_;
  bool contentSizeCached_ = false;
  CGSize contentSize_ = CGSizeZero;
};

class ULTabGrid : public ULTabBar {
  NS_CLASS(ULTabGrid, ULTabBar)

 public:
  ULTabGrid() : ULTabGrid(CGRectZero) {}
  explicit ULTabGrid(CGRect frame);

  long columnCount() const { return columnCount_; }
  void setColumnCount(long count) { columnCount_ = count; }
  // ceil(tabs / columns); 0 without columns.
  long rowCount() const;

  void setTabItems(std::vector<std::shared_ptr<ULTabItem>> items) override;
  void updateTabStyles();
  CGSize layoutTabs() override;
  // The offered width; the bar's height plus a row of tabs for each row (the offered size
  // without tabs).
  CGSize sizeThatFits(CGSize size) const override;

 private:
  long columnCount_ = 3;
};

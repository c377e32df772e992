#include "ui/framework/UIBaseView.h"

#include <cstdlib>

#include "Foundation/NSClass.h"
#include "Foundation/NSThread.h"
#include "UIKit/UIColor.h"
#include "core/NSGlobe.h"

namespace {

constexpr CGFloat kStripWidth = 320;
constexpr CGFloat kStripHeight = 65;
constexpr long kNearEnd = 1000;

}  // namespace

UIBaseView::~UIBaseView() = default;

void UIBaseView::initView() {
  auto table = getCurTableView();
  if (!table) return;
  PRRefreshTableHeaderView::attachToTable(*table, weakSelf<UIBaseView>(), refreshHeaderView_,
                                          downRefresh_, table->contentSize().height, kStripHeight);
  if (NSGlobe::getEngine()->getCurThemeSelect() != 1) {
    refreshHeaderView_->setCurActivityColor(UIColor::whiteColor());
    downRefresh_->setCurActivityColor(UIColor::whiteColor());
  }
  refreshHeaderView_->refreshLastUpdatedDate();
}

void UIBaseView::resetMoveView() {
  auto table = getCurTableView();
  if (!table || !downRefresh_) return;
  CGFloat content = table->contentSize().height;
  CGFloat height = table->frame().size.height;
  downRefresh_->setFrame(CGRectMake(0, content, kStripWidth, kStripHeight));
  if (content < height) downRefresh_->setFrame(CGRectMake(0, height, kStripWidth, kStripHeight));
}

void UIBaseView::reloadTableViewDataSource() {
  reloading_ = true;
  refresh();
  performSelectorAfterDelay(
      selector(weakView(), &UIBaseView::doneLoadingTableViewData, "doneLoadingTableViewData"),
      Value(), kRefreshShowSeconds);
}

void UIBaseView::doneLoadingTableViewData() {
  reloading_ = false;
  auto table = getCurTableView();
  if (refreshHeaderView_ && table)
    refreshHeaderView_->prRefreshScrollViewDataSourceDidFinishedLoading(*table);
}

void UIBaseView::reloadMoreTableViewDataSource() {
  moreing_ = true;
  loadMoreData();
}

void UIBaseView::doneMoreLoadingTableViewData() {
  moreing_ = false;
  auto table = getCurTableView();
  if (downRefresh_ && table) downRefresh_->prRefreshScrollViewDataSourceDidFinishedLoading(*table);
}

void UIBaseView::doneMoreLoadingTableViewDataNoAnimations() {
  if (downRefresh_) downRefresh_->prRefreshScrollViewDataSourceDidFinishedLoadingNoAnimations();
  moreing_ = false;
}

void UIBaseView::doneMoreLocalTableView() {
  performSelectorAfterDelay(selector(weakView(), &UIBaseView::doneMoreLoadingTableViewData,
                                     "doneMoreLoadingTableViewData"),
                            Value(), kLocalMoreSeconds);
}

void UIBaseView::doneLoadingAllTableViewData() {
  if (!moreing_) return;
  performSelectorOnMainThread(
      selector(weakView(), &UIBaseView::doneMoreLoadingTableViewDataNoAnimations,
               "doneMoreLoadingTableViewDataNoAnimations"),
      Value(), true);
}

void UIBaseView::scrollViewDidScroll(const std::shared_ptr<UIScrollView>& scrollView) {
  if (refreshHeaderView_) refreshHeaderView_->prRefreshScrollViewDidScroll(*scrollView);
  if (downRefresh_) downRefresh_->prRefreshScrollViewDidScroll(*scrollView);
}

void UIBaseView::scrollViewDidEndDraggingWillDecelerate(
    const std::shared_ptr<UIScrollView>& scrollView, bool) {
  if (refreshHeaderView_) refreshHeaderView_->prRefreshScrollViewDidEndDragging(*scrollView);
  if (downRefresh_) downRefresh_->prRefreshScrollViewDidEndDragging(*scrollView);
}

void UIBaseView::scrollViewDidEndDecelerating(const std::shared_ptr<UIScrollView>& scrollView) {
  long d = long(scrollView->contentSize().height - scrollView->contentOffset().y);
  if (std::labs(d) < kNearEnd) resetMoveView();
}

void UIBaseView::prRefreshTableHeaderDidTriggerRefresh(PRRefreshTableHeaderView&) {
  if (!moreing_) reloadTableViewDataSource();
}

void UIBaseView::prMoreRefreshTableHeaderDidTriggerRefresh(PRRefreshTableHeaderView&) {
  if (!reloading_) reloadMoreTableViewDataSource();
}

std::optional<NSDateValue> UIBaseView::prRefreshTableHeaderDataSourceLastUpdated(
    PRRefreshTableHeaderView&) {
  return NSDate::date();
}

NS_CLASS_IMPLEMENTATION(UIBaseView) {
  c.method("initView", &UIBaseView::initView);
  c.method("resetMoveView", &UIBaseView::resetMoveView);
}

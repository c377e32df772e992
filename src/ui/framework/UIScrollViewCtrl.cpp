#include "ui/framework/UIScrollViewCtrl.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "Foundation/NSBundle.h"
#include "Foundation/NSClass.h"
#include "Foundation/NSThread.h"
#include "UIKit/UIBarButtonItem.h"
#include "UIKit/UINavigationController.h"
#include "UIKit/UINavigationItem.h"
#include "core/NSObject+UIViewBusy.h"
#include "model/Status.h"
#include "net/http/Reachability.h"
#include "ui/framework/PHProgressHUD.h"
#include "ui/framework/UIZMBarButtonItem.h"
#include "ui/framework/UIZMButtonLabel.h"

namespace {

constexpr CGFloat kBarHeight = 44;
constexpr CGFloat kStripWidth = 320;
constexpr CGFloat kStripHeight = 65;
// How close to the end of the content a settled list must be for the pull-up strip to move.
constexpr long kNearEnd = 1000;

std::shared_ptr<Status> asStatus(const std::shared_ptr<NSObject>& item) {
  return std::dynamic_pointer_cast<Status>(item);
}

}  // namespace

UIScrollViewCtrl::UIScrollViewCtrl() = default;

UIScrollViewCtrl::~UIScrollViewCtrl() = default;

// ---- building

void UIScrollViewCtrl::viewDidLoad() {
  UIViewCtrl::viewDidLoad();
  initViews();
}

void UIScrollViewCtrl::viewWillAppear(bool animated) {
  UIViewCtrl::viewWillAppear(animated);
  refreshMoreView();
}

void UIScrollViewCtrl::viewDidAppear(bool animated) {
  UIViewCtrl::viewDidAppear(animated);
  refreshMoreView();
}

void UIScrollViewCtrl::didReceiveMemoryWarning() {
  UIViewCtrl::didReceiveMemoryWarning();
  initViews();
}

void UIScrollViewCtrl::viewDidUnload() {
  refreshHeaderView_.reset();
  downRefresh_.reset();
}

void UIScrollViewCtrl::initViews() {
  auto root = view();
  auto subviews = root->subviews();
  for (auto& sub : subviews) sub->removeFromSuperview();
  releaseTableView();
  buildTable(UIViewAutoresizingFlexibleTopMargin | UIViewAutoresizingFlexibleHeight |
             UIViewAutoresizingFlexibleBottomMargin);
  buildHeaders();
}

void UIScrollViewCtrl::initTableView() {
  if (dataTableView_) {
    dataTableView_->scrollRectToVisible(CGRectMake(0, 0, 1, 1), false);
    dataTableView_->setContentOffset(CGPointMake(0, 0));
    dataTableView_->reloadData();
  } else {
    buildTable(UIViewAutoresizingFlexibleHeight | UIViewAutoresizingFlexibleBottomMargin);
  }
  buildHeaders();
}

void UIScrollViewCtrl::releaseTableView() {
  if (dataTableView_) dataTableView_->removeFromSuperview();
  if (refreshHeaderView_) refreshHeaderView_->removeFromSuperview();
  if (downRefresh_) downRefresh_->removeFromSuperview();
  refreshHeaderView_.reset();
  downRefresh_.reset();
  dataTableView_.reset();
}

void UIScrollViewCtrl::buildTable(UIViewAutoresizing mask) {
  auto root = view();
  dataTableView_ = std::make_shared<UITableView>(CGRectZero);
  root->addSubview(dataTableView_);
  dataTableView_->setDelegate(weakSelf<UIScrollViewCtrl>());
  dataTableView_->setDataSource(weakSelf<UIScrollViewCtrl>());
  CGRect frame = root->frame();
  dataTableView_->setFrame(
      CGRectMake(frame.origin.x, 0, frame.size.width, frame.size.height - kBarHeight));
  dataTableView_->setAutoresizingMask(mask);
}

void UIScrollViewCtrl::buildHeaders() {
  if (!dataTableView_ || !setEgo_) return;
  PRRefreshTableHeaderView::attachToTable(
      *dataTableView_, weakSelf<UIScrollViewCtrl>(), refreshHeaderView_, downRefresh_,
      dataTableView_->bounds().size.height, dataTableView_->contentSize().height);
  refreshHeaderView_->refreshLastUpdatedDate();
}

// ---- the table

long UIScrollViewCtrl::rowCount() const {
  long n = long(lastdataArray_.size());
  long p = std::max(1L, prePageNum_);
  if (n < p || n % p != 0) return n;
  return n + 1;
}

long UIScrollViewCtrl::tableViewNumberOfRowsInSection(const std::shared_ptr<UITableView>&, long) {
  return rowCount();
}

std::shared_ptr<UITableViewCell> UIScrollViewCtrl::tableViewCellForRowAtIndexPath(
    const std::shared_ptr<UITableView>& tableView, const NSIndexPath& indexPath) {
  auto cell = tableView->dequeueReusableCellWithIdentifier("Cell");
  if (cell)
    cell->textLabel()->setText({});
  else
    cell = std::make_shared<UITableViewCell>(UITableViewCellStyle::Default, "Cell");
  cell->setSelectionStyle(UITableViewCellSelectionStyle::None);
  long n = long(lastdataArray_.size());
  if (rowCount() == n + 1 && indexPath.row == n) {
    if (!activityIndicator_) {
      activityIndicator_ =
          std::make_shared<UIActivityIndicatorView>(UIActivityIndicatorViewStyle::Gray);
      CGRect frame = activityIndicator_->frame();
      frame.origin = CGPointMake(200, 10);
      activityIndicator_->setFrame(frame);
    }
    cell->contentView()->addSubview(activityIndicator_);
    cell->textLabel()->setText(NSLocalizedString("TableMore"));
    cell->textLabel()->setTextAlignment(UITextAlignmentCenter);
  }
  return cell;
}

// ---- refresh and load-more

void UIScrollViewCtrl::refresh(const Value&) {
  lastdataArray_.clear();
  if (dataTableView_) dataTableView_->reloadData();
}

void UIScrollViewCtrl::reloadTableViewDataSource() {
  reloading_ = true;
  refresh(Value());
  performSelectorAfterDelay(selector(weakScreen(), &UIScrollViewCtrl::doneLoadingTableViewData,
                                     "doneLoadingTableViewData"),
                            Value(), kRefreshShowSeconds);
  stopActivityIndicatorViewAnimation();
}

void UIScrollViewCtrl::doneLoadingTableViewData() {
  reloading_ = false;
  if (refreshHeaderView_ && dataTableView_)
    refreshHeaderView_->prRefreshScrollViewDataSourceDidFinishedLoading(*dataTableView_);
}

void UIScrollViewCtrl::loadMoreData() {
  if (activityIndicator_) activityIndicator_->startAnimating();
  if (NSObject::respondsToSelector("tableViewSelect:add:"))
    performSelector("tableViewSelect:add:", {Value(), Value(1)});
}

void UIScrollViewCtrl::reloadMoreTableViewDataSource() {
  moreing_ = true;
  loadMoreData();
}

void UIScrollViewCtrl::doneMoreLoadingTableViewData() {
  if (downRefresh_ && dataTableView_)
    downRefresh_->prRefreshScrollViewDataSourceDidFinishedLoading(*dataTableView_);
  performSelectorAfterDelay(
      selector(weakScreen(), &UIScrollViewCtrl::loadMoreAnimationgOver, "loadMoreAnimationgOver"),
      Value(), kMoreOverSeconds);
}

void UIScrollViewCtrl::doneMoreLoadingTableViewDataNoAnimations() {
  if (downRefresh_) downRefresh_->prRefreshScrollViewDataSourceDidFinishedLoadingNoAnimations();
  moreing_ = false;
}

void UIScrollViewCtrl::doneMoreLocalTableView() {
  moreing_ = false;
  performSelectorAfterDelay(selector(weakScreen(), &UIScrollViewCtrl::doneMoreLoadingTableViewData,
                                     "doneMoreLoadingTableViewData"),
                            Value(), kLocalMoreSeconds);
}

void UIScrollViewCtrl::doneLoadingAllTableViewData() {
  if (!moreing_) return;
  performSelectorOnMainThread(
      selector(weakScreen(), &UIScrollViewCtrl::doneMoreLoadingTableViewDataNoAnimations,
               "doneMoreLoadingTableViewDataNoAnimations"),
      Value(), true);
}

void UIScrollViewCtrl::loadMoreAnimationgOver() {
  moreing_ = false;
}

void UIScrollViewCtrl::prRefreshTableHeaderDidTriggerRefresh(PRRefreshTableHeaderView&) {
  if (!moreing_) reloadTableViewDataSource();
}

void UIScrollViewCtrl::prMoreRefreshTableHeaderDidTriggerRefresh(PRRefreshTableHeaderView&) {
  if (!reloading_) reloadMoreTableViewDataSource();
}

std::optional<NSDateValue> UIScrollViewCtrl::prRefreshTableHeaderDataSourceLastUpdated(
    PRRefreshTableHeaderView&) {
  return NSDate::date();
}

// ---- scrolling

void UIScrollViewCtrl::scrollViewDidScroll(const std::shared_ptr<UIScrollView>& scrollView) {
  long y = long(scrollView->contentOffset().y);
  if (y - ingFlag_ >= 1) {
    if (downRefresh_) downRefresh_->prRefreshScrollViewDidScroll(*scrollView);
    boolFlag_ = true;
    refreshMoreView();
  } else {
    boolFlag_ = false;
    if (refreshHeaderView_) refreshHeaderView_->prRefreshScrollViewDidScroll(*scrollView);
  }
  ingFlag_ = y;
}

void UIScrollViewCtrl::scrollViewDidEndDraggingWillDecelerate(
    const std::shared_ptr<UIScrollView>& scrollView, bool) {
  auto& header = boolFlag_ ? downRefresh_ : refreshHeaderView_;
  if (header) header->prRefreshScrollViewDidEndDragging(*scrollView);
}

void UIScrollViewCtrl::scrollViewDidEndDecelerating(
    const std::shared_ptr<UIScrollView>& scrollView) {
  long d = long(scrollView->contentSize().height - scrollView->contentOffset().y);
  if (std::labs(d) < kNearEnd) refreshMoreView();
}

void UIScrollViewCtrl::refreshMoreView() {
  if (!setEgo_ || !downRefresh_ || !dataTableView_) return;
  CGFloat content = dataTableView_->contentSize().height;
  CGFloat height = dataTableView_->frame().size.height;
  downRefresh_->setFrame(
      CGRectMake(0, content > height ? content : height, kStripWidth, kStripHeight));
}

void UIScrollViewCtrl::removeMoreView(bool hide) {
  if (downRefresh_) downRefresh_->setHidden(hide);
}

void UIScrollViewCtrl::removeRefreshView(bool hide) {
  if (refreshHeaderView_) refreshHeaderView_->setHidden(hide);
}

void UIScrollViewCtrl::setCurActivityColor(const std::shared_ptr<UIColor>& color) {
  if (refreshHeaderView_) refreshHeaderView_->setCurActivityColor(color);
  if (downRefresh_) downRefresh_->setCurActivityColor(color);
}

// ---- for subclasses

void UIScrollViewCtrl::recordBeforeRefresh() {
  if (!lastdataArray_.empty()) {
    auto first = asStatus(lastdataArray_.front());
    lastStateId_ = first ? first->statusId : 0;
    lastCreateAt_ = first ? first->createdAt : 0;
  }
  if (isfirst_) stopActivityIndicatorViewAnimation();
}

void UIScrollViewCtrl::showCurRefresh() {
  if (!isfirst_) {
    isfirst_ = true;
    return;
  }
  if (lastdataArray_.empty()) return;
  int count = 0;
  if (lastStateId_ != 0 && lastCreateAt_ != 0) {
    for (const auto& item : lastdataArray_) {
      auto status = asStatus(item);
      if (!status) continue;
      if (status->statusId == lastStateId_) break;
      if (status->createdAt >= lastCreateAt_) ++count;
    }
  }
  std::string text =
      count > 0 ? std::to_string(count) + "条新微博" : NSLocalizedString("没有新微博");
  PHProgressHUD::showBarPrompt(text, view());
}

void UIScrollViewCtrl::reSetParam() {
  isfirst_ = false;
  lastCreateAt_ = 0;
  lastStateId_ = 0;
}

bool UIScrollViewCtrl::hasNetWork() {
  if (isInRefresh()) return false;
  if (Reachability::isConnectedToNetwork()) return true;
  PHProgressHUD::showPrompt(NSLocalizedString("NetworkError"));
  return false;
}

void UIScrollViewCtrl::notDataError() {
  if (Reachability::isConnectedToNetwork() && lastdataArray_.empty())
    PHProgressHUD::showPrompt(NSLocalizedString("RequestNoData"));
}

std::shared_ptr<NSObject> UIScrollViewCtrl::changePage(bool next) {
  if (lastdataArray_.empty() || !curPressPath_) return nullptr;
  long n = long(lastdataArray_.size());
  long row = curPressPath_->row + (next ? 1 : -1);
  if (row >= n) row = 0;
  if (row < 0) row = n - 1;
  curPressPath_ = NSIndexPath::indexPathForRow(row, curPressPath_->section);
  return lastdataArray_[size_t(row)];
}

void UIScrollViewCtrl::refreshValue(const std::shared_ptr<NSObject>& record) {
  if (!curPressPath_) return;
  long row = curPressPath_->row;
  if (row < 0 || row >= long(lastdataArray_.size())) return;
  auto from = asStatus(record);
  auto to = asStatus(lastdataArray_[size_t(row)]);
  if (from && to) {
    to->commentsCount = from->commentsCount;
    to->retweetsCount = from->retweetsCount;
    to->favorited = from->favorited;
  }
  if (dataTableView_)
    dataTableView_->reloadRowsAtIndexPaths({*curPressPath_}, UITableViewRowAnimation::None);
}

bool UIScrollViewCtrl::DownloadOver(const NSIndexPath& indexPath) {
  if (indexPath.row < 0 || indexPath.row >= long(lastdataArray_.size())) return false;
  if (dataTableView_)
    dataTableView_->reloadRowsAtIndexPaths({indexPath}, UITableViewRowAnimation::None);
  refreshMoreView();
  return true;
}

void UIScrollViewCtrl::naviTapAction(const Value&) {
  if (dataTableView_) dataTableView_->scrollRectToVisible(CGRectMake(0, 0, 1, 1), true);
}

void UIScrollViewCtrl::startRefreshBtn() {
  setIsInRefresh(true);
  if (isHomeRightItem_) return;
  auto spinner = std::make_shared<UIZMButtonLabel>(CGRectMake(0, 0, 30, 30));
  navigationItem()->setRightBarButtonItem(std::make_shared<UIBarButtonItem>(spinner));
}

void UIScrollViewCtrl::addRefreshBtn() {
  setIsInRefresh(false);
  if (isHomeRightItem_) return;
  navigationItem()->setRightBarButtonItem(UIZMBarButtonItem::initWithBarButtonSystemItem(
      UIBarButtonSystemItemRefresh,
      selector(weakScreen(), &UIScrollViewCtrl::refresh, "refresh:")));
}

void UIScrollViewCtrl::homeAction(const Value&) {
  auto nav = navigationController();
  if (!nav) return;
  auto stack = nav->viewControllers();
  for (size_t i = stack.size(); i-- > 1;) {
    if (stack[i]->respondsToSelector("cleanRequest")) stack[i]->performSelector("cleanRequest");
  }
  nav->popToRootViewControllerAnimated(true);
}

NS_CLASS_IMPLEMENTATION(UIScrollViewCtrl) {
  c.method("refresh:", &UIScrollViewCtrl::refresh);
  c.method("loadMoreData", &UIScrollViewCtrl::loadMoreData);
  c.method("initViews", &UIScrollViewCtrl::initViews);
  c.method("initTableView", &UIScrollViewCtrl::initTableView);
  c.method("refreshMoreView", &UIScrollViewCtrl::refreshMoreView);
  c.method("reSetParam", &UIScrollViewCtrl::reSetParam);
  c.method("naviTapAction:", &UIScrollViewCtrl::naviTapAction);
  c.method("homeAction:", &UIScrollViewCtrl::homeAction);
  c.method("startRefreshBtn", &UIScrollViewCtrl::startRefreshBtn);
  c.method("addRefreshBtn", &UIScrollViewCtrl::addRefreshBtn);
  c.property("prePageNum", &UIScrollViewCtrl::prePageNum, &UIScrollViewCtrl::setPrePageNum);
  c.property("actionType", &UIScrollViewCtrl::actionType, &UIScrollViewCtrl::setActionType);
}

// The base of the list screens: a table under the screen's bar, with the pull-down strip above
// its first row (refresh) and the pull-up strip below its last (load-more), the items it shows
// (newest first), the page arithmetic and the more row, and the new-items strip after a
// refresh.
//
// What subclasses rely on:
// - refresh(sender) starts their request; the strip shows "Loading..." for 0.5 s whatever the
//   request takes (the end step runs even if the screen has gone meanwhile), and the subclass
//   puts the new items in lastdataArray and reloads the table when the reply comes.
// - loadMoreData() asks for the next page; the subclass ends it with doneLoadingAllTableViewData
//   (a reply came; callable from any thread), doneMoreLocalTableView (the page came from the
//   cache) or doneMoreLoadingTableViewData.  A refresh is refused during a load-more and the
//   reverse.
// - A page is prePageNum items (20; anything below 1 counts as 1).  When the list holds a
//   non-zero multiple of it, one more row follows the items: the "TableMore" text with a
//   spinner.
// - recordBeforeRefresh before the items are replaced and showCurRefresh after: the strip says
//   how many items came in above the one that was first ("%d条新微博") or that none did; the
//   first load after reSetParam shows nothing.
// - Items are records; the new-items count and refreshValue read them as statuses (`Status`).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "Foundation/NSIndexPath.h"
#include "UIKit/UIActivityIndicatorView.h"
#include "UIKit/UITableView.h"
#include "ui/framework/PRRefreshTableHeaderView.h"
#include "ui/framework/UIViewCtrl.h"

class UIScrollViewCtrl : public UIViewCtrl,
                         public UITableViewDataSource,
                         public UITableViewDelegate,
                         public PRRefreshTableHeaderDelegate {
  NS_CLASS(UIScrollViewCtrl, UIViewCtrl)
 public:
  static constexpr long kDefaultPageSize = 20;
  static constexpr CGFloat kRowHeight = 40;
  static constexpr double kRefreshShowSeconds = 0.5;
  static constexpr double kLocalMoreSeconds = 0.1;
  static constexpr double kMoreOverSeconds = 0.5;

  UIScrollViewCtrl();
  ~UIScrollViewCtrl() override;

  // ---- building
  void viewDidLoad() override;
  void viewWillAppear(bool animated) override;
  void viewDidAppear(bool animated) override;
  void didReceiveMemoryWarning() override;
  void viewDidUnload();
  // Everything in the view goes; a new table and strips are made.
  void initViews();
  // The table back at its top and reloaded, or made; the missing strips made.
  void initTableView();
  void releaseTableView();

  // ---- the table
  long numberOfSectionsInTableView(const std::shared_ptr<UITableView>&) override { return 1; }
  long tableViewNumberOfRowsInSection(const std::shared_ptr<UITableView>&, long section) override;
  CGFloat tableViewHeightForRowAtIndexPath(const std::shared_ptr<UITableView>&,
                                           const NSIndexPath&) override {
    return kRowHeight;
  }
  std::shared_ptr<UITableViewCell> tableViewCellForRowAtIndexPath(
      const std::shared_ptr<UITableView>& tableView, const NSIndexPath& indexPath) override;
  // The row count for n items: n, plus the more row when n is a non-zero multiple of a page.
  long rowCount() const;

  // ---- refresh and load-more
  virtual void refresh(const Value& sender);
  void reloadTableViewDataSource();
  void doneLoadingTableViewData();
  virtual void loadMoreData();
  void reloadMoreTableViewDataSource();
  void doneMoreLoadingTableViewData();
  void doneMoreLoadingTableViewDataNoAnimations();
  void doneMoreLocalTableView();
  void doneLoadingAllTableViewData();
  virtual void loadMoreAnimationgOver();

  void prRefreshTableHeaderDidTriggerRefresh(PRRefreshTableHeaderView& header) override;
  bool prRefreshTableHeaderDataSourceIsLoading(PRRefreshTableHeaderView&) override {
    return reloading_;
  }
  void prMoreRefreshTableHeaderDidTriggerRefresh(PRRefreshTableHeaderView& header) override;
  bool prMoreRefreshTableHeaderDataSourceIsLoading(PRRefreshTableHeaderView&) override {
    return moreing_;
  }
  std::optional<NSDateValue> prRefreshTableHeaderDataSourceLastUpdated(
      PRRefreshTableHeaderView&) override;

  // ---- scrolling
  void scrollViewDidScroll(const std::shared_ptr<UIScrollView>& scrollView) override;
  void scrollViewDidEndDraggingWillDecelerate(const std::shared_ptr<UIScrollView>& scrollView,
                                              bool decelerate) override;
  void scrollViewDidEndDecelerating(const std::shared_ptr<UIScrollView>& scrollView) override;
  // The pull-up strip under the content, or at the table's foot when the content is shorter.
  void refreshMoreView();
  void removeMoreView(bool hide);
  void removeRefreshView(bool hide);
  void setCurActivityColor(const std::shared_ptr<UIColor>& color);

  // ---- for subclasses
  void recordBeforeRefresh();
  void showCurRefresh();
  void reSetParam();
  // Online and not already refreshing; offline it says so ("NetworkError").
  bool hasNetWork();
  // Online with nothing to show: "RequestNoData".
  void notDataError();
  long getCurSelectIndex(const NSIndexPath& indexPath) const { return indexPath.row; }
  // The next (or previous) item after curPressPath, wrapping at both ends; nothing, and
  // curPressPath unchanged, for an empty list or without curPressPath.
  std::shared_ptr<NSObject> changePage(bool next);
  void refreshValue(const std::shared_ptr<NSObject>& record);
  bool DownloadOver(const NSIndexPath& indexPath);
  void naviTapAction(const Value& sender);
  void startRefreshBtn();
  void addRefreshBtn();
  void homeAction(const Value& sender);

  // ---- properties
  const std::optional<NSIndexPath>& curPressPath() const { return curPressPath_; }
  void setCurPressPath(std::optional<NSIndexPath> path) { curPressPath_ = std::move(path); }
  long weiBoType() const { return weiBoType_; }
  void setWeiBoType(long type) { weiBoType_ = type; }
  const std::shared_ptr<UITableView>& dataTableView() const { return dataTableView_; }
  std::vector<std::shared_ptr<NSObject>>& lastdataArray() { return lastdataArray_; }
  void setLastdataArray(std::vector<std::shared_ptr<NSObject>> items) {
    lastdataArray_ = std::move(items);
  }
  bool setEgo() const { return setEgo_; }
  void setSetEgo(bool ego) { setEgo_ = ego; }
  long prePageNum() const { return prePageNum_; }
  void setPrePageNum(long n) { prePageNum_ = n; }
  long actionType() const { return actionType_; }
  void setActionType(long type) { actionType_ = type; }
  bool isNoEngine() const { return isNoEngine_; }
  void setIsNoEngine(bool b) { isNoEngine_ = b; }
  bool isLoadMore() const { return isLoadMore_; }
  void setIsLoadMore(bool b) { isLoadMore_ = b; }
  bool isHomeRightItem() const { return isHomeRightItem_; }
  void setIsHomeRightItem(bool b) { isHomeRightItem_ = b; }
  bool _reloading() const { return reloading_; }
  bool _moreing() const { return moreing_; }
  void set_moreing(bool b) { moreing_ = b; }
  const std::shared_ptr<PRRefreshTableHeaderView>& refreshHeaderView() const {
    return refreshHeaderView_;
  }
  const std::shared_ptr<PRRefreshTableHeaderView>& downRefresh() const { return downRefresh_; }

 private:
  void buildTable(UIViewAutoresizing mask);
  void buildHeaders();
  std::weak_ptr<UIScrollViewCtrl> weakScreen() { return weakSelf<UIScrollViewCtrl>(); }

  std::optional<NSIndexPath> curPressPath_;
  long weiBoType_ = 0;
  std::shared_ptr<UITableView> dataTableView_;
  std::vector<std::shared_ptr<NSObject>> lastdataArray_;
  bool reloading_ = false;
  bool moreing_ = false;
  // Owned by the table's view tree; the strips are forgotten when the table goes.
  std::shared_ptr<PRRefreshTableHeaderView> refreshHeaderView_;
  std::shared_ptr<PRRefreshTableHeaderView> downRefresh_;
  bool setEgo_ = true;
  std::shared_ptr<UIActivityIndicatorView> activityIndicator_;
  long prePageNum_ = kDefaultPageSize;
  long actionType_ = 0;
  long ingFlag_ = 0;
  bool boolFlag_ = false;
  bool isNoEngine_ = false;
  bool isLoadMore_ = false;
  bool isHomeRightItem_ = false;
  int64_t lastStateId_ = 0;
  int64_t lastCreateAt_ = 0;
  bool isfirst_ = false;
};

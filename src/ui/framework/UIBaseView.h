// The refresh machinery of the list screens for a content view that fills its own table
// (getCurTableView): the pull-down and pull-up strips around that table, the 0.5 s refresh,
// and load-more with its ends.  Subclasses override refresh and loadMoreData and route their
// table's scroll events here (scrollViewDidScroll, scrollViewDidEndDraggingWillDecelerate,
// scrollViewDidEndDecelerating), which forward them to both strips.
#pragma once

#include <memory>
#include <optional>

#include "UIKit/UITableView.h"
#include "ui/framework/PRRefreshTableHeaderView.h"
#include "ui/framework/UIRecordBaseView.h"

class UIBaseView : public UIRecordBaseView, public PRRefreshTableHeaderDelegate {
  NS_CLASS(UIBaseView, UIRecordBaseView)
 public:
  static constexpr double kRefreshShowSeconds = 0.5;
  static constexpr double kLocalMoreSeconds = 0.5;

  explicit UIBaseView(CGRect frame = CGRectZero) : UIRecordBaseView(frame) {}
  ~UIBaseView() override;

  // The subclass's table; none by default.
  virtual std::shared_ptr<UITableView> getCurTableView() { return nullptr; }
  virtual void refresh() {}
  virtual void loadMoreData() {}

  // The missing strips made around the table.
  void initView();
  void resetMoveView();
  void reloadTableViewDataSource();
  void doneLoadingTableViewData();
  void reloadMoreTableViewDataSource();
  void doneMoreLoadingTableViewData();
  void doneMoreLoadingTableViewDataNoAnimations();
  void doneMoreLocalTableView();
  void doneLoadingAllTableViewData();

  void scrollViewDidScroll(const std::shared_ptr<UIScrollView>& scrollView);
  void scrollViewDidEndDraggingWillDecelerate(const std::shared_ptr<UIScrollView>& scrollView,
                                              bool decelerate);
  void scrollViewDidEndDecelerating(const std::shared_ptr<UIScrollView>& scrollView);

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

  bool _reloading() const { return reloading_; }
  bool _moreing() const { return moreing_; }
  const std::shared_ptr<PRRefreshTableHeaderView>& refreshHeaderView() const {
    return refreshHeaderView_;
  }
  const std::shared_ptr<PRRefreshTableHeaderView>& downRefresh() const { return downRefresh_; }

 private:
  std::weak_ptr<UIBaseView> weakView() { return weakSelf<UIBaseView>(); }

  bool reloading_ = false;
  bool moreing_ = false;
  std::shared_ptr<PRRefreshTableHeaderView> refreshHeaderView_;
  std::shared_ptr<PRRefreshTableHeaderView> downRefresh_;
};

// Least forms of the channel screen's table, set-up and detail actions until their own files
// land: a plain row per item, the end row, and the detail's close code.
#include "UIKit/UITableViewCell.h"
#include "screens/reading/ChannelViewController.h"

long ChannelViewController::tableViewNumberOfRowsInSection(const std::shared_ptr<UITableView>&,
                                                           long) {
  long n = long(statusCount());
  return n > 0 && isEnd() ? n + 1 : n;
}

CGFloat ChannelViewController::tableViewHeightForRowAtIndexPath(const std::shared_ptr<UITableView>&,
                                                                const NSIndexPath& indexPath) {
  return indexPath.row >= long(statusCount()) ? 30 : 80;
}

std::shared_ptr<UITableViewCell> ChannelViewController::tableViewCellForRowAtIndexPath(
    const std::shared_ptr<UITableView>& tableView, const NSIndexPath& indexPath) {
  auto cell = tableView->dequeueReusableCellWithIdentifier("LeftViewTableCell");
  if (!cell)
    cell = std::make_shared<UITableViewCell>(UITableViewCellStyle::Default, "LeftViewTableCell");
  cell->textLabel()->setText(indexPath.row >= long(statusCount()) ? "已经是最后一页" : "");
  return cell;
}

void ChannelViewController::tableViewDidSelectRowAtIndexPath(const std::shared_ptr<UITableView>&,
                                                             const NSIndexPath& indexPath) {
  setCurPressPath(indexPath);
}

void ChannelViewController::scrollViewWillBeginDragging(const std::shared_ptr<UIScrollView>&) {
  setIsInScrolling(true);
}

void ChannelViewController::scrollViewDidEndDecelerating(
    const std::shared_ptr<UIScrollView>& scrollView) {
  UIChannelBaseViewCtrl::scrollViewDidEndDecelerating(scrollView);
  setIsInScrolling(false);
}

bool ChannelViewController::advertRowShown() const {
  return false;
}

void ChannelViewController::viewDidLoad() {
  UIChannelBaseViewCtrl::viewDidLoad();
}

void ChannelViewController::initView() {}

void ChannelViewController::contentAction(int code) {
  if (code == 1) endDetailAnimation();
}

void ChannelViewController::returnAction(const Value&) {
  contentAction(1);
}

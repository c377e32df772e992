#include "screens/home/UILauncherTableView.h"

#include <vector>

#include "Foundation/NSClass.h"
#include "UIKit/UIColor.h"
#include "UIKit/UILongPressGestureRecognizer.h"
#include "UIKit/UITapGestureRecognizer.h"
#include "screens/home/UILaunchTableViewCell.h"
#include "uilib/views/CustomerLauncherItem.h"

NS_CLASS_IMPLEMENTATION(UILauncherTableView) {
  c.method("recreateButtons", &UILauncherTableView::recreateButtons);
  c.method("longPress:", &UILauncherTableView::longPress);
  c.method("tapAction:", &UILauncherTableView::tapAction);
  c.method("endEditing", [](UILauncherTableView& list) { list.endEditing(); });
  c.method("scrollCellToIndex:", &UILauncherTableView::scrollCellToIndex);
}

std::shared_ptr<UILauncherTableView> UILauncherTableView::initWithFrame(CGRect frame) {
  auto list = std::make_shared<UILauncherTableView>(frame);
  list->setDelegate(list);
  list->setDataSource(list);
  return list;
}

UILauncherTableView::UILauncherTableView(CGRect frame) : UITableView(frame) {
  setBackgroundColor(UIColor::clearColor());
  setSeparatorStyle(UITableViewCellSeparatorStyle::None);
  setShowsVerticalScrollIndicator(false);
  setRowHeight(kRowHeight);
}

void UILauncherTableView::setDataArrays(ValueArray array) {
  if (array == dataArrays_) return;
  dataArrays_ = std::move(array);
  reloadData();
}

void UILauncherTableView::recreateButtons() {
  reloadData();
}

ChannelItemPtr UILauncherTableView::channelAt(size_t row) const {
  if (!dataArrays_ || row >= dataArrays_->count()) return nullptr;
  auto item = dataArrays_->objectAtIndex(row).object<CustomerLauncherItem>();
  return item ? item->channelItem() : nullptr;
}

void UILauncherTableView::refreshCellNewsByActionType(int templateId, bool isNews) {
  for (size_t row = 0; dataArrays_ && row < dataArrays_->count(); ++row) {
    ChannelItemPtr channel = channelAt(row);
    if (!channel || channel->templateId != templateId) continue;
    if (channel->isShowNews != isNews) {
      channel->isShowNews = isNews;
      reloadData();
    }
    return;
  }
}

void UILauncherTableView::refreshCellNewsByChannelType(int type, bool isNews) {
  bool changed = false;
  for (size_t row = 0; dataArrays_ && row < dataArrays_->count(); ++row) {
    ChannelItemPtr channel = channelAt(row);
    if (!channel || channel->type != type || channel->isShowNews == isNews) continue;
    channel->isShowNews = isNews;
    changed = true;
  }
  if (changed) reloadData();
}

void UILauncherTableView::scrollCellToIndex(long row) {
  if (row < 0 || !dataArrays_ || size_t(row) >= dataArrays_->count()) return;
  scrollToRowAtIndexPath(NSIndexPath::indexPathForRow(row, 0), UITableViewScrollPosition::Bottom,
                         true);
}

// ---- editing

void UILauncherTableView::longPress(const Value& value) {
  auto recognizer = value.object<UIGestureRecognizer>();
  if (!recognizer || recognizer->state() != UIGestureRecognizerState::Began || isEditing()) return;
  setEditing(true, true);
  if (auto delegate = launcherDelegate_.lock()) delegate->launcherCellEditState(true);
  addGestureRecognizer(std::make_shared<UITapGestureRecognizer>(
      selector(weakSelf<UILauncherTableView>(), &UILauncherTableView::tapAction, "tapAction:")));
  needSave_ = false;
}

void UILauncherTableView::tapAction(const Value&) {
  endEditing();
}

void UILauncherTableView::endEditing() {
  if (!isEditing()) return;
  std::vector<std::shared_ptr<UIGestureRecognizer>> taps;
  for (const auto& r : gestureRecognizers())
    if (std::dynamic_pointer_cast<UITapGestureRecognizer>(r)) taps.push_back(r);
  for (const auto& r : taps) removeGestureRecognizer(r);
  setEditing(false, true);
  if (auto delegate = launcherDelegate_.lock()) delegate->launcherCellEditState(false);
  if (!needSave_ || !dataArrays_) return;
  std::vector<ChannelItemCarrierPtr> items;
  for (const Value& v : *dataArrays_)
    if (auto item = std::dynamic_pointer_cast<ChannelItemCarrier>(v.object()))
      items.push_back(item);
  ChannelItem::saveChannelItemsWithCustom(items);
}

// ---- table answers

long UILauncherTableView::tableViewNumberOfRowsInSection(const std::shared_ptr<UITableView>&,
                                                         long) {
  return dataArrays_ ? long(dataArrays_->count()) : 0;
}

std::shared_ptr<UITableViewCell> UILauncherTableView::tableViewCellForRowAtIndexPath(
    const std::shared_ptr<UITableView>&, const NSIndexPath& indexPath) {
  auto cell = std::dynamic_pointer_cast<UILaunchTableViewCell>(
      dequeueReusableCellWithIdentifier(UILaunchTableViewCell::kReuseIdentifier));
  if (cell) {
    auto recognizers = cell->gestureRecognizers();
    for (const auto& r : recognizers) cell->removeGestureRecognizer(r);
  } else {
    cell = UILaunchTableViewCell::loadFromInterfaceFile(self<NSObject>());
  }
  if (dataArrays_ && size_t(indexPath.row) < dataArrays_->count())
    cell->setCellData(dataArrays_->objectAtIndex(size_t(indexPath.row)).object());
  cell->addGestureRecognizer(std::make_shared<UILongPressGestureRecognizer>(
      selector(weakSelf<UILauncherTableView>(), &UILauncherTableView::longPress, "longPress:")));
  return cell;
}

void UILauncherTableView::tableViewMoveRowAtIndexPathToIndexPath(
    const std::shared_ptr<UITableView>&, const NSIndexPath& from, const NSIndexPath& to) {
  if (from.row == to.row || !dataArrays_ || size_t(from.row) >= dataArrays_->count()) return;
  Value item = dataArrays_->objectAtIndex(size_t(from.row));
  dataArrays_->removeObjectAtIndex(size_t(from.row));
  if (size_t(to.row) >= dataArrays_->count())
    dataArrays_->addObject(std::move(item));
  else
    dataArrays_->insertObject(std::move(item), size_t(to.row));
  needSave_ = true;
}

bool UILauncherTableView::respondsToSelector(std::string_view selector) const {
  return selector == "tableView:moveRowAtIndexPath:toIndexPath:" ||
         UITableView::respondsToSelector(selector);
}

CGFloat UILauncherTableView::tableViewHeightForRowAtIndexPath(const std::shared_ptr<UITableView>&,
                                                              const NSIndexPath&) {
  return kRowHeight;
}

UITableViewCellEditingStyle UILauncherTableView::tableViewEditingStyleForRowAtIndexPath(
    const std::shared_ptr<UITableView>&, const NSIndexPath&) {
  return UITableViewCellEditingStyle::None;
}

bool UILauncherTableView::tableViewShouldIndentWhileEditingRowAtIndexPath(
    const std::shared_ptr<UITableView>&, const NSIndexPath&) {
  return false;
}

void UILauncherTableView::tableViewDidSelectRowAtIndexPath(const std::shared_ptr<UITableView>&,
                                                           const NSIndexPath& indexPath) {
  ChannelItemPtr channel = channelAt(size_t(indexPath.row));
  if (!channel) return;
  if (auto delegate = launcherDelegate_.lock()) delegate->launcherCellDidSelectItem(channel);
}

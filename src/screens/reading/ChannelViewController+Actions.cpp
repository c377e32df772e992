// The channel screen's item getters and the least forms of its item actions: until the actions
// are built they report what they were asked to the stand-in sink.
#include <cinttypes>
#include <cstdio>

#include "core/NSObject+notification.h"
#include "model/Status.h"
#include "screens/reading/ChannelViewController.h"
#include "ui/framework/StandInSink.h"

std::shared_ptr<NSObject> ChannelViewController::getCurSelectItem(
    const NSIndexPath& indexPath) const {
  long row = getCurSelectIndex(indexPath);
  if (row < 0 || row >= long(statusCount())) return nullptr;
  return currentChannel_->channelStatuses()->objectAtIndex(size_t(row)).object();
}

long ChannelViewController::getCurSelectIndex(const NSIndexPath& indexPath) const {
  return advertRowShown() ? indexPath.row - 1 : indexPath.row;
}

NSIndexPath ChannelViewController::getNextIndexPath(const NSIndexPath&, long number) const {
  long section = curPressPath() ? curPressPath()->section : 0;
  return NSIndexPath::indexPathForRow(advertRowShown() ? number + 1 : number, section);
}

std::string ChannelViewController::getCurrentItemEid() {
  if (!curPressPath()) return "0";
  auto status = std::dynamic_pointer_cast<Status>(getCurSelectItem(*curPressPath()));
  char buf[32];
  std::snprintf(buf, sizeof buf, "%" PRId64, status ? status->vorluId : int64_t(0));
  return buf;
}

void ChannelViewController::recordLinkRead() {
  if (listKind() == kKindTradeFair || !curPressPath()) return;
  auto status = std::dynamic_pointer_cast<Status>(getCurSelectItem(*curPressPath()));
  if (!status) return;
  char buf[32];
  std::snprintf(buf, sizeof buf, "%" PRId64, status->statusId);
  recordeUserInfo(Value(std::string(buf)), 9);
}

void ChannelViewController::goodAction(const NSIndexPath& indexPath) {
  reportStandInEvent(className(), "goodAction", Value(long(indexPath.row)));
}

void ChannelViewController::longPressAction(const std::string& link) {
  reportStandInEvent(className(), "longPressAction", Value(link));
}

void ChannelViewController::showInfo() {
  reportStandInEvent(className(), "showInfo");
}

void ChannelViewController::OriginalAction(int repost) {
  reportStandInEvent(className(), "OriginalAction", Value(repost));
}

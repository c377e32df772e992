// The channel screen's reply actions: envelope check, parsing, the merge of a new first page
// with the shown list and the cache file, later pages, paging cursors, the end of the list,
// the update stamps, the favourite and like marks, the count updates and the local paging that
// serves next pages out of the cache before the server is asked.
#include <algorithm>
#include <cinttypes>
#include <cstdio>

#include "Common/JXKit/NSArray+JXKitSerializing.h"
#include "Common/JXKit/NSString+JXKitDeserializing.h"
#include "Foundation/NSBundle.h"
#include "Foundation/NSFileManager.h"
#include "Foundation/NSThread.h"
#include "Foundation/NSUserDefaults.h"
#include "UIKit/UITableView.h"
#include "core/NSGlobe.h"
#include "core/NSObject+UIViewBusy.h"
#include "core/NSObject+notification.h"
#include "core/UIFilePath.h"
#include "model/Com_Ret_Count.h"
#include "model/Comment.h"
#include "model/NSCompanyItem.h"
#include "model/NSSeminar.h"
#include "model/NSStatusesInfo.h"
#include "model/NSTopic.h"
#include "model/NSVOVUrivItem.h"
#include "model/Status.h"
#include "model/ZizaJsonStatusParser.h"
#include "net/api/NSWeiBoNet.h"
#include "net/api/ServerResult.h"
#include "net/http/Reachability.h"
#include "screens/reading/ChannelViewController.h"
#include "ui/framework/PHProgressHUD.h"

namespace {

std::string lld(int64_t v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%" PRId64, v);
  return buf;
}

bool jsonNullNextCursor(std::string_view text) {
  Value doc = objectFromJSONString(text);
  return doc.dictionary() && doc["next_cursor"].isNull();
}

void removeFile(const std::string& path) {
  auto& files = NSFileManager::defaultManager();
  if (!path.empty() && files.fileExistsAtPath(path)) files.removeItemAtPath(path);
}

int64_t vorluIdOf(const Value& item) {
  auto status = item.object<Status>();
  return status ? status->vorluId : 0;
}

}  // namespace

// ---- shared steps

void ChannelViewController::envelopeCheck(const std::string& reply) {
  if (!Reachability::isConnectedToNetwork()) return;
  auto result = ServerResult::resultWithJSONString(reply);
  if (result && result->resultCode == 1 && !result->resultSuccess)
    PHProgressHUD::showPrompt(NSLocalizedString("HomePagePrompt"));
}

void ChannelViewController::checkHaveLiked(const std::shared_ptr<NSObject>& item) {
  auto status = std::dynamic_pointer_cast<Status>(item);
  if (!status) return;
  for (const auto& id : NSWeiBoNet::getNetEngine()->goodList()) {
    if (Value(id).longLongValue() == status->statusId) {
      status->haveLiked = true;
      return;
    }
  }
}

void ChannelViewController::markItem(const std::shared_ptr<NSObject>& item) {
  checkInsFav(item);
  checkHaveLiked(item);
}

void ChannelViewController::takeFirstPage(const StatusArray& list) {
  auto page = makeArray();
  for (size_t i = 0; i < list.size() && i < size_t(kPageSize); ++i) {
    markItem(list[i]);
    page->addObject(Value(list[i]));
  }
  statuses() = page;
}

void ChannelViewController::storeUpdateTime() {
  int kind = listKind();
  if (kind == kKindFeed || kind == kKindSearch || !isInRefresh() || !currentChannel_) return;
  auto stamp = getChannelDate(currentChannel_->channelId());
  if (!stamp || stamp->empty()) return;
  auto defaults = NSUserDefaults::standardUserDefaults();
  defaults->setObject(Value(*stamp), "CHANNEL_UPDATE_KEY_" + currentChannel_->channelId());
  defaults->synchronize();
}

void ChannelViewController::takeCursors() {
  size_t n = statusCount();
  if (n == 0) return;
  auto& list = statuses();
  next_cursor_ = vorluIdOf(list->objectAtIndex(n - 1)) - 1;
  if (n >= 2) temp_cursor_ = vorluIdOf(list->objectAtIndex(n - 2)) - 1;
  previous_cursor_ = vorluIdOf(list->objectAtIndex(0));
}

void ChannelViewController::setTableViewStart() {
  if (isInFavorite()) return;
  if (auto table = dataTableView()) {
    table->setContentOffset(CGPointMake(0, 0), true);
    table->scrollRectToVisible(CGRectMake(0, 0, 1, 1), true);
  }
}

void ChannelViewController::removeLocalFile() {
  if (previous_cursor_ <= 0 || !currentChannel_) return;
  int fileKind = kFileChannel;
  std::string id = currentChannel_->channelId();
  if (listKind() == kKindNews) {
    // The area lists are not kept by this app: nothing to remove.
    return;
  } else if (currentChannel_->channelType() == 33) {
    fileKind = kFileTopic;
    id = topicId();
  } else if (listKind() == kKindFavorites) {
    fileKind = kFileFavorites;
  }
  std::string path = UIFilePath::getChannelFilePath(fileKind, id, 1, previous_cursor_);
  if (path != baseCachePath()) removeFile(path);
}

// ---- content-server lists

void ChannelViewController::statusCallBack(const Value& replyValue) {
  const std::string reply = replyValue.description();
  int kind = listKind();
  refreshMoreView();
  doneLoadingAllTableViewData();
  if (kind != kKindSearch) adInfoChannelCallBack(replyValue);
  envelopeCheck(reply);
  auto info = ZizaJsonStatusParser::parseDicToNormalStatusesInfo(reply);

  if (kind == kKindSearch) {
    if (info && info->otherInfo.longLongValue() != 0 && pageNo_ == 1) {
      if (navigationView_) {
        if (auto label =
                std::dynamic_pointer_cast<UILabel>(std::static_pointer_cast<UIView>(navigationView_)
                                                       ->viewWithTag(kSearchCountLabelTag)))
          label->setText("(共" + std::to_string(info->total_number) + "结果)");
      }
      NSGlobe::getEngine()->setSourceInfo("search");
      NSGlobe::getEngine()->setSourceIds(lld(info->otherInfo.longLongValue()));
    }
    removeFile(UIFilePath::getChannelFilePath(kFileSearch, keyWord_, pageNo_, 0));
  }

  auto table = dataTableView();
  auto reload = [&] {
    if (table) table->reloadData();
  };

  if (!info || !info->statuses) {
    if (pageNo_ == 1) stopSpinner();
    if (kind == kKindNews) {
      auto text = readText(UIFilePath::getChannelFilePath(kFileChannel, getChannelId(), 1, 0));
      auto cached = text ? ZizaJsonStatusParser::parseDicToStatuses(*text) : std::nullopt;
      if (cached) {
        takeFirstPage(*cached);
        stopSpinner();
        reload();
      }
    } else if (isInFavorite() && !Reachability::isConnectedToNetwork()) {
      reload();
      addGuideView("favoriteHelp");
    }
    if (kind != kKindSearch) channelCountInfo(replyValue);
    doneMoreLocalTableView();
    stopActivityIndicatorViewAnimation();
    return;
  }

  const StatusArray& news = *info->statuses;
  if (news.empty() && !isInFavorite()) {
    if (pageNo_ == 1) {
      showCurRefresh();
      storeUpdateTime();
      removeLocalFile();
    } else {
      --pageNo_;
      isEnd_ = true;
      reload();
    }
    if (kind == kKindSearch) channelCountInfo(replyValue);
    stopSpinner();
    doneMoreLocalTableView();
    return;
  }

  stopSpinner();
  if (pageNo_ == 1) {
    if (isInFavorite() && news.empty() && statusCount() == 0) {
      reload();
      addGuideView("favoriteHelp");
      doneMoreLocalTableView();
      return;
    }
    storeUpdateTime();
    if (statusCount() > 0 && kind != kKindNews && kind != kKindSearch) {
      std::vector<Value> work;
      if (news.size() != size_t(kPageSize)) work = statuses()->toVector();
      std::vector<Value> merged;
      for (const auto& status : news) {
        markItem(status);
        merged.push_back(Value(status));
      }
      merged.insert(merged.end(), work.begin(), work.end());
      if (merged.size() > size_t(kPageSize)) merged.resize(kPageSize);
      statuses() = makeArray(std::move(merged));
      auto [fileKind, id] = cacheFileKey();
      std::string base = UIFilePath::getChannelFilePath(fileKind, id, 1, 0);
      std::optional<std::string> old;
      if (news.size() < size_t(kPageSize)) old = readText(base);
      if (old)
        ZizaJsonStatusParser::addInArray(base, std::string_view(*old), reply, true);
      else
        ZizaJsonStatusParser::addInArray(base, std::nullopt, reply, true);
      // The download of this refresh went to its own file; the base file now holds it.
      std::string download = UIFilePath::getChannelFilePath(fileKind, id, 1, previous_cursor_);
      if (download != base) removeFile(download);
    } else {
      takeFirstPage(news);
    }
    showCurRefresh();
    if (isInRefresh()) newStatusCount_ = info->total_number;
    takeCursors();
    channelCountInfo(replyValue);
    performSelectorAfterDelay(
        selector(weakSelf<ChannelViewController>(), &ChannelViewController::setTableViewStart,
                 "setTableViewStart"),
        Value(), kTableStartDelay);
    showCurRefresh();
  } else {
    if (news.empty()) {  // favourites only
      --pageNo_;
      isEnd_ = true;
      channelCountInfo(replyValue);
      reload();
      doneMoreLocalTableView();
      return;
    }
    int64_t heldNext = next_cursor_;
    for (const auto& status : news) {
      markItem(status);
      statuses()->addObject(Value(status));
    }
    size_t n = statusCount();
    next_cursor_ = vorluIdOf(statuses()->objectAtIndex(n - 1)) - 1;
    if (jsonNullNextCursor(reply)) isEnd_ = true;
    if (n >= 2) temp_cursor_ = vorluIdOf(statuses()->objectAtIndex(n - 2)) - 1;
    auto [fileKind, id] = cacheFileKey();
    removeFile(UIFilePath::getChannelFilePathSinceId(fileKind, id, pageNo_, heldNext));
  }

  if (isInFavorite() && statusCount() > 0) {
    auto& favorites = NSWeiBoNet::getNetEngine()->favoriteList();
    if (favorites.empty()) {
      for (const auto& item : *statuses()) {
        if (auto status = item.object<Status>()) {
          favorites.push_back(lld(status->statusId));
          status->favorited = true;
        }
      }
      UIFilePath::saveFileByArray(favorites);
    }
  }
  if (kind != kKindSearch && pageNo_ != 1) channelCountInfo(replyValue);
  reload();
}

// ---- microblog platform timelines

void ChannelViewController::platformTimelineReply(const Value& replyValue, int tab) {
  const std::string reply = replyValue.description();
  doneLoadingAllTableViewData();
  stopActivityIndicatorViewAnimation();
  envelopeCheck(reply);
  bool comments = tab == kTabComments;
  std::vector<Value> items;
  bool parsed = false;
  if (comments) {
    if (auto list = ZizaJsonStatusParser::parseDicToComments(reply)) {
      parsed = true;
      for (auto& c : *list) items.push_back(Value(c));
    }
  } else if (auto list = ZizaJsonStatusParser::parseDicToStatuses(reply)) {
    parsed = true;
    for (auto& s : *list) items.push_back(Value(s));
  }
  if (!parsed) {
    if (pageNo_ == 1) stopSpinner();
    return;
  }
  if ((tab == kTabAtMe || comments) && lastStateId_ != 0 && lastCreateAt_ != 0 && !items.empty()) {
    int64_t id = 0, created = 0;
    if (auto s = items.front().object<Status>()) {
      id = s->statusId;
      created = s->createdAt;
    } else if (auto c = items.front().object<Comment>()) {
      id = c->commentId;
      created = c->createdAt;
    }
    if (id != lastStateId_ && created > lastCreateAt_) playNewItemsSound();
    if (tab == kTabAtMe) lastCreateAt_ = 0;
  }
  auto deleted = [](const Value& v) {
    auto s = v.object<Status>();
    return s && s->delected;
  };
  int cacheIndex = tab == kTabFriends ? 0 : tab == kTabMine ? 4 : tab == kTabAtMe ? 2 : 3;
  std::string cachePath = UIFilePath::localPath(cacheIndex);
  auto table = dataTableView();
  if (pageNo_ == 1) {
    if (tab == kTabFriends && items.empty()) {
      stopSpinner();
    } else {
      auto list = makeArray();
      for (size_t i = 0; i < items.size() && i < size_t(kPageSize); ++i) {
        if (deleted(items[i])) continue;
        markItem(items[i].object());
        list->addObject(items[i]);
      }
      statuses() = list;
      performSelectorAfterDelay(
          selector(weakSelf<ChannelViewController>(), &ChannelViewController::setTableViewStart,
                   "setTableViewStart"),
          Value(), kTableStartDelay);
      if (isInRefresh()) UIFilePath::saveToFile(reply, cachePath);
      stopSpinner();
      if (table) table->reloadData();
    }
    if (isInRefresh()) {
      if (tab == kTabFriends || tab == kTabMine)
        showCurRefresh();
      else
        resetMessageCount(tab == kTabAtMe ? "mention_status" : "cmt");
    }
  } else if (items.empty()) {
    --pageNo_;
    isEnd_ = true;
    if (table) table->reloadData();
  } else {
    for (auto& item : items) {
      if (deleted(item)) continue;
      markItem(item.object());
      statuses()->addObject(item);
    }
    auto old = readText(cachePath);
    std::optional<std::string_view> oldView;
    if (old) oldView = *old;
    if (comments)
      ZizaJsonStatusParser::addInZizaComment(cachePath, oldView, reply, false);
    else
      ZizaJsonStatusParser::addInZizaArray(cachePath, oldView, reply, false);
    if (table) table->reloadData();
  }
}

void ChannelViewController::friendsStatusCallBack(const Value& reply) {
  platformTimelineReply(reply, kTabFriends);
}
void ChannelViewController::myStatusCallBack(const Value& reply) {
  platformTimelineReply(reply, kTabMine);
}
void ChannelViewController::atMeCallBack(const Value& reply) {
  platformTimelineReply(reply, kTabAtMe);
}
void ChannelViewController::commentsCallBack(const Value& reply) {
  platformTimelineReply(reply, kTabComments);
}

// ---- topic list

void ChannelViewController::topicCallBack(const Value& replyValue) {
  const std::string reply = replyValue.description();
  refreshMoreView();
  envelopeCheck(reply);
  auto info = ZizaJsonStatusParser::parseDicToTopicList(reply);
  adInfoChannelCallBack(replyValue);
  auto storeTopicTime = [&] {
    std::string stamp = UIFilePath::getTopicDate();
    if (!isInRefresh() || stamp.empty()) return;
    auto defaults = NSUserDefaults::standardUserDefaults();
    defaults->setObject(Value(stamp), kTopicUpdateKey);
    defaults->synchronize();
  };
  auto table = dataTableView();
  if (!info || !info->topics) {
    if (pageNo_ == 1) stopSpinner();
    stopActivityIndicatorViewAnimation();
    return;
  }
  if (info->topics->empty()) {
    showCurRefresh();
    if (pageNo_ == 1) {
      storeTopicTime();
    } else {
      --pageNo_;
      isEnd_ = true;
      if (table) table->reloadData();
    }
    stopSpinner();
    return;
  }
  stopSpinner();
  if (pageNo_ == 1) {
    storeTopicTime();
    auto list = makeArray();
    for (auto& topic : *info->topics) list->addObject(Value(topic));
    statuses() = list;
    if (isInRefresh()) newStatusCount_ = info->total_number;
    next_cursor_ = info->next_cursor;
    previous_cursor_ = info->previous_cursor;
    showCurRefresh();
  } else {
    for (auto& topic : *info->topics) statuses()->addObject(Value(topic));
    if (isInRefresh()) newStatusCount_ = info->total_number;
    next_cursor_ = info->next_cursor;
    if (next_cursor_ == 0) isEnd_ = true;
  }
  if (table) table->reloadData();
}

// ---- seminar list

void ChannelViewController::seminarCallBack(const Value& replyValue) {
  const std::string reply = replyValue.description();
  refreshMoreView();
  doneLoadingAllTableViewData();
  envelopeCheck(reply);
  auto seminars = ZizaJsonStatusParser::parseToSeminar(reply);
  auto table = dataTableView();
  auto reload = [&] {
    if (table) table->reloadData();
  };
  auto updateDue = [&] {
    if (isInRefresh() && !UIFilePath::getDialogUpDataTime().empty())
      postNotification("seminar_has_request");
  };
  bool firstOfList = pageNo_ == 1 && listKind() == kKindSeminars && statusCount() == 0;
  if (!seminars) {
    if (pageNo_ == 1) stopSpinner();
    stopActivityIndicatorViewAnimation();
    if (firstOfList) {
      reload();
      addGuideView("dialogGuide");
    } else if (pageNo_ > 1) {
      --pageNo_;
      isEnd_ = true;
      reload();
    }
    return;
  }
  if (seminars->empty()) {
    if (pageNo_ == 1) {
      updateDue();
    } else {
      --pageNo_;
      isEnd_ = true;
      reload();
    }
    showCurRefresh();
    stopSpinner();
    if (firstOfList) {
      reload();
      addGuideView("dialogGuide");
    }
    return;
  }
  if (pageNo_ == 1) {
    updateDue();
    auto list = makeArray();
    for (size_t i = 0; i < seminars->size() && i < size_t(kPageSize); ++i)
      list->addObject(Value((*seminars)[i]));
    statuses() = list;
    stopSpinner();
    showCurRefresh();
    reload();
    return;
  }
  stopSpinner();
  int64_t heldNext = next_cursor_;
  for (auto& seminar : *seminars) statuses()->addObject(Value(seminar));
  next_cursor_ = seminars->back()->seminarId - 1;
  if (jsonNullNextCursor(reply)) isEnd_ = true;
  std::string base = UIFilePath::getChannelFilePath(kFileSeminar, getChannelId(), 1, 0);
  auto old = readText(base);
  std::optional<std::string_view> oldView;
  if (old) oldView = *old;
  ZizaJsonStatusParser::addInArray(base, oldView, reply, false);
  removeFile(
      UIFilePath::getChannelFilePathSinceId(kFileSeminar, getChannelId(), pageNo_, heldNext));
  reload();
}

// ---- trade-fair channel

void ChannelViewController::veziCallBack(const Value& replyValue) {
  const std::string reply = replyValue.description();
  refreshMoreView();
  doneLoadingAllTableViewData();
  envelopeCheck(reply);
  ValueArray fresh = ZizaJsonStatusParser::parseToVEZI(reply);

  // Companies whose count changed since the shown list get the new mark.
  auto companiesOf = [](const ValueArray& list) -> std::vector<Value> {
    if (!list) return {};
    for (const auto& item : *list) {
      auto expo = item.object<NSVOVUrivItem>();
      if (expo && expo->expo_type == 1 && expo->dataInfo.array())
        return expo->dataInfo.array()->toVector();
    }
    return {};
  };
  std::vector<Value> old =
      companiesOf(currentChannel_ ? currentChannel_->channelStatuses() : nullptr);
  for (auto& entry : companiesOf(fresh)) {
    auto company = entry.object<NSCompanyItem>();
    if (!company) continue;
    for (auto it = old.begin(); it != old.end(); ++it) {
      auto before = it->object<NSCompanyItem>();
      if (!before || before->itemID != company->itemID) continue;
      if (!before->updataTime.empty() && !company->updataTime.empty() &&
          before->updataTime != company->updataTime &&
          before->numOfCompany != company->numOfCompany)
        company->isShowNew = true;
      old.erase(it);
      break;
    }
  }
  bool empty = !fresh || fresh->count() == 0;
  if (fresh && fresh->count() == 1) {
    Value only = fresh->objectAtIndex(0);
    empty = only.array() && only.count() == 0;
  } else if (fresh && fresh->count() >= 2) {
    statuses() = fresh->mutableCopy();
  }
  stopSpinner();
  stopActivityIndicatorViewAnimation();
  showCurRefresh();
  if (auto table = dataTableView()) table->reloadData();
  if (empty && statusCount() <= 1) {
    bool nonEmptyArray = statusCount() == 1 && statuses()->objectAtIndex(0).array() &&
                         statuses()->objectAtIndex(0).count() > 0;
    if (!nonEmptyArray) addGuideView("veziGuide");
  }
}

// ---- counts

void ChannelViewController::channelCountInfo(const Value& reply) {
  Value doc = objectFromJSONString(reply.description());
  if (!doc.dictionary()) return;
  Value counts = doc["CountInfo"];
  if (!counts.array() || counts.count() == 0) return;
  likeCountCallback(JSONString(counts.array()));
}

void ChannelViewController::likeCountCallback(const Value& reply) {
  Value entries = objectFromJSONString(reply.description());
  if (!entries.array()) {
    auto result = ServerResult::resultWithJSONString(reply.description());
    if (result) PHProgressHUD::showBarPrompt(result->resultMsg.description(), view());
    return;
  }
  size_t count = entries.count();
  if (count == 0) return;
  int64_t high = entries[size_t(0)]["id"].longLongValue();
  int64_t low = entries[count - 1]["id"].longLongValue();
  auto& list = statuses();
  for (size_t i = 0; i < list->count();) {
    auto status = list->objectAtIndex(i).object<Status>();
    if (status && status->vorluId >= low && status->vorluId <= high) {
      bool removed = false;
      for (size_t e = 0; e < count; ++e) {
        Value entry = entries[e];
        if (entry["id"].longLongValue() != status->vorluId) continue;
        if (entry["closed"].intValue() == 1) {
          list->removeObjectAtIndex(i);
          removed = true;
        } else {
          status->likeCount = entry["likes"].intValue();
          status->retweetsCount = entry["C_rt_num"].intValue();
          status->commentsCount = entry["C_cmt_num"].intValue();
        }
        break;
      }
      if (removed) continue;
    }
    ++i;
  }
  UIFilePath::updateLikeCount(reply.description(), baseCachePath());
  if (auto table = dataTableView()) table->reloadData();
}

void ChannelViewController::RrComCountAction(const Value& reply) {
  auto records = ZizaJsonStatusParser::parseToCD_Count(reply.description());
  if (records && currentChannel_) {
    for (const auto& item : *statuses()) {
      auto status = item.object<Status>();
      if (!status) continue;
      for (auto it = records->begin(); it != records->end(); ++it) {
        if ((*it)->statusId != status->statusId) continue;
        status->retweetsCount = int32_t((*it)->retNum);
        status->commentsCount = int32_t((*it)->comNum);
        records->erase(it);
        break;
      }
    }
  }
  if (auto table = dataTableView()) table->reloadData();
}

// ---- local paging

bool ChannelViewController::statusLocal(const std::optional<std::string>& text) {
  if (!text) return false;
  bool commentsTab = listKind() == kKindTimelines && currentSelectType_ == kTabComments;
  std::vector<Value> cached;
  if (commentsTab) {
    if (auto list = ZizaJsonStatusParser::parseDicToComments(*text))
      for (auto& c : *list) cached.push_back(Value(c));
  } else if (auto list = ZizaJsonStatusParser::parseDicToStatuses(*text)) {
    for (auto& s : *list) cached.push_back(Value(s));
  }
  long c = long(cached.size());
  if (commentsTab) {
    if (c / kPageSize < pageNo_ || long(pageNo_) * kPageSize >= c) return false;
  } else if (c / kPageSize < pageNo_ + 1) {
    return false;
  }
  size_t first = commentsTab ? statusCount() : size_t(pageNo_) * kPageSize;
  for (size_t i = first; i < cached.size() && i < first + size_t(kPageSize); ++i) {
    markItem(cached[i].object());
    auto status = cached[i].object<Status>();
    if (status && status->delected) continue;
    statuses()->addObject(cached[i]);
  }
  size_t n = statusCount();
  if (n > 0) next_cursor_ = vorluIdOf(statuses()->objectAtIndex(n - 1)) - 1;
  if (jsonNullNextCursor(*text)) isEnd_ = true;
  if (n >= 2) temp_cursor_ = vorluIdOf(statuses()->objectAtIndex(n - 2)) - 1;
  ++pageNo_;
  if (auto table = dataTableView()) table->reloadData();
  return true;
}

bool ChannelViewController::seminarLocal(const std::optional<std::string>&) {
  return false;
}

bool ChannelViewController::reloadDownloadedRow(const NSIndexPath& indexPath) {
  auto table = dataTableView();
  if (!table) return false;
  if (indexPath.row >= table->numberOfRowsInSection(indexPath.section) ||
      indexPath.row >= long(statusCount()))
    return false;
  if (contentView()) {
    addInReFreshArray(indexPath);
    return false;
  }
  table->reloadRowsAtIndexPaths({indexPath}, UITableViewRowAnimation::Fade);
  return true;
}

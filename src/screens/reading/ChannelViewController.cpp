#include "screens/reading/ChannelViewController.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>

#include "Common/JXKit/NSString+JXKitDeserializing.h"
#include "Foundation/NSBundle.h"
#include "Foundation/NSClass.h"
#include "Foundation/NSFileManager.h"
#include "Foundation/NSThread.h"
#include "Foundation/NSTimer.h"
#include "Foundation/NSUserDefaults.h"
#include "UIKit/UIApplication.h"
#include "UIKit/UIImage.h"
#include "UIKit/UIImageView.h"
#include "UIKit/UINavigationController.h"
#include "UIKit/UIScreen.h"
#include "UIKit/UITableView.h"
#include "core/NSMsgSend.h"
#include "core/NSObject+UIViewBusy.h"
#include "core/NSObject+notification.h"
#include "core/UIFilePath.h"
#include "model/Comment.h"
#include "model/NSSeminar.h"
#include "model/NSTopic.h"
#include "model/OriginalArticle.h"
#include "model/Status.h"
#include "net/api/NSWeiBoNet.h"
#include "net/http/Reachability.h"
#include "ui/framework/NSStatusShow.h"
#include "ui/framework/PHProgressHUD.h"
#include "ui/framework/StandInSink.h"
#include "ui/widgets/UINaviComView.h"
#include "ui/widgets/UINaviTabView.h"

namespace {

constexpr const char* kGlobeRequest = "globe_request";
constexpr const char* kStopSpinner = "main_timer_animal";
constexpr const char* kBindAccountOk = "bind_account_ok";

std::string lld(int64_t v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%" PRId64, v);
  return buf;
}

bool online() {
  return Reachability::isConnectedToNetwork();
}

std::string updateKey(const std::string& id) {
  return "CHANNEL_UPDATE_KEY_" + id;
}

std::optional<std::string> storedStamp(const std::string& id) {
  return NSUserDefaults::standardUserDefaults()->stringForKey(updateKey(id));
}

// The stamp of the document differs from the one last shown, or one of them is missing.
bool stampChanged(const std::optional<std::string>& stamp,
                  const std::optional<std::string>& stored) {
  return !stamp || stamp->empty() || !stored || *stamp != *stored;
}

}  // namespace

ChannelViewController::ChannelViewController() = default;

ChannelViewController::~ChannelViewController() {
  if (updateTimer_) updateTimer_->invalidate();
}

// ---- creation

void ChannelViewController::observeBindAndClearBadge() {
  addObserverWithSelector(weakSelf<ChannelViewController>(),
                          selector(weakSelf<ChannelViewController>(),
                                   &ChannelViewController::bindAccountOk, "bindAccountOk:"),
                          kBindAccountOk);
  UIApplication::sharedApplication()->setApplicationIconBadgeNumber(0);
}

std::shared_ptr<ChannelViewController> ChannelViewController::initWithChannelType(
    int channelType, int actionType, const Value& item) {
  auto screen = std::make_shared<ChannelViewController>();
  screen->selfItem_ = item;
  if (actionType != kKindTopicTimeline) {
    screen->observeBindAndClearBadge();
  }
  screen->setCurrentChannel(Channel::initWithChannelType(channelType, actionType));
  return screen;
}

std::shared_ptr<ChannelViewController> ChannelViewController::initWithChannelItem(
    const ChannelItemPtr& item) {
  auto screen = std::make_shared<ChannelViewController>();
  screen->channelItem_ = item;
  screen->observeBindAndClearBadge();
  screen->setCurrentChannel(item ? Channel::initWithChannelItem(item) : Channel::init());
  return screen;
}

std::shared_ptr<ChannelViewController> ChannelViewController::initWithChannelType(int channelType,
                                                                                  int actionType) {
  auto screen = std::make_shared<ChannelViewController>();
  screen->observeBindAndClearBadge();
  screen->setCurrentChannel(Channel::initWithChannelType(channelType, actionType));
  return screen;
}

std::shared_ptr<ChannelViewController> ChannelViewController::initWithKeyWord(
    const std::string& keyWord, int actionType) {
  auto screen = std::make_shared<ChannelViewController>();
  screen->keyWord_ = keyWord;
  screen->observeBindAndClearBadge();
  screen->setCurrentChannel(Channel::initWithChannelType(0, actionType));
  return screen;
}

void ChannelViewController::setCurrentChannel(const ChannelPtr& channel) {
  currentChannel_ = channel ? channel : Channel::init();
  setActionType(currentChannel_->actionType());
  needShowRet_ = true;
  int kind = listKind();
  if (kind != kKindChannel && kind != kKindNews && kind != kKindTimelines && updateTimer_) {
    updateTimer_->invalidate();
    updateTimer_.reset();
  }
  setIsInRefresh(false);
  lastStateId_ = lastCreateAt_ = 0;
  previous_cursor_ = next_cursor_ = temp_cursor_ = 0;
  currentChannel_->setChannelStatuses(makeArray());
  // The view (and its table) is built here when it was not yet.
  view();
  if (auto table = dataTableView()) {
    table->scrollRectToVisible(CGRectMake(0, 0, 1, 1), false);
    table->setContentOffset(CGPointMake(0, 0));
    table->reloadData();
  }
  initView();
  if (isWoDeDingYueNoChannel()) {
    openChannelList(false);
  } else if (channelView_) {
    channelView_->view()->removeFromSuperview();
    channelView_.reset();
  }
  if (naviBarView_) {
    if (auto button = std::static_pointer_cast<UIView>(naviBarView_)->viewWithTag(3))
      NSStatusShow::engine()->setViewRotAnimation(button);
  }
  getChannelData();
  if (kind == kKindSeminars || kind == kKindTopicList || kind == kKindTradeFair) {
    removeMoreView(true);
    if (kind == kKindTradeFair) removeRefreshView(true);
  } else {
    removeMoreView(false);
  }
  auto msg = std::make_shared<NSMsgSend>();
  msg->sender = weakSelf<NSObject>();
  msg->type = int32_t(RequestType::SeminarChannelOpened);
  msg->data = makeArray({Value(kind), Value(currentChannel_->channelType())});
  postNotificationObject("seminar_has_request", msg);
}

// ---- small helpers

int ChannelViewController::listKind() const {
  return currentChannel_ ? currentChannel_->actionType() : 0;
}

ValueArray& ChannelViewController::statuses() {
  static ValueArray none;
  if (!currentChannel_) {
    none = makeArray();
    return none;
  }
  if (!currentChannel_->channelStatuses() || !currentChannel_->channelStatuses()->isMutable())
    currentChannel_->setChannelStatuses(currentChannel_->channelStatuses()
                                            ? currentChannel_->channelStatuses()->mutableCopy()
                                            : makeArray());
  return const_cast<ValueArray&>(currentChannel_->channelStatuses());
}

size_t ChannelViewController::statusCount() const {
  if (!currentChannel_ || !currentChannel_->channelStatuses()) return 0;
  return currentChannel_->channelStatuses()->count();
}

std::string ChannelViewController::topicId() const {
  auto topic = selfItem_.object<NSTopic>();
  return topic ? lld(topic->topicId) : std::string();
}

std::pair<int, std::string> ChannelViewController::cacheFileKey() const {
  int kind = listKind();
  if (kind == kKindFeed) return {kFileFeed, currentChannel_->channelId()};
  if (kind == kKindTopicTimeline) return {kFileTopic, topicId()};
  return {kFileChannel, currentChannel_ ? currentChannel_->channelId() : std::string()};
}

std::string ChannelViewController::baseCachePath() const {
  auto [fileKind, id] = cacheFileKey();
  return UIFilePath::getChannelFilePath(fileKind, id, 1, 0);
}

std::optional<std::string> ChannelViewController::readText(const std::string& path) {
  if (path.empty()) return std::nullopt;
  return NSFileManager::defaultManager().contentsAtPath(path);
}

void ChannelViewController::postRequest(int type, Value data, Selector action) {
  auto msg = std::make_shared<NSMsgSend>();
  msg->sender = weakSelf<NSObject>();
  msg->type = type;
  msg->data = std::move(data);
  msg->action = std::move(action);
  postNotificationObject(kGlobeRequest, msg);
}

void ChannelViewController::spin() {
  if (!naviTapView_ || !online()) return;
  if (auto button = std::static_pointer_cast<UIView>(naviTapView_)->viewWithTag(6))
    NSStatusShow::engine()->setViewRotAnimation(button);
}

void ChannelViewController::stopSpinner() {
  postNotification(kStopSpinner);
}

void ChannelViewController::recordFirstItem() {
  if (statusCount() == 0) return;
  Value first = statuses()->objectAtIndex(0);
  if (listKind() == kKindSeminars) {
    if (auto seminar = first.object<NSSeminar>()) lastStateId_ = seminar->seminarId;
    return;
  }
  if (auto status = first.object<Status>()) {
    lastStateId_ = status->statusId;
    lastCreateAt_ = status->createdAt;
  } else if (auto comment = first.object<Comment>()) {
    lastStateId_ = comment->commentId;
    lastCreateAt_ = comment->createdAt;
  }
}

std::optional<std::string> ChannelViewController::getChannelDate(const std::string& channelId) {
  auto text = readText(UIFilePath::updateDatePath());
  if (!text) return std::nullopt;
  Value doc = objectFromJSONString(*text);
  if (!doc.dictionary()) return std::nullopt;
  Value channels = doc["channels"];
  if (auto list = channels.array()) {
    for (const auto& entry : *list) {
      Value cids = entry["cids"];
      if (!cids || cids.isNull() || cids.description() != channelId) continue;
      Value stamp = entry["updt"];
      return !stamp || stamp.isNull() ? std::string() : stamp.description();
    }
  }
  return std::string();
}

// ---- first page

void ChannelViewController::getChannelData() {
  if (!currentChannel_) return;
  isEnd_ = false;
  pageNo_ = 1;
  isFirstRefresh_ = true;
  int kind = listKind();
  const std::string channelId = currentChannel_->channelId();

  if (kind == kKindTimelines) {
    if (!isInRefresh()) {
      int tabFile = currentSelectType_ == kTabFriends    ? 0
                    : currentSelectType_ == kTabAtMe     ? 2
                    : currentSelectType_ == kTabComments ? 3
                    : currentSelectType_ == kTabMine     ? 4
                                                         : -1;
      auto text = tabFile >= 0 ? readText(UIFilePath::localPath(tabFile)) : std::nullopt;
      if (text) {
        Value reply(*text);
        switch (currentSelectType_) {
          case kTabFriends:
            friendsStatusCallBack(reply);
            break;
          case kTabAtMe:
            atMeCallBack(reply);
            break;
          case kTabComments:
            commentsCallBack(reply);
            break;
          case kTabMine:
            myStatusCallBack(reply);
            break;
          default:
            break;
        }
      }
      if (statusCount() > 0 && text && !text->empty()) {
        isFirstRefresh_ = false;
        return;
      }
    }
    setIsInRefresh(true);
    switch (currentSelectType_) {
      case kTabFriends:
        getFriendsStatuses(0);
        break;
      case kTabAtMe:
        getAtMe(1);
        break;
      case kTabComments:
        getCommentsToMe(1);
        break;
      case kTabMine:
        getMyStatuses(1);
        break;
      default:
        break;
    }
    return;
  }

  if (kind == kKindNews) {
    if (statusCount() == 0) {
      if (auto text = readText(UIFilePath::getChannelFilePath(kFileChannel, channelId, 1, 0)))
        statusCallBack(Value(*text));
    }
    if (!online()) {
      PHProgressHUD::showPrompt(NSLocalizedString("NetworkError"));
      return;
    }
    getChannelStatuses(channelId, 1, 0);
    return;
  }

  if (kind == kKindSearch) {
    if (!online()) {
      PHProgressHUD::showPrompt(NSLocalizedString("NetworkError"));
      return;
    }
    getSearchStatuses(1, 0);
    return;
  }

  if (kind == kKindSeminars || kind == kKindTradeFair) {
    bool seminars = kind == kKindSeminars;
    std::optional<std::string> text;
    if (!isInRefresh()) {
      text = readText(UIFilePath::getChannelFilePath(seminars ? kFileSeminar : kFileTradeFair,
                                                     channelId, 1, 0));
      if (text) seminars ? seminarCallBack(Value(*text)) : veziCallBack(Value(*text));
      std::string stamp =
          seminars ? UIFilePath::getDialogUpDataTime() : UIFilePath::getVEZIUpDataTime();
      auto stored = storedStamp(channelId);
      if (stamp.empty() || !stored || stored->empty() || (stamp != *stored) || (statusCount() == 0))
        setIsInRefresh(true);
      if (statusCount() > 0 && text && !text->empty() && !online()) return;
      if (!isInRefresh()) return;
    }
    if (seminars)
      getSeminarStatuses(channelId, 1, previous_cursor_);
    else
      getVEZIStatuses(channelId, 1, previous_cursor_);
    recordFirstItem();
    return;
  }

  if (kind == kKindTopicList) {
    if (!isInRefresh()) {
      if (auto text = readText(UIFilePath::getChannelFilePath(kFileTopicList, channelId, 1, 0)))
        topicCallBack(Value(*text));
    }
    setIsInRefresh(true);
    getTopicList(channelId, 1, previous_cursor_);
    recordFirstItem();
    return;
  }

  if (kind == kKindTopicTimeline) {
    const std::string id = topicId();
    if (!isInRefresh()) {
      auto text = readText(UIFilePath::getChannelFilePath(kFileTopic, id, 1, 0));
      if (text) statusCallBack(Value(*text));
      // The stamp is stored under the record's channel id, so this always asks the server
      // after the cache: kept so.
      if (stampChanged(getChannelDate(id), storedStamp(id))) setIsInRefresh(true);
      if (statusCount() > 0 && text && !text->empty()) {
        if (!isInRefresh()) return;
        if (currentChannel_->channelType() == 4 && currentSelectType_ == kTabFavorites) return;
      }
    }
    setIsInRefresh(true);
    getTopicDetail(id, 1, previous_cursor_);
    recordFirstItem();
    return;
  }

  // Content channels, the feed, partner channels, favourites, read-later.
  bool readLater = isInReadLater();
  bool favorites = isInFavorite();
  bool wasInRefresh = isInRefresh();
  if (!wasInRefresh) {
    auto text = readText(UIFilePath::getChannelFilePath(
        kind == kKindFeed ? kFileFeed : kFileChannel, channelId, 1, 0));
    if (text && !readLater) statusCallBack(Value(*text));
    if (stampChanged(getChannelDate(channelId), storedStamp(channelId))) setIsInRefresh(true);
    if (statusCount() == 0 || !text || text->empty()) setIsInRefresh(true);
    if (statusCount() > 0 && text && !text->empty() && !isInRefresh()) return;
  }
  if (kind == kKindFeed) {
    bool request =
        !channelId.empty() && (!wasInRefresh || (newImage_ && newImage_->superview() != nullptr));
    if (!request) {
      setIsInRefresh(false);
      stopActivityIndicatorViewAnimation();
      if (newImage_) newImage_->removeFromSuperview();
      newImage_.reset();
      return;
    }
  }
  setIsInRefresh(true);
  if (readLater) {
    getLaterReadStatuses(1);
  } else if (favorites) {
    getFavorityStatuses(channelId, 1, previous_cursor_);
  } else if (kind == kKindFeed) {
    getFeedStatuses(channelId, 1, previous_cursor_);
  } else if (kind == kKindPartner) {
    getThirdPartyChannelStatuses(channelId, 1, previous_cursor_);
  } else if (channelId != "0") {
    getChannelStatuses(channelId, 1, previous_cursor_);
  }
  if (newImage_) newImage_->removeFromSuperview();
  newImage_.reset();
  recordFirstItem();
}

// ---- next page

void ChannelViewController::loadMoreData() {
  isFirstRefresh_ = false;
  int kind = listKind();
  const std::string channelId = currentChannel_ ? currentChannel_->channelId() : std::string();
  if (kind == kKindSeminars || kind == kKindTopicList || kind == kKindTradeFair) {
    doneMoreLocalTableView();
    return;
  }
  if (kind == kKindNews) {
    if (pageNo_ >= 3) {
      doneMoreLocalTableView();
      return;
    }
    if (pageNo_ == 2) removeMoreView(true);
  }
  if (isEnd_) {
    PHProgressHUD::showPrompt("已经是最后一页了");
    doneMoreLocalTableView();
    return;
  }
  if (statusCount() == 0) {
    doneMoreLocalTableView();
    return;
  }
  if (kind == kKindTimelines) {
    int tabFile = currentSelectType_ == kTabFriends    ? 0
                  : currentSelectType_ == kTabAtMe     ? 2
                  : currentSelectType_ == kTabComments ? 3
                                                       : 4;
    if (statusLocal(readText(UIFilePath::localPath(tabFile)))) {
      doneMoreLocalTableView();
      return;
    }
    switch (currentSelectType_) {
      case kTabFriends: {
        ++pageNo_;
        auto last = statuses()->lastObject().object<Status>();
        getFriendsStatuses(last ? last->statusId - 1 : 0);
        break;
      }
      case kTabAtMe:
        getAtMe(++pageNo_);
        break;
      case kTabComments:
        getCommentsToMe(++pageNo_);
        break;
      default:
        getMyStatuses(++pageNo_);
        break;
    }
    return;
  }
  if (kind == kKindTopicTimeline) {
    if (statusLocal(readText(UIFilePath::getChannelFilePath(kFileTopic, topicId(), 1, 0)))) {
      doneMoreLocalTableView();
      return;
    }
    getTopicDetail(topicId(), ++pageNo_, next_cursor_);
    stopActivityIndicatorViewAnimation();
    return;
  }
  if (kind == kKindSearch) {
    getSearchStatuses(++pageNo_, next_cursor_);
    stopActivityIndicatorViewAnimation();
    return;
  }
  if (statusLocal(readText(baseCachePath()))) {
    doneMoreLocalTableView();
    return;
  }
  if (!online()) {
    doneMoreLocalTableView();
    return;
  }
  if (kind == kKindFeed) {
    getFeedStatuses(channelId, ++pageNo_, next_cursor_);
  } else if (isInReadLater()) {
    getLaterReadStatuses(++pageNo_);
  } else if (isInFavorite()) {
    getFavorityStatuses(channelId, ++pageNo_, next_cursor_);
  } else if (channelId != "0") {
    getChannelStatuses(channelId, ++pageNo_, next_cursor_);
  }
  stopActivityIndicatorViewAnimation();
}

// ---- senders

void ChannelViewController::postPage(RequestType type, Value data, ReplyHandler handler,
                                     const char* handlerName, int pageIndex) {
  postRequest(int(type), std::move(data),
              selector(weakSelf<ChannelViewController>(), handler, handlerName));
  if (pageIndex > 1) stopActivityIndicatorViewAnimation();
}

Value ChannelViewController::pageParams(const std::string& id, int pageIndex, int64_t maxId,
                                        std::optional<int64_t> tempCursor) {
  std::vector<Value> params{Value(id), Value(std::to_string(pageIndex)), Value(lld(maxId))};
  if (tempCursor) params.push_back(Value(lld(*tempCursor)));
  return makeArray(std::move(params));
}

void ChannelViewController::refreshingFirstPage(int pageIndex) {
  if (pageIndex != 1) return;
  isRefreshBar_ = true;
  spin();
}

void ChannelViewController::getChannelStatuses(const std::string& channelId, int pageIndex,
                                               int64_t maxId) {
  postPage(RequestType::ChannelStatuses, pageParams(channelId, pageIndex, maxId, temp_cursor_),
           &ChannelViewController::statusCallBack, "statusCallBack:", pageIndex);
  refreshingFirstPage(pageIndex);
}

void ChannelViewController::getThirdPartyChannelStatuses(const std::string& channelId,
                                                         int pageIndex, int64_t maxId) {
  postPage(RequestType::ChannelStatuses, pageParams(channelId, pageIndex, maxId, temp_cursor_),
           &ChannelViewController::statusCallBack, "statusCallBack:", pageIndex);
}

void ChannelViewController::getFeedStatuses(const std::string& channelId, int pageIndex,
                                            int64_t maxId) {
  postPage(RequestType::FeedStatuses, pageParams(channelId, pageIndex, maxId),
           &ChannelViewController::statusCallBack, "statusCallBack:", pageIndex);
}

void ChannelViewController::getFavorityStatuses(const std::string& channelId, int pageIndex,
                                                int64_t maxId) {
  if (!NSWeiBoNet::isLoginedNoPrompt()) {
    if (auto table = dataTableView()) table->reloadData();
    addGuideView("favoriteHelp");
    return;
  }
  postPage(RequestType::FavoriteStatuses, pageParams(channelId, pageIndex, maxId, temp_cursor_),
           &ChannelViewController::statusCallBack, "statusCallBack:", pageIndex);
  spin();
}

void ChannelViewController::getSeminarStatuses(const std::string& channelId, int pageIndex,
                                               int64_t maxId) {
  postPage(RequestType::SeminarList, pageParams(channelId, pageIndex, maxId),
           &ChannelViewController::seminarCallBack, "seminarCallBack:", pageIndex);
  spin();
}

void ChannelViewController::getVEZIStatuses(const std::string& channelId, int pageIndex, int64_t) {
  postPage(RequestType::ExpoBanners, makeArray({Value(channelId)}),
           &ChannelViewController::veziCallBack, "veziCallBack:", pageIndex);
  spin();
}

void ChannelViewController::getTopicList(const std::string& channelId, int pageIndex,
                                         int64_t maxId) {
  postPage(RequestType::TopicList, pageParams(channelId, pageIndex, maxId),
           &ChannelViewController::topicCallBack, "topicCallBack:", pageIndex);
  refreshingFirstPage(pageIndex);
}

void ChannelViewController::getTopicDetail(const std::string& topicId, int pageIndex,
                                           int64_t maxId) {
  postPage(RequestType::TopicTimeline, pageParams(topicId, pageIndex, maxId),
           &ChannelViewController::statusCallBack, "statusCallBack:", pageIndex);
  refreshingFirstPage(pageIndex);
}

void ChannelViewController::getSearchStatuses(int pageIndex, int64_t maxId) {
  postPage(RequestType::Search, pageParams(keyWord_, pageIndex, maxId),
           &ChannelViewController::statusCallBack, "statusCallBack:", pageIndex);
  if (pageIndex == 1) isRefreshBar_ = true;
}

void ChannelViewController::getFriendsStatuses(int64_t maxId) {
  startBusyAnimation();
  postPage(RequestType::PlatformFriendsTimeline, makeArray({Value(lld(maxId)), Value("20")}),
           &ChannelViewController::friendsStatusCallBack, "friendsStatusCallBack:", pageNo_);
}

void ChannelViewController::getMyStatuses(int pageIndex) {
  startBusyAnimation();
  postRequest(int(RequestType::PlatformMyStatuses),
              makeArray({Value("20"), Value(std::to_string(pageIndex))}),
              selector(weakSelf<ChannelViewController>(), &ChannelViewController::myStatusCallBack,
                       "myStatusCallBack:"));
}

void ChannelViewController::getAtMe(int pageIndex) {
  startBusyAnimation();
  postPage(RequestType::PlatformMentions,
           makeArray({Value(std::to_string(pageIndex)), Value("20")}),
           &ChannelViewController::atMeCallBack, "atMeCallBack:", pageIndex);
}

void ChannelViewController::getCommentsToMe(int pageIndex) {
  startBusyAnimation();
  postPage(RequestType::PlatformCommentsToMe,
           makeArray({Value(std::to_string(pageIndex)), Value("20")}),
           &ChannelViewController::commentsCallBack, "commentsCallBack:", pageIndex);
}

void ChannelViewController::getLaterReadStatuses(int pageIndex) {
  auto items = OriginalArticle::articleItemsWithPage(pageIndex);
  stopSpinner();
  if (items && !items->empty()) {
    if (pageIndex == 1) statuses() = makeArray();
    for (auto& item : *items) statuses()->addObject(Value(item));
  } else if (pageIndex == 1) {
    if (auto table = dataTableView()) table->reloadData();
    addGuideView("readLaterHelp");
  } else {
    isEnd_ = true;
  }
  if (auto table = dataTableView()) table->reloadData();
  doneMoreLocalTableView();
}

// ---- freshness

void ChannelViewController::showNewImage(CGFloat y) {
  if (view()->viewWithTag(kNewImageTag)) return;
  newImage_ = std::make_shared<UIImageView>(UIImage::imageNamed("channelNew"));
  newImage_->setFrame(CGRectMake(288, y, 30, 18));
  newImage_->setTag(kNewImageTag);
  view()->addSubview(newImage_);
}

void ChannelViewController::channelHasNew(const Value&) {
  if (listKind() == kKindNews || isInRefresh() || !currentChannel_) return;
  auto stamp = getChannelDate(currentChannel_->channelId());
  auto stored = storedStamp(currentChannel_->channelId());
  if (stamp && !stamp->empty() && (!stored || *stored != *stamp))
    showNewImage(UIScreen::mainScreen()->bounds().size.height - 62);
}

namespace {
// The first channel's non-empty "updt" of an update-time reply.
std::optional<std::string> replyStamp(const Value& reply) {
  Value doc = objectFromJSONString(reply.description());
  Value channels = doc["channels"];
  if (!channels.array() || channels.count() == 0 || !channels[0].dictionary()) return std::nullopt;
  Value stamp = channels[0]["updt"];
  if (!stamp || stamp.isNull() || stamp.description().empty()) return std::nullopt;
  return stamp.description();
}
}  // namespace

void ChannelViewController::subscriptionUpdateTimeFirstCallback(const Value& reply) {
  auto stamp = replyStamp(reply);
  if (!stamp || !currentChannel_) return;
  auto stored = storedStamp(currentChannel_->channelId());
  if (stored && *stored == *stamp) return;
  auto defaults = NSUserDefaults::standardUserDefaults();
  defaults->setObject(Value(*stamp), updateKey(currentChannel_->channelId()));
  defaults->synchronize();
}

void ChannelViewController::subscriptionUpdateTimeCallback(const Value& reply) {
  auto stamp = replyStamp(reply);
  if (!stamp || !currentChannel_) return;
  auto stored = storedStamp(currentChannel_->channelId());
  if (stored && *stored == *stamp) return;
  auto defaults = NSUserDefaults::standardUserDefaults();
  defaults->setObject(Value(*stamp), updateKey(currentChannel_->channelId()));
  defaults->synchronize();
  showNewImage(418);
}

void ChannelViewController::checkSubscriptionUpdateTimeCallback(const Value&) {
  setIsInRefresh(true);
  recordFirstItem();
  getFeedStatuses(currentChannel_ ? currentChannel_->channelId() : std::string(), 1,
                  previous_cursor_);
}

void ChannelViewController::playNewItemsSound() {
  NSStatusShow::engine()->playAudio(false);
}

void ChannelViewController::showCurRefresh() {
  if (isInFavorite() || !online() || !isInRefresh()) return;
  int n = 0;
  // Without a first item remembered there is nothing to count against.
  if (lastCreateAt_ != 0) {
    for (const auto& item : *statuses()) {
      auto status = item.object<Status>();
      if (!status) return;
      if (status->statusId == lastStateId_) break;
      if (status->createdAt >= lastCreateAt_) ++n;
    }
  }
  if (n > 0) {
    if (newStatusCount_ >= 1 && listKind() != kKindNews) n = newStatusCount_;
    PHProgressHUD::showBarPrompt(std::to_string(n) + "条新微博", view());
    performSelectorAfterDelay(
        selector(weakSelf<ChannelViewController>(), &ChannelViewController::playNewItemsSound,
                 "playNewItemsSound"),
        Value(), kNewItemsSoundDelay);
    newStatusCount_ = 0;
    lastCreateAt_ = 0;
    isFirstRefresh_ = false;
  } else if (lastStateId_ != 0 && lastCreateAt_ != 0 && !isFirstRefresh_) {
    PHProgressHUD::showBarPrompt(NSLocalizedString("没有新微博"), view());
  } else if (isFirstRefresh_) {
    isFirstRefresh_ = false;
  }
  lastCreateAt_ = 0;
  isFirstRefresh_ = false;
}

// ---- bar refresh

namespace {
// Starts the spin of the refresh button (the sender, else the bar's tag-3 view); offline it
// says so, stops the spin and answers NO.
bool beginBarRefresh(const Value& sender, const std::shared_ptr<UINaviComView>& bar) {
  std::shared_ptr<UIView> button = sender.object<UIView>();
  if (!button && bar) button = std::static_pointer_cast<UIView>(bar)->viewWithTag(3);
  if (button) NSStatusShow::engine()->setViewRotAnimation(button);
  if (online()) return true;
  PHProgressHUD::showPrompt(NSLocalizedString("NetworkError"));
  postNotification(kStopSpinner);
  return false;
}
}  // namespace

void ChannelViewController::prepareRefresh() {
  setIsInRefresh(true);
  newStatusCount_ = 0;
  postNotification("start_timer_animal");
  if (newImage_) newImage_->removeFromSuperview();
  newImage_.reset();
}

void ChannelViewController::refresh(const Value& sender) {
  if (!beginBarRefresh(sender, naviBarView_)) return;
  int kind = listKind();
  if (kind == kKindNews) removeMoreView(false);
  prepareRefresh();
  if (kind == kKindTradeFair) {
    // Nothing is asked for this list, so the mark stops at once instead of spinning on.
    stopSpinner();
    return;
  }
  if (statusCount() > 0 && kind != kKindTopicTimeline) recordFirstItem();
  getChannelData();
  isFirstRefresh_ = false;
}

void ChannelViewController::refreshByButton(const Value& sender) {
  if (!beginBarRefresh(sender, naviBarView_)) return;
  prepareRefresh();
  // The topic timeline always reloads its first page whole.
  previous_cursor_ = 0;
  getChannelData();
  isFirstRefresh_ = false;
}

// ---- least forms of the bar, advert and navigation services the loading relies on

bool ChannelViewController::isInFavorite() const {
  int kind = listKind();
  return kind == kKindFavorites ||
         (kind == kKindFavReadLater && currentSelectType_ == kTabFavorites);
}

bool ChannelViewController::isInReadLater() const {
  int kind = listKind();
  return kind == kKindReadLater ||
         (kind == kKindFavReadLater && currentSelectType_ == kTabReadLater);
}

bool ChannelViewController::isWoDeDingYueNoChannel() const {
  return listKind() == kKindFeed && Channel::initWithChannelType(5, kKindFeed)->channelId().empty();
}

void ChannelViewController::openChannelList(bool) {
  reportStandInEvent(className(), "openChannelList");
}

std::string ChannelViewController::getChannelId() {
  return currentChannel_ ? currentChannel_->channelId() : std::string();
}

void ChannelViewController::addGuideView(const std::string& name) {
  reportStandInEvent(className(), "addGuideView", Value(name));
}

void ChannelViewController::adInfoChannelCallBack(const Value&) {
  isRefreshBar_ = false;
}

void ChannelViewController::bindAccountOk(const Value&) {}

void ChannelViewController::stopRequest() {}

void ChannelViewController::didReceiveMemoryWarning() {
  UIChannelBaseViewCtrl::didReceiveMemoryWarning();
}

void ChannelViewController::cancelButtonPushed(const Value& sender) {
  reportStandInEvent(className(), "cancelButtonPushed");
  if (updateTimer_) updateTimer_->invalidate();
  updateTimer_.reset();
  stopSpinner();
  stopRequest();
  UIViewCtrl::cancelButtonPushed(sender);
}

NS_CLASS_IMPLEMENTATION(ChannelViewController) {
  c.initializer("initWithChannelItem:", &ChannelViewController::initWithChannelItem);
  c.initializer("initWithChannelType:actionType:",
                static_cast<std::shared_ptr<ChannelViewController> (*)(int, int)>(
                    &ChannelViewController::initWithChannelType));
  c.method("cancelButtonPushed:", &ChannelViewController::cancelButtonPushed);
  c.method("refreshTableView", &ChannelViewController::refreshTableView);
  c.method("refresh:", &ChannelViewController::refresh);
  c.method("statusCallBack:", &ChannelViewController::statusCallBack);
  c.method("getChannelData", &ChannelViewController::getChannelData);
  c.method("loadMoreData", &ChannelViewController::loadMoreData);
}

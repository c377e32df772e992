// The one list screen of the app: every list the reader opens (a content channel, the subscribed
// feed, a partner channel, the microblog timelines, favourites, read-later, the seminar list,
// the trade-fair list, the topic list, one topic's timeline, search results) is this class with
// a different `Channel`, whose `actionType` is the list kind.
//
// What callers rely on:
// - The creators build the `Channel` and switch to it with setCurrentChannel; the view is built
//   on first use, so a screen made and never shown still loads its list (cache, then server).
// - Opening a list shows the cached reply file first; the server is asked only when the
//   update-date document's stamp for the channel differs from the one last shown
//   ("CHANNEL_UPDATE_KEY_<channelId>") or the cache is missing or empty.  A pull-down, the bar's
//   refresh button or a tab goes to the server at once.
// - Every request goes on the bus ("globe_request") with one of the screen's reply actions; the
//   reply handlers parse, merge with the shown list and the cache file, hold the paging cursors
//   and end the list when the server reports no further page.
// - The list is at most 20 items after a refresh; load-more pages come from the cache file
//   while it holds whole pages, then from the server (max id `next_cursor`).
// - cancelButtonPushed (the back action) stops every request and leaves the screen; AppDelegate
//   and the home screen call it, refreshTableView, isInFavorite and isInReadLater.
// Main thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "CoreGraphics/CGGeometry.h"
#include "Foundation/NSIndexPath.h"
#include "Foundation/Value.h"
#include "UIKit/UIGestureRecognizer.h"
#include "core/RequestType.h"
#include "model/Channel.h"
#include "model/ChannelItem.h"
#include "model/NSAdInfo.h"
#include "model/Status.h"
#include "screens/reading/UIChannelBaseViewCtrl.h"

class NSTimer;
class UIButton;
class UIHomeViewCell;
class UIImageView;
class UILabel;
class UINaviComView;
class UINaviTabView;
class UIPanGestureRecognizer;
class UIView;
class UIViewController;

class ChannelViewController : public UIChannelBaseViewCtrl, public UIGestureRecognizerDelegate {
  NS_CLASS(ChannelViewController, UIChannelBaseViewCtrl)
 public:
  // The list kinds (`Channel.actionType`) the screen tells apart.
  enum ListKind : int {
    kKindChannel = 0,
    kKindNews = 1,
    kKindTabbedChannel = 2,
    kKindReadLater = 3,
    kKindFavorites = 4,
    kKindTimelines = 5,
    kKindPartner = 6,
    kKindSeminars = 7,
    kKindFeed = 8,
    kKindVideo = 10,
    kKindTabbedVideo = 11,
    kKindFavReadLater = 12,
    kKindTopicList = 13,
    kKindTabbedChannel2 = 14,
    kKindTradeFair = 15,
    kKindSearch = 51,
    kKindTopicTimeline = 103,
  };
  // Tabs (`currentSelectType`).
  enum SelectType : int {
    kTabFriends = 1,
    kTabAtMe = 2,
    kTabComments = 3,
    kTabMine = 4,
    kTabFavorites = 5,
    kTabReadLater = 6,
  };
  static constexpr int kPageSize = 20;
  static constexpr int kNewImageTag = 300;
  static constexpr int kAtMeBadgeTag = 301;
  static constexpr int kCommentBadgeTag = 302;
  static constexpr int kSearchCountLabelTag = 323;
  static constexpr int kGuideTag = 299;
  static constexpr int kHelpTag = 298;
  static constexpr int kTitleViewTag = 251;
  static constexpr int kTouchCatcherTag = 10086;
  static constexpr const char* kUpdateKeyFormat = "CHANNEL_UPDATE_KEY_%@";
  static constexpr const char* kTopicUpdateKey = "CHANNEL_UPDATE_KEY_TOPIC";
  // The new-items sound follows the bar prompt by this much.
  static constexpr double kNewItemsSoundDelay = 0.5;
  static constexpr double kTableStartDelay = 0.4;

  ChannelViewController();
  ~ChannelViewController() override;

  // ---- creation (7.110)
  static std::shared_ptr<ChannelViewController> initWithChannelType(int channelType, int actionType,
                                                                    const Value& item);
  static std::shared_ptr<ChannelViewController> initWithChannelItem(const ChannelItemPtr& item);
  static std::shared_ptr<ChannelViewController> initWithChannelType(int channelType,
                                                                    int actionType);
  static std::shared_ptr<ChannelViewController> initWithKeyWord(const std::string& keyWord,
                                                                int actionType);
  void setCurrentChannel(const ChannelPtr& channel);

  // ---- loading and paging (7.110)
  void getChannelData();
  void loadMoreData() override;
  void getChannelStatuses(const std::string& channelId, int pageIndex, int64_t maxId);
  void getThirdPartyChannelStatuses(const std::string& channelId, int pageIndex, int64_t maxId);
  void getFeedStatuses(const std::string& channelId, int pageIndex, int64_t maxId);
  void getFavorityStatuses(const std::string& channelId, int pageIndex, int64_t maxId);
  void getSeminarStatuses(const std::string& channelId, int pageIndex, int64_t maxId);
  void getVEZIStatuses(const std::string& channelId, int pageIndex, int64_t maxId);
  void getTopicList(const std::string& channelId, int pageIndex, int64_t maxId);
  void getTopicDetail(const std::string& topicId, int pageIndex, int64_t maxId);
  void getSearchStatuses(int pageIndex, int64_t maxId);
  void getFriendsStatuses(int64_t maxId);
  void getMyStatuses(int pageIndex);
  void getAtMe(int pageIndex);
  void getCommentsToMe(int pageIndex);
  void getLaterReadStatuses(int pageIndex);
  // The "updt" of the update-date document's channel entry; "" when none matches, nullopt
  // when the document is missing or not an object.
  static std::optional<std::string> getChannelDate(const std::string& channelId);
  void channelHasNew(const Value& notification);
  void checkSubscriptionUpdateTimeCallback(const Value& reply);
  void subscriptionUpdateTimeFirstCallback(const Value& reply);
  void subscriptionUpdateTimeCallback(const Value& reply);
  // The new-items prompt after a refresh.
  void showCurRefresh();

  // ---- replies (7.120)
  void statusCallBack(const Value& reply);
  void friendsStatusCallBack(const Value& reply);
  void myStatusCallBack(const Value& reply);
  void atMeCallBack(const Value& reply);
  void commentsCallBack(const Value& reply);
  void topicCallBack(const Value& reply);
  void seminarCallBack(const Value& reply);
  void veziCallBack(const Value& reply);
  void channelCountInfo(const Value& reply);
  void likeCountCallback(const Value& reply);
  void RrComCountAction(const Value& reply);
  void checkHaveLiked(const std::shared_ptr<NSObject>& item);
  void setTableViewStart();
  void removeLocalFile();
  bool statusLocal(const std::optional<std::string>& text);
  bool seminarLocal(const std::optional<std::string>& text);
  // A picture of a row finished: reloads the row (YES), or queues it while a detail view is
  // open (NO); NO for rows outside the list.
  bool reloadDownloadedRow(const NSIndexPath& indexPath);
  void DownloadOver(const NSIndexPath& indexPath) override { reloadDownloadedRow(indexPath); }

  // ---- table and rows (7.111)
  long tableViewNumberOfRowsInSection(const std::shared_ptr<UITableView>& tableView,
                                      long section) override;
  CGFloat tableViewHeightForRowAtIndexPath(const std::shared_ptr<UITableView>& tableView,
                                           const NSIndexPath& indexPath) override;
  std::shared_ptr<UITableViewCell> tableViewCellForRowAtIndexPath(
      const std::shared_ptr<UITableView>& tableView, const NSIndexPath& indexPath) override;
  void tableViewDidSelectRowAtIndexPath(const std::shared_ptr<UITableView>& tableView,
                                        const NSIndexPath& indexPath) override;
  void scrollViewWillBeginDragging(const std::shared_ptr<UIScrollView>& scrollView) override;
  void scrollViewDidEndDecelerating(const std::shared_ptr<UIScrollView>& scrollView) override;
  // The one "advert row shown" rule: an advert whose picture is on disk, in a list that draws
  // advert rows (not the comment tab, read-later, kinds 7 and 15).  The disk is asked once per
  // reload of the table, not for every row height and cell.
  bool advertRowShown() const;

  // ---- item actions (7.112)
  void goodAction(const NSIndexPath& indexPath) override;
  void showGoodCommentView();
  void checkText();
  void goodRepostCheck(const Value& sender);
  void goodBack(const Value& sender);
  void goodSend(const Value& sender);
  void goodClear(const Value& sender);
  void contentAction(int code) override;
  void actionSheetClickedButtonAtIndex(const Value& sheet, long buttonIndex);
  void alertViewDidDismissWithButtonIndex(const Value& alert, long buttonIndex);
  void longPressAction(const std::string& link) override;
  void LongPress(const Value& recognizer);
  void readPress(const Value& recognizer);
  void favCallBack(const Value& reply);
  void deleteCallBack(const Value& reply);
  void shareArticleCallback(const Value& reply);
  void refreshFavoriteStatues(bool favorited) override;
  void refreshStatues(const StatusPtr& fresh) override;
  void reFreshDeleRow();
  void removeWriteFav(int index);
  void articleDidDeleted(const Value& notification);
  std::shared_ptr<UIHomeViewCell> getNextPage(bool previous) override;
  void showInfo() override;
  void openSeminarViewCtrl(int index);
  void seminarAction(const Value& sender);
  void bindAccountOk(const Value& notification);
  void recordLinkRead() override;
  void recordReadLater(int code);
  void returnAction(const Value& sender) override;
  // The text length of the 140-character limits.
  static int convertToInt(const std::string& text);

  // ---- set-up, bars, help, gestures (7.113)
  void viewDidLoad() override;
  void initView();
  void addSearchNavigationView();
  void addNavigationView();
  void addFevReadNavigationView();
  void checkForHelp();
  void closeHelp(const Value& sender);
  void changeTheme();
  bool gestureRecognizerShouldReceiveTouch(const Value& recognizer, const Value& touch);
  bool gestureRecognizerShouldBegin(const Value& recognizer);
  void userPinned(const Value& recognizer);
  // The pan's delegate calls, handed to the two above.
  bool gestureRecognizerShouldReceiveTouch(const std::shared_ptr<UIGestureRecognizer>& recognizer,
                                           const std::shared_ptr<UITouch>& touch) override;
  bool gestureRecognizerShouldBegin(
      const std::shared_ptr<UIGestureRecognizer>& recognizer) override;

  // ---- navigation and bar actions (7.121)
  void moveToLeftSide();
  void moveToRightSide();
  void animateHomeViewToSide(const CGRect& frame);
  void restoreViewLocation();
  void restoreViewLocationWithNoAnimation();
  void pushViewOutRight();
  void pushViewOutLeft();
  void popViewIn();
  void naviGoOut();
  void reloadChannelView();
  void naviBarAction(const Value& sender);
  void naviTabSelect(int tab);
  void openChannelList(bool push);
  void feedChannelChange(const Value& notification);
  void feedChannelChangeView(const Value& notification);
  void popViewCtrl(bool leave);
  void firstSubscriptionUpdate() {}
  void cancelEngine();
  void friendsStatusDidSelect(const Value& sender);
  void atMeDidSelect(const Value& sender);
  void myCommentDidSelect(const Value& sender);
  void myStatusDidSelect(const Value& sender);
  void favReadAction(const Value& sender);
  void joinTopic();
  void showTopicDetail();
  // 1 (YES) reposts the reposted status, 0 comments on it.
  void OriginalAction(int repost) override;
  void addGuideView(const std::string& name);
  void removeGuideView();
  // The back action: stops every request and leaves the navigation stack.  The sender may be
  // nil.
  void cancelButtonPushed(const Value& sender = {});
  void cancelRequest();
  void cancelView();
  void setDataNull();
  std::shared_ptr<NSObject> getCurSelectItem(const NSIndexPath& indexPath) const;
  long getCurSelectIndex(const NSIndexPath& indexPath) const;
  NSIndexPath getNextIndexPath(const NSIndexPath& path, long number) const;
  std::string getChannelId() override;
  std::string getCurrentItemEid() override;
  std::string getCurNaviTitle() const;
  std::string getThirdPartyChannelTitle() const;
  bool isWoDeDingYueNoChannel() const;
  void openVEZIUrl(const std::string& address);
  bool isInFavorite() const;
  bool isInReadLater() const;
  void didReceiveMemoryWarning() override;

  // ---- adverts, badges and refresh (7.122)
  void refreshBarner();
  void loadBarnerFromDB();
  void adInfoChannelCallBack(const Value& reply);
  void adImgCallBack(const Value& request);
  void showAdOk();
  void showAdOkList(const std::vector<std::string>& ids);
  void adCloseAction(const Value& sender);
  void adTapAction(const Value& sender);
  void stopRequest();
  void checkMessage(const Value& timer);
  void checkMessageCallback(const Value& reply);
  void updateButtonWithBadge(const std::shared_ptr<UIButton>& button, const std::string& text);
  void resetMessageCount(const std::string& key) { (void)key; }
  void resetMessageCallback(const Value& reply);
  // Bar refresh, also the pull-down's; the sender is the spinning button or nil.
  void refresh(const Value& sender) override;
  void refreshByButton(const Value& sender);

  // ---- fields (7.110)
  const ChannelPtr& currentChannel() const { return currentChannel_; }
  // The catalogue record the screen was made for; null otherwise.
  const ChannelItemPtr& channelItem() const { return channelItem_; }
  const std::shared_ptr<NSTimer>& updateTimer() const { return updateTimer_; }
  void setUpdateTimer(std::shared_ptr<NSTimer> timer) { updateTimer_ = std::move(timer); }
  bool isFirstRefresh() const { return isFirstRefresh_; }
  bool needShowRet() const { return needShowRet_; }
  const std::shared_ptr<UIViewController>& channelView() const { return channelView_; }
  const std::shared_ptr<UINaviComView>& naviBarView() const { return naviBarView_; }
  void setNaviBarView(std::shared_ptr<UINaviComView> view) { naviBarView_ = std::move(view); }
  const Value& selfItem() const { return selfItem_; }
  void setSelfItem(Value item) { selfItem_ = std::move(item); }
  const NSAdInfoPtr& adInfo() const { return adInfo_; }
  void setAdInfo(NSAdInfoPtr ad) {
    adInfo_ = std::move(ad);
    // A new advert (a reply) looks at the disk again: its picture may have landed meanwhile.
    adPictureOnDisk_.reset();
  }
  const NSAdInfoPtr& lastAdInfo() const { return lastAdInfo_; }
  void setLastAdInfo(NSAdInfoPtr ad) { lastAdInfo_ = std::move(ad); }
  const std::shared_ptr<UINaviTabView>& naviTapView() const { return naviTapView_; }
  void setNaviTapView(std::shared_ptr<UINaviTabView> view) { naviTapView_ = std::move(view); }
  const std::shared_ptr<UIImageView>& newImage() const { return newImage_; }
  const std::shared_ptr<UIImageView>& navigationView() const { return navigationView_; }
  bool isRefreshBar() const { return isRefreshBar_; }
  int currentSelectType() const { return currentSelectType_; }
  void setCurrentSelectType(int type) { currentSelectType_ = type; }
  const std::string& keyWord() const { return keyWord_; }
  void setKeyWord(std::string word) { keyWord_ = std::move(word); }
  bool homeViewIsOutOfStage() const { return homeViewIsOutOfStage_; }

  // ---- paging state of the list (kept here for the channel screens)
  int pageNo() const { return pageNo_; }
  void setPageNo(int page) { pageNo_ = page; }
  bool isEnd() const { return isEnd_; }
  void setIsEnd(bool end) { isEnd_ = end; }
  int64_t lastStateId() const { return lastStateId_; }
  int64_t lastCreateAt() const { return lastCreateAt_; }
  int newStatusCount() const { return newStatusCount_; }
  int64_t next_cursor() const { return next_cursor_; }
  int64_t previous_cursor() const { return previous_cursor_; }
  int64_t temp_cursor() const { return temp_cursor_; }

  // Stands in for "the list's items": the loaded records of the current channel.
  ValueArray& statuses();
  size_t statusCount() const;

 protected:
  // Kinds of the cache files (UIFilePath::getChannelFilePath).
  enum FileKind : int {
    kFileChannel = 0,
    kFileFeed = 1,
    kFileSeminar = 2,
    kFileTopicList = 5,
    kFileTopic = 6,
    kFileTradeFair = 8,
    kFileSearch = 10,
    kFileArea = 13,
    kFileFavorites = 14,
  };
  int listKind() const;
  // The topic id of a topic timeline ("%lld" of selfItem's topic), "" otherwise.
  std::string topicId() const;
  // The file kind and id of the list's base cache (file kind 1 for the feed, 6 with the topic
  // id for a topic timeline, else 0 with the channel id).
  std::pair<int, std::string> cacheFileKey() const;
  std::string baseCachePath() const;
  static std::optional<std::string> readText(const std::string& path);
  void postRequest(int type, Value data, Selector action);
  // Posts a list page's request with its reply handler; a later page (above 1) stops the list's
  // load-more indicator at once.
  using ReplyHandler = void (ChannelViewController::*)(const Value&);
  void postPage(RequestType type, Value data, ReplyHandler handler, const char* handlerName,
                int pageIndex);
  // The usual page parameters: the id, the page number and the max id, then the temporary
  // cursor when given, as texts.
  static Value pageParams(const std::string& id, int pageIndex, int64_t maxId,
                          std::optional<int64_t> tempCursor = std::nullopt);
  // A first page is a refresh: the bar's refresh button turns until the reply.
  void refreshingFirstPage(int pageIndex);
  void spin();
  void stopSpinner();
  void storeUpdateTime();
  void recordFirstItem();
  void envelopeCheck(const std::string& reply);
  void markItem(const std::shared_ptr<NSObject>& item);
  // The shown list becomes the first kPageSize of the statuses, each marked.
  void takeFirstPage(const StatusArray& list);
  void takeCursors();
  void showNewImage(CGFloat y);
  void playNewItemsSound();
  void platformTimelineReply(const Value& reply, int tab);
  void observeBindAndClearBadge();
  // The flags every bar refresh sets before it loads.
  void prepareRefresh();

 private:
  ChannelPtr currentChannel_;
  ChannelItemPtr channelItem_;
  std::shared_ptr<NSTimer> updateTimer_;
  bool isFirstRefresh_ = false;
  bool needShowRet_ = false;
  std::shared_ptr<UIViewController> channelView_;
  std::shared_ptr<UINaviComView> naviBarView_;
  Value selfItem_;
  NSAdInfoPtr adInfo_;
  // Whether the picture of the advert address `first` was on disk when last looked up.  The
  // rest of the advert row rule is read afresh on every ask; only the disk is remembered, and
  // forgotten on a new advert and on every reload of the table (the advert picture's download
  // tells the screen nothing: a landed picture shows from the next reload, as a reply or refresh
  // makes one).
  mutable std::optional<std::pair<std::string, bool>> adPictureOnDisk_;
  NSAdInfoPtr lastAdInfo_;
  std::shared_ptr<UINaviTabView> naviTapView_;
  std::shared_ptr<UIImageView> newImage_;
  std::shared_ptr<UIView> goodCommentView_;
  std::shared_ptr<UIView> emptyView_;
  std::shared_ptr<UIImageView> navigationView_;
  std::shared_ptr<UIButton> myStatusButton_;
  std::shared_ptr<UIButton> atMeButton_;
  std::shared_ptr<UIButton> myCommentButton_;
  bool isRefreshBar_ = false;
  int currentSelectType_ = 0;
  std::shared_ptr<UIButton> friendsStatusButton_;
  std::string keyWord_;
  CGPoint panPoint_{0, 0};
  std::shared_ptr<UIView> inputView_;
  bool bGoodRepost_ = false;
  std::shared_ptr<UILabel> countLabel_;
  CGPoint touchBeganPoint_{0, 0};
  bool homeViewIsOutOfStage_ = false;

  int pageNo_ = 1;
  bool isEnd_ = false;
  int64_t lastStateId_ = 0;
  int64_t lastCreateAt_ = 0;
  int newStatusCount_ = 0;
  int64_t next_cursor_ = 0;
  int64_t previous_cursor_ = 0;
  int64_t temp_cursor_ = 0;
  // Held around the row-height computation.
  std::recursive_mutex heightLock_;
};

// The detail view of one list item, opened in place over a list screen.  The opener copies the
// tapped row's feed item view, makes the detail view from the copy at the row's frame
// (initWithContent), sets actionType and conDelegate, adds it, calls checkForHelp, and inside its
// opening animation calls reloadContent; when that animation ends it calls startLoadTableView,
// which builds the table (the item, an optional advert banner and linked-article row, then the
// comments or reposts behind a two-tab header) and the bottom toolbar, and starts loading.  To
// close, the opener calls removeAllView and drops the view.
//
// The view never opens another screen itself: every action goes back to conDelegate
// (UIContentViewDelegate), most as contentAction: codes (1 close, 2 repost, 3 comment, 4 write
// a post, 6 tip-off, 8 delete, 9 search, 10 mail share, 11, 12, 14).  Toolbar tags 1-7, 12 and
// 18 need a bound platform account; without one the button waits in evenItem and is replayed
// when "bind_account_ok" arrives with event 147.
//
// Requests go out as bus messages under "globe_request" and come back to the named reply
// handlers with the raw reply text.  Main thread only.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "Foundation/NSObject.h"
#include "UIKit/UIActionSheet.h"
#include "UIKit/UITableView.h"
#include "model/Comment.h"
#include "model/NSAdInfo.h"
#include "model/NSStatusesInfo.h"
#include "model/OriginalArticle.h"
#include "model/Status.h"
#include "screens/reading/UITabContentView.h"
#include "ui/feed/UIHomeViewCellDelegate.h"
#include "ui/framework/UIBaseView.h"
#include "ui/widgets/UINaviComView.h"

class HXHTTPRequest;
class UIActivityIndicatorView;
class UIButton;
class UIHomeViewCell;

// What the detail view (and the item views it builds) asks of the screen that opened it.
// Every method is optional; the defaults do nothing or answer nothing.
class UIContentViewDelegate {
 public:
  virtual ~UIContentViewDelegate() = default;
  // An action for the screen; 1 closes the detail view.
  virtual void contentAction(int /*code*/) {}
  // A comment row was tapped: code 7 and the comment.
  virtual void commentAction(int /*code*/, const CommentPtr& /*comment*/) {}
  // The item changed (favourite state, reloaded status).
  virtual void refreshStatues(const StatusPtr& /*status*/) {}
  // Open the linked article full-screen; the detail view passes false.
  virtual void openArticleView(const OriginalArticlePtr& /*article*/, bool /*fromChannel*/) {}
  virtual void returnAction(const Value& /*sender*/) {}
  // In the favourites list, 1.0 s after the item's favourite state changed.
  virtual void refreshFavoriteStatues(bool /*favorited*/) {}
  // The swipe: a new item view for the previous (true) or next (false) item, or nullptr.
  virtual std::shared_ptr<UIHomeViewCell> getNextPage(bool /*previous*/) { return nullptr; }
  virtual void feedBackProduct(const Value& /*item*/) {}
  virtual void showDetailInfo(const Value& /*item*/) {}
  virtual void trialProduct(const Value& /*item*/) {}
  virtual void cancelLikeProuduct(const Value& /*item*/) {}
  virtual void shareToZizaWeiBo(const Value& /*item*/) {}
  virtual bool isInXinPin() { return false; }
  virtual void replyComment(const std::shared_ptr<NSObject>& /*comment*/) {}
  virtual void openURL(const std::string& /*text*/) {}
  virtual std::string getChannelId() { return ""; }
  virtual std::string getCurrentItemEid() { return ""; }
  // The seminar id (list kind 7); nullopt for none.
  virtual std::optional<std::string> getSeminarId() { return std::nullopt; }
  // The optional methods the delegate implements, by selector ("getSeminarId",
  // "getChannelId", "openURL:", ...).
  virtual bool respondsToSelector(std::string_view /*selector*/) const { return false; }
};

class UIContentView : public UIBaseView,
                      public UITableViewDataSource,
                      public UITableViewDelegate,
                      public UIActionSheetDelegate,
                      public UINaviComViewDelegate,
                      public UITabContentViewDelegate,
                      public UIArticleItemDelegate {
  NS_CLASS(UIContentView, UIBaseView)
 public:
  // View tags.
  static constexpr long kHelpTag = 121;
  static constexpr long kIncomingViewTag = 122;
  static constexpr long kReadLaterTag = 91;
  // Download tag of the advert picture (shared with the channel screen's advert).
  static constexpr long kAdDownloadTag = 7;
  // Section 1 always fills at least this much.
  static constexpr CGFloat kSectionMinHeight = 430;
  // The events a button or list waits under for a platform binding ("bind_account_ok" comes
  // back with them): the toolbar, more comments or reposts, a tap in section 1, the repost tab.
  static constexpr int kBindToolbar = 147;
  static constexpr int kBindMore = 153;
  static constexpr int kBindSection = 154;
  static constexpr int kBindRepostTab = 173;
  // Opening and closing in place.
  static constexpr double kOpenSeconds = 0.85;

  explicit UIContentView(CGRect frame = CGRectZero);
  ~UIContentView() override;

  // initWithFrame: theme background, observes "comment_result" and "bind_account_ok".
  static std::shared_ptr<UIContentView> initWithFrame(CGRect frame);
  // initWithContent:withFrame: keeps the item view as contentCell, its first subview.
  static std::shared_ptr<UIContentView> initWithContent(const std::shared_ptr<UIHomeViewCell>& cell,
                                                        CGRect frame);

  // ---- what the opener calls
  // Full screen height less 20; the content cell's detail layout.
  void reloadContent();
  void startLoadTableView();
  // Every subview, then the view itself, leave their superviews.
  void removeAllView();
  // The one-time help overlay on the window.
  void checkForHelp();
  void closeHelp(const Value& sender);
  // A picture of the item arrived: the content cell grows, animated.
  void reloadContentCell();
  void moveTableCellView();
  void animatedStop(const Value& animationID);
  void reloadFirstCell();
  void removeContentView();

  // ---- loading
  void refresh() override;
  void loadMoreData() override;
  std::shared_ptr<UITableView> getCurTableView() override { return ctableView_; }
  bool needUserAllLoadContent();
  void loadContent();
  void loadAdInfoByContent();
  void loadDialogRecordComment();
  void loadCacheComment();
  void loadComment();
  void loadCacheRetweet();
  void loadRetweet();
  void loadMoreList();
  void pasteArticleFromStatusText();
  void loadHTMLFile();
  void reLoadHTMLFile();
  void reLoadStatue();
  void loadAdInfo();
  void addRetContent() {}
  void stopRequest();
  void recordUserRead();
  // From the tab header: 1 reposts, 0 comments.
  void curSelectTabIndex(int index) override;
  void reloadSelect(int section);

  // ---- reply handlers (the raw reply text as a string Value)
  void allContentCallBack(const Value& reply);
  void commentList(const Value& reply);
  void retweetList(const Value& reply);
  void moreList(const Value& reply);
  void articleCallback(const Value& reply);
  void refreshCallBack(const Value& reply);
  void adInfoCallBack(const Value& reply);
  void favCallBack(const Value& reply);
  void fanKuiCallBack(const Value& reply);
  void adImgCallBack(const Value& request);

  // ---- bus notifications
  void CommentRequest(const Value& notification);
  void bindAccountOk(const Value& notification);

  // ---- actions
  void readLater(const Value& sender) override;
  void readNow(const Value& sender) override;
  void adTapAction(const Value& sender);
  void adCloseAction(const Value& sender);
  void showAdOk();
  void refreshFav(const Value& sender);
  void pageAnimatedStop(const Value& animationID);
  void loadContentSwipePage();

  // ---- toolbar (UINaviComViewDelegate)
  void toolBarAction(const std::shared_ptr<UIButton>& button) override;
  void swipePage(bool previous) override;
  void popAnimal(const std::shared_ptr<UIButton>& toolButton, bool left) override;
  void willLoadMore(const Value& sender) override;

  // ---- table
  long numberOfSectionsInTableView(const std::shared_ptr<UITableView>&) override { return 2; }
  long tableViewNumberOfRowsInSection(const std::shared_ptr<UITableView>& tableView,
                                      long section) override;
  CGFloat tableViewHeightForRowAtIndexPath(const std::shared_ptr<UITableView>& tableView,
                                           const NSIndexPath& indexPath) override;
  std::shared_ptr<UITableViewCell> tableViewCellForRowAtIndexPath(
      const std::shared_ptr<UITableView>& tableView, const NSIndexPath& indexPath) override;
  std::shared_ptr<UIView> tableViewViewForHeaderInSection(
      const std::shared_ptr<UITableView>& tableView, long section) override;
  CGFloat tableViewHeightForHeaderInSection(const std::shared_ptr<UITableView>& tableView,
                                            long section) override;
  void tableViewDidSelectRowAtIndexPath(const std::shared_ptr<UITableView>& tableView,
                                        const NSIndexPath& indexPath) override;
  void scrollViewWillBeginDragging(const std::shared_ptr<UIScrollView>& scrollView) override;
  // The pull-down and pull-up strips follow the table.
  void scrollViewDidScroll(const std::shared_ptr<UIScrollView>& scrollView) override;
  void scrollViewDidEndDraggingWillDecelerate(const std::shared_ptr<UIScrollView>& scrollView,
                                              bool decelerate) override;
  void scrollViewDidEndDecelerating(const std::shared_ptr<UIScrollView>& scrollView) override;

  // ---- fields
  const std::shared_ptr<UINaviComView>& toolBar() const { return toolBar_; }
  std::shared_ptr<UIContentViewDelegate> conDelegate() const { return conDelegate_.lock(); }
  void setConDelegate(std::weak_ptr<UIContentViewDelegate> d) { conDelegate_ = std::move(d); }
  const std::shared_ptr<UITableView>& ctableView() const { return ctableView_; }
  // nullopt: never loaded.
  const std::optional<CommentArray>& commentArray() const { return commentArray_; }
  void setCommentArray(std::optional<CommentArray> a) { commentArray_ = std::move(a); }
  const std::optional<StatusArray>& retweetArray() const { return retweetArray_; }
  void setRetweetArray(std::optional<StatusArray> a) { retweetArray_ = std::move(a); }
  const std::shared_ptr<UIHomeViewCell>& contentCell() const { return contentCell_; }
  void setContentCell(std::shared_ptr<UIHomeViewCell> c) { contentCell_ = std::move(c); }
  int actionType() const { return actionType_; }
  void setActionType(int t) { actionType_ = t; }
  const std::shared_ptr<UIActivityIndicatorView>& indicatorView() const { return indicatorView_; }
  const std::shared_ptr<UITabContentView>& headContentView() const { return headContentView_; }
  bool hasOriginalArticle() const { return hasOriginalArticle_; }
  void setHasOriginalArticle(bool b) { hasOriginalArticle_ = b; }
  const OriginalArticlePtr& article() const { return article_; }
  void setArticle(OriginalArticlePtr a) { article_ = std::move(a); }
  const std::optional<std::string>& originalURL() const { return originalURL_; }
  void setOriginalURL(std::optional<std::string> u) { originalURL_ = std::move(u); }
  const Value& evenItem() const { return evenItem_; }
  void setEvenItem(Value v) { evenItem_ = std::move(v); }
  const NSAdInfoPtr& adInfo() const { return adInfo_; }
  void setAdInfo(NSAdInfoPtr a) { adInfo_ = std::move(a); }
  bool isStartChangePage() const { return isStartChangePage_; }
  void setIsStartChangePage(bool b) { isStartChangePage_ = b; }
  bool isInLoad() const { return isInLoad_; }
  bool isShowRet() const { return isShowRet_; }
  bool isInAnimal() const { return isInAnimal_; }

 private:
  static bool isOnline();
  // Adverts are on, the list kind shows them, the reader did not close them and we are online.
  bool adsWanted() const;
  // Asks the server for the article at originalURL_ (set).
  void requestArticle();
  static std::string lld(long long n);
  StatusPtr status() const;
  std::string statusIdText() const;
  std::string vorluIdText() const;
  std::string channelId() const;
  // The comment cache of the item.
  std::string commentCachePath() const;
  void send(int type, std::vector<Value> data, Selector action);
  Selector reply(void (UIContentView::*handler)(const Value&), std::string name);
  void restartCellDownloads();
  // The item's comment cache as an opening read it: the text, and its parsed page (null when
  // the text is missing or empty, or is no JSON object).
  struct CachedComments {
    std::optional<std::string> text;
    std::shared_ptr<NSStatusesInfo> page;
  };
  // needUserAllLoadContent that hands out the cache it read (when it read one) to the opening,
  // which then shows it with loadCacheComment(read) without reading and parsing it again.
  bool needUserAllLoadContent(std::optional<CachedComments>* read);
  // loadCacheComment on the cache that the opening read; nullopt reads it now.
  void loadCacheComment(std::optional<CachedComments> read);
  // commentList on a reply text, with its page when it was parsed already.
  void showCommentList(std::string_view text, std::shared_ptr<NSStatusesInfo> page);
  // A first page of comments (whole: it came in the whole-content reply).
  void showCommentsPage(const std::shared_ptr<NSStatusesInfo>& info, std::string_view reply,
                        bool whole);
  void showAdvert(const NSAdInfoPtr& advert);
  // The link number n of the own text (label 44) or of the quoted one (label 85).
  std::optional<std::string> linkAt(bool quoted, int n) const;
  // The last cursor of the shown list (0 when it is empty or never loaded).
  long long lastCursor() const;
  // Count of the shown list; nullopt when it was never loaded.
  std::optional<size_t> shownCount() const;
  void postReadEvent();
  enum class Section0Row { Banner, Item, Article, Other };
  Section0Row section0Row(long row) const;
  void addTextLabel(const std::shared_ptr<UIView>& cell, const std::string& text,
                    CGFloat fontSize = 0);

  std::shared_ptr<UINaviComView> toolBar_;
  std::weak_ptr<UIContentViewDelegate> conDelegate_;
  std::shared_ptr<UITableView> ctableView_;
  std::optional<CommentArray> commentArray_;
  std::optional<StatusArray> retweetArray_;
  std::shared_ptr<UIHomeViewCell> contentCell_;
  int actionType_ = 0;
  bool isInLoad_ = false;
  std::shared_ptr<UIActivityIndicatorView> indicatorView_;
  std::shared_ptr<UIActivityIndicatorView> indicatorMoreView_;
  std::shared_ptr<UITabContentView> headContentView_;
  CGFloat section2Height_ = 0;
  int section2Num_ = 0;
  bool hasOriginalArticle_ = false;
  OriginalArticlePtr article_;
  std::optional<std::string> originalURL_;
  int urlIndex_ = 0;
  bool repostHasOriginalArticle_ = false;
  Value evenItem_;
  bool isInAnimal_ = false;
  bool hasRecord_ = false;
  bool needReload_ = false;
  bool isShowRet_ = false;
  bool needRefreshRet_ = false;
  bool needRefreshCom_ = false;
  bool isStartChangePage_ = false;
  NSAdInfoPtr adInfo_;
};

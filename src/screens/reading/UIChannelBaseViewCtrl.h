// The base of the list screens that open one item in place: the channel screen and the
// suggested-account timeline.  On top of the paged list (UIScrollViewCtrl) it
// - opens the item detail view (UIContentView) over the list, the rows splitting apart at the
//   tapped one, and closes it again, the rows getting their frames back;
// - defers row reloads while the detail view is open (pictures that arrive, list refreshes) and
//   runs them when it closes or a load-more ends;
// - answers what feed item views and the detail view ask of their screen: pictures, user
//   heads, links, comment replies, the item toolbar and the linked article;
// - opens an article's page in the full-article reader, from the page cache or the read-later
//   copy, or after downloading it through the bus (request type 34).
//
// What subclasses rely on:
// - They set isInDetail before startDetailAnimal and call endDetailAnimation when the detail
//   view asks to close (contentAction 1).  Both animations ("rawReadAnimation",
//   "endDetailAnimation", 0.85 s, ease-in-out) always end in animatedStop, so the animation lock
//   is released and the deferred reloads run whatever happens to the animation.
// - addInReFreshArray records a row whose picture finished while the detail view is set
//   (one entry per row number); refreshTableView reloads now, or once the detail view closed.
// - contentAction, recordLinkRead, getChannelId and getCurrentItemEid are theirs to override.
// - Actions that need the platform account keep their argument in evenItem when the account
//   is not bound (a User for event 145, a link text for 146); the subclass replays them.
// Main thread only.
#pragma once

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "CoreGraphics/CGGeometry.h"
#include "Foundation/NSIndexPath.h"
#include "Foundation/Value.h"
#include "screens/reading/UIContentView.h"
#include "ui/feed/UIHomeViewCellDelegate.h"
#include "ui/framework/UIScrollViewCtrl.h"
#include "ui/framework/UISendMailViewCtrl.h"

class UITableView;
class UIView;
struct Comment;
struct OriginalArticle;
struct User;

// The lock that brackets an animation window: taken on the main thread when an open or close
// animation starts and released when it stops; taking it again on the same thread (the
// deferred reload inside the close path) only counts deeper.  A lock still held when its owner
// goes is released with it.
class NSRecursiveLock {
 public:
  NSRecursiveLock() = default;
  NSRecursiveLock(const NSRecursiveLock&) = delete;
  NSRecursiveLock& operator=(const NSRecursiveLock&) = delete;
  ~NSRecursiveLock();
  void lock();
  // Releasing a lock that is not held does nothing.
  void unlock();
  // How many times the lock is held now (0: free).
  int depth() const { return depth_; }

 private:
  std::recursive_mutex mutex_;
  int depth_ = 0;
};

class UIChannelBaseViewCtrl : public UIScrollViewCtrl,
                              public UIHomeViewCellDelegate,
                              public UIContentViewDelegate,
                              public SendMailDelegate {
  NS_CLASS(UIChannelBaseViewCtrl, UIScrollViewCtrl)
 public:
  static constexpr double kDetailAnimationSeconds = 0.85;
  inline static const std::string kOpenAnimationName = "rawReadAnimation";
  inline static const std::string kCloseAnimationName = "endDetailAnimation";
  // Status bar and the list's two bars: the visible list is the screen height less these.
  static constexpr CGFloat kListChromeHeight = 20 + 88;
  // Bind-prompt events of the actions that wait for the platform account.
  static constexpr int kReplyCommentEvent = 1;
  static constexpr int kShowHeadEvent = 145;
  static constexpr int kOpenNameEvent = 146;

  UIChannelBaseViewCtrl();
  ~UIChannelBaseViewCtrl() override;

  bool shouldAutorotateToInterfaceOrientation(UIInterfaceOrientation orientation) override;

  // ---- the detail view in place
  // Opens the detail view for the row (the caller has set isInDetail; the row's cell holds a
  // feed item view, or nothing opens).
  void startDetailAnimal(const std::shared_ptr<UITableView>& tableView,
                         const NSIndexPath& indexPath);
  void endDetailAnimation();
  // The did-stop of both animations, with the animation's name.
  void animatedStop(const Value& animationName);
  // The visible list's height on this screen: 372 on a 480-point screen, 460 on 568.
  static CGFloat visibleListHeight();

  // ---- deferred reloads
  void addInReFreshArray(const NSIndexPath& indexPath);
  void reloadDownImageCell();
  void loadMoreAnimationgOver() override;
  void refreshTableView();

  // ---- list items
  // Marks a favourite: every item of the favourites list (kind 4), else a Status whose id is
  // in the dispatcher's favourite list.  Never clears the flag.
  void checkInsFav(const std::shared_ptr<NSObject>& item);

  // ---- articles
  // From the read-later copy (fromChannel YES) or the page cache; a missing page is downloaded
  // first (bus type 34) and the reader opens when a good reply left the page on disk.
  void openArticleView(const OriginalArticlePtr& article, bool fromChannel) override;
  void articleCallback(const Value& reply);
  void channelArticleCallback(const Value& reply);
  // "article_added": the reader saved the open detail view's article for later.
  void articleDidAdded(const Value& notification);

  // ---- what the detail view asks (UIContentViewDelegate)
  // Code 1 closes the detail view in subclasses; nothing here.
  void contentAction(int code) override;
  // Code 7 answers the comment in the comment composer; other codes do nothing.
  void commentAction(int code, const CommentPtr& comment) override;
  std::string getChannelId() override;
  std::string getCurrentItemEid() override;

  // ---- what feed item views ask (UIHomeViewCellDelegate; the detail view asks replyComment,
  // openURL and respondsToSelector too)
  void showPic(const std::optional<std::string>& address) override;
  void showHead(const std::shared_ptr<User>& user) override;
  void lineAction(int code) override;
  void replyComment(const std::shared_ptr<NSObject>& comment) override;
  // A web link (text beginning with "http") or an @name.
  void openURL(const std::string& text) override;
  void refreshDetail() override;
  bool respondsToSelector(std::string_view selector) const override;
  void httpLinkSelect(const std::string& text);

  // ---- links
  void openURLisVideo(const std::string& url, bool isVideo);
  // Only addresses beginning with "http".
  void openURLWeb(const std::string& url);
  // Called before a web link opens; the channel screen logs the read.
  virtual void recordLinkRead() {}

  // insertSubview:aboveSubview: on the screen's root view.
  void insertSubviewAboveSubview(const std::shared_ptr<UIView>& view,
                                 const std::shared_ptr<UIView>& sibling);

  // ---- SendMailDelegate
  void sendEmailOver(int result) override;

  // ---- properties
  bool isInDetail() const { return isInDetail_; }
  void setIsInDetail(bool b) { isInDetail_ = b; }
  bool needLaterRefresh() const { return needLaterRefresh_; }
  void setNeedLaterRefresh(bool b) { needLaterRefresh_ = b; }
  bool isInScrolling() const { return isInScrolling_.load(); }
  void setIsInScrolling(bool b) { isInScrolling_.store(b); }
  const Value& evenItem() const { return evenItem_; }
  void setEvenItem(Value item) { evenItem_ = std::move(item); }
  const std::shared_ptr<UIContentView>& contentView() const { return contentView_; }
  void setContentView(std::shared_ptr<UIContentView> view) { contentView_ = std::move(view); }
  // The rows' frames from before the open animation.
  const std::map<NSIndexPath, CGRect>& anmiDic() const { return anmiDic_; }
  // Rows waiting for a reload; nullopt when none are.
  const std::optional<std::vector<NSIndexPath>>& reFreshArray() const { return reFreshArray_; }
  const std::shared_ptr<OriginalArticle>& tempArticle() const { return tempArticle_; }
  const std::shared_ptr<UISendMailViewCtrl>& mailVC() const { return mailVC_; }
  void setMailVC(std::shared_ptr<UISendMailViewCtrl> vc) { mailVC_ = std::move(vc); }
  NSRecursiveLock& animalLock() { return *animalLock_; }

 protected:
  // Pushes the reader for the article, observing "article_added" when it is not the
  // read-later copy.
  void pushArticleReader(const std::shared_ptr<OriginalArticle>& article, bool fromChannel);
  // The reply passed the download checks and the page is on disk.
  bool articleReplyUsable(const Value& reply) const;

 private:
  // Reloads the rows in reFreshArray (fade) and forgets them.
  void reloadRecordedRows();

  bool isInDetail_ = false;
  std::map<NSIndexPath, CGRect> anmiDic_;
  std::shared_ptr<UIContentView> contentView_;
  std::optional<std::vector<NSIndexPath>> reFreshArray_;
  Value evenItem_;
  std::atomic<bool> isInScrolling_{false};
  std::shared_ptr<OriginalArticle> tempArticle_;
  std::shared_ptr<UISendMailViewCtrl> mailVC_;
  std::unique_ptr<NSRecursiveLock> animalLock_;
  bool needLaterRefresh_ = false;
};

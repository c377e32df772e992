// The channel screen: the one list screen of the app.  Its `Channel` record's list kind
// (actionType) decides the bars, the cache shown first, the request and how rows are built.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "CoreGraphics/CGGeometry.h"
#include "UIKit/UIActionSheet.h"
#include "UIKit/UIGestureRecognizer.h"
#include "model/Channel.h"
#include "model/ChannelItem.h"
#include "model/NSAdInfo.h"
#include "screens/reading/UIChannelBaseViewCtrl.h"
#include "ui/widgets/UINaviComView.h"
#include "ui/widgets/UINaviTabView.h"

class UIButton;
class UIImageView;
class UIPanGestureRecognizer;

class ChannelViewController : public UIChannelBaseViewCtrl,
                              public UIGestureRecognizerDelegate,
                              public UINaviComViewDelegate,
                              public UINaviTabViewDelegate,
                              public UIActionSheetDelegate {
  NS_CLASS(ChannelViewController, UIChannelBaseViewCtrl)
 public:
  ChannelViewController() = default;
  // initWithChannelItem:
  static std::shared_ptr<ChannelViewController> initWithChannelItem(const ChannelItemPtr& item);
  // initWithChannelType:actionType:
  static std::shared_ptr<ChannelViewController> initWithChannelType(int channelType,
                                                                    int actionType);
  static std::shared_ptr<ChannelViewController> initWithChannelType(
      int channelType, int actionType, const std::shared_ptr<NSObject>& item);

  void setCurrentChannel(const ChannelPtr& channel);
  // The back action: leaves the navigation stack.  The sender may be nil.
  void cancelButtonPushed(const Value& sender = {});
  void naviBarAction(const Value& button) {}

  const ChannelPtr& currentChannel() const { return currentChannel_; }
  // The catalogue record the screen was made for; null for one made from numbers.
  const ChannelItemPtr& channelItem() const { return channelItem_; }
  bool isInFavorite() const;
  bool isInReadLater() const;
  bool isEnd() const { return isEnd_; }
  void setIsEnd(bool b) { isEnd_ = b; }
  void moveToLeftSide() {}
  void restoreViewLocation() {}
  void friendsStatusDidSelect(const Value&) {}
  void atMeDidSelect(const Value&) {}
  void myCommentDidSelect(const Value&) {}
  void myStatusDidSelect(const Value&) {}
  void favReadAction(const Value&) {}
  void channelHasNew(const Value&) {}
  std::string getCurNaviTitle() { return ""; }
  std::string getThirdPartyChannelTitle() { return ""; }
  void articleDidDeleted(const Value&) {}
  void openSeminarViewCtrl(int) {}
  void LongPress(const Value&) {}
  void readPress(const Value&) {}
  void adTapAction() {}
  void adCloseAction(const Value&) {}
  void addGuideView(const std::string& name);
  void makeRightViewVisible();

  // ---- table and rows
  // The advert row is shown: an advert whose picture is on disk, in a list that draws advert
  // rows (not the comment tab, read-later, the seminar and trade-fair lists).
  bool isAdRowShown() const;
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

  // ---- set-up, bars, help, theme, pans
  void initView();
  void addSearchNavigationView();
  void addNavigationView();
  void addFevReadNavigationView();
  void viewDidLoad() override;
  void checkForHelp();
  void closeHelp(const Value& sender = {});
  void changeTheme();
  bool gestureRecognizerShouldReceiveTouch(const std::shared_ptr<UIGestureRecognizer>& recognizer,
                                           const std::shared_ptr<UITouch>& touch) override;
  bool gestureRecognizerShouldBegin(
      const std::shared_ptr<UIGestureRecognizer>& recognizer) override;
  void userPinned(const Value& recognizer);

  // ---- item actions
  void returnAction(const Value& sender = {});
  void contentAction(int code) override;

  const std::shared_ptr<UINaviComView>& naviBarView() const { return naviBarView_; }
  const std::shared_ptr<UINaviTabView>& naviTapView() const { return naviTapView_; }
  const std::shared_ptr<UIImageView>& navigationView() const { return navigationView_; }
  int currentSelectType() const { return currentSelectType_; }
  void setCurrentSelectType(int t) { currentSelectType_ = t; }
  const std::shared_ptr<NSAdInfo>& adInfo() const { return adInfo_; }
  void setAdInfo(std::shared_ptr<NSAdInfo> ad) { adInfo_ = std::move(ad); }
  const std::string& keyWord() const { return keyWord_; }
  void setKeyWord(std::string k) { keyWord_ = std::move(k); }

 private:
  long itemCount() const;
  std::shared_ptr<NSObject> itemAt(long index) const;
  // Row 0 of a list without an advert row leaves 24 points above its item view.
  bool firstRowHasTitleRoom() const;
  void closeDetailView();
  void openDetailArticle();

  ChannelPtr currentChannel_;
  ChannelItemPtr channelItem_;
  bool isFirstRefresh_ = false;
  bool needShowRet_ = true;
  std::shared_ptr<UIView> channelView_;
  std::shared_ptr<UINaviComView> naviBarView_;
  std::shared_ptr<NSObject> selfItem_;
  std::shared_ptr<NSAdInfo> adInfo_;
  std::shared_ptr<NSAdInfo> lastAdInfo_;
  std::shared_ptr<UINaviTabView> naviTapView_;
  std::shared_ptr<UIImageView> newImage_;
  std::shared_ptr<UIView> goodCommentView_;
  std::shared_ptr<UIView> emptyView_;
  std::shared_ptr<UIImageView> navigationView_;
  std::shared_ptr<UIButton> myStatusButton_, atMeButton_, myCommentButton_;
  int currentSelectType_ = 0;
  std::shared_ptr<UIButton> friendsStatusButton_;
  std::string keyWord_;
  CGPoint panPoint_ = CGPointZero;
  bool homeViewIsOutOfStage_ = false;
  bool isEnd_ = false;
  // Held around the row height computation.
  std::recursive_mutex rowHeightLock_;
  // The rightward pan has already left the screen.
  bool panLeft_ = false;
};

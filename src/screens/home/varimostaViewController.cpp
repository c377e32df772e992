#include "screens/home/varimostaViewController.h"

#include "Common/Additions/UIImage+Resize.h"
#include "Foundation/NSClass.h"
#include "Foundation/NSNotificationCenter.h"
#include "Foundation/NSThread.h"
#include "Foundation/NSUserDefaults.h"
#include "UIKit/UIImage.h"
#include "UIKit/UINavigationController.h"
#include "UIKit/UIScreen.h"
#include "core/NSConfig.h"
#include "core/NSGlobe.h"
#include "core/NSMsgSend.h"
#include "core/NSObject+UIViewBusy.h"
#include "core/NSObject+notification.h"
#include "core/NotificationNames.h"
#include "core/StoredKeys.h"
#include "core/UIBkImageView.h"
#include "net/api/ClientRequest.h"
#include "net/api/NSWeiBoNet.h"
#include "screens/account/UIChannelModifyView.h"
#include "screens/account/UIHelpViewController.h"
#include "screens/account/UIModifyViewCtrl.h"
#include "screens/account/UIRegViewCtrl.h"
#include "screens/account/UISetupViewController.h"
#include "screens/reading/ChannelViewController.h"
#include "screens/social/UIReAcoundViewCtrl.h"
#include "screens/social/UISearchWeiboViewCtrl.h"
#include "screens/social/UITabWriteViewCtrl.h"
#include "ui/framework/NSStatusShow.h"
#include "ui/framework/PHProgressHUD.h"
#include "ui/widgets/UINaviTabView.h"
#include "uilib/views/CustomerLauncherItem.h"

namespace {

// Shake settings and sound setting numbers of the settings store.
constexpr int kShakeSetting = 8;
constexpr int kSoundSetting = 9;
// The composer's event when it asks for a bound platform account.
constexpr int kComposerBindEvent = 130;
constexpr int kNewChannelsFromEditor = 84;
constexpr int kNewChannelsFromCatalogue = 125;
constexpr int kChannelOpened = 85;

varimostaViewController::ChannelScreenRecorder& channelScreenRecorder() {
  static varimostaViewController::ChannelScreenRecorder recorder;
  return recorder;
}

std::shared_ptr<UIImage> backgroundPicture() {
  std::string name = UIBkImageView::mainBackgroundImage();
  auto image = imageFileNamed(name);
  // The reader's own picture is a full path.
  if (!image) image = UIImage::imageWithContentsOfFile(name);
  return image;
}

ChannelItemPtr channelOf(const ULLauncherItemPtr& tile) {
  auto carrier = std::dynamic_pointer_cast<CustomerLauncherItem>(tile);
  return carrier ? carrier->channelItem() : nullptr;
}

}  // namespace

void varimostaViewController::setChannelScreenRecorder(ChannelScreenRecorder recorder) {
  channelScreenRecorder() = std::move(recorder);
}

std::shared_ptr<varimostaViewController> varimostaViewController::initWithNibName(
    const std::string& nibName) {
  auto home = std::make_shared<varimostaViewController>();
  home->setNibName(nibName);
  home->observeAccountNotifications();
  return home;
}

void varimostaViewController::observeAccountNotifications() {
  if (observingAccount_) return;
  observingAccount_ = true;
  if (auto navigation = navigationController()) navigation->setNavigationBarHidden(true);
  auto weak = weakSelf<varimostaViewController>();
  addObserverWithSelector(
      weak, selector(weak, &varimostaViewController::weiboDidLogin, "weiboDidLogin:"), kWeiboLogin);
  addObserverWithSelector(weak,
                          selector(weak, &varimostaViewController::bindAccountOk, "bindAccountOk:"),
                          kBindAccountOk);
}

varimostaViewController::~varimostaViewController() {
  removeObserver(weak_from_this());
  if (launcherView_) launcherView_->setDelegate({});
  if (menuBar_) menuBar_->setBarDelegate({});
}

// ---- the view
// ------------------------------------------------------------------------------------

void varimostaViewController::viewDidLoad() {
  ULViewController::viewDidLoad();
  auto weak = weakSelf<varimostaViewController>();
  AccelerometerHelper::sharedInstance()->setDelegate(
      std::static_pointer_cast<varimostaViewController>(selfPtr()));
  setTitle("主页");
  if (auto navigation = navigationController()) navigation->setNavigationBarHidden(true);

  CGFloat height = UIScreen::mainScreen()->bounds().size.height;
  auto root = view();
  if (!bgImageView_) {
    bgImageView_ = std::make_shared<UIImageView>(CGRectMake(0, 0, 320, height));
    // The bundle's pictures are 320 x 480: on a taller screen, as with the reader's own photo,
    // the picture keeps its proportions and loses a little at the sides instead of stretching.
    bgImageView_->setContentMode(UIViewContentMode::ScaleAspectFill);
    bgImageView_->setClipsToBounds(true);
    bgImageView_->setImage(backgroundPicture());
    root->addSubview(bgImageView_);
  }
  if (!launcherView_) {
    CGFloat y = NSGlobe::getEngine()->isIphone5() ? 25 : 5;
    launcherView_ = std::make_shared<ULLauncherView>(CGRectMake(0, y, 320, height - 20 - y));
    launcherView_->setDelegate(weak);
    launcherView_->setColumnCount(2);
    root->addSubview(launcherView_);
    refresh();
    launcherView_->scrollEnabled(false);
    performSelectorAfterDelay(
        selector(weak, &varimostaViewController::enableScroll, "enableScroll"), {},
        kScrollOffSeconds);
  }
  if (!menuBar_) {
    menuBar_ = UIMenuBar::initWithPoint(CGPointMake(262, 12));
    root->addSubview(menuBar_);
    menuBar_->setBarDelegate(weak);
  }
  if (!indicatorView_) {
    indicatorView_ = std::make_shared<UIActivityIndicatorView>(UIActivityIndicatorViewStyle::Gray);
    indicatorView_->setCenter(CGPointMake(160, 240));
    root->addSubview(indicatorView_);
  }
  auto observe = [&weak](std::string_view name, Selector action) {
    removeObserverWithName(weak, name);
    addObserverWithSelector(weak, std::move(action), name);
  };
  observe(kNewChannelsAdded,
          selector(weak, &varimostaViewController::refreshLaunchView, "refreshLaunchView:"));
  observe(kSeminarHasUpdated,
          selector(weak, &varimostaViewController::seminarUpdated, "seminarUpdated:"));
  observe(kSeminarHasRequest,
          selector(weak, &varimostaViewController::updateOnlineTime, "updateOnlineTime:"));
}

void varimostaViewController::viewWillAppear(bool animated) {
  if (auto navigation = navigationController()) navigation->setNavigationBarHidden(true);
  ULViewController::viewWillAppear(animated);
  isStartShake_ = false;
}

void varimostaViewController::viewWillDisappear(bool animated) {
  ULViewController::viewWillDisappear(animated);
  isStartShake_ = true;
}

void varimostaViewController::viewDidUnload() {
  ULViewController::viewDidUnload();
  if (launcherView_) {
    launcherView_->removeFromSuperview();
    launcherView_->setDelegate({});
    launcherView_.reset();
  }
  for (std::shared_ptr<UIView> v :
       {std::shared_ptr<UIView>(bgImageView_), std::shared_ptr<UIView>(menuBar_),
        std::shared_ptr<UIView>(indicatorView_)})
    if (v) v->removeFromSuperview();
  bgImageView_.reset();
  if (menuBar_) menuBar_->setBarDelegate({});
  menuBar_.reset();
  indicatorView_.reset();
}

// ---- the tiles
// -----------------------------------------------------------------------------------

void varimostaViewController::refresh() {
  initLaucherViewPages(launcherView_);
}

void varimostaViewController::initLaucherViewPages(
    const std::shared_ptr<ULLauncherView>& launcher) {
  auto stored = ChannelItem::userChannelItems();
  if (!stored || stored->empty()) return;
  channelItemsArray_.clear();
  ULLauncherPages pages;
  for (const auto& page : *stored) {
    std::vector<ULLauncherItemPtr> tiles;
    for (const auto& channel : page) {
      if (!channel) continue;
      channelItemsArray_.push_back(channel);
      tiles.push_back(CustomerLauncherItem::initWithChannelItem(channel, false));
    }
    pages.push_back(std::move(tiles));
  }
  if (launcher) launcher->setPages(pages);
}

void varimostaViewController::markTile(const ULLauncherItemPtr& tile, bool shown) {
  if (auto channel = channelOf(tile)) channel->isShowNews = shown;
  if (launcherView_) launcherView_->recreateButtons();
}

void varimostaViewController::refreshLaunchView(const Value& notification) {
  refresh();
  postNotification(kChannelsUpdate);
  auto msg = NSMsgSend::fromNotification(notification);
  if (!msg || !launcherView_) return;
  // Marks every tile of the listed channels, then rebuilds the buttons once.
  auto markAll = [this](const Value& ids) {
    auto list = ids.array();
    if (!list) return;
    bool marked = false;
    for (const Value& id : *list) {
      long type = id.intValue();
      for (const auto& page : launcherView_->pages())
        for (const auto& tile : page)
          if (auto channel = channelOf(tile); channel && channel->type == type) {
            channel->isShowNews = true;
            marked = true;
          }
    }
    if (marked) launcherView_->recreateButtons();
  };
  auto data = msg->data.array();
  if (msg->type == kNewChannelsFromEditor) {
    long page = data && data->count() > 0 ? data->objectAtIndex(0).intValue() : 0;
    launcherViewUpdatePage(*launcherView_, page);
    if (page >= 0 && page != launcherView_->currentPageIndex())
      launcherView_->scrollToPage(page, true);
    if (data && data->count() > 1) markAll(data->objectAtIndex(1));
  } else if (msg->type == kNewChannelsFromCatalogue) {
    if (data && data->count() > 0) markAll(data->objectAtIndex(0));
  }
}

void varimostaViewController::seminarUpdated(const Value& notification) {
  auto note = notification.object<NSNotification>();
  Value object = note ? note->object() : Value();
  if (object.isString() && object.string().empty()) return;
  if (!launcherView_) return;
  for (const auto& page : launcherView_->pages()) {
    for (const auto& tile : page) {
      auto channel = channelOf(tile);
      if (!channel || channel->templateId != kTemplateOnlineSeminar) continue;
      if (!channel->isShowNews) markTile(tile, true);
      break;
    }
  }
}

void varimostaViewController::updateOnlineTime(const Value& notification) {
  auto msg = NSMsgSend::fromNotification(notification);
  if (!msg || msg->type != kChannelOpened || !launcherView_) return;
  auto data = msg->data.array();
  if (!data || data->count() < 2) return;
  long type = data->objectAtIndex(1).intValue();
  for (const auto& page : launcherView_->pages()) {
    for (const auto& tile : page) {
      auto channel = channelOf(tile);
      if (channel && channel->isShowNews && channel->type == type) {
        markTile(tile, false);
        return;
      }
    }
  }
}

void varimostaViewController::enableScroll() {
  if (launcherView_) launcherView_->scrollEnabled(true);
}

// ---- menu, shake, background, guide
// --------------------------------------------------------------

void varimostaViewController::push(const std::shared_ptr<UIViewController>& screen) {
  if (auto navigation = navigationController()) navigation->pushViewController(screen, true);
}

void varimostaViewController::touchMenuItem(long item) {
  switch (item) {
    case 0:
      if (launcherView_) launcherView_->endEditing();
      isEditing_ = false;
      break;
    case 3:
      push(std::make_shared<UISetupViewController>());
      break;
    case 4:
      push(std::make_shared<UIReAcoundViewCtrl>());
      break;
    case 5:
      push(std::make_shared<UIHelpViewController>());
      break;
    case 6:
      if (NSWeiBoNet::isLogined(kComposerBindEvent)) push(UITabWriteViewCtrl::initWithType(0));
      break;
    case 7:
      push(std::make_shared<UIRegViewCtrl>());
      break;
    case 8:
      if (auto navigation = navigationController())
        navigation->presentModalViewController(std::make_shared<UISearchWeiboViewCtrl>(), true);
      break;
    default:
      break;
  }
}

void varimostaViewController::shake() {
  if (!UIBkImageView::getCurSelect(kShakeSetting) || isStartShake_) return;
  isStartShake_ = true;
  if (UIBkImageView::getCurSelect(kSoundSetting)) NSStatusShow::engine()->playSound();
  long current = NSUserDefaults::standardUserDefaults()->integerForKey(kMainBackgroundImageKey);
  int next = int(current % kBackgroundPictures) + 1;
  UIBkImageView::setMainBackgroundImage(next);
  UIBkImageView::setMainNavigationImage(next);
  changeOk();
  isStartShake_ = false;
}

void varimostaViewController::changeOk() {
  if (bgImageView_) bgImageView_->setImage(backgroundPicture());
}

void varimostaViewController::loadGuideView() {
  Value shown = NSConfig::readCacheValueWithKey(kLoadGuideHomeKey);
  if ((shown.isString() && shown.string() == "1") || NSGlobe::getEngine()->curNetStatus() == 0)
    return;
  NSConfig::setCacheValue(Value("1"), kLoadGuideHomeKey);
  view()->addSubview(UIChannelModifyView::initWithGuideView());
}

// ---- opening channels
// ----------------------------------------------------------------------------

void varimostaViewController::pushChannelScreen(
    const std::shared_ptr<ChannelViewController>& screen, bool subscription) {
  push(screen);
  if (subscription)
    if (const auto& bar = screen->naviTapView()) bar->setSubscriptionButton("channelSetting");
  if (auto& record = channelScreenRecorder()) record(screen);
}

void varimostaViewController::openChannelViewControllerWithItem(const ChannelItemPtr& item) {
  pushChannelScreen(ChannelViewController::initWithChannelItem(item),
                    item && item->templateId == kTemplateMySubscription);
}

void varimostaViewController::openChannelViewController(int channelType, int actionType) {
  pushChannelScreen(ChannelViewController::initWithChannelType(channelType, actionType),
                    actionType == kTemplateMySubscription);
}

void varimostaViewController::openFeedChannel(const Value&) {
  auto weak = weakSelf<varimostaViewController>();
  performAfterDelay(
      [weak] {
        if (auto self = weak.lock()) self->openFeedChannel();
      },
      kFeedChannelDelay);
  removeObserverWithName(weak, kFeedChannelsChange);
}

void varimostaViewController::openFeedChannel() {
  openChannelViewController(5, 8);
}

void varimostaViewController::overAnimating() {
  isStartShake_ = false;
}

// ---- the platform account
// ------------------------------------------------------------------------

void varimostaViewController::logIn() {
  auto engine = NSWeiBoNet::getNetEngine()->weiboEngine();
  if (!engine) return;
  engine->setDelegate(weakSelf<NSObject>());
  engine->logIn();
}

void varimostaViewController::engineDidLogIn(WBEngine&) {
  if (indicatorView_) indicatorView_->stopAnimating();
  openChannelViewController(3, 5);
}

void varimostaViewController::engineDidFailToLogInWithError(WBEngine&, const NSErrorPtr&) {
  if (indicatorView_) indicatorView_->stopAnimating();
}

void varimostaViewController::weiboDidLogin(const Value& notification) {
  auto note = notification.object<NSNotification>();
  auto engine = note ? note->object().object<WBEngine>() : nullptr;
  if (engine) {
    NSWeiBoNet::getNetEngine()->setWeiboEngine(engine);
    ClientRequest::engine()->bindAccountWithUId(engine->userID(), engine->accessToken());
  }
  stopActivityIndicatorViewAnimation();
}

void varimostaViewController::bindAccountOk(const Value& notification) {
  auto msg = NSMsgSend::fromNotification(notification);
  if (msg && msg->type == kComposerBindEvent) touchMenuItem(6);
}

void varimostaViewController::alertViewDidDismissWithButtonIndex(
    const std::shared_ptr<UIAlertView>& alert, long buttonIndex) {
  if (alert && buttonIndex == alert->cancelButtonIndex()) {
    PHProgressHUD::showPrompt("没有绑定微博帐号，无法执行该操作！");
    return;
  }
  performSelectorAfterDelay(
      selector(weakSelf<varimostaViewController>(), &varimostaViewController::logIn, "logIn"), {},
      kLoginDelay);
}

// ---- the launcher's delegate
// ---------------------------------------------------------------------

void varimostaViewController::launcherViewDidSelectItem(ULLauncherView&,
                                                        const ULLauncherItemPtr& item) {
  auto channel = channelOf(item);
  if (!channel) return;
  switch (channel->templateId) {
    case kTemplateRoDuda: {
      auto engine = NSWeiBoNet::getNetEngine()->weiboEngine();
      if (!engine || !engine->isLoggedIn() || engine->isAuthorizeExpired()) {
        performSelectorAfterDelay(
            selector(weakSelf<varimostaViewController>(), &varimostaViewController::logIn, "logIn"),
            {}, kLoginDelay);
        return;
      }
      openChannelViewControllerWithItem(channel);
      return;
    }
    case kTemplateSubscriptionEditor:
      if (auto navigation = navigationController())
        navigation->presentModalViewController(std::make_shared<UIModifyViewCtrl>(), true);
      return;
    default:
      openChannelViewControllerWithItem(channel);
  }
}

void varimostaViewController::launcherViewDidBeginEditing(ULLauncherView&) {
  isEditing_ = true;
}

void varimostaViewController::launcherViewDidAddItem(ULLauncherView&, const ULLauncherItemPtr&) {
  needToSave_ = true;
}

void varimostaViewController::launcherViewDidMoveItem(ULLauncherView&, const ULLauncherItemPtr&) {
  needToSave_ = true;
}

void varimostaViewController::launcherViewDidRemoveItem(ULLauncherView&, const ULLauncherItemPtr&) {
  needToSave_ = true;
}

void varimostaViewController::launcherViewDidEndEditing(ULLauncherView& launcher) {
  isEditing_ = false;
  if (needToSave_) {
    std::vector<std::vector<ChannelItemCarrierPtr>> pages;
    for (const auto& page : launcher.pages()) {
      pages.emplace_back();
      for (const auto& tile : page)
        if (auto carrier = std::dynamic_pointer_cast<CustomerLauncherItem>(tile))
          pages.back().push_back(carrier);
    }
    ChannelItem::saveChannelItems(pages);
    needToSave_ = false;
    auto flat = ChannelItem::userChannelItemArray();
    if (flat && !flat->empty()) {
      channelItemsArray_ = *flat;
      postNotification(kChannelsUpdate);
    }
  }
  auto pager = launcher.pager();
  if (pager && pager->currentPage() == pager->numberOfPages())
    pager->setCurrentPage(pager->currentPage() - 1);
}

void varimostaViewController::launcherViewUpdatePage(ULLauncherView&, long page) {
  if (menuBar_) menuBar_->changePage(page + 1);
}

NS_CLASS_IMPLEMENTATION(varimostaViewController) {
  c.method("refresh", &varimostaViewController::refresh);
  c.method("enableScroll", &varimostaViewController::enableScroll);
  c.method("changeOk", &varimostaViewController::changeOk);
  c.method("loadGuideView", &varimostaViewController::loadGuideView);
  c.method("logIn", &varimostaViewController::logIn);
  c.method("overAnimating", &varimostaViewController::overAnimating);
}

#include "app/AppDelegate.h"

#include <algorithm>
#include <thread>

#include "Common/Additions/UIImage+Additions.h"
#include "CoreGraphics/CGAffineTransform.h"
#include "Foundation/Clock.h"
#include "Foundation/NSBundle.h"
#include "Foundation/NSClass.h"
#include "Foundation/NSDate.h"
#include "Foundation/NSFileManager.h"
#include "Foundation/NSNotificationCenter.h"
#include "Foundation/NSPathUtilities.h"
#include "Foundation/NSString.h"
#include "Foundation/NSThread.h"
#include "Foundation/NSTimer.h"
#include "Foundation/NSURL.h"
#include "Foundation/NSUserDefaults.h"
#include "UIKit/UIApplication.h"
#include "UIKit/UIImage.h"
#include "UIKit/UIImageView.h"
#include "UIKit/UIScreen.h"
#include "UIKit/UIWindow.h"
#include "core/NSConfig.h"
#include "core/NSGlobe.h"
#include "core/NSObject+UIViewBusy.h"
#include "core/NSObject+notification.h"
#include "core/NSSectionItem.h"
#include "core/NotificationNames.h"
#include "core/StoredKeys.h"
#include "core/UIBkImageView.h"
#include "core/UIFilePath.h"
#include "core/UncaughtExceptionHandler.h"
#include "core/UsageLogFile.h"
#include "model/Channel.h"
#include "model/ChannelItem.h"
#include "model/NSLoginData.h"
#include "model/ZizaJsonStatusParser.h"
#include "net/api/ClientPlatformAccount.h"
#include "net/api/ClientRequest.h"
#include "net/api/NSWeiBoNet.h"
#include "net/api/WBEngine.h"
#include "net/http/HXHTTPRequest.h"
#include "net/http/HXImageDownload.h"
#include "net/http/HXWebPageLoader.h"
#include "net/http/Reachability.h"
#include "screens/account/ModalWebViewController.h"
#include "screens/home/varimostaViewController.h"
#include "screens/reading/ChannelViewController.h"
#include "ui/framework/FeedbackViews.h"
#include "ui/framework/MyNavigationBar.h"
#include "ui/framework/MyViewController.h"
#include "ui/framework/PHProgressHUD.h"
#include "ui/framework/UINaviCtrl.h"
#include "ui/framework/UIViewController+Custom.h"
#include "ui/framework/UIZMButton.h"
#include "ui/framework/WebViewCtrl.h"
#include "uilib/views/ULButton.h"

namespace {

constexpr std::string_view kEnterBackgroundTimeFormat = "yyMMddHHmmss";
constexpr std::string_view kSplashAnimationID = "rawReadAnimation";

constexpr double kObserveNetworkDelay = 0.5;
constexpr double kCloseDelay = 1.0;
constexpr double kCloseAnimationSeconds = 1.0;
constexpr double kLaunchPushDelay = 1.0;
constexpr double kOpenChannelDelay = 0.5;

std::shared_ptr<NSLoginData> loginData() {
  return NSConfig::engine()->config();
}

std::shared_ptr<NSUserDefaults> defaults() {
  return NSUserDefaults::standardUserDefaults();
}

std::string storedString(std::string_view key) {
  Value v = defaults()->objectForKey(key);
  return v.isString() ? std::string(v.string()) : std::string();
}

CGRect screenBounds() {
  return UIScreen::mainScreen()->bounds();
}

bool isTallScreen() {
  return screenBounds().size.height == 568;
}

// The payload's channel id: a number or numeric text; 0 when absent.
int channelIdOfPayload(const Value& userInfo) {
  Value t = userInfo["t"];
  if (t.isNumber() || t.isString()) return t.intValue();
  return 0;
}

}  // namespace

AppDelegate::AppDelegate() {
  FeedbackViews::install();
  installCustomTitles();
  // The platform's web view fetches its pages through the HTTP engine.
  HXWebPageLoader::install();
  UINavigationBar::setDrawHook(&drawThemedNavigationBar);
  // Theme 3 draws its bar buttons with the UI library's styles.
  UIZMButton::setLibraryButtonMaker([](std::string_view style, std::string_view title) {
    return std::static_pointer_cast<UIControl>(
        ULButton::buttonWithStyle(style, std::string(title)));
  });
  setRetinaDeviceTest([] { return NSGlobe::getEngine()->isIphone4(); });
  // Downloaded pictures are kept in the size the screens show them at.
  HXImageDownload::setRecompressor([](const std::string& path) {
    auto bytes = dataWithContentsOfFile(path);
    if (auto image = bytes ? UIImage::imageWithData(*bytes) : nullptr) pressTextImage(image, path);
  });
  NSConfig::setLoginRecordReader(&NSLoginData::readFromDB);
  UsageLogFile::setCurrent(ZizaJsonStatusParser::usageLogFile());
  NSSectionItem::setPlatformUserIdReader([] {
    auto account = ClientPlatformAccount::current();
    return account ? account->userID() : std::string();
  });
  NSConfig::setChannelConfigUpdater(&ChannelItem::updataNewChannelConfig);
  varimostaViewController::setChannelScreenRecorder(
      [](std::shared_ptr<ChannelViewController> screen) {
        if (auto app = sharedDelegate()) app->setChannelViewController(std::move(screen));
      });
}

AppDelegate::~AppDelegate() {
  removeObserver(weak_from_this());
  if (updateTimer_) updateTimer_->invalidate();
}

std::shared_ptr<AppDelegate> AppDelegate::sharedDelegate() {
  return std::dynamic_pointer_cast<AppDelegate>(UIApplication::sharedApplication()->delegate());
}

// ---- launch ------------------------------------------------------------------------------------

bool AppDelegate::applicationDidFinishLaunchingWithOptions(UIApplication&,
                                                           const Value& launchOptions) {
  // The launch is one step for the preferences: what it changed (the seeded settings, the
  // device identifier's record) is written once, when it ends, unless a part of it wrote
  // already.
  struct WriteAtEnd {
    ~WriteAtEnd() { defaults()->synchronize(); }
  } writeAtEnd;
  registerToken();
  initEngine();

  window_ = std::make_shared<UIWindow>(screenBounds());

  auto home = varimostaViewController::initWithNibName("varimostaViewController");
  navigationController_ = std::make_shared<UINaviCtrl>(home);
  window_->setRootViewController(navigationController_);
  window_->makeKeyAndVisible();

  myViewController_ = std::make_shared<MyViewController>();
  auto panel = myViewController_->view();
  CGRect frame = panel->frame();
  frame.origin.x = screenBounds().size.width - frame.size.width;
  frame.origin.y = 20;
  panel->setFrame(frame);
  window_->addSubview(panel);
  window_->sendSubviewToBack(panel);
  myViewController_->setVisible(false);

  gudiaView();

  // Kept before the first call is decided: an offline start with a key ends its start-up at
  // once, and the push that launched the application must still be there for it.
  launchOptionsCache_ = launchOptions;

  auto client = ClientRequest::engine();
  if (!client->isNullRegisterClientKey() && !client->needRegister()) {
    if (Reachability::isConnectedToNetwork()) {
      client->loginClient();
    } else {
      postNotification(kRegisterClientCallBack);
    }
  } else if (Reachability::isConnectedToNetwork()) {
    client->registerClient();
    forgetPlatformAccount();
  } else if (NSGlobe::getEngine()->curNetStatus() == 0) {
    performSelectorAfterDelay(selector(weakThis(), &AppDelegate::startClose, "startClose"), {},
                              kCloseDelay);
    return true;
  } else {
    gadiaViewAnimala(Value());
    forgetPlatformAccount();
  }
  return true;
}

void AppDelegate::registerToken() {
  UIApplication::sharedApplication()->registerForRemoteNotificationTypes(
      UIRemoteNotificationTypeBadge | UIRemoteNotificationTypeSound |
      UIRemoteNotificationTypeAlert);
}

void AppDelegate::initEngine() {
  // Downloads an earlier run left half-written (killed, or ended mid-transfer) are removed
  // away from the main thread; files of this run are newer than its start and stay.
  std::thread([home = NSHomeDirectory(), started = realClock()->now()] {
    HXHTTPRequest::removeStaleTemporaryFiles(home, started);
  }).detach();
  NSConfig::engine();
  // The server clients reach the bound platform account through the dispatcher's client.
  ClientPlatformAccount::setCurrent(NSWeiBoNet::getNetEngine()->weiboEngine());
  UIBkImageView::defaultSet();
  // Friend groups parsed together are cached where each group's own request caches it.
  ZizaJsonStatusParser::setRequestLocalPath([](RequestType type, const Value& param) {
    return ClientRequest::engine()->getRequestLocalPath(type, param);
  });
  performSelectorAfterDelay(selector(weakThis(), &AppDelegate::observeNetWork, "observeNetWork"),
                            {}, kObserveNetworkDelay);
  // The catalogue fetches its channel images through the content-server client.
  ChannelItem::setImageDownloader(ClientRequest::engine());
  ChannelItem::channelIsRefresh();
  LMEngine::registerEngine();
}

void AppDelegate::forgetPlatformAccount() {
  auto account = ClientPlatformAccount::current();
  if (account) account->logOut();
  UIFilePath::removeFileType(1);
  if (account) account->deleteAccountDataInKeychain();
}

void AppDelegate::gudiaView() {
  auto weak = weakThis();
  // Registering again replaces an earlier registration, so a second run delivers once.
  auto observe = [&weak](std::string_view name, Selector action) {
    removeObserverWithName(weak, name);
    addObserverWithSelector(weak, std::move(action), name);
  };
  if (auto data = loginData(); data && !data->isSession) {
    observe(kApplicationDelegate,
            selector(weak, &AppDelegate::applicationDelegate, "applicationDelegate:"));
    observe(kLoginClientCallBack, selector(weak, &AppDelegate::loginCallBack, "loginCallBack:"));
    observe(kOpenClientCallBack, selector(weak, &AppDelegate::openCallBack, "openCallBack:"));
  }
  observe(kRegisterClientCallBack,
          selector(weak, &AppDelegate::gadiaViewAnimala, "gadiaViewAnimala:"));

  if (window_ && !window_->viewWithTag(kSplashViewTag)) {
    CGRect screen = screenBounds();
    auto splash = std::make_shared<UIImageView>();
    if (isTallScreen()) {
      splash->setImage(UIImage::imageNamed("Default-568h"));
      splash->setFrame(CGRectMake(0, 0, 320, screen.size.height));
    } else {
      splash->setImage(UIImage::imageNamed("Default"));
      splash->setFrame(CGRectMake(0, 20, 320, screen.size.height - 20));
    }
    splash->setTag(kSplashViewTag);
    splash->setAutoresizingMask(UIViewAutoresizingNone);
    window_->addSubview(splash);
  }

  isAddGuideView_ = true;
  NSTimer::scheduledTimerWithTimeInterval(
      kSplashFailSafeSeconds,
      selector(weak, &AppDelegate::checkGuidViewRemote, "checkGuidViewRemote:"), Value(), false);
}

void AppDelegate::checkGuidViewRemote(const Value&) {
  if (isAddGuideView_) removeGuideViewAnimation();
}

void AppDelegate::observeNetWork() {
  auto weak = weakThis();
  addObserverWithSelector(weak,
                          selector(weak, &AppDelegate::reachabilityChanged, "reachabilityChanged:"),
                          kReachabilityChangedNotification);
  hostReach_ = Reachability::reachabilityWithHostName(NSConfig::getCurDomain());
  if (hostReach_) {
    auto globe = NSGlobe::getEngine();
    globe->setCurNetStatus(hostReach_->currentReachabilityStatus());
    globe->changePictureShow();
    hostReach_->startNotifer();
  }
}

void AppDelegate::reachabilityChanged(const Value& notification) {
  auto note = notification.object<NSNotification>();
  auto reach = note ? note->object().object<Reachability>() : nullptr;
  if (!reach) return;
  int status = reach->currentReachabilityStatus();
  auto globe = NSGlobe::getEngine();
  globe->setCurNetStatus(status);
  if (status == NotReachable)
    PHProgressHUD::showPrompt(NSBundle::mainBundle()->localizedStringForKey("NetworkError"));
  ClientRequest::engine()->changeNetWork();
  globe->changePictureShow();
  if (auto screen = channelViewController_) {
    screen->refreshTableView();
    auto channel = screen->currentChannel();
    bool empty =
        !channel || !channel->channelStatuses() || channel->channelStatuses()->count() == 0;
    if (empty && (screen->isInFavorite() || screen->isInReadLater())) {
      auto help = std::make_shared<UIImageView>(CGRectMake(21, 50, 278, 358));
      help->setImage(
          UIImage::imageNamed(screen->isInFavorite() ? "favoriteHelp.png" : "readLaterHelp.png"));
      help->setTag(kChannelHelpViewTag);
      screen->dataTableView()->addSubview(help);
    }
  }
}

void AppDelegate::gadiaViewAnimala(const Value& notification) {
  if (!notification.isNil()) removeObserverWithName(weakThis(), kRegisterClientCallBack);
  auto data = loginData();
  auto config = NSConfig::engine();
  if (data && !data->isSession && !config->isAppUpdata()) {
    addGuideView();
    Value options = launchOptionsCache_;
    auto weak = weakThis();
    performAfterDelay(
        [weak, options] {
          if (auto self = weak.lock()) self->applicationLaunchOptionsRemoteNotification(options);
        },
        kLaunchPushDelay);
  }
  removeGuideViewAnimation();
  if (config->isAppAcountError() && NSWeiBoNet::isLogined(0)) {
    auto account = ClientPlatformAccount::current();
    ClientRequest::engine()->bindAccountWithUId(account->userID(), account->accessToken());
  }
}

void AppDelegate::removeGuideViewAnimation() {
  isAddGuideView_ = false;
  if (!window_) return;
  auto splash = window_->viewWithTag(kSplashViewTag);
  if (!splash) return;
  window_->bringSubviewToFront(splash);
  UIView::beginAnimations(kSplashAnimationID);
  UIView::setAnimationDuration(kSplashSlideSeconds);
  UIView::setAnimationCurve(UIViewAnimationCurve::EaseInOut);
  UIView::setAnimationDelegate(weakThis());
  UIView::setAnimationDidStopSelector(
      selector(weakThis(), &AppDelegate::removeGaidaView, "removeGaidaView"));
  CGRect frame = splash->frame();
  frame.origin.x = -320;
  splash->setFrame(frame);
  UIView::commitAnimations();
}

void AppDelegate::removeGaidaView() {
  if (window_) {
    if (auto splash = window_->viewWithTag(kSplashViewTag)) splash->removeFromSuperview();
  }
  if (auto home = homeScreen(); home && home->launcherView())
    home->launcherView()->scrollEnabled(true);
}

void AppDelegate::loginCallBack(const Value&) {
  postNotification(kChannelRefresh, Value(), RequestType::ChannelRefreshAfterLogin);
  removeObserverWithName(weakThis(), kLoginClientCallBack);
  auto data = loginData();
  if (data && data->errorLogEnable) InstallUncaughtExceptionHandler();
  if (auto home = homeScreen()) home->loadGuideView();
  if (!isShowServerAdOk() && !NSConfig::engine()->isAppUpdata() && data && data->isAdInfoExit()) {
    showLoginAdView();
    return;
  }
  postNotification(kRegisterClientCallBack);
}

void AppDelegate::openCallBack(const Value&) {
  auto data = loginData();
  if (!isShowServerAdOk() && data && data->isAdInfoExit()) {
    showLoginAdView();
    return;
  }
  postNotification(kRegisterClientCallBack);
  showMessage(Value());
}

void AppDelegate::applicationDelegate(const Value&) {
  removeObserverWithName(weakThis(), kApplicationDelegate);
}

// ---- what other parts call ----------------------------------------------------------------------

void AppDelegate::setChannelViewController(std::shared_ptr<ChannelViewController> controller) {
  channelViewController_ = std::move(controller);
}

void AppDelegate::setCurTextView(std::shared_ptr<UIView> view) {
  curTextView_ = std::move(view);
}

void AppDelegate::makeRightViewVisible() {
  if (myViewController_) myViewController_->setVisible(true);
}

std::shared_ptr<varimostaViewController> AppDelegate::homeScreen() const {
  if (!navigationController_) return nullptr;
  for (const auto& child : navigationController_->viewControllers()) {
    if (auto home = std::dynamic_pointer_cast<varimostaViewController>(child)) return home;
  }
  return nullptr;
}

void AppDelegate::startClose() {
  auto window = UIApplication::sharedApplication()->keyWindow();
  if (!window) window = window_;
  UIView::beginAnimations();
  UIView::setAnimationDuration(kCloseAnimationSeconds);
  UIView::setAnimationDelegate(weakThis());
  UIView::setAnimationDidStopSelector(
      selector(weakThis(), &AppDelegate::windowStop, "windowStop:"));
  if (window) {
    window->setTransform(CGAffineTransformScale(CGAffineTransformIdentity, 0.01, 0.01));
  }
  UIView::commitAnimations();
}

void AppDelegate::windowStop(const Value&) {
  UIApplication::exitProcess(0);
}

// ---- active, background, foreground, end --------------------------------------------------------

void AppDelegate::applicationWillResignActive(UIApplication&) {}

void AppDelegate::applicationDidBecomeActive(UIApplication&) {
  if (auto account = ClientPlatformAccount::current()) account->applicationDidBecomeActive();
}

void AppDelegate::applicationWillTerminate(UIApplication&) {
  appClose();
}

void AppDelegate::appStart() {
  UIApplication::sharedApplication()->setApplicationIconBadgeNumber(0);
  postNotification(kLogAction, Value(), NSSectionItem::kStartCode);
}

void AppDelegate::appClose() {
  postNotification(kLogAction, Value(), NSSectionItem::kCloseCode);
}

void AppDelegate::applicationDidEnterBackground(UIApplication&) {
  appClose();
  UIFilePath::removeLocalCommentFile();
  UIFilePath::removeLocalRetweetFile();
  if (auto data = loginData()) {
    data->isSession = true;
    data->isShowAdOk = false;
  }
  removeLoginAdView();
  NSDateFormatter formatter;
  formatter.setDateFormat(kEnterBackgroundTimeFormat);
  NSConfig::setCacheValue(Value(formatter.stringFromDate(NSDate::date())), kEnterBackgroundTimeKey);
  closeKeyBoard();
}

void AppDelegate::applicationWillEnterForeground(UIApplication&) {
  appStart();
  ChannelItem::channelIsRefresh();
  needShowMessage_ = true;
  if (Reachability::isConnectedToNetwork()) {
    Value stored = NSConfig::readCacheValueWithKey(kEnterBackgroundTimeKey);
    if (stored.isString()) {
      NSDateFormatter formatter;
      formatter.setDateFormat(kEnterBackgroundTimeFormat);
      if (auto since = formatter.dateFromString(stored.string())) {
        double away = -NSDate::timeIntervalSinceNow(*since);
        if (away >= kReopenAfterSeconds && !isInSendOpenClient_) appOpen();
      }
    }
  }
  initUpdateTime();
  NSConfig::engine()->startResetIpAddress();
}

void AppDelegate::appOpen() {
  if (isInSendOpenClient_) return;
  gudiaView();
  UIApplication::sharedApplication()->setApplicationIconBadgeNumber(0);
  isInSendOpenClient_ = true;
  postNotification(kGlobeRequest, Value(), RequestType::ReopenSession);
  performSelectorAfterDelay(selector(weakThis(), &AppDelegate::appOpenOver, "appOpenOver"), {},
                            kReopenAfterSeconds);
}

void AppDelegate::appOpenOver() {
  isInSendOpenClient_ = false;
}

void AppDelegate::closeKeyBoard() {
  // Nothing edits text until the text views exist: there is no first responder to resign.
}

// ---- push notifications -------------------------------------------------------------------------

void AppDelegate::applicationDidRegisterForRemoteNotificationsWithDeviceToken(
    UIApplication&, const Value& deviceToken) {
  std::string text = deviceToken.description();
  std::string token = text.size() >= 2 ? text.substr(1, text.size() - 2) : std::string();
  std::erase(token, ' ');
  auto d = defaults();
  d->setObject(Value(token), kTokenKeyTemp);
  d->synchronize();
  std::string accepted = storedString(kTokenKey);
  if (!accepted.empty() && accepted != token) {
    // The server client sends the new token at its next login.
    d->setObject(Value(std::string()), kTokenKey);
    d->synchronize();
  }
}

void AppDelegate::applicationDidFailToRegisterForRemoteNotificationsWithError(UIApplication&,
                                                                              const NSErrorPtr&) {}

void AppDelegate::applicationDidReceiveRemoteNotification(UIApplication& application,
                                                          const Value& userInfo) {
  // Only a push the user opened: in the foreground nothing moves under the reader.
  if (application.applicationState() == UIApplicationState::Active) return;
  applicationShowMsg(userInfo);
}

void AppDelegate::applicationLaunchOptionsRemoteNotification(const Value& launchOptions) {
  Value payload = launchOptions[UIApplicationLaunchOptionsRemoteNotificationKey];
  if (payload.isDictionary()) applicationShowMsg(payload);
  launchOptionsCache_ = Value();
}

void AppDelegate::applicationShowMsg(const Value& userInfo) {
  int channelId = channelIdOfPayload(userInfo);
  if (channelId <= 0) return;
  messageURL_.clear();
  channelData_.reset();
  if (auto item = ChannelItem::getChannelItemByChannelId(channelId)) {
    channelData_ = item;
    openChannel();
  }
}

// ---- URLs opened by other apps ------------------------------------------------------------------

bool AppDelegate::handleURL(const std::shared_ptr<NSURL>& url) {
  if (!url) return false;
  auto account = ClientPlatformAccount::current();
  if (account && account->handleOpenURL(url->absoluteString())) return true;
  std::weak_ptr<LMApiDelegate> lumi = std::dynamic_pointer_cast<LMApiDelegate>(shared_from_this());
  return LMEngine::handleOpenURL(url, lumi);
}

bool AppDelegate::applicationHandleOpenURL(UIApplication&, const std::shared_ptr<NSURL>& url) {
  return handleURL(url);
}

bool AppDelegate::applicationOpenURLSourceApplicationAnnotation(UIApplication&,
                                                                const std::shared_ptr<NSURL>& url,
                                                                const std::string&, const Value&) {
  return handleURL(url);
}

void AppDelegate::onReq(const Value& request) {
  LMEngine::onReq(request);
}

void AppDelegate::onResp(const Value& response) {
  LMEngine::onResp(response);
}

// ---- opening channels and links -----------------------------------------------------------------

void AppDelegate::openChannel(const Value&) {
  removeMessageView();
  auto home = homeScreen();
  if (home && home->isViewLoaded() && home->view()->window()) {
    openChannelDelay();
    return;
  }
  if (navigationController_) {
    auto screen = channelViewController_;
    if (screen && screen->isViewLoaded() && screen->view()->frame().origin.x != 0) {
      if (auto key = UIApplication::sharedApplication()->keyWindow()) {
        if (auto mask = key->viewWithTag(kSidePanelMaskViewTag)) mask->removeFromSuperview();
      }
      UIView::beginAnimations();
      CGRect frame = screen->view()->frame();
      frame.origin.x = 0;
      screen->view()->setFrame(frame);
      UIView::commitAnimations();
      navigationController_->popViewControllerAnimated(true);
    } else {
      navigationController_->popToRootViewControllerAnimated(true);
    }
  }
  channelViewController_.reset();
  stopActivityIndicatorViewAnimation();
  postNotification(kGlobeRequest, Value(), RequestType::Cancel);
  ClientRequest::engine()->setStringAction(Selector(), std::weak_ptr<NSObject>());
  performSelectorAfterDelay(
      selector(weakThis(), &AppDelegate::openChannelDelay, "openChannelDelay"), {},
      kOpenChannelDelay);
}

void AppDelegate::openChannelDelay() {
  std::shared_ptr<ChannelViewController> screen;
  if (channelData_) {
    screen = ChannelViewController::initWithChannelItem(channelData_);
  } else if (!messageURL_.empty()) {
    auto parts = componentsSeparatedByString(messageURL_, ",");
    int channelType = Channel::getChannelType(parts.empty() ? std::string() : parts[0]);
    int actionType = parts.size() > 1 ? Value(parts[1]).intValue() : 0;
    if (channelViewController_) channelViewController_->cancelButtonPushed();
    screen = ChannelViewController::initWithChannelType(channelType, actionType);
  }
  if (screen && navigationController_) {
    navigationController_->pushViewController(screen, true);
    channelViewController_ = screen;
  }
  messageURL_.clear();
  channelData_.reset();
}

void AppDelegate::openURL(const Value& link) {
  removeMessageView();
  std::string url = link.isString() ? std::string(link.string()) : std::string();
  if (!url.starts_with("http://") || !navigationController_) return;
  auto page = std::make_shared<ModalWebViewController>();
  navigationController_->presentModalViewController(page, true);
  if (auto web = page->myWebView())
    web->loadRequest(std::make_shared<NSURLRequest>(NSURL::URLWithString(url)));
}

void AppDelegate::openURLDelay() {
  if (!messageURL_.starts_with("http://") || !navigationController_) return;
  auto browser = std::make_shared<WebViewCtrl>();
  navigationController_->pushViewController(browser, true);
  browser->displayWithURL(messageURL_);
}

// The screens below the app reach these by name through the application's delegate.
NS_CLASS_IMPLEMENTATION(AppDelegate) {
  c.method("makeRightViewVisible", &AppDelegate::makeRightViewVisible);
}

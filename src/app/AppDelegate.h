// The application delegate: creates the shared services in their order, builds the window with
// the navigation root and the right-hand panel, shows the splash, registers or logs the client
// in and follows the outcome, handles the background and foreground, pushes and URLs opened by
// other apps, opens a channel on request, and ends the process in the two exit situations (an
// offline first start, too many failed registrations) through its exit animation and the
// application's exit hook.  Its update poll, server message and start-up advert duties live in
// AppDelegate+Update.cpp.  Everything runs on the main thread.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "Foundation/Value.h"
#include "UIKit/UIApplicationDelegate.h"
#include "UIKit/UIResponder.h"
#include "net/api/ClientRequest.h"
#include "screens/social/LMEngine.h"

class ChannelViewController;
class HXHTTPRequest;
class MyViewController;
class NSTimer;
class NSURL;
class Reachability;
class UINaviCtrl;
class UIView;
class UIWindow;
class varimostaViewController;
struct ChannelItem;

// View tags of the window.
inline constexpr long kSplashViewTag = 1013;
inline constexpr long kServerMessageViewTag = 1402;
inline constexpr long kChannelHelpViewTag = 299;
inline constexpr long kSidePanelMaskViewTag = 10086;

class AppDelegate : public UIResponder,
                    public UIApplicationDelegate,
                    public LMApiDelegate,
                    public ClientRequest::ApplicationCloser {
  NS_CLASS(AppDelegate, UIResponder)
 public:
  // How long the splash may stay when nothing removes it, and its slide out.
  static constexpr double kSplashFailSafeSeconds = 10;
  static constexpr double kSplashSlideSeconds = 0.85;
  // A return from the background after this long re-opens the client session.
  static constexpr double kReopenAfterSeconds = 60;

  // Installs the hooks by which the layers below reach the screen framework and the model,
  // before any service is created.
  AppDelegate();
  ~AppDelegate() override;

  // The application's delegate when it is an AppDelegate.
  static std::shared_ptr<AppDelegate> sharedDelegate();

  // ---- the application's life
  bool applicationDidFinishLaunchingWithOptions(UIApplication& application,
                                                const Value& launchOptions) override;
  void applicationWillResignActive(UIApplication& application) override;
  void applicationDidBecomeActive(UIApplication& application) override;
  void applicationDidEnterBackground(UIApplication& application) override;
  void applicationWillEnterForeground(UIApplication& application) override;
  void applicationWillTerminate(UIApplication& application) override;
  void applicationDidRegisterForRemoteNotificationsWithDeviceToken(
      UIApplication& application, const Value& deviceToken) override;
  void applicationDidFailToRegisterForRemoteNotificationsWithError(
      UIApplication& application, const NSErrorPtr& error) override;
  void applicationDidReceiveRemoteNotification(UIApplication& application,
                                               const Value& userInfo) override;
  bool applicationHandleOpenURL(UIApplication& application,
                                const std::shared_ptr<NSURL>& url) override;
  bool applicationOpenURLSourceApplicationAnnotation(UIApplication& application,
                                                     const std::shared_ptr<NSURL>& url,
                                                     const std::string& sourceApplication,
                                                     const Value& annotation) override;
  // ---- the messaging app's requests and responses
  void onReq(const Value& request) override;
  void onResp(const Value& response) override;

  // ---- what other parts call on the delegate
  std::shared_ptr<UIWindow> window() const override { return window_; }
  const std::shared_ptr<UINaviCtrl>& navigationController() const { return navigationController_; }
  const std::shared_ptr<MyViewController>& myViewController() const { return myViewController_; }
  const std::shared_ptr<ChannelViewController>& channelViewController() const {
    return channelViewController_;
  }
  void setChannelViewController(std::shared_ptr<ChannelViewController> controller);
  void setCurTextView(std::shared_ptr<UIView> view);
  const std::shared_ptr<UIView>& curTextView() const { return curTextView_; }
  // The exit animation: the key window shrinks to a hundredth over 1 s, then the process ends.
  void startClose() override;
  void makeRightViewVisible();
  // The home screen: the navigation root.
  std::shared_ptr<varimostaViewController> homeScreen() const;

  // ---- start-up
  void registerToken();
  void initEngine();
  void gudiaView();
  void observeNetWork();
  void reachabilityChanged(const Value& notification);
  // The end of registration, of login or re-open, or the offline start.
  void gadiaViewAnimala(const Value& notification);
  void removeGuideViewAnimation();
  void removeGaidaView();
  void checkGuidViewRemote(const Value& timer);
  void loginCallBack(const Value& notification);
  void openCallBack(const Value& notification);
  void applicationDelegate(const Value& notification);

  // ---- background and foreground
  void appStart();
  void appClose();
  void appOpen();
  void appOpenOver();
  void closeKeyBoard();

  // ---- pushes and channels
  void applicationLaunchOptionsRemoteNotification(const Value& launchOptions);
  // application:showMsg: - opens the channel named by the payload's "t".
  void applicationShowMsg(const Value& userInfo);
  void openChannel(const Value& sender = {});
  void openChannelDelay();
  // A web address opens in the modal web page screen; other links are ignored.
  void openURL(const Value& link);
  void openURLDelay();

  // ---- update poll, server message, launch counter and start-up advert
  // (AppDelegate+Update.cpp)
  void addGuideView();
  void initUpdateTime();
  void checkUpdateTime(const Value& timer = {});
  void checkUpdateTimeCallback(const Value& reply);
  // Stages the update stamp and asks the server for its message; the reply reaches showMessage.
  void getNewMessage(const Value& stamp);
  // The newly fetched message text (or nil): shows the stored message when it is due, and
  // keeps a new text for later.
  void showMessage(const Value& message);
  // Stores a message text; one with a picture only once the picture has arrived (or is current).
  void saveMessage(const Value& message);
  void imageResponseHeader(const Value& requestAndHeaders);
  void imageDownloadFinish(const Value& request);
  bool isShowServerAdOk();
  void removeMessageView(const Value& sender = {});
  // Sends the stored industry profile again (request 82) when one is stored.
  void setUpUserInfo();
  void showLoginAdView();
  void removeLoginAdView();
  // The start-up advert was tapped: its link opens in the in-app browser.
  void openAdInfo(const Value& advert);

  // ---- state
  const Value& launchOptionsCache() const { return launchOptionsCache_; }
  const std::shared_ptr<NSTimer>& updateTimer() const { return updateTimer_; }
  const std::shared_ptr<ChannelItem>& channelData() const { return channelData_; }
  const std::string& messageURL() const { return messageURL_; }
  void setMessageURL(std::string url) { messageURL_ = std::move(url); }
  const std::shared_ptr<Reachability>& hostReach() const { return hostReach_; }
  bool needShowMessage() const { return needShowMessage_; }
  // Which of the stored message's checks it passes: a positive id not shown yet, inside its
  // date window.
  static bool isMessageDue(const Value& message);
  bool isInSendOpenClient() const { return isInSendOpenClient_; }
  bool isAddGuideView() const { return isAddGuideView_; }

 private:
  std::weak_ptr<AppDelegate> weakThis() { return weakSelf<AppDelegate>(); }
  // Logs the platform account out and forgets it: its caches and keychain items.
  void forgetPlatformAccount();
  bool handleURL(const std::shared_ptr<NSURL>& url);
  void windowStop(const Value& animationID);

  std::shared_ptr<UIWindow> window_;
  std::shared_ptr<UINaviCtrl> navigationController_;
  std::shared_ptr<MyViewController> myViewController_;
  std::shared_ptr<ChannelViewController> channelViewController_;
  std::shared_ptr<NSTimer> updateTimer_;
  std::shared_ptr<UIView> curTextView_;
  Value launchOptionsCache_;
  std::shared_ptr<ChannelItem> channelData_;
  std::shared_ptr<Reachability> hostReach_;
  std::string messageURL_;
  std::string currentMessage_;
  std::shared_ptr<HXHTTPRequest> myRequest_;
  bool needShowMessage_ = false;
  bool isInSendOpenClient_ = false;
  bool isAddGuideView_ = false;
};

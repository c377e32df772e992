// The application object: its delegate, life-cycle state, icon badge, status bar, windows,
// remote-notification registration, the URLs it opens in other apps and its background tasks.
// System events (launch, going to the background, a push, a URL opened by another app) come in
// through UIApplicationDriver, which calls the delegate as the platform does.  Main thread only.
#pragma once

#include <atomic>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "CoreGraphics/CGGeometry.h"
#include "Foundation/Value.h"
#include "UIKit/UIApplicationDelegate.h"
#include "UIKit/UIOrientation.h"
#include "UIKit/UIResponder.h"

class NSURL;
class UIWindow;

enum class UIApplicationState { Active = 0, Inactive = 1, Background = 2 };

using UIRemoteNotificationType = unsigned;
inline constexpr UIRemoteNotificationType UIRemoteNotificationTypeNone = 0;
inline constexpr UIRemoteNotificationType UIRemoteNotificationTypeBadge = 1 << 0;
inline constexpr UIRemoteNotificationType UIRemoteNotificationTypeSound = 1 << 1;
inline constexpr UIRemoteNotificationType UIRemoteNotificationTypeAlert = 1 << 2;

using UIBackgroundTaskIdentifier = unsigned long;
inline constexpr UIBackgroundTaskIdentifier UIBackgroundTaskInvalid = 0;

// Notifications the application posts (object: the application), after the delegate's call.
inline constexpr std::string_view UIApplicationDidFinishLaunchingNotification =
    "UIApplicationDidFinishLaunchingNotification";
inline constexpr std::string_view UIApplicationWillResignActiveNotification =
    "UIApplicationWillResignActiveNotification";
inline constexpr std::string_view UIApplicationDidBecomeActiveNotification =
    "UIApplicationDidBecomeActiveNotification";
inline constexpr std::string_view UIApplicationDidEnterBackgroundNotification =
    "UIApplicationDidEnterBackgroundNotification";
inline constexpr std::string_view UIApplicationWillEnterForegroundNotification =
    "UIApplicationWillEnterForegroundNotification";
inline constexpr std::string_view UIApplicationWillTerminateNotification =
    "UIApplicationWillTerminateNotification";
inline constexpr std::string_view UIApplicationDidReceiveMemoryWarningNotification =
    "UIApplicationDidReceiveMemoryWarningNotification";

// Launch-option keys.  The URL is an NSURL object, the source application a string.
inline constexpr std::string_view UIApplicationLaunchOptionsURLKey =
    "UIApplicationLaunchOptionsURLKey";
inline constexpr std::string_view UIApplicationLaunchOptionsSourceApplicationKey =
    "UIApplicationLaunchOptionsSourceApplicationKey";
inline constexpr std::string_view UIApplicationLaunchOptionsAnnotationKey =
    "UIApplicationLaunchOptionsAnnotationKey";
inline constexpr std::string_view UIApplicationLaunchOptionsRemoteNotificationKey =
    "UIApplicationLaunchOptionsRemoteNotificationKey";

class UIApplication : public UIResponder {
  NS_CLASS(UIApplication, UIResponder)
 public:
  static std::shared_ptr<UIApplication> sharedApplication();

  // The delegate, when it is a responder.
  std::shared_ptr<UIResponder> nextResponder() const override;

  // The application keeps its delegate for its whole life.
  std::shared_ptr<UIApplicationDelegate> delegate() const { return delegate_; }
  void setDelegate(std::shared_ptr<UIApplicationDelegate> delegate);

  UIApplicationState applicationState() const { return state_; }

  long applicationIconBadgeNumber() const { return badgeNumber_; }
  void setApplicationIconBadgeNumber(long number) { badgeNumber_ = number; }
  bool isNetworkActivityIndicatorVisible() const { return networkActivityIndicatorVisible_; }
  void setNetworkActivityIndicatorVisible(bool visible) {
    networkActivityIndicatorVisible_ = visible;
  }

  // ---- status bar.  It turns with the device when the key window's root controller lets the
  // interface turn (shouldAutorotate and its supported orientations), before the device's
  // orientation notification is posted; face up, face down and unknown turn nothing.  A test
  // may also turn it by hand.
  UIInterfaceOrientation statusBarOrientation() const { return statusBarOrientation_; }
  void setStatusBarOrientation(UIInterfaceOrientation orientation) {
    statusBarOrientation_ = orientation;
  }
  // 0 default, 1 black translucent, 2 black opaque.
  int statusBarStyle() const { return statusBarStyle_; }
  void setStatusBarStyle(int style, bool /*animated*/ = false) { statusBarStyle_ = style; }
  bool isStatusBarHidden() const { return statusBarHidden_; }
  void setStatusBarHidden(bool hidden, bool animated = false);
  // In the screen's portrait coordinates, 20 points along the edge that is on top for the
  // user ((0, 0, screen width, 20) in portrait); empty while hidden.
  CGRect statusBarFrame() const;
  // Where the status bar stands, hidden or not.
  CGRect statusBarArea() const;

  // ---- windows
  std::shared_ptr<UIWindow> keyWindow() const { return keyWindow_.lock(); }
  // The windows that have been shown and still exist, by level (ties: first shown first).
  std::vector<std::shared_ptr<UIWindow>> windows() const;

  // ---- remote notifications.  The answer (a device token or an error) reaches the delegate
  // later, when the driver gives it.
  void registerForRemoteNotificationTypes(UIRemoteNotificationType types);
  // The types of the last registration that succeeded.
  UIRemoteNotificationType enabledRemoteNotificationTypes() const { return enabledTypes_; }

  // ---- other applications.  openURL records the URL and answers whether an installed
  // application takes its scheme ("http", "https", "mailto", "tel" and "sms" always are; the
  // driver installs others).  An installed application's handler gets the URL on the next pass
  // of the main run loop.
  bool openURL(const std::shared_ptr<NSURL>& url);
  bool canOpenURL(const std::shared_ptr<NSURL>& url) const;

  // ---- background tasks.  Ids start at 1; ending an unknown id does nothing.
  UIBackgroundTaskIdentifier beginBackgroundTaskWithExpirationHandler(
      std::function<void()> handler);
  void endBackgroundTask(UIBackgroundTaskIdentifier identifier);

  // ---- the end of the process.  exitProcess(status) is how the application ends itself; it
  // calls terminateHook, which exits the process.  Tests replace the hook.
  static inline std::function<void(int status)> terminateHook = [](int status) {
    std::exit(status);
  };
  static void exitProcess(int status);

  // Ends UIApplicationMain, which returns `result` (the headless runner uses it).  Any thread.
  static void stopMainLoop(int result = 0);

 private:
  friend class UIApplicationDriver;
  friend struct UIApplicationDriverSteps;
  friend class UIWindow;
  friend int UIApplicationMain(int, char**, std::shared_ptr<UIApplicationDelegate>);
  friend class UIDevice;

  struct BackgroundTask {
    std::function<void()> expirationHandler;
    bool expired = false;
  };

  // What the driver and UIApplicationMain use.
  bool launch(const Value& launchOptions);
  void post(std::string_view notificationName);
  void reset();
  void deviceOrientationDidChange(UIDeviceOrientation orientation);

  std::shared_ptr<UIApplicationDelegate> delegate_;
  UIApplicationState state_ = UIApplicationState::Inactive;
  bool launched_ = false;
  bool terminated_ = false;
  long badgeNumber_ = 0;
  // Read by the HTTP engine's network thread, which posts a change only when one is needed.
  std::atomic<bool> networkActivityIndicatorVisible_{false};
  bool statusBarHidden_ = false;
  int statusBarStyle_ = 0;
  UIInterfaceOrientation statusBarOrientation_ = UIInterfaceOrientation::Portrait;
  std::weak_ptr<UIWindow> keyWindow_;
  std::vector<std::weak_ptr<UIWindow>> windows_;

  bool registrationPending_ = false;
  UIRemoteNotificationType requestedTypes_ = UIRemoteNotificationTypeNone;
  UIRemoteNotificationType enabledTypes_ = UIRemoteNotificationTypeNone;

  std::set<std::string> installedSchemes_;  // lower case
  std::map<std::string, std::function<void(const std::shared_ptr<NSURL>&)>> urlHandlers_;
  std::vector<std::string> openedURLs_;

  UIBackgroundTaskIdentifier nextTaskId_ = 1;
  std::map<UIBackgroundTaskIdentifier, BackgroundTask> backgroundTasks_;
};

// The process's entry point into the application: makes the delegate the application's,
// launches it (on the first pass of the main run loop, without launch options) and runs the
// main run loop until UIApplication::stopMainLoop.  Call it on the main thread.
int UIApplicationMain(int argc, char** argv, std::shared_ptr<UIApplicationDelegate> delegate);

// The system side of the application, for tests and the runner: it launches the application,
// moves it between the foreground and the background, delivers pushes, memory warnings and URLs
// opened by other apps, answers the push registration, stands in for the other installed apps
// and taps alert buttons.  Each event calls the delegate in the platform's order with the
// application state the platform has at that moment:
//
//   launch            state inactive: didFinishLaunchingWithOptions, [open URL entry],
//                     state active: didBecomeActive
//   resignActive      willResignActive, state inactive
//   becomeActive      state active: didBecomeActive
//   enterBackground   [resignActive], state background: didEnterBackground
//   enterForeground   willEnterForeground (still background), state inactive, becomeActive
//   terminate         [resignActive], willTerminate
//
// Each delegate call is followed by the matching notification.  Events before the launch or
// after terminate, and those that do not fit the state (entering the foreground while active),
// do nothing and return false.  Main thread only.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Foundation/NSError.h"
#include "Foundation/Value.h"
#include "UIKit/UIApplication.h"

class NSURL;
class UIAlertView;

class UIApplicationDriver {
 public:
  // Puts the shared application back to its state before a launch: no delegate, no windows,
  // badge 0, only the system apps installed, nothing opened, registered or pending, no alerts.
  static void reset();

  // Makes the delegate the application's and launches it; returns the delegate's answer (and,
  // for a launch with a URL, the open-URL entry's).
  static bool launch(std::shared_ptr<UIApplicationDelegate> delegate, Value launchOptions = {});
  static bool isLaunched();
  static bool isTerminated();

  static bool resignActive();
  static bool becomeActive();
  static bool enterBackground();
  static bool enterForeground();
  static bool terminate();
  static bool receiveMemoryWarning();

  // A push arriving while the application runs: delivered in the active state, or in the
  // inactive one (the user opened it while the application was not frontmost).  A suspended
  // (background) application gets nothing: false.
  static bool receiveRemoteNotification(const Value& payload);
  // The user opens a push from the notification centre: the application comes to the
  // foreground (or back from the centre) and gets it while inactive, then becomes active.  An
  // application that is not running is launched with launchOptionsForRemoteNotification instead.
  static bool openRemoteNotification(const Value& payload);

  // Another app opens a URL of ours: as with a push, the application gets it while inactive on
  // its way to the foreground.  Returns the delegate's answer.  An application that is not
  // running is launched with launchOptionsForURL instead.
  static bool openURL(const std::shared_ptr<NSURL>& url, std::string_view sourceApplication = {},
                      const Value& annotation = {});

  // Launch options of a launch to open a URL (source and annotation only when given) or a push.
  static Value launchOptionsForURL(const std::shared_ptr<NSURL>& url,
                                   std::string_view sourceApplication = {},
                                   const Value& annotation = {});
  static Value launchOptionsForRemoteNotification(const Value& payload);

  // ---- the push registration
  static bool hasPendingRemoteNotificationRegistration();
  // The types asked for by the last registration.
  static UIRemoteNotificationType requestedRemoteNotificationTypes();
  // Answer a pending registration; false when none is pending.
  static bool answerRemoteNotificationRegistration(std::string deviceToken);
  static bool failRemoteNotificationRegistration(NSErrorPtr error);

  // ---- other applications
  // Installs an app taking the scheme; its handler (if any) gets each URL opened with it.
  static void installApplication(std::string_view scheme,
                                 std::function<void(const std::shared_ptr<NSURL>&)> handler = {});
  static void uninstallApplication(std::string_view scheme);
  // Every URL the application asked to open (taken or not), oldest first.
  static std::vector<std::string> openedURLs();
  static void clearOpenedURLs();

  // ---- background tasks
  // Tasks begun and not ended.
  static size_t backgroundTaskCount();
  // The system's time for them is up: each task's expiration handler runs once.
  static void expireBackgroundTasks();

  // ---- alerts
  static std::vector<std::shared_ptr<UIAlertView>> visibleAlerts();
  // The user taps the button: see UIAlertView::tapButtonAtIndex.
  static bool tapAlertButton(const std::shared_ptr<UIAlertView>& alert, long buttonIndex);
};

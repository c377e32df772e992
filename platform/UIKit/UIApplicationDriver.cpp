#include "UIKit/UIApplicationDriver.h"

#include <algorithm>
#include <cctype>

#include "Foundation/NSString.h"
#include "Foundation/NSURL.h"
#include "UIKit/UIActionSheet.h"
#include "UIKit/UIAlertView.h"
#include "UIKit/UIEventDriver.h"
#include "UIKit/UIKeyboard.h"

namespace {

UIApplication& app() {
  static auto shared = UIApplication::sharedApplication();
  return *shared;
}

}  // namespace

// The driver reaches into the application's private state; these helpers keep the order of
// calls in one place.
struct UIApplicationDriverSteps {
  static bool running() { return app().launched_ && !app().terminated_; }
  static std::shared_ptr<UIApplicationDelegate> delegate() { return app().delegate_; }

  static void resign() {
    if (auto d = delegate()) d->applicationWillResignActive(app());
    app().post(UIApplicationWillResignActiveNotification);
    app().state_ = UIApplicationState::Inactive;
  }
  static void activate() {
    app().state_ = UIApplicationState::Active;
    if (auto d = delegate()) d->applicationDidBecomeActive(app());
    app().post(UIApplicationDidBecomeActiveNotification);
  }
  static void toForeground() {
    if (auto d = delegate()) d->applicationWillEnterForeground(app());
    app().post(UIApplicationWillEnterForegroundNotification);
    app().state_ = UIApplicationState::Inactive;
  }
  // Brings the application to the inactive state on its way to the front.
  static void toInactive() {
    if (app().state_ == UIApplicationState::Background) {
      toForeground();
    } else if (app().state_ == UIApplicationState::Active) {
      resign();
    }
  }
};

using Steps = UIApplicationDriverSteps;

void UIApplicationDriver::reset() {
  UIEventDriver::reset();
  if (auto first = UIResponder::firstResponder()) first->forceResignFirstResponder();
  UIKeyboard::reset();
  UIActionSheet::removeAllVisibleActionSheets();
  app().reset();
  UIAlertView::removeAllVisibleAlerts();
}

bool UIApplicationDriver::launch(std::shared_ptr<UIApplicationDelegate> delegate,
                                 Value launchOptions) {
  if (app().launched_) return false;
  app().setDelegate(std::move(delegate));
  return app().launch(launchOptions);
}

bool UIApplicationDriver::isLaunched() {
  return app().launched_;
}

bool UIApplicationDriver::isTerminated() {
  return app().terminated_;
}

bool UIApplicationDriver::resignActive() {
  if (!Steps::running() || app().state_ != UIApplicationState::Active) return false;
  Steps::resign();
  return true;
}

bool UIApplicationDriver::becomeActive() {
  if (!Steps::running() || app().state_ != UIApplicationState::Inactive) return false;
  Steps::activate();
  return true;
}

bool UIApplicationDriver::enterBackground() {
  if (!Steps::running() || app().state_ == UIApplicationState::Background) return false;
  if (app().state_ == UIApplicationState::Active) Steps::resign();
  app().state_ = UIApplicationState::Background;
  if (auto d = Steps::delegate()) d->applicationDidEnterBackground(app());
  app().post(UIApplicationDidEnterBackgroundNotification);
  return true;
}

bool UIApplicationDriver::enterForeground() {
  if (!Steps::running() || app().state_ != UIApplicationState::Background) return false;
  Steps::toForeground();
  Steps::activate();
  return true;
}

bool UIApplicationDriver::terminate() {
  if (!Steps::running()) return false;
  if (app().state_ == UIApplicationState::Active) Steps::resign();
  if (auto d = Steps::delegate()) d->applicationWillTerminate(app());
  app().post(UIApplicationWillTerminateNotification);
  app().terminated_ = true;
  return true;
}

bool UIApplicationDriver::receiveMemoryWarning() {
  if (!Steps::running()) return false;
  if (auto d = Steps::delegate()) d->applicationDidReceiveMemoryWarning(app());
  app().post(UIApplicationDidReceiveMemoryWarningNotification);
  return true;
}

bool UIApplicationDriver::receiveRemoteNotification(const Value& payload) {
  if (!Steps::running() || app().state_ == UIApplicationState::Background) return false;
  if (auto d = Steps::delegate()) d->applicationDidReceiveRemoteNotification(app(), payload);
  return true;
}

bool UIApplicationDriver::openRemoteNotification(const Value& payload) {
  if (!Steps::running()) return false;
  Steps::toInactive();
  if (auto d = Steps::delegate()) d->applicationDidReceiveRemoteNotification(app(), payload);
  Steps::activate();
  return true;
}

bool UIApplicationDriver::openURL(const std::shared_ptr<NSURL>& url,
                                  std::string_view sourceApplication, const Value& annotation) {
  if (!Steps::running() || !url) return false;
  Steps::toInactive();
  bool taken = false;
  if (auto d = Steps::delegate())
    taken = d->applicationOpenURLSourceApplicationAnnotation(
        app(), url, std::string(sourceApplication), annotation);
  Steps::activate();
  return taken;
}

Value UIApplicationDriver::launchOptionsForURL(const std::shared_ptr<NSURL>& url,
                                               std::string_view sourceApplication,
                                               const Value& annotation) {
  Value options = Value::dictionaryOf();
  if (url) options.dictionary()->setObject(Value(url), UIApplicationLaunchOptionsURLKey);
  if (!sourceApplication.empty())
    options.dictionary()->setObject(Value(sourceApplication),
                                    UIApplicationLaunchOptionsSourceApplicationKey);
  if (!annotation.isNil())
    options.dictionary()->setObject(annotation, UIApplicationLaunchOptionsAnnotationKey);
  return options;
}

Value UIApplicationDriver::launchOptionsForRemoteNotification(const Value& payload) {
  return Value::dictionaryOf(
      {{std::string(UIApplicationLaunchOptionsRemoteNotificationKey), payload}});
}

bool UIApplicationDriver::hasPendingRemoteNotificationRegistration() {
  return app().registrationPending_;
}

UIRemoteNotificationType UIApplicationDriver::requestedRemoteNotificationTypes() {
  return app().requestedTypes_;
}

bool UIApplicationDriver::answerRemoteNotificationRegistration(std::string deviceToken) {
  if (!app().registrationPending_) return false;
  app().registrationPending_ = false;
  app().enabledTypes_ = app().requestedTypes_;
  if (auto d = Steps::delegate())
    d->applicationDidRegisterForRemoteNotificationsWithDeviceToken(
        app(), Value::data(std::move(deviceToken)));
  return true;
}

bool UIApplicationDriver::failRemoteNotificationRegistration(NSErrorPtr error) {
  if (!app().registrationPending_) return false;
  app().registrationPending_ = false;
  if (auto d = Steps::delegate())
    d->applicationDidFailToRegisterForRemoteNotificationsWithError(app(), error);
  return true;
}

void UIApplicationDriver::installApplication(
    std::string_view scheme, std::function<void(const std::shared_ptr<NSURL>&)> handler) {
  std::string key = lowercaseASCIIString(scheme);
  if (key.empty()) return;
  app().installedSchemes_.insert(key);
  if (handler) {
    app().urlHandlers_[key] = std::move(handler);
  } else {
    app().urlHandlers_.erase(key);
  }
}

void UIApplicationDriver::uninstallApplication(std::string_view scheme) {
  std::string key = lowercaseASCIIString(scheme);
  app().installedSchemes_.erase(key);
  app().urlHandlers_.erase(key);
}

std::vector<std::string> UIApplicationDriver::openedURLs() {
  return app().openedURLs_;
}

void UIApplicationDriver::clearOpenedURLs() {
  app().openedURLs_.clear();
}

size_t UIApplicationDriver::backgroundTaskCount() {
  return app().backgroundTasks_.size();
}

void UIApplicationDriver::expireBackgroundTasks() {
  std::vector<std::function<void()>> handlers;
  for (auto& [id, task] : app().backgroundTasks_) {
    if (task.expired) continue;
    task.expired = true;
    if (task.expirationHandler) handlers.push_back(task.expirationHandler);
  }
  // A handler usually ends its task, which changes the map.
  for (auto& h : handlers) h();
}

std::vector<std::shared_ptr<UIAlertView>> UIApplicationDriver::visibleAlerts() {
  return UIAlertView::visibleAlerts();
}

bool UIApplicationDriver::tapAlertButton(const std::shared_ptr<UIAlertView>& alert,
                                         long buttonIndex) {
  return alert && alert->tapButtonAtIndex(buttonIndex);
}

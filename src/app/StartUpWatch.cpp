#include "app/StartUpWatch.h"

#include "Foundation/NSClass.h"
#include "Foundation/NSThread.h"
#include "UIKit/UIWindow.h"
#include "app/AppDelegate.h"
#include "core/NSObject+notification.h"
#include "core/NotificationNames.h"
#include "net/http/Reachability.h"
#include "screens/home/varimostaViewController.h"

std::shared_ptr<StartUpWatch> StartUpWatch::start(Done done) {
  auto watch = std::make_shared<StartUpWatch>();
  watch->done_ = std::move(done);
  std::weak_ptr<StartUpWatch> weak = watch;
  addObserverWithSelector(weak, selector(weak, &StartUpWatch::loggedIn, "loggedIn:"),
                          kLoginClientCallBack);
  addObserverWithSelector(weak, selector(weak, &StartUpWatch::loggedIn, "loggedIn:"),
                          kOpenClientCallBack);
  addObserverWithSelector(weak, selector(weak, &StartUpWatch::registered, "registered:"),
                          kRegisterClientCallBack);
  return watch;
}

StartUpWatch::~StartUpWatch() {
  removeObserver(weak_from_this());
}

bool StartUpWatch::homeShowsTiles() {
  auto app = AppDelegate::sharedDelegate();
  auto home = app ? app->homeScreen() : nullptr;
  if (!home || !home->isViewLoaded()) return false;
  auto launcher = home->launcherView();
  if (!launcher) return false;
  if (auto window = home->view()->window()) window->layoutIfNeeded();
  launcher->layoutIfNeeded();
  for (const auto& page : launcher->buttons())
    if (!page.empty()) return true;
  return false;
}

void StartUpWatch::loggedIn(const Value&) {
  loggedIn_ = true;
  if (registered_) finish();
}

void StartUpWatch::registered(const Value&) {
  registered_ = true;
  // Online, the login comes before or after it; offline there is none.
  if (loggedIn_ || !Reachability::isConnectedToNetwork()) finish();
}

void StartUpWatch::finish() {
  if (finishing_) return;
  finishing_ = true;
  removeObserver(weak_from_this());
  std::weak_ptr<StartUpWatch> weak = std::static_pointer_cast<StartUpWatch>(shared_from_this());
  performAfterDelay(
      [weak] {
        auto self = weak.lock();
        if (!self || !self->done_) return;
        auto done = std::move(self->done_);
        done(homeShowsTiles());
      },
      0);
}

NS_CLASS_IMPLEMENTATION(StartUpWatch) {}

#include "UIKit/UIApplication.h"

#include <algorithm>
#include <atomic>
#include <cctype>

#include "Foundation/NSClass.h"
#include "Foundation/NSNotificationCenter.h"
#include "Foundation/NSRunLoop.h"
#include "Foundation/NSString.h"
#include "Foundation/NSURL.h"
#include "UIKit/UIScreen.h"
#include "UIKit/UIViewController.h"
#include "UIKit/UIWindow.h"

namespace {

// The applications every device has, by URL scheme.
const std::set<std::string>& systemSchemes() {
  static const std::set<std::string> schemes = {"http", "https", "mailto", "tel", "sms"};
  return schemes;
}

std::string lowerScheme(const std::shared_ptr<NSURL>& url) {
  return lowercaseASCIIString(url ? url->scheme().value_or("") : "");
}

std::atomic<bool> gStopRequested{false};
std::atomic<int> gMainResult{0};

}  // namespace

std::shared_ptr<UIApplication> UIApplication::sharedApplication() {
  static auto app = [] {
    auto a = std::make_shared<UIApplication>();
    a->installedSchemes_ = systemSchemes();
    return a;
  }();
  return app;
}

void UIApplication::setDelegate(std::shared_ptr<UIApplicationDelegate> delegate) {
  delegate_ = std::move(delegate);
}

void UIApplication::setStatusBarHidden(bool hidden, bool) {
  statusBarHidden_ = hidden;
}

CGRect UIApplication::statusBarFrame() const {
  if (statusBarHidden_) return CGRectZero;
  return statusBarArea();
}

CGRect UIApplication::statusBarArea() const {
  // In the screen's own (portrait) coordinates: along the edge that is on top for the user.
  CGSize screen = UIScreen::mainScreen()->bounds().size;
  switch (statusBarOrientation_) {
    case UIInterfaceOrientation::PortraitUpsideDown:
      return CGRectMake(0, screen.height - 20, screen.width, 20);
    case UIInterfaceOrientation::LandscapeLeft:
      return CGRectMake(0, 0, 20, screen.height);
    case UIInterfaceOrientation::LandscapeRight:
      return CGRectMake(screen.width - 20, 0, 20, screen.height);
    default:
      return CGRectMake(0, 0, screen.width, 20);
  }
}

std::shared_ptr<UIResponder> UIApplication::nextResponder() const {
  return std::dynamic_pointer_cast<UIResponder>(delegate_);
}

std::vector<std::shared_ptr<UIWindow>> UIApplication::windows() const {
  std::vector<std::shared_ptr<UIWindow>> out;
  for (const auto& w : windows_)
    if (auto window = w.lock()) out.push_back(std::move(window));
  std::stable_sort(out.begin(), out.end(), [](const auto& a, const auto& b) {
    return a->windowLevel() < b->windowLevel();
  });
  return out;
}

void UIApplication::registerForRemoteNotificationTypes(UIRemoteNotificationType types) {
  requestedTypes_ = types;
  registrationPending_ = true;
}

bool UIApplication::canOpenURL(const std::shared_ptr<NSURL>& url) const {
  std::string scheme = lowerScheme(url);
  return !scheme.empty() && installedSchemes_.count(scheme);
}

bool UIApplication::openURL(const std::shared_ptr<NSURL>& url) {
  if (!url) return false;
  openedURLs_.push_back(url->absoluteString());
  if (!canOpenURL(url)) return false;
  auto it = urlHandlers_.find(lowerScheme(url));
  if (it != urlHandlers_.end() && it->second) {
    NSRunLoop::mainRunLoop()->performBlock([handler = it->second, url] { handler(url); });
  }
  return true;
}

UIBackgroundTaskIdentifier UIApplication::beginBackgroundTaskWithExpirationHandler(
    std::function<void()> handler) {
  UIBackgroundTaskIdentifier id = nextTaskId_++;
  backgroundTasks_[id] = BackgroundTask{std::move(handler), false};
  return id;
}

void UIApplication::endBackgroundTask(UIBackgroundTaskIdentifier identifier) {
  backgroundTasks_.erase(identifier);
}

void UIApplication::exitProcess(int status) {
  if (terminateHook) {
    terminateHook(status);
  } else {
    std::exit(status);
  }
}

void UIApplication::post(std::string_view name) {
  NSNotificationCenter::defaultCenter()->postNotificationName(name, Value(sharedApplication()));
}

bool UIApplication::launch(const Value& launchOptions) {
  if (launched_) return false;
  launched_ = true;
  auto keep = sharedApplication();
  state_ = UIApplicationState::Inactive;
  bool ok = true;
  if (auto d = delegate_) ok = d->applicationDidFinishLaunchingWithOptions(*this, launchOptions);
  post(UIApplicationDidFinishLaunchingNotification);
  // A launch to open a URL hands it over once the delegate has agreed to launch.
  auto url = launchOptions[UIApplicationLaunchOptionsURLKey].object<NSURL>();
  if (ok && url && delegate_) {
    ok = delegate_->applicationOpenURLSourceApplicationAnnotation(
        *this, url,
        std::string(launchOptions[UIApplicationLaunchOptionsSourceApplicationKey].string()),
        launchOptions[UIApplicationLaunchOptionsAnnotationKey]);
  }
  state_ = UIApplicationState::Active;
  if (auto d = delegate_) d->applicationDidBecomeActive(*this);
  post(UIApplicationDidBecomeActiveNotification);
  return ok;
}

void UIApplication::reset() {
  delegate_.reset();
  state_ = UIApplicationState::Inactive;
  launched_ = false;
  terminated_ = false;
  badgeNumber_ = 0;
  networkActivityIndicatorVisible_ = false;
  statusBarHidden_ = false;
  statusBarStyle_ = 0;
  statusBarOrientation_ = UIInterfaceOrientation::Portrait;
  keyWindow_.reset();
  windows_.clear();
  registrationPending_ = false;
  requestedTypes_ = enabledTypes_ = UIRemoteNotificationTypeNone;
  installedSchemes_ = systemSchemes();
  urlHandlers_.clear();
  openedURLs_.clear();
  nextTaskId_ = 1;
  backgroundTasks_.clear();
}

void UIApplication::deviceOrientationDidChange(UIDeviceOrientation orientation) {
  UIInterfaceOrientation turned;
  switch (orientation) {
    case UIDeviceOrientation::Portrait:
      turned = UIInterfaceOrientation::Portrait;
      break;
    case UIDeviceOrientation::PortraitUpsideDown:
      turned = UIInterfaceOrientation::PortraitUpsideDown;
      break;
    case UIDeviceOrientation::LandscapeLeft:
      turned = UIInterfaceOrientation::LandscapeRight;
      break;
    case UIDeviceOrientation::LandscapeRight:
      turned = UIInterfaceOrientation::LandscapeLeft;
      break;
    default:
      return;
  }
  auto window = keyWindow();
  auto root = window ? window->rootViewController() : nullptr;
  if (!root || !root->shouldAutorotate() ||
      !(root->supportedInterfaceOrientations() & maskOf(turned)))
    return;
  statusBarOrientation_ = turned;
}

void UIApplication::stopMainLoop(int result) {
  gMainResult = result;
  gStopRequested = true;
  // Handling this block ends the loop's current wait.
  NSRunLoop::mainRunLoop()->performBlock([] {});
}

int UIApplicationMain(int, char**, std::shared_ptr<UIApplicationDelegate> delegate) {
  auto app = UIApplication::sharedApplication();
  app->setDelegate(std::move(delegate));
  auto loop = NSRunLoop::mainRunLoop();
  auto keepAlive = loop->addKeepAliveSource(NSDefaultRunLoopMode);
  loop->performBlock([app] { app->launch(Value()); }, {std::string(NSDefaultRunLoopMode)});
  while (!gStopRequested) loop->runMode(NSDefaultRunLoopMode, NSRunLoop::kDistantFuture);
  keepAlive->invalidate();
  gStopRequested = false;
  return gMainResult;
}

NS_CLASS_IMPLEMENTATION(UIApplication) {}

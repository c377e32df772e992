#include "uilib/navigator/ULNavigator.h"

#include "Foundation/NSClass.h"
#include "Foundation/NSDate.h"
#include "Foundation/NSNotificationCenter.h"
#include "Foundation/NSUserDefaults.h"
#include "UIKit/UIApplication.h"
#include "UIKit/UINavigationController.h"
#include "UIKit/UITabBarController.h"
#include "UIKit/UIView.h"
#include "UIKit/UIViewController.h"
#include "uilib/navigator/UIViewController+ULNavigator.h"
#include "uilib/navigator/ULModelViewController.h"
#include "uilib/navigator/ULNavigationController.h"
#include "uilib/screen/ULOrientation.h"

// ---- ULURLAction

std::shared_ptr<ULURLAction> ULURLAction::me() {
  return self<ULURLAction>();
}
std::shared_ptr<ULURLAction> ULURLAction::applyParentURLPath(std::string path) {
  parentURLPath_ = std::move(path);
  return me();
}
std::shared_ptr<ULURLAction> ULURLAction::applyQuery(const ValueDictionary& query) {
  query_ = query ? query->copy() : nullptr;
  return me();
}
std::shared_ptr<ULURLAction> ULURLAction::applyState(const ValueDictionary& state) {
  state_ = state ? state->copy() : nullptr;
  return me();
}
std::shared_ptr<ULURLAction> ULURLAction::applyAnimated(bool animated) {
  animated_ = animated;
  return me();
}
std::shared_ptr<ULURLAction> ULURLAction::applyWithDelay(bool withDelay) {
  withDelay_ = withDelay;
  return me();
}
std::shared_ptr<ULURLAction> ULURLAction::applySourceRect(CGRect rect) {
  sourceRect_ = rect;
  return me();
}
std::shared_ptr<ULURLAction> ULURLAction::applySourceView(std::shared_ptr<UIView> view) {
  sourceView_ = std::move(view);
  return me();
}
std::shared_ptr<ULURLAction> ULURLAction::applySourceButton(
    std::shared_ptr<UIBarButtonItem> button) {
  sourceButton_ = std::move(button);
  return me();
}
std::shared_ptr<ULURLAction> ULURLAction::applyTransition(int transition) {
  transition_ = transition;
  return me();
}

// ---- ULBaseNavigator: class side

namespace {

std::shared_ptr<ULBaseNavigator>& theGlobalNavigator() {
  static std::shared_ptr<ULBaseNavigator> navigator;
  return navigator;
}

std::shared_ptr<UIViewController> controllerOf(const Value& value) {
  return value.object<UIViewController>();
}

}  // namespace

std::shared_ptr<ULBaseNavigator> ULBaseNavigator::globalNavigator() {
  return theGlobalNavigator();
}

void ULBaseNavigator::setGlobalNavigator(const std::shared_ptr<ULBaseNavigator>& navigator) {
  theGlobalNavigator() = navigator;
  ULControllerRegisters::globalURLMap = navigator ? &navigator->URLMap() : nullptr;
}

std::shared_ptr<ULBaseNavigator> ULBaseNavigator::navigatorForView(
    const std::shared_ptr<UIView>& view) {
  std::shared_ptr<UIViewController> controller;
  for (std::shared_ptr<UIResponder> r = view; r && !controller; r = r->nextResponder())
    controller = std::dynamic_pointer_cast<UIViewController>(r);
  std::shared_ptr<UIViewController> child;
  for (auto c = controller; c; child = c, c = ULSuperController(*c)) {
    if (auto* container = dynamic_cast<ULNavigatorRootContainer*>(c.get())) {
      if (auto navigator = container->getNavigatorForController(child)) return navigator;
      break;
    }
  }
  return globalNavigator();
}

std::shared_ptr<UIViewController> ULBaseNavigator::frontViewControllerForController(
    const std::shared_ptr<UIViewController>& controller) {
  std::shared_ptr<UIViewController> front = controller;
  if (auto tabs = std::dynamic_pointer_cast<UITabBarController>(controller)) {
    front = tabs->selectedViewController();
    if (!front && !tabs->viewControllers().empty()) front = tabs->viewControllers().front();
  } else if (auto navigation = std::dynamic_pointer_cast<UINavigationController>(controller))
    front = navigation->topViewController();
  if (front && front->modalViewController())
    return frontViewControllerForController(front->modalViewController());
  return front;
}

// ---- ULBaseNavigator: life

ULBaseNavigator::ULBaseNavigator() {
  auto center = NSNotificationCenter::defaultCenter();
  for (auto name :
       {UIApplicationWillTerminateNotification, UIApplicationDidEnterBackgroundNotification})
    observations_.push_back(center->addObserverForName(
        name, Value(), [this](const NSNotificationPtr&) { applicationWillLeaveForeground(); }));
}

ULBaseNavigator::~ULBaseNavigator() {
  auto center = NSNotificationCenter::defaultCenter();
  for (const auto& token : observations_) center->removeObserver(token);
  if (ULControllerRegisters::globalURLMap == &URLMap_)
    ULControllerRegisters::globalURLMap = nullptr;
}

void ULBaseNavigator::applicationWillLeaveForeground() {
  if (persistenceMode_ != PersistenceModeNone) persistViewControllers();
}

std::shared_ptr<UIWindow> ULBaseNavigator::window() {
  if (window_) return window_;
  if (auto application = UIApplication::sharedApplication())
    if (auto key = application->keyWindow()) return window_ = key;
  window_ = makeWindow(ULOrientedScreenBounds());
  window_->makeKeyAndVisible();
  return window_;
}

void ULBaseNavigator::setRootViewController(const std::shared_ptr<UIViewController>& controller) {
  if (controller == root_) return;
  root_ = controller;
  if (auto container = rootContainer()) {
    container->navigatorSetRootViewController(*this, controller);
    return;
  }
  window()->setRootViewController(controller);
}

std::shared_ptr<UIWindow> ULBaseNavigator::makeWindow(CGRect frame) {
  return std::make_shared<UIWindow>(frame);
}

std::shared_ptr<UINavigationController> ULBaseNavigator::makeNavigationController() {
  return std::make_shared<ULBaseNavigationController>();
}

std::shared_ptr<UIViewController> ULBaseNavigator::getVisibleChildController(
    const std::shared_ptr<UIViewController>& controller) {
  return controller ? ULTopSubcontroller(*controller) : nullptr;
}

// ---- where things are

std::shared_ptr<UIViewController> ULBaseNavigator::frontNavigationController() const {
  if (std::dynamic_pointer_cast<UINavigationController>(root_)) return root_;
  if (auto tabs = std::dynamic_pointer_cast<UITabBarController>(root_)) {
    if (auto selected = tabs->selectedViewController()) return selected;
    return tabs->viewControllers().empty() ? nullptr : tabs->viewControllers().front();
  }
  return nullptr;
}

std::shared_ptr<UIViewController> ULBaseNavigator::frontViewController() const {
  auto navigation = frontNavigationController();
  return frontViewControllerForController(navigation ? navigation : root_);
}

std::shared_ptr<UIViewController> ULBaseNavigator::visibleViewController() {
  auto controller = root_;
  while (controller) {
    while (controller->modalViewController()) controller = controller->modalViewController();
    auto child = getVisibleChildController(controller);
    if (!child) break;
    controller = child;
  }
  return controller;
}

std::shared_ptr<UIViewController> ULBaseNavigator::topViewController() const {
  auto controller = root_;
  while (controller) {
    std::shared_ptr<UIViewController> next;
    if (auto popup = ULPopupViewController(*controller); popup && ULCanBeTopViewController(*popup))
      next = popup;
    else if (controller->modalViewController())
      next = controller->modalViewController();
    else
      next = ULTopSubcontroller(*controller);
    if (!next) return controller;
    if (next == root_) return root_;
    controller = next;
  }
  return controller;
}

std::string ULBaseNavigator::URL() const {
  auto top = topViewController();
  return top ? ULNavigatorURL(*top) : std::string();
}

void ULBaseNavigator::setURL(const std::string& url) {
  openURLAction(ULURLAction::actionWithURLPath(url)->applyAnimated(true));
}

// ---- opening

std::shared_ptr<UIViewController> ULBaseNavigator::openURLAction(
    const std::shared_ptr<ULURLAction>& action) {
  if (!action || action->urlPath().empty()) return nullptr;
  std::string path = action->urlPath();
  auto url = NSURL::URLWithString(path);
  if (!url) return nullptr;
  if (URLMap_.isAppURL(url)) {
    UIApplication::sharedApplication()->openURL(url);
    return nullptr;
  }
  if (!url->scheme()) {
    // "#edit" acts on the current screen; "foo/bar" is a web address.
    path = url->fragment() ? URL() + path : "http://" + path;
    url = NSURL::URLWithString(path);
    if (!url) return nullptr;
  }
  if (auto delegate = this->delegate()) {
    if (!delegate->navigatorShouldOpenURL(*this, *url)) return nullptr;
    url = delegate->navigatorURLToOpen(*this, url);
    if (!url) return nullptr;
    path = url->absoluteString();
  }

  if (action->withDelay()) beginDelay();
  std::shared_ptr<ULURLNavigatorPattern> pattern;
  auto controller = viewControllerForURL(path, action->query(), &pattern);
  if (!controller) {
    // A delay begun for nothing would hold back every later screen.
    if (action->withDelay()) cancelDelay();
    if (!opensExternalURLs_) return nullptr;
    if (auto delegate = this->delegate()) delegate->navigatorWillOpenURL(*this, *url, nullptr);
    UIApplication::sharedApplication()->openURL(url);
    return nullptr;
  }
  if (action->state()) {
    ULRestoreView(*controller, action->state());
    ULSetFrozenState(*controller, action->state());
    didRestoreController(controller);
  }
  if (auto delegate = this->delegate()) delegate->navigatorWillOpenURL(*this, *url, controller);
  if (action->transition() == 0 && pattern) action->setTransition(pattern->transition());
  bool presented = presentController(controller, action->parentURLPath(), pattern, action);
  if (action->withDelay() && !presented) cancelDelay();
  return controller;
}

std::shared_ptr<UIViewController> ULBaseNavigator::openURLs(const std::vector<std::string>& urls) {
  std::shared_ptr<UIViewController> last;
  for (const auto& url : urls) last = openURLAction(ULURLAction::actionWithURLPath(url));
  return last;
}

std::shared_ptr<UIViewController> ULBaseNavigator::viewControllerForURL(
    const std::string& url, const ValueDictionary& query,
    std::shared_ptr<ULURLNavigatorPattern>* pattern) {
  size_t hash = url.rfind('#');
  if (hash == std::string::npos) {
    std::shared_ptr<ULURLNavigatorPattern> found;
    auto controller = controllerOf(URLMap_.objectForURL(url, query, &found));
    if (!controller) return nullptr;
    if (pattern) *pattern = found;
    ULSetOriginalNavigatorURL(controller, url);
    if (delayCount_ > 0) delayedControllers_.push_back(controller);
    return controller;
  }
  std::string base = url.substr(0, hash);
  std::shared_ptr<NSObject> target;
  if (base == URL())
    target = visibleViewController();
  else
    target = URLMap_.objectForURL(base).object();
  if (!target) return nullptr;
  if (auto result = controllerOf(URLMap_.dispatchURL(url, target, query))) return result;
  return std::dynamic_pointer_cast<UIViewController>(target);
}

// ---- presenting

bool ULBaseNavigator::presentController(const std::shared_ptr<UIViewController>& controller,
                                        const std::string& parentURLPath,
                                        const std::shared_ptr<ULURLNavigatorPattern>& pattern,
                                        const std::shared_ptr<ULURLAction>& action) {
  if (!controller || controller == topViewController()) return false;
  std::string parentURL = parentURLPath;
  if (parentURL.empty() && pattern) parentURL = pattern->parentURL();
  auto parent = parentForController(controller, ULCanContainControllers(*controller), parentURL);
  if (parent && parent != topViewController())
    presentController(parent, nullptr, ULNavigationModeNone, ULURLAction::action());
  return presentController(controller, parent,
                           pattern ? pattern->navigationMode() : ULNavigationModeNone, action);
}

std::shared_ptr<UIViewController> ULBaseNavigator::parentForController(
    const std::shared_ptr<UIViewController>& controller, bool isContainer,
    const std::string& parentURLPath) {
  if (controller == root_) return nullptr;
  if (!root_ && !isContainer) setRootViewController(makeNavigationController());
  if (!parentURLPath.empty()) return openURLAction(ULURLAction::actionWithURLPath(parentURLPath));
  auto top = topViewController();
  return top == controller ? nullptr : top;
}

bool ULBaseNavigator::presentController(const std::shared_ptr<UIViewController>& controller,
                                        const std::shared_ptr<UIViewController>& parent, int mode,
                                        const std::shared_ptr<ULURLAction>& action) {
  if (!root_) {
    setRootViewController(controller);
    return true;
  }
  if (!controller) return false;
  if (auto superController = ULSuperController(*controller)) {
    if (superController == parent) return false;
    // Already shown somewhere: every container on the way up brings it to the front.
    auto child = controller;
    for (auto container = superController; container;) {
      auto above = ULSuperController(*container);
      ULBringControllerToFront(*container, child, action && action->animated() && !above);
      child = container;
      container = above;
    }
    return false;
  }
  if (parent) presentDependantController(controller, parent, mode, action);
  return true;
}

void ULBaseNavigator::presentDependantController(
    const std::shared_ptr<UIViewController>& controller,
    const std::shared_ptr<UIViewController>& parent, int mode,
    const std::shared_ptr<ULURLAction>& action) {
  bool animated = action && action->animated();
  int transition = action ? action->transition() : 0;
  if (mode == ULNavigationModePopover) {
    presentPopoverController(controller, action ? action->sourceButton() : nullptr,
                             action ? action->sourceView() : nullptr,
                             action ? action->sourceRect() : CGRectZero, animated);
  } else if (mode == ULNavigationModeModal) {
    presentModalController(controller, parent, animated, transition);
  } else {
    ULAddSubcontroller(*parent, controller, animated, transition);
  }
}

void ULBaseNavigator::presentModalController(const std::shared_ptr<UIViewController>& controller,
                                             const std::shared_ptr<UIViewController>& parent,
                                             bool animated, int transition) {
  controller->setModalTransitionStyle(transition);
  if (std::dynamic_pointer_cast<UINavigationController>(controller)) {
    parent->presentModalViewController(controller, animated);
    return;
  }
  auto navigation = makeNavigationController();
  navigation->pushViewController(controller, false);
  navigation->setModalTransitionStyle(controller->modalTransitionStyle());
  navigation->setModalPresentationStyle(controller->modalPresentationStyle());
  parent->presentModalViewController(navigation, animated);
}

void ULBaseNavigator::presentPopoverController(const std::shared_ptr<UIViewController>& controller,
                                               const std::shared_ptr<UIBarButtonItem>& sourceButton,
                                               const std::shared_ptr<UIView>& sourceView,
                                               CGRect sourceRect, bool animated) {
  if (!sourceButton && !sourceView) return;
  if (popover_) {
    popover_->dismissPopoverAnimated(animated);
    popover_.reset();
  }
  popover_ = std::make_shared<UIPopoverController>(controller);
  popover_->setDelegate(std::dynamic_pointer_cast<UIPopoverControllerDelegate>(self<NSObject>()));
  if (sourceButton)
    popover_->presentFromBarButtonItem(sourceButton, UIPopoverArrowDirectionAny, animated);
  else
    popover_->presentFromRect(sourceRect, sourceView, UIPopoverArrowDirectionAny, animated);
}

void ULBaseNavigator::popoverControllerDidDismissPopover(
    const std::shared_ptr<UIPopoverController>& popover) {
  if (popover == popover_) popover_.reset();
}

// ---- delay

void ULBaseNavigator::beginDelay() {
  ++delayCount_;
}

void ULBaseNavigator::endDelay() {
  if (delayCount_ == 0 || --delayCount_ > 0) return;
  auto controllers = std::move(delayedControllers_);
  delayedControllers_.clear();
  for (const auto& controller : controllers) ULDelayDidEnd(*controller);
}

void ULBaseNavigator::cancelDelay() {
  if (delayCount_ == 0 || --delayCount_ > 0) return;
  delayedControllers_.clear();
}

// ---- history

void ULBaseNavigator::persistController(UIViewController& controller, const ValueArray& path) {
  std::string url = ULNavigatorURL(controller);
  if (!url.empty()) {
    auto state = makeDictionary({{kNavigatorURLKey, Value(url)}});
    if (ULPersistView(controller, state)) path->addObject(Value(state));
  }
  ULPersistNavigationPath(controller, path);
  if (auto modal = controller.modalViewController();
      modal && modal->parentViewController().get() == &controller) {
    persistController(*modal, path);
  } else if (auto popup = ULPopupViewController(controller);
             popup && ULSuperController(*popup).get() == &controller) {
    persistController(*popup, path);
  }
}

void ULBaseNavigator::persistViewControllers() {
  auto path = makeArray();
  if (root_) persistController(*root_, path);
  if (path->count() == 0) {
    resetDefaults();
    return;
  }
  bool important = false;
  for (const Value& entry : *path)
    if (auto d = entry.dictionary(); d && !d->objectForKey(kImportantKey).isNil()) important = true;
  auto defaults = NSUserDefaults::standardUserDefaults();
  Value time = Value(NSDate::now());
  Value flag = Value(important ? 1 : 0);
  if (!persistenceKey_.empty()) {
    defaults->setObject(
        Value(makeDictionary(
            {{kHistoryKey, Value(path)}, {kHistoryTimeKey, time}, {kHistoryImportantKey, flag}})),
        persistenceKey_);
  } else {
    defaults->setObject(Value(path), kHistoryKey);
    defaults->setObject(time, kHistoryTimeKey);
    defaults->setObject(flag, kHistoryImportantKey);
  }
  defaults->synchronize();
}

std::shared_ptr<UIViewController> ULBaseNavigator::restoreViewControllers() {
  auto defaults = NSUserDefaults::standardUserDefaults();
  Value history, time, important;
  if (!persistenceKey_.empty()) {
    auto stored = defaults->dictionaryForKey(persistenceKey_);
    if (stored) {
      history = stored->objectForKey(kHistoryKey);
      time = stored->objectForKey(kHistoryTimeKey);
      important = stored->objectForKey(kHistoryImportantKey);
    }
  } else {
    history = defaults->objectForKey(kHistoryKey);
    time = defaults->objectForKey(kHistoryTimeKey);
    important = defaults->objectForKey(kHistoryImportantKey);
  }
  auto entries = history.array();
  if (!entries || entries->count() == 0) return nullptr;
  if (persistenceExpirationAge_ != 0) {
    double age = NSDate::now().secondsSince1970 - (time.isDate() ? time.dateSeconds() : 0);
    if (age > persistenceExpirationAge_ && !important.boolValue()) return nullptr;
  }
  std::shared_ptr<UIViewController> last, previous;
  for (const Value& entry : *entries) {
    auto state = entry.dictionary();
    if (!state) continue;
    std::string url = textOf(state->objectForKey(kNavigatorURLKey));
    auto controller = openURLAction(ULURLAction::actionWithURLPath(url)->applyState(state));
    if (!controller) continue;
    last = controller;
    if (persistenceMode_ == PersistenceModeTop && previous && ULCanContainControllers(*previous))
      break;
    previous = controller;
  }
  window()->makeKeyAndVisible();
  return last;
}

void ULBaseNavigator::resetDefaults() {
  auto defaults = NSUserDefaults::standardUserDefaults();
  if (!persistenceKey_.empty()) {
    defaults->removeObjectForKey(persistenceKey_);
  } else {
    defaults->removeObjectForKey(kHistoryKey);
    defaults->removeObjectForKey(kHistoryTimeKey);
    defaults->removeObjectForKey(kHistoryImportantKey);
  }
  defaults->synchronize();
}

std::string ULBaseNavigator::pathForObject(
    const std::shared_ptr<UIViewController>& controller) const {
  if (!controller) return std::string();
  std::string path;
  auto child = controller;
  for (auto container = ULSuperController(*child); container;
       child = container, container = ULSuperController(*container)) {
    std::string key = ULKeyForSubcontroller(*container, *child);
    if (key.empty()) continue;
    path += (path.empty() ? "" : "/") + key;
  }
  return path;
}

std::shared_ptr<UIViewController> ULBaseNavigator::objectForPath(const std::string& path) const {
  std::vector<std::string> keys;
  for (size_t start = 0;;) {
    size_t slash = path.find('/', start);
    keys.push_back(path.substr(start, slash - start));
    if (slash == std::string::npos) break;
    start = slash + 1;
  }
  auto controller = root_;
  for (auto key = keys.rbegin(); key != keys.rend() && controller; ++key)
    controller = ULSubcontrollerForKey(*controller, *key);
  return controller;
}

void ULBaseNavigator::removeAllViewControllers() {
  if (root_) {
    if (root_->isViewLoaded()) root_->view()->removeFromSuperview();
    if (window_ && window_->rootViewController() == root_) window_->setRootViewController(nullptr);
  }
  root_.reset();
  URLMap_.removeAllObjects();
}

// ---- ULNavigator

std::shared_ptr<ULBaseNavigator> ULNavigator::navigator() {
  auto navigator = globalNavigator();
  if (!navigator) {
    navigator = std::make_shared<ULNavigator>();
    setGlobalNavigator(navigator);
  }
  return navigator;
}

std::shared_ptr<UIWindow> ULNavigator::makeWindow(CGRect frame) {
  return std::make_shared<ULNavigatorWindow>(frame);
}

std::shared_ptr<UINavigationController> ULNavigator::makeNavigationController() {
  return std::make_shared<ULNavigationController>();
}

void ULNavigator::didRestoreController(const std::shared_ptr<UIViewController>& controller) {
  if (auto model = std::dynamic_pointer_cast<ULModelViewController>(controller)) model->model();
}

void ULNavigator::reload() {
  if (auto model = std::dynamic_pointer_cast<ULModelViewController>(visibleViewController()))
    model->reload();
}

void ULNavigatorWindow::motionBegan(UIEventSubtype motion, UIEvent* event) {
  if (motion == UIEventSubtype::MotionShake) {
    auto navigator = std::dynamic_pointer_cast<ULNavigator>(ULBaseNavigator::globalNavigator());
    if (navigator && navigator->supportsShakeToReload()) navigator->reload();
  }
  UIWindow::motionBegan(motion, event);
}

// ---- functions

std::shared_ptr<UIViewController> ULOpenURLString(const std::string& url) {
  return ULNavigator::navigator()->openURLAction(
      ULURLAction::actionWithURLPath(url)->applyAnimated(true));
}

std::shared_ptr<UIViewController> ULOpenURLStringFromView(const std::string& url,
                                                          const std::shared_ptr<UIView>& view) {
  return ULBaseNavigator::navigatorForView(view)->openURLAction(
      ULURLAction::actionWithURLPath(url)->applyAnimated(true));
}

std::string ULURLValue(NSObject& object) {
  return ULURLValueWithName(object, std::string());
}

std::string ULURLValueWithName(NSObject& object, const std::string& name) {
  auto navigator = ULBaseNavigator::globalNavigator();
  return navigator ? navigator->URLMap().URLForObject(object, name) : std::string();
}

Value ULObjectValue(const std::string& url) {
  auto navigator = ULBaseNavigator::globalNavigator();
  return navigator ? navigator->URLMap().objectForURL(url) : Value();
}

std::shared_ptr<UIViewController> ULOpenURL(const std::string& url) {
  return ULOpenURLString(url);
}

std::shared_ptr<UIViewController> ULOpenURLFromButton(const std::string& url,
                                                      const std::shared_ptr<UIView>& button) {
  auto navigator = ULBaseNavigator::navigatorForView(button);
  if (!navigator) navigator = ULNavigator::navigator();
  return navigator->openURLAction(
      ULURLAction::actionWithURLPath(url)->applyAnimated(true)->applyQuery(
          makeDictionary({{"__target__", Value(button)}})));
}

NS_CLASS_IMPLEMENTATION(ULURLAction) {}
NS_CLASS_IMPLEMENTATION(ULBaseNavigator) {}
NS_CLASS_IMPLEMENTATION(ULNavigator) {}
NS_CLASS_IMPLEMENTATION(ULNavigatorWindow) {}

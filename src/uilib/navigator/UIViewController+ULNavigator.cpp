#include <algorithm>
#include <map>
#include <vector>

#include "Foundation/NSTimer.h"
#include "UIKit/UIApplication.h"
#include "UIKit/UINavigationBar.h"
#include "UIKit/UINavigationController.h"
#include "UIKit/UISplitViewController.h"
#include "UIKit/UITabBarController.h"
#include "uilib/navigator/UIViewController+ULNavigator.h"
#include "uilib/navigator/ULBaseViewController.h"
#include "uilib/navigator/ULNavigationController.h"
#include "uilib/navigator/ULNavigator.h"
#include "uilib/navigator/ULURLMap.h"

namespace {

// A register entry: the controller it belongs to (so that a new controller at the address of
// a dead one never inherits its entry) and what it holds.
template <class T>
struct Entry {
  std::weak_ptr<UIViewController> owner;
  T value;
};

template <class T>
using Register = std::map<const UIViewController*, Entry<T>>;

template <class T>
const T* lookUp(Register<T>& entries, const UIViewController& controller) {
  auto found = entries.find(&controller);
  if (found == entries.end()) return nullptr;
  if (found->second.owner.lock().get() != &controller) {
    entries.erase(found);
    return nullptr;
  }
  return &found->second.value;
}

Register<std::weak_ptr<UIViewController>>& superLinks() {
  static Register<std::weak_ptr<UIViewController>> links;
  return links;
}
Register<std::weak_ptr<UIViewController>>& popupLinks() {
  static Register<std::weak_ptr<UIViewController>> links;
  return links;
}
Register<std::string>& openingURLs() {
  static Register<std::string> urls;
  return urls;
}

// A set of controllers held until a sweep finds that nothing else holds them.
class ControllerSet {
 public:
  explicit ControllerSet(void (*cleanUp)(UIViewController&)) : cleanUp_(cleanUp) {}

  void add(const std::shared_ptr<UIViewController>& controller) {
    if (std::find(controllers_.begin(), controllers_.end(), controller) == controllers_.end())
      controllers_.push_back(controller);
    if (!timer_)
      timer_ = NSTimer::scheduledTimerWithTimeInterval(
          ULControllerRegisters::kSweepInterval, true,
          [this](const std::shared_ptr<NSTimer>&) { sweep(); });
  }

  void sweep() {
    std::vector<std::shared_ptr<UIViewController>> snapshot;
    snapshot.swap(controllers_);
    for (auto& controller : snapshot) {
      // Held by the snapshot alone: nothing outside refers to it any more.
      if (controller.use_count() == 1)
        cleanUp_(*controller);
      else
        controllers_.push_back(controller);
    }
    if (controllers_.empty() && timer_) {
      timer_->invalidate();
      timer_.reset();
    }
  }

  size_t count() const { return controllers_.size(); }
  bool isSweeping() const { return timer_ != nullptr; }

 private:
  void (*cleanUp_)(UIViewController&);
  std::vector<std::shared_ptr<UIViewController>> controllers_;
  std::shared_ptr<NSTimer> timer_;
};

ControllerSet& commonControllers() {
  static ControllerSet set(&ULUnsetCommonProperties);
  return set;
}
ControllerSet& navigatorControllers() {
  static ControllerSet set(&ULUnsetNavigatorProperties);
  return set;
}

void setLink(Register<std::weak_ptr<UIViewController>>& links,
             const std::shared_ptr<UIViewController>& controller,
             const std::shared_ptr<UIViewController>& linked) {
  if (!controller) return;
  if (!linked) {
    links.erase(controller.get());
    return;
  }
  links[controller.get()] = {controller, linked};
  // A base view controller clears its links in its own destruction.
  if (!dynamic_cast<ULBaseViewController*>(controller.get())) commonControllers().add(controller);
}

std::shared_ptr<UIViewController> link(Register<std::weak_ptr<UIViewController>>& links,
                                       const UIViewController& controller) {
  const auto* linked = lookUp(links, controller);
  return linked ? linked->lock() : nullptr;
}

// The controller's index in its navigation stack, or -1.
long stackIndex(UIViewController& controller, std::shared_ptr<UINavigationController>& navigation) {
  navigation = controller.navigationController();
  if (!navigation) return -1;
  const auto& stack = navigation->viewControllers();
  for (size_t i = 0; i < stack.size(); ++i)
    if (stack[i].get() == &controller) return long(i);
  return -1;
}

ULControllerHooks* hooks(const UIViewController& controller) {
  return dynamic_cast<ULControllerHooks*>(const_cast<UIViewController*>(&controller));
}

}  // namespace

std::shared_ptr<UIViewController> ULSuperController(const UIViewController& controller) {
  // A split view is the top of its own tree.
  if (dynamic_cast<const UISplitViewController*>(&controller)) return nullptr;
  if (auto parent = controller.parentViewController()) return parent;
  return link(superLinks(), controller);
}

void ULSetSuperController(const std::shared_ptr<UIViewController>& controller,
                          const std::shared_ptr<UIViewController>& superController) {
  setLink(superLinks(), controller, superController);
}

std::shared_ptr<UIViewController> ULPopupViewController(const UIViewController& controller) {
  return link(popupLinks(), controller);
}

void ULSetPopupViewController(const std::shared_ptr<UIViewController>& controller,
                              const std::shared_ptr<UIViewController>& popup) {
  setLink(popupLinks(), controller, popup);
}

std::string ULOriginalNavigatorURL(const UIViewController& controller) {
  const std::string* url = lookUp(openingURLs(), controller);
  return url ? *url : std::string();
}

void ULSetOriginalNavigatorURL(const std::shared_ptr<UIViewController>& controller,
                               const std::string& url) {
  if (!controller) return;
  if (url.empty()) {
    openingURLs().erase(controller.get());
    return;
  }
  openingURLs()[controller.get()] = {controller, url};
  // A navigator view controller forgets its URL in its own destruction.
  if (!dynamic_cast<ULNavigatorViewController*>(controller.get()))
    navigatorControllers().add(controller);
}

std::shared_ptr<UIViewController> ULPreviousViewController(UIViewController& controller) {
  std::shared_ptr<UINavigationController> navigation;
  long index = stackIndex(controller, navigation);
  if (index <= 0) return nullptr;
  return navigation->viewControllers()[size_t(index) - 1];
}

std::shared_ptr<UIViewController> ULNextViewController(UIViewController& controller) {
  std::shared_ptr<UINavigationController> navigation;
  long index = stackIndex(controller, navigation);
  if (index < 0 || size_t(index) + 1 >= navigation->viewControllers().size()) return nullptr;
  return navigation->viewControllers()[size_t(index) + 1];
}

bool ULCanContainControllers(const UIViewController& controller) {
  if (auto* h = hooks(controller)) return h->canContainControllers();
  return dynamic_cast<const UINavigationController*>(&controller) ||
         dynamic_cast<const UITabBarController*>(&controller) ||
         dynamic_cast<const UISplitViewController*>(&controller);
}

std::shared_ptr<UIViewController> ULTopSubcontroller(const UIViewController& controller) {
  if (auto* h = hooks(controller)) return h->topSubcontroller();
  if (auto* tabs = dynamic_cast<const UITabBarController*>(&controller))
    return tabs->selectedViewController();
  auto* navigation = dynamic_cast<const UINavigationController*>(&controller);
  return navigation ? navigation->topViewController() : nullptr;
}

void ULAddSubcontroller(UIViewController& container,
                        const std::shared_ptr<UIViewController>& controller, bool animated,
                        int transition) {
  if (auto* h = hooks(container); h && h->addSubcontroller(controller, animated, transition))
    return;
  if (auto* tabs = dynamic_cast<UITabBarController*>(&container)) {
    tabs->setSelectedViewController(controller);
    return;
  }
  auto* navigation = dynamic_cast<UINavigationController*>(&container);
  if (!navigation) {
    if (auto own = container.navigationController())
      ULAddSubcontroller(*own, controller, animated, transition);
    return;
  }
  if (animated && transition != 0) {
    if (auto* ul = dynamic_cast<ULNavigationController*>(navigation))
      ul->pushViewControllerAnimatedWithTransition(controller, transition);
    else
      navigation->pushViewController(controller, true);
    return;
  }
  navigation->pushViewController(controller, animated);
}

void ULRemoveFromSupercontroller(UIViewController& controller, bool animated) {
  auto navigation = controller.navigationController();
  if (!navigation) return;
  if (auto ul = std::dynamic_pointer_cast<ULBaseNavigationController>(navigation))
    ul->popViewControllerAnimated(animated);
  else
    navigation->popViewControllerAnimated(animated);
}

void ULBringControllerToFront(UIViewController& container,
                              const std::shared_ptr<UIViewController>& controller, bool animated) {
  if (auto* h = hooks(container)) {
    h->bringControllerToFront(controller, animated);
    return;
  }
  if (auto* tabs = dynamic_cast<UITabBarController*>(&container)) {
    tabs->setSelectedViewController(controller);
    return;
  }
  auto* navigation = dynamic_cast<UINavigationController*>(&container);
  if (!navigation || !controller || navigation->topViewController() == controller) return;
  const auto& stack = navigation->viewControllers();
  if (std::find(stack.begin(), stack.end(), controller) != stack.end())
    navigation->popToViewController(controller, animated);
}

std::string ULKeyForSubcontroller(const UIViewController& container,
                                  const UIViewController& controller) {
  if (auto* h = hooks(container)) return h->keyForSubcontroller(controller);
  auto* navigation = dynamic_cast<const UINavigationController*>(&container);
  if (!navigation) return std::string();
  const auto& stack = navigation->viewControllers();
  for (size_t i = 0; i < stack.size(); ++i)
    if (stack[i].get() == &controller) return std::to_string(i);
  return std::string();
}

std::shared_ptr<UIViewController> ULSubcontrollerForKey(const UIViewController& container,
                                                        const std::string& key) {
  if (auto* h = hooks(container)) return h->subcontrollerForKey(key);
  auto* navigation = dynamic_cast<const UINavigationController*>(&container);
  if (!navigation || key.empty()) return nullptr;
  long index = Value(key).intValue();
  const auto& stack = navigation->viewControllers();
  return index >= 0 && size_t(index) < stack.size() ? stack[size_t(index)] : nullptr;
}

// By address, like ULUnsetNavigatorProperties: safe in the controller's destruction.
void ULUnsetCommonProperties(UIViewController& controller) {
  superLinks().erase(&controller);
  popupLinks().erase(&controller);
}

void ULUnsetNavigatorProperties(UIViewController& controller) {
  // Read by address: a controller being destroyed calls this when its own reference is
  // already gone, and no other controller's entry can stand at its address then (a controller
  // in the navigator set is held by it; the others clean up in their destruction).
  auto entry = openingURLs().find(&controller);
  if (entry == openingURLs().end()) return;
  std::string url = entry->second.value;
  openingURLs().erase(entry);
  if (ULControllerRegisters::globalURLMap)
    ULControllerRegisters::globalURLMap->removeObjectForURL(url);
}

bool ULCanBeTopViewController(const UIViewController& controller) {
  auto* h = hooks(controller);
  return h ? h->canBeTopViewController() : true;
}

bool ULPersistView(UIViewController& controller, const ValueDictionary& state) {
  auto* h = hooks(controller);
  return h ? h->persistView(state) : true;
}

void ULRestoreView(UIViewController& controller, const ValueDictionary& state) {
  if (auto* h = hooks(controller)) h->restoreView(state);
}

void ULPersistNavigationPath(UIViewController& controller, const ValueArray& path) {
  if (auto* h = hooks(controller)) {
    h->persistNavigationPath(path);
    return;
  }
  auto navigator = ULBaseNavigator::globalNavigator();
  if (!navigator) return;
  if (auto* tabs = dynamic_cast<UITabBarController*>(&controller)) {
    if (auto selected = tabs->selectedViewController())
      navigator->persistController(*selected, path);
    return;
  }
  if (auto* navigation = dynamic_cast<UINavigationController*>(&controller)) {
    auto stack = navigation->viewControllers();
    for (const auto& child : stack) navigator->persistController(*child, path);
  }
}

void ULDelayDidEnd(UIViewController& controller) {
  if (auto* h = hooks(controller)) h->delayDidEnd();
}

ValueDictionary ULFrozenState(const UIViewController& controller) {
  auto* h = hooks(controller);
  return h ? h->frozenState() : nullptr;
}

void ULSetFrozenState(UIViewController& controller, const ValueDictionary& state) {
  if (auto* h = hooks(controller)) h->setFrozenState(state);
}

std::string ULNavigatorURL(const UIViewController& controller) {
  if (auto* h = hooks(controller)) {
    std::string url = h->navigatorURL();
    if (!url.empty()) return url;
  }
  return ULOriginalNavigatorURL(controller);
}

void ULShowBars(UIViewController& controller, bool show, bool animated) {
  if (auto application = UIApplication::sharedApplication())
    application->setStatusBarHidden(!show, animated);
  if (animated) {
    UIView::beginAnimations();
    UIView::setAnimationDuration(0.3);
  }
  if (auto navigation = controller.navigationController())
    if (auto bar = navigation->navigationBar()) bar->setAlpha(show ? 1 : 0);
  if (animated) UIView::commitAnimations();
}

void ULDismissModalViewController(UIViewController& controller) {
  if (controller.modalViewController()) controller.dismissModalViewControllerAnimated(true);
}

size_t ULControllerRegisters::commonControllerCount() {
  return commonControllers().count();
}
size_t ULControllerRegisters::navigatorControllerCount() {
  return navigatorControllers().count();
}
bool ULControllerRegisters::isSweepingCommonControllers() {
  return commonControllers().isSweeping();
}
bool ULControllerRegisters::isSweepingNavigatorControllers() {
  return navigatorControllers().isSweeping();
}
void ULControllerRegisters::doCommonGarbageCollection() {
  commonControllers().sweep();
}
void ULControllerRegisters::doNavigatorGarbageCollection() {
  navigatorControllers().sweep();
}

std::shared_ptr<UIViewController> ULRootControllerForController(
    const std::shared_ptr<UIViewController>& controller) {
  if (!controller || ULCanContainControllers(*controller)) return controller;
  return std::make_shared<ULNavigationController>(controller);
}

void ULSetTabURLs(UITabBarController& tabs, const std::vector<std::string>& urls) {
  auto navigator = ULBaseNavigator::globalNavigator();
  std::vector<std::shared_ptr<UIViewController>> controllers;
  for (const auto& url : urls)
    if (auto controller = navigator ? navigator->viewControllerForURL(url) : nullptr)
      controllers.push_back(ULRootControllerForController(controller));
  tabs.setViewControllers(std::move(controllers));
}

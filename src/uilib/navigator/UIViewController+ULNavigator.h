// What the navigator knows of every view controller beyond the platform: the super controller
// and popup links, the URL it was opened with, and its neighbours in a navigation stack.
//
// What callers rely on:
// - Links are kept per controller by identity, never keep the linked controller alive, and are
//   gone when the controller is (a link of a controller that died is never handed to another).
// - A controller given a super-controller or popup link is held by the common set, and one
//   given an opening URL by the navigator set, until a sweep (every 20 s while the set is not
//   empty) finds that nothing else holds it: it then loses its links (and its URL's stored
//   object in the global URL map) and leaves the set.
// - Main thread only.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "Foundation/Value.h"
#include "UIKit/UIViewController.h"

class ULURLMap;
class UITabBarController;

// What a controller class of the library (or of the application) answers in place of the
// defaults below.  Every answer here is the default of a plain controller; navigation and tab
// bar controllers have their own answers without this interface.
class ULControllerHooks {
 public:
  virtual ~ULControllerHooks() = default;
  virtual bool canContainControllers() const { return false; }
  virtual bool canBeTopViewController() const { return true; }
  virtual std::shared_ptr<UIViewController> topSubcontroller() const { return nullptr; }
  // False: not handled here (the add goes to the controller's navigation controller).
  virtual bool addSubcontroller(const std::shared_ptr<UIViewController>& /*controller*/,
                                bool /*animated*/, int /*transition*/) {
    return false;
  }
  virtual void bringControllerToFront(const std::shared_ptr<UIViewController>& /*controller*/,
                                      bool /*animated*/) {}
  virtual std::string keyForSubcontroller(const UIViewController& /*controller*/) const {
    return {};
  }
  virtual std::shared_ptr<UIViewController> subcontrollerForKey(const std::string& /*key*/) const {
    return nullptr;
  }
  // What the controller needs to come back as it was; false keeps it out of a saved history.
  virtual bool persistView(const ValueDictionary& /*state*/) { return true; }
  virtual void restoreView(const ValueDictionary& /*state*/) {}
  // A container adds its children to a saved history (ULBaseNavigator::persistController).
  virtual void persistNavigationPath(const ValueArray& /*path*/) {}
  // The navigator's delay that held the controller back has ended.
  virtual void delayDidEnd() {}
  virtual ValueDictionary frozenState() const { return nullptr; }
  virtual void setFrozenState(const ValueDictionary& /*state*/) {}
  // Empty: the URL the controller was opened with.
  virtual std::string navigatorURL() const { return {}; }
};

// The platform parent controller, else the super-controller link; none for a split view.
std::shared_ptr<UIViewController> ULSuperController(const UIViewController& controller);
// nullptr removes the link.
void ULSetSuperController(const std::shared_ptr<UIViewController>& controller,
                          const std::shared_ptr<UIViewController>& superController);
std::shared_ptr<UIViewController> ULPopupViewController(const UIViewController& controller);
void ULSetPopupViewController(const std::shared_ptr<UIViewController>& controller,
                              const std::shared_ptr<UIViewController>& popup);
// The URL the navigator opened the controller with; empty for none.
std::string ULOriginalNavigatorURL(const UIViewController& controller);
// The empty text removes the entry.
void ULSetOriginalNavigatorURL(const std::shared_ptr<UIViewController>& controller,
                               const std::string& url);
// The controller below / above this one in its navigation stack; nullptr at the ends.
std::shared_ptr<UIViewController> ULPreviousViewController(UIViewController& controller);
std::shared_ptr<UIViewController> ULNextViewController(UIViewController& controller);

// ---- containers.  A navigation controller contains its stack, a tab bar controller its tabs
// (the selected one on top), a split view its panes; other controllers contain nothing and
// forward adds and removals to their navigation controller.
bool ULCanContainControllers(const UIViewController& controller);
// The navigation controller's top controller; nullptr for others.
std::shared_ptr<UIViewController> ULTopSubcontroller(const UIViewController& controller);
// A navigation controller pushes (a ULNavigationController with the transition when animated
// with one); another controller hands the push to its navigation controller.
void ULAddSubcontroller(UIViewController& container,
                        const std::shared_ptr<UIViewController>& controller, bool animated,
                        int transition);
// Pops its navigation controller.
void ULRemoveFromSupercontroller(UIViewController& controller, bool animated = true);
// A navigation controller pops back to the controller when it is in the stack below the top.
void ULBringControllerToFront(UIViewController& container,
                              const std::shared_ptr<UIViewController>& controller, bool animated);
// The controller's index in a navigation stack as decimal text; empty when absent.
std::string ULKeyForSubcontroller(const UIViewController& container,
                                  const UIViewController& controller);
// The controller at the key's index; nullptr outside the stack.
std::shared_ptr<UIViewController> ULSubcontrollerForKey(const UIViewController& container,
                                                        const std::string& key);

// ---- the rest of the controller interface, with the hooks' answers where a controller has
// them.
bool ULCanBeTopViewController(const UIViewController& controller);
bool ULPersistView(UIViewController& controller, const ValueDictionary& state);
void ULRestoreView(UIViewController& controller, const ValueDictionary& state);
// A navigation controller adds its stack, bottom first, a tab bar controller its selected
// controller, through the global navigator's persistController.
void ULPersistNavigationPath(UIViewController& controller, const ValueArray& path);
void ULDelayDidEnd(UIViewController& controller);
ValueDictionary ULFrozenState(const UIViewController& controller);
void ULSetFrozenState(UIViewController& controller, const ValueDictionary& state);
// The hooks' URL, else the opening URL.
std::string ULNavigatorURL(const UIViewController& controller);
// Hides or shows the status bar (fading) and the navigation bar (alpha 0 or 1, in a 0.3-s
// animation when animated).
void ULShowBars(UIViewController& controller, bool show, bool animated);
// Dismisses the controller's modal controller, animated.
void ULDismissModalViewController(UIViewController& controller);

// ---- tab bar controllers: the controller when it can contain controllers, else a new
// ULNavigationController with it at the bottom.
std::shared_ptr<UIViewController> ULRootControllerForController(
    const std::shared_ptr<UIViewController>& controller);
// The tabs become the controllers the global navigator makes for the URLs (each in its root
// controller); URLs that make none are left out.
void ULSetTabURLs(UITabBarController& tabs, const std::vector<std::string>& urls);

// Clears the super-controller and popup links.
void ULUnsetCommonProperties(UIViewController& controller);
// Forgets the opening URL, and the object the global URL map stores for it.
void ULUnsetNavigatorProperties(UIViewController& controller);

class ULControllerRegisters {
 public:
  static constexpr double kSweepInterval = 20;

  // The map whose stored objects die with their controllers: the global navigator's, installed
  // by the navigator at start-up (nullptr: none).
  static inline ULURLMap* globalURLMap = nullptr;

  static size_t commonControllerCount();
  static size_t navigatorControllerCount();
  static bool isSweepingCommonControllers();
  static bool isSweepingNavigatorControllers();
  // What the timers run; callable at any time.
  static void doCommonGarbageCollection();
  static void doNavigatorGarbageCollection();
};

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

#include "UIKit/UIViewController.h"

class ULURLMap;

// The platform parent controller, else the super-controller link.
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

// ---- containers.  A navigation controller contains its stack; other controllers contain
// nothing and forward adds and removals to their navigation controller.
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

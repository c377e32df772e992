// The navigation controllers of the navigator: pushes and pops that animate a flip or a curl
// of the whole navigation view, and pops that play the opening transition backwards.
#pragma once

#include <memory>

#include "UIKit/UINavigationController.h"

class ULBaseNavigationController : public UINavigationController {
  NS_CLASS(ULBaseNavigationController, UINavigationController)
 public:
  using UINavigationController::UINavigationController;

  static constexpr double kTransitionDuration = 0.7;

  // Flip left <-> flip right, curl up <-> curl down; anything else gives none.
  static int invertTransition(int transition);
  // Pushes at once, then animates the navigation view with the transition.
  void pushViewControllerAnimatedWithTransition(const std::shared_ptr<UIViewController>& controller,
                                                int transition);
  std::shared_ptr<UIViewController> popViewControllerAnimatedWithTransition(int transition);
  // Animated, a controller opened by a URL whose pattern has a transition goes back with the
  // inverted one; otherwise the platform's pop.
  std::shared_ptr<UIViewController> popViewControllerAnimated(bool animated);
  // When a transition animation has ended.
  virtual void pushAnimationDidStop() {}

 protected:
  virtual void willAnimateTransition() {}

 private:
  void animateTransition(int transition, bool cache);
};

// What the navigator uses: the main request queue stays suspended while a transition animates,
// so no network callback lands in the middle of it.
class ULNavigationController : public ULBaseNavigationController {
  NS_CLASS(ULNavigationController, ULBaseNavigationController)
 public:
  using ULBaseNavigationController::ULBaseNavigationController;
  void pushAnimationDidStop() override;

 protected:
  void willAnimateTransition() override;
};

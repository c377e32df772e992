#include "uilib/navigator/ULNavigationController.h"

#include "UIKit/UIView.h"
#include "uilib/navigator/UIViewController+ULNavigator.h"
#include "uilib/navigator/ULURLMap.h"
#include "uilib/network/ULURLRequestQueue.h"

int ULBaseNavigationController::invertTransition(int transition) {
  switch (transition) {
    case 1:
      return 2;
    case 2:
      return 1;
    case 3:
      return 4;
    case 4:
      return 3;
    default:
      return 0;
  }
}

void ULBaseNavigationController::animateTransition(int transition, bool cache) {
  willAnimateTransition();
  UIView::beginAnimations();
  UIView::setAnimationDuration(kTransitionDuration);
  UIView::setAnimationTransition(static_cast<UIViewAnimationTransition>(transition), view(), cache);
  auto self = weakSelf<ULBaseNavigationController>();
  UIView::setAnimationDelegate(self);
  UIView::setAnimationDidStopSelector(
      selector(self, &ULBaseNavigationController::pushAnimationDidStop, "pushAnimationDidStop"));
  UIView::commitAnimations();
}

void ULBaseNavigationController::pushViewControllerAnimatedWithTransition(
    const std::shared_ptr<UIViewController>& controller, int transition) {
  pushViewController(controller, false);
  animateTransition(transition, true);
}

std::shared_ptr<UIViewController>
ULBaseNavigationController::popViewControllerAnimatedWithTransition(int transition) {
  auto popped = UINavigationController::popViewControllerAnimated(false);
  animateTransition(transition, false);
  return popped;
}

std::shared_ptr<UIViewController> ULBaseNavigationController::popViewControllerAnimated(
    bool animated) {
  auto top = topViewController();
  if (animated && top && ULControllerRegisters::globalURLMap) {
    std::string url = ULOriginalNavigatorURL(*top);
    int transition = url.empty() ? 0 : ULControllerRegisters::globalURLMap->transitionForURL(url);
    if (transition != 0)
      return popViewControllerAnimatedWithTransition(invertTransition(transition));
  }
  return UINavigationController::popViewControllerAnimated(animated);
}

void ULNavigationController::willAnimateTransition() {
  ULURLRequestQueue::mainQueue()->setSuspended(true);
}

void ULNavigationController::pushAnimationDidStop() {
  ULURLRequestQueue::mainQueue()->setSuspended(false);
  ULBaseNavigationController::pushAnimationDidStop();
}

NS_CLASS_IMPLEMENTATION(ULBaseNavigationController) {}
NS_CLASS_IMPLEMENTATION(ULNavigationController) {}

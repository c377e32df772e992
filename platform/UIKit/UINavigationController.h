// A stack of controllers whose top one shows below a navigation bar.  While the navigation
// controller is on screen, a push or pop lets the old top disappear and the new one appear:
//   old viewWillDisappear, new viewWillAppear, (views swap), old viewDidDisappear,
//   new viewDidAppear
// the did-calls coming kTransitionDuration later when animated.  A controller taken off the
// stack loses its navigationController before its viewDidDisappear.
#pragma once

#include <memory>
#include <vector>

#include "UIKit/UINavigationBar.h"
#include "UIKit/UIViewController.h"

class UINavigationController : public UIViewController {
  NS_CLASS(UINavigationController, UIViewController)
 public:
  UINavigationController();
  // initWithRootViewController:
  explicit UINavigationController(std::shared_ptr<UIViewController> rootViewController);
  ~UINavigationController() override;

  // Ignored for nil and for a controller already on a stack (or presented).
  void pushViewController(const std::shared_ptr<UIViewController>& controller, bool animated);
  // nullptr (and nothing happens) when only the root is left.
  std::shared_ptr<UIViewController> popViewControllerAnimated(bool animated);
  // The controllers taken off, bottom first.
  std::vector<std::shared_ptr<UIViewController>> popToRootViewControllerAnimated(bool animated);
  // Empty when the controller is not on the stack.
  std::vector<std::shared_ptr<UIViewController>> popToViewController(
      const std::shared_ptr<UIViewController>& controller, bool animated);

  // Bottom (root) first.
  const std::vector<std::shared_ptr<UIViewController>>& viewControllers() const { return stack_; }
  std::shared_ptr<UIViewController> topViewController() const;
  // The top controller, or what it presents.
  std::shared_ptr<UIViewController> visibleViewController() const;

  std::shared_ptr<UINavigationBar> navigationBar() const { return navigationBar_; }
  bool isNavigationBarHidden() const { return navigationBarHidden_; }
  void setNavigationBarHidden(bool hidden, bool animated = false);

  void loadView() override;
  // Places the bar and the top controller's view in the view's bounds.
  void layoutChildren();

 protected:
  std::vector<std::shared_ptr<UIViewController>> childViewControllersForAppearance() const override;

 private:
  void showTop(const std::shared_ptr<UIViewController>& oldTop);
  // Pops down to stack index `keep` (kept), with the transition.
  std::vector<std::shared_ptr<UIViewController>> popTo(size_t keep, bool animated);

  std::vector<std::shared_ptr<UIViewController>> stack_;
  std::shared_ptr<UINavigationBar> navigationBar_;
  bool navigationBarHidden_ = false;
};

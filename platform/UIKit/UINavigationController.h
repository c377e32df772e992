// A stack of controllers whose top one shows below a navigation bar.  While the navigation
// controller is on screen, a push or pop lets the old top disappear and the new one appear:
//   old viewWillDisappear, new viewWillAppear, (views swap), old viewDidDisappear,
//   new viewDidAppear
// the did-calls coming kTransitionDuration later when animated.  A controller taken off the
// stack loses its navigationController before its viewDidDisappear.
//
// The bar shows the navigation items of the stack (the top one's left item, title and right
// item).  A tool bar, hidden until asked for, stands along the bottom of the view.  A subclass
// that wants bars of its own kind passes factories for them (initWithNavigationBarClass:
// toolbarClass:).
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "UIKit/UINavigationBar.h"
#include "UIKit/UIToolbar.h"
#include "UIKit/UIViewController.h"

class UINavigationController : public UIViewController {
  NS_CLASS(UINavigationController, UIViewController)
 public:
  using NavigationBarFactory = std::function<std::shared_ptr<UINavigationBar>()>;
  using ToolbarFactory = std::function<std::shared_ptr<UIToolbar>()>;

  UINavigationController();
  // initWithRootViewController:
  explicit UINavigationController(std::shared_ptr<UIViewController> rootViewController);
  // initWithNavigationBarClass:toolbarClass:, then the root.  An empty factory (or one that
  // gives nullptr) makes the platform's bar.
  UINavigationController(std::shared_ptr<UIViewController> rootViewController,
                         const NavigationBarFactory& navigationBar, const ToolbarFactory& toolbar);
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
  std::shared_ptr<UIToolbar> toolbar() const { return toolbar_; }
  // Hidden at first.
  bool isToolbarHidden() const { return toolbarHidden_; }
  void setToolbarHidden(bool hidden, bool animated = false);

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
  // The bar shows the stack's items.
  void updateBarItems();

  std::shared_ptr<UINavigationBar> navigationBar_;
  bool navigationBarHidden_ = false;
  std::shared_ptr<UIToolbar> toolbar_;
  bool toolbarHidden_ = true;
};

// A container that shows one of its controllers at a time above a tab bar with one tab per
// controller (titled with the controller's title).  Its view (made on first use) fills the
// screen below the status bar and holds two parts, found by class name by those who restyle
// them:
//   UITransitionView   (0, 0, width, height - 49): the selected controller's view fills it
//   UITabBar           (0, height - 49, width, 49)
// Once laid out they keep their frames until someone moves them; the transition view sizes the
// selected view to itself whenever its own size changes.
//
// Selecting in code (setSelectedIndex, setSelectedViewController) asks no one.  A tap on a tab
// asks the delegate's shouldSelect first and tells its didSelect after; a tap on the selected
// tab selects nothing new but is still told.  While the container is on screen, the old
// selected controller disappears and the new one appears (not animated).
#pragma once

#include <memory>
#include <vector>

#include "UIKit/UITabBar.h"
#include "UIKit/UIViewController.h"

class UITabBarController;

class UITabBarControllerDelegate {
 public:
  virtual ~UITabBarControllerDelegate() = default;
  // tabBarController:shouldSelectViewController:
  virtual bool tabBarControllerShouldSelectViewController(
      UITabBarController& /*tabBarController*/,
      const std::shared_ptr<UIViewController>& /*viewController*/) {
    return true;
  }
  // tabBarController:didSelectViewController:
  virtual void tabBarControllerDidSelectViewController(
      UITabBarController& /*tabBarController*/,
      const std::shared_ptr<UIViewController>& /*viewController*/) {}
};

class UITabBarController : public UIViewController {
  NS_CLASS(UITabBarController, UIViewController)
 public:
  UITabBarController();
  ~UITabBarController() override;

  const std::vector<std::shared_ptr<UIViewController>>& viewControllers() const {
    return children_;
  }
  // Controllers already in another container (or presented), nulls and repeats are left out.
  // The selection stays at its index when it is still in range, else goes to the first.
  void setViewControllers(std::vector<std::shared_ptr<UIViewController>> controllers,
                          bool animated = false);

  // NSNotFound while there are no controllers.
  size_t selectedIndex() const { return selected_; }
  // Ignored out of range.
  void setSelectedIndex(size_t index);
  std::shared_ptr<UIViewController> selectedViewController() const;
  // Ignored for a controller that is not one of these.
  void setSelectedViewController(const std::shared_ptr<UIViewController>& controller);

  std::weak_ptr<UITabBarControllerDelegate> delegate() const { return delegate_; }
  void setDelegate(std::weak_ptr<UITabBarControllerDelegate> delegate) {
    delegate_ = std::move(delegate);
  }

  const std::shared_ptr<UITabBar>& tabBar() const { return tabBar_; }
  // The view the selected controller's view lives in (nullptr before the view is made).
  std::shared_ptr<UIView> transitionView() const { return transitionView_.lock(); }

  void loadView() override;

 protected:
  std::vector<std::shared_ptr<UIViewController>> childViewControllersForAppearance() const override;

 private:
  void select(size_t index);
  void tabTapped(size_t index);
  void showSelected();
  void updateTabs();

  std::vector<std::shared_ptr<UIViewController>> children_;
  size_t selected_;
  std::weak_ptr<UITabBarControllerDelegate> delegate_;
  std::shared_ptr<UITabBar> tabBar_;
  std::weak_ptr<UIView> transitionView_;
};

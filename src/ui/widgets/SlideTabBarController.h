// A tab container on the kit's own tab bar: the selected child's view fills a transition view
// above a 49-point SlideTabBar at the bottom of the application frame.  The bar can be hidden
// (sliding down in 0.3 s when animated) and made transparent (the children then use the whole
// height, under the bar).
//
// Selecting the selected tab again pops a navigation child to its root and shows nothing new.
// The container is its own bar's delegate; its delegate is asked before a tapped tab is
// selected and told after every selection.
#pragma once

#include <memory>
#include <vector>

#include "Foundation/Value.h"
#include "UIKit/UIViewController.h"
#include "ui/widgets/SlideTabBar.h"

class SlideTabBarController;

class SlideTabBarControllerDelegate {
 public:
  virtual ~SlideTabBarControllerDelegate() = default;
  // tabBarController:shouldSelectViewController:
  virtual bool tabBarControllerShouldSelectViewController(
      SlideTabBarController& /*tabBarController*/,
      const std::shared_ptr<UIViewController>& /*viewController*/) {
    return true;
  }
  // tabBarController:didSelectViewController:
  virtual void tabBarControllerDidSelectViewController(
      SlideTabBarController& /*tabBarController*/,
      const std::shared_ptr<UIViewController>& /*viewController*/) {}
};

class SlideTabBarController : public UIViewController,
                              public SlideTabBarDelegate,
                              public SlideTabBarControllerDelegate {
  NS_CLASS(SlideTabBarController, UIViewController)
 public:
  static constexpr CGFloat kBarHeight = 49;

  // initWithViewControllers:imageArray: (controllers already in a container are left out).
  SlideTabBarController(std::vector<std::shared_ptr<UIViewController>> viewControllers,
                        const Value& imageArray);
  ~SlideTabBarController() override;

  const std::vector<std::shared_ptr<UIViewController>>& viewControllers() const {
    return children_;
  }
  const std::shared_ptr<SlideTabBar>& tabBar() const { return tabBar_; }
  const std::shared_ptr<UIView>& transitionView() const { return transitionView_; }
  std::weak_ptr<SlideTabBarControllerDelegate> delegate() const { return delegate_; }
  void setDelegate(std::weak_ptr<SlideTabBarControllerDelegate> delegate) {
    delegate_ = std::move(delegate);
  }

  size_t selectedIndex() const { return selectedIndex_; }
  // Shows the child, then selects its tab.  Out of range: nothing.
  void setSelectedIndex(size_t index);
  std::shared_ptr<UIViewController> selectedViewController() const;
  void displayViewAtIndex(size_t index);

  bool tabBarTransparent() const { return tabBarTransparent_; }
  void setTabBarTransparent(bool transparent);
  bool tabBarHidden() const { return tabBarHidden_; }
  void hidesTabBar(bool hide, bool animated);
  void hideTabBar(bool hide) { hidesTabBar(hide, true); }
  void setTabBarItemNews(size_t index, bool isNews) { tabBar_->setTabBarItemNews(index, isNews); }

  // Out of range: nothing.
  void removeViewControllerAtIndex(size_t index);
  void insertViewController(const std::shared_ptr<UIViewController>& controller,
                            const Value& imageDic, size_t index);

  void loadView() override;
  void viewDidLoad() override;

  // ---- as the bar's delegate
  bool tabBarShouldSelectIndex(SlideTabBar& tabBar, size_t index) override;
  void tabBarDidSelectIndex(SlideTabBar& tabBar, size_t index) override;
  // ---- as its own delegate: the selected tab loses its news badge
  void tabBarControllerDidSelectViewController(
      SlideTabBarController& tabBarController,
      const std::shared_ptr<UIViewController>& viewController) override;

 protected:
  std::vector<std::shared_ptr<UIViewController>> childViewControllersForAppearance() const override;

 private:
  CGRect barFrame() const;

  std::vector<std::shared_ptr<UIViewController>> children_;
  std::shared_ptr<UIView> containerView_;
  std::shared_ptr<UIView> transitionView_;
  std::shared_ptr<SlideTabBar> tabBar_;
  size_t selectedIndex_ = 0;
  bool tabBarTransparent_ = false;
  bool tabBarHidden_ = false;
  std::weak_ptr<SlideTabBarControllerDelegate> delegate_;
};

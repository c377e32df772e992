// The platform's tab bar controller repainted with the theme: the theme's tab bar image over
// the platform bar (tag 840), a picture of the selected tab above it (tag 850, "tabSelect1" to
// "tabSelect5"), the tab buttons brought back in front, no platform highlight, white overlay
// copies of the tab titles, and the kit's news badges.  It is its own delegate.
#pragma once

#include <array>
#include <memory>
#include <vector>

#include "UIKit/UILabel.h"
#include "UIKit/UITabBarController.h"

class UICustomTabBarController : public UITabBarController, public UITabBarControllerDelegate {
  NS_CLASS(UICustomTabBarController, UITabBarController)
 public:
  static constexpr long kThemeImageTag = 840;
  static constexpr long kSelectionImageTag = 850;

  // Lays the theme image over the bar and repaints the selection half a second later.
  void viewDidLoad() override;
  void didReceiveMemoryWarning() override;

  void didSelectTabBar();
  void setNoHighlightTabBar();
  // The overlay copies of the tab titles, made again when their count differs from the number
  // of controllers.
  const std::vector<std::shared_ptr<UILabel>>& tabTitleLabels();
  void recolorTabBarTitleLabels();
  void modifyTabBarBackGround();
  bool isHideTabBar() const { return isHideTabBar_; }
  // Hides or shows the bar; the transition view takes the height left.
  void hideTabBar(bool hide);
  // Tabs 0 to 4; only a change of a tab's flag adds or removes its badge.
  void setTabBarItemNews(size_t index, bool isNews);

  void tabBarControllerDidSelectViewController(
      UITabBarController& tabBarController,
      const std::shared_ptr<UIViewController>& viewController) override;

 private:
  std::vector<std::shared_ptr<UILabel>> tabTitleLabels_;
  std::array<bool, 5> tabBarNew_{};
  bool isHideTabBar_ = false;
};

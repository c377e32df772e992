// A screen that draws its own themed bar at the top of its view, found again by tag: the bar
// image (tag 8887, (0, 0, 320, 44), "topBar" in the day theme, "topBar_theme1" otherwise), its
// centred title (tag 8888, (65, 0, 190, 44)) and a "返回" button (10, 6, 56, 32) that pops the
// screen.  The theme is read when the view loads.  Portrait only.
#pragma once

#include <memory>
#include <string>

#include "ui/framework/UIBaseViewCtrl.h"

class UINavibarBaseViewCtrl : public UIBaseViewCtrl {
  NS_CLASS(UINavibarBaseViewCtrl, UIBaseViewCtrl)
 public:
  static constexpr long kBarTag = 8887;
  static constexpr long kTitleTag = 8888;

  void viewDidLoad() override;
  // Pops the screen, animated.
  void cancel();
  // The bar's title (the view loads for it when it has not yet).
  void setTitle(std::string text) override;
  void setNavigationBarHide(bool hidden);
  std::shared_ptr<UIView> getNavigationBar();

  bool shouldAutorotateToInterfaceOrientation(UIInterfaceOrientation orientation) override {
    return orientation == UIInterfaceOrientation::Portrait;
  }
};

// The right-hand side panel (settings and account shortcuts), least stand-in: a panel-sized
// view that the application delegate places behind the navigation root and shows or hides.
// Its rows come with the screen framework.
#pragma once

#include <string>

#include "UIKit/UIViewController.h"

class MyViewController : public UIViewController {
  NS_CLASS(MyViewController, UIViewController)
 public:
  // The panel's width; its height is the screen's less the status bar.
  static constexpr CGFloat kPanelWidth = 260;
  void loadView() override;

  // Shows or hides the panel's view.
  void setVisible(bool visible);
  bool isVisible() const { return visible_; }

 private:
  bool visible_ = false;
};

// A split view controller: two controllers side by side, the first (the master) in a column of
// kMasterWidth points on the left, the second (the detail) filling the rest.  Both appear and
// disappear with the split view.  The pad's hiding of the master in portrait is not played:
// both panes always show.  Main thread only.
#pragma once

#include <memory>
#include <vector>

#include "UIKit/UIViewController.h"

class UISplitViewController : public UIViewController {
  NS_CLASS(UISplitViewController, UIViewController)
 public:
  static constexpr CGFloat kMasterWidth = 320;

  UISplitViewController() = default;
  ~UISplitViewController() override;

  // Master first.  Controllers already in another container (or presented) and nulls are
  // left out; only the first two are kept.
  const std::vector<std::shared_ptr<UIViewController>>& viewControllers() const {
    return children_;
  }
  void setViewControllers(std::vector<std::shared_ptr<UIViewController>> controllers);

  void loadView() override;

 protected:
  std::vector<std::shared_ptr<UIViewController>> childViewControllersForAppearance()
      const override {
    return children_;
  }

 private:
  void layoutPanes();

  std::vector<std::shared_ptr<UIViewController>> children_;
};

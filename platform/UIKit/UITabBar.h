// The tab bar of a tab bar controller: a row of tab buttons, 49 points high, on a dark
// background.  Its parts are views of their own that callers may find by class name and
// restyle:
//   _UITabBarBackgroundView         fills the bar; draws the background image when one is
//                                   set, else the platform's dark gradient
//   UITabBarButton                  one per tab, the bar's width shared equally, left to right;
//                                   holds a UILabel with the tab's title
//   UITabBarSelectionIndicatorView  inside the selected tab's button, behind its title
// A tap on a tab button reports its index to the bar's tap handler (the controller); the bar
// itself does not change its selection on a tap.
//
// The appearance (from system version 5.0; nullptr before) is shared by every bar: its
// selection-indicator image, when set, is what the indicators draw (an empty image draws
// nothing); without it an indicator draws the platform's light highlight.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "UIKit/UIControl.h"
#include "UIKit/UIView.h"

class UIImage;
class UILabel;

class UITabBarAppearance {
 public:
  const std::shared_ptr<UIImage>& selectionIndicatorImage() const { return indicator_; }
  void setSelectionIndicatorImage(std::shared_ptr<UIImage> image);

 private:
  std::shared_ptr<UIImage> indicator_;
};

class UITabBarButton : public UIControl {
  NS_CLASS(UITabBarButton, UIControl)
 public:
  explicit UITabBarButton(CGRect frame, const std::string& title);
  const std::shared_ptr<UILabel>& titleLabel() const { return label_; }
  void layoutSubviews() override;

 private:
  std::shared_ptr<UILabel> label_;
};

class UITabBar : public UIView {
  NS_CLASS(UITabBar, UIView)
 public:
  static constexpr CGFloat kHeight = 49;

  UITabBar() : UITabBar(CGRectZero) {}
  explicit UITabBar(CGRect frame);

  // nullptr on systems before 5.0.
  static UITabBarAppearance* appearance();

  // One button per title, in order; the selection goes.
  void setTabTitles(const std::vector<std::string>& titles);
  // Back to front as they stand in the bar.
  std::vector<std::shared_ptr<UITabBarButton>> tabButtons() const;
  // -1 for none; an index out of range selects none.
  long selectedIndex() const { return selected_; }
  void setSelectedIndex(long index);

  const std::shared_ptr<UIImage>& backgroundImage() const { return backgroundImage_; }
  void setBackgroundImage(std::shared_ptr<UIImage> image);

  using TapHandler = std::function<void(size_t index)>;
  void setTapHandler(TapHandler handler) { tapHandler_ = std::move(handler); }

  // Lays the buttons out side by side and the background view (while it is there) over the
  // bounds.
  void layoutSubviews() override;

 private:
  void tapped(UIControl& button);

  std::vector<std::weak_ptr<UITabBarButton>> buttons_;
  std::weak_ptr<UIView> background_;
  std::shared_ptr<UIImage> backgroundImage_;
  long selected_ = -1;
  TapHandler tapHandler_;
};

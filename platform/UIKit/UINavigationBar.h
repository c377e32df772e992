// The bar at the top of a navigation controller's view.  It shows the top one of its items:
// the left item's view 5 points from the left edge and the right item's 5 points from the
// right, both centred vertically, and between them the title view, or the title in a bold
// white label, centred.  Views the bar placed for an item leave it when the item or its top
// place changes; views others add to the bar stay.  It draws a gradient of its tint colour
// (the platform's blue grey when none is set), or as the app's drawing hook says.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "UIKit/UINavigationItem.h"
#include "UIKit/UIView.h"

class UIColor;
class UILabel;

class UINavigationBar : public UIView {
  NS_CLASS(UINavigationBar, UIView)
 public:
  static constexpr CGFloat kHeight = 44;

  UINavigationBar() : UINavigationBar(CGRectZero) {}
  explicit UINavigationBar(CGRect frame) : UIView(frame) {}

  // Bottom first.  A navigation controller gives the items of its stack.
  const std::vector<std::shared_ptr<UINavigationItem>>& items() const { return items_; }
  void setItems(std::vector<std::shared_ptr<UINavigationItem>> items, bool animated = false);
  void pushNavigationItem(std::shared_ptr<UINavigationItem> item, bool animated);
  std::shared_ptr<UINavigationItem> popNavigationItemAnimated(bool animated);
  std::shared_ptr<UINavigationItem> topItem() const;
  // The item below the top one.
  std::shared_ptr<UINavigationItem> backItem() const;

  const std::shared_ptr<UIColor>& tintColor() const { return tintColor_; }
  // Redraws only when the colour changes.
  void setTintColor(std::shared_ptr<UIColor> color);

  // 0 default, 1 black (the platform's bar styles).  Recorded for the screens that style their
  // bars; the drawing follows the tint.
  int barStyle() const { return barStyle_; }
  void setBarStyle(int style) { barStyle_ = style; }

  // Draws the installed drawing hook's way, else the tint gradient.
  void drawRect(CGRect rect) override;
  // How every navigation bar draws, for an app that draws its bars its own way.  Process-wide;
  // an empty hook restores the gradient.
  using DrawHook = std::function<void(UINavigationBar& bar)>;
  static void setDrawHook(DrawHook hook);
  void layoutSubviews() override;

 private:
  friend class UINavigationItem;
  void itemChanged(const UINavigationItem& item);
  void adopt(const std::shared_ptr<UINavigationItem>& item);

  std::vector<std::shared_ptr<UINavigationItem>> items_;
  std::shared_ptr<UIColor> tintColor_;
  int barStyle_ = 0;
  // What the bar placed for the top item.
  std::vector<std::weak_ptr<UIView>> placed_;
  std::shared_ptr<UILabel> itemTitleLabel_;
};

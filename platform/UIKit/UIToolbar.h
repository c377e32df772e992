// A tool bar: a row of bar button items, 44 points high as a rule.  Items stand left to right
// with 10 points between them and 6 points from the edges; flexible spaces share what is left
// over, fixed spaces take their width; every view is centred vertically.  It draws a gradient
// of its tint colour (the platform's blue grey when none is set).
#pragma once

#include <memory>
#include <vector>

#include "UIKit/UIBarButtonItem.h"
#include "UIKit/UIView.h"

class UIColor;

class UIToolbar : public UIView {
  NS_CLASS(UIToolbar, UIView)
 public:
  static constexpr CGFloat kHeight = 44;

  UIToolbar() : UIToolbar(CGRectZero) {}
  explicit UIToolbar(CGRect frame) : UIView(frame) {}

  const std::vector<std::shared_ptr<UIBarButtonItem>>& items() const { return items_; }
  void setItems(std::vector<std::shared_ptr<UIBarButtonItem>> items, bool animated = false);

  const std::shared_ptr<UIColor>& tintColor() const { return tintColor_; }
  void setTintColor(std::shared_ptr<UIColor> color);

  void drawRect(CGRect rect) override;
  void layoutSubviews() override;

 private:
  std::vector<std::shared_ptr<UIBarButtonItem>> items_;
  std::vector<std::weak_ptr<UIView>> placed_;
  std::shared_ptr<UIColor> tintColor_;
};

// The default look of the platform's bars: a top-to-bottom gradient of the tint colour (light
// to the colour itself) over the rectangle of the current context.
void UIDrawBarGradient(CGRect rect, const std::shared_ptr<UIColor>& tint);

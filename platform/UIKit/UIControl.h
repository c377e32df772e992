// Controls: views with a state (highlighted, selected, enabled) that decides their look.
// Touches, targets and actions come with the events.
#pragma once

#include "UIKit/UIView.h"

using UIControlState = unsigned;
inline constexpr UIControlState UIControlStateNormal = 0;
inline constexpr UIControlState UIControlStateHighlighted = 1 << 0;
inline constexpr UIControlState UIControlStateDisabled = 1 << 1;
inline constexpr UIControlState UIControlStateSelected = 1 << 2;

enum class UIControlContentHorizontalAlignment { Center = 0, Left = 1, Right = 2, Fill = 3 };
enum class UIControlContentVerticalAlignment { Center = 0, Top = 1, Bottom = 2, Fill = 3 };

class UIControl : public UIView {
  NS_CLASS(UIControl, UIView)
 public:
  UIControl() : UIControl(CGRectZero) {}
  explicit UIControl(CGRect frame) : UIView(frame) {}

  bool isEnabled() const { return enabled_; }
  void setEnabled(bool enabled);
  bool isSelected() const { return selected_; }
  void setSelected(bool selected);
  bool isHighlighted() const { return highlighted_; }
  void setHighlighted(bool highlighted);
  // The flags together (disabled, highlighted, selected).
  virtual UIControlState state() const;

  UIControlContentHorizontalAlignment contentHorizontalAlignment() const { return horizontal_; }
  void setContentHorizontalAlignment(UIControlContentHorizontalAlignment a);
  UIControlContentVerticalAlignment contentVerticalAlignment() const { return vertical_; }
  void setContentVerticalAlignment(UIControlContentVerticalAlignment a);

 protected:
  // After any change of the state or the alignments.
  virtual void stateDidChange() {}
  void describeAttributes(std::string& line) const override;

 private:
  void changed();

  bool enabled_ = true;
  bool selected_ = false;
  bool highlighted_ = false;
  UIControlContentHorizontalAlignment horizontal_ = UIControlContentHorizontalAlignment::Center;
  UIControlContentVerticalAlignment vertical_ = UIControlContentVerticalAlignment::Center;
};

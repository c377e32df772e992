// An on/off switch of the platform's size (94 × 27 points, whatever frame it is given).  A tap
// flips it; a finger that drags the knob leaves it on the side where it lifts.  Either way the
// switch sends value changed when its value changed.
#pragma once

#include "UIKit/UIControl.h"

class UISwitch : public UIControl {
 public:
  static constexpr CGFloat kWidth = 94, kHeight = 27;

  UISwitch() : UISwitch(CGRectZero) {}
  explicit UISwitch(CGRect frame);

  NS_CLASS(UISwitch, UIControl)
 public:
  bool isOn() const { return on_; }
  // Sends nothing.
  void setOn(bool on, bool animated = false);
  std::shared_ptr<UIColor> onTintColor() const { return onTintColor_; }
  void setOnTintColor(std::shared_ptr<UIColor> color);

  CGSize sizeThatFits(CGSize) const override { return {kWidth, kHeight}; }
  void drawRect(CGRect rect) override;
  bool beginTrackingWithTouch(UITouch& touch, UIEvent* event) override;
  bool continueTrackingWithTouch(UITouch& touch, UIEvent* event) override;
  void endTrackingWithTouch(UITouch* touch, UIEvent* event) override;

 protected:
  void describeAttributes(std::string& line) const override;

 private:
  bool on_ = false;
  bool dragged_ = false;
  CGFloat startX_ = 0;
  std::shared_ptr<UIColor> onTintColor_;
};

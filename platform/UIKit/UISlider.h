// A value between a minimum and a maximum, shown as a thumb on a track (23 points high).  A
// finger that comes down on the thumb drags it: value changed goes out with every move when the
// slider is continuous, else once when the finger lifts.  Touches on the track elsewhere do
// nothing.
#pragma once

#include "UIKit/UIControl.h"

class UISlider : public UIControl {
 public:
  static constexpr CGFloat kThumbSize = 23;

  UISlider() : UISlider(CGRectZero) {}
  explicit UISlider(CGRect frame);

  NS_CLASS(UISlider, UIControl)
 public:
  float value() const { return value_; }
  // Kept within the limits; sends nothing.
  void setValue(float value, bool animated = false);
  float minimumValue() const { return minimum_; }
  void setMinimumValue(float v);
  float maximumValue() const { return maximum_; }
  void setMaximumValue(float v);
  bool isContinuous() const { return continuous_; }
  void setContinuous(bool c) { continuous_ = c; }
  std::shared_ptr<UIColor> minimumTrackTintColor() const { return minimumTint_; }
  void setMinimumTrackTintColor(std::shared_ptr<UIColor> color);

  // Where the thumb stands for the value, in the bounds.
  CGRect thumbRect() const;
  void drawRect(CGRect rect) override;
  bool beginTrackingWithTouch(UITouch& touch, UIEvent* event) override;
  bool continueTrackingWithTouch(UITouch& touch, UIEvent* event) override;
  void endTrackingWithTouch(UITouch* touch, UIEvent* event) override;

 protected:
  void describeAttributes(std::string& line) const override;

 private:
  void follow(UITouch& touch, UIEvent* event, bool send);

  float value_ = 0, minimum_ = 0, maximum_ = 1;
  bool continuous_ = true;
  CGFloat grab_ = 0;  // the finger's distance from the thumb's middle
  std::shared_ptr<UIColor> minimumTint_;
};

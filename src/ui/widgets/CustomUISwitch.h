// The sliding on/off switch of the widget kit: a 74 x 28 window onto a 121-point strip ("是" on
// its left part, "否" on its right) that sits at x 0 when on and at x -47 when off.  A tap or a
// drag released anywhere toggles it in 0.2 s and then tells the delegate; taps that come during
// a toggle are queued and played one after another, each telling the delegate.  setOn:animated:
// moves the strip at once and tells nobody.
#pragma once

#include <memory>

#include "UIKit/UIControl.h"
#include "UIKit/UIImageView.h"
#include "UIKit/UILabel.h"
#include "ui/widgets/UISlideButton.h"

class CustomUISwitch;

class CustomUISwitchDelegate {
 public:
  virtual ~CustomUISwitchDelegate() = default;
  virtual void valueChangedInView(CustomUISwitch& view) = 0;
};

class CustomUISwitch : public UIControl {
  NS_CLASS(CustomUISwitch, UIControl)
 public:
  static constexpr CGFloat kWidth = 74;
  static constexpr CGFloat kHeight = 28;
  static constexpr CGFloat kStripWidth = 121;
  static constexpr CGFloat kOffX = -47;
  static constexpr double kToggleSeconds = 0.2;

  // initWithFrame: the frame's origin, always 74 x 28, on.
  explicit CustomUISwitch(CGRect frame);
  static std::shared_ptr<CustomUISwitch> initWithFrame(CGRect frame);

  void setupUserInterface();
  void slideMoveAction(const Value& buttonAndLength);
  void slideEndAction(const Value& button);
  void buttonPressed(const Value& sender);
  void toggle();
  void animateSwitch(bool on);
  void animateHasFinished();
  void setOn(bool on, bool animated);
  // The flag only: the strip stays where it is.
  void setOn(bool on) { on_ = on; }
  bool isOn() const { return on_; }

  const std::shared_ptr<UIImageView>& backgroundImage() const { return backgroundImage_; }
  const std::shared_ptr<UISlideButton>& switchImage() const { return switchImage_; }
  const std::shared_ptr<UILabel>& leftLabel() const { return leftLabel_; }
  const std::shared_ptr<UILabel>& rightLabel() const { return rightLabel_; }
  std::weak_ptr<CustomUISwitchDelegate> delegate() const { return delegate_; }
  void setDelegate(std::weak_ptr<CustomUISwitchDelegate> d) { delegate_ = std::move(d); }

 private:
  void placeStrip(bool on);

  bool on_ = true;
  long hitCount_ = 0;
  std::shared_ptr<UIImageView> backgroundImage_;
  std::shared_ptr<UISlideButton> switchImage_;
  std::shared_ptr<UILabel> leftLabel_, rightLabel_;
  std::weak_ptr<CustomUISwitchDelegate> delegate_;
};

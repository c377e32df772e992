// A button that reports its drags and its release: the ball of the step slider and the strip
// of the slide switch.  Each move reports the finger's x in the button minus its x when the
// touch began (both in the button's own coordinates), so a target that moves the button by the
// reported length gets the step since the previous move each time.
#pragma once

#include <memory>

#include "UIKit/UIButton.h"

class UISlideButton : public UIButton {
  NS_CLASS(UISlideButton, UIButton)
 public:
  explicit UISlideButton(CGRect frame = CGRectZero) : UIButton(frame, UIButtonType::Custom) {}

  // The release action gets the button; the move action gets [button, length] (a number).  An
  // unset selector is not sent.
  using UIButton::addTarget;
  void addTarget(Selector pressFun, Selector moveAction);

  void touchesBegan(const UITouchSet& touches, UIEvent* event) override;
  void touchesMoved(const UITouchSet& touches, UIEvent* event) override;
  void touchesEnded(const UITouchSet& touches, UIEvent* event) override;
  void touchesCancelled(const UITouchSet& touches, UIEvent* event) override;

  bool isMove() const { return isMove_; }

 private:
  void sendRelease();

  CGFloat lastX_ = 0;
  bool isMove_ = false;
  Selector pressFun_;
  Selector moveAction_;
};

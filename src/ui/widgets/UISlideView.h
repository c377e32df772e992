// A step slider of eleven steps (0 ... 10): a track, left and right arrow buttons (one step
// each), a coloured bar and a ball the reader drags.  Dragging moves the ball freely between
// x 33 and 173 and the value only once it is a step or more away; letting go snaps the ball to
// the value and sends the slideUp selector (with the slider) to the delegate.
#pragma once

#include <memory>

#include "UIKit/UIButton.h"
#include "UIKit/UIImageView.h"
#include "UIKit/UIView.h"
#include "ui/framework/UIColorButton.h"
#include "ui/widgets/UISlideButton.h"

class UISlideView : public UIView {
  NS_CLASS(UISlideView, UIView)
 public:
  static constexpr long kBarTag = 43;
  static constexpr long kBallTag = 42;
  static constexpr CGFloat kLeft = 33;
  static constexpr CGFloat kTravel = 140;

  explicit UISlideView(CGRect frame) : UIView(frame) {}
  // At the origin, 237 x 30, showing the value (in steps).
  static std::shared_ptr<UISlideView> initWithParam(CGPoint origin, float value);

  // The value as a fraction (0 ... 1).
  float value() const { return value_ / 10; }
  void setValue(float fraction);
  // The value in steps.
  float steps() const { return value_; }

  void leftAction(const Value& sender);
  void rightAction(const Value& sender);
  void slideMoveAction(const Value& ballAndLength);
  void slideEndAction(const Value& ball);

  // The delegate gets slideUp with the slider (the selector's target is the delegate).
  const Selector& slideUp() const { return slideUp_; }
  void setSlideUp(Selector s) { slideUp_ = std::move(s); }

  const std::shared_ptr<UIColorButton>& bar() const { return bar_; }
  const std::shared_ptr<UISlideButton>& ball() const { return ball_; }

 private:
  void placeBall(CGFloat x);

  float value_ = 0;
  Selector slideUp_;
  std::shared_ptr<UIColorButton> bar_;
  std::shared_ptr<UISlideButton> ball_;
};

// A long press: the fingers stay down, within 10 points of where they came down, for the
// minimum duration (0.5 s on the main run loop's clock).  Continuous: began when the time is
// up, changed as the fingers move, ended when they lift.
#pragma once

#include "UIKit/UIGestureRecognizer.h"

class UILongPressGestureRecognizer : public UIGestureRecognizer {
 public:
  using UIGestureRecognizer::UIGestureRecognizer;
  NS_CLASS(UILongPressGestureRecognizer, UIGestureRecognizer)
 public:
  bool isContinuous() const override { return true; }

  double minimumPressDuration() const { return minimumPressDuration_; }
  void setMinimumPressDuration(double seconds) { minimumPressDuration_ = seconds; }
  CGFloat allowableMovement() const { return allowableMovement_; }
  void setAllowableMovement(CGFloat points) { allowableMovement_ = points; }
  unsigned long numberOfTouchesRequired() const { return touchesRequired_; }
  void setNumberOfTouchesRequired(unsigned long n) { touchesRequired_ = std::max(1ul, n); }

  void touchesBegan(const UITouchSet& touches, UIEvent* event) override;
  void touchesMoved(const UITouchSet& touches, UIEvent* event) override;
  void touchesEnded(const UITouchSet& touches, UIEvent* event) override;
  void touchesCancelled(const UITouchSet& touches, UIEvent* event) override;
  void reset() override;

 private:
  double minimumPressDuration_ = 0.5;
  CGFloat allowableMovement_ = 10;
  unsigned long touchesRequired_ = 1;
  CGPoint start_;
};

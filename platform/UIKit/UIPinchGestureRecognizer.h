// A pinch: two fingers move apart or together by more than 5 points.  Continuous: began then,
// changed with every move, ended when a finger lifts.  The scale is the fingers' distance over
// their distance when they came down (setScale rebases it); the velocity is the scale's change
// per second over the last move.
#pragma once

#include "UIKit/UIGestureRecognizer.h"

class UIPinchGestureRecognizer : public UIGestureRecognizer {
 public:
  static constexpr CGFloat kHysteresis = 5;

  using UIGestureRecognizer::UIGestureRecognizer;
  NS_CLASS(UIPinchGestureRecognizer, UIGestureRecognizer)
 public:
  bool isContinuous() const override { return true; }

  CGFloat scale() const { return scale_; }
  void setScale(CGFloat scale);
  CGFloat velocity() const { return velocity_; }

  void touchesBegan(const UITouchSet& touches, UIEvent* event) override;
  void touchesMoved(const UITouchSet& touches, UIEvent* event) override;
  void touchesEnded(const UITouchSet& touches, UIEvent* event) override;
  void touchesCancelled(const UITouchSet& touches, UIEvent* event) override;
  void reset() override;

 private:
  CGFloat spread() const;

  CGFloat initial_ = 0;  // the distance that scale 1 stands for
  CGFloat scale_ = 1;
  CGFloat velocity_ = 0;
  double lastTime_ = 0;
};

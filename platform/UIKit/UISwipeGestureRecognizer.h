// A swipe: the fingers move at least 50 points in one of the allowed directions, keeping within
// half that distance of the straight line, within 0.5 s of touching down.  Discrete: recognised
// during the move, as soon as the distance is covered.
#pragma once

#include "UIKit/UIGestureRecognizer.h"

using UISwipeGestureRecognizerDirection = unsigned;
inline constexpr UISwipeGestureRecognizerDirection UISwipeGestureRecognizerDirectionRight = 1 << 0;
inline constexpr UISwipeGestureRecognizerDirection UISwipeGestureRecognizerDirectionLeft = 1 << 1;
inline constexpr UISwipeGestureRecognizerDirection UISwipeGestureRecognizerDirectionUp = 1 << 2;
inline constexpr UISwipeGestureRecognizerDirection UISwipeGestureRecognizerDirectionDown = 1 << 3;

class UISwipeGestureRecognizer : public UIGestureRecognizer {
 public:
  static constexpr CGFloat kMinimumDistance = 50;
  static constexpr double kMaximumDuration = 0.5;

  using UIGestureRecognizer::UIGestureRecognizer;
  NS_CLASS(UISwipeGestureRecognizer, UIGestureRecognizer)
 public:
  // Default: right.
  UISwipeGestureRecognizerDirection direction() const { return direction_; }
  void setDirection(UISwipeGestureRecognizerDirection d) { direction_ = d; }
  unsigned long numberOfTouchesRequired() const { return touchesRequired_; }
  void setNumberOfTouchesRequired(unsigned long n) { touchesRequired_ = std::max(1ul, n); }

  void touchesBegan(const UITouchSet& touches, UIEvent* event) override;
  void touchesMoved(const UITouchSet& touches, UIEvent* event) override;
  void touchesEnded(const UITouchSet& touches, UIEvent* event) override;
  void touchesCancelled(const UITouchSet& touches, UIEvent* event) override;
  void reset() override;

 private:
  UISwipeGestureRecognizerDirection direction_ = UISwipeGestureRecognizerDirectionRight;
  unsigned long touchesRequired_ = 1;
  CGPoint start_;
  bool started_ = false;
};

// A tap: the required number of fingers come down and lift without moving more than 10 points,
// the required number of times, each tap beginning within 0.35 s of the last and near it.
// Discrete: recognised when the last finger of the last tap lifts.
#pragma once

#include <vector>

#include "UIKit/UIGestureRecognizer.h"

class UITapGestureRecognizer : public UIGestureRecognizer {
 public:
  static constexpr double kTapInterval = 0.35;
  static constexpr CGFloat kAllowableMovement = 10;

  using UIGestureRecognizer::UIGestureRecognizer;
  NS_CLASS(UITapGestureRecognizer, UIGestureRecognizer)
 public:
  unsigned long numberOfTapsRequired() const { return tapsRequired_; }
  void setNumberOfTapsRequired(unsigned long n) { tapsRequired_ = std::max(1ul, n); }
  unsigned long numberOfTouchesRequired() const { return touchesRequired_; }
  void setNumberOfTouchesRequired(unsigned long n) { touchesRequired_ = std::max(1ul, n); }

  void touchesBegan(const UITouchSet& touches, UIEvent* event) override;
  void touchesMoved(const UITouchSet& touches, UIEvent* event) override;
  void touchesEnded(const UITouchSet& touches, UIEvent* event) override;
  void touchesCancelled(const UITouchSet& touches, UIEvent* event) override;
  void reset() override;

 private:
  unsigned long tapsRequired_ = 1;
  unsigned long touchesRequired_ = 1;
  unsigned long tapsDone_ = 0;
  size_t touchesThisTap_ = 0;
  std::vector<std::pair<const UITouch*, CGPoint>> starts_;  // in the window
  CGPoint firstTapPoint_;
};

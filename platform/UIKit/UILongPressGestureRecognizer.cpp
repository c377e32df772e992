#include "UIKit/UILongPressGestureRecognizer.h"

#include <cmath>

#include "Foundation/NSClass.h"

void UILongPressGestureRecognizer::touchesBegan(const UITouchSet&, UIEvent*) {
  if (state() != UIGestureRecognizerState::Possible) return;
  size_t n = trackedTouches().size();
  if (n > touchesRequired_) {
    setState(UIGestureRecognizerState::Failed);
  } else if (n == touchesRequired_) {
    start_ = locationInView(nullptr);
    if (minimumPressDuration_ <= 0) {
      setState(UIGestureRecognizerState::Began);
    } else {
      startTimer(minimumPressDuration_, [this] { setState(UIGestureRecognizerState::Began); });
    }
  }
}

void UILongPressGestureRecognizer::touchesMoved(const UITouchSet&, UIEvent*) {
  if (state() == UIGestureRecognizerState::Possible) {
    if (!timerRunning()) return;
    CGPoint p = locationInView(nullptr);
    if (std::hypot(p.x - start_.x, p.y - start_.y) > allowableMovement_)
      setState(UIGestureRecognizerState::Failed);
  } else {
    setState(UIGestureRecognizerState::Changed);
  }
}

void UILongPressGestureRecognizer::touchesEnded(const UITouchSet&, UIEvent*) {
  setState(state() == UIGestureRecognizerState::Possible ? UIGestureRecognizerState::Failed
                                                         : UIGestureRecognizerState::Ended);
}

void UILongPressGestureRecognizer::touchesCancelled(const UITouchSet&, UIEvent*) {
  setState(state() == UIGestureRecognizerState::Possible ? UIGestureRecognizerState::Failed
                                                         : UIGestureRecognizerState::Cancelled);
}

void UILongPressGestureRecognizer::reset() {
  start_ = CGPointZero;
}

NS_CLASS_IMPLEMENTATION(UILongPressGestureRecognizer) {}

#include "UIKit/UITapGestureRecognizer.h"

#include <cmath>

#include "Foundation/NSClass.h"

void UITapGestureRecognizer::touchesBegan(const UITouchSet& touches, UIEvent*) {
  stopTimer();
  for (const auto& t : touches) {
    CGPoint p = t->locationInView(nullptr);
    if (tapsDone_ > 0 && std::hypot(p.x - firstTapPoint_.x, p.y - firstTapPoint_.y) > 45) {
      setState(UIGestureRecognizerState::Failed);
      return;
    }
    if (tapsDone_ == 0 && starts_.empty()) firstTapPoint_ = p;
    starts_.push_back({t.get(), p});
  }
  touchesThisTap_ = std::max(touchesThisTap_, trackedTouches().size());
  if (touchesThisTap_ > touchesRequired_) setState(UIGestureRecognizerState::Failed);
}

void UITapGestureRecognizer::touchesMoved(const UITouchSet& touches, UIEvent*) {
  for (const auto& t : touches) {
    for (const auto& [touch, start] : starts_) {
      if (touch != t.get()) continue;
      CGPoint p = t->locationInView(nullptr);
      if (std::hypot(p.x - start.x, p.y - start.y) > kAllowableMovement) {
        setState(UIGestureRecognizerState::Failed);
        return;
      }
    }
  }
}

void UITapGestureRecognizer::touchesEnded(const UITouchSet& touches, UIEvent* event) {
  touchesMoved(touches, event);
  if (state() != UIGestureRecognizerState::Possible) return;
  if (trackedTouches().size() > touches.count()) return;  // fingers still down
  if (touchesThisTap_ != touchesRequired_) {
    setState(UIGestureRecognizerState::Failed);
    return;
  }
  ++tapsDone_;
  touchesThisTap_ = 0;
  starts_.clear();
  if (tapsDone_ >= tapsRequired_) {
    setState(UIGestureRecognizerState::Recognized);
  } else {
    startTimer(kTapInterval, [this] { setState(UIGestureRecognizerState::Failed); });
  }
}

void UITapGestureRecognizer::touchesCancelled(const UITouchSet&, UIEvent*) {
  setState(UIGestureRecognizerState::Failed);
}

void UITapGestureRecognizer::reset() {
  tapsDone_ = 0;
  touchesThisTap_ = 0;
  starts_.clear();
}

NS_CLASS_IMPLEMENTATION(UITapGestureRecognizer) {}

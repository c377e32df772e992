#include "UIKit/UISwipeGestureRecognizer.h"

#include <cmath>

#include "Foundation/NSClass.h"

void UISwipeGestureRecognizer::touchesBegan(const UITouchSet&, UIEvent*) {
  if (state() != UIGestureRecognizerState::Possible) return;
  size_t n = trackedTouches().size();
  if (n > touchesRequired_) {
    setState(UIGestureRecognizerState::Failed);
  } else if (n == touchesRequired_) {
    start_ = locationInView(nullptr);
    started_ = true;
    startTimer(kMaximumDuration, [this] { setState(UIGestureRecognizerState::Failed); });
  }
}

void UISwipeGestureRecognizer::touchesMoved(const UITouchSet&, UIEvent*) {
  if (state() != UIGestureRecognizerState::Possible || !started_) return;
  CGPoint p = locationInView(nullptr);
  CGFloat dx = p.x - start_.x, dy = p.y - start_.y;
  struct Way {
    UISwipeGestureRecognizerDirection direction;
    CGFloat along, across;
  };
  const Way ways[] = {{UISwipeGestureRecognizerDirectionRight, dx, dy},
                      {UISwipeGestureRecognizerDirectionLeft, -dx, dy},
                      {UISwipeGestureRecognizerDirectionUp, -dy, dx},
                      {UISwipeGestureRecognizerDirectionDown, dy, dx}};
  for (const auto& w : ways) {
    if (!(direction_ & w.direction)) continue;
    if (w.along >= kMinimumDistance && std::fabs(w.across) <= w.along / 2) {
      setState(UIGestureRecognizerState::Recognized);
      return;
    }
  }
}

void UISwipeGestureRecognizer::touchesEnded(const UITouchSet&, UIEvent*) {
  setState(UIGestureRecognizerState::Failed);
}

void UISwipeGestureRecognizer::touchesCancelled(const UITouchSet&, UIEvent*) {
  setState(UIGestureRecognizerState::Failed);
}

void UISwipeGestureRecognizer::reset() {
  started_ = false;
}

NS_CLASS_IMPLEMENTATION(UISwipeGestureRecognizer) {}

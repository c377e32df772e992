#include "UIKit/UIPanGestureRecognizer.h"

#include <cmath>

#include "Foundation/Clock.h"
#include "Foundation/NSClass.h"
#include "UIKit/UIEvent.h"
#include "UIKit/UIView.h"
#include "UIKit/UIWindow.h"

namespace {

constexpr double kVelocityWindow = 0.1;

}  // namespace

CGPoint UIPanGestureRecognizer::windowVector(CGPoint v, const UIView* view, bool toView) const {
  if (!view) return v;
  auto mine = this->view();
  auto w = mine ? mine->window() : nullptr;
  if (!w) return v;
  CGPoint o = toView ? view->convertPointFromView(CGPointZero, w.get())
                     : view->convertPointToView(CGPointZero, w.get());
  CGPoint e =
      toView ? view->convertPointFromView(v, w.get()) : view->convertPointToView(v, w.get());
  return {e.x - o.x, e.y - o.y};
}

CGPoint UIPanGestureRecognizer::translationInView(const UIView* view) const {
  return windowVector(translation_, view, true);
}

void UIPanGestureRecognizer::setTranslation(CGPoint translation, const UIView* view) {
  translation_ = windowVector(translation, view, false);
}

CGPoint UIPanGestureRecognizer::velocityInView(const UIView* view) const {
  return windowVector(velocity_, view, true);
}

void UIPanGestureRecognizer::addMovement(const UITouchSet& touches, double timestamp) {
  CGPoint d{0, 0};
  for (const auto& t : touches) {
    CGPoint p = t->locationInView(nullptr), q = t->previousLocationInView(nullptr);
    d.x += p.x - q.x;
    d.y += p.y - q.y;
  }
  // Lifting without moving keeps the speed of the last moves, unless the fingers rested.
  if (d.x == 0 && d.y == 0 && !touches.empty() &&
      touches.anyObject()->phase() == UITouchPhase::Ended) {
    if (samples_.empty() || timestamp - samples_.back().first >= kVelocityWindow)
      velocity_ = CGPointZero;
    return;
  }
  // The average over every finger down: a finger that rests holds the pan back.
  size_t down = std::max<size_t>(trackedTouches().size(), 1);
  d.x /= CGFloat(down);
  d.y /= CGFloat(down);
  moved_.x += d.x;
  moved_.y += d.y;
  if (state() != UIGestureRecognizerState::Possible) {
    translation_.x += d.x;
    translation_.y += d.y;
  }
  samples_.push_back({timestamp, moved_});
  while (samples_.size() > 1 && timestamp - samples_[1].first >= kVelocityWindow)
    samples_.pop_front();
  auto [t0, p0] = samples_.front();
  if (timestamp > t0)
    velocity_ = {(moved_.x - p0.x) / (timestamp - t0), (moved_.y - p0.y) / (timestamp - t0)};
}

void UIPanGestureRecognizer::touchesBegan(const UITouchSet& touches, UIEvent* event) {
  if (trackedTouches().size() > maximumTouches_) {
    for (const auto& t : touches)
      if (trackedTouches().size() > maximumTouches_) ignoreTouch(t, event);
  }
  samples_.push_back({event ? event->timestamp() : ClockNow(), moved_});
}

void UIPanGestureRecognizer::touchesMoved(const UITouchSet& touches, UIEvent* event) {
  double now = event ? event->timestamp() : ClockNow();
  addMovement(touches, now);
  if (state() == UIGestureRecognizerState::Possible) {
    if (trackedTouches().size() < minimumTouches_) return;
    if (std::hypot(moved_.x, moved_.y) <= kHysteresis) return;
    if (!canBeginWithMovement(moved_)) {
      setState(UIGestureRecognizerState::Failed);
      return;
    }
    translation_ = moved_;
    setState(UIGestureRecognizerState::Began);
  } else {
    setState(UIGestureRecognizerState::Changed);
  }
}

void UIPanGestureRecognizer::touchesEnded(const UITouchSet& touches, UIEvent* event) {
  double now = event ? event->timestamp() : ClockNow();
  addMovement(touches, now);
  if (trackedTouches().size() > touches.count()) return;  // fingers still down
  if (state() == UIGestureRecognizerState::Possible) {
    setState(UIGestureRecognizerState::Failed);
  } else {
    setState(UIGestureRecognizerState::Ended);
  }
}

void UIPanGestureRecognizer::touchesCancelled(const UITouchSet&, UIEvent*) {
  setState(state() == UIGestureRecognizerState::Possible ? UIGestureRecognizerState::Failed
                                                         : UIGestureRecognizerState::Cancelled);
}

void UIPanGestureRecognizer::reset() {
  moved_ = translation_ = velocity_ = CGPointZero;
  samples_.clear();
}

NS_CLASS_IMPLEMENTATION(UIPanGestureRecognizer) {}

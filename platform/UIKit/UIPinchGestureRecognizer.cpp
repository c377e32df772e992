#include "UIKit/UIPinchGestureRecognizer.h"

#include <cmath>

#include "Foundation/NSClass.h"
#include "UIKit/UIEvent.h"

CGFloat UIPinchGestureRecognizer::spread() const {
  const auto& t = trackedTouches();
  if (t.size() < 2) return 0;
  CGPoint a = t[0]->locationInView(nullptr), b = t[1]->locationInView(nullptr);
  return std::hypot(a.x - b.x, a.y - b.y);
}

void UIPinchGestureRecognizer::setScale(CGFloat scale) {
  CGFloat d = spread();
  if (d > 0 && scale > 0) initial_ = d / scale;
  scale_ = scale;
}

void UIPinchGestureRecognizer::touchesBegan(const UITouchSet& touches, UIEvent* event) {
  for (const auto& t : touches)
    if (trackedTouches().size() > 2) ignoreTouch(t, event);
  if (trackedTouches().size() == 2 && state() == UIGestureRecognizerState::Possible) {
    initial_ = spread();
    lastTime_ = event ? event->timestamp() : 0;
  }
}

void UIPinchGestureRecognizer::touchesMoved(const UITouchSet&, UIEvent* event) {
  if (trackedTouches().size() < 2 || initial_ <= 0) return;
  CGFloat d = spread();
  double now = event ? event->timestamp() : lastTime_;
  if (state() == UIGestureRecognizerState::Possible) {
    if (std::fabs(d - initial_) <= kHysteresis) return;
    scale_ = d / initial_;
    lastTime_ = now;
    setState(UIGestureRecognizerState::Began);
    return;
  }
  CGFloat s = d / initial_;
  if (now > lastTime_) velocity_ = (s - scale_) / (now - lastTime_);
  scale_ = s;
  lastTime_ = now;
  setState(UIGestureRecognizerState::Changed);
}

void UIPinchGestureRecognizer::touchesEnded(const UITouchSet&, UIEvent*) {
  setState(state() == UIGestureRecognizerState::Possible ? UIGestureRecognizerState::Failed
                                                         : UIGestureRecognizerState::Ended);
}

void UIPinchGestureRecognizer::touchesCancelled(const UITouchSet&, UIEvent*) {
  setState(state() == UIGestureRecognizerState::Possible ? UIGestureRecognizerState::Failed
                                                         : UIGestureRecognizerState::Cancelled);
}

void UIPinchGestureRecognizer::reset() {
  initial_ = 0;
  scale_ = 1;
  velocity_ = 0;
}

NS_CLASS_IMPLEMENTATION(UIPinchGestureRecognizer) {}

#include "UIKit/UIGestureRecognizer.h"

#include <algorithm>

#include "Foundation/NSTimer.h"
#include "UIKit/UITouchDelivery.h"
#include "UIKit/UIView.h"
#include "UIKit/UIWindow.h"

UIGestureRecognizer::UIGestureRecognizer(Selector action) {
  if (action) targets_.push_back({std::move(action)});
}

UIGestureRecognizer::~UIGestureRecognizer() {
  if (timer_) timer_->invalidate();
}

void UIGestureRecognizer::addTarget(Selector action) {
  if (!action) return;
  for (const auto& t : targets_)
    if (t.action == action) return;
  targets_.push_back({std::move(action)});
}

void UIGestureRecognizer::removeTarget(const void* target, std::string_view actionName) {
  std::erase_if(targets_, [&](const Target& t) {
    bool targetMatches = !target || t.action.hasTarget(target);
    bool actionMatches = actionName.empty() || t.action.name() == actionName;
    return targetMatches && actionMatches;
  });
}

void UIGestureRecognizer::sendActions() {
  auto self = std::static_pointer_cast<UIGestureRecognizer>(weak_from_this().lock());
  auto targets = targets_;  // an action may change the list
  for (const auto& t : targets) t.action(Value(std::static_pointer_cast<NSObject>(self)));
}

void UIGestureRecognizer::setState(UIGestureRecognizerState state) {
  UITouchDelivery::requestState(*this, state);
}

void UIGestureRecognizer::setEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  if (enabled) return;
  if (state_ == UIGestureRecognizerState::Began || state_ == UIGestureRecognizerState::Changed) {
    setState(UIGestureRecognizerState::Cancelled);
  } else if (state_ == UIGestureRecognizerState::Possible && engaged_) {
    setState(UIGestureRecognizerState::Failed);
  }
}

std::shared_ptr<UIView> UIGestureRecognizer::view() const {
  if (!view_) return nullptr;
  return std::static_pointer_cast<UIView>(view_->weak_from_this().lock());
}

void UIGestureRecognizer::requireGestureRecognizerToFail(
    const std::shared_ptr<UIGestureRecognizer>& other) {
  if (other) requiredToFail_.push_back(other);
}

CGPoint UIGestureRecognizer::locationInView(const UIView* view) const {
  CGPoint p = lastLocation_;
  if (!touches_.empty()) {
    p = {0, 0};
    for (const auto& t : touches_) {
      CGPoint q = t->locationInView(nullptr);
      p.x += q.x;
      p.y += q.y;
    }
    p.x /= CGFloat(touches_.size());
    p.y /= CGFloat(touches_.size());
  }
  if (!view || !view_) return p;
  auto w = view_->window();
  return view->convertPointFromView(p, w.get());
}

CGPoint UIGestureRecognizer::locationOfTouch(size_t index, const UIView* view) const {
  if (index >= touches_.size()) return CGPointZero;
  return touches_[index]->locationInView(view);
}

void UIGestureRecognizer::ignoreTouch(const std::shared_ptr<UITouch>& touch, UIEvent*) {
  std::erase(touches_, touch);
}

void UIGestureRecognizer::startTimer(double seconds, std::function<void()> fire) {
  stopTimer();
  std::weak_ptr<NSObject> weak = weak_from_this();
  timer_ = NSTimer::timerWithTimeInterval(
      seconds, false, [weak, fire = std::move(fire)](const std::shared_ptr<NSTimer>&) {
        auto self = std::static_pointer_cast<UIGestureRecognizer>(weak.lock());
        if (!self) return;
        self->timer_.reset();
        fire();
        UITouchDelivery::settle();
      });
  NSRunLoop::mainRunLoop()->addTimer(timer_, NSRunLoopCommonModes);
}

void UIGestureRecognizer::stopTimer() {
  if (timer_) timer_->invalidate();
  timer_.reset();
}

bool UIGestureRecognizer::timerRunning() const {
  return timer_ && timer_->isValid();
}

void UIGestureRecognizer::resetState() {
  auto keep = weak_from_this().lock();
  stopTimer();
  touches_.clear();
  seen_.clear();
  pending_ = UIGestureRecognizerState::Possible;
  state_ = UIGestureRecognizerState::Possible;
  if (engaged_) {
    engaged_ = false;
    UITouchDelivery::forget(*this);
  }
  reset();
}

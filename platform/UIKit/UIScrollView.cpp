#include "UIKit/UIScrollView.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "Foundation/Clock.h"
#include "Foundation/NSClass.h"
#include "Foundation/NSRunLoop.h"
#include "Foundation/NSTimer.h"
#include "UIKit/UIApplication.h"
#include "UIKit/UIControl.h"
#include "UIKit/UIPanGestureRecognizer.h"
#include "UIKit/UIPinchGestureRecognizer.h"
#include "UIKit/UIWindow.h"

namespace {

constexpr double kStep = 1.0 / 60;
// Below this speed (points a second) a deceleration stops; a release slower than it does not
// decelerate at all.
constexpr CGFloat kStopSpeed = 10;
// The spring that brings an overshoot back to the edge, or the content to its page: critically
// damped, settling in about 0.4 s.
constexpr CGFloat kSpring = 15;

CGFloat clampTo(CGFloat v, CGFloat lo, CGFloat hi) {
  return std::max(lo, std::min(v, hi));
}

// Smooth start and end for animated offset changes.
double ease(double t) {
  t = std::clamp(t, 0.0, 1.0);
  return t * t * (3 - 2 * t);
}

}  // namespace

// ---- the scroll view's own recognisers

class UIScrollViewPanGestureRecognizer : public UIPanGestureRecognizer {
 public:
  UIScrollViewPanGestureRecognizer(UIScrollView& scrollView, Selector action)
      : UIPanGestureRecognizer(std::move(action)), scrollView_(scrollView) {}
  NS_CLASS(UIScrollViewPanGestureRecognizer, UIPanGestureRecognizer)
 public:
  void touchesBegan(const UITouchSet& touches, UIEvent* event) override {
    scrollView_.tracking_ = true;
    UIPanGestureRecognizer::touchesBegan(touches, event);
  }
  void touchesEnded(const UITouchSet& touches, UIEvent* event) override {
    if (trackedTouches().size() <= touches.count()) scrollView_.tracking_ = false;
    UIPanGestureRecognizer::touchesEnded(touches, event);
  }
  void touchesCancelled(const UITouchSet& touches, UIEvent* event) override {
    scrollView_.tracking_ = false;
    UIPanGestureRecognizer::touchesCancelled(touches, event);
  }

 protected:
  bool canBeginWithMovement(CGPoint m) const override {
    UIScrollView& sv = scrollView_;
    if (!sv.scrollEnabled_) return false;
    bool across = std::fabs(m.x) > std::fabs(m.y);
    if (across ? !sv.canScrollHorizontally() : !sv.canScrollVertically()) return false;
    // Content that has the touch keeps it unless it may be taken away.
    for (const auto& t : trackedTouches()) {
      if (!t->isWithView()) continue;
      if (!sv.canCancelContentTouches_ || !sv.touchesShouldCancelInContentView(t->view()))
        return false;
    }
    return true;
  }

 private:
  UIScrollView& scrollView_;
};

// Holds the content's touches back for a moment (it never recognises, except to swallow the
// tap that stops a moving view).
class UIScrollViewDelayGestureRecognizer : public UIGestureRecognizer {
 public:
  explicit UIScrollViewDelayGestureRecognizer(UIScrollView& scrollView) : scrollView_(scrollView) {
    setDelaysTouchesBegan(true);
    setDelaysTouchesEnded(false);
    setCancelsTouchesInView(false);
  }
  NS_CLASS_NAMED(UIScrollViewDelayGestureRecognizer, UIGestureRecognizer,
                 "UIScrollViewDelayedTouchesBeganGestureRecognizer")
 public:
  void touchesBegan(const UITouchSet&, UIEvent*) override {
    if (state() != UIGestureRecognizerState::Possible || timerRunning() || swallowing_) return;
    if (scrollView_.motion_ != UIScrollView::Motion::None) {
      // The finger stops the motion and does not reach the content.
      scrollView_.stopMotion();
      swallowing_ = true;
      return;
    }
    startTimer(UIScrollView::kContentTouchDelay,
               [this] { setState(UIGestureRecognizerState::Failed); });
  }
  void touchesEnded(const UITouchSet& touches, UIEvent*) override {
    if (trackedTouches().size() > touches.count()) return;
    if (swallowing_) {
      setCancelsTouchesInView(true);
      setState(UIGestureRecognizerState::Recognized);
    } else {
      setState(UIGestureRecognizerState::Failed);
    }
  }
  void touchesCancelled(const UITouchSet&, UIEvent*) override {
    setState(UIGestureRecognizerState::Failed);
  }
  void reset() override {
    swallowing_ = false;
    setCancelsTouchesInView(false);
  }
  bool canPreventGestureRecognizer(const UIGestureRecognizer&) const override {
    return swallowing_;
  }

 private:
  UIScrollView& scrollView_;
  bool swallowing_ = false;
};

// ---- the scroll view

UIScrollView::UIScrollView(CGRect frame) : UIView(frame) {
  setClipsToBounds(true);
  setMultipleTouchEnabled(true);
  // The recognisers call back through weak selectors made once the view is owned; until then
  // they forward through this raw pointer, which they cannot outlive (the view owns them).
  pan_ = std::make_shared<UIScrollViewPanGestureRecognizer>(
      *this, freeSelector("handlePan:", [this](const Value& r) { panned(r); }));
  addGestureRecognizer(pan_);
  delay_ = std::make_shared<UIScrollViewDelayGestureRecognizer>(*this);
  addGestureRecognizer(delay_);
}

UIScrollView::~UIScrollView() {
  if (timer_) timer_->invalidate();
  if (wheelTimer_) wheelTimer_->invalidate();
}

std::shared_ptr<UIScrollView> UIScrollView::selfPtr() {
  return std::static_pointer_cast<UIScrollView>(weak_from_this().lock());
}

// ---- geometry

CGPoint UIScrollView::minimumContentOffset() const {
  return {-contentInset_.left, -contentInset_.top};
}

CGPoint UIScrollView::maximumContentOffset() const {
  CGSize b = bounds().size;
  CGPoint lo = minimumContentOffset();
  return {std::max(lo.x, contentSize_.width + contentInset_.right - b.width),
          std::max(lo.y, contentSize_.height + contentInset_.bottom - b.height)};
}

bool UIScrollView::canScrollHorizontally() const {
  return alwaysBounceHorizontal_ ||
         contentSize_.width + contentInset_.left + contentInset_.right > bounds().size.width;
}

bool UIScrollView::canScrollVertically() const {
  return alwaysBounceVertical_ ||
         contentSize_.height + contentInset_.top + contentInset_.bottom > bounds().size.height;
}

void UIScrollView::setOffsetInternal(CGPoint offset) {
  CGRect b = bounds();
  if (b.origin == offset) return;
  auto keep = selfPtr();
  b.origin = offset;
  setBounds(b);
  contentOffsetDidChange();
  if (auto d = delegate_.lock()) d->scrollViewDidScroll(keep);
}

void UIScrollView::setContentOffset(CGPoint offset) {
  stopMotion();
  setOffsetInternal(offset);
}

void UIScrollView::setContentOffset(CGPoint offset, bool animated) {
  if (!animated || offset == contentOffset()) {
    setContentOffset(offset);
    return;
  }
  stopMotion();
  animFrom_ = contentOffset();
  target_ = offset;
  animStart_ = ClockNow();
  startMotion(Motion::Animating);
}

void UIScrollView::setContentSize(CGSize size) {
  contentSize_ = size;
}

void UIScrollView::setContentInset(UIEdgeInsets insets) {
  contentInset_ = insets;
}

void UIScrollView::scrollRectToVisible(CGRect rect, bool animated) {
  CGRect b = bounds();
  CGPoint o = b.origin;
  if (CGRectGetMaxX(rect) > CGRectGetMaxX(b)) o.x = CGRectGetMaxX(rect) - b.size.width;
  if (rect.origin.x < o.x) o.x = rect.origin.x;
  if (CGRectGetMaxY(rect) > CGRectGetMaxY(b)) o.y = CGRectGetMaxY(rect) - b.size.height;
  if (rect.origin.y < o.y) o.y = rect.origin.y;
  CGPoint lo = minimumContentOffset(), hi = maximumContentOffset();
  o = {clampTo(o.x, lo.x, hi.x), clampTo(o.y, lo.y, hi.y)};
  setContentOffset(o, animated);
}

void UIScrollView::setScrollEnabled(bool enabled) {
  scrollEnabled_ = enabled;
  pan_->setEnabled(enabled);
}

void UIScrollView::setDelaysContentTouches(bool delays) {
  delaysContentTouches_ = delays;
  delay_->setDelaysTouchesBegan(delays);
}

bool UIScrollView::touchesShouldCancelInContentView(const std::shared_ptr<UIView>& view) {
  return !std::dynamic_pointer_cast<UIControl>(view);
}

// ---- dragging

void UIScrollView::panned(const Value&) {
  auto keep = selfPtr();
  switch (pan_->state()) {
    case UIGestureRecognizerState::Began: {
      endWheelDrag();
      stopMotion();
      dragging_ = true;
      dragStart_ = contentOffset();
      CGPoint t = pan_->translationInView(nullptr);
      lockedAxis_ = !directionalLock_ ? 0 : std::fabs(t.x) > std::fabs(t.y) ? 1 : 2;
      pan_->setTranslation(CGPointZero, nullptr);
      if (auto d = delegate_.lock()) d->scrollViewWillBeginDragging(keep);
      break;
    }
    case UIGestureRecognizerState::Changed:
      setOffsetInternal(draggedOffset(dragStart_, pan_->translationInView(nullptr)));
      break;
    case UIGestureRecognizerState::Ended: {
      CGPoint v = pan_->velocityInView(nullptr);
      CGPoint speed{canScrollHorizontally() && lockedAxis_ != 2 ? -v.x : 0,
                    canScrollVertically() && lockedAxis_ != 1 ? -v.y : 0};
      endDragging(speed);
      break;
    }
    case UIGestureRecognizerState::Cancelled:
      endDragging(CGPointZero);
      break;
    default:
      break;
  }
}

CGPoint UIScrollView::draggedOffset(CGPoint start, CGPoint moved) const {
  CGPoint o = contentOffset();
  CGPoint lo = minimumContentOffset(), hi = maximumContentOffset();
  auto follow = [&](CGFloat from, CGFloat by, CGFloat min, CGFloat max) {
    CGFloat p = from - by;
    if (p < min) return bounces_ ? min - (min - p) / 2 : min;
    if (p > max) return bounces_ ? max + (p - max) / 2 : max;
    return p;
  };
  if (canScrollHorizontally() && lockedAxis_ != 2) o.x = follow(start.x, moved.x, lo.x, hi.x);
  if (canScrollVertically() && lockedAxis_ != 1) o.y = follow(start.y, moved.y, lo.y, hi.y);
  return o;
}

// ---- the wheel

bool UIScrollView::wheelDrag(CGPoint moved) {
  bool across = std::fabs(moved.x) > std::fabs(moved.y);
  if (!scrollEnabled_ || tracking_ || (across ? !canScrollHorizontally() : !canScrollVertically()))
    return false;
  auto keep = selfPtr();
  if (!wheelTimer_) {
    stopMotion();
    dragging_ = true;
    dragStart_ = contentOffset();
    wheelMoved_ = CGPointZero;
    lockedAxis_ = 0;
    if (auto d = delegate_.lock()) d->scrollViewWillBeginDragging(keep);
  } else {
    wheelTimer_->invalidate();
  }
  std::weak_ptr<NSObject> weak = weak_from_this();
  wheelTimer_ = NSTimer::timerWithTimeInterval(kWheelRest, false, [weak](const auto&) {
    if (auto self = std::static_pointer_cast<UIScrollView>(weak.lock())) self->endWheelDrag();
  });
  NSRunLoop::mainRunLoop()->addTimer(wheelTimer_, NSRunLoopCommonModes);
  wheelMoved_ = {wheelMoved_.x + moved.x, wheelMoved_.y + moved.y};
  setOffsetInternal(draggedOffset(dragStart_, wheelMoved_));
  return true;
}

void UIScrollView::endWheelDrag() {
  if (!wheelTimer_) return;
  wheelTimer_->invalidate();
  wheelTimer_.reset();
  endDragging(CGPointZero);
}

CGPoint UIScrollView::decelerationTarget(CGPoint v) const {
  // Where the speed runs out: the distance is v / ln(1 / rate) per millisecond.
  CGFloat k = -std::log(decelerationRate_) * 1000;
  CGPoint o = contentOffset();
  CGPoint lo = minimumContentOffset(), hi = maximumContentOffset();
  return {clampTo(o.x + v.x / k, lo.x, hi.x), clampTo(o.y + v.y / k, lo.y, hi.y)};
}

CGPoint UIScrollView::pageTarget(CGPoint v) const {
  CGSize page = bounds().size;
  CGPoint o = contentOffset();
  CGPoint lo = minimumContentOffset(), hi = maximumContentOffset();
  auto settle = [](CGFloat offset, CGFloat speed, CGFloat size, CGFloat min, CGFloat max) {
    if (size <= 0) return offset;
    CGFloat index = std::round(offset / size);
    // A flick goes on to the next page in its direction.
    if (speed > 300) index = std::floor(offset / size) + 1;
    if (speed < -300) index = std::ceil(offset / size) - 1;
    return clampTo(index * size, min, max);
  };
  return {settle(o.x, v.x, page.width, lo.x, hi.x), settle(o.y, v.y, page.height, lo.y, hi.y)};
}

void UIScrollView::endDragging(CGPoint velocity) {
  auto keep = selfPtr();
  CGPoint target = pagingEnabled_ ? pageTarget(velocity) : decelerationTarget(velocity);
  CGPoint proposed = target;
  if (auto d = delegate_.lock())
    d->scrollViewWillEndDraggingWithVelocityTargetContentOffset(
        keep, {velocity.x / 1000, velocity.y / 1000}, &target);
  CGPoint o = contentOffset();
  CGPoint lo = minimumContentOffset(), hi = maximumContentOffset();
  bool outside = o.x < lo.x || o.x > hi.x || o.y < lo.y || o.y > hi.y;
  bool moving = std::hypot(velocity.x, velocity.y) >= kStopSpeed;
  aimed_ = pagingEnabled_ || !(target == proposed);
  bool decelerate = outside || (aimed_ ? !(target == o) : moving);
  dragging_ = false;
  if (auto d = delegate_.lock()) d->scrollViewDidEndDraggingWillDecelerate(keep, decelerate);
  if (!decelerate) return;
  velocity_ = velocity;
  target_ = target;
  if (auto d = delegate_.lock()) d->scrollViewWillBeginDecelerating(keep);
  decelerating_ = true;
  startMotion(Motion::Decelerating);
}

// ---- motion on the clock

void UIScrollView::startMotion(Motion motion) {
  motion_ = motion;
  lastStep_ = ClockNow();
  if (timer_ && timer_->isValid()) return;
  std::weak_ptr<NSObject> weak = weak_from_this();
  timer_ = NSTimer::timerWithTimeInterval(kStep, true, [weak](const std::shared_ptr<NSTimer>&) {
    if (auto self = std::static_pointer_cast<UIScrollView>(weak.lock())) self->step();
  });
  NSRunLoop::mainRunLoop()->addTimer(timer_, NSRunLoopCommonModes);
}

void UIScrollView::stopMotion() {
  if (timer_) timer_->invalidate();
  timer_.reset();
  motion_ = Motion::None;
  decelerating_ = false;
  zoomBouncing_ = false;
  scrollingToTop_ = false;
}

void UIScrollView::step() {
  auto keep = selfPtr();
  double now = ClockNow();
  if (motion_ == Motion::Animating || motion_ == Motion::Zooming) {
    double t = (now - animStart_) / kScrollAnimationDuration;
    if (motion_ == Motion::Animating) {
      double e = ease(t);
      setOffsetInternal(t >= 1 ? target_
                               : CGPointMake(animFrom_.x + (target_.x - animFrom_.x) * e,
                                             animFrom_.y + (target_.y - animFrom_.y) * e));
    } else {
      double e = ease(t);
      applyZoom(t >= 1 ? zoomTo_ : zoomFrom_ + (zoomTo_ - zoomFrom_) * CGFloat(e), zoomAnchor_);
      if (auto d = delegate_.lock()) d->scrollViewDidZoom(keep);
    }
    if (t >= 1) finishMotion();
    return;
  }
  // Decelerating: fixed steps, however far the clock jumped.
  int steps = std::clamp(int(std::lround((now - lastStep_) / kStep)), 1, 600);
  lastStep_ = now;
  CGPoint o = contentOffset();
  CGPoint lo = minimumContentOffset(), hi = maximumContentOffset();
  bool settledX = false, settledY = false;
  auto axis = [&](CGFloat& pos, CGFloat& vel, CGFloat min, CGFloat max, CGFloat aim,
                  bool& settled) {
    bool springing = aimed_ || pos < min || pos > max;
    if (springing) {
      CGFloat goal = aimed_ ? aim : clampTo(pos, min, max);
      if (!bounces_ && !aimed_) {
        pos = goal;
        vel = 0;
      } else {
        vel += CGFloat(kStep) * (-kSpring * kSpring * (pos - goal) - 2 * kSpring * vel);
        pos += vel * CGFloat(kStep);
      }
      if (std::fabs(pos - goal) < 0.5 && std::fabs(vel) < kStopSpeed) {
        pos = goal;
        vel = 0;
        settled = true;
      }
      return;
    }
    vel *= std::pow(decelerationRate_, CGFloat(kStep * 1000));
    pos += vel * CGFloat(kStep);
    if ((pos < min || pos > max) && !bounces_) {
      pos = clampTo(pos, min, max);
      vel = 0;
    }
    if (std::fabs(vel) < kStopSpeed && pos >= min && pos <= max) {
      vel = 0;
      settled = true;
    }
  };
  for (int i = 0; i < steps && !(settledX && settledY); ++i) {
    settledX = settledY = false;
    axis(o.x, velocity_.x, lo.x, hi.x, target_.x, settledX);
    axis(o.y, velocity_.y, lo.y, hi.y, target_.y, settledY);
  }
  setOffsetInternal(o);
  if (settledX && settledY) finishMotion();
}

void UIScrollView::finishMotion() {
  auto keep = selfPtr();
  Motion motion = motion_;
  bool toTop = scrollingToTop_;
  stopMotion();
  auto d = delegate_.lock();
  if (!d) return;
  switch (motion) {
    case Motion::Decelerating:
      d->scrollViewDidEndDecelerating(keep);
      break;
    case Motion::Animating:
      if (toTop) {
        d->scrollViewDidScrollToTop(keep);
      } else {
        d->scrollViewDidEndScrollingAnimation(keep);
      }
      break;
    case Motion::Zooming:
      d->scrollViewDidEndZoomingWithViewAtScale(keep, viewForZooming(), zoomScale_);
      break;
    case Motion::None:
      break;
  }
}

bool UIScrollView::scrollToTopFromStatusBar() {
  auto window = UIApplication::sharedApplication()->keyWindow();
  if (!window || window->isHidden()) return false;
  std::vector<std::shared_ptr<UIScrollView>> found;
  std::function<void(const std::shared_ptr<UIView>&)> walk = [&](const std::shared_ptr<UIView>& v) {
    if (v->isHidden() || v->alpha() < 0.01) return;
    if (auto sv = std::dynamic_pointer_cast<UIScrollView>(v); sv && sv->scrollsToTop_)
      found.push_back(sv);
    for (const auto& s : v->subviews()) walk(s);
  };
  walk(window);
  if (found.size() != 1) return false;
  auto sv = found.front();
  if (auto d = sv->delegate_.lock(); d && !d->scrollViewShouldScrollToTop(sv)) return false;
  CGPoint top{sv->contentOffset().x, -sv->contentInset_.top};
  if (top == sv->contentOffset()) {
    if (auto d = sv->delegate_.lock()) d->scrollViewDidScrollToTop(sv);
    return true;
  }
  sv->setContentOffset(top, true);
  sv->scrollingToTop_ = true;
  return true;
}

// ---- zooming

void UIScrollView::setMinimumZoomScale(CGFloat s) {
  minimumZoomScale_ = s;
  updateZooming();
}

void UIScrollView::setMaximumZoomScale(CGFloat s) {
  maximumZoomScale_ = s;
  updateZooming();
}

void UIScrollView::updateZooming() {
  bool zoomable = maximumZoomScale_ > minimumZoomScale_;
  if (zoomable && !pinch_) {
    pinch_ = std::make_shared<UIPinchGestureRecognizer>(
        freeSelector("handlePinch:", [this](const Value& r) { pinched(r); }));
    addGestureRecognizer(pinch_);
  } else if (!zoomable && pinch_) {
    removeGestureRecognizer(pinch_);
    pinch_.reset();
  }
}

std::shared_ptr<UIView> UIScrollView::viewForZooming() {
  auto d = delegate_.lock();
  return d ? d->viewForZoomingInScrollView(selfPtr()) : nullptr;
}

void UIScrollView::applyZoom(CGFloat scale, CGPoint anchor) {
  auto v = viewForZooming();
  if (!v || scale <= 0) return;
  CGPoint o = contentOffset();
  CGFloat old = zoomScale_;
  CGPoint fixed{(o.x + anchor.x) / old, (o.y + anchor.y) / old};  // in the view's own units
  zoomScale_ = scale;
  v->setTransform(CGAffineTransformMakeScale(scale, scale));
  CGSize size = v->bounds().size;
  v->setCenter({size.width * scale / 2, size.height * scale / 2});
  contentSize_ = {size.width * scale, size.height * scale};
  CGPoint lo = minimumContentOffset(), hi = maximumContentOffset();
  setOffsetInternal({clampTo(fixed.x * scale - anchor.x, lo.x, hi.x),
                     clampTo(fixed.y * scale - anchor.y, lo.y, hi.y)});
}

void UIScrollView::setZoomScale(CGFloat scale, bool animated) {
  scale = clampTo(scale, minimumZoomScale_, maximumZoomScale_);
  if (!viewForZooming() || scale == zoomScale_) {
    zoomScale_ = scale;
    return;
  }
  CGPoint middle{bounds().size.width / 2, bounds().size.height / 2};
  if (!animated) {
    stopMotion();
    applyZoom(scale, middle);
    if (auto d = delegate_.lock()) d->scrollViewDidZoom(selfPtr());
    return;
  }
  stopMotion();
  zoomFrom_ = zoomScale_;
  zoomTo_ = scale;
  zoomAnchor_ = middle;
  animStart_ = ClockNow();
  startMotion(Motion::Zooming);
}

void UIScrollView::zoomToRect(CGRect rect, bool) {
  if (rect.size.width <= 0 || rect.size.height <= 0) return;
  CGSize b = bounds().size;
  CGFloat scale = clampTo(std::min(b.width / rect.size.width, b.height / rect.size.height),
                          minimumZoomScale_, maximumZoomScale_);
  setZoomScale(scale, false);
  CGPoint lo = minimumContentOffset(), hi = maximumContentOffset();
  setContentOffset(
      {clampTo(rect.origin.x * scale, lo.x, hi.x), clampTo(rect.origin.y * scale, lo.y, hi.y)});
}

void UIScrollView::pinched(const Value&) {
  auto keep = selfPtr();
  auto v = viewForZooming();
  if (!v) return;
  CGPoint anchor = pinch_->locationInView(this);
  anchor = {anchor.x - contentOffset().x, anchor.y - contentOffset().y};
  switch (pinch_->state()) {
    case UIGestureRecognizerState::Began:
      stopMotion();
      zooming_ = true;
      pinchStartScale_ = zoomScale_;
      if (auto d = delegate_.lock()) d->scrollViewWillBeginZoomingWithView(keep, v);
      [[fallthrough]];
    case UIGestureRecognizerState::Changed: {
      CGFloat s = pinchStartScale_ * pinch_->scale();
      // Beyond the limits the view follows the fingers at half the rate, or not at all.
      if (s > maximumZoomScale_)
        s = bouncesZoom_ ? maximumZoomScale_ + (s - maximumZoomScale_) / 2 : maximumZoomScale_;
      if (s < minimumZoomScale_)
        s = bouncesZoom_ ? minimumZoomScale_ - (minimumZoomScale_ - s) / 2 : minimumZoomScale_;
      applyZoom(s, anchor);
      if (auto d = delegate_.lock()) d->scrollViewDidZoom(keep);
      break;
    }
    case UIGestureRecognizerState::Ended:
    case UIGestureRecognizerState::Cancelled: {
      zooming_ = false;
      CGFloat inside = clampTo(zoomScale_, minimumZoomScale_, maximumZoomScale_);
      if (inside != zoomScale_) {
        zoomBouncing_ = true;
        zoomFrom_ = zoomScale_;
        zoomTo_ = inside;
        zoomAnchor_ = anchor;
        animStart_ = ClockNow();
        startMotion(Motion::Zooming);
      } else if (auto d = delegate_.lock()) {
        d->scrollViewDidEndZoomingWithViewAtScale(keep, v, zoomScale_);
      }
      break;
    }
    default:
      break;
  }
}

void UIScrollView::describeAttributes(std::string& line) const {
  auto num = [](CGFloat v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", v == 0 ? 0.0 : v);
    return std::string(buf);
  };
  CGPoint o = contentOffset();
  if (o != CGPointZero) line += " offset=(" + num(o.x) + " " + num(o.y) + ")";
  if (contentSize_ != CGSizeZero)
    line += " contentSize=(" + num(contentSize_.width) + " " + num(contentSize_.height) + ")";
}

NS_CLASS_IMPLEMENTATION(UIScrollView) {}
NS_CLASS_IMPLEMENTATION(UIScrollViewPanGestureRecognizer) {}
NS_CLASS_IMPLEMENTATION(UIScrollViewDelayGestureRecognizer) {}

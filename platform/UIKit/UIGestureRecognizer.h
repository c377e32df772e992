// Gesture recognisers: objects attached to a view that watch the touches of that view and the
// views below it, before the views get them, and tell their targets when they see their
// gesture.  A discrete recogniser (tap, swipe) goes from possible to recognised (or failed) once;
// a continuous one (long press, pan, pinch) to began, changed ..., ended (or cancelled).  The
// targets' actions receive the recogniser (an object Value) at recognition and at every later
// state of a continuous gesture.
//
// Rules of the platform kept here:
// - Before it begins, a recogniser asks its delegate and its view (gestureRecognizerShouldBegin);
//   a tap of one finger does not begin over an enabled control below its view (the control
//   takes its own taps).
// - A recogniser that must wait for another to fail (requireGestureRecognizerToFail) stays
//   possible until that one fails, and fails itself if that one recognises.
// - Recognisers that share a touch exclude each other: the first to begin fails the others,
//   unless one of their delegates allows both (shouldRecognizeSimultaneously).
// - cancelsTouchesInView (default YES): once it begins, the views lose its touches
//   (touchesCancelled).  delaysTouchesBegan (default NO): the views get nothing until it fails.
//   delaysTouchesEnded (default YES): a touch that ends while it is still possible reaches the
//   views only when it fails.
// - A recogniser returns to possible (reset) when its gesture is over and its touches have
//   ended.  One still possible when every finger has lifted fails, unless it runs a timer of its
//   own (a double tap waiting for its second tap).
// Timers (the long press's duration, the wait between taps) run on the main run loop's clock.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "CoreGraphics/CGGeometry.h"
#include "Foundation/NSObject.h"
#include "UIKit/UITouch.h"

class NSTimer;
class UIEvent;
class UIGestureRecognizer;
class UIView;

enum class UIGestureRecognizerState {
  Possible = 0,
  Began = 1,
  Changed = 2,
  Ended = 3,
  Cancelled = 4,
  Failed = 5,
  Recognized = Ended
};

class UIGestureRecognizerDelegate {
 public:
  virtual ~UIGestureRecognizerDelegate() = default;
  virtual bool gestureRecognizerShouldBegin(const std::shared_ptr<UIGestureRecognizer>&) {
    return true;
  }
  virtual bool gestureRecognizerShouldRecognizeSimultaneouslyWithGestureRecognizer(
      const std::shared_ptr<UIGestureRecognizer>&, const std::shared_ptr<UIGestureRecognizer>&) {
    return false;
  }
  // Asked when a touch begins, before the recogniser sees it.
  virtual bool gestureRecognizerShouldReceiveTouch(const std::shared_ptr<UIGestureRecognizer>&,
                                                   const std::shared_ptr<UITouch>&) {
    return true;
  }
};

class UIGestureRecognizer : public NSObject {
 public:
  // initWithTarget:action: (an unset selector adds no target).
  explicit UIGestureRecognizer(Selector action = {});
  ~UIGestureRecognizer() override;

  virtual std::string className() const { return "UIGestureRecognizer"; }

  // Each target-action pair once; removeTarget with an empty name removes every action of the
  // target, with a null target every target of that action.
  void addTarget(Selector action);
  void removeTarget(const void* target, std::string_view actionName = {});

  UIGestureRecognizerState state() const { return state_; }
  // For subclasses: moves the state machine (ignored for moves the machine does not allow).
  // Beginning or recognising is decided by the rules above and may be deferred or refused.
  void setState(UIGestureRecognizerState state);

  std::weak_ptr<UIGestureRecognizerDelegate> delegate() const { return delegate_; }
  void setDelegate(std::weak_ptr<UIGestureRecognizerDelegate> delegate) {
    delegate_ = std::move(delegate);
  }
  bool isEnabled() const { return enabled_; }
  // Disabling a recogniser in the middle of its gesture cancels it (fails it before it began).
  void setEnabled(bool enabled);
  // The view it is attached to (UIView::addGestureRecognizer).
  std::shared_ptr<UIView> view() const;

  bool cancelsTouchesInView() const { return cancelsTouchesInView_; }
  void setCancelsTouchesInView(bool cancels) { cancelsTouchesInView_ = cancels; }
  bool delaysTouchesBegan() const { return delaysTouchesBegan_; }
  void setDelaysTouchesBegan(bool delays) { delaysTouchesBegan_ = delays; }
  bool delaysTouchesEnded() const { return delaysTouchesEnded_; }
  void setDelaysTouchesEnded(bool delays) { delaysTouchesEnded_ = delays; }

  void requireGestureRecognizerToFail(const std::shared_ptr<UIGestureRecognizer>& other);

  // The centroid of its touches (of the last ones, once they ended) in the view's coordinates
  // (nullptr: the window's).
  virtual CGPoint locationInView(const UIView* view) const;
  CGPoint locationInView(const std::shared_ptr<UIView>& view) const {
    return locationInView(view.get());
  }
  size_t numberOfTouches() const { return touches_.size(); }
  CGPoint locationOfTouch(size_t index, const UIView* view) const;

  // ---- for subclasses: the touches of its view, before the view gets them.
  virtual void touchesBegan(const UITouchSet& touches, UIEvent* event) {}
  virtual void touchesMoved(const UITouchSet& touches, UIEvent* event) {}
  virtual void touchesEnded(const UITouchSet& touches, UIEvent* event) {}
  virtual void touchesCancelled(const UITouchSet& touches, UIEvent* event) {}
  // Back to the possible state's values; the base forgets the touches and stops the timer.
  virtual void reset() {}
  // Stops watching the touch (its view still gets it).
  void ignoreTouch(const std::shared_ptr<UITouch>& touch, UIEvent* event);
  virtual bool canPreventGestureRecognizer(const UIGestureRecognizer&) const { return true; }
  virtual bool canBePreventedByGestureRecognizer(const UIGestureRecognizer&) const { return true; }
  // Whether the recogniser is continuous (began, changed, ended) rather than discrete.
  virtual bool isContinuous() const { return false; }

 protected:
  // A one-shot timer on the main run loop that calls `fire` with this recogniser alive; a new
  // one replaces the old, reset stops it.
  void startTimer(double seconds, std::function<void()> fire);
  void stopTimer();
  bool timerRunning() const;
  // The touches it watches that have not ended, in the order they began.
  const std::vector<std::shared_ptr<UITouch>>& trackedTouches() const { return touches_; }

 private:
  friend class UIView;
  friend class UITouchDelivery;
  struct Target {
    Selector action;
  };
  void sendActions();
  void resetState();

  std::vector<Target> targets_;
  UIGestureRecognizerState state_ = UIGestureRecognizerState::Possible;
  // A begin or recognition that waits for another recogniser to fail.
  UIGestureRecognizerState pending_ = UIGestureRecognizerState::Possible;
  std::weak_ptr<UIGestureRecognizerDelegate> delegate_;
  UIView* view_ = nullptr;
  bool enabled_ = true;
  bool cancelsTouchesInView_ = true;
  bool delaysTouchesBegan_ = false;
  bool delaysTouchesEnded_ = true;
  bool engaged_ = false;  // among the recognisers of the touches under way
  std::vector<std::weak_ptr<UIGestureRecognizer>> requiredToFail_;
  std::vector<std::shared_ptr<UITouch>> touches_;
  // Every touch of the gesture so far (also those that ended), until the reset.
  std::vector<std::shared_ptr<UITouch>> seen_;
  CGPoint lastLocation_;  // in the window, when the touches have gone
  std::shared_ptr<NSTimer> timer_;
};

// A finger on the screen, from the moment it touches down until it lifts or the system cancels
// it.  The same touch object goes through every phase of one finger's contact; its view is the
// view hit-tested where it began (it stays that view wherever the finger moves), its window
// that view's window.  Locations are kept in the window's coordinates and converted on request.
#pragma once

#include <memory>
#include <vector>

#include "CoreGraphics/CGGeometry.h"
#include "Foundation/NSObject.h"

class UIGestureRecognizer;
class UIView;
class UIWindow;

enum class UITouchPhase { Began = 0, Moved = 1, Stationary = 2, Ended = 3, Cancelled = 4 };

class UITouch : public NSObject {
 public:
  UITouchPhase phase() const { return phase_; }
  // On the main run loop's clock.
  double timestamp() const { return timestamp_; }
  // 1 for a first tap; 2, 3 ... for taps that follow quickly at about the same place.
  unsigned long tapCount() const { return tapCount_; }
  std::shared_ptr<UIView> view() const { return view_.lock(); }
  std::shared_ptr<UIWindow> window() const { return window_.lock(); }
  // In the view's coordinates; nullptr: in the window's.
  CGPoint locationInView(const UIView* view) const;
  CGPoint locationInView(const std::shared_ptr<UIView>& view) const {
    return locationInView(view.get());
  }
  // Where the touch was at the event before.
  CGPoint previousLocationInView(const UIView* view) const;
  CGPoint previousLocationInView(const std::shared_ptr<UIView>& view) const {
    return previousLocationInView(view.get());
  }
  // Whether the touch's view got its began and nothing has ended it for the view yet.
  bool isWithView() const { return beganDelivered_ && !finishedForView_ && !cancelledForView_; }
  // The recognisers that get this touch (those of the view and the views above it that were
  // willing when it began), in the order they get it.
  std::vector<std::shared_ptr<UIGestureRecognizer>> gestureRecognizers() const;

 private:
  friend class UITouchDelivery;
  CGPoint convert(CGPoint windowPoint, const UIView* view) const;

  UITouchPhase phase_ = UITouchPhase::Began;
  double timestamp_ = 0;
  unsigned long tapCount_ = 1;
  std::weak_ptr<UIView> view_;
  std::weak_ptr<UIWindow> window_;
  CGPoint location_, previous_;  // in the window
  std::vector<std::weak_ptr<UIGestureRecognizer>> recognizers_;
  // How far the touch went with its view: began delivered, ended (or cancelled) delivered,
  // held back by a recogniser that delays, or taken away from the view by a recogniser.
  bool beganDelivered_ = false;
  bool finishedForView_ = false;
  bool beganHeld_ = false;
  bool endHeld_ = false;
  bool cancelledForView_ = false;
  bool ignoredByView_ = false;  // a second finger on a view without multiple touch
};

// The touches of one delivery, in the order they began.
class UITouchSet {
 public:
  UITouchSet() = default;
  explicit UITouchSet(std::vector<std::shared_ptr<UITouch>> touches)
      : touches_(std::move(touches)) {}
  size_t count() const { return touches_.size(); }
  bool empty() const { return touches_.empty(); }
  // One of the touches (the first); nullptr for an empty set.
  std::shared_ptr<UITouch> anyObject() const {
    return touches_.empty() ? nullptr : touches_.front();
  }
  bool containsObject(const std::shared_ptr<UITouch>& touch) const;
  void add(const std::shared_ptr<UITouch>& touch);
  auto begin() const { return touches_.begin(); }
  auto end() const { return touches_.end(); }
  const std::vector<std::shared_ptr<UITouch>>& allObjects() const { return touches_; }

 private:
  std::vector<std::shared_ptr<UITouch>> touches_;
};

// A pan: the fingers move more than 10 points from where they came down.  Continuous: began at
// that point, changed with every move, ended when the last finger lifts.  The translation adds
// up the fingers' average movement since the pan began (and setTranslation sets it); the
// velocity is the movement of the last 0.1 s, in points per second.
#pragma once

#include <deque>
#include <utility>

#include "UIKit/UIGestureRecognizer.h"

class UIPanGestureRecognizer : public UIGestureRecognizer {
 public:
  static constexpr CGFloat kHysteresis = 10;

  using UIGestureRecognizer::UIGestureRecognizer;
  NS_CLASS(UIPanGestureRecognizer, UIGestureRecognizer)
 public:
  bool isContinuous() const override { return true; }

  unsigned long minimumNumberOfTouches() const { return minimumTouches_; }
  void setMinimumNumberOfTouches(unsigned long n) { minimumTouches_ = std::max(1ul, n); }
  unsigned long maximumNumberOfTouches() const { return maximumTouches_; }
  void setMaximumNumberOfTouches(unsigned long n) { maximumTouches_ = n; }

  // In the view's coordinates (nullptr: the window's); the view's rotation and scale apply.
  CGPoint translationInView(const UIView* view) const;
  CGPoint translationInView(const std::shared_ptr<UIView>& v) const {
    return translationInView(v.get());
  }
  void setTranslation(CGPoint translation, const UIView* view);
  void setTranslation(CGPoint t, const std::shared_ptr<UIView>& v) { setTranslation(t, v.get()); }
  CGPoint velocityInView(const UIView* view) const;
  CGPoint velocityInView(const std::shared_ptr<UIView>& v) const { return velocityInView(v.get()); }

  void touchesBegan(const UITouchSet& touches, UIEvent* event) override;
  void touchesMoved(const UITouchSet& touches, UIEvent* event) override;
  void touchesEnded(const UITouchSet& touches, UIEvent* event) override;
  void touchesCancelled(const UITouchSet& touches, UIEvent* event) override;
  void reset() override;

 protected:
  // Whether the pan may begin now that the fingers moved by `movement` (window points) from
  // where they came down; the default lets it.
  virtual bool canBeginWithMovement(CGPoint movement) const { return true; }

 private:
  CGPoint windowVector(CGPoint v, const UIView* view, bool toView) const;
  void addMovement(const UITouchSet& touches, double timestamp);

  unsigned long minimumTouches_ = 1;
  unsigned long maximumTouches_ = ~0ul;
  CGPoint moved_;        // since the fingers came down, in the window
  CGPoint translation_;  // since the pan began (or was set), in the window
  CGPoint velocity_;
  std::deque<std::pair<double, CGPoint>> samples_;  // (time, moved_)
};

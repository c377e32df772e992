// Scroll views: a window onto content larger than the view.  The content offset is the bounds'
// origin; the content size and insets say how far it may go (from -inset.top to
// contentSize.height + inset.bottom - the bounds' height, likewise across).
//
// A finger scrolls it through its pan recogniser (panGestureRecognizer): the drag begins once
// the finger has moved 10 points along a way the view can scroll (content larger than the
// bounds, or alwaysBounce...); beyond an edge the content follows the finger at half speed
// (bounces) or stops there.  Let go, it decelerates from the finger's speed, losing
// decelerationRate of its speed every millisecond, overshoots an edge and springs back, or with
// paging settles on the nearest page (the next one when flicked); every step runs on the main
// run loop's clock at 60 steps a second.  A finger that comes down on a moving view stops it.
//
// Touches on the content are held back for 0.15 s (delaysContentTouches) so that a drag does
// not touch what it starts on; a quick tap reaches the content at once when the finger lifts.
// Once the content has a touch, a drag takes it away (touchesCancelled) only when
// canCancelContentTouches and touchesShouldCancelInContentView allow it (not from a control,
// by default).
//
// The delegate hears, in the platform's order: will begin dragging, did scroll (every change of
// the offset), will end dragging (velocity in points per millisecond, the target offset it may
// change), did end dragging (will decelerate), will begin decelerating, did end decelerating;
// did end scrolling animation after setContentOffset / scrollRectToVisible animated; will begin
// zooming, did zoom, did end zooming; should and did scroll to top for a tap on the status bar.
//
// The desktop's scroll wheel (UIEventDriver::scrollWheel) drags the view as a finger would: the
// first turn begins a drag, each turn moves the content by its amount (at half speed beyond an
// edge), and the drag ends, without speed, once the wheel has rested kWheelRest seconds.
//
// Zooming: with a view for zooming from the delegate and a maximum scale above the minimum, two
// fingers scale that view (its transform) about the point between them, and the content size
// follows the view's frame.  A scale beyond the limits springs back when the fingers lift.
#pragma once

#include <memory>

#include "UIKit/UIGeometry.h"
#include "UIKit/UIView.h"

class NSTimer;
class UIPanGestureRecognizer;
class UIPinchGestureRecognizer;
class UIScrollView;

class UIScrollViewDelegate {
 public:
  virtual ~UIScrollViewDelegate() = default;
  virtual void scrollViewDidScroll(const std::shared_ptr<UIScrollView>&) {}
  virtual void scrollViewWillBeginDragging(const std::shared_ptr<UIScrollView>&) {}
  // The velocity is in points per millisecond; the target is where deceleration will stop.
  virtual void scrollViewWillEndDraggingWithVelocityTargetContentOffset(
      const std::shared_ptr<UIScrollView>&, CGPoint /*velocity*/,
      CGPoint* /*targetContentOffset*/) {}
  virtual void scrollViewDidEndDraggingWillDecelerate(const std::shared_ptr<UIScrollView>&,
                                                      bool /*decelerate*/) {}
  virtual void scrollViewWillBeginDecelerating(const std::shared_ptr<UIScrollView>&) {}
  virtual void scrollViewDidEndDecelerating(const std::shared_ptr<UIScrollView>&) {}
  virtual void scrollViewDidEndScrollingAnimation(const std::shared_ptr<UIScrollView>&) {}
  virtual std::shared_ptr<UIView> viewForZoomingInScrollView(const std::shared_ptr<UIScrollView>&) {
    return nullptr;
  }
  virtual void scrollViewWillBeginZoomingWithView(const std::shared_ptr<UIScrollView>&,
                                                  const std::shared_ptr<UIView>&) {}
  virtual void scrollViewDidZoom(const std::shared_ptr<UIScrollView>&) {}
  virtual void scrollViewDidEndZoomingWithViewAtScale(const std::shared_ptr<UIScrollView>&,
                                                      const std::shared_ptr<UIView>&,
                                                      CGFloat /*scale*/) {}
  virtual bool scrollViewShouldScrollToTop(const std::shared_ptr<UIScrollView>&) { return true; }
  virtual void scrollViewDidScrollToTop(const std::shared_ptr<UIScrollView>&) {}
};

enum class UIScrollViewIndicatorStyle { Default = 0, Black = 1, White = 2 };

inline constexpr CGFloat UIScrollViewDecelerationRateNormal = 0.998;
inline constexpr CGFloat UIScrollViewDecelerationRateFast = 0.99;

class UIScrollView : public UIView {
 public:
  // How long an animated offset change takes.
  static constexpr double kScrollAnimationDuration = 0.3;
  // How long content touches are held back.
  static constexpr double kContentTouchDelay = 0.15;
  // How long a scroll wheel rests before its drag ends.
  static constexpr double kWheelRest = 0.15;

  UIScrollView() : UIScrollView(CGRectZero) {}
  explicit UIScrollView(CGRect frame);
  ~UIScrollView() override;

  NS_CLASS(UIScrollView, UIView)
 public:
  std::weak_ptr<UIScrollViewDelegate> delegate() const { return delegate_; }
  void setDelegate(std::weak_ptr<UIScrollViewDelegate> delegate) {
    delegate_ = std::move(delegate);
  }

  // ---- geometry
  CGPoint contentOffset() const { return bounds().origin; }
  // Stops any deceleration or offset animation; did scroll when the offset changes.
  void setContentOffset(CGPoint offset);
  // Animated: moves there over kScrollAnimationDuration (did scroll every step, did end
  // scrolling animation at the end).
  void setContentOffset(CGPoint offset, bool animated);
  CGSize contentSize() const { return contentSize_; }
  void setContentSize(CGSize size);
  UIEdgeInsets contentInset() const { return contentInset_; }
  void setContentInset(UIEdgeInsets insets);
  UIEdgeInsets scrollIndicatorInsets() const { return indicatorInsets_; }
  void setScrollIndicatorInsets(UIEdgeInsets insets) { indicatorInsets_ = insets; }
  // Scrolls the least that shows the rectangle (content coordinates), within the limits.
  void scrollRectToVisible(CGRect rect, bool animated);
  // The offsets the content may rest at.
  CGPoint minimumContentOffset() const;
  CGPoint maximumContentOffset() const;

  // ---- behaviour
  bool isScrollEnabled() const { return scrollEnabled_; }
  void setScrollEnabled(bool enabled);
  bool isPagingEnabled() const { return pagingEnabled_; }
  void setPagingEnabled(bool enabled) { pagingEnabled_ = enabled; }
  bool bounces() const { return bounces_; }
  void setBounces(bool bounces) { bounces_ = bounces; }
  bool alwaysBounceVertical() const { return alwaysBounceVertical_; }
  void setAlwaysBounceVertical(bool b) { alwaysBounceVertical_ = b; }
  bool alwaysBounceHorizontal() const { return alwaysBounceHorizontal_; }
  void setAlwaysBounceHorizontal(bool b) { alwaysBounceHorizontal_ = b; }
  bool isDirectionalLockEnabled() const { return directionalLock_; }
  void setDirectionalLockEnabled(bool locked) { directionalLock_ = locked; }
  CGFloat decelerationRate() const { return decelerationRate_; }
  void setDecelerationRate(CGFloat rate) { decelerationRate_ = rate; }
  bool scrollsToTop() const { return scrollsToTop_; }
  void setScrollsToTop(bool s) { scrollsToTop_ = s; }
  bool delaysContentTouches() const { return delaysContentTouches_; }
  void setDelaysContentTouches(bool delays);
  bool canCancelContentTouches() const { return canCancelContentTouches_; }
  void setCanCancelContentTouches(bool can) { canCancelContentTouches_ = can; }
  // Whether a drag may take a touch away from the content view; the default: unless it is a
  // control.
  virtual bool touchesShouldCancelInContentView(const std::shared_ptr<UIView>& view);

  // Stored; the indicators are not drawn.
  bool showsVerticalScrollIndicator() const { return showsVertical_; }
  void setShowsVerticalScrollIndicator(bool s) { showsVertical_ = s; }
  bool showsHorizontalScrollIndicator() const { return showsHorizontal_; }
  void setShowsHorizontalScrollIndicator(bool s) { showsHorizontal_ = s; }
  UIScrollViewIndicatorStyle indicatorStyle() const { return indicatorStyle_; }
  void setIndicatorStyle(UIScrollViewIndicatorStyle s) { indicatorStyle_ = s; }
  void flashScrollIndicators() {}

  // ---- state
  // A finger is on the content (possibly not dragging yet).
  bool isTracking() const { return tracking_; }
  bool isDragging() const { return dragging_; }
  bool isDecelerating() const { return decelerating_; }
  bool isZooming() const { return zooming_; }
  bool isZoomBouncing() const { return zoomBouncing_; }

  const std::shared_ptr<UIPanGestureRecognizer>& panGestureRecognizer() const { return pan_; }
  // Made when zooming is possible.
  std::shared_ptr<UIPinchGestureRecognizer> pinchGestureRecognizer() const { return pinch_; }

  // ---- zooming
  CGFloat minimumZoomScale() const { return minimumZoomScale_; }
  void setMinimumZoomScale(CGFloat s);
  CGFloat maximumZoomScale() const { return maximumZoomScale_; }
  void setMaximumZoomScale(CGFloat s);
  CGFloat zoomScale() const { return zoomScale_; }
  // Kept within the limits; scales the view for zooming and resizes the content.
  void setZoomScale(CGFloat scale, bool animated = false);
  bool bouncesZoom() const { return bouncesZoom_; }
  void setBouncesZoom(bool b) { bouncesZoom_ = b; }
  // Zooms so that the rectangle (in the zoomed view's coordinates) fills the bounds.
  void zoomToRect(CGRect rect, bool animated);

  // The system's tap on the status bar: the one shown scroll view of the key window that
  // scrolls to top (and whose delegate agrees) goes to its top, animated.  False when there is
  // no such view or more than one.
  static bool scrollToTopFromStatusBar();

 protected:
  // After every change of the offset, before the delegate hears of it (tables lay out here).
  virtual void contentOffsetDidChange() {}
  void describeAttributes(std::string& line) const override;

 private:
  friend class UIEventDriver;
  friend class UIScrollViewPanGestureRecognizer;
  friend class UIScrollViewDelayGestureRecognizer;
  enum class Motion { None, Decelerating, Animating, Zooming };

  std::shared_ptr<UIScrollView> selfPtr();
  void setOffsetInternal(CGPoint offset);
  bool canScrollHorizontally() const;
  bool canScrollVertically() const;
  void panned(const Value& recognizer);
  // Where a drag from `start` that moved the content by `moved` puts it (lockedAxis_ applies).
  CGPoint draggedOffset(CGPoint start, CGPoint moved) const;
  // The wheel: false when the view cannot scroll that way (or a finger is on it).
  bool wheelDrag(CGPoint moved);
  void endWheelDrag();
  void pinched(const Value& recognizer);
  void endDragging(CGPoint velocity);
  void startMotion(Motion motion);
  void stopMotion();
  void step();
  void finishMotion();
  void updateZooming();
  std::shared_ptr<UIView> viewForZooming();
  void applyZoom(CGFloat scale, CGPoint anchorInBounds);
  CGPoint pageTarget(CGPoint velocity) const;
  CGPoint decelerationTarget(CGPoint velocity) const;

  std::weak_ptr<UIScrollViewDelegate> delegate_;
  CGSize contentSize_;
  UIEdgeInsets contentInset_;
  UIEdgeInsets indicatorInsets_;
  bool scrollEnabled_ = true;
  bool pagingEnabled_ = false;
  bool bounces_ = true;
  bool alwaysBounceVertical_ = false;
  bool alwaysBounceHorizontal_ = false;
  bool directionalLock_ = false;
  CGFloat decelerationRate_ = UIScrollViewDecelerationRateNormal;
  bool scrollsToTop_ = true;
  bool delaysContentTouches_ = true;
  bool canCancelContentTouches_ = true;
  bool showsVertical_ = true;
  bool showsHorizontal_ = true;
  UIScrollViewIndicatorStyle indicatorStyle_ = UIScrollViewIndicatorStyle::Default;
  CGFloat minimumZoomScale_ = 1;
  CGFloat maximumZoomScale_ = 1;
  CGFloat zoomScale_ = 1;
  bool bouncesZoom_ = true;

  bool tracking_ = false;
  bool dragging_ = false;
  bool decelerating_ = false;
  bool zooming_ = false;
  bool zoomBouncing_ = false;
  int lockedAxis_ = 0;  // directional lock: 1 across, 2 down
  CGPoint dragStart_;
  // A wheel's drag: how far it has moved the content, and the timer that ends it.
  CGPoint wheelMoved_;
  std::shared_ptr<NSTimer> wheelTimer_;

  std::shared_ptr<UIPanGestureRecognizer> pan_;
  std::shared_ptr<UIGestureRecognizer> delay_;
  std::shared_ptr<UIPinchGestureRecognizer> pinch_;
  CGFloat pinchStartScale_ = 1;

  // The motion after a drag or an animated change, one step a frame.
  Motion motion_ = Motion::None;
  std::shared_ptr<NSTimer> timer_;
  double lastStep_ = 0;
  CGPoint velocity_;  // points per second
  // An animated change: from, to, start time; a paged or springing deceleration aims at target_.
  CGPoint animFrom_, target_;
  double animStart_ = 0;
  bool aimed_ = false;
  bool scrollingToTop_ = false;
  // A zoom that springs back into its limits.
  CGFloat zoomFrom_ = 1, zoomTo_ = 1;
  CGPoint zoomAnchor_;
};

// Views: a tree of rectangles with a layer-like state.  A view owns its subviews (in order, the
// last on top) and keeps a plain back pointer to its superview, cleared when the superview goes.
// Views are created with std::make_shared; everything here runs on the main thread.
//
// Each view has a layer (QuartzCore) that holds its geometry and look and is drawn by the
// window's compositor: background colour (plain or a pattern image), corner radius, border,
// shadow, alpha, hidden, clipping, transform.  A view that draws itself overrides drawRect,
// which runs with the view's context current (UIGraphicsGetCurrentContext) on the next frame
// after setNeedsDisplay or a change of its size; the drawing is kept until then.  Every view
// asks for one drawing when made; a view whose drawRect paints nothing keeps no picture.
//
// Layout follows the platform: layoutSubviews runs on the next pass of the main run loop after
// setNeedsLayout or a change of the bounds size (for views in a window), or at once with
// layoutIfNeeded.
//
// Animations set their end values at once (the animation block runs inside the call) and report
// their end (completion block, did-stop selector) when the main run loop's clock passes the
// delay plus the duration.
//
// Touches go to the view that hitTest finds: the deepest subview (front first) that contains the
// point and takes touches (not hidden, alpha of 0.01 or more, user interaction on).  A point
// outside a view's bounds reaches none of its subviews, whether it clips them or not.  Points
// and rectangles convert between any two views through their frames, bounds and transforms
// (between windows through the screen); a null view means the window.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "CoreGraphics/CGAffineTransform.h"
#include "CoreGraphics/CGGeometry.h"
#include "Foundation/NSObject.h"
#include "Foundation/Value.h"
#include "QuartzCore/CALayer.h"
#include "UIKit/UIResponder.h"

class UIColor;
class UIEvent;
class UIGestureRecognizer;
class UIViewController;
class UIWindow;

using UIViewAutoresizing = unsigned;
inline constexpr UIViewAutoresizing UIViewAutoresizingNone = 0;
inline constexpr UIViewAutoresizing UIViewAutoresizingFlexibleLeftMargin = 1 << 0;
inline constexpr UIViewAutoresizing UIViewAutoresizingFlexibleWidth = 1 << 1;
inline constexpr UIViewAutoresizing UIViewAutoresizingFlexibleRightMargin = 1 << 2;
inline constexpr UIViewAutoresizing UIViewAutoresizingFlexibleTopMargin = 1 << 3;
inline constexpr UIViewAutoresizing UIViewAutoresizingFlexibleHeight = 1 << 4;
inline constexpr UIViewAutoresizing UIViewAutoresizingFlexibleBottomMargin = 1 << 5;

enum class UIViewContentMode {
  ScaleToFill = 0,
  ScaleAspectFit = 1,
  ScaleAspectFill = 2,
  Redraw = 3,
  Center = 4,
  Top = 5,
  Bottom = 6,
  Left = 7,
  Right = 8,
  TopLeft = 9,
  TopRight = 10,
  BottomLeft = 11,
  BottomRight = 12
};

enum class UIViewAnimationCurve { EaseInOut = 0, EaseIn = 1, EaseOut = 2, Linear = 3 };
enum class UIViewAnimationTransition {
  None = 0,
  FlipFromLeft = 1,
  FlipFromRight = 2,
  CurlUp = 3,
  CurlDown = 4
};

using UIViewAnimationOptions = unsigned;
inline constexpr UIViewAnimationOptions UIViewAnimationOptionAllowUserInteraction = 1 << 1;
inline constexpr UIViewAnimationOptions UIViewAnimationOptionBeginFromCurrentState = 1 << 2;
inline constexpr UIViewAnimationOptions UIViewAnimationOptionCurveEaseInOut = 0 << 16;
inline constexpr UIViewAnimationOptions UIViewAnimationOptionCurveEaseIn = 1 << 16;
inline constexpr UIViewAnimationOptions UIViewAnimationOptionCurveEaseOut = 2 << 16;
inline constexpr UIViewAnimationOptions UIViewAnimationOptionCurveLinear = 3 << 16;

// An animation committed and not yet ended, as tests see it.
struct UIViewAnimationRecord {
  std::string animationID;  // the name given to beginAnimations; empty for block animations
  Value context;
  double duration = 0;
  double delay = 0;
  UIViewAnimationCurve curve = UIViewAnimationCurve::EaseInOut;
  UIViewAnimationTransition transition = UIViewAnimationTransition::None;
  double commitTime = 0;  // on the main run loop's clock
  // When the completion runs: commitTime + delay + duration (0 while animations are off).
  double endTime = 0;
};

class UIView : public UIResponder, public CALayerDelegate {
  NS_CLASS(UIView, UIResponder)
 public:
  UIView();
  // A view subclass that wants a layer of its own kind (a gradient layer) passes it here.
  explicit UIView(CGRect frame, std::shared_ptr<CALayer> layer = nullptr);
  ~UIView() override;
  UIView(const UIView&) = delete;
  UIView& operator=(const UIView&) = delete;

  // The controller whose root view this is, else the superview.
  std::shared_ptr<UIResponder> nextResponder() const override;

  // ---- geometry.  The frame is derived from the center, the bounds size and the transform:
  // with a transform it is the box around the transformed bounds.
  CGRect frame() const;
  // Sets the center and, while the transform is identity or a plain scale, the bounds size.
  // Subclasses may size themselves their own way (every frame change comes through here).
  virtual void setFrame(CGRect frame);
  CGRect bounds() const { return layer_->bounds(); }
  void setBounds(CGRect bounds);
  CGPoint center() const { return layer_->position(); }
  void setCenter(CGPoint center);
  CGAffineTransform transform() const { return layer_->affineTransform(); }
  void setTransform(CGAffineTransform transform);
  // The size that fits the view's content within `size` (default: the current size).
  virtual CGSize sizeThatFits(CGSize size) const;
  // Resizes the view to sizeThatFits its current size, keeping its origin.
  void sizeToFit();

  // ---- appearance
  CGFloat alpha() const { return alpha_; }
  // Kept within 0 ... 1.
  void setAlpha(CGFloat alpha);
  bool isHidden() const { return layer_->isHidden(); }
  virtual void setHidden(bool hidden);
  std::shared_ptr<UIColor> backgroundColor() const { return backgroundColor_; }
  virtual void setBackgroundColor(std::shared_ptr<UIColor> color);
  bool clipsToBounds() const { return layer_->masksToBounds(); }
  void setClipsToBounds(bool clips) { layer_->setMasksToBounds(clips); }
  bool isOpaque() const { return layer_->isOpaque(); }
  void setOpaque(bool opaque) { layer_->setOpaque(opaque); }
  UIViewContentMode contentMode() const { return contentMode_; }
  void setContentMode(UIViewContentMode mode);
  // The part of the view's picture (unit coordinates) that stretches when it is shown larger
  // or smaller (an image view's picture; drawn pictures are drawn again at a new size).
  CGRect contentStretch() const { return contentStretch_; }
  virtual void setContentStretch(CGRect r);
  bool clearsContextBeforeDrawing() const { return clearsContextBeforeDrawing_; }
  void setClearsContextBeforeDrawing(bool clears) { clearsContextBeforeDrawing_ = clears; }

  // ---- drawing
  // The layer that carries the view's look (corner radius, border, shadow: set them there).
  const std::shared_ptr<CALayer>& layer() const { return layer_; }
  // Draws the view's own picture into the current context, in the view's bounds coordinates.
  // The default draws nothing.
  virtual void drawRect(CGRect rect);
  void setNeedsDisplay();
  // The whole view is drawn again.
  void setNeedsDisplayInRect(CGRect rect);
  bool isUserInteractionEnabled() const { return userInteractionEnabled_; }
  void setUserInteractionEnabled(bool enabled) { userInteractionEnabled_ = enabled; }
  // Off by default: the view gets only the first finger that touches it.
  bool isMultipleTouchEnabled() const { return multipleTouchEnabled_; }
  void setMultipleTouchEnabled(bool enabled) { multipleTouchEnabled_ = enabled; }
  // While a finger is on an exclusive-touch view, no other view gets a new finger.
  bool isExclusiveTouch() const { return exclusiveTouch_; }
  void setExclusiveTouch(bool exclusive) { exclusiveTouch_ = exclusive; }
  long tag() const { return tag_; }
  void setTag(long tag) { tag_ = tag; }
  // Stored only: superviews do not resize their subviews yet.
  UIViewAutoresizing autoresizingMask() const { return autoresizingMask_; }
  void setAutoresizingMask(UIViewAutoresizing mask) { autoresizingMask_ = mask; }

  // ---- the tree
  std::shared_ptr<UIView> superview() const;
  // Back to front.
  const std::vector<std::shared_ptr<UIView>>& subviews() const { return subviews_; }
  // The window the view is in (a window is in itself); nullptr when none.
  std::shared_ptr<UIWindow> window() const;
  // Adds the view on top, taking it from its old superview (or moving it to the top when it is
  // already a subview).  A view cannot be added to itself or below itself: such calls do nothing.
  void addSubview(const std::shared_ptr<UIView>& view);
  // insertSubview:atIndex: (an index past the end adds on top).  A subview being moved is
  // taken out first, so the index counts the others.
  void insertSubview(const std::shared_ptr<UIView>& view, size_t index);
  // Just above / below a sibling; a "sibling" that is not a subview makes it addSubview.
  void insertSubviewAboveSubview(const std::shared_ptr<UIView>& view,
                                 const std::shared_ptr<UIView>& sibling);
  void insertSubviewBelowSubview(const std::shared_ptr<UIView>& view,
                                 const std::shared_ptr<UIView>& sibling);
  // Do nothing for views that are not subviews.
  void bringSubviewToFront(const std::shared_ptr<UIView>& view);
  void sendSubviewToBack(const std::shared_ptr<UIView>& view);
  void removeFromSuperview();
  // Told after the view was added to a superview, moved within it or removed from it.
  virtual void didMoveToSuperview() {}
  // True for the view itself too.
  bool isDescendantOfView(const std::shared_ptr<UIView>& view) const;
  // The receiver when its tag matches, else the first match depth-first among the subviews in
  // order (back to front).
  std::shared_ptr<UIView> viewWithTag(long tag);

  // ---- touches
  // The deepest view at the point (in this view's coordinates) that takes touches, this view
  // when no subview does, nullptr when this view does not take them or the point is outside.
  virtual std::shared_ptr<UIView> hitTest(CGPoint point, UIEvent* event);
  // Whether the point (in this view's coordinates) is in the bounds.
  virtual bool pointInside(CGPoint point, UIEvent* event) const;
  // Conversions to and from another view's coordinates (nullptr: this view's window).
  CGPoint convertPointToView(CGPoint point, const UIView* view) const;
  CGPoint convertPointFromView(CGPoint point, const UIView* view) const;
  CGRect convertRectToView(CGRect rect, const UIView* view) const;
  CGRect convertRectFromView(CGRect rect, const UIView* view) const;
  CGPoint convertPointToView(CGPoint p, const std::shared_ptr<UIView>& v) const {
    return convertPointToView(p, v.get());
  }
  CGPoint convertPointFromView(CGPoint p, const std::shared_ptr<UIView>& v) const {
    return convertPointFromView(p, v.get());
  }
  CGRect convertRectToView(CGRect r, const std::shared_ptr<UIView>& v) const {
    return convertRectToView(r, v.get());
  }
  CGRect convertRectFromView(CGRect r, const std::shared_ptr<UIView>& v) const {
    return convertRectFromView(r, v.get());
  }

  // ---- gesture recognisers (the view keeps them; a recogniser is on one view at a time)
  void addGestureRecognizer(const std::shared_ptr<UIGestureRecognizer>& recognizer);
  void removeGestureRecognizer(const std::shared_ptr<UIGestureRecognizer>& recognizer);
  const std::vector<std::shared_ptr<UIGestureRecognizer>>& gestureRecognizers() const {
    return recognizers_;
  }
  // Asked of the recogniser's view before it begins; the default lets it.
  virtual bool gestureRecognizerShouldBegin(const std::shared_ptr<UIGestureRecognizer>&) {
    return true;
  }
  // Asked of the view a touch hit when a recogniser of a view above it is about to begin; an
  // enabled control keeps its own taps from a one-finger tap recogniser.
  virtual bool allowsGestureRecognizerAbove(const UIGestureRecognizer&) const { return true; }

  // Resigns the first responder if it is this view or one below it (force: even if it refuses).
  // Returns whether it did (or there was none).
  bool endEditing(bool force);

  // ---- layout
  void setNeedsLayout();
  bool needsLayout() const { return needsLayout_; }
  // Runs layoutSubviews now where it is due, in this view and below.
  void layoutIfNeeded();
  // Positions the subviews; the default does nothing.
  virtual void layoutSubviews() {}

  // ---- inspection
  // The tree from this view down, one view a line, indented two blanks a level:
  //   UIWindow frame=(0 0; 320 480)
  //     UIImageView frame=(0 20; 320 460) tag=1013 image="Default"
  // After the class and frame come, when they differ from the defaults: tag, hidden, alpha,
  // transform, and what the class adds (a label's text, an image view's image name).  Due
  // layout runs first.
  std::string dump();

  // ---- the layer's drawing (CALayerDelegate): drawRect with the context current; no
  // implicit animations.
  void drawLayerInContext(CALayer& layer, const CGContextRef& ctx) override;
  std::optional<std::shared_ptr<CAAnimation>> actionForLayer(CALayer& layer,
                                                             std::string_view key) override;

  // ---- animations (class methods)
  static void animateWithDuration(double duration, std::function<void()> animations,
                                  std::function<void(bool finished)> completion = {});
  static void animateWithDuration(double duration, double delay, UIViewAnimationOptions options,
                                  std::function<void()> animations,
                                  std::function<void(bool finished)> completion);
  // begin/commit blocks nest; the setters below apply to the innermost open block and are
  // ignored outside one.
  static void beginAnimations(std::string_view animationID = {}, Value context = {});
  static void commitAnimations();
  static void setAnimationDuration(double duration);  // default 0.2 s
  static void setAnimationDelay(double delay);
  static void setAnimationCurve(UIViewAnimationCurve curve);
  static void setAnimationTransition(UIViewAnimationTransition transition,
                                     const std::shared_ptr<UIView>& forView, bool cache);
  // The did-stop selector receives the animation ID (nil when none was given).  When a delegate
  // is set, the selector is only called while the delegate lives.
  static void setAnimationDelegate(std::weak_ptr<void> delegate);
  static void setAnimationDidStopSelector(Selector selector);
  // With animations off, blocks still run and end on the next pass of the main run loop.
  static bool areAnimationsEnabled();
  static void setAnimationsEnabled(bool enabled);
  // Committed animations whose end has not been reported yet, in commit order.
  static std::vector<UIViewAnimationRecord> runningAnimations();

 protected:
  // Appends " key=value" attributes of the subclass to a dump line.
  virtual void describeAttributes(std::string& line) const;
  // Whether a subview appears in dumps (a button's own title and image views do not).
  virtual bool dumpsSubview(const UIView&) const { return true; }
  // Text in double quotes with quotes, backslashes and line breaks escaped, for dumps.
  static std::string quoted(std::string_view text);

 private:
  void dumpInto(std::string& out, int depth) const;
  void attach(std::shared_ptr<UIView> view, size_t index);
  size_t indexBeside(const std::shared_ptr<UIView>& view, const std::shared_ptr<UIView>& sibling,
                     bool above) const;
  void detachFromSuperview();
  void sizeMayHaveChanged(CGSize old);
  void requestLayoutPass();
  // This view's coordinates -> the coordinates of the superlayer of its topmost ancestor (the
  // screen, for a view in a window).
  CGAffineTransform transformToRoot() const;
  friend class UIViewController;

  UIView* superview_ = nullptr;
  UIViewController* controller_ = nullptr;  // the controller whose root view this is
  std::vector<std::shared_ptr<UIGestureRecognizer>> recognizers_;
  bool multipleTouchEnabled_ = false;
  bool exclusiveTouch_ = false;
  std::vector<std::shared_ptr<UIView>> subviews_;
  std::shared_ptr<CALayer> layer_;
  CGFloat alpha_ = 1;
  UIViewContentMode contentMode_ = UIViewContentMode::ScaleToFill;
  CGRect contentStretch_{{0, 0}, {1, 1}};
  bool clearsContextBeforeDrawing_ = true;
  bool userInteractionEnabled_ = true;
  bool needsLayout_ = true;
  long tag_ = 0;
  UIViewAutoresizing autoresizingMask_ = UIViewAutoresizingNone;
  std::shared_ptr<UIColor> backgroundColor_;
};

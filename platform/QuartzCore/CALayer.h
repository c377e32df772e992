// Layers: the drawing half of every view.  A layer has a geometry (bounds, position, anchor
// point, transform), a look (background colour, contents image with its gravity and scale,
// corner radius, border, shadow, opacity, hidden, masks-to-bounds), sublayers drawn over it in
// order, and animations under keys.
//
// Geometry is the platform's (iOS) one: y grows downwards; the layer's position is where its
// anchor point (default: the middle) sits in the superlayer; the frame is derived.
//
// Drawing.  A layer that must draw itself (setNeedsDisplay) does so on its next display: a
// subclass's drawInContext, or its delegate (the view that owns it) draws into a fresh context
// of the bounds at contentsScale pixels a point, and what was painted becomes the contents.
// When nothing was painted the layer keeps no drawn contents.  renderInContext draws the layer
// and its sublayers into a context (displaying those that need it first): background (rounded
// by the corner radius), contents, the subclass's own drawing (gradients), sublayers, border;
// clipped to the (rounded) bounds when masking; as one group with the opacity and shadow.
//
// Implicit animations.  Changing an animatable property of a layer that no view owns adds a
// CABasicAnimation under the property's name, lasting the transaction's duration, unless the
// transaction disables actions; the new value is the model value at once.  Main thread only.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "CoreGraphics/CGColor.h"
#include "CoreGraphics/CGContext.h"
#include "CoreGraphics/CGGeometry.h"
#include "CoreGraphics/CGImage.h"
#include "CoreGraphics/CGPath.h"
#include "Foundation/NSObject.h"
#include "QuartzCore/CAAnimation.h"
#include "QuartzCore/CATransaction.h"
#include "QuartzCore/CATransform3D.h"

class CALayer;

inline constexpr std::string_view kCAGravityCenter = "center";
inline constexpr std::string_view kCAGravityTop = "top";
inline constexpr std::string_view kCAGravityBottom = "bottom";
inline constexpr std::string_view kCAGravityLeft = "left";
inline constexpr std::string_view kCAGravityRight = "right";
inline constexpr std::string_view kCAGravityTopLeft = "topLeft";
inline constexpr std::string_view kCAGravityTopRight = "topRight";
inline constexpr std::string_view kCAGravityBottomLeft = "bottomLeft";
inline constexpr std::string_view kCAGravityBottomRight = "bottomRight";
inline constexpr std::string_view kCAGravityResize = "resize";
inline constexpr std::string_view kCAGravityResizeAspect = "resizeAspect";
inline constexpr std::string_view kCAGravityResizeAspectFill = "resizeAspectFill";

inline constexpr std::string_view kCAFilterLinear = "linear";
inline constexpr std::string_view kCAFilterNearest = "nearest";
inline constexpr std::string_view kCAFilterTrilinear = "trilinear";

// What a layer asks of the object that draws it (a view for its own layer).
class CALayerDelegate {
 public:
  virtual ~CALayerDelegate() = default;
  // Fills the layer's contents itself; false to let the layer draw (drawLayerInContext).
  virtual bool displayLayer(CALayer&) { return false; }
  virtual void drawLayerInContext(CALayer&, const CGContextRef&) {}
  // The action for a changed property: nullopt to let the layer decide, a null animation for
  // none (a view's own layer animates only inside view animations).
  virtual std::optional<std::shared_ptr<CAAnimation>> actionForLayer(CALayer&, std::string_view) {
    return std::nullopt;
  }
};

class CALayer : public NSObject {
  NS_CLASS(CALayer, NSObject)
 public:
  CALayer();
  virtual ~CALayer();
  CALayer(const CALayer&) = delete;
  CALayer& operator=(const CALayer&) = delete;

  static std::shared_ptr<CALayer> layer() { return std::make_shared<CALayer>(); }

  // ---- geometry
  CGRect bounds() const { return bounds_; }
  void setBounds(CGRect bounds);
  CGPoint position() const { return position_; }
  void setPosition(CGPoint position);
  CGPoint anchorPoint() const { return anchorPoint_; }
  void setAnchorPoint(CGPoint anchor);
  CGFloat zPosition() const { return zPosition_; }
  void setZPosition(CGFloat z) { set(zPosition_, z); }
  CATransform3D transform() const { return transform_; }
  void setTransform(const CATransform3D& t);
  CGAffineTransform affineTransform() const { return CATransform3DGetAffineTransform(transform_); }
  void setAffineTransform(const CGAffineTransform& t);
  CATransform3D sublayerTransform() const { return sublayerTransform_; }
  void setSublayerTransform(const CATransform3D& t) { set(sublayerTransform_, t); }
  // The box around the transformed bounds in the superlayer.
  CGRect frame() const;
  // Sets the position and, while the transform is the identity or a plain scale, the bounds
  // size; a rotated layer keeps its bounds.
  void setFrame(CGRect frame);
  // The layer's own space -> the superlayer's (and back).
  CGAffineTransform transformToSuperlayer() const;
  CGPoint convertPointToLayer(CGPoint p, const std::shared_ptr<CALayer>& layer) const;

  // ---- look
  bool isHidden() const { return hidden_; }
  void setHidden(bool hidden);
  float opacity() const { return opacity_; }
  void setOpacity(float opacity);
  bool masksToBounds() const { return masksToBounds_; }
  void setMasksToBounds(bool masks) { set(masksToBounds_, masks); }
  bool isOpaque() const { return opaque_; }
  void setOpaque(bool opaque) { set(opaque_, opaque); }
  CGColorRef backgroundColor() const { return backgroundColor_; }
  void setBackgroundColor(CGColorRef color);
  CGFloat cornerRadius() const { return cornerRadius_; }
  void setCornerRadius(CGFloat radius);
  CGFloat borderWidth() const { return borderWidth_; }
  void setBorderWidth(CGFloat width);
  // Default opaque black.
  CGColorRef borderColor() const { return borderColor_; }
  void setBorderColor(CGColorRef color);
  CGColorRef shadowColor() const { return shadowColor_; }
  void setShadowColor(CGColorRef color) { set(shadowColor_, std::move(color)); }
  // 0 (the default) draws no shadow.
  float shadowOpacity() const { return shadowOpacity_; }
  void setShadowOpacity(float opacity);
  // Default (0, -3): up; positive heights go down.
  CGSize shadowOffset() const { return shadowOffset_; }
  void setShadowOffset(CGSize offset) { set(shadowOffset_, offset); }
  // The blur (default 3).
  CGFloat shadowRadius() const { return shadowRadius_; }
  void setShadowRadius(CGFloat radius) { set(shadowRadius_, radius); }
  // Kept; the shadow is always cast by what the layer draws.
  CGPathRef shadowPath() const { return shadowPath_; }
  void setShadowPath(CGPathRef path) {
    shadowPath_ = std::move(path);
    noteChange();
  }

  // ---- contents
  CGImageRef contents() const { return contents_; }
  void setContents(CGImageRef image);
  const std::string& contentsGravity() const { return contentsGravity_; }
  void setContentsGravity(std::string_view gravity) { set(contentsGravity_, std::string(gravity)); }
  // Pixels a point of the contents (1 by default; a view's layer has the screen's scale).
  CGFloat contentsScale() const { return contentsScale_; }
  void setContentsScale(CGFloat scale);
  // The part of the contents shown, in unit coordinates (default (0, 0, 1, 1)).
  CGRect contentsRect() const { return contentsRect_; }
  void setContentsRect(CGRect r) { set(contentsRect_, r); }
  // The stretched middle of the contents, in unit coordinates; the parts around it keep their
  // size (default (0, 0, 1, 1): all of it stretches).
  CGRect contentsCenter() const { return contentsCenter_; }
  void setContentsCenter(CGRect r) { set(contentsCenter_, r); }
  // How contents are scaled up and down: kCAFilterLinear (the default) or kCAFilterNearest.
  const std::string& magnificationFilter() const { return magnificationFilter_; }
  void setMagnificationFilter(std::string_view filter) {
    set(magnificationFilter_, std::string(filter));
  }
  const std::string& minificationFilter() const { return minificationFilter_; }
  void setMinificationFilter(std::string_view filter) {
    set(minificationFilter_, std::string(filter));
  }
  bool needsDisplayOnBoundsChange() const { return needsDisplayOnBoundsChange_; }
  void setNeedsDisplayOnBoundsChange(bool needs) { needsDisplayOnBoundsChange_ = needs; }

  // ---- the tree
  std::shared_ptr<CALayer> superlayer() const;
  const std::vector<std::shared_ptr<CALayer>>& sublayers() const { return sublayers_; }
  // Taken from its old superlayer first; an index past the end adds on top.  A layer cannot be
  // added to itself or below itself.
  void addSublayer(const std::shared_ptr<CALayer>& layer);
  void insertSublayer(const std::shared_ptr<CALayer>& layer, size_t index);
  // A sibling that is not a sublayer makes these add on top.
  void insertSublayerAbove(const std::shared_ptr<CALayer>& layer,
                           const std::shared_ptr<CALayer>& sibling);
  void insertSublayerBelow(const std::shared_ptr<CALayer>& layer,
                           const std::shared_ptr<CALayer>& sibling);
  void replaceSublayer(const std::shared_ptr<CALayer>& old, const std::shared_ptr<CALayer>& layer);
  void removeFromSuperlayer();
  bool isDescendantOf(const CALayer* layer) const;

  // ---- delegate and drawing
  std::shared_ptr<CALayerDelegate> delegate() const;
  void setDelegate(std::weak_ptr<CALayerDelegate> delegate);
  // The object that owns this layer and draws it (a view for its own layer); cleared by it
  // before it goes.
  void setOwner(CALayerDelegate* owner) { owner_ = owner; }
  bool hasOwner() const { return owner_ != nullptr; }

  void setNeedsDisplay();
  bool needsDisplay() const { return needsDisplay_; }
  void displayIfNeeded();
  // Fills the contents: the delegate's displayLayer, else a drawing pass of drawInContext.
  virtual void display();
  // Draws the layer's own picture (default: the delegate's drawLayerInContext).
  virtual void drawInContext(const CGContextRef& ctx);
  // Draws the layer and its sublayers into the context, in the context's current space.
  void renderInContext(const CGContextRef& ctx);

  // ---- animations
  // A copy of the animation is added under the key (a new one under the same key replaces the
  // old, which stops unfinished).  An empty key is allowed and never replaces.  The copy's
  // begin time is now when it was 0, its duration the transaction's when it was 0.
  void addAnimation(const std::shared_ptr<CAAnimation>& animation, std::string_view key);
  std::shared_ptr<CAAnimation> animationForKey(std::string_view key) const;
  void removeAnimationForKey(std::string_view key);
  void removeAllAnimations();
  // In the order they were added.
  std::vector<std::string> animationKeys() const;

  // ---- the screen
  // Whoever shows layers on a screen (a window backend) learns through this when what it shows
  // may have changed: the first change of any layer (a property, the tree, contents to redraw)
  // after the last takeChanges() runs the observer, once.  The observer schedules a frame; the
  // frame, once drawn, calls takeChanges(), which answers whether anything changed since the
  // last call (changes made while the frame is drawn are in it).  Main thread only.
  static void setChangeObserver(std::function<void()> observer);
  static bool takeChanges();

  // The layer's name (for dumps).
  const std::string& name() const { return name_; }
  void setName(std::string_view name) { name_ = std::string(name); }

 protected:
  // Drawing of a subclass between the contents and the sublayers (gradients).
  virtual void renderOwnContent(const CGContextRef&) {}
  // Runs the implicit action for a changed property (see the header comment).
  void propertyChanged(std::string_view key, CAValue from, CAValue to);
  // Sets the field and runs the property's action; false when the value is the same.
  template <class T>
  bool change(std::string_view key, T& field, T value) {
    if (same(field, value)) return false;
    T old = std::move(field);
    field = value;
    propertyChanged(key, toValue(std::move(old)), toValue(std::move(value)));
    return true;
  }

 private:
  struct Running;
  // The first change after takeChanges() tells the observer.
  static void noteChange();
  // Sets a property that has no implicit animation.
  template <class T>
  void set(T& field, T value) {
    if (same(field, value)) return;
    field = std::move(value);
    noteChange();
  }
  template <class T>
  static bool same(const T& a, const T& b) {
    if constexpr (std::is_same_v<T, CGColorRef>) {
      return CGColor::equalToColor(a, b);
    } else {
      return a == b;
    }
  }
  template <class T>
  static CAValue toValue(T v) {
    if constexpr (std::is_same_v<T, float>) {
      return double(v);
    } else {
      return v;
    }
  }
  void insertBeside(const std::shared_ptr<CALayer>& layer, const std::shared_ptr<CALayer>& sibling,
                    bool above);
  void attach(std::shared_ptr<CALayer> layer, size_t index);
  void detach();
  void renderLayer(const CGContextRef& ctx);
  void drawContents(const CGContextRef& ctx);
  void endAnimation(uint64_t id, bool finished);

  CALayer* superlayer_ = nullptr;
  std::vector<std::shared_ptr<CALayer>> sublayers_;
  CGRect bounds_;
  CGPoint position_;
  CGPoint anchorPoint_{0.5, 0.5};
  CGFloat zPosition_ = 0;
  CATransform3D transform_;
  CATransform3D sublayerTransform_;
  bool hidden_ = false;
  float opacity_ = 1;
  bool masksToBounds_ = false;
  bool opaque_ = false;
  CGColorRef backgroundColor_;
  CGFloat cornerRadius_ = 0;
  CGFloat borderWidth_ = 0;
  CGColorRef borderColor_;
  CGColorRef shadowColor_;
  float shadowOpacity_ = 0;
  CGSize shadowOffset_{0, -3};
  CGFloat shadowRadius_ = 3;
  CGPathRef shadowPath_;
  CGImageRef contents_;
  bool contentsFromDisplay_ = false;
  std::string contentsGravity_ = std::string(kCAGravityResize);
  CGFloat contentsScale_ = 1;
  CGRect contentsRect_{{0, 0}, {1, 1}};
  CGRect contentsCenter_{{0, 0}, {1, 1}};
  std::string magnificationFilter_ = std::string(kCAFilterLinear);
  std::string minificationFilter_ = std::string(kCAFilterLinear);
  bool needsDisplayOnBoundsChange_ = false;
  bool needsDisplay_ = false;
  std::weak_ptr<CALayerDelegate> delegate_;
  CALayerDelegate* owner_ = nullptr;
  std::string name_;
  std::vector<std::unique_ptr<Running>> animations_;
};

// Draws an image into `rect` of a y-down space: upright, the `contentsRect` part of it (unit
// coordinates), with the `center` part (unit coordinates) stretched and the parts around it
// kept at `scale` pixels a point.  Used by layers and by UIKit's stretchable images.
void CADrawImageStretched(const CGContextRef& ctx, const CGImageRef& image, CGRect rect,
                          CGRect contentsRect, CGRect center, CGFloat scale);

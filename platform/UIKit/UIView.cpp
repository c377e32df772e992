#include "UIKit/UIView.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "Foundation/NSClass.h"
#include "Foundation/NSRunLoop.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIGestureRecognizer.h"
#include "UIKit/UIGraphics.h"
#include "UIKit/UIScreen.h"
#include "UIKit/UIViewController.h"
#include "UIKit/UIWindow.h"

namespace {

// Windows waiting for the layout pass of the next main-loop pass (main thread only).
struct LayoutPass {
  std::vector<std::weak_ptr<UIView>> windows;
  bool scheduled = false;
};

LayoutPass& layoutPass() {
  static LayoutPass pass;
  return pass;
}

std::string number(CGFloat v) {
  if (v == 0) return "0";  // also -0
  char buf[32];
  if (std::fabs(v - std::round(v)) < 1e-9 && std::fabs(v) < 1e15) {
    std::snprintf(buf, sizeof buf, "%.0f", std::round(v));
  } else {
    std::snprintf(buf, sizeof buf, "%.6g", v);
  }
  return buf;
}

}  // namespace

UIView::UIView() : UIView(CGRectZero) {}

UIView::UIView(CGRect frame, std::shared_ptr<CALayer> layer)
    : layer_(layer ? std::move(layer) : std::make_shared<CALayer>()) {
  layer_->setOwner(this);
  layer_->setContentsScale(UIScreen::mainScreen()->scale());
  layer_->setNeedsDisplayOnBoundsChange(true);
  layer_->setBounds({{0, 0}, frame.size});
  layer_->setPosition({CGRectGetMidX(frame), CGRectGetMidY(frame)});
  layer_->setNeedsDisplay();
}

UIView::~UIView() {
  for (auto& v : subviews_) v->superview_ = nullptr;
  for (auto& r : recognizers_) r->view_ = nullptr;
  layer_->setOwner(nullptr);
}

std::shared_ptr<UIResponder> UIView::nextResponder() const {
  if (controller_) {
    if (auto c = controller_->weak_from_this().lock())
      return std::static_pointer_cast<UIResponder>(c);
  }
  return superview();
}

// ---- geometry

CGRect UIView::frame() const {
  return layer_->frame();
}

void UIView::setFrame(CGRect frame) {
  CGSize old = layer_->bounds().size;
  // A rotated view keeps its bounds: its frame does not say what they are.
  layer_->setFrame(frame);
  sizeMayHaveChanged(old);
}

void UIView::setBounds(CGRect bounds) {
  CGSize old = layer_->bounds().size;
  layer_->setBounds(bounds);
  sizeMayHaveChanged(old);
}

void UIView::setCenter(CGPoint center) {
  layer_->setPosition(center);
}

void UIView::setTransform(CGAffineTransform transform) {
  layer_->setAffineTransform(transform);
}

void UIView::sizeMayHaveChanged(CGSize old) {
  if (old != layer_->bounds().size) setNeedsLayout();
}

CGSize UIView::sizeThatFits(CGSize) const {
  return bounds().size;
}

void UIView::sizeToFit() {
  CGRect f = frame();
  f.size = sizeThatFits(bounds().size);
  setFrame(f);
}

// ---- appearance

void UIView::setAlpha(CGFloat alpha) {
  alpha_ = std::isnan(alpha) ? 0 : std::clamp(alpha, 0.0, 1.0);
  layer_->setOpacity(float(alpha_));
}

void UIView::setHidden(bool hidden) {
  layer_->setHidden(hidden);
}

void UIView::setBackgroundColor(std::shared_ptr<UIColor> color) {
  backgroundColor_ = std::move(color);
  layer_->setBackgroundColor(backgroundColor_ ? backgroundColor_->CGColor() : nullptr);
}

void UIView::setContentMode(UIViewContentMode mode) {
  contentMode_ = mode;
  static constexpr std::string_view gravities[] = {
      kCAGravityResize,     kCAGravityResizeAspect, kCAGravityResizeAspectFill,
      kCAGravityResize,     kCAGravityCenter,       kCAGravityTop,
      kCAGravityBottom,     kCAGravityLeft,         kCAGravityRight,
      kCAGravityTopLeft,    kCAGravityTopRight,     kCAGravityBottomLeft,
      kCAGravityBottomRight};
  size_t i = size_t(mode);
  layer_->setContentsGravity(i < std::size(gravities) ? gravities[i] : kCAGravityResize);
}

void UIView::setContentStretch(CGRect r) {
  contentStretch_ = r;
  layer_->setContentsCenter(r);
}

// ---- drawing

void UIView::drawRect(CGRect) {}

void UIView::setNeedsDisplay() {
  layer_->setNeedsDisplay();
}

void UIView::setNeedsDisplayInRect(CGRect) {
  layer_->setNeedsDisplay();
}

void UIView::drawLayerInContext(CALayer&, const CGContextRef& ctx) {
  auto keep = weak_from_this().lock();
  UIGraphicsPushContext(ctx);
  drawRect(bounds());
  UIGraphicsPopContext();
}

std::optional<std::shared_ptr<CAAnimation>> UIView::actionForLayer(CALayer&, std::string_view) {
  return std::shared_ptr<CAAnimation>();
}

// ---- the tree

std::shared_ptr<UIView> UIView::superview() const {
  if (!superview_) return nullptr;
  return std::static_pointer_cast<UIView>(superview_->weak_from_this().lock());
}

std::shared_ptr<UIWindow> UIView::window() const {
  const UIView* v = this;
  while (v->superview_) v = v->superview_;
  auto root = dynamic_cast<const UIWindow*>(v);
  if (!root) return nullptr;
  return std::static_pointer_cast<UIWindow>(
      std::const_pointer_cast<NSObject>(root->weak_from_this().lock()));
}

bool UIView::isDescendantOfView(const std::shared_ptr<UIView>& view) const {
  if (!view) return false;
  for (const UIView* v = this; v; v = v->superview_)
    if (v == view.get()) return true;
  return false;
}

void UIView::attach(std::shared_ptr<UIView> view, size_t index) {
  // By value: the caller's reference may point into a subview list that changes here.  The
  // caller checked that the view is not this one or above it.  The index counts the subviews
  // without the view.
  if (view->superview_ == this) {
    subviews_.erase(std::find(subviews_.begin(), subviews_.end(), view));
  } else {
    view->detachFromSuperview();
  }
  index = std::min(index, subviews_.size());
  // The layers keep the subviews' order among themselves; layers that belong to no subview
  // (a gradient under a button) stay where they are.
  if (index == subviews_.size()) {
    layer_->addSublayer(view->layer_);
  } else {
    layer_->insertSublayerBelow(view->layer_, subviews_[index]->layer_);
  }
  view->superview_ = this;
  UIView* moved = view.get();
  subviews_.insert(subviews_.begin() + long(index), std::move(view));
  setNeedsLayout();
  moved->didMoveToSuperview();
}

void UIView::detachFromSuperview() {
  UIView* parent = superview_;
  if (!parent) return;
  // A view that leaves the tree takes its first responder's status with it.
  if (auto first = std::dynamic_pointer_cast<UIView>(UIResponder::firstResponder());
      first && first->isDescendantOfView(std::static_pointer_cast<UIView>(
                   std::const_pointer_cast<NSObject>(weak_from_this().lock()))))
    first->forceResignFirstResponder();
  auto& list = parent->subviews_;
  auto it = std::find_if(list.begin(), list.end(), [&](const auto& v) { return v.get() == this; });
  superview_ = nullptr;
  layer_->removeFromSuperlayer();
  if (it != list.end()) list.erase(it);  // may release this view: touch nothing after
  parent->setNeedsLayout();
}

void UIView::addSubview(const std::shared_ptr<UIView>& view) {
  if (!view || isDescendantOfView(view)) return;
  attach(view, subviews_.size());
}

void UIView::insertSubview(const std::shared_ptr<UIView>& view, size_t index) {
  if (!view || isDescendantOfView(view)) return;
  attach(view, index);
}

size_t UIView::indexBeside(const std::shared_ptr<UIView>& view,
                           const std::shared_ptr<UIView>& sibling, bool above) const {
  auto at = [&](const std::shared_ptr<UIView>& v) {
    return size_t(std::find(subviews_.begin(), subviews_.end(), v) - subviews_.begin());
  };
  size_t i = at(sibling);
  if (!sibling || i == subviews_.size()) return subviews_.size();  // not a sibling: on top
  if (at(view) < i) --i;                                           // the view leaves first
  return above ? i + 1 : i;
}

void UIView::insertSubviewAboveSubview(const std::shared_ptr<UIView>& view,
                                       const std::shared_ptr<UIView>& sibling) {
  if (!view || view == sibling || isDescendantOfView(view)) return;
  attach(view, indexBeside(view, sibling, true));
}

void UIView::insertSubviewBelowSubview(const std::shared_ptr<UIView>& view,
                                       const std::shared_ptr<UIView>& sibling) {
  if (!view || view == sibling || isDescendantOfView(view)) return;
  attach(view, indexBeside(view, sibling, false));
}

void UIView::bringSubviewToFront(const std::shared_ptr<UIView>& view) {
  // Already in front: nothing moves, so no layout pass is asked for (a table brings its
  // headers to the front at every pass).
  if (view && view->superview_ == this && subviews_.back() != view) attach(view, subviews_.size());
}

void UIView::sendSubviewToBack(const std::shared_ptr<UIView>& view) {
  if (view && view->superview_ == this) attach(view, 0);
}

void UIView::removeFromSuperview() {
  auto keep = weak_from_this().lock();  // the superview may hold the last reference
  bool had = superview_ != nullptr;
  detachFromSuperview();
  if (had) didMoveToSuperview();
}

std::shared_ptr<UIView> UIView::viewWithTag(long tag) {
  if (tag_ == tag) return std::static_pointer_cast<UIView>(weak_from_this().lock());
  for (const auto& v : subviews_)
    if (auto found = v->viewWithTag(tag)) return found;
  return nullptr;
}

// ---- touches

std::shared_ptr<UIView> UIView::hitTest(CGPoint point, UIEvent* event) {
  if (isHidden() || !userInteractionEnabled_ || alpha_ < 0.01) return nullptr;
  if (!pointInside(point, event)) return nullptr;
  auto self = std::static_pointer_cast<UIView>(weak_from_this().lock());
  auto children = subviews_;  // a hit test may change the tree
  for (auto it = children.rbegin(); it != children.rend(); ++it) {
    const auto& child = *it;
    CGPoint p = CGPointApplyAffineTransform(
        point, CGAffineTransformInvert(child->layer_->transformToSuperlayer()));
    if (auto hit = child->hitTest(p, event)) return hit;
  }
  return self;
}

bool UIView::pointInside(CGPoint point, UIEvent*) const {
  return CGRectContainsPoint(bounds(), point);
}

CGAffineTransform UIView::transformToRoot() const {
  CGAffineTransform t = CGAffineTransformIdentity;
  for (const UIView* v = this; v; v = v->superview_)
    t = CGAffineTransformConcat(t, v->layer_->transformToSuperlayer());
  return t;
}

namespace {

const UIView* topmost(const UIView* v) {
  while (auto s = v->superview()) v = s.get();
  return v;
}

}  // namespace

CGPoint UIView::convertPointToView(CGPoint point, const UIView* view) const {
  const UIView* target = view ? view : topmost(this);
  return CGPointApplyAffineTransform(
      point, CGAffineTransformConcat(transformToRoot(),
                                     CGAffineTransformInvert(target->transformToRoot())));
}

CGPoint UIView::convertPointFromView(CGPoint point, const UIView* view) const {
  const UIView* source = view ? view : topmost(this);
  return CGPointApplyAffineTransform(
      point, CGAffineTransformConcat(source->transformToRoot(),
                                     CGAffineTransformInvert(transformToRoot())));
}

CGRect UIView::convertRectToView(CGRect rect, const UIView* view) const {
  const UIView* target = view ? view : topmost(this);
  return CGRectApplyAffineTransform(
      rect, CGAffineTransformConcat(transformToRoot(),
                                    CGAffineTransformInvert(target->transformToRoot())));
}

CGRect UIView::convertRectFromView(CGRect rect, const UIView* view) const {
  const UIView* source = view ? view : topmost(this);
  return CGRectApplyAffineTransform(
      rect, CGAffineTransformConcat(source->transformToRoot(),
                                    CGAffineTransformInvert(transformToRoot())));
}

void UIView::addGestureRecognizer(const std::shared_ptr<UIGestureRecognizer>& recognizer) {
  if (!recognizer || recognizer->view_ == this) return;
  if (UIView* old = recognizer->view_) old->removeGestureRecognizer(recognizer);
  recognizer->view_ = this;
  recognizers_.push_back(recognizer);
}

void UIView::removeGestureRecognizer(const std::shared_ptr<UIGestureRecognizer>& recognizer) {
  if (!recognizer || recognizer->view_ != this) return;
  auto keep = recognizer;
  recognizer->resetState();
  recognizer->view_ = nullptr;
  std::erase(recognizers_, recognizer);
}

bool UIView::endEditing(bool force) {
  auto first = std::dynamic_pointer_cast<UIView>(UIResponder::firstResponder());
  auto self = std::static_pointer_cast<UIView>(weak_from_this().lock());
  if (!first || !first->isDescendantOfView(self)) return true;
  if (force) {
    first->forceResignFirstResponder();
    return true;
  }
  return first->resignFirstResponder();
}

// ---- layout

void UIView::setNeedsLayout() {
  needsLayout_ = true;
  requestLayoutPass();
}

void UIView::requestLayoutPass() {
  auto w = window();
  if (!w) return;
  LayoutPass& pass = layoutPass();
  auto& list = pass.windows;
  std::erase_if(list, [](const auto& weak) { return weak.expired(); });
  if (std::none_of(list.begin(), list.end(), [&](const auto& weak) { return weak.lock() == w; }))
    list.push_back(w);
  if (pass.scheduled) return;
  pass.scheduled = true;
  NSRunLoop::mainRunLoop()->performBlock([] {
    LayoutPass& p = layoutPass();
    p.scheduled = false;
    auto windows = std::move(p.windows);
    p.windows.clear();
    for (auto& weak : windows)
      if (auto win = weak.lock()) win->layoutIfNeeded();
  });
}

void UIView::layoutIfNeeded() {
  auto keep = weak_from_this().lock();
  if (needsLayout_) {
    needsLayout_ = false;
    layoutSubviews();
  }
  auto children = subviews_;  // layout may change the list
  for (auto& v : children) v->layoutIfNeeded();
}

// ---- inspection

std::string UIView::quoted(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        out += c;
    }
  }
  return out + "\"";
}

void UIView::describeAttributes(std::string&) const {}

void UIView::dumpInto(std::string& out, int depth) const {
  out.append(size_t(depth) * 2, ' ');
  CGRect f = frame();
  out += className() + " frame=(" + number(f.origin.x) + " " + number(f.origin.y) + "; " +
         number(f.size.width) + " " + number(f.size.height) + ")";
  if (tag_ != 0) out += " tag=" + std::to_string(tag_);
  if (isHidden()) out += " hidden";
  if (alpha_ != 1) out += " alpha=" + number(alpha_);
  if (!CGAffineTransformIsIdentity(transform())) {
    const auto t = transform();
    out += " transform=[" + number(t.a) + " " + number(t.b) + " " + number(t.c) + " " +
           number(t.d) + " " + number(t.tx) + " " + number(t.ty) + "]";
  }
  describeAttributes(out);
  out += "\n";
  for (const auto& v : subviews_)
    if (dumpsSubview(*v)) v->dumpInto(out, depth + 1);
}

std::string UIView::dump() {
  layoutIfNeeded();
  std::string out;
  dumpInto(out, 0);
  return out;
}

NS_CLASS_IMPLEMENTATION(UIView) {}

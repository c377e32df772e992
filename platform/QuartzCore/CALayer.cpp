#include "QuartzCore/CALayer.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <utility>

#include "Foundation/Clock.h"
#include "Foundation/NSClass.h"
#include "Foundation/NSRunLoop.h"
#include "Foundation/NSTimer.h"

double CACurrentMediaTime() {
  return NSRunLoop::mainRunLoop()->clock()->now();
}

struct CALayer::Running {
  uint64_t id;
  std::string key;
  std::shared_ptr<CAAnimation> animation;
  std::shared_ptr<NSTimer> timer;
  std::shared_ptr<CATransaction::Group> group;
  bool ended = false;
};

namespace {

uint64_t nextAnimationId() {
  static uint64_t next = 1;
  return next++;
}

const CGColorRef& opaqueBlack() {
  static const CGColorRef black = CGColor::createGenericGray(0, 1);
  return black;
}

bool isUnit(CGRect r) {
  return r.origin.x <= 0 && r.origin.y <= 0 && r.origin.x + r.size.width >= 1 &&
         r.origin.y + r.size.height >= 1;
}

// The layer's outline for its background, clip and border.
void addOutline(const CGContextRef& ctx, CGRect r, CGFloat radius) {
  if (radius > 0) {
    CGPath p;
    CGFloat c = std::min({radius, r.size.width / 2, r.size.height / 2});
    p.addRoundedRect(nullptr, r, c, c);
    ctx->addPath(p);
  } else {
    ctx->addRect(r);
  }
}

}  // namespace

CALayer::CALayer() = default;

// ---- the screen

namespace {

struct ChangeWatch {
  std::function<void()> observer;
  // Nothing is told until the first frame has taken the changes.
  bool changed = true;
};

ChangeWatch& changeWatch() {
  static ChangeWatch watch;
  return watch;
}

}  // namespace

void CALayer::setChangeObserver(std::function<void()> observer) {
  changeWatch().observer = std::move(observer);
}

bool CALayer::takeChanges() {
  return std::exchange(changeWatch().changed, false);
}

void CALayer::noteChange() {
  ChangeWatch& watch = changeWatch();
  if (watch.changed) return;
  watch.changed = true;
  if (watch.observer) watch.observer();
}

CALayer::~CALayer() {
  for (auto& l : sublayers_) l->superlayer_ = nullptr;
  for (auto& r : animations_)
    if (r->timer) r->timer->invalidate();
}

// ---- geometry

void CALayer::setBounds(CGRect bounds) {
  CGSize old = bounds_.size;
  if (change("bounds", bounds_, bounds) && needsDisplayOnBoundsChange_ && old != bounds.size)
    setNeedsDisplay();
}

void CALayer::setPosition(CGPoint position) {
  change("position", position_, position);
}

void CALayer::setAnchorPoint(CGPoint anchor) {
  change("anchorPoint", anchorPoint_, anchor);
}

void CALayer::setTransform(const CATransform3D& t) {
  change("transform", transform_, t);
}

void CALayer::setAffineTransform(const CGAffineTransform& t) {
  setTransform(CATransform3DMakeAffineTransform(t));
}

CGRect CALayer::frame() const {
  CGSize s = bounds_.size;
  CGRect local{{-anchorPoint_.x * s.width, -anchorPoint_.y * s.height}, s};
  CGAffineTransform t = affineTransform();
  if (!CGAffineTransformIsIdentity(t)) local = CGRectApplyAffineTransform(local, t);
  return CGRectOffset(local, position_.x, position_.y);
}

void CALayer::setFrame(CGRect frame) {
  CGAffineTransform t = affineTransform();
  CGRect b = bounds_;
  if (CGAffineTransformIsIdentity(t)) {
    b.size = frame.size;
  } else if (t.b == 0 && t.c == 0 && t.a != 0 && t.d != 0) {
    b.size = {frame.size.width / std::fabs(t.a), frame.size.height / std::fabs(t.d)};
  }
  // The position that puts the middle of the derived frame on the middle of the given one.
  CGSize s = b.size;
  CGRect local{{-anchorPoint_.x * s.width, -anchorPoint_.y * s.height}, s};
  if (!CGAffineTransformIsIdentity(t)) local = CGRectApplyAffineTransform(local, t);
  setBounds(b);
  setPosition(
      {CGRectGetMidX(frame) - CGRectGetMidX(local), CGRectGetMidY(frame) - CGRectGetMidY(local)});
}

CGAffineTransform CALayer::transformToSuperlayer() const {
  CGSize s = bounds_.size;
  CGAffineTransform t = CGAffineTransformMakeTranslation(
      -anchorPoint_.x * s.width - bounds_.origin.x, -anchorPoint_.y * s.height - bounds_.origin.y);
  t = CGAffineTransformConcat(t, affineTransform());
  return CGAffineTransformConcat(t, CGAffineTransformMakeTranslation(position_.x, position_.y));
}

// ---- look

void CALayer::setHidden(bool hidden) {
  change("hidden", hidden_, hidden);
}

void CALayer::setOpacity(float opacity) {
  change("opacity", opacity_, std::isnan(opacity) ? 0 : std::clamp(opacity, 0.0f, 1.0f));
}

void CALayer::setBackgroundColor(CGColorRef color) {
  change("backgroundColor", backgroundColor_, std::move(color));
}

void CALayer::setCornerRadius(CGFloat radius) {
  change("cornerRadius", cornerRadius_, radius);
}

void CALayer::setBorderWidth(CGFloat width) {
  change("borderWidth", borderWidth_, width);
}

void CALayer::setBorderColor(CGColorRef color) {
  change("borderColor", borderColor_, std::move(color));
}

void CALayer::setShadowOpacity(float opacity) {
  change("shadowOpacity", shadowOpacity_,
         std::isnan(opacity) ? 0 : std::clamp(opacity, 0.0f, 1.0f));
}

void CALayer::setContents(CGImageRef image) {
  contentsFromDisplay_ = false;
  change("contents", contents_, std::move(image));
}

void CALayer::setContentsScale(CGFloat scale) {
  if (scale > 0) set(contentsScale_, scale);
}

// ---- the tree

std::shared_ptr<CALayer> CALayer::superlayer() const {
  return superlayer_ ? std::static_pointer_cast<CALayer>(superlayer_->shared_from_this()) : nullptr;
}

bool CALayer::isDescendantOf(const CALayer* layer) const {
  for (const CALayer* l = this; l; l = l->superlayer_)
    if (l == layer) return true;
  return false;
}

void CALayer::detach() {
  CALayer* parent = superlayer_;
  if (!parent) return;
  noteChange();
  auto& list = parent->sublayers_;
  auto it = std::find_if(list.begin(), list.end(), [&](const auto& l) { return l.get() == this; });
  superlayer_ = nullptr;
  if (it != list.end()) list.erase(it);  // may release this layer: touch nothing after
}

void CALayer::attach(std::shared_ptr<CALayer> layer, size_t index) {
  if (layer->superlayer_ == this) {
    sublayers_.erase(std::find(sublayers_.begin(), sublayers_.end(), layer));
  } else {
    layer->detach();
  }
  index = std::min(index, sublayers_.size());
  noteChange();
  layer->superlayer_ = this;
  sublayers_.insert(sublayers_.begin() + long(index), std::move(layer));
}

void CALayer::addSublayer(const std::shared_ptr<CALayer>& layer) {
  if (!layer || isDescendantOf(layer.get())) return;
  attach(layer, sublayers_.size());
}

void CALayer::insertSublayer(const std::shared_ptr<CALayer>& layer, size_t index) {
  if (!layer || isDescendantOf(layer.get())) return;
  attach(layer, index);
}

void CALayer::insertSublayerAbove(const std::shared_ptr<CALayer>& layer,
                                  const std::shared_ptr<CALayer>& sibling) {
  insertBeside(layer, sibling, true);
}

void CALayer::insertSublayerBelow(const std::shared_ptr<CALayer>& layer,
                                  const std::shared_ptr<CALayer>& sibling) {
  insertBeside(layer, sibling, false);
}

void CALayer::insertBeside(const std::shared_ptr<CALayer>& layer,
                           const std::shared_ptr<CALayer>& sibling, bool above) {
  if (!layer || layer == sibling || isDescendantOf(layer.get())) return;
  auto keep = layer;
  if (keep->superlayer_ == this) {
    // Out first, so that the sibling's index counts the others.
    sublayers_.erase(std::find(sublayers_.begin(), sublayers_.end(), keep));
    keep->superlayer_ = nullptr;
  }
  auto it = std::find(sublayers_.begin(), sublayers_.end(), sibling);
  size_t index = it == sublayers_.end() ? sublayers_.size()
                                        : size_t(it - sublayers_.begin()) + (above ? 1 : 0);
  attach(keep, index);
}

void CALayer::replaceSublayer(const std::shared_ptr<CALayer>& old,
                              const std::shared_ptr<CALayer>& layer) {
  if (!old || old->superlayer_ != this || !layer || old == layer) return;
  auto it = std::find(sublayers_.begin(), sublayers_.end(), old);
  size_t index = size_t(it - sublayers_.begin());
  auto keepOld = old;
  keepOld->detach();
  insertSublayer(layer, index);
}

void CALayer::removeFromSuperlayer() {
  auto keep = weak_from_this().lock();
  detach();
}

// ---- delegate and drawing

std::shared_ptr<CALayerDelegate> CALayer::delegate() const {
  return delegate_.lock();
}

void CALayer::setDelegate(std::weak_ptr<CALayerDelegate> delegate) {
  delegate_ = std::move(delegate);
}

void CALayer::setNeedsDisplay() {
  needsDisplay_ = true;
  noteChange();
}

void CALayer::displayIfNeeded() {
  if (!needsDisplay_) return;
  needsDisplay_ = false;
  display();
}

void CALayer::display() {
  needsDisplay_ = false;
  if (owner_ && owner_->displayLayer(*this)) return;
  if (!owner_) {
    if (auto d = delegate(); d && d->displayLayer(*this)) return;
  }
  // A layer that painted last time draws straight into pixels; one that did not (or never
  // drew) into a recording, turned into pixels only when something was painted.
  auto ctx = contentsFromDisplay_
                 ? CGContext::createImageContext(bounds_.size, contentsScale_, false)
                 : CGContext::createDeferred(bounds_.size, contentsScale_);
  ctx->translateCTM(-bounds_.origin.x, -bounds_.origin.y);
  drawInContext(ctx);
  if (ctx->paintCount() > 0) {
    contents_ = ctx->makeImage();
    contentsFromDisplay_ = true;
  } else if (contentsFromDisplay_) {
    contents_ = nullptr;
    contentsFromDisplay_ = false;
  }
}

void CALayer::drawInContext(const CGContextRef& ctx) {
  if (owner_) {
    owner_->drawLayerInContext(*this, ctx);
  } else if (auto d = delegate()) {
    d->drawLayerInContext(*this, ctx);
  }
}

void CALayer::renderInContext(const CGContextRef& ctx) {
  if (!ctx) return;
  ctx->saveGState();
  renderLayer(ctx);
  ctx->restoreGState();
}

void CALayer::drawContents(const CGContextRef& ctx) {
  if (!contents_) return;
  CGRect b = bounds_;
  CGFloat scale = contentsScale_ > 0 ? contentsScale_ : 1;
  CGFloat cw = CGFloat(contents_->width()) * contentsRect_.size.width / scale;
  CGFloat ch = CGFloat(contents_->height()) * contentsRect_.size.height / scale;
  CGRect r = b;
  const std::string& g = contentsGravity_;
  if (g == kCAGravityResizeAspect || g == kCAGravityResizeAspectFill) {
    if (cw > 0 && ch > 0) {
      CGFloat k = g == kCAGravityResizeAspect ? std::min(b.size.width / cw, b.size.height / ch)
                                              : std::max(b.size.width / cw, b.size.height / ch);
      r.size = {cw * k, ch * k};
      r.origin = {b.origin.x + (b.size.width - r.size.width) / 2,
                  b.origin.y + (b.size.height - r.size.height) / 2};
    }
  } else if (g != kCAGravityResize) {
    r.size = {cw, ch};
    bool left = g == kCAGravityLeft || g == kCAGravityTopLeft || g == kCAGravityBottomLeft;
    bool right = g == kCAGravityRight || g == kCAGravityTopRight || g == kCAGravityBottomRight;
    bool top = g == kCAGravityTop || g == kCAGravityTopLeft || g == kCAGravityTopRight;
    bool bottom = g == kCAGravityBottom || g == kCAGravityBottomLeft || g == kCAGravityBottomRight;
    r.origin.x = left    ? b.origin.x
                 : right ? CGRectGetMaxX(b) - cw
                         : b.origin.x + (b.size.width - cw) / 2;
    r.origin.y = top      ? b.origin.y
                 : bottom ? CGRectGetMaxY(b) - ch
                          : b.origin.y + (b.size.height - ch) / 2;
  }
  // The filter that applies: enlarging or shrinking the contents' pixels on the device.
  CGRect device = ctx->convertRectToDeviceSpace(r);
  bool enlarging =
      std::fabs(device.size.width) >= CGFloat(contents_->width()) * contentsRect_.size.width;
  bool nearest = (enlarging ? magnificationFilter_ : minificationFilter_) == kCAFilterNearest;
  if (nearest) {
    ctx->saveGState();
    ctx->setInterpolationQuality(CGInterpolationQuality::None);
  }
  CADrawImageStretched(ctx, contents_, r, contentsRect_, contentsCenter_, scale);
  if (nearest) ctx->restoreGState();
}

void CALayer::renderLayer(const CGContextRef& ctx) {
  if (hidden_ || opacity_ <= 0) return;
  bool recording = ctx->isRecording();
  if (!recording) displayIfNeeded();
  ctx->saveGState();
  ctx->concatCTM(transformToSuperlayer());
  CGRect b = bounds_;
  const CGColorRef& shadowColor = shadowColor_ ? shadowColor_ : opaqueBlack();
  bool shadow = shadowOpacity_ > 0 && shadowColor->alpha() > 0;
  if (masksToBounds_) {
    // The clip takes the shadow with it, as on the platform.
    addOutline(ctx, b, cornerRadius_);
    ctx->clip();
  }
  bool group = opacity_ < 1 || shadow;
  if (shadow)
    ctx->setShadowWithColor(
        shadowOffset_, shadowRadius_,
        CGColor::createCopyWithAlpha(shadowColor, shadowColor->alpha() * shadowOpacity_));
  if (group) {
    ctx->setAlpha(opacity_);
    ctx->beginTransparencyLayer();
  }
  if (backgroundColor_ && backgroundColor_->alpha() > 0) {
    ctx->setFillColorWithColor(backgroundColor_);
    if (cornerRadius_ > 0) {
      ctx->beginPath();
      addOutline(ctx, b, cornerRadius_);
      ctx->fillPath();
    } else {
      ctx->fillRect(b);
    }
  }
  if (!(recording && contentsFromDisplay_)) drawContents(ctx);
  if (recording) {
    // A log shows what the layer draws, where, rather than its cached picture.
    ctx->saveGState();
    ctx->clipToRect(b);
    drawInContext(ctx);
    ctx->restoreGState();
  }
  renderOwnContent(ctx);
  if (!sublayers_.empty()) {
    ctx->saveGState();
    if (!CATransform3DIsIdentity(sublayerTransform_)) {
      CGPoint c{b.origin.x + anchorPoint_.x * b.size.width,
                b.origin.y + anchorPoint_.y * b.size.height};
      ctx->translateCTM(c.x, c.y);
      ctx->concatCTM(CATransform3DGetAffineTransform(sublayerTransform_));
      ctx->translateCTM(-c.x, -c.y);
    }
    auto ordered = sublayers_;  // drawing may change the tree (a layout in a display)
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const auto& x, const auto& y) { return x->zPosition_ < y->zPosition_; });
    for (const auto& l : ordered) l->renderLayer(ctx);
    ctx->restoreGState();
  }
  if (borderWidth_ > 0) {
    const CGColorRef& color = borderColor_ ? borderColor_ : opaqueBlack();
    if (color->alpha() > 0) {
      ctx->setStrokeColorWithColor(color);
      ctx->setLineWidth(borderWidth_);
      ctx->beginPath();
      CGRect inset = CGRectInset(b, borderWidth_ / 2, borderWidth_ / 2);
      if (!CGRectIsNull(inset)) {
        addOutline(ctx, inset, std::max<CGFloat>(0, cornerRadius_ - borderWidth_ / 2));
        ctx->strokePath();
      }
    }
  }
  if (group) ctx->endTransparencyLayer();
  ctx->restoreGState();
}

// ---- animations

void CALayer::propertyChanged(std::string_view key, CAValue from, CAValue to) {
  noteChange();
  if (CATransaction::disableActions()) return;
  std::optional<std::shared_ptr<CAAnimation>> action;
  if (owner_) {
    action = owner_->actionForLayer(*this, key);
  } else if (auto d = delegate()) {
    action = d->actionForLayer(*this, key);
  }
  std::shared_ptr<CAAnimation> animation;
  if (action) {
    animation = *action;
  } else if (!owner_) {
    auto basic = CABasicAnimation::animationWithKeyPath(key);
    basic->setFromValue(std::move(from));
    basic->setToValue(std::move(to));
    animation = basic;
  }
  if (animation) addAnimation(animation, key);
}

void CALayer::addAnimation(const std::shared_ptr<CAAnimation>& animation, std::string_view key) {
  if (!animation) return;
  std::string name(key);
  if (name.empty() && dynamic_cast<const CATransition*>(animation.get())) name = "transition";
  auto copy = animation->copy();
  if (copy->duration() == 0) copy->setDuration(CATransaction::animationDuration());
  double now = CACurrentMediaTime();
  if (copy->beginTime() == 0) copy->setBeginTime(now);
  if (!name.empty()) removeAnimationForKey(name);

  auto running = std::make_unique<Running>();
  running->id = nextAnimationId();
  running->key = name;
  running->animation = copy;
  running->group = CATransaction::currentGroup();
  double end = copy->beginTime() + copy->activeDuration();
  if (std::isfinite(end)) {
    std::weak_ptr<CALayer> weak = std::static_pointer_cast<CALayer>(weak_from_this().lock());
    uint64_t id = running->id;
    running->timer = NSTimer::timerWithTimeInterval(std::max(0.0, end - now), false,
                                                    [weak, id](const std::shared_ptr<NSTimer>&) {
                                                      if (auto self = weak.lock())
                                                        self->endAnimation(id, true);
                                                    });
    NSRunLoop::mainRunLoop()->addTimer(running->timer, NSRunLoopCommonModes);
  }
  animations_.push_back(std::move(running));
  if (auto d = copy->delegate()) {
    NSRunLoop::mainRunLoop()->performBlock([d, copy] { d->animationDidStart(copy); });
  }
}

void CALayer::endAnimation(uint64_t id, bool finished) {
  auto it = std::find_if(animations_.begin(), animations_.end(),
                         [id](const auto& r) { return r->id == id; });
  if (it == animations_.end() || (*it)->ended) return;
  Running& r = **it;
  r.ended = true;
  if (r.timer) r.timer->invalidate();
  auto animation = r.animation;
  auto group = r.group;
  // A finished animation that is not removed on completion stays (holding its end value).
  if (!finished || animation->isRemovedOnCompletion()) animations_.erase(it);
  if (auto d = animation->delegate()) d->animationDidStop(animation, finished);
  CATransaction::animationEnded(group);
}

std::shared_ptr<CAAnimation> CALayer::animationForKey(std::string_view key) const {
  for (const auto& r : animations_)
    if (!key.empty() && r->key == key) return r->animation;
  return nullptr;
}

void CALayer::removeAnimationForKey(std::string_view key) {
  if (key.empty()) return;
  for (const auto& r : animations_) {
    if (r->key == key) {
      if (r->ended) {
        // A kept finished animation goes quietly.
        std::string k(key);
        std::erase_if(animations_, [&](const auto& x) { return x->key == k; });
        return;
      }
      endAnimation(r->id, false);
      return;
    }
  }
}

void CALayer::removeAllAnimations() {
  std::vector<uint64_t> ids;
  for (const auto& r : animations_)
    if (!r->ended) ids.push_back(r->id);
  std::erase_if(animations_, [](const auto& r) { return r->ended; });
  for (uint64_t id : ids) endAnimation(id, false);
}

std::vector<std::string> CALayer::animationKeys() const {
  std::vector<std::string> keys;
  for (const auto& r : animations_)
    if (!r->key.empty()) keys.push_back(r->key);
  return keys;
}

// ---- stretched contents

void CADrawImageStretched(const CGContextRef& ctx, const CGImageRef& image, CGRect rect,
                          CGRect contentsRect, CGRect center, CGFloat scale) {
  if (!ctx || !image || rect.size.width <= 0 || rect.size.height <= 0) return;
  double iw = double(image->width()), ih = double(image->height());
  CGRect src =
      CGRectIntersection(CGRectMake(contentsRect.origin.x * iw, contentsRect.origin.y * ih,
                                    contentsRect.size.width * iw, contentsRect.size.height * ih),
                         CGRectMake(0, 0, iw, ih));
  if (CGRectIsEmpty(src)) return;
  if (isUnit(center) && src == CGRectMake(0, 0, iw, ih) && !image->isMask()) {
    // The whole picture, upright in the y-down space.
    ctx->saveGState();
    ctx->translateCTM(rect.origin.x, rect.origin.y + rect.size.height);
    ctx->scaleCTM(1, -1);
    ctx->drawImage(CGRectMake(0, 0, rect.size.width, rect.size.height), image);
    ctx->restoreGState();
    return;
  }
  cairo_surface_t* surface = image->surface();
  if (!surface) return;
  if (scale <= 0) scale = 1;
  // Pixel columns and rows of the source: caps and the stretched middle.
  double sx[4], sy[4];
  if (isUnit(center)) {
    sx[0] = sx[1] = src.origin.x;
    sx[2] = sx[3] = CGRectGetMaxX(src);
    sy[0] = sy[1] = src.origin.y;
    sy[2] = sy[3] = CGRectGetMaxY(src);
  } else {
    sx[0] = src.origin.x;
    sx[1] = src.origin.x + std::clamp(center.origin.x, 0.0, 1.0) * src.size.width;
    sx[2] =
        src.origin.x + std::clamp(center.origin.x + center.size.width, 0.0, 1.0) * src.size.width;
    sx[3] = CGRectGetMaxX(src);
    sy[0] = src.origin.y;
    sy[1] = src.origin.y + std::clamp(center.origin.y, 0.0, 1.0) * src.size.height;
    sy[2] =
        src.origin.y + std::clamp(center.origin.y + center.size.height, 0.0, 1.0) * src.size.height;
    sy[3] = CGRectGetMaxY(src);
  }
  // Caps keep their size in points unless they do not fit, then they shrink together.
  auto destEdges = [scale](double s0, double s1, double s2, double s3, double d0, double len,
                           double out[4]) {
    double a = (s1 - s0) / scale, b = (s3 - s2) / scale;
    double middle = s2 - s1;
    if (middle <= 0 && a + b > 0) {
      // No middle: the caps share the length.
      a = len * a / (a + b);
      b = len - a;
    } else if (a + b > len) {
      double k = len / (a + b);
      a *= k;
      b *= k;
    }
    out[0] = d0;
    out[1] = d0 + a;
    out[2] = d0 + len - b;
    out[3] = d0 + len;
  };
  double dx[4], dy[4];
  destEdges(sx[0], sx[1], sx[2], sx[3], rect.origin.x, rect.size.width, dx);
  destEdges(sy[0], sy[1], sy[2], sy[3], rect.origin.y, rect.size.height, dy);
  if (ctx->isRecording()) {
    std::string name = image->sourceName().empty() ? "?" : "\"" + image->sourceName() + "\"";
    ctx->record("drawImage", rect, "image=" + name + " stretched");
  }
  cairo_t* cr = ctx->beginCairoDrawing(rect);
  cairo_filter_t filter = ctx->interpolationQuality() == CGInterpolationQuality::None
                              ? CAIRO_FILTER_NEAREST
                              : CAIRO_FILTER_GOOD;
  double alpha = ctx->alpha();
  for (int row = 0; row < 3; ++row) {
    for (int col = 0; col < 3; ++col) {
      double sw = sx[col + 1] - sx[col], sh = sy[row + 1] - sy[row];
      double dw = dx[col + 1] - dx[col], dh = dy[row + 1] - dy[row];
      if (sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0) continue;
      cairo_surface_t* piece =
          cairo_surface_create_for_rectangle(surface, sx[col], sy[row], sw, sh);
      cairo_pattern_t* p = cairo_pattern_create_for_surface(piece);
      cairo_pattern_set_extend(p, CAIRO_EXTEND_PAD);
      cairo_pattern_set_filter(p, filter);
      cairo_matrix_t m;
      cairo_matrix_init_scale(&m, sw / dw, sh / dh);
      cairo_matrix_translate(&m, -dx[col], -dy[row]);
      cairo_pattern_set_matrix(p, &m);
      cairo_save(cr);
      cairo_rectangle(cr, dx[col], dy[row], dw, dh);
      cairo_clip(cr);
      if (image->isMask()) {
        // The fill colour set by beginCairoDrawing paints through the mask.
        cairo_mask(cr, p);
      } else {
        cairo_set_source(cr, p);
        cairo_paint_with_alpha(cr, alpha);
      }
      cairo_restore(cr);
      cairo_pattern_destroy(p);
      cairo_surface_destroy(piece);
    }
  }
  ctx->endCairoDrawing();
}

NS_CLASS_IMPLEMENTATION(CALayer) {}

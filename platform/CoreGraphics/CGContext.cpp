#include "CoreGraphics/CGContext.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "CoreGraphics/CGBlur.h"

namespace {

struct SurfaceDeleter {
  void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
using SurfacePtr = std::shared_ptr<cairo_surface_t>;

SurfacePtr adopt(cairo_surface_t* s) {
  return SurfacePtr(s, SurfaceDeleter());
}

cairo_matrix_t toCairo(const CGAffineTransform& t) {
  cairo_matrix_t m;
  cairo_matrix_init(&m, t.a, t.b, t.c, t.d, t.tx, t.ty);
  return m;
}

// Cairo device space (y down) <-> the platform's device space (y up) of a surface `h` high.
CGAffineTransform flipOf(size_t h) {
  return CGAffineTransformMake(1, 0, 0, -1, 0, CGFloat(h));
}

cairo_operator_t operatorFor(CGBlendMode mode) {
  switch (mode) {
    case CGBlendMode::Normal:
    case CGBlendMode::PlusDarker:
      return CAIRO_OPERATOR_OVER;
    case CGBlendMode::Multiply:
      return CAIRO_OPERATOR_MULTIPLY;
    case CGBlendMode::Screen:
      return CAIRO_OPERATOR_SCREEN;
    case CGBlendMode::Overlay:
      return CAIRO_OPERATOR_OVERLAY;
    case CGBlendMode::Darken:
      return CAIRO_OPERATOR_DARKEN;
    case CGBlendMode::Lighten:
      return CAIRO_OPERATOR_LIGHTEN;
    case CGBlendMode::ColorDodge:
      return CAIRO_OPERATOR_COLOR_DODGE;
    case CGBlendMode::ColorBurn:
      return CAIRO_OPERATOR_COLOR_BURN;
    case CGBlendMode::SoftLight:
      return CAIRO_OPERATOR_SOFT_LIGHT;
    case CGBlendMode::HardLight:
      return CAIRO_OPERATOR_HARD_LIGHT;
    case CGBlendMode::Difference:
      return CAIRO_OPERATOR_DIFFERENCE;
    case CGBlendMode::Exclusion:
      return CAIRO_OPERATOR_EXCLUSION;
    case CGBlendMode::Hue:
      return CAIRO_OPERATOR_HSL_HUE;
    case CGBlendMode::Saturation:
      return CAIRO_OPERATOR_HSL_SATURATION;
    case CGBlendMode::Color:
      return CAIRO_OPERATOR_HSL_COLOR;
    case CGBlendMode::Luminosity:
      return CAIRO_OPERATOR_HSL_LUMINOSITY;
    case CGBlendMode::Clear:
      return CAIRO_OPERATOR_CLEAR;
    case CGBlendMode::Copy:
      return CAIRO_OPERATOR_SOURCE;
    case CGBlendMode::SourceIn:
      return CAIRO_OPERATOR_IN;
    case CGBlendMode::SourceOut:
      return CAIRO_OPERATOR_OUT;
    case CGBlendMode::SourceAtop:
      return CAIRO_OPERATOR_ATOP;
    case CGBlendMode::DestinationOver:
      return CAIRO_OPERATOR_DEST_OVER;
    case CGBlendMode::DestinationIn:
      return CAIRO_OPERATOR_DEST_IN;
    case CGBlendMode::DestinationOut:
      return CAIRO_OPERATOR_DEST_OUT;
    case CGBlendMode::DestinationAtop:
      return CAIRO_OPERATOR_DEST_ATOP;
    case CGBlendMode::XOR:
      return CAIRO_OPERATOR_XOR;
    case CGBlendMode::PlusLighter:
      return CAIRO_OPERATOR_ADD;
  }
  return CAIRO_OPERATOR_OVER;
}

cairo_filter_t filterFor(CGInterpolationQuality q, bool interpolate) {
  if (!interpolate) return CAIRO_FILTER_NEAREST;
  switch (q) {
    case CGInterpolationQuality::None:
      return CAIRO_FILTER_NEAREST;
    case CGInterpolationQuality::Low:
      return CAIRO_FILTER_FAST;
    case CGInterpolationQuality::High:
      return CAIRO_FILTER_BEST;
    default:
      return CAIRO_FILTER_GOOD;
  }
}

std::string num(CGFloat v) {
  if (std::fabs(v) < 5e-4) return "0";
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.3f", v);
  std::string s = buf;
  while (!s.empty() && s.back() == '0') s.pop_back();
  if (!s.empty() && s.back() == '.') s.pop_back();
  return s;
}

std::string rgbaText(const CGRGBA& c) {
  return "rgba(" + num(c.r) + " " + num(c.g) + " " + num(c.b) + " " + num(c.a) + ")";
}

CGRect boxOf(double x0, double y0, double x1, double y1) {
  return CGRectMake(x0, y0, x1 - x0, y1 - y0);
}

}  // namespace

namespace {

const CGColorRef& opaqueBlack() {
  static const CGColorRef black = CGColor::createGenericGray(0, 1);
  return black;
}

}  // namespace

struct CGContext::GState {
  CGAffineTransform ctm;  // user -> Cairo device
  CGColorRef fill = opaqueBlack();
  CGColorRef stroke = opaqueBlack();
  CGFloat alpha = 1;
  CGFloat lineWidth = 1;
  CGLineCap cap = CGLineCap::Butt;
  CGLineJoin join = CGLineJoin::Miter;
  CGFloat miterLimit = 10;
  std::vector<double> dash;
  CGFloat dashPhase = 0;
  CGBlendMode blend = CGBlendMode::Normal;
  bool antialias = true;
  bool allowsAntialias = true;
  CGInterpolationQuality interpolation = CGInterpolationQuality::Default;
  CGSize shadowOffset;
  CGFloat shadowBlur = 0;
  CGColorRef shadowColor;  // nullptr: no shadow
  SurfacePtr mask;         // A8 over the whole surface; nullptr: no mask clip

  bool shadowActive() const {
    return shadowColor && shadowColor->alpha() > 0 &&
           (shadowBlur > 0 || shadowOffset.width != 0 || shadowOffset.height != 0);
  }
};

struct CGContext::Layer {
  size_t depth;  // states_.size() after the layer's own save
};

// The area a stroke covers, kept as coverage (replacePathWithStrokedPath).
struct CGContext::StrokedArea {
  SurfacePtr coverage;  // A8 over the whole surface
  CGRect deviceBounds;
};

// ---- construction

CGContext::CGContext(cairo_surface_t* target, size_t pixelWidth, size_t pixelHeight)
    : target_(cairo_surface_reference(target)),
      cr_(cairo_create(target)),
      pixelWidth_(pixelWidth),
      pixelHeight_(pixelHeight) {
  base_ = flipOf(pixelHeight);
  states_.emplace_back();
  states_.back().ctm = base_;
}

CGContext::~CGContext() {
  cairo_destroy(cr_);
  cairo_surface_destroy(target_);
}

namespace {

// A context over a surface of its own (a recording, or an image for one drawing pass).
struct RecordingContext : CGContext {
  RecordingContext(cairo_surface_t* s, size_t w, size_t h) : CGContext(s, w, h) {}
};

}  // namespace

std::shared_ptr<CGContext> CGContext::createRecording(CGSize size, CGFloat scale) {
  if (!(scale > 0)) scale = 1;
  size_t w = size_t(std::max(0.0, std::ceil(size.width * scale)));
  size_t h = size_t(std::max(0.0, std::ceil(size.height * scale)));
  cairo_rectangle_t extents{0, 0, double(w), double(h)};
  cairo_surface_t* s = cairo_recording_surface_create(CAIRO_CONTENT_COLOR_ALPHA, &extents);
  auto ctx = std::make_shared<RecordingContext>(s, w, h);
  cairo_surface_destroy(s);
  ctx->recording_ = true;
  ctx->setBaseCTM(CGAffineTransformMake(scale, 0, 0, -scale, 0, CGFloat(h)));
  return ctx;
}

std::shared_ptr<CGContext> CGContext::createDeferred(CGSize size, CGFloat scale) {
  auto ctx = createRecording(size, scale);
  ctx->recording_ = false;
  return ctx;
}

std::shared_ptr<CGContext> CGContext::createImageContext(CGSize size, CGFloat scale, bool opaque) {
  if (!(scale > 0)) scale = 1;
  size_t w = size_t(std::max(0.0, std::ceil(size.width * scale)));
  size_t h = size_t(std::max(0.0, std::ceil(size.height * scale)));
  if (w == 0 || h == 0 || w > 32767 || h > 32767) return createDeferred(size, scale);
  cairo_surface_t* s =
      cairo_image_surface_create(opaque ? CAIRO_FORMAT_RGB24 : CAIRO_FORMAT_ARGB32, int(w), int(h));
  auto ctx = std::make_shared<RecordingContext>(s, w, h);
  cairo_surface_destroy(s);
  ctx->setBaseCTM(CGAffineTransformMake(scale, 0, 0, -scale, 0, CGFloat(h)));
  return ctx;
}

CGImageRef CGContext::makeImage() const {
  if (pixelWidth_ == 0 || pixelHeight_ == 0) return nullptr;
  cairo_surface_flush(target_);
  if (cairo_surface_get_type(target_) == CAIRO_SURFACE_TYPE_IMAGE)
    return CGImage::createWithSurface(target_);
  cairo_surface_t* s =
      cairo_image_surface_create(CAIRO_FORMAT_ARGB32, int(pixelWidth_), int(pixelHeight_));
  if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(s);
    return nullptr;
  }
  cairo_t* cr = cairo_create(s);
  cairo_set_source_surface(cr, target_, 0, 0);
  cairo_paint(cr);
  cairo_destroy(cr);
  auto image = CGImage::createWithSurface(s);
  cairo_surface_destroy(s);
  return image;
}

CGContext::GState& CGContext::state() {
  return states_.back();
}

const CGContext::GState& CGContext::state() const {
  return states_.back();
}

void CGContext::setBaseCTM(const CGAffineTransform& ctm) {
  base_ = CGAffineTransformConcat(ctm, flipOf(pixelHeight_));
  state().ctm = base_;
}

// ---- graphics state

void CGContext::saveGState() {
  cairo_save(cr_);
  states_.push_back(states_.back());
}

void CGContext::restoreGState() {
  size_t floor = layers_.empty() ? 1 : layers_.back().depth;
  if (states_.size() <= floor) return;
  states_.pop_back();
  cairo_restore(cr_);
}

// ---- transformation

void CGContext::translateCTM(CGFloat tx, CGFloat ty) {
  concatCTM(CGAffineTransformMakeTranslation(tx, ty));
}

void CGContext::scaleCTM(CGFloat sx, CGFloat sy) {
  concatCTM(CGAffineTransformMakeScale(sx, sy));
}

void CGContext::rotateCTM(CGFloat angle) {
  concatCTM(CGAffineTransformMakeRotation(angle));
}

void CGContext::concatCTM(const CGAffineTransform& t) {
  state().ctm = CGAffineTransformConcat(t, state().ctm);
}

CGAffineTransform CGContext::getCTM() const {
  return CGAffineTransformConcat(state().ctm, flipOf(pixelHeight_));
}

CGPoint CGContext::convertPointToDeviceSpace(CGPoint p) const {
  return CGPointApplyAffineTransform(p, getCTM());
}

CGPoint CGContext::convertPointToUserSpace(CGPoint p) const {
  return CGPointApplyAffineTransform(p, CGAffineTransformInvert(getCTM()));
}

CGRect CGContext::convertRectToDeviceSpace(CGRect r) const {
  return CGRectApplyAffineTransform(r, getCTM());
}

CGRect CGContext::convertRectToUserSpace(CGRect r) const {
  return CGRectApplyAffineTransform(r, CGAffineTransformInvert(getCTM()));
}

void CGContext::applyUserMatrix() const {
  cairo_matrix_t m = toCairo(state().ctm);
  // A singular transformation would put Cairo in an error state: draw nothing instead.
  if (cairo_matrix_invert(&m) != CAIRO_STATUS_SUCCESS) {
    cairo_matrix_init_scale(&m, 1e-9, 1e-9);
    cairo_set_matrix(cr_, &m);
    return;
  }
  m = toCairo(state().ctm);
  cairo_set_matrix(cr_, &m);
}

// ---- path

void CGContext::beginPath() {
  path_ = CGPath();
  strokedPath_.reset();
}

void CGContext::moveToPoint(CGFloat x, CGFloat y) {
  path_.moveToPoint(&state().ctm, x, y);
}

void CGContext::addLineToPoint(CGFloat x, CGFloat y) {
  path_.addLineToPoint(&state().ctm, x, y);
}

void CGContext::addCurveToPoint(CGFloat cp1x, CGFloat cp1y, CGFloat cp2x, CGFloat cp2y, CGFloat x,
                                CGFloat y) {
  path_.addCurveToPoint(&state().ctm, cp1x, cp1y, cp2x, cp2y, x, y);
}

void CGContext::addQuadCurveToPoint(CGFloat cpx, CGFloat cpy, CGFloat x, CGFloat y) {
  path_.addQuadCurveToPoint(&state().ctm, cpx, cpy, x, y);
}

void CGContext::closePath() {
  path_.closeSubpath();
}

void CGContext::addRect(CGRect rect) {
  path_.addRect(&state().ctm, rect);
}

void CGContext::addRects(const std::vector<CGRect>& rects) {
  path_.addRects(&state().ctm, rects);
}

void CGContext::addLines(const std::vector<CGPoint>& points) {
  path_.addLines(&state().ctm, points);
}

void CGContext::addEllipseInRect(CGRect rect) {
  path_.addEllipseInRect(&state().ctm, rect);
}

void CGContext::addArc(CGFloat x, CGFloat y, CGFloat radius, CGFloat startAngle, CGFloat endAngle,
                       bool clockwise) {
  path_.addArc(&state().ctm, x, y, radius, startAngle, endAngle, clockwise);
}

void CGContext::addArcToPoint(CGFloat x1, CGFloat y1, CGFloat x2, CGFloat y2, CGFloat radius) {
  if (recording_) {
    // The corner P as the record's point, the point Q it turns toward in the detail (both in
    // the base space, as every record).
    CGPoint q = CGPointApplyAffineTransform(CGPointMake(x2, y2), state().ctm);
    q = CGPointApplyAffineTransform(q, CGAffineTransformInvert(base_));
    record("arcToPoint", CGRectMake(x1, y1, 0, 0),
           "toward=(" + num(q.x) + " " + num(q.y) + ") radius=" + num(radius));
  }
  path_.addArcToPoint(&state().ctm, x1, y1, x2, y2, radius);
}

void CGContext::addPath(const CGPath& path) {
  path_.addPath(&state().ctm, path);
}

bool CGContext::isPathEmpty() const {
  return path_.isEmpty() && !strokedPath_;
}

CGPath CGContext::copyPath() const {
  return path_.transformed(CGAffineTransformInvert(state().ctm));
}

CGPoint CGContext::getPathCurrentPoint() const {
  auto p = path_.currentPoint();
  if (!p) return CGPointZero;
  return CGPointApplyAffineTransform(*p, CGAffineTransformInvert(state().ctm));
}

CGRect CGContext::getPathBoundingBox() const {
  if (strokedPath_)
    return CGRectApplyAffineTransform(strokedPath_->deviceBounds,
                                      CGAffineTransformInvert(state().ctm));
  CGRect box = path_.pathBoundingBox();
  if (CGRectIsNull(box)) return box;
  return CGRectApplyAffineTransform(box, CGAffineTransformInvert(state().ctm));
}

bool CGContext::pathContainsPoint(CGPoint point, CGPathDrawingMode mode) const {
  CGPoint device = CGPointApplyAffineTransform(point, state().ctm);
  if (mode == CGPathDrawingMode::Stroke) {
    cairo_save(cr_);
    cairo_identity_matrix(cr_);
    cairo_new_path(cr_);
    emitPath(path_);
    applyUserMatrix();
    applyStrokeStyle();
    cairo_identity_matrix(cr_);
    bool in = cairo_in_stroke(cr_, device.x, device.y);
    cairo_new_path(cr_);
    cairo_restore(cr_);
    return in;
  }
  bool evenOdd = mode == CGPathDrawingMode::EOFill || mode == CGPathDrawingMode::EOFillStroke;
  return path_.containsPoint(nullptr, device, evenOdd);
}

void CGContext::emitPath(const CGPath& path) const {
  CGPoint pen{};
  for (const CGPathElement& e : path.elements()) {
    switch (e.type) {
      case CGPathElementType::MoveToPoint:
        cairo_move_to(cr_, e.points[0].x, e.points[0].y);
        pen = e.points[0];
        break;
      case CGPathElementType::AddLineToPoint:
        cairo_line_to(cr_, e.points[0].x, e.points[0].y);
        pen = e.points[0];
        break;
      case CGPathElementType::AddQuadCurveToPoint: {
        CGPoint c = e.points[0], end = e.points[1];
        cairo_curve_to(cr_, pen.x + 2.0 / 3 * (c.x - pen.x), pen.y + 2.0 / 3 * (c.y - pen.y),
                       end.x + 2.0 / 3 * (c.x - end.x), end.y + 2.0 / 3 * (c.y - end.y), end.x,
                       end.y);
        pen = end;
        break;
      }
      case CGPathElementType::AddCurveToPoint:
        cairo_curve_to(cr_, e.points[0].x, e.points[0].y, e.points[1].x, e.points[1].y,
                       e.points[2].x, e.points[2].y);
        pen = e.points[2];
        break;
      case CGPathElementType::CloseSubpath: {
        cairo_close_path(cr_);
        double x, y;
        cairo_get_current_point(cr_, &x, &y);
        pen = {x, y};
        break;
      }
    }
  }
}

void CGContext::applyStrokeStyle() const {
  const GState& g = state();
  cairo_set_line_width(cr_, g.lineWidth);
  cairo_set_line_cap(cr_, g.cap == CGLineCap::Round    ? CAIRO_LINE_CAP_ROUND
                          : g.cap == CGLineCap::Square ? CAIRO_LINE_CAP_SQUARE
                                                       : CAIRO_LINE_CAP_BUTT);
  cairo_set_line_join(cr_, g.join == CGLineJoin::Round   ? CAIRO_LINE_JOIN_ROUND
                           : g.join == CGLineJoin::Bevel ? CAIRO_LINE_JOIN_BEVEL
                                                         : CAIRO_LINE_JOIN_MITER);
  cairo_set_miter_limit(cr_, g.miterLimit);
  cairo_set_dash(cr_, g.dash.data(), int(g.dash.size()), g.dashPhase);
  cairo_set_antialias(
      cr_, g.antialias && g.allowsAntialias ? CAIRO_ANTIALIAS_DEFAULT : CAIRO_ANTIALIAS_NONE);
}

std::optional<CGRect> CGContext::deviceBoundsOfPath(bool stroke) const {
  if (strokedPath_) return strokedPath_->deviceBounds;
  if (path_.isEmpty()) return std::nullopt;
  CGRect box = path_.pathBoundingBox();
  if (stroke) {
    // The pen's reach in device pixels, generously (miter joins).
    const CGAffineTransform& t = state().ctm;
    CGFloat scale = std::sqrt(std::fabs(t.a * t.d - t.b * t.c));
    CGFloat reach = state().lineWidth * scale * std::max<CGFloat>(1, state().miterLimit) / 2 + 1;
    box = CGRectInset(box, -reach, -reach);
  }
  return box;
}

namespace {

// Renders the coverage of the current Cairo path into an A8 surface of the target's size.
SurfacePtr coverageOf(cairo_t* source, size_t w, size_t h, bool stroke) {
  SurfacePtr s = adopt(cairo_image_surface_create(CAIRO_FORMAT_A8, int(w), int(h)));
  cairo_t* cr = cairo_create(s.get());
  cairo_path_t* path = cairo_copy_path(source);
  cairo_matrix_t m;
  cairo_get_matrix(source, &m);
  cairo_identity_matrix(cr);
  cairo_append_path(cr, path);
  cairo_path_destroy(path);
  cairo_set_matrix(cr, &m);
  cairo_set_antialias(cr, cairo_get_antialias(source));
  if (stroke) {
    cairo_set_line_width(cr, cairo_get_line_width(source));
    cairo_set_line_cap(cr, cairo_get_line_cap(source));
    cairo_set_line_join(cr, cairo_get_line_join(source));
    cairo_set_miter_limit(cr, cairo_get_miter_limit(source));
    int n = cairo_get_dash_count(source);
    std::vector<double> dashes(size_t(std::max(n, 0)));
    double offset = 0;
    if (n > 0) cairo_get_dash(source, dashes.data(), &offset);
    cairo_set_dash(cr, dashes.data(), n, offset);
    cairo_stroke(cr);
  } else {
    cairo_set_fill_rule(cr, cairo_get_fill_rule(source));
    cairo_fill(cr);
  }
  cairo_destroy(cr);
  cairo_surface_flush(s.get());
  return s;
}

// Multiplies `mask` (A8, whole surface) into `into` (may be nullptr: then a copy of mask).
SurfacePtr intersectMasks(const SurfacePtr& into, const SurfacePtr& mask) {
  if (!into) return mask;
  int w = cairo_image_surface_get_width(mask.get()), h = cairo_image_surface_get_height(mask.get());
  SurfacePtr out = adopt(cairo_image_surface_create(CAIRO_FORMAT_A8, w, h));
  cairo_t* cr = cairo_create(out.get());
  cairo_set_source_surface(cr, mask.get(), 0, 0);
  cairo_paint(cr);
  cairo_set_operator(cr, CAIRO_OPERATOR_IN);
  cairo_set_source_surface(cr, into.get(), 0, 0);
  cairo_paint(cr);
  cairo_destroy(cr);
  cairo_surface_flush(out.get());
  return out;
}

}  // namespace

void CGContext::replacePathWithStrokedPath() {
  if (path_.isEmpty()) return;
  auto bounds = deviceBoundsOfPath(true);
  log("strokedPath", bounds.value_or(CGRectZero),
      [&] { return "width=" + num(state().lineWidth); });
  cairo_save(cr_);
  cairo_identity_matrix(cr_);
  cairo_new_path(cr_);
  emitPath(path_);
  applyUserMatrix();
  applyStrokeStyle();
  auto area = std::make_shared<StrokedArea>();
  area->coverage = coverageOf(cr_, pixelWidth_, pixelHeight_, true);
  area->deviceBounds = bounds.value_or(CGRectZero);
  cairo_new_path(cr_);
  cairo_restore(cr_);
  path_ = CGPath();
  strokedPath_ = std::move(area);
}

// ---- painting

void CGContext::setSource(bool fill, double extraAlpha) const {
  const GState& g = state();
  const CGColorRef& c = fill ? g.fill : g.stroke;
  if (c && c->isPattern() && c->patternImage() && c->patternImage()->surface()) {
    cairo_pattern_t* p = cairo_pattern_create_for_surface(c->patternImage()->surface());
    cairo_pattern_set_extend(p, CAIRO_EXTEND_REPEAT);
    cairo_matrix_t m;
    cairo_matrix_init_scale(&m, c->patternScale(), c->patternScale());
    cairo_pattern_set_matrix(p, &m);
    // Tiles blown up a whole number of times stay sharp, as the platform draws them.
    const CGAffineTransform& t = g.ctm;
    double k = std::sqrt(std::fabs(t.a * t.d - t.b * t.c)) / c->patternScale();
    bool whole = std::fabs(k - std::round(k)) < 1e-6 && t.b == 0 && t.c == 0;
    cairo_pattern_set_filter(p, whole ? CAIRO_FILTER_NEAREST : CAIRO_FILTER_GOOD);
    cairo_set_source(cr_, p);
    cairo_pattern_destroy(p);
    return;
  }
  CGRGBA rgba = c ? c->rgba() : CGRGBA{};
  cairo_set_source_rgba(cr_, rgba.r, rgba.g, rgba.b, rgba.a * g.alpha * extraAlpha);
}

namespace {

bool isPatternColor(const CGColorRef& c) {
  return c && c->isPattern();
}

}  // namespace

void CGContext::fillCurrentPath(bool evenOdd, const char* op, std::optional<CGRect> userRect) {
  if (path_.isEmpty() && !strokedPath_) return;
  auto bounds = deviceBoundsOfPath(false);
  log(op, bounds.value_or(CGRectZero), [&] { return colorText(true); });
  CGPath path = std::move(path_);
  auto stroked = std::move(strokedPath_);
  path_ = CGPath();
  (void)userRect;
  paint(
      [&] {
        const GState& g = state();
        bool pattern = isPatternColor(g.fill);
        if (stroked) {
          applyUserMatrix();
          if (pattern) {
            cairo_push_group(cr_);
            setSource(true);
            cairo_paint_with_alpha(cr_, g.fill->alpha() * g.alpha);
            cairo_pop_group_to_source(cr_);
          } else {
            setSource(true);
          }
          cairo_identity_matrix(cr_);
          cairo_mask_surface(cr_, stroked->coverage.get(), 0, 0);
          return;
        }
        cairo_identity_matrix(cr_);
        cairo_new_path(cr_);
        emitPath(path);
        cairo_set_fill_rule(cr_, evenOdd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
        cairo_set_antialias(
            cr_, g.antialias && g.allowsAntialias ? CAIRO_ANTIALIAS_DEFAULT : CAIRO_ANTIALIAS_NONE);
        applyUserMatrix();
        if (pattern) {
          cairo_save(cr_);
          cairo_clip(cr_);
          setSource(true);
          cairo_paint_with_alpha(cr_, g.fill->alpha() * g.alpha);
          cairo_restore(cr_);
        } else {
          setSource(true);
          cairo_fill(cr_);
        }
        cairo_new_path(cr_);
      },
      bounds);
}

void CGContext::strokeCurrentPath(const char* op, std::optional<CGRect> userRect) {
  (void)userRect;
  if (strokedPath_) {
    // A stroked area is an area: stroking it fills it.
    fillCurrentPath(false, op, std::nullopt);
    return;
  }
  if (path_.isEmpty()) return;
  auto bounds = deviceBoundsOfPath(true);
  log(op, deviceBoundsOfPath(false).value_or(CGRectZero),
      [&] { return colorText(false) + " width=" + num(state().lineWidth); });
  CGPath path = std::move(path_);
  path_ = CGPath();
  paint(
      [&] {
        const GState& g = state();
        cairo_identity_matrix(cr_);
        cairo_new_path(cr_);
        emitPath(path);
        applyUserMatrix();
        applyStrokeStyle();
        if (isPatternColor(g.stroke)) {
          cairo_push_group(cr_);
          setSource(false);
          cairo_stroke(cr_);
          cairo_pop_group_to_source(cr_);
          cairo_paint_with_alpha(cr_, g.stroke->alpha() * g.alpha);
        } else {
          setSource(false);
          cairo_stroke(cr_);
        }
        cairo_new_path(cr_);
      },
      bounds);
}

void CGContext::fillPath() {
  fillCurrentPath(false, "fillPath", std::nullopt);
}

void CGContext::eoFillPath() {
  fillCurrentPath(true, "eoFillPath", std::nullopt);
}

void CGContext::strokePath() {
  strokeCurrentPath("strokePath", std::nullopt);
}

void CGContext::drawPath(CGPathDrawingMode mode) {
  switch (mode) {
    case CGPathDrawingMode::Fill:
      fillPath();
      return;
    case CGPathDrawingMode::EOFill:
      eoFillPath();
      return;
    case CGPathDrawingMode::Stroke:
      strokePath();
      return;
    case CGPathDrawingMode::FillStroke:
    case CGPathDrawingMode::EOFillStroke: {
      CGPath keep = path_;
      auto stroked = strokedPath_;
      fillCurrentPath(mode == CGPathDrawingMode::EOFillStroke, "fillPath", std::nullopt);
      path_ = std::move(keep);
      strokedPath_ = std::move(stroked);
      strokePath();
      return;
    }
  }
}

void CGContext::fillRect(CGRect rect) {
  CGPath keep = std::move(path_);
  auto stroked = std::move(strokedPath_);
  path_ = CGPath();
  path_.addRect(&state().ctm, rect);
  fillCurrentPath(false, "fillRect", rect);
  path_ = std::move(keep);
  strokedPath_ = std::move(stroked);
}

void CGContext::fillRects(const std::vector<CGRect>& rects) {
  for (const CGRect& r : rects) fillRect(r);
}

void CGContext::strokeRect(CGRect rect) {
  CGPath keep = std::move(path_);
  auto stroked = std::move(strokedPath_);
  path_ = CGPath();
  path_.addRect(&state().ctm, rect);
  strokeCurrentPath("strokeRect", rect);
  path_ = std::move(keep);
  strokedPath_ = std::move(stroked);
}

void CGContext::strokeRectWithWidth(CGRect rect, CGFloat width) {
  saveGState();
  setLineWidth(width);
  strokeRect(rect);
  restoreGState();
}

void CGContext::fillEllipseInRect(CGRect rect) {
  beginPath();
  addEllipseInRect(rect);
  fillCurrentPath(false, "fillEllipse", rect);
}

void CGContext::strokeEllipseInRect(CGRect rect) {
  beginPath();
  addEllipseInRect(rect);
  strokeCurrentPath("strokeEllipse", rect);
}

void CGContext::strokeLineSegments(const std::vector<CGPoint>& points) {
  beginPath();
  for (size_t i = 0; i + 1 < points.size(); i += 2) {
    moveToPoint(points[i].x, points[i].y);
    addLineToPoint(points[i + 1].x, points[i + 1].y);
  }
  strokeCurrentPath("strokeLineSegments", std::nullopt);
}

void CGContext::clearRect(CGRect rect) {
  CGRect device = deviceRectFromUser(rect);
  log("clearRect", device, [] { return std::string(); });
  willPaint();
  ++paintCount_;
  cairo_save(cr_);
  cairo_identity_matrix(cr_);
  cairo_new_path(cr_);
  CGPath p;
  p.addRect(&state().ctm, rect);
  emitPath(p);
  cairo_set_operator(cr_, CAIRO_OPERATOR_CLEAR);
  if (state().mask) {
    cairo_clip(cr_);
    cairo_mask_surface(cr_, state().mask.get(), 0, 0);
  } else {
    cairo_fill(cr_);
  }
  cairo_restore(cr_);
  didPaint();
}

// ---- the painting core: shadow, mask clip and blend mode

void CGContext::paint(const std::function<void()>& draw, std::optional<CGRect> deviceBounds) {
  willPaint();
  ++paintCount_;
  const GState& g = state();
  cairo_operator_t op = operatorFor(g.blend);
  cairo_save(cr_);
  if (!g.shadowActive() && !g.mask) {
    cairo_set_operator(cr_, op);
    draw();
  } else {
    cairo_push_group(cr_);
    cairo_set_operator(cr_, CAIRO_OPERATOR_OVER);
    draw();
    cairo_pattern_t* content = cairo_pop_group(cr_);
    compositeGroup(content, deviceBounds);
    cairo_pattern_destroy(content);
  }
  cairo_restore(cr_);
  didPaint();
}

void CGContext::compositeGroup(cairo_pattern_t* content, std::optional<CGRect> deviceBounds) {
  const GState& g = state();
  cairo_operator_t op = operatorFor(g.blend);
  cairo_identity_matrix(cr_);
  if (g.mask) cairo_push_group(cr_);
  cairo_set_operator(cr_, g.mask ? CAIRO_OPERATOR_OVER : op);
  if (g.shadowActive()) {
    // Offset and blur are in the base space.
    const CGAffineTransform& b = base_;
    CGFloat dx = b.a * g.shadowOffset.width + b.c * g.shadowOffset.height;
    CGFloat dy = b.b * g.shadowOffset.width + b.d * g.shadowOffset.height;
    CGFloat scale = std::sqrt(std::fabs(b.a * b.d - b.b * b.c));
    double sigma = g.shadowBlur * scale / 2;
    double spread = std::ceil(3 * sigma) + 1;
    // The region whose alpha is blurred: what was drawn, widened by the blur, within the clip.
    double cx0, cy0, cx1, cy1;
    cairo_clip_extents(cr_, &cx0, &cy0, &cx1, &cy1);
    CGRect clipBox = boxOf(cx0, cy0, cx1, cy1);
    CGRect drawn = deviceBounds ? CGRectIntersection(*deviceBounds, clipBox) : clipBox;
    CGRect region = CGRectIntegral(CGRectInset(drawn, -spread, -spread));
    if (!CGRectIsEmpty(region) && region.size.width < 32768 && region.size.height < 32768) {
      int w = int(region.size.width), h = int(region.size.height);
      SurfacePtr alpha = adopt(cairo_image_surface_create(CAIRO_FORMAT_A8, w, h));
      cairo_t* acr = cairo_create(alpha.get());
      cairo_translate(acr, -region.origin.x, -region.origin.y);
      cairo_set_source(acr, content);
      cairo_paint(acr);
      cairo_destroy(acr);
      cairo_surface_flush(alpha.get());
      CGBlurAlphaPlane(cairo_image_surface_get_data(alpha.get()), w, h,
                       cairo_image_surface_get_stride(alpha.get()), sigma);
      cairo_surface_mark_dirty(alpha.get());
      CGRGBA c = g.shadowColor->rgba();
      cairo_set_source_rgba(cr_, c.r, c.g, c.b, c.a);
      cairo_mask_surface(cr_, alpha.get(), region.origin.x + dx, region.origin.y + dy);
    }
  }
  cairo_set_source(cr_, content);
  cairo_paint(cr_);
  if (g.mask) {
    cairo_pattern_t* both = cairo_pop_group(cr_);
    cairo_set_operator(cr_, op);
    cairo_set_source(cr_, both);
    cairo_mask_surface(cr_, g.mask.get(), 0, 0);
    cairo_pattern_destroy(both);
  }
}

// ---- clipping

void CGContext::clip() {
  if (strokedPath_) {
    log("clipToStrokedPath", strokedPath_->deviceBounds, [] { return std::string(); });
    state().mask = intersectMasks(state().mask, strokedPath_->coverage);
    strokedPath_.reset();
    path_ = CGPath();
    return;
  }
  cairo_identity_matrix(cr_);
  cairo_new_path(cr_);
  emitPath(path_);
  cairo_set_fill_rule(cr_, CAIRO_FILL_RULE_WINDING);
  cairo_clip(cr_);
  path_ = CGPath();
}

void CGContext::eoClip() {
  if (strokedPath_) {
    clip();
    return;
  }
  cairo_identity_matrix(cr_);
  cairo_new_path(cr_);
  emitPath(path_);
  cairo_set_fill_rule(cr_, CAIRO_FILL_RULE_EVEN_ODD);
  cairo_clip(cr_);
  cairo_set_fill_rule(cr_, CAIRO_FILL_RULE_WINDING);
  path_ = CGPath();
}

void CGContext::clipToRect(CGRect rect) {
  beginPath();
  addRect(rect);
  clip();
}

void CGContext::clipToRects(const std::vector<CGRect>& rects) {
  beginPath();
  addRects(rects);
  clip();
}

void CGContext::clipToMask(CGRect rect, const CGImageRef& image) {
  cairo_surface_t* mask = image ? image->maskSurface() : nullptr;
  SurfacePtr coverage =
      adopt(cairo_image_surface_create(CAIRO_FORMAT_A8, int(pixelWidth_), int(pixelHeight_)));
  if (mask && rect.size.width != 0 && rect.size.height != 0) {
    cairo_t* cr = cairo_create(coverage.get());
    cairo_matrix_t m = toCairo(state().ctm);
    cairo_set_matrix(cr, &m);
    cairo_translate(cr, rect.origin.x, rect.origin.y + rect.size.height);
    cairo_scale(cr, rect.size.width / double(image->width()),
                -rect.size.height / double(image->height()));
    cairo_pattern_t* p = cairo_pattern_create_for_surface(mask);
    cairo_pattern_set_extend(p, CAIRO_EXTEND_PAD);
    cairo_pattern_set_filter(p, filterFor(state().interpolation, image->shouldInterpolate()));
    cairo_set_source(cr, p);
    cairo_pattern_destroy(p);
    cairo_rectangle(cr, 0, 0, double(image->width()), double(image->height()));
    cairo_fill(cr);
    cairo_destroy(cr);
    cairo_surface_flush(coverage.get());
  }
  state().mask = intersectMasks(state().mask, coverage);
}

CGRect CGContext::getClipBoundingBox() const {
  cairo_save(cr_);
  cairo_identity_matrix(cr_);
  double x0, y0, x1, y1;
  cairo_clip_extents(cr_, &x0, &y0, &x1, &y1);
  cairo_restore(cr_);
  CGRect device = boxOf(x0, y0, x1, y1);
  return CGRectApplyAffineTransform(device, CGAffineTransformInvert(state().ctm));
}

// ---- colours and style

void CGContext::setFillColorWithColor(const CGColorRef& color) {
  state().fill = color ? color : opaqueBlack();
}

void CGContext::setStrokeColorWithColor(const CGColorRef& color) {
  state().stroke = color ? color : opaqueBlack();
}

void CGContext::setRGBFillColor(CGFloat r, CGFloat g, CGFloat b, CGFloat a) {
  state().fill = CGColor::createGenericRGB(r, g, b, a);
}

void CGContext::setRGBStrokeColor(CGFloat r, CGFloat g, CGFloat b, CGFloat a) {
  state().stroke = CGColor::createGenericRGB(r, g, b, a);
}

void CGContext::setGrayFillColor(CGFloat gray, CGFloat a) {
  state().fill = CGColor::createGenericGray(gray, a);
}

void CGContext::setGrayStrokeColor(CGFloat gray, CGFloat a) {
  state().stroke = CGColor::createGenericGray(gray, a);
}

CGColorRef CGContext::fillColor() const {
  return state().fill;
}

CGColorRef CGContext::strokeColor() const {
  return state().stroke;
}

void CGContext::setAlpha(CGFloat alpha) {
  state().alpha = std::isnan(alpha) ? 0 : std::clamp(alpha, 0.0, 1.0);
}

CGFloat CGContext::alpha() const {
  return state().alpha;
}

void CGContext::setLineWidth(CGFloat width) {
  state().lineWidth = std::max<CGFloat>(0, width);
}

void CGContext::setLineCap(CGLineCap cap) {
  state().cap = cap;
}

void CGContext::setLineJoin(CGLineJoin join) {
  state().join = join;
}

void CGContext::setMiterLimit(CGFloat limit) {
  state().miterLimit = limit;
}

void CGContext::setLineDash(CGFloat phase, const std::vector<CGFloat>& lengths) {
  GState& g = state();
  g.dash.clear();
  bool anyPositive = false;
  for (CGFloat l : lengths) {
    if (l < 0) {
      g.dash.clear();
      return;
    }
    anyPositive |= l > 0;
    g.dash.push_back(l);
  }
  if (!anyPositive) g.dash.clear();
  g.dashPhase = phase;
}

void CGContext::setBlendMode(CGBlendMode mode) {
  if (recording_ && mode != state().blend)
    records_.push_back({"blendMode", CGRectZero, "mode=" + std::to_string(int(mode))});
  state().blend = mode;
}

void CGContext::setShouldAntialias(bool antialias) {
  state().antialias = antialias;
}

void CGContext::setAllowsAntialiasing(bool allows) {
  state().allowsAntialias = allows;
}

void CGContext::setInterpolationQuality(CGInterpolationQuality quality) {
  state().interpolation = quality;
}

CGInterpolationQuality CGContext::interpolationQuality() const {
  return state().interpolation;
}

void CGContext::setShadow(CGSize offset, CGFloat blur) {
  setShadowWithColor(offset, blur, CGColor::createGenericGray(0, 1.0 / 3));
}

void CGContext::setShadowWithColor(CGSize offset, CGFloat blur, const CGColorRef& color) {
  GState& g = state();
  g.shadowOffset = offset;
  g.shadowBlur = std::max<CGFloat>(0, blur);
  g.shadowColor = color;
}

// ---- transparency layers

void CGContext::beginTransparencyLayer() {
  saveGState();
  startLayer();
}

void CGContext::beginTransparencyLayerWithRect(CGRect rect) {
  saveGState();
  clipToRect(rect);
  startLayer();
}

void CGContext::startLayer() {
  layers_.push_back({states_.size()});
  GState& g = state();
  g.alpha = 1;
  g.blend = CGBlendMode::Normal;
  g.shadowColor.reset();
  g.mask.reset();
  cairo_push_group(cr_);
}

void CGContext::endTransparencyLayer() {
  if (layers_.empty()) return;
  size_t depth = layers_.back().depth;
  while (states_.size() > depth) {
    states_.pop_back();
    cairo_restore(cr_);
  }
  // The layer's own save, made before its group.
  cairo_pattern_t* content = cairo_pop_group(cr_);
  layers_.pop_back();
  states_.pop_back();
  cairo_restore(cr_);
  double x0, y0, x1, y1;
  cairo_save(cr_);
  cairo_identity_matrix(cr_);
  cairo_clip_extents(cr_, &x0, &y0, &x1, &y1);
  cairo_restore(cr_);
  log("transparencyLayer", boxOf(x0, y0, x1, y1), [] { return std::string(); });
  paint(
      [&] {
        cairo_identity_matrix(cr_);
        cairo_set_source(cr_, content);
        cairo_paint_with_alpha(cr_, state().alpha);
      },
      std::nullopt);
  cairo_pattern_destroy(content);
}

// ---- gradients

void CGContext::drawGradient(cairo_pattern_t* pattern, CGGradientDrawingOptions options,
                             bool linear, CGPoint p0, CGFloat r0, CGPoint p1, CGFloat r1,
                             const char* op) {
  bool before = options & kCGGradientDrawsBeforeStartLocation;
  bool after = options & kCGGradientDrawsAfterEndLocation;
  cairo_pattern_set_extend(pattern, before || after ? CAIRO_EXTEND_PAD : CAIRO_EXTEND_NONE);
  double x0, y0, x1, y1;
  cairo_save(cr_);
  cairo_identity_matrix(cr_);
  cairo_clip_extents(cr_, &x0, &y0, &x1, &y1);
  cairo_restore(cr_);
  log(op, boxOf(x0, y0, x1, y1), [] { return std::string(); });
  paint(
      [&] {
        applyUserMatrix();
        // One end extended and not the other: cut away the side that must stay empty.
        if (before != after) {
          const double far = 1e6;
          if (linear) {
            CGFloat dx = p1.x - p0.x, dy = p1.y - p0.y, len = std::hypot(dx, dy);
            if (len > 0) {
              dx /= len;
              dy /= len;
              // Keep the half-plane beyond the start (after only) or before the end.
              CGPoint o = before ? p1 : p0;
              CGFloat sx = before ? -dx : dx, sy = before ? -dy : dy;
              CGFloat nx = -sy, ny = sx;
              cairo_move_to(cr_, o.x + nx * far, o.y + ny * far);
              cairo_line_to(cr_, o.x - nx * far, o.y - ny * far);
              cairo_line_to(cr_, o.x - nx * far + sx * far, o.y - ny * far + sy * far);
              cairo_line_to(cr_, o.x + nx * far + sx * far, o.y + ny * far + sy * far);
              cairo_close_path(cr_);
              cairo_clip(cr_);
            }
          } else if (after && r0 > 0) {
            // Everything outside the start circle.
            cairo_set_fill_rule(cr_, CAIRO_FILL_RULE_EVEN_ODD);
            cairo_rectangle(cr_, -far, -far, 2 * far, 2 * far);
            cairo_new_sub_path(cr_);
            cairo_arc(cr_, p0.x, p0.y, r0, 0, 2 * M_PI);
            cairo_clip(cr_);
            cairo_set_fill_rule(cr_, CAIRO_FILL_RULE_WINDING);
          } else if (before) {
            // Everything inside the end circle.
            cairo_new_sub_path(cr_);
            cairo_arc(cr_, p1.x, p1.y, std::max<CGFloat>(r1, 0), 0, 2 * M_PI);
            cairo_clip(cr_);
          }
        }
        cairo_set_source(cr_, pattern);
        cairo_paint_with_alpha(cr_, state().alpha);
      },
      std::nullopt);
}

namespace {

void addStops(cairo_pattern_t* p, const CGGradientRef& gradient) {
  for (const auto& s : gradient->stops())
    cairo_pattern_add_color_stop_rgba(p, s.location, s.color.r, s.color.g, s.color.b, s.color.a);
}

}  // namespace

void CGContext::drawLinearGradient(const CGGradientRef& gradient, CGPoint start, CGPoint end,
                                   CGGradientDrawingOptions options) {
  if (!gradient) return;
  cairo_pattern_t* p = cairo_pattern_create_linear(start.x, start.y, end.x, end.y);
  addStops(p, gradient);
  drawGradient(p, options, true, start, 0, end, 0, "drawLinearGradient");
  cairo_pattern_destroy(p);
}

void CGContext::drawRadialGradient(const CGGradientRef& gradient, CGPoint startCenter,
                                   CGFloat startRadius, CGPoint endCenter, CGFloat endRadius,
                                   CGGradientDrawingOptions options) {
  if (!gradient) return;
  cairo_pattern_t* p =
      cairo_pattern_create_radial(startCenter.x, startCenter.y, std::max<CGFloat>(0, startRadius),
                                  endCenter.x, endCenter.y, std::max<CGFloat>(0, endRadius));
  addStops(p, gradient);
  drawGradient(p, options, false, startCenter, startRadius, endCenter, endRadius,
               "drawRadialGradient");
  cairo_pattern_destroy(p);
}

// ---- images

void CGContext::drawImage(CGRect rect, const CGImageRef& image) {
  drawImageInternal(rect, image, false);
}

void CGContext::drawTiledImage(CGRect rect, const CGImageRef& image) {
  drawImageInternal(rect, image, true);
}

void CGContext::drawImageInternal(CGRect rect, const CGImageRef& image, bool tiled) {
  if (!image || rect.size.width == 0 || rect.size.height == 0) return;
  cairo_surface_t* surface = image->surface();
  if (!surface) return;
  CGRect device = deviceRectFromUser(rect);
  log(tiled ? "drawTiledImage" : "drawImage", device, [&] {
    std::string d = "image=";
    d += image->sourceName().empty() ? "?" : "\"" + image->sourceName() + "\"";
    d += " size=" + std::to_string(image->width()) + "x" + std::to_string(image->height());
    if (image->isMask()) {
      d += " " + colorText(true);
    } else if (state().alpha != 1) {
      d += " alpha=" + num(state().alpha);
    }
    return d;
  });
  double iw = double(image->width()), ih = double(image->height());
  paint(
      [&] {
        const GState& g = state();
        applyUserMatrix();
        cairo_translate(cr_, rect.origin.x, rect.origin.y + rect.size.height);
        cairo_scale(cr_, rect.size.width / iw, -rect.size.height / ih);
        cairo_pattern_t* p = cairo_pattern_create_for_surface(surface);
        cairo_pattern_set_filter(p, filterFor(g.interpolation, image->shouldInterpolate()));
        cairo_pattern_set_extend(p, tiled ? CAIRO_EXTEND_REPEAT : CAIRO_EXTEND_PAD);
        if (!tiled) {
          cairo_rectangle(cr_, 0, 0, iw, ih);
          cairo_clip(cr_);
        }
        if (image->isMask()) {
          CGRGBA c = g.fill ? g.fill->rgba() : CGRGBA{0, 0, 0, 1};
          cairo_set_source_rgba(cr_, c.r, c.g, c.b, c.a * g.alpha);
          cairo_mask(cr_, p);
        } else {
          cairo_set_source(cr_, p);
          cairo_paint_with_alpha(cr_, g.alpha);
        }
        cairo_pattern_destroy(p);
      },
      tiled ? std::nullopt : std::optional<CGRect>(device));
}

void CGContext::flush() {
  cairo_surface_flush(target_);
}

// ---- drawing by others on this context

cairo_t* CGContext::beginCairoDrawing(std::optional<CGRect> userBounds) {
  willPaint();
  ++paintCount_;
  ++externalDepth_;
  cairo_save(cr_);
  const GState& g = state();
  bool grouped = g.shadowActive() || g.mask;
  if (grouped) {
    cairo_push_group(cr_);
  } else {
    cairo_set_operator(cr_, operatorFor(g.blend));
  }
  cairoBounds_ = userBounds ? std::optional<CGRect>(deviceRectFromUser(*userBounds)) : std::nullopt;
  applyUserMatrix();
  setSource(true);
  cairo_set_antialias(
      cr_, g.antialias && g.allowsAntialias ? CAIRO_ANTIALIAS_DEFAULT : CAIRO_ANTIALIAS_NONE);
  cairo_new_path(cr_);
  return cr_;
}

void CGContext::endCairoDrawing() {
  if (externalDepth_ == 0) return;
  --externalDepth_;
  const GState& g = state();
  if (g.shadowActive() || g.mask) {
    cairo_pattern_t* content = cairo_pop_group(cr_);
    compositeGroup(content, cairoBounds_);
    cairo_pattern_destroy(content);
  }
  cairo_restore(cr_);
  didPaint();
}

// ---- records

CGRect CGContext::deviceRectFromUser(CGRect userRect) const {
  return CGRectApplyAffineTransform(userRect, state().ctm);
}

CGRect CGContext::baseRectFromDevice(CGRect deviceRect) const {
  return CGRectApplyAffineTransform(deviceRect, CGAffineTransformInvert(base_));
}

std::string CGContext::colorText(bool fill) const {
  const GState& g = state();
  const CGColorRef& c = fill ? g.fill : g.stroke;
  std::string s = fill ? "fill=" : "stroke=";
  if (c && c->isPattern()) {
    s += "pattern";
    if (c->patternImage() && !c->patternImage()->sourceName().empty())
      s += "(\"" + c->patternImage()->sourceName() + "\")";
  } else {
    s += rgbaText(c ? c->rgba() : CGRGBA{});
  }
  if (g.alpha != 1) s += " alpha=" + num(g.alpha);
  if (g.blend != CGBlendMode::Normal) s += " blend=" + std::to_string(int(g.blend));
  if (g.shadowActive()) s += " shadow";
  return s;
}

void CGContext::log(const char* op, CGRect deviceRect, const std::function<std::string()>& detail) {
  if (!recording_) return;
  records_.push_back({op, baseRectFromDevice(deviceRect), detail()});
}

void CGContext::record(std::string op, CGRect userRect, std::string detail) {
  if (!recording_) return;
  records_.push_back(
      {std::move(op), baseRectFromDevice(deviceRectFromUser(userRect)), std::move(detail)});
}

std::string CGDrawingRecord::description() const {
  std::string s = op + " (" + num(rect.origin.x) + " " + num(rect.origin.y) + "; " +
                  num(rect.size.width) + " " + num(rect.size.height) + ")";
  if (!detail.empty()) s += " " + detail;
  return s;
}

std::string CGContext::recordsText() const {
  std::string out;
  for (const auto& r : records_) out += r.description() + "\n";
  return out;
}

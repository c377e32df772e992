#include "CoreGraphics/CGPath.h"

#include <algorithm>
#include <cmath>

namespace {

CGPoint mapped(const CGAffineTransform* t, CGFloat x, CGFloat y) {
  if (!t) return {x, y};
  return CGPointApplyAffineTransform({x, y}, *t);
}

CGPoint lerp(CGPoint a, CGPoint b, CGFloat u) {
  return {a.x + (b.x - a.x) * u, a.y + (b.y - a.y) * u};
}

CGPoint cubicAt(CGPoint p0, CGPoint p1, CGPoint p2, CGPoint p3, CGFloat u) {
  CGFloat v = 1 - u;
  CGFloat a = v * v * v, b = 3 * v * v * u, c = 3 * v * u * u, d = u * u * u;
  return {a * p0.x + b * p1.x + c * p2.x + d * p3.x, a * p0.y + b * p1.y + c * p2.y + d * p3.y};
}

// The parameters in (0, 1) where one coordinate of a cubic has a turning point.
void cubicExtrema(CGFloat p0, CGFloat p1, CGFloat p2, CGFloat p3, std::vector<CGFloat>& out) {
  // Derivative / 3: a u² + b u + c.
  CGFloat a = -p0 + 3 * p1 - 3 * p2 + p3;
  CGFloat b = 2 * (p0 - 2 * p1 + p2);
  CGFloat c = p1 - p0;
  auto keep = [&](CGFloat u) {
    if (u > 0 && u < 1) out.push_back(u);
  };
  if (std::fabs(a) < 1e-12) {
    if (std::fabs(b) > 1e-12) keep(-c / b);
    return;
  }
  CGFloat disc = b * b - 4 * a * c;
  if (disc < 0) return;
  CGFloat s = std::sqrt(disc);
  keep((-b + s) / (2 * a));
  keep((-b - s) / (2 * a));
}

void extend(CGRect& box, bool& any, CGPoint p) {
  if (!any) {
    box = {p, {0, 0}};
    any = true;
    return;
  }
  box = CGRectUnion(box, {p, {0, 0}});
}

}  // namespace

std::optional<CGPoint> CGPath::currentPoint() const {
  if (elements_.empty()) return std::nullopt;
  const CGPathElement& e = elements_.back();
  switch (e.type) {
    case CGPathElementType::MoveToPoint:
    case CGPathElementType::AddLineToPoint:
      return e.points[0];
    case CGPathElementType::AddQuadCurveToPoint:
      return e.points[1];
    case CGPathElementType::AddCurveToPoint:
      return e.points[2];
    case CGPathElementType::CloseSubpath:
      return subpathStart_;
  }
  return std::nullopt;
}

void CGPath::apply(const std::function<void(const CGPathElement&)>& f) const {
  for (const auto& e : elements_) f(e);
}

void CGPath::add(CGPathElementType type, std::initializer_list<CGPoint> points) {
  CGPathElement e{type, {}};
  size_t i = 0;
  for (const CGPoint& p : points) e.points[i++] = p;
  elements_.push_back(e);
}

void CGPath::moveToPoint(const CGAffineTransform* t, CGFloat x, CGFloat y) {
  CGPoint p = mapped(t, x, y);
  add(CGPathElementType::MoveToPoint, {p});
  subpathStart_ = p;
  open_ = true;
}

void CGPath::openSubpath(const CGAffineTransform* t, CGFloat x, CGFloat y) {
  if (open_) return;
  auto cp = currentPoint();
  if (!cp) {
    moveToPoint(t, x, y);
    return;
  }
  // After a close a new subpath starts where the pen is.
  add(CGPathElementType::MoveToPoint, {*cp});
  subpathStart_ = *cp;
  open_ = true;
}

void CGPath::addLineToPoint(const CGAffineTransform* t, CGFloat x, CGFloat y) {
  bool empty = !open_ && !currentPoint();
  openSubpath(t, x, y);
  if (!empty) add(CGPathElementType::AddLineToPoint, {mapped(t, x, y)});
}

void CGPath::addQuadCurveToPoint(const CGAffineTransform* t, CGFloat cpx, CGFloat cpy, CGFloat x,
                                 CGFloat y) {
  openSubpath(t, cpx, cpy);
  add(CGPathElementType::AddQuadCurveToPoint, {mapped(t, cpx, cpy), mapped(t, x, y)});
}

void CGPath::addCurveToPoint(const CGAffineTransform* t, CGFloat cp1x, CGFloat cp1y, CGFloat cp2x,
                             CGFloat cp2y, CGFloat x, CGFloat y) {
  openSubpath(t, cp1x, cp1y);
  add(CGPathElementType::AddCurveToPoint,
      {mapped(t, cp1x, cp1y), mapped(t, cp2x, cp2y), mapped(t, x, y)});
}

void CGPath::closeSubpath() {
  if (!open_) return;
  add(CGPathElementType::CloseSubpath, {});
  open_ = false;
}

void CGPath::addRect(const CGAffineTransform* t, CGRect rect) {
  CGRect r = CGRectStandardize(rect);
  CGFloat x0 = r.origin.x, y0 = r.origin.y, x1 = CGRectGetMaxX(r), y1 = CGRectGetMaxY(r);
  moveToPoint(t, x0, y0);
  addLineToPoint(t, x1, y0);
  addLineToPoint(t, x1, y1);
  addLineToPoint(t, x0, y1);
  closeSubpath();
}

void CGPath::addRects(const CGAffineTransform* t, const std::vector<CGRect>& rects) {
  for (const CGRect& r : rects) addRect(t, r);
}

void CGPath::addLines(const CGAffineTransform* t, const std::vector<CGPoint>& points) {
  for (size_t i = 0; i < points.size(); ++i) {
    if (i == 0) {
      moveToPoint(t, points[i].x, points[i].y);
    } else {
      addLineToPoint(t, points[i].x, points[i].y);
    }
  }
}

void CGPath::appendArcCurves(const CGAffineTransform* t, CGFloat cx, CGFloat cy, CGFloat rx,
                             CGFloat ry, CGFloat start, CGFloat sweep) {
  if (sweep == 0) return;
  int n = std::max(1, int(std::ceil(std::fabs(sweep) / (M_PI / 2) - 1e-9)));
  CGFloat step = sweep / n;
  CGFloat k = 4.0 / 3.0 * std::tan(step / 4);
  CGFloat a = start;
  for (int i = 0; i < n; ++i) {
    CGFloat b = (i == n - 1) ? start + sweep : a + step;
    CGFloat ca = std::cos(a), sa = std::sin(a), cb = std::cos(b), sb = std::sin(b);
    add(CGPathElementType::AddCurveToPoint,
        {mapped(t, cx + rx * (ca - k * sa), cy + ry * (sa + k * ca)),
         mapped(t, cx + rx * (cb + k * sb), cy + ry * (sb - k * cb)),
         mapped(t, cx + rx * cb, cy + ry * sb)});
    a = b;
  }
}

void CGPath::addEllipseInRect(const CGAffineTransform* t, CGRect rect) {
  CGRect r = CGRectStandardize(rect);
  CGFloat rx = r.size.width / 2, ry = r.size.height / 2;
  CGFloat cx = r.origin.x + rx, cy = r.origin.y + ry;
  moveToPoint(t, cx + rx, cy);
  appendArcCurves(t, cx, cy, rx, ry, 0, 2 * M_PI);
  closeSubpath();
}

void CGPath::addArc(const CGAffineTransform* t, CGFloat x, CGFloat y, CGFloat radius,
                    CGFloat startAngle, CGFloat endAngle, bool clockwise) {
  CGFloat sweep;
  const CGFloat full = 2 * M_PI;
  if (clockwise) {
    sweep = endAngle - startAngle;  // wanted: negative
    if (sweep <= -full) {
      sweep = -full;
    } else if (sweep > 0) {
      sweep = std::fmod(sweep, full) - full;
      if (sweep == -full && std::fmod(endAngle - startAngle, full) == 0) sweep = 0;
    }
  } else {
    sweep = endAngle - startAngle;
    if (sweep >= full) {
      sweep = full;
    } else if (sweep < 0) {
      sweep = std::fmod(sweep, full) + full;
      if (sweep == full && std::fmod(endAngle - startAngle, full) == 0) sweep = 0;
    }
  }
  addRelativeArc(t, x, y, radius, startAngle, sweep);
}

void CGPath::addRelativeArc(const CGAffineTransform* t, CGFloat x, CGFloat y, CGFloat radius,
                            CGFloat startAngle, CGFloat delta) {
  CGFloat sx = x + radius * std::cos(startAngle), sy = y + radius * std::sin(startAngle);
  if (open_ || currentPoint()) {
    addLineToPoint(t, sx, sy);
  } else {
    moveToPoint(t, sx, sy);
  }
  appendArcCurves(t, x, y, radius, radius, startAngle, delta);
}

void CGPath::addArcToPoint(const CGAffineTransform* t, CGFloat x1, CGFloat y1, CGFloat x2,
                           CGFloat y2, CGFloat radius) {
  // The current point is kept in path space; work in user space by mapping it back.
  auto cp = currentPoint();
  if (!cp) {
    moveToPoint(t, x1, y1);
    return;
  }
  CGPoint p0 = *cp;
  if (t) p0 = CGPointApplyAffineTransform(p0, CGAffineTransformInvert(*t));
  CGFloat ux = p0.x - x1, uy = p0.y - y1, vx = x2 - x1, vy = y2 - y1;
  CGFloat lu = std::hypot(ux, uy), lv = std::hypot(vx, vy);
  CGFloat cross = ux * vy - uy * vx;
  if (radius <= 0 || lu == 0 || lv == 0 || std::fabs(cross) < 1e-12 * lu * lv) {
    addLineToPoint(t, x1, y1);
    return;
  }
  ux /= lu;
  uy /= lu;
  vx /= lv;
  vy /= lv;
  CGFloat cosTheta = std::clamp(ux * vx + uy * vy, -1.0, 1.0);
  CGFloat theta = std::acos(cosTheta);  // the corner's angle
  CGFloat d = radius / std::tan(theta / 2);
  CGFloat t1x = x1 + ux * d, t1y = y1 + uy * d;
  CGFloat t2x = x1 + vx * d, t2y = y1 + vy * d;
  CGFloat bx = ux + vx, by = uy + vy, lb = std::hypot(bx, by);
  CGFloat h = radius / std::sin(theta / 2);
  CGFloat cx = x1 + bx / lb * h, cy = y1 + by / lb * h;
  CGFloat a0 = std::atan2(t1y - cy, t1x - cx), a1 = std::atan2(t2y - cy, t2x - cx);
  CGFloat sweep = a1 - a0;
  while (sweep > M_PI) sweep -= 2 * M_PI;
  while (sweep < -M_PI) sweep += 2 * M_PI;
  addLineToPoint(t, t1x, t1y);
  appendArcCurves(t, cx, cy, radius, radius, a0, sweep);
}

void CGPath::addRoundedRect(const CGAffineTransform* t, CGRect rect, CGFloat cw, CGFloat ch) {
  CGRect r = CGRectStandardize(rect);
  cw = std::min(cw, r.size.width / 2);
  ch = std::min(ch, r.size.height / 2);
  if (cw <= 0 || ch <= 0) {
    addRect(t, r);
    return;
  }
  CGFloat x0 = r.origin.x, y0 = r.origin.y, x1 = CGRectGetMaxX(r), y1 = CGRectGetMaxY(r);
  moveToPoint(t, x0 + cw, y0);
  addLineToPoint(t, x1 - cw, y0);
  appendArcCurves(t, x1 - cw, y0 + ch, cw, ch, -M_PI / 2, M_PI / 2);
  addLineToPoint(t, x1, y1 - ch);
  appendArcCurves(t, x1 - cw, y1 - ch, cw, ch, 0, M_PI / 2);
  addLineToPoint(t, x0 + cw, y1);
  appendArcCurves(t, x0 + cw, y1 - ch, cw, ch, M_PI / 2, M_PI / 2);
  addLineToPoint(t, x0, y0 + ch);
  appendArcCurves(t, x0 + cw, y0 + ch, cw, ch, M_PI, M_PI / 2);
  closeSubpath();
}

void CGPath::addPath(const CGAffineTransform* t, const CGPath& other) {
  for (const CGPathElement& e : other.elements_) {
    CGPathElement c = e;
    if (t)
      for (CGPoint& p : c.points) p = CGPointApplyAffineTransform(p, *t);
    elements_.push_back(c);
    if (c.type == CGPathElementType::MoveToPoint) {
      subpathStart_ = c.points[0];
      open_ = true;
    } else if (c.type == CGPathElementType::CloseSubpath) {
      open_ = false;
    }
  }
}

CGRect CGPath::boundingBox() const {
  CGRect box = CGRectNull;
  bool any = false;
  for (const CGPathElement& e : elements_) {
    int n = e.type == CGPathElementType::AddCurveToPoint       ? 3
            : e.type == CGPathElementType::AddQuadCurveToPoint ? 2
            : e.type == CGPathElementType::CloseSubpath        ? 0
                                                               : 1;
    for (int i = 0; i < n; ++i) extend(box, any, e.points[i]);
  }
  return box;
}

CGRect CGPath::pathBoundingBox() const {
  CGRect box = CGRectNull;
  bool any = false;
  CGPoint pen{};
  for (const CGPathElement& e : elements_) {
    switch (e.type) {
      case CGPathElementType::MoveToPoint:
      case CGPathElementType::AddLineToPoint:
        extend(box, any, e.points[0]);
        pen = e.points[0];
        break;
      case CGPathElementType::AddQuadCurveToPoint: {
        // Raised to a cubic for the extrema.
        CGPoint c1 = lerp(pen, e.points[0], 2.0 / 3), c2 = lerp(e.points[1], e.points[0], 2.0 / 3);
        std::vector<CGFloat> us;
        cubicExtrema(pen.x, c1.x, c2.x, e.points[1].x, us);
        cubicExtrema(pen.y, c1.y, c2.y, e.points[1].y, us);
        for (CGFloat u : us) extend(box, any, cubicAt(pen, c1, c2, e.points[1], u));
        extend(box, any, e.points[1]);
        pen = e.points[1];
        break;
      }
      case CGPathElementType::AddCurveToPoint: {
        std::vector<CGFloat> us;
        cubicExtrema(pen.x, e.points[0].x, e.points[1].x, e.points[2].x, us);
        cubicExtrema(pen.y, e.points[0].y, e.points[1].y, e.points[2].y, us);
        for (CGFloat u : us)
          extend(box, any, cubicAt(pen, e.points[0], e.points[1], e.points[2], u));
        extend(box, any, e.points[2]);
        pen = e.points[2];
        break;
      }
      case CGPathElementType::CloseSubpath:
        break;
    }
  }
  return box;
}

std::vector<CGPath::Polygon> CGPath::flattened(CGFloat tolerance) const {
  std::vector<Polygon> out;
  CGPoint pen{};
  auto segments = [&](CGFloat length) {
    return std::clamp(int(std::ceil(std::sqrt(length / std::max(tolerance, 1e-6)))), 1, 256);
  };
  for (const CGPathElement& e : elements_) {
    switch (e.type) {
      case CGPathElementType::MoveToPoint:
        out.push_back({{e.points[0]}, false});
        pen = e.points[0];
        break;
      case CGPathElementType::AddLineToPoint:
        if (out.empty()) out.push_back({{pen}, false});
        out.back().points.push_back(e.points[0]);
        pen = e.points[0];
        break;
      case CGPathElementType::AddQuadCurveToPoint:
      case CGPathElementType::AddCurveToPoint: {
        if (out.empty()) out.push_back({{pen}, false});
        CGPoint c1, c2, end;
        if (e.type == CGPathElementType::AddQuadCurveToPoint) {
          end = e.points[1];
          c1 = lerp(pen, e.points[0], 2.0 / 3);
          c2 = lerp(end, e.points[0], 2.0 / 3);
        } else {
          c1 = e.points[0];
          c2 = e.points[1];
          end = e.points[2];
        }
        CGFloat len = std::hypot(c1.x - pen.x, c1.y - pen.y) +
                      std::hypot(c2.x - c1.x, c2.y - c1.y) + std::hypot(end.x - c2.x, end.y - c2.y);
        int n = segments(len);
        for (int i = 1; i <= n; ++i)
          out.back().points.push_back(cubicAt(pen, c1, c2, end, CGFloat(i) / n));
        pen = end;
        break;
      }
      case CGPathElementType::CloseSubpath:
        if (!out.empty()) {
          out.back().closed = true;
          pen = out.back().points.front();
        }
        break;
    }
  }
  return out;
}

bool CGPath::containsPoint(const CGAffineTransform* t, CGPoint point, bool evenOdd) const {
  if (t) point = CGPointApplyAffineTransform(point, CGAffineTransformInvert(*t));
  int winding = 0, crossings = 0;
  for (const Polygon& poly : flattened()) {
    const auto& p = poly.points;
    size_t n = p.size();
    if (n < 2) continue;
    // Every subpath counts as closed for filling.
    for (size_t i = 0; i < n; ++i) {
      CGPoint a = p[i], b = p[(i + 1) % n];
      if ((a.y <= point.y) != (b.y <= point.y)) {
        CGFloat x = a.x + (point.y - a.y) / (b.y - a.y) * (b.x - a.x);
        if (x > point.x) {
          ++crossings;
          winding += b.y > a.y ? 1 : -1;
        }
      }
    }
  }
  return evenOdd ? (crossings % 2) == 1 : winding != 0;
}

bool CGPath::operator==(const CGPath& other) const {
  if (elements_.size() != other.elements_.size()) return false;
  for (size_t i = 0; i < elements_.size(); ++i) {
    const auto &a = elements_[i], &b = other.elements_[i];
    if (a.type != b.type) return false;
    for (int k = 0; k < 3; ++k)
      if (a.points[k] != b.points[k]) return false;
  }
  return true;
}

CGPath CGPath::transformed(const CGAffineTransform& t) const {
  CGPath copy;
  copy.addPath(&t, *this);
  copy.open_ = open_;
  return copy;
}

// Paths: subpaths of straight lines and quadratic and cubic Bézier curves, kept as the
// platform keeps them (arcs and ellipses become cubic curves when they are added).  Every
// operation that takes a transform applies it to the points it adds.
//
// Arcs follow the platform's convention: an angle a is the point (cx + r cos a, cy + r sin a),
// and "clockwise" means decreasing angles (clockwise in a y-up space, counter-clockwise on a
// flipped, top-left-origin screen).
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "CoreGraphics/CGAffineTransform.h"
#include "CoreGraphics/CGGeometry.h"

enum class CGPathElementType {
  MoveToPoint = 0,
  AddLineToPoint = 1,
  AddQuadCurveToPoint = 2,
  AddCurveToPoint = 3,
  CloseSubpath = 4
};

struct CGPathElement {
  CGPathElementType type;
  // 1 point for move and line, 2 for a quadratic curve (control, end), 3 for a cubic curve
  // (control 1, control 2, end), none for close.
  CGPoint points[3];
};

enum class CGPathDrawingMode { Fill = 0, EOFill = 1, Stroke = 2, FillStroke = 3, EOFillStroke = 4 };

class CGPath {
 public:
  CGPath() = default;

  bool isEmpty() const { return elements_.empty(); }
  // The end of the last element (the start of a closed subpath); nullopt when empty.
  std::optional<CGPoint> currentPoint() const;
  const std::vector<CGPathElement>& elements() const { return elements_; }
  void apply(const std::function<void(const CGPathElement&)>& f) const;

  // ---- building (t: the transform applied to the added points; nullptr for none)
  void moveToPoint(const CGAffineTransform* t, CGFloat x, CGFloat y);
  // Without a current point these start a subpath at their first point.
  void addLineToPoint(const CGAffineTransform* t, CGFloat x, CGFloat y);
  void addQuadCurveToPoint(const CGAffineTransform* t, CGFloat cpx, CGFloat cpy, CGFloat x,
                           CGFloat y);
  void addCurveToPoint(const CGAffineTransform* t, CGFloat cp1x, CGFloat cp1y, CGFloat cp2x,
                       CGFloat cp2y, CGFloat x, CGFloat y);
  void closeSubpath();
  // A closed subpath: the minimum corner, then along the minimum-y edge.
  void addRect(const CGAffineTransform* t, CGRect rect);
  void addRects(const CGAffineTransform* t, const std::vector<CGRect>& rects);
  // A move to the first point and lines to the others.
  void addLines(const CGAffineTransform* t, const std::vector<CGPoint>& points);
  // A closed subpath of four curves, starting at (max x, mid y), by increasing angle.
  void addEllipseInRect(const CGAffineTransform* t, CGRect rect);
  // A line from the current point (or a move, without one) to the arc's start, then the arc.
  // A sweep of 2π or more is a full circle.
  void addArc(const CGAffineTransform* t, CGFloat x, CGFloat y, CGFloat radius, CGFloat startAngle,
              CGFloat endAngle, bool clockwise);
  // An arc of `delta` radians from `startAngle` (positive: increasing angles).
  void addRelativeArc(const CGAffineTransform* t, CGFloat x, CGFloat y, CGFloat radius,
                      CGFloat startAngle, CGFloat delta);
  // The tangent arc: a line from the current point toward (x1, y1), rounded off by an arc of
  // the radius tangent to that line and to the line from (x1, y1) to (x2, y2); it ends at the
  // second tangent point.  Degenerate cases (no radius, points in a line) add a line to
  // (x1, y1); without a current point it starts with a move to (x1, y1).
  void addArcToPoint(const CGAffineTransform* t, CGFloat x1, CGFloat y1, CGFloat x2, CGFloat y2,
                     CGFloat radius);
  // A rectangle with elliptical corners of the given width and height (each at most half the
  // side); plain when either is 0.
  void addRoundedRect(const CGAffineTransform* t, CGRect rect, CGFloat cornerWidth,
                      CGFloat cornerHeight);
  void addPath(const CGAffineTransform* t, const CGPath& other);

  // ---- measuring
  // The box around every point, control points included; null for an empty path.
  CGRect boundingBox() const;
  // The box around the drawn curves only.
  CGRect pathBoundingBox() const;
  bool containsPoint(const CGAffineTransform* t, CGPoint point, bool evenOdd) const;
  // The path as straight segments: each subpath's points, with whether it is closed.
  struct Polygon {
    std::vector<CGPoint> points;
    bool closed = false;
  };
  std::vector<Polygon> flattened(CGFloat tolerance = 0.1) const;

  bool operator==(const CGPath& other) const;

  // A copy with every point transformed.
  CGPath transformed(const CGAffineTransform& t) const;

 private:
  void add(CGPathElementType type, std::initializer_list<CGPoint> points);
  // Starts a subpath where the pen is when none is open (after a close), or with a move to
  // (x, y) on an empty path.
  void openSubpath(const CGAffineTransform* t, CGFloat x, CGFloat y);
  // Appends the arc's curves (the start point already reached).
  void appendArcCurves(const CGAffineTransform* t, CGFloat x, CGFloat y, CGFloat rx, CGFloat ry,
                       CGFloat start, CGFloat sweep);

  std::vector<CGPathElement> elements_;
  std::optional<CGPoint> subpathStart_;
  bool open_ = false;  // a subpath is open (not closed since its move)
};

using CGPathRef = std::shared_ptr<const CGPath>;
using CGMutablePathRef = std::shared_ptr<CGPath>;

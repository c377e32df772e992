// Where a shape draws its lines: the current context's path or a path object (inverse paths
// and the speech bubble build theirs apart), with the library's radius marker resolved.
// Private to the shapes.
#pragma once

#include <cmath>

#include "CoreGraphics/CGContext.h"
#include "CoreGraphics/CGPath.h"
#include "uilib/style/ULShape.h"
#include "uilib/style/ULStyleDrawing.h"

class ULShapePath {
 public:
  explicit ULShapePath(CGContext& context) : context_(&context) {}
  explicit ULShapePath(CGPath& path) : path_(&path) {}

  void move(CGFloat x, CGFloat y) {
    if (context_)
      context_->moveToPoint(x, y);
    else
      path_->moveToPoint(nullptr, x, y);
  }
  void line(CGFloat x, CGFloat y) {
    if (context_)
      context_->addLineToPoint(x, y);
    else
      path_->addLineToPoint(nullptr, x, y);
  }
  // From the current point toward the corner P, rounded into the line from P to Q.
  void arc(CGFloat px, CGFloat py, CGFloat qx, CGFloat qy, CGFloat r) {
    if (context_)
      context_->addArcToPoint(px, py, qx, qy, r);
    else
      path_->addArcToPoint(nullptr, px, py, qx, qy, r);
  }
  void close() {
    if (context_)
      context_->closePath();
    else
      path_->closeSubpath();
  }

 private:
  CGContext* context_ = nullptr;
  CGPath* path_ = nullptr;
};

// A radius with the marker turned into half the height.
inline CGFloat ULResolvedRadius(CGFloat radius, CGFloat height) {
  return radius == ULRadiusRounded ? std::round(height / 2) : radius;
}

// How deep an arrow's point reaches into its rectangle: the height over 2.8, rounded down.
inline CGFloat ULArrowDepth(CGFloat height) {
  return std::floor(height / 2.8);
}

// The room an arrow's point takes beside the content: the radius, where the marker counts as a
// third of the height halved (rounded to the nearest), rounded down.
inline CGFloat ULArrowInset(CGFloat radius, CGFloat height) {
  return std::floor(radius == ULRadiusRounded ? std::round((height / 3) / 2) : radius);
}

inline bool ULLightInFirstQuadrant(int lightSource) {
  return lightSource >= 0 && lightSource <= 90;
}

// The shapes' common drawing: the outline drawn by `outline` (relative coordinates, w × h) into
// the current context between openPath and closePath, or cut out of the rectangle grown by 5
// points on every side.  Do nothing without a current context.
template <class Outline>
void ULAddOutline(const ULShape& shape, CGRect rect, Outline outline);
template <class Outline>
void ULAddInverse(const ULShape& shape, CGRect rect, Outline outline);

template <class Outline>
void ULAddOutline(const ULShape& shape, CGRect rect, Outline outline) {
  CGContext* context = ULCurrentContext();
  if (!context) return;
  shape.openPath(rect);
  ULShapePath p(*context);
  outline(p, rect.size.width, rect.size.height);
  shape.closePath(rect);
}

template <class Outline>
void ULAddInverse(const ULShape& shape, CGRect rect, Outline outline) {
  CGContext* context = ULCurrentContext();
  if (!context) return;
  CGFloat w = rect.size.width, h = rect.size.height;
  CGPath path;
  path.addRect(nullptr, CGRectMake(-5, -5, w + 10, h + 10));
  ULShapePath p(path);
  outline(p, w, h);
  p.close();
  shape.openPath(rect);
  context->addPath(path);
  shape.closePath(rect);
}

// Affine transforms of the plane: [x' y'] = [x y 1] * | a  b  0 |
//                                                     | c  d  0 |
//                                                     | tx ty 1 |
#pragma once

#include <algorithm>
#include <cmath>

#include "CoreGraphics/CGGeometry.h"

struct CGAffineTransform {
  CGFloat a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;
  bool operator==(const CGAffineTransform&) const = default;
};

inline constexpr CGAffineTransform CGAffineTransformIdentity{};

inline CGAffineTransform CGAffineTransformMake(CGFloat a, CGFloat b, CGFloat c, CGFloat d,
                                               CGFloat tx, CGFloat ty) {
  return {a, b, c, d, tx, ty};
}
inline CGAffineTransform CGAffineTransformMakeTranslation(CGFloat tx, CGFloat ty) {
  return {1, 0, 0, 1, tx, ty};
}
inline CGAffineTransform CGAffineTransformMakeScale(CGFloat sx, CGFloat sy) {
  return {sx, 0, 0, sy, 0, 0};
}
inline CGAffineTransform CGAffineTransformMakeRotation(CGFloat angle) {
  CGFloat s = std::sin(angle), c = std::cos(angle);
  return {c, s, -s, c, 0, 0};
}
inline bool CGAffineTransformIsIdentity(const CGAffineTransform& t) {
  return t == CGAffineTransformIdentity;
}
inline bool CGAffineTransformEqualToTransform(const CGAffineTransform& t1,
                                              const CGAffineTransform& t2) {
  return t1 == t2;
}
// t1 followed by t2.
inline CGAffineTransform CGAffineTransformConcat(const CGAffineTransform& t1,
                                                 const CGAffineTransform& t2) {
  return {t1.a * t2.a + t1.b * t2.c,           t1.a * t2.b + t1.b * t2.d,
          t1.c * t2.a + t1.d * t2.c,           t1.c * t2.b + t1.d * t2.d,
          t1.tx * t2.a + t1.ty * t2.c + t2.tx, t1.tx * t2.b + t1.ty * t2.d + t2.ty};
}
// The operation is applied first, then t: the platform's order for these three.
inline CGAffineTransform CGAffineTransformTranslate(const CGAffineTransform& t, CGFloat tx,
                                                    CGFloat ty) {
  return CGAffineTransformConcat(CGAffineTransformMakeTranslation(tx, ty), t);
}
inline CGAffineTransform CGAffineTransformScale(const CGAffineTransform& t, CGFloat sx,
                                                CGFloat sy) {
  return CGAffineTransformConcat(CGAffineTransformMakeScale(sx, sy), t);
}
inline CGAffineTransform CGAffineTransformRotate(const CGAffineTransform& t, CGFloat angle) {
  return CGAffineTransformConcat(CGAffineTransformMakeRotation(angle), t);
}
// A singular transform is returned unchanged.
inline CGAffineTransform CGAffineTransformInvert(const CGAffineTransform& t) {
  CGFloat det = t.a * t.d - t.b * t.c;
  if (det == 0) return t;
  return {t.d / det,
          -t.b / det,
          -t.c / det,
          t.a / det,
          (t.c * t.ty - t.d * t.tx) / det,
          (t.b * t.tx - t.a * t.ty) / det};
}

inline CGPoint CGPointApplyAffineTransform(const CGPoint& p, const CGAffineTransform& t) {
  return {t.a * p.x + t.c * p.y + t.tx, t.b * p.x + t.d * p.y + t.ty};
}
inline CGSize CGSizeApplyAffineTransform(const CGSize& s, const CGAffineTransform& t) {
  return {t.a * s.width + t.c * s.height, t.b * s.width + t.d * s.height};
}
// The smallest rectangle holding the transformed corners.
inline CGRect CGRectApplyAffineTransform(const CGRect& r, const CGAffineTransform& t) {
  CGPoint p[4] = {CGPointApplyAffineTransform(r.origin, t),
                  CGPointApplyAffineTransform({CGRectGetMaxX(r), r.origin.y}, t),
                  CGPointApplyAffineTransform({r.origin.x, CGRectGetMaxY(r)}, t),
                  CGPointApplyAffineTransform({CGRectGetMaxX(r), CGRectGetMaxY(r)}, t)};
  CGFloat minX = p[0].x, maxX = p[0].x, minY = p[0].y, maxY = p[0].y;
  for (const CGPoint& q : p) {
    minX = std::min(minX, q.x);
    maxX = std::max(maxX, q.x);
    minY = std::min(minY, q.y);
    maxY = std::max(maxY, q.y);
  }
  return {{minX, minY}, {maxX - minX, maxY - minY}};
}

// Points, sizes and rectangles in points, as the platform's geometry types.
#pragma once

#include <algorithm>
#include <cmath>
#include <limits>

using CGFloat = double;

struct CGPoint {
  CGFloat x = 0;
  CGFloat y = 0;
  bool operator==(const CGPoint&) const = default;
};

struct CGSize {
  CGFloat width = 0;
  CGFloat height = 0;
  bool operator==(const CGSize&) const = default;
};

struct CGRect {
  CGPoint origin;
  CGSize size;
  bool operator==(const CGRect&) const = default;
};

inline CGPoint CGPointMake(CGFloat x, CGFloat y) {
  return {x, y};
}
inline CGSize CGSizeMake(CGFloat w, CGFloat h) {
  return {w, h};
}
inline CGRect CGRectMake(CGFloat x, CGFloat y, CGFloat w, CGFloat h) {
  return {{x, y}, {w, h}};
}
inline CGFloat CGRectGetWidth(const CGRect& r) {
  return r.size.width;
}
inline CGFloat CGRectGetHeight(const CGRect& r) {
  return r.size.height;
}
inline constexpr CGPoint CGPointZero{};
inline constexpr CGSize CGSizeZero{};
inline constexpr CGRect CGRectZero{};

inline CGFloat CGRectGetMinX(const CGRect& r) {
  return r.origin.x;
}
inline CGFloat CGRectGetMinY(const CGRect& r) {
  return r.origin.y;
}
inline CGFloat CGRectGetMidX(const CGRect& r) {
  return r.origin.x + r.size.width / 2;
}
inline CGFloat CGRectGetMidY(const CGRect& r) {
  return r.origin.y + r.size.height / 2;
}
inline CGFloat CGRectGetMaxX(const CGRect& r) {
  return r.origin.x + r.size.width;
}
inline CGFloat CGRectGetMaxY(const CGRect& r) {
  return r.origin.y + r.size.height;
}
inline bool CGRectEqualToRect(const CGRect& a, const CGRect& b) {
  return a == b;
}
inline CGRect CGRectOffset(const CGRect& r, CGFloat dx, CGFloat dy) {
  return {{r.origin.x + dx, r.origin.y + dy}, r.size};
}

// ---- null and empty rectangles, and the operations on rectangles that the drawing code uses.
// A null rectangle (what an empty intersection gives) has infinite origin coordinates.

inline constexpr CGRect CGRectNull{
    {std::numeric_limits<CGFloat>::infinity(), std::numeric_limits<CGFloat>::infinity()}, {0, 0}};
inline constexpr CGRect CGRectInfinite{
    {-std::numeric_limits<CGFloat>::max() / 2, -std::numeric_limits<CGFloat>::max() / 2},
    {std::numeric_limits<CGFloat>::max(), std::numeric_limits<CGFloat>::max()}};

inline bool CGRectIsNull(const CGRect& r) {
  return std::isinf(r.origin.x) && r.origin.x > 0;
}
inline bool CGPointEqualToPoint(const CGPoint& a, const CGPoint& b) {
  return a == b;
}
inline bool CGSizeEqualToSize(const CGSize& a, const CGSize& b) {
  return a == b;
}
// The same rectangle with a non-negative width and height.
inline CGRect CGRectStandardize(const CGRect& r) {
  CGRect s = r;
  if (s.size.width < 0) {
    s.origin.x += s.size.width;
    s.size.width = -s.size.width;
  }
  if (s.size.height < 0) {
    s.origin.y += s.size.height;
    s.size.height = -s.size.height;
  }
  return s;
}
// Null, or zero wide, or zero high.
inline bool CGRectIsEmpty(const CGRect& r) {
  return CGRectIsNull(r) || r.size.width == 0 || r.size.height == 0;
}
// Moved in by dx on the left and right and dy at the top and bottom (out when negative); null
// when nothing is left.
inline CGRect CGRectInset(const CGRect& r, CGFloat dx, CGFloat dy) {
  if (CGRectIsNull(r)) return r;
  CGRect s = CGRectStandardize(r);
  s.origin.x += dx;
  s.origin.y += dy;
  s.size.width -= 2 * dx;
  s.size.height -= 2 * dy;
  if (s.size.width < 0 || s.size.height < 0) return CGRectNull;
  return s;
}
// The smallest rectangle with whole-number corners that holds the rectangle.
inline CGRect CGRectIntegral(const CGRect& r) {
  if (CGRectIsNull(r)) return r;
  CGRect s = CGRectStandardize(r);
  CGFloat x0 = std::floor(s.origin.x), y0 = std::floor(s.origin.y);
  CGFloat x1 = std::ceil(s.origin.x + s.size.width), y1 = std::ceil(s.origin.y + s.size.height);
  return {{x0, y0}, {x1 - x0, y1 - y0}};
}
inline CGRect CGRectIntersection(const CGRect& a, const CGRect& b) {
  if (CGRectIsNull(a) || CGRectIsNull(b)) return CGRectNull;
  CGRect s = CGRectStandardize(a), t = CGRectStandardize(b);
  CGFloat x0 = std::max(s.origin.x, t.origin.x), y0 = std::max(s.origin.y, t.origin.y);
  CGFloat x1 = std::min(s.origin.x + s.size.width, t.origin.x + t.size.width);
  CGFloat y1 = std::min(s.origin.y + s.size.height, t.origin.y + t.size.height);
  if (x1 < x0 || y1 < y0) return CGRectNull;
  return {{x0, y0}, {x1 - x0, y1 - y0}};
}
inline CGRect CGRectUnion(const CGRect& a, const CGRect& b) {
  if (CGRectIsNull(a)) return b;
  if (CGRectIsNull(b)) return a;
  CGRect s = CGRectStandardize(a), t = CGRectStandardize(b);
  CGFloat x0 = std::min(s.origin.x, t.origin.x), y0 = std::min(s.origin.y, t.origin.y);
  CGFloat x1 = std::max(s.origin.x + s.size.width, t.origin.x + t.size.width);
  CGFloat y1 = std::max(s.origin.y + s.size.height, t.origin.y + t.size.height);
  return {{x0, y0}, {x1 - x0, y1 - y0}};
}
inline bool CGRectIntersectsRect(const CGRect& a, const CGRect& b) {
  CGRect i = CGRectIntersection(a, b);
  return !CGRectIsNull(i) && i.size.width > 0 && i.size.height > 0;
}
// The minimum edges belong to the rectangle, the maximum edges do not.
inline bool CGRectContainsPoint(const CGRect& r, const CGPoint& p) {
  if (CGRectIsNull(r)) return false;
  CGRect s = CGRectStandardize(r);
  return p.x >= s.origin.x && p.x < s.origin.x + s.size.width && p.y >= s.origin.y &&
         p.y < s.origin.y + s.size.height;
}
inline bool CGRectContainsRect(const CGRect& outer, const CGRect& inner) {
  return CGRectEqualToRect(CGRectUnion(outer, inner), CGRectStandardize(outer));
}

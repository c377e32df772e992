// Points, sizes and rectangles in points, as the platform's geometry types.
#pragma once

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

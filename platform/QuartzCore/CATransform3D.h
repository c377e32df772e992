// 3-D transforms of layers, 4 × 4 matrices acting on row vectors as the platform's: the point
// (x, y, z, 1) times the matrix.  Layers are drawn flat: only the affine part (m11, m12, m21,
// m22, m41, m42) reaches the screen.
#pragma once

#include <cmath>

#include "CoreGraphics/CGAffineTransform.h"

struct CATransform3D {
  CGFloat m11 = 1, m12 = 0, m13 = 0, m14 = 0;
  CGFloat m21 = 0, m22 = 1, m23 = 0, m24 = 0;
  CGFloat m31 = 0, m32 = 0, m33 = 1, m34 = 0;
  CGFloat m41 = 0, m42 = 0, m43 = 0, m44 = 1;
  bool operator==(const CATransform3D&) const = default;
};

inline constexpr CATransform3D CATransform3DIdentity{};

inline bool CATransform3DIsIdentity(const CATransform3D& t) {
  return t == CATransform3DIdentity;
}
inline bool CATransform3DEqualToTransform(const CATransform3D& a, const CATransform3D& b) {
  return a == b;
}

// a followed by b.
inline CATransform3D CATransform3DConcat(const CATransform3D& a, const CATransform3D& b) {
  const CGFloat A[4][4] = {{a.m11, a.m12, a.m13, a.m14},
                           {a.m21, a.m22, a.m23, a.m24},
                           {a.m31, a.m32, a.m33, a.m34},
                           {a.m41, a.m42, a.m43, a.m44}};
  const CGFloat B[4][4] = {{b.m11, b.m12, b.m13, b.m14},
                           {b.m21, b.m22, b.m23, b.m24},
                           {b.m31, b.m32, b.m33, b.m34},
                           {b.m41, b.m42, b.m43, b.m44}};
  CGFloat R[4][4];
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) {
      R[i][j] = 0;
      for (int k = 0; k < 4; ++k) R[i][j] += A[i][k] * B[k][j];
    }
  return {R[0][0], R[0][1], R[0][2], R[0][3], R[1][0], R[1][1], R[1][2], R[1][3],
          R[2][0], R[2][1], R[2][2], R[2][3], R[3][0], R[3][1], R[3][2], R[3][3]};
}

inline CATransform3D CATransform3DMakeTranslation(CGFloat tx, CGFloat ty, CGFloat tz) {
  CATransform3D t;
  t.m41 = tx;
  t.m42 = ty;
  t.m43 = tz;
  return t;
}
inline CATransform3D CATransform3DMakeScale(CGFloat sx, CGFloat sy, CGFloat sz) {
  CATransform3D t;
  t.m11 = sx;
  t.m22 = sy;
  t.m33 = sz;
  return t;
}
// A rotation by the angle about the axis (x, y, z); a zero axis gives the identity.
inline CATransform3D CATransform3DMakeRotation(CGFloat angle, CGFloat x, CGFloat y, CGFloat z) {
  CGFloat len = std::sqrt(x * x + y * y + z * z);
  if (len == 0) return CATransform3DIdentity;
  x /= len;
  y /= len;
  z /= len;
  CGFloat c = std::cos(angle), s = std::sin(angle), t = 1 - c;
  CATransform3D r;
  r.m11 = t * x * x + c;
  r.m12 = t * x * y + z * s;
  r.m13 = t * x * z - y * s;
  r.m21 = t * x * y - z * s;
  r.m22 = t * y * y + c;
  r.m23 = t * y * z + x * s;
  r.m31 = t * x * z + y * s;
  r.m32 = t * y * z - x * s;
  r.m33 = t * z * z + c;
  return r;
}
// The operation first, then t.
inline CATransform3D CATransform3DTranslate(const CATransform3D& t, CGFloat tx, CGFloat ty,
                                            CGFloat tz) {
  return CATransform3DConcat(CATransform3DMakeTranslation(tx, ty, tz), t);
}
inline CATransform3D CATransform3DScale(const CATransform3D& t, CGFloat sx, CGFloat sy,
                                        CGFloat sz) {
  return CATransform3DConcat(CATransform3DMakeScale(sx, sy, sz), t);
}
inline CATransform3D CATransform3DRotate(const CATransform3D& t, CGFloat angle, CGFloat x,
                                         CGFloat y, CGFloat z) {
  return CATransform3DConcat(CATransform3DMakeRotation(angle, x, y, z), t);
}

inline CATransform3D CATransform3DMakeAffineTransform(const CGAffineTransform& a) {
  CATransform3D t;
  t.m11 = a.a;
  t.m12 = a.b;
  t.m21 = a.c;
  t.m22 = a.d;
  t.m41 = a.tx;
  t.m42 = a.ty;
  return t;
}
inline bool CATransform3DIsAffine(const CATransform3D& t) {
  return t.m13 == 0 && t.m14 == 0 && t.m23 == 0 && t.m24 == 0 && t.m31 == 0 && t.m32 == 0 &&
         t.m33 == 1 && t.m34 == 0 && t.m43 == 0 && t.m44 == 1;
}
inline CGAffineTransform CATransform3DGetAffineTransform(const CATransform3D& t) {
  return {t.m11, t.m12, t.m21, t.m22, t.m41, t.m42};
}

// Boxed rectangles, points and sizes (NSValue's UIKit forms), as Values.  Reading a Value that
// holds no such box gives the zero value.  Methods called by name take and give the three
// types in these boxes (type code '{', as the platform's structures).
#pragma once

#include "CoreGraphics/CGGeometry.h"
#include "Foundation/NSClass.h"
#include "Foundation/NSValue.h"
#include "Foundation/Value.h"

namespace uikit_geometry_detail {

template <class T>
Value box(const T& v, const char* type) {
  return Value(std::static_pointer_cast<NSObject>(NSValue::valueWithBytes(&v, sizeof v, type)));
}
template <class T>
T unbox(const Value& value, const char* type) {
  T out{};
  auto box = value.object<NSValue>();
  if (box && box->objCType() == type) box->getValue(&out, sizeof out);
  return out;
}

}  // namespace uikit_geometry_detail

inline Value valueWithCGRect(CGRect r) {
  return uikit_geometry_detail::box(r, "{CGRect={CGPoint=dd}{CGSize=dd}}");
}
inline Value valueWithCGPoint(CGPoint p) {
  return uikit_geometry_detail::box(p, "{CGPoint=dd}");
}
inline Value valueWithCGSize(CGSize s) {
  return uikit_geometry_detail::box(s, "{CGSize=dd}");
}
inline CGRect CGRectValue(const Value& v) {
  return uikit_geometry_detail::unbox<CGRect>(v, "{CGRect={CGPoint=dd}{CGSize=dd}}");
}
inline CGPoint CGPointValue(const Value& v) {
  return uikit_geometry_detail::unbox<CGPoint>(v, "{CGPoint=dd}");
}
inline CGSize CGSizeValue(const Value& v) {
  return uikit_geometry_detail::unbox<CGSize>(v, "{CGSize=dd}");
}

template <>
struct NSArgumentType<CGRect> {
  static constexpr char code = '{';
  static CGRect from(const Value& v) { return CGRectValue(v); }
  static Value to(CGRect r) { return valueWithCGRect(r); }
};
template <>
struct NSArgumentType<CGPoint> {
  static constexpr char code = '{';
  static CGPoint from(const Value& v) { return CGPointValue(v); }
  static Value to(CGPoint p) { return valueWithCGPoint(p); }
};
template <>
struct NSArgumentType<CGSize> {
  static constexpr char code = '{';
  static CGSize from(const Value& v) { return CGSizeValue(v); }
  static Value to(CGSize s) { return valueWithCGSize(s); }
};

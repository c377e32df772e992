// Edge insets: how far in from each edge (content insets, button title and image insets).
#pragma once

#include "CoreGraphics/CGGeometry.h"

struct UIEdgeInsets {
  CGFloat top = 0, left = 0, bottom = 0, right = 0;
  bool operator==(const UIEdgeInsets&) const = default;
};

inline constexpr UIEdgeInsets UIEdgeInsetsZero{};

inline UIEdgeInsets UIEdgeInsetsMake(CGFloat top, CGFloat left, CGFloat bottom, CGFloat right) {
  return {top, left, bottom, right};
}
inline bool UIEdgeInsetsEqualToEdgeInsets(const UIEdgeInsets& a, const UIEdgeInsets& b) {
  return a == b;
}
inline CGRect UIEdgeInsetsInsetRect(const CGRect& r, const UIEdgeInsets& i) {
  return {{r.origin.x + i.left, r.origin.y + i.top},
          {r.size.width - i.left - i.right, r.size.height - i.top - i.bottom}};
}

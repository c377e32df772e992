// Gradients: colours at locations from 0 to 1, drawn by a context along a line or between two
// circles.  Colours are kept as RGBA (grey expanded to three equal channels).
#pragma once

#include <memory>
#include <vector>

#include "CoreGraphics/CGColor.h"

using CGGradientDrawingOptions = unsigned;
inline constexpr CGGradientDrawingOptions kCGGradientDrawsBeforeStartLocation = 1 << 0;
inline constexpr CGGradientDrawingOptions kCGGradientDrawsAfterEndLocation = 1 << 1;

class CGGradient {
 public:
  struct Stop {
    CGFloat location;
    CGRGBA color;
  };

  // CGGradientCreateWithColorComponents: `count` colours of the space's component count + 1
  // values each; no locations means evenly spaced (one colour: at 0).  nullptr for no colours
  // or a space without components.
  static std::shared_ptr<const CGGradient> createWithColorComponents(
      const CGColorSpaceRef& space, const std::vector<CGFloat>& components,
      const std::vector<CGFloat>& locations, size_t count);
  // CGGradientCreateWithColors: nullptr entries and pattern colours are skipped.
  static std::shared_ptr<const CGGradient> createWithColors(const CGColorSpaceRef& space,
                                                            const std::vector<CGColorRef>& colors,
                                                            const std::vector<CGFloat>& locations);

  // By location (stable for equal locations), each within 0 ... 1.
  const std::vector<Stop>& stops() const { return stops_; }

  explicit CGGradient(std::vector<Stop> stops);

 private:
  std::vector<Stop> stops_;
};

using CGGradientRef = std::shared_ptr<const CGGradient>;

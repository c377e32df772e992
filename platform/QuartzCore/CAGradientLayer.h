// A layer that fills its bounds with a gradient between its colours (over its background
// colour, under its sublayers): along the line from startPoint to endPoint, in unit coordinates
// of the bounds (default top middle to bottom middle); locations default to evenly spaced.
// Past the ends the end colours continue.
#pragma once

#include <memory>
#include <vector>

#include "QuartzCore/CALayer.h"

class CAGradientLayer : public CALayer {
  NS_CLASS(CAGradientLayer, CALayer)
 public:
  static std::shared_ptr<CAGradientLayer> layer() { return std::make_shared<CAGradientLayer>(); }

  const std::vector<CGColorRef>& colors() const { return colors_; }
  void setColors(std::vector<CGColorRef> colors);
  const std::vector<CGFloat>& locations() const { return locations_; }
  void setLocations(std::vector<CGFloat> locations) { locations_ = std::move(locations); }
  CGPoint startPoint() const { return startPoint_; }
  void setStartPoint(CGPoint p);
  CGPoint endPoint() const { return endPoint_; }
  void setEndPoint(CGPoint p);

 protected:
  void renderOwnContent(const CGContextRef& ctx) override;

 private:
  std::vector<CGColorRef> colors_;
  std::vector<CGFloat> locations_;
  CGPoint startPoint_{0.5, 0};
  CGPoint endPoint_{0.5, 1};
};

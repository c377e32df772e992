// The size rules the feed's pictures are drawn with.
#pragma once

#include <memory>

#include "CoreGraphics/CGGeometry.h"

class UIImage;

class UIYBImage {
 public:
  // The picture's size in points, halved on a retina device.
  static CGSize ybsize(const std::shared_ptr<UIImage>& image);
  // The picture's longer side matched to the box's (a wider picture takes the box's width, any
  // other its height), proportions kept; the other side may pass the box.  A picture without
  // area (or none) gives a zero size.
  static CGSize maxSizeBySize(CGSize box, const std::shared_ptr<UIImage>& image);
};

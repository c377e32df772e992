#include "ui/framework/UIYBImage.h"

#include "UIKit/UIImage.h"
#include "core/NSGlobe.h"

CGSize UIYBImage::ybsize(const std::shared_ptr<UIImage>& image) {
  if (!image) return CGSizeZero;
  CGSize s = image->size();
  if (NSGlobe::getEngine()->isIphone4()) return CGSizeMake(s.width / 2, s.height / 2);
  return s;
}

CGSize UIYBImage::maxSizeBySize(CGSize box, const std::shared_ptr<UIImage>& image) {
  CGSize s = ybsize(image);
  if (s.width <= 0 || s.height <= 0) return CGSizeZero;
  if (s.width > s.height) return CGSizeMake(box.width, box.width * s.height / s.width);
  return CGSizeMake(box.height * s.width / s.height, box.height);
}

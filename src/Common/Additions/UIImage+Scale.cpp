#include "Common/Additions/UIImage+Scale.h"
#include "UIKit/UIGraphics.h"
#include "UIKit/UIImage.h"

std::shared_ptr<UIImage> scaleWithSize(const std::shared_ptr<UIImage>& image, CGSize size) {
  if (!image) return nullptr;
  UIGraphicsBeginImageContextWithOptions(size, false, 1.0);
  image->drawInRect(CGRectMake(0, 0, size.width, size.height));
  auto scaled = UIGraphicsGetImageFromCurrentImageContext();
  UIGraphicsEndImageContext();
  return scaled;
}

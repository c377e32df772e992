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

std::shared_ptr<UIImage> scaleWithWidth(const std::shared_ptr<UIImage>& image, CGFloat width) {
  if (!image) return nullptr;
  CGSize s = image->size();
  if (s.width == 0 || s.height == 0) return image;
  return scaleWithSize(image, CGSizeMake(width, width * s.height / s.width));
}

std::shared_ptr<UIImage> scaleWithHeight(const std::shared_ptr<UIImage>& image, CGFloat height) {
  if (!image) return nullptr;
  CGSize s = image->size();
  if (s.width == 0 || s.height == 0) return image;
  return scaleWithSize(image, CGSizeMake(height * s.width / s.height, height));
}

std::shared_ptr<UIImage> resizeImageWithNewSize(const std::shared_ptr<UIImage>& image,
                                                CGSize size) {
  if (!image) return nullptr;
  CGSize s = image->size();
  if (s.width == 0 || s.height == 0 || s == size) return image;
  return scaleWithSize(image, size);
}

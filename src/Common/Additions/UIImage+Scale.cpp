#include "Common/Additions/UIImage+Resize.h"
#include "Common/Additions/UIImage+RoundedCorner.h"
#include "Common/Additions/UIImage+Scale.h"
#include "CoreGraphics/CGBitmapContext.h"
#include "Foundation/NSException.h"
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

std::shared_ptr<UIImage> scaleAndRotateWithWidth(const std::shared_ptr<UIImage>& image,
                                                 CGFloat width, CGFloat height) {
  if (!image || !image->CGImage()) return nullptr;
  CGFloat w = CGFloat(image->CGImage()->width()), h = CGFloat(image->CGImage()->height());
  int o = int(image->imageOrientation());
  auto transform = orientationTransform(o, w, h);
  if (!transform) NSException::raise(NSInternalInconsistencyException, "Invalid?image?orientation");
  if (o == 2 || o == 3)
    return drawTurnedBitmap(*image, CGSizeMake(height, width), CGSizeMake(-width / w, height / h),
                            CGPointMake(-h, 0), *transform);
  bool swapped = o == 6 || o == 7;
  return drawTurnedBitmap(*image, swapped ? CGSizeMake(height, width) : CGSizeMake(width, height),
                          CGSizeMake(width / w, -height / h), CGPointMake(0, -h), *transform);
}

std::shared_ptr<UIImage> createRoundedRectImage(const std::shared_ptr<UIImage>& image,
                                                CGSize size) {
  if (!image || !image->CGImage()) return nullptr;
  size_t w = size_t(size.width), h = size_t(size.height);
  auto ctx = CGBitmapContext::create(nullptr, w, h, 8, 4 * w, CGColorSpace::createDeviceRGB(),
                                     kCGImageAlphaPremultipliedFirst);
  if (!ctx) return nullptr;
  CGRect rect = CGRectMake(0, 0, CGFloat(w), CGFloat(h));
  ctx->beginPath();
  addRoundedRectToPath(rect, *ctx, 10, 10);
  ctx->closePath();
  ctx->clip();
  ctx->drawImage(rect, image->CGImage());
  return UIImage::imageWithCGImage(ctx->createImage());
}

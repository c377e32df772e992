#include "Common/Additions/UIImage+Alpha.h"
#include "Common/Additions/UIImage+RoundedCorner.h"
#include "CoreGraphics/CGBitmapContext.h"
#include "UIKit/UIGraphics.h"
#include "UIKit/UIImage.h"

std::shared_ptr<UIImage> roundedCornerImage(const std::shared_ptr<UIImage>& image,
                                            size_t cornerSize, size_t border) {
  auto source = imageWithAlpha(image);
  if (!source) return nullptr;
  CGSize s = source->size();
  auto ctx = bitmapContextLike(source->CGImage(), size_t(s.width), size_t(s.height));
  if (!ctx) return nullptr;
  CGFloat b = CGFloat(border), c = CGFloat(cornerSize);
  ctx->beginPath();
  addRoundedRectToPath(CGRectMake(b, b, s.width - 2 * b, s.height - 2 * b), *ctx, c, c);
  ctx->closePath();
  ctx->clip();
  ctx->drawImage(CGRectMake(0, 0, s.width, s.height), source->CGImage());
  return UIImage::imageWithCGImage(ctx->createImage());
}

void addRoundedRectToPath(CGRect rect, CGContext& context, CGFloat ovalWidth, CGFloat ovalHeight) {
  if (ovalWidth == 0 || ovalHeight == 0) {
    context.addRect(rect);
    return;
  }
  context.saveGState();
  context.translateCTM(CGRectGetMinX(rect), CGRectGetMinY(rect));
  context.scaleCTM(ovalWidth, ovalHeight);
  CGFloat fw = rect.size.width / ovalWidth, fh = rect.size.height / ovalHeight;
  context.moveToPoint(fw, fh / 2);
  context.addArcToPoint(fw, fh, fw / 2, fh, 1);
  context.addArcToPoint(0, fh, 0, fh / 2, 1);
  context.addArcToPoint(0, 0, fw / 2, 0, 1);
  context.addArcToPoint(fw, 0, fw, fh / 2, 1);
  context.closePath();
  context.restoreGState();
}

std::shared_ptr<UIImage> imageWithRadius(const std::shared_ptr<UIImage>& image, CGFloat radius,
                                         CGFloat width, CGFloat height) {
  if (!image) return nullptr;
  UIGraphicsBeginImageContextWithOptions(CGSizeMake(width, height), false, 1.0);
  auto ctx = UIGraphicsGetCurrentContext();
  ctx->moveToPoint(width, height / 2);
  ctx->addArcToPoint(width, height, width / 2, height, radius);
  ctx->addArcToPoint(0, height, 0, height / 2, radius);
  ctx->addArcToPoint(0, 0, width / 2, 0, radius);
  ctx->addArcToPoint(width, 0, width, height / 2, radius);
  ctx->closePath();
  ctx->clip();
  image->drawAtPoint(CGPointMake(0, 0));
  auto result = UIGraphicsGetImageFromCurrentImageContext();
  UIGraphicsEndImageContext();
  return result;
}

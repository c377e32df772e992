#include <algorithm>
#include <cmath>

#include "Common/Additions/UIImage+Alpha.h"
#include "CoreGraphics/CGBitmapContext.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIGraphics.h"
#include "UIKit/UIImage.h"

namespace {

CGColorSpaceRef rgbOrOwnSpace(const CGImageRef& image) {
  if (image->colorSpace() && image->colorSpace()->model() == CGColorSpaceModel::RGB)
    return image->colorSpace();
  return CGColorSpace::createDeviceRGB();
}

}  // namespace

std::shared_ptr<CGBitmapContext> bitmapContextLike(const CGImageRef& image, size_t width,
                                                   size_t height) {
  if (image->colorSpace()) {
    if (auto same = CGBitmapContext::create(nullptr, width, height, image->bitsPerComponent(), 0,
                                            image->colorSpace(), image->bitmapInfo()))
      return same;
  }
  // Layouts a context cannot draw in (straight alpha, 24-bit pixels, masks) fall back to the
  // premultiplied form of the same pixels.
  return CGBitmapContext::create(nullptr, width, height, 8, 0, rgbOrOwnSpace(image),
                                 kCGImageAlphaPremultipliedFirst | CGNativeByteOrder32());
}

bool hasAlpha(const std::shared_ptr<UIImage>& image) {
  if (!image || !image->CGImage()) return false;
  switch (image->CGImage()->alphaInfo()) {
    case kCGImageAlphaFirst:
    case kCGImageAlphaLast:
    case kCGImageAlphaPremultipliedFirst:
    case kCGImageAlphaPremultipliedLast:
      return true;
    default:
      return false;
  }
}

std::shared_ptr<UIImage> imageWithAlpha(const std::shared_ptr<UIImage>& image) {
  if (!image || !image->CGImage()) return nullptr;
  if (hasAlpha(image)) return image;
  const auto& cg = image->CGImage();
  auto ctx = CGBitmapContext::create(nullptr, cg->width(), cg->height(), 8, 0, rgbOrOwnSpace(cg),
                                     kCGImageAlphaPremultipliedFirst | CGNativeByteOrder32());
  if (!ctx) return nullptr;
  ctx->drawImage(CGRectMake(0, 0, CGFloat(cg->width()), CGFloat(cg->height())), cg);
  return UIImage::imageWithCGImage(ctx->createImage());
}

CGImageRef newBorderMask(size_t border, CGSize size) {
  size_t w = size_t(size.width), h = size_t(size.height);
  auto ctx = CGBitmapContext::create(nullptr, w, h, 8, 0, CGColorSpace::createDeviceGray(),
                                     kCGImageAlphaNone);
  if (!ctx) return nullptr;
  ctx->setGrayFillColor(0, 1);
  ctx->fillRect(CGRectMake(0, 0, size.width, size.height));
  ctx->setGrayFillColor(1, 1);
  CGFloat b = CGFloat(border);
  ctx->fillRect(CGRectMake(b, b, size.width - 2 * b, size.height - 2 * b));
  return ctx->createImage();
}

std::shared_ptr<UIImage> transparentBorderImage(const std::shared_ptr<UIImage>& image,
                                                size_t border) {
  auto source = imageWithAlpha(image);
  if (!source) return nullptr;
  CGSize s = source->size();
  CGFloat b = CGFloat(border);
  CGSize canvas = CGSizeMake(s.width + 2 * b, s.height + 2 * b);
  // The canvas copies the receiver's own layout, as the platform's helper does.
  auto ctx = bitmapContextLike(image->CGImage(), size_t(canvas.width), size_t(canvas.height));
  if (!ctx) return nullptr;
  ctx->drawImage(CGRectMake(b, b, s.width, s.height), image->CGImage());
  auto masked = CGImage::createWithMask(ctx->createImage(), newBorderMask(border, canvas));
  return masked ? UIImage::imageWithCGImage(masked) : nullptr;
}

std::shared_ptr<UIImage> imageWithShadow(const std::shared_ptr<UIImage>& image,
                                         const std::shared_ptr<UIColor>& color, CGSize offset,
                                         CGFloat blur) {
  if (!image || !image->CGImage()) return nullptr;
  CGFloat dx = offset.width, dy = offset.height;
  if (blur == 0 && dx == 0 && dy == 0) return image;
  CGColorRef shadow = color ? color->CGColor() : UIColor::blackColor()->CGColor();
  CGFloat x = std::max(dx > 0 ? 0 : -dx, blur), y = std::max(dy > 0 ? 0 : -dy, blur);
  CGFloat ex = std::max(std::fabs(dx), 2 * blur), ey = std::max(std::fabs(dy), 2 * blur);
  CGSize s = image->size();
  auto ctx =
      CGBitmapContext::create(nullptr, size_t(s.width + ex), size_t(s.height + ey), 8, 0,
                              CGColorSpace::createDeviceRGB(), kCGImageAlphaPremultipliedLast);
  if (!ctx) return nullptr;
  ctx->setShadowWithColor(offset, blur, shadow);
  ctx->drawImage(CGRectMake(x, y, s.width, s.height), image->CGImage());
  return UIImage::imageWithCGImage(ctx->createImage());
}

std::shared_ptr<UIImage> maskWithColor(const std::shared_ptr<UIImage>& image,
                                       const std::shared_ptr<UIColor>& color) {
  return maskWithColor(image, color, UIColor::blackColor(), CGSizeZero, 0);
}

std::shared_ptr<UIImage> maskWithColor(const std::shared_ptr<UIImage>& image,
                                       const std::shared_ptr<UIColor>& color,
                                       const std::shared_ptr<UIColor>& shadowColor,
                                       CGSize shadowOffset, CGFloat shadowBlur) {
  if (!image || !image->CGImage()) return nullptr;
  CGSize s = image->size();
  CGSize canvas = CGSizeMake(s.width + 10, s.height + 10);
  UIGraphicsBeginImageContextWithOptions(canvas, false, 1.0);
  auto ctx = UIGraphicsGetCurrentContext();
  ctx->setShadowWithColor(shadowOffset, shadowBlur, shadowColor ? shadowColor->CGColor() : nullptr);
  ctx->beginTransparencyLayer();
  ctx->scaleCTM(1, -1);
  // The platform takes the mask's rectangle standardized (its negative height does not turn
  // the mask over); the drawing stand-in maps the rectangle as given, so it is standardized here.
  ctx->clipToMask(CGRectStandardize(CGRectMake(std::ceil((canvas.width - s.width) * 0.5),
                                               -std::ceil((canvas.height - s.height) * 0.5),
                                               s.width, -s.height)),
                  image->CGImage());
  if (color) ctx->setFillColorWithColor(color->CGColor());
  ctx->fillRect(CGRectMake(0, 0, canvas.width, -canvas.height));
  ctx->endTransparencyLayer();
  auto result = UIGraphicsGetImageFromCurrentImageContext();
  UIGraphicsEndImageContext();
  return result;
}

std::shared_ptr<UIImage> ipMaskedImageColor(const std::shared_ptr<UIImage>& image,
                                            const std::shared_ptr<UIColor>& color) {
  if (!image || !image->CGImage() || !color) return nullptr;
  const auto& cg = image->CGImage();
  size_t w = cg->width(), h = cg->height();
  // Big-endian words, alpha last: a pixel's bytes are red, green, blue, alpha in memory.
  auto ctx = CGBitmapContext::create(nullptr, w, h, 8, 4 * w, CGColorSpace::createDeviceRGB(),
                                     kCGImageAlphaPremultipliedLast | kCGBitmapByteOrder32Big);
  if (!ctx) return nullptr;
  ctx->drawImage(CGRectMake(0, 0, CGFloat(w), CGFloat(h)), cg);
  const auto& components = color->CGColor()->components();
  double key = (components.empty() ? 0 : components[0]) * 255;
  auto* bytes = static_cast<uint8_t*>(ctx->data());
  for (size_t row = 0; row < h; ++row) {
    uint8_t* pixel = bytes + row * ctx->bytesPerRow();
    for (size_t i = 0; i < w; ++i, pixel += 4)
      if (double(pixel[0]) != key) std::fill(pixel, pixel + 4, uint8_t(0));
  }
  return UIImage::imageWithCGImage(ctx->createImage());
}

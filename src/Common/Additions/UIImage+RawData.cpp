#include "Common/Additions/UIImage+RawData.h"
#include "CoreGraphics/CGBitmapContext.h"
#include "UIKit/UIImage.h"

namespace {

constexpr CGBitmapInfo kARGB = kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Big;

}  // namespace

std::optional<std::string> rawImageData(const std::shared_ptr<UIImage>& image) {
  if (!image || !image->CGImage()) return std::nullopt;
  size_t w = size_t(image->size().width), h = size_t(image->size().height);
  auto ctx =
      CGBitmapContext::create(nullptr, w, h, 8, 4 * w, CGColorSpace::createDeviceRGB(), kARGB);
  if (!ctx) return std::nullopt;
  ctx->drawImage(CGRectMake(0, 0, CGFloat(w), CGFloat(h)), image->uprightCGImage());
  return std::string(static_cast<const char*>(ctx->data()), 4 * w * h);
}

std::shared_ptr<UIImage> imageWithRawImageData(const std::string& data, size_t width,
                                               size_t height) {
  if (width == 0 || height == 0 || data.size() < 4 * width * height) return nullptr;
  auto cg = CGImage::create(width, height, 8, 32, 4 * width, CGColorSpace::createDeviceRGB(), kARGB,
                            CGDataProvider::createWithData(data), nullptr, false,
                            CGColorRenderingIntent::Default);
  return UIImage::imageWithCGImage(cg);
}

#include "UIKit/UIImage.h"

#include <cmath>
#include <filesystem>
#include <map>

#include "CoreGraphics/CGPixelLayout.h"
#include "Foundation/NSBundle.h"
#include "Foundation/NSFileManager.h"
#include "ImageIO/CGImageDestination.h"
#include "ImageIO/CGImageSource.h"
#include "QuartzCore/CALayer.h"
#include "UIKit/UIGraphics.h"
#include "UIKit/UIScreen.h"

namespace {

struct NamedCache {
  std::mutex mutex;
  std::map<std::string, std::shared_ptr<UIImage>, std::less<>> images;
};

NamedCache& namedCache() {
  static NamedCache cache;
  return cache;
}

UIImageOrientation fromEXIF(int orientation) {
  switch (orientation) {
    case 3:
      return UIImageOrientation::Down;
    case 8:
      return UIImageOrientation::Left;
    case 6:
      return UIImageOrientation::Right;
    case 2:
      return UIImageOrientation::UpMirrored;
    case 4:
      return UIImageOrientation::DownMirrored;
    case 5:
      return UIImageOrientation::LeftMirrored;
    case 7:
      return UIImageOrientation::RightMirrored;
    default:
      return UIImageOrientation::Up;
  }
}

bool swapsSides(UIImageOrientation o) {
  return o == UIImageOrientation::Left || o == UIImageOrientation::Right ||
         o == UIImageOrientation::LeftMirrored || o == UIImageOrientation::RightMirrored;
}

// Where a pixel (y down from the top) of the stored picture goes in the upright one.
CGAffineTransform orientationTransform(UIImageOrientation o, CGFloat w, CGFloat h) {
  switch (o) {
    case UIImageOrientation::Up:
      return CGAffineTransformIdentity;
    case UIImageOrientation::Down:
      return {-1, 0, 0, -1, w, h};
    case UIImageOrientation::Left:
      return {0, -1, 1, 0, 0, w};
    case UIImageOrientation::Right:
      return {0, 1, -1, 0, h, 0};
    case UIImageOrientation::UpMirrored:
      return {-1, 0, 0, 1, w, 0};
    case UIImageOrientation::DownMirrored:
      return {1, 0, 0, -1, 0, h};
    case UIImageOrientation::LeftMirrored:
      return {0, 1, 1, 0, 0, 0};
    case UIImageOrientation::RightMirrored:
      return {0, -1, -1, 0, h, w};
  }
  return CGAffineTransformIdentity;
}

std::string lastComponent(std::string_view path) {
  size_t slash = path.rfind('/');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

// "name@2x.ext" for "name.ext" (no extension: "name@2x").
std::string retinaPath(std::string_view path) {
  size_t slash = path.rfind('/');
  size_t dot = path.rfind('.');
  if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
    return std::string(path) + "@2x";
  return std::string(path.substr(0, dot)) + "@2x" + std::string(path.substr(dot));
}

bool hasRetinaMark(std::string_view path) {
  std::string file = lastComponent(path);
  size_t dot = file.rfind('.');
  std::string base = dot == std::string::npos ? file : file.substr(0, dot);
  return base.size() >= 3 && base.compare(base.size() - 3, 3, "@2x") == 0;
}

std::shared_ptr<UIImage> decodeFile(const std::string& path, CGFloat scale, std::string name) {
  auto bytes = dataWithContentsOfFile(path);
  if (!bytes) return nullptr;
  auto image = UIImage::imageWithData(*bytes, scale);
  if (!image) return nullptr;
  if (image->CGImage()) image->CGImage()->setSourceName(name);
  return image;
}

}  // namespace

UIImage::UIImage(CGImageRef image, CGFloat scale, UIImageOrientation orientation)
    : image_(std::move(image)), scale_(scale > 0 ? scale : 1), orientation_(orientation) {
  if (image_) name_ = image_->sourceName();
}

std::shared_ptr<UIImage> UIImage::imageWithCGImage(CGImageRef image, CGFloat scale,
                                                   UIImageOrientation orientation) {
  if (!image) return nullptr;
  return std::make_shared<UIImage>(std::move(image), scale, orientation);
}

std::shared_ptr<UIImage> UIImage::imageWithData(const std::string& data, CGFloat scale) {
  auto source = CGImageSource::createWithData(data);
  if (!source) return nullptr;
  auto cg = source->createImageAtIndex(0);
  if (!cg) return nullptr;
  int exif = source->copyPropertiesAtIndex(0)[kCGImagePropertyOrientation].intValue();
  return std::make_shared<UIImage>(std::move(cg), scale, fromEXIF(exif));
}

std::shared_ptr<UIImage> UIImage::imageWithContentsOfFile(std::string_view path) {
  if (path.empty()) return nullptr;
  bool retina = UIScreen::mainScreen()->scale() >= 2;
  if (retina && !hasRetinaMark(path)) {
    std::string twice = retinaPath(path);
    if (std::filesystem::exists(twice)) {
      if (auto image = decodeFile(twice, 2, lastComponent(path))) {
        auto named = image->copyWithName(lastComponent(path));
        return named;
      }
    }
  }
  auto image =
      decodeFile(std::string(path), retina && hasRetinaMark(path) ? 2 : 1, lastComponent(path));
  return image ? image->copyWithName(lastComponent(path)) : nullptr;
}

std::shared_ptr<UIImage> UIImage::imageNamed(std::string_view name) {
  return imageNamed(name, nullptr);
}

std::shared_ptr<UIImage> UIImage::imageNamed(std::string_view name,
                                             const std::shared_ptr<NSBundle>& from) {
  if (name.empty()) return nullptr;
  auto bundle = from ? from : NSBundle::mainBundle();
  std::string key = bundle->bundlePath() + "\n" + std::string(name);
  NamedCache& cache = namedCache();
  {
    std::lock_guard lock(cache.mutex);
    auto it = cache.images.find(key);
    if (it != cache.images.end()) return it->second;
  }
  std::string base(name), type = "png";
  size_t dot = base.rfind('.');
  if (dot != std::string::npos && dot > 0) {
    type = base.substr(dot + 1);
    base = base.substr(0, dot);
  }
  bool retina = UIScreen::mainScreen()->scale() >= 2;
  std::string plain = bundle->pathForResource(base, type);
  std::string twice =
      hasRetinaMark(base) ? std::string() : bundle->pathForResource(base + "@2x", type);
  std::shared_ptr<UIImage> image;
  if (retina && !twice.empty()) image = decodeFile(twice, 2, std::string(name));
  if (!image && !plain.empty())
    image = decodeFile(plain, hasRetinaMark(base) ? 2 : 1, std::string(name));
  if (!image && !twice.empty()) image = decodeFile(twice, 2, std::string(name));
  if (!image) return nullptr;
  image = image->copyWithName(std::string(name));
  std::lock_guard lock(cache.mutex);
  return cache.images.emplace(key, image).first->second;
}

void UIImage::clearNamedImageCache() {
  NamedCache& cache = namedCache();
  std::lock_guard lock(cache.mutex);
  cache.images.clear();
}

std::shared_ptr<UIImage> UIImage::copyWithName(std::string name) const {
  auto copy = std::make_shared<UIImage>(image_, scale_, orientation_);
  copy->name_ = std::move(name);
  copy->stretchable_ = stretchable_;
  copy->leftCap_ = leftCap_;
  copy->topCap_ = topCap_;
  copy->capInsets_ = capInsets_;
  return copy;
}

CGSize UIImage::size() const {
  if (!image_) return CGSizeZero;
  CGFloat w = CGFloat(image_->width()) / scale_, h = CGFloat(image_->height()) / scale_;
  return swapsSides(orientation_) ? CGSizeMake(h, w) : CGSizeMake(w, h);
}

CGImageRef UIImage::uprightCGImage() const {
  if (orientation_ == UIImageOrientation::Up || !image_) return image_;
  std::lock_guard lock(mutex_);
  if (upright_) return upright_;
  CGFloat w = CGFloat(image_->width()), h = CGFloat(image_->height());
  bool swap = swapsSides(orientation_);
  size_t ow = size_t(swap ? h : w), oh = size_t(swap ? w : h);
  auto ctx = CGBitmapContext::create(nullptr, ow, oh, 8, 0, CGColorSpace::createDeviceRGB(),
                                     kCGImageAlphaPremultipliedFirst | CGNativeByteOrder32());
  if (!ctx) return image_;
  ctx->setBaseCTM(CGAffineTransformMake(1, 0, 0, -1, 0, CGFloat(oh)));
  ctx->concatCTM(orientationTransform(orientation_, w, h));
  ctx->translateCTM(0, h);
  ctx->scaleCTM(1, -1);
  ctx->setInterpolationQuality(CGInterpolationQuality::None);
  ctx->drawImage(CGRectMake(0, 0, w, h), image_);
  upright_ = ctx->createImage();
  if (upright_) upright_->setSourceName(name_);
  return upright_;
}

std::shared_ptr<UIImage> UIImage::stretchableImageWithLeftCapWidth(long leftCapWidth,
                                                                   long topCapHeight) const {
  auto copy = copyWithName(name_);
  CGSize s = size();
  copy->stretchable_ = true;
  copy->leftCap_ = std::max(0L, leftCapWidth);
  copy->topCap_ = std::max(0L, topCapHeight);
  copy->capInsets_ = UIEdgeInsetsMake(
      CGFloat(copy->topCap_), CGFloat(copy->leftCap_),
      copy->topCap_ > 0 ? std::max(0.0, s.height - CGFloat(copy->topCap_) - 1) : 0,
      copy->leftCap_ > 0 ? std::max(0.0, s.width - CGFloat(copy->leftCap_) - 1) : 0);
  return copy;
}

std::shared_ptr<UIImage> UIImage::resizableImageWithCapInsets(UIEdgeInsets insets) const {
  auto copy = copyWithName(name_);
  copy->stretchable_ = true;
  copy->leftCap_ = long(insets.left);
  copy->topCap_ = long(insets.top);
  copy->capInsets_ = insets;
  return copy;
}

CGRect UIImage::contentsCenter() const {
  CGSize s = size();
  if (!stretchable_ || s.width <= 0 || s.height <= 0) return CGRectMake(0, 0, 1, 1);
  const UIEdgeInsets& i = capInsets_;
  CGFloat x = i.left / s.width, w = (s.width - i.left - i.right) / s.width;
  CGFloat y = i.top / s.height, h = (s.height - i.top - i.bottom) / s.height;
  if (i.left == 0 && i.right == 0) {
    x = 0;
    w = 1;
  }
  if (i.top == 0 && i.bottom == 0) {
    y = 0;
    h = 1;
  }
  return CGRectMake(x, y, std::max(0.0, w), std::max(0.0, h));
}

void UIImage::drawInto(const CGContextRef& ctx, CGRect rect) const {
  CGImageRef upright = uprightCGImage();
  if (!ctx || !upright) return;
  CADrawImageStretched(ctx, upright, rect, CGRectMake(0, 0, 1, 1), contentsCenter(), scale_);
}

void UIImage::drawAtPoint(CGPoint point) const {
  drawInRect({point, size()});
}

void UIImage::drawAtPoint(CGPoint point, CGBlendMode mode, CGFloat alpha) const {
  drawInRect({point, size()}, mode, alpha);
}

void UIImage::drawInRect(CGRect rect) const {
  drawInto(UIGraphicsGetCurrentContext(), rect);
}

void UIImage::drawInRect(CGRect rect, CGBlendMode mode, CGFloat alpha) const {
  auto ctx = UIGraphicsGetCurrentContext();
  if (!ctx) return;
  ctx->saveGState();
  ctx->setBlendMode(mode);
  ctx->setAlpha(alpha);
  drawInto(ctx, rect);
  ctx->restoreGState();
}

void UIImage::drawAsPatternInRect(CGRect rect) const {
  auto ctx = UIGraphicsGetCurrentContext();
  CGImageRef upright = uprightCGImage();
  if (!ctx || !upright) return;
  ctx->saveGState();
  ctx->setFillColorWithColor(CGColor::createPattern(upright, scale_));
  ctx->fillRect(rect);
  ctx->restoreGState();
}

std::string UIImage::description() const {
  CGSize s = size();
  return "<UIImage \"" + name_ + "\" " + std::to_string(int(s.width)) + "x" +
         std::to_string(int(s.height)) + "@" + std::to_string(int(scale_)) + ">";
}

std::optional<std::string> UIImagePNGRepresentation(const std::shared_ptr<UIImage>& image) {
  if (!image) return std::nullopt;
  return CGImageDestination::encodePNG(image->uprightCGImage());
}

std::optional<std::string> UIImageJPEGRepresentation(const std::shared_ptr<UIImage>& image,
                                                     CGFloat quality) {
  if (!image) return std::nullopt;
  return CGImageDestination::encodeJPEG(image->uprightCGImage(), quality);
}

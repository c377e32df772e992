#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "Common/Additions/UIImage+Additions.h"
#include "Common/Additions/UIImage+Alpha.h"
#include "Common/Additions/UIImage+Resize.h"
#include "Common/Additions/UIImage+RoundedCorner.h"
#include "CoreGraphics/CGAffineTransform.h"
#include "CoreGraphics/CGBitmapContext.h"
#include "Foundation/NSBundle.h"
#include "Foundation/NSException.h"
#include "Foundation/NSFileManager.h"
#include "Foundation/Value.h"
#include "UIKit/UIDevice.h"
#include "UIKit/UIGraphics.h"
#include "UIKit/UIImage.h"
#include "UIKit/UIScreen.h"

namespace {

bool fileExists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool endsWith(std::string_view s, std::string_view suffix) {
  return s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix;
}

bool retinaScreen() {
  return Value(UIDevice::currentDevice()->systemVersion()).intValue() >= 4 &&
         UIScreen::mainScreen()->scale() >= 2.0;
}

// The picture of the file, named `name`; a "@2x" file has scale 2 only on a retina screen.
std::shared_ptr<UIImage> loadNamed(const std::string& path, const std::string& file,
                                   std::string_view name) {
  auto bytes = dataWithContentsOfFile(path);
  if (!bytes) return nullptr;
  std::string_view base = std::string_view(file).substr(0, file.rfind('.'));
  CGFloat scale = endsWith(base, "@2x") && UIScreen::mainScreen()->scale() >= 2 ? 2 : 1;
  auto decoded = UIImage::imageWithData(*bytes, scale);
  if (!decoded) return nullptr;
  // A freshly decoded picture: naming it touches nobody else's image.
  decoded->CGImage()->setSourceName(std::string(name));
  return std::make_shared<UIImage>(decoded->CGImage(), scale, decoded->imageOrientation());
}

}  // namespace

std::shared_ptr<UIImage> imageFileNamed(std::string_view name) {
  std::string folder = NSBundle::mainBundle()->resourcePath() + "/";
  std::string file(name);
  if (!endsWith(name, ".png") && !endsWith(name, ".jpg")) {
    std::string retina = file + "@2x.png";
    std::string plain = file + ".png";
    if (retinaScreen() && fileExists(folder + retina))
      file = retina;
    else
      file = fileExists(folder + plain) ? plain : retina;
  }
  std::string path = folder + file;
  if (!fileExists(path)) return nullptr;
  return loadNamed(path, file, name);
}

std::shared_ptr<UIImage> retina4ImageNamed(std::string_view name) {
  std::string folder = NSBundle::mainBundle()->resourcePath();
  if (UIScreen::mainScreen()->bounds().size.height == 568) {
    std::string tall = std::string(name) + "-568h@2x.png";
    if (fileExists(folder + "/" + tall)) return imageFileNamed(tall);
  }
  return imageFileNamed(name);
}

// ---- resizing, cropping and rotation

namespace {

constexpr CGFloat kPi = CGFloat(M_PI);

bool isTransposed(UIImageOrientation o) {
  return o == UIImageOrientation::Left || o == UIImageOrientation::Right ||
         o == UIImageOrientation::LeftMirrored || o == UIImageOrientation::RightMirrored;
}

}  // namespace

std::shared_ptr<UIImage> croppedImage(const std::shared_ptr<UIImage>& image, CGRect rect) {
  return getSubImage(image, rect);
}

std::shared_ptr<UIImage> thumbnailImage(const std::shared_ptr<UIImage>& image, CGFloat side,
                                        size_t border, size_t cornerRadius,
                                        CGInterpolationQuality quality) {
  auto resized = resizedImageWithContentMode(image, 2, CGSizeMake(side, side), quality);
  if (!resized) return nullptr;
  CGSize s = resized->size();
  auto thumbnail =
      croppedImage(resized, CGRectMake(std::round((s.width - side) * 0.5),
                                       std::round((s.height - side) * 0.5), side, side));
  if (border) thumbnail = transparentBorderImage(thumbnail, border);
  return roundedCornerImage(thumbnail, cornerRadius, border);
}

std::shared_ptr<UIImage> resizedImageWithContentMode(const std::shared_ptr<UIImage>& image,
                                                     int contentMode, CGSize bounds,
                                                     CGInterpolationQuality quality) {
  if (!image) return nullptr;
  CGSize s = image->size();
  CGFloat horizontal = bounds.width / s.width, vertical = bounds.height / s.height;
  CGFloat ratio;
  switch (contentMode) {
    case 1:
      ratio = std::min(horizontal, vertical);
      break;
    case 2:
      ratio = std::max(horizontal, vertical);
      break;
    default:
      NSException::raise(NSInvalidArgumentException,
                         "Unsupported content mode: " + std::to_string(contentMode));
  }
  return resizedImage(image, CGSizeMake(s.width * ratio, s.height * ratio), quality);
}

std::shared_ptr<UIImage> resizedImage(const std::shared_ptr<UIImage>& image, CGSize size,
                                      CGInterpolationQuality quality) {
  if (!image) return nullptr;
  return resizedImage(image, size, transformForOrientation(image, size),
                      isTransposed(image->imageOrientation()), quality);
}

std::shared_ptr<UIImage> resizedImage(const std::shared_ptr<UIImage>& image, CGSize size,
                                      const CGAffineTransform& transform, bool drawTransposed,
                                      CGInterpolationQuality quality) {
  if (!image || !image->CGImage()) return nullptr;
  CGRect rect = CGRectIntegral(CGRectMake(0, 0, size.width, size.height));
  auto ctx = bitmapContextLike(image->CGImage(), size_t(rect.size.width), size_t(rect.size.height));
  if (!ctx) return nullptr;
  ctx->concatCTM(transform);
  ctx->setInterpolationQuality(quality);
  ctx->drawImage(drawTransposed ? CGRectMake(0, 0, rect.size.height, rect.size.width) : rect,
                 image->CGImage());
  return UIImage::imageWithCGImage(ctx->createImage());
}

CGAffineTransform transformForOrientation(const std::shared_ptr<UIImage>& image, CGSize size) {
  CGAffineTransform t = CGAffineTransformIdentity;
  if (!image) return t;
  using O = UIImageOrientation;
  O o = image->imageOrientation();
  if (o == O::Down || o == O::DownMirrored) {
    t = CGAffineTransformTranslate(t, size.width, size.height);
    t = CGAffineTransformRotate(t, kPi);
  } else if (o == O::Left || o == O::LeftMirrored) {
    t = CGAffineTransformTranslate(t, size.width, 0);
    t = CGAffineTransformRotate(t, kPi / 2);
  } else if (o == O::Right || o == O::RightMirrored) {
    t = CGAffineTransformTranslate(t, 0, size.height);
    t = CGAffineTransformRotate(t, -kPi / 2);
  }
  if (o == O::UpMirrored || o == O::DownMirrored) {
    t = CGAffineTransformTranslate(t, size.width, 0);
    t = CGAffineTransformScale(t, -1, 1);
  } else if (o == O::LeftMirrored || o == O::RightMirrored) {
    t = CGAffineTransformTranslate(t, size.height, 0);
    t = CGAffineTransformScale(t, -1, 1);
  }
  return t;
}

std::optional<CGAffineTransform> orientationTransform(int orientation, CGFloat w, CGFloat h) {
  CGAffineTransform t = CGAffineTransformIdentity;
  switch (orientation) {
    case 0:
      return t;
    case 1:
      return CGAffineTransformRotate(CGAffineTransformTranslate(t, w, h), kPi);
    case 2:
      return CGAffineTransformRotate(CGAffineTransformTranslate(t, 0, w), 3 * kPi / 2);
    case 3:
      return CGAffineTransformRotate(CGAffineTransformTranslate(t, h, 0), kPi / 2);
    case 4:
      return CGAffineTransformScale(CGAffineTransformTranslate(t, w, 0), -1, 1);
    case 5:
      return CGAffineTransformScale(CGAffineTransformTranslate(t, 0, h), 1, -1);
    case 6:
      return CGAffineTransformRotate(
          CGAffineTransformScale(CGAffineTransformTranslate(t, h, w), -1, 1), 3 * kPi / 2);
    case 7:
      return CGAffineTransformRotate(CGAffineTransformScale(t, -1, 1), kPi / 2);
    default:
      return std::nullopt;
  }
}

std::shared_ptr<UIImage> drawTurnedBitmap(const UIImage& image, CGSize canvas, CGSize scale,
                                          CGPoint offset, const CGAffineTransform& transform) {
  CGFloat w = CGFloat(image.CGImage()->width()), h = CGFloat(image.CGImage()->height());
  UIGraphicsBeginImageContextWithOptions(canvas, false, 1.0);
  auto ctx = UIGraphicsGetCurrentContext();
  ctx->scaleCTM(scale.width, scale.height);
  ctx->translateCTM(offset.x, offset.y);
  ctx->concatCTM(transform);
  ctx->drawImage(CGRectMake(0, 0, w, h), image.CGImage());
  auto result = UIGraphicsGetImageFromCurrentImageContext();
  UIGraphicsEndImageContext();
  return result;
}

std::shared_ptr<UIImage> rotate(const std::shared_ptr<UIImage>& image,
                                UIImageOrientation orientation) {
  int o = int(orientation);
  if (!image || !image->CGImage() || o < 1 || o > 7) return nullptr;
  CGFloat w = CGFloat(image->CGImage()->width()), h = CGFloat(image->CGImage()->height());
  if (o == 2 || o == 3 || o == 6 || o == 7)
    return drawTurnedBitmap(*image, CGSizeMake(h, w), CGSizeMake(-1, 1), CGPointMake(-h, 0),
                            *orientationTransform(o, w, h));
  return drawTurnedBitmap(*image, CGSizeMake(w, h), CGSizeMake(1, -1), CGPointMake(0, -h),
                          *orientationTransform(o, w, h));
}

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <mutex>
#include <vector>

#include "Common/Additions/UIImage+Additions.h"
#include "Common/Additions/UIImage+Scale.h"
#include "CoreGraphics/CGBitmapContext.h"
#include "Foundation/NSBundle.h"
#include "Foundation/NSFileManager.h"
#include "UIKit/UIDevice.h"
#include "UIKit/UIGraphics.h"
#include "UIKit/UIImage.h"
#include "UIKit/UIScreen.h"

namespace {

struct RetinaTest {
  std::mutex lock;
  std::function<bool()> test;
};

RetinaTest& retinaTest() {
  static RetinaTest t;
  return t;
}

bool retinaDevice() {
  std::function<bool()> test;
  {
    RetinaTest& t = retinaTest();
    std::lock_guard guard(t.lock);
    test = t.test;
  }
  if (test) return test();
  auto screen = UIScreen::mainScreen();
  return screen->bounds().size.width * screen->scale() > 320;
}

int systemMajorVersion() {
  return Value(UIDevice::currentDevice()->systemVersion()).intValue();
}

bool fileExists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Kilobytes as the recompression rules count them; -1 when the file cannot be read.
long long fileKilobytes(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return -1;
  return static_cast<long long>(st.st_size) / 1024;
}

long long kilobytes(const std::string& data) {
  return static_cast<long long>(data.size()) / 1024;
}

// JPEG bytes of the picture; empty when it cannot be encoded.
std::string jpeg(const std::shared_ptr<UIImage>& image, CGFloat quality) {
  if (!image) return {};
  return UIImageJPEGRepresentation(image, quality).value_or(std::string());
}

std::shared_ptr<UIImage> decode(const std::string& data) {
  return data.empty() ? nullptr : UIImage::imageWithData(data);
}

void writeAtomically(const std::string& path, const std::string& data) {
  writeToFile(path, data, true);
}

// The fitting operations' target: doubled on the 640 x 960 mode only.
CGSize fittingTarget(CGSize size) {
  UIScreenMode mode = UIScreen::mainScreen()->currentMode();
  if (mode.size == CGSizeMake(640, 960)) return CGSizeMake(size.width * 2, size.height * 2);
  return size;
}

std::shared_ptr<UIImage> drawnInContext(const std::shared_ptr<UIImage>& image, CGSize size,
                                        CGRect rect) {
  UIGraphicsBeginImageContextWithOptions(size, false, 1.0);
  image->drawInRect(rect);
  auto drawn = UIGraphicsGetImageFromCurrentImageContext();
  UIGraphicsEndImageContext();
  return drawn;
}

// The fitting rectangle of a picture (w x h) in the target (W x H).
enum class Fit { Aspect, Fill, TopLeft };

CGRect fittingRect(CGSize picture, CGSize target, Fit fit) {
  CGFloat w = picture.width, h = picture.height, W = target.width, H = target.height;
  bool narrower = w / h < W / H;
  CGFloat k;
  switch (fit) {
    case Fit::Aspect:
      k = narrower ? h / H : w / W;
      if (narrower) return CGRectMake((W - w / k) * 0.5, 0, w / k, h / k);
      return CGRectMake(0, (H - h / k) * 0.5, w / k, h / k);
    case Fit::Fill:
      k = narrower ? w / W : h / H;
      if (narrower) return CGRectMake(0, (H - h / k) * 0.5, w / k, h / k);
      return CGRectMake((W - w / k) * 0.5, 0, w / k, h / k);
    case Fit::TopLeft:
      k = narrower ? w / W : h / H;
      return CGRectMake(0, 0, w / k, h / k);
  }
  return CGRectZero;
}

std::shared_ptr<UIImage> fitted(const std::shared_ptr<UIImage>& image, CGSize size, Fit fit) {
  if (!image) return nullptr;
  CGSize target = fittingTarget(size);
  CGSize s = image->size();
  // A picture or a target without area fits nowhere: the empty context gives no picture.
  if (s.width <= 0 || s.height <= 0 || target.width <= 0 || target.height <= 0) return nullptr;
  return drawnInContext(image, target, fittingRect(s, target, fit));
}

// An image context of the size in which y runs up, as the pictures' bitmaps are drawn.
template <class Draw>
std::shared_ptr<UIImage> flippedContext(CGSize size, Draw draw) {
  UIGraphicsBeginImageContextWithOptions(size, false, 1.0);
  auto ctx = UIGraphicsGetCurrentContext();
  if (ctx) {
    ctx->translateCTM(0, size.height);
    ctx->scaleCTM(1, -1);
    draw(*ctx);
  }
  auto drawn = UIGraphicsGetImageFromCurrentImageContext();
  UIGraphicsEndImageContext();
  return drawn;
}

}  // namespace

// ---- loading

void setRetinaDeviceTest(std::function<bool()> test) {
  RetinaTest& t = retinaTest();
  std::lock_guard guard(t.lock);
  t.test = std::move(test);
}

std::shared_ptr<UIImage> imageWithContentsOfFileName(std::string_view name) {
  auto bundle = NSBundle::mainBundle();
  std::string twice = bundle->pathForResource(std::string(name) + "@2x", "png");
  std::string plain = bundle->pathForResource(name, "png");
  std::vector<std::string> candidates = {twice, plain};
  if (!retinaDevice()) std::swap(candidates[0], candidates[1]);
  for (const auto& path : candidates) {
    if (path.empty()) continue;
    if (auto image = UIImage::imageWithContentsOfFile(path)) return image;
  }
  return nullptr;
}

std::shared_ptr<UIImage> imageWithContentsOfResolutionIndependentFile(std::string_view path) {
  std::string p(path);
  if (systemMajorVersion() > 3 && UIScreen::mainScreen()->scale() == 2.0) {
    size_t slash = p.rfind('/');
    std::string folder = slash == std::string::npos ? std::string() : p.substr(0, slash + 1);
    std::string file = slash == std::string::npos ? p : p.substr(slash + 1);
    size_t dot = file.rfind('.');
    std::string base = dot == std::string::npos ? file : file.substr(0, dot);
    std::string ext = dot == std::string::npos ? std::string() : file.substr(dot + 1);
    std::string twice = folder + base + "@2x." + ext;
    if (fileExists(twice)) {
      if (auto bytes = dataWithContentsOfFile(twice))
        if (auto decoded = UIImage::imageWithData(*bytes))
          return UIImage::imageWithCGImage(decoded->CGImage(), 2.0, UIImageOrientation::Up);
    }
  }
  auto bytes = dataWithContentsOfFile(p);
  return bytes ? UIImage::imageWithData(*bytes) : nullptr;
}

// ---- fitting

std::shared_ptr<UIImage> scaleImagetoSize(const std::shared_ptr<UIImage>& image, CGSize size) {
  return fitted(image, size, Fit::Aspect);
}

std::shared_ptr<UIImage> cutImagetoSize(const std::shared_ptr<UIImage>& image, CGSize size) {
  return fitted(image, size, Fit::Fill);
}

std::shared_ptr<UIImage> stretchImagetoSize(const std::shared_ptr<UIImage>& image, CGSize size) {
  if (!image) return nullptr;
  CGSize target = fittingTarget(size);
  return drawnInContext(image, target, CGRectMake(0, 0, target.width, target.height));
}

std::shared_ptr<UIImage> topLeftImagetoSize(const std::shared_ptr<UIImage>& image, CGSize size) {
  return fitted(image, size, Fit::TopLeft);
}

// ---- cutting and pixels

std::shared_ptr<UIImage> getSubImage(const std::shared_ptr<UIImage>& image, CGRect rect) {
  if (!image || !image->CGImage()) return nullptr;
  return UIImage::imageWithCGImage(CGImage::createWithImageInRect(image->CGImage(), rect));
}

std::shared_ptr<UIImage> getHeadImage(const std::shared_ptr<UIImage>& image) {
  if (!image) return nullptr;
  CGSize s = image->size();
  CGFloat side = std::min(s.width, s.height);
  return getSubImage(image, CGRectMake(0, 0, side, side));
}

std::shared_ptr<UIImage> grayImage(const std::shared_ptr<UIImage>& image) {
  if (!image || !image->CGImage()) return nullptr;
  size_t w = size_t(image->size().width), h = size_t(image->size().height);
  // 32-bit little-endian words with the alpha byte skipped last: in memory a pixel is
  // skipped, blue, green, red.
  const CGBitmapInfo layout = kCGImageAlphaNoneSkipLast | kCGBitmapByteOrder32Little;
  auto space = CGColorSpace::createDeviceRGB();
  auto source = CGBitmapContext::create(nullptr, w, h, 8, 4 * w, space, layout);
  if (!source) return nullptr;
  source->setInterpolationQuality(CGInterpolationQuality::High);
  source->setShouldAntialias(false);
  source->drawImage(CGRectMake(0, 0, CGFloat(w), CGFloat(h)), image->uprightCGImage());
  const uint8_t* in = static_cast<const uint8_t*>(source->data());
  std::vector<uint8_t> out(4 * w * h);
  for (size_t i = 0; i < w * h; ++i) {
    uint8_t grey = in[4 * i + 2];
    out[4 * i] = 0;
    out[4 * i + 1] = out[4 * i + 2] = out[4 * i + 3] = grey;
  }
  auto result = CGBitmapContext::create(out.data(), w, h, 8, 4 * w, space, layout);
  if (!result) return nullptr;
  return UIImage::imageWithCGImage(result->createImage());
}

// ---- compositing

std::shared_ptr<UIImage> processImage(const std::shared_ptr<UIImage>& image,
                                      const std::shared_ptr<UIImage>& overlay) {
  if (!image) return nullptr;
  CGSize s = image->size();
  CGRect rect = CGRectMake(0, 0, s.width, s.height);
  return flippedContext(s, [&](CGContext& ctx) {
    ctx.drawImage(rect, image->CGImage());
    if (overlay) ctx.drawImage(rect, overlay->CGImage());
  });
}

std::shared_ptr<UIImage> processRectImage(const std::shared_ptr<UIImage>& image,
                                          const std::shared_ptr<UIImage>& overlay, CGRect rect) {
  if (!image) return nullptr;
  return flippedContext(CGSizeMake(300, 300), [&](CGContext& ctx) {
    ctx.drawImage(rect, image->CGImage());
    if (overlay) ctx.drawImage(CGRectMake(0, 0, 300, 300), overlay->CGImage());
  });
}

// ---- recompression

std::shared_ptr<UIImage> pressHeadImage(const std::shared_ptr<UIImage>& image,
                                        const std::string& path) {
  if (!image || fileKilobytes(path) < 51) return image;
  std::string data = jpeg(image, 0.9);
  // Nothing encoded: the file is better kept than emptied.
  if (data.empty()) return image;
  auto picture = decode(data);
  if (picture && picture->size().width > 100) {
    CGSize s = picture->size();
    auto scaled = scaleWithSize(picture, CGSizeMake(100, s.height / s.width * 100));
    std::string smaller = jpeg(scaled, 0.9);
    if (!smaller.empty()) {
      data = std::move(smaller);
      picture = scaled;
    }
  }
  writeAtomically(path, data);
  return picture;
}

std::shared_ptr<UIImage> pressImage(const std::shared_ptr<UIImage>& image, long maxKilobytes) {
  if (!image) return nullptr;
  std::string data;
  for (CGFloat quality : {0.25, 0.9, 0.5, 0.1, 0.01, 0.001}) {
    data = jpeg(image, quality);
    if (kilobytes(data) <= maxKilobytes) break;
  }
  return decode(data);
}

std::shared_ptr<UIImage> pressTextImage(const std::shared_ptr<UIImage>& image,
                                        const std::string& path) {
  if (!image) return image;
  std::string lower = path;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return char(std::tolower(c)); });
  if (lower.size() >= 4 && lower.compare(lower.size() - 4, 4, ".gif") == 0) return image;
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    int first = std::fgetc(f);
    std::fclose(f);
    if (first == 'G') return image;
  }
  if (fileKilobytes(path) < 201) return image;

  std::string data = jpeg(image, 0.9);
  if (data.empty()) return image;
  auto picture = decode(data);
  if (!picture) {
    writeAtomically(path, data);
    return nullptr;
  }
  std::shared_ptr<UIImage> result = picture;
  CGSize s = picture->size();
  if (s.width > 640) {
    auto scaled = scaleWithSize(picture, CGSizeMake(640, s.height / s.width * 640));
    std::string chosen;
    result = nullptr;
    for (int n = 9; n >= 2; --n) {
      chosen = jpeg(scaled, CGFloat(float(n * 0.1)));
      if (kilobytes(chosen) < 200) {
        result = decode(chosen);
        break;
      }
    }
    if (chosen.empty()) return image;
    data = std::move(chosen);
    if (!result) result = scaled;
  }
  writeAtomically(path, data);
  return result;
}

void imageWrite(const Value& dataAndPath) {
  Value data = dataAndPath[0], path = dataAndPath[1];
  if (!path.isString()) return;
  if (data.isData()) writeAtomically(std::string(path.string()), std::string(data.bytes()));
}

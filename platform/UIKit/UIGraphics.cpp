#include "UIKit/UIGraphics.h"

#include <cmath>
#include <vector>

#include "CoreGraphics/CGBitmapContext.h"
#include "CoreGraphics/CGPixelLayout.h"
#include "UIKit/UIImage.h"
#include "UIKit/UIScreen.h"

namespace {

struct Entry {
  CGContextRef ctx;
  bool image = false;
  CGFloat scale = 1;
};

std::vector<Entry>& contextStack() {
  thread_local std::vector<Entry> stack;
  return stack;
}

}  // namespace

CGContextRef UIGraphicsGetCurrentContext() {
  auto& s = contextStack();
  return s.empty() ? nullptr : s.back().ctx;
}

void UIGraphicsPushContext(CGContextRef ctx) {
  contextStack().push_back({std::move(ctx), false, 1});
}

void UIGraphicsPopContext() {
  auto& s = contextStack();
  if (!s.empty()) s.pop_back();
}

void UIGraphicsBeginImageContext(CGSize size) {
  UIGraphicsBeginImageContextWithOptions(size, false, 1);
}

void UIGraphicsBeginImageContextWithOptions(CGSize size, bool opaque, CGFloat scale) {
  if (!(scale > 0)) scale = UIScreen::mainScreen()->scale();
  size_t w = size_t(std::max(0.0, std::ceil(size.width * scale)));
  size_t h = size_t(std::max(0.0, std::ceil(size.height * scale)));
  auto ctx = CGBitmapContext::create(
      nullptr, w, h, 8, 0, CGColorSpace::createDeviceRGB(),
      (opaque ? kCGImageAlphaNoneSkipFirst : kCGImageAlphaPremultipliedFirst) |
          CGNativeByteOrder32());
  if (ctx) {
    ctx->setBaseCTM(CGAffineTransformMake(scale, 0, 0, -scale, 0, CGFloat(h)));
  }
  // A zero size gives no context, but the push keeps begin and end paired.
  contextStack().push_back({ctx, true, scale});
}

std::shared_ptr<UIImage> UIGraphicsGetImageFromCurrentImageContext() {
  auto& s = contextStack();
  if (s.empty() || !s.back().image || !s.back().ctx) return nullptr;
  auto bitmap = std::static_pointer_cast<CGBitmapContext>(s.back().ctx);
  return UIImage::imageWithCGImage(bitmap->createImage(), s.back().scale);
}

void UIGraphicsEndImageContext() {
  auto& s = contextStack();
  if (!s.empty() && s.back().image) s.pop_back();
}

void UIRectFill(CGRect rect) {
  if (auto ctx = UIGraphicsGetCurrentContext()) ctx->fillRect(rect);
}

void UIRectFillUsingBlendMode(CGRect rect, CGBlendMode mode) {
  auto ctx = UIGraphicsGetCurrentContext();
  if (!ctx) return;
  ctx->saveGState();
  ctx->setBlendMode(mode);
  ctx->fillRect(rect);
  ctx->restoreGState();
}

void UIRectFrame(CGRect rect) {
  auto ctx = UIGraphicsGetCurrentContext();
  if (!ctx) return;
  // A one-point line inside the rectangle, in the fill colour.
  ctx->saveGState();
  ctx->fillRect(CGRectMake(rect.origin.x, rect.origin.y, rect.size.width, 1));
  ctx->fillRect(CGRectMake(rect.origin.x, CGRectGetMaxY(rect) - 1, rect.size.width, 1));
  ctx->fillRect(CGRectMake(rect.origin.x, rect.origin.y + 1, 1, rect.size.height - 2));
  ctx->fillRect(CGRectMake(CGRectGetMaxX(rect) - 1, rect.origin.y + 1, 1, rect.size.height - 2));
  ctx->restoreGState();
}

void UIRectClip(CGRect rect) {
  if (auto ctx = UIGraphicsGetCurrentContext()) ctx->clipToRect(rect);
}

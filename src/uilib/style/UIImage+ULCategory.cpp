#include <cmath>
#include <numbers>

#include "Common/Additions/UIImage+RoundedCorner.h"
#include "CoreGraphics/CGBitmapContext.h"
#include "UIKit/UIGraphics.h"
#include "uilib/style/UIImage+ULCategory.h"

void addRoundedRectToPath(CGContext& context, CGRect rect, CGFloat radius) {
  context.beginPath();
  addRoundedRectToPath(rect, context, radius, radius);
}

std::shared_ptr<UIImage> transformWidth(const UIImage& image, CGFloat width, CGFloat height,
                                        bool rotate) {
  CGImageRef source = image.CGImage();
  if (!source || width < 1 || height < 1) return nullptr;
  UIImageOrientation orientation = image.imageOrientation();
  bool sideways =
      orientation == UIImageOrientation::Left || orientation == UIImageOrientation::Right;
  CGFloat dw = width, dh = height;
  if (rotate && sideways) std::swap(dw, dh);
  size_t w = size_t(width), h = size_t(height);
  auto context = CGBitmapContext::create(nullptr, w, h, source->bitsPerComponent(),
                                         w * (source->bitsPerPixel() / 8), source->colorSpace(),
                                         source->bitmapInfo());
  // A layout the bitmap contexts cannot draw into (an image mask, grey with alpha) is redrawn
  // in premultiplied ARGB.
  if (!context)
    context = CGBitmapContext::create(nullptr, w, h, 8, w * 4, CGColorSpace::createDeviceRGB(),
                                      kCGImageAlphaPremultipliedFirst | CGNativeByteOrder32());
  if (!context) return nullptr;
  if (rotate) {
    constexpr CGFloat pi = std::numbers::pi;
    if (orientation == UIImageOrientation::Down) {
      context->translateCTM(dw, dh);
      context->rotateCTM(pi);
    } else if (orientation == UIImageOrientation::Left) {
      context->translateCTM(dh, 0);
      context->rotateCTM(pi / 2);
    } else if (orientation == UIImageOrientation::Right) {
      context->translateCTM(0, dw);
      context->rotateCTM(-pi / 2);
    }
  }
  context->drawImage(CGRectMake(0, 0, dw, dh), source);
  return UIImage::imageWithCGImage(context->createImage());
}

CGRect convertRect(const UIImage& image, CGRect rect, UIViewContentMode contentMode) {
  CGSize is = image.size();
  CGFloat x = rect.origin.x, y = rect.origin.y, w = rect.size.width, h = rect.size.height;
  if (is.width == w && is.height == h) return rect;
  CGFloat iw = is.width, ih = is.height;
  if (iw <= 0 || ih <= 0) return rect;
  auto centred = [&](CGFloat nw, CGFloat nh) {
    return CGRectMake(x + std::floor(w / 2 - nw / 2), y + std::floor(h / 2 - nh / 2), nw, nh);
  };
  switch (contentMode) {
    case UIViewContentMode::ScaleAspectFit:
      return iw > ih ? centred(w, std::floor(w * (ih / iw)))
                     : centred(std::floor(h * (iw / ih)), h);
    case UIViewContentMode::ScaleAspectFill:
      return iw > ih ? centred(std::floor(h * (iw / ih)), h)
                     : centred(w, std::floor(w * (ih / iw)));
    case UIViewContentMode::Center:
      return CGRectMake(x + std::floor(w / 2 - iw / 2), y + std::floor(h / 2 - ih / 2), iw, ih);
    case UIViewContentMode::Top:
      return CGRectMake(x + std::floor(w / 2 - iw / 2), y, iw, ih);
    case UIViewContentMode::Bottom:
      return CGRectMake(x + std::floor(w / 2 - iw / 2), y + std::floor(h - ih), iw, ih);
    case UIViewContentMode::Left:
      return CGRectMake(x, y + std::floor(h / 2 - ih / 2), iw, ih);
    case UIViewContentMode::Right:
      return CGRectMake(x + (w - iw), y + std::floor(h / 2 - ih / 2), iw, ih);
    case UIViewContentMode::TopLeft:
      return CGRectMake(x, y, iw, ih);
    case UIViewContentMode::TopRight:
      return CGRectMake(x + (w - iw), y, iw, ih);
    case UIViewContentMode::BottomLeft:
      return CGRectMake(x, y + std::floor(h - ih), iw, ih);
    case UIViewContentMode::BottomRight:
      return CGRectMake(x + (w - iw), y + (h - ih), iw, ih);
    default:
      return rect;
  }
}

void drawInRectContentMode(const UIImage& image, CGRect rect, UIViewContentMode contentMode) {
  CGSize is = image.size();
  if (is.width == rect.size.width && is.height == rect.size.height) {
    image.drawInRect(rect);
    return;
  }
  CGRect r = convertRect(image, rect, contentMode);
  if (contentMode == UIViewContentMode::ScaleAspectFit ||
      contentMode == UIViewContentMode::ScaleAspectFill) {
    image.drawInRect(r);
    return;
  }
  auto context = UIGraphicsGetCurrentContext();
  if (!context) return;
  context->saveGState();
  context->clipToRect(rect);
  image.drawInRect(r);
  context->restoreGState();
}

void drawInRectRadius(const UIImage& image, CGRect rect, CGFloat radius) {
  drawInRectRadius(image, rect, radius, UIViewContentMode::ScaleToFill);
}

void drawInRectRadius(const UIImage& image, CGRect rect, CGFloat radius,
                      UIViewContentMode contentMode) {
  auto context = UIGraphicsGetCurrentContext();
  if (!context) return;
  context->saveGState();
  if (radius != 0) {
    addRoundedRectToPath(*context, rect, radius);
    context->clip();
  }
  drawInRectContentMode(image, rect, contentMode);
  context->restoreGState();
}

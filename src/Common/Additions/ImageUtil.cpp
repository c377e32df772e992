#include "Common/Additions/ImageUtil.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <new>

#include "CoreGraphics/CGBitmapContext.h"
#include "UIKit/UIGraphics.h"
#include "UIKit/UIImage.h"

namespace {

uint8_t clampByte(long v) {
  return uint8_t(std::clamp(v, 0L, 255L));
}

// The opaque picture of the first width × height pixels of the buffer (its rows keep their
// full length), through JPEG.
std::shared_ptr<UIImage> pictureOf(const RgbaPixels& pixels, size_t width, size_t height) {
  if (width == 0 || height == 0) return nullptr;
  std::string bytes(pixels.bytes.begin(), pixels.bytes.end());
  auto image = CGImage::create(width, height, 8, 32, pixels.width * 4,
                               CGColorSpace::createDeviceRGB(), kCGImageAlphaNoneSkipLast,
                               CGDataProvider::createWithData(std::move(bytes)), nullptr, false);
  if (!image) return nullptr;
  return ImageUtil::toGetScreenImage(UIImage::imageWithCGImage(image));
}

// The common frame: every pixel (red, green, blue, alpha bytes) of every row changed in place.
std::shared_ptr<UIImage> filtered(const std::shared_ptr<UIImage>& image,
                                  const std::function<void(uint8_t* pixel, size_t row)>& change) {
  auto pixels = CopyImagePixelData(image);
  if (!pixels) return nullptr;
  for (size_t y = 0; y < pixels->height; ++y) {
    uint8_t* p = pixels->row(y);
    for (size_t x = 0; x < pixels->width; ++x, p += 4) change(p, y);
  }
  return pictureOf(*pixels, pixels->width, pixels->height);
}

uint8_t mean(const uint8_t* p) {
  return uint8_t((p[0] + p[1] + p[2]) / 3);
}

}  // namespace

std::shared_ptr<CGBitmapContext> CreateRgbaBitmapContext(const CGImageRef& image,
                                                         RgbaPixels& pixels) {
  pixels.width = image ? image->width() : 0;
  pixels.height = image ? image->height() : 0;
  try {
    pixels.bytes.assign(pixels.width * 4 * pixels.height, 0);
  } catch (const std::bad_alloc&) {
    std::fputs("Memory not allocated!", stderr);
    return nullptr;
  }
  auto ctx = pixels.bytes.empty()
                 ? nullptr
                 : CGBitmapContext::create(pixels.bytes.data(), pixels.width, pixels.height, 8,
                                           pixels.width * 4, CGColorSpace::createDeviceRGB(),
                                           kCGImageAlphaPremultipliedLast);
  if (!ctx) {
    std::fputs("Context not created!", stderr);
    pixels.bytes.clear();
  }
  return ctx;
}

std::optional<RgbaPixels> CopyImagePixelData(const std::shared_ptr<UIImage>& image) {
  if (!image || !image->CGImage()) return std::nullopt;
  RgbaPixels pixels;
  auto ctx = CreateRgbaBitmapContext(image->CGImage(), pixels);
  if (!ctx) return std::nullopt;
  // The whole bitmap, at its pixel size: a picture of scale 2 is not cut to its size in points.
  ctx->drawImage(CGRectMake(0, 0, CGFloat(pixels.width), CGFloat(pixels.height)), image->CGImage());
  ctx.reset();
  return pixels;
}

std::shared_ptr<UIImage> ImageUtil::toGetScreenImage(const std::shared_ptr<UIImage>& image) {
  auto jpeg = UIImageJPEGRepresentation(image, 1.0);
  return jpeg ? UIImage::imageWithData(*jpeg) : nullptr;
}

CGSize ImageUtil::fitSize(CGSize size, CGSize box) {
  if (size.width < box.width && size.height < box.height) return size;
  if (size.width >= size.height) return CGSizeMake(box.width, size.height * box.width / size.width);
  return CGSizeMake(size.width * box.height / size.height, box.height);
}

std::shared_ptr<UIImage> ImageUtil::imageFitInSize(const std::shared_ptr<UIImage>& image,
                                                   CGSize box) {
  if (!image) return nullptr;
  CGSize size = fitSize(image->size(), box);
  UIGraphicsBeginImageContextWithOptions(size, false, 1.0);
  image->drawInRect(CGRectMake(0, 0, size.width, size.height));
  auto result = UIGraphicsGetImageFromCurrentImageContext();
  UIGraphicsEndImageContext();
  return result;
}

std::shared_ptr<UIImage> ImageUtil::processImage(const std::shared_ptr<UIImage>& image,
                                                 const ColorMatrix& m) {
  return filtered(image, [&m](uint8_t* p, size_t) {
    float old[4] = {float(p[0]), float(p[1]), float(p[2]), float(p[3])};
    for (int c = 0; c < 4; ++c) {
      const float* row = &m[size_t(c) * 5];
      float v = row[0] * old[0] + row[1] * old[1] + row[2] * old[2] + row[3] * old[3] + row[4];
      p[c] = clampByte(long(std::trunc(v)));
    }
  });
}

std::shared_ptr<UIImage> ImageUtil::blackWhite(const std::shared_ptr<UIImage>& image) {
  return filtered(image, [](uint8_t* p, size_t) { p[0] = p[1] = p[2] = mean(p); });
}

std::shared_ptr<UIImage> ImageUtil::cartoon(const std::shared_ptr<UIImage>& image) {
  return filtered(image, [](uint8_t* p, size_t) { p[0] = p[1] = p[2] = mean(p) > 128 ? 255 : 0; });
}

std::shared_ptr<UIImage> ImageUtil::memory(const std::shared_ptr<UIImage>& image) {
  return filtered(image, [](uint8_t* p, size_t) {
    long v = mean(p);
    p[0] = clampByte(3 * v);
    p[1] = clampByte(2 * v);
    p[2] = uint8_t(v);
  });
}

std::shared_ptr<UIImage> ImageUtil::scanLine(const std::shared_ptr<UIImage>& image) {
  return filtered(image, [](uint8_t* p, size_t row) {
    if (row % 2) return;
    for (int c = 0; c < 3; ++c) p[c] = clampByte(2L * p[c]);
  });
}

std::shared_ptr<UIImage> ImageUtil::markImage(const std::shared_ptr<UIImage>& image,
                                              const std::shared_ptr<UIColor>&) {
  return filtered(image, [](uint8_t* p, size_t) {
    if (p[0] != 255) p[0] = p[1] = p[2] = 0, p[3] = 255;
  });
}

std::shared_ptr<UIImage> ImageUtil::bopo(const std::shared_ptr<UIImage>& image) {
  auto pixels = CopyImagePixelData(image);
  if (!pixels) return nullptr;
  float weight[8][8];
  for (int i = 0; i < 8; ++i)
    for (int j = 0; j < 8; ++j) weight[i][j] = float(32 - ((i - 4) * (i - 4) + (j - 4) * (j - 4)));
  float total = 0;
  for (auto& row : weight)
    for (float w : row) total += w;
  for (auto& row : weight)
    for (float& w : row) w /= total;
  size_t width = pixels->width / 8 * 8, height = pixels->height / 8 * 8;
  for (size_t by = 0; by < height; by += 8)
    for (size_t bx = 0; bx < width; bx += 8) {
      long sum[3] = {0, 0, 0};
      for (size_t i = 0; i < 8; ++i) {
        const uint8_t* p = pixels->row(by + i) + bx * 4;
        for (size_t j = 0; j < 8; ++j, p += 4)
          for (int c = 0; c < 3; ++c) sum[c] += 255 - p[c];
      }
      for (size_t i = 0; i < 8; ++i) {
        uint8_t* p = pixels->row(by + i) + bx * 4;
        for (size_t j = 0; j < 8; ++j, p += 4)
          for (int c = 0; c < 3; ++c)
            p[c] = clampByte(255 - long(std::trunc(float(sum[c]) * weight[i][j])));
      }
    }
  // The cut picture keeps the buffer's full rows.
  return pictureOf(*pixels, width, height);
}

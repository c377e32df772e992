// Drawing into bitmap contexts, checked pixel by pixel: the byte layouts the pixel code relies
// on, the y-up device space and the flipped one of the platform's own contexts, clips and image
// masks, shadows, transparency layers, blend modes, gradients and the recording context.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "CoreGraphics/CGBitmapContext.h"
#include "CoreGraphics/CGContext.h"

namespace {

using Pixel = std::array<int, 4>;

// An RGBA (premultiplied last, big-endian: bytes R G B A) context of w × h pixels.
std::shared_ptr<CGBitmapContext> rgbaContext(size_t w, size_t h) {
  return CGBitmapContext::create(nullptr, w, h, 8, 0, CGColorSpace::createDeviceRGB(),
                                 kCGImageAlphaPremultipliedLast | kCGBitmapByteOrder32Big);
}

// The pixel in memory row y (0 = first row in memory) of an RGBA context.
Pixel at(const std::shared_ptr<CGBitmapContext>& c, size_t x, size_t y) {
  const uint8_t* p = static_cast<const uint8_t*>(c->data()) + y * c->bytesPerRow() + x * 4;
  return {p[0], p[1], p[2], p[3]};
}

// A context whose user space is flipped (top-left origin) like the platform's own ones.
std::shared_ptr<CGBitmapContext> flippedContext(size_t w, size_t h) {
  auto c = rgbaContext(w, h);
  c->setBaseCTM(CGAffineTransformMake(1, 0, 0, -1, 0, CGFloat(h)));
  return c;
}

TEST(CGBitmapContextTest, ColoursLandInTheBytesOfEachLayout) {
  struct Case {
    const char* name;
    CGColorSpaceRef space;
    CGBitmapInfo info;
    size_t bytesPerPixel;
    std::vector<int> bytes;  // of one pixel filled with (R, G, B, A) = (255, 128, 0, 255)
  };
  auto rgb = CGColorSpace::createDeviceRGB();
  const Case cases[] = {
      {"RGBA premultiplied last, big-endian",
       rgb,
       kCGImageAlphaPremultipliedLast | kCGBitmapByteOrder32Big,
       4,
       {255, 128, 0, 255}},
      {"ARGB premultiplied first, big-endian",
       rgb,
       kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Big,
       4,
       {255, 255, 128, 0}},
      {"BGRA premultiplied first, little-endian",
       rgb,
       kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Little,
       4,
       {0, 128, 255, 255}},
      // Skipped byte, blue, green, red: the grey filter reads green as the third byte.
      {"skip last, little-endian",
       rgb,
       kCGImageAlphaNoneSkipLast | kCGBitmapByteOrder32Little,
       4,
       {255, 0, 128, 255}},
      {"RGBX skip last, default order", rgb, kCGImageAlphaNoneSkipLast, 4, {255, 128, 0, 255}},
      {"grey", CGColorSpace::createDeviceGray(), kCGImageAlphaNone, 1, {151}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto ctx = CGBitmapContext::create(nullptr, 2, 2, 8, 0, c.space, c.info);
    ASSERT_NE(ctx, nullptr);
    EXPECT_EQ(ctx->bitsPerPixel(), c.bytesPerPixel * 8);
    ctx->setRGBFillColor(1, 128 / 255.0, 0, 1);
    ctx->fillRect(CGRectMake(0, 0, 2, 2));
    const uint8_t* p = static_cast<const uint8_t*>(ctx->data());
    std::vector<int> got(p, p + c.bytesPerPixel);
    EXPECT_EQ(got, c.bytes);
  }
  // Premultiplied: half-transparent red is stored as (128, 0, 0, 128).
  auto half = rgbaContext(1, 1);
  half->setRGBFillColor(1, 0, 0, 0.5);
  half->fillRect(CGRectMake(0, 0, 1, 1));
  EXPECT_EQ(at(half, 0, 0), (Pixel{128, 0, 0, 128}));
}

TEST(CGBitmapContextTest, UnsupportedLayoutsAndSizesGiveNoContext) {
  auto rgb = CGColorSpace::createDeviceRGB();
  EXPECT_EQ(CGBitmapContext::create(nullptr, 4, 4, 8, 0, rgb, kCGImageAlphaLast), nullptr);
  EXPECT_EQ(CGBitmapContext::create(nullptr, 4, 4, 16, 0, rgb, kCGImageAlphaPremultipliedLast),
            nullptr);
  EXPECT_EQ(CGBitmapContext::create(nullptr, 0, 4, 8, 0, rgb, kCGImageAlphaPremultipliedLast),
            nullptr);
  EXPECT_EQ(CGBitmapContext::create(nullptr, 4, 4, 8, 8, rgb, kCGImageAlphaPremultipliedLast),
            nullptr);  // rows too short
  EXPECT_EQ(CGBitmapContext::create(nullptr, 4, 4, 8, 0, nullptr, kCGImageAlphaPremultipliedLast),
            nullptr);
  EXPECT_NE(CGBitmapContext::create(nullptr, 4, 4, 8, 0, nullptr, kCGImageAlphaOnly), nullptr);
}

TEST(CGBitmapContextTest, BytesTheCallerWritesAreKeptAndDrawnOver) {
  std::vector<uint8_t> memory(4 * 2 * 1, 0);
  auto ctx = CGBitmapContext::create(memory.data(), 2, 1, 8, 8, CGColorSpace::createDeviceRGB(),
                                     kCGImageAlphaPremultipliedLast | kCGBitmapByteOrder32Big);
  ASSERT_EQ(ctx->data(), memory.data());
  // The caller paints the left pixel blue by hand, then draws half-transparent red over all.
  memory[2] = 255;
  memory[3] = 255;
  ctx->setRGBFillColor(1, 0, 0, 0.5);
  ctx->fillRect(CGRectMake(0, 0, 2, 1));
  EXPECT_EQ(std::vector<int>(memory.begin(), memory.begin() + 4),
            (std::vector<int>{128, 0, 127, 255}));
  EXPECT_EQ(std::vector<int>(memory.begin() + 4, memory.end()), (std::vector<int>{128, 0, 0, 128}));
  // The image of the context copies the bytes in the same layout.
  auto image = ctx->createImage();
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->bitmapInfo(), kCGImageAlphaPremultipliedLast | kCGBitmapByteOrder32Big);
  EXPECT_EQ(image->dataProvider()->data(), std::string(memory.begin(), memory.end()));
}

TEST(CGContextTest, BitmapSpaceIsYUpAndThePlatformsOwnContextsAreFlipped) {
  auto up = rgbaContext(4, 4);
  up->setRGBFillColor(1, 0, 0, 1);
  up->fillRect(CGRectMake(0, 0, 1, 1));
  EXPECT_EQ(at(up, 0, 3), (Pixel{255, 0, 0, 255}));  // the bottom row is last in memory
  EXPECT_EQ(at(up, 0, 0)[3], 0);
  EXPECT_EQ(up->getCTM(), CGAffineTransformIdentity);

  auto flipped = flippedContext(4, 4);
  flipped->setRGBFillColor(1, 0, 0, 1);
  flipped->fillRect(CGRectMake(0, 0, 1, 1));
  EXPECT_EQ(at(flipped, 0, 0), (Pixel{255, 0, 0, 255}));
  EXPECT_EQ(flipped->getCTM(), CGAffineTransformMake(1, 0, 0, -1, 0, 4));
  EXPECT_EQ(flipped->convertPointToDeviceSpace(CGPointMake(1, 1)), CGPointMake(1, 3));

  // The transformation moves with translate and scale, and restores with the state.
  flipped->saveGState();
  flipped->translateCTM(2, 2);
  flipped->scaleCTM(2, 2);
  flipped->setRGBFillColor(0, 0, 1, 1);
  flipped->fillRect(CGRectMake(0, 0, 1, 1));
  flipped->restoreGState();
  EXPECT_EQ(at(flipped, 3, 3), (Pixel{0, 0, 255, 255}));
  EXPECT_EQ(at(flipped, 1, 1)[3], 0);
  EXPECT_EQ(flipped->getCTM(), CGAffineTransformMake(1, 0, 0, -1, 0, 4));
}

// A 2 × 2 image whose top row is red, green and bottom row blue, white.
CGImageRef quadrantImage() {
  auto c = flippedContext(2, 2);
  const std::pair<CGRect, std::array<CGFloat, 3>> fills[] = {{CGRectMake(0, 0, 1, 1), {1, 0, 0}},
                                                             {CGRectMake(1, 0, 1, 1), {0, 1, 0}},
                                                             {CGRectMake(0, 1, 1, 1), {0, 0, 1}},
                                                             {CGRectMake(1, 1, 1, 1), {1, 1, 1}}};
  for (const auto& [r, rgb] : fills) {
    c->setRGBFillColor(rgb[0], rgb[1], rgb[2], 1);
    c->fillRect(r);
  }
  return c->createImage();
}

TEST(CGContextTest, ImagesDrawUprightInYUpSpaceAndUpsideDownInAFlippedOne) {
  CGImageRef image = quadrantImage();
  ASSERT_NE(image, nullptr);
  auto up = rgbaContext(2, 2);
  up->setInterpolationQuality(CGInterpolationQuality::None);
  up->drawImage(CGRectMake(0, 0, 2, 2), image);
  EXPECT_EQ(at(up, 0, 0), (Pixel{255, 0, 0, 255}));  // top-left stays top-left
  EXPECT_EQ(at(up, 1, 1), (Pixel{255, 255, 255, 255}));

  auto flipped = flippedContext(2, 2);
  flipped->setInterpolationQuality(CGInterpolationQuality::None);
  flipped->drawImage(CGRectMake(0, 0, 2, 2), image);
  EXPECT_EQ(at(flipped, 0, 0), (Pixel{0, 0, 255, 255}));  // the bottom row comes first

  // The usual remedy: flip the space about the rectangle before drawing.
  auto fixed = flippedContext(2, 2);
  fixed->setInterpolationQuality(CGInterpolationQuality::None);
  fixed->translateCTM(0, 2);
  fixed->scaleCTM(1, -1);
  fixed->drawImage(CGRectMake(0, 0, 2, 2), image);
  EXPECT_EQ(at(fixed, 0, 0), (Pixel{255, 0, 0, 255}));

  // Scaled up without interpolation each pixel becomes a block.
  auto big = rgbaContext(4, 4);
  big->setInterpolationQuality(CGInterpolationQuality::None);
  big->drawImage(CGRectMake(0, 0, 4, 4), image);
  EXPECT_EQ(at(big, 1, 1), (Pixel{255, 0, 0, 255}));
  EXPECT_EQ(at(big, 2, 1), (Pixel{0, 255, 0, 255}));
  EXPECT_EQ(at(big, 3, 3), (Pixel{255, 255, 255, 255}));
}

TEST(CGContextTest, CroppingAndMaskingImages) {
  CGImageRef image = quadrantImage();
  auto crop = CGImage::createWithImageInRect(image, CGRectMake(1, 0, 5, 1));
  ASSERT_NE(crop, nullptr);
  EXPECT_EQ(crop->width(), 1u);
  EXPECT_EQ(crop->height(), 1u);
  auto drawn = rgbaContext(1, 1);
  drawn->drawImage(CGRectMake(0, 0, 1, 1), crop);
  EXPECT_EQ(at(drawn, 0, 0), (Pixel{0, 255, 0, 255}));
  EXPECT_EQ(CGImage::createWithImageInRect(image, CGRectMake(5, 5, 1, 1)), nullptr);

  // A grey mask: black is transparent, white opaque (the border mask of the picture tools).
  auto maskContext = CGBitmapContext::create(nullptr, 2, 2, 8, 0, CGColorSpace::createDeviceGray(),
                                             kCGImageAlphaNone);
  maskContext->setGrayFillColor(0, 1);
  maskContext->fillRect(CGRectMake(0, 0, 2, 2));
  maskContext->setGrayFillColor(1, 1);
  maskContext->fillRect(CGRectMake(0, 1, 1, 1));  // y-up: the top-left pixel
  auto mask = maskContext->createImage();
  auto masked = CGImage::createWithMask(image, mask);
  ASSERT_NE(masked, nullptr);
  auto out = rgbaContext(2, 2);
  out->setInterpolationQuality(CGInterpolationQuality::None);
  out->drawImage(CGRectMake(0, 0, 2, 2), masked);
  EXPECT_EQ(at(out, 0, 0), (Pixel{255, 0, 0, 255}));
  EXPECT_EQ(at(out, 1, 0)[3], 0);
  EXPECT_EQ(at(out, 1, 1)[3], 0);

  // An image mask paints where its samples are 0.
  std::string samples = {char(0), char(255), char(255), char(255)};
  auto imageMask = CGImage::createMask(2, 2, 8, 8, 2, CGDataProvider::createWithData(samples));
  ASSERT_NE(imageMask, nullptr);
  auto painted = rgbaContext(2, 2);
  painted->setInterpolationQuality(CGInterpolationQuality::None);
  painted->setRGBFillColor(0, 0, 1, 1);
  painted->drawImage(CGRectMake(0, 0, 2, 2), imageMask);
  EXPECT_EQ(at(painted, 0, 0), (Pixel{0, 0, 255, 255}));
  EXPECT_EQ(at(painted, 1, 0)[3], 0);
  // A colour image cannot mask another.
  EXPECT_EQ(CGImage::createWithMask(image, image), nullptr);
}

TEST(CGContextTest, ClipsToPathsRectanglesAndImageMasks) {
  auto c = flippedContext(4, 4);
  c->setShouldAntialias(false);
  c->clipToRect(CGRectMake(1, 1, 2, 2));
  EXPECT_EQ(c->getClipBoundingBox(), CGRectMake(1, 1, 2, 2));
  c->setRGBFillColor(0, 1, 0, 1);
  c->fillRect(CGRectMake(0, 0, 4, 4));
  EXPECT_EQ(at(c, 0, 0)[3], 0);
  EXPECT_EQ(at(c, 1, 1), (Pixel{0, 255, 0, 255}));
  EXPECT_EQ(at(c, 3, 3)[3], 0);

  // An image as a clip mask: its alpha decides (the tinting recipe: clip, then fill).
  auto shape = flippedContext(2, 2);
  shape->setRGBFillColor(0, 0, 0, 1);
  shape->fillRect(CGRectMake(0, 0, 1, 2));  // left column opaque
  auto tinted = flippedContext(2, 2);
  tinted->clipToMask(CGRectMake(0, 0, 2, 2), shape->createImage());
  tinted->setRGBFillColor(1, 0, 0, 1);
  tinted->fillRect(CGRectMake(0, 0, 2, 2));
  EXPECT_EQ(at(tinted, 0, 0), (Pixel{255, 0, 0, 255}));
  EXPECT_EQ(at(tinted, 1, 0)[3], 0);
  // Nothing outside the mask's rectangle is drawn.
  auto outside = flippedContext(4, 1);
  outside->clipToMask(CGRectMake(0, 0, 2, 1), quadrantImage());
  outside->setRGBFillColor(1, 1, 1, 1);
  outside->fillRect(CGRectMake(0, 0, 4, 1));
  EXPECT_EQ(at(outside, 1, 0)[3], 255);
  EXPECT_EQ(at(outside, 3, 0)[3], 0);

  // The clip is part of the saved state.
  auto saved = flippedContext(2, 1);
  saved->saveGState();
  saved->clipToRect(CGRectMake(0, 0, 1, 1));
  saved->restoreGState();
  saved->setRGBFillColor(1, 1, 1, 1);
  saved->fillRect(CGRectMake(0, 0, 2, 1));
  EXPECT_EQ(at(saved, 1, 0)[3], 255);
}

TEST(CGContextTest, AStrokedPathClipsToTheStrokeOnly) {
  auto c = flippedContext(10, 10);
  c->setShouldAntialias(false);
  c->addRect(CGRectMake(2, 2, 6, 6));
  c->setLineWidth(2);
  c->replacePathWithStrokedPath();
  c->clip();
  c->setRGBFillColor(1, 0, 0, 1);
  c->fillRect(CGRectMake(0, 0, 10, 10));
  EXPECT_EQ(at(c, 5, 5)[3], 0);    // the inside
  EXPECT_EQ(at(c, 5, 1)[3], 255);  // on the line (y 1 ... 3)
  EXPECT_EQ(at(c, 5, 2)[3], 255);
  EXPECT_EQ(at(c, 5, 0)[3], 0);
}

TEST(CGContextTest, ShadowsFallDownOnScreenAndUpInABitmapSpace) {
  // A 2 × 2 black square at (4, 4) with a shadow offset (0, 3) and no blur, in red.
  auto draw = [](const std::shared_ptr<CGBitmapContext>& c) {
    c->setShouldAntialias(false);
    c->setShadowWithColor(CGSizeMake(0, 3), 0, CGColor::createGenericRGB(1, 0, 0, 1));
    c->setRGBFillColor(0, 0, 0, 1);
    c->fillRect(CGRectMake(4, 4, 2, 2));
  };
  auto screen = flippedContext(10, 12);
  draw(screen);
  EXPECT_EQ(at(screen, 4, 4), (Pixel{0, 0, 0, 255}));
  EXPECT_EQ(at(screen, 4, 7), (Pixel{255, 0, 0, 255}));  // below, on the flipped screen
  EXPECT_EQ(at(screen, 4, 2)[3], 0);

  auto bitmap = rgbaContext(10, 12);
  draw(bitmap);
  // y-up: the square covers memory rows 6 and 7; its shadow is 3 rows higher (rows 3, 4).
  EXPECT_EQ(at(bitmap, 4, 6), (Pixel{0, 0, 0, 255}));
  EXPECT_EQ(at(bitmap, 4, 3), (Pixel{255, 0, 0, 255}));
  EXPECT_EQ(at(bitmap, 4, 9)[3], 0);

  // A blur spreads the shadow's alpha beyond the shape, fading outwards.
  auto blurred = flippedContext(30, 30);
  blurred->setShadowWithColor(CGSizeMake(0, 0), 6, CGColor::createGenericGray(0, 1));
  blurred->setRGBFillColor(1, 1, 1, 1);
  blurred->fillRect(CGRectMake(10, 10, 10, 10));
  EXPECT_EQ(at(blurred, 15, 15), (Pixel{255, 255, 255, 255}));
  int near = at(blurred, 15, 8)[3], far = at(blurred, 15, 5)[3];
  EXPECT_GT(near, far);
  EXPECT_GT(far, 0);
  EXPECT_LT(near, 255);
  EXPECT_EQ(at(blurred, 15, 0)[3], 0);
}

TEST(CGContextTest, ATransparencyLayerCompositesOnceWithItsAlphaAndShadow) {
  // Two overlapping half-covering squares in one layer at alpha 0.5: the overlap is no darker.
  auto c = flippedContext(6, 2);
  c->setShouldAntialias(false);
  c->setAlpha(0.5);
  c->beginTransparencyLayer();
  c->setRGBFillColor(0, 0, 1, 1);
  c->fillRect(CGRectMake(0, 0, 4, 2));
  c->fillRect(CGRectMake(2, 0, 4, 2));
  c->endTransparencyLayer();
  EXPECT_EQ(at(c, 0, 0), at(c, 3, 0));
  EXPECT_EQ(at(c, 3, 0)[3], 128);

  // Without the layer the overlap is denser.
  auto plain = flippedContext(6, 2);
  plain->setShouldAntialias(false);
  plain->setAlpha(0.5);
  plain->setRGBFillColor(0, 0, 1, 1);
  plain->fillRect(CGRectMake(0, 0, 4, 2));
  plain->fillRect(CGRectMake(2, 0, 4, 2));
  EXPECT_GT(at(plain, 3, 0)[3], at(plain, 0, 0)[3]);

  // The layer casts one shadow for everything drawn in it; inside, shadows are off.
  auto shadowed = flippedContext(8, 8);
  shadowed->setShouldAntialias(false);
  shadowed->setShadowWithColor(CGSizeMake(2, 2), 0, CGColor::createGenericRGB(1, 0, 0, 1));
  shadowed->beginTransparencyLayer();
  shadowed->setRGBFillColor(0, 0, 0, 1);
  shadowed->fillRect(CGRectMake(0, 0, 2, 2));
  shadowed->fillRect(CGRectMake(1, 1, 2, 2));
  shadowed->endTransparencyLayer();
  EXPECT_EQ(at(shadowed, 4, 4), (Pixel{255, 0, 0, 255}));
  EXPECT_EQ(at(shadowed, 2, 2), (Pixel{0, 0, 0, 255}));
  // An unbalanced end does nothing; restoring inside a layer stops at the layer.
  shadowed->endTransparencyLayer();
}

TEST(CGContextTest, BlendModesTheDrawingCodeUses) {
  auto base = [] {
    auto c = flippedContext(2, 1);
    c->setShouldAntialias(false);
    c->setRGBFillColor(0, 0, 1, 1);
    c->fillRect(CGRectMake(0, 0, 1, 1));  // left opaque blue, right transparent
    c->setRGBFillColor(1, 0, 0, 1);
    return c;
  };
  auto atop = base();
  atop->setBlendMode(CGBlendMode::SourceAtop);
  atop->fillRect(CGRectMake(0, 0, 2, 1));
  EXPECT_EQ(at(atop, 0, 0), (Pixel{255, 0, 0, 255}));  // only where something was
  EXPECT_EQ(at(atop, 1, 0)[3], 0);

  auto copy = base();
  copy->setBlendMode(CGBlendMode::Copy);
  copy->setRGBFillColor(1, 0, 0, 0.5);
  copy->fillRect(CGRectMake(0, 0, 1, 1));
  EXPECT_EQ(at(copy, 0, 0), (Pixel{128, 0, 0, 128}));  // replaced, not blended

  auto cleared = base();
  cleared->setBlendMode(CGBlendMode::Clear);
  cleared->fillEllipseInRect(CGRectMake(0, 0, 1, 1));
  EXPECT_EQ(at(cleared, 0, 0)[3], 0);

  auto clearRect = base();
  clearRect->setAlpha(0.1);
  clearRect->clearRect(CGRectMake(0, 0, 2, 1));
  EXPECT_EQ(at(clearRect, 0, 0), (Pixel{0, 0, 0, 0}));

  auto multiply = base();
  multiply->setBlendMode(CGBlendMode::Multiply);
  multiply->setRGBFillColor(1, 1, 1, 1);
  multiply->fillRect(CGRectMake(0, 0, 1, 1));
  EXPECT_EQ(at(multiply, 0, 0), (Pixel{0, 0, 255, 255}));
}

TEST(CGContextTest, GradientsRunBetweenTheirEndsAndExtendOnlyWhenAsked) {
  auto gradient = CGGradient::createWithColorComponents(CGColorSpace::createDeviceRGB(),
                                                        {0, 0, 0, 1, 1, 1, 1, 1}, {}, 2);
  ASSERT_NE(gradient, nullptr);
  auto linear = [&](CGGradientDrawingOptions options) {
    auto c = flippedContext(20, 1);
    c->drawLinearGradient(gradient, CGPointMake(5, 0), CGPointMake(15, 0), options);
    return c;
  };
  auto none = linear(0);
  EXPECT_EQ(at(none, 0, 0)[3], 0);
  EXPECT_EQ(at(none, 19, 0)[3], 0);
  EXPECT_NEAR(at(none, 10, 0)[0], 134, 8);
  EXPECT_LT(at(none, 5, 0)[0], 20);
  auto after = linear(kCGGradientDrawsAfterEndLocation);
  EXPECT_EQ(at(after, 0, 0)[3], 0);
  EXPECT_EQ(at(after, 19, 0), (Pixel{255, 255, 255, 255}));
  auto both = linear(kCGGradientDrawsBeforeStartLocation | kCGGradientDrawsAfterEndLocation);
  EXPECT_EQ(at(both, 0, 0), (Pixel{0, 0, 0, 255}));
  EXPECT_EQ(at(both, 19, 0), (Pixel{255, 255, 255, 255}));

  // The dimming of the progress box: transparent black at the centre to black at alpha 0.75
  // at the edge, continuing past its end.
  auto dim = CGGradient::createWithColorComponents(CGColorSpace::createDeviceRGB(),
                                                   {0, 0, 0, 0, 0, 0, 0, 0.75}, {0, 1}, 2);
  auto radial = flippedContext(20, 20);
  radial->drawRadialGradient(dim, CGPointMake(10, 10), 0, CGPointMake(10, 10), 5,
                             kCGGradientDrawsAfterEndLocation);
  EXPECT_LT(at(radial, 10, 10)[3], 40);  // a pixel centre 0.7 from the centre
  EXPECT_EQ(at(radial, 0, 0)[3], 191);

  // A white-level colour and an RGB colour blend as grey expanded to three channels.
  auto mixed = CGGradient::createWithColors(
      nullptr, {CGColor::createGenericGray(0.5, 1), CGColor::createGenericRGB(1, 0, 0, 1)}, {});
  ASSERT_NE(mixed, nullptr);
  EXPECT_EQ(mixed->stops()[0].color, (CGRGBA{0.5, 0.5, 0.5, 1}));
  EXPECT_EQ(mixed->stops()[1].location, 1);
}

TEST(CGContextTest, StrokesFollowWidthCapsAndDashes) {
  auto c = flippedContext(12, 3);
  c->setShouldAntialias(false);
  c->setRGBStrokeColor(0, 0, 0, 1);
  c->setLineWidth(2);
  c->setLineDash(0, {2, 2});
  c->moveToPoint(0, 1);
  c->addLineToPoint(12, 1);
  c->strokePath();
  std::string dashes;
  for (size_t x = 0; x < 12; ++x) dashes += at(c, x, 0)[3] ? '#' : '.';
  EXPECT_EQ(dashes, "##..##..##..");
  EXPECT_TRUE(c->isPathEmpty());  // painting clears the path

  auto capped = flippedContext(12, 3);
  capped->setShouldAntialias(false);
  capped->setLineWidth(2);
  capped->setLineCap(CGLineCap::Square);
  capped->moveToPoint(4, 1);
  capped->addLineToPoint(8, 1);
  capped->strokePath();
  EXPECT_EQ(at(capped, 3, 0)[3], 255);  // the square cap reaches a half width past the end
  EXPECT_EQ(at(capped, 1, 0)[3], 0);
}

TEST(CGContextTest, TheRecordingContextLogsWhatIsDrawnWhere) {
  auto c = CGContext::createRecording(CGSizeMake(100, 50), 2);
  ASSERT_TRUE(c->isRecording());
  c->setRGBFillColor(1, 0, 0, 1);
  c->fillRect(CGRectMake(10, 5, 20, 10));
  c->translateCTM(50, 0);
  c->setLineWidth(2);
  c->setGrayStrokeColor(0, 0.5);
  c->strokeRect(CGRectMake(0, 0, 10, 10));
  c->setAlpha(0.5);
  auto image = quadrantImage();
  image->setSourceName("quadrants");
  c->drawImage(CGRectMake(0, 20, 4, 4), image);
  c->record("drawText", CGRectMake(0, 30, 40, 12), "\"hi\"");
  EXPECT_EQ(c->recordsText(),
            "fillRect (10 5; 20 10) fill=rgba(1 0 0 1)\n"
            "strokeRect (50 0; 10 10) stroke=rgba(0 0 0 0.5) width=2\n"
            "drawImage (50 20; 4 4) image=\"quadrants\" size=2x2 alpha=0.5\n"
            "drawText (50 30; 40 12) \"hi\"\n");
  // Recording contexts have a flipped space of points.
  EXPECT_EQ(c->pixelWidth(), 200u);
  EXPECT_EQ(c->getCTM().d, -2);
}

TEST(CGContextTest, TheRecordingContextLogsTangentArcsStrokedClipsAndBlendModes) {
  auto c = CGContext::createRecording(CGSizeMake(100, 50));
  c->translateCTM(10, 0);
  c->moveToPoint(0, 0);
  c->addArcToPoint(20, 0, 20, 20, 5);
  // The path is kept in user space and can be read back.
  CGPath copy = c->copyPath();
  ASSERT_FALSE(copy.isEmpty());
  EXPECT_TRUE(CGPointEqualToPoint(copy.elements().front().points[0], CGPointMake(0, 0)));
  c->setLineWidth(2);
  c->replacePathWithStrokedPath();
  c->clip();
  c->setBlendMode(CGBlendMode::SourceAtop);
  c->setBlendMode(CGBlendMode::SourceAtop);  // no change, no record
  c->setBlendMode(CGBlendMode::Overlay);
  c->setBlendMode(CGBlendMode::Copy);
  std::vector<std::string> ops;
  for (const auto& r : c->records()) ops.push_back(r.description());
  ASSERT_EQ(ops.size(), 6u);
  EXPECT_EQ(ops[0], "arcToPoint (30 0; 0 0) toward=(30 20) radius=5");
  EXPECT_EQ(ops[1].rfind("strokedPath", 0), 0u);
  EXPECT_NE(ops[1].find("width=2"), std::string::npos);
  EXPECT_EQ(ops[2].rfind("clipToStrokedPath", 0), 0u);
  EXPECT_EQ(ops[3], "blendMode (0 0; 0 0) mode=20");
  EXPECT_EQ(ops[4], "blendMode (0 0; 0 0) mode=3");
  EXPECT_EQ(ops[5], "blendMode (0 0; 0 0) mode=17");
}

}  // namespace

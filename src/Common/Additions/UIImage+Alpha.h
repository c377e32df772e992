// Alpha, borders, masks and shadows of pictures (the image category "Alpha").  Any thread; no
// state.  Every operation gives a new picture of scale 1 unless it says it gives the receiver.
#pragma once

#include <cstddef>
#include <memory>

#include "CoreGraphics/CGGeometry.h"
#include "CoreGraphics/CGImage.h"

class UIColor;
class UIImage;

// hasAlpha - whether the bitmap's layout has alpha (first or last, premultiplied or not); NO
// for no alpha, skipped alpha and alpha only.
bool hasAlpha(const std::shared_ptr<UIImage>& image);
// imageWithAlpha - the receiver itself when it has alpha; otherwise its bitmap redrawn at its
// pixel size with premultiplied alpha first.
std::shared_ptr<UIImage> imageWithAlpha(const std::shared_ptr<UIImage>& image);
// transparentBorderImage: - the picture on a canvas `border` pixels larger on every side, the
// band fully transparent (a border of 0 still gives a new picture of the same size).
std::shared_ptr<UIImage> transparentBorderImage(const std::shared_ptr<UIImage>& image,
                                                size_t border);
// newBorderMask:size: - a grey mask of the size: black in the band `border` pixels wide along
// the edges, white inside.
CGImageRef newBorderMask(size_t border, CGSize size);
// imageWithShadow:shadowSize:blur: - the picture with a shadow of the colour (nullptr: black),
// on a canvas grown to hold it; the receiver itself when offset and blur are all 0.
std::shared_ptr<UIImage> imageWithShadow(const std::shared_ptr<UIImage>& image,
                                         const std::shared_ptr<UIColor>& color, CGSize offset,
                                         CGFloat blur);
// maskWithColor: - the picture's shape (its alpha) filled with the colour, centred on a canvas
// 10 points larger in each direction; the second form with a shadow.
std::shared_ptr<UIImage> maskWithColor(const std::shared_ptr<UIImage>& image,
                                       const std::shared_ptr<UIColor>& color);
std::shared_ptr<UIImage> maskWithColor(const std::shared_ptr<UIImage>& image,
                                       const std::shared_ptr<UIColor>& color,
                                       const std::shared_ptr<UIColor>& shadowColor,
                                       CGSize shadowOffset, CGFloat shadowBlur);
// ipMaskedImageColor: - the picture at its pixel size with every pixel made fully transparent
// whose red byte is not exactly the colour's first component × 255 (so white keeps the pixels
// of red 255; a key between two bytes keeps none).  Pixels kept are unchanged.
std::shared_ptr<UIImage> ipMaskedImageColor(const std::shared_ptr<UIImage>& image,
                                            const std::shared_ptr<UIColor>& color);

// A bitmap context of the size in the image's own layout (bits, colour space, alpha and byte
// order) where a context can draw in it, else in premultiplied ARGB of its colour space.
std::shared_ptr<class CGBitmapContext> bitmapContextLike(const CGImageRef& image, size_t width,
                                                         size_t height);

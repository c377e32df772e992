// Pixel filters: pictures turned into filtered copies by working on their raw pixels (a colour
// matrix, grey, black and white, a warm tone, a dot screen, scan lines, a black mask) and two
// fitting operations.  Any thread; no state.
//
// Every filter reads the picture's whole bitmap (a picture of scale 2 at its pixel size), and
// gives an opaque picture of scale 1 that went through JPEG at quality 1.0 (toGetScreenImage),
// so colours may differ from the computed ones by a step or two.  nullptr when the picture has
// no bitmap or its pixels cannot be had.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "CoreGraphics/CGGeometry.h"
#include "CoreGraphics/CGImage.h"

class CGBitmapContext;
class UIColor;
class UIImage;

// The pixels of a picture: width × height pixels of red, green, blue and alpha (premultiplied),
// rows of width × 4 bytes from the top, device RGB.
struct RgbaPixels {
  size_t width = 0, height = 0;
  std::vector<uint8_t> bytes;
  uint8_t* row(size_t y) { return bytes.data() + y * width * 4; }
};

// CreateRgbaBitmapContext - a bitmap context of that layout over `pixels` (sized here for the
// image's pixel size).  On failure one line goes to the standard error ("Memory not
// allocated!", "Context not created!") and nullptr comes back.
std::shared_ptr<CGBitmapContext> CreateRgbaBitmapContext(const CGImageRef& image,
                                                         RgbaPixels& pixels);
// CopyImagePixelData - the picture's bitmap drawn at its pixel size into such pixels.
std::optional<RgbaPixels> CopyImagePixelData(const std::shared_ptr<UIImage>& image);

class ImageUtil {
 public:
  // Rows of 5 (red, green, blue, alpha multipliers of the old 0 ... 255 values, then an offset
  // on the same scale) giving the new red, green, blue and alpha.
  using ColorMatrix = std::array<float, 20>;

  // toGetScreenImage: - the picture encoded as JPEG at quality 1.0 and decoded again.
  static std::shared_ptr<UIImage> toGetScreenImage(const std::shared_ptr<UIImage>& image);
  // fitSize:inSize: - the size unchanged when both sides are under the box's; otherwise the
  // box's width (the size at least as wide as high) or height, proportions kept.
  static CGSize fitSize(CGSize size, CGSize box);
  // image:fitInSize: - the picture drawn at its fitted size (scale 1).
  static std::shared_ptr<UIImage> imageFitInSize(const std::shared_ptr<UIImage>& image, CGSize box);

  // processImage:withColorMatrix: - each component its matrix row, truncated, within 0 ... 255.
  static std::shared_ptr<UIImage> processImage(const std::shared_ptr<UIImage>& image,
                                               const ColorMatrix& matrix);
  // blackWhite: - red, green and blue their truncated mean.
  static std::shared_ptr<UIImage> blackWhite(const std::shared_ptr<UIImage>& image);
  // cartoon: - white where the truncated mean is above 128, else black.
  static std::shared_ptr<UIImage> cartoon(const std::shared_ptr<UIImage>& image);
  // memory: - with v the mean: (3v, 2v, v), each at most 255.
  static std::shared_ptr<UIImage> memory(const std::shared_ptr<UIImage>& image);
  // scanLine: - rows 0, 2, 4 ... brightened (each component doubled, at most 255).
  static std::shared_ptr<UIImage> scanLine(const std::shared_ptr<UIImage>& image);
  // markImage:withColor: - every pixel whose red is not 255 black; the colour is not used.
  static std::shared_ptr<UIImage> markImage(const std::shared_ptr<UIImage>& image,
                                            const std::shared_ptr<UIColor>& color);
  // bopo: - a dot screen over blocks of 8 × 8 pixels: each block's darkness gathered into a
  // round dot.  The picture is cut to whole blocks (width and height down to multiples of 8).
  static std::shared_ptr<UIImage> bopo(const std::shared_ptr<UIImage>& image);
};

// Colours: components in a colour space followed by alpha (grey + alpha, or red, green, blue +
// alpha), each kept within 0 ... 1, or a pattern that tiles an image.  A colour remembers how
// many components it was made with: a white-level colour has two, an RGB colour four.
#pragma once

#include <memory>
#include <vector>

#include "CoreGraphics/CGColorSpace.h"
#include "CoreGraphics/CGGeometry.h"

class CGImage;

// Red, green, blue and alpha of any colour (grey expanded to three equal channels), unclamped
// by nothing but the colour's own clamping; what drawing uses.
struct CGRGBA {
  CGFloat r = 0, g = 0, b = 0, a = 0;
  bool operator==(const CGRGBA&) const = default;
};

class CGColor {
 public:
  // CGColorCreate: the components (colour space's count + 1 for alpha) are clamped to 0 ... 1.
  // Missing components count as 0; nullptr for a pattern or unknown space.
  static std::shared_ptr<const CGColor> create(const CGColorSpaceRef& space,
                                               const std::vector<CGFloat>& components);
  static std::shared_ptr<const CGColor> createGenericRGB(CGFloat r, CGFloat g, CGFloat b,
                                                         CGFloat a);
  static std::shared_ptr<const CGColor> createGenericGray(CGFloat gray, CGFloat a);
  // A colour that paints the image tiled, at `scale` pixels a point, with the alpha.  The
  // tiles start at the origin of the user space the colour is painted in.
  static std::shared_ptr<const CGColor> createPattern(std::shared_ptr<const CGImage> image,
                                                      CGFloat scale, CGFloat alpha = 1);
  // The same colour with another alpha.
  static std::shared_ptr<const CGColor> createCopyWithAlpha(const std::shared_ptr<const CGColor>& c,
                                                            CGFloat alpha);
  static bool equalToColor(const std::shared_ptr<const CGColor>& a,
                           const std::shared_ptr<const CGColor>& b);

  const CGColorSpaceRef& colorSpace() const { return space_; }
  size_t numberOfComponents() const { return components_.size(); }
  // Colour components then alpha.
  const std::vector<CGFloat>& components() const { return components_; }
  CGFloat alpha() const { return components_.empty() ? alpha_ : components_.back(); }
  CGRGBA rgba() const;

  bool isPattern() const { return pattern_ != nullptr; }
  const std::shared_ptr<const CGImage>& patternImage() const { return pattern_; }
  CGFloat patternScale() const { return patternScale_; }

  CGColor(CGColorSpaceRef space, std::vector<CGFloat> components)
      : space_(std::move(space)), components_(std::move(components)) {}

 private:
  CGColorSpaceRef space_;
  std::vector<CGFloat> components_;
  std::shared_ptr<const CGImage> pattern_;
  CGFloat patternScale_ = 1;
  CGFloat alpha_ = 1;  // of a pattern colour
};

using CGColorRef = std::shared_ptr<const CGColor>;

// Pictures with rounded corners (the image category "RoundedCorner").  Any thread; no state.
#pragma once

#include <cstddef>
#include <memory>

#include "CoreGraphics/CGContext.h"
#include "CoreGraphics/CGGeometry.h"

class UIImage;

// roundedCornerImage:borderSize: - the picture (with alpha) clipped to a rectangle inset by
// `border` whose corners are quarter ovals `cornerSize` wide and high; outside is transparent.
std::shared_ptr<UIImage> roundedCornerImage(const std::shared_ptr<UIImage>& image,
                                            size_t cornerSize, size_t border);
// addRoundedRectToPath:context:ovalWidth:ovalHeight: - adds the rounded rectangle to the
// context's current path as a closed subpath; a plain rectangle when an oval side is 0.
void addRoundedRectToPath(CGRect rect, CGContext& context, CGFloat ovalWidth, CGFloat ovalHeight);
// imageWithRadius:width:height: - the picture at its own size, not scaled, clipped to a
// rounded rectangle of (width, height) with corners of the radius (scale 1).
std::shared_ptr<UIImage> imageWithRadius(const std::shared_ptr<UIImage>& image, CGFloat radius,
                                         CGFloat width, CGFloat height);

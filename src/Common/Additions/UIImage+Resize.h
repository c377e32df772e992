// Loading the bundle's pictures by name (the image category "Resize").  Main thread.
#pragma once

#include <memory>
#include <optional>
#include <string_view>

#include "CoreGraphics/CGAffineTransform.h"
#include "CoreGraphics/CGContext.h"
#include "UIKit/UIImage.h"

class UIImage;

// imageFileNamed: - the bundle picture of the name, read from its file on every call (no
// cache).  A name ending in ".png" or ".jpg" (exactly so) is the file name; otherwise
// "<name>@2x.png" on a retina screen (scale 2 or more, system 4 or later) when that file
// exists, else "<name>.png" when it exists, else "<name>@2x.png" on any screen.  A "@2x" file
// has scale 2 on a screen of scale 2 or more and scale 1 otherwise (so a lone "@2x" picture is
// twice as large in points on a plain screen).  The image is named by the name asked for (as
// view dumps show it).  nullptr when there is no such file.
std::shared_ptr<UIImage> imageFileNamed(std::string_view name);

// retina4ImageNamed: - on a screen 568 points high, "<name>-568h@2x.png" when the bundle has
// it; otherwise, and on other screens, imageFileNamed with the name.
std::shared_ptr<UIImage> retina4ImageNamed(std::string_view name);

// ---- resizing, cropping and rotation.  Any thread; each gives a new picture of scale 1.

// croppedImage: - the part of the bitmap inside the rectangle (in pixels).
std::shared_ptr<UIImage> croppedImage(const std::shared_ptr<UIImage>& image, CGRect rect);
// thumbnailImage:transparentBorder:cornerRadius:interpolationQuality: - the picture filling a
// square of side `side` (aspect fill, the middle kept), with a transparent border and rounded
// corners.
std::shared_ptr<UIImage> thumbnailImage(const std::shared_ptr<UIImage>& image, CGFloat side,
                                        size_t border, size_t cornerRadius,
                                        CGInterpolationQuality quality);
// resizedImageWithContentMode:bounds:interpolationQuality: - mode 1 fits the picture inside the
// bounds, mode 2 fills them (proportions kept, nothing cut).  Another mode raises
// NSInvalidArgumentException "Unsupported content mode: <mode>": a programming error.
std::shared_ptr<UIImage> resizedImageWithContentMode(const std::shared_ptr<UIImage>& image,
                                                     int contentMode, CGSize bounds,
                                                     CGInterpolationQuality quality);
// resizedImage:interpolationQuality: - the picture upright at the new size (its orientation
// applied).
std::shared_ptr<UIImage> resizedImage(const std::shared_ptr<UIImage>& image, CGSize size,
                                      CGInterpolationQuality quality);
// resizedImage:transform:drawTransposed:interpolationQuality: - a canvas of the size (made
// integral) in the receiver's layout; the bitmap drawn through the transform, into the size
// with its sides swapped when transposed.
std::shared_ptr<UIImage> resizedImage(const std::shared_ptr<UIImage>& image, CGSize size,
                                      const CGAffineTransform& transform, bool drawTransposed,
                                      CGInterpolationQuality quality);
// transformForOrientation: - the transform that draws the receiver's bitmap upright in a
// canvas of the size (its orientation undone).
CGAffineTransform transformForOrientation(const std::shared_ptr<UIImage>& image, CGSize size);
// rotate: - the bitmap turned (and mirrored) as the orientation says: down, left, right and
// the mirrored four; left, right and their mirrors swap width and height.  Up (0) or a value
// above 7 turns nothing: nullptr.
std::shared_ptr<UIImage> rotate(const std::shared_ptr<UIImage>& image,
                                UIImageOrientation orientation);
// The transform that turns a bitmap of w × h pixels as orientation 0 ... 7 says, drawn in a
// y-up canvas (h × w for 2, 3, 6 and 7); nullopt for another value.
std::optional<CGAffineTransform> orientationTransform(int orientation, CGFloat w, CGFloat h);
// The bitmap drawn at its pixel size into an image context of the canvas (scale 1) whose
// coordinates are scaled, then translated by the offset, then taken through the transform.
std::shared_ptr<UIImage> drawTurnedBitmap(const UIImage& image, CGSize canvas, CGSize scale,
                                          CGPoint offset, const CGAffineTransform& transform);

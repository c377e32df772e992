// Redrawing pictures at another size (the image category "Scale").  Any thread.
#pragma once

#include <memory>

#include "CoreGraphics/CGGeometry.h"

class UIImage;

// scaleWithSize: - the picture drawn into (0, 0, width, height) of an image context of that
// size, at scale 1 and with its proportions not kept; nullptr for no picture or an empty size.
std::shared_ptr<UIImage> scaleWithSize(const std::shared_ptr<UIImage>& image, CGSize size);
// scaleWithWidth: / scaleWithHeight: - scaleWithSize keeping the proportions, to the width
// (or height) given.  A picture with a side of 0 has no proportions: it is returned as it is.
std::shared_ptr<UIImage> scaleWithWidth(const std::shared_ptr<UIImage>& image, CGFloat width);
std::shared_ptr<UIImage> scaleWithHeight(const std::shared_ptr<UIImage>& image, CGFloat height);
// resizeImageWithNewSize: - the picture itself when one of its sides is 0 or the size is its
// own; otherwise the picture drawn into an image context of the new size (scale 1).
std::shared_ptr<UIImage> resizeImageWithNewSize(const std::shared_ptr<UIImage>& image, CGSize size);

// scaleAndRotateWithWidth:height: - the bitmap turned as its orientation says and stretched to
// (width, height) upright (to (height, width) for the left and right orientations and their
// mirrors); proportions are not kept.  An orientation outside 0 ... 7 raises
// NSInternalInconsistencyException.
std::shared_ptr<UIImage> scaleAndRotateWithWidth(const std::shared_ptr<UIImage>& image,
                                                 CGFloat width, CGFloat height);
// createRoundedRectImage:size: - the picture stretched to the integer size, clipped to a
// rectangle with corners of 10 pixels (premultiplied ARGB, scale 1).
std::shared_ptr<UIImage> createRoundedRectImage(const std::shared_ptr<UIImage>& image, CGSize size);

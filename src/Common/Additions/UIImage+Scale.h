// Redrawing pictures (the image category "Scale").
#pragma once

#include <memory>

#include "CoreGraphics/CGGeometry.h"

class UIImage;

// scaleWithSize: - the picture drawn into (0, 0, width, height) of an image context of that
// size, at scale 1 and with its proportions not kept; nullptr for no picture.
std::shared_ptr<UIImage> scaleWithSize(const std::shared_ptr<UIImage>& image, CGSize size);

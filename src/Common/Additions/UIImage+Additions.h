// The picture operations the whole app uses (the image category "UIImage_Additions"): loading
// bundle pictures by their resolution, fitting into a size, cutting, grey copies, compositing
// and the recompression of pictures before they are stored or shared.
//
// Every operation keeps no state and gives a new picture (or the receiver where said); all are
// safe on any thread (the app recompresses downloaded pictures on the network thread).  Sizes
// are in points of the picture; kilobytes are bytes / 1024, truncated.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "CoreGraphics/CGGeometry.h"
#include "Foundation/Value.h"

class UIImage;

// ---- loading

// Whether the device counts as a retina one for imageWithContentsOfFileName: the app-wide
// state's answer, which start-up installs; until then a screen wider than 320 pixels.
void setRetinaDeviceTest(std::function<bool()> test);
// imageWithContentsOfFileName: - the bundle's "<name>@2x.png" and "<name>.png", the "@2x" one
// tried first on a retina device, the other only when the first gives no picture.
std::shared_ptr<UIImage> imageWithContentsOfFileName(std::string_view name);
// imageWithContentsOfResolutionIndependentFile: - on a screen of scale 2 (system 4 or later),
// "<base>@2x.<ext>" beside the path at scale 2 when it exists; else the path's picture.
std::shared_ptr<UIImage> imageWithContentsOfResolutionIndependentFile(std::string_view path);

// ---- fitting into a size (W x H).  The target is doubled first when the screen's mode is
// exactly 640 x 960 pixels; the result is an image context of that size at scale 1.

// Aspect fit, centred; the uncovered band stays transparent.
std::shared_ptr<UIImage> scaleImagetoSize(const std::shared_ptr<UIImage>& image, CGSize size);
// Aspect fill, centred; the overflow is cut equally on both sides.
std::shared_ptr<UIImage> cutImagetoSize(const std::shared_ptr<UIImage>& image, CGSize size);
// Stretched to the size.
std::shared_ptr<UIImage> stretchImagetoSize(const std::shared_ptr<UIImage>& image, CGSize size);
// Aspect fill from the top-left corner; the overflow at the right or bottom is cut.
std::shared_ptr<UIImage> topLeftImagetoSize(const std::shared_ptr<UIImage>& image, CGSize size);

// ---- cutting and pixels

// getSubImage: - the part of the bitmap inside the rectangle (in pixels), scale 1.
std::shared_ptr<UIImage> getSubImage(const std::shared_ptr<UIImage>& image, CGRect rect);
// getHeadImage - the top-left square (a user's head picture).
std::shared_ptr<UIImage> getHeadImage(const std::shared_ptr<UIImage>& image);
// grayImage - an opaque grey copy whose level is each pixel's green.
std::shared_ptr<UIImage> grayImage(const std::shared_ptr<UIImage>& image);

// ---- compositing

// processImage: - the overlay's bitmap drawn over the picture's, at the picture's size.
std::shared_ptr<UIImage> processImage(const std::shared_ptr<UIImage>& image,
                                      const std::shared_ptr<UIImage>& overlay);
// processRectImage:withRect: - a 300 x 300 picture: the receiver in the rectangle, the overlay
// over the whole.
std::shared_ptr<UIImage> processRectImage(const std::shared_ptr<UIImage>& image,
                                          const std::shared_ptr<UIImage>& overlay, CGRect rect);

// ---- recompression (the receiver is the decoded picture of the file)

// pressHeadImage: - a head picture file of 51 KB or more is rewritten as JPEG (quality 0.9), at
// most 100 points wide; returns the picture to show (the receiver when the file is left alone,
// nullptr when the JPEG cannot be decoded).
std::shared_ptr<UIImage> pressHeadImage(const std::shared_ptr<UIImage>& image,
                                        const std::string& path);
// pressImage:bySize: - the picture of the first JPEG encoding (qualities 0.25, 0.9, 0.5, 0.1,
// 0.01, 0.001) of at most `maxKilobytes`, else of the last one.
std::shared_ptr<UIImage> pressImage(const std::shared_ptr<UIImage>& image, long maxKilobytes);
// pressTextImage: - a downloaded picture file of 201 KB or more (never a GIF) is rewritten as
// JPEG: at most 640 points wide, at the highest quality from 0.9 down to 0.2 that is under
// 200 KB; a picture 640 wide or less once at 0.9.  Returns the picture to show (the receiver
// when the file is left alone).
std::shared_ptr<UIImage> pressTextImage(const std::shared_ptr<UIImage>& image,
                                        const std::string& path);
// imageWrite: - writes element 0 (data) to the path in element 1, atomically.
void imageWrite(const Value& dataAndPath);

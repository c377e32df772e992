// Pictures: a bitmap with a scale (pixels a point) and an orientation, as the platform's
// images.  Loaded from the bundle by name (cached, with the retina pick), from files and data
// (PNG, JPEG, the first frame of a GIF), or made from a CGImage.  Malformed or truncated data
// gives nullptr.  Images are immutable and may be used on any thread.
//
// Stretchable images keep caps that do not stretch: stretchableImageWithLeftCapWidth(L, T) has
// a left cap of L points, a right cap of width - L - 1, a top cap of T and a bottom cap of
// height - T - 1, so only the point after each cap stretches; a cap of 0 stretches that axis
// whole.
//
// Every image remembers the name it was loaded by (a bundle name, a file's name) for view
// dumps and drawing records.
#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "CoreGraphics/CGBitmapContext.h"
#include "CoreGraphics/CGImage.h"
#include "Foundation/NSObject.h"
#include "UIKit/UIGeometry.h"

class NSBundle;

enum class UIImageOrientation {
  Up = 0,
  Down = 1,
  Left = 2,
  Right = 3,
  UpMirrored = 4,
  DownMirrored = 5,
  LeftMirrored = 6,
  RightMirrored = 7
};

class UIImage : public NSObject {
 public:
  UIImage(CGImageRef image, CGFloat scale, UIImageOrientation orientation);

  // The bundle picture of the name: "name.png" (or the name as given when it has an
  // extension), preferring "name@2x.png" on a screen of scale 2 or more (and using it at scale 2
  // when it is the only one); kept in a cache until clearNamedImageCache.  nullptr when there is
  // no such picture.
  static std::shared_ptr<UIImage> imageNamed(std::string_view name);
  // The same from another bundle (nullptr: the main bundle).
  static std::shared_ptr<UIImage> imageNamed(std::string_view name,
                                             const std::shared_ptr<NSBundle>& bundle);
  static void clearNamedImageCache();
  // The file's picture; on a screen of scale 2 or more a "@2x" file beside it is preferred, and
  // a file named with "@2x" has scale 2.  Not cached.
  static std::shared_ptr<UIImage> imageWithContentsOfFile(std::string_view path);
  // Scale 1, orientation from a JPEG's EXIF data.
  static std::shared_ptr<UIImage> imageWithData(const std::string& data, CGFloat scale = 1);
  static std::shared_ptr<UIImage> imageWithCGImage(
      CGImageRef image, CGFloat scale = 1, UIImageOrientation orientation = UIImageOrientation::Up);

  // In points: the pixels ÷ scale, sides swapped for the left and right orientations.
  CGSize size() const;
  CGFloat scale() const { return scale_; }
  UIImageOrientation imageOrientation() const { return orientation_; }
  CGImageRef CGImage() const { return image_; }
  // The picture with its orientation applied (the CGImage itself when up).
  CGImageRef uprightCGImage() const;
  const std::string& name() const { return name_; }

  // ---- stretching
  std::shared_ptr<UIImage> stretchableImageWithLeftCapWidth(long leftCapWidth,
                                                            long topCapHeight) const;
  std::shared_ptr<UIImage> resizableImageWithCapInsets(UIEdgeInsets insets) const;
  long leftCapWidth() const { return leftCap_; }
  long topCapHeight() const { return topCap_; }
  UIEdgeInsets capInsets() const { return capInsets_; }
  bool isStretchable() const { return stretchable_; }
  // The stretched part in unit coordinates ((0, 0, 1, 1) for a plain image).
  CGRect contentsCenter() const;

  // ---- drawing into the current context
  void drawAtPoint(CGPoint point) const;
  void drawAtPoint(CGPoint point, CGBlendMode mode, CGFloat alpha) const;
  // Stretchable images keep their caps.
  void drawInRect(CGRect rect) const;
  void drawInRect(CGRect rect, CGBlendMode mode, CGFloat alpha) const;
  // Tiles the rectangle.
  void drawAsPatternInRect(CGRect rect) const;

  std::string description() const override;

 private:
  void drawInto(const CGContextRef& ctx, CGRect rect) const;
  std::shared_ptr<UIImage> copyWithName(std::string name) const;

  CGImageRef image_;
  CGFloat scale_ = 1;
  UIImageOrientation orientation_ = UIImageOrientation::Up;
  std::string name_;
  bool stretchable_ = false;
  long leftCap_ = 0, topCap_ = 0;
  UIEdgeInsets capInsets_;
  mutable std::mutex mutex_;
  mutable CGImageRef upright_;
};

// The picture encoded as PNG, or as JPEG at a quality of 0 ... 1; nullopt for no picture.
std::optional<std::string> UIImagePNGRepresentation(const std::shared_ptr<UIImage>& image);
std::optional<std::string> UIImageJPEGRepresentation(const std::shared_ptr<UIImage>& image,
                                                     CGFloat quality);

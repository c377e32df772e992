// Draws a picture into the content frame by a content mode, clipped to the context's shape
// around where the picture lands.  The picture: the style's own, else (when it has a URL) the
// URL cache's picture of that URL, read once and kept (no download is started), else the
// delegate's.  The default image is kept for the views; the style does not draw it.  The
// frames and the content flag stay as they were.
//
// Measured, it adds its size when it has one, else the picture's own size for content modes
// that do not scale (above aspect fill).
#pragma once

#include <string>

#include "UIKit/UIImage.h"
#include "UIKit/UIView.h"
#include "uilib/style/ULStyle.h"

class ULImageStyle : public ULStyle {
  NS_CLASS(ULImageStyle, ULStyle)

 public:
  using ULStyle::ULStyle;
  static std::shared_ptr<ULImageStyle> styleWithImageURL(std::string imageURL,
                                                         ULStylePtr next = nullptr);
  static std::shared_ptr<ULImageStyle> styleWithImageURL(std::string imageURL,
                                                         std::shared_ptr<UIImage> defaultImage,
                                                         ULStylePtr next);
  static std::shared_ptr<ULImageStyle> styleWithImageURL(std::string imageURL,
                                                         std::shared_ptr<UIImage> defaultImage,
                                                         UIViewContentMode contentMode, CGSize size,
                                                         ULStylePtr next);
  static std::shared_ptr<ULImageStyle> styleWithImage(std::shared_ptr<UIImage> image,
                                                      ULStylePtr next = nullptr);
  static std::shared_ptr<ULImageStyle> styleWithImage(std::shared_ptr<UIImage> image,
                                                      std::shared_ptr<UIImage> defaultImage,
                                                      ULStylePtr next);
  static std::shared_ptr<ULImageStyle> styleWithImage(std::shared_ptr<UIImage> image,
                                                      std::shared_ptr<UIImage> defaultImage,
                                                      UIViewContentMode contentMode, CGSize size,
                                                      ULStylePtr next);

  const std::string& imageURL() const { return imageURL_; }
  void setImageURL(std::string url) { imageURL_ = std::move(url); }
  // The style's picture, filled from the URL cache on first read.
  const std::shared_ptr<UIImage>& image();
  void setImage(std::shared_ptr<UIImage> image) { image_ = std::move(image); }
  const std::shared_ptr<UIImage>& defaultImage() const { return defaultImage_; }
  void setDefaultImage(std::shared_ptr<UIImage> image) { defaultImage_ = std::move(image); }
  UIViewContentMode contentMode() const { return contentMode_; }
  void setContentMode(UIViewContentMode mode) { contentMode_ = mode; }
  CGSize size() const { return size_; }
  void setSize(CGSize size) { size_ = size; }

  // imageForContext: the picture to draw for the context's view.
  std::shared_ptr<UIImage> imageForContext(ULStyleContext& context);

  void draw(ULStyleContext& context) override;
  CGSize addToSize(CGSize size, ULStyleContext& context) override;

 private:
  std::string imageURL_;
  std::shared_ptr<UIImage> image_, defaultImage_;
  UIViewContentMode contentMode_ = UIViewContentMode::ScaleToFill;
  CGSize size_;
};

// An image view: shows its image (or its highlighted image while highlighted) through its
// layer's contents, placed by the content mode; a stretchable image keeps its caps.  It can
// also play a list of images as a frame animation on the main run loop's clock: the image
// shown t seconds after startAnimating is floor(t / (duration / count)) mod count, for
// repeatCount passes (0: for ever), after which the still image shows again.
//
// Dumps show the name the image was loaded by (image="Default").
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "UIKit/UIImage.h"
#include "UIKit/UIView.h"

class NSTimer;

class UIImageView : public UIView {
  NS_CLASS(UIImageView, UIView)
 public:
  UIImageView() : UIImageView(CGRectZero) {}
  explicit UIImageView(CGRect frame);
  // initWithImage: the frame is the image's size at the origin.
  explicit UIImageView(std::shared_ptr<UIImage> image);
  ~UIImageView() override;

  const std::shared_ptr<UIImage>& image() const { return image_; }
  void setImage(std::shared_ptr<UIImage> image);
  const std::shared_ptr<UIImage>& highlightedImage() const { return highlightedImage_; }
  void setHighlightedImage(std::shared_ptr<UIImage> image);
  bool isHighlighted() const { return highlighted_; }
  void setHighlighted(bool highlighted);
  // The name of the image (empty when none), as dumps show it.
  std::string imageName() const;

  // ---- frame animation
  const std::vector<std::shared_ptr<UIImage>>& animationImages() const { return animationImages_; }
  void setAnimationImages(std::vector<std::shared_ptr<UIImage>> images);
  // 0: one thirtieth of a second a frame.
  double animationDuration() const { return animationDuration_; }
  void setAnimationDuration(double seconds) { animationDuration_ = seconds; }
  long animationRepeatCount() const { return animationRepeatCount_; }
  void setAnimationRepeatCount(long count) { animationRepeatCount_ = count; }
  void startAnimating();
  void stopAnimating();
  bool isAnimating() const { return animating_; }
  // The picture on screen now: the animation's current frame while animating, else the image.
  std::shared_ptr<UIImage> displayedImage() const;

  // The image's size.
  CGSize sizeThatFits(CGSize size) const override;
  // A stretchable image's caps win over the view's stretch.
  void setContentStretch(CGRect r) override;

 protected:
  void describeAttributes(std::string& line) const override;

 private:
  void showImage(const std::shared_ptr<UIImage>& image);
  void tick();

  std::shared_ptr<UIImage> image_;
  std::shared_ptr<UIImage> highlightedImage_;
  bool highlighted_ = false;
  std::vector<std::shared_ptr<UIImage>> animationImages_;
  double animationDuration_ = 0;
  long animationRepeatCount_ = 0;
  bool animating_ = false;
  double animationStart_ = 0;
  size_t frameShown_ = 0;
  std::shared_ptr<NSTimer> timer_;
};

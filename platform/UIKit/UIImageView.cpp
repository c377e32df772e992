#include "UIKit/UIImageView.h"

#include <cmath>

#include "Foundation/Clock.h"
#include "Foundation/NSClass.h"
#include "Foundation/NSRunLoop.h"
#include "Foundation/NSTimer.h"

UIImageView::UIImageView(CGRect frame) : UIView(frame) {
  setUserInteractionEnabled(false);
}

UIImageView::UIImageView(std::shared_ptr<UIImage> image)
    : UIImageView(CGRect{{0, 0}, image ? image->size() : CGSizeZero}) {
  setImage(std::move(image));
}

UIImageView::~UIImageView() {
  if (timer_) timer_->invalidate();
}

std::string UIImageView::imageName() const {
  return image_ ? image_->name() : std::string();
}

void UIImageView::setImage(std::shared_ptr<UIImage> image) {
  image_ = std::move(image);
  if (!animating_) showImage(displayedImage());
}

void UIImageView::setHighlightedImage(std::shared_ptr<UIImage> image) {
  highlightedImage_ = std::move(image);
  if (!animating_) showImage(displayedImage());
}

void UIImageView::setHighlighted(bool highlighted) {
  highlighted_ = highlighted;
  if (!animating_) showImage(displayedImage());
}

void UIImageView::setAnimationImages(std::vector<std::shared_ptr<UIImage>> images) {
  animationImages_ = std::move(images);
  if (animationImages_.empty()) stopAnimating();
}

std::shared_ptr<UIImage> UIImageView::displayedImage() const {
  if (animating_ && frameShown_ < animationImages_.size()) return animationImages_[frameShown_];
  if (highlighted_ && highlightedImage_) return highlightedImage_;
  return image_;
}

void UIImageView::showImage(const std::shared_ptr<UIImage>& image) {
  CALayer& l = *layer();
  if (!image) {
    l.setContents(nullptr);
    l.setContentsCenter(contentStretch());
    return;
  }
  l.setContents(image->uprightCGImage());
  l.setContentsScale(image->scale());
  l.setContentsCenter(image->isStretchable() ? image->contentsCenter() : contentStretch());
}

void UIImageView::setContentStretch(CGRect r) {
  UIView::setContentStretch(r);
  showImage(displayedImage());
}

void UIImageView::startAnimating() {
  if (animationImages_.empty() || animating_) return;
  animating_ = true;
  auto loop = NSRunLoop::mainRunLoop();
  animationStart_ = loop->clock()->now();
  frameShown_ = 0;
  showImage(displayedImage());
  double perFrame =
      animationDuration_ > 0 ? animationDuration_ / double(animationImages_.size()) : 1.0 / 30;
  std::weak_ptr<UIImageView> weak = std::static_pointer_cast<UIImageView>(weak_from_this().lock());
  timer_ = NSTimer::timerWithTimeInterval(perFrame, true, [weak](const std::shared_ptr<NSTimer>&) {
    if (auto self = weak.lock()) self->tick();
  });
  loop->addTimer(timer_, NSRunLoopCommonModes);
}

void UIImageView::tick() {
  if (!animating_ || animationImages_.empty()) return;
  size_t count = animationImages_.size();
  double duration = animationDuration_ > 0 ? animationDuration_ : double(count) / 30;
  double elapsed = NSRunLoop::mainRunLoop()->clock()->now() - animationStart_;
  if (animationRepeatCount_ > 0 && elapsed >= duration * double(animationRepeatCount_) - 1e-9) {
    stopAnimating();
    return;
  }
  // From the clock, not by counting ticks, so that a late pass shows the right frame.
  size_t frame = size_t(std::floor(elapsed / (duration / double(count)) + 1e-9)) % count;
  if (frame != frameShown_) {
    frameShown_ = frame;
    showImage(displayedImage());
  }
}

void UIImageView::stopAnimating() {
  if (timer_) timer_->invalidate();
  timer_.reset();
  if (!animating_) return;
  animating_ = false;
  showImage(displayedImage());
}

CGSize UIImageView::sizeThatFits(CGSize) const {
  return image_ ? image_->size() : CGSizeZero;
}

void UIImageView::describeAttributes(std::string& line) const {
  std::string name = imageName();
  if (!name.empty()) line += " image=" + quoted(name);
  if (animating_) line += " animating";
}

NS_CLASS_IMPLEMENTATION(UIImageView) {}

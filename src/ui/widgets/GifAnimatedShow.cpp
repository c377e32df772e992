#include "ui/widgets/GifAnimatedShow.h"

#include "Common/Additions/UIImage+Scale.h"
#include "Foundation/NSFileManager.h"
#include "Foundation/NSThread.h"
#include "Foundation/NSURL.h"
#include "ImageIO/CGImageSource.h"
#include "UIKit/UIImage.h"
#include "UIKit/UIImageView.h"

namespace {
constexpr double kSecondsPerFrame = 0.2;
}

GifAnimatedShow& GifAnimatedShow::sharedInstance() {
  static GifAnimatedShow* shared = new GifAnimatedShow;
  return *shared;
}

std::shared_ptr<UIImageView> GifAnimatedShow::getAnimationForGifAtName(std::string_view path,
                                                                       CGRect frame) {
  auto url = NSURL::fileURLWithPath(path);
  auto view = std::make_shared<UIImageView>(frame);
  view->setImage(pressImage(UIImage::imageWithContentsOfFile(path), frame));
  GifAnimatedShow& shared = sharedInstance();
  shared.addToQueue({view, url});
  if (!shared.busyDecoding()) {
    shared.setBusyDecoding(true);
    performAfterDelay([] { sharedInstance().asynchronousLoading(); }, 0);
  }
  view->setFrame(frame);
  return view;
}

std::shared_ptr<UIImage> GifAnimatedShow::pressImage(const std::shared_ptr<UIImage>& image,
                                                     CGRect rect) {
  if (!image) return nullptr;
  CGSize s = image->size();
  if (s.width > rect.size.width)
    return scaleWithSize(image, CGSizeMake(rect.size.width, rect.size.width * s.height / s.width));
  return scaleWithSize(image, s);
}

void GifAnimatedShow::addToQueue(GifAnimationQueueObject entry) {
  imageQueue_.push_back(std::move(entry));
}

void GifAnimatedShow::asynchronousLoading() {
  while (!imageQueue_.empty()) {
    GifAnimationQueueObject entry = imageQueue_.front();
    auto data = dataWithContentsOfFile(entry.url->path()).value_or(std::string());
    setImageView(entry.uiv);
    decodeGIF(data, entry.uiv->frame());
    auto animated = getAnimation();
    entry.uiv->setImage(nullptr);
    entry.uiv->setAnimationImages(animated ? animated->animationImages()
                                           : std::vector<std::shared_ptr<UIImage>>{});
    entry.uiv->startAnimating();
    imageQueue_.pop_front();
  }
  imageView_.reset();
  busyDecoding_ = false;
}

void GifAnimatedShow::decodeGIF(const std::string& data, CGRect frame) {
  framesData_.clear();
  auto source = CGImageSource::createWithData(data);
  if (!source) return;
  for (size_t i = 0; i < source->count(); ++i)
    if (auto image = source->createImageAtIndex(i))
      framesData_.push_back(pressImage(UIImage::imageWithCGImage(image), frame));
}

std::shared_ptr<UIImage> GifAnimatedShow::getFrameAsImageAtIndex(size_t index) const {
  return index < framesData_.size() ? framesData_[index] : nullptr;
}

std::shared_ptr<UIImageView> GifAnimatedShow::getAnimation() {
  if (framesData_.empty()) return nullptr;
  if (imageView_)
    imageView_->setImage(framesData_[0]);
  else
    imageView_ = std::make_shared<UIImageView>(framesData_[0]);
  imageView_->setAnimationImages(framesData_);
  imageView_->setAnimationDuration(double(framesData_.size()) * kSecondsPerFrame);
  imageView_->setAnimationRepeatCount(0);
  imageView_->startAnimating();
  return imageView_;
}

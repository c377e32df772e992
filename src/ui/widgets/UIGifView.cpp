#include "ui/widgets/UIGifView.h"

#include "Foundation/NSClass.h"
#include "Foundation/NSTimer.h"
#include "Foundation/NSURL.h"
#include "ImageIO/CGImageSource.h"
#include "ImageIO/ImageIOProperties.h"
#include "QuartzCore/CALayer.h"

namespace {
constexpr double kSecondsPerFrame = 0.05;
}

UIGifView::UIGifView(CGRect frame) : UIView(frame) {}

std::shared_ptr<UIGifView> UIGifView::create(CGRect frame, std::string_view path) {
  auto view = std::make_shared<UIGifView>(frame);
  view->gifProperties_ = Value::dictionaryOf(
      {{std::string(kCGImagePropertyGIFDictionary),
        Value::dictionaryOf({{std::string(kCGImagePropertyGIFLoopCount), Value(0)}})}});
  view->gif_ = CGImageSource::createWithURL(NSURL::fileURLWithPath(path), view->gifProperties_);
  view->count_ = view->gif_ ? view->gif_->count() : 0;
  // The timer holds the view until stopGif.
  view->timer_ = NSTimer::scheduledTimerWithTimeInterval(
      kSecondsPerFrame, true, [view](const std::shared_ptr<NSTimer>&) { view->play(); });
  view->timer_->fire();
  return view;
}

UIGifView::~UIGifView() {
  stopGif();
}

void UIGifView::play() {
  if (count_ == 0 || !gif_) return;
  index_ = (index_ + 1) % count_;
  if (auto image = gif_->createImageAtIndex(index_, gifProperties_)) layer()->setContents(image);
}

void UIGifView::stopGif() {
  if (timer_) timer_->invalidate();
  timer_.reset();
}

NS_CLASS_IMPLEMENTATION(UIGifView) {}

#include "ui/framework/UIAnimaleImageView.h"

#include <algorithm>

#include "Foundation/NSBundle.h"
#include "Foundation/NSClass.h"
#include "Foundation/NSThread.h"
#include "UIKit/UIImage.h"

UIAnimaleImageView::~UIAnimaleImageView() {
  if (animtimer_) animtimer_->invalidate();
}

std::shared_ptr<UIAnimaleImageView> UIAnimaleImageView::init() {
  auto view = std::make_shared<UIAnimaleImageView>(UIImage::imageNamed("Default"));
  view->setUserInteractionEnabled(true);
  auto first = UIImage::imageNamed("animal0");
  CGSize size = first ? first->size() : CGSizeZero;
  view->imageview_ = std::make_shared<UIImageView>(CGRectMake(99, 129, size.width, size.height));
  view->imageview_->setImage(first);
  view->addSubview(view->imageview_);

  std::vector<std::string> names;
  for (int i = 0; i < 5; ++i) names.push_back("animal" + std::to_string(i));
  view->setImageNames(std::move(names));
  view->duration_ = 3.5;
  view->cacheImages_ = true;
  // The splash is its own delegate; its selectors hold it weakly, so it does not hold itself.
  auto weak = view->weakSelf<UIAnimaleImageView>();
  view->startSelector_ = selector(weak, &UIAnimaleImageView::start, "start:");
  view->stopSelector_ = selector(weak, &UIAnimaleImageView::stop, "stop:");
  view->setIndex(0);
  view->startAnimating();
  NSTimer::scheduledTimerWithTimeInterval(
      kSplashSeconds, selector(weak, &UIAnimaleImageView::stopAll, "stopAll:"), {}, false);
  return view;
}

void UIAnimaleImageView::setImageNames(std::vector<std::string> names) {
  imageNames_ = std::move(names);
  if (imageNames_.empty()) {
    index_ = 0;
    (imageview_ ? imageview_.get() : static_cast<UIImageView*>(this))->setImage(nullptr);
    return;
  }
  index_ = std::min(index_, count() - 1);
  setImageAtIndex(index_);
}

void UIAnimaleImageView::setIndex(long i) {
  if (i < 0 || i >= count()) return;
  index_ = i;
  setImageAtIndex(i);
}

void UIAnimaleImageView::setImageAtIndex(long i) {
  if (i < 0 || i >= count()) return;
  imageset_ = true;
  const std::string& name = imageNames_[size_t(i)];
  std::shared_ptr<UIImage> image;
  if (cacheImages_) {
    image = UIImage::imageNamed(name);
  } else {
    std::string path = NSBundle::mainBundle()->pathForResource(name);
    if (!path.empty()) image = UIImage::imageWithContentsOfFile(path);
  }
  (imageview_ ? imageview_.get() : static_cast<UIImageView*>(this))->setImage(std::move(image));
}

void UIAnimaleImageView::precache() {
  cacheImages_ = true;
  for (const auto& name : imageNames_) UIImage::imageNamed(name);
}

void UIAnimaleImageView::startAnimatingWithContext(Value context) {
  if (isAnimating() || imageNames_.empty()) return;
  context_ = std::move(context);
  if (!imageset_) setImageAtIndex(index_);
  animtimer_ = NSTimer::scheduledTimerWithTimeInterval(
      duration_ / double(count()),
      selector(weakSelf<UIAnimaleImageView>(), &UIAnimaleImageView::updateFrame, "updateFrame"), {},
      true);
  if (startSelector_) startSelector_(context_);
}

void UIAnimaleImageView::updateFrame() {
  long next = reverse_ ? index_ - 1 : index_ + 1;
  if (next >= 0 && next < count()) {
    index_ = next;
    if (frameChangeSelector_) frameChangeSelector_(context_);
    setImageAtIndex(index_);
    if (index_ != 0 && index_ != count() - 1) return;
  }
  stopAnimating();
  if (stopSelector_) performSelectorAfterDelay(stopSelector_, context_, kStopDelay);
}

void UIAnimaleImageView::stopAnimating() {
  if (animtimer_) animtimer_->invalidate();
  animtimer_ = nullptr;
}

void UIAnimaleImageView::stopAll(const Value&) {
  startSelector_ = {};
  stopSelector_ = {};
  stopAnimating();
  performSelectorAfterDelay(
      selector(weakSelf<UIAnimaleImageView>(), &UIAnimaleImageView::dissAnimation, "dissAnimation"),
      {}, kVanishDelay);
}

void UIAnimaleImageView::dissAnimation() {
  if (auto over = animaleOver_.lock()) over->overAnimating();
  setTransform(CGAffineTransformMakeScale(1, 1));
  UIView::beginAnimations("rawReadAnimation");
  UIView::setAnimationDuration(kVanishSeconds);
  UIView::setAnimationCurve(UIViewAnimationCurve::EaseInOut);
  UIView::setAnimationDelegate(weakSelf<UIAnimaleImageView>());
  UIView::setAnimationDidStopSelector(selector(
      weakSelf<UIAnimaleImageView>(), &UIAnimaleImageView::RemoveSelfView, "RemoveSelfView"));
  setTransform(CGAffineTransformMakeScale(0.01, 0.01));
  UIView::commitAnimations();
}

void UIAnimaleImageView::RemoveSelfView(const Value&) {
  removeFromSuperview();
}

NS_CLASS_IMPLEMENTATION(UIAnimaleImageView) {}

#include "ui/widgets/UIPhotoView.h"

#include <cstdio>

#include "Common/Additions/UIImage+Additions.h"
#include "Common/Additions/UIImage+Resize.h"
#include "Foundation/NSBundle.h"
#include "Foundation/NSClass.h"
#include "Foundation/NSThread.h"
#include "Foundation/NSTimer.h"
#include "Foundation/NSURL.h"
#include "QuartzCore/CALayer.h"
#include "UIKit/UIActivityIndicatorView.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIImage.h"
#include "UIKit/UIImageView.h"
#include "UIKit/UILabel.h"
#include "UIKit/UIProgressView.h"
#include "UIKit/UIScreen.h"
#include "UIKit/UITouch.h"
#include "core/NSConfig.h"
#include "core/NSObject+UIViewBusy.h"
#include "core/UIFilePath.h"
#include "net/http/HXHTTPRequest.h"
#include "net/http/Reachability.h"
#include "ui/framework/PHProgressHUD.h"
#include "ui/widgets/GifAnimatedShow.h"
#include "ui/widgets/UIGifView.h"

namespace {

constexpr CGFloat kWidth = 320;

CGFloat screenHeight() {
  return UIScreen::mainScreen()->bounds().size.height;
}

bool newSystem() {
  auto config = NSConfig::engine();
  return config && config->systemVersion() >= 5.0f;
}

std::string percentText(float fraction) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f％", double(fraction) * 100);
  return text;
}

std::shared_ptr<UILabel> whiteLabel(CGRect frame, std::string text) {
  auto label = std::make_shared<UILabel>(frame);
  label->setText(std::move(text));
  label->setBackgroundColor(UIColor::clearColor());
  label->setTextColor(UIColor::whiteColor());
  return label;
}

}  // namespace

UIPhotoView::UIPhotoView(CGRect frame) : UIScrollView(frame) {}

UIPhotoView::~UIPhotoView() {
  if (animationTimer_) animationTimer_->invalidate();
  if (request_) request_->clearDelegatesAndCancel();
  if (auto gif = std::dynamic_pointer_cast<UIGifView>(img_)) gif->stopGif();
}

CGRect UIPhotoView::fitFrame(CGSize size, CGFloat screen) {
  CGFloat w = size.width, h = size.height, x;
  if (w > kWidth) {
    h = h * kWidth / w;
    w = kWidth;
    x = 0;
  } else {
    x = (kWidth - w) * 0.5;
  }
  CGFloat y = h < screen - 20 ? (screen - 20 - h) * 0.5 : 0;
  return CGRectMake(x, y, w, h);
}

CGSize UIPhotoView::fitContentSize(CGSize size, CGFloat screen) {
  CGFloat h = fitFrame(size, screen).size.height;
  return h > screen ? CGSizeMake(kWidth, h + 20) : CGSizeMake(kWidth, screen);
}

void UIPhotoView::commonSetUp() {
  setFrame(CGRectMake(0, 0, kWidth, screenHeight() - 20));
  setDelegate(std::dynamic_pointer_cast<UIScrollViewDelegate>(shared_from_this()));
  setScrollEnabled(true);
  setShowsHorizontalScrollIndicator(false);
  setShowsVerticalScrollIndicator(false);
  setMinimumZoomScale(1.0);
  setMaximumZoomScale(2.0);
  setBackgroundColor(UIColor::blackColor());
  setMultipleTouchEnabled(true);
}

std::shared_ptr<UIPhotoView> UIPhotoView::initWithImage(const std::shared_ptr<UIImage>& image) {
  auto view = std::make_shared<UIPhotoView>(CGRectZero);
  view->commonSetUp();
  if (!image) return view;
  auto picture = std::make_shared<UIImageView>(image);
  picture->setFrame(fitFrame(image->size(), screenHeight()));
  picture->setUserInteractionEnabled(true);
  view->setContentSize(fitContentSize(image->size(), screenHeight()));
  view->img_ = picture;
  view->addSubview(picture);
  view->isImageOk_ = true;
  return view;
}

std::shared_ptr<UIPhotoView> UIPhotoView::initWithPath(std::string_view url, int weiboType) {
  auto view = std::make_shared<UIPhotoView>(CGRectZero);
  view->commonSetUp();
  view->weiboType_ = weiboType;
  auto path = UIFilePath::getImageWithPath(url, weiboType);
  if (path) {
    if (auto cached = UIImage::imageWithContentsOfFile(*path)) {
      view->placePicture(cached, *path);
      view->isImageOk_ = true;
      return view;
    }
  }
  view->startAnimal();
  view->setBackgroundColor(UIColor::colorWithPatternImage(retina4ImageNamed("defaultDownImg")));
  if (path && NSURL::URLWithString(url)) {
    view->startDownload(std::string(url), *path);
  } else {
    // No address to fetch: a failed download, told once the caller has set its delegate.
    performSelectorAfterDelay(
        selector(view->weakSelf<UIPhotoView>(), &UIPhotoView::doNothing, "doNothing"), Value(), 0);
  }
  return view;
}

void UIPhotoView::startDownload(const std::string& url, const std::string& cachePath) {
  auto request = HXHTTPRequest::requestWithURL(NSURL::URLWithString(url));
  request_ = request;
  responseStatus_ = 0;
  request->setTimeOutSeconds(kTimeout);
  request->setDelegate(weakSelf<NSObject>());
  request->setDownloadProgressDelegate(weakSelf<NSObject>());
  request->setDidFinishSelector(selector(weakSelf<UIPhotoView>(), &UIPhotoView::finsh, "finsh:"));
  request->setDidFailSelector(
      selector(weakSelf<UIPhotoView>(), &UIPhotoView::requestFailed, "requestFailed:"));
  request->setDidReceiveResponseHeadersSelector(selector(weakSelf<UIPhotoView>(),
                                                         &UIPhotoView::responseHeaders,
                                                         "request:didReceiveResponseHeaders:"));
  // Only a whole picture takes the cache file's place.
  request->setDownloadCheck(
      [](const std::string& file) { return UIImage::imageWithContentsOfFile(file) != nullptr; });
  UIFilePath::makeSureFolderOf(cachePath);
  request->setDownloadDestinationPath(cachePath);
  request->startAsynchronous();
}

void UIPhotoView::responseHeaders(const Value& requestAndHeaders) {
  Value r = requestAndHeaders.isArray() ? requestAndHeaders[0] : requestAndHeaders;
  auto request = r.object<HXHTTPRequest>();
  if (request && request == request_) responseStatus_ = request->responseStatusCode();
}

void UIPhotoView::placePicture(const std::shared_ptr<UIImage>& image, const std::string& path) {
  CGRect own = CGRectMake(0, 0, image->size().width, image->size().height);
  std::shared_ptr<UIView> picture;
  switch (UIFilePath::isBigGifImage(path)) {
    case 1:
      picture = GifAnimatedShow::getAnimationForGifAtName(path, own);
      break;
    case 2:
    case 3:
      picture = UIGifView::create(own, path);
      break;
    default:
      picture = std::make_shared<UIImageView>(image);
      break;
  }
  if (auto old = std::dynamic_pointer_cast<UIGifView>(img_)) old->stopGif();
  if (img_) img_->removeFromSuperview();
  img_ = picture;
  img_->setFrame(fitFrame(image->size(), screenHeight()));
  img_->setUserInteractionEnabled(true);
  setContentSize(fitContentSize(image->size(), screenHeight()));
  addSubview(img_);
}

void UIPhotoView::showPic(const std::shared_ptr<UIImage>& image, const std::string& path) {
  if (!image) {
    doNothing();
    return;
  }
  placePicture(image, path);
  stopAnimal();
  stopActivityIndicatorViewAnimation();
  isImageOk_ = true;
}

// The file is read and recompressed away from the main thread; the view is only touched back
// there, and only while it lives.
void UIPhotoView::finsh(const Value& value) {
  auto request = value.object<HXHTTPRequest>();
  if (request && request != request_) return;
  request_.reset();
  std::string path = request ? request->downloadDestinationPath() : std::string();
  std::weak_ptr<UIPhotoView> weak = weakSelf<UIPhotoView>();
  NSThread::detachNewThread([weak, path] {
    auto image = path.empty() ? nullptr : UIImage::imageWithContentsOfFile(path);
    auto shown = image ? pressTextImage(image, path) : nullptr;
    performOnThread(
        NSThread::mainThread(),
        [weak, shown, path] {
          auto view = weak.lock();
          if (!view) return;
          if (shown)
            view->showPic(shown, path);
          else
            view->doNothing();
        },
        false);
  });
}

void UIPhotoView::doNothing() {
  loadAnimalFail(kFailText);
  tellDownLoadFail();
}

void UIPhotoView::requestFailed(const Value& value) {
  auto request = value.object<HXHTTPRequest>();
  if (request && request != request_) return;
  request_.reset();
  stopActivityIndicatorViewAnimation();
  if (Reachability::isConnectedToNetwork()) {
    if (textL_) textL_->setText(kFailText);
    if (indicatorView_) indicatorView_->stopAnimating();
  } else {
    stopAnimal();
    PHProgressHUD::showPrompt(NSLocalizedString("NetworkError"));
  }
  tellDownLoadFail();
}

void UIPhotoView::tellDownLoadFail() {
  if (auto d = touchDelegate_.lock()) d->downLoadFail();
}

void UIPhotoView::setProgress(float fraction) {
  if (responseStatus_ != 0 && responseStatus_ != 200) return;
  if (!progressView_ || !progress_) return;
  progressView_->setProgress(fraction > 0 ? fraction : 0.005f, newSystem());
  cfprogress_ = mfprogress_;
  progress_->setText(percentText(cfprogress_));
  mfprogress_ = fraction;
  startAnimalProgress();
}

void UIPhotoView::startAnimalProgress() {
  if (animationTimer_) animationTimer_->invalidate();
  std::weak_ptr<UIPhotoView> weak = weakSelf<UIPhotoView>();
  animationTimer_ =
      NSTimer::scheduledTimerWithTimeInterval(kProgressTick, true, [weak](const auto&) {
        if (auto view = weak.lock()) view->drawLabel();
      });
}

void UIPhotoView::drawLabel() {
  cfprogress_ += kProgressStep;
  if (cfprogress_ >= mfprogress_) {
    cfprogress_ = mfprogress_;
    if (animationTimer_) animationTimer_->invalidate();
    animationTimer_.reset();
  }
  if (progress_) progress_->setText(percentText(cfprogress_));
}

void UIPhotoView::startAnimal() {
  if (!indicatorView_) {
    indicatorView_ = std::make_shared<UIActivityIndicatorView>(UIActivityIndicatorViewStyle::Gray);
    CGRect f = indicatorView_->frame();
    indicatorView_->setFrame(CGRectMake(80, 190, f.size.width, f.size.height));
    indicatorView_->setActivityIndicatorViewStyle(UIActivityIndicatorViewStyle::White);
    addSubview(indicatorView_);

    textL_ = whiteLabel(CGRectMake(105, 180, 200, 40), "");
    addSubview(textL_);

    progress_ = whiteLabel(CGRectMake(150, 220, 100, 30), "0.00%");
    addSubview(progress_);
    cfprogress_ = 0;
    mfprogress_ = 0;

    progressView_ = std::make_shared<UIProgressView>(CGRectMake(80, 250, 170, 30));
    progressView_->setProgress(0.005f);
    if (newSystem()) {
      progressView_->setTrackTintColor(UIColor::clearColor());
      progressView_->setProgressTintColor(
          UIColor::colorWithRed(68 / 255.0, 188 / 255.0, 240 / 255.0, 1));
      progressView_->layer()->setBorderColor(UIColor::whiteColor()->CGColor());
      progressView_->layer()->setBorderWidth(2.0);
      progressView_->layer()->setCornerRadius(5.0);
      progressView_->layer()->setMasksToBounds(true);
    }
    addSubview(progressView_);
  }
  indicatorView_->startAnimating();
}

void UIPhotoView::stopAnimal() {
  if (progressView_) progressView_->removeFromSuperview();
  if (progress_) progress_->removeFromSuperview();
  if (textL_) textL_->removeFromSuperview();
  if (indicatorView_) indicatorView_->stopAnimating();
  setBackgroundColor(UIColor::clearColor());
}

void UIPhotoView::loadAnimalFail(const std::string& text) {
  if (textL_) textL_->setText(text);
  if (indicatorView_) indicatorView_->stopAnimating();
  stopActivityIndicatorViewAnimation();
}

void UIPhotoView::stopDownload() {
  if (!request_) return;
  request_->clearDelegatesAndCancel();
  request_.reset();
}

std::shared_ptr<UIView> UIPhotoView::viewForZoomingInScrollView(
    const std::shared_ptr<UIScrollView>&) {
  return img_;
}

void UIPhotoView::scrollViewDidEndZoomingWithViewAtScale(const std::shared_ptr<UIScrollView>&,
                                                         const std::shared_ptr<UIView>& view,
                                                         CGFloat) {
  if (!view) return;
  CGRect f = view->frame();
  CGFloat screen = screenHeight();
  if (f.size.width <= kWidth) f.origin.x = (kWidth - f.size.width) * 0.5;
  if (f.size.height < screen - 20) f.origin.y = (screen - 20 - f.size.height) * 0.5;
  view->setFrame(f);
}

void UIPhotoView::touchesBegan(const UITouchSet& touches, UIEvent* event) {
  UIScrollView::touchesBegan(touches, event);
  isMove_ = false;
}

void UIPhotoView::touchesMoved(const UITouchSet& touches, UIEvent* event) {
  UIScrollView::touchesMoved(touches, event);
  isMove_ = true;
}

void UIPhotoView::touchesEnded(const UITouchSet& touches, UIEvent* event) {
  UIScrollView::touchesEnded(touches, event);
  if (isMove_) return;
  if (auto d = touchDelegate_.lock()) d->touch();
}

NS_CLASS_IMPLEMENTATION(UIPhotoView) {}

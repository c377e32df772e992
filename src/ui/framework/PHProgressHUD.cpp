#include "ui/framework/PHProgressHUD.h"

#include <cmath>
#include <thread>

#include "CoreGraphics/CGGradient.h"
#include "Foundation/Clock.h"
#include "Foundation/NSBundle.h"
#include "Foundation/NSClass.h"
#include "Foundation/NSException.h"
#include "Foundation/NSNotificationCenter.h"
#include "Foundation/NSThread.h"
#include "Foundation/NSTimer.h"
#include "UIKit/NSString+UIKit.h"
#include "UIKit/UIActivityIndicatorView.h"
#include "UIKit/UIApplication.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIDevice.h"
#include "UIKit/UIGraphics.h"
#include "UIKit/UIImage.h"
#include "UIKit/UIImageView.h"
#include "UIKit/UIWindow.h"
#include "core/NSGlobe.h"
#include "core/UIBkImageView.h"
#include "ui/framework/ApplicationWindow.h"
#include "ui/framework/PHRoundProgressView.h"

namespace {

constexpr CGFloat kPadding = 4;
constexpr double kAnimationDuration = 0.3;
constexpr double kPromptSeconds = 1.0;
constexpr double kBarSlideSeconds = 0.85;
constexpr double kBarShowSeconds = 1.5;
constexpr double kNewBarShowSeconds = 3.0;
constexpr CGFloat kBarHeight = 26;
constexpr CGFloat kNewBarHeight = 44;

bool dayTheme() {
  return NSGlobe::getEngine()->getCurThemeSelect() == 1;
}

// The strip image and text colour of the current theme.
void applyBarTheme(UIImageView& strip, UILabel& label) {
  bool day = dayTheme();
  strip.setImage(UIImage::imageNamed(day ? "naviMsgBk" : "naviMsgBk_theme1"));
  label.setTextColor(day ? UIColor::blackColor() : UIBkImageView::getFontColor());
}

void moveToY(const std::shared_ptr<UIView>& view, CGFloat y) {
  CGRect f = view->frame();
  f.origin.y = y;
  view->setFrame(f);
}

void slideToY(const std::shared_ptr<UIView>& view, CGFloat y) {
  UIView::beginAnimations();
  UIView::setAnimationDuration(kBarSlideSeconds);
  UIView::setAnimationTransition(UIViewAnimationTransition::None, view, true);
  moveToY(view, y);
  UIView::commitAnimations();
}

// The strip of a view, or the strip itself.
std::shared_ptr<UIView> barStrip(const std::shared_ptr<UIView>& viewOrStrip) {
  return viewOrStrip ? viewOrStrip->viewWithTag(PHProgressHUD::kBarPromptTag) : nullptr;
}

Selector stripSelector(const std::shared_ptr<UIView>& strip, std::string name,
                       void (*call)(const std::shared_ptr<UIView>&)) {
  std::weak_ptr<UIView> weak = strip;
  return Selector(std::move(name), weak, [weak, call](const Value&) {
    if (auto s = weak.lock()) call(s);
  });
}

}  // namespace

// ---- life

PHProgressHUD::PHProgressHUD(CGRect frame)
    : UIView(frame),
      label_(std::make_shared<UILabel>(CGRectMake(0, 0, frame.size.width, frame.size.height))),
      detailsLabel_(
          std::make_shared<UILabel>(CGRectMake(0, 0, frame.size.width, frame.size.height))),
      labelFont_(UIFont::boldSystemFontOfSize(16)),
      detailsLabelFont_(UIFont::boldSystemFontOfSize(12)) {
  setAutoresizingMask(UIViewAutoresizingFlexibleLeftMargin | UIViewAutoresizingFlexibleRightMargin |
                      UIViewAutoresizingFlexibleTopMargin | UIViewAutoresizingFlexibleBottomMargin);
  setOpaque(false);
  setBackgroundColor(UIColor::clearColor());
  setAlpha(0);
  label_->setNumberOfLines(0);
  updateIndicators();
}

PHProgressHUD::~PHProgressHUD() {
  if (observing_) NSNotificationCenter::defaultCenter()->removeObserver(weak_from_this());
  if (graceTimer_) graceTimer_->invalidate();
  if (minShowTimer_) minShowTimer_->invalidate();
}

std::shared_ptr<PHProgressHUD> PHProgressHUD::initWithView(const std::shared_ptr<UIView>& view) {
  if (!view)
    NSException::raise(PHProgressHUDViewIsNillException,
                       "The view used in the PHProgressHUD initializer is nil.");
  auto hud = std::make_shared<PHProgressHUD>(view->bounds());
  if (std::dynamic_pointer_cast<UIWindow>(view)) hud->setTransformForCurrentOrientation(false);
  hud->observeOrientation();
  return hud;
}

std::shared_ptr<PHProgressHUD> PHProgressHUD::initWithWindow(
    const std::shared_ptr<UIWindow>& window) {
  return initWithView(window);
}

void PHProgressHUD::observeOrientation() {
  std::weak_ptr<PHProgressHUD> weak = weakSelf<PHProgressHUD>();
  NSNotificationCenter::defaultCenter()->addObserver(
      weak,
      [weak](const NSNotificationPtr&) {
        if (auto self = weak.lock()) self->deviceOrientationDidChange();
      },
      UIDeviceOrientationDidChangeNotification);
  observing_ = true;
}

void PHProgressHUD::onMain(std::function<void()> step) {
  if (NSThread::isMainThread()) {
    step();
    return;
  }
  auto keep = weak_from_this().lock();
  performOnMainThread([keep, step = std::move(step)] { step(); }, false);
}

// ---- properties

void PHProgressHUD::setMode(PHProgressHUDMode mode) {
  onMain([this, mode] {
    if (mode_ != PHProgressHUDMode::Indeterminate && mode_ == mode) return;
    mode_ = mode;
    updateIndicators();
    setNeedsLayout();
    setNeedsDisplay();
  });
}

void PHProgressHUD::setLabelText(std::string text) {
  onMain([this, text = std::move(text)] {
    labelText_ = text;
    setNeedsLayout();
    setNeedsDisplay();
  });
}

void PHProgressHUD::setDetailsLabelText(std::string text) {
  onMain([this, text = std::move(text)] {
    detailsLabelText_ = text;
    setNeedsLayout();
    setNeedsDisplay();
  });
}

void PHProgressHUD::setProgress(float progress) {
  onMain([this, progress] {
    progress_ = progress;
    if (mode_ != PHProgressHUDMode::Determinate) return;
    if (auto pie = std::dynamic_pointer_cast<PHRoundProgressView>(indicator_))
      pie->setProgress(progress);
    setNeedsDisplay();
  });
}

void PHProgressHUD::updateIndicators() {
  if (indicator_) indicator_->removeFromSuperview();
  if (mode_ == PHProgressHUDMode::CustomView && customView_) {
    indicator_ = customView_;
  } else if (mode_ == PHProgressHUDMode::Determinate) {
    indicator_ = std::make_shared<PHRoundProgressView>();
  } else {
    auto spinner =
        std::make_shared<UIActivityIndicatorView>(UIActivityIndicatorViewStyle::WhiteLarge);
    spinner->startAnimating();
    indicator_ = spinner;
  }
  addSubview(indicator_);
}

// ---- layout and drawing

void PHProgressHUD::layoutSubviews() {
  CGRect frame = bounds();
  CGFloat W = frame.size.width, H = frame.size.height, M = margin_;
  CGRect ind = indicator_ ? indicator_->bounds() : CGRectZero;
  width_ = float(ind.size.width + 2 * M);
  height_ = float(ind.size.height + 2 * M);
  ind.origin.x = std::floor((W - ind.size.width) / 2) + xOffset_;
  ind.origin.y = std::floor((H - ind.size.height) / 2) + yOffset_;
  if (indicator_) indicator_->setFrame(ind);

  if (labelText_.empty()) return;
  CGSize text = sizeWithFont(labelText_, labelFont_);
  CGFloat lw = text.width <= W - 2 * M ? text.width : W - 4 * M;
  CGFloat th = text.height;
  label_->setFont(labelFont_);
  label_->setAdjustsFontSizeToFitWidth(false);
  label_->setTextAlignment(UITextAlignmentCenter);
  label_->setOpaque(false);
  label_->setBackgroundColor(UIColor::clearColor());
  label_->setTextColor(UIColor::whiteColor());
  label_->setText(labelText_);
  if (width_ < lw + 2 * M) width_ = float(lw + 2 * M);
  height_ += float(th + kPadding);
  ind.origin.y -= std::floor(th / 2 + kPadding / 2);
  if (indicator_) indicator_->setFrame(ind);
  CGRect labelFrame =
      CGRectMake(std::floor((W - lw) / 2) + xOffset_, CGRectGetMaxY(ind) + kPadding, lw, th);
  label_->setFrame(labelFrame);
  if (label_->superview().get() != this) addSubview(label_);

  if (detailsLabelText_.empty()) return;
  CGSize details = sizeWithFont(detailsLabelText_, detailsLabelFont_);
  CGFloat dw = details.width <= W - 2 * M ? details.width : W - 4 * M;
  CGFloat dh = details.height;
  detailsLabel_->setFont(detailsLabelFont_);
  detailsLabel_->setAdjustsFontSizeToFitWidth(false);
  detailsLabel_->setTextAlignment(UITextAlignmentCenter);
  detailsLabel_->setOpaque(false);
  detailsLabel_->setBackgroundColor(UIColor::clearColor());
  detailsLabel_->setTextColor(UIColor::whiteColor());
  detailsLabel_->setText(detailsLabelText_);
  if (width_ < dw + 2 * M) width_ = float(dw + 2 * M);
  height_ += float(dh + kPadding);
  CGFloat up = std::floor(dh / 2 + kPadding / 2);
  ind.origin.y -= up;
  if (indicator_) indicator_->setFrame(ind);
  labelFrame.origin.y -= up;
  label_->setFrame(labelFrame);
  detailsLabel_->setFrame(CGRectMake(std::floor((W - dw) / 2) + xOffset_,
                                     CGRectGetMaxY(labelFrame) + kPadding, dw, dh));
  if (detailsLabel_->superview().get() != this) addSubview(detailsLabel_);
}

void PHProgressHUD::drawRect(CGRect) {
  auto ctx = UIGraphicsGetCurrentContext();
  if (!ctx) return;
  CGRect b = bounds();
  if (dimBackground_) {
    std::vector<CGFloat> components = {0, 0, 0, 0, 0, 0, 0, 0.75};
    auto gradient = CGGradient::createWithColorComponents(CGColorSpace::createDeviceRGB(),
                                                          components, {0, 1}, 2);
    CGPoint centre = CGPointMake(b.size.width / 2, b.size.height / 2);
    CGFloat radius = std::min(b.size.width, b.size.height);
    ctx->drawRadialGradient(gradient, centre, 0, centre, radius, kCGGradientDrawsAfterEndLocation);
  }
  CGRect box = CGRectMake(std::round((b.size.width - width_) / 2) + xOffset_,
                          std::round((b.size.height - height_) / 2) + yOffset_, width_, height_);
  ctx->setGrayFillColor(0, opacity_);
  CGFloat r = 10;
  ctx->beginPath();
  ctx->moveToPoint(CGRectGetMinX(box) + r, CGRectGetMinY(box));
  ctx->addArc(CGRectGetMaxX(box) - r, CGRectGetMinY(box) + r, r, 3 * M_PI / 2, 0, false);
  ctx->addArc(CGRectGetMaxX(box) - r, CGRectGetMaxY(box) - r, r, 0, M_PI / 2, false);
  ctx->addArc(CGRectGetMinX(box) + r, CGRectGetMaxY(box) - r, r, M_PI / 2, M_PI, false);
  ctx->addArc(CGRectGetMinX(box) + r, CGRectGetMinY(box) + r, r, M_PI, 3 * M_PI / 2, false);
  ctx->closePath();
  ctx->fillPath();
}

// ---- showing and hiding

void PHProgressHUD::show(bool animated) {
  useAnimation_ = animated;
  if (graceTime_ > 0) {
    std::weak_ptr<PHProgressHUD> weak = weakSelf<PHProgressHUD>();
    graceTimer_ = NSTimer::scheduledTimerWithTimeInterval(graceTime_, false,
                                                          [weak](const std::shared_ptr<NSTimer>&) {
                                                            if (auto self = weak.lock())
                                                              self->handleGraceTimer();
                                                          });
    return;
  }
  setNeedsDisplay();
  showUsingAnimation(useAnimation_);
}

void PHProgressHUD::handleGraceTimer() {
  graceTimer_ = nullptr;
  if (!taskInProgress_) return;
  setNeedsDisplay();
  showUsingAnimation(useAnimation_);
}

void PHProgressHUD::showUsingAnimation(bool animated) {
  setAlpha(0);
  if (animated && animationType_ == PHProgressHUDAnimation::Zoom)
    setTransform(CGAffineTransformConcat(rotationTransform_, CGAffineTransformMakeScale(1.5, 1.5)));
  showStarted_ = ClockNow();
  if (!animated) {
    setAlpha(1);
    return;
  }
  UIView::beginAnimations();
  UIView::setAnimationDuration(kAnimationDuration);
  setAlpha(1);
  if (animationType_ == PHProgressHUDAnimation::Zoom) setTransform(rotationTransform_);
  UIView::commitAnimations();
}

void PHProgressHUD::hide(bool animated) {
  useAnimation_ = animated;
  if (minShowTime_ > 0 && showStarted_ >= 0) {
    double shown = ClockNow() - showStarted_;
    if (shown < minShowTime_) {
      std::weak_ptr<PHProgressHUD> weak = weakSelf<PHProgressHUD>();
      minShowTimer_ = NSTimer::scheduledTimerWithTimeInterval(
          minShowTime_ - shown, false, [weak](const std::shared_ptr<NSTimer>&) {
            if (auto self = weak.lock()) self->handleMinShowTimer();
          });
      return;
    }
  }
  hideUsingAnimation(useAnimation_);
}

void PHProgressHUD::handleMinShowTimer() {
  minShowTimer_ = nullptr;
  hideUsingAnimation(useAnimation_);
}

void PHProgressHUD::hide(bool animated, double afterDelay) {
  auto self = weakSelf<PHProgressHUD>();
  performSelectorAfterDelay(Selector("hideDelayed:", self,
                                     [self](const Value& animatedFlag) {
                                       if (auto hud = self.lock())
                                         hud->hide(animatedFlag.boolValue());
                                     }),
                            Value(animated), afterDelay);
}

void PHProgressHUD::hideUsingAnimation(bool animated) {
  if (!animated) {
    setAlpha(0);
    done();
    return;
  }
  std::weak_ptr<PHProgressHUD> weak = weakSelf<PHProgressHUD>();
  UIView::animateWithDuration(
      kAnimationDuration,
      [this] {
        if (animationType_ == PHProgressHUDAnimation::Zoom)
          setTransform(
              CGAffineTransformConcat(rotationTransform_, CGAffineTransformMakeScale(0.5, 0.5)));
        setAlpha(0.02);
      },
      [weak](bool) {
        if (auto self = weak.lock()) self->done();
      });
}

void PHProgressHUD::done() {
  auto keep = weakSelf<PHProgressHUD>().lock();
  isFinished_ = true;
  setAlpha(0);
  if (auto delegate = delegate_.lock()) delegate->hudWasHidden(*this);
  if (removeFromSuperViewOnHide_) removeFromSuperview();
}

void PHProgressHUD::showWhileExecuting(Selector method, Value object, bool animated) {
  methodForExecution_ = std::move(method);
  targetForExecution_ = methodForExecution_.target();
  objectForExecution_ = std::move(object);
  taskInProgress_ = true;
  auto self = weakSelf<PHProgressHUD>().lock();
  Selector task = methodForExecution_;
  Value argument = objectForExecution_;
  std::thread([self, task, argument] {
    task(argument);
    performOnMainThread([self] { self->cleanUp(); }, false);
  }).detach();
  show(animated);
}

void PHProgressHUD::cleanUp() {
  taskInProgress_ = false;
  indicator_ = nullptr;
  targetForExecution_ = nullptr;
  objectForExecution_ = Value();
  hide(useAnimation_);
}

// ---- orientation

void PHProgressHUD::deviceOrientationDidChange() {
  if (std::dynamic_pointer_cast<UIWindow>(superview())) setTransformForCurrentOrientation(true);
}

void PHProgressHUD::setTransformForCurrentOrientation(bool animated) {
  if (auto parent = superview()) setBounds(parent->bounds());
  UIInterfaceOrientation o = UIApplication::sharedApplication()->statusBarOrientation();
  CGFloat degrees = 0;
  if (o == UIInterfaceOrientation::LandscapeLeft || o == UIInterfaceOrientation::LandscapeRight) {
    CGRect b = bounds();
    setBounds(CGRectMake(0, 0, b.size.height, b.size.width));
    degrees = o == UIInterfaceOrientation::LandscapeLeft ? -90 : 90;
  } else if (o == UIInterfaceOrientation::PortraitUpsideDown) {
    degrees = 180;
  }
  rotationTransform_ = CGAffineTransformMakeRotation(degrees * M_PI / 180);
  if (animated) UIView::beginAnimations();
  setTransform(rotationTransform_);
  if (animated) UIView::commitAnimations();
}

// ---- the app's prompts

void PHProgressHUD::showPrompt(std::string_view text) {
  auto window = applicationWindow();
  // Without a window there is nowhere to show it (the app always has one).
  if (!window) return;
  if (auto shown = window->viewWithTag(kPromptTag)) {
    std::string next(text);
    // The box is kept until the retry runs.
    performSelectorAfterDelay(Selector("showNextPrompt:", std::weak_ptr<UIView>(shown),
                                       [shown](const Value& v) { showNextPrompt(v.string()); }),
                              Value(next), kPromptSeconds);
    return;
  }
  auto hud = initWithView(window);
  window->addSubview(hud);
  hud->setTag(kPromptTag);
  hud->setCustomView(std::make_shared<UIImageView>(CGRectZero));
  hud->setMode(PHProgressHUDMode::CustomView);
  hud->setRemoveFromSuperViewOnHide(true);
  hud->setLabelText(std::string(text));
  hud->show(true);
  hud->hide(true, kPromptSeconds);
}

void PHProgressHUD::showNextPrompt(std::string_view text) {
  showPrompt(text);
}

void PHProgressHUD::initBarPrompt(const std::shared_ptr<UIView>& view) {
  if (!view || view->viewWithTag(kBarPromptTag)) return;
  auto strip = std::make_shared<UIImageView>(CGRectMake(0, -kBarHeight, 320, kBarHeight));
  strip->setTag(kBarPromptTag);
  view->addSubview(strip);
  auto label = std::make_shared<UILabel>(CGRectMake(0, 0, 320, kBarHeight));
  label->setBackgroundColor(UIColor::clearColor());
  label->setTag(kBarPromptLabelTag);
  label->setTextAlignment(UITextAlignmentCenter);
  strip->addSubview(label);
  applyBarTheme(*strip, *label);
}

void PHProgressHUD::showBarPrompt(std::string_view text, const std::shared_ptr<UIView>& view) {
  if (!view) return;
  auto strip = barStrip(view);
  if (!strip) {
    initBarPrompt(view);
    strip = barStrip(view);
  }
  if (auto parent = strip->superview()) parent->bringSubviewToFront(strip);
  if (auto label = std::dynamic_pointer_cast<UILabel>(strip->viewWithTag(kBarPromptLabelTag)))
    label->setText(std::string(text));
  slideToY(strip, 0);
  performSelectorAfterDelay(
      stripSelector(strip, "hideBar:", [](const std::shared_ptr<UIView>& s) { hideBar(s); }),
      Value(std::static_pointer_cast<NSObject>(strip)), kBarShowSeconds);
}

void PHProgressHUD::hideBar(const std::shared_ptr<UIView>& viewOrStrip) {
  if (auto strip = barStrip(viewOrStrip)) slideToY(strip, -kBarHeight);
}

void PHProgressHUD::hideBar(const std::shared_ptr<UIView>& viewOrStrip, bool animated) {
  if (animated) {
    hideBar(viewOrStrip);
    return;
  }
  auto strip = barStrip(viewOrStrip);
  if (!strip) return;
  cancelPreviousPerformRequestsWithTarget(
      strip, "hideBar:", Value(std::static_pointer_cast<NSObject>(strip)));
  moveToY(strip, -kBarHeight);
}

void PHProgressHUD::changeTheme() {
  auto window = applicationWindow();
  if (!window) return;
  if (auto strip = window->viewWithTag(kBarPromptTag)) strip->removeFromSuperview();
  initBarPrompt(window);
}

void PHProgressHUD::showNewBarPrompt(std::string_view text, const std::shared_ptr<UIView>& view) {
  if (!view) return;
  auto strip = std::make_shared<UIImageView>(CGRectMake(0, -kNewBarHeight, 320, kNewBarHeight));
  strip->setTag(kNewBarPromptTag);
  view->addSubview(strip);
  auto label = std::make_shared<UILabel>(CGRectMake(0, 0, 320, kNewBarHeight));
  label->setNumberOfLines(0);
  label->setFont(UIFont::systemFontOfSize(14));
  label->setBackgroundColor(UIColor::clearColor());
  label->setTextAlignment(UITextAlignmentCenter);
  label->setText(std::string(text));
  strip->addSubview(label);
  applyBarTheme(*strip, *label);
  view->bringSubviewToFront(strip);
  slideToY(strip, 0);
  performSelectorAfterDelay(
      stripSelector(strip, "hideNewBar:", [](const std::shared_ptr<UIView>& s) { hideNewBar(s); }),
      {}, kNewBarShowSeconds);
}

void PHProgressHUD::hideNewBar(const std::shared_ptr<UIView>& strip) {
  if (!strip) return;
  slideToY(strip, -kNewBarHeight);
  performSelectorAfterDelay(
      stripSelector(strip,
                    "stopHideNewBar:", [](const std::shared_ptr<UIView>& s) { stopHideNewBar(s); }),
      {}, 1.0);
}

void PHProgressHUD::stopHideNewBar(const std::shared_ptr<UIView>& strip) {
  if (strip) strip->removeFromSuperview();
}

void PHProgressHUD::showHUDAddedToText(const std::shared_ptr<UIView>& view, std::string_view text) {
  auto hud = initWithView(view);
  view->addSubview(hud);
  hud->setCustomView(std::make_shared<UIImageView>(CGRectZero));
  hud->setMode(PHProgressHUDMode::CustomView);
  hud->setLabelText(text.empty() ? NSLocalizedString("SendOk") : std::string(text));
  hud->show(true);
  hud->hide(true, 1.0);
}

std::shared_ptr<PHProgressHUD> PHProgressHUD::showHUDAddedTo(const std::shared_ptr<UIView>& view,
                                                             bool animated) {
  auto hud = initWithView(view);
  view->addSubview(hud);
  hud->show(animated);
  return hud;
}

bool PHProgressHUD::hideHUDForView(const std::shared_ptr<UIView>& view, bool animated) {
  if (!view) return false;
  const auto& subviews = view->subviews();
  for (auto it = subviews.rbegin(); it != subviews.rend(); ++it) {
    if (auto hud = std::dynamic_pointer_cast<PHProgressHUD>(*it)) {
      hud->setRemoveFromSuperViewOnHide(true);
      hud->hide(animated);
      return true;
    }
  }
  return false;
}

NS_CLASS_IMPLEMENTATION(PHProgressHUD) {}

#include "ui/framework/CHStatusBar.h"

#include "Foundation/NSClass.h"
#include "Foundation/NSThread.h"
#include "Foundation/NSTimer.h"
#include "UIKit/UIActivityIndicatorView.h"
#include "UIKit/UIApplication.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIFont.h"
#include "UIKit/UIImage.h"
#include "UIKit/UIImageView.h"
#include "UIKit/UILabel.h"

NS_CLASS_IMPLEMENTATION(CHStatusBar) {}

std::shared_ptr<CHStatusBar> CHStatusBar::create() {
  return std::make_shared<CHStatusBar>();
}

CHStatusBar::CHStatusBar() : UIWindow(UIApplication::sharedApplication()->statusBarFrame()) {
  setWindowLevel(UIWindowLevelStatusBar + 1);
  const CGRect frame = this->frame();
  const CGFloat h = frame.size.height;

  auto background = std::make_shared<UIImageView>(frame);
  if (auto image = UIImage::imageNamed("statusbar_background.png"))
    background->setImage(image->stretchableImageWithLeftCapWidth(2, 0));
  addSubview(background);

  indicator_ = std::make_shared<UIActivityIndicatorView>(UIActivityIndicatorViewStyle::Gray);
  indicator_->setFrame(CGRectMake(2, 3, h - 10, h - 10));
  indicator_->setHidesWhenStopped(true);
  addSubview(indicator_);

  lblStatus_ = std::make_shared<UILabel>(CGRectMake(h, 0, 300, h));
  lblStatus_->setTextAlignment(UITextAlignmentCenter);
  lblStatus_->setBackgroundColor(UIColor::clearColor());
  lblStatus_->setTextColor(UIColor::blackColor());
  lblStatus_->setFont(UIFont::systemFontOfSize(15));
  addSubview(lblStatus_);

  auto line = UIImage::imageNamed("networkload");
  netload_ = std::make_shared<UIImageView>(line);
  CGSize lineSize = line ? line->size() : CGSizeMake(0, 0);
  netload_->setFrame(CGRectMake(0, h - 2, lineSize.width, lineSize.height));
  addSubview(netload_);

  loadOk_ = std::make_shared<UIImageView>(UIImage::imageNamed("okicon"));
  loadOk_->setFrame(CGRectMake(0, 0, h, h));
  loadOk_->setHidden(true);
  addSubview(loadOk_);
}

CHStatusBar::~CHStatusBar() {
  if (timer_) timer_->invalidate();
}

void CHStatusBar::showWithStatusMessage(std::optional<std::string> text) {
  loadOk_->setHidden(true);
  if (!text) return;
  lblStatus_->setText(*text);
  indicator_->startAnimating();
  setHidden(false);
  startAnimalByTime();
}

void CHStatusBar::showWithStatusOk(std::optional<std::string> text) {
  showWithStatusMessage(text);
  loadOk_->setHidden(false);
  indicator_->stopAnimating();
}

void CHStatusBar::showStatusOkOneTime(std::optional<std::string> text) {
  showWithStatusOk(std::move(text));
  std::weak_ptr<CHStatusBar> weak = weakSelf<CHStatusBar>();
  performAfterDelay(
      [weak] {
        if (auto bar = weak.lock()) bar->hide();
      },
      1.0);
}

void CHStatusBar::hide() {
  if (timer_) timer_->invalidate();
  timer_.reset();
  indicator_->stopAnimating();
  std::weak_ptr<CHStatusBar> weak = weakSelf<CHStatusBar>();
  performAfterDelay(
      [weak] {
        if (auto bar = weak.lock()) bar->waitHide();
      },
      0.5);
}

void CHStatusBar::waitHide() {
  setHidden(true);
}

void CHStatusBar::startAnimalByTime() {
  if (timer_) return;
  std::weak_ptr<CHStatusBar> weak = weakSelf<CHStatusBar>();
  timer_ =
      NSTimer::scheduledTimerWithTimeInterval(1.0, true, [weak](const std::shared_ptr<NSTimer>&) {
        if (auto bar = weak.lock()) bar->startAnimal();
      });
}

void CHStatusBar::startAnimal() {
  if (isHidden()) {
    if (timer_) timer_->invalidate();
    timer_.reset();
    return;
  }
  const CGRect frame = this->frame();
  const CGFloat h = frame.size.height;
  CGRect line = netload_->frame();
  line.origin = CGPointMake(0, h - 2);
  netload_->setFrame(line);
  UIView::beginAnimations("rawReadAnimation");
  UIView::setAnimationCurve(UIViewAnimationCurve::EaseInOut);
  UIView::setAnimationDuration(1.0);
  line.origin = CGPointMake(frame.size.width, h - 2);
  netload_->setFrame(line);
  UIView::commitAnimations();
}

void CHStatusBar::stopAnimal() {
  if (!isHidden()) startAnimal();
}

std::string CHStatusBar::text() const {
  return lblStatus_->text();
}

bool CHStatusBar::isSpinning() const {
  return indicator_->isAnimating();
}

bool CHStatusBar::isOkShown() const {
  return !loadOk_->isHidden();
}

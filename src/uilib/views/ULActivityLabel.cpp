#include "uilib/views/ULActivityLabel.h"

#include <algorithm>
#include <cmath>

#include "Foundation/NSClass.h"
#include "UIKit/NSString+UIKit.h"
#include "UIKit/UIApplication.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIOrientation.h"
#include "UIKit/UIScreen.h"
#include "uilib/style/UIFont+ULCategory.h"
#include "uilib/style/ULStyleSheet.h"

namespace {

// The looks by style:
// style  background      bezel          spinner           font                 colour     shadow
// 0      clear           -              white             activityLabelFont    white      -
// 1      clear           -              grey              activityLabelFont    activity   -
// 2      black 0.8       -              large white 24    activityLabelFont    white      yes
// 3      clear           blackBezel     large white 24    activityLabelFont    white      yes
// 4      clear           blackBanner    white             activityBannerFont   white      yes
// 5      clear           whiteBezel     grey              activityLabelFont    activity   -
// 6      white           -              grey              activityLabelFont    activity   -
// (activity: the sheet's tableActivityTextColor; shadow: black 0.3 at (1, 1)).
bool isBezelBox(long style) {
  return style == 3 || style == 5;
}

}  // namespace

ULActivityLabel::ULActivityLabel(CGRect frame, long style, std::string text)
    : UIView(frame), style_(style) {
  auto sheet = ULStyleSheet::globalStyleSheet();
  bezelView_ = std::make_shared<ULView>();
  bezelView_->setBackgroundColor(UIColor::clearColor());
  if (style == 3) bezelView_->setStyle(sheet->styleWithSelector("blackBezel"));
  if (style == 4) bezelView_->setStyle(sheet->styleWithSelector("blackBanner"));
  if (style == 5) bezelView_->setStyle(sheet->styleWithSelector("whiteBezel"));
  addSubview(bezelView_);

  const bool large = style == 2 || style == 3;
  const bool grey = style == 1 || style == 5 || style == 6;
  activityIndicator_ =
      std::make_shared<UIActivityIndicatorView>(large  ? UIActivityIndicatorViewStyle::WhiteLarge
                                                : grey ? UIActivityIndicatorViewStyle::Gray
                                                       : UIActivityIndicatorViewStyle::White);
  if (large) activityIndicator_->setFrame(CGRectMake(0, 0, 24, 24));
  activityIndicator_->startAnimating();
  bezelView_->addSubview(activityIndicator_);

  label_ = std::make_shared<UILabel>();
  label_->setBackgroundColor(UIColor::clearColor());
  label_->setLineBreakMode(UILineBreakModeTailTruncation);
  if (style >= 0 && style <= 6) {
    label_->setFont(sheet->performSelector(style == 4 ? "activityBannerFont" : "activityLabelFont")
                        .object<UIFont>());
    label_->setTextColor(grey ? sheet->performSelector("tableActivityTextColor").object<UIColor>()
                              : UIColor::whiteColor());
    if (style >= 2 && style <= 4) {
      label_->setShadowColor(UIColor::colorWithWhite(0, 0.3));
      label_->setShadowOffset(CGSizeMake(1, 1));
    }
  }
  label_->setText(std::move(text));
  bezelView_->addSubview(label_);

  if (style == 2)
    setBackgroundColor(UIColor::colorWithWhite(0, 0.8));
  else if (style == 6)
    setBackgroundColor(UIColor::whiteColor());
  else
    setBackgroundColor(UIColor::clearColor());
  setAutoresizingMask(UIViewAutoresizingFlexibleWidth | UIViewAutoresizingFlexibleHeight);
}

ULActivityLabel::~ULActivityLabel() {
  if (smoothTimer_) smoothTimer_->invalidate();
}

void ULActivityLabel::setText(std::string text) {
  label_->setText(std::move(text));
  setNeedsLayout();
}

void ULActivityLabel::setFont(std::shared_ptr<UIFont> font) {
  label_->setFont(std::move(font));
  setNeedsLayout();
}

void ULActivityLabel::setIsAnimating(bool animating) {
  if (animating)
    activityIndicator_->startAnimating();
  else
    activityIndicator_->stopAnimating();
}

void ULActivityLabel::setProgress(float progress) {
  progress_ = progress;
  if (!progressView_) {
    progressView_ = std::make_shared<UIProgressView>(UIProgressViewStyle::Default);
    progressView_->setProgress(0);
    bezelView_->addSubview(progressView_);
    setNeedsLayout();
  }
  if (smoothesProgress_) {
    if (!smoothTimer_) {
      // The timer keeps the label alive until it stops.
      auto self = std::static_pointer_cast<ULActivityLabel>(shared_from_this());
      smoothTimer_ = NSTimer::scheduledTimerWithTimeInterval(
          0.01, true, [self](const std::shared_ptr<NSTimer>&) { self->smoothTimer(); });
    }
  } else {
    progressView_->setProgress(progress);
  }
}

void ULActivityLabel::smoothTimer() {
  if (progressView_ && progressView_->progress() < progress_) {
    // Capped at the target: sums of hundredths drift and would overshoot it by a step.
    progressView_->setProgress(std::min(progressView_->progress() + 0.01f, progress_));
  } else if (smoothTimer_) {
    auto timer = std::move(smoothTimer_);
    smoothTimer_ = nullptr;
    timer->invalidate();
  }
}

CGSize ULActivityLabel::sizeThatFits(CGSize size) const {
  CGFloat height =
      (isBezelBox(style_) ? 30 : 16) + (label_->font() ? ulLineHeight(*label_->font()) : 0);
  if (progressView_) height += progressView_->sizeThatFits(CGSizeZero).height + 6;
  return CGSizeMake(size.width, height);
}

void ULActivityLabel::layoutSubviews() {
  UIView::layoutSubviews();
  const CGFloat W = bounds().size.width, H = bounds().size.height;
  const CGSize textSize = sizeWithFont(label_->text(), label_->font());
  activityIndicator_->sizeToFit();
  const CGFloat s = activityIndicator_->isAnimating()
                        ? std::min(activityIndicator_->frame().size.height, textSize.height)
                        : 0;
  const CGFloat g = s + 6;
  CGFloat cw = g + textSize.width;
  CGFloat ch = std::max(s, textSize.height);
  CGSize barSize = CGSizeZero;
  if (progressView_) {
    barSize = progressView_->sizeThatFits(CGSizeZero);
    ch += barSize.height + 6;
  }

  const bool box = isBezelBox(style_);
  const CGFloat inset = box ? 15 : 8, margin = box ? 20 : 0;
  CGSize bezel = box ? CGSizeMake(cw + 30, ch + 30) : CGSizeMake(W, H);

  const CGRect screen = UIScreen::mainScreen()->bounds();
  const auto orientation = UIApplication::sharedApplication()->statusBarOrientation();
  const bool landscape = orientation == UIInterfaceOrientation::LandscapeLeft ||
                         orientation == UIInterfaceOrientation::LandscapeRight;
  const CGFloat screenWidth = landscape ? screen.size.height : screen.size.width;
  if (bezel.width > screenWidth - margin) {
    bezel.width = screenWidth - margin;
    cw = bezel.width - g;
  }
  bezelView_->setFrame(CGRectMake(std::floor(W / 2 - bezel.width / 2),
                                  std::floor(H / 2 - bezel.height / 2), bezel.width, bezel.height));

  CGFloat y = inset + std::floor((bezel.height - 2 * inset) / 2 - ch / 2);
  const CGFloat labelWidth = std::min(textSize.width, bezel.width - g - 2 * inset);
  if (progressView_) {
    if (style_ == 4) y += 4;
    progressView_->setFrame(CGRectMake(6, y, bezel.width - 12, barSize.height));
    y += barSize.height + 5;
  }
  const CGFloat labelX = std::floor(bezel.width / 2 - cw / 2 + s + 6);
  label_->setFrame(CGRectMake(labelX, y, labelWidth, textSize.height));
  activityIndicator_->setFrame(CGRectMake(labelX - g, y, s, s));
}

NS_CLASS_IMPLEMENTATION(ULActivityLabel) {
  c.property("text", &ULActivityLabel::text, &ULActivityLabel::setText);
}

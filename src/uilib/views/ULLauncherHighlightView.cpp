#include "uilib/views/ULLauncherHighlightView.h"

#include <algorithm>
#include <cmath>

#include "CoreGraphics/CGColorSpace.h"
#include "CoreGraphics/CGContext.h"
#include "CoreGraphics/CGGradient.h"
#include "Foundation/NSClass.h"
#include "UIKit/UIApplication.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIControl.h"
#include "UIKit/UIFont.h"
#include "UIKit/UIGraphics.h"
#include "UIKit/UITouch.h"
#include "uilib/views/ULLauncherView.h"

namespace {
constexpr CGFloat kTextMargin = 20;
constexpr CGFloat kVeilAlpha = 0.7;
constexpr CGFloat kInnerAlpha = 0.43;
constexpr CGFloat kGlowWidth = 120;
}  // namespace

ULLauncherHighlightView::ULLauncherHighlightView(CGRect frame) : UIView(frame) {
  setOpaque(false);
  textLabel_ = std::make_shared<UILabel>(CGRectZero);
  textLabel_->setLineBreakMode(UILineBreakModeWordWrap);
  textLabel_->setNumberOfLines(0);
  textLabel_->setBackgroundColor(UIColor::clearColor());
  textLabel_->setTextAlignment(UITextAlignmentCenter);
  textLabel_->setTextColor(UIColor::whiteColor());
  textLabel_->setFont(UIFont::boldSystemFontOfSize(17));
  textLabel_->setShadowColor(UIColor::blackColor());
  textLabel_->setShadowOffset(CGSizeMake(1, 1));
  addSubview(textLabel_);

  statusBarCover_ =
      std::make_shared<UIWindow>(UIApplication::sharedApplication()->statusBarFrame());
  statusBarCover_->setBackgroundColor(UIColor::colorWithWhite(0, kVeilAlpha));
  statusBarCover_->setWindowLevel(UIWindowLevelStatusBar);
  statusBarCover_->setHidden(false);
  setAlpha(0);
}

ULLauncherHighlightView::~ULLauncherHighlightView() {
  statusBarCover_->setHidden(true);
}

void ULLauncherHighlightView::setAlpha(CGFloat alpha) {
  UIView::setAlpha(alpha);
  statusBarCover_->setAlpha(alpha);
}

void ULLauncherHighlightView::setText(std::string text) {
  textLabel_->setText(std::move(text));
  layoutLabel();
}

void ULLauncherHighlightView::setHighlightRect(CGRect rect) {
  highlightRect_ = rect;
  layoutLabel();
}

void ULLauncherHighlightView::layoutLabel() {
  auto parent = superview();
  if (!parent) return;
  CGSize area = parent->bounds().size;
  CGFloat width = area.width - 2 * kTextMargin;
  CGFloat height =
      std::min(textLabel_->sizeThatFits(CGSizeMake(width, area.height)).height, area.height);
  CGFloat y = CGRectGetMidY(highlightRect_) < area.height / 2
                  ? CGRectGetMaxY(highlightRect_) + kTextMargin
                  : CGRectGetMinY(highlightRect_) - kTextMargin - height;
  textLabel_->setFrame(CGRectMake(kTextMargin, y, width, height));
}

void ULLauncherHighlightView::appear(bool animated) {
  auto parent = superview();
  if (!parent) return;
  CGRect bounds = parent->bounds();
  CGPoint centre = CGPointMake(CGRectGetMidX(highlightRect_), CGRectGetMidY(highlightRect_));
  // Starts zoomed out around the hole, so that the veil closes in on it.
  setFrame(CGRectMake(-1.5 * centre.x, -1.5 * centre.y, bounds.size.width * 2.5,
                      bounds.size.height * 2.5));
  setAlpha(0);
  textLabel_->setAlpha(0);
  auto show = [this, bounds] {
    setAlpha(1);
    setFrame(bounds);
    statusBarCover_->setAlpha(1);
  };
  if (!animated) {
    show();
    textLabel_->setAlpha(1);
    return;
  }
  std::weak_ptr<UILabel> label = textLabel_;
  UIView::animateWithDuration(0.3, 0, UIViewAnimationOptionCurveEaseOut, show, [label](bool) {
    UIView::animateWithDuration(0.2, [label] {
      if (auto l = label.lock()) l->setAlpha(1);
    });
  });
}

void ULLauncherHighlightView::drawRect(CGRect rect) {
  auto ctx = UIGraphicsGetCurrentContext();
  if (!ctx) return;
  ctx->saveGState();
  ctx->setBlendMode(CGBlendMode::Overlay);
  ctx->setRGBFillColor(0, 0, 0, kVeilAlpha);
  ctx->fillRect(rect);
  ctx->setBlendMode(CGBlendMode::Copy);
  CGPoint centre = CGPointMake(std::floor(CGRectGetMidX(highlightRect_)),
                               std::floor(CGRectGetMidY(highlightRect_)));
  CGFloat radius = std::min(highlightRect_.size.width, highlightRect_.size.height) / 2;
  auto gradient = CGGradient::createWithColorComponents(
      CGColorSpace::createDeviceRGB(), {0, 0, 0, kInnerAlpha, 0, 0, 0, kVeilAlpha}, {0, 1}, 2);
  ctx->drawRadialGradient(gradient, centre, radius, centre, radius + kGlowWidth,
                          kCGGradientDrawsAfterEndLocation);
  ctx->setRGBFillColor(0, 0, 0, 0);
  ctx->fillEllipseInRect(highlightRect_);
  ctx->restoreGState();
}

void ULLauncherHighlightView::touchesEnded(const UITouchSet& touches, UIEvent* event) {
  auto touch = touches.anyObject();
  auto parent = superview();
  if (touch && parent) {
    CGPoint point = touch->locationInView(parent.get());
    // The button is found in the launcher, which lies under the spotlight.
    if (CGRectContainsPoint(highlightRect_, point) && parentView_) {
      CGPoint local = parent->convertPointToView(point, parentView_.get());
      for (auto view = parentView_->hitTest(local, nullptr); view; view = view->superview()) {
        if (auto button = std::dynamic_pointer_cast<ULLauncherButton>(view)) {
          button->sendActionsForControlEvents(UIControlEventTouchUpInside);
          break;
        }
      }
    }
  }
  if (auto launcher = parentView_) launcher->endHighlightItem(nullptr);
}

NS_CLASS_IMPLEMENTATION(ULLauncherHighlightView) {}

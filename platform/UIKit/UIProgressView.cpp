#include "UIKit/UIProgressView.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "Foundation/NSClass.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIDrawingHelpers.h"
#include "UIKit/UIGraphics.h"

namespace {

CGFloat heightOf(UIProgressViewStyle style) {
  return style == UIProgressViewStyle::Bar ? 11 : 9;
}

}  // namespace

UIProgressView::UIProgressView(UIProgressViewStyle style)
    : UIView(CGRectMake(0, 0, 150, heightOf(style))), style_(style) {
  setBackgroundColor(UIColor::clearColor());
}

UIProgressView::UIProgressView(CGRect frame)
    : UIView(CGRectMake(frame.origin.x, frame.origin.y, frame.size.width,
                        heightOf(UIProgressViewStyle::Default))),
      style_(UIProgressViewStyle::Default) {
  setBackgroundColor(UIColor::clearColor());
}

void UIProgressView::setProgressViewStyle(UIProgressViewStyle style) {
  style_ = style;
  CGRect f = frame();
  f.size.height = heightOf(style);
  setFrame(f);
  setNeedsDisplay();
}

void UIProgressView::setProgress(float progress, bool) {
  progress_ = std::isnan(progress) ? 0 : std::clamp(progress, 0.0f, 1.0f);
  setNeedsDisplay();
}

void UIProgressView::setProgressTintColor(std::shared_ptr<UIColor> color) {
  progressTint_ = std::move(color);
  setNeedsDisplay();
}

void UIProgressView::setTrackTintColor(std::shared_ptr<UIColor> color) {
  trackTint_ = std::move(color);
  setNeedsDisplay();
}

CGSize UIProgressView::sizeThatFits(CGSize size) const {
  return {size.width, heightOf(style_)};
}

void UIProgressView::drawRect(CGRect) {
  auto ctx = UIGraphicsGetCurrentContext();
  CGRect b = CGRectInset(bounds(), 0.5, 0.5);
  CGFloat radius = b.size.height / 2;
  ctx->beginPath();
  addRoundedRect(ctx, b, radius);
  if (trackTint_) {
    ctx->setFillColorWithColor(trackTint_->CGColor());
  } else {
    ctx->setGrayFillColor(style_ == UIProgressViewStyle::Bar ? 0.75 : 0.95, 1);
  }
  ctx->setGrayStrokeColor(0.55, 1);
  ctx->drawPath(CGPathDrawingMode::FillStroke);
  if (progress_ <= 0) return;
  ctx->beginPath();
  addRoundedRect(ctx, CGRectMake(b.origin.x, b.origin.y, b.size.width * progress_, b.size.height),
                 radius);
  auto tint = progressTint_ ? progressTint_ : UIColor::colorWithRed(0.16, 0.45, 0.9, 1);
  ctx->setFillColorWithColor(tint->CGColor());
  ctx->fillPath();
}

void UIProgressView::describeAttributes(std::string& line) const {
  char buf[32];
  std::snprintf(buf, sizeof buf, " progress=%g", double(progress_));
  line += buf;
}

NS_CLASS_IMPLEMENTATION(UIProgressView) {}

#include "UIKit/UISlider.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "Foundation/NSClass.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIDrawingHelpers.h"
#include "UIKit/UIGraphics.h"
#include "UIKit/UITouch.h"

UISlider::UISlider(CGRect frame)
    : UIControl(CGRectMake(frame.origin.x, frame.origin.y, frame.size.width, kThumbSize)) {
  setBackgroundColor(UIColor::clearColor());
}

void UISlider::setValue(float value, bool) {
  value_ = std::clamp(value, minimum_, std::max(minimum_, maximum_));
  setNeedsDisplay();
}

void UISlider::setMinimumValue(float v) {
  minimum_ = v;
  setValue(value_);
}

void UISlider::setMaximumValue(float v) {
  maximum_ = v;
  setValue(value_);
}

void UISlider::setMinimumTrackTintColor(std::shared_ptr<UIColor> color) {
  minimumTint_ = std::move(color);
  setNeedsDisplay();
}

CGRect UISlider::thumbRect() const {
  CGRect b = bounds();
  float span = maximum_ - minimum_;
  CGFloat fraction = span > 0 ? (value_ - minimum_) / span : 0;
  CGFloat travel = std::max<CGFloat>(0, b.size.width - kThumbSize);
  return CGRectMake(b.origin.x + fraction * travel, CGRectGetMidY(b) - kThumbSize / 2, kThumbSize,
                    kThumbSize);
}

bool UISlider::beginTrackingWithTouch(UITouch& touch, UIEvent*) {
  CGPoint p = touch.locationInView(this);
  CGRect thumb = CGRectInset(thumbRect(), -10, -10);
  if (!CGRectContainsPoint(thumb, p)) return false;
  grab_ = p.x - CGRectGetMidX(thumbRect());
  return true;
}

void UISlider::follow(UITouch& touch, UIEvent* event, bool send) {
  CGRect b = bounds();
  CGFloat travel = b.size.width - kThumbSize;
  if (travel <= 0) return;
  CGFloat middle = touch.locationInView(this).x - grab_;
  CGFloat fraction = std::clamp((middle - kThumbSize / 2 - b.origin.x) / travel, 0.0, 1.0);
  float old = value_;
  setValue(minimum_ + float(fraction) * (maximum_ - minimum_));
  if (send && value_ != old) sendActions(UIControlEventValueChanged, event);
}

bool UISlider::continueTrackingWithTouch(UITouch& touch, UIEvent* event) {
  follow(touch, event, continuous_);
  return true;
}

void UISlider::endTrackingWithTouch(UITouch* touch, UIEvent* event) {
  if (!touch) return;
  follow(*touch, event, continuous_);
  if (!continuous_) sendActions(UIControlEventValueChanged, event);
}

void UISlider::drawRect(CGRect) {
  auto ctx = UIGraphicsGetCurrentContext();
  CGRect b = bounds();
  CGRect thumb = thumbRect();
  CGRect track = CGRectMake(b.origin.x + 2, CGRectGetMidY(b) - 4.5, b.size.width - 4, 9);
  ctx->beginPath();
  addRoundedRect(ctx, track, 4.5);
  ctx->setGrayFillColor(0.9, 1);
  ctx->fillPath();
  ctx->beginPath();
  addRoundedRect(ctx,
                 CGRectMake(track.origin.x, track.origin.y, CGRectGetMidX(thumb) - track.origin.x,
                            track.size.height),
                 4.5);
  auto tint = minimumTint_ ? minimumTint_ : UIColor::colorWithRed(0.16, 0.45, 0.9, 1);
  ctx->setFillColorWithColor(tint->CGColor());
  ctx->fillPath();
  ctx->setGrayFillColor(isHighlighted() ? 0.85 : 1, 1);
  ctx->fillEllipseInRect(CGRectInset(thumb, 0.5, 0.5));
  ctx->setGrayStrokeColor(0.6, 1);
  ctx->strokeEllipseInRect(CGRectInset(thumb, 0.5, 0.5));
}

void UISlider::describeAttributes(std::string& line) const {
  UIControl::describeAttributes(line);
  char buf[32];
  std::snprintf(buf, sizeof buf, " value=%g", double(value_));
  line += buf;
}

NS_CLASS_IMPLEMENTATION(UISlider) {}

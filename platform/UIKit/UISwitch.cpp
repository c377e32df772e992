#include "UIKit/UISwitch.h"

#include <cmath>

#include "Foundation/NSClass.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIDrawingHelpers.h"
#include "UIKit/UIGraphics.h"
#include "UIKit/UITouch.h"

UISwitch::UISwitch(CGRect frame)
    : UIControl(CGRectMake(frame.origin.x, frame.origin.y, kWidth, kHeight)) {
  setBackgroundColor(UIColor::clearColor());
}

void UISwitch::setOn(bool on, bool) {
  if (on == on_) return;
  on_ = on;
  setNeedsDisplay();
}

void UISwitch::setOnTintColor(std::shared_ptr<UIColor> color) {
  onTintColor_ = std::move(color);
  setNeedsDisplay();
}

bool UISwitch::beginTrackingWithTouch(UITouch& touch, UIEvent*) {
  dragged_ = false;
  startX_ = touch.locationInView(this).x;
  return true;
}

bool UISwitch::continueTrackingWithTouch(UITouch& touch, UIEvent*) {
  if (std::fabs(touch.locationInView(this).x - startX_) > 5) dragged_ = true;
  return true;
}

void UISwitch::endTrackingWithTouch(UITouch* touch, UIEvent* event) {
  if (!touch) return;
  bool was = on_;
  // A drag leaves the knob on the side the finger lifts on; a tap flips.
  bool on = dragged_ ? touch->locationInView(this).x > bounds().size.width / 2 : !on_;
  setOn(on);
  if (on_ != was) sendActions(UIControlEventValueChanged, event);
}

void UISwitch::drawRect(CGRect) {
  auto ctx = UIGraphicsGetCurrentContext();
  CGRect b = CGRectInset(bounds(), 0.5, 0.5);
  ctx->beginPath();
  addRoundedRect(ctx, b, b.size.height / 2);
  if (on_) {
    auto tint = onTintColor_ ? onTintColor_ : UIColor::colorWithRed(0, 0.5, 0.92, 1);
    ctx->setFillColorWithColor(tint->CGColor());
  } else {
    ctx->setGrayFillColor(0.93, 1);
  }
  ctx->setGrayStrokeColor(0.6, 1);
  ctx->drawPath(CGPathDrawingMode::FillStroke);
  CGFloat knob = b.size.height;
  CGRect k = CGRectMake(on_ ? CGRectGetMaxX(b) - knob : b.origin.x, b.origin.y, knob, knob);
  ctx->setGrayFillColor(isHighlighted() ? 0.85 : 1, 1);
  ctx->fillEllipseInRect(k);
  ctx->strokeEllipseInRect(k);
}

void UISwitch::describeAttributes(std::string& line) const {
  UIControl::describeAttributes(line);
  line += on_ ? " on" : " off";
}

NS_CLASS_IMPLEMENTATION(UISwitch) {}

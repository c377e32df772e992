#include "UIKit/UIActivityIndicatorView.h"

#include <cmath>

#include "Foundation/NSClass.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIGraphics.h"

namespace {

CGFloat sideOf(UIActivityIndicatorViewStyle style) {
  return style == UIActivityIndicatorViewStyle::WhiteLarge ? 37 : 20;
}

}  // namespace

UIActivityIndicatorView::UIActivityIndicatorView(UIActivityIndicatorViewStyle style)
    : UIView(CGRectMake(0, 0, sideOf(style), sideOf(style))), style_(style) {
  setBackgroundColor(UIColor::clearColor());
  setUserInteractionEnabled(false);
  setHidden(true);
}

UIActivityIndicatorView::UIActivityIndicatorView(CGRect frame)
    : UIView(frame), style_(UIActivityIndicatorViewStyle::White) {
  setBackgroundColor(UIColor::clearColor());
  setUserInteractionEnabled(false);
  setHidden(true);
}

void UIActivityIndicatorView::setActivityIndicatorViewStyle(UIActivityIndicatorViewStyle style) {
  style_ = style;
  CGPoint c = center();
  CGFloat side = sideOf(style);
  setBounds(CGRectMake(0, 0, side, side));
  setCenter(c);
  setNeedsDisplay();
}

void UIActivityIndicatorView::setColor(std::shared_ptr<UIColor> color) {
  color_ = std::move(color);
  setNeedsDisplay();
}

void UIActivityIndicatorView::setHidesWhenStopped(bool hides) {
  hidesWhenStopped_ = hides;
  setHidden(hides && !animating_);
}

void UIActivityIndicatorView::startAnimating() {
  animating_ = true;
  setHidden(false);
}

void UIActivityIndicatorView::stopAnimating() {
  animating_ = false;
  if (hidesWhenStopped_) setHidden(true);
}

CGSize UIActivityIndicatorView::sizeThatFits(CGSize) const {
  return {sideOf(style_), sideOf(style_)};
}

void UIActivityIndicatorView::drawRect(CGRect) {
  auto ctx = UIGraphicsGetCurrentContext();
  CGRect b = bounds();
  CGFloat r = std::min(b.size.width, b.size.height) / 2;
  CGPoint c{CGRectGetMidX(b), CGRectGetMidY(b)};
  CGFloat gray = style_ == UIActivityIndicatorViewStyle::Gray ? 0.5 : 1;
  ctx->setLineWidth(r * 0.22);
  ctx->setLineCap(CGLineCap::Round);
  for (int i = 0; i < 12; ++i) {
    double angle = M_PI * 2 * i / 12;
    CGFloat alpha = 0.25 + 0.75 * CGFloat(i) / 11;
    if (color_) {
      ctx->setStrokeColorWithColor(CGColor::createCopyWithAlpha(color_->CGColor(), alpha));
    } else {
      ctx->setGrayStrokeColor(gray, alpha);
    }
    ctx->beginPath();
    ctx->moveToPoint(c.x + std::cos(angle) * r * 0.5, c.y + std::sin(angle) * r * 0.5);
    ctx->addLineToPoint(c.x + std::cos(angle) * r * 0.9, c.y + std::sin(angle) * r * 0.9);
    ctx->strokePath();
  }
}

void UIActivityIndicatorView::describeAttributes(std::string& line) const {
  if (animating_) line += " animating";
}

NS_CLASS_IMPLEMENTATION(UIActivityIndicatorView) {}

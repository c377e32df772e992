#include "ui/widgets/YBPageControl.h"

#include <cmath>

#include "CoreGraphics/CGContext.h"
#include "Foundation/NSClass.h"
#include "UIKit/UIGraphics.h"
#include "UIKit/UITouch.h"

YBPageControl::YBPageControl(CGRect frame) : UIView(frame) {}

std::shared_ptr<YBPageControl> YBPageControl::initWithFrame(CGRect frame) {
  auto control = std::make_shared<YBPageControl>(frame);
  control->setBackgroundColor(UIColor::clearColor());
  control->dotColorCurrentPage_ = UIColor::blackColor();
  control->dotColorOtherPage_ = UIColor::lightGrayColor();
  return control;
}

void YBPageControl::setCurrentPage(long page) {
  if (page < 0) page = 0;
  if (page > numberOfPages_ - 1) page = numberOfPages_ - 1;
  currentPage_ = page;
  setNeedsDisplay();
}

void YBPageControl::setNumberOfPages(long count) {
  numberOfPages_ = count < 0 ? 0 : count;
  setCurrentPage(currentPage_);
}

CGFloat YBPageControl::firstDotX() const {
  CGFloat n = CGFloat(numberOfPages_);
  return bounds().size.width - (kDot * n + kDot * (n - 1)) - kMargin;
}

void YBPageControl::drawRect(CGRect) {
  auto ctx = UIGraphicsGetCurrentContext();
  if (!ctx || numberOfPages_ < 1) return;
  ctx->setAllowsAntialiasing(true);
  CGRect b = bounds();
  CGFloat y = CGRectGetMidY(b) - kDot / 2;
  CGFloat x = firstDotX();
  for (long i = 0; i < numberOfPages_; ++i, x += kStep) {
    const auto& color = i == currentPage_ ? dotColorCurrentPage_ : dotColorOtherPage_;
    if (color) ctx->setFillColorWithColor(color->CGColor());
    ctx->fillEllipseInRect(CGRectMake(x, y, kDot, kDot));
  }
}

// The dots are mapped as they are drawn (from firstDotX, right-aligned), each taking the
// touches within half a gap of it.
void YBPageControl::touchesBegan(const UITouchSet& touches, UIEvent*) {
  auto d = delegate_.lock();
  auto touch = touches.anyObject();
  if (!d || !touch || numberOfPages_ < 1) return;
  CGPoint p = touch->locationInView(this);
  CGFloat midY = CGRectGetMidY(bounds());
  CGFloat dy = p.y + kDot - midY;
  if (dy < 0 || dy > 2 * kDot) return;
  long page = long(std::floor((p.x - firstDotX() + kDot / 2) / kStep));
  if (page < 0 || page >= numberOfPages_) return;
  setCurrentPage(page);
  d->pageControlPageDidChange(*this);
}

NS_CLASS_IMPLEMENTATION(YBPageControl) {
  c.property("currentPage", &YBPageControl::currentPage, &YBPageControl::setCurrentPage);
  c.property("numberOfPages", &YBPageControl::numberOfPages, &YBPageControl::setNumberOfPages);
}

#include "UIKit/UIPageControl.h"

#include <algorithm>

#include "Foundation/NSClass.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIGraphics.h"
#include "UIKit/UITouch.h"

UIPageControl::UIPageControl(CGRect frame) : UIControl(frame) {
  setBackgroundColor(UIColor::clearColor());
}

void UIPageControl::setNumberOfPages(long pages) {
  pages_ = std::max(0l, pages);
  setCurrentPage(current_);
  displayed_ = current_;
  updateVisibility();
  setNeedsDisplay();
}

void UIPageControl::setCurrentPage(long page) {
  current_ = std::clamp(page, 0l, std::max(0l, pages_ - 1));
  if (!defers_) displayed_ = current_;
  setNeedsDisplay();
}

void UIPageControl::setHidesForSinglePage(bool hides) {
  hidesForSinglePage_ = hides;
  updateVisibility();
}

void UIPageControl::updateVisibility() {
  if (hidesForSinglePage_) setHidden(pages_ <= 1);
}

void UIPageControl::updateCurrentPageDisplay() {
  displayed_ = current_;
  setNeedsDisplay();
}

CGSize UIPageControl::sizeForNumberOfPages(long pages) const {
  if (pages <= 0) return CGSizeZero;
  return {CGFloat(pages) * kDotSize + CGFloat(pages - 1) * kDotSpacing, 36};
}

CGFloat UIPageControl::dotX(long page) const {
  CGFloat width = sizeForNumberOfPages(pages_).width;
  return CGRectGetMidX(bounds()) - width / 2 + CGFloat(page) * (kDotSize + kDotSpacing);
}

void UIPageControl::endTrackingWithTouch(UITouch* touch, UIEvent* event) {
  if (!touch || pages_ < 2 || !isTouchInside()) return;
  CGFloat x = touch->locationInView(this).x;
  CGFloat middle = dotX(displayed_) + kDotSize / 2;
  long page = std::clamp(x > middle ? current_ + 1 : current_ - 1, 0l, pages_ - 1);
  if (page == current_) return;
  current_ = page;
  if (!defers_) displayed_ = page;
  setNeedsDisplay();
  sendActions(UIControlEventValueChanged, event);
}

void UIPageControl::drawRect(CGRect) {
  auto ctx = UIGraphicsGetCurrentContext();
  CGFloat y = CGRectGetMidY(bounds()) - kDotSize / 2;
  for (long i = 0; i < pages_; ++i) {
    ctx->setGrayFillColor(1, i == displayed_ ? 1 : 0.4);
    ctx->fillEllipseInRect(CGRectMake(dotX(i), y, kDotSize, kDotSize));
  }
}

void UIPageControl::describeAttributes(std::string& line) const {
  UIControl::describeAttributes(line);
  line += " page=" + std::to_string(current_) + "/" + std::to_string(pages_);
}

NS_CLASS_IMPLEMENTATION(UIPageControl) {}

#include "uilib/views/ULPageControl.h"

#include <algorithm>
#include <cmath>

#include "Foundation/NSClass.h"
#include "UIKit/UIColor.h"
#include "UIKit/UITouch.h"
#include "uilib/style/ULBoxStyle.h"
#include "uilib/style/ULStyleContext.h"
#include "uilib/style/ULStyleSheet.h"

ULPageControl::ULPageControl(CGRect frame) : UIControl(frame) {
  setBackgroundColor(UIColor::clearColor());
  setContentMode(UIViewContentMode::Redraw);
}

void ULPageControl::setNumberOfPages(long pages) {
  if (pages == numberOfPages_) return;
  numberOfPages_ = std::max(0L, pages);
  setNeedsDisplay();
}

void ULPageControl::setCurrentPage(long page) {
  if (page == currentPage_) return;
  currentPage_ = std::max(0L, std::min(page, numberOfPages_ - 1));
  setNeedsDisplay();
}

void ULPageControl::setDotStyle(std::string name) {
  if (name == dotStyle_) return;
  dotStyle_ = std::move(name);
  normalDotStyle_.reset();
  currentDotStyle_.reset();
}

ULStylePtr ULPageControl::normalDotStyle() const {
  if (!normalDotStyle_)
    normalDotStyle_ =
        ULStyleSheet::globalStyleSheet()->styleWithSelector(dotStyle_, UIControlStateNormal);
  return normalDotStyle_;
}

ULStylePtr ULPageControl::currentDotStyle() const {
  if (!currentDotStyle_)
    currentDotStyle_ =
        ULStyleSheet::globalStyleSheet()->styleWithSelector(dotStyle_, UIControlStateSelected);
  return currentDotStyle_;
}

ULPageControl::DotGeometry ULPageControl::dotGeometry() const {
  DotGeometry g;
  auto style = normalDotStyle();
  if (!style) return g;
  ULStyleContext context;
  g.size = style->addToSize(CGSizeZero, context);
  if (auto box = std::dynamic_pointer_cast<ULBoxStyle>(
          style->firstStyleOfClass(ULBoxStyle::classObject()))) {
    g.marginLeft = box->margin().left;
    g.marginRight = box->margin().right;
  }
  return g;
}

CGSize ULPageControl::sizeThatFits(CGSize) const {
  DotGeometry g = dotGeometry();
  auto n = CGFloat(numberOfPages_);
  // No pages: no row at all, rather than a row of minus one gap.
  CGFloat w = n > 0 ? g.size.width * n + (g.marginLeft + g.marginRight) * (n - 1) : 0;
  return CGSizeMake(std::max<CGFloat>(0, w), g.size.height);
}

void ULPageControl::drawRect(CGRect) {
  if (numberOfPages_ < 1) return;
  if (numberOfPages_ <= 1 && hidesForSinglePage_) return;
  DotGeometry g = dotGeometry();
  CGFloat W = bounds().size.width, H = bounds().size.height;
  CGFloat margins = g.marginLeft + g.marginRight;
  CGFloat total = (g.size.width + margins) * CGFloat(numberOfPages_) - margins;
  CGFloat x = std::round(W / 2 - total / 2);
  CGFloat y = std::round(H / 2 - g.size.height / 2);
  ULStyleContext context;
  for (long i = 0; i < numberOfPages_; ++i) {
    x += g.marginLeft;
    CGRect dot = CGRectMake(x, y, g.size.width, g.size.height);
    context.setFrame(dot);
    context.setContentFrame(dot);
    auto style = i == currentPage_ ? currentDotStyle() : normalDotStyle();
    if (style) style->draw(context);
    x += g.size.width + g.marginRight;
  }
}

void ULPageControl::endTrackingWithTouch(UITouch* touch, UIEvent* event) {
  if (!touch) return;
  CGPoint p = touch->locationInView(this);
  if (!pointInside(p, event)) return;
  setCurrentPage(p.x < bounds().size.width / 2 ? currentPage_ - 1 : currentPage_ + 1);
  sendActions(UIControlEventValueChanged, event);
}

void ULPageControl::describeAttributes(std::string& line) const {
  UIControl::describeAttributes(line);
  line += " page=" + std::to_string(currentPage_) + "/" + std::to_string(numberOfPages_);
}

NS_CLASS_IMPLEMENTATION(ULPageControl) {
  c.property("dotStyle", &ULPageControl::dotStyle, &ULPageControl::setDotStyle);
}

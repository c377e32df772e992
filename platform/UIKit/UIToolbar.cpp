#include "UIKit/UIToolbar.h"

#include <algorithm>
#include <cmath>

#include "CoreGraphics/CGGradient.h"
#include "Foundation/NSClass.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIGraphics.h"

namespace {

constexpr CGFloat kEdge = 6;
constexpr CGFloat kGap = 10;

}  // namespace

void UIDrawBarGradient(CGRect rect, const std::shared_ptr<UIColor>& tint) {
  CGFloat r = 0.43, g = 0.52, b = 0.62, a = 1;
  if (tint) tint->getRed(&r, &g, &b, &a);
  auto ctx = UIGraphicsGetCurrentContext();
  if (!ctx) return;
  std::vector<CGFloat> components = {
      std::min(1.0, r + 0.15), std::min(1.0, g + 0.15), std::min(1.0, b + 0.15), a, r, g, b, a};
  auto gradient =
      CGGradient::createWithColorComponents(CGColorSpace::createDeviceRGB(), components, {0, 1}, 2);
  ctx->saveGState();
  ctx->clipToRect(rect);
  ctx->drawLinearGradient(gradient, CGPointMake(0, CGRectGetMinY(rect)),
                          CGPointMake(0, CGRectGetMaxY(rect)), 0);
  ctx->restoreGState();
}

void UIToolbar::setItems(std::vector<std::shared_ptr<UIBarButtonItem>> items, bool) {
  items_ = std::move(items);
  setNeedsLayout();
  layoutIfNeeded();
}

void UIToolbar::setTintColor(std::shared_ptr<UIColor> color) {
  tintColor_ = std::move(color);
  setNeedsDisplay();
}

void UIToolbar::layoutSubviews() {
  std::vector<std::shared_ptr<UIView>> views;
  CGFloat used = 0;
  int flexible = 0;
  for (auto& item : items_) {
    auto view = item->view();
    views.push_back(view);
    if (item->systemItem() == UIBarButtonSystemItemFlexibleSpace)
      ++flexible;
    else
      used += view ? view->frame().size.width : item->width();
  }
  for (auto& weak : placed_) {
    auto view = weak.lock();
    if (view && view->superview().get() == this &&
        std::find(views.begin(), views.end(), view) == views.end())
      view->removeFromSuperview();
  }
  placed_.clear();

  CGRect b = bounds();
  size_t gaps = items_.empty() ? 0 : items_.size() - 1;
  CGFloat spare = std::max(0.0, b.size.width - 2 * kEdge - used - kGap * CGFloat(gaps));
  CGFloat x = kEdge;
  for (size_t i = 0; i < items_.size(); ++i) {
    auto& item = items_[i];
    if (item->systemItem() == UIBarButtonSystemItemFlexibleSpace) {
      x += std::floor(spare / flexible);
    } else if (auto& view = views[i]) {
      CGSize s = view->frame().size;
      view->setFrame(CGRectMake(x, std::floor((b.size.height - s.height) / 2), s.width, s.height));
      if (view->superview().get() != this) addSubview(view);
      placed_.push_back(view);
      x += s.width;
    } else {
      x += item->width();
    }
    x += kGap;
  }
}

void UIToolbar::drawRect(CGRect) {
  UIDrawBarGradient(bounds(), tintColor_);
}

NS_CLASS_IMPLEMENTATION(UIToolbar) {}

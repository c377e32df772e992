#include "UIKit/UISegmentedControl.h"

#include <algorithm>

#include "Foundation/NSClass.h"
#include "UIKit/NSString+UIKit.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIDrawingHelpers.h"
#include "UIKit/UIFont.h"
#include "UIKit/UIGraphics.h"
#include "UIKit/UIImage.h"
#include "UIKit/UITouch.h"

namespace {

std::shared_ptr<UIFont> titleFont() {
  return UIFont::boldSystemFontOfSize(13);
}

}  // namespace

UISegmentedControl::UISegmentedControl(std::vector<std::string> titles) : UIControl(CGRectZero) {
  setBackgroundColor(UIColor::clearColor());
  for (auto& t : titles) insertSegmentWithTitle(std::move(t), numberOfSegments());
  sizeToFit();
}

void UISegmentedControl::setSegmentedControlStyle(UISegmentedControlStyle style) {
  style_ = style;
  setNeedsDisplay();
}

void UISegmentedControl::setTintColor(std::shared_ptr<UIColor> color) {
  tintColor_ = std::move(color);
  setNeedsDisplay();
}

void UISegmentedControl::setSelectedSegmentIndex(long index) {
  selected_ = valid(index) ? index : UISegmentedControlNoSegment;
  setNeedsDisplay();
}

std::string UISegmentedControl::titleForSegmentAtIndex(long index) const {
  return valid(index) ? segments_[size_t(index)].title : std::string();
}

void UISegmentedControl::setTitle(std::string title, long index) {
  if (!valid(index)) return;
  segments_[size_t(index)].title = std::move(title);
  segments_[size_t(index)].image.reset();
  setNeedsDisplay();
}

std::shared_ptr<UIImage> UISegmentedControl::imageForSegmentAtIndex(long index) const {
  return valid(index) ? segments_[size_t(index)].image : nullptr;
}

void UISegmentedControl::setImage(std::shared_ptr<UIImage> image, long index) {
  if (!valid(index)) return;
  segments_[size_t(index)].image = std::move(image);
  segments_[size_t(index)].title.clear();
  setNeedsDisplay();
}

void UISegmentedControl::insertSegmentWithTitle(std::string title, long index, bool) {
  index = std::clamp(index, 0l, numberOfSegments());
  Segment segment;
  segment.title = std::move(title);
  segments_.insert(segments_.begin() + index, std::move(segment));
  if (selected_ >= index) ++selected_;
  setNeedsDisplay();
}

void UISegmentedControl::removeSegmentAtIndex(long index, bool) {
  if (!valid(index)) return;
  segments_.erase(segments_.begin() + index);
  if (selected_ == index) {
    selected_ = UISegmentedControlNoSegment;
  } else if (selected_ > index) {
    --selected_;
  }
  setNeedsDisplay();
}

void UISegmentedControl::removeAllSegments() {
  segments_.clear();
  selected_ = UISegmentedControlNoSegment;
  setNeedsDisplay();
}

bool UISegmentedControl::isEnabledForSegmentAtIndex(long index) const {
  return valid(index) && segments_[size_t(index)].enabled;
}

void UISegmentedControl::setEnabledForSegmentAtIndex(bool enabled, long index) {
  if (!valid(index)) return;
  segments_[size_t(index)].enabled = enabled;
  setNeedsDisplay();
}

CGFloat UISegmentedControl::widthForSegmentAtIndex(long index) const {
  return valid(index) ? segments_[size_t(index)].width : 0;
}

void UISegmentedControl::setWidth(CGFloat width, long index) {
  if (!valid(index)) return;
  segments_[size_t(index)].width = std::max<CGFloat>(0, width);
  setNeedsDisplay();
}

CGRect UISegmentedControl::rectForSegmentAtIndex(long index) const {
  if (!valid(index)) return CGRectZero;
  CGRect b = bounds();
  CGFloat fixed = 0;
  long shared = 0;
  for (const auto& s : segments_) {
    fixed += s.width;
    shared += s.width <= 0;
  }
  CGFloat share = shared ? std::max<CGFloat>(0, b.size.width - fixed) / CGFloat(shared) : 0;
  CGFloat x = b.origin.x;
  for (long i = 0; i < index; ++i) {
    CGFloat w = segments_[size_t(i)].width;
    x += w > 0 ? w : share;
  }
  CGFloat w = segments_[size_t(index)].width;
  return CGRectMake(x, b.origin.y, w > 0 ? w : share, b.size.height);
}

long UISegmentedControl::segmentAt(CGPoint p) const {
  for (long i = 0; i < numberOfSegments(); ++i)
    if (CGRectContainsPoint(rectForSegmentAtIndex(i), p)) return i;
  return UISegmentedControlNoSegment;
}

CGSize UISegmentedControl::sizeThatFits(CGSize) const {
  CGFloat widest = 0;
  for (const auto& s : segments_) {
    CGFloat w = s.image ? s.image->size().width : sizeWithFont(s.title, titleFont()).width;
    widest = std::max(widest, w + 20);
  }
  return {widest * CGFloat(segments_.size()), style_ == UISegmentedControlStyle::Bar ? 30.0 : 44.0};
}

bool UISegmentedControl::beginTrackingWithTouch(UITouch& touch, UIEvent*) {
  pressed_ = segmentAt(touch.locationInView(this));
  if (!isEnabledForSegmentAtIndex(pressed_)) pressed_ = UISegmentedControlNoSegment;
  setNeedsDisplay();
  return true;
}

void UISegmentedControl::endTrackingWithTouch(UITouch* touch, UIEvent* event) {
  long pressed = pressed_;
  pressed_ = UISegmentedControlNoSegment;
  setNeedsDisplay();
  if (!touch) return;
  long lifted = segmentAt(touch->locationInView(this));
  if (lifted == UISegmentedControlNoSegment || lifted != pressed) return;
  if (momentary_) {
    selected_ = lifted;
    sendActions(UIControlEventValueChanged, event);
    selected_ = UISegmentedControlNoSegment;
    return;
  }
  if (lifted == selected_) return;
  selected_ = lifted;
  sendActions(UIControlEventValueChanged, event);
}

void UISegmentedControl::cancelTrackingWithEvent(UIEvent*) {
  pressed_ = UISegmentedControlNoSegment;
  setNeedsDisplay();
}

void UISegmentedControl::drawRect(CGRect) {
  auto ctx = UIGraphicsGetCurrentContext();
  CGRect b = CGRectInset(bounds(), 0.5, 0.5);
  auto tint = tintColor_ ? tintColor_ : UIColor::colorWithRed(0.3, 0.45, 0.75, 1);
  ctx->saveGState();
  ctx->beginPath();
  addRoundedRect(ctx, b, 6);
  ctx->clip();
  ctx->setGrayFillColor(0.97, 1);
  ctx->fillRect(b);
  auto font = titleFont();
  for (long i = 0; i < numberOfSegments(); ++i) {
    const Segment& s = segments_[size_t(i)];
    CGRect r = rectForSegmentAtIndex(i);
    bool lit = i == selected_ || i == pressed_;
    if (lit) {
      ctx->setFillColorWithColor(tint->CGColor());
      ctx->fillRect(r);
    }
    if (i > 0) {
      ctx->setGrayFillColor(0.6, 1);
      ctx->fillRect(CGRectMake(r.origin.x, r.origin.y, 1, r.size.height));
    }
    if (s.image) {
      CGSize is = s.image->size();
      s.image->drawInRect(CGRectMake(CGRectGetMidX(r) - is.width / 2,
                                     CGRectGetMidY(r) - is.height / 2, is.width, is.height));
    } else {
      CGFloat gray = !s.enabled ? 0.6 : lit ? 1 : 0.25;
      ctx->setGrayFillColor(gray, 1);
      CGFloat h = font->lineHeight();
      drawInRect(s.title, CGRectMake(r.origin.x + 2, CGRectGetMidY(r) - h / 2, r.size.width - 4, h),
                 font, UILineBreakModeTailTruncation, UITextAlignmentCenter);
    }
  }
  ctx->restoreGState();
  ctx->beginPath();
  addRoundedRect(ctx, b, 6);
  ctx->setGrayStrokeColor(0.5, 1);
  ctx->strokePath();
}

void UISegmentedControl::describeAttributes(std::string& line) const {
  UIControl::describeAttributes(line);
  line += " segments=[";
  for (long i = 0; i < numberOfSegments(); ++i) {
    if (i) line += ",";
    const auto& s = segments_[size_t(i)];
    line += s.image ? "<image>" : quoted(s.title);
  }
  line += "]";
  if (selected_ != UISegmentedControlNoSegment) line += " selected=" + std::to_string(selected_);
}

NS_CLASS_IMPLEMENTATION(UISegmentedControl) {}

#include "UIKit/UIColor.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "Foundation/NSClass.h"
#include "UIKit/UIGraphics.h"
#include "UIKit/UIImage.h"

NS_CLASS_IMPLEMENTATION(UIColor) {}

namespace {

CGFloat clamp01(CGFloat v) {
  return std::isnan(v) ? 0 : std::clamp(v, 0.0, 1.0);
}

std::shared_ptr<UIColor> white(CGFloat w, CGFloat a) {
  return UIColor::colorWithWhite(w, a);
}

std::shared_ptr<UIColor> rgb(CGFloat r, CGFloat g, CGFloat b) {
  return UIColor::colorWithRed(r, g, b, 1);
}

}  // namespace

UIColor::UIColor(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha)
    : red_(clamp01(red)), green_(clamp01(green)), blue_(clamp01(blue)), alpha_(clamp01(alpha)) {}

std::shared_ptr<UIColor> UIColor::colorWithRed(CGFloat red, CGFloat green, CGFloat blue,
                                               CGFloat alpha) {
  return std::make_shared<UIColor>(red, green, blue, alpha);
}

std::shared_ptr<UIColor> UIColor::colorWithWhite(CGFloat w, CGFloat alpha) {
  auto c = std::make_shared<UIColor>(w, w, w, alpha);
  c->whiteLevel_ = true;
  return c;
}

std::shared_ptr<UIColor> UIColor::colorWithCGColor(const CGColorRef& color) {
  if (!color) return nullptr;
  if (color->isPattern()) {
    auto c = std::make_shared<UIColor>(0, 0, 0, color->alpha());
    c->isPattern_ = true;
    c->cg_ = color;
    return c;
  }
  CGRGBA v = color->rgba();
  auto c = std::make_shared<UIColor>(v.r, v.g, v.b, v.a);
  c->whiteLevel_ = color->numberOfComponents() == 2;
  c->cg_ = color;
  return c;
}

std::shared_ptr<UIColor> UIColor::colorWithPatternImage(std::shared_ptr<UIImage> image) {
  auto c = std::make_shared<UIColor>(0, 0, 0, 1);
  c->isPattern_ = true;
  c->patternImage_ = std::move(image);
  return c;
}

#define ZEPT_NAMED_COLOR(name, expr)         \
  std::shared_ptr<UIColor> UIColor::name() { \
    static const auto color = expr;          \
    return color;                            \
  }

ZEPT_NAMED_COLOR(blackColor, white(0, 1))
ZEPT_NAMED_COLOR(darkGrayColor, white(1.0 / 3, 1))
ZEPT_NAMED_COLOR(lightGrayColor, white(2.0 / 3, 1))
ZEPT_NAMED_COLOR(whiteColor, white(1, 1))
ZEPT_NAMED_COLOR(grayColor, white(0.5, 1))
ZEPT_NAMED_COLOR(redColor, rgb(1, 0, 0))
ZEPT_NAMED_COLOR(greenColor, rgb(0, 1, 0))
ZEPT_NAMED_COLOR(blueColor, rgb(0, 0, 1))
ZEPT_NAMED_COLOR(cyanColor, rgb(0, 1, 1))
ZEPT_NAMED_COLOR(yellowColor, rgb(1, 1, 0))
ZEPT_NAMED_COLOR(magentaColor, rgb(1, 0, 1))
ZEPT_NAMED_COLOR(orangeColor, rgb(1, 0.5, 0))
ZEPT_NAMED_COLOR(purpleColor, rgb(0.5, 0, 0.5))
ZEPT_NAMED_COLOR(brownColor, rgb(0.6, 0.4, 0.2))
ZEPT_NAMED_COLOR(clearColor, white(0, 0))
// The grouped-table background: a pale blue-grey.
ZEPT_NAMED_COLOR(groupTableViewBackgroundColor, rgb(197 / 255.0, 204 / 255.0, 212 / 255.0))

#undef ZEPT_NAMED_COLOR

std::shared_ptr<UIColor> UIColor::colorWithAlphaComponent(CGFloat alpha) const {
  auto c = std::make_shared<UIColor>(red_, green_, blue_, alpha);
  c->whiteLevel_ = whiteLevel_;
  c->isPattern_ = isPattern_;
  c->patternImage_ = patternImage_;
  if (cg_ && cg_->isPattern() && !patternImage_) c->cg_ = CGColor::createCopyWithAlpha(cg_, alpha);
  return c;
}

size_t UIColor::numberOfComponents() const {
  if (isPattern_) return 0;
  return whiteLevel_ ? 2 : 4;
}

bool UIColor::getWhite(CGFloat* w, CGFloat* a) const {
  if (!whiteLevel_ || isPattern_) return false;
  if (w) *w = red_;
  if (a) *a = alpha_;
  return true;
}

bool UIColor::getRed(CGFloat* r, CGFloat* g, CGFloat* b, CGFloat* a) const {
  if (isPattern_) return false;
  if (r) *r = red_;
  if (g) *g = green_;
  if (b) *b = blue_;
  if (a) *a = alpha_;
  return true;
}

CGColorRef UIColor::CGColor() const {
  if (cg_) return cg_;
  if (isPattern_) {
    CGImageRef image = patternImage_ ? patternImage_->uprightCGImage() : nullptr;
    cg_ = CGColor::createPattern(image, patternImage_ ? patternImage_->scale() : 1, alpha_);
  } else if (whiteLevel_) {
    cg_ = CGColor::createGenericGray(red_, alpha_);
  } else {
    cg_ = CGColor::createGenericRGB(red_, green_, blue_, alpha_);
  }
  return cg_;
}

void UIColor::set() const {
  setFill();
  setStroke();
}

void UIColor::setFill() const {
  if (auto ctx = UIGraphicsGetCurrentContext()) ctx->setFillColorWithColor(CGColor());
}

void UIColor::setStroke() const {
  if (auto ctx = UIGraphicsGetCurrentContext()) ctx->setStrokeColorWithColor(CGColor());
}

bool UIColor::isEqual(const UIColor& o) const {
  if (isPattern_ || o.isPattern_)
    return isPattern_ == o.isPattern_ && patternImage_ == o.patternImage_ && alpha_ == o.alpha_;
  return red_ == o.red_ && green_ == o.green_ && blue_ == o.blue_ && alpha_ == o.alpha_;
}

std::string UIColor::description() const {
  char buf[96];
  if (isPattern_) {
    std::snprintf(buf, sizeof buf, "pattern(\"%s\")",
                  patternImage_ ? patternImage_->name().c_str() : "");
  } else if (whiteLevel_) {
    std::snprintf(buf, sizeof buf, "white(%g %g)", red_, alpha_);
  } else {
    std::snprintf(buf, sizeof buf, "rgba(%g %g %g %g)", red_, green_, blue_, alpha_);
  }
  return buf;
}

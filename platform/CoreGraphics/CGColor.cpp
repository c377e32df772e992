#include "CoreGraphics/CGColor.h"

#include <algorithm>
#include <cmath>

namespace {

CGFloat clamp01(CGFloat v) {
  if (std::isnan(v)) return 0;
  return std::clamp(v, 0.0, 1.0);
}

}  // namespace

CGColorRef CGColor::create(const CGColorSpaceRef& space, const std::vector<CGFloat>& components) {
  if (!space) return nullptr;
  size_t n = space->numberOfComponents();
  if (n == 0) return nullptr;
  std::vector<CGFloat> c(n + 1, 0);
  for (size_t i = 0; i <= n && i < components.size(); ++i) c[i] = clamp01(components[i]);
  if (components.size() <= n) c[n] = 1;
  return std::make_shared<CGColor>(space, std::move(c));
}

CGColorRef CGColor::createGenericRGB(CGFloat r, CGFloat g, CGFloat b, CGFloat a) {
  return create(CGColorSpace::createDeviceRGB(), {r, g, b, a});
}

CGColorRef CGColor::createGenericGray(CGFloat gray, CGFloat a) {
  return create(CGColorSpace::createDeviceGray(), {gray, a});
}

CGColorRef CGColor::createPattern(std::shared_ptr<const CGImage> image, CGFloat scale,
                                  CGFloat alpha) {
  auto c = std::make_shared<CGColor>(CGColorSpace::createPattern(), std::vector<CGFloat>{});
  c->pattern_ = std::move(image);
  c->patternScale_ = scale > 0 ? scale : 1;
  c->alpha_ = clamp01(alpha);
  return c;
}

CGColorRef CGColor::createCopyWithAlpha(const CGColorRef& color, CGFloat alpha) {
  if (!color) return nullptr;
  auto c = std::make_shared<CGColor>(*color);
  if (c->components_.empty()) {
    c->alpha_ = clamp01(alpha);
  } else {
    c->components_.back() = clamp01(alpha);
  }
  return c;
}

bool CGColor::equalToColor(const CGColorRef& a, const CGColorRef& b) {
  if (a == b) return true;
  if (!a || !b) return false;
  return a->space_->model() == b->space_->model() && a->components_ == b->components_ &&
         a->pattern_ == b->pattern_ && a->alpha() == b->alpha();
}

CGRGBA CGColor::rgba() const {
  if (components_.size() == 2)
    return {components_[0], components_[0], components_[0], components_[1]};
  if (components_.size() == 4)
    return {components_[0], components_[1], components_[2], components_[3]};
  return {0, 0, 0, alpha()};
}

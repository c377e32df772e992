#include "uilib/style/ULRoundedLeftArrowShape.h"

#include <cmath>

#include "Foundation/NSClass.h"
#include "uilib/style/ULShapePath.h"

NS_CLASS_IMPLEMENTATION(ULRoundedLeftArrowShape) {
  c.property("radius", &ULRoundedLeftArrowShape::radius, &ULRoundedLeftArrowShape::setRadius);
}

std::shared_ptr<ULRoundedLeftArrowShape> ULRoundedLeftArrowShape::shapeWithRadius(CGFloat radius) {
  auto shape = std::make_shared<ULRoundedLeftArrowShape>();
  shape->radius_ = radius;
  return shape;
}

UIEdgeInsets ULRoundedLeftArrowShape::insetsForSize(CGSize size) const {
  return UIEdgeInsetsMake(0, ULArrowInset(radius_, size.height), 0, 0);
}

void ULRoundedLeftArrowShape::outline(ULShapePath& p, CGFloat w, CGFloat h) const {
  CGFloat a = ULArrowDepth(h), r = ULResolvedRadius(radius_, h);
  p.move(0, std::floor(h / 2));
  p.arc(a, 0, std::floor(w - r), 0, 2 * r);
  p.arc(w, 0, w, std::floor(r), r);
  p.arc(w, h, std::floor(a + 2 * r), h, r);
  p.arc(a, h, 0, std::floor(h / 2), 2 * r);
  p.close();
}

void ULRoundedLeftArrowShape::addToPath(CGRect rect) const {
  ULAddOutline(*this, rect, [this](ULShapePath& p, CGFloat w, CGFloat h) { outline(p, w, h); });
}

void ULRoundedLeftArrowShape::addInverseToPath(CGRect rect) const {
  ULAddInverse(*this, rect, [this](ULShapePath& p, CGFloat w, CGFloat h) { outline(p, w, h); });
}

void ULRoundedLeftArrowShape::addTopEdgeToPath(CGRect rect, int light) const {
  CGContext* context = ULCurrentContext();
  if (!context) return;
  CGFloat w = rect.size.width, h = rect.size.height;
  CGFloat a = ULArrowDepth(h), r = ULResolvedRadius(radius_, h);
  ULShapePath p(*context);
  p.move(0, std::floor(h / 2));
  p.arc(a, 0, std::floor(w - r), 0, 2 * r);
  if (ULLightInFirstQuadrant(light))
    p.line(std::floor(w - r), 0);
  else
    p.arc(w, 0, w, std::floor(r), r);
}

void ULRoundedLeftArrowShape::addRightEdgeToPath(CGRect rect, int light) const {
  CGContext* context = ULCurrentContext();
  if (!context) return;
  CGFloat w = rect.size.width, h = rect.size.height;
  CGFloat r = ULResolvedRadius(radius_, h);
  ULShapePath p(*context);
  if (ULLightInFirstQuadrant(light)) {
    // The corner only.
    p.move(std::floor(w - r), 0);
    p.arc(w, 0, w, std::floor(r), r);
  } else {
    p.move(w, r);
    p.line(w, h - r);
  }
}

void ULRoundedLeftArrowShape::addBottomEdgeToPath(CGRect rect, int) const {
  CGContext* context = ULCurrentContext();
  if (!context) return;
  CGFloat w = rect.size.width, h = rect.size.height;
  CGFloat a = ULArrowDepth(h), r = ULResolvedRadius(radius_, h);
  ULShapePath p(*context);
  p.move(w, std::floor(h - r));
  p.arc(w, h, std::floor(a + 2 * r), h, r);
  p.line(std::floor(a + 2 * r) - 1, h);
}

void ULRoundedLeftArrowShape::addLeftEdgeToPath(CGRect rect, int) const {
  CGContext* context = ULCurrentContext();
  if (!context) return;
  CGFloat h = rect.size.height;
  CGFloat a = ULArrowDepth(h), r = ULResolvedRadius(radius_, h);
  ULShapePath p(*context);
  p.move(std::floor(a + 2 * r), h);
  p.arc(a, h, 0, std::floor(h / 2), 2 * r);
  p.line(0, std::floor(h / 2));
}

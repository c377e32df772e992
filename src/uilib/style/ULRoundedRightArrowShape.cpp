#include "uilib/style/ULRoundedRightArrowShape.h"

#include <cmath>

#include "Foundation/NSClass.h"
#include "uilib/style/ULShapePath.h"

NS_CLASS_IMPLEMENTATION(ULRoundedRightArrowShape) {
  c.property("radius", &ULRoundedRightArrowShape::radius, &ULRoundedRightArrowShape::setRadius);
}

std::shared_ptr<ULRoundedRightArrowShape> ULRoundedRightArrowShape::shapeWithRadius(
    CGFloat radius) {
  auto shape = std::make_shared<ULRoundedRightArrowShape>();
  shape->radius_ = radius;
  return shape;
}

UIEdgeInsets ULRoundedRightArrowShape::insetsForSize(CGSize size) const {
  return UIEdgeInsetsMake(0, 0, 0, ULArrowInset(radius_, size.height));
}

void ULRoundedRightArrowShape::addToPath(CGRect rect) const {
  ULAddOutline(*this, rect, [this](ULShapePath& p, CGFloat w, CGFloat h) {
    CGFloat a = ULArrowDepth(h), r = ULResolvedRadius(radius_, h);
    p.move(w, std::floor(h / 2));
    p.arc(w - a, h, 0, h, 2 * r);
    p.arc(0, h, 0, 0, r);
    p.arc(0, 0, w - a, 0, r);
    p.arc(w - a, 0, w, std::floor(h / 2), 2 * r);
    p.line(w, std::floor(h / 2));
    p.close();
  });
}

void ULRoundedRightArrowShape::addTopEdgeToPath(CGRect rect, int light) const {
  CGContext* context = ULCurrentContext();
  if (!context) return;
  CGFloat w = rect.size.width, h = rect.size.height;
  CGFloat a = ULArrowDepth(h), r = ULResolvedRadius(radius_, h);
  ULShapePath p(*context);
  if (ULLightInFirstQuadrant(light)) {
    p.move(r, 0);
  } else {
    p.move(0, r);
    p.arc(0, 0, r, 0, r);
  }
  p.line(w - (a + 2 * r), 0);
  p.arc(w - a, 0, w, std::floor(h / 2), 2 * r);
  p.line(w, std::floor(h / 2));
}

void ULRoundedRightArrowShape::addRightEdgeToPath(CGRect rect, int) const {
  CGContext* context = ULCurrentContext();
  if (!context) return;
  CGFloat w = rect.size.width, h = rect.size.height;
  CGFloat a = ULArrowDepth(h), r = ULResolvedRadius(radius_, h);
  ULShapePath p(*context);
  p.move(w, std::floor(h / 2));
  p.arc(w - a, h, w - (a + 2 * r), h, 2 * r);
  p.line(w - (a + 2 * r), h);
}

void ULRoundedRightArrowShape::addBottomEdgeToPath(CGRect rect, int) const {
  CGContext* context = ULCurrentContext();
  if (!context) return;
  CGFloat w = rect.size.width, h = rect.size.height;
  CGFloat a = ULArrowDepth(h), r = ULResolvedRadius(radius_, h);
  ULShapePath p(*context);
  p.move(std::floor(w - (a + 2 * r)), h);
  p.arc(0, h, 0, std::floor(h - r), r);
}

void ULRoundedRightArrowShape::addLeftEdgeToPath(CGRect rect, int light) const {
  CGContext* context = ULCurrentContext();
  if (!context) return;
  CGFloat h = rect.size.height;
  CGFloat r = ULResolvedRadius(radius_, h);
  ULShapePath p(*context);
  p.move(0, std::floor(h - r));
  p.line(0, std::floor(r));
  if (ULLightInFirstQuadrant(light)) p.arc(0, 0, std::floor(r), 0, r);
}

#include "uilib/style/ULRoundedRectangleShape.h"

#include <cmath>

#include "Foundation/NSClass.h"
#include "uilib/style/ULShapePath.h"

NS_CLASS_IMPLEMENTATION(ULRoundedRectangleShape) {
  c.property("topLeftRadius", &ULRoundedRectangleShape::topLeftRadius,
             &ULRoundedRectangleShape::setTopLeftRadius);
  c.property("topRightRadius", &ULRoundedRectangleShape::topRightRadius,
             &ULRoundedRectangleShape::setTopRightRadius);
  c.property("bottomRightRadius", &ULRoundedRectangleShape::bottomRightRadius,
             &ULRoundedRectangleShape::setBottomRightRadius);
  c.property("bottomLeftRadius", &ULRoundedRectangleShape::bottomLeftRadius,
             &ULRoundedRectangleShape::setBottomLeftRadius);
}

std::shared_ptr<ULRoundedRectangleShape> ULRoundedRectangleShape::shapeWithRadius(CGFloat radius) {
  return shapeWithTopLeft(radius, radius, radius, radius);
}

std::shared_ptr<ULRoundedRectangleShape> ULRoundedRectangleShape::shapeWithTopLeft(
    CGFloat topLeft, CGFloat topRight, CGFloat bottomRight, CGFloat bottomLeft) {
  auto shape = std::make_shared<ULRoundedRectangleShape>();
  shape->topLeft_ = topLeft;
  shape->topRight_ = topRight;
  shape->bottomRight_ = bottomRight;
  shape->bottomLeft_ = bottomLeft;
  return shape;
}

ULRoundedRectangleShape::Radii ULRoundedRectangleShape::radii(CGFloat h) const {
  return {ULResolvedRadius(topLeft_, h), ULResolvedRadius(topRight_, h),
          ULResolvedRadius(bottomRight_, h), ULResolvedRadius(bottomLeft_, h)};
}

void ULRoundedRectangleShape::outline(ULShapePath& p, CGFloat w, CGFloat h) const {
  Radii r = radii(h);
  p.move(w, std::floor(h / 2));
  p.arc(w, h, std::floor(w / 2), h, r.br);
  p.arc(0, h, 0, std::floor(h / 2), r.bl);
  p.arc(0, 0, std::floor(w / 2), 0, r.tl);
  p.arc(w, 0, w, std::floor(h / 2), r.tr);
  p.close();
}

void ULRoundedRectangleShape::addToPath(CGRect rect) const {
  ULAddOutline(*this, rect, [this](ULShapePath& p, CGFloat w, CGFloat h) { outline(p, w, h); });
}

void ULRoundedRectangleShape::addInverseToPath(CGRect rect) const {
  ULAddInverse(*this, rect, [this](ULShapePath& p, CGFloat w, CGFloat h) { outline(p, w, h); });
}

void ULRoundedRectangleShape::addTopEdgeToPath(CGRect rect, int light) const {
  CGContext* context = ULCurrentContext();
  if (!context) return;
  CGFloat w = rect.size.width, h = rect.size.height;
  Radii r = radii(h);
  ULShapePath p(*context);
  if (ULLightInFirstQuadrant(light)) {
    p.move(r.tl, 0);
  } else {
    p.move(0, r.tl);
    p.arc(0, 0, r.tl, 0, r.tl);
  }
  p.arc(w, 0, w, r.tr, r.tr);
  p.line(w, r.tr);
}

void ULRoundedRectangleShape::addRightEdgeToPath(CGRect rect, int) const {
  CGContext* context = ULCurrentContext();
  if (!context) return;
  CGFloat w = rect.size.width, h = rect.size.height;
  Radii r = radii(h);
  ULShapePath p(*context);
  p.move(w, r.tr);
  p.arc(w, h, w - r.br, h, r.br);
  p.line(w - r.br, h);
}

void ULRoundedRectangleShape::addBottomEdgeToPath(CGRect rect, int) const {
  CGContext* context = ULCurrentContext();
  if (!context) return;
  CGFloat w = rect.size.width, h = rect.size.height;
  Radii r = radii(h);
  ULShapePath p(*context);
  p.move(w - r.br, h);
  p.line(r.bl, h);
  p.arc(0, h, 0, h - r.bl, r.bl);
}

void ULRoundedRectangleShape::addLeftEdgeToPath(CGRect rect, int light) const {
  CGContext* context = ULCurrentContext();
  if (!context) return;
  CGFloat h = rect.size.height;
  Radii r = radii(h);
  ULShapePath p(*context);
  p.move(0, h - r.bl);
  p.line(0, r.tl);
  if (ULLightInFirstQuadrant(light)) p.arc(0, 0, r.tl, 0, r.tl);
}

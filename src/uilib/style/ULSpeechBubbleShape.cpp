#include "uilib/style/ULSpeechBubbleShape.h"

#include <cmath>

#include "Foundation/NSClass.h"
#include "UIKit/NSValue+UIGeometry.h"
#include "uilib/style/ULShapePath.h"

NS_CLASS_IMPLEMENTATION(ULSpeechBubbleShape) {
  c.property("radius", &ULSpeechBubbleShape::radius, &ULSpeechBubbleShape::setRadius);
  c.property("pointLocation", &ULSpeechBubbleShape::pointLocation,
             &ULSpeechBubbleShape::setPointLocation);
  c.property("pointAngle", &ULSpeechBubbleShape::pointAngle, &ULSpeechBubbleShape::setPointAngle);
  c.property("pointSize", &ULSpeechBubbleShape::pointSize, &ULSpeechBubbleShape::setPointSize);
}

namespace {

bool within(CGFloat v, CGFloat low, CGFloat high) {
  return v >= low && v <= high;
}

}  // namespace

std::shared_ptr<ULSpeechBubbleShape> ULSpeechBubbleShape::shapeWithRadius(CGFloat radius,
                                                                          CGFloat pointLocation,
                                                                          CGFloat pointAngle,
                                                                          CGSize pointSize) {
  auto shape = std::make_shared<ULSpeechBubbleShape>();
  shape->radius_ = radius;
  shape->pointLocation_ = pointLocation;
  shape->pointAngle_ = pointAngle;
  shape->pointSize_ = pointSize;
  return shape;
}

ULSpeechBubbleShape::Side ULSpeechBubbleShape::pointSide() const {
  CGFloat l = pointLocation_;
  if (l >= 45 && l < 135) return Side::Top;
  if (l >= 135 && l < 225) return Side::Right;
  if (l >= 225 && l < 315) return Side::Bottom;
  return Side::Left;
}

bool ULSpeechBubbleShape::pointsOutward() const {
  CGFloat a = pointAngle_;
  switch (pointSide()) {
    case Side::Left:
      return within(a, 270, 360) || within(a, 0, 90);
    case Side::Top:
      return within(a, 0, 180);
    case Side::Right:
      return within(a, 90, 270);
    case Side::Bottom:
      return within(a, 180, 360);
  }
  return false;
}

CGRect ULSpeechBubbleShape::subtractPointFromRect(CGRect rect) const {
  CGFloat w = rect.size.width, h = rect.size.height;
  CGFloat psw = pointSize_.width, psh = pointSize_.height;
  if (pointsOutward()) {
    switch (pointSide()) {
      case Side::Left:
        return CGRectMake(psw, 0, w - psw, h);
      case Side::Top:
        return CGRectMake(0, psh, w, h - psh);
      case Side::Right:
        return CGRectMake(0, 0, w - psw, h);
      case Side::Bottom:
        return CGRectMake(0, 0, w, h - psh);
    }
  }
  return CGRectMake(0, 0, w, h);
}

void ULSpeechBubbleShape::addTopEdge(CGSize size, int light, CGPath& path, bool reset) const {
  CGFloat w = size.width, h = size.height, r = ULResolvedRadius(radius_, h);
  CGFloat psw = pointSize_.width, psh = pointSize_.height;
  ULShapePath p(path);
  if (ULLightInFirstQuadrant(light)) {
    if (reset) p.move(r, 0);
  } else {
    if (reset) p.move(0, r);
    p.arc(0, 0, r, 0, r);
  }
  if (pointSide() == Side::Top) {
    CGFloat t = (pointLocation_ - 45) / 90, half = std::floor(psw / 2);
    CGFloat xp = r + t * (w - 2 * r - psw) + half;
    p.line(xp - half, 0);
    p.line(xp, within(pointAngle_, 0, 180) ? -psh : psh);
    p.line(xp + half, 0);
  }
  p.arc(w, 0, w, r, r);
}

void ULSpeechBubbleShape::addRightEdge(CGSize size, int, CGPath& path, bool reset) const {
  CGFloat w = size.width, h = size.height, r = ULResolvedRadius(radius_, h);
  CGFloat psw = pointSize_.width, psh = pointSize_.height;
  ULShapePath p(path);
  if (reset) p.move(w, r);
  if (pointSide() == Side::Right) {
    CGFloat t = (pointLocation_ - 135) / 90, half = std::floor(psh / 2);
    CGFloat yp = r + t * (h - 2 * r - psh) + half;
    p.line(w, yp - half);
    p.line(within(pointAngle_, 90, 270) ? w + psw : w - psw, yp);
    p.line(w, yp + half);
  }
  p.arc(w, h, w - r, h, r);
}

void ULSpeechBubbleShape::addBottomEdge(CGSize size, int, CGPath& path, bool reset) const {
  CGFloat w = size.width, h = size.height, r = ULResolvedRadius(radius_, h);
  CGFloat psw = pointSize_.width, psh = pointSize_.height;
  ULShapePath p(path);
  if (reset) p.move(w - r, h);
  if (pointSide() == Side::Bottom) {
    CGFloat t = (pointLocation_ - 225) / 90, half = std::floor(psw / 2);
    CGFloat xp = w - (half + r + t * (w - 2 * r - psw));
    p.line(xp + half, h);
    p.line(xp, within(pointAngle_, 0, 180) ? h - psh : h + psh);
    p.line(xp - half, h);
  }
  p.arc(0, h, 0, h - r, r);
}

void ULSpeechBubbleShape::addLeftEdge(CGSize size, int light, CGPath& path, bool reset) const {
  CGFloat h = size.height, r = ULResolvedRadius(radius_, h);
  CGFloat psw = pointSize_.width, psh = pointSize_.height;
  ULShapePath p(path);
  if (reset) p.move(0, h - r);
  CGFloat l = pointLocation_;
  if (l >= 0 && l < 45) l += 360;
  if (l >= 315 && l < 405) {
    CGFloat t = (l - 315) / 90;
    CGFloat yp = h - (r + t * (h - 2 * r - psh) + psh / 2);
    CGFloat half = std::floor(psh / 2);
    p.line(0, yp + half);
    p.line(pointAngle_ >= 270 || pointAngle_ <= 90 ? -psw : psw, yp);
    p.line(0, yp - half);
  }
  if (ULLightInFirstQuadrant(light))
    p.arc(0, 0, r, 0, r);
  else
    p.line(0, r);
}

void ULSpeechBubbleShape::addToPath(CGSize size, CGPath& path) const {
  addTopEdge(size, 0, path, true);
  addRightEdge(size, 0, path, false);
  addBottomEdge(size, 0, path, false);
  addLeftEdge(size, 0, path, false);
}

void ULSpeechBubbleShape::drawPath(const CGPath& path, CGRect rect) const {
  CGContext* context = ULCurrentContext();
  if (!context) return;
  context->translateCTM(rect.origin.x, rect.origin.y);
  context->addPath(path);
  context->translateCTM(-rect.origin.x, -rect.origin.y);
}

UIEdgeInsets ULSpeechBubbleShape::insetsForSize(CGSize) const {
  return UIEdgeInsetsZero;
}

void ULSpeechBubbleShape::addToPath(CGRect rect) const {
  if (!ULCurrentContext()) return;
  openPath(rect);
  CGRect body = subtractPointFromRect(rect);
  CGPath path;
  addToPath(body.size, path);
  path.closeSubpath();
  drawPath(path, body);
  closePath(rect);
}

void ULSpeechBubbleShape::addInverseToPath(CGRect rect) const {
  if (!ULCurrentContext()) return;
  openPath(rect);
  CGRect body = subtractPointFromRect(rect);
  CGPath path;
  path.addRect(nullptr, CGRectMake(-5, -5, body.size.width + 10, body.size.height + 10));
  addToPath(body.size, path);
  path.closeSubpath();
  drawPath(path, body);
  closePath(rect);
}

template <class Builder>
void ULSpeechBubbleShape::addSide(CGRect rect, int light, Builder builder) const {
  if (!ULCurrentContext()) return;
  CGRect body = subtractPointFromRect(rect);
  CGPath path;
  (this->*builder)(body.size, light, path, true);
  drawPath(path, body);
}

void ULSpeechBubbleShape::addTopEdgeToPath(CGRect rect, int light) const {
  addSide(rect, light, &ULSpeechBubbleShape::addTopEdge);
}

void ULSpeechBubbleShape::addRightEdgeToPath(CGRect rect, int light) const {
  addSide(rect, light, &ULSpeechBubbleShape::addRightEdge);
}

void ULSpeechBubbleShape::addBottomEdgeToPath(CGRect rect, int light) const {
  addSide(rect, light, &ULSpeechBubbleShape::addBottomEdge);
}

void ULSpeechBubbleShape::addLeftEdgeToPath(CGRect rect, int light) const {
  addSide(rect, light, &ULSpeechBubbleShape::addLeftEdge);
}

#include "uilib/style/ULRectangleShape.h"

#include "Foundation/NSClass.h"
#include "uilib/style/ULShapePath.h"

NS_CLASS_IMPLEMENTATION(ULRectangleShape) {
  c.classMethod("shape", &ULRectangleShape::shape);
}

namespace {

void outline(ULShapePath& p, CGFloat w, CGFloat h) {
  p.move(0, 0);
  p.line(w, 0);
  p.line(w, h);
  p.line(0, h);
  p.close();
}

void side(CGRect rect, CGFloat x0, CGFloat y0, CGFloat x1, CGFloat y1) {
  CGContext* context = ULCurrentContext();
  if (!context) return;
  CGFloat w = rect.size.width, h = rect.size.height;
  context->moveToPoint(x0 * w, y0 * h);
  context->addLineToPoint(x1 * w, y1 * h);
}

}  // namespace

std::shared_ptr<ULRectangleShape> ULRectangleShape::shape() {
  static const auto shared = std::make_shared<ULRectangleShape>();
  return shared;
}

void ULRectangleShape::addTopEdgeToPath(CGRect rect, int) const {
  side(rect, 0, 0, 1, 0);
}

void ULRectangleShape::addRightEdgeToPath(CGRect rect, int) const {
  side(rect, 1, 0, 1, 1);
}

void ULRectangleShape::addBottomEdgeToPath(CGRect rect, int) const {
  side(rect, 1, 1, 0, 1);
}

void ULRectangleShape::addLeftEdgeToPath(CGRect rect, int) const {
  side(rect, 0, 1, 0, 0);
}

void ULRectangleShape::addToPath(CGRect rect) const {
  ULAddOutline(*this, rect, outline);
}

void ULRectangleShape::addInverseToPath(CGRect rect) const {
  ULAddInverse(*this, rect, outline);
}

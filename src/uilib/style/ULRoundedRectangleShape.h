// A rectangle with four corner radii of its own (each may be ULRadiusRounded).  The outline
// starts at the middle of the right side, its height halved and rounded down.  A side takes
// its corners clockwise; the top-left corner belongs to the left side when the light is in
// 0 ... 90 and to the top side otherwise.
#pragma once

#include "uilib/style/ULShape.h"

class ULShapePath;

class ULRoundedRectangleShape : public ULShape {
  NS_CLASS(ULRoundedRectangleShape, ULShape)

 public:
  static std::shared_ptr<ULRoundedRectangleShape> shapeWithRadius(CGFloat radius);
  static std::shared_ptr<ULRoundedRectangleShape> shapeWithTopLeft(CGFloat topLeft,
                                                                   CGFloat topRight,
                                                                   CGFloat bottomRight,
                                                                   CGFloat bottomLeft);

  CGFloat topLeftRadius() const { return topLeft_; }
  void setTopLeftRadius(CGFloat r) { topLeft_ = r; }
  CGFloat topRightRadius() const { return topRight_; }
  void setTopRightRadius(CGFloat r) { topRight_ = r; }
  CGFloat bottomRightRadius() const { return bottomRight_; }
  void setBottomRightRadius(CGFloat r) { bottomRight_ = r; }
  CGFloat bottomLeftRadius() const { return bottomLeft_; }
  void setBottomLeftRadius(CGFloat r) { bottomLeft_ = r; }

  void addTopEdgeToPath(CGRect rect, int lightSource) const override;
  void addRightEdgeToPath(CGRect rect, int lightSource) const override;
  void addBottomEdgeToPath(CGRect rect, int lightSource) const override;
  void addLeftEdgeToPath(CGRect rect, int lightSource) const override;
  void addToPath(CGRect rect) const override;
  void addInverseToPath(CGRect rect) const override;

 private:
  struct Radii {
    CGFloat tl, tr, br, bl;
  };
  Radii radii(CGFloat height) const;
  void outline(ULShapePath& p, CGFloat w, CGFloat h) const;

  CGFloat topLeft_ = 0, topRight_ = 0, bottomRight_ = 0, bottomLeft_ = 0;
};

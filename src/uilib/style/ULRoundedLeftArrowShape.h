// A rounded arrow pointing left (the toolbar's back button): the point's depth is the height
// ÷ 2.8 rounded down, its two slopes rounded with twice the radius, the right corners with the
// radius.  The point takes room on the left: the radius, or for ULRadiusRounded a sixth of the
// height rounded to the nearest point (not half the height), rounded down.  The bottom side
// stops one point short of where the left side starts.
#pragma once

#include "uilib/style/ULShape.h"

class ULShapePath;

class ULRoundedLeftArrowShape : public ULShape {
  NS_CLASS(ULRoundedLeftArrowShape, ULShape)

 public:
  static std::shared_ptr<ULRoundedLeftArrowShape> shapeWithRadius(CGFloat radius);

  CGFloat radius() const { return radius_; }
  void setRadius(CGFloat r) { radius_ = r; }

  UIEdgeInsets insetsForSize(CGSize size) const override;
  void addTopEdgeToPath(CGRect rect, int lightSource) const override;
  void addRightEdgeToPath(CGRect rect, int lightSource) const override;
  void addBottomEdgeToPath(CGRect rect, int lightSource) const override;
  void addLeftEdgeToPath(CGRect rect, int lightSource) const override;
  void addToPath(CGRect rect) const override;
  void addInverseToPath(CGRect rect) const override;

 private:
  void outline(ULShapePath& p, CGFloat w, CGFloat h) const;

  CGFloat radius_ = 0;
};

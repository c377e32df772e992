// A rounded arrow pointing right (the toolbar's forward button), the left arrow's mirror in
// depth and radii; its point takes room on the right.  It has no inverse path: an inner shadow
// on it draws nothing.
#pragma once

#include "uilib/style/ULShape.h"

class ULRoundedRightArrowShape : public ULShape {
  NS_CLASS(ULRoundedRightArrowShape, ULShape)

 public:
  static std::shared_ptr<ULRoundedRightArrowShape> shapeWithRadius(CGFloat radius);

  CGFloat radius() const { return radius_; }
  void setRadius(CGFloat r) { radius_ = r; }

  UIEdgeInsets insetsForSize(CGSize size) const override;
  void addTopEdgeToPath(CGRect rect, int lightSource) const override;
  void addRightEdgeToPath(CGRect rect, int lightSource) const override;
  void addBottomEdgeToPath(CGRect rect, int lightSource) const override;
  void addLeftEdgeToPath(CGRect rect, int lightSource) const override;
  void addToPath(CGRect rect) const override;

 private:
  CGFloat radius_ = 0;
};

// The plain rectangle: the shape of every chain that chooses none.
#pragma once

#include "uilib/style/ULShape.h"

class ULRectangleShape : public ULShape {
  NS_CLASS(ULRectangleShape, ULShape)

 public:
  // The one shared rectangle, made on first use and kept for the program.
  static std::shared_ptr<ULRectangleShape> shape();

  // Sides go clockwise from the top-left corner; the light is not looked at.
  void addTopEdgeToPath(CGRect rect, int lightSource) const override;
  void addRightEdgeToPath(CGRect rect, int lightSource) const override;
  void addBottomEdgeToPath(CGRect rect, int lightSource) const override;
  void addLeftEdgeToPath(CGRect rect, int lightSource) const override;
  void addToPath(CGRect rect) const override;
  void addInverseToPath(CGRect rect) const override;
};

// A rounded rectangle with a triangular point on one of its sides.
//
// pointLocation (degrees) runs clockwise around the outline from the middle of the left side:
// left side for 315 ... 360 and 0 ... 45, top for 45 ... 135, right for 135 ... 225, bottom
// for 225 ... 315 (lower bounds included); along a side the point moves evenly from its first
// corner to its last.  pointAngle (degrees, same compass) says where it points: outward from
// the left side for 270 ... 360 and 0 ... 90, from the top for 0 ... 180, from the right for
// 90 ... 270, from the bottom for 180 ... 360 (bounds included); otherwise into the bubble.
// A point outward takes its room from the rectangle: the rest is the body, whose height
// ULRadiusRounded halves.  The left side's point keeps its half height unrounded (the other
// sides round it down).
//
// The side builders add to a path object, not to the context, in the body's coordinates;
// drawPath places such a path in the current context at the body's origin.
#pragma once

#include "CoreGraphics/CGPath.h"
#include "uilib/style/ULShape.h"

class ULSpeechBubbleShape : public ULShape {
  NS_CLASS(ULSpeechBubbleShape, ULShape)

 public:
  static std::shared_ptr<ULSpeechBubbleShape> shapeWithRadius(CGFloat radius, CGFloat pointLocation,
                                                              CGFloat pointAngle, CGSize pointSize);

  CGFloat radius() const { return radius_; }
  void setRadius(CGFloat r) { radius_ = r; }
  CGFloat pointLocation() const { return pointLocation_; }
  void setPointLocation(CGFloat l) { pointLocation_ = l; }
  CGFloat pointAngle() const { return pointAngle_; }
  void setPointAngle(CGFloat a) { pointAngle_ = a; }
  CGSize pointSize() const { return pointSize_; }
  void setPointSize(CGSize s) { pointSize_ = s; }

  // The body: the rectangle less the room of a point that points outward, relative to the
  // rectangle's corner (the rectangle's own origin is not carried over).
  CGRect subtractPointFromRect(CGRect rect) const;
  // The four sides of a body of the size, with the light, added to the path; with reset, each
  // starts with a move.
  void addTopEdge(CGSize size, int lightSource, CGPath& path, bool reset) const;
  void addRightEdge(CGSize size, int lightSource, CGPath& path, bool reset) const;
  void addBottomEdge(CGSize size, int lightSource, CGPath& path, bool reset) const;
  void addLeftEdge(CGSize size, int lightSource, CGPath& path, bool reset) const;
  // The four sides in one outline (light 0).
  void addToPath(CGSize size, CGPath& path) const;
  // The path added to the current context moved to the rectangle's origin.
  void drawPath(const CGPath& path, CGRect rect) const;

  UIEdgeInsets insetsForSize(CGSize size) const override;
  void addTopEdgeToPath(CGRect rect, int lightSource) const override;
  void addRightEdgeToPath(CGRect rect, int lightSource) const override;
  void addBottomEdgeToPath(CGRect rect, int lightSource) const override;
  void addLeftEdgeToPath(CGRect rect, int lightSource) const override;
  void addToPath(CGRect rect) const override;
  void addInverseToPath(CGRect rect) const override;

 private:
  enum class Side { Left, Top, Right, Bottom };
  Side pointSide() const;
  bool pointsOutward() const;
  template <class Builder>
  void addSide(CGRect rect, int lightSource, Builder builder) const;

  CGFloat radius_ = 0;
  CGFloat pointLocation_ = 0;
  CGFloat pointAngle_ = 0;
  CGSize pointSize_;
};

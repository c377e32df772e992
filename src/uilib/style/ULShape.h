// Shapes: the outline that every fill, border, clip and shadow of a style chain follows.  A
// shape adds paths to the current graphics context (UIGraphicsGetCurrentContext; without one
// it does nothing):
// - addToPath: its closed outline in the rectangle, replacing nothing: the caller begins the
//   path it wants (fills and clips);
// - addInverseToPath: the outline cut out of the rectangle grown by 5 points on every side
//   (filled even-odd, a frame around the outline: inner shadows);
// - the four side operations: one open sub-path each, for borders that draw their sides in
//   different colours.  They do not open or close the path: the caller sends openPath and
//   closePath around them.  The light-source angle (degrees, 0 at the right, 90 at the top)
//   decides which side a corner belongs to where a shape says so; "light in 0 ... 90" means
//   0 ≤ angle ≤ 90, every other value (negative ones included) counting as outside.
//
// openPath saves the graphics state, moves the origin to the rectangle's corner and begins a
// new path; closePath closes the current sub-path and restores the state (the path stays, the
// translation is undone).  Coordinates inside are relative to the rectangle's corner.
//
// Radii may be ULRadiusRounded: half the height, rounded to the nearest point (for a speech
// bubble, of its body), also for corners measured along the width.
//
// Shapes are not changed while they draw; one may be shared by many chains.  Main thread only.
#pragma once

#include <memory>

#include "CoreGraphics/CGGeometry.h"
#include "Foundation/NSObject.h"
#include "UIKit/UIGeometry.h"

// The radius that means half the height.
inline constexpr CGFloat ULRadiusRounded = -1;

class ULShape : public NSObject {
  NS_CLASS(ULShape, NSObject)

 public:
  virtual void openPath(CGRect rect) const;
  virtual void closePath(CGRect rect) const;
  // Room the shape needs around content (none but for the arrows' points).
  virtual UIEdgeInsets insetsForSize(CGSize size) const;
  virtual void addTopEdgeToPath(CGRect rect, int lightSource) const {}
  virtual void addRightEdgeToPath(CGRect rect, int lightSource) const {}
  virtual void addBottomEdgeToPath(CGRect rect, int lightSource) const {}
  virtual void addLeftEdgeToPath(CGRect rect, int lightSource) const {}
  virtual void addToPath(CGRect rect) const {}
  virtual void addInverseToPath(CGRect rect) const {}
};

using ULShapePtr = std::shared_ptr<ULShape>;

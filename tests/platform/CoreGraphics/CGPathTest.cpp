// Paths as the drawing code builds them: arcs by the platform's angle convention, tangent arcs
// from their two tangent points, rounded rectangles, and the fill rules.
#include <gtest/gtest.h>

#include <cmath>

#include "CoreGraphics/CGPath.h"

namespace {

void expectNear(CGPoint a, CGPoint b, double eps = 1e-9) {
  EXPECT_NEAR(a.x, b.x, eps) << "x";
  EXPECT_NEAR(a.y, b.y, eps) << "y";
}

void expectRectNear(CGRect a, CGRect b, double eps = 1e-6) {
  EXPECT_NEAR(a.origin.x, b.origin.x, eps);
  EXPECT_NEAR(a.origin.y, b.origin.y, eps);
  EXPECT_NEAR(a.size.width, b.size.width, eps);
  EXPECT_NEAR(a.size.height, b.size.height, eps);
}

TEST(CGPathTest, ArcsRunByIncreasingAnglesUnlessClockwise) {
  struct Case {
    double start, end;
    bool clockwise;
    CGPoint endPoint;
    CGRect box;  // of a radius-10 arc about the origin
  };
  const Case cases[] = {
      // A quarter from 0 to π/2 by increasing angle: (10, 0) to (0, 10).
      {0, M_PI / 2, false, {0, 10}, {{0, 0}, {10, 10}}},
      // The same ends clockwise: the other three quarters.
      {0, M_PI / 2, true, {0, 10}, {{-10, -10}, {20, 20}}},
      // A full turn is a full circle; clockwise from 0 to 2π is nothing.
      {0, 2 * M_PI, false, {10, 0}, {{-10, -10}, {20, 20}}},
      {0, 2 * M_PI, true, {10, 0}, {{10, 0}, {0, 0}}},
      // Twelve o'clock on a flipped screen round to three o'clock, as a pie slice starts.
      {-M_PI / 2, 0, false, {10, 0}, {{0, -10}, {10, 10}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.start) + " -> " + std::to_string(c.end) +
                 (c.clockwise ? " clockwise" : ""));
    CGPath p;
    p.addArc(nullptr, 0, 0, 10, c.start, c.end, c.clockwise);
    ASSERT_TRUE(p.currentPoint());
    expectNear(*p.currentPoint(), c.endPoint, 1e-9);
    expectRectNear(p.pathBoundingBox(), c.box, 1e-3);
  }
}

TEST(CGPathTest, AnArcAfterAPointIsJoinedByALine) {
  CGPath p;
  p.moveToPoint(nullptr, 0, 0);
  p.addArc(nullptr, 50, 0, 10, M_PI, 0, true);  // over the top in a y-up space
  ASSERT_GE(p.elements().size(), 3u);
  EXPECT_EQ(p.elements()[1].type, CGPathElementType::AddLineToPoint);
  expectNear(p.elements()[1].points[0], {40, 0}, 1e-9);
  expectNear(*p.currentPoint(), {60, 0}, 1e-9);
  // Clockwise from π to 0 goes through π/2 (y = +10 above the centre in a y-up space).
  expectRectNear(p.pathBoundingBox(), {{0, 0}, {60, 10}}, 1e-3);
}

TEST(CGPathTest, TangentArcRoundsTheCornerBetweenItsTangentPoints) {
  // From (0, 0) toward the corner (10, 0), then on to (10, 10), radius 4: the arc touches the
  // first line at (6, 0), ends at (10, 4) and is centred at (6, 4).
  CGPath p;
  p.moveToPoint(nullptr, 0, 0);
  p.addArcToPoint(nullptr, 10, 0, 10, 10, 4);
  expectNear(p.elements()[1].points[0], {6, 0}, 1e-9);
  expectNear(*p.currentPoint(), {10, 4}, 1e-9);
  // Halfway along the arc: the centre (6, 4) plus 4 at -45°.
  p.addLineToPoint(nullptr, 0, 0);
  p.closeSubpath();
  CGPoint mid{6 + 4 * std::cos(-M_PI / 4), 4 + 4 * std::sin(-M_PI / 4)};
  EXPECT_TRUE(p.containsPoint(nullptr, {mid.x - 0.1, mid.y + 0.1}, false));
  EXPECT_FALSE(p.containsPoint(nullptr, {mid.x + 0.2, mid.y - 0.2}, false));
  expectRectNear(p.pathBoundingBox(), {{0, 0}, {10, 4}}, 1e-6);

  // Degenerate: points in a line, or no radius, give a line to the corner.
  CGPath line;
  line.moveToPoint(nullptr, 0, 0);
  line.addArcToPoint(nullptr, 10, 0, 20, 0, 4);
  EXPECT_EQ(line.elements().back().type, CGPathElementType::AddLineToPoint);
  expectNear(*line.currentPoint(), {10, 0});
  CGPath noRadius;
  noRadius.moveToPoint(nullptr, 0, 0);
  noRadius.addArcToPoint(nullptr, 10, 0, 10, 10, 0);
  expectNear(*noRadius.currentPoint(), {10, 0});
  // Without a current point the tangent arc starts at the corner.
  CGPath empty;
  empty.addArcToPoint(nullptr, 10, 0, 10, 10, 4);
  expectNear(*empty.currentPoint(), {10, 0});
}

TEST(CGPathTest, RoundedRectanglesFromScaledUnitArcsHaveEllipticalCorners) {
  // The rounded-rectangle recipe: translate to the corner, scale by the oval size, arcs of
  // radius 1 through the four corners.
  CGRect rect{{10, 20}, {100, 50}};
  CGFloat ow = 20, oh = 10;
  CGAffineTransform t = CGAffineTransformScale(
      CGAffineTransformMakeTranslation(rect.origin.x, rect.origin.y), ow, oh);
  CGFloat fw = rect.size.width / ow, fh = rect.size.height / oh;
  CGPath p;
  p.moveToPoint(&t, fw, fh / 2);
  p.addArcToPoint(&t, fw, fh, fw / 2, fh, 1);
  p.addArcToPoint(&t, 0, fh, 0, fh / 2, 1);
  p.addArcToPoint(&t, 0, 0, fw / 2, 0, 1);
  p.addArcToPoint(&t, fw, 0, fw, fh / 2, 1);
  p.closeSubpath();
  expectRectNear(p.pathBoundingBox(), rect, 1e-6);
  // A corner's very tip is outside, a point just inside the rounding is in.
  EXPECT_FALSE(p.containsPoint(nullptr, {10.5, 20.5}, false));
  EXPECT_TRUE(p.containsPoint(nullptr, {60, 45}, false));
  EXPECT_TRUE(p.containsPoint(
      nullptr, {10 + 20 - 20 * std::cos(M_PI / 4) + 1, 20 + 10 - 10 * std::sin(M_PI / 4) + 1},
      false));

  CGPath direct;
  direct.addRoundedRect(nullptr, rect, ow, oh);
  expectRectNear(direct.pathBoundingBox(), rect, 1e-6);
  EXPECT_FALSE(direct.containsPoint(nullptr, {10.5, 20.5}, false));
  CGPath plain;
  plain.addRoundedRect(nullptr, rect, 0, 10);
  EXPECT_EQ(plain.elements().size(), 5u);  // a plain rectangle
}

TEST(CGPathTest, EvenOddLeavesTheHoleOfARingWhereNonZeroFillsIt) {
  CGPath ring;
  ring.addRect(nullptr, {{-5, -5}, {110, 110}});
  ring.addRect(nullptr, {{0, 0}, {100, 100}});  // same direction: non-zero fills it
  EXPECT_TRUE(ring.containsPoint(nullptr, {50, 50}, false));
  EXPECT_FALSE(ring.containsPoint(nullptr, {50, 50}, true));
  EXPECT_TRUE(ring.containsPoint(nullptr, {-2, 50}, true));
  EXPECT_FALSE(ring.containsPoint(nullptr, {200, 50}, false));
}

TEST(CGPathTest, TransformsApplyToEveryAddedPoint) {
  CGAffineTransform t = CGAffineTransformMakeTranslation(5, 7);
  CGPath p;
  p.addEllipseInRect(&t, {{0, 0}, {20, 10}});
  expectRectNear(p.pathBoundingBox(), {{5, 7}, {20, 10}}, 1e-6);
  expectNear(p.elements().front().points[0], {25, 12});  // starts at (max x, mid y)
  CGPath copy;
  copy.addPath(nullptr, p);
  EXPECT_EQ(copy, p);
  EXPECT_EQ(p.transformed(CGAffineTransformMakeTranslation(-5, -7)).pathBoundingBox().origin,
            CGPointMake(0, 0));
}

}  // namespace

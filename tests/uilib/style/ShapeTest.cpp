// The five shapes, read back from the recording context: the corners and radii of their tangent
// arcs ("arcToPoint" records), where their outlines start and how far their paths reach.
#include <gtest/gtest.h>

#include "StyleTestSupport.h"
#include "uilib/style/ULRectangleShape.h"
#include "uilib/style/ULRoundedLeftArrowShape.h"
#include "uilib/style/ULRoundedRectangleShape.h"
#include "uilib/style/ULRoundedRightArrowShape.h"
#include "uilib/style/ULSpeechBubbleShape.h"

namespace {

class ShapeTest : public StyleTest {
 protected:
  // The first point of the path the context holds now, in the context's space.
  CGPoint startOfPath() const {
    CGPath path = context->copyPath();
    if (path.isEmpty()) return CGPointMake(-999, -999);
    return path.elements().front().points[0];
  }
  CGRect boxOfPath() const { return context->copyPath().boundingBox(); }
  // "arcToPoint (x y; 0 0) toward=(x y) radius=r" lines.
  std::vector<std::string> arcs() const { return descriptions("arcToPoint"); }
};

TEST_F(ShapeTest, ARoundedRectangleStartsHalfwayDownItsRightSideAndRoundsTheMarkerToTheNearest) {
  ULRoundedRectangleShape::shapeWithRadius(ULRadiusRounded)->addToPath(CGRectMake(0, 0, 100, 31));
  EXPECT_EQ(startOfPath().x, 100);
  EXPECT_EQ(startOfPath().y, 15);  // 31 / 2 rounded down
  EXPECT_EQ(arcs(), (std::vector<std::string>{
                        "arcToPoint (100 31; 0 0) toward=(50 31) radius=16",
                        "arcToPoint (0 31; 0 0) toward=(0 15) radius=16",
                        "arcToPoint (0 0; 0 0) toward=(50 0) radius=16",
                        "arcToPoint (100 0; 0 0) toward=(100 15) radius=16",
                    }));
}

TEST_F(ShapeTest, TheRoundedMarkerIsHalfTheHeightForEveryCornerWhateverTheWidth) {
  for (CGFloat width : {30.0, 200.0}) {
    context->clearRecords();
    ULRoundedRectangleShape::shapeWithRadius(ULRadiusRounded)
        ->addToPath(CGRectMake(10, 20, width, 30));
    auto all = records("arcToPoint");
    ASSERT_EQ(all.size(), 4u) << width;
    for (const auto& arc : all) EXPECT_NE(arc.detail.find("radius=15"), std::string::npos) << width;
    // The rectangle's corner is the shape's origin.
    EXPECT_EQ(startOfPath().x, 10 + width);
    EXPECT_EQ(startOfPath().y, 35);
  }
}

TEST_F(ShapeTest, ALeftArrowPointsFromHalfItsHeightWithADepthOfHeightOver2Point8) {
  auto arrow = ULRoundedLeftArrowShape::shapeWithRadius(4);
  arrow->addToPath(CGRectMake(0, 0, 60, 30));
  EXPECT_EQ(startOfPath().x, 0);
  EXPECT_EQ(startOfPath().y, 15);
  EXPECT_EQ(arcs(), (std::vector<std::string>{
                        "arcToPoint (10 0; 0 0) toward=(56 0) radius=8",
                        "arcToPoint (60 0; 0 0) toward=(60 4) radius=4",
                        "arcToPoint (60 30; 0 0) toward=(18 30) radius=4",
                        "arcToPoint (10 30; 0 0) toward=(0 15) radius=8",
                    }));
}

TEST_F(ShapeTest, TheArrowsLeaveRoomForTheirPointAndTheMarkerCountsAThirdOfTheHeight) {
  struct Case {
    ULShapePtr shape;
    UIEdgeInsets insets;
  } cases[] = {
      {ULRoundedLeftArrowShape::shapeWithRadius(4), UIEdgeInsetsMake(0, 4, 0, 0)},
      {ULRoundedLeftArrowShape::shapeWithRadius(ULRadiusRounded), UIEdgeInsetsMake(0, 5, 0, 0)},
      {ULRoundedRightArrowShape::shapeWithRadius(4.5), UIEdgeInsetsMake(0, 0, 0, 4)},
      {ULRoundedRightArrowShape::shapeWithRadius(ULRadiusRounded), UIEdgeInsetsMake(0, 0, 0, 5)},
      {ULRoundedRectangleShape::shapeWithRadius(ULRadiusRounded), UIEdgeInsetsZero},
      {ULRectangleShape::shape(), UIEdgeInsetsZero},
  };
  for (const auto& c : cases) {
    UIEdgeInsets got = c.shape->insetsForSize(CGSizeMake(60, 30));
    EXPECT_TRUE(UIEdgeInsetsEqualToEdgeInsets(got, c.insets))
        << c.shape->className() << " left " << got.left << " right " << got.right;
  }
}

TEST_F(ShapeTest, EveryInversePathReachesFivePointsBeyondTheRectangle) {
  const CGRect rect = CGRectMake(20, 30, 80, 40);
  ULShapePtr shapes[] = {
      ULRectangleShape::shape(),
      ULRoundedRectangleShape::shapeWithRadius(6),
      ULRoundedLeftArrowShape::shapeWithRadius(4),
      ULSpeechBubbleShape::shapeWithRadius(5, 90, 90, CGSizeMake(10, 8)),
  };
  for (const auto& shape : shapes) {
    context->beginPath();
    shape->addInverseToPath(rect);
    // The speech bubble's frame is around its body, which begins 8 below the top for the
    // point; the point's tip reaches the top.
    CGRect expected = shape->isKindOfClass(ULSpeechBubbleShape::classObject())
                          ? CGRectMake(15, 30, 90, 45)
                          : CGRectMake(15, 25, 90, 50);
    EXPECT_TRUE(sameRect(boxOfPath(), expected)) << shape->className();
  }
  // The right arrow has no inverse: nothing is added.
  context->beginPath();
  ULRoundedRightArrowShape::shapeWithRadius(4)->addInverseToPath(rect);
  EXPECT_TRUE(context->isPathEmpty());
}

TEST_F(ShapeTest, TheTopLeftCornerGoesWithTheLeftSideOnlyWhenTheLightIsInTheFirstQuadrant) {
  auto shape = ULRoundedRectangleShape::shapeWithRadius(5);
  const CGRect rect = CGRectMake(0, 0, 100, 30);
  struct Case {
    int light;
    CGPoint topStart;
    size_t topArcs, leftArcs;
  } cases[] = {
      {125, CGPointMake(0, 5), 2, 0}, {45, CGPointMake(5, 0), 1, 1},
      {0, CGPointMake(5, 0), 1, 1},   {90, CGPointMake(5, 0), 1, 1},
      {-10, CGPointMake(0, 5), 2, 0}, {270, CGPointMake(0, 5), 2, 0},
  };
  for (const auto& c : cases) {
    context->clearRecords();
    context->beginPath();
    shape->addTopEdgeToPath(rect, c.light);
    EXPECT_EQ(startOfPath().x, c.topStart.x) << c.light;
    EXPECT_EQ(startOfPath().y, c.topStart.y) << c.light;
    EXPECT_EQ(records("arcToPoint").size(), c.topArcs) << c.light;
    context->clearRecords();
    context->beginPath();
    shape->addLeftEdgeToPath(rect, c.light);
    EXPECT_EQ(records("arcToPoint").size(), c.leftArcs) << c.light;
  }
}

TEST_F(ShapeTest, ARectangleSideRunsClockwiseAlongItsEdge) {
  auto shape = ULRectangleShape::shape();
  const CGRect rect = CGRectMake(0, 0, 40, 20);
  struct Case {
    void (ULShape::*side)(CGRect, int) const;
    CGPoint from, to;
  } cases[] = {
      {&ULShape::addTopEdgeToPath, CGPointMake(0, 0), CGPointMake(40, 0)},
      {&ULShape::addRightEdgeToPath, CGPointMake(40, 0), CGPointMake(40, 20)},
      {&ULShape::addBottomEdgeToPath, CGPointMake(40, 20), CGPointMake(0, 20)},
      {&ULShape::addLeftEdgeToPath, CGPointMake(0, 20), CGPointMake(0, 0)},
  };
  for (const auto& c : cases) {
    context->beginPath();
    (shape.get()->*c.side)(rect, 125);
    CGPath path = context->copyPath();
    const auto& elements = path.elements();
    ASSERT_EQ(elements.size(), 2u);
    EXPECT_TRUE(CGPointEqualToPoint(elements[0].points[0], c.from));
    EXPECT_TRUE(CGPointEqualToPoint(elements[1].points[0], c.to));
  }
}

TEST_F(ShapeTest, ASpeechBubblePointingOutOfItsTopGivesUpThePointsHeightToItsBody) {
  auto bubble = ULSpeechBubbleShape::shapeWithRadius(5, 90, 90, CGSizeMake(10, 8));
  EXPECT_TRUE(sameRect(bubble->subtractPointFromRect(CGRectMake(7, 7, 100, 50)),
                       CGRectMake(0, 8, 100, 42)));
  bubble->addToPath(CGRectMake(0, 0, 100, 50));
  // The tip, halfway along the top between the corners: (50, -8) in the body, (50, 0) here.
  bool tip = false;
  CGPath path = context->copyPath();
  for (const auto& e : path.elements())
    if (e.type == CGPathElementType::AddLineToPoint && e.points[0].x == 50 && e.points[0].y == 0)
      tip = true;
  EXPECT_TRUE(tip);
  EXPECT_TRUE(sameRect(boxOfPath(), CGRectMake(0, 0, 100, 50)));
}

TEST_F(ShapeTest, ASpeechBubblePointingInwardKeepsItsWholeBody) {
  auto bubble = ULSpeechBubbleShape::shapeWithRadius(5, 90, 270, CGSizeMake(10, 8));
  EXPECT_TRUE(sameRect(bubble->subtractPointFromRect(CGRectMake(0, 0, 100, 50)),
                       CGRectMake(0, 0, 100, 50)));
  bubble->addToPath(CGRectMake(0, 0, 100, 50));
  // The tip points down into the bubble: nothing leaves the rectangle.
  EXPECT_TRUE(sameRect(boxOfPath(), CGRectMake(0, 0, 100, 50)));
}

TEST_F(ShapeTest, ShapesDrawNothingWithoutACurrentContext) {
  UIGraphicsPopContext();
  ULRoundedRectangleShape::shapeWithRadius(4)->addToPath(CGRectMake(0, 0, 10, 10));
  ULSpeechBubbleShape::shapeWithRadius(4, 0, 0, CGSizeMake(4, 4))
      ->addInverseToPath(CGRectMake(0, 0, 10, 10));
  UIGraphicsPushContext(context);
  EXPECT_TRUE(context->records().empty());
  EXPECT_TRUE(context->isPathEmpty());
}

}  // namespace

// Fills, borders, shadows and effects: what they stroke and fill, and the frame they leave to the
// rest of the chain (a plain style at the end records the frame it is handed).
#include <gtest/gtest.h>

#include "StyleTestSupport.h"
#include "UIKit/UIGraphics.h"
#include "uilib/style/ULBevelBorderStyle.h"
#include "uilib/style/ULBlendStyle.h"
#include "uilib/style/ULFourBorderStyle.h"
#include "uilib/style/ULHighlightBorderStyle.h"
#include "uilib/style/ULInnerShadowStyle.h"
#include "uilib/style/ULInsetStyle.h"
#include "uilib/style/ULLinearGradientBorderStyle.h"
#include "uilib/style/ULMaskStyle.h"
#include "uilib/style/ULReflectiveFillStyle.h"
#include "uilib/style/ULShadowStyle.h"
#include "uilib/style/ULSolidBorderStyle.h"
#include "uilib/style/ULSolidFillStyle.h"

namespace {

using BorderShadowStyleTest = StyleTest;

std::shared_ptr<UIColor> rgb(CGFloat r, CGFloat g, CGFloat b) {
  return UIColor::colorWithRed(r, g, b, 1);
}

TEST_F(BorderShadowStyleTest, ASolidBorderStrokesHalfItsWidthInAndLeavesTheInsideToTheRest) {
  auto c =
      draw(ULSolidBorderStyle::styleWithColor(UIColor::blackColor(), 1), CGRectMake(0, 0, 100, 30));
  EXPECT_EQ(descriptions("strokePath"),
            (std::vector<std::string>{"strokePath (0.5 0.5; 99 29) stroke=rgba(0 0 0 1) width=1"}));
  EXPECT_TRUE(sameRect(c->frame(), CGRectMake(1, 1, 98, 28)));
  // Content is not moved by borders.
  EXPECT_TRUE(sameRect(c->contentFrame(), CGRectMake(0, 0, 100, 30)));
}

TEST_F(BorderShadowStyleTest, AFourBorderShrinksTheFrameOnlyOnTheSidesItColours) {
  struct Case {
    std::shared_ptr<UIColor> top, right, bottom, left;
    CGRect frame;
  } cases[] = {
      {nullptr, nullptr, UIColor::blackColor(), nullptr, CGRectMake(0, 0, 100, 29)},
      {UIColor::blackColor(), nullptr, nullptr, nullptr, CGRectMake(0, 1, 100, 29)},
      {nullptr, UIColor::blackColor(), nullptr, UIColor::blackColor(), CGRectMake(1, 0, 98, 30)},
      {UIColor::blackColor(), UIColor::blackColor(), UIColor::blackColor(), UIColor::blackColor(),
       CGRectMake(1, 1, 98, 28)},
  };
  for (const auto& k : cases) {
    auto c = draw(ULFourBorderStyle::styleWithTop(k.top, k.right, k.bottom, k.left, 1),
                  CGRectMake(0, 0, 100, 30));
    EXPECT_TRUE(sameRect(c->frame(), k.frame));
  }
}

TEST_F(BorderShadowStyleTest, AFourBorderWithOnlyABottomColourPaintsOnlyTheBottomLine) {
  draw(ULFourBorderStyle::styleWithBottom(rgb(1, 0, 0), 1), CGRectMake(0, 0, 100, 30));
  // Four sides are stroked; only the bottom one in a colour that shows, half a width up.
  EXPECT_EQ(descriptions("strokePath"),
            (std::vector<std::string>{
                "strokePath (0 0; 100 0) stroke=rgba(0 0 0 0) width=1",
                "strokePath (100 0; 0 29.5) stroke=rgba(0 0 0 0) width=1",
                "strokePath (0 29.5; 100 0) stroke=rgba(1 0 0 1) width=1",
                "strokePath (0 0; 0 29.5) stroke=rgba(0 0 0 0) width=1",
            }));
}

TEST_F(BorderShadowStyleTest, ABevelLitFromBelowShadesTheTopAndLightsTheOtherSides) {
  auto c = draw(ULBevelBorderStyle::styleWithHighlight(rgb(1, 1, 1), rgb(0, 0, 1), 1, 270),
                CGRectMake(0, 0, 100, 30));
  auto strokes = records("strokePath");
  ASSERT_EQ(strokes.size(), 4u);
  EXPECT_NE(strokes[0].detail.find("stroke=rgba(0 0 1 1)"), std::string::npos);  // top
  for (int side : {1, 2, 3})
    EXPECT_NE(strokes[side].detail.find("stroke=rgba(1 1 1 1)"), std::string::npos) << side;
  EXPECT_TRUE(sameRect(c->frame(), CGRectMake(1, 1, 98, 28)));
}

TEST_F(BorderShadowStyleTest, ABevelWithoutAHighlightStrokesThoseSidesClearAndKeepsTheirRoom) {
  auto c = draw(ULBevelBorderStyle::styleWithHighlight(nullptr, rgb(0, 0, 0), 1, 270),
                CGRectMake(0, 0, 100, 30));
  auto strokes = records("strokePath");
  ASSERT_EQ(strokes.size(), 4u);
  EXPECT_NE(strokes[0].detail.find("stroke=rgba(0 0 0 1)"), std::string::npos);
  for (int side : {1, 2, 3})
    EXPECT_NE(strokes[side].detail.find("stroke=rgba(0 0 0 0)"), std::string::npos) << side;
  // Only the top, which has its colour, moves the frame.
  EXPECT_TRUE(sameRect(c->frame(), CGRectMake(0, 1, 100, 29)));
}

TEST_F(BorderShadowStyleTest, ABevelLitByDefaultFromTheUpperLeftLightsTopAndLeft) {
  auto bevel = ULBevelBorderStyle::styleWithColor(rgb(0.2, 0.4, 0.8), 1);
  EXPECT_EQ(bevel->lightSource(), 125);
  draw(bevel, CGRectMake(0, 0, 100, 30));
  auto strokes = records("strokePath");
  ASSERT_EQ(strokes.size(), 4u);
  EXPECT_EQ(strokes[0].detail, strokes[3].detail);  // top and left: the highlight
  EXPECT_EQ(strokes[1].detail, strokes[2].detail);  // right and bottom: the shadow
  EXPECT_NE(strokes[0].detail, strokes[1].detail);
}

TEST_F(BorderShadowStyleTest, AShadowMakesRoomOnTheSideItFallsToward) {
  struct Case {
    CGFloat blur;
    CGSize offset;
    UIEdgeInsets insets;  // top, left, bottom, right
    CGSize grows;
  } cases[] = {
      {3, CGSizeMake(0, 1), UIEdgeInsetsMake(0, 2, 7, 2), CGSizeMake(4, 7)},
      {0, CGSizeMake(0, -2), UIEdgeInsetsMake(2, 0, 0, 0), CGSizeMake(0, -2)},
      {3, CGSizeMake(0, 4), UIEdgeInsetsMake(0, 2, 10, 2), CGSizeMake(4, 10)},
      {2, CGSizeMake(-1, 0), UIEdgeInsetsMake(1, 4, 1, 0), CGSizeMake(2, 2)},
  };
  for (const auto& k : cases) {
    auto shadow = ULShadowStyle::styleWithColor(UIColor::blackColor(), k.blur, k.offset);
    auto c = draw(shadow, CGRectMake(0, 0, 100, 30));
    CGRect inside = UIEdgeInsetsInsetRect(CGRectMake(0, 0, 100, 30), k.insets);
    EXPECT_TRUE(sameRect(c->frame(), inside)) << k.blur << " " << k.offset.height;
    EXPECT_TRUE(sameRect(c->contentFrame(), inside)) << k.blur << " " << k.offset.height;
    CGSize size = shadow->addToSize(CGSizeZero, *contextFor(CGRectZero));
    EXPECT_TRUE(CGSizeEqualToSize(size, k.grows))
        << k.blur << " " << k.offset.height << ": " << size.width << " x " << size.height;
  }
}

TEST_F(BorderShadowStyleTest, TheRestOfTheChainCastsItsShadowFromOneLayer) {
  draw(ULShadowStyle::styleWithColor(UIColor::blackColor(), 3, CGSizeMake(0, 1),
                                     ULSolidFillStyle::styleWithColor(rgb(1, 0, 0))),
       CGRectMake(0, 0, 100, 30));
  auto fills = records("fillPath");
  ASSERT_EQ(fills.size(), 1u);
  EXPECT_TRUE(sameRect(fills[0].rect, CGRectMake(2, 0, 96, 23)));
  EXPECT_EQ(records("transparencyLayer").size(), 1u);
}

TEST_F(BorderShadowStyleTest, AnInnerShadowFillsTheRingAroundTheShapeInsideItsClip) {
  auto c = draw(ULInnerShadowStyle::styleWithColor(UIColor::blackColor(), 3, CGSizeMake(0, 2)),
                CGRectMake(0, 0, 100, 30));
  auto rings = records("eoFillPath");
  ASSERT_EQ(rings.size(), 1u);
  EXPECT_NE(rings[0].detail.find("shadow"), std::string::npos);
  // The frame is not touched, and the inner shadow measures nothing.
  EXPECT_TRUE(sameRect(c->frame(), CGRectMake(0, 0, 100, 30)));
  EXPECT_TRUE(CGSizeEqualToSize(
      measure(ULInnerShadowStyle::styleWithColor(UIColor::blackColor(), 3, CGSizeMake(0, 2))),
      CGSizeZero));
}

TEST_F(BorderShadowStyleTest, AHighlightBorderDrawsItsLighterLineOnePointLower) {
  auto c = draw(ULHighlightBorderStyle::styleWithColor(rgb(0, 0, 0), rgb(1, 1, 1), 1),
                CGRectMake(0, 0, 100, 30));
  EXPECT_EQ(descriptions("strokePath"),
            (std::vector<std::string>{
                "strokePath (0.5 1.5; 99 27) stroke=rgba(1 1 1 1) width=1",
                "strokePath (0.5 0.5; 99 27) stroke=rgba(0 0 0 1) width=1",
            }));
  EXPECT_TRUE(sameRect(c->frame(), CGRectMake(1, 2, 98, 26)));
}

TEST_F(BorderShadowStyleTest, AGradientBorderPaintsItsGradientThroughTheStrokedOutline) {
  auto c = draw(ULLinearGradientBorderStyle::styleWithColor1(rgb(1, 0, 0), rgb(0, 0, 1), 2),
                CGRectMake(0, 0, 100, 30));
  EXPECT_EQ(records("strokedPath").size(), 1u);
  EXPECT_EQ(records("clipToStrokedPath").size(), 1u);
  EXPECT_EQ(records("drawLinearGradient").size(), 1u);
  EXPECT_TRUE(sameRect(c->frame(), CGRectMake(2, 2, 96, 26)));
}

TEST_F(BorderShadowStyleTest, AReflectiveFillLaysItsGlossOverThePlainColour) {
  draw(ULReflectiveFillStyle::styleWithColor(rgb(0.2, 0.4, 0.8)), CGRectMake(0, 0, 100, 30));
  EXPECT_EQ(descriptions("fillRect"),
            (std::vector<std::string>{"fillRect (0 0; 100 30) fill=rgba(0.2 0.4 0.8 1)"}));
  EXPECT_EQ(records("drawLinearGradient").size(), 1u);
}

TEST_F(BorderShadowStyleTest, ABlendStyleSetsItsModeForTheRestOfTheChainOnly) {
  draw(ULBlendStyle::styleWithBlend(CGBlendMode::SourceAtop,
                                    ULSolidFillStyle::styleWithColor(rgb(0, 0, 0))),
       CGRectMake(0, 0, 10, 10));
  EXPECT_EQ(descriptions("blendMode"), (std::vector<std::string>{"blendMode (0 0; 0 0) mode=20"}));
  ASSERT_EQ(records("fillPath").size(), 1u);
  EXPECT_NE(records("fillPath")[0].detail.find("blend=20"), std::string::npos);
  // Mode 0 is the same as no blend style at all.
  context->clearRecords();
  draw(ULBlendStyle::styleWithBlend(CGBlendMode::Normal,
                                    ULSolidFillStyle::styleWithColor(rgb(0, 0, 0))),
       CGRectMake(0, 0, 10, 10));
  std::string withNormal = context->recordsText();
  context->clearRecords();
  draw(ULSolidFillStyle::styleWithColor(rgb(0, 0, 0)), CGRectMake(0, 0, 10, 10));
  EXPECT_EQ(withNormal, context->recordsText());
}

TEST_F(BorderShadowStyleTest, AMaskDrawsTheRestOfTheChainUpsideDownWithinTheFrame) {
  UIGraphicsBeginImageContextWithOptions(CGSizeMake(100, 30), false, 1);
  UIColor::whiteColor()->setFill();
  UIRectFill(CGRectMake(0, 0, 100, 30));
  auto mask = UIGraphicsGetImageFromCurrentImageContext();
  UIGraphicsEndImageContext();
  // The fill covers the top 20 points of the frame; through the mask it lands at the bottom.
  auto chain = ULMaskStyle::styleWithMask(
      mask, ULInsetStyle::styleWithInset(UIEdgeInsetsMake(0, 0, 10, 0),
                                         ULSolidFillStyle::styleWithColor(rgb(0, 1, 0))));
  draw(chain, CGRectMake(0, 0, 100, 30));
  ASSERT_EQ(records("fillPath").size(), 1u);
  EXPECT_TRUE(sameRect(records("fillPath")[0].rect, CGRectMake(0, 10, 100, 20)));
  // Without a mask the chain is drawn as it is.
  context->clearRecords();
  draw(ULMaskStyle::styleWithMask(nullptr, chain->next()), CGRectMake(0, 0, 100, 30));
  EXPECT_TRUE(sameRect(records("fillPath")[0].rect, CGRectMake(0, 0, 100, 20)));
}

}  // namespace

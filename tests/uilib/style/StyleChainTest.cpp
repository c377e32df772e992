// Chains: how styles link, find their parts, share the context's shape, and blend gradients.
#include <gtest/gtest.h>

#include "StyleTestSupport.h"
#include "uilib/style/ULBoxStyle.h"
#include "uilib/style/ULContentStyle.h"
#include "uilib/style/ULPartStyle.h"
#include "uilib/style/ULRectangleShape.h"
#include "uilib/style/ULSolidFillStyle.h"
#include "uilib/style/ULTextStyle.h"

namespace {

using StyleChainTest = StyleTest;

TEST_F(StyleChainTest, AStyleAloneDrawsOnlyItsOwnEffectAndMeasuresNothingMore) {
  auto fill = ULSolidFillStyle::styleWithColor(UIColor::redColor());
  draw(fill, CGRectMake(0, 0, 50, 20));
  EXPECT_EQ(descriptions("fillPath"),
            (std::vector<std::string>{"fillPath (0 0; 50 20) fill=rgba(1 0 0 1)"}));
  auto base = std::make_shared<ULStyle>();
  EXPECT_TRUE(CGSizeEqualToSize(base->addToSize(CGSizeMake(7, 9), *contextFor(CGRectZero)),
                                CGSizeMake(7, 9)));
}

TEST_F(StyleChainTest, AddStyleAppendsAtTheEndOfTheChain) {
  auto a = std::make_shared<ULStyle>(), b = std::make_shared<ULStyle>(),
       c = std::make_shared<ULStyle>(), d = std::make_shared<ULStyle>();
  // next: answers the receiver, so that a chain can be written as one expression.
  EXPECT_EQ(b->next(c), b);
  a->next(b);
  a->addStyle(d);
  EXPECT_EQ(c->next(), d);
  EXPECT_EQ(a->next(), b);
  auto alone = std::make_shared<ULStyle>();
  alone->addStyle(a);
  EXPECT_EQ(alone->next(), a);
}

TEST_F(StyleChainTest, APartIsFoundByItsExactNameAndAStyleByItsClass) {
  auto image = ULPartStyle::styleWithName("image", ULBoxStyle::styleWithPadding(UIEdgeInsetsZero));
  auto chain = ULBoxStyle::styleWithPadding(UIEdgeInsetsZero,
                                            ULPartStyle::styleWithName("Image", nullptr, image));
  ASSERT_NE(chain->styleForPart("image"), nullptr);
  EXPECT_EQ(chain->styleForPart("image"), image);
  EXPECT_EQ(chain->styleForPart("Image")->next(), image);
  EXPECT_EQ(chain->styleForPart("images"), nullptr);
  EXPECT_EQ(chain->firstStyleOfClass(ULPartStyle::classObject())->next(), image);
  EXPECT_EQ(chain->firstStyleOfClass(ULBoxStyle::classObject()), chain);
  EXPECT_EQ(chain->firstStyleOfClass(ULTextStyle::classObject()), nullptr);
}

TEST_F(StyleChainTest, AContextWithoutAShapeKeepsAnsweringTheSharedRectangle) {
  ULStyleContext c;
  auto first = c.shape();
  EXPECT_EQ(first, ULRectangleShape::shape());
  EXPECT_EQ(c.shape(), first);
}

TEST_F(StyleChainTest, AGradientOfAGreyAndAColourSpreadsTheGreyOverRedGreenAndBlue) {
  auto gradient = ULStyle::newGradientWithColors(
      {UIColor::colorWithWhite(0.5, 1), UIColor::colorWithRed(1, 0, 0, 0.5)});
  ASSERT_NE(gradient, nullptr);
  const auto& stops = gradient->stops();
  ASSERT_EQ(stops.size(), 2u);
  EXPECT_EQ(stops[0].location, 0);
  EXPECT_EQ(stops[0].color, (CGRGBA{0.5, 0.5, 0.5, 1}));
  EXPECT_EQ(stops[1].location, 1);
  EXPECT_EQ(stops[1].color, (CGRGBA{1, 0, 0, 0.5}));
}

TEST_F(StyleChainTest, TheViewsContentIsDrawnOnceWhereTheChainPlacesIt) {
  view->drawsContent = true;
  auto chain = ULContentStyle::styleWithNext(ULTextStyle::styleWithColor(UIColor::blackColor()));
  auto c = draw(chain, CGRectMake(0, 0, 40, 20));
  EXPECT_TRUE(c->didDrawContent());
  EXPECT_EQ(view->contentDrawings, 1);
  // A view with no content of its own leaves the flag for itself.
  view->drawsContent = false;
  EXPECT_FALSE(draw(chain, CGRectMake(0, 0, 40, 20))->didDrawContent());
}

}  // namespace

// Styled views and labels: what draws when, their sizes, the label's font, and views that
// switch clipping off above them.
#include <gtest/gtest.h>

#include "UIKit/UIColor.h"
#include "ViewsTestSupport.h"
#include "uilib/layout/ULFlowLayout.h"
#include "uilib/style/ULBoxStyle.h"
#include "uilib/style/ULSolidFillStyle.h"
#include "uilib/style/ULTextStyle.h"
#include "uilib/views/ULView.h"

namespace {

class CountingView : public ULView {
 public:
  using ULView::ULView;
  std::vector<CGRect> contents;
  void drawContent(CGRect rect) override { contents.push_back(rect); }
};

using StyledViewTest = ViewsTest;

TEST_F(StyledViewTest, AViewWithoutAStyleDrawsItsContentAndMeasuresNothing) {
  auto window = showWindow();
  auto view = std::make_shared<CountingView>(CGRectMake(10, 10, 50, 30));
  window->addSubview(view);
  window->compositeFrame();
  ASSERT_EQ(view->contents.size(), 1u);
  EXPECT_TRUE(sameRect(view->contents[0], CGRectMake(0, 0, 50, 30)));
  EXPECT_TRUE(CGSizeEqualToSize(view->sizeThatFits(CGSizeMake(200, 200)), CGSizeZero));
  EXPECT_EQ(view->contentMode(), UIViewContentMode::Redraw);

  // A style: the chain draws and measures; the content still follows (no content style).
  auto style = ULBoxStyle::styleWithPadding(UIEdgeInsetsMake(4, 5, 6, 7),
                                            ULSolidFillStyle::styleWithColor(UIColor::redColor()));
  view->setStyle(style);
  EXPECT_TRUE(view->layer()->needsDisplay());
  FramePixels f(window->compositeFrame());
  EXPECT_EQ(f.at(30, 20), (Pixel{255, 0, 0, 255}));
  EXPECT_EQ(view->contents.size(), 2u);
  EXPECT_TRUE(CGSizeEqualToSize(view->sizeThatFits(CGSizeZero), CGSizeMake(12, 10)));

  // The same style again asks for no drawing.
  view->setStyle(style);
  EXPECT_FALSE(view->layer()->needsDisplay());
}

TEST_F(StyledViewTest, ALayoutPlacesTheSubviews) {
  auto view = std::make_shared<ULView>(CGRectMake(0, 0, 100, 100));
  auto a = std::make_shared<UIView>(CGRectMake(0, 0, 30, 20));
  auto b = std::make_shared<UIView>(CGRectMake(0, 0, 30, 20));
  view->addSubview(a);
  view->addSubview(b);
  view->setLayout(std::make_shared<ULFlowLayout>());
  view->layoutIfNeeded();
  EXPECT_LT(a->frame().origin.x, b->frame().origin.x);
}

TEST_F(StyledViewTest, ALabelShowsItsTextOnlyThroughATextStyle) {
  auto window = showWindow();
  window->setBackgroundColor(UIColor::whiteColor());
  auto label = std::make_shared<ULLabel>("标签");
  label->setFrame(CGRectMake(10, 10, 100, 30));
  window->addSubview(label);
  FramePixels plain(window->compositeFrame());
  for (double x = 10.5; x < 110; x += 2) ASSERT_EQ(plain.at(x, 25), (Pixel{255, 255, 255, 255}));
  EXPECT_EQ(label->accessibilityLabel(), "标签");

  label->setStyle(ULTextStyle::styleWithColor(UIColor::blackColor()));
  FramePixels text(window->compositeFrame());
  bool inked = false;
  for (double x = 10.5; x < 110 && !inked; x += 0.5)
    for (double y = 10.5; y < 40 && !inked; y += 0.5)
      inked = text.at(x, y) != (Pixel{255, 255, 255, 255});
  EXPECT_TRUE(inked);
  EXPECT_NE(window->dump().find("ULLabel frame=(10 10; 100 30) text=\"标签\""), std::string::npos);
}

TEST_F(StyledViewTest, ALabelsFontFallsBackToTheSheetsWithoutBeingKeptForDrawingFirst) {
  auto label = std::make_shared<ULLabel>("x");
  auto sheetFont = ULStyleSheet::globalStyleSheet()->performSelector("font").object<UIFont>();
  ASSERT_TRUE(sheetFont);
  label->setStyle(ULTextStyle::styleWithColor(UIColor::blackColor()));
  // Before the font is asked for, measuring passes none: the text style's own default.
  CGSize before = label->sizeThatFits(CGSizeMake(100, 100));
  EXPECT_EQ(label->font()->pointSize(), sheetFont->pointSize());
  auto big = UIFont::systemFontOfSize(40);
  label->setFont(big);
  EXPECT_EQ(label->font(), big);
  EXPECT_GT(label->sizeThatFits(CGSizeMake(100, 100)).height, before.height);
}

TEST_F(StyledViewTest, AnUnclippedViewTurnsClippingOffAllTheWayUp) {
  auto window = showWindow();
  auto outer = std::make_shared<UIView>(CGRectMake(0, 0, 100, 100));
  auto inner = std::make_shared<UIView>(CGRectMake(0, 0, 50, 50));
  outer->setClipsToBounds(true);
  inner->setClipsToBounds(true);
  window->addSubview(outer);
  outer->addSubview(inner);
  auto free = std::make_shared<ULUnclippedView>(CGRectMake(0, 0, 10, 10));
  free->setClipsToBounds(true);
  inner->addSubview(free);
  EXPECT_FALSE(free->clipsToBounds());
  EXPECT_FALSE(inner->clipsToBounds());
  EXPECT_FALSE(outer->clipsToBounds());
  EXPECT_FALSE(window->clipsToBounds());
}

}  // namespace

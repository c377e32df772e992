// Styled page dots: where the row and its dots stand, their size, and how a tap turns pages.
#include <gtest/gtest.h>

#include "Foundation/NSClass.h"
#include "UIKit/UIColor.h"
#include "ViewsTestSupport.h"
#include "support/ui/ScreenDriver.h"
#include "uilib/style/ULBoxStyle.h"
#include "uilib/style/ULDefaultStyleSheet.h"
#include "uilib/style/ULSolidFillStyle.h"
#include "uilib/views/ULPageControl.h"

// A sheet with one more dot: white, 6 × 6, with margins of 2 on both sides.
class SpacedDotSheet : public ULDefaultStyleSheet {
  NS_CLASS(SpacedDotSheet, ULDefaultStyleSheet)
 public:
  ULStylePtr spacedDot(UIControlState state) {
    return ULBoxStyle::styleWithMargin(
        UIEdgeInsetsMake(0, 2, 0, 2), UIEdgeInsetsMake(6, 6, 0, 0),
        ULSolidFillStyle::styleWithColor(state == UIControlStateSelected
                                             ? UIColor::whiteColor()
                                             : UIColor::colorWithWhite(0.5, 1)));
  }
};

NS_CLASS_IMPLEMENTATION(SpacedDotSheet) {
  c.method("spacedDot:", &SpacedDotSheet::spacedDot);
}

namespace {

class PageControlTest : public ViewsTest {
 protected:
  void SetUp() override {
    ViewsTest::SetUp();
    ULStyleSheet::setGlobalStyleSheet(std::make_shared<SpacedDotSheet>());
    window = showWindow();
    window->setBackgroundColor(UIColor::blackColor());
    dots = std::make_shared<ULPageControl>(CGRectMake(0, 100, 100, 20));
    dots->setDotStyle("spacedDot:");
    window->addSubview(dots);
  }
  // Whether a dot covers the point of the row (x from the control's left, at its middle).
  bool dotAt(const FramePixels& f, double x) { return f.at(x, 110) != (Pixel{0, 0, 0, 255}); }

  std::shared_ptr<UIWindow> window;
  std::shared_ptr<ULPageControl> dots;
};

TEST_F(PageControlTest, TheRowSitsItsLeftMarginRightOfCentre) {
  dots->setNumberOfPages(3);
  EXPECT_TRUE(CGSizeEqualToSize(dots->sizeThatFits(CGSizeZero), CGSizeMake(26, 6)));
  FramePixels f(window->compositeFrame());
  // T = 26 starts at 37; the dots stand at 39, 49 and 59, the last ending at 65.
  EXPECT_FALSE(dotAt(f, 38.5));
  EXPECT_TRUE(dotAt(f, 39.25));
  EXPECT_TRUE(dotAt(f, 44.75));
  EXPECT_FALSE(dotAt(f, 45.25));
  EXPECT_TRUE(dotAt(f, 49.25));
  EXPECT_TRUE(dotAt(f, 64.75));
  EXPECT_FALSE(dotAt(f, 65.25));
  // The current page's dot is drawn with the selected chain.
  EXPECT_EQ(f.at(40, 110), (Pixel{255, 255, 255, 255}));
  EXPECT_NE(f.at(50, 110), (Pixel{255, 255, 255, 255}));
}

TEST_F(PageControlTest, NoPagesIsNothingAndOnePageShowsUnlessHidden) {
  dots->setNumberOfPages(-4);
  EXPECT_EQ(dots->numberOfPages(), 0);
  EXPECT_TRUE(CGSizeEqualToSize(dots->sizeThatFits(CGSizeMake(320, 20)), CGSizeMake(0, 6)));
  dots->setCurrentPage(3);
  EXPECT_EQ(dots->currentPage(), 0);
  FramePixels empty(window->compositeFrame());
  for (double x = 0.5; x < 100; x += 1) ASSERT_FALSE(dotAt(empty, x)) << x;

  dots->setNumberOfPages(1);
  FramePixels one(window->compositeFrame());
  EXPECT_TRUE(dotAt(one, 50));  // (6 + 4) - 4 = 6 wide from 47, the dot at 49
  dots->setHidesForSinglePage(true);
  dots->setNeedsDisplay();
  FramePixels hidden(window->compositeFrame());
  EXPECT_FALSE(dotAt(hidden, 50));
}

TEST_F(PageControlTest, TapsStepAPageAndAlwaysReportTheChange) {
  dots->setNumberOfPages(3);
  int changes = 0;
  dots->addTarget(freeSelector("pageChanged:", [&](const Value&) { ++changes; }),
                  UIControlEventValueChanged);
  ASSERT_TRUE(ScreenDriver::tap(CGPointMake(80, 110)));
  EXPECT_EQ(dots->currentPage(), 1);
  ASSERT_TRUE(ScreenDriver::tap(CGPointMake(80, 110)));
  EXPECT_EQ(dots->currentPage(), 2);
  // On the last page a tap on the right half keeps it, and still reports.
  ASSERT_TRUE(ScreenDriver::tap(CGPointMake(80, 110)));
  EXPECT_EQ(dots->currentPage(), 2);
  EXPECT_EQ(changes, 3);
  ASSERT_TRUE(ScreenDriver::tap(CGPointMake(20, 110)));
  EXPECT_EQ(dots->currentPage(), 1);
  EXPECT_EQ(changes, 4);
}

TEST_F(PageControlTest, ANewDotStyleIsUsedAtTheNextRedraw) {
  dots->setNumberOfPages(2);
  EXPECT_TRUE(CGSizeEqualToSize(dots->sizeThatFits(CGSizeZero), CGSizeMake(16, 6)));
  dots->setDotStyle("pageDot:");
  // The default dot: 6 wide with a margin of 10 on its right.
  EXPECT_TRUE(CGSizeEqualToSize(dots->sizeThatFits(CGSizeZero), CGSizeMake(22, 6)));
  EXPECT_EQ(dots->normalDotStyle(),
            ULStyleSheet::globalStyleSheet()->styleWithSelector("pageDot:", UIControlStateNormal));
}

}  // namespace

// The home menu bar on a shown window: its frame and buttons on both screen heights, the tags
// its taps send, and the page it shows.
#include <gtest/gtest.h>

#include <vector>

#include "UIKit/UIDevice.h"
#include "UIKit/UIScreen.h"
#include "UIKit/UIViewController.h"
#include "UIKit/UIWindow.h"
#include "core/NSGlobe.h"
#include "support/MainLoop.h"
#include "support/ui/ScreenDriver.h"
#include "ui/widgets/UIMenuBar.h"
#include "ui/widgets/UIPageView.h"
#include "ui/widgets/WidgetTestSupport.h"

namespace {

class Recorder : public UIMenuBarDelegate {
 public:
  std::vector<long> tags;
  void touchMenuItem(long tag) override { tags.push_back(tag); }
};

std::vector<CGFloat> buttonTops(const std::shared_ptr<UIMenuBar>& bar) {
  std::vector<CGFloat> tops;
  for (long tag : {7, 8, 6, 3}) tops.push_back(bar->viewWithTag(tag)->frame().origin.y);
  return tops;
}

class MenuBarTest : public widgettest::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    bar = UIMenuBar::initWithPoint(CGPointMake(285, 20));
    bar->setBarDelegate(recorder);
    window->addSubview(bar);
    MainLoop::advance(0.1);
  }
  std::shared_ptr<UIMenuBar> bar;
  std::shared_ptr<Recorder> recorder = std::make_shared<Recorder>();
};

TEST_F(MenuBarTest, TheBarHoldsItsFourButtonsAndThePageIndicator) {
  EXPECT_EQ(bar->frame(), CGRectMake(285, 20, 30, 430));
  EXPECT_EQ(buttonTops(bar), (std::vector<CGFloat>{200, 260, 320, 380}));
  EXPECT_EQ(bar->dump().substr(0, bar->dump().find("  UIPageView")),
            "UIMenuBar frame=(285 20; 30 430)\n"
            "  UIButton frame=(0 200; 30 30) tag=7 image=\"addChannel\"\n"
            "  UIButton frame=(0 260; 30 30) tag=8 image=\"searchChannel\"\n"
            "  UIButton frame=(0 320; 30 30) tag=6 image=\"write_MB\"\n"
            "  UIButton frame=(0 380; 30 30) tag=3 image=\"setup\"\n");
  auto indicator = std::dynamic_pointer_cast<UIPageView>(bar->viewWithTag(70));
  ASSERT_TRUE(indicator);
  EXPECT_EQ(indicator->frame(), CGRectMake(0, 9, 30, 30));
  EXPECT_FALSE(bar->pageView());
  EXPECT_FALSE(bar->pageLabel());
}

TEST_F(MenuBarTest, TapsSendTheButtonsTagsAndZeroElsewhereOnTheBar) {
  for (long tag : {7, 8, 6, 3}) ASSERT_TRUE(ScreenDriver::tapTag(tag));
  ASSERT_TRUE(ScreenDriver::tap(CGPointMake(300, 120)));  // between the indicator and the buttons
  ASSERT_TRUE(ScreenDriver::tap(bar->viewWithTag(70)));   // the indicator is part of the bar
  ASSERT_TRUE(ScreenDriver::drag(CGPointMake(300, 100), CGPointMake(300, 160)));
  EXPECT_EQ(recorder->tags, (std::vector<long>{7, 8, 6, 3, 0, 0, 0}));
  // A touch off the bar sends nothing.
  ASSERT_TRUE(ScreenDriver::tap(CGPointMake(100, 100)));
  EXPECT_EQ(recorder->tags.size(), 7u);
}

TEST_F(MenuBarTest, ChangingThePageMovesTheIndicatorAndFlipsTheNumber) {
  auto indicator = std::dynamic_pointer_cast<UIPageView>(bar->viewWithTag(70));
  EXPECT_EQ(bar->curPageNo(), 0);
  bar->changePage(0);  // counts as page 1
  EXPECT_EQ(bar->curPageNo(), 1);
  EXPECT_EQ(indicator->curPage(), 1);
  MainLoop::advance(1);  // the indicator's own move

  // With a page number of the screen's, a new page flips it in.
  auto label = std::make_shared<UILabel>(CGRectMake(0, 0, 30, 30));
  auto picture = std::make_shared<UIImageView>(CGRectMake(0, 0, 30, 30));
  bar->addSubview(picture);
  bar->addSubview(label);
  bar->setPageLabel(label);
  bar->setPageView(picture);
  bar->changePage(1);  // the page shown: nothing
  EXPECT_TRUE(UIView::runningAnimations().empty());
  EXPECT_EQ(label->text(), "");
  bar->changePage(3);
  EXPECT_EQ(label->text(), "3");
  std::vector<UIViewAnimationRecord> flips;
  for (const auto& a : UIView::runningAnimations())
    if (a.transition != UIViewAnimationTransition::None) flips.push_back(a);
  ASSERT_EQ(flips.size(), 1u);
  EXPECT_EQ(flips[0].transition, UIViewAnimationTransition::FlipFromLeft);
  EXPECT_EQ(flips[0].duration, 0.7);
  EXPECT_EQ(flips[0].curve, UIViewAnimationCurve::EaseInOut);
  EXPECT_EQ(indicator->curPage(), 3);
  MainLoop::advance(1);

  // Hidden for good: the number leaves the bar, the indicator still follows.
  bar->setHidePageNo(true);
  EXPECT_FALSE(bar->pageLabel());
  EXPECT_FALSE(bar->pageView());
  EXPECT_EQ(label->superview(), nullptr);
  EXPECT_EQ(picture->superview(), nullptr);
  bar->changePage(2);
  EXPECT_EQ(label->text(), "3");
  EXPECT_EQ(indicator->curPage(), 2);
}

TEST(MenuBarOnATallScreen, TheButtonsSitThirtyPointsHigherThanTheScreenGrows) {
  UIDeviceProfile profile = UIDevice::profile();
  profile.screenHeight = 568;
  UIDevice::setProfile(profile);
  MainLoop::install();
  ASSERT_TRUE(NSGlobe::getEngine()->isIphone5());
  auto bar = UIMenuBar::initWithPoint(CGPointMake(0, 0));
  EXPECT_EQ(bar->frame(), CGRectMake(0, 0, 30, 518));
  EXPECT_EQ(buttonTops(bar), (std::vector<CGFloat>{258, 318, 378, 438}));
  EXPECT_EQ(bar->viewWithTag(70)->frame(), CGRectMake(0, 40, 30, 30));
}

}  // namespace

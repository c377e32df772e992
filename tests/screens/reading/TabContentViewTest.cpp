// The repost and comment tabs of the detail view: titles and widths read from the dump (fixed
// text metrics), taps through the screen driver, the 0.1 s delay on the virtual clock, count
// refreshes and hidden counts.
#include <gtest/gtest.h>

#include "CoreText/FixedMetricsTextMeasurer.h"
#include "UIKit/UIButton.h"
#include "UIKit/UIScreen.h"
#include "UIKit/UIViewController.h"
#include "UIKit/UIWindow.h"
#include "core/NSGlobe.h"
#include "screens/reading/UITabContentView.h"
#include "support/MainLoop.h"
#include "support/ui/ScreenDriver.h"

namespace {

class TabRecorder : public UITabContentViewDelegate {
 public:
  std::vector<int> selected;
  void curSelectTabIndex(int index) override { selected.push_back(index); }
};

class TabContentViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TextMeasurer::setCurrent(std::make_shared<FixedMetricsTextMeasurer>());
    MainLoop::install();
    NSGlobe::getEngine()->setThemeNum(1);
    window = std::make_shared<UIWindow>(UIScreen::mainScreen()->bounds());
    window->setRootViewController(std::make_shared<UIViewController>());
    window->makeKeyAndVisible();
    recorder = std::make_shared<TabRecorder>();
    MainLoop::advance(0.1);
  }
  void TearDown() override {
    window->setHidden(true);
    TextMeasurer::setCurrent(nullptr);
  }
  std::shared_ptr<UITabContentView> shown(int reposts, int comments, bool showRet,
                                          bool hide = false) {
    auto tabs = UITabContentView::initWithRet(reposts, comments, recorder, showRet, hide);
    CGRect f = tabs->frame();
    f.origin.y = 100;
    tabs->setFrame(f);
    window->addSubview(tabs);
    return tabs;
  }
  std::string title(const std::shared_ptr<UITabContentView>& tabs, long tag) {
    auto b = std::dynamic_pointer_cast<UIButton>(tabs->viewWithTag(tag));
    return b ? b->titleForState(UIControlStateNormal).value_or("") : "";
  }
  bool red(const std::shared_ptr<UITabContentView>& tabs, long tag) {
    auto b = std::dynamic_pointer_cast<UIButton>(tabs->viewWithTag(tag));
    return b && b->titleColorForState(UIControlStateNormal)->isEqual(*UIColor::redColor());
  }

  std::shared_ptr<UIWindow> window;
  std::shared_ptr<TabRecorder> recorder;
};

TEST_F(TabContentViewTest, TheHeaderShowsBothCountsWithTheCommentTitleRed) {
  // System font 18: "转发:3" is 2 × 18 + 2 × 9 = 54 wide, "评论:5" too.
  auto tabs = shown(3, 5, false);
  EXPECT_EQ(tabs->dump(),
            "UITabContentView frame=(0 100; 320 30)\n"
            "  UIImageView frame=(15 20; 290 9) tag=1\n"
            "  UIView frame=(0 0; 69 30)\n"
            "  UIButton frame=(15 0; 54 21) tag=2 title=\"转发:3\"\n"
            "  UIImageView frame=(72 0; 1 21) tag=4\n"
            "  UIView frame=(76 0; 69 30)\n"
            "  UIButton frame=(76 0; 54 21) tag=3 title=\"评论:5\"\n");
  EXPECT_EQ(UITabContentView::titleWidth("转发:3"), 54);
  EXPECT_TRUE(red(tabs, 3));
  EXPECT_FALSE(red(tabs, 2));
  EXPECT_EQ(tabs->curSelectIndex(), 0);
}

TEST_F(TabContentViewTest, ATapOnTheOtherTabTellsTheDelegateAfterATenthOfASecond) {
  auto tabs = shown(3, 5, false);
  // The shown tab: nothing changes, nothing is sent.
  ASSERT_TRUE(ScreenDriver::tap(tabs->viewWithTag(3)));
  ScreenDriver::wait(0.5);
  EXPECT_TRUE(recorder->selected.empty());

  // The repost title button (tag 2): red at once, the delegate 0.1 s later.
  ASSERT_TRUE(ScreenDriver::tap(tabs->viewWithTag(2)));
  EXPECT_TRUE(red(tabs, 2));
  EXPECT_FALSE(red(tabs, 3));
  EXPECT_EQ(tabs->curSelectIndex(), 1);
  EXPECT_TRUE(recorder->selected.empty());
  MainLoop::advance(0.11);
  EXPECT_EQ(recorder->selected, std::vector<int>{1});

  // The comment tab's tap area, right of its title.
  ASSERT_TRUE(ScreenDriver::tap(CGPointMake(76 + 54 + 10, 110)));
  MainLoop::advance(0.11);
  EXPECT_EQ(recorder->selected, (std::vector<int>{1, 0}));
}

TEST_F(TabContentViewTest, CountRefreshesKeepNegativeSidesAndMoveTheCommentTitle) {
  auto tabs = shown(3, 5, false);
  tabs->refreshCount(-1, 7);
  EXPECT_EQ(title(tabs, 2), "转发:3");
  EXPECT_EQ(title(tabs, 3), "评论:7");
  tabs->refreshCount(120, -1);
  EXPECT_EQ(title(tabs, 2), "转发:120");
  EXPECT_EQ(title(tabs, 3), "评论:7");
  // "转发:120" is 36 + 4 × 9 = 72 wide.
  EXPECT_EQ(tabs->viewWithTag(2)->frame(), CGRectMake(15, 0, 72, 21));
  EXPECT_EQ(tabs->viewWithTag(4)->frame().origin.x, 90);
  EXPECT_EQ(tabs->viewWithTag(3)->frame(), CGRectMake(94, 0, 54, 21));
}

TEST_F(TabContentViewTest, HiddenCountsStoreNewCountsUntilCountsAreTurnedOn) {
  auto tabs = shown(3, 5, true, true);
  EXPECT_EQ(title(tabs, 2), "  转发  ");
  EXPECT_EQ(title(tabs, 3), "  评论  ");
  EXPECT_TRUE(red(tabs, 2));
  tabs->refreshCount(4, 9);
  EXPECT_EQ(title(tabs, 2), "  转发  ");
  tabs->setIsHideCount(false);
  EXPECT_EQ(title(tabs, 2), "转发:4");
  EXPECT_EQ(title(tabs, 3), "评论:9");
}

TEST_F(TabContentViewTest, MovingToAnotherItemShowsCommentsWithoutTellingTheDelegate) {
  auto tabs = shown(3, 5, true);
  tabs->setDefaultTabStatue(0);
  MainLoop::advance(0.5);
  EXPECT_EQ(tabs->curSelectIndex(), 0);
  EXPECT_TRUE(red(tabs, 3));
  EXPECT_TRUE(recorder->selected.empty());
}

}  // namespace

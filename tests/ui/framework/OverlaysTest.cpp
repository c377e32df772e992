// The busy overlay and the one-second prompts on a shown window, on the virtual clock.
#include <gtest/gtest.h>

#include "UIKit/UIActivityIndicatorView.h"
#include "UIKit/UIApplication.h"
#include "UIKit/UIDevice.h"
#include "UIKit/UILabel.h"
#include "UIKit/UIScreen.h"
#include "UIKit/UIWindow.h"
#include "support/MainLoop.h"
#include "support/StandInRecorder.h"
#include "ui/framework/NSObject+UIViewBusy.h"
#include "ui/framework/NSObject+dimension.h"
#include "ui/framework/PHProgressHUD.h"

namespace {

class OverlaysTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MainLoop::install();
    stand = StandInRecorder::install();
    createBusyViews();
  }
  const UIViewBusy::Views& busy() { return UIViewBusy::views(); }
  bool networkIndicator() {
    return UIApplication::sharedApplication()->isNetworkActivityIndicatorVisible();
  }
  std::shared_ptr<StandInRecorder> stand;
};

TEST_F(OverlaysTest, TheBusyBoxShowsItsTextAtTheStandardPlaceWithTheNetworkIndicator) {
  startBusyAnimation();
  EXPECT_EQ(busy().box->frame(), CGRectMake(95, 212.5, 130, 35));
  EXPECT_EQ(StandInRecorder::shownBusyBox(), "正在加载...");
  EXPECT_TRUE(busy().boxSpinner->isAnimating());
  EXPECT_TRUE(networkIndicator());
  EXPECT_EQ(busy().box->dump(),
            "UIView frame=(95 212.5; 130 35) alpha=0.8\n"
            "  UIActivityIndicatorView frame=(10 5; 25 25) animating\n"
            "  UILabel frame=(40 5; 90 25) text=\"正在加载...\"\n");

  // One box, never a stack: two shows and one hide leave nothing.
  startBusyAnimation();
  stopActivityIndicatorViewAnimation();
  EXPECT_EQ(busy().box->superview(), nullptr);
  EXPECT_FALSE(busy().boxSpinner->isAnimating());
  EXPECT_FALSE(networkIndicator());
  // Hiding again does nothing visible.
  stopActivityIndicatorViewAnimation();
  EXPECT_EQ(StandInRecorder::shownBusyBox(), "");
}

TEST_F(OverlaysTest, TheBoxVariantsPlaceTheirBoxesAndTexts) {
  startBusyAnimationWithString(std::nullopt, 100.0);
  EXPECT_EQ(StandInRecorder::shownBusyBox(), "正在请求数据...");
  EXPECT_EQ(busy().box->frame(), CGRectMake(95, 100, 130, 35));
  startActivityIndicatorAnimation();
  EXPECT_EQ(StandInRecorder::shownBusyBox(), "正在下载中,请您耐心等待!");
  EXPECT_EQ(busy().box->frame(), UIViewBusy::standardFrame());

  create_UIActivityIndView(CGPointMake(0, 0));
  ASSERT_NE(busy().largeSpinner, nullptr);
  // Made 200 x 200 at (15, 980), then shrunk to the grey style's size about its middle.
  EXPECT_EQ(busy().largeSpinner->center(), CGPointMake(115, 1080));
  stopActivityIndicatorViewAnimation();
  // The large spinner is nobody's to hide.
  EXPECT_TRUE(busy().largeSpinner->isAnimating());
  EXPECT_NE(busy().largeSpinner->superview(), nullptr);
}

TEST_F(OverlaysTest, TheAutoBoxGoesAfterAboutOneSecond) {
  startAutoAnimationWithString("已复制");
  EXPECT_EQ(StandInRecorder::shownBusyBox(), "已复制");
  MainLoop::advance(0.9);
  EXPECT_EQ(StandInRecorder::shownBusyBox(), "已复制");
  MainLoop::advance(0.2);
  EXPECT_EQ(StandInRecorder::shownBusyBox(), "");
  EXPECT_FALSE(networkIndicator());
}

TEST_F(OverlaysTest, TheCentredSpinnerCoversOnlyTheFirst480Points) {
  startBusyAnimationCenter();
  EXPECT_EQ(busy().freeSpinner->frame(), CGRectMake(145, 215, 30, 30));
  EXPECT_EQ(busy().cover->frame(), CGRectMake(0, 0, 320, 480));
  EXPECT_NE(busy().cover->superview(), nullptr);
  stopActivityIndicatorViewAnimation();
  EXPECT_EQ(busy().cover->superview(), nullptr);
  EXPECT_EQ(busy().freeSpinner->superview(), nullptr);
}

TEST(OverlaysOnATallScreen, TheStandardBoxSitsLowerAndTheBarSizesFollowTheScreen) {
  UIDeviceProfile profile = UIDevice::profile();
  profile.screenHeight = 568;
  UIDevice::setProfile(profile);
  MainLoop::install();
  auto stand = StandInRecorder::install();
  createBusyViews();
  startBusyAnimation();
  EXPECT_EQ(UIViewBusy::views().box->frame(), CGRectMake(95, 256.5, 130, 35));
  EXPECT_EQ(UIViewBusy::views().cover->frame(), CGRectMake(0, 0, 320, 480));
  EXPECT_EQ(screenHeight(), 568);
  EXPECT_EQ(naviBarHeight(), 44);
  EXPECT_EQ(tabbarHeight(), 49);
  EXPECT_EQ(statusbarHeight(), 20);
}

TEST_F(OverlaysTest, PromptsWaitTheirTurnAndEachGoesAfterASecondAndItsFade) {
  PHProgressHUD::showPrompt("一");
  PHProgressHUD::showPrompt("二");
  PHProgressHUD::showPrompt("三");
  // (time, what the prompt box shows)
  const std::vector<std::pair<double, std::string>> seen{
      {0.0, "一"}, {1.2, "一"},  {1.35, ""},   {2.05, "二"}, {3.25, "二"},
      {3.35, ""},  {4.05, "三"}, {5.25, "三"}, {5.35, ""},   {9.0, ""}};
  double now = 0;
  for (const auto& [at, text] : seen) {
    MainLoop::advance(at - now);
    now = at;
    EXPECT_EQ(StandInRecorder::shownPrompt(), text) << "at " << at;
  }
}

TEST_F(OverlaysTest, ThePromptBoxIsATextOnlyBoxInTheMiddleOfTheWindow) {
  PHProgressHUD::showPrompt("删除完成！");
  auto window = UIApplication::sharedApplication()->keyWindow();
  auto box = std::dynamic_pointer_cast<PHProgressHUD>(window->viewWithTag(2345));
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->mode(), PHProgressHUDMode::CustomView);
  EXPECT_EQ(box->superview(), window);
  box->layoutIfNeeded();
  EXPECT_EQ(box->label()->text(), "删除完成！");
  MainLoop::advance(1.4);
  EXPECT_EQ(box->superview(), nullptr);
}

}  // namespace

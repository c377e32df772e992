// The styled buttons' size rules and touches, the bar items of the theme, the bars' theme
// drawing and the progress box's own rules, on a shown window and the virtual clock.
#include <gtest/gtest.h>

#include "Foundation/NSException.h"
#include "QuartzCore/CALayer.h"
#include "UIKit/UIActivityIndicatorView.h"
#include "UIKit/UIApplication.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIDevice.h"
#include "UIKit/UIGraphics.h"
#include "UIKit/UIImage.h"
#include "UIKit/UIImageView.h"
#include "UIKit/UILabel.h"
#include "UIKit/UINavigationBar.h"
#include "UIKit/UIScreen.h"
#include "UIKit/UIWindow.h"
#include "core/NSGlobe.h"
#include "core/UIBkImageView.h"
#include "support/MainLoop.h"
#include "support/ui/ScreenDriver.h"
#include "ui/framework/MyNavigationBar.h"
#include "ui/framework/PHProgressHUD.h"
#include "ui/framework/UIButtonView.h"
#include "ui/framework/UINaviCtrl.h"
#include "ui/framework/UIYBButton.h"
#include "ui/framework/UIYBImage.h"
#include "ui/framework/UIYBToolBar.h"
#include "ui/framework/UIZMBarButtonItem.h"
#include "ui/framework/UIZMButton.h"

namespace {

class Tapped : public NSObject {
 public:
  int count = 0;
  void tapped(const Value&) { ++count; }
  Selector action() { return selector(weakSelf<Tapped>(), &Tapped::tapped, "tapped:"); }
};

class BarsAndButtonsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MainLoop::install();
    UIBkImageView::defaultSet();
    NSGlobe::getEngine()->setThemeNum(1);
    window = std::make_shared<UIWindow>(UIScreen::mainScreen()->bounds());
    window->makeKeyAndVisible();
  }
  std::shared_ptr<UIWindow> window;
};

TEST_F(BarsAndButtonsTest, EachButtonStyleHasItsPictureAndSizeRule) {
  struct Case {
    const char* style;
    const char* title;
    long type;
    const char* picture;
    CGRect asked;
    CGSize expected;  // width -1: wider than the frame asked for, by the title
  };
  const Case cases[] = {
      {"toolbarRoundButton:", "", 1, "sendBtn", CGRectMake(3, 4, 80, 80), CGSizeMake(23, 32)},
      {"toolbarBlackRoundButton:", "", 1, "scrollBtnBk", CGRectMake(0, 0, 9, 9),
       CGSizeMake(23, 32)},
      {"toolbarGaryRoundButton:", "订阅", 6, "subscribeBtn", CGRectMake(0, 0, 9, 9),
       CGSizeMake(60, 30)},
      {"toolbarRefreshRoundButton:", "", 2, "refreshRoundBtn", CGRectMake(0, 0, 50, 30),
       CGSizeMake(30, 30)},
      {"toolbarBackButton:", "", 3, "leftBtn", CGRectMake(0, 0, 9, 28), CGSizeMake(30, 28)},
      {"toolbarRefreshButton:", "", 4, "refreshBtn", CGRectMake(0, 0, 9, 9), CGSizeMake(38, 30)},
      {"toolbarHomeButton:", "", 4, "homeBlueBtn", CGRectMake(0, 0, 9, 9), CGSizeMake(38, 30)},
      {"anything", "", 5, "leftBtn", CGRectMake(1, 2, 70, 40), CGSizeMake(70, 40)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.style);
    auto button =
        std::dynamic_pointer_cast<UIZMButton>(UIZMButton::buttonWithStyle(c.style, c.title));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->btnType(), c.type);
    auto background = button->backgroundImageForState(UIControlStateNormal);
    ASSERT_NE(background, nullptr);
    EXPECT_EQ(background->name(), c.picture);
    button->setFrame(c.asked);
    EXPECT_EQ(button->frame().origin, c.asked.origin);
    EXPECT_EQ(button->frame().size, c.expected);
  }
}

TEST_F(BarsAndButtonsTest, ABackButtonTooWideForItsTitleFallsBackToTheShortText) {
  auto button = std::dynamic_pointer_cast<UIZMButton>(
      UIZMButton::buttonWithStyle("toolbarBackButton:", "一个非常非常长的上一屏标题"));
  button->setFrame(CGRectMake(0, 0, 10, 30));
  EXPECT_GT(button->frame().size.width, 120);
  EXPECT_EQ(button->currentTitle(), std::optional<std::string>("返回"));
  // The next frame sizes it to the short text.
  button->setFrame(CGRectMake(0, 0, 10, 30));
  EXPECT_LT(button->frame().size.width, 120);
}

TEST_F(BarsAndButtonsTest, AStyledButtonFiresOnATouchThatDoesNotMove) {
  auto target = std::make_shared<Tapped>();
  auto button = UIZMButton::buttonWithStyle("toolbarRefreshButton:", "");
  button->setFrame(CGRectMake(100, 100, 0, 0));
  button->addTarget(target->action(), UIControlEventTouchUpInside);
  window->addSubview(button);
  ASSERT_TRUE(ScreenDriver::tap(button));
  EXPECT_EQ(target->count, 1);
  // A slight drag inside the button does not fire.
  ASSERT_TRUE(ScreenDriver::drag(CGPointMake(115, 110), CGPointMake(118, 112), 0.1));
  EXPECT_EQ(target->count, 1);
}

TEST_F(BarsAndButtonsTest, AHintLoopsOverAnImageButtonUntilItsFirstTouch) {
  auto target = std::make_shared<Tapped>();
  auto button = std::make_shared<UIYBButton>(CGRectMake(130, 300, 40, 44));
  button->addTarget(target->action(), UIControlEventTouchUpInside);
  window->addSubview(button);
  EXPECT_EQ(button->state(), 0u);
  button->setState(2);
  EXPECT_EQ(button->state(), 2u);

  const auto first = UIImage::imageNamed("blueArrow");
  const auto second = UIImage::imageNamed("aboutBar");
  ASSERT_TRUE(first && second);
  button->setAnimal({first});
  button->setAnimal({first, second});
  // One hint view over the whole button, now looping the two images for ever, once a second.
  ASSERT_EQ(button->subviews().size(), 1u);
  auto hint = std::dynamic_pointer_cast<UIImageView>(button->viewWithTag(UIYBButton::kHintTag));
  ASSERT_NE(hint, nullptr);
  EXPECT_EQ(hint->frame(), CGRectMake(0, 0, 40, 44));
  EXPECT_EQ(hint->animationImages(), (std::vector<std::shared_ptr<UIImage>>{first, second}));
  EXPECT_DOUBLE_EQ(hint->animationDuration(), 1.0);
  EXPECT_EQ(hint->animationRepeatCount(), 0);
  EXPECT_TRUE(hint->isAnimating());

  // The touch goes to the button, which fires, and the hint is gone.
  ASSERT_TRUE(ScreenDriver::tap(button));
  EXPECT_EQ(target->count, 1);
  EXPECT_EQ(button->viewWithTag(UIYBButton::kHintTag), nullptr);
  button->removeAnimal();  // nothing left to remove
  EXPECT_TRUE(button->subviews().empty());
}

TEST_F(BarsAndButtonsTest, AButtonViewFiresOnlyWhenTheTouchEndsInsideAndFadesWhileTouched) {
  auto target = std::make_shared<Tapped>();
  auto view = std::make_shared<UIButtonView>(CGRectMake(50, 50, 60, 60));
  view->addTarget(target->action(), UIControlEventTouchUpInside);
  window->addSubview(view);
  ASSERT_TRUE(ScreenDriver::tap(view));
  EXPECT_EQ(target->count, 1);
  EXPECT_EQ(view->alpha(), 1.0);
  ASSERT_TRUE(ScreenDriver::drag(CGPointMake(80, 80), CGPointMake(200, 300), 0.2));
  EXPECT_EQ(target->count, 1);
  EXPECT_EQ(view->alpha(), 1.0);
}

TEST_F(BarsAndButtonsTest, PicturesMatchTheirLongerSideToTheBox) {
  UIGraphicsBeginImageContextWithOptions(CGSizeMake(400, 300), true, 1);
  auto picture = UIGraphicsGetImageFromCurrentImageContext();
  UIGraphicsEndImageContext();
  // 400 x 300 pixels are 200 x 150 points on a retina device.
  NSGlobe::getEngine();
  CGSize fitted = UIYBImage::maxSizeBySize(CGSizeMake(100, 50), picture);
  CGSize points = UIYBImage::ybsize(picture);
  EXPECT_EQ(fitted, CGSizeMake(100, 100 * points.height / points.width));
  EXPECT_EQ(UIYBImage::maxSizeBySize(CGSizeMake(100, 50), nullptr), CGSizeZero);
}

TEST_F(BarsAndButtonsTest, BarItemsHoldStyledButtonsButThemeThreeKeepsThePlatformsItems) {
  auto target = std::make_shared<Tapped>();
  auto refresh = UIZMBarButtonItem::initWithBarButtonSystemItem(13, target->action());
  auto button = std::dynamic_pointer_cast<UIZMButton>(refresh->customView());
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->backgroundImageForState(UIControlStateNormal)->name(), "refreshBtn");
  auto titled =
      UIZMBarButtonItem::initWithTitle("发送", UIBarButtonItemStyle::Plain, target->action());
  EXPECT_NE(std::dynamic_pointer_cast<UIZMButton>(titled->customView()), nullptr);

  UIBkImageView::setThemeBarImage(3);
  EXPECT_EQ(UIZMBarButtonItem::initWithBarButtonSystemItem(13, target->action())->customView(),
            nullptr);
  auto home = UIZMBarButtonItem::initWithBarButtonSystemItem(24, target->action());
  auto homeButton = std::dynamic_pointer_cast<UIZMButton>(home->customView());
  ASSERT_NE(homeButton, nullptr);
  EXPECT_EQ(homeButton->backgroundImageForState(UIControlStateNormal)->name(), "homeBtn");
}

TEST_F(BarsAndButtonsTest, APlainNavigationBarIsTintedGreyAndTheAppsOneTakesTheThemeTint) {
  // Start-up makes every navigation bar draw the app's way.
  UINavigationBar::setDrawHook(&drawThemedNavigationBar);
  auto plain = std::make_shared<UINavigationBar>(CGRectMake(0, 0, 320, 44));
  auto mine = std::make_shared<MyNavigationBar>();
  mine->setFrame(CGRectMake(0, 50, 320, 44));
  mine->setNeedDraw(true);
  window->addSubview(plain);
  window->addSubview(mine);
  window->compositeFrame();
  ASSERT_NE(plain->tintColor(), nullptr);
  EXPECT_EQ(plain->tintColor()->red(), UIColor::lightGrayColor()->red());
  ASSERT_NE(mine->tintColor(), nullptr);
  EXPECT_EQ(mine->tintColor()->red(), UIBkImageView::getTintColor()->red());
  EXPECT_EQ(mine->tintColor()->blue(), UIBkImageView::getTintColor()->blue());

  mine->setNavigationTitle("一");
  auto label = mine->titleLabel();
  mine->setNavigationTitle("二");
  EXPECT_EQ(mine->titleLabel(), label);
  EXPECT_EQ(label->text(), "二");
  EXPECT_EQ(label->frame(), CGRectMake(50, 0, 220, 44));
}

TEST_F(BarsAndButtonsTest, AToolBarKeepsOneThemeLayerUnderItsItemsAcrossRedraws) {
  auto nav = std::make_shared<UINaviCtrl>(std::make_shared<UIViewController>());
  window->setRootViewController(nav);
  auto bar = std::dynamic_pointer_cast<UIYBToolBar>(nav->toolbar());
  ASSERT_NE(bar, nullptr);
  nav->setToolbarHidden(false);
  for (int pass = 0; pass < 3; ++pass) {
    bar->layer()->setNeedsDisplay();
    window->compositeFrame();
  }
  const auto& sublayers = bar->layer()->sublayers();
  ASSERT_FALSE(sublayers.empty());
  auto theme = sublayers.front();
  EXPECT_NE(theme->contents(), nullptr);
  EXPECT_EQ(theme->bounds(), CGRectMake(0, 0, 320, 44));
  EXPECT_EQ(theme->position(), CGPointMake(160, 22));
  size_t withContents = 0;
  for (const auto& l : sublayers)
    if (l->contents()) ++withContents;
  EXPECT_EQ(withContents, 1u);
}

TEST_F(BarsAndButtonsTest, TheDeviceTurningNeverTurnsTheApp) {
  auto nav = std::make_shared<UINaviCtrl>(std::make_shared<UIViewController>());
  window->setRootViewController(nav);
  UIDevice::setOrientation(UIDeviceOrientation::LandscapeLeft);
  EXPECT_EQ(UIApplication::sharedApplication()->statusBarOrientation(),
            UIInterfaceOrientation::Portrait);
  UIDevice::setOrientation(UIDeviceOrientation::Portrait);
}

// ---- the progress box

TEST_F(BarsAndButtonsTest, ABoxWithAMinimumTimeHidesWhenTheMinimumIsUp) {
  auto hud = PHProgressHUD::initWithView(window);
  window->addSubview(hud);
  hud->setMinShowTime(2);
  hud->show(false);
  MainLoop::advance(0.5);
  hud->hide(false);
  EXPECT_EQ(hud->alpha(), 1.0);
  MainLoop::advance(1.4);
  EXPECT_FALSE(hud->isFinished());
  MainLoop::advance(0.2);
  EXPECT_TRUE(hud->isFinished());
  EXPECT_EQ(hud->alpha(), 0.0);
}

TEST_F(BarsAndButtonsTest, ABoxWithoutAViewRaisesAndACustomModeWithoutAViewSpins) {
  try {
    PHProgressHUD::initWithView(nullptr);
    ADD_FAILURE() << "no exception";
  } catch (const NSException& e) {
    EXPECT_EQ(e.name(), "PHProgressHUDViewIsNillException");
  }
  auto hud = PHProgressHUD::initWithView(window);
  hud->setMode(PHProgressHUDMode::CustomView);
  EXPECT_NE(std::dynamic_pointer_cast<UIActivityIndicatorView>(hud->indicator()), nullptr);
}

TEST_F(BarsAndButtonsTest, AnEmptyTextBoxSaysSentAndALongLabelTakesTheNarrowWidth) {
  PHProgressHUD::showHUDAddedToText(window, "");
  auto hud = std::dynamic_pointer_cast<PHProgressHUD>(window->subviews().back());
  ASSERT_NE(hud, nullptr);
  EXPECT_EQ(hud->labelText(), "发送成功");

  auto wide = PHProgressHUD::initWithView(window);
  wide->setLabelText(std::string(60, 'W'));
  wide->layoutIfNeeded();
  EXPECT_EQ(wide->label()->frame().size.width, 320 - 4 * 20);
}

TEST_F(BarsAndButtonsTest, ABarPromptPutBackAtOnceCancelsItsScheduledHide) {
  auto screen = std::make_shared<UIView>(CGRectMake(0, 0, 320, 400));
  window->addSubview(screen);
  PHProgressHUD::showBarPrompt("更新了5条", screen);
  auto strip = screen->viewWithTag(PHProgressHUD::kBarPromptTag);
  ASSERT_NE(strip, nullptr);
  EXPECT_EQ(strip->frame().origin.y, 0);
  auto label =
      std::dynamic_pointer_cast<UILabel>(strip->viewWithTag(PHProgressHUD::kBarPromptLabelTag));
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->text(), "更新了5条");
  PHProgressHUD::hideBar(screen, false);
  EXPECT_EQ(strip->frame().origin.y, -26);
  // Showing again: the strip comes down and only its own hide, 1.5 s later, takes it up.
  MainLoop::advance(0.5);
  PHProgressHUD::showBarPrompt("更新了6条", screen);
  MainLoop::advance(1.4);
  EXPECT_EQ(strip->frame().origin.y, 0);
  MainLoop::advance(1.0);
  EXPECT_EQ(strip->frame().origin.y, -26);
}

}  // namespace

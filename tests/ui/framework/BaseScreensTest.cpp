// The base screens in the app's navigation controller on a shown window: the themed bar of a
// screen that draws its own, the back button of a screen that uses the controller's bar, what
// the back button cancels, and the page-view usage event.
#include <gtest/gtest.h>

#include "Foundation/NSBundle.h"
#include "UIKit/UIApplication.h"
#include "UIKit/UIBarButtonItem.h"
#include "UIKit/UIButton.h"
#include "UIKit/UIColor.h"
#include "UIKit/UIImageView.h"
#include "UIKit/UILabel.h"
#include "UIKit/UINavigationItem.h"
#include "UIKit/UIScreen.h"
#include "UIKit/UIWindow.h"
#include "core/NSConfig.h"
#include "core/NSGlobe.h"
#include "core/NotificationNames.h"
#include "core/UIBkImageView.h"
#include "model/NSLoginData.h"
#include "net/api/ClientRequest.h"
#include "support/BusRecorder.h"
#include "support/MainLoop.h"
#include "support/ui/GoldenImage.h"
#include "support/ui/ScreenDriver.h"
#include "ui/framework/FeedbackViews.h"
#include "ui/framework/MyNavigationBar.h"
#include "ui/framework/NSObject+UIViewBusy.h"
#include "ui/framework/UINaviCtrl.h"
#include "ui/framework/UINavibarBaseViewCtrl.h"
#include "ui/framework/UIRecordBaseView.h"
#include "ui/framework/UIViewController+Custom.h"
#include "ui/framework/UIViewCtrl.h"
#include "ui/framework/UIZMButton.h"
#include "ui/framework/WebViewCtrl.h"

namespace {

class BaseScreensTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MainLoop::install();
    FeedbackViews::install();
    installCustomTitles();
    // The settings store as a first start leaves it.
    UIBkImageView::defaultSet();
    NSGlobe::getEngine()->setThemeNum(1);
    root = std::make_shared<UIViewController>();
    nav = std::make_shared<UINaviCtrl>(root);
    window = std::make_shared<UIWindow>(UIScreen::mainScreen()->bounds());
    window->setRootViewController(nav);
    window->makeKeyAndVisible();
    MainLoop::advance(1);
  }
  void TearDown() override { UIViewController::setTitleHook({}); }

  void push(const std::shared_ptr<UIViewController>& screen) {
    nav->pushViewController(screen, false);
    MainLoop::advance(1);
  }

  // The screen's own bar and what is in it.
  std::string barDump(UINavibarBaseViewCtrl& screen) { return screen.getNavigationBar()->dump(); }

  std::shared_ptr<UIViewController> root;
  std::shared_ptr<UINaviCtrl> nav;
  std::shared_ptr<UIWindow> window;
};

bool sameColor(const std::shared_ptr<UIColor>& c, int r, int g, int b) {
  return c && std::lround(c->red() * 255) == r && std::lround(c->green() * 255) == g &&
         std::lround(c->blue() * 255) == b;
}

TEST_F(BaseScreensTest, TheAppsNavigationBarDrawsTheThemeImageAndTheControllerStaysUpright) {
  auto bar = std::dynamic_pointer_cast<MyNavigationBar>(nav->navigationBar());
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(window->dump().find("UINavigationBar"), std::string::npos);
  EXPECT_NE(window->dump().find("MyNavigationBar frame=(0 0; 320 44)"), std::string::npos);
  EXPECT_FALSE(bar->needDraw());
  EXPECT_FALSE(nav->shouldAutorotate());
  EXPECT_EQ(nav->supportedInterfaceOrientations(), 26u);
}

TEST_F(BaseScreensTest, AScreenWithItsOwnBarShowsTheDayThemeBarTitleAndBackButton) {
  auto screen = std::make_shared<UINavibarBaseViewCtrl>();
  screen->setTitle("频道");
  // Such a screen stands in place of the navigation controller's bar, as the app shows it.
  nav->setNavigationBarHidden(true);
  push(screen);
  ASSERT_TRUE(screen->isViewLoaded());
  screen->setTitle("频道");
  EXPECT_EQ(barDump(*screen),
            "UIImageView frame=(0 0; 320 44) tag=8887 image=\"topBar\"\n"
            "  UILabel frame=(65 0; 190 44) tag=8888 text=\"频道\"\n"
            "  UIButton frame=(10 6; 56 32) title=\"返回\" background=\"leftBtn\"\n");
  auto back = std::dynamic_pointer_cast<UIButton>(screen->getNavigationBar()->subviews().back());
  ASSERT_NE(back, nullptr);
  EXPECT_TRUE(sameColor(back->currentTitleColor(), 0, 0, 0));
  EXPECT_TRUE(matchesGolden(window->compositeFrame(), "navibar_screen_day"));

  screen->setNavigationBarHide(true);
  EXPECT_TRUE(screen->getNavigationBar()->isHidden());
  screen->setNavigationBarHide(false);

  ASSERT_TRUE(ScreenDriver::tapText("返回"));
  MainLoop::advance(1);
  EXPECT_EQ(nav->topViewController(), root);
  EXPECT_EQ(nav->viewControllers().size(), 1u);
}

TEST_F(BaseScreensTest, OtherThemesTakeTheThemeImagesAndTheThemeColour) {
  NSGlobe::getEngine()->setThemeNum(2);
  auto screen = std::make_shared<UINavibarBaseViewCtrl>();
  push(screen);
  EXPECT_EQ(barDump(*screen),
            "UIImageView frame=(0 0; 320 44) tag=8887 image=\"topBar_theme1\"\n"
            "  UILabel frame=(65 0; 190 44) tag=8888\n"
            "  UIButton frame=(10 6; 56 32) title=\"返回\" background=\"leftBtn_theme1\"\n");
  auto title = std::dynamic_pointer_cast<UILabel>(screen->view()->viewWithTag(8888));
  ASSERT_NE(title, nullptr);
  EXPECT_TRUE(sameColor(title->textColor(), 192, 220, 222));
  auto back = std::dynamic_pointer_cast<UIButton>(screen->getNavigationBar()->subviews().back());
  EXPECT_TRUE(sameColor(back->currentTitleColor(), 192, 220, 222));
}

TEST_F(BaseScreensTest, AScreenOnAnUntitledRootGetsTheBackBarItemText) {
  auto screen = std::make_shared<UIViewCtrl>();
  push(screen);
  EXPECT_TRUE(std::static_pointer_cast<MyNavigationBar>(nav->navigationBar())->needDraw());
  EXPECT_EQ(screen->popTitle(), NSLocalizedString("UIBackBarItem"));
  EXPECT_EQ(screen->popTitle(), "返回");
  auto item = screen->navigationItem()->leftBarButtonItem();
  ASSERT_NE(item, nullptr);
  auto back = std::dynamic_pointer_cast<UIZMButton>(item->customView());
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->currentTitle(), std::optional<std::string>("返回"));
  EXPECT_EQ(back->btnType(), 3);
  // It shows in the app's bar.
  EXPECT_EQ(ScreenDriver::findText("返回"), back);
  EXPECT_TRUE(matchesGolden(window->compositeFrame(), "viewctrl_back_button"));
}

TEST_F(BaseScreensTest, TheBackButtonTakesTheTitleOfTheScreenBelow) {
  auto below = std::make_shared<UIViewCtrl>();
  push(below);
  below->setTitle("资讯");
  below->setTitle("资讯频道");
  // The title is a label in the bar, made once and sized to its text.
  auto label = std::dynamic_pointer_cast<UILabel>(ScreenDriver::findText("资讯频道"));
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(below->navigationItem()->titleView(), label);
  CGFloat wide = label->frame().size.width;
  below->setTitle("资讯");
  EXPECT_EQ(below->navigationItem()->titleView(), label);
  EXPECT_LT(label->frame().size.width, wide);

  auto screen = std::make_shared<UIViewCtrl>();
  push(screen);
  // The controller keeps no title of its own, so the back button falls back to the bundle text.
  EXPECT_EQ(screen->popTitle(), "返回");
}

TEST_F(BaseScreensTest, BackWhileBusyHidesTheOverlayCancelsDetachesTheClientAndPops) {
  createBusyViews();
  auto screen = std::make_shared<UIViewCtrl>();
  push(screen);
  auto bus = BusRecorder::observing({kGlobeRequest});
  auto client = ClientRequest::engine();
  client->setStringAction(selector(screen, &UIViewCtrl::cancelButtonPushed, "done:"), screen);
  startBusyAnimationCenter();
  startBusyAnimationWithString("正在加载...", UIViewBusy::standardFrame());
  EXPECT_TRUE(UIApplication::sharedApplication()->isNetworkActivityIndicatorVisible());
  EXPECT_EQ(UIViewBusy::views().cover->window(), window);
  EXPECT_EQ(UIViewBusy::views().box->window(), window);

  // The cover swallows touches under the box, so the finger comes from the system's side.
  screen->cancelButtonPushed(Value());
  MainLoop::advance(1);
  EXPECT_EQ(UIViewBusy::views().box->superview(), nullptr);
  EXPECT_EQ(UIViewBusy::views().cover->superview(), nullptr);
  EXPECT_FALSE(UIApplication::sharedApplication()->isNetworkActivityIndicatorVisible());
  ASSERT_EQ(bus->posts.size(), 1u);
  EXPECT_EQ(bus->posts[0].type, 3);
  EXPECT_FALSE(client->action());
  EXPECT_EQ(client->delegate(), nullptr);
  EXPECT_EQ(nav->topViewController(), root);
}

TEST_F(BaseScreensTest, TappingTheBackButtonPopsTheScreen) {
  auto screen = std::make_shared<UIViewCtrl>();
  push(screen);
  auto bus = BusRecorder::observing({kGlobeRequest});
  ASSERT_TRUE(ScreenDriver::tapText("返回"));
  MainLoop::advance(1);
  EXPECT_EQ(nav->topViewController(), root);
  ASSERT_EQ(bus->posts.size(), 1u);
  EXPECT_EQ(bus->posts[0].type, 3);
}

TEST_F(BaseScreensTest, ScreensStayInPortrait) {
  for (auto o : {UIInterfaceOrientation::LandscapeLeft, UIInterfaceOrientation::LandscapeRight,
                 UIInterfaceOrientation::PortraitUpsideDown}) {
    EXPECT_FALSE(UIViewCtrl().shouldAutorotateToInterfaceOrientation(o));
    EXPECT_FALSE(UINavibarBaseViewCtrl().shouldAutorotateToInterfaceOrientation(o));
  }
  EXPECT_TRUE(
      UIViewCtrl().shouldAutorotateToInterfaceOrientation(UIInterfaceOrientation::Portrait));
}

TEST_F(BaseScreensTest, TheOwnBarAndItsBackButtonAreMadeOnce) {
  auto screen = std::make_shared<UIViewCtrl>();
  push(screen);
  screen->addNavigationBar();
  screen->addNavigationBar();
  screen->setLeftButton();
  screen->setLeftButton();
  screen->setNavigationTitle("一");
  screen->setNavigationTitle("二");
  EXPECT_EQ(screen->navigationBar()->dump(),
            "UIImageView frame=(0 0; 320 44) image=\"topBar\"\n"
            "  UIButton frame=(5 6; 56 32) tag=3130 title=\"返回\" background=\"leftBtn\"\n"
            "  UILabel frame=(50 0; 220 44) text=\"二\"\n");
}

// ---- the page-view usage event

class PageViewEventTest : public BaseScreensTest {
 protected:
  void SetUp() override {
    BaseScreensTest::SetUp();
    auto login = std::make_shared<NSLoginData>();
    NSConfig::engine()->setConfig(login);
    bus = BusRecorder::observing({kLogAction});
  }
  void setEnabled(bool on) { NSConfig::engine()->config()->useBehaviorEnable = on; }
  std::shared_ptr<BusRecorder> bus;
};

TEST_F(PageViewEventTest, LoadingAScreenLogsItsRecordNameOnlyWhenCollectingIsOn) {
  setEnabled(true);
  push(std::make_shared<WebViewCtrl>());
  ASSERT_EQ(bus->posts.size(), 1u);
  EXPECT_EQ(bus->posts[0].type, 37);
  EXPECT_EQ(bus->posts[0].data, Value::arrayOf({Value(37), Value("WebView")}));

  // A class the record table does not list goes under its own name.
  bus->posts.clear();
  push(std::make_shared<UINavibarBaseViewCtrl>());
  ASSERT_EQ(bus->posts.size(), 1u);
  EXPECT_EQ(bus->posts[0].data, Value::arrayOf({Value(37), Value("UINavibarBaseViewCtrl")}));

  bus->posts.clear();
  setEnabled(false);
  push(std::make_shared<WebViewCtrl>());
  UIRecordBaseView::init();
  EXPECT_TRUE(bus->posts.empty());
}

TEST_F(PageViewEventTest, ARecordViewLogsOncePerFrameInitAndTwiceFromPlainInit) {
  setEnabled(true);
  UIRecordBaseView::initWithFrame(CGRectMake(0, 0, 10, 10));
  EXPECT_EQ(bus->posts.size(), 1u);
  bus->posts.clear();
  UIRecordBaseView::init();
  EXPECT_EQ(bus->posts.size(), 2u);
  EXPECT_EQ(bus->posts[0].data, Value::arrayOf({Value(37), Value("UIRecordBaseView")}));
}

}  // namespace

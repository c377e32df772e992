// The home screen on a shown window, the navigation root over the bundled catalogue: what it
// lays out, what its tiles and menu open (taps through the screen driver), the NEW marks the
// bus messages set and clear, the shake that changes the background, and the guide bubble.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "Foundation/NSUserDefaults.h"
#include "UIKit/UILabel.h"
#include "UIKit/UINavigationItem.h"
#include "UIKit/UIScreen.h"
#include "UIKit/UIScreenCapture.h"
#include "UIKit/UIWindow.h"
#include "core/NSConfig.h"
#include "core/NSGlobe.h"
#include "core/NSMsgSend.h"
#include "core/NSObject+notification.h"
#include "core/NotificationNames.h"
#include "screens/account/UIChannelModifyView.h"
#include "screens/account/UIHelpViewController.h"
#include "screens/account/UIModifyViewCtrl.h"
#include "screens/account/UISetupViewController.h"
#include "screens/home/varimostaViewController.h"
#include "screens/reading/ChannelViewController.h"
#include "screens/social/UISearchWeiboViewCtrl.h"
#include "support/BusRecorder.h"
#include "support/MainLoop.h"
#include "support/ui/GoldenImage.h"
#include "support/ui/ScreenDriver.h"
#include "ui/framework/UINaviCtrl.h"
#include "ui/widgets/UINaviTabView.h"
#include "uilib/views/CustomerLauncherItem.h"

namespace {

class HomeScreenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MainLoop::install();
    NSUserDefaults::standardUserDefaults()->removeObjectForKey("main_background_image");
    window = std::make_shared<UIWindow>(UIScreen::mainScreen()->bounds());
    home = varimostaViewController::initWithNibName("varimostaViewController");
    navigation = std::make_shared<UINaviCtrl>(home);
    varimostaViewController::setChannelScreenRecorder(
        [this](std::shared_ptr<ChannelViewController> screen) { recorded = std::move(screen); });
    window->setRootViewController(navigation);
    window->makeKeyAndVisible();
    window->layoutIfNeeded();
  }
  void TearDown() override { varimostaViewController::setChannelScreenRecorder({}); }

  // The tile of the channel, and its channel record.
  ULLauncherItemPtr tile(int type) const {
    for (const auto& page : home->launcherView()->pages())
      for (const auto& item : page)
        if (auto c = std::dynamic_pointer_cast<CustomerLauncherItem>(item);
            c && c->channelItem()->type == type)
          return item;
    return nullptr;
  }
  bool isNew(int type) const {
    auto item = std::dynamic_pointer_cast<CustomerLauncherItem>(tile(type));
    return item && item->channelItem()->isShowNews;
  }
  std::vector<int> newTiles() const {
    std::vector<int> marked;
    for (const auto& page : home->launcherView()->pages())
      for (const auto& item : page)
        if (auto c = std::dynamic_pointer_cast<CustomerLauncherItem>(item);
            c && c->channelItem()->isShowNews)
          marked.push_back(c->channelItem()->type);
    return marked;
  }
  bool tapTile(int type) {
    auto item = tile(type);
    if (!item) return false;
    auto button = home->launcherView()->buttonForItem(*item);
    if (!button) return false;
    home->launcherView()->scrollToItem(item, false);
    window->layoutIfNeeded();
    return ScreenDriver::tap(button);
  }
  std::shared_ptr<UIViewController> top() const { return navigation->viewControllers().back(); }
  static void post(std::string_view name, const Value& data, int type) {
    postNotification(name, data, int32_t(type));
  }

  std::shared_ptr<UIWindow> window;
  std::shared_ptr<varimostaViewController> home;
  std::shared_ptr<UINaviCtrl> navigation;
  std::shared_ptr<ChannelViewController> recorded;
};

TEST_F(HomeScreenTest, ShowsTheBackgroundTheTilesTwoByFourTheMenuBarAndItsTitle) {
  std::string dump = window->dump();
  EXPECT_NE(dump.find("UIImageView frame=(0 0; 320 480)"), std::string::npos) << dump;
  EXPECT_NE(dump.find("ULLauncherView frame=(0 5; 320 455)"), std::string::npos) << dump;
  EXPECT_NE(dump.find("UIMenuBar frame=(262 12;"), std::string::npos) << dump;
  auto title = std::dynamic_pointer_cast<UILabel>(home->navigationItem()->titleView());
  if (title) {
    EXPECT_EQ(title->text(), "主页");
  } else {
    EXPECT_EQ(home->title(), "主页");
  }
  EXPECT_TRUE(navigation->isNavigationBarHidden());
  // The shown channels of the bundled catalogue: eight a page, two columns.
  const auto& buttons = home->launcherView()->buttons();
  ASSERT_EQ(buttons.size(), 3u);
  EXPECT_EQ(buttons[0].size(), 8u);
  EXPECT_EQ(buttons[0][1]->frame().origin.x - buttons[0][0]->frame().origin.x, 110);
  EXPECT_EQ(home->channelItemsArray().size(), 19u);
  // Paging stays off for its first 3 s.
  EXPECT_FALSE(home->launcherView()->scrollEnabled());
  MainLoop::advance(2.9);
  EXPECT_FALSE(home->launcherView()->scrollEnabled());
  MainLoop::advance(0.2);
  EXPECT_TRUE(home->launcherView()->scrollEnabled());
}

TEST_F(HomeScreenTest, ATileOpensItsChannelByItsTemplate) {
  // Template 50: the subscription editor, modally; nothing pushed.
  ASSERT_TRUE(tapTile(16));
  MainLoop::advance(0.5);
  EXPECT_TRUE(std::dynamic_pointer_cast<UIModifyViewCtrl>(navigation->modalViewController()));
  EXPECT_EQ(navigation->viewControllers().size(), 1u);
  navigation->dismissModalViewControllerAnimated(false);
  MainLoop::advance(0.5);

  // Template 8: the channel screen with the channel-setting button (tag 7) on its bottom bar.
  ASSERT_TRUE(tapTile(9));
  MainLoop::advance(0.5);
  auto screen = std::dynamic_pointer_cast<ChannelViewController>(top());
  ASSERT_TRUE(screen);
  EXPECT_EQ(screen->channelItem()->type, 9);
  EXPECT_EQ(recorded, screen);
  auto bar = screen->naviTapView();
  ASSERT_TRUE(bar);
  EXPECT_EQ(bar->superview(), screen->view());
  EXPECT_EQ(bar->frame().origin.y, 416);
  ASSERT_TRUE(bar->flash());
  EXPECT_EQ(bar->flash()->tag(), UINaviTabView::kSubscriptionTag);
  EXPECT_EQ(bar->viewWithTag(UINaviTabView::kSubscriptionTag), bar->flash());
  navigation->popViewControllerAnimated(false);
  MainLoop::advance(0.5);

  // Any other: pushed and recorded, without that button.
  ASSERT_TRUE(tapTile(1));
  MainLoop::advance(0.5);
  screen = std::dynamic_pointer_cast<ChannelViewController>(top());
  ASSERT_TRUE(screen);
  EXPECT_EQ(screen->channelItem()->type, 1);
  EXPECT_EQ(recorded, screen);
  // A plain channel has no tab strip: its bottom bar is the tool bar, without that button.
  EXPECT_FALSE(screen->naviTapView());
  EXPECT_TRUE(screen->naviBarView());
  window->layoutIfNeeded();
  std::filesystem::path dir = std::filesystem::path(ZEPT_SCREENS_DIR) / "home";
  std::filesystem::create_directories(dir);
  std::string error;
  EXPECT_TRUE(UIScreenCaptureWritePNG(window, (dir / "channel-screen.png").string(), &error));
  std::ofstream(dir / "channel-screen.txt") << window->dump();
  EXPECT_TRUE(matchesGolden(window->compositeFrame(), "home_channel_screen"));
}

TEST_F(HomeScreenTest, TheMicroblogTileWithoutALoginStartsItAndOpensNothing) {
  auto before = navigation->viewControllers().size();
  ASSERT_TRUE(tapTile(6));
  MainLoop::advance(0.5);
  EXPECT_EQ(navigation->viewControllers().size(), before);
  EXPECT_EQ(recorded, nullptr);
}

TEST_F(HomeScreenTest, MenuItemsOpenTheirScreens) {
  struct Case {
    long item;
    std::string screen;
    bool modal;
  } cases[] = {{3, "UISetupViewController", false},
               {4, "UIReAcoundViewCtrl", false},
               {5, "UIHelpViewController", false},
               {7, "UIRegViewCtrl", false},
               {8, "UISearchWeiboViewCtrl", true},
               {1, "", false},
               {9, "", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.item);
    home->touchMenuItem(c.item);
    MainLoop::advance(0.5);
    if (c.screen.empty()) {
      EXPECT_EQ(navigation->viewControllers().size(), 1u);
      EXPECT_FALSE(navigation->modalViewController());
    } else if (c.modal) {
      ASSERT_TRUE(navigation->modalViewController());
      EXPECT_EQ(navigation->modalViewController()->className(), c.screen);
      navigation->dismissModalViewControllerAnimated(false);
    } else {
      EXPECT_EQ(top()->className(), c.screen);
      navigation->popToRootViewControllerAnimated(false);
    }
    MainLoop::advance(0.5);
  }
  // The settings button of the bar is item 3.
  ASSERT_TRUE(ScreenDriver::tapTag(UIMenuBar::kSetupTag));
  MainLoop::advance(0.5);
  EXPECT_EQ(top()->className(), "UISetupViewController");
}

TEST_F(HomeScreenTest, TheEditorsNewChannelsShowTheirPageAndTheirNewMarks) {
  auto bus = BusRecorder::observing({kChannelsUpdate});
  post(kNewChannelsAdded, Value::arrayOf({Value("1"), Value::arrayOf({Value(12), Value(15)})}), 84);
  EXPECT_EQ(bus->count(kChannelsUpdate), 1);
  EXPECT_EQ(home->menuBar()->curPageNo(), 2);
  MainLoop::advance(1);
  EXPECT_EQ(home->launcherView()->currentPageIndex(), 1);
  EXPECT_EQ(newTiles(), (std::vector<int>{12, 15}));
  window->layoutIfNeeded();
  EXPECT_TRUE(matchesGolden(window->compositeFrame(), "home_new_tiles"));

  // Page −1: the bar shows page 1 and nothing scrolls; the refresh dropped the marks.
  post(kNewChannelsAdded, Value::arrayOf({Value("-1"), Value::arrayOf({})}), 84);
  MainLoop::advance(1);
  EXPECT_EQ(home->menuBar()->curPageNo(), 1);
  EXPECT_EQ(home->launcherView()->currentPageIndex(), 1);
  EXPECT_TRUE(newTiles().empty());
  EXPECT_EQ(bus->count(kChannelsUpdate), 2);
}

TEST_F(HomeScreenTest, BusMessagesMarkAndClearNewTiles) {
  post(kNewChannelsAdded, Value::arrayOf({Value::arrayOf({Value(21)})}), 125);
  EXPECT_EQ(newTiles(), (std::vector<int>{21}));
  // 85 with [x, channel] clears the first marked tile of that channel; a one-entry 85 nothing.
  post(kNewChannelsAdded, Value::arrayOf({Value::arrayOf({Value(12), Value(21)})}), 125);
  post(kSeminarHasRequest, Value::arrayOf({Value(12)}), 85);
  EXPECT_EQ(newTiles(), (std::vector<int>{12, 21}));
  post(kSeminarHasRequest, Value::arrayOf({Value(1), Value(12)}), 85);
  EXPECT_EQ(newTiles(), (std::vector<int>{21}));
  // Another type on the same name: nothing.
  post(kSeminarHasRequest, Value::arrayOf({Value(1), Value(21)}), 86);
  EXPECT_EQ(newTiles(), (std::vector<int>{21}));

  // "seminar_has_updated" with "" changes nothing; otherwise the seminar tile turns NEW.
  postNotification(kSeminarHasUpdated, Value(""));
  EXPECT_FALSE(isNew(8));
  postNotification(kSeminarHasUpdated, Value("2"));
  EXPECT_TRUE(isNew(8));
  EXPECT_EQ(newTiles(), (std::vector<int>{8, 21}));
}

TEST_F(HomeScreenTest, AShakeCyclesTheBackgroundOnlyWhenOnAndUncovered) {
  auto defaults = NSUserDefaults::standardUserDefaults();
  auto stored = [&] { return defaults->integerForKey("main_background_image"); };
  defaults->setObject(Value(0), "shake_key");
  home->shake();
  EXPECT_EQ(stored(), 0);
  defaults->setObject(Value(1), "shake_key");
  struct Case {
    long from, to;
  } cases[] = {{0, 1}, {1, 2}, {9, 1}, {10, 2}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.from);
    defaults->setObject(Value(c.from), "main_background_image");
    home->shake();
    EXPECT_EQ(stored(), c.to);
    EXPECT_EQ(defaults->integerForKey("main_navigation_image"), c.to);
  }
  // Covered by another screen: nothing.
  home->touchMenuItem(3);
  MainLoop::advance(0.5);
  home->shake();
  EXPECT_EQ(stored(), 2);
  navigation->popViewControllerAnimated(false);
  MainLoop::advance(0.5);
  home->shake();
  EXPECT_EQ(stored(), 3);
}

TEST_F(HomeScreenTest, TheGuideBubbleShowsOnceAndNeverOffline) {
  NSGlobe::getEngine()->setCurNetStatus(0);
  home->loadGuideView();
  auto bubble = [&] {
    for (const auto& v : home->view()->subviews())
      if (auto b = std::dynamic_pointer_cast<UIChannelModifyView>(v)) return b;
    return std::shared_ptr<UIChannelModifyView>();
  };
  EXPECT_FALSE(bubble());
  NSGlobe::getEngine()->setCurNetStatus(2);
  home->loadGuideView();
  ASSERT_TRUE(bubble());
  EXPECT_TRUE(CGRectEqualToRect(bubble()->frame(), CGRectMake(150, 190, 156, 106)));
  EXPECT_EQ(bubble()->picture(), 1);
  MainLoop::advance(1.0);
  EXPECT_EQ(bubble()->picture(), 2);
  MainLoop::advance(2.0);
  EXPECT_FALSE(bubble());
  home->loadGuideView();
  EXPECT_FALSE(bubble());
  EXPECT_EQ(NSConfig::readCacheValueWithKey("loadGuideHome").description(), "1");
}

}  // namespace

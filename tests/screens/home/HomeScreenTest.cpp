// The home screen on a shown window, the navigation root over the bundled catalogue: what it
// lays out, what its tiles and menu open (taps through the screen driver), the NEW marks the
// bus messages set and clear, the shake that changes the background, and the guide bubble.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "Foundation/NSBundle.h"
#include "Foundation/NSUserDefaults.h"
#include "UIKit/UIAlertView.h"
#include "UIKit/UIDevice.h"
#include "UIKit/UIEventDriver.h"
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
#include "core/UIFilePath.h"
#include "model/ChannelItem.h"
#include "net/api/ApiTestSupport.h"
#include "net/api/ClientPlatformAccount.h"
#include "net/api/ClientRequest.h"
#include "net/api/NSWeiBoNet.h"
#include "screens/account/UIChannelModifyView.h"
#include "screens/account/UIHelpViewController.h"
#include "screens/account/UIModifyViewCtrl.h"
#include "screens/account/UISetupViewController.h"
#include "screens/home/varimostaViewController.h"
#include "screens/reading/ChannelViewController.h"
#include "screens/social/UISearchWeiboViewCtrl.h"
#include "screens/social/UITabWriteViewCtrl.h"
#include "support/BusRecorder.h"
#include "support/MainLoop.h"
#include "support/ui/GoldenImage.h"
#include "support/ui/ScreenDriver.h"
#include "ui/framework/UINaviCtrl.h"
#include "ui/widgets/UINaviTabView.h"
#include "uilib/views/CustomerLauncherItem.h"

namespace {

using apitest::BoundAccount;

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
  void TearDown() override {
    varimostaViewController::setChannelScreenRecorder({});
    ClientPlatformAccount::setCurrent(nullptr);
  }

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
  std::string backgroundName() const {
    auto image = home->bgImageView()->image();
    return image ? image->name() : "";
  }
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
  EXPECT_NE(dump.find("UIImageView frame=(0 0; 320 480) image=\"mainBackground1.jpg\""),
            std::string::npos)
      << dump;
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
  // The list's one-time help picture lies over the channel until it is tapped away.
  if (auto help = window->viewWithTag(298)) {
    ASSERT_TRUE(ScreenDriver::tap(help));
    MainLoop::advance(0.5);
  }
  window->layoutIfNeeded();
  std::filesystem::path dir = std::filesystem::path(ZEPT_SCREENS_DIR) / "home";
  std::filesystem::create_directories(dir);
  std::string error;
  EXPECT_TRUE(UIScreenCaptureWritePNG(window, (dir / "channel-screen.png").string(), &error));
  std::ofstream(dir / "channel-screen.txt") << window->dump();
  EXPECT_TRUE(matchesGolden(window->compositeFrame(), "home_channel_screen"));
}

TEST_F(HomeScreenTest, TheMicroblogTileWithoutALoginStartsItAndOpensNothing) {
  auto engine = NSWeiBoNet::getNetEngine()->weiboEngine();
  ASSERT_TRUE(engine);
  ASSERT_FALSE(engine->isLoggedIn());
  auto before = navigation->viewControllers().size();
  ASSERT_TRUE(tapTile(6));
  // The login starts a moment after the tap, with the home screen hearing how it ends.
  EXPECT_NE(engine->delegate(), home);
  MainLoop::advance(0.011);
  EXPECT_EQ(engine->delegate(), home);
  MainLoop::advance(0.5);
  EXPECT_EQ(navigation->viewControllers().size(), before);
  EXPECT_FALSE(navigation->modalViewController());
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
  // Once it is NEW, another update leaves the buttons as they are; a new mark rebuilds them.
  window->layoutIfNeeded();
  auto seminar = home->launcherView()->buttonForItem(*tile(8));
  postNotification(kSeminarHasUpdated, Value("3"));
  window->layoutIfNeeded();
  EXPECT_EQ(home->launcherView()->buttonForItem(*tile(8)), seminar);
  post(kNewChannelsAdded, Value::arrayOf({Value::arrayOf({Value(12)})}), 125);
  window->layoutIfNeeded();
  EXPECT_NE(home->launcherView()->buttonForItem(*tile(8)), seminar);
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
    EXPECT_EQ(backgroundName(), "mainBackground" + std::to_string(c.to) + ".jpg");
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
  EXPECT_EQ(bubble()->imageView()->imageName(), "guideHome1");
  MainLoop::advance(1.0);
  EXPECT_EQ(bubble()->picture(), 2);
  EXPECT_EQ(bubble()->imageView()->imageName(), "guideHome2");
  MainLoop::advance(2.0);
  EXPECT_FALSE(bubble());
  home->loadGuideView();
  EXPECT_FALSE(bubble());
  EXPECT_EQ(NSConfig::readCacheValueWithKey("loadGuideHome").description(), "1");
}

TEST_F(HomeScreenTest, TheReadersOwnBackgroundShowsFromItsFileAndNothingOnceItIsGone) {
  std::string own = UIFilePath::getMainBackGroundImagePath(10);
  std::filesystem::create_directories(std::filesystem::path(own).parent_path());
  std::filesystem::copy_file(NSBundle::mainBundle()->resourcePath() + "/mainBackground5.jpg", own,
                             std::filesystem::copy_options::overwrite_existing);
  NSUserDefaults::standardUserDefaults()->setObject(Value(10), "main_background_image");
  home->changeOk();
  auto picture = home->bgImageView()->image();
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->size(), CGSizeMake(320, 480));
  std::filesystem::remove(own);
  home->changeOk();
  EXPECT_FALSE(home->bgImageView()->image());
  // Every picture of the cycle is in the bundle, and fills the screen.
  for (int n = 1; n <= varimostaViewController::kBackgroundPictures; ++n) {
    SCOPED_TRACE(n);
    NSUserDefaults::standardUserDefaults()->setObject(Value(n), "main_background_image");
    home->changeOk();
    ASSERT_TRUE(home->bgImageView()->image());
    EXPECT_EQ(backgroundName(), "mainBackground" + std::to_string(n) + ".jpg");
    EXPECT_EQ(home->bgImageView()->image()->size(), CGSizeMake(320, 480));
  }
}

TEST_F(HomeScreenTest, TheComposerOpensOnlyForABoundAccountAndAfterItsBinding) {
  // Not bound: the dispatcher asks to bind and remembers the composer's event; nothing opens.
  ASSERT_TRUE(ScreenDriver::tapTag(UIMenuBar::kWriteTag));
  MainLoop::advance(0.5);
  EXPECT_EQ(navigation->viewControllers().size(), 1u);
  auto alerts = UIAlertView::visibleAlerts();
  ASSERT_EQ(alerts.size(), 1u);
  EXPECT_EQ(alerts[0]->title(), "温馨提示");
  EXPECT_EQ(ClientRequest::engine()->eventType(), 130);
  UIAlertView::removeAllVisibleAlerts();

  // Bound: a binding announced for another event opens nothing, the composer's opens it.
  ClientPlatformAccount::setCurrent(std::make_shared<BoundAccount>());
  post(kBindAccountOk, Value(), 131);
  MainLoop::advance(0.5);
  EXPECT_EQ(navigation->viewControllers().size(), 1u);
  post(kBindAccountOk, Value(), 130);
  MainLoop::advance(0.5);
  EXPECT_TRUE(std::dynamic_pointer_cast<UITabWriteViewCtrl>(top()));
  navigation->popToRootViewControllerAnimated(false);
  MainLoop::advance(0.5);

  // And the bar's button opens it at once.
  ASSERT_TRUE(ScreenDriver::tapTag(UIMenuBar::kWriteTag));
  MainLoop::advance(0.5);
  EXPECT_TRUE(std::dynamic_pointer_cast<UITabWriteViewCtrl>(top()));
  EXPECT_TRUE(UIAlertView::visibleAlerts().empty());
}

TEST_F(HomeScreenTest, AMovedTileIsStoredWhenATouchOnTheBarEndsTheEditing) {
  auto bus = BusRecorder::observing({kChannelsUpdate});
  auto launcher = home->launcherView();
  auto firstTwo = [] {
    auto pages = ChannelItem::userChannelItems();
    return std::vector<int>{(*pages)[0][0]->type, (*pages)[0][1]->type};
  };
  auto before = firstTwo();
  auto middle = [](const std::shared_ptr<UIView>& v) {
    CGRect r = v->convertRectToView(v->bounds(), nullptr);
    return CGPointMake(CGRectGetMidX(r), CGRectGetMidY(r));
  };
  CGPoint from = middle(launcher->buttons()[0][0]), to = middle(launcher->buttons()[0][1]);
  ASSERT_TRUE(UIEventDriver::touchDown(from));
  MainLoop::advance(1.05);
  ASSERT_TRUE(launcher->editing());
  EXPECT_TRUE(home->isEditing());
  for (int i = 1; i <= 10; ++i) {
    MainLoop::advance(1.0 / 60);
    UIEventDriver::touchMove(
        CGPointMake(from.x + (to.x - from.x) * i / 10, from.y + (to.y - from.y) * i / 10));
  }
  ASSERT_TRUE(UIEventDriver::touchUp(to));
  MainLoop::advance(0.5);
  EXPECT_TRUE(home->needToSave());
  EXPECT_EQ(firstTwo(), before);  // nothing stored while editing
  EXPECT_EQ(bus->count(kChannelsUpdate), 0);

  // A touch on the bar away from its buttons is item 0: the editing ends and the order is kept.
  ASSERT_TRUE(ScreenDriver::tap(CGPointMake(277, 150)));
  MainLoop::advance(0.5);
  EXPECT_FALSE(launcher->editing());
  EXPECT_FALSE(home->isEditing());
  EXPECT_FALSE(home->needToSave());
  EXPECT_EQ(firstTwo(), (std::vector<int>{before[1], before[0]}));
  EXPECT_EQ(home->channelItemsArray()[0]->type, before[1]);
  EXPECT_EQ(bus->count(kChannelsUpdate), 1);
}

TEST_F(HomeScreenTest, AnEditingPeriodWithoutChangesStoresNothingAndStepsBackFromTheEmptyPage) {
  auto bus = BusRecorder::observing({kChannelsUpdate});
  auto launcher = home->launcherView();
  MainLoop::advance(3.1);  // paging on
  auto stored = ChannelItem::userChannelItemArray();
  ASSERT_TRUE(stored);
  ASSERT_TRUE(ScreenDriver::longPress(launcher->buttons()[0][0], 1.1));
  MainLoop::advance(0.5);
  ASSERT_TRUE(launcher->editing());
  // Shown: the empty page editing adds after the last one.
  long pages = long(launcher->pages().size());
  launcher->scrollToPage(pages - 1, false);
  window->layoutIfNeeded();
  EXPECT_EQ(launcher->pager()->currentPage(), pages - 1);

  home->touchMenuItem(0);
  MainLoop::advance(0.5);
  EXPECT_FALSE(launcher->editing());
  EXPECT_EQ(bus->count(kChannelsUpdate), 0);
  auto after = ChannelItem::userChannelItemArray();
  ASSERT_TRUE(after);
  ASSERT_EQ(after->size(), stored->size());
  for (size_t i = 0; i < stored->size(); ++i) EXPECT_EQ((*after)[i]->type, (*stored)[i]->type);
  // That page went with the editing; the dots step back onto the last real page.
  EXPECT_EQ(long(launcher->pages().size()), pages - 1);
  EXPECT_EQ(launcher->pager()->currentPage(), pages - 2);
}

// ---- on a 568-point screen

class TallHomeScreenTest : public HomeScreenTest {
 protected:
  void SetUp() override {
    UIDeviceProfile tall = UIDevice::profile();
    tall.screenHeight = 568;
    UIDevice::setProfile(tall);
    HomeScreenTest::SetUp();
  }
  void TearDown() override {
    HomeScreenTest::TearDown();
    UIDevice::resetProfile();
  }
};

TEST_F(TallHomeScreenTest, TheBackgroundFillsTheTallerScreenAndTheTilesStartLower) {
  ASSERT_TRUE(NSGlobe::getEngine()->isIphone5());
  std::string dump = window->dump();
  EXPECT_NE(dump.find("UIImageView frame=(0 0; 320 568) image=\"mainBackground1.jpg\""),
            std::string::npos)
      << dump;
  EXPECT_NE(dump.find("ULLauncherView frame=(0 25; 320 523)"), std::string::npos) << dump;
  EXPECT_NE(dump.find("UIMenuBar frame=(262 12; 30 518)"), std::string::npos) << dump;
  const auto& buttons = home->launcherView()->buttons();
  ASSERT_FALSE(buttons.empty());
  EXPECT_EQ(buttons[0].size(), 8u);
  window->layoutIfNeeded();
  EXPECT_TRUE(matchesGolden(window->compositeFrame(), "home_tall"));

  // The guide bubble sits 290 points above the bottom there.
  NSGlobe::getEngine()->setCurNetStatus(2);
  home->loadGuideView();
  std::shared_ptr<UIChannelModifyView> bubble;
  for (const auto& v : home->view()->subviews())
    if (auto b = std::dynamic_pointer_cast<UIChannelModifyView>(v)) bubble = b;
  ASSERT_TRUE(bubble);
  EXPECT_TRUE(CGRectEqualToRect(bubble->frame(), CGRectMake(150, 278, 156, 106)));
  EXPECT_EQ(bubble->imageView()->imageName(), "guideHome1");
}

}  // namespace

// The channel screen in the running app against the local content server: a tap on the home
// screen's news tile pushes it, it tells the bus which list it opened, asks the server for the
// first page and shows it as rows with their separators above the bottom bar, on the 480- and
// the 568-point screen.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "AppTestSupport.h"
#include "Foundation/NSFileManager.h"
#include "UIKit/UINavigationController.h"
#include "UIKit/UITableView.h"
#include "UIKit/UITableViewCell.h"
#include "core/UIFilePath.h"
#include "model/ChannelItem.h"
#include "screens/reading/ChannelViewController.h"
#include "support/BusRecorder.h"
#include "support/ui/GoldenImage.h"
#include "support/ui/ScreenDriver.h"
#include "ui/feed/UIHomeViewCell.h"
#include "ui/framework/MyViewController.h"
#include "ui/framework/UINaviCtrl.h"
#include "ui/widgets/UINaviComView.h"

using namespace apptest;

namespace {

class ChannelScreenEndToEndTest : public AppTest {
 protected:
  void TearDown() override {
    UIDevice::resetProfile();
    AppTest::TearDown();
  }

  // Starts the app on a screen of that height and waits until the home screen shows its tiles
  // and lets them be paged.
  void startOn(CGFloat screenHeight) {
    UIDeviceProfile profile;
    profile.screenHeight = screenHeight;
    UIDevice::setProfile(profile);
    storeClientKey();
    launch();
    ASSERT_TRUE(waitFor([&] { return startedUp(); }));
    advance(3);
  }

  // Opens the news channel by its tile and checks what the screen shows: 20 feed rows, row 0's
  // item view under the title, two separators per row and the bottom bar at the screen's
  // bottom.  Returns the screen.
  std::shared_ptr<ChannelViewController> openNewsByItsTile(CGFloat screenHeight) {
    auto channels = ChannelItem::getChannelList();
    auto news = std::find_if(channels.begin(), channels.end(),
                             [](const ChannelItemPtr& c) { return c->name == "要闻"; });
    EXPECT_NE(news, channels.end());
    if (news == channels.end()) return nullptr;
    // Nothing cached from an earlier run in this process: the first page comes from the server.
    NSFileManager::defaultManager().removeItemAtPath(
        UIFilePath::getChannelFilePath(0, std::to_string((*news)->type), 1, 0));
    size_t before = server.requests("/Channels/Channel.aspx").size();
    auto bus = BusRecorder::observing({"seminar_has_request"});

    EXPECT_TRUE(tapTile("要闻"));
    auto screen = std::dynamic_pointer_cast<ChannelViewController>(
        app->navigationController()->topViewController());
    EXPECT_TRUE(screen);
    if (!screen) return nullptr;
    EXPECT_EQ(app->channelViewController(), screen);
    EXPECT_TRUE(advanceUntil([&] { return screen->statusCount() == 20; }, 0.2));
    advance(1);

    // The list kind and channel type it opened, as numbers.
    EXPECT_EQ(bus->count("seminar_has_request", 85), 1);
    if (bus->posts.size() == 1) {
      const Value& data = bus->posts[0].data;
      EXPECT_TRUE(data.isArray());
      EXPECT_EQ(data.count(), 2u);
      EXPECT_TRUE(data[0].isNumber() && data[1].isNumber()) << data.description();
      EXPECT_EQ(data[0].intValue(), (*news)->templateId);
      EXPECT_EQ(data[1].intValue(), (*news)->type);
    }
    auto requests = server.requests("/Channels/Channel.aspx");
    EXPECT_EQ(requests.size(), before + 1);
    if (!requests.empty()) {
      EXPECT_EQ(requests.back().param("channel_id"), std::to_string((*news)->type));
      EXPECT_EQ(requests.back().param("page"), "1");
    }

    // What the window shows: the bar at the bottom of the screen's view, the first row's item
    // view 24 lower than the others, under the title.
    app->window()->layoutIfNeeded();
    std::string dump = app->window()->dump();
    std::string bar =
        "UINaviComView frame=(0 " + std::to_string(int(screenHeight) - 64) + "; 320 44)";
    EXPECT_NE(dump.find(bar), std::string::npos) << dump;
    EXPECT_NE(dump.find("UIHomeViewCell frame=(15 34; 290 "), std::string::npos) << dump;
    EXPECT_TRUE(screen->naviBarView());
    if (screen->naviBarView()) {
      EXPECT_EQ(screen->naviBarView()->frame().origin.y, screenHeight - 64);
    }

    auto table = screen->dataTableView();
    EXPECT_EQ(table->numberOfRowsInSection(0), 20);
    table->layoutIfNeeded();
    auto first = table->cellForRowAtIndexPath(NSIndexPath::indexPathForRow(0, 0));
    EXPECT_TRUE(first);
    if (first) {
      EXPECT_NE(first->dump().find("UIHomeViewCell frame=(15 34; 290 "), std::string::npos)
          << first->dump();
    }
    // A first-time reader sees the list's help picture over it all, and taps it away.
    if (auto help = app->window()->viewWithTag(298)) {
      EXPECT_TRUE(ScreenDriver::tap(help));
      advance(0.5);
    }
    EXPECT_FALSE(table->visibleCells().empty());
    for (const auto& cell : table->visibleCells()) {
      CGFloat h = cell->frame().size.height;
      std::vector<CGRect> lines;
      for (const auto& sub : cell->contentView()->subviews())
        if (sub->frame().size == CGSizeMake(290, 1)) lines.push_back(sub->frame());
      EXPECT_EQ(lines,
                (std::vector<CGRect>{CGRectMake(15, h - 1, 290, 1), CGRectMake(15, h, 290, 1)}))
          << cell->dump();
    }
    return screen;
  }
};

TEST_F(ChannelScreenEndToEndTest, TheNewsTileOpensTheNewsChannelWithItsFirstPageOfTwentyRows) {
  startOn(480);
  auto screen = openNewsByItsTile(480);
  ASSERT_TRUE(screen);
  EXPECT_TRUE(matchesGolden(app->window()->compositeFrame(), "news_channel_first_page"));
}

TEST_F(ChannelScreenEndToEndTest, OnThe568PointScreenTheBottomBarSitsAt504) {
  startOn(568);
  ASSERT_TRUE(openNewsByItsTile(568));
  EXPECT_TRUE(matchesGolden(app->window()->compositeFrame(), "news_channel_first_page_568"));
}

}  // namespace

namespace {

TEST_F(ChannelScreenEndToEndTest, APanToTheLeftOverTheChannelShowsTheRightHandPanel) {
  startOn(480);
  ASSERT_TRUE(openNewsByItsTile(480));
  auto panel = app->myViewController();
  ASSERT_TRUE(panel);
  ASSERT_FALSE(panel->isVisible());
  // The list's one-time help lies over everything until it is tapped away.
  if (app->window()->viewWithTag(298)) {
    ASSERT_TRUE(ScreenDriver::tap(CGPointMake(160, 240)));
    advance(0.5);
  }
  ASSERT_TRUE(ScreenDriver::drag(CGPointMake(250, 300), CGPointMake(190, 302), 0.4));
  EXPECT_TRUE(panel->isVisible());
  EXPECT_FALSE(panel->view()->isHidden());
  // Still on the channel: a leftward pan does not leave it.
  EXPECT_EQ(app->navigationController()->topViewController(), app->channelViewController());
}

}  // namespace

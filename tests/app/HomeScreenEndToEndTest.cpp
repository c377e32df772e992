// The home screen in the running app against the local content server: after start-up it
// shows the bundle's background picture under the tiles, and a tapped channel tile becomes the
// app delegate's channel screen.
#include <gtest/gtest.h>

#include <string>

#include "AppTestSupport.h"
#include "UIKit/UINavigationController.h"
#include "model/ChannelItem.h"
#include "screens/reading/ChannelViewController.h"

using namespace apptest;

TEST_F(AppTest, TheHomeScreenShowsItsBackgroundAndATappedTileBecomesTheChannelScreen) {
  storeClientKey();
  launch();
  ASSERT_TRUE(waitFor([&] { return startedUp(); }));
  auto home = app->homeScreen();
  ASSERT_TRUE(home);

  advance(3.5);  // the splash is gone
  std::string dump = app->window()->dump();
  EXPECT_NE(dump.find("UIImageView frame=(0 0; 320 480) image=\"mainBackground1.jpg\""),
            std::string::npos)
      << dump;
  ASSERT_TRUE(home->bgImageView()->image());

  // The news tile: pushed, and recorded as the app delegate's channel screen.
  ASSERT_TRUE(tapTile("要闻"));
  advance(0.5);
  auto screen = std::dynamic_pointer_cast<ChannelViewController>(
      app->navigationController()->topViewController());
  ASSERT_TRUE(screen);
  EXPECT_EQ(screen->channelItem()->name, "要闻");
  EXPECT_EQ(app->channelViewController(), screen);
}

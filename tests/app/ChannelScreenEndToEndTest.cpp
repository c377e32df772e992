// The channel screen in the running app against the local content server: the news channel
// of the bundled catalogue opened as its home tile opens it, its first page asked for and shown
// as rows with their separators above the bottom bar.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "AppTestSupport.h"
#include "UIKit/UINavigationController.h"
#include "UIKit/UITableView.h"
#include "UIKit/UITableViewCell.h"
#include "model/ChannelItem.h"
#include "screens/reading/ChannelViewController.h"
#include "support/BusRecorder.h"
#include "support/ui/GoldenImage.h"
#include "ui/feed/UIHomeViewCell.h"
#include "ui/framework/UINaviCtrl.h"
#include "ui/widgets/UINaviComView.h"

using namespace apptest;

TEST_F(AppTest, TheNewsChannelOpensWithItsFirstPageOfTwentyRows) {
  storeClientKey();
  launch();
  ASSERT_TRUE(waitFor([&] { return startedUp(); }));
  advance(3);
  auto channels = ChannelItem::getChannelList();
  auto news = std::find_if(channels.begin(), channels.end(),
                           [](const ChannelItemPtr& c) { return c->name == "要闻"; });
  ASSERT_NE(news, channels.end());
  size_t before = server.requests("/Channels/Channel.aspx").size();
  auto bus = BusRecorder::observing({"seminar_has_request"});

  // As the home tile opens it.
  auto screen = ChannelViewController::initWithChannelItem(*news);
  app->navigationController()->pushViewController(screen, true);
  app->setChannelViewController(screen);
  ASSERT_TRUE(advanceUntil([&] { return screen->statusCount() == 20; }, 0.2));
  advance(1);

  EXPECT_EQ(app->navigationController()->topViewController(), screen);
  ASSERT_EQ(bus->posts.size(), 1u);
  EXPECT_EQ(bus->posts[0].type, 85);
  ASSERT_TRUE(bus->posts[0].data.isArray());
  EXPECT_EQ(bus->posts[0].data[0].intValue(), (*news)->templateId);
  EXPECT_EQ(bus->posts[0].data[1].intValue(), (*news)->type);
  auto requests = server.requests("/Channels/Channel.aspx");
  ASSERT_EQ(requests.size(), before + 1);
  EXPECT_EQ(requests.back().param("channel_id"), std::to_string((*news)->type));

  auto table = screen->dataTableView();
  ASSERT_EQ(table->numberOfRowsInSection(0), 20);
  table->layoutIfNeeded();
  auto first = table->cellForRowAtIndexPath(NSIndexPath::indexPathForRow(0, 0));
  ASSERT_TRUE(first);
  std::string dump = first->dump();
  EXPECT_NE(dump.find("UIHomeViewCell frame=(15 34; 290 "), std::string::npos) << dump;
  for (const auto& cell : table->visibleCells()) {
    CGFloat h = cell->frame().size.height;
    std::vector<CGRect> lines;
    for (const auto& sub : cell->contentView()->subviews())
      if (sub->frame().size == CGSizeMake(290, 1)) lines.push_back(sub->frame());
    EXPECT_EQ(lines,
              (std::vector<CGRect>{CGRectMake(15, h - 1, 290, 1), CGRectMake(15, h, 290, 1)}))
        << cell->dump();
  }
  ASSERT_TRUE(screen->naviBarView());
  EXPECT_EQ(screen->naviBarView()->frame().origin.y, 416);
  EXPECT_TRUE(matchesGolden(app->window()->compositeFrame(), "news_channel_first_page"));
}

// The item detail view in the running app against the local content server: the news channel
// opened as its home tile opens it, a tap on the row of a status with comments, the rows
// splitting apart for 0.85 s, then the detail with the server's comments behind the two tabs,
// and the return button closing it again.  Adverts are off in the demo switches and no
// platform account is bound.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "AppTestSupport.h"
#include "UIKit/UIButton.h"
#include "UIKit/UIColor.h"
#include "UIKit/UINavigationController.h"
#include "UIKit/UITableView.h"
#include "UIKit/UITableViewCell.h"
#include "core/UIFilePath.h"
#include "model/ChannelItem.h"
#include "model/Comment.h"
#include "model/NSLoginData.h"
#include "model/Status.h"
#include "screens/reading/ChannelViewController.h"
#include "screens/reading/UIContentView.h"
#include "screens/reading/UITabContentView.h"
#include "support/BusRecorder.h"
#include "support/ui/GoldenImage.h"
#include "support/ui/ScreenDriver.h"
#include "ui/feed/UIHomeViewCell.h"
#include "ui/framework/UINaviCtrl.h"
#include "ui/widgets/UINaviComView.h"

using namespace apptest;

namespace {

std::vector<std::string> texts(const Value& data) {
  return BusRecorder::texts(data);
}

std::shared_ptr<UIHomeViewCell> itemViewOf(const std::shared_ptr<UITableViewCell>& cell) {
  if (!cell) return nullptr;
  for (const auto& sub : cell->contentView()->subviews())
    if (auto item = std::dynamic_pointer_cast<UIHomeViewCell>(sub)) return item;
  return nullptr;
}

}  // namespace

TEST_F(AppTest, ATapOnACommentedNewsRowOpensItsDetailWithTheServersComments) {
  storeClientKey();
  launch();
  ASSERT_TRUE(waitFor([&] { return startedUp(); }));
  advance(3);
  ASSERT_FALSE(NSConfig::engine()->config() && NSConfig::engine()->config()->isShowAd);
  auto channels = ChannelItem::getChannelList();
  auto news = std::find_if(channels.begin(), channels.end(),
                           [](const ChannelItemPtr& c) { return c->name == "要闻"; });
  ASSERT_NE(news, channels.end());
  auto screen = ChannelViewController::initWithChannelItem(*news);
  app->navigationController()->pushViewController(screen, true);
  app->setChannelViewController(screen);
  ASSERT_TRUE(advanceUntil([&] { return screen->statusCount() == 20; }, 0.2));
  advance(1);

  // A first-time reader: the list's help picture is tapped away.
  auto listHelp = app->window()->viewWithTag(298);
  ASSERT_TRUE(listHelp);
  ASSERT_TRUE(ScreenDriver::tap(listHelp));
  ASSERT_FALSE(app->window()->viewWithTag(298));

  // The first visible row whose status has comments.
  auto table = screen->dataTableView();
  table->layoutIfNeeded();
  std::shared_ptr<UITableViewCell> tapped;
  StatusPtr status;
  for (const auto& cell : table->visibleCells()) {
    auto item = itemViewOf(cell);
    auto s = item ? std::dynamic_pointer_cast<Status>(item->weiboitem()) : nullptr;
    if (s && s->commentsCount > 0) {
      tapped = cell;
      status = s;
      break;
    }
  }
  ASSERT_TRUE(tapped);
  // Its picture is on disk before the row is opened, as it is for a reader who looked at it.
  auto onDisk = [](std::string_view address) {
    auto path = UIFilePath::getImageWithPath(address);
    return path && std::filesystem::exists(*path);
  };
  if (!status->thumbnailPic.empty()) {
    ASSERT_TRUE(waitFor([&] { return onDisk(status->thumbnailPic); }));
  }
  const std::string id = std::to_string(status->statusId);
  std::filesystem::remove(UIFilePath::cacheCommentPath(id));
  std::map<std::shared_ptr<UITableViewCell>, CGRect> frames;
  for (const auto& cell : table->visibleCells()) frames[cell] = cell->frame();
  size_t commentPagesBefore = server.requests("/Channels/Comments.aspx").size();
  auto bus = BusRecorder::observing({kGlobeRequest, kLogAction});

  // A tap on the row's left margin, below the bar and clear of the item's links and pictures.
  CGPoint point = tapped->convertPointToView(CGPointMake(6, 90), nullptr);
  ASSERT_EQ(app->window()->hitTest(point, nullptr), tapped->contentView());
  ASSERT_TRUE(ScreenDriver::tap(point));
  auto detail = screen->contentView();
  ASSERT_TRUE(detail);
  // The rows split apart for 0.85 s; then the detail builds its table and asks for comments.
  advance(0.8);
  EXPECT_FALSE(detail->ctableView());
  EXPECT_EQ(bus->count(kGlobeRequest), 0);
  advance(0.06);
  ASSERT_TRUE(detail->ctableView());
  // The detail's help picture came with it, the first time; a tap puts it away.
  auto detailHelp = app->window()->viewWithTag(UIContentView::kHelpTag);
  ASSERT_TRUE(detailHelp);
  ASSERT_TRUE(ScreenDriver::tap(detailHelp));
  ASSERT_FALSE(app->window()->viewWithTag(UIContentView::kHelpTag));

  // Unbound, adverts off: the server's comment list, nothing else of the item.
  std::vector<BusRecorder::Post> asked;
  for (const auto& p : bus->posts)
    if (p.name == kGlobeRequest) asked.push_back(p);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0].type, toInt(RequestType::CommentList));
  EXPECT_EQ(texts(asked[0].data), (std::vector<std::string>{id, "0", "20"}));
  ASSERT_TRUE(waitFor([&] { return detail->commentArray().has_value() && !detail->isInLoad(); }));
  auto pages = server.requests("/Channels/Comments.aspx");
  ASSERT_EQ(pages.size(), commentPagesBefore + 1);
  EXPECT_EQ(pages.back().param("blog_id"), id);
  EXPECT_EQ(pages.back().paramOr("max_id"), "0");
  ASSERT_FALSE(detail->commentArray()->empty());

  // The read is logged once: [8, statusId].
  std::vector<BusRecorder::Post> reads;
  for (const auto& p : bus->posts)
    if (p.name == kLogAction && p.type == 8) reads.push_back(p);
  ASSERT_EQ(reads.size(), 1u);
  EXPECT_EQ(texts(reads[0].data), (std::vector<std::string>{"8", id}));

  // The heads of the comment rows on screen come from the server; the rows are drawn again
  // with them.
  advance(0.1);
  auto headsCached = [&] {
    auto table = detail->ctableView();
    for (const auto& cell : table->visibleCells()) {
      auto path = table->indexPathForCell(cell);
      if (!path || path->section != 1 ||
          path->row >= static_cast<long>(detail->commentArray()->size()))
        continue;
      auto head =
          UIFilePath::getImageWithPath((*detail->commentArray())[path->row]->user->profileImageUrl);
      if (!head || !std::filesystem::exists(*head)) return false;
    }
    return true;
  };
  ASSERT_TRUE(waitFor(headsCached));
  // The item's middle-size picture follows; the item grows to show it.
  if (!status->bmiddlePic.empty()) {
    ASSERT_TRUE(waitFor([&] { return onDisk(status->bmiddlePic); }));
  }
  advance(0.6);
  detail->ctableView()->reloadData();
  advance(0.1);

  // The item's detail layout heads the table; the tabs under it, comments shown in red.
  auto itemCell = detail->ctableView()->cellForRowAtIndexPath(NSIndexPath::indexPathForRow(0, 0));
  ASSERT_TRUE(itemCell);
  EXPECT_EQ(itemViewOf(itemCell), detail->contentCell());
  EXPECT_EQ(itemCell->frame().size.height, detail->contentCell()->frame().size.height + 20);
  auto tabs = detail->headContentView();
  ASSERT_TRUE(tabs);
  auto repostTab = std::dynamic_pointer_cast<UIButton>(tabs->viewWithTag(2));
  auto commentTab = std::dynamic_pointer_cast<UIButton>(tabs->viewWithTag(3));
  ASSERT_TRUE(repostTab && commentTab);
  EXPECT_EQ(repostTab->titleForState(UIControlStateNormal),
            "转发:" + std::to_string(status->retweetsCount));
  EXPECT_EQ(commentTab->titleForState(UIControlStateNormal),
            "评论:" + std::to_string(status->commentsCount));
  EXPECT_TRUE(commentTab->titleColorForState(UIControlStateNormal)->isEqual(*UIColor::redColor()));
  EXPECT_FALSE(repostTab->titleColorForState(UIControlStateNormal)->isEqual(*UIColor::redColor()));

  // Comment rows: "name: text (time)"; a one-line row is 65 high with its reply button.
  const auto& first = (*detail->commentArray())[0];
  auto row0 = detail->ctableView()->cellForRowAtIndexPath(NSIndexPath::indexPathForRow(0, 1));
  ASSERT_TRUE(row0);
  std::string dump = row0->dump();
  EXPECT_NE(dump.find("text=\"" + first->user->screenName + ": " + first->text + " (" +
                      first->timestamp() + ")\""),
            std::string::npos)
      << dump;
  EXPECT_NE(dump.find("UIButton frame=(260 8; 22 22) image=\"inCommont\""), std::string::npos)
      << dump;
  bool oneLineSeen = false;
  for (size_t i = 0; i < detail->commentArray()->size(); ++i) {
    auto cell = detail->ctableView()->cellForRowAtIndexPath(
        NSIndexPath::indexPathForRow(static_cast<long>(i), 1));
    if (!cell) break;
    auto c = (*detail->commentArray())[i];
    if (UIHomeViewCell::getHeightWithComment(c, detail->actionType()) != 65) continue;
    oneLineSeen = true;
    EXPECT_EQ(cell->frame().size.height, 65) << cell->dump();
  }
  EXPECT_TRUE(oneLineSeen);
  EXPECT_EQ(bus->count(kLogAction, 8), 1);
  EXPECT_TRUE(matchesGolden(app->window()->compositeFrame(), "news_detail_comments"));

  // The return button closes the detail through the screen; the rows get their frames back.
  ASSERT_TRUE(detail->toolBar());
  ASSERT_TRUE(ScreenDriver::tap(detail->toolBar()->viewWithTag(UINaviComView::kReturnTag)));
  advance(0.9);
  EXPECT_FALSE(screen->contentView());
  EXPECT_FALSE(detail->superview());
  for (const auto& [cell, frame] : frames) EXPECT_EQ(cell->frame(), frame) << cell->dump();
  EXPECT_EQ(bus->count(kLogAction, 8), 1);
}

// A list screen on the base of the list screens, filled from a channel page of the local
// content server through the bus (request type 4) and pulled through the screen driver on the
// virtual clock: the rows and the more row, the pull-down refresh and its 0.5 s, load-more and
// the strip that counts the new items.
#include <gtest/gtest.h>

#include "Common/JXKit/NSDictionary+JXKitSerializing.h"
#include "Common/JXKit/NSString+JXKitDeserializing.h"
#include "CoreGraphics/CGContext.h"
#include "Foundation/NSBundle.h"
#include "Foundation/NSUserDefaults.h"
#include "UIKit/UILabel.h"
#include "UIKit/UINavigationItem.h"
#include "UIKit/UIScreen.h"
#include "UIKit/UIWindow.h"
#include "core/NSGlobe.h"
#include "core/NSObject+notification.h"
#include "core/NotificationNames.h"
#include "model/NSStatusesInfo.h"
#include "model/ZizaJsonStatusParser.h"
#include "net/api/ApiTestSupport.h"
#include "net/api/NSWeiBoNet.h"
#include "support/MainLoop.h"
#include "support/ui/GoldenImage.h"
#include "support/ui/ScreenDriver.h"
#include "ui/framework/FeedbackViews.h"
#include "ui/framework/PHProgressHUD.h"
#include "ui/framework/UINaviCtrl.h"
#include "ui/framework/UIScrollViewCtrl.h"

namespace {

constexpr const char* kChannel = "101";

// A channel's list as the channel screens make one: refresh asks the bus for page 1, and the
// reply replaces the items.
class ChannelList : public UIScrollViewCtrl {
 public:
  int refreshes = 0;
  int replies = 0;
  int moreRequests = 0;
  // The offset at which the last drag was let go.
  CGFloat releasedAt = 0;

  void refresh(const Value&) override {
    ++refreshes;
    postNotification(kGlobeRequest, Value(makeArray({Value(kChannel), Value("1"), Value("0")})),
                     RequestType::ChannelStatuses,
                     selector(weakSelf<ChannelList>(), &ChannelList::channelReply, "channelReply:"),
                     weakSelf<NSObject>());
  }
  void loadMoreData() override {
    UIScrollViewCtrl::loadMoreData();
    ++moreRequests;
  }
  void channelReply(const Value& reply) {
    ++replies;
    auto page = ZizaJsonStatusParser::parseDicToStatusesInfo(reply.string());
    recordBeforeRefresh();
    lastdataArray().clear();
    if (page && page->statuses)
      for (auto& s : *page->statuses) lastdataArray().push_back(s);
    dataTableView()->reloadData();
    showCurRefresh();
  }
  void scrollViewDidEndDraggingWillDecelerate(const std::shared_ptr<UIScrollView>& scrollView,
                                              bool decelerate) override {
    releasedAt = scrollView->contentOffset().y;
    UIScrollViewCtrl::scrollViewDidEndDraggingWillDecelerate(scrollView, decelerate);
  }
};

class ListScreensTest : public apitest::ServerClientTest {
 protected:
  void SetUp() override {
    ServerClientTest::SetUp();
    NSUserDefaults::standardUserDefaults()->setObject(Value(key), "registerClientKey");
    NSWeiBoNet::getNetEngine();
    FeedbackViews::install();
    NSGlobe::getEngine()->setThemeNum(1);
    root = std::make_shared<UIViewController>();
    nav = std::make_shared<UINaviCtrl>(root);
    window = std::make_shared<UIWindow>(UIScreen::mainScreen()->bounds());
    window->setRootViewController(nav);
    window->makeKeyAndVisible();
    screen = std::make_shared<ChannelList>();
    nav->pushViewController(screen, false);
    MainLoop::advance(1);
  }

  // The screen asks for its page and shows it.
  void load() {
    int before = screen->replies;
    screen->refresh(Value());
    ASSERT_TRUE(waitFor([&] { return screen->replies == before + 1; }));
    MainLoop::advance(0.1);
  }
  size_t pageRequests() const {
    size_t n = 0;
    for (const auto& r : server.requests())
      if (r.path.find("hannel") != std::string::npos && r.path.find("List") == std::string::npos)
        ++n;
    return n;
  }
  // Pulls the list down from the middle of the table by the finger's distance and lets go.
  void pullDown(CGFloat distance) {
    CGPoint from = CGPointMake(160, 150);
    ASSERT_TRUE(ScreenDriver::drag(from, CGPointMake(160, 150 + distance), 0.5));
  }
  const std::shared_ptr<PRRefreshTableHeaderView>& header() { return screen->refreshHeaderView(); }
  std::string status() { return header()->statusLabel()->text(); }

  std::shared_ptr<UIViewController> root;
  std::shared_ptr<UINaviCtrl> nav;
  std::shared_ptr<UIWindow> window;
  std::shared_ptr<ChannelList> screen;
};

TEST_F(ListScreensTest, AFullPageFromTheServerShowsTwentyOneRowsWithTheMoreRowLast) {
  load();
  auto table = screen->dataTableView();
  ASSERT_EQ(screen->lastdataArray().size(), 20u);
  EXPECT_EQ(table->numberOfRowsInSection(0), 21);
  EXPECT_EQ(table->rectForRowAtIndexPath(NSIndexPath::indexPathForRow(20, 0)),
            CGRectMake(0, 800, 320, 40));
  table->scrollRectToVisible(CGRectMake(0, 800, 320, 40), false);
  MainLoop::advance(0.1);
  auto more = table->cellForRowAtIndexPath(NSIndexPath::indexPathForRow(20, 0));
  ASSERT_NE(more, nullptr);
  EXPECT_EQ(more->dump(),
            "UITableViewCell frame=(0 800; 320 40) reuse=\"Cell\"\n"
            "  UITableViewCellContentView frame=(0 0; 320 39)\n"
            "    UILabel frame=(10 0; 300 39) text=\"更多...\"\n"
            "    UIActivityIndicatorView frame=(200 10; 20 20) hidden\n");
  EXPECT_EQ(more->textLabel()->text(), NSLocalizedString("TableMore"));
  EXPECT_EQ(more->textLabel()->textAlignment(), UITextAlignmentCenter);
  // Asking for the next page sets the spinner going.
  screen->prMoreRefreshTableHeaderDidTriggerRefresh(*screen->downRefresh());
  EXPECT_EQ(screen->moreRequests, 1);
  EXPECT_NE(more->dump().find("UIActivityIndicatorView frame=(200 10; 20 20) animating\n"),
            std::string::npos);
  auto ctx = CGContext::createImageContext(table->bounds().size, 2, true);
  ctx->setGrayFillColor(1, 1);
  ctx->fillRect(CGRectMake(0, 0, 320, 480));
  table->layer()->renderInContext(ctx);
  EXPECT_TRUE(matchesGolden(ctx->makeImage(), "list_more_row"));
}

TEST_F(ListScreensTest, RowsFollowThePageSize) {
  struct Case {
    long items, pageSize, rows;
  } cases[] = {{0, 20, 0},   {19, 20, 19}, {20, 20, 21}, {40, 20, 41},
               {41, 20, 41}, {3, 1, 4},    {3, 0, 4},    {3, -5, 4}};
  for (const Case& c : cases) {
    screen->lastdataArray().assign(size_t(c.items), std::make_shared<Status>());
    screen->setPrePageNum(c.pageSize);
    screen->dataTableView()->reloadData();
    EXPECT_EQ(screen->dataTableView()->numberOfRowsInSection(0), c.rows)
        << c.items << " items, page " << c.pageSize;
  }
}

TEST_F(ListScreensTest, PullingDownPastTheThresholdRefreshesForHalfASecond) {
  load();
  size_t before = pageRequests();
  // Past the top the list follows the finger at half its speed.
  pullDown(150);
  EXPECT_LE(screen->releasedAt, -65);
  EXPECT_GT(screen->releasedAt, -75);
  EXPECT_EQ(screen->refreshes, 2);
  EXPECT_TRUE(screen->_reloading());
  EXPECT_EQ(status(), NSLocalizedString("Loading..."));
  EXPECT_EQ(screen->dataTableView()->contentInset().top, 60);
  ASSERT_TRUE(waitFor([&] { return screen->replies == 2; }));
  EXPECT_EQ(pageRequests(), before + 1);

  MainLoop::advance(0.5);
  EXPECT_FALSE(screen->_reloading());
  EXPECT_EQ(status(), NSLocalizedString("Pull down to refresh..."));
  auto running = UIView::runningAnimations();
  ASSERT_FALSE(running.empty());
  EXPECT_DOUBLE_EQ(running.back().duration, 0.3);
  EXPECT_EQ(screen->dataTableView()->contentInset().top, 0);
  MainLoop::advance(1);

  // Let go short of the threshold: nothing happens.
  auto table = screen->dataTableView();
  table->setContentOffset(CGPointMake(0, -64.9));
  header()->prRefreshScrollViewDidEndDragging(*table);
  MainLoop::advance(1);
  EXPECT_EQ(screen->refreshes, 2);
  EXPECT_EQ(header()->state(), PRState::Normal);
  EXPECT_EQ(table->contentInset().top, 0);
  // Exactly at the threshold it refreshes.
  table->setContentOffset(CGPointMake(0, -65));
  header()->prRefreshScrollViewDidEndDragging(*table);
  EXPECT_EQ(screen->refreshes, 3);
  EXPECT_EQ(header()->state(), PRState::Loading);
  ASSERT_TRUE(waitFor([&] { return screen->replies == 3; }));
  MainLoop::advance(0.5);
}

TEST_F(ListScreensTest, TheStripCountsTheItemsAboveTheOneThatWasFirst) {
  // Page 1 as the server gives it now, and as it was before its three newest items came.
  auto reader = apitest::Receiver::make();
  postNotification(kGlobeRequest, Value(makeArray({Value(kChannel), Value("1"), Value("0")})),
                   RequestType::ChannelStatuses, reader->action(), reader);
  ASSERT_TRUE(waitFor([&] { return reader->replies.size() == 1; }));
  std::string path = server.requests().back().path;
  ValueDictionary older =
      objectFromJSONString(reader->replies[0].string()).dictionary()->mutableCopy();
  ValueArray statuses = Value(older)["statuses"].array()->mutableCopy();
  for (int i = 0; i < 3; ++i) statuses->removeObjectAtIndex(0);
  older->setObject(Value(statuses), "statuses");
  server.script(path,
                zept::server::EndpointScript::replyWith(std::string(JSONString(older).string())).forRequests(1));

  // The first load after reSetParam shows no strip.
  screen->reSetParam();
  load();
  ASSERT_EQ(screen->lastdataArray().size(), 17u);
  auto strip = screen->view()->viewWithTag(PHProgressHUD::kBarPromptTag);
  EXPECT_TRUE(!strip || strip->frame().origin.y == -26);

  load();
  ASSERT_EQ(screen->lastdataArray().size(), 20u);
  strip = screen->view()->viewWithTag(PHProgressHUD::kBarPromptTag);
  ASSERT_NE(strip, nullptr);
  auto label =
      std::dynamic_pointer_cast<UILabel>(strip->viewWithTag(PHProgressHUD::kBarPromptLabelTag));
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->text(), "3条新微博");
  EXPECT_EQ(strip->dump(),
            "UIImageView frame=(0 0; 320 26) tag=1001 image=\"naviMsgBk\"\n"
            "  UILabel frame=(0 0; 320 26) tag=10020 text=\"3条新微博\"\n");
  bool slid = false;
  for (const auto& a : UIView::runningAnimations()) slid |= a.duration == 0.85;
  EXPECT_TRUE(slid);
  EXPECT_EQ(strip->frame().origin.y, 0);
  MainLoop::advance(1.5);
  EXPECT_EQ(strip->frame().origin.y, -26);

  // Nothing new.
  load();
  EXPECT_EQ(label->text(), NSLocalizedString("没有新微博"));
  EXPECT_EQ(strip->frame().origin.y, 0);
}

TEST_F(ListScreensTest, ChangePageWrapsAndNeedsAnItemAndARow) {
  EXPECT_EQ(screen->changePage(true), nullptr);
  screen->setCurPressPath(NSIndexPath::indexPathForRow(0, 0));
  EXPECT_EQ(screen->changePage(true), nullptr);
  EXPECT_EQ(screen->curPressPath(), NSIndexPath::indexPathForRow(0, 0));

  load();
  auto& items = screen->lastdataArray();
  screen->setCurPressPath(std::nullopt);
  EXPECT_EQ(screen->changePage(true), nullptr);
  EXPECT_FALSE(screen->curPressPath());

  screen->setCurPressPath(NSIndexPath::indexPathForRow(19, 0));
  EXPECT_EQ(screen->changePage(true), items[0]);
  EXPECT_EQ(screen->curPressPath(), NSIndexPath::indexPathForRow(0, 0));
  EXPECT_EQ(screen->changePage(false), items[19]);
  EXPECT_EQ(screen->changePage(false), items[18]);
}

TEST_F(ListScreensTest, ARefreshAndALoadMoreExcludeEachOther) {
  load();
  screen->prMoreRefreshTableHeaderDidTriggerRefresh(*screen->downRefresh());
  EXPECT_TRUE(screen->_moreing());
  EXPECT_EQ(screen->moreRequests, 1);
  screen->prRefreshTableHeaderDidTriggerRefresh(*header());
  EXPECT_EQ(screen->refreshes, 1);

  // A page from the cache ends the load-more at once and closes its strip 0.1 s later.
  screen->doneMoreLocalTableView();
  EXPECT_FALSE(screen->_moreing());
  screen->prRefreshTableHeaderDidTriggerRefresh(*header());
  EXPECT_EQ(screen->refreshes, 2);
  screen->prMoreRefreshTableHeaderDidTriggerRefresh(*screen->downRefresh());
  EXPECT_EQ(screen->moreRequests, 1);
  MainLoop::advance(0.5);
  EXPECT_FALSE(screen->_reloading());
  ASSERT_TRUE(waitFor([&] { return screen->replies == 2; }));
}

TEST_F(ListScreensTest, PullingUpPastTheEndLoadsMoreUntilTheReplyComes) {
  load();
  auto table = screen->dataTableView();
  table->setContentOffset(table->maximumContentOffset());
  MainLoop::advance(0.1);
  EXPECT_EQ(screen->downRefresh()->frame().origin.y, table->contentSize().height);
  ASSERT_TRUE(ScreenDriver::drag(CGPointMake(160, 400), CGPointMake(160, 220), 0.5));
  EXPECT_GT(screen->releasedAt + table->frame().size.height, table->contentSize().height + 65);
  EXPECT_EQ(screen->moreRequests, 1);
  EXPECT_TRUE(screen->_moreing());
  EXPECT_EQ(screen->downRefresh()->statusLabel()->text(), NSLocalizedString("Loading..."));
  EXPECT_EQ(table->contentInset().bottom, 65);
  // A refresh waits for the load-more to end.
  screen->prRefreshTableHeaderDidTriggerRefresh(*header());
  EXPECT_EQ(screen->refreshes, 1);

  // The next page came: the strip is back at once, its inset left to the next drag.
  screen->doneLoadingAllTableViewData();
  EXPECT_FALSE(screen->_moreing());
  EXPECT_EQ(screen->downRefresh()->statusLabel()->text(),
            NSLocalizedString("Pull up to refresh..."));
  EXPECT_EQ(table->contentInset().bottom, 65);
}

TEST_F(ListScreensTest, OfflineOrEmptyTheListSaysSo) {
  EXPECT_TRUE(screen->hasNetWork());
  screen->notDataError();
  MainLoop::advance(0.1);
  EXPECT_NE(ScreenDriver::findText(NSLocalizedString("RequestNoData")), nullptr);
  MainLoop::advance(3);

  apitest::forceOffline();
  EXPECT_FALSE(screen->hasNetWork());
  MainLoop::advance(0.1);
  EXPECT_NE(ScreenDriver::findText(NSLocalizedString("NetworkError")), nullptr);
  MainLoop::advance(3);

  // While the refresh button spins it refuses without a word.
  screen->startRefreshBtn();
  EXPECT_TRUE(screen->isInRefresh());
  EXPECT_FALSE(screen->hasNetWork());
  MainLoop::advance(0.1);
  EXPECT_EQ(ScreenDriver::findText(NSLocalizedString("NetworkError")), nullptr);
  screen->addRefreshBtn();
  EXPECT_FALSE(screen->isInRefresh());
  EXPECT_NE(screen->navigationItem()->rightBarButtonItem(), nullptr);
}

}  // namespace

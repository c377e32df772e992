// The channel screen's list: the cached copy first and the server only when the update stamp
// changed, the pull-down refresh with its new-items prompt and sound, paging by next_cursor to
// the end of the list, and the replies' envelope check and update stamp.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "AVFoundation/AVAudioPlayer.h"
#include "Foundation/NSBundle.h"
#include "Foundation/NSFileManager.h"
#include "Foundation/NSUserDefaults.h"
#include "UIKit/UILabel.h"
#include "UIKit/UINavigationController.h"
#include "UIKit/UIScreen.h"
#include "UIKit/UITableView.h"
#include "UIKit/UITableViewCell.h"
#include "UIKit/UIWindow.h"
#include "core/NSGlobe.h"
#include "core/StoredKeys.h"
#include "core/UIBkImageView.h"
#include "core/UIFilePath.h"
#include "model/Status.h"
#include "net/api/ApiTestSupport.h"
#include "net/api/NSWeiBoNet.h"
#include "screens/reading/ChannelViewController.h"
#include "support/BusRecorder.h"
#include "support/ui/ScreenDriver.h"
#include "ui/framework/PHProgressHUD.h"

namespace {

using zept::server::EndpointScript;

constexpr const char* kChannel = "101";
constexpr const char* kPath = "/Channels/Channel.aspx";

// One status of the content server's list reply: content id `eid`, created `eid` minutes past
// ten.
std::string statusJSON(int eid) {
  char buf[512];
  std::snprintf(buf, sizeof buf,
                R"({"id":%d,"eid":%d,"created_at":"Wed Dec 09 %02d:%02d:00 +0800 2026",)"
                R"("text":"条目%d","source":"","favorited":false,"comments_count":0,)"
                R"("reposts_count":0,"likes_count":0,)"
                R"("user":{"id":7,"screen_name":"编辑","name":"编辑","profile_image_url":""}})",
                90000 + eid, eid, 10 + eid / 60, eid % 60, eid);
  return buf;
}

// A list page holding the statuses from `newest` down to `oldest`; next_cursor null ends it.
std::string page(int newest, int oldest, const std::string& nextCursor) {
  std::string out = R"({"ResultBoolean":true,"ResultCode":0,"ResultMsg":"","statuses":[)";
  for (int eid = newest; eid >= oldest; --eid) {
    out += statusJSON(eid);
    if (eid != oldest) out += ",";
  }
  out += R"(],"previous_cursor":)" + std::to_string(newest) + R"(,"next_cursor":)" + nextCursor +
         R"(,"total_number":)" + std::to_string(newest - oldest + 1) + "}";
  return out;
}

void writeFile(const std::string& path, const std::string& text) {
  ASSERT_TRUE(UIFilePath::makeSureFolderOf(path));
  ASSERT_TRUE(UIFilePath::writeFile(path, text));
}

void writeUpdateStamp(const std::string& stamp) {
  writeFile(UIFilePath::updateDatePath(), R"({"channels":[{"cids":")" + std::string(kChannel) +
                                              R"(","updt":")" + stamp +
                                              R"("}],"otherchannels":[]})");
}

std::string storedStamp() {
  return NSUserDefaults::standardUserDefaults()
      ->stringForKey(std::string("CHANNEL_UPDATE_KEY_") + kChannel)
      .value_or("(none)");
}

std::vector<int64_t> shownIds(ChannelViewController& screen) {
  std::vector<int64_t> ids;
  for (const auto& item : *screen.statuses())
    if (auto status = item.object<Status>()) ids.push_back(status->vorluId);
  return ids;
}

std::string barPrompt(const std::shared_ptr<UIView>& view) {
  auto label =
      std::dynamic_pointer_cast<UILabel>(view->viewWithTag(PHProgressHUD::kBarPromptLabelTag));
  return label ? label->text() : std::string();
}

// Scrolls the list to its end and drags it up past the load-more strip's 65 points.
void dragToTheEnd(ChannelViewController& screen) {
  auto table = screen.dataTableView();
  table->layoutIfNeeded();
  CGFloat end = table->contentSize().height - table->frame().size.height;
  table->setContentOffset(CGPointMake(0, std::max<CGFloat>(end, 0)), false);
  table->layoutIfNeeded();
  ASSERT_TRUE(ScreenDriver::drag(CGPointMake(160, 400), CGPointMake(160, 120), 0.5));
}

class ChannelLoadingTest : public apitest::ServerClientTest {
 protected:
  void SetUp() override {
    ServerClientTest::SetUp();
    NSUserDefaults::standardUserDefaults()->setObject(Value(key), "registerClientKey");
    // The request dispatcher, as start-up makes it.
    net = NSWeiBoNet::getNetEngine();
    server.clearRequests();
  }
  std::shared_ptr<NSWeiBoNet> net;

  std::shared_ptr<ChannelViewController> open() {
    auto channel = Channel::init();
    channel->setChannelId(kChannel);
    channel->setActionType(ChannelViewController::kKindChannel);
    auto screen = std::make_shared<ChannelViewController>();
    screen->setCurrentChannel(channel);
    return screen;
  }

  // Shows the screen on a window in a navigation controller, for drags.
  void show(const std::shared_ptr<ChannelViewController>& screen) {
    NSUserDefaults::standardUserDefaults()->setBool(true, kShowListHelpKey);
    window = std::make_shared<UIWindow>(UIScreen::mainScreen()->bounds());
    navigation = std::make_shared<UINavigationController>(screen);
    navigation->setNavigationBarHidden(true);
    window->setRootViewController(navigation);
    window->makeKeyAndVisible();
    window->layoutIfNeeded();
  }
  std::shared_ptr<UIWindow> window;
  std::shared_ptr<UINavigationController> navigation;

  size_t channelRequests() { return server.requests(kPath).size(); }
  std::string lastRequestParam(const std::string& name) {
    auto all = server.requests(kPath);
    return all.empty() ? "(none)" : all.back().paramOr(name, "(none)");
  }
  bool waitForItems(ChannelViewController& screen, size_t n) {
    return waitFor([&] { return screen.statusCount() == n; });
  }
};

TEST_F(ChannelLoadingTest, ACurrentCacheShowsAtOnceAndAsksNothingAChangedStampAsksAfterIt) {
  struct Case {
    const char* stored;
    bool asks;
  };
  for (const Case& c : {Case{"s1", false}, Case{"s0", true}}) {
    SCOPED_TRACE(c.stored);
    server.clearRequests();
    server.clearScripts();
    writeFile(UIFilePath::getChannelFilePath(0, kChannel, 1, 0), page(40, 21, "20"));
    writeUpdateStamp("s1");
    NSUserDefaults::standardUserDefaults()->setObject(
        Value(c.stored), std::string("CHANNEL_UPDATE_KEY_") + kChannel);
    server.script(kPath, EndpointScript::replyWith(page(42, 23, "22")));

    auto screen = open();
    // The cache shows before any reply can have come.
    ASSERT_EQ(screen->statusCount(), 20u);
    EXPECT_EQ(shownIds(*screen).front(), 40);
    if (!c.asks) {
      EXPECT_FALSE(server.waitForRequests(kPath, 1, std::chrono::milliseconds(300)));
      EXPECT_EQ(storedStamp(), "s1");
      continue;
    }
    ASSERT_TRUE(server.waitForRequests(kPath, 1));
    EXPECT_EQ(lastRequestParam("page"), "1");
    // The refresh asks for what is newer than the cached copy's newest item.
    EXPECT_EQ(lastRequestParam("max_id"), "40");
    ASSERT_TRUE(
        waitFor([&] { return !shownIds(*screen).empty() && shownIds(*screen).front() == 42; }));
    EXPECT_EQ(screen->statusCount(), 20u);
    // A server reply stores the stamp it showed.
    EXPECT_EQ(storedStamp(), "s1");
  }
}

TEST_F(ChannelLoadingTest, AnEmptyStampOrNoCacheAlwaysAsks) {
  for (bool withCache : {true, false}) {
    SCOPED_TRACE(withCache);
    server.clearRequests();
    std::string cache = UIFilePath::getChannelFilePath(0, kChannel, 1, 0);
    NSFileManager::defaultManager().removeItemAtPath(cache);
    if (withCache) writeFile(cache, page(40, 21, "20"));
    writeUpdateStamp(withCache ? "" : "s1");
    NSUserDefaults::standardUserDefaults()->setObject(
        Value(withCache ? "" : "s1"), std::string("CHANNEL_UPDATE_KEY_") + kChannel);
    server.script(kPath, EndpointScript::replyWith(page(40, 21, "20")));
    auto screen = open();
    EXPECT_TRUE(server.waitForRequests(kPath, 1));
    ASSERT_TRUE(waitForItems(*screen, 20));
  }
}

TEST_F(ChannelLoadingTest, APullDownPutsTheNewStatusOnTopPromptsAndPlaysShakeHalfASecondLater) {
  writeUpdateStamp("s1");
  server.script(kPath, EndpointScript::replyWith(page(40, 21, "20")));
  auto screen = open();
  ASSERT_TRUE(waitForItems(*screen, 20));
  server.clearRequests();
  server.clearScripts();
  // A status was added to the channel since.
  server.script(kPath, EndpointScript::replyWith(page(41, 41, "40")));
  AVAudioSink::clear();
  // The feedback sounds are on, as the settings' defaults have them.
  UIBkImageView::changeCurSelect(true, 9);

  // Dragged down past the strip's 65 points and released.
  show(screen);
  ASSERT_TRUE(ScreenDriver::drag(CGPointMake(160, 120), CGPointMake(160, 400), 0.5));

  ASSERT_TRUE(server.waitForRequests(kPath, 1));
  EXPECT_EQ(lastRequestParam("max_id"), "40");
  ASSERT_TRUE(
      waitFor([&] { return !shownIds(*screen).empty() && shownIds(*screen).front() == 41; }));
  std::vector<int64_t> ids = shownIds(*screen);
  ASSERT_EQ(ids.size(), 20u);
  EXPECT_EQ(ids[1], 40);
  EXPECT_EQ(ids.back(), 22);
  EXPECT_EQ(barPrompt(screen->view()), "1条新微博");
  EXPECT_TRUE(StandInRecorder::sounds().empty());
  advance(0.49);
  EXPECT_TRUE(StandInRecorder::sounds().empty());
  advance(0.02);
  EXPECT_EQ(StandInRecorder::sounds(), std::vector<std::string>{"shake.caf"});
  // The cache now leads with the new status; the refresh's own download is gone.
  auto cached = NSFileManager::defaultManager().contentsAtPath(
      UIFilePath::getChannelFilePath(0, kChannel, 1, 0));
  ASSERT_TRUE(cached);
  EXPECT_LT(cached->find("\"eid\":41"), cached->find("\"eid\":40"));
  EXPECT_FALSE(NSFileManager::defaultManager().fileExistsAtPath(
      UIFilePath::getChannelFilePath(0, kChannel, 1, 40)));
}

TEST_F(ChannelLoadingTest, PagesTwoAndThreeFollowNextCursorUntilTheEndThenOnlyPrompt) {
  writeUpdateStamp("s1");
  server.script(kPath, EndpointScript::replyWith(page(45, 26, "25")));
  auto screen = open();
  ASSERT_TRUE(waitForItems(*screen, 20));
  server.clearRequests();
  server.clearScripts();
  server.script(kPath, EndpointScript::replyWith(page(25, 6, "5")));
  show(screen);
  dragToTheEnd(*screen);
  ASSERT_TRUE(server.waitForRequests(kPath, 1));
  EXPECT_EQ(lastRequestParam("page"), "2");
  EXPECT_EQ(lastRequestParam("since_id"), "25");
  ASSERT_TRUE(waitForItems(*screen, 40));
  EXPECT_FALSE(screen->isEnd());

  server.clearScripts();
  server.script(kPath, EndpointScript::replyWith(page(5, 1, "null")));
  advance(1);
  EXPECT_EQ(screen->dataTableView()->numberOfRowsInSection(0), 40);
  dragToTheEnd(*screen);
  ASSERT_TRUE(server.waitForRequests(kPath, 2));
  EXPECT_EQ(lastRequestParam("page"), "3");
  EXPECT_EQ(lastRequestParam("since_id"), "5");
  ASSERT_TRUE(waitForItems(*screen, 45));
  EXPECT_TRUE(screen->isEnd());
  EXPECT_EQ(screen->pageNo(), 3);
  // The end row closes the list: 30 high, its text centred, no separators.
  auto table = screen->dataTableView();
  ASSERT_EQ(table->numberOfRowsInSection(0), 46);
  auto last = NSIndexPath::indexPathForRow(45, 0);
  EXPECT_EQ(screen->tableViewHeightForRowAtIndexPath(table, last), 30);
  auto end = screen->tableViewCellForRowAtIndexPath(table, last);
  ASSERT_TRUE(end);
  EXPECT_EQ(end->textLabel()->text(), "已经是最后一页");
  EXPECT_EQ(end->textLabel()->textAlignment(), UITextAlignmentCenter);
  for (const auto& sub : end->contentView()->subviews())
    EXPECT_NE(sub->frame().size, CGSizeMake(290, 1));

  advance(1);
  StandInRecorder::dismissPrompt();
  dragToTheEnd(*screen);
  EXPECT_EQ(StandInRecorder::shownPrompt(), "已经是最后一页了");
  EXPECT_FALSE(server.waitForRequests(kPath, 3, std::chrono::milliseconds(300)));
  EXPECT_EQ(screen->statusCount(), 45u);
}

TEST_F(ChannelLoadingTest, AFailureEnvelopePromptsOnlineAndParsingGoesOn) {
  const std::string failure = R"({"ResultCode":"1","ResultBoolean":"NO","ResultMsg":"x"})";
  for (bool isOnline : {true, false}) {
    SCOPED_TRACE(isOnline);
    StandInRecorder::dismissPrompt();
    isOnline ? apitest::forceOnline() : apitest::forceOffline();
    auto screen = std::make_shared<ChannelViewController>();
    auto channel = Channel::init();
    channel->setChannelId("0");  // a channel that requests nothing
    screen->setCurrentChannel(channel);
    StandInRecorder::dismissPrompt();
    screen->statusCallBack(Value(failure));
    EXPECT_EQ(StandInRecorder::shownPrompt(), isOnline ? NSLocalizedString("HomePagePrompt") : "");
    EXPECT_EQ(screen->statusCount(), 0u);
    // A good page after it is still taken.
    screen->statusCallBack(Value(page(20, 1, "null")));
    EXPECT_EQ(screen->statusCount(), 20u);
  }
}

TEST_F(ChannelLoadingTest, AFirstServerPageStoresTheStampButTheCachedCopyDoesNot) {
  writeUpdateStamp("s2");
  NSUserDefaults::standardUserDefaults()->setObject(Value("s1"),
                                                    std::string("CHANNEL_UPDATE_KEY_") + kChannel);
  server.script(kPath, EndpointScript::goSilent());
  writeFile(UIFilePath::getChannelFilePath(0, kChannel, 1, 0), page(40, 21, "20"));
  auto screen = open();
  // The cache was handled while the screen was not yet refreshing: no stamp yet.
  ASSERT_EQ(screen->statusCount(), 20u);
  EXPECT_EQ(storedStamp(), "s1");
  ASSERT_TRUE(screen->isInRefresh());
  screen->statusCallBack(Value(page(41, 22, "21")));
  EXPECT_EQ(storedStamp(), "s2");
}

TEST_F(ChannelLoadingTest, ASearchFirstPageWithAQueryIdShowsTheTotalUnderTheKeyword) {
  constexpr const char* kSearch = "/Search/Search.aspx";
  struct Case {
    int queryId;
    std::string label;  // what the count label under the keyword shows
  };
  for (const Case& c : {Case{7, "(共35结果)"}, Case{0, ""}}) {
    SCOPED_TRACE(c.queryId);
    server.clearRequests();
    server.clearScripts();
    NSGlobe::getEngine()->setSourceInfo("");
    NSGlobe::getEngine()->setSourceIds("");
    // The first 20 of 35 results.
    std::string reply = page(35, 16, "15");
    reply.replace(reply.find(R"("total_number":20)"), 17,
                  R"("total_number":35,"query_id":)" + std::to_string(c.queryId));
    server.script(kSearch, EndpointScript::replyWith(reply));

    auto screen =
        ChannelViewController::initWithKeyWord("条目", ChannelViewController::kKindSearch);
    ASSERT_TRUE(server.waitForRequests(kSearch, 1));
    EXPECT_EQ(server.requests(kSearch).back().paramOr("keyword", "(none)"), "条目");
    ASSERT_TRUE(waitForItems(*screen, 20));
    ASSERT_TRUE(screen->navigationView());
    auto label = std::dynamic_pointer_cast<UILabel>(screen->navigationView()->viewWithTag(323));
    ASSERT_TRUE(label);
    EXPECT_EQ(label->text(), c.label);
    // The usage records name the search by its query id.
    EXPECT_EQ(NSGlobe::getEngine()->sourceInfo(), c.queryId ? "search" : "");
    EXPECT_EQ(NSGlobe::getEngine()->sourceIds(), c.queryId ? std::to_string(c.queryId) : "");
  }
}

TEST_F(ChannelLoadingTest, OpeningPostsTheListKindAndABarRefreshEndsItsSpinAsItShould) {
  struct Case {
    int kind;
    bool online;
    size_t requests;  // channel requests of the bar refresh
    int channelType;  // what the channel's requests name it by
  };
  // Each case has a channel type of its own, which its requests carry: a request an earlier case
  // left silent may still be resent on a new connection once released, and must not count here.
  for (const Case& c : {Case{ChannelViewController::kKindChannel, true, 1, 31},
                        Case{ChannelViewController::kKindTradeFair, true, 0, 32},
                        Case{ChannelViewController::kKindChannel, false, 0, 33}}) {
    SCOPED_TRACE(std::to_string(c.kind) + (c.online ? " online" : " offline"));
    apitest::forceOnline();
    server.clearScripts();
    server.script("*", EndpointScript::goSilent());
    auto bus = BusRecorder::observing({"seminar_has_request", "main_timer_animal"});
    auto channel = Channel::init();
    channel->setChannelId(kChannel);
    channel->setActionType(c.kind);
    channel->setChannelType(c.channelType);
    auto requestsOfThisChannel = [&] {
      size_t n = 0;
      for (const auto& r : server.requests(kPath))
        n += r.paramOr("channel_id") == std::to_string(c.channelType);
      return n;
    };
    auto screen = std::make_shared<ChannelViewController>();
    screen->setCurrentChannel(channel);
    ASSERT_EQ(bus->count("seminar_has_request", 85), 1);
    EXPECT_EQ(bus->posts[0].data.description(),
              Value(makeArray({Value(c.kind), Value(c.channelType)})).description());
    // The opening's own request is in before the refresh is looked at.
    if (c.kind == ChannelViewController::kKindChannel) {
      ASSERT_TRUE(waitFor([&] { return requestsOfThisChannel() == 1; }));
    }
    server.clearRequests();
    bus->posts.clear();
    StandInRecorder::dismissPrompt();
    if (!c.online) apitest::forceOffline();
    screen->refresh(Value());
    // The trade-fair list asks nothing, so its spin ends at once; offline it says so and ends.
    EXPECT_EQ(bus->count("main_timer_animal"), c.requests == 0 ? 1 : 0);
    if (!c.online) {
      EXPECT_EQ(StandInRecorder::shownPrompt(), NSLocalizedString("NetworkError"));
    }
    if (c.requests == 1) {
      EXPECT_TRUE(waitFor([&] { return requestsOfThisChannel() == 1; }));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(requestsOfThisChannel(), c.requests);
    server.releaseSilent();
  }
}

}  // namespace

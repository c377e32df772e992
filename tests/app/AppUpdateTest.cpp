// The delegate's duties after start-up against the local content server: the update poll at its
// times and what it does with the kinds of content it owns, the server message pop-up (its
// date window, its id, its frames and texts, its picture) and the launch counter with the
// registration guide and the profile resend.  App timers run on the virtual clock.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "AppTestSupport.h"
#include "Foundation/NSFileManager.h"
#include "Foundation/NSNotificationCenter.h"
#include "Foundation/NSURL.h"
#include "UIKit/UIFont.h"
#include "UIKit/UILabel.h"
#include "core/StoredKeys.h"
#include "core/UIFilePath.h"
#include "model/NSAdInfo.h"
#include "net/api/ApiTestSupport.h"
#include "net/api/ClientPlatformAccount.h"
#include "net/http/Reachability.h"
#include "screens/reading/ChannelViewController.h"
#include "support/ui/ScreenDriver.h"
#include "ui/framework/UINaviCtrl.h"
#include "ui/framework/WebViewCtrl.h"

using namespace apptest;
using zept::server::EndpointScript;

namespace {

constexpr std::string_view kPollPath = "/UnRead/CheckUpdate.aspx";
constexpr std::string_view kMessagePath = "/Notice/GetIAD.aspx";
constexpr std::string_view kBannerPath = "/AD/GetBannerList.aspx";

std::optional<std::string> fileText(const std::string& path) {
  return NSFileManager::defaultManager().contentsAtPath(path);
}

void storeMessage(const std::string& text) {
  UIFilePath::writeFile(UIFilePath::messageStringPath(), text);
}

void setShownMessageId(long id) {
  NSUserDefaults::standardUserDefaults()->setInteger(id, kLoginMessageIdKey);
}

long shownMessageId() {
  return NSUserDefaults::standardUserDefaults()->integerForKey(kLoginMessageIdKey);
}

std::string updateReply(const std::string& entries) {
  return R"({"ResultBoolean":true,"channels":[],"otherchannels":[)" + entries + "]}";
}

std::string entry(std::string_view kind, std::string_view stamp) {
  return R"({"cids":")" + std::string(kind) + R"(","updt":")" + std::string(stamp) + R"("})";
}

using LoggedInAccount = apitest::BoundAccount;

class AppUpdateTest : public AppTest {
 protected:
  // Starts with a known client key and waits until the start-up has run its course.
  void start() {
    storeClientKey();
    // What the network check 0.5 s in finds; known from the start, so that a login reply
    // that comes sooner starts the poll on the same terms.
    NSGlobe::getEngine()->setCurNetStatus(ReachableViaWiFi);
    launch();
    ASSERT_TRUE(waitFor([&] { return startedUp(); }));
  }
  size_t polls() const { return server.requests(kPollPath).size(); }
  std::shared_ptr<UIView> popup() const {
    return app->window() ? app->window()->viewWithTag(kServerMessageViewTag) : nullptr;
  }
  // The point size of the pop-up's body text.
  CGFloat bodyFont() const {
    auto panel = popup()->subviews().at(0);
    auto body = std::dynamic_pointer_cast<UILabel>(panel->subviews().back());
    return body && body->font() ? body->font()->pointSize() : 0;
  }
  void expectPollTimes(bool profile, bool wifi, double first);
  // Real time for replies in flight, the clock standing.
  static void settle(double seconds = 0.3) {
    MainLoop::runUntil([] { return false; }, seconds);
  }
  // The poll's reply has been handled (its file written) after `count` polls.
  bool pollHandled(size_t count) {
    if (!server.waitForRequests(kPollPath, count)) return false;
    return waitFor([&] { return fileText(UIFilePath::updateDatePath()).has_value(); });
  }
};

}  // namespace

// ---- the poll's times ---------------------------------------------------------------------------

// The poll starts when the login has ended: its first check comes after `first` seconds, the
// repeating one every 120 s from the start.
void AppUpdateTest::expectPollTimes(bool profile, bool wifi, double first) {
  if (!wifi) {
    SCNetworkReachabilitySetTestFlags(kSCNetworkReachabilityFlagsReachable |
                                      kSCNetworkReachabilityFlagsIsWWAN);
  }
  storeClientKey();
  if (profile) NSConfig::setCacheValue(Value("2"), kUserSetupInfoKey);
  NSGlobe::getEngine()->setCurNetStatus(wifi ? ReachableViaWiFi : ReachableViaWWAN);
  launch();
  ASSERT_TRUE(waitFor([&] { return startedUp(); }));
  advance(first - 0.01);
  settle();
  EXPECT_EQ(polls(), 0u);
  advance(0.02);
  ASSERT_TRUE(server.waitForRequests(kPollPath, 1));
  advance(120 - first - 0.04);
  settle();
  EXPECT_EQ(polls(), 1u);
  advance(0.04);
  ASSERT_TRUE(server.waitForRequests(kPollPath, 2));
  advance(120);
  ASSERT_TRUE(server.waitForRequests(kPollPath, 3));
}

TEST_F(AppUpdateTest, FirstCheckComesAfterTenSecondsWhenAProfileIsStored) {
  expectPollTimes(true, true, 10);
}

TEST_F(AppUpdateTest, FirstCheckComesAfterFortySecondsOnWiFi) {
  expectPollTimes(false, true, 40);
}

TEST_F(AppUpdateTest, FirstCheckComesAfterSeventySecondsOffWiFi) {
  expectPollTimes(false, false, 70);
}

TEST_F(AppUpdateTest, OfflineTicksSendNothing) {
  start();
  forceOffline();
  advance(250);
  settle();
  EXPECT_EQ(polls(), 0u);
  forceOnline();
  advance(120);
  EXPECT_TRUE(server.waitForRequests(kPollPath, 1));
}

// ---- what the poll's reply does -----------------------------------------------------------------

TEST_F(AppUpdateTest, ReplyIsStoredAnnouncedAndItsBannerAndMessageStampsFetchOnce) {
  auto bus = BusRecorder::observing({kChannelHasNew, kSeminarHasUpdated});
  start();
  advance(40);
  ASSERT_TRUE(pollHandled(1));
  // The demo server's reply, stored whole for the channel screens.
  auto stored = fileText(UIFilePath::updateDatePath());
  ASSERT_TRUE(stored);
  EXPECT_NE(stored->find("\"otherchannels\""), std::string::npos);
  EXPECT_EQ(bus->count(kChannelHasNew), 1);
  // On Wi-Fi the banner list and the message are asked for at once.
  ASSERT_TRUE(server.waitForRequests(kBannerPath, 1));
  ASSERT_TRUE(server.waitForRequests(kMessagePath, 1));
  ASSERT_TRUE(waitFor([] {
    return NSConfig::readCacheValueWithKey(kMessageUpdateDateKey) == Value("2013-06-01 09:00:00") &&
           NSConfig::readCacheValueWithKey(kBannerListUpdateDataKey) ==
               Value("2013-06-05 10:00:00");
  }));
  // The seminars' stamp is new: the seminar screens hear of it; they store it themselves.
  EXPECT_EQ(bus->count(kSeminarHasUpdated), 1);

  // The same stamps again: only the announcement and the seminars' news repeat.
  advance(120);
  ASSERT_TRUE(server.waitForRequests(kPollPath, 2));
  ASSERT_TRUE(waitFor([&] { return bus->count(kChannelHasNew) == 2; }));
  settle();
  EXPECT_EQ(server.requests(kBannerPath).size(), 1u);
  EXPECT_EQ(server.requests(kMessagePath).size(), 1u);
}

TEST_F(AppUpdateTest, ReplyThatIsNotAnObjectIsIgnored) {
  auto bus = BusRecorder::observing({kChannelHasNew});
  server.script(kPollPath, EndpointScript::replyWith("[1,2]"));
  start();
  advance(40);
  ASSERT_TRUE(server.waitForRequests(kPollPath, 1));
  settle();
  EXPECT_FALSE(fileText(UIFilePath::updateDatePath()));
  EXPECT_EQ(bus->count(kChannelHasNew), 0);
}

TEST_F(AppUpdateTest, AnEmptySeminarStampEndsTheListBeforeLaterEntries) {
  auto bus = BusRecorder::observing({kSeminarHasUpdated});
  server.script(kPollPath, EndpointScript::replyWith(updateReply(
                               entry("dialog", "") + "," + entry("bannerdt", "2013-07-01 10:00") +
                               "," + entry("iad", "2013-07-01 10:00"))));
  start();
  advance(40);
  ASSERT_TRUE(pollHandled(1));
  settle();
  advance(31);
  settle();
  EXPECT_TRUE(server.requests(kBannerPath).empty());
  EXPECT_TRUE(server.requests(kMessagePath).empty());
  EXPECT_EQ(bus->count(kSeminarHasUpdated), 0);
}

TEST_F(AppUpdateTest, SeminarStampThatDiffersFromTheStoredOneIsAnnouncedWithTheStamp) {
  auto bus = BusRecorder::observing({kSeminarHasUpdated});
  std::vector<Value> stamps;
  auto center = NSNotificationCenter::defaultCenter();
  auto token = center->addObserverForName(
      kSeminarHasUpdated, Value(),
      [&](const NSNotificationPtr& note) { stamps.push_back(note->object()); });
  server.script(kPollPath, EndpointScript::replyWith(updateReply(entry("dialog", "S2"))));
  start();
  NSConfig::setCacheValue(Value("S1"), kSeminarUpdateDateKey);
  advance(40);
  ASSERT_TRUE(pollHandled(1));
  ASSERT_TRUE(waitFor([&] { return bus->count(kSeminarHasUpdated) == 1; }));
  EXPECT_EQ(stamps, std::vector<Value>{Value("S2")});
  // Once the seminar screens have stored the stamp, the same stamp is no news.
  NSConfig::setCacheValue(Value("S2"), kSeminarUpdateDateKey);
  advance(120);
  ASSERT_TRUE(server.waitForRequests(kPollPath, 2));
  settle();
  EXPECT_EQ(bus->count(kSeminarHasUpdated), 1);
  center->removeObserver(token);
}

TEST_F(AppUpdateTest, OffWiFiTheMessageIsFetchedThirtySecondsAfterTheReply) {
  SCNetworkReachabilitySetTestFlags(kSCNetworkReachabilityFlagsReachable |
                                    kSCNetworkReachabilityFlagsIsWWAN);
  server.script(kPollPath, EndpointScript::replyWith(updateReply(entry("iad", "M1"))));
  start();
  advance(70);
  ASSERT_TRUE(pollHandled(1));
  // The stamp is committed only once the message's reply is handled.
  EXPECT_TRUE(NSConfig::readCacheValueWithKey(kMessageUpdateDateKey).isNil());
  advance(29.9);
  settle();
  EXPECT_TRUE(server.requests(kMessagePath).empty());
  advance(0.2);
  ASSERT_TRUE(server.waitForRequests(kMessagePath, 1));
  ASSERT_TRUE(waitFor(
      [] { return NSConfig::readCacheValueWithKey(kMessageUpdateDateKey) == Value("M1"); }));
}

// ---- the server message -------------------------------------------------------------------------

// The virtual clock starts at 2013-01-01 00:00 in the tests' time zone.
TEST_F(AppUpdateTest, StoredMessageIsDueOnlyWithANewPositiveIdInsideItsDateWindow) {
  struct Case {
    const char* message;
    long shown;
    bool due;
  };
  const Case cases[] = {
      {R"({"id":0})", 0, false},
      {R"({"id":-2})", -5, false},
      {R"({"id":3})", 3, false},
      {R"({"id":4})", 3, true},
      {R"({"id":4,"startdt":"2013-01-02 08:00:00"})", 0, false},
      {R"({"id":4,"startdt":"2012-12-31 23:59"})", 0, true},
      {R"({"id":4,"startdt":"2013-01-01 00:01"})", 0, false},
      {R"({"id":4,"enddt":"2012-12-31 23:59"})", 0, false},
      {R"({"id":4,"enddt":"2013-01-01 00:00:01"})", 0, true},
      // Each date is read in either format, whatever the other one used.
      {R"({"id":4,"startdt":"2012-12-01 00:00:00","enddt":"2012-12-31 23:59"})", 0, false},
      {R"({"id":4,"startdt":"2012-12-01 00:00","enddt":"2012-12-31 23:59:59"})", 0, false},
      {R"({"id":4,"startdt":"2012-12-01 00:00","enddt":"2013-02-01 00:00:00"})", 0, true},
      // Unreadable dates set no limit.
      {R"({"id":4,"startdt":"soon","enddt":null})", 0, true},
      {R"([4])", 0, false},
  };
  forceOffline();
  storeClientKey();
  launch();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    storeMessage(c.message);
    setShownMessageId(c.shown);
    EXPECT_EQ(app->isShowServerAdOk(), c.due);
  }
}

TEST_F(AppUpdateTest, TextMessageShowsOnceWithItsFramesAndTextsAndClosesOnItsButton) {
  storeMessage(
      R"({"id":7,"startdt":"2012-12-01 00:00:00","enddt":"2013-12-31 23:59:59","type":0,)"
      R"("msg":"欢迎","intro":"每天为您精选行业要闻","imgurl":"","link":{"type":0,"value":""}})");
  setShownMessageId(6);
  start();
  ASSERT_NE(popup(), nullptr);
  EXPECT_EQ(popup()->dump(),
            "UIView frame=(0 20; 320 460) tag=1402\n"
            "  UIImageView frame=(27 145; 264 137) image=\"messageBackground\"\n"
            "    UILabel frame=(10 10; 250 20) text=\"欢迎\"\n"
            "    UILabel frame=(15 30; 240 50) text=\"       每天为您精选行业要闻\"\n"
            "  UIButton frame=(111 232; 93 38) title=\"知道了\" background=\"messageButton\"\n");
  // A short body keeps the largest size.
  EXPECT_EQ(bodyFont(), 13);
  EXPECT_EQ(shownMessageId(), 7);
  EXPECT_TRUE(app->isShowServerAdOk());
  ASSERT_TRUE(ScreenDriver::tapText("知道了"));
  EXPECT_EQ(popup(), nullptr);
  // Shown once: its id is recorded, so it is no longer due.
  EXPECT_FALSE(app->isShowServerAdOk());
}

TEST_F(AppUpdateTest, MessageBeforeItsStartIsNotShownNorRecorded) {
  storeMessage(R"({"id":7,"startdt":"2013-01-02 00:00","type":0,"msg":"明天"})");
  start();
  EXPECT_EQ(popup(), nullptr);
  EXPECT_EQ(shownMessageId(), 0);
}

TEST_F(AppUpdateTest, LinkMessageToAnUnknownChannelClosesAndOpensNothing) {
  // A body too long for any size takes the last size tried for its type.
  std::string longIntro;
  for (int i = 0; i < 20; ++i) longIntro += "行业要闻品牌动态经营干货";
  storeMessage(R"({"id":8,"type":1,"msg":"新频道","intro":")" + longIntro +
               R"(",)"
               R"("link":{"type":1,"value":"987654"}})");
  start();
  ASSERT_NE(popup(), nullptr);
  EXPECT_NE(popup()->dump().find("UIButton frame=(44 232; 93 38)"), std::string::npos);
  EXPECT_NE(popup()->dump().find("UIButton frame=(181 232; 93 38)"), std::string::npos);
  EXPECT_EQ(bodyFont(), 11);
  EXPECT_TRUE(app->messageURL().empty());
  size_t screens = app->navigationController()->viewControllers().size();
  ASSERT_TRUE(ScreenDriver::tapText("查看详情"));
  EXPECT_EQ(popup(), nullptr);
  advance(1);
  EXPECT_EQ(app->navigationController()->viewControllers().size(), screens);
}

TEST_F(AppUpdateTest, NewMessageFromTheServerIsKeptAndShownAtTheNextStart) {
  server.script(kPollPath, EndpointScript::replyWith(updateReply(entry("iad", "M1"))));
  const std::string message = R"({"id":9,"type":0,"msg":"新消息"})";
  server.script(kMessagePath, EndpointScript::replyWith(message));
  start();
  advance(40);
  ASSERT_TRUE(pollHandled(1));
  ASSERT_TRUE(waitFor([&] { return fileText(UIFilePath::messageStringPath()) == message; }));
  // Fetched while the reader is busy: it waits for the next start.
  EXPECT_EQ(popup(), nullptr);
  app->addGuideView();
  ASSERT_NE(popup(), nullptr);
  EXPECT_EQ(shownMessageId(), 9);
}

TEST_F(AppUpdateTest, PictureMessageIsStoredOnceItsPictureArrivesOrIsCurrent) {
  start();
  const std::string picture = server.url("/img/sample/message.png");
  const std::string first = R"({"id":10,"type":2,"imgurl":")" + picture + R"("})";
  app->saveMessage(Value(first));
  ASSERT_TRUE(waitFor([&] { return fileText(UIFilePath::messageStringPath()) == first; }));
  EXPECT_TRUE(std::filesystem::exists(UIFilePath::messageImagePath(picture)));

  // The same picture again: it is asked for since the stored file's date, and a 304 keeps it.
  const std::string second = R"({"id":11,"type":3,"imgurl":")" + picture + R"("})";
  server.script("/img/sample/message.png", EndpointScript::replyWith("", 304, "image/png"));
  app->saveMessage(Value(second));
  ASSERT_TRUE(waitFor([&] { return fileText(UIFilePath::messageStringPath()) == second; }));
  auto asked = server.requests("/img/sample/message.png");
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_TRUE(asked[1].header("If-Modified-Since").ends_with(" GMT"));

  // A picture that fails leaves the stored message in place.
  const std::string third =
      R"({"id":12,"type":2,"imgurl":")" + server.url("/img/sample/gone.png") + R"("})";
  server.script("/img/sample/gone.png", EndpointScript::failWith(404));
  app->saveMessage(Value(third));
  ASSERT_TRUE(server.waitForRequests("/img/sample/gone.png", 1));
  settle(0.5);
  EXPECT_EQ(fileText(UIFilePath::messageStringPath()), second);
}

TEST_F(AppUpdateTest, PictureMessageShowsThePictureWithItsCloseAndLinkHalves) {
  start();
  const std::string picture = server.url("/img/sample/message.png");
  const std::string text = R"({"id":13,"type":3,"imgurl":")" + picture +
                           R"(","link":{"type":0,"value":"http://www.zept.example/a.html"}})";
  app->saveMessage(Value(text));
  ASSERT_TRUE(waitFor([&] { return fileText(UIFilePath::messageStringPath()) == text; }));
  app->addGuideView();
  ASSERT_NE(popup(), nullptr);
  std::string tree = popup()->dump();
  EXPECT_NE(tree.find("UIImageView frame=(0 0; 320 460)"), std::string::npos) << tree;
  EXPECT_NE(tree.find("UIButton frame=(0 0; 320 230)"), std::string::npos) << tree;
  EXPECT_NE(tree.find("UIButton frame=(0 230; 320 230)"), std::string::npos) << tree;
  EXPECT_EQ(app->messageURL(), "http://www.zept.example/a.html");
  ASSERT_TRUE(ScreenDriver::tap(CGPointMake(160, 40)));
  EXPECT_EQ(popup(), nullptr);
}

// ---- the launch counter -------------------------------------------------------------------------

TEST_F(AppUpdateTest, LaunchCounterStepsShowsTheGuideOnTheThirdLaunchAndResendsTheProfile) {
  struct Case {
    int before;
    bool account;
    int after;
    bool guide;
    bool resend;
  };
  const Case cases[] = {
      {0, false, 1, false, false},  {0, true, 1, false, true},    {1, false, 2, false, true},
      {2, false, 3, true, true},    {2, true, 3, false, true},    {3, false, 4, false, true},
      {4, false, 5, false, true},   {5, false, 5, false, true},   {9, false, 9, false, true},
      {10, false, 11, false, true}, {11, false, 12, false, true}, {12, false, 12, false, true},
      {-3, false, -2, false, true},
  };
  start();
  NSConfig::setCacheValue(Value("2"), kUserSetupInfoKey);
  NSConfig::setCacheValue(Value("母婴零售"), kIndustrySectorKey);
  NSConfig::setCacheValue(Value("店长"), kJobTitleKey);
  auto own = ClientPlatformAccount::current();
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.before) + (c.account ? " with account" : ""));
    ClientPlatformAccount::setCurrent(c.account ? std::make_shared<LoggedInAccount>() : own);
    NSConfig::setValue(Value(std::to_string(c.before)), kRegModeFirstKey);
    auto bus = BusRecorder::observing({kGlobeRequest});
    app->addGuideView();
    EXPECT_EQ(NSConfig::readValueWithKey(kRegModeFirstKey), Value(std::to_string(c.after)));
    int resent = bus->count(kGlobeRequest, RequestType::SaveIndustryProfile);
    EXPECT_EQ(resent, c.resend ? 1 : 0);
    bool guide = false;
    for (const auto& view : app->window()->subviews()) {
      if (view->className() == "UIRegGuideView") {
        guide = true;
        EXPECT_TRUE(CGRectEqualToRect(view->frame(), CGRectMake(0, 10, 320, 460)));
        view->removeFromSuperview();
        break;
      }
    }
    EXPECT_EQ(guide, c.guide);
    app->removeMessageView();
  }
  ClientPlatformAccount::setCurrent(own);
}

TEST_F(AppUpdateTest, StoredProfileIsSentToTheServerWithAnEmptyBusinessType) {
  start();
  NSConfig::setCacheValue(Value("2"), kUserSetupInfoKey);
  NSConfig::setCacheValue(Value("母婴零售"), kIndustrySectorKey);
  NSConfig::setCacheValue(Value("店长"), kJobTitleKey);
  app->setUpUserInfo();
  ASSERT_TRUE(server.waitForRequests("/Profile/UserIndustrySectorSaveV2.aspx", 1));
  auto sent = server.requests("/Profile/UserIndustrySectorSaveV2.aspx")[0];
  EXPECT_EQ(sent.paramOr("industrySector"), "母婴零售");
  EXPECT_EQ(sent.paramOr("jobtitle"), "店长");
  // A profile still to be confirmed (any other value) sends nothing.
  NSConfig::setCacheValue(Value("1"), kUserSetupInfoKey);
  auto bus = BusRecorder::observing({kGlobeRequest});
  app->setUpUserInfo();
  EXPECT_EQ(bus->count(kGlobeRequest, RequestType::SaveIndustryProfile), 0);
}

TEST_F(AppUpdateTest, MessageDueLaterShowsAtTheFirstReturnAfterItsStart) {
  storeMessage(R"({"id":14,"startdt":"2013-01-01 12:00","type":0,"msg":"午间"})");
  start();
  EXPECT_EQ(popup(), nullptr);
  ASSERT_TRUE(UIApplicationDriver::enterBackground());
  MainLoop::jump(13 * 3600);
  ASSERT_TRUE(UIApplicationDriver::enterForeground());
  ASSERT_TRUE(server.waitForRequests("/Accounts/Session.aspx", 1));
  ASSERT_TRUE(waitFor([&] { return popup() != nullptr; }));
  EXPECT_EQ(shownMessageId(), 14);
}

// ---- the start-up advert ------------------------------------------------------------------------

TEST_F(AppUpdateTest, TappedStartUpAdvertOpensItsLinkInTheBrowser) {
  start();
  auto advert = std::make_shared<NSAdInfo>();
  advert->adId = 31;
  advert->c_link_url = "http://www.zept.example/ad/31.html";
  // The page itself is not fetched: its host is no loopback one.
  UIWebView::setPageLoader({});
  app->openAdInfo(Value(std::static_pointer_cast<NSObject>(advert)));
  auto browser =
      std::dynamic_pointer_cast<WebViewCtrl>(app->navigationController()->topViewController());
  ASSERT_NE(browser, nullptr);
  ASSERT_NE(browser->myWebView(), nullptr);
  std::string url = browser->myWebView()->request()->URL()->absoluteString();
  EXPECT_TRUE(url.starts_with("http://www.zept.example/ad/31.html?"));
  EXPECT_TRUE(url.ends_with("&id=31"));
  EXPECT_TRUE(app->messageURL().empty());
}

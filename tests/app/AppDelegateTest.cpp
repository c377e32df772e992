// The application delegate against the local content server: start-up in its three situations
// (online without a key, offline with and without one), the splash and side panel, background
// and foreground, pushes, opened URLs, network changes and the exit path.  App timers run on
// the virtual clock; server traffic is real.
#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <fstream>

#include "AppTestSupport.h"
#include "Foundation/NSDate.h"
#include "Foundation/NSURL.h"
#include "UIKit/UIImageView.h"
#include "UIKit/UIView.h"
#include "core/UIBkImageView.h"
#include "core/UIFilePath.h"
#include "core/UncaughtExceptionHandler.h"
#include "model/ChannelItem.h"
#include "model/NSLoginData.h"
#include "model/ZizaJsonStatusParser.h"
#include "net/api/ClientPlatformAccount.h"
#include "net/api/NSWeiBoNet.h"
#include "net/api/WBEngine.h"
#include "net/http/Reachability.h"
#include "screens/reading/ChannelViewController.h"
#include "screens/social/LMEngine.h"
#include "ui/framework/MyViewController.h"
#include "ui/framework/UINaviCtrl.h"

using namespace apptest;

namespace {

std::optional<UIViewAnimationRecord> animationNamed(std::string_view id) {
  for (const auto& a : UIView::runningAnimations())
    if (a.animationID == id) return a;
  return std::nullopt;
}

bool sameRect(CGRect a, CGRect b) {
  return CGRectEqualToRect(a, b);
}

std::string rectText(CGRect r) {
  return "(" + std::to_string(r.origin.x) + " " + std::to_string(r.origin.y) + "; " +
         std::to_string(r.size.width) + " " + std::to_string(r.size.height) + ")";
}

void writeFile(const std::string& path, const std::string& text) {
  std::ofstream(path) << text;
}

// The channel screens on the navigation stack.
std::vector<std::shared_ptr<ChannelViewController>> channelScreens(const AppDelegate& app) {
  std::vector<std::shared_ptr<ChannelViewController>> out;
  for (const auto& c : app.navigationController()->viewControllers())
    if (auto s = std::dynamic_pointer_cast<ChannelViewController>(c)) out.push_back(s);
  return out;
}

// A bound platform account taking the single sign-on replies of its scheme.
class SignOnAccount : public ClientPlatformAccount {
 public:
  std::vector<std::string> handled;
  int becameActive = 0;
  bool isLoggedIn() override { return false; }
  bool isAuthorizeExpired() override { return false; }
  bool isAccountTimeOut() override { return false; }
  void logIn() override {}
  bool handleOpenURL(const std::string& url) override {
    if (url.rfind("zeptsso.2718093456://", 0) != 0) return false;
    handled.push_back(url);
    return true;
  }
  void applicationDidBecomeActive() override { ++becameActive; }
};

}  // namespace

// ---- start-up ----------------------------------------------------------------------------------

TEST_F(AppTest, ColdStartOnlineRegistersOnceAndRemovesTheSplashWhenItEnds) {
  launch();

  // The services exist once the launch returns; the network is looked at 0.5 s later.
  EXPECT_EQ(NSConfig::allocWithZone(), nullptr);
  EXPECT_EQ(NSWeiBoNet::allocWithZone(), nullptr);
  EXPECT_TRUE(std::filesystem::exists(NSConfig::getConfigPath()));
  EXPECT_EQ(NSUserDefaults::standardUserDefaults()->integerForKey(kReadFontSizeKey), 1);
  EXPECT_EQ(LMEngine::registeredAppId(), "lm2718093456");
  EXPECT_EQ(UIApplicationDriver::requestedRemoteNotificationTypes(), 7u);
  ASSERT_NE(splash(), nullptr);
  EXPECT_TRUE(app->isAddGuideView());
  EXPECT_EQ(app->hostReach(), nullptr);
  advance(0.4);
  EXPECT_EQ(app->hostReach(), nullptr);
  advance(0.1);
  ASSERT_NE(app->hostReach(), nullptr);
  EXPECT_EQ(NSGlobe::getEngine()->curNetStatus(), ReachableViaWiFi);

  // Registration, then the login it leads to; the splash slides out when registration ends.
  ASSERT_TRUE(waitFor([&] { return startedUp(); }));
  EXPECT_EQ(server.requests("/Accounts/Register.aspx").size(), 1u);
  EXPECT_EQ(server.requests("/Accounts/Login.aspx").size(), 1u);
  EXPECT_FALSE(app->isAddGuideView());
  auto slide = animationNamed("rawReadAnimation");
  ASSERT_TRUE(slide);
  EXPECT_DOUBLE_EQ(slide->duration, 0.85);
  EXPECT_EQ(slide->curve, UIViewAnimationCurve::EaseInOut);
  ASSERT_NE(splash(), nullptr);
  EXPECT_EQ(splash()->frame().origin.x, -320);
  advance(0.85);
  EXPECT_EQ(splash(), nullptr);
  EXPECT_TRUE(app->homeScreen()->launcherView()->scrollEnabled());
  // The login ended: the home screen was asked for its guide and the poll runs.
  EXPECT_EQ(app->homeScreen()->guideViewLoads(), 1);
  EXPECT_NE(app->updateTimer(), nullptr);
  // Nothing more is registered later.
  advance(5);
  EXPECT_EQ(server.requests("/Accounts/Register.aspx").size(), 1u);
  EXPECT_TRUE(exits.empty());
}

TEST_F(AppTest, EmptyStoredKeyCountsAsNone) {
  NSUserDefaults::standardUserDefaults()->setObject(Value(std::string()), "registerClientKey");
  launch();
  ASSERT_TRUE(server.waitForRequests("/Accounts/Register.aspx", 1));
  EXPECT_TRUE(server.requests("/Accounts/Login.aspx").empty());
}

TEST_F(AppTest, StoredKeyLogsInAndTheSplashGoesWhenTheLoginEnds) {
  storeClientKey();
  auto bus = BusRecorder::observing({kChannelRefresh});
  launch();
  ASSERT_TRUE(waitFor([&] { return startedUp(); }));
  EXPECT_TRUE(server.requests("/Accounts/Register.aspx").empty());
  EXPECT_EQ(server.requests("/Accounts/Login.aspx").size(), 1u);
  EXPECT_EQ(bus->count(kChannelRefresh, RequestType::ChannelRefreshAfterLogin), 1);
  ASSERT_TRUE(animationNamed("rawReadAnimation"));
  advance(0.85);
  EXPECT_EQ(splash(), nullptr);
}

TEST_F(AppTest, LoginWithAStartUpAdvertShowsItAndTheAdvertEndsTheStart) {
  storeClientKey();
  server.script("/Accounts/Login.aspx",
                zept::server::EndpointScript::replyWith(
                    R"({"ResultBoolean":true,"ResultCode":0,"ResultMsg":"","ErrorLogEnable":false,)"
                    R"("adInfo":{"c_id":7,"c_img":"http://www.zept.example/img/banner/a.jpg",)"
                    R"("c_link_url":"http://www.zept.example/ad"}})"));
  auto bus = BusRecorder::observing({kRegisterClientCallBack});
  launch();
  ASSERT_TRUE(waitFor([&] { return loggedIn() && bus->count(kRegisterClientCallBack) == 1; }));
  // The advert was taken from the login data when it was shown; its end let start-up go on.
  EXPECT_EQ(NSConfig::engine()->config()->adInfo, nullptr);
  ASSERT_TRUE(animationNamed("rawReadAnimation"));
  advance(0.85);
  EXPECT_EQ(splash(), nullptr);
  for (const auto& view : app->window()->subviews()) EXPECT_NE(view->className(), "UILoginAdView");
}

struct ScreenCase {
  double height;
  const char* image;
  CGRect splashFrame;
};

void PrintTo(const ScreenCase& c, std::ostream* out) {
  *out << c.height << "-point screen";
}

class SplashFrames : public AppTest, public ::testing::WithParamInterface<ScreenCase> {};

TEST_P(SplashFrames, SplashAndRightPanelSitWhereTheScreenWantsThem) {
  const ScreenCase& c = GetParam();
  UIDeviceProfile profile;
  profile.screenHeight = c.height;
  UIDevice::setProfile(profile);
  server.script("*", zept::server::EndpointScript::goSilent());
  launch();

  auto window = app->window();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(sameRect(window->frame(), CGRectMake(0, 0, 320, c.height)));
  auto image = std::dynamic_pointer_cast<UIImageView>(splash());
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->imageName(), c.image);
  EXPECT_TRUE(sameRect(image->frame(), c.splashFrame)) << rectText(image->frame());
  EXPECT_EQ(image->autoresizingMask(), UIViewAutoresizingNone);
  EXPECT_EQ(window->subviews().back(), splash());

  auto panel = app->myViewController()->view();
  CGFloat width = panel->frame().size.width;
  EXPECT_TRUE(sameRect(panel->frame(), CGRectMake(320 - width, 20, width, c.height - 20)))
      << rectText(panel->frame());
  EXPECT_TRUE(panel->isHidden());
  EXPECT_EQ(window->subviews().front(), panel);
  app->makeRightViewVisible();
  EXPECT_FALSE(panel->isHidden());
}

INSTANTIATE_TEST_SUITE_P(
    Screens, SplashFrames,
    ::testing::Values(ScreenCase{480, "Default", CGRectMake(0, 20, 320, 460)},
                      ScreenCase{568, "Default-568h", CGRectMake(0, 0, 320, 568)}),
    [](const auto& info) { return "Height" + std::to_string(int(info.param.height)); });

TEST_F(AppTest, SplashGoesAfterTenSecondsWhenTheServerNeverAnswers) {
  server.script("*", zept::server::EndpointScript::goSilent());
  launch();
  ASSERT_TRUE(server.waitForRequests("/Accounts/Register.aspx", 1));
  advance(9.9);
  ASSERT_NE(splash(), nullptr);
  EXPECT_EQ(splash()->frame().origin.x, 0);
  EXPECT_TRUE(app->isAddGuideView());
  advance(0.1);
  EXPECT_FALSE(app->isAddGuideView());
  ASSERT_TRUE(animationNamed("rawReadAnimation"));
  advance(0.85);
  EXPECT_EQ(splash(), nullptr);
  EXPECT_TRUE(exits.empty());
}

TEST_F(AppTest, OfflineStartWithoutKeyShrinksTheWindowAndExits) {
  forceOffline();
  launch();
  advance(0.99);
  EXPECT_TRUE(CGAffineTransformIsIdentity(app->window()->transform()));
  advance(0.01);
  // The shrink is committed: the window is a hundredth of its size for the next second.
  CGAffineTransform t = app->window()->transform();
  EXPECT_DOUBLE_EQ(t.a, 0.01);
  EXPECT_DOUBLE_EQ(t.d, 0.01);
  bool shrinking = false;
  for (const auto& a : UIView::runningAnimations()) shrinking |= a.duration == 1.0;
  EXPECT_TRUE(shrinking);
  advance(0.99);
  EXPECT_TRUE(exits.empty());
  advance(0.01);
  EXPECT_EQ(exits, std::vector<int>{0});
  EXPECT_TRUE(server.requests().empty());
}

TEST_F(AppTest, OfflineStartWithKeySendsNothingAndSlidesTheSplashOut) {
  storeClientKey();
  forceOffline();
  launch();
  auto slide = animationNamed("rawReadAnimation");
  ASSERT_TRUE(slide);
  EXPECT_DOUBLE_EQ(slide->duration, 0.85);
  ASSERT_NE(splash(), nullptr);
  advance(0.85);
  EXPECT_EQ(splash(), nullptr);
  // The start went on as after a registration: the poll is set and nothing ends the app.
  EXPECT_NE(app->updateTimer(), nullptr);
  advance(3);
  EXPECT_TRUE(exits.empty());
  EXPECT_TRUE(server.requests().empty());
  EXPECT_TRUE(hasLine("start-up: offline, no login"));
  EXPECT_EQ(firstPage, false);
}

TEST_F(AppTest, ThirtyFailedRegistrationsEndTheAppThroughItsExitAnimation) {
  server.script("/Accounts/Register.aspx",
                zept::server::EndpointScript::replyWith(
                    R"({"ResultBoolean":false,"ResultCode":1,"ResultMsg":"busy"})"));
  launch();
  // Each failed reply brings the next attempt 1 s later.
  ASSERT_TRUE(
      advanceUntil([&] { return StandInRecorder::shownPrompt() == "服务异常,请重新运行!"; }));
  EXPECT_TRUE(exits.empty());
  EXPECT_TRUE(CGAffineTransformIsIdentity(app->window()->transform()));
  // The close comes 3 s after the prompt and takes the exit animation's second.
  advance(4.0);
  EXPECT_DOUBLE_EQ(app->window()->transform().a, 0.01);
  EXPECT_EQ(exits, std::vector<int>{0});
  EXPECT_EQ(server.requests("/Accounts/Register.aspx").size(), 30u);
}

// ---- background and foreground ------------------------------------------------------------------

// A channel list staged by an earlier run, whose pictures are all on disk.
void stageChannels(std::initializer_list<int> numbers) {
  auto page = std::make_shared<NSMutableArray>();
  for (int number : numbers) {
    auto item = std::make_shared<ChannelItem>();
    item->type = number;
    item->isEnabled = true;
    item->name = "channel " + std::to_string(number);
    page->addObject(ChannelItem::getDicByChannelItem(item));
  }
  ASSERT_TRUE(ChannelItem::writePages(makeArray({Value(page)}),
                                      ChannelItem::filePathWithName(kStagedChannelItemsFileName)));
  NSConfig::setCacheValue(Value("1"), kChannelNewsKey, kChannelConfigStoreName);
}

TEST_F(AppTest, StartUpAndReturnInstallAWaitingChannelList) {
  storeClientKey();
  stageChannels({1, 61});
  auto bus = BusRecorder::observing({kNewChannelsAdded});
  launch();
  EXPECT_EQ(bus->count(kNewChannelsAdded), 1);
  EXPECT_TRUE(ChannelItem::getChannelItemByChannelId(61));

  ASSERT_TRUE(waitFor([&] { return startedUp(); }));
  stageChannels({62});
  ASSERT_TRUE(UIApplicationDriver::enterBackground());
  EXPECT_EQ(bus->count(kNewChannelsAdded), 1);
  ASSERT_TRUE(UIApplicationDriver::enterForeground());
  EXPECT_EQ(bus->count(kNewChannelsAdded), 2);
  EXPECT_TRUE(ChannelItem::getChannelItemByChannelId(62));
  EXPECT_TRUE(ChannelItem::getChannelItemByChannelId(61)) << "the user's channels stay";
}

TEST_F(AppTest, BackgroundAndForegroundFollowTheSixtySecondRule) {
  storeClientKey();
  launch();
  ASSERT_TRUE(waitFor([&] { return startedUp(); }));
  advance(1);
  auto bus = BusRecorder::observing({kLogAction, kGlobeRequest});
  std::string comments = UIFilePath::cacheCommentPath("42");
  std::string reposts = UIFilePath::cacheRetweetPath("42");
  writeFile(comments, "{}");
  writeFile(reposts, "{}");

  ASSERT_TRUE(UIApplicationDriver::enterBackground());
  EXPECT_EQ(bus->count(kLogAction, 902), 1);
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(comments).parent_path()));
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(reposts).parent_path()));
  EXPECT_TRUE(NSConfig::engine()->config()->isSession);
  EXPECT_FALSE(NSConfig::engine()->config()->isShowAdOk);
  NSDateFormatter formatter;
  formatter.setDateFormat("yyMMddHHmmss");
  EXPECT_EQ(NSConfig::readCacheValueWithKey(kEnterBackgroundTimeKey).description(),
            formatter.stringFromDate(NSDate::date()));

  advance(59);
  ASSERT_TRUE(UIApplicationDriver::enterForeground());
  EXPECT_EQ(bus->count(kLogAction, 901), 1);
  EXPECT_EQ(bus->count(kGlobeRequest, RequestType::ReopenSession), 0);
  EXPECT_FALSE(app->isInSendOpenClient());
  EXPECT_TRUE(app->needShowMessage());

  ASSERT_TRUE(UIApplicationDriver::enterBackground());
  advance(60);
  ASSERT_TRUE(UIApplicationDriver::enterForeground());
  EXPECT_EQ(bus->count(kGlobeRequest, RequestType::ReopenSession), 1);
  EXPECT_TRUE(app->isInSendOpenClient());
  ASSERT_NE(splash(), nullptr);
  ASSERT_TRUE(server.waitForRequests("/Accounts/Session.aspx", 1));
  // The session reply ends the re-open: the splash goes again.
  ASSERT_TRUE(waitFor([&] { return bool(animationNamed("rawReadAnimation")); }));
  advance(0.85);
  EXPECT_EQ(splash(), nullptr);
  EXPECT_TRUE(hasLine("start-up: session re-opened"));

  // A second return soon after does not re-open again.
  ASSERT_TRUE(UIApplicationDriver::enterBackground());
  advance(30);
  ASSERT_TRUE(UIApplicationDriver::enterForeground());
  EXPECT_EQ(bus->count(kGlobeRequest, RequestType::ReopenSession), 1);
  EXPECT_EQ(server.requests("/Accounts/Session.aspx").size(), 1u);
  // The guard lasts 60 s from the re-open.
  advance(30);
  EXPECT_FALSE(app->isInSendOpenClient());
}

TEST_F(AppTest, OfflineReturnReopensNothing) {
  storeClientKey();
  launch();
  ASSERT_TRUE(waitFor([&] { return startedUp(); }));
  auto bus = BusRecorder::observing({kGlobeRequest});
  ASSERT_TRUE(UIApplicationDriver::enterBackground());
  advance(120);
  forceOffline();
  ASSERT_TRUE(UIApplicationDriver::enterForeground());
  EXPECT_EQ(bus->count(kGlobeRequest, RequestType::ReopenSession), 0);
}

TEST_F(AppTest, TerminationSendsTheCloseEvent) {
  storeClientKey();
  forceOffline();
  launch();
  auto bus = BusRecorder::observing({kLogAction});
  ASSERT_TRUE(UIApplicationDriver::terminate());
  EXPECT_EQ(bus->count(kLogAction, 902), 1);
}

// ---- pushes ------------------------------------------------------------------------------------

TEST_F(AppTest, PushOpensItsChannelOnlyWhenTheUserOpenedIt) {
  storeClientKey();
  launch();
  ASSERT_TRUE(waitFor([&] { return startedUp(); }));
  advance(2);

  // In the foreground nothing moves under the reader.
  ASSERT_TRUE(UIApplicationDriver::receiveRemoteNotification(Value::dictionaryOf(
      {{"aps", Value::dictionaryOf({{"alert", Value("新消息")}})}, {"t", Value("12")}})));
  EXPECT_TRUE(channelScreens(*app).empty());

  ASSERT_TRUE(UIApplicationDriver::resignActive());
  ASSERT_TRUE(
      UIApplicationDriver::receiveRemoteNotification(Value::dictionaryOf({{"t", Value("12")}})));
  auto screens = channelScreens(*app);
  ASSERT_EQ(screens.size(), 1u);
  EXPECT_EQ(screens[0]->currentChannel()->channelType(), 12);
  EXPECT_EQ(app->channelViewController(), screens[0]);
  EXPECT_EQ(app->channelData(), nullptr);
}

TEST_F(AppTest, PushWithoutAKnownPositiveChannelOpensNothing) {
  storeClientKey();
  forceOffline();
  launch();
  ASSERT_TRUE(UIApplicationDriver::resignActive());
  for (const Value& t :
       {Value(), Value(0), Value(-3), Value("0"), Value("abc"), Value(99999), Value(777)}) {
    Value payload = t.isNil() ? Value::dictionaryOf({}) : Value::dictionaryOf({{"t", t}});
    UIApplicationDriver::receiveRemoteNotification(payload);
    EXPECT_TRUE(channelScreens(*app).empty()) << t.description();
  }
  UIApplicationDriver::receiveRemoteNotification(Value::dictionaryOf({{"t", Value(12)}}));
  EXPECT_EQ(channelScreens(*app).size(), 1u);
}

TEST_F(AppTest, PushThatLaunchedTheAppOpensItsChannelAfterStartUp) {
  storeClientKey();
  launch(UIApplicationDriver::launchOptionsForRemoteNotification(
      Value::dictionaryOf({{"t", Value(12)}})));
  ASSERT_TRUE(waitFor([&] { return loggedIn() && bool(animationNamed("rawReadAnimation")); }));
  EXPECT_TRUE(channelScreens(*app).empty());
  advance(1.0);
  auto screens = channelScreens(*app);
  ASSERT_EQ(screens.size(), 1u);
  EXPECT_EQ(screens[0]->currentChannel()->channelType(), 12);
  EXPECT_TRUE(app->launchOptionsCache().isNil());
}

TEST_F(AppTest, PushThatLaunchedAnOfflineAppStillOpensItsChannel) {
  storeClientKey();
  forceOffline();
  launch(UIApplicationDriver::launchOptionsForRemoteNotification(
      Value::dictionaryOf({{"t", Value("12")}})));
  advance(1.0);
  auto screens = channelScreens(*app);
  ASSERT_EQ(screens.size(), 1u);
  EXPECT_EQ(screens[0]->currentChannel()->channelType(), 12);
}

TEST_F(AppTest, PushOverAnOpenChannelGoesBackFirstThenOpensAfterHalfASecond) {
  storeClientKey();
  launch();
  ASSERT_TRUE(waitFor([&] { return startedUp(); }));
  advance(2);
  auto first = ChannelViewController::initWithChannelType(2, 1);
  app->navigationController()->pushViewController(first, false);
  app->setChannelViewController(first);
  auto bus = BusRecorder::observing({kGlobeRequest});

  ASSERT_TRUE(UIApplicationDriver::resignActive());
  ASSERT_TRUE(
      UIApplicationDriver::receiveRemoteNotification(Value::dictionaryOf({{"t", Value(12)}})));
  EXPECT_EQ(bus->count(kGlobeRequest, RequestType::Cancel), 1);
  EXPECT_EQ(app->channelViewController(), nullptr);
  advance(0.49);
  EXPECT_TRUE(channelScreens(*app).empty());
  advance(0.01);
  auto screens = channelScreens(*app);
  ASSERT_EQ(screens.size(), 1u);
  EXPECT_EQ(screens[0]->currentChannel()->channelType(), 12);
}

TEST_F(AppTest, ChannelLinkOpensByTypeAndTemplate) {
  storeClientKey();
  forceOffline();
  launch();
  advance(1);
  app->setMessageURL("13,13");
  app->openChannel();
  auto screens = channelScreens(*app);
  ASSERT_EQ(screens.size(), 1u);
  EXPECT_EQ(screens[0]->currentChannel()->channelType(), 13);
  EXPECT_EQ(screens[0]->currentChannel()->actionType(), 13);
  EXPECT_TRUE(app->messageURL().empty());
}

TEST_F(AppTest, DeviceTokenIsStoredAsHexAndAChangedOneIsSentAgain) {
  auto defaults = NSUserDefaults::standardUserDefaults();
  defaults->setObject(Value("0000"), "token_key");
  storeClientKey();
  forceOffline();
  launch();
  ASSERT_TRUE(UIApplicationDriver::answerRemoteNotificationRegistration(
      std::string("\x0a\x1b\x2c\x3d\x4e\x5f\x60\x71\x82", 9)));
  EXPECT_EQ(defaults->stringForKey("token_key_temp"), "0a1b2c3d4e5f607182");
  EXPECT_EQ(defaults->stringForKey("token_key"), "");

  // The same token again leaves the accepted one alone.
  defaults->setObject(Value("0a1b2c3d4e5f607182"), "token_key");
  app->applicationDidRegisterForRemoteNotificationsWithDeviceToken(
      *UIApplication::sharedApplication(),
      Value::data(std::string("\x0a\x1b\x2c\x3d\x4e\x5f\x60\x71\x82", 9)));
  EXPECT_EQ(defaults->stringForKey("token_key"), "0a1b2c3d4e5f607182");
}

// ---- URLs from other apps ----------------------------------------------------------------------

TEST_F(AppTest, OpenedURLsReachThePlatformClientOrTheMessagingEngineByScheme) {
  storeClientKey();
  forceOffline();
  launch();
  // Start-up installed the dispatcher's platform client; a stand-in takes its place.
  EXPECT_EQ(ClientPlatformAccount::current(), std::static_pointer_cast<ClientPlatformAccount>(
                                                  NSWeiBoNet::getNetEngine()->weiboEngine()));
  auto account = std::make_shared<SignOnAccount>();
  ClientPlatformAccount::setCurrent(account);
  UIApplicationDriver::resignActive();
  UIApplicationDriver::becomeActive();
  EXPECT_EQ(account->becameActive, 1);

  EXPECT_TRUE(UIApplicationDriver::openURL(
      NSURL::URLWithString("zeptsso.2718093456://response?access_token=t"), "com.ziza.app"));
  ASSERT_EQ(account->handled.size(), 1u);
  EXPECT_TRUE(stand->events("LMEngine").empty());

  EXPECT_TRUE(UIApplicationDriver::openURL(
      NSURL::URLWithString("lm2718093456://platformId=lumi&ret=0"), "com.lumi"));
  EXPECT_EQ(stand->details("LMEngine", "onResp"),
            std::vector<std::string>{"lm2718093456://platformId=lumi&ret=0"});
  EXPECT_EQ(account->handled.size(), 1u);

  EXPECT_FALSE(UIApplicationDriver::openURL(NSURL::URLWithString("other://x")));
  EXPECT_EQ(stand->count("LMEngine", "onResp"), 1u);

  // The messaging app's requests are handed on too.
  app->onReq(Value("show"));
  EXPECT_EQ(stand->details("LMEngine", "onReq"), std::vector<std::string>{"show"});
  ClientPlatformAccount::setCurrent(nullptr);
}

// ---- network changes ---------------------------------------------------------------------------

TEST_F(AppTest, LosingTheNetworkPromptsAndHelpsAnEmptyFavouritesScreen) {
  storeClientKey();
  launch();
  // The home screen's page requests are over before the network goes.
  ASSERT_TRUE(waitFor([&] { return startedUp(); }));
  advance(1);
  ASSERT_NE(app->hostReach(), nullptr);
  auto favourites = ChannelViewController::initWithChannelType(5, kTemplateMyFavorite);
  app->navigationController()->pushViewController(favourites, false);
  app->setChannelViewController(favourites);
  StandInRecorder::dismissPrompt();

  forceOffline();
  SCNetworkReachabilityFireTestChange();
  ASSERT_TRUE(waitFor([&] { return NSGlobe::getEngine()->curNetStatus() == NotReachable; }));
  EXPECT_EQ(StandInRecorder::shownPrompt(), "网络不可用，请检查网络设置");
  StandInRecorder::dismissPrompt();
  auto help = std::dynamic_pointer_cast<UIImageView>(favourites->dataTableView()->viewWithTag(299));
  ASSERT_NE(help, nullptr);
  EXPECT_EQ(help->imageName(), "favoriteHelp.png");
  EXPECT_TRUE(sameRect(help->frame(), CGRectMake(21, 50, 278, 358)));

  forceOnline();
  SCNetworkReachabilityFireTestChange();
  ASSERT_TRUE(waitFor([&] { return NSGlobe::getEngine()->curNetStatus() == ReachableViaWiFi; }));
  EXPECT_EQ(StandInRecorder::shownPrompt(), "");
}

// ---- services the application installs into lower layers -------------------------------------

TEST_F(AppTest, FriendGroupsParsedTogetherAreCachedWhereEachGroupsOwnRequestCachesIt) {
  storeClientKey();
  launch();
  ASSERT_TRUE(waitFor([&] { return startedUp(); }));
  auto list =
      ZizaJsonStatusParser::parseToFiles(R"([{"id":7,"user":[{"id":1}]},{"id":8,"user":[]}])");
  ASSERT_TRUE(list);
  for (const char* group : {"7", "8"}) {
    auto path = ClientRequest::engine()->getRequestLocalPath(
        RequestType::Suggestions, Value::arrayOf({Value(group), Value("1"), Value("20")}));
    ASSERT_TRUE(path);
    EXPECT_TRUE(std::filesystem::exists(*path)) << *path;
  }
}

// ---- the crash catcher -------------------------------------------------------------------------

TEST_F(AppTest, CrashCatcherStaysOutWhenTheLoginDisablesIt) {
  storeClientKey();
  launch();
  ASSERT_TRUE(waitFor([&] { return startedUp(); }));
  EXPECT_FALSE(NSConfig::engine()->config()->errorLogEnable);
  struct sigaction current {};
  sigaction(SIGTRAP, nullptr, &current);
  EXPECT_EQ(current.sa_handler, SIG_DFL);
  EXPECT_EQ(UncaughtExceptionHandler::crashCount(), 0);
}

// The dispatcher's usage log against the local log server: what is recorded, when it goes up,
// what the server reads of it, and what is kept or dropped after the reply; the favourite and
// liked lists; the bind checks and prompts.
#include <gtest/gtest.h>

#include "Common/JXKit/NSString+JXKitDeserializing.h"
#include "Foundation/NSBundle.h"
#include "Foundation/NSFileManager.h"
#include "Foundation/NSUserDefaults.h"
#include "UIKit/UIAlertView.h"
#include "core/NSConfig.h"
#include "core/NSDesEncrypt.h"
#include "core/NSGlobe.h"
#include "core/NSMsgSend.h"
#include "core/NSObject+notification.h"
#include "core/NSSectionItem.h"
#include "core/NotificationNames.h"
#include "core/StoredKeys.h"
#include "core/UIFilePath.h"
#include "core/UsageLogFile.h"
#include "model/NSLoginData.h"
#include "model/ZizaJsonStatusParser.h"
#include "net/api/ApiTestSupport.h"
#include "net/api/ClientPlatformAccount.h"
#include "net/api/ClientPostRequest.h"
#include "net/api/ClientRequest.h"
#include "net/api/NSWeiBoNet.h"
#include "net/api/ServerResult.h"

namespace {

using zept::server::EndpointScript;
using zept::server::LogUpload;

std::string localized(std::string_view key) {
  return NSBundle::mainBundle()->localizedStringForKey(key);
}

constexpr const char* kLogFailure =
    R"({"Result":false,"ErrorCode":1,"Error":"busy","Request":"/post.aspx"})";

class UsageLogTest : public apitest::ServerClientTest {
 protected:
  void SetUp() override {
    ServerClientTest::SetUp();
    UsageLogFile::setCurrent(ZizaJsonStatusParser::usageLogFile());
    NSUserDefaults::standardUserDefaults()->setObject(Value(key), kRegisterClientKey);
    NSGlobe::getEngine()->setCurNetStatus(1);
    login()->useBehaviorEnable = true;
    login()->useBehaviorSubmit = true;
    net = NSWeiBoNet::getNetEngine();
  }

  static std::shared_ptr<NSLoginData> login() { return NSConfig::engine()->config(); }
  static void start() { postNotification(kLogAction, Value(), NSSectionItem::kStartCode); }
  static void close() { postNotification(kLogAction, Value(), NSSectionItem::kCloseCode); }
  // An item read (usage code 8) with its id.
  static void readItem(int i) { recordeUserInfo(Value("900" + std::to_string(i)), 8); }
  static void failedRequest() {
    auto event = std::make_shared<NSMsgSend>();
    event->type = 903;
    event->data = Value::arrayOf({Value(903), Value("url:http://x Reason:(null) des:timed out")});
    postNotificationObject(kLogAction, event);
  }
  size_t actions() const {
    return net->curSection() ? net->curSection()->actionsArray().size() : 0;
  }
  std::vector<LogUpload> uploads(std::string_view path) const {
    std::vector<LogUpload> out;
    for (auto& u : server.logUploads())
      if (u.path == path) out.push_back(u);
    return out;
  }
  // Real time for requests that must not come.
  void settle() {
    waitFor([] { return false; }, 0.3);
  }
  std::vector<std::shared_ptr<NSSectionItem>> storedSections() const {
    return ZizaJsonStatusParser::parseSectionArray(UIFilePath::getLogFilePath())
        .value_or(std::vector<std::shared_ptr<NSSectionItem>>());
  }

  std::shared_ptr<NSWeiBoNet> net;
};

TEST_F(UsageLogTest, TheTenthActionSendsTheSectionAndTheServerReadsExactlyItsActions) {
  NSGlobe::getEngine()->setCurChannel("5");
  start();
  for (int i = 1; i <= 8; ++i) readItem(i);
  ASSERT_EQ(actions(), 9u);
  settle();
  EXPECT_TRUE(server.requests("/post.aspx").empty());

  readItem(9);
  ASSERT_EQ(actions(), 10u);
  EXPECT_TRUE(net->isSubmiteLog());
  std::string sent = ZizaJsonStatusParser::reParserActionArray(net->curSection()->actionsArray());
  std::string sectionId = *net->curSection()->sId();
  ASSERT_TRUE(waitFor([&] { return actions() == 1; }));

  auto got = uploads("/post.aspx");
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(objectFromJSONString(got[0].field("Actionlogs")), objectFromJSONString(sent));
  Value logs = objectFromJSONString(got[0].field("Actionlogs"));
  ASSERT_EQ(logs.count(), 10u);
  EXPECT_EQ(logs[0]["aType"], Value("901,"));
  EXPECT_EQ(logs[9]["aType"], Value("5,8"));
  EXPECT_EQ(logs[9]["sparams"], Value("9009"));
  EXPECT_EQ(logs[9]["cTime"], Value("2013-01-01 00:00:00"));
  EXPECT_EQ(got[0].field("key"), key);
  EXPECT_EQ(got[0].field("std"), "2.0");
  EXPECT_EQ(got[0].field("Conn"), "2");
  EXPECT_EQ(got[0].field("SubmitTime"), "2013-01-01 00:00:00");
  EXPECT_EQ(got[0].field("sId"), sectionId + "130101000000");
  EXPECT_EQ(got[0].field("Id"), "0");
  EXPECT_EQ(got[0].field("appid"), NSConfig::readValueWithKey(kAppIdKey).description());
  // Enciphered on the wire.
  auto wire = server.requests("/post.aspx")[0];
  EXPECT_EQ(NSDesEncrypt::tripleDES(wire.paramOr("Actionlogs"), false), got[0].field("Actionlogs"));
  EXPECT_EQ(wire.method, "POST");
  EXPECT_TRUE(wire.query.empty());

  // The start action stays; the next upload may go 30 s after the reply.
  EXPECT_EQ(net->curSection()->actionsArray()[0].channelType, NSSectionItem::kStartCode);
  advance(29.5);
  EXPECT_TRUE(net->isSubmiteLog());
  advance(1);
  EXPECT_FALSE(net->isSubmiteLog());
}

TEST_F(UsageLogTest, AFailedRequestIsRecordedButStartsNoUpload) {
  start();
  for (int i = 1; i <= 8; ++i) readItem(i);
  failedRequest();
  ASSERT_EQ(actions(), 10u);
  EXPECT_EQ(net->curSection()->actionsArray().back().caType, "903,");
  EXPECT_EQ(net->curSection()->actionsArray().back().sparams,
            "url:http://x Reason:(null) des:timed out");
  settle();
  EXPECT_TRUE(server.requests("/post.aspx").empty());
  // The next ordinary event finds ten and more.
  readItem(10);
  ASSERT_TRUE(server.waitForRequests("/post.aspx", 1));
}

TEST_F(UsageLogTest, TheMinuteTimerSendsTwoActions) {
  start();
  advance(60);  // the start action alone does not go
  settle();
  EXPECT_TRUE(server.requests("/post.aspx").empty());
  readItem(1);
  advance(59);
  settle();
  EXPECT_TRUE(server.requests("/post.aspx").empty());
  advance(1);
  ASSERT_TRUE(waitFor([&] { return actions() == 1; }));
  ASSERT_EQ(uploads("/post.aspx").size(), 1u);
  EXPECT_EQ(objectFromJSONString(uploads("/post.aspx")[0].field("Actionlogs")).count(), 2u);
}

TEST_F(UsageLogTest, OneUploadAtATimeAndWhatCameMeanwhileStays) {
  start();
  for (int i = 1; i <= 9; ++i) readItem(i);
  ASSERT_TRUE(net->isSubmiteLog());
  // Recorded while the upload is on its way (its reply waits for the main loop); neither the
  // events nor the timer start a second upload.
  readItem(10);
  readItem(11);
  net->logTime();
  ASSERT_EQ(actions(), 12u);
  ASSERT_TRUE(waitFor([&] { return actions() == 3; }));
  settle();
  EXPECT_EQ(server.requests("/post.aspx").size(), 1u);
  EXPECT_EQ(objectFromJSONString(uploads("/post.aspx")[0].field("Actionlogs")).count(), 10u);
  std::vector<std::string> left;
  for (const auto& a : net->curSection()->actionsArray()) left.push_back(a.sparams);
  EXPECT_EQ(left, (std::vector<std::string>{"", "90010", "90011"}));
}

TEST_F(UsageLogTest, ARefusedUploadKeepsTheActionsAndPausesAMinute) {
  server.script("/post.aspx", EndpointScript::replyWith(kLogFailure));
  // Away from the timer's own minute.
  advance(1);
  start();
  for (int i = 1; i <= 9; ++i) readItem(i);
  ASSERT_TRUE(server.waitForRequests("/post.aspx", 1));
  settle();
  EXPECT_EQ(actions(), 10u);
  advance(59.5);
  EXPECT_TRUE(net->isSubmiteLog());
  advance(1);
  EXPECT_FALSE(net->isSubmiteLog());
  // The next event sends them all.
  server.clearScripts();
  readItem(10);
  ASSERT_TRUE(waitFor([&] { return actions() == 1; }));
  ASSERT_EQ(uploads("/post.aspx").size(), 1u);
  EXPECT_EQ(objectFromJSONString(uploads("/post.aspx")[0].field("Actionlogs")).count(), 11u);
}

TEST_F(UsageLogTest, AnUploadThatCannotReachTheServerKeepsTheActions) {
  NSConfig::engine()->setLogServerURL(apitest::closedBaseURL());
  advance(1);
  start();
  for (int i = 1; i <= 9; ++i) readItem(i);
  ASSERT_TRUE(net->isSubmiteLog());
  // The failure is recorded as one more action (903).
  ASSERT_TRUE(waitFor([&] { return actions() == 11; }));
  EXPECT_EQ(net->curSection()->actionsArray().back().caType, "903,");
  settle();
  EXPECT_EQ(actions(), 11u);
  advance(59.5);
  EXPECT_TRUE(net->isSubmiteLog());
  advance(1);
  EXPECT_FALSE(net->isSubmiteLog());
}

TEST_F(UsageLogTest, TheStartSendsTheWholeLogAsAMultipartFileAndEmptiesIt) {
  // A run a while ago left its section in the log.
  start();
  readItem(1);
  advance(10);
  close();
  EXPECT_FALSE(net->curSection());
  ASSERT_EQ(storedSections().size(), 1u);
  advance(120);

  start();
  ASSERT_TRUE(net->isSubmiteLog());
  ASSERT_TRUE(waitFor([&] { return uploads("/upLoad.aspx").size() == 1; }));
  auto request = server.requests("/upLoad.aspx")[0];
  ASSERT_EQ(request.files.size(), 1u);
  EXPECT_EQ(request.files[0].name, "log");
  EXPECT_EQ(request.files[0].filename, "log");
  EXPECT_EQ(request.files[0].contentType, "txt");
  EXPECT_EQ(request.formParams,
            (zept::server::Pairs{{"keys", key},
                                 {"appId", NSConfig::readValueWithKey(kAppIdKey).description()},
                                 {"std", "2.0"}}));
  // The server deciphers the file: the stored section, stamped with the submission time.
  Value file = objectFromJSONString(uploads("/upLoad.aspx")[0].file);
  ASSERT_EQ(file.count(), 1u);
  EXPECT_EQ(file[0]["SubmitTime"], Value("2013-01-01 00:02:10"));
  EXPECT_EQ(file[0]["Key"], Value(key));
  EXPECT_EQ(file[0]["Actionlogs"].count(), 3u);
  EXPECT_EQ(file[0]["Actionlogs"][2]["aType"], Value("902,"));

  ASSERT_TRUE(waitFor([] { return dataWithContentsOfFile(UIFilePath::getLogFilePath()) == "[]"; }));
  // The new section is the current one, not yet stored.
  EXPECT_EQ(actions(), 1u);
}

TEST_F(UsageLogTest, TheWholeLogWaitsWhenItCanStillGrowOrTheNetworkIsNotWiFi) {
  start();
  advance(10);
  close();
  // Back within a minute: the section goes on, nothing is sent.
  advance(30);
  start();
  settle();
  EXPECT_TRUE(server.requests("/upLoad.aspx").empty());
  advance(5);
  close();

  // Later, on a cellular network: 45 s after the start.
  advance(300);
  NSGlobe::getEngine()->setCurNetStatus(2);
  start();
  advance(44.5);
  settle();
  EXPECT_TRUE(server.requests("/upLoad.aspx").empty());
  advance(1);
  ASSERT_TRUE(server.waitForRequests("/upLoad.aspx", 1));
}

TEST_F(UsageLogTest, OfflineOrWithoutLeaveNothingIsSentAndWithoutLeaveToRecordNothingIsKept) {
  start();
  advance(10);
  close();
  advance(120);
  apitest::forceOffline();
  start();
  EXPECT_FALSE(net->isSubmiteLog());
  apitest::forceOnline();
  close();
  advance(120);

  login()->useBehaviorSubmit = false;
  start();
  for (int i = 1; i <= 12; ++i) readItem(i);
  advance(60);
  settle();
  EXPECT_TRUE(server.requests("/upLoad.aspx").empty());
  EXPECT_TRUE(server.requests("/post.aspx").empty());
  EXPECT_EQ(actions(), 13u);

  login()->useBehaviorEnable = false;
  readItem(13);
  failedRequest();
  postNotification(kLogAction, Value(), 16);
  EXPECT_EQ(actions(), 13u);
  login()->useBehaviorEnable = true;
  postNotification(kLogAction, Value(), 16);
  EXPECT_EQ(net->curSection()->actionsArray().back().caType, ",16");
}

TEST_F(UsageLogTest, ALogStoredWhileTheWholeLogWasOnItsWayIsKept) {
  start();
  advance(10);
  close();
  advance(120);
  start();
  ASSERT_TRUE(net->isSubmiteLog());
  // Stored before the upload's reply is handled (the reply waits for the main loop).
  readItem(1);
  close();
  ASSERT_EQ(storedSections().size(), 2u);
  ASSERT_TRUE(waitFor([&] { return uploads("/upLoad.aspx").size() == 1; }));
  settle();
  EXPECT_EQ(storedSections().size(), 2u);
}

TEST_F(UsageLogTest, EventsOutsideASectionGoNowhere) {
  readItem(1);
  failedRequest();
  EXPECT_FALSE(net->curSection());
  start();
  close();
  readItem(2);
  EXPECT_FALSE(net->curSection());
  ASSERT_EQ(storedSections().size(), 1u);
  EXPECT_EQ(storedSections()[0]->actionsArray().size(), 2u);
}

// ---- favourite and liked lists ---------------------------------------------------------------

TEST_F(UsageLogTest, FavouritesAndLikesKeepOneEntryPerId) {
  net->addFavorite("3590000001");
  net->addFavorite("3590000002");
  net->addFavorite("3590000001");
  EXPECT_EQ(net->favoriteList(), (std::vector<std::string>{"3590000001", "3590000002"}));
  EXPECT_EQ(UIFilePath::readArrayFile(), net->favoriteList());

  std::string file = UIFilePath::localPath(6);
  auto before = dataWithContentsOfFile(file);
  std::filesystem::remove(file);
  net->removeFavorite("not there");  // changes and writes nothing
  EXPECT_FALSE(std::filesystem::exists(file));
  EXPECT_EQ(net->favoriteList().size(), 2u);
  net->removeFavorite("3590000001");
  EXPECT_EQ(UIFilePath::readArrayFile(), std::vector<std::string>{"3590000002"});

  net->addGood("7");
  net->addGood("7");
  EXPECT_EQ(net->goodList(), std::vector<std::string>{"7"});
  EXPECT_FALSE(UIFilePath::readLikeArray());  // saving is the caller's
  UIFilePath::saveLikeArray({"7", "8"});
  UIFilePath::saveFileByArray({"1"});
  net->readLocalData();
  EXPECT_EQ(net->favoriteList(), std::vector<std::string>{"1"});
  EXPECT_EQ(net->goodList(), (std::vector<std::string>{"7", "8"}));
}

// ---- bind checks and prompts -----------------------------------------------------------------

class Account : public ClientPlatformAccount {
 public:
  bool loggedIn = false, expired = false, timedOut = false;
  int logIns = 0, logOuts = 0;
  bool isLoggedIn() override { return loggedIn; }
  bool isAuthorizeExpired() override { return expired; }
  bool isAccountTimeOut() override { return timedOut; }
  void logIn() override { ++logIns; }
  void logOut() override {
    ++logOuts;
    loggedIn = false;
  }
};

class BindTest : public UsageLogTest {
 protected:
  void SetUp() override {
    UsageLogTest::SetUp();
    account = std::make_shared<Account>();
    ClientPlatformAccount::setCurrent(account);
    NSUserDefaults::standardUserDefaults()->setInteger(1, kVoiceKey);
    ClientRequest::engine()->setEventType(0);
  }
  void TearDown() override {
    UIAlertView::removeAllVisibleAlerts();
    ClientPlatformAccount::setCurrent(nullptr);
    UsageLogTest::TearDown();
  }
  // "title|message|buttons" of the visible alerts.
  static std::vector<std::string> alerts() {
    std::vector<std::string> out;
    for (auto& a : UIAlertView::visibleAlerts()) {
      std::string text = a->title() + "|" + a->message();
      for (long i = 0; i < a->numberOfButtons(); ++i) text += "|" + a->buttonTitleAtIndex(i);
      out.push_back(text);
    }
    return out;
  }
  static std::string alert(std::string_view key) {
    return "温馨提示|" + localized(key) + "|取消|绑定";
  }
  static int eventType() { return ClientRequest::engine()->eventType(); }

  std::shared_ptr<Account> account;
};

TEST_F(BindTest, ChecksAskForABindingByTheEvent) {
  struct Case {
    const char* name;
    bool loggedIn, expired, timedOut;
    int event;
    bool answer;
    std::vector<std::string> shown;
    int eventType;
    size_t sounds;
  };
  const std::vector<Case> cases = {
      {"bound", true, false, false, 130, true, {}, 0, 0},
      {"event 0 asks nothing", false, false, false, 0, false, {}, 128, 0},
      {"expired, event 130", true, true, false, 130, false, {alert("BandPrompt")}, 130, 1},
      {"event 5 waits as none", false, false, false, 5, false, {alert("BandPrompt")}, 128, 1},
      {"timed out", false, false, true, 155, false, {alert("BandTimeOutPrompt")}, 155, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    UIAlertView::removeAllVisibleAlerts();
    stand->clear();
    ClientRequest::engine()->setEventType(0);
    account->loggedIn = c.loggedIn;
    account->expired = c.expired;
    account->timedOut = c.timedOut;
    EXPECT_EQ(NSWeiBoNet::isLoginedNoPrompt(), c.answer);
    EXPECT_EQ(NSWeiBoNet::isLogined(c.event), c.answer);
    EXPECT_EQ(alerts(), c.shown);
    EXPECT_EQ(eventType(), c.eventType);
    EXPECT_EQ(stand->sounds().size(), c.sounds);
  }
  // No account at all is no binding.
  ClientPlatformAccount::setCurrent(nullptr);
  EXPECT_FALSE(NSWeiBoNet::isLoginedNoPrompt());
}

TEST_F(BindTest, TheSoundPlaysOnlyWhenSoundsAreOn) {
  NSUserDefaults::standardUserDefaults()->setInteger(2, kVoiceKey);
  EXPECT_FALSE(NSWeiBoNet::isLogined(130));
  EXPECT_EQ(alerts().size(), 1u);
  EXPECT_TRUE(stand->sounds().empty());
}

TEST_F(BindTest, TheAlertsAnswerStartsTheLoginOrLeavesNoEventWaiting) {
  NSWeiBoNet::isLogined(130);
  auto shown = UIAlertView::visibleAlerts();
  ASSERT_EQ(shown.size(), 1u);
  ASSERT_TRUE(shown[0]->tapButtonAtIndex(1));  // 绑定
  EXPECT_EQ(account->logIns, 0);
  advance(0.01);
  EXPECT_EQ(account->logIns, 1);
  EXPECT_EQ(eventType(), 130);

  NSWeiBoNet::isLogined(130);
  ASSERT_TRUE(UIAlertView::visibleAlerts()[0]->tapButtonAtIndex(0));  // 取消
  advance(0.1);
  EXPECT_EQ(account->logIns, 1);
  EXPECT_EQ(eventType(), 128);
}

TEST_F(BindTest, StartBindLogsInAtOnceWithoutAsking) {
  EXPECT_FALSE(NSWeiBoNet::isStartBind(140));
  EXPECT_TRUE(alerts().empty());
  EXPECT_EQ(eventType(), 140);
  EXPECT_EQ(stand->sounds().size(), 1u);
  advance(0.01);
  EXPECT_EQ(account->logIns, 1);

  EXPECT_FALSE(NSWeiBoNet::isStartBind(0));
  EXPECT_EQ(eventType(), 128);
  EXPECT_EQ(stand->sounds().size(), 1u);  // no sound for event 0
  advance(0.01);
  EXPECT_EQ(account->logIns, 2);

  account->loggedIn = true;
  EXPECT_TRUE(NSWeiBoNet::isStartBind(140));
  advance(0.1);
  EXPECT_EQ(account->logIns, 2);
}

TEST_F(BindTest, TokenErrorsLogTheAccountOutAndAskToBindAgain) {
  struct Case {
    int code;
    bool tokenError;
  };
  for (Case c : {Case{21319, true}, Case{21325, true}, Case{21327, true}, Case{21332, true},
                 Case{21330, false}, Case{0, false}, Case{1, false}}) {
    SCOPED_TRACE(c.code);
    UIAlertView::removeAllVisibleAlerts();
    account->loggedIn = true;
    int before = account->logOuts;
    std::string reply =
        R"({"ResultBoolean":false,"ResultCode":)" + std::to_string(c.code) + R"(,"ResultMsg":"x"})";
    EXPECT_EQ(NSWeiBoNet::weiboBindProcess(reply), c.tokenError);
    EXPECT_EQ(account->logOuts - before, c.tokenError ? 1 : 0);
    EXPECT_EQ(alerts(), c.tokenError ? std::vector<std::string>{alert("AcoundTokenTime")}
                                     : std::vector<std::string>{});
  }
}

TEST_F(BindTest, APostRefusedForTheTokenAndTheBindRequestTypeAsk) {
  account->loggedIn = true;
  server.script("/Operates/StatusesUpdate.aspx",
                EndpointScript::replyWith(
                    R"({"ResultBoolean":false,"ResultCode":21327,"ResultMsg":"授权过期"})"));
  auto receiver = apitest::Receiver::make();
  auto post = ClientRequest::engine()->postQueue();
  post->setPostAction(receiver->action(), receiver);
  post->reQuestUrl("/Operates/StatusesUpdate.aspx",
                   apitest::params({{"keys", key}, {"std", "2.0"}, {"content", "x"}}));
  ASSERT_TRUE(waitFor([&] { return !receiver->replies.empty(); }));
  EXPECT_EQ(account->logOuts, 1);
  EXPECT_EQ(alerts(), std::vector<std::string>{alert("AcoundTokenTime")});

  UIAlertView::removeAllVisibleAlerts();
  postNotification(kGlobeRequest, Value(), RequestType::BindPrompt);
  EXPECT_EQ(alerts(), std::vector<std::string>{alert("AcoundTokenTime")});
}

}  // namespace

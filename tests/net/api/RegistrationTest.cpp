// Client registration, login, session re-open, push token, binding and the update check,
// against the local content server.
#include <gtest/gtest.h>

#include <ctime>

#include "CFNetwork/CFNetworkConfiguration.h"
#include "Foundation/NSBundle.h"
#include "Foundation/NSUserDefaults.h"
#include "UIKit/UIAlertView.h"
#include "UIKit/UIApplication.h"
#include "UIKit/UIDevice.h"
#include "core/NSConfig.h"
#include "core/NSGlobe.h"
#include "core/NSMsgSend.h"
#include "core/NSObject+notification.h"
#include "core/NotificationNames.h"
#include "model/ChannelItem.h"
#include "model/NSLoginDB.h"
#include "model/NSLoginData.h"
#include "net/api/ApiTestSupport.h"
#include "net/api/ClientPlatformAccount.h"
#include "net/api/ClientRequest.h"
#include "net/api/ServerResult.h"
#include "net/http/HXNetworkQueue.h"
#include "support/BusRecorder.h"

namespace {

using apitest::Receiver;
using zept::server::EndpointScript;
using zept::server::Pairs;

std::string localized(std::string_view key) {
  return NSBundle::mainBundle()->localizedStringForKey(key);
}

std::shared_ptr<NSUserDefaults> defaults() {
  return NSUserDefaults::standardUserDefaults();
}

std::string stored(std::string_view key) {
  auto v = defaults()->objectForKey(key);
  return v.isString() ? std::string(v.string()) : "(none)";
}

std::vector<std::string> keysOf(const Pairs& pairs) {
  std::vector<std::string> out;
  for (auto& [k, v] : pairs) out.push_back(k);
  return out;
}

std::string valueOf(const Pairs& pairs, std::string_view key) {
  for (auto& [k, v] : pairs) {
    if (k == key) return v;
  }
  return "(none)";
}

class FakeAccount : public ClientPlatformAccount {
 public:
  int logOuts = 0, logIns = 0;
  bool sso = false, ssoFirst = false;
  bool isLoggedIn() override { return false; }
  bool isAuthorizeExpired() override { return false; }
  bool isAccountTimeOut() override { return false; }
  void logIn() override { ++logIns; }
  void logOut() override { ++logOuts; }
  bool isBindBySso() override { return sso; }
  bool isSSOBindOkFirst() override { return ssoFirst; }
};

// Counts the notifications of one name.
class Observed {
 public:
  explicit Observed(std::string_view name) : receiver(Receiver::make()) {
    addObserverWithSelector(receiver, receiver->action(), name);
  }
  ~Observed() { removeObserver(receiver); }
  size_t count() const { return receiver->replies.size(); }
  std::shared_ptr<Receiver> receiver;
};

class RegistrationTest : public apitest::ServerClientTest {
 protected:
  void SetUp() override {
    ServerClientTest::SetUp();
    account = std::make_shared<FakeAccount>();
    ClientPlatformAccount::setCurrent(account);
    client = ClientRequest::create();
    savedHook = UIApplication::terminateHook;
    UIApplication::terminateHook = [this](int status) { exits.push_back(status); };
  }
  void TearDown() override {
    UIApplication::terminateHook = savedHook;
    ClientPlatformAccount::setCurrent(nullptr);
    UIAlertView::removeAllVisibleAlerts();
    UIDevice::resetProfile();
    ServerClientTest::TearDown();
  }

  void storeKey(const std::string& k) {
    defaults()->setObject(Value(k), "registerClientKey");
    defaults()->synchronize();
  }
  size_t count(std::string_view path) const { return server.requests(path).size(); }
  // Lets virtual time pass in small steps while real replies come in, until the predicate holds.
  bool stepUntil(const std::function<bool()>& done, double step = 0.25) {
    return waitFor([&] {
      if (done()) return true;
      advance(step);
      return done();
    });
  }

  std::shared_ptr<FakeAccount> account;
  std::shared_ptr<ClientRequest> client;
  std::function<void(int)> savedHook;
  std::vector<int> exits;
};

TEST_F(RegistrationTest, RegistrationPostsTheDeviceFormAndASuccessStoresTheKeyAndLogsIn) {
  UIDeviceProfile profile;
  profile.systemVersion = "7.0";
  profile.screenHeight = 568;
  profile.screenScale = 2;
  UIDevice::setProfile(profile);
  Observed registered(kRegisterClientCallBack), loggedIn(kLoginClientCallBack);

  client->registerClient();
  ASSERT_TRUE(waitFor([&] { return loggedIn.count() == 1; }));

  auto reg = server.requests("/Accounts/Register.aspx");
  ASSERT_EQ(reg.size(), 1u);
  EXPECT_EQ(reg[0].method, "POST");
  EXPECT_EQ(reg[0].header("User-Agent"), "ZeptMobileAgent_iphone");
  EXPECT_EQ(keysOf(reg[0].queryParams), (std::vector<std::string>{"std"}));
  EXPECT_EQ(keysOf(reg[0].formParams),
            (std::vector<std::string>{"imsi", "mfg", "ver", "imei", "model", "macaddress", "vid",
                                      "osver", "brand", "telco", "screensize", "timestamp"}));
  const Pairs& form = reg[0].formParams;
  EXPECT_EQ(valueOf(form, "imsi"), "9");
  EXPECT_EQ(valueOf(form, "mfg"), "QX001");
  EXPECT_EQ(valueOf(form, "ver"), "2.0.1");
  EXPECT_EQ(valueOf(form, "imei"), "000000");
  EXPECT_EQ(valueOf(form, "brand"), "Apple");
  EXPECT_EQ(valueOf(form, "osver"), "7.0");
  EXPECT_EQ(valueOf(form, "screensize"), "2 320*568");
  EXPECT_EQ(valueOf(form, "model"), NSGlobe::getDeviceName());
  EXPECT_EQ(valueOf(form, "macaddress"), NSGlobe::getMacAddress());
  EXPECT_EQ(valueOf(form, "vid"), profile.identifierForVendor);
  EXPECT_EQ(valueOf(form, "timestamp"), ClientRequest::getTimestamp());

  // The issued key is stored and used for the login that follows.
  auto clients = server.clients();
  ASSERT_EQ(clients.size(), 2u);  // the fixture's own client, then this one
  std::string issued = stored("registerClientKey");
  EXPECT_NE(issued, key);
  EXPECT_TRUE(server.client(issued).has_value());
  EXPECT_EQ(stored("register_key"), NSGlobe::getMacAddressOrIdentifier());
  EXPECT_EQ(registered.count(), 1u);
  EXPECT_EQ(account->logOuts, 1);
  auto login = server.requests("/Accounts/Login.aspx");
  ASSERT_EQ(login.size(), 1u);
  EXPECT_EQ(login[0].paramOr("keys"), issued);
  EXPECT_EQ(client->getRegisterClientKey(), issued);
}

TEST_F(RegistrationTest, AFailedRegistrationRetriesAfterOneSecond) {
  server.script(
      "/Accounts/Register.aspx",
      EndpointScript::replyWith(R"({"ResultBoolean":false,"ResultCode":1,"ResultMsg":"x"})")
          .forRequests(1));
  Observed registered(kRegisterClientCallBack);
  client->registerClient();
  ASSERT_TRUE(server.waitForRequests("/Accounts/Register.aspx", 1));
  // The failure is read, then nothing happens until a second has passed.
  ASSERT_TRUE(waitFor([&] { return client->queue()->operations().empty(); }));
  advance(0.9);
  EXPECT_EQ(count("/Accounts/Register.aspx"), 1u);
  advance(0.2);
  ASSERT_TRUE(waitFor([&] { return registered.count() == 1; }));
  EXPECT_EQ(count("/Accounts/Register.aspx"), 2u);
  EXPECT_EQ(client->requestTimes(), 2);
}

TEST_F(RegistrationTest, ASuccessWithoutAKeyCountsAsAFailure) {
  server.script(
      "/Accounts/Register.aspx",
      EndpointScript::replyWith(R"({"ResultBoolean":true,"ResultCode":0,"ResultMsg":""})"));
  Observed registered(kRegisterClientCallBack);
  client->registerClient();
  ASSERT_TRUE(stepUntil([&] { return count("/Accounts/Register.aspx") == 2; }));
  EXPECT_EQ(stored("registerClientKey"), "(none)");
  EXPECT_EQ(registered.count(), 0u);
  EXPECT_EQ(count("/Accounts/Login.aspx"), 0u);
}

TEST_F(RegistrationTest, ThirtyFailedAttemptsPromptAndCloseTheAppThreeSecondsLater) {
  server.script("/Accounts/Register.aspx", EndpointScript::failWith(500, "down"));
  client->registerClient();
  for (size_t n = 1; n <= 30; ++n)
    ASSERT_TRUE(stepUntil([&] { return count("/Accounts/Register.aspx") >= n; })) << n;
  const std::string prompt = "服务异常,请重新运行!";
  auto prompted = [&] { return StandInRecorder::shownPrompt() == prompt; };
  ASSERT_TRUE(stepUntil(prompted));
  // The prompt came within the last step; the close follows three seconds after it.
  EXPECT_TRUE(exits.empty());
  advance(2.0);
  EXPECT_TRUE(exits.empty());
  advance(1.5);
  EXPECT_EQ(exits, (std::vector<int>{0}));
  // Later attempts do nothing: no 31st request, no second prompt.
  EXPECT_EQ(StandInRecorder::shownPrompt(), "");
  client->registerClient();
  for (int step = 0; step < 50; ++step) {
    advance(0.1);
    EXPECT_EQ(StandInRecorder::shownPrompt(), "") << step;
  }
  MainLoop::pump();
  EXPECT_EQ(count("/Accounts/Register.aspx"), 30u);
  EXPECT_EQ(exits.size(), 1u);
}

class Closer : public UIApplicationDelegate, public ClientRequest::ApplicationCloser {
 public:
  int closes = 0;
  void startClose() override { ++closes; }
};

TEST_F(RegistrationTest, TheCloseGoesThroughTheApplicationDelegateWhenItOffersOne) {
  auto closer = std::make_shared<Closer>();
  UIApplication::sharedApplication()->setDelegate(closer);
  server.script("/Accounts/Register.aspx", EndpointScript::failWith(500, "down"));
  client->registerClient();
  ASSERT_TRUE(stepUntil([&] { return closer->closes == 1; }, 1.0));
  EXPECT_TRUE(exits.empty());
  EXPECT_EQ(count("/Accounts/Register.aspx"), 30u);
}

TEST_F(RegistrationTest, ARegistrationInFlightIsNotSentTwice) {
  server.script("/Accounts/Register.aspx", EndpointScript::delayed(std::chrono::milliseconds(300)));
  client->registerClient();
  // Operations that need a key meanwhile use the fallback key and start no second registration.
  EXPECT_EQ(client->getRegisterClientKey(), std::string(ClientRequest::kFallbackClientKey));
  client->registerClient();
  ASSERT_TRUE(waitFor([&] { return stored("registerClientKey") != "(none)"; }));
  EXPECT_EQ(count("/Accounts/Register.aspx"), 1u);
  EXPECT_EQ(client->requestTimes(), 1);
}

TEST_F(RegistrationTest, NeedRegisterFollowsTheStoredDeviceIdAndKey) {
  const std::string device = NSGlobe::getMacAddressOrIdentifier();
  struct Case {
    const char* name;
    Value registerKey;  // nil: none stored
    Value clientKey;
    float system;
    bool expected;
    std::string registerKeyAfter;
    bool accountError;
  };
  const std::string other = "0A1B2C3D4E5F60";
  std::vector<Case> cases = {
      {"first start records the id", Value(), Value("k"), 6.1f, false, device, false},
      {"empty id counts as none", Value(""), Value(), 6.1f, false, device, false},
      {"same id and a key", Value(device), Value("k"), 6.1f, false, device, false},
      {"same id without key", Value(device), Value(), 6.1f, true, device, false},
      {"same id, empty key", Value(device), Value(""), 6.1f, true, device, false},
      {"other id before system 7", Value(other), Value("k"), 6.1f, true, other, false},
      {"long other id on system 7", Value(other), Value("k"), 7.0f, false, other, false},
      {"short other id on system 7", Value("abc"), Value("k"), 7.0f, true, "abc", false},
      {"account error id on system 7", Value("020000000000"), Value("k"), 7.0f, true,
       "020000000000", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    defaults()->removeObjectForKey("register_key");
    defaults()->removeObjectForKey("registerClientKey");
    if (!c.registerKey.isNil()) defaults()->setObject(c.registerKey, "register_key");
    if (!c.clientKey.isNil()) defaults()->setObject(c.clientKey, "registerClientKey");
    NSConfig::engine()->setSystemVersion(c.system);
    NSConfig::engine()->setIsAppAcountError(false);
    EXPECT_EQ(client->needRegister(), c.expected);
    EXPECT_EQ(stored("register_key"), c.registerKeyAfter);
    EXPECT_EQ(NSConfig::engine()->isAppAcountError(), c.accountError);
  }
  EXPECT_EQ(count("/Accounts/Register.aspx"), 0u);
}

TEST_F(RegistrationTest, TimestampCountsSecondsSinceLocalMidnight) {
  // 2013-01-01 00:00:00 in the tests' time zone (UTC+8).
  const double midnight = 1356969600.0;
  struct Case {
    double offset;
    const char* expected;
  };
  for (Case c : {Case{123, "0000123"}, Case{0, "00000"}, Case{9999, "00009999"},
                 Case{10000, "10000"}, Case{36000, "36000"}, Case{86399, "86399"}}) {
    MainLoop::install(midnight + c.offset);
    EXPECT_EQ(ClientRequest::getTimestamp(), c.expected) << c.offset;
  }
}

TEST_F(RegistrationTest, WithoutAStoredKeyTheFallbackKeyIsUsedAndARegistrationStarts) {
  EXPECT_TRUE(client->isNullRegisterClientKey());
  EXPECT_EQ(client->getRegisterClientKey(), "K37QWP2M9XD4HB8N5");
  ASSERT_TRUE(server.waitForRequests("/Accounts/Register.aspx", 1));
  storeKey("");
  EXPECT_TRUE(client->isNullRegisterClientKey());
  // Without a key there is no login or session to open.
  client->loginClient();
  client->openClient();
  MainLoop::pump();
  EXPECT_EQ(count("/Accounts/Login.aspx"), 0u);
  EXPECT_EQ(count("/Accounts/Session.aspx"), 0u);
}

class LoginTest : public RegistrationTest {
 protected:
  void SetUp() override {
    RegistrationTest::SetUp();
    storeKey(key);
    channelLists = BusRecorder::observing({kNewChannelsAdded});
  }
  // The login record held now, with the channel-list stamp "others".
  void holdStamp(const std::string& stamp) {
    auto held = std::make_shared<NSLoginData>();
    held->mDic = makeDictionary({{"others", Value(stamp)}});
    NSConfig::engine()->setConfig(held);
  }
  std::string heldStamp() const {
    auto c = NSConfig::engine()->config();
    return c && c->mDic ? c->mDic->objectForKey("others").description() : "(none)";
  }

  // The channel lists that reached the catalogue.
  std::shared_ptr<BusRecorder> channelLists;
};

TEST_F(LoginTest, LoginSendsTheClientsDetailsAndStoresTheLoginData) {
  server.setChannelListStamp("stamp-1");
  server.setLoginSwitch("UseBehaviorSubmit", true);
  holdStamp("stamp-1");
  Observed loggedIn(kLoginClientCallBack);
  client->loginClient();
  ASSERT_TRUE(waitFor([&] { return loggedIn.count() == 1; }));

  auto login = server.requests("/Accounts/Login.aspx");
  ASSERT_EQ(login.size(), 1u);
  EXPECT_EQ(login[0].method, "GET");
  EXPECT_EQ(keysOf(login[0].queryParams),
            (std::vector<std::string>{"keys", "std", "conn", "ver", "model", "osver", "telco",
                                      "vid", "screensize"}));
  EXPECT_EQ(valueOf(login[0].queryParams, "keys"), key);
  EXPECT_EQ(valueOf(login[0].queryParams, "std"), "2.0");
  EXPECT_EQ(valueOf(login[0].queryParams, "screensize"), "2 320*480");
  // The same stamp: no channel list, the login itself is announced.
  EXPECT_EQ(count("/Channels/ChannelListV2.aspx"), 0u);
  auto config = NSConfig::engine()->config();
  ASSERT_TRUE(config);
  EXPECT_TRUE(config->useBehaviorSubmit);
  auto saved = NSLoginDB::getData();
  ASSERT_TRUE(saved);
  EXPECT_TRUE(saved->useBehaviorSubmit);
  // The next request of the client gets a minute.
  EXPECT_EQ(client->timeOutSec(), 60);
}

TEST_F(LoginTest, AChangedChannelListStampFetchesTheListBeforeTheLoginIsAnnounced) {
  server.setChannelListStamp("stamp-2");
  holdStamp("stamp-1");
  Observed loggedIn(kLoginClientCallBack), opened(kOpenClientCallBack);
  client->loginClient();
  ASSERT_TRUE(waitFor([&] { return loggedIn.count() == 1; }));
  auto lists = server.requests("/Channels/ChannelListV2.aspx");
  ASSERT_EQ(lists.size(), 1u);
  EXPECT_EQ(keysOf(lists[0].queryParams), (std::vector<std::string>{"keys", "std", "is2x"}));
  ASSERT_EQ(channelLists->count(kNewChannelsAdded), 1);
  EXPECT_TRUE(ChannelItem::getChannelItemByChannelId(101)) << "the server's list is stored";
  EXPECT_EQ(heldStamp(), "stamp-2");
  EXPECT_EQ(opened.count(), 0u);  // no session is open on a cold start
  MainLoop::pump();
  EXPECT_EQ(loggedIn.count(), 1u);
}

TEST_F(LoginTest, WithoutAHeldStampTheListIsNotFetched) {
  server.setChannelListStamp("stamp-2");
  NSConfig::engine()->setConfig(std::make_shared<NSLoginData>());
  Observed loggedIn(kLoginClientCallBack);
  client->loginClient();
  ASSERT_TRUE(waitFor([&] { return loggedIn.count() == 1; }));
  EXPECT_EQ(count("/Channels/ChannelListV2.aspx"), 0u);
  EXPECT_EQ(heldStamp(), "stamp-2");
}

TEST_F(LoginTest, AFailedLoginStillAnnouncesItsEnd) {
  // An error status from the server.
  server.script("/Accounts/Login.aspx", EndpointScript::failWith(500, "oops").forRequests(1));
  Observed loggedIn(kLoginClientCallBack);
  client->loginClient();
  ASSERT_TRUE(waitFor([&] { return loggedIn.count() == 1; }));
  EXPECT_EQ(count("/Accounts/Login.aspx"), 1u);
  // No server at all: the end is announced once, for the login and for the session alike.
  NSConfig::engine()->setAccountServerURL(apitest::closedBaseURL());
  Observed opened(kOpenClientCallBack);
  client->loginClient();
  client->openClient();
  EXPECT_TRUE(waitFor([&] { return loggedIn.count() >= 2 && opened.count() >= 1; }));
  waitFor([] { return false; }, 0.2);
  EXPECT_EQ(loggedIn.count(), 2u);
  EXPECT_EQ(opened.count(), 1u);
  EXPECT_FALSE(NSConfig::engine()->config() && NSConfig::engine()->config()->isSession);
  EXPECT_EQ(count("/Accounts/Login.aspx"), 1u);
}

TEST_F(LoginTest, AFailedLoginOrSessionKeepsTheHeldSwitchesAndSchedulesNothing) {
  // Each way a login or session re-open fails, with the server back afterwards: nothing but the
  // single announcement follows, neither the longer timeout nor the push token 10 s later.
  struct Case {
    const char* name;
    std::function<void()> breakIt;
  };
  const std::vector<Case> cases = {
      {"no server", [] { NSConfig::engine()->setAccountServerURL(apitest::closedBaseURL()); }},
      {"the server refuses the request",
       [this] {
         for (const char* path : {"/Accounts/Login.aspx", "/Accounts/Session.aspx"})
           server.script(path, EndpointScript::replyWith("{\"ResultCode\":\"1\",\"ResultBoolean\":"
                                                         "\"NO\",\"ResultMsg\":\"服务器忙\"}")
                                   .forRequests(1));
       }},
      {"the server no longer knows the key, session", [this] { storeKey("UNKNOWNKEY0000000"); }},
      {"the server answers with an error page",
       [this] {
         for (const char* path : {"/Accounts/Login.aspx", "/Accounts/Session.aspx"})
           server.script(path, EndpointScript::failWith(500, "<html>busy</html>").forRequests(1));
       }},
  };
  defaults()->setObject(Value("device-token-1"), "token_key_temp");
  for (bool session : {false, true}) {
    for (const Case& c : cases) {
      // A login for an unknown key registers anew (tested on its own).
      if (!session && std::string(c.name).ends_with("session")) continue;
      SCOPED_TRACE(std::string(c.name) + (session ? ", session" : ", login"));
      holdStamp("stamp-1");
      auto held = NSConfig::engine()->config();
      held->isGrayUser = true;
      Observed loggedIn(kLoginClientCallBack), opened(kOpenClientCallBack);
      Observed& announced = session ? opened : loggedIn;
      c.breakIt();
      session ? client->openClient() : client->loginClient();
      ASSERT_TRUE(waitFor([&] { return announced.count() == 1; }));
      EXPECT_EQ(client->timeOutSec(), ClientRequest::kDefaultTimeOutSec);
      EXPECT_EQ(NSConfig::engine()->config(), held);
      EXPECT_TRUE(held->isGrayUser);
      EXPECT_FALSE(held->isSession);

      pointConfigurationAt(server.baseURL());
      storeKey(key);
      size_t pushes = count("/Accounts/EnablePush.aspx");
      advance(11);
      waitFor([] { return false; }, 0.2);
      EXPECT_EQ(count("/Accounts/EnablePush.aspx"), pushes);
      EXPECT_EQ(loggedIn.count() + opened.count(), 1u);
    }
  }
}

TEST_F(LoginTest, ALoginRefusedForAnUnknownKeyRegistersAnewAndLogsInWithTheNewKey) {
  storeKey("UNKNOWNKEY0000000");
  Observed registered(kRegisterClientCallBack), loggedIn(kLoginClientCallBack);
  client->loginClient();
  ASSERT_TRUE(waitFor([&] { return loggedIn.count() == 1; }));
  std::string issued = defaults()->stringForKey("registerClientKey").value_or("");
  EXPECT_NE(issued, "UNKNOWNKEY0000000");
  EXPECT_TRUE(server.client(issued).has_value());
  EXPECT_EQ(registered.count(), 1u);
  EXPECT_EQ(count("/Accounts/Register.aspx"), 1u);
  auto logins = server.requests("/Accounts/Login.aspx");
  ASSERT_EQ(logins.size(), 2u);
  EXPECT_EQ(logins[1].param("keys"), issued);
  // Announced once, after the login the server granted.
  EXPECT_TRUE(client->loginGranted());
  waitFor([] { return false; }, 0.2);
  EXPECT_EQ(loggedIn.count(), 1u);
}

TEST_F(LoginTest, TheLoginReplyLeadsToThePushTokenTenSecondsLater) {
  defaults()->setObject(Value("device-token-1"), "token_key_temp");
  Observed loggedIn(kLoginClientCallBack);
  client->loginClient();
  ASSERT_TRUE(waitFor([&] { return loggedIn.count() == 1; }));
  advance(9.5);
  EXPECT_EQ(count("/Accounts/EnablePush.aspx"), 0u);
  advance(0.6);
  ASSERT_TRUE(waitFor([&] { return stored("token_key") == "device-token-1"; }));
  auto push = server.requests("/Accounts/EnablePush.aspx");
  ASSERT_EQ(push.size(), 1u);
  EXPECT_EQ(push[0].method, "POST");
  EXPECT_EQ(valueOf(push[0].formParams, "token"), "device-token-1");
  EXPECT_EQ(server.client(key)->pushToken, "device-token-1");
  // An accepted token is not sent again.
  client->startToRegisterToken();
  advance(61);
  MainLoop::pump();
  EXPECT_EQ(count("/Accounts/EnablePush.aspx"), 1u);
}

TEST_F(LoginTest, WithoutATokenTheRegistrationIsTriedOnceMoreAMinuteLater) {
  client->startToRegisterToken();
  defaults()->setObject(Value("late-token"), "token_key_temp");
  advance(59);
  EXPECT_EQ(count("/Accounts/EnablePush.aspx"), 0u);
  advance(1.5);
  ASSERT_TRUE(waitFor([&] { return stored("token_key") == "late-token"; }));
  advance(120);
  EXPECT_EQ(count("/Accounts/EnablePush.aspx"), 1u);
}

TEST_F(LoginTest, ReopeningTheSessionMarksTheLoginDataAndAnnouncesIt) {
  server.setChannelListStamp("stamp-1");
  holdStamp("stamp-1");
  NSConfig::engine()->config()->isShowAdOk = true;
  Observed opened(kOpenClientCallBack), loggedIn(kLoginClientCallBack);
  client->openClient();
  ASSERT_TRUE(waitFor([&] { return opened.count() == 1; }));
  auto session = server.requests("/Accounts/Session.aspx");
  ASSERT_EQ(session.size(), 1u);
  EXPECT_EQ(keysOf(session[0].queryParams),
            (std::vector<std::string>{"keys", "std", "conn", "ver", "model", "osver", "telco",
                                      "screensize"}));
  EXPECT_EQ(server.client(key)->sessions, 1);
  auto config = NSConfig::engine()->config();
  EXPECT_TRUE(config->isSession);
  EXPECT_FALSE(config->isShowAdOk);
  EXPECT_EQ(loggedIn.count(), 0u);
  EXPECT_EQ(count("/Channels/ChannelListV2.aspx"), 0u);
}

TEST_F(LoginTest, ReopeningWithAChangedStampAnnouncesBothAfterTheChannelList) {
  server.setChannelListStamp("stamp-9");
  holdStamp("stamp-1");
  Observed opened(kOpenClientCallBack), loggedIn(kLoginClientCallBack);
  client->openClient();
  ASSERT_TRUE(waitFor([&] { return opened.count() == 1 && loggedIn.count() == 1; }));
  EXPECT_EQ(count("/Channels/ChannelListV2.aspx"), 1u);
  EXPECT_EQ(channelLists->count(kNewChannelsAdded), 1);
  MainLoop::pump();
  EXPECT_EQ(opened.count(), 1u);
}

TEST_F(LoginTest, AFailedChannelListStillLetsStartUpGoOn) {
  server.setChannelListStamp("stamp-2");
  holdStamp("stamp-1");
  server.script("/Channels/ChannelListV2.aspx", EndpointScript::failWith(503));
  Observed loggedIn(kLoginClientCallBack);
  client->loginClient();
  ASSERT_TRUE(waitFor([&] { return loggedIn.count() == 1; }));
  EXPECT_EQ(channelLists->count(kNewChannelsAdded), 0);
}

TEST_F(LoginTest, BindingPostsTheAccountAndResumesTheWaitingEvent) {
  Observed bound(kBindAccountOk);
  auto requests = Receiver::make();
  addObserverWithSelector(requests, requests->action(), kGlobeRequest);
  auto usage = Receiver::make();
  addObserverWithSelector(usage, usage->action(), kLogAction);
  client->setEventType(130);
  client->bindAccountWithUId("2001", "secret-token");
  EXPECT_EQ(client->timeOutSec(), 60);
  ASSERT_TRUE(waitFor([&] { return bound.count() == 1; }));

  auto bind = server.requests("/Accounts/Bind.aspx");
  ASSERT_EQ(bind.size(), 1u);
  EXPECT_EQ(bind[0].method, "POST");
  // The token travels in the form, not in the URL.
  EXPECT_EQ(bind[0].query.find("secret-token"), std::string::npos);
  EXPECT_EQ(valueOf(bind[0].formParams, "uid"), "2001");
  EXPECT_EQ(valueOf(bind[0].formParams, "token"), "secret-token");
  EXPECT_EQ(server.client(key)->boundUid, "2001");
  EXPECT_EQ(stored("AttendUserIdKey"), "");
  auto resumed = NSMsgSend::fromNotification(bound.receiver->replies[0]);
  ASSERT_TRUE(resumed);
  EXPECT_EQ(resumed->type, 130);
  ASSERT_EQ(requests->replies.size(), 1u);
  EXPECT_EQ(NSMsgSend::fromNotification(requests->replies[0])->requestType(),
            RequestType::FollowServiceAccountIfAsked);
  ASSERT_EQ(usage->replies.size(), 1u);
  EXPECT_EQ(NSMsgSend::fromNotification(usage->replies[0])->type, 11);
  removeObserver(requests);
  removeObserver(usage);
}

TEST_F(LoginTest, ABindingWithNothingWaitingPostsNoResumeAndAFirstSsoBindAsksToFollow) {
  account->ssoFirst = true;
  Observed bound(kBindAccountOk);
  auto requests = Receiver::make();
  addObserverWithSelector(requests, requests->action(), kGlobeRequest);
  client->setEventType(128);
  client->bindAccountWithUId("2001", "t");
  ASSERT_TRUE(waitFor([&] { return !UIAlertView::visibleAlerts().empty(); }));
  EXPECT_EQ(bound.count(), 0u);
  auto alert = UIAlertView::visibleAlerts().back();
  EXPECT_EQ(alert->title(), "温馨提示");
  EXPECT_EQ(alert->message(), "是否关注" + localized("OfficeSourceSubject"));
  EXPECT_EQ(alert->tag(), 102);
  ASSERT_TRUE(alert->tapButtonAtIndex(alert->firstOtherButtonIndex()));
  ASSERT_EQ(requests->replies.size(), 2u);
  EXPECT_EQ(NSMsgSend::fromNotification(requests->replies[1])->requestType(),
            RequestType::FollowServiceAccount);
  removeObserver(requests);
}

TEST_F(LoginTest, AFailedBindingLogsOutAndRestartsThePlatformLogin) {
  server.script(
      "/Accounts/Bind.aspx",
      EndpointScript::replyWith(R"({"ResultBoolean":false,"ResultCode":1,"ResultMsg":"no"})"));
  client->bindAccountWithUId("2001", "t");
  ASSERT_TRUE(waitFor([&] { return account->logOuts == 1; }));
  EXPECT_EQ(StandInRecorder::shownPrompt(), "绑定失败!");
  EXPECT_EQ(account->logIns, 0);
  advance(1.1);
  EXPECT_EQ(account->logIns, 1);
  // Bound through the platform's app: no new login.
  account->sso = true;
  client->bindAccountWithUId("2001", "t");
  ASSERT_TRUE(waitFor([&] { return account->logOuts == 2; }));
  advance(2);
  EXPECT_EQ(account->logIns, 1);
}

TEST_F(LoginTest, TheUpdateCheckComparesVersionsComponentByComponent) {
  CFNetworkMapHost("apps.zept.example", 80, "127.0.0.1", server.port());
  struct Case {
    const char* store;
    bool newer;
  };
  // The installed version is 2.0.1.
  for (Case c : {Case{"2.0.2", true}, Case{"10.0", true}, Case{"2.1", true}, Case{"2.0.1", false},
                 Case{"2.0", false}, Case{"1.9.9", false}}) {
    SCOPED_TRACE(c.store);
    UIAlertView::removeAllVisibleAlerts();
    server.setAppStoreVersion(c.store);
    client->setupCheckForUpdate();
    ASSERT_TRUE(waitFor([&] { return !UIAlertView::visibleAlerts().empty(); }));
    auto alert = UIAlertView::visibleAlerts().back();
    EXPECT_EQ(alert->title(), localized("VersionUpdate"));
    EXPECT_EQ(alert->message(), localized(c.newer ? "NewVersion" : "NoNewVersion"));
    EXPECT_EQ(alert->tag(), c.newer ? 100 : 0);
  }
  auto lookups = server.requests("/lookup");
  ASSERT_FALSE(lookups.empty());
  EXPECT_EQ(lookups[0].paramOr("id"), localized("AppStoreAppId"));
  CFNetworkRemoveHostMappings();
}

}  // namespace

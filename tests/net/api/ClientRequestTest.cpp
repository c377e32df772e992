#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

#include "Foundation/NSBundle.h"
#include "Foundation/NSFileManager.h"
#include "Foundation/NSHTTPURLResponse.h"
#include "Foundation/NSNotificationCenter.h"
#include "Foundation/NSString.h"
#include "Foundation/NSURL.h"
#include "UIKit/UIAlertView.h"
#include "core/NSGlobe.h"
#include "core/UIFilePath.h"
#include "net/api/ApiTestSupport.h"
#include "net/api/ClientDownload.h"
#include "net/api/ClientPlatformAccount.h"
#include "net/api/ClientPostRequest.h"
#include "net/api/ClientRequest.h"
#include "net/api/ServerResult.h"
#include "net/http/HXHTTPRequest.h"
#include "net/http/HXNetworkQueue.h"

namespace {

using apitest::params;
using apitest::Receiver;
using zept::server::EndpointScript;

std::string localized(std::string_view key) {
  return NSBundle::mainBundle()->localizedStringForKey(key);
}

class ClientRequestTest : public apitest::ServerClientTest {
 protected:
  void SetUp() override {
    ServerClientTest::SetUp();
    client = ClientRequest::create();
    receiver = Receiver::make();
    client->setAction(receiver->action(), receiver);
  }
  void TearDown() override {
    ClientPlatformAccount::setCurrent(nullptr);
    UIAlertView::removeAllVisibleAlerts();
    ServerClientTest::TearDown();
  }

  ValueDictionary channelParams() {
    return params(
        {{"keys", key}, {"std", "2.0"}, {"page", "1"}, {"max_id", "0"}, {"channel_id", "2"}});
  }
  // Done: something was delivered, or the client dropped its request without a word.
  bool settled() const { return !receiver->replies.empty() || !client->request(); }

  std::shared_ptr<ClientRequest> client;
  std::shared_ptr<Receiver> receiver;
};

// A receiver whose registered action is missing takes replies through the fallback.
class Loader : public NSObject, public ClientReplyReceiver {
 public:
  std::vector<Value> texts;
  void URLConnectionDidFinishLoading(const Value& text) override { texts.push_back(text); }
};

// The platform account as the dispatcher will report it.
class FakeAccount : public ClientPlatformAccount {
 public:
  bool loggedIn = false, expired = false, timedOut = false;
  int logIns = 0;
  bool isLoggedIn() override { return loggedIn; }
  bool isAuthorizeExpired() override { return expired; }
  bool isAccountTimeOut() override { return timedOut; }
  void logIn() override { ++logIns; }
};

TEST_F(ClientRequestTest, CachedGetCarriesAgentAndTimeoutAndLandsInTheUrlsCacheFile) {
  ASSERT_TRUE(std::all_of(key.begin(), key.end(), [](char c) { return std::isalnum(c); }));
  client->setNeedDownload(true);
  client->reQuestUrl("/Channels/Channel.aspx", channelParams());
  std::string url = server.baseURL() + "/Channels/Channel.aspx?keys=" + key +
                    "&std=2.0&page=1&max_id=0&channel_id=2";
  ASSERT_NE(client->request(), nullptr);
  EXPECT_EQ(client->request()->url()->absoluteString(), url);
  EXPECT_EQ(client->request()->timeOutSeconds(), 15);
  // The busy overlay covers the request.
  EXPECT_EQ(StandInRecorder::shownBusyBox(), "正在加载...");
  ASSERT_TRUE(waitFor([&] { return settled(); }));

  auto seen = server.requests("/Channels/Channel.aspx");
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].method, "GET");
  EXPECT_EQ(seen[0].header("User-Agent"), "ZeptMobileAgent_iphone");

  auto cacheFile = UIFilePath::getFilePath(url);
  ASSERT_TRUE(cacheFile);
  EXPECT_EQ(client->request()->downloadDestinationPath(), *cacheFile);
  auto stored = dataWithContentsOfFile(*cacheFile);
  ASSERT_TRUE(stored);
  ASSERT_EQ(receiver->replies.size(), 1u);
  EXPECT_EQ(receiver->replies[0], Value(*stored));
  EXPECT_TRUE(ServerResult::resultWithJSONString(*stored)->resultSuccess);
  EXPECT_EQ(client->statusCode(), 200);
  EXPECT_FALSE(client->hasError());
  EXPECT_EQ(StandInRecorder::shownBusyBox(), "");
  EXPECT_EQ(StandInRecorder::shownPrompt(), "");
}

TEST_F(ClientRequestTest, NoBusyOverlayWhenTheSendAsksForNone) {
  client->setNoNeedPromptLoad(true);
  client->reQuestUrl("/Channels/Channel.aspx", channelParams());
  EXPECT_EQ(StandInRecorder::shownBusyBox(), "");
  ASSERT_TRUE(waitFor([&] { return settled(); }));
  EXPECT_EQ(StandInRecorder::shownBusyBox(), "");
}

TEST_F(ClientRequestTest, CachedReplyInGB18030ReachesTheActionAsText) {
  const std::string text =
      R"({"ResultBoolean":true,"ResultCode":0,"ResultMsg":"钢材价格上涨三成"})";
  auto gb = dataUsingEncoding(text, NSGB18030StringEncoding);
  ASSERT_TRUE(gb);
  ASSERT_NE(*gb, text);
  // Legacy hosts label such replies as UTF-8, as GBK, or not at all.
  for (const char* contentType :
       {"application/json; charset=utf-8", "text/plain", "text/html; charset=gbk"}) {
    SCOPED_TRACE(contentType);
    server.clearScripts();
    server.script("/Channels/Channel.aspx", EndpointScript::replyWith(*gb, 200, contentType));
    receiver->replies.clear();
    client->setAction(receiver->action(), receiver);
    client->setNeedDownload(true);
    client->reQuestUrl("/Channels/Channel.aspx", channelParams());
    ASSERT_TRUE(waitFor([&] { return !receiver->replies.empty(); }));
    EXPECT_EQ(receiver->replies[0], Value(text));
  }
}

TEST_F(ClientRequestTest, DeliveryByStatus) {
  struct Case {
    int status;
    bool stringAction;  // registered with setStringAction instead of setAction
    std::string delivered;
    bool hasError;
    bool requestKept;
  };
  const std::string body = R"({"ResultBoolean":false,"ResultCode":7,"ResultMsg":"x"})";
  const std::string serverError = NSHTTPURLResponse::localizedStringForStatusCode(500);
  const Case cases[] = {
      {200, false, body, false, true},
      {400, false, body, false, true},
      {403, false, body, true, true},
      {40302, false, body, true, true},
      {500, false, body, true, false},
      {500, true, serverError, true, false},
      {404, true, NSHTTPURLResponse::localizedStringForStatusCode(404), true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.status << (c.stringAction ? " string action" : ""));
    auto fresh = ClientRequest::create();
    client = fresh;
    receiver = Receiver::make();
    if (c.stringAction)
      client->setStringAction(receiver->action(), receiver);
    else
      client->setAction(receiver->action(), receiver);
    server.clearScripts();
    server.script("/Status.aspx", EndpointScript::failWith(c.status, body));
    client->reQuestUrl("/Status.aspx", params({{"keys", key}, {"std", "2.0"}}));
    ASSERT_TRUE(waitFor([&] { return settled(); }));
    EXPECT_EQ(receiver->texts(), std::vector<std::string>{c.delivered});
    EXPECT_EQ(client->statusCode(), c.status);
    EXPECT_EQ(client->hasError(), c.hasError);
    EXPECT_EQ(client->request() != nullptr, c.requestKept);
    // A dropped request takes the registration with it.
    EXPECT_EQ(client->delegate() != nullptr, c.requestKept);
  }
}

// The content server refuses a client over its request limit with status 40302: the refusal
// reaches the receiver as the server wrote it, marked as an error, single and queued alike.
TEST_F(ClientRequestTest, AnOverTheLimitReplyReachesTheReceiverAsAnError) {
  server.script("/Channels/Channel.aspx", EndpointScript::overLimit());
  client->reQuestUrl("/Channels/Channel.aspx", channelParams());
  ASSERT_TRUE(waitFor([&] { return settled(); }));
  ASSERT_EQ(receiver->replies.size(), 1u);
  auto refusal = ServerResult::resultWithJSONString(receiver->replies[0].string());
  EXPECT_FALSE(refusal->resultSuccess);
  EXPECT_EQ(refusal->resultCode, 40302);
  EXPECT_EQ(refusal->resultMsg, Value(EndpointScript::kOverLimitMessage));
  EXPECT_EQ(client->statusCode(), 40302);
  EXPECT_TRUE(client->hasError());
  EXPECT_NE(client->request(), nullptr);  // kept until the next send, as after a 200
  EXPECT_EQ(StandInRecorder::shownPrompt(), "");

  auto queued = Receiver::make();
  auto fresh = ClientRequest::create();
  fresh->reQueueUrl("/Channels/Channel.aspx", channelParams(), queued, queued->action(), 2, false);
  ASSERT_TRUE(waitFor([&] { return !queued->replies.empty(); }));
  EXPECT_EQ(queued->replies, receiver->replies);
  EXPECT_EQ(fresh->statusCode(), 40302);
  EXPECT_TRUE(fresh->hasError());
  EXPECT_EQ(server.requests("/Channels/Channel.aspx").size(), 2u);
}

// The engine fails a 401 that no credentials can answer: the client treats it as a failure.
TEST_F(ClientRequestTest, UnauthorisedReplyEndsAsAFailure) {
  server.script("/Status.aspx", EndpointScript::failWith(401, "{}"));
  client->reQuestUrl("/Status.aspx", nullptr);
  ASSERT_TRUE(waitFor([&] { return !receiver->replies.empty(); }));
  EXPECT_EQ(receiver->texts(), std::vector<std::string>{ServerResult::getErrorJsonString()});
  EXPECT_EQ(client->statusCode(), 401);
  EXPECT_TRUE(client->hasError());
  EXPECT_EQ(client->delegate(), nullptr);
}

TEST_F(ClientRequestTest, NotModifiedGoesToTheStringActionAndFallbackTakesWhatNoActionDoes) {
  client->setStringAction(receiver->action(), receiver);
  server.script("/Status.aspx", EndpointScript::failWith(304));
  client->reQuestUrl("/Status.aspx", nullptr);
  ASSERT_TRUE(waitFor([&] { return settled(); }));
  EXPECT_EQ(receiver->replies.size(), 1u);
  EXPECT_EQ(client->request(), nullptr);

  // Registered with no action at all: the fallback receiver gets the body.
  auto loader = std::make_shared<Loader>();
  client->setAction(Selector(), loader);
  server.clearScripts();
  client->reQuestUrl("/Channels/Channel.aspx", channelParams());
  ASSERT_TRUE(waitFor([&] { return !loader->texts.empty(); }));
  EXPECT_TRUE(ServerResult::resultWithJSONString(loader->texts[0].string())->resultSuccess);
}

TEST_F(ClientRequestTest, ASecondSingleSendCancelsTheFirst) {
  server.script("/Slow.aspx", EndpointScript::goSilent());
  auto first = Receiver::make();
  client->setAction(first->action(), first);
  client->reQuestUrl("/Slow.aspx", nullptr);
  ASSERT_TRUE(server.waitForRequests("/Slow.aspx", 1));

  client->setAction(receiver->action(), receiver);
  client->reQuestUrl("/Channels/Channel.aspx", channelParams());
  ASSERT_TRUE(waitFor([&] { return !receiver->replies.empty(); }));
  MainLoop::pump();
  EXPECT_TRUE(first->replies.empty());
  ASSERT_EQ(receiver->replies.size(), 1u);
  EXPECT_TRUE(ServerResult::resultWithJSONString(receiver->replies[0].string())->resultSuccess);
  EXPECT_EQ(StandInRecorder::shownPrompt(), "");
}

TEST_F(ClientRequestTest, PostsCarryKeysAndStdInTheQueryAndTheRestInTheForm) {
  NSConfig::engine()->setPostServerURL(server.baseURL() + "/posthost");
  struct Case {
    int methodType, serverType;
    std::string path;
  };
  for (const Case& c :
       {Case{1, 0, "/Channels/Channel.aspx"}, Case{0, 1, "/posthost/Channels/Channel.aspx"}}) {
    SCOPED_TRACE(c.path);
    server.clearRequests();
    receiver->replies.clear();
    client->setAction(receiver->action(), receiver);
    client->setMethodType(c.methodType);
    client->setServerType(c.serverType);
    client->reQuestUrl("/Channels/Channel.aspx",
                       params({{"keys", key}, {"std", "2.0"}, {"page", "2"}, {"text", "a b&c"}}));
    client->setMethodType(0);
    client->setServerType(0);
    ASSERT_TRUE(waitFor([&] { return settled(); }));
    auto seen = server.requests(c.path);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].method, "POST");
    EXPECT_EQ(seen[0].query, "keys=" + key + "&std=2.0");
    EXPECT_EQ(seen[0].formParams, (zept::server::Pairs{{"page", "2"}, {"text", "a b&c"}}));
    EXPECT_EQ(seen[0].header("User-Agent"), "ZeptMobileAgent_iphone");
  }
}

TEST_F(ClientRequestTest, RefusedConnectionDeliversTheFailureReplyAndPrompts) {
  struct Case {
    bool online;
    const char* prompt;
  };
  for (const Case& c : {Case{true, "RequestError"}, Case{false, "NetworkError"}}) {
    SCOPED_TRACE(c.prompt);
    c.online ? apitest::forceOnline() : apitest::forceOffline();
    pointConfigurationAt(apitest::closedBaseURL());
    StandInRecorder::dismissPrompt();
    receiver->replies.clear();
    client->setAction(receiver->action(), receiver);
    client->reQuestUrl("/Channels/Channel.aspx", channelParams());
    ASSERT_TRUE(waitFor([&] { return !receiver->replies.empty(); }));
    MainLoop::pump();
    EXPECT_EQ(receiver->texts(), std::vector<std::string>{ServerResult::getErrorJsonString()});
    EXPECT_EQ(StandInRecorder::shownPrompt(), localized(c.prompt));
    EXPECT_TRUE(client->hasError());
    EXPECT_EQ(client->delegate(), nullptr);
  }
}

TEST_F(ClientRequestTest, AfterAQueuedSendTheNextOnlineFailureShowsNoPrompt) {
  auto queued = Receiver::make();
  client->reQueueUrl("/Channels/Channel.aspx", channelParams(), queued, queued->action(), 2, false);
  ASSERT_TRUE(waitFor([&] { return !queued->replies.empty(); }));
  EXPECT_TRUE(client->needPromptSelf());

  pointConfigurationAt(apitest::closedBaseURL());
  client->reQuestUrl("/Channels/Channel.aspx", channelParams());
  ASSERT_TRUE(waitFor([&] { return !receiver->replies.empty(); }));
  EXPECT_EQ(receiver->texts(), std::vector<std::string>{ServerResult::getErrorJsonString()});
  EXPECT_EQ(StandInRecorder::shownPrompt(), "");
  EXPECT_FALSE(client->needPromptSelf());

  receiver->replies.clear();
  client->reQuestUrl("/Channels/Channel.aspx", channelParams());
  ASSERT_TRUE(waitFor([&] { return !receiver->replies.empty(); }));
  EXPECT_EQ(StandInRecorder::shownPrompt(), localized("RequestError"));
}

TEST_F(ClientRequestTest, QueuedSendsRunSideBySideEachToItsOwnReceiver) {
  server.script(
      "/Slow.aspx",
      EndpointScript::replyWith(R"({"ResultBoolean":true})").after(std::chrono::milliseconds(200)));
  auto slow = Receiver::make();
  auto fast = Receiver::make();
  client->reQueueUrl("/Slow.aspx", params({{"keys", key}, {"std", "2.0"}}), slow, slow->action(), 3,
                     true);
  client->setMethodType(1);
  client->reQueueUrl("/Channels/Channel.aspx", channelParams(), fast, fast->action(), 4, false);
  client->setMethodType(0);
  EXPECT_EQ(client->queue()->requestsCount(), 2);
  ASSERT_TRUE(waitFor([&] { return !slow->replies.empty() && !fast->replies.empty(); }));
  EXPECT_EQ(slow->texts(), std::vector<std::string>{R"({"ResultBoolean":true})"});
  ASSERT_EQ(fast->replies.size(), 1u);
  EXPECT_TRUE(ServerResult::resultWithJSONString(fast->replies[0].string())->resultSuccess);
  // Neither touched the single route's receiver.
  EXPECT_TRUE(receiver->replies.empty());

  auto post = server.requests("/Channels/Channel.aspx");
  ASSERT_EQ(post.size(), 1u);
  EXPECT_EQ(post[0].method, "POST");
  EXPECT_EQ(post[0].query, "keys=" + key + "&std=2.0");
  EXPECT_EQ(post[0].header("User-Agent"), "ZeptMobileAgent_iphone");
}

TEST_F(ClientRequestTest, QueuedFailuresReachTheirReceiverAndLetStartUpGoOn) {
  std::vector<std::string> posted;
  auto token = std::make_shared<int>(0);
  for (std::string_view name : {"loginClientCallBack", "openClientCallBack"}) {
    NSNotificationCenter::defaultCenter()->addObserver(
        token, [&posted, name](const NSNotificationPtr&) { posted.emplace_back(name); }, name);
  }
  pointConfigurationAt(apitest::closedBaseURL());
  auto login = Receiver::make();
  auto open = Receiver::make();
  client->reQueueUrl("/Accounts/Login.aspx", nullptr, login, login->action(), 8, false);
  client->reQueueUrl("/Accounts/Session.aspx", nullptr, open, open->action(), 9, false);
  ASSERT_TRUE(waitFor([&] { return posted.size() == 2; }));
  std::sort(posted.begin(), posted.end());
  EXPECT_EQ(posted, (std::vector<std::string>{"loginClientCallBack", "openClientCallBack"}));
  EXPECT_EQ(login->texts(), std::vector<std::string>{ServerResult::getErrorJsonString()});
  EXPECT_EQ(open->texts(), std::vector<std::string>{ServerResult::getErrorJsonString()});
  NSNotificationCenter::defaultCenter()->removeObserver(token);
}

TEST_F(ClientRequestTest, QueuedRequestsAreCancelledByTag) {
  server.script("/Slow.aspx", EndpointScript::goSilent());
  auto four = Receiver::make();
  auto five = Receiver::make();
  auto untagged = Receiver::make();
  client->reQueueUrl("/Slow.aspx", nullptr, four, four->action(), 4, false);
  client->reQueueUrl("/Slow.aspx", nullptr, five, five->action(), 5, false);
  ASSERT_TRUE(server.waitForRequests("/Slow.aspx", 2));
  client->reQueueUrl("/Channels/Channel.aspx", channelParams(), untagged, untagged->action(), 0,
                     false);

  client->removeQueueActionByTag(4);
  client->cacelAll();
  ASSERT_TRUE(waitFor([&] { return !untagged->replies.empty(); }));
  ASSERT_TRUE(waitFor([&] { return client->queue()->operations().empty(); }));
  MainLoop::pump();
  EXPECT_TRUE(four->replies.empty());
  EXPECT_TRUE(five->replies.empty());
  // The untagged one was left running and answered.
  EXPECT_EQ(untagged->replies.size(), 1u);
  EXPECT_EQ(StandInRecorder::shownPrompt(), "");
}

TEST_F(ClientRequestTest, SendNeedingAnAccountWaitsForTheBinding) {
  auto account = std::make_shared<FakeAccount>();
  ClientPlatformAccount::setCurrent(account);
  client->setNeedAuthorize(true);
  client->reQuestUrl("/Channels/Channel.aspx", channelParams());
  EXPECT_FALSE(client->needAuthorize());
  MainLoop::pump();
  EXPECT_EQ(server.requests().size(), 0u);
  EXPECT_EQ(StandInRecorder::shownBusyBox(), "");

  auto alerts = UIAlertView::visibleAlerts();
  ASSERT_EQ(alerts.size(), 1u);
  EXPECT_EQ(alerts[0]->title(), "温馨提示");
  EXPECT_EQ(alerts[0]->message(), localized("BandPrompt"));
  EXPECT_EQ(alerts[0]->buttonTitleAtIndex(0), "取消");
  EXPECT_EQ(alerts[0]->buttonTitleAtIndex(1), "绑定");
  ASSERT_TRUE(alerts[0]->tapButtonAtIndex(1));
  EXPECT_EQ(account->logIns, 0);
  advance(0.01);
  EXPECT_EQ(account->logIns, 1);

  // The login bound an account: the held request goes out, once.
  account->loggedIn = true;
  client->engineDidLogIn();
  ASSERT_TRUE(waitFor([&] { return !receiver->replies.empty(); }));
  EXPECT_EQ(server.requests("/Channels/Channel.aspx").size(), 1u);
  client->engineDidLogIn();
  MainLoop::pump();
  EXPECT_EQ(server.requests("/Channels/Channel.aspx").size(), 1u);
  EXPECT_EQ(receiver->replies.size(), 1u);
}

TEST_F(ClientRequestTest, BindPromptVariants) {
  auto account = std::make_shared<FakeAccount>();
  ClientPlatformAccount::setCurrent(account);

  // An expired binding asks to bind again; cancelling starts no login.
  account->timedOut = true;
  client->setNeedAuthorize(true);
  client->reQuestUrl("/Channels/Channel.aspx", channelParams());
  auto alerts = UIAlertView::visibleAlerts();
  ASSERT_EQ(alerts.size(), 1u);
  EXPECT_EQ(alerts[0]->message(), localized("BandTimeOutPrompt"));
  alerts[0]->tapButtonAtIndex(0);
  advance(1);
  EXPECT_EQ(account->logIns, 0);

  // A queued send that fails the check queues nothing.
  auto queued = Receiver::make();
  client->setNeedAuthorize(true);
  client->reQueueUrl("/Channels/Channel.aspx", channelParams(), queued, queued->action(), 3, false);
  EXPECT_EQ(client->queue()->requestsCount(), 0);
  EXPECT_EQ(UIAlertView::visibleAlerts().size(), 1u);

  // A bound, valid account sends at once.
  UIAlertView::removeAllVisibleAlerts();
  account->loggedIn = true;
  client->setNeedAuthorize(true);
  client->reQuestUrl("/Channels/Channel.aspx", channelParams());
  ASSERT_TRUE(waitFor([&] { return settled(); }));
  EXPECT_EQ(receiver->replies.size(), 1u);
  EXPECT_TRUE(UIAlertView::visibleAlerts().empty());

  // A failed login drops the held request, with the prompt when it gave an error.
  account->loggedIn = false;
  client->setNeedAuthorize(true);
  client->reQuestUrl("/Channels/Channel.aspx", channelParams());
  ASSERT_NE(client->request(), nullptr);
  client->engineDidFailToLogIn(true);
  EXPECT_EQ(client->request(), nullptr);
  EXPECT_EQ(StandInRecorder::shownPrompt(), "帐号绑定不成功，无法执行该操作！");
}

TEST_F(ClientRequestTest, NetworkTypeSetsTheWidthOfAllThreeQueues) {
  struct Case {
    int status;
    std::string type;
    long width;  // 0: unchanged
  };
  const Case cases[] = {{1, "1", 1}, {2, "0", -1}, {0, "-1", 0}, {7, "", -1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.status);
    auto fresh = ClientRequest::create();
    NSGlobe::getEngine()->setCurNetStatus(c.status);
    EXPECT_EQ(fresh->getNetworkType(), c.type);
    fresh->changeNetWork();
    long expected = c.width == 0 ? 4 : c.width;
    EXPECT_EQ(fresh->queue()->maxConcurrentOperationCount(), expected);
    EXPECT_EQ(fresh->postQueue()->queue()->maxConcurrentOperationCount(), expected);
    EXPECT_EQ(fresh->downloadQueue()->queue()->maxConcurrentOperationCount(), expected);
  }
}

TEST_F(ClientRequestTest, QueuedSendToACompleteUrlGoesWithoutTheAppsAgent) {
  auto lookup = Receiver::make();
  client->reQueueNormalUrl(server.url("/lookup"), params({{"id", "586471234"}}), lookup,
                           lookup->action(), 0, false);
  ASSERT_TRUE(waitFor([&] { return !lookup->replies.empty(); }));
  auto seen = server.requests("/lookup");
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].query, "id=586471234");
  EXPECT_NE(seen[0].header("User-Agent"), "ZeptMobileAgent_iphone");
  EXPECT_NE(lookup->replies[0].string().find("resultCount"), std::string::npos);
}

}  // namespace

// The request dispatcher: bus messages on "globe_request" reach the operation their type
// selects, against the local content server.
#include <gtest/gtest.h>

#include "Common/JXKit/NSString+JXKitDeserializing.h"
#include "Foundation/NSBundle.h"
#include "Foundation/NSFileManager.h"
#include "Foundation/NSString.h"
#include "Foundation/NSThread.h"
#include "Foundation/NSUserDefaults.h"
#include "core/NSGlobe.h"
#include "core/NSMsgSend.h"
#include "core/NSObject+notification.h"
#include "core/NSSectionItem.h"
#include "core/NotificationNames.h"
#include "core/UIFilePath.h"
#include "core/UsageLogFile.h"
#include "model/ZizaJsonStatusParser.h"
#include "net/api/ApiTestSupport.h"
#include "net/api/ClientRequest.h"
#include "net/api/NSWeiBoNet.h"
#include "net/api/ServerResult.h"
#include "net/http/HXNetworkQueue.h"

namespace {

using apitest::Receiver;
using zept::server::Pairs;

std::string localized(std::string_view key) {
  return NSBundle::mainBundle()->localizedStringForKey(key);
}

Value strings(std::initializer_list<const char*> items) {
  std::vector<Value> values;
  for (const char* s : items) values.emplace_back(s ? Value(s) : Value());
  return Value(makeArray(values));
}

std::vector<std::pair<std::string, std::string>> pairs(const Pairs& p) {
  return {p.begin(), p.end()};
}

class DispatcherTest : public apitest::ServerClientTest {
 protected:
  void SetUp() override {
    ServerClientTest::SetUp();
    NSUserDefaults::standardUserDefaults()->setObject(Value(key), "registerClientKey");
    UsageLogFile::setCurrent(ZizaJsonStatusParser::usageLogFile());
    net = NSWeiBoNet::getNetEngine();
    // A usage section is open, as after start-up.
    postNotification(kLogAction, Value(), 901);
    sender = Receiver::make();
    sender->onReply = [this](const Value&) { onMainThread.push_back(NSThread::isMainThread()); };
  }

  void post(RequestType type, const Value& data) {
    postNotification(kGlobeRequest, data, type, sender->action(), sender);
  }
  bool prompted(const std::string& text) const {
    auto shown = stand->prompts();
    return std::find(shown.begin(), shown.end(), text) != shown.end();
  }

  std::shared_ptr<NSWeiBoNet> net;
  std::shared_ptr<Receiver> sender;
  std::vector<bool> onMainThread;

  // The usage actions recorded since the start, as "type|parameters".
  std::vector<std::string> events() const { return apitest::usageEvents(*net); }
};

TEST_F(DispatcherTest, AChannelRequestReachesTheChannelOperationAndItsReplyTheSender) {
  post(RequestType::ChannelStatuses, strings({"5", "1", "0"}));
  // The request is under way before the post returns.
  EXPECT_TRUE(ClientRequest::engine()->request());
  // The content-list usage event, with the channel.
  EXPECT_EQ(events(), std::vector<std::string>{",1|5"});

  ASSERT_TRUE(waitFor([&] { return sender->replies.size() == 1; }));
  auto sent = server.requests("/Channels/Channel.aspx");
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].method, "GET");
  EXPECT_EQ(
      pairs(sent[0].queryParams),
      (std::vector<std::pair<std::string, std::string>>{
          {"keys", key}, {"std", "2.0"}, {"page", "1"}, {"max_id", "0"}, {"channel_id", "5"}}));
  EXPECT_EQ(sent[0].header("User-Agent"), "ZeptMobileAgent_iphone");
  EXPECT_EQ(onMainThread, std::vector<bool>{true});

  // The reply is cached where the channel screens look for page 1 of the channel.
  std::string cache = UIFilePath::getChannelFilePath(14, "5", 1, 0);
  auto bytes = dataWithContentsOfFile(cache);
  ASSERT_TRUE(bytes) << cache;
  EXPECT_EQ(Value(std::string(*bytes)), sender->replies[0]);
}

TEST_F(DispatcherTest, OfflineRequestsAreRefusedWithThePromptButCancelPasses) {
  apitest::forceOffline();
  post(RequestType::ChannelStatuses, strings({"5", "1", "0"}));
  EXPECT_TRUE(prompted(localized("NetworkError")));
  EXPECT_EQ(stand->busyEvents(), std::vector<std::string>{"hide"});
  EXPECT_TRUE(events().empty());

  stand->clear("PHProgressHUD");
  stand->clear("UIViewBusy");
  post(RequestType::Cancel, Value());
  EXPECT_TRUE(stand->prompts().empty());
  EXPECT_EQ(stand->busyEvents(), std::vector<std::string>{"hide"});

  MainLoop::pump();
  EXPECT_TRUE(server.requests().empty());
  EXPECT_TRUE(sender->replies.empty());
}

TEST_F(DispatcherTest, TypesPassTheirDataItemsInTheRowsOrder) {
  struct Case {
    RequestType type;
    Value data;
    const char* path;
    std::vector<std::pair<std::string, std::string>> params;  // after keys and std
  };
  std::vector<Case> cases = {
      {RequestType::FeedStatuses,
       strings({"2-3", "2", "77"}),
       "/Channels/Feed.aspx",
       {{"page", "2"}, {"since_id", "77"}, {"channel_ids", "2-3"}}},
      {RequestType::CommentList,
       strings({"9001", "55", "3"}),
       "/Channels/Comments.aspx",
       {{"max_id", "55"}, {"blog_id", "9001"}}},
      {RequestType::LikeCount,
       strings({"2", "10", "5"}),
       "/Channels/CountInfo.aspx",
       {{"channel_ids", "2"}, {"max_Id", "10"}, {"since_Id", "5"}}},
      {RequestType::SeminarPosts,
       strings({"2", "1", "0", "9"}),
       "/Dialog/GetDialogPost.aspx",
       {{"page", "1"}, {"event_id", "9"}, {"max_id", "0"}, {"type", "2"}}},
      {RequestType::CompanyList,
       strings({"3", "2", "钢"}),
       "/VEZI/SearchCompany.aspx",
       {{"categoryId", "3"}, {"page", "2"}, {"keyword", "钢"}}},
      {RequestType::Search,
       strings({"钢材", "1", "0"}),
       "/Search/Search.aspx",
       {{"max_id", "0"}, {"keyword", "钢材"}}},
      {RequestType::AreaStatuses,
       strings({"0", "1", "0", "7"}),
       "/Channels/UserTimeline.aspx",
       {{"page", "1"}, {"max_id", "0"}, {"group_id", "7"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(toInt(c.type));
    server.clearRequests();
    sender->replies.clear();
    post(c.type, c.data);
    ASSERT_TRUE(waitFor([&] { return !sender->replies.empty(); }));
    auto sent = server.requests(c.path);
    ASSERT_EQ(sent.size(), 1u);
    auto got = pairs(sent[0].queryParams);
    ASSERT_GE(got.size(), 2u);
    EXPECT_EQ(got[0], (std::pair<std::string, std::string>{"keys", key}));
    got.erase(got.begin(), got.begin() + 2);
    EXPECT_EQ(got, c.params);
  }
}

TEST_F(DispatcherTest, PostSenderTypesReplyThroughTheSendersAction) {
  post(RequestType::ChannelUpdateCheck, strings({"2,3"}));
  ASSERT_TRUE(waitFor([&] { return sender->replies.size() == 1; }));
  post(RequestType::UpdatePoll, Value());
  ASSERT_TRUE(waitFor([&] { return sender->replies.size() == 2; }));
  auto checks = server.requests("/UnRead/CheckUpdate.aspx");
  ASSERT_EQ(checks.size(), 2u);
  EXPECT_EQ(checks[0].paramOr("channel_ids"), "2,3");
  EXPECT_EQ(checks[1].paramOr("channel_ids"), "all");
  post(RequestType::ServerMessage, Value());
  ASSERT_TRUE(waitFor([&] { return sender->replies.size() == 3; }));
  EXPECT_EQ(server.requests("/Notice/GetIAD.aspx").size(), 1u);
}

TEST_F(DispatcherTest, UnknownAndNotYetWiredTypesDoNothing) {
  // Numbers no request has, message types of other notifications, requests whose operations
  // come later.
  for (RequestType type : {RequestType(999), RequestType(2), RequestType(19),
                           RequestType::ChannelsAddedToPage, RequestType::ChannelRefreshLocation,
                           RequestType::PlatformComments, RequestType::PlatformReposts}) {
    SCOPED_TRACE(toInt(type));
    EXPECT_FALSE(NSWeiBoNet::handlesType(type));
    post(type, strings({"1", "2", "3"}));
  }
  EXPECT_TRUE(NSWeiBoNet::handlesType(RequestType::ChannelStatuses));
  // Following the service's account only when the binding asked for it: no account asks.
  post(RequestType::FollowServiceAccountIfAsked, Value());
  MainLoop::pump();
  EXPECT_TRUE(stand->prompts().empty());
  EXPECT_FALSE(ClientRequest::engine()->request());
  EXPECT_TRUE(events().empty());
  EXPECT_TRUE(server.requests().empty());
}

TEST_F(DispatcherTest, AccountTypesReachTheClientsSessionAndUpdateCalls) {
  postNotification(kGlobeRequest, Value(), RequestType::ReopenSession);
  postNotification(kGlobeRequest, Value(), RequestType::AppUpdateCheck);
  ASSERT_TRUE(server.waitForRequests("/Accounts/Session.aspx", 1));
  ASSERT_TRUE(server.waitForRequests("/AppUpdate.aspx", 1));
  auto update = server.requests("/AppUpdate.aspx")[0];
  EXPECT_EQ(update.method, "POST");
  EXPECT_EQ(update.paramOr("source"), "QX001");
  EXPECT_EQ(update.paramOr("ver"), "2.0.1");
}

TEST_F(DispatcherTest, FeedbackAndCrashReportsReachTheFeedbackPostAndTheirRepliesTheSender) {
  struct Case {
    RequestType type;
    Value data;
    std::string feedbackType, userMessage, content;
  };
  const std::vector<Case> cases = {
      {RequestType::UserFeedback, strings({"价格行情能否每天更新？"}), "1",
       "价格行情能否每天更新？", ""},
      {RequestType::CrashReport, Value("SIGSEGV at 0x0"), "2", "", "SIGSEGV at 0x0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(toInt(c.type));
    sender->replies.clear();
    size_t before = server.logUploads().size();
    EXPECT_TRUE(NSWeiBoNet::handlesType(c.type));
    post(c.type, c.data);
    ASSERT_TRUE(waitFor([&] { return sender->replies.size() == 1; }));
    auto uploads = server.logUploads();
    ASSERT_EQ(uploads.size(), before + 1);
    const auto& feedback = uploads.back();
    EXPECT_EQ(feedback.path, "/feedback.aspx");
    EXPECT_EQ(feedback.field("type"), c.feedbackType);
    Value body = objectFromJSONString(feedback.field("body"));
    EXPECT_EQ(body["usermsg"], Value(c.userMessage));
    EXPECT_EQ(body["content"], Value(c.content));
    EXPECT_TRUE(ServerResult::resultWithJSONString(sender->replies[0].description())->resultSuccess)
        << sender->replies[0].description();
  }
}

TEST_F(DispatcherTest, CancelTypeDropsTheSingleRequest) {
  server.script("/Channels/Channel.aspx", zept::server::EndpointScript::goSilent());
  post(RequestType::ChannelStatuses, strings({"5", "1", "0"}));
  ASSERT_TRUE(server.waitForRequests("/Channels/Channel.aspx", 1));
  ASSERT_TRUE(ClientRequest::engine()->request());
  postNotification(kGlobeRequest, Value(), RequestType::CancelClientRequest);
  EXPECT_FALSE(ClientRequest::engine()->request());
  server.releaseSilent();
  waitFor([] { return false; }, 0.3);
  EXPECT_TRUE(sender->replies.empty());
}

TEST_F(DispatcherTest, UsageEventsOnTheBusAndRequestsWithAUsageCodeReachTheCurrentSection) {
  NSGlobe::getEngine()->setCurChannel("5");
  recordeUserInfo(Value("ChannelView"), 37);
  post(RequestType::Search, strings({"钢材", "1", "0"}));
  EXPECT_EQ(events(), (std::vector<std::string>{"5,37|ChannelView", "5,1|钢材"}));
  // Requests without a usage code record nothing.
  post(RequestType::DailyTrends, Value());
  EXPECT_EQ(events().size(), 2u);
}

TEST_F(DispatcherTest, TheDispatcherIsOne) {
  EXPECT_EQ(NSWeiBoNet::getNetEngine(), net);
  EXPECT_EQ(NSWeiBoNet::allocWithZone(), nullptr);
}

}  // namespace

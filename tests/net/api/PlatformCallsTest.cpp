// The platform's REST calls through the dispatcher, against the local platform server: each
// request type reaches its "/2/" method with its parameters and timeout, replies reach the
// sender, and the platform's token errors log the account out and ask to bind again.
#include <gtest/gtest.h>

#include "Common/JXKit/NSString+JXKitDeserializing.h"
#include "core/NSMsgSend.h"
#include "core/NSObject+notification.h"
#include "core/NotificationNames.h"
#include "net/api/ClientRequest.h"
#include "net/api/PlatformTestSupport.h"
#include "net/api/ServerResult.h"
#include "net/http/HXHTTPRequest.h"
#include "support/BusRecorder.h"

namespace {

using namespace platformtest;
using apitest::Receiver;
using zept::server::Pairs;

Value strings(std::initializer_list<std::string> items) {
  std::vector<Value> values;
  for (auto& s : items) values.emplace_back(s);
  return Value(makeArray(values));
}

class PlatformCallsTest : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    sender = Receiver::make();
    bus = BusRecorder::observing({kGlobeRequest});
  }
  void post(RequestType type, const Value& data, const std::shared_ptr<Receiver>& to) {
    postNotification(kGlobeRequest, data, type, to->action(), to);
  }
  void post(RequestType type, const Value& data) { post(type, data, sender); }
  size_t bindPrompts() const {
    size_t n = 0;
    for (auto& p : bus->posts) n += p.type == toInt(RequestType::BindPrompt);
    return n;
  }

  std::shared_ptr<Receiver> sender;
  std::shared_ptr<BusRecorder> bus;
};

TEST_F(PlatformCallsTest, EachRequestTypeReachesItsMethodWithItsParametersAndTimeout) {
  bindReader();
  const std::string me = std::to_string(kReader);
  struct Case {
    RequestType type;
    Value data;
    std::string method;
    std::string path;
    Pairs params;  // besides the token, which comes where the method puts it
    int timeout;
  };
  const std::string S = "2718093456";
  std::vector<Case> cases = {
      {RequestType::PlatformMyStatuses,
       strings({"5", "1"}),
       "GET",
       "/2/statuses/user_timeline.json",
       {{"access_token", token}, {"uid", me}, {"count", "5"}, {"page", "1"}},
       15},
      {RequestType::PlatformUserStatusesByName,
       strings({"行业编辑部", "5", "1"}),
       "GET",
       "/2/statuses/user_timeline.json",
       {{"access_token", token}, {"screen_name", "行业编辑部"}, {"count", "5"}, {"page", "1"}},
       15},
      {RequestType::PlatformUserStatusesById,
       strings({"3100000003", "5", "2"}),
       "GET",
       "/2/statuses/user_timeline.json",
       {{"access_token", token}, {"uid", "3100000003"}, {"count", "5"}, {"page", "2"}},
       15},
      {RequestType::PlatformMentions,
       strings({"1", "20"}),
       "GET",
       "/2/statuses/mentions.json",
       {{"access_token", token}, {"page", "1"}, {"count", "20"}},
       15},
      {RequestType::PlatformFriendsTimeline,
       strings({"0", "20"}),
       "GET",
       "/2/statuses/friends_timeline.json",
       {{"access_token", token}, {"max_id", "0"}, {"count", "20"}},
       15},
      {RequestType::PlatformCommentsToMe,
       strings({"1", "20"}),
       "GET",
       "/2/comments/to_me.json",
       {{"access_token", token}, {"page", "1"}, {"count", "20"}},
       15},
      {RequestType::PlatformFriends,
       strings({me, "10", "0"}),
       "GET",
       "/2/friendships/friends.json",
       {{"access_token", token}, {"uid", me}, {"count", "10"}, {"cursor", "0"}},
       15},
      {RequestType::PlatformUserById,
       strings({"3100000002"}),
       "GET",
       "/2/users/show.json",
       {{"access_token", token}, {"source", S}, {"uid", "3100000002"}},
       15},
      {RequestType::PlatformUserByName,
       Value("设备厂商"),
       "GET",
       "/2/users/show.json",
       {{"access_token", token}, {"source", S}, {"screen_name", "设备厂商"}},
       15},
      {RequestType::PlatformRelationshipByName,
       strings({"行业编辑部"}),
       "GET",
       "/2/friendships/show.json",
       {{"access_token", token}, {"source_id", me}, {"target_screen_name", "行业编辑部"}},
       15},
      {RequestType::PlatformRelationshipById,
       strings({"3100000002"}),
       "GET",
       "/2/friendships/show.json",
       {{"access_token", token}, {"source_id", me}, {"target_id", "3100000002"}},
       15},
      {RequestType::PlatformReloadStatus,
       strings({"3600000000000002"}),
       "GET",
       "/2/statuses/show.json",
       {{"access_token", token}, {"source", S}, {"id", "3600000000000002"}},
       15},
      {RequestType::PlatformFollowById,
       strings({"3100000004", "1"}),
       "POST",
       "/2/friendships/create.json",
       {{"access_token", token}, {"source", S}, {"uid", "3100000004"}},
       60},
      {RequestType::PlatformFollowByName,
       strings({"zept官方", "0"}),
       "POST",
       "/2/friendships/destroy.json",
       {{"access_token", token}, {"source", S}, {"screen_name", "zept官方"}},
       60},
      {RequestType::PlatformDeleteStatus,
       strings({"3600000000000003"}),
       "POST",
       "/2/statuses/destroy.json",
       {{"access_token", token}, {"source", S}, {"id", "3600000000000003"}},
       60},
      {RequestType::PlatformResetUnreadCount,
       strings({"cmt"}),
       "POST",
       "/2/remind/set_count.json",
       {{"access_token", token}, {"type", "cmt"}},
       60},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path + " type " + std::to_string(toInt(c.type)));
    size_t before = sender->replies.size();
    platform->clearRequests();
    post(c.type, c.data);
    ASSERT_TRUE(engine->request());
    EXPECT_EQ(engine->request()->timeOutSeconds(), c.timeout);
    ASSERT_TRUE(waitFor([&] { return sender->replies.size() == before + 1; }));
    auto seen = platform->requests(c.path);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].method, c.method);
    EXPECT_EQ(c.method == "GET" ? seen[0].queryParams : seen[0].formParams, c.params);
    EXPECT_EQ(seen[0].status, 200) << sender->texts().back();
  }
  // The follow and the unfollow both took effect.
  EXPECT_FALSE(platform->follows(kReader, 3100000004));
}

TEST_F(PlatformCallsTest, TheUnreadPollUsesTheSecondClientWithALongWait) {
  bindReader();
  post(RequestType::PlatformUnreadCount, Value());
  EXPECT_FALSE(engine->request());
  ASSERT_TRUE(net->checkEngine()->request());
  EXPECT_EQ(net->checkEngine()->request()->timeOutSeconds(), 60);
  ASSERT_TRUE(waitFor([&] { return sender->replies.size() == 1; }));
  Value counts = objectFromJSONString(sender->replies[0].string());
  EXPECT_EQ(counts["cmt"].intValue(), 2);
  auto seen = platform->requests("/2/remind/unread_count.json");
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].queryParams,
            (Pairs{{"access_token", token}, {"uid", std::to_string(kReader)}}));
  // The reply sets the wait back.
  EXPECT_EQ(net->checkEngine()->timeOutSec(), 15);
}

TEST_F(PlatformCallsTest, CommentCountsAskForTheFirstTwentyIds) {
  bindReader();
  std::vector<Value> ids;
  for (int i = 1; i <= 25; ++i) ids.emplace_back(std::to_string(3600000000000000LL + i));
  post(RequestType::PlatformCommentCounts, Value(makeArray(ids)));
  ASSERT_TRUE(waitFor([&] { return sender->replies.size() == 1; }));
  auto seen = platform->requests("/2/statuses/count.json");
  ASSERT_EQ(seen.size(), 1u);
  std::string expected;
  for (int i = 1; i <= 20; ++i)
    expected += (i > 1 ? "," : "") + std::to_string(3600000000000000LL + i);
  EXPECT_EQ(seen[0].queryParams,
            (Pairs{{"source", "2718093456"}, {"ids", expected}, {"access_token", token}}));
  Value counts = objectFromJSONString(sender->replies[0].string());
  ASSERT_EQ(counts.count(), 6u);  // the demo data's statuses among them

  post(RequestType::PlatformCommentCounts, strings({"3600000000000003"}));
  ASSERT_TRUE(waitFor([&] { return sender->replies.size() == 2; }));
  EXPECT_EQ(platform->requests("/2/statuses/count.json")[1].paramOr("ids"), "3600000000000003");
}

TEST_F(PlatformCallsTest, CommentAndRepostListsAreBuiltHereAndSentByTheContentClient) {
  bindReader();
  post(RequestType::PlatformComments, strings({"3600000000000003", "0", "20"}));
  ASSERT_TRUE(waitFor([&] { return sender->replies.size() == 1; }));
  auto comments = platform->requests("/2/comments/show.json");
  ASSERT_EQ(comments.size(), 1u);
  EXPECT_EQ(
      comments[0].queryParams,
      (Pairs{
          {"access_token", token}, {"id", "3600000000000003"}, {"count", "20"}, {"max_id", "0"}}));
  EXPECT_EQ(objectFromJSONString(sender->replies[0].string())["comments"].count(), 2u);

  post(RequestType::PlatformReposts, strings({"3600000000000001", "0", "20"}));
  ASSERT_TRUE(waitFor([&] { return sender->replies.size() == 2; }));
  auto reposts = platform->requests("/2/statuses/repost_timeline.json");
  ASSERT_EQ(reposts.size(), 1u);
  EXPECT_EQ(reposts[0].queryParams.front(),
            (std::pair<std::string, std::string>{"source", "2718093456"}));
  EXPECT_EQ(objectFromJSONString(sender->replies[1].string())["reposts"].count(), 1u);
}

TEST_F(PlatformCallsTest, WithoutABoundAccountNothingIsSentAndTheDelegateHearsSo) {
  post(RequestType::PlatformUserById, strings({"3100000002"}));
  engine->setDelegate(watcher);
  engine->getUserInfo(Value("3100000002"));
  EXPECT_EQ(watcher->calls, std::vector<std::string>{"notAuthorized"});
  EXPECT_TRUE(engine->getCommentParameDic(Value("1"), Value("0"), Value("20")).isNil());
  waitFor([] { return false; }, 0.3);
  EXPECT_TRUE(platform->requests().empty());
  EXPECT_TRUE(sender->replies.empty());
}

TEST_F(PlatformCallsTest, TokenErrorsLogTheAccountOutAndAskToBindAgainOtherErrorsAreOnlyDelivered) {
  for (int code : {21319, 21325, 21327, 21332}) {
    SCOPED_TRACE(code);
    bindReader();
    bus->posts.clear();
    platform->script("/2/users/show.json",
                     zept::server::EndpointScript::replyWith(
                         R"({"error":"token","error_code":)" + std::to_string(code) +
                             R"(,"request":"/2/users/show.json"})",
                         400)
                         .forRequests(1));
    size_t before = sender->replies.size();
    post(RequestType::PlatformUserById, strings({"3100000002"}));
    ASSERT_TRUE(waitFor([&] { return sender->replies.size() == before + 1; }));
    EXPECT_NE(sender->replies.back().string().find(std::to_string(code)), std::string::npos);
    EXPECT_FALSE(engine->isLoggedIn());
    EXPECT_EQ(item("WeiBoAccessToken"), std::nullopt);
    EXPECT_EQ(bindPrompts(), 1u);
  }

  // The platform's own verdict on a token it no longer takes, and an error of another kind.
  bindReader();
  bus->posts.clear();
  platform->expireToken(token);
  post(RequestType::PlatformMentions, strings({"1", "20"}));
  ASSERT_TRUE(waitFor([&] { return !engine->isLoggedIn(); }));
  EXPECT_EQ(bindPrompts(), 1u);

  bindReader();
  bus->posts.clear();
  platform->script(
      "/2/users/show.json",
      zept::server::EndpointScript::replyWith(
          R"({"error":"limit","error_code":21320,"request":"/2/users/show.json"})", 400)
          .forRequests(1));
  size_t before = sender->replies.size();
  post(RequestType::PlatformUserById, strings({"3100000002"}));
  ASSERT_TRUE(waitFor([&] { return sender->replies.size() == before + 1; }));
  EXPECT_TRUE(engine->isLoggedIn());
  EXPECT_EQ(bindPrompts(), 0u);
}

TEST_F(PlatformCallsTest, AQueuedCallIsNotCancelledByTheNextAndAnswersItsOwnSender) {
  bindReader();
  auto follower = Receiver::make();
  auto asker = Receiver::make();
  platform->script("/2/friendships/create.json",
                   zept::server::EndpointScript::delayed(std::chrono::milliseconds(300)));
  post(RequestType::PlatformFollowByNameQueued, strings({"zept官方", "1"}), follower);
  post(RequestType::PlatformRelationshipByName, strings({"zept官方"}), asker);
  ASSERT_TRUE(waitFor([&] { return follower->replies.size() == 1 && asker->replies.size() == 1; }));
  EXPECT_NE(follower->replies[0].string().find("\"screen_name\":\"zept官方\""), std::string::npos);
  EXPECT_NE(asker->replies[0].string().find("\"target\""), std::string::npos);
  waitFor([] { return false; }, 0.5);
  EXPECT_EQ(asker->replies.size(), 1u);
  EXPECT_TRUE(platform->follows(kReader, 3100000004));
}

TEST_F(PlatformCallsTest, AnUnqueuedCallCancelsTheOneBeforeWhoseSenderHearsNothing) {
  bindReader();
  auto first = Receiver::make();
  platform->script("/2/statuses/mentions.json",
                   zept::server::EndpointScript::delayed(std::chrono::milliseconds(500)));
  post(RequestType::PlatformMentions, strings({"1", "20"}), first);
  post(RequestType::PlatformUserById, strings({"3100000002"}));
  ASSERT_TRUE(waitFor([&] { return sender->replies.size() == 1; }));
  waitFor([] { return false; }, 0.8);
  EXPECT_TRUE(first->replies.empty());
  EXPECT_EQ(StandInRecorder::shownPrompt(), "");
}

TEST_F(PlatformCallsTest, TransportFailuresDeliverTheFailureTextAndKeepTheTokenOutOfTheLog) {
  bindReader();
  postNotification(kLogAction, Value(), 901);
  platform->stop();
  // A timeline call asks for no prompt of its own while online.
  post(RequestType::PlatformMentions, strings({"1", "20"}));
  ASSERT_TRUE(waitFor([&] { return sender->replies.size() == 1; }));
  EXPECT_EQ(sender->replies[0].string(), ServerResult::getErrorJsonString());
  EXPECT_EQ(StandInRecorder::shownPrompt(), "");
  // Others show the request error.
  post(RequestType::PlatformUserById, strings({"3100000002"}));
  ASSERT_TRUE(waitFor([&] { return sender->replies.size() == 2; }));
  ASSERT_NE(StandInRecorder::shownPrompt(), "");
  EXPECT_TRUE(engine->isLoggedIn());
  bool logged = false;
  for (auto& event : apitest::usageEvents(*net)) {
    logged = logged || event.rfind("903", 0) == 0;
    EXPECT_EQ(event.find(token), std::string::npos) << event;
  }
  EXPECT_TRUE(logged);
}

TEST_F(PlatformCallsTest, ANewPlatformClientGivesTheUnreadPollItsAccount) {
  EXPECT_FALSE(net->checkEngine()->isLoggedIn());
  bindReader();
  auto fresh = WBEngine::create();  // reads the account just bound
  net->checkEngine()->logOut();
  net->setWeiboEngine(fresh);
  EXPECT_EQ(net->weiboEngine(), fresh);
  EXPECT_EQ(ClientPlatformAccount::current(),
            std::static_pointer_cast<ClientPlatformAccount>(fresh));
  EXPECT_TRUE(net->checkEngine()->isLoggedIn());
  EXPECT_EQ(net->checkEngine()->accessToken(), token);
}

}  // namespace

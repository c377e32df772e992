#include <gtest/gtest.h>

#include "Foundation/NSBundle.h"
#include "Foundation/NSFileManager.h"
#include "Foundation/NSHTTPURLResponse.h"
#include "Foundation/NSString.h"
#include "Foundation/NSUserDefaults.h"
#include "UIKit/UIAlertView.h"
#include "core/UIBkImageView.h"
#include "core/UIFilePath.h"
#include "net/api/ApiTestSupport.h"
#include "net/api/ApplicationHelper.h"
#include "net/api/ClientPlatformAccount.h"
#include "net/api/ClientPostRequest.h"
#include "net/api/ServerResult.h"
#include "net/http/HXHTTPRequest.h"
#include "net/http/HXNetworkQueue.h"
#include "ui/framework/CHStatusBar.h"

namespace {

using apitest::params;
using apitest::Receiver;
using zept::server::EndpointScript;
using Events = std::vector<std::string>;

std::string localized(std::string_view key) {
  return NSBundle::mainBundle()->localizedStringForKey(key);
}

class TokenCheck : public apitest::BoundAccount {
 public:
  int logOuts = 0;
  void logOut() override { ++logOuts; }
};

class PostSenderTest : public apitest::ServerClientTest {
 protected:
  void SetUp() override {
    ServerClientTest::SetUp();
    post = ClientPostRequest::create();
    receiver = Receiver::make();
    setSounds(true);
  }
  void TearDown() override {
    ClientPlatformAccount::setCurrent(nullptr);
    ServerClientTest::TearDown();
  }

  static void setSounds(bool on) {
    NSUserDefaults::standardUserDefaults()->setInteger(on ? 1 : 2, kVoiceKey);
  }
  ValueDictionary statusParams(const std::string& content = "今日钢材现货价格小幅上涨") {
    return params({{"keys", key}, {"u_id", "1750000001"}, {"std", "2.0"}, {"content", content}});
  }
  // The status-bar messages on screen now.
  Events bar() const { return StandInRecorder::shownStatusBars(); }
  // The post sender's own status-bar window, as the stand-in draws it.
  std::shared_ptr<CHStatusBar> window() const {
    return std::dynamic_pointer_cast<CHStatusBar>(post->statuL());
  }
  bool drained() const { return post->queue()->requestsCount() == 0; }
  std::shared_ptr<HXHTTPRequest> queuedRequest() const {
    auto ops = post->queue()->operations();
    return ops.empty() ? nullptr : std::dynamic_pointer_cast<HXHTTPRequest>(ops.back());
  }

  std::shared_ptr<ClientPostRequest> post;
  std::shared_ptr<Receiver> receiver;
};

TEST_F(PostSenderTest, StatusPostShowsSendingThenTheVerdictAndHides) {
  auto tokens = std::make_shared<TokenCheck>();
  ClientPlatformAccount::setCurrent(tokens);
  post->setPostAction(receiver->action(), receiver);
  post->reQuestUrl("/Operates/StatusesUpdate.aspx", statusParams());
  // The pending receiver went with this request.
  EXPECT_EQ(post->clientdelegate(), nullptr);
  EXPECT_FALSE(post->actionString().isSet());
  ASSERT_NE(queuedRequest(), nullptr);
  EXPECT_EQ(queuedRequest()->timeOutSeconds(), 60);
  EXPECT_EQ(bar(), Events{"message:" + localized("StartSend")});
  EXPECT_TRUE(window()->isSpinning());

  ASSERT_TRUE(waitFor([&] { return !receiver->replies.empty(); }));
  auto seen = server.requests("/Operates/StatusesUpdate.aspx");
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].method, "POST");
  EXPECT_EQ(seen[0].query, "keys=" + key + "&std=2.0");
  EXPECT_EQ(seen[0].formParams,
            (zept::server::Pairs{{"u_id", "1750000001"}, {"content", "今日钢材现货价格小幅上涨"}}));
  EXPECT_EQ(seen[0].header("User-Agent"), "ZeptMobileAgent_iphone");
  ASSERT_EQ(server.postedStatuses().size(), 1u);

  ASSERT_EQ(receiver->replies.size(), 1u);
  EXPECT_TRUE(ServerResult::resultWithJSONString(receiver->replies[0].string())->resultSuccess);
  // A reply without a platform token error keeps the account.
  EXPECT_EQ(tokens->logOuts, 0);
  EXPECT_TRUE(UIAlertView::visibleAlerts().empty());
  EXPECT_EQ(bar(), (Events{"ok:发布成功"}));
  EXPECT_TRUE(window()->isOkShown());
  EXPECT_FALSE(window()->isSpinning());
  EXPECT_EQ(stand->sounds(), std::vector<std::string>{"SentMessage.caf"});

  advance(1.4);
  EXPECT_EQ(bar(), (Events{"ok:发布成功"}));
  advance(0.1);
  EXPECT_TRUE(bar().empty());
  EXPECT_TRUE(window()->isHidden());
}

TEST_F(PostSenderTest, VerdictTextsAndTheSentSound) {
  struct Case {
    std::string reply;
    std::string verdict;
  };
  const Case cases[] = {
      {R"({"ResultBoolean":true,"ResultCode":0,"ResultMsg":""})", "ok:" + localized("SendOk")},
      {R"({"ResultBoolean":"YES","ResultCode":"1"})", "ok:" + localized("SendOk")},
      {R"({"ResultBoolean":true,"ResultMsg":"已发布到行业快讯"})", "ok:已发布到行业快讯"},
      {R"({"ResultBoolean":false,"ResultCode":3,"ResultMsg":"内容含有敏感词"})",
       "message:内容含有敏感词"},
      {R"({"ResultBoolean":false,"ResultMsg":null})", "message:" + localized("SendFail")},
      {"<html>busy</html>", "message:" + localized("SendFail")},
  };
  setSounds(false);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reply);
    server.clearScripts();
    server.script("/Operates/StatusesUpdate.aspx", EndpointScript::replyWith(c.reply));
    receiver->replies.clear();
    post->setPostAction(receiver->action(), receiver);
    post->reQuestUrl("/Operates/StatusesUpdate.aspx", statusParams());
    ASSERT_TRUE(waitFor([&] { return !receiver->replies.empty(); }));
    EXPECT_EQ(bar(), Events{c.verdict});
    advance(1.5);
  }
  // The sound setting is off: no sent sound, even for the successes.
  EXPECT_TRUE(stand->sounds().empty());
}

TEST_F(PostSenderTest, ComposerStatusPostTakesItsDraftAlongOnlyWhenItWentOut) {
  auto defaults = NSUserDefaults::standardUserDefaults();
  for (bool succeeds : {false, true}) {
    SCOPED_TRACE(succeeds);
    defaults->setObject(Value("未发出的草稿"), kWriteTextKey);
    defaults->setObject(Value::data("\xff\xd8jpeg"), kWriteImageKey);
    server.clearScripts();
    if (!succeeds)
      server.script("/Operates/StatusesUpdate.aspx",
                    EndpointScript::replyWith(R"({"ResultBoolean":false,"ResultMsg":"失败"})"));
    receiver->replies.clear();
    post->setPostAction(receiver->action("postStatusCallback:"), receiver);
    post->reQuestUrl("/Operates/StatusesUpdate.aspx", statusParams());
    ASSERT_TRUE(waitFor([&] { return drained(); }));
    MainLoop::pump();
    // The composer has closed: nobody is called.
    EXPECT_TRUE(receiver->replies.empty());
    EXPECT_EQ(defaults->objectForKey(kWriteTextKey).isNil(), succeeds);
    EXPECT_EQ(defaults->objectForKey(kWriteImageKey).isNil(), succeeds);
  }
}

TEST_F(PostSenderTest, ErrorStatusReachesTheReceiverTwiceOrTheBarTwice) {
  const std::string body = R"({"ResultBoolean":false,"ResultMsg":"服务器繁忙"})";
  server.script("/Operates/StatusesUpdate.aspx", EndpointScript::failWith(500, body));
  post->setPostAction(receiver->action(), receiver);
  post->reQuestUrl("/Operates/StatusesUpdate.aspx", statusParams());
  ASSERT_TRUE(waitFor([&] { return receiver->replies.size() == 2; }));
  EXPECT_EQ(receiver->texts(),
            (std::vector<std::string>{NSHTTPURLResponse::localizedStringForStatusCode(500), body}));
  EXPECT_EQ(bar(), Events{"message:服务器繁忙"});

  // Nobody registered: the bar's feedback runs twice instead.
  advance(1.5);
  post->reQuestUrl("/Operates/StatusesUpdate.aspx", statusParams());
  ASSERT_TRUE(waitFor([&] { return drained(); }));
  EXPECT_EQ(bar(), Events{"message:服务器繁忙"});
  EXPECT_EQ(receiver->replies.size(), 2u);
}

// Over its request limit (status 40302) a post is answered by the server's refusal alone: the
// receiver gets it once, without the status text an unknown status brings, and the bar shows
// the server's message.  A plain send delivers the refusal as well.
TEST_F(PostSenderTest, AnOverTheLimitReplyIsDeliveredAsTheServerWroteIt) {
  auto limited = EndpointScript::overLimit();
  server.script("/Operates/StatusesUpdate.aspx", limited);
  post->setPostAction(receiver->action(), receiver);
  post->reQuestUrl("/Operates/StatusesUpdate.aspx", statusParams());
  ASSERT_TRUE(waitFor([&] { return drained(); }));
  MainLoop::pump();
  EXPECT_EQ(receiver->texts(), std::vector<std::string>{limited.body});
  EXPECT_EQ(bar(), Events{std::string("message:") + EndpointScript::kOverLimitMessage});
  EXPECT_TRUE(server.postedStatuses().empty());

  server.script("/Channels/ChannelListV2.aspx", limited);
  auto plain = Receiver::make();
  post->setPostAction(plain->action(), plain);
  post->reQuestNormalUrl("/Channels/ChannelListV2.aspx", params({{"keys", key}, {"std", "2.0"}}));
  ASSERT_TRUE(waitFor([&] { return !plain->replies.empty(); }));
  MainLoop::pump();
  EXPECT_EQ(plain->texts(), std::vector<std::string>{limited.body});
}

TEST_F(PostSenderTest, SendingShowsAgainWhileAnotherPostWaits) {
  server.script("/Operates/StatusesUpload.aspx", EndpointScript::goSilent());
  post->reQuestUrl("/Operates/StatusesUpdate.aspx", statusParams());
  auto picture = statusParams("图");
  picture->setObject(Value::data("\xff\xd8\xff\xe0picture"), "imgfile");
  post->postImage("/Operates/StatusesUpload.aspx", picture);
  const std::string sending = "message:" + localized("StartSend");
  EXPECT_EQ(bar(), Events{sending});
  ASSERT_TRUE(waitFor([&] { return post->queue()->requestsCount() == 1; }));
  EXPECT_EQ(bar(), Events{"ok:发布成功"});
  advance(1.0);
  // The hide of the ok message shows the waiting post again, and still takes the window away.
  EXPECT_EQ(bar(), Events{sending});
  advance(0.5);
  EXPECT_TRUE(bar().empty());
}

TEST_F(PostSenderTest, PictureGoesAsAMultipartPartNamedFile) {
  const std::string jpeg = std::string("\xff\xd8\xff\xe0", 4) + std::string(3000, '\x5a');
  auto p = statusParams("看看这台新设备");
  p->setObject(Value::data(jpeg), "imgfile");
  post->setPostAction(receiver->action(), receiver);
  post->postImage("/Operates/StatusesUpload.aspx", p);
  ASSERT_TRUE(waitFor([&] { return !receiver->replies.empty(); }));
  auto seen = server.requests("/Operates/StatusesUpload.aspx");
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].query, "");
  EXPECT_EQ(seen[0].header("Content-Type").rfind("multipart/form-data", 0), 0u);
  EXPECT_EQ(
      seen[0].formParams,
      (zept::server::Pairs{
          {"keys", key}, {"u_id", "1750000001"}, {"std", "2.0"}, {"content", "看看这台新设备"}}));
  auto* part = seen[0].file("imgfile");
  ASSERT_NE(part, nullptr);
  EXPECT_EQ(part->filename, "file");
  EXPECT_EQ(part->contentType, "application/octet-stream");
  EXPECT_EQ(part->content, jpeg);
  ASSERT_EQ(server.postedStatuses().size(), 1u);
  EXPECT_EQ(server.postedStatuses()[0].picture, jpeg);
  EXPECT_EQ(bar(), Events{"ok:发布成功"});
}

TEST_F(PostSenderTest, FeedbackGoesToTheLogHostAndClearsItsDraft) {
  auto defaults = NSUserDefaults::standardUserDefaults();
  defaults->setObject(Value("反馈草稿"), kWriteTextKeyUserFeedBack);
  post->setPostAction(receiver->action(), receiver);
  post->postInfo("/feedback.aspx",
                 params({{"keys", key}, {"std", "2.0"}, {"type", "1"}, {"appid", "586471234"}}),
                 "enciphered body");
  ASSERT_NE(queuedRequest(), nullptr);
  EXPECT_EQ(queuedRequest()->numberOfTimesToRetryOnTimeout(), 1);
  ASSERT_TRUE(waitFor([&] { return !receiver->replies.empty(); }));
  auto seen = server.requests("/feedback.aspx");
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].query, "keys=" + key + "&std=2.0&type=1&appid=586471234");
  EXPECT_EQ(seen[0].formParams, (zept::server::Pairs{{"body", "enciphered body"}}));
  EXPECT_TRUE(defaults->objectForKey(kWriteTextKeyUserFeedBack).isNil());
  EXPECT_EQ(bar(), Events{"ok:感谢您的反馈"});
}

TEST_F(PostSenderTest, LogUploadsAsAFilePartOrAPlainForm) {
  std::string logFile = UIFilePath::libraryPath() + "/upload.log";
  ASSERT_TRUE(writeToFile(logFile, "section-1\nsection-2\n", true));
  post->setPostAction(receiver->action(), receiver);
  post->postFile(
      "/upLoad.aspx",
      params({{"file", logFile}, {"keys", key}, {"appId", "586471234"}, {"std", "2.0"}}));
  ASSERT_TRUE(waitFor([&] { return !receiver->replies.empty(); }));
  auto upload = server.requests("/upLoad.aspx");
  ASSERT_EQ(upload.size(), 1u);
  EXPECT_EQ(upload[0].query, "");
  auto* part = upload[0].file("log");
  ASSERT_NE(part, nullptr);
  EXPECT_EQ(part->filename, "log");
  EXPECT_EQ(part->contentType, "txt");
  EXPECT_EQ(part->content, "section-1\nsection-2\n");
  EXPECT_EQ(upload[0].formParams,
            (zept::server::Pairs{{"keys", key}, {"appId", "586471234"}, {"std", "2.0"}}));
  EXPECT_TRUE(ServerResult::resultWithLogJSONString(receiver->replies[0].string())->resultSuccess);

  // Without a file the form goes URL-encoded.
  receiver->replies.clear();
  post->setPostAction(receiver->action(), receiver);
  post->postFile("/post.aspx", params({{"key", key}, {"std", "2.0"}, {"Actionlogs", "x"}}));
  ASSERT_TRUE(waitFor([&] { return !receiver->replies.empty(); }));
  auto plain = server.requests("/post.aspx");
  ASSERT_EQ(plain.size(), 1u);
  EXPECT_EQ(plain[0].header("Content-Type").rfind("application/x-www-form-urlencoded", 0), 0u);
  EXPECT_TRUE(plain[0].files.empty());
  // Uploads show nothing in the bar.
  EXPECT_TRUE(bar().empty());

  // An error status goes to the receiver as its text, then the body follows.
  server.script("/post.aspx", EndpointScript::failWith(500, "busy"));
  receiver->replies.clear();
  post->setPostAction(receiver->action(), receiver);
  post->postFile("/post.aspx", params({{"key", key}, {"std", "2.0"}, {"Actionlogs", "x"}}));
  ASSERT_TRUE(waitFor([&] { return receiver->replies.size() == 2; }));
  EXPECT_EQ(receiver->texts(), (std::vector<std::string>{
                                   NSHTTPURLResponse::localizedStringForStatusCode(500), "busy"}));
}

TEST_F(PostSenderTest, PlainGetDeliversOnceAndReadsUnlabelledRepliesAsGB18030) {
  const std::string text = R"({"ResultBoolean":true,"ResultMsg":"新版行情频道上线"})";
  auto gb = dataUsingEncoding(text, NSGB18030StringEncoding);
  ASSERT_TRUE(gb);
  struct Case {
    int status;
    std::string body;
    std::string contentType;
    std::string delivered;
  };
  const Case cases[] = {
      {200, *gb, "text/plain", text},
      {200, text, "application/json; charset=utf-8", text},
      {404, "gone", "text/plain", NSHTTPURLResponse::localizedStringForStatusCode(404)},
      {304, "", "text/plain", "(nil)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.status);
    server.clearScripts();
    server.script("/Notice/GetIAD.aspx",
                  EndpointScript::replyWith(c.body, c.status, c.contentType));
    receiver->replies.clear();
    int counted = ApplicationHelper::networkActivityCount();
    post->setPostAction(receiver->action(), receiver);
    post->reQuestNormalUrl("/Notice/GetIAD.aspx", params({{"keys", key}, {"std", "2.0"}}));
    EXPECT_EQ(ApplicationHelper::networkActivityCount(), counted + 1);
    ASSERT_TRUE(waitFor([&] { return drained(); }));
    MainLoop::pump();
    EXPECT_EQ(receiver->texts(), std::vector<std::string>{c.delivered});
  }
  auto seen = server.requests("/Notice/GetIAD.aspx");
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen[0].method, "GET");
  EXPECT_EQ(seen[0].query, "keys=" + key + "&std=2.0");
  EXPECT_TRUE(bar().empty());
}

TEST_F(PostSenderTest, ChannelUpdateCheckAnswersWhateverTheStatusAndNothingOnFailure) {
  server.script("/UnRead/CheckUpdate.aspx", EndpointScript::failWith(500, "later"));
  post->setPostAction(receiver->action(), receiver);
  post->checkChannelUpdate("/UnRead/CheckUpdate.aspx",
                           params({{"keys", key}, {"std", "2.0"}, {"channel_ids", "all"}}));
  ASSERT_TRUE(waitFor([&] { return !receiver->replies.empty(); }));
  EXPECT_EQ(receiver->texts(), std::vector<std::string>{"later"});

  pointConfigurationAt(apitest::closedBaseURL());
  receiver->replies.clear();
  post->setPostAction(receiver->action(), receiver);
  post->checkChannelUpdate("/UnRead/CheckUpdate.aspx", params({{"channel_ids", "all"}}));
  ASSERT_TRUE(waitFor([&] { return drained(); }));
  MainLoop::pump();
  EXPECT_TRUE(receiver->replies.empty());
}

TEST_F(PostSenderTest, TransportFailureGoesToTheReceiverOrTheBar) {
  pointConfigurationAt(apitest::closedBaseURL());
  post->setPostAction(receiver->action(), receiver);
  post->reQuestUrl("/Operates/StatusesUpdate.aspx", statusParams());
  ASSERT_TRUE(waitFor([&] { return !receiver->replies.empty(); }));
  ASSERT_TRUE(receiver->replies[0].isString());
  EXPECT_FALSE(receiver->replies[0].string().empty());
  EXPECT_EQ(bar(), Events{"message:" + localized("StartSend")});

  // With nobody to take it, the bar says the send failed.
  post->reQuestUrl("/Operates/StatusesUpdate.aspx", statusParams());
  ASSERT_TRUE(waitFor([&] { return drained(); }));
  EXPECT_EQ(bar(), Events{"message:" + localized("SendFail")});
  EXPECT_EQ(receiver->replies.size(), 1u);
}

TEST_F(PostSenderTest, ASendWithNothingRegisteredLeavesTheNextRegistrationAlone) {
  post->reQuestUrl("/Operates/StatusesUpdate.aspx", statusParams("第一条"));
  post->setPostAction(receiver->action(), receiver);
  post->reQuestUrl("/Operates/StatusesUpdate.aspx", statusParams("第二条"));
  ASSERT_TRUE(waitFor([&] { return drained(); }));
  MainLoop::pump();
  ASSERT_EQ(receiver->replies.size(), 1u);
  EXPECT_EQ(server.postedStatuses().size(), 2u);
}

}  // namespace

namespace {

TEST_F(PostSenderTest, FinishNoticeShowsWithTheOkMarkForASecond) {
  post->showFinishStatusBar("绑定成功!");
  EXPECT_EQ(bar(), Events{"ok:绑定成功!"});
  EXPECT_TRUE(window()->isOkShown());
  EXPECT_FALSE(window()->isSpinning());
  advance(0.9);
  EXPECT_FALSE(window()->isHidden());
  advance(0.1);
  EXPECT_FALSE(window()->isHidden());
  advance(0.5);
  EXPECT_TRUE(window()->isHidden());

  // No text: only the ok mark goes.
  window()->showWithStatusOk("好");
  window()->showWithStatusMessage(std::nullopt);
  EXPECT_FALSE(window()->isOkShown());
  EXPECT_EQ(window()->text(), "好");
}

}  // namespace

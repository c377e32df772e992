// The content-server client's own reply handlers: what comments, reposts, shares, product
// feedback, seminar posts and location reports post on the bus and show in the status bar;
// the channel lists of the wizard and of the server reaching the channel catalogue (the full
// list and finished channel pictures on worker threads); the banner list stored with its
// pictures; follow prompts; the parser's text cleaning and the tracked advert links.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "Foundation/NSBundle.h"
#include "Foundation/NSFileManager.h"
#include "Foundation/NSPathUtilities.h"
#include "Foundation/NSString.h"
#include "Foundation/NSThread.h"
#include "Foundation/NSURL.h"
#include "UIKit/UIAlertView.h"
#include "UIKit/UIImage.h"
#include "core/StoredKeys.h"
#include "core/UIFilePath.h"
#include "model/ChannelCatalogueFixture.h"
#include "model/ChannelItem.h"
#include "model/NSAdInfo.h"
#include "model/NSChannelAdDB.h"
#include "net/api/NSHxHttpRequest.h"
#include "net/api/ServerResult.h"
#include "net/api/WriteTestSupport.h"
#include "net/http/HXHTTPRequest.h"
#include "uilib/core/NSData+ULCategory.h"

namespace {

using namespace writetest;
using zept::server::EndpointScript;
using Events = std::vector<std::string>;

std::string localized(std::string_view key) {
  return NSBundle::mainBundle()->localizedStringForKey(key);
}

std::string stagedCatalogue() {
  return stringByAppendingPathComponent(NSDocumentDirectory(), kStagedChannelItemsFileName);
}

// Whether an all-channels list is staged ("channelNews" "1").
bool staged() {
  return NSConfig::readCacheValueWithKey(kChannelNewsKey, kChannelConfigStoreName) == Value("1");
}

void unstage() {
  NSConfig::setCacheValue(Value("0"), kChannelNewsKey, kChannelConfigStoreName);
  NSFileManager::defaultManager().removeItemAtPath(stagedCatalogue());
}

Value pendingDownloads() {
  return NSConfig::readDicWrithKey(kChannelMd5NewKey, kChannelConfigStoreName);
}

constexpr const char* kChannelList =
    R"([{"ID":101,"Name":"行业要闻","TemplateId":"EditorSuggestion"},)"
    R"({"ID":104,"Name":"渠道零售","TemplateId":"EditorSuggestion"}])";

class ReplyHandlersTest : public WriteTest {
 protected:
  void SetUp() override {
    WriteTest::SetUp();
    bus.observe(kCommentResult);
    bus.observe(kSeminarSendData);
    bus.observe(kChannelRefresh);
    bus.observe(kNewChannelsAdded);
  }
  void TearDown() override {
    UIAlertView::removeAllVisibleAlerts();
    WriteTest::TearDown();
  }
  bool barShowed(const std::string& event) const {
    auto bar = StandInRecorder::shownStatusBars();
    return std::find(bar.begin(), bar.end(), event) != bar.end();
  }
  static std::string cacheValue(std::string_view key) {
    return NSConfig::readCacheValueWithKey(key).description();
  }
};

TEST_F(ReplyHandlersTest, CommentsRepostsAndProductFeedbackReportOnTheBusAndInTheStatusBar) {
  struct Case {
    const char* name;
    RequestType type;
    Value data;
    // What "comment_result" carries afterwards ("type" or "type:data"); "" for nothing.
    std::string result;
    // The status-bar event that tells the reader the outcome; "" when none is due.
    std::string bar;
    // Whether the comment draft is cleared.
    bool clearsDraft;
  };
  const std::vector<Case> cases = {
      {"comment", RequestType::CommentStatus, strings({kCommentedStatus, "数据很扎实"}), "32",
       "ok:评论成功!", true},
      {"reply to a comment", RequestType::ReplyToComment,
       strings({kFirstComment, kCommentedStatus, "同意楼上"}), "32", "ok:评论成功!", true},
      {"comment on a deleted status", RequestType::CommentStatus, strings({kGoneStatus, "还在吗"}),
       "", "message:该微博已被作者删除", false},
      {"reply to a comment of another status", RequestType::ReplyToComment,
       strings({kFirstComment, "3589120000010001", "答非所问"}), "", "message:评论失败!", false},
      {"repost with comment", RequestType::RepostStatus,
       strings({kCommentedStatus, "推荐阅读", "1"}), "31", "", true},
      {"repost", RequestType::RepostStatus, strings({kCommentedStatus, "", "0"}), "11", "", true},
      {"repost with comment of a deleted status", RequestType::RepostStatus,
       strings({kGoneStatus, "推荐阅读", "1"}), "", "message:该微博已被作者删除", false},
      {"repost of a deleted status", RequestType::RepostStatus, strings({kGoneStatus, "", "0"}), "",
       "", false},
      {"seminar comment", RequestType::SeminarComment,
       strings({kCommentedStatus, "同问", "3", "1"}), "31", "", true},
      {"seminar repost", RequestType::SeminarRepost,
       strings({kCommentedStatus, "转给同行", "3", "1", "0"}), "11", "", true},
      {"product feedback", RequestType::ProductFeedback, strings({"好用", kProduct}), "117", "",
       false},
      {"feedback on no product", RequestType::ProductFeedback, strings({"好用", "1"}), "117", "",
       false},
      {"share an article", RequestType::ShareArticleToPlatform,
       strings({"9", "奶粉新政解读", "http://t.ziza.example/Mb7kQ2"}), "", "ok:分享成功 ！", false},
      {"share nothing", RequestType::ShareArticleToPlatform, strings({"9", "奶粉新政解读", ""}), "",
       "message:分享失败 ！", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    bus.clear();
    stand->clear("CHStatusBar");
    NSConfig::setValue(Value("未发出的评论"), kMsgTextKey);
    server.clearRequests();
    post(c.type, c.data);
    ASSERT_TRUE(waitFor([&] {
      auto seen = server.requests();
      return !seen.empty() && seen.back().status != 0;
    }));
    if (!c.result.empty()) {
      ASSERT_TRUE(waitFor([&] { return !bus.messages(kCommentResult).empty(); }));
      std::string expected = c.result;
      if (expected == "32") {
        // The comment as the server made it.
        auto messages = bus.messages(kCommentResult);
        ASSERT_EQ(messages.size(), 1u);
        Value comment = objectFromJSONString(messages[0].substr(3));
        EXPECT_EQ(comment["text"], c.data[c.type == RequestType::ReplyToComment ? 2 : 1]);
        EXPECT_NE(comment["id"].longLongValue(), 0);
      } else {
        EXPECT_EQ(bus.messages(kCommentResult), Events{expected});
      }
    }
    if (!c.bar.empty()) {
      EXPECT_TRUE(waitFor([&] { return barShowed(c.bar); }))
          << ::testing::PrintToString(StandInRecorder::shownStatusBars());
    }
    waitFor([] { return false; }, 0.1);
    if (c.result.empty()) {
      EXPECT_TRUE(bus.messages(kCommentResult).empty());
    }
    EXPECT_EQ(NSConfig::readValueWithKey(kMsgTextKey).description(),
              c.clearsDraft ? "" : "未发出的评论");
    advance(1.5);
  }
}

TEST_F(ReplyHandlersTest, ASeminarPostTellsTheWriteViewAndClearsOnlyItsSeminarsDraft) {
  const std::string draft1 = std::string(kSeminarDraftKeyPrefix) + "1";
  const std::string draft99 = std::string(kSeminarDraftKeyPrefix) + "99";
  NSConfig::setCacheValue(Value("会员积分怎么设计？"), draft1);
  NSConfig::setCacheValue(Value("没有这场研讨"), draft99);
  // The write view names the client's handler and no sender.
  auto send = [&](const char* text, const char* seminar) {
    bus.clear();
    postNotification(kGlobeRequest, strings({text, "1", seminar}), RequestType::SeminarPost,
                     sender->action("postDialogCallback:"), std::weak_ptr<NSObject>());
    EXPECT_TRUE(waitFor([&] { return !bus.messages(kSeminarSendData).empty(); }));
    return bus.messages(kSeminarSendData);
  };
  EXPECT_EQ(send("会员积分怎么设计？", "99"), Events{"0"});
  EXPECT_EQ(cacheValue(draft99), "没有这场研讨");
  EXPECT_EQ(send("会员积分怎么设计？", "1"), Events{"1"});
  EXPECT_EQ(cacheValue(draft1), "");
  EXPECT_EQ(cacheValue(draft99), "没有这场研讨");
  EXPECT_TRUE(sender->replies.empty());
  // The question is among the seminar's questions.
  Value posts = replyTo(RequestType::SeminarPosts, strings({"1", "1", "0", "1"}));
  EXPECT_EQ(posts["statuses"][0]["c_ziza_blogcontent"]["text"], Value("会员积分怎么设计？"));
}

TEST_F(ReplyHandlersTest, ALocationReplyRefreshesTheChannelOrMarksTheLocationRefused) {
  NSGlobe::getEngine()->setCurLocation({116.4, 39.9});
  NSGlobe::getEngine()->setLocationState(0);
  post(RequestType::UploadLocation, Value());
  ASSERT_TRUE(waitFor([&] { return !bus.messages(kChannelRefresh).empty(); }));
  auto refresh = bus.messages(kChannelRefresh);
  ASSERT_EQ(refresh.size(), 1u);
  ASSERT_EQ(refresh[0].substr(0, 4), "113:");
  Value reply = objectFromJSONString(refresh[0].substr(4));
  EXPECT_EQ(reply["ResultObj"]["group_name"], Value("华北"));
  EXPECT_EQ(NSGlobe::getEngine()->locationState(), 0);

  struct Case {
    const char* name;
    RequestType type;
    std::string reply;
    int state;
  };
  const std::vector<Case> refusals = {
      {"refused", RequestType::UploadLocation,
       R"({"ResultBoolean":false,"ResultCode":2,"ResultMsg":"无法定位"})", 3},
      {"no envelope", RequestType::UploadLocation, "<html>maintenance</html>", 3},
      {"refused again", RequestType::UploadLocationAfterError,
       R"({"ResultBoolean":false,"ResultCode":2,"ResultMsg":"无法定位"})", 0},
  };
  for (const Case& c : refusals) {
    SCOPED_TRACE(c.name);
    bus.clear();
    NSGlobe::getEngine()->setLocationState(0);
    server.clearScripts();
    server.script("/Locate/UserGroup.aspx", EndpointScript::replyWith(c.reply));
    postAndWait(c.type, Value(), "/Locate/UserGroup.aspx");
    waitFor([] { return false; }, 0.2);
    EXPECT_TRUE(bus.messages(kChannelRefresh).empty());
    EXPECT_EQ(NSGlobe::getEngine()->locationState(), c.state);
  }
}

TEST_F(ReplyHandlersTest, TheFullChannelListIsStagedOnAWorkerThread) {
  NSConfig::setCacheTempValue(Value("2013-06-05 08:00:00"), kChannelUpdateDateKey);
  auto client = ClientRequest::create();
  client->getAllChannels();
  ASSERT_TRUE(waitFor(staged));
  EXPECT_EQ(cacheValue(kChannelUpdateDateKey), "2013-06-05 08:00:00");
  EXPECT_TRUE(channel_test::entryIn(stagedCatalogue(), 105).isDictionary());

  // The staging takes the "channel_config" lock first.  Held by the main thread, it would not
  // stop a staging on the main thread (the lock is recursive); a worker waits for it.
  unstage();
  {
    std::lock_guard held(NSConfig::storeLock(kChannelConfigStoreName));
    client->getAllChannelsCallback(Value(kChannelList));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(staged());
  }
  ASSERT_TRUE(waitFor(staged));
  EXPECT_TRUE(channel_test::entryIn(stagedCatalogue(), 104).isDictionary());
  EXPECT_FALSE(channel_test::entryIn(stagedCatalogue(), 105).isDictionary());

  // A reply without channels stages nothing.
  unstage();
  client->getAllChannelsCallback(Value("[]"));
  client->getAllChannelsCallback(Value(ClientRequest::getErrorJsonString()));
  waitFor([] { return false; }, 0.2);
  EXPECT_FALSE(staged());
  EXPECT_FALSE(NSFileManager::defaultManager().fileExistsAtPath(stagedCatalogue()));
}

TEST_F(ReplyHandlersTest, TheSetupChoiceIsAcceptedOnlyForAReplyWithChannels) {
  const std::vector<int> before = channel_test::numbersOf(ChannelItem::getChannelList());
  ASSERT_NE(before.front(), 101);
  struct Case {
    const char* name;
    const char* stored;
    std::string reply;
    const char* after;
    bool applied;
  };
  const std::vector<Case> cases = {
      {"channels", "0", kChannelList, "1", true},
      {"no channels", "0", "[]", "2", false},
      {"refused", "0", R"({"ResultBoolean":false,"ResultCode":1,"ResultMsg":"请选择您的行业"})",
       "2", false},
      // The choice sent again at start-up.
      {"resent, channels", "2", kChannelList, "1", false},
      {"resent, transport failure", "2", ClientRequest::getErrorJsonString(), "2", false},
      {"resent, no channels", "2", "[]", "2", false},
  };
  auto client = ClientRequest::create();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    bus.clear();
    createBusyViews();
    startBusyAnimation();
    NSConfig::setCacheValue(Value(c.stored), kUserSetupInfoKey);
    client->userSelectSetupCallBack(Value(c.reply));
    EXPECT_EQ(cacheValue(kUserSetupInfoKey), c.after);
    std::vector<int> numbers = channel_test::numbersOf(ChannelItem::getChannelList());
    if (c.applied) {
      EXPECT_EQ(bus.messages(kNewChannelsAdded), Events{"(no message)"});
      // The stored channels the server's choice did not mention stay after the chosen ones.
      ASSERT_EQ(numbers.size(), before.size() + 2);
      EXPECT_EQ(std::vector<int>(numbers.begin(), numbers.begin() + 2),
                (std::vector<int>{101, 104}));
      EXPECT_EQ(std::vector<int>(numbers.begin() + 2, numbers.end()), before);
    } else {
      EXPECT_TRUE(bus.messages(kNewChannelsAdded).empty());
    }
    advance(0.5);
    EXPECT_EQ(StandInRecorder::shownBusyBox(), "");
  }

  // The wizard's profile reply replaces the catalogue with the server's channels.
  bus.clear();
  NSConfig::setCacheValue(Value("0"), kUserSetupInfoKey);
  EXPECT_FALSE(client->userSelectProfileCallBack(Value("[]")));
  EXPECT_EQ(cacheValue(kUserSetupInfoKey), "0");
  EXPECT_TRUE(bus.messages(kNewChannelsAdded).empty());
  EXPECT_TRUE(client->userSelectProfileCallBack(Value(kChannelList)));
  EXPECT_EQ(cacheValue(kUserSetupInfoKey), "1");
  EXPECT_EQ(channel_test::numbersOf(ChannelItem::getChannelList()), (std::vector<int>{101, 104}));
  auto added = bus.messages(kNewChannelsAdded);
  ASSERT_EQ(added.size(), 1u);
  EXPECT_EQ(added[0].substr(0, 4), "125:");
}

TEST_F(ReplyHandlersTest, TheStartUpResendOfTheIndustryChoiceReachesTheClientsHandler) {
  const std::string catalogue = channel_test::contents(ChannelItem::filePath());
  // The resend names no sender: the client takes the reply itself.
  NSConfig::setCacheValue(Value("2"), kUserSetupInfoKey);
  server.script("/Profile/UserIndustrySectorSaveV2.aspx", EndpointScript::failWith(500));
  postNotification(kGlobeRequest, strings({",母婴零售", ",企业管理者", ""}),
                   RequestType::SaveIndustryProfile);
  ASSERT_TRUE(server.waitForRequests("/Profile/UserIndustrySectorSaveV2.aspx", 1));
  waitFor([] { return false; }, 0.3);
  EXPECT_EQ(cacheValue(kUserSetupInfoKey), "2");

  server.clearScripts();
  postNotification(kGlobeRequest, strings({",母婴零售", ",企业管理者", ""}),
                   RequestType::SaveIndustryProfile);
  ASSERT_TRUE(waitFor([&] { return cacheValue(kUserSetupInfoKey) == "1"; }));
  // Accepted without touching the channels.
  EXPECT_TRUE(bus.messages(kNewChannelsAdded).empty());
  EXPECT_EQ(channel_test::contents(ChannelItem::filePath()), catalogue);
}

TEST_F(ReplyHandlersTest, TheNewChannelsReplyReplacesTheDownloadedChannels) {
  auto client = ClientRequest::engine();
  ChannelItem::setImageDownloader(client);
  auto storeWithDownloaded = [] {
    auto pages = ChannelItem::channelItems().value_or(ChannelItemPages{});
    ASSERT_FALSE(pages.empty());
    pages.back().push_back(channel_test::channel(103));
    channel_test::storeCatalogue(pages);
  };
  // A reply that is no list only takes the downloaded channels away, and says so at once.
  for (const char* reply : {"<html>busy</html>", R"({"ResultBoolean":false})"}) {
    SCOPED_TRACE(reply);
    storeWithDownloaded();
    bus.clear();
    client->getNewChannelsCallback(Value(reply));
    EXPECT_EQ(bus.messages(kNewChannelsAdded), Events{"(no message)"});
    EXPECT_FALSE(ChannelItem::getChannelItemByChannelId(103));
  }

  // A list brings its channels, announced once their pictures are on disk.
  storeWithDownloaded();
  bus.clear();
  const std::string img = server.url("/img/channel/102/");
  client->getNewChannelsCallback(
      Value(R"([{"ID":102,"Name":"进口食品","TemplateId":"EditorSuggestion",)"
            R"("Logo":")" +
            img + R"(icon@2x.png","Background":")" + img + R"(background@2x.png","NaviTitle":")" +
            img + R"(navigation@2x.png"}])"));
  EXPECT_TRUE(bus.messages(kNewChannelsAdded).empty());
  ASSERT_TRUE(waitFor([&] { return !bus.messages(kNewChannelsAdded).empty(); }));
  EXPECT_FALSE(ChannelItem::getChannelItemByChannelId(103));
  EXPECT_TRUE(ChannelItem::getChannelItemByChannelId(102));
  for (auto path :
       {UIFilePath::getNewChannelImageIcon(102), UIFilePath::getNewChannelImageBackground(102),
        UIFilePath::getNewChannelImageNavigation(102)})
    EXPECT_TRUE(NSFileManager::defaultManager().fileExistsAtPath(path)) << path;
}

TEST_F(ReplyHandlersTest, TheBannerListIsStoredAndItsMissingPicturesDownloaded) {
  NSConfig::setCacheTempValue(Value("2013-06-10 09:00:00"), kBannerListUpdateDataKey);
  ClientRequest::engine()->getBannerList();
  auto fileOf = [&](const std::string& name) {
    return UIFilePath::getImageWithPath(server.url("/img/banner/" + name)).value_or("");
  };
  const std::string summer = fileOf("banner_summer.jpg"), expo = fileOf("banner_expo.jpg");
  auto& files = NSFileManager::defaultManager();
  ASSERT_TRUE(
      waitFor([&] { return files.fileExistsAtPath(summer) && files.fileExistsAtPath(expo); }));
  EXPECT_TRUE(UIImage::imageWithContentsOfFile(summer));
  EXPECT_EQ(cacheValue(kBannerListUpdateDataKey), "2013-06-10 09:00:00");

  NSChannelAdDB table("list");
  std::vector<int64_t> ids;
  for (auto& item : table.queryItems()) {
    if (auto ad = std::dynamic_pointer_cast<NSAdInfo>(item)) ids.push_back(ad->adId);
  }
  std::sort(ids.begin(), ids.end());
  EXPECT_EQ(ids, (std::vector<int64_t>{501, 502, 503}));

  // Pictures that are there are not fetched again; the list is updated in place.
  waitFor([] { return false; }, 0.2);
  size_t downloads = server.requests("/img/banner/banner_summer.jpg").size();
  EXPECT_EQ(downloads, 1u);
  ClientRequest::engine()->getBannerList();
  ASSERT_TRUE(server.waitForRequests("/AD/GetBannerList.aspx", 2));
  waitFor([] { return false; }, 0.3);
  EXPECT_EQ(server.requests("/img/banner/banner_summer.jpg").size(), downloads);
  EXPECT_EQ(table.count(), 3);
}

TEST_F(ReplyHandlersTest, AFinishedChannelPictureIsCheckedByTheCatalogueOffTheMainThread) {
  const std::string picture =
      channel_test::contents(NSBundle::mainBundle()->resourcePath() + "/iconID1@2x.png");
  const std::string md5 = uppercaseString(md5Hash(picture));
  const std::string good = UIFilePath::getNewChannelImageIcon(101);
  const std::string bad = UIFilePath::getNewChannelImageNavigation(101);
  UIFilePath::makeSureFolderOf(good);
  ASSERT_TRUE(writeToFile(good, picture, true));
  ASSERT_TRUE(writeToFile(bad, "<html>busy</html>", true));
  auto pending = std::make_shared<NSMutableDictionary>();
  pending->setObject(Value("icon.png"), "101:0:" + md5);
  pending->setObject(Value("navigation.png"), "101:2:" + md5);
  NSConfig::setDicValue(Value(ValueDictionary(pending)), kChannelMd5NewKey,
                        kChannelConfigStoreName);
  auto finished = [&](const std::string& path, int kind) {
    auto request = NSHxHttpRequest::initRequestDNS("", nullptr, server.url("/pic/a.jpg"), 0);
    request->setDownloadDestinationPath(path);
    request->setTag(kind);
    request->setMtag(101);
    request->setLocalInfo(Value(makeArray({Value(md5)})));
    return Value(std::static_pointer_cast<HXHTTPRequest>(request));
  };

  // The download action the catalogue's downloads name.  The check takes the "channel_config"
  // lock, which the main thread holds meanwhile: a check on the main thread would go through.
  Selector handler = ClientRequest::engine()->replyHandlerNamed("imageAllFinish:");
  {
    std::lock_guard held(NSConfig::storeLock(kChannelConfigStoreName));
    handler(finished(good, kChannelImageIcon));
    handler(finished(bad, kChannelImageNavigation));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(pendingDownloads().count(), 2u);
  }
  // The picture of the announced MD5 is no longer pending; the page that is no picture is
  // deleted and stays pending.
  ASSERT_TRUE(waitFor([] { return pendingDownloads().count() == 1; }));
  EXPECT_TRUE(pendingDownloads()["101:2:" + md5].isString());
  EXPECT_TRUE(waitFor([&] { return !NSFileManager::defaultManager().fileExistsAtPath(bad); }));
  EXPECT_TRUE(NSFileManager::defaultManager().fileExistsAtPath(good));
}

TEST_F(ReplyHandlersTest, AFollowReplyAsksToFollowTheServicesAccountWhenTheReaderDoesNot) {
  auto client = ClientRequest::engine();
  client->relationshipCallback(Value(R"({"target":{"followed_by":true}})"));
  client->relationshipCallback(Value(R"({"source":{}})"));
  client->relationshipCallback(Value("not json"));
  EXPECT_TRUE(UIAlertView::visibleAlerts().empty());

  client->relationshipCallback(Value(R"({"target":{"id":5}})"));
  auto alerts = UIAlertView::visibleAlerts();
  ASSERT_EQ(alerts.size(), 1u);
  EXPECT_EQ(alerts[0]->title(), "温馨提示");
  EXPECT_EQ(alerts[0]->message(), "是否关注" + localized("SourceSubject"));
  EXPECT_EQ(alerts[0]->buttonTitleAtIndex(1), "确定");
  alerts[0]->dismissWithClickedButtonIndex(1, false);
  EXPECT_TRUE(server.waitForRequests("/Accounts/AttentionI.aspx", 1));

  client->attentionCallBack(Value(R"({"id":2010000004,"name":"hemiao"})"));
  client->attentionCallBack(Value("{}"));
  // The second prompt waits for the first.
  EXPECT_EQ(StandInRecorder::shownPrompt(), "添加关注成功");
  advance(2.05);
  EXPECT_EQ(StandInRecorder::shownPrompt(), "添加关注失败");
}

TEST_F(ReplyHandlersTest, TheParserEscapesItsSpecialPunctuation) {
  const std::vector<std::pair<Value, std::string>> cases = {
      {Value(), ""},
      {Value(""), ""},
      {Value("€5 £3 ¥8"), "&EUR$;5 &pound;3 &yuan;8"},
      {Value("•要点•"), "&dian;要点&dian;"},
      {Value("好\u2006^\u2006_\u2006^\u2006"), "好\u2006&smile;\u2006"},
      {Value("^ _ ^"), "^ _ ^"},
  };
  for (const auto& [text, escaped] : cases) {
    SCOPED_TRACE(text.description());
    EXPECT_EQ(ClientRequest::stringReplaceSpecialPunctuation(text), escaped);
  }
}

TEST_F(ReplyHandlersTest, AdvertLinksCarryTheKeyTheVersionAndTheAdvert) {
  auto ad = std::make_shared<NSAdInfo>();
  ad->adId = 601;
  ad->c_link_url = "http://ads.example/p";
  const std::string kv = "keys=" + key + "&std=2.0";
  NSGlobe::getEngine()->setSourceInfo("");
  NSGlobe::getEngine()->setSourceIds("");
  EXPECT_EQ(ClientRequest::addParameToUrl("http://x.example/a", ad, Value("101")),
            "http://x.example/a?channelid=101&" + kv + "&id=601");
  EXPECT_EQ(ClientRequest::getAdInfoUrl(ad), "http://ads.example/p?" + kv + "&id=601");
  EXPECT_EQ(ClientRequest::addAdParameToUrl(ad, Value("7"), Value("101")),
            "http://ads.example/p?eid=7&channelid=101&" + kv + "&id=601");
  EXPECT_EQ(ClientRequest::addAdParameToUrl(ad, Value(""), Value("101")),
            "http://ads.example/p?channelid=101&" + kv + "&id=601");
  EXPECT_EQ(ClientRequest::addParameToUrl("http://x.example/a", Value("7"), Value("101")),
            "http://x.example/a?eid=7&channelid=101&" + kv);
  EXPECT_EQ(ClientRequest::addParameToUrl("http://x.example/a", Value(), Value("101")),
            "http://x.example/a?channelid=101&" + kv);
  NSGlobe::getEngine()->setSourceInfo("search");
  NSGlobe::getEngine()->setSourceIds("5");
  EXPECT_EQ(ClientRequest::addAdParameToUrl(ad, Value("7"), Value("101")),
            "http://ads.example/p?eid=7&channelid=101&" + kv + "&id=601&source=search&ref_id=5");
}

}  // namespace

// The reading endpoints of the content-server client: paths, parameters in order, the paging
// rule, caching and the routes their replies take, against the local content server.
#include <gtest/gtest.h>

#include <filesystem>

#include "Foundation/NSFileManager.h"
#include "Foundation/NSPathUtilities.h"
#include "Foundation/NSURL.h"
#include "Foundation/NSUserDefaults.h"
#include "core/NSConfig.h"
#include "core/NSGlobe.h"
#include "core/NSMsgSend.h"
#include "core/NSObject+UIViewBusy.h"
#include "core/NSObject+notification.h"
#include "core/NotificationNames.h"
#include "core/UIFilePath.h"
#include "model/ChannelItem.h"
#include "net/api/ApiTestSupport.h"
#include "net/api/ClientPlatformAccount.h"
#include "net/api/ClientRequest.h"
#include "net/http/HXHTTPRequest.h"
#include "support/BusRecorder.h"

namespace {

using apitest::Receiver;
using zept::server::EndpointScript;
using zept::server::RecordedRequest;
using Params = std::vector<std::pair<std::string, std::string>>;

class FakeAccount : public ClientPlatformAccount {
 public:
  std::string uid;
  int logOuts = 0;
  bool isLoggedIn() override { return !uid.empty(); }
  bool isAuthorizeExpired() override { return false; }
  bool isAccountTimeOut() override { return false; }
  void logIn() override {}
  void logOut() override { ++logOuts; }
  std::string userID() override { return uid; }
};

bool exists(const std::string& path) {
  return NSFileManager::defaultManager().fileExistsAtPath(path);
}

std::string contents(const std::string& path) {
  auto bytes = dataWithContentsOfFile(path);
  return bytes ? std::string(*bytes) : "(missing)";
}

class ReadingEndpointsTest : public apitest::ServerClientTest {
 protected:
  void SetUp() override {
    ServerClientTest::SetUp();
    NSUserDefaults::standardUserDefaults()->setObject(Value(key), "registerClientKey");
    account = std::make_shared<FakeAccount>();
    ClientPlatformAccount::setCurrent(account);
    client = ClientRequest::create();
    receiver = Receiver::make();
  }
  void TearDown() override {
    ClientPlatformAccount::setCurrent(nullptr);
    ServerClientTest::TearDown();
  }

  // Runs one operation on the single request and returns what reached the server.
  RecordedRequest runOwn(const std::function<void()>& operation) {
    server.clearRequests();
    receiver->replies.clear();
    client->setAction(receiver->action(), receiver);
    operation();
    EXPECT_TRUE(waitFor([&] { return receiver->replies.size() == 1; }));
    auto all = server.requests();
    EXPECT_EQ(all.size(), 1u);
    return all.empty() ? RecordedRequest{} : all.back();
  }
  // The parameters after "keys" and "std", which lead every request.
  Params ownParams(const RecordedRequest& r) {
    Params got(r.queryParams.begin(), r.queryParams.end());
    EXPECT_GE(got.size(), 2u);
    if (got.size() < 2) return got;
    EXPECT_EQ(got[0], (std::pair<std::string, std::string>{"keys", key}));
    EXPECT_EQ(got[1], (std::pair<std::string, std::string>{"std", "2.0"}));
    got.erase(got.begin(), got.begin() + 2);
    return got;
  }
  std::string cacheFileOf(const RecordedRequest& r) {
    return UIFilePath::getFilePath(server.baseURL() + r.path + "?" + r.query).value_or("");
  }

  std::shared_ptr<FakeAccount> account;
  std::shared_ptr<ClientRequest> client;
  std::shared_ptr<Receiver> receiver;
};

TEST_F(ReadingEndpointsTest, ListOperationsSendTheirParametersInOrderAndCacheTheReply) {
  NSGlobe::getEngine()->setCurChannel("2");
  struct Case {
    const char* name;
    std::function<void(ClientRequest&)> call;
    const char* path;
    Params params;
    bool cached;
  };
  const Value nil;
  std::vector<Case> cases = {
      {"channel page 1",
       [&](ClientRequest& c) { c.getStatusWithChannelId("2", "1", "0", nil); },
       "/Channels/Channel.aspx",
       {{"page", "1"}, {"max_id", "0"}, {"channel_id", "2"}},
       true},
      {"channel page 2 with temp cursor",
       [&](ClientRequest& c) { c.getStatusWithChannelId("2", "2", "88", "3"); },
       "/Channels/Channel.aspx",
       {{"page", "2"}, {"since_id", "88"}, {"channel_id", "2"}, {"temp_id", "3"}},
       true},
      {"favourites without account",
       [&](ClientRequest& c) { c.getFavorityWithChannelId("6", "1", "0", nil); },
       "/Channels/Channel.aspx",
       {{"page", "1"}, {"max_id", "0"}, {"channel_id", "6"}},
       true},
      {"channel V2",
       [&](ClientRequest& c) { c.getStatusWithChannelIdV2("2", "1", "0", "5"); },
       "/Channels/ChannelV2.aspx",
       {{"page", "1"}, {"max_id", "0"}, {"channel_id", "2"}, {"ptype", "0"}},
       true},
      {"feed V2",
       [&](ClientRequest& c) { c.getStatusWithChannelIdAll("0", "3", "12", nil); },
       "/Channels/FeedV2.aspx",
       {{"page", "3"}, {"since_id", "12"}, {"channel_id", "0"}, {"ptype", "0"}},
       true},
      {"area without area id",
       [&](ClientRequest& c) { c.getStatusWithChannelIdAreaId("2", "1", "0", nil); },
       "/Channels/UserTimeline.aspx",
       {{"page", "1"}, {"max_id", "0"}},
       true},
      {"topic timeline",
       [&](ClientRequest& c) { c.getTopicDetailWithChannelId("1", "1", "0"); },
       "/Channels/TopicTimeline.aspx",
       {{"page", "1"}, {"max_id", "0"}, {"topicId", "1"}},
       true},
      {"topic list",
       [&](ClientRequest& c) { c.getTopicListWithChannelId("2", "1", "0"); },
       "/Trend/TopicList.aspx",
       {{"page", "1"}, {"max_id", "0"}},
       true},
      {"hot items",
       [&](ClientRequest& c) { c.getTuiJianWithChannelId("2", "1", "0"); },
       "/Channels/HotItems.aspx",
       {{"page", "1"}, {"max_id", "0"}, {"is2x", "1"}},
       true},
      {"new products, cursor first",
       [&](ClientRequest& c) { c.getNewProductWithChannelId("2", "1", "0"); },
       "/Channels/NewProduct.aspx",
       {{"max_id", "0"}, {"page", "1"}, {"is2x", "1"}},
       true},
      {"liked products",
       [&](ClientRequest& c) { c.getLikeProductWithChannelId("2", "2", "4"); },
       "/Channels/MyItems.aspx",
       {{"page", "2"}, {"since_id", "4"}, {"is2x", "1"}},
       true},
      {"search, no page",
       [&](ClientRequest& c) { c.getSearchWithKeyword("钢", "2", "30"); },
       "/Search/Search.aspx",
       {{"since_id", "30"}, {"keyword", "钢"}},
       true},
      {"seminar list",
       [&](ClientRequest& c) { c.getSeminiarWithChannelId("9", "1", "0"); },
       "/Dialog/GetDialogList.aspx",
       {{"page", "1"}, {"max_id", "0"}},
       true},
      {"watched posts",
       [&](ClientRequest& c) { c.getAttendList("9", "2001"); },
       "/Dialog/GetWatchDialogPost.aspx",
       {{"event_id", "9"}, {"u_id", "2001"}},
       true},
      {"watched detail",
       [&](ClientRequest& c) { c.getGenZongWenTi("9", "2001", "0", "1"); },
       "/Dialog/GetWatchDialogPostDetail.aspx",
       {{"event_id", "9"}, {"u_id", "2001"}, {"max_id", "0"}},
       true},
      {"companies without keyword",
       [&](ClientRequest& c) { c.getCompanyList("3", "", "1"); },
       "/VEZI/SearchCompany.aspx",
       {{"categoryId", "3"}, {"page", "1"}},
       true},
      {"companies with keyword",
       [&](ClientRequest& c) { c.getCompanyList("3", "钢", "1"); },
       "/VEZI/SearchCompany.aspx",
       {{"categoryId", "3"}, {"page", "1"}, {"keyword", "钢"}},
       false},
      {"expo", [&](ClientRequest& c) { c.getVEZIData(); }, "/VEZI/GetBanner.aspx", {}, true},
      {"hot words",
       [&](ClientRequest& c) { c.getHotSearchList(); },
       "/Search/Buzzwords.aspx",
       {},
       true},
      {"quotes",
       [&](ClientRequest& c) { c.getRealTimeQuotes(); },
       "/Quote/RealTimeQuoteList.aspx",
       {},
       true},
      {"certificates",
       [&](ClientRequest& c) { c.getCerSearch(); },
       "/Certificate/CertificateInquireList.aspx",
       {},
       true},
      {"trends", [&](ClientRequest& c) { c.getDaylyTrends(); }, "/Trend/Trends.aspx", {}, true},
      {"suggestion list",
       [&](ClientRequest& c) { c.getThirdAccoundList(); },
       "/Channels/SuggestionList.aspx",
       {},
       true},
      {"suggestions",
       [&](ClientRequest& c) { c.getThirdAccoundData("1", "2", "20"); },
       "/Channels/GetSuggestions.aspx",
       {{"suggestid", "1"}, {"page", "2"}, {"count", "20"}},
       true},
      {"like counts, capital I",
       [&](ClientRequest& c) { c.getLikeCount("2", "10", "5"); },
       "/Channels/CountInfo.aspx",
       {{"channel_ids", "2"}, {"max_Id", "10"}, {"since_Id", "5"}},
       false},
      {"vendors",
       [&](ClientRequest& c) { c.getYingTongDian(); },
       "/Shop/VendorList.aspx",
       {{"is2x", "1"}, {"lon", "0.000000"}, {"lat", "0.000000"}},
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RecordedRequest sent = runOwn([&] { c.call(*client); });
    EXPECT_EQ(sent.method, "GET");
    EXPECT_EQ(sent.path, c.path);
    EXPECT_EQ(ownParams(sent), c.params);
    std::string file = cacheFileOf(sent);
    EXPECT_EQ(exists(file), c.cached) << file;
    if (c.cached) {
      EXPECT_EQ(Value(contents(file)), receiver->replies[0]);
    }
  }
}

TEST_F(ReadingEndpointsTest, AReplyIsCachedAlsoWhenItsFolderWasJustRemovedByAnotherHand) {
  // The cache folder is seen, then removed behind the layout's back (the platform clearing
  // caches) right before the next request of the same list: the reply still arrives as it was
  // sent, and is cached.
  auto channelPage = [&] { client->getStatusWithChannelId("2", "1", "0", Value()); };
  auto first = runOwn(channelPage);
  UIFilePath::forgetKnownFolders();
  std::string cache = cacheFileOf(first);
  ASSERT_TRUE(exists(cache));
  std::error_code ec;
  std::filesystem::remove_all(NSLibraryDirectory() + "/Caches", ec);

  runOwn(channelPage);
  ASSERT_EQ(receiver->replies.size(), 1u);
  EXPECT_NE(receiver->replies[0], Value(ClientRequest::getErrorJsonString()));
  EXPECT_EQ(Value(contents(cache)), receiver->replies[0]);
}

TEST_F(ReadingEndpointsTest, FavouritesCarryTheBoundAccountsUserId) {
  account->uid = "2001";
  RecordedRequest sent =
      runOwn([&] { client->getFavorityWithChannelId("6", "1", "0", Value("4")); });
  EXPECT_EQ(ownParams(sent), (Params{{"page", "1"},
                                     {"max_id", "0"},
                                     {"channel_id", "6"},
                                     {"u_id", "2001"},
                                     {"temp_id", "4"}}));
}

TEST_F(ReadingEndpointsTest, TheSettingsOfARowAreOneShot) {
  client->setAction(receiver->action(), receiver);
  client->getLikeCount("2", "1", "0");
  ASSERT_TRUE(client->request());
  EXPECT_EQ(client->request()->timeOutSeconds(), 60);
  ASSERT_TRUE(waitFor([&] { return receiver->replies.size() == 1; }));
  EXPECT_EQ(client->timeOutSec(), 15);

  // No busy overlay for the vendor list, the overlay for the others.
  runOwn([&] {
    client->getYingTongDian();
    EXPECT_EQ(StandInRecorder::shownBusyBox(), "");
  });
  runOwn([&] {
    client->getVEZIData();
    EXPECT_EQ(StandInRecorder::shownBusyBox(), UIViewBusy::kLoadingText);
  });
  EXPECT_FALSE(client->needDownload());
  EXPECT_EQ(client->methodType(), 0);
  EXPECT_EQ(client->serverType(), 0);
}

TEST_F(ReadingEndpointsTest, ASearchWithoutKeywordSendsNothing) {
  client->setAction(receiver->action(), receiver);
  client->getSearchWithKeyword(Value(), "1", "0");
  client->getSearchWithKeyword("", "1", "0");
  EXPECT_FALSE(client->request());
  MainLoop::pump();
  EXPECT_TRUE(server.requests().empty());
}

TEST_F(ReadingEndpointsTest, ProductFeedbackGoesToTheProductsCacheFile) {
  RecordedRequest sent = runOwn([&] { client->getFanKuiList("3001"); });
  EXPECT_EQ(sent.path, "/Channels/ProductFeedback.aspx");
  EXPECT_EQ(ownParams(sent), (Params{{"is2x", "1"}, {"product_id", "3001"}}));
  EXPECT_EQ(Value(contents(UIFilePath::cacheProductPath("3001"))), receiver->replies[0]);
  EXPECT_FALSE(exists(cacheFileOf(sent)));
}

TEST_F(ReadingEndpointsTest, QueuedItemPagesReplyToTheirOwnReceiversSideBySide) {
  auto comments = Receiver::make(), article = Receiver::make(), content = Receiver::make();
  std::string link = "http://t.ziza.example/a1b2c3";
  client->getCommentList("9001", "2", "0", comments, comments->action());
  EXPECT_TRUE(client->needDownload());  // comment screens page on with the flag still set
  // Another status: an item page of the same status would share its cache file.
  client->showContent("7", "9002", "2", content, content->action(), "1", "0");
  client->getFullArticle(Value(makeArray({Value(link)})), article, article->action());
  ASSERT_TRUE(waitFor([&] {
    return comments->replies.size() == 1 && article->replies.size() == 1 &&
           content->replies.size() == 1;
  }));

  auto c = server.requests("/Channels/Comments.aspx");
  ASSERT_EQ(c.size(), 1u);
  EXPECT_EQ(ownParams(c[0]), (Params{{"max_id", "0"}, {"blog_id", "9001"}}));
  EXPECT_EQ(Value(contents(UIFilePath::cacheCommentPath("9001"))), comments->replies[0]);

  auto a = server.requests("/News/NewsReader.aspx");
  ASSERT_EQ(a.size(), 1u);
  EXPECT_EQ(ownParams(a[0]), (Params{{"c_url", link}}));
  EXPECT_EQ(Value(contents(*UIFilePath::localHTMLFilePath(link))), article->replies[0]);

  auto s = server.requests("/Channels/Show_Content.aspx");
  ASSERT_EQ(s.size(), 1u);
  EXPECT_EQ(ownParams(s[0]), (Params{{"isad", "0"},
                                     {"iscomments", "1"},
                                     {"blog_id", "9002"},
                                     {"eid", "7"},
                                     {"channelid", "2"}}));
}

TEST_F(ReadingEndpointsTest, PreparedPlatformListsNeedTheirTimeoutAndReportTokenErrors) {
  auto r = Receiver::make();
  client->getStatusComments("9001", Value(makeArray({Value(server.url("/tokenlist"))})), "0", r,
                            r->action());
  MainLoop::pump();
  EXPECT_TRUE(server.requests().empty());

  auto bus = Receiver::make();
  addObserverWithSelector(bus, bus->action(), kGlobeRequest);
  server.script("/tokenlist",
                EndpointScript::replyWith(R"({"error_code":21327,"error":"expired_token"})"));
  client->getStatusComments("9001",
                            Value(makeArray({Value(server.url("/tokenlist")), Value("30")})), "0",
                            r, r->action());
  ASSERT_TRUE(waitFor([&] { return r->replies.size() == 1; }));
  EXPECT_EQ(account->logOuts, 1);
  ASSERT_EQ(bus->replies.size(), 1u);
  EXPECT_EQ(NSMsgSend::fromNotification(bus->replies[0])->requestType(), RequestType::BindPrompt);
  EXPECT_EQ(Value(contents(UIFilePath::cacheCommentPath("9001"))), r->replies[0]);
  // A later page is not cached.
  client->getStatusRetweet("9002", Value(makeArray({Value(server.url("/tokenlist")), Value("30")})),
                           "55", r, r->action());
  ASSERT_TRUE(waitFor([&] { return r->replies.size() == 2; }));
  EXPECT_FALSE(exists(UIFilePath::cacheRetweetPath("9002")));
  removeObserver(bus);
}

TEST_F(ReadingEndpointsTest, AShortLinkTailReachesTheServerAsItsOneLinkParameter) {
  const std::vector<std::string> tails = {"a1b2c3&keys=ZZZ", "p=1&std=9", "x?y#z+w", "a%20b/c",
                                          "短链接"};
  for (const std::string& tail : tails) {
    SCOPED_TRACE(tail);
    for (bool withEvent : {false, true}) {
      Value link("http://t.ziza.example/" + tail);
      Value wrapped =
          withEvent ? ClientRequest::getWebHttp(link, "7", "2") : ClientRequest::getWebHttp(link);
      ASSERT_TRUE(wrapped.isString());
      size_t before = server.requests("/go_ziza.aspx").size();
      auto request = HXHTTPRequest::requestWithURL(NSURL::URLWithString(wrapped.string()));
      request->startSynchronous();
      auto seen = server.requests("/go_ziza.aspx");
      ASSERT_EQ(seen.size(), before + 1) << wrapped.string();
      std::vector<std::pair<std::string, std::string>> expected = {
          {"c_url", tail}, {"keys", key}, {"std", "2.0"}};
      if (withEvent) {
        expected.emplace_back("eid", "7");
        expected.emplace_back("channelid", "2");
      }
      EXPECT_EQ(seen.back().queryParams, expected);
    }
  }
}

TEST_F(ReadingEndpointsTest, LinksAndSuggestionCachePaths) {
  std::string base = NSConfig::engine()->serverURL();
  EXPECT_EQ(ClientRequest::getWebHttp(Value("http://t.ziza.example/a1b2c3")),
            Value(base + "/go_ziza.aspx?c_url=a1b2c3&keys=" + key + "&std=2.0"));
  EXPECT_EQ(ClientRequest::getWebHttp(Value("http://t.ziza.example/a1b2c3"), "7", "2"),
            Value(base + "/go_ziza.aspx?c_url=a1b2c3&keys=" + key + "&std=2.0&eid=7&channelid=2"));
  EXPECT_EQ(ClientRequest::getWebHttp(Value("http://other.example/x")),
            Value("http://other.example/x"));
  EXPECT_TRUE(ClientRequest::getWebHttp(Value()).isNil());

  // The suggestion lists' caches are found without sending anything.
  runOwn([&] { client->getThirdAccoundData("1", "2", "20"); });
  auto path43 = client->getRequestLocalPath(
      RequestType::Suggestions, Value(makeArray({Value("1"), Value("2"), Value("20")})));
  ASSERT_TRUE(path43);
  EXPECT_TRUE(exists(*path43)) << *path43;
  runOwn([&] { client->getThirdAccoundList(); });
  auto path42 = client->getRequestLocalPath(RequestType::SuggestionCategories, Value());
  ASSERT_TRUE(path42);
  EXPECT_TRUE(exists(*path42)) << *path42;
  EXPECT_FALSE(client->getRequestLocalPath(RequestType::LikeCount, Value()));
  NSUserDefaults::standardUserDefaults()->removeObjectForKey("registerClientKey");
  EXPECT_FALSE(client->getRequestLocalPath(RequestType::SuggestionCategories, Value()));
}

TEST_F(ReadingEndpointsTest, ChannelListRequestsGoThroughThePostSender) {
  auto lists = BusRecorder::observing({kNewChannelsAdded});
  auto login = receiver;
  addObserverWithSelector(login, login->action(), kLoginClientCallBack);
  client->getNewChannels();
  ASSERT_TRUE(waitFor([&] { return login->replies.size() == 1; }));
  auto sent = server.requests("/Channels/ChannelListV2.aspx");
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(ownParams(sent[0]), (Params{{"is2x", "1"}}));
  // The list reached the catalogue.
  EXPECT_EQ(lists->count(kNewChannelsAdded), 1);
  EXPECT_TRUE(ChannelItem::getChannelItemByChannelId(101));
  removeObserver(login);
}

}  // namespace

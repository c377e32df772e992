// The reading endpoints: channel lists and pages, statuses, comments, search, articles and the
// smaller catalogues, in the formats the app parses.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <set>

#include "ServerTestFixture.h"
#include "server/ServerCipher.h"

namespace zept::server::testing {
namespace {

class ContentEndpointsTest : public ServerTest {
 protected:
  void SetUp() override {
    ServerTest::SetUp();
    key = registerClient();
  }

  Json channelPage(const std::string& channelId, const std::string& page,
                   const std::string& cursorKey, const std::string& cursor) {
    return getJSON("/Channels/Channel.aspx", {{"keys", key},
                                              {"std", kStd},
                                              {"page", page},
                                              {cursorKey, cursor},
                                              {"channel_id", channelId}});
  }

  std::string key;
};

std::vector<int64_t> eidsOf(const Json& page) {
  std::vector<int64_t> out;
  for (auto& s : page["statuses"]) out.push_back(s["eid"].get<int64_t>());
  return out;
}

TEST_F(ContentEndpointsTest, ChannelPagesFollowTheCursorRules) {
  // Page 1 with "max_id" 0: the newest 20 of the channel's 45 items, newest first.
  Json p1 = channelPage("101", "1", "max_id", "0");
  EXPECT_EQ(true, p1["ResultBoolean"]);
  auto e1 = eidsOf(p1);
  ASSERT_EQ(20u, e1.size());
  EXPECT_TRUE(std::is_sorted(e1.rbegin(), e1.rend()));
  EXPECT_EQ(e1.front(), p1["previous_cursor"]);
  EXPECT_EQ(e1.back() - 1, p1["next_cursor"]);
  EXPECT_EQ(45, p1["total_number"]);
  ASSERT_EQ(20u, p1["CountInfo"].size());
  EXPECT_EQ(e1.front(), p1["CountInfo"][0]["id"]);
  EXPECT_EQ(p1["statuses"][0]["likes_count"], p1["CountInfo"][0]["likes"]);

  // Later pages carry the cursor under "since_id" and continue without overlap.
  Json p2 = channelPage("101", "2", "since_id", std::to_string(p1["next_cursor"].get<int64_t>()));
  auto e2 = eidsOf(p2);
  ASSERT_EQ(20u, e2.size());
  EXPECT_LT(e2.front(), e1.back());
  EXPECT_TRUE(std::is_sorted(e2.rbegin(), e2.rend()));
  Json p3 = channelPage("101", "3", "since_id", std::to_string(p2["next_cursor"].get<int64_t>()));
  auto e3 = eidsOf(p3);
  ASSERT_EQ(5u, e3.size());
  EXPECT_LT(e3.front(), e2.back());
  EXPECT_TRUE(p3["next_cursor"].is_null()) << "the end of the list";
  std::set<int64_t> all(e1.begin(), e1.end());
  all.insert(e2.begin(), e2.end());
  all.insert(e3.begin(), e3.end());
  EXPECT_EQ(45u, all.size());

  // A refresh carries the newest id shown under "max_id" and gets only what is newer.
  Json fresh = channelPage("101", "1", "max_id", std::to_string(e1.front()));
  EXPECT_TRUE(fresh["statuses"].empty());
  EXPECT_EQ(0, fresh["total_number"]);
  Json newer = channelPage("101", "1", "max_id", std::to_string(e1[3]));
  EXPECT_EQ(std::vector<int64_t>(e1.begin(), e1.begin() + 3), eidsOf(newer));
  EXPECT_EQ(3, newer["total_number"]);
}

TEST_F(ContentEndpointsTest, ChannelIdsNameChannelsSubChannelsAndFeeds) {
  struct Case {
    std::string path, param, id;
    size_t count;
  };
  const std::vector<Case> cases = {
      {"/Channels/Channel.aspx", "channel_id", "102", 8},
      {"/Channels/Channel.aspx", "channel_id", "1021", 2},  // a sub-channel id
      {"/Channels/Channel.aspx", "channel_id", "1030", 8},  // channel 103, no sub-channel
      {"/Channels/Channel.aspx", "channel_id", "1032", 2},  // channel 103, sub-channel 2
      {"/Channels/Channel.aspx", "channel_id", "1041", 6},  // channel 104 has no sub-channels
      {"/Channels/Channel.aspx", "channel_id", "4", 0},     // favourites: none kept yet
      // The app's bundled channels, which the channel list leaves out.
      {"/Channels/Channel.aspx", "channel_id", "1", 20},  // a full first page
      {"/Channels/Channel.aspx", "channel_id", "21", 6},  // not channel 2's first sub-channel
      {"/Channels/Channel.aspx", "channel_id", "140", 8},
      {"/Channels/Channel.aspx", "channel_id", "142", 2},
      {"/Channels/Channel.aspx", "channel_id", "30", 18},
      {"/Channels/ChannelV2.aspx", "channel_id", "105", 7},
      {"/Channels/Feed.aspx", "channel_ids", "1021-1041", 8},  // the subscribed feed
      {"/Channels/Feed.aspx", "channel_ids", "1021,1022", 4},
  };
  for (auto& c : cases) {
    Json j = getJSON(
        c.path, {{"keys", key}, {"std", kStd}, {"page", "1"}, {"max_id", "0"}, {c.param, c.id}});
    EXPECT_EQ(true, j["ResultBoolean"]) << c.id;
    EXPECT_EQ(c.count, j["statuses"].size()) << c.path << " " << c.id;
    auto e = eidsOf(j);
    EXPECT_TRUE(std::is_sorted(e.rbegin(), e.rend())) << c.id;
    EXPECT_EQ(e.size(), std::set<int64_t>(e.begin(), e.end()).size()) << c.id;
  }
  Json unknown = channelPage("999", "1", "max_id", "0");
  EXPECT_EQ(false, unknown["ResultBoolean"]);
  EXPECT_EQ("频道不存在: 999", unknown["ResultMsg"]);
}

TEST_F(ContentEndpointsTest, StatusesCarryUsersPicturesAndRepostsAtTheAddressUsed) {
  // The app reaches the server under the service's host names; addresses follow the Host.
  auto r =
      get("/Channels/Channel.aspx",
          {{"keys", key}, {"std", kStd}, {"page", "1"}, {"max_id", "0"}, {"channel_id", "101"}},
          {{"Host", "api.zept.example"}});
  ASSERT_TRUE(r);
  Json page = Json::parse(r->body);
  const Json* withPicture = nullptr;
  const Json* repost = nullptr;
  for (auto& s : page["statuses"]) {
    EXPECT_TRUE(s["user"].is_object());
    EXPECT_FALSE(s["user"]["screen_name"].get<std::string>().empty());
    EXPECT_EQ(0u, s["user"]["profile_image_url"].get<std::string>().rfind(
                      "http://api.zept.example/avatar/", 0));
    // "Thu Jun 13 18:02:00 +0800 2013"
    EXPECT_EQ(30u, s["created_at"].get<std::string>().size());
    if (s.contains("thumbnail_pic") && !withPicture) withPicture = &s;
    if (s.contains("retweeted_status") && !repost) repost = &s;
  }
  ASSERT_NE(nullptr, withPicture);
  ASSERT_NE(nullptr, repost);
  EXPECT_TRUE((*repost)["retweeted_status"]["user"].is_object());
  EXPECT_NE((*repost)["id"], (*repost)["retweeted_status"]["id"]);

  // The app derives the larger sizes from the thumbnail address.
  std::string thumb = (*withPicture)["thumbnail_pic"];
  const std::string prefix = "http://api.zept.example";
  ASSERT_EQ(0u, thumb.rfind(prefix + "/pic/thumbnail/", 0));
  std::string path = thumb.substr(prefix.size());
  std::string bigger = path;
  bigger.replace(bigger.find("thumbnail"), 9, "large");
  EXPECT_EQ(prefix + bigger, (*withPicture)["original_pic"]);
  auto small = get(path);
  auto large = get(bigger);
  ASSERT_TRUE(small && large);
  EXPECT_EQ(200, small->status);
  EXPECT_EQ("image/jpeg", small->get_header_value("Content-Type"));
  EXPECT_EQ(0, large->body.compare(0, 3, "\xFF\xD8\xFF"));
  EXPECT_GT(large->body.size(), small->body.size());
  std::string avatar = (*withPicture)["user"]["profile_image_url"];
  auto png = get(avatar.substr(prefix.size()));
  ASSERT_TRUE(png);
  EXPECT_EQ(0, png->body.compare(0, 8, "\x89PNG\r\n\x1a\n"));

  // A Host that is no plain host name does not make it into the reply.
  auto odd =
      get("/Channels/Channel.aspx",
          {{"keys", key}, {"std", kStd}, {"page", "1"}, {"max_id", "0"}, {"channel_id", "2"}},
          {{"Host", "x\"><script>"}});
  ASSERT_TRUE(odd);
  Json oddPage = Json::parse(odd->body);
  EXPECT_EQ(0u, oddPage["statuses"][0]["user"]["profile_image_url"].get<std::string>().rfind(
                    server.baseURL() + "/avatar/", 0));

  // The animated form of a photo, in the same three sizes.
  auto gifSmall = get("/pic/thumbnail/o_funding_day.gif");
  auto gifLarge = get("/pic/large/o_funding_day.gif");
  ASSERT_TRUE(gifSmall && gifLarge);
  EXPECT_EQ(200, gifLarge->status);
  EXPECT_EQ("image/gif", gifLarge->get_header_value("Content-Type"));
  EXPECT_EQ(0, gifLarge->body.compare(0, 6, "GIF89a"));
  EXPECT_EQ(0, gifLarge->body.compare(gifLarge->body.size() - 1, 1, ";"));
  EXPECT_GT(gifLarge->body.size(), gifSmall->body.size());

  for (const char* bad : {"/pic/huge/a.jpg", "/pic/large/a.png", "/pic/large/..%2Fdata.gif",
                          "/pic/large/..%2Fdata.jpg", "/avatar/1.png", "/img/channel/999/icon.png",
                          "/nothing.aspx"}) {
    auto nf = get(bad);
    ASSERT_TRUE(nf) << bad;
    EXPECT_EQ(404, nf->status) << bad;
  }
}

TEST_F(ContentEndpointsTest, ChannelListDescribesEveryChannelWithMatchingPictures) {
  for (const char* retina : {"0", "1"}) {
    Json list =
        getJSON("/Channels/ChannelListV2.aspx", {{"keys", key}, {"std", kStd}, {"is2x", retina}});
    ASSERT_TRUE(list.is_array());
    ASSERT_EQ(13u, list.size());
    for (auto& c : list) {
      for (const char* k :
           {"ID",           "Name",     "ApiAddress", "Logo",    "Background",    "NaviTitle",
            "ChannelTitle", "LogoMD5",  "BackMD5",    "NaviMD5", "ChannelMD5",    "Index",
            "IsSubscribe",  "Fixed",    "IsLike",     "Enabled", "IsRecommended", "Visible",
            "NightImg",     "NightMD5", "TemplateId"})
        EXPECT_TRUE(c.contains(k)) << c["ID"] << " " << k;
      if (c["ID"].get<int>() < 100) {
        // The app's own pictures.
        EXPECT_EQ("", c["Logo"]);
        EXPECT_EQ("", c["LogoMD5"]);
        continue;
      }
      std::string logo = c["Logo"];
      EXPECT_NE(std::string::npos, logo.find(retina[0] == '1' ? "@2x.png" : "icon.png"));
      auto base = server.baseURL();
      ASSERT_EQ(0u, logo.rfind(base, 0));
      for (auto [url, md5] : {std::pair<const char*, const char*>{"Logo", "LogoMD5"},
                              {"NaviTitle", "NaviMD5"},
                              {"NightImg", "NightMD5"}}) {
        std::string address = c[url];
        auto image = get(address.substr(base.size()));
        ASSERT_TRUE(image);
        std::string sum = md5Hex(image->body);
        for (char& x : sum) x = static_cast<char>(std::toupper(static_cast<unsigned char>(x)));
        EXPECT_EQ(c[md5], sum) << address;
      }
    }
  }
  Json list =
      getJSON("/Channels/CustomChannel.aspx", {{"keys", key}, {"std", kStd}, {"is2x", "0"}});
  auto brand = std::find_if(list.begin(), list.end(), [](auto& c) { return c["ID"] == 102; });
  ASSERT_NE(list.end(), brand);
  EXPECT_EQ("LocalSubscription", (*brand)["TemplateId"]);
  EXPECT_EQ(Json::array({"1021", "1022", "1023", "1024"}), (*brand)["subChannelIds"]);
}

TEST_F(ContentEndpointsTest, SearchMatchesTextAndAuthorsAndNamesTheQuery) {
  Json milk = getJSON("/Search/Search.aspx",
                      {{"keys", key}, {"std", kStd}, {"max_id", "0"}, {"keyword", "奶粉"}});
  ASSERT_FALSE(milk["statuses"].empty());
  for (auto& s : milk["statuses"])
    EXPECT_NE(std::string::npos, s["text"].get<std::string>().find("奶粉")) << s["text"];
  EXPECT_GE(milk["total_number"].get<size_t>(), milk["statuses"].size());
  EXPECT_NE(0, milk["query_id"]);
  Json again = getJSON("/Search/Search.aspx",
                       {{"keys", key}, {"std", kStd}, {"max_id", "0"}, {"keyword", "奶粉"}});
  EXPECT_EQ(milk["query_id"], again["query_id"]);

  // A name that only the author's profile carries.
  Json doctor = getJSON("/Search/Search.aspx",
                        {{"keys", key}, {"std", kStd}, {"max_id", "0"}, {"keyword", "林医生"}});
  ASSERT_FALSE(doctor["statuses"].empty());
  for (auto& s : doctor["statuses"]) EXPECT_EQ("育儿专家林医生", s["user"]["screen_name"]);

  Json empty = getJSON("/Search/Search.aspx", {{"keys", key}, {"std", kStd}, {"max_id", "0"}});
  EXPECT_EQ(false, empty["ResultBoolean"]);
}

TEST_F(ContentEndpointsTest, CommentsPageBackwardsAndTheItemPageCarriesTheFirstPage) {
  Json page = channelPage("101", "1", "max_id", "0");
  std::string statusId = std::to_string(page["statuses"][0]["id"].get<int64_t>());
  ASSERT_EQ(25, page["statuses"][0]["comments_count"]);

  Json c1 = getJSON("/Channels/Comments.aspx",
                    {{"keys", key}, {"std", kStd}, {"max_id", "0"}, {"blog_id", statusId}});
  ASSERT_EQ(20u, c1["comments"].size());
  EXPECT_EQ(25, c1["total_number"]);
  int64_t next = c1["next_cursor"];
  EXPECT_LT(next, c1["comments"][19]["id"].get<int64_t>());
  Json c2 = getJSON(
      "/Channels/Comments.aspx",
      {{"keys", key}, {"std", kStd}, {"max_id", std::to_string(next)}, {"blog_id", statusId}});
  ASSERT_EQ(5u, c2["comments"].size());
  EXPECT_EQ(next, c2["comments"][0]["id"]);
  EXPECT_EQ(0, c2["next_cursor"]) << "no further page";
  EXPECT_TRUE(c2["comments"][0]["user"].is_object());

  Json content = getJSON("/Channels/Show_Content.aspx", {{"keys", key},
                                                         {"std", kStd},
                                                         {"isad", "0"},
                                                         {"iscomments", "1"},
                                                         {"blog_id", statusId},
                                                         {"eid", "0"},
                                                         {"channelid", "101"}});
  EXPECT_EQ(c1["comments"], content["zizacomments"]["comments"]);
  EXPECT_EQ(25, content["zizacomments"]["total_number"]);
  EXPECT_FALSE(content.contains("adInfo"));

  // Answers carry the comment they answer.
  bool sawReply = false;
  Json first = channelPage("101", "1", "max_id", "0");
  for (auto& s : first["statuses"]) {
    Json cs =
        getJSON("/Channels/Comments.aspx", {{"keys", key},
                                            {"std", kStd},
                                            {"max_id", "0"},
                                            {"blog_id", std::to_string(s["id"].get<int64_t>())}});
    for (auto& c : cs["comments"]) sawReply |= c.contains("reply_comment");
  }
  EXPECT_TRUE(sawReply);
  Json unknown = getJSON("/Channels/Comments.aspx",
                         {{"keys", key}, {"std", kStd}, {"max_id", "0"}, {"blog_id", "1"}});
  EXPECT_EQ(false, unknown["ResultBoolean"]);
}

TEST_F(ContentEndpointsTest, ArticlesHaveReaderPagesWebPagesAndACachedStylesheet) {
  auto reader = get("/News/NewsReader.aspx", {{"keys", key},
                                              {"std", kStd},
                                              {"c_url", "http://t.ziza.example/Mb7kQ2"},
                                              {"channelID", "101"}});
  ASSERT_TRUE(reader);
  EXPECT_EQ("text/html; charset=utf-8", reader->get_header_value("Content-Type"));
  const std::string& html = reader->body;
  EXPECT_NE(std::string::npos, html.find("<title>配方注册细则解读：中小奶粉品牌如何应对</title>"));
  EXPECT_NE(std::string::npos, html.find("<meta name=\"host\" content=\"母婴商业评论\" />"));
  EXPECT_NE(std::string::npos, html.find("id=\"readOverlay\""));
  // The reader swaps this link for its local copy: rel="stylesheet", then href="....css".
  size_t rel = html.find("rel=\"stylesheet\"");
  ASSERT_NE(std::string::npos, rel);
  size_t href = html.find("href=\"", rel);
  EXPECT_EQ(href + 6, html.find(server.baseURL() + "/css/readability.css", rel));

  Json missing = getJSON("/News/NewsReader.aspx",
                         {{"keys", key}, {"std", kStd}, {"c_url", "http://t.ziza.example/zzzzz"}});
  EXPECT_EQ(false, missing["ResultBoolean"]);

  auto go = get("/go_ziza.aspx", {{"c_url", "Rt3xP9"}, {"keys", key}, {"std", kStd}});
  ASSERT_TRUE(go);
  EXPECT_EQ(302, go->status);
  std::string location = go->get_header_value("Location");
  EXPECT_EQ(server.baseURL() + "/news/Rt3xP9.html", location);
  auto page = get(location.substr(server.baseURL().size()));
  ASSERT_TRUE(page);
  EXPECT_EQ(200, page->status);
  EXPECT_NE(std::string::npos, page->body.find("贝乐宝新一轮融资背后"));

  auto css = get("/css/readability.css");
  ASSERT_TRUE(css);
  EXPECT_EQ(200, css->status);
  EXPECT_NE(std::string::npos, css->body.find("style-ebook"));
  std::string modified = css->get_header_value("Last-Modified");
  ASSERT_FALSE(modified.empty());
  // The app's own date form: no leading zero on the day.
  auto same =
      get("/css/readability.css", {}, {{"If-Modified-Since", "Mon, 3 Jun 2013 00:00:00 GMT"}});
  ASSERT_TRUE(same);
  EXPECT_EQ(304, same->status);
  auto older =
      get("/css/readability.css", {}, {{"If-Modified-Since", "Sat, 1 Jun 2013 00:00:00 GMT"}});
  ASSERT_TRUE(older);
  EXPECT_EQ(200, older->status);
}

TEST_F(ContentEndpointsTest, UpdateCheckStampsChannelsWithTheirNewestItem) {
  Json newest = channelPage("101", "1", "max_id", "0")["statuses"][0];
  Json check = getJSON("/UnRead/CheckUpdate.aspx",
                       {{"keys", key}, {"std", kStd}, {"channel_ids", "101,1021-1041,999"}});
  ASSERT_EQ(2u, check["channels"].size()) << "unknown ids are left out";
  EXPECT_EQ("101", check["channels"][0]["cids"]);
  EXPECT_EQ("2013-06-13 18:02:00", check["channels"][0]["updt"]);
  EXPECT_EQ("Thu Jun 13 18:02:00 +0800 2013", newest["created_at"]);
  std::set<std::string> kinds;
  for (auto& o : check["otherchannels"]) kinds.insert(o["cids"]);
  EXPECT_EQ((std::set<std::string>{"others", "topics", "bannerdt", "dialog", "vezi", "iad"}),
            kinds);
  Json all = getJSON("/UnRead/CheckUpdate.aspx", {{"keys", key}, {"std", kStd}});
  EXPECT_GT(all["channels"].size(), 13u) << "channels and sub-channels";
}

TEST_F(ContentEndpointsTest, OtherReadingEndpointsAnswerInTheShapesTheAppParses) {
  int64_t product = server.data().products().front()->eid;
  struct Case {
    std::string path;
    std::vector<std::pair<std::string, std::string>> params;
    std::string listKey;  // empty: the reply is the list itself
    size_t count;
  };
  const std::vector<Case> cases = {
      {"/Trend/TopicList.aspx", {{"page", "1"}, {"max_id", "0"}}, "TopicList", 4},
      {"/Trend/TopicList.aspx", {{"page", "2"}, {"since_id", "0"}}, "TopicList", 0},
      {"/Channels/TopicTimeline.aspx",
       {{"page", "1"}, {"max_id", "0"}, {"topicId", "3"}},
       "statuses",
       7},
      {"/Channels/HotItems.aspx", {{"page", "1"}, {"max_id", "0"}, {"is2x", "1"}}, "statuses", 10},
      {"/Channels/NewProduct.aspx", {{"max_id", "0"}, {"page", "1"}, {"is2x", "1"}}, "statuses", 6},
      {"/Channels/MyItems.aspx", {{"page", "1"}, {"max_id", "0"}, {"is2x", "1"}}, "statuses", 0},
      {"/Channels/UserTimeline.aspx",
       {{"page", "1"}, {"max_id", "0"}, {"group_id", "2"}},
       "statuses",
       4},
      {"/Channels/FeedV2.aspx",
       {{"page", "1"}, {"max_id", "0"}, {"channel_id", "0"}, {"ptype", "0"}},
       "statuses",
       20},
      {"/Dialog/GetDialogList.aspx", {{"page", "1"}, {"max_id", "0"}}, "", 2},
      {"/Dialog/GetDialogPost.aspx",
       {{"page", "1"}, {"event_id", "1"}, {"max_id", "0"}, {"type", "1"}},
       "statuses",
       2},
      {"/Dialog/GetWatchDialogPost.aspx", {{"event_id", "1"}, {"u_id", "2010000007"}}, "", 0},
      {"/Dialog/GetWatchDialogPostDetail.aspx",
       {{"event_id", "1"}, {"u_id", "1"}, {"max_id", "0"}},
       "statuses",
       0},
      {"/VEZI/SearchCompany.aspx", {{"categoryId", "2"}, {"page", "1"}}, "cbmexpocompanys", 2},
      {"/VEZI/SearchCompany.aspx",
       {{"categoryId", "0"}, {"page", "1"}, {"keyword", "安亲"}},
       "cbmexpocompanys",
       1},
      {"/VEZI/GetBanner.aspx", {}, "cbmexpoitems", 3},
      {"/Search/Buzzwords.aspx", {}, "", 6},
      {"/Channels/ProductFeedback.aspx",
       {{"is2x", "1"}, {"product_id", std::to_string(product)}},
       "",
       2},
      {"/Quote/RealTimeQuoteList.aspx", {}, "", 4},
      {"/Certificate/CertificateInquireList.aspx", {}, "", 3},
      {"/Trend/Trends.aspx", {}, "", 6},
      {"/Channels/SuggestionList.aspx", {}, "channels", 2},
      {"/Channels/GetSuggestions.aspx",
       {{"suggestid", "1,2"}, {"page", "1"}, {"count", "20"}},
       "",
       2},
      {"/Channels/CountInfo.aspx",
       {{"channel_ids", "105"}, {"max_Id", "0"}, {"since_Id", "0"}},
       "CountInfo",
       7},
      {"/Shop/VendorList.aspx",
       {{"is2x", "1"}, {"lon", "121.4"}, {"lat", "31.2"}},
       "ShopBrandList",
       3},
  };
  for (auto& c : cases) {
    std::string target = c.path + "?keys=" + key + "&std=" + kStd;
    for (auto& [k, v] : c.params) target += "&" + k + "=" + query({{"", v}}).substr(1);
    auto r = client->Get(target.c_str());
    ASSERT_TRUE(r) << target;
    EXPECT_EQ(200, r->status) << target;
    Json j = Json::parse(r->body);
    const Json& list = c.listKey.empty() ? j : j[c.listKey];
    ASSERT_TRUE(list.is_array()) << target << "\n" << r->body.substr(0, 300);
    EXPECT_EQ(c.count, list.size()) << target;
  }

  // Records the app maps key by key.
  Json seminars =
      getJSON("/Dialog/GetDialogList.aspx", {{"keys", key}, {"std", kStd}, {"page", "1"}});
  EXPECT_EQ("暖阳母婴连锁", seminars[0]["host"][0]["c_ziza_usercontent"]["screen_name"]);
  Json posts =
      getJSON("/Dialog/GetDialogPost.aspx",
              {{"keys", key}, {"std", kStd}, {"page", "1"}, {"event_id", "1"}, {"max_id", "0"}});
  EXPECT_EQ(1, posts["statuses"][0]["c_event_Id"]);
  EXPECT_TRUE(posts["statuses"][0]["c_ziza_blogcontent"]["user"].is_object());
  Json message = getJSON("/Notice/GetIAD.aspx", {{"keys", key}, {"std", kStd}});
  EXPECT_GT(message["id"].get<int>(), 0);
  EXPECT_TRUE(message["link"].is_object());
  Json products = getJSON("/Channels/NewProduct.aspx",
                          {{"keys", key}, {"std", kStd}, {"max_id", "0"}, {"page", "1"}});
  // Prices travel as the server's entity for the yuan sign.
  EXPECT_NE(std::string::npos, products["statuses"][0]["text"].get<std::string>().find("&yuan;"));
}

TEST_F(ContentEndpointsTest, SamplePicturesCarryAWeakETagAndAnswerTheirTagWith304) {
  auto first = get("/img/sample/cat.png");
  ASSERT_TRUE(first);
  EXPECT_EQ(first->status, 200);
  EXPECT_EQ(first->get_header_value("Content-Type"), "image/png");
  EXPECT_EQ(first->get_header_value("ETag"), "W/\"v1\"");
  EXPECT_EQ(first->body.substr(1, 3), "PNG");

  // The tag it gave, weak or strong, is "not modified"; another version's is not.
  auto again = get("/img/sample/cat.png", {}, {{"If-None-Match", "\"v1\""}});
  ASSERT_TRUE(again);
  EXPECT_EQ(again->status, 304);
  EXPECT_EQ(again->body, "");
  auto changed = get("/img/sample/cat.png", {{"v", "v2"}}, {{"If-None-Match", "W/\"v1\""}});
  ASSERT_TRUE(changed);
  EXPECT_EQ(changed->status, 200);
  EXPECT_EQ(changed->get_header_value("ETag"), "W/\"v2\"");
  EXPECT_EQ(changed->body, first->body);

  // A chosen length pads or cuts the body.
  auto padded = get("/img/sample/cat.png", {{"length", "150001"}});
  ASSERT_TRUE(padded);
  EXPECT_EQ(padded->get_header_value("Content-Length"), "150001");
  EXPECT_EQ(padded->body.substr(0, first->body.size()), first->body);
  auto cut = get("/img/sample/cat.png", {{"length", "8"}});
  ASSERT_TRUE(cut);
  EXPECT_EQ(cut->body, first->body.substr(0, 8));

  // A delay holds the answer back.
  auto start = std::chrono::steady_clock::now();
  auto slow = get("/img/sample/cat.png", {{"delay", "300"}});
  ASSERT_TRUE(slow);
  EXPECT_EQ(slow->status, 200);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));

  auto bad = get("/img/sample/../cat.png");
  ASSERT_TRUE(bad);
  EXPECT_EQ(bad->status, 404);
}

}  // namespace
}  // namespace zept::server::testing

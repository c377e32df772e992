// What clients write: who may post, what a post about a missing status is answered with, what
// each reader's favourites and closed adverts are, the profile wizard's lists, and that writes
// and reads running side by side lose nothing.
#include <gtest/gtest.h>

#include <thread>

#include "ServerTestFixture.h"

namespace zept::server::testing {
namespace {

constexpr const char* kReader = "2010000004";
constexpr const char* kOtherReader = "2010000005";
constexpr const char* kStatus = "3589120000010087";  // by 2010000002, with comments
constexpr const char* kGone = "3589120000099999";

class PostingEndpointsTest : public ServerTest {
 protected:
  void SetUp() override {
    ServerTest::SetUp();
    key = registerClient();
  }
  // A post-host form: "keys" and "std" in the query, the rest in the form.
  Json write(const std::string& path, Params form) {
    return postJSON(path, {{"keys", key}, {"std", kStd}}, form);
  }
  Json read(const std::string& path, std::initializer_list<std::pair<std::string, std::string>> p) {
    std::vector<std::pair<std::string, std::string>> all = {{"keys", key}, {"std", kStd}};
    all.insert(all.end(), p.begin(), p.end());
    std::string target = path + "?";
    for (auto& [k, v] : all) target += k + "=" + v + "&";
    auto r = client->Get(target.c_str());
    EXPECT_TRUE(r);
    return r ? Json::parse(r->body) : Json();
  }
  std::vector<std::string> wallTexts() {
    Json page =
        read("/Channels/Channel.aspx", {{"channel_id", "2"}, {"page", "1"}, {"max_id", "0"}});
    std::vector<std::string> out;
    for (auto& s : page["statuses"]) out.push_back(s["text"]);
    return out;
  }

  std::string key;
};

TEST_F(PostingEndpointsTest, PostsNeedAPlatformAccountNamedOrBound) {
  struct Case {
    const char* path;
    std::initializer_list<std::pair<std::string, std::string>> form;
  };
  const Case cases[] = {
      {"/Operates/StatusesUpdate.aspx", {{"content", "新店开业"}}},
      {"/Operates/StatusesRepost.aspx", {{"blog_id", kStatus}, {"content", "转"}}},
      {"/Operates/StatusesComment.aspx", {{"blog_id", kStatus}, {"content", "赞"}}},
      {"/Dialog/DialogPost.aspx", {{"content", "请问"}, {"type", "1"}, {"event_id", "1"}}},
      {"/operates/ShareToZizaWeibo.aspx", {{"pro_id", "20001"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    Json refused = write(c.path, c.form);
    EXPECT_EQ(false, refused["ResultBoolean"]);
    EXPECT_EQ("请先绑定微博账号", refused["ResultMsg"]);
  }
  // The account the client bound counts as named.
  postJSON("/Accounts/Bind.aspx", {{"keys", key}, {"std", kStd}},
           {{"uid", kReader}, {"token", "T"}});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    Json accepted = write(c.path, c.form);
    EXPECT_NE("请先绑定微博账号", accepted.value("ResultMsg", "")) << accepted.dump();
  }
  // An unregistered client may not post at all.
  Json anonymous =
      postJSON("/Operates/StatusesUpdate.aspx", {{"keys", kFallbackKey}, {"std", kStd}},
               {{"u_id", kReader}, {"content", "x"}});
  EXPECT_EQ(false, anonymous["ResultBoolean"]);
}

TEST_F(PostingEndpointsTest, WritingAboutAMissingStatusOrCommentIsAnsweredWithThePlatformsCodes) {
  // Comments answer in the platform's own dialect.
  Json comment = write("/Operates/StatusesComment.aspx",
                       {{"u_id", kReader}, {"blog_id", kGone}, {"content", "还在吗"}});
  EXPECT_EQ(20101, comment["error_code"]);
  Json reply = write("/Operates/StatusesCommentReply.aspx", {{"u_id", kReader},
                                                             {"blog_id", "3589120000010001"},
                                                             {"content", "答非所问"},
                                                             {"cid", "4000000000000001"}});
  EXPECT_EQ(20204, reply["error_code"]);
  Json made = write(
      "/Operates/StatusesCommentReply.aspx",
      {{"u_id", kReader}, {"blog_id", kStatus}, {"content", "同意"}, {"cid", "4000000000000001"}});
  EXPECT_NE(0, made.value("id", int64_t{0}));
  EXPECT_EQ(4000000000000001, made["reply_comment"]["id"]);
  EXPECT_EQ(std::stoll(kReader), made["user"]["id"]);

  // The content host's envelope carries the same code, with the message the app shows.
  for (const char* path : {"/Operates/StatusesRepost.aspx", "/Operates/FavoritesCreate.aspx",
                           "/Operates/StatusesDestroy.aspx", "/Dialog/DialogComment.aspx"}) {
    SCOPED_TRACE(path);
    Json gone = write(path, {{"u_id", kReader}, {"blog_id", kGone}, {"content", "x"}});
    EXPECT_EQ(false, gone["ResultBoolean"]);
    EXPECT_EQ(20101, gone["ResultCode"]);
    EXPECT_EQ("该微博已被作者删除", gone["ResultMsg"]);
  }
}

TEST_F(PostingEndpointsTest, OnlyTheAuthorDeletesAStatus) {
  Json posted = write("/Operates/StatusesUpdate.aspx", {{"u_id", kReader}, {"content", "试营业"}});
  std::string id = std::to_string(posted["ResultObj"]["id"].get<int64_t>());
  EXPECT_EQ("试营业", wallTexts().front());
  Json refused = write("/Operates/StatusesDestroy.aspx", {{"blog_id", id}, {"u_id", kOtherReader}});
  EXPECT_EQ(false, refused["ResultBoolean"]);
  EXPECT_EQ("试营业", wallTexts().front());
  Json deleted = write("/Operates/StatusesDestroy.aspx", {{"blog_id", id}, {"u_id", kReader}});
  EXPECT_EQ(true, deleted["ResultBoolean"]);
  EXPECT_NE("试营业", wallTexts().front());
  // Its comments went with it.
  Json comments = read("/Channels/Comments.aspx", {{"blog_id", id}});
  EXPECT_EQ(false, comments["ResultBoolean"]);
}

TEST_F(PostingEndpointsTest, ClosedAdvertsStayClosedForTheirReaderOnly) {
  Json adverts = read("/AD/ADChannelList.aspx", {{"channelid", "104"}});
  ASSERT_EQ(2u, adverts.size());
  EXPECT_EQ(std::string("http://127.0.0.1:") + std::to_string(server.port()) +
                "/img/banner/ad_channel_retail.jpg",
            adverts[0]["c_img"]);
  read("/AD/AD_Hide.aspx", {{"id", "702"}, {"channelID", "104"}});
  adverts = read("/AD/ADChannelList.aspx", {{"channelid", "104"}});
  ASSERT_EQ(1u, adverts.size());
  EXPECT_EQ(703, adverts[0]["c_id"]);
  std::string other = key;
  key = registerClient();
  EXPECT_EQ(2u, read("/AD/ADChannelList.aspx", {{"channelid", "104"}}).size());
  key = other;
  EXPECT_TRUE(read("/AD/ADChannelList.aspx", {{"channelid", "999"}}).empty());

  // The item advert, and the banner list with its small pictures.
  EXPECT_EQ(601, read("/AD/AD_Get.aspx", {{"eid", "7"}})["c_id"]);
  Json banners = read("/AD/GetBannerList.aspx", {{"is2x", "0"}});
  ASSERT_EQ(3u, banners.size());
  auto large = get("/img/banner/banner_summer.jpg"),
       small = get("/img/banner/banner_summer.jpg_290x60");
  ASSERT_TRUE(large && small);
  EXPECT_EQ(200, small->status);
  EXPECT_EQ("image/jpeg", small->get_header_value("Content-Type"));
  EXPECT_LT(small->body.size(), large->body.size());
  EXPECT_EQ(404, get("/img/banner/banner_summer.jpg_100x10")->status);
}

TEST_F(PostingEndpointsTest, TheProfileWizardsListsAndSteps) {
  Json options = read("/Profile/UserProfileOption.aspx", {});
  EXPECT_EQ(true, options["enable"]);
  EXPECT_FALSE(options["industrysectorlist"].empty());
  EXPECT_FALSE(options["jobtitlelist"].empty());
  EXPECT_FALSE(options["businesstypes"].empty());
  EXPECT_FALSE(options["interest"].empty());

  Json first = read("/Profile/UserGuide.aspx", {});
  EXPECT_EQ("industry", first["type"]);
  EXPECT_EQ("job", first["nexttype"]);
  EXPECT_EQ(true, first["hasnext"]);
  EXPECT_EQ(options["industrysectorlist"], first["industrysectorlist"]);
  Json second = read("/Profile/UserGuide.aspx", {{"type", "job"}});
  EXPECT_EQ("job", second["type"]);
  EXPECT_EQ("none", second["nexttype"]);
  EXPECT_EQ(false, second["hasnext"]);

  // A choice is answered with the channel list; no choice is refused.
  Json refused = read("/Profile/UserIndustrySectorSaveV2.aspx", {{"is2x", "1"}});
  EXPECT_EQ(false, refused["ResultBoolean"]);
  Json channels =
      read("/Profile/UserIndustrySectorSaveV2.aspx", {{"industrySector", "%2C1"}, {"is2x", "1"}});
  ASSERT_TRUE(channels.is_array());
  EXPECT_FALSE(channels.empty());
  EXPECT_TRUE(read("/Profile/ProfileRegister.aspx", {{"interest", "31"}}).is_array());
}

TEST_F(PostingEndpointsTest, PostsAndReadsSideBySideLoseNothing) {
  size_t before = wallTexts().size();
  constexpr int kWriters = 4, kPosts = 10;
  std::vector<std::thread> threads;
  std::atomic<int> failures{0};
  for (int w = 0; w < kWriters; ++w) {
    threads.emplace_back([&, w] {
      httplib::Client c("127.0.0.1", server.port());
      for (int i = 0; i < kPosts; ++i) {
        std::string text = "w" + std::to_string(w) + "-" + std::to_string(i);
        auto r = c.Post(
            ("/Operates/StatusesUpdate.aspx?" + query({{"keys", key}, {"std", kStd}})).c_str(),
            query({{"u_id", kReader}, {"content", text}}), "application/x-www-form-urlencoded");
        if (!r || Json::parse(r->body)["ResultBoolean"] != true) ++failures;
      }
    });
    threads.emplace_back([&] {
      httplib::Client c("127.0.0.1", server.port());
      for (int i = 0; i < kPosts; ++i) {
        auto r = c.Get(("/Channels/FeedV2.aspx?" +
                        query({{"keys", key}, {"std", kStd}, {"channel_id", "0"}, {"max_id", "0"}}))
                           .c_str());
        if (!r || r->status != 200) ++failures;
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(0, failures);
  EXPECT_EQ(size_t(kWriters * kPosts), server.postedStatuses().size());
  Json page = read("/Channels/Channel.aspx", {{"channel_id", "2"}, {"page", "1"}, {"max_id", "0"}});
  EXPECT_EQ(before + kWriters * kPosts, page["total_number"].get<size_t>());
}

}  // namespace
}  // namespace zept::server::testing

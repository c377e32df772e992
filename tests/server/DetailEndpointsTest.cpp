// What the item detail view reads from the content server: the whole-content reply with the
// item's advert and first comment page, the comment pages, the reader page of the status's
// short link and the favourite toggles, all over loopback.
#include "server/ServerTestFixture.h"

namespace zept::server::testing {
namespace {

// The demo status of the news channel that links an article and has comments (its eid; the
// content pages take either id).
constexpr const char* kLinkedStatus = "10038";

class DetailEndpointsTest : public ServerTest {
 protected:
  void SetUp() override {
    ServerTest::SetUp();
    key = registerClient();
  }
  Json wholeContent(const std::string& isad, const std::string& iscomments) {
    return getJSON("/Channels/Show_Content.aspx", {{"keys", key},
                                                   {"std", kStd},
                                                   {"isad", isad},
                                                   {"iscomments", iscomments},
                                                   {"blog_id", kLinkedStatus},
                                                   {"eid", "0"},
                                                   {"channelid", "101"}});
  }
  std::string key;
};

TEST_F(DetailEndpointsTest, TheWholeContentCarriesTheItemAdvertUntilTheReaderClosesIt) {
  Json both = wholeContent("1", "1");
  ASSERT_TRUE(both.contains("adinfo"));
  EXPECT_EQ(601, both["adinfo"]["c_id"]);
  EXPECT_EQ(true, both["adinfo"]["c_can_close"]);
  std::string picture = both["adinfo"]["c_img"];
  EXPECT_EQ(0u, picture.rfind("http://127.0.0.1:", 0)) << picture;
  EXPECT_TRUE(both["zizacomments"]["comments"].is_array());
  EXPECT_EQ(4u, both["zizacomments"]["comments"].size());

  // The advert alone, as asked when the comments are cached.
  Json advertOnly = wholeContent("1", "0");
  EXPECT_TRUE(advertOnly.contains("adinfo"));
  EXPECT_FALSE(advertOnly.contains("zizacomments"));
  // Adverts off: none.
  EXPECT_FALSE(wholeContent("0", "1").contains("adinfo"));

  // The picture the banner downloads is served.
  auto banner = client->Get(picture.substr(picture.find('/', 7)) + "_290x60");
  ASSERT_TRUE(banner);
  EXPECT_EQ(200, banner->status);
  EXPECT_FALSE(banner->body.empty());

  Json closed = getJSON("/Ad/Ad_Hide.aspx", {{"keys", key}, {"std", kStd}, {"id", "601"}});
  EXPECT_EQ(true, closed["ResultBoolean"]);
  EXPECT_FALSE(wholeContent("1", "1").contains("adinfo"));
}

TEST_F(DetailEndpointsTest, TheLinkedStatusHasCommentsAndItsShortLinkReadsAsAnArticle) {
  // The linked status is on the news channel's second page.
  auto channelPage = [&](const std::string& page, const std::string& cursor,
                         const std::string& value) {
    return getJSON(
        "/Channels/Channel.aspx",
        {{"keys", key}, {"std", kStd}, {"channel_id", "101"}, {"page", page}, {cursor, value}});
  };
  Json first = channelPage("1", "max_id", "0");
  Json second = channelPage("2", "since_id", std::to_string(first["next_cursor"].get<int64_t>()));
  const Json* linked = nullptr;
  for (auto& s : second["statuses"])
    if (std::to_string(s["eid"].get<int64_t>()) == kLinkedStatus) linked = &s;
  ASSERT_TRUE(linked);
  const std::string blogId = std::to_string((*linked)["id"].get<int64_t>());
  EXPECT_NE(std::string((*linked)["text"]).find("http://t.ziza.example/Rt3xP9"), std::string::npos);
  EXPECT_EQ(4, (*linked)["comments_count"]);
  EXPECT_GT((*linked)["reposts_count"].get<int>(), 0);

  Json comments = getJSON("/Channels/Comments.aspx",
                          {{"keys", key}, {"std", kStd}, {"max_id", "0"}, {"blog_id", blogId}});
  EXPECT_EQ(4u, comments["comments"].size());
  EXPECT_EQ(0, comments["next_cursor"]);

  auto reader = get("/News/NewsReader.aspx", {{"keys", key},
                                              {"std", kStd},
                                              {"c_url", "http://t.ziza.example/Rt3xP9"},
                                              {"channelID", "101"},
                                              {"weiboId", blogId},
                                              {"eId", "0"}});
  ASSERT_TRUE(reader);
  EXPECT_EQ(200, reader->status);
  EXPECT_NE(reader->body.find("<title>"), std::string::npos);
  EXPECT_NE(reader->body.find("<meta name=\"host\""), std::string::npos);
  EXPECT_NE(reader->body[0], '0') << "a reply beginning with 0 reads as a failed article";

  // The second short link, which the view tries when the first fails, is an article too.
  std::string text = (*linked)["text"];
  size_t link2 = text.find("http://t.ziza.example/", text.find("Rt3xP9"));
  ASSERT_NE(link2, std::string::npos);
  auto next = get("/News/NewsReader.aspx",
                  {{"keys", key}, {"std", kStd}, {"c_url", text.substr(link2, 28)}});
  ASSERT_TRUE(next);
  EXPECT_NE(next->body.find("<title>"), std::string::npos);
}

}  // namespace
}  // namespace zept::server::testing

// The local microblog platform over https: the OAuth2 login page and token exchange, the token
// errors of the REST methods, and the demo accounts' timelines, comments and friendships.
#include <gtest/gtest.h>
#include <httplib.h>

#include <nlohmann/json.hpp>

#include "server/PlatformServer.h"
#include "support/TestHTTPServer.h"

namespace {

using Json = nlohmann::json;
using zept::server::PlatformServer;

constexpr const char* kClient = "2718093456";
constexpr const char* kSecret = "5e1f0a9c3b7d2468ace013579bdf2468";
constexpr const char* kRedirect = "http://www.zept.example/callback.aspx";
constexpr int64_t kReader = 3100000001;
constexpr int64_t kEditor = 3100000002;

class PlatformServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto files =
        testsupport::TestCertificateAuthority::issueServerCertificate({"api.ziza.example"});
    PlatformServer::Options options;
    options.certificateFile = files.certificatePath;
    options.keyFile = files.keyPath;
    server = std::make_unique<PlatformServer>(options);
    port = server->start();
    client = std::make_unique<httplib::SSLClient>("127.0.0.1", port);
    // The certificate is checked against the test authority.
    client->set_ca_cert_path(
        testsupport::TestCertificateAuthority::shared().caCertificatePath.c_str());
    client->enable_server_certificate_verification(true);
  }

  httplib::Result login(const std::string& user, const std::string& password,
                        const std::string& redirect = kRedirect) {
    return client->Post("/oauth2/authorize", httplib::Params{{"client_id", kClient},
                                                             {"redirect_uri", redirect},
                                                             {"userId", user},
                                                             {"passwd", password}});
  }
  httplib::Result exchange(const std::string& code, const std::string& secret = kSecret) {
    return client->Post("/oauth2/access_token?client_id=" + std::string(kClient) +
                            "&client_secret=" + secret +
                            "&grant_type=authorization_code&redirect_uri=http%3A%2F%2Fwww.zept."
                            "example%2Fcallback.aspx&code=" +
                            code,
                        "", "application/x-www-form-urlencoded");
  }
  Json get(const std::string& target, int expectedStatus = 200) {
    auto res = client->Get(target.c_str());
    EXPECT_TRUE(res);
    if (!res) return {};
    EXPECT_EQ(res->status, expectedStatus) << target << " " << res->body;
    return Json::parse(res->body);
  }
  Json post(const std::string& path, const httplib::Params& form, int expectedStatus = 200) {
    auto res = client->Post(path.c_str(), form);
    EXPECT_TRUE(res);
    if (!res) return {};
    EXPECT_EQ(res->status, expectedStatus) << path << " " << res->body;
    return Json::parse(res->body);
  }

  std::unique_ptr<PlatformServer> server;
  std::unique_ptr<httplib::SSLClient> client;
  int port = 0;
};

TEST_F(PlatformServerTest, ALoginGivesACodeThatBuysOneTokenOfThatAccount) {
  auto page = client->Get(
      "/oauth2/authorize?client_id=2718093456&response_type=code"
      "&redirect_uri=http%3A%2F%2Fwww.zept.example%2Fcallback.aspx&display=mobile");
  ASSERT_TRUE(page);
  EXPECT_EQ(page->status, 200);
  EXPECT_NE(page->body.find("id=\"userId\""), std::string::npos);
  EXPECT_NE(page->body.find("error_code=21330"), std::string::npos);

  auto wrong = login("reader@zept.example", "nope");
  ASSERT_TRUE(wrong);
  EXPECT_EQ(wrong->status, 200);
  EXPECT_NE(wrong->body.find("帐号或密码错误"), std::string::npos);

  auto ok = login("reader@zept.example", "reader-pass");
  ASSERT_TRUE(ok);
  ASSERT_EQ(ok->status, 302);
  std::string location = ok->get_header_value("Location");
  ASSERT_EQ(location.rfind(std::string(kRedirect) + "?code=", 0), 0u);
  std::string code = location.substr(location.find("code=") + 5);

  EXPECT_EQ(Json::parse(exchange(code, "wrong-secret")->body)["error_code"], 21324);
  auto token = exchange(code);
  ASSERT_EQ(token->status, 200);
  Json reply = Json::parse(token->body);
  EXPECT_EQ(reply["uid"], std::to_string(kReader));
  EXPECT_EQ(reply["expires_in"], 86400);
  EXPECT_EQ(reply["remind_in"], "86400");
  // Spent.
  EXPECT_EQ(Json::parse(exchange(code)->body)["error_code"], 21325);

  Json me = get("/2/users/show.json?access_token=" + reply["access_token"].get<std::string>());
  EXPECT_EQ(me["id"], kReader);
  EXPECT_EQ(me["screen_name"], "阅读者小周");

  // Another app's address never gets a code.
  EXPECT_EQ(login("reader@zept.example", "reader-pass", "http://elsewhere.example/")->status, 400);
}

TEST_F(PlatformServerTest, TheRestMethodsNeedAValidToken) {
  EXPECT_EQ(get("/2/statuses/mentions.json", 403)["error_code"], 21301);
  EXPECT_EQ(get("/2/statuses/mentions.json?access_token=made-up", 400)["error_code"], 21332);
  std::string token = server->issueToken(kReader);
  server->expireToken(token);
  EXPECT_EQ(get("/2/statuses/mentions.json?access_token=" + token, 400)["error_code"], 21327);
  std::string other = server->issueToken(kReader);
  server->revokeToken(other);
  EXPECT_EQ(get("/2/statuses/mentions.json?access_token=" + other, 400)["error_code"], 21332);
  EXPECT_EQ(
      Json::parse(client->Get("/2/statuses/destroy.json?id=1&access_token=x")->body)["error_code"],
      10021);
}

TEST_F(PlatformServerTest, TheLinkedNewsStatusHasCommentAndRepostPagesForTheDetailView) {
  // The content server's status with the article link, as a bound reader's detail view asks
  // for its first comment and repost pages.
  const std::string t = "access_token=" + server->issueToken(kReader);
  Json comments = get("/2/comments/show.json?id=3589120000010038&max_id=0&count=20&" + t);
  ASSERT_EQ(comments["comments"].size(), 2u);
  EXPECT_EQ(comments["comments"][0]["user"]["screen_name"], "行业编辑部");
  Json reposts = get("/2/statuses/repost_timeline.json?id=3589120000010038&max_id=0&count=20&" + t);
  ASSERT_EQ(reposts["reposts"].size(), 3u);
  EXPECT_EQ(reposts["reposts"][0]["retweeted_status"]["id"], 3589120000010038);
  EXPECT_EQ(reposts["next_cursor"], 0);
  EXPECT_EQ(reposts["total_number"], 3);
  // Pages of two, newest first: the cursor is the max_id of the next page.
  Json page1 = get("/2/statuses/repost_timeline.json?id=3589120000010038&max_id=0&count=2&" + t);
  ASSERT_EQ(page1["reposts"].size(), 2u);
  EXPECT_GT(page1["reposts"][0]["id"], page1["reposts"][1]["id"]);
  EXPECT_EQ(page1["total_number"], 3);
  Json cursor = page1["next_cursor"];
  ASSERT_TRUE(cursor.is_number_integer());
  EXPECT_LT(cursor, page1["reposts"][1]["id"]);
  EXPECT_EQ(reposts["reposts"][2]["id"], cursor);
  Json page2 =
      get("/2/statuses/repost_timeline.json?id=3589120000010038&count=2&max_id=" + cursor.dump() +
          "&" + t);
  ASSERT_EQ(page2["reposts"].size(), 1u);
  EXPECT_EQ(page2["reposts"][0]["id"], cursor);
  EXPECT_EQ(page2["next_cursor"], 0);
  Json shown = get("/2/statuses/show.json?id=3589120000010038&" + t);
  EXPECT_EQ(shown["comments_count"], 2);
  EXPECT_EQ(shown["reposts_count"], 3);
}

TEST_F(PlatformServerTest, TimelinesCommentsAndFriendshipsFollowTheDemoData) {
  const std::string t = "access_token=" + server->issueToken(kReader);
  Json friends = get("/2/statuses/friends_timeline.json?count=3&" + t);
  ASSERT_EQ(friends["statuses"].size(), 3u);
  EXPECT_GT(friends["statuses"][0]["id"].get<int64_t>(),
            friends["statuses"][1]["id"].get<int64_t>());
  Json older = get("/2/statuses/friends_timeline.json?count=20&max_id=3600000000000002&" + t);
  for (auto& s : older["statuses"]) EXPECT_LE(s["id"].get<int64_t>(), 3600000000000002);

  Json mine = get("/2/statuses/user_timeline.json?page=1&count=1&" + t);
  EXPECT_EQ(mine["total_number"], 2);
  ASSERT_EQ(mine["statuses"].size(), 1u);
  EXPECT_EQ(mine["statuses"][0]["retweeted_status"]["id"], 3600000000000001);
  EXPECT_EQ(get("/2/statuses/mentions.json?" + t)["statuses"].size(), 1u);
  EXPECT_EQ(get("/2/comments/to_me.json?" + t)["comments"].size(), 2u);
  EXPECT_EQ(get("/2/comments/show.json?id=3600000000000003&" + t)["comments"].size(), 2u);
  EXPECT_EQ(get("/2/statuses/show.json?id=42&" + t, 400)["error_code"], 20101);

  Json relation = get("/2/friendships/show.json?source_id=3100000001&target_id=3100000002&" + t);
  EXPECT_EQ(relation["source"]["following"], true);
  EXPECT_EQ(relation["target"]["followed_by"], true);
  EXPECT_EQ(
      post("/2/friendships/create.json",
           {{"access_token", t.substr(13)}, {"screen_name", "行业编辑部"}}, 400)["error_code"],
      20506);
  post("/2/friendships/destroy.json", {{"access_token", t.substr(13)}, {"uid", "3100000002"}});
  EXPECT_FALSE(server->follows(kReader, kEditor));
  EXPECT_EQ(get("/2/friendships/friends.json?" + t)["users"].size(), 1u);

  // Only the author deletes a status; a deleted one is gone from every list.
  EXPECT_EQ(post("/2/statuses/destroy.json",
                 {{"access_token", t.substr(13)}, {"id", "3600000000000002"}}, 400)["error_code"],
            20112);
  post("/2/statuses/destroy.json", {{"access_token", t.substr(13)}, {"id", "3600000000000003"}});
  EXPECT_EQ(get("/2/statuses/user_timeline.json?" + t)["total_number"], 1);

  Json unread = get("/2/remind/unread_count.json?uid=3100000001&" + t);
  EXPECT_EQ(unread["mention_status"], 1);
  post("/2/remind/set_count.json", {{"access_token", t.substr(13)}, {"type", "mention_status"}});
  EXPECT_EQ(get("/2/remind/unread_count.json?" + t)["mention_status"], 0);
}

}  // namespace

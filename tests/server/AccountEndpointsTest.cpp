// Registration, login, session, push token, binding and the app store lookup.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>

#include "ServerTestFixture.h"

namespace zept::server::testing {
namespace {

class AccountEndpointsTest : public ServerTest {};

const Json* upListEntry(const Json& reply, const std::string& cids) {
  for (auto& e : reply["UpList"]) {
    if (e.value("cids", "") == cids) return &e;
  }
  return nullptr;
}

TEST_F(AccountEndpointsTest, RegistrationIssuesAKeyThatLoginAndSessionAccept) {
  Json reg = postJSON("/Accounts/Register.aspx", {{"std", kStd}},
                      {{"imsi", "9"},
                       {"mfg", "QX001"},
                       {"model", "iPhone4"},
                       {"macaddress", "020000000000"},
                       {"screensize", "2 320*480"}});
  EXPECT_EQ(true, reg["ResultBoolean"]);
  EXPECT_EQ(0, reg["ResultCode"]);
  std::string key = reg["ResultObj"];
  ASSERT_EQ(17u, key.size());
  for (char c : key) EXPECT_TRUE(std::isupper(static_cast<unsigned char>(c)) || std::isdigit(c));
  EXPECT_NE(kFallbackKey, key);
  auto stored = server.client(key);
  ASSERT_TRUE(stored);
  EXPECT_EQ("iPhone4", stored->registration["model"]);
  EXPECT_EQ("2 320*480", stored->registration["screensize"]);
  EXPECT_NE(key, registerClient()) << "every registration gets a key of its own";

  Json login = getJSON("/Accounts/Login.aspx",
                       {{"keys", key}, {"std", kStd}, {"conn", "1"}, {"model", "iPhone4"}});
  // The switches the app reads, with the defaults of the demo data.
  EXPECT_EQ(true, login["ErrorLogEnable"]);
  EXPECT_EQ(true, login["UseBehaviorEnable"]);
  EXPECT_EQ(true, login["UseBehaviorSubmit"]);
  EXPECT_EQ(true, login["isShardOdozuEdit"]);
  EXPECT_EQ(false, login["isShowAd"]);
  const Json* others = upListEntry(login, "others");
  ASSERT_NE(nullptr, others);
  EXPECT_EQ("2013-06-01 00:00:00", (*others)["updt"]);
  ASSERT_NE(nullptr, upListEntry(login, "101"));

  server.setLoginSwitch("ErrorLogEnable", false);
  server.setChannelListStamp("2013-07-01 08:00:00");
  Json session = getJSON("/Accounts/Session.aspx", {{"keys", key}, {"std", kStd}, {"conn", "1"}});
  EXPECT_EQ(false, session["ErrorLogEnable"]);
  EXPECT_EQ("2013-07-01 08:00:00", (*upListEntry(session, "others"))["updt"]);

  stored = server.client(key);
  EXPECT_EQ(1, stored->logins);
  EXPECT_EQ(1, stored->sessions);
}

TEST_F(AccountEndpointsTest, MissingParametersAndUnknownKeysAreRefusedInTheEnvelope) {
  std::string key = registerClient();
  struct Case {
    std::string path;
    std::vector<std::pair<std::string, std::string>> params;
    bool accepted;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"/Accounts/Login.aspx", {{"keys", key}}, false, "缺少参数: std"},
      {"/Accounts/Login.aspx", {{"std", kStd}}, false, "缺少参数: keys"},
      {"/Accounts/Login.aspx",
       {{"keys", "ZZZZZZZZZZZZZZZZZ"}, {"std", kStd}},
       false,
       "客户端未注册"},
      {"/Accounts/Login.aspx", {{"keys", key}, {"std", kStd}}, true, ""},
      // The app's fallback key reads, but owns nothing a client could keep.
      {"/Channels/Channel.aspx",
       {{"keys", kFallbackKey}, {"std", kStd}, {"channel_id", "2"}, {"page", "1"}, {"max_id", "0"}},
       true,
       ""},
      {"/Accounts/EnablePush.aspx",
       {{"keys", kFallbackKey}, {"std", kStd}, {"token", "abc"}},
       false,
       "客户端未注册"},
      {"/Accounts/EnablePush.aspx", {{"keys", key}, {"std", kStd}}, false, "缺少参数: token"},
      {"/Channels/Channel.aspx", {{"keys", key}, {"std", kStd}}, false, "缺少参数: channel_id"},
  };
  for (auto& c : cases) {
    std::string target = c.path + "?";
    for (auto& [k, v] : c.params) target += k + "=" + v + "&";
    auto r = client->Get(target.c_str());
    ASSERT_TRUE(r) << target;
    EXPECT_EQ(200, r->status) << target;
    Json j = Json::parse(r->body);
    EXPECT_EQ(c.accepted, j.value("ResultBoolean", false)) << target;
    if (!c.accepted) {
      EXPECT_EQ(1, j["ResultCode"]) << target;
      EXPECT_EQ(c.message, j["ResultMsg"]) << target;
    }
  }
}

TEST_F(AccountEndpointsTest, PushTokenAndBindingAreKeptWithTheClient) {
  std::string key = registerClient();
  // Form posts carry "keys" and "std" in the query and the rest in the body.
  Json push =
      postJSON("/Accounts/EnablePush.aspx", {{"keys", key}, {"std", kStd}}, {{"token", "tok-1"}});
  EXPECT_EQ(true, push["ResultBoolean"]);
  // The binding goes out as a plain GET with everything in the query.
  Json bind = getJSON("/Accounts/Bind.aspx",
                      {{"keys", key}, {"std", kStd}, {"uid", "2010000007"}, {"token", "2.00xyz"}});
  EXPECT_EQ(true, bind["ResultBoolean"]);
  auto c = server.client(key);
  ASSERT_TRUE(c);
  EXPECT_EQ("tok-1", c->pushToken);
  EXPECT_EQ("2010000007", c->boundUid);
  EXPECT_EQ("2.00xyz", c->boundToken);

  Json noUid = getJSON("/Accounts/Bind.aspx", {{"keys", key}, {"std", kStd}, {"token", "t"}});
  EXPECT_EQ(false, noUid["ResultBoolean"]);
  EXPECT_EQ(true, postJSON("/AppUpdate.aspx", {{"keys", key}, {"std", kStd}},
                           {{"source", "QX001"}})["ResultBoolean"]);
}

TEST_F(AccountEndpointsTest, AppStoreLookupReportsTheConfiguredVersion) {
  Json j = getJSON("/lookup", {{"id", "586471234"}});
  ASSERT_EQ(1, j["resultCount"]);
  EXPECT_EQ("V2.0.1", j["results"][0]["version"]);
  server.setAppStoreVersion("2.1.0");
  EXPECT_EQ("V2.1.0", getJSON("/lookup", {{"id", "586471234"}})["results"][0]["version"]);
  EXPECT_EQ(0, getJSON("/lookup", {{"id", "1"}})["resultCount"]);
}

TEST_F(AccountEndpointsTest, ClientsSurviveARestartWhenAClientsFileIsGiven) {
  // Every test process has an app home of its own, removed afterwards.
  auto file = std::filesystem::path(std::getenv("ZEPT_HOME")) / "clients.json";
  std::string key;
  {
    ContentServer first({DemoData::defaultDataDir(), file});
    first.start();
    httplib::Client c("127.0.0.1", first.port());
    auto r = c.Post(("/Accounts/Register.aspx?std=" + std::string(kStd)).c_str(), "model=iPad",
                    "application/x-www-form-urlencoded");
    ASSERT_TRUE(r);
    key = Json::parse(r->body)["ResultObj"];
    r = c.Post(("/Accounts/EnablePush.aspx?std=2.0&keys=" + key).c_str(), "token=t9",
               "application/x-www-form-urlencoded");
    ASSERT_TRUE(r);
  }
  ContentServer second({DemoData::defaultDataDir(), file});
  second.start();
  auto c = second.client(key);
  ASSERT_TRUE(c);
  EXPECT_EQ("iPad", c->registration["model"]);
  EXPECT_EQ("t9", c->pushToken);
  httplib::Client http("127.0.0.1", second.port());
  auto r = http.Get(("/Accounts/Login.aspx?std=2.0&keys=" + key).c_str());
  ASSERT_TRUE(r);
  EXPECT_EQ(true, Json::parse(r->body)["ResultBoolean"]);
}

}  // namespace
}  // namespace zept::server::testing

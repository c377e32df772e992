// The platform login against the local platform server over https: the web dialog with the
// platform's authorisation page, the code caught from the redirect and exchanged for a token,
// the profile fetched and "weibo_login" posted; single sign-on answers through opened URLs.
#include <gtest/gtest.h>
#include <httplib.h>

#include "Foundation/NSDate.h"
#include "Foundation/NSFileManager.h"
#include "Foundation/NSURL.h"
#include "Foundation/NSUserDefaults.h"
#include "UIKit/UIApplicationDriver.h"
#include "UIKit/UIDevice.h"
#include "UIKit/UISwitch.h"
#include "core/NotificationNames.h"
#include "core/StoredKeys.h"
#include "core/UIFilePath.h"
#include "model/User.h"
#include "net/api/PlatformTestSupport.h"
#include "net/api/URLHelper.h"
#include "net/api/WBAuthorize.h"
#include "net/api/WBAuthorizeWebView.h"
#include "support/BusRecorder.h"

namespace {

using namespace platformtest;

class PlatformLoginTest : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    bus = BusRecorder::observing({kWeiboLogin, kLogAction});
    engine->setDelegate(watcher);
  }

  std::shared_ptr<WBAuthorizeWebView> dialog() const {
    for (auto& v : window->subviews())
      if (auto d = std::dynamic_pointer_cast<WBAuthorizeWebView>(v)) return d;
    return nullptr;
  }
  // The reader fills in the platform's form and sends it: where the platform redirects.
  std::string submit(const std::string& login, const std::string& password) {
    httplib::SSLClient browser("127.0.0.1", platform->port());
    browser.enable_server_certificate_verification(false);
    auto res = browser.Post("/oauth2/authorize",
                            httplib::Params{{"client_id", std::string(WBEngine::kAppKey)},
                                            {"redirect_uri", std::string(WBEngine::kRedirectURI)},
                                            {"userId", login},
                                            {"passwd", password}});
    return res && res->status == 302 ? res->get_header_value("Location") : std::string();
  }
  static std::shared_ptr<NSURLRequest> page(const std::string& url) {
    return std::make_shared<NSURLRequest>(NSURL::URLWithString(url));
  }
  size_t weiboLogins() const {
    size_t n = 0;
    for (auto& p : bus->posts) n += p.name == kWeiboLogin;
    return n;
  }
  std::vector<std::string> loginFailures() const {
    std::vector<std::string> out;
    for (auto& p : bus->posts)
      if (p.name == kLogAction && p.type == 905) out.push_back(p.data[1].description());
    return out;
  }

  std::shared_ptr<BusRecorder> bus;
};

TEST_F(PlatformLoginTest, AWebLoginStoresTheTokenFetchesTheProfileAndAnnouncesIt) {
  const double started = NSDate::timeIntervalSince1970(NSDate::date());
  engine->logIn();
  auto shown = dialog();
  ASSERT_TRUE(shown);
  auto web = shown->webView();
  EXPECT_EQ(web->request()->URL()->absoluteString(),
            "https://api.ziza.example/oauth2/authorize?client_id=2718093456&response_type=code"
            "&redirect_uri=http%3A%2F%2Fwww.zept.example%2Fcallback.aspx&display=mobile"
            "&with_offical_account=1");
  EXPECT_EQ(web->request()->timeoutInterval(), 60);
  web->finishLoad();

  std::string redirect = submit("reader@zept.example", "reader-pass");
  ASSERT_EQ(redirect.rfind("http://www.zept.example/callback.aspx?code=", 0), 0u) << redirect;
  web->navigate(page(redirect), UIWebViewNavigationType::FormSubmitted);
  EXPECT_FALSE(dialog());  // hidden as soon as the code came
  ASSERT_TRUE(waitFor([&] { return weiboLogins() == 1; }));

  EXPECT_TRUE(engine->isLoggedIn());
  EXPECT_EQ(engine->userID(), std::to_string(kReader));
  EXPECT_NEAR(engine->expireTime(), started + 86400, 1);
  EXPECT_EQ(item("WeiBoUserID"), std::to_string(kReader));
  EXPECT_EQ(item("WeiBoAccessToken"), engine->accessToken());
  char expiry[64];
  std::snprintf(expiry, sizeof expiry, "%lf", engine->expireTime());
  EXPECT_EQ(item("WeiBoExpireTime"), expiry);
  ASSERT_TRUE(engine->user());
  EXPECT_EQ(engine->userName(), "阅读者小周");
  EXPECT_TRUE(NSFileManager::defaultManager().fileExistsAtPath(UIFilePath::localPath(5)));
  EXPECT_EQ(watcher->calls, std::vector<std::string>{"didLogIn"});
  EXPECT_TRUE(engine->needAttend());  // the follow switch was left on

  // The exchange carried everything in its query, the profile fetch the new token.
  auto exchanges = platform->requests("/oauth2/access_token");
  ASSERT_EQ(exchanges.size(), 1u);
  EXPECT_EQ(exchanges[0].method, "POST");
  EXPECT_TRUE(exchanges[0].body.empty());
  EXPECT_EQ(exchanges[0].paramOr("grant_type"), "authorization_code");
  EXPECT_EQ(exchanges[0].paramOr("client_secret"), "5e1f0a9c3b7d2468ace013579bdf2468");
  auto profile = platform->requests("/2/users/show.json");
  ASSERT_EQ(profile.size(), 1u);
  EXPECT_EQ(zept::server::Pairs(profile[0].queryParams),
            (zept::server::Pairs{{"access_token", engine->accessToken()},
                                 {"source", "2718093456"},
                                 {"uid", std::to_string(kReader)}}));

  // A restart finds the same account.
  auto restarted = WBEngine::create();
  EXPECT_EQ(restarted->accessToken(), engine->accessToken());
  EXPECT_DOUBLE_EQ(restarted->expireTime(), std::strtod(expiry, nullptr));
  EXPECT_EQ(restarted->userName(), "阅读者小周");
}

TEST_F(PlatformLoginTest, TheFollowSwitchTurnedOffBeforeTheCodeIsRemembered) {
  engine->logIn();
  auto shown = dialog();
  ASSERT_TRUE(shown);
  auto follow = std::dynamic_pointer_cast<UISwitch>(shown->viewWithTag(10));
  ASSERT_TRUE(follow);
  follow->setOn(false);
  shown->webView()->navigate(page(submit("reader@zept.example", "reader-pass")));
  ASSERT_TRUE(waitFor([&] { return weiboLogins() == 1; }));
  EXPECT_FALSE(engine->needAttend());
}

TEST_F(PlatformLoginTest, CancellingOnThePlatformsPageEndsTheLoginWithoutAnExchange) {
  engine->logIn();
  auto shown = dialog();
  ASSERT_TRUE(shown);
  // The page's cancel link leads to the redirect address with the platform's cancel code.
  shown->webView()->navigate(page(std::string(WBEngine::kRedirectURI) +
                                  "?error_uri=%2Foauth2%2Fauthorize&error=access_denied"
                                  "&error_code=21330"));
  EXPECT_FALSE(dialog());
  EXPECT_EQ(watcher->calls, std::vector<std::string>{"loginFailedWithoutError"});
  EXPECT_EQ(loginFailures(), std::vector<std::string>{"(null)"});
  waitFor([] { return false; }, 0.3);
  EXPECT_TRUE(platform->requests("/oauth2/access_token").empty());
  EXPECT_FALSE(engine->isLoggedIn());
}

TEST_F(PlatformLoginTest, OnlyTheRedirectToTheLoginsOwnAddressCarriesTheCode) {
  engine->logIn();
  auto web = dialog()->webView();
  // Links of the platform's page, or of anyone else, that happen to hold "code=".
  for (const char* url :
       {"https://api.ziza.example/help?code=abc", "http://evil.example/callback.aspx?code=abc",
        "https://api.ziza.example/oauth2/authorize?x=1&error_code=21330"}) {
    SCOPED_TRACE(url);
    EXPECT_TRUE(web->navigate(page(url)));
    EXPECT_TRUE(dialog());
  }
  waitFor([] { return false; }, 0.3);
  EXPECT_TRUE(platform->requests("/oauth2/access_token").empty());
  EXPECT_TRUE(watcher->calls.empty());

  // The code is the "code" parameter alone, decoded, whatever follows it.
  std::string redirect = submit("reader@zept.example", "reader-pass");
  std::string code = redirect.substr(redirect.find("code=") + 5);
  web->navigate(page(redirect + "&state=x%20y"));
  ASSERT_TRUE(platform->waitForRequests("/oauth2/access_token", 1));
  EXPECT_EQ(platform->requests("/oauth2/access_token")[0].paramOr("code"), code);
}

TEST_F(PlatformLoginTest, AnErrorCodeOtherThanTheCancelOnTheRedirectFailsTheLogin) {
  engine->logIn();
  dialog()->webView()->navigate(
      page(std::string(WBEngine::kRedirectURI) + "?error=invalid_request&error_code=21323"));
  EXPECT_FALSE(dialog());
  EXPECT_EQ(watcher->calls, std::vector<std::string>{"loginFailed"});
  ASSERT_TRUE(watcher->lastError);
  EXPECT_EQ(watcher->lastError->code(), 21323);
  EXPECT_EQ(loginFailures().size(), 1u);
}

TEST_F(PlatformLoginTest, AnExchangeThePlatformRefusesFailsTheLoginAndKeepsSecretsOutOfTheLog) {
  engine->logIn();
  auto web = dialog()->webView();
  // A code the platform never gave.
  web->navigate(page(std::string(WBEngine::kRedirectURI) + "?code=forged"));
  ASSERT_TRUE(waitFor([&] { return !watcher->calls.empty(); }));
  EXPECT_EQ(watcher->calls, std::vector<std::string>{"loginFailed"});
  ASSERT_TRUE(watcher->lastError);
  EXPECT_EQ(watcher->lastError->domain(), "WeiBoSDKErrorDomain");
  EXPECT_EQ(watcher->lastError->code(), 101);
  EXPECT_EQ(watcher->lastError->userInfo()["WeiBoSDKErrorCodeKey"].description(), "203");
  // The platform's 21325 (the code is no good) asks to bind again.
  EXPECT_EQ(StandInRecorder::shownPrompt(), "请重新绑定！");
  EXPECT_FALSE(engine->isLoggedIn());

  // The exchange cannot reach the platform: the transport error fails the login, and the
  // usage log gets its text without the app secret or the code.
  watcher->calls.clear();
  platform->stop();
  engine->logIn();
  dialog()->webView()->navigate(page(std::string(WBEngine::kRedirectURI) + "?code=c0de"));
  ASSERT_TRUE(waitFor([&] { return !watcher->calls.empty(); }));
  EXPECT_EQ(watcher->calls, std::vector<std::string>{"loginFailed"});
  ASSERT_EQ(loginFailures().size(), 2u);
  for (auto& text : loginFailures()) {
    EXPECT_EQ(text.find("5e1f0a9c3b7d2468ace013579bdf2468"), std::string::npos) << text;
    EXPECT_EQ(text.find("c0de"), std::string::npos) << text;
  }
}

TEST_F(PlatformLoginTest, AFailedProfileFetchKeepsThePreviousProfileButStillAnnouncesTheLogin) {
  engine->logIn();
  dialog()->webView()->navigate(page(submit("reader@zept.example", "reader-pass")));
  ASSERT_TRUE(waitFor([&] { return weiboLogins() == 1; }));
  std::string profileFile = UIFilePath::localPath(5);
  std::string before = NSFileManager::defaultManager().contentsAtPath(profileFile).value_or("");

  platform->script(
      "/2/users/show.json",
      zept::server::EndpointScript::replyWith(
          R"({"error":"system error","error_code":10001,"request":"/2/users/show.json"})", 500));
  engine->logIn();
  dialog()->webView()->navigate(page(submit("reader@zept.example", "reader-pass")));
  ASSERT_TRUE(waitFor([&] { return weiboLogins() == 2; }));
  EXPECT_EQ(NSFileManager::defaultManager().contentsAtPath(profileFile).value_or(""), before);
  ASSERT_TRUE(engine->user());
  EXPECT_EQ(engine->userName(), "阅读者小周");
  EXPECT_TRUE(engine->isLoggedIn());
}

TEST_F(PlatformLoginTest, TheRememberedAccountNameGoesIntoThePageAsAnEscapedLiteral) {
  NSUserDefaults::standardUserDefaults()->setBool(true, kNeedSaveAccountKey);
  engine->saveToKeychainWithUsername(std::string("o'neil\\x\n</script>"), std::string());
  engine->logIn();
  auto web = dialog()->webView();
  web->finishLoad();
  ASSERT_FALSE(web->evaluatedScripts().empty());
  EXPECT_EQ(web->evaluatedScripts().back(),
            "document.getElementById('userId').value='o\\'neil\\\\x\\x0A\\x3C/script\\x3E';");

  // What the reader types is remembered when the page moves on.
  web->setScriptHandler([](std::string_view script) {
    return script == "document.getElementById('userId').value" ? std::string("editor@zept.example")
                                                               : std::string();
  });
  web->navigate(page("https://api.ziza.example/oauth2/authorize"),
                UIWebViewNavigationType::FormSubmitted);
  EXPECT_EQ(engine->readUsernameFromKeychain(), "editor@zept.example");

  // Switched off: nothing is read or filled in.
  NSUserDefaults::standardUserDefaults()->setBool(false, kNeedSaveAccountKey);
  size_t scripts = web->evaluatedScripts().size();
  web->navigate(page("https://api.ziza.example/oauth2/authorize"));
  web->finishLoad();
  EXPECT_EQ(web->evaluatedScripts().size(), scripts);
}

// ---- single sign-on ---------------------------------------------------------------------------

TEST_F(PlatformLoginTest, WithThePlatformsAppInstalledTheLoginGoesThroughIt) {
  std::vector<std::string> opened;
  UIApplicationDriver::installApplication("zizaweibosso", [&](const std::shared_ptr<NSURL>& u) {
    opened.push_back(u->absoluteString());
  });
  engine->logIn();
  EXPECT_FALSE(dialog());
  MainLoop::pump();
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(
      opened[0],
      "zizaweibosso://login?client_id=2718093456&redirect_uri=http%3A%2F%2Fwww.zept.example"
      "%2Fcallback.aspx&callback_uri=zizaweibosso.2718093456%3A%2F%2F&with_offical_account=1");

  // The app answers with a token of the reader, without "remind_in".
  std::string token = platform->issueToken(kReader);
  const double now = NSDate::timeIntervalSince1970(NSDate::date());
  EXPECT_TRUE(engine->handleOpenURL("zizaweibosso.2718093456://response?access_token=" + token +
                                    "&expires_in=7200&refresh_token=r1&uid=3100000001"));
  ASSERT_TRUE(waitFor([&] { return weiboLogins() == 1; }));
  EXPECT_EQ(engine->accessToken(), token);
  EXPECT_NEAR(engine->expireTime(), now + 7200, 1);
  EXPECT_TRUE(engine->isBindBySso());
  EXPECT_EQ(engine->refreshToken(), "r1");
  EXPECT_EQ(engine->userName(), "阅读者小周");
  EXPECT_EQ(item("WeiBoAccessToken"), token);
}

TEST_F(PlatformLoginTest, SingleSignOnRepliesAreTakenOnlyWhilePendingAndByTheirScheme) {
  UIApplicationDriver::installApplication("zizaweibosso");
  const std::string scheme = "zizaweibosso.2718093456://";
  const double farFuture = NSDate::timeIntervalSince1970(NSDate::distantFuture());

  // Not pending: taken, nothing changes.
  EXPECT_TRUE(engine->handleOpenURL(scheme + "?access_token=t&remind_in=0&uid=3100000001"));
  EXPECT_FALSE(engine->isLoggedIn());
  // Another scheme is not the engine's.
  EXPECT_FALSE(engine->handleOpenURL("lm2718093456://x?access_token=t&uid=1"));

  struct Case {
    std::string query;
    std::vector<std::string> calls;
    long errorCode;
  };
  for (const Case& c : std::vector<Case>{
           {"?sso_error_user_cancelled=1", {"ssoCancelled"}, 0},
           {"?error_code=21330&error=user%20cancel", {"ssoCancelled"}, 0},
           {"?sso_error_invalid_params=1", {"ssoFailed"}, 202},
           {"?error=denied&error_code=21338&error_description=sso%20failed", {"ssoFailed"}, 21338},
       }) {
    SCOPED_TRACE(c.query);
    watcher->calls.clear();
    watcher->lastError = nullptr;
    ASSERT_TRUE(engine->ssoLogin());
    EXPECT_TRUE(engine->handleOpenURL(scheme + c.query));
    EXPECT_EQ(watcher->calls, c.calls);
    if (c.errorCode) {
      ASSERT_TRUE(watcher->lastError);
      EXPECT_EQ(watcher->lastError->code(), c.errorCode);
    }
    EXPECT_FALSE(engine->isLoggedIn());
  }
  EXPECT_EQ(watcher->lastError->localizedDescription(), "sso failed");

  // A reply with "remind_in" 0 keeps the token without end.
  ASSERT_TRUE(engine->ssoLogin());
  std::string token = platform->issueToken(kReader);
  EXPECT_TRUE(
      engine->handleOpenURL(scheme + "?access_token=" + token + "&remind_in=0&uid=3100000001"));
  EXPECT_DOUBLE_EQ(engine->expireTime(), farFuture);
  EXPECT_TRUE(engine->isLoggedIn());
  ASSERT_TRUE(waitFor([&] { return weiboLogins() == 1; }));

  // A reply naming no life at all still brings a token that counts.
  ASSERT_TRUE(engine->ssoLogin());
  EXPECT_TRUE(engine->handleOpenURL(scheme + "?access_token=" + token + "&uid=3100000001"));
  EXPECT_DOUBLE_EQ(engine->expireTime(), farFuture);
  EXPECT_TRUE(engine->isLoggedIn());
  ASSERT_TRUE(waitFor([&] { return weiboLogins() == 2; }));

  // Coming back to the foreground while a sign-on is pending is a cancel.  (A second login of
  // one engine hands its end to no one: whoever starts a login makes itself the delegate.)
  engine->setDelegate(watcher);
  watcher->calls.clear();
  ASSERT_TRUE(engine->ssoLogin());
  engine->applicationDidBecomeActive();
  EXPECT_EQ(watcher->calls, std::vector<std::string>{"ssoCancelled"});
}

TEST_F(PlatformLoginTest, OfflineTheLoginOnlyPrompts) {
  apitest::forceOffline();
  engine->logIn();
  EXPECT_FALSE(dialog());
  EXPECT_NE(StandInRecorder::shownPrompt(), "");
}

// ---- the query builders -----------------------------------------------------------------------

TEST(PlatformQueryText, ParametersAreFoundOnlyAsWholeNamesAndDecoded) {
  struct Case {
    const char* url;
    const char* name;
    std::optional<std::string> value;
  };
  for (const Case& c : std::vector<Case>{
           {"s://x?uid=12&a=1", "uid", "12"},
           {"s://x?a=1&uid=12", "uid", "12"},
           {"s://x#uid=12", "uid", "12"},
           {"uid=12&a=1", "uid", "12"},
           {"s://x?myuid=12", "uid", std::nullopt},
           {"s://x?a=1", "uid", std::nullopt},
           {"s://x?name=a%20b&z=1", "name=", "a b"},
           {"s://x?uid=", "uid", ""},
       }) {
    SCOPED_TRACE(std::string(c.url) + " " + c.name);
    EXPECT_EQ(WBAuthorize::getParamValueFromUrl(c.url, c.name), c.value);
  }
}

TEST(PlatformQueryText, QueriesEscapeTheirValuesAndJoinAnExistingQuery) {
  auto params = makeDictionary({{"q", Value("a b/c")}, {"k", Value("1")}});
  EXPECT_EQ(URLHelper::getURL("https://h/p", params), "https://h/p?q=a%20b%2Fc&k=1");
  EXPECT_EQ(URLHelper::getURL("https://h/p", nullptr), "https://h/p");
  EXPECT_EQ(WBAuthorize::serializeURL("app://login?x=1", params, "GET"),
            "app://login?x=1&q=a%20b%2Fc&k=1");
  EXPECT_EQ(
      WBAuthorize::serializeURL("app://login", makeDictionary({{"v", Value("!*'()")}}), "GET"),
      "app://login?v=%21%2A%27%28%29");
}

}  // namespace

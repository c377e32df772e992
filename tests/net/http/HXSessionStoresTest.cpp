// The class-wide stores that outlive single requests: the persistent connection pool, the
// session credential stores, the saved credentials, the session cookies and the session.
#include <gtest/gtest.h>

#include <algorithm>

#include "CFNetwork/CFHTTPAuthentication.h"
#include "CFNetwork/CFReadStream.h"
#include "CFNetwork/NSHTTPCookie.h"
#include "CFNetwork/NSURLCredentialStorage.h"
#include "EngineTestSupport.h"
#include "Foundation/Clock.h"
#include "net/http/HXCacheDelegate.h"
#include "net/http/HXHTTPRequest.h"
#include "support/TestHTTPServer.h"

using enginetest::RecordingDelegate;
using enginetest::runMainLoopUntil;
using enginetest::url;
using testsupport::TestHTTPReply;
using testsupport::TestHTTPServer;

namespace {

std::shared_ptr<HXHTTPRequest> runGet(const std::string& u) {
  auto delegate = std::make_shared<RecordingDelegate>();
  auto request = HXHTTPRequest::requestWithURL(url(u));
  request->setDelegate(delegate);
  request->startAsynchronous();
  EXPECT_TRUE(runMainLoopUntil([&] { return delegate->done(); }));
  EXPECT_TRUE(delegate->finished);
  return request;
}

bool inPool(const std::shared_ptr<HXConnectionInfo>& entry) {
  auto pool = HXHTTPRequest::persistentConnectionsPool();
  return std::find(pool.begin(), pool.end(), entry) != pool.end();
}

ValueDictionary credentials(const std::string& user, const std::string& password) {
  return makeDictionary({{std::string(kCFHTTPAuthenticationUsername), Value(user)},
                         {std::string(kCFHTTPAuthenticationPassword), Value(password)}});
}

ValueDictionary serverEntry(const std::string& u, ValueDictionary creds,
                            const std::string& realm = "") {
  auto entry = makeDictionary({{"Credentials", Value(creds)},
                               {"URL", Value(url(u))},
                               {"AuthenticationScheme", Value("Basic")}});
  if (!realm.empty()) entry->setObject(Value(realm), "AuthenticationRealm");
  return entry;
}

std::shared_ptr<HXHTTPRequest> requestFor(const std::string& u) {
  return HXHTTPRequest::requestWithURL(url(u));
}

std::shared_ptr<NSHTTPCookie> cookie(const std::string& name, const std::string& value,
                                     const std::string& path) {
  NSHTTPCookie::Properties p;
  p.name = name;
  p.value = value;
  p.domain = "a.m.r";
  p.path = path;
  return std::make_shared<NSHTTPCookie>(p);
}

class RecordingCache : public HXCacheDelegate {
 public:
  std::vector<int> clearedPolicies;
  int defaultCachePolicy() const override { return 0; }
  bool canUseCachedDataForRequest(const std::shared_ptr<HXHTTPRequest>&) override { return false; }
  ValueDictionary cachedResponseHeadersForURL(const std::shared_ptr<NSURL>&) override {
    return nullptr;
  }
  std::string pathToCachedResponseDataForURL(const std::shared_ptr<NSURL>&) override { return {}; }
  void updateExpiryForRequest(const std::shared_ptr<HXHTTPRequest>&, double) override {}
  void storeResponseForRequest(const std::shared_ptr<HXHTTPRequest>&, double) override {}
  void clearCachedResponsesForStoragePolicy(int policy) override {
    clearedPolicies.push_back(policy);
  }
};

}  // namespace

// The session stores belong to the process: every test starts without what others left there.
class HXSessionStores : public ::testing::Test {
 protected:
  void SetUp() override {
    HXHTTPRequest::clearSession();
    HXHTTPRequest::sessionProxyCredentialsStore()->removeAllObjects();
  }
};

TEST_F(HXSessionStores, IdleConnectionsPastTheirTimeAreClosedAndDroppedButBusyOnesStay) {
  TestHTTPServer server;
  server.on("/a", TestHTTPReply::text("a"));
  auto first = runGet(server.url("/a"));
  auto idle = first->connectionInfo();
  ASSERT_TRUE(idle && inPool(idle));
  auto stream = idle->stream;
  ASSERT_TRUE(stream);
  EXPECT_NE(stream->status(), CFStreamStatus::Closed);

  // Still in time: kept.
  HXHTTPRequest::expirePersistentConnections();
  EXPECT_TRUE(inPool(idle));
  idle->expires = realClock()->now() - 1;
  HXHTTPRequest::expirePersistentConnections();
  EXPECT_FALSE(inPool(idle));
  EXPECT_EQ(stream->status(), CFStreamStatus::Closed);

  auto second = runGet(server.url("/a"));
  auto busy = second->connectionInfo();
  ASSERT_TRUE(busy && inPool(busy));
  EXPECT_NE(busy->id, idle->id);
  busy->request = 12345;
  busy->expires = realClock()->now() - 1;
  HXHTTPRequest::expirePersistentConnections();
  EXPECT_TRUE(inPool(busy));
  busy->request.reset();
  HXHTTPRequest::expirePersistentConnections();
  EXPECT_FALSE(inPool(busy));
}

TEST_F(HXSessionStores, StoringTheSameCredentialObjectReplacesItsEntryAndEqualContentsDoNot) {
  auto creds = credentials("ann", "secret");
  HXHTTPRequest::storeAuthenticationCredentialsInSessionStore(
      serverEntry("https://a.m.r/one", creds));
  HXHTTPRequest::storeAuthenticationCredentialsInSessionStore(
      serverEntry("https://a.m.r/two", creds));
  auto store = HXHTTPRequest::sessionCredentialsStore();
  ASSERT_EQ(store->count(), 1u);
  EXPECT_EQ(store->objectAtIndex(0)["URL"].object<NSURL>()->absoluteString(), "https://a.m.r/two");

  auto twin = credentials("ann", "secret");
  HXHTTPRequest::storeAuthenticationCredentialsInSessionStore(
      serverEntry("https://a.m.r/three", twin));
  EXPECT_EQ(store->count(), 2u);

  // Removal goes by the object too.
  HXHTTPRequest::removeAuthenticationCredentialsFromSessionStore(credentials("ann", "secret"));
  EXPECT_EQ(store->count(), 2u);
  HXHTTPRequest::removeAuthenticationCredentialsFromSessionStore(creds);
  ASSERT_EQ(store->count(), 1u);
  EXPECT_EQ(store->objectAtIndex(0)["Credentials"].dictionary(), twin);

  // The proxy store is a list of its own.
  auto proxyCreds = credentials("proxy", "pw");
  auto proxyEntry = makeDictionary({{"Credentials", Value(proxyCreds)},
                                    {"Host", Value("proxy.a.m.r")},
                                    {"Port", Value(8080)},
                                    {"AuthenticationScheme", Value("Basic")}});
  HXHTTPRequest::storeProxyAuthenticationCredentialsInSessionStore(proxyEntry);
  EXPECT_EQ(HXHTTPRequest::sessionProxyCredentialsStore()->count(), 1u);
  EXPECT_EQ(store->count(), 1u);
  auto viaProxy = requestFor("http://a.m.r/x");
  viaProxy->setProxyHost("proxy.a.m.r");
  viaProxy->setProxyPort(8080);
  EXPECT_EQ(viaProxy->findSessionProxyAuthenticationCredentials(), proxyEntry);
  viaProxy->setProxyPort(8081);
  EXPECT_FALSE(viaProxy->findSessionProxyAuthenticationCredentials());
  HXHTTPRequest::removeProxyAuthenticationCredentialsFromSessionStore(proxyCreds);
  EXPECT_EQ(HXHTTPRequest::sessionProxyCredentialsStore()->count(), 0u);
}

TEST_F(HXSessionStores, SessionCredentialsAreFoundForTheURLOrTheSameSchemeHostAndPort) {
  auto other = serverEntry("https://a.m.r/other/path", credentials("ann", "secret"), "zept");
  HXHTTPRequest::storeAuthenticationCredentialsInSessionStore(
      serverEntry("http://a.m.r/other/path", credentials("plain", "pw")));
  HXHTTPRequest::storeAuthenticationCredentialsInSessionStore(
      serverEntry("https://a.m.r:8443/other/path", credentials("port", "pw")));
  HXHTTPRequest::storeAuthenticationCredentialsInSessionStore(other);

  struct Case {
    std::string url;
    std::string realm, user, password;
    bool found;
  } cases[] = {
      {"https://a.m.r/wanted", "", "", "", true},            // same scheme, host, no port
      {"https://a.m.r/wanted", "zept", "", "", true},        // realms agree
      {"https://a.m.r/wanted", "elsewhere", "", "", false},  // realms differ
      {"https://a.m.r/wanted", "", "ann", "secret", true},   // credentials agree
      {"https://a.m.r/wanted", "", "bob", "secret", false},
      {"https://a.m.r/wanted", "", "bob", "", true},  // a user name alone is no test
      {"https://b.m.r/wanted", "", "", "", false},
  };
  for (auto& c : cases) {
    auto r = requestFor(c.url);
    r->setAuthenticationRealm(c.realm);
    r->setUsername(c.user);
    r->setPassword(c.password);
    EXPECT_EQ(r->findSessionAuthenticationCredentials() == other, c.found)
        << c.url << " " << c.realm << " " << c.user;
  }
  // Plain http on the same host finds the entry stored for plain http, not the https one; an
  // explicit other port finds only its own.
  auto plain = requestFor("http://a.m.r/wanted")->findSessionAuthenticationCredentials();
  ASSERT_TRUE(plain);
  EXPECT_EQ(Value(plain)["Credentials"][kCFHTTPAuthenticationUsername].string(), "plain");
  auto port = requestFor("https://a.m.r:8443/x")->findSessionAuthenticationCredentials();
  ASSERT_TRUE(port);
  EXPECT_EQ(Value(port)["Credentials"][kCFHTTPAuthenticationUsername].string(), "port");

  // An exact URL wins over an earlier candidate.
  auto exact = serverEntry("https://a.m.r/wanted", credentials("exact", "pw"));
  HXHTTPRequest::storeAuthenticationCredentialsInSessionStore(exact);
  EXPECT_EQ(requestFor("https://a.m.r/wanted")->findSessionAuthenticationCredentials(), exact);
}

TEST_F(HXSessionStores, BasicCredentialsSentAheadAreRememberedOnceTheServerTakesThem) {
  TestHTTPServer server;
  server.on("/private", TestHTTPReply::text("welcome"));
  for (int i = 0; i < 2; ++i) {
    auto delegate = std::make_shared<RecordingDelegate>();
    auto request = HXHTTPRequest::requestWithURL(url(server.url("/private")));
    request->setDelegate(delegate);
    request->setUsername("ann");
    request->setPassword("secret");
    request->setAuthenticationScheme("Basic");
    request->startAsynchronous();
    ASSERT_TRUE(runMainLoopUntil([&] { return delegate->done(); }));
    EXPECT_EQ(server.lastRequest().header("Authorization"), "Basic YW5uOnNlY3JldA==");
  }
  auto store = HXHTTPRequest::sessionCredentialsStore();
  ASSERT_EQ(store->count(), 1u);
  auto entry = store->objectAtIndex(0);
  EXPECT_EQ(entry["URL"].object<NSURL>()->absoluteString(), server.url("/private"));
  EXPECT_EQ(entry["AuthenticationScheme"].string(), "Basic");
  EXPECT_EQ(entry["Credentials"][kCFHTTPAuthenticationUsername].string(), "ann");
  EXPECT_EQ(entry["Credentials"][kCFHTTPAuthenticationPassword].string(), "secret");
}

TEST_F(HXSessionStores, SavedCredentialsLiveInTheSharedStorageByProtectionSpace) {
  auto ann =
      NSURLCredential::credentialWithUser("ann", "secret", NSURLCredentialPersistence::Permanent);
  HXHTTPRequest::saveCredentialsForHost(ann, "a.m.r", 443, "https", "zept");
  EXPECT_EQ(HXHTTPRequest::savedCredentialsForHost("a.m.r", 443, "https", "zept"), ann);
  EXPECT_FALSE(HXHTTPRequest::savedCredentialsForHost("a.m.r", 443, "http", "zept"));
  EXPECT_FALSE(HXHTTPRequest::savedCredentialsForHost("a.m.r", 443, "https", "other"));
  // A proxy space is another space, whatever protocol is asked for.
  EXPECT_FALSE(HXHTTPRequest::savedCredentialsForProxy("a.m.r", 443, "https", "zept"));
  auto proxy =
      NSURLCredential::credentialWithUser("p", "pw", NSURLCredentialPersistence::Permanent);
  HXHTTPRequest::saveCredentialsForProxy(proxy, "proxy.a.m.r", 8080, "");
  EXPECT_EQ(HXHTTPRequest::savedCredentialsForProxy("proxy.a.m.r", 8080, "anything", ""), proxy);

  HXHTTPRequest::removeCredentialsForHost("a.m.r", 443, "https", "zept");
  EXPECT_FALSE(HXHTTPRequest::savedCredentialsForHost("a.m.r", 443, "https", "zept"));
  HXHTTPRequest::removeCredentialsForProxy("proxy.a.m.r", 8080, "");
  EXPECT_FALSE(HXHTTPRequest::savedCredentialsForProxy("proxy.a.m.r", 8080, "", ""));
  // Nothing to remove: nothing happens.
  HXHTTPRequest::removeCredentialsForHost("a.m.r", 443, "https", "zept");
}

TEST_F(HXSessionStores, SessionCookiesAreReplacedByDomainPathAndNameAndCanBeForgotten) {
  auto& storage = NSHTTPCookieStorage::sharedHTTPCookieStorage();
  auto a = cookie("session", "1", "/");
  auto b = cookie("session", "2", "/");
  auto c = cookie("session", "3", "/shop");
  for (auto& k : {a, b, c}) {
    storage.setCookie(k);
    HXHTTPRequest::addSessionCookie(k);
  }
  auto list = HXHTTPRequest::sessionCookies();
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0], b);
  EXPECT_EQ(list[1], c);
  ASSERT_EQ(storage.cookies().size(), 2u);

  HXHTTPRequest::setSessionCookies(std::nullopt);
  EXPECT_TRUE(storage.cookies().empty());
  EXPECT_TRUE(HXHTTPRequest::sessionCookies().empty());
}

TEST_F(HXSessionStores, ClearingTheSessionForgetsServerCredentialsCookiesAndSessionResponses) {
  auto cache = std::make_shared<RecordingCache>();
  HXHTTPRequest::setDefaultCache(cache);
  HXHTTPRequest::storeAuthenticationCredentialsInSessionStore(
      serverEntry("https://a.m.r/x", credentials("ann", "secret")));
  auto proxyEntry = makeDictionary({{"Credentials", Value(credentials("p", "pw"))},
                                    {"Host", Value("proxy.a.m.r")},
                                    {"Port", Value(8080)}});
  HXHTTPRequest::storeProxyAuthenticationCredentialsInSessionStore(proxyEntry);
  auto k = cookie("session", "1", "/");
  NSHTTPCookieStorage::sharedHTTPCookieStorage().setCookie(k);
  HXHTTPRequest::addSessionCookie(k);

  HXHTTPRequest::clearSession();
  EXPECT_EQ(HXHTTPRequest::sessionCredentialsStore()->count(), 0u);
  EXPECT_EQ(HXHTTPRequest::sessionProxyCredentialsStore()->count(), 1u);
  EXPECT_TRUE(HXHTTPRequest::sessionCookies().empty());
  EXPECT_TRUE(NSHTTPCookieStorage::sharedHTTPCookieStorage().cookies().empty());
  EXPECT_EQ(cache->clearedPolicies, (std::vector<int>{0}));
  HXHTTPRequest::setDefaultCache(nullptr);
}

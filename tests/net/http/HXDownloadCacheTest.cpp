// The download cache on disk: what it stores and where, answers from disk without the network,
// revalidation with the stored validators, the policy bits, and its folders.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "EngineTestSupport.h"
#include "Foundation/NSException.h"
#include "Foundation/NSFileManager.h"
#include "Foundation/NSPathUtilities.h"
#include "net/http/HXDownloadCache.h"
#include "support/TestHTTPServer.h"

using enginetest::bodyOr;
using enginetest::Exchange;
using enginetest::url;
using testsupport::TestHTTPReply;
using testsupport::TestHTTPRequest;
using testsupport::TestHTTPServer;

namespace {

constexpr const char* kFarFuture = "Thu, 01 Jan 2037 00:00:00 GMT";
constexpr const char* kPast = "Thu, 01 Jan 2004 00:00:00 GMT";

std::shared_ptr<HXDownloadCache> freshCache(const std::string& name = "cache") {
  auto cache = std::make_shared<HXDownloadCache>();
  cache->setStoragePath(NSTemporaryDirectory() + name);
  return cache;
}

TestHTTPReply page(std::string body, testsupport::HeaderList headers) {
  TestHTTPReply r = TestHTTPReply::text(std::move(body));
  r.headers = std::move(headers);
  return r;
}

// One request through the cache; "failed" when it failed.
std::string fetch(const std::shared_ptr<HXDownloadCache>& cache, const std::string& u,
                  int policy = 0, bool* fromCache = nullptr) {
  Exchange e(u);
  e.request->setDownloadCache(cache);
  e.request->setCachePolicy(policy);
  e.run();
  if (fromCache) *fromCache = e.request->didUseCachedResponse();
  return e.delegate->failed ? "failed" : bodyOr(e.request->responseString());
}

}  // namespace

TEST(HXDownloadCache, KeysIgnoreOneTrailingSlashAndServerPagesAreStoredAsHtml) {
  auto key = HXDownloadCache::keyForURL(url("http://a.m.r/list"));
  ASSERT_TRUE(key);
  EXPECT_EQ(key->size(), 32u);
  EXPECT_EQ(key->find_first_not_of("0123456789ABCDEF"), std::string::npos);
  EXPECT_EQ(key, HXDownloadCache::keyForURL(url("http://a.m.r/list/")));
  EXPECT_NE(key, HXDownloadCache::keyForURL(url("http://a.m.r/list//")));
  EXPECT_FALSE(HXDownloadCache::keyForURL(nullptr));

  TestHTTPServer server;
  auto cache = freshCache();
  struct Case {
    const char* path;
    const char* extension;
  } cases[] = {{"/index.php", "html"},
               {"/Page.ASPX", "html"},
               {"/plain", "html"},
               {"/logo.png", "png"},
               {"/data.json", "json"}};
  for (const auto& c : cases) {
    server.on(c.path, page("body", {{"Expires", kFarFuture}}));
    ASSERT_EQ(fetch(cache, server.url(c.path)), "body");
    std::string stored = cache->pathToCachedResponseDataForURL(url(server.url(c.path)));
    EXPECT_EQ(std::filesystem::path(stored).extension().string(), std::string(".") + c.extension)
        << c.path;
    EXPECT_NE(stored.find("/SessionStore/"), std::string::npos);
  }
}

TEST(HXDownloadCache, ACurrentCopyAnswersFromDiskAndAnExpiredOneIsRevalidated) {
  TestHTTPServer server;
  server.on("/fresh", page("fresh body", {{"Expires", kFarFuture}}));
  server.on("/stale", [](const TestHTTPRequest& r) {
    if (r.header("If-None-Match") == "\"v1\"") {
      TestHTTPReply unchanged = TestHTTPReply::text("", 304);
      unchanged.headers = {{"Etag", "\"v1\""}, {"Cache-Control", "max-age=600"}};
      return unchanged;
    }
    return page("stale body", {{"Etag", "\"v1\""}, {"Expires", kPast}});
  });
  auto cache = freshCache();

  bool fromCache = true;
  EXPECT_EQ(fetch(cache, server.url("/fresh"), 0, &fromCache), "fresh body");
  EXPECT_FALSE(fromCache);
  EXPECT_EQ(fetch(cache, server.url("/fresh"), 0, &fromCache), "fresh body");
  EXPECT_TRUE(fromCache);
  EXPECT_EQ(server.requestCount(), 1u);
  ValueDictionary headers = cache->cachedResponseHeadersForURL(url(server.url("/fresh")));
  ASSERT_TRUE(headers);
  EXPECT_EQ(Value(headers)["X-HXHTTPRequest-Response-Status-Code"].intValue(), 200);

  EXPECT_EQ(fetch(cache, server.url("/stale"), 0, &fromCache), "stale body");
  EXPECT_FALSE(fromCache);
  // Expired: asked again with the stored validator; the 304 answers from disk and renews the
  // stored expiry.
  EXPECT_EQ(fetch(cache, server.url("/stale"), 0, &fromCache), "stale body");
  EXPECT_TRUE(fromCache);
  EXPECT_EQ(server.lastRequest().header("If-None-Match"), "\"v1\"");
  EXPECT_EQ(fetch(cache, server.url("/stale"), 0, &fromCache), "stale body");
  EXPECT_TRUE(fromCache);
  EXPECT_EQ(server.requestCount(), 3u);
}

TEST(HXDownloadCache, ThePolicyBitsDecideWhenTheNetworkIsAsked) {
  TestHTTPServer server;
  int served = 0;
  server.on("/n", [&served](const TestHTTPRequest&) {
    return page("v" + std::to_string(++served), {{"Expires", kPast}});
  });
  auto cache = freshCache();
  ASSERT_EQ(fetch(cache, server.url("/n")), "v1");
  struct Case {
    int policy;
    const char* expected;  // the body: "v1" from disk, a later version from the network
  } cases[] = {
      {4, "v2"},                  // expired: the network
      {16, "v2"},                 // any stored copy
      {32, "v2"},                 // no check at all
      {1, "v3"},                  // never from the cache, but stored
      {1 | 2, "v4"}, {16, "v3"},  // the copy of policy 1; policy 2 stored nothing
  };
  for (const auto& c : cases)
    EXPECT_EQ(fetch(cache, server.url("/n"), c.policy), c.expected) << "policy " << c.policy;

  // Once the network fails, policy 64 falls back on the stored copy.
  std::string address = server.url("/n");
  server.stop();
  EXPECT_EQ(fetch(cache, address, 4), "failed");
  EXPECT_EQ(fetch(cache, address, 4 | 64), "v3");
}

TEST(HXDownloadCache, OnlyCacheableAnswersAreStored) {
  TestHTTPServer server;
  struct Case {
    const char* path;
    int status;
    testsupport::HeaderList headers;
    bool stored;
  } cases[] = {
      {"/ok", 200, {}, true},
      {"/missing", 404, {}, false},
      {"/no-cache", 200, {{"Cache-Control", "No-Cache"}}, false},
      {"/no-store", 200, {{"Cache-Control", "no-store"}}, false},
      {"/pragma", 200, {{"Pragma", "no-cache"}}, false},
      // A whole-value comparison: a list that names no-cache is stored.
      {"/listed", 200, {{"Cache-Control", "no-cache, max-age=60"}}, true},
  };
  auto cache = freshCache();
  for (const auto& c : cases) {
    TestHTTPReply r = TestHTTPReply::text("x", c.status);
    r.headers = c.headers;
    server.on(c.path, r);
    fetch(cache, server.url(c.path));
    EXPECT_EQ(!cache->pathToCachedResponseDataForURL(url(server.url(c.path))).empty(), c.stored)
        << c.path;
  }
  // Not respecting the headers stores them all.
  cache->setShouldRespectCacheControlHeaders(false);
  fetch(cache, server.url("/no-store"));
  EXPECT_FALSE(cache->pathToCachedResponseDataForURL(url(server.url("/no-store"))).empty());

  // A compressed answer is kept inflated, without its encoding.
  TestHTTPReply gz = TestHTTPReply::text("inflated text");
  gz.gzip = true;
  server.on("/gz", gz);
  EXPECT_EQ(fetch(cache, server.url("/gz")), "inflated text");
  EXPECT_EQ(cache->cachedResponseDataForURL(url(server.url("/gz"))), "inflated text");
  EXPECT_TRUE(Value(cache->cachedResponseHeadersForURL(url(server.url("/gz"))))["Content-Encoding"]
                  .isNil());
}

TEST(HXDownloadCache, TheSessionStoreIsClearedWithEachStoragePathButThePermanentOneStays) {
  TestHTTPServer server;
  server.on("/s", page("session", {{"Expires", kFarFuture}}));
  server.on("/p", page("permanent", {{"Expires", kFarFuture}}));
  auto cache = freshCache("stores");
  fetch(cache, server.url("/s"));
  Exchange permanent(server.url("/p"));
  permanent.request->setDownloadCache(cache);
  permanent.request->setCacheStoragePolicy(1);
  permanent.run();
  EXPECT_NE(cache->pathToCachedResponseDataForURL(url(server.url("/p"))).find("/PermanentStore/"),
            std::string::npos);

  cache->setStoragePath(NSTemporaryDirectory() + "stores");
  EXPECT_TRUE(cache->pathToCachedResponseDataForURL(url(server.url("/s"))).empty());
  EXPECT_FALSE(cache->pathToCachedResponseDataForURL(url(server.url("/p"))).empty());
  cache->clearCachedResponsesForStoragePolicy(1);
  EXPECT_TRUE(cache->pathToCachedResponseDataForURL(url(server.url("/p"))).empty());

  cache->setDefaultCachePolicy(0);
  EXPECT_EQ(cache->defaultCachePolicy(), 4);
  cache->setDefaultCachePolicy(16);
  EXPECT_EQ(cache->defaultCachePolicy(), 16);
}

TEST(HXDownloadCache, AFileWhereAFolderBelongsRaisesAfterTheLockIsLetGo) {
  std::string root = NSTemporaryDirectory() + "blocked";
  std::filesystem::create_directories(root);
  std::ofstream(root + "/PermanentStore") << "a file";
  auto cache = std::make_shared<HXDownloadCache>();
  try {
    cache->setStoragePath(root);
    FAIL() << "no exception";
  } catch (const NSException& e) {
    EXPECT_EQ(e.name(), "FileExistsAtCachePath");
    EXPECT_EQ(e.reason(), "Cannot create a directory for the cache at '" + root +
                              "/PermanentStore', because a file already exists");
  }
  // The lock is free again.
  EXPECT_EQ(cache->storagePath(), root);
}

// Requests through proxies on loopback: the owner's proxy, the system settings, PAC scripts
// read from a file or downloaded, what goes direct when a script fails, and the shared queue's
// extra place while a script downloads.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "EngineTestSupport.h"
#include "Foundation/NSFileManager.h"
#include "Foundation/NSOperation.h"
#include "Foundation/NSPathUtilities.h"
#include "net/http/HXHTTPRequest.h"
#include "support/TestHTTPServer.h"

using enginetest::bodyOr;
using enginetest::Exchange;
using enginetest::runMainLoopUntil;
using testsupport::TestHTTPReply;
using testsupport::TestHTTPServer;
using testsupport::TestRawHTTPServer;

namespace {

// A forward proxy that answers by itself, so the reply says which way the request went; it
// asks for Basic credentials when it is given a user.
class TestProxy {
 public:
  explicit TestProxy(std::string user = {})
      : server_([user](const std::string& raw) {
          TestRawHTTPServer::RawReply reply;
          if (!user.empty() && raw.find("Proxy-Authorization: Basic " +
                                        HXHTTPRequest::base64forData(user)) == std::string::npos) {
            reply.bytes =
                "HTTP/1.1 407 Proxy Authentication Required\r\n"
                "Proxy-Authenticate: Basic realm=\"gate\"\r\nContent-Length: 0\r\n\r\n";
            return reply;
          }
          reply.bytes =
              "HTTP/1.1 200 OK\r\nContent-Length: 9\r\nConnection: close\r\n\r\nvia proxy";
          return reply;
        }) {}
  int port() const { return server_.port(); }
  std::string address() const { return "127.0.0.1:" + std::to_string(port()); }
  // The request lines the proxy received.
  std::vector<std::string> requestLines() const {
    std::vector<std::string> lines;
    for (auto& r : server_.requests()) lines.push_back(r.substr(0, r.find("\r\n")));
    return lines;
  }

 private:
  TestRawHTTPServer server_;
};

struct Env {
  std::vector<std::string> names;
  void set(const char* name, const std::string& value) {
    setenv(name, value.c_str(), 1);
    names.push_back(name);
  }
  ~Env() {
    for (auto& n : names) unsetenv(n.c_str());
  }
};

std::string writeFile(const std::string& name, const std::string& bytes) {
  std::string path = NSTemporaryDirectory() + name;
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

std::string script(const std::string& answer) {
  return "function FindProxyForURL(url, host) { return '" + answer + "'; }";
}

// The body the request ended with, or "failed".
std::string outcome(Exchange& e) {
  e.run();
  if (e.delegate->failed) return "failed";
  return bodyOr(e.request->responseString());
}

}  // namespace

TEST(HXProxy, AnOwnersProxyIsUsedAndTheSystemSettingsAreNotAsked) {
  TestHTTPServer origin;
  origin.on("/page", TestHTTPReply::text("direct"));
  TestProxy proxy;
  TestHTTPServer pacServer;
  Env env;
  env.set("auto_proxy", pacServer.url("/proxy.pac"));

  Exchange e(origin.url("/page?x=1"));
  e.request->setProxyHost("127.0.0.1");
  e.request->setProxyPort(proxy.port());
  EXPECT_EQ(outcome(e), "via proxy");
  ASSERT_EQ(proxy.requestLines().size(), 1u);
  // A plain http request names its whole URL to the proxy.
  EXPECT_EQ(proxy.requestLines()[0], "GET " + origin.url("/page?x=1") + " HTTP/1.1");
  EXPECT_EQ(pacServer.requestCount(), 0u);
  EXPECT_EQ(e.request->proxyType(), "HTTP");
}

TEST(HXProxy, TheEnvironmentsProxyCarriesRequestsExceptForItsExceptions) {
  TestHTTPServer origin;
  origin.on("/page", TestHTTPReply::text("direct"));
  TestProxy proxy;
  Env env;
  env.set("http_proxy", "http://" + proxy.address());

  Exchange proxied(origin.url("/page"));
  EXPECT_EQ(outcome(proxied), "via proxy");
  EXPECT_EQ(proxied.request->proxyHost(), "127.0.0.1");
  EXPECT_EQ(proxied.request->proxyPort(), proxy.port());

  env.set("no_proxy", "127.0.0.1");
  Exchange excepted(origin.url("/page"));
  EXPECT_EQ(outcome(excepted), "direct");
  EXPECT_EQ(proxy.requestLines().size(), 1u);
}

TEST(HXProxy, ALocalPACFileChoosesTheProxyAndAFailingOneSendsTheRequestDirect) {
  TestHTTPServer origin;
  origin.on("/page", TestHTTPReply::text("direct"));
  TestProxy proxy;
  std::string viaProxy = script("PROXY " + proxy.address() + "; DIRECT");
  struct Case {
    const char* name;
    std::string bytes;  // nullopt-like: "-" for no file at all
    const char* expected;
  } cases[] = {
      {"proxy first", viaProxy, "via proxy"},
      {"direct first", script("DIRECT; PROXY " + proxy.address()), "direct"},
      // Not UTF-8 (a Latin-1 e acute in a comment): read as ISO Latin-1.
      {"latin-1", "// caf\xe9\n" + viaProxy, "via proxy"},
      {"syntax error", "function FindProxyForURL(url, host) { return 'PROXY ' +; }", "direct"},
      {"no function", "var proxy = 'PROXY " + proxy.address() + "';", "direct"},
      {"endless", "function FindProxyForURL(url, host) { for (;;) {} }", "direct"},
      {"empty file", "", "direct"},
      {"missing file", "-", "direct"},
  };
  int n = 0;
  for (const auto& c : cases) {
    std::string path = NSTemporaryDirectory() + "missing.pac";
    if (c.bytes != "-") path = writeFile("case" + std::to_string(n++) + ".pac", c.bytes);
    Exchange e(origin.url("/page"));
    e.request->setPACurl(NSURL::fileURLWithPath(path));
    EXPECT_EQ(outcome(e), c.expected) << c.name;
  }
}

TEST(HXProxy, ADownloadedPACScriptRoutesTheRequestAndWidensTheSharedQueueWhileItLoads) {
  TestHTTPServer origin;
  origin.on("/page", TestHTTPReply::text("direct"));
  TestProxy proxy;
  TestHTTPServer pacServer;
  TestHTTPReply pac = TestHTTPReply::text(script("PROXY " + proxy.address()));
  pac.delaySeconds = 0.3;
  pacServer.on("/proxy.pac", pac);

  auto queue = HXHTTPRequest::sharedQueue();
  long width = queue->maxConcurrentOperationCount();
  Exchange e(origin.url("/page"));
  e.request->setPACurl(enginetest::url(pacServer.url("/proxy.pac")));
  e.request->setTimeOutSeconds(7);
  e.request->startAsynchronous();
  ASSERT_TRUE(runMainLoopUntil([&] { return pacServer.requestCount() == 1; }));
  EXPECT_EQ(queue->maxConcurrentOperationCount(), width + 1);
  ASSERT_TRUE(runMainLoopUntil([&] { return e.delegate->done(); }));
  EXPECT_EQ(bodyOr(e.request->responseString()), "via proxy");
  EXPECT_EQ(queue->maxConcurrentOperationCount(), width);
  EXPECT_EQ(origin.requestCount(), 0u);

  // A synchronous request downloads the script on its own thread and goes the same way.
  Exchange sync(origin.url("/page"));
  sync.request->setPACurl(enginetest::url(pacServer.url("/proxy.pac")));
  sync.request->startSynchronous();
  EXPECT_EQ(bodyOr(sync.request->responseString()), "via proxy");
  EXPECT_EQ(pacServer.requestCount(), 2u);
}

TEST(HXProxy, ThePACURLOfTheSystemSettingsIsFetchedAndAnUnusableOneSendsTheRequestDirect) {
  TestHTTPServer origin;
  origin.on("/page", TestHTTPReply::text("direct"));
  TestProxy proxy;
  TestHTTPServer pacServer;
  pacServer.on("/proxy.pac", TestHTTPReply::text(script("PROXY " + proxy.address())));
  pacServer.on("/broken.pac", TestHTTPReply::text("not a script", 500));
  int closedPort;
  {
    TestHTTPServer gone;
    closedPort = gone.port();
  }
  struct Case {
    std::string pacURL;
    const char* expected;
  } cases[] = {
      {pacServer.url("/proxy.pac"), "via proxy"},
      {pacServer.url("/broken.pac"), "direct"},
      {"http://127.0.0.1:" + std::to_string(closedPort) + "/proxy.pac", "direct"},
      {"ftp://127.0.0.1/proxy.pac", "direct"},
  };
  Env env;
  for (const auto& c : cases) {
    env.set("auto_proxy", c.pacURL);
    Exchange e(origin.url("/page"));
    EXPECT_EQ(outcome(e), c.expected) << c.pacURL;
  }
}

TEST(HXProxy, CancellingWhileTheScriptDownloadsNarrowsTheQueueAgain) {
  TestHTTPServer origin;
  TestHTTPServer pacServer;
  TestHTTPReply silent;
  silent.silent = true;
  pacServer.on("/proxy.pac", silent);

  auto queue = HXHTTPRequest::sharedQueue();
  long width = queue->maxConcurrentOperationCount();
  Exchange e(origin.url("/page"));
  e.request->setPACurl(enginetest::url(pacServer.url("/proxy.pac")));
  e.request->startAsynchronous();
  ASSERT_TRUE(runMainLoopUntil([&] { return pacServer.requestCount() == 1; }));
  EXPECT_EQ(queue->maxConcurrentOperationCount(), width + 1);
  e.request->cancel();
  ASSERT_TRUE(runMainLoopUntil([&] { return e.delegate->done(); }));
  EXPECT_TRUE(e.delegate->failed);
  EXPECT_EQ(e.request->error()->code(), HXRequestCancelledErrorType);
  EXPECT_EQ(queue->maxConcurrentOperationCount(), width);
  EXPECT_EQ(origin.requestCount(), 0u);
  pacServer.releaseSilent();
}

TEST(HXProxy, AProxyThatAsksForCredentialsIsAnsweredWithTheProxyOnes) {
  TestHTTPServer origin;
  TestProxy proxy("gatekeeper:open sesame");
  Exchange e(origin.url("/page"));
  e.request->setProxyHost("127.0.0.1");
  e.request->setProxyPort(proxy.port());
  e.request->setProxyUsername("gatekeeper");
  e.request->setProxyPassword("open sesame");
  EXPECT_EQ(outcome(e), "via proxy");
  EXPECT_EQ(e.request->proxyAuthenticationScheme(), "Basic");
  EXPECT_EQ(proxy.requestLines().size(), 2u);
}

// The URL connection against real loopback servers: its events in order on the run loop, the
// errors of the URL domain, cancelling, cookies and synchronous sends.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CFNetwork/CFNetworkConfiguration.h"
#include "CFNetwork/NSHTTPCookie.h"
#include "CFNetwork/NSURLConnection.h"
#include "Foundation/NSURL.h"
#include "Foundation/NSURLError.h"
#include "SystemConfiguration/SCNetworkReachability.h"
#include "support/MainLoop.h"
#include "support/TestHTTPServer.h"

using testsupport::TestHTTPReply;
using testsupport::TestHTTPServer;

namespace {

// Writes down every event as a line.
struct Listener : NSURLConnectionDelegate {
  std::vector<std::string> events;
  std::shared_ptr<NSHTTPURLResponse> response;
  std::string body;
  NSErrorPtr error;
  bool done = false;
  bool cancelOnResponse = false;

  void connectionDidReceiveResponse(const std::shared_ptr<NSURLConnection>& c,
                                    const std::shared_ptr<NSURLResponse>& r) override {
    response = std::dynamic_pointer_cast<NSHTTPURLResponse>(r);
    events.push_back("response " + std::to_string(response ? response->statusCode() : 0));
    if (cancelOnResponse) {
      c->cancel();
      done = true;
    }
  }
  void connectionDidReceiveData(const std::shared_ptr<NSURLConnection>&,
                                const std::string& data) override {
    if (events.empty() || events.back() != "data") events.push_back("data");
    body += data;
  }
  void connectionDidSendBodyData(const std::shared_ptr<NSURLConnection>&, long long,
                                 long long total, long long expected) override {
    events.push_back("sent " + std::to_string(total) + "/" + std::to_string(expected));
  }
  void connectionDidFinishLoading(const std::shared_ptr<NSURLConnection>&) override {
    events.push_back("finish");
    done = true;
  }
  void connectionDidFailWithError(const std::shared_ptr<NSURLConnection>&,
                                  const NSErrorPtr& e) override {
    events.push_back("fail " + std::to_string(e->code()));
    error = e;
    done = true;
  }
};

std::shared_ptr<NSMutableURLRequest> requestFor(const std::string& url, double timeout = 10) {
  return NSMutableURLRequest::requestWithURL(
      NSURL::URLWithString(url), NSURLRequestCachePolicy::ReloadIgnoringLocalCacheData, timeout);
}

std::shared_ptr<Listener> send(const NSURLRequest& request) {
  auto listener = std::make_shared<Listener>();
  auto connection = NSURLConnection::connectionWithRequest(request, listener);
  EXPECT_TRUE(MainLoop::runUntil([&] { return listener->done; }));
  return listener;
}

class URLConnectionTest : public ::testing::Test {
 protected:
  void SetUp() override { MainLoop::install(); }
  TestHTTPServer server;
};

}  // namespace

TEST_F(URLConnectionTest, AGetHearsTheResponseThenTheBodyThenTheEnd) {
  TestHTTPReply reply =
      TestHTTPReply::text(std::string(100000, 'z'), 200, "text/html; charset=GBK");
  reply.headers = {{"ETag", "W/\"v1\""}};
  reply.chunkSize = 4096;
  server.on("/page", reply);
  auto l = send(*requestFor(server.url("/page")));
  EXPECT_EQ(l->events, (std::vector<std::string>{"response 200", "data", "finish"}));
  EXPECT_EQ(l->body, std::string(100000, 'z'));
  EXPECT_EQ(l->response->MIMEType(), "text/html");
  EXPECT_EQ(l->response->textEncodingName(), "gbk");
  EXPECT_EQ(l->response->expectedContentLength(), 100000);
  EXPECT_EQ(l->response->allHeaderFields()->objectForKey("Etag").string(), "W/\"v1\"");
  EXPECT_EQ(l->response->URL()->absoluteString(), server.url("/page"));

  // Any status is a response with its body; a redirect is not followed.
  server.on("/missing", TestHTTPReply::text("gone", 404));
  auto missing = send(*requestFor(server.url("/missing")));
  EXPECT_EQ(missing->events, (std::vector<std::string>{"response 404", "data", "finish"}));
  TestHTTPReply moved = TestHTTPReply::text("", 302);
  moved.headers = {{"Location", server.url("/page")}};
  server.on("/moved", moved);
  EXPECT_EQ(send(*requestFor(server.url("/moved")))->events,
            (std::vector<std::string>{"response 302", "finish"}));
}

TEST_F(URLConnectionTest, APostSendsItsBodyAndHeadersAndTellsTheUploadFirst) {
  server.on("/form", TestHTTPReply::text("ok"));
  auto request = requestFor(server.url("/form"));
  request->setHTTPMethod("POST");
  request->setValueForHTTPHeaderField("application/octet-stream", "Content-Type");
  request->setValueForHTTPHeaderField("zept", "User-Agent");
  std::string body(300000, 'b');
  request->setHTTPBody(body);
  auto l = send(*request);
  ASSERT_GE(l->events.size(), 4u);
  EXPECT_EQ(l->events.back(), "finish");
  EXPECT_EQ(l->events[l->events.size() - 3], "response 200");
  EXPECT_EQ(l->events[l->events.size() - 4], "sent 300000/300000");
  for (size_t i = 0; i + 3 < l->events.size(); ++i)
    EXPECT_EQ(l->events[i].rfind("sent ", 0), 0u) << l->events[i];
  auto received = server.lastRequest();
  EXPECT_EQ(received.method, "POST");
  EXPECT_EQ(received.body, body);
  EXPECT_EQ(received.header("Content-Length"), "300000");
  EXPECT_EQ(received.header("User-Agent"), "zept");
  EXPECT_EQ(received.header("Content-Type"), "application/octet-stream");
}

TEST_F(URLConnectionTest, FailuresAreErrorsOfTheURLDomain) {
  TestHTTPServer closed;
  std::string refused = closed.url("/x");
  closed.stop();
  TestHTTPReply silent;
  silent.silent = true;
  server.on("/silent", silent);
  const std::pair<std::string, long> cases[] = {
      {"no scheme at all", NSURLErrorBadURL},
      {"ftp://127.0.0.1/file", NSURLErrorUnsupportedURL},
      {refused, NSURLErrorCannotConnectToHost},
      {server.url("/silent"), NSURLErrorTimedOut},
  };
  for (auto& [url, code] : cases) {
    auto request = requestFor(url, 0.5);
    auto listener = std::make_shared<Listener>();
    auto connection = NSURLConnection::connectionWithRequest(*request, listener);
    // The timeout runs on the loop's clock.
    for (int i = 0; i < 100 && !listener->done; ++i) {
      MainLoop::runUntil([&] { return listener->done; }, 0.05);
      MainLoop::advance(0.1);
    }
    ASSERT_TRUE(listener->done) << url;
    EXPECT_EQ(listener->events, (std::vector<std::string>{"fail " + std::to_string(code)})) << url;
    EXPECT_EQ(listener->error->domain(), NSURLErrorDomain);
    EXPECT_FALSE(listener->error->localizedDescription().empty());
  }
  server.releaseSilent();

  // Offline, nothing is sent.
  size_t before = server.requestCount();
  SCNetworkReachabilitySetTestFlags(0);
  server.on("/page", TestHTTPReply::text("hello"));
  EXPECT_EQ(send(*requestFor(server.url("/page")))->events,
            (std::vector<std::string>{"fail -1009"}));
  SCNetworkReachabilitySetTestFlags(std::nullopt);
  EXPECT_EQ(server.requestCount(), before);
}

TEST_F(URLConnectionTest, AHostCanBeMadeNotFoundForSomeLookups) {
  server.on("/page", TestHTTPReply::text("hello"));
  CFNetworkMapHost("pictures.zept.example", 0, "127.0.0.1", server.port());
  CFNetworkFailHostLookups("Pictures.Zept.Example", 2);
  std::string url = "http://pictures.zept.example/page";
  EXPECT_EQ(send(*requestFor(url))->events, (std::vector<std::string>{"fail -1003"}));
  EXPECT_EQ(send(*requestFor(url))->events, (std::vector<std::string>{"fail -1003"}));
  auto third = send(*requestFor(url));
  EXPECT_EQ(third->body, "hello");
  EXPECT_EQ(server.requestCount(), 1u);
  EXPECT_EQ(server.lastRequest().header("Host"), "pictures.zept.example");
  CFNetworkRemoveHostMappings();
}

TEST_F(URLConnectionTest, NothingIsToldAfterCancel) {
  TestHTTPReply big = TestHTTPReply::text(std::string(200000, 'x'));
  big.chunkSize = 1000;
  big.pieceDelaySeconds = 0.001;
  server.on("/big", big);
  auto listener = std::make_shared<Listener>();
  listener->cancelOnResponse = true;
  auto connection =
      NSURLConnection::connectionWithRequest(*requestFor(server.url("/big")), listener);
  ASSERT_TRUE(MainLoop::runUntil([&] { return listener->done; }));
  connection.reset();
  MainLoop::runUntil([] { return false; }, 0.3);
  EXPECT_EQ(listener->events, (std::vector<std::string>{"response 200"}));

  // Cancelled before the loop came by: nothing at all.
  auto quiet = std::make_shared<Listener>();
  auto second = NSURLConnection::connectionWithRequest(*requestFor(server.url("/big")), quiet);
  second->cancel();
  MainLoop::runUntil([] { return false; }, 0.3);
  EXPECT_TRUE(quiet->events.empty());
}

TEST_F(URLConnectionTest, CookiesGoBackWhenTheRequestHandlesThem) {
  TestHTTPReply setter = TestHTTPReply::text("set");
  setter.headers = {{"Set-Cookie", "session=abc; Path=/"}};
  server.on("/login", setter);
  server.on("/page", TestHTTPReply::text("page"));
  send(*requestFor(server.url("/login")));
  send(*requestFor(server.url("/page")));
  EXPECT_EQ(server.lastRequest().header("Cookie"), "session=abc");
  auto without = requestFor(server.url("/page"));
  without->setHTTPShouldHandleCookies(false);
  send(*without);
  EXPECT_FALSE(server.lastRequest().hasHeader("Cookie"));
  NSHTTPCookieStorage::sharedHTTPCookieStorage().deleteAllCookies();
}

TEST_F(URLConnectionTest, ASynchronousSendWaitsForTheWholeAnswer) {
  server.on("/page", TestHTTPReply::text("hello", 201));
  std::shared_ptr<NSURLResponse> response;
  NSErrorPtr error;
  auto body =
      NSURLConnection::sendSynchronousRequest(*requestFor(server.url("/page")), &response, &error);
  ASSERT_TRUE(body);
  EXPECT_EQ(*body, "hello");
  EXPECT_EQ(std::dynamic_pointer_cast<NSHTTPURLResponse>(response)->statusCode(), 201);
  EXPECT_FALSE(error);

  TestHTTPServer closed;
  std::string refused = closed.url("/x");
  closed.stop();
  EXPECT_FALSE(NSURLConnection::sendSynchronousRequest(*requestFor(refused), &response, &error));
  EXPECT_EQ(error->code(), NSURLErrorCannotConnectToHost);

  TestHTTPReply silent;
  silent.silent = true;
  server.on("/silent", silent);
  EXPECT_FALSE(NSURLConnection::sendSynchronousRequest(*requestFor(server.url("/silent"), 0.3),
                                                       nullptr, &error));
  EXPECT_EQ(error->code(), NSURLErrorTimedOut);
  server.releaseSilent();
}

// The engine end to end against scripted servers on loopback.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "CFNetwork/CFNetworkConfiguration.h"
#include "CFNetwork/NSHTTPCookie.h"
#include "EngineTestSupport.h"
#include "Foundation/Clock.h"
#include "Foundation/NSFileManager.h"
#include "Foundation/NSPathUtilities.h"
#include "Foundation/NSTimer.h"
#include "UIKit/UIApplication.h"
#include "net/http/HXCacheDelegate.h"
#include "net/http/HXHTTPRequest.h"
#include "support/TestHTTPServer.h"

using enginetest::Exchange;
using enginetest::filesIn;
using enginetest::RecordingDelegate;
using enginetest::runMainLoopFor;
using enginetest::runMainLoopUntil;
using enginetest::url;
using enginetest::UsageLogRecorder;
using testsupport::TestHTTPReply;
using testsupport::TestHTTPRequest;
using testsupport::TestHTTPServer;

TEST(HXHTTPRequest, AGetRunsEndToEndWithItsCallbacksInOrderOnTheMainThread) {
  TestHTTPServer server;
  server.on("/hello", TestHTTPReply::text("hello world", 200, "text/plain; charset=utf-8"));
  UsageLogRecorder log;
  Exchange x(server.url("/hello"));
  x.run();

  EXPECT_EQ(x.delegate->events, (std::vector<std::string>{"started", "headers", "finished"}));
  EXPECT_TRUE(x.delegate->allOnMainThread);
  auto& r = *x.request;
  EXPECT_EQ(r.responseStatusCode(), 200);
  EXPECT_EQ(r.responseStatusMessage(), "HTTP/1.1 200 OK");
  EXPECT_EQ(enginetest::bodyOr(r.responseString(), "<nil>"), "hello world");
  EXPECT_EQ(r.responseEncoding(), NSUTF8StringEncoding);
  EXPECT_EQ(r.contentLength(), 11u);
  EXPECT_EQ(r.totalBytesRead(), 11u);
  EXPECT_FALSE(r.error());
  EXPECT_TRUE(r.isInRequest());
  EXPECT_TRUE(r.complete());
  ASSERT_TRUE(x.delegate->headers);
  EXPECT_EQ(x.delegate->headers->objectForKey("Content-Length").description(), "11");
  EXPECT_EQ(r.originalURL()->absoluteString(), server.url("/hello"));

  auto sent = server.lastRequest();
  EXPECT_EQ(sent.method, "GET");
  EXPECT_EQ(sent.header("Accept-Encoding"), "gzip");
  EXPECT_EQ(sent.header("User-Agent"), HXHTTPRequest::defaultUserAgentString().value_or(""));
  EXPECT_FALSE(sent.hasHeader("Content-Length"));
  EXPECT_TRUE(log.events.empty());
  // The operation is over for its queue too.
  EXPECT_TRUE(runMainLoopUntil([&] { return r.isFinished() && !r.isExecuting(); }));
}

TEST(HXHTTPRequest, APostSendsItsBodyAndA404FinishesNormally) {
  TestHTTPServer server;
  server.on("/missing", [](const TestHTTPRequest& q) {
    return TestHTTPReply::text("no " + q.method + " " + q.body, 404);
  });
  Exchange x(server.url("/missing"));
  x.request->setRequestMethod("POST");
  x.request->addRequestHeader("Content-Type", "application/x-www-form-urlencoded");
  x.request->appendPostData("a=1&b=2");
  x.run();

  EXPECT_TRUE(x.delegate->finished);
  EXPECT_EQ(x.request->responseStatusCode(), 404);
  EXPECT_EQ(enginetest::bodyOr(x.request->responseString(), ""), "no POST a=1&b=2");
  auto sent = server.lastRequest();
  EXPECT_EQ(sent.header("Content-Length"), "7");
  EXPECT_EQ(sent.header("Content-Type"), "application/x-www-form-urlencoded");
  // POST never keeps its connection.
  EXPECT_FALSE(x.request->shouldAttemptPersistentConnection());
}

TEST(HXHTTPRequest, ABodyDecidesTheMethod) {
  TestHTTPServer server;
  server.on("/m", [](const TestHTTPRequest& q) { return TestHTTPReply::text(q.method); });
  struct Case {
    std::string method;
    std::string body;
    std::string sent;
    bool contentLength;  // the engine's own header
  } cases[] = {
      {"GET", "x", "POST", true},  {"DELETE", "x", "POST", true}, {"PUT", "x", "PUT", true},
      {"POST", "", "POST", false}, {"GET", "", "GET", false},
  };
  for (auto& c : cases) {
    Exchange x(server.url("/m"));
    x.request->setRequestMethod(c.method);
    x.request->appendPostData(c.body);
    x.run();
    EXPECT_EQ(enginetest::bodyOr(x.request->responseString(), ""), c.sent)
        << c.method << " " << c.body;
    auto headers = x.request->requestHeaders();
    EXPECT_EQ(headers && !headers->objectForKey("Content-Length").isNil(), c.contentLength)
        << c.method;
    std::string onWire = server.lastRequest().header("Content-Length");
    if (c.body.empty()) {
      EXPECT_TRUE(onWire.empty() || onWire == "0") << onWire;
    }
  }
}

TEST(HXHTTPRequest, TheCallersUserAgentWinsAndAcceptEncodingIsAlwaysGzip) {
  TestHTTPServer server;
  server.on("/h", TestHTTPReply::text("h"));
  struct Case {
    std::optional<std::string> header, property;
    std::string sent;
  } cases[] = {
      {"own/1", "property/2", "own/1"},
      {std::nullopt, "property/2", "property/2"},
      {std::nullopt, std::nullopt, HXHTTPRequest::defaultUserAgentString().value_or("")},
  };
  for (auto& c : cases) {
    Exchange x(server.url("/h"));
    if (c.header) x.request->addRequestHeader("User-Agent", *c.header);
    x.request->setUserAgent(c.property);
    x.request->addRequestHeader("Accept-Encoding", "br");
    x.run();
    EXPECT_EQ(server.lastRequest().header("User-Agent"), c.sent);
    EXPECT_EQ(server.lastRequest().header("Accept-Encoding"), "gzip");
  }
  Exchange plain(server.url("/h"));
  plain.request->setAllowCompressedResponse(false);
  plain.run();
  EXPECT_FALSE(server.lastRequest().hasHeader("Accept-Encoding"));
}

TEST(HXHTTPRequest, ADownloadReplacesAnExistingFileAndLeavesNoTemporaryFile) {
  TestHTTPServer server;
  std::string body(300000, '\0');
  for (size_t i = 0; i < body.size(); ++i) body[i] = char('a' + i % 26);
  server.on("/file", TestHTTPReply::text(body, 200, "application/octet-stream"));
  std::string destination = stringByAppendingPathComponent(NSDocumentDirectory(), "file.bin");
  ASSERT_TRUE(writeToFile(destination, "old contents", false));
  auto before = filesIn(NSTemporaryDirectory());
  auto beside = filesIn(NSDocumentDirectory());

  Exchange x(server.url("/file"));
  x.request->setDownloadDestinationPath(destination);
  x.run();

  EXPECT_TRUE(x.delegate->finished);
  EXPECT_EQ(dataWithContentsOfFile(destination).value_or(""), body);
  EXPECT_FALSE(x.request->rawResponseData());
  EXPECT_FALSE(x.request->responseData());
  EXPECT_EQ(filesIn(NSTemporaryDirectory()), before);
  EXPECT_EQ(filesIn(NSDocumentDirectory()), beside);
}

TEST(HXHTTPRequest, AGzipReplyStaysCompressedUntilAskedAndDecodesByItsCharset) {
  TestHTTPServer server;
  std::string utf8 = "caf\xC3\xA9 " + std::string(200, 'x');
  TestHTTPReply withCharset = TestHTTPReply::text(utf8, 200, "text/html; charset=utf-8");
  withCharset.gzip = true;
  server.on("/utf8", withCharset);
  std::string latin1 = "caf\xE9";
  TestHTTPReply noCharset = TestHTTPReply::text(latin1, 200, "text/plain");
  noCharset.gzip = true;
  noCharset.chunked = true;
  server.on("/latin1", noCharset);

  Exchange a(server.url("/utf8"));
  a.run();
  auto raw = enginetest::bodyOr(a.request->rawResponseData(), "");
  ASSERT_GE(raw.size(), 2u);
  EXPECT_EQ(uint8_t(raw[0]), 0x1F);
  EXPECT_EQ(uint8_t(raw[1]), 0x8B);
  EXPECT_TRUE(a.request->isResponseCompressed());
  EXPECT_EQ(enginetest::bodyOr(a.request->responseData(), ""), utf8);
  EXPECT_EQ(enginetest::bodyOr(a.request->responseString(), ""), utf8);
  EXPECT_EQ(a.request->totalBytesRead(), raw.size());

  Exchange b(server.url("/latin1"));
  b.run();
  EXPECT_EQ(b.request->responseEncoding(), NSISOLatin1StringEncoding);
  EXPECT_EQ(enginetest::bodyOr(b.request->responseString(), ""), "caf\xC3\xA9");
  // Without a length the length is what was read.
  EXPECT_EQ(b.request->contentLength(), b.request->rawResponseData()->size());

  // To a file the body arrives inflated.
  std::string destination = stringByAppendingPathComponent(NSDocumentDirectory(), "page.html");
  Exchange c(server.url("/utf8"));
  c.request->setDownloadDestinationPath(destination);
  c.run();
  EXPECT_EQ(dataWithContentsOfFile(destination).value_or(""), utf8);

  // Inflating as the pieces arrive gives the same.
  Exchange d(server.url("/utf8"));
  d.request->setShouldWaitToInflateCompressedResponses(false);
  d.run();
  EXPECT_EQ(enginetest::bodyOr(d.request->responseString(), ""), utf8);
}

TEST(HXHTTPRequest, A302AfterAPostBecomesAGetWhileA307KeepsTheMethodAndBody) {
  TestHTTPServer server;
  server.on("/302", [&](const TestHTTPRequest&) {
    TestHTTPReply r = TestHTTPReply::text("moved", 302);
    r.headers = {{"Location", "/target"}};
    return r;
  });
  server.on("/307", [&](const TestHTTPRequest&) {
    TestHTTPReply r = TestHTTPReply::text("moved", 307);
    r.headers = {{"Location", server.url("/target")}};
    return r;
  });
  server.on("/target",
            [](const TestHTTPRequest& q) { return TestHTTPReply::text(q.method + ":" + q.body); });
  for (std::string start : {"/302", "/307"}) {
    Exchange x(server.url(start));
    x.request->setRequestMethod("POST");
    x.request->appendPostData("payload");
    x.request->addRequestHeader("X-Custom", "kept?");
    x.request->addRequestHeader("Accept", "text/plain");
    x.request->setUserAgent("agent/1");
    x.run();
    ASSERT_TRUE(x.delegate->finished) << start;
    auto target = server.lastRequest();
    EXPECT_EQ(target.path, "/target");
    EXPECT_EQ(x.request->url()->absoluteString(), server.url("/target"));
    EXPECT_EQ(x.request->originalURL()->absoluteString(), server.url(start));
    EXPECT_EQ(x.request->redirectCount(), 1);
    // The redirect response's headers are reported too.
    EXPECT_EQ(x.delegate->events, (std::vector<std::string>{"started", "redirected", "headers",
                                                            "started", "headers", "finished"}));
    EXPECT_EQ(target.header("User-Agent"), "agent/1");
    EXPECT_EQ(target.header("Accept"), "text/plain");
    if (start == "/302") {
      EXPECT_EQ(enginetest::bodyOr(x.request->responseString(), ""), "GET:");
      EXPECT_FALSE(target.hasHeader("Content-Length"));
      EXPECT_FALSE(target.hasHeader("X-Custom"));
    } else {
      EXPECT_EQ(enginetest::bodyOr(x.request->responseString(), ""), "POST:payload");
      EXPECT_EQ(target.header("X-Custom"), "kept?");
    }
  }
}

TEST(HXHTTPRequest, FiveRedirectsAreFollowedAndTheSixthFails) {
  TestHTTPServer server;
  // /hop/N redirects to /hop/N-1; /hop/0 answers.
  server.on("/hop/0", TestHTTPReply::text("arrived"));
  for (int n = 1; n <= 6; ++n) {
    TestHTTPReply r = TestHTTPReply::text("", 302);
    r.headers = {{"Location", "/hop/" + std::to_string(n - 1)}};
    server.on("/hop/" + std::to_string(n), r);
  }
  UsageLogRecorder log;
  Exchange five(server.url("/hop/5"));
  five.run();
  EXPECT_TRUE(five.delegate->finished);
  EXPECT_EQ(enginetest::bodyOr(five.request->responseString(), ""), "arrived");
  EXPECT_EQ(five.request->redirectCount(), 5);

  Exchange six(server.url("/hop/6"));
  six.run();
  ASSERT_TRUE(six.delegate->failed);
  auto e = six.request->error();
  ASSERT_TRUE(e);
  EXPECT_EQ(e->domain(), kHXHTTPRequestErrorDomain);
  EXPECT_EQ(e->code(), 9);
  EXPECT_EQ(e->localizedDescription(), "The request failed because it redirected too many times");
  EXPECT_EQ(log.events.size(), 1u);
}

TEST(HXHTTPRequest, ADelegateThatConfirmsRedirectsDecidesWhereTheyGo) {
  TestHTTPServer server;
  TestHTTPReply moved = TestHTTPReply::text("", 301);
  moved.headers = {{"Location", "/first"}};
  server.on("/start", moved);
  server.on("/first", TestHTTPReply::text("first"));
  server.on("/chosen", TestHTTPReply::text("chosen"));
  Exchange x(server.url("/start"));
  x.delegate->confirmRedirects = true;
  x.delegate->onRedirectConfirmation = [&](const std::shared_ptr<HXHTTPRequest>& r,
                                           const std::shared_ptr<NSURL>&) {
    r->redirectToURL(url(server.url("/chosen")));
  };
  x.run();
  EXPECT_EQ(enginetest::bodyOr(x.request->responseString(), ""), "chosen");
  auto& events = x.delegate->events;
  EXPECT_NE(std::find(events.begin(), events.end(), "willRedirect " + server.url("/first")),
            events.end());
  EXPECT_EQ(server.requestCount(), 2u);  // /first was never asked for
}

TEST(HXHTTPRequest, ASilentServerTimesTheRequestOutAndTheFailureIsLoggedWithoutSecrets) {
  TestHTTPServer server;
  TestHTTPReply silent;
  silent.silent = true;
  server.on("/silent", silent);
  UsageLogRecorder log;
  Exchange x(server.url("/silent?access_token=SECRET&code=42"));
  x.request->setTimeOutSeconds(1.0);
  auto started = std::chrono::steady_clock::now();
  x.run();
  double elapsed =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

  ASSERT_TRUE(x.delegate->failed);
  auto e = x.request->error();
  ASSERT_TRUE(e);
  EXPECT_EQ(e->code(), 2);
  EXPECT_EQ(e->localizedDescription(), "The request timed out");
  EXPECT_GE(elapsed, 1.0);
  EXPECT_FALSE(x.request->isCanceledRequest());
  ASSERT_EQ(log.events.size(), 1u);
  EXPECT_EQ(log.events[0].type, 903);
  ASSERT_EQ(log.events[0].data.count(), 2u);
  EXPECT_EQ(log.events[0].data[0].intValue(), 903);
  std::string text(log.events[0].data[1].string());
  EXPECT_EQ(text, "url:" + server.url("/silent") + " Reason:(null) des:The request timed out");
  EXPECT_EQ(text.find("SECRET"), std::string::npos);
  server.releaseSilent();
}

TEST(HXHTTPRequest, ATimeoutWithARetryLeftSendsOnceMore) {
  TestHTTPServer server;
  TestHTTPReply silent;
  silent.silent = true;
  server.on("/silent", silent);
  Exchange x(server.url("/silent"));
  x.request->setTimeOutSeconds(0.5);
  x.request->setNumberOfTimesToRetryOnTimeout(1);
  x.run();
  ASSERT_TRUE(x.delegate->failed);
  EXPECT_EQ(x.request->error()->code(), 2);
  EXPECT_EQ(x.request->retryCount(), 1);
  EXPECT_EQ(server.requestCount(), 2u);
  // Each attempt says it started.
  EXPECT_EQ(x.delegate->events, (std::vector<std::string>{"started", "started", "failed"}));
  server.releaseSilent();
}

TEST(HXHTTPRequest, CancellingARunningRequestFailsItWithCode4AndLogsNothing) {
  TestHTTPServer server;
  TestHTTPReply silent;
  silent.silent = true;
  server.on("/silent", silent);
  UsageLogRecorder log;
  Exchange x(server.url("/silent"));
  x.request->startAsynchronous();
  ASSERT_TRUE(server.waitForRequests(1));
  x.request->cancel();
  ASSERT_TRUE(runMainLoopUntil([&] { return x.delegate->done(); }));
  EXPECT_TRUE(x.delegate->failed);
  EXPECT_EQ(x.request->error()->code(), 4);
  EXPECT_EQ(x.request->error()->localizedDescription(), "The request was cancelled");
  EXPECT_TRUE(x.request->isCanceledRequest());
  // The cancelled mark is set once the cancellation has torn the transfer down.
  EXPECT_TRUE(runMainLoopUntil([&] { return x.request->isCancelled(); }));
  runMainLoopFor(0.2);
  EXPECT_TRUE(log.events.empty());
  server.releaseSilent();
}

TEST(HXHTTPRequest, ClearDelegatesAndCancelSilencesEveryReceiver) {
  TestHTTPServer server;
  TestHTTPReply silent;
  silent.silent = true;
  server.on("/silent", silent);
  Exchange x(server.url("/silent"));
  bool blockCalled = false;
  x.request->setFailedBlock([&] { blockCalled = true; });
  x.request->startAsynchronous();
  ASSERT_TRUE(server.waitForRequests(1));
  size_t eventsBefore = x.delegate->events.size();
  x.request->clearDelegatesAndCancel();
  ASSERT_TRUE(runMainLoopUntil([&] { return x.request->isFinished(); }));
  runMainLoopFor(0.3);
  EXPECT_EQ(x.delegate->events.size(), eventsBefore);
  EXPECT_FALSE(blockCalled);
  ASSERT_TRUE(x.request->error());
  EXPECT_EQ(x.request->error()->code(), 4);
  server.releaseSilent();
}

TEST(HXHTTPRequest, CancellingAFinishedRequestOnlyMarksItAndARestartClearsTheMark) {
  TestHTTPServer server;
  server.on("/ok", TestHTTPReply::text("ok"));
  Exchange x(server.url("/ok"));
  EXPECT_FALSE(x.request->isInRequest());
  x.run();
  x.request->cancel();
  ASSERT_TRUE(runMainLoopUntil([&] { return x.request->isCanceledRequest(); }));
  runMainLoopFor(0.1);
  EXPECT_FALSE(x.request->error());
  EXPECT_FALSE(x.request->isCancelled());
  EXPECT_EQ(x.delegate->events.back(), "finished");
  x.request->startAsynchronous();  // a used request does not run again
  EXPECT_FALSE(x.request->isCanceledRequest());
  EXPECT_TRUE(x.request->isInRequest());
}

TEST(HXHTTPRequest, ACancelledDownloadLeavesNoFileBehind) {
  TestHTTPServer server;
  TestHTTPReply slow =
      TestHTTPReply::text(std::string(400000, 'd'), 200, "application/octet-stream");
  slow.chunkSize = 20000;
  slow.pieceDelaySeconds = 0.1;
  server.on("/slow", slow);
  std::string folder = stringByAppendingPathComponent(NSDocumentDirectory(), "slow");
  ASSERT_TRUE(NSFileManager::defaultManager().createDirectoryAtPath(folder, true));
  std::string destination = stringByAppendingPathComponent(folder, "slow.bin");
  auto before = filesIn(NSTemporaryDirectory());
  auto progress = std::make_shared<enginetest::RecordingProgress>();
  Exchange x(server.url("/slow"));
  x.request->setDownloadDestinationPath(destination);
  x.request->setDownloadProgressDelegate(progress);
  x.request->startAsynchronous();
  ASSERT_TRUE(runMainLoopUntil([&] { return !progress->received.empty(); }));
  // The body is being written beside where it goes.
  EXPECT_EQ(filesIn(folder).size(), 1u);
  x.request->cancel();
  ASSERT_TRUE(runMainLoopUntil([&] { return x.delegate->done(); }));
  // The failure is reported before the transfer is torn down.
  EXPECT_TRUE(runMainLoopUntil([&] { return filesIn(folder).empty(); }, 5));
  EXPECT_EQ(filesIn(NSTemporaryDirectory()), before);
}

TEST(HXHTTPRequest, TwoGetsToOneHostShareOneConnection) {
  TestHTTPServer::Options options;
  options.keepAliveTimeoutSeconds = 15;
  options.keepAliveMax = 100;
  TestHTTPServer server(options);
  server.on("/a", TestHTTPReply::text("a"));
  Exchange first(server.url("/a"));
  first.run();
  Exchange second(server.url("/a"));
  second.run();
  EXPECT_EQ(server.connectionCount(), 1u);
  EXPECT_EQ(server.requestCount(), 2u);
  auto info = second.request->connectionInfo();
  ASSERT_TRUE(info);
  EXPECT_EQ(first.request->connectionID(), second.request->connectionID());
  EXPECT_TRUE(second.request->connectionCanBeReused());
  EXPECT_EQ(second.request->persistentConnectionTimeoutSeconds(), 15.0);
  EXPECT_FALSE(info->request);
  ASSERT_TRUE(info->expires);
  double left = *info->expires - realClock()->now();
  EXPECT_GT(left, 10.0);
  EXPECT_LE(left, 15.0);
  EXPECT_EQ(server.lastRequest().remotePort, server.requests()[0].remotePort);

  // Another port is another connection.
  TestHTTPServer other(options);
  other.on("/a", TestHTTPReply::text("a"));
  Exchange third(other.url("/a"));
  third.run();
  EXPECT_NE(third.request->connectionID(), second.request->connectionID());
}

TEST(HXHTTPRequest, AKeepAliveMaxOfFiveOrAnHTTP10CloseIsNotReused) {
  TestHTTPServer::Options options;
  options.keepAliveMax = 5;
  TestHTTPServer five(options);
  five.on("/a", TestHTTPReply::text("a"));
  for (int i = 0; i < 2; ++i) {
    Exchange x(five.url("/a"));
    x.run();
    EXPECT_FALSE(x.request->connectionCanBeReused());
  }
  EXPECT_EQ(five.connectionCount(), 2u);

  testsupport::TestRawHTTPServer old([](const std::string&) {
    return testsupport::TestRawHTTPServer::RawReply{
        "HTTP/1.0 200 OK\r\nContent-Length: 3\r\nConnection: Keep-Alive-Please\r\n\r\nold", false};
  });
  for (int i = 0; i < 2; ++i) {
    Exchange x(old.url("/a"));
    x.run();
    EXPECT_EQ(enginetest::bodyOr(x.request->responseString(), ""), "old");
    EXPECT_FALSE(x.request->connectionCanBeReused());
  }
  EXPECT_EQ(old.connectionCount(), 2u);
}

TEST(HXHTTPRequest, ContentLengthIsReadAsDecimalAndAbsentLengthIsTheBytesRead) {
  testsupport::TestRawHTTPServer raw([](const std::string& request) {
    if (request.find("/octal") != std::string::npos)
      return testsupport::TestRawHTTPServer::RawReply{
          "HTTP/1.1 200 OK\r\nContent-Length: 010\r\n\r\n0123456789"};
    return testsupport::TestRawHTTPServer::RawReply{"HTTP/1.1 200 OK\r\n\r\nuntil the end", true};
  });
  Exchange octal(raw.url("/octal"));
  octal.run();
  EXPECT_EQ(octal.request->contentLength(), 10u);
  EXPECT_EQ(enginetest::bodyOr(octal.request->responseString(), ""), "0123456789");
  Exchange open(raw.url("/open"));
  open.run();
  EXPECT_EQ(enginetest::bodyOr(open.request->responseString(), ""), "until the end");
  EXPECT_EQ(open.request->contentLength(), 13u);
}

TEST(HXHTTPRequest, FailuresToReachTheServerOrToMakeTheRequestHaveTheirCodes) {
  int port;
  {
    TestHTTPServer gone;
    port = gone.port();
  }
  UsageLogRecorder log;
  Exchange refused("http://127.0.0.1:" + std::to_string(port) + "/x");
  refused.run();
  ASSERT_TRUE(refused.delegate->failed);
  EXPECT_EQ(refused.request->error()->code(), 1);
  EXPECT_EQ(refused.request->error()->localizedDescription(), "A connection failure occurred");
  ASSERT_TRUE(refused.request->error()->underlyingError());
  // The start is not reported once the request has failed.
  EXPECT_EQ(refused.delegate->events.back(), "failed");

  auto delegate = std::make_shared<RecordingDelegate>();
  auto nilURL = HXHTTPRequest::requestWithURL(nullptr);
  nilURL->setDelegate(delegate);
  nilURL->startAsynchronous();
  ASSERT_TRUE(runMainLoopUntil([&] { return delegate->done(); }));
  EXPECT_EQ(nilURL->error()->code(), 5);
  EXPECT_EQ(nilURL->error()->localizedDescription(), "Unable to create request (bad url?)");
  EXPECT_EQ(delegate->events, (std::vector<std::string>{"failed"}));
  EXPECT_EQ(log.events.size(), 2u);
}

TEST(HXHTTPRequest, AStreamCutInTheMiddleOfTheBodyFailsAfterOneFreshAttempt) {
  TestHTTPServer server;
  TestHTTPReply cut = TestHTTPReply::text(std::string(50000, 'c'));
  cut.closeAfterBodyBytes = 1000;
  server.on("/cut", cut);
  Exchange x(server.url("/cut"));
  x.run();
  ASSERT_TRUE(x.delegate->failed);
  EXPECT_EQ(x.request->error()->code(), 1);
  EXPECT_EQ(server.requestCount(), 2u);
}

TEST(HXHTTPRequest, ADelegateAnsweringOnlyTheFailSelectorHearsOnlyTheFailure) {
  struct Handler : NSObject {
    std::vector<std::shared_ptr<HXHTTPRequest>> failures;
    void failed(const Value& v) { failures.push_back(v.object<HXHTTPRequest>()); }
  };
  auto handler = std::make_shared<Handler>();
  auto request = HXHTTPRequest::requestWithURL(url("http://127.0.0.1:1/none"));
  request->setDelegate(handler);
  request->setDidFailSelector(selector(handler, &Handler::failed, "failed:"));
  request->startAsynchronous();
  ASSERT_TRUE(runMainLoopUntil([&] { return !handler->failures.empty(); }));
  EXPECT_EQ(handler->failures[0], request);
  EXPECT_EQ(request->error()->code(), 1);
}

TEST(HXHTTPRequest, ADataDelegateTakesEveryPieceAndNothingIsStored) {
  TestHTTPServer server;
  std::string body(200000, 'p');
  server.on("/pieces", TestHTTPReply::text(body));
  Exchange x(server.url("/pieces"));
  x.delegate->takeData = true;
  x.run();
  EXPECT_EQ(x.delegate->data, body);
  EXPECT_EQ(enginetest::bodyOr(x.request->rawResponseData(), "").size(), 0u);
}

TEST(HXHTTPRequest, CookiesFromAResponseGoBackWithTheNextRequest) {
  TestHTTPServer server;
  TestHTTPReply set = TestHTTPReply::text("set");
  set.headers = {{"Set-Cookie", "session=abc; Path=/"}, {"Set-Cookie", "theme=dark"}};
  server.on("/set", set);
  server.on("/get", TestHTTPReply::text("get"));
  Exchange a(server.url("/set"));
  a.run();
  EXPECT_EQ(a.request->responseCookies().size(), 2u);
  Exchange b(server.url("/get"));
  b.run();
  std::string cookie = server.lastRequest().header("Cookie");
  EXPECT_NE(cookie.find("session=abc"), std::string::npos);
  EXPECT_NE(cookie.find("theme=dark"), std::string::npos);
  EXPECT_EQ(HXHTTPRequest::sessionCookies().size(), 2u);
}

TEST(HXHTTPRequest, ASynchronousRequestOnTheMainThreadRunsInItsOwnMode) {
  TestHTTPServer server;
  server.on("/sync", TestHTTPReply::text("sync"));
  bool timerFired = false;
  auto timer = NSTimer::scheduledTimerWithTimeInterval(0, false, [&](auto&) { timerFired = true; });
  auto delegate = std::make_shared<RecordingDelegate>();
  auto request = HXHTTPRequest::requestWithURL(url(server.url("/sync")));
  request->setDelegate(delegate);
  request->startSynchronous();
  EXPECT_FALSE(timerFired);
  EXPECT_EQ(request->runLoopMode(), HXHTTPRequestRunLoopMode);
  EXPECT_TRUE(request->isSynchronous());
  EXPECT_EQ(enginetest::bodyOr(request->responseString(), ""), "sync");
  EXPECT_EQ(delegate->events, (std::vector<std::string>{"started", "headers", "finished"}));
  runMainLoopUntil([&] { return timerFired; }, 5);
  EXPECT_TRUE(timerFired);
}

TEST(HXHTTPRequest, WithoutAccurateProgressADownloadDelegateHearsOneUnit) {
  TestHTTPServer server;
  server.on("/p", TestHTTPReply::text(std::string(100000, 'p')));
  auto progress = std::make_shared<enginetest::RecordingProgress>();
  Exchange x(server.url("/p"));
  x.request->setShowAccurateProgress(false);
  x.request->setDownloadProgressDelegate(progress);
  x.run();
  runMainLoopFor(0.1);
  EXPECT_EQ(progress->received, (std::vector<int64_t>{1}));
  ASSERT_FALSE(progress->progress.empty());
  EXPECT_FLOAT_EQ(progress->progress.back(), 1.0f);

  auto accurate = std::make_shared<enginetest::RecordingProgress>();
  Exchange y(server.url("/p"));
  y.request->setDownloadProgressDelegate(accurate);
  y.run();
  runMainLoopFor(0.1);
  int64_t sum = 0;
  for (auto v : accurate->received) sum += v;
  EXPECT_EQ(sum, 100000);
  EXPECT_EQ(accurate->downloadSizeIncrements, (std::vector<int64_t>{100000}));
}

TEST(HXHTTPRequest, MoreThanFourAsynchronousRequestsRunFourAtATime) {
  TestHTTPServer server;
  std::atomic<int> running{0}, peak{0};
  server.on("/wait", [&](const TestHTTPRequest&) {
    int now = ++running;
    int p = peak;
    while (now > p && !peak.compare_exchange_weak(p, now)) {
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    --running;
    return TestHTTPReply::text("done");
  });
  std::vector<Exchange> exchanges;
  for (int i = 0; i < 7; ++i) exchanges.emplace_back(server.url("/wait"));
  for (auto& x : exchanges) x.request->startAsynchronous();
  ASSERT_TRUE(runMainLoopUntil([&] {
    for (auto& x : exchanges)
      if (!x.delegate->done()) return false;
    return true;
  }));
  EXPECT_EQ(peak.load(), 4);
}

TEST(HXHTTPRequest, TheNetworkThreadIsMadeOnceForEveryone) {
  std::shared_ptr<NSThread> a, b;
  std::thread t1([&] { a = HXHTTPRequest::threadForRequest(nullptr); });
  std::thread t2([&] { b = HXHTTPRequest::threadForRequest(nullptr); });
  t1.join();
  t2.join();
  EXPECT_TRUE(a);
  EXPECT_EQ(a, b);
  EXPECT_EQ(a, HXHTTPRequest::threadForRequest(nullptr));
}

TEST(HXHTTPRequest, ABodyStreamedFromDiskIsSentAndItsFileRemoved) {
  TestHTTPServer server;
  server.on("/up", [](const TestHTTPRequest& q) {
    return TestHTTPReply::text(std::to_string(q.body.size()) + ":" + q.body.substr(0, 5));
  });
  std::string source = stringByAppendingPathComponent(NSDocumentDirectory(), "source.bin");
  ASSERT_TRUE(writeToFile(source, std::string(600000, 'u'), false));
  Exchange x(server.url("/up"));
  x.request->setShouldStreamPostDataFromDisk(true);
  x.request->appendPostData("hello");
  x.request->appendPostDataFromFile(source);
  std::string bodyFile = x.request->postBodyFilePath();
  ASSERT_FALSE(bodyFile.empty());
  x.run();
  EXPECT_EQ(enginetest::bodyOr(x.request->responseString(), ""), "600005:hello");
  EXPECT_EQ(server.lastRequest().header("Content-Length"), "600005");
  EXPECT_FALSE(NSFileManager::defaultManager().fileExistsAtPath(bodyFile));
}

TEST(HXHTTPRequest, AChallengeWithoutCredentialsEndsWithCode3) {
  TestHTTPServer server;
  TestHTTPReply challenge = TestHTTPReply::text("who?", 401);
  challenge.headers = {{"WWW-Authenticate", "Basic realm=\"zept\""}};
  server.on("/private", challenge);
  Exchange x(server.url("/private"));
  x.run();
  ASSERT_TRUE(x.delegate->failed);
  EXPECT_EQ(x.request->error()->code(), 3);
  EXPECT_EQ(x.request->error()->localizedDescription(), "Authentication needed");
}

TEST(HXHTTPRequest, HttpsNeedsATrustedCertificateUnlessValidationIsOff) {
  TestHTTPServer::Options options;
  options.tls = true;
  TestHTTPServer server(options);
  server.on("/s", TestHTTPReply::text("secure"));
  CFNetworkMapHost("a.m.r", 443, "127.0.0.1", server.port());
  UsageLogRecorder log;

  Exchange untrusted("https://a.m.r/s");
  untrusted.run();
  ASSERT_TRUE(untrusted.delegate->failed);
  EXPECT_EQ(untrusted.request->error()->code(), 1);
  EXPECT_EQ(untrusted.request->error()->localizedDescription(),
            "A connection failure occurred: SSL problem (Possible causes may include a "
            "bad/expired/self-signed certificate, clock set to wrong date)");
  EXPECT_EQ(log.events.size(), 1u);

  Exchange lax("https://a.m.r/s");
  lax.request->setValidatesSecureCertificate(false);
  lax.run();
  EXPECT_EQ(enginetest::bodyOr(lax.request->responseString(), ""), "secure");

  CFNetworkAddTrustedCertificatesFromFile(
      testsupport::TestCertificateAuthority::shared().caCertificatePath);
  Exchange trusted("https://a.m.r/s");
  trusted.run();
  EXPECT_EQ(enginetest::bodyOr(trusted.request->responseString(), ""), "secure");
  EXPECT_EQ(server.lastRequest().header("Host"), "a.m.r");
  CFNetworkRemoveTrustedCertificates();
  CFNetworkRemoveHostMappings();
}

TEST(HXHTTPRequest, TheActivityIndicatorShowsWhileStreamsRunAndHidesHalfASecondAfter) {
  TestHTTPServer server;
  TestHTTPReply slow = TestHTTPReply::text("slow");
  slow.delaySeconds = 0.3;
  server.on("/slow", slow);
  // Whatever ran before has gone quiet.
  ASSERT_TRUE(
      runMainLoopUntil([] { return !HXHTTPRequest::networkActivityIndicatorVisible(); }, 5));
  Exchange x(server.url("/slow"));
  x.request->startAsynchronous();
  ASSERT_TRUE(runMainLoopUntil([] { return HXHTTPRequest::isNetworkInUse(); }));
  EXPECT_TRUE(HXHTTPRequest::networkActivityIndicatorVisible());
  // The application's own indicator follows on the main thread.
  EXPECT_TRUE(runMainLoopUntil(
      [] { return UIApplication::sharedApplication()->isNetworkActivityIndicatorVisible(); }));
  ASSERT_TRUE(runMainLoopUntil([&] { return x.delegate->done(); }));
  ASSERT_TRUE(runMainLoopUntil([] { return !HXHTTPRequest::isNetworkInUse(); }));
  // Still shown right after the last stream went, gone half a second later.
  EXPECT_TRUE(HXHTTPRequest::networkActivityIndicatorVisible());
  EXPECT_TRUE(
      runMainLoopUntil([] { return !HXHTTPRequest::networkActivityIndicatorVisible(); }, 5));
  EXPECT_FALSE(UIApplication::sharedApplication()->isNetworkActivityIndicatorVisible());
}

TEST(HXHTTPRequest, AFiveDigitStatusFinishesNormallyWithItsBody) {
  TestHTTPServer server;
  const std::string body = R"({"ResultCode":"40302"})";
  server.on("/limited", TestHTTPReply::text(body, 40302, "application/json; charset=utf-8"));
  UsageLogRecorder log;

  Exchange inMemory(server.url("/limited"));
  inMemory.run();
  ASSERT_TRUE(inMemory.delegate->finished);
  EXPECT_EQ(inMemory.request->responseStatusCode(), 40302);
  EXPECT_EQ(inMemory.request->responseStatusMessage().rfind("HTTP/1.1 40302", 0), 0u);
  EXPECT_EQ(enginetest::bodyOr(inMemory.request->responseString(), ""), body);

  std::string destination = stringByAppendingPathComponent(NSDocumentDirectory(), "limited.json");
  Exchange toFile(server.url("/limited"));
  toFile.request->setDownloadDestinationPath(destination);
  toFile.run();
  ASSERT_TRUE(toFile.delegate->finished);
  EXPECT_EQ(toFile.request->responseStatusCode(), 40302);
  // An error status: the body stays in memory and the destination is not made.
  EXPECT_EQ(enginetest::bodyOr(toFile.request->responseString(), ""), body);
  EXPECT_FALSE(NSFileManager::defaultManager().fileExistsAtPath(destination));
  EXPECT_TRUE(log.events.empty());
}

TEST(HXHTTPRequest, AGzipBodyCutShortFailsWithTheDecompressionErrorAndKeepsTheOldFile) {
  std::string text(100000, '\0');
  for (size_t i = 0; i < text.size(); ++i) text[i] = char('a' + (i * 7 + i / 13) % 26);
  std::string whole = testsupport::gzipBytes(text);
  TestHTTPServer server;
  for (auto [path, cut] : {std::pair<std::string, size_t>{"/half", whole.size() / 2},
                           {"/notrailer", whole.size() - 8}}) {
    TestHTTPReply reply = TestHTTPReply::text(whole.substr(0, cut), 200, "text/plain");
    reply.headers = {{"Content-Encoding", "gzip"}};
    server.on(path, reply);
  }
  std::string folder = stringByAppendingPathComponent(NSDocumentDirectory(), "downloads");
  ASSERT_TRUE(NSFileManager::defaultManager().createDirectoryAtPath(folder, true));
  std::string destination = stringByAppendingPathComponent(folder, "page.txt");
  for (std::string path : {"/half", "/notrailer"}) {
    for (bool toFile : {false, true}) {
      for (bool inflateOnArrival : {false, true}) {
        SCOPED_TRACE(testing::Message() << path << (toFile ? " to a file" : " in memory")
                                        << (inflateOnArrival ? ", inflated on arrival" : ""));
        ASSERT_TRUE(writeToFile(destination, "old contents", false));
        auto temporaryFiles = filesIn(NSTemporaryDirectory());
        Exchange x(server.url(path));
        if (toFile) x.request->setDownloadDestinationPath(destination);
        x.request->setShouldWaitToInflateCompressedResponses(!inflateOnArrival);
        x.run();
        ASSERT_TRUE(x.delegate->failed);
        EXPECT_EQ(x.request->error()->code(), HXCompressionError);
        EXPECT_EQ(dataWithContentsOfFile(destination).value_or(""), "old contents");
        EXPECT_EQ(filesIn(folder), std::vector<std::string>{destination});
        EXPECT_EQ(filesIn(NSTemporaryDirectory()), temporaryFiles);
      }
    }
  }
}

TEST(HXHTTPRequest, AFailedDownloadLeavesTheExistingFileAsItWas) {
  TestHTTPServer server;
  TestHTTPReply cut = TestHTTPReply::text(std::string(50000, 'n'), 200, "text/plain");
  cut.closeAfterBodyBytes = 20000;
  server.on("/cut", cut);
  TestHTTPReply zippedCut = TestHTTPReply::text(std::string(200000, 'z'), 200, "text/plain");
  zippedCut.gzip = true;
  zippedCut.closeAfterBodyBytes = 100;
  server.on("/zipped-cut", zippedCut);
  std::string folder = stringByAppendingPathComponent(NSDocumentDirectory(), "kept");
  ASSERT_TRUE(NSFileManager::defaultManager().createDirectoryAtPath(folder, true));
  std::string destination = stringByAppendingPathComponent(folder, "file.txt");
  for (std::string path : {"/cut", "/zipped-cut"}) {
    SCOPED_TRACE(path);
    ASSERT_TRUE(writeToFile(destination, "old contents", false));
    Exchange x(server.url(path));
    x.request->setDownloadDestinationPath(destination);
    x.run();
    ASSERT_TRUE(x.delegate->failed);
    EXPECT_EQ(dataWithContentsOfFile(destination).value_or(""), "old contents");
    EXPECT_EQ(filesIn(folder), std::vector<std::string>{destination});
  }
}

TEST(HXHTTPRequest, AHeaderHoldingALineBreakNeverReachesTheWire) {
  TestHTTPServer server;
  server.on("/h", TestHTTPReply::text("h"));
  struct Case {
    std::string name, value;
  };
  const Case cases[] = {
      {"X-Note", "a\r\nX-Injected: 1"},
      {"X-Note", "a\nX-Injected: 1"},
      {"X-Note", "a\rX-Injected: 1"},
      {"X-Injected: 1\r\nX-Note", "a"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.name + ": " + c.value));
    Exchange x(server.url("/h"));
    x.request->addRequestHeader(c.name, c.value);
    x.run();
    ASSERT_TRUE(x.delegate->failed);
    EXPECT_EQ(x.request->error()->code(), HXInternalErrorWhileBuildingRequestType);
  }
  EXPECT_EQ(server.requestCount(), 0u);
}

namespace {
// A download cache that answers every request from one stored reply.
class AnsweringCache : public HXCacheDelegate {
 public:
  ValueDictionary headers;
  std::string dataPath;
  int defaultCachePolicy() const override { return 0; }
  bool canUseCachedDataForRequest(const std::shared_ptr<HXHTTPRequest>&) override { return true; }
  ValueDictionary cachedResponseHeadersForURL(const std::shared_ptr<NSURL>&) override {
    return headers;
  }
  std::string pathToCachedResponseDataForURL(const std::shared_ptr<NSURL>&) override {
    return dataPath;
  }
  void updateExpiryForRequest(const std::shared_ptr<HXHTTPRequest>&, double) override {}
  void storeResponseForRequest(const std::shared_ptr<HXHTTPRequest>&, double) override {}
};
}  // namespace

TEST(HXHTTPRequest, ACachedAnswerWithoutACharsetIsReadInTheDefaultEncoding) {
  auto cache = std::make_shared<AnsweringCache>();
  cache->dataPath = stringByAppendingPathComponent(NSDocumentDirectory(), "cached.txt");
  ASSERT_TRUE(writeToFile(cache->dataPath, "caf\xC3\xA9", false));
  cache->headers = makeDictionary({{"Content-Type", Value("text/plain")},
                                   {"Content-Length", Value("5")},
                                   {"X-HXHTTPRequest-Response-Status-Code", Value("200")}});
  struct Case {
    std::optional<NSStringEncoding> defaultEncoding;
    NSStringEncoding read;
    std::string text;
  };
  const Case cases[] = {
      {std::nullopt, NSISOLatin1StringEncoding, "caf\xC3\x83\xC2\xA9"},
      {NSUTF8StringEncoding, NSUTF8StringEncoding, "caf\xC3\xA9"},
  };
  for (const Case& c : cases) {
    Exchange x("http://a.m.r/cached");
    x.request->setDownloadCache(cache);
    if (c.defaultEncoding) x.request->setDefaultResponseEncoding(*c.defaultEncoding);
    x.run();
    ASSERT_TRUE(x.delegate->finished);
    EXPECT_TRUE(x.request->didUseCachedResponse());
    EXPECT_EQ(x.request->responseStatusCode(), 200);
    EXPECT_EQ(x.request->responseEncoding(), c.read);
    EXPECT_EQ(enginetest::bodyOr(x.request->responseString(), "<nil>"), c.text);
  }
}

TEST(HXHTTPRequest, TheBodyIsHandedOutAsOneSharedBufferNotCopiedOnEachCall) {
  TestHTTPServer server;
  server.on("/utf8", TestHTTPReply::text("caf\xC3\xA9", 200, "text/plain; charset=utf-8"));
  server.on("/latin1", TestHTTPReply::text("caf\xE9", 200, "text/plain"));
  TestHTTPReply zipped = TestHTTPReply::text(std::string(5000, 'z'), 200, "text/plain");
  zipped.gzip = true;
  server.on("/zipped", zipped);

  Exchange utf8(server.url("/utf8"));
  utf8.run();
  auto raw = utf8.request->rawResponseData();
  ASSERT_TRUE(raw);
  EXPECT_EQ(utf8.request->rawResponseData(), raw);
  EXPECT_EQ(utf8.request->responseData(), raw);
  // UTF-8 text is the body itself.
  EXPECT_EQ(utf8.request->responseString(), raw);

  Exchange latin1(server.url("/latin1"));
  latin1.run();
  auto text = latin1.request->responseString();
  ASSERT_TRUE(text);
  EXPECT_EQ(*text, "caf\xC3\xA9");
  EXPECT_EQ(latin1.request->responseString(), text);
  // Another encoding reads the body again.
  latin1.request->setResponseEncoding(NSUTF8StringEncoding);
  EXPECT_FALSE(latin1.request->responseString());

  Exchange gzip(server.url("/zipped"));
  gzip.run();
  auto inflated = gzip.request->responseData();
  ASSERT_TRUE(inflated);
  EXPECT_EQ(*inflated, std::string(5000, 'z'));
  EXPECT_NE(inflated, gzip.request->rawResponseData());
  EXPECT_EQ(gzip.request->responseData(), inflated);
}

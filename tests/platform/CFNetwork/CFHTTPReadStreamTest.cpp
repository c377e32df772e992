#include <gtest/gtest.h>

#include <chrono>
#include <functional>

#include "CFNetwork/CFHTTPReadStream.h"
#include "CFNetwork/CFNetworkConfiguration.h"
#include "CFNetwork/CFNetworkErrors.h"
#include "Foundation/NSRunLoop.h"
#include "support/TestHTTPServer.h"

using testsupport::TestHTTPReply;
using testsupport::TestHTTPServer;

namespace {

constexpr std::string_view kPrivateMode = "CFHTTPReadStreamTestMode";

// Reads a stream to its end on the current loop, as a client of its events.
struct Reader {
  std::shared_ptr<CFHTTPReadStream> stream;
  std::string body;
  std::vector<CFStreamEventType> events;
  bool ended = false;
  NSErrorPtr error;
  size_t readSize = 16384;

  explicit Reader(std::shared_ptr<CFHTTPReadStream> s, std::string_view mode = NSDefaultRunLoopMode)
      : stream(std::move(s)) {
    stream->setClient(kCFStreamEventHasBytesAvailable | kCFStreamEventErrorOccurred |
                          kCFStreamEventEndEncountered,
                      [this](CFReadStream& st, CFStreamEventType e) {
                        events.push_back(e);
                        if (e == kCFStreamEventHasBytesAvailable) {
                          std::string buf(readSize, '\0');
                          long n = st.read(reinterpret_cast<uint8_t*>(buf.data()), buf.size());
                          if (n > 0) body.append(buf.data(), size_t(n));
                        } else if (e == kCFStreamEventErrorOccurred) {
                          error = st.copyError();
                          ended = true;
                        } else {
                          ended = true;
                        }
                      });
    stream->scheduleWithRunLoop(NSRunLoop::currentRunLoop(), mode);
  }
};

bool runUntil(const std::function<bool()>& done, double seconds = 20,
              std::string_view mode = NSDefaultRunLoopMode) {
  auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (!done()) {
    if (std::chrono::steady_clock::now() > until) return false;
    NSRunLoop::currentRunLoop()->runInMode(mode, 0.05, true);
  }
  return true;
}

std::shared_ptr<CFHTTPReadStream> getStream(const std::string& url) {
  auto message = CFHTTPMessage::createRequest("GET", url, kCFHTTPVersion1_1);
  EXPECT_TRUE(message);
  return CFHTTPReadStream::createForHTTPRequest(message);
}

}  // namespace

TEST(CFHTTPMessage, RequestsNeedAMethodTokenAndAnHTTPURLWithAHost) {
  EXPECT_TRUE(CFHTTPMessage::createRequest("GET", "http://a.m.r/x?y=1", kCFHTTPVersion1_1));
  EXPECT_TRUE(CFHTTPMessage::createRequest("PROPFIND", "https://a.m.r", kCFHTTPVersion1_0));
  EXPECT_FALSE(CFHTTPMessage::createRequest("", "http://a.m.r/", kCFHTTPVersion1_1));
  EXPECT_FALSE(CFHTTPMessage::createRequest("GE T", "http://a.m.r/", kCFHTTPVersion1_1));
  EXPECT_FALSE(CFHTTPMessage::createRequest("GET", "ftp://a.m.r/", kCFHTTPVersion1_1));
  EXPECT_FALSE(CFHTTPMessage::createRequest("GET", "/relative", kCFHTTPVersion1_1));
  EXPECT_FALSE(CFHTTPMessage::createRequest("GET", "http://", kCFHTTPVersion1_1));
  const std::pair<const char*, bool> urls[] = {
      {"HTTPS://A.m.r:8443/x?y#z", true}, {"http://a.m.r:65535", true},
      {"http://a.m.r:65536/", false},     {"http://user@a.m.r/", true},
      {"http://[::1]:8080/x", true},      {"http://a.m.r/x y", false},
      {"http://a.m.r:/x", true},          {"http://:80/", false},
  };
  for (auto [url, usable] : urls)
    EXPECT_EQ(bool(CFHTTPMessage::createRequest("GET", url, kCFHTTPVersion1_1)), usable) << url;
}

TEST(CFHTTPMessage, HeaderFieldsMatchWithoutCaseAndKeepTheirPlace) {
  auto m = CFHTTPMessage::createRequest("GET", "http://a.m.r/", kCFHTTPVersion1_1);
  m->setHeaderFieldValue("User-Agent", "a");
  m->setHeaderFieldValue("Accept", "b");
  m->setHeaderFieldValue("user-agent", "c");
  EXPECT_EQ(m->headerFieldValue("USER-AGENT").value_or(""), "c");
  auto all = m->allHeaderFields();
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[0].first, "User-Agent");
  m->setHeaderFieldValue("Accept", std::nullopt);
  EXPECT_FALSE(m->headerFieldValue("Accept"));
}

TEST(CFHTTPMessage, ResponseStatusTakesEveryDigitAndRepeatedFieldsJoin) {
  auto r = CFHTTPMessage::createEmptyResponse();
  ASSERT_TRUE(r->setStatusLine("HTTP/1.1 40302 Custom"));
  EXPECT_EQ(r->responseStatusCode(), 40302);
  EXPECT_EQ(r->responseStatusLine(), "HTTP/1.1 40302 Custom");
  r->appendHeaderLine("set-cookie", "a=1");
  r->appendHeaderLine("Set-Cookie", "b=2");
  r->appendHeaderLine("etag", "\"x\"");
  auto all = r->allHeaderFields();
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[0], (std::pair<std::string, std::string>("Set-Cookie", "a=1, b=2")));
  EXPECT_EQ(all[1].first, "Etag");
  EXPECT_EQ(r->headerLines().size(), 3u);
  EXPECT_FALSE(r->setStatusLine("garbage"));
}

TEST(CFHTTPMessage, ReceivedLinesStayAsTheyCameWhateverTheFieldsBecome) {
  using Lines = CFHTTPMessage::HeaderFields;
  // Canonical names, each once: the lines are the fields.
  auto plain = CFHTTPMessage::createEmptyResponse();
  ASSERT_TRUE(plain->setStatusLine("HTTP/1.1 200 OK"));
  plain->appendHeaderLine("Content-Type", "text/plain");
  plain->appendHeaderLine("Content-Length", "2");
  EXPECT_EQ(plain->headerLines(), (Lines{{"Content-Type", "text/plain"}, {"Content-Length", "2"}}));
  EXPECT_EQ(plain->headerLines(), plain->allHeaderFields());
  // Setting a field afterwards changes the fields only.
  plain->setHeaderFieldValue("Content-Length", "3");
  plain->setHeaderFieldValue("X-Added", "1");
  EXPECT_EQ(plain->headerLines(), (Lines{{"Content-Type", "text/plain"}, {"Content-Length", "2"}}));
  EXPECT_EQ(plain->allHeaderFields().size(), 3u);

  // A repeat, and a name in another spelling, after lines that matched their fields.
  auto mixed = CFHTTPMessage::createEmptyResponse();
  ASSERT_TRUE(mixed->setStatusLine("HTTP/1.1 200 OK"));
  mixed->appendHeaderLine("Set-Cookie", "a=1");
  mixed->appendHeaderLine("Set-Cookie", "b=2");
  mixed->appendHeaderLine("ETag", "x");
  mixed->appendHeaderLine("Server", "s");
  EXPECT_EQ(mixed->headerLines(),
            (Lines{{"Set-Cookie", "a=1"}, {"Set-Cookie", "b=2"}, {"ETag", "x"}, {"Server", "s"}}));
  EXPECT_EQ(mixed->allHeaderFields(),
            (Lines{{"Set-Cookie", "a=1, b=2"}, {"Etag", "x"}, {"Server", "s"}}));
  auto spelled = CFHTTPMessage::createEmptyResponse();
  ASSERT_TRUE(spelled->setStatusLine("HTTP/1.1 200 OK"));
  spelled->appendHeaderLine("Date", "d");
  spelled->appendHeaderLine("content-length", "5");
  EXPECT_EQ(spelled->headerLines(), (Lines{{"Date", "d"}, {"content-length", "5"}}));
  EXPECT_EQ(spelled->allHeaderFields(), (Lines{{"Date", "d"}, {"Content-Length", "5"}}));

  // A new status line (the reply after an interim one) starts both lists again.
  ASSERT_TRUE(mixed->setStatusLine("HTTP/1.1 204 No Content"));
  mixed->appendHeaderLine("Server", "t");
  EXPECT_EQ(mixed->headerLines(), (Lines{{"Server", "t"}}));

  // A request's fields were never received.
  auto request = CFHTTPMessage::createRequest("GET", "http://a.m.r/", kCFHTTPVersion1_1);
  request->setHeaderFieldValue("Accept", "*/*");
  EXPECT_TRUE(request->headerLines().empty());
}

TEST(CFHTTPMessage, CanonicalNamesCapitalizeEachDashSeparatedWordInASCII) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"content-type", "Content-Type"},
      {"WWW-AUTHENTICATE", "Www-Authenticate"},
      {"etag", "Etag"},
      {"x-a-b", "X-A-B"},
      {"x_forwarded", "X_forwarded"},
      {"-lead", "-Lead"},
      {"1st-x9y", "1st-X9y"},
      {"caf\xc3\xa9-\xc3\x89t\xc3\xa9", "Caf\xc3\xa9-\xc3\x89t\xc3\xa9"},
      {"", ""},
  };
  for (auto& [in, out] : cases) EXPECT_EQ(CFHTTPMessage::canonicalHeaderName(in), out) << in;
}

TEST(CFHTTPReadStream, PropertiesReadBackAsSetInAnyOrder) {
  auto s = getStream("http://a.m.r/");
  EXPECT_TRUE(s->copyProperty("Zeta").isNil());
  s->setProperty("Zeta", Value(1));
  s->setProperty("Alpha", Value("a"));
  s->setProperty(kCFStreamPropertyHTTPAttemptPersistentConnection, Value(true));
  s->setProperty("Mid", Value(2));
  s->setProperty("Alpha", Value("b"));  // replaces
  EXPECT_EQ(s->copyProperty("Zeta").intValue(), 1);
  EXPECT_EQ(s->copyProperty("Alpha").string(), "b");
  EXPECT_EQ(s->copyProperty("Mid").intValue(), 2);
  EXPECT_TRUE(s->copyProperty(kCFStreamPropertyHTTPAttemptPersistentConnection).boolValue());
  EXPECT_TRUE(s->copyProperty("Alph").isNil());
  EXPECT_FALSE(s->setProperty(kCFStreamPropertyHTTPResponseHeader, Value(1)));
}

TEST(CFHTTPReadStream, TheConnectionKeyDoesNotDependOnTheOrderPropertiesWereSetIn) {
  TestHTTPServer server;
  server.on("/a", TestHTTPReply::text("a"));
  std::vector<std::shared_ptr<CFHTTPReadStream>> kept;  // open streams keep their connection
  auto fetch = [&](const std::vector<std::pair<std::string, int>>& properties) {
    auto s = getStream(server.url("/a"));
    s->setProperty(kCFStreamPropertyHTTPAttemptPersistentConnection, Value(true));
    for (auto& [key, value] : properties) s->setProperty(key, Value(value));
    Reader r(s);
    EXPECT_TRUE(s->open());
    EXPECT_TRUE(runUntil([&] { return r.ended; }));
    EXPECT_EQ(r.body, "a");
    s->setClient(0, nullptr);  // the reader goes
    kept.push_back(s);
  };
  fetch({{"StreamID", 7}, {"Account", 1}, {"Zone", 3}});
  fetch({{"Zone", 3}, {"StreamID", 7}, {"Account", 1}});
  fetch({{"Account", 1}, {"Zone", 3}, {"StreamID", 7}});
  EXPECT_EQ(server.connectionCount(), 1u);
  fetch({{"Account", 2}, {"Zone", 3}, {"StreamID", 7}});
  EXPECT_EQ(server.connectionCount(), 2u);
}

TEST(CFHTTPReadStream, AStreamScheduledInTwoModesReportsInTheOneItStaysIn) {
  TestHTTPServer server;
  server.on("/m", TestHTTPReply::text("modes"));
  Reader r(getStream(server.url("/m")));
  auto loop = NSRunLoop::currentRunLoop();
  r.stream->scheduleWithRunLoop(loop, kPrivateMode);
  // The same mode named by a string of its own.
  r.stream->unscheduleFromRunLoop(loop, std::string(NSDefaultRunLoopMode));
  EXPECT_TRUE(r.stream->isScheduled());
  ASSERT_TRUE(r.stream->open());
  runUntil([] { return false; }, 0.3);
  EXPECT_TRUE(r.events.empty());
  ASSERT_TRUE(runUntil([&] { return r.ended; }, 20, kPrivateMode));
  EXPECT_EQ(r.body, "modes");
  r.stream->unscheduleFromRunLoop(loop, kPrivateMode);
  EXPECT_FALSE(r.stream->isScheduled());
}

TEST(CFHTTPReadStream, ReadsAResponseAsSentWithoutFollowingOrDecoding) {
  TestHTTPServer server;
  TestHTTPReply moved = TestHTTPReply::text("moved body", 302);
  moved.headers = {{"Location", "/elsewhere"}, {"X-Two", "1"}, {"X-Two", "2"}};
  server.on("/moved", moved);
  TestHTTPReply zipped = TestHTTPReply::text(std::string(1000, 'z'));
  zipped.gzip = true;
  server.on("/zipped", zipped);

  auto message = CFHTTPMessage::createRequest("GET", server.url("/moved"), kCFHTTPVersion1_1);
  message->setHeaderFieldValue("Accept-Encoding", "gzip");
  message->setHeaderFieldValue("X-Custom", "yes");
  Reader r(CFHTTPReadStream::createForHTTPRequest(message));
  ASSERT_TRUE(r.stream->open());
  ASSERT_TRUE(runUntil([&] { return r.ended; }));
  EXPECT_FALSE(r.error);
  EXPECT_EQ(r.events.back(), kCFStreamEventEndEncountered);
  auto head = r.stream->responseHeader();
  ASSERT_TRUE(head && head->isHeaderComplete());
  EXPECT_EQ(head->responseStatusCode(), 302);
  EXPECT_EQ(head->responseStatusLine(), "HTTP/1.1 302 Found");
  EXPECT_EQ(head->headerFieldValue("location").value_or(""), "/elsewhere");
  EXPECT_EQ(head->headerFieldValue("X-Two").value_or(""), "1, 2");
  EXPECT_EQ(r.body, "moved body");
  EXPECT_EQ(server.requestCount(), 1u);
  auto sent = server.lastRequest();
  EXPECT_EQ(sent.header("X-Custom"), "yes");
  EXPECT_EQ(sent.header("Accept-Encoding"), "gzip");
  EXPECT_FALSE(sent.hasHeader("Expect"));
  EXPECT_TRUE(sent.header("Host").find("127.0.0.1") == 0);

  auto zipMessage = CFHTTPMessage::createRequest("GET", server.url("/zipped"), kCFHTTPVersion1_1);
  zipMessage->setHeaderFieldValue("Accept-Encoding", "gzip");
  Reader z(CFHTTPReadStream::createForHTTPRequest(zipMessage));
  ASSERT_TRUE(z.stream->open());
  ASSERT_TRUE(runUntil([&] { return z.ended; }));
  ASSERT_GE(z.body.size(), 2u);
  EXPECT_EQ(uint8_t(z.body[0]), 0x1F);
  EXPECT_EQ(uint8_t(z.body[1]), 0x8B);
  EXPECT_EQ(z.stream->responseHeader()->headerFieldValue("Content-Encoding").value_or(""), "gzip");
}

TEST(CFHTTPReadStream, AStatusOfAnyLengthArrivesWithItsHeadersAndBody) {
  testsupport::TestRawHTTPServer server([](const std::string& request) {
    std::string status = request.find("/five") != std::string::npos ? "40302 Limited" : "200 OK";
    return testsupport::TestRawHTTPServer::RawReply{
        "HTTP/1.1 " + status + "\r\nContent-Length: 4\r\nX-Kind: raw\r\n\r\nbody", false};
  });
  for (std::string path : {"/five", "/three"}) {
    SCOPED_TRACE(path);
    Reader r(getStream(server.url(path)));
    ASSERT_TRUE(r.stream->open());
    ASSERT_TRUE(runUntil([&] { return r.ended; }));
    EXPECT_FALSE(r.error);
    auto head = r.stream->responseHeader();
    ASSERT_TRUE(head);
    EXPECT_EQ(head->responseStatusCode(), path == "/five" ? 40302 : 200);
    EXPECT_EQ(head->headerFieldValue("X-Kind").value_or(""), "raw");
    EXPECT_EQ(r.body, "body");
  }
}

TEST(CFHTTPReadStream, SendsABodyStreamAndCountsTheBytesWritten) {
  TestHTTPServer server;
  server.on("/echo", [](const testsupport::TestHTTPRequest& q) {
    return TestHTTPReply::text(q.method + ":" + std::to_string(q.body.size()));
  });
  std::string body(300000, 'b');
  auto message = CFHTTPMessage::createRequest("PUT", server.url("/echo"), kCFHTTPVersion1_1);
  message->setHeaderFieldValue("Content-Length", std::to_string(body.size()));
  Reader r(
      CFHTTPReadStream::createForStreamedHTTPRequest(message, CFReadStream::createWithBytes(body)));
  ASSERT_TRUE(r.stream->open());
  ASSERT_TRUE(runUntil([&] { return r.ended; }));
  EXPECT_FALSE(r.error);
  EXPECT_EQ(r.body, "PUT:300000");
  EXPECT_EQ(r.stream->requestBytesWrittenCount(), body.size());
  auto sent = server.lastRequest();
  EXPECT_EQ(sent.body, body);
  EXPECT_EQ(sent.header("Content-Length"), "300000");
  EXPECT_FALSE(sent.hasHeader("Content-Type"));
  EXPECT_FALSE(sent.hasHeader("Transfer-Encoding"));
}

TEST(CFHTTPReadStream, PersistentStreamsWithTheSameKeyShareOneConnection) {
  TestHTTPServer server;
  server.on("/a", TestHTTPReply::text("a"));
  auto fetch = [&](bool persistent, int key) {
    auto s = getStream(server.url("/a"));
    if (persistent) s->setProperty(kCFStreamPropertyHTTPAttemptPersistentConnection, Value(true));
    s->setProperty("HXStreamID", Value(key));
    auto r = std::make_unique<Reader>(s);
    EXPECT_TRUE(s->open());
    EXPECT_TRUE(runUntil([&] { return r->ended; }));
    EXPECT_EQ(r->body, "a");
    s->setClient(0, nullptr);  // the reader goes
    return s;
  };
  auto first = fetch(true, 1);
  auto second = fetch(true, 1);  // the first stream is still open: its connection stays
  EXPECT_EQ(server.connectionCount(), 1u);
  first->close();
  auto other = fetch(true, 2);
  EXPECT_EQ(server.connectionCount(), 2u);
  auto plain1 = fetch(false, 1);
  auto plain2 = fetch(false, 1);
  EXPECT_EQ(server.connectionCount(), 4u);
  auto third = fetch(true, 1);
  EXPECT_EQ(server.connectionCount(), 4u);
  EXPECT_EQ(server.requestCount(), 6u);
}

TEST(CFHTTPReadStream, EachRequestOnAReusedConnectionIsSentAsItsOwnMessageSays) {
  TestHTTPServer server;
  server.on("/m", [](const testsupport::TestHTTPRequest& q) {
    return TestHTTPReply::text(q.method + ":" + q.body);
  });
  struct Case {
    std::string method;
    std::string_view version;
    std::string body;  // sent as a body stream when not empty
  };
  const Case cases[] = {
      {"HEAD", kCFHTTPVersion1_1, ""},    {"POST", kCFHTTPVersion1_1, "posted"},
      {"GET", kCFHTTPVersion1_1, ""},     {"PUT", kCFHTTPVersion1_1, ""},
      {"OPTIONS", kCFHTTPVersion1_1, ""}, {"GET", kCFHTTPVersion1_1, ""},
      {"GET", kCFHTTPVersion1_0, ""},     {"GET", kCFHTTPVersion1_1, ""},
  };
  std::vector<std::shared_ptr<CFHTTPReadStream>> streams;
  for (const auto& c : cases) {
    auto message = CFHTTPMessage::createRequest(c.method, server.url("/m"), c.version);
    std::shared_ptr<CFHTTPReadStream> s;
    if (c.body.empty()) {
      s = CFHTTPReadStream::createForHTTPRequest(message);
    } else {
      message->setHeaderFieldValue("Content-Length", std::to_string(c.body.size()));
      s = CFHTTPReadStream::createForStreamedHTTPRequest(message,
                                                         CFReadStream::createWithBytes(c.body));
    }
    s->setProperty(kCFStreamPropertyHTTPAttemptPersistentConnection, Value(true));
    s->setProperty("HXStreamID", Value(7));
    Reader r(s);
    ASSERT_TRUE(s->open());
    ASSERT_TRUE(runUntil([&] { return r.ended; })) << c.method;
    EXPECT_FALSE(r.error) << c.method;
    EXPECT_EQ(r.body, c.method == "HEAD" ? "" : c.method + ":" + c.body);
    streams.push_back(s);  // open streams keep their connection for the next one
  }
  auto sent = server.requests();
  ASSERT_EQ(sent.size(), std::size(cases));
  for (size_t i = 0; i < sent.size(); ++i) {
    EXPECT_EQ(sent[i].method, cases[i].method) << i;
    EXPECT_EQ(sent[i].version, cases[i].version) << i;
    EXPECT_EQ(sent[i].body, cases[i].body) << i;
    EXPECT_FALSE(sent[i].hasHeader("Expect")) << i;
    if (cases[i].method == "GET" || cases[i].method == "HEAD") {
      EXPECT_FALSE(sent[i].hasHeader("Content-Length")) << i;
    }
  }
  // One connection carried all up to the HTTP/1.0 request.
  for (size_t i = 1; i < 7; ++i) EXPECT_EQ(sent[i].remotePort, sent[0].remotePort) << i;
}

TEST(CFHTTPReadStream, HostMappingsApplyFromTheNextStreamOn) {
  TestHTTPServer one, two;
  one.on("/x", TestHTTPReply::text("one"));
  two.on("/x", TestHTTPReply::text("two"));
  auto fetch = [](const std::string& url) {
    Reader r(getStream(url));
    EXPECT_TRUE(r.stream->open());
    EXPECT_TRUE(runUntil([&] { return r.ended; }));
    return r.error ? std::string("error") : r.body;
  };
  CFNetworkMapHost("a.m.r", 0, "127.0.0.1", one.port());
  EXPECT_EQ(fetch("http://a.m.r/x"), "one");
  EXPECT_EQ(fetch("http://a.m.r/x"), "one");
  CFNetworkMapHost("a.m.r", 0, "127.0.0.1", two.port());
  EXPECT_EQ(fetch("http://a.m.r/x"), "two");
  CFNetworkMapHost("a.m.r", 0, "127.0.0.1", one.port());
  EXPECT_EQ(fetch("http://a.m.r/x"), "one");
  CFNetworkRemoveHostMappings();
  EXPECT_EQ(fetch("http://127.0.0.1:" + std::to_string(two.port()) + "/x"), "two");
}

TEST(CFHTTPReadStream, ReportsConnectionFailuresInThePlatformsDomains) {
  int port;
  {
    TestHTTPServer gone;
    port = gone.port();
  }
  Reader refused(getStream("http://127.0.0.1:" + std::to_string(port) + "/"));
  ASSERT_TRUE(refused.stream->open());
  ASSERT_TRUE(runUntil([&] { return refused.ended; }));
  ASSERT_TRUE(refused.error);
  EXPECT_EQ(refused.error->domain(), kCFErrorDomainPOSIX);
  EXPECT_EQ(refused.error->code(), kPOSIXErrorECONNREFUSED);
  EXPECT_EQ(refused.stream->status(), CFStreamStatus::Error);

  TestHTTPServer server;
  TestHTTPReply cut = TestHTTPReply::text(std::string(50000, 'c'));
  cut.closeAfterBodyBytes = 20000;
  server.on("/cut", cut);
  Reader r(getStream(server.url("/cut")));
  ASSERT_TRUE(r.stream->open());
  ASSERT_TRUE(runUntil([&] { return r.ended; }));
  ASSERT_TRUE(r.error);
  EXPECT_EQ(r.error->domain(), kCFErrorDomainCFNetwork);
  EXPECT_EQ(r.error->code(), kCFURLErrorNetworkConnectionLost);
  EXPECT_EQ(r.body.size(), 20000u);  // what came before the cut is read first
}

TEST(CFHTTPReadStream, MappedHostNamesReachLoopbackAndKeepTheirName) {
  TestHTTPServer server;
  server.on("/x", TestHTTPReply::text("mapped"));
  CFNetworkMapHost("a.m.r", 0, "127.0.0.1", server.port());
  Reader r(getStream("http://a.m.r/x"));
  ASSERT_TRUE(r.stream->open());
  ASSERT_TRUE(runUntil([&] { return r.ended; }));
  CFNetworkRemoveHostMappings();
  EXPECT_FALSE(r.error);
  EXPECT_EQ(r.body, "mapped");
  EXPECT_EQ(server.lastRequest().header("Host"), "a.m.r");
}

TEST(CFHTTPReadStream, VerifiesCertificatesUnlessTheSSLSettingsSayOtherwise) {
  TestHTTPServer::Options options;
  options.tls = true;
  TestHTTPServer server(options);
  server.on("/s", TestHTTPReply::text("secure"));
  CFNetworkMapHost("a.m.r", 443, "127.0.0.1", server.port());
  auto fetch = [&](const std::string& url, Value ssl) {
    auto s = getStream(url);
    if (!ssl.isNil()) s->setProperty(kCFStreamPropertySSLSettings, ssl);
    auto r = std::make_unique<Reader>(s);
    EXPECT_TRUE(s->open());
    EXPECT_TRUE(runUntil([&] { return r->ended; }));
    return r;
  };
  auto untrusted = fetch("https://a.m.r/s", Value());
  ASSERT_TRUE(untrusted->error);
  EXPECT_EQ(untrusted->error->domain(), kCFErrorDomainOSStatus);
  EXPECT_LE(untrusted->error->code(), -9800);
  EXPECT_GE(untrusted->error->code(), -9818);

  auto lax = fetch(
      "https://a.m.r/s",
      Value(makeDictionary({{std::string(kCFStreamSSLValidatesCertificateChain), Value(false)},
                            {std::string(kCFStreamSSLPeerName), Value::null()}})));
  EXPECT_FALSE(lax->error);
  EXPECT_EQ(lax->body, "secure");

  ASSERT_TRUE(CFNetworkAddTrustedCertificatesFromFile(
      testsupport::TestCertificateAuthority::shared().caCertificatePath));
  auto trusted = fetch("https://a.m.r/s", Value());
  EXPECT_FALSE(trusted->error);
  EXPECT_EQ(trusted->body, "secure");

  // The certificate names a.m.r, not this one.
  CFNetworkMapHost("b.m.r", 443, "127.0.0.1", server.port());
  auto wrongName = fetch("https://b.m.r/s", Value());
  ASSERT_TRUE(wrongName->error);
  EXPECT_EQ(wrongName->error->domain(), kCFErrorDomainOSStatus);
  CFNetworkRemoveTrustedCertificates();
  CFNetworkRemoveHostMappings();
}

TEST(CFHTTPReadStream, EventsWaitForALoopRunInTheStreamsMode) {
  TestHTTPServer server;
  server.on("/m", TestHTTPReply::text("mode"));
  Reader r(getStream(server.url("/m")), kPrivateMode);
  ASSERT_TRUE(r.stream->open());
  // The transfer itself only moves while some mode of the stream runs; events need that mode.
  runUntil([] { return false; }, 0.3);
  EXPECT_TRUE(r.events.empty());
  ASSERT_TRUE(runUntil([&] { return r.ended; }, 20, kPrivateMode));
  EXPECT_EQ(r.body, "mode");
}

TEST(CFHTTPReadStream, ALargeBodyArrivesWholeThroughASlowReader) {
  TestHTTPServer server;
  std::string big(24u << 20, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = char(i * 7 + i / 4096);
  server.on("/big", TestHTTPReply::text(big, 200, "application/octet-stream"));
  Reader r(getStream(server.url("/big")));
  r.readSize = 4096;
  ASSERT_TRUE(r.stream->open());
  ASSERT_TRUE(runUntil([&] { return r.ended; }, 120));
  EXPECT_FALSE(r.error);
  EXPECT_TRUE(r.body == big);
}

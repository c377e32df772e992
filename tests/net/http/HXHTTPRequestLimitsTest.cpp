// What a hostile or broken server cannot do to the engine: make it reserve or keep more than
// the request's size limit, replace a good download with an error page, or leave temporary
// files behind.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <utime.h>

#include <filesystem>

#include "EngineTestSupport.h"
#include "Foundation/Clock.h"
#include "Foundation/NSFileManager.h"
#include "Foundation/NSPathUtilities.h"
#include "Foundation/NSUUID.h"
#include "net/http/HXHTTPRequest.h"
#include "support/FileSizeLimit.h"
#include "support/TestHTTPServer.h"

using enginetest::Exchange;
using testsupport::TestHTTPReply;
using testsupport::TestHTTPServer;
using testsupport::TestRawHTTPServer;

namespace {

// A folder of the home holding one file with old contents: the download's destination.
struct Destination {
  std::string folder;
  std::string path;
  explicit Destination(const std::string& name) {
    folder = stringByAppendingPathComponent(NSDocumentDirectory(), name);
    NSFileManager::defaultManager().createDirectoryAtPath(folder, true);
    path = stringByAppendingPathComponent(folder, "page.json");
    writeToFile(path, "old contents", false);
  }
  std::string contents() const { return dataWithContentsOfFile(path).value_or("<none>"); }
  bool alone() const { return enginetest::filesIn(folder) == std::vector<std::string>{path}; }
};

// The request failed for its size and kept nothing: no body, no file, the old file as it was.
void expectTooLargeAndNothingKept(const Exchange& x, const Destination& d,
                                  const std::vector<std::string>& temporaryFiles) {
  ASSERT_TRUE(x.delegate->failed);
  EXPECT_EQ(x.request->error()->code(), HXResponseTooLargeErrorType);
  EXPECT_FALSE(x.request->responseData());
  EXPECT_EQ(d.contents(), "old contents");
  EXPECT_TRUE(d.alone());
  EXPECT_EQ(enginetest::filesIn(NSTemporaryDirectory()), temporaryFiles);
}

}  // namespace

TEST(HXHTTPRequestLimits, AHugeOrUnreadableContentLengthFailsWithoutReservingIt) {
  TestRawHTTPServer raw([](const std::string& request) {
    std::string length = "999999999999";
    if (request.find("/max") != std::string::npos) length = "18446744073709551615";
    if (request.find("/beyond") != std::string::npos) length = "1000000000000000000000000000";
    return TestRawHTTPServer::RawReply{
        "HTTP/1.1 200 OK\r\nContent-Length: " + length + "\r\n\r\nonly a little", true};
  });
  // The stream refuses a length it cannot hold (a connection failure); the engine refuses one
  // past the request's limit.
  for (auto [path, refusedByStream] :
       {std::pair<std::string, bool>{"/twelve-digits", false}, {"/max", true}, {"/beyond", true}}) {
    for (uint64_t limit : {HXHTTPRequest::kDefaultMaxResponseSize, uint64_t(0)}) {
      SCOPED_TRACE(path + " limit " + std::to_string(limit));
      Exchange x(raw.url(path));
      x.request->setMaxResponseSize(limit);
      x.run();
      // Without a limit the announced body never comes: the cut body fails the request.
      ASSERT_TRUE(x.delegate->failed);
      EXPECT_EQ(x.request->error()->code(), limit && !refusedByStream
                                                ? HXResponseTooLargeErrorType
                                                : HXConnectionFailureErrorType);
      EXPECT_FALSE(x.request->responseData());
    }
  }
}

TEST(HXHTTPRequestLimits, ALyingContentLengthFailsAsACutBodyAndTheDownloadKeepsTheOldFile) {
  TestRawHTTPServer raw([](const std::string&) {
    return TestRawHTTPServer::RawReply{
        "HTTP/1.1 200 OK\r\nContent-Length: 50000000\r\n\r\n{\"statuses\":[", true};
  });
  Destination d("lying");
  for (bool toFile : {false, true}) {
    Exchange x(raw.url("/page"));
    if (toFile) x.request->setDownloadDestinationPath(d.path);
    x.run();
    ASSERT_TRUE(x.delegate->failed) << toFile;
    EXPECT_EQ(d.contents(), "old contents");
    EXPECT_TRUE(d.alone());
  }
}

TEST(HXHTTPRequestLimits, ABodyPastTheLimitFailsAndKeepsNothing) {
  TestHTTPServer server;
  TestHTTPReply endless = TestHTTPReply::text(std::string(300000, 'e'), 200, "text/plain");
  endless.closeDelimited = true;
  server.on("/endless", endless);
  TestHTTPReply chunked = TestHTTPReply::text(std::string(300000, 'c'), 200, "text/plain");
  chunked.chunked = true;
  server.on("/chunked", chunked);
  server.on("/announced", TestHTTPReply::text(std::string(300000, 'a'), 200, "text/plain"));
  server.on("/within", TestHTTPReply::text(std::string(100000, 'w'), 200, "text/plain"));
  Destination d("limited");
  auto temporary = enginetest::filesIn(NSTemporaryDirectory());
  for (std::string path : {"/endless", "/chunked", "/announced", "/within"}) {
    for (bool toFile : {false, true}) {
      SCOPED_TRACE(path + (toFile ? " to a file" : " in memory"));
      Exchange x(server.url(path));
      x.request->setMaxResponseSize(200000);
      if (toFile) x.request->setDownloadDestinationPath(d.path);
      x.run();
      if (path == "/within") {
        ASSERT_TRUE(x.delegate->finished);
        if (toFile)
          EXPECT_EQ(d.contents(), std::string(100000, 'w'));
        else
          EXPECT_EQ(enginetest::bodyOr(x.request->responseData()).size(), 100000u);
        writeToFile(d.path, "old contents", false);
        continue;
      }
      expectTooLargeAndNothingKept(x, d, temporary);
    }
  }
}

TEST(HXHTTPRequestLimits, AGzipBombFailsWhereverItWouldBeInflated) {
  TestHTTPServer server;
  // 4 MB of zeros in about 4 KB.
  TestHTTPReply bomb = TestHTTPReply::text(std::string(4u << 20, '\0'), 200, "application/json");
  bomb.gzip = true;
  server.on("/bomb", bomb);
  Destination d("bombed");
  auto temporary = enginetest::filesIn(NSTemporaryDirectory());
  for (bool toFile : {false, true}) {
    for (bool inflateOnArrival : {false, true}) {
      SCOPED_TRACE(testing::Message() << (toFile ? "to a file" : "in memory")
                                      << (inflateOnArrival ? ", inflated on arrival" : ""));
      Exchange x(server.url("/bomb"));
      x.request->setMaxResponseSize(1u << 20);
      x.request->setShouldWaitToInflateCompressedResponses(!inflateOnArrival);
      if (toFile) x.request->setDownloadDestinationPath(d.path);
      x.run();
      expectTooLargeAndNothingKept(x, d, temporary);
    }
  }
}

TEST(HXHTTPRequestLimits, AnErrorStatusIsDeliveredButNeverReplacesTheDownloadedFile) {
  TestHTTPServer server;
  server.on("/500", TestHTTPReply::text("<html>server error</html>", 500, "text/html"));
  TestHTTPReply zipped = TestHTTPReply::text("{\"gone\":true}", 404, "application/json");
  zipped.gzip = true;
  server.on("/404", zipped);
  server.on("/200", TestHTTPReply::text("{\"new\":true}", 200, "application/json"));
  Destination d("errors");
  for (auto [path, body] :
       {std::pair<std::string, std::string>{"/500", "<html>server error</html>"},
        {"/404", "{\"gone\":true}"}}) {
    SCOPED_TRACE(path);
    Exchange x(server.url(path));
    x.request->setDownloadDestinationPath(d.path);
    x.run();
    ASSERT_TRUE(x.delegate->finished);
    EXPECT_EQ(enginetest::bodyOr(x.request->responseString(), "<nil>"), body);
    EXPECT_EQ(d.contents(), "old contents");
    EXPECT_TRUE(d.alone());
  }
  Exchange good(server.url("/200"));
  good.request->setDownloadDestinationPath(d.path);
  good.run();
  EXPECT_EQ(d.contents(), "{\"new\":true}");
}

TEST(HXHTTPRequestLimits, ADownloadTheCheckRefusesIsDeliveredAndKeepsTheFile) {
  TestHTTPServer server;
  const std::string broken = "{\"statuses\":[{\"id\":1,\"te";
  server.on("/plain", TestHTTPReply::text(broken, 200, "application/json"));
  TestHTTPReply zipped = TestHTTPReply::text(broken, 200, "application/json");
  zipped.gzip = true;
  server.on("/zipped", zipped);
  server.on("/good", TestHTTPReply::text("{\"ok\":1}", 200, "application/json"));
  Destination d("checked");
  std::vector<std::string> checked;
  auto check = [&](const std::string& file) {
    auto body = dataWithContentsOfFile(file).value_or("");
    checked.push_back(body);
    return body.ends_with("}");
  };
  for (std::string path : {"/plain", "/zipped"}) {
    for (bool inflateOnArrival : {false, true}) {
      SCOPED_TRACE(path + (inflateOnArrival ? ", inflated on arrival" : ""));
      Exchange x(server.url(path));
      x.request->setDownloadDestinationPath(d.path);
      x.request->setDownloadCheck(check);
      x.request->setShouldWaitToInflateCompressedResponses(!inflateOnArrival);
      x.run();
      ASSERT_TRUE(x.delegate->finished);
      EXPECT_EQ(checked.back(), broken);
      EXPECT_EQ(enginetest::bodyOr(x.request->responseString(), "<nil>"), broken);
      EXPECT_EQ(d.contents(), "old contents");
      EXPECT_TRUE(d.alone());
    }
  }
  Exchange good(server.url("/good"));
  good.request->setDownloadDestinationPath(d.path);
  good.request->setDownloadCheck(check);
  good.run();
  EXPECT_EQ(d.contents(), "{\"ok\":1}");
  EXPECT_FALSE(good.request->responseData());
  EXPECT_TRUE(d.alone());
}

TEST(HXHTTPRequestLimits, ADownloadThatCannotBeWrittenLeavesNoTemporaryFile) {
  TestHTTPServer server;
  server.on("/big", TestHTTPReply::text(std::string(400000, 'b'), 200, "text/plain"));
  Destination d("unwritable");
  Exchange x(server.url("/big"));
  x.request->setDownloadDestinationPath(d.path);
  {
    // Files of this process may hold 64 KB: the body's writes fail part way.
    testsupport::FileSizeLimit full(64 * 1024);
    ASSERT_TRUE(full.applied());
    x.run();
  }
  ASSERT_TRUE(x.delegate->failed);
  EXPECT_EQ(x.request->error()->code(), HXFileManagementError);
  EXPECT_EQ(d.contents(), "old contents");
  EXPECT_TRUE(enginetest::runMainLoopUntil([&] { return d.alone(); }, 5));
}

TEST(HXHTTPRequestLimits, StaleTemporaryFilesOfAnEarlierRunAreSweptAndNothingElse) {
  std::string home = stringByAppendingPathComponent(NSDocumentDirectory(), "sweep");
  std::string deep = stringByAppendingPathComponent(home, "cache/channel");
  ASSERT_TRUE(NSFileManager::defaultManager().createDirectoryAtPath(deep, true));
  std::string uuid = NSUUID::createString();
  struct Case {
    std::string path;
    bool old;
    bool swept;
  } cases[] = {
      {deep + "/.page.json." + uuid + ".part", true, true},
      {home + "/" + NSUUID::createString(), true, true},
      {deep + "/.page.json." + NSUUID::createString() + ".part", false, false},  // in use
      {deep + "/page.json", true, false},
      {deep + "/.page.json.part", true, false},
      {deep + "/.page.json.NOT-A-UUID-AT-ALL-0000000000000000000.part", true, false},
      {home + "/notes." + uuid, true, false},
  };
  double start = realClock()->now();
  for (auto& c : cases) {
    ASSERT_TRUE(writeToFile(c.path, "x", false)) << c.path;
    if (c.old) {
      utimbuf times{time_t(start) - 3600, time_t(start) - 3600};
      ASSERT_EQ(utime(c.path.c_str(), &times), 0);
    }
  }
  EXPECT_EQ(HXHTTPRequest::removeStaleTemporaryFiles(home, start - 60), 2u);
  for (auto& c : cases)
    EXPECT_EQ(NSFileManager::defaultManager().fileExistsAtPath(c.path), !c.swept) << c.path;
}

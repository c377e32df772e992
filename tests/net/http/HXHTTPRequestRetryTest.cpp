// Retries after a time-out and on a dead kept-alive connection, and the removal of temporary
// files, against scripted servers on loopback.
#include <gtest/gtest.h>

#include <atomic>

#include "CFNetwork/CFReadStream.h"
#include "EngineTestSupport.h"
#include "Foundation/Clock.h"
#include "Foundation/NSFileManager.h"
#include "Foundation/NSPathUtilities.h"
#include "net/http/HXHTTPRequest.h"
#include "support/TestHTTPServer.h"

using enginetest::Exchange;
using enginetest::RecordingDelegate;
using enginetest::runMainLoopUntil;
using enginetest::url;
using testsupport::TestHTTPReply;
using testsupport::TestHTTPRequest;
using testsupport::TestHTTPServer;
using testsupport::TestRawHTTPServer;

namespace {

std::string letters(size_t n) {
  std::string s(n, 'a');
  for (size_t i = 0; i < n; ++i) s[i] = char('a' + i % 26);
  return s;
}

// The first attempt sends the first 1,000 bytes of the body and then nothing; later attempts
// get `later`.
TestHTTPServer::Handler stallThen(std::atomic<int>& attempts, const std::string& body,
                                  std::function<TestHTTPReply(const TestHTTPRequest&)> later) {
  return [&attempts, body, later](const TestHTTPRequest& q) {
    if (++attempts == 1) {
      TestHTTPReply stall = TestHTTPReply::text(body, 200, "application/octet-stream");
      stall.chunkSize = 1000;
      stall.pieceDelaySeconds = 600;
      return stall;
    }
    return later(q);
  };
}

}  // namespace

TEST(HXHTTPRequestRetry, AResumableDownloadThatStalledAsksForTheRestWithARange) {
  TestHTTPServer server;
  std::string body = letters(5000);
  std::atomic<int> attempts{0};
  server.on("/file", stallThen(attempts, body, [&](const TestHTTPRequest&) {
              TestHTTPReply rest =
                  TestHTTPReply::text(body.substr(1000), 206, "application/octet-stream");
              rest.headers = {{"Content-Range", "bytes 1000-4999/5000"}};
              return rest;
            }));
  std::string destination = stringByAppendingPathComponent(NSDocumentDirectory(), "file.bin");
  Exchange x(server.url("/file"));
  x.request->setDownloadDestinationPath(destination);
  x.request->setAllowResumeForFileDownloads(true);
  x.request->setTimeOutSeconds(1);
  x.request->setNumberOfTimesToRetryOnTimeout(1);
  x.run();

  ASSERT_TRUE(x.delegate->finished);
  auto requests = server.requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_FALSE(requests[0].hasHeader("Range"));
  EXPECT_EQ(requests[1].header("Range"), "bytes=1000-");
  EXPECT_EQ(x.request->retryCount(), 1);
  EXPECT_EQ(x.request->partialDownloadSize(), 1000u);
  EXPECT_EQ(x.request->responseStatusCode(), 206);
  EXPECT_TRUE(dataWithContentsOfFile(destination) == body);
  EXPECT_EQ(x.delegate->events,
            (std::vector<std::string>{"started", "headers", "started", "headers", "finished"}));
}

TEST(HXHTTPRequestRetry, ARetriedDownloadWritesItsFileAfreshWhenTheServerSendsItWhole) {
  TestHTTPServer server;
  std::string body = letters(5000);
  // Resuming allowed but not honoured, and resuming not allowed at all: either way the file is
  // the body once, not the first attempt's bytes followed by the whole body.
  for (bool allowResume : {true, false}) {
    std::atomic<int> attempts{0};
    server.on("/file", stallThen(attempts, body, [&](const TestHTTPRequest&) {
                return TestHTTPReply::text(body, 200, "application/octet-stream");
              }));
    std::string destination = stringByAppendingPathComponent(NSDocumentDirectory(), "whole.bin");
    Exchange x(server.url("/file"));
    x.request->setDownloadDestinationPath(destination);
    x.request->setAllowResumeForFileDownloads(allowResume);
    x.request->setTimeOutSeconds(1);
    x.request->setNumberOfTimesToRetryOnTimeout(1);
    x.run();
    ASSERT_TRUE(x.delegate->finished) << allowResume;
    EXPECT_EQ(server.lastRequest().hasHeader("Range"), allowResume);
    EXPECT_EQ(x.request->partialDownloadSize(), 0u);
    EXPECT_TRUE(dataWithContentsOfFile(destination) == body) << allowResume;
  }
}

TEST(HXHTTPRequestRetry, AServerThatDropsAnIdleKeptAliveConnectionDoesNotFailTheNextRequest) {
  // The server answers and keeps the connection... then drops it: at once after the first
  // reply, or when the next request arrives on it.
  for (bool dropOnNextRequest : {false, true}) {
    std::atomic<int> count{0};
    TestRawHTTPServer server([&](const std::string&) {
      int n = ++count;
      TestRawHTTPServer::RawReply reply;
      reply.bytes = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: keep-alive\r\n\r\nok";
      if (dropOnNextRequest) {
        reply.closeAfter = n != 1;
        if (n == 2) reply.bytes.clear();
      }
      return reply;
    });
    Exchange first(server.url("/a"));
    first.run();
    ASSERT_TRUE(first.delegate->finished);
    ASSERT_TRUE(first.request->connectionCanBeReused());
    Exchange second(server.url("/a"));
    second.run();
    ASSERT_TRUE(second.delegate->finished) << dropOnNextRequest;
    EXPECT_EQ(enginetest::bodyOr(second.request->responseString(), ""), "ok");
    EXPECT_EQ(server.connectionCount(), 2u);
    EXPECT_EQ(server.requests().size(), dropOnNextRequest ? 3u : 2u);
  }
}

TEST(HXHTTPRequestRetry, APresetRetryCountLeavesNoRetryOnANewConnection) {
  TestHTTPServer server;
  TestHTTPReply cut = TestHTTPReply::text(std::string(50000, 'c'));
  cut.closeAfterBodyBytes = 1000;
  server.on("/cut", cut);
  Exchange x(server.url("/cut"));
  x.request->setRetryCount(1);
  x.run();
  ASSERT_TRUE(x.delegate->failed);
  EXPECT_EQ(x.request->error()->code(), 1);
  EXPECT_EQ(x.request->error()->localizedDescription(), "A connection failure occurred");
  EXPECT_TRUE(x.request->error()->underlyingError());
  EXPECT_EQ(server.requestCount(), 1u);
}

TEST(HXHTTPRequestRetry, ATemporaryFileThatCannotBeDeletedFailsTheRequestWithCode8) {
  // Nobody may delete what the kernel shows under /proc.
  const std::string undeletable = "/proc/self/status";
  NSErrorPtr error;
  EXPECT_FALSE(HXHTTPRequest::removeFileAtPath(undeletable, &error));
  ASSERT_TRUE(error);
  EXPECT_EQ(error->code(), 8);
  EXPECT_EQ(error->localizedDescription(), "Failed to delete file at path '/proc/self/status'");
  EXPECT_TRUE(error->underlyingError());

  auto delegate = std::make_shared<RecordingDelegate>();
  auto request = HXHTTPRequest::requestWithURL(url("http://127.0.0.1:1/x"));
  request->setDelegate(delegate);
  request->setTemporaryFileDownloadPath(undeletable);
  EXPECT_FALSE(request->removeTemporaryDownloadFile());
  EXPECT_EQ(request->temporaryFileDownloadPath(), "");
  ASSERT_TRUE(request->error());
  EXPECT_EQ(request->error()->code(), 8);
  EXPECT_TRUE(runMainLoopUntil([&] { return delegate->failed; }));

  // Nothing to remove, or a file that goes: success.
  std::string file = stringByAppendingPathComponent(NSTemporaryDirectory(), "upload.tmp");
  ASSERT_TRUE(writeToFile(file, "x", false));
  auto other = HXHTTPRequest::requestWithURL(url("http://127.0.0.1:1/x"));
  EXPECT_TRUE(other->removeTemporaryUploadFile());
  other->setPostBodyFilePath(file);
  EXPECT_TRUE(other->removeTemporaryUploadFile());
  EXPECT_FALSE(NSFileManager::defaultManager().fileExistsAtPath(file));
  EXPECT_EQ(other->postBodyFilePath(), "");
  EXPECT_FALSE(other->error());
}

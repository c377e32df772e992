// The request queue against scripted servers on loopback.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "EngineTestSupport.h"
#include "Foundation/NSException.h"
#include "net/http/HXNetworkQueue.h"
#include "support/TestHTTPServer.h"

using enginetest::RecordingDelegate;
using enginetest::RecordingProgress;
using enginetest::runMainLoopFor;
using enginetest::runMainLoopUntil;
using enginetest::url;
using testsupport::TestHTTPReply;
using testsupport::TestHTTPRequest;
using testsupport::TestHTTPServer;

namespace {

// The queue's delegate: records what its selectors bring, in order.
class QueueOwner : public NSObject {
 public:
  std::vector<std::string> events;
  std::vector<ValueDictionary> headers;
  int queueFinished = 0;

  void started(const Value& v) { note("started", v); }
  void finished(const Value& v) { note("finished", v); }
  void failed(const Value& v) { note("failed", v); }
  void receivedHeaders(const Value& v) {
    note("headers", v[0]);
    headers.push_back(v[1].dictionary());
  }
  void queueDone(const Value& v) {
    ++queueFinished;
    events.push_back(v.object<HXNetworkQueue>() ? "queue finished"
                                                : "queue finished without queue");
  }

  void attach(const std::shared_ptr<HXNetworkQueue>& q) {
    auto me = self<QueueOwner>();
    q->setDelegate(me);
    q->setRequestDidStartSelector(selector(me, &QueueOwner::started, "requestStarted:"));
    q->setRequestDidFinishSelector(selector(me, &QueueOwner::finished, "requestFinished:"));
    q->setRequestDidFailSelector(selector(me, &QueueOwner::failed, "requestFailed:"));
    q->setQueueDidFinishSelector(selector(me, &QueueOwner::queueDone, "queueFinished:"));
  }

 private:
  void note(const std::string& what, const Value& request) {
    auto r = request.object<HXHTTPRequest>();
    events.push_back(what + " " + (r ? std::to_string(r->tag()) : std::string("?")));
  }
};

std::shared_ptr<HXHTTPRequest> tagged(const std::string& u, int tag) {
  auto r = HXHTTPRequest::requestWithURL(url(u));
  r->setTag(tag);
  return r;
}

// Counts the requests the server is answering at once.
struct Concurrency {
  std::atomic<int> running{0}, peak{0};
  TestHTTPServer::Handler handler(int millis) {
    return [this, millis](const TestHTTPRequest&) {
      int now = ++running;
      int p = peak;
      while (now > p && !peak.compare_exchange_weak(p, now)) {
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(millis));
      --running;
      return TestHTTPReply::text("done");
    };
  }
};

}  // namespace

TEST(HXNetworkQueue, ANewQueueRunsNothingUntilItIsToldToGo) {
  TestHTTPServer server;
  server.on("/ok", TestHTTPReply::text("ok"));
  auto owner = std::make_shared<QueueOwner>();
  auto queue = HXNetworkQueue::queue();
  owner->attach(queue);
  EXPECT_TRUE(queue->isSuspended());
  EXPECT_EQ(queue->maxConcurrentOperationCount(), 4);
  EXPECT_TRUE(queue->shouldCancelAllRequestsOnFailure());
  EXPECT_FALSE(queue->showAccurateProgress());
  queue->addOperation(tagged(server.url("/ok"), 1));
  queue->addOperation(tagged(server.url("/ok"), 2));
  EXPECT_EQ(queue->requestsCount(), 2);
  // Each request counts as one unit each way.
  EXPECT_EQ(queue->totalBytesToDownload(), 2u);
  EXPECT_EQ(queue->totalBytesToUpload(), 2u);

  runMainLoopFor(0.3);
  EXPECT_EQ(server.requestCount(), 0u);
  EXPECT_TRUE(owner->events.empty());

  queue->go();
  ASSERT_TRUE(runMainLoopUntil([&] { return owner->queueFinished > 0; }));
  runMainLoopFor(0.1);
  EXPECT_EQ(server.requestCount(), 2u);
  EXPECT_EQ(owner->queueFinished, 1);
  EXPECT_EQ(owner->events.back(), "queue finished");
  EXPECT_EQ(queue->requestsCount(), 0);
  EXPECT_EQ(queue->bytesDownloadedSoFar(), 2u);
  EXPECT_EQ(queue->bytesUploadedSoFar(), 0u);  // nothing was sent
}

TEST(HXNetworkQueue, AFailureCancelsTheRestOnlyWhenTheQueueSaysSo) {
  TestHTTPServer server;
  server.on("/ok", TestHTTPReply::text("ok"));
  TestHTTPReply slow = TestHTTPReply::text("late");
  slow.delaySeconds = 0.5;
  server.on("/slow", slow);
  for (bool cancelRest : {true, false}) {
    auto owner = std::make_shared<QueueOwner>();
    auto queue = HXNetworkQueue::queue();
    owner->attach(queue);
    queue->setShouldCancelAllRequestsOnFailure(cancelRest);
    // One at a time: the first succeeds, the second cannot connect, the third is still to come.
    queue->setMaxConcurrentOperationCount(1);
    auto third = tagged(server.url("/slow"), 3);
    queue->addOperation(tagged(server.url("/ok"), 1));
    queue->addOperation(tagged("http://127.0.0.1:1/refused", 2));
    queue->addOperation(third);
    queue->go();
    ASSERT_TRUE(runMainLoopUntil([&] { return owner->queueFinished > 0; })) << cancelRest;
    runMainLoopFor(0.2);

    // A start that reaches the main thread after the failure is not reported.
    std::erase(owner->events, "started 2");
    std::vector<std::string> expected = {"started 1", "finished 1", "failed 2"};
    if (cancelRest) {
      ASSERT_TRUE(third->error());
      EXPECT_EQ(third->error()->code(), 4);
      // The third may or may not have got as far as starting before the cancel reached it.
      std::erase(owner->events, "started 3");
      expected.push_back("failed 3");
    } else {
      expected.insert(expected.end(), {"started 3", "finished 3"});
      EXPECT_EQ(enginetest::bodyOr(third->responseString(), ""), "late");
    }
    expected.push_back("queue finished");
    EXPECT_EQ(owner->events, expected) << cancelRest;
    EXPECT_EQ(owner->queueFinished, 1);
    EXPECT_EQ(queue->requestsCount(), 0);
  }
}

TEST(HXNetworkQueue, OnlyRequestsMayBeAdded) {
  auto queue = HXNetworkQueue::queue();
  try {
    queue->addOperation(NSBlockOperation::blockOperationWithBlock([] {}));
    FAIL() << "no exception";
  } catch (const NSException& e) {
    EXPECT_EQ(e.name(), "AttemptToAddInvalidRequest");
    EXPECT_EQ(e.reason(),
              "Attempted to add an object that was not an HXHTTPRequest to an HXNetworkQueue");
  }
  EXPECT_EQ(queue->requestsCount(), 0);
  EXPECT_EQ(queue->operationCount(), 0u);
  EXPECT_EQ(queue->totalBytesToDownload(), 0u);

  // A request already queued elsewhere is refused by the platform queue and not counted.
  auto request = HXHTTPRequest::requestWithURL(url("http://127.0.0.1:1/x"));
  auto first = HXNetworkQueue::queue();
  first->addOperation(request);
  EXPECT_THROW(queue->addOperation(request), NSException);
  EXPECT_EQ(request->queue(), first);
  first->go();
  EXPECT_TRUE(runMainLoopUntil([&] { return first->requestsCount() == 0; }));
  EXPECT_EQ(queue->requestsCount(), 0);
  EXPECT_EQ(queue->totalBytesToDownload(), 0u);
  EXPECT_EQ(queue->totalBytesToUpload(), 0u);
}

TEST(HXNetworkQueue, SixSlowRequestsRunFourAtATime) {
  TestHTTPServer server;
  Concurrency shared, queued;
  server.on("/shared", shared.handler(300));
  server.on("/queued", queued.handler(300));

  std::vector<std::shared_ptr<RecordingDelegate>> delegates;
  auto queue = HXNetworkQueue::queue();
  for (int i = 0; i < 6; ++i) {
    auto viaShared = tagged(server.url("/shared"), i);
    auto viaQueue = tagged(server.url("/queued"), i);
    for (auto& r : {viaShared, viaQueue}) {
      delegates.push_back(std::make_shared<RecordingDelegate>());
      r->setDelegate(delegates.back());
    }
    viaShared->startAsynchronous();
    queue->addOperation(viaQueue);
  }
  queue->go();
  ASSERT_TRUE(runMainLoopUntil([&] {
    for (auto& d : delegates)
      if (!d->finished) return false;
    return true;
  }));
  EXPECT_EQ(shared.peak.load(), 4);
  EXPECT_EQ(queued.peak.load(), 4);
}

TEST(HXNetworkQueue, WithAccurateProgressASuspendedQueueSendsAHeadRequestFirst) {
  // Declared before the server: a late request may still be answered while the test ends.
  const std::string body(30000, 'b');
  TestHTTPServer server;
  server.on("/file", [body](const TestHTTPRequest&) { return TestHTTPReply::text(body); });
  auto queue = HXNetworkQueue::queue();
  queue->setShowAccurateProgress(true);
  auto progress = std::make_shared<RecordingProgress>();
  queue->setDownloadProgressDelegate(progress);
  auto download = tagged(server.url("/file"), 1);
  queue->addOperation(download);

  auto operations = queue->operations();
  ASSERT_EQ(operations.size(), 2u);
  auto head = std::dynamic_pointer_cast<HXHTTPRequest>(operations[0]);
  ASSERT_TRUE(head);
  EXPECT_EQ(head->requestMethod(), "HEAD");
  EXPECT_EQ(head->queuePriority(), 10);
  EXPECT_EQ(head->mainRequest(), download);
  EXPECT_EQ(download->dependencies(), (std::vector<std::shared_ptr<NSOperation>>{head}));
  EXPECT_EQ(queue->requestsCount(), 1);
  EXPECT_FALSE(download->shouldResetDownloadProgress());

  auto delegate = std::make_shared<RecordingDelegate>();
  download->setDelegate(delegate);
  queue->go();
  ASSERT_TRUE(runMainLoopUntil([&] { return delegate->finished; }));
  runMainLoopFor(0.1);
  auto requests = server.requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].method, "HEAD");
  EXPECT_EQ(requests[1].method, "GET");
  // The HEAD request told the size; the download filled it.
  EXPECT_EQ(queue->totalBytesToDownload(), body.size());
  EXPECT_EQ(queue->bytesDownloadedSoFar(), body.size());
  ASSERT_FALSE(progress->progress.empty());
  EXPECT_FLOAT_EQ(progress->progress.front(), 0.0f);
  EXPECT_FLOAT_EQ(progress->progress.back(), 1.0f);

  // Added to a running queue, a download has no HEAD twin.
  auto later = tagged(server.url("/file"), 2);
  queue->addOperation(later);
  EXPECT_TRUE(later->dependencies().empty());
}

TEST(HXNetworkQueue, ResetKeepsTheRedirectSelectorWhichAloneLetsTheQueueConfirmRedirects) {
  auto owner = std::make_shared<QueueOwner>();
  auto delegate = std::make_shared<RecordingDelegate>();
  delegate->confirmRedirects = true;
  auto queue = HXNetworkQueue::queue();
  queue->setDelegate(delegate);
  // The delegate implements the confirmation, but the queue was not asked to pass it on.
  EXPECT_FALSE(queue->respondsToSelector("request:willRedirectToURL:"));
  queue->setRequestWillRedirectSelector(Selector("request:willRedirectToURL:", {}, {}));
  EXPECT_TRUE(queue->respondsToSelector("request:willRedirectToURL:"));
  delegate->confirmRedirects = false;
  EXPECT_FALSE(queue->respondsToSelector("request:willRedirectToURL:"));
  EXPECT_TRUE(queue->respondsToSelector("requestFinished:"));
  EXPECT_FALSE(queue->respondsToSelector("authenticationNeededForRequest:"));

  owner->attach(queue);
  queue->go();
  queue->setMaxConcurrentOperationCount(2);
  queue->setUserInfo(Value::dictionaryOf({{"k", Value("v")}}));
  queue->reset();
  EXPECT_TRUE(queue->isSuspended());
  EXPECT_FALSE(queue->delegate());
  EXPECT_FALSE(queue->requestDidFinishSelector());
  EXPECT_FALSE(queue->queueDidFinishSelector());
  EXPECT_EQ(queue->requestWillRedirectSelector().name(), "request:willRedirectToURL:");
  EXPECT_EQ(queue->maxConcurrentOperationCount(), 2);
  EXPECT_EQ(queue->userInfo()["k"].string(), "v");
}

TEST(HXNetworkQueue, ACopyTakesTheConfigurationButNotTheStateOrTheWidth) {
  auto owner = std::make_shared<QueueOwner>();
  auto progress = std::make_shared<RecordingProgress>();
  auto queue = HXNetworkQueue::queue();
  owner->attach(queue);
  queue->setDownloadProgressDelegate(progress);
  queue->setShouldCancelAllRequestsOnFailure(false);
  queue->setShowAccurateProgress(true);
  queue->setMaxConcurrentOperationCount(1);
  auto info = makeDictionary({{"k", Value("v")}});
  queue->setUserInfo(Value(info));
  queue->addOperation(tagged("http://127.0.0.1:1/x", 1));
  queue->go();

  auto copy = queue->copyWithZone();
  EXPECT_EQ(copy->delegate(), owner);
  EXPECT_EQ(copy->requestDidFinishSelector(), queue->requestDidFinishSelector());
  EXPECT_EQ(copy->queueDidFinishSelector(), queue->queueDidFinishSelector());
  EXPECT_EQ(copy->downloadProgressDelegate(), progress);
  EXPECT_FALSE(copy->shouldCancelAllRequestsOnFailure());
  EXPECT_TRUE(copy->showAccurateProgress());
  EXPECT_EQ(copy->userInfo()["k"].string(), "v");
  EXPECT_NE(copy->userInfo().dictionary(), info);
  EXPECT_TRUE(copy->isSuspended());
  EXPECT_EQ(copy->maxConcurrentOperationCount(), 4);
  EXPECT_EQ(copy->requestsCount(), 0);
  EXPECT_EQ(copy->operationCount(), 0u);
  ASSERT_TRUE(runMainLoopUntil([&] { return queue->requestsCount() == 0; }));
}

TEST(HXNetworkQueue, HeadersReachTheDelegateWithTheRequestAndARequestKeepsItsOwnDelegate) {
  TestHTTPServer server;
  server.on("/ok", TestHTTPReply::text("ok"));
  auto owner = std::make_shared<QueueOwner>();
  auto queue = HXNetworkQueue::queue();
  owner->attach(queue);
  queue->setRequestDidReceiveResponseHeadersSelector(
      selector(owner, &QueueOwner::receivedHeaders, "request:didReceiveResponseHeaders:"));
  auto request = tagged(server.url("/ok"), 7);
  auto own = std::make_shared<RecordingDelegate>();
  request->setDelegate(own);
  queue->addOperation(request);
  queue->go();
  ASSERT_TRUE(runMainLoopUntil([&] { return owner->queueFinished > 0; }));
  EXPECT_EQ(owner->events,
            (std::vector<std::string>{"started 7", "headers 7", "finished 7", "queue finished"}));
  ASSERT_EQ(owner->headers.size(), 1u);
  EXPECT_EQ(Value(owner->headers[0])["Content-Length"].string(), "2");
  EXPECT_EQ(own->events, (std::vector<std::string>{"started", "headers", "finished"}));
  EXPECT_EQ(request->queue(), queue);
}

// The request queue against the local content server: answers from the cache, merged and
// separate transfers, five at a time, ETags and 304, limits, errors, data URLs, retries,
// suspending and cancelling.
#include <gtest/gtest.h>

#include "CFNetwork/CFNetworkConfiguration.h"
#include "CFNetwork/NSURLConnection.h"
#include "Foundation/NSFileManager.h"
#include "Foundation/NSPathUtilities.h"
#include "Foundation/NSURL.h"
#include "Foundation/NSURLError.h"
#include "UIKit/UIApplication.h"
#include "UIKit/UIImage.h"
#include "server/ContentServer.h"
#include "support/MainLoop.h"
#include "support/TestHTTPServer.h"
#include "uilib/core/NSData+ULCategory.h"
#include "uilib/network/ULURLCache.h"
#include "uilib/network/ULURLRequest.h"
#include "uilib/network/ULURLRequestQueue.h"
#include "uilib/network/ULUserInfo.h"

namespace {

// Writes down what a request's delegate hears.
struct Recorder : ULURLRequestDelegate {
  std::vector<std::string> events;
  NSErrorPtr error;
  bool ended = false;

  void requestDidStartLoad(const std::shared_ptr<ULURLRequest>&) override {
    events.push_back("start");
  }
  void requestDidUploadData(const std::shared_ptr<ULURLRequest>& r) override {
    events.push_back("upload " + std::to_string(r->totalBytesLoaded()) + "/" +
                     std::to_string(r->totalBytesExpected()));
  }
  void requestDidFinishLoad(const std::shared_ptr<ULURLRequest>&) override {
    events.push_back("finish");
    ended = true;
  }
  void requestDidFailLoadWithError(const std::shared_ptr<ULURLRequest>&,
                                   const NSErrorPtr& e) override {
    events.push_back("fail " + std::to_string(e->code()));
    error = e;
    ended = true;
  }
  void requestDidCancelLoad(const std::shared_ptr<ULURLRequest>&) override {
    events.push_back("cancel");
    ended = true;
  }
};

using Events = std::vector<std::string>;

// The events but the upload progress.
Events withoutUploads(Events events) {
  std::erase_if(events, [](const std::string& e) { return e.rfind("upload ", 0) == 0; });
  return events;
}

struct Sent {
  std::shared_ptr<ULURLRequest> request;
  std::shared_ptr<Recorder> recorder;
  std::shared_ptr<ULURLDataResponse> data;
  bool answeredAtOnce = false;
};

class URLRequestQueueTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MainLoop::install();
    server.start();
    queue = ULURLRequestQueue::mainQueue();
    cache = ULURLCache::sharedCache();
  }

  std::string picture(const std::string& name, const std::string& query = "") {
    return server.url("/img/sample/" + name + ".png" + (query.empty() ? "" : "?" + query));
  }

  Sent make(const std::string& url, int policy = ULURLRequestCachePolicyDefault) {
    Sent s;
    s.recorder = std::make_shared<Recorder>();
    s.request = ULURLRequest::requestWithURL(url, s.recorder);
    s.request->setCachePolicy(policy);
    s.data = std::make_shared<ULURLDataResponse>();
    s.request->setResponse(s.data);
    return s;
  }

  Sent send(const std::string& url, int policy = ULURLRequestCachePolicyDefault) {
    Sent s = make(url, policy);
    s.answeredAtOnce = s.request->send();
    return s;
  }

  bool waitFor(const std::vector<Sent*>& all) {
    return MainLoop::runUntil([&] {
      for (Sent* s : all)
        if (!s->recorder->ended) return false;
      return true;
    });
  }
  bool waitFor(Sent& s) { return waitFor(std::vector<Sent*>{&s}); }

  size_t serverRequests(const std::string& path) { return server.requests(path).size(); }
  // Runs the main loop (which carries the transfers) until the server has seen n requests.
  bool serverSees(size_t n, const std::string& path = {}) {
    return MainLoop::runUntil([&] {
      return (path.empty() ? server.requests().size() : server.requests(path).size()) >= n;
    });
  }

  zept::server::ContentServer server;
  std::shared_ptr<ULURLRequestQueue> queue;
  std::shared_ptr<ULURLCache> cache;
};

}  // namespace

TEST_F(URLRequestQueueTest, APictureIsFetchedOnceThenAnsweredFromTheCaches) {
  const std::string url = picture("cat");
  auto fetch = [&] {
    Sent s = make(url);
    auto image = std::make_shared<ULURLImageResponse>();
    s.request->setResponse(image);
    s.answeredAtOnce = s.request->send();
    return std::make_pair(s, image);
  };
  auto [first, firstImage] = fetch();
  EXPECT_FALSE(first.answeredAtOnce);
  EXPECT_TRUE(first.request->isLoading());
  ASSERT_TRUE(waitFor(first));
  EXPECT_EQ(first.recorder->events, (Events{"start", "finish"}));
  ASSERT_TRUE(firstImage->image());
  EXPECT_EQ(firstImage->image()->size(), CGSizeMake(100, 100));
  EXPECT_FALSE(first.request->respondedFromCache());
  EXPECT_FALSE(first.request->isLoading());
  EXPECT_EQ(first.request->timestamp()->secondsSince1970, MainLoop::now());

  // The body lands byte for byte under the MD5 of the URL.
  auto stored = dataWithContentsOfFile(NSCachesDirectory() + "/ULKit/" + md5Hash(url));
  ASSERT_TRUE(stored);
  EXPECT_EQ(UIImage::imageWithData(*stored)->size(), CGSizeMake(100, 100));
  EXPECT_EQ((long long)stored->size(), first.request->totalBytesDownloaded());
  EXPECT_EQ(first.request->totalContentLength(), (long long)stored->size());

  // Again: the image held in memory answers at once, without a start and without the server.
  auto [second, secondImage] = fetch();
  EXPECT_TRUE(second.answeredAtOnce);
  EXPECT_EQ(second.recorder->events, (Events{"finish"}));
  EXPECT_TRUE(second.request->respondedFromCache());
  EXPECT_EQ(secondImage->image(), firstImage->image());
  EXPECT_EQ(serverRequests("/img/sample/cat.png"), 1u);

  // From the disk alone (memory emptied) the timestamp is the file's date.
  cache->removeAll(false);
  MainLoop::advance(60);
  Sent third = send(url);
  EXPECT_TRUE(third.answeredAtOnce);
  EXPECT_EQ(third.data->data(), stored);
  EXPECT_EQ(third.request->timestamp()->secondsSince1970, MainLoop::now() - 60);
  EXPECT_EQ(serverRequests("/img/sample/cat.png"), 1u);

  // Byte for byte what the server sends.
  auto served = NSURLConnection::sendSynchronousRequest(NSURLRequest(NSURL::URLWithString(url)),
                                                        nullptr, nullptr);
  EXPECT_EQ(served, stored);
}

TEST_F(URLRequestQueueTest, GetsOfOneURLShareATransferAndPostsNever) {
  const std::string url = picture("shared", "delay=200");
  Sent a = send(url), b = send(url);
  ASSERT_TRUE(waitFor({&a, &b}));
  EXPECT_EQ(a.recorder->events, (Events{"start", "finish"}));
  EXPECT_EQ(b.recorder->events, (Events{"start", "finish"}));
  EXPECT_EQ(serverRequests("/img/sample/shared.png"), 1u);
  EXPECT_EQ(a.request->timestamp(), b.request->timestamp());
  EXPECT_EQ(b.data->data(), a.data->data());

  // Two equal POSTs: two transfers, and cancelling the first leaves the second alone.
  auto post = [&](const std::string& u) {
    Sent s = make(u, ULCachePolicyBitNetwork);
    s.request->setHttpMethod("POST");
    s.request->parameters()->setObject(Value("1"), "a");
    s.request->send();
    return s;
  };
  const std::string slow = picture("posted", "delay=400");
  Sent p1 = post(slow), p2 = post(slow);
  EXPECT_EQ(p1.request->cacheKey(), p2.request->cacheKey());
  ASSERT_TRUE(serverSees(2, "/img/sample/posted.png"));
  p1.request->cancel();
  EXPECT_EQ(withoutUploads(p1.recorder->events), (Events{"start", "cancel"}));
  EXPECT_FALSE(p1.request->isLoading());
  ASSERT_TRUE(waitFor(p2));
  EXPECT_EQ(withoutUploads(p2.recorder->events), (Events{"start", "finish"}));
  EXPECT_EQ(withoutUploads(p1.recorder->events), (Events{"start", "cancel"}));
}

TEST_F(URLRequestQueueTest, FiveTransfersRunAtOnceAndTheSixthStartsAsOneEnds) {
  std::vector<Sent> sent;
  for (int i = 0; i < 6; ++i)
    sent.push_back(send(picture("slow" + std::to_string(i), "delay=600")));
  ASSERT_TRUE(serverSees(5));
  MainLoop::runUntil([] { return false; }, 0.2);
  EXPECT_EQ(server.requests().size(), 5u);
  for (auto& s : sent) EXPECT_EQ(s.recorder->events, (Events{"start"}));
  // No virtual time passes: the sixth starts from the first completion, not from the timer.
  std::vector<Sent*> all;
  for (auto& s : sent) all.push_back(&s);
  ASSERT_TRUE(waitFor(all));
  auto log = server.requests();
  ASSERT_EQ(log.size(), 6u);
  EXPECT_EQ(log.back().path, "/img/sample/slow5.png");
  EXPECT_FALSE(UIApplication::sharedApplication()->isNetworkActivityIndicatorVisible());
}

TEST_F(URLRequestQueueTest, ETagsRevalidateAndA304DeliversTheCachedBody) {
  constexpr int kPolicy = 23;  // memory, disk, network, ETag
  const std::string url = picture("tagged", "delay=300");
  Sent first = send(url, kPolicy);
  EXPECT_FALSE(first.answeredAtOnce);
  ASSERT_TRUE(waitFor(first));
  std::string key = md5Hash(url);
  EXPECT_EQ(dataWithContentsOfFile(NSCachesDirectory() + "/ULKit/etag/" + key), "\"v1\"");
  auto body = first.data->data();
  ASSERT_TRUE(body);

  // Ten days on, a request that accepts a body that old asks with the tag and gets the copy.
  MainLoop::advance(10 * 86400);
  Sent second = make(url, kPolicy);
  second.request->setCacheExpirationAge(30 * 86400);
  EXPECT_FALSE(second.request->send());
  ASSERT_TRUE(waitFor(second));
  auto log = server.requests("/img/sample/tagged.png");
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[1].header("If-None-Match"), "\"v1\"");
  EXPECT_EQ(log[1].status, 304);
  EXPECT_EQ(second.recorder->events, (Events{"start", "finish"}));
  EXPECT_TRUE(second.request->respondedFromCache());
  EXPECT_EQ(second.data->data(), body);

  // When the copy goes while the server thinks, the 304 fails the request.
  Sent third = make(url, kPolicy);
  third.request->setCacheExpirationAge(30 * 86400);
  third.request->send();
  ASSERT_TRUE(serverSees(3, "/img/sample/tagged.png"));
  cache->removeKey(key);
  ASSERT_TRUE(waitFor(third));
  EXPECT_EQ(third.recorder->events, (Events{"start", "fail 304"}));
  EXPECT_EQ(third.recorder->error->domain(), NSURLErrorDomain);
}

TEST_F(URLRequestQueueTest, ResponsesPastTheSizeLimitAreCancelled) {
  Sent big = send(picture("big", "length=150001"));
  ASSERT_TRUE(waitFor(big));
  EXPECT_EQ(big.recorder->events, (Events{"start", "cancel"}));
  EXPECT_FALSE(cache->hasDataForURL(picture("big", "length=150001")));

  Sent fits = send(picture("fits", "length=150000"));
  ASSERT_TRUE(waitFor(fits));
  EXPECT_EQ(fits.recorder->events, (Events{"start", "finish"}));

  queue->setMaxContentLength(0);
  Sent unlimited = send(picture("big", "length=150001&v=2"));
  ASSERT_TRUE(waitFor(unlimited));
  EXPECT_EQ(unlimited.recorder->events, (Events{"start", "finish"}));
  EXPECT_EQ(unlimited.data->data()->size(), 150001u);
}

TEST_F(URLRequestQueueTest, HTTPErrorsCarryTheStatusAndTheBody) {
  Sent missing = send(server.url("/no/such/picture.png"));
  ASSERT_TRUE(waitFor(missing));
  EXPECT_EQ(missing.recorder->events, (Events{"start", "fail 404"}));
  EXPECT_EQ(missing.recorder->error->domain(), NSURLErrorDomain);
  EXPECT_EQ(missing.recorder->error->userInfo()["responsedata"].bytes(), "not found");
  EXPECT_FALSE(cache->hasDataForURL(server.url("/no/such/picture.png")));

  // Bytes that are no picture fail the image processor.
  auto image = std::make_shared<ULURLImageResponse>();
  Sent text = make("data:text/plain,hello");
  text.request->setResponse(image);
  text.request->send();
  MainLoop::advance(0.1);
  ASSERT_TRUE(waitFor(text));
  EXPECT_EQ(text.recorder->events, (Events{"start", "fail 100"}));
  EXPECT_EQ(text.recorder->error->domain(), "ulkit.network");

  Sent empty = send("");
  EXPECT_EQ(empty.recorder->events, (Events{"start", "fail -1000"}));
}

TEST_F(URLRequestQueueTest, DataURLsAnswerATenthOfASecondLater) {
  Sent hello = send("data:text/plain,hello");
  Sent encoded = send("data:text/plain;base64,aGVsbG8=");
  MainLoop::pump();
  MainLoop::advance(0.09);
  EXPECT_EQ(hello.recorder->events, (Events{"start"}));
  MainLoop::advance(0.01);
  EXPECT_EQ(hello.recorder->events, (Events{"start", "finish"}));
  EXPECT_EQ(hello.data->data(), "hello");
  EXPECT_EQ(encoded.data->data(), "hello");

  // A URL of three parts fails and frees its place: five more transfers still start.
  Sent bad = send("data:a,b,c");
  MainLoop::advance(0.1);
  EXPECT_EQ(bad.recorder->events, (Events{"start", "fail -1000"}));
  std::vector<Sent> sent;
  for (int i = 0; i < 5; ++i)
    sent.push_back(send(picture("after" + std::to_string(i), "delay=300")));
  EXPECT_TRUE(serverSees(5));
}

TEST_F(URLRequestQueueTest, AHostNotFoundIsTriedThreeTimes) {
  CFNetworkMapHost("pictures.zept.example", 0, "127.0.0.1", server.port());
  const std::string url = "http://pictures.zept.example/img/sample/far.png";
  CFNetworkFailHostLookups("pictures.zept.example", 2);
  Sent found = send(url);
  ASSERT_TRUE(waitFor(found));
  EXPECT_EQ(found.recorder->events, (Events{"start", "finish"}));
  EXPECT_EQ(serverRequests("/img/sample/far.png"), 1u);

  // A connection kept open from before needs no lookup: another name needs one.
  CFNetworkMapHost("far.zept.example", 0, "127.0.0.1", server.port());
  CFNetworkFailHostLookups("far.zept.example", 3);
  Sent lost = send("http://far.zept.example/img/sample/far.png");
  ASSERT_TRUE(waitFor(lost));
  EXPECT_EQ(lost.recorder->events, (Events{"start", "fail -1003"}));
  EXPECT_EQ(serverRequests("/img/sample/far.png"), 1u);
  CFNetworkRemoveHostMappings();
}

TEST_F(URLRequestQueueTest, ARetriedMultipartPostKeepsItsPicture) {
  CFNetworkMapHost("post.zept.example", 0, "127.0.0.1", server.port());
  CFNetworkFailHostLookups("post.zept.example", 1);
  Sent post = make("http://post.zept.example/img/sample/posted.png", ULCachePolicyBitNetwork);
  post.request->setHttpMethod("POST");
  post.request->parameters()->setObject(Value("hello"), "text");
  post.request->parameters()->setObject(Value::data(std::string("\xff\xd8 picture bytes")),
                                        "photo");
  post.request->send();
  ASSERT_TRUE(waitFor(post));
  EXPECT_EQ(withoutUploads(post.recorder->events), (Events{"start", "finish"}));
  auto log = server.requests("/img/sample/posted.png");
  ASSERT_EQ(log.size(), 1u);
  ASSERT_NE(log[0].file("photo"), nullptr);
  EXPECT_EQ(log[0].file("photo")->filename, "image.jpg");
  EXPECT_EQ(log[0].file("photo")->content, std::string("\xff\xd8 picture bytes"));
  EXPECT_EQ(log[0].paramOr("text"), "hello");
  // The picture left the parameters when the body was built.
  EXPECT_TRUE(post.request->parameters()->objectForKey("photo").isNil());
  CFNetworkRemoveHostMappings();
}

TEST_F(URLRequestQueueTest, ASuspendedQueueHoldsNewTransfersAndReadsOnlyMemory) {
  Sent warm = send(picture("warm"));
  ASSERT_TRUE(waitFor(warm));
  queue->setSuspended(true);
  // The body is on disk, but a suspended queue does not read the disk before sending.
  Sent held = send(picture("warm"));
  Sent other = send(picture("cold"));
  EXPECT_FALSE(held.answeredAtOnce);
  MainLoop::advance(1);
  MainLoop::runUntil([] { return false; }, 0.2);
  EXPECT_EQ(server.requests().size(), 1u);
  EXPECT_EQ(other.recorder->events, (Events{"start"}));
  // Resuming runs the waiting line at once; the waiting request finds its body on disk then.
  queue->setSuspended(false);
  ASSERT_TRUE(waitFor({&held, &other}));
  EXPECT_EQ(held.recorder->events, (Events{"start", "finish"}));
  EXPECT_EQ(serverRequests("/img/sample/warm.png"), 1u);
  EXPECT_EQ(serverRequests("/img/sample/cold.png"), 1u);
}

TEST_F(URLRequestQueueTest, CancellingOneOfAMergedPairOrByOwner) {
  const std::string url = picture("pair", "delay=300");
  Sent a = send(url), b = send(url);
  a.request->cancel();
  EXPECT_EQ(a.recorder->events, (Events{"start", "cancel"}));
  ASSERT_TRUE(waitFor(b));
  EXPECT_EQ(b.recorder->events, (Events{"start", "finish"}));

  // By owner: as a delegate, or as the weak reference of a request's user info.
  auto owner = std::make_shared<int>(7);
  Sent byDelegate = send(picture("d1", "delay=300"));
  Sent byInfo = make(picture("d2", "delay=300"));
  byInfo.request->setUserInfo(Value(ULUserInfo::weakRef(owner)));
  byInfo.request->send();
  Sent bystander = send(picture("d3", "delay=300"));
  queue->cancelRequestsWithDelegate(byDelegate.recorder);
  queue->cancelRequestsWithDelegate(owner);
  EXPECT_EQ(byDelegate.recorder->events, (Events{"start", "cancel"}));
  EXPECT_EQ(byInfo.recorder->events, (Events{"start", "cancel"}));
  ASSERT_TRUE(waitFor(bystander));
  EXPECT_EQ(bystander.recorder->events, (Events{"start", "finish"}));

  // Everything at once.
  Sent x = send(picture("x", "delay=300")), y = send(picture("y", "delay=300"));
  queue->cancelAllRequests();
  EXPECT_EQ(x.recorder->events, (Events{"start", "cancel"}));
  EXPECT_EQ(y.recorder->events, (Events{"start", "cancel"}));
}

TEST_F(URLRequestQueueTest, ASynchronousSendStrandsNoOtherTransfer) {
  const std::string url = picture("sync", "delay=300");
  Sent async = send(url);
  Sent sync = make(url);
  EXPECT_FALSE(sync.request->sendSynchronously());
  EXPECT_EQ(sync.recorder->events, (Events{"start", "finish"}));
  EXPECT_TRUE(sync.data->data());
  // The transfer under way for the same key still ends, and can still be cancelled.
  ASSERT_TRUE(waitFor(async));
  EXPECT_EQ(async.recorder->events, (Events{"start", "finish"}));
  Sent later = send(picture("sync2", "delay=300"));
  later.request->cancel();
  EXPECT_EQ(later.recorder->events, (Events{"start", "cancel"}));
}

TEST_F(URLRequestQueueTest, APostTellsItsUploadAndIsNotStoredWithNoStore) {
  Sent post = make(picture("upload"), ULCachePolicyBitNetwork | ULCachePolicyBitNoStore);
  post.request->setHttpMethod("POST");
  post.request->parameters()->setObject(Value(std::string(20000, 'p')), "big");
  post.request->send();
  ASSERT_TRUE(waitFor(post));
  ASSERT_GE(post.recorder->events.size(), 3u);
  std::string expected = std::to_string(post.request->httpBody()->size());
  EXPECT_EQ(post.recorder->events[post.recorder->events.size() - 2],
            "upload " + expected + "/" + expected);
  EXPECT_EQ(post.recorder->events.back(), "finish");
  EXPECT_FALSE(cache->hasDataForKey(post.request->cacheKey(), 1e9));
  EXPECT_EQ(server.requests().back().method, "POST");
}

TEST_F(URLRequestQueueTest, BundleAndDocumentsURLsAreReadFromFiles) {
  ASSERT_TRUE(writeToFile(NSDocumentDirectory() + "/note.txt", "from documents", true));
  Sent document = send("documents://note.txt");
  EXPECT_TRUE(document.answeredAtOnce);
  EXPECT_EQ(document.recorder->events, (Events{"finish"}));
  EXPECT_EQ(document.data->data(), "from documents");

  Sent info = send("bundle://Info.plist");
  EXPECT_TRUE(info.answeredAtOnce);
  EXPECT_TRUE(info.data->data());

  Sent missing = send("documents://none.txt");
  EXPECT_TRUE(missing.answeredAtOnce);
  EXPECT_EQ(missing.recorder->events, (Events{"fail 260"}));
  EXPECT_EQ(missing.recorder->error->domain(), NSCocoaErrorDomain);
}

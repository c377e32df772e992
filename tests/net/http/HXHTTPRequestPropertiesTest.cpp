// Request properties, copies of requests, closures, the picture download and cookie values.
#include <gtest/gtest.h>

#include "EngineTestSupport.h"
#include "Foundation/NSFileManager.h"
#include "Foundation/NSPathUtilities.h"
#include "net/http/HXImageDownload.h"
#include "net/http/HXNetworkQueue.h"
#include "net/http/NSString+CookieValueEncodingAdditions.h"
#include "support/TestHTTPServer.h"

using enginetest::RecordingDelegate;
using enginetest::RecordingProgress;
using enginetest::runMainLoopFor;
using enginetest::runMainLoopUntil;
using enginetest::url;
using testsupport::TestHTTPReply;
using testsupport::TestHTTPServer;

namespace {
struct Identity : NSObject {};
}  // namespace

TEST(HXHTTPRequestProperties, ACopyTakesTheConfigurationAndStartsItsStateAfresh) {
  auto delegate = std::make_shared<RecordingDelegate>();
  auto upload = std::make_shared<RecordingProgress>();
  auto download = std::make_shared<RecordingProgress>();
  auto identity = std::make_shared<Identity>();
  auto queue = HXNetworkQueue::queue();
  auto r = HXHTTPRequest::requestWithURL(url("http://a.m.r/post"));
  r->setDelegate(delegate);
  r->setRequestMethod("PUT");
  r->appendPostData("body");
  r->addRequestHeader("X-One", "1");
  r->setUseCookiePersistence(false);
  r->setUseKeychainPersistence(true);
  r->setUseSessionPersistence(false);
  r->setAllowCompressedResponse(false);
  r->setDownloadDestinationPath("/tmp/dest");
  r->setTemporaryFileDownloadPath("/tmp/partial");
  r->setUsername("ann");
  r->setPassword("secret");
  r->setDomain("dom");
  r->setProxyUsername("pu");
  r->setProxyPassword("pp");
  r->setProxyDomain("pd");
  r->setProxyHost("proxy.a.m.r");
  r->setProxyPort(3128);
  r->setProxyType("SOCKS");
  r->setUploadProgressDelegate(upload);
  r->setDownloadProgressDelegate(download);
  r->setShouldPresentAuthenticationDialog(true);
  r->setShouldPresentProxyAuthenticationDialog(false);
  r->setDidStartSelector(Selector("began:", {}, {}));
  r->setDidFinishSelector(Selector("done:", {}, {}));
  r->setDidFailSelector(Selector("broke:", {}, {}));
  r->setTimeOutSeconds(42);
  r->setShouldResetDownloadProgress(false);
  r->setShouldResetUploadProgress(false);
  r->setShowAccurateProgress(false);
  r->setDefaultResponseEncoding(NSUTF8StringEncoding);
  r->setAllowResumeForFileDownloads(true);
  auto info = makeDictionary({{"k", Value("v")}});
  r->setUserInfo(Value(info));
  r->setTag(9);
  r->setUseHTTPVersionOne(true);
  r->setShouldRedirect(false);
  r->setValidatesSecureCertificate(false);
  r->setClientCertificateIdentity(identity);
  r->setClientCertificates(makeArray({Value("cert")}));
  r->setPACurl(url("http://a.m.r/proxy.pac"));
  r->setShouldPresentCredentialsBeforeChallenge(false);
  r->setNumberOfTimesToRetryOnTimeout(3);
  r->setShouldUseRFC2616RedirectBehaviour(true);
  r->setShouldAttemptPersistentConnection(true);
  r->setPersistentConnectionTimeoutSeconds(15);
  r->setAuthenticationScheme("Basic");
  r->buildPostBody();
  // Not part of a copy.
  r->setQueue(queue);
  r->setUserAgent("agent");
  r->setSynchronous(true);
  r->setRunLoopMode(std::string(HXHTTPRequestRunLoopMode));
  r->setWillRedirectSelector(Selector("where:", {}, {}));
  r->setIsCanceledRequest(true);
  r->setNeedPromptSelf(true);
  r->setNetServerType(2);
  r->setCachePolicy(4);
  r->setResponseStatusCode(500);
  r->setRetryCount(2);

  auto c = r->copyWithZone();
  EXPECT_EQ(c->url()->absoluteString(), "http://a.m.r/post");
  EXPECT_EQ(c->delegate(), delegate);
  EXPECT_EQ(c->requestMethod(), "PUT");
  EXPECT_EQ(c->postBody().value_or(""), "body");
  ASSERT_TRUE(c->requestHeaders());
  EXPECT_NE(c->requestHeaders(), r->requestHeaders());
  EXPECT_EQ(c->requestHeaders()->objectForKey("X-One").string(), "1");
  EXPECT_EQ(c->requestHeaders()->objectForKey("Content-Length").string(), "4");
  EXPECT_FALSE(c->useCookiePersistence());
  EXPECT_TRUE(c->useKeychainPersistence());
  EXPECT_FALSE(c->useSessionPersistence());
  EXPECT_FALSE(c->allowCompressedResponse());
  EXPECT_EQ(c->downloadDestinationPath(), "/tmp/dest");
  EXPECT_EQ(c->temporaryFileDownloadPath(), "/tmp/partial");
  EXPECT_EQ(c->username(), "ann");
  EXPECT_EQ(c->password(), "secret");
  EXPECT_EQ(c->domain(), "dom");
  EXPECT_EQ(c->proxyUsername(), "pu");
  EXPECT_EQ(c->proxyPassword(), "pp");
  EXPECT_EQ(c->proxyDomain(), "pd");
  EXPECT_EQ(c->proxyHost(), "proxy.a.m.r");
  EXPECT_EQ(c->proxyPort(), 3128);
  EXPECT_EQ(c->proxyType(), "SOCKS");
  EXPECT_EQ(c->uploadProgressDelegate(), upload);
  EXPECT_EQ(c->downloadProgressDelegate(), download);
  EXPECT_TRUE(c->shouldPresentAuthenticationDialog());
  EXPECT_FALSE(c->shouldPresentProxyAuthenticationDialog());
  EXPECT_EQ(c->postLength(), 4u);
  EXPECT_TRUE(c->haveBuiltPostBody());
  EXPECT_EQ(c->didStartSelector().name(), "began:");
  EXPECT_EQ(c->didFinishSelector().name(), "done:");
  EXPECT_EQ(c->didFailSelector().name(), "broke:");
  EXPECT_EQ(c->timeOutSeconds(), 42);
  EXPECT_FALSE(c->shouldResetDownloadProgress());
  EXPECT_FALSE(c->shouldResetUploadProgress());
  EXPECT_FALSE(c->showAccurateProgress());
  EXPECT_EQ(c->defaultResponseEncoding(), NSUTF8StringEncoding);
  EXPECT_TRUE(c->allowResumeForFileDownloads());
  EXPECT_EQ(c->userInfo()["k"].string(), "v");
  EXPECT_NE(c->userInfo().dictionary(), info);
  EXPECT_EQ(c->tag(), 9);
  EXPECT_TRUE(c->useHTTPVersionOne());
  EXPECT_FALSE(c->shouldRedirect());
  EXPECT_FALSE(c->validatesSecureCertificate());
  EXPECT_EQ(c->clientCertificateIdentity(), identity);
  ASSERT_TRUE(c->clientCertificates());
  EXPECT_EQ(c->clientCertificates()->count(), 1u);
  EXPECT_EQ(c->PACurl()->absoluteString(), "http://a.m.r/proxy.pac");
  EXPECT_FALSE(c->shouldPresentCredentialsBeforeChallenge());
  EXPECT_EQ(c->numberOfTimesToRetryOnTimeout(), 3);
  EXPECT_TRUE(c->shouldUseRFC2616RedirectBehaviour());
  EXPECT_TRUE(c->shouldAttemptPersistentConnection());
  EXPECT_EQ(c->persistentConnectionTimeoutSeconds(), 15);
  EXPECT_EQ(c->authenticationScheme(), "Basic");

  EXPECT_FALSE(c->queue());
  EXPECT_FALSE(c->userAgent());
  EXPECT_FALSE(c->isSynchronous());
  EXPECT_EQ(c->runLoopMode(), NSDefaultRunLoopMode);
  EXPECT_EQ(c->willRedirectSelector().name(), "request:willRedirectToURL:");
  EXPECT_EQ(c->didReceiveResponseHeadersSelector().name(), "request:didReceiveResponseHeaders:");
  EXPECT_FALSE(c->isCanceledRequest());
  EXPECT_FALSE(c->needPromptSelf());
  EXPECT_EQ(c->netServerType(), 0);
  EXPECT_EQ(c->cachePolicy(), 0);
  EXPECT_EQ(c->responseStatusCode(), 0);
  EXPECT_EQ(c->retryCount(), 0);
  EXPECT_FALSE(c->isInRequest());
}

TEST(HXHTTPRequestProperties, ACopyOfARequestThatRanCanBeSentAgain) {
  TestHTTPServer server;
  server.on("/echo", [](const testsupport::TestHTTPRequest& q) {
    return TestHTTPReply::text(q.method + " " + q.body + " " + q.header("X-Id"));
  });
  auto delegate = std::make_shared<RecordingDelegate>();
  auto r = HXHTTPRequest::requestWithURL(url(server.url("/echo")));
  r->setDelegate(delegate);
  r->appendPostData("payload");
  r->addRequestHeader("X-Id", "7");
  r->startAsynchronous();
  ASSERT_TRUE(runMainLoopUntil([&] { return delegate->finished; }));
  auto again = r->copyWithZone();
  auto other = std::make_shared<RecordingDelegate>();
  again->setDelegate(other);
  again->startAsynchronous();
  ASSERT_TRUE(runMainLoopUntil([&] { return other->finished; }));
  EXPECT_EQ(enginetest::bodyOr(r->responseString(), ""), "POST payload 7");
  EXPECT_EQ(enginetest::bodyOr(again->responseString(), ""), "POST payload 7");
  EXPECT_EQ(server.requestCount(), 2u);
}

TEST(HXHTTPRequestProperties, SettingAClosureAndThenNoneReleasesIt) {
  auto r = HXHTTPRequest::requestWithURL(url("http://a.m.r/x"));
  auto held = std::make_shared<int>(0);
  r->setCompletionBlock([held] {});
  r->setBytesReceivedBlock([held](uint64_t, uint64_t) {});
  EXPECT_EQ(held.use_count(), 3);
  r->setCompletionBlock(nullptr);
  r->setBytesReceivedBlock(nullptr);
  EXPECT_EQ(held.use_count(), 1);
}

TEST(HXHTTPRequestProperties, CookieValuesDecodeEscapesAndPlusSignsAndEncodeForURLs) {
  EXPECT_EQ(decodedCookieValue("a+b%20c").value_or("?"), "a b c");
  EXPECT_EQ(decodedCookieValue("%E4%B8%AD").value_or("?"), "中");
  EXPECT_FALSE(decodedCookieValue("%zz"));
  EXPECT_EQ(encodedCookieValue("a b+c").value_or("?"), "a%20b+c");
  EXPECT_EQ(encodedCookieValue("中").value_or("?"), "%E4%B8%AD");
}

TEST(HXHTTPRequestProperties, APictureDownloadIsRewrittenBeforeItsFinishIsReported) {
  TestHTTPServer server;
  server.on("/picture.jpg", TestHTTPReply::text(std::string(5000, 'p'), 200, "image/jpeg"));
  std::vector<std::string> rewritten;
  HXImageDownload::setRecompressor([&](const std::string& path) {
    rewritten.push_back(path);
    writeToFile(path, "small", false);
  });
  std::string destination = stringByAppendingPathComponent(NSDocumentDirectory(), "p.jpg");
  auto delegate = std::make_shared<RecordingDelegate>();
  auto queue = HXNetworkQueue::queue();
  int queueFinished = 0;
  auto owner = std::make_shared<NSObject>();
  queue->setDelegate(owner);
  queue->setQueueDidFinishSelector(freeSelector("done:", [&](const Value&) { ++queueFinished; }));
  auto picture = HXImageDownload::requestWithURL(url(server.url("/picture.jpg")));
  picture->setDelegate(delegate);
  picture->setDownloadDestinationPath(destination);
  bool blockCalled = false;
  picture->setCompletionBlock([&] { blockCalled = true; });
  queue->addOperation(picture);
  queue->go();
  ASSERT_TRUE(runMainLoopUntil([&] { return delegate->finished && queueFinished == 1; }));
  EXPECT_EQ(rewritten, (std::vector<std::string>{destination}));
  EXPECT_EQ(dataWithContentsOfFile(destination).value_or(""), "small");
  runMainLoopFor(0.1);
  EXPECT_FALSE(blockCalled);
  // A copy is a picture download too.
  EXPECT_TRUE(std::dynamic_pointer_cast<HXImageDownload>(picture->copyWithZone()));
  HXImageDownload::setRecompressor(nullptr);
}

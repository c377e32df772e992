// The request object: construction, starting, cancelling, the preparation of each send (main),
// the fields shared between threads, the response body for the caller, and copies.  The other
// steps live in the HXHTTPRequest+*.cpp files, by concern.
#include "net/http/HXHTTPRequest.h"

#include "CFNetwork/CFHTTPAuthentication.h"
#include "CFNetwork/CFHTTPMessage.h"
#include "CFNetwork/CFHTTPReadStream.h"
#include "CFNetwork/CFWriteStream.h"
#include "Foundation/Clock.h"
#include "Foundation/NSException.h"
#include "Foundation/NSOperation.h"
#include "Foundation/NSRunLoop.h"
#include "Foundation/NSThread.h"
#include "Foundation/NSTimer.h"
#include "Foundation/NSURL.h"
#include "net/http/HXCacheDelegate.h"
#include "net/http/HXDataDecompressor.h"
#include "net/http/HXHTTPRequestInternal.h"

using namespace hxrequest;

// ---- construction -----------------------------------------------------------------------------

HXHTTPRequest::HXHTTPRequest(Private, std::shared_ptr<NSURL> url)
    : blocks_(std::make_unique<Blocks>()) {
  requestMethod_ = "GET";
  runLoopMode_ = std::make_shared<const std::string>(NSDefaultRunLoopMode);
  timeOutSeconds_ = defaultTimeOutSeconds();
  didStartSelector_ = Selector("requestStarted:", {}, {});
  didReceiveResponseHeadersSelector_ = Selector("request:didReceiveResponseHeaders:", {}, {});
  willRedirectSelector_ = Selector("request:willRedirectToURL:", {}, {});
  didFinishSelector_ = Selector("requestFinished:", {}, {});
  didFailSelector_ = Selector("requestFailed:", {}, {});
  didReceiveDataSelector_ = Selector("request:didReceiveData:", {}, {});
  setURL(std::move(url));
  downloadCache_ = defaultCache();
}

HXHTTPRequest::~HXHTTPRequest() {
  authenticationNeeded_ = 0;
  requestAuthentication_.reset();
  proxyAuthentication_.reset();
  request_.reset();
  clientCertificateIdentity_.reset();
  cancelLoad();
  redirectURL_.reset();
  if (statusTimer_) statusTimer_->invalidate();
  // Closures are released on the main thread, where they were meant to run.
  if (blocks_ && !NSThread::isMainThread()) {
    auto blocks = std::make_shared<std::unique_ptr<Blocks>>(std::move(blocks_));
    toMainThread([blocks] { blocks->reset(); });
  }
}

std::shared_ptr<HXHTTPRequest> HXHTTPRequest::requestWithURL(std::shared_ptr<NSURL> url) {
  return std::make_shared<HXHTTPRequest>(Private{}, std::move(url));
}

std::shared_ptr<HXHTTPRequest> HXHTTPRequest::requestWithURL(
    std::shared_ptr<NSURL> url, std::shared_ptr<HXCacheDelegate> cache) {
  return requestWithURL(std::move(url), std::move(cache), 0);
}

std::shared_ptr<HXHTTPRequest> HXHTTPRequest::requestWithURL(std::shared_ptr<NSURL> url,
                                                             std::shared_ptr<HXCacheDelegate> cache,
                                                             int cachePolicy) {
  auto r = requestWithURL(std::move(url));
  r->setDownloadCache(cache);
  r->setCachePolicy(cachePolicy);
  return r;
}

std::shared_ptr<HXHTTPRequest> HXHTTPRequest::newRequestOfSameClass(
    std::shared_ptr<NSURL> url) const {
  return requestWithURL(std::move(url));
}

std::shared_ptr<HXHTTPRequest> HXHTTPRequest::selfPtr() {
  return std::static_pointer_cast<HXHTTPRequest>(weak_from_this().lock());
}

double HXHTTPRequest::now() const {
  return NSRunLoop::currentRunLoop()->clock()->now();
}

// ---- starting and stopping --------------------------------------------------------------------

void HXHTTPRequest::startAsynchronous() {
  isStarted_ = true;
  isCanceledRequest_ = false;
  auto self = selfPtr();
  if (!self) return;
  try {
    sharedQueue()->addOperation(self);
  } catch (const NSException&) {
    // A request is used once: starting it again changes nothing.
  }
}

void HXHTTPRequest::start() {
  isStarted_ = true;
  isCanceledRequest_ = false;
  inProgress_ = true;
  setExecuting(true);
  auto self = selfPtr();
  if (!self) return;
  // The network thread's loop runs in the default mode only; the common modes include it.
  performOnThread(
      threadForRequest(self), [self] { self->main(); }, false);
}

void HXHTTPRequest::startSynchronous() {
  isStarted_ = true;
  isCanceledRequest_ = false;
  setRunLoopMode(std::string(HXHTTPRequestRunLoopMode));
  {
    // From here on, steps handed to the request's thread run on this one.
    std::lock_guard<std::mutex> lock(mutex_);
    isSynchronous_ = true;
    synchronousThread_ = NSThread::currentThread();
  }
  inProgress_ = true;
  if (!isCancelled() && !complete_) {
    main();
    auto loop = NSRunLoop::currentRunLoop();
    while (!complete_) loop->runInMode(runLoopMode(), NSRunLoop::kDistantFuture, true);
  }
  inProgress_ = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    synchronousThread_.reset();
  }
  // The private mode will not run again for this request: its timer goes now.
  setStatusTimer(nullptr);
}

void HXHTTPRequest::cancel() {
  performOnRequestThread([](HXHTTPRequest& r) { r.cancelOnRequestThread(); });
}

void HXHTTPRequest::cancelOnRequestThread() {
  auto self = selfPtr();
  isCanceledRequest_ = true;
  if (cancelled_ || complete_) return;
  failWithError(cls().requestCancelledError);
  complete_ = true;
  cancelLoad();
  cancelled_ = true;
}

void HXHTTPRequest::clearDelegatesAndCancel() {
  auto released = std::make_shared<std::unique_ptr<Blocks>>(std::make_unique<Blocks>());
  {
    std::lock_guard<std::mutex> lock(mutex_);
    delegate_.reset();
    queue_.reset();
    uploadProgressDelegate_.reset();
    downloadProgressDelegate_.reset();
    std::swap(*released, blocks_);
  }
  // The closures are released on the main thread, where they were meant to run.
  performOnMainThread([released] { released->reset(); });
  cancel();
}

void HXHTTPRequest::cancelLoad() {
  cancelPACFetch();
  destroyReadStream();
  if (postBodyReadStream_) {
    postBodyReadStream_->close();
    postBodyReadStream_.reset();
  }
  if (downloadDestinationPath_.empty()) {
    if (!complete_) rawResponseData_.reset();
  } else {
    // A completed transfer has moved its file already.
    discardDownloadFiles();
  }
  if (!authenticationNeeded_ && !willRetryRequest_ && didCreateTemporaryPostDataFile_) {
    if (postBodyWriteStream_) postBodyWriteStream_->close();
    postBodyWriteStream_.reset();
    removeTemporaryUploadFile();
    removeTemporaryCompressedUploadFile();
    didCreateTemporaryPostDataFile_ = false;
  }
}

// A transfer torn down before its end leaves nothing behind, unless it may resume later.
void HXHTTPRequest::discardDownloadFiles() {
  if (fileDownloadOutputStream_) fileDownloadOutputStream_->close();
  if (inflatedFileDownloadOutputStream_) inflatedFileDownloadOutputStream_->close();
  fileDownloadOutputStream_.reset();
  inflatedFileDownloadOutputStream_.reset();
  if (!allowResumeForFileDownloads_) removeTemporaryDownloadFile();
  removeTemporaryUncompressedDownloadFile();
}

// ---- preparing each send ----------------------------------------------------------------------

void HXHTTPRequest::main() {
  auto self = selfPtr();
  try {
    // No background task: the platform here cannot run one (isMultitaskingSupported is NO).
    if (error_) {
      complete_ = true;
      markAsFinished();
      return;
    }
    complete_ = false;
    didUseCachedResponse_ = false;
    if (!url_) {
      failWithError(cls().unableToCreateRequestError);
      return;
    }
    if (!mainRequest()) {
      buildPostBody();
      if (error_) return;
      if (requestMethod_ != "GET") downloadCache_.reset();
    }
    request_ =
        CFHTTPMessage::createRequest(requestMethod_, url_->absoluteString(),
                                     useHTTPVersionOne_ ? kCFHTTPVersion1_0 : kCFHTTPVersion1_1);
    if (!request_) {
      failWithError(cls().unableToCreateRequestError);
      return;
    }
    if (auto main = mainRequest()) main->buildRequestHeaders();
    buildRequestHeaders();
    if (error_) return;
    if (reapplyCookieHeader_) {
      reapplyCookieHeader_ = false;
      applyCookieHeader();
    }

    if (auto cache = downloadCache()) {
      if (cachePolicy_ == 0) cachePolicy_ = cache->defaultCachePolicy();
      if (cache->canUseCachedDataForRequest(self)) {
        useDataFromCache();
        return;
      }
      if ((cachePolicy_ & 4) || (cachePolicy_ & 8)) {
        if (auto cached = cache->cachedResponseHeadersForURL(url_)) {
          if (auto etag = headerValue(cached, "Etag")) addRequestHeader("If-None-Match", *etag);
          if (auto modified = headerValue(cached, "Last-Modified"))
            addRequestHeader("If-Modified-Since", *modified);
        }
      }
    }

    applyAuthorizationHeader();
    // A line break in a header would end its line on the wire and start another.
    if (std::string name = headerBreakingTheMessage(); !name.empty()) {
      failWithError(NSError::withDescription(
          kHXHTTPRequestErrorDomain, HXInternalErrorWhileBuildingRequestType,
          stringWithFormat("Unable to create request: the header '%@' holds a line break", name)));
      return;
    }
    if (requestHeaders_) {
      requestHeaders_->enumerate([this](const std::string& k, const Value& v) {
        request_->setHeaderFieldValue(k, v.description());
      });
    }
    if (!configureProxies()) return;
    startRequest();
  } catch (const NSException& e) {
    auto info =
        makeDictionary({{std::string(NSLocalizedDescriptionKey), Value(e.name())},
                        {std::string(NSLocalizedFailureReasonErrorKey), Value(e.reason())}});
    info->setObject(Value(NSError::errorWithDomain(kHXHTTPRequestErrorDomain,
                                                   HXUnhandledExceptionError, e.userInfo())),
                    NSUnderlyingErrorKey);
    failWithError(NSError::errorWithDomain(kHXHTTPRequestErrorDomain, HXUnhandledExceptionError,
                                           Value(info)));
  } catch (const std::exception& e) {
    auto info = makeDictionary({{std::string(NSLocalizedDescriptionKey), Value("std::exception")},
                                {std::string(NSLocalizedFailureReasonErrorKey), Value(e.what())}});
    failWithError(NSError::errorWithDomain(kHXHTTPRequestErrorDomain, HXUnhandledExceptionError,
                                           Value(info)));
  }
}

// ---- fields shared between threads ------------------------------------------------------------

std::shared_ptr<NSURL> HXHTTPRequest::url() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return url_;
}

void HXHTTPRequest::setURL(std::shared_ptr<NSURL> newURL) {
  if (newURL == url_ || (newURL && url_ && newURL->absoluteString() == url_->absoluteString()))
    return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    url_ = std::move(newURL);
  }
  // What belonged to the old URL goes.
  requestAuthentication_.reset();
  proxyAuthentication_.reset();
  request_.reset();
  redirectURL_.reset();
}

std::string HXHTTPRequest::requestMethod() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requestMethod_;
}

void HXHTTPRequest::setRequestMethod(std::string method) {
  if (requestMethod_ == method) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    requestMethod_ = std::move(method);
  }
  bool hasBody = (postBody_ && !postBody_->empty()) || !postBodyFilePath_.empty();
  if (requestMethod_ == "POST" || requestMethod_ == "PUT" || hasBody)
    shouldAttemptPersistentConnection_ = false;
}

NSErrorPtr HXHTTPRequest::error() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return error_;
}

void HXHTTPRequest::setError(NSErrorPtr error) {
  std::lock_guard<std::mutex> lock(mutex_);
  error_ = std::move(error);
}

std::shared_ptr<NSObject> HXHTTPRequest::delegate() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return delegate_.lock();
}

void HXHTTPRequest::setDelegate(std::weak_ptr<NSObject> d) {
  std::lock_guard<std::mutex> lock(mutex_);
  delegate_ = std::move(d);
}

std::shared_ptr<NSObject> HXHTTPRequest::queue() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return queue_;
}

void HXHTTPRequest::setQueue(std::shared_ptr<NSObject> q) {
  std::lock_guard<std::mutex> lock(mutex_);
  queue_ = std::move(q);
}

std::shared_ptr<NSObject> HXHTTPRequest::uploadProgressDelegate() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return uploadProgressDelegate_.lock();
}

void HXHTTPRequest::setUploadProgressDelegate(std::weak_ptr<NSObject> d) {
  std::lock_guard<std::mutex> lock(mutex_);
  uploadProgressDelegate_ = std::move(d);
}

std::shared_ptr<NSObject> HXHTTPRequest::downloadProgressDelegate() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return downloadProgressDelegate_.lock();
}

void HXHTTPRequest::setDownloadProgressDelegate(std::weak_ptr<NSObject> d) {
  std::lock_guard<std::mutex> lock(mutex_);
  downloadProgressDelegate_ = std::move(d);
}

#define HX_CLOSURE_SETTER(Setter, Type, field)  \
  void HXHTTPRequest::Setter(Type b) {          \
    std::lock_guard<std::mutex> lock(mutex_);   \
    if (blocks_) blocks_->field = std::move(b); \
  }

HX_CLOSURE_SETTER(setStartedBlock, BasicBlock, started)
HX_CLOSURE_SETTER(setHeadersReceivedBlock, HeadersBlock, headersReceived)
HX_CLOSURE_SETTER(setCompletionBlock, BasicBlock, completion)
HX_CLOSURE_SETTER(setFailedBlock, BasicBlock, failure)
HX_CLOSURE_SETTER(setBytesReceivedBlock, ProgressBlock, bytesReceived)
HX_CLOSURE_SETTER(setBytesSentBlock, ProgressBlock, bytesSent)
HX_CLOSURE_SETTER(setDownloadSizeIncrementedBlock, SizeBlock, downloadSizeIncremented)
HX_CLOSURE_SETTER(setUploadSizeIncrementedBlock, SizeBlock, uploadSizeIncremented)
HX_CLOSURE_SETTER(setDataReceivedBlock, DataBlock, dataReceived)
HX_CLOSURE_SETTER(setAuthenticationNeededBlock, BasicBlock, authenticationNeeded)
HX_CLOSURE_SETTER(setProxyAuthenticationNeededBlock, BasicBlock, proxyAuthenticationNeeded)
HX_CLOSURE_SETTER(setRequestRedirectedBlock, BasicBlock, requestRedirected)

#undef HX_CLOSURE_SETTER

void HXHTTPRequest::setRunLoopMode(std::string mode) {
  runLoopMode_ = std::make_shared<const std::string>(std::move(mode));
}

// ---- the body for the caller ------------------------------------------------------------------

void HXHTTPRequest::setRawResponseData(std::shared_ptr<std::string> data) {
  rawResponseData_ = std::move(data);
  std::lock_guard<std::mutex> lock(mutex_);
  inflatedResponseData_.reset();
  responseString_.reset();
}

HXHTTPRequest::Body HXHTTPRequest::responseData() {
  Body raw = rawResponseData_;
  if (!raw || !isResponseCompressed() || !shouldWaitToInflateCompressedResponses_) return raw;
  std::lock_guard<std::mutex> lock(mutex_);
  if (!inflatedResponseData_) {
    auto inflated = HXDataDecompressor::uncompressData(*raw, nullptr, maxResponseSize_);
    if (!inflated) return nullptr;
    inflatedResponseData_ = std::make_shared<const std::string>(std::move(*inflated));
  }
  return inflatedResponseData_;
}

HXHTTPRequest::Body HXHTTPRequest::responseString() {
  Body data = responseData();
  if (!data) return nullptr;
  const NSStringEncoding encoding = responseEncoding_;
  std::lock_guard<std::mutex> lock(mutex_);
  if (responseString_ && responseStringEncoding_ == encoding) return responseString_;
  if (encoding == NSUTF8StringEncoding && isValidUTF8(*data)) {
    // Already the text: the body itself is handed out.
    responseString_ = data;
  } else {
    auto text = stringWithData(*data, encoding);
    if (!text) return nullptr;
    responseString_ = std::make_shared<const std::string>(std::move(*text));
  }
  responseStringEncoding_ = encoding;
  return responseString_;
}

// ---- copies -----------------------------------------------------------------------------------

std::shared_ptr<HXHTTPRequest> HXHTTPRequest::HEADRequest() {
  auto head = newRequestOfSameClass(url_);
  head->setRequestMethod("HEAD");
  head->setMainRequest(selfPtr());
  if (requestHeaders_) head->setRequestHeaders(requestHeaders_->mutableCopy());
  head->setRequestCookies(requestCookies_);
  head->setUseCookiePersistence(useCookiePersistence_);
  head->setUseKeychainPersistence(useKeychainPersistence_);
  head->setUseSessionPersistence(useSessionPersistence_);
  head->setAllowCompressedResponse(allowCompressedResponse_);
  head->setUsername(username_);
  head->setPassword(password_);
  head->setDomain(domain_);
  head->setProxyUsername(proxyUsername_);
  head->setProxyPassword(proxyPassword_);
  head->setProxyDomain(proxyDomain_);
  head->setProxyHost(proxyHost_);
  head->setProxyPort(proxyPort_);
  head->setProxyType(proxyType_);
  head->setShouldPresentAuthenticationDialog(shouldPresentAuthenticationDialog_);
  head->setShouldPresentProxyAuthenticationDialog(shouldPresentProxyAuthenticationDialog_);
  head->setTimeOutSeconds(timeOutSeconds_);
  head->setUseHTTPVersionOne(useHTTPVersionOne_);
  head->setValidatesSecureCertificate(validatesSecureCertificate_);
  head->setClientCertificateIdentity(clientCertificateIdentity_);
  head->setClientCertificates(clientCertificates_);
  head->setPACurl(PACurl_);
  head->setShouldPresentCredentialsBeforeChallenge(shouldPresentCredentialsBeforeChallenge_);
  head->setNumberOfTimesToRetryOnTimeout(numberOfTimesToRetryOnTimeout_);
  head->setShouldUseRFC2616RedirectBehaviour(shouldUseRFC2616RedirectBehaviour_);
  head->setShouldAttemptPersistentConnection(shouldAttemptPersistentConnection_);
  head->setPersistentConnectionTimeoutSeconds(persistentConnectionTimeoutSeconds_);
  return head;
}

std::shared_ptr<HXHTTPRequest> HXHTTPRequest::copyWithZone() const {
  auto copy = newRequestOfSameClass(url());
  {
    std::lock_guard<std::mutex> lock(mutex_);
    copy->setDelegate(delegate_);
    copy->setUploadProgressDelegate(uploadProgressDelegate_);
    copy->setDownloadProgressDelegate(downloadProgressDelegate_);
  }
  copy->setRequestMethod(requestMethod());
  copy->setPostBody(postBody_);
  copy->setShouldStreamPostDataFromDisk(shouldStreamPostDataFromDisk_);
  copy->setPostBodyFilePath(postBodyFilePath_);
  if (requestHeaders_) copy->setRequestHeaders(requestHeaders_->mutableCopy());
  copy->setRequestCookies(requestCookies_);
  copy->setUseCookiePersistence(useCookiePersistence_);
  copy->setUseKeychainPersistence(useKeychainPersistence_);
  copy->setUseSessionPersistence(useSessionPersistence_);
  copy->setAllowCompressedResponse(allowCompressedResponse_);
  copy->setDownloadDestinationPath(downloadDestinationPath_);
  copy->setDownloadCheck(downloadCheck_);
  copy->setTemporaryFileDownloadPath(temporaryFileDownloadPath_);
  copy->setUsername(username_);
  copy->setPassword(password_);
  copy->setDomain(domain_);
  copy->setProxyUsername(proxyUsername_);
  copy->setProxyPassword(proxyPassword_);
  copy->setProxyDomain(proxyDomain_);
  copy->setProxyHost(proxyHost_);
  copy->setProxyPort(proxyPort_);
  copy->setProxyType(proxyType_);
  copy->setShouldPresentAuthenticationDialog(shouldPresentAuthenticationDialog_);
  copy->setShouldPresentProxyAuthenticationDialog(shouldPresentProxyAuthenticationDialog_);
  copy->setPostLength(postLength_);
  copy->setHaveBuiltPostBody(haveBuiltPostBody_);
  copy->setDidStartSelector(didStartSelector_);
  copy->setDidFinishSelector(didFinishSelector_);
  copy->setDidFailSelector(didFailSelector_);
  copy->setTimeOutSeconds(timeOutSeconds_);
  copy->setShouldResetDownloadProgress(shouldResetDownloadProgress_);
  copy->setShouldResetUploadProgress(shouldResetUploadProgress_);
  copy->setShowAccurateProgress(showAccurateProgress_);
  copy->setDefaultResponseEncoding(defaultResponseEncoding_);
  copy->setAllowResumeForFileDownloads(allowResumeForFileDownloads_);
  copy->setMaxResponseSize(maxResponseSize_);
  Value info = userInfo_;
  if (info.isDictionary())
    info = Value(info.dictionary()->copy());
  else if (info.isArray())
    info = Value(info.array()->copy());
  copy->setUserInfo(info);
  copy->setTag(tag_);
  copy->setUseHTTPVersionOne(useHTTPVersionOne_);
  copy->setShouldRedirect(shouldRedirect_);
  copy->setValidatesSecureCertificate(validatesSecureCertificate_);
  copy->setClientCertificateIdentity(clientCertificateIdentity_);
  if (clientCertificates_) copy->setClientCertificates(clientCertificates_->copy());
  copy->setPACurl(PACurl_);
  copy->setShouldPresentCredentialsBeforeChallenge(shouldPresentCredentialsBeforeChallenge_);
  copy->setNumberOfTimesToRetryOnTimeout(numberOfTimesToRetryOnTimeout_);
  copy->setShouldUseRFC2616RedirectBehaviour(shouldUseRFC2616RedirectBehaviour_);
  copy->setShouldAttemptPersistentConnection(shouldAttemptPersistentConnection_);
  copy->setPersistentConnectionTimeoutSeconds(persistentConnectionTimeoutSeconds_);
  copy->setAuthenticationScheme(authenticationScheme_);
  return copy;
}

#include "net/http/HXNetworkQueue.h"

#include "Foundation/NSException.h"
#include "Foundation/NSThread.h"
#include "Foundation/NSURL.h"
#include "net/http/HXHTTPRequest.h"

namespace {

constexpr std::string_view kInvalidRequestReason =
    "Attempted to add an object that was not an HXHTTPRequest to an HXNetworkQueue";

// Above the platform's highest named priority, so that a HEAD request runs first.
constexpr int kHEADRequestPriority = 10;

bool isSet(const Selector& s) {
  return s.isSet() || !s.name().empty();
}

// The delegate's protocol method named by a selector.
void callProtocol(HXHTTPRequestDelegate& d, std::string_view name,
                  const std::shared_ptr<HXHTTPRequest>& request, const Value& second) {
  if (name == "requestStarted:")
    d.requestStarted(request);
  else if (name == "request:didReceiveResponseHeaders:")
    d.requestDidReceiveResponseHeaders(request, second.dictionary());
  else if (name == "request:willRedirectToURL:")
    d.requestWillRedirectToURL(request, second.object<NSURL>());
  else if (name == "requestFinished:")
    d.requestFinished(request);
  else if (name == "requestFailed:")
    d.requestFailed(request);
  else if (name == "authenticationNeededForRequest:")
    d.authenticationNeededForRequest(request);
  else if (name == "proxyAuthenticationNeededForRequest:")
    d.proxyAuthenticationNeededForRequest(request);
}

}  // namespace

HXNetworkQueue::HXNetworkQueue() {
  setMaxConcurrentOperationCount(4);
  setSuspended(true);
}

std::shared_ptr<HXNetworkQueue> HXNetworkQueue::queue() {
  return std::make_shared<HXNetworkQueue>();
}

void HXNetworkQueue::go() {
  setSuspended(false);
}

void HXNetworkQueue::reset() {
  cancelAllOperations();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    delegate_.reset();
    uploadProgressDelegate_.reset();
    downloadProgressDelegate_.reset();
    requestDidStartSelector_ = Selector();
    requestDidReceiveResponseHeadersSelector_ = Selector();
    requestDidFailSelector_ = Selector();
    requestDidFinishSelector_ = Selector();
    queueDidFinishSelector_ = Selector();
  }
  setSuspended(true);
}

void HXNetworkQueue::cancelAllOperations() {
  bytesUploadedSoFar_ = 0;
  totalBytesToUpload_ = 0;
  bytesDownloadedSoFar_ = 0;
  totalBytesToDownload_ = 0;
  NSOperationQueue::cancelAllOperations();
}

void HXNetworkQueue::addOperation(const std::shared_ptr<NSOperation>& operation) {
  auto request = std::dynamic_pointer_cast<HXHTTPRequest>(operation);
  if (!request)
    NSException::raise(kHXAttemptToAddInvalidRequest, std::string(kInvalidRequestReason));
  ++requestsCount_;

  uint64_t uploadAmount;
  if (showAccurateProgress_) {
    // The body is built now so that its length is known.
    request->buildPostBody();
    if (request->requestMethod() == "GET" && isSuspended()) {
      // The HEAD request learns the download's size before the download itself runs.
      auto head = request->HEADRequest();
      addHEADOperation(head);
      request->addDependency(head);
      if (request->shouldResetDownloadProgress()) {
        resetProgressDelegate(Receiver::Download);
        request->setShouldResetDownloadProgress(false);
      }
    }
    request->buildPostBody();
    uploadAmount = request->postLength();
  } else {
    requestIncrementDownloadSizeBy(nullptr, 1);
    uploadAmount = 1;
  }
  requestIncrementUploadSizeBy(nullptr, int64_t(uploadAmount));

  if (request->shouldResetUploadProgress()) {
    resetProgressDelegate(Receiver::Upload);
    request->setShouldResetUploadProgress(false);
  }
  auto previousQueue = request->queue();
  request->setShowAccurateProgress(showAccurateProgress_);
  request->setQueue(self<NSObject>());
  try {
    NSOperationQueue::addOperation(request);
  } catch (const NSException&) {
    // A request that is already queued, running or done stays where it was and out of the
    // counts.
    request->setQueue(previousQueue);
    --requestsCount_;
    totalBytesToUpload_ -= uploadAmount;
    if (!showAccurateProgress_) totalBytesToDownload_ -= 1;
    throw;
  }
}

void HXNetworkQueue::addOperations(const std::vector<std::shared_ptr<NSOperation>>& operations,
                                   bool waitUntilFinished) {
  for (const auto& op : operations) addOperation(op);
  if (waitUntilFinished)
    for (const auto& op : operations) op->waitUntilFinished();
}

void HXNetworkQueue::addHEADOperation(const std::shared_ptr<NSOperation>& operation) {
  auto request = std::dynamic_pointer_cast<HXHTTPRequest>(operation);
  if (!request) return;
  request->setRequestMethod("HEAD");
  request->setQueuePriority(kHEADRequestPriority);
  request->setShowAccurateProgress(true);
  request->setQueue(self<NSObject>());
  NSOperationQueue::addOperation(request);
}

std::shared_ptr<HXNetworkQueue> HXNetworkQueue::copyWithZone() const {
  auto copy = queue();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    std::lock_guard<std::mutex> copyLock(copy->mutex_);
    copy->delegate_ = delegate_;
    copy->requestDidStartSelector_ = requestDidStartSelector_;
    copy->requestDidReceiveResponseHeadersSelector_ = requestDidReceiveResponseHeadersSelector_;
    copy->requestWillRedirectSelector_ = requestWillRedirectSelector_;
    copy->requestDidFinishSelector_ = requestDidFinishSelector_;
    copy->requestDidFailSelector_ = requestDidFailSelector_;
    copy->queueDidFinishSelector_ = queueDidFinishSelector_;
    copy->uploadProgressDelegate_ = uploadProgressDelegate_;
    copy->downloadProgressDelegate_ = downloadProgressDelegate_;
    Value info = userInfo_;
    if (info.isDictionary())
      info = Value(info.dictionary()->copy());
    else if (info.isArray())
      info = Value(info.array()->copy());
    copy->userInfo_ = info;
  }
  copy->shouldCancelAllRequestsOnFailure_ = bool(shouldCancelAllRequestsOnFailure_);
  copy->showAccurateProgress_ = bool(showAccurateProgress_);
  return copy;
}

// ---- the delegate ------------------------------------------------------------------------------

bool HXNetworkQueue::delegateAnswers(std::string_view selectorName) const {
  auto* protocol = dynamic_cast<HXHTTPRequestDelegate*>(delegate().get());
  return protocol && protocol->respondsToSelector(selectorName);
}

bool HXNetworkQueue::delegateAnswers(const Selector& selector) const {
  if (!delegate()) return false;
  if (selector.isSet()) return selector.targetAlive();
  return !selector.name().empty() && delegateAnswers(selector.name());
}

void HXNetworkQueue::sendToDelegate(const Selector& selector,
                                    const std::shared_ptr<HXHTTPRequest>& request,
                                    const Value& second) {
  auto d = delegate();
  if (!d || !isSet(selector)) return;
  if (selector.isSet()) {
    selector(second.isNil() ? Value(request) : Value::arrayOf({Value(request), second}));
    return;
  }
  if (auto* protocol = dynamic_cast<HXHTTPRequestDelegate*>(d.get()))
    callProtocol(*protocol, selector.name(), request, second);
}

bool HXNetworkQueue::respondsToSelector(std::string_view name) const {
  if (name == "authenticationNeededForRequest:" || name == "proxyAuthenticationNeededForRequest:")
    return delegateAnswers(name);
  if (name == "request:willRedirectToURL:") {
    Selector s = requestWillRedirectSelector();
    return isSet(s) && delegateAnswers(s);
  }
  // What the queue itself implements.
  return name == "requestStarted:" || name == "request:didReceiveResponseHeaders:" ||
         name == "requestFinished:" || name == "requestFailed:" ||
         name == "request:didReceiveBytes:" || name == "request:didSendBytes:" ||
         name == "request:incrementDownloadSizeBy:" || name == "request:incrementUploadSizeBy:";
}

void HXNetworkQueue::requestStarted(const std::shared_ptr<HXHTTPRequest>& request) {
  sendToDelegate(requestDidStartSelector(), request);
}

void HXNetworkQueue::requestDidReceiveResponseHeaders(const std::shared_ptr<HXHTTPRequest>& request,
                                                      const ValueDictionary& responseHeaders) {
  sendToDelegate(requestDidReceiveResponseHeadersSelector(), request, Value(responseHeaders));
}

void HXNetworkQueue::requestWillRedirectToURL(const std::shared_ptr<HXHTTPRequest>& request,
                                              const std::shared_ptr<NSURL>& newURL) {
  sendToDelegate(requestWillRedirectSelector(), request, Value(newURL));
}

void HXNetworkQueue::requestFinished(const std::shared_ptr<HXHTTPRequest>& request) {
  int left = --requestsCount_;
  sendToDelegate(requestDidFinishSelector(), request);
  if (left == 0) sendQueueDidFinish();
}

void HXNetworkQueue::requestFailed(const std::shared_ptr<HXHTTPRequest>& request) {
  int left = --requestsCount_;
  sendToDelegate(requestDidFailSelector(), request);
  if (left == 0) sendQueueDidFinish();
  // The cancelled requests fail in turn and come back here, so the queue's finish is sent once,
  // after the last of them.
  if (shouldCancelAllRequestsOnFailure_ && requestsCount_ > 0) cancelAllOperations();
}

void HXNetworkQueue::sendQueueDidFinish() {
  Selector selector = queueDidFinishSelector();
  auto d = delegate();
  if (!d || !isSet(selector)) return;
  // Nothing in the request protocol takes a queue: only a bound selector can receive it.
  selector(Value(self<HXNetworkQueue>()));
}

void HXNetworkQueue::authenticationNeededForRequest(const std::shared_ptr<HXHTTPRequest>& request) {
  if (!delegateAnswers("authenticationNeededForRequest:")) return;
  if (auto* d = dynamic_cast<HXHTTPRequestDelegate*>(delegate().get()))
    d->authenticationNeededForRequest(request);
}

void HXNetworkQueue::proxyAuthenticationNeededForRequest(
    const std::shared_ptr<HXHTTPRequest>& request) {
  if (!delegateAnswers("proxyAuthenticationNeededForRequest:")) return;
  if (auto* d = dynamic_cast<HXHTTPRequestDelegate*>(delegate().get()))
    d->proxyAuthenticationNeededForRequest(request);
}

// ---- progress ----------------------------------------------------------------------------------

std::shared_ptr<NSObject> HXNetworkQueue::progressReceiver(Receiver which) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return (which == Receiver::Upload ? uploadProgressDelegate_ : downloadProgressDelegate_).lock();
}

void HXNetworkQueue::updateProgress(Receiver which, uint64_t progress, uint64_t total) {
  // The receiver is looked up again on the main thread: one cleared meanwhile hears nothing.
  std::weak_ptr<HXNetworkQueue> weak = weakSelf<HXNetworkQueue>();
  HXHTTPRequest::updateProgressIndicator(
      [weak, which]() -> std::shared_ptr<NSObject> {
        auto q = weak.lock();
        return q ? q->progressReceiver(which) : nullptr;
      },
      progress, total);
}

void HXNetworkQueue::resetProgressDelegate(Receiver which) {
  updateProgress(which, 0, 1);
}

void HXNetworkQueue::requestIncrementDownloadSizeBy(const std::shared_ptr<HXHTTPRequest>&,
                                                    int64_t newLength) {
  totalBytesToDownload_ += uint64_t(newLength);
}

void HXNetworkQueue::requestIncrementUploadSizeBy(const std::shared_ptr<HXHTTPRequest>&,
                                                  int64_t newLength) {
  totalBytesToUpload_ += uint64_t(newLength);
}

void HXNetworkQueue::requestDidReceiveBytes(const std::shared_ptr<HXHTTPRequest>&, int64_t bytes) {
  uint64_t soFar = bytesDownloadedSoFar_ += uint64_t(bytes);
  if (progressReceiver(Receiver::Download))
    updateProgress(Receiver::Download, soFar, totalBytesToDownload_);
}

void HXNetworkQueue::requestDidSendBytes(const std::shared_ptr<HXHTTPRequest>&, int64_t bytes) {
  uint64_t soFar = bytesUploadedSoFar_ += uint64_t(bytes);
  if (progressReceiver(Receiver::Upload))
    updateProgress(Receiver::Upload, soFar, totalBytesToUpload_);
}

// ---- properties --------------------------------------------------------------------------------

std::shared_ptr<NSObject> HXNetworkQueue::delegate() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return delegate_.lock();
}

void HXNetworkQueue::setDelegate(std::weak_ptr<NSObject> delegate) {
  std::lock_guard<std::mutex> lock(mutex_);
  delegate_ = std::move(delegate);
}

#define HX_QUEUE_SELECTOR(getter, Setter, member) \
  Selector HXNetworkQueue::getter() const {       \
    std::lock_guard<std::mutex> lock(mutex_);     \
    return member;                                \
  }                                               \
  void HXNetworkQueue::Setter(Selector s) {       \
    std::lock_guard<std::mutex> lock(mutex_);     \
    member = std::move(s);                        \
  }

HX_QUEUE_SELECTOR(requestDidStartSelector, setRequestDidStartSelector, requestDidStartSelector_)
HX_QUEUE_SELECTOR(requestDidReceiveResponseHeadersSelector,
                  setRequestDidReceiveResponseHeadersSelector,
                  requestDidReceiveResponseHeadersSelector_)
HX_QUEUE_SELECTOR(requestWillRedirectSelector, setRequestWillRedirectSelector,
                  requestWillRedirectSelector_)
HX_QUEUE_SELECTOR(requestDidFinishSelector, setRequestDidFinishSelector, requestDidFinishSelector_)
HX_QUEUE_SELECTOR(requestDidFailSelector, setRequestDidFailSelector, requestDidFailSelector_)
HX_QUEUE_SELECTOR(queueDidFinishSelector, setQueueDidFinishSelector, queueDidFinishSelector_)

#undef HX_QUEUE_SELECTOR

std::shared_ptr<NSObject> HXNetworkQueue::uploadProgressDelegate() const {
  return progressReceiver(Receiver::Upload);
}

void HXNetworkQueue::setUploadProgressDelegate(std::weak_ptr<NSObject> delegate) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    uploadProgressDelegate_ = std::move(delegate);
  }
  resetProgressDelegate(Receiver::Upload);
}

std::shared_ptr<NSObject> HXNetworkQueue::downloadProgressDelegate() const {
  return progressReceiver(Receiver::Download);
}

void HXNetworkQueue::setDownloadProgressDelegate(std::weak_ptr<NSObject> delegate) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    downloadProgressDelegate_ = std::move(delegate);
  }
  resetProgressDelegate(Receiver::Download);
}

Value HXNetworkQueue::userInfo() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return userInfo_;
}

void HXNetworkQueue::setUserInfo(Value v) {
  std::lock_guard<std::mutex> lock(mutex_);
  userInfo_ = std::move(v);
}

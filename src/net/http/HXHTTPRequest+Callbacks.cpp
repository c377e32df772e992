// What a request tells its delegate, queue, closures and progress receivers, on the main thread,
// and the usage-log report of a failure.
#include "Foundation/NSString.h"
#include "Foundation/NSURL.h"
#include "core/NSMsgSend.h"
#include "core/NSObject+notification.h"
#include "net/http/HXHTTPRequest.h"
#include "net/http/HXHTTPRequestDelegate.h"
#include "net/http/HXHTTPRequestInternal.h"
#include "net/http/HXProgressDelegate.h"

using namespace hxrequest;

namespace {

constexpr std::string_view kLogActionNotification = "log_action";

// The URL of a failure report, without what may carry secrets: user information, query and
// fragment.
std::string reportableURL(const std::shared_ptr<NSURL>& url) {
  if (!url) return "(null)";
  std::string s = url->absoluteString();
  size_t cut = s.find_first_of("?#");
  if (cut != std::string::npos) s.erase(cut);
  size_t scheme = s.find("://");
  if (scheme != std::string::npos) {
    size_t authority = scheme + 3;
    size_t end = s.find('/', authority);
    size_t at = s.rfind('@', end == std::string::npos ? s.size() : end);
    if (at != std::string::npos && at >= authority) s.erase(authority, at + 1 - authority);
  }
  return s;
}

}  // namespace

// ---- the delegate -----------------------------------------------------------------------------

bool HXHTTPRequest::delegateResponds(const Selector& selector) const {
  auto d = delegate();
  if (!d || selector.name().empty()) return false;
  if (selector.isSet()) return selector.targetAlive();
  auto* protocol = dynamic_cast<HXHTTPRequestDelegate*>(d.get());
  return protocol && protocol->respondsToSelector(selector.name());
}

void HXHTTPRequest::sendToDelegate(
    const Selector& selector, const Value& secondArgument,
    const std::function<void(HXHTTPRequestDelegate&)>& protocolCall) {
  if (!delegateResponds(selector)) return;
  auto self = selfPtr();
  if (selector.isSet()) {
    if (secondArgument.isNil())
      selector(Value(self));
    else
      selector(Value::arrayOf({Value(self), secondArgument}));
    return;
  }
  auto d = delegate();
  if (auto* protocol = dynamic_cast<HXHTTPRequestDelegate*>(d.get())) protocolCall(*protocol);
}

// ---- steps on the main thread -----------------------------------------------------------------

void HXHTTPRequest::requestStarted() {
  if (error() || mainRequest()) return;
  auto self = selfPtr();
  sendToDelegate(didStartSelector_, {}, [&](HXHTTPRequestDelegate& d) {
    callProtocol(d, didStartSelector_.name(), self, {});
  });
  if (auto b = block(&Blocks::started)) b();
  sendToQueue(queue(), "requestStarted:", self);
}

void HXHTTPRequest::requestRedirected() {
  if (error() || mainRequest()) return;
  auto self = selfPtr();
  Selector fixed("requestRedirected:", {}, {});
  sendToDelegate(fixed, {}, [&](HXHTTPRequestDelegate& d) { d.requestRedirected(self); });
  if (auto b = block(&Blocks::requestRedirected)) b();
}

void HXHTTPRequest::requestReceivedResponseHeaders(const ValueDictionary& headers) {
  if (error() || mainRequest()) return;
  auto self = selfPtr();
  Value arg(headers);
  sendToDelegate(didReceiveResponseHeadersSelector_, arg, [&](HXHTTPRequestDelegate& d) {
    callProtocol(d, didReceiveResponseHeadersSelector_.name(), self, arg);
  });
  if (auto b = block(&Blocks::headersReceived)) b(headers);
  sendToQueue(queue(), "request:didReceiveResponseHeaders:", self, arg);
}

void HXHTTPRequest::requestWillRedirectToURL(const std::shared_ptr<NSURL>& newURL) {
  if (error() || mainRequest()) return;
  auto self = selfPtr();
  Value arg(newURL);
  sendToDelegate(willRedirectSelector_, arg, [&](HXHTTPRequestDelegate& d) {
    callProtocol(d, willRedirectSelector_.name(), self, arg);
  });
  sendToQueue(queue(), "request:willRedirectToURL:", self, arg);
}

void HXHTTPRequest::passOnReceivedData(const std::string& data) {
  auto self = selfPtr();
  Value arg = Value::data(data);
  sendToDelegate(didReceiveDataSelector_, arg, [&](HXHTTPRequestDelegate& d) {
    callProtocol(d, didReceiveDataSelector_.name(), self, arg);
  });
  if (auto b = block(&Blocks::dataReceived)) b(data);
}

void HXHTTPRequest::reportFinished() {
  auto self = selfPtr();
  sendToDelegate(didFinishSelector_, {}, [&](HXHTTPRequestDelegate& d) {
    callProtocol(d, didFinishSelector_.name(), self, {});
  });
  if (auto b = block(&Blocks::completion)) b();
  sendToQueue(queue(), "requestFinished:", self);
}

void HXHTTPRequest::reportFailure() {
  auto self = selfPtr();
  sendToDelegate(didFailSelector_, {}, [&](HXHTTPRequestDelegate& d) {
    callProtocol(d, didFailSelector_.name(), self, {});
  });
  if (auto b = block(&Blocks::failure)) b();
  if (!isCancelled() && !isCanceledRequest_) {
    NSErrorPtr e = error();
    std::string reason = e ? e->localizedFailureReason() : std::string();
    recordURLFail(stringWithFormat("url:%@ Reason:%@ des:%@", reportableURL(url()),
                                   reason.empty() ? Value() : Value(reason),
                                   e ? Value(e->localizedDescription()) : Value()));
  }
  sendToQueue(queue(), "requestFailed:", self);
}

void HXHTTPRequest::recordURLFail(const std::string& text) {
  auto message = std::make_shared<NSMsgSend>();
  message->type = kHXRequestFailureLogEvent;
  message->data = Value::arrayOf({Value(kHXRequestFailureLogEvent), Value(text)});
  postNotificationObject(kLogActionNotification, message);
}

// ---- progress ---------------------------------------------------------------------------------

std::shared_ptr<NSObject> HXHTTPRequest::progressTarget(ProgressTarget target) const {
  std::lock_guard<std::mutex> lock(mutex_);
  switch (target) {
    case ProgressTarget::Queue:
      return queue_;
    case ProgressTarget::UploadDelegate:
      return uploadProgressDelegate_.lock();
    case ProgressTarget::DownloadDelegate:
      return downloadProgressDelegate_.lock();
  }
  return nullptr;
}

// The call is only wrapped for the main thread once there is somebody to call.
template <class F>
void HXHTTPRequest::performProgress(const std::shared_ptr<HXHTTPRequest>& request,
                                    ProgressTarget target, F&& call) {
  if (!request) return;
  auto t = request->progressTarget(target);
  if (!dynamic_cast<HXProgressDelegate*>(t.get())) return;
  request->performOnMainThread([request, target, call = std::forward<F>(call)] {
    // A receiver cleared in the meantime hears nothing.
    auto current = request->progressTarget(target);
    if (auto* p = dynamic_cast<HXProgressDelegate*>(current.get())) call(*p);
  });
}

void HXHTTPRequest::updateProgressIndicator(const std::shared_ptr<HXHTTPRequest>& request,
                                            ProgressTarget target, uint64_t progress,
                                            uint64_t total) {
  std::lock_guard<std::mutex> lock(cls().progressLock);
  float value = total == 0 ? 0.0f : float(double(progress) / double(total));
  performProgress(request, target, [value](HXProgressDelegate& p) { p.setProgress(value); });
}

void HXHTTPRequest::updateProgressIndicator(std::function<std::shared_ptr<NSObject>()> indicator,
                                            uint64_t progress, uint64_t total) {
  if (!indicator || !dynamic_cast<HXProgressDelegate*>(indicator().get())) return;
  std::lock_guard<std::mutex> lock(cls().progressLock);
  float value = total == 0 ? 0.0f : float(double(progress) / double(total));
  toMainThread([indicator = std::move(indicator), value] {
    if (auto* p = dynamic_cast<HXProgressDelegate*>(indicator().get())) p->setProgress(value);
  });
}

void HXHTTPRequest::updateProgressIndicators() {
  if (mainRequest()) return;
  if (!showAccurateProgress_ && !(complete_ && !updatedProgress_)) return;
  updateUploadProgress();
  updateDownloadProgress();
}

void HXHTTPRequest::updateDownloadProgress() {
  auto self = selfPtr();
  if (!self || !responseHeaders_ || needsRedirect_ || (contentLength_ == 0 && !complete_)) return;
  uint64_t soFar = totalBytesRead_ + partialDownloadSize_;
  int64_t value;
  if (showAccurateProgress_ && contentLength_ > 0) {
    value = int64_t(soFar) - int64_t(lastBytesRead_);
    if (value == 0) return;
  } else {
    value = 1;
    updatedProgress_ = true;
  }
  performProgress(self, ProgressTarget::Queue,
                  [self, value](HXProgressDelegate& p) { p.requestDidReceiveBytes(self, value); });
  performProgress(self, ProgressTarget::DownloadDelegate,
                  [self, value](HXProgressDelegate& p) { p.requestDidReceiveBytes(self, value); });
  updateProgressIndicator(self, ProgressTarget::DownloadDelegate, soFar,
                          contentLength_ + partialDownloadSize_);
  if (auto b = block(&Blocks::bytesReceived)) {
    uint64_t total = contentLength_ + partialDownloadSize_;
    performOnMainThread([b, value, total] { b(uint64_t(value), total); });
  }
  lastBytesRead_ = soFar;
}

void HXHTTPRequest::updateUploadProgress() {
  auto self = selfPtr();
  if (!self || isCancelled() || totalBytesSent_ == 0) return;
  if (uploadBufferSize_ == 0 && totalBytesSent_ != postLength_) {
    uploadBufferSize_ = totalBytesSent_;
    incrementUploadSizeBy(-int64_t(uploadBufferSize_));
  }
  int64_t value;
  if (showAccurateProgress_) {
    if (totalBytesSent_ != postLength_ && lastBytesSent_ == 0) return;
    value = int64_t(totalBytesSent_) - int64_t(lastBytesSent_);
  } else {
    value = 1;
    updatedProgress_ = true;
  }
  if (value == 0) return;
  performProgress(self, ProgressTarget::Queue,
                  [self, value](HXProgressDelegate& p) { p.requestDidSendBytes(self, value); });
  performProgress(self, ProgressTarget::UploadDelegate,
                  [self, value](HXProgressDelegate& p) { p.requestDidSendBytes(self, value); });
  updateProgressIndicator(self, ProgressTarget::UploadDelegate, totalBytesSent_ - uploadBufferSize_,
                          postLength_ - uploadBufferSize_);
  if (auto b = block(&Blocks::bytesSent)) {
    uint64_t total = postLength_;
    performOnMainThread([b, value, total] { b(uint64_t(value), total); });
  }
}

void HXHTTPRequest::incrementUploadSizeBy(int64_t length) {
  auto self = selfPtr();
  if (!self) return;
  performProgress(self, ProgressTarget::Queue, [self, length](HXProgressDelegate& p) {
    p.requestIncrementUploadSizeBy(self, length);
  });
  performProgress(self, ProgressTarget::UploadDelegate, [self, length](HXProgressDelegate& p) {
    p.requestIncrementUploadSizeBy(self, length);
  });
  if (auto b = block(&Blocks::uploadSizeIncremented))
    performOnMainThread([b, length] { b(length); });
}

void HXHTTPRequest::incrementDownloadSizeBy(int64_t length) {
  auto self = selfPtr();
  if (!self) return;
  performProgress(self, ProgressTarget::Queue, [self, length](HXProgressDelegate& p) {
    p.requestIncrementDownloadSizeBy(self, length);
  });
  performProgress(self, ProgressTarget::DownloadDelegate, [self, length](HXProgressDelegate& p) {
    p.requestIncrementDownloadSizeBy(self, length);
  });
  if (auto b = block(&Blocks::downloadSizeIncremented))
    performOnMainThread([b, length] { b(length); });
}

void HXHTTPRequest::removeUploadProgressSoFar() {
  auto self = selfPtr();
  if (!self) return;
  int64_t value = -int64_t(totalBytesSent_);
  performProgress(self, ProgressTarget::Queue,
                  [self, value](HXProgressDelegate& p) { p.requestDidSendBytes(self, value); });
  performProgress(self, ProgressTarget::UploadDelegate,
                  [self, value](HXProgressDelegate& p) { p.requestDidSendBytes(self, value); });
  updateProgressIndicator(self, ProgressTarget::UploadDelegate, 0, postLength_);
  if (auto b = block(&Blocks::bytesSent)) {
    uint64_t total = postLength_;
    performOnMainThread([b, value, total] { b(uint64_t(value), total); });
  }
}

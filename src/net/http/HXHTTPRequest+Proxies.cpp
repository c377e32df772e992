// Choosing the proxy before the connection opens: the owner's, the one the system settings
// name for the URL, or the one a proxy auto-configuration (PAC) script chooses.  A script is
// read from a local file or downloaded by a request of its own; any trouble with it sends the
// request direct.
#include "CFNetwork/CFProxySupport.h"
#include "CFNetwork/CFReadStream.h"
#include "Foundation/NSRunLoop.h"
#include "Foundation/NSString.h"
#include "Foundation/NSTimer.h"
#include "Foundation/NSURL.h"
#include "net/http/HXHTTPRequest.h"
#include "net/http/HXHTTPRequestInternal.h"

using namespace hxrequest;

namespace {

constexpr size_t kPACReadLength = 16384;

// The proxy of a list entry; false for an entry of type None or without a host.
bool takeProxy(const Value& entry, std::string* host, int* port, std::string* type) {
  const Value& h = entry[kCFProxyHostNameKey];
  if (!h.isString() || h.string().empty()) return false;
  *host = h.string();
  *port = entry[kCFProxyPortNumberKey].intValue();
  *type = entry[kCFProxyTypeKey].isString() ? std::string(entry[kCFProxyTypeKey].string())
                                            : std::string();
  return true;
}

}  // namespace

bool HXHTTPRequest::configureProxies() {
  if (isPACFileRequest_ || !proxyHost_.empty() || proxyPort_ != 0) return true;
  if (!PACurl_) {
    ValueArray proxies =
        CFNetworkCopyProxiesForURL(url_->absoluteString(), CFNetworkCopySystemProxySettings());
    if (!proxies) {
      readStream_.reset();
      failWithError(NSError::withDescription(
          kHXHTTPRequestErrorDomain, HXInternalErrorWhileBuildingRequestType,
          "Unable to obtain information on proxy servers needed for request"));
      return false;
    }
    if (proxies->count() == 0) return true;
    const Value& first = proxies->objectAtIndex(0);
    const Value& pac = first[kCFProxyAutoConfigurationURLKey];
    if (!pac.isString()) {
      takeProxy(first, &proxyHost_, &proxyPort_, &proxyType_);
      return true;
    }
    PACurl_ = NSURL::URLWithString(pac.string());
    // A PAC address that is no URL: nothing to fetch, the request goes direct.
    if (!PACurl_) return true;
  }
  fetchPACFile();
  return false;
}

void HXHTTPRequest::fetchPACFile() {
  if (PACurl_->isFileURL()) {
    PACFileReadStream_ = CFReadStream::createWithFile(PACurl_->path());
    std::weak_ptr<HXHTTPRequest> weak = selfPtr();
    PACFileReadStream_->setClient(kCFStreamEventHasBytesAvailable | kCFStreamEventErrorOccurred |
                                      kCFStreamEventEndEncountered,
                                  [weak](CFReadStream&, CFStreamEventType event) {
                                    if (auto self = weak.lock())
                                      self->handlePACFileStreamEvent(event);
                                  });
    PACFileReadStream_->scheduleWithRunLoop(NSRunLoop::currentRunLoop(), *runLoopMode_);
    PACFileReadStream_->open();
    PACReadTimer_ = NSTimer::timerWithTimeInterval(timeOutSeconds_, false,
                                                   [weak](const std::shared_ptr<NSTimer>&) {
                                                     if (auto self = weak.lock())
                                                       self->timeOutPACRead();
                                                   });
    NSRunLoop::currentRunLoop()->addTimer(PACReadTimer_, *runLoopMode_);
    return;
  }
  std::string scheme = lowercaseASCIIString(PACurl_->scheme().value_or(""));
  if (scheme != "http" && scheme != "https") {
    startRequest();
    return;
  }
  auto download = requestWithURL(PACurl_);
  download->setIsPACFileRequest(true);
  download->setTimeOutSeconds(timeOutSeconds_);
  if (isSynchronous_) {
    download->startSynchronous();
    if (!download->error())
      if (Body text = download->responseString()) runPACScript(*text);
    startRequest();
    return;
  }
  PACFileRequest_ = download;
  download->setQueuePriority(4);  // high
  std::weak_ptr<HXHTTPRequest> weak = selfPtr();
  download->setDelegate(std::weak_ptr<NSObject>(weak));
  Selector ended =
      selector(weak, &HXHTTPRequest::finishedDownloadingPACFile, "finishedDownloadingPACFile:");
  download->setDidFinishSelector(ended);
  download->setDidFailSelector(ended);
  download->startAsynchronous();
  // The download must run even when the requests waiting for it fill the queue.
  changeSharedQueueWidthBy(1);
}

void HXHTTPRequest::handlePACFileStreamEvent(unsigned event) {
  if (!PACFileReadStream_) return;
  if (event & kCFStreamEventHasBytesAvailable) {
    if (!PACFileData_) PACFileData_.emplace();
    std::string buffer(kPACReadLength, '\0');
    long n = PACFileReadStream_->read(reinterpret_cast<uint8_t*>(buffer.data()), buffer.size());
    if (n > 0) PACFileData_->append(buffer.data(), size_t(n));
    return;
  }
  if (!(event & (kCFStreamEventErrorOccurred | kCFStreamEventEndEncountered))) return;
  if (PACReadTimer_) PACReadTimer_->invalidate();
  PACReadTimer_.reset();
  PACFileReadStream_->close();
  PACFileReadStream_->unscheduleFromRunLoop(NSRunLoop::currentRunLoop(), *runLoopMode_);
  PACFileReadStream_->setClient(0, nullptr);
  PACFileReadStream_.reset();
  if ((event & kCFStreamEventEndEncountered) && PACFileData_) {
    // UTF-8, else ISO Latin-1, which decodes any bytes.
    std::string script =
        isValidUTF8(*PACFileData_)
            ? *PACFileData_
            : stringWithData(*PACFileData_, NSISOLatin1StringEncoding).value_or(std::string());
    runPACScript(script);
  }
  PACFileData_.reset();
  startRequest();
}

void HXHTTPRequest::timeOutPACRead() {
  handlePACFileStreamEvent(kCFStreamEventErrorOccurred);
}

void HXHTTPRequest::runPACScript(const std::string& script) {
  if (script.empty()) return;
  std::string address = url_->absoluteString();
  NSErrorPtr error;
  ValueArray proxies = CFNetworkCopyProxiesForAutoConfigurationScript(script, address, &error);
  if (error || !proxies || proxies->count() == 0) return;
  const Value& first = proxies->objectAtIndex(0);
  std::string host, type;
  int port = 0;
  // A first entry of type None (DIRECT) names no host: the request goes direct.
  if (takeProxy(first, &host, &port, &type)) {
    proxyHost_ = host;
    proxyPort_ = port;
    proxyType_ = type;
  }
}

void HXHTTPRequest::finishedDownloadingPACFile(const Value& request) {
  // The download reports on the main thread; the script belongs to this request's thread.
  std::shared_ptr<HXHTTPRequest> download =
      request.isObject() ? std::dynamic_pointer_cast<HXHTTPRequest>(request.object()) : nullptr;
  performOnRequestThread([download](HXHTTPRequest& r) {
    if (!r.PACFileRequest_ || r.PACFileRequest_ != download) return;
    if (!download->error())
      if (Body text = download->responseString()) r.runPACScript(*text);
    changeSharedQueueWidthBy(-1);
    r.PACFileRequest_.reset();
    if (r.complete_ || r.isCancelled()) return;
    r.startRequest();
  });
}

void HXHTTPRequest::cancelPACFetch() {
  if (PACFileReadStream_) {
    if (PACReadTimer_) PACReadTimer_->invalidate();
    PACReadTimer_.reset();
    PACFileReadStream_->setClient(0, nullptr);
    PACFileReadStream_->close();
    PACFileReadStream_->unscheduleFromRunLoop(NSRunLoop::currentRunLoop(), *runLoopMode_);
    PACFileReadStream_.reset();
    PACFileData_.reset();
  }
  if (auto download = std::move(PACFileRequest_)) {
    download->setDelegate(std::weak_ptr<NSObject>());
    download->cancel();
    // The download's end will not narrow the queue again: the cancellation does.
    changeSharedQueueWidthBy(-1);
  }
}

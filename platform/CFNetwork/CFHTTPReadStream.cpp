#include "CFNetwork/CFHTTPReadStream.h"

#include "CFNetwork/CFHTTPTransfer.h"
#include "Foundation/NSRunLoop.h"

namespace {

// The key's constant when the key is one of the stream's own properties; empty otherwise.
std::string_view knownProperty(std::string_view key) {
  for (std::string_view known :
       {kCFStreamPropertyHTTPAttemptPersistentConnection, kCFStreamPropertyHTTPShouldAutoredirect,
        kCFStreamPropertySSLSettings, kCFStreamPropertyHTTPProxy, kCFStreamPropertySOCKSProxy,
        kCFStreamPropertyHTTPResponseHeader, kCFStreamPropertyHTTPRequestBytesWrittenCount})
    if (key == known) return known;
  return {};
}

bool isHTTPS(const std::string& url) {
  return url.size() >= 6 && (url[0] == 'h' || url[0] == 'H') && url.find("://") == 5;
}

std::string proxyURL(const Value& dict, std::string_view hostKey, std::string_view portKey,
                     std::string_view scheme) {
  Value host = dict[hostKey];
  if (!host.isString() || host.string().empty()) return {};
  std::string url = std::string(scheme) + "://" + std::string(host.string());
  int port = dict[portKey].intValue();
  if (port > 0) url += ":" + std::to_string(port);
  return url;
}

}  // namespace

std::shared_ptr<CFHTTPReadStream> CFHTTPReadStream::createForHTTPRequest(
    std::shared_ptr<CFHTTPMessage> request) {
  if (!request || !request->isRequest()) return nullptr;
  return std::make_shared<CFHTTPReadStream>(std::move(request), nullptr);
}

std::shared_ptr<CFHTTPReadStream> CFHTTPReadStream::createForStreamedHTTPRequest(
    std::shared_ptr<CFHTTPMessage> request, std::shared_ptr<CFReadStream> body) {
  if (!request || !request->isRequest() || !body) return nullptr;
  return std::make_shared<CFHTTPReadStream>(std::move(request), std::move(body));
}

CFHTTPReadStream::CFHTTPReadStream(std::shared_ptr<CFHTTPMessage> request,
                                   std::shared_ptr<CFReadStream> body)
    : request_(std::move(request)), body_(std::move(body)) {}

CFHTTPReadStream::~CFHTTPReadStream() {
  if (transfer_) transfer_->stop();
}

bool CFHTTPReadStream::open() {
  std::shared_ptr<CFHTTPTransfer> transfer;
  // The transfer runs on the loop the stream is scheduled on (the caller's when none).
  std::shared_ptr<NSRunLoop> loop = scheduledRunLoop();
  if (!loop) loop = NSRunLoop::currentRunLoop();
  std::shared_ptr<CFHTTPDriver> driver = CFHTTPDriver::forRunLoop(loop);
  {
    std::lock_guard<std::recursive_mutex> lock(streamMutex_);
    if (opened_) return false;
    opened_ = true;

    CFHTTPTransfer::Settings settings;
    auto prop = [&](std::string_view key) {
      const Value* value = findProperty(key);
      return value ? *value : Value();
    };
    settings.persistent = prop(kCFStreamPropertyHTTPAttemptPersistentConnection).boolValue();
    if (settings.persistent) {
      for (auto& property : properties_) {
        if (!property.constantKey.empty()) continue;  // the stream's own
        settings.connectionKey.append(property.otherKey)
            .append(1, '=')
            .append(property.value.description())
            .append(1, '\n');
      }
    }
    Value ssl = prop(kCFStreamPropertySSLSettings);
    if (ssl.isDictionary()) {
      Value chain = ssl[kCFStreamSSLValidatesCertificateChain];
      if ((chain.isNumber() && !chain.boolValue()) || ssl[kCFStreamSSLAllowsAnyRoot].boolValue())
        settings.verifyPeer = false;
      if (ssl[kCFStreamSSLPeerName].isNull()) settings.verifyHost = false;
    }
    Value socks = prop(kCFStreamPropertySOCKSProxy);
    Value http = prop(kCFStreamPropertyHTTPProxy);
    if (socks.isDictionary()) {
      settings.proxy = proxyURL(socks, kCFStreamPropertySOCKSProxyHost,
                                kCFStreamPropertySOCKSProxyPort, "socks5h");
    } else if (http.isDictionary()) {
      settings.proxy = isHTTPS(request_->requestURL())
                           ? proxyURL(http, kCFStreamPropertyHTTPSProxyHost,
                                      kCFStreamPropertyHTTPSProxyPort, "http")
                           : proxyURL(http, kCFStreamPropertyHTTPProxyHost,
                                      kCFStreamPropertyHTTPProxyPort, "http");
    }

    std::weak_ptr<CFHTTPTransferListener> listener;
    if (auto self = weak_from_this().lock())
      listener = std::shared_ptr<CFHTTPTransferListener>(std::move(self), this);
    settings.suspended = suspended_;
    transfer_ =
        std::make_shared<CFHTTPTransfer>(request_, body_, std::move(settings), std::move(listener));
    openedTransfer_.store(transfer_.get(), std::memory_order_release);
    transfer = transfer_;
  }
  setStatus(CFStreamStatus::Open);
  if (!transfer->start(driver)) {
    setStatus(CFStreamStatus::Error, transfer->error());
    return false;
  }
  return true;
}

void CFHTTPReadStream::close() {
  if (CFHTTPTransfer* t = transfer()) t->stop();
  CFReadStream::close();
}

long CFHTTPReadStream::read(uint8_t* buffer, size_t maxLength) {
  auto st = status();
  if (st == CFStreamStatus::Error) return -1;
  if (st == CFStreamStatus::Closed || st == CFStreamStatus::NotOpen) return -1;
  CFHTTPTransfer* t = transfer();
  if (!t) return -1;
  long n = t->read(buffer, maxLength);
  if (n <= 0) syncStatus();
  return n;
}

bool CFHTTPReadStream::hasBytesAvailable() const {
  CFHTTPTransfer* t = transfer();
  return t && t->hasBytesAvailable();
}

std::shared_ptr<CFHTTPMessage> CFHTTPReadStream::responseHeader() const {
  CFHTTPTransfer* t = transfer();
  return t ? t->responseHeader() : nullptr;
}

uint64_t CFHTTPReadStream::requestBytesWrittenCount() const {
  CFHTTPTransfer* t = transfer();
  return t ? t->bytesWritten() : 0;
}

Value CFHTTPReadStream::copyProperty(std::string_view key) const {
  if (key == kCFStreamPropertyHTTPRequestBytesWrittenCount)
    return Value(static_cast<unsigned long long>(requestBytesWrittenCount()));
  return CFReadStream::copyProperty(key);
}

bool CFHTTPReadStream::setProperty(std::string_view key, Value value) {
  if (key == kCFStreamPropertyHTTPResponseHeader ||
      key == kCFStreamPropertyHTTPRequestBytesWrittenCount)
    return false;
  std::lock_guard<std::recursive_mutex> lock(streamMutex_);
  if (opened_) return false;  // the transfer is set up at opening
  std::string_view known = knownProperty(key);
  if (known.empty())
    storeProperty(key, std::move(value));
  else
    storeProperty(known, std::move(value), true);
  return true;
}

void CFHTTPReadStream::syncStatus() {
  CFHTTPTransfer* t = transfer();
  if (!t || !t->isDone() || t->hasBytesAvailable()) return;
  // Already told (a done transfer's outcome does not change).
  auto st = status();
  if (st == CFStreamStatus::AtEnd || st == CFStreamStatus::Error || st == CFStreamStatus::Closed)
    return;
  if (auto error = t->error())
    setStatus(CFStreamStatus::Error, std::move(error));
  else
    setStatus(CFStreamStatus::AtEnd);
}

CFStreamEventType CFHTTPReadStream::pendingEvent() {
  syncStatus();
  return CFReadStream::pendingEvent();
}

void CFHTTPReadStream::didSchedule(const std::shared_ptr<NSRunLoop>& loop, std::string_view mode) {
  CFHTTPDriver::forRunLoop(loop)->addMode(mode);
  setSuspended(false);
}

void CFHTTPReadStream::didUnschedule(bool stillScheduled) {
  if (!stillScheduled) setSuspended(true);
}

void CFHTTPReadStream::setSuspended(bool suspended) {
  {
    std::lock_guard<std::recursive_mutex> lock(streamMutex_);
    if (suspended_ == suspended) return;
    suspended_ = suspended;
  }
  if (CFHTTPTransfer* t = transfer()) t->setSuspended(suspended);
}

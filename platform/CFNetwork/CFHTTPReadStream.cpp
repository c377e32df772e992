#include "CFNetwork/CFHTTPReadStream.h"

#include "CFNetwork/CFHTTPTransfer.h"
#include "Foundation/NSRunLoop.h"

namespace {

bool isKnownProperty(std::string_view key) {
  return key == kCFStreamPropertyHTTPAttemptPersistentConnection ||
         key == kCFStreamPropertyHTTPShouldAutoredirect || key == kCFStreamPropertySSLSettings ||
         key == kCFStreamPropertyHTTPProxy || key == kCFStreamPropertySOCKSProxy ||
         key == kCFStreamPropertyHTTPResponseHeader ||
         key == kCFStreamPropertyHTTPRequestBytesWrittenCount;
}

bool isHTTPS(const std::string& url) {
  return url.size() >= 6 && (url[0] == 'h' || url[0] == 'H') && url.find("://") == 5;
}

std::string proxyURL(const Value& dict, std::string_view hostKey, std::string_view portKey,
                     std::string_view scheme) {
  Value host = dict[hostKey];
  if (!host.isString() || host.string().empty()) return {};
  std::string url = std::string(scheme) + "://" + host.string();
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
  std::shared_ptr<CFHTTPDriver> driver;
  {
    std::lock_guard<std::recursive_mutex> lock(streamMutex_);
    if (opened_) return false;
    opened_ = true;

    CFHTTPTransfer::Settings settings;
    auto prop = [&](std::string_view key) {
      auto it = properties_.find(key);
      return it == properties_.end() ? Value() : it->second;
    };
    settings.persistent = prop(kCFStreamPropertyHTTPAttemptPersistentConnection).boolValue();
    if (settings.persistent) {
      for (auto& [key, value] : properties_) {
        if (isKnownProperty(key)) continue;
        settings.connectionKey += key + "=" + value.description() + "\n";
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

    std::weak_ptr<CFReadStream> weak = weak_from_this();
    transfer_ = std::make_shared<CFHTTPTransfer>(request_, body_, std::move(settings), [weak] {
      if (auto self = std::static_pointer_cast<CFHTTPReadStream>(weak.lock())) self->signalClient();
    });
    transfer = transfer_;
    // The transfer runs on the loop the stream is scheduled on (the caller's when none).
    std::shared_ptr<NSRunLoop> loop = scheduledRunLoop();
    if (!loop) loop = NSRunLoop::currentRunLoop();
    driver = CFHTTPDriver::forRunLoop(loop);
    setStatus(CFStreamStatus::Open);
  }
  if (!transfer->start(driver)) {
    setStatus(CFStreamStatus::Error, transfer->error());
    return false;
  }
  return true;
}

void CFHTTPReadStream::close() {
  std::shared_ptr<CFHTTPTransfer> transfer;
  {
    std::lock_guard<std::recursive_mutex> lock(streamMutex_);
    transfer = transfer_;
  }
  if (transfer) transfer->stop();
  CFReadStream::close();
}

long CFHTTPReadStream::read(uint8_t* buffer, size_t maxLength) {
  std::shared_ptr<CFHTTPTransfer> transfer;
  {
    std::lock_guard<std::recursive_mutex> lock(streamMutex_);
    auto st = status();
    if (st == CFStreamStatus::Error) return -1;
    if (st == CFStreamStatus::Closed || st == CFStreamStatus::NotOpen) return -1;
    transfer = transfer_;
  }
  if (!transfer) return -1;
  long n = transfer->read(buffer, maxLength);
  if (n <= 0) syncStatus();
  return n;
}

bool CFHTTPReadStream::hasBytesAvailable() const {
  std::lock_guard<std::recursive_mutex> lock(streamMutex_);
  return transfer_ && transfer_->hasBytesAvailable();
}

std::shared_ptr<CFHTTPMessage> CFHTTPReadStream::responseHeader() const {
  std::lock_guard<std::recursive_mutex> lock(streamMutex_);
  return transfer_ ? transfer_->responseHeader() : nullptr;
}

uint64_t CFHTTPReadStream::requestBytesWrittenCount() const {
  std::lock_guard<std::recursive_mutex> lock(streamMutex_);
  return transfer_ ? transfer_->bytesWritten() : 0;
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
  storeProperty(key, std::move(value));
  return true;
}

void CFHTTPReadStream::syncStatus() {
  std::lock_guard<std::recursive_mutex> lock(streamMutex_);
  if (!transfer_ || !transfer_->isDone() || transfer_->hasBytesAvailable()) return;
  if (auto error = transfer_->error())
    setStatus(CFStreamStatus::Error, error);
  else
    setStatus(CFStreamStatus::AtEnd);
}

CFStreamEventType CFHTTPReadStream::pendingEvent() {
  syncStatus();
  return CFReadStream::pendingEvent();
}

void CFHTTPReadStream::didSchedule(const std::shared_ptr<NSRunLoop>& loop, std::string_view mode) {
  CFHTTPDriver::forRunLoop(loop)->addMode(mode);
}

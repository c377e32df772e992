#include "CFNetwork/NSURLConnection.h"

#include "CFNetwork/CFHTTPMessage.h"
#include "CFNetwork/CFHTTPReadStream.h"
#include "CFNetwork/CFNetworkErrors.h"
#include "CFNetwork/NSHTTPCookie.h"
#include "Foundation/Clock.h"
#include "Foundation/NSRunLoop.h"
#include "Foundation/NSString.h"
#include "Foundation/NSTimer.h"
#include "Foundation/NSURL.h"
#include "Foundation/NSURLError.h"
#include "SystemConfiguration/SCNetworkReachability.h"

namespace {

constexpr std::string_view kSynchronousMode = "NSURLConnectionSynchronousMode";

std::string descriptionFor(long code) {
  switch (code) {
    case NSURLErrorBadURL:
      return "bad URL";
    case NSURLErrorTimedOut:
      return "The request timed out.";
    case NSURLErrorUnsupportedURL:
      return "unsupported URL";
    case NSURLErrorCannotFindHost:
      return "A server with the specified hostname could not be found.";
    case NSURLErrorCannotConnectToHost:
      return "Could not connect to the server.";
    case NSURLErrorNetworkConnectionLost:
      return "The network connection was lost.";
    case NSURLErrorNotConnectedToInternet:
      return "The Internet connection appears to be offline.";
    case NSURLErrorBadServerResponse:
      return "The server returned a bad response.";
    case NSURLErrorCannotParseResponse:
      return "The server's response could not be read.";
    case NSURLErrorSecureConnectionFailed:
      return "An SSL error has occurred and a secure connection to the server cannot be made.";
    case NSURLErrorServerCertificateUntrusted:
      return "The certificate for this server is invalid.";
    default:
      return "An unknown error occurred.";
  }
}

NSErrorPtr urlError(long code, const std::string& url, NSErrorPtr underlying = nullptr) {
  auto info = makeDictionary({{std::string(NSLocalizedDescriptionKey), Value(descriptionFor(code))},
                              {std::string(NSURLErrorFailingURLStringErrorKey), Value(url)}});
  if (underlying) info->setObject(Value(underlying), NSUnderlyingErrorKey);
  return NSError::errorWithDomain(NSURLErrorDomain, code, Value(info));
}

// The URL-domain code of a stream error.
long urlCodeOf(const NSErrorPtr& e) {
  if (!e) return NSURLErrorUnknown;
  if (e->domain() == kCFErrorDomainCFNetwork) {
    return e->code() == kCFURLErrorUnknown ? NSURLErrorUnknown : e->code();
  }
  if (e->domain() == kCFErrorDomainPOSIX) {
    switch (e->code()) {
      case kPOSIXErrorETIMEDOUT:
        return NSURLErrorTimedOut;
      case kPOSIXErrorECONNREFUSED:
        return NSURLErrorCannotConnectToHost;
      default:
        return NSURLErrorNetworkConnectionLost;
    }
  }
  if (e->domain() == kCFErrorDomainOSStatus) {
    switch (e->code()) {
      case errSSLXCertChainInvalid:
      case errSSLBadCert:
      case errSSLUnknownRootCert:
      case errSSLNoRootCert:
      case errSSLCertExpired:
      case errSSLCertNotYetValid:
        return NSURLErrorServerCertificateUntrusted;
      default:
        return NSURLErrorSecureConnectionFailed;
    }
  }
  return NSURLErrorUnknown;
}

}  // namespace

// One transfer, on the thread of the loop it is scheduled on.
struct NSURLConnection::Transfer : std::enable_shared_from_this<Transfer> {
  std::weak_ptr<NSURLConnection> owner;
  std::shared_ptr<NSURLConnection> keepAlive;  // until the end
  std::vector<std::pair<std::shared_ptr<NSRunLoop>, std::string>> schedules;
  std::string urlText;
  std::shared_ptr<NSURL> url;
  std::shared_ptr<CFHTTPReadStream> stream;
  std::shared_ptr<NSTimer> timer;
  double timeout = NSURLRequest::kDefaultTimeoutInterval;
  bool handleCookies = true;
  long long bodyLength = 0;
  long long bodyTaken = 0;     // by the transfer, so far
  long long bodyReported = 0;  // to the delegate
  bool progressQueued = false;
  bool responseDelivered = false;
  bool ended = false;

  std::shared_ptr<NSURLConnectionDelegate> delegate() const {
    auto c = owner.lock();
    return c ? c->delegate_ : nullptr;
  }

  // Runs the block on every loop and mode the connection is scheduled in, the next time one of
  // them comes by (only the first run does anything).
  void later(std::function<void()> block) {
    for (auto& [loop, mode] : schedules) {
      loop->performBlock(block, {mode});
      break;  // one loop: the connection is scheduled on one thread's loop
    }
  }

  std::vector<std::string> modes() const {
    std::vector<std::string> m;
    for (auto& [loop, mode] : schedules) m.push_back(mode);
    return m;
  }

  void restartTimer() {
    if (timer) timer->invalidate();
    timer.reset();
    if (timeout <= 0 || schedules.empty()) return;
    std::weak_ptr<Transfer> weak = weak_from_this();
    timer = NSTimer::timerWithTimeInterval(timeout, false, [weak](const std::shared_ptr<NSTimer>&) {
      if (auto self = weak.lock()) self->fail(urlError(NSURLErrorTimedOut, self->urlText));
    });
    for (auto& [loop, mode] : schedules) loop->addTimer(timer, mode);
  }

  void stop() {
    ended = true;
    if (timer) timer->invalidate();
    timer.reset();
    if (stream) {
      stream->setClient(0, nullptr);
      for (auto& [loop, mode] : schedules) stream->unscheduleFromRunLoop(loop, mode);
      stream->close();
    }
    stream.reset();
  }

  // Ends the transfer; the connection lets go of the delegate after telling it.
  void finishWith(const std::function<void(NSURLConnectionDelegate&,
                                           const std::shared_ptr<NSURLConnection>&)>& tell) {
    if (ended) return;
    stop();
    auto connection = std::move(keepAlive);
    auto d = connection ? connection->delegate_ : nullptr;
    if (connection && d) tell(*d, connection);
    if (connection) connection->delegate_.reset();
  }

  void fail(NSErrorPtr error) {
    finishWith([&](NSURLConnectionDelegate& d, const std::shared_ptr<NSURLConnection>& c) {
      d.connectionDidFailWithError(c, error);
    });
  }

  void failLater(long code) {
    std::weak_ptr<Transfer> weak = weak_from_this();
    later([weak, code] {
      if (auto self = weak.lock()) self->fail(urlError(code, self->urlText));
    });
  }

  // Upload progress not told yet.
  void reportProgress() {
    progressQueued = false;
    if (ended || bodyTaken == bodyReported) return;
    long long step = bodyTaken - bodyReported;
    bodyReported = bodyTaken;
    auto c = keepAlive;
    if (auto d = delegate()) d->connectionDidSendBodyData(c, step, bodyReported, bodyLength);
  }

  void bodyTakenMore(size_t n) {
    bodyTaken += (long long)n;
    if (progressQueued) return;
    progressQueued = true;
    std::weak_ptr<Transfer> weak = weak_from_this();
    later([weak] {
      if (auto self = weak.lock()) self->reportProgress();
    });
  }

  void deliverResponse() {
    auto header = stream ? stream->responseHeader() : nullptr;
    if (responseDelivered || !header) return;
    reportProgress();
    if (ended) return;
    responseDelivered = true;
    if (handleCookies && url) {
      auto cookies = NSHTTPCookie::cookiesWithResponseHeaderFields(header->headerLines(), *url);
      if (!cookies.empty())
        NSHTTPCookieStorage::sharedHTTPCookieStorage().setCookies(cookies, url.get(), nullptr);
    }
    auto response = std::make_shared<NSHTTPURLResponse>(url, header->responseStatusCode(),
                                                        header->allHeaderFields());
    auto c = keepAlive;
    if (auto d = delegate()) d->connectionDidReceiveResponse(c, response);
  }

  void streamEvent(CFStreamEventType event) {
    if (ended) return;
    // The delegate may let go of the connection (and so of this transfer) in any callback.
    auto keepSelf = shared_from_this();
    auto keepConnection = keepAlive;
    restartTimer();
    deliverResponse();
    if (ended) return;
    if (event == kCFStreamEventHasBytesAvailable) {
      std::string piece(65536, '\0');
      while (!ended && stream && stream->hasBytesAvailable()) {
        long n = stream->read(reinterpret_cast<uint8_t*>(piece.data()), piece.size());
        if (n <= 0) break;
        auto c = keepAlive;
        if (auto d = delegate()) d->connectionDidReceiveData(c, piece.substr(0, size_t(n)));
      }
      return;
    }
    if (event == kCFStreamEventEndEncountered) {
      deliverResponse();
      finishWith([](NSURLConnectionDelegate& d, const std::shared_ptr<NSURLConnection>& c) {
        d.connectionDidFinishLoading(c);
      });
      return;
    }
    if (event == kCFStreamEventErrorOccurred) {
      NSErrorPtr streamError = stream ? stream->copyError() : nullptr;
      fail(urlError(urlCodeOf(streamError), urlText, streamError));
    }
  }

  void begin(const NSURLRequest& request) {
    urlText = request.URL() ? request.URL()->absoluteString() : std::string();
    url = request.URL();
    timeout = request.timeoutInterval();
    handleCookies = request.HTTPShouldHandleCookies();
    restartTimer();
    std::string scheme = url ? lowercaseASCIIString(url->scheme().value_or("")) : "";
    if (!url || scheme.empty()) return failLater(NSURLErrorBadURL);
    if (scheme != "http" && scheme != "https") return failLater(NSURLErrorUnsupportedURL);
    if (!url->host()) return failLater(NSURLErrorBadURL);
    if (auto flags = SCNetworkReachabilityTestFlags();
        flags && !(*flags & kSCNetworkReachabilityFlagsReachable))
      return failLater(NSURLErrorNotConnectedToInternet);

    auto message = CFHTTPMessage::createRequest(request.HTTPMethod(), urlText, kCFHTTPVersion1_1);
    if (!message) return failLater(NSURLErrorBadURL);
    for (auto& [name, value] : request.allHTTPHeaderFields())
      message->setHeaderFieldValue(name, value);
    if (handleCookies && !request.valueForHTTPHeaderField("Cookie")) {
      std::string line;
      for (auto& cookie : NSHTTPCookieStorage::sharedHTTPCookieStorage().cookiesForURL(*url)) {
        if (!line.empty()) line += "; ";
        line += cookie->name() + "=" + cookie->value();
      }
      if (!line.empty()) message->setHeaderFieldValue("Cookie", line);
    }
    if (request.HTTPBody()) {
      bodyLength = (long long)request.HTTPBody()->size();
      if (!request.valueForHTTPHeaderField("Content-Length"))
        message->setHeaderFieldValue("Content-Length", std::to_string(bodyLength));
      std::weak_ptr<Transfer> weak = weak_from_this();
      auto body = CFReadStream::createWithBytes(*request.HTTPBody(), [weak](size_t n) {
        if (auto self = weak.lock()) self->bodyTakenMore(n);
      });
      stream = CFHTTPReadStream::createForStreamedHTTPRequest(message, body);
    } else {
      stream = CFHTTPReadStream::createForHTTPRequest(message);
    }
    if (!stream) return failLater(NSURLErrorBadURL);
    stream->setProperty(kCFStreamPropertyHTTPAttemptPersistentConnection, Value(true));
    std::weak_ptr<Transfer> weak = weak_from_this();
    stream->setClient(kCFStreamEventHasBytesAvailable | kCFStreamEventEndEncountered |
                          kCFStreamEventErrorOccurred,
                      [weak](CFReadStream&, CFStreamEventType event) {
                        if (auto self = weak.lock()) self->streamEvent(event);
                      });
    for (auto& [loop, mode] : schedules) stream->scheduleWithRunLoop(loop, mode);
    if (!stream->open()) {
      NSErrorPtr streamError = stream->copyError();
      long code = urlCodeOf(streamError);
      std::weak_ptr<Transfer> weakSelf = weak_from_this();
      later([weakSelf, code, streamError] {
        if (auto self = weakSelf.lock()) self->fail(urlError(code, self->urlText, streamError));
      });
    }
  }
};

NSURLConnection::NSURLConnection(Private, const NSURLRequest& request,
                                 std::shared_ptr<NSURLConnectionDelegate> delegate)
    : request_(request), delegate_(std::move(delegate)) {}

NSURLConnection::~NSURLConnection() {
  if (transfer_ && !transfer_->ended) transfer_->stop();
}

std::shared_ptr<NSURLConnection> NSURLConnection::connectionWithRequest(
    const NSURLRequest& request, std::shared_ptr<NSURLConnectionDelegate> delegate) {
  return initWithRequest(request, std::move(delegate), true);
}

std::shared_ptr<NSURLConnection> NSURLConnection::initWithRequest(
    const NSURLRequest& request, std::shared_ptr<NSURLConnectionDelegate> delegate,
    bool startImmediately) {
  auto c = std::make_shared<NSURLConnection>(Private{}, request, std::move(delegate));
  if (startImmediately) c->start();
  return c;
}

void NSURLConnection::scheduleInRunLoop(const std::shared_ptr<NSRunLoop>& loop,
                                        std::string_view mode) {
  if (started_ || !loop) return;
  schedules_.emplace_back(loop, std::string(mode));
}

void NSURLConnection::start() {
  if (started_) return;
  started_ = true;
  auto t = std::make_shared<Transfer>();
  transfer_ = t;
  t->owner = self<NSURLConnection>();
  t->keepAlive = self<NSURLConnection>();
  for (auto& [weakLoop, mode] : schedules_)
    if (auto loop = weakLoop.lock()) t->schedules.emplace_back(loop, mode);
  if (t->schedules.empty())
    t->schedules.emplace_back(NSRunLoop::currentRunLoop(), std::string(NSDefaultRunLoopMode));
  t->begin(request_);
}

void NSURLConnection::cancel() {
  if (!transfer_ || transfer_->ended) {
    delegate_.reset();
    return;
  }
  auto keep = std::move(transfer_->keepAlive);
  transfer_->stop();
  delegate_.reset();
}

bool NSURLConnection::canHandleRequest(const NSURLRequest& request) {
  if (!request.URL()) return false;
  std::string scheme = lowercaseASCIIString(request.URL()->scheme().value_or(""));
  return scheme == "http" || scheme == "https";
}

namespace {

struct SynchronousCollector : NSURLConnectionDelegate {
  std::shared_ptr<NSURLResponse> response;
  std::string body;
  NSErrorPtr error;
  bool done = false;
  void connectionDidReceiveResponse(const std::shared_ptr<NSURLConnection>&,
                                    const std::shared_ptr<NSURLResponse>& r) override {
    response = r;
  }
  void connectionDidReceiveData(const std::shared_ptr<NSURLConnection>&,
                                const std::string& data) override {
    body += data;
  }
  void connectionDidFinishLoading(const std::shared_ptr<NSURLConnection>&) override { done = true; }
  void connectionDidFailWithError(const std::shared_ptr<NSURLConnection>&,
                                  const NSErrorPtr& e) override {
    error = e;
    done = true;
  }
};

}  // namespace

std::optional<std::string> NSURLConnection::sendSynchronousRequest(
    const NSURLRequest& request, std::shared_ptr<NSURLResponse>* response, NSErrorPtr* error) {
  auto collector = std::make_shared<SynchronousCollector>();
  auto connection = initWithRequest(request, collector, false);
  const auto& loop = NSRunLoop::currentRunLoop();
  connection->scheduleInRunLoop(loop, kSynchronousMode);
  connection->start();
  // The loop may run on a virtual clock: the wait is bounded in real time as well.
  double timeout = request.timeoutInterval() > 0 ? request.timeoutInterval()
                                                 : NSURLRequest::kDefaultTimeoutInterval;
  double deadline = steadySeconds() + timeout;
  while (!collector->done) {
    double left = deadline - steadySeconds();
    if (left <= 0) break;
    CFRunLoopRunResult r = loop->runInMode(kSynchronousMode, left, true, left);
    if (r == CFRunLoopRunResult::Finished && !collector->done) break;
  }
  if (!collector->done) {
    connection->cancel();
    std::string url = request.URL() ? request.URL()->absoluteString() : std::string();
    collector->error = urlError(NSURLErrorTimedOut, url);
  }
  if (response) *response = collector->response;
  if (collector->error) {
    if (error) *error = collector->error;
    return std::nullopt;
  }
  return std::move(collector->body);
}

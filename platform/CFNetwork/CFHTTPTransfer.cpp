#include "CFNetwork/CFHTTPTransfer.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstring>

#include "CFNetwork/CFHTTPAuthentication.h"
#include "CFNetwork/CFHTTPResponseParser.h"
#include "CFNetwork/CFNetworkErrors.h"
#include "CFNetwork/CFReadStream.h"
#include "Foundation/NSRunLoop.h"
#include "Foundation/NSString.h"

namespace {

// A reader that falls behind stops the reading: above this many buffered bytes the connection
// is left alone, below the second it is read again.
constexpr size_t kPauseAbove = 4u << 20;
constexpr size_t kResumeBelow = 1u << 20;
constexpr size_t kReceiveChunk = 128u << 10;
constexpr size_t kBodyPiece = 64u << 10;

// A field value goes on one line of its own: line ends and NUL would start another.
bool isFieldValue(std::string_view s) {
  return s.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

bool startsWithIgnoringCase(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && equalsIgnoringASCIICase(s.substr(0, prefix.size()), prefix);
}

}  // namespace

CFHTTPTransfer::CFHTTPTransfer(std::shared_ptr<CFHTTPMessage> request,
                               std::shared_ptr<CFReadStream> body, Settings settings,
                               std::weak_ptr<CFHTTPTransferListener> listener)
    : request_(std::move(request)),
      body_(std::move(body)),
      settings_(std::move(settings)),
      listener_(std::move(listener)) {
  suspended_ = settings_.suspended;
}

CFHTTPTransfer::~CFHTTPTransfer() {
  if (connection_) connection_->close();
}

void CFHTTPTransfer::notify() {
  if (auto listener = listener_.lock()) listener->transferChanged();
}

bool CFHTTPTransfer::start(const std::shared_ptr<CFHTTPDriver>& driver) {
  driver_ = driver;
  // An HTTP proxy forwards plain http requests, which then name their whole URL; https goes
  // through a tunnel the proxy opens.
  forwarding_ = startsWithIgnoringCase(settings_.proxy, "http://") &&
                startsWithIgnoringCase(request_->requestURL(), "http://");
  NSErrorPtr refused;
  if (!writeHead(&refused)) {
    std::lock_guard<std::mutex> lock(mutex_);
    error_ = refused;
    done_ = true;
    return false;
  }
  if (body_ && !body_->open()) {
    NSErrorPtr error = body_->copyError();
    if (!error)
      error = CFHTTPStreamError(kCFErrorDomainCFNetwork, kCFURLErrorUnknown, "body stream");
    finish(error);
    return true;
  }
  if (forwarding_) {
    target_.url = settings_.proxy;
  } else {
    target_.url = request_->requestURL();
    target_.proxy = settings_.proxy;
  }
  target_.verifyPeer = settings_.verifyPeer;
  target_.verifyHost = settings_.verifyHost;
  if (settings_.persistent && !settings_.connectionKey.empty()) {
    driver->joinGroup(settings_.connectionKey);
    inGroup_ = true;
  }
  if (settings_.persistent && !asksToClose_) {
    if (auto idle = driver->takeIdle(settings_.connectionKey, target_)) {
      useConnection(std::move(idle), true);
      return true;
    }
  }
  connect();
  return true;
}

bool CFHTTPTransfer::writeHead(NSErrorPtr* error) {
  std::string host, target;
  if (!CFHTTPMessage::splitRequestURL(request_->requestURL(), &host, &target)) {
    *error = CFHTTPStreamError(kCFErrorDomainCFNetwork, kCFURLErrorUnsupportedURL,
                               "The request's URL cannot be sent");
    return false;
  }
  if (forwarding_) target = "http://" + host + target;
  const std::string& method = request_->requestMethod();
  const std::string& version = request_->version();
  const auto& fields = request_->allHeaderFields();
  std::string& h = head_;
  h.clear();
  size_t size = method.size() + target.size() + version.size() + host.size() + 64;
  for (auto& [name, value] : fields) size += name.size() + value.size() + 4;
  h.reserve(size);
  h.append(method).append(1, ' ').append(target).append(1, ' ').append(version).append("\r\n");
  bool hasHost = false, hasAccept = false, hasLength = false, hasCoding = false;
  for (auto& [name, value] : fields) {
    if (!CFHTTPMessage::isToken(name) || !isFieldValue(value)) {
      *error = CFHTTPStreamError(kCFErrorDomainCFNetwork, kCFURLErrorBadURL,
                                 "A header field of the request holds a line break");
      return false;
    }
    hasHost = hasHost || equalsIgnoringASCIICase(name, "Host");
    hasAccept = hasAccept || equalsIgnoringASCIICase(name, "Accept");
    hasLength = hasLength || equalsIgnoringASCIICase(name, "Content-Length");
    hasCoding = hasCoding || equalsIgnoringASCIICase(name, "Transfer-Encoding");
    if (equalsIgnoringASCIICase(name, "Connection"))
      asksToClose_ = CFHTTPMessage::listsToken(value, "close");
  }
  if (!hasHost) h.append("Host: ").append(host).append("\r\n");
  for (auto& [name, value] : fields) h.append(name).append(": ").append(value).append("\r\n");
  if (!hasAccept) h.append("Accept: */*\r\n");
  const std::string_view verb = method;
  if (body_) {
    if (!hasLength && !hasCoding) {
      if (version == kCFHTTPVersion1_0) {
        // HTTP/1.0 has no chunks: the length is that of the whole body.
        std::string whole;
        if (body_->open()) {
          std::string piece(kBodyPiece, '\0');
          long n;
          while ((n = body_->read(reinterpret_cast<uint8_t*>(piece.data()), piece.size())) > 0)
            whole.append(piece.data(), size_t(n));
          body_->close();
        }
        bytesWritten_ = whole.size();
        h.append("Content-Length: ").append(std::to_string(whole.size())).append("\r\n");
        body_.reset();
        out_ = std::move(whole);  // sent after the head
      } else {
        h.append("Transfer-Encoding: chunked\r\n");
        chunked_ = true;
      }
    }
  } else if (!hasLength && (verb == "POST" || verb == "PUT" || verb == "PATCH")) {
    // An empty body still says so, or servers wait for one.
    h.append("Content-Length: 0\r\n");
  }
  h.append("\r\n");
  if (!out_.empty()) {
    out_.insert(0, h);
  } else {
    out_ = h;
  }
  return true;
}

void CFHTTPTransfer::connect() {
  auto driver = driver_.lock();
  if (!driver) return;
  std::weak_ptr<CFHTTPTransfer> weak = weak_from_this();
  auto connection = CFHTTPConnection::connect(driver, target_, [weak](NSErrorPtr error) {
    if (auto self = weak.lock()) self->connected(std::move(error));
  });
  connection_ = std::move(connection);
  reused_ = false;
}

void CFHTTPTransfer::connected(NSErrorPtr error) {
  if (finished_) return;
  if (error) {
    connection_.reset();
    finish(std::move(error));
    return;
  }
  auto connection = connection_;
  useConnection(std::move(connection), false);
}

void CFHTTPTransfer::useConnection(std::shared_ptr<CFHTTPConnection> connection, bool reused) {
  connection_ = std::move(connection);
  reused_ = reused;
  parser_ = std::make_unique<CFHTTPResponseParser>(request_->requestMethod() == "HEAD");
  std::weak_ptr<CFHTTPTransfer> weak = weak_from_this();
  connection_->setHandler([weak](int revents) {
    if (auto self = weak.lock()) self->socketReady(revents);
  });
  sendMore();
}

void CFHTTPTransfer::socketReady(int revents) {
  if (finished_ || !connection_) return;
  if (revents & RunLoopFdSource::Write) {
    sendMore();
    if (finished_ || !connection_) return;
  }
  if (revents & ~RunLoopFdSource::Write) receiveMore();
}

void CFHTTPTransfer::sendMore() {
  while (!bodySent_ && !finished_ && !suspended_) {
    if (outOffset_ == out_.size()) {
      out_.clear();
      outOffset_ = 0;
      if (!takeBodyPiece()) {
        bodySent_ = true;
        break;
      }
      continue;
    }
    size_t n = 0;
    NSErrorPtr error;
    auto io = connection_->send(out_.data() + outOffset_, out_.size() - outOffset_, &n, &error);
    if (io == CFHTTPConnection::IO::Again) break;
    if (io != CFHTTPConnection::IO::Done) {
      connectionFailed(std::move(error));
      return;
    }
    outOffset_ += n;
  }
  if (finished_) return;
  updateInterest();
}

bool CFHTTPTransfer::takeBodyPiece() {
  if (!body_) return false;
  thread_local std::string piece(kBodyPiece, '\0');
  long n = body_->read(reinterpret_cast<uint8_t*>(piece.data()), piece.size());
  if (n < 0) {
    NSErrorPtr error = body_->copyError();
    if (!error)
      error = CFHTTPStreamError(kCFErrorDomainCFNetwork, kCFURLErrorUnknown, "body stream");
    body_.reset();
    finish(error);
    return false;
  }
  if (n == 0) {
    body_.reset();
    if (!chunked_) return false;
    out_ = "0\r\n\r\n";
    return true;
  }
  bytesWritten_.fetch_add(uint64_t(n), std::memory_order_relaxed);
  if (chunked_) {
    char size[20];
    int length = std::snprintf(size, sizeof size, "%lx\r\n", static_cast<unsigned long>(n));
    out_.append(size, size_t(length)).append(piece.data(), size_t(n)).append("\r\n");
  } else {
    out_.assign(piece.data(), size_t(n));
  }
  return true;
}

void CFHTTPTransfer::receiveMore() {
  thread_local std::string buffer(kReceiveChunk, '\0');
  while (!finished_ && connection_ && !suspended_) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (paused_) break;
    }
    size_t n = 0;
    NSErrorPtr error;
    auto io = connection_->receive(buffer.data(), buffer.size(), &n, &error);
    if (io == CFHTTPConnection::IO::Again) break;
    if (io == CFHTTPConnection::IO::Failed) {
      connectionFailed(std::move(error));
      return;
    }
    bool wasEmpty = false, pause = false;
    if (io == CFHTTPConnection::IO::Ended) {
      if (!parser_->hasStarted()) {
        connectionFailed(CFHTTPStreamError(kCFErrorDomainCFNetwork,
                                           kCFURLErrorNetworkConnectionLost,
                                           "The server closed the connection without a reply"));
        return;
      }
      parser_->connectionEnded();
    } else {
      std::lock_guard<std::mutex> lock(mutex_);
      if (stopped_) return;
      wasEmpty = buffered_ == 0;
      // Bytes already read are dropped before the buffer grows, once they are the larger part
      // (so that each byte moves at most once more on average).
      if (readOffset_ > 0 && readOffset_ >= received_.size() / 2) {
        received_.erase(0, readOffset_);
        readOffset_ = 0;
      }
      size_t before = received_.size();
      parser_->feed(std::string_view(buffer.data(), n), &received_);
      buffered_ += received_.size() - before;
      wasEmpty = wasEmpty && buffered_ > 0;
      if (buffered_ >= kPauseAbove) pause = paused_ = true;
    }
    if (!response_ && parser_->header()) {
      response_ = parser_->header();
      answerAuthentication();
      hasResponse_.store(true, std::memory_order_release);
      notify();
    } else if (wasEmpty) {
      notify();
    }
    if (parser_->hasFailed()) {
      bool ended = io == CFHTTPConnection::IO::Ended;
      finish(
          CFHTTPStreamError(kCFErrorDomainCFNetwork,
                            ended ? kCFURLErrorNetworkConnectionLost : kCFURLErrorBadServerResponse,
                            parser_->failure()));
      return;
    }
    if (parser_->isComplete()) {
      finish(nullptr);
      return;
    }
    if (io == CFHTTPConnection::IO::Ended || pause) break;
  }
  if (!finished_) updateInterest();
}

void CFHTTPTransfer::answerAuthentication() {
  for (bool proxy : {false, true})
    if (auto authentication = request_->appliedAuthentication(proxy))
      authentication->responseReceived(*response_);
}

void CFHTTPTransfer::connectionFailed(NSErrorPtr error) {
  // A kept-alive connection may have been closed by the server while it was idle: the request
  // goes once more on a new one, when nothing of it has been answered and its body can be
  // sent again.
  if (reused_ && !retried_ && parser_ && !parser_->hasStarted() && bytesWritten_ == 0) {
    retried_ = true;
    connection_->close();
    connection_.reset();
    out_ = head_;
    outOffset_ = 0;
    bodySent_ = false;
    connect();
    return;
  }
  if (parser_ && parser_->header() && !response_) {
    response_ = parser_->header();
    hasResponse_.store(true, std::memory_order_release);
  }
  finish(std::move(error));
}

void CFHTTPTransfer::updateInterest() {
  if (!connection_) return;
  bool paused;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    paused = paused_;
  }
  int events = paused ? 0 : RunLoopFdSource::Read;
  if (!bodySent_) events |= RunLoopFdSource::Write;
  if (suspended_) events = 0;
  connection_->setInterest(events);
}

void CFHTTPTransfer::finish(NSErrorPtr error) {
  if (finished_) return;
  finished_ = true;
  if (connection_) {
    auto driver = driver_.lock();
    bool reusable = !error && parser_ && parser_->allowsReuse() && bodySent_ &&
                    settings_.persistent && !asksToClose_;
    if (reusable && driver) {
      connection_->setUsed();
      driver->keepIdle(settings_.connectionKey, target_, std::move(connection_));
    } else {
      connection_->close();
    }
    connection_.reset();
  }
  if (body_) body_->close();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!error && !response_)
      error = CFHTTPStreamError(kCFErrorDomainCFNetwork, kCFURLErrorCannotParseResponse,
                                "The server's reply has no HTTP header");
    error_ = error;
    done_ = true;  // last: a reader that sees it done finds the error set
  }
  notify();
}

void CFHTTPTransfer::resume() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!paused_ || buffered_ >= kResumeBelow) return;
    paused_ = false;
  }
  // Bytes may wait inside the connection (TLS): read before waiting for the socket.
  receiveMore();
}

void CFHTTPTransfer::setSuspended(bool suspended) {
  auto driver = driver_.lock();
  if (driver && !driver->isOnDriverThread()) {
    std::weak_ptr<CFHTTPTransfer> weak = weak_from_this();
    driver->perform([weak, suspended] {
      if (auto self = weak.lock()) self->setSuspended(suspended);
    });
    return;
  }
  if (suspended_ == suspended) return;
  suspended_ = suspended;
  if (suspended) {
    if (connection_ && !finished_) connection_->setInterest(0);
    return;
  }
  // Never from inside the exchange's own steps: the loop's next pass goes on.
  if (driver) {
    std::weak_ptr<CFHTTPTransfer> weak = weak_from_this();
    driver->later([weak] {
      if (auto self = weak.lock()) self->resumeAfterHold();
    });
  }
}

void CFHTTPTransfer::resumeAfterHold() {
  if (suspended_ || finished_ || !connection_ || !parser_) return;
  sendMore();
  // Bytes may wait inside the connection (TLS): read before waiting for the socket.
  if (!finished_ && connection_) receiveMore();
}

void CFHTTPTransfer::stop() {
  auto driver = driver_.lock();
  if (driver && !driver->isOnDriverThread()) {
    driver->perform([self = shared_from_this()] { self->stop(); });
    return;
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (stopped_) return;
    stopped_ = true;
  }
  listener_.reset();
  finished_ = true;
  if (connection_) connection_->close();
  connection_.reset();
  if (inGroup_ && driver) driver->leaveGroup(settings_.connectionKey);
  inGroup_ = false;
  if (body_) body_->close();
}

long CFHTTPTransfer::read(uint8_t* buffer, size_t maxLength) {
  size_t copied = 0;
  bool resume = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    copied = std::min(maxLength, received_.size() - readOffset_);
    if (copied > 0) std::memcpy(buffer, received_.data() + readOffset_, copied);
    readOffset_ += copied;
    if (readOffset_ == received_.size()) {
      // All read: the room is kept for the next bytes; a large one goes once none can come.
      if (done_ && received_.capacity() > kResumeBelow)
        std::string().swap(received_);
      else
        received_.clear();
      readOffset_ = 0;
    }
    buffered_ -= copied;
    resume = paused_ && buffered_ < kResumeBelow;
    if (copied == 0 && done_ && error_) return -1;
  }
  if (resume) {
    if (auto driver = driver_.lock()) {
      std::weak_ptr<CFHTTPTransfer> weak = weak_from_this();
      driver->perform([weak] {
        if (auto self = weak.lock()) self->resume();
      });
    }
  }
  return long(copied);
}

bool CFHTTPTransfer::hasBytesAvailable() const {
  return buffered_ > 0;
}

bool CFHTTPTransfer::isDone() const {
  return done_;
}

NSErrorPtr CFHTTPTransfer::error() const {
  return done_.load(std::memory_order_acquire) ? error_ : nullptr;
}

std::shared_ptr<CFHTTPMessage> CFHTTPTransfer::responseHeader() const {
  return hasResponse_.load(std::memory_order_acquire) ? response_ : nullptr;
}

uint64_t CFHTTPTransfer::bytesWritten() const {
  return bytesWritten_.load(std::memory_order_relaxed);
}

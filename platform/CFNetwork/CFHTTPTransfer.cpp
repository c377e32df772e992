#include "CFNetwork/CFHTTPTransfer.h"

#include <openssl/ssl.h>
#include <openssl/x509_vfy.h>
#include <poll.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <vector>

#include "CFNetwork/CFNetworkConfiguration.h"
#include "CFNetwork/CFNetworkErrors.h"
#include "CFNetwork/CFNetworkTrust.h"
#include "CFNetwork/CFReadStream.h"
#include "Foundation/Clock.h"
#include "Foundation/NSRunLoop.h"

namespace {

// A reader that falls behind makes curl wait: above this many buffered bytes the transfer is
// paused, below the second it resumes.
constexpr size_t kPauseAbove = 4u << 20;
constexpr size_t kResumeBelow = 1u << 20;
constexpr long kReceiveBufferSize = 65536;

void initCurlOnce() {
  static const bool done = [] {
    curl_global_init(CURL_GLOBAL_DEFAULT);
    return true;
  }();
  (void)done;
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() &&
         (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '\n'))
    s.remove_suffix(1);
  return s;
}

NSErrorPtr makeError(std::string_view domain, long code, const std::string& text) {
  auto info = makeDictionary({{std::string(NSLocalizedDescriptionKey), Value(text)},
                              {std::string(kCFStreamErrorTransportDescriptionKey), Value(text)}});
  return NSError::errorWithDomain(domain, code, Value(info));
}

long sslStatusForVerifyResult(long verify) {
  switch (verify) {
    case X509_V_ERR_CERT_HAS_EXPIRED:
      return errSSLCertExpired;
    case X509_V_ERR_CERT_NOT_YET_VALID:
      return errSSLCertNotYetValid;
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
      return errSSLUnknownRootCert;
    default:
      return errSSLXCertChainInvalid;
  }
}

// Translates curl's result into the error the platform's stream would report.
NSErrorPtr streamError(CURLcode rc, long osErrno, long verifyResult, const std::string& detail) {
  std::string text = detail.empty() ? curl_easy_strerror(rc) : detail;
  switch (rc) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
      return makeError(kCFErrorDomainCFNetwork, kCFURLErrorCannotFindHost, text);
    case CURLE_COULDNT_CONNECT:
      if (osErrno == ECONNREFUSED)
        return makeError(kCFErrorDomainPOSIX, kPOSIXErrorECONNREFUSED, text);
      return makeError(kCFErrorDomainCFNetwork, kCFURLErrorCannotConnectToHost, text);
    case CURLE_OPERATION_TIMEDOUT:
      return makeError(kCFErrorDomainPOSIX, kPOSIXErrorETIMEDOUT, text);
    case CURLE_SEND_ERROR:
      if (osErrno == EPIPE) return makeError(kCFErrorDomainPOSIX, kPOSIXErrorEPIPE, text);
      if (osErrno == ENOTCONN) return makeError(kCFErrorDomainPOSIX, kPOSIXErrorENOTCONN, text);
      return makeError(kCFErrorDomainCFNetwork, kCFURLErrorNetworkConnectionLost, text);
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_PARTIAL_FILE:
    case CURLE_SEND_FAIL_REWIND:
      return makeError(kCFErrorDomainCFNetwork, kCFURLErrorNetworkConnectionLost, text);
    case CURLE_PEER_FAILED_VERIFICATION:
      return makeError(kCFErrorDomainOSStatus, sslStatusForVerifyResult(verifyResult), text);
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_ENGINE_NOTFOUND:
    case CURLE_SSL_ENGINE_SETFAILED:
    case CURLE_SSL_ENGINE_INITFAILED:
    case CURLE_SSL_SHUTDOWN_FAILED:
    case CURLE_USE_SSL_FAILED:
      return makeError(kCFErrorDomainOSStatus, errSSLProtocol, text);
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CRL_BADFILE:
      return makeError(kCFErrorDomainOSStatus, errSSLBadCert, text);
    case CURLE_SSL_CIPHER:
      return makeError(kCFErrorDomainOSStatus, errSSLBadCipherSuite, text);
    case CURLE_SSL_CACERT_BADFILE:
      return makeError(kCFErrorDomainOSStatus, errSSLNoRootCert, text);
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
      return makeError(kCFErrorDomainOSStatus, errSSLXCertChainInvalid, text);
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_URL_MALFORMAT:
      return makeError(kCFErrorDomainCFNetwork, kCFURLErrorUnsupportedURL, text);
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_BAD_CONTENT_ENCODING:
    case CURLE_HTTP2:
    case CURLE_HTTP2_STREAM:
      return makeError(kCFErrorDomainCFNetwork, kCFURLErrorBadServerResponse, text);
    default:
      return makeError(kCFErrorDomainCFNetwork, kCFURLErrorUnknown, text);
  }
}

}  // namespace

// ---- the driver ------------------------------------------------------------------------------

struct CFHTTPDriver::Impl {
  CFHTTPDriver* owner = nullptr;
  CURLM* multi = nullptr;
  int timerFd = -1;
  double wantedDeadline = -1;  // monotonic seconds; -1 for none
  double armedDeadline = -1;
  bool kickNow = false;
  int depth = 0;  // curl calls in progress
  std::shared_ptr<RunLoopFdSource> timerSource;
  struct Socket {
    std::shared_ptr<RunLoopFdSource> source;
    int events = 0;  // as last given to the source
  };
  std::map<curl_socket_t, Socket> sockets;
  std::vector<std::string> modes;
  // The running transfers: a handful, so a plain list (it keeps its room between requests).
  std::vector<std::pair<CURL*, std::shared_ptr<CFHTTPTransfer>>> active;
  struct IdleEasy {
    CURL* easy;
    CFHTTPHeaderList headers;
  };
  std::vector<IdleEasy> idleEasy;
  struct Shared {
    CURLSH* share = nullptr;
    int users = 0;
  };
  std::map<std::string, Shared> connections;

  void addSource(const std::shared_ptr<RunLoopFdSource>& s) {
    if (auto loop = owner->runLoop())
      for (auto& m : modes) loop->addFdSource(s, m);
  }

  // A kept-alive connection's socket is dropped by curl at the end of each transfer and taken
  // up again by the next one: its source stays, with no interest in between (a loop never
  // polls a source that wants no events), and goes when curl closes the socket.
  static int onSocket(CURL*, curl_socket_t fd, int what, void* userp, void*) {
    auto* impl = static_cast<Impl*>(userp);
    int events = 0;
    if (what & CURL_POLL_IN) events |= RunLoopFdSource::Read;
    if (what & CURL_POLL_OUT) events |= RunLoopFdSource::Write;
    if (what == CURL_POLL_REMOVE) events = 0;
    auto it = impl->sockets.find(fd);
    if (it != impl->sockets.end()) {
      if (it->second.events != events) {
        it->second.events = events;
        it->second.source->setEvents(events);
      }
      return 0;
    }
    if (events == 0) return 0;
    std::weak_ptr<CFHTTPDriver> weak = impl->owner->weak_from_this();
    auto source = std::make_shared<RunLoopFdSource>(fd, events, [weak](int s, int revents) {
      if (auto d = weak.lock()) d->impl_->socketReady(s, revents);
    });
    impl->sockets[fd] = {source, events};
    impl->addSource(source);
    return 0;
  }

  // Every socket curl closes comes here (set on each handle), so that its source goes before
  // the descriptor's number can be handed out again.
  static int onCloseSocket(void* userp, curl_socket_t fd) {
    auto* impl = static_cast<Impl*>(userp);
    auto it = impl->sockets.find(fd);
    if (it != impl->sockets.end()) {
      it->second.source->invalidate();
      impl->sockets.erase(it);
    }
    return ::close(fd);
  }

  // curl's timer.  A wish for "now" is served right after the curl call that made it returns;
  // later wishes arm the timer descriptor, which is only moved when it would fire too late
  // (a timer that fires early is armed again for the real time).
  static int onTimer(CURLM*, long timeoutMs, void* userp) {
    auto* impl = static_cast<Impl*>(userp);
    if (timeoutMs < 0) {
      impl->wantedDeadline = -1;
      return 0;
    }
    impl->wantedDeadline = steadySeconds() + double(timeoutMs) / 1000.0;
    if (timeoutMs == 0) {
      impl->kickNow = true;
      // Outside a curl call nobody would look at the flag: let the descriptor fire.
      if (impl->depth == 0) impl->arm(impl->wantedDeadline);
    } else if (impl->armedDeadline < 0 || impl->wantedDeadline < impl->armedDeadline) {
      impl->arm(impl->wantedDeadline);
    }
    return 0;
  }

  void arm(double deadline) {
    itimerspec spec{};
    double delay = std::max(deadline - steadySeconds(), 0.0);
    spec.it_value.tv_sec = time_t(delay);
    spec.it_value.tv_nsec = long((delay - double(spec.it_value.tv_sec)) * 1e9);
    // A zero value would disarm the timer: "now" is one nanosecond away.
    if (spec.it_value.tv_sec == 0 && spec.it_value.tv_nsec == 0) spec.it_value.tv_nsec = 1;
    timerfd_settime(timerFd, 0, &spec, nullptr);
    armedDeadline = deadline;
  }

  // One curl call, then every "now" it asked for, then the finished transfers.
  void action(curl_socket_t fd, int flags) {
    int running = 0;
    ++depth;
    curl_multi_socket_action(multi, fd, flags, &running);
    for (;;) {
      collect();
      if (!kickNow) break;
      kickNow = false;
      curl_multi_socket_action(multi, CURL_SOCKET_TIMEOUT, 0, &running);
    }
    --depth;
  }

  void runKicks() {
    if (kickNow && depth == 0) action(CURL_SOCKET_TIMEOUT, 0);
  }

  void socketReady(curl_socket_t fd, int revents) {
    int flags = 0;
    if (revents & (POLLIN | POLLHUP)) flags |= CURL_CSELECT_IN;
    if (revents & POLLOUT) flags |= CURL_CSELECT_OUT;
    if (revents & POLLERR) flags |= CURL_CSELECT_ERR;
    action(fd, flags);
  }

  void timerFired() {
    uint64_t expirations;
    while (::read(timerFd, &expirations, sizeof expirations) > 0) {
    }
    armedDeadline = -1;
    if (wantedDeadline < 0) return;
    if (wantedDeadline > steadySeconds()) {
      arm(wantedDeadline);
      return;
    }
    wantedDeadline = -1;
    kickNow = false;
    action(CURL_SOCKET_TIMEOUT, 0);
  }

  auto findActive(CURL* easy) {
    return std::find_if(active.begin(), active.end(),
                        [easy](const auto& entry) { return entry.first == easy; });
  }

  void eraseActive(CURL* easy) {
    auto it = findActive(easy);
    if (it != active.end()) active.erase(it);
  }

  void collect() {
    int left = 0;
    while (CURLMsg* msg = curl_multi_info_read(multi, &left)) {
      if (msg->msg != CURLMSG_DONE) continue;
      auto it = findActive(msg->easy_handle);
      if (it == active.end()) continue;
      std::shared_ptr<CFHTTPTransfer> transfer = it->second;  // alive through finish
      transfer->finish(msg->data.result);
    }
  }
};

namespace {
std::mutex gDriversMutex;
std::map<const NSRunLoop*, std::pair<std::weak_ptr<NSRunLoop>, std::shared_ptr<CFHTTPDriver>>>&
drivers() {
  static auto* m = new std::map<const NSRunLoop*,
                                std::pair<std::weak_ptr<NSRunLoop>, std::shared_ptr<CFHTTPDriver>>>;
  return *m;
}
}  // namespace

std::shared_ptr<CFHTTPDriver> CFHTTPDriver::forRunLoop(const std::shared_ptr<NSRunLoop>& loop) {
  // A thread asks for its own loop's driver again and again.
  thread_local std::weak_ptr<NSRunLoop> lastLoop;
  thread_local std::weak_ptr<CFHTTPDriver> lastDriver;
  if (auto d = lastDriver.lock(); d && lastLoop.lock() == loop) return d;
  initCurlOnce();
  std::lock_guard<std::mutex> lock(gDriversMutex);
  auto& m = drivers();
  for (auto it = m.begin(); it != m.end();) {
    if (it->second.first.expired())
      it = m.erase(it);
    else
      ++it;
  }
  auto it = m.find(loop.get());
  std::shared_ptr<CFHTTPDriver> driver;
  if (it != m.end()) {
    driver = it->second.second;
  } else {
    driver = std::make_shared<CFHTTPDriver>(loop);
    m[loop.get()] = {loop, driver};
  }
  lastLoop = loop;
  lastDriver = driver;
  return driver;
}

CFHTTPDriver::CFHTTPDriver(const std::shared_ptr<NSRunLoop>& loop)
    : loop_(loop), impl_(std::make_unique<Impl>()) {
  impl_->owner = this;
  impl_->multi = curl_multi_init();
  curl_multi_setopt(impl_->multi, CURLMOPT_SOCKETFUNCTION, &Impl::onSocket);
  curl_multi_setopt(impl_->multi, CURLMOPT_SOCKETDATA, impl_.get());
  curl_multi_setopt(impl_->multi, CURLMOPT_TIMERFUNCTION, &Impl::onTimer);
  curl_multi_setopt(impl_->multi, CURLMOPT_TIMERDATA, impl_.get());
  // curl's timeouts are real time, whatever clock the loop's own timers read.
  impl_->timerFd = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
}

CFHTTPDriver::~CFHTTPDriver() {
  for (auto& [fd, s] : impl_->sockets) s.source->invalidate();
  if (impl_->timerSource) impl_->timerSource->invalidate();
  for (auto& [easy, t] : impl_->active) curl_multi_remove_handle(impl_->multi, easy);
  impl_->active.clear();
  for (auto& idle : impl_->idleEasy) curl_easy_cleanup(idle.easy);
  curl_multi_cleanup(impl_->multi);
  for (auto& [id, c] : impl_->connections) curl_share_cleanup(c.share);
  if (impl_->timerFd >= 0) ::close(impl_->timerFd);
}

bool CFHTTPDriver::isOnDriverThread() const {
  auto loop = loop_.lock();
  return loop && NSRunLoop::currentRunLoop() == loop;
}

void CFHTTPDriver::addMode(std::string_view mode) {
  auto loop = loop_.lock();
  if (!loop) return;
  if (!impl_->timerSource) {
    std::weak_ptr<CFHTTPDriver> weak = weak_from_this();
    impl_->timerSource =
        std::make_shared<RunLoopFdSource>(impl_->timerFd, RunLoopFdSource::Read, [weak](int, int) {
          if (auto d = weak.lock()) d->impl_->timerFired();
        });
  }
  if (std::find(impl_->modes.begin(), impl_->modes.end(), mode) != impl_->modes.end()) return;
  impl_->modes.emplace_back(mode);
  loop->addFdSource(impl_->timerSource, mode);
  for (auto& [fd, s] : impl_->sockets) loop->addFdSource(s.source, mode);
}

void CFHTTPDriver::perform(std::function<void()> block) {
  if (isOnDriverThread()) {
    block();
    return;
  }
  auto loop = loop_.lock();
  if (!loop) return;
  std::vector<std::string> modes = impl_->modes;
  modes.emplace_back(NSRunLoopCommonModes);
  loop->performBlock(std::move(block), std::move(modes));
}

bool CFHTTPDriver::add(CFHTTPTransfer* transfer, CURL* easy) {
  impl_->active.emplace_back(easy, transfer->shared_from_this());
  // Counted as a curl call: the "now" it asks for is served just below.
  ++impl_->depth;
  CURLMcode added = curl_multi_add_handle(impl_->multi, easy);
  --impl_->depth;
  if (added != CURLM_OK) {
    impl_->eraseActive(easy);
    return false;
  }
  // Start at once rather than on the loop's next pass.
  impl_->runKicks();
  return true;
}

void CFHTTPDriver::remove(CURL* easy) {
  ++impl_->depth;
  curl_multi_remove_handle(impl_->multi, easy);
  --impl_->depth;
  impl_->eraseActive(easy);
  // What curl asked for meanwhile is served by the call in progress, or at once.
  impl_->runKicks();
}

CURLSH* CFHTTPDriver::acquireConnection(const std::string& key) {
  auto& c = impl_->connections[key];
  if (!c.share) {
    c.share = curl_share_init();
    curl_share_setopt(c.share, CURLSHOPT_SHARE, CURL_LOCK_DATA_CONNECT);
  }
  ++c.users;
  return c.share;
}

void CFHTTPDriver::releaseConnection(const std::string& key) {
  auto it = impl_->connections.find(key);
  if (it == impl_->connections.end()) return;
  if (--it->second.users > 0) return;
  curl_share_cleanup(it->second.share);
  impl_->connections.erase(it);
}

CURL* CFHTTPDriver::takeEasy(CFHTTPHeaderList& headers) {
  if (impl_->idleEasy.empty()) {
    CURL* e = curl_easy_init();
    if (!e) return nullptr;
    CFHTTPTransfer::setDefaults(e);
    curl_easy_setopt(e, CURLOPT_CLOSESOCKETFUNCTION, &Impl::onCloseSocket);
    curl_easy_setopt(e, CURLOPT_CLOSESOCKETDATA, impl_.get());
    return e;
  }
  Impl::IdleEasy& idle = impl_->idleEasy.back();
  CURL* e = idle.easy;
  headers = std::move(idle.headers);
  impl_->idleEasy.pop_back();
  return e;
}

void CFHTTPDriver::giveBackEasy(CURL* easy, CFHTTPHeaderList&& headers) {
  // The transfer has put back the options it changed (a reset would throw away the handle's
  // settings and buffers only to build them again).
  if (impl_->idleEasy.size() < 16)
    impl_->idleEasy.push_back({easy, std::move(headers)});
  else
    curl_easy_cleanup(easy);
}

void CFHTTPDriver::resume(CURL* easy) {
  ++impl_->depth;
  curl_easy_pause(easy, CURLPAUSE_CONT);
  --impl_->depth;
  impl_->runKicks();
}

// ---- one transfer ----------------------------------------------------------------------------

CFHTTPTransfer::CFHTTPTransfer(std::shared_ptr<CFHTTPMessage> request,
                               std::shared_ptr<CFReadStream> body, Settings settings,
                               std::weak_ptr<CFHTTPTransferListener> listener)
    : request_(std::move(request)),
      body_(std::move(body)),
      settings_(std::move(settings)),
      listener_(std::move(listener)) {}

CFHTTPTransfer::~CFHTTPTransfer() {
  if (easy_) curl_easy_cleanup(easy_);
}

void CFHTTPTransfer::notify() {
  if (auto listener = listener_.lock()) listener->transferChanged();
}

bool CFHTTPTransfer::start(const std::shared_ptr<CFHTTPDriver>& driver) {
  driver_ = driver;
  if (body_ && !body_->open()) {
    std::lock_guard<std::mutex> lock(mutex_);
    error_ = body_->copyError();
    if (!error_) error_ = makeError(kCFErrorDomainCFNetwork, kCFURLErrorUnknown, "body stream");
    done_ = true;
  }
  if (done_) {
    notify();
    return true;
  }
  if (!configure()) return false;
  if (settings_.persistent && !settings_.connectionKey.empty()) {
    curl_easy_setopt(easy_, CURLOPT_SHARE, driver->acquireConnection(settings_.connectionKey));
    changed_ |= kChangedShare;
    holdsConnection_ = true;
  }
  if (!driver->add(this, easy_)) {
    releaseEasy();
    return false;
  }
  return true;
}

void CFHTTPTransfer::setDefaults(CURL* e) {
  // What every transfer wants; a transfer that needs something else puts it back when it gives
  // the handle up (restoreDefaults), so a pooled handle always starts from these.
  curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 0L);
  curl_easy_setopt(e, CURLOPT_HTTP_CONTENT_DECODING, 0L);
  curl_easy_setopt(e, CURLOPT_HTTP_TRANSFER_DECODING, 1L);
  curl_easy_setopt(e, CURLOPT_BUFFERSIZE, kReceiveBufferSize);
  curl_easy_setopt(e, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
  // Only the proxy the sender names; never the environment's.
  curl_easy_setopt(e, CURLOPT_PROXY, "");
  curl_easy_setopt(e, CURLOPT_HEADERFUNCTION, &CFHTTPTransfer::onHeader);
  curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, &CFHTTPTransfer::onWrite);
  curl_easy_setopt(e, CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_1));
  curl_easy_setopt(e, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(e, CURLOPT_SSL_VERIFYHOST, 2L);
  curl_easy_setopt(e, CURLOPT_FRESH_CONNECT, 0L);
  curl_easy_setopt(e, CURLOPT_FORBID_REUSE, 0L);
}

void CFHTTPTransfer::restoreDefaults() {
  CURL* e = easy_;
  // Let go of the share, so that it can end, and of the lists this transfer frees.
  if (changed_ & kChangedShare) curl_easy_setopt(e, CURLOPT_SHARE, nullptr);
  curl_easy_setopt(e, CURLOPT_ERRORBUFFER, nullptr);
  curl_easy_setopt(e, CURLOPT_HTTPHEADER, nullptr);
  if (changed_ & kChangedConnectTo) curl_easy_setopt(e, CURLOPT_CONNECT_TO, nullptr);
  if (changed_ & kChangedMethod) {
    // Back to a plain GET (a body pointer of its own makes curl think of a POST, hence the
    // order).
    curl_easy_setopt(e, CURLOPT_POSTFIELDS, nullptr);
    curl_easy_setopt(e, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(-1));
    curl_easy_setopt(e, CURLOPT_CUSTOMREQUEST, nullptr);
    curl_easy_setopt(e, CURLOPT_READFUNCTION, nullptr);
    curl_easy_setopt(e, CURLOPT_READDATA, nullptr);
    curl_easy_setopt(e, CURLOPT_SEEKFUNCTION, nullptr);
    curl_easy_setopt(e, CURLOPT_SEEKDATA, nullptr);
    curl_easy_setopt(e, CURLOPT_NOBODY, 0L);
    curl_easy_setopt(e, CURLOPT_HTTPGET, 1L);
  }
  if (changed_ & kChangedProxy) curl_easy_setopt(e, CURLOPT_PROXY, "");
  if (changed_ & kChangedVersion)
    curl_easy_setopt(e, CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_1));
  if (changed_ & kChangedVerify) {
    curl_easy_setopt(e, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(e, CURLOPT_SSL_VERIFYHOST, 2L);
  }
  if (changed_ & kChangedSSLContext) {
    curl_easy_setopt(e, CURLOPT_SSL_CTX_FUNCTION, nullptr);
    curl_easy_setopt(e, CURLOPT_SSL_CTX_DATA, nullptr);
  }
  if (changed_ & kChangedFresh) {
    curl_easy_setopt(e, CURLOPT_FRESH_CONNECT, 0L);
    curl_easy_setopt(e, CURLOPT_FORBID_REUSE, 0L);
  }
  changed_ = 0;
}

void CFHTTPTransfer::buildHeaderList(bool sendsBody) {
  // The lines in one buffer and the list's links in another: curl only reads the list, and
  // both live until the handle is given up.
  const auto& fields = request_->allHeaderFields();
  const bool blankContentType = sendsBody && !request_->headerFieldValue("Content-Type");
  constexpr std::string_view kNoExpect = "Expect:";
  constexpr std::string_view kNoContentType = "Content-Type:";
  size_t size = kNoExpect.size() + 1 + kNoContentType.size() + 1;
  for (auto& [name, value] : fields) size += name.size() + 2 + value.size() + 1;
  std::string& text = headers_.text;
  std::vector<curl_slist>& nodes = headers_.nodes;
  text.clear();
  text.reserve(size);  // enough, so the lines never move while the list is built
  nodes.clear();
  nodes.reserve(fields.size() + 2);
  auto addLine = [&](std::string_view a, std::string_view b, std::string_view c) {
    nodes.push_back(curl_slist{text.data() + text.size(), nullptr});
    text.append(a).append(b).append(c).push_back('\0');
  };
  for (auto& [name, value] : fields) addLine(name, value.empty() ? ";" : ": ", value);
  // curl's own additions that the message did not ask for.
  addLine(kNoExpect, {}, {});
  if (blankContentType) addLine(kNoContentType, {}, {});
  for (size_t i = 0; i + 1 < nodes.size(); ++i) nodes[i].next = &nodes[i + 1];
}

bool CFHTTPTransfer::configure() {
  auto driver = driver_.lock();
  if (driver) {
    easy_ = driver->takeEasy(headers_);
  } else if ((easy_ = curl_easy_init())) {
    setDefaults(easy_);
  }
  if (!easy_) return false;
  CURL* e = easy_;
  changed_ = 0;
  curl_easy_setopt(e, CURLOPT_URL, request_->requestURL().c_str());
  curl_easy_setopt(e, CURLOPT_ERRORBUFFER, errorBuffer_);
  curl_easy_setopt(e, CURLOPT_HEADERDATA, this);
  curl_easy_setopt(e, CURLOPT_WRITEDATA, this);
  if (!settings_.proxy.empty()) {
    curl_easy_setopt(e, CURLOPT_PROXY, settings_.proxy.c_str());
    changed_ |= kChangedProxy;
  }
  if (request_->version() == kCFHTTPVersion1_0) {
    curl_easy_setopt(e, CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_0));
    changed_ |= kChangedVersion;
  }

  const std::string& method = request_->requestMethod();
  // Compared as a view, which looks at the sizes first.
  const std::string_view verb = method;
  const bool sendsBody = body_ || verb == "POST" || verb == "PUT" || verb == "PATCH";
  if (verb != "GET" || body_) changed_ |= kChangedMethod;
  if (body_) {
    curl_easy_setopt(e, CURLOPT_POST, 1L);
    curl_easy_setopt(e, CURLOPT_READFUNCTION, &CFHTTPTransfer::onRead);
    curl_easy_setopt(e, CURLOPT_READDATA, this);
    curl_easy_setopt(e, CURLOPT_SEEKFUNCTION, &CFHTTPTransfer::onSeek);
    curl_easy_setopt(e, CURLOPT_SEEKDATA, this);
    curl_off_t length = -1;
    if (auto v = request_->headerFieldValue("Content-Length")) {
      char* end = nullptr;
      unsigned long long n = std::strtoull(v->c_str(), &end, 10);
      if (end != v->c_str()) length = curl_off_t(n);
    }
    curl_easy_setopt(e, CURLOPT_POSTFIELDSIZE_LARGE, length);
    if (verb != "POST") curl_easy_setopt(e, CURLOPT_CUSTOMREQUEST, method.c_str());
  } else if (verb == "POST" || verb == "PUT" || verb == "PATCH") {
    // An empty body still says so, or servers wait for one.
    curl_easy_setopt(e, CURLOPT_POSTFIELDS, "");
    curl_easy_setopt(e, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(0));
    if (verb != "POST") curl_easy_setopt(e, CURLOPT_CUSTOMREQUEST, method.c_str());
  } else if (verb == "GET") {
    // A pooled handle is already set for a GET.
  } else if (verb == "HEAD") {
    curl_easy_setopt(e, CURLOPT_NOBODY, 1L);
  } else {
    curl_easy_setopt(e, CURLOPT_CUSTOMREQUEST, method.c_str());
  }

  buildHeaderList(sendsBody);
  curl_easy_setopt(e, CURLOPT_HTTPHEADER, headers_.nodes.data());

  connectTo_ = CFNetworkHostMappingList();
  if (connectTo_) {
    curl_easy_setopt(e, CURLOPT_CONNECT_TO, const_cast<curl_slist*>(connectTo_.get()));
    changed_ |= kChangedConnectTo;
  }

  if (!settings_.verifyPeer || !settings_.verifyHost) {
    curl_easy_setopt(e, CURLOPT_SSL_VERIFYPEER, settings_.verifyPeer ? 1L : 0L);
    curl_easy_setopt(e, CURLOPT_SSL_VERIFYHOST, settings_.verifyHost ? 2L : 0L);
    changed_ |= kChangedVerify;
  }
  if (settings_.verifyPeer && CFNetworkHasTrustedCertificates()) {
    curl_easy_setopt(e, CURLOPT_SSL_CTX_FUNCTION, &CFHTTPTransfer::onSSLContext);
    curl_easy_setopt(e, CURLOPT_SSL_CTX_DATA, this);
    changed_ |= kChangedSSLContext;
  }

  if (!settings_.persistent) {
    curl_easy_setopt(e, CURLOPT_FRESH_CONNECT, 1L);
    curl_easy_setopt(e, CURLOPT_FORBID_REUSE, 1L);
    changed_ |= kChangedFresh;
  }
  return true;
}

CURLcode CFHTTPTransfer::onSSLContext(CURL*, void* sslContext, void*) {
  auto* ctx = static_cast<SSL_CTX*>(sslContext);
  CFNetworkAddTrustedCertificatesToStore(SSL_CTX_get_cert_store(ctx));
  return CURLE_OK;
}

size_t CFHTTPTransfer::onHeader(char* data, size_t size, size_t n, void* self) {
  auto* t = static_cast<CFHTTPTransfer*>(self);
  size_t length = size * n;
  std::string_view line(data, length);
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  // The response is built here only, on the driver's thread: other threads see it once it is
  // complete and published.
  if (t->response_) return length;  // trailers
  bool complete = false;
  if (line.size() >= 5 && line.substr(0, 5) == "HTTP/") {
    t->parsing_ = CFHTTPMessage::createEmptyResponse();
    if (!t->parsing_->setStatusLine(line)) t->parsing_.reset();
  } else if (line.empty()) {
    if (t->parsing_) {
      int code = t->parsing_->responseStatusCode();
      if (code >= 100 && code < 200 && code != 101) {
        t->parsing_.reset();  // an interim reply; the real one follows
      } else {
        t->parsing_->setHeaderComplete();
        t->response_ = std::move(t->parsing_);
        t->hasResponse_.store(true, std::memory_order_release);
        complete = true;
      }
    }
  } else if (t->parsing_) {
    size_t colon = line.find(':');
    if (colon != std::string_view::npos)
      t->parsing_->appendHeaderLine(trim(line.substr(0, colon)), trim(line.substr(colon + 1)));
  }
  if (complete) t->notify();
  return length;
}

size_t CFHTTPTransfer::onWrite(char* data, size_t size, size_t n, void* self) {
  auto* t = static_cast<CFHTTPTransfer*>(self);
  size_t length = size * n;
  bool wasEmpty;
  {
    std::lock_guard<std::mutex> lock(t->mutex_);
    if (t->stopped_) return length;
    if (t->buffered_ >= kPauseAbove) {
      t->paused_ = true;
      return CURL_WRITEFUNC_PAUSE;
    }
    wasEmpty = t->buffered_ == 0;
    // Bytes already read are dropped before the buffer grows, once they are the larger part
    // (so that each byte moves at most once more on average).
    if (t->readOffset_ > 0 && t->readOffset_ >= t->received_.size() / 2) {
      t->received_.erase(0, t->readOffset_);
      t->readOffset_ = 0;
    }
    t->received_.append(data, length);
    t->buffered_ += length;
  }
  if (wasEmpty) t->notify();
  return length;
}

size_t CFHTTPTransfer::onRead(char* data, size_t size, size_t n, void* self) {
  auto* t = static_cast<CFHTTPTransfer*>(self);
  long r = t->body_->read(reinterpret_cast<uint8_t*>(data), size * n);
  std::lock_guard<std::mutex> lock(t->mutex_);
  if (r < 0) {
    t->bodyError_ = t->body_->copyError();
    return CURL_READFUNC_ABORT;
  }
  t->bytesWritten_.fetch_add(uint64_t(r), std::memory_order_relaxed);
  return size_t(r);
}

int CFHTTPTransfer::onSeek(void* self, curl_off_t offset, int origin) {
  auto* t = static_cast<CFHTTPTransfer*>(self);
  // Only a body nothing was taken from yet can start over.
  if (offset == 0 && origin == SEEK_SET && t->bytesWritten_ == 0) return CURL_SEEKFUNC_OK;
  return CURL_SEEKFUNC_CANTSEEK;
}

void CFHTTPTransfer::finish(CURLcode result) {
  NSErrorPtr error;
  if (result != CURLE_OK) {
    long osErrno = 0, verify = 0;
    curl_easy_getinfo(easy_, CURLINFO_OS_ERRNO, &osErrno);
    curl_easy_getinfo(easy_, CURLINFO_SSL_VERIFYRESULT, &verify);
    std::lock_guard<std::mutex> lock(mutex_);
    if ((result == CURLE_ABORTED_BY_CALLBACK || result == CURLE_READ_ERROR) && bodyError_)
      error = bodyError_;
    else
      error = streamError(result, osErrno, verify, errorBuffer_);
  }
  releaseEasy();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!error && !response_)
      error = makeError(kCFErrorDomainCFNetwork, kCFURLErrorCannotParseResponse,
                        "The server's reply has no HTTP header");
    error_ = error;
    done_ = true;  // last: a reader that sees it done finds the error set
  }
  notify();
}

void CFHTTPTransfer::releaseEasy() {
  if (!easy_) return;
  if (auto driver = driver_.lock()) {
    driver->remove(easy_);
    restoreDefaults();
    driver->giveBackEasy(easy_, std::move(headers_));
  } else {
    curl_easy_cleanup(easy_);
  }
  easy_ = nullptr;
  headers_.nodes.clear();
  connectTo_.reset();
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
  releaseEasy();
  if (holdsConnection_ && driver) driver->releaseConnection(settings_.connectionKey);
  holdsConnection_ = false;
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
    if (paused_ && buffered_ < kResumeBelow) {
      paused_ = false;
      resume = easy_ != nullptr;
    }
    if (copied == 0 && done_ && error_) return -1;
  }
  if (resume) {
    if (auto driver = driver_.lock()) {
      std::weak_ptr<CFHTTPTransfer> weak = weak_from_this();
      driver->perform([weak, driver] {
        auto self = weak.lock();
        if (self && self->easy_) driver->resume(self->easy_);
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

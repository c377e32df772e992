#include "CFNetwork/CFHTTPConnection.h"

#include <openssl/ssl.h>
#include <openssl/x509_vfy.h>
#include <poll.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <map>

#include "CFNetwork/CFNetworkErrors.h"
#include "CFNetwork/CFNetworkTrust.h"
#include "Foundation/Clock.h"
#include "Foundation/NSRunLoop.h"
#include "Foundation/NSString.h"

namespace {

// How long a connection without a group stays idle, and how many of them are kept.
constexpr double kCommonIdleSeconds = 118;
constexpr size_t kMaxCommonIdle = 16;

void initCurlOnce() {
  static const bool done = [] {
    curl_global_init(CURL_GLOBAL_DEFAULT);
    return true;
  }();
  (void)done;
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
      return CFHTTPStreamError(kCFErrorDomainCFNetwork, kCFURLErrorCannotFindHost, text);
    case CURLE_COULDNT_CONNECT:
      if (osErrno == ECONNREFUSED)
        return CFHTTPStreamError(kCFErrorDomainPOSIX, kPOSIXErrorECONNREFUSED, text);
      // No interface leads to the network at all.
      if (osErrno == ENETUNREACH)
        return CFHTTPStreamError(kCFErrorDomainCFNetwork, kCFURLErrorNotConnectedToInternet, text);
      return CFHTTPStreamError(kCFErrorDomainCFNetwork, kCFURLErrorCannotConnectToHost, text);
    case CURLE_OPERATION_TIMEDOUT:
      return CFHTTPStreamError(kCFErrorDomainPOSIX, kPOSIXErrorETIMEDOUT, text);
    case CURLE_SEND_ERROR:
      if (osErrno == EPIPE) return CFHTTPStreamError(kCFErrorDomainPOSIX, kPOSIXErrorEPIPE, text);
      if (osErrno == ENOTCONN)
        return CFHTTPStreamError(kCFErrorDomainPOSIX, kPOSIXErrorENOTCONN, text);
      return CFHTTPStreamError(kCFErrorDomainCFNetwork, kCFURLErrorNetworkConnectionLost, text);
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_PARTIAL_FILE:
      return CFHTTPStreamError(kCFErrorDomainCFNetwork, kCFURLErrorNetworkConnectionLost, text);
    case CURLE_PEER_FAILED_VERIFICATION:
      return CFHTTPStreamError(kCFErrorDomainOSStatus, sslStatusForVerifyResult(verifyResult),
                               text);
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_ENGINE_NOTFOUND:
    case CURLE_SSL_ENGINE_SETFAILED:
    case CURLE_SSL_ENGINE_INITFAILED:
    case CURLE_SSL_SHUTDOWN_FAILED:
    case CURLE_USE_SSL_FAILED:
      return CFHTTPStreamError(kCFErrorDomainOSStatus, errSSLProtocol, text);
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CRL_BADFILE:
      return CFHTTPStreamError(kCFErrorDomainOSStatus, errSSLBadCert, text);
    case CURLE_SSL_CIPHER:
      return CFHTTPStreamError(kCFErrorDomainOSStatus, errSSLBadCipherSuite, text);
    case CURLE_SSL_CACERT_BADFILE:
      return CFHTTPStreamError(kCFErrorDomainOSStatus, errSSLNoRootCert, text);
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
      return CFHTTPStreamError(kCFErrorDomainOSStatus, errSSLXCertChainInvalid, text);
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_URL_MALFORMAT:
      return CFHTTPStreamError(kCFErrorDomainCFNetwork, kCFURLErrorUnsupportedURL, text);
    case CURLE_WEIRD_SERVER_REPLY:
      return CFHTTPStreamError(kCFErrorDomainCFNetwork, kCFURLErrorBadServerResponse, text);
    default:
      return CFHTTPStreamError(kCFErrorDomainCFNetwork, kCFURLErrorUnknown, text);
  }
}

// The scheme, host and port of a URL, lower-cased where case does not count.
std::string originOf(std::string_view url) {
  size_t scheme = url.find("://");
  if (scheme == std::string_view::npos) return std::string(url);
  size_t end = url.find_first_of("/?#", scheme + 3);
  std::string origin = lowercaseASCIIString(url.substr(0, end));
  size_t at = origin.rfind('@');
  if (at != std::string::npos && at > scheme) origin.erase(scheme + 3, at - scheme - 2);
  return origin;
}

}  // namespace

NSErrorPtr CFHTTPStreamError(std::string_view domain, long code, const std::string& text) {
  auto info = makeDictionary({{std::string(NSLocalizedDescriptionKey), Value(text)},
                              {std::string(kCFStreamErrorTransportDescriptionKey), Value(text)}});
  return NSError::errorWithDomain(domain, code, Value(info));
}

std::string CFHTTPTarget::poolKey() const {
  // Host mappings in force when the connection was made are part of where it goes.
  std::string key = originOf(url);
  key.append(1, '\n').append(proxy);
  key.append(verifyPeer ? "\nP" : "\np").append(verifyHost ? "H\n" : "h\n");
  key.append(std::to_string(CFNetworkHostMappingGeneration()));
  return key;
}

// ---- the driver ------------------------------------------------------------------------------

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

CFHTTPDriver::CFHTTPDriver(const std::shared_ptr<NSRunLoop>& loop) : loop_(loop) {}

CFHTTPDriver::~CFHTTPDriver() {
  for (auto& idle : idle_) idle.connection->close();
}

bool CFHTTPDriver::isOnDriverThread() const {
  auto loop = loop_.lock();
  return loop && NSRunLoop::currentRunLoop() == loop;
}

void CFHTTPDriver::addMode(std::string_view mode) {
  auto loop = loop_.lock();
  if (!loop) return;
  if (std::find(modes_.begin(), modes_.end(), mode) != modes_.end()) return;
  modes_.emplace_back(mode);
  for (auto& weak : sources_)
    if (auto source = weak.lock()) loop->addFdSource(source, mode);
}

void CFHTTPDriver::watch(const std::shared_ptr<RunLoopFdSource>& source) {
  auto loop = loop_.lock();
  if (!loop) return;
  // Sources that went are dropped from the list now and then, before it grows.
  if (sources_.size() == sources_.capacity())
    std::erase_if(sources_, [](const auto& w) { return w.expired(); });
  sources_.push_back(source);
  for (auto& mode : modes_) loop->addFdSource(source, mode);
}

void CFHTTPDriver::perform(std::function<void()> block) {
  if (isOnDriverThread()) {
    block();
    return;
  }
  auto loop = loop_.lock();
  if (!loop) return;
  std::vector<std::string> modes = modes_;
  modes.emplace_back(NSRunLoopCommonModes);
  loop->performBlock(std::move(block), std::move(modes));
}

void CFHTTPDriver::later(std::function<void()> block) {
  auto loop = loop_.lock();
  if (!loop) return;
  std::vector<std::string> modes = modes_;
  modes.emplace_back(NSRunLoopCommonModes);
  loop->performBlock(std::move(block), std::move(modes));
}

void CFHTTPDriver::joinGroup(const std::string& group) {
  ++groups_[group];
}

void CFHTTPDriver::leaveGroup(const std::string& group) {
  auto it = groups_.find(group);
  if (it == groups_.end()) return;
  if (--it->second > 0) return;
  groups_.erase(it);
  std::string prefix = group + '\x1e';
  closeIdle([&](const Idle& idle) { return idle.key.compare(0, prefix.size(), prefix) == 0; });
}

void CFHTTPDriver::closeIdle(const std::function<bool(const Idle&)>& which) {
  std::vector<std::shared_ptr<CFHTTPConnection>> closing;
  std::erase_if(idle_, [&](const Idle& idle) {
    if (!which(idle)) return false;
    closing.push_back(idle.connection);
    return true;
  });
  for (auto& c : closing) c->close();
}

std::shared_ptr<CFHTTPConnection> CFHTTPDriver::takeIdle(const std::string& group,
                                                         const CFHTTPTarget& target) {
  if (idle_.empty()) return nullptr;
  const double now = steadySeconds();
  closeIdle([&](const Idle& idle) {
    return idle.key[0] == '\x1e' && now - idle.since > kCommonIdleSeconds;
  });
  std::string key = group + '\x1e' + target.poolKey();
  // The most recent first: it is the likeliest to be still open.
  for (size_t i = idle_.size(); i-- > 0;) {
    if (idle_[i].key != key) continue;
    auto connection = std::move(idle_[i].connection);
    idle_.erase(idle_.begin() + long(i));
    if (connection->isQuiet()) return connection;
    connection->close();
  }
  return nullptr;
}

void CFHTTPDriver::keepIdle(const std::string& group, const CFHTTPTarget& target,
                            std::shared_ptr<CFHTTPConnection> connection) {
  if (!group.empty() && !groups_.count(group)) {
    connection->close();
    return;
  }
  connection->setHandler(nullptr);
  idle_.push_back({group + '\x1e' + target.poolKey(), std::move(connection), steadySeconds()});
  if (group.empty()) {
    size_t common = 0;
    for (auto& idle : idle_) common += idle.key[0] == '\x1e';
    if (common > kMaxCommonIdle) {
      bool first = true;
      closeIdle([&](const Idle& idle) {
        bool oldest = first && idle.key[0] == '\x1e';
        if (oldest) first = false;
        return oldest;
      });
    }
  }
}

// ---- one connection --------------------------------------------------------------------------

struct CFHTTPConnection::Impl {
  CFHTTPConnection* owner = nullptr;
  std::weak_ptr<CFHTTPDriver> driver;
  CURLM* multi = nullptr;
  CURL* easy = nullptr;
  std::shared_ptr<const curl_slist> connectTo;
  char errorBuffer[CURL_ERROR_SIZE] = {};
  bool closed = false;

  // While connecting: curl's sockets and timer.
  Connected connected;
  std::map<curl_socket_t, std::shared_ptr<RunLoopFdSource>> connectSources;
  int timerFd = -1;
  std::shared_ptr<RunLoopFdSource> timerSource;
  double wantedDeadline = -1;
  double armedDeadline = -1;
  bool kickNow = false;
  int depth = 0;  // curl calls in progress

  // Once connected.
  curl_socket_t fd = CURL_SOCKET_BAD;
  std::shared_ptr<RunLoopFdSource> source;
  Handler handler;

  std::shared_ptr<RunLoopFdSource> newSource(int fd, int events, RunLoopFdSource::Callback cb) {
    auto s = std::make_shared<RunLoopFdSource>(fd, events, std::move(cb));
    if (auto d = driver.lock()) d->watch(s);
    return s;
  }

  static int onSocket(CURL*, curl_socket_t fd, int what, void* userp, void*) {
    auto* impl = static_cast<Impl*>(userp);
    int events = 0;
    if (what & CURL_POLL_IN) events |= RunLoopFdSource::Read;
    if (what & CURL_POLL_OUT) events |= RunLoopFdSource::Write;
    if (what == CURL_POLL_REMOVE) events = 0;
    auto it = impl->connectSources.find(fd);
    if (it != impl->connectSources.end()) {
      if (it->second->events() != events) it->second->setEvents(events);
      return 0;
    }
    if (events == 0) return 0;
    std::weak_ptr<CFHTTPConnection> weak = impl->owner->weak_from_this();
    impl->connectSources[fd] = impl->newSource(fd, events, [weak](int s, int revents) {
      if (auto c = weak.lock()) c->impl_->socketReady(s, revents);
    });
    return 0;
  }

  // Every socket curl closes comes here, so that its source goes before the descriptor's number
  // can be handed out again.
  static int onCloseSocket(void* userp, curl_socket_t fd) {
    auto* impl = static_cast<Impl*>(userp);
    auto it = impl->connectSources.find(fd);
    if (it != impl->connectSources.end()) {
      it->second->invalidate();
      impl->connectSources.erase(it);
    }
    if (impl->source && impl->source->fd() == fd) {
      impl->source->invalidate();
      impl->source.reset();
    }
    return ::close(fd);
  }

  // curl's timer while connecting: a wish for "now" is served right after the curl call that
  // made it returns, later ones arm the timer descriptor.
  static int onTimer(CURLM*, long timeoutMs, void* userp) {
    auto* impl = static_cast<Impl*>(userp);
    if (timeoutMs < 0) {
      impl->wantedDeadline = -1;
      return 0;
    }
    impl->wantedDeadline = steadySeconds() + double(timeoutMs) / 1000.0;
    if (timeoutMs == 0) {
      impl->kickNow = true;
      if (impl->depth == 0) impl->arm(impl->wantedDeadline);
    } else if (impl->armedDeadline < 0 || impl->wantedDeadline < impl->armedDeadline) {
      impl->arm(impl->wantedDeadline);
    }
    return 0;
  }

  void arm(double deadline) {
    if (timerFd < 0) return;
    itimerspec spec{};
    double delay = std::max(deadline - steadySeconds(), 0.0);
    spec.it_value.tv_sec = time_t(delay);
    spec.it_value.tv_nsec = long((delay - double(spec.it_value.tv_sec)) * 1e9);
    // A zero value would disarm the timer: "now" is one nanosecond away.
    if (spec.it_value.tv_sec == 0 && spec.it_value.tv_nsec == 0) spec.it_value.tv_nsec = 1;
    timerfd_settime(timerFd, 0, &spec, nullptr);
    armedDeadline = deadline;
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

  void socketReady(curl_socket_t s, int revents) {
    int flags = 0;
    if (revents & (POLLIN | POLLHUP)) flags |= CURL_CSELECT_IN;
    if (revents & POLLOUT) flags |= CURL_CSELECT_OUT;
    if (revents & POLLERR) flags |= CURL_CSELECT_ERR;
    action(s, flags);
  }

  // One curl call, then every "now" it asked for, then the outcome once there is one.
  void action(curl_socket_t s, int flags) {
    if (!multi || !connected) return;
    auto keep = owner->shared_from_this();
    int running = 0;
    ++depth;
    curl_multi_socket_action(multi, s, flags, &running);
    while (kickNow) {
      kickNow = false;
      curl_multi_socket_action(multi, CURL_SOCKET_TIMEOUT, 0, &running);
    }
    --depth;
    int left = 0;
    while (CURLMsg* msg = curl_multi_info_read(multi, &left)) {
      if (msg->msg == CURLMSG_DONE && msg->easy_handle == easy) {
        connectEnded(msg->data.result);
        return;
      }
    }
  }

  void stopConnecting() {
    for (auto& [s, source] : connectSources) source->invalidate();
    connectSources.clear();
    if (timerSource) timerSource->invalidate();
    timerSource.reset();
    if (timerFd >= 0) ::close(timerFd);
    timerFd = -1;
  }

  void connectEnded(CURLcode result) {
    Connected tell = std::move(connected);
    connected = nullptr;
    NSErrorPtr error;
    if (result == CURLE_OK) {
      curl_socket_t active = CURL_SOCKET_BAD;
      if (curl_easy_getinfo(easy, CURLINFO_ACTIVESOCKET, &active) != CURLE_OK ||
          active == CURL_SOCKET_BAD)
        error = CFHTTPStreamError(kCFErrorDomainCFNetwork, kCFURLErrorCannotConnectToHost,
                                  "The connection has no socket");
      fd = active;
    } else {
      long osErrno = 0, verify = 0;
      curl_easy_getinfo(easy, CURLINFO_OS_ERRNO, &osErrno);
      curl_easy_getinfo(easy, CURLINFO_SSL_VERIFYRESULT, &verify);
      error = streamError(result, osErrno, verify, errorBuffer);
    }
    stopConnecting();
    if (error) {
      owner->close();
    } else {
      std::weak_ptr<CFHTTPConnection> weak = owner->weak_from_this();
      source = newSource(fd, 0, [weak](int, int revents) {
        auto c = weak.lock();
        if (!c) return;
        Handler h = c->impl_->handler;  // the handler may change or go while it runs
        if (h) h(revents);
      });
    }
    if (tell) tell(error);
  }

  static CURLcode onSSLContext(CURL*, void* sslContext, void*) {
    CFNetworkAddTrustedCertificatesToStore(
        SSL_CTX_get_cert_store(static_cast<SSL_CTX*>(sslContext)));
    return CURLE_OK;
  }
};

CFHTTPConnection::CFHTTPConnection() : impl_(std::make_unique<Impl>()) {
  impl_->owner = this;
}

CFHTTPConnection::~CFHTTPConnection() {
  close();
}

std::shared_ptr<CFHTTPConnection> CFHTTPConnection::connect(
    const std::shared_ptr<CFHTTPDriver>& driver, const CFHTTPTarget& target, Connected connected) {
  initCurlOnce();
  auto c = std::make_shared<CFHTTPConnection>();
  Impl& impl = *c->impl_;
  impl.driver = driver;
  impl.connected = std::move(connected);
  // Fails the connection, reported from the loop as every outcome is.
  auto fail = [&](long code, const char* text) {
    auto tell = std::move(impl.connected);
    impl.connected = nullptr;
    c->close();
    driver->later(
        [tell, code, text] { tell(CFHTTPStreamError(kCFErrorDomainCFNetwork, code, text)); });
    return c;
  };
  if (CFNetworkTakeFailedHostLookup(target.url))
    return fail(kCFURLErrorCannotFindHost, "Could not resolve host (a lookup a test made fail)");
  impl.multi = curl_multi_init();
  impl.easy = curl_easy_init();
  impl.timerFd = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
  if (!impl.multi || !impl.easy || impl.timerFd < 0)
    return fail(kCFURLErrorUnknown, "Out of resources for a connection");
  CURLM* m = impl.multi;
  curl_multi_setopt(m, CURLMOPT_SOCKETFUNCTION, &Impl::onSocket);
  curl_multi_setopt(m, CURLMOPT_SOCKETDATA, &impl);
  curl_multi_setopt(m, CURLMOPT_TIMERFUNCTION, &Impl::onTimer);
  curl_multi_setopt(m, CURLMOPT_TIMERDATA, &impl);

  CURL* e = impl.easy;
  curl_easy_setopt(e, CURLOPT_URL, target.url.c_str());
  curl_easy_setopt(e, CURLOPT_CONNECT_ONLY, 1L);
  curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
  // The streams speak HTTP/1.1 on the connection, so TLS must not agree on another.
  curl_easy_setopt(e, CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_1));
  curl_easy_setopt(e, CURLOPT_ERRORBUFFER, impl.errorBuffer);
  curl_easy_setopt(e, CURLOPT_CLOSESOCKETFUNCTION, &Impl::onCloseSocket);
  curl_easy_setopt(e, CURLOPT_CLOSESOCKETDATA, &impl);
  // Only the proxy the sender names, never the environment's; an HTTP proxy is a tunnel.
  curl_easy_setopt(e, CURLOPT_PROXY, target.proxy.c_str());
  if (!target.proxy.empty() && target.proxy.rfind("http", 0) == 0)
    curl_easy_setopt(e, CURLOPT_HTTPPROXYTUNNEL, 1L);
  impl.connectTo = CFNetworkHostMappingList();
  if (impl.connectTo)
    curl_easy_setopt(e, CURLOPT_CONNECT_TO, const_cast<curl_slist*>(impl.connectTo.get()));
  curl_easy_setopt(e, CURLOPT_SSL_VERIFYPEER, target.verifyPeer ? 1L : 0L);
  curl_easy_setopt(e, CURLOPT_SSL_VERIFYHOST, target.verifyHost ? 2L : 0L);
  if (target.verifyPeer && CFNetworkHasTrustedCertificates())
    curl_easy_setopt(e, CURLOPT_SSL_CTX_FUNCTION, &Impl::onSSLContext);

  std::weak_ptr<CFHTTPConnection> weak = c;
  impl.timerSource = impl.newSource(impl.timerFd, RunLoopFdSource::Read, [weak](int, int) {
    if (auto conn = weak.lock()) conn->impl_->timerFired();
  });
  ++impl.depth;
  CURLMcode added = curl_multi_add_handle(m, e);
  --impl.depth;
  // Whatever curl wants now happens on the loop's next pass, never inside this call.
  impl.kickNow = false;
  impl.wantedDeadline = steadySeconds();
  impl.arm(impl.wantedDeadline);
  if (added != CURLM_OK) {
    auto tell = std::move(impl.connected);
    impl.connected = nullptr;
    c->close();
    driver->later([tell] {
      tell(CFHTTPStreamError(kCFErrorDomainCFNetwork, kCFURLErrorUnknown,
                             "The connection could not be started"));
    });
  }
  return c;
}

void CFHTTPConnection::setHandler(Handler handler) {
  impl_->handler = std::move(handler);
  if (!impl_->handler) setInterest(0);
}

void CFHTTPConnection::setInterest(int events) {
  if (impl_->source && impl_->source->events() != events) impl_->source->setEvents(events);
}

bool CFHTTPConnection::isQuiet() const {
  if (impl_->closed || impl_->fd == CURL_SOCKET_BAD) return false;
  pollfd p{impl_->fd, POLLIN, 0};
  int n = ::poll(&p, 1, 0);
  return n == 0;
}

CFHTTPConnection::IO CFHTTPConnection::send(const char* data, size_t length, size_t* n,
                                            NSErrorPtr* error) {
  *n = 0;
  if (impl_->closed || impl_->fd == CURL_SOCKET_BAD) {
    *error = CFHTTPStreamError(kCFErrorDomainPOSIX, kPOSIXErrorENOTCONN, "Not connected");
    return IO::Failed;
  }
  CURLcode rc = curl_easy_send(impl_->easy, data, length, n);
  if (rc == CURLE_OK) return IO::Done;
  if (rc == CURLE_AGAIN) return IO::Again;
  long osErrno = 0;
  curl_easy_getinfo(impl_->easy, CURLINFO_OS_ERRNO, &osErrno);
  // curl answers a connection it no longer has with "unsupported protocol".
  if (rc == CURLE_UNSUPPORTED_PROTOCOL) rc = CURLE_SEND_ERROR;
  *error = streamError(rc, osErrno, 0, impl_->errorBuffer);
  return IO::Failed;
}

CFHTTPConnection::IO CFHTTPConnection::receive(char* buffer, size_t length, size_t* n,
                                               NSErrorPtr* error) {
  *n = 0;
  if (impl_->closed || impl_->fd == CURL_SOCKET_BAD) {
    *error = CFHTTPStreamError(kCFErrorDomainPOSIX, kPOSIXErrorENOTCONN, "Not connected");
    return IO::Failed;
  }
  CURLcode rc = curl_easy_recv(impl_->easy, buffer, length, n);
  if (rc == CURLE_OK) return *n == 0 ? IO::Ended : IO::Done;
  if (rc == CURLE_AGAIN) return IO::Again;
  long osErrno = 0;
  curl_easy_getinfo(impl_->easy, CURLINFO_OS_ERRNO, &osErrno);
  if (rc == CURLE_UNSUPPORTED_PROTOCOL) rc = CURLE_RECV_ERROR;
  *error = streamError(rc, osErrno, 0, impl_->errorBuffer);
  return IO::Failed;
}

void CFHTTPConnection::close() {
  Impl& impl = *impl_;
  if (impl.closed) return;
  impl.closed = true;
  impl.handler = nullptr;
  impl.connected = nullptr;
  impl.stopConnecting();
  if (impl.source) impl.source->invalidate();
  if (impl.multi && impl.easy) {
    ++impl.depth;
    // Closes the connection (and its socket, through onCloseSocket).
    curl_multi_remove_handle(impl.multi, impl.easy);
    --impl.depth;
  }
  if (impl.easy) curl_easy_cleanup(impl.easy);
  if (impl.multi) curl_multi_cleanup(impl.multi);
  impl.easy = nullptr;
  impl.multi = nullptr;
  impl.source.reset();
  impl.fd = CURL_SOCKET_BAD;
  impl.connectTo.reset();
}

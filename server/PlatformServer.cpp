#include "server/PlatformServer.h"

#include <httplib.h>

#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <stdexcept>

#include "server/HttplibRequest.h"
#include "server/PlatformService.h"
#include "server/loopback/LoopbackHost.h"

namespace zept::server {

class PlatformServer::Impl {
 public:
  explicit Impl(const Options& o) : options(o), service(o.dataFile) {}

  void handle(const httplib::Request& req, httplib::Response& res,
              const httplib::ContentReader* reader) {
    RecordedRequest rec = recordedRequestOf(req, reader);
    std::optional<EndpointScript> script;
    {
      std::lock_guard<std::mutex> lock(mutex);
      log.push_back(rec);
      auto it = scripts.find(lowercaseASCII(rec.path));
      if (it == scripts.end() || it->second.empty()) it = scripts.find("*");
      if (it != scripts.end() && !it->second.empty()) {
        script = it->second.front();
        if (it->second.front().remaining > 0 && --it->second.front().remaining == 0)
          it->second.pop_front();
      }
    }
    cv.notify_all();
    if (script && script->delay.count() > 0) {
      std::unique_lock<std::mutex> lock(mutex);
      if (cv.wait_for(lock, script->delay, [&] { return stopping; })) return;
    }
    ServerReply reply;
    if (script && (script->action == EndpointScript::Action::Fail ||
                   script->action == EndpointScript::Action::Reply)) {
      reply.status = script->status;
      reply.body = script->body;
      reply.contentType = script->contentType;
    } else {
      reply = service.handle(rec);
    }
    res.status = reply.status;
    for (auto& [k, v] : reply.headers) res.set_header(k.c_str(), v);
    res.set_content(reply.body, reply.contentType.c_str());
    std::lock_guard<std::mutex> lock(mutex);
    for (auto it = log.rbegin(); it != log.rend(); ++it) {
      if (it->remotePort == rec.remotePort && it->status == 0) {
        it->status = reply.status;
        break;
      }
    }
  }

  Options options;
  PlatformService service;
  std::unique_ptr<loopback::LoopbackHost> host;
  int port = 0;
  mutable std::mutex mutex;
  mutable std::condition_variable cv;
  bool stopping = false;
  std::deque<RecordedRequest> log;
  std::map<std::string, std::deque<EndpointScript>> scripts;
};

PlatformServer::PlatformServer() : PlatformServer(Options{}) {}

PlatformServer::PlatformServer(Options options) : impl_(std::make_unique<Impl>(options)) {}

PlatformServer::~PlatformServer() {
  stop();
}

bool PlatformServer::isSecure() const {
  return !impl_->options.certificateFile.empty() && !impl_->options.keyFile.empty();
}

int PlatformServer::start(int port) {
  if (impl_->host && impl_->host->isRunning()) return impl_->port;
  std::unique_ptr<httplib::Server> server;
  if (isSecure()) {
    auto secure = std::make_unique<httplib::SSLServer>(impl_->options.certificateFile.c_str(),
                                                       impl_->options.keyFile.c_str());
    if (!secure->is_valid())
      throw std::runtime_error("platform server: the certificate or key does not load");
    server = std::move(secure);
  } else {
    server = std::make_unique<httplib::Server>();
  }
  server->set_keep_alive_max_count(100);
  {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->stopping = false;
  }
  Impl* impl = impl_.get();
  auto host = loopback::LoopbackHost::serveAll(
      std::move(server),
      [impl](const httplib::Request& req, httplib::Response& res,
             const httplib::ContentReader* reader) { impl->handle(req, res, reader); },
      impl_->options.connectionThreads, port, "platform server");
  int bound = host->port();
  impl_->port = bound;
  impl_->host = std::move(host);
  return bound;
}

void PlatformServer::stop() {
  if (!impl_ || !impl_->host) return;
  {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->stopping = true;
  }
  impl_->cv.notify_all();
  impl_->host->stop();
  impl_->host.reset();
}

int PlatformServer::port() const {
  return impl_->port;
}

std::vector<RecordedRequest> PlatformServer::requests() const {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  return {impl_->log.begin(), impl_->log.end()};
}

std::vector<RecordedRequest> PlatformServer::requests(std::string_view path) const {
  std::string wanted = lowercaseASCII(path);
  std::lock_guard<std::mutex> lock(impl_->mutex);
  std::vector<RecordedRequest> out;
  for (auto& r : impl_->log)
    if (lowercaseASCII(r.path) == wanted) out.push_back(r);
  return out;
}

void PlatformServer::clearRequests() {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  impl_->log.clear();
}

bool PlatformServer::waitForRequests(std::string_view path, size_t count,
                                     std::chrono::milliseconds timeout) const {
  std::string wanted = lowercaseASCII(path);
  std::unique_lock<std::mutex> lock(impl_->mutex);
  return impl_->cv.wait_for(lock, timeout, [&] {
    size_t n = 0;
    for (auto& r : impl_->log)
      if (lowercaseASCII(r.path) == wanted) ++n;
    return n >= count;
  });
}

void PlatformServer::script(std::string_view path, EndpointScript script) {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  impl_->scripts[path == "*" ? std::string("*") : lowercaseASCII(path)].push_back(
      std::move(script));
}

void PlatformServer::clearScripts() {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  impl_->scripts.clear();
}

std::string PlatformServer::issueToken(int64_t userId) {
  return impl_->service.issueToken(userId);
}

void PlatformServer::revokeToken(const std::string& token) {
  impl_->service.revokeToken(token);
}

void PlatformServer::expireToken(const std::string& token) {
  impl_->service.expireToken(token);
}

bool PlatformServer::follows(int64_t followerId, int64_t followedId) const {
  return impl_->service.follows(followerId, followedId);
}

}  // namespace zept::server

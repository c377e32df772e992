#include "server/ContentServer.h"

#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "server/HttplibRequest.h"
#include "server/loopback/LoopbackHost.h"

namespace zept::server {

EndpointScript EndpointScript::failWith(int status, std::string body) {
  EndpointScript s;
  s.action = Action::Fail;
  s.status = status;
  s.body = std::move(body);
  s.contentType = "text/plain; charset=utf-8";
  return s;
}

EndpointScript EndpointScript::delayed(std::chrono::milliseconds delay) {
  EndpointScript s;
  s.delay = delay;
  return s;
}

EndpointScript EndpointScript::paced(int parts, std::chrono::milliseconds pause) {
  EndpointScript s;
  s.parts = std::max(parts, 1);
  s.partPause = pause;
  return s;
}

EndpointScript EndpointScript::goSilent() {
  EndpointScript s;
  s.action = Action::Silent;
  return s;
}

EndpointScript EndpointScript::replyWith(std::string body, int status, std::string contentType) {
  EndpointScript s;
  s.action = Action::Reply;
  s.status = status;
  s.body = std::move(body);
  s.contentType = std::move(contentType);
  return s;
}

EndpointScript EndpointScript::overLimit(std::string message) {
  Json envelope;
  envelope["ResultBoolean"] = false;
  envelope["ResultCode"] = 40302;
  envelope["ResultMsg"] = std::move(message);
  return replyWith(envelope.dump(-1, ' ', false, Json::error_handler_t::replace), 40302);
}

class ContentServer::Impl {
 public:
  explicit Impl(const Options& options)
      : service(options.dataDir, options.clientsFile),
        connectionThreads(options.connectionThreads),
        requestLogLimit(options.requestLogLimit) {}

  void handle(const httplib::Request& req, httplib::Response& res,
              const httplib::ContentReader* reader) {
    RecordedRequest rec = recordedRequestOf(req, reader);

    size_t index;
    std::optional<EndpointScript> script;
    {
      std::lock_guard<std::mutex> lock(mutex);
      index = firstIndex + log.size();
      log.push_back(rec);
      while (log.size() > std::max<size_t>(requestLogLimit, 1)) {
        log.pop_front();
        ++firstIndex;
      }
      script = takeScript(lowercaseASCII(rec.path));
    }
    cv.notify_all();

    int status = 0;
    if (script && script->delay.count() > 0 && !pause(script->delay)) {
      dropConnection(req.remote_port, res);
    } else if (script && script->action == EndpointScript::Action::Silent) {
      pauseUntilReleased();
      dropConnection(req.remote_port, res);
    } else if (script && (script->action == EndpointScript::Action::Fail ||
                          script->action == EndpointScript::Action::Reply)) {
      res.status = status = script->status;
      if (!script->body.empty() || script->action == EndpointScript::Action::Reply)
        res.set_content(script->body, script->contentType.c_str());
    } else {
      // The Host goes into JSON and HTML, so only a plain host name (and port) is taken.
      std::string host = req.get_header_value("Host");
      bool plain =
          !host.empty() && host.size() < 256 && std::all_of(host.begin(), host.end(), [](char c) {
            return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' ||
                   c == ':' || c == '[' || c == ']';
          });
      std::string base = plain ? "http://" + host : "http://127.0.0.1:" + std::to_string(port);
      ServerReply reply;
      try {
        reply = service.handle(rec, base);
      } catch (const std::exception& e) {
        reply.status = 500;
        reply.contentType = "text/plain; charset=utf-8";
        reply.body = std::string("server error: ") + e.what();
      }
      if (reply.delay.count() > 0 && !pause(reply.delay)) {
        // The server stops meanwhile.
        dropConnection(req.remote_port, res);
      } else {
        res.status = status = reply.status;
        for (auto& [k, v] : reply.headers) res.set_header(k.c_str(), v);
        if (script && script->parts > 1 && !reply.body.empty())
          sendPaced(res, std::move(reply), script->parts, script->partPause);
        else if (!reply.body.empty() || !reply.contentType.empty())
          res.set_content(reply.body, reply.contentType.c_str());
      }
    }

    {
      std::lock_guard<std::mutex> lock(mutex);
      if (index >= firstIndex && index - firstIndex < log.size())
        log[index - firstIndex].status = status;
    }
  }

  // The body in `parts` parts, each after the first once the pause has passed (or, for no
  // pause, once releaseSilent() was called); a server that stops meanwhile ends the body.
  void sendPaced(httplib::Response& res, ServerReply reply, int parts,
                 std::chrono::milliseconds pause) {
    auto body = std::make_shared<std::string>(std::move(reply.body));
    auto sent = std::make_shared<int>(0);
    unsigned long long base;
    {
      std::lock_guard<std::mutex> lock(mutex);
      base = releaseGeneration;
    }
    res.set_content_provider(
        body->size(), reply.contentType.c_str(),
        [this, body, sent, parts, pause, base](size_t offset, size_t, httplib::DataSink& sink) {
          if (*sent > 0) {
            // Part k goes after the k-th release since the reply began, however early it came.
            bool going = pause.count() > 0 ? this->pause(pause) : waitForReleases(base + *sent);
            if (!going) return false;
          }
          size_t end = body->size() * size_t(*sent + 1) / size_t(parts);
          if (end < offset) end = offset;
          ++*sent;
          return end == offset || sink.write(body->data() + offset, end - offset);
        });
  }

  // The next script of a path (or of "*"), counted down; with mutex held.
  std::optional<EndpointScript> takeScript(const std::string& path) {
    auto it = scripts.find(path);
    if (it == scripts.end() || it->second.empty()) it = scripts.find("*");
    if (it == scripts.end() || it->second.empty()) return std::nullopt;
    EndpointScript s = it->second.front();
    if (it->second.front().remaining > 0 && --it->second.front().remaining == 0)
      it->second.pop_front();
    return s;
  }

  // Waits; false when the server stops meanwhile.
  bool pause(std::chrono::milliseconds d) {
    std::unique_lock<std::mutex> lock(mutex);
    return !cv.wait_for(lock, d, [&] { return stopping; });
  }

  void pauseUntilReleased() {
    std::unique_lock<std::mutex> lock(mutex);
    unsigned long long generation = releaseGeneration;
    cv.wait(lock, [&] { return stopping || releaseGeneration != generation; });
  }

  // Waits until releaseSilent() has been called `generation` times in all; false when the
  // server stops meanwhile.
  bool waitForReleases(unsigned long long generation) {
    std::unique_lock<std::mutex> lock(mutex);
    cv.wait(lock, [&] { return stopping || releaseGeneration >= generation; });
    return !stopping;
  }

  // Closes the connection without writing a reply.
  void dropConnection(int remotePort, httplib::Response& res) {
    loopback::LoopbackHost::shutdownConnections(port, remotePort);
    res.status = 500;
    res.set_content_provider(1, "text/plain",
                             [](size_t, size_t, httplib::DataSink&) { return false; });
  }

  ContentService service;
  const size_t connectionThreads;
  const size_t requestLogLimit;
  std::unique_ptr<loopback::LoopbackHost> host;
  int port = 0;

  mutable std::mutex mutex;
  mutable std::condition_variable cv;
  bool stopping = false;
  unsigned long long releaseGeneration = 0;
  std::deque<RecordedRequest> log;
  size_t firstIndex = 0;  // requests cleared or dropped from the log, so late status updates miss
  std::map<std::string, std::deque<EndpointScript>> scripts;
};

ContentServer::ContentServer() : ContentServer(Options{}) {}

ContentServer::ContentServer(Options options) : impl_(std::make_unique<Impl>(options)) {}

ContentServer::~ContentServer() {
  stop();
}

int ContentServer::start(int port) {
  if (isRunning()) return impl_->port;
  auto server = std::make_unique<httplib::Server>();
  // The engine keeps a connection only when the server allows more than five requests on it.
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
      impl_->connectionThreads, port, "content server");
  int bound = host->port();
  impl_->port = bound;
  impl_->host = std::move(host);
  return bound;
}

void ContentServer::stop() {
  if (!impl_ || !impl_->host) return;
  {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    impl_->stopping = true;
  }
  impl_->cv.notify_all();
  impl_->host->stop();
  impl_->host.reset();
}

bool ContentServer::isRunning() const {
  return impl_->host && impl_->host->isRunning();
}

int ContentServer::port() const {
  return impl_->port;
}

std::string ContentServer::baseURL() const {
  return "http://127.0.0.1:" + std::to_string(impl_->port);
}

std::string ContentServer::url(std::string_view pathAndQuery) const {
  std::string s = baseURL();
  if (pathAndQuery.empty() || pathAndQuery.front() != '/') s += '/';
  s += pathAndQuery;
  return s;
}

std::vector<RecordedRequest> ContentServer::requests() const {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  return {impl_->log.begin(), impl_->log.end()};
}

std::vector<RecordedRequest> ContentServer::requests(std::string_view path) const {
  std::string wanted = lowercaseASCII(path);
  std::lock_guard<std::mutex> lock(impl_->mutex);
  std::vector<RecordedRequest> out;
  for (auto& r : impl_->log) {
    if (lowercaseASCII(r.path) == wanted) out.push_back(r);
  }
  return out;
}

void ContentServer::clearRequests() {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  impl_->firstIndex += impl_->log.size();
  impl_->log.clear();
}

bool ContentServer::waitForRequests(size_t count, std::chrono::milliseconds timeout) const {
  std::unique_lock<std::mutex> lock(impl_->mutex);
  return impl_->cv.wait_for(lock, timeout, [&] { return impl_->log.size() >= count; });
}

bool ContentServer::waitForRequests(std::string_view path, size_t count,
                                    std::chrono::milliseconds timeout) const {
  std::string wanted = lowercaseASCII(path);
  std::unique_lock<std::mutex> lock(impl_->mutex);
  return impl_->cv.wait_for(lock, timeout, [&] {
    size_t n = 0;
    for (auto& r : impl_->log) n += lowercaseASCII(r.path) == wanted;
    return n >= count;
  });
}

void ContentServer::script(std::string_view path, EndpointScript script) {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  impl_->scripts[path == "*" ? std::string("*") : lowercaseASCII(path)].push_back(
      std::move(script));
}

void ContentServer::clearScripts() {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  impl_->scripts.clear();
}

void ContentServer::releaseSilent() {
  {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    ++impl_->releaseGeneration;
  }
  impl_->cv.notify_all();
}

std::vector<RegisteredClient> ContentServer::clients() const {
  return impl_->service.clients().all();
}

std::optional<RegisteredClient> ContentServer::client(std::string_view key) const {
  return impl_->service.clients().find(key);
}

std::string ContentServer::addClient(std::string key) {
  return impl_->service.clients().add({}, std::move(key));
}

void ContentServer::setLoginSwitch(const std::string& name, bool value) {
  impl_->service.setLoginSwitch(name, value);
}

void ContentServer::setChannelListStamp(const std::string& stamp) {
  impl_->service.setChannelListStamp(stamp);
}

void ContentServer::setAppStoreVersion(const std::string& version) {
  impl_->service.setAppStoreVersion(version);
}

void ContentServer::setChannelImageEdition(int channelId, const std::string& kind, int edition) {
  impl_->service.setChannelImageEdition(channelId, kind, edition);
}

std::vector<LogUpload> ContentServer::logUploads() const {
  return impl_->service.logUploads();
}

std::vector<PostedStatus> ContentServer::postedStatuses() const {
  return impl_->service.postedStatuses();
}

const DemoData& ContentServer::data() const {
  return impl_->service.data();
}

}  // namespace zept::server

#include "server/loopback/LoopbackHost.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <httplib.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

namespace zept::loopback {

namespace {

// One thread per accepted connection, counted.
class ThreadPerConnection : public httplib::TaskQueue {
 public:
  explicit ThreadPerConnection(std::atomic<size_t>& accepted) : accepted_(accepted) {}
  void enqueue(std::function<void()> fn) override {
    accepted_.fetch_add(1);
    std::lock_guard<std::mutex> lock(mutex_);
    threads_.emplace_back([fn = std::move(fn)] {
      LoopbackHost::blockSigpipeOnThisThread();
      fn();
    });
  }
  void shutdown() override {
    std::vector<std::thread> threads;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      threads.swap(threads_);
    }
    for (auto& t : threads) t.join();
  }

 private:
  std::atomic<size_t>& accepted_;
  std::mutex mutex_;
  std::vector<std::thread> threads_;
};

// Connections served by at most `limit` threads, started as connections come and none idle: a
// silent or delayed reply holds up only its own connection while threads remain, and a flood
// of connections waits in the queue instead of costing a thread each.
class ConnectionPool : public httplib::TaskQueue {
 public:
  ConnectionPool(std::atomic<size_t>& accepted, size_t limit)
      : accepted_(accepted), limit_(std::max<size_t>(limit, 1)) {}

  void enqueue(std::function<void()> fn) override {
    accepted_.fetch_add(1);
    std::lock_guard<std::mutex> lock(mutex_);
    jobs_.push_back(std::move(fn));
    // Idle threads not yet woken count as taken: each queued connection needs one.
    if (jobs_.size() > idle_ && threads_.size() < limit_) threads_.emplace_back([this] { work(); });
    cv_.notify_one();
  }

  // Runs what is queued (the host has shut the connections down, so that ends at once), then
  // waits for the threads.
  void shutdown() override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stopping_ = true;
    }
    cv_.notify_all();
    for (auto& t : threads_) t.join();
    threads_.clear();
  }

 private:
  void work() {
    LoopbackHost::blockSigpipeOnThisThread();
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      ++idle_;
      cv_.wait(lock, [&] { return stopping_ || !jobs_.empty(); });
      --idle_;
      if (jobs_.empty()) return;
      auto job = std::move(jobs_.front());
      jobs_.pop_front();
      lock.unlock();
      job();
      lock.lock();
    }
  }

  std::atomic<size_t>& accepted_;
  const size_t limit_;
  std::mutex mutex_;
  std::condition_variable cv_;
  std::deque<std::function<void()>> jobs_;
  std::vector<std::thread> threads_;
  size_t idle_ = 0;
  bool stopping_ = false;
};

}  // namespace

LoopbackHost::LoopbackHost(std::unique_ptr<httplib::Server> server) : server_(std::move(server)) {}

LoopbackHost::~LoopbackHost() {
  stop();
}

int LoopbackHost::start(int port) {
  if (thread_.joinable()) return port_;
  server_->new_task_queue = [this]() -> httplib::TaskQueue* {
    if (connectionLimit_ > 0) return new ConnectionPool(accepted_, connectionLimit_);
    return new ThreadPerConnection(accepted_);
  };
  server_->set_socket_options([this](int sock) {
    httplib::default_socket_options(sock);
    listenFd_ = sock;
  });
  int bound = port;
  if (port == 0)
    bound = server_->bind_to_any_port("127.0.0.1");
  else if (!server_->bind_to_port("127.0.0.1", port))
    bound = -1;
  if (bound <= 0) return -1;
  // The library listens with a queue of five: a burst of connections beyond it loses SYNs
  // and waits a second for their retransmission.  Listening again only widens the queue.
  if (listenFd_ >= 0) ::listen(listenFd_, SOMAXCONN);
  port_ = bound;
  thread_ = std::thread([s = server_.get()] {
    blockSigpipeOnThisThread();
    s->listen_after_bind();
  });
  // listen_after_bind has bound already; wait until it accepts.
  for (int i = 0; i < 5000 && !server_->is_running(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return bound;
}

void LoopbackHost::stop() {
  if (!thread_.joinable()) return;
  server_->stop();
  shutdownConnections(port_);
  thread_.join();
}

bool LoopbackHost::isRunning() const {
  return thread_.joinable() && server_->is_running();
}

int LoopbackHost::localPort(int fd) {
  sockaddr_in addr{};
  socklen_t len = sizeof addr;
  if (getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) return -1;
  if (addr.sin_family != AF_INET) return -1;
  return ntohs(addr.sin_port);
}

void LoopbackHost::shutdownConnections(int port, int peerPort) {
  DIR* dir = opendir("/proc/self/fd");
  if (!dir) return;
  while (dirent* e = readdir(dir)) {
    int fd = std::atoi(e->d_name);
    if (fd <= 2 || fd == dirfd(dir)) continue;
    if (localPort(fd) != port) continue;
    sockaddr_in peer{};
    socklen_t len = sizeof peer;
    if (getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &len) != 0) continue;
    if (peerPort >= 0 && ntohs(peer.sin_port) != peerPort) continue;
    shutdown(fd, SHUT_RDWR);
  }
  closedir(dir);
}

void LoopbackHost::blockSigpipeOnThisThread() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

std::unique_ptr<LoopbackHost> LoopbackHost::serveAll(std::unique_ptr<httplib::Server> server,
                                                     RequestHandler handle, size_t connectionLimit,
                                                     int port, std::string_view what) {
  auto shared = std::make_shared<RequestHandler>(std::move(handle));
  server->Get(".*", [shared](const httplib::Request& req, httplib::Response& res) {
    (*shared)(req, res, nullptr);
  });
  server->Post(".*",
               [shared](const httplib::Request& req, httplib::Response& res,
                        const httplib::ContentReader& reader) { (*shared)(req, res, &reader); });
  auto host = std::make_unique<LoopbackHost>(std::move(server));
  host->setConnectionLimit(connectionLimit);
  if (host->start(port) <= 0)
    throw std::runtime_error(std::string(what) +
                             ": cannot listen on 127.0.0.1:" + std::to_string(port));
  return host;
}

}  // namespace zept::loopback

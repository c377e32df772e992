#include "server/loopback/LoopbackHost.h"

#include <arpa/inet.h>
#include <dirent.h>
#include <httplib.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <mutex>
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

}  // namespace

LoopbackHost::LoopbackHost(std::unique_ptr<httplib::Server> server) : server_(std::move(server)) {}

LoopbackHost::~LoopbackHost() {
  stop();
}

int LoopbackHost::start(int port) {
  if (thread_.joinable()) return port_;
  server_->new_task_queue = [this] { return new ThreadPerConnection(accepted_); };
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

}  // namespace zept::loopback

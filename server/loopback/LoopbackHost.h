// Runs a cpp-httplib server on 127.0.0.1: the host under the local content server and the
// tests' scripted servers.
//
// What both rely on: a thread of its own for each accepted connection while threads remain (a
// held or delayed reply never holds up another request; by default there is no limit, and
// with one a flood of connections waits in the queue instead of costing a thread each), the
// accepted connections counted, a listen queue wide enough for a burst
// of connections, SIGPIPE blocked on every server thread (a client that goes away mid-reply
// must not end the process), and a stop that also closes the open connections, so that threads
// waiting on idle keep-alive connections return at once.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <string_view>
#include <thread>

namespace httplib {
class Server;
class ContentReader;
struct Request;
struct Response;
}  // namespace httplib

namespace zept::loopback {

class LoopbackHost {
 public:
  // Takes the server with its routes and options; start() adds the thread-per-connection queue
  // and the socket options.
  explicit LoopbackHost(std::unique_ptr<httplib::Server> server);
  ~LoopbackHost();
  LoopbackHost(const LoopbackHost&) = delete;
  LoopbackHost& operator=(const LoopbackHost&) = delete;

  httplib::Server& server() { return *server_; }

  // At most `threads` connections served at once (0, the default: no limit).  Set before
  // start().
  void setConnectionLimit(size_t threads) { connectionLimit_ = threads; }

  // Listens on 127.0.0.1, on the port or on a free one (0), and returns once the server
  // accepts; the port, or -1 when it cannot be bound.  A host starts once.
  int start(int port = 0);
  // Stops accepting, closes the open connections and waits for the server's threads.
  void stop();
  bool isRunning() const;
  int port() const { return port_; }
  size_t acceptedConnections() const { return accepted_.load(); }

  // Closes the accepted connections on `port` (all of them, or the one from the peer port
  // `peerPort`) without a reply.
  static void shutdownConnections(int port, int peerPort = -1);
  // The local port of a socket; -1 when it has none.
  static int localPort(int fd);
  static void blockSigpipeOnThisThread();

  // What the local servers share: every GET and POST of `server` goes to `handle` (a POST
  // with its body reader, a GET with none), and a host for it is started on `port` (0: a free
  // one) with at most `connectionLimit` connections at once (0: no limit).  Throws
  // std::runtime_error naming `what` when the port cannot be bound.
  using RequestHandler = std::function<void(const httplib::Request&, httplib::Response&,
                                            const httplib::ContentReader*)>;
  static std::unique_ptr<LoopbackHost> serveAll(std::unique_ptr<httplib::Server> server,
                                                RequestHandler handle, size_t connectionLimit,
                                                int port, std::string_view what);

 private:
  std::unique_ptr<httplib::Server> server_;
  std::thread thread_;
  std::atomic<size_t> accepted_{0};
  size_t connectionLimit_ = 0;
  int listenFd_ = -1;
  int port_ = -1;
};

}  // namespace zept::loopback

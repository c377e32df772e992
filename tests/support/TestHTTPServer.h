// Scripted HTTP servers on 127.0.0.1 for tests and benchmarks of the HTTP engine and its users.
//
// TestHTTPServer runs cpp-httplib on a free loopback port (plain or TLS with a certificate of the
// process's test authority).  Replies are scripted per path: status, headers, plain, chunked or
// gzip bodies, delays, silence, and dropping the connection in the middle of the body.  A reply
// is sent as scripted: the server neither compresses it nor cuts it to a requested "Range".  The
// server records every request it parsed and counts the connections it accepted, so that connection
// reuse can be observed from outside.
//
// TestRawHTTPServer answers every request with scripted raw bytes, for the replies a
// well-behaved server library refuses to make (an HTTP/1.0 status line, a five-digit status,
// a connection closed in the middle of the headers).
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace testsupport {

using HeaderList = std::vector<std::pair<std::string, std::string>>;

// One request as the server received it.
struct TestHTTPRequest {
  std::string method;
  std::string target;  // path and query as sent
  std::string path;
  std::string query;  // without "?"; empty when there is none
  std::string version;
  HeaderList headers;
  std::string body;
  int remotePort = 0;  // identifies the connection the request came on

  bool hasHeader(std::string_view name) const;
  // The first value of a header (case-insensitive name); empty when absent.
  std::string header(std::string_view name) const;
  // The request rebuilt as text: request line, headers, blank line, body.
  std::string raw() const;
};

// How the server answers one request.
struct TestHTTPReply {
  int status = 200;
  std::string contentType = "text/plain";  // empty: no Content-Type
  HeaderList headers;                      // further headers, sent as given
  std::string body;
  // Compress the body with gzip and send "Content-Encoding: gzip".
  bool gzip = false;
  // Send the body with "Transfer-Encoding: chunked", in pieces of chunkSize.
  bool chunked = false;
  // Send the body with neither a length nor chunks, ending it by closing the connection.
  bool closeDelimited = false;
  size_t chunkSize = 16384;
  // Wait before the status line is written, and between body pieces.
  double delaySeconds = 0;
  double pieceDelaySeconds = 0;
  // Never answer: hold the connection until the server stops or releaseSilent() is called;
  // then the reply is a bare 503 status whose body never comes.
  bool silent = false;
  // Drop the connection after this many body bytes (with the full length announced).
  std::optional<size_t> closeAfterBodyBytes;
  // "Connection: close" after this reply.
  bool closeConnection = false;

  static TestHTTPReply text(std::string body, int status = 200,
                            std::string contentType = "text/plain");
};

// The certificate authority of the test process (created once) and the files that hold it.
struct TestCertificateAuthority {
  std::string caCertificatePath;  // PEM
  static const TestCertificateAuthority& shared();

  // A server certificate of the authority for the names (and 127.0.0.1), with its key, in PEM
  // files beside the authority's (removed with it when the process ends).
  struct ServerFiles {
    std::string certificatePath;
    std::string keyPath;
  };
  static ServerFiles issueServerCertificate(const std::vector<std::string>& hostNames);
};

class TestHTTPServer {
 public:
  struct Options {
    bool tls = false;
    // Names the TLS certificate is valid for, besides 127.0.0.1.
    std::vector<std::string> tlsHostNames = {"localhost", "a.m.r"};
    // What the server announces in "Keep-Alive: timeout=..., max=..." and honours.
    int keepAliveTimeoutSeconds = 5;
    int keepAliveMax = 100;
  };
  using Handler = std::function<TestHTTPReply(const TestHTTPRequest&)>;

  TestHTTPServer();
  explicit TestHTTPServer(Options options);
  ~TestHTTPServer();
  TestHTTPServer(const TestHTTPServer&) = delete;
  TestHTTPServer& operator=(const TestHTTPServer&) = delete;

  int port() const { return port_; }
  // "http://127.0.0.1:<port>" (or https) followed by path.
  std::string url(std::string_view path = "/") const;

  // Scripts the reply for a path (without query).  Unscripted paths get 404 "not found".
  void on(const std::string& path, TestHTTPReply reply);
  void on(const std::string& path, Handler handler);

  std::vector<TestHTTPRequest> requests() const;
  TestHTTPRequest lastRequest() const;
  size_t requestCount() const;
  // Connections accepted so far.
  size_t connectionCount() const;
  // Waits (real time) until at least n requests arrived; false on timeout.
  bool waitForRequests(size_t n, double timeoutSeconds = 10) const;
  // Lets silent replies give up (their connections are dropped).
  void releaseSilent();
  void stop();

  class Impl;

 private:
  std::unique_ptr<Impl> impl_;
  int port_ = 0;
  bool tls_ = false;
};

class TestRawHTTPServer {
 public:
  // Bytes to write for a request; closeAfter drops the connection once they are written.
  struct RawReply {
    std::string bytes;
    bool closeAfter = true;
    double delaySeconds = 0;
  };
  using Handler = std::function<RawReply(const std::string& rawRequest)>;

  explicit TestRawHTTPServer(Handler handler);
  ~TestRawHTTPServer();
  TestRawHTTPServer(const TestRawHTTPServer&) = delete;
  TestRawHTTPServer& operator=(const TestRawHTTPServer&) = delete;

  int port() const { return port_; }
  std::string url(std::string_view path = "/") const;
  std::vector<std::string> requests() const;
  size_t connectionCount() const;
  void stop();

 private:
  void acceptLoop();
  void serve(int fd);

  Handler handler_;
  int listenFd_ = -1;
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  mutable std::mutex mutex_;
  std::vector<std::string> requests_;
  std::vector<int> openFds_;
  size_t connections_ = 0;
  std::thread acceptThread_;
  std::vector<std::thread> workers_;
};

// Compresses bytes in gzip format (test data for compressed replies).
std::string gzipBytes(std::string_view data);

}  // namespace testsupport

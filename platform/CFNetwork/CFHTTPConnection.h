// Internal to the HTTP streams: connections and the per-run-loop driver that keeps them.
//
// curl makes each connection (name lookup, host mappings, proxies, TLS and its checks) and then
// only carries bytes: the streams write their requests and read their responses themselves, so
// that a response of any form the stream accepts reaches it (curl refuses statuses of more than
// three digits).  Each connection connects on a curl multi handle of its own, driven by the
// loop; once connected nothing else runs on that handle, so curl never looks at (or closes) a
// connection that the streams keep idle between exchanges.
//
// Everything here runs on the loop's thread, except CFHTTPDriver::perform.
#pragma once

#include <curl/curl.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Foundation/NSError.h"

class CFHTTPConnection;
class NSRunLoop;
class RunLoopFdSource;

// An error of the platform's stream domains, with its text as the description.
NSErrorPtr CFHTTPStreamError(std::string_view domain, long code, const std::string& text);

// Where a connection goes and how it is made.
struct CFHTTPTarget {
  std::string url;    // the request's URL; its scheme, host and port are what count
  std::string proxy;  // curl proxy URL ("http://host:port", "socks5h://host:port"); empty: none
  bool verifyPeer = true;
  bool verifyHost = true;

  // What two connections must share to be interchangeable.
  std::string poolKey() const;
};

class CFHTTPDriver : public std::enable_shared_from_this<CFHTTPDriver> {
 public:
  // The driver of a loop, made on first use.
  static std::shared_ptr<CFHTTPDriver> forRunLoop(const std::shared_ptr<NSRunLoop>& loop);
  explicit CFHTTPDriver(const std::shared_ptr<NSRunLoop>& loop);
  ~CFHTTPDriver();

  std::shared_ptr<NSRunLoop> runLoop() const { return loop_.lock(); }
  bool isOnDriverThread() const;
  // Connections are watched in every mode a stream was scheduled in.
  void addMode(std::string_view mode);
  // Runs the block on the driver's thread: at once when already there, else on its loop.
  void perform(std::function<void()> block);
  // Runs the block on the driver's loop, after what runs now.
  void later(std::function<void()> block);

  // ---- connections kept between exchanges
  // Streams of one group (a non-empty key) keep the group's idle connections open while at
  // least one of them is not closed; streams without a group share the loop's own, which stay
  // for a while.
  void joinGroup(const std::string& group);
  void leaveGroup(const std::string& group);
  // An idle connection to the target that is still open, or nullptr.
  std::shared_ptr<CFHTTPConnection> takeIdle(const std::string& group, const CFHTTPTarget& target);
  // Keeps a connection whose exchange has ended cleanly for the next one.
  void keepIdle(const std::string& group, const CFHTTPTarget& target,
                std::shared_ptr<CFHTTPConnection> connection);

  // ---- used by connections
  void watch(const std::shared_ptr<RunLoopFdSource>& source);

 private:
  struct Idle {
    std::string key;
    std::shared_ptr<CFHTTPConnection> connection;
    double since;
  };
  void closeIdle(const std::function<bool(const Idle&)>& which);

  std::weak_ptr<NSRunLoop> loop_;
  std::vector<std::string> modes_;
  // Every source a connection watches, so that a mode added later reaches it too.
  std::vector<std::weak_ptr<RunLoopFdSource>> sources_;
  std::vector<Idle> idle_;
  std::map<std::string, int> groups_;
};

class CFHTTPConnection : public std::enable_shared_from_this<CFHTTPConnection> {
 public:
  // Hears of the connection's socket (readable, writable) once it is connected.
  using Handler = std::function<void(int revents)>;
  using Connected = std::function<void(NSErrorPtr error)>;

  // Starts connecting; `connected` is called once, on the driver's thread and never from
  // within this call, with nullptr or the error the platform's stream would report.
  static std::shared_ptr<CFHTTPConnection> connect(const std::shared_ptr<CFHTTPDriver>& driver,
                                                   const CFHTTPTarget& target, Connected connected);
  ~CFHTTPConnection();

  // The connection carried an exchange before.
  bool wasUsed() const { return used_; }
  void setUsed() { used_ = true; }
  // Gives the socket's events to the handler, for the events asked for (Read, Write of
  // RunLoopFdSource); none stops them.
  void setHandler(Handler handler);
  void setInterest(int events);
  // Whether an idle connection is still open with nothing unread on it.
  bool isQuiet() const;

  enum class IO { Done, Again, Ended, Failed };
  // Moves bytes; Done sets *n.  Ended: the peer closed the connection (reading only).
  IO send(const char* data, size_t length, size_t* n, NSErrorPtr* error);
  IO receive(char* buffer, size_t length, size_t* n, NSErrorPtr* error);

  void close();

  struct Impl;
  CFHTTPConnection();

 private:
  std::unique_ptr<Impl> impl_;
  bool used_ = false;
};

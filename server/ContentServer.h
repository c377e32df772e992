// The local content server: the content, post, account, log, share and web hosts of the
// service, answered from the demo data on 127.0.0.1, so that the app and its tests have a real
// peer and nothing leaves the machine.
//
// Tests embed it: start it on a free port, point the client at baseURL(), read the request log,
// and script endpoints to fail, wait, go silent or answer with a given text.  The zept-server
// program runs the same server as a process for the app (scripts/run).
//
// Connections stay open between requests ("Keep-Alive: timeout=5, max=100"), served by a
// bounded number of threads; the request log keeps the newest requests only.
#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "server/ClientRegistry.h"
#include "server/ContentService.h"
#include "server/DemoData.h"
#include "server/ServerRequest.h"

namespace zept::server {

// How the server answers requests to one path instead of (or before) its normal reply.
struct EndpointScript {
  enum class Action {
    Normal,  // the normal reply, after the delay
    Fail,    // the given status, with the body when one is given
    Silent,  // no reply at all: the connection stays open until releaseSilent() or stop(),
             // then it is dropped without a byte
    Reply,   // the given status, body and content type
  };
  Action action = Action::Normal;
  int status = 200;
  std::string body;
  std::string contentType = "application/json; charset=utf-8";
  std::chrono::milliseconds delay{0};
  // Parts of a paced body (1: sent at once) and the pause before each later part.
  int parts = 1;
  std::chrono::milliseconds partPause{0};
  // Requests the script still applies to; -1 until it is cleared.
  int remaining = -1;

  static EndpointScript failWith(int status, std::string body = {});
  static EndpointScript delayed(std::chrono::milliseconds delay);
  static EndpointScript goSilent();
  static EndpointScript replyWith(std::string body, int status = 200,
                                  std::string contentType = "application/json; charset=utf-8");
  // The content server's refusal of a client over its request limit: status 40302 with the
  // reply envelope {"ResultBoolean":false,"ResultCode":40302,"ResultMsg":message} as JSON.
  static EndpointScript overLimit(std::string message = kOverLimitMessage);
  // The normal reply (its length announced) with the body sent in `parts` equal parts: each
  // part after the first waits `pause`, or, for a pause of 0, until releaseSilent().  A client
  // sees its download progress part by part.
  static EndpointScript paced(int parts, std::chrono::milliseconds pause = {});
  static constexpr const char* kOverLimitMessage = "请求过于频繁，请稍后再试";
  EndpointScript& after(std::chrono::milliseconds d) {
    delay = d;
    return *this;
  }
  EndpointScript& forRequests(int n) {
    remaining = n;
    return *this;
  }
};

class ContentServer {
 public:
  struct Options {
    std::filesystem::path dataDir = DemoData::defaultDataDir();
    // Where registered clients are kept across runs; none when empty.
    std::filesystem::path clientsFile;
    // The most threads serving connections at once; more connections wait their turn.  Each
    // silent or delayed reply holds one while it waits.
    size_t connectionThreads = 64;
    // The request log keeps the newest this many requests.
    size_t requestLogLimit = 10000;
  };

  // Reads the demo data; throws std::runtime_error when it is missing or malformed.
  ContentServer();
  explicit ContentServer(Options options);
  ~ContentServer();
  ContentServer(const ContentServer&) = delete;
  ContentServer& operator=(const ContentServer&) = delete;

  // Listens on 127.0.0.1, on the given port or a free one (0); returns the port.  Throws
  // std::runtime_error when the port cannot be bound.
  int start(int port = 0);
  // Stops listening, drops open connections and waits for the server's threads.
  void stop();
  bool isRunning() const;
  int port() const;
  // "http://127.0.0.1:<port>"
  std::string baseURL() const;
  std::string url(std::string_view pathAndQuery) const;

  // The request log (the newest Options::requestLogLimit requests), in arrival order.
  std::vector<RecordedRequest> requests() const;
  // Requests to one path (compared without regard to case).
  std::vector<RecordedRequest> requests(std::string_view path) const;
  void clearRequests();
  // Wait (real time) until the log holds at least `count` requests, all or to one path.
  bool waitForRequests(size_t count,
                       std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;
  bool waitForRequests(std::string_view path, size_t count,
                       std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;

  // Scripts for a path (without query, any case), or "*" for every path without a script of
  // its own.  Scripts of a path apply in the order given; one whose count runs out makes way
  // for the next, and the normal reply follows the last.
  void script(std::string_view path, EndpointScript script);
  void clearScripts();
  // Ends the waits of silent replies; their connections are dropped.
  void releaseSilent();

  std::vector<RegisteredClient> clients() const;
  std::optional<RegisteredClient> client(std::string_view key) const;
  // Registers a client without a request (a test's app that registered earlier).
  std::string addClient(std::string key = {});

  // Login switches by their reply key, for example "ErrorLogEnable" or "UseBehaviorSubmit".
  void setLoginSwitch(const std::string& name, bool value);
  void setChannelListStamp(const std::string& stamp);
  void setAppStoreVersion(const std::string& version);
  // A new picture for one image of a channel numbered 100 or above (kind "icon", "background",
  // "navigation", "tuijian" or "tuijian_theme1"): the same address serves other bytes, and the
  // channel list announces their MD5.  Edition 0 is the first picture.
  void setChannelImageEdition(int channelId, const std::string& kind, int edition);
  // Feedback and usage logs received by the log host, deciphered.
  std::vector<LogUpload> logUploads() const;
  // Statuses the post host accepted, oldest first.
  std::vector<PostedStatus> postedStatuses() const;

  const DemoData& data() const;

  class Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace zept::server

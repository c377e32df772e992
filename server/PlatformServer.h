// The local microblog platform: the platform's OAuth2 endpoints ("/oauth2/authorize",
// "/oauth2/access_token") and the "/2/" REST methods the app calls, answered on 127.0.0.1 from
// the demo accounts, timelines, comments and friendships of data/platform.json.
//
// It speaks https when given a certificate and key (PEM files; tests make them with their own
// certificate authority, valid for the platform's API host), else plain http.  Tests read the
// request log, script replies per path as on the content server (EndpointScript: replyWith,
// failWith, delayed), and end tokens (revokeToken, expireToken) to see the app's handling of
// the platform's token errors.
#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "server/ContentServer.h"
#include "server/ServerRequest.h"

namespace zept::server {

class PlatformService;

class PlatformServer {
 public:
  struct Options {
    std::filesystem::path dataFile = DemoData::defaultDataDir() / "platform.json";
    // Both set: https with this certificate (chain) and private key.
    std::filesystem::path certificateFile;
    std::filesystem::path keyFile;
    size_t connectionThreads = 16;
  };

  // Reads the demo data; throws std::runtime_error when it is missing or malformed.
  PlatformServer();
  explicit PlatformServer(Options options);
  ~PlatformServer();
  PlatformServer(const PlatformServer&) = delete;
  PlatformServer& operator=(const PlatformServer&) = delete;

  // Listens on 127.0.0.1 (the port, or a free one for 0); returns the port.  Throws when the
  // port cannot be bound or the certificate does not load.
  int start(int port = 0);
  void stop();
  int port() const;
  bool isSecure() const;

  std::vector<RecordedRequest> requests() const;
  // Requests to one path (compared without regard to case).
  std::vector<RecordedRequest> requests(std::string_view path) const;
  void clearRequests();
  bool waitForRequests(std::string_view path, size_t count,
                       std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;
  void script(std::string_view path, EndpointScript script);
  void clearScripts();

  // A token for the account, as a login would bring (tests that start bound).
  std::string issueToken(int64_t userId);
  // Later calls with the token answer error 21332 (revoked) or 21327 (expired).
  void revokeToken(const std::string& token);
  void expireToken(const std::string& token);
  // Who follows whom now.
  bool follows(int64_t followerId, int64_t followedId) const;

 private:
  class Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace zept::server

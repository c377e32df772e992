// An entry of the engine's pool of persistent connections: one server connection that later
// requests to the same scheme, host and port may reuse.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

class CFReadStream;

struct HXConnectionInfo {
  int64_t id = 0;  // the connection's number, also given to its streams
  std::string host;
  int port = 0;  // 0 when the URL names none
  std::string scheme;
  // The requestID of the request using the connection; none while it is idle.
  std::optional<int64_t> request;
  // The read stream of the request that used the connection last.
  std::shared_ptr<CFReadStream> stream;
  // After this time (seconds since 1970) the connection must not be reused.
  std::optional<double> expires;
};

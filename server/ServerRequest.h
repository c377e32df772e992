// One request as the local content server received it, and one reply as it sends it.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zept::server {

using Pairs = std::vector<std::pair<std::string, std::string>>;

struct RecordedRequest {
  // A part of a multipart form that carried a file name.
  struct FilePart {
    std::string name;
    std::string filename;
    std::string contentType;
    std::string content;
  };

  std::string method;
  std::string path;   // as sent, without the query
  std::string query;  // raw, without "?"; empty when there is none
  Pairs headers;      // as sent
  std::string body;   // raw body; empty for multipart forms, whose parts are below
  Pairs queryParams;  // decoded query parameters, in order
  Pairs formParams;   // decoded fields of a URL-encoded or multipart form, in order
  std::vector<FilePart> files;
  int remotePort = 0;
  // Status of the reply; 0 while none has been sent (or when the connection was dropped).
  int status = 0;

  // First value of a header (case-insensitive name); empty when absent.
  std::string header(std::string_view name) const;
  // First value of a parameter, the query before the form.
  std::optional<std::string> param(std::string_view name) const;
  std::string paramOr(std::string_view name, std::string fallback = {}) const;
  bool hasQueryParam(std::string_view name) const;
  bool hasFormParam(std::string_view name) const;
  const FilePart* file(std::string_view name) const;
};

struct ServerReply {
  int status = 200;
  std::string contentType = "application/json; charset=utf-8";
  std::string body;
  Pairs headers;
  // How long the server holds the reply back.
  std::chrono::milliseconds delay{0};
};

// ASCII-only case, as HTTP names and the server's paths compare.
std::string lowercaseASCII(std::string_view s);
bool equalsIgnoringASCIICase(std::string_view a, std::string_view b);
// Decodes "%XX" escapes and "+" (a blank in forms and queries).
std::string decodeURLComponent(std::string_view s);
// Splits "a=1&b=2" into decoded pairs.
Pairs parseURLEncoded(std::string_view text);

}  // namespace zept::server

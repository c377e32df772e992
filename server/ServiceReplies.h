// The small pieces the content service's endpoints build their answers from: the reply
// envelopes of the content and log hosts, JSON and text replies, and the readers of parameter
// texts.  Internal to the server.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "server/DemoData.h"
#include "server/ServerRequest.h"

namespace zept::server {

// The leading decimal number of a text, as the app's own readers take it; 0 when there is none.
int64_t integerOf(std::string_view s);
// The parts between the separators, blanks dropped, empty parts skipped.
std::vector<std::string> split(std::string_view s, std::string_view separators);

// {"ResultBoolean", "ResultCode" (0 or 1), "ResultMsg"}
Json envelope(bool ok, std::string_view message);
ServerReply jsonReply(const Json& j, int status = 200);
// Application errors travel in the reply envelope with status 200, as the original hosts did.
ServerReply failure(std::string_view message);
// The log host's envelope: "Result", "ErrorCode", "Error", "Request".
ServerReply logReply(bool ok, std::string_view path, std::string_view error);
ServerReply textReply(int status, std::string contentType, std::string body);
std::string missing(std::string_view name);

}  // namespace zept::server

#include "Foundation/NSHTTPURLResponse.h"

#include "Foundation/NSString.h"

std::string NSHTTPURLResponse::localizedStringForStatusCode(long statusCode) {
  switch (statusCode) {
    case 100:
      return "continue";
    case 101:
      return "switching protocols";
    case 200:
      return "no error";
    case 201:
      return "created";
    case 202:
      return "accepted";
    case 203:
      return "non-authoritative information";
    case 204:
      return "no content";
    case 205:
      return "reset content";
    case 206:
      return "partial content";
    case 300:
      return "multiple choices";
    case 301:
      return "moved permanently";
    case 302:
      return "found";
    case 303:
      return "see other";
    case 304:
      return "not modified";
    case 305:
      return "use proxy";
    case 307:
      return "temporarily redirected";
    case 400:
      return "bad request";
    case 401:
      return "unauthorized";
    case 402:
      return "payment required";
    case 403:
      return "forbidden";
    case 404:
      return "not found";
    case 405:
      return "method not allowed";
    case 406:
      return "unacceptable";
    case 407:
      return "proxy authentication required";
    case 408:
      return "request timed out";
    case 409:
      return "conflict";
    case 410:
      return "no longer exists";
    case 411:
      return "length required";
    case 412:
      return "precondition failed";
    case 413:
      return "request too large";
    case 414:
      return "requested URL too long";
    case 415:
      return "unsupported media type";
    case 416:
      return "requested range not satisfiable";
    case 417:
      return "expectation failed";
    case 500:
      return "internal server error";
    case 501:
      return "unimplemented";
    case 502:
      return "bad gateway";
    case 503:
      return "service unavailable";
    case 504:
      return "gateway timed out";
    case 505:
      return "unsupported version";
    default:
      break;
  }
  if (statusCode >= 100 && statusCode < 200) return "informational";
  if (statusCode >= 200 && statusCode < 300) return "success";
  if (statusCode >= 300 && statusCode < 400) return "redirected";
  if (statusCode >= 400 && statusCode < 500) return "client error";
  return "server error";
}

namespace {

std::string trimmed(std::string_view s) {
  size_t b = s.find_first_not_of(" \t");
  if (b == std::string_view::npos) return {};
  size_t e = s.find_last_not_of(" \t");
  return std::string(s.substr(b, e - b + 1));
}

std::optional<std::string> field(const NSHTTPURLResponse::HeaderFields& fields,
                                 std::string_view name) {
  for (auto& [k, v] : fields)
    if (equalsIgnoringASCIICase(k, name)) return v;
  return std::nullopt;
}

std::string mimeTypeOf(const NSHTTPURLResponse::HeaderFields& fields) {
  std::string type = field(fields, "Content-Type").value_or("");
  return lowercaseASCIIString(trimmed(std::string_view(type).substr(0, type.find(';'))));
}

std::string charsetOf(const NSHTTPURLResponse::HeaderFields& fields) {
  std::string type = field(fields, "Content-Type").value_or("");
  for (const std::string& part : componentsSeparatedByString(type, ";")) {
    std::string p = trimmed(part);
    if (p.size() > 8 && equalsIgnoringASCIICase(p.substr(0, 8), "charset=")) {
      std::string name = trimmed(p.substr(8));
      if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
        name = name.substr(1, name.size() - 2);
      return lowercaseASCIIString(name);
    }
  }
  return {};
}

long long lengthOf(const NSHTTPURLResponse::HeaderFields& fields) {
  std::optional<std::string> text = field(fields, "Content-Length");
  if (!text) return -1;
  std::string t = trimmed(*text);
  if (t.empty() || t.find_first_not_of("0123456789") != std::string::npos || t.size() > 18)
    return -1;
  return std::stoll(t);
}

}  // namespace

NSHTTPURLResponse::NSHTTPURLResponse(std::shared_ptr<NSURL> url, long statusCode,
                                     HeaderFields headerFields)
    : NSURLResponse(std::move(url), mimeTypeOf(headerFields), lengthOf(headerFields),
                    charsetOf(headerFields)),
      statusCode_(statusCode),
      headers_(std::move(headerFields)) {}

ValueDictionary NSHTTPURLResponse::allHeaderFields() const {
  std::vector<std::pair<std::string, Value>> pairs;
  for (auto& [k, v] : headers_) pairs.emplace_back(k, Value(v));
  return std::make_shared<NSMutableDictionary>(std::move(pairs), false);
}

std::optional<std::string> NSHTTPURLResponse::valueForHeaderField(std::string_view name) const {
  return field(headers_, name);
}

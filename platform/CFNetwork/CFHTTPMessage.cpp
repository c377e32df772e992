#include "CFNetwork/CFHTTPMessage.h"

#include <curl/curl.h>

#include <cctype>

#include "Foundation/NSString.h"

namespace {

bool isToken(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s) {
    auto u = static_cast<unsigned char>(c);
    if (u <= 32 || u >= 127) return false;
    if (std::string_view("()<>@,;:\\\"/[]?={}").find(c) != std::string_view::npos) return false;
  }
  return true;
}

bool isUsableURL(std::string_view url) {
  CURLU* u = curl_url();
  if (!u) return false;
  std::string text(url);
  bool ok = curl_url_set(u, CURLUPART_URL, text.c_str(), 0) == CURLUE_OK;
  if (ok) {
    char* scheme = nullptr;
    char* host = nullptr;
    ok = curl_url_get(u, CURLUPART_SCHEME, &scheme, 0) == CURLUE_OK &&
         curl_url_get(u, CURLUPART_HOST, &host, 0) == CURLUE_OK && host && *host;
    if (ok)
      ok = equalsIgnoringASCIICase(scheme, "http") || equalsIgnoringASCIICase(scheme, "https");
    curl_free(scheme);
    curl_free(host);
  }
  curl_url_cleanup(u);
  return ok;
}

}  // namespace

std::shared_ptr<CFHTTPMessage> CFHTTPMessage::createRequest(std::string_view method,
                                                            std::string_view url,
                                                            std::string_view version) {
  if (!isToken(method) || !isUsableURL(url)) return nullptr;
  std::shared_ptr<CFHTTPMessage> m(new CFHTTPMessage);
  m->isRequest_ = true;
  m->method_ = method;
  m->url_ = url;
  m->version_ = version == kCFHTTPVersion1_0 ? kCFHTTPVersion1_0 : kCFHTTPVersion1_1;
  return m;
}

std::shared_ptr<CFHTTPMessage> CFHTTPMessage::createEmptyResponse() {
  return std::shared_ptr<CFHTTPMessage>(new CFHTTPMessage);
}

size_t CFHTTPMessage::find(std::string_view name) const {
  for (size_t i = 0; i < fields_.size(); ++i)
    if (equalsIgnoringASCIICase(fields_[i].first, name)) return i;
  return std::string::npos;
}

void CFHTTPMessage::setHeaderFieldValue(std::string_view name,
                                        std::optional<std::string_view> value) {
  size_t i = find(name);
  if (!value) {
    if (i != std::string::npos) fields_.erase(fields_.begin() + long(i));
    return;
  }
  if (i != std::string::npos)
    fields_[i].second = *value;
  else
    fields_.emplace_back(std::string(name), std::string(*value));
}

std::optional<std::string> CFHTTPMessage::headerFieldValue(std::string_view name) const {
  size_t i = find(name);
  if (i == std::string::npos) return std::nullopt;
  return fields_[i].second;
}

CFHTTPMessage::HeaderFields CFHTTPMessage::allHeaderFields() const {
  return fields_;
}

bool CFHTTPMessage::setStatusLine(std::string_view line) {
  if (line.size() < 5 || line.substr(0, 5) != "HTTP/") return false;
  size_t sp = line.find(' ');
  if (sp == std::string_view::npos) return false;
  size_t p = sp;
  while (p < line.size() && line[p] == ' ') ++p;
  int code = 0;
  size_t digits = 0;
  while (p < line.size() && std::isdigit(static_cast<unsigned char>(line[p])) && digits < 9) {
    code = code * 10 + (line[p] - '0');
    ++p;
    ++digits;
  }
  if (digits == 0) return false;
  statusLine_ = line;
  statusCode_ = code;
  version_ = line.substr(0, sp);
  fields_.clear();
  lines_.clear();
  headerComplete_ = false;
  return true;
}

void CFHTTPMessage::appendHeaderLine(std::string_view name, std::string_view value) {
  lines_.emplace_back(std::string(name), std::string(value));
  std::string canonical = canonicalHeaderName(name);
  size_t i = find(canonical);
  if (i == std::string::npos)
    fields_.emplace_back(std::move(canonical), std::string(value));
  else
    fields_[i].second += ", " + std::string(value);
}

std::string CFHTTPMessage::canonicalHeaderName(std::string_view name) {
  std::string out(name);
  bool upper = true;
  for (char& c : out) {
    auto u = static_cast<unsigned char>(c);
    if (std::isalpha(u)) {
      c = static_cast<char>(upper ? std::toupper(u) : std::tolower(u));
      upper = false;
    } else {
      upper = c == '-';
    }
  }
  return out;
}

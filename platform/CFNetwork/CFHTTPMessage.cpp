#include "CFNetwork/CFHTTPMessage.h"

#include <curl/curl.h>

#include <cctype>

#include "Foundation/NSString.h"

namespace {

bool startsWithIgnoringCase(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && equalsIgnoringASCIICase(s.substr(0, prefix.size()), prefix);
}

// The plain form nearly every request has: http(s)://host[:port][/path...] with a host of
// letters, digits, dots and dashes, a port of 1 to 65535 and nothing but visible ASCII after.
// curl takes every such URL; anything else is left to curl to judge.
bool isPlainHTTPURL(std::string_view url) {
  std::string_view rest;
  if (startsWithIgnoringCase(url, "http://"))
    rest = url.substr(7);
  else if (startsWithIgnoringCase(url, "https://"))
    rest = url.substr(8);
  else
    return false;
  size_t end = rest.find_first_of("/?#");
  std::string_view authority = rest.substr(0, end);
  std::string_view tail = end == std::string_view::npos ? std::string_view() : rest.substr(end);
  std::string_view host = authority, port;
  if (size_t colon = authority.find(':'); colon != std::string_view::npos) {
    host = authority.substr(0, colon);
    port = authority.substr(colon + 1);
    if (port.empty() || port.size() > 5 || port[0] == '0') return false;
    long value = 0;
    for (char c : port) {
      if (c < '0' || c > '9') return false;
      value = value * 10 + (c - '0');
    }
    if (value > 65535) return false;
  }
  if (host.empty()) return false;
  for (char c : host) {
    bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                 c == '.' || c == '-';
    if (!plain) return false;
  }
  for (char c : tail)
    if (c <= ' ' || c >= 127) return false;
  return true;
}

bool isUsableURL(std::string_view url) {
  if (isPlainHTTPURL(url)) return true;
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

struct CFHTTPMessage::Made : CFHTTPMessage {};

std::shared_ptr<CFHTTPMessage> CFHTTPMessage::createRequest(std::string_view method,
                                                            std::string_view url,
                                                            std::string_view version) {
  if (!CFHTTPMessage::isToken(method) || !isUsableURL(url)) return nullptr;
  std::shared_ptr<CFHTTPMessage> m = std::make_shared<Made>();
  m->isRequest_ = true;
  m->fields_.reserve(8);  // room for the usual request fields
  m->method_ = method;
  m->url_ = url;
  m->version_ = version == kCFHTTPVersion1_0 ? kCFHTTPVersion1_0 : kCFHTTPVersion1_1;
  return m;
}

std::shared_ptr<CFHTTPMessage> CFHTTPMessage::createEmptyResponse() {
  return std::make_shared<Made>();
}

size_t CFHTTPMessage::find(std::string_view name) const {
  for (size_t i = 0; i < fields_.size(); ++i)
    if (equalsIgnoringASCIICase(fields_[i].first, name)) return i;
  return std::string::npos;
}

void CFHTTPMessage::setHeaderFieldValue(std::string_view name,
                                        std::optional<std::string_view> value) {
  if (linesAreFields_) separateLines();  // the received lines stay as they came
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
  linesAreFields_ = true;
  // Room for a typical reply's fields, so that the list does not grow line by line.
  fields_.reserve(8);
  headerComplete_ = false;
  return true;
}

void CFHTTPMessage::appendHeaderLine(std::string_view name, std::string_view value) {
  // The canonical spelling differs only in case, so the received name finds the field.
  size_t i = find(name);
  if (i == std::string::npos) {
    std::string canonical(name);
    canonicalize(canonical);
    if (linesAreFields_ && canonical != name) separateLines();
    fields_.emplace_back(std::move(canonical), value);
  } else {
    if (linesAreFields_) separateLines();
    // An empty value adds nothing to the list the field's values make.
    std::string& joined = fields_[i].second;
    if (joined.empty())
      joined = value;
    else if (!value.empty())
      joined.append(", ").append(value);
  }
  if (!linesAreFields_) lines_.emplace_back(name, value);
}

void CFHTTPMessage::separateLines() {
  lines_ = fields_;
  linesAreFields_ = false;
}

bool CFHTTPMessage::isToken(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s) {
    auto u = static_cast<unsigned char>(c);
    if (u <= 32 || u >= 127) return false;
    if (std::string_view("()<>@,;:\\\"/[]?={}").find(c) != std::string_view::npos) return false;
  }
  return true;
}

bool CFHTTPMessage::listsToken(std::string_view value, std::string_view token) {
  auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!value.empty()) {
    size_t comma = value.find(',');
    std::string_view item = value.substr(0, comma);
    while (!item.empty() && blank(item.front())) item.remove_prefix(1);
    while (!item.empty() && blank(item.back())) item.remove_suffix(1);
    if (equalsIgnoringASCIICase(item, token)) return true;
    if (comma == std::string_view::npos) break;
    value.remove_prefix(comma + 1);
  }
  return false;
}

std::string CFHTTPMessage::canonicalHeaderName(std::string_view name) {
  std::string out(name);
  canonicalize(out);
  return out;
}

void CFHTTPMessage::canonicalize(std::string& name) {
  // ASCII only, whatever the locale: header names are ASCII tokens.
  bool upper = true;
  for (char& c : name) {
    const bool isLower = c >= 'a' && c <= 'z';
    const bool isUpper = c >= 'A' && c <= 'Z';
    if (isLower || isUpper) {
      if (upper && isLower) c = char(c - 'a' + 'A');
      if (!upper && isUpper) c = char(c - 'A' + 'a');
      upper = false;
    } else {
      upper = c == '-';
    }
  }
}

#include "server/ServerRequest.h"

#include <cctype>

namespace zept::server {

namespace {

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string RecordedRequest::header(std::string_view name) const {
  for (auto& [k, v] : headers) {
    if (equalsIgnoringASCIICase(k, name)) return v;
  }
  return {};
}

std::optional<std::string> RecordedRequest::param(std::string_view name) const {
  for (auto& [k, v] : queryParams) {
    if (k == name) return v;
  }
  for (auto& [k, v] : formParams) {
    if (k == name) return v;
  }
  return std::nullopt;
}

std::string RecordedRequest::paramOr(std::string_view name, std::string fallback) const {
  auto v = param(name);
  return v ? *v : fallback;
}

bool RecordedRequest::hasQueryParam(std::string_view name) const {
  for (auto& [k, v] : queryParams) {
    if (k == name) return true;
  }
  return false;
}

bool RecordedRequest::hasFormParam(std::string_view name) const {
  for (auto& [k, v] : formParams) {
    if (k == name) return true;
  }
  return false;
}

const RecordedRequest::FilePart* RecordedRequest::file(std::string_view name) const {
  for (auto& f : files) {
    if (f.name == name) return &f;
  }
  return nullptr;
}

std::string lowercaseASCII(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

bool equalsIgnoringASCIICase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

std::string decodeURLComponent(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    char c = s[i];
    if (c == '+') {
      out += ' ';
    } else if (c == '%' && i + 2 < s.size() && hexValue(s[i + 1]) >= 0 && hexValue(s[i + 2]) >= 0) {
      out += char(hexValue(s[i + 1]) * 16 + hexValue(s[i + 2]));
      i += 2;
    } else {
      out += c;
    }
  }
  return out;
}

Pairs parseURLEncoded(std::string_view text) {
  Pairs out;
  size_t pos = 0;
  while (pos <= text.size()) {
    size_t amp = text.find('&', pos);
    if (amp == std::string_view::npos) amp = text.size();
    std::string_view item = text.substr(pos, amp - pos);
    if (!item.empty()) {
      size_t eq = item.find('=');
      if (eq == std::string_view::npos)
        out.emplace_back(decodeURLComponent(item), std::string());
      else
        out.emplace_back(decodeURLComponent(item.substr(0, eq)),
                         decodeURLComponent(item.substr(eq + 1)));
    }
    pos = amp + 1;
  }
  return out;
}

std::string htmlEscape(std::string_view s) {
  std::string out;
  for (char c : s) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

}  // namespace zept::server

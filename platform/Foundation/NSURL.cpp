#include "Foundation/NSURL.h"

#include <cstring>
#include <filesystem>

#include "Foundation/NSString.h"

namespace {

bool isAlpha(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isDigit(char c) {
  return c >= '0' && c <= '9';
}
bool isHex(char c) {
  return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Unreserved, sub-delims and the gen-delims other than brackets.
bool isURLCharacter(char c) {
  if (isAlpha(c) || isDigit(c)) return true;
  return c && std::strchr("-._~!$&'()*+,;=:/?#@", c) != nullptr;
}

// Appendix B of RFC 3986, after the characters were checked.
bool split(std::string_view s, NSURL::Components& c) {
  size_t i = 0;
  if (!s.empty() && isAlpha(s[0])) {
    size_t j = 1;
    while (j < s.size() &&
           (isAlpha(s[j]) || isDigit(s[j]) || s[j] == '+' || s[j] == '-' || s[j] == '.'))
      ++j;
    if (j < s.size() && s[j] == ':') {
      c.scheme = std::string(s.substr(0, j));
      i = j + 1;
    }
  }
  if (s.compare(i, 2, "//") == 0) {
    size_t end = s.find_first_of("/?#", i + 2);
    if (end == std::string_view::npos) end = s.size();
    c.authority = std::string(s.substr(i + 2, end - i - 2));
    i = end;
  }
  size_t end = s.find_first_of("?#", i);
  if (end == std::string_view::npos) end = s.size();
  c.path = std::string(s.substr(i, end - i));
  i = end;
  if (i < s.size() && s[i] == '?') {
    end = s.find('#', i);
    if (end == std::string_view::npos) end = s.size();
    c.query = std::string(s.substr(i + 1, end - i - 1));
    i = end;
  }
  if (i < s.size() && s[i] == '#') c.fragment = std::string(s.substr(i + 1));
  return true;
}

bool valid(std::string_view s, const NSURL::Components& c) {
  for (size_t i = 0; i < s.size(); ++i) {
    char ch = s[i];
    if (ch == '%') {
      if (i + 2 >= s.size() || !isHex(s[i + 1]) || !isHex(s[i + 2])) return false;
      i += 2;
      continue;
    }
    if (ch == '[' || ch == ']') continue;  // checked against the authority below
    if (!isURLCharacter(ch)) return false;
  }
  if (c.fragment && c.fragment->find('#') != std::string::npos) return false;
  auto noBrackets = [](const std::optional<std::string>& p) {
    return !p || p->find_first_of("[]") == std::string::npos;
  };
  if (!noBrackets(c.scheme) || !noBrackets(c.query) || !noBrackets(c.fragment)) return false;
  if (c.path.find_first_of("[]") != std::string::npos) return false;
  if (c.authority) {
    // Brackets only around an IPv6 literal host: "[" right after the user info, "]" before
    // the end or the port.
    const std::string& a = *c.authority;
    size_t at = a.rfind('@');
    std::string_view hp = std::string_view(a).substr(at == std::string::npos ? 0 : at + 1);
    std::string_view userinfo =
        at == std::string::npos ? std::string_view() : std::string_view(a).substr(0, at);
    if (userinfo.find_first_of("[]") != std::string_view::npos) return false;
    size_t open = hp.find('['), close = hp.find(']');
    if (open == std::string_view::npos && close == std::string_view::npos) return true;
    if (open != 0 || close == std::string_view::npos) return false;
    if (hp.find_first_of("[]", 1) != close ||
        hp.find_first_of("[]", close + 1) != std::string_view::npos)
      return false;
    if (close + 1 < hp.size() && hp[close + 1] != ':') return false;
  }
  return true;
}

std::string decode(const std::string& s) {
  if (s.find('%') == std::string::npos) return s;  // nothing to decode
  std::optional<std::string> d =
      stringByReplacingPercentEscapesUsingEncoding(s, NSUTF8StringEncoding);
  return d ? *d : s;
}

}  // namespace

std::string NSURL::removeDotSegments(std::string_view in) {
  std::string input(in);
  std::string output;
  while (!input.empty()) {
    if (input.compare(0, 3, "../") == 0) {
      input.erase(0, 3);
    } else if (input.compare(0, 2, "./") == 0) {
      input.erase(0, 2);
    } else if (input.compare(0, 3, "/./") == 0) {
      input.erase(0, 2);
    } else if (input == "/.") {
      input = "/";
    } else if (input.compare(0, 4, "/../") == 0 || input == "/..") {
      input = input.size() == 3 ? std::string("/") : input.substr(3);
      size_t slash = output.rfind('/');
      output.erase(slash == std::string::npos ? 0 : slash);
    } else if (input == "." || input == "..") {
      input.clear();
    } else {
      size_t next = input.find('/', input[0] == '/' ? 1 : 0);
      if (next == std::string::npos) next = input.size();
      output += input.substr(0, next);
      input.erase(0, next);
    }
  }
  return output;
}

NSURL::Components NSURL::resolve(const Components& r, const Components& base) {
  Components t;
  if (r.scheme) {
    t.scheme = r.scheme;
    t.authority = r.authority;
    t.path = removeDotSegments(r.path);
    t.query = r.query;
  } else {
    if (r.authority) {
      t.authority = r.authority;
      t.path = removeDotSegments(r.path);
      t.query = r.query;
    } else {
      if (r.path.empty()) {
        t.path = base.path;
        t.query = r.query ? r.query : base.query;
      } else {
        if (r.path[0] == '/') {
          t.path = removeDotSegments(r.path);
        } else {
          std::string merged;
          if (base.authority && base.path.empty()) {
            merged = "/" + r.path;
          } else {
            size_t slash = base.path.rfind('/');
            merged = (slash == std::string::npos ? std::string() : base.path.substr(0, slash + 1)) +
                     r.path;
          }
          t.path = removeDotSegments(merged);
        }
        t.query = r.query;
      }
      t.authority = base.authority;
    }
    t.scheme = base.scheme;
  }
  t.fragment = r.fragment;
  return t;
}

std::string NSURL::recompose(const Components& c) {
  std::string out;
  if (c.scheme) out += *c.scheme + ":";
  if (c.authority) out += "//" + *c.authority;
  out += c.path;
  if (c.query) out += "?" + *c.query;
  if (c.fragment) out += "#" + *c.fragment;
  return out;
}

bool NSURL::splitAuthority() {
  if (!abs_.authority) return true;
  const std::string& a = *abs_.authority;
  size_t at = a.rfind('@');
  std::string hp = a;
  if (at != std::string::npos) {
    userInfo_ = a.substr(0, at);
    hp = a.substr(at + 1);
  }
  std::string portText;
  if (!hp.empty() && hp[0] == '[') {
    size_t close = hp.find(']');
    host_ = hp.substr(1, close - 1);
    if (close + 1 < hp.size()) portText = hp.substr(close + 2);
  } else {
    size_t colon = hp.rfind(':');
    host_ = hp.substr(0, colon);
    if (colon != std::string::npos) portText = hp.substr(colon + 1);
  }
  if (!portText.empty()) {
    long long p = 0;
    for (char c : portText) {
      if (!isDigit(c)) return false;
      p = p * 10 + (c - '0');
      if (p > 65535) return false;
    }
    port_ = int(p);
  }
  return true;
}

std::shared_ptr<NSURL> NSURL::URLWithString(std::string_view string) {
  return URLWithString(string, nullptr);
}

std::shared_ptr<NSURL> NSURL::fileURLWithPath(std::string_view path) {
  std::string absolute(path);
  if (absolute.empty() || absolute[0] != '/')
    absolute =
        std::filesystem::absolute(std::filesystem::path(absolute)).lexically_normal().string();
  auto escaped = stringByAddingPercentEscapesUsingEncoding(absolute, NSUTF8StringEncoding);
  if (!escaped) return nullptr;
  // "#" and "?" are legal in URLs but not part of a file name's URL.
  std::string text = "file://";
  for (char c : *escaped) {
    if (c == '#') {
      text += "%23";
    } else if (c == '?') {
      text += "%3F";
    } else {
      text += c;
    }
  }
  return URLWithString(text);
}

bool NSURL::isFileURL() const {
  auto s = scheme();
  if (!s || s->size() != 4) return false;
  std::string lower;
  for (char c : *s) lower += char(c >= 'A' && c <= 'Z' ? c + 32 : c);
  return lower == "file";
}

std::shared_ptr<NSURL> NSURL::URLWithString(std::string_view string,
                                            const std::shared_ptr<const NSURL>& base) {
  Components ref;
  split(string, ref);
  if (!valid(string, ref)) return nullptr;
  std::shared_ptr<NSURL> url(new NSURL());
  url->relative_ = std::string(string);
  url->base_ = base;
  if (base) {
    url->abs_ = resolve(ref, base->abs_);
    url->absText_ = recompose(url->abs_);
  } else {
    url->abs_ = std::move(ref);
    url->absText_ = url->relative_;
  }
  if (!url->splitAuthority()) return nullptr;
  return url;
}

std::string NSURL::absoluteString() const {
  return absText_;
}

std::shared_ptr<NSURL> NSURL::absoluteURL() const {
  return URLWithString(absText_);
}

std::optional<std::string> NSURL::host() const {
  if (!abs_.authority || host_.empty()) return std::nullopt;
  return decode(host_);
}

std::optional<std::string> NSURL::user() const {
  if (!userInfo_) return std::nullopt;
  return decode(userInfo_->substr(0, userInfo_->find(':')));
}

std::optional<std::string> NSURL::password() const {
  if (!userInfo_) return std::nullopt;
  size_t colon = userInfo_->find(':');
  if (colon == std::string::npos) return std::nullopt;
  return decode(userInfo_->substr(colon + 1));
}

std::string NSURL::path() const {
  std::string p = decode(abs_.path);
  while (p.size() > 1 && p.back() == '/') p.pop_back();
  return p;
}

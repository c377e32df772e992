#include "cookies/CookieParserFuzzCheck.h"

#include <cmath>
#include <cstdio>
#include <string_view>

#include "CFNetwork/CFHTTPMessage.h"
#include "CFNetwork/NSHTTPCookie.h"
#include "Foundation/Clock.h"
#include "Foundation/NSURL.h"

namespace {

using Cookie = std::shared_ptr<NSHTTPCookie>;

std::string lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return s;
}

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

bool endsWithDotted(const std::string& host, const std::string& domain) {
  return host == domain || (host.size() > domain.size() &&
                            host.compare(host.size() - domain.size(), domain.size(), domain) == 0 &&
                            host[host.size() - domain.size() - 1] == '.');
}

// What a cookie must be to go back out in a "Cookie" request field.
std::string checkCookie(const NSHTTPCookie& c, const std::string& host) {
  if (c.name().empty()) return "a cookie without a name";
  for (const std::string* text : {&c.name(), &c.value()}) {
    if (!text->empty() && (isBlank(text->front()) || isBlank(text->back())))
      return "a name or value keeps its blanks: '" + *text + "'";
    if (text->find(';') != std::string::npos) return "a name or value holds ';'";
    for (char ch : *text) {
      auto u = static_cast<unsigned char>(ch);
      if ((u < 0x20 && ch != '\t') || u == 0x7F)
        return "a name or value holds control character " + std::to_string(u);
    }
  }
  if (c.name().find('=') != std::string::npos) return "a name holds '='";
  if (c.path().empty() || c.path().front() != '/') return "a path not starting with '/'";
  if (c.domain().empty()) return "a cookie without a domain";
  if (c.domain().front() == '.') {
    if (!endsWithDotted(host, c.domain().substr(1))) return "a domain the URL is not in";
  } else if (c.domain() != host) {
    return "a host-only cookie of another host";
  }
  if (c.expiresDate() && std::isnan(*c.expiresDate())) return "an expiry that is not a number";
  return {};
}

// The path a cookie without a Path attribute gets: the URL's, up to its last "/".
std::string defaultPath(const NSURL& url) {
  std::string path = url.path();
  if (path.empty() || path[0] != '/') return "/";
  size_t slash = path.rfind('/');
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The cookie as a "Set-Cookie" field would carry it (blanks around "=", so that a name holding
// ", x" is not taken for a second cookie).  The URL's own path is left to the URL: it may hold
// what no attribute can carry (";", ", x=").
std::string setCookieText(const NSHTTPCookie& c, const NSURL& url, double now) {
  std::string text = c.name() + " = " + c.value();
  if (c.domain().front() == '.') text += "; Domain=" + c.domain();
  if (c.path() != defaultPath(url)) text += "; Path=" + c.path();
  if (c.isSecure()) text += "; Secure";
  if (c.isHTTPOnly()) text += "; HttpOnly";
  if (auto expires = c.expiresDate()) {
    char age[64];
    std::snprintf(age, sizeof age, "%.0f", std::trunc(*expires - now));
    text += std::string("; Max-Age=") + age;
  }
  return text;
}

}  // namespace

std::string cookieParserFuzzCheck(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  size_t lineEnd = input.find('\n');
  std::shared_ptr<NSURL> url = NSURL::URLWithString(input.substr(0, lineEnd));
  // Any URL the engine can reach: a host name of letters, digits, dots and dashes (or an
  // address) that does not start with a dot.
  auto reachable = [](const std::string& host) {
    return !host.empty() && host.front() != '.' &&
           host.find_first_not_of(
               "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
               "0123456789.-:") == std::string::npos;
  };
  if (!url || !url->host() || !reachable(*url->host()))
    url = NSURL::URLWithString("http://www.a.example/news/item.html");
  CFHTTPMessage::HeaderFields fields;
  while (lineEnd != std::string_view::npos) {
    input.remove_prefix(lineEnd + 1);
    lineEnd = input.find('\n');
    fields.emplace_back(lineEnd % 3 == 0 ? "set-cookie" : "Set-Cookie", input.substr(0, lineEnd));
  }
  fields.emplace_back("Set-Cookie2", "ignored=1");

  const std::string host = lower(*url->host());
  const double now = ClockNow();
  std::vector<Cookie> cookies = NSHTTPCookie::cookiesWithResponseHeaderFields(fields, *url);
  if (cookies.size() > size) return "more cookies than bytes";
  for (const Cookie& c : cookies) {
    std::string fault = checkCookie(*c, host);
    if (!fault.empty()) return fault;
    c->matchesURL(*url);
    c->description();

    // Written back as a field, the cookie reads the same.
    std::string text = setCookieText(*c, *url, now);
    auto again = NSHTTPCookie::cookiesWithResponseHeaderFields({{"Set-Cookie", text}}, *url);
    if (again.size() != 1) return "'" + text + "' reads as " + std::to_string(again.size());
    const NSHTTPCookie& a = *again[0];
    if (a.name() != c->name() || a.value() != c->value() || a.domain() != c->domain() ||
        a.path() != c->path() || a.isSecure() != c->isSecure() ||
        a.isHTTPOnly() != c->isHTTPOnly() || a.isSessionOnly() != c->isSessionOnly())
      return "'" + text + "' reads back as another cookie: " + a.description();
    if (c->expiresDate()) {
      double x = *c->expiresDate(), y = *a.expiresDate();
      if (std::fabs(x - y) > 2 + 1e-9 * std::fabs(x)) return "'" + text + "' expires elsewhen";
    }
  }
  return {};
}

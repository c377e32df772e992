#include "CFNetwork/NSHTTPCookie.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <mutex>

#include "Foundation/Clock.h"
#include "Foundation/NSString.h"
#include "Foundation/NSURL.h"

namespace {

// Blanks as the C library's isspace knows them.
std::string_view trim(std::string_view s) {
  return trimmedASCII(s, " \t\n\v\f\r");
}

bool isTokenChar(char c) {
  auto u = static_cast<unsigned char>(c);
  return u > 32 && u < 127 &&
         std::string_view("()<>@,;:\\\"/[]?={}").find(c) == std::string_view::npos;
}

// A field may carry several cookies joined with ", "; a comma inside an Expires date is
// followed by a day number, not by "name=".
std::vector<std::string> splitCookies(std::string_view value) {
  std::vector<std::string> out;
  size_t start = 0;
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] != ',') continue;
    size_t j = i + 1;
    while (j < value.size() && value[j] == ' ') ++j;
    size_t k = j;
    while (k < value.size() && isTokenChar(value[k])) ++k;
    if (k > j && k < value.size() && value[k] == '=') {
      out.emplace_back(value.substr(start, i - start));
      start = j;
    }
  }
  out.emplace_back(value.substr(start));
  return out;
}

// A name or value that can go back out in a "Cookie" field: no control character but tab.
bool isCookieText(std::string_view s) {
  for (char c : s) {
    auto u = static_cast<unsigned char>(c);
    if ((u < 0x20 && c != '\t') || u == 0x7F) return false;
  }
  return true;
}

bool domainMatches(const std::string& host, const std::string& domain) {
  if (host == domain) return true;
  return host.size() > domain.size() &&
         host.compare(host.size() - domain.size(), domain.size(), domain) == 0 &&
         host[host.size() - domain.size() - 1] == '.';
}

std::string defaultPath(const NSURL& url) {
  std::string path = url.path();
  if (path.empty() || path[0] != '/') return "/";
  size_t slash = path.rfind('/');
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

std::vector<std::shared_ptr<NSHTTPCookie>> NSHTTPCookie::cookiesWithResponseHeaderFields(
    const std::vector<std::pair<std::string, std::string>>& fields, const NSURL& url) {
  std::vector<std::shared_ptr<NSHTTPCookie>> out;
  std::string host = lowercaseASCIIString(url.host().value_or(""));
  if (host.empty()) return out;
  double now = ClockNow();
  for (auto& [fieldName, fieldValue] : fields) {
    if (lowercaseASCIIString(fieldName) != "set-cookie") continue;
    for (auto& text : splitCookies(fieldValue)) {
      std::string_view rest = text;
      size_t semi = rest.find(';');
      std::string_view pair = trim(rest.substr(0, semi));
      size_t eq = pair.find('=');
      if (eq == std::string_view::npos) continue;
      Properties p;
      p.name = trim(pair.substr(0, eq));
      p.value = trim(pair.substr(eq + 1));
      if (p.name.empty() || !isCookieText(p.name) || !isCookieText(p.value)) continue;
      p.domain = host;
      p.path = defaultPath(url);
      std::optional<double> maxAge;
      bool valid = true;
      while (semi != std::string_view::npos) {
        rest.remove_prefix(semi + 1);
        semi = rest.find(';');
        std::string_view attr = trim(rest.substr(0, semi));
        size_t aeq = attr.find('=');
        std::string key = lowercaseASCIIString(trim(attr.substr(0, aeq)));
        std::string_view val = aeq == std::string_view::npos ? "" : trim(attr.substr(aeq + 1));
        if (key == "domain" && !val.empty()) {
          std::string d = lowercaseASCIIString(val);
          if (d.front() == '.') d.erase(0, 1);
          if (!domainMatches(host, d)) valid = false;
          p.domain = "." + d;
        } else if (key == "path" && !val.empty() && val.front() == '/') {
          p.path = val;
        } else if (key == "expires") {
          std::string date(val);
          time_t t = curl_getdate(date.c_str(), nullptr);
          if (t != -1) p.expiresDate = double(t);
        } else if (key == "max-age") {
          std::string digits(val);
          char* end = nullptr;
          long long n = std::strtoll(digits.c_str(), &end, 10);
          if (end != digits.c_str()) maxAge = now + double(n);
        } else if (key == "secure") {
          p.secure = true;
        } else if (key == "httponly") {
          p.httpOnly = true;
        }
      }
      if (maxAge) p.expiresDate = maxAge;
      if (valid) out.push_back(std::make_shared<NSHTTPCookie>(std::move(p)));
    }
  }
  return out;
}

bool NSHTTPCookie::matchesURL(const NSURL& url) const {
  std::string host = lowercaseASCIIString(url.host().value_or(""));
  if (host.empty()) return false;
  if (!p_.domain.empty() && p_.domain.front() == '.') {
    if (!domainMatches(host, p_.domain.substr(1))) return false;
  } else if (host != p_.domain) {
    return false;
  }
  std::string path = url.path();
  if (path.empty()) path = "/";
  if (path != p_.path) {
    if (path.compare(0, p_.path.size(), p_.path) != 0) return false;
    if (p_.path.back() != '/' && path[p_.path.size()] != '/') return false;
  }
  if (p_.secure && lowercaseASCIIString(url.scheme().value_or("")) != "https") return false;
  return true;
}

std::string NSHTTPCookie::description() const {
  return "<NSHTTPCookie " + p_.name + "=" + p_.value + "; domain=" + p_.domain +
         "; path=" + p_.path + ">";
}

struct NSHTTPCookieStorage::Impl {
  mutable std::mutex mutex;
  std::vector<std::shared_ptr<NSHTTPCookie>> cookies;
};

NSHTTPCookieStorage& NSHTTPCookieStorage::sharedHTTPCookieStorage() {
  static NSHTTPCookieStorage* storage = [] {
    auto* s = new NSHTTPCookieStorage;
    s->impl_ = std::make_shared<Impl>();
    return s;
  }();
  return *storage;
}

NSHTTPCookieStorage::Impl& NSHTTPCookieStorage::impl() const {
  return *impl_;
}

std::vector<std::shared_ptr<NSHTTPCookie>> NSHTTPCookieStorage::cookies() const {
  std::lock_guard<std::mutex> lock(impl().mutex);
  return impl().cookies;
}

std::vector<std::shared_ptr<NSHTTPCookie>> NSHTTPCookieStorage::cookiesForURL(
    const NSURL& url) const {
  double now = ClockNow();
  std::vector<std::shared_ptr<NSHTTPCookie>> out;
  {
    std::lock_guard<std::mutex> lock(impl().mutex);
    for (auto& c : impl().cookies)
      if (!c->isExpiredAt(now) && c->matchesURL(url)) out.push_back(c);
  }
  std::stable_sort(out.begin(), out.end(), [](const auto& a, const auto& b) {
    return a->path().size() > b->path().size();
  });
  return out;
}

void NSHTTPCookieStorage::setCookie(const std::shared_ptr<NSHTTPCookie>& cookie) {
  if (!cookie) return;
  std::lock_guard<std::mutex> lock(impl().mutex);
  auto& list = impl().cookies;
  auto same = [&](const std::shared_ptr<NSHTTPCookie>& c) {
    return c->name() == cookie->name() && c->domain() == cookie->domain() &&
           c->path() == cookie->path();
  };
  auto it = std::find_if(list.begin(), list.end(), same);
  bool expired = cookie->isExpiredAt(ClockNow());
  if (it != list.end()) {
    if (expired)
      list.erase(it);
    else
      *it = cookie;
  } else if (!expired) {
    list.push_back(cookie);
  }
}

void NSHTTPCookieStorage::setCookies(const std::vector<std::shared_ptr<NSHTTPCookie>>& cookies,
                                     const NSURL*, const NSURL*) {
  for (auto& c : cookies) setCookie(c);
}

void NSHTTPCookieStorage::deleteCookie(const std::shared_ptr<NSHTTPCookie>& cookie) {
  std::lock_guard<std::mutex> lock(impl().mutex);
  std::erase(impl().cookies, cookie);
}

void NSHTTPCookieStorage::deleteAllCookies() {
  std::lock_guard<std::mutex> lock(impl().mutex);
  impl().cookies.clear();
}

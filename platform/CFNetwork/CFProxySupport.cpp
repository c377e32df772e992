#include "CFNetwork/CFProxySupport.h"

#include <duktape.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "CFNetwork/CFNetworkErrors.h"
#include "Foundation/NSString.h"
#include "Foundation/NSURL.h"

namespace {

// How long and how far a PAC script may run: duktape asks about every quarter of a million
// bytecode steps.
constexpr auto kScriptTimeLimit = std::chrono::milliseconds(1000);
constexpr int kScriptStepChecks = 400;
constexpr size_t kScriptMemoryLimit = size_t(32) << 20;

std::optional<std::string> environment(const char* lower, const char* upper) {
  for (const char* name : {lower, upper}) {
    const char* value = std::getenv(name);
    if (value && *value) return std::string(value);
  }
  return std::nullopt;
}

struct ProxyAddress {
  std::string scheme;  // lower-cased; "http" when the variable names none
  std::string host;
  int port = 0;
};

// "socks5://user@host:1080/", "http://host:3128", "host:3128", "[::1]:8080".
std::optional<ProxyAddress> parseProxyVariable(std::string value) {
  ProxyAddress address;
  address.scheme = "http";
  if (size_t sep = value.find("://"); sep != std::string::npos) {
    address.scheme = lowercaseASCIIString(value.substr(0, sep));
    value = value.substr(sep + 3);
  }
  value = value.substr(0, value.find('/'));
  if (size_t at = value.rfind('@'); at != std::string::npos) value = value.substr(at + 1);
  std::string port;
  if (!value.empty() && value.front() == '[') {
    size_t close = value.find(']');
    if (close == std::string::npos) return std::nullopt;
    address.host = value.substr(1, close - 1);
    if (close + 1 < value.size() && value[close + 1] == ':') port = value.substr(close + 2);
  } else if (size_t colon = value.rfind(':'); colon != std::string::npos) {
    address.host = value.substr(0, colon);
    port = value.substr(colon + 1);
  } else {
    address.host = value;
  }
  if (address.host.empty()) return std::nullopt;
  if (!port.empty()) {
    char* end = nullptr;
    long n = std::strtol(port.c_str(), &end, 10);
    if (*end || n <= 0 || n > 65535) return std::nullopt;
    address.port = int(n);
  } else {
    address.port = address.scheme == "https"             ? 443
                   : address.scheme.starts_with("socks") ? 1080
                                                         : 80;
  }
  return address;
}

bool isSOCKS(const ProxyAddress& a) {
  return a.scheme.starts_with("socks");
}

void setProxy(const ValueDictionary& settings, std::string_view enable, std::string_view hostKey,
              std::string_view portKey, const ProxyAddress& a) {
  settings->setObject(Value(1), enable);
  settings->setObject(Value(a.host), hostKey);
  settings->setObject(Value(a.port), portKey);
}

ValueDictionary proxyEntry(std::string_view type, const std::string& host = {}, int port = 0) {
  auto entry = makeDictionary({{std::string(kCFProxyTypeKey), Value(type)}});
  if (!host.empty()) {
    entry->setObject(Value(host), kCFProxyHostNameKey);
    entry->setObject(Value(port), kCFProxyPortNumberKey);
  }
  return entry;
}

bool hostIsExcepted(const std::string& host, const Value& exceptions) {
  if (!exceptions.isArray()) return false;
  std::string h = lowercaseASCIIString(host);
  for (const Value& v : *exceptions.array()) {
    if (!v.isString()) continue;
    std::string e = lowercaseASCIIString(trimmedASCII(v.string()));
    if (e.empty()) continue;
    if (e == "*") return true;
    if (e.front() == '.') e.erase(0, 1);
    if (h == e || (h.size() > e.size() && h.ends_with(e) && h[h.size() - e.size() - 1] == '.'))
      return true;
  }
  return false;
}

// ---- PAC scripts --------------------------------------------------------------------------------

// The standard helpers, written in the script's own language.  dnsResolve and myIpAddress
// are native (below).
constexpr const char* kPACHelpers = R"JS(
function isPlainHostName(host) { return host.indexOf('.') < 0; }
function dnsDomainIs(host, domain) {
  return host.length >= domain.length &&
         host.substring(host.length - domain.length) === domain;
}
function localHostOrDomainIs(host, hostdom) {
  return host === hostdom || hostdom.lastIndexOf(host + '.', 0) === 0;
}
function dnsDomainLevels(host) { return host.split('.').length - 1; }
function isResolvable(host) { return dnsResolve(host) !== null; }
function convert_addr(ip) {
  var b = ip.split('.');
  if (b.length !== 4) return NaN;
  return (((b[0] & 0xff) << 24) | ((b[1] & 0xff) << 16) | ((b[2] & 0xff) << 8) |
          (b[3] & 0xff)) >>> 0;
}
function isInNet(host, pattern, mask) {
  var ip = dnsResolve(host);
  if (ip === null) return false;
  var m = convert_addr(mask);
  return ((convert_addr(ip) & m) >>> 0) === ((convert_addr(pattern) & m) >>> 0);
}
function shExpMatch(str, shexp) {
  var re = shexp.replace(/[.+^${}()|[\]\\]/g, '\\$&').replace(/\*/g, '.*').replace(/\?/g, '.');
  return new RegExp('^' + re + '$').test(str);
}
function pacNow(args) {
  var gmt = args.length > 0 && args[args.length - 1] === 'GMT';
  return { date: new Date(), gmt: gmt, n: gmt ? args.length - 1 : args.length };
}
function weekdayRange() {
  var days = ['SUN', 'MON', 'TUE', 'WED', 'THU', 'FRI', 'SAT'];
  var t = pacNow(arguments);
  var today = t.gmt ? t.date.getUTCDay() : t.date.getDay();
  var first = days.indexOf(arguments[0]);
  if (first < 0) return false;
  if (t.n < 2) return today === first;
  var last = days.indexOf(arguments[1]);
  if (last < 0) return false;
  return first <= last ? (today >= first && today <= last) : (today >= first || today <= last);
}
function timeRange() {
  var t = pacNow(arguments);
  var d = t.date;
  var now = (t.gmt ? d.getUTCHours() : d.getHours()) * 3600 +
            (t.gmt ? d.getUTCMinutes() : d.getMinutes()) * 60 +
            (t.gmt ? d.getUTCSeconds() : d.getSeconds());
  var a = Array.prototype.slice.call(arguments, 0, t.n).map(Number);
  if (a.length === 1) return Math.floor(now / 3600) === a[0];
  var from, to;
  if (a.length === 2) { from = a[0] * 3600; to = a[1] * 3600 + 3599; }
  else if (a.length === 4) { from = a[0] * 3600 + a[1] * 60; to = a[2] * 3600 + a[3] * 60 + 59; }
  else if (a.length === 6) { from = a[0] * 3600 + a[1] * 60 + a[2]; to = a[3] * 3600 + a[4] * 60 + a[5]; }
  else return false;
  return from <= to ? (now >= from && now <= to) : (now >= from || now <= to);
}
function dateRange() {
  var months = ['JAN', 'FEB', 'MAR', 'APR', 'MAY', 'JUN', 'JUL', 'AUG', 'SEP', 'OCT', 'NOV', 'DEC'];
  var t = pacNow(arguments);
  var d = t.date;
  var day = t.gmt ? d.getUTCDate() : d.getDate();
  var month = t.gmt ? d.getUTCMonth() : d.getMonth();
  var year = t.gmt ? d.getUTCFullYear() : d.getFullYear();
  // Each argument is a day (1-31), a month name or a year; one or two points of the same kind.
  function point(v) {
    if (typeof v === 'string' && months.indexOf(v) >= 0) return { k: 'm', v: months.indexOf(v) };
    v = Number(v);
    return v > 31 ? { k: 'y', v: v } : { k: 'd', v: v };
  }
  var a = Array.prototype.slice.call(arguments, 0, t.n).map(point);
  function value(k) { return k === 'm' ? month : k === 'y' ? year : day; }
  if (a.length === 1) return value(a[0].k) === a[0].v;
  if (a.length !== 2 || a[0].k !== a[1].k) return false;
  var now = value(a[0].k);
  return a[0].v <= a[1].v ? (now >= a[0].v && now <= a[1].v) : (now >= a[0].v || now <= a[1].v);
}
)JS";

struct ScriptBudget {
  std::chrono::steady_clock::time_point deadline;
  int checks = 0;
  size_t allocated = 0;
};

// The allocator keeps a size header so that the budget can count what is freed.
void* budgetAlloc(void* udata, duk_size_t size) {
  auto* budget = static_cast<ScriptBudget*>(udata);
  if (budget->allocated + size > kScriptMemoryLimit) return nullptr;
  auto* p = static_cast<size_t*>(std::malloc(size + sizeof(std::max_align_t)));
  if (!p) return nullptr;
  *p = size;
  budget->allocated += size;
  return reinterpret_cast<char*>(p) + sizeof(std::max_align_t);
}

void budgetFree(void* udata, void* ptr) {
  if (!ptr) return;
  auto* p = reinterpret_cast<size_t*>(static_cast<char*>(ptr) - sizeof(std::max_align_t));
  static_cast<ScriptBudget*>(udata)->allocated -= *p;
  std::free(p);
}

void* budgetRealloc(void* udata, void* ptr, duk_size_t size) {
  if (!ptr) return budgetAlloc(udata, size);
  if (size == 0) {
    budgetFree(udata, ptr);
    return nullptr;
  }
  auto* budget = static_cast<ScriptBudget*>(udata);
  auto* p = reinterpret_cast<size_t*>(static_cast<char*>(ptr) - sizeof(std::max_align_t));
  size_t old = *p;
  if (size > old && budget->allocated + (size - old) > kScriptMemoryLimit) return nullptr;
  auto* q = static_cast<size_t*>(std::realloc(p, size + sizeof(std::max_align_t)));
  if (!q) return nullptr;
  budget->allocated = budget->allocated - old + size;
  *q = size;
  return reinterpret_cast<char*>(q) + sizeof(std::max_align_t);
}

[[noreturn]] void scriptFatal(void*, const char* message) {
  std::fprintf(stderr, "PAC script engine: fatal error: %s\n", message ? message : "");
  std::abort();
}

bool isIPv4Literal(const std::string& s) {
  int parts = 0;
  size_t i = 0;
  while (i <= s.size()) {
    size_t start = i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i;
    if (i == start || i - start > 3 || std::stoi(s.substr(start, i - start)) > 255) return false;
    ++parts;
    if (i == s.size()) break;
    if (s[i] != '.') return false;
    ++i;
  }
  return parts == 4;
}

duk_ret_t nativeDnsResolve(duk_context* ctx) {
  std::string host = duk_safe_to_string(ctx, 0);
  if (isIPv4Literal(host))
    duk_push_string(ctx, host.c_str());
  else if (lowercaseASCIIString(host) == "localhost")
    duk_push_string(ctx, "127.0.0.1");
  else
    duk_push_null(ctx);
  return 1;
}

duk_ret_t nativeMyIpAddress(duk_context* ctx) {
  duk_push_string(ctx, "127.0.0.1");
  return 1;
}

NSErrorPtr scriptError(std::string_view what) {
  return NSError::withDescription(kCFErrorDomainCFNetwork, kCFErrorPACFileError,
                                  std::string("PAC script failed: ") + std::string(what));
}

// "PROXY a:1; SOCKS b:2; DIRECT" in order; entries that make no sense are left out.
ValueArray parsePACAnswer(const std::string& answer) {
  auto list = makeArray();
  size_t start = 0;
  while (start <= answer.size()) {
    size_t end = answer.find(';', start);
    if (end == std::string::npos) end = answer.size();
    std::string item(trimmedASCII(std::string_view(answer).substr(start, end - start)));
    start = end + 1;
    if (item.empty()) continue;
    size_t space = item.find_first_of(" \t");
    std::string keyword = uppercaseString(item.substr(0, space));
    if (keyword == "DIRECT") {
      list->addObject(Value(proxyEntry(kCFProxyTypeNone)));
      continue;
    }
    if (space == std::string::npos) continue;
    std::string_view type = keyword == "PROXY"   ? kCFProxyTypeHTTP
                            : keyword == "HTTPS" ? kCFProxyTypeHTTPS
                            : keyword == "SOCKS" || keyword.starts_with("SOCKS")
                                ? kCFProxyTypeSOCKS
                                : std::string_view();
    if (type.empty()) continue;
    auto address = parseProxyVariable(std::string(trimmedASCII(item.substr(space))));
    if (!address || address->host.find('/') != std::string::npos) continue;
    if (item.substr(space).find(':') == std::string::npos)
      address->port = type == kCFProxyTypeSOCKS ? 1080 : 80;
    list->addObject(Value(proxyEntry(type, address->host, address->port)));
  }
  return list;
}

}  // namespace

extern "C" int zept_pac_timeout_check(void* udata) {
  auto* budget = static_cast<ScriptBudget*>(udata);
  if (!budget) return 0;
  return ++budget->checks > kScriptStepChecks ||
         std::chrono::steady_clock::now() > budget->deadline;
}

ValueDictionary CFNetworkCopySystemProxySettings() {
  auto settings = makeDictionary();
  if (auto all = environment("all_proxy", "ALL_PROXY")) {
    if (auto a = parseProxyVariable(*all)) {
      if (isSOCKS(*a)) {
        setProxy(settings, kCFNetworkProxiesSOCKSEnable, kCFNetworkProxiesSOCKSProxy,
                 kCFNetworkProxiesSOCKSPort, *a);
      } else {
        setProxy(settings, kCFNetworkProxiesHTTPEnable, kCFNetworkProxiesHTTPProxy,
                 kCFNetworkProxiesHTTPPort, *a);
        setProxy(settings, kCFNetworkProxiesHTTPSEnable, kCFNetworkProxiesHTTPSProxy,
                 kCFNetworkProxiesHTTPSPort, *a);
      }
    }
  }
  if (auto http = environment("http_proxy", "HTTP_PROXY"))
    if (auto a = parseProxyVariable(*http))
      setProxy(settings, kCFNetworkProxiesHTTPEnable, kCFNetworkProxiesHTTPProxy,
               kCFNetworkProxiesHTTPPort, *a);
  if (auto https = environment("https_proxy", "HTTPS_PROXY"))
    if (auto a = parseProxyVariable(*https))
      setProxy(settings, kCFNetworkProxiesHTTPSEnable, kCFNetworkProxiesHTTPSProxy,
               kCFNetworkProxiesHTTPSPort, *a);
  if (auto pac = environment("auto_proxy", "AUTO_PROXY")) {
    settings->setObject(Value(1), kCFNetworkProxiesProxyAutoConfigEnable);
    settings->setObject(Value(*pac), kCFNetworkProxiesProxyAutoConfigURLString);
  }
  if (auto none = environment("no_proxy", "NO_PROXY")) {
    auto list = makeArray();
    size_t start = 0;
    while (start <= none->size()) {
      size_t end = none->find(',', start);
      if (end == std::string::npos) end = none->size();
      std::string item(trimmedASCII(std::string_view(*none).substr(start, end - start)));
      if (!item.empty()) list->addObject(Value(item));
      start = end + 1;
    }
    settings->setObject(Value(list), kCFNetworkProxiesExceptionsList);
  }
  return settings;
}

ValueArray CFNetworkCopyProxiesForURL(std::string_view url, const ValueDictionary& settings) {
  auto u = NSURL::URLWithString(url);
  if (!u || !settings) return nullptr;
  std::string scheme = lowercaseASCIIString(u->scheme().value_or(""));
  std::string host = u->host().value_or("");
  if (scheme.empty()) return nullptr;
  // The settings name proxies for the web's schemes only.
  if (scheme != "http" && scheme != "https")
    return makeArray({Value(proxyEntry(kCFProxyTypeNone))});
  if (host.empty()) return nullptr;
  const Value& s = Value(settings);
  if (s[kCFNetworkProxiesProxyAutoConfigEnable].intValue() != 0 &&
      s[kCFNetworkProxiesProxyAutoConfigURLString].isString()) {
    auto entry = proxyEntry(kCFProxyTypeAutoConfigurationURL);
    entry->setObject(s[kCFNetworkProxiesProxyAutoConfigURLString], kCFProxyAutoConfigurationURLKey);
    return makeArray({Value(entry)});
  }
  if (hostIsExcepted(host, s[kCFNetworkProxiesExceptionsList]))
    return makeArray({Value(proxyEntry(kCFProxyTypeNone))});
  auto take = [&](std::string_view enable, std::string_view hostKey, std::string_view portKey,
                  std::string_view type) -> ValueArray {
    if (s[enable].intValue() == 0 || !s[hostKey].isString() || s[hostKey].string().empty())
      return nullptr;
    return makeArray({Value(proxyEntry(type, std::string(s[hostKey].string()), s[portKey].intValue()))});
  };
  ValueArray found = scheme == "https"
                         ? take(kCFNetworkProxiesHTTPSEnable, kCFNetworkProxiesHTTPSProxy,
                                kCFNetworkProxiesHTTPSPort, kCFProxyTypeHTTPS)
                         : take(kCFNetworkProxiesHTTPEnable, kCFNetworkProxiesHTTPProxy,
                                kCFNetworkProxiesHTTPPort, kCFProxyTypeHTTP);
  if (!found)
    found = take(kCFNetworkProxiesSOCKSEnable, kCFNetworkProxiesSOCKSProxy,
                 kCFNetworkProxiesSOCKSPort, kCFProxyTypeSOCKS);
  return found ? found : makeArray({Value(proxyEntry(kCFProxyTypeNone))});
}

ValueArray CFNetworkCopyProxiesForAutoConfigurationScript(std::string_view script,
                                                          std::string_view url, NSErrorPtr* error) {
  auto fail = [&](std::string_view what) -> ValueArray {
    if (error) *error = scriptError(what);
    return nullptr;
  };
  auto u = NSURL::URLWithString(url);
  std::string host = u ? u->host().value_or("") : std::string();
  if (!u || host.empty()) return fail("the URL has no host");
  std::string scheme = lowercaseASCIIString(u->scheme().value_or(""));
  // A script may send what it is shown elsewhere: of an https URL it sees only the origin.
  std::string shown(url);
  if (scheme == "https") {
    shown = "https://" + (host.find(':') != std::string::npos ? "[" + host + "]" : host);
    if (u->port()) shown += ":" + std::to_string(*u->port());
    shown += "/";
  }

  ScriptBudget budget;
  budget.deadline = std::chrono::steady_clock::now() + kScriptTimeLimit;
  duk_context* ctx = duk_create_heap(budgetAlloc, budgetRealloc, budgetFree, &budget, scriptFatal);
  if (!ctx) return fail("no memory for the script");
  struct Heap {
    duk_context* ctx;
    ~Heap() { duk_destroy_heap(ctx); }
  } heap{ctx};

  duk_push_c_function(ctx, nativeDnsResolve, 1);
  duk_put_global_string(ctx, "dnsResolve");
  duk_push_c_function(ctx, nativeMyIpAddress, 0);
  duk_put_global_string(ctx, "myIpAddress");
  if (duk_peval_string(ctx, kPACHelpers) != 0) return fail(duk_safe_to_string(ctx, -1));
  duk_pop(ctx);

  duk_push_lstring(ctx, script.data(), script.size());
  duk_push_string(ctx, "proxy.pac");
  if (duk_pcompile(ctx, 0) != 0) return fail(duk_safe_to_string(ctx, -1));
  if (duk_pcall(ctx, 0) != 0) return fail(duk_safe_to_string(ctx, -1));
  duk_pop(ctx);

  if (!duk_get_global_string(ctx, "FindProxyForURL") || !duk_is_function(ctx, -1))
    return fail("the script defines no FindProxyForURL");
  duk_push_string(ctx, shown.c_str());
  duk_push_string(ctx, host.c_str());
  if (duk_pcall(ctx, 2) != 0) return fail(duk_safe_to_string(ctx, -1));
  if (!duk_is_string(ctx, -1)) return fail("FindProxyForURL answered no text");
  return parsePACAnswer(duk_get_string(ctx, -1));
}

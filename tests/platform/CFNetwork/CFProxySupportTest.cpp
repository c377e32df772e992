// The system proxy settings read from the environment, the proxies they name for a URL, and
// PAC scripts evaluated for a URL.
#include <gtest/gtest.h>

#include <cstdlib>

#include "CFNetwork/CFNetworkErrors.h"
#include "CFNetwork/CFProxySupport.h"

namespace {

struct Env {
  std::vector<std::string> names;
  void set(const char* name, const char* value) {
    setenv(name, value, 1);
    names.push_back(name);
  }
  ~Env() {
    for (auto& n : names) unsetenv(n.c_str());
  }
};

// "HTTP 127.0.0.1:3128" or "None" for each entry.
std::string describe(const ValueArray& proxies) {
  if (!proxies) return "nil";
  std::string out;
  for (const Value& p : *proxies) {
    if (!out.empty()) out += "; ";
    out += p[kCFProxyTypeKey].string();
    if (p[kCFProxyHostNameKey].isString())
      out += " " + std::string(p[kCFProxyHostNameKey].string()) + ":" +
             std::to_string(p[kCFProxyPortNumberKey].intValue());
    if (p[kCFProxyAutoConfigurationURLKey].isString())
      out += " " + std::string(p[kCFProxyAutoConfigurationURLKey].string());
  }
  return out;
}

std::string forURL(const std::string& url) {
  return describe(CFNetworkCopyProxiesForURL(url, CFNetworkCopySystemProxySettings()));
}

std::string pac(const std::string& body, const std::string& url) {
  NSErrorPtr error;
  auto proxies = CFNetworkCopyProxiesForAutoConfigurationScript(
      "function FindProxyForURL(url, host) {" + body + "}", url, &error);
  if (!proxies) return "error";
  EXPECT_FALSE(error);
  return describe(proxies);
}

}  // namespace

TEST(CFProxySupport, TheEnvironmentNamesTheProxyForEachSchemeAndItsExceptions) {
  EXPECT_EQ(forURL("http://a.m.r/x"), "None");
  Env env;
  env.set("http_proxy", "http://10.0.0.1:3128/");
  env.set("HTTPS_PROXY", "user:pw@10.0.0.2");
  env.set("no_proxy", "localhost, .inner.example,exact.org");
  struct Case {
    const char* url;
    const char* proxies;
  } cases[] = {
      {"http://a.m.r/x", "HTTP 10.0.0.1:3128"},
      {"https://a.m.r/x", "HTTPS 10.0.0.2:80"},
      {"http://localhost:8080/", "None"},
      {"http://deep.inner.example/", "None"},
      {"http://inner.example/", "None"},
      {"http://notinner.example/", "HTTP 10.0.0.1:3128"},
      {"http://exact.org/", "None"},
      {"ftp://a.m.r/", "None"},
      {"http:///nohost", "nil"},
      {"not a url", "nil"},
  };
  for (const auto& c : cases) EXPECT_EQ(forURL(c.url), c.proxies) << c.url;

  // The lower-case variable wins; a SOCKS proxy for everything stands behind the others.
  env.set("HTTP_PROXY", "http://10.9.9.9:1");
  EXPECT_EQ(forURL("http://a.m.r/"), "HTTP 10.0.0.1:3128");
  unsetenv("http_proxy");
  unsetenv("HTTP_PROXY");
  unsetenv("HTTPS_PROXY");
  env.set("all_proxy", "socks5h://127.0.0.1:1080");
  EXPECT_EQ(forURL("https://a.m.r/"), "SOCKS 127.0.0.1:1080");

  // An auto-configuration URL comes first, whatever else is set.
  env.set("auto_proxy", "http://127.0.0.1:9/proxy.pac");
  EXPECT_EQ(forURL("http://a.m.r/"), "AutoConfigurationURL http://127.0.0.1:9/proxy.pac");
}

TEST(CFProxySupport, APACScriptsAnswerIsReadInOrder) {
  struct Case {
    const char* body;
    const char* proxies;
  } cases[] = {
      {"return 'PROXY 127.0.0.1:3128; SOCKS s.example:1080; DIRECT';",
       "HTTP 127.0.0.1:3128; SOCKS s.example:1080; None"},
      {"return 'DIRECT';", "None"},
      {"return 'PROXY p.example';", "HTTP p.example:80"},
      {"return ' https h.example:443 ;; SOCKS5 s:9 ; BOGUS x:1 ; PROXY';",
       "HTTPS h.example:443; SOCKS s:9"},
      {"return '';", ""},
      {"return 42;", "error"},
      {"throw new Error('no');", "error"},
      {"return 'PROXY ' +;", "error"},
  };
  for (const auto& c : cases) EXPECT_EQ(pac(c.body, "http://a.m.r/x"), c.proxies) << c.body;

  NSErrorPtr error;
  EXPECT_FALSE(CFNetworkCopyProxiesForAutoConfigurationScript("var x = 1;", "http://a/", &error));
  ASSERT_TRUE(error);
  EXPECT_EQ(error->code(), kCFErrorPACFileError);
}

TEST(CFProxySupport, TheStandardHelpersWorkWithoutLookingNamesUp) {
  struct Case {
    const char* expression;
    bool expected;
  } cases[] = {
      {"isPlainHostName('www')", true},
      {"isPlainHostName('www.a.m.r')", false},
      {"dnsDomainIs('www.a.m.r', '.m.r')", true},
      {"dnsDomainIs('www.a.m.r', '.x.r')", false},
      {"localHostOrDomainIs('www', 'www.a.m.r')", true},
      {"localHostOrDomainIs('www.a.m.r', 'www.a.m.r')", true},
      {"localHostOrDomainIs('ftp', 'www.a.m.r')", false},
      {"dnsDomainLevels('www.a.m.r') === 3", true},
      {"shExpMatch('http://a.m.r/x.pac', '*.pac')", true},
      {"shExpMatch('http://a.m.r/x.pac', '*/?.pac')", true},
      {"shExpMatch('http://a.m.r/x.pac', '*.m.r')", false},
      {"isInNet('10.1.2.3', '10.0.0.0', '255.0.0.0')", true},
      {"isInNet('11.1.2.3', '10.0.0.0', '255.0.0.0')", false},
      {"isInNet('localhost', '127.0.0.0', '255.0.0.0')", true},
      {"isResolvable('www.a.m.r')", false},
      {"dnsResolve('localhost') === '127.0.0.1'", true},
      {"myIpAddress() === '127.0.0.1'", true},
      {"weekdayRange('SUN', 'SAT')", true},
      {"timeRange(0, 23)", true},
      {"dateRange(1, 31)", true},
      {"dateRange('JAN', 'DEC')", true},
  };
  for (const auto& c : cases) {
    std::string body = std::string("return (") + c.expression + ") ? 'PROXY yes:1' : 'PROXY no:1';";
    EXPECT_EQ(pac(body, "http://a.m.r/x"), c.expected ? "HTTP yes:1" : "HTTP no:1") << c.expression;
  }
}

TEST(CFProxySupport, OfAnHttpsURLTheScriptSeesOnlySchemeHostAndPort) {
  std::string body = "return 'PROXY ' + (url === EXPECTED ? 'origin' : 'full') + ':1';";
  auto run = [&](const std::string& expected, const std::string& url) {
    return pac("var EXPECTED = '" + expected + "';" + body, url);
  };
  EXPECT_EQ(run("https://a.m.r:8443/", "https://a.m.r:8443/private/path?token=1#f"),
            "HTTP origin:1");
  EXPECT_EQ(run("https://a.m.r/", "https://a.m.r/private"), "HTTP origin:1");
  EXPECT_EQ(run("http://a.m.r/open?q=1", "http://a.m.r/open?q=1"), "HTTP origin:1");
}

TEST(CFProxySupport, AScriptThatRunsOnIsStoppedAndFails) {
  struct Case {
    const char* name;
    const char* script;
  } cases[] = {
      {"endless loop", "function FindProxyForURL(u, h) { for (;;) {} }"},
      {"endless at load", "while (true) {} function FindProxyForURL(u, h) { return 'DIRECT'; }"},
      {"endless allocation",
       "function FindProxyForURL(u, h) { var a = []; for (;;) a.push('x' + a.length); }"},
      {"endless recursion", "function FindProxyForURL(u, h) { return FindProxyForURL(u, h); }"},
  };
  for (const auto& c : cases) {
    NSErrorPtr error;
    EXPECT_FALSE(CFNetworkCopyProxiesForAutoConfigurationScript(c.script, "http://a/", &error))
        << c.name;
    EXPECT_TRUE(error) << c.name;
  }
}

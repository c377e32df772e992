// Proxies: the system's proxy settings, the proxies they name for a URL, and proxy
// auto-configuration (PAC) scripts.
//
// The system settings come from the usual environment variables, read at each call:
// "http_proxy", "https_proxy", "all_proxy" (a SOCKS proxy when its scheme is "socks",
// "socks4", "socks5" or "socks5h", else an HTTP proxy for both schemes), "no_proxy" (host
// names and domain suffixes, comma-separated, "*" for every host) and "auto_proxy" (the URL
// of a PAC script), each also in upper case; the lower-case one wins.
//
// A PAC script is evaluated in a fresh JavaScript context of its own, with the standard
// helper functions, for one URL.  It sees only the scheme, host and port of an https URL
// (never its path or query).  The helpers never look a name up on the network: dnsResolve
// and isResolvable know IPv4 literals and "localhost" only, and myIpAddress is "127.0.0.1".
// A script that runs too long (about a second, or too many steps) or too big is stopped and
// counts as failed.
#pragma once

#include <string>
#include <string_view>

#include "Foundation/NSError.h"
#include "Foundation/Value.h"

// Keys and types of the proxy dictionaries CFNetworkCopyProxiesForURL gives.
inline constexpr std::string_view kCFProxyTypeKey = "kCFProxyTypeKey";
inline constexpr std::string_view kCFProxyHostNameKey = "kCFProxyHostNameKey";
inline constexpr std::string_view kCFProxyPortNumberKey = "kCFProxyPortNumberKey";
inline constexpr std::string_view kCFProxyAutoConfigurationURLKey =
    "kCFProxyAutoConfigurationURLKey";
// The type names: what a request keeps as its proxy type.
inline constexpr std::string_view kCFProxyTypeNone = "None";
inline constexpr std::string_view kCFProxyTypeHTTP = "HTTP";
inline constexpr std::string_view kCFProxyTypeHTTPS = "HTTPS";
inline constexpr std::string_view kCFProxyTypeSOCKS = "SOCKS";
inline constexpr std::string_view kCFProxyTypeAutoConfigurationURL = "AutoConfigurationURL";

// Keys of the system settings (the host and port keys are those of the stream's proxy
// dictionaries).
inline constexpr std::string_view kCFNetworkProxiesHTTPEnable = "HTTPEnable";
inline constexpr std::string_view kCFNetworkProxiesHTTPProxy = "HTTPProxy";
inline constexpr std::string_view kCFNetworkProxiesHTTPPort = "HTTPPort";
inline constexpr std::string_view kCFNetworkProxiesHTTPSEnable = "HTTPSEnable";
inline constexpr std::string_view kCFNetworkProxiesHTTPSProxy = "HTTPSProxy";
inline constexpr std::string_view kCFNetworkProxiesHTTPSPort = "HTTPSPort";
inline constexpr std::string_view kCFNetworkProxiesSOCKSEnable = "SOCKSEnable";
inline constexpr std::string_view kCFNetworkProxiesSOCKSProxy = "SOCKSProxy";
inline constexpr std::string_view kCFNetworkProxiesSOCKSPort = "SOCKSPort";
inline constexpr std::string_view kCFNetworkProxiesProxyAutoConfigEnable = "ProxyAutoConfigEnable";
inline constexpr std::string_view kCFNetworkProxiesProxyAutoConfigURLString =
    "ProxyAutoConfigURLString";
inline constexpr std::string_view kCFNetworkProxiesExceptionsList = "ExceptionsList";

// The settings now in force (never nil; empty without any proxy variable).
ValueDictionary CFNetworkCopySystemProxySettings();

// The proxies to try for the URL, best first: an auto-configuration entry when the settings
// name a PAC script, else the proxy for the URL's scheme, else one entry of type None (also
// for schemes other than http and https).  nil when there are no settings, the URL has no
// scheme, or an http or https URL has no host.
ValueArray CFNetworkCopyProxiesForURL(std::string_view url, const ValueDictionary& settings);

// Runs FindProxyForURL of the script for the URL and turns its answer ("PROXY h:p; SOCKS
// h:p; DIRECT") into proxy dictionaries, in order (DIRECT is an entry of type None).  nil
// with the error when the script does not compile, throws, answers something other than a
// text, or is stopped.
ValueArray CFNetworkCopyProxiesForAutoConfigurationScript(std::string_view script,
                                                          std::string_view url, NSErrorPtr* error);

// Cookies as the platform's URL loading keeps them: parsed from "Set-Cookie" response fields
// for the URL they came with, and matched to the URLs they go back to.  (A Foundation class;
// it lives beside the HTTP streams because only they use it here.)
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Foundation/NSObject.h"

class NSURL;

class NSHTTPCookie : public NSObject {
 public:
  struct Properties {
    std::string name;
    std::string value;
    // ".example.com" for a domain cookie; the bare host for a host-only one.
    std::string domain;
    std::string path = "/";
    std::optional<double> expiresDate;  // seconds since 1970; none for a session cookie
    bool secure = false;
    bool httpOnly = false;
  };

  explicit NSHTTPCookie(Properties p) : p_(std::move(p)) {}

  // cookiesWithResponseHeaderFields:forURL: every cookie of the "Set-Cookie" fields (a field
  // may hold several, joined with ", ") that the URL may set.  Attributes: Domain, Path,
  // Expires, Max-Age, Secure, HttpOnly.  A cookie whose name or value holds a control
  // character other than tab is refused: it could not go back out in a "Cookie" field.
  static std::vector<std::shared_ptr<NSHTTPCookie>> cookiesWithResponseHeaderFields(
      const std::vector<std::pair<std::string, std::string>>& fields, const NSURL& url);

  const std::string& name() const { return p_.name; }
  const std::string& value() const { return p_.value; }
  const std::string& domain() const { return p_.domain; }
  const std::string& path() const { return p_.path; }
  std::optional<double> expiresDate() const { return p_.expiresDate; }
  bool isSecure() const { return p_.secure; }
  bool isHTTPOnly() const { return p_.httpOnly; }
  bool isSessionOnly() const { return !p_.expiresDate; }
  // Whether the cookie goes with a request for the URL (domain, path and scheme).
  bool matchesURL(const NSURL& url) const;
  bool isExpiredAt(double now) const { return p_.expiresDate && *p_.expiresDate <= now; }

  std::string description() const override;

 private:
  Properties p_;
};

// The shared cookie store (in memory, for the life of the process).
class NSHTTPCookieStorage {
 public:
  static NSHTTPCookieStorage& sharedHTTPCookieStorage();

  std::vector<std::shared_ptr<NSHTTPCookie>> cookies() const;
  // The unexpired cookies for the URL, longer paths first.
  std::vector<std::shared_ptr<NSHTTPCookie>> cookiesForURL(const NSURL& url) const;
  // A cookie replaces the stored one of the same name, domain and path; an expired one only
  // deletes it.
  void setCookie(const std::shared_ptr<NSHTTPCookie>& cookie);
  void setCookies(const std::vector<std::shared_ptr<NSHTTPCookie>>& cookies, const NSURL* url,
                  const NSURL* mainDocumentURL);
  void deleteCookie(const std::shared_ptr<NSHTTPCookie>& cookie);
  void deleteAllCookies();

 private:
  NSHTTPCookieStorage() = default;
  struct Impl;
  std::shared_ptr<Impl> impl_;
  Impl& impl() const;
};

// URLs: parsing into scheme, authority (user, password, host, port), path, query and fragment,
// and resolution of a reference against a base URL by RFC 3986.  URLWithString gives nullptr
// for text that may not stand in a URL (a space, a quote, non-ASCII, "%" without two hex
// digits, a second "#", brackets outside the host), as the platform does.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "Foundation/NSObject.h"

class NSURL : public NSObject {
 public:
  static std::shared_ptr<NSURL> URLWithString(std::string_view string);
  // The reference resolved against the base (a "Location" header against the request URL).
  static std::shared_ptr<NSURL> URLWithString(std::string_view string,
                                              const std::shared_ptr<const NSURL>& base);

  // A "file://" URL of an absolute path (a relative one is taken from the current folder),
  // its characters escaped as a URL needs.
  static std::shared_ptr<NSURL> fileURLWithPath(std::string_view path);
  bool isFileURL() const;

  // The text given, and the base it is relative to (nullptr for none).
  const std::string& relativeString() const { return relative_; }
  std::shared_ptr<const NSURL> baseURL() const { return base_; }
  // The text of the resolved URL; without a base, exactly the text given.
  std::string absoluteString() const;
  std::shared_ptr<NSURL> absoluteURL() const;

  // All of these describe the resolved URL.  Absent parts are nullopt, and an absent part
  // differs from an empty one ("http://a/?" has the empty query).
  std::optional<std::string> scheme() const { return abs_.scheme; }
  // Percent escapes decoded; IPv6 hosts without their brackets; nullopt when empty.
  std::optional<std::string> host() const;
  std::optional<int> port() const { return port_; }
  std::optional<std::string> user() const;
  std::optional<std::string> password() const;
  // Percent escapes decoded, without a trailing "/" (except the root path "/").
  std::string path() const;
  // As written (still escaped).
  std::optional<std::string> query() const { return abs_.query; }
  std::optional<std::string> fragment() const { return abs_.fragment; }

  std::string description() const override { return absoluteString(); }

  struct Components {
    std::optional<std::string> scheme;
    std::optional<std::string> authority;
    std::string path;
    std::optional<std::string> query;
    std::optional<std::string> fragment;
  };

  // RFC 3986 section 5.2: the target of a reference resolved against an absolute base.
  static Components resolve(const Components& reference, const Components& base);
  static std::string recompose(const Components& c);
  static std::string removeDotSegments(std::string_view path);

 private:
  NSURL() = default;
  bool splitAuthority();

  std::string relative_;
  std::shared_ptr<const NSURL> base_;
  Components abs_;
  std::string absText_;
  std::optional<std::string> userInfo_;
  std::string host_;
  std::optional<int> port_;
};

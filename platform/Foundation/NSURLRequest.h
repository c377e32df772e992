// A request of the URL loading system: URL, cache policy, timeout, method, header fields, body
// and cookie handling.  Header field names are matched without regard to case; setting a field
// that exists replaces its value and keeps its place.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Foundation/NSObject.h"

class NSURL;

enum class NSURLRequestCachePolicy {
  UseProtocolCachePolicy = 0,
  ReloadIgnoringLocalCacheData = 1,
  ReturnCacheDataElseLoad = 2,
  ReturnCacheDataDontLoad = 3,
};

class NSURLRequest : public NSObject {
 public:
  using HeaderFields = std::vector<std::pair<std::string, std::string>>;
  static constexpr double kDefaultTimeoutInterval = 60;

  explicit NSURLRequest(
      std::shared_ptr<NSURL> url,
      NSURLRequestCachePolicy cachePolicy = NSURLRequestCachePolicy::UseProtocolCachePolicy,
      double timeoutInterval = kDefaultTimeoutInterval)
      : url_(std::move(url)), cachePolicy_(cachePolicy), timeoutInterval_(timeoutInterval) {}

  const std::shared_ptr<NSURL>& URL() const { return url_; }
  NSURLRequestCachePolicy cachePolicy() const { return cachePolicy_; }
  double timeoutInterval() const { return timeoutInterval_; }
  // "GET" unless set.
  const std::string& HTTPMethod() const { return method_; }
  const std::optional<std::string>& HTTPBody() const { return body_; }
  // The fields in the order they were first set.
  const HeaderFields& allHTTPHeaderFields() const { return headers_; }
  std::optional<std::string> valueForHTTPHeaderField(std::string_view field) const;
  // YES unless set: cookies of the shared storage go with the request and the response's
  // cookies are stored.
  bool HTTPShouldHandleCookies() const { return handleCookies_; }

  std::string description() const override;

 protected:
  std::shared_ptr<NSURL> url_;
  NSURLRequestCachePolicy cachePolicy_;
  double timeoutInterval_;
  std::string method_ = "GET";
  std::optional<std::string> body_;
  HeaderFields headers_;
  bool handleCookies_ = true;
};

class NSMutableURLRequest : public NSURLRequest {
 public:
  using NSURLRequest::NSURLRequest;

  static std::shared_ptr<NSMutableURLRequest> requestWithURL(
      std::shared_ptr<NSURL> url,
      NSURLRequestCachePolicy cachePolicy = NSURLRequestCachePolicy::UseProtocolCachePolicy,
      double timeoutInterval = kDefaultTimeoutInterval) {
    return std::make_shared<NSMutableURLRequest>(std::move(url), cachePolicy, timeoutInterval);
  }

  void setURL(std::shared_ptr<NSURL> url) { url_ = std::move(url); }
  void setCachePolicy(NSURLRequestCachePolicy policy) { cachePolicy_ = policy; }
  void setTimeoutInterval(double seconds) { timeoutInterval_ = seconds; }
  // An empty method means "GET".
  void setHTTPMethod(std::string_view method) { method_ = method.empty() ? "GET" : method; }
  void setHTTPBody(std::optional<std::string> body) { body_ = std::move(body); }
  // nullopt removes the field.
  void setValueForHTTPHeaderField(std::optional<std::string_view> value, std::string_view field);
  // Appends to an existing value with ",".
  void addValueForHTTPHeaderField(std::string_view value, std::string_view field);
  void setHTTPShouldHandleCookies(bool handle) { handleCookies_ = handle; }
};

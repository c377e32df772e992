// One HTTP request of the library: URL, method, body or form parameters and files, extra
// headers, cache policy, cache key and expiry age, timeout, delegates (not kept alive) and the
// response processor that makes its result.  It builds its own body (URL-encoded or multipart
// form) and cache key.  Sending, cancelling and progress go through ULURLRequestQueue.
//
// Form parameters go out sorted by name, and a POST's or PUT's cache key joins them in that
// order, so equal forms always share a key.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Foundation/NSDate.h"
#include "Foundation/NSObject.h"
#include "Foundation/NSString.h"
#include "Foundation/NSURLRequest.h"
#include "Foundation/Value.h"
#include "uilib/core/ULGlobal.h"
#include "uilib/network/ULURLRequestDelegate.h"
#include "uilib/network/ULURLResponse.h"

// Cache policy bits.
inline constexpr int ULCachePolicyBitMemory = 1;   // may be answered from the memory images
inline constexpr int ULCachePolicyBitDisk = 2;     // ... from the disk cache and local files
inline constexpr int ULCachePolicyBitNetwork = 4;  // may go to the network
inline constexpr int ULCachePolicyBitNoStore = 8;  // the body is not stored on disk
inline constexpr int ULCachePolicyBitEtag = 16;    // with the disk bit: always revalidate
inline constexpr int ULURLRequestCachePolicyDefault = 7;

// Whether a policy revalidates with ETags (the disk and ETag bits both set).
inline bool ULCachePolicyUsesEtag(int policy) {
  return (policy & (ULCachePolicyBitDisk | ULCachePolicyBitEtag)) ==
         (ULCachePolicyBitDisk | ULCachePolicyBitEtag);
}

// The multipart boundary, the same for every request.
inline constexpr std::string_view kULURLRequestBoundary =
    "3i2ndDfv2rTHiSisAbouNdArYfORhtTPEefj3q2f";

class ULURLRequest : public NSObject {
 public:
  ULURLRequest() = default;
  static std::shared_ptr<ULURLRequest> request() { return std::make_shared<ULURLRequest>(); }
  // requestWithURL:delegate: / initWithURL:delegate:
  static std::shared_ptr<ULURLRequest> requestWithURL(
      std::string url, const std::shared_ptr<ULURLRequestDelegate>& delegate = nullptr);

  const std::string& urlPath() const { return urlPath_; }
  void setUrlPath(std::string url) { urlPath_ = std::move(url); }
  const std::string& URL() const { return urlPath_; }
  void setURL(std::string url) { urlPath_ = std::move(url); }
  // Empty: none (GET).
  const std::string& httpMethod() const { return httpMethod_; }
  void setHttpMethod(std::string method) { httpMethod_ = std::move(method); }

  // The body set, else for a POST or PUT (method compared in upper case) a form built afresh on
  // every read, else none.  Building a multipart form takes the last picture parameter out of
  // the parameters.
  std::optional<std::string> httpBody();
  void setHttpBody(std::optional<std::string> body) { httpBody_ = std::move(body); }
  // Names (strings) to values: strings, pictures (UIImage objects) or bytes.
  const std::shared_ptr<NSMutableDictionary>& parameters();
  const std::shared_ptr<NSMutableDictionary>& headers();
  void setValueForHTTPHeaderField(std::string_view value, std::string_view field);
  // The type set, else for exactly "POST" or "PUT" the multipart or URL-encoded form's type,
  // else empty.
  std::string contentType() const;
  void setContentType(std::string type) { contentType_ = std::move(type); }
  NSStringEncoding charsetForMultipart() const { return charsetForMultipart_; }
  void setCharsetForMultipart(NSStringEncoding encoding) { charsetForMultipart_ = encoding; }
  void addFile(std::string data, std::string mimeType, std::string fileName);

  const std::shared_ptr<ULURLResponse>& response() const { return response_; }
  void setResponse(std::shared_ptr<ULURLResponse> response) { response_ = std::move(response); }

  int cachePolicy() const { return cachePolicy_; }
  void setCachePolicy(int policy) { cachePolicy_ = policy; }
  double cacheExpirationAge() const { return cacheExpirationAge_; }
  void setCacheExpirationAge(double seconds) { cacheExpirationAge_ = seconds; }
  // The key set, else made (once) by generateCacheKey.
  const std::string& cacheKey();
  void setCacheKey(std::string key) { cacheKey_ = std::move(key); }
  bool hasCacheKey() const { return !cacheKey_.empty(); }

  // When the data is from: the cached file's date, or the time of arrival.
  const std::optional<NSDateValue>& timestamp() const { return timestamp_; }
  void setTimestamp(std::optional<NSDateValue> t) { timestamp_ = t; }
  long long totalBytesLoaded() const { return totalBytesLoaded_; }
  void setTotalBytesLoaded(long long n) { totalBytesLoaded_ = n; }
  long long totalBytesExpected() const { return totalBytesExpected_; }
  void setTotalBytesExpected(long long n) { totalBytesExpected_ = n; }
  long long totalBytesDownloaded() const { return totalBytesDownloaded_; }
  void setTotalBytesDownloaded(long long n) { totalBytesDownloaded_ = n; }
  long long totalContentLength() const { return totalContentLength_; }
  void setTotalContentLength(long long n) { totalContentLength_ = n; }
  // Negative: the queue's default timeout.
  double timeoutInterval() const { return timeoutInterval_; }
  void setTimeoutInterval(double seconds) { timeoutInterval_ = seconds; }
  const Value& userInfo() const { return userInfo_; }
  void setUserInfo(Value info) { userInfo_ = std::move(info); }
  bool isLoading() const { return isLoading_; }
  void setIsLoading(bool loading) { isLoading_ = loading; }
  bool shouldHandleCookies() const { return shouldHandleCookies_; }
  void setShouldHandleCookies(bool handle) { shouldHandleCookies_ = handle; }
  bool respondedFromCache() const { return respondedFromCache_; }
  void setRespondedFromCache(bool yes) { respondedFromCache_ = yes; }
  bool filterPasswordLogging() const { return filterPasswordLogging_; }
  void setFilterPasswordLogging(bool filter) { filterPasswordLogging_ = filter; }
  bool multiPartForm() const { return multiPartForm_; }
  void setMultiPartForm(bool multipart) { multiPartForm_ = multipart; }

  ULWeakArray<ULURLRequestDelegate>& delegates() { return delegates_; }

  // Through the shared queue.  YES when answered from a cache at once.
  bool send();
  bool sendSynchronously();
  void cancel();
  std::shared_ptr<NSMutableURLRequest> createNSURLRequest();

  // The MD5 of the URL, joined for exactly "POST" and "PUT" with each parameter's name, "="
  // and its value when that is a string.
  std::string generateCacheKey();
  std::string generatePostBody();
  std::string generateNonMultipartPostBody();
  void appendImageData(std::string_view data, std::string_view name, std::string& body) const;

  std::string description() const override;

 private:
  // The parameters sorted by name.
  std::vector<std::pair<std::string, Value>> sortedParameters() const;

  struct File {
    std::string data;
    std::string mimeType;
    std::string fileName;
  };

  std::string urlPath_;
  std::string httpMethod_;
  std::optional<std::string> httpBody_;
  std::shared_ptr<NSMutableDictionary> parameters_;
  std::shared_ptr<NSMutableDictionary> headers_;
  std::string contentType_;
  NSStringEncoding charsetForMultipart_ = NSUTF8StringEncoding;
  std::vector<File> files_;
  std::shared_ptr<ULURLResponse> response_;
  int cachePolicy_ = ULURLRequestCachePolicyDefault;
  double cacheExpirationAge_ = 604800;
  std::string cacheKey_;
  std::optional<NSDateValue> timestamp_;
  long long totalBytesLoaded_ = 0;
  long long totalBytesExpected_ = 0;
  double timeoutInterval_ = -1;
  long long totalBytesDownloaded_ = 0;
  long long totalContentLength_ = 0;
  Value userInfo_;
  bool isLoading_ = false;
  bool shouldHandleCookies_ = true;
  bool respondedFromCache_ = false;
  bool filterPasswordLogging_ = false;
  bool multiPartForm_ = true;
  ULWeakArray<ULURLRequestDelegate> delegates_;
};

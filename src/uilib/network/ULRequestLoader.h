// One transfer of the request queue, carrying every request that shares it: it owns the
// platform connection (or the pending delivery of a data URL), retries a host that is not
// found, and fans every event out to its requests.  Only the queue makes and drives loaders.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "CFNetwork/NSURLConnection.h"
#include "Foundation/NSDate.h"
#include "Foundation/NSError.h"
#include "Foundation/NSObject.h"
#include "Foundation/NSURLRequest.h"
#include "Foundation/Value.h"

class NSTimer;
class ULURLRequest;
class ULURLRequestQueue;

class ULRequestLoader : public NSObject, public NSURLConnectionDelegate {
 public:
  // initForRequest:queue:.  The cache key, policy and expiry age come from the first request.
  // A mergeable loader takes further GETs for its key.
  ULRequestLoader(const std::shared_ptr<ULURLRequest>& request,
                  const std::shared_ptr<ULURLRequestQueue>& queue, bool mergeable);
  ~ULRequestLoader() override;

  const std::string& urlPath() const { return urlPath_; }
  const std::string& URL() const { return urlPath_; }
  const std::string& cacheKey() const { return cacheKey_; }
  int cachePolicy() const { return cachePolicy_; }
  double cacheExpirationAge() const { return cacheExpirationAge_; }
  bool isMergeable() const { return mergeable_; }
  // A copy: callers may change the loader while walking it.
  std::vector<std::shared_ptr<ULURLRequest>> requests() const { return requests_; }
  bool carries(const std::shared_ptr<ULURLRequest>& request) const;
  // A transfer is under way: a connection, a synchronous send or a data URL's delivery.
  bool isLoading() const;

  void addRequest(const std::shared_ptr<ULURLRequest>& request);
  void removeRequest(const std::shared_ptr<ULURLRequest>& request);

  void load(const std::string& url);
  void loadSynchronously(const std::string& url);
  // Cancels one request; YES while others remain (the transfer goes on for them).
  bool cancel(const std::shared_ptr<ULURLRequest>& request);
  void cancel();

  // Each request's processor in turn; the first error, or nullptr.
  NSErrorPtr processResponse(const std::shared_ptr<NSHTTPURLResponse>& response, const Value& data);
  void dispatchLoaded(std::optional<NSDateValue> timestamp);
  void dispatchError(const NSErrorPtr& error);
  void dispatchLoadedBytes(long long written, long long expected);

  // ---- the connection's events
  void connectionDidReceiveResponse(const std::shared_ptr<NSURLConnection>& connection,
                                    const std::shared_ptr<NSURLResponse>& response) override;
  void connectionDidReceiveData(const std::shared_ptr<NSURLConnection>& connection,
                                const std::string& data) override;
  void connectionDidSendBodyData(const std::shared_ptr<NSURLConnection>& connection,
                                 long long bytesWritten, long long totalBytesWritten,
                                 long long totalBytesExpectedToWrite) override;
  void connectionDidFinishLoading(const std::shared_ptr<NSURLConnection>& connection) override;
  void connectionDidFailWithError(const std::shared_ptr<NSURLConnection>& connection,
                                  const NSErrorPtr& error) override;

 private:
  void connectToURL(const std::string& url);
  void deliverDataResponse(const std::string& url);
  // The platform request, made once and kept for retries.
  const std::shared_ptr<NSMutableURLRequest>& platformRequest(const std::string& url);
  // Ends the transfer's network activity (once).
  void endActivity();
  void stopTransfer();

  std::string urlPath_;
  std::weak_ptr<ULURLRequestQueue> queue_;
  std::string cacheKey_;
  int cachePolicy_;
  double cacheExpirationAge_;
  bool mergeable_;
  std::vector<std::shared_ptr<ULURLRequest>> requests_;
  int retriesLeft_ = 2;
  std::shared_ptr<NSURLConnection> connection_;
  std::shared_ptr<NSTimer> dataDelivery_;
  bool synchronous_ = false;  // a synchronous send is under way
  bool activity_ = false;     // a network activity is counted for this transfer
  std::shared_ptr<NSMutableURLRequest> platformRequest_;
  std::shared_ptr<NSHTTPURLResponse> response_;
  std::string responseData_;
};

// The library's one transfer engine.  It answers a request from the URL cache when the request's
// policy allows, merges GET requests for one cache key into one transfer, runs at most five
// transfers at once over the platform's URL connection, and hands what arrives to each
// request's response processor and delegates.  Everything runs on the main thread: connection
// events, the 0.3 s dequeue timer and the 0.1 s delivery of data URLs are main-loop events.
//
// What callers rely on:
// - A request answered from a cache makes send answer YES; its delegates then hear
//   requestDidFinishLoad only (no requestDidStartLoad) and respondedFromCache is YES.
// - GETs for a cache key share the transfer already running or waiting for it; POSTs and PUTs
//   never share, and every transfer is cancelled or finished on its own.
// - A transfer that ends (however) starts the next waiting one at once; while loaders wait a
//   dequeue run follows every 0.3 s, except while the queue is suspended.  Suspended, new
//   transfers wait and the cache is read only from memory before sending.
// - Statuses outside 200-299 (and 304) fail with an error of NSURLErrorDomain whose code is
//   the status and whose user info holds the body under "responsedata".  A 304 delivers the
//   cached body whatever its age (respondedFromCache YES); when that body is gone it fails
//   with code 304.  A host that is not found is tried three times in all.
// - A response whose Content-Length passes maxContentLength (0: no limit) is cancelled: its
//   requests hear requestDidCancelLoad.
// - "data:" URLs are answered 0.1 s later from the URL itself ("data:text/plain,hello");
//   one that is not two parts around a comma fails with -1000.  "bundle://" and
//   "documents://" URLs are read from files (a missing one fails with Cocoa error 260).
#pragma once

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Foundation/NSDate.h"
#include "Foundation/NSError.h"
#include "Foundation/NSHTTPURLResponse.h"
#include "Foundation/NSObject.h"
#include "Foundation/NSURLRequest.h"
#include "Foundation/Value.h"

class NSTimer;
class ULRequestLoader;
class ULURLRequest;

class ULURLRequestQueue : public NSObject {
 public:
  static constexpr int kMaxConcurrentLoads = 5;

  // The shared queue, made on first use.
  static std::shared_ptr<ULURLRequestQueue> mainQueue();
  static void setMainQueue(std::shared_ptr<ULURLRequestQueue> queue);

  // Bytes; 0: no limit.  Default 150000.
  unsigned long long maxContentLength() const { return maxContentLength_; }
  void setMaxContentLength(unsigned long long length) { maxContentLength_ = length; }
  // Empty: none.
  const std::string& userAgent() const { return userAgent_; }
  void setUserAgent(std::string agent) { userAgent_ = std::move(agent); }
  // The JPEG quality of pictures in request bodies; 0.75.
  double imageCompressionQuality() const { return imageCompressionQuality_; }
  void setImageCompressionQuality(double quality) { imageCompressionQuality_ = quality; }
  // Seconds; 300.
  double defaultTimeout() const { return defaultTimeout_; }
  void setDefaultTimeout(double seconds) { defaultTimeout_ = seconds; }
  bool suspended() const { return suspended_; }
  void setSuspended(bool suspended);

  // YES when answered from a cache at once; NO when queued, started, joined to a transfer or
  // failed at once.
  bool sendRequest(const std::shared_ptr<ULURLRequest>& request);
  // The same, the transfer running to its end before the call returns.
  bool sendSynchronousRequest(const std::shared_ptr<ULURLRequest>& request);
  void cancelRequest(const std::shared_ptr<ULURLRequest>& request);
  // Every request that has the object among its delegates, or a ULUserInfo whose weak
  // reference is the object (which may be going away: its destructor may call this).
  void cancelRequestsWithDelegate(const std::weak_ptr<const void>& delegate);
  void cancelAllRequests();

  // The platform request for a transfer: the URL given, else the request's.  Without a
  // request only the URL, the cache setting, the user agent and the default timeout are set.
  std::shared_ptr<NSMutableURLRequest> createNSURLRequest(
      const std::shared_ptr<ULURLRequest>& request, const std::optional<std::string>& url = {});

  // ---- for its loaders
  void loaderDidLoadResponse(const std::shared_ptr<ULRequestLoader>& loader,
                             const std::shared_ptr<NSHTTPURLResponse>& response, const Value& data);
  void loaderDidLoadUnmodifiedResponse(const std::shared_ptr<ULRequestLoader>& loader,
                                       const std::shared_ptr<NSHTTPURLResponse>& response);
  void loaderDidFailLoadWithError(const std::shared_ptr<ULRequestLoader>& loader,
                                  const NSErrorPtr& error);
  void loaderDidCancel(const std::shared_ptr<ULRequestLoader>& loader, bool wasLoading);

 private:
  // The steps before a transfer: the cache, the start, the empty-URL error.  YES when the
  // request is to be sent; *answered tells a request answered from a cache.
  bool beginSending(const std::shared_ptr<ULURLRequest>& request, bool* answered);
  bool loadRequestFromCache(const std::shared_ptr<ULURLRequest>& request);
  bool loadFromCache(const std::string& url, const std::string& cacheKey, double expires,
                     bool fromDisk, Value* data, NSErrorPtr* error,
                     std::optional<NSDateValue>* timestamp);
  bool cacheDataExists(const std::string& url, const std::string& cacheKey, double expires,
                       bool fromDisk);
  std::optional<std::string> loadFromBundle(const std::string& url, NSErrorPtr* error);
  std::optional<std::string> loadFromDocuments(const std::string& url, NSErrorPtr* error);
  bool dataExistsInBundle(const std::string& url);
  bool dataExistsInDocuments(const std::string& url);
  void executeLoader(const std::shared_ptr<ULRequestLoader>& loader);
  void loadNextInQueueDelayed();
  void loadNextInQueue();
  void removeLoader(const std::shared_ptr<ULRequestLoader>& loader);
  // The loader carrying the request, or nullptr.
  std::shared_ptr<ULRequestLoader> loaderOf(const std::shared_ptr<ULURLRequest>& request) const;
  void forget(const std::shared_ptr<ULRequestLoader>& loader);

  // Every loader running or waiting, synchronous ones included.
  std::vector<std::shared_ptr<ULRequestLoader>> loaders_;
  std::deque<std::shared_ptr<ULRequestLoader>> loaderQueue_;
  std::shared_ptr<NSTimer> loaderQueueTimer_;
  int totalLoading_ = 0;
  unsigned long long maxContentLength_ = 150000;
  std::string userAgent_;
  double imageCompressionQuality_ = 0.75;
  double defaultTimeout_ = 300;
  bool suspended_ = false;
};

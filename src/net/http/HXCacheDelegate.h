// What a request asks of its download cache.
#pragma once

#include <memory>
#include <string>

#include "Foundation/Value.h"

class HXHTTPRequest;
class NSURL;

class HXCacheDelegate {
 public:
  virtual ~HXCacheDelegate() = default;

  virtual int defaultCachePolicy() const = 0;
  virtual bool canUseCachedDataForRequest(const std::shared_ptr<HXHTTPRequest>& request) = 0;
  // nil when nothing is stored for the URL.
  virtual ValueDictionary cachedResponseHeadersForURL(const std::shared_ptr<NSURL>& url) = 0;
  // Empty when nothing is stored for the URL.
  virtual std::string pathToCachedResponseDataForURL(const std::shared_ptr<NSURL>& url) = 0;
  virtual void updateExpiryForRequest(const std::shared_ptr<HXHTTPRequest>& request,
                                      double maxAge) = 0;
  virtual void storeResponseForRequest(const std::shared_ptr<HXHTTPRequest>& request,
                                       double maxAge) = 0;
  // Drops the responses stored under the storage policy (0: those kept for the session).
  virtual void clearCachedResponsesForStoragePolicy(int storagePolicy) {}
};

// The engine's optional on-disk response cache.  A request given one (its own, or the class
// default) asks it before sending whether a stored response may answer, by the request's
// cache policy bits, and hands it every finished response to store.
//
// Layout under the storage path: "SessionStore" (emptied whenever the storage path is set)
// and "PermanentStore", picked by the request's cacheStoragePolicy (0 the session store).
// Each URL has a headers file, <key>.cachedheaders (a property list of the response headers
// plus "X-HXHTTPRequest-Expires", seconds since 1970, and "X-HXHTTPRequest-Response-Status-
// Code", 304 stored as 200), and a data file, <key>.<extension of the URL's path> ("html" for
// none and for server-page extensions).  The key is the MD5 of the URL without one trailing
// "/", in upper-case hexadecimal.
//
// Policy bits of a request: 1 never answer from the cache; 2 never store; 4 and 8 answer only
// while the stored copy is current (8 once fresh response headers can be compared); 16
// answer from any stored copy; 32 answer without any check; 64 answer from a stored copy once
// the request has completed (after a failed load).
//
// One object serves requests on the network thread and callers on the main thread: every
// operation holds its recursive lock.  Folder troubles raise NSException ("FileExistsAt
// CachePath", "FailedToCreateCacheDirectory", "FailedToTraverseCacheDirectory",
// "FailedToRemoveCacheFile"); failures to write or copy a cached file are ignored.
#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "Foundation/NSObject.h"
#include "net/http/HXCacheDelegate.h"

class HXDownloadCache : public NSObject, public HXCacheDelegate {
 public:
  HXDownloadCache();

  // The process-wide cache, in "HXHTTPRequestCache" under the Caches folder.
  static std::shared_ptr<HXDownloadCache> sharedCache();
  // nullopt for an empty URL.
  static std::optional<std::string> keyForURL(const std::shared_ptr<NSURL>& url);
  // NO when the whole "Cache-Control" value is "no-cache" or "no-store", or the whole "Pragma"
  // value is "no-cache" (lower-cased).
  static bool serverAllowsResponseCachingForRequest(const HXHTTPRequest& request);

  std::optional<std::string> storagePath() const;
  void setStoragePath(const std::string& path);
  int defaultCachePolicy() const override;
  // 0 stores 4.
  void setDefaultCachePolicy(int policy);
  bool shouldRespectCacheControlHeaders() const;
  void setShouldRespectCacheControlHeaders(bool respect);

  bool canUseCachedDataForRequest(const std::shared_ptr<HXHTTPRequest>& request) override;
  bool isCachedDataCurrentForRequest(const std::shared_ptr<HXHTTPRequest>& request);
  void storeResponseForRequest(const std::shared_ptr<HXHTTPRequest>& request,
                               double maxAge) override;
  void updateExpiryForRequest(const std::shared_ptr<HXHTTPRequest>& request,
                              double maxAge) override;

  ValueDictionary cachedResponseHeadersForURL(const std::shared_ptr<NSURL>& url) override;
  std::optional<std::string> cachedResponseDataForURL(const std::shared_ptr<NSURL>& url);
  // Empty when nothing is stored.  The session store is looked in first.
  std::string pathToCachedResponseDataForURL(const std::shared_ptr<NSURL>& url) override;
  std::string pathToCachedResponseHeadersForURL(const std::shared_ptr<NSURL>& url);

  void removeCachedDataForURL(const std::shared_ptr<NSURL>& url);
  void removeCachedDataForRequest(const std::shared_ptr<HXHTTPRequest>& request);
  void clearCachedResponsesForStoragePolicy(int storagePolicy) override;

 private:
  // The stored file of the URL with that suffix, session store first; empty when none.
  std::string pathToStoredFile(const std::string& fileName);

  mutable std::recursive_mutex accessLock_;
  int defaultCachePolicy_ = 4;
  std::optional<std::string> storagePath_;
  bool shouldRespectCacheControlHeaders_ = true;
};

#include "net/http/HXDownloadCache.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>

#include "CommonCrypto/CommonDigest.h"
#include "Foundation/Clock.h"
#include "Foundation/NSException.h"
#include "Foundation/NSFileManager.h"
#include "Foundation/NSPathUtilities.h"
#include "Foundation/NSPropertyList.h"
#include "Foundation/NSString.h"
#include "Foundation/NSURL.h"
#include "net/http/HXHTTPRequest.h"
#include "net/http/HXHTTPRequestInternal.h"

using namespace hxrequest;

namespace {

constexpr std::string_view kSessionStore = "SessionStore";
constexpr std::string_view kPermanentStore = "PermanentStore";
constexpr std::string_view kExpiresKey = "X-HXHTTPRequest-Expires";
constexpr std::string_view kStatusKey = "X-HXHTTPRequest-Response-Status-Code";

// Server pages: their bodies are stored as "html".
bool isServerPageExtension(const std::string& extension) {
  static const std::array<std::string_view, 8> kExtensions = {"asp", "aspx", "jsp", "php",
                                                              "rb",  "py",   "pl",  "cgi"};
  return std::find(kExtensions.begin(), kExtensions.end(), lowercaseASCIIString(extension)) !=
         kExtensions.end();
}

std::string dataExtension(const std::shared_ptr<NSURL>& url) {
  std::string extension = std::filesystem::path(url->path()).extension().string();
  if (!extension.empty()) extension.erase(0, 1);
  return extension.empty() || isServerPageExtension(extension) ? "html" : extension;
}

std::string storeFolder(const std::string& root, int storagePolicy) {
  return root + "/" + std::string(storagePolicy == 0 ? kSessionStore : kPermanentStore);
}

// Folder troubles are raised once the lock is let go.
struct PendingException {
  std::optional<NSException> exception;
  void set(std::string_view name, std::string reason) {
    if (!exception) exception.emplace(std::string(name), std::move(reason));
  }
  void raiseIfAny() {
    if (exception) throw *exception;
  }
};

void makeFolder(const std::string& path, PendingException& pending) {
  auto& fm = NSFileManager::defaultManager();
  bool isDirectory = false;
  if (fm.fileExistsAtPath(path, &isDirectory)) {
    if (!isDirectory)
      pending.set("FileExistsAtCachePath",
                  stringWithFormat("Cannot create a directory for the cache at '%@', because a "
                                   "file already exists",
                                   path));
    return;
  }
  if (!fm.createDirectoryAtPath(path, true))
    pending.set("FailedToCreateCacheDirectory",
                stringWithFormat("Failed to create a directory for the cache at '%@'", path));
}

void emptyFolder(const std::string& path, PendingException& pending) {
  auto& fm = NSFileManager::defaultManager();
  if (!fm.fileExistsAtPath(path)) return;
  auto items = fm.contentsOfDirectoryAtPath(path);
  if (!items) {
    pending.set("FailedToTraverseCacheDirectory",
                stringWithFormat("Listing cache directory failed at path '%@'", path));
    return;
  }
  for (const auto& item : *items) {
    std::string itemPath = path + "/" + item;
    if (!fm.removeItemAtPath(itemPath))
      pending.set("FailedToRemoveCacheFile",
                  stringWithFormat("Failed to remove cached data at path '%@'", itemPath));
  }
}

}  // namespace

HXDownloadCache::HXDownloadCache() = default;

std::shared_ptr<HXDownloadCache> HXDownloadCache::sharedCache() {
  static std::mutex lock;
  static std::shared_ptr<HXDownloadCache> shared;
  std::lock_guard<std::mutex> guard(lock);
  if (!shared) {
    shared = std::make_shared<HXDownloadCache>();
    shared->setStoragePath(NSCachesDirectory() + "/HXHTTPRequestCache");
  }
  return shared;
}

std::optional<std::string> HXDownloadCache::keyForURL(const std::shared_ptr<NSURL>& url) {
  std::string text = url ? url->absoluteString() : std::string();
  if (!text.empty() && text.back() == '/') text.pop_back();
  if (text.empty()) return std::nullopt;
  unsigned char digest[CC_MD5_DIGEST_LENGTH];
  CC_MD5(text.data(), CC_LONG(text.size()), digest);
  std::string key;
  char hex[3];
  for (unsigned char byte : digest) {
    std::snprintf(hex, sizeof hex, "%02X", byte);
    key += hex;
  }
  return key;
}

bool HXDownloadCache::serverAllowsResponseCachingForRequest(const HXHTTPRequest& request) {
  const ValueDictionary& headers = request.responseHeaders();
  std::string cacheControl =
      lowercaseASCIIString(headerValue(headers, "Cache-Control").value_or(""));
  std::string pragma = lowercaseASCIIString(headerValue(headers, "Pragma").value_or(""));
  return cacheControl != "no-cache" && cacheControl != "no-store" && pragma != "no-cache";
}

std::optional<std::string> HXDownloadCache::storagePath() const {
  std::lock_guard<std::recursive_mutex> lock(accessLock_);
  return storagePath_;
}

void HXDownloadCache::setStoragePath(const std::string& path) {
  PendingException pending;
  {
    std::lock_guard<std::recursive_mutex> lock(accessLock_);
    if (storagePath_) emptyFolder(storeFolder(*storagePath_, 0), pending);
    storagePath_ = path;
    for (const std::string& folder : {path, storeFolder(path, 0), storeFolder(path, 1)})
      makeFolder(folder, pending);
    emptyFolder(storeFolder(path, 0), pending);
  }
  pending.raiseIfAny();
}

int HXDownloadCache::defaultCachePolicy() const {
  std::lock_guard<std::recursive_mutex> lock(accessLock_);
  return defaultCachePolicy_;
}

void HXDownloadCache::setDefaultCachePolicy(int policy) {
  std::lock_guard<std::recursive_mutex> lock(accessLock_);
  defaultCachePolicy_ = policy == 0 ? 4 : policy;
}

bool HXDownloadCache::shouldRespectCacheControlHeaders() const {
  std::lock_guard<std::recursive_mutex> lock(accessLock_);
  return shouldRespectCacheControlHeaders_;
}

void HXDownloadCache::setShouldRespectCacheControlHeaders(bool respect) {
  std::lock_guard<std::recursive_mutex> lock(accessLock_);
  shouldRespectCacheControlHeaders_ = respect;
}

std::string HXDownloadCache::pathToStoredFile(const std::string& fileName) {
  std::lock_guard<std::recursive_mutex> lock(accessLock_);
  if (!storagePath_) return {};
  for (int policy : {0, 1}) {
    std::string path = storeFolder(*storagePath_, policy) + "/" + fileName;
    if (fileExists(path)) return path;
  }
  return {};
}

std::string HXDownloadCache::pathToCachedResponseHeadersForURL(const std::shared_ptr<NSURL>& url) {
  auto key = keyForURL(url);
  return key ? pathToStoredFile(*key + ".cachedheaders") : std::string();
}

std::string HXDownloadCache::pathToCachedResponseDataForURL(const std::shared_ptr<NSURL>& url) {
  auto key = keyForURL(url);
  return key ? pathToStoredFile(*key + "." + dataExtension(url)) : std::string();
}

ValueDictionary HXDownloadCache::cachedResponseHeadersForURL(const std::shared_ptr<NSURL>& url) {
  std::lock_guard<std::recursive_mutex> lock(accessLock_);
  std::string path = pathToCachedResponseHeadersForURL(url);
  return path.empty() ? nullptr : dictionaryWithContentsOfFile(path);
}

std::optional<std::string> HXDownloadCache::cachedResponseDataForURL(
    const std::shared_ptr<NSURL>& url) {
  std::lock_guard<std::recursive_mutex> lock(accessLock_);
  std::string path = pathToCachedResponseDataForURL(url);
  if (path.empty()) return std::nullopt;
  return dataWithContentsOfFile(path);
}

bool HXDownloadCache::canUseCachedDataForRequest(const std::shared_ptr<HXHTTPRequest>& request) {
  std::lock_guard<std::recursive_mutex> lock(accessLock_);
  int policy = request->cachePolicy();
  if (policy & 1) return false;
  if (policy & 32) return true;
  auto url = request->url();
  if (!cachedResponseHeadersForURL(url) || pathToCachedResponseDataForURL(url).empty())
    return false;
  if ((policy & 16) || ((policy & 64) && request->complete())) return true;
  if ((policy & 4) || ((policy & 8) && request->responseHeaders()))
    return isCachedDataCurrentForRequest(request);
  return false;
}

bool HXDownloadCache::isCachedDataCurrentForRequest(const std::shared_ptr<HXHTTPRequest>& request) {
  std::lock_guard<std::recursive_mutex> lock(accessLock_);
  if (!storagePath_) return false;
  auto url = request->url();
  ValueDictionary stored = cachedResponseHeadersForURL(url);
  if (!stored || pathToCachedResponseDataForURL(url).empty()) return false;
  if (request->responseStatusCode() == 304) return true;
  const ValueDictionary& fresh = request->responseHeaders();
  if (fresh && request->complete()) {
    // The server's copy changed when its validators did (one gone counts as a change).
    for (std::string_view validator : {"Etag", "Last-Modified"})
      if (headerValue(fresh, validator) != headerValue(stored, validator)) return false;
  }
  if (shouldRespectCacheControlHeaders_) {
    const Value& expires = Value(stored)[kExpiresKey];
    return expires.isNumber() && expires.doubleValue() > ClockNow();
  }
  return true;
}

void HXDownloadCache::storeResponseForRequest(const std::shared_ptr<HXHTTPRequest>& request,
                                              double maxAge) {
  std::lock_guard<std::recursive_mutex> lock(accessLock_);
  const ValueDictionary& headers = request->responseHeaders();
  if (request->error() || !headers || (request->cachePolicy() & 2) || !storagePath_) return;
  int status = request->responseStatusCode();
  if (status != 200 && status != 301 && status != 302 && status != 303 && status != 307) return;
  if (shouldRespectCacheControlHeaders_ && !serverAllowsResponseCachingForRequest(*request)) return;
  auto url = request->url();
  auto key = keyForURL(url);
  if (!key) return;

  auto stored = headers->mutableCopy();
  // The body kept is the inflated one.
  if (request->isResponseCompressed()) stored->removeObjectForKey("Content-Encoding");
  if (auto expires = HXHTTPRequest::expiryDateForRequest(*request, maxAge))
    stored->setObject(Value(*expires), kExpiresKey);
  stored->setObject(Value(status == 304 ? 200 : status), kStatusKey);

  std::string folder = storeFolder(*storagePath_, request->cacheStoragePolicy());
  writePropertyListToFile(Value(stored), folder + "/" + *key + ".cachedheaders");
  std::string dataPath = folder + "/" + *key + "." + dataExtension(url);
  if (!request->downloadDestinationPath().empty()) {
    if (request->downloadDestinationPath() != dataPath) {
      auto& fm = NSFileManager::defaultManager();
      fm.removeItemAtPath(dataPath);
      fm.copyItemAtPath(request->downloadDestinationPath(), dataPath);
    }
  } else if (HXHTTPRequest::Body body = request->responseData()) {
    writeToFile(dataPath, *body, true);
  }
}

void HXDownloadCache::updateExpiryForRequest(const std::shared_ptr<HXHTTPRequest>& request,
                                             double maxAge) {
  std::lock_guard<std::recursive_mutex> lock(accessLock_);
  std::string path = pathToCachedResponseHeadersForURL(request->url());
  if (path.empty()) return;
  ValueDictionary stored = dictionaryWithContentsOfFile(path);
  auto expires = HXHTTPRequest::expiryDateForRequest(*request, maxAge);
  if (!stored || !expires) return;
  auto updated = stored->mutableCopy();
  updated->setObject(Value(*expires), kExpiresKey);
  writePropertyListToFile(Value(updated), path);
}

void HXDownloadCache::removeCachedDataForURL(const std::shared_ptr<NSURL>& url) {
  PendingException pending;
  {
    std::lock_guard<std::recursive_mutex> lock(accessLock_);
    for (const std::string& path :
         {pathToCachedResponseHeadersForURL(url), pathToCachedResponseDataForURL(url)}) {
      if (!path.empty() && !NSFileManager::defaultManager().removeItemAtPath(path))
        pending.set("FailedToRemoveCacheFile",
                    stringWithFormat("Failed to remove cached data at path '%@'", path));
    }
  }
  pending.raiseIfAny();
}

void HXDownloadCache::removeCachedDataForRequest(const std::shared_ptr<HXHTTPRequest>& request) {
  removeCachedDataForURL(request->url());
}

void HXDownloadCache::clearCachedResponsesForStoragePolicy(int storagePolicy) {
  PendingException pending;
  {
    std::lock_guard<std::recursive_mutex> lock(accessLock_);
    if (!storagePath_) return;
    emptyFolder(storeFolder(*storagePath_, storagePolicy), pending);
  }
  pending.raiseIfAny();
}

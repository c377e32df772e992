#include "uilib/network/ULURLRequestQueue.h"

#include <algorithm>
#include <limits>

#include "Foundation/NSFileManager.h"
#include "Foundation/NSTimer.h"
#include "Foundation/NSURL.h"
#include "Foundation/NSURLError.h"
#include "UIKit/UIImage.h"
#include "uilib/core/ULGlobal.h"
#include "uilib/network/ULRequestLoader.h"
#include "uilib/network/ULURLCache.h"
#include "uilib/network/ULURLRequest.h"
#include "uilib/network/ULUserInfo.h"

namespace {

constexpr double kDequeueDelay = 0.3;
constexpr int kDequeueRunSize = 5;
constexpr double kAnyAge = std::numeric_limits<double>::infinity();

// Never destroyed: controllers released late in the process's exit still ask for the queue.
std::shared_ptr<ULURLRequestQueue>& mainSlot() {
  static auto* queue = new std::shared_ptr<ULURLRequestQueue>();
  return *queue;
}

bool isPostOrPut(const std::string& method) {
  return method == "POST" || method == "PUT";
}

NSErrorPtr urlError(long code, const std::string& url) {
  auto info = makeDictionary({{std::string(NSURLErrorFailingURLStringErrorKey), Value(url)}});
  return NSError::errorWithDomain(NSURLErrorDomain, code, Value(info));
}

// The ETag's text from its first double quote to the next, quotes included; empty without a
// pair ("W/\"v1\"" gives "\"v1\"").
std::string quotedEtag(const std::string& header) {
  size_t open = header.find('"');
  if (open == std::string::npos) return {};
  size_t close = header.find('"', open + 1);
  if (close == std::string::npos) return {};
  return header.substr(open, close - open + 1);
}

template <class F>
void tellDelegates(const std::shared_ptr<ULURLRequest>& request, F&& f) {
  for (auto& d : request->delegates().objects()) f(*d);
}

}  // namespace

std::shared_ptr<ULURLRequestQueue> ULURLRequestQueue::mainQueue() {
  auto& queue = mainSlot();
  if (!queue) queue = std::make_shared<ULURLRequestQueue>();
  return queue;
}

void ULURLRequestQueue::setMainQueue(std::shared_ptr<ULURLRequestQueue> queue) {
  mainSlot() = std::move(queue);
}

// ---- the cache

bool ULURLRequestQueue::loadFromCache(const std::string& url, const std::string& cacheKey,
                                      double expires, bool fromDisk, Value* data, NSErrorPtr* error,
                                      std::optional<NSDateValue>* timestamp) {
  auto cache = ULURLCache::sharedCache();
  if (auto image = cache->imageForURL(url, fromDisk)) {
    *data = Value(image);
    return true;
  }
  if (!fromDisk) return false;
  if (ULHasBundleScheme(url)) {
    auto bytes = loadFromBundle(url, error);
    *data = bytes ? Value::data(std::move(*bytes)) : Value();
    return true;
  }
  if (ULHasDocumentsScheme(url)) {
    auto bytes = loadFromDocuments(url, error);
    *data = bytes ? Value::data(std::move(*bytes)) : Value();
    return true;
  }
  auto bytes = cache->dataForKey(cacheKey, expires, timestamp);
  if (!bytes) return false;
  *data = Value::data(std::move(*bytes));
  return true;
}

namespace {

std::optional<std::string> readLocal(const std::string& path, NSErrorPtr* error) {
  auto bytes = dataWithContentsOfFile(path);
  if (!bytes && error) {
    auto info = makeDictionary({{std::string(NSFilePathErrorKey), Value(path)}});
    *error = NSError::errorWithDomain(NSCocoaErrorDomain, NSFileReadNoSuchFileError, Value(info));
  }
  return bytes;
}

bool isFile(const std::string& path) {
  bool dir = false;
  return NSFileManager::defaultManager().fileExistsAtPath(path, &dir) && !dir;
}

}  // namespace

std::optional<std::string> ULURLRequestQueue::loadFromBundle(const std::string& url,
                                                             NSErrorPtr* error) {
  return readLocal(ULBundleResourcePath(std::string_view(url).substr(9)), error);
}

std::optional<std::string> ULURLRequestQueue::loadFromDocuments(const std::string& url,
                                                                NSErrorPtr* error) {
  return readLocal(ULDocumentsResourcePath(std::string_view(url).substr(12)), error);
}

bool ULURLRequestQueue::dataExistsInBundle(const std::string& url) {
  return isFile(ULBundleResourcePath(std::string_view(url).substr(9)));
}

bool ULURLRequestQueue::dataExistsInDocuments(const std::string& url) {
  return isFile(ULDocumentsResourcePath(std::string_view(url).substr(12)));
}

bool ULURLRequestQueue::cacheDataExists(const std::string& url, const std::string& cacheKey,
                                        double expires, bool fromDisk) {
  auto cache = ULURLCache::sharedCache();
  if (cache->hasImageForURL(url, fromDisk)) return true;
  if (!fromDisk) return false;
  if (ULHasBundleScheme(url)) return dataExistsInBundle(url);
  if (ULHasDocumentsScheme(url)) return dataExistsInDocuments(url);
  return cache->hasDataForKey(cacheKey, expires);
}

bool ULURLRequestQueue::loadRequestFromCache(const std::shared_ptr<ULURLRequest>& request) {
  if (request->cacheKey().empty())
    request->setCacheKey(ULURLCache::sharedCache()->keyForURL(request->urlPath()));
  int policy = request->cachePolicy();
  if (ULCachePolicyUsesEtag(policy) || !(policy & (ULCachePolicyBitMemory | ULCachePolicyBitDisk)))
    return false;
  Value data;
  NSErrorPtr error;
  std::optional<NSDateValue> timestamp;
  bool fromDisk = !suspended_ && (policy & ULCachePolicyBitDisk);
  if (!loadFromCache(request->urlPath(), request->cacheKey(), request->cacheExpirationAge(),
                     fromDisk, &data, &error, &timestamp))
    return false;
  request->setIsLoading(false);
  if (!error && request->response())
    error = request->response()->requestProcessResponse(request, nullptr, data);
  if (!error) {
    request->setTimestamp(timestamp ? *timestamp : NSDate::date());
    request->setRespondedFromCache(true);
    tellDelegates(request, [&](ULURLRequestDelegate& d) { d.requestDidFinishLoad(request); });
  } else {
    tellDelegates(request,
                  [&](ULURLRequestDelegate& d) { d.requestDidFailLoadWithError(request, error); });
  }
  return true;
}

// ---- sending

bool ULURLRequestQueue::beginSending(const std::shared_ptr<ULURLRequest>& request, bool* answered) {
  *answered = false;
  if (!request) return false;
  if (loadRequestFromCache(request)) {
    *answered = true;
    return false;
  }
  tellDelegates(request, [&](ULURLRequestDelegate& d) { d.requestDidStartLoad(request); });
  if (request->urlPath().empty()) {
    NSErrorPtr error = urlError(NSURLErrorBadURL, request->urlPath());
    tellDelegates(request,
                  [&](ULURLRequestDelegate& d) { d.requestDidFailLoadWithError(request, error); });
    return false;
  }
  request->setIsLoading(true);
  return true;
}

bool ULURLRequestQueue::sendRequest(const std::shared_ptr<ULURLRequest>& request) {
  auto self = this->self<ULURLRequestQueue>();
  bool answered;
  if (!beginSending(request, &answered)) return answered;
  const bool mergeable = !isPostOrPut(request->httpMethod());
  if (mergeable) {
    for (auto& loader : loaders_) {
      if (loader->isMergeable() && loader->cacheKey() == request->cacheKey()) {
        loader->addRequest(request);
        return false;
      }
    }
  }
  auto loader = std::make_shared<ULRequestLoader>(request, self, mergeable);
  loaders_.push_back(loader);
  if (suspended_ || totalLoading_ >= kMaxConcurrentLoads) {
    loaderQueue_.push_back(loader);
  } else {
    ++totalLoading_;
    loader->load(request->urlPath());
  }
  return false;
}

bool ULURLRequestQueue::sendSynchronousRequest(const std::shared_ptr<ULURLRequest>& request) {
  auto self = this->self<ULURLRequestQueue>();
  bool answered;
  if (!beginSending(request, &answered)) return answered;
  // Its own transfer, registered so that it can be cancelled, never shared.
  auto loader = std::make_shared<ULRequestLoader>(request, self, false);
  loaders_.push_back(loader);
  ++totalLoading_;
  loader->loadSynchronously(request->urlPath());
  return false;
}

// ---- the waiting line

void ULURLRequestQueue::executeLoader(const std::shared_ptr<ULRequestLoader>& loader) {
  int policy = loader->cachePolicy();
  if (policy & (ULCachePolicyBitMemory | ULCachePolicyBitDisk)) {
    // Another transfer may have stored the data meanwhile.
    Value data;
    NSErrorPtr error;
    std::optional<NSDateValue> timestamp;
    if (loadFromCache(loader->urlPath(), loader->cacheKey(), loader->cacheExpirationAge(),
                      policy & ULCachePolicyBitDisk, &data, &error, &timestamp)) {
      forget(loader);
      if (!error) error = loader->processResponse(nullptr, data);
      if (!error)
        loader->dispatchLoaded(timestamp);
      else
        loader->dispatchError(error);
      return;
    }
  }
  ++totalLoading_;
  loader->load(loader->urlPath());
}

void ULURLRequestQueue::loadNextInQueueDelayed() {
  if (loaderQueueTimer_) return;
  std::weak_ptr<ULURLRequestQueue> weak = self<ULURLRequestQueue>();
  loaderQueueTimer_ = NSTimer::scheduledTimerWithTimeInterval(
      kDequeueDelay, false, [weak](const std::shared_ptr<NSTimer>&) {
        if (auto self = weak.lock()) self->loadNextInQueue();
      });
}

void ULURLRequestQueue::loadNextInQueue() {
  auto self = this->self<ULURLRequestQueue>();
  loaderQueueTimer_.reset();
  for (int i = 0;
       i < kDequeueRunSize && totalLoading_ < kMaxConcurrentLoads && !loaderQueue_.empty(); ++i) {
    auto loader = loaderQueue_.front();
    loaderQueue_.pop_front();
    executeLoader(loader);
  }
  if (!loaderQueue_.empty() && !suspended_) loadNextInQueueDelayed();
}

void ULURLRequestQueue::removeLoader(const std::shared_ptr<ULRequestLoader>& loader) {
  --totalLoading_;
  forget(loader);
}

void ULURLRequestQueue::forget(const std::shared_ptr<ULRequestLoader>& loader) {
  std::erase(loaders_, loader);
}

void ULURLRequestQueue::setSuspended(bool suspended) {
  suspended_ = suspended;
  if (suspended) {
    if (loaderQueueTimer_) loaderQueueTimer_->invalidate();
    loaderQueueTimer_.reset();
  } else {
    loadNextInQueue();
  }
}

// ---- the platform request

std::shared_ptr<NSMutableURLRequest> ULURLRequestQueue::createNSURLRequest(
    const std::shared_ptr<ULURLRequest>& request, const std::optional<std::string>& url) {
  std::string text = url ? *url : request ? request->urlPath() : std::string();
  double timeout = defaultTimeout_;
  if (request && request->timeoutInterval() >= 0) timeout = request->timeoutInterval();
  auto platform = NSMutableURLRequest::requestWithURL(
      NSURL::URLWithString(text), NSURLRequestCachePolicy::ReloadIgnoringLocalCacheData, timeout);
  if (!userAgent_.empty()) platform->setValueForHTTPHeaderField(userAgent_, "User-Agent");
  if (!request) return platform;

  platform->setHTTPShouldHandleCookies(request->shouldHandleCookies());
  if (!request->httpMethod().empty()) platform->setHTTPMethod(request->httpMethod());
  std::string type = request->contentType();
  if (!type.empty()) platform->setValueForHTTPHeaderField(type, "Content-Type");
  if (auto body = request->httpBody()) platform->setHTTPBody(std::move(body));
  request->headers()->enumerate([&](const std::string& field, const Value& value) {
    platform->setValueForHTTPHeaderField(value.description(), field);
  });

  auto cache = ULURLCache::sharedCache();
  int policy = request->cachePolicy();
  if (!cache->disableDiskCache() && ULCachePolicyUsesEtag(policy)) {
    auto etag = cache->etagForKey(request->cacheKey());
    bool fromDisk = !suspended_ && (policy & ULCachePolicyBitDisk);
    if (etag && !etag->empty() &&
        cacheDataExists(request->urlPath(), request->cacheKey(), request->cacheExpirationAge(),
                        fromDisk))
      platform->setValueForHTTPHeaderField(*etag, "If-None-Match");
  }
  return platform;
}

// ---- what the loaders report

void ULURLRequestQueue::loaderDidLoadResponse(const std::shared_ptr<ULRequestLoader>& loader,
                                              const std::shared_ptr<NSHTTPURLResponse>& response,
                                              const Value& data) {
  auto self = this->self<ULURLRequestQueue>();
  auto keep = loader;
  removeLoader(loader);
  if (NSErrorPtr error = loader->processResponse(response, data)) {
    loader->dispatchError(error);
  } else {
    int policy = loader->cachePolicy();
    if (!(policy & ULCachePolicyBitNoStore)) {
      auto cache = ULURLCache::sharedCache();
      if (!cache->disableDiskCache() && ULCachePolicyUsesEtag(policy) && response) {
        auto header = response->allHeaderFields();
        Value etag = header->objectForKey("ETag");
        if (!etag.isString()) etag = header->objectForKey("Etag");
        std::string quoted =
            quotedEtag(etag.isString() ? std::string(etag.string()) : std::string());
        if (!quoted.empty()) cache->storeEtagForKey(quoted, loader->cacheKey());
      }
      if (data.isData()) cache->storeDataForKey(data.bytes(), loader->cacheKey());
    }
    loader->dispatchLoaded(NSDate::date());
  }
  loadNextInQueue();
}

void ULURLRequestQueue::loaderDidLoadUnmodifiedResponse(
    const std::shared_ptr<ULRequestLoader>& loader,
    const std::shared_ptr<NSHTTPURLResponse>& response) {
  auto self = this->self<ULURLRequestQueue>();
  auto keep = loader;
  removeLoader(loader);
  Value data;
  NSErrorPtr error;
  bool fromDisk = !suspended_ && (loader->cachePolicy() & ULCachePolicyBitDisk);
  if (loadFromCache(loader->urlPath(), loader->cacheKey(), kAnyAge, fromDisk, &data, &error,
                    nullptr)) {
    if (!error) error = loader->processResponse(response, data);
    if (!error) {
      for (auto& request : loader->requests()) request->setRespondedFromCache(true);
      loader->dispatchLoaded(NSDate::date());
    }
  } else {
    // Not modified, but the copy it refers to is gone: there is nothing to deliver.
    auto info = makeDictionary(
        {{std::string(NSURLErrorFailingURLStringErrorKey), Value(loader->urlPath())}});
    error = NSError::errorWithDomain(NSURLErrorDomain, 304, Value(info));
  }
  if (error) loader->dispatchError(error);
  loadNextInQueue();
}

void ULURLRequestQueue::loaderDidFailLoadWithError(const std::shared_ptr<ULRequestLoader>& loader,
                                                   const NSErrorPtr& error) {
  auto self = this->self<ULURLRequestQueue>();
  auto keep = loader;
  removeLoader(loader);
  loader->dispatchError(error);
  loadNextInQueue();
}

void ULURLRequestQueue::loaderDidCancel(const std::shared_ptr<ULRequestLoader>& loader,
                                        bool wasLoading) {
  auto self = this->self<ULURLRequestQueue>();
  auto keep = loader;
  std::erase(loaderQueue_, loader);
  if (wasLoading) {
    removeLoader(loader);
    loadNextInQueue();
  } else {
    forget(loader);
  }
}

// ---- cancelling

std::shared_ptr<ULRequestLoader> ULURLRequestQueue::loaderOf(
    const std::shared_ptr<ULURLRequest>& request) const {
  for (auto& loader : loaders_)
    if (loader->carries(request)) return loader;
  return nullptr;
}

void ULURLRequestQueue::cancelRequest(const std::shared_ptr<ULURLRequest>& request) {
  if (!request) return;
  if (auto loader = loaderOf(request)) loader->cancel(request);
}

void ULURLRequestQueue::cancelRequestsWithDelegate(const std::weak_ptr<const void>& delegate) {
  auto same = [&](const auto& other) {
    return !other.owner_before(delegate) && !delegate.owner_before(other);
  };
  // No object at all names nothing (empty references would all look alike).
  if (same(std::weak_ptr<const void>())) return;
  std::vector<std::shared_ptr<ULURLRequest>> doomed;
  for (auto& loader : loaders_) {
    for (auto& request : loader->requests()) {
      bool match = request->delegates().containsOwner(delegate);
      if (!match) {
        auto info = request->userInfo().object<ULUserInfo>();
        match = info && same(info->weakRef());
      }
      if (match) doomed.push_back(request);
    }
  }
  for (auto& request : doomed) cancelRequest(request);
}

void ULURLRequestQueue::cancelAllRequests() {
  auto loaders = loaders_;
  for (auto& loader : loaders)
    for (auto& request : loader->requests()) cancelRequest(request);
}

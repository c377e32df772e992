#include "uilib/model/ULURLRequestModel.h"

#include "uilib/network/ULURLCache.h"
#include "uilib/network/ULURLRequest.h"
#include "uilib/network/ULURLRequestQueue.h"

ULURLRequestModel::~ULURLRequestModel() {
  ULURLRequestQueue::mainQueue()->cancelRequestsWithDelegate(weak_from_this());
  if (loadingRequest_) loadingRequest_->cancel();
}

bool ULURLRequestModel::isOutdated() const {
  if (cacheKey_.empty()) return loadedTime_.has_value();
  return loadedTime_ &&
         -NSDate::timeIntervalSinceNow(*loadedTime_) > ULURLCache::sharedCache()->invalidationAge();
}

void ULURLRequestModel::cancel() {
  if (loadingRequest_) loadingRequest_->cancel();
}

void ULURLRequestModel::invalidate(bool erase) {
  if (cacheKey_.empty()) return;
  if (erase)
    ULURLCache::sharedCache()->removeKey(cacheKey_);
  else
    ULURLCache::sharedCache()->invalidateKey(cacheKey_);
  cacheKey_.clear();
}

void ULURLRequestModel::reset() {
  cacheKey_.clear();
  loadedTime_.reset();
}

float ULURLRequestModel::downloadProgress() const {
  if (!loadingRequest_ || loadingRequest_->totalContentLength() == 0) return 0;
  return float(double(loadingRequest_->totalBytesDownloaded()) /
               double(loadingRequest_->totalContentLength()));
}

void ULURLRequestModel::requestDidStartLoad(const std::shared_ptr<ULURLRequest>& request) {
  loadingRequest_ = request;
  didStartLoad();
}

void ULURLRequestModel::requestDidFinishLoad(const std::shared_ptr<ULURLRequest>& request) {
  if (!isLoadingMore_) {
    loadedTime_ = request->timestamp();
    cacheKey_ = request->cacheKey();
  }
  loadingRequest_.reset();
  didFinishLoad();
}

void ULURLRequestModel::requestDidFailLoadWithError(const std::shared_ptr<ULURLRequest>&,
                                                    const NSErrorPtr& error) {
  loadingRequest_.reset();
  didFailLoadWithError(error);
}

void ULURLRequestModel::requestDidCancelLoad(const std::shared_ptr<ULURLRequest>&) {
  loadingRequest_.reset();
  didCancelLoad();
}

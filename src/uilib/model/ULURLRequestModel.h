// The base of models filled by one URL request at a time: it is its requests' delegate,
// remembers when and under which cache key it was last loaded, and tells from that whether it
// is outdated.  Subclasses implement load by configuring a ULURLRequest with the model as
// delegate and sending it; those that page set isLoadingMore while they fetch a further page.
// Going away, the model cancels every request it is the delegate (or the user-info owner) of.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "Foundation/NSDate.h"
#include "uilib/model/ULModel.h"
#include "uilib/network/ULURLRequestDelegate.h"

class ULURLRequest;

class ULURLRequestModel : public ULModel, public ULURLRequestDelegate {
 public:
  ~ULURLRequestModel() override;

  // A load has completed.
  bool isLoaded() const override { return loadedTime_.has_value(); }
  bool isLoading() const override { return loadingRequest_ != nullptr; }
  bool isLoadingMore() const override { return isLoadingMore_; }
  // Without a cache key: whenever loaded; with one: loaded longer ago than the shared cache's
  // invalidation age.
  bool isOutdated() const override;
  void cancel() override;
  // Removes (erase) or ages the cached body of the key it was loaded under, and forgets the key.
  void invalidate(bool erase) override;
  // Forgets the cache key and the loaded time.
  void reset();
  // The share of the body received; 0 when not loading or of unknown length.
  float downloadProgress() const;

  const std::optional<NSDateValue>& loadedTime() const { return loadedTime_; }
  void setLoadedTime(std::optional<NSDateValue> time) { loadedTime_ = time; }
  const std::string& cacheKey() const { return cacheKey_; }
  void setCacheKey(std::string key) { cacheKey_ = std::move(key); }
  bool hasNoMore() const { return hasNoMore_; }
  void setHasNoMore(bool noMore) { hasNoMore_ = noMore; }
  void setIsLoadingMore(bool more) { isLoadingMore_ = more; }

  // ---- as its requests' delegate
  void requestDidStartLoad(const std::shared_ptr<ULURLRequest>& request) override;
  void requestDidFinishLoad(const std::shared_ptr<ULURLRequest>& request) override;
  void requestDidFailLoadWithError(const std::shared_ptr<ULURLRequest>& request,
                                   const NSErrorPtr& error) override;
  void requestDidCancelLoad(const std::shared_ptr<ULURLRequest>& request) override;

 private:
  std::shared_ptr<ULURLRequest> loadingRequest_;
  std::optional<NSDateValue> loadedTime_;
  std::string cacheKey_;
  bool isLoadingMore_ = false;
  bool hasNoMore_ = false;
};

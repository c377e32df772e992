// What a library request tells its delegates, on the main thread.  Every method is optional.
#pragma once

#include <memory>

#include "Foundation/NSError.h"

class ULURLRequest;

class ULURLRequestDelegate {
 public:
  virtual ~ULURLRequestDelegate() = default;

  // The queue took the request on (not sent for a request answered from a cache).
  virtual void requestDidStartLoad(const std::shared_ptr<ULURLRequest>& request) {}
  // More of the body went out: totalBytesLoaded of totalBytesExpected.
  virtual void requestDidUploadData(const std::shared_ptr<ULURLRequest>& request) {}
  // The response processor has its result.
  virtual void requestDidFinishLoad(const std::shared_ptr<ULURLRequest>& request) {}
  virtual void requestDidFailLoadWithError(const std::shared_ptr<ULURLRequest>& request,
                                           const NSErrorPtr& error) {}
  virtual void requestDidCancelLoad(const std::shared_ptr<ULURLRequest>& request) {}
};

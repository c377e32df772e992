// Progress receivers of a request (its upload and download progress delegates and its queue),
// called on the main thread.  Amounts are signed byte counts; every method is optional.
#pragma once

#include <cstdint>
#include <memory>

class HXHTTPRequest;

class HXProgressDelegate {
 public:
  virtual ~HXProgressDelegate() = default;

  // Done divided by total, from 0 to 1.
  virtual void setProgress(float progress) {}
  virtual void requestDidReceiveBytes(const std::shared_ptr<HXHTTPRequest>& request,
                                      int64_t bytes) {}
  virtual void requestDidSendBytes(const std::shared_ptr<HXHTTPRequest>& request, int64_t bytes) {}
  virtual void requestIncrementDownloadSizeBy(const std::shared_ptr<HXHTTPRequest>& request,
                                              int64_t newLength) {}
  virtual void requestIncrementUploadSizeBy(const std::shared_ptr<HXHTTPRequest>& request,
                                            int64_t newLength) {}
};

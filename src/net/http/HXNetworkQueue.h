// The engine's request queue: an operation queue that takes only HXHTTPRequest objects, runs up
// to its width of them at once (4 unless changed), adds up their upload and download sizes and
// progress for two optional progress receivers, and forwards each request's start, headers,
// redirect, finish and failure to one delegate under selectors the owner chooses.  A request
// keeps its own delegate: the queue hears of its events in addition (the request's queue field
// points here).
//
// A new queue is suspended: nothing runs until go().  By default one failed request cancels the
// rest of the queue (shouldCancelAllRequestsOnFailure).
//
// Selectors are sent to the delegate only while it lives, without asking whether it implements
// them.  A selector bound to a target receives the request as an object Value (the queue for
// queueDidFinishSelector), or an array of the request and the headers dictionary or the new
// URL; a selector made with a name only goes to the delegate's HXHTTPRequestDelegate method of
// that name.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "Foundation/NSOperation.h"
#include "Foundation/Value.h"
#include "net/http/HXHTTPRequestDelegate.h"
#include "net/http/HXProgressDelegate.h"

class HXHTTPRequest;

// The exception raised when something other than a request is added.
inline constexpr std::string_view kHXAttemptToAddInvalidRequest = "AttemptToAddInvalidRequest";

class HXNetworkQueue : public NSOperationQueue,
                       public HXHTTPRequestDelegate,
                       public HXProgressDelegate {
 public:
  // Width 4, suspended, cancelling the rest on a failure.
  HXNetworkQueue();
  static std::shared_ptr<HXNetworkQueue> queue();

  // Starts the queue.
  void go();
  // Cancels everything, forgets the delegate, the progress receivers and every selector but
  // requestWillRedirectSelector, and suspends the queue.  Width and userInfo stay.
  void reset();

  // Takes an HXHTTPRequest (or a subclass); anything else raises an NSException named
  // "AttemptToAddInvalidRequest".
  void addOperation(const std::shared_ptr<NSOperation>& operation);
  void addOperations(const std::vector<std::shared_ptr<NSOperation>>& operations,
                     bool waitUntilFinished);
  // Runs the HEAD request ahead of the others (priority 10), with accurate progress; it is not
  // counted in requestsCount and adds nothing to the totals.  Anything else is ignored.
  void addHEADOperation(const std::shared_ptr<NSOperation>& operation);
  // Sets the byte counters to 0 and cancels every request (each then fails with code 4, which
  // is how requestsCount comes down).
  void cancelAllOperations();

  // A new queue (suspended, width 4) with this one's delegate, selectors, progress receivers,
  // switches and a copy of userInfo.
  std::shared_ptr<HXNetworkQueue> copyWithZone() const;

  // ---- what the requests tell their queue (on the main thread)
  void requestStarted(const std::shared_ptr<HXHTTPRequest>& request) override;
  void requestDidReceiveResponseHeaders(const std::shared_ptr<HXHTTPRequest>& request,
                                        const ValueDictionary& responseHeaders) override;
  void requestWillRedirectToURL(const std::shared_ptr<HXHTTPRequest>& request,
                                const std::shared_ptr<NSURL>& newURL) override;
  void requestFinished(const std::shared_ptr<HXHTTPRequest>& request) override;
  void requestFailed(const std::shared_ptr<HXHTTPRequest>& request) override;
  void authenticationNeededForRequest(const std::shared_ptr<HXHTTPRequest>& request) override;
  void proxyAuthenticationNeededForRequest(const std::shared_ptr<HXHTTPRequest>& request) override;
  // Redirect confirmation only with requestWillRedirectSelector set and answered by the
  // delegate; the two authentication questions as the delegate answers them.
  bool respondsToSelector(std::string_view selectorName) const override;

  void requestDidReceiveBytes(const std::shared_ptr<HXHTTPRequest>& request,
                              int64_t bytes) override;
  void requestDidSendBytes(const std::shared_ptr<HXHTTPRequest>& request, int64_t bytes) override;
  void requestIncrementDownloadSizeBy(const std::shared_ptr<HXHTTPRequest>& request,
                                      int64_t newLength) override;
  void requestIncrementUploadSizeBy(const std::shared_ptr<HXHTTPRequest>& request,
                                    int64_t newLength) override;

  // ---- properties
  std::shared_ptr<NSObject> delegate() const;
  void setDelegate(std::weak_ptr<NSObject> delegate);
  Selector requestDidStartSelector() const;
  void setRequestDidStartSelector(Selector s);
  Selector requestDidReceiveResponseHeadersSelector() const;
  void setRequestDidReceiveResponseHeadersSelector(Selector s);
  Selector requestWillRedirectSelector() const;
  void setRequestWillRedirectSelector(Selector s);
  Selector requestDidFinishSelector() const;
  void setRequestDidFinishSelector(Selector s);
  Selector requestDidFailSelector() const;
  void setRequestDidFailSelector(Selector s);
  Selector queueDidFinishSelector() const;
  void setQueueDidFinishSelector(Selector s);
  std::shared_ptr<NSObject> uploadProgressDelegate() const;
  // Stores the receiver (not retained) and sets its progress back to 0.
  void setUploadProgressDelegate(std::weak_ptr<NSObject> delegate);
  std::shared_ptr<NSObject> downloadProgressDelegate() const;
  void setDownloadProgressDelegate(std::weak_ptr<NSObject> delegate);
  uint64_t bytesUploadedSoFar() const { return bytesUploadedSoFar_; }
  void setBytesUploadedSoFar(uint64_t v) { bytesUploadedSoFar_ = v; }
  uint64_t totalBytesToUpload() const { return totalBytesToUpload_; }
  void setTotalBytesToUpload(uint64_t v) { totalBytesToUpload_ = v; }
  uint64_t bytesDownloadedSoFar() const { return bytesDownloadedSoFar_; }
  void setBytesDownloadedSoFar(uint64_t v) { bytesDownloadedSoFar_ = v; }
  uint64_t totalBytesToDownload() const { return totalBytesToDownload_; }
  void setTotalBytesToDownload(uint64_t v) { totalBytesToDownload_ = v; }
  bool shouldCancelAllRequestsOnFailure() const { return shouldCancelAllRequestsOnFailure_; }
  void setShouldCancelAllRequestsOnFailure(bool v) { shouldCancelAllRequestsOnFailure_ = v; }
  // Requests added and not yet finished or failed.
  int requestsCount() const { return requestsCount_; }
  void setRequestsCount(int v) { requestsCount_ = v; }
  // Real bytes (true) or one unit per request (false, the default).
  bool showAccurateProgress() const { return showAccurateProgress_; }
  void setShowAccurateProgress(bool v) { showAccurateProgress_ = v; }
  Value userInfo() const;
  void setUserInfo(Value v);

 private:
  enum class Receiver { Upload, Download };
  std::shared_ptr<NSObject> progressReceiver(Receiver which) const;
  // Sets the receiver's progress to progress/total (on the main thread) when it takes progress.
  void updateProgress(Receiver which, uint64_t progress, uint64_t total);
  // Sets the receiver's progress to 0 (on the main thread) when it takes progress.
  void resetProgressDelegate(Receiver which);
  // Sends a selector field to the delegate with the request (and a second argument).
  void sendToDelegate(const Selector& selector, const std::shared_ptr<HXHTTPRequest>& request,
                      const Value& second = {});
  bool delegateAnswers(const Selector& selector) const;
  bool delegateAnswers(std::string_view selectorName) const;
  void sendQueueDidFinish();

  mutable std::mutex mutex_;
  std::weak_ptr<NSObject> delegate_;
  Selector requestDidStartSelector_;
  Selector requestDidReceiveResponseHeadersSelector_;
  Selector requestWillRedirectSelector_;
  Selector requestDidFinishSelector_;
  Selector requestDidFailSelector_;
  Selector queueDidFinishSelector_;
  std::weak_ptr<NSObject> uploadProgressDelegate_;
  std::atomic<uint64_t> bytesUploadedSoFar_{0};
  std::atomic<uint64_t> totalBytesToUpload_{0};
  std::weak_ptr<NSObject> downloadProgressDelegate_;
  std::atomic<uint64_t> bytesDownloadedSoFar_{0};
  std::atomic<uint64_t> totalBytesToDownload_{0};
  std::atomic<bool> shouldCancelAllRequestsOnFailure_{true};
  std::atomic<int> requestsCount_{0};
  std::atomic<bool> showAccurateProgress_{false};
  Value userInfo_;
};

// Serial dispatch queues: blocks submitted to one queue run one at a time, in order.  Only the
// synchronous submission is provided.  As on the platform, a synchronous block runs on the
// calling thread once the queue is free, and the caller waits until it has run.
//
// Submitting synchronously to the queue whose block the calling thread is running would wait
// for good on the platform; here it raises NSException (NSInternalInconsistencyException)
// instead.  Callers that may be re-entered ask isCurrent() first.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

class DispatchQueue {
 public:
  // dispatch_queue_create(label, DISPATCH_QUEUE_SERIAL).
  static std::shared_ptr<DispatchQueue> createSerial(std::string_view label);
  explicit DispatchQueue(std::string_view label) : label_(label) {}
  DispatchQueue(const DispatchQueue&) = delete;
  DispatchQueue& operator=(const DispatchQueue&) = delete;

  // dispatch_queue_get_label.
  const std::string& label() const { return label_; }
  // dispatch_sync: runs the block on the queue and returns when it has run.  An exception
  // leaving the block frees the queue and reaches the caller.
  void sync(const std::function<void()>& block);
  // Whether the calling thread is running a block of this queue right now.
  bool isCurrent() const;

 private:
  std::string label_;
  std::mutex running_;
};

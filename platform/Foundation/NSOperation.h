// Operations and operation queues.
//
// A queue starts its ready plain operations on worker threads, at most maxConcurrentOperationCount
// at a time, higher queue priority first and otherwise in the order they were added.  A plain
// operation does its work in main() and is finished when main() returns.  A concurrent
// operation (isConcurrent() true) overrides start(): start() may return while the work goes on
// elsewhere, and the operation keeps its slot in the queue until it calls setFinished(true).
// The queue calls a concurrent operation's start() on the thread that made room for it (the one
// adding it, or the one finishing the operation before it), so start() must only hand the work
// over and return.
// setExecuting / setFinished take the place of the platform's change notices.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "Foundation/NSObject.h"

class NSOperationQueue;

enum NSOperationQueuePriority : int {
  NSOperationQueuePriorityVeryLow = -8,
  NSOperationQueuePriorityLow = -4,
  NSOperationQueuePriorityNormal = 0,
  NSOperationQueuePriorityHigh = 4,
  NSOperationQueuePriorityVeryHigh = 8,
};

class NSOperation : public NSObject {
 public:
  NSOperation() = default;
  ~NSOperation() override = default;

  // Runs the operation on the calling thread.  The default: finish at once when cancelled,
  // otherwise executing, main(), finished.  Concurrent operations override it.
  virtual void start();
  // The work of a plain operation.
  virtual void main() {}
  virtual bool isConcurrent() const { return false; }

  // Marks the operation cancelled; a cancelled operation that has not started counts as ready
  // and finishes without running main().  Subclasses extend it to stop work in progress.
  virtual void cancel();
  bool isCancelled() const;
  bool isExecuting() const;
  bool isFinished() const;
  // All dependencies finished (or the operation is cancelled).
  bool isReady() const;

  // The operation waits for `op` to finish.  Adding a dependency on an operation that is
  // already finished changes nothing.
  void addDependency(const std::shared_ptr<NSOperation>& op);
  void removeDependency(const std::shared_ptr<NSOperation>& op);
  std::vector<std::shared_ptr<NSOperation>> dependencies() const;

  int queuePriority() const;
  void setQueuePriority(int priority);

  // Runs once, on the thread that finishes the operation, after it is finished and before the
  // queue lets it go.
  void setCompletionBlock(std::function<void()> block);

  // Blocks until the operation is finished and its completion block has run.
  void waitUntilFinished() const;

 protected:
  // How a concurrent operation reports its state; finishing frees its queue slot.
  void setExecuting(bool executing);
  void setFinished(bool finished);

 private:
  friend class NSOperationQueue;
  void dependencyFinished();
  std::shared_ptr<NSOperationQueue> queue() const;

  mutable std::mutex mutex_;
  mutable std::condition_variable finishedCv_;
  // The state flags are written under mutex_ (those that change together, together) and read
  // without it: each read is one flag, and the lock would order nothing more than the atomic.
  std::atomic<bool> cancelled_{false};
  std::atomic<bool> executing_{false};
  std::atomic<bool> finished_{false};
  // Finished and the completion block has run.  Set without the lock; a waiter counts itself
  // in waiters_ (under the lock) before it looks, so either the waiter sees the release or
  // setFinished sees the waiter and wakes it.
  std::atomic<bool> waitersReleased_{false};
  mutable std::atomic<int> waiters_{0};
  int priority_ = NSOperationQueuePriorityNormal;
  std::vector<std::shared_ptr<NSOperation>> dependencies_;
  // dependencies_.size(), written under mutex_: isReady needs no lock when it is 0.
  std::atomic<size_t> dependencyCount_{0};
  std::vector<std::weak_ptr<NSOperation>> dependents_;
  std::function<void()> completion_;
  std::weak_ptr<NSOperationQueue> queue_;

  // The queue's books on the operation, guarded by the queue's mutex.  They live in the
  // operation itself so that joining and leaving a queue costs no allocation and no lookup.
  enum class QueueState : uint8_t { None, Pending, Waiting, Started };
  std::shared_ptr<NSOperation> queueRef_;  // the queue's reference while it holds the operation
  NSOperation* queuePrev_ = nullptr;       // the queue's unfinished operations, in order added
  NSOperation* queueNext_ = nullptr;
  uint64_t queueSeq_ = 0;      // the operation's place in its queue
  int queueSortPriority_ = 0;  // the priority its queue sorts it by
  QueueState queueState_ = QueueState::None;
};

// An operation running one or more blocks (in main()).
class NSBlockOperation : public NSOperation {
 public:
  static std::shared_ptr<NSBlockOperation> blockOperationWithBlock(std::function<void()> block);
  void addExecutionBlock(std::function<void()> block);
  void main() override;

 private:
  std::mutex blocksMutex_;
  std::vector<std::function<void()>> blocks_;
};

class NSOperationQueue : public NSObject {
 public:
  // -1: the system's width.
  static constexpr long NSOperationQueueDefaultMaxConcurrentOperationCount = -1;
  // What the system's width means here.
  static constexpr long kSystemDefaultWidth = 64;

  NSOperationQueue() = default;
  ~NSOperationQueue() override = default;

  // Queues the operation (raises NSInvalidArgumentException when it is already in a queue,
  // executing or finished).  The queue keeps itself alive while it holds operations.
  void addOperation(const std::shared_ptr<NSOperation>& op);
  void addOperations(const std::vector<std::shared_ptr<NSOperation>>& ops, bool waitUntilFinished);
  void addOperationWithBlock(std::function<void()> block);

  // The operations not yet finished, in the order they were added.
  std::vector<std::shared_ptr<NSOperation>> operations() const;
  size_t operationCount() const;

  long maxConcurrentOperationCount() const;
  // Takes effect at once: a wider queue starts more now; a narrower one lets the running
  // operations finish and starts no more until it is below the new width.
  void setMaxConcurrentOperationCount(long count);

  bool isSuspended() const;
  // A suspended queue starts nothing; running operations go on.
  void setSuspended(bool suspended);

  // Cancels every operation in the queue.
  void cancelAllOperations();
  // Blocks until the queue holds no operation.
  void waitUntilAllOperationsAreFinished() const;

  std::string name() const;
  void setName(std::string name);

 private:
  friend class NSOperation;
  // The operations to start, gathered under the lock and started after it (usually one at a
  // time, so the first few are kept off the heap).
  struct StartList;
  // Starts what the width, the suspension and readiness allow.
  void schedule();
  // With mutex_ held: takes the operations that may start now, marking them started.
  void takeStartable(StartList& start);
  void operationFinished(NSOperation* op);
  // The operation may have become ready (a dependency finished or went, or it was cancelled).
  void readinessChanged(NSOperation* op);
  void priorityChanged(NSOperation* op);
  size_t effectiveWidth() const;  // needs mutex_

  // So that a finishing operation costs a look at the next candidates rather than a scan of
  // everything queued, the operations not started are kept sorted, best first (higher
  // priority, then earlier), in `pending_`; those found waiting for a dependency leave it until
  // a change of their readiness brings them back.  Operations are usually added with the same
  // priority, so they join at the back and leave at the front.
  struct PendingEntry {
    int priority;
    uint64_t seq;
    NSOperation* op;  // held by its queueRef_ while it is listed
  };
  static bool bestFirst(const PendingEntry& a, const PendingEntry& b) {
    return a.priority != b.priority ? a.priority > b.priority : a.seq < b.seq;
  }
  // These need mutex_.
  void addPending(NSOperation* op);
  void removePending(NSOperation* op);
  void unlink(NSOperation* op);

  mutable std::mutex mutex_;
  mutable std::condition_variable emptyCv_;
  // Every unfinished operation, in the order added (linked through queuePrev_/queueNext_).
  NSOperation* first_ = nullptr;
  NSOperation* last_ = nullptr;
  size_t count_ = 0;
  std::deque<PendingEntry> pending_;
  uint64_t nextSeq_ = 1;
  size_t running_ = 0;
  long width_ = NSOperationQueueDefaultMaxConcurrentOperationCount;
  bool suspended_ = false;
  std::string name_;
  std::shared_ptr<NSOperationQueue> keepAlive_;
};

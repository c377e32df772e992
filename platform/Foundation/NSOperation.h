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

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
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
  bool cancelled_ = false;
  bool executing_ = false;
  bool finished_ = false;
  bool waitersReleased_ = false;  // finished and the completion block has run
  int priority_ = NSOperationQueuePriorityNormal;
  std::vector<std::shared_ptr<NSOperation>> dependencies_;
  std::vector<std::weak_ptr<NSOperation>> dependents_;
  std::function<void()> completion_;
  std::weak_ptr<NSOperationQueue> queue_;
  uint64_t queueSeq_ = 0;  // the operation's place in its queue; guarded by the queue's mutex
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
  // Starts what the width, the suspension and readiness allow.
  void schedule();
  void operationFinished(NSOperation* op);
  // The operation may have become ready (a dependency finished or went, or it was cancelled).
  void readinessChanged(NSOperation* op);
  void priorityChanged(NSOperation* op);
  size_t effectiveWidth() const;  // needs mutex_

  // So that a finishing operation costs a look at the next candidates rather than a scan of
  // everything queued, the operations not started are kept sorted, best first (higher
  // priority, then earlier), in `pending_`; those found waiting for a dependency leave it until
  // a change of their readiness brings them back.
  enum class State { Pending, Waiting, Started };
  struct Entry {
    std::shared_ptr<NSOperation> op;
    int priority = 0;
    State state = State::Pending;
  };
  using PendingKey = std::pair<int, uint64_t>;  // (priority, order added)
  struct BestFirst {
    bool operator()(const PendingKey& a, const PendingKey& b) const {
      return a.first != b.first ? a.first > b.first : a.second < b.second;
    }
  };
  static PendingKey keyOf(const Entry& e, uint64_t seq) { return {e.priority, seq}; }

  mutable std::mutex mutex_;
  mutable std::condition_variable emptyCv_;
  std::map<uint64_t, Entry> entries_;  // every unfinished operation, in the order added
  std::set<PendingKey, BestFirst> pending_;
  uint64_t nextSeq_ = 1;
  size_t running_ = 0;
  long width_ = NSOperationQueueDefaultMaxConcurrentOperationCount;
  bool suspended_ = false;
  std::string name_;
  std::shared_ptr<NSOperationQueue> keepAlive_;
};

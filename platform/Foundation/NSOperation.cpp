#include "Foundation/NSOperation.h"

#include <algorithm>
#include <chrono>
#include <deque>
#include <thread>

#include "Foundation/NSException.h"

namespace {

// The threads operations run on.  Operations are taken in the order they were handed in.  A
// worker is woken (the one that went idle last: its cache and its processor are the warmest)
// or a thread made only when those already on their way are fewer than the operations
// waiting; idle ones end after a while.  Each worker waits on a condition of its own, so that a
// start wakes exactly one thread and never waits for other waiters to settle.
class WorkerPool {
 public:
  static WorkerPool& shared() {
    // Never destroyed: workers may still be running while the process exits.
    static WorkerPool* pool = new WorkerPool;
    return *pool;
  }

  // Starts the operation on a worker.
  void submit(std::shared_ptr<NSOperation> op) {
    std::shared_ptr<Worker> wake;  // held while it is signalled
    bool spawn = false;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      tasks_.push_back(std::move(op));
      if (tasks_.size() > coming_) {
        ++coming_;
        if (idle_.empty()) {
          spawn = true;
        } else {
          wake = std::move(idle_.back());
          idle_.pop_back();
          wake->woken = true;
        }
      }
    }
    // Signalled after unlocking: a worker woken under the lock would block on it at once.
    if (wake)
      wake->cv.notify_one();
    else if (spawn)
      std::thread([this] { work(); }).detach();
  }

 private:
  struct Worker {
    std::condition_variable cv;
    bool woken = false;  // guarded by the pool's mutex
  };

  void work() {
    auto self = std::make_shared<Worker>();
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      --coming_;  // made or woken for the operations waiting
      while (!tasks_.empty()) {
        auto op = std::move(tasks_.front());
        tasks_.pop_front();
        lock.unlock();
        op->start();
        op.reset();  // let go of the operation before waiting again
        lock.lock();
      }
      self->woken = false;
      idle_.push_back(self);
      // Only submit() takes a worker off the idle list, and it wakes it as it does.
      if (!self->cv.wait_for(lock, std::chrono::seconds(30), [&] { return self->woken; })) {
        std::erase(idle_, self);
        return;
      }
    }
  }

  std::mutex mutex_;
  std::deque<std::shared_ptr<NSOperation>> tasks_;
  std::vector<std::shared_ptr<Worker>> idle_;  // the last to go idle at the back
  size_t coming_ = 0;                          // workers made or woken, not yet looking
};

// Starts concurrent operations on the calling thread.  Their start() only hands the work over,
// so a worker's wake-up would cost more than the start itself.  A start that makes room for the
// next operation (one that finishes at once) queues that start here instead of nesting it, so
// a long run of such operations never deepens the stack.
void startConcurrently(std::shared_ptr<NSOperation> op) {
  thread_local std::deque<std::shared_ptr<NSOperation>> waiting;
  thread_local bool starting = false;
  waiting.push_back(std::move(op));
  if (starting) return;
  starting = true;
  while (!waiting.empty()) {
    auto next = std::move(waiting.front());
    waiting.pop_front();
    try {
      next->start();
    } catch (...) {
      starting = false;
      throw;
    }
  }
  starting = false;
}

void startOperation(std::shared_ptr<NSOperation> op) {
  if (op->isConcurrent())
    startConcurrently(std::move(op));
  else
    WorkerPool::shared().submit(std::move(op));
}

}  // namespace

// ---- NSOperation

void NSOperation::start() {
  if (executing_ || finished_) return;
  if (isCancelled()) {
    setFinished(true);
    return;
  }
  setExecuting(true);
  main();
  setFinished(true);
}

void NSOperation::cancel() {
  std::shared_ptr<NSOperationQueue> q;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (cancelled_ || finished_) return;
    cancelled_ = true;
    q = queue_.lock();
  }
  // Cancelling makes a waiting operation ready.
  if (q) q->readinessChanged(this);
}

bool NSOperation::isCancelled() const {
  return cancelled_;
}

bool NSOperation::isExecuting() const {
  return executing_;
}

bool NSOperation::isFinished() const {
  return finished_;
}

bool NSOperation::isReady() const {
  // Most operations have no dependencies.
  if (cancelled_ || dependencyCount_ == 0) return true;
  std::vector<std::shared_ptr<NSOperation>> deps;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (cancelled_ || dependencies_.empty()) return true;
    deps = dependencies_;
  }
  for (const auto& d : deps)
    if (!d->isFinished()) return false;
  return true;
}

void NSOperation::addDependency(const std::shared_ptr<NSOperation>& op) {
  if (!op || op.get() == this) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (std::find(dependencies_.begin(), dependencies_.end(), op) != dependencies_.end()) return;
  }
  // Heard of before counted on: whether `op` finishes before or after this, the queue learns
  // that this operation may be ready (it looks at waiting operations only when told so).
  {
    std::lock_guard<std::mutex> lock(op->mutex_);
    op->dependents_.push_back(weakSelf<NSOperation>());
  }
  std::lock_guard<std::mutex> lock(mutex_);
  if (std::find(dependencies_.begin(), dependencies_.end(), op) == dependencies_.end())
    dependencies_.push_back(op);
  dependencyCount_ = dependencies_.size();
}

void NSOperation::removeDependency(const std::shared_ptr<NSOperation>& op) {
  std::shared_ptr<NSOperationQueue> q;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    std::erase(dependencies_, op);
    dependencyCount_ = dependencies_.size();
    q = queue_.lock();
  }
  if (q) q->readinessChanged(this);
}

std::vector<std::shared_ptr<NSOperation>> NSOperation::dependencies() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return dependencies_;
}

int NSOperation::queuePriority() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return priority_;
}

void NSOperation::setQueuePriority(int priority) {
  std::shared_ptr<NSOperationQueue> q;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (priority_ == priority) return;
    priority_ = priority;
    q = queue_.lock();
  }
  if (q) q->priorityChanged(this);
}

void NSOperation::setCompletionBlock(std::function<void()> block) {
  std::lock_guard<std::mutex> lock(mutex_);
  completion_ = std::move(block);
}

void NSOperation::waitUntilFinished() const {
  std::unique_lock<std::mutex> lock(mutex_);
  ++waiters_;
  finishedCv_.wait(lock, [this] { return waitersReleased_.load(); });
  --waiters_;
}

void NSOperation::setExecuting(bool executing) {
  // One flag: setFinished, which changes it together with another, may come before or after
  // just as it could with the lock.
  executing_ = executing;
}

void NSOperation::setFinished(bool finished) {
  std::function<void()> completion;
  std::vector<std::weak_ptr<NSOperation>> dependents;
  std::shared_ptr<NSOperationQueue> q;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!finished) {
      finished_ = false;
      return;
    }
    if (finished_) return;
    finished_ = true;
    executing_ = false;
    completion = std::move(completion_);
    completion_ = nullptr;
    dependents = std::move(dependents_);
    dependents_.clear();
    q = queue_.lock();
  }
  // Keep the operation alive until its queue has let it go.
  auto keep = weak_from_this().lock();
  if (completion) completion();
  waitersReleased_ = true;
  // A waiter counted itself before it looked at waitersReleased_: seen here, it is woken once
  // it sleeps (taking the lock waits for that).  Not seen, it sees the release itself.
  if (waiters_ > 0) {
    std::lock_guard<std::mutex> lock(mutex_);
    finishedCv_.notify_all();
  }
  if (q) q->operationFinished(this);
  for (const auto& w : dependents)
    if (auto d = w.lock()) d->dependencyFinished();
}

void NSOperation::dependencyFinished() {
  if (auto q = queue()) q->readinessChanged(this);
}

std::shared_ptr<NSOperationQueue> NSOperation::queue() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return queue_.lock();
}

// ---- NSBlockOperation

std::shared_ptr<NSBlockOperation> NSBlockOperation::blockOperationWithBlock(
    std::function<void()> block) {
  auto op = std::make_shared<NSBlockOperation>();
  op->addExecutionBlock(std::move(block));
  return op;
}

void NSBlockOperation::addExecutionBlock(std::function<void()> block) {
  std::lock_guard<std::mutex> lock(blocksMutex_);
  if (block) blocks_.push_back(std::move(block));
}

void NSBlockOperation::main() {
  std::vector<std::function<void()>> blocks;
  {
    std::lock_guard<std::mutex> lock(blocksMutex_);
    blocks = std::move(blocks_);
    blocks_.clear();
  }
  for (auto& b : blocks) b();
}

// ---- NSOperationQueue

struct NSOperationQueue::StartList {
  static constexpr size_t kInline = 4;
  std::shared_ptr<NSOperation> first[kInline];
  std::vector<std::shared_ptr<NSOperation>> more;
  size_t count = 0;

  void add(const std::shared_ptr<NSOperation>& op) {
    if (count < kInline)
      first[count] = op;
    else
      more.push_back(op);
    ++count;
  }
  // Outside the queue's lock: a start may finish the operation at once, or add others.
  void startAll() {
    for (size_t i = 0; i < count && i < kInline; ++i) startOperation(std::move(first[i]));
    for (auto& op : more) startOperation(std::move(op));
  }
};

void NSOperationQueue::addOperation(const std::shared_ptr<NSOperation>& op) {
  if (!op)
    NSException::raise(NSInvalidArgumentException,
                       "*** -[NSOperationQueue addOperation:]: operation is nil");
  {
    std::lock_guard<std::mutex> opLock(op->mutex_);
    if (op->queue_.lock())
      NSException::raise(
          NSInvalidArgumentException,
          "*** -[NSOperationQueue addOperation:]: operation is already enqueued on a queue");
    if (op->executing_ || op->finished_)
      NSException::raise(
          NSInvalidArgumentException,
          "*** -[NSOperationQueue addOperation:]: operation is executing or finished "
          "and cannot be enqueued");
    op->queue_ = weakSelf<NSOperationQueue>();
  }
  StartList start;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    op->queueSeq_ = nextSeq_++;
    // Read under the queue's lock: a priority set from now on re-sorts the entry.
    op->queueSortPriority_ = op->queuePriority();
    op->queueState_ = NSOperation::QueueState::Pending;
    op->queueRef_ = op;
    op->queuePrev_ = last_;
    op->queueNext_ = nullptr;
    (last_ ? last_->queueNext_ : first_) = op.get();
    last_ = op.get();
    ++count_;
    addPending(op.get());
    if (!keepAlive_) keepAlive_ = self<NSOperationQueue>();
    takeStartable(start);
  }
  start.startAll();
}

void NSOperationQueue::addOperations(const std::vector<std::shared_ptr<NSOperation>>& ops,
                                     bool waitUntilFinished) {
  for (const auto& op : ops) addOperation(op);
  if (waitUntilFinished)
    for (const auto& op : ops) op->waitUntilFinished();
}

void NSOperationQueue::addOperationWithBlock(std::function<void()> block) {
  addOperation(NSBlockOperation::blockOperationWithBlock(std::move(block)));
}

std::vector<std::shared_ptr<NSOperation>> NSOperationQueue::operations() const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<std::shared_ptr<NSOperation>> ops;
  ops.reserve(count_);
  for (NSOperation* op = first_; op; op = op->queueNext_) ops.push_back(op->queueRef_);
  return ops;
}

size_t NSOperationQueue::operationCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return count_;
}

long NSOperationQueue::maxConcurrentOperationCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return width_;
}

void NSOperationQueue::setMaxConcurrentOperationCount(long count) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    width_ = count < 0 ? NSOperationQueueDefaultMaxConcurrentOperationCount : count;
  }
  schedule();
}

size_t NSOperationQueue::effectiveWidth() const {
  return width_ < 0 ? size_t(kSystemDefaultWidth) : size_t(width_);
}

bool NSOperationQueue::isSuspended() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return suspended_;
}

void NSOperationQueue::setSuspended(bool suspended) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    suspended_ = suspended;
  }
  if (!suspended) schedule();
}

void NSOperationQueue::cancelAllOperations() {
  for (const auto& op : operations()) op->cancel();
}

void NSOperationQueue::waitUntilAllOperationsAreFinished() const {
  std::unique_lock<std::mutex> lock(mutex_);
  emptyCv_.wait(lock, [this] { return count_ == 0; });
}

std::string NSOperationQueue::name() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return name_;
}

void NSOperationQueue::setName(std::string name) {
  std::lock_guard<std::mutex> lock(mutex_);
  name_ = std::move(name);
}

void NSOperationQueue::addPending(NSOperation* op) {
  PendingEntry entry{op->queueSortPriority_, op->queueSeq_, op};
  // Usually the newest and no better than the last: it goes at the back.
  if (pending_.empty() || !bestFirst(entry, pending_.back()))
    pending_.push_back(entry);
  else
    pending_.insert(std::upper_bound(pending_.begin(), pending_.end(), entry, bestFirst), entry);
}

void NSOperationQueue::removePending(NSOperation* op) {
  PendingEntry entry{op->queueSortPriority_, op->queueSeq_, op};
  auto it = std::lower_bound(pending_.begin(), pending_.end(), entry, bestFirst);
  if (it != pending_.end() && it->op == op) pending_.erase(it);
}

void NSOperationQueue::unlink(NSOperation* op) {
  (op->queuePrev_ ? op->queuePrev_->queueNext_ : first_) = op->queueNext_;
  (op->queueNext_ ? op->queueNext_->queuePrev_ : last_) = op->queuePrev_;
  op->queuePrev_ = op->queueNext_ = nullptr;
  --count_;
}

void NSOperationQueue::takeStartable(StartList& start) {
  if (suspended_) return;
  size_t width = effectiveWidth();
  while (running_ < width && !pending_.empty()) {
    NSOperation* op = pending_.front().op;
    pending_.pop_front();
    if (!op->isReady()) {
      op->queueState_ = NSOperation::QueueState::Waiting;
      continue;
    }
    op->queueState_ = NSOperation::QueueState::Started;
    ++running_;
    start.add(op->queueRef_);
  }
}

void NSOperationQueue::schedule() {
  StartList start;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    takeStartable(start);
  }
  start.startAll();
}

void NSOperationQueue::operationFinished(NSOperation* op) {
  std::shared_ptr<NSOperationQueue> release;  // dropped after unlocking
  std::shared_ptr<NSOperation> entryOp;       // likewise: it may be the last owner
  StartList start;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (op->queueRef_) {
      switch (op->queueState_) {
        case NSOperation::QueueState::Started:
          --running_;
          break;
        case NSOperation::QueueState::Pending:
          removePending(op);
          break;
        case NSOperation::QueueState::Waiting:
        case NSOperation::QueueState::None:
          break;
      }
      op->queueState_ = NSOperation::QueueState::None;
      unlink(op);
      entryOp = std::move(op->queueRef_);
    }
    if (count_ == 0) {
      release = std::move(keepAlive_);
      keepAlive_.reset();
      emptyCv_.notify_all();
    }
    // The slot it leaves (if any) goes to the next operation.
    takeStartable(start);
  }
  start.startAll();
}

void NSOperationQueue::readinessChanged(NSOperation* op) {
  StartList start;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (op->queueRef_ && op->queueState_ == NSOperation::QueueState::Waiting) {
      op->queueState_ = NSOperation::QueueState::Pending;
      addPending(op);
    }
    takeStartable(start);
  }
  start.startAll();
}

void NSOperationQueue::priorityChanged(NSOperation* op) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!op->queueRef_) return;
  int priority = op->queuePriority();
  if (op->queueState_ == NSOperation::QueueState::Pending) {
    removePending(op);
    op->queueSortPriority_ = priority;
    addPending(op);
  } else {
    op->queueSortPriority_ = priority;
  }
}

#include "Foundation/NSOperation.h"

#include <chrono>
#include <deque>
#include <thread>

#include "Foundation/NSException.h"

namespace {

// The threads operations run on: one more is made whenever every worker is busy; idle ones
// end after a while.
class WorkerPool {
 public:
  static WorkerPool& shared() {
    // Never destroyed: workers may still be running while the process exits.
    static WorkerPool* pool = new WorkerPool;
    return *pool;
  }

  void submit(std::function<void()> task) {
    std::lock_guard<std::mutex> lock(mutex_);
    tasks_.push_back(std::move(task));
    if (idle_ >= tasks_.size()) {
      cv_.notify_one();
    } else {
      std::thread([this] { work(); }).detach();
    }
  }

 private:
  void work() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      while (tasks_.empty()) {
        ++idle_;
        bool woke =
            cv_.wait_for(lock, std::chrono::seconds(30), [this] { return !tasks_.empty(); });
        --idle_;
        if (!woke) return;
      }
      auto task = std::move(tasks_.front());
      tasks_.pop_front();
      lock.unlock();
      task();
      task = nullptr;  // release what the task held before waiting again
      lock.lock();
    }
  }

  std::mutex mutex_;
  std::condition_variable cv_;
  std::deque<std::function<void()>> tasks_;
  size_t idle_ = 0;
};

}  // namespace

// ---- NSOperation

void NSOperation::start() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (executing_ || finished_) return;
  }
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
  if (q) q->schedule();
}

bool NSOperation::isCancelled() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return cancelled_;
}

bool NSOperation::isExecuting() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return executing_;
}

bool NSOperation::isFinished() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return finished_;
}

bool NSOperation::isReady() const {
  std::vector<std::shared_ptr<NSOperation>> deps;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (cancelled_) return true;
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
    for (const auto& d : dependencies_)
      if (d == op) return;
    dependencies_.push_back(op);
  }
  std::lock_guard<std::mutex> lock(op->mutex_);
  op->dependents_.push_back(weakSelf<NSOperation>());
}

void NSOperation::removeDependency(const std::shared_ptr<NSOperation>& op) {
  std::shared_ptr<NSOperationQueue> q;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    std::erase(dependencies_, op);
    q = queue_.lock();
  }
  if (q) q->schedule();
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
  std::lock_guard<std::mutex> lock(mutex_);
  priority_ = priority;
}

void NSOperation::setCompletionBlock(std::function<void()> block) {
  std::lock_guard<std::mutex> lock(mutex_);
  completion_ = std::move(block);
}

void NSOperation::waitUntilFinished() const {
  std::unique_lock<std::mutex> lock(mutex_);
  finishedCv_.wait(lock, [this] { return waitersReleased_; });
}

void NSOperation::setExecuting(bool executing) {
  std::lock_guard<std::mutex> lock(mutex_);
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
  {
    std::lock_guard<std::mutex> lock(mutex_);
    waitersReleased_ = true;
  }
  finishedCv_.notify_all();
  if (q) q->operationFinished(this);
  for (const auto& w : dependents)
    if (auto d = w.lock()) d->dependencyFinished();
}

void NSOperation::dependencyFinished() {
  if (auto q = queue()) q->schedule();
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
  {
    std::lock_guard<std::mutex> lock(mutex_);
    entries_.push_back({op, false});
    if (!keepAlive_) keepAlive_ = self<NSOperationQueue>();
  }
  schedule();
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
  for (const auto& e : entries_) ops.push_back(e.op);
  return ops;
}

size_t NSOperationQueue::operationCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return entries_.size();
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
  emptyCv_.wait(lock, [this] { return entries_.empty(); });
}

std::string NSOperationQueue::name() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return name_;
}

void NSOperationQueue::setName(std::string name) {
  std::lock_guard<std::mutex> lock(mutex_);
  name_ = std::move(name);
}

void NSOperationQueue::schedule() {
  std::vector<std::shared_ptr<NSOperation>> toStart;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (suspended_) return;
    size_t width = effectiveWidth();
    while (running_ < width) {
      Entry* best = nullptr;
      int bestPriority = 0;
      for (auto& e : entries_) {
        if (e.started || !e.op->isReady()) continue;
        int p = e.op->queuePriority();
        if (!best || p > bestPriority) {
          best = &e;
          bestPriority = p;
        }
      }
      if (!best) break;
      best->started = true;
      ++running_;
      toStart.push_back(best->op);
    }
  }
  for (auto& op : toStart) WorkerPool::shared().submit([op] { op->start(); });
}

void NSOperationQueue::operationFinished(NSOperation* op) {
  std::shared_ptr<NSOperationQueue> release;  // dropped after unlocking
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
      if (it->op.get() != op) continue;
      if (it->started) --running_;
      entries_.erase(it);
      break;
    }
    if (entries_.empty()) {
      release = std::move(keepAlive_);
      keepAlive_.reset();
      emptyCv_.notify_all();
    }
  }
  schedule();
}

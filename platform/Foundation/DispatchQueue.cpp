#include "Foundation/DispatchQueue.h"

#include <algorithm>
#include <vector>

#include "Foundation/NSException.h"

namespace {

// The queues whose blocks this thread is running, innermost last.
thread_local std::vector<const DispatchQueue*> runningQueues;

// Marks the queue as running on this thread for the life of the block, however it ends.
class RunningMark {
 public:
  explicit RunningMark(const DispatchQueue* queue) { runningQueues.push_back(queue); }
  ~RunningMark() { runningQueues.pop_back(); }
  RunningMark(const RunningMark&) = delete;
  RunningMark& operator=(const RunningMark&) = delete;
};

}  // namespace

std::shared_ptr<DispatchQueue> DispatchQueue::createSerial(std::string_view label) {
  return std::make_shared<DispatchQueue>(label);
}

void DispatchQueue::sync(const std::function<void()>& block) {
  if (isCurrent()) {
    NSException::raise(NSInternalInconsistencyException,
                       "dispatch_sync called on the queue that is running the caller: " + label_);
  }
  std::lock_guard<std::mutex> lock(running_);
  RunningMark mark(this);
  block();
}

bool DispatchQueue::isCurrent() const {
  return std::find(runningQueues.begin(), runningQueues.end(), this) != runningQueues.end();
}

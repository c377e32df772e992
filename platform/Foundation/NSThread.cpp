#include "Foundation/NSThread.h"

#include <sys/syscall.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "Foundation/NSTimer.h"

namespace {

thread_local std::shared_ptr<NSThread> tCurrentThread;

// Waits for a block handed to another thread's loop.
struct Completion {
  std::mutex mutex;
  std::condition_variable cv;
  bool done = false;
  void signal() {
    std::lock_guard<std::mutex> lock(mutex);
    done = true;
    cv.notify_all();
  }
  void wait() {
    std::unique_lock<std::mutex> lock(mutex);
    cv.wait(lock, [this] { return done; });
  }
};

struct SignalOnExit {
  std::shared_ptr<Completion> completion;
  ~SignalOnExit() { completion->signal(); }
};

}  // namespace

NSThread::NSThread(std::function<void()> main)
    : main_(std::move(main)), runLoop_(std::make_shared<NSRunLoop>()) {}

NSThread::NSThread(Adopt, std::shared_ptr<NSRunLoop> loop, bool isMain)
    : runLoop_(std::move(loop)), isMain_(isMain), started_(true), executing_(true) {}

NSThread::~NSThread() = default;

std::shared_ptr<NSThread> NSThread::detachNewThread(std::function<void()> block) {
  auto thread = std::make_shared<NSThread>(std::move(block));
  thread->start();
  return thread;
}

std::shared_ptr<NSThread> NSThread::detachNewThreadSelector(Selector selector, Value argument) {
  // The thread keeps the target and the argument until the selector returns.
  auto target = selector.target();
  return detachNewThread([selector = std::move(selector), argument = std::move(argument),
                          target = std::move(target)] { selector(argument); });
}

bool NSThread::isMainThread() {
  // The initial thread of a Linux process has the process's id as its thread id.
  static thread_local const bool isMain = syscall(SYS_gettid) == getpid();
  return isMain;
}

const std::shared_ptr<NSThread>& NSThread::mainThread() {
  // Never destroyed, like the main loop.
  static std::shared_ptr<NSThread>* thread = new std::shared_ptr<NSThread>(
      std::make_shared<NSThread>(Adopt{}, NSRunLoop::mainRunLoop(), true));
  return *thread;
}

std::shared_ptr<NSThread> NSThread::currentThread() {
  if (tCurrentThread) return tCurrentThread;
  if (isMainThread()) return mainThread();
  tCurrentThread = std::make_shared<NSThread>(Adopt{}, NSRunLoop::currentRunLoop(), false);
  return tCurrentThread;
}

void NSThread::sleepForTimeInterval(double seconds) {
  if (seconds > 0) std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

void NSThread::start() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (started_) return;
    started_ = true;
    executing_ = true;
  }
  auto self = this->self<NSThread>();
  std::thread([self] {
    NSRunLoop::setCurrent(self->runLoop_);
    tCurrentThread = self;
    if (self->main_) self->main_();
    {
      std::lock_guard<std::mutex> lock(self->mutex_);
      self->executing_ = false;
      self->finished_ = true;
      // Drop the block now: it may hold objects that should not wait for the thread object.
      self->main_ = nullptr;
    }
    self->finishedCv_.notify_all();
    tCurrentThread.reset();
  }).detach();
}

void NSThread::cancel() {
  std::lock_guard<std::mutex> lock(mutex_);
  cancelled_ = true;
}

bool NSThread::isCancelled() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return cancelled_;
}

bool NSThread::isExecuting() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return executing_;
}

bool NSThread::isFinished() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return finished_;
}

std::string NSThread::name() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return name_;
}

void NSThread::setName(std::string name) {
  std::lock_guard<std::mutex> lock(mutex_);
  name_ = std::move(name);
}

void NSThread::waitUntilFinished() const {
  std::unique_lock<std::mutex> lock(mutex_);
  finishedCv_.wait(lock, [this] { return finished_ || !started_; });
}

// ---- performs

namespace {
// The common case passes no modes: a block queued in the common modes needs no list of names.
void performOn(const std::shared_ptr<NSThread>& thread, std::function<void()> block, bool wait,
               std::vector<std::string>* modes) {
  if (!thread || !block) return;
  const auto& loop = thread->runLoop();
  if (wait && loop == NSRunLoop::currentRunLoop()) {
    block();
    return;
  }
  auto queue = [&](std::function<void()> b) {
    if (modes) {
      loop->performBlock(std::move(b), std::move(*modes));
    } else {
      loop->performBlock(std::move(b));
    }
  };
  if (!wait) {
    queue(std::move(block));
    return;
  }
  auto completion = std::make_shared<Completion>();
  queue([completion, block = std::move(block)] {
    SignalOnExit signal{completion};
    block();
  });
  completion->wait();
}

// The receiver and the argument stay alive until the perform has run.
std::function<void()> bind(const Selector& selector, const Value& argument) {
  return [selector, argument, target = selector.target()] { selector(argument); };
}
}  // namespace

void performOnThread(const std::shared_ptr<NSThread>& thread, std::function<void()> block,
                     bool wait) {
  performOn(thread, std::move(block), wait, nullptr);
}

void performOnThread(const std::shared_ptr<NSThread>& thread, std::function<void()> block,
                     bool wait, std::vector<std::string> modes) {
  performOn(thread, std::move(block), wait, &modes);
}

void performOnMainThread(std::function<void()> block, bool wait) {
  performOn(NSThread::mainThread(), std::move(block), wait, nullptr);
}

void performOnMainThread(std::function<void()> block, bool wait, std::vector<std::string> modes) {
  performOn(NSThread::mainThread(), std::move(block), wait, &modes);
}

void performSelectorOnMainThread(const Selector& selector, const Value& argument, bool wait) {
  performOn(NSThread::mainThread(), bind(selector, argument), wait, nullptr);
}

void performSelectorOnMainThread(const Selector& selector, const Value& argument, bool wait,
                                 std::vector<std::string> modes) {
  performOn(NSThread::mainThread(), bind(selector, argument), wait, &modes);
}

void performSelectorOnThread(const std::shared_ptr<NSThread>& thread, const Selector& selector,
                             const Value& argument, bool wait) {
  performOn(thread, bind(selector, argument), wait, nullptr);
}

void performSelectorOnThread(const std::shared_ptr<NSThread>& thread, const Selector& selector,
                             const Value& argument, bool wait, std::vector<std::string> modes) {
  performOn(thread, bind(selector, argument), wait, &modes);
}

void performSelectorAfterDelay(const Selector& selector, const Value& argument, double delay,
                               std::vector<std::string> modes) {
  if (!selector) return;
  auto loop = NSRunLoop::currentRunLoop();
  std::weak_ptr<NSRunLoop> weakLoop = loop;
  auto timer = NSTimer::timerWithTimeInterval(
      delay, false, [weakLoop, selector, argument](const std::shared_ptr<NSTimer>& t) {
        // Taken off the books before the call, so that the selector may schedule itself again
        // and a cancel inside it does not touch this one; `keep` holds the target meanwhile.
        auto keep = selector.target();
        if (auto l = weakLoop.lock()) l->removeDelayedPerform(t.get());
        selector(argument);
      });
  loop->addDelayedPerform({selector.target(), selector.name(), argument, timer});
  for (const auto& m : modes) loop->addTimer(timer, m);
}

std::shared_ptr<NSTimer> performAfterDelay(std::function<void()> block, double delay,
                                           std::string_view mode) {
  auto timer = NSTimer::timerWithTimeInterval(
      delay, false, [block = std::move(block)](const std::shared_ptr<NSTimer>&) {
        if (block) block();
      });
  NSRunLoop::currentRunLoop()->addTimer(timer, mode);
  return timer;
}

void cancelPreviousPerformRequestsWithTarget(const std::weak_ptr<void>& target) {
  NSRunLoop::currentRunLoop()->cancelDelayedPerforms(target, nullptr, nullptr);
}

void cancelPreviousPerformRequestsWithTarget(const std::weak_ptr<void>& target,
                                             std::string_view selectorName, const Value& argument) {
  std::string name(selectorName);
  NSRunLoop::currentRunLoop()->cancelDelayedPerforms(target, &name, &argument);
}

void dispatchAsyncMain(std::function<void()> block) {
  NSRunLoop::mainRunLoop()->performBlock(std::move(block));
}

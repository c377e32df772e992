// Threads and the performs that hand work between them.
//
// The main thread is the process's initial thread (the one that runs main() and, in the app,
// UIApplicationMain).  Every thread has a run loop (NSRunLoop::currentRunLoop); an NSThread
// made here owns its loop from construction, so work can be performed on it before it runs.
#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "Foundation/NSObject.h"
#include "Foundation/NSRunLoop.h"
#include "Foundation/Value.h"

class NSTimer;

class NSThread : public NSObject {
 public:
  // A thread that will run `main` once started.  The block may run the thread's loop
  // (NSRunLoop::currentRunLoop()->run()) to serve performs and timers.
  explicit NSThread(std::function<void()> main);
  ~NSThread() override;

  // detachNewThreadSelector / detachNewThreadWithBlock: starts a thread running the block.
  static std::shared_ptr<NSThread> detachNewThread(std::function<void()> block);
  static std::shared_ptr<NSThread> detachNewThreadSelector(Selector selector, Value argument);

  static std::shared_ptr<NSThread> currentThread();
  // Never destroyed, so the reference stays valid.
  static const std::shared_ptr<NSThread>& mainThread();
  // Whether the caller runs on the main thread.
  static bool isMainThread();
  // Blocks the calling thread for real time.
  static void sleepForTimeInterval(double seconds);

  // Starts the thread (once; later calls do nothing).
  void start();
  void cancel();
  bool isCancelled() const;
  bool isExecuting() const;
  bool isFinished() const;
  std::string name() const;
  void setName(std::string name);
  // The thread's run loop.
  const std::shared_ptr<NSRunLoop>& runLoop() const { return runLoop_; }
  bool isMain() const { return isMain_; }

  // Waits until the block of a thread made here has returned (threads are detached; this is
  // for tests and orderly shut-down).  Returns at once for a thread never started.
  void waitUntilFinished() const;

  struct Adopt {};
  // Wraps a thread that was not made here (the main thread, a plain std::thread).
  NSThread(Adopt, std::shared_ptr<NSRunLoop> loop, bool isMain);

 private:
  std::function<void()> main_;
  std::shared_ptr<NSRunLoop> runLoop_;
  bool isMain_ = false;
  mutable std::mutex mutex_;
  mutable std::condition_variable finishedCv_;
  std::string name_;
  bool started_ = false;
  bool executing_ = false;
  bool finished_ = false;
  bool cancelled_ = false;
};

// ---- performs (NSObject's perform methods, NSThread's and the main dispatch queue's)

// performSelectorOnMainThread:withObject:waitUntilDone:[modes:].  With wait on the main thread
// the selector runs at once, inside the call; from another thread the caller blocks until the
// main loop has run it (in one of the modes; the common modes when none are given).
void performSelectorOnMainThread(const Selector& selector, const Value& argument, bool wait);
void performSelectorOnMainThread(const Selector& selector, const Value& argument, bool wait,
                                 std::vector<std::string> modes);
void performOnMainThread(std::function<void()> block, bool wait);
void performOnMainThread(std::function<void()> block, bool wait, std::vector<std::string> modes);

// performSelector:onThread:withObject:waitUntilDone:[modes:].  Waiting for the calling thread
// itself runs at once.
void performSelectorOnThread(const std::shared_ptr<NSThread>& thread, const Selector& selector,
                             const Value& argument, bool wait);
void performSelectorOnThread(const std::shared_ptr<NSThread>& thread, const Selector& selector,
                             const Value& argument, bool wait, std::vector<std::string> modes);
void performOnThread(const std::shared_ptr<NSThread>& thread, std::function<void()> block,
                     bool wait);
void performOnThread(const std::shared_ptr<NSThread>& thread, std::function<void()> block,
                     bool wait, std::vector<std::string> modes);

// performSelector:withObject:afterDelay:[inModes:]: runs the selector on the current thread's
// loop after `delay` seconds of its clock (default mode).  The target and the argument are
// kept alive until it runs or is cancelled.  A delay of 0 runs on the loop's next pass.
void performSelectorAfterDelay(const Selector& selector, const Value& argument, double delay,
                               std::vector<std::string> modes = {
                                   std::string(NSDefaultRunLoopMode)});
// A block after a delay on the current loop; invalidate the returned timer to cancel it.
std::shared_ptr<NSTimer> performAfterDelay(std::function<void()> block, double delay,
                                           std::string_view mode = NSDefaultRunLoopMode);

// cancelPreviousPerformRequestsWithTarget:[selector:object:]: cancels the delayed performs of
// the current thread's loop aimed at the target; with a selector, only those with that selector
// name and an isEqual argument.
void cancelPreviousPerformRequestsWithTarget(const std::weak_ptr<void>& target);
void cancelPreviousPerformRequestsWithTarget(const std::weak_ptr<void>& target,
                                             std::string_view selectorName, const Value& argument);

// dispatch_async on the main queue: the block runs on the main loop's next pass in a common
// mode.
void dispatchAsyncMain(std::function<void()> block);

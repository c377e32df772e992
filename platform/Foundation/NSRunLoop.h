// Run loops: one per thread, created on first use.  A loop waits on its sources (timers, file
// descriptors, manually signalled sources and performed blocks) and runs them in the mode it is
// run in; sources scheduled in other modes wait until a loop run in their mode comes by.
//
// Time: every loop reads its own clock.  The main thread's loop reads processClock() (a
// VirtualClock in tests), other threads' loops the real clock unless given another.  With a
// virtual clock a loop never sleeps for a timer: it waits for other sources or wake-ups, and
// VirtualClock::advance wakes it so that due timers fire on its next pass.  Limit dates are read
// off the same clock, so on a virtual clock a run with a limit date ends when the clock is
// advanced past it (or something is handled, or stop() is called), never by real time passing.
//
// Thread safety: every method may be called from any thread; callbacks always run on the loop's
// own thread, inside one of its run calls, without any lock held.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "Foundation/Value.h"

struct pollfd;
class Clock;
class NSRunLoop;
class NSTimer;

using NSRunLoopMode = std::string;

inline constexpr std::string_view NSDefaultRunLoopMode = "kCFRunLoopDefaultMode";
inline constexpr std::string_view kCFRunLoopDefaultMode = NSDefaultRunLoopMode;
// Scheduling in this pseudo-mode means every mode of the loop's common set (the default mode
// plus those added with addCommonMode).
inline constexpr std::string_view NSRunLoopCommonModes = "kCFRunLoopCommonModes";
inline constexpr std::string_view kCFRunLoopCommonModes = NSRunLoopCommonModes;

// What a run call ended with (CFRunLoopRunInMode's results).
enum class CFRunLoopRunResult {
  Finished = 1,       // the mode had nothing to wait for
  Stopped = 2,        // stop() was called
  TimedOut = 3,       // the limit date passed
  HandledSource = 4,  // something was handled and the caller asked to return after one
};

// A source a loop can schedule in some of its modes.  A source belongs to at most one loop.
class RunLoopItem {
 public:
  virtual ~RunLoopItem() = default;
  // Removes the item from its loop for good.
  virtual void invalidate();
  bool isValid() const;

 protected:
  friend class NSRunLoop;
  mutable std::mutex itemMutex_;
  bool valid_ = true;
  std::weak_ptr<NSRunLoop> loop_;   // guarded by itemMutex_
  std::vector<std::string> modes_;  // guarded by the owning loop's mutex
  uint64_t seq_ = 0;                // scheduling order, set by the loop
};

// A manually signalled source ("version 0"): signal() from any thread marks it, and the next
// pass of its loop in one of its modes calls its perform callback once.  A source with no
// callback keeps a loop waiting even when nothing else is scheduled (a keep-alive source).
class RunLoopSource : public RunLoopItem {
 public:
  explicit RunLoopSource(std::function<void()> perform = {}) : perform_(std::move(perform)) {}
  // Marks the source and wakes its loop.
  void signal();

 private:
  friend class NSRunLoop;
  std::function<void()> perform_;
  bool signalled_ = false;  // guarded by itemMutex_
};

// A file descriptor watched for reading and/or writing.  The callback gets the descriptor and
// the poll(2) revents (POLLIN, POLLOUT, POLLERR, POLLHUP ...).  Level-triggered: while the
// descriptor stays ready, every pass in one of its modes calls it again.
class RunLoopFdSource : public RunLoopItem {
 public:
  enum : int { Read = 0x001 /* POLLIN */, Write = 0x004 /* POLLOUT */ };
  using Callback = std::function<void(int fd, int revents)>;

  RunLoopFdSource(int fd, int events, Callback callback)
      : fd_(fd), events_(events), callback_(std::move(callback)) {}
  int fd() const { return fd_; }
  int events() const;
  // Changes the interest (0 = none for now); wakes the loop so the next wait uses it.
  void setEvents(int events);

 private:
  friend class NSRunLoop;
  int fd_;
  int events_;  // guarded by itemMutex_
  Callback callback_;
};

class NSRunLoop : public std::enable_shared_from_this<NSRunLoop> {
 public:
  // A date far enough away to mean "never" (the platform's distantFuture, year 4001).
  static constexpr double kDistantFuture = 64092211200.0;

  NSRunLoop();
  ~NSRunLoop();
  NSRunLoop(const NSRunLoop&) = delete;
  NSRunLoop& operator=(const NSRunLoop&) = delete;

  // The calling thread's loop (the main loop on the main thread).
  static std::shared_ptr<NSRunLoop> currentRunLoop();
  // The main thread's loop, from any thread.
  static std::shared_ptr<NSRunLoop> mainRunLoop();
  bool isMainRunLoop() const { return isMain_; }

  // The clock the loop's timers and limit dates read.
  std::shared_ptr<Clock> clock() const;
  // Gives the loop a clock of its own; nullptr restores the default.
  void setClock(std::shared_ptr<Clock> clock);

  // ---- modes
  // The mode of the innermost run call in progress; empty when the loop is not running.
  std::string currentMode() const;
  // Every mode the loop knows (has sources in, has been run in, or is common); never
  // includes the common-modes pseudo-mode itself.
  std::vector<std::string> allModes() const;
  // Adds a mode to the common set: sources scheduled in NSRunLoopCommonModes run in it too.
  void addCommonMode(std::string_view mode);

  // ---- sources
  void addTimer(const std::shared_ptr<NSTimer>& timer, std::string_view mode);
  void addSource(const std::shared_ptr<RunLoopSource>& source, std::string_view mode);
  void removeSource(const std::shared_ptr<RunLoopSource>& source, std::string_view mode);
  void addFdSource(const std::shared_ptr<RunLoopFdSource>& source, std::string_view mode);
  void removeFdSource(const std::shared_ptr<RunLoopFdSource>& source, std::string_view mode);
  // Adds a callback-less source to the mode so the loop waits there even when idle.  Returns it
  // (invalidate it to remove it).
  std::shared_ptr<RunLoopSource> addKeepAliveSource(std::string_view mode = NSDefaultRunLoopMode);
  // Queues a block to run on the next pass in one of the modes and wakes the loop.
  // Blocks run in the order they were queued.
  void performBlock(std::function<void()> block,
                    std::vector<std::string> modes = {std::string(NSRunLoopCommonModes)});
  // The earliest fire date of the valid timers scheduled in the mode; kDistantFuture when none.
  double limitDateForMode(std::string_view mode) const;
  // Whether a timer of the mode is due now on the loop's clock.
  bool hasDueTimers(std::string_view mode) const;

  // ---- running (on the loop's own thread)
  // One or more passes in the mode until the limit date (on the loop's clock) passes, stop()
  // is called, the mode has nothing left to wait for, or - with returnAfterSourceHandled -
  // a pass handled something.  A timer firing counts as handling something.
  // `seconds` is relative to the loop's clock; 0 makes exactly one pass without waiting.
  CFRunLoopRunResult runInMode(std::string_view mode, double seconds,
                               bool returnAfterSourceHandled);
  // As runInMode, also returning TimedOut once `realSeconds` of real time have passed (tests
  // on a virtual clock use this to wait for other threads with a bound).
  CFRunLoopRunResult runInMode(std::string_view mode, double seconds, bool returnAfterSourceHandled,
                               double realSeconds);
  // Runs until one thing was handled or the date passes.  false when the mode had nothing to
  // wait for (it returns at once then).
  bool runMode(std::string_view mode, double beforeDate);
  // Runs the default mode until the date.
  void runUntilDate(double limitDate);
  // Runs the default mode until the mode has nothing left to wait for (forever with a
  // keep-alive source); stop() only ends the current pass.
  void run();

  // Ends the innermost run call in progress (or the next one, when none is running).
  void stop();
  // Wakes the loop from its wait, e.g. after changing a source from another thread.  Costs
  // nothing on the loop's own thread (a loop looks at everything again before it waits) and no
  // system call while the loop is busy rather than waiting.
  void wakeUp();

  // Bookkeeping of performSelectorAfterDelay / cancelPreviousPerformRequestsWithTarget
  // (NSThread.h), whose requests belong to one loop.
  struct DelayedPerform {
    std::shared_ptr<void> target;  // kept alive until the perform runs or is cancelled
    std::string selectorName;
    Value argument;
    std::shared_ptr<NSTimer> timer;
  };
  void addDelayedPerform(DelayedPerform perform);
  void removeDelayedPerform(const NSTimer* timer);
  // Cancels the requests for `target` (the same object); with a selector name, only those of
  // that selector whose argument isEqual `argument` (any argument when it is null).
  void cancelDelayedPerforms(const std::weak_ptr<void>& target, const std::string* selectorName,
                             const Value* argument);

 private:
  friend class NSThread;
  friend class RunLoopItem;
  struct Perform {
    std::function<void()> block;
    std::vector<std::string> modes;
  };
  static void setCurrent(std::shared_ptr<NSRunLoop> loop);
  CFRunLoopRunResult runInternal(std::string_view mode, double limitDate, bool stopAfterHandle,
                                 double realDeadline);
  // These need mutex_ held.
  bool inModeList(const std::vector<std::string>& modes, std::string_view mode) const;
  bool inMode(const RunLoopItem& item, std::string_view mode) const;
  bool modeIsEmpty(std::string_view mode) const;
  void noteMode(std::string_view mode);

  template <class T>
  bool attach(const std::shared_ptr<T>& item, std::vector<std::shared_ptr<T>>& list,
              std::string_view mode);
  template <class T>
  void detach(const std::shared_ptr<T>& item, std::vector<std::shared_ptr<T>>& list,
              std::string_view mode);
  void removeItem(RunLoopItem* item);
  bool doPerforms(std::string_view mode);
  bool doSources(std::string_view mode);
  bool doTimers(std::string_view mode);
  bool waitAndDoFds(std::string_view mode, double timeoutSeconds);
  void drainWakeFd();
  void watchClock(const std::shared_ptr<Clock>& clock);

  bool isMain_ = false;
  int wakeFd_ = -1;
  // The wake-up handshake: a waker raises wakeRequested_ and writes to wakeFd_ only when the
  // loop is in (or about to enter) poll(2); the loop raises polling_ before it takes a last
  // look at wakeRequested_, so that one of the two always sees the other.
  std::atomic<bool> polling_{false};
  std::atomic<bool> wakeRequested_{false};
  // Buffers of the loop's own thread, kept between passes (a nested run takes fresh ones).
  std::vector<Perform> performBuffer_;
  std::vector<pollfd> pollBuffer_;
  std::vector<std::shared_ptr<RunLoopFdSource>> watchedBuffer_;
  mutable std::mutex mutex_;
  std::shared_ptr<Clock> clock_;  // explicit clock, or null for the default
  std::vector<std::shared_ptr<NSTimer>> timers_;
  std::vector<std::shared_ptr<RunLoopSource>> sources_;
  std::vector<std::shared_ptr<RunLoopFdSource>> fdSources_;
  std::deque<Perform> performs_;
  std::vector<std::string> commonModes_;
  std::vector<std::string> knownModes_;
  std::vector<std::string> runningModes_;
  std::vector<DelayedPerform> delayed_;
  uint64_t nextSeq_ = 1;
  bool stopRequested_ = false;
  // The virtual clock the loop listens to for advances (touched by the loop's thread only).
  std::weak_ptr<Clock> watchedClock_;
  int watchToken_ = 0;
};

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

// The modes an item or a queued block is scheduled in, as numbers the owning loop gives the
// mode names it meets (0 is the common-modes pseudo-mode).  Sets of small numbers are one word,
// so scheduling and matching cost neither allocations nor string compares.
class RunLoopModeSet {
 public:
  bool contains(uint32_t id) const {
    if (id < 64) return (bits_ >> id) & 1;
    for (uint32_t m : more_)
      if (m == id) return true;
    return false;
  }
  void add(uint32_t id) {
    if (id < 64) {
      bits_ |= uint64_t(1) << id;
    } else if (!contains(id)) {
      more_.push_back(id);
    }
  }
  void remove(uint32_t id) {
    if (id < 64) {
      bits_ &= ~(uint64_t(1) << id);
    } else {
      std::erase(more_, id);
    }
  }
  bool empty() const { return bits_ == 0 && more_.empty(); }
  void clear() {
    bits_ = 0;
    more_.clear();
  }

 private:
  uint64_t bits_ = 0;
  std::vector<uint32_t> more_;  // numbers past 63: only a loop with that many modes has them
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
  // Marks the item invalid and lets go of its loop (itemMutex_ held); returns the loop, which
  // the caller asks, after unlocking, to remove the item.
  std::shared_ptr<NSRunLoop> markInvalid();
  mutable std::mutex itemMutex_;
  // Written under itemMutex_; the loop's scans read it without taking the item's lock.
  std::atomic<bool> valid_{true};
  std::weak_ptr<NSRunLoop> loop_;  // guarded by itemMutex_
  // The address of the loop in loop_ (null when none), written with it.  Only compared with the
  // loop running on the calling thread, never followed: that loop is alive, and on its own
  // thread a change needs neither the item's lock nor a wake-up.
  std::atomic<const NSRunLoop*> loopAddress_{nullptr};
  RunLoopModeSet modes_;  // guarded by the owning loop's mutex
  uint64_t seq_ = 0;      // scheduling order, set by the loop
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
  std::atomic<bool> signalled_{false};
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
  std::atomic<int> events_;  // read by the loop without a lock
  Callback callback_;
};

// How a loop blocks between passes.  The plain waiter waits in poll(2) on the loop's
// descriptors; a window backend gives the main loop one that also wakes for the window's events,
// so that one loop serves timers, descriptors, performs from other threads and the window
// without waking when nothing happens.
class RunLoopWaiter {
 public:
  virtual ~RunLoopWaiter() = default;
  // As poll(2): waits until one of the descriptors is ready or `timeoutMs` has passed (-1: no
  // limit; 0: a look without waiting) and returns poll's result, with their revents filled in.
  // fds[0] is the loop's wake-up descriptor, which the waiter must watch with the others.
  // Called on the loop's own thread with no lock held.  A waiter that wakes for events of its
  // own hands them to the loop by signalling a source scheduled on it (from the loop's thread
  // that costs nothing) and returns; the loop runs the source right after the wait, as it runs
  // the callbacks of the descriptors that are ready.
  virtual int wait(pollfd* fds, size_t count, int timeoutMs) = 0;
};

// The plain waiter: poll(2).
class RunLoopPollWaiter final : public RunLoopWaiter {
 public:
  int wait(pollfd* fds, size_t count, int timeoutMs) override;
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
  // The reference stays valid as long as the thread runs.
  static const std::shared_ptr<NSRunLoop>& currentRunLoop();
  // The main thread's loop, from any thread (never destroyed, so the reference stays valid).
  static const std::shared_ptr<NSRunLoop>& mainRunLoop();
  bool isMainRunLoop() const { return isMain_; }

  // The clock the loop's timers and limit dates read.
  std::shared_ptr<Clock> clock() const;
  // Gives the loop a clock of its own; nullptr restores the default.
  void setClock(std::shared_ptr<Clock> clock);

  // How the loop waits between passes; nullptr restores the plain poll(2).  On the loop's own
  // thread only, outside a wait; the loop keeps the waiter until it is replaced.
  void setWaiter(std::shared_ptr<RunLoopWaiter> waiter);
  const std::shared_ptr<RunLoopWaiter>& waiter() const { return waiter_; }

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
  // Queues a block to run on the next pass in one of the modes (the common modes when none are
  // given) and wakes the loop.  Blocks run in the order they were queued.
  void performBlock(std::function<void()> block);
  void performBlock(std::function<void()> block, std::vector<std::string> modes);
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
  friend class RunLoopSource;
  friend class NSTimer;
  using ModeId = uint32_t;
  static constexpr ModeId kCommonModesId = 0;
  struct Perform {
    std::function<void()> block;
    RunLoopModeSet modes;
  };
  static void setCurrent(std::shared_ptr<NSRunLoop> loop);
  // `limit` is a date on the loop's clock, or with relativeLimit seconds from the first pass.
  CFRunLoopRunResult runInternal(std::string_view mode, double limit, bool relativeLimit,
                                 bool stopAfterHandle, double realDeadline);
  // These need mutex_ held.  `common` tells whether the mode is one of the common set, which
  // each locked section looks up once.
  ModeId modeId(std::string_view mode);
  bool findModeId(std::string_view mode, ModeId* id) const;
  bool isCommon(ModeId id) const { return commonIds_.contains(id); }
  static bool inModeSet(const RunLoopModeSet& modes, ModeId id, bool common) {
    return modes.contains(id) || (common && modes.contains(kCommonModesId));
  }
  double earliestFireDate(ModeId id, bool common) const;
  bool modeIsEmpty(ModeId id, bool common) const;

  // `joining` runs under the item's lock once the item is known to join.
  template <class T, class F>
  bool attach(const std::shared_ptr<T>& item, std::vector<std::shared_ptr<T>>& list,
              std::string_view mode, F&& joining);
  template <class T>
  void detach(const std::shared_ptr<T>& item, std::vector<std::shared_ptr<T>>& list,
              std::string_view mode);
  void removeItem(RunLoopItem* item);
  // With mutex_ held: moves the timer's delayed performs into `out` (destroyed by the caller
  // after unlocking).
  void takeDelayedPerforms(const RunLoopItem* timer, std::vector<DelayedPerform>& out);
  bool doPerforms(ModeId id);
  bool doSources(ModeId id);
  bool doTimers(ModeId id, double now);
  bool pollAndDoFds(ModeId id, double timeoutSeconds, std::vector<pollfd>& fds,
                    std::vector<std::shared_ptr<RunLoopFdSource>>& watched, uint64_t detaches);
  bool stopped();
  // The clock clock() returns.  Every loop but the main one reads the real clock unless given
  // its own; that one comes from the loop's own reference, so that reading the time does not
  // touch the shared clock's use count, which other threads touch too.
  const std::shared_ptr<Clock>& currentClock(std::shared_ptr<Clock>& hold) const;
  void drainWakeFd();
  void watchClock(const std::shared_ptr<Clock>& clock);

  bool isMain_ = false;
  int wakeFd_ = -1;
  // The wake-up handshake: a waker raises wakeRequested_ and writes to wakeFd_ only when the
  // loop is in (or about to enter) poll(2); the loop raises polling_ before it takes a last
  // look at wakeRequested_, so that one of the two always sees the other.
  std::atomic<bool> polling_{false};
  std::atomic<bool> wakeRequested_{false};
  // Read without the lock, so that a pass skips what has nothing for it.  A queuing or
  // signalling thread updates its hint before its wake-up: a look that misses the change still
  // ends the coming wait.
  std::atomic<size_t> performsQueued_{0};      // performs_.size(), written under mutex_
  std::atomic<bool> sourcesSignalled_{false};  // raised by signal(), lowered before a look
  std::atomic<uint64_t> detaches_{0};          // bumped under mutex_ when an item leaves a mode
  std::atomic<bool> hasOwnClock_{false};       // clock_ is set
  std::atomic<bool> stopRequested_{false};
  // Buffers of the loop's own thread, kept between passes (a nested run takes fresh ones).
  std::vector<Perform> performBuffer_;
  std::vector<std::shared_ptr<RunLoopSource>> readyBuffer_;
  std::vector<pollfd> pollBuffer_;
  std::vector<std::shared_ptr<RunLoopFdSource>> watchedBuffer_;
  mutable std::mutex mutex_;
  std::shared_ptr<Clock> clock_;            // explicit clock, or null for the default
  std::shared_ptr<RunLoopWaiter> waiter_;   // null: poll(2); the loop's own thread only
  const std::shared_ptr<Clock> realClock_;  // realClock(), which is never replaced
  std::vector<std::shared_ptr<NSTimer>> timers_;
  std::vector<std::shared_ptr<RunLoopSource>> sources_;
  std::vector<std::shared_ptr<RunLoopFdSource>> fdSources_;
  std::vector<Perform> performs_;
  // The names of the mode numbers (index = number).
  std::vector<std::string> modeNames_;
  RunLoopModeSet commonIds_;
  // The modes of the run calls in progress, innermost last (each names the caller's argument,
  // which lives as long as its call).
  std::vector<std::string_view> runningModes_;
  std::vector<DelayedPerform> delayed_;
  uint64_t nextSeq_ = 1;
  // The virtual clock the loop listens to for advances (touched by the loop's thread only).
  std::weak_ptr<Clock> watchedClock_;
  const Clock* watchedRaw_ = nullptr;
  int watchToken_ = 0;
};

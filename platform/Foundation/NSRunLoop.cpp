#include "Foundation/NSRunLoop.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <limits>

#include "Foundation/Clock.h"
#include "Foundation/NSThread.h"
#include "Foundation/NSTimer.h"

namespace {

constexpr double kForever = std::numeric_limits<double>::infinity();
// Buffers larger than this are not kept from one pass to the next.
constexpr size_t kKeptBufferCapacity = 256;

double steadyNow() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

thread_local std::shared_ptr<NSRunLoop> tCurrentLoop;
// The loop whose run call this thread is inside, if any.
thread_local const NSRunLoop* tRunningLoop = nullptr;

struct RunningLoopGuard {
  const NSRunLoop* previous;
  explicit RunningLoopGuard(const NSRunLoop* loop) : previous(tRunningLoop) { tRunningLoop = loop; }
  ~RunningLoopGuard() { tRunningLoop = previous; }
};

bool sameOwner(const std::weak_ptr<void>& a, const std::weak_ptr<void>& b) {
  return !a.owner_before(b) && !b.owner_before(a);
}

// Pops the running mode when a run call ends, also by an exception out of a callback.
struct ModeGuard {
  std::mutex& mutex;
  std::vector<std::string>& modes;
  ~ModeGuard() {
    std::lock_guard<std::mutex> lock(mutex);
    modes.pop_back();
  }
};

}  // namespace

// ---- items

void RunLoopItem::invalidate() {
  std::shared_ptr<NSRunLoop> loop;
  {
    std::lock_guard<std::mutex> lock(itemMutex_);
    if (!valid_) return;
    valid_ = false;
    loop = loop_.lock();
    loop_.reset();
  }
  if (loop) loop->removeItem(this);
}

bool RunLoopItem::isValid() const {
  std::lock_guard<std::mutex> lock(itemMutex_);
  return valid_;
}

void RunLoopSource::signal() {
  std::shared_ptr<NSRunLoop> loop;
  {
    std::lock_guard<std::mutex> lock(itemMutex_);
    if (!valid_) return;
    signalled_ = true;
    loop = loop_.lock();
  }
  if (loop) loop->wakeUp();
}

int RunLoopFdSource::events() const {
  std::lock_guard<std::mutex> lock(itemMutex_);
  return events_;
}

void RunLoopFdSource::setEvents(int events) {
  std::shared_ptr<NSRunLoop> loop;
  {
    std::lock_guard<std::mutex> lock(itemMutex_);
    events_ = events;
    loop = loop_.lock();
  }
  if (loop) loop->wakeUp();
}

// ---- the loop

NSRunLoop::NSRunLoop() {
  wakeFd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  commonModes_.emplace_back(NSDefaultRunLoopMode);
  knownModes_.emplace_back(NSDefaultRunLoopMode);
}

NSRunLoop::~NSRunLoop() {
  if (auto watched = std::dynamic_pointer_cast<VirtualClock>(watchedClock_.lock()))
    watched->removeListener(watchToken_);
  if (wakeFd_ >= 0) close(wakeFd_);
}

std::shared_ptr<NSRunLoop> NSRunLoop::mainRunLoop() {
  // Never destroyed: detached threads may still hand work to it while the process exits.
  static std::shared_ptr<NSRunLoop>* loop = [] {
    auto* p = new std::shared_ptr<NSRunLoop>(std::make_shared<NSRunLoop>());
    (*p)->isMain_ = true;
    return p;
  }();
  return *loop;
}

std::shared_ptr<NSRunLoop> NSRunLoop::currentRunLoop() {
  if (!tCurrentLoop)
    tCurrentLoop = NSThread::isMainThread() ? mainRunLoop() : std::make_shared<NSRunLoop>();
  return tCurrentLoop;
}

void NSRunLoop::setCurrent(std::shared_ptr<NSRunLoop> loop) {
  tCurrentLoop = std::move(loop);
}

std::shared_ptr<Clock> NSRunLoop::clock() const {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (clock_) return clock_;
  }
  return isMain_ ? processClock() : realClock();
}

void NSRunLoop::setClock(std::shared_ptr<Clock> clock) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    clock_ = std::move(clock);
  }
  wakeUp();
}

void NSRunLoop::watchClock(const std::shared_ptr<Clock>& clock) {
  auto watched = watchedClock_.lock();
  if (watched == clock) return;
  if (auto old = std::dynamic_pointer_cast<VirtualClock>(watched)) old->removeListener(watchToken_);
  watchedClock_ = clock;
  watchToken_ = 0;
  if (auto v = std::dynamic_pointer_cast<VirtualClock>(clock)) {
    std::weak_ptr<NSRunLoop> weak = weak_from_this();
    watchToken_ = v->addListener([weak] {
      if (auto loop = weak.lock()) loop->wakeUp();
    });
  }
}

// ---- modes

std::string NSRunLoop::currentMode() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return runningModes_.empty() ? std::string() : runningModes_.back();
}

std::vector<std::string> NSRunLoop::allModes() const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<std::string> modes = knownModes_;
  for (const auto& m : commonModes_)
    if (std::find(modes.begin(), modes.end(), m) == modes.end()) modes.push_back(m);
  return modes;
}

void NSRunLoop::addCommonMode(std::string_view mode) {
  if (mode == NSRunLoopCommonModes) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (std::find(commonModes_.begin(), commonModes_.end(), mode) == commonModes_.end())
      commonModes_.emplace_back(mode);
    noteMode(mode);
  }
  wakeUp();
}

void NSRunLoop::noteMode(std::string_view mode) {
  if (mode.empty() || mode == NSRunLoopCommonModes) return;
  if (std::find(knownModes_.begin(), knownModes_.end(), mode) == knownModes_.end())
    knownModes_.emplace_back(mode);
}

bool NSRunLoop::inModeList(const std::vector<std::string>& modes, std::string_view mode) const {
  for (const auto& m : modes) {
    if (m == mode) return true;
    if (m == NSRunLoopCommonModes &&
        std::find(commonModes_.begin(), commonModes_.end(), mode) != commonModes_.end())
      return true;
  }
  return false;
}

bool NSRunLoop::inMode(const RunLoopItem& item, std::string_view mode) const {
  return inModeList(item.modes_, mode);
}

bool NSRunLoop::modeIsEmpty(std::string_view mode) const {
  for (const auto& t : timers_)
    if (inMode(*t, mode)) return false;
  for (const auto& s : sources_)
    if (inMode(*s, mode)) return false;
  for (const auto& s : fdSources_)
    if (inMode(*s, mode)) return false;
  for (const auto& p : performs_)
    if (inModeList(p.modes, mode)) return false;
  return true;
}

// ---- sources

template <class T>
bool NSRunLoop::attach(const std::shared_ptr<T>& item, std::vector<std::shared_ptr<T>>& list,
                       std::string_view mode) {
  if (!item || mode.empty()) return false;
  {
    std::lock_guard<std::mutex> itemLock(item->itemMutex_);
    if (!item->valid_) return false;
    auto owner = item->loop_.lock();
    // A source belongs to one loop.
    if (owner && owner.get() != this) return false;
    item->loop_ = weak_from_this();
  }
  std::lock_guard<std::mutex> lock(mutex_);
  if (std::find(list.begin(), list.end(), item) == list.end()) {
    item->seq_ = nextSeq_++;
    list.push_back(item);
  }
  if (std::find(item->modes_.begin(), item->modes_.end(), mode) == item->modes_.end())
    item->modes_.emplace_back(mode);
  noteMode(mode);
  return true;
}

template <class T>
void NSRunLoop::detach(const std::shared_ptr<T>& item, std::vector<std::shared_ptr<T>>& list,
                       std::string_view mode) {
  if (!item) return;
  bool gone = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = std::find(list.begin(), list.end(), item);
    if (it == list.end()) return;
    std::erase(item->modes_, std::string(mode));
    if (item->modes_.empty()) {
      list.erase(it);
      gone = true;
    }
  }
  if (gone) {
    std::lock_guard<std::mutex> itemLock(item->itemMutex_);
    item->loop_.reset();
  }
}

void NSRunLoop::addTimer(const std::shared_ptr<NSTimer>& timer, std::string_view mode) {
  if (!timer) return;
  // An unscheduled timer counts its interval from the moment it joins a loop, on that loop's
  // clock.
  double now = clock()->now();
  if (!attach(timer, timers_, mode)) return;
  {
    std::lock_guard<std::mutex> itemLock(timer->itemMutex_);
    if (!timer->scheduled_) {
      timer->fireDate_ = now + std::max(0.0, timer->interval_);
      timer->scheduled_ = true;
    }
  }
  wakeUp();
}

void NSRunLoop::addSource(const std::shared_ptr<RunLoopSource>& source, std::string_view mode) {
  if (attach(source, sources_, mode)) wakeUp();
}

void NSRunLoop::removeSource(const std::shared_ptr<RunLoopSource>& source, std::string_view mode) {
  detach(source, sources_, mode);
}

void NSRunLoop::addFdSource(const std::shared_ptr<RunLoopFdSource>& source, std::string_view mode) {
  if (attach(source, fdSources_, mode)) wakeUp();
}

void NSRunLoop::removeFdSource(const std::shared_ptr<RunLoopFdSource>& source,
                               std::string_view mode) {
  detach(source, fdSources_, mode);
  wakeUp();
}

std::shared_ptr<RunLoopSource> NSRunLoop::addKeepAliveSource(std::string_view mode) {
  auto source = std::make_shared<RunLoopSource>();
  addSource(source, mode);
  return source;
}

void NSRunLoop::removeItem(RunLoopItem* item) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto match = [item](const auto& p) { return p.get() == item; };
    std::erase_if(timers_, match);
    std::erase_if(sources_, match);
    std::erase_if(fdSources_, match);
  }
  wakeUp();
}

void NSRunLoop::performBlock(std::function<void()> block, std::vector<std::string> modes) {
  if (!block) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& m : modes) noteMode(m);
    performs_.push_back(Perform{std::move(block), std::move(modes)});
  }
  wakeUp();
}

double NSRunLoop::limitDateForMode(std::string_view mode) const {
  std::lock_guard<std::mutex> lock(mutex_);
  double earliest = kDistantFuture;
  for (const auto& t : timers_) {
    if (!inMode(*t, mode)) continue;
    std::lock_guard<std::mutex> itemLock(t->itemMutex_);
    if (t->valid_) earliest = std::min(earliest, t->fireDate_);
  }
  return earliest;
}

bool NSRunLoop::hasDueTimers(std::string_view mode) const {
  return limitDateForMode(mode) <= clock()->now();
}

// ---- delayed performs

void NSRunLoop::addDelayedPerform(DelayedPerform perform) {
  std::lock_guard<std::mutex> lock(mutex_);
  delayed_.push_back(std::move(perform));
}

void NSRunLoop::removeDelayedPerform(const NSTimer* timer) {
  std::vector<DelayedPerform> removed;  // destroyed after unlocking: targets may go with them
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto it = delayed_.begin(); it != delayed_.end();) {
      if (it->timer.get() == timer) {
        removed.push_back(std::move(*it));
        it = delayed_.erase(it);
      } else {
        ++it;
      }
    }
  }
}

void NSRunLoop::cancelDelayedPerforms(const std::weak_ptr<void>& target,
                                      const std::string* selectorName, const Value* argument) {
  if (sameOwner(target, std::weak_ptr<void>())) return;  // no target: nothing to match
  std::vector<DelayedPerform> cancelled;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto it = delayed_.begin(); it != delayed_.end();) {
      bool match = sameOwner(std::weak_ptr<void>(it->target), target) &&
                   (!selectorName || (it->selectorName == *selectorName &&
                                      (argument ? it->argument.isEqual(*argument) : true)));
      if (match) {
        cancelled.push_back(std::move(*it));
        it = delayed_.erase(it);
      } else {
        ++it;
      }
    }
  }
  for (auto& c : cancelled) c.timer->invalidate();
}

// ---- running

void NSRunLoop::stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopRequested_ = true;
  }
  wakeUp();
}

void NSRunLoop::wakeUp() {
  // From inside one of its own callbacks: the loop reads its performs, sources, timers and
  // descriptors again before it next waits.
  if (tRunningLoop == this) return;
  // Only the first request since the loop last looked writes: a loop that is busy sees the
  // request before it waits, and only one in poll(2) needs the descriptor.
  if (wakeRequested_.exchange(true) || !polling_.load()) return;
  uint64_t one = 1;
  if (wakeFd_ >= 0) {
    ssize_t n = write(wakeFd_, &one, sizeof one);
    (void)n;  // a full counter already means "awake"
  }
}

void NSRunLoop::drainWakeFd() {
  // One read takes the whole count of an eventfd.
  uint64_t value;
  ssize_t n = read(wakeFd_, &value, sizeof value);
  (void)n;
}

bool NSRunLoop::doPerforms(std::string_view mode) {
  // A nested run (from inside a block) finds the buffer taken and uses one of its own.
  std::vector<Perform> due = std::move(performBuffer_);
  due.clear();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (performs_.empty()) {
      performBuffer_ = std::move(due);
      return false;
    }
    // Only what was queued before this pass runs now; blocks queued by these run next pass.
    for (auto it = performs_.begin(); it != performs_.end();) {
      if (inModeList(it->modes, mode)) {
        due.push_back(std::move(*it));
        it = performs_.erase(it);
      } else {
        ++it;
      }
    }
  }
  if (due.empty()) {
    performBuffer_ = std::move(due);
    return false;
  }
  for (size_t i = 0; i < due.size(); ++i) {
    Perform p = std::move(due[i]);
    try {
      p.block();
    } catch (...) {
      // Put back what has not run yet, in order, before letting the exception go.
      std::lock_guard<std::mutex> lock(mutex_);
      for (size_t j = due.size(); j > i + 1; --j) performs_.push_front(std::move(due[j - 1]));
      throw;
    }
  }
  due.clear();
  // A rare burst does not keep its memory.
  if (due.capacity() <= kKeptBufferCapacity) performBuffer_ = std::move(due);
  return true;
}

bool NSRunLoop::doSources(std::string_view mode) {
  std::vector<std::shared_ptr<RunLoopSource>> ready;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& s : sources_) {
      if (!inMode(*s, mode)) continue;
      std::lock_guard<std::mutex> itemLock(s->itemMutex_);
      if (s->valid_ && s->signalled_) {
        s->signalled_ = false;
        ready.push_back(s);
      }
    }
  }
  for (const auto& s : ready)
    if (s->perform_) s->perform_();
  return !ready.empty();
}

bool NSRunLoop::doTimers(std::string_view mode) {
  double now = clock()->now();
  struct Due {
    double fireDate;
    uint64_t seq;
    std::shared_ptr<NSTimer> timer;
  };
  std::vector<Due> due;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& t : timers_) {
      if (!inMode(*t, mode)) continue;
      std::lock_guard<std::mutex> itemLock(t->itemMutex_);
      if (t->valid_ && t->fireDate_ <= now) due.push_back({t->fireDate_, t->seq_, t});
    }
  }
  if (due.empty()) return false;
  std::sort(due.begin(), due.end(), [](const Due& a, const Due& b) {
    return a.fireDate != b.fireDate ? a.fireDate < b.fireDate : a.seq < b.seq;
  });
  bool fired = false;
  for (auto& d : due) {
    auto& t = d.timer;
    {
      std::lock_guard<std::mutex> itemLock(t->itemMutex_);
      // An earlier callback may have invalidated or moved it.
      if (!t->valid_ || t->fireDate_ > now) continue;
      if (t->repeats_) {
        // Keep the phase; periods missed while the loop was busy are skipped.
        double next = t->fireDate_ + t->interval_;
        if (next <= now) {
          double periods = std::floor((now - t->fireDate_) / t->interval_) + 1;
          next = t->fireDate_ + periods * t->interval_;
          if (next <= now) next += t->interval_;
        }
        t->fireDate_ = next;
      }
    }
    fired = true;
    t->invoke();
    if (!t->repeats_) t->invalidate();
  }
  return fired;
}

bool NSRunLoop::waitAndDoFds(std::string_view mode, double timeoutSeconds) {
  // Kept between passes; a nested run (from inside a callback) takes fresh ones.
  std::vector<pollfd> fds = std::move(pollBuffer_);
  std::vector<std::shared_ptr<RunLoopFdSource>> watched = std::move(watchedBuffer_);
  fds.clear();
  watched.clear();
  fds.push_back(pollfd{wakeFd_, POLLIN, 0});
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& s : fdSources_) {
      if (!inMode(*s, mode)) continue;
      std::lock_guard<std::mutex> itemLock(s->itemMutex_);
      if (!s->valid_ || s->events_ == 0) continue;
      fds.push_back(pollfd{s->fd_, static_cast<short>(s->events_), 0});
      watched.push_back(s);
    }
  }
  int timeoutMs = -1;
  if (timeoutSeconds <= 0) {
    timeoutMs = 0;
  } else if (timeoutSeconds < 1e6) {
    // Round up so that a loop waiting for a timer never wakes just before it is due.
    timeoutMs = static_cast<int>(std::ceil(timeoutSeconds * 1000.0));
  }
  polling_.store(true);
  // A wake-up asked for before the waker could see polling_ is answered here.
  if (wakeRequested_.exchange(false)) timeoutMs = 0;
  int n = poll(fds.data(), fds.size(), timeoutMs);
  polling_.store(false);
  auto keepBuffers = [&] {
    watched.clear();  // let go of the sources
    pollBuffer_ = std::move(fds);
    watchedBuffer_ = std::move(watched);
  };
  if (n <= 0) {
    keepBuffers();
    return false;
  }
  if (fds[0].revents) drainWakeFd();
  bool handled = false;
  for (size_t i = 1; i < fds.size(); ++i) {
    if (!fds[i].revents) continue;
    auto& s = watched[i - 1];
    {
      // It may have been removed by an earlier callback of this pass.
      std::lock_guard<std::mutex> lock(mutex_);
      if (!inMode(*s, mode)) continue;
    }
    if (!s->isValid()) continue;
    handled = true;
    if (s->callback_) s->callback_(s->fd_, fds[i].revents);
  }
  keepBuffers();
  return handled;
}

CFRunLoopRunResult NSRunLoop::runInternal(std::string_view mode, double limitDate,
                                          bool stopAfterHandle, double realDeadline) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    noteMode(mode);
    if (stopRequested_) {
      stopRequested_ = false;
      return CFRunLoopRunResult::Stopped;
    }
    if (modeIsEmpty(mode)) return CFRunLoopRunResult::Finished;
    runningModes_.emplace_back(mode);
  }
  ModeGuard guard{mutex_, runningModes_};
  RunningLoopGuard running(this);
  auto stopped = [this] {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!stopRequested_) return false;
    stopRequested_ = false;
    return true;
  };
  for (;;) {
    // Whatever was asked for up to here is looked at by this pass (a request arriving later
    // stays raised for the wait).
    wakeRequested_.exchange(false);
    auto clk = clock();
    // Listen before reading the time, so that an advance between the two still wakes us.
    watchClock(clk);
    bool handled = doPerforms(mode);
    handled = doSources(mode) || handled;
    handled = doTimers(mode) || handled;
    if (handled && stopAfterHandle) return CFRunLoopRunResult::HandledSource;
    if (stopped()) return CFRunLoopRunResult::Stopped;

    double now = clk->now();
    double timeout = 0;
    if (!handled && now < limitDate) {
      if (clk->isVirtual()) {
        timeout = hasDueTimers(mode) ? 0 : kForever;
      } else {
        timeout = std::max(0.0, std::min(limitDate, limitDateForMode(mode)) - now);
      }
    }
    if (realDeadline != kForever)
      timeout = std::min(timeout, std::max(0.0, realDeadline - steadyNow()));
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (modeIsEmpty(mode)) return CFRunLoopRunResult::Finished;
    }
    handled = waitAndDoFds(mode, timeout) || handled;
    if (handled && stopAfterHandle) return CFRunLoopRunResult::HandledSource;
    if (stopped()) return CFRunLoopRunResult::Stopped;
    if (clk->now() >= limitDate) return CFRunLoopRunResult::TimedOut;
    if (realDeadline != kForever && steadyNow() >= realDeadline)
      return CFRunLoopRunResult::TimedOut;
  }
}

CFRunLoopRunResult NSRunLoop::runInMode(std::string_view mode, double seconds,
                                        bool returnAfterSourceHandled) {
  double limit =
      seconds >= kDistantFuture ? kDistantFuture : clock()->now() + std::max(0.0, seconds);
  return runInternal(mode, limit, returnAfterSourceHandled, kForever);
}

CFRunLoopRunResult NSRunLoop::runInMode(std::string_view mode, double seconds,
                                        bool returnAfterSourceHandled, double realSeconds) {
  double limit =
      seconds >= kDistantFuture ? kDistantFuture : clock()->now() + std::max(0.0, seconds);
  double deadline =
      realSeconds >= kDistantFuture ? kForever : steadyNow() + std::max(0.0, realSeconds);
  return runInternal(mode, limit, returnAfterSourceHandled, deadline);
}

bool NSRunLoop::runMode(std::string_view mode, double beforeDate) {
  return runInternal(mode, beforeDate, true, kForever) != CFRunLoopRunResult::Finished;
}

void NSRunLoop::runUntilDate(double limitDate) {
  while (clock()->now() < limitDate) {
    if (!runMode(NSDefaultRunLoopMode, limitDate)) break;
  }
}

void NSRunLoop::run() {
  while (runInternal(NSDefaultRunLoopMode, kDistantFuture, false, kForever) !=
         CFRunLoopRunResult::Finished) {
  }
}

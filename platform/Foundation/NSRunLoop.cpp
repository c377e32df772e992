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

thread_local std::shared_ptr<NSRunLoop> tCurrentLoop;
// The loop whose run call this thread is inside, if any.
thread_local NSRunLoop* tRunningLoop = nullptr;

struct RunningLoopGuard {
  NSRunLoop* previous;
  explicit RunningLoopGuard(NSRunLoop* loop) : previous(tRunningLoop) { tRunningLoop = loop; }
  ~RunningLoopGuard() { tRunningLoop = previous; }
};

bool sameOwner(const std::weak_ptr<void>& a, const std::weak_ptr<void>& b) {
  return !a.owner_before(b) && !b.owner_before(a);
}

// Pops the running mode when a run call ends, also by an exception out of a callback.
struct ModeGuard {
  std::mutex& mutex;
  std::vector<std::string_view>& modes;
  ~ModeGuard() {
    std::lock_guard<std::mutex> lock(mutex);
    modes.pop_back();
  }
};

}  // namespace

// ---- waiting

int RunLoopPollWaiter::wait(pollfd* fds, size_t count, int timeoutMs) {
  return poll(fds, count, timeoutMs);
}

void NSRunLoop::setWaiter(std::shared_ptr<RunLoopWaiter> waiter) {
  waiter_ = std::move(waiter);
}

// ---- items

std::shared_ptr<NSRunLoop> RunLoopItem::markInvalid() {
  valid_ = false;
  auto loop = loop_.lock();
  loop_.reset();
  loopAddress_ = nullptr;
  return loop;
}

void RunLoopItem::invalidate() {
  std::shared_ptr<NSRunLoop> loop;
  {
    std::lock_guard<std::mutex> lock(itemMutex_);
    if (!valid_) return;
    loop = markInvalid();
  }
  if (loop) loop->removeItem(this);
}

bool RunLoopItem::isValid() const {
  return valid_.load();
}

void RunLoopSource::signal() {
  // From inside a run call of its own loop (a stream reporting to its client on the loop's
  // thread): that loop looks at its sources again before it waits.
  if (NSRunLoop* running = tRunningLoop; running && loopAddress_.load() == running) {
    if (!valid_) return;
    signalled_ = true;
    running->sourcesSignalled_ = true;
    return;
  }
  std::shared_ptr<NSRunLoop> loop;
  {
    std::lock_guard<std::mutex> lock(itemMutex_);
    if (!valid_) return;
    signalled_ = true;
    loop = loop_.lock();
  }
  if (loop) {
    loop->sourcesSignalled_ = true;
    loop->wakeUp();
  }
}

int RunLoopFdSource::events() const {
  return events_.load();
}

void RunLoopFdSource::setEvents(int events) {
  // Read by the loop when it builds its wait, without this item's lock.
  events_ = events;
  // On its own loop's thread, inside a run call, there is no one to wake (see wakeUp).
  if (NSRunLoop* running = tRunningLoop; running && loopAddress_.load() == running) return;
  std::shared_ptr<NSRunLoop> loop;
  {
    std::lock_guard<std::mutex> lock(itemMutex_);
    loop = loop_.lock();
  }
  if (loop) loop->wakeUp();
}

// ---- the loop

NSRunLoop::NSRunLoop() : realClock_(realClock()) {
  wakeFd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  modeNames_.emplace_back(NSRunLoopCommonModes);  // kCommonModesId
  commonIds_.add(modeId(NSDefaultRunLoopMode));
}

NSRunLoop::~NSRunLoop() {
  if (auto watched = std::dynamic_pointer_cast<VirtualClock>(watchedClock_.lock()))
    watched->removeListener(watchToken_);
  if (wakeFd_ >= 0) close(wakeFd_);
}

const std::shared_ptr<NSRunLoop>& NSRunLoop::mainRunLoop() {
  // Never destroyed: detached threads may still hand work to it while the process exits.
  static std::shared_ptr<NSRunLoop>* loop = [] {
    auto* p = new std::shared_ptr<NSRunLoop>(std::make_shared<NSRunLoop>());
    (*p)->isMain_ = true;
    return p;
  }();
  return *loop;
}

const std::shared_ptr<NSRunLoop>& NSRunLoop::currentRunLoop() {
  if (!tCurrentLoop)
    tCurrentLoop = NSThread::isMainThread() ? mainRunLoop() : std::make_shared<NSRunLoop>();
  return tCurrentLoop;
}

void NSRunLoop::setCurrent(std::shared_ptr<NSRunLoop> loop) {
  tCurrentLoop = std::move(loop);
}

std::shared_ptr<Clock> NSRunLoop::clock() const {
  // Only a loop given a clock of its own needs the lock; the others read a default.
  if (hasOwnClock_.load()) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (clock_) return clock_;
  }
  return isMain_ ? processClock() : realClock();
}

const std::shared_ptr<Clock>& NSRunLoop::currentClock(std::shared_ptr<Clock>& hold) const {
  if (!isMain_ && !hasOwnClock_.load()) return realClock_;
  hold = clock();
  return hold;
}

void NSRunLoop::setClock(std::shared_ptr<Clock> clock) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    clock_ = std::move(clock);
    hasOwnClock_ = clock_ != nullptr;
  }
  wakeUp();
}

void NSRunLoop::watchClock(const std::shared_ptr<Clock>& clock) {
  // The same live object as last pass (an address is not reused while the object lives).
  if (clock.get() == watchedRaw_ && !watchedClock_.expired()) return;
  auto watched = watchedClock_.lock();
  watchedRaw_ = clock.get();
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
  return runningModes_.empty() ? std::string() : std::string(runningModes_.back());
}

std::vector<std::string> NSRunLoop::allModes() const {
  std::lock_guard<std::mutex> lock(mutex_);
  // Every mode the loop has met has a number; the common-modes pseudo-mode is not one of them.
  std::vector<std::string> modes;
  for (size_t i = kCommonModesId + 1; i < modeNames_.size(); ++i)
    if (!modeNames_[i].empty()) modes.push_back(modeNames_[i]);
  return modes;
}

void NSRunLoop::addCommonMode(std::string_view mode) {
  if (mode == NSRunLoopCommonModes) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    commonIds_.add(modeId(mode));
  }
  wakeUp();
}

NSRunLoop::ModeId NSRunLoop::modeId(std::string_view mode) {
  ModeId id;
  if (findModeId(mode, &id)) return id;
  modeNames_.emplace_back(mode);
  return static_cast<ModeId>(modeNames_.size() - 1);
}

bool NSRunLoop::findModeId(std::string_view mode, ModeId* id) const {
  for (size_t i = 0; i < modeNames_.size(); ++i) {
    if (modeNames_[i] == mode) {
      *id = static_cast<ModeId>(i);
      return true;
    }
  }
  return false;
}

bool NSRunLoop::modeIsEmpty(ModeId id, bool common) const {
  for (const auto& t : timers_)
    if (inModeSet(t->modes_, id, common)) return false;
  for (const auto& s : sources_)
    if (inModeSet(s->modes_, id, common)) return false;
  for (const auto& s : fdSources_)
    if (inModeSet(s->modes_, id, common)) return false;
  for (const auto& p : performs_)
    if (inModeSet(p.modes, id, common)) return false;
  return true;
}

double NSRunLoop::earliestFireDate(ModeId id, bool common) const {
  double earliest = kDistantFuture;
  for (const auto& t : timers_)
    if (inModeSet(t->modes_, id, common) && t->valid_)
      earliest = std::min(earliest, t->fireDate_.load());
  return earliest;
}

// ---- sources

template <class T, class F>
bool NSRunLoop::attach(const std::shared_ptr<T>& item, std::vector<std::shared_ptr<T>>& list,
                       std::string_view mode, F&& joining) {
  if (!item || mode.empty()) return false;
  {
    std::lock_guard<std::mutex> itemLock(item->itemMutex_);
    if (!item->valid_) return false;
    auto owner = item->loop_.lock();
    // A source belongs to one loop.
    if (owner && owner.get() != this) return false;
    item->loop_ = weak_from_this();
    item->loopAddress_ = this;
    joining();
  }
  std::lock_guard<std::mutex> lock(mutex_);
  if (std::find(list.begin(), list.end(), item) == list.end()) {
    item->seq_ = nextSeq_++;
    // Mode numbers are the loop's own: forget those of a loop the item was in before.
    item->modes_.clear();
    list.push_back(item);
  }
  item->modes_.add(modeId(mode));
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
    ModeId id;
    if (!findModeId(mode, &id) || !item->modes_.contains(id)) return;
    item->modes_.remove(id);
    ++detaches_;
    if (item->modes_.empty()) {
      list.erase(it);
      gone = true;
    }
  }
  if (gone) {
    std::lock_guard<std::mutex> itemLock(item->itemMutex_);
    item->loop_.reset();
    item->loopAddress_ = nullptr;
  }
}

void NSRunLoop::addTimer(const std::shared_ptr<NSTimer>& timer, std::string_view mode) {
  if (!timer) return;
  // An unscheduled timer counts its interval from the moment it joins a loop, on that loop's
  // clock.
  std::shared_ptr<Clock> hold;
  double now = currentClock(hold)->now();
  // The fire date is set before the loop can see the timer.
  bool joined = attach(timer, timers_, mode, [&] {
    if (!timer->scheduled_) {
      timer->fireDate_ = now + std::max(0.0, timer->interval_);
      timer->scheduled_ = true;
    }
  });
  if (joined) wakeUp();
}

void NSRunLoop::addSource(const std::shared_ptr<RunLoopSource>& source, std::string_view mode) {
  if (!attach(source, sources_, mode, [] {})) return;
  // Signalled before it joined.
  if (source->signalled_) sourcesSignalled_ = true;
  wakeUp();
}

void NSRunLoop::removeSource(const std::shared_ptr<RunLoopSource>& source, std::string_view mode) {
  detach(source, sources_, mode);
}

void NSRunLoop::addFdSource(const std::shared_ptr<RunLoopFdSource>& source, std::string_view mode) {
  if (attach(source, fdSources_, mode, [] {})) wakeUp();
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
  std::vector<DelayedPerform> removed;  // destroyed after unlocking: targets may go with them
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto match = [item](const auto& p) { return p.get() == item; };
    std::erase_if(timers_, match);
    std::erase_if(sources_, match);
    std::erase_if(fdSources_, match);
    // A delayed perform's books go with its timer.
    takeDelayedPerforms(item, removed);
  }
  wakeUp();
}

void NSRunLoop::performBlock(std::function<void()> block) {
  if (!block) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    performs_.push_back(Perform{std::move(block), {}});
    performs_.back().modes.add(kCommonModesId);
    performsQueued_ = performs_.size();
  }
  wakeUp();
}

void NSRunLoop::performBlock(std::function<void()> block, std::vector<std::string> modes) {
  if (!block) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    RunLoopModeSet ids;
    for (const auto& m : modes) ids.add(modeId(m));
    performs_.push_back(Perform{std::move(block), std::move(ids)});
    performsQueued_ = performs_.size();
  }
  wakeUp();
}

double NSRunLoop::limitDateForMode(std::string_view mode) const {
  std::lock_guard<std::mutex> lock(mutex_);
  ModeId id;
  if (!findModeId(mode, &id)) return kDistantFuture;  // no timer was ever scheduled in it
  return earliestFireDate(id, isCommon(id));
}

bool NSRunLoop::hasDueTimers(std::string_view mode) const {
  std::shared_ptr<Clock> hold;
  return limitDateForMode(mode) <= currentClock(hold)->now();
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
    takeDelayedPerforms(timer, removed);
  }
}

void NSRunLoop::takeDelayedPerforms(const RunLoopItem* timer, std::vector<DelayedPerform>& out) {
  for (auto it = delayed_.begin(); it != delayed_.end();) {
    if (static_cast<const RunLoopItem*>(it->timer.get()) == timer) {
      out.push_back(std::move(*it));
      it = delayed_.erase(it);
    } else {
      ++it;
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
  stopRequested_ = true;
  wakeUp();
}

bool NSRunLoop::stopped() {
  return stopRequested_.load() && stopRequested_.exchange(false);
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

bool NSRunLoop::doPerforms(ModeId id) {
  // The count is written under the lock before the queuing thread's wake-up: a block that this
  // look misses still ends the coming wait.
  if (performsQueued_.load() == 0) return false;
  // A nested run (from inside a block) finds the buffer taken and uses one of its own.
  std::vector<Perform> due = std::move(performBuffer_);
  due.clear();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    bool common = isCommon(id);
    // Only what was queued before this pass runs now; blocks queued by these run next pass.
    auto match = [&](const Perform& p) { return inModeSet(p.modes, id, common); };
    if (std::all_of(performs_.begin(), performs_.end(), match)) {
      due.swap(performs_);
    } else {
      auto kept = performs_.begin();
      for (auto it = performs_.begin(); it != performs_.end(); ++it) {
        if (match(*it)) {
          due.push_back(std::move(*it));
        } else {
          if (kept != it) *kept = std::move(*it);
          ++kept;
        }
      }
      performs_.erase(kept, performs_.end());
    }
    performsQueued_ = performs_.size();
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
      performs_.insert(performs_.begin(), std::make_move_iterator(due.begin() + i + 1),
                       std::make_move_iterator(due.end()));
      performsQueued_ = performs_.size();
      throw;
    }
  }
  due.clear();
  // A rare burst does not keep its memory.
  if (due.capacity() <= kKeptBufferCapacity) performBuffer_ = std::move(due);
  return true;
}

bool NSRunLoop::doSources(ModeId id) {
  // Raised by signal() after it marks a source; lowered here before looking, so that a signal
  // arriving meanwhile is seen by the next pass.
  if (!sourcesSignalled_.load() || !sourcesSignalled_.exchange(false)) return false;
  std::vector<std::shared_ptr<RunLoopSource>> ready = std::move(readyBuffer_);
  ready.clear();
  bool waiting = false;  // signalled, but not in this mode
  {
    std::lock_guard<std::mutex> lock(mutex_);
    bool common = isCommon(id);
    for (const auto& s : sources_) {
      if (!s->signalled_.load()) continue;
      if (!inModeSet(s->modes_, id, common)) {
        waiting = true;
        continue;
      }
      if (s->valid_ && s->signalled_.exchange(false)) ready.push_back(s);
    }
  }
  if (waiting) sourcesSignalled_ = true;
  bool handled = !ready.empty();
  for (const auto& s : ready)
    if (s->perform_) s->perform_();
  ready.clear();
  readyBuffer_ = std::move(ready);
  return handled;
}

bool NSRunLoop::doTimers(ModeId id, double now) {
  struct Due {
    double fireDate;
    uint64_t seq;
    std::shared_ptr<NSTimer> timer;
  };
  std::vector<Due> due;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    bool common = isCommon(id);
    for (const auto& t : timers_) {
      if (!inModeSet(t->modes_, id, common) || !t->valid_) continue;
      double fireDate = t->fireDate_.load();
      if (fireDate <= now) due.push_back({fireDate, t->seq_, t});
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
      double fireDate = t->fireDate_.load();
      if (!t->valid_ || fireDate > now) continue;
      if (t->repeats_) {
        // Keep the phase; periods missed while the loop was busy are skipped.
        double next = fireDate + t->interval_;
        if (next <= now) {
          double periods = std::floor((now - fireDate) / t->interval_) + 1;
          next = fireDate + periods * t->interval_;
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

bool NSRunLoop::pollAndDoFds(ModeId id, double timeoutSeconds, std::vector<pollfd>& fds,
                             std::vector<std::shared_ptr<RunLoopFdSource>>& watched,
                             uint64_t detaches) {
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
  // Never destroyed: a loop still polling on another thread as the process ends (a detached
  // worker) goes on using it after the static objects are gone.
  static RunLoopPollWaiter& plain = *new RunLoopPollWaiter;
  int n = (waiter_ ? *waiter_ : static_cast<RunLoopWaiter&>(plain))
              .wait(fds.data(), fds.size(), timeoutMs);
  polling_.store(false);
  // What a waiter of its own handed over runs now, as a descriptor's callback would.
  bool handled = waiter_ && doSources(id);
  if (n <= 0) return handled;
  if (fds[0].revents) drainWakeFd();
  for (size_t i = 1; i < fds.size(); ++i) {
    if (!fds[i].revents) continue;
    auto& s = watched[i - 1];
    // It may have been taken out of the mode since the list was made (by an earlier callback
    // of this pass or another thread); only then is the lock needed to tell.
    if (detaches_.load() != detaches) {
      std::lock_guard<std::mutex> lock(mutex_);
      if (!inModeSet(s->modes_, id, isCommon(id))) continue;
    }
    if (!s->valid_) continue;
    handled = true;
    if (s->callback_) s->callback_(s->fd_, fds[i].revents);
  }
  return handled;
}

CFRunLoopRunResult NSRunLoop::runInternal(std::string_view mode, double limit, bool relativeLimit,
                                          bool stopAfterHandle, double realDeadline) {
  ModeId id;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    id = modeId(mode);
    if (stopped()) return CFRunLoopRunResult::Stopped;
    if (modeIsEmpty(id, isCommon(id))) return CFRunLoopRunResult::Finished;
    runningModes_.push_back(mode);
  }
  ModeGuard guard{mutex_, runningModes_};
  RunningLoopGuard running(this);
  double limitDate = limit;
  for (bool first = true;; first = false) {
    // Whatever was asked for up to here is looked at by this pass (a request arriving later
    // stays raised for the wait).
    wakeRequested_.exchange(false);
    std::shared_ptr<Clock> hold;
    const std::shared_ptr<Clock>& clk = currentClock(hold);
    // Listen before reading the time, so that an advance between the two still wakes us.
    watchClock(clk);
    // The pass's one reading of the clock; it is read again only after callbacks ran.
    double now = clk->now();
    if (first) {
      if (relativeLimit)
        limitDate = limit >= kDistantFuture ? kDistantFuture : now + std::max(0.0, limit);
    } else {
      // The end of the previous pass.
      if (now >= limitDate) return CFRunLoopRunResult::TimedOut;
      if (realDeadline != kForever && steadySeconds() >= realDeadline)
        return CFRunLoopRunResult::TimedOut;
    }
    bool handled = doPerforms(id);
    handled = doSources(id) || handled;
    // Timers due by the end of the callbacks fire in this pass.
    if (handled) now = clk->now();
    handled = doTimers(id, now) || handled;
    if (handled && stopAfterHandle) return CFRunLoopRunResult::HandledSource;
    if (stopped()) return CFRunLoopRunResult::Stopped;

    // Nothing ran since `now` was read unless `handled`, and then the wait does not block.
    double timeout = 0;
    // Kept between passes; a nested run (from inside a callback) takes fresh ones.
    std::vector<pollfd> fds = std::move(pollBuffer_);
    std::vector<std::shared_ptr<RunLoopFdSource>> watched = std::move(watchedBuffer_);
    fds.clear();
    watched.clear();
    fds.push_back(pollfd{wakeFd_, POLLIN, 0});
    uint64_t detaches;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      bool common = isCommon(id);
      if (modeIsEmpty(id, common)) {
        pollBuffer_ = std::move(fds);
        watchedBuffer_ = std::move(watched);
        return CFRunLoopRunResult::Finished;
      }
      if (!handled && now < limitDate) {
        double earliest = earliestFireDate(id, common);
        if (clk->isVirtual()) {
          timeout = earliest <= now ? 0 : kForever;
        } else {
          timeout = std::max(0.0, std::min(limitDate, earliest) - now);
        }
      }
      for (const auto& s : fdSources_) {
        if (!inModeSet(s->modes_, id, common) || !s->valid_) continue;
        int events = s->events_.load();
        if (events == 0) continue;
        fds.push_back(pollfd{s->fd_, static_cast<short>(events), 0});
        watched.push_back(s);
      }
      detaches = detaches_.load();
    }
    if (realDeadline != kForever)
      timeout = std::min(timeout, std::max(0.0, realDeadline - steadySeconds()));
    handled = pollAndDoFds(id, timeout, fds, watched, detaches) || handled;
    watched.clear();  // let go of the sources
    pollBuffer_ = std::move(fds);
    watchedBuffer_ = std::move(watched);
    if (handled && stopAfterHandle) return CFRunLoopRunResult::HandledSource;
    if (stopped()) return CFRunLoopRunResult::Stopped;
  }
}

CFRunLoopRunResult NSRunLoop::runInMode(std::string_view mode, double seconds,
                                        bool returnAfterSourceHandled) {
  return runInternal(mode, seconds, true, returnAfterSourceHandled, kForever);
}

CFRunLoopRunResult NSRunLoop::runInMode(std::string_view mode, double seconds,
                                        bool returnAfterSourceHandled, double realSeconds) {
  double deadline =
      realSeconds >= kDistantFuture ? kForever : steadySeconds() + std::max(0.0, realSeconds);
  return runInternal(mode, seconds, true, returnAfterSourceHandled, deadline);
}

bool NSRunLoop::runMode(std::string_view mode, double beforeDate) {
  return runInternal(mode, beforeDate, false, true, kForever) != CFRunLoopRunResult::Finished;
}

void NSRunLoop::runUntilDate(double limitDate) {
  while (clock()->now() < limitDate) {
    if (!runMode(NSDefaultRunLoopMode, limitDate)) break;
  }
}

void NSRunLoop::run() {
  while (runInternal(NSDefaultRunLoopMode, kDistantFuture, false, false, kForever) !=
         CFRunLoopRunResult::Finished) {
  }
}

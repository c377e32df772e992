// The process clock.  Dates, timers and delayed performs read it; tests replace it with a
// virtual clock they advance by hand.  The HTTP engine's network thread always keeps real time
// (realClock()), since its timeouts measure real socket activity.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class Clock {
 public:
  virtual ~Clock() = default;
  // Seconds since 1970-01-01 00:00:00 UTC.
  virtual double now() const = 0;
  virtual bool isVirtual() const { return false; }
};

class RealClock final : public Clock {
 public:
  double now() const override;
};

// A clock that only moves when told to.  Run loops reading it do not sleep in real time while
// waiting for a timer; advance() wakes them so that timers now due fire on their next pass.
class VirtualClock final : public Clock {
 public:
  // 2013-01-01 00:00:00 in UTC+8.
  static constexpr double kDefaultStart = 1356969600.0;

  explicit VirtualClock(double start = kDefaultStart) : now_(start) {}
  double now() const override;
  bool isVirtual() const override { return true; }

  // Moves the clock forward (negative amounts are ignored) and wakes the loops using it.
  void advance(double seconds);
  // Sets the time; going backwards is allowed (a user changing the device's clock).
  void setNow(double secondsSince1970);

  // Called (on the advancing thread) after every change of the time; the run loops use this
  // to wake up.  Returns a token for removeListener.
  int addListener(std::function<void()> listener);
  void removeListener(int token);

 private:
  void notify();
  mutable std::mutex mutex_;
  double now_;
  int nextToken_ = 1;
  std::vector<std::pair<int, std::function<void()>>> listeners_;
};

// The real clock (shared, never null).
std::shared_ptr<Clock> realClock();
// The clock of the main thread, dates and app timers: the real clock unless replaced.
std::shared_ptr<Clock> processClock();
void setProcessClock(std::shared_ptr<Clock> clock);
// processClock()->now().
double ClockNow();
// Seconds on the monotonic clock (unaffected by changes of the wall time), for measuring
// real intervals.
double steadySeconds();

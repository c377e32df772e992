// The process clock.  Dates, timers and delayed performs read it; tests replace it with a
// virtual clock they advance by hand.  The HTTP engine's network thread always keeps real time
// (realClock()), since its timeouts measure real socket activity.
#pragma once

#include <memory>

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

// The real clock (shared, never null).
std::shared_ptr<Clock> realClock();
// The clock of the main thread, dates and app timers: the real clock unless replaced.
std::shared_ptr<Clock> processClock();
void setProcessClock(std::shared_ptr<Clock> clock);
// processClock()->now().
double ClockNow();

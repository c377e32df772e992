// Timers: one-shot or repeating, scheduled in modes of one run loop and read off that loop's
// clock.  A repeating timer keeps its phase: the next fire date is the last scheduled one plus
// the interval, and periods missed while the loop was busy (or the clock jumped) are skipped,
// so it fires once for them.  Timers due together fire in fire-date order, ties in scheduling
// order.  A timer keeps its target alive until it is invalidated (a one-shot timer is
// invalidated after it fires).
#pragma once

#include <functional>
#include <memory>
#include <string_view>

#include "Foundation/NSObject.h"
#include "Foundation/NSRunLoop.h"
#include "Foundation/Value.h"

class NSTimer : public NSObject, public RunLoopItem {
 public:
  using Block = std::function<void(const std::shared_ptr<NSTimer>&)>;

  // An unscheduled timer (add it with NSRunLoop::addTimer).  The selector receives the timer
  // (as an object Value).  A repeating interval of 0 or less becomes 0.1 ms.
  static std::shared_ptr<NSTimer> timerWithTimeInterval(double interval, Selector selector,
                                                        Value userInfo, bool repeats);
  static std::shared_ptr<NSTimer> timerWithTimeInterval(double interval, bool repeats, Block block);
  // A timer scheduled on the current thread's loop in the default mode, first firing
  // `interval` seconds from now on that loop's clock.
  static std::shared_ptr<NSTimer> scheduledTimerWithTimeInterval(double interval, Selector selector,
                                                                 Value userInfo, bool repeats);
  static std::shared_ptr<NSTimer> scheduledTimerWithTimeInterval(double interval, bool repeats,
                                                                 Block block);

  // Fires now, outside the schedule (a repeating timer keeps its fire date; a one-shot timer
  // is invalidated afterwards).  Does nothing on an invalid timer.
  void fire();
  // Stops the timer for good, removes it from its loop and releases its target.
  void invalidate() override;
  using RunLoopItem::isValid;

  // Seconds since 1970 on the clock of the loop the timer is scheduled on.
  double fireDate() const;
  void setFireDate(double date);
  double timeInterval() const { return interval_; }
  bool repeats() const { return repeats_; }
  const Value& userInfo() const { return userInfo_; }

  // Private: use the factories.
  struct Private {};
  NSTimer(Private, double interval, bool repeats, Value userInfo, Selector selector, Block block);

 private:
  friend class NSRunLoop;
  // Runs the callback (keeping the timer alive for its length).
  void invoke();

  double interval_;
  bool repeats_;
  Value userInfo_;
  Selector selector_;
  Block block_;
  std::shared_ptr<void> retainedTarget_;  // guarded by itemMutex_
  std::atomic<double> fireDate_{0};       // written under itemMutex_, read by the loop without it
  bool scheduled_ = false;                // fire date has been set against a loop's clock
};

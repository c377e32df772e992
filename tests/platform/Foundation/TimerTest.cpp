// Timers and delayed performs on the main loop's virtual clock.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Foundation/NSThread.h"
#include "Foundation/NSTimer.h"
#include "support/MainLoop.h"

namespace {

class Target : public NSObject {
 public:
  explicit Target(std::vector<std::string>* log = nullptr, bool* destroyed = nullptr)
      : log_(log), destroyed_(destroyed) {}
  ~Target() override {
    if (destroyed_) *destroyed_ = true;
  }
  void tick(const Value& arg) {
    if (!log_) return;
    if (auto timer = arg.object<NSTimer>()) {
      log_->push_back("tick " + timer->userInfo().description());
    } else {
      log_->push_back("tick " + arg.description());
    }
  }
  Selector tickSelector() { return selector(weakSelf<Target>(), &Target::tick, "tick:"); }

 private:
  std::vector<std::string>* log_;
  bool* destroyed_;
};

// Fire times are offsets from the clock's start; the clock's large values leave them a little
// off the decimal figures.
void expectTimes(const std::vector<double>& actual, const std::vector<double>& expected) {
  ASSERT_EQ(actual.size(), expected.size());
  for (size_t i = 0; i < actual.size(); ++i) EXPECT_NEAR(actual[i], expected[i], 1e-5) << i;
}

class TimerTest : public ::testing::Test {
 protected:
  void SetUp() override { clock_ = MainLoop::install(); }
  double elapsed() const { return clock_->now() - VirtualClock::kDefaultStart; }
  std::shared_ptr<VirtualClock> clock_;
};

TEST_F(TimerTest, OneShotFiresOnceWhenItsIntervalHasPassed) {
  std::vector<std::string> log;
  auto target = std::make_shared<Target>(&log);
  auto timer =
      NSTimer::scheduledTimerWithTimeInterval(10, target->tickSelector(), Value("splash"), false);
  EXPECT_DOUBLE_EQ(timer->fireDate(), VirtualClock::kDefaultStart + 10);
  MainLoop::advance(9.999);
  EXPECT_TRUE(log.empty());
  MainLoop::advance(0.001);
  EXPECT_EQ(log, std::vector<std::string>{"tick splash"});
  EXPECT_FALSE(timer->isValid());
  MainLoop::advance(100);
  EXPECT_EQ(log.size(), 1u);
}

TEST_F(TimerTest, RepeatingTimerKeepsItsPhaseAndSkipsMissedPeriods) {
  std::vector<double> at;
  auto timer = NSTimer::scheduledTimerWithTimeInterval(
      1.0, true, [&](const std::shared_ptr<NSTimer>&) { at.push_back(elapsed()); });

  MainLoop::advance(3.5);  // the loop runs all along: fires at 1, 2, 3
  expectTimes(at, {1, 2, 3});

  // The loop sleeps through 1.5 s: one late fire, and the next one stays on the 1 s grid.
  at.clear();
  MainLoop::jump(1.7);  // now 5.2; 4 and 5 were due
  expectTimes(at, {5.2});
  EXPECT_DOUBLE_EQ(timer->fireDate(), VirtualClock::kDefaultStart + 6);

  at.clear();
  MainLoop::advance(0.9);
  expectTimes(at, {6});
  timer->invalidate();
  MainLoop::advance(5);
  EXPECT_EQ(at.size(), 1u);
}

TEST_F(TimerTest, TimersDueTogetherFireInFireDateOrderThenSchedulingOrder) {
  std::vector<std::string> order;
  auto make = [&](double interval, std::string name) {
    return NSTimer::scheduledTimerWithTimeInterval(
        interval, false, [&order, name](auto&) { order.push_back(name); });
  };
  auto late = make(30, "30s");
  auto early = make(0.5, "0.5s");
  auto tieA = make(10, "10s-a");
  auto tieB = make(10, "10s-b");
  auto victim = make(20, "20s");
  // The 10 s timer invalidates the 20 s one before its turn in the same pass.
  auto killer = make(10, "killer");
  killer->invalidate();
  auto killer2 = NSTimer::scheduledTimerWithTimeInterval(15, false, [&](auto&) {
    order.push_back("15s");
    victim->invalidate();
  });
  MainLoop::jump(60);
  EXPECT_EQ(order, (std::vector<std::string>{"0.5s", "10s-a", "10s-b", "15s", "30s"}));
}

TEST_F(TimerTest, FireRunsNowAndInvalidatesOnlyOneShotTimers) {
  int count = 0;
  auto repeating = NSTimer::scheduledTimerWithTimeInterval(5, true, [&](auto&) { ++count; });
  double fireDate = repeating->fireDate();
  repeating->fire();
  EXPECT_EQ(count, 1);
  EXPECT_TRUE(repeating->isValid());
  EXPECT_DOUBLE_EQ(repeating->fireDate(), fireDate);

  auto once = NSTimer::scheduledTimerWithTimeInterval(5, false, [&](auto&) { count += 10; });
  once->fire();
  EXPECT_EQ(count, 11);
  EXPECT_FALSE(once->isValid());
  once->fire();
  MainLoop::advance(5);
  EXPECT_EQ(count, 12);  // only the repeating one, on its schedule
  repeating->invalidate();
}

TEST_F(TimerTest, TimerKeepsItsTargetAliveUntilInvalidated) {
  std::vector<std::string> log;
  bool destroyed = false;
  auto target = std::make_shared<Target>(&log, &destroyed);
  auto timer = NSTimer::scheduledTimerWithTimeInterval(1, target->tickSelector(), Value(7), true);
  target.reset();
  MainLoop::advance(2);
  EXPECT_FALSE(destroyed);
  EXPECT_EQ(log, (std::vector<std::string>{"tick 7", "tick 7"}));
  timer->invalidate();
  EXPECT_TRUE(destroyed);
}

TEST_F(TimerTest, SetFireDateMovesTheNextFire) {
  int count = 0;
  auto timer = NSTimer::scheduledTimerWithTimeInterval(100, false, [&](auto&) { ++count; });
  timer->setFireDate(clock_->now() + 2);
  MainLoop::advance(1.9);
  EXPECT_EQ(count, 0);
  MainLoop::advance(0.1);
  EXPECT_EQ(count, 1);
}

TEST_F(TimerTest, DelayedPerformRunsAfterItsDelayAndNotWhenCancelled) {
  std::vector<std::string> log;
  bool destroyed = false;
  auto target = std::make_shared<Target>(&log, &destroyed);
  performSelectorAfterDelay(target->tickSelector(), Value("a"), 0.5);
  performSelectorAfterDelay(target->tickSelector(), Value("b"), 0.5);
  auto sel = target->tickSelector();
  std::weak_ptr<void> weakTarget = target;
  target.reset();  // kept alive by the pending performs

  MainLoop::advance(0.499);
  EXPECT_TRUE(log.empty());
  // Only the request with the same selector and an equal argument goes.
  cancelPreviousPerformRequestsWithTarget(weakTarget, "tick:", Value("b"));
  cancelPreviousPerformRequestsWithTarget(weakTarget, "other:", Value("a"));
  MainLoop::advance(0.001);
  EXPECT_EQ(log, std::vector<std::string>{"tick a"});
  EXPECT_TRUE(destroyed);  // released once nothing is pending

  // Cancelling by target alone removes them all.
  auto again = std::make_shared<Target>(&log);
  performSelectorAfterDelay(again->tickSelector(), Value("c"), 1);
  performSelectorAfterDelay(again->tickSelector(), Value("d"), 2);
  cancelPreviousPerformRequestsWithTarget(again);
  MainLoop::advance(5);
  EXPECT_EQ(log.size(), 1u);
}

TEST_F(TimerTest, ZeroDelayRunsOnTheNextPassInTheDefaultModeOnly) {
  int count = 0;
  auto timer = performAfterDelay([&] { ++count; }, 0);
  EXPECT_EQ(count, 0);
  MainLoop::pump("HXHTTPRequestRunLoopMode");
  EXPECT_EQ(count, 0);
  MainLoop::pump();
  EXPECT_EQ(count, 1);
  // Invalidating the returned timer cancels a block perform.
  performAfterDelay([&] { ++count; }, 1)->invalidate();
  MainLoop::advance(2);
  EXPECT_EQ(count, 1);
}

TEST_F(TimerTest, AdvanceRunsTimersScheduledDuringTheAdvance) {
  std::vector<double> at;
  NSTimer::scheduledTimerWithTimeInterval(1, false, [&](auto&) {
    at.push_back(elapsed());
    NSTimer::scheduledTimerWithTimeInterval(1, false, [&](auto&) { at.push_back(elapsed()); });
  });
  MainLoop::advance(5);
  expectTimes(at, {1, 2});
}

}  // namespace

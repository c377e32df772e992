#include "Foundation/Clock.h"

#include <atomic>
#include <chrono>
#include <mutex>

namespace {
std::mutex gClockMutex;
std::shared_ptr<Clock>& slot() {
  static std::shared_ptr<Clock> clock = realClock();
  return clock;
}
}  // namespace

double RealClock::now() const {
  using namespace std::chrono;
  return duration<double>(system_clock::now().time_since_epoch()).count();
}

std::shared_ptr<Clock> realClock() {
  static std::shared_ptr<Clock> clock = std::make_shared<RealClock>();
  return clock;
}

std::shared_ptr<Clock> processClock() {
  std::lock_guard<std::mutex> lock(gClockMutex);
  return slot();
}

void setProcessClock(std::shared_ptr<Clock> clock) {
  std::lock_guard<std::mutex> lock(gClockMutex);
  slot() = clock ? std::move(clock) : realClock();
}

double ClockNow() { return processClock()->now(); }

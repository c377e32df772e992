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

double ClockNow() {
  return processClock()->now();
}

double VirtualClock::now() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return now_;
}

void VirtualClock::advance(double seconds) {
  if (!(seconds > 0)) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    now_ += seconds;
  }
  notify();
}

void VirtualClock::setNow(double secondsSince1970) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    now_ = secondsSince1970;
  }
  notify();
}

int VirtualClock::addListener(std::function<void()> listener) {
  std::lock_guard<std::mutex> lock(mutex_);
  int token = nextToken_++;
  listeners_.emplace_back(token, std::move(listener));
  return token;
}

void VirtualClock::removeListener(int token) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::erase_if(listeners_, [token](const auto& l) { return l.first == token; });
}

void VirtualClock::notify() {
  std::vector<std::function<void()>> listeners;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& l : listeners_) listeners.push_back(l.second);
  }
  for (const auto& l : listeners) l();
}

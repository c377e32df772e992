#include "Foundation/Clock.h"

#include <atomic>
#include <chrono>
#include <mutex>

namespace {
// Read on every pass of the main loop and by every date: an atomic slot, so that reading it
// takes no lock.
std::atomic<std::shared_ptr<Clock>>& slot() {
  static std::atomic<std::shared_ptr<Clock>> clock{realClock()};
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
  return slot().load();
}

void setProcessClock(std::shared_ptr<Clock> clock) {
  slot().store(clock ? std::move(clock) : realClock());
}

double ClockNow() {
  return processClock()->now();
}

double steadySeconds() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
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

#include "support/MainLoop.h"

#include <algorithm>
#include <chrono>
#include <mutex>
#include <thread>

namespace {

std::mutex gMutex;
std::shared_ptr<VirtualClock> gClock;

// Keeps a test that re-queues work forever from hanging the pump.
constexpr int kMaxPumpPasses = 100000;

double steadyNow() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

std::shared_ptr<VirtualClock> MainLoop::install(double start) {
  auto clock = std::make_shared<VirtualClock>(start);
  {
    std::lock_guard<std::mutex> lock(gMutex);
    gClock = clock;
  }
  setProcessClock(clock);
  NSRunLoop::mainRunLoop()->wakeUp();
  return clock;
}

std::shared_ptr<VirtualClock> MainLoop::clock() {
  {
    std::lock_guard<std::mutex> lock(gMutex);
    if (gClock) return gClock;
  }
  return install();
}

double MainLoop::now() {
  return clock()->now();
}

int MainLoop::pump(std::string_view mode) {
  clock();
  auto loop = NSRunLoop::mainRunLoop();
  int handled = 0;
  while (handled < kMaxPumpPasses &&
         loop->runInMode(mode, 0, true) == CFRunLoopRunResult::HandledSource)
    ++handled;
  return handled;
}

bool MainLoop::runUntil(const std::function<bool()>& predicate, double realSeconds,
                        std::string_view mode) {
  clock();
  auto loop = NSRunLoop::mainRunLoop();
  double deadline = steadyNow() + realSeconds;
  for (;;) {
    pump(mode);
    if (predicate()) return true;
    double left = deadline - steadyNow();
    if (left <= 0) return false;
    // Wait for a wake-up from another thread, but look at the predicate now and then too: it may
    // turn true without anything reaching the loop.
    auto result = loop->runInMode(mode, NSRunLoop::kDistantFuture, true, std::min(left, 0.01));
    if (result == CFRunLoopRunResult::Finished) {
      // Nothing scheduled in the mode: the loop cannot wait, so sleep briefly instead.
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
}

void MainLoop::advance(double seconds, std::string_view mode) {
  auto c = clock();
  auto loop = NSRunLoop::mainRunLoop();
  double end = c->now() + std::max(0.0, seconds);
  pump(mode);
  for (;;) {
    double next = loop->limitDateForMode(mode);
    if (next > end) break;
    if (next > c->now()) {
      c->setNow(next);
    } else if (pump(mode) == 0) {
      break;  // a due timer that does not fire (its callback keeps it due): give up stepping
    }
    pump(mode);
  }
  if (end > c->now()) c->setNow(end);
  pump(mode);
}

void MainLoop::jump(double seconds, std::string_view mode) {
  clock()->advance(seconds);
  pump(mode);
}

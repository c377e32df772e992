// Run loops: modes, fd and signalled sources, performs between threads, stop and wake-up.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "Foundation/NSRunLoop.h"
#include "Foundation/NSThread.h"
#include "Foundation/NSTimer.h"
#include "support/MainLoop.h"

namespace {

constexpr std::string_view kPrivateMode = "HXHTTPRequestRunLoopMode";

class RunLoopTest : public ::testing::Test {
 protected:
  void SetUp() override { clock_ = MainLoop::install(); }
  std::shared_ptr<VirtualClock> clock_;
  std::shared_ptr<NSRunLoop> main_ = NSRunLoop::mainRunLoop();
};

struct Pipe {
  int r = -1, w = -1;
  Pipe() {
    int fds[2];
    if (pipe2(fds, O_NONBLOCK | O_CLOEXEC) == 0) {
      r = fds[0];
      w = fds[1];
    }
  }
  ~Pipe() {
    close(r);
    close(w);
  }
};

// A thread serving its loop the way the engine's network thread does: a keep-alive source and
// one-source runs until told to stop.
struct LoopThread {
  std::atomic<bool> quit{false};
  std::shared_ptr<NSThread> thread;
  LoopThread() {
    thread = std::make_shared<NSThread>([this] {
      auto loop = NSRunLoop::currentRunLoop();
      auto keepAlive = loop->addKeepAliveSource();
      while (!quit) loop->runInMode(NSDefaultRunLoopMode, NSRunLoop::kDistantFuture, true);
      keepAlive->invalidate();
    });
    thread->start();
  }
  ~LoopThread() {
    // A handled perform ends the thread's current run, which then sees the flag.
    performOnThread(
        thread, [this] { quit = true; }, false);
    thread->waitUntilFinished();
  }
};

TEST_F(RunLoopTest, MainThreadIsTheInitialThreadAndOwnsTheMainLoop) {
  EXPECT_TRUE(NSThread::isMainThread());
  EXPECT_EQ(NSRunLoop::currentRunLoop(), main_);
  EXPECT_TRUE(NSThread::currentThread()->isMain());
  EXPECT_EQ(main_->clock(), processClock());

  bool workerIsMain = true;
  std::shared_ptr<NSRunLoop> workerLoop;
  std::shared_ptr<Clock> workerClock;
  auto t = NSThread::detachNewThread([&] {
    workerIsMain = NSThread::isMainThread();
    workerLoop = NSRunLoop::currentRunLoop();
    workerClock = workerLoop->clock();
  });
  t->waitUntilFinished();
  EXPECT_FALSE(workerIsMain);
  EXPECT_NE(workerLoop, main_);
  EXPECT_EQ(workerLoop, t->runLoop());
  // Other threads keep real time while the main thread runs on the virtual clock.
  EXPECT_FALSE(workerClock->isVirtual());
}

TEST_F(RunLoopTest, DefaultModeTimerWaitsWhileTheLoopRunsAPrivateMode) {
  int defaultFired = 0, privateFired = 0;
  NSTimer::scheduledTimerWithTimeInterval(1.0, false, [&](auto&) { ++defaultFired; });
  auto status = NSTimer::timerWithTimeInterval(0.25, true, [&](auto&) { ++privateFired; });
  main_->addTimer(status, kPrivateMode);

  MainLoop::advance(2.0, kPrivateMode);
  EXPECT_EQ(defaultFired, 0);
  EXPECT_EQ(privateFired, 8);

  MainLoop::pump();
  EXPECT_EQ(defaultFired, 1);
  EXPECT_EQ(privateFired, 8);
  status->invalidate();
}

TEST_F(RunLoopTest, CommonModesCoverTheDefaultModeAndAddedModes) {
  const std::string tracking = "UITrackingRunLoopMode";
  std::vector<std::string> fired;
  auto common = NSTimer::timerWithTimeInterval(1, true, [&](auto&) { fired.push_back("common"); });
  auto plain = NSTimer::timerWithTimeInterval(1, true, [&](auto&) { fired.push_back("default"); });
  main_->addTimer(common, NSRunLoopCommonModes);
  main_->addTimer(plain, NSDefaultRunLoopMode);
  main_->addCommonMode(tracking);

  MainLoop::advance(1, tracking);
  EXPECT_EQ(fired, std::vector<std::string>{"common"});
  MainLoop::advance(1, kPrivateMode);
  EXPECT_EQ(fired.size(), 1u);
  fired.clear();
  // The default-only timer has waited since 1 s; the common one is due at 2 s: earlier first.
  MainLoop::pump(NSDefaultRunLoopMode);
  EXPECT_EQ(fired, (std::vector<std::string>{"default", "common"}));

  auto modes = main_->allModes();
  for (const auto& m : {std::string(NSDefaultRunLoopMode), tracking, std::string(kPrivateMode)})
    EXPECT_NE(std::find(modes.begin(), modes.end(), m), modes.end()) << m;
  EXPECT_EQ(std::find(modes.begin(), modes.end(), std::string(NSRunLoopCommonModes)), modes.end());
  common->invalidate();
  plain->invalidate();
}

TEST_F(RunLoopTest, RunReturnsAtOnceWhenTheModeHasNothingToWaitFor) {
  EXPECT_FALSE(main_->runMode("EmptyMode", NSRunLoop::kDistantFuture));
  EXPECT_EQ(main_->runInMode("EmptyMode", 10, false), CFRunLoopRunResult::Finished);
  // A keep-alive source gives the mode something to wait on.
  auto keepAlive = main_->addKeepAliveSource("EmptyMode");
  EXPECT_EQ(main_->runInMode("EmptyMode", 0, false), CFRunLoopRunResult::TimedOut);
  keepAlive->invalidate();
  EXPECT_EQ(main_->runInMode("EmptyMode", 0, false), CFRunLoopRunResult::Finished);
}

TEST_F(RunLoopTest, PipeWrittenFromAnotherThreadWakesTheLoopInTheScheduledModeOnly) {
  Pipe p;
  ASSERT_GE(p.r, 0);
  std::string got;
  auto source = std::make_shared<RunLoopFdSource>(p.r, RunLoopFdSource::Read, [&](int fd, int) {
    char buf[64];
    ssize_t n = read(fd, buf, sizeof buf);
    if (n > 0) got.append(buf, size_t(n));
  });
  main_->addFdSource(source, kPrivateMode);
  auto keepDefault = main_->addKeepAliveSource();

  // Written while the loop sleeps in the private mode (nothing else can wake it: the clock is
  // virtual and no timer is scheduled).
  auto writer = NSThread::detachNewThread([&] {
    while (main_->currentMode() != kPrivateMode) std::this_thread::yield();
    ASSERT_EQ(write(p.w, "ping", 4), 4);
  });
  auto result = main_->runInMode(kPrivateMode, NSRunLoop::kDistantFuture, true, 60.0);
  writer->waitUntilFinished();
  EXPECT_EQ(result, CFRunLoopRunResult::HandledSource);
  EXPECT_EQ(got, "ping");

  // Ready data is not read by a loop running another mode.
  ASSERT_EQ(write(p.w, "pong", 4), 4);
  EXPECT_EQ(main_->runInMode(NSDefaultRunLoopMode, 0, true), CFRunLoopRunResult::TimedOut);
  EXPECT_EQ(got, "ping");
  MainLoop::pump(kPrivateMode);
  EXPECT_EQ(got, "pingpong");

  // No interest, no callback; removal stops it for good.
  ASSERT_EQ(write(p.w, "x", 1), 1);
  source->setEvents(0);
  MainLoop::pump(kPrivateMode);
  EXPECT_EQ(got, "pingpong");
  source->setEvents(RunLoopFdSource::Read);
  main_->removeFdSource(source, kPrivateMode);
  MainLoop::pump(kPrivateMode);
  EXPECT_EQ(got, "pingpong");
  keepDefault->invalidate();
}

TEST_F(RunLoopTest, SignalledSourceRunsOnceOnItsLoop) {
  LoopThread t;
  std::atomic<int> runs{0};
  std::atomic<bool> onLoopThread{false};
  auto thread = t.thread;
  auto source = std::make_shared<RunLoopSource>([&] {
    onLoopThread = NSThread::currentThread() == thread;
    ++runs;
  });
  t.thread->runLoop()->addSource(source, NSDefaultRunLoopMode);
  source->signal();
  ASSERT_TRUE(MainLoop::runUntil([&] { return runs.load() == 1; }));
  EXPECT_TRUE(onLoopThread);
  // Only a new signal runs it again.
  performOnThread(
      t.thread, [] {}, true);
  EXPECT_EQ(runs.load(), 1);
  source->signal();
  ASSERT_TRUE(MainLoop::runUntil([&] { return runs.load() == 2; }));
  source->invalidate();
}

TEST_F(RunLoopTest, PerformOnMainThreadWaitsForTheMainLoopFromOtherThreads) {
  // On the main thread it runs inline.
  bool inlineRan = false;
  performOnMainThread([&] { inlineRan = true; }, true);
  EXPECT_TRUE(inlineRan);

  bool ranOnMain = false;
  bool doneWhenReturned = false;
  std::atomic<bool> returned{false};
  auto worker = NSThread::detachNewThread([&] {
    bool done = false;
    performOnMainThread(
        [&] {
          ranOnMain = NSThread::isMainThread();
          done = true;
        },
        true);
    doneWhenReturned = done;
    returned = true;
  });
  ASSERT_TRUE(MainLoop::runUntil([&] { return returned.load(); }));
  worker->waitUntilFinished();
  EXPECT_TRUE(ranOnMain);
  EXPECT_TRUE(doneWhenReturned);
}

TEST_F(RunLoopTest, HopsToTheMainThreadStallWhileItRunsAPrivateMode) {
  std::vector<int> order;
  auto worker = NSThread::detachNewThread([&] {
    performOnMainThread([&] { order.push_back(1); }, false);
    dispatchAsyncMain([&] { order.push_back(2); });
  });
  worker->waitUntilFinished();
  auto keepAlive = main_->addKeepAliveSource(kPrivateMode);
  MainLoop::pump(kPrivateMode);
  EXPECT_TRUE(order.empty());
  MainLoop::pump();
  EXPECT_EQ(order, (std::vector<int>{1, 2}));
  keepAlive->invalidate();
}

TEST_F(RunLoopTest, PerformsReachAThreadServingItsLoop) {
  LoopThread t;
  // Waiting: the caller gets the result computed on the loop's thread.
  std::shared_ptr<NSThread> ranOn;
  performOnThread(
      t.thread, [&] { ranOn = NSThread::currentThread(); }, true);
  EXPECT_EQ(ranOn, t.thread);

  // Not waiting: blocks run in order.
  std::vector<int> order;
  std::mutex m;
  std::atomic<int> count{0};
  for (int i = 0; i < 5; ++i)
    performOnThread(
        t.thread,
        [&, i] {
          std::lock_guard<std::mutex> lock(m);
          order.push_back(i);
          ++count;
        },
        false);
  ASSERT_TRUE(MainLoop::runUntil([&] { return count.load() == 5; }));
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4}));

  // Its timers keep real time: this one fires although the virtual clock stands still.
  std::atomic<bool> fired{false};
  performOnThread(
      t.thread,
      [&] { NSTimer::scheduledTimerWithTimeInterval(0.01, false, [&](auto&) { fired = true; }); },
      true);
  EXPECT_TRUE(MainLoop::runUntil([&] { return fired.load(); }, 30));
}

TEST_F(RunLoopTest, StopEndsTheRunInProgressFromAnotherThread) {
  std::atomic<int> result{0};
  std::atomic<bool> running{false};
  auto t = NSThread::detachNewThread([&] {
    auto loop = NSRunLoop::currentRunLoop();
    auto keepAlive = loop->addKeepAliveSource();
    running = true;
    result = int(loop->runInMode(NSDefaultRunLoopMode, NSRunLoop::kDistantFuture, false));
  });
  while (!running) std::this_thread::yield();
  while (t->runLoop()->currentMode().empty() && !t->isFinished()) std::this_thread::yield();
  t->runLoop()->stop();
  t->waitUntilFinished();
  EXPECT_EQ(result.load(), int(CFRunLoopRunResult::Stopped));

  // A stop with no run in progress ends the next run at once.
  main_->stop();
  auto keepAlive = main_->addKeepAliveSource();
  EXPECT_EQ(main_->runInMode(NSDefaultRunLoopMode, NSRunLoop::kDistantFuture, false),
            CFRunLoopRunResult::Stopped);
  keepAlive->invalidate();
}

TEST_F(RunLoopTest, NestedRunsReportTheInnermostMode) {
  std::vector<std::string> seen;
  main_->performBlock([&] {
    seen.push_back(main_->currentMode());
    main_->performBlock([&] { seen.push_back(main_->currentMode()); }, {std::string(kPrivateMode)});
    main_->runInMode(kPrivateMode, 0, false);
    seen.push_back(main_->currentMode());
  });
  MainLoop::pump();
  EXPECT_EQ(seen,
            (std::vector<std::string>{std::string(NSDefaultRunLoopMode), std::string(kPrivateMode),
                                      std::string(NSDefaultRunLoopMode)}));
  EXPECT_EQ(main_->currentMode(), "");
}

// Polls a condition set by other threads, up to a generous real-time bound.
template <class Pred>
bool waitUntil(Pred pred, std::chrono::seconds bound = std::chrono::seconds(60)) {
  auto deadline = std::chrono::steady_clock::now() + bound;
  while (!pred()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

TEST_F(RunLoopTest, WakeUpsFromOtherThreadsAreNeverLost) {
  LoopThread t;
  // One at a time: each block finds the loop asleep, or on its way to sleep.
  std::atomic<int> acked{0};
  for (int i = 1; i <= 500; ++i) {
    performOnThread(
        t.thread, [&] { ++acked; }, false);
    ASSERT_TRUE(waitUntil([&] { return acked.load() == i; })) << i;
  }
  // Several threads at once, racing with the loop going to sleep and waking.
  constexpr int kThreads = 4, kEach = 1000;
  std::atomic<int> ran{0};
  std::vector<std::thread> posters;
  for (int n = 0; n < kThreads; ++n)
    posters.emplace_back([&] {
      for (int i = 0; i < kEach; ++i) {
        performOnThread(
            t.thread, [&] { ++ran; }, false);
        if (i % 64 == 0) std::this_thread::yield();
      }
    });
  for (auto& p : posters) p.join();
  EXPECT_TRUE(waitUntil([&] { return ran.load() == kThreads * kEach; })) << ran.load();
}

TEST_F(RunLoopTest, WorkQueuedFromTheLoopsOwnCallbacksRunsWithoutAWakeUp) {
  // On the virtual clock with no timer due the loop would wait for ever: what its callbacks
  // queue must still run on its next passes.  The real-time bound only catches a stall.
  auto keepAlive = main_->addKeepAliveSource();
  int performs = 0;
  bool sourceRan = false;
  auto source = std::make_shared<RunLoopSource>([&] {
    sourceRan = true;
    main_->addTimer(NSTimer::timerWithTimeInterval(0, false, [&](auto&) { main_->stop(); }),
                    NSDefaultRunLoopMode);
  });
  main_->addSource(source, NSDefaultRunLoopMode);
  std::function<void()> step = [&] {
    if (++performs < 100)
      main_->performBlock(step);
    else
      source->signal();
  };
  main_->performBlock(step);
  auto result = main_->runInMode(NSDefaultRunLoopMode, NSRunLoop::kDistantFuture, false, 30.0);
  EXPECT_EQ(result, CFRunLoopRunResult::Stopped);
  EXPECT_EQ(performs, 100);
  EXPECT_TRUE(sourceRan);
  source->invalidate();
  keepAlive->invalidate();
}

TEST_F(RunLoopTest, PerformsOfOtherModesWaitInOrderWhileTheRunModesOnesRun) {
  std::vector<std::string> ran;
  auto queue = [&](std::string name, std::vector<std::string> modes) {
    main_->performBlock([&ran, name] { ran.push_back(name); }, std::move(modes));
  };
  queue("a", {std::string(NSDefaultRunLoopMode)});
  queue("b", {std::string(kPrivateMode)});
  main_->performBlock([&] { ran.push_back("c"); });  // the common modes
  queue("d", {std::string(kPrivateMode), std::string(NSDefaultRunLoopMode)});
  queue("e", {std::string(kPrivateMode)});

  EXPECT_EQ(main_->runInMode(kPrivateMode, 0, true), CFRunLoopRunResult::HandledSource);
  EXPECT_EQ(ran, (std::vector<std::string>{"b", "d", "e"}));
  ran.clear();
  EXPECT_EQ(main_->runInMode(NSDefaultRunLoopMode, 0, true), CFRunLoopRunResult::HandledSource);
  EXPECT_EQ(ran, (std::vector<std::string>{"a", "c"}));
  EXPECT_EQ(main_->runInMode(kPrivateMode, 0, true), CFRunLoopRunResult::Finished);
}

TEST_F(RunLoopTest, SignalledSourcesWaitForARunInTheirMode) {
  int privateRuns = 0, defaultRuns = 0;
  auto inPrivate = std::make_shared<RunLoopSource>([&] { ++privateRuns; });
  auto inDefault = std::make_shared<RunLoopSource>([&] { ++defaultRuns; });
  // Signalled before it is scheduled: it runs on the first pass in its mode.
  inPrivate->signal();
  main_->addSource(inPrivate, kPrivateMode);
  main_->addSource(inDefault, NSDefaultRunLoopMode);

  inDefault->signal();
  EXPECT_EQ(main_->runInMode(NSDefaultRunLoopMode, 0, true), CFRunLoopRunResult::HandledSource);
  EXPECT_EQ(defaultRuns, 1);
  EXPECT_EQ(privateRuns, 0);
  // Another run of the default mode leaves the private source marked.
  EXPECT_EQ(main_->runInMode(NSDefaultRunLoopMode, 0, true), CFRunLoopRunResult::TimedOut);
  EXPECT_EQ(privateRuns, 0);
  EXPECT_EQ(main_->runInMode(kPrivateMode, 0, true), CFRunLoopRunResult::HandledSource);
  EXPECT_EQ(privateRuns, 1);
  EXPECT_EQ(main_->runInMode(kPrivateMode, 0, true), CFRunLoopRunResult::TimedOut);
  EXPECT_EQ(privateRuns, 1);
  EXPECT_EQ(defaultRuns, 1);
  inPrivate->invalidate();
  inDefault->invalidate();
}

TEST_F(RunLoopTest, AnFdSourceTakenOutOfTheModeByAnEarlierCallbackIsNotCalled) {
  Pipe first, second;
  ASSERT_GE(first.r, 0);
  ASSERT_GE(second.r, 0);
  std::shared_ptr<RunLoopFdSource> b;
  int aCalls = 0, bCalls = 0;
  auto a = std::make_shared<RunLoopFdSource>(first.r, RunLoopFdSource::Read, [&](int, int) {
    ++aCalls;
    main_->removeFdSource(b, NSDefaultRunLoopMode);
  });
  b = std::make_shared<RunLoopFdSource>(second.r, RunLoopFdSource::Read,
                                        [&](int, int) { ++bCalls; });
  main_->addFdSource(a, NSDefaultRunLoopMode);
  main_->addFdSource(b, NSDefaultRunLoopMode);
  ASSERT_EQ(write(first.w, "x", 1), 1);
  ASSERT_EQ(write(second.w, "x", 1), 1);
  EXPECT_EQ(main_->runInMode(NSDefaultRunLoopMode, 0, true), CFRunLoopRunResult::HandledSource);
  EXPECT_EQ(aCalls, 1);
  EXPECT_EQ(bCalls, 0);
  a->invalidate();
  b->invalidate();
}

TEST_F(RunLoopTest, SourcesChangedFromInsideALoopReachTheLoopTheyAreIn) {
  // A change made on the loop's own thread needs no wake-up; one made there to a source that
  // has moved to another thread's loop must still wake that loop.
  Pipe here, there;
  ASSERT_GE(here.r, 0);
  ASSERT_GE(there.r, 0);
  ASSERT_EQ(write(here.w, "x", 1), 1);
  ASSERT_EQ(write(there.w, "x", 1), 1);
  auto keepAlive = main_->addKeepAliveSource();

  // Interest raised by one of the loop's own callbacks is polled on its next pass.
  int hereCalls = 0;
  std::shared_ptr<RunLoopFdSource> hereSource;
  hereSource = std::make_shared<RunLoopFdSource>(here.r, 0, [&](int, int) {
    ++hereCalls;
    hereSource->setEvents(0);
    main_->stop();
  });
  main_->addFdSource(hereSource, NSDefaultRunLoopMode);
  main_->performBlock([&] { hereSource->setEvents(RunLoopFdSource::Read); });
  EXPECT_EQ(main_->runInMode(NSDefaultRunLoopMode, NSRunLoop::kDistantFuture, false, 30.0),
            CFRunLoopRunResult::Stopped);
  EXPECT_EQ(hereCalls, 1);

  // Sources that were on the main loop and now are on another thread's.
  LoopThread other;
  auto otherLoop = other.thread->runLoop();
  std::atomic<int> signalled{0}, polled{0};
  auto movedSource = std::make_shared<RunLoopSource>([&] { ++signalled; });
  std::shared_ptr<RunLoopFdSource> movedFd;
  movedFd = std::make_shared<RunLoopFdSource>(there.r, 0, [&](int, int) {
    movedFd->setEvents(0);
    ++polled;
  });
  main_->addSource(movedSource, NSDefaultRunLoopMode);
  main_->addFdSource(movedFd, NSDefaultRunLoopMode);
  main_->removeSource(movedSource, NSDefaultRunLoopMode);
  main_->removeFdSource(movedFd, NSDefaultRunLoopMode);
  otherLoop->addSource(movedSource, NSDefaultRunLoopMode);
  otherLoop->addFdSource(movedFd, NSDefaultRunLoopMode);
  main_->performBlock([&] {
    movedSource->signal();
    movedFd->setEvents(RunLoopFdSource::Read);
  });
  EXPECT_EQ(main_->runInMode(NSDefaultRunLoopMode, 0, true), CFRunLoopRunResult::HandledSource);
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while ((signalled == 0 || polled == 0) && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_EQ(signalled.load(), 1);
  EXPECT_EQ(polled.load(), 1);
  movedSource->invalidate();
  movedFd->invalidate();
  hereSource->invalidate();
  keepAlive->invalidate();
}

}  // namespace

// ---- waiters

// Waits as a window's waiter does: on the loop's descriptors and one of its own (the display),
// handing what comes on that one to the loop through a source.
class DisplayLikeWaiter : public RunLoopWaiter {
 public:
  DisplayLikeWaiter(int display, std::shared_ptr<RunLoopSource> events)
      : display_(display), events_(std::move(events)) {}
  int wait(pollfd* fds, size_t count, int timeoutMs) override {
    ++waits;
    wakeFdFirst = wakeFdFirst && count >= 1 && fds[0].events == POLLIN;
    std::vector<pollfd> all(fds, fds + count);
    all.push_back(pollfd{display_, POLLIN, 0});
    int n = poll(all.data(), all.size(), timeoutMs);
    if (n < 0) return n;
    std::copy_n(all.begin(), count, fds);
    if (all.back().revents) {
      --n;
      events_->signal();
    }
    return n;
  }
  std::atomic<int> waits{0};
  bool wakeFdFirst = true;

 private:
  int display_;
  std::shared_ptr<RunLoopSource> events_;
};

TEST_F(RunLoopTest, OneLoopServesTimersDescriptorsPerformsAndTheWaitersOwnEvents) {
  Pipe display, socket;
  std::vector<std::string> seen;
  auto events = std::make_shared<RunLoopSource>([&] {
    char c;
    while (read(display.r, &c, 1) == 1) seen.push_back(std::string("window ") + c);
  });
  main_->addSource(events, NSRunLoopCommonModes);
  auto fd = std::make_shared<RunLoopFdSource>(socket.r, RunLoopFdSource::Read, [&](int f, int) {
    char c;
    while (read(f, &c, 1) == 1) seen.push_back("descriptor");
  });
  main_->addFdSource(fd, NSDefaultRunLoopMode);
  NSTimer::scheduledTimerWithTimeInterval(1.0, false, [&](auto&) { seen.push_back("timer"); });
  auto waiter = std::make_shared<DisplayLikeWaiter>(display.r, events);
  main_->setWaiter(waiter);

  // From other threads, while the loop waits.
  std::thread other([&] {
    main_->performBlock([&] { seen.push_back("perform"); });
    EXPECT_EQ(write(display.w, "a", 1), 1);
  });
  EXPECT_TRUE(MainLoop::runUntil([&] { return seen.size() == 2; }));
  other.join();
  ASSERT_EQ(write(socket.w, "x", 1), 1);
  ASSERT_EQ(write(display.w, "b", 1), 1);
  MainLoop::pump();
  MainLoop::advance(1.0);
  std::sort(seen.begin(), seen.begin() + 2);
  EXPECT_EQ(seen,
            (std::vector<std::string>{"perform", "window a", "window b", "descriptor", "timer"}));
  EXPECT_TRUE(waiter->wakeFdFirst);

  // Idle, the loop sits in one wait until something comes (here: the real-time bound).
  int before = waiter->waits;
  main_->runInMode(NSDefaultRunLoopMode, NSRunLoop::kDistantFuture, true, 0.2);
  EXPECT_LE(waiter->waits - before, 2);

  main_->setWaiter(nullptr);
  ASSERT_EQ(write(display.w, "c", 1), 1);
  MainLoop::pump();
  EXPECT_EQ(seen.back(), "timer") << "the plain waiter does not watch the display";
  events->invalidate();
  fd->invalidate();
}

// A thread still serving its loop as the process ends (a detached worker) keeps waiting on
// the plain waiter while the process's static objects go: the waiter must outlive them.
TEST_F(RunLoopTest, ALoopStillRunningOnAnotherThreadAsTheProcessEndsKeepsItsWaiter) {
  static std::atomic<bool> polling{false};
  std::thread([] {
    auto loop = NSRunLoop::currentRunLoop();
    auto keepAlive = loop->addKeepAliveSource(kPrivateMode);
    for (;;) {
      loop->runInMode(kPrivateMode, 0, false);
      polling = true;
    }
  }).detach();
  while (!polling) std::this_thread::yield();
  // The test ends here; the loop goes on polling through the process's exit.
}

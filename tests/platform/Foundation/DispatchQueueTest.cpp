// Serial dispatch queues: one block at a time, on the caller's thread, and no waiting for
// oneself.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "Foundation/DispatchQueue.h"
#include "Foundation/NSException.h"

namespace {

TEST(DispatchQueue, ASynchronousBlockRunsOnTheCallersThreadAndKnowsItsQueue) {
  auto queue = DispatchQueue::createSerial("sqdb.test");
  EXPECT_EQ(queue->label(), "sqdb.test");
  EXPECT_FALSE(queue->isCurrent());
  std::thread::id ranOn;
  bool currentInside = false;
  queue->sync([&] {
    ranOn = std::this_thread::get_id();
    currentInside = queue->isCurrent();
  });
  EXPECT_EQ(ranOn, std::this_thread::get_id());
  EXPECT_TRUE(currentInside);
  EXPECT_FALSE(queue->isCurrent());
}

TEST(DispatchQueue, BlocksFromManyThreadsRunOneAtATime) {
  auto queue = DispatchQueue::createSerial("q");
  std::atomic<int> inside{0};
  std::atomic<int> overlaps{0};
  int total = 0;  // only touched inside the queue
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 500; ++i) {
        queue->sync([&] {
          if (++inside > 1) ++overlaps;
          ++total;
          --inside;
        });
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(overlaps.load(), 0);
  EXPECT_EQ(total, 2000);
}

TEST(DispatchQueue, SubmittingToTheRunningQueueRaisesInsteadOfWaitingForItself) {
  auto outer = DispatchQueue::createSerial("outer");
  auto other = DispatchQueue::createSerial("other");
  bool otherRan = false;
  bool otherKnowsOuter = false;
  EXPECT_THROW(outer->sync([&] {
    // Another queue may be entered from inside, and still sees the outer one running.
    other->sync([&] {
      otherRan = true;
      otherKnowsOuter = outer->isCurrent();
    });
    outer->sync([] {});
  }),
               NSException);
  EXPECT_TRUE(otherRan);
  EXPECT_TRUE(otherKnowsOuter);
  // The queue is free again after the exception left its block.
  bool ranAgain = false;
  outer->sync([&] { ranAgain = true; });
  EXPECT_TRUE(ranAgain);
}

}  // namespace

// Operation queues: width (and changing it), suspension, cancellation, dependencies, priority
// and concurrent operations that hold their slot until they finish.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <limits>
#include <map>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "Foundation/NSException.h"
#include "Foundation/NSOperation.h"

namespace {

using namespace std::chrono_literals;

// Operations that block until the test hands out a token, recording how many ran at once.
struct Probe {
  std::mutex m;
  std::condition_variable cv;
  int active = 0, maxActive = 0, started = 0, done = 0, tokens = 0;
  std::vector<int> order;
  std::map<int, int> activeAtStart;

  void run(int id) {
    std::unique_lock<std::mutex> lock(m);
    ++active;
    ++started;
    maxActive = std::max(maxActive, active);
    order.push_back(id);
    activeAtStart[id] = active;
    cv.notify_all();
    cv.wait(lock, [this] { return tokens > 0; });
    --tokens;
    --active;
    ++done;
    cv.notify_all();
  }
  template <class Pred>
  bool waitFor(Pred pred) {
    std::unique_lock<std::mutex> lock(m);
    return cv.wait_for(lock, 60s, [&] { return pred(); });
  }
  void release(int n = 1) {
    std::lock_guard<std::mutex> lock(m);
    tokens += n;
    cv.notify_all();
  }
  int get(int Probe::*field) {
    std::lock_guard<std::mutex> lock(m);
    return this->*field;
  }
  std::shared_ptr<NSOperation> op(int id) {
    return NSBlockOperation::blockOperationWithBlock([this, id] { run(id); });
  }
};

// For negative checks only ("nothing else started"): a short pause that can make a faulty
// queue show itself but never fails a correct one.
void settle() {
  std::this_thread::sleep_for(20ms);
}

// A concurrent operation: start() returns at once, the work finishes when the test says so.
class AsyncOperation : public NSOperation {
 public:
  bool isConcurrent() const override { return true; }
  void start() override {
    if (isCancelled()) {
      setFinished(true);
      return;
    }
    setExecuting(true);
    startedFlag = true;
  }
  void finish() {
    setExecuting(false);
    setFinished(true);
  }
  std::atomic<bool> startedFlag{false};
};

TEST(OperationQueueTest, RunsNoMoreThanItsWidthAtOnce) {
  Probe p;
  auto q = std::make_shared<NSOperationQueue>();
  q->setMaxConcurrentOperationCount(2);
  for (int i = 0; i < 6; ++i) q->addOperation(p.op(i));
  for (int finished = 0; finished < 6; ++finished) {
    int expected = std::min(2, 6 - finished);
    ASSERT_TRUE(p.waitFor([&] { return p.active == expected && p.done == finished; }));
    p.release();
  }
  q->waitUntilAllOperationsAreFinished();
  EXPECT_EQ(p.maxActive, 2);
  // The first two start together, on two threads, in either order; the rest one at a time, in
  // the order added, as room appears.
  ASSERT_EQ(p.order.size(), 6u);
  EXPECT_EQ(std::set<int>(p.order.begin(), p.order.begin() + 2), (std::set<int>{0, 1}));
  EXPECT_EQ(std::vector<int>(p.order.begin() + 2, p.order.end()), (std::vector<int>{2, 3, 4, 5}));
  EXPECT_EQ(q->operationCount(), 0u);
}

TEST(OperationQueueTest, WidthChangesTakeEffectAtOnce) {
  Probe p;
  auto q = std::make_shared<NSOperationQueue>();
  EXPECT_EQ(q->maxConcurrentOperationCount(),
            NSOperationQueue::NSOperationQueueDefaultMaxConcurrentOperationCount);
  q->setMaxConcurrentOperationCount(1);
  for (int i = 0; i < 5; ++i) q->addOperation(p.op(i));
  ASSERT_TRUE(p.waitFor([&] { return p.active == 1; }));

  // Wider: two more start without anything finishing.
  q->setMaxConcurrentOperationCount(3);
  ASSERT_TRUE(p.waitFor([&] { return p.active == 3; }));

  // Narrower: the running three go on; the rest start one at a time once all three are done.
  q->setMaxConcurrentOperationCount(1);
  for (int finished = 0; finished < 5; ++finished) {
    p.release();
    ASSERT_TRUE(p.waitFor([&] { return p.done == finished + 1; }));
  }
  q->waitUntilAllOperationsAreFinished();
  EXPECT_EQ(p.activeAtStart[3], 1);
  EXPECT_EQ(p.activeAtStart[4], 1);

  // -1 is the system's width: many at once.
  Probe wide;
  q->setMaxConcurrentOperationCount(-1);
  for (int i = 0; i < 20; ++i) q->addOperation(wide.op(i));
  ASSERT_TRUE(wide.waitFor([&] { return wide.active == 20; }));
  wide.release(20);
  q->waitUntilAllOperationsAreFinished();
}

TEST(OperationQueueTest, SuspendedQueueStartsNothingNewUntilResumed) {
  Probe p;
  auto q = std::make_shared<NSOperationQueue>();
  q->addOperation(p.op(0));
  ASSERT_TRUE(p.waitFor([&] { return p.active == 1; }));
  q->setSuspended(true);
  EXPECT_TRUE(q->isSuspended());
  q->addOperation(p.op(1));
  q->addOperation(p.op(2));
  p.release();  // the running one still finishes
  ASSERT_TRUE(p.waitFor([&] { return p.done == 1; }));
  settle();
  EXPECT_EQ(p.get(&Probe::started), 1);
  EXPECT_EQ(q->operationCount(), 2u);

  q->setSuspended(false);
  ASSERT_TRUE(p.waitFor([&] { return p.active == 2; }));
  p.release(2);
  q->waitUntilAllOperationsAreFinished();
}

TEST(OperationQueueTest, CancelledOperationsFinishWithoutRunning) {
  Probe p;
  auto q = std::make_shared<NSOperationQueue>();
  q->setMaxConcurrentOperationCount(1);
  auto running = p.op(0);
  auto waiting = p.op(1);
  std::atomic<int> completions{0};
  waiting->setCompletionBlock([&] { ++completions; });
  q->addOperation(running);
  q->addOperation(waiting);
  ASSERT_TRUE(p.waitFor([&] { return p.active == 1; }));

  q->cancelAllOperations();
  EXPECT_TRUE(running->isCancelled());
  EXPECT_TRUE(waiting->isCancelled());
  EXPECT_TRUE(running->isExecuting());  // cancelling does not stop work in progress
  p.release();
  q->waitUntilAllOperationsAreFinished();
  EXPECT_EQ(p.order, std::vector<int>{0});
  EXPECT_TRUE(waiting->isFinished());
  EXPECT_FALSE(waiting->isExecuting());
  EXPECT_EQ(completions.load(), 1);

  // A cancelled operation does not wait for its dependencies.
  auto never = std::make_shared<NSOperation>();
  auto dependent = p.op(2);
  dependent->addDependency(never);
  q->addOperation(dependent);
  dependent->cancel();
  dependent->waitUntilFinished();
  EXPECT_EQ(p.order, std::vector<int>{0});
}

TEST(OperationQueueTest, DependenciesRunFirstAcrossQueues) {
  std::mutex m;
  std::vector<std::string> order;
  auto record = [&](std::string name) {
    return NSBlockOperation::blockOperationWithBlock([&, name] {
      std::lock_guard<std::mutex> lock(m);
      order.push_back(name);
    });
  };
  auto head = record("HEAD");
  auto get = record("GET");
  auto last = record("last");
  get->addDependency(head);
  last->addDependency(get);
  last->addDependency(head);

  auto q1 = std::make_shared<NSOperationQueue>();
  auto q2 = std::make_shared<NSOperationQueue>();
  q1->setSuspended(true);
  q1->addOperation(last);
  q1->addOperation(get);
  q2->setSuspended(true);
  q2->addOperation(head);
  q1->setSuspended(false);
  q2->setSuspended(false);
  q1->waitUntilAllOperationsAreFinished();
  q2->waitUntilAllOperationsAreFinished();
  EXPECT_EQ(order, (std::vector<std::string>{"HEAD", "GET", "last"}));
}

TEST(OperationQueueTest, HigherPriorityStartsFirstAmongReadyOperations) {
  Probe p;
  auto q = std::make_shared<NSOperationQueue>();
  q->setMaxConcurrentOperationCount(1);
  q->setSuspended(true);
  const std::vector<std::pair<int, int>> ops = {
      {0, NSOperationQueuePriorityNormal}, {1, NSOperationQueuePriorityHigh},
      {2, NSOperationQueuePriorityLow},    {3, 10},
      {4, NSOperationQueuePriorityHigh},   {5, NSOperationQueuePriorityVeryHigh}};
  for (auto [id, priority] : ops) {
    auto op = p.op(id);
    op->setQueuePriority(priority);
    q->addOperation(op);
  }
  q->setSuspended(false);
  p.release(int(ops.size()));
  q->waitUntilAllOperationsAreFinished();
  EXPECT_EQ(p.order, (std::vector<int>{3, 5, 1, 4, 0, 2}));
}

TEST(OperationQueueTest, ConcurrentOperationHoldsItsSlotUntilItFinishes) {
  auto q = std::make_shared<NSOperationQueue>();
  q->setMaxConcurrentOperationCount(1);
  auto async = std::make_shared<AsyncOperation>();
  std::atomic<bool> nextRan{false};
  q->addOperation(async);
  q->addOperationWithBlock([&] { nextRan = true; });
  while (!async->startedFlag) std::this_thread::yield();
  EXPECT_TRUE(async->isExecuting());
  settle();
  EXPECT_FALSE(nextRan);
  EXPECT_EQ(q->operationCount(), 2u);

  async->finish();
  q->waitUntilAllOperationsAreFinished();
  EXPECT_TRUE(nextRan);
  EXPECT_TRUE(async->isFinished());
}

TEST(OperationQueueTest, CompletionRunsBeforeTheQueueReportsEmptyAndTheQueueOutlivesItsOwner) {
  std::atomic<bool> completed{false};
  auto op = NSBlockOperation::blockOperationWithBlock([] {});
  op->setCompletionBlock([&] { completed = true; });
  {
    auto q = std::make_shared<NSOperationQueue>();
    q->setSuspended(true);
    q->addOperation(op);
    q->setSuspended(false);
  }  // the queue keeps itself while it holds operations
  op->waitUntilFinished();
  // The completion block runs before waiters on the operation are released.
  EXPECT_TRUE(completed);
}

TEST(OperationQueueTest, AnOperationJoinsOneQueueOnce) {
  auto q = std::make_shared<NSOperationQueue>();
  q->setSuspended(true);
  auto op = NSBlockOperation::blockOperationWithBlock([] {});
  q->addOperation(op);
  EXPECT_THROW(q->addOperation(op), NSException);
  auto other = std::make_shared<NSOperationQueue>();
  EXPECT_THROW(other->addOperation(op), NSException);
  q->setSuspended(false);
  op->waitUntilFinished();
  EXPECT_THROW(other->addOperation(op), NSException);
}

TEST(OperationQueueTest, PriorityChangedWhileQueuedReordersTheQueue) {
  Probe p;
  auto q = std::make_shared<NSOperationQueue>();
  q->setMaxConcurrentOperationCount(1);
  q->setSuspended(true);
  std::vector<std::shared_ptr<NSOperation>> ops;
  for (int i = 0; i < 4; ++i) {
    ops.push_back(p.op(i));
    q->addOperation(ops.back());
  }
  ops[3]->setQueuePriority(NSOperationQueuePriorityHigh);
  ops[0]->setQueuePriority(std::numeric_limits<int>::min());  // any int is a priority
  ops[2]->setQueuePriority(NSOperationQueuePriorityVeryHigh);
  ops[2]->setQueuePriority(NSOperationQueuePriorityNormal);  // and back: behind 1 again
  q->setSuspended(false);
  p.release(4);
  q->waitUntilAllOperationsAreFinished();
  EXPECT_EQ(p.order, (std::vector<int>{3, 1, 2, 0}));
}

TEST(OperationQueueTest, OperationsWaitingForDependenciesLetReadyOnesPassAndStartWhenFree) {
  Probe p;
  auto q = std::make_shared<NSOperationQueue>();
  q->setMaxConcurrentOperationCount(1);
  q->setSuspended(true);
  auto first = std::make_shared<NSOperation>();  // finished by hand below
  auto never = std::make_shared<NSOperation>();  // never runs: removed as a dependency
  auto later = std::make_shared<NSOperation>();  // a dependency added after queuing
  auto x = p.op(0);
  x->addDependency(first);
  auto w = p.op(1);
  w->addDependency(never);
  auto v = p.op(2);
  q->addOperation(x);
  q->addOperation(w);
  q->addOperation(v);
  q->addOperation(p.op(3));
  v->addDependency(later);  // before it started: it waits too
  q->setSuspended(false);

  // Only the ready one runs; the waiting ones hold no slot.
  ASSERT_TRUE(p.waitFor([&] { return p.started == 1; }));
  p.release();
  ASSERT_TRUE(p.waitFor([&] { return p.done == 1; }));
  settle();
  EXPECT_EQ(p.get(&Probe::started), 1);

  first->start();  // finishing a dependency outside any queue frees its dependent
  ASSERT_TRUE(p.waitFor([&] { return p.started == 2; }));
  p.release();
  w->removeDependency(never);
  ASSERT_TRUE(p.waitFor([&] { return p.started == 3; }));
  p.release();
  ASSERT_TRUE(p.waitFor([&] { return p.done == 3; }));
  settle();
  EXPECT_EQ(p.get(&Probe::started), 3);
  later->start();
  p.release();
  q->waitUntilAllOperationsAreFinished();
  EXPECT_EQ(p.order, (std::vector<int>{3, 0, 1, 2}));
}

TEST(OperationQueueTest, ManyQueuedOperationsRunInOrderWithinTheWidth) {
  constexpr int kCount = 2000;
  // One at a time: strictly in the order added.
  auto serial = std::make_shared<NSOperationQueue>();
  serial->setMaxConcurrentOperationCount(1);
  std::vector<int> order;
  for (int i = 0; i < kCount; ++i)
    serial->addOperationWithBlock([&order, i] { order.push_back(i); });
  serial->waitUntilAllOperationsAreFinished();
  ASSERT_EQ(order.size(), size_t(kCount));
  for (int i = 0; i < kCount; ++i) ASSERT_EQ(order[size_t(i)], i);

  // Four at a time: never more, and every one runs.
  auto q = std::make_shared<NSOperationQueue>();
  q->setMaxConcurrentOperationCount(4);
  std::atomic<int> active{0}, maxActive{0}, ran{0};
  for (int i = 0; i < kCount; ++i)
    q->addOperationWithBlock([&] {
      int now = ++active;
      int seen = maxActive.load();
      while (now > seen && !maxActive.compare_exchange_weak(seen, now)) {
      }
      ++ran;
      --active;
    });
  q->waitUntilAllOperationsAreFinished();
  EXPECT_EQ(ran.load(), kCount);
  EXPECT_LE(maxActive.load(), 4);
  EXPECT_EQ(q->operationCount(), 0u);
}

// A concurrent operation that counts its starts.
class CountedOperation : public AsyncOperation {
 public:
  void start() override {
    ++starts;
    AsyncOperation::start();
  }
  std::atomic<int> starts{0};
};

TEST(OperationQueueTest, OperationsListsTheUnfinishedInOrderWhateverOrderTheyFinishIn) {
  auto q = std::make_shared<NSOperationQueue>();
  q->setMaxConcurrentOperationCount(3);
  q->setSuspended(true);
  std::vector<std::shared_ptr<CountedOperation>> ops;
  for (int i = 0; i < 6; ++i) {
    ops.push_back(std::make_shared<CountedOperation>());
    q->addOperation(ops.back());
  }
  auto expectListed = [&](std::vector<int> ids) {
    std::vector<std::shared_ptr<NSOperation>> want;
    for (int i : ids) want.push_back(ops[size_t(i)]);
    EXPECT_EQ(q->operations(), want);
    EXPECT_EQ(q->operationCount(), ids.size());
  };
  auto expectStarts = [&](std::vector<int> starts) {
    for (size_t i = 0; i < ops.size(); ++i) EXPECT_EQ(ops[i]->starts.load(), starts[i]) << i;
  };

  // Started and finished by hand while queued: the queue lets it go and never starts it.
  ops[4]->start();
  ops[4]->finish();
  expectListed({0, 1, 2, 3, 5});

  // Concurrent operations start on the thread that makes room for them.
  q->setSuspended(false);
  expectStarts({1, 1, 1, 0, 1, 0});
  ops[1]->finish();  // from the middle
  expectListed({0, 2, 3, 5});
  expectStarts({1, 1, 1, 1, 1, 0});
  ops[0]->finish();  // the first
  expectListed({2, 3, 5});
  expectStarts({1, 1, 1, 1, 1, 1});
  ops[5]->finish();  // the last
  expectListed({2, 3});
  ops[3]->finish();
  ops[2]->finish();
  expectListed({});
  q->waitUntilAllOperationsAreFinished();
  expectStarts({1, 1, 1, 1, 1, 1});

  // The emptied queue takes new operations as before.
  auto again = std::make_shared<CountedOperation>();
  q->addOperation(again);
  expectStarts({1, 1, 1, 1, 1, 1});
  EXPECT_EQ(again->starts.load(), 1);
  again->finish();
  expectListed({});
}

TEST(OperationQueueTest, WaitersAreReleasedWhenTheFinishRacesThem) {
  for (int round = 0; round < 200; ++round) {
    auto op = std::make_shared<AsyncOperation>();
    std::atomic<int> released{0};
    std::vector<std::thread> waiters;
    for (int i = 0; i < 3; ++i)
      waiters.emplace_back([&] {
        op->waitUntilFinished();
        ++released;
      });
    if (round % 2) std::this_thread::yield();
    op->start();
    op->finish();
    op->waitUntilFinished();  // the finishing thread itself returns at once
    for (auto& t : waiters) t.join();
    ASSERT_EQ(released.load(), 3) << round;
  }
}

}  // namespace

// The engine's hand-offs without the network: 1,000 concurrent operations through a queue four
// wide, each started on a queue worker, handed to a loop thread that finishes it, and reported
// to the main loop, as a request travels queue worker -> network thread -> main thread.  What
// this costs per operation is the floor under the engine's small-request time.
// Peer: none; the number is read against the engine's small-reply time in http_bench, of which
// it is the part that no network can explain.
#include <benchmark/benchmark.h>

#include <atomic>
#include <memory>
#include <vector>

#include "Foundation/NSOperation.h"
#include "Foundation/NSRunLoop.h"
#include "Foundation/NSThread.h"

namespace {

constexpr int kOperations = 1000;
constexpr int kWidth = 4;

std::shared_ptr<NSThread> loopThread() {
  static auto* thread = [] {
    auto* t = new std::shared_ptr<NSThread>(std::make_shared<NSThread>([] {
      auto loop = NSRunLoop::currentRunLoop();
      loop->addKeepAliveSource(NSDefaultRunLoopMode);
      for (;;) loop->runInMode(NSDefaultRunLoopMode, NSRunLoop::kDistantFuture, true);
    }));
    (*t)->start();
    return t;
  }();
  return *thread;
}

class HandOff : public NSOperation {
 public:
  explicit HandOff(int* finished) : finished_(finished) {}
  bool isConcurrent() const override { return true; }
  void start() override {
    setExecuting(true);
    auto self = this->self<HandOff>();
    performOnThread(
        loopThread(),
        [self] {
          int* finished = self->finished_;
          performOnMainThread([finished] { ++*finished; }, false);
          self->setExecuting(false);
          self->setFinished(true);
        },
        false);
  }

 private:
  int* finished_;
};

void BM_QueueLoopMainHandOff(benchmark::State& state) {
  auto queue = std::make_shared<NSOperationQueue>();
  queue->setMaxConcurrentOperationCount(kWidth);
  auto loop = NSRunLoop::mainRunLoop();
  auto keepAlive = loop->addKeepAliveSource(NSDefaultRunLoopMode);
  loopThread();
  for (auto _ : state) {
    int finished = 0;
    for (int i = 0; i < kOperations; ++i) queue->addOperation(std::make_shared<HandOff>(&finished));
    while (finished < kOperations) loop->runInMode(NSDefaultRunLoopMode, 1.0, true);
    queue->waitUntilAllOperationsAreFinished();
  }
  keepAlive->invalidate();
  state.SetItemsProcessed(state.iterations() * kOperations);
}

}  // namespace

BENCHMARK(BM_QueueLoopMainHandOff)->Unit(benchmark::kMillisecond)->UseRealTime();

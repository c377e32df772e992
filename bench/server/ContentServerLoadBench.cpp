// The local content server under load: 100,000 requests from 16 clients at once, half of them
// on kept connections and half on a new connection each.  Target: every request answered, and
// the server's memory and threads as flat at the end as after the first thousand requests.
//
//   build/default/bench/server/server_bench
#include <benchmark/benchmark.h>
#include <httplib.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "server/ContentServer.h"

namespace {

// Resident memory of this process in MB.
double residentMB() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  statm >> pages >> resident;
  return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

size_t threadCount() {
  auto tasks = std::filesystem::directory_iterator("/proc/self/task");
  return size_t(std::distance(begin(tasks), end(tasks)));
}

// Sends `count` requests from `clients` threads; the number answered with 200.
size_t sendRequests(int port, size_t count, int clients) {
  std::atomic<size_t> next{0}, answered{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < clients; ++t) {
    threads.emplace_back([&, t] {
      bool keep = t % 2 == 0;
      httplib::Client kept("127.0.0.1", port);
      kept.set_keep_alive(true);
      for (size_t i; (i = next++) < count;) {
        std::string path = (i % 3 == 0) ? "/lookup?id=586471234" : "/VEZI/GetBanner.aspx";
        httplib::Result r = keep ? kept.Get(path) : httplib::Client("127.0.0.1", port).Get(path);
        if (r && r->status == 200) ++answered;
      }
    });
  }
  for (auto& th : threads) th.join();
  return answered;
}

void BM_ServeRequests(benchmark::State& state) {
  const size_t total = size_t(state.range(0));
  for (auto _ : state) {
    zept::server::ContentServer server;
    int port = server.start();
    sendRequests(port, 1000, 16);
    double warmMB = residentMB();
    size_t warmThreads = threadCount();
    size_t answered = sendRequests(port, total, 16);
    state.counters["answered"] = double(answered);
    state.counters["rss_after_1k_MB"] = warmMB;
    state.counters["rss_end_MB"] = residentMB();
    state.counters["threads_after_1k"] = double(warmThreads);
    state.counters["threads_end"] = double(threadCount());
    state.counters["requests_per_s"] =
        benchmark::Counter(double(total), benchmark::Counter::kIsRate);
    server.stop();
  }
}
BENCHMARK(BM_ServeRequests)->Arg(100000)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace

// Cache paths are computed on every list refresh and for every download; target: at least one
// million getFilePath calls a second on one core, with the folder memory warm.
//
// Peer: the same calls with the folder memory forgotten before each one (cold), so that every
// call asks the file system about its folder as the first call after a cache clearing does;
// both read the same URLs in the same home, so the gap is what the memory saves.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/NSConfig.h"
#include "core/UIFilePath.h"

namespace {

const std::vector<std::string>& urls() {
  static const std::vector<std::string> u = {
      "http://api.zept.example/Channels/Channel.aspx?keys=9F2C4A1B7E3D&std=2.0&page=1&max_id=0"
      "&channel_id=5&temp_id=0",
      "http://api.zept.example/Channels/Channel.aspx?keys=9F2C4A1B7E3D&std=2.0&page=3"
      "&since_id=3870011822451&channel_id=12&temp_id=3870011822001",
      "http://api.zept.example/Dialog/GetDialogPost.aspx?keys=9F2C4A1B7E3D&type=2&event_id=9"
      "&page=1&since_id=7&is2x=1",
      "http://api.zept.example/Channels/Feed.aspx?keys=9F2C4A1B7E3D&std=2.0&page=1&max_id=0"
      "&channel_ids=3%2C5%2C8%2C13&ptype=2&lat=31.2304&lon=121.4737",
      "http://api.zept.example/VEZI/GetBanner.aspx",
      "http://api.zept.example/Channels/TopicTimeline?keys=9F2C4A1B7E3D&std=2.0&max_id=0&page=2"
      "&topicId=%E7%83%AD%E7%82%B9",
  };
  return u;
}

void BM_getFilePath(benchmark::State& state) {
  NSConfig::engine();
  const auto& list = urls();
  size_t i = 0;
  for (auto _ : state) {
    auto path = UIFilePath::getFilePath(list[i]);
    benchmark::DoNotOptimize(path);
    if (++i == list.size()) i = 0;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_getFilePath);

void BM_getFilePathColdFolders(benchmark::State& state) {
  NSConfig::engine();
  const auto& list = urls();
  size_t i = 0;
  for (auto _ : state) {
    UIFilePath::forgetKnownFolders();
    auto path = UIFilePath::getFilePath(list[i]);
    benchmark::DoNotOptimize(path);
    if (++i == list.size()) i = 0;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_getFilePathColdFolders);

void BM_modifyFilePath(benchmark::State& state) {
  NSConfig::engine();
  const auto& list = urls();
  size_t i = 0;
  for (auto _ : state) {
    auto path = UIFilePath::modifyFilePath(list[i]);
    benchmark::DoNotOptimize(path);
    if (++i == list.size()) i = 0;
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_modifyFilePath);

// A home of its own, so the folders the rule creates never touch a real one.
struct Home {
  Home() {
    if (std::getenv("ZEPT_HOME")) return;
    path = std::filesystem::temp_directory_path() / "zept-bench-home";
    setenv("ZEPT_HOME", path.c_str(), 1);
  }
  ~Home() {
    std::error_code ec;
    if (!path.empty()) std::filesystem::remove_all(path, ec);
  }
  std::filesystem::path path;
} home;

}  // namespace

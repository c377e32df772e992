// Reading a feed reply of 500 statuses (about a megabyte, mostly Chinese text) into a tree:
// the app's reader next to RapidJSON's and nlohmann/json's DOM parsers on the same bytes.
// Compare the bytes_per_second columns; the goal is at least twice nlohmann/json's rate and at
// least half of RapidJSON's.  On a busy machine run the three interleaved, so that a burst of
// load does not fall on one of them only:
//   json_bench --benchmark_repetitions=8 --benchmark_enable_random_interleaving=true
//              --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>
#include <rapidjson/document.h>

#include <nlohmann/json.hpp>
#include <string>

#include "Common/JXKit/NSString+JXKitDeserializing.h"
#include "json/FeedReplyGenerator.h"

namespace {

constexpr int kStatuses = 500;

const std::string& feedReply() {
  static const std::string text = makeFeedReply(kStatuses);
  return text;
}

void BM_JXKitReader(benchmark::State& state) {
  const std::string& text = feedReply();
  for (auto _ : state) {
    Value tree = objectFromJSONString(text);
    if (tree["statuses"].count() != size_t(kStatuses)) {
      state.SkipWithError("the reply did not parse");
      break;
    }
    benchmark::DoNotOptimize(tree);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
  state.counters["reply_bytes"] = double(text.size());
}
BENCHMARK(BM_JXKitReader)->Unit(benchmark::kMicrosecond);

void BM_RapidJSON(benchmark::State& state) {
  const std::string& text = feedReply();
  for (auto _ : state) {
    rapidjson::Document tree;
    tree.Parse(text.data(), text.size());
    if (tree.HasParseError() || tree["statuses"].Size() != unsigned(kStatuses)) {
      state.SkipWithError("the reply did not parse");
      break;
    }
    benchmark::DoNotOptimize(tree);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_RapidJSON)->Unit(benchmark::kMicrosecond);

void BM_NlohmannJSON(benchmark::State& state) {
  const std::string& text = feedReply();
  for (auto _ : state) {
    nlohmann::json tree = nlohmann::json::parse(text, nullptr, false);
    if (tree.is_discarded() || tree["statuses"].size() != size_t(kStatuses)) {
      state.SkipWithError("the reply did not parse");
      break;
    }
    benchmark::DoNotOptimize(tree);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_NlohmannJSON)->Unit(benchmark::kMicrosecond);

}  // namespace

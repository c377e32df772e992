// Reading a reply into a tree and freeing it again: the app's reader next to RapidJSON's and
// nlohmann/json's DOM parsers on the same bytes, on two replies: the generated feed reply of
// 500 statuses (about 0.85 MB, mostly Chinese text) and an 8 MB status list built from the
// local server's own statuses.  Compare the bytes_per_second columns; the goal is at least
// 0.8 of RapidJSON's rate on both.  Run the three interleaved, so that a burst of load does not
// fall on one of them only:
//   json_bench --benchmark_repetitions=8 --benchmark_enable_random_interleaving=true
//              --benchmark_report_aggregates_only=true
//
// Peers: RapidJSON's Document::Parse with default flags (copies every string into its pool,
// checks no UTF-8, which ours does) and nlohmann/json's parse; each builds and frees a whole
// tree per iteration from the same bytes, as ours does, so the rates compare parse plus free.
#include <benchmark/benchmark.h>
#include <rapidjson/document.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "Common/JXKit/NSString+JXKitDeserializing.h"
#include "json/FeedReplyGenerator.h"
#include "server/DemoData.h"

namespace {

constexpr int kStatuses = 500;
constexpr size_t kLargeReplyBytes = 8u << 20;

// The local server's statuses, each with its user and repost, repeated into one list of at
// least 8 MB with the page fields the server sends around it.
std::string serverStatusesReply() {
  using zept::server::DemoData;
  using zept::server::Json;
  DemoData data(DemoData::defaultDataDir());
  const auto all = data.allStatuses();
  std::vector<std::string> records;
  for (const auto* status : all) records.push_back(data.statusJSON(*status).dump());
  std::string list;
  size_t count = 0;
  for (size_t i = 0; list.size() < kLargeReplyBytes; ++i, ++count) {
    if (i) list += ',';
    list += records[i % records.size()];
  }
  return "{\"statuses\":[" + list +
         "],\"previous_cursor\":0,\"next_cursor\":" + std::to_string(count) +
         ",\"total_number\":" + std::to_string(count) + "}";
}

struct Reply {
  std::string text;
  size_t statuses;
};

// 0: the generated feed reply; 1: the 8 MB list of the server's statuses.
const Reply& reply(int64_t which) {
  static const Reply feed{makeFeedReply(kStatuses), size_t(kStatuses)};
  static const Reply large = [] {
    std::string text = serverStatusesReply();
    Value tree = objectFromJSONString(text);
    return Reply{std::move(text), tree["statuses"].count()};
  }();
  return which == 0 ? feed : large;
}

void BM_JXKitReader(benchmark::State& state) {
  const auto& [text, statuses] = reply(state.range(0));
  for (auto _ : state) {
    Value tree = objectFromJSONString(text);
    if (tree["statuses"].count() != statuses) {
      state.SkipWithError("the reply did not parse");
      break;
    }
    benchmark::DoNotOptimize(tree);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
  state.counters["reply_bytes"] = double(text.size());
}
BENCHMARK(BM_JXKitReader)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_RapidJSON(benchmark::State& state) {
  const auto& [text, statuses] = reply(state.range(0));
  for (auto _ : state) {
    rapidjson::Document tree;
    tree.Parse(text.data(), text.size());
    if (tree.HasParseError() || tree["statuses"].Size() != statuses) {
      state.SkipWithError("the reply did not parse");
      break;
    }
    benchmark::DoNotOptimize(tree);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_RapidJSON)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_NlohmannJSON(benchmark::State& state) {
  const auto& [text, statuses] = reply(state.range(0));
  for (auto _ : state) {
    nlohmann::json tree = nlohmann::json::parse(text, nullptr, false);
    if (tree.is_discarded() || tree["statuses"].size() != statuses) {
      state.SkipWithError("the reply did not parse");
      break;
    }
    benchmark::DoNotOptimize(tree);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_NlohmannJSON)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace

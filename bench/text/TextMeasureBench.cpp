// Measuring a 140-character CJK status at the feed item's text width (290 points, 15 pt), as
// the list screens do for every row.  Targets, as ratios of one run:
//   first_vs_pango  = a first measurement / Pango's own layout of the same text   <= 1.2
//   first_vs_cached = a first measurement / measuring the same text again          >= 10
// Pango's layout is the least a measurement can cost: one reused PangoLayout over the same
// font configuration, asked for its size.  First measurements cycle through more statuses
// than the cache holds, so each one is laid out (and evicts another).
// Peer: Pango lays out the same texts with the same font and width, with no cache in front, so
// a first measurement compares like with like.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "CoreText/PangoTextMeasurer.h"
#include "Foundation/NSString.h"
#include "support/BundledPango.h"

namespace {

constexpr CGFloat kWidth = 290;
constexpr CGFloat kSize = 15;
constexpr size_t kStatuses = 5000;  // more than the measurer's cache holds

std::vector<std::string> statuses() {
  static const char32_t common[] =
      U"的一是在不了有和人这中大为上个国我以要他时来用们生到作地于出就分对成会可主发年动同工也能"
      U"下过子说产种面而方后多定行学法所民得经十三之进着等部度家电力里如水化高自二理起小物现实加量"
      U"都两体制机当使点从业本去把性好应开它合还因由其些然前外天政四日那社义事平形相全表间样与关各"
      U"重";
  const size_t n = sizeof(common) / sizeof(common[0]) - 1;
  std::vector<std::string> out;
  uint32_t seed = 20240613;
  for (size_t s = 0; s < kStatuses; ++s) {
    std::string text;
    for (int i = 0; i < 140; ++i) {
      seed = seed * 1664525u + 1013904223u;
      char32_t c = common[(seed >> 8) % n];
      if (i % 23 == 22) c = U'，';
      if (i % 47 == 46) c = U'0' + (seed >> 20) % 10;
      if (i == 139) c = U'。';
      appendUTF8(text, c);
    }
    out.push_back(std::move(text));
  }
  return out;
}

using Clock = std::chrono::steady_clock;

double since(Clock::time_point start) {
  return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

void BM_MeasureStatus(benchmark::State& state) {
  static const std::vector<std::string> texts = statuses();
  PlainPango plain(kSize);
  auto measurer = std::make_shared<PangoTextMeasurer>();
  const TextFont font{"Helvetica", kSize, false, false};
  constexpr int kRepeats = 16;
  double pangoUs = 0, firstUs = 0, cachedUs = 0;
  size_t i = 0, rounds = 0;
  for (auto _ : state) {
    const std::string& text = texts[i];
    if (++i == texts.size()) i = 0;
    // Alternate who goes first, so neither gains from the other's warm caches.
    for (int turn = 0; turn < 2; ++turn) {
      if ((turn == 0) == (rounds % 2 == 0)) {
        auto t = Clock::now();
        benchmark::DoNotOptimize(plain.height(text, kWidth));
        pangoUs += since(t);
      } else {
        auto t = Clock::now();
        benchmark::DoNotOptimize(
            measurer->measure(text, font, {kWidth, 10000}, kCTLineBreakByWordWrapping));
        firstUs += since(t);
      }
    }
    auto t = Clock::now();
    for (int r = 0; r < kRepeats; ++r)
      benchmark::DoNotOptimize(
          measurer->measure(text, font, {kWidth, 10000}, kCTLineBreakByWordWrapping));
    cachedUs += since(t) / kRepeats;
    ++rounds;
  }
  state.counters["pango_us"] = pangoUs / double(rounds);
  state.counters["first_us"] = firstUs / double(rounds);
  state.counters["cached_us"] = cachedUs / double(rounds);
  state.counters["first_vs_pango"] = firstUs / pangoUs;
  state.counters["first_vs_cached"] = firstUs / cachedUs;
}
BENCHMARK(BM_MeasureStatus)->Iterations(20000)->Unit(benchmark::kMicrosecond);

}  // namespace

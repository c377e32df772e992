// A list page of status rows as a list screen makes it: for each of 200 statuses (10 to 140
// characters, half with a thumbnail that is not cached, a quarter reposts) the height rule
// and then the builder of its row, with the text measurer's cache emptied before each page, so
// that every text is laid out afresh once and the builder finds what the height rule measured.
// Target, as a ratio of one run:
//   rows_vs_pango = a page of height rules and builders / Pango's own layout of each text of the
//                   page at its width (own text at 290 points, reposted text at 250)  <= 3
// Pango's layout is the least the page's texts can cost: one reused PangoLayout over the same
// font configuration, asked for its size.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "CoreText/TextMeasurer.h"
#include "Foundation/NSString.h"
#include "UIKit/UIApplicationDriver.h"
#include "core/NSGlobe.h"
#include "support/BundledPango.h"
#include "ui/feed/UIHomeViewCell.h"

namespace {

constexpr size_t kStatuses = 200;

std::string text(uint32_t& seed, int length) {
  static const char32_t common[] =
      U"的一是在不了有和人这中大为上个国我以要他时来用们生到作地于出就分对成会可主发年动同工也能"
      U"下过子说产种面而方后多定行学法所民得经十三之进着等部度家电力里如水化高自二理起小物现实加量";
  const size_t n = sizeof(common) / sizeof(common[0]) - 1;
  std::string out;
  for (int i = 0; i < length; ++i) {
    seed = seed * 1664525u + 1013904223u;
    char32_t c = common[(seed >> 8) % n];
    if (i % 23 == 22) c = U'，';
    if (i % 31 == 30) c = U'A' + (seed >> 20) % 26;
    appendUTF8(out, c);
  }
  return out;
}

std::vector<StatusPtr> statuses() {
  std::vector<StatusPtr> out;
  uint32_t seed = 20261211;
  for (size_t i = 0; i < kStatuses; ++i) {
    auto s = std::make_shared<Status>();
    s->statusId = int64_t(i + 1);
    s->user = std::make_shared<User>();
    s->user->screenName = "作者" + std::to_string(i);
    s->text = text(seed, 10 + int(seed % 131));
    if (i % 2 == 0) s->thumbnailPic = "http://img.example/uncached/" + std::to_string(i) + ".jpg";
    if (i % 4 == 1) {
      s->retweetedStatus = std::make_shared<Status>();
      s->retweetedStatus->user = std::make_shared<User>();
      s->retweetedStatus->user->screenName = "原作者";
      s->retweetedStatus->text = text(seed, 10 + int(seed % 131));
      s->retweetedStatus->commentsCount = int(i % 3);
    }
    s->commentsCount = int(i % 5);
    s->retweetsCount = int(i % 7);
    out.push_back(std::move(s));
  }
  return out;
}

using Clock = std::chrono::steady_clock;

double since(Clock::time_point start) {
  return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

void BM_StatusRowsPage(benchmark::State& state) {
  static const std::vector<StatusPtr> page = statuses();
  auto globe = NSGlobe::getEngine();
  globe->setShowStatusPicture(true);
  globe->setThemeNum(1);
  PlainPango plain(globe->textFont()->pointSize());
  auto measurer = TextMeasurer::current();
  std::weak_ptr<UIHomeViewCellDelegate> none;
  double rowsUs = 0, pangoUs = 0;
  size_t rounds = 0;
  for (auto _ : state) {
    // Alternate who goes first, so neither gains from the other's warm caches.
    for (int turn = 0; turn < 2; ++turn) {
      if ((turn == 0) == (rounds % 2 == 0)) {
        auto t = Clock::now();
        for (const auto& s : page) {
          benchmark::DoNotOptimize(plain.height(s->text, 290));
          if (s->retweetedStatus)
            benchmark::DoNotOptimize(plain.height(s->retweetedStatus->text, 250));
        }
        pangoUs += since(t);
      } else {
        measurer->clearCache();
        auto t = Clock::now();
        long row = 0;
        for (const auto& s : page) {
          NSIndexPath path{0, row++};
          benchmark::DoNotOptimize(UIHomeViewCell::getHeightForCellRowAtIndexPath(
              path, s, int(kStatuses), 0, none, true, false));
          benchmark::DoNotOptimize(
              UIHomeViewCell::initWithItem(s, none, 0, path, false, true, false));
        }
        rowsUs += since(t);
      }
    }
    ++rounds;
  }
  state.counters["rows_us"] = rowsUs / double(rounds);
  state.counters["pango_us"] = pangoUs / double(rounds);
  state.counters["rows_vs_pango"] = rowsUs / pangoUs;
  UIApplicationDriver::reset();
}
BENCHMARK(BM_StatusRowsPage)->Iterations(30)->Repetitions(3)->Unit(benchmark::kMillisecond);

}  // namespace

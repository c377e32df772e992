// A channel page of 200 statuses read into records, beside the JSON reader alone on the same
// text, so that the cost of the record mapping can be told from the cost of the reading.
// Target: the page to records costs at most 1.6 times the reading alone, in one run.
// Peer: the JSON reader alone reads the same text into the tree the mapping starts from, so the
// ratio is what the mapping adds to the reading it cannot do without.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <string>
#include <vector>

#include "Common/JXKit/NSString+JXKitDeserializing.h"
#include "model/ZizaJsonStatusParser.h"

namespace {

std::string userJson(int i) {
  return "{\"id\":" + std::to_string(1893458120 + i) + ",\"name\":\"industry" + std::to_string(i) +
         "\",\"screen_name\":\"行业观察" + std::to_string(i % 17) +
         "\",\"provice\":\"31\",\"city\":\"1000\",\"location\":\"上海 徐汇区\","
         "\"description\":\"专注光伏与储能产业链<br />每日行情\\r\\n与深度分析\","
         "\"profile_image_url\":\"http://tp1.img.example/" +
         std::to_string(1893458120 + i) + "/50/1.jpg\",\"gender\":\"" + (i % 2 ? "m" : "f") +
         "\",\"followers_count\":235810,\"friends_count\":412,\"statuses_count\":10388,"
         "\"favourites_count\":55,\"following\":false,\"verified\":true}";
}

std::string statusJson(int i, bool withRetweet) {
  std::string id = std::to_string(3652874118035870LL + i);
  std::string s =
      "{\"created_at\":\"Sat Dec 07 10:00:00 +0800 2013\",\"id\":" + id +
      ",\"eid\":" + std::to_string(88000 + i) +
      ",\"text\":\"【光伏】多晶硅价格本周回升至&yuan;16.5万/吨%ef%bc%8c行业库存持续下降%e3%80%82"
      "国家能源局发布前三季度新增装机数据%ef%bc%8c分布式占比提升 [来源：能源报] "
      "http://pic.news.example/2013/1207/" +
      id +
      ".jpg \",\"source\":\"<a href=\\\"http://app.ziza.example/u/1\\\" "
      "rel=\\\"nofollow\\\">行业资讯客户端</a>\",\"favorited\":false,\"truncated\":false,"
      "\"in_reply_to_status_id\":\"\",\"in_reply_to_user_id\":\"\","
      "\"in_reply_to_screen_name\":\"\",\"comments_count\":37,\"reposts_count\":152,"
      "\"likes_count\":9,\"s_url_type\":\"article\",\"user\":" +
      userJson(i);
  if (withRetweet)
    s += ",\"retweeted_status\":{\"created_at\":\"Fri Dec 06 22:15:00 +0800 2013\",\"id\":" +
         std::to_string(3652696578121342LL + i) +
         ",\"text\":\"风电新增并网容量达1023万千瓦%ef%bc%8c同比增长&dian;三成\","
         "\"source\":\"web\",\"thumbnail_pic\":\"http://ww2.img.example/thumbnail/" +
         id + ".jpg\",\"comments_count\":3,\"reposts_count\":12,\"user\":" + userJson(i + 1000) +
         "}";
  return s + "}";
}

// 200 statuses, every third a repost, with a sponsor and the page's cursors.
const std::string& feedReply() {
  static const std::string text = [] {
    std::string t =
        "{\"query_id\":77,\"previous_cursor\":3571203948102331,"
        "\"next_cursor\":3571198215559412,\"total_number\":1288,\"statuses\":[";
    for (int i = 0; i < 200; ++i) {
      if (i) t += ",";
      t += statusJson(i, i % 3 == 0);
    }
    t += "],\"SponsorDromel\":" + statusJson(999, false) + "}";
    return t;
  }();
  return text;
}

// One reading of the reply, and one page read into records, each freed before it returns: out of
// line, so that an instruction count (callgrind --toggle-collect) can take either by its name.
[[gnu::noinline]] void readReplyOnce(const std::string& text) {
  Value v = objectFromJSONString(text);
  benchmark::DoNotOptimize(v);
}
[[gnu::noinline]] size_t readPageOnce(const std::string& text) {
  auto page = ZizaJsonStatusParser::parseDicToNormalStatusesInfo(text);
  benchmark::DoNotOptimize(page);
  return page && page->statuses ? page->statuses->size() : 0;
}

void BM_JsonReaderOnly(benchmark::State& state) {
  const std::string& text = feedReply();
  for (auto _ : state) readReplyOnce(text);
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_JsonReaderOnly)->Unit(benchmark::kMicrosecond);

void BM_FeedPageToRecords(benchmark::State& state) {
  const std::string& text = feedReply();
  size_t count = 0;
  for (auto _ : state) count = readPageOnce(text);
  if (count != 201) state.SkipWithError("the page did not parse into 201 records");
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
  state.counters["records"] = double(count);
}
BENCHMARK(BM_FeedPageToRecords)->Unit(benchmark::kMicrosecond);

// Wall and this thread's CPU time, in seconds.
struct Stamp {
  double wall;
  double cpu;
  static Stamp now() {
    timespec cpu{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpu);
    return {
        std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count(),
        double(cpu.tv_sec) + double(cpu.tv_nsec) * 1e-9};
  }
};

double median(std::vector<double> v) {
  std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
  return v[v.size() / 2];
}

// The two above side by side in every iteration, in alternating order, so that a change of
// the machine's load between separate runs cannot sway their ratio: the counters are the
// ratios of the medians (page to records over the reading alone), wall and CPU.
void BM_FeedPageOverJsonReader(benchmark::State& state) {
  const std::string& text = feedReply();
  std::vector<double> readWall, readCpu, pageWall, pageCpu;
  bool readFirst = true;
  for (auto _ : state) {
    for (int turn = 0; turn < 2; ++turn) {
      const bool read = (turn == 0) == readFirst;
      const Stamp start = Stamp::now();
      if (read)
        readReplyOnce(text);
      else
        readPageOnce(text);
      const Stamp end = Stamp::now();
      (read ? readWall : pageWall).push_back(end.wall - start.wall);
      (read ? readCpu : pageCpu).push_back(end.cpu - start.cpu);
    }
    readFirst = !readFirst;
  }
  state.counters["wall_ratio"] = median(pageWall) / median(readWall);
  state.counters["cpu_ratio"] = median(pageCpu) / median(readCpu);
}
BENCHMARK(BM_FeedPageOverJsonReader)->Unit(benchmark::kMicrosecond)->MinTime(1.0);

}  // namespace

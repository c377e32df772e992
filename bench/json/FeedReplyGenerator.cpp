#include "json/FeedReplyGenerator.h"

#include <cstdio>
#include <string>
#include <string_view>

namespace {

// Small deterministic generator (the same sequence everywhere, unlike std:: distributions).
class Random {
 public:
  explicit Random(uint32_t seed) : state_(seed ? seed : 1) {}
  uint32_t next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
  }
  uint32_t below(uint32_t n) { return next() % n; }
  bool chance(uint32_t percent) { return below(100) < percent; }
  template <class T, size_t N>
  const T& pick(const T (&items)[N]) {
    return items[below(uint32_t(N))];
  }

 private:
  uint32_t state_;
};

constexpr std::string_view kPhrases[] = {
    "多晶硅价格本周回升至每吨16.5万元",
    "行业库存持续下降",
    "国家能源局发布前三季度新增装机数据",
    "分布式光伏占比明显提升",
    "风电新增并网容量达1023万千瓦，同比增长三成",
    "储能项目招标规模创新高",
    "上游硅料企业开工率维持在八成以上",
    "组件出口欧洲市场回暖",
    "电池片环节盈利能力分化",
    "地方补贴政策陆续落地",
    "逆变器厂商加快海外布局",
    "电网消纳能力成为关注焦点",
    "专家认为明年装机有望继续增长",
    "【快讯】",
    "（记者 王磊 报道）",
    "详见附件：",
};

constexpr std::string_view kSources[] = {"能源报", "行业资讯客户端", "光伏观察", "web", "财经日报"};
constexpr std::string_view kCities[] = {"上海 徐汇区", "北京 海淀区", "江苏 无锡", "浙江 杭州",
                                        "广东 深圳"};
constexpr std::string_view kNames[] = {"行业观察", "新能源前沿",  "光伏小编", "储能研究院",
                                       "风电周刊", "solar_daily", "电力圈"};

void appendQuoted(std::string& out, std::string_view text) {
  out += '"';
  out += text;
  out += '"';
}

void appendNumber(std::string& out, long long n) {
  out += std::to_string(n);
}

// Status text: Chinese phrases, now and then with the escapes real replies carry.
std::string statusText(Random& r) {
  std::string t;
  const int phrases = 3 + int(r.below(6));
  for (int i = 0; i < phrases; ++i) {
    t += r.pick(kPhrases);
    switch (r.below(8)) {
      case 0:
        t += "，";
        break;
      case 1:
        t += "。";
        break;
      case 2:
        t += "\\n";
        break;
      case 3:
        t += " \\\"数据\\\" ";
        break;
      case 4:
        t += " http:\\/\\/news.example.cn\\/" + std::to_string(r.below(100000)) + " ";
        break;
      case 5:
        t += "\\u3001";
        break;
      default:
        t += " ";
        break;
    }
  }
  if (r.chance(10)) t += " \\ud83d\\udcc8";
  return t;
}

void appendUser(std::string& out, Random& r, long long id) {
  out += "{\"id\":";
  appendNumber(out, id);
  out += ",\"idstr\":";
  appendQuoted(out, std::to_string(id));
  out += ",\"screen_name\":";
  const std::string_view name = r.pick(kNames);
  appendQuoted(out, std::string(name) + std::to_string(r.below(100)));
  out += ",\"name\":";
  appendQuoted(out, "industry" + std::to_string(id % 100000));
  out += ",\"provice\":\"31\",\"city\":\"1000\",\"location\":";
  appendQuoted(out, r.pick(kCities));
  out += ",\"description\":";
  appendQuoted(out, std::string(r.pick(kPhrases)) + "<br />每日行情\\r\\n与深度分析");
  out += ",\"url\":\"\",\"profile_image_url\":\"http:\\/\\/tp1.img.example\\/";
  appendNumber(out, id);
  out += "\\/50\\/1.jpg\",\"gender\":";
  appendQuoted(out, r.chance(50) ? "m" : "f");
  out += ",\"followers_count\":";
  appendNumber(out, r.below(2000000));
  out += ",\"friends_count\":";
  appendNumber(out, r.below(2000));
  out += ",\"statuses_count\":";
  appendNumber(out, r.below(50000));
  out += ",\"favourites_count\":";
  appendNumber(out, r.below(500));
  out += ",\"created_at\":\"Mon Mar 12 09:21:44 +0800 2012\",\"following\":";
  out += r.chance(30) ? "true" : "false";
  out += ",\"allow_all_act_msg\":false,\"geo_enabled\":true,\"verified\":";
  out += r.chance(40) ? "true" : "false";
  out += ",\"verified_reason\":";
  appendQuoted(out, r.chance(40) ? "新能源行业分析师" : "");
  out += "}";
}

void appendStatus(std::string& out, Random& r, long long id, bool allowRepost) {
  // One draw per statement: the order of function arguments is not fixed.
  const uint32_t day = 1 + r.below(28), hour = r.below(24);
  const uint32_t minute = r.below(60), second = r.below(60);
  char created[64];
  std::snprintf(created, sizeof created, "Sat Dec %02u %02u:%02u:%02u +0800 2013", day, hour,
                minute, second);
  out += "{\"created_at\":";
  appendQuoted(out, created);
  out += ",\"id\":";
  appendNumber(out, id);
  out += ",\"mid\":";
  appendQuoted(out, std::to_string(id));
  out += ",\"eid\":";
  appendNumber(out, 88000 + r.below(10000));
  out += ",\"text\":";
  appendQuoted(out, statusText(r));
  out += ",\"source\":\"<a href=\\\"http:\\/\\/app.example.cn\\/u\\/1\\\" rel=\\\"nofollow\\\">";
  out += r.pick(kSources);
  out +=
      "<\\/a>\",\"favorited\":false,\"truncated\":false,\"in_reply_to_status_id\":\"\","
      "\"in_reply_to_user_id\":\"\",\"in_reply_to_screen_name\":\"\"";
  if (r.chance(40)) {
    out += ",\"thumbnail_pic\":\"http:\\/\\/ww2.img.example\\/thumbnail\\/";
    appendNumber(out, id);
    out += ".jpg\",\"bmiddle_pic\":\"http:\\/\\/ww2.img.example\\/bmiddle\\/";
    appendNumber(out, id);
    out += ".jpg\"";
  }
  if (r.chance(15)) {
    const double latitude = 30.0 + r.below(1000000) / 1e6;
    const double longitude = 120.0 + r.below(1000000) / 1e6;
    char geo[96];
    std::snprintf(geo, sizeof geo, ",\"geo\":{\"type\":\"Point\",\"coordinates\":[%.6f,%.6f]}",
                  latitude, longitude);
    out += geo;
  } else {
    out += ",\"geo\":null";
  }
  out += ",\"comments_count\":";
  appendNumber(out, r.below(500));
  out += ",\"reposts_count\":";
  appendNumber(out, r.below(3000));
  out += ",\"attitudes_count\":";
  appendNumber(out, r.below(100));
  out += ",\"score\":";
  char score[32];
  std::snprintf(score, sizeof score, "%.3f", r.below(100000) / 1000.0);
  out += score;
  out += ",\"s_url_type\":";
  appendQuoted(out, r.chance(50) ? "article" : "status");
  out += ",\"user\":";
  appendUser(out, r, 1893458120LL + r.below(5000));
  if (allowRepost && r.chance(30)) {
    out += ",\"retweeted_status\":";
    appendStatus(out, r, id - 177540000000LL - r.below(100000), false);
  }
  out += "}";
}

}  // namespace

std::string makeFeedReply(int statuses, uint32_t seed) {
  Random r(seed);
  std::string out;
  out.reserve(size_t(statuses) * 2600 + 256);
  const long long firstId = 3652874118035870LL;
  out += "{\"statuses\":[";
  for (int i = 0; i < statuses; ++i) {
    if (i) out += ',';
    appendStatus(out, r, firstId - 1000LL * i - r.below(1000), true);
  }
  out += "],\"hasvisible\":false,\"previous_cursor\":0,\"next_cursor\":";
  appendNumber(out, firstId - 1000LL * statuses);
  out += ",\"total_number\":";
  appendNumber(out, statuses * 7);
  out += ",\"query_id\":\"q\"}";
  return out;
}

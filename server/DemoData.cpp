#include "server/DemoData.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <set>
#include <sstream>
#include <stdexcept>

#ifndef ZEPT_SERVER_DATA_DIR
#define ZEPT_SERVER_DATA_DIR "server/data"
#endif

namespace zept::server {

namespace {

constexpr int64_t kBeijingOffset = 8 * 3600;
// Platform status ids are large numbers of their own; the demo derives them from the eid.
constexpr int64_t kPlatformIdBase = 3589120000000000;
constexpr int64_t kCommentIdBase = 4000000000000000;

int64_t daysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void civilFromDays(int64_t z, int& y, unsigned& m, unsigned& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  y = static_cast<int>(static_cast<int64_t>(yoe) + era * 400 + (m <= 2));
}

Json readJSON(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw std::runtime_error(file.string() + ": cannot be read");
  std::stringstream ss;
  ss << in.rdbuf();
  try {
    return Json::parse(ss.str());
  } catch (const std::exception& e) {
    throw std::runtime_error(file.string() + ": " + e.what());
  }
}

[[noreturn]] void fail(const std::string& file, const std::string& what) {
  throw std::runtime_error(file + ": " + what);
}

int64_t requiredTime(const Json& j, const char* key, const std::string& file) {
  if (!j.contains(key) || !j[key].is_string()) fail(file, std::string("missing \"") + key + "\"");
  int64_t t = parseDemoTime(j[key].get<std::string>());
  if (t < 0) fail(file, "bad time " + j[key].get<std::string>());
  return t;
}

std::string sourceAnchor(const std::string& name) {
  return "<a href=\"http://app.ziza.example/\" rel=\"nofollow\">" + name + "</a>";
}

DemoStatus readStatus(const Json& j, const std::string& file, bool product) {
  DemoStatus s;
  try {
    s.eid = j.at("eid").get<int64_t>();
    s.id = kPlatformIdBase + s.eid;
    s.userId = j.at("user").get<int64_t>();
    s.time = requiredTime(j, "time", file);
    s.text = j.at("text").get<std::string>();
    s.picture = j.value("pic", "");
    s.source = j.value("source", "紫扎微博");
    s.reposts = j.value("reposts", 0);
    s.likes = j.value("likes", 0);
    s.retweetEid = j.value("retweet", int64_t{0});
    for (auto& c : j.value("channels", Json::array())) s.channels.push_back(c.get<std::string>());
    for (auto& t : j.value("topics", Json::array())) s.topics.push_back(t.get<int64_t>());
    s.area = j.value("area", int64_t{0});
    s.hot = j.value("hot", false);
    s.product = product;
  } catch (const Json::exception& e) {
    fail(file, "status " + j.dump() + ": " + e.what());
  }
  return s;
}

}  // namespace

int64_t parseDemoTime(std::string_view text) {
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
  std::string t(text);
  int n = std::sscanf(t.c_str(), "%4d-%2d-%2d %2d:%2d:%2d", &y, &mo, &d, &h, &mi, &s);
  if (n < 5 || mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || s > 59) return -1;
  return daysFromCivil(y, unsigned(mo), unsigned(d)) * 86400 + h * 3600 + mi * 60 + s -
         kBeijingOffset;
}

std::string formatDemoTime(int64_t seconds) {
  int64_t local = seconds + kBeijingOffset;
  int64_t days = local >= 0 ? local / 86400 : (local - 86399) / 86400;
  int64_t rest = local - days * 86400;
  int y;
  unsigned m, d;
  civilFromDays(days, y, m, d);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d-%02u-%02u %02d:%02d:%02d", y, m, d, int(rest / 3600),
                int(rest / 60 % 60), int(rest % 60));
  return buf;
}

std::string formatPlatformTime(int64_t seconds) {
  static constexpr const char* kDays[] = {"Thu", "Fri", "Sat", "Sun", "Mon", "Tue", "Wed"};
  static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  int64_t local = seconds + kBeijingOffset;
  int64_t days = local >= 0 ? local / 86400 : (local - 86399) / 86400;
  int64_t rest = local - days * 86400;
  int y;
  unsigned m, d;
  civilFromDays(days, y, m, d);
  int wd = static_cast<int>(((days % 7) + 7) % 7);
  char buf[48];
  std::snprintf(buf, sizeof buf, "%s %s %02u %02d:%02d:%02d +0800 %04d", kDays[wd], kMonths[m - 1],
                d, int(rest / 3600), int(rest / 60 % 60), int(rest % 60), y);
  return buf;
}

std::filesystem::path DemoData::defaultDataDir() {
  return ZEPT_SERVER_DATA_DIR;
}

DemoData::DemoData(const std::filesystem::path& dir) {
  // Users first: everything else refers to them.
  {
    std::string file = (dir / "users.json").string();
    Json users = readJSON(dir / "users.json");
    if (!users.is_array()) fail(file, "not an array");
    for (auto& u : users) {
      if (!u.is_object() || !u.contains("id") || !u["id"].is_number_integer())
        fail(file, "user without an id: " + u.dump());
      int64_t id = u["id"].get<int64_t>();
      if (userIndex_.count(id)) fail(file, "duplicate user " + std::to_string(id));
      userIndex_[id] = users_.size();
      users_.push_back(u);
    }
  }

  std::set<std::string> channelIds;
  {
    std::string file = (dir / "channels.json").string();
    Json list = readJSON(dir / "channels.json");
    if (!list.is_array()) fail(file, "not an array");
    for (auto& c : list) {
      DemoChannel ch;
      try {
        ch.id = c.at("ID").get<int>();
        ch.name = c.at("Name").get<std::string>();
        ch.templateName = c.at("TemplateId").get<std::string>();
        ch.listed = c.value("Listed", true);
        for (auto& s : c.value("subChannelIds", Json::array()))
          ch.subIds.push_back(s.get<std::string>());
      } catch (const Json::exception& e) {
        fail(file, "channel " + c.dump() + ": " + e.what());
      }
      if (!channelIds.insert(std::to_string(ch.id)).second)
        fail(file, "duplicate channel " + std::to_string(ch.id));
      for (auto& s : ch.subIds) {
        if (!channelIds.insert(s).second) fail(file, "duplicate channel id " + s);
      }
      ch.record = c;
      channels_.push_back(std::move(ch));
    }
  }

  auto checkUser = [&](int64_t id, const std::string& file, const std::string& where) {
    if (!userIndex_.count(id)) fail(file, where + ": unknown user " + std::to_string(id));
  };

  {
    std::string file = (dir / "statuses.json").string();
    Json list = readJSON(dir / "statuses.json");
    if (!list.is_array()) fail(file, "not an array");
    for (auto& j : list) {
      DemoStatus s = readStatus(j, file, false);
      checkUser(s.userId, file, "status " + std::to_string(s.eid));
      for (auto& c : s.channels) {
        if (!channelIds.count(c)) fail(file, "status " + std::to_string(s.eid) + ": channel " + c);
      }
      if (!statuses_.emplace(s.eid, s).second) fail(file, "duplicate eid " + std::to_string(s.eid));
    }
  }
  {
    std::string file = (dir / "products.json").string();
    Json list = readJSON(dir / "products.json");
    if (!list.is_array()) fail(file, "not an array");
    for (auto& j : list) {
      DemoStatus s = readStatus(j, file, true);
      checkUser(s.userId, file, "product " + std::to_string(s.eid));
      Json feedback = Json::array();
      for (auto& f : j.value("feedback", Json::array())) {
        int64_t t = requiredTime(f, "time", file);
        Json entry;
        entry["id"] = f.value("id", int64_t{0});
        entry["c_name"] = f.value("name", "");
        entry["c_imgurl"] = f.contains("pic") ? std::string(kBase) + "/pic/thumbnail/" +
                                                    f["pic"].get<std::string>() + ".jpg"
                                              : "";
        entry["c_add_dt"] = formatDemoTime(t).substr(0, 16);
        entry["c_text"] = f.value("text", "");
        entry["c_create_dt"] = formatPlatformTime(t);
        entry["c_verified"] = f.value("verified", false);
        feedback.push_back(entry);
      }
      productFeedback_[s.eid] = feedback;
      if (!statuses_.emplace(s.eid, s).second) fail(file, "duplicate eid " + std::to_string(s.eid));
    }
  }
  for (auto& [eid, s] : statuses_) {
    if (s.retweetEid && !statuses_.count(s.retweetEid))
      fail("statuses.json", "status " + std::to_string(eid) + " reposts an unknown status");
    eidByPlatformId_[s.id] = eid;
  }

  {
    std::string file = (dir / "comments.json").string();
    Json list = readJSON(dir / "comments.json");
    if (!list.is_array()) fail(file, "not an array");
    for (auto& j : list) {
      DemoComment c;
      try {
        c.id = kCommentIdBase + j.at("cid").get<int64_t>();
        c.statusEid = j.at("status").get<int64_t>();
        c.userId = j.at("user").get<int64_t>();
        c.text = j.at("text").get<std::string>();
        c.replyTo = j.contains("reply") ? kCommentIdBase + j["reply"].get<int64_t>() : 0;
      } catch (const Json::exception& e) {
        fail(file, "comment " + j.dump() + ": " + e.what());
      }
      c.time = requiredTime(j, "time", file);
      checkUser(c.userId, file, "comment");
      if (!statuses_.count(c.statusEid))
        fail(file, "comment on unknown status " + std::to_string(c.statusEid));
      if (!comments_.emplace(c.id, c).second) fail(file, "duplicate comment id");
    }
    for (auto& [id, c] : comments_) {
      if (c.replyTo && !comments_.count(c.replyTo)) fail(file, "reply to an unknown comment");
    }
  }

  {
    std::string file = (dir / "topics.json").string();
    Json list = readJSON(dir / "topics.json");
    if (!list.is_array()) fail(file, "not an array");
    for (auto& t : list) {
      if (!t.is_object() || !t.contains("Id")) fail(file, "topic without an Id");
      topics_.push_back(t);
    }
  }

  {
    std::string file = (dir / "articles.json").string();
    Json list = readJSON(dir / "articles.json");
    if (!list.is_array()) fail(file, "not an array");
    for (auto& j : list) {
      DemoArticle a;
      try {
        a.code = j.at("code").get<std::string>();
        a.title = j.at("title").get<std::string>();
        a.site = j.at("site").get<std::string>();
        a.author = j.value("author", "");
        a.summary = j.at("summary").get<std::string>();
        for (auto& p : j.at("paragraphs")) a.paragraphs.push_back(p.get<std::string>());
        a.picture = j.value("pic", "");
      } catch (const Json::exception& e) {
        fail(file, "article " + j.dump() + ": " + e.what());
      }
      a.time = requiredTime(j, "time", file);
      articles_.push_back(std::move(a));
    }
  }

  catalogue_ = readJSON(dir / "catalogue.json");
  misc_ = readJSON(dir / "misc.json");
  if (!catalogue_.is_object()) fail((dir / "catalogue.json").string(), "not an object");
  if (!misc_.is_object()) fail((dir / "misc.json").string(), "not an object");

  std::ifstream css(dir / "readability.css", std::ios::binary);
  if (!css) fail((dir / "readability.css").string(), "cannot be read");
  std::stringstream ss;
  ss << css.rdbuf();
  stylesheet_ = ss.str();
}

const DemoChannel* DemoData::channel(int id) const {
  for (auto& c : channels_) {
    if (c.id == id) return &c;
  }
  return nullptr;
}

namespace {

bool allDigits(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

std::optional<std::vector<const DemoStatus*>> DemoData::statusesForChannelId(
    std::string_view id) const {
  // The ids a status is listed under that make up the requested list.
  std::set<std::string> wanted;
  auto whole = [&](const DemoChannel& ch) {
    wanted.insert(std::to_string(ch.id));
    wanted.insert(ch.subIds.begin(), ch.subIds.end());
  };
  bool found = false;
  for (auto& ch : channels_) {
    if (std::to_string(ch.id) == id) {
      whole(ch);
      found = true;
    }
    for (auto& s : ch.subIds) {
      if (s == id) {
        wanted.insert(s);
        found = true;
      }
    }
  }
  if (!found && id.size() >= 2 && allDigits(id)) {
    std::string prefix(id.substr(0, id.size() - 1));
    int sub = id.back() - '0';
    for (auto& ch : channels_) {
      if (std::to_string(ch.id) != prefix) continue;
      if (sub >= 1 && static_cast<size_t>(sub) <= ch.subIds.size())
        wanted.insert(ch.subIds[sub - 1]);
      else
        whole(ch);
      found = true;
    }
  }
  if (!found) return std::nullopt;
  std::vector<const DemoStatus*> out;
  for (auto it = statuses_.rbegin(); it != statuses_.rend(); ++it) {
    for (auto& c : it->second.channels) {
      if (wanted.count(c)) {
        out.push_back(&it->second);
        break;
      }
    }
  }
  return out;
}

std::vector<const DemoStatus*> DemoData::allStatuses() const {
  std::vector<const DemoStatus*> out;
  for (auto it = statuses_.rbegin(); it != statuses_.rend(); ++it) {
    if (!it->second.product && !it->second.channels.empty()) out.push_back(&it->second);
  }
  return out;
}

std::vector<const DemoStatus*> DemoData::products() const {
  std::vector<const DemoStatus*> out;
  for (auto it = statuses_.rbegin(); it != statuses_.rend(); ++it) {
    if (it->second.product) out.push_back(&it->second);
  }
  return out;
}

const DemoStatus* DemoData::statusByEid(int64_t eid) const {
  auto it = statuses_.find(eid);
  return it == statuses_.end() ? nullptr : &it->second;
}

const DemoStatus* DemoData::findStatus(int64_t anyId) const {
  auto p = eidByPlatformId_.find(anyId);
  if (p != eidByPlatformId_.end()) return statusByEid(p->second);
  return statusByEid(anyId);
}

const Json* DemoData::user(int64_t id) const {
  auto it = userIndex_.find(id);
  return it == userIndex_.end() ? nullptr : &users_[it->second];
}

std::vector<const DemoComment*> DemoData::comments(int64_t statusEid) const {
  std::vector<const DemoComment*> out;
  for (auto it = comments_.rbegin(); it != comments_.rend(); ++it) {
    if (it->second.statusEid == statusEid) out.push_back(&it->second);
  }
  return out;
}

const DemoComment* DemoData::comment(int64_t id) const {
  auto it = comments_.find(id);
  return it == comments_.end() ? nullptr : &it->second;
}

int DemoData::commentCount(int64_t statusEid) const {
  int n = 0;
  for (auto& [id, c] : comments_) n += c.statusEid == statusEid;
  return n;
}

std::vector<const DemoStatus*> DemoData::topicStatuses(int64_t topicId) const {
  std::vector<const DemoStatus*> out;
  for (auto it = statuses_.rbegin(); it != statuses_.rend(); ++it) {
    auto& t = it->second.topics;
    if (std::find(t.begin(), t.end(), topicId) != t.end()) out.push_back(&it->second);
  }
  return out;
}

const DemoArticle* DemoData::article(std::string_view code) const {
  for (auto& a : articles_) {
    if (a.code == code) return &a;
  }
  return nullptr;
}

const Json& DemoData::productFeedback(int64_t productEid) const {
  static const Json kEmpty = Json::array();
  auto it = productFeedback_.find(productEid);
  return it == productFeedback_.end() ? kEmpty : it->second;
}

std::string DemoData::stamp(const std::vector<const DemoStatus*>& list) {
  int64_t newest = -1;
  for (auto* s : list) newest = std::max(newest, s->time);
  return newest < 0 ? std::string() : formatDemoTime(newest);
}

// ---- what clients post ------------------------------------------------------------------------

namespace {

int64_t nowSeconds() {
  return static_cast<int64_t>(std::time(nullptr));
}

}  // namespace

const DemoStatus& DemoData::addStatus(DemoStatus status) {
  status.eid = statuses_.empty() ? 1 : statuses_.rbegin()->first + 1;
  status.id = kPlatformIdBase + status.eid;
  if (status.time == 0) status.time = nowSeconds();
  if (status.source.empty()) status.source = "紫扎微博";
  eidByPlatformId_[status.id] = status.eid;
  return statuses_.emplace(status.eid, std::move(status)).first->second;
}

bool DemoData::removeStatus(int64_t eid) {
  auto it = statuses_.find(eid);
  if (it == statuses_.end()) return false;
  eidByPlatformId_.erase(it->second.id);
  std::erase_if(comments_, [&](const auto& entry) { return entry.second.statusEid == eid; });
  statuses_.erase(it);
  return true;
}

void DemoData::countRepost(int64_t eid) {
  if (auto it = statuses_.find(eid); it != statuses_.end()) ++it->second.reposts;
}

void DemoData::countLike(int64_t eid, int change) {
  if (auto it = statuses_.find(eid); it != statuses_.end())
    it->second.likes = std::max(0, it->second.likes + change);
}

const DemoComment& DemoData::addComment(DemoComment comment) {
  comment.id = comments_.empty() ? kCommentIdBase + 1 : comments_.rbegin()->first + 1;
  if (comment.time == 0) comment.time = nowSeconds();
  return comments_.emplace(comment.id, std::move(comment)).first->second;
}

void DemoData::addUser(int64_t id) {
  if (userIndex_.count(id)) return;
  std::string name = "微博用户" + std::to_string(id);
  userIndex_[id] = users_.size();
  users_.push_back({{"id", id}, {"name", name}, {"screen_name", name}});
}

void DemoData::addProductFeedback(int64_t productEid, Json entry) {
  Json& list = productFeedback_[productEid];
  if (!list.is_array()) list = Json::array();
  list.insert(list.begin(), std::move(entry));
}

Json DemoData::addSeminarPost(Json post) {
  Json& posts = catalogue_["seminarPosts"];
  if (!posts.is_array()) posts = Json::array();
  int64_t next = 1;
  for (auto& p : posts) next = std::max(next, p.value("Id", int64_t{0}) + 1);
  post["Id"] = next;
  posts.push_back(post);
  return post;
}

Json DemoData::userJSON(int64_t id) const {
  const Json* u = user(id);
  if (!u) return Json();
  Json out;
  out["id"] = id;
  out["name"] = u->value("name", "");
  out["screen_name"] = u->value("screen_name", u->value("name", ""));
  out["provice"] = u->value("provice", "");  // the platform's own spelling
  out["city"] = u->value("city", "");
  out["location"] = u->value("location", "");
  out["description"] = u->value("description", "");
  out["profile_image_url"] = std::string(kBase) + "/avatar/" + std::to_string(id) + ".png";
  out["gender"] = u->value("gender", "n");
  out["followers_count"] = u->value("followers_count", 0);
  out["friends_count"] = u->value("friends_count", 0);
  out["statuses_count"] = u->value("statuses_count", 0);
  out["favourites_count"] = u->value("favourites_count", 0);
  out["following"] = false;
  out["verified"] = u->value("verified", false);
  return out;
}

Json DemoData::statusJSON(const DemoStatus& s, bool withRetweet) const {
  Json out;
  out["id"] = s.id;
  out["eid"] = s.eid;
  out["created_at"] = formatPlatformTime(s.time);
  out["text"] = s.text;
  out["source"] = sourceAnchor(s.source);
  out["favorited"] = false;
  out["truncated"] = false;
  if (!s.picture.empty()) {
    // A picture named with ".gif" is the animated form; others are JPEG photos.
    bool animated = s.picture.size() > 4 && s.picture.substr(s.picture.size() - 4) == ".gif";
    std::string tail = "/" + s.picture + (animated ? "" : ".jpg");
    out["thumbnail_pic"] = std::string(kBase) + "/pic/thumbnail" + tail;
    out["bmiddle_pic"] = std::string(kBase) + "/pic/bmiddle" + tail;
    out["original_pic"] = std::string(kBase) + "/pic/large" + tail;
  }
  out["comments_count"] = commentCount(s.eid);
  out["reposts_count"] = s.reposts;
  out["likes_count"] = s.likes;
  out["user"] = userJSON(s.userId);
  if (withRetweet && s.retweetEid) {
    if (const DemoStatus* r = statusByEid(s.retweetEid))
      out["retweeted_status"] = statusJSON(*r, false);
  }
  return out;
}

Json DemoData::commentJSON(const DemoComment& c, bool withReply) const {
  Json out;
  out["id"] = c.id;
  out["created_at"] = formatPlatformTime(c.time);
  out["text"] = c.text;
  out["source"] = sourceAnchor("紫扎微博");
  out["user"] = userJSON(c.userId);
  if (withReply && c.replyTo) {
    if (const DemoComment* r = comment(c.replyTo)) out["reply_comment"] = commentJSON(*r, false);
  }
  return out;
}

}  // namespace zept::server

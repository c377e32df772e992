// What clients write: statuses, reposts, comments, favourites and likes, product feedback,
// seminar posts and follows, shares, trial requests and records, the profile wizard's choices
// and the reader's location; and the advert and wizard lists that go with them.  Everything a
// later read shows is kept in the demo data or in the reader's activity.
#include <algorithm>
#include <cmath>
#include <ctime>
#include <limits>

#include "server/ContentService.h"
#include "server/ServiceReplies.h"

namespace zept::server {

namespace {

// The microblog platform's code for a status that is gone; the content host answers posts
// about such a status with it too.
constexpr int kStatusGone = 20101;
constexpr const char* kStatusGoneMessage = "该微博已被作者删除";
// The platform's code for a comment that is gone.
constexpr int kCommentGone = 20204;

// A platform error reply, as the comment endpoints answer in the platform's own dialect.
ServerReply platformError(const RecordedRequest& r, int code, std::string_view error) {
  return jsonReply({{"request", r.path}, {"error_code", code}, {"error", error}});
}

ServerReply statusGone() {
  Json j = envelope(false, kStatusGoneMessage);
  j["ResultCode"] = kStatusGone;
  return jsonReply(j);
}

ServerReply done(std::string_view message, Json object = nullptr) {
  Json j = envelope(true, message);
  if (!object.is_null()) j["ResultObj"] = std::move(object);
  return jsonReply(j);
}

constexpr const char* kBindFirst = "请先绑定微博账号";

// The status a write names under the key: nothing with a refusal when the key is missing or the
// status is gone.
struct NamedStatus {
  const DemoStatus* status = nullptr;
  ServerReply refusal;
};

NamedStatus namedStatus(const DemoData& data, const RecordedRequest& r,
                        std::string_view key = "blog_id") {
  std::string id = r.paramOr(key);
  if (id.empty()) return {nullptr, failure(missing(key))};
  const DemoStatus* s = data.findStatus(integerOf(id));
  if (!s) return {nullptr, statusGone()};
  return {s, {}};
}

// The lists of the demo data's "misc.json" that go with writing: adverts and the wizard.
const Json& section(const Json& misc, const char* key) {
  static const Json kNone = Json::object();
  auto it = misc.find(key);
  return it == misc.end() || !it->is_object() ? kNone : *it;
}

}  // namespace

// ---- who writes -------------------------------------------------------------------------------

std::string ContentService::posterOf(const RecordedRequest& r) {
  std::string uid = r.paramOr("u_id");
  if (uid.empty()) {
    if (auto c = clients_.find(r.paramOr("keys"))) uid = c->boundUid;
  }
  if (integerOf(uid) <= 0) return {};
  data_.addUser(integerOf(uid));
  return uid;
}

std::string ContentService::ownerOf(const RecordedRequest& r) const {
  std::string uid = r.paramOr("u_id");
  if (!uid.empty()) return "u:" + uid;
  std::string key = r.paramOr("keys");
  if (auto c = clients_.find(key); c && !c->boundUid.empty()) return "u:" + c->boundUid;
  return "k:" + key;
}

ContentService::Activity& ContentService::activityOf(const RecordedRequest& r) {
  return activity_[ownerOf(r)];
}

const ContentService::Activity* ContentService::findActivity(const RecordedRequest& r) const {
  auto it = activity_.find(ownerOf(r));
  return it == activity_.end() ? nullptr : &it->second;
}

std::vector<std::string> ContentService::postChannels() const {
  // Readers' posts go on the status wall.
  for (auto& ch : data_.channels()) {
    if (ch.templateName == "FansStatusWall") return {std::to_string(ch.id)};
  }
  return {};
}

// ---- statuses ---------------------------------------------------------------------------------

ServerReply ContentService::postStatus(const RecordedRequest& r) {
  return acceptPost(r, {});
}

ServerReply ContentService::postImageStatus(const RecordedRequest& r) {
  const RecordedRequest::FilePart* picture = r.file("imgfile");
  if (!picture || picture->content.empty()) return failure(missing("imgfile"));
  return acceptPost(r, picture->content);
}

ServerReply ContentService::acceptPost(const RecordedRequest& r, std::string picture) {
  std::string uid = posterOf(r);
  if (uid.empty()) return failure(kBindFirst);
  std::string content = r.paramOr("content");
  if (content.empty()) return failure(missing("content"));
  DemoStatus status;
  status.userId = integerOf(uid);
  status.text = content;
  status.channels = postChannels();
  status.area = integerOf(r.paramOr("group_id"));
  if (!picture.empty()) {
    status.picture = "upload" + std::to_string(uploadedPictures_.size() + 1);
    uploadedPictures_[status.picture] = picture;
  }
  const DemoStatus& posted = data_.addStatus(std::move(status));
  {
    std::lock_guard<std::mutex> lock(mutex_);
    postedStatuses_.push_back({r.paramOr("keys"), uid, content, std::move(picture), posted.id});
  }
  return done("发布成功", {{"id", posted.id}, {"eid", posted.eid}});
}

std::vector<PostedStatus> ContentService::postedStatuses() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return postedStatuses_;
}

ServerReply ContentService::subscribe(const RecordedRequest& r) {
  if (!r.param("channel_ids")) return failure(missing("channel_ids"));
  return done("订阅已保存");
}

ServerReply ContentService::addFavourite(const RecordedRequest& r) {
  auto [s, refusal] = namedStatus(data_, r);
  if (!s) return refusal;
  auto& favourites = activityOf(r).favourites;
  if (std::find(favourites.begin(), favourites.end(), s->eid) == favourites.end())
    favourites.push_back(s->eid);
  return done("收藏成功");
}

ServerReply ContentService::removeFavourite(const RecordedRequest& r) {
  auto [s, refusal] = namedStatus(data_, r);
  if (!s) return refusal;
  std::erase(activityOf(r).favourites, s->eid);
  return done("已取消收藏");
}

ServerReply ContentService::destroyStatus(const RecordedRequest& r) {
  auto [s, refusal] = namedStatus(data_, r);
  if (!s) return refusal;
  std::string uid = posterOf(r);
  if (uid.empty()) return failure(kBindFirst);
  if (s->userId != integerOf(uid)) return failure("只能删除自己发布的微博");
  data_.removeStatus(s->eid);
  return done("删除成功");
}

ServerReply ContentService::repost(const RecordedRequest& r) {
  return repostStatus(r, lowercaseASCII(r.path).starts_with("/dialog/"));
}

ServerReply ContentService::repostStatus(const RecordedRequest& r, bool seminar) {
  if (!r.param("blog_id")) return failure(missing("blog_id"));
  std::string uid = posterOf(r);
  if (uid.empty()) return failure(kBindFirst);
  auto [original, refusal] = namedStatus(data_, r);
  if (!original) return refusal;
  // A repost of a repost shows the first status, as the platform does.
  int64_t root = original->retweetEid ? original->retweetEid : original->eid;
  int64_t originalEid = original->eid;
  std::string content = r.paramOr("content");
  DemoStatus status;
  status.userId = integerOf(uid);
  status.text = content;
  status.retweetEid = root;
  // A seminar repost goes to the platform only.
  if (!seminar) status.channels = postChannels();
  status.area = integerOf(r.paramOr("group_id"));
  const DemoStatus& posted = data_.addStatus(std::move(status));
  data_.countRepost(originalEid);
  if (r.paramOr("is_comment") == "1" && !content.empty()) {
    DemoComment c;
    c.statusEid = originalEid;
    c.userId = integerOf(uid);
    c.text = content;
    data_.addComment(std::move(c));
  }
  return done("转发成功", data_.statusJSON(posted));
}

// A comment, or with "cid" a reply to a comment, answered in the platform's dialect: the new
// comment, or the platform's error.
ServerReply ContentService::comment(const RecordedRequest& r) {
  std::string blog = r.paramOr("blog_id"), content = r.paramOr("content");
  if (blog.empty()) return failure(missing("blog_id"));
  if (content.empty()) return failure(missing("content"));
  std::string uid = posterOf(r);
  if (uid.empty()) return failure(kBindFirst);
  const DemoStatus* s = data_.findStatus(integerOf(blog));
  if (!s) return platformError(r, kStatusGone, "target weibo does not exist!");
  DemoComment c;
  c.statusEid = s->eid;
  c.userId = integerOf(uid);
  c.text = content;
  if (auto cid = r.param("cid")) {
    const DemoComment* answered = data_.comment(integerOf(*cid));
    if (!answered || answered->statusEid != s->eid)
      return platformError(r, kCommentGone, "target weibo comment does not exist!");
    c.replyTo = answered->id;
  }
  const DemoComment& added = data_.addComment(std::move(c));
  Json j = data_.commentJSON(added);
  j["status"] = data_.statusJSON(*s, false);
  return jsonReply(j);
}

ServerReply ContentService::share(const RecordedRequest& r) {
  if (posterOf(r).empty()) return failure(kBindFirst);
  if (auto product = r.param("pro_id")) {
    const DemoStatus* p = data_.findStatus(integerOf(*product));
    if (!p || !p->product) return failure("产品不存在: " + *product);
  } else if (r.paramOr("later_url").empty()) {
    return failure(missing("later_url"));
  }
  return done("分享成功");
}

// ---- products ---------------------------------------------------------------------------------

ServerReply ContentService::postProductFeedback(const RecordedRequest& r) {
  std::string id = r.paramOr("product_id"), content = r.paramOr("content");
  if (id.empty()) return failure(missing("product_id"));
  if (content.empty()) return failure(missing("content"));
  const DemoStatus* p = data_.findStatus(integerOf(id));
  if (!p || !p->product) return failure("产品不存在: " + id);
  int64_t uid = integerOf(r.paramOr("u_id"));
  const Json* user = uid > 0 ? data_.user(uid) : nullptr;
  int64_t now = static_cast<int64_t>(std::time(nullptr));
  Json entry;
  entry["id"] = static_cast<int64_t>(data_.productFeedback(p->eid).size()) + 1;
  entry["c_name"] = user ? user->value("screen_name", user->value("name", "")) : "匿名用户";
  entry["c_imgurl"] = "";
  entry["c_add_dt"] = formatDemoTime(now).substr(0, 16);
  entry["c_text"] = content;
  entry["c_create_dt"] = formatPlatformTime(now);
  entry["c_verified"] = false;
  data_.addProductFeedback(p->eid, std::move(entry));
  return done("感谢您的反馈");
}

namespace {

const DemoStatus* productOf(const DemoData& data, const RecordedRequest& r) {
  const DemoStatus* p = data.findStatus(integerOf(r.paramOr("pro_id")));
  return p && p->product ? p : nullptr;
}

}  // namespace

ServerReply ContentService::like(const RecordedRequest& r) {
  auto [s, refusal] = namedStatus(data_, r);
  if (!s) return refusal;
  // One like per reader.
  if (activityOf(r).likedStatuses.insert(s->eid).second) data_.countLike(s->eid, 1);
  return done("已赞", {{"id", s->eid}, {"likes", s->likes}});
}

ServerReply ContentService::likeProduct(const RecordedRequest& r) {
  const DemoStatus* p = productOf(data_, r);
  if (!p) return failure("产品不存在: " + r.paramOr("pro_id"));
  auto& liked = activityOf(r).likedProducts;
  if (std::find(liked.begin(), liked.end(), p->eid) == liked.end()) {
    liked.push_back(p->eid);
    data_.countLike(p->eid, 1);
  }
  return done("已喜欢", {{"id", p->eid}, {"likes", p->likes}});
}

ServerReply ContentService::unlikeProduct(const RecordedRequest& r) {
  const DemoStatus* p = productOf(data_, r);
  if (!p) return failure("产品不存在: " + r.paramOr("pro_id"));
  auto& liked = activityOf(r).likedProducts;
  if (std::erase(liked, p->eid) > 0) data_.countLike(p->eid, -1);
  return done("已取消喜欢", {{"id", p->eid}, {"likes", p->likes}});
}

ServerReply ContentService::trialProduct(const RecordedRequest& r) {
  if (!productOf(data_, r)) return failure("产品不存在: " + r.paramOr("pro_id"));
  if (r.paramOr("tel").empty()) return failure(missing("tel"));
  return done("申请已提交");
}

ServerReply ContentService::followService(const RecordedRequest&) {
  return done("关注成功");
}

ServerReply ContentService::itemClick(const RecordedRequest& r) {
  if (r.paramOr("id").empty()) return failure(missing("id"));
  return done("");
}

// The area group nearest to the reader, which the area timeline lists.
ServerReply ContentService::locate(const RecordedRequest& r) {
  auto lon = r.param("lon"), lat = r.param("lat");
  if (!lon) return failure(missing("lon"));
  if (!lat) return failure(missing("lat"));
  double x = std::atof(lon->c_str()), y = std::atof(lat->c_str());
  const Json areas = data_.misc().value("areas", Json::array());
  const Json* nearest = nullptr;
  double best = std::numeric_limits<double>::infinity();
  for (auto& area : areas) {
    double d = std::hypot(area.value("lon", 0.0) - x, area.value("lat", 0.0) - y);
    if (d < best) {
      best = d;
      nearest = &area;
    }
  }
  if (!nearest) return failure("无法定位");
  return done("",
              {{"group_id", nearest->value("id", 0)}, {"group_name", nearest->value("name", "")}});
}

// ---- seminars ---------------------------------------------------------------------------------

namespace {

bool seminarExists(const DemoData& data, int64_t eventId) {
  for (auto& s : data.catalogue().value("seminars", Json::array())) {
    if (s.value("Id", int64_t{0}) == eventId) return true;
  }
  return false;
}

}  // namespace

ServerReply ContentService::seminarPost(const RecordedRequest& r) {
  std::string event = r.paramOr("event_id"), content = r.paramOr("content");
  if (event.empty()) return failure(missing("event_id"));
  if (content.empty()) return failure(missing("content"));
  if (!seminarExists(data_, integerOf(event))) return failure("研讨不存在: " + event);
  std::string uid = posterOf(r);
  if (uid.empty()) return failure(kBindFirst);
  DemoStatus status;
  status.userId = integerOf(uid);
  status.text = content;
  const DemoStatus& posted = data_.addStatus(std::move(status));
  Json post = data_.addSeminarPost({{"event", integerOf(event)},
                                    {"status", posted.eid},
                                    {"type", integerOf(r.paramOr("type", "1"))},
                                    {"postType", 1}});
  return done("发送成功", {{"Id", post["Id"]}, {"c_ziza_blog_Id", posted.id}});
}

ServerReply ContentService::seminarComment(const RecordedRequest& r) {
  std::string content = r.paramOr("content");
  if (content.empty()) return failure(missing("content"));
  std::string uid = posterOf(r);
  if (uid.empty()) return failure(kBindFirst);
  auto [s, refusal] = namedStatus(data_, r);
  if (!s) return refusal;
  DemoComment c;
  c.statusEid = s->eid;
  c.userId = integerOf(uid);
  c.text = content;
  const DemoComment& added = data_.addComment(std::move(c));
  return done("评论成功", data_.commentJSON(added));
}

ServerReply ContentService::watchSeminarPost(const RecordedRequest& r) {
  std::string event = r.paramOr("event_id");
  if (event.empty()) return failure(missing("event_id"));
  if (r.paramOr("u_id").empty()) return failure(missing("u_id"));
  auto [s, refusal] = namedStatus(data_, r, "ziza_blog_id");
  if (!s) return refusal;
  Json& watches = activityOf(r).watches;
  for (auto& w : watches) {
    if (w.value("c_ziza_blog_Id", int64_t{0}) == s->id) return done("已关注", w);
  }
  int64_t next = 1;
  for (auto& [owner, a] : activity_) {
    for (auto& w : a.watches) next = std::max(next, w.value("c_id", int64_t{0}) + 1);
  }
  Json entry = {{"c_id", next},
                {"Id", next},
                {"c_event_id", integerOf(event)},
                {"c_ziza_Id", s->userId},
                {"c_ziza_blog_Id", s->id}};
  watches.push_back(entry);
  return done("关注成功", entry);
}

ServerReply ContentService::unwatchSeminarPost(const RecordedRequest& r) {
  std::string id = r.paramOr("id");
  if (id.empty()) return failure(missing("id"));
  Json& watches = activityOf(r).watches;
  for (auto it = watches.begin(); it != watches.end(); ++it) {
    if (it->value("c_id", int64_t{0}) == integerOf(id)) {
      watches.erase(it);
      return done("已取消关注");
    }
  }
  return failure("未关注该问题");
}

ServerReply ContentService::seminarRegistration(const RecordedRequest& r) {
  std::string event = r.paramOr("event_id");
  if (event.empty()) return failure(missing("event_id"));
  if (!seminarExists(data_, integerOf(event))) return failure("研讨不存在: " + event);
  if (r.paramOr("email").empty() && r.paramOr("u_id").empty()) return failure("请留下联系方式");
  return done("预约成功");
}

ServerReply ContentService::seminarBanners(const RecordedRequest&) {
  return jsonReply(data_.catalogue().value("seminarBanners", Json::array()));
}

// ---- the profile wizard -----------------------------------------------------------------------

// The choices go with the channel list the app then shows.
ServerReply ContentService::saveIndustryProfile(const RecordedRequest& r) {
  if (r.paramOr("industrySector").empty() && r.paramOr("jobtitle").empty() &&
      r.paramOr("businesstype").empty())
    return failure("请选择您的行业");
  return channelList(r);
}

ServerReply ContentService::registerProfile(const RecordedRequest& r) {
  if (r.paramOr("interest").empty()) return failure(missing("interest"));
  return channelList(r);
}

ServerReply ContentService::saveGuideStep(const RecordedRequest& r) {
  if (!r.param("profile")) return failure(missing("profile"));
  if (r.paramOr("type").empty()) return failure(missing("type"));
  return done("保存成功");
}

ServerReply ContentService::saveProfileChoice(const RecordedRequest& r) {
  if (r.paramOr("profileId").empty() && r.paramOr("interest").empty())
    return failure(missing("profileId"));
  return done("保存成功");
}

ServerReply ContentService::profileOptions(const RecordedRequest&) {
  Json options = section(data_.misc(), "profile");
  options["enable"] = true;
  return jsonReply(options);
}

// The questionnaire: the industries first, then the job titles.
ServerReply ContentService::guideStep(const RecordedRequest& r) {
  const Json& profile = section(data_.misc(), "profile");
  bool job = r.paramOr("type") == "job";
  Json step;
  step["enable"] = true;
  step["type"] = job ? "job" : "industry";
  step["hasnext"] = !job;
  step["nexttype"] = job ? "none" : "job";
  const char* list = job ? "jobtitlelist" : "industrysectorlist";
  step[list] = profile.value(list, Json::array());
  return jsonReply(step);
}

// ---- adverts ----------------------------------------------------------------------------------

namespace {

// The adverts of a list without those the reader closed.
Json withoutHidden(const Json& adverts, const std::set<int64_t>* hidden) {
  Json out = Json::array();
  for (auto& ad : adverts) {
    if (!hidden || !hidden->count(ad.value("c_id", int64_t{0}))) out.push_back(ad);
  }
  return out;
}

}  // namespace

Json ContentService::itemAdvertOf(const RecordedRequest& r) const {
  const Activity* a = findActivity(r);
  Json item = withoutHidden(section(data_.misc(), "adverts").value("item", Json::array()),
                            a ? &a->hiddenAdverts : nullptr);
  return item.empty() ? Json::object() : item.front();
}

ServerReply ContentService::itemAdvert(const RecordedRequest& r) {
  return jsonReply(itemAdvertOf(r));
}

ServerReply ContentService::channelAdverts(const RecordedRequest& r) {
  std::string channel = r.paramOr("channelid");
  if (channel.empty()) return failure(missing("channelid"));
  const Json& channels = section(data_.misc(), "adverts").value("channels", Json::object());
  const Activity* a = findActivity(r);
  return jsonReply(
      withoutHidden(channels.value(channel, Json::array()), a ? &a->hiddenAdverts : nullptr));
}

ServerReply ContentService::bannerList(const RecordedRequest&) {
  return jsonReply(section(data_.misc(), "adverts").value("banners", Json::array()));
}

ServerReply ContentService::hideAdvert(const RecordedRequest& r) {
  std::string id = r.paramOr("id");
  if (id.empty()) return failure(missing("id"));
  activityOf(r).hiddenAdverts.insert(integerOf(id));
  return done("");
}

ServerReply ContentService::showAdvert(const RecordedRequest& r) {
  // One id, or a list that begins with a comma.
  if (split(r.paramOr("id"), ",").empty()) return failure(missing("id"));
  return done("");
}

}  // namespace zept::server

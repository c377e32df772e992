#include "server/ContentService.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <ctime>
#include <set>

#include "server/ServerCipher.h"
#include "server/ServiceReplies.h"

namespace zept::server {

int64_t integerOf(std::string_view s) {
  std::string t(s);
  return std::strtoll(t.c_str(), nullptr, 10);
}

std::vector<std::string> split(std::string_view s, std::string_view separators) {
  std::vector<std::string> out;
  std::string cur;
  for (char c : s) {
    if (separators.find(c) != std::string_view::npos) {
      if (!cur.empty()) out.push_back(cur);
      cur.clear();
    } else if (c != ' ') {
      cur += c;
    }
  }
  if (!cur.empty()) out.push_back(cur);
  return out;
}

Json envelope(bool ok, std::string_view message) {
  Json j;
  j["ResultBoolean"] = ok;
  j["ResultCode"] = ok ? 0 : 1;
  j["ResultMsg"] = message;
  return j;
}

ServerReply jsonReply(const Json& j, int status) {
  ServerReply r;
  r.status = status;
  r.body = j.dump(-1, ' ', false, Json::error_handler_t::replace);
  return r;
}

ServerReply failure(std::string_view message) {
  return jsonReply(envelope(false, message));
}

ServerReply logReply(bool ok, std::string_view path, std::string_view error) {
  Json j;
  j["Result"] = ok;
  j["ErrorCode"] = ok ? 0 : 1;
  j["Error"] = error;
  j["Request"] = path;
  return jsonReply(j);
}

ServerReply textReply(int status, std::string contentType, std::string body) {
  ServerReply r;
  r.status = status;
  r.contentType = std::move(contentType);
  r.body = std::move(body);
  return r;
}

std::string missing(std::string_view name) {
  return "缺少参数: " + std::string(name);
}

namespace {

// One page of every list is 20 items, as the app's list screens and caches count.
constexpr size_t kPageSize = 20;

bool containsIgnoringCase(std::string_view hay, std::string_view needle) {
  return lowercaseASCII(hay).find(lowercaseASCII(needle)) != std::string::npos;
}

std::string replaceAll(std::string s, std::string_view from, std::string_view to) {
  size_t pos = 0;
  while ((pos = s.find(from, pos)) != std::string::npos) {
    s.replace(pos, from.size(), to);
    pos += to.size();
  }
  return s;
}

ServerReply notFound() {
  return textReply(404, "text/plain; charset=utf-8", "not found");
}

ServerReply redirect(std::string location) {
  ServerReply r = textReply(302, "text/html; charset=utf-8", "");
  r.headers.emplace_back("Location", std::move(location));
  return r;
}

bool isShortCode(std::string_view s) {
  if (s.size() < 5 || s.size() > 8) return false;
  return std::all_of(s.begin(), s.end(),
                     [](char c) { return std::isalnum(static_cast<unsigned char>(c)); });
}

bool isPlainName(std::string_view s) {
  if (s.empty() || s.size() > 64) return false;
  return std::all_of(s.begin(), s.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-';
  });
}

// The article code of a short link, of an original page address or of a bare code.
std::string articleCodeOf(std::string_view link) {
  std::string s(link);
  size_t q = s.find_first_of("?#");
  if (q != std::string::npos) s.resize(q);
  while (!s.empty() && s.back() == '/') s.pop_back();
  size_t slash = s.rfind('/');
  if (slash != std::string::npos) s = s.substr(slash + 1);
  if (s.size() > 5 && s.compare(s.size() - 5, 5, ".html") == 0) s.resize(s.size() - 5);
  return s;
}

// Parses an HTTP date ("Mon, 3 Jun 2013 00:00:00 GMT"); -1 when it does not read.
int64_t parseHTTPDate(const std::string& text) {
  std::tm tm{};
  const char* end = strptime(text.c_str(), "%a, %d %b %Y %H:%M:%S", &tm);
  if (!end) return -1;
  return timegm(&tm);
}

// A member of a data object, or an empty array when it has none.
const Json& member(const Json& object, const char* key) {
  static const Json kEmpty = Json::array();
  auto it = object.find(key);
  return it == object.end() ? kEmpty : *it;
}

// The stylesheet never changes within a release of the demo data.
constexpr const char* kStylesheetDate = "Mon, 03 Jun 2013 00:00:00 GMT";

}  // namespace

std::string LogUpload::field(std::string_view name) const {
  for (auto& [k, v] : fields) {
    if (k == name) return v;
  }
  return {};
}

ContentService::ContentService(std::filesystem::path dataDir, std::filesystem::path clientsFile)
    : data_(dataDir), clients_(std::move(clientsFile)) {
  using C = ContentService;
  const Dialect content = Dialect::Content, log = Dialect::Log;
  const Effect writes = Effect::Writes;
  routes_ = {
      // Account host.
      {"/accounts/register.aspx", {Access::Std, content, &C::registerClient}},
      {"/accounts/login.aspx", {Access::Keyed, content, &C::login}},
      {"/accounts/session.aspx", {Access::Keyed, content, &C::session}},
      {"/accounts/enablepush.aspx", {Access::Client, content, &C::enablePush}},
      {"/accounts/bind.aspx", {Access::Client, content, &C::bind}},
      {"/appupdate.aspx", {Access::Keyed, content, &C::appUpdate}},
      // The app store's lookup service, which the app's update check asks.
      {"/lookup", {Access::Open, content, &C::appStoreLookup}},
      // Status lists.
      {"/channels/channel.aspx", {Access::Keyed, content, &C::channelPage}},
      {"/channels/channelv2.aspx", {Access::Keyed, content, &C::channelPage}},
      {"/channels/feedv2.aspx", {Access::Keyed, content, &C::feedV2}},
      {"/channels/feed.aspx", {Access::Keyed, content, &C::feed}},
      {"/channels/usertimeline.aspx", {Access::Keyed, content, &C::areaTimeline}},
      {"/channels/topictimeline.aspx", {Access::Keyed, content, &C::topicTimeline}},
      {"/channels/hotitems.aspx", {Access::Keyed, content, &C::hotItems}},
      {"/channels/newproduct.aspx", {Access::Keyed, content, &C::newProducts}},
      {"/channels/myitems.aspx", {Access::Keyed, content, &C::likedProducts}},
      {"/search/search.aspx", {Access::Keyed, content, &C::search}},
      // Other reading endpoints.
      {"/trend/topiclist.aspx", {Access::Keyed, content, &C::topicList}},
      {"/channels/channellistv2.aspx", {Access::Keyed, content, &C::channelList}},
      {"/channels/customchannel.aspx", {Access::Keyed, content, &C::channelList}},
      {"/unread/checkupdate.aspx", {Access::Keyed, content, &C::checkUpdate}},
      {"/channels/countinfo.aspx", {Access::Keyed, content, &C::countInfo}},
      {"/channels/comments.aspx", {Access::Keyed, content, &C::comments}},
      {"/channels/show_content.aspx", {Access::Keyed, content, &C::showContent}},
      {"/dialog/dialogshow_content.aspx", {Access::Keyed, content, &C::showContent}},
      {"/news/newsreader.aspx", {Access::Keyed, content, &C::newsReader}},
      // A web page the app opens in its browser: it carries the key, but a browser gets a page.
      {"/go_ziza.aspx", {Access::Open, content, &C::goZiza}},
      {"/notice/getiad.aspx", {Access::Keyed, content, &C::serverMessage}},
      {"/dialog/getdialoglist.aspx", {Access::Keyed, content, &C::seminarList}},
      {"/dialog/getdialogpost.aspx", {Access::Keyed, content, &C::seminarPosts}},
      {"/dialog/getwatchdialogpost.aspx", {Access::Keyed, content, &C::watchedPosts}},
      {"/dialog/getwatchdialogpostdetail.aspx", {Access::Keyed, content, &C::watchedPostDetail}},
      {"/vezi/searchcompany.aspx", {Access::Keyed, content, &C::companies}},
      {"/vezi/getbanner.aspx", {Access::Keyed, content, &C::expo}},
      {"/search/buzzwords.aspx", {Access::Keyed, content, &C::buzzwords}},
      {"/channels/productfeedback.aspx", {Access::Keyed, content, &C::productFeedback}},
      {"/quote/realtimequotelist.aspx", {Access::Keyed, content, &C::quotes}},
      {"/certificate/certificateinquirelist.aspx", {Access::Keyed, content, &C::certificates}},
      {"/trend/trends.aspx", {Access::Keyed, content, &C::trends}},
      {"/channels/suggestionlist.aspx", {Access::Keyed, content, &C::suggestionList}},
      {"/channels/getsuggestions.aspx", {Access::Keyed, content, &C::suggestions}},
      {"/shop/vendorlist.aspx", {Access::Keyed, content, &C::vendors}},
      // Post host.  Posting is state of a registered client.
      {"/operates/statusesupdate.aspx", {Access::Client, content, &C::postStatus, writes}},
      {"/operates/statusesupload.aspx", {Access::Client, content, &C::postImageStatus, writes}},
      {"/operates/channelssubscription.aspx", {Access::Client, content, &C::subscribe}},
      {"/operates/favoritescreate.aspx", {Access::Client, content, &C::addFavourite, writes}},
      {"/operates/favoritesdestroy.aspx", {Access::Client, content, &C::removeFavourite, writes}},
      {"/operates/statusesdestroy.aspx", {Access::Client, content, &C::destroyStatus, writes}},
      {"/operates/statusesrepost.aspx", {Access::Client, content, &C::repost, writes}},
      {"/operates/statusescomment.aspx", {Access::Client, content, &C::comment, writes}},
      {"/operates/statusescommentreply.aspx", {Access::Client, content, &C::comment, writes}},
      {"/operates/sharetozizaweibo.aspx", {Access::Client, content, &C::share, writes}},
      {"/channels/postproductfeedback.aspx",
       {Access::Client, content, &C::postProductFeedback, writes}},
      {"/dialog/dialogpost.aspx", {Access::Client, content, &C::seminarPost, writes}},
      {"/dialog/dialogcomment.aspx", {Access::Client, content, &C::seminarComment, writes}},
      {"/dialog/dialogrepost.aspx", {Access::Client, content, &C::repost, writes}},
      {"/dialog/watchdialogpost.aspx", {Access::Client, content, &C::watchSeminarPost, writes}},
      {"/dialog/unwatchdialogpost.aspx", {Access::Client, content, &C::unwatchSeminarPost, writes}},
      {"/dialog/dialogeventsubscription.aspx", {Access::Keyed, content, &C::seminarRegistration}},
      {"/profile/userindustrysectorsavev2.aspx", {Access::Keyed, content, &C::saveIndustryProfile}},
      {"/profile/userguidesave.aspx", {Access::Keyed, content, &C::saveGuideStep}},
      {"/profile/profileregister.aspx", {Access::Keyed, content, &C::registerProfile}},
      {"/profile/userchannelsave.aspx", {Access::Keyed, content, &C::saveProfileChoice}},
      {"/profile/userprofilesave.aspx", {Access::Keyed, content, &C::saveProfileChoice}},
      {"/ad/ad_hide.aspx", {Access::Keyed, content, &C::hideAdvert, writes}},
      {"/ad/ad_show.aspx", {Access::Keyed, content, &C::showAdvert}},
      // Account host: likes, products and the service's own account.
      {"/operates/like.aspx", {Access::Client, content, &C::like, writes}},
      {"/operates/likeproduct.aspx", {Access::Client, content, &C::likeProduct, writes}},
      {"/operates/likeproductdestroy.aspx", {Access::Client, content, &C::unlikeProduct, writes}},
      {"/operates/trialproduct.aspx", {Access::Client, content, &C::trialProduct}},
      {"/accounts/attentioni.aspx", {Access::Client, content, &C::followService}},
      {"/locate/usergroup.aspx", {Access::Keyed, content, &C::locate}},
      // Content host: records, adverts and the profile wizard.
      {"/channels/itemclick.aspx", {Access::Keyed, content, &C::itemClick}},
      {"/dialog/getbannerad.aspx", {Access::Keyed, content, &C::seminarBanners}},
      {"/ad/ad_get.aspx", {Access::Keyed, content, &C::itemAdvert}},
      {"/ad/adchannellist.aspx", {Access::Keyed, content, &C::channelAdverts}},
      {"/ad/getbannerlist.aspx", {Access::Keyed, content, &C::bannerList}},
      {"/profile/userprofileoption.aspx", {Access::Keyed, content, &C::profileOptions}},
      {"/profile/userguide.aspx", {Access::Keyed, content, &C::guideStep}},
      // Log host.  Uploads may come before the app has a key of its own, so none is required.
      {"/feedback.aspx", {Access::Std, content, &C::feedback}},
      {"/upload.aspx", {Access::Std, log, &C::uploadLog}},
      {"/post.aspx", {Access::Std, log, &C::postLog}},
  };
}

ServerReply ContentService::handle(const RecordedRequest& r, const std::string& base) {
  std::string path = lowercaseASCII(r.path);
  ServerReply reply;
  auto it = routes_.find(path);
  // Reads run side by side; a request that changes what others see runs alone.
  bool writes = it != routes_.end() && it->second.effect == Effect::Writes;
  std::shared_lock<std::shared_mutex> reading(content_, std::defer_lock);
  std::unique_lock<std::shared_mutex> writing(content_, std::defer_lock);
  if (writes)
    writing.lock();
  else
    reading.lock();
  if (it == routes_.end()) {
    reply = staticFile(r, path);
  } else {
    const Route& route = it->second;
    auto refuse = [&](std::string_view message) {
      return route.dialect == Dialect::Log ? logReply(false, r.path, message) : failure(message);
    };
    std::optional<std::string> problem;
    if (route.access != Access::Open && !r.param("std")) problem = missing("std");
    if (!problem && (route.access == Access::Keyed || route.access == Access::Client)) {
      auto key = r.param("keys");
      if (!key || key->empty()) {
        problem = missing("keys");
      } else if (*key == ClientRegistry::kFallbackKey) {
        if (route.access == Access::Client) problem = "客户端未注册";
      } else if (!clients_.find(*key)) {
        problem = "客户端未注册";
      }
    }
    reply = problem ? refuse(*problem) : (this->*route.handler)(r);
  }
  // Addresses in the data point at whatever address the client used to reach this server.
  if (reply.contentType.find("json") != std::string::npos ||
      reply.contentType.find("html") != std::string::npos) {
    reply.body = replaceAll(std::move(reply.body), kBase, base);
  }
  for (auto& [k, v] : reply.headers) {
    if (k == "Location") v = replaceAll(v, kBase, base);
  }
  return reply;
}

// ---------------------------------------------------------------------------------------------
// Account host.

ServerReply ContentService::registerClient(const RecordedRequest& r) {
  std::map<std::string, std::string> fields;
  for (auto& [k, v] : r.queryParams) fields.emplace(k, v);
  for (auto& [k, v] : r.formParams) fields.emplace(k, v);
  std::string key = clients_.add(std::move(fields));
  Json j = envelope(true, "注册成功");
  j["ResultObj"] = key;
  return jsonReply(j);
}

std::string ContentService::channelListStamp() const {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!channelListStampOverride_.empty()) return channelListStampOverride_;
  return data_.misc().value("/login/channelListStamp"_json_pointer, std::string());
}

Json ContentService::loginReply(const char* message) {
  Json j = envelope(true, message);
  Json switches = data_.misc().value("/login/switches"_json_pointer, Json::object());
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto& [k, v] : switchOverrides_) switches[k] = v;
  }
  for (auto& [k, v] : switches.items()) j[k] = v;
  // Update times: "others" stands for the channel list itself, then one entry per channel.
  Json up = Json::array();
  up.push_back({{"cids", "others"}, {"updt", channelListStamp()}});
  for (auto& ch : data_.channels()) {
    auto list = data_.statusesForChannelId(std::to_string(ch.id));
    if (list && !list->empty())
      up.push_back({{"cids", std::to_string(ch.id)}, {"updt", DemoData::stamp(*list)}});
  }
  j["UpList"] = up;
  if (auto ad = data_.misc().find("loginAdvert"); ad != data_.misc().end() && ad->is_object())
    j["adInfo"] = *ad;
  return j;
}

ServerReply ContentService::login(const RecordedRequest& r) {
  clients_.update(r.paramOr("keys"), [](RegisteredClient& c) { ++c.logins; });
  return jsonReply(loginReply("登录成功"));
}

ServerReply ContentService::session(const RecordedRequest& r) {
  clients_.update(r.paramOr("keys"), [](RegisteredClient& c) { ++c.sessions; });
  return jsonReply(loginReply("会话已恢复"));
}

ServerReply ContentService::enablePush(const RecordedRequest& r) {
  std::string token = r.paramOr("token");
  if (token.empty()) return failure(missing("token"));
  clients_.update(r.paramOr("keys"), [&](RegisteredClient& c) { c.pushToken = token; });
  return jsonReply(envelope(true, "推送已开启"));
}

ServerReply ContentService::bind(const RecordedRequest& r) {
  std::string uid = r.paramOr("uid"), token = r.paramOr("token");
  if (uid.empty()) return failure(missing("uid"));
  if (token.empty()) return failure(missing("token"));
  clients_.update(r.paramOr("keys"), [&](RegisteredClient& c) {
    c.boundUid = uid;
    c.boundToken = token;
  });
  return jsonReply(envelope(true, "绑定成功"));
}

ServerReply ContentService::appUpdate(const RecordedRequest&) {
  return jsonReply(envelope(true, "已记录"));
}

void ContentService::setLoginSwitch(const std::string& name, bool value) {
  std::lock_guard<std::mutex> lock(mutex_);
  switchOverrides_[name] = value;
}

void ContentService::setChannelListStamp(const std::string& stamp) {
  std::lock_guard<std::mutex> lock(mutex_);
  channelListStampOverride_ = stamp;
}

void ContentService::setAppStoreVersion(const std::string& version) {
  std::lock_guard<std::mutex> lock(mutex_);
  appStoreVersionOverride_ = version;
}

void ContentService::setChannelImageEdition(int channelId, const std::string& kind, int edition) {
  std::lock_guard<std::mutex> lock(mutex_);
  channelImageEditions_[{channelId, kind}] = edition;
}

const std::string& ContentService::channelImage(const std::string& kind, const DemoChannel& channel,
                                                int scale) {
  int edition = 0;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = channelImageEditions_.find({channel.id, kind});
    if (it != channelImageEditions_.end()) edition = it->second;
  }
  return pictures_.channelPNG(kind, channel.id, channel.name, scale, edition);
}

ServerReply ContentService::appStoreLookup(const RecordedRequest& r) {
  const Json& store = data_.misc().value("appStore", Json::object());
  std::string version;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    version = appStoreVersionOverride_;
  }
  if (version.empty()) version = store.value("version", "1.0");
  std::string id = r.paramOr("id");
  Json j;
  if (id.empty() || id != store.value("trackId", std::string())) {
    j["resultCount"] = 0;
    j["results"] = Json::array();
  } else {
    j["resultCount"] = 1;
    j["results"] = Json::array({{{"trackId", integerOf(id)},
                                 {"trackName", store.value("trackName", "")},
                                 {"version", "V" + version}}});
  }
  ServerReply reply = jsonReply(j);
  reply.contentType = "text/javascript; charset=utf-8";
  return reply;
}

// ---------------------------------------------------------------------------------------------
// Status lists.

// A page of a status list.  Page 1 carries the client's newest id under "max_id" and gets what
// is newer than it (everything when it is 0); later pages carry "since_id", the id just below
// the last item shown, and get what is not newer than it.  Without either the page number
// counts.  "next_cursor" is JSON null when nothing older follows the page.
Json ContentService::statusPage(const std::vector<const DemoStatus*>& list,
                                const RecordedRequest& r) {
  std::vector<const DemoStatus*> selected;
  int64_t maxId = 0;
  if (auto since = r.param("since_id")) {
    int64_t y = integerOf(*since);
    for (auto* s : list) {
      if (s->eid <= y) selected.push_back(s);
    }
  } else if (auto max = r.param("max_id")) {
    maxId = integerOf(*max);
    for (auto* s : list) {
      if (maxId <= 0 || s->eid > maxId) selected.push_back(s);
    }
  } else {
    int64_t page = std::max<int64_t>(1, integerOf(r.paramOr("page", "1")));
    size_t skip = static_cast<size_t>(page - 1) * kPageSize;
    if (skip < list.size()) selected.assign(list.begin() + static_cast<long>(skip), list.end());
  }
  size_t total = selected.size();
  if (selected.size() > kPageSize) selected.resize(kPageSize);

  Json j = envelope(true, "");
  Json statuses = Json::array(), counts = Json::array();
  for (auto* s : selected) {
    statuses.push_back(data_.statusJSON(*s));
    counts.push_back({{"id", s->eid},
                      {"closed", 0},
                      {"likes", s->likes},
                      {"C_rt_num", s->reposts},
                      {"C_cmt_num", data_.commentCount(s->eid)}});
  }
  j["statuses"] = statuses;
  j["previous_cursor"] = selected.empty() ? maxId : selected.front()->eid;
  bool older = !selected.empty() && std::any_of(list.begin(), list.end(), [&](auto* s) {
    return s->eid < selected.back()->eid;
  });
  j["next_cursor"] = older ? Json(selected.back()->eid - 1) : Json(nullptr);
  j["total_number"] = total;
  j["query_id"] = 0;
  j["CountInfo"] = counts;
  return j;
}

ServerReply ContentService::channelPage(const RecordedRequest& r) {
  std::string id = r.paramOr("channel_id");
  if (id.empty()) return failure(missing("channel_id"));
  auto list = data_.statusesForChannelId(id);
  if (!list) return failure("频道不存在: " + id);
  // The favourites channel lists the reader's favourites, newest status first (the list pages
  // by the same cursors as every other).
  const DemoChannel* ch = data_.channel(static_cast<int>(integerOf(id)));
  if (ch && ch->templateName == "MyFavorite") {
    list->clear();
    if (const Activity* a = findActivity(r)) {
      for (int64_t eid : a->favourites) {
        if (const DemoStatus* s = data_.statusByEid(eid)) list->push_back(s);
      }
    }
    std::sort(list->begin(), list->end(), [](auto* a, auto* b) { return a->eid > b->eid; });
  }
  return jsonReply(statusPage(*list, r));
}

ServerReply ContentService::feedV2(const RecordedRequest& r) {
  std::string id = r.paramOr("channel_id", "0");
  if (id.empty() || id == "0") return jsonReply(statusPage(data_.allStatuses(), r));
  return channelPage(r);
}

ServerReply ContentService::feed(const RecordedRequest& r) {
  std::string ids = r.paramOr("channel_ids");
  if (ids.empty()) return failure(missing("channel_ids"));
  // The subscribed feed joins its channels with "-", other callers with ",".
  std::set<const DemoStatus*> seen;
  std::vector<const DemoStatus*> merged;
  for (auto& id : split(ids, "-,")) {
    if (auto list = data_.statusesForChannelId(id)) {
      for (auto* s : *list) {
        if (seen.insert(s).second) merged.push_back(s);
      }
    }
  }
  std::sort(merged.begin(), merged.end(), [](auto* a, auto* b) { return a->eid > b->eid; });
  return jsonReply(statusPage(merged, r));
}

ServerReply ContentService::areaTimeline(const RecordedRequest& r) {
  std::vector<const DemoStatus*> list = data_.allStatuses();
  if (auto group = r.param("group_id"); group && !group->empty()) {
    int64_t g = integerOf(*group);
    std::erase_if(list, [&](auto* s) { return s->area != g; });
  }
  return jsonReply(statusPage(list, r));
}

ServerReply ContentService::topicTimeline(const RecordedRequest& r) {
  std::string id = r.paramOr("topicId");
  if (id.empty()) return failure(missing("topicId"));
  int64_t topic = integerOf(id);
  bool known = std::any_of(data_.topics().begin(), data_.topics().end(),
                           [&](const Json& t) { return t.value("Id", int64_t{0}) == topic; });
  if (!known) return failure("话题不存在: " + id);
  return jsonReply(statusPage(data_.topicStatuses(topic), r));
}

ServerReply ContentService::hotItems(const RecordedRequest& r) {
  std::vector<const DemoStatus*> list = data_.allStatuses();
  std::erase_if(list, [](auto* s) { return !s->hot; });
  return jsonReply(statusPage(list, r));
}

ServerReply ContentService::newProducts(const RecordedRequest& r) {
  return jsonReply(statusPage(data_.products(), r));
}

ServerReply ContentService::likedProducts(const RecordedRequest& r) {
  std::vector<const DemoStatus*> list;
  if (const Activity* a = findActivity(r)) {
    for (int64_t eid : a->likedProducts) {
      if (const DemoStatus* p = data_.statusByEid(eid)) list.push_back(p);
    }
  }
  std::sort(list.begin(), list.end(), [](auto* a, auto* b) { return a->eid > b->eid; });
  return jsonReply(statusPage(list, r));
}

ServerReply ContentService::search(const RecordedRequest& r) {
  std::string keyword = r.paramOr("keyword");
  if (keyword.empty()) return failure("请输入搜索关键词");
  std::vector<const DemoStatus*> list;
  for (auto* s : data_.allStatuses()) {
    const Json* u = data_.user(s->userId);
    if (containsIgnoringCase(s->text, keyword) ||
        (u && containsIgnoringCase(u->value("screen_name", ""), keyword)))
      list.push_back(s);
  }
  Json j = statusPage(list, r);
  // The query id names this search in the app's usage records; it stays the same for a keyword.
  uint32_t h = 2166136261u;
  for (unsigned char c : lowercaseASCII(keyword)) h = (h ^ c) * 16777619u;
  j["query_id"] = 100000 + h % 900000;
  return jsonReply(j);
}

// ---------------------------------------------------------------------------------------------
// Other reading endpoints.

ServerReply ContentService::topicList(const RecordedRequest& r) {
  Json topics = Json::array();
  // One page holds every topic.
  if (integerOf(r.paramOr("page", "1")) <= 1) {
    for (auto& t : data_.topics()) {
      int64_t id = t.value("Id", int64_t{0});
      topics.push_back({{"Id", id},
                        {"c_topic_name", t.value("c_topic_name", "")},
                        {"c_note", t.value("c_note", "")},
                        {"c_cnt_read", t.value("c_cnt_read", 0)},
                        {"c_cnt", data_.topicStatuses(id).size()},
                        {"c_img", t.contains("pic") ? std::string(kBase) + "/pic/thumbnail/" +
                                                          t["pic"].get<std::string>() + ".jpg"
                                                    : ""},
                        {"c_intro", t.value("c_intro", "")}});
    }
  }
  Json j = envelope(true, "");
  j["TopicList"] = topics;
  j["previous_cursor"] = 0;
  j["next_cursor"] = 0;
  j["total_number"] = topics.size();
  return jsonReply(j);
}

// The channel catalogue: channels numbered 100 and above carry pictures served here, with the
// MD5 sums of exactly the files served; the others use the app's own pictures.
ServerReply ContentService::channelList(const RecordedRequest& r) {
  bool retina = r.paramOr("is2x") == "1";
  int scale = retina ? 2 : 1;
  Json list = Json::array();
  for (auto& ch : data_.channels()) {
    if (!ch.listed) continue;
    const Json& rec = ch.record;
    Json c;
    c["ID"] = ch.id;
    c["Name"] = ch.name;
    c["ApiAddress"] = "/Channels/Channel.aspx?channel_id=" + std::to_string(ch.id);
    std::map<std::string, std::pair<std::string, std::string>> images;  // kind -> url, md5
    if (ch.id >= 100) {
      for (const char* kind : {"icon", "background", "navigation", "tuijian", "tuijian_theme1"}) {
        std::string url = std::string(kBase) + "/img/channel/" + std::to_string(ch.id) + "/" +
                          kind + (retina ? "@2x.png" : ".png");
        std::string md5 = md5Hex(channelImage(kind, ch, scale));
        for (char& x : md5) x = static_cast<char>(std::toupper(static_cast<unsigned char>(x)));
        images[kind] = {url, md5};
      }
    }
    auto image = [&](const char* kind, const char* field) -> Json {
      auto it = images.find(kind);
      if (it != images.end()) return it->second.first;
      return rec.value(field, "");
    };
    auto md5 = [&](const char* kind) -> Json {
      auto it = images.find(kind);
      return it == images.end() ? std::string() : it->second.second;
    };
    c["Logo"] = image("icon", "Logo");
    c["Background"] = image("background", "Background");
    c["NaviTitle"] = image("navigation", "NaviTitle");
    c["ChannelTitle"] = image("tuijian", "ChannelTitle");
    c["LogoMD5"] = md5("icon");
    c["BackMD5"] = md5("background");
    c["NaviMD5"] = md5("navigation");
    c["ChannelMD5"] = md5("tuijian");
    c["Index"] = rec.value("Index", 0);
    c["IsSubscribe"] = rec.value("IsSubscribe", false);
    c["Fixed"] = rec.value("Fixed", false);
    c["IsLike"] = rec.value("IsLike", false);
    c["Enabled"] = rec.value("Enabled", true);
    c["IsRecommended"] = rec.value("IsRecommended", true);
    c["Visible"] = rec.value("Visible", true);
    c["NightImg"] = image("tuijian_theme1", "NightImg");
    c["NightMD5"] = md5("tuijian_theme1");
    c["TemplateId"] = ch.templateName;
    if (rec.contains("subChannelNames")) c["subChannelNames"] = rec["subChannelNames"];
    if (rec.contains("subChannelIds")) c["subChannelIds"] = rec["subChannelIds"];
    list.push_back(c);
  }
  return jsonReply(list);
}

ServerReply ContentService::checkUpdate(const RecordedRequest& r) {
  std::string ids = r.paramOr("channel_ids", "all");
  std::vector<std::string> wanted;
  if (ids.empty() || ids == "all") {
    for (auto& ch : data_.channels()) {
      wanted.push_back(std::to_string(ch.id));
      wanted.insert(wanted.end(), ch.subIds.begin(), ch.subIds.end());
    }
  } else {
    wanted = split(ids, ",");
  }
  Json channels = Json::array();
  for (auto& id : wanted) {
    // A subscribed-feed id ("120-150") stamps the newest of its channels.
    std::vector<const DemoStatus*> list;
    bool known = false;
    for (auto& part : split(id, "-")) {
      if (auto l = data_.statusesForChannelId(part)) {
        known = true;
        list.insert(list.end(), l->begin(), l->end());
      }
    }
    if (known) channels.push_back({{"cids", id}, {"updt", DemoData::stamp(list)}});
  }
  std::vector<const DemoStatus*> topical;
  for (auto& t : data_.topics()) {
    auto l = data_.topicStatuses(t.value("Id", int64_t{0}));
    topical.insert(topical.end(), l.begin(), l.end());
  }
  const Json stamps = data_.misc().value("stamps", Json::object());
  Json others = Json::array();
  others.push_back({{"cids", "others"}, {"updt", channelListStamp()}});
  others.push_back({{"cids", "topics"}, {"updt", DemoData::stamp(topical)}});
  for (const char* kind : {"bannerdt", "dialog", "vezi", "iad"}) {
    if (stamps.contains(kind)) others.push_back({{"cids", kind}, {"updt", stamps[kind]}});
  }
  Json j = envelope(true, "");
  j["channels"] = channels;
  j["otherchannels"] = others;
  return jsonReply(j);
}

ServerReply ContentService::countInfo(const RecordedRequest& r) {
  std::string ids = r.paramOr("channel_ids");
  if (ids.empty()) return failure(missing("channel_ids"));
  int64_t maxId = integerOf(r.paramOr("max_Id")), sinceId = integerOf(r.paramOr("since_Id"));
  std::set<int64_t> seen;
  Json counts = Json::array();
  std::vector<const DemoStatus*> merged;
  for (auto& id : split(ids, ",-")) {
    if (auto l = data_.statusesForChannelId(id)) merged.insert(merged.end(), l->begin(), l->end());
  }
  std::sort(merged.begin(), merged.end(), [](auto* a, auto* b) { return a->eid > b->eid; });
  for (auto* s : merged) {
    if ((maxId > 0 && s->eid > maxId) || (sinceId > 0 && s->eid < sinceId)) continue;
    if (!seen.insert(s->eid).second) continue;
    counts.push_back({{"id", s->eid},
                      {"closed", 0},
                      {"likes", s->likes},
                      {"C_rt_num", s->reposts},
                      {"C_cmt_num", data_.commentCount(s->eid)}});
  }
  Json j = envelope(true, "");
  j["CountInfo"] = counts;
  return jsonReply(j);
}

namespace {

// A page of comments, newest first.  "max_id" 0 starts at the newest; otherwise the page starts
// at that comment.  "next_cursor" is the id the next page starts at, 0 at the end of the list.
Json commentPage(const DemoData& data, const std::vector<const DemoComment*>& all, int64_t maxId) {
  std::vector<const DemoComment*> selected;
  for (auto* c : all) {
    if (maxId <= 0 || c->id <= maxId) selected.push_back(c);
  }
  Json page;
  Json list = Json::array();
  for (size_t i = 0; i < selected.size() && i < kPageSize; ++i)
    list.push_back(data.commentJSON(*selected[i]));
  page["comments"] = list;
  page["previous_cursor"] = selected.empty() ? 0 : selected.front()->id;
  page["next_cursor"] = selected.size() > kPageSize ? selected[kPageSize]->id : 0;
  page["total_number"] = all.size();
  return page;
}

}  // namespace

ServerReply ContentService::comments(const RecordedRequest& r) {
  std::string blog = r.paramOr("blog_id");
  if (blog.empty()) return failure(missing("blog_id"));
  const DemoStatus* s = data_.findStatus(integerOf(blog));
  if (!s) return failure("微博不存在: " + blog);
  Json j = envelope(true, "");
  Json page = commentPage(data_, data_.comments(s->eid), integerOf(r.paramOr("max_id")));
  for (auto& [k, v] : page.items()) j[k] = v;
  return jsonReply(j);
}

ServerReply ContentService::showContent(const RecordedRequest& r) {
  std::string blog = r.paramOr("blog_id");
  if (blog.empty()) return failure(missing("blog_id"));
  const DemoStatus* s = data_.findStatus(integerOf(blog));
  if (!s) return failure("微博不存在: " + blog);
  Json j = envelope(true, "");
  if (r.paramOr("iscomments", "1") == "1")
    j["zizacomments"] = commentPage(data_, data_.comments(s->eid), 0);
  // The item's advert above the detail, unless the reader closed it.
  if (r.paramOr("isad", "0") == "1") {
    Json ad = itemAdvertOf(r);
    if (!ad.empty()) j["adinfo"] = ad;
  }
  return jsonReply(j);
}

ServerReply ContentService::newsReader(const RecordedRequest& r) {
  std::string link = r.paramOr("c_url");
  if (link.empty()) return failure(missing("c_url"));
  const DemoArticle* a = data_.article(articleCodeOf(link));
  if (!a) return failure("文章不存在");
  // The page the app's reader keeps: title, site and summary where it looks for them, the
  // stylesheet it swaps for its local copy, and the element its night style targets.
  std::string html;
  html += "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\" />\n";
  html += "<title>" + htmlEscape(a->title) + "</title>\n";
  html += "<meta name=\"host\" content=\"" + htmlEscape(a->site) + "\" />\n";
  html += "<meta name=\"description\" content=\"" + htmlEscape(a->summary) + "\" />\n";
  html += "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\" />\n";
  html += "<link rel=\"stylesheet\" type=\"text/css\" href=\"" + std::string(kBase) +
          "/css/readability.css\" />\n</head>\n<body>\n";
  html += "<div id=\"readOverlay\" class=\"style-newspaper\">\n<div id=\"readInner\">\n";
  html += "<h1>" + htmlEscape(a->title) + "</h1>\n";
  html += "<div class=\"byline\">" + htmlEscape(a->site);
  if (!a->author.empty()) html += " · " + htmlEscape(a->author);
  html += " · " + formatDemoTime(a->time).substr(0, 16) + "</div>\n";
  if (!a->picture.empty())
    html += "<div class=\"picture\"><img src=\"" + std::string(kBase) + "/pic/bmiddle/" +
            a->picture + ".jpg\" /></div>\n";
  for (auto& p : a->paragraphs) html += "<p>" + htmlEscape(p) + "</p>\n";
  html += "<div class=\"origin\"><a href=\"" + std::string(kBase) + "/news/" + a->code +
          ".html\">阅读原文</a></div>\n";
  html += "</div>\n</div>\n</body>\n</html>\n";
  return textReply(200, "text/html; charset=utf-8", html);
}

ServerReply ContentService::goZiza(const RecordedRequest& r) {
  std::string link = r.paramOr("c_url");
  const DemoArticle* a = link.empty() ? nullptr : data_.article(articleCodeOf(link));
  if (!a) return notFound();
  return redirect(std::string(kBase) + "/news/" + a->code + ".html");
}

ServerReply ContentService::serverMessage(const RecordedRequest&) {
  Json message = data_.misc().value("message", Json::object());
  return jsonReply(message);
}

ServerReply ContentService::seminarList(const RecordedRequest& r) {
  // The seminar list is one page.
  if (integerOf(r.paramOr("page", "1")) > 1) return jsonReply(Json::array());
  Json seminars = data_.catalogue().value("seminars", Json::array());
  // Hosts carry their microblog profile.
  for (auto& seminar : seminars) {
    if (!seminar.contains("host") || !seminar["host"].is_array()) continue;
    for (auto& h : seminar["host"]) {
      if (!h.contains("c_ziza_usercontent")) {
        Json u = data_.userJSON(h.value("c_ziza_Id", int64_t{0}));
        if (!u.is_null()) h["c_ziza_usercontent"] = u;
      }
    }
  }
  return jsonReply(seminars);
}

ServerReply ContentService::seminarPosts(const RecordedRequest& r) {
  std::string event = r.paramOr("event_id");
  if (event.empty()) return failure(missing("event_id"));
  std::string type = r.paramOr("type");
  return jsonReply(seminarPostPage(integerOf(event), r, [&](const Json& p) {
    return type.empty() || p.value("type", 0) == integerOf(type);
  }));
}

// A page of a seminar's posts, newest first: the same cursor rule as the status lists, counted
// in post ids.
Json ContentService::seminarPostPage(int64_t eventId, const RecordedRequest& r,
                                     const std::function<bool(const Json&)>& keep) const {
  std::vector<Json> posts;
  for (auto& p : data_.catalogue().value("seminarPosts", Json::array())) {
    if (p.value("event", int64_t{0}) == eventId && keep(p)) posts.push_back(p);
  }
  std::sort(posts.begin(), posts.end(), [](const Json& a, const Json& b) {
    return a.value("Id", int64_t{0}) > b.value("Id", int64_t{0});
  });
  std::vector<const Json*> selected;
  int64_t maxId = 0;
  if (auto since = r.param("since_id")) {
    for (auto& p : posts) {
      if (p.value("Id", int64_t{0}) <= integerOf(*since)) selected.push_back(&p);
    }
  } else {
    maxId = integerOf(r.paramOr("max_id"));
    for (auto& p : posts) {
      if (maxId <= 0 || p.value("Id", int64_t{0}) > maxId) selected.push_back(&p);
    }
  }
  size_t total = selected.size();
  if (selected.size() > kPageSize) selected.resize(kPageSize);
  Json list = Json::array();
  for (auto* p : selected) {
    const DemoStatus* s = data_.statusByEid(p->value("status", int64_t{0}));
    Json post;
    post["Id"] = p->value("Id", int64_t{0});
    post["c_event_Id"] = eventId;
    post["c_ziza_Id"] = s ? s->userId : 0;
    post["c_ziza_blog_Id"] = s ? s->id : 0;
    post["c_type"] = p->value("type", 0);
    post["c_postType"] = p->value("postType", 1);
    post["c_isPin"] = p->value("pin", false);
    post["c_user_id"] = s ? s->userId : 0;
    if (s) post["c_ziza_blogcontent"] = data_.statusJSON(*s);
    list.push_back(post);
  }
  Json j = envelope(true, "");
  j["statuses"] = list;
  j["previous_cursor"] = selected.empty() ? maxId : selected.front()->value("Id", int64_t{0});
  bool older = !selected.empty() && selected.size() < total;
  j["next_cursor"] = older ? Json(selected.back()->value("Id", int64_t{0}) - 1) : Json(nullptr);
  j["total_number"] = total;
  return j;
}

ServerReply ContentService::watchedPosts(const RecordedRequest& r) {
  std::string event = r.paramOr("event_id");
  if (event.empty()) return failure(missing("event_id"));
  Json list = Json::array();
  if (const Activity* a = findActivity(r)) {
    for (auto& w : a->watches) {
      if (w.value("c_event_id", int64_t{0}) == integerOf(event)) list.push_back(w);
    }
  }
  return jsonReply(list);
}

ServerReply ContentService::watchedPostDetail(const RecordedRequest& r) {
  std::string event = r.paramOr("event_id");
  if (event.empty()) return failure(missing("event_id"));
  std::set<int64_t> watched;
  if (const Activity* a = findActivity(r)) {
    for (auto& w : a->watches) watched.insert(w.value("c_ziza_blog_Id", int64_t{0}));
  }
  return jsonReply(seminarPostPage(integerOf(event), r, [&](const Json& p) {
    const DemoStatus* s = data_.statusByEid(p.value("status", int64_t{0}));
    return s && watched.count(s->id) > 0;
  }));
}

ServerReply ContentService::companies(const RecordedRequest& r) {
  int64_t category = integerOf(r.paramOr("categoryId"));
  std::string keyword = r.paramOr("keyword");
  std::vector<const Json*> list;
  for (auto& c : member(data_.catalogue(), "companies")) {
    if (category > 0 && c.value("category", int64_t{0}) != category) continue;
    if (!keyword.empty() && !containsIgnoringCase(c.value("c_company_name", ""), keyword) &&
        !containsIgnoringCase(c.value("c_company_brand", ""), keyword) &&
        !containsIgnoringCase(c.value("c_category_product", ""), keyword))
      continue;
    list.push_back(&c);
  }
  int64_t page = std::max<int64_t>(1, integerOf(r.paramOr("page", "1")));
  size_t pages = (list.size() + kPageSize - 1) / kPageSize;
  Json items = Json::array();
  for (size_t i = static_cast<size_t>(page - 1) * kPageSize;
       i < list.size() && i < static_cast<size_t>(page) * kPageSize; ++i) {
    Json c = *list[i];
    c.erase("category");
    items.push_back(c);
  }
  Json j = envelope(true, "");
  j["totalpage"] = pages;
  j["totalcount"] = list.size();
  j["pageindex"] = page;
  j["cbmexpocompanys"] = items;
  return jsonReply(j);
}

ServerReply ContentService::expo(const RecordedRequest&) {
  Json j = envelope(true, "");
  if (const Json& e = member(data_.catalogue(), "expo"); e.is_object()) {
    for (auto& [k, v] : e.items()) j[k] = v;
  }
  return jsonReply(j);
}

ServerReply ContentService::buzzwords(const RecordedRequest&) {
  return jsonReply(data_.misc().value("buzzwords", Json::array()));
}

ServerReply ContentService::productFeedback(const RecordedRequest& r) {
  std::string id = r.paramOr("product_id");
  if (id.empty()) return failure(missing("product_id"));
  const DemoStatus* p = data_.findStatus(integerOf(id));
  if (!p || !p->product) return failure("产品不存在: " + id);
  return jsonReply(data_.productFeedback(p->eid));
}

ServerReply ContentService::quotes(const RecordedRequest&) {
  return jsonReply(data_.misc().value("quotes", Json::array()));
}

ServerReply ContentService::certificates(const RecordedRequest&) {
  return jsonReply(data_.misc().value("certificates", Json::array()));
}

ServerReply ContentService::trends(const RecordedRequest&) {
  return jsonReply(data_.misc().value("trends", Json::array()));
}

ServerReply ContentService::suggestionList(const RecordedRequest&) {
  Json channels = Json::array();
  for (auto& c : data_.catalogue().value("suggestions", Json::array())) {
    channels.push_back({{"description", c.value("description", "")},
                        {"id", c.value("id", 0)},
                        {"name", c.value("name", "")},
                        {"sortOrder", c.value("sortOrder", 0)}});
  }
  Json j = envelope(true, "");
  j["channels"] = channels;
  return jsonReply(j);
}

ServerReply ContentService::suggestions(const RecordedRequest& r) {
  std::string ids = r.paramOr("suggestid");
  if (ids.empty()) return failure(missing("suggestid"));
  int64_t page = std::max<int64_t>(1, integerOf(r.paramOr("page", "1")));
  int64_t count = integerOf(r.paramOr("count", "20"));
  if (count <= 0) count = 20;
  Json groups = Json::array();
  for (auto& id : split(ids, ",")) {
    for (auto& c : data_.catalogue().value("suggestions", Json::array())) {
      if (std::to_string(c.value("id", 0)) != id) continue;
      Json users = Json::array();
      auto all = c.value("users", Json::array());
      for (size_t i = static_cast<size_t>((page - 1) * count);
           i < all.size() && i < static_cast<size_t>(page * count); ++i) {
        int64_t uid = all[i].get<int64_t>();
        Json u = data_.userJSON(uid);
        if (u.is_null()) continue;
        users.push_back({{"id", uid},
                         {"name", u["name"]},
                         {"screen_name", u["screen_name"]},
                         {"profile_image_url", u["profile_image_url"]},
                         {"followers_count", u["followers_count"]},
                         {"verified", u["verified"]},
                         {"channelid", c.value("id", 0)},
                         {"description", u["description"]},
                         {"statuses_count", u["statuses_count"]}});
      }
      groups.push_back({{"id", c.value("id", 0)}, {"name", c.value("name", "")}, {"user", users}});
    }
  }
  return jsonReply(groups);
}

ServerReply ContentService::vendors(const RecordedRequest&) {
  Json j = envelope(true, "");
  if (const Json& v = member(data_.catalogue(), "vendors"); v.is_object()) {
    for (auto& [k, x] : v.items()) j[k] = x;
  }
  return jsonReply(j);
}

// ---------------------------------------------------------------------------------------------
// Log host.

std::vector<LogUpload> ContentService::logUploads() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return logUploads_;
}

namespace {

LogUpload collect(const RecordedRequest& r, std::initializer_list<std::string_view> enciphered) {
  LogUpload u;
  u.path = r.path;
  auto add = [&](const std::string& k, const std::string& v) {
    bool secret = std::find(enciphered.begin(), enciphered.end(), k) != enciphered.end();
    std::optional<std::string> plain = secret ? decipherText(v) : std::nullopt;
    u.fields.emplace_back(k, plain ? *plain : v);
  };
  for (auto& [k, v] : r.queryParams) add(k, v);
  for (auto& [k, v] : r.formParams) add(k, v);
  return u;
}

}  // namespace

ServerReply ContentService::feedback(const RecordedRequest& r) {
  if (!r.param("body")) return failure(missing("body"));
  LogUpload u = collect(r, {"body"});
  {
    std::lock_guard<std::mutex> lock(mutex_);
    logUploads_.push_back(std::move(u));
  }
  return jsonReply(envelope(true, "感谢您的反馈"));
}

ServerReply ContentService::uploadLog(const RecordedRequest& r) {
  const RecordedRequest::FilePart* part = nullptr;
  for (auto& f : r.files) part = part ? part : &f;
  if (!part) return logReply(false, r.path, missing("log"));
  LogUpload u = collect(r, {});
  auto plain = decipherText(part->content);
  u.file = plain ? *plain : part->content;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    logUploads_.push_back(std::move(u));
  }
  return logReply(true, r.path, "");
}

ServerReply ContentService::postLog(const RecordedRequest& r) {
  if (!r.param("Actionlogs")) return logReply(false, r.path, missing("Actionlogs"));
  LogUpload u = collect(r, {"Id", "Actionlogs"});
  {
    std::lock_guard<std::mutex> lock(mutex_);
    logUploads_.push_back(std::move(u));
  }
  return logReply(true, r.path, "");
}

// ---------------------------------------------------------------------------------------------
// Pictures, stylesheet and web pages.

ServerReply ContentService::staticFile(const RecordedRequest& r, const std::string& path) {
  auto parts = split(r.path, "/");
  auto image = [](const std::string& bytes, const char* type) {
    ServerReply reply = textReply(200, type, bytes);
    reply.headers.emplace_back("Cache-Control", "max-age=86400");
    return reply;
  };
  // /pic/{thumbnail|bmiddle|large}/<name>.{jpg|gif}: the three sizes the app derives from a
  // thumbnail address by replacing "thumbnail"; a GIF is the photo animated.
  if (parts.size() == 3 && lowercaseASCII(parts[0]) == "pic") {
    static const std::map<std::string, std::pair<int, int>> kSizes = {
        {"thumbnail", {160, 120}}, {"bmiddle", {440, 330}}, {"large", {880, 660}}};
    auto size = kSizes.find(parts[1]);
    std::string file = parts[2];
    std::string ending = file.size() < 5 ? std::string() : file.substr(file.size() - 4);
    if (size == kSizes.end() || (ending != ".jpg" && ending != ".gif")) return notFound();
    std::string name = file.substr(0, file.size() - 4);
    if (!isPlainName(name)) return notFound();
    // <name>.gif: the animated form of the same photo.
    if (ending == ".gif")
      return image(pictures_.photoGIF(name, size->second.first, size->second.second), "image/gif");
    // A picture a client uploaded is served as it came, in every size.
    if (auto up = uploadedPictures_.find(name); up != uploadedPictures_.end())
      return image(up->second, "image/jpeg");
    return image(pictures_.photoJPEG(name, size->second.first, size->second.second), "image/jpeg");
  }
  // /img/banner/<name>.jpg, and its small form for screens that are not retina.
  if (parts.size() == 3 && lowercaseASCII(parts[0]) == "img" && parts[1] == "banner") {
    std::string file = parts[2];
    static constexpr std::string_view kSmall = "_290x60";
    bool small = file.size() > kSmall.size() && file.ends_with(kSmall);
    if (small) file.resize(file.size() - kSmall.size());
    if (file.size() < 5 || file.substr(file.size() - 4) != ".jpg") return notFound();
    std::string name = file.substr(0, file.size() - 4);
    if (!isPlainName(name)) return notFound();
    return image(small ? pictures_.bannerJPEG(name, 290, 60) : pictures_.bannerJPEG(name, 640, 200),
                 "image/jpeg");
  }
  if (parts.size() == 2 && lowercaseASCII(parts[0]) == "avatar") {
    std::string file = parts[1];
    if (file.size() < 5 || file.substr(file.size() - 4) != ".png") return notFound();
    std::string id = file.substr(0, file.size() - 4);
    const Json* u = isPlainName(id) ? data_.user(integerOf(id)) : nullptr;
    if (!u) return notFound();
    return image(pictures_.avatarPNG(id, u->value("screen_name", u->value("name", ""))),
                 "image/png");
  }
  // /img/channel/<id>/<kind>.png or <kind>@2x.png
  if (parts.size() == 4 && lowercaseASCII(parts[0]) == "img" && parts[1] == "channel") {
    const DemoChannel* ch = data_.channel(static_cast<int>(integerOf(parts[2])));
    std::string file = parts[3];
    if (!ch || file.size() < 5 || file.substr(file.size() - 4) != ".png") return notFound();
    std::string kind = file.substr(0, file.size() - 4);
    int scale = 1;
    if (kind.size() > 3 && kind.substr(kind.size() - 3) == "@2x") {
      scale = 2;
      kind.resize(kind.size() - 3);
    }
    if (!PictureFactory::isChannelImageKind(kind)) return notFound();
    return image(channelImage(kind, *ch, scale), "image/png");
  }
  // /img/sample/<name>.png: a picture for tests of clients that cache what they fetch.  It
  // carries the weak ETag W/"<v>" (query "v", default "v1") and answers 304 to a request whose
  // If-None-Match names that tag; "delay" (milliseconds) holds the answer back and "length"
  // pads the body with zeros or cuts it to that many bytes.
  if (parts.size() == 3 && lowercaseASCII(parts[0]) == "img" && parts[1] == "sample") {
    std::string file = parts[2];
    if (file.size() < 5 || file.substr(file.size() - 4) != ".png") return notFound();
    std::string name = file.substr(0, file.size() - 4);
    std::string version = r.paramOr("v", "v1");
    if (!isPlainName(name) || !isPlainName(version)) return notFound();
    std::string tag = "\"" + version + "\"";
    ServerReply reply;
    if (r.header("If-None-Match").find(tag) != std::string::npos) {
      reply = textReply(304, "", "");
    } else {
      reply = textReply(200, "image/png", pictures_.avatarPNG("sample-" + name, name));
      if (auto length = r.param("length"); length && isPlainName(*length))
        reply.body.resize(
            size_t(std::min<int64_t>(std::max<int64_t>(integerOf(*length), 0), int64_t(1) << 24)),
            '\0');
    }
    reply.headers.emplace_back("ETag", "W/" + tag);
    reply.delay = std::chrono::milliseconds(
        std::clamp<int64_t>(integerOf(r.paramOr("delay", "0")), 0, 60000));
    return reply;
  }
  if (path == "/css/readability.css") {
    std::string since = r.header("If-Modified-Since");
    int64_t lastModified = parseHTTPDate(kStylesheetDate);
    if (!since.empty()) {
      int64_t t = parseHTTPDate(since);
      if (t >= 0 && t >= lastModified) {
        ServerReply reply = textReply(304, "", "");
        reply.headers.emplace_back("Last-Modified", kStylesheetDate);
        return reply;
      }
    }
    ServerReply reply = textReply(200, "text/css; charset=utf-8", data_.stylesheet());
    reply.headers.emplace_back("Last-Modified", kStylesheetDate);
    return reply;
  }
  // /news/<code>.html: the article's original web page.
  if (parts.size() == 2 && lowercaseASCII(parts[0]) == "news") {
    const DemoArticle* a = data_.article(articleCodeOf(parts[1]));
    if (!a || parts[1].size() < 6 || parts[1].substr(parts[1].size() - 5) != ".html")
      return notFound();
    std::string html;
    html += "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\" />\n";
    html += "<title>" + htmlEscape(a->title) + " - " + htmlEscape(a->site) + "</title>\n";
    html += "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\" />\n";
    html += "</head>\n<body>\n<div class=\"site\">" + htmlEscape(a->site) + "</div>\n";
    html += "<h1>" + htmlEscape(a->title) + "</h1>\n";
    html += "<div class=\"meta\">" + formatDemoTime(a->time).substr(0, 16);
    if (!a->author.empty()) html += " 作者：" + htmlEscape(a->author);
    html += "</div>\n";
    if (!a->picture.empty())
      html += "<img src=\"" + std::string(kBase) + "/pic/large/" + a->picture + ".jpg\" />\n";
    for (auto& p : a->paragraphs) html += "<p>" + htmlEscape(p) + "</p>\n";
    html += "</body>\n</html>\n";
    return textReply(200, "text/html; charset=utf-8", html);
  }
  // A short link of the microblog platform ("/<code>"), for when its host is mapped here too.
  if (parts.size() == 1 && isShortCode(parts[0]) && data_.article(parts[0]))
    return redirect(std::string(kBase) + "/news/" + parts[0] + ".html");
  return notFound();
}

}  // namespace zept::server

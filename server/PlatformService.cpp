#include "server/PlatformService.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <optional>
#include <random>
#include <stdexcept>

namespace zept::server {

namespace {

constexpr const char* kJson = "application/json; charset=utf-8";
constexpr int kDefaultCount = 20;
constexpr int kMostCount = 200;
// The platform's own error codes.
constexpr int kErrAuthFailed = 21301;
constexpr int kErrInvalidClient = 21324;
constexpr int kErrInvalidGrant = 21325;
constexpr int kErrExpiredToken = 21327;
constexpr int kErrRedirectMismatch = 21322;
constexpr int kErrRevokedToken = 21332;
constexpr int kErrUserCancelled = 21330;
constexpr int kErrMissingParameter = 10016;
constexpr int kErrNoSuchUser = 20003;
constexpr int kErrNoSuchStatus = 20101;
constexpr int kErrNotAuthor = 20112;
constexpr int kErrAlreadyFollowing = 20506;
constexpr int kErrNotFollowing = 20522;

// A decimal id; 0 when the text is none.
int64_t idOf(const std::optional<std::string>& text) {
  if (!text || text->empty()) return 0;
  try {
    size_t used = 0;
    long long v = std::stoll(*text, &used);
    return used == text->size() ? v : 0;
  } catch (...) {
    return 0;
  }
}

int countOf(const RecordedRequest& r) {
  int64_t n = idOf(r.param("count"));
  if (n <= 0) return kDefaultCount;
  return static_cast<int>(std::min<int64_t>(n, kMostCount));
}

ServerReply json(const nlohmann::json& body, int status = 200) {
  ServerReply reply;
  reply.status = status;
  reply.contentType = kJson;
  reply.body = body.dump();
  return reply;
}

}  // namespace

PlatformService::PlatformService(const std::filesystem::path& dataFile) {
  std::ifstream in(dataFile);
  if (!in) throw std::runtime_error("platform data: cannot read " + dataFile.string());
  try {
    data_ = Json::parse(in);
  } catch (const std::exception& e) {
    throw std::runtime_error("platform data: " + dataFile.string() + ": " + e.what());
  }
  for (const char* key : {"apps", "users", "statuses", "comments", "friendships"}) {
    if (!data_.contains(key) || !data_[key].is_array())
      throw std::runtime_error("platform data: " + dataFile.string() + " has no list " + key);
  }
  for (auto& f : data_["friendships"]) {
    int64_t a = f.at(0).get<int64_t>(), b = f.at(1).get<int64_t>();
    if (!userById(a) || !userById(b))
      throw std::runtime_error("platform data: a friendship names an unknown user");
    friendships_.insert({a, b});
  }
  for (auto& s : data_["statuses"]) {
    if (!userById(s.at("user").get<int64_t>()))
      throw std::runtime_error("platform data: status " + s.at("id").dump() + " has no user");
  }
  for (auto& c : data_["comments"]) {
    if (!statusById(c.at("status").get<int64_t>()) || !userById(c.at("user").get<int64_t>()))
      throw std::runtime_error("platform data: comment " + c.at("id").dump() + " is dangling");
  }
  using S = PlatformService;
  const bool writes = true;
  routes_ = {
      {"/2/statuses/user_timeline.json", {&S::userTimeline}},
      {"/2/statuses/mentions.json", {&S::mentions}},
      {"/2/statuses/friends_timeline.json", {&S::friendsTimeline}},
      {"/2/comments/to_me.json", {&S::commentsToMe}},
      {"/2/comments/show.json", {&S::commentsShow}},
      {"/2/statuses/repost_timeline.json", {&S::repostTimeline}},
      {"/2/statuses/count.json", {&S::counts}},
      {"/2/friendships/friends.json", {&S::friends}},
      {"/2/users/show.json", {&S::userShow}},
      {"/2/friendships/show.json", {&S::friendshipShow}},
      {"/2/friendships/create.json", {&S::friendshipCreate, writes}},
      {"/2/friendships/destroy.json", {&S::friendshipDestroy, writes}},
      {"/2/statuses/show.json", {&S::statusShow}},
      {"/2/statuses/destroy.json", {&S::statusDestroy, writes}},
      {"/2/remind/unread_count.json", {&S::unreadCount}},
      {"/2/remind/set_count.json", {&S::setCount, writes}},
  };
}

ServerReply PlatformService::handle(const RecordedRequest& r) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::string path = lowercaseASCII(r.path);
  if (path == "/oauth2/authorize")
    return r.method == "POST" ? authorizeSubmit(r) : authorizePage(r);
  if (path == "/oauth2/access_token") {
    if (r.method != "POST")
      return error(r, kErrMissingParameter, "HTTP METHOD is not suported for this request!", 405);
    return accessToken(r);
  }
  auto it = routes_.find(path);
  if (it == routes_.end()) return error(r, 10014, "Request api not found!", 404);
  if (it->second.writes && r.method != "POST")
    return error(r, 10021, "HTTP METHOD is not suported for this request!", 405);
  auto token = r.param("access_token");
  if (!token || token->empty()) return error(r, kErrAuthFailed, "auth faild!", 403);
  auto found = tokens_.find(*token);
  if (found == tokens_.end() || found->second.state == Token::State::Revoked)
    return error(r, kErrRevokedToken, "invalid_access_token");
  if (found->second.state == Token::State::Expired)
    return error(r, kErrExpiredToken, "expired_token");
  return (this->*(it->second.handler))(r, found->second.userId);
}

// ---- OAuth2 ----------------------------------------------------------------------------------

const PlatformService::Json* PlatformService::app(const std::string& clientId) const {
  for (auto& a : data_["apps"])
    if (a.value("client_id", "") == clientId) return &a;
  return nullptr;
}

std::optional<ServerReply> PlatformService::refusedClient(const RecordedRequest& r) const {
  const Json* client = app(r.paramOr("client_id"));
  if (!client) return error(r, kErrInvalidClient, "invalid_client");
  // A code goes only to the address the app registered.
  if (client->value("redirect_uri", "") != r.paramOr("redirect_uri"))
    return error(r, kErrRedirectMismatch, "redirect_uri_mismatch");
  return std::nullopt;
}

ServerReply PlatformService::authorizePage(const RecordedRequest& r) {
  std::string clientId = r.paramOr("client_id");
  std::string redirect = r.paramOr("redirect_uri");
  if (auto refused = refusedClient(r)) return *refused;
  std::string cancel = redirect + "?error_uri=%2Foauth2%2Fauthorize&error=access_denied" +
                       "&error_description=user%20denied%20your%20request.&error_code=" +
                       std::to_string(kErrUserCancelled);
  ServerReply reply;
  reply.contentType = "text/html; charset=utf-8";
  reply.body =
      "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>授权</title></head><body>"
      "<form method=\"post\" action=\"/oauth2/authorize\">"
      "<input type=\"hidden\" name=\"client_id\" value=\"" +
      htmlEscape(clientId) +
      "\">"
      "<input type=\"hidden\" name=\"redirect_uri\" value=\"" +
      htmlEscape(redirect) +
      "\">"
      "<input type=\"hidden\" name=\"response_type\" value=\"code\">"
      "<input id=\"userId\" name=\"userId\" type=\"text\">"
      "<input id=\"passwd\" name=\"passwd\" type=\"password\">"
      "<button type=\"submit\">登录</button>"
      "<a id=\"cancel\" href=\"" +
      htmlEscape(cancel) +
      "\">取消</a>"
      "</form></body></html>";
  return reply;
}

ServerReply PlatformService::authorizeSubmit(const RecordedRequest& r) {
  std::string clientId = r.paramOr("client_id");
  std::string redirect = r.paramOr("redirect_uri");
  if (auto refused = refusedClient(r)) return *refused;
  const Json* user = userByLogin(r.paramOr("userId"));
  if (!user || user->value("password", "") != r.paramOr("passwd")) {
    ServerReply again = authorizePage(r);
    again.status = 200;
    again.body.insert(again.body.find("<form"), "<p id=\"error\">帐号或密码错误</p>");
    return again;
  }
  std::string code = newSecret("c");
  grants_[code] = Grant{user->at("id").get<int64_t>(), clientId, redirect};
  ServerReply reply;
  reply.status = 302;
  reply.contentType = "text/plain";
  reply.headers.emplace_back("Location", redirect + "?code=" + code);
  return reply;
}

ServerReply PlatformService::accessToken(const RecordedRequest& r) {
  const Json* client = app(r.paramOr("client_id"));
  if (!client || client->value("client_secret", "") != r.paramOr("client_secret"))
    return error(r, kErrInvalidClient, "invalid_client", 401);
  if (r.paramOr("grant_type") != "authorization_code")
    return error(r, kErrMissingParameter, "unsupported_grant_type");
  auto grant = grants_.find(r.paramOr("code"));
  if (grant == grants_.end() || grant->second.clientId != client->value("client_id", ""))
    return error(r, kErrInvalidGrant, "invalid_grant");
  if (grant->second.redirectURI != r.paramOr("redirect_uri"))
    return error(r, kErrRedirectMismatch, "redirect_uri_mismatch");
  int64_t userId = grant->second.userId;
  // A code is good for one exchange.
  grants_.erase(grant);
  std::string token = newSecret("t");
  tokens_[token] = Token{userId};
  int lifetime = data_.value("tokenLifetime", 86400);
  return json({{"access_token", token},
               {"remind_in", std::to_string(lifetime)},
               {"expires_in", lifetime},
               {"uid", std::to_string(userId)}});
}

std::string PlatformService::newSecret(const char* prefix) {
  static std::mt19937_64 random{std::random_device{}()};
  char text[40];
  std::snprintf(text, sizeof text, "2.00%s%016llx%04llx", prefix,
                static_cast<unsigned long long>(random()),
                static_cast<unsigned long long>(++serial_ & 0xFFFF));
  return text;
}

std::string PlatformService::issueToken(int64_t userId) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::string token = newSecret("t");
  tokens_[token] = Token{userId};
  return token;
}

void PlatformService::revokeToken(const std::string& token) {
  std::lock_guard<std::mutex> lock(mutex_);
  tokens_[token].state = Token::State::Revoked;
}

void PlatformService::expireToken(const std::string& token) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = tokens_.find(token);
  if (it != tokens_.end()) it->second.state = Token::State::Expired;
}

bool PlatformService::follows(int64_t followerId, int64_t followedId) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return friendships_.count({followerId, followedId}) > 0;
}

// ---- records ----------------------------------------------------------------------------------

ServerReply PlatformService::error(const RecordedRequest& r, int code, const std::string& message,
                                   int status) const {
  return json({{"error", message}, {"error_code", code}, {"request", r.path}}, status);
}

const PlatformService::Json* PlatformService::userWhere(
    const std::function<bool(const Json&)>& matches) const {
  for (auto& u : data_["users"])
    if (matches(u)) return &u;
  return nullptr;
}

const PlatformService::Json* PlatformService::userById(int64_t id) const {
  return userWhere([&](const Json& u) { return u.at("id").get<int64_t>() == id; });
}

const PlatformService::Json* PlatformService::userByName(const std::string& screenName) const {
  return userWhere([&](const Json& u) { return u.value("screen_name", "") == screenName; });
}

const PlatformService::Json* PlatformService::userByLogin(const std::string& login) const {
  return userWhere([&](const Json& u) { return u.value("login", "") == login; });
}

const PlatformService::Json* PlatformService::statusById(int64_t id) const {
  if (deletedStatuses_.count(id)) return nullptr;
  for (auto& s : data_["statuses"])
    if (s.at("id").get<int64_t>() == id) return &s;
  return nullptr;
}

const PlatformService::Json* PlatformService::namedUser(const RecordedRequest& r, int64_t viewer,
                                                        const char* idKey,
                                                        const char* nameKey) const {
  if (auto id = r.param(idKey)) return userById(idOf(id));
  if (auto name = r.param(nameKey)) return userByName(*name);
  return userById(viewer);
}

PlatformService::Json PlatformService::userJson(const Json& user, int64_t viewer) const {
  int64_t id = user.at("id").get<int64_t>();
  int followers = 0, friends = 0, statuses = 0;
  for (auto& [a, b] : friendships_) {
    if (b == id) ++followers;
    if (a == id) ++friends;
  }
  for (auto& s : data_["statuses"])
    if (s.at("user").get<int64_t>() == id && !deletedStatuses_.count(s.at("id").get<int64_t>()))
      ++statuses;
  return {{"id", id},
          {"idstr", std::to_string(id)},
          {"screen_name", user.value("screen_name", "")},
          {"name", user.value("name", "")},
          {"location", user.value("location", "")},
          {"description", user.value("description", "")},
          {"gender", user.value("gender", "n")},
          {"profile_image_url", "https://tva.ziza.example/avatar/" + std::to_string(id) + ".png"},
          {"followers_count", followers},
          {"friends_count", friends},
          {"statuses_count", statuses},
          {"favourites_count", 0},
          {"following", friendships_.count({viewer, id}) > 0},
          {"follow_me", friendships_.count({id, viewer}) > 0},
          {"verified", user.value("verified", false)}};
}

PlatformService::Json PlatformService::statusJson(const Json& status, int64_t viewer,
                                                  int depth) const {
  int64_t id = status.at("id").get<int64_t>();
  int comments = 0, reposts = 0;
  for (auto& c : data_["comments"])
    if (c.at("status").get<int64_t>() == id) ++comments;
  for (auto& s : data_["statuses"])
    if (s.value("retweeted_status", int64_t(0)) == id) ++reposts;
  Json out = {{"created_at", status.value("created_at", "")},
              {"id", id},
              {"idstr", std::to_string(id)},
              {"mid", std::to_string(id)},
              {"text", status.value("text", "")},
              {"source", "zept"},
              {"reposts_count", reposts},
              {"comments_count", comments}};
  if (const Json* user = userById(status.at("user").get<int64_t>()))
    out["user"] = userJson(*user, viewer);
  if (depth == 0 && status.contains("retweeted_status")) {
    if (const Json* original = statusById(status["retweeted_status"].get<int64_t>()))
      out["retweeted_status"] = statusJson(*original, viewer, depth + 1);
  }
  return out;
}

PlatformService::Json PlatformService::commentJson(const Json& comment, int64_t viewer) const {
  Json out = {{"created_at", comment.value("created_at", "")},
              {"id", comment.at("id").get<int64_t>()},
              {"idstr", std::to_string(comment.at("id").get<int64_t>())},
              {"text", comment.value("text", "")},
              {"source", "zept"}};
  if (const Json* user = userById(comment.at("user").get<int64_t>()))
    out["user"] = userJson(*user, viewer);
  if (const Json* status = statusById(comment.at("status").get<int64_t>()))
    out["status"] = statusJson(*status, viewer, 1);
  return out;
}

PlatformService::Json PlatformService::page(std::vector<const Json*> statuses,
                                            const RecordedRequest& r, int64_t viewer,
                                            bool byMaxId) const {
  std::sort(statuses.begin(), statuses.end(), [](const Json* a, const Json* b) {
    return a->at("id").get<int64_t>() > b->at("id").get<int64_t>();
  });
  size_t total = statuses.size();
  const int count = countOf(r);
  if (byMaxId) {
    int64_t maxId = idOf(r.param("max_id"));
    if (maxId > 0)
      statuses.erase(
          std::remove_if(statuses.begin(), statuses.end(),
                         [&](const Json* s) { return s->at("id").get<int64_t>() > maxId; }),
          statuses.end());
  } else {
    int64_t pageNumber = std::max<int64_t>(1, idOf(r.param("page")));
    size_t skip = std::min<size_t>(statuses.size(), size_t(pageNumber - 1) * size_t(count));
    statuses.erase(statuses.begin(), statuses.begin() + long(skip));
  }
  if (statuses.size() > size_t(count)) statuses.resize(size_t(count));
  Json list = Json::array();
  for (auto* s : statuses) list.push_back(statusJson(*s, viewer));
  return {{"statuses", list}, {"total_number", total}};
}

// ---- REST methods -----------------------------------------------------------------------------

ServerReply PlatformService::userTimeline(const RecordedRequest& r, int64_t viewer) {
  const Json* user = namedUser(r, viewer, "uid", "screen_name");
  if (!user) return error(r, kErrNoSuchUser, "User does not exists!");
  int64_t id = user->at("id").get<int64_t>();
  std::vector<const Json*> mine;
  for (auto& s : data_["statuses"])
    if (s.at("user").get<int64_t>() == id && statusById(s.at("id").get<int64_t>()))
      mine.push_back(&s);
  return json(page(mine, r, viewer, false));
}

ServerReply PlatformService::mentions(const RecordedRequest& r, int64_t viewer) {
  std::string at = "@" + userById(viewer)->value("screen_name", "");
  std::vector<const Json*> found;
  for (auto& s : data_["statuses"])
    if (s.value("text", "").find(at) != std::string::npos && statusById(s.at("id").get<int64_t>()))
      found.push_back(&s);
  return json(page(found, r, viewer, false));
}

ServerReply PlatformService::friendsTimeline(const RecordedRequest& r, int64_t viewer) {
  std::vector<const Json*> found;
  for (auto& s : data_["statuses"]) {
    int64_t author = s.at("user").get<int64_t>();
    if ((author == viewer || friendships_.count({viewer, author})) &&
        statusById(s.at("id").get<int64_t>()))
      found.push_back(&s);
  }
  return json(page(found, r, viewer, true));
}

ServerReply PlatformService::commentsToMe(const RecordedRequest& r, int64_t viewer) {
  Json list = Json::array();
  for (auto& c : data_["comments"]) {
    const Json* status = statusById(c.at("status").get<int64_t>());
    if (status && status->at("user").get<int64_t>() == viewer &&
        c.at("user").get<int64_t>() != viewer)
      list.push_back(commentJson(c, viewer));
  }
  return json({{"comments", list}, {"total_number", list.size()}});
}

ServerReply PlatformService::commentsShow(const RecordedRequest& r, int64_t viewer) {
  int64_t id = idOf(r.param("id"));
  if (!statusById(id)) return error(r, kErrNoSuchStatus, "target weibo does not exist!");
  int64_t maxId = idOf(r.param("max_id"));
  Json list = Json::array();
  for (auto& c : data_["comments"]) {
    int64_t cid = c.at("id").get<int64_t>();
    if (c.at("status").get<int64_t>() == id && (maxId <= 0 || cid <= maxId))
      list.push_back(commentJson(c, viewer));
  }
  if (list.size() > size_t(countOf(r))) list.erase(list.begin() + countOf(r), list.end());
  return json({{"comments", list}, {"total_number", list.size()}});
}

ServerReply PlatformService::repostTimeline(const RecordedRequest& r, int64_t viewer) {
  int64_t id = idOf(r.param("id"));
  if (!statusById(id)) return error(r, kErrNoSuchStatus, "target weibo does not exist!");
  std::vector<const Json*> reposts;
  for (auto& s : data_["statuses"])
    if (s.value("retweeted_status", int64_t(0)) == id && statusById(s.at("id").get<int64_t>()))
      reposts.push_back(&s);
  // Newest first, `count` a page from `max_id` on (inclusive); `next_cursor` is the max_id of
  // the page after, 0 when none follows.
  std::sort(reposts.begin(), reposts.end(), [](const Json* a, const Json* b) {
    return a->at("id").get<int64_t>() > b->at("id").get<int64_t>();
  });
  size_t total = reposts.size();
  int64_t maxId = idOf(r.param("max_id"));
  if (maxId > 0)
    reposts.erase(std::remove_if(reposts.begin(), reposts.end(),
                                 [&](const Json* s) { return s->at("id").get<int64_t>() > maxId; }),
                  reposts.end());
  const size_t count = size_t(countOf(r));
  int64_t next = reposts.size() > count ? reposts[count]->at("id").get<int64_t>() : 0;
  if (reposts.size() > count) reposts.resize(count);
  Json list = Json::array();
  for (auto* s : reposts) list.push_back(statusJson(*s, viewer));
  return json({{"reposts", list}, {"next_cursor", next}, {"total_number", total}});
}

ServerReply PlatformService::counts(const RecordedRequest& r, int64_t viewer) {
  Json list = Json::array();
  std::string ids = r.paramOr("ids");
  size_t start = 0;
  while (start <= ids.size() && !ids.empty()) {
    size_t comma = ids.find(',', start);
    int64_t id =
        idOf(ids.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
    if (const Json* s = statusById(id)) {
      Json one = statusJson(*s, viewer);
      list.push_back(
          {{"id", id}, {"comments", one["comments_count"]}, {"reposts", one["reposts_count"]}});
    }
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return json(list);
}

ServerReply PlatformService::friends(const RecordedRequest& r, int64_t viewer) {
  const Json* user = namedUser(r, viewer, "uid", "screen_name");
  if (!user) return error(r, kErrNoSuchUser, "User does not exists!");
  int64_t id = user->at("id").get<int64_t>();
  std::vector<int64_t> followed;
  for (auto& [a, b] : friendships_)
    if (a == id) followed.push_back(b);
  size_t cursor = size_t(std::max<int64_t>(0, idOf(r.param("cursor"))));
  size_t count = size_t(countOf(r));
  Json users = Json::array();
  for (size_t i = cursor; i < followed.size() && users.size() < count; ++i)
    users.push_back(userJson(*userById(followed[i]), viewer));
  size_t next = cursor + users.size();
  return json({{"users", users},
               {"next_cursor", next < followed.size() ? next : 0},
               {"previous_cursor", cursor},
               {"total_number", followed.size()}});
}

ServerReply PlatformService::userShow(const RecordedRequest& r, int64_t viewer) {
  const Json* user = namedUser(r, viewer, "uid", "screen_name");
  if (!user) return error(r, kErrNoSuchUser, "User does not exists!");
  Json out = userJson(*user, viewer);
  // The account's newest status, as the platform shows it with a profile.
  const Json* newest = nullptr;
  for (auto& s : data_["statuses"])
    if (s.at("user") == user->at("id") && statusById(s.at("id").get<int64_t>()) &&
        (!newest || s.at("id").get<int64_t>() > newest->at("id").get<int64_t>()))
      newest = &s;
  if (newest) out["status"] = statusJson(*newest, viewer, 1);
  return json(out);
}

ServerReply PlatformService::friendshipShow(const RecordedRequest& r, int64_t viewer) {
  const Json* source =
      r.param("source_id") ? userById(idOf(r.param("source_id"))) : userById(viewer);
  const Json* target = namedUser(r, 0, "target_id", "target_screen_name");
  if (!source || !target || target->at("id").get<int64_t>() == 0)
    return error(r, kErrNoSuchUser, "User does not exists!");
  int64_t s = source->at("id").get<int64_t>(), t = target->at("id").get<int64_t>();
  auto side = [&](const Json& u, int64_t self, int64_t other) {
    return Json{{"id", self},
                {"screen_name", u.value("screen_name", "")},
                {"following", friendships_.count({self, other}) > 0},
                {"followed_by", friendships_.count({other, self}) > 0}};
  };
  return json({{"source", side(*source, s, t)}, {"target", side(*target, t, s)}});
}

ServerReply PlatformService::friendshipCreate(const RecordedRequest& r, int64_t viewer) {
  const Json* target = namedUser(r, 0, "uid", "screen_name");
  if (!target) return error(r, kErrNoSuchUser, "User does not exists!");
  int64_t t = target->at("id").get<int64_t>();
  if (!friendships_.insert({viewer, t}).second)
    return error(r, kErrAlreadyFollowing, "already followed");
  return json(userJson(*target, viewer));
}

ServerReply PlatformService::friendshipDestroy(const RecordedRequest& r, int64_t viewer) {
  const Json* target = namedUser(r, 0, "uid", "screen_name");
  if (!target) return error(r, kErrNoSuchUser, "User does not exists!");
  if (!friendships_.erase({viewer, target->at("id").get<int64_t>()}))
    return error(r, kErrNotFollowing, "not followed");
  return json(userJson(*target, viewer));
}

ServerReply PlatformService::statusShow(const RecordedRequest& r, int64_t viewer) {
  const Json* status = statusById(idOf(r.param("id")));
  if (!status) return error(r, kErrNoSuchStatus, "target weibo does not exist!");
  return json(statusJson(*status, viewer));
}

ServerReply PlatformService::statusDestroy(const RecordedRequest& r, int64_t viewer) {
  const Json* status = statusById(idOf(r.param("id")));
  if (!status) return error(r, kErrNoSuchStatus, "target weibo does not exist!");
  if (status->at("user").get<int64_t>() != viewer)
    return error(r, kErrNotAuthor, "you can't delete other's weibo!");
  Json out = statusJson(*status, viewer);
  deletedStatuses_.insert(status->at("id").get<int64_t>());
  return json(out);
}

ServerReply PlatformService::unreadCount(const RecordedRequest& r, int64_t viewer) {
  int64_t uid = idOf(r.param("uid"));
  if (uid != 0 && uid != viewer) return error(r, kErrAuthFailed, "auth faild!", 403);
  auto& reset = resetCounters_[viewer];
  auto counted = [&](const char* type, int n) { return reset.count(type) ? 0 : n; };
  std::string at = "@" + userById(viewer)->value("screen_name", "");
  int mentionsCount = 0, commentsCount = 0, statusCount = 0, followers = 0;
  for (auto& s : data_["statuses"]) {
    if (!statusById(s.at("id").get<int64_t>())) continue;
    if (s.value("text", "").find(at) != std::string::npos) ++mentionsCount;
    if (friendships_.count({viewer, s.at("user").get<int64_t>()})) ++statusCount;
  }
  for (auto& c : data_["comments"]) {
    const Json* status = statusById(c.at("status").get<int64_t>());
    if (status && status->at("user").get<int64_t>() == viewer &&
        c.at("user").get<int64_t>() != viewer)
      ++commentsCount;
  }
  for (auto& [a, b] : friendships_)
    if (b == viewer) ++followers;
  return json({{"status", counted("status", statusCount)},
               {"follower", counted("follower", followers)},
               {"cmt", counted("cmt", commentsCount)},
               {"dm", 0},
               {"mention_status", counted("mention_status", mentionsCount)},
               {"mention_cmt", 0}});
}

ServerReply PlatformService::setCount(const RecordedRequest& r, int64_t viewer) {
  std::string type = r.paramOr("type");
  static const std::set<std::string> known = {"status", "follower",       "cmt",
                                              "dm",     "mention_status", "mention_cmt"};
  if (!known.count(type)) return error(r, kErrMissingParameter, "miss required parameter (type)");
  resetCounters_[viewer][type] = 1;
  return json({{"result", true}});
}

}  // namespace zept::server

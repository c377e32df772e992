// The local microblog platform's answers: the OAuth2 login page and token exchange and the
// "/2/" REST methods, from the demo data.  One lock guards the accounts, tokens and
// friendships: requests are few and small.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "server/ServerRequest.h"

namespace zept::server {

class PlatformService {
 public:
  // Throws std::runtime_error when the file is missing or its references do not hold.
  explicit PlatformService(const std::filesystem::path& dataFile);

  ServerReply handle(const RecordedRequest& request);

  std::string issueToken(int64_t userId);
  void revokeToken(const std::string& token);
  void expireToken(const std::string& token);
  bool follows(int64_t followerId, int64_t followedId) const;

 private:
  using Json = nlohmann::json;
  using Handler = ServerReply (PlatformService::*)(const RecordedRequest&, int64_t viewer);
  struct Route {
    Handler handler;
    bool writes = false;
  };
  struct Token {
    int64_t userId = 0;
    enum class State { Valid, Revoked, Expired } state = State::Valid;
  };
  struct Grant {
    int64_t userId = 0;
    std::string clientId;
    std::string redirectURI;
  };

  // OAuth2.
  ServerReply authorizePage(const RecordedRequest& r);
  ServerReply authorizeSubmit(const RecordedRequest& r);
  ServerReply accessToken(const RecordedRequest& r);
  // REST methods; `viewer` is the token's account.
  ServerReply userTimeline(const RecordedRequest& r, int64_t viewer);
  ServerReply mentions(const RecordedRequest& r, int64_t viewer);
  ServerReply friendsTimeline(const RecordedRequest& r, int64_t viewer);
  ServerReply commentsToMe(const RecordedRequest& r, int64_t viewer);
  ServerReply commentsShow(const RecordedRequest& r, int64_t viewer);
  ServerReply repostTimeline(const RecordedRequest& r, int64_t viewer);
  ServerReply counts(const RecordedRequest& r, int64_t viewer);
  ServerReply friends(const RecordedRequest& r, int64_t viewer);
  ServerReply userShow(const RecordedRequest& r, int64_t viewer);
  ServerReply friendshipShow(const RecordedRequest& r, int64_t viewer);
  ServerReply friendshipCreate(const RecordedRequest& r, int64_t viewer);
  ServerReply friendshipDestroy(const RecordedRequest& r, int64_t viewer);
  ServerReply statusShow(const RecordedRequest& r, int64_t viewer);
  ServerReply statusDestroy(const RecordedRequest& r, int64_t viewer);
  ServerReply unreadCount(const RecordedRequest& r, int64_t viewer);
  ServerReply setCount(const RecordedRequest& r, int64_t viewer);

  ServerReply error(const RecordedRequest& r, int code, const std::string& message,
                    int status = 400) const;
  const Json* app(const std::string& clientId) const;
  // The refusal of a login for an unknown app or another address than the app registered.
  std::optional<ServerReply> refusedClient(const RecordedRequest& r) const;
  const Json* userWhere(const std::function<bool(const Json&)>& matches) const;
  const Json* userById(int64_t id) const;
  const Json* userByName(const std::string& screenName) const;
  const Json* userByLogin(const std::string& login) const;
  const Json* statusById(int64_t id) const;
  // The account a request names by uid or screen_name; the viewer when it names none.
  const Json* namedUser(const RecordedRequest& r, int64_t viewer, const char* idKey,
                        const char* nameKey) const;
  Json userJson(const Json& user, int64_t viewer) const;
  Json statusJson(const Json& status, int64_t viewer, int depth = 0) const;
  Json commentJson(const Json& comment, int64_t viewer) const;
  // Newest first, "page"/"count" or "max_id"/"count" applied.
  Json page(std::vector<const Json*> statuses, const RecordedRequest& r, int64_t viewer,
            bool byMaxId) const;
  std::string newSecret(const char* prefix);

  Json data_;
  std::map<std::string, Route> routes_;
  std::set<std::pair<int64_t, int64_t>> friendships_;
  std::set<int64_t> deletedStatuses_;
  std::map<std::string, Token> tokens_;
  std::map<std::string, Grant> grants_;
  std::map<int64_t, std::map<std::string, int>> resetCounters_;
  uint64_t serial_ = 0;
  mutable std::mutex mutex_;
};

}  // namespace zept::server

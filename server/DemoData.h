// The content the local server answers with: read from the JSON files of a data folder
// (server/data) - channels, users, statuses with pictures and reposts, comments, topics,
// products, articles and the smaller catalogues - and joined by what clients post (statuses,
// reposts, comments, likes, seminar posts, product feedback).  Queries may run side by side;
// a change must not overlap any other call (the content service holds its lock for that), and
// records handed out stay valid until their status is removed.  Addresses of served files are
// written with the placeholder "{base}", which the server replaces by the address the client
// used to reach it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zept::server {

using Json = nlohmann::ordered_json;

inline constexpr std::string_view kBase = "{base}";

// A status (or product) of the demo feed.
struct DemoStatus {
  int64_t eid = 0;     // the content server's own id; list cursors count in it
  int64_t id = 0;      // the microblog platform's status id
  int64_t userId = 0;  // author
  int64_t time = 0;    // seconds since 1970
  std::string text;
  std::string picture;  // picture name, empty when none
  std::string source;   // name of the posting client
  int reposts = 0;
  int likes = 0;
  int64_t retweetEid = 0;             // the reposted status, 0 when none
  std::vector<std::string> channels;  // channel and sub-channel ids it is listed in
  std::vector<int64_t> topics;
  int64_t area = 0;
  bool hot = false;
  bool product = false;
};

struct DemoComment {
  int64_t id = 0;
  int64_t statusEid = 0;
  int64_t userId = 0;
  int64_t time = 0;
  std::string text;
  int64_t replyTo = 0;  // id of the comment answered, 0 when none
};

struct DemoChannel {
  int id = 0;
  std::string name;
  std::string templateName;
  Json record;  // the server's channel dictionary without image fields
  std::vector<std::string> subIds;
  // False for the app's bundled channels that only have a channel page here ("Listed": false):
  // the app already carries them, so the channel list leaves them out.
  bool listed = true;
};

struct DemoArticle {
  std::string code;  // the short-link code
  std::string title;
  std::string site;
  std::string author;
  int64_t time = 0;
  std::string summary;
  std::vector<std::string> paragraphs;
  std::string picture;
};

class DemoData {
 public:
  // Reads every file of the folder; throws std::runtime_error naming the file and the fault.
  explicit DemoData(const std::filesystem::path& dataDir);

  // The folder of the project's own demo data.
  static std::filesystem::path defaultDataDir();

  const std::vector<DemoChannel>& channels() const { return channels_; }
  const DemoChannel* channel(int id) const;
  // Resolves a channel id as the app sends it: a channel number, a sub-channel id, or a
  // channel number followed by one digit choosing a sub-channel (0: the whole channel).
  // nullopt for an id that names nothing; the list is newest first.
  std::optional<std::vector<const DemoStatus*>> statusesForChannelId(std::string_view id) const;
  std::vector<const DemoStatus*> allStatuses() const;  // channel statuses, newest first
  std::vector<const DemoStatus*> products() const;     // newest first
  const DemoStatus* statusByEid(int64_t eid) const;
  // By platform id or, failing that, by content-server id.
  const DemoStatus* findStatus(int64_t anyId) const;
  const Json* user(int64_t id) const;
  const std::vector<Json>& users() const { return users_; }
  std::vector<const DemoComment*> comments(int64_t statusEid) const;  // newest first
  const DemoComment* comment(int64_t id) const;
  int commentCount(int64_t statusEid) const;
  const std::vector<Json>& topics() const { return topics_; }
  std::vector<const DemoStatus*> topicStatuses(int64_t topicId) const;
  const DemoArticle* article(std::string_view code) const;
  const std::vector<DemoArticle>& articles() const { return articles_; }
  const Json& productFeedback(int64_t productEid) const;
  const Json& catalogue() const { return catalogue_; }
  const Json& misc() const { return misc_; }
  const std::string& stylesheet() const { return stylesheet_; }

  // Newest status time of a list as "yyyy-MM-dd HH:mm:ss", empty for an empty list.
  static std::string stamp(const std::vector<const DemoStatus*>& list);

  // ---- what clients post
  // A new status with the next eid and its platform id; its time is now when it has none.
  const DemoStatus& addStatus(DemoStatus status);
  // Removes a status and its comments; false when there is none.
  bool removeStatus(int64_t eid);
  // One more repost, one more or one less like.
  void countRepost(int64_t eid);
  void countLike(int64_t eid, int change);
  // A new comment with the next id; its time is now when it has none.
  const DemoComment& addComment(DemoComment comment);
  // A platform user the demo does not know (an account a client bound), with a name of its own.
  void addUser(int64_t id);
  void addProductFeedback(int64_t productEid, Json entry);
  // A new seminar post ("Id" is given the next number).
  Json addSeminarPost(Json post);

  // Wire forms.
  Json userJSON(int64_t id) const;
  Json statusJSON(const DemoStatus& s, bool withRetweet = true) const;
  Json commentJSON(const DemoComment& c, bool withReply = true) const;

 private:
  std::vector<DemoChannel> channels_;
  std::map<int64_t, DemoStatus> statuses_;  // by eid
  std::map<int64_t, int64_t> eidByPlatformId_;
  std::vector<Json> users_;
  std::map<int64_t, size_t> userIndex_;
  std::map<int64_t, DemoComment> comments_;  // by id
  std::vector<Json> topics_;
  std::vector<DemoArticle> articles_;
  std::map<int64_t, Json> productFeedback_;
  Json catalogue_;
  Json misc_;
  std::string stylesheet_;
};

// Time helpers shared by the endpoints.  Demo times are Beijing time (+0800).
int64_t parseDemoTime(std::string_view text);     // "yyyy-MM-dd HH:mm[:ss]"; -1 when malformed
std::string formatDemoTime(int64_t seconds);      // "yyyy-MM-dd HH:mm:ss"
std::string formatPlatformTime(int64_t seconds);  // "Mon Jun 03 08:12:00 +0800 2013"

}  // namespace zept::server

// What the local content server answers: the ".aspx" endpoints of the content, post, account
// and log hosts, the app store lookup, and the pictures, stylesheet and web pages of the demo
// data.  One process serves every host role on one port; requests are told apart by path alone
// (matched without regard to case, as the original hosts did), so a path that two hosts share
// gets one answer that reads every parameter either host's callers send.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <shared_mutex>
#include <string>
#include <string_view>
#include <vector>

#include "server/ClientRegistry.h"
#include "server/DemoData.h"
#include "server/PictureFactory.h"
#include "server/ServerRequest.h"

namespace zept::server {

// A feedback report or usage-log upload as the log host received it.
struct LogUpload {
  std::string path;  // "/feedback.aspx", "/upLoad.aspx" or "/post.aspx" as requested
  // Every parameter, query first; the enciphered ones ("body", "Id", "Actionlogs") deciphered.
  Pairs fields;
  // The uploaded log file ("/upLoad.aspx"), deciphered.
  std::string file;

  std::string field(std::string_view name) const;
};

// A status the post host accepted, text or picture.
struct PostedStatus {
  std::string key;  // the client's key
  std::string uid;  // the platform account it was posted for
  std::string content;
  // The uploaded picture ("/Operates/StatusesUpload.aspx"); empty for a text post.
  std::string picture;
  int64_t id = 0;  // the id the post host gave it
};

class ContentService {
 public:
  ContentService(std::filesystem::path dataDir, std::filesystem::path clientsFile);

  // Answers one request; `base` is the address the client reached the server at
  // ("http://host[:port]"), used for the addresses of pictures and pages in the reply.
  ServerReply handle(const RecordedRequest& request, const std::string& base);

  ClientRegistry& clients() { return clients_; }
  const DemoData& data() const { return data_; }

  // Login switches by their reply key ("ErrorLogEnable", "isShowAd" ...).
  void setLoginSwitch(const std::string& name, bool value);
  // The "others" stamp of the login reply and the update check; a change makes the app fetch
  // the channel list again.
  void setChannelListStamp(const std::string& stamp);
  // The version the app store lookup reports.
  void setAppStoreVersion(const std::string& version);
  void setChannelImageEdition(int channelId, const std::string& kind, int edition);
  std::vector<LogUpload> logUploads() const;
  std::vector<PostedStatus> postedStatuses() const;

 private:
  // What one reader did that later reads show, by owner: the platform user id a request names
  // or the client bound, else the client key.
  struct Activity {
    std::vector<int64_t> favourites;     // status eids
    std::set<int64_t> likedStatuses;     // eids
    std::vector<int64_t> likedProducts;  // product eids
    std::set<int64_t> hiddenAdverts;     // advert ids the reader closed
    Json watches = Json::array();        // followed seminar posts
  };
  // Whether a route changes what later requests see: such requests run alone.
  enum class Effect { Reads, Writes };
  enum class Access {
    Open,    // no parameters required
    Std,     // "std" required
    Keyed,   // "std" and a client key: a registered one or the app's fallback key
    Client,  // "std" and a registered client key
  };
  enum class Dialect { Content, Log };
  using Handler = ServerReply (ContentService::*)(const RecordedRequest&);
  struct Route {
    Access access;
    Dialect dialect;
    Handler handler;
    Effect effect = Effect::Reads;
  };

  ServerReply staticFile(const RecordedRequest& r, const std::string& lowerPath);

  // Account host.
  ServerReply registerClient(const RecordedRequest& r);
  ServerReply login(const RecordedRequest& r);
  ServerReply session(const RecordedRequest& r);
  ServerReply enablePush(const RecordedRequest& r);
  ServerReply bind(const RecordedRequest& r);
  ServerReply appUpdate(const RecordedRequest& r);
  ServerReply appStoreLookup(const RecordedRequest& r);
  // Lists of statuses.
  ServerReply channelPage(const RecordedRequest& r);
  ServerReply feedV2(const RecordedRequest& r);
  ServerReply feed(const RecordedRequest& r);
  ServerReply areaTimeline(const RecordedRequest& r);
  ServerReply topicTimeline(const RecordedRequest& r);
  ServerReply hotItems(const RecordedRequest& r);
  ServerReply newProducts(const RecordedRequest& r);
  ServerReply likedProducts(const RecordedRequest& r);
  ServerReply search(const RecordedRequest& r);
  // Other reading endpoints.
  ServerReply topicList(const RecordedRequest& r);
  ServerReply channelList(const RecordedRequest& r);
  ServerReply checkUpdate(const RecordedRequest& r);
  ServerReply countInfo(const RecordedRequest& r);
  ServerReply comments(const RecordedRequest& r);
  ServerReply showContent(const RecordedRequest& r);
  ServerReply newsReader(const RecordedRequest& r);
  ServerReply goZiza(const RecordedRequest& r);
  ServerReply serverMessage(const RecordedRequest& r);
  ServerReply seminarList(const RecordedRequest& r);
  ServerReply seminarPosts(const RecordedRequest& r);
  ServerReply watchedPosts(const RecordedRequest& r);
  ServerReply watchedPostDetail(const RecordedRequest& r);
  ServerReply companies(const RecordedRequest& r);
  ServerReply expo(const RecordedRequest& r);
  ServerReply buzzwords(const RecordedRequest& r);
  ServerReply productFeedback(const RecordedRequest& r);
  ServerReply quotes(const RecordedRequest& r);
  ServerReply certificates(const RecordedRequest& r);
  ServerReply trends(const RecordedRequest& r);
  ServerReply suggestionList(const RecordedRequest& r);
  ServerReply suggestions(const RecordedRequest& r);
  ServerReply vendors(const RecordedRequest& r);
  // Post host (ContentService+Posting.cpp).
  ServerReply postStatus(const RecordedRequest& r);
  ServerReply postImageStatus(const RecordedRequest& r);
  ServerReply acceptPost(const RecordedRequest& r, std::string picture);
  ServerReply subscribe(const RecordedRequest& r);
  ServerReply addFavourite(const RecordedRequest& r);
  ServerReply removeFavourite(const RecordedRequest& r);
  ServerReply destroyStatus(const RecordedRequest& r);
  ServerReply repost(const RecordedRequest& r);
  ServerReply comment(const RecordedRequest& r);
  ServerReply share(const RecordedRequest& r);
  ServerReply postProductFeedback(const RecordedRequest& r);
  ServerReply seminarPost(const RecordedRequest& r);
  ServerReply seminarComment(const RecordedRequest& r);
  ServerReply watchSeminarPost(const RecordedRequest& r);
  ServerReply unwatchSeminarPost(const RecordedRequest& r);
  ServerReply seminarRegistration(const RecordedRequest& r);
  ServerReply saveIndustryProfile(const RecordedRequest& r);
  ServerReply saveGuideStep(const RecordedRequest& r);
  ServerReply registerProfile(const RecordedRequest& r);
  ServerReply saveProfileChoice(const RecordedRequest& r);
  ServerReply hideAdvert(const RecordedRequest& r);
  ServerReply showAdvert(const RecordedRequest& r);
  // Account host (ContentService+Posting.cpp).
  ServerReply like(const RecordedRequest& r);
  ServerReply likeProduct(const RecordedRequest& r);
  ServerReply unlikeProduct(const RecordedRequest& r);
  ServerReply trialProduct(const RecordedRequest& r);
  ServerReply followService(const RecordedRequest& r);
  ServerReply locate(const RecordedRequest& r);
  // Content host: records, adverts and the profile wizard (ContentService+Posting.cpp).
  ServerReply itemClick(const RecordedRequest& r);
  ServerReply seminarBanners(const RecordedRequest& r);
  ServerReply itemAdvert(const RecordedRequest& r);
  ServerReply channelAdverts(const RecordedRequest& r);
  ServerReply bannerList(const RecordedRequest& r);
  ServerReply profileOptions(const RecordedRequest& r);
  ServerReply guideStep(const RecordedRequest& r);

  // The platform account a post goes out on: the one the request names, else the one the
  // client bound; empty when neither.  A user the demo does not know is added.
  std::string posterOf(const RecordedRequest& r);
  std::string ownerOf(const RecordedRequest& r) const;
  Activity& activityOf(const RecordedRequest& r);
  const Activity* findActivity(const RecordedRequest& r) const;
  // The item advert the reader has not closed; an empty object when none is left.
  Json itemAdvertOf(const RecordedRequest& r) const;
  // A repost (and its comment) by the poster; the status to repost must exist.
  ServerReply repostStatus(const RecordedRequest& r, bool seminar);
  // Channel ids a client's post is listed under.
  std::vector<std::string> postChannels() const;
  // Log host.
  ServerReply feedback(const RecordedRequest& r);
  ServerReply uploadLog(const RecordedRequest& r);
  ServerReply postLog(const RecordedRequest& r);

  Json seminarPostPage(int64_t eventId, const RecordedRequest& r,
                       const std::function<bool(const Json&)>& keep) const;
  Json loginReply(const char* message);
  Json statusPage(const std::vector<const DemoStatus*>& list, const RecordedRequest& r);
  std::string channelListStamp() const;
  // The picture of one channel image as served now.
  const std::string& channelImage(const std::string& kind, const DemoChannel& channel, int scale);

  DemoData data_;
  PictureFactory pictures_;
  ClientRegistry clients_;
  std::map<std::string, Route> routes_;  // by lower-case path

  // Held shared by reads and alone by writes: the demo data, the activity and the uploaded
  // pictures change under it.
  mutable std::shared_mutex content_;
  std::map<std::string, Activity> activity_;
  std::map<std::string, std::string> uploadedPictures_;  // JPEG bytes by picture name

  mutable std::mutex mutex_;
  std::map<std::string, bool> switchOverrides_;
  std::string channelListStampOverride_;
  std::string appStoreVersionOverride_;
  std::map<std::pair<int, std::string>, int> channelImageEditions_;
  std::vector<LogUpload> logUploads_;
  std::vector<PostedStatus> postedStatuses_;
};

}  // namespace zept::server

// The content-server client: the one client of the service's own content server.  Endpoint
// operations fill a parameter dictionary, set a few one-shot request settings and call one of
// the send routines here; this turns path and parameters into an engine request, sends it,
// reads the reply text (from the reply's cache file when it was written to one) and hands it to
// the receiver's action, or hands over the synthetic failure reply.  It also fronts the post
// sender and the downloader it owns, and sets the width of its three queues from the network
// type.
//
// One request at a time goes through reQuestUrl (each send cancels the one before, and its
// reply goes to the registered receiver); queued sends carry their receiver on the request and
// run side by side.  Receivers are never kept alive.  Main thread: the one-shot settings rely
// on the set-send-clear pattern of a single thread.
#pragma once

#include <functional>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Foundation/NSObject.h"
#include "Foundation/Value.h"
#include "UIKit/UIAlertView.h"
#include "core/RequestType.h"
#include "model/ChannelImageDownloader.h"

struct ChannelItem;
struct NSAdInfo;
class ClientDownload;
class NSSectionItem;
class ClientPostRequest;
class HXHTTPRequest;
class HXNetworkQueue;
class NSThread;

// A receiver that also takes the replies its registered action cannot
// (URLConnectionDidFinishLoading:).
class ClientReplyReceiver {
 public:
  virtual ~ClientReplyReceiver() = default;
  virtual void URLConnectionDidFinishLoading(const Value& text) = 0;
};

class ClientRequest : public NSObject, public UIAlertViewDelegate, public ChannelImageDownloader {
 public:
  static constexpr std::string_view kUserAgent = "ZeptMobileAgent_iphone";
  static constexpr int kDefaultTimeOutSec = 15;

  // The shared client, created on first use (on the main thread).
  static std::shared_ptr<ClientRequest> engine();
  // A client of its own (the shared one is made this way).
  static std::shared_ptr<ClientRequest> create();
  ~ClientRequest() override;

  const std::shared_ptr<ClientPostRequest>& postQueue() const { return postQueue_; }
  const std::shared_ptr<ClientDownload>& downloadQueue() const { return downloadQueue_; }
  const std::shared_ptr<HXNetworkQueue>& queue() const { return queue_; }

  // ---- request settings; the one-shot ones describe the next send only
  int timeOutSec() const { return timeOutSec_; }
  void setTimeOutSec(int seconds) { timeOutSec_ = seconds; }
  // 0 GET, 1 POST.
  int methodType() const { return methodType_; }
  void setMethodType(int type) { methodType_ = type; }
  // 0 content, 1 post (always POST), 2 account.
  int serverType() const { return serverType_; }
  void setServerType(int type) { serverType_ = type; }
  // Write the reply to the cache file of its URL and read it back from there.
  bool needDownload() const { return needDownload_; }
  void setNeedDownload(bool v) { needDownload_ = v; }
  // Send only while a platform account is bound and its token has not run out.
  bool needAuthorize() const { return needAuthorize_; }
  void setNeedAuthorize(bool v) { needAuthorize_ = v; }
  // No busy overlay.
  bool noNeedPromptLoad() const { return noNeedPromptLoad_; }
  void setNoNeedPromptLoad(bool v) { noNeedPromptLoad_ = v; }
  int dnsServerType() const { return dnsServerType_; }
  void setDnsServerType(int type) { dnsServerType_ = type; }
  // The caller shows its own failure prompt: the next failure while online shows none.
  bool needPromptSelf() const { return needPromptSelf_; }
  void setNeedPromptSelf(bool v) { needPromptSelf_ = v; }
  // The event waiting for a platform account to be bound (128: none).
  int eventType() const { return eventType_; }
  void setEventType(int type) { eventType_ = type; }
  // The HTTP status of the last reply, and whether a reply was not a plain success.
  int statusCode() const { return statusCode_; }
  void setStatusCode(int code) { statusCode_ = code; }
  bool hasError() const { return hasError_; }

  // ---- receivers (each clears needDownload)
  void setAction(Selector action, std::weak_ptr<NSObject> delegate);
  void setStringAction(Selector actionString, std::weak_ptr<NSObject> delegate);
  std::shared_ptr<NSObject> delegate() const { return delegate_.lock(); }
  const Selector& action() const { return action_; }
  const Selector& actionString() const { return actionString_; }
  void setPostAction(Selector action, std::weak_ptr<NSObject> delegate);
  void setDownloadAction(Selector action, std::weak_ptr<NSObject> delegate, int tag);
  void setDownloadFinish(Selector selector, std::weak_ptr<NSObject> queueDelegate);

  // ---- sends
  // The single request: the reply goes to the registered receiver.
  void reQuestUrl(std::string_view path, const ValueDictionary& parameters);
  // A queued request whose reply goes to the given receiver; isNeed lights the activity
  // indicator and lets the request stop the busy overlay.
  void reQueueUrl(std::string_view path, const ValueDictionary& parameters,
                  std::weak_ptr<NSObject> receiver, Selector action, int tag, bool isNeed);
  // A queued request to any URL, without server group, user agent or bind check.
  void reQueueNormalUrl(std::string_view url, const ValueDictionary& parameters,
                        std::weak_ptr<NSObject> receiver, Selector action, int tag, bool isNeedR);
  // The request in flight (or the one held back for a platform binding); null when none.
  const std::shared_ptr<HXHTTPRequest>& request() const { return request_; }

  // ---- cancelling
  // Drops the single request (no callback reaches anyone), keeps the receiver registration.
  void cancel();
  void cancelAction();
  // cancel, cancelAction, and every queued wrapper request with a tag above 0.
  void cacelAll();
  // Cancels the first queued wrapper request with the tag.
  void removeQueueActionByTag(int tag);
  // The downloader's cancelling (tags above 0, or one tag).
  void removeAllAction();
  void removeActionByTag(int tag);
  // Hides the network-activity indicator without touching the request count.
  void stopNetWorkActivity();

  // ---- downloads, forwarded to the downloader
  void addRequestInQueue(const std::shared_ptr<HXHTTPRequest>& request);
  void startDownloadFile(std::string_view url, const std::string& destination);
  void startDownloadFile(std::string_view url, const std::string& destination, int requestTimes);
  void startDownloadFile(std::string_view url, const std::string& destination, int tag,
                         Value localData);

  // ---- channel images, for the channel catalogue (installed with
  // ChannelItem::setImageDownloader at start-up).  Both start their downloads on the main
  // thread; a call from another thread is handed over to it, in order.
  void downloadChannelImage(int channel, const std::string& source, const std::string& destination,
                            int kind, const Value& localData) override;
  void downloadNewChannelImages(
      const std::vector<std::pair<std::string, std::string>>& downloads) override;
  // The download action of channel images: hands the finished download to the catalogue on a
  // new thread, which holds the client's image lock meanwhile, so that completions never run
  // side by side.  Returns that thread.
  std::shared_ptr<NSThread> imageAllFinish(const std::shared_ptr<HXHTTPRequest>& request);

  // ---- network type and queue width
  // "1" Wi-Fi, "0" cellular, "-1" none, "" anything else.
  std::string getNetworkType() const;
  // Wi-Fi: one request at a time on each of the three queues; cellular: the system's width;
  // no network: unchanged.
  void changeNetWork();

  // Sets "std" to the protocol version (the localised "SERVER_VERSION"); returns the dictionary.
  static ValueDictionary addComParamers(const ValueDictionary& parameters);
  // The synthetic reply after a transport failure.
  static std::string getErrorJsonString();

  // ---- engine callbacks
  void requestFinished(const std::shared_ptr<HXHTTPRequest>& request);
  void requestFailed(const std::shared_ptr<HXHTTPRequest>& request);
  void requestQueueFinished(const std::shared_ptr<HXHTTPRequest>& request);
  void requestQueueFailed(const std::shared_ptr<HXHTTPRequest>& request);
  // The reply text of a finished request: its download file read as its response encoding,
  // again as GB18030 when that gives nothing, else the in-memory body.
  static std::optional<std::string> replyTextOfRequest(const std::shared_ptr<HXHTTPRequest>& r);

  // ---- platform account
  // Starts the platform login with this client as its delegate.
  void logIn();
  // The login bound an account: the request held back for it runs now.
  void engineDidLogIn();
  // The login failed: the held request is dropped, with a prompt when an error was given.
  void engineDidFailToLogIn(bool withError);
  // Transport failures of the login and session requests still let start-up go on.
  void failToLogin(const std::shared_ptr<HXHTTPRequest>& request);
  void failToOpen(const std::shared_ptr<HXHTTPRequest>& request);
  // The bind prompt: "绑定" starts the login.
  void alertViewDidDismissWithButtonIndex(const std::shared_ptr<UIAlertView>& alertView,
                                          long buttonIndex) override;

  ClientRequest() = default;

 private:
  void init();
  std::string baseURL() const;
  bool platformAccountUsable() const;
  void showBindPrompt();
  // Starts the busy overlay unless told not to; false when the bind check holds the send back.
  bool passBindCheck();
  void setEngineCallbacks(const std::shared_ptr<HXHTTPRequest>& request, bool queued);
  bool deliverTo(const Selector& selector, const Value& text);
  bool deliverToLoader(const Value& text);
  void showFailurePrompt(bool cancelled);

  void onRequestFinished(const Value& r);
  void onRequestFailed(const Value& r);
  void onRequestQueueFinished(const Value& r);
  void onRequestQueueFailed(const Value& r);
  void onLogIn();
  void onImageAllFinish(const Value& request);
  void onChannelImagesFinished(const Value& queue);
  void startChannelImageDownload(int channel, const std::string& source,
                                 const std::string& destination, int kind, const Value& localData);

  std::shared_ptr<ClientPostRequest> postQueue_;
  std::shared_ptr<ClientDownload> downloadQueue_;
  // imgCondition: serialises the catalogue's image completions.
  std::shared_ptr<std::mutex> imgCondition_ = std::make_shared<std::mutex>();
  int timeOutSec_ = kDefaultTimeOutSec;
  std::shared_ptr<HXNetworkQueue> queue_;
  bool needDownload_ = false;
  std::weak_ptr<NSObject> delegate_;
  Selector action_;
  Selector actionString_;
  std::shared_ptr<HXHTTPRequest> request_;
  int methodType_ = 0;
  bool needAuthorize_ = false;
  bool noNeedPromptLoad_ = false;
  int serverType_ = 0;
  int dnsServerType_ = 0;
  bool needPromptSelf_ = false;
  int eventType_ = 0;
  int statusCode_ = 0;
  bool hasError_ = false;
  // ==== Endpoint operations (ClientRequest+Reading.cpp) and client registration, login and
  // session (ClientRequest+Account.cpp).  Arguments are Values because bus messages hand their
  // data items over as they are: a missing item is nil, and a nil argument sends no parameter.
 public:
  // ---- paged lists on the single request, written to the cache file of their URL.  Page "1"
  // sends the cursor as "max_id", any other page as "since_id".
  void getStatusWithChannelId(const Value& channelId, const Value& page, const Value& maxId,
                              const Value& tempId);
  void getFavorityWithChannelId(const Value& channelId, const Value& page, const Value& maxId,
                                const Value& tempId);
  void getStatusWithChannelIdV2(const Value& channelId, const Value& page, const Value& maxId,
                                const Value& tempId);
  void getStatusWithChannelIdAll(const Value& channelId, const Value& page, const Value& maxId,
                                 const Value& tempId);
  void getStatusWithChannelIds(const Value& channelIds, const Value& page, const Value& maxId);
  // getStatusWithChannelId:pageIndex:maxId:areaId: (the area's timeline).
  void getStatusWithChannelIdAreaId(const Value& channelId, const Value& page, const Value& maxId,
                                    const Value& areaId);
  void getTopicDetailWithChannelId(const Value& topicId, const Value& page, const Value& maxId);
  void getTopicListWithChannelId(const Value& channelId, const Value& page, const Value& maxId);
  void getTuiJianWithChannelId(const Value& channelId, const Value& page, const Value& maxId);
  void getNewProductWithChannelId(const Value& channelId, const Value& page, const Value& maxId);
  void getLikeProductWithChannelId(const Value& channelId, const Value& page, const Value& maxId);
  // Sends nothing without a keyword.
  void getSearchWithKeyword(const Value& keyword, const Value& page, const Value& maxId);
  void getSeminiarWithChannelId(const Value& channelId, const Value& page, const Value& maxId);
  void getDialogWithType(const Value& type, const Value& page, const Value& maxId,
                         const Value& eventId);
  void getAttendList(const Value& eventId, const Value& userId);
  void getGenZongWenTi(const Value& eventId, const Value& userId, const Value& maxId,
                       const Value& pageNo);
  // Cached only without a keyword.
  void getCompanyList(const Value& categoryId, const Value& keyWord, const Value& pageNo);
  void getVEZIData();
  void getHotSearchList();
  // Written to the product's feedback cache file.
  void getFanKuiList(const Value& productId);
  void getRealTimeQuotes();
  void getCerSearch();
  void getDaylyTrends();
  void getThirdAccoundList();
  void getThirdAccoundData(const Value& suggestId, const Value& pageNo, const Value& pageCount);
  // "max_Id" and "since_Id", with the capital I the server expects; 60 s.
  void getLikeCount(const Value& channelIds, const Value& maxId, const Value& sinceId);
  void getYingTongDian();
  void getComtentCheck(const Value& channelIds);

  // ---- queued reading operations: the reply goes to the given receiver
  // A prepared platform list URL: param = [URL, timeout seconds]; nothing is sent with fewer
  // than two elements.  Cursor "0" also writes the status's comment (repost) cache file.
  void getStatusComments(const Value& statusId, const Value& param, const Value& maxid,
                         std::weak_ptr<NSObject> receiver, Selector action);
  void getStatusRetweet(const Value& statusId, const Value& param, const Value& maxid,
                        std::weak_ptr<NSObject> receiver, Selector action);
  void getCommentList(const Value& statusId, const Value& pageIndex, const Value& maxid,
                      std::weak_ptr<NSObject> receiver, Selector action);
  void showContent(const Value& eventId, const Value& blogId, const Value& channelId,
                   std::weak_ptr<NSObject> receiver, Selector action, const Value& isShowCommont,
                   const Value& isShowAd);
  void showDialogContent(const Value& eventId, const Value& blogId,
                         std::weak_ptr<NSObject> receiver, Selector action,
                         const Value& isShowCommont);
  // [article URL, channel id, status id, event id], as far as the array reaches.
  void getFullArticle(const Value& article, std::weak_ptr<NSObject> receiver, Selector action);

  // ---- reading operations through the post sender
  // "all" when the list is missing or empty.
  void checkForChannelUpdate(const Value& channelIds);
  void getNewMessage();
  // The channel list after a login or session reply whose channel-list stamp changed.
  void getNewChannels();
  void getAllChannels();
  void getStatusWithChannelIdWithQueue(const Value& channelId, const Value& page,
                                       const Value& maxid);

  // The cache file of a suggestion list (the categories or the accounts of categories); nothing
  // without a client key or for another type.
  std::optional<std::string> getRequestLocalPath(RequestType type, const Value& param);
  // Links of the platform's short-link host go through the content server's "go_ziza.aspx";
  // any other link comes back unchanged.
  static Value getWebHttp(const Value& link);
  static Value getWebHttp(const Value& link, const Value& eid, const Value& channelID);

  // ---- replies of the channel-list requests
  // A non-empty list replaces the channel catalogue (ChannelItem::updateNewChannelList); then
  // "openClientCallBack" (while a session is open) and "loginClientCallBack" let start-up go on.
  void getAllNewChannelsCallback(const Value& reply);
  // Commits the staged "channelUpdateDate"; a non-empty list is staged with its channel images
  // on a new thread (ChannelItem::updateAllChannel).
  void getAllChannelsCallback(const Value& reply);
  // A reply that parses to an array of channels replaces the downloaded channels
  // (ChannelItem::updateChannelItemsWithArray); any other reply calls that update with nil.
  void getNewChannelsCallback(const Value& reply);
  // The wizard's channel choices.  "msg_user_setup_info" becomes "1" only for a reply that
  // carries channels, which then go to the catalogue (ChannelItem::updateUserSelectChannel for
  // the interest set-up, ChannelItem::updateNewChannelList for the profile) with the busy
  // overlay hidden 0.5 s later; a failed reply keeps "2" (the choice is sent again at the next
  // start) or records it.
  void userSelectSetupCallBack(const Value& reply);
  bool userSelectProfileCallBack(const Value& reply);

  // ---- registration, login and session
  // What the application delegate offers for ending the process (its exit animation); without
  // it the process ends at once.
  class ApplicationCloser {
   public:
    virtual ~ApplicationCloser() = default;
    virtual void startClose() = 0;
  };
  // The fixed key sent while the server has issued none.
  static constexpr std::string_view kFallbackClientKey = "K37QWP2M9XD4HB8N5";
  // Registration attempts of this run; after 30 the application closes.
  static constexpr int kMaxRegisterTimes = 30;
  // Whether the device must register again (a first start only records its id).
  bool needRegister();
  void registerClient();
  void loginClient();
  // Re-opens the session after a return from the background.
  void openClient();
  void appUpdata();
  // Hands the waiting push token to the server; false when there was nothing to send.
  bool registerToken();
  void startToRegisterToken();
  void bindAccountWithUId(const std::string& uid, const std::string& token);
  // The user-triggered check of the app store for a newer version.
  void setupCheckForUpdate();
  // The stored client key; without one a registration starts and the fallback key is used.
  std::string getRegisterClientKey();
  bool isNullRegisterClientKey() const;
  // Seconds since local midnight, with "0000" in front of values of four digits or fewer.
  static std::string getTimestamp();
  int requestTimes() const { return requestTimes_; }
  // Whether the last login or session re-open of this run was granted; "loginClientCallBack"
  // is posted as well when a login was refused or never answered, for start-up to go on.  A
  // login refused because the server does not know the key registers anew instead.
  bool loginGranted() const { return loginGranted_; }

  void registerCallBack(const Value& reply);
  void loginClientCallBack(const Value& reply);
  void openClientCallBack(const Value& reply);
  void tokenCallBack(const Value& reply);
  void bindCallBack(const Value& reply);
  void setupCheckForUpdateCallback(const Value& reply);

  // ---- feedback (ClientRequest+Feedback.cpp)
  // userFeedBack:content:type: - the user's contact text, the feedback or crash text and the
  // feedback type ("1" user feedback, "2" crash report); the reply goes to the post sender's
  // registered receiver.
  void userFeedBack(const Value& userMessage, const Value& content, const Value& type);

  // ---- usage-log uploads (ClientRequest+UsageLog.cpp), multipart forms to the log server
  // through the post sender, whose registered receiver gets the reply
  // The whole log file to "/upLoad.aspx" (the file part "log"), with "keys" (when a client key
  // is stored), "appId" and "std".
  void postLog(const std::string& path);
  // The section's actions to "/post.aspx": "key", "std", "Conn", "SubmitTime", "sId" (the
  // section's id and the time now), "Id" and "Actionlogs" (both enciphered) and "appid".
  // Nothing is sent for no section or one without actions.
  void postCurActionLogs(const std::shared_ptr<NSSectionItem>& section);

  // ==== Writing endpoints (ClientRequest+Writing.cpp).  "u_id" is sent only while a platform
  // account with a non-empty user id is bound; "channelID" is the current channel without "-".
  //
  // Own POSTs to the post server (60 s): "keys" and "std" in the query, the rest as form fields.
  void updateSubscription(const Value& channelIds);
  // These three need a bound platform account: without one the bind prompt shows instead.
  void collectionStatus(const Value& blogId);
  void uncollectionStatus(const Value& blogId);
  void deleteStatus(const Value& blogId);
  // Through the post sender, whose registered receiver gets the reply.  A repost with an empty
  // text says "转发微博", a picture post with an empty text "分享图片"; a missing text is sent as
  // missing.
  void repostStatus(const Value& blogId, const Value& text, const Value& isComment);
  void repostStatus(const Value& blogId, const Value& text, const Value& isComment,
                    const Value& areaId);
  void postStatus(const Value& content);
  void postStatus(const Value& content, const Value& areaId);
  // The picture goes as the multipart part "imgfile".
  void postImageStatus(const Value& text, const Value& imageData);
  void postImageStatus(const Value& text, const Value& imageData, const Value& areaId);
  void commentWeibo(const Value& blogId, const Value& content);
  void commentWeibo(const Value& blogId, const Value& content, const Value& areaId);
  void replyCommentWeibo(const Value& blogId, const Value& content, const Value& replyId);
  // A product id shares the product, else the read-later article (id, title, link).
  void shareToZizaWeibo(const Value& productId, const Value& laterId, const Value& laterTitle,
                        const Value& laterURL);
  // "pro_id" and "content" only with a product id.
  void feedToZizaWeibo(const Value& productId, const Value& content);
  // "is_open" "0"; a missing user, text or product is sent as the empty text.
  void userFeedProductBack(const Value& productId, const Value& content);
  // Own GETs to the account server (60 s).  The channel of a like is the caller's.
  void goodStatus(const Value& blogId, const Value& channelId);
  void goodProduct(const Value& productId);
  void cancelGoodProduct(const Value& productId);
  // [product id, telephone, share flag] and, with seven elements or more, [name, gender,
  // birthday, address] after them.
  void TrialProduct(const Value& fields);
  // Queued, without reply: following the service's own account, and a product opened (every
  // parameter in the query of a POST).
  void attendServerUser();
  void recordProduct(const Value& itemId);
  // Queued POST of the reader's location to the account server; the reply goes to the
  // receiver registered on the post sender (which the send takes).
  void uploadLocation();

  // ==== Seminar, profile and advert endpoints (ClientRequest+Seminar.cpp, +Profile.cpp,
  // +Advert.cpp)
  //
  // The seminar banners: queued, tag 3, to the receiver registered on the post sender.
  void getBanner();
  // A question or opinion; the client's postDialogCallback learns the outcome for the seminar.
  void postDialog(const Value& content, const Value& postType, const Value& eventId);
  void repostDialog(const Value& blogId, const Value& content, const Value& postType,
                    const Value& eventId, const Value& isComment);
  void commentDialog(const Value& blogId, const Value& content, const Value& postType,
                     const Value& eventId);
  void watchDialog(const Value& zizaBlogId, const Value& userId, const Value& eventId);
  // Own POST with every parameter in the query; needs a bound platform account.
  void unWatchDialog(const Value& watchId);
  // Pre-registration, queued (tag 4) to the client's registered receiver.  The contact goes as
  // "email" without a user id, else with it as "u_name"; an option of -1 is left out.
  void recordDialog(const Value& eventId, const Value& userId, const Value& type,
                    const Value& isremind, const Value& isdoc, const Value& ismore,
                    const Value& contact);
  // The profile wizard.
  void getUserSetupInfo();
  void getZiviSetupInfo();
  void getUserNormalSetupInfo(const Value& type);
  void getUserSelectSetupInfo(const Value& industrySector, const Value& jobTitle,
                              const Value& businessType);
  void getUserSelectSetupInfo(const Value& profile, const Value& type);
  void getZiViSelectSetupInfo(const Value& interest, const Value& birthdate, const Value& gender);
  void saveUserSelectChannelSetupInfo(const Value& profileId);
  void saveZiViUserSelectSetupInfo(const Value& interest);
  void saveUserSelectSetupInfo(const Value& profileId);
  // Adverts: queued GETs; the two reads (tag 7) reply to the given receiver, the records of
  // adverts hidden and shown to nobody.
  void getADInfo(const Value& eventId, std::weak_ptr<NSObject> receiver, Selector action);
  void getChannelADInfo(const Value& channelId, std::weak_ptr<NSObject> receiver, Selector action);
  void closeAd(const Value& adId);
  void showAdOk(const Value& adId);
  // The ids joined as ",id1,id2...".
  void showAdOkList(const Value& adIds);
  // The banner list at start-up; its reply is stored by getBannerListCallback.
  void getBannerList();
  // Tracked advert links.
  static std::string addParameToUrl(std::string_view url, const std::shared_ptr<NSAdInfo>& adInfo,
                                    const Value& channelID);
  static std::string getAdInfoUrl(const std::shared_ptr<NSAdInfo>& adInfo);
  static std::string addAdParameToUrl(const std::shared_ptr<NSAdInfo>& adInfo, const Value& eid,
                                      const Value& channelID);
  static std::string addParameToUrl(std::string_view url, const Value& eid, const Value& channelID);

  // ==== The client's own reply handlers (ClientRequest+Replies.cpp)
  //
  // The handler of the given name ("retcommentCallBack:" ...) bound to this client; an unset
  // selector for a name the client does not answer.
  Selector replyHandlerNamed(std::string_view name);
  // A comment or reply to a comment: the status bar tells the outcome; a comment the server
  // made goes on "comment_result" (type 32, the reply as data) and the comment draft is cleared.
  void nolyCommentCallBack(const Value& reply);
  void commentCallBack(const Value& reply);
  // A repost with comment (type 31) and without (type 11) on "comment_result" when it worked.
  void retcommentCallBack(const Value& reply);
  void onlyRetCallBack(const Value& reply);
  void shareToZizaWeiboCallBack(const Value& reply);
  // Type 117 on "comment_result", whatever the reply.
  void feedProductCallBack(const Value& reply);
  void trialCallBack(const Value& reply);
  // "seminar_send_data" with type 1 (sent) or 0; a sent post clears the seminar's draft.
  void postDialogCallback(const Value& reply);
  // The post sender's "sending" bar.
  void showPostMsg();
  void retweetCallBack(const Value&) {}
  void recordeCallBack(const Value&) {}
  void adImgCallBack(const Value&) {}
  // Location replies: code 0 goes on "channel_refresh" (type 113, the reply as data).
  void locationCallBack(const Value& reply);
  void errLocationCallBack(const Value& reply);
  // The banner list: stored in the advert table "list", missing pictures downloaded.
  void getBannerListCallback(const Value& reply);
  // Follow replies: asks to follow the service's own account when the reader does not yet.
  void relationshipCallback(const Value& reply);
  void attentionCallBack(const Value& reply);
  // The reply parser's escapes of "€", "£", "¥", "•" and the smiley "^ _ ^".
  static std::string stringReplaceSpecialPunctuation(const Value& text);

  // The finish handler of the prepared platform lists: a token error logs the platform
  // account out (and asks to bind again) before the reply is delivered.
  void requestCommentFinished(const std::shared_ptr<HXHTTPRequest>& request);
  // The microblog platform's short-link host, whose links getWebHttp wraps.
  static constexpr std::string_view kPlatformShortLinkHost = "t.ziza.example";

  // Where the app store lookup and the app's store page live.
  static constexpr std::string_view kAppStoreLookupURL = "http://apps.zept.example/lookup";
  static constexpr std::string_view kAppStorePageURL = "http://apps.zept.example/app/id";

 private:
  // The single-request send of a reading operation: the row's settings, the send, and the
  // settings put back.
  void sendOwn(std::string_view path, const ValueDictionary& parameters, bool cached,
               bool promptSelf, int timeOut = 0);
  ValueDictionary newParameters();
  // A paged list read through sendOwn (cached, own prompt): the key and common parameters,
  // "page", the cursor by the paging rule, then `extras` in order; a missing extra adds nothing.
  void sendPage(std::string_view path, const Value& page, const Value& cursor,
                std::initializer_list<std::pair<std::string_view, Value>> extras = {});
  // The single request's GET whose reply goes to a cache file of the caller's choosing.
  void sendOwnToFile(std::string_view path, const ValueDictionary& parameters,
                     const std::string& destination);
  // A queued GET of a reading operation, with the reply going to the receiver.
  struct QueuedGet {
    std::string_view pathOrURL;  // a path on the content server, or a full URL when fullURL
    bool fullURL = false;
    ValueDictionary parameters = nullptr;
    int tag = 0;
    std::optional<std::string> destination = std::nullopt;  // the file the reply is written to
    bool utf8 = false;                                      // the reply is read as UTF-8
    int timeOut = 0;                                        // seconds; 0 keeps the request's own
    bool platformList = false;  // a platform comment or repost list: its own finish handler
  };
  void queueGet(const QueuedGet& get, std::weak_ptr<NSObject> receiver, Selector action);
  // A platform comment or repost list: its full URL and time-out in `param`, the first page
  // (cursor "0") cached in the file `firstPageFile` names.
  void queuePlatformList(const Value& param, const Value& maxid,
                         const std::function<std::string()>& firstPageFile,
                         std::weak_ptr<NSObject> receiver, Selector action);
  void onRequestCommentFinished(const Value& r);
  // Hands a prepared queued request to the queue with its reply route and tag, and puts the
  // one-shot settings back.
  void enqueue(const std::shared_ptr<HXHTTPRequest>& request, std::weak_ptr<NSObject> receiver,
               Selector action, int tag, bool promptSelf);
  // A queued request of the account group, without busy overlay or cache file.
  void sendAccountRequest(std::string_view path, const ValueDictionary& parameters, int method,
                          Selector reply, int tag);
  // The send of reQuestUrl; with `formFields` false a POST carries every parameter in its
  // query and no form.
  void sendSingle(std::string_view path, const ValueDictionary& parameters, bool formFields);
  // "keys", then "u_id" (when bound), then "std": the start of the post sender's forms.
  ValueDictionary newPostParameters();
  // An own POST to the post server (60 s), with or without the platform check; the method and
  // group go back to GET and the content server after the send.
  void sendOwnPost(std::string_view path, const ValueDictionary& parameters, bool needAuthorize);
  // A comment's form through the post sender: the status, the text, one parameter of its own
  // ("group_id" or the answered "cid", left out when missing) and the current channel.
  void sendComment(std::string_view path, const Value& blogId, const Value& content,
                   std::pair<std::string_view, Value> extra);
  // An own GET to the account server (60 s).
  void sendAccountGet(std::string_view path, const ValueDictionary& parameters);
  // A queued GET of an advert record to the post server, without reply.
  void sendAdvertRecord(std::string_view path, const Value& adIds);
  // The receiver registered on the post sender, taken for a queued send of this client's own.
  std::pair<std::weak_ptr<NSObject>, Selector> takePostReceiver();
  void applyChannelChoice(const std::vector<std::shared_ptr<ChannelItem>>& list, bool profile);
  void stopBusi();
  // The delegate of the update and follow alerts, made on first use.
  std::shared_ptr<NSObject> accountAlertDelegate();
  // "是否关注<subject>": confirming follows the service's own account.
  void askToFollow(const std::string& subject);
  bool registrationInFlight() const;
  void closeAfterRegistrationFailures();
  void closeApplication();
  void registerTokenOnce();
  // What a login or session reply led to: refused (nothing stored), granted (its login data
  // stored), or granted with a changed channel-list stamp (the list is fetched again, and its
  // reply announces the end of the login).
  enum class LoginOutcome { Refused, Granted, GrantedListRefreshing };
  LoginOutcome applyLoginReply(const Value& reply);
  // A refusal because the server no longer knows the client key: the key is forgotten and the
  // client registers anew, as one without a key does; true when that happened.
  bool registerAgainIfUnknown(const Value& reply);
  void bindFailed();

  int requestTimes_ = 0;
  // The seminar whose post is on its way (postDialog), for postDialogCallback.
  int pendingSeminarId_ = 0;
  bool loginGranted_ = false;
  // Answers the update and follow alerts (the bind prompt is the client's own).
  std::shared_ptr<NSObject> accountAlerts_;
};

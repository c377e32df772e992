// The content-server client's reading endpoints: channel and feed lists, item pages, searches,
// topics, seminar, company, quote and certificate lists, update checks, the channel list, and
// the link builders screens use to open server pages.
#include "Foundation/NSBundle.h"
#include "Foundation/NSString.h"
#include "Foundation/NSThread.h"
#include "Foundation/NSURL.h"
#include "core/NSConfig.h"
#include "core/NSGlobe.h"
#include "core/NSObject+UIViewBusy.h"
#include "core/NSObject+notification.h"
#include "core/NotificationNames.h"
#include "core/UIFilePath.h"
#include "model/NSLoginData.h"
#include "model/ZizaJsonStatusParser.h"
#include "net/api/ApplicationHelper.h"
#include "net/api/ClientPlatformAccount.h"
#include "net/api/ClientPostRequest.h"
#include "net/api/ClientRequest.h"
#include "net/api/EndpointParameters.h"
#include "net/api/NSHxHttpRequest.h"
#include "net/api/ReplyRoute.h"
#include "net/api/ServerResult.h"
#include "net/api/URLHelper.h"
#include "net/http/HXHTTPRequest.h"
#include "net/http/HXNetworkQueue.h"

using namespace endpoint;

// ---- building and sending ---------------------------------------------------------------------

ValueDictionary ClientRequest::newParameters() {
  auto d = std::make_shared<NSMutableDictionary>();
  std::string key = getRegisterClientKey();
  if (!key.empty()) d->setObject(Value(key), "keys");
  addComParamers(d);
  return d;
}

void ClientRequest::sendOwn(std::string_view path, const ValueDictionary& parameters, bool cached,
                            bool promptSelf, int timeOut) {
  methodType_ = 0;
  serverType_ = 0;
  if (cached) needDownload_ = true;
  if (promptSelf) needPromptSelf_ = true;
  if (timeOut > 0) timeOutSec_ = timeOut;
  reQuestUrl(path, parameters);
  if (cached) needDownload_ = false;
}

void ClientRequest::sendOwnToFile(std::string_view path, const ValueDictionary& parameters,
                                  const std::string& destination) {
  ApplicationHelper::increaseNetworkActivityIndicator();
  methodType_ = 0;
  serverType_ = 0;
  passBindCheck();
  cancel();
  std::string url = URLHelper::getURL(baseURL() + std::string(path), parameters);
  auto request = HXHTTPRequest::requestWithURL(NSURL::URLWithString(url));
  request->setResponseEncoding(NSUTF8StringEncoding);
  request->setDefaultResponseEncoding(NSUTF8StringEncoding);
  UIFilePath::makeSureFolderOf(destination);
  request->setDownloadDestinationPath(destination);
  request->setRequestMethod("GET");
  request->setUserAgent(std::string(kUserAgent));
  setEngineCallbacks(request, false);
  request_ = request;
  request->startAsynchronous();
  needAuthorize_ = false;
  dnsServerType_ = 0;
}

void ClientRequest::queueGet(const QueuedGet& get, std::weak_ptr<NSObject> receiver,
                             Selector action) {
  ApplicationHelper::increaseNetworkActivityIndicator();
  if (!noNeedPromptLoad_) startBusyAnimation();
  std::shared_ptr<NSHxHttpRequest> request =
      get.fullURL ? NSHxHttpRequest::initRequestDNS("", get.parameters, get.pathOrURL, 0)
                  : NSHxHttpRequest::initRequestDNS(get.pathOrURL, get.parameters, baseURL(), 0);
  request->setRequestMethod("GET");
  if (get.utf8) {
    request->setResponseEncoding(NSUTF8StringEncoding);
    request->setDefaultResponseEncoding(NSUTF8StringEncoding);
  }
  if (get.destination) {
    UIFilePath::makeSureFolderOf(*get.destination);
    request->setDownloadDestinationPath(*get.destination);
  }
  if (!get.fullURL) request->setUserAgent(std::string(kUserAgent));
  setEngineCallbacks(request, true);
  if (get.platformList) {
    request->setDidFinishSelector(selector(weakSelf<ClientRequest>(),
                                           &ClientRequest::onRequestCommentFinished,
                                           "requestCommentFinished:"));
  }
  if (get.timeOut > 0) request->setTimeOutSeconds(get.timeOut);
  enqueue(request, std::move(receiver), std::move(action), get.tag, true);
}

void ClientRequest::sendPage(std::string_view path, const Value& page, const Value& cursor,
                             std::initializer_list<std::pair<std::string_view, Value>> extras) {
  auto d = newParameters();
  put(d, "page", page);
  putCursor(d, page, cursor);
  for (const auto& [key, value] : extras) put(d, key, value);
  sendOwn(path, d, true, true);
}

// ---- channel and feed lists -------------------------------------------------------------------

void ClientRequest::getStatusWithChannelId(const Value& channelId, const Value& page,
                                           const Value& maxId, const Value& tempId) {
  sendPage("/Channels/Channel.aspx", page, maxId,
           {{"channel_id", channelId}, {"temp_id", ifGiven(tempId)}});
}

void ClientRequest::getFavorityWithChannelId(const Value& channelId, const Value& page,
                                             const Value& maxId, const Value& tempId) {
  auto uid = platformUserId();
  sendPage("/Channels/Channel.aspx", page, maxId,
           {{"channel_id", channelId},
            {"u_id", uid ? Value(*uid) : Value()},
            {"temp_id", ifGiven(tempId)}});
}

void ClientRequest::getStatusWithChannelIdV2(const Value& channelId, const Value& page,
                                             const Value& maxId, const Value&) {
  sendPage("/Channels/ChannelV2.aspx", page, maxId,
           {{"channel_id", channelId}, {"ptype", Value(profileType())}});
}

void ClientRequest::getStatusWithChannelIdAll(const Value& channelId, const Value& page,
                                              const Value& maxId, const Value&) {
  sendPage("/Channels/FeedV2.aspx", page, maxId,
           {{"channel_id", channelId}, {"ptype", Value(profileType())}});
}

void ClientRequest::getStatusWithChannelIds(const Value& channelIds, const Value& page,
                                            const Value& maxId) {
  sendPage("/Channels/Feed.aspx", page, maxId, {{"channel_ids", channelIds}});
}

void ClientRequest::getStatusWithChannelIdAreaId(const Value&, const Value& page,
                                                 const Value& maxId, const Value& areaId) {
  sendPage("/Channels/UserTimeline.aspx", page, maxId, {{"group_id", ifGiven(areaId)}});
}

void ClientRequest::getTopicDetailWithChannelId(const Value& topicId, const Value& page,
                                                const Value& maxId) {
  sendPage("/Channels/TopicTimeline.aspx", page, maxId, {{"topicId", topicId}});
}

void ClientRequest::getTopicListWithChannelId(const Value&, const Value& page, const Value& maxId) {
  sendPage("/Trend/TopicList.aspx", page, maxId);
}

void ClientRequest::getTuiJianWithChannelId(const Value&, const Value& page, const Value& maxId) {
  sendPage("/Channels/HotItems.aspx", page, maxId, {{"is2x", Value(is2x())}});
}

void ClientRequest::getNewProductWithChannelId(const Value&, const Value& page,
                                               const Value& maxId) {
  auto d = newParameters();
  putCursor(d, page, maxId);
  put(d, "page", page);
  d->setObject(Value(is2x()), "is2x");
  sendOwn("/Channels/NewProduct.aspx", d, true, true);
}

void ClientRequest::getLikeProductWithChannelId(const Value&, const Value& page,
                                                const Value& maxId) {
  sendPage("/Channels/MyItems.aspx", page, maxId, {{"is2x", Value(is2x())}});
}

void ClientRequest::getSearchWithKeyword(const Value& keyword, const Value& page,
                                         const Value& maxId) {
  if (!isGiven(keyword)) return;
  auto d = newParameters();
  putCursor(d, page, maxId);
  put(d, "keyword", keyword);
  sendOwn("/Search/Search.aspx", d, true, true);
}

void ClientRequest::getSeminiarWithChannelId(const Value&, const Value& page, const Value& maxId) {
  needAuthorize_ = false;
  sendPage("/Dialog/GetDialogList.aspx", page, maxId);
}

void ClientRequest::getDialogWithType(const Value& type, const Value& page, const Value& maxId,
                                      const Value& eventId) {
  auto d = newParameters();
  put(d, "page", page);
  put(d, "event_id", eventId);
  putCursor(d, page, maxId);
  put(d, "type", type);
  sendOwn("/Dialog/GetDialogPost.aspx", d, true, true);
}

void ClientRequest::getAttendList(const Value& eventId, const Value& userId) {
  auto d = newParameters();
  put(d, "event_id", eventId);
  put(d, "u_id", userId);
  sendOwn("/Dialog/GetWatchDialogPost.aspx", d, true, true);
}

void ClientRequest::getGenZongWenTi(const Value& eventId, const Value& userId, const Value& maxId,
                                    const Value& pageNo) {
  auto d = newParameters();
  put(d, "event_id", eventId);
  put(d, "u_id", userId);
  putCursor(d, pageNo, maxId);
  sendOwn("/Dialog/GetWatchDialogPostDetail.aspx", d, true, true);
}

void ClientRequest::getCompanyList(const Value& categoryId, const Value& keyWord,
                                   const Value& pageNo) {
  auto d = newParameters();
  put(d, "categoryId", categoryId);
  put(d, "page", pageNo);
  bool withKeyword = isGiven(keyWord);
  if (withKeyword) put(d, "keyword", keyWord);
  sendOwn("/VEZI/SearchCompany.aspx", d, !withKeyword, true);
}

void ClientRequest::getVEZIData() {
  sendOwn("/VEZI/GetBanner.aspx", newParameters(), true, true);
}

void ClientRequest::getHotSearchList() {
  sendOwn("/Search/Buzzwords.aspx", newParameters(), true, true);
}

void ClientRequest::getFanKuiList(const Value& productId) {
  auto d = newParameters();
  d->setObject(Value(is2x()), "is2x");
  put(d, "product_id", productId);
  needPromptSelf_ = true;
  sendOwnToFile("/Channels/ProductFeedback.aspx", d,
                UIFilePath::cacheProductPath(textIfAny(productId).value_or("")));
}

void ClientRequest::getRealTimeQuotes() {
  sendOwn("/Quote/RealTimeQuoteList.aspx", newParameters(), true, true);
}

void ClientRequest::getCerSearch() {
  sendOwn("/Certificate/CertificateInquireList.aspx", newParameters(), true, true);
}

// ---- other single-request reading operations --------------------------------------------------

void ClientRequest::getDaylyTrends() {
  sendOwn("/Trend/Trends.aspx", newParameters(), true, false);
}

void ClientRequest::getThirdAccoundList() {
  sendOwn("/Channels/SuggestionList.aspx", newParameters(), true, false);
}

void ClientRequest::getThirdAccoundData(const Value& suggestId, const Value& pageNo,
                                        const Value& pageCount) {
  auto d = newParameters();
  put(d, "suggestid", suggestId);
  put(d, "page", pageNo);
  put(d, "count", pageCount);
  sendOwn("/Channels/GetSuggestions.aspx", d, true, false);
}

void ClientRequest::getLikeCount(const Value& channelIds, const Value& maxId,
                                 const Value& sinceId) {
  auto d = newParameters();
  put(d, "channel_ids", channelIds);
  put(d, "max_Id", maxId);
  put(d, "since_Id", sinceId);
  sendOwn("/Channels/CountInfo.aspx", d, false, false, 60);
}

void ClientRequest::getYingTongDian() {
  auto d = newParameters();
  d->setObject(Value(is2x()), "is2x");
  putLocation(d);
  noNeedPromptLoad_ = true;
  needAuthorize_ = false;
  sendOwn("/Shop/VendorList.aspx", d, true, false);
  noNeedPromptLoad_ = false;
}

void ClientRequest::getComtentCheck(const Value& channelIds) {
  auto d = newParameters();
  put(d, "channel_ids", channelIds);
  sendOwn("/UnRead/CheckUpdate.aspx", d, false, false, 60);
  ApplicationHelper::decreaseNetworkActivityIndicator();
  hideActivityIndicatorLater(self<ClientRequest>());
}

// ---- queued reading operations ----------------------------------------------------------------

void ClientRequest::getStatusComments(const Value& statusId, const Value& param, const Value& maxid,
                                      std::weak_ptr<NSObject> receiver, Selector action) {
  queuePlatformList(
      param, maxid, [&] { return UIFilePath::cacheCommentPath(textIfAny(statusId).value_or("")); },
      std::move(receiver), std::move(action));
}

void ClientRequest::getStatusRetweet(const Value& statusId, const Value& param, const Value& maxid,
                                     std::weak_ptr<NSObject> receiver, Selector action) {
  queuePlatformList(
      param, maxid, [&] { return UIFilePath::cacheRetweetPath(textIfAny(statusId).value_or("")); },
      std::move(receiver), std::move(action));
}

void ClientRequest::queuePlatformList(const Value& param, const Value& maxid,
                                      const std::function<std::string()>& firstPageFile,
                                      std::weak_ptr<NSObject> receiver, Selector action) {
  if (param.count() < 2) return;
  auto url = textIfAny(param[0]);
  if (!url) return;
  std::optional<std::string> file;
  if (textIfAny(maxid) == "0") file = firstPageFile();
  queueGet({.pathOrURL = *url,
            .fullURL = true,
            .tag = 5,
            .destination = file,
            .utf8 = true,
            .timeOut = param[1].intValue(),
            .platformList = true},
           std::move(receiver), std::move(action));
}

void ClientRequest::getCommentList(const Value& statusId, const Value&, const Value& maxid,
                                   std::weak_ptr<NSObject> receiver, Selector action) {
  auto d = newParameters();
  put(d, "max_id", maxid);
  put(d, "blog_id", statusId);
  queueGet({.pathOrURL = "/Channels/Comments.aspx",
            .parameters = d,
            .tag = 5,
            .destination = UIFilePath::cacheCommentPath(textIfAny(statusId).value_or("")),
            .utf8 = true},
           std::move(receiver), std::move(action));
  // The screens that page comments count on the flag staying set.
  needDownload_ = true;
}

void ClientRequest::showContent(const Value& eventId, const Value& blogId, const Value& channelId,
                                std::weak_ptr<NSObject> receiver, Selector action,
                                const Value& isShowCommont, const Value& isShowAd) {
  auto d = newParameters();
  put(d, "isad", isShowAd);
  put(d, "iscomments", isShowCommont);
  put(d, "blog_id", blogId);
  put(d, "eid", eventId);
  put(d, "channelid", channelId);
  putSource(d);
  std::optional<std::string> file;
  if (needDownload_) file = UIFilePath::cacheCommentPath(textIfAny(blogId).value_or(""));
  queueGet({.pathOrURL = "/Channels/Show_Content.aspx",
            .parameters = d,
            .tag = 5,
            .destination = file,
            .utf8 = file.has_value()},
           std::move(receiver), std::move(action));
}

void ClientRequest::showDialogContent(const Value& eventId, const Value& blogId,
                                      std::weak_ptr<NSObject> receiver, Selector action,
                                      const Value& isShowCommont) {
  auto d = newParameters();
  put(d, "iscomments", isShowCommont);
  put(d, "blog_id", blogId);
  put(d, "eventid", eventId);
  std::optional<std::string> file;
  if (needDownload_) file = UIFilePath::cacheCommentPath(textIfAny(blogId).value_or(""));
  queueGet({.pathOrURL = "/Dialog/DialogShow_Content.aspx",
            .parameters = d,
            .tag = 5,
            .destination = file,
            .utf8 = file.has_value()},
           std::move(receiver), std::move(action));
}

void ClientRequest::getFullArticle(const Value& article, std::weak_ptr<NSObject> receiver,
                                   Selector action) {
  auto d = newParameters();
  static constexpr const char* kKeys[] = {"c_url", "channelID", "weiboId", "eId"};
  for (size_t i = 0; i < std::size(kKeys) && i < article.count(); ++i) put(d, kKeys[i], article[i]);
  std::optional<std::string> file;
  if (auto link = textIfAny(article[0])) file = UIFilePath::localHTMLFilePath(*link);
  queueGet({.pathOrURL = "/News/NewsReader.aspx",
            .parameters = d,
            .tag = 2,
            .destination = file,
            .utf8 = true},
           std::move(receiver), std::move(action));
}

void ClientRequest::onRequestCommentFinished(const Value& r) {
  requestCommentFinished(r.object<HXHTTPRequest>());
}

void ClientRequest::requestCommentFinished(const std::shared_ptr<HXHTTPRequest>& request) {
  if (!request) return;
  stopActivityIndicatorViewAnimation();
  auto text = replyTextOfRequest(request);
  auto result = ServerResult::resultWithZizaJSONString(text.value_or(""));
  if (ServerResult::isPlatformTokenError(result->resultCode)) {
    if (auto account = ClientPlatformAccount::current()) account->logOut();
    postNotification(kGlobeRequest, Value(), RequestType::BindPrompt);
  }
  timeOutSec_ = kDefaultTimeOutSec;
  statusCode_ = request->responseStatusCode();
  if (statusCode_ != 200) hasError_ = true;
  routeOfRequest(request).perform(text ? Value(*text) : Value());
}

// ---- through the post sender ------------------------------------------------------------------

void ClientRequest::checkForChannelUpdate(const Value& channelIds) {
  auto d = newParameters();
  auto ids = textIfAny(channelIds);
  d->setObject(Value(ids && !ids->empty() ? *ids : std::string("all")), "channel_ids");
  postQueue_->setServerType(0);
  postQueue_->checkChannelUpdate("/UnRead/CheckUpdate.aspx", d);
  hideActivityIndicatorLater(self<ClientRequest>());
}

void ClientRequest::getNewMessage() {
  postQueue_->setServerType(0);
  postQueue_->reQuestNormalUrl("/Notice/GetIAD.aspx", newParameters());
}

void ClientRequest::getNewChannels() {
  auto d = newParameters();
  d->setObject(Value(is2x()), "is2x");
  postQueue_->setServerType(0);
  postQueue_->setPostAction(
      selector(weakSelf<ClientRequest>(), &ClientRequest::getAllNewChannelsCallback,
               "getAllNewChannelsCallback:"),
      weakSelf<NSObject>());
  postQueue_->reQuestNormalUrl("/Channels/ChannelListV2.aspx", d, false);
  hideActivityIndicatorLater(self<ClientRequest>());
}

void ClientRequest::getAllChannels() {
  auto d = newParameters();
  d->setObject(Value(is2x()), "is2x");
  postQueue_->setServerType(0);
  postQueue_->setPostAction(
      selector(weakSelf<ClientRequest>(), &ClientRequest::getAllChannelsCallback,
               "getAllChannelsCallback:"),
      weakSelf<NSObject>());
  postQueue_->reQuestNormalUrl("/Channels/CustomChannel.aspx", d);
}

void ClientRequest::getStatusWithChannelIdWithQueue(const Value& channelId, const Value& page,
                                                    const Value& maxid) {
  auto d = newParameters();
  put(d, "page", page);
  put(d, "max_id", maxid);
  put(d, "channel_id", channelId);
  postQueue_->setServerType(0);
  postQueue_->reQuestNormalUrl("/Channels/Channel.aspx", d);
}

// ---- cache paths and links --------------------------------------------------------------------

std::optional<std::string> ClientRequest::getRequestLocalPath(RequestType type,
                                                              const Value& param) {
  if (isNullRegisterClientKey()) return std::nullopt;
  std::string key = getRegisterClientKey();
  std::string base = NSConfig::engine()->serverURL();
  std::string url;
  if (type == RequestType::Suggestions) {
    url = base + "/Channels/GetSuggestions.aspx?keys=" + key +
          "&suggestid=" + textIfAny(param[0]).value_or("") +
          "&page=" + textIfAny(param[1]).value_or("") +
          "&count=" + textIfAny(param[2]).value_or("");
  } else if (type == RequestType::SuggestionCategories) {
    url = base + "/Channels/SuggestionList.aspx?keys=" + key;
  } else {
    return std::nullopt;
  }
  return UIFilePath::getFilePath(url);
}

namespace {

// The part of a short link after its host and slash; nothing for any other link.
std::optional<std::string> shortLinkPath(const Value& link) {
  auto text = textIfAny(link);
  if (!text) return std::nullopt;
  std::string marker = std::string(ClientRequest::kPlatformShortLinkHost) + "/";
  size_t at = text->find(marker);
  if (at == std::string::npos) return std::nullopt;
  return text->substr(at + marker.size());
}

// "%@/go_ziza.aspx?c_url=%@&keys=%@&std=%@".  The tail is escaped: an "&" or "=" of the link
// must stay inside c_url rather than add or replace parameters of the page address.
std::string goZizaLink(const std::string& rest) {
  return NSConfig::engine()->serverURL() + "/go_ziza.aspx?c_url=" + URLHelper::encodeString(rest) +
         "&keys=" + ClientRequest::engine()->getRegisterClientKey() +
         "&std=" + NSBundle::mainBundle()->localizedStringForKey("SERVER_VERSION");
}

}  // namespace

Value ClientRequest::getWebHttp(const Value& link) {
  auto rest = shortLinkPath(link);
  if (!rest) return link;
  return Value(goZizaLink(*rest));
}

Value ClientRequest::getWebHttp(const Value& link, const Value& eid, const Value& channelID) {
  auto rest = shortLinkPath(link);
  if (!rest) return link;
  return Value(goZizaLink(*rest) + "&eid=" + textIfAny(eid).value_or("") +
               "&channelid=" + textIfAny(channelID).value_or(""));
}

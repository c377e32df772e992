// The platform client's REST calls under "/2/": the operations, the common sender and the
// reply path with its token-error check.
#include <cstdint>

#include "Foundation/NSBundle.h"
#include "Foundation/NSURL.h"
#include "core/FeedbackPresenter.h"
#include "core/NSConfig.h"
#include "core/NSObject+UIViewBusy.h"
#include "core/NSObject+notification.h"
#include "core/NotificationNames.h"
#include "core/RequestType.h"
#include "net/api/ApplicationHelper.h"
#include "net/api/ReplyRoute.h"
#include "net/api/ServerResult.h"
#include "net/api/URLHelper.h"
#include "net/api/WBEngine.h"
#include "net/http/HXFormDataRequest.h"
#include "net/http/HXHTTPRequest.h"
#include "net/http/HXNetworkQueue.h"
#include "net/http/Reachability.h"

namespace {

constexpr int kLongTimeOutSec = 60;
constexpr size_t kMostCountedIds = 20;
constexpr long kAuthenticationCancelled = -1012;
constexpr std::string_view kCancelledDescription = "The request was cancelled";

void put(const ValueDictionary& d, const char* key, const Value& value) {
  if (!value.isNil()) d->setObject(value, key);
}

std::string localized(std::string_view key) {
  return NSBundle::mainBundle()->localizedStringForKey(key);
}

}  // namespace

std::string WBEngine::apiBaseURL() {
  return "https://" + NSConfig::platformApiHost() + "/2/";
}

std::string WBEngine::getErrorJsonString() {
  return ServerResult::getErrorJsonString();
}

void WBEngine::setAction(Selector action, std::weak_ptr<NSObject> delegate) {
  action_ = std::move(action);
  delegate_ = std::move(delegate);
}

ValueDictionary WBEngine::tokenParameters() {
  auto d = std::make_shared<NSMutableDictionary>();
  if (accessToken_) d->setObject(Value(*accessToken_), "access_token");
  return d;
}

// ---- operations -------------------------------------------------------------------------------

void WBEngine::getMyStatuses(const Value& count, const Value& page) {
  getUserStatuses(userID_ ? Value(*userID_) : Value(), count, page);
}

void WBEngine::getUserStatuses(const Value& userId, const Value& count, const Value& page) {
  auto d = tokenParameters();
  put(d, "uid", userId);
  put(d, "count", count);
  put(d, "page", page);
  needPromptSelf_ = true;
  loadRequestWithMethodName("statuses/user_timeline.json", "GET", d);
}

void WBEngine::getUserStatusesByName(const Value& screenName, const Value& count,
                                     const Value& page) {
  auto d = tokenParameters();
  put(d, "screen_name", screenName);
  put(d, "count", count);
  put(d, "page", page);
  needPromptSelf_ = true;
  loadRequestWithMethodName("statuses/user_timeline.json", "GET", d);
}

void WBEngine::getUserStatusesById(const Value& userId, const Value& count, const Value& page) {
  getUserStatuses(userId, count, page);
}

void WBEngine::getMentionsStatuses(const Value& page, const Value& count) {
  auto d = tokenParameters();
  put(d, "page", page);
  put(d, "count", count);
  needPromptSelf_ = true;
  loadRequestWithMethodName("statuses/mentions.json", "GET", d);
}

void WBEngine::getFriendsStatuses(const Value& maxId, const Value& count) {
  auto d = tokenParameters();
  put(d, "max_id", maxId);
  put(d, "count", count);
  needPromptSelf_ = true;
  loadRequestWithMethodName("statuses/friends_timeline.json", "GET", d);
}

void WBEngine::getCommentsToMe(const Value& page, const Value& count) {
  auto d = tokenParameters();
  put(d, "page", page);
  put(d, "count", count);
  needPromptSelf_ = true;
  loadRequestWithMethodName("comments/to_me.json", "GET", d);
}

void WBEngine::getCommentCounts(const Value& ids) {
  std::string joined;
  for (size_t i = 0; i < ids.count() && i < kMostCountedIds; ++i) {
    if (i > 0) joined += ',';
    joined += std::to_string(static_cast<int64_t>(ids[i].longLongValue()));
  }
  auto d = std::make_shared<NSMutableDictionary>();
  d->setObject(Value(appKey_), "source");
  d->setObject(Value(joined), "ids");
  if (accessToken_) d->setObject(Value(*accessToken_), "access_token");
  loadRequestWithMethodName("statuses/count.json", "GET", d);
}

void WBEngine::getFriends(const Value& userId, const Value& count, const Value& cursor) {
  auto d = tokenParameters();
  put(d, "uid", userId);
  put(d, "count", count);
  put(d, "cursor", cursor);
  loadRequestWithMethodName("friendships/friends.json", "GET", d);
}

void WBEngine::getUserInfo(const Value& userId) {
  auto d = tokenParameters();
  d->setObject(Value(appKey_), "source");
  put(d, "uid", userId);
  loadRequestWithMethodName("users/show.json", "GET", d);
}

void WBEngine::getUserInfoByName(const Value& screenName) {
  auto d = tokenParameters();
  d->setObject(Value(appKey_), "source");
  put(d, "screen_name", screenName);
  loadRequestWithMethodName("users/show.json", "GET", d);
}

void WBEngine::getUserRelationship(const Value& targetScreenName) {
  auto d = tokenParameters();
  put(d, "source_id", userID_ ? Value(*userID_) : Value());
  put(d, "target_screen_name", targetScreenName);
  loadRequestWithMethodName("friendships/show.json", "GET", d);
}

void WBEngine::getUserRelationshipById(const Value& targetId) {
  auto d = tokenParameters();
  put(d, "source_id", userID_ ? Value(*userID_) : Value());
  put(d, "target_id", targetId);
  loadRequestWithMethodName("friendships/show.json", "GET", d);
}

void WBEngine::attendUser(const Value& userId, bool attend) {
  auto d = tokenParameters();
  d->setObject(Value(appKey_), "source");
  put(d, "uid", userId);
  loadRequestWithMethodName(attend ? "friendships/create.json" : "friendships/destroy.json", "POST",
                            d);
}

void WBEngine::attendUserWithName(const Value& screenName, bool attend) {
  auto d = tokenParameters();
  d->setObject(Value(appKey_), "source");
  put(d, "screen_name", screenName);
  loadRequestWithMethodName(attend ? "friendships/create.json" : "friendships/destroy.json", "POST",
                            d);
}

void WBEngine::reloadStatue(const Value& statusId) {
  auto d = tokenParameters();
  d->setObject(Value(appKey_), "source");
  put(d, "id", statusId);
  loadRequestWithMethodName("statuses/show.json", "GET", d);
}

void WBEngine::deletdOdoZu(const Value& statusId) {
  auto d = tokenParameters();
  d->setObject(Value(appKey_), "source");
  put(d, "id", statusId);
  loadRequestWithMethodName("statuses/destroy.json", "POST", d);
}

void WBEngine::checkMessageUpdate() {
  timeOutSec_ = kLongTimeOutSec;
  auto d = tokenParameters();
  put(d, "uid", userID_ ? Value(*userID_) : Value());
  loadRequestWithMethodName("remind/unread_count.json", "GET", d);
}

void WBEngine::resetMessageCount(const Value& type) {
  auto d = tokenParameters();
  put(d, "type", type);
  loadRequestWithMethodName("remind/set_count.json", "POST", d);
}

Value WBEngine::listURL(std::string_view methodName, const ValueDictionary& params) {
  if (!isLoggedIn()) {
    tellDelegate([this](WBEngineDelegate& d) { d.engineNotAuthorized(*this); });
    return {};
  }
  if (timeOutSec_ != kLongTimeOutSec) timeOutSec_ = kDefaultTimeOutSec;
  std::string url = URLHelper::getURL(apiBaseURL() + std::string(methodName), params);
  return Value::arrayOf({Value(url), Value(std::to_string(timeOutSec_))});
}

Value WBEngine::getCommentParameDic(const Value& statusId, const Value& maxId, const Value& count) {
  auto d = tokenParameters();
  put(d, "id", statusId);
  put(d, "count", count);
  put(d, "max_id", maxId);
  return listURL("comments/show.json", d);
}

Value WBEngine::getRetweetParameDic(const Value& statusId, const Value& maxId, const Value& count) {
  auto d = std::make_shared<NSMutableDictionary>();
  d->setObject(Value(appKey_), "source");
  if (accessToken_) d->setObject(Value(*accessToken_), "access_token");
  put(d, "id", statusId);
  put(d, "count", count);
  put(d, "max_id", maxId);
  return listURL("statuses/repost_timeline.json", d);
}

// ---- sending ----------------------------------------------------------------------------------

void WBEngine::loadRequestWithMethodName(std::string_view methodName, std::string_view httpMethod,
                                         const ValueDictionary& params) {
  if (!isLoggedIn()) {
    tellDelegate([this](WBEngineDelegate& d) { d.engineNotAuthorized(*this); });
    return;
  }
  std::string url = apiBaseURL() + std::string(methodName);
  disconnect();
  if (httpMethod == "GET") {
    auto target = NSURL::URLWithString(URLHelper::getURL(url, params));
    if (!target) return;
    request_ = HXHTTPRequest::requestWithURL(target);
    if (timeOutSec_ != kLongTimeOutSec) timeOutSec_ = kDefaultTimeOutSec;
  } else {
    auto form = HXFormDataRequest::requestWithURL(NSURL::URLWithString(url));
    form->setRequestMethod("POST");
    if (params)
      params->enumerate(
          [&](const std::string& key, const Value& v) { form->setPostValue(v, key); });
    request_ = form;
    timeOutSec_ = kLongTimeOutSec;
  }
  startConnect();
}

void WBEngine::startConnect() {
  if (!request_) return;
  auto request = request_;
  auto self = weakSelf<WBEngine>();
  request->setDelegate(weakSelf<NSObject>());
  request->setTimeOutSeconds(timeOutSec_);
  if (needAddToQueue_) {
    // A queued request outlives the engine's next call: its reply belongs to whoever asked
    // for it, not to the receiver set at the moment it arrives.
    auto receiver = delegate_;
    auto action = action_;
    request->setDidFinishSelector(
        Selector("requestFinished:", self, [self, receiver, action](const Value& r) {
          if (auto s = self.lock()) s->finished(r.object<HXHTTPRequest>(), receiver, action);
        }));
    request->setDidFailSelector(
        Selector("requestFailed:", self, [self, receiver, action](const Value& r) {
          if (auto s = self.lock()) s->failed(r.object<HXHTTPRequest>(), receiver, action);
        }));
    taskQueue_->addOperation(request);
    taskQueue_->go();
    request_ = nullptr;
    needAddToQueue_ = false;
    return;
  }
  request->setDidFinishSelector(Selector("requestFinished:", self, [self](const Value& r) {
    if (auto s = self.lock()) s->requestFinished(r.object<HXHTTPRequest>());
  }));
  request->setDidFailSelector(Selector("requestFailed:", self, [self](const Value& r) {
    if (auto s = self.lock()) s->requestFailed(r.object<HXHTTPRequest>());
  }));
  request->startAsynchronous();
}

void WBEngine::disconnect() {
  if (!request_) return;
  auto delegate = delegate_;
  auto action = action_;
  delegate_.reset();
  action_ = Selector();
  tempDel_.reset();
  request_->clearDelegatesAndCancel();
  request_ = nullptr;
  delegate_ = delegate;
  action_ = action;
}

// ---- replies ----------------------------------------------------------------------------------

void WBEngine::requestFinished(const std::shared_ptr<HXHTTPRequest>& request) {
  finished(request, delegate_, action_);
}

void WBEngine::requestFailed(const std::shared_ptr<HXHTTPRequest>& request) {
  failed(request, delegate_, action_);
}

void WBEngine::deliver(const std::weak_ptr<NSObject>& receiver, const Selector& action,
                       const std::string& text) {
  if (receiverResponds(receiver, action)) performOnReceiver(receiver, action, Value(text));
}

void WBEngine::finished(const std::shared_ptr<HXHTTPRequest>& request,
                        std::weak_ptr<NSObject> receiver, Selector action) {
  auto keep = shared_from_this();
  auto body = request ? request->responseString() : nullptr;
  std::string text = body ? *body : std::string();
  auto result = ServerResult::resultWithZizaJSONString(text);
  if (ServerResult::isPlatformTokenError(result->resultCode)) {
    logOut();
    postNotification(kGlobeRequest, Value(), RequestType::BindPrompt);
  }
  deliver(receiver, action, text);
  timeOutSec_ = kDefaultTimeOutSec;
}

void WBEngine::failed(const std::shared_ptr<HXHTTPRequest>& request,
                      std::weak_ptr<NSObject> receiver, Selector action) {
  auto keep = shared_from_this();
  ApplicationHelper::decreaseNetworkActivityIndicator();
  stopActivityIndicatorViewAnimation();
  timeOutSec_ = kDefaultTimeOutSec;
  auto error = request ? request->error() : nullptr;
  bool handled = false;
  if (error && error->code() == kAuthenticationCancelled) {
    handled = true;
  } else {
    if (receiverResponds(receiver, action))
      deliver(receiver, action, getErrorJsonString());
    else
      handled = true;
    if (needPromptSelf_ && Reachability::isConnectedToNetwork()) {
      needPromptSelf_ = false;
      return;
    }
  }
  if ((request && request->isCanceledRequest()) ||
      (!handled && error && error->localizedDescription() == kCancelledDescription))
    handled = true;
  if (Reachability::isConnectedToNetwork()) {
    if (!handled) showPrompt(localized("RequestError"));
  } else {
    showPrompt(localized("NetworkError"));
  }
}

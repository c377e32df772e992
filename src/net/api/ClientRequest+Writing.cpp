// The content-server client's writing endpoints: favourites, deleting, reposting, posting text
// and pictures, commenting and replying, likes, following the service's own account, product
// likes, trial requests and feedback, shares to the microblog platform, the item-click record
// and the location report.
#include "core/NSConfig.h"
#include "net/api/ApplicationHelper.h"
#include "net/api/ClientPostRequest.h"
#include "net/api/ClientRequest.h"
#include "net/api/EndpointParameters.h"
#include "net/api/NSAsiFormDataRequest.h"
#include "net/http/HXNetworkQueue.h"

using namespace endpoint;

namespace {

// The long timeout of the writing operations that go on the client's own request.
constexpr int kWriteTimeOutSec = 60;

}  // namespace

// ---- building and sending ---------------------------------------------------------------------

ValueDictionary ClientRequest::newPostParameters() {
  auto d = std::make_shared<NSMutableDictionary>();
  std::string key = getRegisterClientKey();
  if (!key.empty()) d->setObject(Value(key), "keys");
  putPlatformUserId(d);
  addComParamers(d);
  return d;
}

void ClientRequest::sendOwnPost(std::string_view path, const ValueDictionary& parameters,
                                bool authorize) {
  methodType_ = 1;
  serverType_ = 1;
  timeOutSec_ = kWriteTimeOutSec;
  needAuthorize_ = authorize;
  reQuestUrl(path, parameters);
  methodType_ = 0;
  serverType_ = 0;
}

void ClientRequest::sendAccountGet(std::string_view path, const ValueDictionary& parameters) {
  methodType_ = 0;
  serverType_ = 2;
  timeOutSec_ = kWriteTimeOutSec;
  reQuestUrl(path, parameters);
  serverType_ = 0;
}

// ---- statuses ---------------------------------------------------------------------------------

void ClientRequest::updateSubscription(const Value& channelIds) {
  auto d = newParameters();
  put(d, "channel_ids", channelIds);
  sendOwnPost("/Operates/ChannelsSubscription.aspx", d, false);
}

namespace {

// The favourite and delete operations' own parameters: the status and the account.
ValueDictionary withStatusOfAccount(const ValueDictionary& d, const Value& blogId) {
  put(d, "blog_id", blogId);
  putPlatformUserId(d);
  return d;
}

}  // namespace

void ClientRequest::collectionStatus(const Value& blogId) {
  sendOwnPost("/Operates/FavoritesCreate.aspx", withStatusOfAccount(newParameters(), blogId), true);
}

void ClientRequest::uncollectionStatus(const Value& blogId) {
  sendOwnPost("/Operates/FavoritesDestroy.aspx", withStatusOfAccount(newParameters(), blogId),
              true);
}

void ClientRequest::deleteStatus(const Value& blogId) {
  sendOwnPost("/Operates/StatusesDestroy.aspx", withStatusOfAccount(newParameters(), blogId), true);
}

void ClientRequest::repostStatus(const Value& blogId, const Value& text, const Value& isComment) {
  repostStatus(blogId, text, isComment, Value());
}

void ClientRequest::repostStatus(const Value& blogId, const Value& text, const Value& isComment,
                                 const Value& areaId) {
  auto d = newPostParameters();
  put(d, "blog_id", blogId);
  put(d, "is_comment", isComment);
  auto content = textIfAny(text);
  put(d, "content", content && content->empty() ? Value("转发微博") : text);
  put(d, "group_id", areaId);
  d->setObject(Value(currentChannelId()), "channelID");
  postQueue_->reQuestUrl("/Operates/StatusesRepost.aspx", d);
}

void ClientRequest::postStatus(const Value& content) {
  auto d = newPostParameters();
  put(d, "content", content);
  postQueue_->reQuestUrl("/Operates/StatusesUpdate.aspx", d);
}

void ClientRequest::postStatus(const Value& content, const Value& areaId) {
  auto d = newPostParameters();
  put(d, "group_id", areaId);
  put(d, "content", content);
  postQueue_->reQuestUrl("/Operates/StatusesUpdate.aspx", d);
}

void ClientRequest::postImageStatus(const Value& text, const Value& imageData) {
  postImageStatus(text, imageData, Value());
}

void ClientRequest::postImageStatus(const Value& text, const Value& imageData,
                                    const Value& areaId) {
  auto d = newPostParameters();
  auto content = textIfAny(text);
  put(d, "content", content && content->empty() ? Value("分享图片") : text);
  if (imageData.isData() || imageData.isString()) d->setObject(imageData, "imgfile");
  put(d, "group_id", areaId);
  postQueue_->postImage("/Operates/StatusesUpload.aspx", d);
}

void ClientRequest::commentWeibo(const Value& blogId, const Value& content) {
  commentWeibo(blogId, content, Value());
}

void ClientRequest::commentWeibo(const Value& blogId, const Value& content, const Value& areaId) {
  sendComment("/Operates/StatusesComment.aspx", blogId, content, {"group_id", areaId});
}

void ClientRequest::replyCommentWeibo(const Value& blogId, const Value& content,
                                      const Value& replyId) {
  sendComment("/Operates/StatusesCommentReply.aspx", blogId, content, {"cid", replyId});
}

void ClientRequest::sendComment(std::string_view path, const Value& blogId, const Value& content,
                                std::pair<std::string_view, Value> extra) {
  auto d = newPostParameters();
  put(d, "blog_id", blogId);
  put(d, "content", content);
  put(d, extra.first, extra.second);
  d->setObject(Value(currentChannelId()), "channelID");
  postQueue_->reQuestUrl(path, d);
}

void ClientRequest::shareToZizaWeibo(const Value& productId, const Value& laterId,
                                     const Value& laterTitle, const Value& laterURL) {
  auto d = newPostParameters();
  if (isGiven(productId)) {
    put(d, "pro_id", productId);
  } else {
    put(d, "later_id", laterId);
    put(d, "later_title", laterTitle);
    put(d, "later_url", laterURL);
  }
  d->setObject(Value(currentChannelId()), "channelID");
  postQueue_->reQuestUrl("/operates/ShareToZizaWeibo.aspx", d);
}

void ClientRequest::feedToZizaWeibo(const Value& productId, const Value& content) {
  auto d = newPostParameters();
  if (isGiven(productId)) {
    put(d, "pro_id", productId);
    put(d, "content", content);
  }
  postQueue_->reQuestUrl("/operates/ShareToZizaWeibo.aspx", d);
}

void ClientRequest::userFeedProductBack(const Value& productId, const Value& content) {
  auto d = newParameters();
  d->setObject(Value("0"), "is_open");
  d->setObject(Value(platformUserId().value_or("")), "u_id");
  d->setObject(textOr(content, ""), "content");
  d->setObject(textOr(productId, ""), "product_id");
  postQueue_->reQuestUrl("/Channels/PostProductFeedback.aspx", d);
}

// ---- likes, products and records --------------------------------------------------------------

void ClientRequest::goodStatus(const Value& blogId, const Value& channelId) {
  auto d = newParameters();
  put(d, "blog_id", blogId);
  put(d, "channelID", channelId);
  sendAccountGet("/Operates/Like.aspx", d);
}

void ClientRequest::goodProduct(const Value& productId) {
  auto d = newParameters();
  put(d, "pro_id", productId);
  sendAccountGet("/Operates/LikeProduct.aspx", d);
}

void ClientRequest::cancelGoodProduct(const Value& productId) {
  auto d = newParameters();
  put(d, "pro_id", productId);
  sendAccountGet("/Operates/LikeProductDestroy.aspx", d);
}

void ClientRequest::TrialProduct(const Value& fields) {
  auto d = newParameters();
  put(d, "pro_id", fields[0]);
  put(d, "tel", fields[1]);
  put(d, "toziza", fields[2]);
  // The contact details come only with the long form.
  if (fields.count() > 6) {
    put(d, "name", fields[3]);
    put(d, "gender", fields[4]);
    put(d, "birthday", fields[5]);
    put(d, "address", fields[6]);
  }
  sendAccountGet("/Operates/TrialProduct.aspx", d);
}

void ClientRequest::attendServerUser() {
  methodType_ = 0;
  serverType_ = 2;
  timeOutSec_ = kWriteTimeOutSec;
  noNeedPromptLoad_ = true;
  reQueueUrl("/Accounts/AttentionI.aspx", newParameters(), {}, Selector(), 0, true);
  noNeedPromptLoad_ = false;
  serverType_ = 0;
}

void ClientRequest::recordProduct(const Value& itemId) {
  auto d = newParameters();
  put(d, "id", itemId);
  auto request = NSAsiFormDataRequest::initRequestDNS("/channels/itemclick.aspx", d, baseURL(), 0);
  request->setRequestMethod("POST");
  request->setUserAgent(std::string(kUserAgent));
  setEngineCallbacks(request, true);
  enqueue(request, {}, Selector(), 0, false);
}

void ClientRequest::uploadLocation() {
  auto d = newParameters();
  putLocation(d);
  // The receiver registered on the post sender goes with this request, and only this one.
  std::weak_ptr<NSObject> receiver = postQueue_->clientdelegateRef();
  Selector action = postQueue_->actionString();
  postQueue_->setPostAction(Selector(), {});
  methodType_ = 1;
  serverType_ = 2;
  needDownload_ = true;
  noNeedPromptLoad_ = true;
  reQueueUrl("/Locate/UserGroup.aspx", d, std::move(receiver), std::move(action), 0, true);
  methodType_ = 0;
  serverType_ = 0;
  needDownload_ = false;
  noNeedPromptLoad_ = false;
}

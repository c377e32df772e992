// The content-server client's own reply handlers: the outcome of comments, reposts, shares,
// product feedback and seminar posts for the status bar and the bus, the location report, the
// banner list, and the text cleaning the reply parser uses.
#include <map>

#include "Foundation/NSString.h"
#include "UIKit/UIImage.h"
#include "core/FeedbackPresenter.h"
#include "core/NSConfig.h"
#include "core/NSGlobe.h"
#include "core/NSObject+notification.h"
#include "core/NotificationNames.h"
#include "core/StoredKeys.h"
#include "core/UIFilePath.h"
#include "model/NSChannelAdDB.h"
#include "model/ZizaJsonStatusParser.h"
#include "net/api/ClientPostRequest.h"
#include "net/api/ClientRequest.h"
#include "net/api/ServerResult.h"

namespace {

// The platform's code for a status its author has deleted.
constexpr int kStatusDeleted = 20101;
// The location state of a report the server refused.
constexpr int kLocationRefused = 3;
// The tag of banner picture downloads, and their tries.
constexpr int kBannerTag = 7;
constexpr int kBannerTries = 2;
// What a banner picture's address gets on a screen that is not retina.
constexpr std::string_view kSmallBannerSuffix = "_290x60";

bool succeeded(const Value& reply) {
  return ServerResult::resultWithJSONString(textOf(reply))->resultSuccess;
}

}  // namespace

Selector ClientRequest::replyHandlerNamed(std::string_view name) {
  using Handler = void (ClientRequest::*)(const Value&);
  static const std::map<std::string_view, Handler> kHandlers = {
      {"nolyCommentCallBack:", &ClientRequest::nolyCommentCallBack},
      {"commentCallBack:", &ClientRequest::commentCallBack},
      {"retcommentCallBack:", &ClientRequest::retcommentCallBack},
      {"onlyRetCallBack:", &ClientRequest::onlyRetCallBack},
      {"shareToZizaWeiboCallBack:", &ClientRequest::shareToZizaWeiboCallBack},
      {"feedProductCallBack:", &ClientRequest::feedProductCallBack},
      {"trialCallBack:", &ClientRequest::trialCallBack},
      {"postDialogCallback:", &ClientRequest::postDialogCallback},
      {"retweetCallBack:", &ClientRequest::retweetCallBack},
      {"recordeCallBack:", &ClientRequest::recordeCallBack},
      {"adImgCallBack:", &ClientRequest::adImgCallBack},
      {"locationCallBack:", &ClientRequest::locationCallBack},
      {"errLocationCallBack:", &ClientRequest::errLocationCallBack},
      {"getAllNewChannelsCallback:", &ClientRequest::getAllNewChannelsCallback},
      {"getAllChannelsCallback:", &ClientRequest::getAllChannelsCallback},
      {"getNewChannelsCallback:", &ClientRequest::getNewChannelsCallback},
      {"userSelectSetupCallBack:", &ClientRequest::userSelectSetupCallBack},
      {"getBannerListCallback:", &ClientRequest::getBannerListCallback},
      {"relationshipCallback:", &ClientRequest::relationshipCallback},
      {"attentionCallBack:", &ClientRequest::attentionCallBack},
      {"imageAllFinish:", &ClientRequest::onImageAllFinish},
  };
  auto found = kHandlers.find(name);
  if (found == kHandlers.end()) return {};
  return selector(weakSelf<ClientRequest>(), found->second, std::string(name));
}

// ---- posting replies --------------------------------------------------------------------------

void ClientRequest::nolyCommentCallBack(const Value& reply) {
  commentCallBack(reply);
}

void ClientRequest::commentCallBack(const Value& reply) {
  std::string text = textOf(reply);
  auto comment = ZizaJsonStatusParser::parseToComment(text);
  if (comment && comment->commentId != 0) {
    postQueue_->postFinish(Value(ServerResult::getCommentStringIsOk(true)));
    postNotification(kCommentResult, Value(text), RequestType::CommentResultComment);
    NSConfig::cleanLocalData();
    return;
  }
  if (ServerResult::resultWithZizaJSONString(text)->resultCode == kStatusDeleted)
    postQueue_->postFinish(Value(ServerResult::getJsonStringIsOk(false, "该微博已被作者删除")));
  else
    postQueue_->postFinish(Value(ServerResult::getCommentStringIsOk(false)));
}

void ClientRequest::retcommentCallBack(const Value& reply) {
  auto result = ServerResult::resultWithJSONString(textOf(reply));
  if (result->resultSuccess) {
    postNotification(kCommentResult, Value(), RequestType::CommentResultRepostWithComment);
    NSConfig::cleanLocalData();
    return;
  }
  bool hasMessage = result->resultMsg.isString() && !result->resultMsg.string().empty();
  if (result->resultCode == kStatusDeleted && hasMessage)
    postQueue_->postFinish(reply);
  else
    postQueue_->postFinish(Value(ServerResult::getJsonStringIsOk(false)));
}

void ClientRequest::onlyRetCallBack(const Value& reply) {
  if (!succeeded(reply)) return;
  postNotification(kCommentResult, Value(), RequestType::CommentResultRepost);
  NSConfig::cleanLocalData();
}

void ClientRequest::shareToZizaWeiboCallBack(const Value& reply) {
  bool ok = succeeded(reply);
  postQueue_->postFinish(
      Value(ServerResult::getJsonStringIsOk(ok, ok ? "分享成功 ！" : "分享失败 ！")));
}

void ClientRequest::feedProductCallBack(const Value&) {
  postNotification(kCommentResult, Value(), RequestType::CommentResultProductFeedback);
}

void ClientRequest::trialCallBack(const Value& reply) {
  showPrompt(succeeded(reply) ? "提交成功！" : "提交失败！");
}

void ClientRequest::postDialogCallback(const Value& reply) {
  bool ok = succeeded(reply);
  if (ok)
    NSConfig::setCacheValue(
        Value(""), std::string(kSeminarDraftKeyPrefix) + std::to_string(pendingSeminarId_));
  postNotification(kSeminarSendData, Value(), ok ? 1 : 0);
}

void ClientRequest::showPostMsg() {
  postQueue_->showStatusBar();
}

// ---- location ---------------------------------------------------------------------------------

namespace {

// An envelope with code 0.  A reply that is no envelope at all (a page of the server's, a
// transport error) is not taken for one.
bool locationAccepted(const Value& reply) {
  auto result = ServerResult::resultWithJSONString(textOf(reply));
  return !result->resultMsg.isNil() && result->resultCode == 0;
}

}  // namespace

void ClientRequest::locationCallBack(const Value& reply) {
  if (locationAccepted(reply))
    postNotification(kChannelRefresh, reply, RequestType::ChannelRefreshLocation);
  else
    NSGlobe::getEngine()->setLocationState(kLocationRefused);
}

void ClientRequest::errLocationCallBack(const Value& reply) {
  if (locationAccepted(reply))
    postNotification(kChannelRefresh, reply, RequestType::ChannelRefreshLocation);
}

// ---- the banner list --------------------------------------------------------------------------

void ClientRequest::getBannerListCallback(const Value& reply) {
  NSConfig::setCacheValueFormTemp(kBannerListUpdateDataKey);
  auto list = ZizaJsonStatusParser::parseToAdList(textOf(reply));
  if (!list) return;
  NSChannelAdDB::setListValueDB(*list, "list");
  bool retina = NSGlobe::getEngine()->isIphone4();
  for (const auto& ad : *list) {
    if (!ad || ad->c_img.empty()) continue;
    auto file = UIFilePath::getImageWithPath(ad->c_img);
    if (!file || UIImage::imageWithContentsOfFile(*file)) continue;
    std::string url = ad->c_img + (retina ? "" : std::string(kSmallBannerSuffix));
    setDownloadAction(replyHandlerNamed("adImgCallBack:"), weakSelf<NSObject>(), kBannerTag);
    startDownloadFile(url, *file, kBannerTries);
  }
}

// ---- text cleaning ----------------------------------------------------------------------------

std::string ClientRequest::stringReplaceSpecialPunctuation(const Value& text) {
  std::string s = textOf(text);
  static const std::pair<std::string_view, std::string_view> kEscapes[] = {
      {"€", "&EUR$;"},
      {"£", "&pound;"},
      {"¥", "&yuan;"},
      {"•", "&dian;"},
      {"^\u2006_\u2006^", "&smile;"},
  };
  for (const auto& [from, to] : kEscapes) replaceAll(s, from, to);
  return s;
}

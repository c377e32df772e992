#include "net/api/NSWeiBoNet.h"

#include <map>
#include <mutex>

#include "Foundation/LockedShared.h"
#include "Foundation/NSBundle.h"
#include "Foundation/NSTimer.h"
#include "core/FeedbackPresenter.h"
#include "core/NSMsgSend.h"
#include "core/NSObject+UIViewBusy.h"
#include "core/NSObject+notification.h"
#include "core/NotificationNames.h"
#include "net/api/ClientPlatformAccount.h"
#include "net/api/ClientRequest.h"
#include "net/http/HXHTTPRequest.h"
#include "net/http/Reachability.h"

namespace {

// The one dispatcher, made under the class's lock.
using SharedNet = LockedSingleton<NSWeiBoNet>;

// The usage-log check interval.
constexpr double kLogTimeInterval = 60;

// Usage codes of the dispatched requests.
constexpr int32_t kUsageContentList = 1;
constexpr int32_t kUsageRepost = 3;
constexpr int32_t kUsageComment = 4;
constexpr int32_t kUsageFavouriteAdded = 5;
constexpr int32_t kUsageFavouriteRemoved = 6;
constexpr int32_t kUsageLike = 7;
constexpr int32_t kUsageStatusPosted = 12;
constexpr int32_t kUsageStatusDeleted = 13;
constexpr int32_t kUsageSubscription = 15;
constexpr int32_t kUsageRepostWithComment = 22;

// The text of a data item for a usage record: strings as they are, numbers as decimal text.
Value detailOf(const Value& item) {
  if (item.isString()) return item;
  if (item.isNumber()) return Value(item.description());
  return {};
}

// One request as a route's operation sees it.
struct Call {
  NSWeiBoNet& net;
  ClientRequest& client;
  const NSMsgSend& msg;
  std::weak_ptr<NSObject> clientRef;
  // The data item at an index; nil when missing.
  Value at(size_t i) const { return msg.data[i]; }
  // The post sender's reply goes to one of the client's own handlers.
  void replyToClient(std::string_view handler) const {
    client.setPostAction(client.replyHandlerNamed(handler), clientRef);
  }
  // A repost reply: the handler that also reports the comment when `withComment` reads as 1.
  void replyToRepost(const Value& withComment) const {
    replyToClient(withComment.intValue() == 1 ? "retcommentCallBack:" : "onlyRetCallBack:");
  }
};

// "%@,%@" of two data items.
Value joined(const Value& a, const Value& b) {
  auto text = [](const Value& v) { return v.isNil() ? std::string("(null)") : v.description(); };
  return Value(text(a) + "," + text(b));
}

// A usage record worked out from the message: its code and detail.
struct Usage {
  int32_t code = 0;
  Value detail;
};

// Where the reply of a request goes: the client's single request (the sender's action is
// registered on the client), the post sender (registered there), the operation's own
// arguments, or nowhere.
enum class Reply { Client, Post, Arguments, None };

struct Route {
  Reply reply;
  void (*operation)(const Call&);
  // The usage record made after the call: the code, with the data item at detailIndex when
  // there is one (-1: the code alone); no record for code 0.
  int32_t usageCode = 0;
  int detailIndex = -1;
  // For the types whose record depends on the message (code 0: none).
  Usage (*usage)(const Call&) = nullptr;
};

// The request types whose operations are built, and what each does.  A type that is not here
// does nothing: notification message types, types whose operations come later, unknown types.
const std::map<RequestType, Route>& routes() {
  using T = RequestType;
  const Reply A = Reply::Client, P = Reply::Post, arg = Reply::Arguments, none = Reply::None;
  static const std::map<RequestType, Route> table = {
      {T::Cancel, {none, [](const Call& c) { c.net.clearNoti(); }}},
      {T::ChannelStatuses,
       {A,
        [](const Call& c) { c.client.getStatusWithChannelId(c.at(0), c.at(1), c.at(2), c.at(3)); },
        kUsageContentList, 0}},
      {T::FeedStatuses,
       {A, [](const Call& c) { c.client.getStatusWithChannelIds(c.at(0), c.at(1), c.at(2)); },
        kUsageContentList, 0}},
      {T::FavoriteStatuses,
       {A,
        [](const Call& c) {
          c.client.getFavorityWithChannelId(c.at(0), c.at(1), c.at(2), c.at(3));
        },
        kUsageContentList, 0}},
      {T::DailyTrends, {A, [](const Call& c) { c.client.getDaylyTrends(); }}},
      // The page index is [2], the max id [1].
      {T::CommentList,
       {arg,
        [](const Call& c) {
          c.client.getCommentList(c.at(0), c.at(2), c.at(1), c.msg.sender, c.msg.action);
        }}},
      {T::FullArticle,
       {arg,
        [](const Call& c) { c.client.getFullArticle(c.msg.data, c.msg.sender, c.msg.action); }}},
      {T::PlatformLogin, {none, [](const Call& c) { c.client.logIn(); }}},
      {T::UpdatePoll, {P, [](const Call& c) { c.client.checkForChannelUpdate(Value()); }}},
      {T::ChannelUpdateCheck, {P, [](const Call& c) { c.client.checkForChannelUpdate(c.at(0)); }}},
      {T::LikeCount, {A, [](const Call& c) { c.client.getLikeCount(c.at(0), c.at(1), c.at(2)); }}},
      {T::SuggestionCategories, {A, [](const Call& c) { c.client.getThirdAccoundList(); }}},
      {T::Suggestions,
       {A, [](const Call& c) { c.client.getThirdAccoundData(c.at(0), c.at(1), c.at(2)); }}},
      {T::ServerMessage, {P, [](const Call& c) { c.client.getNewMessage(); }}},
      {T::SeminarList,
       {A, [](const Call& c) { c.client.getSeminiarWithChannelId(c.at(0), c.at(1), c.at(2)); },
        kUsageContentList, 0}},
      {T::SeminarPosts,
       {A, [](const Call& c) { c.client.getDialogWithType(c.at(0), c.at(1), c.at(2), c.at(3)); }}},
      {T::FollowedSeminarPosts,
       {A, [](const Call& c) { c.client.getAttendList(c.at(0), c.at(1)); }}},
      {T::FollowedSeminarPostDetails,
       {A, [](const Call& c) { c.client.getGenZongWenTi(c.at(0), c.at(1), c.at(2), c.at(3)); }}},
      // The data is the prepared request itself.
      {T::QueueDownload,
       {none,
        [](const Call& c) {
          if (auto request = c.msg.data.object<HXHTTPRequest>())
            c.client.addRequestInQueue(request);
        }}},
      {T::HotItems,
       {A, [](const Call& c) { c.client.getTuiJianWithChannelId(c.at(0), c.at(1), c.at(2)); }}},
      // The reader's text; the contact text is not asked for.
      {T::UserFeedback,
       {P, [](const Call& c) { c.client.userFeedBack(c.at(0), Value(), Value("1")); }}},
      {T::TopicList,
       {A, [](const Call& c) { c.client.getTopicListWithChannelId(c.at(0), c.at(1), c.at(2)); }}},
      {T::LikedProducts,
       {A, [](const Call& c) { c.client.getLikeProductWithChannelId(c.at(0), c.at(1), c.at(2)); }}},
      {T::TopicTimeline,
       {A, [](const Call& c) { c.client.getTopicDetailWithChannelId(c.at(0), c.at(1), c.at(2)); }}},
      {T::NewProducts,
       {A, [](const Call& c) { c.client.getNewProductWithChannelId(c.at(0), c.at(1), c.at(2)); }}},
      {T::ShowContent,
       {arg,
        [](const Call& c) {
          c.client.showContent(c.at(0), c.at(1), c.at(2), c.msg.sender, c.msg.action, c.at(3),
                               c.at(4));
        }}},
      {T::ShowSeminarContent,
       {arg,
        [](const Call& c) {
          c.client.showDialogContent(c.at(0), c.at(1), c.msg.sender, c.msg.action, c.at(2));
        }}},
      {T::AppUpdateCheck, {none, [](const Call& c) { c.client.appUpdata(); }}},
      {T::ExpoBanners, {A, [](const Call& c) { c.client.getVEZIData(); }, kUsageContentList, 0}},
      // The page is [2], the keyword [1].
      {T::CompanyList,
       {A, [](const Call& c) { c.client.getCompanyList(c.at(0), c.at(2), c.at(1)); }}},
      // The data is the report text.
      {T::CrashReport,
       {P, [](const Call& c) { c.client.userFeedBack(Value(), c.msg.data, Value("2")); }}},
      {T::Search,
       {A, [](const Call& c) { c.client.getSearchWithKeyword(c.at(0), c.at(1), c.at(2)); },
        kUsageContentList, 0}},
      {T::Vendors, {A, [](const Call& c) { c.client.getYingTongDian(); }}},
      {T::HotSearchWords, {A, [](const Call& c) { c.client.getHotSearchList(); }}},
      {T::ChannelStatusesV2,
       {A,
        [](const Call& c) {
          c.client.getStatusWithChannelIdV2(c.at(0), c.at(1), c.at(2), c.at(3));
        },
        kUsageContentList, 0}},
      {T::AreaStatuses,
       {A,
        [](const Call& c) {
          c.client.getStatusWithChannelIdAreaId(c.at(0), c.at(1), c.at(2), c.at(3));
        },
        kUsageContentList, 0}},
      {T::AllChannelStatuses,
       {A,
        [](const Call& c) {
          c.client.getStatusWithChannelIdAll(c.at(0), c.at(1), c.at(2), c.at(3));
        },
        kUsageContentList, 0}},
      {T::ProductFeedbackList, {A, [](const Call& c) { c.client.getFanKuiList(c.at(0)); }}},
      {T::ReopenSession, {none, [](const Call& c) { c.client.openClient(); }}},
      {T::CancelClientRequest, {none, [](const Call& c) { c.net.cancelNormal(); }}},
      {T::RealTimeQuotes, {A, [](const Call& c) { c.client.getRealTimeQuotes(); }}},
      {T::CertificateSearch, {A, [](const Call& c) { c.client.getCerSearch(); }}},
      {T::BindPrompt, {none, [](const Call&) { NSWeiBoNet::showPromptBind(); }}},

      // ---- statuses, comments and likes
      {T::UpdateSubscription,
       {A, [](const Call& c) { c.client.updateSubscription(c.at(0)); }, kUsageSubscription}},
      {T::AddFavorite,
       {A, [](const Call& c) { c.client.collectionStatus(c.at(0)); }, kUsageFavouriteAdded, 0}},
      {T::RemoveFavorite,
       {A, [](const Call& c) { c.client.uncollectionStatus(c.at(0)); }, kUsageFavouriteRemoved,
        0}},
      {T::DeleteStatus,
       {A, [](const Call& c) { c.client.deleteStatus(c.at(0)); }, kUsageStatusDeleted, 0}},
      // The client reads the reply itself and tells the screens on "comment_result".
      {T::RepostStatus,
       {none,
        [](const Call& c) {
          c.replyToRepost(c.at(2));
          c.client.repostStatus(c.at(0), c.at(1), c.at(2));
        },
        0, -1,
        [](const Call& c) {
          return Usage{c.at(2).intValue() == 0 ? kUsageRepost : kUsageRepostWithComment, c.at(0)};
        }}},
      {T::PostStatus,
       {P, [](const Call& c) { c.client.postStatus(c.at(0)); }, kUsageStatusPosted}},
      {T::PostImageStatus,
       {P, [](const Call& c) { c.client.postImageStatus(c.at(0), c.at(1)); }, kUsageStatusPosted}},
      {T::CommentStatus,
       {none,
        [](const Call& c) {
          c.client.showPostMsg();
          c.replyToClient("nolyCommentCallBack:");
          c.client.commentWeibo(c.at(0), c.at(1));
        },
        kUsageComment, 0}},
      // [comment id, status id, text]
      {T::ReplyToComment,
       {none,
        [](const Call& c) {
          c.client.showPostMsg();
          c.replyToClient("nolyCommentCallBack:");
          c.client.replyCommentWeibo(c.at(1), c.at(2), c.at(0));
        },
        0, -1, [](const Call& c) { return Usage{kUsageComment, joined(c.at(0), c.at(1))}; }}},
      {T::LikeStatus,
       {A, [](const Call& c) { c.client.goodStatus(c.at(0), c.at(1)); }, kUsageLike}},

      // ---- seminars
      // The reply goes to the client's own handler of the message's action.
      {T::SeminarPost,
       {none,
        [](const Call& c) {
          c.client.setPostAction(c.client.replyHandlerNamed(c.msg.action.name()), c.clientRef);
          c.client.postDialog(c.at(0), c.at(1), c.at(2));
        }}},
      {T::SeminarComment,
       {none,
        [](const Call& c) {
          c.replyToClient("retcommentCallBack:");
          c.client.commentDialog(c.at(0), c.at(1), c.at(2), c.at(3));
        }}},
      {T::SeminarRepost,
       {none,
        [](const Call& c) {
          c.replyToRepost(c.at(4));
          c.client.repostDialog(c.at(0), c.at(1), c.at(2), c.at(3), c.at(4));
        }}},
      {T::FollowSeminarPost,
       {P, [](const Call& c) { c.client.watchDialog(c.at(0), c.at(1), c.at(2)); }}},
      {T::UnfollowSeminarPost, {A, [](const Call& c) { c.client.unWatchDialog(c.at(0)); }}},
      {T::SeminarBanners, {P, [](const Call& c) { c.client.getBanner(); }}},
      {T::SeminarRegistration,
       {A,
        [](const Call& c) {
          c.client.recordDialog(c.at(0), c.at(1), c.at(2), c.at(3), c.at(4), c.at(5), c.at(6));
        }}},

      // ---- the service's account, products and shares
      {T::FollowServiceAccountIfAsked,
       {none,
        [](const Call& c) {
          auto account = ClientPlatformAccount::current();
          if (account && account->needAttend()) c.client.attendServerUser();
        }}},
      {T::FollowServiceAccount, {none, [](const Call& c) { c.client.attendServerUser(); }}},
      {T::LikeProduct, {A, [](const Call& c) { c.client.goodProduct(c.at(0)); }, kUsageLike}},
      // The data is the whole form.
      {T::TrialProduct, {A, [](const Call& c) { c.client.TrialProduct(c.msg.data); }, kUsageLike}},
      {T::ShareToPlatform,
       {none,
        [](const Call& c) { c.client.shareToZizaWeibo(c.at(0), Value(), Value(), Value()); }}},
      {T::ShareArticleToPlatform,
       {none,
        [](const Call& c) {
          c.replyToClient("shareToZizaWeiboCallBack:");
          c.client.shareToZizaWeibo(Value(), c.at(0), c.at(1), c.at(2));
        }}},
      {T::FeedToPlatform,
       {none,
        [](const Call& c) {
          c.replyToClient("shareToZizaWeiboCallBack:");
          c.client.feedToZizaWeibo(c.at(0), c.at(1));
        }}},
      {T::UnlikeProduct, {A, [](const Call& c) { c.client.cancelGoodProduct(c.at(0)); }}},
      {T::RecordProductClick, {none, [](const Call& c) { c.client.recordProduct(c.at(0)); }}},
      // [text, product id]
      {T::ProductFeedback,
       {none,
        [](const Call& c) {
          c.replyToClient("feedProductCallBack:");
          c.client.userFeedProductBack(c.at(1), c.at(0));
        }}},
      {T::UploadLocation,
       {none,
        [](const Call& c) {
          c.replyToClient("locationCallBack:");
          c.client.uploadLocation();
        }}},
      {T::UploadLocationAfterError,
       {none,
        [](const Call& c) {
          c.replyToClient("errLocationCallBack:");
          c.client.uploadLocation();
        }}},

      // ---- adverts
      {T::Advert,
       {arg, [](const Call& c) { c.client.getADInfo(c.at(0), c.msg.sender, c.msg.action); }}},
      {T::CloseAdvert, {none, [](const Call& c) { c.client.closeAd(c.at(0)); }}},
      {T::AdvertShown, {none, [](const Call& c) { c.client.showAdOk(c.at(0)); }}},
      {T::ChannelAdverts,
       {arg,
        [](const Call& c) { c.client.getChannelADInfo(c.at(0), c.msg.sender, c.msg.action); }}},
      // The data is the list of advert ids.
      {T::AdvertsShown, {none, [](const Call& c) { c.client.showAdOkList(c.msg.data); }}},

      // ---- the profile wizard
      {T::ProfileOptions, {P, [](const Call& c) { c.client.getUserSetupInfo(); }}},
      // Without a receiver of its own, the reply goes to the client's handler.
      {T::SaveIndustryProfile,
       {none,
        [](const Call& c) {
          if (c.msg.sender.expired() || !c.msg.action.isSet())
            c.replyToClient("userSelectSetupCallBack:");
          else
            c.client.setPostAction(c.msg.action, c.msg.sender);
          c.client.getUserSelectSetupInfo(c.at(0), c.at(1), c.at(2));
        }}},
      {T::SaveUserProfile,
       {none, [](const Call& c) { c.client.saveUserSelectSetupInfo(c.at(0)); }}},
      {T::SaveChannelChoice,
       {none, [](const Call& c) { c.client.saveUserSelectChannelSetupInfo(c.at(0)); }}},
      {T::BabyInterestOptions, {P, [](const Call& c) { c.client.getZiviSetupInfo(); }}},
      {T::BabyBaseInfo,
       {P, [](const Call& c) { c.client.getZiViSelectSetupInfo(c.at(0), c.at(1), c.at(2)); }}},
      {T::SaveBabyInterests,
       {A, [](const Call& c) { c.client.saveZiViUserSelectSetupInfo(c.at(0)); }}},
      // The data is the step's type text itself.
      {T::QuestionnaireStep,
       {A, [](const Call& c) { c.client.getUserNormalSetupInfo(c.msg.data); }}},
      {T::SaveQuestionnaireStep,
       {A, [](const Call& c) { c.client.getUserSelectSetupInfo(c.at(0), c.at(1)); }}},
  };
  return table;
}

}  // namespace

std::shared_ptr<NSWeiBoNet> NSWeiBoNet::allocWithZone() {
  return SharedNet::alloc();
}

std::shared_ptr<NSWeiBoNet> NSWeiBoNet::getNetEngine() {
  return SharedNet::shared([] {
    if (auto created = allocWithZone()) created->init();
  });
}

void NSWeiBoNet::init() {
  auto self = weakSelf<NSWeiBoNet>();
  addObserverWithSelector(weak_from_this(),
                          selector(self, &NSWeiBoNet::mainRequest, "mainRequest:"), kGlobeRequest);
  addObserverWithSelector(weak_from_this(), selector(self, &NSWeiBoNet::logAction, "logAction:"),
                          kLogAction);
  logTimer_ = NSTimer::scheduledTimerWithTimeInterval(
      kLogTimeInterval, selector(self, &NSWeiBoNet::logTime, "logTime:"), Value(), true);
  readLocalData();
}

NSWeiBoNet::~NSWeiBoNet() {
  if (logTimer_) logTimer_->invalidate();
}

// ---- dispatch ---------------------------------------------------------------------------------

void NSWeiBoNet::mainRequest(const Value& notification) {
  dispatch(NSMsgSend::fromNotification(notification));
}

bool NSWeiBoNet::handlesType(RequestType type) {
  return routes().count(type) > 0;
}

void NSWeiBoNet::dispatch(const std::shared_ptr<NSMsgSend>& msg) {
  if (!msg) return;
  const RequestType type = msg->requestType();
  if (type != RequestType::Cancel && !Reachability::isConnectedToNetwork()) {
    showPrompt(NSBundle::mainBundle()->localizedStringForKey("NetworkError"));
    stopActivityIndicatorViewAnimation();
    return;
  }
  auto found = routes().find(type);
  if (found == routes().end()) return;
  const Route& route = found->second;
  auto client = ClientRequest::engine();
  switch (route.reply) {
    case Reply::Client:
      client->setAction(msg->action, msg->sender);
      break;
    case Reply::Post:
      client->setPostAction(msg->action, msg->sender);
      break;
    case Reply::Arguments:
    case Reply::None:
      break;
  }
  Call call{*this, *client, *msg, std::weak_ptr<NSObject>(client)};
  route.operation(call);
  if (route.usage) {
    Usage usage = route.usage(call);
    if (usage.code != 0) record(usage.code, usage.detail);
  } else if (route.usageCode != 0) {
    record(route.usageCode, route.detailIndex >= 0 ? msg->data[route.detailIndex] : Value());
  }
}

void NSWeiBoNet::record(int32_t code, const Value& detail) {
  auto entry = makeArray({Value(code)});
  Value text = detailOf(detail);
  if (!text.isNil()) entry->addObject(text);
  logAction(Value(entry));
}

// ---- cancelling -------------------------------------------------------------------------------

void NSWeiBoNet::cancelEngine() {
  // The platform client arrives with the platform account; until then nothing is pending.
}

void NSWeiBoNet::clearNoti() {
  cancelEngine();
  stopActivityIndicatorViewAnimation();
}

void NSWeiBoNet::cancelNormal() {
  ClientRequest::engine()->cancel();
}

void NSWeiBoNet::cancel() {
  ClientRequest::engine()->cacelAll();
}

void NSWeiBoNet::startLoginWeiBo() {
  ClientRequest::engine()->logIn();
}

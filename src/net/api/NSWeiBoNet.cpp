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
#include "net/api/ClientRequest.h"
#include "net/http/HXHTTPRequest.h"
#include "net/http/Reachability.h"

namespace {

// The one dispatcher, made under the class's lock.
using SharedNet = LockedSingleton<NSWeiBoNet>;

// The usage-log check interval.
constexpr double kLogTimeInterval = 60;

// Usage code of a content list request.
constexpr int32_t kUsageContentList = 1;

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
  // The data item at an index; nil when missing.
  Value at(size_t i) const { return msg.data[i]; }
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
  route.operation(Call{*this, *client, *msg});
  if (route.usageCode != 0)
    record(route.usageCode, route.detailIndex >= 0 ? msg->data[route.detailIndex] : Value());
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

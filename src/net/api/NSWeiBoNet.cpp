#include "net/api/NSWeiBoNet.h"

#include <mutex>
#include <set>

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

// The lock on the class: creation of the one dispatcher.
std::recursive_mutex& classLock() {
  static std::recursive_mutex lock;
  return lock;
}

std::shared_ptr<NSWeiBoNet>& instance() {
  static std::shared_ptr<NSWeiBoNet> shared;
  return shared;
}

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

}  // namespace

std::shared_ptr<NSWeiBoNet> NSWeiBoNet::allocWithZone() {
  std::lock_guard<std::recursive_mutex> guard(classLock());
  if (instance()) return nullptr;
  instance() = std::make_shared<NSWeiBoNet>();
  return instance();
}

std::shared_ptr<NSWeiBoNet> NSWeiBoNet::getNetEngine() {
  std::lock_guard<std::recursive_mutex> guard(classLock());
  if (!instance()) {
    if (auto created = allocWithZone()) created->init();
  }
  return instance();
}

void NSWeiBoNet::init() {
  auto self = weakSelf<NSWeiBoNet>();
  addObserverWithSelector(weak_from_this(),
                          selector(self, &NSWeiBoNet::mainRequest, "mainRequest:"), kGlobeRequest);
  addObserverWithSelector(weak_from_this(), selector(self, &NSWeiBoNet::logAction, "logAction:"),
                          kLogAction);
  logTimer_ = NSTimer::scheduledTimerWithTimeInterval(
      kLogTimeInterval, selector(self, &NSWeiBoNet::logTime, "logTime:"), Value(), true);
}

NSWeiBoNet::~NSWeiBoNet() {
  if (logTimer_) logTimer_->invalidate();
}

// ---- dispatch ---------------------------------------------------------------------------------

void NSWeiBoNet::mainRequest(const Value& notification) {
  dispatch(NSMsgSend::fromNotification(notification));
}

bool NSWeiBoNet::handlesType(int32_t type) {
  static const std::set<int32_t> kTypes = {
      3,  4,  5,  6,  18, 27, 34, 35, 36, 37, 41,  42,  43,  44,  46,  47,  53,  54,  57,  58, 64,
      66, 67, 68, 80, 87, 88, 90, 91, 98, 99, 106, 109, 110, 111, 114, 115, 116, 121, 126, 127};
  return kTypes.count(type) > 0;
}

void NSWeiBoNet::dispatch(const std::shared_ptr<NSMsgSend>& msg) {
  if (!msg) return;
  const int32_t type = msg->type;
  if (type != 3 && !Reachability::isConnectedToNetwork()) {
    showPrompt(NSBundle::mainBundle()->localizedStringForKey("NetworkError"));
    stopActivityIndicatorViewAnimation();
    return;
  }
  auto client = ClientRequest::engine();
  const Value data = msg->data;
  auto at = [&](size_t i) { return data[i]; };
  // The reply goes to the sender's action through the client's single request (A) or through
  // the post sender (P).
  auto A = [&] { client->setAction(msg->action, msg->sender); };
  auto P = [&] { client->setPostAction(msg->action, msg->sender); };

  switch (type) {
    case 3:
      clearNoti();
      break;
    case 4:
      A();
      client->getStatusWithChannelId(at(0), at(1), at(2), at(3));
      record(kUsageContentList, at(0));
      break;
    case 5:
      A();
      client->getStatusWithChannelIds(at(0), at(1), at(2));
      record(kUsageContentList, at(0));
      break;
    case 6:
      A();
      client->getFavorityWithChannelId(at(0), at(1), at(2), at(3));
      record(kUsageContentList, at(0));
      break;
    case 18:
      A();
      client->getDaylyTrends();
      break;
    case 27:
      client->getCommentList(at(0), at(2), at(1), msg->sender, msg->action);
      break;
    case 34:
      client->getFullArticle(data, msg->sender, msg->action);
      break;
    case 35:
      client->logIn();
      break;
    case 36:
      P();
      client->checkForChannelUpdate(Value());
      break;
    case 37:
      P();
      client->checkForChannelUpdate(at(0));
      break;
    case 41:
      A();
      client->getLikeCount(at(0), at(1), at(2));
      break;
    case 42:
      A();
      client->getThirdAccoundList();
      break;
    case 43:
      A();
      client->getThirdAccoundData(at(0), at(1), at(2));
      break;
    case 44:
      P();
      client->getNewMessage();
      break;
    case 46:
      A();
      client->getSeminiarWithChannelId(at(0), at(1), at(2));
      record(kUsageContentList, at(0));
      break;
    case 47:
      A();
      client->getDialogWithType(at(0), at(1), at(2), at(3));
      break;
    case 53:
      A();
      client->getAttendList(at(0), at(1));
      break;
    case 54:
      A();
      client->getGenZongWenTi(at(0), at(1), at(2), at(3));
      break;
    case 57:
      if (auto request = data.object<HXHTTPRequest>()) client->addRequestInQueue(request);
      break;
    case 58:
      A();
      client->getTuiJianWithChannelId(at(0), at(1), at(2));
      break;
    case 64:
      A();
      client->getTopicListWithChannelId(at(0), at(1), at(2));
      break;
    case 66:
      A();
      client->getLikeProductWithChannelId(at(0), at(1), at(2));
      break;
    case 67:
      A();
      client->getTopicDetailWithChannelId(at(0), at(1), at(2));
      break;
    case 68:
      A();
      client->getNewProductWithChannelId(at(0), at(1), at(2));
      break;
    case 80:
      client->showContent(at(0), at(1), at(2), msg->sender, msg->action, at(3), at(4));
      break;
    case 87:
      client->showDialogContent(at(0), at(1), msg->sender, msg->action, at(2));
      break;
    case 88:
      client->appUpdata();
      break;
    case 90:
      A();
      client->getVEZIData();
      record(kUsageContentList, at(0));
      break;
    case 91:
      A();
      client->getCompanyList(at(0), at(2), at(1));
      break;
    case 98:
      // A crash report: the data is the report text.
      P();
      client->userFeedBack(Value(), data, Value("2"));
      break;
    case 99:
      A();
      client->getSearchWithKeyword(at(0), at(1), at(2));
      record(kUsageContentList, at(0));
      break;
    case 106:
      A();
      client->getYingTongDian();
      break;
    case 109:
      A();
      client->getHotSearchList();
      break;
    case 110:
      A();
      client->getStatusWithChannelIdV2(at(0), at(1), at(2), at(3));
      record(kUsageContentList, at(0));
      break;
    case 111:
      A();
      client->getStatusWithChannelIdAreaId(at(0), at(1), at(2), at(3));
      record(kUsageContentList, at(0));
      break;
    case 114:
      A();
      client->getStatusWithChannelIdAll(at(0), at(1), at(2), at(3));
      record(kUsageContentList, at(0));
      break;
    case 115:
      A();
      client->getFanKuiList(at(0));
      break;
    case 116:
      client->openClient();
      break;
    case 121:
      cancelNormal();
      break;
    case 126:
      A();
      client->getRealTimeQuotes();
      break;
    case 127:
      A();
      client->getCerSearch();
      break;
    default:
      // Notification message types, types whose operations come later, and unknown types.
      break;
  }
}

void NSWeiBoNet::record(int32_t code, const Value& detail) {
  auto entry = makeArray({Value(code)});
  Value text = detailOf(detail);
  if (!text.isNil()) entry->addObject(text);
  logAction(Value(entry));
}

// ---- usage events -----------------------------------------------------------------------------

void NSWeiBoNet::logAction(const Value& notificationOrArray) {
  int32_t code = 0;
  Value detail;
  if (notificationOrArray.isArray()) {
    code = notificationOrArray[0].intValue();
    detail = notificationOrArray;
  } else if (auto msg = NSMsgSend::fromNotification(notificationOrArray)) {
    code = msg->type;
    detail = msg->data;
  }
  if (usageRecorder_) usageRecorder_(code, detail);
}

void NSWeiBoNet::logTime(const Value&) {
  if (logTimeHandler_) logTimeHandler_();
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

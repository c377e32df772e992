// The dispatcher's services to screens and start-up: the usage log with its uploads, the
// favourite and liked lists, and the platform-account bind checks and prompts.
#include <algorithm>

#include "Foundation/NSBundle.h"
#include "Foundation/NSFileManager.h"
#include "Foundation/NSThread.h"
#include "UIKit/UIAlertView.h"
#include "core/FeedbackPresenter.h"
#include "core/NSConfig.h"
#include "core/NSMsgSend.h"
#include "core/NSSectionItem.h"
#include "core/UIBkImageView.h"
#include "core/UIFilePath.h"
#include "model/NSLoginData.h"
#include "net/api/ClientPlatformAccount.h"
#include "net/api/ClientRequest.h"
#include "net/api/NSWeiBoNet.h"
#include "net/api/ServerResult.h"
#include "net/http/Reachability.h"

namespace {

// Usage codes with a handling of their own.
constexpr int32_t kUsageGuideButton = 16;
constexpr int32_t kUsageRequestFailure = 903;

// Actions that start an upload of the current section: at once after an event, and at the
// 60-second check.
constexpr size_t kUploadAtEvent = 10;
constexpr size_t kUploadAtTimer = 2;
// The whole log goes this much later when the start is not on Wi-Fi.
constexpr double kCellularLogDelay = 45;
// The pause before the next upload after a reply that succeeded, and after one that failed.
constexpr double kPauseAfterSuccess = 30;
constexpr double kPauseAfterFailure = 60;

// The event that waits for no binding.
constexpr int kNoEvent = 128;
// The login starts a moment after the alert went, once the alert's own work is done.
constexpr double kLoginDelay = 0.01;

bool recordingAllowed() {
  auto login = NSConfig::engine()->config();
  return login && login->useBehaviorEnable;
}

bool uploadAllowed() {
  auto login = NSConfig::engine()->config();
  return login && login->useBehaviorSubmit;
}

bool replySucceeded(const Value& reply) {
  return reply.isString() && ServerResult::resultWithLogJSONString(reply.string())->resultSuccess;
}

std::string localized(std::string_view key) {
  return NSBundle::mainBundle()->localizedStringForKey(key);
}

bool accountValid() {
  auto account = ClientPlatformAccount::current();
  return account && account->isLoggedIn() && !account->isAuthorizeExpired();
}

void showBindAlert(const std::string& message) {
  auto alert = std::make_shared<UIAlertView>(
      "温馨提示", message, std::weak_ptr<UIAlertViewDelegate>(NSWeiBoNet::getNetEngine()), "取消",
      std::vector<std::string>{"绑定"});
  alert->show();
}

// The waiting event of a bind check that found no account.
void setWaitingEvent(int event) {
  ClientRequest::engine()->setEventType(event <= kNoEvent ? kNoEvent : event);
}

void playChannelSoundIfOn() {
  if (UIBkImageView::getCurSelect(9)) feedbackPresenter()->pindaoSound();
}

}  // namespace

// ---- recording ---------------------------------------------------------------------------------

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
  switch (code) {
    case kUsageGuideButton:
      if (curSection_ && recordingAllowed()) curSection_->addActionByType(code);
      return;
    case NSSectionItem::kCloseCode:
      if (curSection_) curSection_->closeApp();
      curSection_.reset();
      UIFilePath::cleanImageCache();
      return;
    case NSSectionItem::kStartCode: {
      curSection_ = std::make_shared<NSSectionItem>();
      curSection_->startApp();
      if (!Reachability::isConnectedToNetwork() || !curSection_->startSend()) return;
      if (ClientRequest::engine()->getNetworkType() == "1")
        startSendLog();
      else
        performSelectorAfterDelay(
            selector(weakSelf<NSWeiBoNet>(), &NSWeiBoNet::startSendLog, "startSendLog"), {},
            kCellularLogDelay);
      return;
    }
    case kUsageRequestFailure:
      if (curSection_ && recordingAllowed()) curSection_->addSystemAction(detail);
      return;
    default:
      if (curSection_ && recordingAllowed()) curSection_->addAction(detail);
      startSendCurLog();
      return;
  }
}

// ---- uploads -----------------------------------------------------------------------------------

void NSWeiBoNet::logTime(const Value&) {
  sendCurrentSection(kUploadAtTimer);
}

void NSWeiBoNet::startSendCurLog() {
  sendCurrentSection(kUploadAtEvent);
}

void NSWeiBoNet::sendCurrentSection(size_t threshold) {
  if (isSubmiteLog_ || !curSection_ || curSection_->actionsArray().size() < threshold ||
      !uploadAllowed())
    return;
  auto client = ClientRequest::engine();
  client->setPostAction(
      selector(weakSelf<NSWeiBoNet>(), &NSWeiBoNet::logCurCallBack, "logCurCallBack:"),
      weakSelf<NSObject>());
  sentSection_ = curSection_;
  sentActions_ = curSection_->actionsArray().size();
  client->postCurActionLogs(curSection_);
  isSubmiteLog_ = true;
}

void NSWeiBoNet::startSendLog() {
  if (isSubmiteLog_ || !uploadAllowed()) return;
  auto client = ClientRequest::engine();
  client->setPostAction(
      selector(weakSelf<NSWeiBoNet>(), &NSWeiBoNet::logSendCallBack, "logSendCallBack:"),
      weakSelf<NSObject>());
  std::string path = UIFilePath::getLogFilePath();
  sentLog_ = dataWithContentsOfFile(path);
  client->postLog(path);
  isSubmiteLog_ = true;
}

void NSWeiBoNet::logSendCallBack(const Value& reply) {
  bool ok = replySucceeded(reply);
  // Sections stored while the upload was on its way did not go with it: a log that changed
  // meanwhile is kept whole and goes again with the next upload.
  if (ok && sentLog_ && dataWithContentsOfFile(UIFilePath::getLogFilePath()) == sentLog_)
    NSSectionItem::clearSections();
  sentLog_.reset();
  submitFinished(ok);
}

void NSWeiBoNet::logCurCallBack(const Value& reply) {
  bool ok = replySucceeded(reply);
  // Only what went up is dropped, and only from the section that is still current (a closed
  // section was stored with its actions and goes again with the log file).
  auto sent = sentSection_.lock();
  if (ok && sent && sent == curSection_) curSection_->clearActions(sentActions_);
  sentSection_.reset();
  sentActions_ = 0;
  submitFinished(ok);
}

void NSWeiBoNet::submitFinished(bool succeeded) {
  performSelectorAfterDelay(
      selector(weakSelf<NSWeiBoNet>(), &NSWeiBoNet::setSubmiteStatus, "setSubmiteStatus"), {},
      succeeded ? kPauseAfterSuccess : kPauseAfterFailure);
}

void NSWeiBoNet::setSubmiteStatus() {
  isSubmiteLog_ = false;
}

// ---- favourite and liked lists -----------------------------------------------------------------

void NSWeiBoNet::readLocalData() {
  favoriteList_ = UIFilePath::readArrayFile().value_or(std::vector<std::string>());
  goodList_.clear();
  if (auto liked = UIFilePath::readLikeArray(); liked && !liked->empty()) goodList_ = *liked;
}

void NSWeiBoNet::addFavorite(const std::string& statusId) {
  if (std::find(favoriteList_.begin(), favoriteList_.end(), statusId) != favoriteList_.end())
    return;
  favoriteList_.push_back(statusId);
  UIFilePath::saveFileByArray(favoriteList_);
}

void NSWeiBoNet::removeFavorite(const std::string& statusId) {
  auto found = std::find(favoriteList_.begin(), favoriteList_.end(), statusId);
  if (found == favoriteList_.end()) return;
  favoriteList_.erase(found);
  UIFilePath::saveFileByArray(favoriteList_);
}

void NSWeiBoNet::addGood(const std::string& itemId) {
  if (std::find(goodList_.begin(), goodList_.end(), itemId) == goodList_.end())
    goodList_.push_back(itemId);
}

// ---- bind checks -------------------------------------------------------------------------------

bool NSWeiBoNet::isLoginedNoPrompt() {
  return accountValid();
}

bool NSWeiBoNet::isLogined(int event) {
  if (accountValid()) return true;
  if (event == 0) {
    ClientRequest::engine()->setEventType(kNoEvent);
    return false;
  }
  auto account = ClientPlatformAccount::current();
  showBindAlert(
      localized(account && account->isAccountTimeOut() ? "BandTimeOutPrompt" : "BandPrompt"));
  setWaitingEvent(event);
  playChannelSoundIfOn();
  return false;
}

bool NSWeiBoNet::isStartBind(int event) {
  if (accountValid()) return true;
  setWaitingEvent(event);
  if (event != 0) playChannelSoundIfOn();
  getNetEngine()->startLoginWeiBoSoon();
  return false;
}

void NSWeiBoNet::showPromptBind() {
  showBindAlert(localized("AcoundTokenTime"));
}

bool NSWeiBoNet::weiboBindProcess(std::string_view reply) {
  if (!ServerResult::isPlatformTokenError(ServerResult::resultWithJSONString(reply)->resultCode))
    return false;
  if (auto account = ClientPlatformAccount::current()) account->logOut();
  showPromptBind();
  return true;
}

void NSWeiBoNet::alertViewDidDismissWithButtonIndex(const std::shared_ptr<UIAlertView>& alertView,
                                                    long buttonIndex) {
  if (!alertView) return;
  if (buttonIndex == alertView->cancelButtonIndex())
    ClientRequest::engine()->setEventType(kNoEvent);
  else
    startLoginWeiBoSoon();
}

void NSWeiBoNet::startLoginWeiBoSoon() {
  performSelectorAfterDelay(
      selector(weakSelf<NSWeiBoNet>(), &NSWeiBoNet::startLoginWeiBo, "startLoginWeiBo"), {},
      kLoginDelay);
}

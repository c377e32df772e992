// The delegate's duties that begin once the client has registered or logged in: the update
// poll and the start-up advert, and the places where the server message and the launch
// counter with its registration guide come in.  The poll asks every two minutes which kinds of
// content changed and stores the answer for the channel screens; the update document's
// per-kind entries (banner list, server message, seminars), the server message pop-up and the
// launch counter are not handled yet.
#include "Common/JXKit/NSString+JXKitDeserializing.h"
#include "Foundation/NSThread.h"
#include "Foundation/NSTimer.h"
#include "UIKit/UIWindow.h"
#include "app/AppDelegate.h"
#include "core/NSConfig.h"
#include "core/NSGlobe.h"
#include "core/NSObject+notification.h"
#include "core/NotificationNames.h"
#include "core/StoredKeys.h"
#include "core/UIFilePath.h"
#include "model/NSLoginData.h"
#include "net/http/Reachability.h"
#include "screens/account/UILoginAdView.h"
#include "screens/home/varimostaViewController.h"

namespace {

constexpr double kUpdatePollSeconds = 120;
// The first check: soon when the reader's profile is known, later on Wi-Fi, latest otherwise.
constexpr double kFirstCheckWithProfile = 10;
constexpr double kFirstCheckOnWiFi = 40;
constexpr double kFirstCheckOtherwise = 70;

}  // namespace

void AppDelegate::addGuideView() {
  needShowMessage_ = true;
  showMessage(Value());
  initUpdateTime();
  appStart();
}

void AppDelegate::initUpdateTime() {
  if (updateTimer_) updateTimer_->invalidate();
  updateTimer_ = NSTimer::scheduledTimerWithTimeInterval(
      kUpdatePollSeconds, selector(weakThis(), &AppDelegate::checkUpdateTime, "checkUpdateTime:"),
      Value(), true);
  double first = kFirstCheckOtherwise;
  if (NSConfig::readCacheValueWithKey(kUserSetupInfoKey).intValue() != 0) {
    first = kFirstCheckWithProfile;
  } else if (NSGlobe::getEngine()->curNetStatus() == ReachableViaWiFi) {
    first = kFirstCheckOnWiFi;
  }
  performSelectorAfterDelay(selector(weakThis(), &AppDelegate::checkUpdateTime, "checkUpdateTime:"),
                            {}, first);
}

void AppDelegate::checkUpdateTime(const Value&) {
  if (!Reachability::isConnectedToNetwork() || !updateTimer_) return;
  postNotification(
      kGlobeRequest, Value(), RequestType::UpdatePoll,
      selector(weakThis(), &AppDelegate::checkUpdateTimeCallback, "checkUpdateTimeCallback:"),
      weakSelf<NSObject>());
}

void AppDelegate::checkUpdateTimeCallback(const Value& reply) {
  if (!reply.isString()) return;
  if (!objectFromJSONString(reply.string()).isDictionary()) return;
  UIFilePath::writeFile(UIFilePath::updateDatePath(), reply.string());
  postNotification(kChannelHasNew);
}

void AppDelegate::showMessage(const Value&) {
  // No pop-up is built yet: whatever was due is passed over.
  needShowMessage_ = false;
}

bool AppDelegate::isShowServerAdOk() {
  return window_ && window_->viewWithTag(kServerMessageViewTag) != nullptr;
}

void AppDelegate::removeMessageView(const Value&) {
  if (!window_) return;
  if (auto view = window_->viewWithTag(kServerMessageViewTag)) view->removeFromSuperview();
}

void AppDelegate::showLoginAdView() {
  closeKeyBoard();
  auto data = NSConfig::engine()->config();
  if (!data || !window_) return;
  auto advert = UILoginAdView::initWithInfo(data->adInfo, weakSelf<NSObject>());
  window_->addSubview(advert);
  CGRect frame = advert->frame();
  frame.origin.y = 20;
  advert->setFrame(frame);
  data->adInfo.reset();
}

void AppDelegate::removeLoginAdView() {
  // The advert is shown in the window, so it is looked for there too, not only in the home
  // screen's view.
  std::vector<std::shared_ptr<UIView>> places;
  if (auto home = homeScreen(); home && home->isViewLoaded()) places.push_back(home->view());
  if (window_) places.push_back(window_);
  for (const auto& place : places) {
    for (const auto& view : place->subviews()) {
      if (std::dynamic_pointer_cast<UILoginAdView>(view)) {
        view->removeFromSuperview();
        return;
      }
    }
  }
}

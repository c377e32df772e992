// The channel lists the content-server client receives: the list after a login or a session
// re-open, the full list with its pictures (taken in on a worker thread), the user-defined
// channels, the profile wizard's channels and the channel pictures that finished downloading.
// The channel catalogue installs what it does with each; until it does, nothing happens to
// them.
#include "Foundation/NSThread.h"
#include "core/NSConfig.h"
#include "core/NSObject+UIViewBusy.h"
#include "core/NSObject+notification.h"
#include "core/NotificationNames.h"
#include "core/StoredKeys.h"
#include "model/ChannelItem.h"
#include "model/NSLoginData.h"
#include "model/ZizaJsonStatusParser.h"
#include "net/api/ClientRequest.h"
#include "net/http/HXHTTPRequest.h"

namespace {

using ChannelList = std::vector<std::shared_ptr<ChannelItem>>;
using ChannelListUpdater = std::function<void(const ChannelList&)>;

ChannelListUpdater& newChannelListUpdater() {
  static ChannelListUpdater updater;
  return updater;
}

ChannelListUpdater& allChannelsUpdater() {
  static ChannelListUpdater updater;
  return updater;
}

ChannelListUpdater& userSelectChannelUpdater() {
  static ChannelListUpdater updater;
  return updater;
}

std::function<void(const std::optional<ChannelList>&)>& channelItemsUpdater() {
  static std::function<void(const std::optional<ChannelList>&)> updater;
  return updater;
}

std::function<void(const std::shared_ptr<HXHTTPRequest>&)>& channelImageFinisher() {
  static std::function<void(const std::shared_ptr<HXHTTPRequest>&)> finisher;
  return finisher;
}

std::optional<ChannelList> channelListOf(const Value& reply) {
  if (!reply.isString()) return std::nullopt;
  return ZizaJsonStatusParser::praseToChannelList(reply.string());
}

// A reply that carries channels: the only kind the catalogue takes.
std::optional<ChannelList> channelsOf(const Value& reply) {
  auto list = channelListOf(reply);
  if (!list || list->empty()) return std::nullopt;
  return list;
}

// "msg_user_setup_info": "1" the server has the reader's profile choice, "2" it still needs it.
constexpr std::string_view kSetupAccepted = "1";
constexpr std::string_view kSetupPending = "2";
// The busy overlay stays a moment after the catalogue took the wizard's channels.
constexpr double kStopBusyDelay = 0.5;

}  // namespace

void ClientRequest::setNewChannelListUpdater(ChannelListUpdater updater) {
  newChannelListUpdater() = std::move(updater);
}

void ClientRequest::setAllChannelsUpdater(ChannelListUpdater updater) {
  allChannelsUpdater() = std::move(updater);
}

void ClientRequest::setUserSelectChannelUpdater(ChannelListUpdater updater) {
  userSelectChannelUpdater() = std::move(updater);
}

void ClientRequest::setChannelItemsUpdater(
    std::function<void(const std::optional<ChannelList>&)> updater) {
  channelItemsUpdater() = std::move(updater);
}

void ClientRequest::setChannelImageFinisher(
    std::function<void(const std::shared_ptr<HXHTTPRequest>&)> finisher) {
  channelImageFinisher() = std::move(finisher);
}

void ClientRequest::getAllNewChannelsCallback(const Value& reply) {
  if (auto list = channelsOf(reply); list && newChannelListUpdater())
    newChannelListUpdater()(*list);
  auto login = NSConfig::engine()->config();
  if (login && login->isSession) postNotification(kOpenClientCallBack);
  postNotification(kLoginClientCallBack);
}

void ClientRequest::getAllChannelsCallback(const Value& reply) {
  NSConfig::setCacheValueFormTemp(kChannelUpdateDateKey);
  auto list = channelsOf(reply);
  ChannelListUpdater update = allChannelsUpdater();
  if (!list || !update) return;
  // Comparing every picture and writing the catalogue takes a while: a worker thread of its
  // own does it (the catalogue guards its file with its lock).
  NSThread::detachNewThread(
      [update = std::move(update), list = std::move(*list)] { update(list); });
}

void ClientRequest::getNewChannelsCallback(const Value& reply) {
  if (channelItemsUpdater()) channelItemsUpdater()(channelListOf(reply));
}

void ClientRequest::userSelectSetupCallBack(const Value& reply) {
  auto list = channelsOf(reply);
  if (NSConfig::readCacheValueWithKey(kUserSetupInfoKey).description() == kSetupPending) {
    // The choice sent again at start-up: accepted only when the server answered with channels,
    // else it stays pending for the next start.
    if (list) NSConfig::setCacheValue(Value(kSetupAccepted), kUserSetupInfoKey);
    stopActivityIndicatorViewAnimation();
    return;
  }
  if (list) {
    NSConfig::setCacheValue(Value(kSetupAccepted), kUserSetupInfoKey);
    applyChannelChoice(*list, false);
  } else {
    NSConfig::setCacheValue(Value(kSetupPending), kUserSetupInfoKey);
    stopActivityIndicatorViewAnimation();
  }
}

bool ClientRequest::userSelectProfileCallBack(const Value& reply) {
  auto list = channelsOf(reply);
  if (!list) {
    stopActivityIndicatorViewAnimation();
    return false;
  }
  NSConfig::setCacheValue(Value(kSetupAccepted), kUserSetupInfoKey);
  applyChannelChoice(*list, true);
  return true;
}

// startUserThread: / startProfileThread: - on the calling thread.
void ClientRequest::applyChannelChoice(const ChannelList& list, bool profile) {
  const ChannelListUpdater& update = profile ? newChannelListUpdater() : userSelectChannelUpdater();
  if (update) update(list);
  performSelectorAfterDelay(
      selector(weakSelf<ClientRequest>(), &ClientRequest::stopBusi, "stopBusi"), {},
      kStopBusyDelay);
}

void ClientRequest::stopBusi() {
  stopActivityIndicatorViewAnimation();
}

void ClientRequest::imageAllFinish(const Value& finished) {
  auto request = finished.object<HXHTTPRequest>();
  auto finish = channelImageFinisher();
  if (!request || !finish) return;
  if (!imgCondition_) imgCondition_ = std::make_shared<std::mutex>();
  // ChannelThread: one check at a time, whichever worker comes first.
  NSThread::detachNewThread([finish = std::move(finish), lock = imgCondition_, request] {
    std::lock_guard<std::mutex> guard(*lock);
    finish(request);
  });
}

// The channel lists the content-server client receives, handed to the channel catalogue: the
// list after a login or a session re-open, the full list with its pictures (staged on a worker
// thread), the user-defined channels and the profile wizard's channels.  The catalogue takes
// its own lock inside each update; nothing here holds it.
#include "Common/JXKit/NSString+JXKitDeserializing.h"
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

namespace {

// A reply that carries channels: the only kind the catalogue takes.
std::optional<ChannelItemArray> channelsOf(const Value& reply) {
  if (!reply.isString()) return std::nullopt;
  auto list = ZizaJsonStatusParser::praseToChannelList(reply.string());
  if (!list || list->empty()) return std::nullopt;
  return list;
}

// "msg_user_setup_info": "1" the server has the reader's profile choice, "2" it still needs it.
constexpr std::string_view kSetupAccepted = "1";
constexpr std::string_view kSetupPending = "2";
// The busy overlay stays a moment after the catalogue took the wizard's channels.
constexpr double kStopBusyDelay = 0.5;

}  // namespace

void ClientRequest::getAllNewChannelsCallback(const Value& reply) {
  if (auto list = channelsOf(reply)) ChannelItem::updateNewChannelList(*list);
  auto login = NSConfig::engine()->config();
  if (login && login->isSession) postNotification(kOpenClientCallBack);
  postNotification(kLoginClientCallBack);
}

void ClientRequest::getAllChannelsCallback(const Value& reply) {
  NSConfig::setCacheValueFormTemp(kChannelUpdateDateKey);
  auto list = channelsOf(reply);
  if (!list) return;
  // Comparing every picture and staging the list takes a while: a worker thread of its own
  // does it.
  NSThread::detachNewThread([list = std::move(*list)] { ChannelItem::updateAllChannel(list); });
}

void ClientRequest::getNewChannelsCallback(const Value& reply) {
  Value parsed = reply.isString() ? objectFromJSONString(reply.string()) : Value();
  ChannelItem::updateChannelItemsWithArray(parsed.isArray() ? parsed : Value());
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
void ClientRequest::applyChannelChoice(const ChannelItemArray& list, bool profile) {
  if (profile)
    ChannelItem::updateNewChannelList(list);
  else
    ChannelItem::updateUserSelectChannel(list);
  performSelectorAfterDelay(
      selector(weakSelf<ClientRequest>(), &ClientRequest::stopBusi, "stopBusi"), {},
      kStopBusyDelay);
}

void ClientRequest::stopBusi() {
  stopActivityIndicatorViewAnimation();
}

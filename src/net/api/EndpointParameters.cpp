#include "net/api/EndpointParameters.h"

#include <algorithm>
#include <cstdio>

#include "Foundation/NSBundle.h"
#include "Foundation/NSThread.h"
#include "core/NSConfig.h"
#include "core/NSGlobe.h"
#include "model/NSLoginData.h"
#include "net/api/ClientPlatformAccount.h"
#include "net/api/ClientRequest.h"

namespace endpoint {

bool isGiven(const Value& v) {
  auto t = textIfAny(v);
  return t && !t->empty();
}

Value ifGiven(const Value& v) {
  return isGiven(v) ? v : Value();
}

Value textOr(const Value& v, std::string_view fallback) {
  auto t = textIfAny(v);
  return Value(t ? *t : std::string(fallback));
}

void put(const ValueDictionary& d, std::string_view key, const Value& v) {
  if (auto t = textIfAny(v)) d->setObject(Value(*t), key);
}

void putCursor(const ValueDictionary& d, const Value& page, const Value& cursor) {
  put(d, textIfAny(page) == "1" ? "max_id" : "since_id", cursor);
}

std::string is2x() {
  return NSGlobe::getEngine()->isIphone4() ? "1" : "0";
}

std::string profileType() {
  auto login = NSConfig::engine()->config();
  return std::to_string(login ? login->pType : 0);
}

std::optional<std::string> platformUserId() {
  auto account = ClientPlatformAccount::current();
  if (!account) return std::nullopt;
  std::string uid = account->userID();
  if (uid.empty()) return std::nullopt;
  return uid;
}

void putPlatformUserId(const ValueDictionary& d) {
  if (auto uid = platformUserId()) d->setObject(Value(*uid), "u_id");
}

std::string currentChannelId() {
  std::string channel = NSGlobe::getEngine()->curChannel();
  std::erase(channel, '-');
  return channel;
}

void putSource(const ValueDictionary& d) {
  auto globe = NSGlobe::getEngine();
  if (globe->sourceInfo().empty() || globe->sourceIds().empty()) return;
  d->setObject(Value(globe->sourceInfo()), "source");
  d->setObject(Value(globe->sourceIds()), "ref_id");
}

namespace {

// "%f"
std::string decimal(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%f", v);
  return buf;
}

}  // namespace

void putLocation(const ValueDictionary& d) {
  CGPoint location = NSGlobe::getEngine()->curLocation();
  d->setObject(Value(decimal(location.x)), "lon");
  d->setObject(Value(decimal(location.y)), "lat");
}

void hideActivityIndicatorLater(const std::shared_ptr<ClientRequest>& client) {
  performSelectorAfterDelay(selector(std::weak_ptr<ClientRequest>(client),
                                     &ClientRequest::stopNetWorkActivity, "stopNetWorkActivity"),
                            {}, 0.5);
}

std::string localized(std::string_view key) {
  return NSBundle::mainBundle()->localizedStringForKey(key);
}

}  // namespace endpoint

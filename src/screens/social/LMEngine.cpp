#include "screens/social/LMEngine.h"

#include <mutex>

#include "Foundation/NSBundle.h"
#include "Foundation/NSString.h"
#include "Foundation/NSURL.h"
#include "ui/framework/StandInSink.h"

namespace {

struct State {
  std::mutex mutex;
  std::string appId;
};

State& state() {
  static State s;
  return s;
}

// The first URL scheme the bundle declares.
std::string firstURLScheme() {
  Value types = NSBundle::mainBundle()->objectForInfoDictionaryKey("CFBundleURLTypes");
  Value first = types[0]["CFBundleURLSchemes"][0];
  return first.isString() ? std::string(first.string()) : std::string();
}

}  // namespace

void LMEngine::registerEngine() {
  std::string id = firstURLScheme();
  std::lock_guard lock(state().mutex);
  state().appId = std::move(id);
}

bool LMEngine::handleOpenURL(const std::shared_ptr<NSURL>& url,
                             const std::weak_ptr<LMApiDelegate>& delegate) {
  if (!url) return false;
  std::string appId = registeredAppId();
  if (appId.empty() || !equalsIgnoringASCIICase(url->scheme().value_or(""), appId)) return false;
  if (auto d = delegate.lock()) d->onResp(Value(url->absoluteString()));
  return true;
}

void LMEngine::onReq(const Value& request) {
  reportStandInEvent("LMEngine", "onReq", request);
}

void LMEngine::onResp(const Value& response) {
  reportStandInEvent("LMEngine", "onResp", response);
}

std::string LMEngine::registeredAppId() {
  std::lock_guard lock(state().mutex);
  return state().appId;
}

// The reply route of the server clients: a receiver and its one-argument action, neither kept
// alive by the route.  The receiver "responds" when it and the action's target still live and
// the action names a method; otherwise the reply is dropped without a word, as the screens
// that go away expect.
#pragma once

#include <memory>

#include "Foundation/NSObject.h"
#include "Foundation/Value.h"

class HXHTTPRequest;

inline bool receiverResponds(const std::weak_ptr<NSObject>& receiver, const Selector& action) {
  return !receiver.expired() && action.isSet() && action.targetAlive();
}

// Performs the action with the argument while the receiver and the action's target live; true
// when it ran.
inline bool performOnReceiver(const std::weak_ptr<NSObject>& receiver, const Selector& action,
                              const Value& argument) {
  auto keep = receiver.lock();
  if (!keep || !action.isSet()) return false;
  return action(argument);
}

// The route a finished request carries: the wrappers' and the form request's receiver and
// action; empty for a plain engine request.
struct RequestRoute {
  std::weak_ptr<NSObject> receiver;
  Selector action;

  bool responds() const { return receiverResponds(receiver, action); }
  bool perform(const Value& argument) const {
    return performOnReceiver(receiver, action, argument);
  }
};
RequestRoute routeOfRequest(const std::shared_ptr<HXHTTPRequest>& request);
// Hands the route to a wrapper or form request (other requests carry none).
void setRouteOfRequest(const std::shared_ptr<HXHTTPRequest>& request,
                       std::weak_ptr<NSObject> receiver, Selector action);

#include "net/api/ReplyRoute.h"

#include "net/api/NSHxHttpRequest.h"
#include "net/http/HXFormDataRequest.h"

RequestRoute routeOfRequest(const std::shared_ptr<HXHTTPRequest>& request) {
  if (auto r = std::dynamic_pointer_cast<NSHxHttpRequest>(request))
    return {r->clientdelegateRef(), r->actionString()};
  if (auto r = std::dynamic_pointer_cast<HXFormDataRequest>(request))
    return {r->clientdelegate(), r->actionString()};
  return {};
}

void setRouteOfRequest(const std::shared_ptr<HXHTTPRequest>& request,
                       std::weak_ptr<NSObject> receiver, Selector action) {
  if (auto r = std::dynamic_pointer_cast<NSHxHttpRequest>(request)) {
    r->setClientdelegate(std::move(receiver));
    r->setActionString(std::move(action));
  } else if (auto r = std::dynamic_pointer_cast<HXFormDataRequest>(request)) {
    r->setClientdelegate(std::move(receiver));
    r->setActionString(std::move(action));
  }
}

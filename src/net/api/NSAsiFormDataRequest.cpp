#include "net/api/NSAsiFormDataRequest.h"

#include <string>

#include "Foundation/NSURL.h"
#include "net/api/URLHelper.h"

NSAsiFormDataRequest::NSAsiFormDataRequest(Private p, std::shared_ptr<NSURL> url)
    : HXFormDataRequest(p, std::move(url)) {}

std::shared_ptr<NSAsiFormDataRequest> NSAsiFormDataRequest::requestWithURL(
    std::shared_ptr<NSURL> url) {
  return std::make_shared<NSAsiFormDataRequest>(Private{}, std::move(url));
}

std::shared_ptr<NSAsiFormDataRequest> NSAsiFormDataRequest::initRequestDNS(
    std::string_view path, const ValueDictionary& parameters, std::string_view serverUrl, int) {
  std::string text = std::string(serverUrl) + std::string(path);
  return requestWithURL(NSURL::URLWithString(URLHelper::getURL(text, parameters)));
}

void NSAsiFormDataRequest::clearDelegatesAndCancel() {
  setActionString(Selector());
  setClientdelegate({});
  HXFormDataRequest::clearDelegatesAndCancel();
}

std::shared_ptr<HXHTTPRequest> NSAsiFormDataRequest::newRequestOfSameClass(
    std::shared_ptr<NSURL> url) const {
  return requestWithURL(std::move(url));
}

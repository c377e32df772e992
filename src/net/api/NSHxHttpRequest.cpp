#include "net/api/NSHxHttpRequest.h"

#include <string>

#include "Foundation/NSURL.h"
#include "net/api/URLHelper.h"

NSHxHttpRequest::NSHxHttpRequest(Private p, std::shared_ptr<NSURL> url)
    : HXHTTPRequest(p, std::move(url)) {
  setNeedPromptSelf(true);
}

std::shared_ptr<NSHxHttpRequest> NSHxHttpRequest::requestWithURL(std::shared_ptr<NSURL> url) {
  return std::make_shared<NSHxHttpRequest>(Private{}, std::move(url));
}

std::shared_ptr<NSHxHttpRequest> NSHxHttpRequest::initRequestDNS(std::string_view path,
                                                                 const ValueDictionary& parameters,
                                                                 std::string_view serverUrl, int) {
  std::string text = std::string(serverUrl) + std::string(path);
  return requestWithURL(NSURL::URLWithString(URLHelper::getURL(text, parameters)));
}

void NSHxHttpRequest::clearDelegatesAndCancel() {
  actionString_ = Selector();
  clientdelegate_.reset();
  HXHTTPRequest::clearDelegatesAndCancel();
}

std::shared_ptr<HXHTTPRequest> NSHxHttpRequest::newRequestOfSameClass(
    std::shared_ptr<NSURL> url) const {
  return requestWithURL(std::move(url));
}

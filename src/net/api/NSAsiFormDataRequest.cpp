#include "net/api/NSAsiFormDataRequest.h"

#include <string>
#include <utility>
#include <vector>

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

std::shared_ptr<NSAsiFormDataRequest> NSAsiFormDataRequest::formPost(
    std::string_view path, const ValueDictionary& parameters, std::string_view serverUrl,
    int netType) {
  auto query = std::make_shared<NSMutableDictionary>();
  std::vector<std::pair<std::string, Value>> fields;
  if (parameters) {
    parameters->enumerate([&](const std::string& key, const Value& value) {
      if (key == "keys" || key == "std")
        query->setObject(value, key);
      else
        fields.emplace_back(key, value);
    });
  }
  auto form = initRequestDNS(path, query, serverUrl, netType);
  for (auto& [key, value] : fields) form->setPostValue(value, key);
  form->setRequestMethod("POST");
  return form;
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

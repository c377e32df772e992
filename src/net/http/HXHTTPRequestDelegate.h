// What a request tells its delegate (and its queue), always on the main thread.  Every method
// is optional: the defaults do nothing.
//
// The request asks respondsToSelector before it sends a message whose mere presence changes
// what it does: a delegate that takes the body piece by piece ("request:didReceiveData:"), that
// confirms redirects ("request:willRedirectToURL:") or that supplies credentials
// ("authenticationNeededForRequest:", "proxyAuthenticationNeededForRequest:") overrides the
// method and answers true for its selector.  The informational messages are answered by
// default.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "Foundation/Value.h"

class HXHTTPRequest;
class NSURL;

class HXHTTPRequestDelegate {
 public:
  virtual ~HXHTTPRequestDelegate() = default;

  virtual void requestStarted(const std::shared_ptr<HXHTTPRequest>& request) {}
  virtual void requestDidReceiveResponseHeaders(const std::shared_ptr<HXHTTPRequest>& request,
                                                const ValueDictionary& responseHeaders) {}
  virtual void requestWillRedirectToURL(const std::shared_ptr<HXHTTPRequest>& request,
                                        const std::shared_ptr<NSURL>& newURL) {}
  virtual void requestFinished(const std::shared_ptr<HXHTTPRequest>& request) {}
  virtual void requestFailed(const std::shared_ptr<HXHTTPRequest>& request) {}
  virtual void requestRedirected(const std::shared_ptr<HXHTTPRequest>& request) {}
  virtual void requestDidReceiveData(const std::shared_ptr<HXHTTPRequest>& request,
                                     const std::string& data) {}
  virtual void authenticationNeededForRequest(const std::shared_ptr<HXHTTPRequest>& request) {}
  virtual void proxyAuthenticationNeededForRequest(const std::shared_ptr<HXHTTPRequest>& request) {}

  virtual bool respondsToSelector(std::string_view selectorName) const {
    return selectorName == "requestStarted:" ||
           selectorName == "request:didReceiveResponseHeaders:" ||
           selectorName == "requestFinished:" || selectorName == "requestFailed:" ||
           selectorName == "requestRedirected:";
  }
};

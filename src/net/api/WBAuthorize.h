// The web login of the microblog platform: shows the platform's authorisation page in a dialog,
// catches the redirect that brings the authorisation code and exchanges the code for a token
// at the platform's token endpoint.  Main thread.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "Foundation/NSError.h"
#include "Foundation/NSObject.h"
#include "Foundation/Value.h"

class HXHTTPRequest;
class WBAuthorize;
class WBAuthorizeWebView;

class WBAuthorizeDelegate {
 public:
  virtual ~WBAuthorizeDelegate() = default;
  virtual void authorizeDidSucceed(WBAuthorize& authorize, const std::string& accessToken,
                                   const std::string& userID, long long expiresIn) = 0;
  // A null error: the reader cancelled on the platform's page.
  virtual void authorizeDidFail(WBAuthorize& authorize, const NSErrorPtr& error) = 0;
};

class WBAuthorizeWebViewDelegate {
 public:
  virtual ~WBAuthorizeWebViewDelegate() = default;
  virtual void authorizeWebViewDidReceiveAuthorizeCode(WBAuthorizeWebView& webView,
                                                       const std::string& code) = 0;
  // The platform's page redirected with an error code instead of a code.
  virtual void authorizeWebViewDidReceiveErrorCode(WBAuthorizeWebView& webView,
                                                   const std::string& errorCode) = 0;
};

class WBAuthorize : public NSObject, public WBAuthorizeWebViewDelegate {
 public:
  // The platform's code for a login the reader cancelled on its page.
  static constexpr std::string_view kCancelledCode = "21330";

  WBAuthorize(std::string appKey, std::string appSecret);
  ~WBAuthorize() override;

  const std::string& redirectURI() const { return redirectURI_; }
  void setRedirectURI(std::string uri) { redirectURI_ = std::move(uri); }
  void setDelegate(std::weak_ptr<WBAuthorizeDelegate> delegate) { delegate_ = std::move(delegate); }
  const std::shared_ptr<HXHTTPRequest>& request() const { return request_; }
  // The dialog's follow switch when the code arrived.
  bool needAttend() const { return needAttend_; }

  // "https://" + the platform's OAuth2 host + path.
  static std::string oauthURL(std::string_view path);

  // Shows the dialog with the platform's authorisation page.
  void startAuthorize();
  void requestAccessTokenWithAuthorizeCode(const std::string& code);
  void authorizeWebViewDidReceiveAuthorizeCode(WBAuthorizeWebView& webView,
                                               const std::string& code) override;
  void authorizeWebViewDidReceiveErrorCode(WBAuthorizeWebView& webView,
                                           const std::string& errorCode) override;
  void requestFinished(const std::shared_ptr<HXHTTPRequest>& request);
  void requestFailed(const std::shared_ptr<HXHTTPRequest>& request);

  // The base, a separator ("&" when the base has a query, else "?") and the pairs, values
  // escaped with "!*'();:@&=+$,/?%#[]" besides what a URL never holds; data values left out.
  static std::string serializeURL(std::string_view base, const ValueDictionary& params,
                                  std::string_view httpMethod);
  // The value of the parameter in the URL, percent-decoded: the name must stand at the start
  // or after "?", "&" or "#"; the value runs to the next "&".
  static std::optional<std::string> getParamValueFromUrl(std::string_view url,
                                                         std::string_view name);

 private:
  void cancelExchange();

  std::string appKey_;
  std::string appSecret_;
  std::string redirectURI_;
  std::weak_ptr<WBAuthorizeDelegate> delegate_;
  std::shared_ptr<HXHTTPRequest> request_;
  bool needAttend_ = false;
};

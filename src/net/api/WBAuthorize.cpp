#include "net/api/WBAuthorize.h"

#include "CFNetwork/NSHTTPCookie.h"
#include "Common/JXKit/NSString+JXKitDeserializing.h"
#include "Foundation/NSString.h"
#include "Foundation/NSURL.h"
#include "core/FeedbackPresenter.h"
#include "core/NSConfig.h"
#include "net/api/URLHelper.h"
#include "net/api/WBAuthorizeWebView.h"
#include "net/api/WBEngine.h"
#include "net/http/HXHTTPRequest.h"

namespace {

constexpr double kExchangeTimeout = 120;
constexpr long kTokenReplyWithoutToken = 101;

// A text of a JSON value that names an id or a token: strings as they are, numbers in decimal.
std::optional<std::string> idText(const Value& v) {
  if (v.isString()) return std::string(v.string());
  if (v.isNumber()) return v.description();
  return std::nullopt;
}

}  // namespace

WBAuthorize::WBAuthorize(std::string appKey, std::string appSecret)
    : appKey_(std::move(appKey)), appSecret_(std::move(appSecret)) {}

WBAuthorize::~WBAuthorize() {
  if (request_) request_->clearDelegatesAndCancel();
}

std::string WBAuthorize::oauthURL(std::string_view path) {
  return "https://" + NSConfig::platformApiHost() + std::string(path);
}

void WBAuthorize::startAuthorize() {
  auto params = Value::dictionaryOf({{"client_id", Value(appKey_)},
                                     {"response_type", Value("code")},
                                     {"redirect_uri", Value(redirectURI_)},
                                     {"display", Value("mobile")},
                                     {"with_offical_account", Value("1")}})
                    .dictionary();
  std::string url = URLHelper::getURL(oauthURL("/oauth2/authorize"), params);
  auto dialog = std::make_shared<WBAuthorizeWebView>();
  dialog->setUp();
  dialog->setDelegate(std::dynamic_pointer_cast<WBAuthorizeWebViewDelegate>(shared_from_this()));
  dialog->setRedirectURI(redirectURI_);
  dialog->loadRequestWithURL(NSURL::URLWithString(url));
  dialog->show(true);
}

void WBAuthorize::authorizeWebViewDidReceiveAuthorizeCode(WBAuthorizeWebView& webView,
                                                          const std::string& code) {
  auto keep = shared_from_this();
  webView.hide(true);
  needAttend_ = webView.needAttend();
  requestAccessTokenWithAuthorizeCode(code);
}

void WBAuthorize::authorizeWebViewDidReceiveErrorCode(WBAuthorizeWebView& webView,
                                                      const std::string& errorCode) {
  auto keep = shared_from_this();
  webView.hide(true);
  needAttend_ = webView.needAttend();
  auto delegate = delegate_.lock();
  if (!delegate) return;
  if (errorCode == kCancelledCode) {
    delegate->authorizeDidFail(*this, nullptr);
    return;
  }
  Value code(errorCode);
  delegate->authorizeDidFail(*this,
                             NSError::errorWithDomain(WBEngine::kErrorDomain, code.intValue(),
                                                      Value::dictionaryOf({{"error_code", code}})));
}

void WBAuthorize::cancelExchange() {
  if (!request_) return;
  request_->clearDelegatesAndCancel();
  request_ = nullptr;
}

void WBAuthorize::requestAccessTokenWithAuthorizeCode(const std::string& code) {
  cancelExchange();
  auto params = Value::dictionaryOf({{"client_id", Value(appKey_)},
                                     {"client_secret", Value(appSecret_)},
                                     {"grant_type", Value("authorization_code")},
                                     {"redirect_uri", Value(redirectURI_)},
                                     {"code", Value(code)}})
                    .dictionary();
  auto url = NSURL::URLWithString(URLHelper::getURL(oauthURL("/oauth2/access_token"), params));
  if (!url) return;
  auto request = HXHTTPRequest::requestWithURL(url);
  request->setRequestMethod("POST");
  request->setDelegate(weakSelf<NSObject>());
  auto self = weakSelf<WBAuthorize>();
  request->setDidFinishSelector(Selector("requestFinished:", self, [self](const Value& r) {
    if (auto s = self.lock()) s->requestFinished(r.object<HXHTTPRequest>());
  }));
  request->setDidFailSelector(Selector("requestFailed:", self, [self](const Value& r) {
    if (auto s = self.lock()) s->requestFailed(r.object<HXHTTPRequest>());
  }));
  request->setTimeOutSeconds(kExchangeTimeout);
  request_ = request;
  request->startAsynchronous();
}

void WBAuthorize::requestFinished(const std::shared_ptr<HXHTTPRequest>& request) {
  auto keep = shared_from_this();
  auto body = request ? request->responseString() : nullptr;
  Value reply = body ? objectFromJSONString(*body) : Value();
  auto delegate = delegate_.lock();
  auto token = reply.isDictionary() ? idText(reply["access_token"]) : std::nullopt;
  auto uid = reply.isDictionary() ? idText(reply["uid"]) : std::nullopt;
  if (token && uid) {
    long long expiresIn = reply["expires_in"].longLongValue();
    if (delegate) delegate->authorizeDidSucceed(*this, *token, *uid, expiresIn);
    auto& cookies = NSHTTPCookieStorage::sharedHTTPCookieStorage();
    for (auto& cookie : cookies.cookies()) cookies.deleteCookie(cookie);
    return;
  }
  if (delegate) {
    delegate->authorizeDidFail(
        *this,
        NSError::errorWithDomain(WBEngine::kErrorDomain, kTokenReplyWithoutToken,
                                 Value::dictionaryOf({{"WeiBoSDKErrorCodeKey", Value("203")}})));
  }
  if (reply.isDictionary() && reply["error_code"].intValue() == 21325) showPrompt("请重新绑定！");
}

void WBAuthorize::requestFailed(const std::shared_ptr<HXHTTPRequest>& request) {
  auto keep = shared_from_this();
  if (auto delegate = delegate_.lock())
    delegate->authorizeDidFail(*this, request ? request->error() : nullptr);
}

std::string WBAuthorize::serializeURL(std::string_view base, const ValueDictionary& params,
                                      std::string_view) {
  std::string out(base);
  bool first = true;
  if (!params) return out;
  params->enumerate([&](const std::string& key, const Value& value) {
    if (value.isData() || value.isObject()) return;
    out += first ? (out.find('?') != std::string::npos ? "&" : "?") : "&";
    first = false;
    out += key + "=" +
           CFURLCreateStringByAddingPercentEscapes(value.description(), {}, "!*'();:@&=+$,/?%#[]",
                                                   NSUTF8StringEncoding)
               .value_or("");
  });
  return out;
}

std::optional<std::string> WBAuthorize::getParamValueFromUrl(std::string_view url,
                                                             std::string_view name) {
  std::string key(name);
  if (key.empty() || key.back() != '=') key += '=';
  size_t at = url.find(key);
  // The first occurrence decides, as the platform's apps read their replies.
  if (at == std::string_view::npos) return std::nullopt;
  if (at > 0) {
    char before = url[at - 1];
    if (before != '?' && before != '&' && before != '#') return std::nullopt;
  }
  size_t start = at + key.size();
  size_t end = url.find('&', start);
  std::string_view raw = url.substr(start, end == std::string_view::npos ? url.npos : end - start);
  return stringByReplacingPercentEscapesUsingEncoding(raw, NSUTF8StringEncoding);
}

// The platform client's login: single sign-on through the platform's app, the web login's
// engine side, and completing a login (token stored, profile fetched, "weibo_login" posted).
#include <cstdlib>
#include <regex>

#include "Common/JXKit/NSString+JXKitDeserializing.h"
#include "Foundation/NSBundle.h"
#include "Foundation/NSDate.h"
#include "Foundation/NSURL.h"
#include "UIKit/UIApplication.h"
#include "UIKit/UIDevice.h"
#include "core/FeedbackPresenter.h"
#include "core/NSObject+UIViewBusy.h"
#include "core/NSObject+notification.h"
#include "core/NotificationNames.h"
#include "core/UIFilePath.h"
#include "model/User.h"
#include "model/ZizaJsonStatusParser.h"
#include "net/api/WBEngine.h"
#include "net/http/Reachability.h"

namespace {

constexpr int kLoginFailedEvent = 905;
constexpr int kProfileTimeOutSec = 60;
constexpr long kInvalidSsoParams = 202;
constexpr int kProfileFileKind = 5;

double now() {
  return NSDate::timeIntervalSince1970(NSDate::date());
}

// The expiry of a token valid for the text's seconds; 0 seconds (or none at all) is a token
// without end.
double expiryAfter(const std::optional<std::string>& seconds) {
  long long s = seconds ? std::atoll(seconds->c_str()) : 0;
  if (s == 0) return NSDate::timeIntervalSince1970(NSDate::distantFuture());
  return now() + double(s);
}

// The text without the queries of the addresses it names: a failed exchange's address carries
// the app secret and the code, and neither belongs in the usage log.
std::string withoutQueries(const std::string& text) {
  static const std::regex address(R"((\w+://[^\s"'?#]*)[?#][^\s"']*)");
  return std::regex_replace(text, address, "$1");
}

}  // namespace

void WBEngine::logIn() {
  if (isLoggedIn()) tellDelegate([this](WBEngineDelegate& d) { d.engineAlreadyLoggedIn(*this); });
  if (!Reachability::isConnectedToNetwork()) {
    showPrompt(NSBundle::mainBundle()->localizedStringForKey("NetworkError"));
    return;
  }
  if (ssoLogin()) return;
  authorize_ = std::make_shared<WBAuthorize>(appKey_, appSecret_);
  authorize_->setDelegate(std::dynamic_pointer_cast<WBAuthorizeDelegate>(shared_from_this()));
  authorize_->setRedirectURI(redirectURI_.empty() ? std::string("http://") : redirectURI_);
  authorize_->startAuthorize();
}

bool WBEngine::ssoLogin() {
  ssoLoggingIn_ = false;
  auto device = UIDevice::currentDevice();
  if (!device->isMultitaskingSupported()) return false;
  auto params = Value::dictionaryOf({{"client_id", Value(appKey_)},
                                     {"redirect_uri", Value(redirectURI_)},
                                     {"callback_uri", Value(ssoCallbackScheme_)},
                                     {"with_offical_account", Value("1")}})
                    .dictionary();
  auto app = UIApplication::sharedApplication();
  auto open = [&](std::string_view base) {
    auto url = NSURL::URLWithString(WBAuthorize::serializeURL(base, params, "GET"));
    return url && app->openURL(url);
  };
  if (device->userInterfaceIdiom() == UIUserInterfaceIdiom::Pad)
    ssoLoggingIn_ = open("zizaweibohdsso://login");
  if (!ssoLoggingIn_) ssoLoggingIn_ = open("zizaweibosso://login");
  return ssoLoggingIn_;
}

bool WBEngine::handleOpenURL(const std::string& url) {
  if (url.rfind(ssoCallbackScheme_, 0) != 0) return false;
  if (!ssoLoggingIn_) return true;
  ssoLoggingIn_ = false;
  auto param = [&](std::string_view name) { return WBAuthorize::getParamValueFromUrl(url, name); };
  if (param("sso_error_user_cancelled")) {
    tellDelegate([this](WBEngineDelegate& d) { d.zizaweiboLogInDidCancel(*this); });
  } else if (param("sso_error_invalid_params")) {
    auto error = NSError::withDescription(kErrorDomain, kInvalidSsoParams, "Invalid sso params");
    tellDelegate([&](WBEngineDelegate& d) { d.zizaweiboLogInDidFailWithError(*this, error); });
  } else if (param("error_code")) {
    auto info = std::make_shared<NSMutableDictionary>();
    for (const char* key : {"error", "error_uri", "error_code", "error_description"}) {
      if (auto v = param(key)) info->setObject(Value(*v), key);
    }
    logInDidFailWithErrorInfo(Value(info));
  } else {
    auto info = std::make_shared<NSMutableDictionary>();
    for (const char* key : {"access_token", "expires_in", "remind_in", "refresh_token", "uid"}) {
      if (auto v = param(key)) info->setObject(Value(*v), key);
    }
    logInDidFinishWithAuthInfo(Value(info));
    isBindBySso_ = true;
  }
  return true;
}

void WBEngine::applicationDidBecomeActive() {
  if (!ssoLoggingIn_) return;
  ssoLoggingIn_ = false;
  tellDelegate([this](WBEngineDelegate& d) { d.zizaweiboLogInDidCancel(*this); });
}

void WBEngine::logInDidFinishWithAuthInfo(const Value& info) {
  Value token = info["access_token"], uid = info["uid"];
  if (!token.isString() || !uid.isString()) return;
  // The platform's app names the token's life in "remind_in", older ones in "expires_in"; a
  // reply with neither still brings a token that works until the platform says otherwise.
  Value life = info["remind_in"].isString() ? info["remind_in"] : info["expires_in"];
  expireTime_ =
      expiryAfter(life.isString() ? std::optional<std::string>(life.string()) : std::nullopt);
  accessToken_ = token.string();
  userID_ = uid.string();
  if (info["refresh_token"].isString()) refreshToken_ = info["refresh_token"].string();
  completeLogin();
}

void WBEngine::logInDidFailWithErrorInfo(const Value& info) {
  Value code = info["error_code"];
  if (code.isString() && code.string() == "21330") {
    logInDidCancel();
    return;
  }
  Value description = info["error_description"];
  auto userInfo = Value::dictionaryOf(
      {{"error", info},
       {"NSLocalizedDescription", description.isString() ? description : Value("")}});
  auto error = NSError::errorWithDomain(kErrorDomain, code.intValue(), userInfo);
  tellDelegate([&](WBEngineDelegate& d) { d.zizaweiboLogInDidFailWithError(*this, error); });
}

void WBEngine::logInDidCancel() {
  tellDelegate([this](WBEngineDelegate& d) { d.zizaweiboLogInDidCancel(*this); });
}

void WBEngine::authorizeDidSucceed(WBAuthorize&, const std::string& accessToken,
                                   const std::string& userID, long long expiresIn) {
  accessToken_ = accessToken;
  userID_ = userID;
  expireTime_ = now() + double(expiresIn);
  completeLogin();
}

void WBEngine::authorizeDidFail(WBAuthorize&, const NSErrorPtr& error) {
  auto keep = shared_from_this();
  tellDelegate([&](WBEngineDelegate& d) { d.engineDidFailToLogInWithError(*this, error); });
  recordeUserInfo(Value(error ? withoutQueries(error->description()) : std::string("(null)")),
                  kLoginFailedEvent);
}

void WBEngine::completeLogin() {
  tempDel_ = delegate_;
  saveAuthorizeDataToKeychain();
  timeOutSec_ = kProfileTimeOutSec;
  setAction(selector(weakSelf<WBEngine>(), &WBEngine::userInfoCallBack, "userInfoCallBack:"),
            weakSelf<NSObject>());
  getUserInfo(Value(userID()));
  stopActivityIndicatorViewAnimation();
}

void WBEngine::userInfoCallBack(const Value& reply) {
  std::string text = reply.isString() ? std::string(reply.string()) : std::string();
  // Only a user record replaces the profile: a failure text or an error reply leaves the
  // profile the account had.
  Value parsed = objectFromJSONString(text);
  if (parsed.isDictionary() && parsed["error_code"].isNil() && !parsed["id"].isNil()) {
    if (auto user = ZizaJsonStatusParser::parseToUser(text)) {
      std::string path = UIFilePath::localPath(kProfileFileKind);
      if (!path.empty()) UIFilePath::saveToFile(text, path);
      user_ = user;
    }
  }
  postNotification(kWeiboLogin, Value(self<NSObject>()));
  delegate_ = tempDel_;
  tellDelegate([this](WBEngineDelegate& d) { d.engineDidLogIn(*this); });
}

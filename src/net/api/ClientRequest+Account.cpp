// The client's standing with the content server: it registers the device once for a client key
// (sent as "keys" with every later call), logs in at each start, re-opens its session after a
// return from the background, hands over the push token, binds a platform account and checks
// the app store for a newer version.  All of these are queued requests to the account group.
#include <cctype>
#include <cstdio>
#include <ctime>

#include "Common/Additions/NSDictionary+Values.h"
#include "Common/JXKit/NSString+JXKitDeserializing.h"
#include "Foundation/Clock.h"
#include "Foundation/NSBundle.h"
#include "Foundation/NSThread.h"
#include "Foundation/NSURL.h"
#include "Foundation/NSUserDefaults.h"
#include "UIKit/UIApplication.h"
#include "UIKit/UIDevice.h"
#include "UIKit/UIScreen.h"
#include "core/FeedbackPresenter.h"
#include "core/NSConfig.h"
#include "core/NSGlobe.h"
#include "core/NSObject+UIViewBusy.h"
#include "core/NSObject+notification.h"
#include "core/NotificationNames.h"
#include "core/StoredKeys.h"
#include "model/NSLoginDB.h"
#include "model/NSLoginData.h"
#include "model/ZizaJsonStatusParser.h"
#include "net/api/ClientPlatformAccount.h"
#include "net/api/ClientPostRequest.h"
#include "net/api/ClientRequest.h"
#include "net/api/NSAsiFormDataRequest.h"
#include "net/api/NSHxHttpRequest.h"
#include "net/api/NSWeiBoNet.h"
#include "net/api/ServerResult.h"
#include "net/http/HXNetworkQueue.h"

namespace {

// A device id the server marks as belonging to a broken account.
constexpr std::string_view kAccountErrorId = "020000000000";
// The server's refusal of a client key it does not know.
constexpr std::string_view kUnregisteredClientMessage = "客户端未注册";
// The usage-event code of a platform account bound.
constexpr int32_t kUsageAccountBound = 11;

constexpr int kUpdateAlertTag = 100;
constexpr int kFollowAlertTag = 102;

std::shared_ptr<NSUserDefaults> defaults() {
  return NSUserDefaults::standardUserDefaults();
}

std::string storedString(std::string_view key) {
  Value v = defaults()->objectForKey(key);
  return v.isString() ? std::string(v.string()) : std::string();
}

std::string localized(std::string_view key) {
  return NSBundle::mainBundle()->localizedStringForKey(key);
}

std::string bundleVersion() {
  Value v = NSBundle::mainBundle()->objectForInfoDictionaryKey("CFBundleVersion");
  return v.isString() ? std::string(v.string()) : std::string();
}

// "%.f %.f*%.f": scale, width, height of the main screen in points.
std::string screenSize() {
  auto screen = UIScreen::mainScreen();
  double scale = screen->scale() > 0 ? double(screen->scale()) : 1.0;
  CGRect bounds = screen->bounds();
  char buf[96];
  std::snprintf(buf, sizeof buf, "%.f %.f*%.f", scale, double(bounds.size.width),
                double(bounds.size.height));
  return buf;
}

void set(const ValueDictionary& d, std::string_view key, std::string value) {
  d->setObject(Value(std::move(value)), key);
}

// The version's numeric components after a leading "V": "V1.2.3" gives 1, 2, 3.
std::vector<long long> versionComponents(std::string_view text) {
  std::vector<long long> out;
  size_t i = 0;
  while (i < text.size() && (text[i] == 'V' || text[i] == 'v' || text[i] == ' ')) ++i;
  long long cur = 0;
  bool any = false;
  for (; i < text.size(); ++i) {
    char c = text[i];
    if (std::isdigit(static_cast<unsigned char>(c))) {
      cur = cur * 10 + (c - '0');
      any = true;
    } else if (c == '.') {
      out.push_back(cur);
      cur = 0;
      any = false;
    } else {
      break;
    }
  }
  if (any || !out.empty()) out.push_back(cur);
  return out;
}

// Component by component, a missing one counting as 0.
bool isNewerVersion(std::string_view store, std::string_view installed) {
  auto a = versionComponents(store), b = versionComponents(installed);
  if (a.empty()) return false;
  for (size_t i = 0; i < std::max(a.size(), b.size()); ++i) {
    long long x = i < a.size() ? a[i] : 0, y = i < b.size() ? b[i] : 0;
    if (x != y) return x > y;
  }
  return false;
}

// The "others" entry of a login record's update times: the stamp of the channel list.
Value channelListStamp(const std::shared_ptr<NSLoginData>& login) {
  if (!login || !login->mDic) return {};
  Value v = login->mDic->objectForKey("others");
  return v.isNull() ? Value() : v;
}

// Answers the update and follow alerts.
class ClientAccountAlerts : public NSObject, public UIAlertViewDelegate {
 public:
  std::weak_ptr<ClientRequest> client;

  void alertViewDidDismissWithButtonIndex(const std::shared_ptr<UIAlertView>& alert,
                                          long buttonIndex) override {
    if (!alert || buttonIndex == alert->cancelButtonIndex()) return;
    if (alert->tag() == kUpdateAlertTag) {
      std::string page = std::string(ClientRequest::kAppStorePageURL) + localized("AppStoreAppId");
      UIApplication::sharedApplication()->openURL(NSURL::URLWithString(page));
    } else if (alert->tag() == kFollowAlertTag) {
      // Follow the service's own account.
      postNotification(kGlobeRequest, Value(), RequestType::FollowServiceAccount, Selector(),
                       std::weak_ptr<NSObject>(client.lock()));
    }
  }
};

std::shared_ptr<UIAlertView> showAlert(const std::shared_ptr<NSObject>& delegate, std::string title,
                                       std::string message, std::string cancel,
                                       std::vector<std::string> others, int tag) {
  auto alertDelegate = std::dynamic_pointer_cast<UIAlertViewDelegate>(delegate);
  auto alert = std::make_shared<UIAlertView>(std::move(title), std::move(message), alertDelegate,
                                             std::move(cancel), std::move(others));
  alert->setTag(tag);
  alert->show();
  return alert;
}

}  // namespace

// ---- the client key ---------------------------------------------------------------------------

bool ClientRequest::isNullRegisterClientKey() const {
  return storedString(kRegisterClientKey).empty();
}

std::string ClientRequest::getRegisterClientKey() {
  std::string key = storedString(kRegisterClientKey);
  if (!key.empty()) return key;
  registerClient();
  return std::string(kFallbackClientKey);
}

bool ClientRequest::needRegister() {
  std::string deviceId = NSGlobe::getMacAddressOrIdentifier();
  std::string clientKey = storedString(kRegisterClientKey);
  Value storedIdValue = defaults()->objectForKey(kRegisterKey);
  std::string storedId =
      storedIdValue.isString() ? std::string(storedIdValue.string()) : std::string();
  if (storedId == kAccountErrorId) NSConfig::engine()->setIsAppAcountError(true);
  bool matches = storedId == deviceId || (NSConfig::engine()->systemVersion() >= 7.0f &&
                                          storedId.size() >= 12 && storedId != kAccountErrorId);
  if (storedId.empty()) {
    defaults()->setObject(Value(deviceId), kRegisterKey);
    defaults()->synchronize();
    return false;
  }
  if (!matches || clientKey.empty()) return true;
  return false;
}

std::string ClientRequest::getTimestamp() {
  std::time_t now = static_cast<std::time_t>(ClockNow());
  std::tm local{};
  localtime_r(&now, &local);
  std::string seconds = std::to_string(local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec);
  if (seconds.size() <= 4) seconds = "0000" + seconds;
  return seconds;
}

// ---- sending ----------------------------------------------------------------------------------

void ClientRequest::sendAccountRequest(std::string_view path, const ValueDictionary& parameters,
                                       int method, Selector reply, int tag) {
  bool download = needDownload_;
  needDownload_ = false;
  serverType_ = 2;
  methodType_ = method;
  noNeedPromptLoad_ = true;
  std::weak_ptr<NSObject> receiver;
  if (reply) receiver = weakSelf<NSObject>();
  reQueueUrl(path, parameters, receiver, std::move(reply), tag, false);
  serverType_ = 0;
  methodType_ = 0;
  noNeedPromptLoad_ = false;
  // Account replies never go to a cache file; the flag of the caller's next request stays.
  needDownload_ = download;
}

// ---- registration -----------------------------------------------------------------------------

bool ClientRequest::registrationInFlight() const {
  // The registration is a form request: look for both kinds of wrapper.
  for (const auto& op : queue_->operations()) {
    if (op->isFinished() || op->isCancelled()) continue;
    if (auto r = std::dynamic_pointer_cast<NSHxHttpRequest>(op); r && r->mtag() == 1) return true;
    if (auto f = std::dynamic_pointer_cast<NSAsiFormDataRequest>(op); f && f->mtag() == 1)
      return true;
  }
  return false;
}

void ClientRequest::registerClient() {
  if (requestTimes_ > kMaxRegisterTimes) return;
  if (requestTimes_ == kMaxRegisterTimes) {
    closeAfterRegistrationFailures();
    return;
  }
  if (registrationInFlight()) return;
  auto d = std::make_shared<NSMutableDictionary>();
  set(d, "imsi", "9");
  set(d, "mfg", "QX001");
  set(d, "ver", bundleVersion());
  set(d, "imei", "000000");
  set(d, "model", NSGlobe::getDeviceName());
  set(d, "macaddress", NSGlobe::getMacAddress());
  set(d, "vid", NSGlobe::getIdentifierForVendor());
  set(d, "osver", UIDevice::currentDevice()->systemVersion());
  set(d, "brand", "Apple");
  set(d, "telco", NSGlobe::getTelCompany());
  set(d, "screensize", screenSize());
  set(d, "timestamp", getTimestamp());
  addComParamers(d);
  ++requestTimes_;
  sendAccountRequest(
      "/Accounts/Register.aspx", d, 1,
      selector(weakSelf<ClientRequest>(), &ClientRequest::registerCallBack, "registerCallBack:"),
      1);
}

void ClientRequest::closeAfterRegistrationFailures() {
  showPrompt("服务异常,请重新运行!");
  ++requestTimes_;
  performSelectorAfterDelay(
      selector(weakSelf<ClientRequest>(), &ClientRequest::closeApplication, "startClose"), {}, 3.0);
}

void ClientRequest::closeApplication() {
  auto app = UIApplication::sharedApplication();
  if (auto closer = std::dynamic_pointer_cast<ApplicationCloser>(app->delegate())) {
    closer->startClose();
    return;
  }
  UIApplication::exitProcess(0);
}

void ClientRequest::registerCallBack(const Value& reply) {
  auto result =
      ServerResult::resultWithJSONString(reply.isString() ? std::string(reply.string()) : "");
  // A success without a key is no registration: storing it would leave the client keyless.
  const Value& key = result->resultObj;
  bool issued =
      result->resultSuccess && ((key.isString() && !key.string().empty()) || key.isNumber());
  if (!issued) {
    performSelectorAfterDelay(
        selector(weakSelf<ClientRequest>(), &ClientRequest::registerClient, "registerClient"), {},
        1.0);
    return;
  }
  defaults()->setObject(Value(NSGlobe::getMacAddressOrIdentifier()), kRegisterKey);
  defaults()->setObject(Value(key.isString() ? std::string(key.string()) : key.description()),
                        kRegisterClientKey);
  defaults()->synchronize();
  if (auto account = ClientPlatformAccount::current()) account->logOut();
  loginClient();
  postNotification(kRegisterClientCallBack);
}

// ---- login and session ------------------------------------------------------------------------

// The client description that login and session re-open send; only login names the vendor id.
static std::shared_ptr<NSMutableDictionary> clientDescription(ClientRequest& client,
                                                              bool withVendorId) {
  auto d = std::make_shared<NSMutableDictionary>();
  set(d, "keys", client.getRegisterClientKey());
  ClientRequest::addComParamers(d);
  set(d, "conn", client.getNetworkType());
  set(d, "ver", bundleVersion());
  set(d, "model", NSGlobe::getDeviceName());
  set(d, "osver", UIDevice::currentDevice()->systemVersion());
  set(d, "telco", NSGlobe::getTelCompany());
  if (withVendorId) set(d, "vid", NSGlobe::getIdentifierForVendor());
  set(d, "screensize", screenSize());
  return d;
}

void ClientRequest::loginClient() {
  if (isNullRegisterClientKey()) return;
  auto d = clientDescription(*this, true);
  sendAccountRequest("/Accounts/Login.aspx", d, 0,
                     selector(weakSelf<ClientRequest>(), &ClientRequest::loginClientCallBack,
                              "loginClientCallBack:"),
                     8);
}

void ClientRequest::openClient() {
  if (isNullRegisterClientKey()) return;
  auto d = clientDescription(*this, false);
  sendAccountRequest("/Accounts/Session.aspx", d, 0,
                     selector(weakSelf<ClientRequest>(), &ClientRequest::openClientCallBack,
                              "openClientCallBack:"),
                     9);
}

// The login data of a reply that grants the login or session.  A reply that is no login reply
// (an error page) or whose envelope says the server refused (an unknown client key, the
// synthetic failure reply) grants nothing: its defaults must not replace the held switches.
static NSLoginDataPtr grantedLogin(const Value& reply) {
  std::string_view text = reply.isString() ? std::string_view(reply.string()) : "";
  Value parsed = objectFromJSONString(text);
  if (!parsed.isDictionary() || !getBoolValueForKey(parsed, "ResultBoolean", true)) return nullptr;
  return ZizaJsonStatusParser::parseToLogin(text);
}

ClientRequest::LoginOutcome ClientRequest::applyLoginReply(const Value& reply) {
  auto login = grantedLogin(reply);
  if (!login) return LoginOutcome::Refused;
  auto config = NSConfig::engine();
  Value stamp = channelListStamp(login);
  Value held = channelListStamp(config->config());
  bool changed = !stamp.isNil() && !held.isNil() && !stamp.isEqual(held);
  if (changed) getNewChannels();
  config->setConfig(login);
  NSLoginDB::setValueDB(login);
  return changed ? LoginOutcome::GrantedListRefreshing : LoginOutcome::Granted;
}

// The synthetic reply of a transport failure: the failure hooks announce the end of the login
// or session themselves, so the reply handlers leave it alone rather than announce it twice.
static bool isTransportFailure(const Value& reply) {
  return reply.isString() && reply.string() == ClientRequest::getErrorJsonString();
}

bool ClientRequest::registerAgainIfUnknown(const Value& reply) {
  auto result =
      ServerResult::resultWithJSONString(reply.isString() ? std::string(reply.string()) : "");
  if (result->resultSuccess || !result->resultMsg.isString() ||
      result->resultMsg.string() != kUnregisteredClientMessage)
    return false;
  defaults()->removeObjectForKey(kRegisterClientKey);
  defaults()->synchronize();
  registerClient();
  return true;
}

void ClientRequest::loginClientCallBack(const Value& reply) {
  if (isTransportFailure(reply)) return;
  LoginOutcome outcome = applyLoginReply(reply);
  loginGranted_ = outcome != LoginOutcome::Refused;
  // The registration's own login announces the end of the login.
  if (outcome == LoginOutcome::Refused && registerAgainIfUnknown(reply)) return;
  // Only a granted login leads on to the push token and gives the next request a minute.
  if (outcome != LoginOutcome::Refused) {
    performSelectorAfterDelay(
        selector(weakSelf<ClientRequest>(), &ClientRequest::startToRegisterToken,
                 "startToRegisterToken"),
        {}, 10.0);
    timeOutSec_ = 60;
  }
  // A channel-list refresh announces the end of the login itself.
  if (outcome != LoginOutcome::GrantedListRefreshing) postNotification(kLoginClientCallBack);
}

void ClientRequest::openClientCallBack(const Value& reply) {
  if (isTransportFailure(reply)) return;
  LoginOutcome outcome = applyLoginReply(reply);
  loginGranted_ = outcome != LoginOutcome::Refused;
  if (outcome != LoginOutcome::Refused) {
    if (auto login = NSConfig::engine()->config()) {
      login->isSession = true;
      login->isShowAdOk = false;
      NSLoginDB::setValueDB(login);
    }
  }
  if (outcome != LoginOutcome::GrantedListRefreshing) postNotification(kOpenClientCallBack);
}

// ---- push token -------------------------------------------------------------------------------

void ClientRequest::startToRegisterToken() {
  if (!storedString(kTokenKey).empty()) return;
  if (!registerToken()) {
    performSelectorAfterDelay(
        selector(weakSelf<ClientRequest>(), &ClientRequest::registerTokenOnce, "registerToken"), {},
        60.0);
  }
}

void ClientRequest::registerTokenOnce() {
  registerToken();
}

bool ClientRequest::registerToken() {
  if (isNullRegisterClientKey()) return false;
  std::string token = storedString(kTokenKeyTemp);
  if (token.empty()) return false;
  auto d = std::make_shared<NSMutableDictionary>();
  set(d, "keys", getRegisterClientKey());
  set(d, "token", token);
  addComParamers(d);
  sendAccountRequest(
      "/Accounts/EnablePush.aspx", d, 1,
      selector(weakSelf<ClientRequest>(), &ClientRequest::tokenCallBack, "tokenCallBack:"), 0);
  return true;
}

void ClientRequest::tokenCallBack(const Value& reply) {
  auto result =
      ServerResult::resultWithJSONString(reply.isString() ? std::string(reply.string()) : "");
  if (!result->resultSuccess) return;
  defaults()->setObject(defaults()->objectForKey(kTokenKeyTemp), kTokenKey);
  defaults()->synchronize();
}

// ---- update notice ----------------------------------------------------------------------------

void ClientRequest::appUpdata() {
  auto d = std::make_shared<NSMutableDictionary>();
  set(d, "keys", getRegisterClientKey());
  addComParamers(d);
  set(d, "source", "QX001");
  set(d, "ver", bundleVersion());
  set(d, "model", NSGlobe::getDeviceName());
  set(d, "mac", NSGlobe::getMacAddress());
  sendAccountRequest("/AppUpdate.aspx", d, 1, Selector(), 0);
}

// ---- platform account binding -----------------------------------------------------------------

void ClientRequest::bindAccountWithUId(const std::string& uid, const std::string& token) {
  if (isNullRegisterClientKey()) {
    bindFailed();
    return;
  }
  timeOutSec_ = 60;
  auto d = std::make_shared<NSMutableDictionary>();
  set(d, "keys", getRegisterClientKey());
  addComParamers(d);
  set(d, "uid", uid);
  set(d, "token", token);
  // A form post: the access token travels in the body, never in a URL.
  sendAccountRequest(
      "/Accounts/Bind.aspx", d, 1,
      selector(weakSelf<ClientRequest>(), &ClientRequest::bindCallBack, "bindCallBack:"), 0);
  postNotification(kLogAction, Value(), kUsageAccountBound);
}

void ClientRequest::bindFailed() {
  showPrompt("绑定失败!");
  auto account = ClientPlatformAccount::current();
  if (account) account->logOut();
  if (account && account->isBindBySso()) return;
  performSelectorAfterDelay(selector(std::weak_ptr<NSWeiBoNet>(NSWeiBoNet::getNetEngine()),
                                     &NSWeiBoNet::startLoginWeiBo, "startLoginWeiBo"),
                            {}, 1.0);
}

void ClientRequest::bindCallBack(const Value& reply) {
  auto result =
      ServerResult::resultWithJSONString(reply.isString() ? std::string(reply.string()) : "");
  if (!result->resultSuccess) {
    bindFailed();
    return;
  }
  postQueue_->showFinishStatusBar("绑定成功!");
  defaults()->setObject(Value(""), kAttendUserIdKey);
  defaults()->synchronize();
  if (eventType_ >= 129) postNotification(kBindAccountOk, Value(), eventType_);
  postNotification(kGlobeRequest, Value(), RequestType::FollowServiceAccountIfAsked, Selector(),
                   weakSelf<NSObject>());
  auto account = ClientPlatformAccount::current();
  if (account && account->isSSOBindOkFirst()) askToFollow(localized("OfficeSourceSubject"));
}

std::shared_ptr<NSObject> ClientRequest::accountAlertDelegate() {
  if (!accountAlerts_) {
    auto alerts = std::make_shared<ClientAccountAlerts>();
    alerts->client = weakSelf<ClientRequest>();
    accountAlerts_ = alerts;
  }
  return accountAlerts_;
}

void ClientRequest::askToFollow(const std::string& subject) {
  showAlert(accountAlertDelegate(), "温馨提示", "是否关注" + subject, "取消", {"确定"},
            kFollowAlertTag);
}

// ---- follow replies ---------------------------------------------------------------------------

void ClientRequest::relationshipCallback(const Value& reply) {
  Value relation = reply.isString() ? objectFromJSONString(reply.string()) : Value();
  Value target = relation.isDictionary() ? relation["target"] : Value();
  if (!target.isDictionary()) return;
  if (!getBoolValueForKey(target, "followed_by", false)) askToFollow(localized("SourceSubject"));
}

void ClientRequest::attentionCallBack(const Value& reply) {
  auto user =
      ZizaJsonStatusParser::parseToUser(reply.isString() ? std::string(reply.string()) : "");
  showPrompt(localized(user && user->userId != 0 ? "添加关注成功" : "添加关注失败"));
}

// ---- update check -----------------------------------------------------------------------------

void ClientRequest::setupCheckForUpdate() {
  auto d = std::make_shared<NSMutableDictionary>();
  set(d, "id", localized("AppStoreAppId"));
  bool download = needDownload_;
  needDownload_ = false;
  methodType_ = 0;
  reQueueNormalUrl(kAppStoreLookupURL, d, weakSelf<NSObject>(),
                   selector(weakSelf<ClientRequest>(), &ClientRequest::setupCheckForUpdateCallback,
                            "setupCheckForUpdateCallback:"),
                   0, true);
  needDownload_ = download;
}

void ClientRequest::setupCheckForUpdateCallback(const Value& reply) {
  stopActivityIndicatorViewAnimation();
  accountAlertDelegate();
  Value lookup = reply.isString() ? objectFromJSONString(reply.string()) : Value();
  std::string storeVersion;
  if (lookup.isDictionary() && getIntValueForKey(lookup, "resultCount", 0) > 0) {
    Value first = lookup["results"][0];
    if (first.isDictionary()) {
      Value v = first["version"];
      if (v.isString()) storeVersion = v.string();
    }
  }
  if (!storeVersion.empty() && isNewerVersion(storeVersion, bundleVersion())) {
    showAlert(accountAlerts_, localized("VersionUpdate"), localized("NewVersion"),
              localized("Cancel"), {localized("SUREALERT")}, kUpdateAlertTag);
  } else {
    showAlert(accountAlerts_, localized("VersionUpdate"), localized("NoNewVersion"),
              localized("SUREALERT"), {}, 0);
  }
}

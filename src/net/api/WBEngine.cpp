// The platform client's account and token store: construction, the keychain items of the bound
// account and the remembered account name, the logged-in tests and logging out.
#include "net/api/WBEngine.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "Foundation/NSFileManager.h"
#include "core/NSConfig.h"
#include "core/StoredKeys.h"
#include "core/UIFilePath.h"
#include "model/User.h"
#include "model/ZizaJsonStatusParser.h"
#include "net/api/KeychainUtils.h"
#include "net/http/HXHTTPRequest.h"
#include "net/http/HXNetworkQueue.h"

namespace {

constexpr std::string_view kAppSecret = "5e1f0a9c3b7d2468ace013579bdf2468";
constexpr const char* kUserIDItem = "WeiBoUserID";
constexpr const char* kAccessTokenItem = "WeiBoAccessToken";
constexpr const char* kExpireTimeItem = "WeiBoExpireTime";
constexpr const char* kUsernameItem = "WeiboUsername";
constexpr const char* kPasswordItem = "WeiboPassword";
// The profile file of the bound account.
constexpr int kProfileFileKind = 5;

// The numeric value of a text as the platform reads one: leading blanks, then as much of a
// number as there is; 0 when none.
double numericValue(const std::string& text) {
  return std::strtod(text.c_str(), nullptr);
}

}  // namespace

std::shared_ptr<WBEngine> WBEngine::create() {
  auto engine = std::make_shared<WBEngine>();
  engine->init();
  return engine;
}

void WBEngine::init() {
  appKey_ = std::string(kAppKey);
  appSecret_ = std::string(kAppSecret);
  redirectURI_ = std::string(kRedirectURI);
  timeOutSec_ = kDefaultTimeOutSec;
  taskQueue_ = HXNetworkQueue::queue();
  taskQueue_->setShouldCancelAllRequestsOnFailure(false);
  ssoCallbackScheme_ = "zizaweibosso." + appKey_ + "://";
  readAuthorizeDataFromKeychain();
}

WBEngine::~WBEngine() {
  if (taskQueue_) taskQueue_->cancelAllOperations();
  if (request_) request_->clearDelegatesAndCancel();
}

std::string WBEngine::urlSchemeString() const {
  return "WB_" + appKey_;
}

std::string WBEngine::serviceName() const {
  return urlSchemeString() + "_WeiBoServiceName";
}

void WBEngine::takeAccountOf(const WBEngine& other) {
  userID_ = other.userID_;
  accessToken_ = other.accessToken_;
  expireTime_ = other.expireTime_;
  user_ = other.user_;
}

void WBEngine::saveAuthorizeDataToKeychain() {
  const std::string service = serviceName();
  char expiry[64];
  std::snprintf(expiry, sizeof expiry, "%lf", expireTime_);
  KeychainUtils::storeUsername(kUserIDItem, userID_, service, true);
  KeychainUtils::storeUsername(kAccessTokenItem, accessToken_, service, true);
  KeychainUtils::storeUsername(kExpireTimeItem, std::string(expiry), service, true);
}

void WBEngine::readAuthorizeDataFromKeychain() {
  const std::string service = serviceName();
  userID_ = KeychainUtils::getPasswordForUsername(kUserIDItem, service);
  accessToken_ = KeychainUtils::getPasswordForUsername(kAccessTokenItem, service);
  auto expiry = KeychainUtils::getPasswordForUsername(kExpireTimeItem, service);
  expireTime_ = expiry ? numericValue(*expiry) : 0;
  setUserInfo();
}

void WBEngine::deleteAuthorizeDataInKeychain() {
  userID_.reset();
  accessToken_.reset();
  user_.reset();
  expireTime_ = 0;
  const std::string service = serviceName();
  KeychainUtils::deleteItemForUsername(kUserIDItem, service);
  KeychainUtils::deleteItemForUsername(kAccessTokenItem, service);
  KeychainUtils::deleteItemForUsername(kExpireTimeItem, service);
  std::string profile = UIFilePath::localPath(kProfileFileKind);
  if (!profile.empty()) NSFileManager::defaultManager().removeItemAtPath(profile);
}

void WBEngine::setUserInfo() {
  std::string path = UIFilePath::localPath(kProfileFileKind);
  if (path.empty() || !NSFileManager::defaultManager().fileExistsAtPath(path)) return;
  std::ifstream in(path, std::ios::binary);
  if (!in) return;
  std::stringstream text;
  text << in.rdbuf();
  if (auto parsed = ZizaJsonStatusParser::parseToUser(text.str())) user_ = parsed;
}

void WBEngine::saveToKeychainWithUsername(const std::optional<std::string>& name,
                                          const std::optional<std::string>& password) {
  if (name) KeychainUtils::storeUsername(kUsernameItem, name, serviceName(), true);
  if (password) KeychainUtils::storeUsername(kPasswordItem, password, serviceName(), true);
}

std::optional<std::string> WBEngine::readUsernameFromKeychain() {
  return KeychainUtils::getPasswordForUsername(kUsernameItem, serviceName());
}

void WBEngine::deleteAccountDataInKeychain() {
  KeychainUtils::deleteItemForUsername(kUsernameItem, serviceName());
  KeychainUtils::deleteItemForUsername(kPasswordItem, serviceName());
}

bool WBEngine::isLoggedIn() {
  return userID_ && accessToken_ && expireTime_ > 0;
}

bool WBEngine::isAuthorizeExpired() {
  if (expireTime_ != 0) return false;
  deleteAuthorizeDataInKeychain();
  return true;
}

bool WBEngine::isAccountTimeOut() {
  return expireTime_ != 0;
}

void WBEngine::logOut() {
  deleteAuthorizeDataInKeychain();
  tellDelegate([this](WBEngineDelegate& d) { d.engineDidLogOut(*this); });
}

bool WBEngine::hasLoginByNormal(bool set) {
  if (set) {
    NSConfig::setCacheValue(Value("1"), kHasLoginByNormalKey);
    return false;
  }
  return NSConfig::readCacheValueWithKey(kHasLoginByNormalKey).intValue() == 1;
}

bool WBEngine::isSSOBindOkFirst() {
  bool first = isBindBySso_ && !hasLoginByNormal(false);
  hasLoginByNormal(true);
  return first;
}

std::string WBEngine::userName() const {
  return user_ ? user_->username : std::string();
}

std::optional<std::string> WBEngine::headUrl() const {
  if (!user_) return std::nullopt;
  return user_->profileImageUrl.str();
}

#include "core/NSConfig.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>

#include "Foundation/LockedShared.h"
#include "Foundation/NSBundle.h"
#include "Foundation/NSFileManager.h"
#include "Foundation/NSPathUtilities.h"
#include "Foundation/NSPropertyList.h"
#include "Foundation/NSThread.h"
#include "Foundation/NSUserDefaults.h"
#include "UIKit/UIDevice.h"
#include "core/NSDesEncrypt.h"
#include "core/NSMsgSend.h"
#include "core/NSObject+UIViewBusy.h"
#include "core/NSObject+notification.h"
#include "core/NotificationNames.h"
#include "core/StoredKeys.h"
#include "core/UIFilePath.h"

namespace {

using SharedConfig = LockedSingleton<NSConfig>;

std::function<void()>& channelConfigUpdater() {
  static std::function<void()> f;
  return f;
}

std::function<std::shared_ptr<NSLoginData>()>& loginRecordReader() {
  static std::function<std::shared_ptr<NSLoginData>()> f;
  return f;
}

// One lock per store file, so that a read-modify-write never loses another thread's update.
std::recursive_mutex& fileLock(const std::string& path) {
  static std::mutex registryLock;
  static std::map<std::string, std::unique_ptr<std::recursive_mutex>> locks;
  std::lock_guard<std::mutex> guard(registryLock);
  auto& slot = locks[path];
  if (!slot) slot = std::make_unique<std::recursive_mutex>();
  return *slot;
}

NSFileManager& files() {
  return NSFileManager::defaultManager();
}

std::string bundleConfigPath() {
  return NSBundle::mainBundle()->pathForResource("config", "plist");
}

std::string bundleVersion() {
  return NSBundle::mainBundle()->objectForInfoDictionaryKey("CFBundleVersion").description();
}

std::shared_ptr<NSMutableDictionary> loadStore(const std::string& path) {
  Value v = propertyListWithContentsOfFile(path);
  if (v.isDictionary()) {
    if (auto d = std::dynamic_pointer_cast<NSMutableDictionary>(v.dictionary()))
      if (d->isMutable()) return d;
    auto copy = std::dynamic_pointer_cast<NSMutableDictionary>(v.dictionary()->mutableCopy());
    if (copy) return copy;
  }
  return nullptr;
}

Value readKey(const std::string& path, std::string_view key) {
  std::lock_guard<std::recursive_mutex> guard(fileLock(path));
  auto store = loadStore(path);
  return store ? store->objectForKey(key) : Value();
}

// A missing or unreadable file starts an empty dictionary; a nil value removes the key.
bool writeKey(const std::string& path, std::string_view key, const Value& value) {
  std::lock_guard<std::recursive_mutex> guard(fileLock(path));
  auto store = loadStore(path);
  if (!store) store = std::make_shared<NSMutableDictionary>();
  if (value.isNil())
    store->removeObjectForKey(key);
  else
    store->setObject(value, key);
  return writePropertyListToFile(Value(ValueDictionary(store)), path, true);
}

bool isEmptyText(const Value& v) {
  return v.isNil() || (v.isString() && v.string().empty());
}

}  // namespace

std::shared_ptr<NSConfig> NSConfig::allocWithZone() {
  // Recorded before init, so that init's own calls of engine() get the instance being built.
  return SharedConfig::alloc([](NSConfig& config) { config.init(); });
}

std::shared_ptr<NSConfig> NSConfig::engine() {
  return SharedConfig::shared([] { allocWithZone(); });
}

void NSConfig::setChannelConfigUpdater(std::function<void()> updater) {
  channelConfigUpdater() = std::move(updater);
}

void NSConfig::setLoginRecordReader(std::function<std::shared_ptr<NSLoginData>()> reader) {
  loginRecordReader() = std::move(reader);
}

void NSConfig::init() {
  std::string path = getConfigPath();
  std::string bundled = bundleConfigPath();
  std::string version = bundleVersion();
  if (files().fileExistsAtPath(path)) {
    if (readValueWithKey(kVersionKey).string() != version) {
      // A new version: the list is copied again and only these values survive.
      std::string rated = readValueWithKey(kAlreadyRatedKey).string() == "1" ? "1" : "0";
      Value setupInfo = readCacheValueWithKey(kUserSetupInfoKey);
      if (isEmptyText(setupInfo)) setupInfo = Value("0");
      Value boundNormally = readCacheValueWithKey(kHasLoginByNormalKey);
      if (isEmptyText(boundNormally))
        boundNormally = Value(files().fileExistsAtPath(UIFilePath::localPath(5)) ? "1" : "0");
      {
        std::lock_guard<std::recursive_mutex> guard(fileLock(path));
        files().removeItemAtPath(path);
        if (!bundled.empty()) files().copyItemAtPath(bundled, path);
      }
      setValue(Value(version), kVersionKey);
      if (channelConfigUpdater()) channelConfigUpdater()();
      setValue(Value("10"), kRegModeFirstKey);
      setValue(Value(rated), kAlreadyRatedKey);
      setCacheValue(boundNormally, kHasLoginByNormalKey);
      setCacheValue(setupInfo, kUserSetupInfoKey);
      UIFilePath::updateAllImages();
      isAppUpdata_ = true;
      performAfterDelay(
          [weak = weakSelf<NSConfig>()] {
            if (auto self = weak.lock()) self->appUpdate();
          },
          30);
    }
  } else {
    {
      std::lock_guard<std::recursive_mutex> guard(fileLock(path));
      if (!bundled.empty()) files().copyItemAtPath(bundled, path);
    }
    setValue(Value(version), kVersionKey);
  }
  buildProductionURLs();
  if (isDevServer()) changeServer(true);
  createBusyViews();
  systemVersion_ = float(std::atof(UIDevice::currentDevice()->systemVersion().c_str()));
  if (loginRecordReader()) config_ = loginRecordReader()();
}

void NSConfig::buildProductionURLs() {
  serverURL_ = getServerUrl(kDomainKey);
  postServerURL_ = getServerUrl(kPostDomainKey);
  accountServerURL_ = getServerUrl(kAccountDomainKey);
  logServerURL_ = getServerUrl(kLogDomainKey);
  shareServerURL_ = getServerUrl(kShareDomainKey);
  webServerURL_ = getServerUrl(kWebDomainKey);
}

std::string NSConfig::getServerUrl(std::string_view key) {
  return "http://" + readValueWithKey(key).description() + "." +
         readValueWithKey(kMiddleDomainKey).description() + "." +
         readValueWithKey(kRootDomainKey).description();
}

std::string NSConfig::getHostName(std::string_view url) const {
  std::string host = url.size() > 7 ? std::string(url.substr(7)) : std::string();
  size_t colon = host.find(':');
  if (colon != std::string::npos) host.resize(colon);
  return host;
}

std::string NSConfig::getCurDomain() {
  auto c = engine();
  return c->getHostName(c->serverURL());
}

std::string NSConfig::platformApiHost() {
  Value host = readMainValueWithKey("PLATFORM_API_Domain");
  return host.isString() && !host.string().empty() ? std::string(host.string())
                                                   : "api.ziza.example";
}

void NSConfig::changeServer(bool development) {
  buildProductionURLs();
  if (development) {
    port_ = kDevServerPort;
    for (std::string* url : {&serverURL_, &postServerURL_, &accountServerURL_, &logServerURL_,
                             &shareServerURL_, &webServerURL_}) {
      // "http://A.M.R" -> "http://A-dev.M.R:8030"
      size_t dot = url->find('.');
      std::string dev = dot == std::string::npos ? *url + "-dev"
                                                 : url->substr(0, dot) + "-dev" + url->substr(dot);
      *url = dev + ":" + std::to_string(kDevServerPort);
    }
  } else {
    port_ = 0;
  }
  if (development != isDevServer()) {
    auto defaults = NSUserDefaults::standardUserDefaults();
    defaults->setObject(Value(development ? "1" : "0"), kServerEngineKey);
    defaults->synchronize();
  }
}

bool NSConfig::isDevServer() const {
  auto v = NSUserDefaults::standardUserDefaults()->stringForKey(kServerEngineKey);
  return v && *v == "1";
}

void NSConfig::appUpdate() {
  auto msg = std::make_shared<NSMsgSend>();
  msg->type = toInt(RequestType::AppUpdateCheck);
  postNotificationObject(kGlobeRequest, msg);
}

std::string NSConfig::getConfigPath() {
  return getCacheConfigPathUnchecked(kConfigStoreName);
}

std::string NSConfig::getCacheConfigPathUnchecked(std::string_view name) {
  Value type = readMainValueWithKey(kConfigTypeKey);
  std::string configPath = readMainValueWithKey(kConfigPathKey).description();
  std::string file = std::string(name) + ".plist";
  switch (type.intValue()) {
    case 1: {
      std::string folder = NSDocumentDirectory() + "/" + configPath;
      files().createDirectoryAtPath(folder, true);
      return folder + file;
    }
    case 2: {
      std::string folder = NSLibraryDirectory() + configPath;
      files().createDirectoryAtPath(folder, true);
      return folder + file;
    }
    case 3: {
      std::string folder = NSHomeDirectory() + "/tmp";
      files().createDirectoryAtPath(folder, true);
      return folder + "/" + file;
    }
    default:
      return configPath;
  }
}

std::string NSConfig::getCacheConfigPath(std::string_view name) {
  std::string path = getCacheConfigPathUnchecked(name);
  std::lock_guard<std::recursive_mutex> guard(fileLock(path));
  // An empty store needs no atomic write: a file cut short reads as the empty store it was
  // meant to be, and the first setter writes it whole.
  if (!files().fileExistsAtPath(path))
    writePropertyListToFile(Value(makeDictionary()), path, false);
  return path;
}

bool NSConfig::setValue(const Value& value, std::string_view key) {
  return writeKey(getConfigPath(), key, value);
}
Value NSConfig::readValueWithKey(std::string_view key) {
  return readKey(getConfigPath(), key);
}
bool NSConfig::setArray(const Value& array, std::string_view key) {
  return setValue(array, key);
}
Value NSConfig::readArrarWithKey(std::string_view key) {
  return readValueWithKey(key);
}

bool NSConfig::setCacheValue(const Value& value, std::string_view key) {
  return setCacheValue(value, key, kCacheConfigStoreName);
}
Value NSConfig::readCacheValueWithKey(std::string_view key) {
  return readCacheValueWithKey(key, kCacheConfigStoreName);
}
bool NSConfig::setCacheArray(const Value& array, std::string_view key) {
  return setCacheValue(array, key);
}
Value NSConfig::readCacheArrarWithKey(std::string_view key) {
  return readCacheValueWithKey(key);
}

bool NSConfig::setCacheTempValue(const Value& value, std::string_view key) {
  return setCacheValue(value, std::string(key) + "_temp");
}
Value NSConfig::readCacheTempValueWithKey(std::string_view key) {
  return readCacheValueWithKey(std::string(key) + "_temp");
}
bool NSConfig::setCacheValueFormTemp(std::string_view key) {
  std::string path = getCacheConfigPath(kCacheConfigStoreName);
  std::lock_guard<std::recursive_mutex> guard(fileLock(path));
  Value staged = readKey(path, std::string(key) + "_temp");
  if (staged.isNil()) return false;
  return writeKey(path, key, staged);
}

bool NSConfig::setCacheValue(const Value& value, std::string_view key, std::string_view name) {
  return writeKey(getCacheConfigPath(name), key, value);
}
Value NSConfig::readCacheValueWithKey(std::string_view key, std::string_view name) {
  return readKey(getCacheConfigPath(name), key);
}
bool NSConfig::setDicValue(const Value& value, std::string_view key, std::string_view name) {
  return setCacheValue(value, key, name);
}
Value NSConfig::readDicWrithKey(std::string_view key, std::string_view name) {
  return readCacheValueWithKey(key, name);
}

std::recursive_mutex& NSConfig::storeLock(std::string_view name) {
  return fileLock(getCacheConfigPath(name));
}

bool NSConfig::setEncryptValue(const Value& value, std::string_view key) {
  if (value.isNil() || key.empty()) return false;
  std::string text = value.description();
  if (text.empty()) return setValue(Value(""), key);
  return setValue(Value(NSDesEncrypt::tripleDES(text, true)), key);
}

Value NSConfig::readEncryptValueWithKey(std::string_view key) {
  if (key.empty()) return Value();
  Value stored = readValueWithKey(key);
  if (!stored.isString()) return stored;
  return Value(NSDesEncrypt::tripleDES(stored.string(), false));
}

Value NSConfig::readMainValueWithKey(std::string_view key) {
  static std::mutex lock;
  static std::string cachedPath;
  static ValueDictionary cached;
  std::string path = bundleConfigPath();
  std::lock_guard<std::mutex> guard(lock);
  // The bundle file is read-only: read it once per bundle location.
  if (!cached || path != cachedPath) {
    cached = dictionaryWithContentsOfFile(path);
    cachedPath = path;
  }
  return cached ? cached->objectForKey(key) : Value();
}

void NSConfig::cleanLocalData() {
  setValue(Value(""), kMsgTextKey);
  setValue(Value(""), kMsgWeiboIdKey);
  setValue(Value(""), kMsgSelectAllKey);
}

std::string NSConfig::getServerUserRecordName(std::string_view className) {
  static const std::pair<std::string_view, std::string_view> names[] = {
      {"MasterViewController", "MainView"},
      {"ChannelViewController", "ChannelView"},
      {"FullArticleViewController", "FullArticleView"},
      {"OriginalReadViewController", "OriginalReadView"},
      {"UIContentView", "UIContentView"},
      {"UIMsgViewCtrl", "UICommentOrRetweenView"},
      {"UIInsertTopicViewCtrl", "UIInsertTopicView"},
      {"UIFriendListViewCtrl", "UIFriendListView"},
      {"UITabWriteViewCtrl", "WriteView"},
      {"UIReAcoundViewCtrl", "UIReAcoundView"},
      {"SuggestionUserStatusesController", "SuggestionUserStatuses"},
      {"UISetupViewController", "UISetupView"},
      {"UIBackGrounViewController", "UIBackGrounView"},
      {"UIAccountViewController", "UIAccountView"},
      {"WebViewCtrl", "WebView"},
      {"UIHelpViewController", "UIHelpView"},
      {"UIMoreAboutViewController", "UIMoreAboutView"},
      {"UIChannelModifyView", "GetUserInfoView"},
      {"UIInfoViewCtrl", "UserInfoView"},
      {"UISeminarToolViewCtrl", "SeminarView"},
      {"UISActivityView", "UISActivityView"},
      {"UISeminiarWriteViewCtrl", "UISeminiarWriteView"},
      {"UISQuestionView", "UISQuestionView"},
      {"UISPreordainView", "UISPreordainView"},
  };
  for (const auto& [cls, page] : names)
    if (className == cls) return std::string(page);
  return std::string(className);
}

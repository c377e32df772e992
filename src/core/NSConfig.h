// The configuration store: the writable copy of the bundle's config.plist, the six server base
// URLs built from it and the switch to the development servers, the login record, a few
// process-wide flags, and single-key access to the property-list stores: "config", the cache
// store "cache_config" (with "_temp" staging) and stores of any other name.  Every store
// operation reads the whole file and a setter writes it back atomically; one lock per file
// keeps a read-modify-write from losing another thread's update.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "Foundation/NSObject.h"
#include "Foundation/Value.h"
#include "core/StoredKeys.h"

class NSLoginData;

inline constexpr std::string_view kConfigStoreName = "config";
inline constexpr std::string_view kCacheConfigStoreName = "cache_config";
inline constexpr int kDevServerPort = 8030;

class NSConfig : public NSObject {
 public:
  // The singleton, created on first use (its creation may call engine() again and gets the
  // instance being built).
  static std::shared_ptr<NSConfig> engine();
  // A second creation is refused: nullptr once the instance exists.
  static std::shared_ptr<NSConfig> allocWithZone();

  const std::string& serverURL() const { return serverURL_; }
  const std::string& postServerURL() const { return postServerURL_; }
  const std::string& accountServerURL() const { return accountServerURL_; }
  const std::string& logServerURL() const { return logServerURL_; }
  const std::string& shareServerURL() const { return shareServerURL_; }
  const std::string& webServerURL() const { return webServerURL_; }
  void setServerURL(std::string url) { serverURL_ = std::move(url); }
  void setPostServerURL(std::string url) { postServerURL_ = std::move(url); }
  void setAccountServerURL(std::string url) { accountServerURL_ = std::move(url); }
  void setLogServerURL(std::string url) { logServerURL_ = std::move(url); }
  void setShareServerURL(std::string url) { shareServerURL_ = std::move(url); }
  void setWebServerURL(std::string url) { webServerURL_ = std::move(url); }

  // Address overrides per server group; empty (nil) unless the server client sets them.
  std::string serverIP, postServerIP, accountServerIP, logServerIP, zizaServerIp;

  int port() const { return port_; }
  void setPort(int port) { port_ = port; }
  float systemVersion() const { return systemVersion_; }
  void setSystemVersion(float v) { systemVersion_ = v; }
  std::shared_ptr<NSLoginData> config() const { return config_; }
  void setConfig(std::shared_ptr<NSLoginData> c) { config_ = std::move(c); }
  bool isAppUpdata() const { return isAppUpdata_; }
  void setIsAppUpdata(bool b) { isAppUpdata_ = b; }
  bool isAppAcountError() const { return isAppAcountError_; }
  void setIsAppAcountError(bool b) { isAppAcountError_ = b; }

  // "http://" + the value of the key + "." + "MDOMAIN" + "." + "RDOMAIN" of the "config" store.
  static std::string getServerUrl(std::string_view key);
  // The host of serverURL without scheme and port.
  static std::string getCurDomain();
  // The same for any URL: the first 7 characters dropped, cut at the first ":".
  std::string getHostName(std::string_view url) const;
  // The microblog platform's API host (deployment data of the bundle's config.plist).
  static std::string platformApiHost();

  // All six URLs to the development servers ("-dev" on the first label, port 8030) or back to
  // production; the choice is remembered in the user defaults.
  void changeServer(bool development);
  bool isDevServer() const;

  // Address overrides are not used: these keep the server client's calls harmless.
  bool setIPAddress() { return false; }
  void setZizaIpAddress() {}
  void startAddress() {}
  void setAllIpAddress() {}
  void reSetIpAddress() {}
  void startResetAddress() {}
  void startResetIpAddress() {}

  // Posts the bus request of the update check.
  void appUpdate();

  // Store files.
  static std::string getConfigPath();
  // The file of the named store, made as an empty dictionary when missing.
  static std::string getCacheConfigPath(std::string_view name);

  // The "config" store.
  static bool setValue(const Value& value, std::string_view key);
  static Value readValueWithKey(std::string_view key);
  static bool setArray(const Value& array, std::string_view key);
  static Value readArrarWithKey(std::string_view key);
  // The "cache_config" store.
  static bool setCacheValue(const Value& value, std::string_view key);
  static Value readCacheValueWithKey(std::string_view key);
  static bool setCacheArray(const Value& array, std::string_view key);
  static Value readCacheArrarWithKey(std::string_view key);
  // Staging: the value under key + "_temp", committed later by setCacheValueFormTemp (NO when
  // nothing is staged; the staged entry stays).
  static bool setCacheTempValue(const Value& value, std::string_view key);
  static Value readCacheTempValueWithKey(std::string_view key);
  static bool setCacheValueFormTemp(std::string_view key);
  // Stores of any name.
  static bool setCacheValue(const Value& value, std::string_view key, std::string_view name);
  static Value readCacheValueWithKey(std::string_view key, std::string_view name);
  static bool setDicValue(const Value& value, std::string_view key, std::string_view name);
  static Value readDicWrithKey(std::string_view key, std::string_view name);
  // The lock that every read and write of the named store holds.  A caller that reads a value,
  // changes it and stores it again holds it across the three, so that no other thread's update
  // of the store comes in between and is lost.
  static std::recursive_mutex& storeLock(std::string_view name);
  // Enciphered values of the "config" store: NO for a nil value or key; "" is stored as is.
  static bool setEncryptValue(const Value& value, std::string_view key);
  static Value readEncryptValueWithKey(std::string_view key);
  // A key of the bundle's config.plist.
  static Value readMainValueWithKey(std::string_view key);
  // Empties the comment composer's unsent text.
  static void cleanLocalData();

  // Run during a version change, after the configuration list was copied again: the channel
  // catalogue registers here its merge of the bundle's channel list (set before first use).
  static void setChannelConfigUpdater(std::function<void()> updater);
  // Reads the stored login record (a new one when none is stored) when the store is created:
  // the model, which keeps the record in the database, installs it at start-up (set before
  // first use; without one the store starts with no record).
  static void setLoginRecordReader(std::function<std::shared_ptr<NSLoginData>()> reader);

  // The page name a screen reports with the screen-viewed usage event.
  static std::string getServerUserRecordName(std::string_view className);

  NSConfig() = default;

 private:
  void init();
  void buildProductionURLs();
  static std::string getCacheConfigPathUnchecked(std::string_view name);

  std::string serverURL_, postServerURL_, accountServerURL_, logServerURL_, shareServerURL_,
      webServerURL_;
  int port_ = 0;
  float systemVersion_ = 0;
  std::shared_ptr<NSLoginData> config_;
  bool isAppUpdata_ = false;
  bool isAppAcountError_ = false;
};

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "Foundation/NSBundle.h"
#include "Foundation/NSFileManager.h"
#include "Foundation/NSPathUtilities.h"
#include "Foundation/NSPropertyList.h"
#include "Foundation/NSUserDefaults.h"
#include "core/NSConfig.h"
#include "core/NSMsgSend.h"
#include "core/NSObject+notification.h"
#include "core/NotificationNames.h"
#include "core/UIFilePath.h"
#include "model/NSLoginData.h"
#include "support/MainLoop.h"
#include "support/PropertyListBytes.h"
#include "support/StandInRecorder.h"

namespace fs = std::filesystem;

namespace {

const char* const kHosts[] = {"api", "post", "account", "log", "share", "www"};

std::vector<std::string> urls(const NSConfig& c) {
  return {c.serverURL(),    c.postServerURL(),  c.accountServerURL(),
          c.logServerURL(), c.shareServerURL(), c.webServerURL()};
}

std::string bundleVersion() {
  return std::string(NSBundle::mainBundle()->objectForInfoDictionaryKey("CFBundleVersion").string());
}

TEST(NSConfig, FirstLaunchCopiesTheBundleList) {
  auto stand = StandInRecorder::install();
  NSConfig::setLoginRecordReader(&NSLoginData::readFromDB);
  auto c = NSConfig::engine();
  EXPECT_EQ(NSConfig::engine(), c);
  EXPECT_EQ(NSConfig::allocWithZone(), nullptr);
  EXPECT_EQ(NSConfig::getConfigPath(), NSLibraryDirectory() + "/Config/config.plist");
  EXPECT_TRUE(fs::exists(NSConfig::getConfigPath()));
  EXPECT_EQ(NSConfig::readValueWithKey("Version"), Value(bundleVersion()));
  EXPECT_EQ(NSConfig::readValueWithKey("MDOMAIN"), Value("zept"));
  EXPECT_FALSE(c->isAppUpdata());
  auto u = urls(*c);
  for (size_t i = 0; i < 6; ++i)
    EXPECT_EQ(u[i], std::string("http://") + kHosts[i] + ".zept.example");
  EXPECT_EQ(c->port(), 0);
  EXPECT_FLOAT_EQ(c->systemVersion(), 6.1f);
  EXPECT_TRUE(c->config());
  EXPECT_TRUE(UIViewBusy::views().box);
  EXPECT_EQ(NSConfig::getCurDomain(), "api.zept.example");
}

TEST(NSConfig, DevelopmentServersAndBack) {
  NSUserDefaults::standardUserDefaults()->setObject(Value("1"), "server_engine");
  auto c = NSConfig::engine();
  EXPECT_TRUE(c->isDevServer());
  EXPECT_EQ(c->port(), 8030);
  auto u = urls(*c);
  for (size_t i = 0; i < 6; ++i)
    EXPECT_EQ(u[i], std::string("http://") + kHosts[i] + "-dev.zept.example:8030");
  EXPECT_EQ(NSConfig::getCurDomain(), "api-dev.zept.example");
  c->changeServer(false);
  EXPECT_EQ(c->serverURL(), "http://api.zept.example");
  EXPECT_EQ(c->port(), 0);
  EXPECT_EQ(NSUserDefaults::standardUserDefaults()->stringForKey("server_engine"), "0");
  EXPECT_FALSE(c->isDevServer());
}

TEST(NSConfig, VersionChangeKeepsOnlyWhatItShould) {
  MainLoop::install();
  // The list an older version left behind.
  std::string path = NSLibraryDirectory() + "/Config/config.plist";
  fs::create_directories(fs::path(path).parent_path());
  ASSERT_TRUE(writePropertyListToFile(Value::dictionaryOf({{"Version", Value("1.0")},
                                                           {"is_already_ping_fen", Value("2")},
                                                           {"PopTypeFirst", Value("1")},
                                                           {"Domain", Value("old")},
                                                           {"MDOMAIN", Value("zept")},
                                                           {"RDOMAIN", Value("example")}}),
                                      path));
  NSConfig::setCacheValue(Value("2"), "msg_user_setup_info");
  NSConfig::setCacheValue(Value("x"), "loadGuideHome");

  std::vector<int32_t> requests;
  auto observer = std::make_shared<NSObject>();
  addObserverWithSelector(observer,
                          freeSelector("mainRequest:",
                                       [&](const Value& n) {
                                         if (auto m = NSMsgSend::fromNotification(n))
                                           requests.push_back(m->type);
                                       }),
                          kGlobeRequest);

  auto c = NSConfig::engine();
  EXPECT_TRUE(c->isAppUpdata());
  EXPECT_EQ(NSConfig::readValueWithKey("Version"), Value(bundleVersion()));
  EXPECT_EQ(NSConfig::readValueWithKey("is_already_ping_fen"), Value("0"));
  EXPECT_EQ(NSConfig::readValueWithKey("RegModeFirst"), Value("10"));
  EXPECT_TRUE(NSConfig::readValueWithKey("PopTypeFirst").isNil());
  EXPECT_EQ(c->serverURL(), "http://api.zept.example");
  EXPECT_EQ(NSConfig::readCacheValueWithKey("msg_user_setup_info"), Value("2"));
  EXPECT_EQ(NSConfig::readCacheValueWithKey("hasLoginByNormal"), Value("0"));
  EXPECT_EQ(NSConfig::readCacheValueWithKey("loadGuideHome"), Value("x"));

  MainLoop::advance(29);
  EXPECT_TRUE(requests.empty());
  MainLoop::advance(1.5);
  EXPECT_EQ(requests, std::vector<int32_t>{toInt(RequestType::AppUpdateCheck)});
  removeObserver(observer);
}

TEST(NSConfig, VersionChangeRemembersABoundAccount) {
  std::string path = NSLibraryDirectory() + "/Config/config.plist";
  fs::create_directories(fs::path(path).parent_path());
  ASSERT_TRUE(writePropertyListToFile(
      Value::dictionaryOf({{"Version", Value("1.0")}, {"is_already_ping_fen", Value("1")}}), path));
  // The stored platform account (the path the layout gives it; asking the layout here would
  // create the store too early).
  std::string account =
      NSLibraryDirectory() + "/CachesDate/HTML/api.ziza.example/2/account/verify_credentials.json";
  fs::create_directories(fs::path(account).parent_path());
  ASSERT_TRUE(writeToFile(account, "{}", true));
  EXPECT_EQ(NSConfig::engine() ? UIFilePath::localPath(5) : "", account);
  EXPECT_EQ(NSConfig::readValueWithKey("is_already_ping_fen"), Value("1"));
  EXPECT_EQ(NSConfig::readCacheValueWithKey("hasLoginByNormal"), Value("1"));
  EXPECT_EQ(NSConfig::readCacheValueWithKey("msg_user_setup_info"), Value("0"));
}

TEST(NSConfig, Stores) {
  EXPECT_TRUE(NSConfig::setValue(Value("t"), "msg_text_key"));
  NSConfig::cleanLocalData();
  EXPECT_EQ(NSConfig::readValueWithKey("msg_text_key"), Value(""));
  EXPECT_TRUE(NSConfig::setArray(Value::arrayOf({Value("a")}), "arr"));
  EXPECT_EQ(NSConfig::readArrarWithKey("arr")[0], Value("a"));

  // A new store starts empty.
  std::string named = NSConfig::getCacheConfigPath("channel_config");
  EXPECT_EQ(propertyListWithContentsOfFile(named).count(), 0u);
  EXPECT_TRUE(NSConfig::setCacheValue(Value("v"), "k", "channel_config"));
  EXPECT_EQ(NSConfig::readCacheValueWithKey("k", "channel_config"), Value("v"));
  EXPECT_TRUE(NSConfig::readCacheValueWithKey("k").isNil());
  EXPECT_TRUE(NSConfig::setDicValue(Value::dictionaryOf({{"a", Value(1)}}), "d", "other"));
  EXPECT_EQ(NSConfig::readDicWrithKey("d", "other")["a"].intValue(), 1);

  // Staging.
  EXPECT_FALSE(NSConfig::setCacheValueFormTemp("channelUpdateDate"));
  EXPECT_TRUE(NSConfig::readCacheValueWithKey("channelUpdateDate").isNil());
  EXPECT_TRUE(NSConfig::setCacheTempValue(Value("2013"), "channelUpdateDate"));
  EXPECT_EQ(NSConfig::readCacheTempValueWithKey("channelUpdateDate"), Value("2013"));
  EXPECT_TRUE(NSConfig::setCacheValueFormTemp("channelUpdateDate"));
  EXPECT_EQ(NSConfig::readCacheValueWithKey("channelUpdateDate"), Value("2013"));
  EXPECT_EQ(NSConfig::readCacheValueWithKey("channelUpdateDate_temp"), Value("2013"));

  // Enciphered values.
  EXPECT_FALSE(NSConfig::setEncryptValue(Value(), "e"));
  EXPECT_TRUE(NSConfig::setEncryptValue(Value(""), "e"));
  EXPECT_EQ(NSConfig::readValueWithKey("e"), Value(""));
  EXPECT_TRUE(NSConfig::setEncryptValue(Value("hello"), "e"));
  EXPECT_EQ(NSConfig::readValueWithKey("e"), Value("VPgOeGgMnR4="));
  EXPECT_EQ(NSConfig::readEncryptValueWithKey("e"), Value("hello"));
  NSConfig::setValue(Value("plain"), "p");
  EXPECT_EQ(NSConfig::readEncryptValueWithKey("p"), Value("plain"));

  EXPECT_EQ(NSConfig::readMainValueWithKey("RDOMAIN"), Value("example"));
  EXPECT_EQ(NSConfig::getServerUserRecordName("UIMsgViewCtrl"), "UICommentOrRetweenView");
  EXPECT_EQ(NSConfig::getServerUserRecordName("SomethingElse"), "SomethingElse");
}

// A store file the property-list library cannot take reads as empty, and the next write
// starts it again, as for any unreadable file.
TEST(NSConfig, AStoreFileTheReaderCannotTakeReadsAsEmpty) {
  using namespace testsupport;
  const std::string nul("\0", 1);
  const std::string files[] = {
      xmlPropertyList("<dict><key>k" + nul + "</key><string>v</string></dict>"),
      binaryPropertyList({bplistDictionary({1}, {2}), bplistASCII("k"), bplistASCII("v" + nul)}),
      deepXMLPropertyList(50000),
      deepBinaryPropertyList(50000),
  };
  for (const std::string& file : files) {
    SCOPED_TRACE(file.substr(0, 60));
    std::string path = NSConfig::getCacheConfigPath("damaged");
    ASSERT_TRUE(writeToFile(path, file, true));
    EXPECT_TRUE(NSConfig::readCacheValueWithKey("k", "damaged").isNil());
    EXPECT_TRUE(NSConfig::setCacheValue(Value("fresh"), "k", "damaged"));
    EXPECT_EQ(NSConfig::readCacheValueWithKey("k", "damaged"), Value("fresh"));
  }
}

TEST(NSConfig, ConcurrentWritersLoseNothing) {
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([t] {
      for (int i = 0; i < 25; ++i)
        NSConfig::setCacheValue(Value(i), "k" + std::to_string(t) + "_" + std::to_string(i),
                                "shared_store");
    });
  for (auto& th : threads) th.join();
  EXPECT_EQ(propertyListWithContentsOfFile(NSConfig::getCacheConfigPath("shared_store")).count(),
            100u);
}

}  // namespace

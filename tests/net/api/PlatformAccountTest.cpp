// The platform account and token store: the bound account lives in keychain items that a new
// engine (a restart) reads back, with the expiry rules of the store.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "CFNetwork/CFNetworkConfiguration.h"
#include "Foundation/NSFileManager.h"
#include "Foundation/NSPropertyList.h"
#include "Security/SecItem.h"
#include "UIKit/UIApplicationDriver.h"
#include "core/NSConfig.h"
#include "core/StoredKeys.h"
#include "core/UIFilePath.h"
#include "model/User.h"
#include "net/api/KeychainUtils.h"
#include "net/api/WBEngine.h"
#include "support/MainLoop.h"

namespace {

class PlatformAccountTest : public ::testing::Test {
 protected:
  void SetUp() override { MainLoop::install(); }

  static void store(const char* account, const std::string& value) {
    ASSERT_TRUE(KeychainUtils::storeUsername(std::string(account), value, service(), true));
  }
  static std::optional<std::string> item(const char* account) {
    return KeychainUtils::getPasswordForUsername(std::string(account), service());
  }
  static std::string service() { return "WB_2718093456_WeiBoServiceName"; }
  static void bind(const std::string& expiry) {
    store("WeiBoUserID", "3100000001");
    store("WeiBoAccessToken", "2.00tok");
    store("WeiBoExpireTime", expiry);
  }
};

TEST_F(PlatformAccountTest, WithNoItemsAnEngineHasNoAccountAndCountsAsExpired) {
  auto engine = WBEngine::create();
  EXPECT_EQ(engine->serviceName(), service());
  EXPECT_EQ(engine->userIDValue(), std::nullopt);
  EXPECT_EQ(engine->accessTokenValue(), std::nullopt);
  EXPECT_EQ(engine->expireTime(), 0);
  EXPECT_FALSE(engine->isLoggedIn());
  EXPECT_FALSE(engine->isAccountTimeOut());
  EXPECT_TRUE(engine->isAuthorizeExpired());
  EXPECT_EQ(engine->userName(), "");
  EXPECT_EQ(engine->headUrl(), std::nullopt);
}

TEST_F(PlatformAccountTest, AStoredAccountIsReadBackByTheNextEngineWithItsExpiryAsSixDecimals) {
  {
    bind("1700000000.250000");
    auto first = WBEngine::create();
    EXPECT_TRUE(first->isLoggedIn());
    first->saveAuthorizeDataToKeychain();
  }
  EXPECT_EQ(item("WeiBoExpireTime"), "1700000000.250000");
  auto restarted = WBEngine::create();
  EXPECT_EQ(restarted->userID(), "3100000001");
  EXPECT_EQ(restarted->accessToken(), "2.00tok");
  EXPECT_DOUBLE_EQ(restarted->expireTime(), 1700000000.25);
  EXPECT_TRUE(restarted->isAccountTimeOut());
}

TEST_F(PlatformAccountTest, ATokenPastItsExpiryStillCountsUntilThePlatformRejectsIt) {
  bind("1000.000000");  // long past
  auto engine = WBEngine::create();
  EXPECT_TRUE(engine->isLoggedIn());
  EXPECT_FALSE(engine->isAuthorizeExpired());
  EXPECT_EQ(item("WeiBoAccessToken"), "2.00tok");
}

TEST_F(PlatformAccountTest, AnExpiryThatIsNoNumberReadsAsNoTokenAndTheFirstCheckDeletesTheRest) {
  bind("soon");
  auto engine = WBEngine::create();
  EXPECT_EQ(engine->expireTime(), 0);
  EXPECT_FALSE(engine->isLoggedIn());
  EXPECT_TRUE(engine->isAuthorizeExpired());
  EXPECT_EQ(item("WeiBoUserID"), std::nullopt);
  EXPECT_EQ(item("WeiBoAccessToken"), std::nullopt);
  EXPECT_EQ(engine->userIDValue(), std::nullopt);
}

TEST_F(PlatformAccountTest, LoggingOutKeepsTheRememberedNameAndForgettingTheNameKeepsTheToken) {
  bind("1700000000.000000");
  auto engine = WBEngine::create();
  engine->saveToKeychainWithUsername(std::string("reader@zept.example"), std::string());
  std::string profile = UIFilePath::localPath(5);
  ASSERT_TRUE(UIFilePath::saveToFile(R"({"id":3100000001,"name":"reader"})", profile));

  engine->deleteAccountDataInKeychain();
  EXPECT_EQ(engine->readUsernameFromKeychain(), std::nullopt);
  EXPECT_EQ(item("WeiBoAccessToken"), "2.00tok");

  engine->saveToKeychainWithUsername(std::string("reader@zept.example"), std::string());
  engine->logOut();
  EXPECT_FALSE(engine->isLoggedIn());
  EXPECT_EQ(item("WeiBoAccessToken"), std::nullopt);
  EXPECT_EQ(item("WeiBoExpireTime"), std::nullopt);
  EXPECT_FALSE(NSFileManager::defaultManager().fileExistsAtPath(profile));
  EXPECT_EQ(engine->readUsernameFromKeychain(), "reader@zept.example");
  EXPECT_EQ(item("WeiboPassword"), "");
}

TEST_F(PlatformAccountTest, TheProfileFileGivesTheAccountsNameAndPicture) {
  bind("1700000000.000000");
  ASSERT_TRUE(UIFilePath::saveToFile(
      R"({"id":3100000001,"name":"阅读者小周","profile_image_url":"https://x/1.png"})",
      UIFilePath::localPath(5)));
  auto engine = WBEngine::create();
  ASSERT_TRUE(engine->user());
  EXPECT_EQ(engine->userName(), "阅读者小周");
  EXPECT_EQ(engine->headUrl(), "https://x/1.png");
}

TEST_F(PlatformAccountTest, TheFollowOfferAfterASingleSignOnBindComesOnceAnInstallation) {
  // The profile fetch of each login goes nowhere.
  CFNetworkFailHostLookups(NSConfig::platformApiHost(), 100);
  UIApplicationDriver::installApplication("zizaweibosso");
  auto engine = WBEngine::create();
  auto signOn = [&] {
    ASSERT_TRUE(engine->ssoLogin());
    ASSERT_TRUE(engine->handleOpenURL(
        "zizaweibosso.2718093456://response?access_token=2.00t&remind_in=0&uid=3100000001"));
  };
  signOn();
  EXPECT_TRUE(engine->isBindBySso());
  EXPECT_TRUE(engine->isSSOBindOkFirst());
  EXPECT_FALSE(engine->isSSOBindOkFirst());
  engine->logOut();
  signOn();
  EXPECT_FALSE(engine->isSSOBindOkFirst());
  // A bind by the web page never offers it.
  EXPECT_FALSE(WBEngine::create()->isSSOBindOkFirst());
  CFNetworkFailHostLookups(NSConfig::platformApiHost(), 0);
}

TEST_F(PlatformAccountTest, KeychainWritesOfAnEqualValueChangeNothingAndMissingArgumentsFail) {
  store("WeiBoUserID", "1");
  struct stat before {};
  ASSERT_EQ(::stat(SecKeychainFilePath().c_str(), &before), 0);
  NSErrorPtr error;
  EXPECT_TRUE(KeychainUtils::storeUsername(std::string("WeiBoUserID"), std::string("1"), service(),
                                           true, &error));
  EXPECT_EQ(error, nullptr);
  struct stat after {};
  ASSERT_EQ(::stat(SecKeychainFilePath().c_str(), &after), 0);
  EXPECT_EQ(before.st_ino, after.st_ino);  // the file was not written again
  // Without the update switch an existing value stays.
  EXPECT_TRUE(
      KeychainUtils::storeUsername(std::string("WeiBoUserID"), std::string("2"), service(), false));
  EXPECT_EQ(item("WeiBoUserID"), "1");

  EXPECT_FALSE(
      KeychainUtils::storeUsername(std::nullopt, std::string("x"), service(), true, &error));
  ASSERT_TRUE(error);
  EXPECT_EQ(error->domain(), "KeychainUtilsErrorDomain");
  EXPECT_EQ(error->code(), -2000);
  EXPECT_EQ(KeychainUtils::getPasswordForUsername(std::string("a"), std::nullopt, &error),
            std::nullopt);
  EXPECT_EQ(error->code(), -2000);
  // A missing item is no error; deleting one is the keychain's "not found".
  EXPECT_EQ(KeychainUtils::getPasswordForUsername(std::string("none"), service(), &error),
            std::nullopt);
  EXPECT_EQ(error, nullptr);
  EXPECT_FALSE(KeychainUtils::deleteItemForUsername(std::string("none"), service(), &error));
  EXPECT_EQ(error->code(), errSecItemNotFound);
}

TEST_F(PlatformAccountTest, AnItemWhoseDataCannotBeReadIsReportedAndReplacedByTheNextWrite) {
  // An item the keychain holds without its value data.
  auto broken = Value::dictionaryOf({{std::string(kSecClass), Value(kSecClassGenericPassword)},
                                     {std::string(kSecAttrService), Value(service())},
                                     {std::string(kSecAttrAccount), Value("WeiBoUserID")}});
  std::filesystem::create_directories(std::filesystem::path(SecKeychainFilePath()).parent_path());
  ASSERT_TRUE(writePropertyListToFile(Value::arrayOf({broken}), SecKeychainFilePath(), true,
                                      NSPropertyListFormat::Binary));
  NSErrorPtr error;
  EXPECT_EQ(KeychainUtils::getPasswordForUsername(std::string("WeiBoUserID"), service(), &error),
            std::nullopt);
  ASSERT_TRUE(error);
  EXPECT_EQ(error->code(), -1999);
  // A token item that cannot be read counts as absent.
  EXPECT_EQ(WBEngine::create()->userIDValue(), std::nullopt);
  EXPECT_TRUE(KeychainUtils::storeUsername(std::string("WeiBoUserID"), std::string("7"), service(),
                                           false, &error));
  EXPECT_EQ(item("WeiBoUserID"), "7");
}

}  // namespace

// Helpers of the platform client's tests: the local platform server over https on loopback,
// with a certificate of the test authority for the platform's API host, which the HTTP engine
// trusts and maps to the server's port; the dispatcher's platform client as the app's account;
// a key window for the login dialog; and an account bound as a login would leave it.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "CFNetwork/CFNetworkConfiguration.h"
#include "UIKit/UIScreen.h"
#include "UIKit/UIWindow.h"
#include "core/NSConfig.h"
#include "net/api/ApiTestSupport.h"
#include "net/api/ClientPlatformAccount.h"
#include "net/api/KeychainUtils.h"
#include "net/api/NSWeiBoNet.h"
#include "net/api/WBEngine.h"
#include "server/PlatformServer.h"
#include "support/TestHTTPServer.h"

namespace platformtest {

// Demo accounts of the platform's data.
constexpr int64_t kReader = 3100000001;
constexpr int64_t kEditor = 3100000002;
constexpr int64_t kMaker = 3100000003;

// What the engine tells its delegate, in order.
class EngineWatcher : public NSObject, public WBEngineDelegate {
 public:
  std::vector<std::string> calls;
  NSErrorPtr lastError;
  void engineAlreadyLoggedIn(WBEngine&) override { calls.push_back("alreadyLoggedIn"); }
  void engineDidLogIn(WBEngine&) override { calls.push_back("didLogIn"); }
  void zizaweiboLogInDidCancel(WBEngine&) override { calls.push_back("ssoCancelled"); }
  void zizaweiboLogInDidFailWithError(WBEngine&, const NSErrorPtr& e) override {
    calls.push_back("ssoFailed");
    lastError = e;
  }
  void engineDidFailToLogInWithError(WBEngine&, const NSErrorPtr& e) override {
    calls.push_back(e ? "loginFailed" : "loginFailedWithoutError");
    lastError = e;
  }
  void engineDidLogOut(WBEngine&) override { calls.push_back("didLogOut"); }
  void engineNotAuthorized(WBEngine&) override { calls.push_back("notAuthorized"); }
};

class PlatformTest : public apitest::ServerClientTest {
 protected:
  void SetUp() override {
    ServerClientTest::SetUp();
    auto files = testsupport::TestCertificateAuthority::issueServerCertificate(
        {NSConfig::platformApiHost()});
    zept::server::PlatformServer::Options options;
    options.certificateFile = files.certificatePath;
    options.keyFile = files.keyPath;
    platform = std::make_unique<zept::server::PlatformServer>(options);
    int port = platform->start();
    CFNetworkMapHost(NSConfig::platformApiHost(), 443, "127.0.0.1", port);
    ASSERT_TRUE(CFNetworkAddTrustedCertificatesFromFile(
        testsupport::TestCertificateAuthority::shared().caCertificatePath));
    net = NSWeiBoNet::getNetEngine();
    engine = net->weiboEngine();
    ClientPlatformAccount::setCurrent(engine);
    window = std::make_shared<UIWindow>(UIScreen::mainScreen()->bounds());
    window->makeKeyAndVisible();
    watcher = std::make_shared<EngineWatcher>();
  }
  void TearDown() override {
    ClientPlatformAccount::setCurrent(nullptr);
    platform->stop();
    CFNetworkRemoveHostMappings();
    CFNetworkRemoveTrustedCertificates();
    ServerClientTest::TearDown();
  }

  // The reader bound as a login leaves it: the three token items, read again by both clients.
  std::string bindReader(double expireTime = 1.9e9) {
    token = platform->issueToken(kReader);
    const std::string service = engine->serviceName();
    KeychainUtils::storeUsername(std::string("WeiBoUserID"), std::to_string(kReader), service,
                                 true);
    KeychainUtils::storeUsername(std::string("WeiBoAccessToken"), token, service, true);
    KeychainUtils::storeUsername(std::string("WeiBoExpireTime"), std::to_string(expireTime),
                                 service, true);
    engine->readAuthorizeDataFromKeychain();
    net->checkEngine()->readAuthorizeDataFromKeychain();
    return token;
  }
  std::optional<std::string> item(const char* account) const {
    return KeychainUtils::getPasswordForUsername(std::string(account), engine->serviceName());
  }

  std::unique_ptr<zept::server::PlatformServer> platform;
  std::shared_ptr<NSWeiBoNet> net;
  std::shared_ptr<WBEngine> engine;
  std::shared_ptr<UIWindow> window;
  std::shared_ptr<EngineWatcher> watcher;
  std::string token;
};

}  // namespace platformtest

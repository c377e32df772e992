// Helpers of the server-client tests: the local content server on a free port with the
// configuration's base URLs pointed at it, the network forced online or offline, a receiver
// that records the replies its action gets, a recorder of what the stand-in views would have
// shown, and a port nobody listens on.
#pragma once

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Foundation/NSObject.h"
#include "Foundation/NSUserDefaults.h"
#include "Foundation/Value.h"
#include "SystemConfiguration/SCNetworkReachability.h"
#include "core/NSConfig.h"
#include "core/NSSectionItem.h"
#include "model/NSLoginData.h"
#include "net/api/ClientPlatformAccount.h"
#include "net/api/NSWeiBoNet.h"
#include "server/ContentServer.h"
#include "support/MainLoop.h"
#include "support/StandInRecorder.h"

namespace apitest {

// A bound platform account, logged in and current, as far as the bind checks ask.
class BoundAccount : public ClientPlatformAccount {
 public:
  bool isLoggedIn() override { return true; }
  bool isAuthorizeExpired() override { return false; }
  bool isAccountTimeOut() override { return false; }
  void logIn() override {}
};

// Records what its action receives, in order.
class Receiver : public NSObject {
 public:
  std::vector<Value> replies;
  // Called with each reply, after it is recorded.
  std::function<void(const Value&)> onReply;

  void reply(const Value& v) {
    replies.push_back(v);
    if (onReply) onReply(v);
  }
  Selector action(const std::string& name = "reply:") {
    return selector(weakSelf<Receiver>(), &Receiver::reply, name);
  }
  std::vector<std::string> texts() const {
    std::vector<std::string> out;
    for (const Value& v : replies) out.push_back(v.isNil() ? "(nil)" : v.description());
    return out;
  }
  static std::shared_ptr<Receiver> make() { return std::make_shared<Receiver>(); }
};

inline void forceOnline() {
  SCNetworkReachabilitySetTestFlags(kSCNetworkReachabilityFlagsReachable |
                                    kSCNetworkReachabilityFlagsIsDirect);
}

inline void forceOffline() {
  SCNetworkReachabilitySetTestFlags(SCNetworkReachabilityFlags(0));
}

// A loopback port that refuses connections: bound once for its number, then closed.
inline int closedPort() {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = 0;
  ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  socklen_t len = sizeof addr;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
  ::close(fd);
  return ntohs(addr.sin_port);
}

inline std::string closedBaseURL() {
  return "http://127.0.0.1:" + std::to_string(closedPort());
}

// The usage actions the dispatcher recorded since the start event, as "type|parameters".
inline std::vector<std::string> usageEvents(const NSWeiBoNet& net) {
  std::vector<std::string> out;
  const auto& actions = net.curSection()->actionsArray();
  for (size_t i = 1; i < actions.size(); ++i)
    out.push_back(actions[i].caType + "|" + actions[i].sparams);
  return out;
}

// A parameter dictionary in insertion order.
inline ValueDictionary params(std::initializer_list<std::pair<std::string, Value>> pairs) {
  return makeDictionary(pairs);
}

class ServerClientTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MainLoop::install();
    // The hooks start-up installs.
    stand = StandInRecorder::install();
    NSConfig::setLoginRecordReader(&NSLoginData::readFromDB);
    server.start();
    pointConfigurationAt(server.baseURL());
    key = server.addClient();
    forceOnline();
    stand->clear();
  }
  void TearDown() override {
    server.releaseSilent();
    SCNetworkReachabilitySetTestFlags(std::nullopt);
  }

  static void pointConfigurationAt(const std::string& base) {
    auto config = NSConfig::engine();
    config->setServerURL(base);
    config->setPostServerURL(base);
    config->setAccountServerURL(base);
    config->setLogServerURL(base);
  }

  // Runs the main loop (real time, the virtual clock standing still) until the predicate holds.
  static bool waitFor(const std::function<bool()>& done, double seconds = 20) {
    return MainLoop::runUntil(done, seconds);
  }
  // Lets virtual time pass on the main loop (for the app's own delays).
  static void advance(double seconds) { MainLoop::advance(seconds); }

  zept::server::ContentServer server;
  std::string key;
  // What the stand-in views would have shown.
  std::shared_ptr<StandInRecorder> stand;
};

}  // namespace apitest

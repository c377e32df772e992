// The fixture of the writing endpoints' and reply handlers' tests: a registered client with a
// bound platform account (a demo user), the dispatcher with an open usage section, a sender
// that records its replies, and observers of the bus notifications the client posts.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "Common/JXKit/NSString+JXKitDeserializing.h"
#include "Foundation/NSUserDefaults.h"
#include "core/NSConfig.h"
#include "core/NSGlobe.h"
#include "core/NSMsgSend.h"
#include "core/NSObject+notification.h"
#include "core/NotificationNames.h"
#include "net/api/ApiTestSupport.h"
#include "net/api/ClientPlatformAccount.h"
#include "net/api/ClientRequest.h"
#include "net/api/NSWeiBoNet.h"

namespace writetest {

using apitest::Receiver;
using Pairs = std::vector<std::pair<std::string, std::string>>;

// A demo user of the local server, and statuses of its demo data by their platform ids.
inline constexpr const char* kReader = "2010000004";
inline constexpr const char* kCommentedStatus = "3589120000010087";  // eid 10087, has comments
inline constexpr const char* kFirstComment = "4000000000000001";     // on 10087
inline constexpr const char* kProduct = "20001";
// A status that does not exist.
inline constexpr const char* kGoneStatus = "3589120000099999";
// The status wall: where readers' posts are listed.
inline constexpr const char* kWall = "2";

class Account : public ClientPlatformAccount {
 public:
  std::string uid = kReader;
  bool attend = false;
  bool isLoggedIn() override { return !uid.empty(); }
  bool isAuthorizeExpired() override { return false; }
  bool isAccountTimeOut() override { return false; }
  void logIn() override {}
  std::string userID() override { return uid; }
  bool needAttend() override { return attend; }
};

// The notifications one name received, as the messages they carried.
class BusLog {
 public:
  void observe(std::string_view name) {
    auto r = Receiver::make();
    addObserverWithSelector(r, r->action(), name);
    receivers_[std::string(name)] = r;
  }
  // "type" or "type:data" of each message on the name, oldest first.
  std::vector<std::string> messages(std::string_view name) const {
    std::vector<std::string> out;
    auto it = receivers_.find(std::string(name));
    if (it == receivers_.end()) return out;
    for (const Value& n : it->second->replies) {
      auto msg = NSMsgSend::fromNotification(n);
      if (!msg) {
        out.push_back("(no message)");
        continue;
      }
      std::string text = std::to_string(msg->type);
      if (!msg->data.isNil()) text += ":" + msg->data.description();
      out.push_back(text);
    }
    return out;
  }
  void clear() {
    for (auto& [name, r] : receivers_) r->replies.clear();
  }
  ~BusLog() {
    for (auto& [name, r] : receivers_) removeObserver(r);
  }

 private:
  std::map<std::string, std::shared_ptr<Receiver>> receivers_;
};

inline Value strings(std::initializer_list<const char*> items) {
  std::vector<Value> values;
  for (const char* s : items) values.emplace_back(s ? Value(s) : Value());
  return Value(makeArray(values));
}

inline Pairs pairs(const zept::server::Pairs& p) {
  return {p.begin(), p.end()};
}

class WriteTest : public apitest::ServerClientTest {
 protected:
  void SetUp() override {
    ServerClientTest::SetUp();
    NSUserDefaults::standardUserDefaults()->setObject(Value(key), "registerClientKey");
    account = std::make_shared<Account>();
    ClientPlatformAccount::setCurrent(account);
    NSGlobe::getEngine()->setCurChannel("10-1");
    net = NSWeiBoNet::getNetEngine();
    postNotification(kLogAction, Value(), 901);
    sender = Receiver::make();
  }
  void TearDown() override {
    ClientPlatformAccount::setCurrent(nullptr);
    ServerClientTest::TearDown();
  }

  void post(RequestType type, const Value& data) {
    postNotification(kGlobeRequest, data, type, sender->action(), sender);
  }
  // Posts a request and waits until the server has answered one request to the path.
  zept::server::RecordedRequest postAndWait(RequestType type, const Value& data,
                                            const std::string& path) {
    size_t before = server.requests(path).size();
    post(type, data);
    EXPECT_TRUE(waitFor([&] {
      auto seen = server.requests(path);
      return seen.size() > before && seen.back().status != 0;
    })) << path;
    auto seen = server.requests(path);
    return seen.size() > before ? seen.back() : zept::server::RecordedRequest{};
  }
  // A reply through the bus: the request's reply to a sender of its own.
  Value replyTo(RequestType type, const Value& data) {
    auto reader = Receiver::make();
    postNotification(kGlobeRequest, data, type, reader->action(), reader);
    EXPECT_TRUE(waitFor([&] { return !reader->replies.empty(); }));
    if (reader->replies.empty()) return {};
    return objectFromJSONString(reader->replies[0].description());
  }
  // The texts of page 1 of a channel, read through the bus as a channel screen reads it.
  std::vector<std::string> channelTexts(const char* channel,
                                        RequestType type = RequestType::ChannelStatuses) {
    Value page = replyTo(type, strings({channel, "1", "0"}));
    std::vector<std::string> out;
    for (size_t i = 0; i < page["statuses"].count(); ++i)
      out.push_back(page["statuses"][i]["text"].description());
    return out;
  }

  std::shared_ptr<Account> account;
  std::shared_ptr<NSWeiBoNet> net;
  std::shared_ptr<Receiver> sender;
  BusLog bus;
};

}  // namespace writetest

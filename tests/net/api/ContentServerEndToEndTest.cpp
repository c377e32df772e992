// A new client against the local content server, the way the app starts and reads: it
// registers, logs in, fetches the channel list and pages through a channel by bus requests.
#include <gtest/gtest.h>

#include "Foundation/NSFileManager.h"
#include "Foundation/NSUserDefaults.h"
#include "core/NSConfig.h"
#include "core/NSObject+notification.h"
#include "core/NotificationNames.h"
#include "core/UIFilePath.h"
#include "model/ChannelItem.h"
#include "model/NSLoginData.h"
#include "model/NSStatusesInfo.h"
#include "model/ZizaJsonStatusParser.h"
#include "net/api/ApiTestSupport.h"
#include "net/api/ClientRequest.h"
#include "net/api/NSWeiBoNet.h"

namespace {

using apitest::Receiver;

std::string contents(const std::string& path) {
  auto bytes = dataWithContentsOfFile(path);
  return bytes ? std::string(*bytes) : "(missing)";
}

class ContentServerEndToEndTest : public apitest::ServerClientTest {};

TEST_F(ContentServerEndToEndTest, ANewClientRegistersLogsInAndPagesThroughAChannel) {
  auto client = ClientRequest::engine();
  auto net = NSWeiBoNet::getNetEngine();
  // The app last saw an older channel list, so the login brings the new one.
  auto held = std::make_shared<NSLoginData>();
  held->mDic = makeDictionary({{"others", Value("an older list")}});
  NSConfig::engine()->setConfig(held);

  auto registered = Receiver::make(), loggedIn = Receiver::make();
  addObserverWithSelector(registered, registered->action(), kRegisterClientCallBack);
  addObserverWithSelector(loggedIn, loggedIn->action(), kLoginClientCallBack);

  // First start: the device id is recorded, and without a key the client registers.
  EXPECT_FALSE(client->needRegister());
  ASSERT_TRUE(client->isNullRegisterClientKey());
  client->registerClient();
  ASSERT_TRUE(waitFor([&] { return loggedIn->replies.size() == 1; }));
  EXPECT_EQ(registered->replies.size(), 1u);

  std::string issued = client->getRegisterClientKey();
  auto known = server.client(issued);
  ASSERT_TRUE(known);
  EXPECT_EQ(known->logins, 1);
  EXPECT_EQ(known->registration.at("brand"), "Apple");
  EXPECT_FALSE(client->needRegister());
  EXPECT_EQ(server.requests("/Channels/ChannelListV2.aspx").size(), 1u);
  // The server's channel list replaced the bundled catalogue.
  ASSERT_TRUE(ChannelItem::getChannelItemByChannelId(101));
  EXPECT_FALSE(ChannelItem::getChannelItemByChannelId(1));

  // Page 1 of a channel with more than a page of statuses, then page 2 from its cursor.
  std::string channel = "101";
  auto screen = Receiver::make();
  postNotification(kGlobeRequest, Value(makeArray({Value(channel), Value("1"), Value("0")})),
                   RequestType::ChannelStatuses, screen->action(), screen);
  ASSERT_TRUE(waitFor([&] { return screen->replies.size() == 1; }));
  auto page1 = ZizaJsonStatusParser::parseDicToStatusesInfo(screen->replies[0].string());
  ASSERT_TRUE(page1 && page1->statuses);
  ASSERT_EQ(page1->statuses->size(), 20u);
  ASSERT_GT(page1->next_cursor, 0);
  std::string cache1 = UIFilePath::getChannelFilePath(14, channel, 1, 0);
  EXPECT_EQ(contents(cache1), screen->replies[0].string());

  std::string cursor = std::to_string(page1->next_cursor);
  postNotification(kGlobeRequest, Value(makeArray({Value(channel), Value("2"), Value(cursor)})),
                   RequestType::ChannelStatuses, screen->action(), screen);
  ASSERT_TRUE(waitFor([&] { return screen->replies.size() == 2; }));
  auto page2 = ZizaJsonStatusParser::parseDicToStatusesInfo(screen->replies[1].string());
  ASSERT_TRUE(page2 && page2->statuses);
  ASSERT_FALSE(page2->statuses->empty());
  // Page 2 continues below page 1, without overlap.
  EXPECT_LT(page2->statuses->front()->vorluId, page1->statuses->back()->vorluId);
  std::string cache2 = UIFilePath::getChannelFilePathSinceId(14, channel, 2, page1->next_cursor);
  EXPECT_EQ(contents(cache2), screen->replies[1].string());
  EXPECT_NE(cache1, cache2);

  auto pages = server.requests("/Channels/Channel.aspx");
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_EQ(pages[0].paramOr("keys"), issued);
  EXPECT_EQ(pages[1].paramOr("since_id"), cursor);
  EXPECT_FALSE(pages[1].hasQueryParam("max_id"));

  removeObserver(registered);
  removeObserver(loggedIn);
}

}  // namespace

// Channel lists and channel images against the local content server: the channel list reply
// replacing the catalogue, the all-channels reply staged while its pictures download (each
// checked against its MD5), its installation at the next refresh, changed pictures fetched
// again, bad files deleted, and many downloads completing together.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "Common/JXKit/NSString+JXKitDeserializing.h"
#include "Foundation/NSBundle.h"
#include "Foundation/NSFileManager.h"
#include "Foundation/NSPathUtilities.h"
#include "Foundation/NSString.h"
#include "Foundation/NSThread.h"
#include "Foundation/NSURL.h"
#include "Foundation/NSUserDefaults.h"
#include "core/NSConfig.h"
#include "core/NotificationNames.h"
#include "core/UIFilePath.h"
#include "model/ChannelCatalogueFixture.h"
#include "model/ChannelItem.h"
#include "net/api/ApiTestSupport.h"
#include "net/api/ClientDownload.h"
#include "net/api/ClientRequest.h"
#include "net/api/NSHxHttpRequest.h"
#include "net/http/HXNetworkQueue.h"
#include "support/BusRecorder.h"
#include "uilib/core/NSData+ULCategory.h"

namespace {

using zept::server::EndpointScript;

const char* const kKinds[] = {"icon", "background", "navigation", "tuijian", "tuijian_theme1"};
// The channels of the demo data that carry pictures of the server's.
const int kDownloadedChannels[] = {101, 102, 103, 104, 105};

std::string (*const kDestinations[])(int) = {
    &UIFilePath::getNewChannelImageIcon, &UIFilePath::getNewChannelImageBackground,
    &UIFilePath::getNewChannelImageNavigation, &UIFilePath::getNewChannelImageTuiJian,
    &UIFilePath::getNewChannelImageTuiJian_Theme1};

bool exists(const std::string& path) {
  return NSFileManager::defaultManager().fileExistsAtPath(path);
}

std::string contents(const std::string& path) {
  return dataWithContentsOfFile(path).value_or("");
}

std::string stagedCatalogue() {
  return stringByAppendingPathComponent(NSDocumentDirectory(), kStagedChannelItemsFileName);
}

Value pendingDownloads() {
  return NSConfig::readDicWrithKey(kChannelMd5NewKey, kChannelConfigStoreName);
}

bool staged() {
  return NSConfig::readCacheValueWithKey(kChannelNewsKey, kChannelConfigStoreName) == Value("1");
}

bool nothingPending() {
  Value pending = pendingDownloads();
  return pending.isDictionary() && pending.count() == 0;
}

std::string upperMd5(const std::string& bytes) {
  return uppercaseString(md5Hash(bytes));
}

class ChannelImagesTest : public apitest::ServerClientTest {
 protected:
  void SetUp() override {
    ServerClientTest::SetUp();
    NSUserDefaults::standardUserDefaults()->setObject(Value(key), "registerClientKey");
    client = ClientRequest::engine();
    ChannelItem::setImageDownloader(client);
    bus = BusRecorder::observing({kNewChannelsAdded});
  }

  std::string imagePath(int channel, const char* kind) const {
    return "/img/channel/" + std::to_string(channel) + "/" + kind + "@2x.png";
  }
  size_t imageRequests() const {
    size_t n = 0;
    for (const auto& r : server.requests()) n += r.path.rfind("/img/channel/", 0) == 0;
    return n;
  }
  bool downloadsIdle() const { return client->downloadQueue()->queue()->requestsCount() == 0; }

  // Fetches the all-channels list and waits until it is staged with every picture it asked for
  // on disk (or, with `left` keys, until only those are left).
  void stageAllChannels(size_t left = 0) {
    client->getAllChannels();
    ASSERT_TRUE(waitFor([&] {
      // Both read at one moment: the staging thread changes them together.
      std::lock_guard store(NSConfig::storeLock(kChannelConfigStoreName));
      Value pending = pendingDownloads();
      return staged() && pending.isDictionary() && pending.count() == left && downloadsIdle();
    })) << pendingDownloads().description();
  }

  std::shared_ptr<ClientRequest> client;
  std::shared_ptr<BusRecorder> bus;
};

TEST_F(ChannelImagesTest, ChannelListReplyReplacesTheCatalogueAndNamesTheNewChannels) {
  client->getNewChannels();
  ASSERT_TRUE(waitFor([&] { return bus->count(kNewChannelsAdded) == 1; }));

  // The server's enabled, shown channels in its order; the bundled catalogue had none of the
  // downloaded ones.
  std::vector<int> order;
  for (const auto& item : ChannelItem::getChannelList()) order.push_back(item->type);
  EXPECT_EQ(order, (std::vector<int>{2, 101, 102, 103, 104, 105, 8, 13, 7, 15, 5, 4, 3}));
  EXPECT_EQ(bus->posts[0].type, 125);
  EXPECT_EQ(bus->posts[0].data,
            Value(makeArray(
                {Value(makeArray({Value(101), Value(102), Value(103), Value(104), Value(105)}))})));
  // No picture came with it: the downloaded channels wait for theirs.
  EXPECT_EQ(imageRequests(), 0u);
  auto pages = ChannelItem::channelItems();
  ASSERT_TRUE(pages);
  size_t usable = 0;
  for (const auto& page : *pages) usable += page.size();
  EXPECT_EQ(usable, 8u);
}

TEST_F(ChannelImagesTest, StagedCatalogueIsInstalledOnceItsImagesAreOnDisk) {
  const std::string before = contents(ChannelItem::filePath());
  stageAllChannels();

  // Every picture of the five channels, once each, checked against the MD5 the list gave.
  EXPECT_EQ(imageRequests(), 25u);
  for (int channel : kDownloadedChannels) {
    Value entry = channel_test::entryIn(stagedCatalogue(), channel);
    ASSERT_TRUE(entry.isDictionary()) << channel;
    const std::pair<int, const char*> sums[] = {
        {0, "LogoMD5"}, {1, "BackMD5"}, {2, "NaviMD5"}, {3, "ChannelMD5"}, {4, "NightMD5"}};
    for (const auto& [kind, key] : sums) {
      const std::string file = kDestinations[kind](channel);
      EXPECT_EQ(server.requests(imagePath(channel, kKinds[kind])).size(), 1u);
      EXPECT_EQ(Value(upperMd5(contents(file))), entry[key]) << file;
    }
  }
  // The catalogue itself waits for the next refresh.
  EXPECT_EQ(contents(ChannelItem::filePath()), before);
  EXPECT_EQ(bus->count(kNewChannelsAdded), 0);

  ChannelItem::channelIsRefresh();
  EXPECT_EQ(bus->count(kNewChannelsAdded), 1);
  EXPECT_FALSE(exists(stagedCatalogue()));
  for (int channel : kDownloadedChannels)
    EXPECT_TRUE(ChannelItem::getChannelItemByChannelId(channel)) << channel;
  size_t shownDownloaded = 0;
  auto pages = ChannelItem::channelItems();
  ASSERT_TRUE(pages);
  for (const auto& page : *pages)
    for (const auto& item : page) shownDownloaded += ChannelItem::usesDownloadedImages(item->type);
  EXPECT_EQ(shownDownloaded, 5u);
}

TEST_F(ChannelImagesTest, OnlyAChangedImageIsFetchedAgain) {
  stageAllChannels();
  ChannelItem::channelIsRefresh();
  const std::string oldIcon = contents(UIFilePath::getNewChannelImageIcon(102));

  server.setChannelImageEdition(102, "icon", 1);
  server.clearRequests();
  stageAllChannels();
  EXPECT_EQ(imageRequests(), 1u);
  EXPECT_EQ(server.requests(imagePath(102, "icon")).size(), 1u);
  const std::string newIcon = contents(UIFilePath::getNewChannelImageIcon(102));
  EXPECT_TRUE(newIcon != oldIcon);

  ChannelItem::channelIsRefresh();
  EXPECT_EQ(ChannelItem::getChannelItemByChannelId(102)->iconMD5, upperMd5(newIcon));
}

TEST_F(ChannelImagesTest, BadFilesStayPendingUntilALaterRefreshFetchesThemWell) {
  // A page that is no picture, and a picture that is not the one announced.
  server.script(imagePath(103, "icon"),
                EndpointScript::replyWith("<html>busy</html>", 200, "text/html").forRequests(1));
  const std::string other = contents(NSBundle::mainBundle()->resourcePath() + "/iconID1@2x.png");
  server.script(imagePath(104, "navigation"),
                EndpointScript::replyWith(other, 200, "image/png").forRequests(1));
  stageAllChannels(2);
  const std::string icon103 = UIFilePath::getNewChannelImageIcon(103);
  const std::string navigation104 = UIFilePath::getNewChannelImageNavigation(104);
  EXPECT_TRUE(waitFor([&] { return !exists(icon103); })) << "what is no picture is deleted";
  EXPECT_EQ(contents(navigation104), other) << "a picture of another MD5 stays";

  // Installation waits while pictures are missing; a refresh fetches them again.
  server.clearRequests();
  ChannelItem::channelIsRefresh();
  EXPECT_TRUE(exists(stagedCatalogue()));
  EXPECT_EQ(bus->count(kNewChannelsAdded), 0);
  ASSERT_TRUE(waitFor([&] { return nothingPending() && downloadsIdle(); }));
  EXPECT_EQ(server.requests(imagePath(103, "icon")).size(), 1u);
  EXPECT_EQ(server.requests(imagePath(104, "navigation")).size(), 1u);
  EXPECT_TRUE(exists(icon103));
  EXPECT_NE(contents(navigation104), other);

  ChannelItem::channelIsRefresh();
  EXPECT_EQ(bus->count(kNewChannelsAdded), 1);
  EXPECT_TRUE(ChannelItem::getChannelItemByChannelId(103));
}

TEST_F(ChannelImagesTest, NewChannelsAreAnnouncedWhenTheirImagesHaveDownloaded) {
  std::vector<Value> reply;
  for (int channel : {101, 102}) {
    const std::string n = std::to_string(channel);
    reply.push_back(Value(
        makeDictionary({{"ID", Value(channel)},
                        {"Name", Value("channel " + n)},
                        {"TemplateId", Value("EditorSuggestion")},
                        {"Logo", Value(server.url(imagePath(channel, "icon")))},
                        {"Background", Value(server.url(imagePath(channel, "background")))},
                        {"NaviTitle", Value(server.url(imagePath(channel, "navigation")))}})));
  }
  ChannelItem::updateChannelItemsWithArray(Value(makeArray(reply)));
  EXPECT_EQ(bus->count(kNewChannelsAdded), 0);
  ASSERT_TRUE(waitFor([&] { return bus->count(kNewChannelsAdded) == 1; }));
  EXPECT_EQ(imageRequests(), 6u);
  for (int channel : {101, 102}) {
    for (int kind : {0, 1, 2}) EXPECT_TRUE(exists(kDestinations[kind](channel))) << channel;
    EXPECT_TRUE(ChannelItem::getChannelItemByChannelId(channel));
  }
}

TEST_F(ChannelImagesTest, HundredsOfDownloadsCompletingTogetherLoseNoPendingKey) {
  // The server's pictures and their sums, as the staged catalogue has them.
  stageAllChannels();
  const char* const sumKeys[] = {"LogoMD5", "BackMD5", "NaviMD5", "ChannelMD5", "NightMD5"};
  struct Download {
    int channel, kind;
    std::string source, md5;
  };
  std::vector<Download> downloads;
  auto pending = std::make_shared<NSMutableDictionary>();
  // 300 pictures for 60 channels of their own, all asked for at once.
  for (int channel = 200; channel < 260; ++channel) {
    const int served = kDownloadedChannels[channel % 5];
    for (int kind = 0; kind < kChannelImageKinds; ++kind) {
      Download d{channel, kind, server.url(imagePath(served, kKinds[kind])),
                 std::string(channel_test::entryIn(stagedCatalogue(), served)[sumKeys[kind]].string())};
      pending->setObject(Value(d.source),
                         std::to_string(channel) + ":" + std::to_string(kind) + ":" + d.md5);
      downloads.push_back(d);
    }
  }
  NSConfig::setDicValue(Value(ValueDictionary(pending)), kChannelMd5NewKey,
                        kChannelConfigStoreName);
  for (const auto& d : downloads) {
    client->downloadChannelImage(d.channel, d.source, kDestinations[d.kind](d.channel), d.kind,
                                 Value(makeArray({Value(d.md5)})));
  }
  // The store keeps taking other writes meanwhile.
  int writes = 0;
  ASSERT_TRUE(waitFor([&] {
    NSConfig::setCacheValue(Value(++writes), "probe", kChannelConfigStoreName);
    return nothingPending() && downloadsIdle();
  })) << pendingDownloads().count()
      << " left";
  EXPECT_EQ(NSConfig::readCacheValueWithKey("probe", kChannelConfigStoreName), Value(writes));
  for (const auto& d : downloads)
    EXPECT_EQ(upperMd5(contents(kDestinations[d.kind](d.channel))), d.md5);
}

}  // namespace

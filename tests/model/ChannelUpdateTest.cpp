// Server channel lists merged into the catalogue, the staged catalogue and its installation, and
// the bookkeeping of channel images, against real files in the test's own home.  The downloads
// themselves are tested with the content-server client (tests/net/api/ChannelImagesTest.cpp).
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "Foundation/NSFileManager.h"
#include "Foundation/NSString.h"
#include "core/NSConfig.h"
#include "core/NotificationNames.h"
#include "core/UIFilePath.h"
#include "model/ChannelCatalogueFixture.h"
#include "model/ChannelItem.h"
#include "support/BusRecorder.h"
#include "uilib/core/NSData+ULCategory.h"

using namespace channel_test;

namespace {

// ---- fixtures ----

std::string stagedCatalogue() {
  return stringByAppendingPathComponent(NSDocumentDirectory(), kStagedChannelItemsFileName);
}

void storeStaged(const ChannelItemPages& pages) {
  storeCatalogue(pages, stagedCatalogue());
}

std::vector<std::vector<int>> numbersIn(const std::string& path) {
  std::vector<std::vector<int>> numbers;
  Value pages = objectFromJSONString(contents(path));
  if (!pages.isArray()) return numbers;
  for (const Value& page : *pages.array()) {
    std::vector<int> row;
    for (const Value& entry : *page.array()) row.push_back(entry["type"].intValue());
    numbers.push_back(row);
  }
  return numbers;
}

Value pendingDownloads() {
  return NSConfig::readDicWrithKey(kChannelMd5NewKey, kChannelConfigStoreName);
}

void storePending(std::initializer_list<std::pair<std::string, Value>> keys) {
  NSConfig::setDicValue(Value(makeDictionary(keys)), kChannelMd5NewKey, kChannelConfigStoreName);
}

Value channelNews() {
  return NSConfig::readCacheValueWithKey(kChannelNewsKey, kChannelConfigStoreName);
}

void setChannelNews(std::string_view value) {
  NSConfig::setCacheValue(Value(value), kChannelNewsKey, kChannelConfigStoreName);
}

std::string upperMd5(const std::string& bytes) {
  return uppercaseString(md5Hash(bytes));
}

std::string bundleFile(std::string_view name) {
  return contents(NSBundle::mainBundle()->resourcePath() + "/" + std::string(name));
}

// A picture of the bundle, as image bytes for the tests.
std::string picture(int n) {
  return bundleFile("iconID" + std::to_string(n) + "@2x.png");
}

void writeImage(const std::string& path, const std::string& bytes) {
  ASSERT_TRUE(UIFilePath::makeSureFolderOf(path));
  writeText(path, bytes);
}

ChannelImageDownload finished(const std::string& path, int channel, int kind,
                              const std::string& md5) {
  ChannelImageDownload d;
  d.downloadDestinationPath = path;
  d.mtag = channel;
  d.tag = kind;
  d.localInfo = Value(makeArray({Value(md5)}));
  return d;
}

// ---- the rules ----

TEST(ChannelUpdateRules, ChangeOfAnMd5OrAnAddress) {
  struct Case {
    const char* old;
    const char* fresh;
    bool changed;
  };
  const Case cases[] = {{"abc", "", false},   {"abc", "abc", false}, {"", "abc", true},
                        {"abc", "abd", true}, {"", "", false},       {"ABC", "abc", true}};
  for (const auto& c : cases) {
    EXPECT_EQ(ChannelItem::isMd5Change(c.old, c.fresh), c.changed) << c.old << " → " << c.fresh;
    EXPECT_EQ(ChannelItem::isUrlChange(c.old, c.fresh), c.changed) << c.old << " → " << c.fresh;
  }
}

TEST(ChannelUpdateRules, ImageKindByTheEndOfAName) {
  const std::pair<const char*, int> cases[] = {
      {"navigation", 2}, {"101/navigation", 2}, {"icon", 0},     {"background", 1},
      {"tuijian", 3},    {"tuijian_theme1", 0}, {"icon.png", 0}, {"", 0}};
  for (const auto& [name, kind] : cases)
    EXPECT_EQ(ChannelItem::getTypeWithName(name), kind) << name;
}

TEST(ChannelUpdateRules, ImageMd5IsComparedWithoutRegardToCase) {
  const std::string path = NSTemporaryDirectory() + "/probe.png";
  const std::string bytes = picture(1);
  writeImage(path, bytes);
  const std::string lower = md5Hash(bytes);
  EXPECT_TRUE(ChannelItem::isImageMd5Ok(path, lower));
  EXPECT_TRUE(ChannelItem::isImageMd5Ok(path, uppercaseString(lower)));
  EXPECT_FALSE(ChannelItem::isImageMd5Ok(path, "0cc175b9c0f1b6a831c399e269772661"));
  // Nothing expected passes, even without a file; an expected sum without a file fails.
  EXPECT_TRUE(ChannelItem::isImageMd5Ok(path + ".missing", ""));
  EXPECT_FALSE(ChannelItem::isImageMd5Ok(path + ".missing", lower));
}

// ---- merges of server lists ----

TEST(ChannelUpdateMerge, UserSelectionKeepsSubscriptionsAndTheUnmentionedChannels) {
  auto subscribed = channel(1);
  subscribed->hasSubscribed = true;
  storeCatalogue({{subscribed, channel(2), channel(3)}, {channel(4)}});
  auto bus = BusRecorder::observing({kNewChannelsAdded});

  auto two = channel(2), five = hidden(channel(5)), one = channel(1), six = channel(6);
  six->isEnabled = false;
  ChannelItemArray server{two, five, one, six};
  for (int n = 10; n < 17; ++n) server.push_back(channel(n));
  ChannelItem::updateUserSelectChannel(server);

  // Shown server channels, the stored ones not mentioned, then the hidden ones, by 8.
  EXPECT_EQ(storedNumbers(),
            (std::vector<std::vector<int>>{{2, 1, 10, 11, 12, 13, 14, 15}, {16, 3, 4, 5}}));
  EXPECT_TRUE(entryIn(documentsCatalogue(), 1)["hasSubscribed"].boolValue());
  EXPECT_FALSE(entryIn(documentsCatalogue(), 5)["isShowByUser"].boolValue());
  ASSERT_EQ(bus->posts.size(), 1u);
  EXPECT_EQ(bus->posts[0].type, -1) << "posted without a message";
}

TEST(ChannelUpdateMerge, ListWithoutARecordWritesAndPostsNothing) {
  storeCatalogue({{channel(1)}});
  const std::string before = contents(documentsCatalogue());
  auto bus = BusRecorder::observing({kNewChannelsAdded});
  ChannelItem::updateUserSelectChannel({channel(2), nullptr});
  ChannelItem::updateNewChannelList({nullptr});
  ChannelItem::updateProfileSelectChannel({channel(2), nullptr});
  ChannelItem::updateAllChannel({nullptr});
  // An empty list is no channel list at all.
  ChannelItem::updateNewChannelList({});
  EXPECT_EQ(contents(documentsCatalogue()), before);
  EXPECT_FALSE(exists(stagedCatalogue()));
  EXPECT_TRUE(bus->posts.empty());
}

TEST(ChannelUpdateMerge, NewChannelListKeepsOnlyTheServersShownChannels) {
  auto stored120 = channel(120);
  stored120->iconImage = "http://img/120/icon-1.png";
  stored120->navigationImage = "http://img/120/navi.png";
  stored120->hasSubscribed = true;
  storeCatalogue({{channel(1), stored120, channel(3)}, {hidden(channel(4))}});
  for (const std::string& path :
       {UIFilePath::getNewChannelImageIcon(120), UIFilePath::getNewChannelImageNavigation(120)})
    writeImage(path, picture(2));
  auto bus = BusRecorder::observing({kNewChannelsAdded});

  auto server120 = channel(120);
  server120->iconImage = "http://img/120/icon-2.png";  // a new address
  server120->navigationImage = "";                     // no address is no change
  auto off = channel(3);
  off->isEnabled = false;
  ChannelItemArray server{channel(7), server120, off, hidden(channel(8)), channel(4)};
  ChannelItem::updateNewChannelList(server);

  EXPECT_EQ(storedNumbers(), (std::vector<std::vector<int>>{{7, 120, 4}}));
  EXPECT_TRUE(entryIn(documentsCatalogue(), 120)["hasSubscribed"].boolValue());
  EXPECT_FALSE(exists(UIFilePath::getNewChannelImageIcon(120)));
  EXPECT_TRUE(exists(UIFilePath::getNewChannelImageNavigation(120)));
  // Channel 4 was stored (hidden), so only 7 is new.
  ASSERT_EQ(bus->posts.size(), 1u);
  EXPECT_EQ(bus->posts[0].type, 125);
  EXPECT_EQ(bus->posts[0].data, Value(makeArray({Value(makeArray({Value(7)}))})));
}

TEST(ChannelUpdateMerge, ProfileSelectionHidesTheUnmentionedAndCountsReshownAsNew) {
  storeCatalogue({{channel(1), hidden(channel(2)), channel(3)}});
  auto bus = BusRecorder::observing({kNewChannelsAdded});
  ChannelItem::updateProfileSelectChannel({channel(2), channel(9), hidden(channel(1))});
  EXPECT_EQ(storedNumbers(), (std::vector<std::vector<int>>{{2, 9, 1, 3}}));
  EXPECT_FALSE(entryIn(documentsCatalogue(), 3)["isShowByUser"].boolValue());
  ASSERT_EQ(bus->posts.size(), 1u);
  EXPECT_EQ(bus->posts[0].type, 101);
  EXPECT_EQ(bus->posts[0].data, Value(makeArray({Value(makeArray({Value(2), Value(9)}))})));
}

// ---- the new-channels reply ----

Value serverChannel(int number) {
  const std::string n = std::to_string(number);
  return Value(makeDictionary({{"ID", Value(number)},
                               {"Name", Value("new " + n)},
                               {"Logo", Value("http://img/" + n + "/icon.png")},
                               {"Background", Value("http://img/" + n + "/background.png")},
                               {"NaviTitle", Value("http://img/" + n + "/navigation.png")},
                               {"TemplateId", Value("EditorSuggestion")}}));
}

TEST(ChannelUpdateNewChannels, DownloadedChannelsGoWithTheirImagesAndNewOnesFillTheLastPage) {
  storeCatalogue({{channel(1), channel(2), channel(3), channel(4), channel(5)},
                  {channel(101), channel(102)},
                  {channel(6), channel(103)}});
  writeImage(UIFilePath::getNewChannelImageIcon(101), picture(2));
  auto bus = BusRecorder::observing({kNewChannelsAdded});

  // 7 fill the last page to 8; the other 8 make 8 ÷ 8 + 1 = 2 pages, the second left empty.
  std::vector<Value> reply;
  for (int n = 200; n < 215; ++n) reply.push_back(serverChannel(n));
  ChannelItem::updateChannelItemsWithArray(Value(makeArray(reply)));

  EXPECT_EQ(storedNumbers(),
            (std::vector<std::vector<int>>{{1, 2, 3, 4, 5},
                                           {6, 200, 201, 202, 203, 204, 205, 206},
                                           {207, 208, 209, 210, 211, 212, 213, 214},
                                           {}}));
  EXPECT_FALSE(exists(UIFilePath::getNewChannelImage(101)));
  Value added = entryIn(documentsCatalogue(), 200);
  EXPECT_EQ(added["icon"], Value("http://img/200/icon.png"));
  EXPECT_EQ(added["name"], Value("new 200"));
  // No downloader is installed here: nothing to wait for, so the news comes at once.
  EXPECT_EQ(bus->count(kNewChannelsAdded), 1);
}

TEST(ChannelUpdateNewChannels, NoReplyOnlyRemovesDownloadedChannels) {
  for (const Value& reply : {Value(), Value(makeArray()), Value("not a list")}) {
    storeCatalogue({{channel(1), channel(101)}, {channel(102)}});
    auto bus = BusRecorder::observing({kNewChannelsAdded});
    ChannelItem::updateChannelItemsWithArray(reply);
    EXPECT_EQ(storedNumbers(), (std::vector<std::vector<int>>{{1}})) << reply.description();
    EXPECT_EQ(bus->count(kNewChannelsAdded), 1);
  }
}

TEST(ChannelUpdateNewChannels, NewChannelsOpenAPageWhenNoneIsLeft) {
  storeCatalogue({{channel(101)}, {channel(102)}});
  ChannelItem::updateChannelItemsWithArray(Value(makeArray({serverChannel(300)})));
  // The store cannot read an empty catalogue; the new channel must be on a page.
  EXPECT_EQ(storedNumbers(), (std::vector<std::vector<int>>{{300}, {}}));
  EXPECT_EQ(ChannelItem::getChannelList().size(), 1u);
}

// ---- staging and installation ----

TEST(ChannelUpdateStaging, ChangedImagesArePendingAndUnchangedOnesComeFromTheBundle) {
  auto icon1 = channel(1);
  icon1->iconImage = "iconID1.png";
  icon1->iconMD5 = "";
  icon1->navigationImage = "naviTitle1.png";
  icon1->backgroundImage = "channelRed.png";
  icon1->channelIcon = "channeliconID1.png";
  icon1->isShowByUser = false;
  auto stored101 = channel(101);
  stored101->iconMD5 = "AAAA";
  stored101->navigationMD5 = "BBBB";
  storeCatalogue({{icon1, stored101, channel(7, kTemplateMyFavorite)}});

  auto server1 = channel(1);  // no sums: nothing changed
  server1->isInTuiJian = true;
  auto server101 = channel(101);
  server101->iconImage = "http://img/101/icon.png";
  server101->iconMD5 = "CCCC";  // changed
  server101->navigationImage = "http://img/101/navigation.png";
  server101->navigationMD5 = "BBBB";  // unchanged
  auto server150 = channel(150);      // new, with one picture announced
  server150->backgroundImage = "http://img/150/background.png";
  server150->backgroundMD5 = "DDDD";
  auto off = channel(9);
  off->isEnabled = false;
  storePending({{"999:0:OLD", Value("left over")}});
  ChannelItem::updateAllChannel({server1, server101, server150, off});

  // Enabled server channels, the stored ones not mentioned, then the disabled ones.
  EXPECT_EQ(numbersIn(stagedCatalogue()), (std::vector<std::vector<int>>{{1, 101, 150, 7, 9}}));
  EXPECT_EQ(channelNews(), Value("1"));
  EXPECT_EQ(pendingDownloads(),
            Value(makeDictionary({{"101:0:CCCC", Value("http://img/101/icon.png")},
                                  {"150:1:DDDD", Value("http://img/150/background.png")}})));
  // The user's choice carries over; the stored catalogue is untouched until installation.
  EXPECT_FALSE(entryIn(stagedCatalogue(), 1)["isShowByUser"].boolValue());
  EXPECT_EQ(storedNumbers(), (std::vector<std::vector<int>>{{1, 101, 7}}));

  // Channel 1's unchanged pictures were placed from the bundle; the icon, which had no sum,
  // took the copy's.
  const std::string icon = bundleFile("iconID1@2x.png");
  EXPECT_EQ(contents(UIFilePath::getNewChannelImageIcon(1)), icon);
  EXPECT_EQ(entryIn(stagedCatalogue(), 1)["LogoMD5"], Value(upperMd5(icon)));
  EXPECT_EQ(contents(UIFilePath::getNewChannelImageBackground(1)), bundleFile("channelRed@2x.png"));
  EXPECT_EQ(entryIn(stagedCatalogue(), 1)["BackMD5"], Value(""));
  EXPECT_EQ(contents(UIFilePath::getNewChannelImageTuiJian(1)),
            bundleFile("channeliconID1@2x.png"));
}

TEST(ChannelUpdateStaging, BundleCopyKeepsAGivenSumAndNeverOverwrites) {
  auto item = channel(2);
  item->iconMD5 = "GIVEN";
  ChannelItem::copyImageFrom("iconID2.png", item, kChannelImageIcon);
  EXPECT_EQ(item->iconMD5, "GIVEN");
  EXPECT_EQ(contents(UIFilePath::getNewChannelImageIcon(2)), bundleFile("iconID2@2x.png"));

  // A name the bundle lacks falls back on the channel's own icon; a file on disk stays.
  auto other = channel(3);
  ChannelItem::copyImageFrom("http://img/3/icon.png", other, kChannelImageIcon);
  EXPECT_EQ(contents(UIFilePath::getNewChannelImageIcon(3)), bundleFile("iconID3@2x.png"));
  ChannelItem::copyImageFrom("iconID5.png", other, kChannelImageIcon);
  EXPECT_EQ(contents(UIFilePath::getNewChannelImageIcon(3)), bundleFile("iconID3@2x.png"));

  // The night variant falls back through "<base>_theme1", then the channel's own.
  auto night = channel(7);
  ChannelItem::copyImageFrom("missing.png", night, kChannelImageTuiJianNight);
  EXPECT_EQ(contents(UIFilePath::getNewChannelImageTuiJian_Theme1(7)),
            bundleFile("channeliconID7_theme1@2x.png"));
  EXPECT_EQ(night->channelnightMD5, upperMd5(bundleFile("channeliconID7_theme1@2x.png")));
  // Backgrounds have no fallback.
  ChannelItem::copyImageFrom("missing.png", night, kChannelImageBackground);
  EXPECT_FALSE(exists(UIFilePath::getNewChannelImageBackground(7)));
}

TEST(ChannelUpdateInstall, NothingPendingInstallsTheStagedListAtOnce) {
  storeCatalogue({{channel(1), channel(2)}});
  storeStaged({{channel(1), channel(3)}});
  setChannelNews("1");
  auto bus = BusRecorder::observing({kNewChannelsAdded});
  ChannelItem::channelIsRefresh();
  EXPECT_EQ(storedNumbers(), (std::vector<std::vector<int>>{{1, 3, 2}}));
  EXPECT_FALSE(exists(stagedCatalogue()));
  EXPECT_EQ(channelNews(), Value("0"));
  EXPECT_EQ(bus->count(kNewChannelsAdded), 1);

  // Installed once: the next start finds nothing staged.
  ChannelItem::channelIsRefresh();
  EXPECT_EQ(bus->count(kNewChannelsAdded), 1);
}

TEST(ChannelUpdateInstall, OnlyAStagedListWaitingIsInstalled) {
  storeCatalogue({{channel(1)}});
  for (const char* news : {"", "0", "2", "x"}) {
    storeStaged({{channel(5)}});
    if (*news) setChannelNews(news);
    auto bus = BusRecorder::observing({kNewChannelsAdded});
    ChannelItem::channelIsRefresh();
    EXPECT_EQ(storedNumbers(), (std::vector<std::vector<int>>{{1}})) << news;
    EXPECT_TRUE(bus->posts.empty()) << news;
  }
}

TEST(ChannelUpdateInstall, UnusableStagedListIsDiscardedAndTheCatalogueStays) {
  storeCatalogue({{channel(1)}});
  writeText(stagedCatalogue(), "[[]]");
  setChannelNews("1");
  auto bus = BusRecorder::observing({kNewChannelsAdded});
  ChannelItem::channelIsRefresh();
  EXPECT_EQ(storedNumbers(), (std::vector<std::vector<int>>{{1}}));
  EXPECT_FALSE(exists(stagedCatalogue()));
  EXPECT_EQ(bus->count(kNewChannelsAdded), 1);
}

TEST(ChannelUpdateInstall, PendingKeyWhoseValueNamesAFileIsDropped) {
  // The key's value is the image's source name, tested as a path.
  const std::string somewhere = NSTemporaryDirectory() + "/source.png";
  writeImage(somewhere, picture(2));
  storeCatalogue({{channel(1)}});
  storeStaged({{channel(1), channel(2)}});
  setChannelNews("1");
  storePending({{"2:0:ABC", Value(somewhere)}});
  ChannelItem::channelIsRefresh();
  EXPECT_EQ(pendingDownloads(), Value(makeDictionary()));
  EXPECT_EQ(storedNumbers(), (std::vector<std::vector<int>>{{1, 2}}));
}

TEST(ChannelUpdateInstall, PendingDownloadKeepsTheStagedListWaiting) {
  storeCatalogue({{channel(1)}});
  storeStaged({{channel(1), channel(2)}});
  setChannelNews("1");
  storePending({{"2:0:ABC", Value("http://img/2/icon.png")}});
  auto bus = BusRecorder::observing({kNewChannelsAdded});
  ChannelItem::channelIsRefresh();
  EXPECT_EQ(storedNumbers(), (std::vector<std::vector<int>>{{1}}));
  EXPECT_TRUE(exists(stagedCatalogue()));
  EXPECT_EQ(pendingDownloads().count(), 1u);
  EXPECT_TRUE(bus->posts.empty());
}

TEST(ChannelUpdateInstall, StagedListTakesTheChoicesMadeSinceStaging) {
  auto favourites = channel(4, kTemplateMyFavorite);
  auto since = hidden(channel(2));  // hidden by the user after staging
  storeCatalogue({{channel(1), since, favourites, channel(9)}});
  auto newHidden = hidden(channel(7));
  auto off = channel(8);
  off->isEnabled = false;
  // The staged list drops the favourites channel and shows channel 2.
  storeStaged({{channel(2), channel(1), channel(3, kTemplateReadLater), newHidden, off}});
  ChannelItem::dataAsyn();
  // Shown staged channels, then the stored ones left over; the hidden ones last.
  EXPECT_EQ(numbersIn(stagedCatalogue()), (std::vector<std::vector<int>>{{1, 4, 9}, {2, 7}}));
  EXPECT_FALSE(entryIn(stagedCatalogue(), 2)["isShowByUser"].boolValue());
}

TEST(ChannelUpdateInstall, ApplicationUpdateMergesTheBundlesCatalogue) {
  Value bundle = objectFromJSONString(contents(bundleCatalogue()));
  std::vector<int> bundled;
  for (const Value& page : *bundle.array())
    for (const Value& entry : *page.array()) bundled.push_back(entry["type"].intValue());
  ASSERT_GE(bundled.size(), 3u);
  const int shownInBundle = bundled[0];
  // The user hid the first bundled channel and keeps two of their own.
  storeCatalogue(
      {{hidden(channel(shownInBundle)), channel(300), channel(301, kTemplateReadLater)}});
  ChannelItem::updataNewChannelConfig();

  std::vector<int> order = numbersOf(ChannelItem::getChannelList());
  EXPECT_EQ(std::count(order.begin(), order.end(), 300), 1);
  EXPECT_EQ(std::count(order.begin(), order.end(), 301), 0) << "read-later is the bundle's";
  // The hidden channels, the user's and the bundle's, make the last page.
  auto pages = storedNumbers();
  ASSERT_FALSE(pages.empty());
  const std::vector<int>& last = pages.back();
  ASSERT_FALSE(last.empty());
  EXPECT_EQ(last.front(), shownInBundle);
  for (int number : last)
    EXPECT_FALSE(ChannelItem::getChannelItemByChannelId(number)->isShowByUser);
  auto kept = ChannelItem::getChannelItemByChannelId(shownInBundle);
  ASSERT_TRUE(kept);
  EXPECT_FALSE(kept->isShowByUser);
  for (size_t p = 0; p + 1 < pages.size(); ++p) EXPECT_LE(pages[p].size(), 8u);
}

TEST(ChannelUpdateInstall, ApplicationUpdateWithoutAStoredCatalogueChangesNothing) {
  ChannelItem::updataNewChannelConfig();
  EXPECT_FALSE(exists(documentsCatalogue()));
}

// ---- completed downloads ----

TEST(ChannelUpdateImages, CompletedImageIsNoLongerPending) {
  const std::string bytes = picture(4);
  const std::string md5 = upperMd5(bytes);
  const std::string path = UIFilePath::getNewChannelImageIcon(101);
  writeImage(path, bytes);
  storePending({{"101:0:" + md5, Value("http://img/101/icon.png")},
                {"101:2:" + md5, Value("http://img/101/navigation.png")}});
  ChannelItem::imageAllFinish(finished(path, 101, kChannelImageIcon, md5));
  EXPECT_EQ(pendingDownloads(),
            Value(makeDictionary({{"101:2:" + md5, Value("http://img/101/navigation.png")}})));
  EXPECT_TRUE(exists(path));
}

TEST(ChannelUpdateImages, FileThatIsNotAnImageIsDeletedAndStaysPending) {
  const std::string path = UIFilePath::getNewChannelImageIcon(101);
  for (const std::string& body :
       {std::string("<html>not found</html>"), std::string(), picture(1).substr(0, 40)}) {
    writeImage(path, body);
    storePending({{"101:0:", Value("http://img/101/icon.png")}});
    ChannelItem::imageAllFinish(finished(path, 101, kChannelImageIcon, ""));
    EXPECT_FALSE(exists(path));
    EXPECT_EQ(pendingDownloads().count(), 1u);
  }
}

TEST(ChannelUpdateImages, ImageOfAnotherMd5StaysOnDiskAndPending) {
  const std::string path = UIFilePath::getNewChannelImageIcon(101);
  writeImage(path, picture(4));
  storePending({{"101:0:ABC", Value("http://img/101/icon.png")}});
  ChannelItem::imageAllFinish(finished(path, 101, kChannelImageIcon, "ABC"));
  EXPECT_TRUE(exists(path));
  EXPECT_EQ(pendingDownloads().count(), 1u);
}

TEST(ChannelUpdateImages, ManyCompletionsAtOnceLoseNoUpdate) {
  // A few hundred images finishing together on threads of their own, with nothing to keep them
  // apart but the store's lock, while other keys of the store change too.
  constexpr int kImages = 300;
  const std::string bytes = picture(2);
  const std::string md5 = upperMd5(bytes);
  auto pending = std::make_shared<NSMutableDictionary>();
  std::vector<ChannelImageDownload> downloads;
  for (int i = 0; i < kImages; ++i) {
    const int channel = 100 + i / kChannelImageKinds, kind = i % kChannelImageKinds;
    const std::string path =
        UIFilePath::getNewChannelImage(channel) + "image" + std::to_string(kind) + ".png";
    writeImage(path, bytes);
    pending->setObject(Value(path + ".source"),
                       std::to_string(channel) + ":" + std::to_string(kind) + ":" + md5);
    downloads.push_back(finished(path, channel, kind, md5));
  }
  // One download never completes.
  pending->setObject(Value("http://img/999/icon.png"), "999:0:" + md5);
  NSConfig::setDicValue(Value(ValueDictionary(pending)), kChannelMd5NewKey,
                        kChannelConfigStoreName);

  std::atomic<bool> go{false};
  std::vector<std::thread> threads;
  for (const auto& download : downloads) {
    threads.emplace_back([&go, download] {
      while (!go) std::this_thread::yield();
      ChannelItem::imageAllFinish(download);
    });
  }
  threads.emplace_back([&go] {
    while (!go) std::this_thread::yield();
    for (int i = 0; i < 50; ++i) setChannelNews(std::to_string(i));
  });
  go = true;
  for (auto& t : threads) t.join();

  EXPECT_EQ(pendingDownloads(),
            Value(makeDictionary({{"999:0:" + md5, Value("http://img/999/icon.png")}})));
  EXPECT_EQ(channelNews(), Value("49"));
}

}  // namespace

// The channel catalogue store: where the file lives, how a broken one is restored, the queries
// and the local writes, each against real files in the test's own home.
#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "core/NSConfig.h"
#include "core/UIFilePath.h"
#include "model/ChannelCatalogueFixture.h"
#include "model/ChannelItem.h"
#include "uilib/views/CustomerLauncherItem.h"

using namespace channel_test;

namespace {

// ---- where the catalogue lives ----

TEST(ChannelStoreFile, FirstStartReadsTheDefaultFromTheTemporaryFolderThenMovesIt) {
  ASSERT_FALSE(exists(documentsCatalogue()));
  ASSERT_FALSE(exists(temporaryCatalogue()));

  EXPECT_EQ(ChannelItem::filePath(), temporaryCatalogue());
  EXPECT_EQ(contents(temporaryCatalogue()), contents(bundleCatalogue()));
  EXPECT_FALSE(exists(documentsCatalogue()));

  EXPECT_EQ(ChannelItem::filePath(), documentsCatalogue());
  EXPECT_EQ(contents(documentsCatalogue()), contents(bundleCatalogue()));

  // Once Documents has it, the leftover in the temporary folder goes.
  EXPECT_EQ(ChannelItem::filePath(), documentsCatalogue());
  EXPECT_FALSE(exists(temporaryCatalogue()));
}

TEST(ChannelStoreFile, FirstQueryAnswersFromTheDefault) {
  auto channels = ChannelItem::getChannelList();
  Value bundle = objectFromJSONString(contents(bundleCatalogue()));
  size_t expected = 0;
  for (const Value& page : *bundle.array()) expected += page.count();
  EXPECT_EQ(channels.size(), expected);
}

TEST(ChannelStoreFile, UnusableCatalogueIsReplacedByTheBundleDefault) {
  const char* broken[] = {"",
                          "\n\n",
                          "[]",
                          "[[]]",
                          "[[],[]]",
                          "[[1,2]]",
                          R"({"a":[{"type":1}]})",
                          "not json",
                          R"([[{"type":1}])",
                          "[{\"type\":1}]"};
  Value bundle = objectFromJSONString(contents(bundleCatalogue()));
  for (const char* text : broken) {
    writeText(documentsCatalogue(), text);
    writeText(temporaryCatalogue(), "[[{\"type\":77}]]");
    Value pages = ChannelItem::getChannelString();
    EXPECT_TRUE(pages.isEqual(bundle)) << text;
    EXPECT_EQ(contents(documentsCatalogue()), contents(bundleCatalogue())) << text;
    EXPECT_FALSE(exists(temporaryCatalogue())) << text;
  }
}

TEST(ChannelStoreFile, LineFeedsAreIgnoredAndAUsableCatalogueIsKept) {
  const std::string text = "[\n [\n  {\"type\":5,\n   \"name\":\"甲\"}\n ],\n []\n]\n";
  writeText(documentsCatalogue(), text);
  Value pages = ChannelItem::getChannelString();
  ASSERT_EQ(pages.count(), 2u);
  EXPECT_EQ(pages[0][0]["name"], Value("甲"));
  EXPECT_EQ(contents(documentsCatalogue()), text);
}

TEST(ChannelStoreFile, IsFileNormal) {
  const std::pair<const char*, bool> cases[] = {{R"([[{"type":1}]])", true},
                                                {R"([[],[{"type":1}]])", true},
                                                {"[[]]", false},
                                                {"[]", false},
                                                {"", false},
                                                {"[[1]]", false},
                                                {R"({"p":[{}]})", false},
                                                {"[[{}", false}};
  const std::string path = stringByAppendingPathComponent(NSDocumentDirectory(), "probe.txt");
  for (const auto& [text, normal] : cases) {
    writeText(path, text);
    EXPECT_EQ(ChannelItem::isFileNormal(path), normal) << text;
  }
  EXPECT_FALSE(ChannelItem::isFileNormal(path + ".missing"));
}

TEST(ChannelStoreFile, FileErrorProcessInstallsTheDefaultInDocuments) {
  writeText(documentsCatalogue(), "[[{\"type\":5}]]");
  writeText(temporaryCatalogue(), "[[{\"type\":6}]]");
  EXPECT_EQ(ChannelItem::fileErrorProcess(), documentsCatalogue());
  EXPECT_EQ(contents(documentsCatalogue()), contents(bundleCatalogue()));
  EXPECT_FALSE(exists(temporaryCatalogue()));
}

TEST(ChannelStoreFile, FilePathWithNameSeedsOnlyAMissingFile) {
  const std::string path = ChannelItem::filePathWithName("ChannelItems_temp.txt");
  EXPECT_EQ(path, stringByAppendingPathComponent(NSDocumentDirectory(), "ChannelItems_temp.txt"));
  EXPECT_EQ(contents(path), contents(bundleCatalogue()));
  writeText(path, "[[{\"type\":9}]]");
  EXPECT_EQ(ChannelItem::filePathWithName("ChannelItems_temp.txt"), path);
  EXPECT_EQ(contents(path), "[[{\"type\":9}]]");
}

// ---- the bundle's default catalogue ----

TEST(ChannelStoreDefault, CoversEveryTemplateInPagesOfEightWithImages) {
  Value pages = objectFromJSONString(contents(bundleCatalogue()));
  ASSERT_TRUE(pages.isArray());
  ASSERT_TRUE(ChannelItem::isFileNormal(bundleCatalogue()));

  std::set<int> templates, numbers;
  bool hiddenSeen = false;
  for (size_t p = 0; p < pages.count(); ++p) {
    Value page = pages[p];
    ASSERT_TRUE(page.isArray());
    EXPECT_LE(page.count(), 8u);
    for (const Value& entry : *page.array()) {
      ASSERT_TRUE(entry.isDictionary());
      EXPECT_EQ(entry.count(), 24u);
      auto item = ChannelItem::initWithDic(entry);
      EXPECT_TRUE(numbers.insert(item->type).second) << "duplicate " << item->type;
      EXPECT_GE(item->type, 1);
      EXPECT_LT(item->type, 100) << "bundled channels carry their own images";
      EXPECT_TRUE(item->isEnabled);
      EXPECT_FALSE(item->name.empty());
      templates.insert(item->templateId);
      // Hidden channels share one last page.
      if (!item->isShowByUser) {
        EXPECT_EQ(p, pages.count() - 1);
        hiddenSeen = true;
      } else {
        EXPECT_FALSE(hiddenSeen);
      }
      if (ChannelItem::isGroupingTemplate(item->templateId)) {
        ASSERT_TRUE(item->subChannelIds) << item->type;
        ASSERT_TRUE(item->subChannelNames);
        EXPECT_EQ(item->subChannelIds->count(), item->subChannelNames->count());
      }
      // Every image the entry names is in the bundle, at least in its retina size.
      for (const std::string& image :
           {item->iconImage, item->backgroundImage, item->navigationImage, item->channelIcon,
            item->channelnightImg}) {
        if (image.empty()) continue;
        const std::string base = stringByDeletingPathExtension(image);
        EXPECT_TRUE(!NSBundle::mainBundle()->pathForResource(base + "@2x.png").empty() ||
                    !NSBundle::mainBundle()->pathForResource(image).empty())
            << image;
      }
    }
  }
  EXPECT_EQ(templates, (std::set<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 10, 11, 12, 13, 14, 15, 50}));
  EXPECT_TRUE(hiddenSeen);
  EXPECT_FALSE(ChannelItem::canSubscribeChannelItems()->empty());
  EXPECT_FALSE(ChannelItem::canInTuiJianChannelItems()->empty());
}

// ---- queries ----

TEST(ChannelStoreQuery, LookupsByNumber) {
  auto first = channel(7, 6);
  auto second = channel(7, 13);
  second->name = "second";
  storeCatalogue({{channel(1), first}, {second, channel(9, 8), channel(49999, 2)}});

  auto found = ChannelItem::getChannelItemByChannelId(7);
  ASSERT_TRUE(found);
  EXPECT_EQ(found->templateId, 6);
  EXPECT_EQ(found->name, "channel 7");
  EXPECT_EQ(ChannelItem::getTemplateIdByChannelId(7), 13);
  EXPECT_EQ(ChannelItem::getTemplateIdByChannelId(9), 8);
  ASSERT_TRUE(ChannelItem::getChannelItemByChannelId(49999));
  EXPECT_EQ(ChannelItem::getTemplateIdByChannelId(49999), 2);

  EXPECT_FALSE(ChannelItem::getChannelItemByChannelId(8));
  EXPECT_EQ(ChannelItem::getTemplateIdByChannelId(8), 1000);
}

TEST(ChannelStoreQuery, NumbersOutsideTheRangeAreNotLookedUp) {
  // A broken file would be replaced by any read: it stays, so nothing was read.
  writeText(documentsCatalogue(), "broken");
  for (int number : {0, 50000, -3}) {
    EXPECT_FALSE(ChannelItem::getChannelItemByChannelId(number)) << number;
    EXPECT_EQ(ChannelItem::getTemplateIdByChannelId(number), 1000) << number;
  }
  EXPECT_EQ(contents(documentsCatalogue()), "broken");

  // A number in range reads (and so restores) the catalogue.
  EXPECT_TRUE(ChannelItem::getChannelItemByChannelId(1));
  EXPECT_EQ(contents(documentsCatalogue()), contents(bundleCatalogue()));
}

TEST(ChannelStoreQuery, ChannelItemByIdMatchesOnlyEntriesCarryingAnId) {
  writeText(documentsCatalogue(), R"([[{"type":1},{"type":2,"id":5}],[{"type":3,"id":"6"}]])");
  ASSERT_TRUE(ChannelItem::channelItemById(5));
  EXPECT_EQ(ChannelItem::channelItemById(5)->type, 2);
  ASSERT_TRUE(ChannelItem::channelItemById(6));
  EXPECT_EQ(ChannelItem::channelItemById(6)->type, 3);
  EXPECT_FALSE(ChannelItem::channelItemById(0));
  EXPECT_FALSE(ChannelItem::channelItemById(7));
}

TEST(ChannelStoreQuery, FilteredLists) {
  auto recommended = channel(1);
  recommended->isInTuiJian = true;
  auto hiddenSubscribable = hidden(channel(2));
  hiddenSubscribable->canSubscribe = true;
  auto editor = channel(3, kTemplateSubscriptionEditor);
  auto subscribable = channel(5);
  subscribable->canSubscribe = true;
  storeCatalogue(
      {{recommended, hiddenSubscribable, editor}, {hidden(channel(4))}, {}, {subscribable}});

  EXPECT_EQ(numbersOf(ChannelItem::getChannelList()), (std::vector<int>{1, 2, 3, 4, 5}));
  EXPECT_EQ(numbersOf(*ChannelItem::channelItemArray()), (std::vector<int>{1, 2, 3, 4, 5}));
  EXPECT_EQ(numbersOf(*ChannelItem::channelItems()),
            (std::vector<std::vector<int>>{{1, 2, 3}, {4}, {}, {5}}));
  EXPECT_EQ(numbersOf(*ChannelItem::userChannelItems()),
            (std::vector<std::vector<int>>{{1, 3}, {5}}));
  EXPECT_EQ(numbersOf(*ChannelItem::userChannelItemArray()), (std::vector<int>{1, 3, 5}));
  EXPECT_EQ(numbersOf(*ChannelItem::canUserChannelItemArray()), (std::vector<int>{1, 5}));
  EXPECT_EQ(numbersOf(*ChannelItem::canInTuiJianChannelItems()), (std::vector<int>{1}));
  EXPECT_EQ(numbersOf(*ChannelItem::canSubscribeChannelItems()), (std::vector<int>{2, 5}));
}

void touch(const std::string& path) {
  writeText(path, "png");
}

TEST(ChannelStoreQuery, DownloadedChannelsWithoutTheirImagesAreLeftOut) {
  UIFilePath::getChannelFileDir(120);
  UIFilePath::getChannelFileDir(121);
  touch(UIFilePath::getNewChannelImageIcon(120));
  touch(UIFilePath::getNewChannelImageBackground(120));
  for (const std::string& path :
       {UIFilePath::getNewChannelImageIcon(121), UIFilePath::getNewChannelImageBackground(121),
        UIFilePath::getNewChannelImageNavigation(121)}) {
    touch(path);
  }
  storeCatalogue({{channel(120), channel(121), channel(99)}, {channel(1)}});

  NSConfig::setCacheValue(Value("1386381600"), kChannelUpdateDateKey);
  EXPECT_EQ(numbersOf(*ChannelItem::channelItems()),
            (std::vector<std::vector<int>>{{121, 99}, {1}}));
  EXPECT_EQ(NSConfig::readCacheValueWithKey(kChannelUpdateDateKey), Value(""));

  NSConfig::setCacheValue(Value("1386381600"), kChannelUpdateDateKey);
  EXPECT_EQ(numbersOf(*ChannelItem::userChannelItems()),
            (std::vector<std::vector<int>>{{121, 99}, {1}}));
  EXPECT_EQ(NSConfig::readCacheValueWithKey(kChannelUpdateDateKey), Value(""));

  // The flat lists do not look at images.
  EXPECT_EQ(numbersOf(*ChannelItem::userChannelItemArray()), (std::vector<int>{120, 121, 99, 1}));

  // With its navigation image in place the channel is back and the date stays.
  touch(UIFilePath::getNewChannelImageNavigation(120));
  NSConfig::setCacheValue(Value("1386381600"), kChannelUpdateDateKey);
  EXPECT_EQ(numbersOf(*ChannelItem::channelItems()),
            (std::vector<std::vector<int>>{{120, 121, 99}, {1}}));
  EXPECT_EQ(NSConfig::readCacheValueWithKey(kChannelUpdateDateKey), Value("1386381600"));
}

// ---- conversion ----

TEST(ChannelStoreConversion, PagesOfEight) {
  ChannelItemArray list;
  for (int i = 1; i <= 17; ++i) list.push_back(channel(i));
  ValueArray pages = ChannelItem::getArrayByChannelList(list);
  ASSERT_EQ(pages->count(), 3u);
  EXPECT_EQ(pages->objectAtIndex(0).count(), 8u);
  EXPECT_EQ(pages->objectAtIndex(1).count(), 8u);
  EXPECT_EQ(pages->objectAtIndex(2).count(), 1u);
  EXPECT_EQ(pages->objectAtIndex(2)[0]["type"], Value(17));
  EXPECT_EQ(ChannelItem::getArrayByChannelList({})->count(), 0u);
  list.resize(16);
  EXPECT_EQ(ChannelItem::getArrayByChannelList(list)->count(), 2u);
}

TEST(ChannelStoreConversion, HiddenPageHoldsEveryStoredHiddenChannel) {
  storeCatalogue({{channel(1), hidden(channel(2))}, {hidden(channel(3))}});
  auto pages = std::make_shared<NSMutableArray>();
  ChannelItem::addInHideItems(pages);
  ASSERT_EQ(pages->count(), 1u);
  Value page = pages->objectAtIndex(0);
  ASSERT_EQ(page.count(), 2u);
  EXPECT_EQ(page[0]["type"], Value(2));
  EXPECT_EQ(page[1]["type"], Value(3));

  storeCatalogue({{channel(1)}});
  pages = std::make_shared<NSMutableArray>();
  ChannelItem::addInHideItems(pages);
  EXPECT_EQ(pages->count(), 0u);
}

// ---- local writes ----

TEST(ChannelStoreWrite, UpdateChannelInfoWritesShownPagesThenTheHiddenOnes) {
  ChannelItemArray list;
  for (int i = 1; i <= 11; ++i) {
    auto item = channel(i);
    if (i == 3 || i == 6) item->isShowByUser = false;
    list.push_back(item);
  }
  storeCatalogue({{channel(50)}});
  EXPECT_EQ(ChannelItem::updateChannelInfo(list, 11), 1);
  EXPECT_EQ(storedNumbers(),
            (std::vector<std::vector<int>>{{1, 2, 4, 5, 7, 8, 9, 10}, {11}, {3, 6}}));
  // Every written entry carries the whole file format.
  Value stored = storedJSON();
  for (const Value& page : *stored.array()) {
    for (const Value& entry : *page.array()) EXPECT_EQ(entry.count(), 24u);
  }
  EXPECT_EQ(ChannelItem::updateChannelInfo(list, 1), 0);
  EXPECT_EQ(ChannelItem::updateChannelInfo(list, 10), 0);
  // Hidden or unknown channels are on no shown page.
  EXPECT_EQ(ChannelItem::updateChannelInfo(list, 3), -1);
  EXPECT_EQ(ChannelItem::updateChannelInfo(list, 12), -1);

  // Without hidden channels there is no hidden page.
  ChannelItem::updateChannelInfo(ChannelItemArray{channel(1), channel(2)});
  EXPECT_EQ(storedNumbers(), (std::vector<std::vector<int>>{{1, 2}}));
}

TEST(ChannelStoreWrite, LauncherItemCarriesItsChannel) {
  auto item = channel(14, 14);
  auto tile = CustomerLauncherItem::initWithChannelItem(item, false);
  EXPECT_EQ(tile->channelItem(), item);
  EXPECT_EQ(tile->URL(), "14");
  EXPECT_EQ(tile->title(), "");
  EXPECT_FALSE(tile->canDelete());
  EXPECT_EQ(tile->badgeNumber(), 0);
  tile->setBadgeNumber(3);
  EXPECT_EQ(tile->badgeValue(), std::optional<std::string>("3"));
  EXPECT_EQ(tile->badgeNumber(), 3);
  tile->setBadgeNumber(0);
  EXPECT_FALSE(tile->badgeValue());
}

std::vector<ChannelItemCarrierPtr> tiles(std::initializer_list<int> numbers) {
  std::vector<ChannelItemCarrierPtr> out;
  for (int n : numbers) out.push_back(CustomerLauncherItem::initWithChannelItem(channel(n), false));
  return out;
}

TEST(ChannelStoreWrite, SaveChannelItemsKeepsTheGridsGroupingAndTheHiddenChannels) {
  storeCatalogue({{channel(1), hidden(channel(20))}, {hidden(channel(21))}});
  ChannelItem::saveChannelItems({tiles({2}), tiles({1, 3, 4, 5, 6, 7, 8, 9, 10, 11}), {}});
  EXPECT_EQ(storedNumbers(),
            (std::vector<std::vector<int>>{{2}, {1, 3, 4, 5, 6, 7, 8, 9, 10, 11}, {}, {20, 21}}));
}

TEST(ChannelStoreWrite, SaveChannelItemsWithCustomCutsPagesOfEight) {
  storeCatalogue({{channel(1), hidden(channel(20))}});
  ChannelItem::saveChannelItemsWithCustom(tiles({10, 9, 8, 7, 6, 5, 4, 3, 2, 1}));
  EXPECT_EQ(storedNumbers(),
            (std::vector<std::vector<int>>{{10, 9, 8, 7, 6, 5, 4, 3}, {2, 1}, {20}}));
}

TEST(ChannelStoreWrite, UpdateChannelItemReplacesTheFirstEntryInPlace) {
  storeCatalogue({{channel(1), channel(2)}, {channel(3), channel(2)}});
  auto item = ChannelItem::getChannelItemByChannelId(2);
  item->hasSubscribed = true;
  item->name = "renamed";
  ChannelItem::updateChannelItem(item);

  EXPECT_EQ(storedNumbers(), (std::vector<std::vector<int>>{{1, 2}, {3, 2}}));
  Value pages = storedJSON();
  EXPECT_EQ(pages[0][1]["name"], Value("renamed"));
  EXPECT_EQ(pages[0][1]["hasSubscribed"], Value(true));
  EXPECT_EQ(pages[1][1]["name"], Value("channel 2"));
  EXPECT_EQ(pages[1][1]["hasSubscribed"], Value(false));

  // A record the catalogue lacks changes nothing.
  const std::string before = contents(documentsCatalogue());
  ChannelItem::updateChannelItem(channel(4));
  EXPECT_EQ(contents(documentsCatalogue()), before);
}

TEST(ChannelStoreWrite, AddChannelItemAppendsToAPageOrOpensTheNextOne) {
  storeCatalogue({{channel(1), channel(2)}, {channel(3)}});
  ChannelItem::addChannelItem(channel(4), 0);
  EXPECT_EQ(storedNumbers(), (std::vector<std::vector<int>>{{1, 2, 4}, {3}}));
  ChannelItem::addChannelItem(channel(5), 2);
  EXPECT_EQ(storedNumbers(), (std::vector<std::vector<int>>{{1, 2, 4}, {3}, {5}}));

  // Beyond the page after the last there is nowhere to put it: nothing is written.
  const std::string before = contents(documentsCatalogue());
  ChannelItem::addChannelItem(channel(6), 4);
  ChannelItem::addChannelItem(channel(6), -1);
  EXPECT_EQ(contents(documentsCatalogue()), before);
}

TEST(ChannelStoreWrite, InterestSetUpHooksChangeNothing) {
  storeCatalogue({{channel(1), channel(2)}});
  const std::string before = contents(documentsCatalogue());
  ChannelItem::exchangeItem(channel(1), channel(2));
  ChannelItem::updataZiViSelectChannel(Value::arrayOf({Value(1)}));
  EXPECT_EQ(contents(documentsCatalogue()), before);
}

TEST(ChannelStoreWrite, FailedWriteLeavesThePreviousFile) {
  storeCatalogue({{channel(1)}});
  const std::string before = contents(documentsCatalogue());
  auto pages = std::make_shared<NSMutableArray>();
  // A date is not JSON: the writer refuses it and the file stays whole.
  pages->addObject(Value::arrayOf({Value::date(0)}));
  EXPECT_FALSE(ChannelItem::writePages(pages, documentsCatalogue()));
  EXPECT_EQ(contents(documentsCatalogue()), before);
}

// Threads that each rewrite their own channel while others read: no update may be lost and no
// reader may ever see a half-written or restored catalogue.
TEST(ChannelStoreWrite, ConcurrentUpdatesAreNotLost) {
  constexpr int kWriters = 4;
  constexpr int kRounds = 9;
  ChannelItemArray list;
  for (int i = 1; i <= kWriters; ++i) list.push_back(channel(i));
  storeCatalogue({list});

  std::atomic<bool> done{false};
  std::atomic<int> badReads{0};
  std::thread reader([&] {
    while (!done) {
      if (ChannelItem::getChannelList().size() != size_t(kWriters)) ++badReads;
    }
  });
  std::vector<std::thread> writers;
  for (int w = 1; w <= kWriters; ++w) {
    writers.emplace_back([w] {
      for (int round = 0; round < kRounds; ++round) {
        auto item = ChannelItem::getChannelItemByChannelId(w);
        if (!item) continue;
        item->hasSubscribed = !item->hasSubscribed;
        item->index += 1;
        ChannelItem::updateChannelItem(item);
      }
    });
  }
  for (auto& t : writers) t.join();
  done = true;
  reader.join();

  EXPECT_EQ(badReads, 0);
  auto stored = ChannelItem::getChannelList();
  ASSERT_EQ(stored.size(), size_t(kWriters));
  for (const auto& item : stored) {
    EXPECT_EQ(item->index, kRounds) << item->type;
    EXPECT_EQ(item->hasSubscribed, kRounds % 2 == 1) << item->type;
  }
}

}  // namespace

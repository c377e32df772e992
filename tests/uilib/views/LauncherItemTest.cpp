// The launcher item: its archive, its badge, and the home grid's channel tile.
#include <gtest/gtest.h>

#include "model/ChannelItem.h"
#include "uilib/views/CustomerLauncherItem.h"
#include "uilib/views/ULLauncherItem.h"

TEST(LauncherItem, ArchivingKeepsTitleImageURLStyleAndDeleteFlagButNotTheBadge) {
  auto item = std::make_shared<ULLauncherItem>("Mail", "bundle://mail.png", "app://mail", true);
  item->setStyle("launcherButton:");
  item->setBadgeNumber(7);
  item->setUserInfo(Value("kept by the owner"));

  Value archive;
  item->encodeWithCoder(archive);
  auto back = ULLauncherItem::initWithCoder(archive);

  EXPECT_EQ(back->title(), "Mail");
  EXPECT_EQ(back->image(), "bundle://mail.png");
  EXPECT_EQ(back->URL(), "app://mail");
  EXPECT_EQ(back->style(), "launcherButton:");
  EXPECT_TRUE(back->canDelete());
  EXPECT_FALSE(back->badgeValue());
  EXPECT_TRUE(back->userInfo().isNil());
  EXPECT_EQ(archive["canDelete"].kind(), Value::Kind::Bool);
}

TEST(LauncherItem, AnEmptyArchiveGivesAnEmptyItemThatCannotBeDeleted) {
  auto back = ULLauncherItem::initWithCoder(Value::dictionaryOf());
  EXPECT_EQ(back->URL(), "");
  EXPECT_FALSE(back->canDelete());
}

TEST(LauncherItem, BadgeNumberReadsAndWritesTheBadgeText) {
  struct Case {
    std::optional<std::string> value;
    int number;
  };
  for (const Case& c :
       std::vector<Case>{{std::nullopt, 0}, {"5", 5}, {"100", 100}, {"New", 0}, {"12a", 12}}) {
    ULLauncherItem item;
    item.setBadgeValue(c.value);
    EXPECT_EQ(item.badgeNumber(), c.number) << c.value.value_or("(none)");
  }
  ULLauncherItem item;
  item.setBadgeNumber(42);
  EXPECT_EQ(item.badgeValue(), std::optional<std::string>("42"));
  item.setBadgeNumber(0);
  EXPECT_FALSE(item.badgeValue());
}

TEST(LauncherItem, AChannelTileIsNamedByItsChannelNumberAndCarriesTheRecord) {
  auto channel = std::make_shared<ChannelItem>();
  channel->type = 103;
  channel->name = "Tools";
  auto tile = CustomerLauncherItem::initWithChannelItem(channel, false);
  EXPECT_EQ(tile->URL(), "103");
  EXPECT_EQ(tile->title(), "");
  EXPECT_EQ(tile->image(), "");
  EXPECT_EQ(tile->style(), "");
  EXPECT_FALSE(tile->canDelete());
  EXPECT_EQ(tile->channelItem(), channel);
  EXPECT_TRUE(CustomerLauncherItem::initWithChannelItem(channel, true)->canDelete());
  EXPECT_TRUE(tile->isKindOfClass(ULLauncherItem::classObject()));
}

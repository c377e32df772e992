// Launcher items through a keyed archive: the channel tile comes back as a channel tile with
// its title, image, URL, style and delete flag, without its badge or channel.
#include <gtest/gtest.h>

#include "Foundation/NSKeyedArchiver.h"
#include "uilib/views/CustomerLauncherItem.h"

TEST(LauncherItemArchive, ItemsComeBackAsTheirOwnClassWithTheirKeys) {
  auto channel = std::make_shared<ChannelItem>();
  channel->type = 12;
  auto tile = CustomerLauncherItem::initWithChannelItem(channel, true);
  tile->setTitle("收藏");
  tile->setStyle("launcherButton:");
  tile->setBadgeNumber(4);
  auto plain = std::make_shared<ULLauncherItem>("其他", "bundle://x.png", "app://other");

  auto data =
      NSKeyedArchiver::archivedDataWithRootObject(Value::arrayOf({Value(tile), Value(plain)}));
  ASSERT_TRUE(data);
  Value back = NSKeyedUnarchiver::unarchiveObjectWithData(*data);
  ASSERT_EQ(back.count(), 2u);
  auto tileBack = back[0].object<CustomerLauncherItem>();
  ASSERT_TRUE(tileBack);
  EXPECT_EQ(tileBack->title(), "收藏");
  EXPECT_EQ(tileBack->URL(), "12");
  EXPECT_EQ(tileBack->style(), "launcherButton:");
  EXPECT_TRUE(tileBack->canDelete());
  EXPECT_EQ(tileBack->badgeNumber(), 0);
  EXPECT_FALSE(tileBack->channelItem());

  auto plainBack = back[1].object<ULLauncherItem>();
  ASSERT_TRUE(plainBack);
  EXPECT_FALSE(std::dynamic_pointer_cast<CustomerLauncherItem>(plainBack));
  EXPECT_EQ(plainBack->image(), "bundle://x.png");
  EXPECT_EQ(plainBack->URL(), "app://other");
  EXPECT_FALSE(plainBack->canDelete());
}

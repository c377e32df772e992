// Channel request state: the channel id a list screen sends for its number, kind and
// sub-channel, and the current channel it records app-wide.
#include <gtest/gtest.h>

#include <string>

#include "core/NSGlobe.h"
#include "model/Channel.h"
#include "model/ChannelCatalogueFixture.h"

using namespace channel_test;

namespace {

std::string currentChannel() {
  return NSGlobe::getEngine()->curChannel();
}

ValueArray ids(std::initializer_list<const char*> values) {
  auto array = std::make_shared<NSMutableArray>();
  for (const char* v : values) array->addObject(v);
  return array;
}

// A catalogue with the subscribable channels 12, 15 and 18, of which `subscribed` are chosen.
void storeSubscriptions(std::initializer_list<int> subscribed) {
  ChannelItemArray list;
  for (int number : {12, 15, 18}) {
    auto item = channel(number);
    item->canSubscribe = true;
    for (int s : subscribed) item->hasSubscribed |= s == number;
    list.push_back(item);
  }
  auto notSubscribable = channel(20);
  notSubscribable->hasSubscribed = true;
  list.insert(list.begin() + 1, notSubscribable);
  storeCatalogue({list});
}

TEST(ChannelState, SubscriptionListJoinsTheSubscribedChannels) {
  storeSubscriptions({15, 12});
  auto list = Channel::initWithActionType(kTemplateMySubscription);
  list->setSubType(0);
  EXPECT_EQ(list->channelId(), "120-150");
  EXPECT_EQ(currentChannel(), "120-150");

  list->setChannelType(9);
  EXPECT_EQ(list->subType(), 1);
  EXPECT_EQ(list->channelId(), "121-151");
  EXPECT_EQ(currentChannel(), "9-1");

  storeSubscriptions({});
  list->setSubType(0);
  EXPECT_EQ(list->channelId(), "");
  EXPECT_EQ(currentChannel(), "");
}

TEST(ChannelState, GroupingChannelUsesItsSubChannelIds) {
  auto group = Channel::initWithActionType(kTemplateBusinessManagement);
  group->setSubChannelIds(ids({"31", "32"}));
  group->setChannelType(3);
  EXPECT_EQ(group->subType(), 1);
  EXPECT_EQ(group->channelId(), "31");
  EXPECT_EQ(currentChannel(), "31");

  group->setSubType(2);
  EXPECT_EQ(group->channelId(), "32");
  EXPECT_EQ(currentChannel(), "32");
  group->setSubType(3);
  EXPECT_EQ(group->channelId(), "33");
  group->setSubType(0);
  EXPECT_EQ(group->channelId(), "30");
  EXPECT_EQ(currentChannel(), "30");
}

TEST(ChannelState, GroupingChannelWithoutSubChannelIds) {
  for (int kind : {2, 11, 14}) {
    auto group = Channel::initWithChannelType(7, kind);
    EXPECT_EQ(group->channelId(), "71") << kind;
    EXPECT_EQ(currentChannel(), "7-1") << kind;
    group->setSubType(4);
    EXPECT_EQ(group->channelId(), "74") << kind;
  }
  // An empty array is as good as none.
  auto group = Channel::initWithActionType(2);
  group->setSubChannelIds(ids({}));
  group->setChannelType(7);
  EXPECT_EQ(group->channelId(), "71");
  EXPECT_EQ(currentChannel(), "7-1");
}

TEST(ChannelState, ChannelIdOfEachKind) {
  struct Case {
    int kind;
    const char* channelId;
  } cases[] = {{0, "23"},  {3, "23"},  {4, "23"},  {5, "23"},  {6, "23"},   {7, "23"},
               {10, "23"}, {12, "23"}, {13, "23"}, {15, "23"}, {103, "23"}, {1, "2"},
               {9, "0"},   {50, "0"},  {51, "0"},  {-1, "0"},  {104, "0"}};
  for (const auto& c : cases) {
    auto state = Channel::initWithChannelType(23, c.kind);
    EXPECT_EQ(state->channelType(), 23);
    EXPECT_EQ(state->actionType(), c.kind);
    EXPECT_EQ(state->subType(), 0);
    EXPECT_EQ(state->channelId(), c.channelId) << c.kind;
    EXPECT_EQ(currentChannel(), "23") << c.kind;
  }
  // The fan wall asks for "2" whatever its number.
  EXPECT_EQ(Channel::initWithChannelType(99, 1)->channelId(), "2");
}

TEST(ChannelState, SubTypeOfAPlainKindOnlyRecordsTheCurrentChannel) {
  auto plain = Channel::initWithChannelType(23, 0);
  plain->setSubType(5);
  EXPECT_EQ(plain->subType(), 5);
  EXPECT_EQ(plain->channelId(), "23");
  EXPECT_EQ(currentChannel(), "23");
}

TEST(ChannelState, InitialisersSetKindBeforeNumber) {
  auto byNumber = Channel::initWithChannelType(4);
  EXPECT_EQ(byNumber->actionType(), 0);
  EXPECT_EQ(byNumber->channelId(), "4");

  auto byKind = Channel::initWithActionType(51);
  EXPECT_EQ(byKind->actionType(), 51);
  EXPECT_EQ(byKind->channelType(), 0);
  EXPECT_EQ(byKind->channelId(), "");

  auto item = channel(14, 14);
  item->name = "企业管理";
  item->subChannelIds = ids({"141", "142"});
  item->subChannelNames = ids({"企业名录", "产品"});
  auto fromItem = Channel::initWithChannelItem(item);
  EXPECT_EQ(fromItem->channelType(), 14);
  EXPECT_EQ(fromItem->actionType(), 14);
  EXPECT_EQ(fromItem->channelName(), "企业管理");
  EXPECT_EQ(fromItem->subChannelNames(), item->subChannelNames);
  EXPECT_EQ(fromItem->channelId(), "141");
  EXPECT_EQ(currentChannel(), "141");
}

TEST(ChannelState, CopyIsAFreshChannelOfTheSameNumber) {
  storeSubscriptions({12});
  auto original = Channel::initWithChannelType(9, kTemplateMySubscription);
  original->setChannelName("我的订阅");
  original->setText("keyword");
  original->setSubChannelIds(ids({"91"}));
  original->setChannelStatuses(std::make_shared<NSMutableArray>());
  ASSERT_EQ(original->channelId(), "121");

  auto copy = original->copy();
  EXPECT_NE(copy, original);
  EXPECT_EQ(copy->channelType(), 9);
  EXPECT_EQ(copy->actionType(), 0);
  EXPECT_EQ(copy->subType(), 0);
  EXPECT_EQ(copy->channelId(), "9");
  EXPECT_EQ(currentChannel(), "9");
  EXPECT_EQ(copy->channelName(), "我的订阅");
  EXPECT_EQ(copy->text(), "keyword");
  EXPECT_FALSE(copy->subChannelIds());
  // The loaded items are the very same array: a page loaded into one shows in the other.
  EXPECT_EQ(copy->channelStatuses(), original->channelStatuses());
  original->channelStatuses()->addObject(Value("item"));
  EXPECT_EQ(copy->channelStatuses()->count(), 1u);
}

TEST(ChannelState, GetChannelType) {
  const std::pair<const char*, int> cases[] = {
      {"0", 1},         {"-5", 1}, {"50000", 1}, {"abc", 1},     {"", 1},
      {"49999", 49999}, {"1", 1},  {"12", 12},   {" 12abc", 12}, {"99999999999", 1}};
  for (const auto& [text, number] : cases) {
    EXPECT_EQ(Channel::getChannelType(text), number) << text;
  }
}

TEST(ChannelState, NavigationTitleImage) {
  EXPECT_EQ(Channel::getCurNaviTitle(7), "naviTitle7");
  EXPECT_EQ(Channel::getCurNaviTitle(120), "naviTitle120");
}

}  // namespace

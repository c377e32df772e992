// Announcements, unread counts, hot searches, feedback, real-time quotes, shops and interest
// groups read by the reply parser.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/ZizaJsonStatusParser.h"

namespace {

using P = ZizaJsonStatusParser;

TEST(MessageParser, TheAnnouncementIsReadFromItsDictionary) {
  auto message =
      P::parseToMsgInfo(R"({"Announce":{"c_id":"7","c_msg":"维护通知","c_group_id":3}})");
  ASSERT_TRUE(message);
  EXPECT_EQ(message->itemId, 7);
  EXPECT_EQ(message->itemName, "维护通知");
  EXPECT_EQ(message->areaId, 3);
  for (const char* reply : {"", "[]", "{}", R"({"Announce":[]})", R"({"Announce":null})"}) {
    SCOPED_TRACE(reply);
    EXPECT_EQ(P::parseToMsgInfo(reply), nullptr);
  }
}

TEST(MessageParser, UnreadCountsNotGivenAreZero) {
  auto counts = P::parseToZizaMsgInfo(R"({"cmt":3,"mention_status":"2","dm":null})");
  ASSERT_TRUE(counts);
  EXPECT_EQ(counts->cmt, 3);
  EXPECT_EQ(counts->mention_status, 2);
  for (int32_t other :
       {counts->status, counts->follower, counts->dm, counts->mention_cmt, counts->group,
        counts->notice, counts->invite, counts->badge, counts->photo}) {
    EXPECT_EQ(other, 0);
  }
  auto all = P::parseToZizaMsgInfo(
      R"({"status":1,"follower":2,"cmt":3,"dm":4,"mention_status":5,"mention_cmt":6,"group":7,)"
      R"("notice":8,"invite":9,"badge":10,"photo":11})");
  EXPECT_EQ((std::vector<int32_t>{all->status, all->follower, all->cmt, all->dm,
                                  all->mention_status, all->mention_cmt, all->group, all->notice,
                                  all->invite, all->badge, all->photo}),
            (std::vector<int32_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
  EXPECT_EQ(P::parseToZizaMsgInfo("[]"), nullptr);
}

TEST(MessageParser, HotSearchWordsFeedbackAndQuotes) {
  auto words = P::parseToHotSearchList(
      R"([{"Keyword":"奶粉","Count":"12000000000","Desc":"d"},"x",{"Keyword":null}])");
  ASSERT_TRUE(words);
  ASSERT_EQ(words->size(), 2u);
  EXPECT_EQ((*words)[0]->itemName, "奶粉");
  EXPECT_EQ((*words)[0]->count, 12000000000LL);
  EXPECT_EQ((*words)[0]->desc, "d");
  EXPECT_EQ((*words)[1]->itemName, "");

  auto feedback = P::parseToFanKuiList(
      R"([{"id":9,"c_name":"读者","c_imgurl":"http://h/i.png","c_add_dt":"2013-12-07 10:00",)"
      R"("c_text":"好","c_create_dt":"Sat Dec 07 10:00:00 +0800 2013","c_verified":1}])");
  ASSERT_TRUE(feedback);
  ASSERT_EQ(feedback->size(), 1u);
  const NSFanKuiItem& f = *(*feedback)[0];
  EXPECT_EQ(f.itemId, 9);
  EXPECT_EQ(f.itemName, "读者");
  EXPECT_EQ(f.imgUrl, "http://h/i.png");
  EXPECT_EQ(f.times, "2013-12-07 10:00");
  EXPECT_EQ(f.text, "好");
  EXPECT_EQ(f.create_at, 1386381600);
  EXPECT_TRUE(f.verified);

  for (auto parse : {&P::parseToCerSearchList, &P::parseToRealTimeQuotesList}) {
    auto quotes = parse(R"([{"id":4,"c_name":"q","c_url":"http://h/q"},7])");
    ASSERT_TRUE(quotes);
    ASSERT_EQ(quotes->size(), 1u);
    EXPECT_EQ((*quotes)[0]->itemId, 4);
    EXPECT_EQ((*quotes)[0]->itemName, "q");
    EXPECT_EQ((*quotes)[0]->clickURL, "http://h/q");
    EXPECT_EQ(parse("{}"), std::nullopt);
  }
  EXPECT_EQ(P::parseToHotSearchList("{}"), std::nullopt);
  EXPECT_EQ(P::parseToFanKuiList("not json"), std::nullopt);
}

TEST(ShopParser, AShopWithItsCities) {
  auto shops = P::parseToShopList(
      R"({"ShopBrandList":[{"Id":1,"Name":"店","ShopCount":"12","Url":"u","WebSite":"w",)"
      R"("Logo":"l","CityList":[{"Id":10,"Name":"上海"},"x"]},{"Id":2,"CityList":"上海"},5]})");
  ASSERT_TRUE(shops);
  ASSERT_EQ(shops->size(), 2u);
  const NSShopItem& s = *(*shops)[0];
  EXPECT_EQ(s.itemId, 1);
  EXPECT_EQ(s.itemName, "店");
  EXPECT_EQ(s.itemDetail, "12");
  EXPECT_EQ(s.linkUrl, "u");
  EXPECT_EQ(s.showUrl, "w");
  EXPECT_EQ(s.imageUrl, "l");
  ASSERT_TRUE(s.cityList);
  ASSERT_EQ(s.cityList->size(), 1u);
  EXPECT_EQ((*s.cityList)[0]->itemId, 10);
  EXPECT_EQ((*s.cityList)[0]->itemName, "上海");
  // Without a count the shop shows "0"; a city list that is a string is none.
  EXPECT_EQ((*shops)[1]->itemDetail, "0");
  EXPECT_FALSE((*shops)[1]->cityList);

  for (const char* reply : {"", "[]", "{}", R"({"ShopBrandList":{}})"}) {
    SCOPED_TRACE(reply);
    EXPECT_EQ(P::parseToShopList(reply), std::nullopt);
  }
}

TEST(ShopParser, TheShopAndCityDictionaryHoldsWhatTheReplyHas) {
  ValueDictionary both = P::parseToShopDicList(
      R"({"ShopBrandList":[{"Id":1}],"CityList":[{"Id":2,"Name":"北京"},null]})");
  ASSERT_TRUE(both);
  ASSERT_EQ(both->count(), 2u);
  ValueArray shops = both->objectForKey("shoplist").array();
  ASSERT_TRUE(shops);
  ASSERT_EQ(shops->count(), 1u);
  EXPECT_EQ(shops->objectAtIndex(0).object<NSShopItem>()->itemId, 1);
  ValueArray cities = both->objectForKey("citylist").array();
  ASSERT_TRUE(cities);
  ASSERT_EQ(cities->count(), 1u);
  EXPECT_EQ(cities->objectAtIndex(0).object<NSBaseItem>()->itemName, "北京");

  for (const char* reply : {"{}", "not json", "[]", R"({"ShopBrandList":1,"CityList":{}})"}) {
    SCOPED_TRACE(reply);
    ValueDictionary empty = P::parseToShopDicList(reply);
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->count(), 0u);
  }
}

TEST(InterestGroupParser, GroupsCurrentGroupAndTopic) {
  auto location = P::parseToZiViLocation(
      R"({"GroupList":[{"Id":1,"Name":"a"},{"Id":2,"Name":"b"},3],"TeamId":"2",)"
      R"("Topic":{"c_topic_name":"t","Id":5}})");
  ASSERT_TRUE(location);
  ASSERT_EQ(location->teamList.size(), 2u);
  EXPECT_EQ(location->teamList[1]->itemId, 2);
  EXPECT_EQ(location->teamList[1]->itemName, "b");
  EXPECT_EQ(location->curTeamId, 2);
  ASSERT_TRUE(location->topic);
  EXPECT_EQ(location->topic->name, "t");
  EXPECT_EQ(location->topic->topicId, 5);

  auto noTopic = P::parseToZiViLocation(R"({"GroupList":[],"Topic":"t"})");
  ASSERT_TRUE(noTopic);
  EXPECT_FALSE(noTopic->topic);
  for (const char* reply : {"", "[]", "{}", R"({"GroupList":{}})"}) {
    SCOPED_TRACE(reply);
    EXPECT_EQ(P::parseToZiViLocation(reply), nullptr);
  }
  EXPECT_TRUE(P::dicToTitleInfo(Value::null()));
}

}  // namespace

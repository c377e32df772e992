// Adverts, login switches and profile replies read by the reply parser.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "Foundation/NSPathUtilities.h"
#include "model/NSLoginDB.h"
#include "model/ZizaJsonStatusParser.h"

namespace {

using P = ZizaJsonStatusParser;

// The switches of a record as one text, in the record's order.
std::string switches(const NSLoginData& d) {
  std::string s;
  for (bool b : {d.isShowListAd, d.isShowAd, d.isOpenSeminarNeedAccound, d.isShardOdozuEdit,
                 d.isGrayUser, d.isOpenZiViNeedAccound, d.isGrayUserChange, d.errorLogEnable,
                 d.errorLogSubmit, d.useBehaviorEnable, d.useBehaviorSubmit, d.isZiViUserLocat,
                 d.isSession, d.isShowAdOk, d.isShowServerPushOk}) {
    s += b ? '1' : '0';
  }
  return s;
}

TEST(AdvertLoginParser, AnAdvertDictionary) {
  auto ad = P::parseToAdInfo(
      R"({"c_img":"http://a.invalid/1.png","c_link_url":"http://a.invalid/go","c_can_close":"true",)"
      R"("c_link_type":"3","c_id":5000000000,"showRate":0.5,"isImgExit":true})");
  ASSERT_TRUE(ad);
  EXPECT_EQ(ad->c_img, "http://a.invalid/1.png");
  EXPECT_EQ(ad->c_link_url, "http://a.invalid/go");
  EXPECT_TRUE(ad->c_can_close);
  EXPECT_EQ(ad->c_link_type, 3);
  EXPECT_EQ(ad->adId, 5000000000LL);
  // Only the tables keep these.
  EXPECT_EQ(ad->showRate, 0);
  EXPECT_FALSE(ad->isImgExit);
}

TEST(AdvertLoginParser, AdvertDefaultsAndOddValues) {
  auto ad = P::parseToAdInfo(
      R"({"c_img":null,"c_link_url":12,"c_can_close":null,"c_link_type":null,"c_id":"77x"})");
  ASSERT_TRUE(ad);
  EXPECT_EQ(ad->c_img, "");
  EXPECT_EQ(ad->c_link_url, "12");  // a number is taken as its text
  EXPECT_FALSE(ad->c_can_close);
  EXPECT_EQ(ad->c_link_type, 0);
  EXPECT_EQ(ad->adId, 77);
  EXPECT_FALSE(ad->isAdCanDownload());

  auto empty = P::parseToAdInfo("{}");
  ASSERT_TRUE(empty);
  EXPECT_EQ(empty->adId, 0);
  EXPECT_EQ(empty->c_img, "");
}

TEST(AdvertLoginParser, RepliesOfTheWrongTypeGiveNil) {
  for (const char* reply : {"[]", "[{}]", "not json", "", "\"text\""}) {
    SCOPED_TRACE(reply);
    EXPECT_EQ(P::parseToAdInfo(reply), nullptr);
    EXPECT_EQ(P::parseToStatueAdInfo(reply), nullptr);
    EXPECT_EQ(P::parseToLogin(reply), nullptr);
    EXPECT_EQ(P::parseToProfile(reply), nullptr);
  }
  for (const char* reply : {"{}", "not json", R"({"list":[]})"}) {
    SCOPED_TRACE(reply);
    EXPECT_EQ(P::parseToAdList(reply), std::nullopt);
  }
}

TEST(AdvertLoginParser, ThePageAdvertIsTheAdInfoDictionary) {
  auto ad = P::parseToStatueAdInfo(R"({"statuses":[],"adInfo":{"c_id":9,"c_img":"i"}})");
  ASSERT_TRUE(ad);
  EXPECT_EQ(ad->adId, 9);
  EXPECT_EQ(ad->c_img, "i");
  EXPECT_EQ(P::parseToStatueAdInfo(R"({"adInfo":"none"})"), nullptr);
  EXPECT_EQ(P::parseToStatueAdInfo(R"({"statuses":[]})"), nullptr);
}

TEST(AdvertLoginParser, ABannerListSkipsWhatIsNotAnAdvert) {
  auto list = P::parseToAdList(R"([{"c_id":1},"junk",null,{"c_id":2},[3]])");
  ASSERT_TRUE(list);
  ASSERT_EQ(list->size(), 2u);
  EXPECT_EQ((*list)[0]->adId, 1);
  EXPECT_EQ((*list)[1]->adId, 2);
  EXPECT_TRUE(P::parseToAdList("[]")->empty());
}

TEST(AdvertLoginParser, AnEmptyLoginReplyGivesTheDefaults) {
  auto data = P::parseToLogin("{}");
  ASSERT_TRUE(data);
  // Only isShardOdozuEdit stays on; the usage log switch is off when the server is silent.
  EXPECT_EQ(switches(*data), "000100000000000");
  EXPECT_FALSE(data->mDic);
  EXPECT_EQ(data->mDicStr, "");
  EXPECT_FALSE(data->adInfo);
}

TEST(AdvertLoginParser, LoginSwitchesAreReadWithTheirDefaults) {
  auto on = P::parseToLogin(
      R"({"isShowAd":true,"isShardOdozuEdit":"YES","isGrayUser":1,"isOpenSeminarNoAccount":false,)"
      R"("isOpenZiViNeedAccount":"true","isShowChannelListAd":"1","ErrorLogEnable":true,)"
      R"("ErrorLogSubmit":true,"UseBehaviorEnable":true,"UseBehaviorSubmit":"yes"})");
  ASSERT_TRUE(on);
  EXPECT_EQ(switches(*on), "111111011110000");

  auto off =
      P::parseToLogin(R"({"isShowAd":"NO","isShardOdozuEdit":"0","isOpenSeminarNoAccount":true,)"
                      R"("UseBehaviorEnable":0})");
  EXPECT_EQ(switches(*off), "000000000000000");

  // A null counts as absent: the seminar switch reads YES, then is negated.
  auto nulls = P::parseToLogin(R"({"isOpenSeminarNoAccount":null,"isShardOdozuEdit":null})");
  EXPECT_FALSE(nulls->isOpenSeminarNeedAccound);
  EXPECT_TRUE(nulls->isShardOdozuEdit);
}

TEST(AdvertLoginParser, TheUpdateListBecomesTheDictionaryAndItsText) {
  auto data = P::parseToLogin(
      R"({"UpList":[{"cids":"3","updt":"2013-05-01"},"skip",{"cids":"others","updt":"t1"},)"
      R"({"cids":"3","updt":"2013-06-01"},{"updt":"orphan"}]})");
  ASSERT_TRUE(data);
  ASSERT_TRUE(data->mDic);
  EXPECT_EQ(data->mDic->count(), 3u);
  EXPECT_EQ(data->mDic->objectForKey("3").string(), "2013-06-01");
  EXPECT_EQ(data->mDic->objectForKey("others").string(), "t1");
  EXPECT_EQ(data->mDic->objectForKey("").string(), "orphan");
  EXPECT_EQ(data->mDicStr, "2013-06-01|3;t1|others;orphan|");

  auto one = P::parseToLogin(R"({"UpList":[{"cids":"3","updt":"2013-05-01"}]})");
  EXPECT_EQ(one->mDic->count(), 1u);
  EXPECT_EQ(one->mDicStr, "2013-05-01|3");

  auto notAList = P::parseToLogin(R"({"UpList":{"cids":"3"}})");
  EXPECT_FALSE(notAList->mDic);
  EXPECT_TRUE(P::parseToLogin(R"({"UpList":[]})")->mDic);
}

TEST(AdvertLoginParser, TheStartUpAdvertIsReadOnlyFromADictionary) {
  auto with = P::parseToLogin(R"({"adInfo":{"c_id":4,"c_img":"s.png"}})");
  ASSERT_TRUE(with->adInfo);
  EXPECT_EQ(with->adInfo->adId, 4);
  EXPECT_TRUE(with->isAdInfoExit());
  EXPECT_FALSE(P::parseToLogin(R"({"adInfo":"s.png"})")->adInfo);
}

TEST(AdvertLoginParser, AProfileReplyGivesAFreshRecord) {
  auto data = P::parseToProfile(R"({"a":1,"isShowAd":true,"UpList":[{"cids":"1","updt":"x"}]})");
  ASSERT_TRUE(data);
  NSLoginData fresh;
  EXPECT_EQ(switches(*data), switches(fresh));
  EXPECT_EQ(data->pType, 0);
  EXPECT_FALSE(data->mDic);
  EXPECT_EQ(data->mDicStr, "");
  EXPECT_FALSE(data->adInfo);
}

TEST(AdvertLoginParser, AParsedLoginSurvivesTheDatabase) {
  std::filesystem::remove_all(NSLibraryDirectory() + "/Config");
  auto parsed = P::parseToLogin(
      R"({"isShowAd":true,"UseBehaviorEnable":true,)"
      R"("UpList":[{"cids":"others","updt":"2013-05-01 08:00"},{"cids":"7","updt":"t"}]})");
  NSLoginDB::setValueDB(parsed);
  auto stored = NSLoginData::readFromDB();
  EXPECT_EQ(switches(*stored), switches(*parsed));
  EXPECT_EQ(stored->mDicStr, parsed->mDicStr);
  ASSERT_TRUE(stored->mDic);
  EXPECT_EQ(stored->mDic->objectForKey("others").string(), "2013-05-01 08:00");
  EXPECT_EQ(stored->mDic->objectForKey("7").string(), "t");
}

}  // namespace

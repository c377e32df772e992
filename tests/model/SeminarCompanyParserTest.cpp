// Seminars, their posts and banners, the trade-fair page and the company list read by the reply
// parser.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Common/JXKit/NSString+JXKitDeserializing.h"
#include "model/ZizaJsonStatusParser.h"

namespace {

using P = ZizaJsonStatusParser;

TEST(SeminarParser, ASeminarWithItsHostsRegistrationsAndTips) {
  auto seminars = P::parseToSeminar(R"([{
    "Id":9000000001,"c_eventName":"母婴论坛","c_eventDescription":"desc",
    "c_eventStart_dt":"2013-12-07 10:00:00","c_eventEnd_dt":"2013-12-07 12:00:00",
    "c_status":"1","c_type":2,"c_eventImg_small":"http://h/s.png","c_eventImg_large":"http://h/l.png",
    "c_event_orderPin":3,"c_text":"share",
    "host":[{"Id":1,"c_ziza_Id":"5000000000","c_ziza_name":"主持","c_event_id":9,"c_type":1,
             "c_user_contactinfo":"info","c_ziza_usercontent":{"id":5,"screen_name":"host"}},
            "skipped",{"c_type":2,"c_ziza_usercontent":"not a user"}],
    "dialogsub":[{"Id":2,"c_ziza_Id":6,"c_ziza_name":"n","c_event_id":9,"c_type":4,
                  "c_userEmail":"a@b.invalid","c_needRemind":"1","c_needDocument":"0",
                  "c_needMore":null,"c_ziza_blog_Id":77}],
    "tip":[{"Id":3,"c_event_id":9,"c_tip":"tip","c_index":4}]
  }, 12, null])");
  ASSERT_TRUE(seminars);
  ASSERT_EQ(seminars->size(), 1u);
  const NSSeminar& s = *(*seminars)[0];
  EXPECT_EQ(s.seminarId, 9000000001LL);
  EXPECT_EQ(s.theme, "母婴论坛");
  EXPECT_EQ(s.info, "desc");
  EXPECT_EQ(s.timeStart, "2013-12-07 10:00:00");
  EXPECT_EQ(s.timeEnd, "2013-12-07 12:00:00");
  EXPECT_EQ(s.status, kSeminarLive);
  EXPECT_EQ(s.type, 2);
  EXPECT_EQ(s.smallUrl, "http://h/s.png");
  EXPECT_EQ(s.imgUrl, s.smallUrl);
  EXPECT_EQ(s.largeUrl, "http://h/l.png");
  EXPECT_EQ(s.order, 3);
  EXPECT_EQ(s.shareText, "share");

  ASSERT_TRUE(s.hostList);
  ASSERT_EQ(s.hostList->size(), 2u);
  const NSSHost& host = *(*s.hostList)[0];
  EXPECT_EQ(host.c_id, 1);
  EXPECT_EQ(host.c_ziza_Id, 5000000000LL);
  EXPECT_EQ(host.c_ziza_name, "主持");
  EXPECT_EQ(host.c_event_id, 9);
  EXPECT_EQ(host.c_type, 1);
  EXPECT_EQ(host.c_user_contactinfo, "info");
  ASSERT_TRUE(host.c_ziza_usercontent);
  EXPECT_EQ(host.c_ziza_usercontent->screenName, "host");
  EXPECT_EQ((*s.hostList)[1]->c_ziza_usercontent, nullptr);

  ASSERT_TRUE(s.dialogsubList);
  ASSERT_EQ(s.dialogsubList->size(), 1u);
  const NSDSubscription& line = *(*s.dialogsubList)[0];
  EXPECT_EQ(line.c_id, 2);
  EXPECT_EQ(line.c_ziza_Id, 6);
  EXPECT_EQ(line.c_type, 4);
  EXPECT_EQ(line.c_userEmail, "a@b.invalid");
  EXPECT_EQ(line.c_needRemind, "1");
  EXPECT_EQ(line.c_needDocument, "0");
  EXPECT_EQ(line.c_needMore, "");
  EXPECT_EQ(line.c_ziza_blog_Id, 77);

  ASSERT_TRUE(s.tipList);
  ASSERT_EQ(s.tipList->size(), 1u);
  EXPECT_EQ((*s.tipList)[0]->c_id, 3);
  EXPECT_EQ((*s.tipList)[0]->c_tip, "tip");
  EXPECT_EQ((*s.tipList)[0]->index, 4);
}

TEST(SeminarParser, ListsThatAreMissingOrNoArraysStayNil) {
  auto seminars = P::parseToSeminar(R"([{"Id":1,"host":{},"tip":"x"}])");
  ASSERT_TRUE(seminars);
  const NSSeminar& s = *(*seminars)[0];
  EXPECT_FALSE(s.hostList);
  EXPECT_FALSE(s.dialogsubList);
  EXPECT_FALSE(s.tipList);
  EXPECT_EQ(s.theme, "");
  EXPECT_EQ(P::parseToSeminar("[]")->size(), 0u);
  for (const char* reply : {"", "{}", "null", "not json"}) {
    SCOPED_TRACE(reply);
    EXPECT_EQ(P::parseToSeminar(reply), std::nullopt);
  }
}

TEST(SeminarParser, QuestionPostsReadTheirSeminarWithACapitalI) {
  auto posts = P::parseToDialogList(
      R"({"statuses":[{"Id":4,"c_event_Id":9,"c_ziza_Id":5,"c_ziza_blog_Id":"8000000000",)"
      R"("c_type":1,"c_postType":2,"c_isPin":"true","c_user_id":6,)"
      R"("c_ziza_blogcontent":{"id":8000000000,"text":"问题"}},)"
      R"({"c_event_id":9,"c_ziza_blogcontent":[1]},"x"]})");
  ASSERT_TRUE(posts);
  ASSERT_EQ(posts->size(), 2u);
  const NSDialogPost& p = *(*posts)[0];
  EXPECT_EQ(p.c_id, 4);
  EXPECT_EQ(p.c_event_id, 9);
  EXPECT_EQ(p.c_ziza_Id, 5);
  EXPECT_EQ(p.c_ziza_blog_Id, 8000000000LL);
  EXPECT_EQ(p.c_type, 1);
  EXPECT_EQ(p.c_postType, 2);
  EXPECT_TRUE(p.c_isPin);
  EXPECT_EQ(p.c_user_id, 6);
  EXPECT_EQ(p.needAttend, 0);
  ASSERT_TRUE(p.c_ziza_blogcontent);
  EXPECT_EQ(p.c_ziza_blogcontent->text, "问题");
  // The lower-case key is another record's.
  EXPECT_EQ((*posts)[1]->c_event_id, 0);
  EXPECT_EQ((*posts)[1]->c_ziza_blogcontent, nullptr);

  auto tracked = P::parseToWenTiGenZong(R"({"statuses":[{"Id":1}]})");
  ASSERT_TRUE(tracked);
  EXPECT_EQ((*tracked)[0]->c_id, 1);
  for (const char* reply : {"", "[]", "{}", R"({"statuses":{}})"}) {
    SCOPED_TRACE(reply);
    EXPECT_EQ(P::parseToDialogList(reply), std::nullopt);
    EXPECT_EQ(P::parseToWenTiGenZong(reply), std::nullopt);
  }
  // A post made of anything but a dictionary is empty.
  auto empty = P::dicToDialogPost(Value("x"));
  ASSERT_TRUE(empty);
  EXPECT_EQ(empty->c_id, 0);
  EXPECT_TRUE(P::dicToDialogPost(Value()));
}

TEST(SeminarParser, AttendanceAndBannerLists) {
  auto watches = P::parseToAttendList(
      R"([{"c_id":1,"Id":99,"c_event_id":2,"c_ziza_Id":3,"c_ziza_blog_Id":4},null])");
  ASSERT_TRUE(watches);
  ASSERT_EQ(watches->size(), 1u);
  EXPECT_EQ((*watches)[0]->c_id, 1);  // the lower-case key
  EXPECT_EQ((*watches)[0]->c_event_id, 2);
  EXPECT_EQ((*watches)[0]->c_ziza_Id, 3);
  EXPECT_EQ((*watches)[0]->c_ziza_blog_Id, 4);

  auto banners = P::parseToBannerList(R"([{"c_id":5,"banner":"http://h/b.png"},[]])");
  ASSERT_TRUE(banners);
  ASSERT_EQ(banners->size(), 1u);
  EXPECT_EQ((*banners)[0]->c_id, 5);
  EXPECT_EQ((*banners)[0]->banner, "http://h/b.png");

  EXPECT_EQ(P::parseToAttendList("{}"), std::nullopt);
  EXPECT_EQ(P::parseToBannerList("{}"), std::nullopt);
}

// The trade-fair page as the channel lists it: [banners, entry, entry, ...].
TEST(TradeFairParser, BannersFirstThenEntriesWithTheCatalogueCarryingTheCategories) {
  ValueArray page = P::parseToVEZI(R"({
    "cbmexpobanners":[{"c_id":1,"c_link":"http://h/1","c_banner":"http://h/1.png","c_banner_type":"pic"},
                      {"c_id":2,"c_banner_type":"vid"}],
    "cbmexopcategories":[{"c_category_id":10,"c_icon":"i","c_category_name":"童装","c_cnt_company":"12",
                          "c_up_dt":"2013-12-07","c_expo_img_url":"e","c_expo_schedule_url":"s"},
                         {"c_category_id":11},{"c_category_id":12}],
    "cbmexpoitems":[{"c_id":20,"c_name":"目录","c_icon":"ci","c_link":"cl","c_type":"catalog"},
                    {"c_id":21,"c_type":"register"},"junk"]
  })");
  ASSERT_TRUE(page);
  ASSERT_EQ(page->count(), 3u);

  ValueArray banners = page->objectAtIndex(0).array();
  ASSERT_TRUE(banners);
  ASSERT_EQ(banners->count(), 2u);
  auto first = banners->objectAtIndex(0).object<NSBarnerItem>();
  ASSERT_TRUE(first);
  EXPECT_EQ(first->barnerId, 1);
  EXPECT_EQ(first->linkPath, "http://h/1");
  EXPECT_EQ(first->barnerImgPath, "http://h/1.png");
  EXPECT_EQ(first->barnerType, kBarnerTypePicture);
  EXPECT_EQ(banners->objectAtIndex(1).object<NSBarnerItem>()->barnerType, kBarnerTypeVideo);

  auto catalogue = page->objectAtIndex(1).object<NSVOVUrivItem>();
  ASSERT_TRUE(catalogue);
  EXPECT_EQ(catalogue->itemId, 20);
  EXPECT_EQ(catalogue->itemName, "目录");
  EXPECT_EQ(catalogue->itemIcon, "ci");
  EXPECT_EQ(catalogue->itemLink, "cl");
  EXPECT_EQ(catalogue->expo_type, kExpoTypeCatalog);
  ValueArray categories = catalogue->dataInfo.array();
  ASSERT_TRUE(categories);
  ASSERT_EQ(categories->count(), 3u);
  auto category = categories->objectAtIndex(0).object<NSCompanyItem>();
  ASSERT_TRUE(category);
  EXPECT_EQ(category->itemID, 10);
  EXPECT_EQ(category->itemIcon, "i");
  EXPECT_EQ(category->itemName, "童装");
  EXPECT_EQ(category->numOfCompany, 12);
  EXPECT_EQ(category->updataTime, "2013-12-07");
  EXPECT_EQ(category->expoImgUrl, "e");
  EXPECT_EQ(category->expoScheduleUrl, "s");
  EXPECT_FALSE(category->isShowNew);

  auto registration = page->objectAtIndex(2).object<NSVOVUrivItem>();
  ASSERT_TRUE(registration);
  EXPECT_EQ(registration->expo_type, kExpoTypeRegister);
  EXPECT_TRUE(registration->dataInfo.isNil());
}

TEST(TradeFairParser, EntryAndBannerKinds) {
  const std::pair<const char*, int32_t> entries[] = {{"catalog", kExpoTypeCatalog},
                                                     {"register", kExpoTypeRegister},
                                                     {"introduce", kExpoTypeIntroduce},
                                                     {"other", kExpoTypeIntroduce},
                                                     {"", kExpoTypeIntroduce}};
  for (const auto& [type, expected] : entries) {
    SCOPED_TRACE(type);
    Value dic = objectFromJSONString(std::string(R"({"c_type":")") + type + "\"}");
    EXPECT_EQ(P::dicToVEZIItem(*dic.dictionary())->expo_type, expected);
  }
  const std::pair<const char*, int32_t> banners[] = {
      {R"({"c_banner_type":"vid"})", kBarnerTypeVideo},
      {R"({"c_banner_type":"pic"})", kBarnerTypePicture},
      {R"({"c_banner_type":"gif"})", kBarnerTypePicture},
      {"{}", kBarnerTypePicture}};
  for (const auto& [json, expected] : banners) {
    SCOPED_TRACE(json);
    EXPECT_EQ(P::dicToBarner(*objectFromJSONString(json).dictionary())->barnerType, expected);
  }
}

TEST(TradeFairParser, APageWithoutEntriesIsItsBannerListAlone) {
  ValueArray page = P::parseToVEZI(R"({"cbmexpobanners":"none","cbmexpoitems":{}})");
  ASSERT_TRUE(page);
  ASSERT_EQ(page->count(), 1u);
  ASSERT_TRUE(page->objectAtIndex(0).isArray());
  EXPECT_EQ(page->objectAtIndex(0).count(), 0u);

  // A catalogue entry without categories in the reply carries an empty list.
  ValueArray catalogueOnly = P::parseToVEZI(R"({"cbmexpoitems":[{"c_type":"catalog"}]})");
  ASSERT_EQ(catalogueOnly->count(), 2u);
  EXPECT_EQ(catalogueOnly->objectAtIndex(1).object<NSVOVUrivItem>()->dataInfo.count(), 0u);

  for (const char* reply : {"", "[]", "null"}) {
    SCOPED_TRACE(reply);
    EXPECT_EQ(P::parseToVEZI(reply), nullptr);
  }
}

TEST(CompanyParser, ACompanyListPage) {
  auto page = P::praseToCompanyList(
      R"({"totalpage":"4","totalcount":70,"pageindex":2,"cbmexpocompanys":[)"
      R"({"c_id":1,"c_company_logo":"l","c_company_name":"公司","c_url":"u","c_expo_no":"A12",)"
      R"("c_company_brand":"b","c_category_product":"p","c_ziza_id":"6000000000"},3]})");
  ASSERT_TRUE(page);
  EXPECT_EQ(page->totalPage, 4);
  EXPECT_EQ(page->total_number, 70);
  EXPECT_EQ(page->pageNo, 2);
  ASSERT_TRUE(page->statuses);
  ASSERT_EQ(page->statuses->size(), 1u);
  const NSCompanyDetailItem& c = *(*page->statuses)[0];
  EXPECT_EQ(c.itemId, 1);
  EXPECT_EQ(c.headUrl, "l");
  EXPECT_EQ(c.companyName, "公司");
  EXPECT_EQ(c.companyUrl, "u");
  EXPECT_EQ(c.boothNum, "A12");
  EXPECT_EQ(c.brandName, "b");
  EXPECT_EQ(c.productSort, "p");
  EXPECT_EQ(c.userId, 6000000000LL);
}

TEST(CompanyParser, AReplyOfAnotherShapeGivesAnEmptyPage) {
  for (const char* reply : {"not json", "", "[]", R"({"cbmexpocompanys":{}})"}) {
    SCOPED_TRACE(reply);
    auto page = P::praseToCompanyList(reply);
    ASSERT_TRUE(page);
    EXPECT_EQ(page->totalPage, 0);
    EXPECT_EQ(page->total_number, 0);
    EXPECT_EQ(page->pageNo, 0);
    EXPECT_FALSE(page->statuses);
  }
}

}  // namespace

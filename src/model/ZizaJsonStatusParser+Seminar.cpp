// Seminars with their posts and banners, the trade-fair page and the company catalogue.
#include <string>
#include <utility>

#include "model/ParserValues.h"
#include "model/ZizaJsonStatusParser.h"

using namespace parser_values;

namespace {

// The posts of a dictionary's "statuses".
std::optional<std::vector<NSDialogPostPtr>> dialogPosts(std::string_view reply) {
  Value list = parseReply(reply)["statuses"];
  if (!list.isArray()) return std::nullopt;
  std::vector<NSDialogPostPtr> posts;
  for (const Value& post : *list.arrayPointer()) {
    if (post.isDictionary()) posts.push_back(ZizaJsonStatusParser::dicToDialogPost(post));
  }
  return posts;
}

}  // namespace

// ---- Seminars ----

std::optional<std::vector<NSSeminarPtr>> ZizaJsonStatusParser::parseToSeminar(
    std::string_view reply) {
  return mapDictionariesOrNil(parseReply(reply), dicToSeminar);
}

NSSeminarPtr ZizaJsonStatusParser::dicToSeminar(const NSDictionary& dic) {
  auto seminar = std::make_shared<NSSeminar>();
  seminar->seminarId = llValue(dic, "Id", 0);
  seminar->theme = strText(dic, "c_eventName");
  seminar->info = strText(dic, "c_eventDescription");
  seminar->timeStart = strText(dic, "c_eventStart_dt");
  seminar->timeEnd = strText(dic, "c_eventEnd_dt");
  seminar->status = intValue(dic, "c_status", 0);
  seminar->type = intValue(dic, "c_type", 0);
  seminar->smallUrl = strText(dic, "c_eventImg_small");
  seminar->largeUrl = strText(dic, "c_eventImg_large");
  seminar->imgUrl = strText(dic, "c_eventImg_small");
  seminar->order = intValue(dic, "c_event_orderPin", 0);
  seminar->shareText = strText(dic, "c_text");
  seminar->hostList = parseToHost(dic);
  seminar->dialogsubList = parseToDialog(dic);
  seminar->tipList = parseToTip(dic);
  return seminar;
}

std::optional<std::vector<NSSHostPtr>> ZizaJsonStatusParser::parseToHost(
    const NSDictionary& seminar) {
  return mapDictionariesOrNil(seminar.objectForKey("host"), dicToHost);
}

std::optional<std::vector<NSDSubscriptionPtr>> ZizaJsonStatusParser::parseToDialog(
    const NSDictionary& seminar) {
  return mapDictionariesOrNil(seminar.objectForKey("dialogsub"), dicToDialog);
}

std::optional<std::vector<NSTextInfoPtr>> ZizaJsonStatusParser::parseToTip(
    const NSDictionary& seminar) {
  return mapDictionariesOrNil(seminar.objectForKey("tip"), dicToText);
}

NSSHostPtr ZizaJsonStatusParser::dicToHost(const NSDictionary& dic) {
  auto host = std::make_shared<NSSHost>();
  host->c_id = llValue(dic, "Id", 0);
  host->c_ziza_Id = llValue(dic, "c_ziza_Id", 0);
  host->c_ziza_name = strText(dic, "c_ziza_name");
  host->c_event_id = intValue(dic, "c_event_id", 0);
  host->c_type = intValue(dic, "c_type", 0);
  host->c_user_contactinfo = strText(dic, "c_user_contactinfo");
  Value user = dic.objectForKey("c_ziza_usercontent");
  if (user.isDictionary()) host->c_ziza_usercontent = dicToUser(*user.dictionaryPointer());
  return host;
}

NSDSubscriptionPtr ZizaJsonStatusParser::dicToDialog(const NSDictionary& dic) {
  auto line = std::make_shared<NSDSubscription>();
  line->c_id = llValue(dic, "Id", 0);
  line->c_ziza_Id = llValue(dic, "c_ziza_Id", 0);
  line->c_ziza_name = strText(dic, "c_ziza_name");
  line->c_event_id = intValue(dic, "c_event_id", 0);
  line->c_type = intValue(dic, "c_type", 0);
  line->c_userEmail = strText(dic, "c_userEmail");
  line->c_needRemind = strText(dic, "c_needRemind");
  line->c_needDocument = strText(dic, "c_needDocument");
  line->c_needMore = strText(dic, "c_needMore");
  line->c_ziza_blog_Id = llValue(dic, "c_ziza_blog_Id", 0);
  return line;
}

NSTextInfoPtr ZizaJsonStatusParser::dicToText(const NSDictionary& dic) {
  auto tip = std::make_shared<NSTextInfo>();
  tip->c_id = intValue(dic, "Id", 0);
  tip->c_event_id = intValue(dic, "c_event_id", 0);
  tip->c_tip = strText(dic, "c_tip");
  tip->index = intValue(dic, "c_index", 0);
  return tip;
}

// ---- Seminar posts and banners ----

std::optional<std::vector<NSDialogPostPtr>> ZizaJsonStatusParser::parseToDialogList(
    std::string_view reply) {
  return dialogPosts(reply);
}

std::optional<std::vector<NSDialogPostPtr>> ZizaJsonStatusParser::parseToWenTiGenZong(
    std::string_view reply) {
  return dialogPosts(reply);
}

NSDialogPostPtr ZizaJsonStatusParser::dicToDialogPost(const Value& post) {
  auto result = std::make_shared<NSDialogPost>();
  if (!post.isDictionary()) return result;
  const NSDictionary& dic = *post.dictionaryPointer();
  result->c_id = llValue(dic, "Id", 0);
  // The posts spell the seminar key with a capital I.
  result->c_event_id = intValue(dic, "c_event_Id", 0);
  result->c_ziza_Id = llValue(dic, "c_ziza_Id", 0);
  result->c_ziza_blog_Id = llValue(dic, "c_ziza_blog_Id", 0);
  result->c_type = intValue(dic, "c_type", 0);
  result->c_postType = intValue(dic, "c_postType", 0);
  result->c_isPin = boolValue(dic, "c_isPin", false);
  result->c_user_id = llValue(dic, "c_user_id", 0);
  Value status = dic.objectForKey("c_ziza_blogcontent");
  if (status.isDictionary()) result->c_ziza_blogcontent = dicToStatus(*status.dictionaryPointer());
  return result;
}

std::optional<std::vector<NSDialogPostWatchPtr>> ZizaJsonStatusParser::parseToAttendList(
    std::string_view reply) {
  return mapDictionariesOrNil(parseReply(reply), dicToDialogWatch);
}

NSDialogPostWatchPtr ZizaJsonStatusParser::dicToDialogWatch(const NSDictionary& dic) {
  auto watch = std::make_shared<NSDialogPostWatch>();
  watch->c_id = llValue(dic, "c_id", 0);
  watch->c_event_id = intValue(dic, "c_event_id", 0);
  watch->c_ziza_Id = llValue(dic, "c_ziza_Id", 0);
  watch->c_ziza_blog_Id = llValue(dic, "c_ziza_blog_Id", 0);
  return watch;
}

std::optional<std::vector<NSBannerPtr>> ZizaJsonStatusParser::parseToBannerList(
    std::string_view reply) {
  return mapDictionariesOrNil(parseReply(reply), dicToBanner);
}

NSBannerPtr ZizaJsonStatusParser::dicToBanner(const NSDictionary& dic) {
  auto banner = std::make_shared<NSBanner>();
  banner->c_id = llValue(dic, "c_id", 0);
  banner->banner = strText(dic, "banner");
  return banner;
}

// ---- Trade fair ----

ValueArray ZizaJsonStatusParser::parseToVEZI(std::string_view reply) {
  Value page = parseReply(reply);
  if (!page.isDictionary()) return nullptr;
  const NSDictionary& dic = *page.dictionaryPointer();

  ValueArray banners = objectArrayOf(dic.objectForKey("cbmexpobanners"), dicToBarner);
  // The server spells the categories key this way.
  ValueArray categories = objectArrayOf(dic.objectForKey("cbmexopcategories"), dicToCompanyItem);

  auto result = std::make_shared<NSMutableArray>();
  result->addObject(Value(banners));
  Value entries = dic.objectForKey("cbmexpoitems");
  if (entries.isArray()) {
    for (auto& entry : mapDictionaries(*entries.arrayPointer(), dicToVEZIItem)) {
      if (entry->expo_type == kExpoTypeCatalog) entry->dataInfo = Value(categories);
      result->addObject(Value(entry));
    }
  }
  return result;
}

NSBarnerItemPtr ZizaJsonStatusParser::dicToBarner(const NSDictionary& dic) {
  auto banner = std::make_shared<NSBarnerItem>();
  banner->barnerId = llValue(dic, "c_id", 0);
  banner->linkPath = strText(dic, "c_link");
  banner->barnerImgPath = strText(dic, "c_banner");
  const std::string type = strText(dic, "c_banner_type");
  if (type == "pic") {
    banner->barnerType = kBarnerTypePicture;
  } else if (type == "vid") {
    banner->barnerType = kBarnerTypeVideo;
  }
  return banner;
}

NSCompanyItemPtr ZizaJsonStatusParser::dicToCompanyItem(const NSDictionary& dic) {
  auto category = std::make_shared<NSCompanyItem>();
  category->itemID = llValue(dic, "c_category_id", 0);
  category->itemIcon = strText(dic, "c_icon");
  category->itemName = strText(dic, "c_category_name");
  category->numOfCompany = llValue(dic, "c_cnt_company", 0);
  category->updataTime = strText(dic, "c_up_dt");
  category->expoImgUrl = strText(dic, "c_expo_img_url");
  category->expoScheduleUrl = strText(dic, "c_expo_schedule_url");
  return category;
}

NSVOVUrivItemPtr ZizaJsonStatusParser::dicToVEZIItem(const NSDictionary& dic) {
  auto entry = std::make_shared<NSVOVUrivItem>();
  entry->itemId = llValue(dic, "c_id", 0);
  entry->itemName = strText(dic, "c_name");
  entry->itemIcon = strText(dic, "c_icon");
  entry->itemLink = strText(dic, "c_link");
  const std::string type = strText(dic, "c_type");
  if (type == "catalog") {
    entry->expo_type = kExpoTypeCatalog;
  } else if (type == "register") {
    entry->expo_type = kExpoTypeRegister;
  } else if (type == "introduce") {
    entry->expo_type = kExpoTypeIntroduce;
  }
  return entry;
}

// ---- Companies ----

std::shared_ptr<NSComInfo> ZizaJsonStatusParser::praseToCompanyList(std::string_view reply) {
  auto info = std::make_shared<NSComInfo>();
  Value page = parseReply(reply);
  if (!page.isDictionary()) return info;
  const NSDictionary& dic = *page.dictionaryPointer();
  info->totalPage = intValue(dic, "totalpage", 0);
  info->total_number = intValue(dic, "totalcount", 0);
  info->pageNo = intValue(dic, "pageindex", 0);
  info->statuses = mapDictionariesOrNil(dic.objectForKey("cbmexpocompanys"), parseToCompanyDetail);
  return info;
}

NSCompanyDetailItemPtr ZizaJsonStatusParser::parseToCompanyDetail(const NSDictionary& dic) {
  auto company = std::make_shared<NSCompanyDetailItem>();
  company->itemId = llValue(dic, "c_id", 0);
  company->headUrl = strText(dic, "c_company_logo");
  company->companyName = strText(dic, "c_company_name");
  company->companyUrl = strText(dic, "c_url");
  company->boothNum = strText(dic, "c_expo_no");
  company->brandName = strText(dic, "c_company_brand");
  company->productSort = strText(dic, "c_category_product");
  company->userId = llValue(dic, "c_ziza_id", 0);
  return company;
}

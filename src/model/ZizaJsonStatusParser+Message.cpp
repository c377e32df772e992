// The small reply families: announcements, unread counts, hot searches, feedback, real-time
// quotes, shops, cities and interest groups.
#include <string>
#include <utility>

#include "model/ParserValues.h"
#include "model/ZizaJsonStatusParser.h"

using namespace parser_values;

namespace {

// The records of the dictionary elements of a JSON array reply; nil for any other reply.
template <class Map>
auto arrayReply(std::string_view reply, Map map) {
  return mapDictionariesOrNil(parseReply(reply), map);
}

}  // namespace

std::shared_ptr<NSMsgItem> ZizaJsonStatusParser::parseToMsgInfo(std::string_view reply) {
  Value announce = parseReply(reply)["Announce"];
  if (!announce.isDictionary()) return nullptr;
  const NSDictionary& dic = *announce.dictionaryPointer();
  auto message = std::make_shared<NSMsgItem>();
  message->itemId = llValue(dic, "c_id", 0);
  message->itemName = strText(dic, "c_msg");
  message->areaId = llValue(dic, "c_group_id", 0);
  return message;
}

std::shared_ptr<NSMessageInfo> ZizaJsonStatusParser::parseToZizaMsgInfo(std::string_view reply) {
  Value counts = parseReply(reply);
  if (!counts.isDictionary()) return nullptr;
  const NSDictionary& dic = *counts.dictionaryPointer();
  auto info = std::make_shared<NSMessageInfo>();
  info->status = intValue(dic, "status", 0);
  info->follower = intValue(dic, "follower", 0);
  info->cmt = intValue(dic, "cmt", 0);
  info->dm = intValue(dic, "dm", 0);
  info->mention_status = intValue(dic, "mention_status", 0);
  info->mention_cmt = intValue(dic, "mention_cmt", 0);
  info->group = intValue(dic, "group", 0);
  info->notice = intValue(dic, "notice", 0);
  info->invite = intValue(dic, "invite", 0);
  info->badge = intValue(dic, "badge", 0);
  info->photo = intValue(dic, "photo", 0);
  return info;
}

std::optional<std::vector<std::shared_ptr<NSSearchItem>>>
ZizaJsonStatusParser::parseToHotSearchList(std::string_view reply) {
  return arrayReply(reply, dicToHotSearchItem);
}

std::optional<std::vector<std::shared_ptr<NSFanKuiItem>>> ZizaJsonStatusParser::parseToFanKuiList(
    std::string_view reply) {
  return arrayReply(reply, dicToFanKuiItem);
}

std::optional<std::vector<NSRealTimeItemPtr>> ZizaJsonStatusParser::parseToCerSearchList(
    std::string_view reply) {
  return arrayReply(reply, dicToRealTimeItem);
}

std::optional<std::vector<NSRealTimeItemPtr>> ZizaJsonStatusParser::parseToRealTimeQuotesList(
    std::string_view reply) {
  return arrayReply(reply, dicToRealTimeItem);
}

std::optional<std::vector<NSShopItemPtr>> ZizaJsonStatusParser::parseToShopList(
    std::string_view reply) {
  Value shops = parseReply(reply)["ShopBrandList"];
  if (!shops.isArray()) return std::nullopt;
  return mapDictionaries(*shops.arrayPointer(), dicToShopItem);
}

ValueDictionary ZizaJsonStatusParser::parseToShopDicList(std::string_view reply) {
  auto result = std::make_shared<NSMutableDictionary>();
  Value page = parseReply(reply);
  Value shops = page["ShopBrandList"];
  if (shops.isArray()) result->setObject(objectArrayOf(shops, dicToShopItem), "shoplist");
  Value cities = page["CityList"];
  if (cities.isArray()) result->setObject(objectArrayOf(cities, dicToCityItem), "citylist");
  return result;
}

std::shared_ptr<NSZiViLocation> ZizaJsonStatusParser::parseToZiViLocation(std::string_view reply) {
  Value page = parseReply(reply);
  Value groups = page["GroupList"];
  if (!groups.isArray()) return nullptr;
  const NSDictionary& dic = *page.dictionaryPointer();
  auto location = std::make_shared<NSZiViLocation>();
  location->teamList = mapDictionaries(*groups.arrayPointer(), dicToCityItem);
  location->curTeamId = llValue(dic, "TeamId", 0);
  Value topic = dic.objectForKey("Topic");
  if (topic.isDictionary()) location->topic = dicToNSTopic(*topic.dictionaryPointer());
  return location;
}

std::shared_ptr<NSTitleInfo> ZizaJsonStatusParser::dicToTitleInfo(const Value&) {
  return std::make_shared<NSTitleInfo>();
}

std::shared_ptr<NSSearchItem> ZizaJsonStatusParser::dicToHotSearchItem(const NSDictionary& dic) {
  auto item = std::make_shared<NSSearchItem>();
  item->itemName = strText(dic, "Keyword");
  item->count = llValue(dic, "Count", 0);
  item->desc = strText(dic, "Desc");
  return item;
}

std::shared_ptr<NSFanKuiItem> ZizaJsonStatusParser::dicToFanKuiItem(const NSDictionary& dic) {
  auto item = std::make_shared<NSFanKuiItem>();
  item->itemId = llValue(dic, "id", 0);
  item->itemName = strText(dic, "c_name");
  item->imgUrl = strText(dic, "c_imgurl");
  item->times = strText(dic, "c_add_dt");
  item->text = strText(dic, "c_text");
  item->create_at = timeValue(dic, "c_create_dt", 0);
  item->verified = boolValue(dic, "c_verified", false);
  return item;
}

NSRealTimeItemPtr ZizaJsonStatusParser::dicToRealTimeItem(const NSDictionary& dic) {
  auto item = std::make_shared<NSRealTimeItem>();
  item->itemId = llValue(dic, "id", 0);
  item->itemName = strText(dic, "c_name");
  item->clickURL = strText(dic, "c_url");
  return item;
}

NSShopItemPtr ZizaJsonStatusParser::dicToShopItem(const NSDictionary& dic) {
  auto shop = std::make_shared<NSShopItem>();
  shop->itemId = llValue(dic, "Id", 0);
  shop->itemName = strText(dic, "Name");
  shop->itemDetail = strText(dic, "ShopCount", "0");
  shop->linkUrl = strText(dic, "Url");
  shop->showUrl = strText(dic, "WebSite");
  shop->imageUrl = strText(dic, "Logo");
  Value cities = dic.objectForKey("CityList");
  if (cities.isArray()) shop->cityList = mapDictionaries(*cities.arrayPointer(), dicToCityItem);
  return shop;
}

std::shared_ptr<NSBaseItem> ZizaJsonStatusParser::dicToCityItem(const NSDictionary& dic) {
  auto city = std::make_shared<NSBaseItem>();
  city->itemId = llValue(dic, "Id", 0);
  city->itemName = strText(dic, "Name");
  return city;
}

// Adverts, login switches and profile.
#include "model/ParserValues.h"
#include "model/ZizaJsonStatusParser.h"

using namespace parser_values;

NSAdInfoPtr ZizaJsonStatusParser::dicToAdInfo(const NSDictionary& dic) {
  auto ad = std::make_shared<NSAdInfo>();
  ad->c_img = textOf(strValue(dic, "c_img", ""));
  ad->c_link_url = textOf(strValue(dic, "c_link_url", ""));
  ad->c_can_close = boolValue(dic, "c_can_close", false);
  ad->c_link_type = intValue(dic, "c_link_type", 0);
  ad->adId = llValue(dic, "c_id", 0);
  return ad;
}

NSAdInfoPtr ZizaJsonStatusParser::parseToAdInfo(std::string_view reply) {
  Value root = parseReply(reply);
  if (!root.isDictionary()) return nullptr;
  return dicToAdInfo(*root.dictionaryPointer());
}

NSAdInfoPtr ZizaJsonStatusParser::parseToStatueAdInfo(std::string_view reply) {
  Value root = parseReply(reply);
  if (!root.isDictionary()) return nullptr;
  Value ad = root.dictionary()->objectForKey("adInfo");
  if (!ad.isDictionary()) return nullptr;
  return dicToAdInfo(*ad.dictionaryPointer());
}

std::optional<std::vector<NSAdInfoPtr>> ZizaJsonStatusParser::parseToAdList(
    std::string_view reply) {
  Value root = parseReply(reply);
  if (!root.isArray()) return std::nullopt;
  std::vector<NSAdInfoPtr> list;
  for (const Value& element : *root.arrayPointer()) {
    if (element.isDictionary()) list.push_back(dicToAdInfo(*element.dictionaryPointer()));
  }
  return list;
}

NSLoginDataPtr ZizaJsonStatusParser::parseToLogin(std::string_view reply) {
  Value root = parseReply(reply);
  if (!root.isDictionary()) return nullptr;
  const NSDictionary& dic = *root.dictionaryPointer();
  auto data = std::make_shared<NSLoginData>();
  data->isShowAd = boolValue(dic, "isShowAd", false);
  data->isShardOdozuEdit = boolValue(dic, "isShardOdozuEdit", true);
  data->isGrayUser = boolValue(dic, "isGrayUser", false);
  // The server says whether seminars open without an account; the record keeps the opposite.
  data->isOpenSeminarNeedAccound = !boolValue(dic, "isOpenSeminarNoAccount", true);
  data->isOpenZiViNeedAccound = boolValue(dic, "isOpenZiViNeedAccount", false);
  data->isShowListAd = boolValue(dic, "isShowChannelListAd", false);
  data->errorLogEnable = boolValue(dic, "ErrorLogEnable", false);
  data->errorLogSubmit = boolValue(dic, "ErrorLogSubmit", false);
  data->useBehaviorEnable = boolValue(dic, "UseBehaviorEnable", false);
  data->useBehaviorSubmit = boolValue(dic, "UseBehaviorSubmit", false);

  Value upList = dic.objectForKey("UpList");
  if (upList.isArray()) {
    data->mDic = makeDictionary();
    for (const Value& element : *upList.arrayPointer()) {
      if (!element.isDictionary()) continue;
      const NSDictionary& entry = *element.dictionaryPointer();
      data->mDic->setObject(Value(textOf(strValue(entry, "updt", ""))),
                            textOf(strValue(entry, "cids", "")));
    }
  }
  data->setDicStr();

  Value ad = dic.objectForKey("adInfo");
  if (ad.isDictionary()) data->adInfo = dicToAdInfo(*ad.dictionaryPointer());
  return data;
}

NSLoginDataPtr ZizaJsonStatusParser::parseToProfile(std::string_view reply) {
  if (!parseReply(reply).isDictionary()) return nullptr;
  return std::make_shared<NSLoginData>();
}

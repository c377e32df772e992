// Channel entries and the user set-up options and steps.
#include <array>
#include <string>
#include <utility>

#include "model/ParserValues.h"
#include "model/ZizaJsonStatusParser.h"

using namespace parser_values;

namespace {

// The tile backgrounds that a server "Background" of "1" to "12" stands for.
constexpr std::array<std::string_view, 12> kTileBackgrounds = {
    "channelRed.png",     "channelPurple.png",     "channelLightBlue.png", "channelBlue.png",
    "channelGreen.png",   "channelLightGreen.png", "channelBrown.png",     "channelOrange.png",
    "channelNewBlue.png", "channelNewGreen.png",   "channelNewOrange.png", "channelBlack.png"};

// The server's template names and the numbers the screens switch on.
constexpr std::array<std::pair<std::string_view, int>, 15> kTemplateNames = {{
    {"EditorSuggestion", kTemplateEditorSuggestion},
    {"FansStatusWall", kTemplateFansStatusWall},
    {"LocalSubscription", kTemplateLocalSubscription},
    {"ReadLater", kTemplateReadLater},
    {"MyFavorite", kTemplateMyFavorite},
    {"RoDuda", kTemplateRoDuda},
    {"ThirdParty", kTemplateThirdParty},
    {"OnlineSeminar", kTemplateOnlineSeminar},
    {"MySubscription", kTemplateMySubscription},
    {"VideoPlay", kTemplateVideoPlay},
    {"VideoPlayLocalSub", kTemplateVideoPlayLocalSub},
    {"MyFavAndReadLater", kTemplateMyFavAndReadLater},
    {"HotTopicList", kTemplateHotTopicList},
    {"BusinessManagement", kTemplateBusinessManagement},
    {"VEZIExpo", kTemplateVEZIExpo},
}};

std::string tileBackground(std::string value) {
  for (size_t i = 0; i < kTileBackgrounds.size(); ++i) {
    if (value == std::to_string(i + 1)) return std::string(kTileBackgrounds[i]);
  }
  return value;
}

// A new mutable array with the elements of a non-empty array; nil otherwise.
ValueArray nonEmptyArrayCopy(const Value& v) {
  if (!v.isArray() || v.count() == 0) return nullptr;
  return v.array()->mutableCopy();
}

// The "title" of every dictionary element of an array.
ValueArray titlesOf(const NSArray& list) {
  auto titles = std::make_shared<NSMutableArray>();
  for (const Value& element : list) {
    if (element.isDictionary())
      titles->addObject(strValue(*element.dictionaryPointer(), "title", ""));
  }
  return titles;
}

std::vector<std::shared_ptr<NSUserProfileItem>> profileItemsOf(const Value& list) {
  std::vector<std::shared_ptr<NSUserProfileItem>> items;
  for (const Value& element : *list.arrayPointer()) {
    if (element.isDictionary()) {
      items.push_back(ZizaJsonStatusParser::dicToUserSetup(*element.dictionaryPointer()));
    }
  }
  return items;
}

}  // namespace

ChannelItemPtr ZizaJsonStatusParser::parseToChannel(const Value& channel) {
  auto item = std::make_shared<ChannelItem>();
  if (!channel.isDictionary()) return item;
  const NSDictionary& dic = *channel.dictionaryPointer();
  item->type = intValue(dic, "ID", 0);
  item->channelId = item->type;
  item->name = strText(dic, "Name");
  item->APIAddress = strText(dic, "ApiAddress");
  item->iconImage = strText(dic, "Logo");
  item->backgroundImage = tileBackground(strText(dic, "Background"));
  item->navigationImage = strText(dic, "NaviTitle");
  item->channelIcon = strText(dic, "ChannelTitle");
  item->iconMD5 = strText(dic, "LogoMD5");
  item->backgroundMD5 = strText(dic, "BackMD5");
  item->navigationMD5 = strText(dic, "NaviMD5");
  item->channelMD5 = strText(dic, "ChannelMD5");
  item->index = intValue(dic, "Index", 0);
  item->canSubscribe = boolValue(dic, "IsSubscribe", false);
  item->isFixed = boolValue(dic, "Fixed", false);
  item->isLike = boolValue(dic, "IsLike", false);
  item->isEnabled = boolValue(dic, "Enabled", true);
  item->isInTuiJian = boolValue(dic, "IsRecommended", true);
  item->isShowByUser = boolValue(dic, "Visible", true);
  item->channelnightImg = strText(dic, "NightImg");
  item->channelnightMD5 = strText(dic, "NightMD5");
  item->text = "";
  const std::string templateName = strText(dic, "TemplateId");
  for (const auto& [name, number] : kTemplateNames) {
    if (templateName == name) item->templateId = number;
  }
  if (auto names = nonEmptyArrayCopy(dic.objectForKey("subChannelNames"))) {
    item->subChannelNames = names;
  }
  if (auto ids = nonEmptyArrayCopy(dic.objectForKey("subChannelIds"))) item->subChannelIds = ids;
  return item;
}

std::optional<ChannelItemArray> ZizaJsonStatusParser::praseToChannelList(std::string_view reply) {
  Value list = parseReply(reply);
  if (!list.isArray()) return std::nullopt;
  ChannelItemArray channels;
  for (const Value& element : *list.arrayPointer()) {
    if (element.isDictionary()) channels.push_back(parseToChannel(element));
  }
  return channels;
}

ValueDictionary ZizaJsonStatusParser::parseToUserSetup(std::string_view reply) {
  Value options = parseReply(reply);
  if (!options.isDictionary()) return nullptr;
  const NSDictionary& dic = *options.dictionaryPointer();
  auto result = std::make_shared<NSMutableDictionary>();
  for (std::string_view key : {"industrysectorlist", "jobtitlelist", "businesstypes"}) {
    Value list = dic.objectForKey(key);
    if (list.isArray()) result->setObject(titlesOf(*list.arrayPointer()), key);
  }
  Value enable = dic.objectForKey("enable");
  result->setObject(enable.isNil() ? Value(true) : enable, "enable");
  return result;
}

std::shared_ptr<NSUserProfileItem> ZizaJsonStatusParser::dicToUserSetup(const NSDictionary& dic) {
  auto item = std::make_shared<NSUserProfileItem>();
  item->title = strText(dic, "title");
  item->itemId = llValue(dic, "id", 0);
  item->isSelect = boolValue(dic, "isselected", false);
  return item;
}

std::shared_ptr<NSUserProfile> ZizaJsonStatusParser::parseToNormalUserSetup(
    std::string_view reply) {
  auto profile = std::make_shared<NSUserProfile>();
  Value step = parseReply(reply);
  if (!step.isDictionary()) return profile;
  const NSDictionary& dic = *step.dictionaryPointer();
  profile->enable = boolValue(dic, "enable", true);
  profile->hasnext = boolValue(dic, "hasnext", false);
  profile->stringNextType = strText(dic, "nexttype");
  if (profile->stringNextType == "job") {
    profile->nexttype = 2;
  } else if (profile->stringNextType == "industry") {
    profile->nexttype = 1;
  } else if (profile->stringNextType == "none") {
    profile->nexttype = 4;
  } else if (!profile->stringNextType.empty()) {
    profile->nexttype = 3;
  }
  profile->stringType = strText(dic, "type");
  std::string_view listKey;
  if (profile->stringType == "job") {
    profile->type = 2;
    listKey = "jobtitlelist";
  } else if (profile->stringType == "industry") {
    profile->type = 1;
    listKey = "industrysectorlist";
  }
  if (!listKey.empty()) {
    Value list = dic.objectForKey(listKey);
    if (list.isArray()) profile->profilelist = profileItemsOf(list);
  }
  return profile;
}

std::optional<std::vector<std::string>> ZizaJsonStatusParser::parseToZiViInfo(
    std::string_view reply) {
  Value info = parseReply(reply);
  if (!info.isDictionary()) return std::nullopt;
  Value interests = info["interest"];
  if (!interests.isArray()) return std::nullopt;
  std::vector<std::string> titles;
  for (const Value& element : *interests.arrayPointer()) {
    if (element.isDictionary()) titles.push_back(strText(*element.dictionaryPointer(), "title"));
  }
  return titles;
}

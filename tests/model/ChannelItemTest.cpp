// The channel catalogue record: reading and writing its dictionaries, and the parser's channel
// entries and user set-up replies.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Common/JXKit/NSString+JXKitDeserializing.h"
#include "model/ChannelItem.h"
#include "model/ZizaJsonStatusParser.h"

namespace {

Value json(std::string_view text) {
  Value v = objectFromJSONString(text);
  EXPECT_FALSE(v.isNil()) << text;
  return v;
}

std::vector<std::string> strings(const ValueArray& array) {
  std::vector<std::string> out;
  if (!array) return out;
  for (const Value& v : *array) out.push_back(v.description());
  return out;
}

// ---- the record read from a catalogue dictionary ----

TEST(ChannelItemRecord, NewRecordIsShownAndOtherwiseEmpty) {
  ChannelItem item;
  EXPECT_TRUE(item.isShowByUser);
  EXPECT_FALSE(item.isEnabled);
  EXPECT_EQ(item.type, 0);
  EXPECT_EQ(item.templateId, 0);
  EXPECT_FALSE(item.subChannelIds);
  for (bool flag : item.isNeedDownLoad) EXPECT_FALSE(flag);
}

TEST(ChannelItemRecord, MissingValuesTakeTheirDefaults) {
  auto item = ChannelItem::initWithDic(json("{}"));
  EXPECT_EQ(item->type, 0);
  EXPECT_EQ(item->name, "");
  EXPECT_EQ(item->iconImage, "");
  EXPECT_EQ(item->text, "");
  EXPECT_TRUE(item->isEnabled);
  EXPECT_TRUE(item->isShowByUser);
  EXPECT_FALSE(item->canSubscribe);
  EXPECT_FALSE(item->hasSubscribed);
  EXPECT_FALSE(item->isInTuiJian);
  EXPECT_FALSE(item->isFixed);
  EXPECT_FALSE(item->subChannelIds);
  EXPECT_FALSE(item->subChannelNames);

  // Null counts as missing; a value of the wrong kind reads as its default or its text.
  item = ChannelItem::initWithDic(
      json(R"({"type":null,"name":null,"Enabled":null,"isShowByUser":null,"icon":12,"Index":"7",)"
           R"("background":["x"],"TemplateId":"abc"})"));
  EXPECT_EQ(item->type, 0);
  EXPECT_EQ(item->name, "");
  EXPECT_TRUE(item->isEnabled);
  EXPECT_TRUE(item->isShowByUser);
  EXPECT_EQ(item->iconImage, "12");
  EXPECT_EQ(item->index, 7);
  EXPECT_EQ(item->backgroundImage, "");
  EXPECT_EQ(item->templateId, 0);

  // Not a dictionary at all: every default.
  item = ChannelItem::initWithDic(json("[1]"));
  EXPECT_TRUE(item->isEnabled);
  EXPECT_EQ(item->type, 0);
}

TEST(ChannelItemRecord, ReadsEveryFileKey) {
  auto item = ChannelItem::initWithDic(json(R"({
    "icon":"iconID7.png","type":7,"background":"channelBrown.png","name":"合作媒体",
    "NaviTitle":"naviTitle7.png","ApiAddress":"/a","LogoMD5":"L","BackMD5":"B","NaviMD5":"N",
    "ChannelTitle":"channeliconID7.png","ChannelMD5":"C","NightImg":"night.png","NightMD5":"M",
    "Index":3,"Enabled":false,"TemplateId":6,"canSubscribe":true,"isInTuiJian":true,
    "isShowByUser":false,"hasSubscribed":true,"isFixed":true,"text":"t"})"));
  EXPECT_EQ(item->type, 7);
  EXPECT_EQ(item->channelId, 0);  // only the reply parser sets it
  EXPECT_EQ(item->iconImage, "iconID7.png");
  EXPECT_EQ(item->backgroundImage, "channelBrown.png");
  EXPECT_EQ(item->name, "合作媒体");
  EXPECT_EQ(item->navigationImage, "naviTitle7.png");
  EXPECT_EQ(item->APIAddress, "/a");
  EXPECT_EQ(item->iconMD5, "L");
  EXPECT_EQ(item->backgroundMD5, "B");
  EXPECT_EQ(item->navigationMD5, "N");
  EXPECT_EQ(item->channelIcon, "channeliconID7.png");
  EXPECT_EQ(item->channelMD5, "C");
  EXPECT_EQ(item->channelnightImg, "night.png");
  EXPECT_EQ(item->channelnightMD5, "M");
  EXPECT_EQ(item->index, 3);
  EXPECT_FALSE(item->isEnabled);
  EXPECT_EQ(item->templateId, 6);
  EXPECT_TRUE(item->canSubscribe);
  EXPECT_TRUE(item->isInTuiJian);
  EXPECT_FALSE(item->isShowByUser);
  EXPECT_TRUE(item->hasSubscribed);
  EXPECT_TRUE(item->isFixed);
  EXPECT_EQ(item->text, "t");
}

TEST(ChannelItemRecord, EmptyNightImageFallsBackToTheChannelIcon) {
  auto item = ChannelItem::initWithDic(json(R"({"ChannelTitle":"day.png","NightImg":""})"));
  EXPECT_EQ(item->channelnightImg, "day.png");
  item = ChannelItem::initWithDic(json(R"({"ChannelTitle":"day.png"})"));
  EXPECT_EQ(item->channelnightImg, "day.png");
}

TEST(ChannelItemRecord, SubChannelsOnlyForGroupingTemplates) {
  struct Case {
    int templateId;
    bool read;
  } cases[] = {{2, true}, {11, true}, {14, true}, {0, false}, {8, false}, {13, false}};
  for (const auto& c : cases) {
    auto item = ChannelItem::initWithDic(
        json(R"({"TemplateId":)" + std::to_string(c.templateId) +
             R"(,"subChannelIds":["31","32"],"subChannelNames":["市场","技术"]})"));
    if (c.read) {
      EXPECT_EQ(strings(item->subChannelIds), (std::vector<std::string>{"31", "32"}))
          << c.templateId;
      EXPECT_EQ(strings(item->subChannelNames), (std::vector<std::string>{"市场", "技术"}));
      // A copy the record may change.
      ASSERT_TRUE(item->subChannelIds->isMutable());
      item->subChannelIds->addObject("33");
    } else {
      EXPECT_FALSE(item->subChannelIds) << c.templateId;
      EXPECT_FALSE(item->subChannelNames) << c.templateId;
    }
  }
  // Empty arrays and non-arrays leave them unset.
  auto item = ChannelItem::initWithDic(json(R"({"TemplateId":14,"subChannelIds":[],)"
                                            R"("subChannelNames":"31"})"));
  EXPECT_FALSE(item->subChannelIds);
  EXPECT_FALSE(item->subChannelNames);
}

// ---- the record written as a catalogue dictionary ----

TEST(ChannelItemRecord, DictionaryHasTheTwentyFourKeysOfTheFile) {
  auto item = std::make_shared<ChannelItem>();
  item->type = 14;
  item->templateId = 14;
  item->name = "企业管理";
  item->isEnabled = true;
  item->hasSubscribed = true;
  item->isNeedDownLoad[0] = true;
  item->isShowNews = true;
  ValueDictionary dic = ChannelItem::getDicByChannelItem(item);

  const std::vector<std::string> keys = {
      "icon",         "type",          "background",    "name",
      "NaviTitle",    "ApiAddress",    "LogoMD5",       "BackMD5",
      "NaviMD5",      "ChannelTitle",  "subChannelIds", "subChannelNames",
      "ChannelMD5",   "NightImg",      "NightMD5",      "Index",
      "Enabled",      "TemplateId",    "canSubscribe",  "isInTuiJian",
      "isShowByUser", "hasSubscribed", "isFixed",       "text"};
  EXPECT_EQ(dic->allKeys(), keys);
  for (const char* key : {"type", "Index", "TemplateId"}) {
    EXPECT_EQ(dic->objectForKey(key).kind(), Value::Kind::Int) << key;
  }
  for (const char* key :
       {"Enabled", "canSubscribe", "isInTuiJian", "isShowByUser", "hasSubscribed", "isFixed"}) {
    EXPECT_EQ(dic->objectForKey(key).kind(), Value::Kind::Bool) << key;
  }
  for (const char* key : {"subChannelIds", "subChannelNames"}) {
    EXPECT_TRUE(dic->objectForKey(key).isArray()) << key;
    EXPECT_EQ(dic->objectForKey(key).count(), 0u);
  }
  // Writing fills the record's missing arrays.
  ASSERT_TRUE(item->subChannelIds);
  ASSERT_TRUE(item->subChannelNames);

  // Read back, the stored fields survive; the unstored ones do not.
  auto back = ChannelItem::initWithDic(Value(dic));
  EXPECT_EQ(back->type, 14);
  EXPECT_EQ(back->name, "企业管理");
  EXPECT_TRUE(back->hasSubscribed);
  EXPECT_TRUE(back->isEnabled);
  EXPECT_FALSE(back->isShowNews);
  EXPECT_FALSE(back->isNeedDownLoad[0]);
}

// ---- the parser's channel entries ----

TEST(ParseToChannel, ReadLaterExample) {
  auto item = ZizaJsonStatusParser::parseToChannel(
      json(R"({"ID":12,"Background":"3","TemplateId":"ReadLater"})"));
  ASSERT_TRUE(item);
  EXPECT_EQ(item->type, 12);
  EXPECT_EQ(item->channelId, 12);
  EXPECT_EQ(item->backgroundImage, "channelLightBlue.png");
  EXPECT_EQ(item->templateId, 3);
  EXPECT_TRUE(item->isEnabled);
  EXPECT_TRUE(item->isInTuiJian);
  EXPECT_TRUE(item->isShowByUser);
  EXPECT_FALSE(item->canSubscribe);
  EXPECT_FALSE(item->isFixed);
  EXPECT_FALSE(item->isLike);
  EXPECT_EQ(item->text, "");
  EXPECT_EQ(item->name, "");
  EXPECT_FALSE(item->subChannelIds);
}

TEST(ParseToChannel, BackgroundNumbersBecomeTileImages) {
  const std::pair<const char*, const char*> cases[] = {{"1", "channelRed.png"},
                                                       {"2", "channelPurple.png"},
                                                       {"3", "channelLightBlue.png"},
                                                       {"4", "channelBlue.png"},
                                                       {"5", "channelGreen.png"},
                                                       {"6", "channelLightGreen.png"},
                                                       {"7", "channelBrown.png"},
                                                       {"8", "channelOrange.png"},
                                                       {"9", "channelNewBlue.png"},
                                                       {"10", "channelNewGreen.png"},
                                                       {"11", "channelNewOrange.png"},
                                                       {"12", "channelBlack.png"},
                                                       // Anything else stays the image name it is.
                                                       {"13", "13"},
                                                       {"0", "0"},
                                                       {"01", "01"},
                                                       {"channelX.png", "channelX.png"},
                                                       {"", ""}};
  for (const auto& [value, image] : cases) {
    auto dic = makeDictionary({{"Background", value}});
    EXPECT_EQ(ZizaJsonStatusParser::parseToChannel(Value(dic))->backgroundImage, image) << value;
  }
  EXPECT_EQ(ZizaJsonStatusParser::parseToChannel(json(R"({"Background":null})"))->backgroundImage,
            "");
}

TEST(ParseToChannel, TemplateNamesMapToTheirNumbers) {
  const std::pair<const char*, int> cases[] = {
      {"EditorSuggestion", 0},
      {"FansStatusWall", 1},
      {"LocalSubscription", 2},
      {"ReadLater", 3},
      {"MyFavorite", 4},
      {"RoDuda", 5},
      {"ThirdParty", 6},
      {"OnlineSeminar", 7},
      {"MySubscription", 8},
      {"VideoPlay", 10},
      {"VideoPlayLocalSub", 11},
      {"MyFavAndReadLater", 12},
      {"HotTopicList", 13},
      {"BusinessManagement", 14},
      {"VEZIExpo", 15},
      // Unknown names, other cases and numbers leave the record's initial template.
      {"readlater", 0},
      {"Seminar", 0},
      {"", 0}};
  for (const auto& [name, number] : cases) {
    auto dic = makeDictionary({{"TemplateId", name}});
    EXPECT_EQ(ZizaJsonStatusParser::parseToChannel(Value(dic))->templateId, number) << name;
  }
  EXPECT_EQ(ZizaJsonStatusParser::parseToChannel(json(R"({"TemplateId":3})"))->templateId, 0);
}

TEST(ParseToChannel, ReadsEveryServerKey) {
  auto item = ZizaJsonStatusParser::parseToChannel(json(R"({
    "ID":"120","Name":"市场动态","ApiAddress":"/Channels/Channel.aspx","Logo":"http://h/l.png",
    "Background":"http://h/b.png","NaviTitle":"http://h/n.png","ChannelTitle":"http://h/c.png",
    "LogoMD5":"a1","BackMD5":"b2","NaviMD5":"c3","ChannelMD5":"d4","Index":5,
    "IsSubscribe":"1","Fixed":true,"IsLike":"YES","Enabled":"NO","IsRecommended":0,
    "Visible":false,"NightImg":"http://h/cn.png","NightMD5":"e5","TemplateId":"BusinessManagement",
    "subChannelIds":["1201","1202"],"subChannelNames":["甲","乙"],"text":"ignored"})"));
  EXPECT_EQ(item->type, 120);
  EXPECT_EQ(item->channelId, 120);
  EXPECT_EQ(item->name, "市场动态");
  EXPECT_EQ(item->APIAddress, "/Channels/Channel.aspx");
  EXPECT_EQ(item->iconImage, "http://h/l.png");
  EXPECT_EQ(item->backgroundImage, "http://h/b.png");
  EXPECT_EQ(item->navigationImage, "http://h/n.png");
  EXPECT_EQ(item->channelIcon, "http://h/c.png");
  EXPECT_EQ(item->iconMD5, "a1");
  EXPECT_EQ(item->backgroundMD5, "b2");
  EXPECT_EQ(item->navigationMD5, "c3");
  EXPECT_EQ(item->channelMD5, "d4");
  EXPECT_EQ(item->index, 5);
  EXPECT_TRUE(item->canSubscribe);
  EXPECT_TRUE(item->isFixed);
  EXPECT_TRUE(item->isLike);
  EXPECT_FALSE(item->isEnabled);
  EXPECT_FALSE(item->isInTuiJian);
  EXPECT_FALSE(item->isShowByUser);
  EXPECT_FALSE(item->hasSubscribed);
  EXPECT_EQ(item->channelnightImg, "http://h/cn.png");
  EXPECT_EQ(item->channelnightMD5, "e5");
  EXPECT_EQ(item->templateId, 14);
  EXPECT_EQ(item->text, "");
  EXPECT_EQ(strings(item->subChannelIds), (std::vector<std::string>{"1201", "1202"}));
  EXPECT_EQ(strings(item->subChannelNames), (std::vector<std::string>{"甲", "乙"}));
}

TEST(ParseToChannel, NullFlagsTakeTheirDefaultsAndIdNullReadsZero) {
  auto item = ZizaJsonStatusParser::parseToChannel(
      json(R"({"ID":null,"Enabled":null,"Visible":null,"IsRecommended":null,"IsSubscribe":null})"));
  EXPECT_EQ(item->type, 0);
  EXPECT_TRUE(item->isEnabled);
  EXPECT_TRUE(item->isShowByUser);
  EXPECT_TRUE(item->isInTuiJian);
  EXPECT_FALSE(item->canSubscribe);
}

TEST(ParseToChannel, EmptySubChannelArraysStayUnset) {
  auto item = ZizaJsonStatusParser::parseToChannel(
      json(R"({"ID":3,"subChannelNames":[],"subChannelIds":"31"})"));
  EXPECT_FALSE(item->subChannelNames);
  EXPECT_FALSE(item->subChannelIds);
}

TEST(ParseToChannel, NonDictionaryGivesTheInitialRecord) {
  for (const Value& v : {Value(), Value::null(), Value("x"), json("[1,2]")}) {
    auto item = ZizaJsonStatusParser::parseToChannel(v);
    ASSERT_TRUE(item);
    EXPECT_EQ(item->type, 0);
    EXPECT_TRUE(item->isShowByUser);
    EXPECT_FALSE(item->isEnabled);
    EXPECT_FALSE(item->isInTuiJian);
  }
}

TEST(PraseToChannelList, ArrayOfChannelsSkipsOtherElements) {
  auto list = ZizaJsonStatusParser::praseToChannelList(
      R"([{"ID":1,"Name":"要闻"},3,"x",null,[],{"ID":2,"Name":"微博墙"}])");
  ASSERT_TRUE(list);
  ASSERT_EQ(list->size(), 2u);
  EXPECT_EQ((*list)[0]->type, 1);
  EXPECT_EQ((*list)[1]->name, "微博墙");

  EXPECT_TRUE(ZizaJsonStatusParser::praseToChannelList("[]")->empty());
  EXPECT_FALSE(ZizaJsonStatusParser::praseToChannelList(R"({"ID":1})"));
  EXPECT_FALSE(ZizaJsonStatusParser::praseToChannelList("not json"));
  EXPECT_FALSE(ZizaJsonStatusParser::praseToChannelList(""));
}

// ---- user set-up ----

TEST(ParseToUserSetup, TitleListsAndEnable) {
  ValueDictionary result = ZizaJsonStatusParser::parseToUserSetup(R"({
    "industrysectorlist":[{"title":"制造"},{"title":null},7,{"id":3}],
    "jobtitlelist":"经理",
    "businesstypes":[{"title":"贸易"}]})");
  ASSERT_TRUE(result);
  EXPECT_EQ(result->allKeys(),
            (std::vector<std::string>{"industrysectorlist", "businesstypes", "enable"}));
  EXPECT_EQ(strings(result->objectForKey("industrysectorlist").array()),
            (std::vector<std::string>{"制造", "", ""}));
  EXPECT_EQ(strings(result->objectForKey("businesstypes").array()),
            (std::vector<std::string>{"贸易"}));
  EXPECT_TRUE(result->objectForKey("jobtitlelist").isNil());
  // No "enable" in the reply reads as YES.
  EXPECT_EQ(result->objectForKey("enable").kind(), Value::Kind::Bool);
  EXPECT_TRUE(result->objectForKey("enable").boolValue());

  // A given "enable" is passed on unchanged.
  result = ZizaJsonStatusParser::parseToUserSetup(R"({"enable":"0","jobtitlelist":[]})");
  ASSERT_TRUE(result);
  EXPECT_EQ(result->objectForKey("enable"), Value("0"));
  EXPECT_EQ(result->objectForKey("jobtitlelist").count(), 0u);
  EXPECT_TRUE(result->objectForKey("jobtitlelist").isArray());

  EXPECT_FALSE(ZizaJsonStatusParser::parseToUserSetup("[]"));
  EXPECT_FALSE(ZizaJsonStatusParser::parseToUserSetup("{"));
}

TEST(DicToUserSetup, ReadsOneOption) {
  auto item = ZizaJsonStatusParser::dicToUserSetup(
      *json(R"({"title":"工程师","id":"9000000000","isselected":"true"})").dictionary());
  EXPECT_EQ(item->title, "工程师");
  EXPECT_EQ(item->itemId, 9000000000LL);
  EXPECT_TRUE(item->isSelect);

  item = ZizaJsonStatusParser::dicToUserSetup(*json(R"({"id":null})").dictionary());
  EXPECT_EQ(item->title, "");
  EXPECT_EQ(item->itemId, 0);
  EXPECT_FALSE(item->isSelect);
}

TEST(ParseToNormalUserSetup, NextTypes) {
  const std::pair<const char*, int> cases[] = {
      {R"("nexttype":"job")", 2},    {R"("nexttype":"industry")", 1}, {R"("nexttype":"none")", 4},
      {R"("nexttype":"school")", 3}, {R"("nexttype":"")", 0},         {R"("nexttype":null)", 0},
      {R"("other":1)", 0},           {R"("nexttype":"Job")", 3}};
  for (const auto& [member, nexttype] : cases) {
    auto profile = ZizaJsonStatusParser::parseToNormalUserSetup(std::string("{") + member + "}");
    ASSERT_TRUE(profile);
    EXPECT_EQ(profile->nexttype, nexttype) << member;
  }
  auto profile = ZizaJsonStatusParser::parseToNormalUserSetup(R"({"nexttype":"school"})");
  EXPECT_EQ(profile->stringNextType, "school");
}

TEST(ParseToNormalUserSetup, StepTypesAndTheirLists) {
  auto job = ZizaJsonStatusParser::parseToNormalUserSetup(R"({
    "type":"job","hasnext":true,"enable":false,
    "jobtitlelist":[{"title":"经理","id":1,"isselected":true},"x",{"title":"工程师","id":2}],
    "industrysectorlist":[{"title":"制造","id":3}]})");
  EXPECT_EQ(job->type, 2);
  EXPECT_EQ(job->stringType, "job");
  EXPECT_TRUE(job->hasnext);
  EXPECT_FALSE(job->enable);
  ASSERT_EQ(job->profilelist.size(), 2u);
  EXPECT_EQ(job->profilelist[0]->title, "经理");
  EXPECT_TRUE(job->profilelist[0]->isSelect);
  EXPECT_EQ(job->profilelist[1]->itemId, 2);

  auto industry = ZizaJsonStatusParser::parseToNormalUserSetup(
      R"({"type":"industry","jobtitlelist":[{"title":"经理"}],"industrysectorlist":[{"title":"制造"}]})");
  EXPECT_EQ(industry->type, 1);
  ASSERT_EQ(industry->profilelist.size(), 1u);
  EXPECT_EQ(industry->profilelist[0]->title, "制造");
  // Missing flags: enabled, no next step.
  EXPECT_TRUE(industry->enable);
  EXPECT_FALSE(industry->hasnext);

  auto other = ZizaJsonStatusParser::parseToNormalUserSetup(
      R"({"type":"school","jobtitlelist":[{"title":"经理"}]})");
  EXPECT_EQ(other->type, 0);
  EXPECT_EQ(other->stringType, "school");
  EXPECT_TRUE(other->profilelist.empty());

  auto notAList =
      ZizaJsonStatusParser::parseToNormalUserSetup(R"({"type":"job","jobtitlelist":{}})");
  EXPECT_EQ(notAList->type, 2);
  EXPECT_TRUE(notAList->profilelist.empty());
}

TEST(ParseToNormalUserSetup, ReplyThatIsNotADictionaryGivesAnEmptyProfile) {
  for (const char* reply : {"[]", "", "nonsense", "[{\"type\":\"job\"}]"}) {
    auto profile = ZizaJsonStatusParser::parseToNormalUserSetup(reply);
    ASSERT_TRUE(profile) << reply;
    EXPECT_FALSE(profile->enable);
    EXPECT_EQ(profile->type, 0);
    EXPECT_EQ(profile->nexttype, 0);
    EXPECT_TRUE(profile->profilelist.empty());
  }
}

TEST(ParseToZiViInfo, InterestTitles) {
  auto titles = ZizaJsonStatusParser::parseToZiViInfo(
      R"({"interest":[{"title":"汽车"},"x",{"title":12},{}]})");
  ASSERT_TRUE(titles);
  EXPECT_EQ(*titles, (std::vector<std::string>{"汽车", "12", ""}));

  for (const char* reply :
       {"", "[]", R"({"other":[]})", R"({"interest":"汽车"})", R"({"interest":null})"}) {
    EXPECT_FALSE(ZizaJsonStatusParser::parseToZiViInfo(reply)) << reply;
  }
}

}  // namespace

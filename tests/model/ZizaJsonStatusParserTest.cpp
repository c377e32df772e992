// The status and user readers of the reply parser, on sample replies of a news channel and of
// platform timelines.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "model/JsonStatusParser.h"
#include "model/ZizaJsonStatusParser.h"

namespace {

std::string fixture(const std::string& name) {
  auto path = std::filesystem::path(ZEPT_MODEL_TEST_DATA) / name;
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in) << path;
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// 2013-12-07 10:00:00 in the device's zone (Asia/Shanghai).
constexpr int64_t kDec7At10 = 1386381600;

TEST(StatusReplies, ChannelPage) {
  auto page = ZizaJsonStatusParser::parseDicToNormalStatusesInfo(fixture("channel_page.json"));
  ASSERT_TRUE(page);
  EXPECT_EQ(page->previous_cursor, 3571203948102331LL);
  EXPECT_EQ(page->next_cursor, 3571198215559412LL);
  EXPECT_EQ(page->total_number, 1288);
  ASSERT_TRUE(page->otherInfo.isNumber());
  EXPECT_EQ(page->otherInfo.longLongValue(), 9007199254740993LL);

  // The number in the list is skipped; the sponsor is the second item.
  ASSERT_TRUE(page->statuses);
  const StatusArray& list = *page->statuses;
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[0]->statusId, 3652874118035870LL);
  EXPECT_EQ(list[1]->statusId, 99001);
  EXPECT_EQ(list[2]->statusId, 3652866543821114LL);

  const Status& a = *list[0];
  EXPECT_EQ(a.createdAt, kDec7At10);
  EXPECT_EQ(a.vorluId, 88120);
  EXPECT_EQ(a.text, "【光伏】多晶硅价格本周回升至¥16.5万/吨，行业库存持续下降。");
  EXPECT_EQ(a.source, "行业资讯客户端");
  EXPECT_EQ(a.thumbnailPic, "http://ww1.img.example/thumbnail/6a1e2f3bjw1dzi.jpg");
  EXPECT_EQ(a.bmiddlePic, "http://ww1.img.example/bmiddle/6a1e2f3bjw1dzi.jpg");
  EXPECT_EQ(a.originalPic, "http://ww1.img.example/large/6a1e2f3bjw1dzi.jpg");
  EXPECT_EQ(a.commentsCount, 37);
  EXPECT_EQ(a.retweetsCount, 152);
  EXPECT_EQ(a.likeCount, 9);
  EXPECT_EQ(a.httpLinkTypes, "video,article");
  EXPECT_EQ(a.inReplyToStatusId, 0);
  EXPECT_EQ(a.inReplyToScreenName, "");
  EXPECT_FALSE(a.favorited);
  EXPECT_FALSE(a.retweetedStatus);
  ASSERT_TRUE(a.user);
  EXPECT_EQ(a.user->userId, 1893458120);
  EXPECT_EQ(a.user->username, "solarnews");
  EXPECT_EQ(a.user->screenName, "光伏观察");
  EXPECT_EQ(a.user->province, "31");
  EXPECT_EQ(a.user->city, "1000");
  EXPECT_EQ(a.user->location, "上海 徐汇区");
  EXPECT_EQ(a.user->description, "专注光伏产业链每日行情与深度分析");
  EXPECT_EQ(a.user->profileImageUrl, "http://tp1.img.example/1893458120/50/1.jpg");
  EXPECT_EQ(a.user->gender, 1);
  EXPECT_EQ(a.user->followersCount, 235810);
  EXPECT_EQ(a.user->friendsCount, 412);
  EXPECT_EQ(a.user->statusesCount, 10388);
  EXPECT_EQ(a.user->favouritesCount, 55);
  EXPECT_TRUE(a.user->following);
  EXPECT_TRUE(a.user->verified);

  const Status& sponsor = *list[1];
  EXPECT_EQ(sponsor.text, "赞助：2014国际储能峰会报名开启");
  EXPECT_EQ(sponsor.source, "赞助商");
  EXPECT_EQ(sponsor.bmiddlePic, "http://ad.img.example/bmiddle/expo2014.png");

  const Status& b = *list[2];
  EXPECT_EQ(b.commentsCount, 0);  // null
  EXPECT_EQ(b.retweetsCount, 4);  // numeric text
  EXPECT_FALSE(b.delected);       // "0"
  EXPECT_EQ(b.source, "web");
  EXPECT_EQ(b.thumbnailPic, "");
  ASSERT_TRUE(b.user);
  EXPECT_EQ(b.user->gender, 0);  // "n"
  ASSERT_TRUE(b.retweetedStatus);
  const Status& rt = *b.retweetedStatus;
  EXPECT_EQ(rt.statusId, 3652696578121342LL);
  EXPECT_EQ(rt.text, "国家能源局：前三季度风电新增并网容量达•1023万千瓦");
  EXPECT_EQ(rt.source, "微博 weibo.com");
  EXPECT_EQ(rt.bmiddlePic, "http://ww2.img.example/custom/5b2c9d1fgw1dzh.jpg");  // given: kept
  EXPECT_EQ(rt.originalPic, "http://ww2.img.example/large/5b2c9d1fgw1dzh.jpg");  // empty: derived
  ASSERT_TRUE(rt.user);
  EXPECT_EQ(rt.user->gender, 2);
  EXPECT_EQ(rt.user->screenName, "能源网");
}

TEST(StatusReplies, ChannelPageStatusesOnly) {
  auto list = ZizaJsonStatusParser::parseDicToStatuses(fixture("channel_page.json"));
  ASSERT_TRUE(list);
  // parseDicToStatuses knows nothing of sponsors.
  ASSERT_EQ(list->size(), 2u);
  EXPECT_EQ((*list)[1]->statusId, 3652866543821114LL);
}

TEST(StatusReplies, TimelineRepostPictureAndSourceRules) {
  auto page = ZizaJsonStatusParser::parseDicToStatusesInfo(fixture("timeline.json"));
  ASSERT_TRUE(page);
  EXPECT_EQ(page->previous_cursor, 0);
  EXPECT_EQ(page->next_cursor, 3652840111002235LL);
  EXPECT_EQ(page->total_number, 3);
  EXPECT_TRUE(page->otherInfo.isNil());
  ASSERT_TRUE(page->statuses);
  const StatusArray& list = *page->statuses;
  ASSERT_EQ(list.size(), 3u);  // the string and the null are skipped

  // The trailing picture address moves out of the text, and the picture rule derives the
  // other two addresses from it (no "thumbnail" in it, so they equal it).
  EXPECT_EQ(list[0]->text, "锂电池产能过剩隐忧 [来源：中国化工报]");
  EXPECT_EQ(list[0]->thumbnailPic, "http://pic.news.example/2013/1207/battery.jpg");
  EXPECT_EQ(list[0]->bmiddlePic, "http://pic.news.example/2013/1207/battery.jpg");
  EXPECT_EQ(list[0]->originalPic, "http://pic.news.example/2013/1207/battery.jpg");
  EXPECT_EQ(list[0]->source, "");  // an anchor without "</a>"
  ASSERT_TRUE(list[0]->user);
  EXPECT_EQ(list[0]->user->description, "");

  EXPECT_EQ(list[1]->text, "2/2 续：产业链调研 [来源：证券时报] http://pic.news.example/2.jpg");
  EXPECT_EQ(list[1]->thumbnailPic, "");
  EXPECT_TRUE(list[1]->delected);
  EXPECT_FALSE(list[1]->user);

  EXPECT_EQ(list[2]->text, "芯片进口额再创新高 http://t.example/abc [来源：海关总署]");
  EXPECT_EQ(list[2]->thumbnailPic, "");
}

TEST(StatusReplies, UserReply) {
  auto user = ZizaJsonStatusParser::parseToUser(fixture("user.json"));
  ASSERT_TRUE(user);
  EXPECT_EQ(user->userId, 2011075080);
  EXPECT_EQ(user->username, "energy_net");
  EXPECT_EQ(user->description, "能源行业门户权威发布政策解读");
  EXPECT_EQ(user->gender, 2);
  EXPECT_EQ(user->followersCount, 128000);
  EXPECT_FALSE(user->following);  // "false"
  EXPECT_TRUE(user->verified);    // 1
  EXPECT_EQ(user->profileLargeImageUrl, "");
  EXPECT_EQ(user->countrycode, 0);
  ASSERT_TRUE(user->lastStatus);
  EXPECT_EQ(user->lastStatus->statusId, 3652858765432101LL);
  EXPECT_EQ(user->lastStatus->createdAt, kDec7At10 - 3600);
  EXPECT_EQ(user->lastStatus->text, "电网投资计划公布%EF%BC%8C同比增长");  // upper case stays
}

TEST(StatusReplies, FailureReply) {
  std::string failure = fixture("failure.json");
  EXPECT_FALSE(ZizaJsonStatusParser::parseDicToStatuses(failure));
  EXPECT_FALSE(ZizaJsonStatusParser::parseToStatuses(failure));
  auto page = ZizaJsonStatusParser::parseDicToNormalStatusesInfo(failure);
  ASSERT_TRUE(page);
  EXPECT_EQ(page->previous_cursor, 0);
  EXPECT_EQ(page->next_cursor, 0);
  EXPECT_EQ(page->total_number, 0);
  EXPECT_FALSE(page->statuses);
  EXPECT_EQ(page->otherInfo.longLongValue(), 0);
  auto plain = ZizaJsonStatusParser::parseDicToStatusesInfo(failure);
  ASSERT_TRUE(plain);
  EXPECT_FALSE(plain->statuses);
  // Read as a single status it is an empty one: the envelope keys are not looked at.
  auto status = ZizaJsonStatusParser::parseToStatus(failure);
  ASSERT_TRUE(status);
  EXPECT_EQ(status->statusId, 0);
  EXPECT_EQ(status->text, "");
}

TEST(StatusReplies, WrongTopLevelOrNotJson) {
  for (std::string reply :
       {"", "   ", "<html>502 Bad Gateway</html>", "{\"statuses\":[", "null", "\"text\"", "[1,]"}) {
    EXPECT_FALSE(ZizaJsonStatusParser::parseToStatuses(reply)) << reply;
    EXPECT_FALSE(ZizaJsonStatusParser::parseDicToStatuses(reply)) << reply;
    EXPECT_FALSE(ZizaJsonStatusParser::parseDicToStatusesInfo(reply)) << reply;
    EXPECT_FALSE(ZizaJsonStatusParser::parseDicToNormalStatusesInfo(reply)) << reply;
    EXPECT_FALSE(ZizaJsonStatusParser::parseToStatus(reply)) << reply;
    EXPECT_FALSE(ZizaJsonStatusParser::parseToUser(reply)) << reply;
    EXPECT_TRUE(ZizaJsonStatusParser::parseToSearchUserList(reply).empty()) << reply;
  }
  // Each reader wants its own top-level type.
  EXPECT_FALSE(ZizaJsonStatusParser::parseToStatuses("{\"statuses\":[]}"));
  EXPECT_FALSE(ZizaJsonStatusParser::parseDicToStatuses("[{\"id\":1}]"));
  EXPECT_FALSE(ZizaJsonStatusParser::parseDicToNormalStatusesInfo("[{\"id\":1}]"));
  EXPECT_FALSE(ZizaJsonStatusParser::parseToStatus("[{\"id\":1}]"));
  EXPECT_FALSE(ZizaJsonStatusParser::parseToUser("[{\"id\":1}]"));
  // "statuses" that is no array.
  EXPECT_FALSE(ZizaJsonStatusParser::parseDicToStatuses("{\"statuses\":{\"id\":1}}"));
  auto page = ZizaJsonStatusParser::parseDicToStatusesInfo(
      "{\"statuses\":\"none\",\"next_cursor\":\"77\",\"total_number\":null}");
  ASSERT_TRUE(page);
  EXPECT_FALSE(page->statuses);
  EXPECT_EQ(page->next_cursor, 77);
  EXPECT_EQ(page->total_number, 0);
}

TEST(StatusReplies, StatusArrayReply) {
  auto list = ZizaJsonStatusParser::parseToStatuses(
      "[{\"id\":1,\"text\":\"甲\"},2,[3],{\"id\":4,\"text\":\"乙\"},null]");
  ASSERT_TRUE(list);
  ASSERT_EQ(list->size(), 2u);
  EXPECT_EQ((*list)[0]->text, "甲");
  EXPECT_EQ((*list)[1]->statusId, 4);
  auto same = ZizaJsonStatusParser::parseToStatusArray("[{\"id\":1},{\"id\":4}]");
  ASSERT_TRUE(same);
  EXPECT_EQ(same->size(), 2u);
  auto empty = ZizaJsonStatusParser::parseToStatuses("[]");
  ASSERT_TRUE(empty);
  EXPECT_TRUE(empty->empty());
  EXPECT_FALSE(ZizaJsonStatusParser::parseDicToProductStatuses(fixture("channel_page.json")));
}

TEST(StatusReplies, SponsorPlacement) {
  const std::string sponsor = ",\"SponsorDromel\":{\"id\":9,\"text\":\"S\"}";
  struct Case {
    std::string statuses;
    std::vector<int64_t> ids;  // empty with hasList false: no list at all
    bool hasList;
  } cases[] = {
      {"\"statuses\":[{\"id\":1},{\"id\":2}]", {1, 9, 2}, true},
      {"\"statuses\":[{\"id\":1},{\"id\":2},{\"id\":3}]", {1, 9, 2, 3}, true},
      {"\"statuses\":[{\"id\":1}]", {1, 9}, true},
      {"\"statuses\":[]", {9}, true},
      {"\"statuses\":[5]", {9}, true},
      {"\"next_cursor\":0", {}, false},
  };
  for (const auto& c : cases) {
    auto page =
        ZizaJsonStatusParser::parseDicToNormalStatusesInfo("{" + c.statuses + sponsor + "}");
    ASSERT_TRUE(page) << c.statuses;
    ASSERT_EQ(bool(page->statuses), c.hasList) << c.statuses;
    if (!c.hasList) continue;
    std::vector<int64_t> ids;
    for (const auto& s : *page->statuses) ids.push_back(s->statusId);
    EXPECT_EQ(ids, c.ids) << c.statuses;
  }
  // A sponsor that is no dictionary is ignored.
  auto page = ZizaJsonStatusParser::parseDicToNormalStatusesInfo(
      "{\"statuses\":[{\"id\":1}],\"SponsorDromel\":\"ad\",\"query_id\":\"31\"}");
  ASSERT_TRUE(page && page->statuses);
  EXPECT_EQ(page->statuses->size(), 1u);
  EXPECT_EQ(page->otherInfo.longLongValue(), 31);
  // A null query id reads as 0.
  page = ZizaJsonStatusParser::parseDicToNormalStatusesInfo("{\"query_id\":null}");
  ASSERT_TRUE(page);
  EXPECT_EQ(page->otherInfo.longLongValue(), 0);
}

TEST(StatusReplies, RetweetDictionaryStopsTheRepostImageRule) {
  const std::string text = "\"text\":\"abc [来源xyz] http://x/1.jpg \"";
  auto repost =
      ZizaJsonStatusParser::parseToStatus("{" + text + ",\"retweeted_status\":{\"id\":2}}");
  ASSERT_TRUE(repost);
  ASSERT_TRUE(repost->retweetedStatus);
  EXPECT_EQ(repost->retweetedStatus->statusId, 2);
  EXPECT_EQ(repost->thumbnailPic, "");
  EXPECT_EQ(repost->text, "abc [来源xyz] http://x/1.jpg ");

  // A retweet that is not a dictionary counts as none.
  auto plain = ZizaJsonStatusParser::parseToStatus("{" + text + ",\"retweeted_status\":\"2\"}");
  ASSERT_TRUE(plain);
  EXPECT_FALSE(plain->retweetedStatus);
  EXPECT_EQ(plain->thumbnailPic, "http://x/1.jpg");
  EXPECT_EQ(plain->text, "abc [来源xyz]");
}

TEST(StatusRules, RepostImage) {
  struct Case {
    const char* text;
    const char* thumbnail;
    const char* after;
  } cases[] = {
      {"abc [来源xyz] http://x/1.jpg ", "http://x/1.jpg", "abc [来源xyz]"},
      {"2/2 abc [来源xyz] http://x/1.jpg ", "", "2/2 abc [来源xyz] http://x/1.jpg "},
      {"abc http://x/1.jpg", "", "abc http://x/1.jpg"},
      {"abc http://x/1.jpg [来源xyz]", "", "abc http://x/1.jpg [来源xyz]"},
      {"a [来源b] http://x/1 http://y/2", "http://y/2", "a [来源b] http://x/1"},
      {"a [来源b] http://x/1 [来源c]", "", "a [来源b] http://x/1 [来源c]"},
      {"a [来源b] https://x/1.jpg", "", "a [来源b] https://x/1.jpg"},
      // The separator is one character, however many bytes it takes.
      {"a [来源b]\u3000http://x/1.jpg", "http://x/1.jpg", "a [来源b]"},
      {"a [来源b]图http://x/1.jpg\n", "http://x/1.jpg", "a [来源b]"},
      {"[来源]http://x/1.jpg", "http://x/1.jpg", "[来源"},
      // A stray byte is no white space.
      {"a [来源b] http://x/1.jpg\x85", "http://x/1.jpg\x85", "a [来源b]"},
      {"", "", ""},
  };
  for (const auto& c : cases) {
    Status s;
    s.text = c.text;
    ZizaJsonStatusParser::setRepostImage(s);
    EXPECT_EQ(s.thumbnailPic, c.thumbnail) << c.text;
    EXPECT_EQ(s.text, c.after) << c.text;
  }
}

TEST(StatusRules, SourceAndPictures) {
  struct Case {
    const char* source;
    const char* shown;
  } sources[] = {
      {"<a href=\"http://app.example/\" rel=\"nofollow\">Client</a>", "Client"},
      {"<a target=\"_blank\" href=\"http://w.example/\">微博</a>", "微博"},
      {"web", "web"},
      {"", ""},
      {"<a href=\"http://app.example/\">never closed", ""},
      {"<a href=http://app.example/>Client</a>", ""},
      {"</a><a href=\"x\">late", ""},
      {"<A HREF=\"x\">Upper</A>", "<A HREF=\"x\">Upper</A>"},
  };
  for (const auto& c : sources) {
    Status s;
    s.source = c.source;
    ZizaJsonStatusParser::toSetStatusURL(s);
    EXPECT_EQ(s.source, c.shown) << c.source;
  }

  Status s;
  s.thumbnailPic = "http://h/thumbnail/a.jpg";
  ZizaJsonStatusParser::toSetStatusURL(s);
  EXPECT_EQ(s.bmiddlePic, "http://h/bmiddle/a.jpg");
  EXPECT_EQ(s.originalPic, "http://h/large/a.jpg");

  Status given;
  given.thumbnailPic = "http://thumbnail.h/thumbnail/a.jpg";
  given.bmiddlePic = "http://h/own.jpg";
  ZizaJsonStatusParser::toSetStatusURL(given);
  EXPECT_EQ(given.bmiddlePic, "http://h/own.jpg");
  EXPECT_EQ(given.originalPic, "http://large.h/large/a.jpg");

  Status none;
  ZizaJsonStatusParser::toSetStatusURL(none);
  EXPECT_EQ(none.bmiddlePic, "");
  EXPECT_EQ(none.originalPic, "");
}

TEST(StatusRules, TextCleanUp) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"a&yuan;b%ef%bc%8c", "a¥b，"},
      {"a%EF%BC%8Cb", "a%EF%BC%8Cb"},
      {"", ""},
      {"&EUR$;&pound;&yuan;&dian;&smile;", "€£¥•^\u2006_\u2006^"},
      {"%ef%bd%9e%ef%bc%81%ef%bf%a5%e2%80%a6%ef%bc%88%ef%bc%89%e2%80%94%ef%bc%9b%ef%bc%9a"
       "%e2%80%98%e2%80%99%e2%80%9c%e2%80%9d%e3%80%81%ef%bc%9f%e3%80%8a%e3%80%8b%e3%80%82"
       "%ef%bc%8c%e3%80%90%e3%80%91%ef%bc%bb%ef%bc%bd",
       "～！￥…（）—；：‘’“”、？《》。，【】［］"},
      {"涨幅100%，&amp; %e4%b8%ad", "涨幅100%，&amp; %e4%b8%ad"},
      {"%e3%80%8", "%e3%80%8"},
      {"&yuan;&yuan;", "¥¥"},
      {"%&yuan;%ef%bc%8c&&dian;%", "%¥，&•%"},
      {"无需处理的文本", "无需处理的文本"},
      // An entity is whole only up to its own ';'.
      {"&yuan &yuan;;&smilex;&pound", "&yuan ¥;&smilex;&pound"},
      {"&;&&dian;%%e3%80%82%e3%80%8", "&;&•%。%e3%80%8"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ZizaJsonStatusParser::stringReplaceSpecialPunctuation(c.in), c.out) << c.in;
  // The text of a status goes through it; a missing text becomes empty.
  auto s = ZizaJsonStatusParser::parseToStatus("{\"text\":\"&pound;5%e2%80%94\"}");
  ASSERT_TRUE(s);
  EXPECT_EQ(s->text, "£5—");
  s = ZizaJsonStatusParser::parseToStatus("{}");
  ASSERT_TRUE(s);
  EXPECT_EQ(s->text, "");
}

// A user's description loses its "<br />" marks, CRs and LFs; a mark that only appears once
// another is dropped stays.
TEST(ZizaJsonStatusParser, UserDescriptionsLoseLineBreaks) {
  const std::pair<const char*, const char*> cases[] = {
      {R"(专注<br />光伏\r\n产业链)", "专注光伏产业链"},
      {R"(<br /><br />)", ""},
      {R"(<br\r /> and <br <br />/>)", "<br /> and <br />"},
      {R"(no marks <br>)", "no marks <br>"},
      {R"(<br /)", "<br /"},
      {R"(\n)", ""},
  };
  for (const auto& [json, expected] : cases) {
    SCOPED_TRACE(json);
    auto u = ZizaJsonStatusParser::parseToUser(std::string("{\"description\":\"") + json + "\"}");
    ASSERT_TRUE(u);
    EXPECT_EQ(u->description, expected);
  }
}
TEST(StatusRules, ValuesOfTheWrongTypeReadAsAbsent) {
  auto s = ZizaJsonStatusParser::parseToStatus(
      "{\"text\":12,\"id\":null,\"eid\":[1],\"created_at\":null,\"source\":null,"
      "\"favorited\":null,\"truncated\":\"yes\",\"comments_count\":null,\"reposts_count\":{},"
      "\"likes_count\":2.9,\"in_reply_to_user_id\":true,\"thumbnail_pic\":7,"
      "\"deleted\":1,\"user\":\"someone\",\"retweeted_status\":5,\"s_url_type\":3}");
  ASSERT_TRUE(s);
  EXPECT_EQ(s->text, "");
  EXPECT_EQ(s->statusId, 0);
  EXPECT_EQ(s->vorluId, 0);
  EXPECT_EQ(s->createdAt, 0);
  EXPECT_EQ(s->source, "");
  EXPECT_FALSE(s->favorited);
  EXPECT_TRUE(s->truncated);
  EXPECT_EQ(s->commentsCount, 0);
  EXPECT_EQ(s->retweetsCount, 0);
  EXPECT_EQ(s->likeCount, 2);  // a fraction is cut toward zero
  EXPECT_EQ(s->inReplyToUserId, 1);
  EXPECT_EQ(s->thumbnailPic, "");
  EXPECT_EQ(s->bmiddlePic, "");
  EXPECT_FALSE(s->delected);
  EXPECT_FALSE(s->user);
  EXPECT_FALSE(s->retweetedStatus);
  EXPECT_EQ(s->httpLinkTypes, "3");

  auto u = ZizaJsonStatusParser::parseToUser(
      "{\"id\":\"12abc\",\"gender\":1,\"description\":[\"x\"],\"name\":12345,"
      "\"followers_count\":null,\"verified\":\"0\",\"status\":[]}");
  ASSERT_TRUE(u);
  EXPECT_EQ(u->userId, 12);
  EXPECT_EQ(u->gender, 0);
  EXPECT_EQ(u->description, "");
  EXPECT_EQ(u->username, "12345");
  EXPECT_EQ(u->followersCount, 0);
  EXPECT_FALSE(u->verified);
  EXPECT_FALSE(u->lastStatus);
}

TEST(StatusRules, TimesAreSixtyFourBit) {
  auto s =
      ZizaJsonStatusParser::parseToStatus("{\"created_at\":\"Fri Jan 01 08:00:00 +0800 2100\"}");
  ASSERT_TRUE(s);
  EXPECT_EQ(s->createdAt, 4102444800LL);
  s = ZizaJsonStatusParser::parseToStatus("{\"created_at\":\"yesterday\"}");
  ASSERT_TRUE(s);
  EXPECT_EQ(s->createdAt, 0);
}

TEST(StatusRules, DeepRepostChains) {
  // A chain the JSON reader accepts is mapped whole.
  auto chain = [](int depth) {
    std::string text;
    for (int i = 0; i < depth; ++i)
      text += "{\"id\":" + std::to_string(i) + ",\"retweeted_status\":";
    text += "{}";
    for (int i = 0; i < depth; ++i) text += "}";
    return text;
  };
  auto s = ZizaJsonStatusParser::parseToStatus(chain(300));
  ASSERT_TRUE(s);
  int length = 0;
  for (const Status* p = s.get(); p; p = p->retweetedStatus.get()) ++length;
  EXPECT_EQ(length, 301);
  // Beyond the reader's nesting limit the reply is refused, not mapped.
  EXPECT_FALSE(ZizaJsonStatusParser::parseToStatus(chain(5000)));

  // A tree built in memory is cut at the same depth.
  auto top = std::make_shared<NSMutableDictionary>();
  auto cur = top;
  for (int i = 0; i < 2000; ++i) {
    auto next = std::make_shared<NSMutableDictionary>();
    cur->setObject(Value(i), "id");
    cur->setObject(Value(next), "retweeted_status");
    cur = next;
  }
  auto mapped = ZizaJsonStatusParser::dicToStatus(*top);
  length = 0;
  for (const Status* p = mapped.get(); p; p = p->retweetedStatus.get()) ++length;
  EXPECT_GT(length, 300);
  EXPECT_LT(length, 2000);
}

TEST(UserReplies, SearchUsers) {
  auto users = ZizaJsonStatusParser::parseToSearchUserList(fixture("search_users.json"));
  ASSERT_EQ(users.size(), 2u);
  EXPECT_EQ(users[0]->userId, 1893458120);
  EXPECT_EQ(users[0]->username, "光伏观察");
  EXPECT_EQ(users[0]->screenName, "光伏观察");
  EXPECT_EQ(users[0]->profileImageUrl, "http://tp1.img.example/1893458120/50/1.jpg");
  EXPECT_EQ(users[0]->followersCount, 0);
  EXPECT_EQ(users[1]->userId, 42);
  EXPECT_EQ(users[1]->profileImageUrl, "");

  // An array holds full user dictionaries.
  users = ZizaJsonStatusParser::parseToSearchUserList(
      "[{\"id\":7,\"screen_name\":\"电网头条\",\"gender\":\"m\"},3]");
  ASSERT_EQ(users.size(), 1u);
  EXPECT_EQ(users[0]->screenName, "电网头条");
  EXPECT_EQ(users[0]->gender, 1);
  EXPECT_TRUE(ZizaJsonStatusParser::parseToSearchUserList("{\"total\":0}").empty());
  EXPECT_TRUE(ZizaJsonStatusParser::parseToSearchUserList("{\"results\":{}}").empty());
}

TEST(OlderParser, EnvelopeFlagAndIdList) {
  struct Case {
    const char* reply;
    bool ok;
  } flags[] = {
      {"{\"ResultBoolean\":\"YES\"}", true},
      {"{\"ResultBoolean\":\"NO\"}", false},
      {"{\"ResultBoolean\":\"true\"}", true},
      {"{\"ResultBoolean\":\"1\"}", true},
      {"{\"ResultBoolean\":\"0\"}", false},
      {"{\"ResultBoolean\":true}", true},
      {"{\"ResultBoolean\":null}", false},
      {"{}", false},
      {"[\"YES\"]", false},
      {"not json", false},
  };
  for (const auto& c : flags) EXPECT_EQ(JsonStatusParser::parseToClient(c.reply), c.ok) << c.reply;

  auto ids = JsonStatusParser::parseToBlock("[1,\"22\",3.9,-4,null,{\"a\":1},\"x\"]");
  ASSERT_TRUE(ids);
  EXPECT_EQ(*ids, (std::vector<std::string>{"1", "22", "3", "-4", "0"}));
  EXPECT_FALSE(JsonStatusParser::parseToBlock("{\"a\":1}"));
  EXPECT_FALSE(JsonStatusParser::parseToBlock(""));
  EXPECT_TRUE(JsonStatusParser::parseToStatuses("[{}]").isNil());
  EXPECT_TRUE(JsonStatusParser::parseToUser("{}").isNil());
  EXPECT_TRUE(JsonStatusParser::parseToDms("[]").isNil());
}

}  // namespace

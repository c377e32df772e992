// Friend lists, topics and recommended channels read by the reply parser.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "Common/JXKit/NSString+JXKitDeserializing.h"
#include "Foundation/NSFileManager.h"
#include "Foundation/NSPathUtilities.h"
#include "model/ZizaJsonStatusParser.h"

namespace {

using P = ZizaJsonStatusParser;

// A group of the friend picker with users of the given ids.
std::string group(int id, const std::vector<int>& userIds) {
  std::string users;
  for (int user : userIds) {
    if (!users.empty()) users += ",";
    users += R"({"id":)" + std::to_string(user) + R"(,"screen_name":"u)" + std::to_string(user) +
             R"("})";
  }
  return R"({"id":)" + std::to_string(id) + R"(,"name":"g","user":[)" + users + "]}";
}

std::vector<int64_t> userIds(const NSIdollist& list) {
  std::vector<int64_t> ids;
  for (const auto& item : list.info) ids.push_back(item->userId);
  return ids;
}

// Caches each group where a test folder says, as the content-server client would.
class FriendGroupFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = NSCachesDirectory() + "/groups";
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    P::setRequestLocalPath(
        [this](RequestType type, const Value& param) -> std::optional<std::string> {
          asked_.push_back(type);
          return dir_ + "/" + std::string(param[0].string()) + "-" +
                 std::string(param[1].string()) + "-" + std::string(param[2].string());
        });
  }
  void TearDown() override { P::setRequestLocalPath(nullptr); }

  std::vector<std::string> files() const {
    auto names = NSFileManager::defaultManager().contentsOfDirectoryAtPath(dir_);
    return names.value_or(std::vector<std::string>());
  }

  std::string dir_;
  std::vector<RequestType> asked_;
};

TEST_F(FriendGroupFilesTest, OneGroupGivesItsUsersAndWritesNoFile) {
  auto list = P::parseToFiles("[" + group(7, {1, 2}) + "]");
  ASSERT_TRUE(list);
  EXPECT_EQ(list->hasnext, 1);
  EXPECT_EQ(userIds(*list), (std::vector<int64_t>{1, 2}));
  EXPECT_TRUE(files().empty());
  EXPECT_TRUE(asked_.empty());
}

TEST_F(FriendGroupFilesTest, EveryGroupOfSeveralIsCachedAsItsOwnFirstPage) {
  auto list =
      P::parseToFiles("[" + group(7, {1, 2}) + ",null," + group(8, {}) + "," + group(9, {3}) + "]");
  ASSERT_TRUE(list);
  // The number of groups, the null one included.
  EXPECT_EQ(list->hasnext, 4);
  EXPECT_EQ(userIds(*list), (std::vector<int64_t>{1, 2, 3}));
  EXPECT_EQ(files(), (std::vector<std::string>{"7-1-20", "8-1-20", "9-1-20"}));
  EXPECT_EQ(asked_, (std::vector<RequestType>(3, RequestType::Suggestions)));

  // Each file reads back as the one-group reply of that group's own request.
  auto cached = dataWithContentsOfFile(dir_ + "/9-1-20");
  ASSERT_TRUE(cached);
  auto one = P::parseToClientFriend(*cached);
  ASSERT_TRUE(one);
  EXPECT_EQ(userIds(*one), (std::vector<int64_t>{3}));
  EXPECT_EQ(one->info[0]->nick, "u3");
}

TEST_F(FriendGroupFilesTest, WithoutACachePathNothingIsWritten) {
  P::setRequestLocalPath([](RequestType, const Value&) { return std::optional<std::string>(); });
  auto list = P::parseToFiles("[" + group(7, {1}) + "," + group(8, {2}) + "]");
  ASSERT_TRUE(list);
  EXPECT_EQ(userIds(*list), (std::vector<int64_t>{1, 2}));
  EXPECT_TRUE(files().empty());
}

TEST(FriendTopicParser, AContentServerUserBecomesAFriendEntry) {
  auto list = P::parseToClientFriend(
      R"([{"id":3,"user":[{"id":"9000000000","name":"n","screen_name":"s","followers_count":"12",)"
      R"("profile_image_url":"http://h/a.png","verified":"true","channelid":5,)"
      R"("description":null,"statuses_count":77,"friends_count":4,"following":true}]}])");
  ASSERT_TRUE(list);
  ASSERT_EQ(list->info.size(), 1u);
  EXPECT_EQ(list->hasnext, 0);
  const NSFriendItem& f = *list->info[0];
  EXPECT_EQ(f.userId, 9000000000LL);
  EXPECT_EQ(f.name, "n");
  EXPECT_EQ(f.nick, "s");
  EXPECT_EQ(f.fansnum, 12);
  EXPECT_EQ(f.head, "http://h/a.png");
  EXPECT_TRUE(f.isvip);
  EXPECT_EQ(f.channelid, 5);
  EXPECT_EQ(f.description, "");
  EXPECT_EQ(f.statuses_count, 77);
  // Only the platform's entries carry these.
  EXPECT_EQ(f.idolnum, 0);
  EXPECT_FALSE(f.isidol);
}

TEST(FriendTopicParser, APlatformFollowersPageCarriesItsCursor) {
  auto page = P::parseToFriend(
      R"({"users":[{"id":5,"name":"n","screen_name":"s","followers_count":3,"friends_count":4,)"
      R"("following":1,"verified":false},7,{"screen_name":"t"}],"next_cursor":40})");
  ASSERT_TRUE(page);
  EXPECT_EQ(page->hasnext, 40);
  ASSERT_EQ(page->info.size(), 2u);
  const NSFriendItem& f = *page->info[0];
  EXPECT_EQ(f.nick, "s");
  EXPECT_EQ(f.fansnum, 3);
  EXPECT_EQ(f.idolnum, 4);
  EXPECT_TRUE(f.isidol);
  EXPECT_FALSE(f.isvip);
  EXPECT_EQ(f.userId, 0);  // the platform entry does not read the id
  // A friend without an avatar has the text the platform formats nil as.
  EXPECT_EQ(page->info[1]->head, "(null)");

  EXPECT_EQ(P::parseToFriend(R"({"users":[],"next_cursor":0})")->hasnext, 0);
}

TEST(FriendTopicParser, FriendRepliesOfTheWrongShapeGiveNil) {
  for (const char* reply : {"", "not json", "{}", "null", R"({"user":[]})", "[]", "[null]",
                            R"([{"user":"x"}])", R"([[{"user":[]}]])"}) {
    SCOPED_TRACE(reply);
    EXPECT_EQ(P::parseToClientFriend(reply), nullptr);
  }
  for (const char* reply : {"", "{}", "[]", R"({"users":null})", R"({"users":{}})"}) {
    SCOPED_TRACE(reply);
    EXPECT_EQ(P::parseToFriend(reply), nullptr);
  }
  for (const char* reply : {"", "{}", "null"}) {
    SCOPED_TRACE(reply);
    EXPECT_EQ(P::parseToFiles(reply), nullptr);
  }
  // A group whose "user" is no array adds nobody.
  auto list = P::parseToFiles(R"([{"id":1,"user":"x"}])");
  ASSERT_TRUE(list);
  EXPECT_TRUE(list->info.empty());
}

TEST(FriendTopicParser, FriendshipIsReadFromTheSource) {
  const std::pair<const char*, bool> cases[] = {
      {R"({"source":{"followed_by":true}})", true},
      {R"({"source":{"followed_by":"1"}})", true},
      {R"({"source":{"followed_by":false}})", false},
      {R"({"source":{}})", false},
      {R"({"source":null})", false},
      {R"({"source":"x"})", false},
      {"[]", false},
      {"not json", false},
  };
  for (const auto& [reply, expected] : cases) {
    SCOPED_TRACE(reply);
    EXPECT_EQ(P::isFriends(reply), expected);
  }
}

TEST(FriendTopicParser, FavouriteIdsAreTheEntriesIds) {
  auto ids = P::parseToFavorites(R"([{"id":12345678901},{"id":"7"},{"id":null},"x",{}])");
  ASSERT_TRUE(ids);
  EXPECT_EQ(*ids, (std::vector<int64_t>{12345678901LL, 7, 0, 0}));
  EXPECT_EQ(P::parseToFavorites(""), std::nullopt);
  EXPECT_EQ(P::parseToFavorites("{}"), std::nullopt);
}

TEST(FriendTopicParser, HotTopicNamesBecomeTopics) {
  auto topics = P::parseToClientTrends(R"(["母婴","童装",null,{"a":1},2024])");
  ASSERT_TRUE(topics);
  std::vector<std::string> names;
  for (const auto& t : *topics) names.push_back(t->name);
  EXPECT_EQ(names, (std::vector<std::string>{"母婴", "童装", "2024"}));
  EXPECT_EQ((*topics)[0]->query, "");
  for (const char* reply : {"", "null", "{}", "\"x\""}) {
    SCOPED_TRACE(reply);
    EXPECT_EQ(P::parseToClientTrends(reply), std::nullopt);
  }
}

TEST(FriendTopicParser, PlatformTrendsOfEveryDateButAsOf) {
  auto topics = P::parseToTrends(
      R"({"trends":{"as_of":[{"name":"no"}],"2013-12-07":[{"name":"a","query":"qa","amount":"5",)"
      R"("delta":-2},7,{"name":"b"}],"2013-12-08":[]},"as_of":1})");
  ASSERT_EQ(topics.size(), 2u);
  EXPECT_EQ(topics[0]->name, "a");
  EXPECT_EQ(topics[0]->query, "qa");
  EXPECT_EQ(topics[0]->amount, 5);
  EXPECT_EQ(topics[0]->delta, -2);
  EXPECT_EQ(topics[1]->name, "b");

  // Two dates: every trend of both, each date's trends together in their order.
  auto both = P::parseToTrends(R"({"trends":{"d1":[{"name":"x1"},{"name":"x2"}],)"
                               R"("d2":[{"name":"y1"}]}})");
  ASSERT_EQ(both.size(), 3u);
  std::map<std::string, int> at;
  for (size_t i = 0; i < both.size(); ++i) at[both[i]->name] = int(i);
  EXPECT_EQ(at["x2"], at["x1"] + 1);

  for (const char* reply : {"", "[]", "{}", R"({"trends":[]})"}) {
    SCOPED_TRACE(reply);
    EXPECT_TRUE(P::parseToTrends(reply).empty());
  }
}

TEST(FriendTopicParser, ATopicListCountsEveryElement) {
  auto page = P::parseDicToTopicList(
      R"({"TopicList":[{"c_topic_name":"t1","c_note":"n","c_cnt_read":"9000000000","c_cnt":3,)"
      R"("Id":11,"c_img":"http://h/i.png","c_intro":"intro"},{},5,{"Id":null},{"c_topic_name":3}],)"
      R"("previous_cursor":8,"next_cursor":9})");
  ASSERT_TRUE(page);
  ASSERT_TRUE(page->topics);
  EXPECT_EQ(page->topics->size(), 4u);
  EXPECT_EQ(page->total_number, 5);
  EXPECT_EQ(page->previous_cursor, 0);
  EXPECT_EQ(page->next_cursor, 0);
  EXPECT_FALSE(page->statuses);
  const NSTopic& t = *(*page->topics)[0];
  EXPECT_EQ(t.name, "t1");
  EXPECT_EQ(t.query, "n");
  EXPECT_EQ(t.readAmount, 9000000000LL);
  EXPECT_EQ(t.amount, 3);
  EXPECT_EQ(t.topicId, 11);
  EXPECT_EQ(t.img, "http://h/i.png");
  EXPECT_EQ(t.c_intro, "intro");
  EXPECT_EQ((*page->topics)[3]->name, "3");

  for (const char* reply : {"", "[]", "{}", R"({"TopicList":{}})"}) {
    SCOPED_TRACE(reply);
    EXPECT_EQ(P::parseDicToTopicList(reply), nullptr);
  }
}

TEST(FriendTopicParser, RecommendedChannelsNameTheirIcons) {
  auto channels = P::parseToChannelArray(
      R"({"channels":[{"description":"d","id":1000,"name":"全部","sortOrder":2},"x",)"
      R"({"id":"7"}]})");
  ASSERT_TRUE(channels);
  ASSERT_EQ(channels->size(), 2u);
  EXPECT_EQ((*channels)[0]->description, "d");
  EXPECT_EQ((*channels)[0]->channelid(), 1000);
  EXPECT_EQ((*channels)[0]->imgName, "all");
  EXPECT_EQ((*channels)[0]->name, "全部");
  EXPECT_EQ((*channels)[0]->sortOrder, 2);
  EXPECT_EQ((*channels)[1]->channelid(), 7);
  EXPECT_EQ((*channels)[1]->imgName, "iconID7");
  EXPECT_EQ((*channels)[1]->name, "");
  for (const char* reply : {"", "[]", "{}", R"({"channels":null})"}) {
    SCOPED_TRACE(reply);
    EXPECT_EQ(P::parseToChannelArray(reply), std::nullopt);
  }
}

}  // namespace

// The key sets and the one-pass value gathering that the record readers use in place of a
// look-up per key.
#include <gtest/gtest.h>

#include <string>

#include "Common/JXKit/NSString+JXKitDeserializing.h"
#include "model/RecordValues.h"
#include "model/ZizaJsonStatusParser.h"

using parser_values::KeySet;
using parser_values::RecordValues;

namespace {

constexpr KeySet kKeys{
    "id",        "text",     "in_reply_to_status_id", "in_reply_to_user_id", "user", "source", "i",
    "%ef%bc%8c", "%ef%bc%8d"};

TEST(KeySet, PlacesEachOfItsKeysAndNothingElse) {
  for (size_t i = 0; i < kKeys.size(); ++i) EXPECT_EQ(kKeys.indexOf(kKeys[i]), i) << kKeys[i];
  for (const char* stranger : {"", "d", "ids", "Id", "text ", "txet", "in_reply_to_status",
                               "in_reply_to_status_idx", "%ef%bc%8e", "%ef%bc%8", "sourcesource"})
    EXPECT_EQ(kKeys.indexOf(stranger), kKeys.size()) << stranger;
}

// Which keys the reply repeats, leaves out or adds does not matter: every value is the one
// the dictionary's own look-up gives, for the reader's dictionaries and for the platform's.
TEST(RecordValues, ReadEveryKeyAsTheDictionarysLookUp) {
  const Value parsed = objectFromJSONString(
      R"({"text":"first","id":7,"extra":[1],"text":"second","user":null,"i":{"x":1}})");
  ASSERT_TRUE(parsed.isDictionary());
  const ValueDictionary platform = parsed.dictionary()->mutableCopy();
  for (const ValueDictionary& dic : {parsed.dictionary(), platform}) {
    const RecordValues<kKeys> v(*dic);
    EXPECT_EQ(&v["id"], &dic->objectRefForKey("id"));
    EXPECT_EQ(&v["text"], &dic->objectRefForKey("text"));
    EXPECT_EQ(v["text"].string(), "second");
    EXPECT_EQ(&v["user"], &dic->objectRefForKey("user"));
    EXPECT_TRUE(v["user"].isNull());
    EXPECT_EQ(&v["i"], &dic->objectRefForKey("i"));
    EXPECT_TRUE(v["source"].isNil());
    EXPECT_TRUE(v["in_reply_to_user_id"].isNil());
  }
}

// A status read from a platform dictionary is the one read from the reply it copies.
TEST(RecordValues, PlatformAndParsedDictionariesGiveTheSameStatus) {
  const Value parsed = objectFromJSONString(
      R"({"created_at":"Sat Dec 07 10:00:00 +0800 2013","id":3652874118035870,"eid":"88",)"
      R"("text":"多晶硅&yuan;16.5万%ef%bc%8c [来源：能源报] http://pic.example/1.jpg ",)"
      R"("source":"<a href=\"http://app.example/u/1\" rel=\"nofollow\">客户端</a>",)"
      R"("favorited":1,"in_reply_to_user_id":"42","comments_count":null,"likes_count":"9",)"
      R"("user":{"id":5,"name":"n","description":"a<br />b\r\n","gender":"f","verified":true}})");
  ASSERT_TRUE(parsed.isDictionary());
  const StatusPtr a = ZizaJsonStatusParser::dicToStatus(*parsed.dictionary());
  const StatusPtr b = ZizaJsonStatusParser::dicToStatus(*parsed.dictionary()->mutableCopy());
  for (const StatusPtr& s : {a, b}) {
    EXPECT_EQ(s->statusId, 3652874118035870LL);
    EXPECT_EQ(s->vorluId, 88);
    EXPECT_EQ(s->createdAt, 1386381600);
    EXPECT_EQ(s->text, "多晶硅¥16.5万， [来源：能源报]");
    EXPECT_EQ(s->thumbnailPic, "http://pic.example/1.jpg");
    EXPECT_EQ(s->originalPic, "http://pic.example/1.jpg");
    EXPECT_EQ(s->source, "客户端");
    EXPECT_TRUE(s->favorited);
    EXPECT_EQ(s->inReplyToUserId, 42);
    EXPECT_EQ(s->commentsCount, 0);
    EXPECT_EQ(s->likeCount, 9);
    ASSERT_TRUE(s->user);
    EXPECT_EQ(s->user->userId, 5);
    EXPECT_EQ(s->user->description, "ab");
    EXPECT_EQ(s->user->gender, 2);
    EXPECT_TRUE(s->user->verified);
  }
}

}  // namespace

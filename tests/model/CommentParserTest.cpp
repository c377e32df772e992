// Comment, repost and count replies, and the full content reply that also caches its first
// comments page.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "Common/JXKit/NSString+JXKitDeserializing.h"
#include "Foundation/NSFileManager.h"
#include "Foundation/NSPathUtilities.h"
#include "core/UIFilePath.h"
#include "model/ZizaJsonStatusParser.h"

namespace {

// 2013-12-07 10:00:00 in the device's zone (Asia/Shanghai).
constexpr int64_t kDec7At10 = 1386381600;

constexpr std::string_view kComments = R"({
  "comments": [
    {"created_at": "Sat Dec 07 10:00:00 +0800 2013", "id": 501, "text": "同意 &yuan; %ef%bc%8c",
     "source": "<a href=\"http://app.example\" rel=\"nofollow\">手机客户端</a>",
     "user": {"id": 77, "screen_name": "读者甲"},
     "status": {"id": 9001, "text": "原文"},
     "reply_comment": {"id": 400, "text": "先说",
                       "reply_comment": {"id": 300, "text": "最早"}}},
    7,
    {"id": 502, "text": "二"},
    {"id": "503", "text": 42}
  ],
  "previous_cursor": 0, "next_cursor": 12345, "total_number": 57
})";

TEST(CommentReplies, OnlyTheLastCommentCarriesTheNextCursor) {
  auto comments = ZizaJsonStatusParser::parseToComments(kComments);
  ASSERT_TRUE(comments);
  ASSERT_EQ(comments->size(), 3u);
  EXPECT_EQ((*comments)[0]->cursorId, "");
  EXPECT_EQ((*comments)[1]->cursorId, "");
  EXPECT_EQ((*comments)[2]->cursorId, "12345");

  // The plain list carries no cursor at all.
  auto plain = ZizaJsonStatusParser::parseDicToComments(kComments);
  ASSERT_TRUE(plain);
  ASSERT_EQ(plain->size(), 3u);
  EXPECT_EQ(plain->back()->cursorId, "");
}

TEST(CommentReplies, ACommentKeepsItsTextAndSourceAsSentWithItsUserStatusAndAnswers) {
  auto comments = ZizaJsonStatusParser::parseToComments(kComments);
  ASSERT_TRUE(comments);
  const Comment& c = *(*comments)[0];
  EXPECT_EQ(c.commentId, 501);
  EXPECT_EQ(c.createdAt, kDec7At10);
  EXPECT_EQ(c.text, "同意 &yuan; %ef%bc%8c");
  EXPECT_EQ(c.source, "<a href=\"http://app.example\" rel=\"nofollow\">手机客户端</a>");
  ASSERT_TRUE(c.user);
  EXPECT_EQ(c.user->screenName, "读者甲");
  ASSERT_TRUE(c.status);
  EXPECT_EQ(c.status->statusId, 9001);
  ASSERT_TRUE(c.replyComment);
  EXPECT_EQ(c.replyComment->commentId, 400);
  ASSERT_TRUE(c.replyComment->replyComment);
  EXPECT_EQ(c.replyComment->replyComment->text, "最早");

  // Ids given as text are read as numbers; a number where text belongs is taken as its text.
  const Comment& last = *(*comments)[2];
  EXPECT_EQ(last.commentId, 503);
  EXPECT_EQ(last.text, "42");
  EXPECT_FALSE(last.user);
  EXPECT_FALSE(last.replyComment);
}

TEST(CommentReplies, ASingleCommentNeedsADictionary) {
  auto c = ZizaJsonStatusParser::parseToComment(R"({"id": 8, "text": "hi"})");
  ASSERT_TRUE(c);
  EXPECT_EQ(c->commentId, 8);
  EXPECT_EQ(c->text, "hi");
  EXPECT_FALSE(ZizaJsonStatusParser::parseToComment("[]"));
  EXPECT_FALSE(ZizaJsonStatusParser::parseToComment(""));
}

TEST(CommentReplies, ListsNeedADictionaryWithAnArray) {
  for (std::string_view reply : {"", "not json", "[]", "null", R"({"comments": {}})",
                                 R"({"reposts": [], "comments": "x"})"}) {
    EXPECT_FALSE(ZizaJsonStatusParser::parseToComments(reply)) << reply;
    EXPECT_FALSE(ZizaJsonStatusParser::parseDicToComments(reply)) << reply;
  }
  for (std::string_view reply : {"", "[]", R"({"reposts": {}})", R"({"comments": []})"})
    EXPECT_FALSE(ZizaJsonStatusParser::parseToRetweet(reply)) << reply;
}

TEST(RepostReplies, TheLastRepostCarriesTheCursorAndAnEmptyListNone) {
  auto reposts = ZizaJsonStatusParser::parseToRetweet(
      R"({"reposts": [{"id": 1, "text": "a"}, "x", {"id": 2, "text": "b&yuan;"}],
          "next_cursor": "3652874118035870"})");
  ASSERT_TRUE(reposts);
  ASSERT_EQ(reposts->size(), 2u);
  EXPECT_EQ((*reposts)[0]->cursor_id, "");
  EXPECT_EQ((*reposts)[1]->cursor_id, "3652874118035870");
  // Reposts are statuses, read with the status rules.
  EXPECT_EQ((*reposts)[1]->text, "b¥");

  auto empty = ZizaJsonStatusParser::parseToRetweet(R"({"reposts": [], "next_cursor": 5})");
  ASSERT_TRUE(empty);
  EXPECT_TRUE(empty->empty());
}

TEST(CommentReplies, PagesCarryTheirCursorsAndTotalAndComeBackWithoutAList) {
  auto page = ZizaJsonStatusParser::parseDicToCommentsInfo(kComments);
  ASSERT_TRUE(page);
  EXPECT_EQ(page->previous_cursor, 0);
  EXPECT_EQ(page->next_cursor, 12345);
  EXPECT_EQ(page->total_number, 57);
  ASSERT_TRUE(page->comments);
  EXPECT_EQ(page->comments->size(), 3u);
  EXPECT_FALSE(page->statuses);

  auto reposts = ZizaJsonStatusParser::parseDicToRetweetsInfo(
      R"({"reposts": [{"id": 1}], "previous_cursor": 4, "next_cursor": null, "total_number": "9"})");
  ASSERT_TRUE(reposts);
  EXPECT_EQ(reposts->previous_cursor, 4);
  EXPECT_EQ(reposts->next_cursor, 0);
  EXPECT_EQ(reposts->total_number, 9);
  ASSERT_TRUE(reposts->statuses);
  EXPECT_EQ((*reposts->statuses)[0]->statusId, 1);

  auto failure = ZizaJsonStatusParser::parseDicToCommentsInfo(
      R"({"ResultCode": "1", "ResultBoolean": "NO", "ResultMsg": "x"})");
  ASSERT_TRUE(failure);
  EXPECT_FALSE(failure->comments);
  EXPECT_EQ(failure->total_number, 0);
  EXPECT_FALSE(ZizaJsonStatusParser::parseDicToCommentsInfo("[]"));
  EXPECT_FALSE(ZizaJsonStatusParser::parseDicToRetweetsInfo("oops"));
}

TEST(CommentReplies, TheCommentCountIsTheTotalOfAPage) {
  struct Case {
    std::string_view reply;
    int32_t count;
  } cases[] = {
      {kComments, 57},
      {R"({"total_number": "12"})", 12},
      {R"({"total_number": null})", 0},
      {R"({})", 0},
      {"[57]", 0},
      {"", 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ZizaJsonStatusParser::countOfCommentsInfo(c.reply), c.count) << c.reply;
}

TEST(CountReplies, EachDictionaryGivesTheCountsOfOneStatus) {
  auto counts = ZizaJsonStatusParser::parseToCD_Count(R"([
    {"id": 3652874118035870, "comments": 37, "reposts": 152},
    "skip",
    {"id": "42", "comments": null, "reposts": "7"},
    {"id": 43, "comments": 4294967297}
  ])");
  ASSERT_TRUE(counts);
  ASSERT_EQ(counts->size(), 3u);
  EXPECT_EQ((*counts)[0]->statusId, 3652874118035870LL);
  EXPECT_EQ((*counts)[0]->comNum, 37);
  EXPECT_EQ((*counts)[0]->retNum, 152);
  EXPECT_EQ((*counts)[1]->statusId, 42);
  EXPECT_EQ((*counts)[1]->comNum, 0);
  EXPECT_EQ((*counts)[1]->retNum, 7);
  // Counts are kept at 32 bits.
  EXPECT_EQ((*counts)[2]->comNum, 1);
  EXPECT_EQ((*counts)[2]->retNum, 0);

  EXPECT_FALSE(ZizaJsonStatusParser::parseToCD_Count(R"({"id": 1})"));
  EXPECT_FALSE(ZizaJsonStatusParser::parseToCD_Count(""));
}

class ContentReplies : public ::testing::Test {
 protected:
  void SetUp() override {
    savePath_ = stringByAppendingPathComponent(
        NSCachesDirectory(),
        std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + ".txt");
    if (saved()) NSFileManager::defaultManager().removeItemAtPath(savePath_);
  }
  bool saved() const { return NSFileManager::defaultManager().fileExistsAtPath(savePath_); }

  std::string savePath_;
};

TEST_F(ContentReplies, TheAdvertAndTheFirstCommentsPageComeBackAndThePageIsCached) {
  constexpr std::string_view reply = R"({
    "adinfo": {"c_id": 31, "c_img": "http://ad.example/a.png", "c_link_type": 2},
    "zizacomments": {"comments": [{"id": 1, "text": "一"}, {"id": 2, "text": "二"}],
                     "next_cursor": 2, "total_number": 14, "hint": "kept"},
    "text": "正文"
  })";
  ValueDictionary result = ZizaJsonStatusParser::parseToContent(reply, savePath_);
  ASSERT_TRUE(result);
  auto ad = result->objectForKey(kContentAdInfoKey).object<NSAdInfo>();
  ASSERT_TRUE(ad);
  EXPECT_EQ(ad->adId, 31);
  EXPECT_EQ(ad->c_img, "http://ad.example/a.png");
  auto page = result->objectForKey(kContentCommentsKey).object<NSStatusesInfo>();
  ASSERT_TRUE(page);
  EXPECT_EQ(page->total_number, 14);
  EXPECT_EQ(page->next_cursor, 2);
  ASSERT_TRUE(page->comments);
  ASSERT_EQ(page->comments->size(), 2u);
  EXPECT_EQ((*page->comments)[1]->text, "二");

  // The cache is the "zizacomments" dictionary itself, so the comment list reads it back.
  ASSERT_TRUE(saved());
  std::string cached = dataWithContentsOfFile(savePath_).value_or("");
  Value written = objectFromJSONString(cached);
  EXPECT_TRUE(written.isEqual(objectFromJSONString(reply)["zizacomments"]));
  auto again = ZizaJsonStatusParser::parseToComments(cached);
  ASSERT_TRUE(again);
  EXPECT_EQ(again->size(), 2u);
}

TEST_F(ContentReplies, TheCommentsPageIsCachedAlsoWhenItsFolderWasJustRemovedByAnotherHand) {
  UIFilePath::forgetKnownFolders();
  std::string path = UIFilePath::cacheCommentPath("77");  // the folder is seen now
  std::error_code ec;
  std::filesystem::remove_all(std::filesystem::path(path).parent_path(), ec);
  ZizaJsonStatusParser::parseToContent(R"({"zizacomments": {"comments": [{"id": 1}]}})", path);
  Value written = objectFromJSONString(dataWithContentsOfFile(path).value_or(""));
  EXPECT_TRUE(written.isEqual(objectFromJSONString(R"({"comments": [{"id": 1}]})")));
}

TEST_F(ContentReplies, NoCommentsMeansNoPageAndNoCacheFile) {
  ValueDictionary result = ZizaJsonStatusParser::parseToContent(
      R"({"adinfo": {"c_id": 3}, "zizacomments": {"comments": [], "total_number": 0}})", savePath_);
  EXPECT_EQ(result->count(), 1u);
  EXPECT_TRUE(result->objectForKey(kContentAdInfoKey).object<NSAdInfo>());
  EXPECT_FALSE(saved());

  // Only the lower-case key is the advert; comments that are all skipped count as none.
  result = ZizaJsonStatusParser::parseToContent(
      R"({"adInfo": {"c_id": 3}, "zizacomments": {"comments": [1, "x"]}})", savePath_);
  EXPECT_EQ(result->count(), 0u);
  EXPECT_FALSE(saved());

  for (std::string_view reply : {"", "[]", "null"}) {
    result = ZizaJsonStatusParser::parseToContent(reply, savePath_);
    ASSERT_TRUE(result) << reply;
    EXPECT_EQ(result->count(), 0u) << reply;
  }
  EXPECT_FALSE(saved());
}

}  // namespace

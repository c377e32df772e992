// Edits of cached list replies on real cache files in the test's app home: page merges with
// their limits and cursors, the new comment in front, key updates, row removal and the advert.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "Common/JXKit/NSString+JXKitDeserializing.h"
#include "Foundation/NSFileManager.h"
#include "Foundation/NSPathUtilities.h"
#include "model/ZizaJsonStatusParser.h"

namespace {

// A reply whose list holds the items first, first + 1, ... (count of them), each {"id": n}.
std::string reply(int first, int count, std::string_view listKey = "statuses",
                  long long previousCursor = 0, long long nextCursor = 0,
                  std::string_view extra = "") {
  std::string items;
  for (int i = 0; i < count; ++i) {
    if (i) items += ",";
    items += "{\"id\":" + std::to_string(first + i) + "}";
  }
  // Spaces everywhere, so that a text the edits wrote back never equals the one given.
  std::string text = "{ \"" + std::string(listKey) + "\" : [ " + items +
                     " ], \"previous_cursor\" : " + std::to_string(previousCursor) +
                     ", \"next_cursor\" : " + std::to_string(nextCursor) +
                     ", \"total_number\" : " + std::to_string(count);
  if (!extra.empty()) text += ", " + std::string(extra);
  return text + " }";
}

class CachedReplyEdits : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string folder = stringByAppendingPathComponent(NSCachesDirectory(), "edits");
    NSFileManager::defaultManager().createDirectoryAtPath(folder, true);
    path_ = stringByAppendingPathComponent(
        folder, ::testing::UnitTest::GetInstance()->current_test_info()->name());
    if (exists()) NSFileManager::defaultManager().removeItemAtPath(path_);
  }

  bool exists() const { return NSFileManager::defaultManager().fileExistsAtPath(path_); }
  std::string contents() const { return dataWithContentsOfFile(path_).value_or(""); }
  // The cache as the screens hold it: written to the file and handed to the edit.
  std::string cache(const std::string& text) {
    EXPECT_TRUE(writeToFile(path_, text, true));
    return text;
  }
  Value cached() const { return objectFromJSONString(contents()); }
  std::vector<long long> ids(std::string_view listKey = "statuses") const {
    std::vector<long long> out;
    Value list = cached()[listKey];
    for (size_t i = 0; i < list.count(); ++i) out.push_back(list[i]["id"].longLongValue());
    return out;
  }

  std::string path_;
};

std::vector<long long> range(long long first, long long last) {
  std::vector<long long> out;
  for (long long i = first; i <= last; ++i) out.push_back(i);
  return out;
}

enum class Merge { Server, Platform };

void merge(Merge rules, const std::string& path, std::optional<std::string_view> old,
           std::string_view page, bool prepend) {
  if (rules == Merge::Server)
    ZizaJsonStatusParser::addInArray(path, old, page, prepend);
  else
    ZizaJsonStatusParser::addInZizaArray(path, old, page, prepend);
}

TEST_F(CachedReplyEdits, MergedPagesKeepTheirLimitsOnBothForms) {
  // Cached items are numbered from 1, new ones from 5001, so the kept range shows what was cut.
  struct Case {
    const char* what;
    Merge rules;
    int cached;
    int fresh;
    bool prepend;
    std::vector<long long> expected;  // empty: nothing written
  } cases[] = {
      {"append 20 to 80", Merge::Server, 80, 20, false,
       [] {
         auto v = range(1, 80);
         auto n = range(5001, 5020);
         v.insert(v.end(), n.begin(), n.end());
         return v;
       }()},
      {"append to 100 is refused", Merge::Server, 100, 20, false, {}},
      {"prepend to 100 still works", Merge::Server, 100, 20, true,
       [] {
         auto v = range(5001, 5020);
         auto o = range(1, 100);
         v.insert(v.end(), o.begin(), o.end());
         return v;
       }()},
      {"append 7 to 20 is cut back to 20", Merge::Server, 20, 7, false, range(1, 20)},
      {"prepend 20 to 995 drops the oldest 15", Merge::Server, 995, 20, true,
       [] {
         auto v = range(5001, 5020);
         auto o = range(1, 980);
         v.insert(v.end(), o.begin(), o.end());
         return v;
       }()},
      {"prepend 10 to 15 keeps whole pages", Merge::Server, 15, 10, true,
       [] {
         auto v = range(5001, 5010);
         auto o = range(1, 10);
         v.insert(v.end(), o.begin(), o.end());
         return v;
       }()},
      {"platform prepend 10 to 15 keeps 25", Merge::Platform, 15, 10, true,
       [] {
         auto v = range(5001, 5010);
         auto o = range(1, 15);
         v.insert(v.end(), o.begin(), o.end());
         return v;
       }()},
      {"platform append 7 to 20 keeps 27", Merge::Platform, 20, 7, false,
       [] {
         auto v = range(1, 20);
         auto n = range(5001, 5007);
         v.insert(v.end(), n.begin(), n.end());
         return v;
       }()},
      {"platform append to 100 is refused", Merge::Platform, 100, 5, false, {}},
      {"platform prepend 20 to 995 drops the oldest 15", Merge::Platform, 995, 20, true,
       [] {
         auto v = range(5001, 5020);
         auto o = range(1, 980);
         v.insert(v.end(), o.begin(), o.end());
         return v;
       }()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::string old = cache(reply(1, c.cached));
    merge(c.rules, path_, old, reply(5001, c.fresh), c.prepend);
    if (c.expected.empty()) {
      EXPECT_EQ(contents(), old);
      continue;
    }
    EXPECT_EQ(ids(), c.expected);
    EXPECT_EQ(cached()["total_number"].longLongValue(), (long long)c.expected.size());
  }
}

TEST_F(CachedReplyEdits, OnlyTheCursorOnTheSideOfTheNewPageMovesAndOtherKeysStay) {
  std::string old = cache(reply(1, 20, "statuses", 111, 222, "\"adInfo\": {\"c_id\": 7}"));
  // An append of 7 is cut away again, but its cursor is still taken.
  ZizaJsonStatusParser::addInArray(path_, old,
                                   reply(5001, 7, "statuses", 333, 444, "\"query_id\": 9"), false);
  Value after = cached();
  EXPECT_EQ(after["previous_cursor"].longLongValue(), 111);
  EXPECT_EQ(after["next_cursor"].longLongValue(), 444);
  EXPECT_EQ(after["adInfo"]["c_id"].longLongValue(), 7);
  EXPECT_TRUE(after["query_id"].isNil());
  EXPECT_EQ(ids(), range(1, 20));

  ZizaJsonStatusParser::addInArray(path_, contents(), reply(5001, 20, "statuses", 555, 666), true);
  after = cached();
  EXPECT_EQ(after["previous_cursor"].longLongValue(), 555);
  EXPECT_EQ(after["next_cursor"].longLongValue(), 444);
  EXPECT_EQ(after["total_number"].longLongValue(), 40);

  // A page without the cursor leaves the cached one.
  ZizaJsonStatusParser::addInArray(path_, contents(), "{\"statuses\":[{\"id\":1}]}", true);
  EXPECT_EQ(cached()["previous_cursor"].longLongValue(), 555);
}

TEST_F(CachedReplyEdits, AnEmptyPageChangesNothingOnTheServerFormButIsCountedOnThePlatformForm) {
  std::string old = cache(reply(1, 5, "statuses", 1, 2));
  std::string empty = reply(0, 0, "statuses", 8, 9);
  ZizaJsonStatusParser::addInArray(path_, old, empty, false);
  EXPECT_EQ(contents(), old);
  ZizaJsonStatusParser::addInArray(path_, old, "{\"next_cursor\": 9}", false);
  EXPECT_EQ(contents(), old);

  ZizaJsonStatusParser::addInZizaArray(path_, old, empty, false);
  EXPECT_EQ(ids(), range(1, 5));
  EXPECT_EQ(cached()["next_cursor"].longLongValue(), 9);
  EXPECT_EQ(cached()["total_number"].longLongValue(), 5);
}

TEST_F(CachedReplyEdits, WithoutACacheTheServerPageIsWrittenAsItCameAndThePlatformPageAlone) {
  std::string page = reply(1, 3, "statuses", 0, 77, "\"query_id\" : 5");
  ZizaJsonStatusParser::addInArray(path_, std::nullopt, page, false);
  EXPECT_EQ(contents(), page);

  NSFileManager::defaultManager().removeItemAtPath(path_);
  ZizaJsonStatusParser::addInZizaArray(path_, std::nullopt, page, false);
  Value written = cached();
  EXPECT_EQ(ids(), range(1, 3));
  EXPECT_EQ(written["next_cursor"].longLongValue(), 77);
  EXPECT_EQ(written["total_number"].longLongValue(), 3);
  EXPECT_TRUE(written["query_id"].isNil());

  // A cached text that is not JSON counts as an empty reply.
  ZizaJsonStatusParser::addInZizaArray(path_, std::string_view("<html>"), page, true);
  EXPECT_EQ(ids(), range(1, 3));
}

TEST_F(CachedReplyEdits, CommentPagesMergeOnTheirCommentsList) {
  std::string old = cache(reply(1, 3, "comments", 0, 10));
  ZizaJsonStatusParser::addInZizaComment(path_, old, reply(101, 2, "comments", 0, 20), false);
  EXPECT_EQ(ids("comments"), (std::vector<long long>{1, 2, 3, 101, 102}));
  EXPECT_EQ(cached()["next_cursor"].longLongValue(), 20);
  EXPECT_EQ(cached()["total_number"].longLongValue(), 5);
}

TEST_F(CachedReplyEdits, ASentCommentGoesFirstAndLeavesCursorsAndCountAlone) {
  cache(reply(1, 2, "comments", 4, 5));
  ZizaJsonStatusParser::addInComment(path_, "{\"id\": 99, \"text\": \"好\"}");
  EXPECT_EQ(ids("comments"), (std::vector<long long>{99, 1, 2}));
  EXPECT_EQ(cached()["comments"][0]["text"].string(), "好");
  EXPECT_EQ(cached()["total_number"].longLongValue(), 2);
  EXPECT_EQ(cached()["next_cursor"].longLongValue(), 5);

  // Neither an empty text nor one that is not JSON touches the file.
  std::string before = contents();
  ZizaJsonStatusParser::addInComment(path_, "");
  ZizaJsonStatusParser::addInComment(path_, "{\"id\": 100,");
  EXPECT_EQ(contents(), before);

  // Without a cache the comment starts one.
  NSFileManager::defaultManager().removeItemAtPath(path_);
  ZizaJsonStatusParser::addInComment(path_, "not json");
  EXPECT_FALSE(exists());
  ZizaJsonStatusParser::addInComment(path_, "{\"id\": 7}");
  EXPECT_EQ(ids("comments"), (std::vector<long long>{7}));
  EXPECT_EQ(cached().count(), 1u);
}

TEST_F(CachedReplyEdits, AKeyUpdateChangesOnlyTheFirstMatchingStatus) {
  cache(
      "{\"statuses\": [{\"id\": 1, \"likes_count\": 3}, {\"id\": \"2\", \"likes_count\": 4},"
      " {\"id\": 2, \"likes_count\": 5}], \"next_cursor\": 8}");
  ZizaJsonStatusParser::updateStatus(2, "likes_count", Value(10), path_);
  Value after = cached();
  EXPECT_EQ(after["statuses"][0]["likes_count"].longLongValue(), 3);
  EXPECT_EQ(after["statuses"][1]["likes_count"].longLongValue(), 10);
  EXPECT_EQ(after["statuses"][2]["likes_count"].longLongValue(), 5);
  EXPECT_EQ(after["next_cursor"].longLongValue(), 8);

  // A nil value removes the key.
  ZizaJsonStatusParser::updateStatus(1, "likes_count", Value(), path_);
  after = cached();
  EXPECT_TRUE(after["statuses"][0]["likes_count"].isNil());
  EXPECT_EQ(after["statuses"][0]["id"].longLongValue(), 1);

  // No match, or the product key on statuses: nothing is written.
  std::string before = contents();
  ZizaJsonStatusParser::updateStatus(42, "likes_count", Value(1), path_);
  ZizaJsonStatusParser::updateProduct(2, "likes_count", Value(1), path_);
  EXPECT_EQ(contents(), before);

  // No file: none is made.
  NSFileManager::defaultManager().removeItemAtPath(path_);
  ZizaJsonStatusParser::updateStatus(1, "likes_count", Value(1), path_);
  EXPECT_FALSE(exists());
}

TEST_F(CachedReplyEdits, AProductUpdateMatchesItsCapitalisedIdKey) {
  cache("{\"statuses\": [{\"id\": 5, \"Id\": 6}, {\"Id\": 5}]}");
  ZizaJsonStatusParser::updateProduct(5, "liked", Value(true), path_);
  Value after = cached();
  EXPECT_TRUE(after["statuses"][0]["liked"].isNil());
  EXPECT_TRUE(after["statuses"][1]["liked"].boolValue());
}

TEST_F(CachedReplyEdits, RowRemovalTakesOneItemAndRefusesRowsOutsideTheList) {
  std::string old = cache(reply(1, 3, "statuses", 0, 9));
  for (int row : {3, 4, -1}) {
    ZizaJsonStatusParser::removeInArray(path_, old, row);
    EXPECT_EQ(contents(), old) << row;
  }
  ZizaJsonStatusParser::removeInArray(path_, old, 1);
  EXPECT_EQ(ids(), (std::vector<long long>{1, 3}));
  EXPECT_EQ(cached()["next_cursor"].longLongValue(), 9);
}

TEST_F(CachedReplyEdits, TheAdvertIsReplacedOrRemovedOnlyWhenBothRepliesAreDictionaries) {
  std::string old = cache(reply(1, 2, "statuses", 0, 0, "\"adInfo\": {\"c_id\": 1}"));
  ZizaJsonStatusParser::modifyAdInfo(path_, old, "{\"adInfo\": {\"c_id\": 2}, \"statuses\": []}");
  EXPECT_EQ(cached()["adInfo"]["c_id"].longLongValue(), 2);
  EXPECT_EQ(ids(), range(1, 2));

  ZizaJsonStatusParser::modifyAdInfo(path_, contents(), "{\"statuses\": []}");
  EXPECT_TRUE(cached()["adInfo"].isNil());
  EXPECT_EQ(ids(), range(1, 2));

  std::string before = cache(old);
  ZizaJsonStatusParser::modifyAdInfo(path_, old, "[]");
  ZizaJsonStatusParser::modifyAdInfo(path_, std::string_view("nope"), "{\"adInfo\": {}}");
  ZizaJsonStatusParser::modifyAdInfo(path_, std::nullopt, "{\"adInfo\": {}}");
  EXPECT_EQ(contents(), before);
}

}  // namespace

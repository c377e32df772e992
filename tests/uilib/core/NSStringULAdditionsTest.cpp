// The string and collection operations: guarded appends, white-space tests, queries,
// escaping, version order and reading date texts.
#include <gtest/gtest.h>

#include "Foundation/NSUUID.h"
#include "uilib/core/NSArray+ULCategory.h"
#include "uilib/core/NSString+ULAdditions.h"

TEST(NSStringULAdditions, AppendingNormallyAddsOnlyText) {
  EXPECT_EQ(stringByAppendingStringNormal("ab", Value("cd")), "abcd");
  for (const Value& nothing : {Value(""), Value(), Value(12), Value::null()})
    EXPECT_EQ(stringByAppendingStringNormal("ab", nothing), "ab") << nothing.description();
}

TEST(NSStringULAdditions, WhiteSpaceTests) {
  const std::tuple<const char*, bool, bool> cases[] = {
      // text, isWhitespaceAndNewlines, isEmptyOrWhitespace
      {"", true, true},
      {" \t ", true, true},
      {" \n", true, false},          // a line end counts as content for the second
      {"\xe3\x80\x80", true, true},  // the ideographic space
      {" x ", false, false},
  };
  for (auto& [text, blank, empty] : cases) {
    EXPECT_EQ(isWhitespaceAndNewlines(text), blank) << text;
    EXPECT_EQ(isEmptyOrWhitespace(text), empty) << text;
  }
}

TEST(NSStringULAdditions, QueriesReadAndWrite) {
  auto dict = queryDictionaryUsingEncoding("a=1&b=x%20y;c=%E4%B8%AD&a=2&bare&x=y=z&bad=%zz",
                                           NSUTF8StringEncoding);
  EXPECT_FALSE(dict->isMutable());
  EXPECT_EQ(dict->count(), 3u);
  EXPECT_EQ(dict->objectForKey("a").string(), "2");
  EXPECT_EQ(dict->objectForKey("b").string(), "x y");
  EXPECT_EQ(dict->objectForKey("c").string(), "\xe4\xb8\xad");

  auto contents = queryContentsUsingEncoding("a=1&a=2&b&x=y=z", NSUTF8StringEncoding);
  EXPECT_EQ(Value(contents).description(),
            Value(Value::dictionaryOf(
                      {{"a", Value::arrayOf({"1", "2"})}, {"b", Value::arrayOf({Value::null()})}}))
                .description());

  auto query = makeDictionary({{"q", Value("a=b?c")}, {"n", Value(5)}});
  EXPECT_EQ(stringByAddingQueryDictionary("http://h/p", query), "http://h/p?q=a%3Db%3Fc&n=5");
  EXPECT_EQ(stringByAddingQueryDictionary("http://h/p?x=1", query),
            "http://h/p?x=1&q=a%3Db%3Fc&n=5");
}

TEST(NSStringULAdditions, TheTwoEscapesAndUnescaping) {
  EXPECT_EQ(urlEncoded("a b&c=d/e?f#g%h'i+j!*();:@$,[]\xe2\x80\x99\xe4\xb8\xad"),
            "a%20b%26c%3Dd%2Fe%3Ff%23g%25h'i+j%21%2A%28%29%3B%3A%40%24%2C%5B%5D%E2%80%99%E4%B8%AD");
  EXPECT_EQ(URLEncodedString("a b=c,!$&'()*+;@?\n\"<>#\t:/~\xef\xbf\xbc"),
            "a%20b%3Dc%2C%21%24%26%27%28%29%2A%2B%3B%40%3F%0A%22%3C%3E%23%09%3A%2F~%EF%BF%BC");
  EXPECT_EQ(URLDecodedString("a%20b%E4%B8%AD+"), "a b\xe4\xb8\xad+");
  EXPECT_EQ(URLDecodedString("100%"), std::nullopt);
}

TEST(NSStringULAdditions, VersionsCompareFirstPartsAsTextThenAlphas) {
  const std::tuple<const char*, const char*, NSComparisonResult> cases[] = {
      {"1.0", "1.0", NSOrderedSame},         {"1.0", "1.0a2", NSOrderedDescending},
      {"1.0a2", "1.0", NSOrderedAscending},  {"1.0a2", "1.0a10", NSOrderedAscending},
      {"1.10", "1.9", NSOrderedAscending},  // plain string order, as written
      {"2.0a1", "1.9", NSOrderedDescending},
  };
  for (auto& [a, b, order] : cases) EXPECT_EQ(versionStringCompare(a, b), order) << a << " " << b;
}

TEST(NSStringULAdditions, DigestsAndGuids) {
  EXPECT_EQ(md5Hash("abc"), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(sha1Hash("abc"), "a9993e364706816aba3e25717850c26c9cd0d89d");
  EXPECT_EQ(md5Hash(""), "");
  std::string guid = generateGuid();
  EXPECT_EQ(guid.size(), 36u);
  EXPECT_NE(guid, generateGuid());
}

TEST(NSArrayULCategory, DateTextsReadWithTheirOffset) {
  // 2013-06-01 10:00:00 in UTC+8.
  constexpr int64_t kTime = 1370052000;
  const std::pair<Value, int64_t> cases[] = {
      {Value("Sat Jun 01 10:00:00 +0800 2013"), kTime},
      {Value("Sat, 01 Jun 2013 10:00:00 +0800"), kTime},
      {Value("Sat Jun 01 02:00:00 +0000 2013"), kTime},
      {Value("not a date"), -1},
      {Value::null(), -1},
      {Value(), -1},
      {Value(42), -1},
  };
  for (auto& [text, seconds] : cases)
    EXPECT_EQ(getTimeValueForKey(text, -1), seconds) << text.description();
}

TEST(NSArrayULCategory, OnlyNonEmptyStringsAreAdded) {
  auto array = makeArray();
  auto dict = std::make_shared<NSMutableDictionary>();
  for (const Value& v : {Value("a"), Value(""), Value(1), Value()}) {
    addNonEmptyString(*array, v);
    setNonEmptyString(*dict, v, "k" + v.description());
  }
  EXPECT_EQ(array->count(), 1u);
  EXPECT_EQ(dict->allKeys(), std::vector<std::string>{"ka"});
}

// Typed dictionary readers: which values count as absent, and how each kind is read.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "Common/Additions/NSDictionary+Values.h"

namespace {

Value sample() {
  return Value::dictionaryOf({
      {"null", Value::null()},
      {"yes", Value("YES")},
      {"true", Value("true")},
      {"zeroText", Value("0")},
      {"NO", Value("NO")},
      {"signed", Value("  -007 and more")},
      {"one", Value(1)},
      {"half", Value(0.5)},
      {"real", Value(-3.9)},
      {"big", Value(5000000000LL)},
      {"huge", Value(18446744073709551615ULL)},
      {"flag", Value(true)},
      {"word", Value("abc")},
      {"list", Value::arrayOf({Value(1)})},
      {"twelve", Value(12)},
  });
}

TEST(NSDictionaryValues, BoolReaderGivesTheDefaultForAbsentAndNull) {
  Value d = sample();
  struct Case {
    const char* key;
    bool withNo;
    bool withYes;
  };
  const Case cases[] = {
      {"missing", false, true}, {"null", false, true},      {"yes", true, true},
      {"true", true, true},     {"zeroText", false, false}, {"NO", false, false},
      {"signed", true, true},   {"one", true, true},        {"half", true, true},
      {"flag", true, true},     {"word", false, false},     {"list", false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    EXPECT_EQ(getBoolValueForKey(d, c.key, false), c.withNo);
    EXPECT_EQ(getBoolValueForKey(d, c.key, true), c.withYes);
  }
}

TEST(NSDictionaryValues, IntegerReadersGiveTheDefaultOnlyForNull) {
  Value d = sample();
  struct Case {
    const char* key;
    int32_t asInt;
    int64_t asLongLong;
  };
  const Case cases[] = {
      {"missing", 0, 0}, {"null", -1, -1}, {"signed", -7, -7},
      {"one", 1, 1},     {"real", -3, -3}, {"big", int32_t(705032704), 5000000000LL},
      {"huge", -1, -1},  {"flag", 1, 1},   {"word", 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    EXPECT_EQ(getIntValueForKey(d, c.key, -1), c.asInt);
    EXPECT_EQ(getLongLongValueValueForKey(d, c.key, -1), c.asLongLong);
  }
}

TEST(NSDictionaryValues, StringReaderReturnsTheObjectUnconverted) {
  Value d = sample();
  EXPECT_EQ(getStringValueForKey(d, "missing", Value("dflt")).string(), "dflt");
  EXPECT_EQ(getStringValueForKey(d, "null", Value("dflt")).string(), "dflt");
  EXPECT_TRUE(getStringValueForKey(d, "missing", Value()).isNil());
  EXPECT_EQ(getStringValueForKey(d, "word", Value("dflt")).string(), "abc");
  Value twelve = getStringValueForKey(d, "twelve", Value(""));
  EXPECT_TRUE(twelve.isNumber());
  EXPECT_EQ(twelve.intValue(), 12);
  EXPECT_TRUE(getStringValueForKey(d, "list", Value("")).isArray());
}

TEST(NSDictionaryValues, ReadersTakeAnyDictionaryAndTolerateOtherReceivers) {
  ValueDictionary dict = makeDictionary({{"n", Value(3)}});
  auto concrete = std::make_shared<NSMutableDictionary>();
  concrete->setObject(Value(4), "n");
  EXPECT_EQ(getIntValueForKey(dict, "n", 0), 3);
  EXPECT_EQ(getIntValueForKey(concrete, "n", 0), 4);
  // Not a dictionary: every key is missing.
  EXPECT_EQ(getIntValueForKey(Value("text"), "n", -1), 0);
  EXPECT_TRUE(getBoolValueForKey(Value(), "n", true));
  EXPECT_EQ(getTimeValueForKey(ValueDictionary(), "n", 9), 9);
}

constexpr int64_t kSevenDecemberTenShanghai = 1386381600;  // 2013-12-07 10:00:00 +0800

TEST(NSDictionaryValues, TimeReaderReadsBothDateFormats) {
  Value d = Value::dictionaryOf({
      {"plain", Value("Sat Dec 07 10:00:00 +0800 2013")},
      {"comma", Value("Sat, 07 Dec 2013 10:00:00 +0800")},
      {"utc", Value("Sat Dec 07 10:00:00 +0000 2013")},
      {"west", Value("Fri, 06 Dec 2013 21:00:00 -0500")},
      {"null", Value::null()},
      {"empty", Value("")},
      {"junk", Value("2013-12-07 10:00:00")},
      {"number", Value(1386381600)},
  });
  EXPECT_EQ(getTimeValueForKey(d, "plain", -1), kSevenDecemberTenShanghai);
  EXPECT_EQ(getTimeValueForKey(d, "comma", -1), kSevenDecemberTenShanghai);
  // The zone offset of the text is applied.
  EXPECT_EQ(getTimeValueForKey(d, "utc", -1), kSevenDecemberTenShanghai + 8 * 3600);
  EXPECT_EQ(getTimeValueForKey(d, "west", -1), kSevenDecemberTenShanghai);
  for (const char* key : {"missing", "null", "empty", "junk", "number"}) {
    SCOPED_TRACE(key);
    EXPECT_EQ(getTimeValueForKey(d, key, -1), -1);
  }
}

TEST(NSDictionaryValues, TimeReaderDoesNotDependOnTheDeviceZone) {
  Value d = Value::dictionaryOf({{"t", Value("Sat Dec 07 10:00:00 +0800 2013")}});
  // In Shanghai the text reads as the device's own local time.
  struct tm local {};
  local.tm_year = 113;
  local.tm_mon = 11;
  local.tm_mday = 7;
  local.tm_hour = 10;
  local.tm_isdst = -1;
  EXPECT_EQ(getTimeValueForKey(d, "t", 0), int64_t(mktime(&local)));

  std::string saved = std::getenv("TZ") ? std::getenv("TZ") : "";
  setenv("TZ", "America/New_York", 1);
  tzset();
  EXPECT_EQ(getTimeValueForKey(d, "t", 0), kSevenDecemberTenShanghai);
  setenv("TZ", saved.c_str(), 1);
  tzset();
}

}  // namespace

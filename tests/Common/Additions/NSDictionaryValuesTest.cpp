// Typed dictionary readers: which values count as absent, and how each kind is read.
#include <gtest/gtest.h>
#include <locale.h>
#include <time.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <random>
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
    EXPECT_EQ(getIntValue(d.dictionary()->objectForKey(c.key), -1), c.asInt);
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

// The C library's reading of both forms, as the reader's answer must be.
int64_t generalReading(const std::string& text, int64_t defaultValue) {
  static locale_t c = newlocale(LC_ALL_MASK, "C", locale_t(0));
  for (const char* format : {"%a %b %d %H:%M:%S %z %Y", "%a, %d %b %Y %H:%M:%S %z"}) {
    struct tm tm {};
    if (!strptime_l(text.c_str(), format, &tm, c)) continue;
    long offset = tm.tm_gmtoff;
    return int64_t(timegm(&tm)) - offset;
  }
  return defaultValue;
}

int64_t readTime(const std::string& text) {
  return getTimeValueForKey(Value::dictionaryOf({{"t", Value(text)}}), "t", -1);
}

TEST(NSDictionaryValues, TimeReaderAgreesWithTheGeneralReadingOnAnyText) {
  const char* texts[] = {
      "Sat Dec 07 10:00:00 +0800 2013",  "Thu Feb 29 23:59:59 -0000 2024",
      "Fri Feb 29 12:00:00 +0800 2023",  "Sun Feb 30 12:00:00 +0800 2020",
      "Mon Apr 31 00:00:00 +0800 2013",  "Tue Jan 01 00:00:00 -1200 1970",
      "Wed Dec 31 23:59:59 +1400 1969",  "Mon Jun 03 08:12:60 +0800 2013",
      "Mon Jun 03 24:00:00 +0800 2013",  "Mon Jun 03 08:60:00 +0800 2013",
      "Mon Jun 03 08:12:00 +0860 2013",  "Mon Jun 03 08:12:00 +9959 2013",
      "Mon Jun 03 08:12:00 08:00 2013",  "mon jun 03 08:12:00 +0800 2013",
      "MON JUN 03 08:12:00 +0800 2013",  "Monday June 03 08:12:00 +0800 2013",
      "Xyz Jun 03 08:12:00 +0800 2013",  "Mon Jnu 03 08:12:00 +0800 2013",
      "Mon Jun  3 08:12:00 +0800 2013",  "Mon Jun 3 08:12:00 +0800 2013",
      "Mon Jun 03 08:12:00 +0800 2013 ", "Mon Jun 03 08:12:00 +0800 20134",
      "Mon Jun 03 08:12:00 +0800 0999",  "Mon Jun 03 08:12:00 +0800 1899",
      "Mon Jun 03 08:12:00 +08 2013",    "Mon Jun 03 08:12:00 Z 2013",
      "Mon Jun 00 08:12:00 +0800 2013",  "Mon Jun 03 8:12:00 +0800 2013",
      "Mon, 03 Jun 2013 08:12:00 +0800", "Sun Jun 03 08:12:00 +0800 2013",
      "Mon Jun 03 08:12:00 +0800 2100",  "Mon Jun 03 08:12:00 +0800 2000",
      "Mon Jun 03 08:12:00 +0800 2o13",  "",
  };
  for (const char* text : texts) {
    SCOPED_TRACE(text);
    EXPECT_EQ(readTime(text), generalReading(text, -1));
  }

  // Every instant of two centuries, in every zone, written the way the server writes it.
  std::mt19937_64 random(20131207);
  std::uniform_int_distribution<int64_t> instants(-2208988800LL, 4102444799LL);
  std::uniform_int_distribution<int> quarters(-48, 56);
  for (int i = 0; i < 5000; ++i) {
    const int64_t instant = instants(random);
    const int offset = quarters(random) * 15 * 60;
    const time_t local = time_t(instant + offset);
    struct tm tm {};
    gmtime_r(&local, &tm);
    char text[64];
    static const char* days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::snprintf(text, sizeof text, "%s %s %02d %02d:%02d:%02d %c%02d%02d %04d", days[tm.tm_wday],
                  months[tm.tm_mon], tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec,
                  offset < 0 ? '-' : '+', std::abs(offset) / 3600, std::abs(offset) % 3600 / 60,
                  tm.tm_year + 1900);
    SCOPED_TRACE(text);
    ASSERT_EQ(readTime(text), instant);
    ASSERT_EQ(generalReading(text, -1), instant);
  }
}

}  // namespace

// Runs with TZ=Asia/Shanghai (UTC+8, no daylight saving), as every test process does.
#include <gtest/gtest.h>

#include <memory>

#include "Foundation/Clock.h"
#include "Foundation/NSDate.h"

namespace {

// 2013-05-01 02:00:00 UTC = 10:00:00 in Shanghai, a Wednesday.
constexpr double kMayDay = 1367373600;

class FixedClock : public Clock {
 public:
  explicit FixedClock(double t) : t_(t) {}
  double now() const override { return t_; }
  bool isVirtual() const override { return true; }

 private:
  double t_;
};

std::string format(const char* pattern, double seconds) {
  NSDateFormatter f;
  f.setDateFormat(pattern);
  return f.stringFromDate({seconds});
}

}  // namespace

TEST(DateFormatter, LocalPatternsUseTheProcessZone) {
  EXPECT_EQ(NSTimeZone::localTimeZone().name(), "Asia/Shanghai");
  EXPECT_EQ(format("yyyy-MM-dd HH:mm:ss", kMayDay), "2013-05-01 10:00:00");
  EXPECT_EQ(format("yyyy-MM-dd HH:mm", kMayDay + 59), "2013-05-01 10:00");
  EXPECT_EQ(format("yyMMddHHmmss", kMayDay + 5), "130501100005");
  EXPECT_EQ(format("yyMMdd", kMayDay), "130501");
  // Local midnight is 16:00 UTC of the day before.
  EXPECT_EQ(format("yyMMdd", kMayDay - 10 * 3600 - 1), "130430");
  EXPECT_EQ(format("yyMMdd", kMayDay - 10 * 3600), "130501");
}

TEST(DateFormatter, EnglishNamesInGMT) {
  NSDateFormatter f;
  f.setLocale("en_US");
  f.setTimeZone(*NSTimeZone::timeZoneWithName("GMT"));
  f.setDateFormat("EEE, d MMM yyyy HH:mm:ss");
  EXPECT_EQ(f.stringFromDate({kMayDay}) + " GMT", "Wed, 1 May 2013 02:00:00 GMT");

  NSDateFormatter rfc;
  rfc.setLocale("en_US_POSIX");
  rfc.setTimeZone(NSTimeZone::timeZoneForSecondsFromGMT(0));
  rfc.setDateFormat("EEE, dd MMM yyyy HH:mm:ss z");
  EXPECT_EQ(rfc.stringFromDate({784111777}), "Sun, 06 Nov 1994 08:49:37 GMT");
}

TEST(DateFormatter, ReadsRFC1123Dates) {
  struct Case {
    const char* pattern;
    const char* text;
    double expected;
  };
  const Case cases[] = {
      {"EEE, dd MMM yyyy HH:mm:ss z", "Sun, 06 Nov 1994 08:49:37 GMT", 784111777},
      {"dd MMM yyyy HH:mm z", "06 Nov 1994 08:49 GMT", 784111740},
      {"EEE, dd MMM yyyy HH:mm:ss z", "Sun, 06 Nov 1994 16:49:37 GMT+08:00", 784111777},
  };
  for (const Case& c : cases) {
    NSDateFormatter f;
    f.setLocale("en_US_POSIX");
    f.setDateFormat(c.pattern);
    std::optional<NSDateValue> d = f.dateFromString(c.text);
    ASSERT_TRUE(d.has_value()) << c.text;
    EXPECT_EQ(d->secondsSince1970, c.expected) << c.text;
  }
}

TEST(DateFormatter, ParsingNeedsTheWholeTextAndValidFields) {
  NSDateFormatter full;
  full.setDateFormat("yyyy-MM-dd HH:mm:ss");
  NSDateFormatter shortForm;
  shortForm.setDateFormat("yyyy-MM-dd HH:mm");

  EXPECT_EQ(full.dateFromString("2013-05-01 10:00:00")->secondsSince1970, kMayDay);
  // Seconds missing: only the short pattern reads it (the fallback the update poll uses).
  EXPECT_FALSE(full.dateFromString("2013-05-01 10:00").has_value());
  EXPECT_EQ(shortForm.dateFromString("2013-05-01 10:00")->secondsSince1970, kMayDay);
  // Trailing text is not ignored.
  EXPECT_FALSE(shortForm.dateFromString("2013-05-01 10:00:30").has_value());
  EXPECT_FALSE(full.dateFromString("2013-13-01 10:00:00").has_value());
  EXPECT_FALSE(full.dateFromString("2013-02-30 10:00:00").has_value());
  EXPECT_FALSE(full.dateFromString("not a date").has_value());
  EXPECT_FALSE(full.dateFromString("").has_value());

  NSDateFormatter stamp;
  stamp.setDateFormat("yyMMddHHmmss");
  EXPECT_EQ(stamp.dateFromString("130501100000")->secondsSince1970, kMayDay);
}

TEST(DateFormatter, ZonesAndFormatChanges) {
  NSDateFormatter f;
  f.setDateFormat("HH:mm");
  EXPECT_EQ(f.stringFromDate({kMayDay}), "10:00");
  f.setTimeZone(NSTimeZone::timeZoneForSecondsFromGMT(-5 * 3600 - 30 * 60));
  EXPECT_EQ(f.stringFromDate({kMayDay}), "20:30");
  f.setTimeZone(*NSTimeZone::timeZoneWithName("UTC"));
  EXPECT_EQ(f.stringFromDate({kMayDay}), "02:00");
  f.setDateFormat("yyyy");
  EXPECT_EQ(f.stringFromDate(NSDate::distantFuture()), "4001");
  EXPECT_FALSE(NSTimeZone::timeZoneWithName("Nowhere/Atlantis").has_value());
  EXPECT_EQ(NSTimeZone::localTimeZone().secondsFromGMTForDate({kMayDay}), 8 * 3600);
}

TEST(Date, NowReadsTheProcessClock) {
  setProcessClock(std::make_shared<FixedClock>(kMayDay));
  EXPECT_EQ(NSDate::date().secondsSince1970, kMayDay);
  EXPECT_EQ(NSDate::dateWithTimeIntervalSinceNow(300).secondsSince1970, kMayDay + 300);
  EXPECT_EQ(NSDate::timeIntervalSinceNow({kMayDay - 60}), -60);
  setProcessClock(nullptr);
  EXPECT_GT(NSDate::date().secondsSince1970, kMayDay);
  EXPECT_EQ(NSDate::distantFuture().secondsSince1970 - NSTimeIntervalSince1970, 63113904000.0);
}

TEST(Calendar, SecondsSinceLocalMidnight) {
  // 2013-01-02 00:00:00 in Shanghai.
  const double midnight = 1357056000;
  struct Case {
    double offset;
    int expected;
  };
  const Case cases[] = {{0, 0}, {123, 123}, {36000, 36000}, {86399, 86399}, {86400, 0}};
  for (const Case& c : cases)
    EXPECT_EQ(NSCalendar::secondsSinceLocalMidnight({midnight + c.offset}), c.expected) << c.offset;

  NSDateComponents may = NSCalendar::components({kMayDay});
  EXPECT_EQ(may.year, 2013);
  EXPECT_EQ(may.month, 5);
  EXPECT_EQ(may.day, 1);
  EXPECT_EQ(may.hour, 10);
  EXPECT_EQ(may.weekday, 4);  // Wednesday, counting Sunday as 1
  EXPECT_EQ(NSCalendar::components({kMayDay}, *NSTimeZone::timeZoneWithName("GMT")).hour, 2);
}

TEST(DateFormatter, TheDayHalvesTakeTheSymbolsGiven) {
  NSDateFormatter f;
  f.setLocale("zh_CN");
  f.setDateFormat("MM/dd/yyyy hh:mm:a");
  f.setAMSymbol("AM");
  f.setPMSymbol("PM");
  EXPECT_EQ(f.stringFromDate({kMayDay}), "05/01/2013 10:00:AM");
  EXPECT_EQ(f.stringFromDate({kMayDay + 5 * 3600}), "05/01/2013 03:00:PM");
  f.setPMSymbol("下午");
  EXPECT_EQ(f.stringFromDate({kMayDay + 5 * 3600}), "05/01/2013 03:00:下午");
}

// Date texts for lists and messages, read against the virtual clock.
#include <gtest/gtest.h>

#include "Foundation/NSUserDefaults.h"
#include "support/MainLoop.h"
#include "uilib/core/NSDate+ULCategory.h"

namespace {

class NSDateULCategoryTest : public ::testing::Test {
 protected:
  // 2013-06-05 (a Wednesday) 14:30:00 in UTC+8.
  void SetUp() override { MainLoop::install(1370413800); }
  NSDateValue ago(double seconds) { return NSDate::dateWithTimeIntervalSinceNow(-seconds); }
};

}  // namespace

TEST_F(NSDateULCategoryTest, RelativeTimesByDistance) {
  const std::pair<double, const char*> cases[] = {
      {-30, "in 30 seconds"},
      {-1, "in just a moment"},
      {-90, "in about a minute"},
      {-600, "in 10 minutes"},
      {-4000, "in about an hour"},
      {-9000, "in 3 hours"},  // rounded to the nearest hour
      {0, "just a moment ago"},
      {1, "just a moment ago"},
      {59, "59 seconds ago"},
      {90, "about a minute ago"},
      {3599, "59 minutes ago"},
      {5399, "about an hour ago"},
      {2 * 3600 + 40 * 60, "3 hours ago"},
      {86399, "24 hours ago"},
  };
  for (auto& [secondsAgo, text] : cases) EXPECT_EQ(formatRelativeTime(ago(secondsAgo)), text);
  // A day or more away: the date and time.
  EXPECT_EQ(formatRelativeTime(ago(30 * 3600)), formatDateTime(ago(30 * 3600)));
  EXPECT_EQ(formatDateTime(ago(30 * 3600)), "Tue 8:30 AM");
}

TEST_F(NSDateULCategoryTest, ShortRelativeTimes) {
  const std::pair<double, const char*> cases[] = {
      {59, "<1m"},       {60, "1m"},         {3599, "59m"},  {5400, "2h"},
      {36 * 3600, "2d"}, {-36 * 3600, "2d"}, {604799, "7d"},
  };
  for (auto& [secondsAgo, text] : cases) EXPECT_EQ(formatShortRelativeTime(ago(secondsAgo)), text);
  EXPECT_EQ(formatShortRelativeTime(ago(8 * 86400)), formatShortTime(ago(8 * 86400)));
  EXPECT_EQ(formatShortTime(ago(8 * 86400)), "5/28/13");
}

TEST_F(NSDateULCategoryTest, TheBandsOfShortTimesAndDateTimes) {
  EXPECT_EQ(formatTime(ago(0)), "2:30 PM");
  EXPECT_EQ(formatShortTime(ago(3600)), "1:30 PM");
  EXPECT_EQ(formatShortTime(ago(2 * 86400)), "Monday");
  EXPECT_EQ(formatDateTime(ago(2 * 86400)), "Mon 2:30 PM");
  EXPECT_EQ(formatDateTime(ago(6 * 86400)), "May 30 2:30 PM");
  EXPECT_EQ(formatDate(ago(0)), "Wednesday, June 5, 2013");
  EXPECT_EQ(formatMonth(ago(0)), "June");
  EXPECT_EQ(formatYear(ago(0)), "2013");
}

TEST_F(NSDateULCategoryTest, TodayYesterdayAndMidnight) {
  NSDateValue midnight = dateWithToday();
  EXPECT_EQ(midnight.secondsSince1970, 1370361600);  // 2013-06-05 00:00 in UTC+8
  EXPECT_EQ(dateAtMidnight().secondsSince1970, midnight.secondsSince1970);
  NSDateComponents today = NSCalendar::components(ago(0));
  NSDateComponents yesterday = NSCalendar::components(ago(86400));
  EXPECT_EQ(formatDay(ago(3600), today, yesterday), "Today");
  EXPECT_EQ(formatDay(ago(86400), today, yesterday), "Yesterday");
  EXPECT_EQ(formatDay(ago(3 * 86400), today, yesterday), "June 2");
}

TEST_F(NSDateULCategoryTest, TheUsersFirstLanguageChoosesTheLocale) {
  // The formatters are made on first use, so this process's first text is in Chinese.
  NSUserDefaults::standardUserDefaults()->setObject(Value::arrayOf({"zh-Hans"}), "AppleLanguages");
  EXPECT_EQ(formatMonth(ago(0)), "\xe5\x85\xad\xe6\x9c\x88");  // 六月
}

#include <cmath>
#include <map>
#include <memory>

#include "Foundation/NSString.h"
#include "uilib/core/NSDate+ULCategory.h"
#include "uilib/core/ULGlobal.h"

namespace {

// The formatter of a pattern, made on first use (main thread only, as every caller is).
const NSDateFormatter& formatter(const char* pattern) {
  static std::map<std::string, std::unique_ptr<NSDateFormatter>> formatters;
  auto& f = formatters[pattern];
  if (!f) {
    f = std::make_unique<NSDateFormatter>();
    f->setDateFormat(ULLibraryLocalizedString(pattern));
    f->setLocale(ULUserLanguageLocale());
  }
  return *f;
}

std::string format(const char* pattern, NSDateValue date) {
  return formatter(pattern).stringFromDate(date);
}

std::string phrase(const char* text) {
  return ULLibraryLocalizedString(text);
}

std::string phrase(const char* text, long long number) {
  return stringWithFormat(ULLibraryLocalizedString(text), number);
}

double secondsFromNow(NSDateValue date) {
  return NSDate::timeIntervalSinceNow(date);
}

// Whole seconds away, in either direction.
long long absoluteSeconds(NSDateValue date) {
  return (long long)std::fabs(secondsFromNow(date));
}

}  // namespace

NSDateValue dateWithToday() {
  NSDateValue now = NSDate::date();
  return {std::floor(now.secondsSince1970) - NSCalendar::secondsSinceLocalMidnight(now)};
}

std::string formatTime(NSDateValue date) {
  return format("h:mm a", date);
}

std::string formatDate(NSDateValue date) {
  return format("EEEE, LLLL d, YYYY", date);
}

std::string formatShortTime(NSDateValue date) {
  long long s = absoluteSeconds(date);
  if (s <= 86399) return formatTime(date);
  if (s <= 431999) return format("EEEE", date);
  return format("M/d/yy", date);
}

std::string formatDateTime(NSDateValue date) {
  long long s = absoluteSeconds(date);
  if (s <= 86399) return formatTime(date);
  if (s <= 431999) return format("EEE h:mm a", date);
  return format("MMM d h:mm a", date);
}

std::string formatMonth(NSDateValue date) {
  return format("MMMM", date);
}

std::string formatYear(NSDateValue date) {
  return format("yyyy", date);
}

std::string formatDay(NSDateValue date, const NSDateComponents& today,
                      const NSDateComponents& yesterday) {
  NSDateComponents c = NSCalendar::components(date);
  auto sameDay = [&](const NSDateComponents& d) {
    return c.day == d.day && c.month == d.month && c.year == d.year;
  };
  if (sameDay(today)) return phrase("Today");
  if (sameDay(yesterday)) return phrase("Yesterday");
  return format("MMMM d", date);
}

std::string formatRelativeTime(NSDateValue date) {
  double s = secondsFromNow(date);
  if (s > 0) {
    if (s <= 1) return phrase("in just a moment");
    if (s < 60) return phrase("in %d seconds", (long long)s);
    if (s < 120) return phrase("in about a minute");
    if (s < 3600) return phrase("in %d minutes", (long long)(s / 60));
    if (s < 5400) return phrase("in about an hour");
    if (s < 86400) return phrase("in %d hours", (long long)((s + 1800) / 3600));
    return formatDateTime(date);
  }
  if (s >= -1) return phrase("just a moment ago");
  if (s > -60) return phrase("%d seconds ago", (long long)-s);
  if (s > -120) return phrase("about a minute ago");
  if (s > -3600) return phrase("%d minutes ago", (long long)(-s / 60));
  if (s > -5400) return phrase("about an hour ago");
  if (s > -86400) return phrase("%d hours ago", (long long)((1800 - s) / 3600));
  return formatDateTime(date);
}

std::string formatShortRelativeTime(NSDateValue date) {
  long long a = absoluteSeconds(date);
  if (a < 60) return phrase("<1m");
  if (a < 3600) return phrase("%dm", (long long)(double(a) / 60));
  if (a <= 86399) return phrase("%dh", (long long)(double(a + 1800) / 3600));
  if (a <= 604799) return phrase("%dd", (long long)(double(a + 43200) / 86400));
  return formatShortTime(date);
}

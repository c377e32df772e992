// Dates (a Value date: seconds since 1970 UTC), time zones, the date formatter with the
// platform's pattern letters (ICU SimpleDateFormat: "yyyy-MM-dd HH:mm:ss", "yyMMddHHmmss",
// "EEE, d MMM yyyy HH:mm:ss", "z" ...) and local calendar fields.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "Foundation/Value.h"

// Seconds from 1970-01-01 to the platform's reference date 2001-01-01 (UTC).
inline constexpr double NSTimeIntervalSince1970 = 978307200.0;

class NSDate {
 public:
  // Now, read from the process clock (a virtual clock in tests).
  static NSDateValue date();
  static NSDateValue now() { return date(); }
  static NSDateValue dateWithTimeIntervalSinceNow(double seconds);
  static NSDateValue dateWithTimeIntervalSince1970(double seconds) { return {seconds}; }
  // 4001-01-01 and 0001-01-01 00:00:00 UTC, as the platform defines them.
  static NSDateValue distantFuture() { return {64092211200.0}; }
  static NSDateValue distantPast() { return {-62135769600.0}; }

  static double timeIntervalSince1970(NSDateValue d) { return d.secondsSince1970; }
  static double timeIntervalSinceNow(NSDateValue d);
  static double timeIntervalSinceDate(NSDateValue d, NSDateValue other) {
    return d.secondsSince1970 - other.secondsSince1970;
  }
};

// A time zone by its identifier ("Asia/Shanghai", "GMT", or a fixed offset "GMT+08:00").
class NSTimeZone {
 public:
  // nullopt for an identifier the zone database does not know.
  static std::optional<NSTimeZone> timeZoneWithName(std::string_view name);
  static NSTimeZone timeZoneForSecondsFromGMT(int seconds);
  // The process zone (TZ), read anew on every call.
  static NSTimeZone localTimeZone();
  static NSTimeZone systemTimeZone() { return localTimeZone(); }

  const std::string& name() const { return name_; }
  int secondsFromGMTForDate(NSDateValue date) const;

 private:
  explicit NSTimeZone(std::string name) : name_(std::move(name)) {}
  std::string name_;
};

// Formats and reads dates by a pattern.  Defaults: the process time zone and the locale
// "en_US_POSIX".  dateFromString needs the whole text to match the pattern and refuses
// out-of-range fields (month 13); like the platform's formatter it is not thread-safe.
class NSDateFormatter {
 public:
  NSDateFormatter();
  ~NSDateFormatter();
  NSDateFormatter(const NSDateFormatter&) = delete;
  NSDateFormatter& operator=(const NSDateFormatter&) = delete;
  NSDateFormatter(NSDateFormatter&&) noexcept;
  NSDateFormatter& operator=(NSDateFormatter&&) noexcept;

  void setDateFormat(std::string_view pattern);
  const std::string& dateFormat() const { return pattern_; }
  void setTimeZone(const NSTimeZone& zone);
  const NSTimeZone& timeZone() const { return zone_; }
  // A locale identifier: "en_US_POSIX", "en_US", "zh_CN" ...
  void setLocale(std::string_view identifier);
  const std::string& locale() const { return locale_; }
  // The texts of the "a" field; empty: the locale's own.
  void setAMSymbol(std::string_view symbol);
  const std::string& AMSymbol() const { return amSymbol_; }
  void setPMSymbol(std::string_view symbol);
  const std::string& PMSymbol() const { return pmSymbol_; }

  std::string stringFromDate(NSDateValue date) const;
  std::optional<NSDateValue> dateFromString(std::string_view text) const;

 private:
  struct Impl;
  void rebuild() const;

  std::string pattern_;
  NSTimeZone zone_;
  std::string locale_ = "en_US_POSIX";
  std::string amSymbol_, pmSymbol_;
  mutable std::unique_ptr<Impl> impl_;
};

// The calendar fields of a date in a zone (the process zone by default).
struct NSDateComponents {
  int year = 0;
  int month = 0;  // 1-12
  int day = 0;    // 1-31
  int hour = 0;   // 0-23
  int minute = 0;
  int second = 0;
  int weekday = 0;  // 1 = Sunday ... 7 = Saturday, as the platform counts
};

class NSCalendar {
 public:
  static NSDateComponents components(NSDateValue date);
  static NSDateComponents components(NSDateValue date, const NSTimeZone& zone);
  // Whole seconds since the last local midnight (0 ... 86399; a day with a shifted clock
  // counts the clock time: hours * 3600 + minutes * 60 + seconds).
  static int secondsSinceLocalMidnight(NSDateValue date);
};

#include "Foundation/NSDate.h"

#include <unicode/dtfmtsym.h>
#include <unicode/gregocal.h>
#include <unicode/locid.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "Foundation/Clock.h"

namespace {

std::unique_ptr<icu::TimeZone> icuZone(const std::string& name) {
  return std::unique_ptr<icu::TimeZone>(
      icu::TimeZone::createTimeZone(icu::UnicodeString::fromUTF8(name)));
}

std::string hostZoneName() {
  std::unique_ptr<icu::TimeZone> tz(icu::TimeZone::detectHostTimeZone());
  icu::UnicodeString id;
  tz->getID(id);
  std::string out;
  id.toUTF8String(out);
  return out;
}

UDate toUDate(NSDateValue d) {
  return d.secondsSince1970 * 1000.0;
}

}  // namespace

// ---- NSDate ----

NSDateValue NSDate::date() {
  return {ClockNow()};
}

NSDateValue NSDate::dateWithTimeIntervalSinceNow(double seconds) {
  return {ClockNow() + seconds};
}

double NSDate::timeIntervalSinceNow(NSDateValue d) {
  return d.secondsSince1970 - ClockNow();
}

// ---- NSTimeZone ----

std::optional<NSTimeZone> NSTimeZone::timeZoneWithName(std::string_view name) {
  if (name.empty()) return std::nullopt;
  std::unique_ptr<icu::TimeZone> tz = icuZone(std::string(name));
  icu::UnicodeString id;
  tz->getID(id);
  if (id == icu::UnicodeString(UCAL_UNKNOWN_ZONE_ID)) return std::nullopt;
  return NSTimeZone(std::string(name));
}

NSTimeZone NSTimeZone::timeZoneForSecondsFromGMT(int seconds) {
  if (seconds == 0) return NSTimeZone("GMT");
  int a = std::abs(seconds);
  char buf[32];
  if (a % 60) {
    std::snprintf(buf, sizeof buf, "GMT%c%02d:%02d:%02d", seconds < 0 ? '-' : '+', a / 3600,
                  (a / 60) % 60, a % 60);
  } else {
    std::snprintf(buf, sizeof buf, "GMT%c%02d:%02d", seconds < 0 ? '-' : '+', a / 3600,
                  (a / 60) % 60);
  }
  return NSTimeZone(buf);
}

NSTimeZone NSTimeZone::localTimeZone() {
  return NSTimeZone(hostZoneName());
}

int NSTimeZone::secondsFromGMTForDate(NSDateValue date) const {
  std::unique_ptr<icu::TimeZone> tz = icuZone(name_);
  int32_t raw = 0, dst = 0;
  UErrorCode st = U_ZERO_ERROR;
  tz->getOffset(toUDate(date), false, raw, dst, st);
  if (U_FAILURE(st)) return 0;
  return (raw + dst) / 1000;
}

// ---- NSDateFormatter ----

struct NSDateFormatter::Impl {
  std::unique_ptr<icu::SimpleDateFormat> format;
};

NSDateFormatter::NSDateFormatter() : zone_(NSTimeZone::localTimeZone()) {}

NSDateFormatter::~NSDateFormatter() = default;
NSDateFormatter::NSDateFormatter(NSDateFormatter&&) noexcept = default;
NSDateFormatter& NSDateFormatter::operator=(NSDateFormatter&&) noexcept = default;

void NSDateFormatter::setDateFormat(std::string_view pattern) {
  pattern_ = std::string(pattern);
  impl_.reset();
}

void NSDateFormatter::setTimeZone(const NSTimeZone& zone) {
  zone_ = zone;
  impl_.reset();
}

void NSDateFormatter::setLocale(std::string_view identifier) {
  locale_ = std::string(identifier);
  impl_.reset();
}

void NSDateFormatter::setAMSymbol(std::string_view symbol) {
  amSymbol_ = std::string(symbol);
  impl_.reset();
}

void NSDateFormatter::setPMSymbol(std::string_view symbol) {
  pmSymbol_ = std::string(symbol);
  impl_.reset();
}

void NSDateFormatter::rebuild() const {
  if (impl_) return;
  impl_ = std::make_unique<Impl>();
  UErrorCode st = U_ZERO_ERROR;
  auto f = std::make_unique<icu::SimpleDateFormat>(icu::UnicodeString::fromUTF8(pattern_),
                                                   icu::Locale(locale_.c_str()), st);
  if (U_FAILURE(st)) return;
  f->adoptTimeZone(icuZone(zone_.name()).release());
  f->setLenient(false);
  if (!amSymbol_.empty() || !pmSymbol_.empty()) {
    icu::DateFormatSymbols symbols(*f->getDateFormatSymbols());
    int32_t count = 0;
    const icu::UnicodeString* ampm = symbols.getAmPmStrings(count);
    icu::UnicodeString texts[2] = {count > 0 ? ampm[0] : icu::UnicodeString("AM"),
                                   count > 1 ? ampm[1] : icu::UnicodeString("PM")};
    if (!amSymbol_.empty()) texts[0] = icu::UnicodeString::fromUTF8(amSymbol_);
    if (!pmSymbol_.empty()) texts[1] = icu::UnicodeString::fromUTF8(pmSymbol_);
    symbols.setAmPmStrings(texts, 2);
    f->setDateFormatSymbols(symbols);
  }
  impl_->format = std::move(f);
}

std::string NSDateFormatter::stringFromDate(NSDateValue date) const {
  rebuild();
  if (!impl_->format) return {};
  icu::UnicodeString out;
  impl_->format->format(toUDate(date), out);
  std::string s;
  out.toUTF8String(s);
  return s;
}

std::optional<NSDateValue> NSDateFormatter::dateFromString(std::string_view text) const {
  rebuild();
  if (!impl_->format || text.empty()) return std::nullopt;
  icu::UnicodeString u =
      icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), int32_t(text.size())));
  icu::ParsePosition pos(0);
  UDate d = impl_->format->parse(u, pos);
  if (pos.getErrorIndex() >= 0 || pos.getIndex() != u.length()) return std::nullopt;
  return NSDateValue{d / 1000.0};
}

// ---- NSCalendar ----

NSDateComponents NSCalendar::components(NSDateValue date) {
  return components(date, NSTimeZone::localTimeZone());
}

NSDateComponents NSCalendar::components(NSDateValue date, const NSTimeZone& zone) {
  UErrorCode st = U_ZERO_ERROR;
  icu::GregorianCalendar cal(icuZone(zone.name()).release(), icu::Locale("en_US_POSIX"), st);
  NSDateComponents c;
  if (U_FAILURE(st)) return c;
  cal.setTime(toUDate(date), st);
  c.year = cal.get(UCAL_EXTENDED_YEAR, st);
  c.month = cal.get(UCAL_MONTH, st) + 1;
  c.day = cal.get(UCAL_DATE, st);
  c.hour = cal.get(UCAL_HOUR_OF_DAY, st);
  c.minute = cal.get(UCAL_MINUTE, st);
  c.second = cal.get(UCAL_SECOND, st);
  c.weekday = cal.get(UCAL_DAY_OF_WEEK, st);
  return c;
}

int NSCalendar::secondsSinceLocalMidnight(NSDateValue date) {
  NSDateComponents c = components(date);
  return c.hour * 3600 + c.minute * 60 + c.second;
}

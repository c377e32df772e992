#include <locale.h>
#include <time.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "uilib/core/NSArray+ULCategory.h"
#include "uilib/core/ULGlobal.h"

namespace {

// Date texts carry English day and month names whatever the device's language.
locale_t cLocale() {
  static locale_t loc = newlocale(LC_ALL_MASK, "C", locale_t(0));
  return loc;
}

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
int64_t daysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = unsigned(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + int64_t(doe) - 719468;
}

// The place of the three letters at `p` among the names, or -1: a byte compare, no search.
template <size_t N>
int nameIndex(const char* p, const char* const (&names)[N]) {
  for (size_t i = 0; i < N; ++i)
    if (p[0] == names[i][0] && p[1] == names[i][1] && p[2] == names[i][2]) return int(i);
  return -1;
}

inline bool twoDigits(const char* p, unsigned& value) {
  if (p[0] < '0' || p[0] > '9' || p[1] < '0' || p[1] > '9') return false;
  value = unsigned(p[0] - '0') * 10 + unsigned(p[1] - '0');
  return true;
}

// The form every reply carries, "Sat Dec 07 10:00:00 +0800 2013", read field by field.  Only
// the plain, valid form is taken here (canonical names, a real calendar day, times and offsets
// in range, nothing after the year); anything else is left to the general reader, which then
// decides as it always did.
bool parseReplyDate(std::string_view text, int64_t& seconds) {
  if (text.size() != 30) return false;
  const char* p = text.data();
  if (p[3] != ' ' || p[7] != ' ' || p[10] != ' ' || p[13] != ':' || p[16] != ':' || p[19] != ' ' ||
      p[25] != ' ')
    return false;
  static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const int month = nameIndex(p + 4, kMonths);
  if (nameIndex(p, kDays) < 0 || month < 0) return false;
  unsigned mday, hour, minute, second, offsetHours, offsetMinutes, century, yearInCentury;
  if (!twoDigits(p + 8, mday) || !twoDigits(p + 11, hour) || !twoDigits(p + 14, minute) ||
      !twoDigits(p + 17, second) || !twoDigits(p + 21, offsetHours) ||
      !twoDigits(p + 23, offsetMinutes) || !twoDigits(p + 26, century) ||
      !twoDigits(p + 28, yearInCentury))
    return false;
  if (p[20] != '+' && p[20] != '-') return false;
  const unsigned mon = unsigned(month) + 1;
  const int64_t year = int64_t(century) * 100 + yearInCentury;
  static constexpr unsigned kMonthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  const unsigned monthDays = kMonthDays[mon - 1] + (mon == 2 && leap ? 1 : 0);
  if (year < 1900 || mday < 1 || mday > monthDays || hour > 23 || minute > 59 || second > 59 ||
      offsetHours > 12 || offsetMinutes > 59)
    return false;
  int64_t offset = int64_t(offsetHours) * 3600 + int64_t(offsetMinutes) * 60;
  if (p[20] == '-') offset = -offset;
  seconds =
      daysFromCivil(year, mon, mday) * 86400 + int64_t(hour) * 3600 + minute * 60 + second - offset;
  return true;
}

bool parseDateText(const std::string& text, const char* format, int64_t& seconds) {
  struct tm tm {};
  if (!strptime_l(text.c_str(), format, &tm, cLocale())) return false;
  // timegm normalises the fields and may clear the offset, so keep it first.
  long offset = tm.tm_gmtoff;
  seconds = int64_t(timegm(&tm)) - offset;
  return true;
}

}  // namespace

int64_t getTimeValueForKey(const Value& obj, int64_t defaultValue) {
  if (obj.isNil()) return defaultValue;
  int64_t seconds = 0;
  if (obj.isString() && parseReplyDate(obj.string(), seconds)) return seconds;
  std::string text = obj.isNull()     ? std::string()
                     : obj.isString() ? std::string(obj.string())
                                      : obj.description();
  if (parseDateText(text, "%a %b %d %H:%M:%S %z %Y", seconds)) return seconds;
  if (parseDateText(text, "%a, %d %b %Y %H:%M:%S %z", seconds)) return seconds;
  return defaultValue;
}

void addNonEmptyString(NSArray& array, const Value& string) {
  if (ULStringHasText(string)) array.addObject(string);
}

void setNonEmptyString(NSDictionary& dictionary, const Value& string, std::string_view key) {
  if (ULStringHasText(string)) dictionary.setObject(string, key);
}

namespace {

// The elements that are objects answering the selector, from a copy of the array.
std::vector<std::shared_ptr<NSObject>> answering(const NSArray& array, std::string_view selector) {
  std::vector<std::shared_ptr<NSObject>> out;
  for (const Value& element : array.toVector())
    if (auto object = element.object(); object && object->respondsToSelector(selector))
      out.push_back(std::move(object));
  return out;
}

void performOnAll(const NSArray& array, std::string_view selector,
                  const std::vector<Value>& arguments) {
  for (auto& object : answering(array, selector)) object->performSelector(selector, arguments);
}

// Every object element of the array itself, by index, so that a change of the array meanwhile
// neither skips past its end nor stops the walk.
void sendToAll(const NSArray& array, std::string_view selector,
               const std::vector<Value>& arguments) {
  for (size_t i = 0; i < array.count(); ++i)
    if (auto object = array.objectAtIndex(i).object()) object->performSelector(selector, arguments);
}

}  // namespace

void perform(const NSArray& array, std::string_view selector) {
  performOnAll(array, selector, {});
}

void perform(const NSArray& array, std::string_view selector, const Value& first) {
  performOnAll(array, selector, {first});
}

void perform(const NSArray& array, std::string_view selector, const Value& first,
             const Value& second) {
  performOnAll(array, selector, {first, second});
}

void perform(const NSArray& array, std::string_view selector, const Value& first,
             const Value& second, const Value& third) {
  performOnAll(array, selector, {first, second, third});
}

void makeObjectsPerformSelector(const NSArray& array, std::string_view selector, const Value& first,
                                const Value& second) {
  sendToAll(array, selector, {first, second});
}

void makeObjectsPerformSelector(const NSArray& array, std::string_view selector, const Value& first,
                                const Value& second, const Value& third) {
  sendToAll(array, selector, {first, second, third});
}

Value objectWithValue(const NSArray& array, const Value& value, std::string_view key) {
  for (const Value& element : array.toVector()) {
    Value candidate;
    if (auto object = element.object())
      candidate = object->valueForKey(key);
    else if (element.isDictionary())
      candidate = element[key];
    else
      continue;
    if (candidate.isEqual(value)) return element;
  }
  return {};
}

Value objectWithClass(const NSArray& array, const NSClass& cls) {
  for (const Value& element : array.toVector())
    if (auto object = element.object(); object && object->isKindOfClass(cls)) return element;
  return {};
}

bool containsObject(const NSArray& array, const Value& object, std::string_view selector) {
  for (auto& element : answering(array, selector))
    if (element->performSelector(selector, {object}).boolValue()) return true;
  return false;
}

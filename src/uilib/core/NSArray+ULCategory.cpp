#include <locale.h>
#include <time.h>

#include <string>

#include "uilib/core/NSArray+ULCategory.h"
#include "uilib/core/ULGlobal.h"

namespace {

// Date texts carry English day and month names whatever the device's language.
locale_t cLocale() {
  static locale_t loc = newlocale(LC_ALL_MASK, "C", locale_t(0));
  return loc;
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
  std::string text = obj.isNull()     ? std::string()
                     : obj.isString() ? obj.string()
                                      : obj.description();
  int64_t seconds = 0;
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

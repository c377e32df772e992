#include <locale.h>
#include <time.h>

#include <string>

#include "Common/Additions/NSDictionary+Values.h"

namespace {

Value objectForKey(const NSDictionary* dict, std::string_view key) {
  return dict ? dict->objectForKey(key) : Value();
}

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

bool getBoolValueForKey(const NSDictionary* dict, std::string_view key, bool defaultValue) {
  Value obj = objectForKey(dict, key);
  if (obj.isNil() || obj.isNull()) return defaultValue;
  return obj.boolValue();
}

int32_t getIntValueForKey(const NSDictionary* dict, std::string_view key, int32_t defaultValue) {
  Value obj = objectForKey(dict, key);
  if (obj.isNull()) return defaultValue;
  return obj.intValue();
}

int64_t getLongLongValueValueForKey(const NSDictionary* dict, std::string_view key,
                                    int64_t defaultValue) {
  Value obj = objectForKey(dict, key);
  if (obj.isNull()) return defaultValue;
  return obj.longLongValue();
}

Value getStringValueForKey(const NSDictionary* dict, std::string_view key, Value defaultValue) {
  Value obj = objectForKey(dict, key);
  if (obj.isNil() || obj.isNull()) return defaultValue;
  return obj;
}

int64_t getTimeValueForKey(const NSDictionary* dict, std::string_view key, int64_t defaultValue) {
  Value obj = objectForKey(dict, key);
  if (obj.isNil()) return defaultValue;
  std::string text = obj.isNull()     ? std::string()
                     : obj.isString() ? obj.string()
                                      : obj.description();
  int64_t seconds = 0;
  if (parseDateText(text, "%a %b %d %H:%M:%S %z %Y", seconds)) return seconds;
  if (parseDateText(text, "%a, %d %b %Y %H:%M:%S %z", seconds)) return seconds;
  return defaultValue;
}

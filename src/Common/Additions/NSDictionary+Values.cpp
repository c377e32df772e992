#include "Common/Additions/NSDictionary+Values.h"
#include "uilib/core/NSArray+ULCategory.h"

namespace {

const Value& objectForKey(const NSDictionary* dict, std::string_view key) {
  return dict ? dict->objectRefForKey(key) : Value::nil();
}

}  // namespace

bool getBoolValueForKey(const NSDictionary* dict, std::string_view key, bool defaultValue) {
  const Value& obj = objectForKey(dict, key);
  if (obj.isNil() || obj.isNull()) return defaultValue;
  return obj.boolValue();
}

int32_t getIntValueForKey(const NSDictionary* dict, std::string_view key, int32_t defaultValue) {
  return getIntValue(objectForKey(dict, key), defaultValue);
}

int32_t getIntValue(const Value& obj, int32_t defaultValue) {
  if (obj.isNull()) return defaultValue;
  return obj.intValue();
}

int64_t getLongLongValueValueForKey(const NSDictionary* dict, std::string_view key,
                                    int64_t defaultValue) {
  const Value& obj = objectForKey(dict, key);
  if (obj.isNull()) return defaultValue;
  return obj.longLongValue();
}

Value getStringValueForKey(const NSDictionary* dict, std::string_view key, Value defaultValue) {
  const Value& obj = objectForKey(dict, key);
  if (obj.isNil() || obj.isNull()) return defaultValue;
  return obj;
}

int64_t getTimeValueForKey(const NSDictionary* dict, std::string_view key, int64_t defaultValue) {
  // The text under the key, read as the UI library reads a date text.
  return ::getTimeValueForKey(objectForKey(dict, key), defaultValue);
}

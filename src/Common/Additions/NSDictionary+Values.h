// Typed readers of parsed dictionaries, each with a default.  They differ in what counts as
// absent, and callers rely on it:
//   bool and string readers: a missing key and NSNull both give the default;
//   integer readers: NSNull gives the default, a missing key gives 0;
//   the time reader: a missing key gives the default; NSNull and texts in neither date format
//   give the default too.
// A receiver that is not a dictionary reads as an empty one.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <type_traits>

#include "Foundation/Value.h"

bool getBoolValueForKey(const NSDictionary* dict, std::string_view key, bool defaultValue);
int32_t getIntValueForKey(const NSDictionary* dict, std::string_view key, int32_t defaultValue);
// The integer reader's rule on an entry already looked up (nil standing for a missing key).
int32_t getIntValue(const Value& obj, int32_t defaultValue);
int64_t getLongLongValueValueForKey(const NSDictionary* dict, std::string_view key,
                                    int64_t defaultValue);
// The object itself, unconverted: a number stays a number.
Value getStringValueForKey(const NSDictionary* dict, std::string_view key, Value defaultValue);
// Seconds since 1970 of a date text "Sat Dec 07 10:00:00 +0800 2013" or
// "Sat, 07 Dec 2013 10:00:00 +0800", with its zone offset applied.
int64_t getTimeValueForKey(const NSDictionary* dict, std::string_view key, int64_t defaultValue);

inline bool getBoolValueForKey(const Value& dict, std::string_view key, bool defaultValue) {
  return getBoolValueForKey(dict.dictionary().get(), key, defaultValue);
}
inline int32_t getIntValueForKey(const Value& dict, std::string_view key, int32_t defaultValue) {
  return getIntValueForKey(dict.dictionary().get(), key, defaultValue);
}
inline int64_t getLongLongValueValueForKey(const Value& dict, std::string_view key,
                                           int64_t defaultValue) {
  return getLongLongValueValueForKey(dict.dictionary().get(), key, defaultValue);
}
inline Value getStringValueForKey(const Value& dict, std::string_view key, Value defaultValue) {
  return getStringValueForKey(dict.dictionary().get(), key, std::move(defaultValue));
}
inline int64_t getTimeValueForKey(const Value& dict, std::string_view key, int64_t defaultValue) {
  return getTimeValueForKey(dict.dictionary().get(), key, defaultValue);
}

// Any shared dictionary (the platform's or the JSON reader's).
template <class D>
requires std::is_base_of_v<NSDictionary, D>
bool getBoolValueForKey(const std::shared_ptr<D>& dict, std::string_view key, bool defaultValue) {
  return getBoolValueForKey(static_cast<const NSDictionary*>(dict.get()), key, defaultValue);
}
template <class D>
requires std::is_base_of_v<NSDictionary, D> int32_t
getIntValueForKey(const std::shared_ptr<D>& dict, std::string_view key, int32_t defaultValue) {
  return getIntValueForKey(static_cast<const NSDictionary*>(dict.get()), key, defaultValue);
}
template <class D>
requires std::is_base_of_v<NSDictionary, D> int64_t getLongLongValueValueForKey(
    const std::shared_ptr<D>& dict, std::string_view key, int64_t defaultValue) {
  return getLongLongValueValueForKey(static_cast<const NSDictionary*>(dict.get()), key,
                                     defaultValue);
}
template <class D>
requires std::is_base_of_v<NSDictionary, D> Value
getStringValueForKey(const std::shared_ptr<D>& dict, std::string_view key, Value defaultValue) {
  return getStringValueForKey(static_cast<const NSDictionary*>(dict.get()), key,
                              std::move(defaultValue));
}
template <class D>
requires std::is_base_of_v<NSDictionary, D> int64_t
getTimeValueForKey(const std::shared_ptr<D>& dict, std::string_view key, int64_t defaultValue) {
  return getTimeValueForKey(static_cast<const NSDictionary*>(dict.get()), key, defaultValue);
}

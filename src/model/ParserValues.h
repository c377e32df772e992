// How the reply parsers read one value of a parsed dictionary.  Two families: the plain
// readings (int64, int32, truth, raw text), where absent and null give 0, NO or the empty
// text; and the typed readers with a default, whose rules on absent and null differ per type.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Foundation/Value.h"

namespace parser_values {

// Nested records (a repost of a repost, a user's last status) are mapped this deep at most,
// the same bound the JSON reader puts on the text.
inline constexpr int kMaxRecordDepth = 512;

// The reply text read as JSON; nil when it is not acceptable JSON.
Value parseReply(std::string_view reply);

// A text field: textOf (Foundation/Value.h).

// str(empty) as text: numbers as their decimal text; absent, null and containers empty.  Any
// receiver that is not a dictionary reads as an empty one.
std::string strText(const Value& dic, std::string_view key);
// str(d) as text, the same way.
std::string strText(const NSDictionary& dic, std::string_view key,
                    std::string_view defaultValue = "");

// int64 / int32 / truth: numbers and numeric strings; anything else reads 0 / NO.  Of a value,
// or of the value under a key.
int64_t int64Of(const Value& v);
int32_t int32Of(const Value& v);
bool truthOf(const Value& v);
int64_t int64Of(const NSDictionary& dic, std::string_view key);
int32_t int32Of(const NSDictionary& dic, std::string_view key);
bool truthOf(const NSDictionary& dic, std::string_view key);

// Writes a dictionary or an array as compact JSON, UTF-8, atomically; NO for an empty path, a
// value the writer refuses or a failed write.
bool writeJSONFile(std::string_view path, const Value& object);

// The typed readers: str(d), int(d), ll(d), bool(d) and time.
Value strValue(const NSDictionary& dic, std::string_view key, std::string_view defaultValue);
int32_t intValue(const NSDictionary& dic, std::string_view key, int32_t defaultValue);
int64_t llValue(const NSDictionary& dic, std::string_view key, int64_t defaultValue);
bool boolValue(const NSDictionary& dic, std::string_view key, bool defaultValue);
int64_t timeValue(const NSDictionary& dic, std::string_view key, int64_t defaultValue);
// int(d) and time of the value itself (nil standing for a missing key).
int32_t intValue(const Value& v, int32_t defaultValue);
int64_t timeValue(const Value& v, int64_t defaultValue);

// The records that `map` makes of the dictionary elements of an array, in order; the other
// elements are skipped.
template <class Map>
auto mapDictionaries(const NSArray& list, Map map) {
  std::vector<decltype(map(std::declval<const NSDictionary&>()))> records;
  for (const Value& element : list) {
    if (element.isDictionary()) records.push_back(map(*element.dictionaryPointer()));
  }
  return records;
}

// The same, or nil when the value is no array.
template <class Map>
auto mapDictionariesOrNil(const Value& list, Map map)
    -> std::optional<decltype(mapDictionaries(std::declval<const NSArray&>(), map))> {
  if (!list.isArray()) return std::nullopt;
  return mapDictionaries(*list.arrayPointer(), map);
}

// The same records as an array of objects, for results that mix records with other values;
// empty when the value is no array.
template <class Map>
ValueArray objectArrayOf(const Value& list, Map map) {
  auto array = std::make_shared<NSMutableArray>();
  if (!list.isArray()) return array;
  for (auto& record : mapDictionaries(*list.arrayPointer(), map)) array->addObject(Value(record));
  return array;
}

}  // namespace parser_values

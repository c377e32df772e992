#include "model/ParserValues.h"

#include "Common/Additions/NSDictionary+Values.h"
#include "Common/JXKit/NSArray+JXKitSerializing.h"
#include "Common/JXKit/NSDictionary+JXKitSerializing.h"
#include "Common/JXKit/NSString+JXKitDeserializing.h"
#include "core/UIFilePath.h"
#include "uilib/core/NSArray+ULCategory.h"

namespace parser_values {

namespace {
bool isReadable(const Value& v) {
  return v.isNumber() || v.isString();
}
}  // namespace

Value parseReply(std::string_view reply) {
  return objectFromJSONString(reply);
}

std::string strText(const Value& dic, std::string_view key) {
  return dic.isDictionary() ? strText(*dic.dictionaryPointer(), key) : std::string();
}

int64_t int64Of(const Value& v) {
  return isReadable(v) ? v.longLongValue() : 0;
}

int32_t int32Of(const Value& v) {
  return isReadable(v) ? v.intValue() : 0;
}

bool truthOf(const Value& v) {
  return isReadable(v) && v.boolValue();
}

int64_t int64Of(const NSDictionary& dic, std::string_view key) {
  return int64Of(dic.objectRefForKey(key));
}

int32_t int32Of(const NSDictionary& dic, std::string_view key) {
  return int32Of(dic.objectRefForKey(key));
}

bool truthOf(const NSDictionary& dic, std::string_view key) {
  return truthOf(dic.objectRefForKey(key));
}

bool writeJSONFile(std::string_view path, const Value& object) {
  if (path.empty()) return false;
  Value json;
  if (object.isDictionary())
    json = JSONString(object.dictionary());
  else if (object.isArray())
    json = JSONString(object.array());
  if (!json.isString()) return false;
  return UIFilePath::writeFile(path, json.string());
}

Value strValue(const NSDictionary& dic, std::string_view key, std::string_view defaultValue) {
  return getStringValueForKey(&dic, key, Value(defaultValue));
}

std::string strText(const NSDictionary& dic, std::string_view key, std::string_view defaultValue) {
  // As textOf(strValue(...)), without copying the value first.
  const Value& v = dic.objectRefForKey(key);
  if (v.isNil() || v.isNull()) return std::string(defaultValue);
  return textOf(v);
}

int32_t intValue(const NSDictionary& dic, std::string_view key, int32_t defaultValue) {
  return getIntValueForKey(&dic, key, defaultValue);
}

int32_t intValue(const Value& v, int32_t defaultValue) {
  return getIntValue(v, defaultValue);
}

int64_t llValue(const NSDictionary& dic, std::string_view key, int64_t defaultValue) {
  return getLongLongValueValueForKey(&dic, key, defaultValue);
}

bool boolValue(const NSDictionary& dic, std::string_view key, bool defaultValue) {
  return getBoolValueForKey(&dic, key, defaultValue);
}

int64_t timeValue(const NSDictionary& dic, std::string_view key, int64_t defaultValue) {
  return timeValue(dic.objectRefForKey(key), defaultValue);
}

int64_t timeValue(const Value& v, int64_t defaultValue) {
  return getTimeValueForKey(v, defaultValue);
}

}  // namespace parser_values

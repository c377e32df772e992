// The category functions over strings, data, arrays and dictionaries.
#include <array>
#include <memory>

#include "Common/JXKit/JXDecoder.h"
#include "Common/JXKit/NSArray+JXKitSerializing.h"
#include "Common/JXKit/NSData+JXKitDeserializing.h"
#include "Common/JXKit/NSDictionary+JXKitSerializing.h"
#include "Common/JXKit/NSString+JXKitDeserializing.h"
#include "Common/JXKit/NSString+JXKitSerializing.h"

namespace {

// One decoder per thread and option set, so that a reply read after another reuses the
// reader's working memory; only its key cache carries over (keys are immutable texts).  Calls
// may run on any thread.
JXDecoder& threadDecoder(JXParseOptionFlags options) {
  if (options > JXReadValidFlags) JXDecoder refused(options);  // raises
  thread_local std::array<std::unique_ptr<JXDecoder>, JXReadValidFlags + 1> decoders;
  auto& decoder = decoders[options];
  if (!decoder) decoder = std::make_unique<JXDecoder>(options);
  return *decoder;
}

Value parseString(std::string_view json, JXParseOptionFlags options, bool mutableResults,
                  NSErrorPtr* error) {
  JXDecoder& decoder = threadDecoder(options);
  const char* bytes = json.data() ? json.data() : "";
  return mutableResults ? decoder.mutableObjectWithUTF8String(bytes, json.size(), error)
                        : decoder.objectWithUTF8String(bytes, json.size(), error);
}

Value parseData(const Value& data, JXParseOptionFlags options, bool mutableResults,
                NSErrorPtr* error) {
  if (data.isNil()) return Value();
  JXDecoder& decoder = threadDecoder(options);
  return mutableResults ? decoder.mutableObjectWithData(data, error)
                        : decoder.objectWithData(data, error);
}

constexpr JXEncodeOptionType kCollectionAsData = JXEncodeOptionAsData | JXEncodeOptionCollectionObj;
constexpr JXEncodeOptionType kCollectionAsString =
    JXEncodeOptionAsString | JXEncodeOptionCollectionObj;

Value serialize(Value object, JXSerializeOptionFlags options, JXEncodeOptionType form,
                const JXUnsupportedClassBlock& block, NSErrorPtr* error) {
  return JXSerializer::serializeObject(object, options, form, block, nullptr, {}, error);
}

JXEncodeOptionType stringForm(JXEncodeOptionType as, bool includeQuotes) {
  return as | JXEncodeOptionStringObj | (includeQuotes ? 0 : JXEncodeOptionStringObjTrimQuotes);
}

}  // namespace

// ---- NSString(JXKitDeserializing) ----

Value objectFromJSONString(std::string_view json) {
  return parseString(json, JXReadStrict, false, nullptr);
}
Value objectFromJSONStringWithParseOptions(std::string_view json, JXParseOptionFlags options) {
  return parseString(json, options, false, nullptr);
}
Value objectFromJSONStringWithParseOptions(std::string_view json, JXParseOptionFlags options,
                                           NSErrorPtr* error) {
  return parseString(json, options, false, error);
}
Value mutableObjectFromJSONString(std::string_view json) {
  return parseString(json, JXReadStrict, true, nullptr);
}
Value mutableObjectFromJSONStringWithParseOptions(std::string_view json,
                                                  JXParseOptionFlags options) {
  return parseString(json, options, true, nullptr);
}
Value mutableObjectFromJSONStringWithParseOptions(std::string_view json, JXParseOptionFlags options,
                                                  NSErrorPtr* error) {
  return parseString(json, options, true, error);
}

// ---- NSData(JXKitDeserializing) ----

Value objectFromJSONData(const Value& data) {
  return parseData(data, JXReadStrict, false, nullptr);
}
Value objectFromJSONDataWithParseOptions(const Value& data, JXParseOptionFlags options) {
  return parseData(data, options, false, nullptr);
}
Value objectFromJSONDataWithParseOptions(const Value& data, JXParseOptionFlags options,
                                         NSErrorPtr* error) {
  return parseData(data, options, false, error);
}
Value mutableObjectFromJSONData(const Value& data) {
  return parseData(data, JXReadStrict, true, nullptr);
}
Value mutableObjectFromJSONDataWithParseOptions(const Value& data, JXParseOptionFlags options) {
  return parseData(data, options, true, nullptr);
}
Value mutableObjectFromJSONDataWithParseOptions(const Value& data, JXParseOptionFlags options,
                                                NSErrorPtr* error) {
  return parseData(data, options, true, error);
}

// ---- NSArray / NSDictionary (JXKitSerializing, JXKitSerializingBlockAdditions) ----

#define JX_COLLECTION_SERIALIZING(Type)                                                  \
  Value JSONData(const Type& object) {                                                   \
    return serialize(Value(object), 0, kCollectionAsData, {}, nullptr);                  \
  }                                                                                      \
  Value JSONDataWithOptions(const Type& object, JXSerializeOptionFlags options,          \
                            NSErrorPtr* error) {                                         \
    return serialize(Value(object), options, kCollectionAsData, {}, error);              \
  }                                                                                      \
  Value JSONDataWithOptions(const Type& object, JXSerializeOptionFlags options,          \
                            const JXUnsupportedClassBlock& block, NSErrorPtr* error) {   \
    return serialize(Value(object), options, kCollectionAsData, block, error);           \
  }                                                                                      \
  Value JSONString(const Type& object) {                                                 \
    return serialize(Value(object), 0, kCollectionAsString, {}, nullptr);                \
  }                                                                                      \
  Value JSONStringWithOptions(const Type& object, JXSerializeOptionFlags options,        \
                              NSErrorPtr* error) {                                       \
    return serialize(Value(object), options, kCollectionAsString, {}, error);            \
  }                                                                                      \
  Value JSONStringWithOptions(const Type& object, JXSerializeOptionFlags options,        \
                              const JXUnsupportedClassBlock& block, NSErrorPtr* error) { \
    return serialize(Value(object), options, kCollectionAsString, block, error);         \
  }

JX_COLLECTION_SERIALIZING(ValueArray)
JX_COLLECTION_SERIALIZING(ValueDictionary)

#undef JX_COLLECTION_SERIALIZING

// ---- NSString(JXKitSerializing) ----

Value JSONData(std::string_view string) {
  return serialize(Value(string), 0, stringForm(JXEncodeOptionAsData, true), {}, nullptr);
}
Value JSONDataWithOptions(std::string_view string, JXSerializeOptionFlags options,
                          bool includeQuotes, NSErrorPtr* error) {
  return serialize(Value(string), options, stringForm(JXEncodeOptionAsData, includeQuotes), {},
                   error);
}
Value JSONString(std::string_view string) {
  return serialize(Value(string), 0, stringForm(JXEncodeOptionAsString, true), {}, nullptr);
}
Value JSONStringWithOptions(std::string_view string, JXSerializeOptionFlags options,
                            bool includeQuotes, NSErrorPtr* error) {
  return serialize(Value(string), options, stringForm(JXEncodeOptionAsString, includeQuotes), {},
                   error);
}

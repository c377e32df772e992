// The JSON writer: compact and indented layout, escapes, numbers, unsupported objects, the
// top-level checks and the nesting limit.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>

#include "Common/JXKit/JXKitTestSupport.h"
#include "Common/JXKit/JXSerializer.h"
#include "Common/JXKit/NSArray+JXKitSerializing.h"
#include "Common/JXKit/NSDictionary+JXKitSerializing.h"
#include "Common/JXKit/NSString+JXKitSerializing.h"

namespace {

// The text of `items` written as an array, or "error: <message>".
std::string written(std::vector<Value> items, JXSerializeOptionFlags options = 0) {
  NSErrorPtr error;
  Value text = JSONStringWithOptions(makeArray(std::move(items)), options, &error);
  if (text.isString()) return std::string(text.string());
  return "error: " + (error ? error->localizedDescription() : std::string("none"));
}

ValueDictionary orderedDictionary(std::vector<std::pair<std::string, Value>> pairs) {
  return std::make_shared<NSMutableDictionary>(std::move(pairs), true);
}

TEST(JXSerializerTest, CompactTextKeepsTheDictionaryOrder) {
  auto dict = orderedDictionary({{"b", Value(1)}, {"a", Value(1)}});
  EXPECT_EQ(written({Value(dict)}), R"([{"b":1,"a":1}])");
  EXPECT_EQ(JSONString(dict).string(), R"({"b":1,"a":1})");
  EXPECT_EQ(written({Value::arrayOf(), Value::dictionaryOf(), Value(""), Value::null()}),
            R"([[],{},"",null])");
}

TEST(JXSerializerTest, IndentedTextSortsTheKeys) {
  auto dict = orderedDictionary({{"b", Value(1)}, {"a", Value(1)}});
  EXPECT_EQ(written({Value(dict)}, JXWriteIndented), "[\n  {\n    \"a\": 1,\n    \"b\": 1\n  }\n]");
  EXPECT_EQ(written({}, JXWriteIndented), "[\n  \n]");
  EXPECT_EQ(JSONStringWithOptions(orderedDictionary({}), JXWriteIndented, nullptr).string(),
            "{\n  \n}");
  EXPECT_EQ(written({Value(1), Value::arrayOf({Value(2)})}, JXWriteIndented),
            "[\n  1,\n  [\n    2\n  ]\n]");

  // Keys are ordered by their UTF-16 units: U+1F600 (a surrogate pair) before U+FFFD.
  auto mixed = orderedDictionary({{"b", Value(1)},
                                  {"\xEF\xBF\xBD", Value(2)},
                                  {"\xF0\x9F\x98\x80", Value(3)},
                                  {"\xC3\xA9", Value(4)},
                                  {"a", Value(5)},
                                  {"B", Value(6)},
                                  {"ab", Value(7)}});
  EXPECT_EQ(JSONStringWithOptions(mixed, JXWriteIndented, nullptr).string(),
            "{\n  \"B\": 6,\n  \"a\": 5,\n  \"ab\": 7,\n  \"b\": 1,\n  \"\xC3\xA9\": 4,\n  "
            "\"\xF0\x9F\x98\x80\": 3,\n  \"\xEF\xBF\xBD\": 2\n}");

  // A parsed dictionary in slot order writes the same sorted text.
  Value parsed = objectFromJSONString(R"({"zeta":1,"alpha":{"y":[true,null],"x":"s"},"mid":2.5})");
  EXPECT_EQ(JSONStringWithOptions(parsed.dictionary(), JXWriteIndented, nullptr).string(),
            "{\n  \"alpha\": {\n    \"x\": \"s\",\n    \"y\": [\n      true,\n      null\n    ]\n  "
            "},\n  \"mid\": 2.5,\n  \"zeta\": 1\n}");
}

TEST(JXSerializerTest, StringEscapes) {
  EXPECT_EQ(written({Value("\t\"\x01")}), R"(["\t\"\u0001"])");
  EXPECT_EQ(written({Value("\b\f\n\r\\\x1f\x7f")}), "[\"\\b\\f\\n\\r\\\\\\u001f\x7f\"]");
  EXPECT_EQ(written({Value(std::string("a\0b", 3))}), R"(["a\u0000b"])");
  EXPECT_EQ(written({Value("a/b")}), R"(["a/b"])");
  EXPECT_EQ(written({Value("a/b")}, JXWriteSlashEscaped), R"(["a\/b"])");
}

TEST(JXSerializerTest, NonASCIICharacters) {
  EXPECT_EQ(written({Value("\xC3\xA9")}), "[\"\xC3\xA9\"]");
  EXPECT_EQ(written({Value("\xC3\xA9")}, JXWriteAsciiOnly), R"(["\u00e9"])");
  EXPECT_EQ(written({Value("\xF0\x9F\x98\x80")}, JXWriteAsciiOnly), R"(["\ud83d\ude00"])");
  EXPECT_EQ(written({Value("行业/x")}, JXWriteAsciiOnly | JXWriteSlashEscaped),
            R"(["\u884c\u4e1a\/x"])");
  // A noncharacter passes as bytes but has no ASCII form.
  EXPECT_EQ(written({Value("\xEF\xBF\xBF")}), "[\"\xEF\xBF\xBF\"]");
  EXPECT_EQ(written({Value("a\xEF\xB7\x90")}, JXWriteAsciiOnly), "error: Error converting UTF8.");
  // Bytes that are not UTF-8 cannot be converted and become question marks.
  EXPECT_EQ(written({Value("a\xFF"
                           "b\xC3")}),
            R"(["a?b?"])");
  EXPECT_EQ(written({Value("a\xFF"
                           "b")},
                    JXWriteAsciiOnly),
            R"(["a?b"])");
}

TEST(JXSerializerTest, Numbers) {
  EXPECT_EQ(written({Value(true), Value(false), Value::character(1), Value::character(-1)}),
            "[true,false,1,-1]");
  EXPECT_EQ(written({Value(0), Value(-42), Value(std::numeric_limits<int64_t>::min()),
                     Value(std::numeric_limits<int64_t>::max()),
                     Value(std::numeric_limits<uint64_t>::max())}),
            "[0,-42,-9223372036854775808,9223372036854775807,18446744073709551615]");
  EXPECT_EQ(
      written({Value(0.1), Value(3.5), Value(-0.0), Value(1e300), Value(100.0), Value(5e-324)}),
      "[0.10000000000000001,3.5,-0,1.0000000000000001e+300,100,4.9406564584124654e-324]");
  EXPECT_EQ(written({Value(std::nan(""))}),
            "error: Floating point values must be finite.  JSON does not support NaN or Infinity.");
  EXPECT_EQ(written({Value(-std::numeric_limits<double>::infinity())}),
            "error: Floating point values must be finite.  JSON does not support NaN or Infinity.");
}

TEST(JXSerializerTest, StringsOnTheirOwn) {
  EXPECT_EQ(JSONString("plain \"q\"").string(), R"("plain \"q\"")");
  NSErrorPtr error;
  EXPECT_EQ(
      JSONStringWithOptions("a/\xC3\xA9", JXWriteSlashEscaped | JXWriteAsciiOnly, false, &error)
          .string(),
      R"(a\/\u00e9)");
  Value data = JSONData("x");
  ASSERT_TRUE(data.isData());
  EXPECT_EQ(data.bytes(), "\"x\"");
  EXPECT_EQ(JSONDataWithOptions("x", 0, false, nullptr).bytes(), "x");
}

TEST(JXSerializerTest, DataOutput) {
  Value data = JSONData(makeArray({Value("行"), Value(1)}));
  ASSERT_TRUE(data.isData());
  EXPECT_EQ(data.bytes(), "[\"行\",1]");
  Value fromDict =
      JSONDataWithOptions(orderedDictionary({{"k", Value::null()}}), JXWriteIndented, nullptr);
  EXPECT_EQ(fromDict.bytes(), "{\n  \"k\": null\n}");
}

TEST(JXSerializerTest, UnsupportedObjectsFailUnlessReplaced) {
  auto dated = makeArray({Value(1), Value::date(0)});
  NSErrorPtr error;
  EXPECT_TRUE(JSONStringWithOptions(dated, 0, &error).isNil());
  ASSERT_TRUE(error);
  EXPECT_EQ(error->domain(), "JXErrorDomain");
  EXPECT_EQ(error->code(), -1);
  EXPECT_EQ(error->localizedDescription(), "Unable to serialize object class __NSDate.");
  EXPECT_TRUE(JSONString(makeArray({Value::data("x")})).isNil());

  JXUnsupportedClassBlock asSeconds = [](const Value& v) -> Value {
    if (v.isDate()) return Value(v.dateSeconds());
    return Value();
  };
  EXPECT_EQ(JSONStringWithOptions(dated, 0, asSeconds, nullptr).string(), "[1,0]");
  Value data =
      JSONDataWithOptions(orderedDictionary({{"when", Value::date(12.5)}}), 0, asSeconds, nullptr);
  EXPECT_EQ(data.bytes(), R"({"when":12.5})");

  // The formatter's answer must itself be writable.
  JXUnsupportedClassBlock asData = [](const Value&) { return Value::data("x"); };
  EXPECT_TRUE(JSONStringWithOptions(dated, 0, asData, &error).isNil());
  EXPECT_EQ(error->localizedDescription(),
            "Unable to serialize object class NSConcreteData that was returned by the unsupported "
            "class formatter.  Original object class was __NSDate.");
  JXUnsupportedClassBlock none = [](const Value&) { return Value(); };
  EXPECT_TRUE(JSONStringWithOptions(dated, 0, none, &error).isNil());
  EXPECT_EQ(error->localizedDescription(), "Unable to serialize object class __NSDate.");
}

struct DateFormatter {
  Value format(const Value& v) { return Value("at " + v.description()); }
  int calls = 0;
  Value counted(const Value& v) {
    ++calls;
    return Value(calls);
  }
};

TEST(JXSerializerTest, DelegateReplacesUnsupportedObjects) {
  auto formatter = std::make_shared<DateFormatter>();
  auto dated = makeArray({Value::date(0), Value::date(60)});
  NSErrorPtr error;
  Value text = JSONStringWithOptions(dated, 0, formatter, &DateFormatter::format, &error);
  EXPECT_EQ(text.string(), R"(["at 1970-01-01 00:00:00 +0000","at 1970-01-01 00:01:00 +0000"])");
  EXPECT_EQ(JSONDataWithOptions(dated, 0, formatter, &DateFormatter::counted, nullptr).bytes(),
            "[1,2]");

  auto dict = orderedDictionary({{"d", Value::date(0)}});
  EXPECT_EQ(JSONStringWithOptions(dict, 0, formatter, &DateFormatter::counted, nullptr).string(),
            R"({"d":3})");

  NSException e = jxRaised([&] {
    JSONStringWithOptions(dated, 0, formatter,
                          static_cast<Value (DateFormatter::*)(const Value&)>(nullptr), nullptr);
  });
  EXPECT_EQ(e.name(), "NSInvalidArgumentException");
  EXPECT_EQ(e.reason(), "The delegate argument is not NULL, but the selector argument is NULL.");
}

TEST(JXSerializerTest, TopLevelChecks) {
  NSErrorPtr error;
  EXPECT_TRUE(JXSerializer::serializeObject(Value("x"), 0,
                                            JXEncodeOptionAsString | JXEncodeOptionCollectionObj,
                                            {}, nullptr, {}, &error)
                  .isNil());
  EXPECT_EQ(error->localizedDescription(),
            "Unable to serialize object class __NSCFString, expected a NSArray or NSDictionary.");
  EXPECT_TRUE(JSONString(ValueArray()).isNil());

  EXPECT_TRUE(JXSerializer::serializeObject(Value::arrayOf(), 0,
                                            JXEncodeOptionAsString | JXEncodeOptionStringObj, {},
                                            nullptr, {}, &error)
                  .isNil());
  EXPECT_EQ(error->localizedDescription(),
            "Unable to serialize object class __NSArrayM, expected a NSString.");

  EXPECT_TRUE(JXSerializer::serializeObject(Value::arrayOf(), 0, JXEncodeOptionCollectionObj, {},
                                            nullptr, {}, &error)
                  .isNil());
  EXPECT_EQ(error->localizedDescription(), "Unknown encode as type.");

  // The error pointer is cleared by a call that succeeds.
  EXPECT_TRUE(JSONStringWithOptions(makeArray(), 0, &error).isString());
  EXPECT_EQ(error, nullptr);
}

TEST(JXSerializerTest, NestingLimit) {
  auto nestedArray = [](unsigned depth) {
    Value v = Value::arrayOf();
    for (unsigned i = 1; i < depth; ++i) v = Value::arrayOf({v});
    return v.array();
  };
  Value ok = JSONString(nestedArray(JXMaxNestingDepth));
  ASSERT_TRUE(ok.isString());
  EXPECT_EQ(ok.string().size(), 2 * size_t(JXMaxNestingDepth));
  NSErrorPtr error;
  EXPECT_TRUE(JSONStringWithOptions(nestedArray(JXMaxNestingDepth + 1), 0, &error).isNil());
  EXPECT_EQ(error->localizedDescription(), "Maximum nesting depth exceeded.");

  // An array that holds itself is refused instead of recursing without end.
  auto loop = makeArray({Value(1)});
  loop->addObject(Value(loop));
  EXPECT_TRUE(JSONStringWithOptions(loop, JXWriteIndented, &error).isNil());
  EXPECT_EQ(error->localizedDescription(), "Maximum nesting depth exceeded.");
  loop->removeLastObject();  // break the cycle so the array can be freed
}

TEST(JXSerializerTest, ParsedRepliesReadBackEqual) {
  std::string reply = R"({"statuses":[)";
  for (int i = 0; i < 300; ++i) {
    if (i) reply += ",";
    reply += R"({"id":)" + std::to_string(3652874118035870LL + i) +
             R"(,"text":"行业 \"资讯\" \/ \u00e9 \ud83d\ude00 )" + std::to_string(i) +
             R"(","user":{"id":)" + std::to_string(i % 7) + R"(,"verified":true,"ratio":)" +
             std::to_string(i) + R"(.25},"geo":null})";
  }
  reply += R"(],"next_cursor":18446744073709551615,"min":-9223372036854775808})";
  Value parsed = objectFromJSONString(reply);
  ASSERT_TRUE(parsed.isDictionary());
  for (JXSerializeOptionFlags options :
       {JXWriteOptionNone, JXWriteIndented, JXWriteAsciiOnly, JXWriteSlashEscaped,
        JXWriteIndented | JXWriteAsciiOnly | JXWriteSlashEscaped}) {
    SCOPED_TRACE(options);
    NSErrorPtr error;
    Value text = JSONStringWithOptions(parsed.dictionary(), options, &error);
    ASSERT_TRUE(text.isString()) << error->localizedDescription();
    JXParsed again = jxParse(text.string());
    ASSERT_TRUE(again.value.isDictionary()) << again.message();
    EXPECT_TRUE(again.value.isEqual(parsed));
    EXPECT_EQ(again.value["next_cursor"].kind(), Value::Kind::UInt);
    EXPECT_EQ(again.value["statuses"][299]["user"]["ratio"].kind(), Value::Kind::Double);
  }
}

TEST(JXSerializerTest, ReusedKeysNeverTakeAnotherKeysText) {
  // Each date is replaced by a freshly read dictionary that is dropped right after it is
  // written, so its key's memory is free for the next one: the text written for a key must
  // always be that key's own.
  std::vector<Value> dates;
  for (int i = 0; i < 200; ++i) dates.push_back(Value::date(i));
  JXUnsupportedClassBlock fresh = [](const Value& v) {
    const int i = int(v.dateSeconds());
    return objectFromJSONString("{\"key" + std::to_string(i) + "\":" + std::to_string(i) + "}");
  };
  Value text = JSONStringWithOptions(makeArray(dates), 0, fresh, nullptr);
  ASSERT_TRUE(text.isString());
  Value back = objectFromJSONString(text.string());
  ASSERT_EQ(back.count(), 200u);
  for (int i = 0; i < 200; ++i)
    EXPECT_EQ(back[i]["key" + std::to_string(i)].longLongValue(), i) << text.string();
}

}  // namespace

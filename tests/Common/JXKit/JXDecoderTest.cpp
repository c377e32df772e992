// The JSON reader: accepted documents, the error for each kind of bad input, numbers and their
// kinds, strings and escapes, the options and the decoder object.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "Common/JXKit/JXArray.h"
#include "Common/JXKit/JXDecoder.h"
#include "Common/JXKit/JXDictionary.h"
#include "Common/JXKit/JXKitTestSupport.h"
#include "Common/JXKit/NSData+JXKitDeserializing.h"

namespace {

constexpr const char* kUnexpectedToken =
    "Unexpected token, wanted '{', '}', '[', ']', ',', ':', 'true', 'false', 'null', "
    "'\"STRING\"', 'NUMBER'.";
constexpr const char* kTrailing =
    "A valid JSON object was parsed but there were additional non-white-space characters "
    "remaining.";
constexpr const char* kIllegalEscape = "Illegal \\u Unicode escape sequence.";
constexpr const char* kSecondEscape =
    "Required a second \\u Unicode escape sequence following a surrogate \\u Unicode escape "
    "sequence.";
constexpr const char* kReplacement = "\xEF\xBF\xBD";

std::string nested(unsigned depth) {
  return std::string(depth, '[') + std::string(depth, ']');
}

std::string repeated(const std::string& s, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += s;
  return out;
}

TEST(JXDecoderTest, EmptyContainersAndBlanksAroundAValue) {
  JXParsed a = jxParse("[]");
  ASSERT_TRUE(a.value.isArray());
  EXPECT_EQ(a.value.count(), 0u);
  EXPECT_FALSE(a.value.array()->isMutable());
  EXPECT_EQ(a.value.array()->className(), "JXArray");

  JXParsed d = jxParse("{}");
  ASSERT_TRUE(d.value.isDictionary());
  EXPECT_EQ(d.value.count(), 0u);
  EXPECT_FALSE(d.value.dictionary()->isMutable());
  EXPECT_EQ(d.value.dictionary()->className(), "JXDictionary");

  JXParsed spaced = jxParse(" \t\r\n[ \r\n1\t]\n\r\n ");
  ASSERT_TRUE(spaced.value.isArray()) << spaced.message();
  EXPECT_EQ(spaced.value[0].longLongValue(), 1);
}

TEST(JXDecoderTest, ReadsEveryKindOfValue) {
  JXParsed r = jxParse(
      R"({"s":"text","i":-12,"u":42,"d":2.5,"t":true,"f":false,"n":null,"a":[1,[2]],"o":{"k":"v"},"e":""})");
  ASSERT_TRUE(r.value.isDictionary()) << r.message();
  const Value& v = r.value;
  EXPECT_EQ(v["s"].string(), "text");
  EXPECT_EQ(v["i"].kind(), Value::Kind::Int);
  EXPECT_EQ(v["i"].longLongValue(), -12);
  EXPECT_EQ(v["u"].kind(), Value::Kind::Int);
  EXPECT_EQ(v["d"].kind(), Value::Kind::Double);
  EXPECT_EQ(v["d"].doubleValue(), 2.5);
  EXPECT_EQ(v["t"].kind(), Value::Kind::Bool);
  EXPECT_TRUE(v["t"].boolValue());
  EXPECT_EQ(v["f"].kind(), Value::Kind::Bool);
  EXPECT_FALSE(v["f"].boolValue());
  EXPECT_TRUE(v["n"].isNull());
  EXPECT_TRUE(v["missing"].isNil());
  EXPECT_EQ(v["a"].count(), 2u);
  EXPECT_EQ(v["a"][1][0].longLongValue(), 2);
  EXPECT_EQ(v["o"]["k"].string(), "v");
  EXPECT_TRUE(v["e"].isString());
  EXPECT_EQ(v["e"].string(), "");
  EXPECT_EQ(v.count(), 10u);
}

// Every message of the reader, each from the smallest text that gives it.
struct ErrorCase {
  const char* name;
  std::string json;
  const char* message;
  JXParseOptionFlags options = JXReadStrict;
};

TEST(JXDecoderTest, ErrorMessages) {
  const std::vector<ErrorCase> cases = {
      {"empty text", "", "Reached the end of the buffer."},
      {"blanks only", " \n\t ", kUnexpectedToken},
      // A first token that reads whole but opens no container.
      {"top-level number and blank", "-2.5 ", "Expected either '[' or '{'."},
      {"top-level zero before a digit", "01", "Expected either '[' or '{'."},
      {"top-level string", R"("a")", "Expected either '[' or '{'."},
      {"top-level true", "true", "Expected either '[' or '{'."},
      {"top-level null", " null", "Expected either '[' or '{'."},
      {"top-level close", "]", "Expected either '[' or '{'."},
      // A first token that does not read reports its own fault.
      {"top-level number at the end", "1", "Invalid number."},
      {"top-level minus alone", "- ", "Invalid number."},
      {"top-level fraction without digits", "1. ", "Invalid number."},
      {"top-level number out of range", "1e400 ",
       "The value '1e400' could not be represented as a 'double' due to overflow."},
      {"top-level unterminated string", R"("abc)", "Invalid string."},
      {"top-level raw tab", "\"a\tb\"", "Invalid character < 0x20 found in string: 0x09."},
      {"top-level bad escape", R"("\x")", "Invalid escape sequence found in \"\" string."},
      {"top-level lone surrogate", R"("\uDE00")", kIllegalEscape},
      {"top-level broken literal", "tru", kUnexpectedToken},
      {"top-level garbage", "x", kUnexpectedToken},
      {"byte order mark", "\xEF\xBB\xBF[]", kUnexpectedToken},
      {"open array only", "[", kUnexpectedToken},
      {"open object only", "{", kUnexpectedToken},
      {"trailing comma", "[1,]", "Unexpected ']'."},
      {"leading comma", "[,1]", "Unexpected ','."},
      {"double comma", "[1,,2]", "Unexpected ','."},
      {"values without comma", "[1 2]", "Unexpected value."},
      {"leading zero", "[01]", "Unexpected value."},
      {"colon in array", "[1:2]", "Expected a comma or a ']', not ':'"},
      {"brace at array start", "[}", "Expected a value or a ']', not '}'"},
      {"brace after comma", "[1,}", "Expected a value, not '}'"},
      {"missing colon", R"({"a" 1})", "Expected ':'."},
      {"pairs without comma", R"({"a":1 "b":2})", "Unexpected string."},
      {"object trailing comma", R"({"a":1,})", "Unexpected '}'."},
      {"object leading comma", "{,}", "Unexpected ','."},
      {"number key", "{1:2}", "Expected a \"STRING\" or a '}', not '1'"},
      {"number key after comma", R"({"a":1,2:3})", "Expected a \"STRING\", not '2'"},
      {"bracket after pair", R"({"a":1])", "Expected a comma or a '}', not ']'"},
      {"no value at start", R"({"a":})", "Expected a value or a '}', not '}'"},
      {"no value after comma", R"({"a":1,"b":])", "Expected a value, not ']'"},
      {"trailing text", "[1] x", kTrailing},
      {"second document", "{}{}", kTrailing},
      {"comment after value", "[1] // note", kTrailing},
      {"comment before value", "/* note */ [1]", kUnexpectedToken},
      {"comment inside", "[1 /* note */]", kUnexpectedToken},
      {"unterminated array", "[1, 2", "Invalid number."},
      {"unterminated string", R"(["abc)", "Invalid string."},
      {"backslash at the end", R"(["abc\)", "Invalid string."},
      {"broken literal", "[tru]", kUnexpectedToken},
      {"capital literal", "[True]", kUnexpectedToken},
      {"single quotes", "['a']", kUnexpectedToken},
      {"fraction without digits", "[1.]", "Invalid number."},
      {"minus alone", "[-]", "Invalid number."},
      {"exponent without digits", "[1e]", "Invalid number."},
      {"signed exponent without digits", "[1E+]", "Invalid number."},
      {"leading dot", "[.5]", kUnexpectedToken},
      {"plus sign", "[+1]", kUnexpectedToken},
      {"hex number", "[0x10]", kUnexpectedToken},
      {"two fractions", "[1.5.2]", kUnexpectedToken},
      {"raw tab", "[\"a\tb\"]", "Invalid character < 0x20 found in string: 0x09."},
      {"raw line feed", "[\"a\nb\"]", "Invalid character < 0x20 found in string: 0x0a."},
      {"raw NUL", std::string("[\"a\0\"]", 6), "Invalid character < 0x20 found in string: 0x00."},
      {"bad escape", R"(["\x"])", "Invalid escape sequence found in \"\" string."},
      {"escaped apostrophe", R"(["\'"])", "Invalid escape sequence found in \"\" string."},
      {"bad hex digit", R"(["\u12G4"])",
       "Unexpected character found in \\u Unicode escape sequence.  Found 'G', expected "
       "[0-9a-fA-F]."},
      {"escaped NUL", R"(["\u0000"])", kIllegalEscape},
      {"lone high surrogate", R"(["\uD83D"])", kSecondEscape},
      {"high surrogate and letter", R"(["\uD83Dx"])", kSecondEscape},
      {"lone low surrogate", R"(["\uDE00"])", kIllegalEscape},
      {"two high surrogates", R"(["\uD83D\uD83D"])", kIllegalEscape},
      {"escaped noncharacter FDD0", R"(["\uFDD0"])", kIllegalEscape},
      {"escaped noncharacter FFFE", R"(["\uFFFE"])", kIllegalEscape},
      {"escaped noncharacter 10FFFF", R"(["\uDBFF\uDFFF"])", kIllegalEscape},
      {"ill-formed UTF-8", "[\"\xC3\x28\"]", "Illegal UTF8 sequence found in \"\" string."},
      {"overlong UTF-8", "[\"\xC0\xAF\"]", "Illegal UTF8 sequence found in \"\" string."},
      {"UTF-8 surrogate", "[\"\xED\xA0\x80\"]", "Illegal UTF8 sequence found in \"\" string."},
      {"raw noncharacter FFFF", "[\"\xEF\xBF\xBF\"]",
       "Illegal UTF8 sequence found in \"\" string."},
      {"raw noncharacter FDD0", "[\"\xEF\xB7\x90\"]",
       "Illegal UTF8 sequence found in \"\" string."},
      {"raw noncharacter 1FFFE", "[\"\xF0\x9F\xBF\xBE\"]",
       "Illegal UTF8 sequence found in \"\" string."},
      {"UTF-8 cut by the end", "[\"\xE4\xB8",
       "End of buffer reached while parsing UTF8 in \"\" string."},
      {"UTF-8 outside a string", "[\xE4\xB8\xAD]", kUnexpectedToken},
      {"above the largest unsigned", "[18446744073709551616]",
       "The value '18446744073709551616' exceeded the maximum value that could be represented: "
       "18446744073709551615."},
      {"far above the largest unsigned", "[123456789012345678901234567890]",
       "The value '123456789012345678901234567890' exceeded the maximum value that could be "
       "represented: 18446744073709551615."},
      {"below the smallest signed", "[-9223372036854775809]",
       "The value '-9223372036854775809' exceeded the minimum value that could be represented: "
       "-9223372036854775808."},
      {"double overflow", "[1e400]",
       "The value '1e400' could not be represented as a 'double' due to overflow."},
      {"negative double overflow", "[-1.5e+9999]",
       "The value '-1.5e+9999' could not be represented as a 'double' due to overflow."},
      {"double underflow", "[1e-400]",
       "The value '1e-400' could not be represented as a 'double' due to underflow."},
      {"too deep", nested(JXMaxNestingDepth + 1), "Maximum nesting depth exceeded."},
      {"too deep in objects", repeated(R"({"a":[)", 300), "Maximum nesting depth exceeded."},
  };
  for (const ErrorCase& c : cases) {
    SCOPED_TRACE(c.name);
    JXParsed r = jxParse(c.json, c.options);
    EXPECT_TRUE(r.value.isNil());
    ASSERT_TRUE(r.error);
    EXPECT_EQ(r.error->domain(), "JXErrorDomain");
    EXPECT_EQ(r.error->code(), -1);
    EXPECT_EQ(r.message(), c.message);
    EXPECT_LE(r.index(), c.json.size());
    EXPECT_GE(r.line(), 1u);
  }
}

TEST(JXDecoderTest, ErrorIndexAndLineNumber) {
  // CR LF counts as one line break, a lone CR or LF as one each.
  JXParsed r = jxParse("[1,\r\n2,\r\n\n3\r4 5]");
  EXPECT_EQ(r.message(), "Unexpected value.");
  EXPECT_EQ(r.line(), 5u);
  EXPECT_EQ(r.index(), 13u);  // just after the offending 4

  JXParsed first = jxParse("[\"a\tb\"]");
  EXPECT_EQ(first.index(), 3u);  // at the tab
  EXPECT_EQ(first.line(), 1u);

  JXParsed empty = jxParse("");
  EXPECT_EQ(empty.index(), 0u);
  EXPECT_EQ(empty.line(), 1u);

  // Unicode line breaks count only with their option.
  const std::string text = "[1,\xE2\x80\xA8\xC2\x85\xE2\x80\xA9x]";
  EXPECT_EQ(jxParse(text).message(), kUnexpectedToken);
  JXParsed broken = jxParse(text, JXReadUnicodeBreaks);
  EXPECT_EQ(broken.message(), kUnexpectedToken);
  EXPECT_EQ(broken.line(), 4u);
}

TEST(JXDecoderTest, OnlyTheFirstErrorIsKept) {
  // The control byte is reported, not the "Invalid string." that follows it.
  EXPECT_EQ(jxParse("[\"\x01\"]").message(), "Invalid character < 0x20 found in string: 0x01.");
  // The range message is kept ahead of "Invalid number.".
  EXPECT_EQ(jxParse("[1e999]").message(),
            "The value '1e999' could not be represented as a 'double' due to overflow.");
}

TEST(JXDecoderTest, IntegersKeepTheirKinds) {
  struct Case {
    const char* json;
    Value::Kind kind;
    long long asSigned;
    unsigned long long asUnsigned;
  };
  const Case cases[] = {
      {"[0]", Value::Kind::Int, 0, 0},
      {"[-5]", Value::Kind::Int, -5, 0},
      {"[-10]", Value::Kind::Int, -10, 0},
      {"[7]", Value::Kind::Int, 7, 7},
      {"[9223372036854775807]", Value::Kind::Int, INT64_MAX, 0},
      {"[-9223372036854775808]", Value::Kind::Int, INT64_MIN, 0},
      {"[9223372036854775808]", Value::Kind::UInt, 0, 9223372036854775808ull},
      {"[18446744073709551615]", Value::Kind::UInt, 0, UINT64_MAX},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.json);
    JXParsed r = jxParse(c.json);
    ASSERT_TRUE(r.value.isArray()) << r.message();
    const Value n = r.value[0];
    EXPECT_EQ(n.kind(), c.kind);
    if (c.kind == Value::Kind::Int)
      EXPECT_EQ(n.longLongValue(), c.asSigned);
    else
      EXPECT_EQ(n.unsignedLongLongValue(), c.asUnsigned);
  }
}

TEST(JXDecoderTest, DoublesAndNegativeZero) {
  JXParsed r = jxParse(
      "[-0, 0.0, -0.0, 1.5, 1E2, 2e-3, 1e+2, -1.25e-1, 1e-310, 4.9e-324, "
      "1.7976931348623157e308, 0.1]");
  ASSERT_TRUE(r.value.isArray()) << r.message();
  for (size_t i = 0; i < r.value.count(); ++i) EXPECT_EQ(r.value[i].kind(), Value::Kind::Double);
  EXPECT_EQ(r.value[0].doubleValue(), 0.0);
  EXPECT_TRUE(std::signbit(r.value[0].doubleValue()));
  EXPECT_FALSE(std::signbit(r.value[1].doubleValue()));
  EXPECT_TRUE(std::signbit(r.value[2].doubleValue()));
  EXPECT_EQ(r.value[3].doubleValue(), 1.5);
  EXPECT_EQ(r.value[4].doubleValue(), 100.0);
  EXPECT_EQ(r.value[5].doubleValue(), 0.002);
  EXPECT_EQ(r.value[6].doubleValue(), 100.0);
  EXPECT_EQ(r.value[7].doubleValue(), -0.125);
  // A finite non-zero subnormal is a number like any other.
  EXPECT_EQ(r.value[8].doubleValue(), 1e-310);
  EXPECT_GT(r.value[9].doubleValue(), 0.0);
  EXPECT_EQ(r.value[10].doubleValue(), 1.7976931348623157e308);
  EXPECT_EQ(r.value[11].doubleValue(), 0.1);
}

TEST(JXDecoderTest, NumberEndsAtTheFirstByteThatCannotContinueIt) {
  // "-0" alone is the double; "-01" is -0 followed by the value 1.
  EXPECT_EQ(jxParse("[-01]").message(), "Unexpected value.");
  JXParsed tight = jxParse("[1,-2,3.5e1]");
  ASSERT_TRUE(tight.value.isArray()) << tight.message();
  EXPECT_EQ(tight.value[1].longLongValue(), -2);
  EXPECT_EQ(tight.value[2].doubleValue(), 35.0);
}

TEST(JXDecoderTest, StringEscapes) {
  JXParsed r = jxParse(R"(["\"\\\/\b\f\n\r\t", "\u0041\u00e9\u4E2D", "a\u0001b"])");
  ASSERT_TRUE(r.value.isArray()) << r.message();
  EXPECT_EQ(r.value[0].string(), "\"\\/\b\f\n\r\t");
  EXPECT_EQ(r.value[1].string(), "A\xC3\xA9\xE4\xB8\xAD");
  EXPECT_EQ(r.value[2].string(), std::string("a\x01"
                                             "b"));
}

TEST(JXDecoderTest, SurrogatePairsDecodeToOneCodePoint) {
  JXParsed r = jxParse(R"(["\uD83D\uDE00", "x\ud834\udd1ey", "\uDBFF\uDFFD"])");
  ASSERT_TRUE(r.value.isArray()) << r.message();
  EXPECT_EQ(r.value[0].string(), "\xF0\x9F\x98\x80");    // U+1F600
  EXPECT_EQ(r.value[1].string(), "x\xF0\x9D\x84\x9Ey");  // U+1D11E
  EXPECT_EQ(r.value[2].string(), "\xF4\x8F\xBF\xBD");    // U+10FFFD
}

TEST(JXDecoderTest, RawUTF8IsTakenAsItIs) {
  const std::string text = "[\"行业资讯 é \xF0\x9F\x98\x80\", \"\xE2\x80\xA8\", \"\x7F\"]";
  JXParsed r = jxParse(text);
  ASSERT_TRUE(r.value.isArray()) << r.message();
  EXPECT_EQ(r.value[0].string(), "行业资讯 é \xF0\x9F\x98\x80");
  EXPECT_EQ(r.value[1].string(), "\xE2\x80\xA8");
  EXPECT_EQ(r.value[2].string(), "\x7F");
}

TEST(JXDecoderTest, LenientUnicodeReplacesWhatStrictRefuses) {
  struct Case {
    const char* json;
    std::string string;
  };
  const std::string r = kReplacement;
  const Case cases[] = {
      {R"(["\uD83D"])", r},
      {R"(["a\uD83Db"])", "a" + r + "b"},
      // The byte after the lone high surrogate starts an escape of its own.
      {R"(["\uD83D\n"])", r + "\n"},
      // A second escape that is no low surrogate is a character of its own.
      {R"(["\uD83D\u0041"])", r + "A"},
      {R"(["\uDE00x"])", r + "x"},
      {R"(["\u0000"])", r},
      {R"(["\uFFFF"])", r},
      {"[\"a\xC3\x28z\"]", "a" + r + "(z"},
      {"[\"\xEF\xBF\xBE\"]", r},
      {"[\"\xFF\"]", r},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.json);
    EXPECT_TRUE(jxParse(c.json).value.isNil());
    JXParsed lenient = jxParse(c.json, JXReadLenientUnicode);
    ASSERT_TRUE(lenient.value.isArray()) << lenient.message();
    EXPECT_EQ(lenient.value[0].string(), c.string);
  }
  // Bad escapes and cut sequences still fail.
  EXPECT_EQ(jxParse(R"(["\x"])", JXReadLenientUnicode).message(),
            "Invalid escape sequence found in \"\" string.");
  EXPECT_EQ(jxParse("[\"\xE4\xB8", JXReadLenientUnicode).message(),
            "End of buffer reached while parsing UTF8 in \"\" string.");
}

TEST(JXDecoderTest, CommentsOnlyWithTheirOption) {
  const std::string text =
      "// leading line comment\r\n"
      "/* block\n comment */ [1, /**/ 2 // after two\n"
      ", 3] /* trailing */";
  EXPECT_TRUE(jxParse(text).value.isNil());
  JXParsed r = jxParse(text, JXReadWithComments);
  ASSERT_TRUE(r.value.isArray()) << r.message();
  EXPECT_EQ(r.value.count(), 3u);

  // Line breaks inside comments are counted.
  JXParsed late = jxParse("/*\n\n*/[1 x]", JXReadWithComments);
  EXPECT_EQ(late.message(), kUnexpectedToken);
  EXPECT_EQ(late.line(), 3u);
  // A slash that starts no comment is an unexpected token; an open comment runs to the end.
  EXPECT_EQ(jxParse("[1 / 2]", JXReadWithComments).message(), kUnexpectedToken);
  EXPECT_EQ(jxParse("[1] /* open", JXReadWithComments).message(), "");
  EXPECT_TRUE(jxParse("[1] /* open", JXReadWithComments).value.isArray());
  EXPECT_EQ(jxParse("[1 /* open", JXReadWithComments).message(), kUnexpectedToken);
}

TEST(JXDecoderTest, UnicodeLineBreaksOnlyWithTheirOption) {
  const std::string text = "\xE2\x80\xA8[1,\xC2\x85 2]\xE2\x80\xA9";
  EXPECT_EQ(jxParse(text).message(), kUnexpectedToken);
  JXParsed r = jxParse(text, JXReadUnicodeBreaks);
  ASSERT_TRUE(r.value.isArray()) << r.message();
  EXPECT_EQ(r.value.count(), 2u);
}

TEST(JXDecoderTest, TrailingBytesOnlyWithTheirOption) {
  EXPECT_EQ(jxParse("[1] x").message(), kTrailing);
  JXParsed r = jxParse("[1] x", JXReadTrailingBytes);
  ASSERT_TRUE(r.value.isArray()) << r.message();
  EXPECT_EQ(r.value[0].longLongValue(), 1);
  EXPECT_TRUE(jxParse("{\"a\":1}\n{\"b\":2}", JXReadTrailingBytes).value.isDictionary());
}

TEST(JXDecoderTest, OptionsCombine) {
  JXParsed r = jxParse("/* c */ [\"\\uD800\"] garbage",
                       JXReadWithComments | JXReadLenientUnicode | JXReadTrailingBytes);
  ASSERT_TRUE(r.value.isArray()) << r.message();
  EXPECT_EQ(r.value[0].string(), kReplacement);
}

TEST(JXDecoderTest, LastDuplicateKeyWins) {
  JXParsed r = jxParse(R"({"a":1,"b":true,"a":2})");
  ASSERT_TRUE(r.value.isDictionary()) << r.message();
  EXPECT_EQ(r.value.count(), 2u);
  EXPECT_EQ(r.value["a"].longLongValue(), 2);
  EXPECT_EQ(std::dynamic_pointer_cast<JXDictionary>(r.value.dictionary())->capacity(), 3u);
  // Duplicates across a wider object.
  JXParsed many = jxParse(R"({"k":0,"x1":1,"x2":2,"x3":3,"x4":4,"k":5,"x2":6,"":7,"":8})");
  ASSERT_TRUE(many.value.isDictionary()) << many.message();
  EXPECT_EQ(many.value.count(), 6u);
  EXPECT_EQ(many.value["k"].longLongValue(), 5);
  EXPECT_EQ(many.value["x2"].longLongValue(), 6);
  EXPECT_EQ(many.value[""].longLongValue(), 8);
}

TEST(JXDecoderTest, NestingUpToTheLimitIsRead) {
  JXParsed r = jxParse(nested(JXMaxNestingDepth));
  ASSERT_TRUE(r.value.isArray()) << r.message();
  Value v = r.value;
  unsigned depth = 1;
  while (v.count()) {
    v = v[0];
    ++depth;
  }
  EXPECT_EQ(depth, JXMaxNestingDepth);

  // A reply of 100,000 open brackets is refused, not a crash.
  JXParsed deep = jxParse(std::string(100000, '['));
  EXPECT_EQ(deep.message(), "Maximum nesting depth exceeded.");
}

TEST(JXDecoderTest, MutableResultsAreMutableAtEveryDepth) {
  JXParsed r = jxParseMutable(R"({"list":[{"k":[1]}],"s":"x"})");
  ASSERT_TRUE(r.value.isDictionary()) << r.message();
  auto top = r.value.dictionary();
  EXPECT_TRUE(top->isMutable());
  auto list = r.value["list"].array();
  EXPECT_TRUE(list->isMutable());
  EXPECT_TRUE(list->objectAtIndex(0).dictionary()->isMutable());
  EXPECT_TRUE(r.value["list"][0]["k"].array()->isMutable());

  top->setObject(Value("new"), "added");
  list->addObject(Value(3));
  EXPECT_EQ(r.value["added"].string(), "new");
  EXPECT_EQ(r.value["list"].count(), 2u);

  EXPECT_TRUE(mutableObjectFromJSONString("[]").array()->isMutable());
  EXPECT_FALSE(objectFromJSONString("[[]]")[0].array()->isMutable());
}

TEST(JXDecoderTest, DataEntryPoints) {
  Value data = Value::data(R"({"a":[1,2]})");
  Value v = objectFromJSONData(data);
  ASSERT_TRUE(v.isDictionary());
  EXPECT_EQ(v["a"].count(), 2u);
  EXPECT_FALSE(v.dictionary()->isMutable());
  EXPECT_TRUE(mutableObjectFromJSONData(data).dictionary()->isMutable());
  EXPECT_TRUE(
      objectFromJSONDataWithParseOptions(Value::data("[1] x"), JXReadTrailingBytes).isArray());

  NSErrorPtr error;
  EXPECT_TRUE(
      objectFromJSONDataWithParseOptions(Value::data("[1,]"), JXReadStrict, &error).isNil());
  ASSERT_TRUE(error);
  EXPECT_EQ(error->localizedDescription(), "Unexpected ']'.");
  // Nothing to read gives nothing.
  EXPECT_TRUE(objectFromJSONData(Value()).isNil());
}

TEST(JXDecoderTest, DecoderMisuseRaises) {
  NSException options = jxRaised([] { JXDecoder decoder(16); });
  EXPECT_EQ(options.name(), "NSInvalidArgumentException");
  EXPECT_EQ(options.reason(), "Invalid parse options.");
  EXPECT_EQ(jxRaised([] { objectFromJSONStringWithParseOptions("[]", 99); }).reason(),
            "Invalid parse options.");
  EXPECT_NO_THROW(JXDecoder::decoderWithParseOptions(15));

  JXDecoder decoder;
  NSException nullString = jxRaised([&] { decoder.objectWithUTF8String(nullptr, 0); });
  EXPECT_EQ(nullString.name(), "NSInvalidArgumentException");
  EXPECT_EQ(nullString.reason(), "The string argument is NULL.");
  NSException notData = jxRaised([&] { decoder.objectWithData(Value("[]")); });
  EXPECT_EQ(notData.name(), "NSInvalidArgumentException");
  EXPECT_EQ(notData.reason(), "The jsonData argument is NULL.");
}

TEST(JXDecoderTest, ADecoderParsesManyInputsAndKeepsItsCache) {
  auto decoder = JXDecoder::decoderWithParseOptions(JXReadTrailingBytes);
  EXPECT_EQ(decoder->parseOptions(), JXReadTrailingBytes);
  const std::string page = R"([{"id":1,"name":"a"},{"id":2,"name":"b"}] tail)";
  Value first = decoder->objectWithUTF8String(page.data(), page.size());
  ASSERT_TRUE(first.isArray());
  NSErrorPtr error;
  EXPECT_TRUE(decoder->objectWithUTF8String("[1,]", 4, &error).isNil());
  EXPECT_EQ(error->localizedDescription(), "Unexpected ']'.");
  // A failed parse leaves nothing behind for the next one.
  Value second = decoder->parseUTF8String(page.data(), page.size());
  EXPECT_TRUE(second.isEqual(first));
  decoder->clearCache();
  Value third = decoder->mutableObjectWithUTF8String(page.data(), page.size());
  EXPECT_TRUE(third.isEqual(first));
  EXPECT_TRUE(third.array()->isMutable());
  Value fromData = decoder->parseJSONData(Value::data(page));
  EXPECT_TRUE(fromData.isEqual(first));
  EXPECT_TRUE(decoder->mutableObjectWithData(Value::data(page)).array()->isMutable());
}

TEST(JXDecoderTest, ManyDistinctKeysThroughTheCache) {
  // More keys than cache entries, each repeated: every lookup must still find its own value.
  std::string text = "[";
  for (int i = 0; i < 3000; ++i) {
    if (i) text += ",";
    text += "{\"key" + std::to_string(i) + "\":" + std::to_string(i) + ",\"key" +
            std::to_string(i % 7) + "x\":" + std::to_string(-i) + "}";
  }
  text += "]";
  JXDecoder decoder;
  for (int pass = 0; pass < 2; ++pass) {
    Value v = decoder.objectWithUTF8String(text.data(), text.size());
    ASSERT_TRUE(v.isArray());
    ASSERT_EQ(v.count(), 3000u);
    for (int i = 0; i < 3000; i += 37) {
      EXPECT_EQ(v[i]["key" + std::to_string(i)].longLongValue(), i);
      EXPECT_EQ(v[i]["key" + std::to_string(i % 7) + "x"].longLongValue(), -i);
    }
  }
}

TEST(JXDecoderTest, ValueHashAndCacheProbe) {
  EXPECT_EQ(JXStringHash("abc"), 161766539u);
  EXPECT_EQ(JXStringHash(""), JXHashSeed);
  // The same as one step per byte, at every length and for bytes above 0x7F.
  std::string text;
  for (int n = 0; n < 40; ++n) {
    uint32_t h = JXHashSeed;
    for (unsigned char c : text) h = h * 33u + c;
    EXPECT_EQ(JXStringHash(text), h) << n;
    text += char(0x41 + n * 37 % 200);
  }
  EXPECT_EQ(JXDecoder::cacheProbeIndex(JXStringHash("abc"), 3, 0), 139u);
  // Later probes step by the length plus the string kind code plus 3.
  EXPECT_EQ(JXDecoder::cacheProbeIndex(JXStringHash("abc"), 3, 1), (139u + 11u) & 1023u);
}

TEST(JXDecoderTest, ParsesOnManyThreadsAtOnce) {
  const std::string text = R"({"statuses":[{"id":1,"text":"行业"},{"id":2,"text":"资讯"}]})";
  const Value expected = objectFromJSONString(text);
  std::vector<std::thread> threads;
  std::vector<int> good(4, 0);
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&, t] {
      for (int i = 0; i < 200; ++i) good[size_t(t)] += objectFromJSONString(text).isEqual(expected);
    });
  for (auto& th : threads) th.join();
  for (int g : good) EXPECT_EQ(g, 200);
}

}  // namespace

#include <gtest/gtest.h>

#include <limits>

#include "Foundation/NSFileManager.h"
#include "Foundation/NSPathUtilities.h"
#include "Foundation/NSPropertyList.h"
#include "support/PropertyListBytes.h"

namespace {

using namespace testsupport;

// Every kind a property list holds, nested, with text that needs escaping in XML.
Value sample(double date) {
  std::string bytes("\x00\x01\xff<&>", 6);
  return Value::dictionaryOf({
      {"text", "\u4e2d\u6587 <a href=\"x\">&amp;</a> \U0001F600"},
      {"empty", ""},
      {"int", 42},
      {"negative", -7},
      {"big", (long long)std::numeric_limits<int64_t>::max()},
      {"small", (long long)std::numeric_limits<int64_t>::min()},
      {"yes", true},
      {"no", false},
      {"real", 0.1},
      {"huge", 1e300},
      {"data", Value::data(bytes)},
      {"date", Value::date(date)},
      {"list", Value::arrayOf({"a", 1, Value::arrayOf(), Value::dictionaryOf()})},
      {"nested", Value::dictionaryOf({{"z", 1}, {"a", Value::dictionaryOf({{"k", "v"}})}})},
  });
}

std::vector<std::string> keysOf(const Value& v) {
  return v.dictionary()->allKeys();
}

}  // namespace

TEST(PropertyList, RoundTripsInBothFormats) {
  struct Case {
    NSPropertyListFormat format;
    double date;  // XML keeps whole seconds, binary the fraction too
  };
  const Case cases[] = {{NSPropertyListFormat::XML, 1367373600},
                        {NSPropertyListFormat::Binary, 1367373600.25},
                        {NSPropertyListFormat::Binary, 978307200 - 86400.5}};
  for (const Case& c : cases) {
    Value original = sample(c.date);
    NSErrorPtr error;
    std::optional<std::string> bytes =
        NSPropertyListSerialization::dataWithPropertyList(original, c.format, &error);
    ASSERT_TRUE(bytes) << (error ? error->description() : "");
    NSPropertyListFormat read{};
    Value back = NSPropertyListSerialization::propertyListWithData(*bytes, &read, &error);
    ASSERT_TRUE(back.isDictionary());
    EXPECT_EQ(read, c.format);
    EXPECT_TRUE(back.isEqual(original)) << back.description();
    EXPECT_EQ(keysOf(back), keysOf(original));  // the writer's order survives
    EXPECT_EQ(back["yes"].kind(), Value::Kind::Bool);
    EXPECT_EQ(back["int"].kind(), Value::Kind::Int);
    EXPECT_EQ(back["small"].longLongValue(), std::numeric_limits<int64_t>::min());
    EXPECT_EQ(back["real"].kind(), Value::Kind::Double);
    EXPECT_EQ(back["real"].doubleValue(), 0.1);
    EXPECT_EQ(back["data"].kind(), Value::Kind::Data);
    EXPECT_EQ(back["date"].dateSeconds(), c.date);
    // What is read back can be edited, like the platform's mutable containers.
    back.dictionary()->setObject("changed", "text");
    back["list"].array()->addObject(3);
  }
}

TEST(PropertyList, TopLevelArraysAndScalars) {
  for (auto format : {NSPropertyListFormat::XML, NSPropertyListFormat::Binary}) {
    Value list = Value::arrayOf({"1234", "5678"});
    auto bytes = NSPropertyListSerialization::dataWithPropertyList(list, format);
    ASSERT_TRUE(bytes);
    EXPECT_TRUE(NSPropertyListSerialization::propertyListWithData(*bytes).isEqual(list));
    auto scalar = NSPropertyListSerialization::dataWithPropertyList(Value("alone"), format);
    ASSERT_TRUE(scalar);
    EXPECT_EQ(NSPropertyListSerialization::propertyListWithData(*scalar).string(), "alone");
  }
  // A character number is written as an integer.
  auto bytes = NSPropertyListSerialization::dataWithPropertyList(
      Value::arrayOf({Value::character(1)}), NSPropertyListFormat::XML);
  EXPECT_NE(bytes->find("<integer>1</integer>"), std::string::npos);
}

TEST(PropertyList, RefusesWhatItCannotStoreFaithfully) {
  const Value bad[] = {
      Value::dictionaryOf({{"null", Value::null()}}),
      Value::arrayOf({Value(18446744073709551615ull)}),
      Value::arrayOf({Value::date(64092211200.0)}),  // the distant future: beyond the format
      Value(std::string("a\0b", 3)),
      Value::arrayOf({Value("\xff\xfe not UTF-8")}),
      Value::dictionaryOf({{"\xc3", Value(1)}}),
      Value(),
  };
  for (const Value& v : bad) {
    for (auto format : {NSPropertyListFormat::XML, NSPropertyListFormat::Binary}) {
      NSErrorPtr error;
      EXPECT_FALSE(NSPropertyListSerialization::dataWithPropertyList(v, format, &error))
          << v.description();
      ASSERT_TRUE(error);
      EXPECT_EQ(error->code(), NSPropertyListWriteInvalidError);
    }
    EXPECT_FALSE(NSPropertyListSerialization::propertyList(v));
  }
}

TEST(PropertyList, CorruptDataReadsAsNil) {
  auto xml =
      NSPropertyListSerialization::dataWithPropertyList(sample(0), NSPropertyListFormat::XML);
  auto bin =
      NSPropertyListSerialization::dataWithPropertyList(sample(0), NSPropertyListFormat::Binary);
  const std::string corrupt[] = {
      "",
      "hello",
      "{\"json\": 1}",
      xml->substr(0, xml->size() / 2),
      bin->substr(0, bin->size() / 2),
      std::string("bplist00") + std::string(40, '\xff'),
  };
  for (const std::string& data : corrupt) {
    NSErrorPtr error;
    EXPECT_TRUE(NSPropertyListSerialization::propertyListWithData(data, nullptr, &error).isNil());
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code(), NSPropertyListReadCorruptError);
  }
}

TEST(PropertyList, FilesAreWrittenAtomicallyAndReadByKind) {
  std::string path = NSLibraryDirectory() + "/store.plist";
  Value dict = Value::dictionaryOf(
      {{"channelNews", "1"}, {"channel_md5_new", Value::dictionaryOf({{"1:2:x", "src"}})}});
  ASSERT_TRUE(writePropertyListToFile(dict, path));
  ValueDictionary read = dictionaryWithContentsOfFile(path);
  ASSERT_TRUE(read);
  EXPECT_TRUE(Value(read).isEqual(dict));
  EXPECT_FALSE(arrayWithContentsOfFile(path));

  ASSERT_TRUE(
      writePropertyListToFile(Value::arrayOf({"id1"}), path, true, NSPropertyListFormat::Binary));
  EXPECT_FALSE(dictionaryWithContentsOfFile(path));
  ASSERT_TRUE(arrayWithContentsOfFile(path));
  EXPECT_EQ(arrayWithContentsOfFile(path)->count(), 1u);

  EXPECT_FALSE(dictionaryWithContentsOfFile(NSLibraryDirectory() + "/missing.plist"));
  NSErrorPtr error;
  EXPECT_FALSE(writePropertyListToFile(Value::arrayOf({Value::null()}), path, true,
                                       NSPropertyListFormat::XML, &error));
  EXPECT_TRUE(error);
  EXPECT_EQ(arrayWithContentsOfFile(path)->count(), 1u);  // the failed write left the file alone
}

// Files no writer of ours makes but a damaged or hostile one can: each reads as corrupt, with
// the process and its stack intact.
TEST(PropertyList, WhatTheLibraryCannotTakeReadsAsCorrupt) {
  struct Case {
    const char* name;
    std::string data;
  };
  const std::string nul("\0", 1);
  std::vector<std::string> chain;  // 40 arrays, each holding the next one twice
  for (uint64_t i = 0; i < 40; ++i) chain.push_back(bplistArray({i + 1, i + 1}));
  chain.push_back(bplistInteger(7));
  const Case cases[] = {
      {"XML string holding NUL",
       xmlPropertyList("<dict><key>k</key><string>a" + nul + "b</string></dict>")},
      {"XML key holding NUL", xmlPropertyList("<dict><key>k" + nul + "z</key><true/></dict>")},
      {"NUL after the document", xmlPropertyList("<array/>") + nul},
      {"binary ASCII string holding NUL",
       binaryPropertyList(
           {bplistDictionary({1}, {2}), bplistASCII("k"), bplistASCII("a" + nul + "b")})},
      {"binary UTF-16 string holding NUL",
       binaryPropertyList({bplistArray({1}), bplistUTF16(std::u16string(u"a\0b", 3))})},
      {"binary UTF-16 key holding NUL",
       binaryPropertyList({bplistDictionary({1}, {2}), bplistUTF16(std::u16string(u"k\0z", 3)),
                           bplistInteger(1)})},
      {"XML string that is not UTF-8", xmlPropertyList("<string>caf\xe9</string>")},
      {"XML key that is not UTF-8", xmlPropertyList("<dict><key>\xff</key><true/></dict>")},
      {"binary ASCII string beyond ASCII",
       binaryPropertyList({bplistArray({1}), bplistASCII("caf\xe9")})},
      {"XML 513 deep", deepXMLPropertyList(513)},
      {"XML 50,000 deep", deepXMLPropertyList(50000)},
      {"binary 513 deep", deepBinaryPropertyList(513)},
      {"binary 50,000 deep", deepBinaryPropertyList(50000)},
      {"binary array holding itself", binaryPropertyList({bplistArray({0})})},
      {"binary arrays shared 2^40 times over", binaryPropertyList(chain)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    NSErrorPtr error;
    EXPECT_TRUE(NSPropertyListSerialization::propertyListWithData(c.data, nullptr, &error).isNil());
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code(), NSPropertyListReadCorruptError);
  }
}

// Containers nest 512 deep at most, as in JSON: written and read back to that depth, refused
// beyond it both ways.
TEST(PropertyList, NestingIsBoundedAt512) {
  auto nested = [](size_t depth) {
    Value v(1);
    for (size_t i = 0; i < depth; ++i) v = Value::arrayOf({v});
    return v;
  };
  for (auto format : {NSPropertyListFormat::XML, NSPropertyListFormat::Binary}) {
    auto bytes = NSPropertyListSerialization::dataWithPropertyList(nested(512), format);
    ASSERT_TRUE(bytes);
    EXPECT_TRUE(NSPropertyListSerialization::propertyListWithData(*bytes).isEqual(nested(512)));
    NSErrorPtr error;
    EXPECT_FALSE(NSPropertyListSerialization::dataWithPropertyList(nested(513), format, &error));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code(), NSPropertyListWriteInvalidError);
  }
  EXPECT_TRUE(
      NSPropertyListSerialization::propertyListWithData(deepXMLPropertyList(512)).isArray());
  EXPECT_TRUE(
      NSPropertyListSerialization::propertyListWithData(deepBinaryPropertyList(512)).isArray());
  // Objects shared by reference are fine while what they add up to stays small.
  Value shared = NSPropertyListSerialization::propertyListWithData(binaryPropertyList(
      {bplistArray({1, 1, 1}), bplistDictionary({2}, {3}), bplistASCII("k"), bplistASCII("v")}));
  ASSERT_TRUE(shared.isArray());
  EXPECT_EQ(shared.count(), 3u);
  EXPECT_EQ(shared[2]["k"].string(), "v");
}

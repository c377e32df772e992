#include <gtest/gtest.h>

#include "Foundation/NSException.h"
#include "Foundation/Value.h"

TEST(Value, NilAndNullAreDistinct) {
  Value nil;
  Value null = Value::null();
  EXPECT_TRUE(nil.isNil());
  EXPECT_FALSE(nil.isNull());
  EXPECT_TRUE(null.isNull());
  EXPECT_FALSE(null.isNil());
  EXPECT_EQ(nil.description(), "(null)");
  EXPECT_EQ(null.description(), "<null>");
}

TEST(Value, NumbersKeepTheirKind) {
  EXPECT_EQ(Value(true).kind(), Value::Kind::Bool);
  EXPECT_EQ(Value(int64_t(9223372036854775807LL)).kind(), Value::Kind::Int);
  EXPECT_EQ(Value(uint64_t(9223372036854775808ULL)).kind(), Value::Kind::UInt);
  EXPECT_EQ(Value(-0.0).kind(), Value::Kind::Double);
  EXPECT_EQ(Value::character('c').kind(), Value::Kind::Char);
  EXPECT_EQ(Value(uint64_t(9223372036854775808ULL)).description(), "9223372036854775808");
  EXPECT_EQ(Value(0.1).description(), "0.1");
  EXPECT_EQ(Value(true).description(), "1");
}

TEST(Value, StringConversionsFollowThePlatform) {
  struct Case {
    const char* text;
    int i;
    long long ll;
    bool b;
    double d;
  };
  const Case cases[] = {
      {"", 0, 0, false, 0},
      {"  42abc", 42, 42, true, 42},
      {"-17", -17, -17, true, -17},
      {"+8", 8, 8, true, 8},
      {"abc", 0, 0, false, 0},
      {"0", 0, 0, false, 0},
      {"00012", 12, 12, true, 12},
      {"true", 0, 0, true, 0},
      {"YES", 0, 0, true, 0},
      {"no", 0, 0, false, 0},
      {" -0y", 0, 0, true, 0},
      {"99999999999", 2147483647, 99999999999LL, true, 99999999999.0},
      {"-99999999999999999999", -2147483647 - 1, -9223372036854775807LL - 1, true, -1e20},
      {"3.75", 3, 3, true, 3.75},
      {"0x10", 0, 0, false, 0},
  };
  for (const auto& c : cases) {
    Value v(c.text);
    EXPECT_EQ(v.intValue(), c.i) << c.text;
    EXPECT_EQ(v.longLongValue(), c.ll) << c.text;
    EXPECT_EQ(v.boolValue(), c.b) << c.text;
    EXPECT_DOUBLE_EQ(v.doubleValue(), c.d) << c.text;
  }
}

TEST(Value, EqualityAcrossNumberKinds) {
  EXPECT_EQ(Value(1), Value(1.0));
  EXPECT_EQ(Value(true), Value(1));
  EXPECT_NE(Value(-1), Value(uint64_t(18446744073709551615ULL)));
  EXPECT_NE(Value("1"), Value(1));
  EXPECT_EQ(Value(1).hash(), Value(1.0).hash());
}

TEST(Value, PlatformDictionaryKeepsInsertionOrder) {
  auto d = makeDictionary();
  for (int i = 40; i > 0; --i) d->setObject(Value(i), "k" + std::to_string(i));
  d->setObject(Value("again"), "k40");
  auto keys = d->allKeys();
  ASSERT_EQ(keys.size(), 40u);
  EXPECT_EQ(keys.front(), "k40");
  EXPECT_EQ(keys.back(), "k1");
  EXPECT_EQ(d->objectForKey("k40").string(), "again");
  d->removeObjectForKey("k20");
  EXPECT_TRUE(d->objectForKey("k20").isNil());
  EXPECT_EQ(d->objectForKey("k19").intValue(), 19);
  EXPECT_EQ(d->count(), 39u);
}

TEST(Value, ImmutableContainersRefuseMutation) {
  auto a = makeArray({Value(1)})->copy();
  EXPECT_THROW(a->addObject(Value(2)), NSException);
  auto d = makeDictionary({{"a", Value(1)}})->copy();
  try {
    d->setObject(Value(2), "b");
    FAIL();
  } catch (const NSException& e) {
    EXPECT_EQ(e.name(), NSInternalInconsistencyException);
  }
  auto m = makeArray();
  EXPECT_THROW(m->objectAtIndex(0), NSException);
}

TEST(Value, DeepEqualityAndSubscripts) {
  Value a = Value::dictionaryOf({{"list", Value::arrayOf({Value(1), Value("x")})}, {"n", Value::null()}});
  Value b = Value::dictionaryOf({{"n", Value::null()}, {"list", Value::arrayOf({Value(1), Value("x")})}});
  EXPECT_EQ(a, b);
  EXPECT_EQ(a["list"][1].string(), "x");
  EXPECT_TRUE(a["missing"].isNil());
  EXPECT_TRUE(a["n"].isNull());
  EXPECT_TRUE(a["list"][5].isNil());
}

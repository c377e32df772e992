// Sends by name: to one object with three to seven objects, and to the elements of an array.
#include <gtest/gtest.h>

#include "Foundation/NSClass.h"
#include "uilib/core/NSArray+ULCategory.h"
#include "uilib/core/NSObject+ULAdditions.h"

namespace {

// Keeps what it was sent.
class Listener : public NSObject {
  NS_CLASS(Listener, NSObject)
 public:
  std::vector<std::string> heard;
  std::string tag;
  std::shared_ptr<NSMutableArray> removeFrom;  // leaves this array when told "leave"
};

class LoudListener : public Listener {
  NS_CLASS(LoudListener, Listener)
};

std::string join(std::initializer_list<Value> values) {
  std::string out;
  for (auto& v : values) out += (out.empty() ? "" : ",") + v.description();
  return out;
}

}  // namespace

NS_CLASS_IMPLEMENTATION(Listener) {
  c.method("ping", [](Listener& l) { l.heard.push_back("ping"); });
  c.method("note:", [](Listener& l, Value a) { l.heard.push_back("note " + a.description()); });
  c.method("pair:with:", [](Listener& l, Value a, Value b) {
    l.heard.push_back("pair " + join({a, b}));
  });
  c.method("three:b:c:", [](Listener& l, Value a, Value b, Value c) {
    l.heard.push_back("three " + join({a, b, c}));
    return Value(join({a, b, c}));
  });
  c.method("sum:b:c:d:e:f:g:", [](Listener&, int a, int b, int c, int d, int e, int f, int g) {
    return a + b + c + d + e + f + g;
  });
  c.method("join:b:c:d:", [](Listener&, Value a, Value b, Value c, Value d) {
    return join({a, b, c, d});
  });
  c.method("join:b:c:d:e:", [](Listener&, Value a, Value b, Value c, Value d, Value e) {
    return join({a, b, c, d, e});
  });
  c.method("join:b:c:d:e:f:", [](Listener&, Value a, Value b, Value c, Value d, Value e, Value f) {
    return join({a, b, c, d, e, f});
  });
  c.method("isTagged:", [](Listener& l, std::string tag) { return l.tag == tag; });
  c.method("leave", [](Listener& l) {
    l.heard.push_back("leave");
    if (l.removeFrom) l.removeFrom->removeObjectAtIndex(0);
  });
  c.property("tag", [](Listener& l) { return l.tag; });
}
NS_CLASS_IMPLEMENTATION(LoudListener) {}

TEST(NSObjectULAdditions, PerformsWithThreeToSevenObjects) {
  auto l = std::make_shared<Listener>();
  EXPECT_EQ(performSelector(*l, "three:b:c:", 1, "b", 3).string(), "1,b,3");
  EXPECT_EQ(performSelector(*l, "join:b:c:d:", 1, 2, 3, 4).string(), "1,2,3,4");
  EXPECT_EQ(performSelector(*l, "join:b:c:d:e:", 1, 2, 3, 4, 5).string(), "1,2,3,4,5");
  EXPECT_EQ(performSelector(*l, "join:b:c:d:e:f:", 1, 2, 3, 4, 5, 6).string(), "1,2,3,4,5,6");
  EXPECT_EQ(performSelector(*l, "sum:b:c:d:e:f:g:", 1, 2, 3, 4, 5, 6, 7).intValue(), 28);
  // No such method: nothing, and nil.
  EXPECT_TRUE(performSelector(*l, "missing:b:c:", 1, 2, 3).isNil());
}

TEST(NSArrayULCategory, ElementsThatAnswerAreSentTheSelector) {
  auto a = std::make_shared<Listener>();
  auto b = std::make_shared<LoudListener>();
  auto array = std::make_shared<NSMutableArray>(
      std::vector<Value>{Value(a), Value("not an object"), Value(b)});
  perform(*array, "ping");
  perform(*array, "note:", 1);
  perform(*array, "pair:with:", 1, 2);
  perform(*array, "three:b:c:", 1, 2, 3);
  perform(*array, "unknown");
  makeObjectsPerformSelector(*array, "pair:with:", "x", "y");
  makeObjectsPerformSelector(*array, "three:b:c:", "x", "y", "z");
  const std::vector<std::string> expected = {"ping",        "note 1",   "pair 1,2",
                                             "three 1,2,3", "pair x,y", "three x,y,z"};
  EXPECT_EQ(a->heard, expected);
  EXPECT_EQ(b->heard, expected);

  // An element that leaves the array while told: the copy still reaches the others.
  a->removeFrom = array;
  perform(*array, "leave");
  EXPECT_EQ(b->heard.back(), "leave");
  EXPECT_EQ(array->count(), 2u);
  a->removeFrom.reset();
}

TEST(NSArrayULCategory, FindingByValueClassAndSelector) {
  auto a = std::make_shared<Listener>();
  auto b = std::make_shared<LoudListener>();
  a->tag = "first";
  b->tag = "second";
  auto dict = Value::dictionaryOf({{"tag", Value("third")}});
  auto array = std::make_shared<NSMutableArray>(std::vector<Value>{Value(a), Value(b), dict});
  EXPECT_EQ(objectWithValue(*array, "second", "tag").object(), b);
  EXPECT_EQ(objectWithValue(*array, "third", "tag"), dict);
  EXPECT_TRUE(objectWithValue(*array, "fourth", "tag").isNil());
  EXPECT_EQ(objectWithClass(*array, LoudListener::classObject()).object(), b);
  EXPECT_EQ(objectWithClass(*array, Listener::classObject()).object(), a);
  EXPECT_TRUE(containsObject(*array, "second", "isTagged:"));
  EXPECT_FALSE(containsObject(*array, "none", "isTagged:"));
  EXPECT_FALSE(containsObject(*array, "second", "unknown:"));
}

// Keyed archives: objects and booleans by key through a binary property list and back, shared
// objects kept shared, and what cannot be archived or read.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "Foundation/NSClass.h"
#include "Foundation/NSFileManager.h"
#include "Foundation/NSKeyedArchiver.h"
#include "Foundation/NSPathUtilities.h"
#include "Foundation/NSPropertyList.h"

namespace {

class Tile : public NSObject, public NSCoding {
  NS_CLASS(Tile, NSObject)
 public:
  Value title, image, style;
  bool canDelete = false;
  Value next;     // another tile, archived
  int badge = 0;  // not archived

  void encodeWithCoder(NSKeyedArchiver& coder) const override {
    coder.encodeObject(title, "title");
    coder.encodeObject(image, "image");
    coder.encodeObject(style, "style");
    coder.encodeBool(canDelete, "canDelete");
    coder.encodeObject(next, "next");
  }
  void initWithCoder(const NSKeyedUnarchiver& coder) override {
    title = coder.decodeObjectForKey("title");
    image = coder.decodeObjectForKey("image");
    style = coder.decodeObjectForKey("style");
    canDelete = coder.decodeBoolForKey("canDelete");
    next = coder.decodeObjectForKey("next");
  }
};
NS_CLASS_IMPLEMENTATION(Tile) {}

// Registered, but it does not adopt NSCoding.
class Plain : public NSObject {
  NS_CLASS(Plain, NSObject)
};
NS_CLASS_IMPLEMENTATION(Plain) {}

std::shared_ptr<Tile> tile(std::string title, bool canDelete) {
  auto t = std::make_shared<Tile>();
  t->title = Value(std::move(title));
  t->image = "bundle://icon.png";
  t->canDelete = canDelete;
  t->badge = 5;
  return t;
}

}  // namespace

TEST(KeyedArchiver, AnObjectComesBackWithItsObjectsAndBooleansByKey) {
  for (bool canDelete : {true, false}) {
    auto original = tile("要闻", canDelete);
    std::optional<std::string> data = NSKeyedArchiver::archivedDataWithRootObject(Value(original));
    ASSERT_TRUE(data);
    NSPropertyListFormat format{};
    Value archive = NSPropertyListSerialization::propertyListWithData(*data, &format);
    EXPECT_EQ(format, NSPropertyListFormat::Binary);
    EXPECT_EQ(archive["$archiver"].string(), "NSKeyedArchiver");
    EXPECT_EQ(archive["$objects"][0].string(), "$null");

    auto back = NSKeyedUnarchiver::unarchiveObjectWithData(*data).object<Tile>();
    ASSERT_TRUE(back);
    EXPECT_NE(back, original);
    EXPECT_EQ(back->title.string(), "要闻");
    EXPECT_EQ(back->image.string(), "bundle://icon.png");
    EXPECT_TRUE(back->style.isNil());  // nil stays nil
    EXPECT_EQ(back->canDelete, canDelete);
    EXPECT_EQ(back->badge, 0);  // what is not archived is lost
  }
}

TEST(KeyedArchiver, ContainersNumbersAndSharedObjectsSurvive) {
  auto shared = tile("shared", true);
  auto a = tile("a", false);
  a->next = Value(shared);
  Value root = Value::arrayOf({Value(a), Value(shared), 42, true, 2.5,
                               Value::dictionaryOf({{"k", "v"}, {"list", Value::arrayOf({1})}})});
  auto data = NSKeyedArchiver::archivedDataWithRootObject(root);
  ASSERT_TRUE(data);
  Value back = NSKeyedUnarchiver::unarchiveObjectWithData(*data);
  ASSERT_EQ(back.count(), 6u);
  auto backA = back[0].object<Tile>();
  ASSERT_TRUE(backA);
  EXPECT_EQ(backA->next.object<Tile>(), back[1].object<Tile>());  // still one object
  EXPECT_EQ(back[2].kind(), Value::Kind::Int);
  EXPECT_EQ(back[3].kind(), Value::Kind::Bool);
  EXPECT_EQ(back[4].doubleValue(), 2.5);
  EXPECT_TRUE(back[5].isEqual(Value::dictionaryOf({{"k", "v"}, {"list", Value::arrayOf({1})}})));
}

TEST(KeyedArchiver, AFileRoundTripsAndUnreadableInputGivesNil) {
  std::string path = NSTemporaryDirectory() + "/tile.archive";
  ASSERT_TRUE(NSKeyedArchiver::archiveRootObjectToFile(Value(tile("file", true)), path));
  auto back = NSKeyedUnarchiver::unarchiveObjectWithFile(path).object<Tile>();
  ASSERT_TRUE(back);
  EXPECT_EQ(back->title.string(), "file");

  auto plist = [](const Value& v) {
    return *NSPropertyListSerialization::dataWithPropertyList(v, NSPropertyListFormat::Binary);
  };
  auto archiveOf = [&](Value objects, Value root) {
    return plist(Value::dictionaryOf({{"$archiver", "NSKeyedArchiver"},
                                      {"$top", Value::dictionaryOf({{"root", root}})},
                                      {"$objects", objects}}));
  };
  auto ref = [](long long n) { return Value::dictionaryOf({{"CF$UID", n}}); };
  Value selfCycle = Value::arrayOf(
      {"$null", Value::dictionaryOf({{"NS.objects", Value::arrayOf({ref(1)})}, {"$class", ref(2)}}),
       Value::dictionaryOf({{"$classname", "NSArray"}})});
  Value unknownClass = Value::arrayOf({"$null", Value::dictionaryOf({{"$class", ref(2)}}),
                                       Value::dictionaryOf({{"$classname", "NoSuchClass"}})});
  Value plainClass = Value::arrayOf({"$null", Value::dictionaryOf({{"$class", ref(2)}}),
                                     Value::dictionaryOf({{"$classname", "Plain"}})});
  struct Case {
    const char* what;
    std::string data;
  } cases[] = {
      {"no property list", "not an archive"},
      {"another property list", plist(Value::dictionaryOf({{"a", 1}}))},
      {"root out of range", archiveOf(Value::arrayOf({"$null"}), ref(7))},
      {"root not a reference", archiveOf(Value::arrayOf({"$null", "x"}), "x")},
      {"unknown class", archiveOf(unknownClass, ref(1))},
      {"class without NSCoding", archiveOf(plainClass, ref(1))},
  };
  for (const Case& c : cases)
    EXPECT_TRUE(NSKeyedUnarchiver::unarchiveObjectWithData(c.data).isNil()) << c.what;
  // A container holding itself closes as nil instead of recursing.
  Value cycle = NSKeyedUnarchiver::unarchiveObjectWithData(archiveOf(selfCycle, ref(1)));
  ASSERT_TRUE(cycle.isArray());
  EXPECT_EQ(cycle.count(), 0u);
}

TEST(KeyedArchiver, AnObjectThatCannotBeArchivedFailsTheWholeArchive) {
  auto a = tile("a", true);
  a->next = Value(std::make_shared<Plain>());
  EXPECT_FALSE(NSKeyedArchiver::archivedDataWithRootObject(Value(a)));
  EXPECT_FALSE(NSKeyedArchiver::archivedDataWithRootObject(Value::arrayOf({Value(a)})));
}

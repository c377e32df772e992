// The reader's containers: table sizes, slot order, removal inside clusters, mutation rules and
// the exceptions of misuse.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "Common/JXKit/JXArray.h"
#include "Common/JXKit/JXDictionary.h"
#include "Common/JXKit/JXDictionaryEnumerator.h"
#include "Common/JXKit/JXKitTestSupport.h"

namespace {

std::shared_ptr<JXDictionary> jxDictionary(const std::string& json, bool isMutable = false) {
  JXParsed r = isMutable ? jxParseMutable(json) : jxParse(json);
  EXPECT_TRUE(r.value.isDictionary()) << json << ": " << r.message();
  return std::dynamic_pointer_cast<JXDictionary>(r.value.dictionary());
}

std::shared_ptr<JXArray> jxArray(const std::string& json, bool isMutable = false) {
  JXParsed r = isMutable ? jxParseMutable(json) : jxParse(json);
  EXPECT_TRUE(r.value.isArray()) << json << ": " << r.message();
  return std::dynamic_pointer_cast<JXArray>(r.value.array());
}

// The next key "k<n>" (n counting up from `next`) whose home slot in a table of `capacity`
// slots is `home`.
std::string keyWithHome(size_t capacity, size_t home, int& next) {
  for (;; ++next) {
    std::string key = "k" + std::to_string(next);
    if (JXStringHash(key) % capacity == home) {
      ++next;
      return key;
    }
  }
}

std::string objectOf(const std::vector<std::string>& keys) {
  std::string json = "{";
  for (size_t i = 0; i < keys.size(); ++i)
    json += (i ? ",\"" : "\"") + keys[i] + "\":" + std::to_string(i);
  return json + "}";
}

std::vector<std::string> iteratedKeys(const JXDictionary& d) {
  std::vector<std::string> keys;
  for (const std::string& k : d) keys.push_back(k);
  return keys;
}

std::vector<std::string> enumeratedKeys(const std::shared_ptr<JXDictionary>& d) {
  std::vector<std::string> keys;
  auto e = d->keyEnumerator();
  for (Value k = e->nextObject(); !k.isNil(); k = e->nextObject()) keys.emplace_back(k.string());
  return keys;
}

std::string reason(const NSException& e) {
  return e.name() + ": " + e.reason();
}

TEST(JXContainersTest, TableCapacities) {
  const std::pair<size_t, size_t> rule[] = {{0, 0},   {1, 3},     {2, 3},     {3, 3},    {4, 7},
                                            {5, 7},   {6, 7},     {7, 13},    {10, 13},  {17, 23},
                                            {18, 23}, {100, 191}, {355, 631}, {356, 631}};
  for (auto [pairs, capacity] : rule) {
    SCOPED_TRACE(pairs);
    EXPECT_EQ(JXDictionary::capacityForCount(pairs), capacity);
  }
  EXPECT_EQ(JXDictionary::capacityForCount(355569362), 472907251u);
  EXPECT_EQ(JXDictionary::capacityForCount(355569363), 0u);  // beyond the largest size

  EXPECT_EQ(jxDictionary("{}")->capacity(), 0u);
  EXPECT_EQ(jxDictionary(R"({"a":1,"b":2,"c":3})")->capacity(), 3u);
  EXPECT_EQ(jxDictionary(R"({"a":1,"b":2,"c":3,"d":4})")->capacity(), 7u);
  auto array = jxArray("[1,2,3]");
  EXPECT_EQ(array->capacity(), 3u);
  EXPECT_EQ(jxArray("[]")->capacity(), 0u);
}

TEST(JXContainersTest, EmptyDictionary) {
  auto d = jxDictionary("{}");
  EXPECT_EQ(d->count(), 0u);
  EXPECT_TRUE(d->objectForKey("a").isNil());
  EXPECT_TRUE(d->objectForKey("").isNil());
  EXPECT_TRUE(d->allKeys().empty());
  EXPECT_TRUE(iteratedKeys(*d).empty());
  EXPECT_TRUE(d->keyEnumerator()->nextObject().isNil());

  auto m = jxDictionary("{}", true);
  EXPECT_EQ(m->capacity(), 0u);
  m->setObject(Value(1), "a");
  EXPECT_EQ(m->capacity(), 3u);
  EXPECT_EQ(m->count(), 1u);
  EXPECT_EQ(m->objectForKey("a").longLongValue(), 1);
}

TEST(JXContainersTest, EnumerationFollowsTheSlotsAndEveryWayAgrees) {
  // Three keys share the last slot's home and wrap to the front; a fourth sits at slot 3.
  int next = 0;
  const std::string a = keyWithHome(7, 6, next), b = keyWithHome(7, 6, next),
                    c = keyWithHome(7, 6, next), d = keyWithHome(7, 3, next);
  auto dict = jxDictionary(objectOf({a, b, c, d}));
  ASSERT_EQ(dict->capacity(), 7u);
  const std::vector<std::string> slotOrder = {b, c, d, a};
  EXPECT_EQ(dict->allKeys(), slotOrder);
  EXPECT_EQ(iteratedKeys(*dict), slotOrder);
  EXPECT_EQ(enumeratedKeys(dict), slotOrder);
  std::vector<Value> objects;
  std::vector<std::string> keys;
  dict->getObjects(&objects, &keys);
  EXPECT_EQ(keys, slotOrder);
  ASSERT_EQ(objects.size(), 4u);
  EXPECT_EQ(objects[0].longLongValue(), 1);  // b was the second pair of the document
  EXPECT_EQ(objects[3].longLongValue(), 0);
  std::vector<Value> onlyObjects;
  dict->getObjects(&onlyObjects, nullptr);
  EXPECT_EQ(onlyObjects.size(), 4u);
  std::vector<std::string> visited;
  dict->enumerate([&](const std::string& k, const Value&) { visited.push_back(k); });
  EXPECT_EQ(visited, slotOrder);
  for (size_t i = 0; i < 4; ++i) EXPECT_EQ(dict->objectForKey(slotOrder[i]), objects[i]);
}

TEST(JXContainersTest, RemovalInsideAWrappedClusterKeepsEveryKeyFindable) {
  int next = 100;
  std::vector<std::string> keys;
  for (int i = 0; i < 3; ++i) keys.push_back(keyWithHome(13, 12, next));
  for (int i = 0; i < 2; ++i) keys.push_back(keyWithHome(13, 0, next));
  keys.push_back(keyWithHome(13, 11, next));
  keys.push_back(keyWithHome(13, 1, next));
  const std::string json = objectOf(keys);
  ASSERT_EQ(jxDictionary(json)->capacity(), 13u);

  for (size_t removed = 0; removed < keys.size(); ++removed) {
    SCOPED_TRACE(keys[removed]);
    auto d = jxDictionary(json, true);
    const uint32_t before = d->mutations();
    d->removeObjectForKey(keys[removed]);
    EXPECT_EQ(d->count(), keys.size() - 1);
    EXPECT_NE(d->mutations(), before);
    EXPECT_TRUE(d->objectForKey(keys[removed]).isNil());
    for (size_t i = 0; i < keys.size(); ++i) {
      if (i == removed) continue;
      EXPECT_EQ(d->objectForKey(keys[i]).longLongValue(), long(i)) << keys[i];
    }
    EXPECT_EQ(d->allKeys().size(), keys.size() - 1);
  }

  // Removing the pair of the last slot moves the wrapped ones back towards their home.
  int n2 = 0;
  const std::string a = keyWithHome(7, 6, n2), b = keyWithHome(7, 6, n2), c = keyWithHome(7, 6, n2),
                    d = keyWithHome(7, 3, n2);
  auto dict = jxDictionary(objectOf({a, b, c, d}), true);
  dict->removeObjectForKey(a);
  EXPECT_EQ(dict->allKeys(), (std::vector<std::string>{c, d, b}));
}

TEST(JXContainersTest, EveryKeySitsOnItsProbePath) {
  // Each key is in its home slot (hash mod capacity) or behind it with no empty slot between.
  std::vector<std::string> keys;
  for (int i = 0; i < 1000; ++i) keys.push_back("key" + std::to_string(i * 7919));
  auto d = jxDictionary(objectOf(keys));
  ASSERT_EQ(d->capacity(), 1723u);
  ASSERT_EQ(d->count(), 1000u);
  size_t atHome = 0;
  for (size_t slot = 0; slot < d->capacity(); ++slot) {
    const JXHashTableEntry& e = d->entryAtSlot(slot);
    if (!e.key) continue;
    EXPECT_EQ(e.key->hash(), JXStringHash(e.key->text()));
    size_t s = e.key->hash() % d->capacity();
    atHome += s == slot;
    for (; s != slot; s = (s + 1) % d->capacity()) ASSERT_TRUE(d->entryAtSlot(s).key) << s;
  }
  EXPECT_GT(atHome, 500u);
  for (size_t i = 0; i < keys.size(); ++i)
    EXPECT_EQ(d->objectForKey(keys[i]).longLongValue(), long(i));
}

TEST(JXContainersTest, MutableDictionaryAgainstAReferenceMap) {
  auto d = jxDictionary("{}", true);
  std::map<std::string, long long> reference;
  std::mt19937 random(20240607);
  for (int step = 0; step < 4000; ++step) {
    const std::string key = "key" + std::to_string(random() % 97);
    if (random() % 3 == 0) {
      d->removeObjectForKey(key);
      reference.erase(key);
    } else {
      d->setObject(Value(step), key);
      reference[key] = step;
    }
    ASSERT_EQ(d->count(), reference.size());
    ASSERT_GE(d->capacity(), JXDictionary::capacityForCount(d->count()));
  }
  for (int k = 0; k < 97; ++k) {
    const std::string key = "key" + std::to_string(k);
    auto it = reference.find(key);
    if (it == reference.end())
      EXPECT_TRUE(d->objectForKey(key).isNil()) << key;
    else
      EXPECT_EQ(d->objectForKey(key).longLongValue(), it->second) << key;
  }
  EXPECT_EQ(d->allKeys().size(), reference.size());
}

TEST(JXContainersTest, MutableDictionaryGrowsAndReplaces) {
  auto d = jxDictionary(R"({"a":1,"b":2,"c":3})", true);
  ASSERT_EQ(d->capacity(), 3u);
  EXPECT_EQ(d->mutations(), 1u);
  // The table grows before any insert that would need the next size, a replacement included.
  d->setObject(Value("x"), "a");
  EXPECT_EQ(d->capacity(), 7u);
  EXPECT_EQ(d->count(), 3u);
  EXPECT_EQ(d->objectForKey("a").string(), "x");
  EXPECT_EQ(d->mutations(), 2u);
  for (int i = 0; i < 20; ++i) d->setObject(Value(i), "n" + std::to_string(i));
  EXPECT_EQ(d->count(), 23u);
  EXPECT_EQ(d->capacity(), JXDictionary::capacityForCount(23));
  EXPECT_EQ(d->objectForKey("b").longLongValue(), 2);
  EXPECT_EQ(d->objectForKey("n19").longLongValue(), 19);

  // A missing key changes nothing and is no mutation.
  const uint32_t before = d->mutations();
  d->removeObjectForKey("absent");
  EXPECT_EQ(d->mutations(), before);
  EXPECT_EQ(d->count(), 23u);
}

TEST(JXContainersTest, ImmutableContainersRefuseMutation) {
  auto d = jxDictionary(R"({"a":1})");
  EXPECT_EQ(d->mutations(), 0u);
  EXPECT_EQ(reason(jxRaised([&] { d->setObject(Value(2), "b"); })),
            "NSInternalInconsistencyException: *** -[JXDictionary setObject:forKey:]: mutating "
            "method sent to immutable object");
  EXPECT_EQ(reason(jxRaised([&] { d->removeObjectForKey("a"); })),
            "NSInternalInconsistencyException: *** -[JXDictionary removeObjectForKey:]: mutating "
            "method sent to immutable object");
  EXPECT_EQ(d->count(), 1u);
  EXPECT_EQ(d->objectForKey("a").longLongValue(), 1);

  auto a = jxArray("[1,2]");
  EXPECT_EQ(a->mutations(), 0u);
  EXPECT_EQ(reason(jxRaised([&] { a->addObject(Value(3)); })),
            "NSInternalInconsistencyException: *** -[JXArray insertObject:atIndex:]: mutating "
            "method sent to immutable object");
  EXPECT_EQ(reason(jxRaised([&] { a->removeObjectAtIndex(0); })),
            "NSInternalInconsistencyException: *** -[JXArray removeObjectAtIndex:]: mutating "
            "method sent to immutable object");
  EXPECT_EQ(reason(jxRaised([&] { a->replaceObjectAtIndex(0, Value(9)); })),
            "NSInternalInconsistencyException: *** -[JXArray replaceObjectAtIndex:withObject:]: "
            "mutating method sent to immutable object");
  EXPECT_EQ(a->count(), 2u);
  EXPECT_EQ(a->objectAtIndex(0).longLongValue(), 1);
}

TEST(JXContainersTest, CopiesOfImmutableAndMutableContainers) {
  auto a = jxArray("[1,\"x\"]");
  EXPECT_EQ(a->copy().get(), a.get());
  auto ma = a->mutableCopy();
  EXPECT_NE(ma.get(), a.get());
  EXPECT_TRUE(ma->isMutable());
  EXPECT_EQ(ma->className(), "__NSArrayM");
  ma->addObject(Value(2));
  EXPECT_EQ(a->count(), 2u);

  auto mutableArray = jxArray("[1]", true);
  auto frozen = mutableArray->copy();
  EXPECT_NE(frozen.get(), mutableArray.get());
  EXPECT_FALSE(frozen->isMutable());
  EXPECT_EQ(frozen->className(), "__NSArrayI");
  EXPECT_TRUE(Value(frozen).isEqual(Value(mutableArray)));

  auto d = jxDictionary(R"({"a":1,"b":[2]})");
  EXPECT_EQ(d->copy().get(), d.get());
  auto md = d->mutableCopy();
  EXPECT_TRUE(md->isMutable());
  EXPECT_EQ(md->className(), "__NSDictionaryM");
  md->setObject(Value(3), "c");
  EXPECT_EQ(d->count(), 2u);
  // The copy keeps the dictionary's own order.
  const std::vector<std::string> copiedKeys = md->allKeys();
  ASSERT_EQ(copiedKeys.size(), 3u);
  EXPECT_EQ(std::vector<std::string>(copiedKeys.begin(), copiedKeys.begin() + 2), d->allKeys());

  auto mutableDict = jxDictionary(R"({"a":1})", true);
  auto frozenDict = mutableDict->copy();
  EXPECT_NE(frozenDict.get(), mutableDict.get());
  EXPECT_FALSE(frozenDict->isMutable());
  EXPECT_EQ(frozenDict->objectForKey("a").longLongValue(), 1);
}

TEST(JXContainersTest, ArrayBoundsAndNilObjects) {
  auto a = jxArray("[10,20,30]", true);
  EXPECT_EQ(reason(jxRaised([&] { a->objectAtIndex(3); })),
            "NSRangeException: *** -[JXArray objectAtIndex:]: index (3) beyond bounds (3)");
  EXPECT_EQ(reason(jxRaised([&] { a->insertObject(Value(1), 4); })),
            "NSRangeException: *** -[JXArray insertObject:atIndex:]: index (4) beyond bounds (4)");
  EXPECT_EQ(reason(jxRaised([&] { a->removeObjectAtIndex(3); })),
            "NSRangeException: *** -[JXArray removeObjectAtIndex:]: index (3) beyond bounds (3)");
  EXPECT_EQ(reason(jxRaised([&] { a->replaceObjectAtIndex(5, Value(1)); })),
            "NSRangeException: *** -[JXArray replaceObjectAtIndex:withObject:]: index (5) beyond "
            "bounds (3)");
  EXPECT_EQ(reason(jxRaised([&] { a->insertObject(Value(), 0); })),
            "NSInvalidArgumentException: *** -[JXArray insertObject:atIndex:]: attempt to insert "
            "nil");
  EXPECT_EQ(reason(jxRaised([&] { a->replaceObjectAtIndex(0, Value()); })),
            "NSInvalidArgumentException: *** -[JXArray replaceObjectAtIndex:withObject:]: attempt "
            "to insert nil");
  EXPECT_EQ(a->count(), 3u);
  EXPECT_EQ(a->mutations(), 1u);

  auto immutable = jxArray("[1]");
  EXPECT_EQ(reason(jxRaised([&] { immutable->objectAtIndex(1); })),
            "NSRangeException: *** -[JXArray objectAtIndex:]: index (1) beyond bounds (1)");
}

TEST(JXContainersTest, ArrayInsertRemoveReplace) {
  auto a = jxArray("[10,20,30]", true);
  a->insertObject(Value(40), 3);  // at count: appends
  EXPECT_EQ(a->count(), 4u);
  EXPECT_EQ(a->capacity(), 3u + 16u);
  a->insertObject(Value(5), 0);
  a->removeObjectAtIndex(2);
  a->replaceObjectAtIndex(1, Value("ten"));
  EXPECT_TRUE(Value(a).isEqual(Value::arrayOf({Value(5), Value("ten"), Value(30), Value(40)})));
  EXPECT_EQ(a->mutations(), 5u);
  while (a->count()) a->removeLastObject();
  EXPECT_EQ(a->count(), 0u);
  for (int i = 0; i < 40; ++i) a->addObject(Value(i));
  EXPECT_EQ(a->count(), 40u);
  EXPECT_EQ(a->objectAtIndex(39).longLongValue(), 39);
  EXPECT_GE(a->capacity(), 41u);
}

TEST(JXContainersTest, GetObjectsRange) {
  auto a = jxArray("[1,2,3]");
  Value buffer[3];
  a->getObjects(buffer, 1, 2);
  EXPECT_EQ(buffer[0].longLongValue(), 2);
  EXPECT_EQ(buffer[1].longLongValue(), 3);
  a->getObjects(nullptr, 0, 0);  // nothing asked, nothing written
  EXPECT_EQ(reason(jxRaised([&] { a->getObjects(nullptr, 1, 1); })),
            "NSRangeException: *** -[JXArray getObjects:range:]: pointer to objects array is NULL "
            "but range length is 2");
  EXPECT_EQ(reason(jxRaised([&] { a->getObjects(buffer, 2, 2); })),
            "NSRangeException: *** -[JXArray getObjects:range:]: index (4) beyond bounds (3)");
}

TEST(JXContainersTest, DictionaryNilValue) {
  auto d = jxDictionary(R"({"a":1})", true);
  EXPECT_EQ(reason(jxRaised([&] { d->setObject(Value(), "k"); })),
            "NSInvalidArgumentException: *** -[JXDictionary setObject:forKey:]: attempt to insert "
            "nil value (key: k)");
  EXPECT_EQ(d->count(), 1u);
  EXPECT_EQ(d->capacity(), 3u);
  EXPECT_EQ(d->mutations(), 1u);
}

TEST(JXContainersTest, KeyEnumerator) {
  auto d = jxDictionary(R"({"a":1,"b":2,"c":3,"d":4})");
  const std::vector<std::string> order = d->allKeys();
  auto e = d->keyEnumerator();
  EXPECT_EQ(e->nextObject().string(), order[0]);
  ValueArray rest = e->allObjects();
  ASSERT_EQ(rest->count(), 3u);
  for (size_t i = 0; i < 3; ++i) EXPECT_EQ(rest->objectAtIndex(i).string(), order[i + 1]);
  EXPECT_TRUE(e->nextObject().isNil());
  EXPECT_EQ(JXDictionaryEnumerator::initWithJXDictionary(nullptr), nullptr);

  // The enumerator holds its dictionary.
  auto held = jxDictionary(R"({"only":1})")->keyEnumerator();
  EXPECT_EQ(held->nextObject().string(), "only");
}

TEST(JXContainersTest, ChangingADictionaryWhileEnumeratingItRaises) {
  auto d = jxDictionary(R"({"a":1,"b":2,"c":3})", true);
  NSException e = jxRaised([&] {
    for (const std::string& k : *d) d->setObject(Value(0), "z" + k);
  });
  EXPECT_EQ(e.name(), "NSGenericException");
  EXPECT_NE(e.reason().find("was mutated while being enumerated"), std::string::npos);
}

}  // namespace

// A reply's containers share one block of memory that goes with the last of them: any part kept
// after the root is dropped stays whole, on whichever thread the parts are let go.
TEST(JXContainersTest, PartsOfAReplyOutliveItsRootAndOneAnother) {
  std::string json = "{\"statuses\":[";
  for (int i = 0; i < 300; ++i)
    json += std::string(i ? "," : "") + "{\"id\":" + std::to_string(i) +
            ",\"text\":\"a status long enough to live on the heap " + std::to_string(i) +
            "\",\"user\":{\"name\":\"u" + std::to_string(i) + "\",\"tags\":[1,2,3]}}";
  json += "],\"next_cursor\":7}";
  for (bool isMutable : {false, true}) {
    SCOPED_TRACE(isMutable ? "mutable" : "immutable");
    ValueArray statuses;
    ValueDictionary lastUser;
    {
      JXParsed r = isMutable ? jxParseMutable(json) : jxParse(json);
      ASSERT_TRUE(r.value.isDictionary()) << r.message();
      statuses = r.value["statuses"].array();
      lastUser = r.value["statuses"][299]["user"].dictionary();
    }
    ASSERT_EQ(statuses->count(), 300u);
    if (isMutable) {
      // Growing past the room the reader gave keeps every member.
      for (int i = 0; i < 20; ++i) lastUser->objectForKey("tags").array()->addObject(Value(i));
      lastUser->setObject(Value("more"), "extra");
    }
    std::vector<std::thread> threads;
    std::vector<ValueDictionary> parts;
    for (size_t i = 0; i < 300; i += 50) parts.push_back(statuses->objectAtIndex(i).dictionary());
    statuses.reset();
    for (auto& part : parts)
      threads.emplace_back([part = std::move(part)]() mutable {
        EXPECT_EQ(part->objectForKey("text").string().rfind("a status long enough", 0), 0u);
        part.reset();
      });
    for (auto& t : threads) t.join();
    EXPECT_EQ(lastUser->objectForKey("name").string(), "u299");
    EXPECT_EQ(lastUser->objectForKey("tags").count(), isMutable ? 23u : 3u);
  }
}

// A reply's strings lie in its blocks: a string value taken out of it (a copy of the Value)
// keeps the blocks after every container is gone, while later replies on this thread take the
// blocks the others gave back; copies and drops on several threads keep the count right.
TEST(JXContainersTest, StringsTakenFromAReplyOutliveItsContainers) {
  std::string json = "{\"items\":[";
  for (int i = 0; i < 2000; ++i)
    json += std::string(i ? "," : "") + "{\"text\":\"item text long enough for a block " +
            std::to_string(i) + "\",\"short\":\"s\",\"empty\":\"\"}";
  json += "]}";
  std::vector<Value> kept;
  for (int round = 0; round < 3; ++round) {
    JXParsed r = jxParse(json);
    ASSERT_TRUE(r.value.isDictionary()) << r.message();
    kept.push_back(r.value["items"][size_t(1999 - round)]["text"]);
    kept.push_back(r.value["items"][size_t(round)]["short"]);
    EXPECT_TRUE(r.value["items"][0]["empty"].isString());
    EXPECT_EQ(r.value["items"][0]["empty"].string(), "");
  }
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([copies = kept]() mutable {
      for (int i = 0; i < 1000; ++i) copies.push_back(copies[size_t(i) % 6]);
    });
  for (auto& t : threads) t.join();
  for (int round = 0; round < 3; ++round) {
    const Value& text = kept[size_t(2 * round)];
    EXPECT_EQ(text.string(), "item text long enough for a block " + std::to_string(1999 - round));
    EXPECT_EQ(std::string(text.string().data()), text.string());  // NUL-ended
    EXPECT_EQ(kept[size_t(2 * round + 1)].string(), "s");
    // Equal texts are equal values with one hash, wherever they lie.
    EXPECT_EQ(text, Value(std::string(text.string())));
    EXPECT_EQ(text.hash(), Value(std::string(text.string())).hash());
  }
}

// An immutable reply's containers hold one another without counting: whatever takes one out of
// the tree (a copy of a Value inside it, array() or dictionary(), copy(), a key enumerator, a
// platform container it is added to) holds the whole reply, which stays readable until the last
// of them goes, and none of them changes what the others read.
TEST(JXContainersTest, WhatIsTakenOutOfAnImmutableReplyKeepsTheWholeReply) {
  Value user;
  ValueArray tags;
  ValueDictionary frozen;
  std::shared_ptr<JXDictionaryEnumerator> keys;
  ValueArray list = makeArray();
  Value root;
  {
    JXParsed r = jxParse(R"({"user":{"name":"u","tags":[1,[2,"x"]]},"n":1})");
    ASSERT_TRUE(r.value.isDictionary()) << r.message();
    const Value& inside = r.value.dictionary()->objectRefForKey("user");
    user = inside;
    tags = inside["tags"].array();
    frozen = inside.dictionary()->copy();
    keys = std::dynamic_pointer_cast<JXDictionary>(inside.dictionary())->keyEnumerator();
    list->addObject(inside["tags"][1]);
    // Reading through references into the tree takes nothing out of it.
    EXPECT_EQ(inside.count(), 2u);
    EXPECT_EQ(inside["tags"][1][0].longLongValue(), 2);
    EXPECT_TRUE(inside.isEqual(user));
    EXPECT_EQ(inside.dictionaryPointer(), user.dictionaryPointer());
    Value moved = r.value;
    root = std::move(moved);
  }
  EXPECT_EQ(user["name"].string(), "u");
  EXPECT_EQ(frozen.get(), user.dictionary().get());
  EXPECT_EQ(tags->objectAtIndex(1)[1].string(), "x");
  EXPECT_EQ(list->objectAtIndex(0)[1].string(), "x");
  EXPECT_EQ(root["user"]["tags"].array().get(), tags.get());
  root = Value();
  user = Value();
  frozen.reset();
  tags.reset();
  // The last holders still read their parts whole.
  std::vector<std::string> names;
  for (Value k = keys->nextObject(); !k.isNil(); k = keys->nextObject())
    names.emplace_back(k.string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"name", "tags"}));
  keys.reset();
  EXPECT_EQ(list->objectAtIndex(0).description(), "(\n    2,\n    x\n)");
}

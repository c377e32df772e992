#include "Foundation/NSKeyedArchiver.h"

#include <utility>

#include "Foundation/NSClass.h"
#include "Foundation/NSFileManager.h"
#include "Foundation/NSPropertyList.h"

namespace {

constexpr std::string_view kUIDKey = "CF$UID";
// Deeper graphs than this are refused both ways, like the property lists that carry them.
constexpr int kMaxDepth = 512;

Value uid(long index) {
  return Value::dictionaryOf({{std::string(kUIDKey), Value((long long)index)}});
}

// The index a reference names, or -1 when the value is no reference.
long uidOf(const Value& v) {
  if (!v.isDictionary() || v.count() != 1) return -1;
  Value index = v[kUIDKey];
  if (!index.isNumber() || index.kind() == Value::Kind::Bool) return -1;
  long long n = index.longLongValue();
  return n < 0 ? -1 : long(n);
}

bool isPlainValue(const Value& v) {
  return v.isString() || v.isNumber() || v.isData() || v.isDate();
}

}  // namespace

NSKeyedArchiver::NSKeyedArchiver() : objects_(makeArray({"$null"})) {}

std::optional<std::string> NSKeyedArchiver::archivedDataWithRootObject(const Value& root) {
  NSKeyedArchiver archiver;
  Value top = archiver.reference(root);
  if (archiver.failed_) return std::nullopt;
  Value archive = Value::dictionaryOf({{"$version", 100000},
                                       {"$archiver", "NSKeyedArchiver"},
                                       {"$top", Value::dictionaryOf({{"root", top}})},
                                       {"$objects", Value(archiver.objects_)}});
  return NSPropertyListSerialization::dataWithPropertyList(archive, NSPropertyListFormat::Binary);
}

bool NSKeyedArchiver::archiveRootObjectToFile(const Value& root, std::string_view path) {
  std::optional<std::string> data = archivedDataWithRootObject(root);
  return data && writeToFile(path, *data, true);
}

void NSKeyedArchiver::encodeObject(const Value& object, std::string_view key) {
  if (!current_) return;
  current_->setObject(reference(object), key);
}

void NSKeyedArchiver::encodeBool(bool value, std::string_view key) {
  if (!current_) return;
  current_->setObject(Value(value), key);
}

long NSKeyedArchiver::classReference(std::string_view name, std::vector<std::string> chain) {
  if (auto found = classes_.find(name); found != classes_.end()) return found->second;
  ValueArray names = makeArray();
  for (std::string& n : chain) names->addObject(std::move(n));
  long index = long(objects_->count());
  objects_->addObject(
      Value::dictionaryOf({{"$classname", std::string(name)}, {"$classes", Value(names)}}));
  classes_.emplace(std::string(name), index);
  return index;
}

long NSKeyedArchiver::classReference(const NSClass& cls) {
  std::vector<std::string> chain;
  for (const NSClass* c = &cls; c; c = c->superclass()) chain.push_back(c->name());
  return classReference(cls.name(), std::move(chain));
}

Value NSKeyedArchiver::reference(const Value& value) {
  if (failed_) return uid(0);
  if (value.isNil() || value.isNull()) return uid(0);
  if (isPlainValue(value)) {
    objects_->addObject(value);
    return uid(long(objects_->count()) - 1);
  }
  if (++depth_ > kMaxDepth) {
    failed_ = true;
    --depth_;
    return uid(0);
  }
  long index = long(objects_->count());
  if (value.isArray()) {
    ValueDictionary entry = makeDictionary();
    objects_->addObject(Value(entry));
    ValueArray members = makeArray();
    for (const Value& member : *value.array()) members->addObject(reference(member));
    entry->setObject(Value(members), "NS.objects");
    entry->setObject(
        uid(classReference("NSMutableArray", {"NSMutableArray", "NSArray", "NSObject"})), "$class");
  } else if (value.isDictionary()) {
    ValueDictionary entry = makeDictionary();
    objects_->addObject(Value(entry));
    ValueArray keys = makeArray(), members = makeArray();
    ValueDictionary dictionary = value.dictionary();
    for (const std::string& key : dictionary->allKeys()) {
      keys->addObject(reference(Value(key)));
      members->addObject(reference(dictionary->objectForKey(key)));
    }
    entry->setObject(Value(keys), "NS.keys");
    entry->setObject(Value(members), "NS.objects");
    entry->setObject(uid(classReference("NSMutableDictionary",
                                        {"NSMutableDictionary", "NSDictionary", "NSObject"})),
                     "$class");
  } else {
    std::shared_ptr<NSObject> object = value.object();
    auto coding = std::dynamic_pointer_cast<NSCoding>(object);
    if (!coding || !object->objectClass().makeInstance()) {
      failed_ = true;
    } else if (auto seen = written_.find(object.get()); seen != written_.end()) {
      index = seen->second;
    } else {
      ValueDictionary entry = makeDictionary();
      objects_->addObject(Value(entry));
      written_.emplace(object.get(), index);
      ValueDictionary outer = std::exchange(current_, entry);
      coding->encodeWithCoder(*this);
      current_ = std::move(outer);
      entry->setObject(uid(classReference(object->objectClass())), "$class");
    }
  }
  --depth_;
  return uid(failed_ ? 0 : index);
}

// ---- reading

NSKeyedUnarchiver::NSKeyedUnarchiver(ValueArray objects) : objects_(std::move(objects)) {}

Value NSKeyedUnarchiver::unarchiveObjectWithData(std::string_view data) {
  Value archive = NSPropertyListSerialization::propertyListWithData(data);
  if (archive["$archiver"].string() != "NSKeyedArchiver") return Value();
  Value objects = archive["$objects"];
  if (!objects.isArray()) return Value();
  NSKeyedUnarchiver unarchiver(objects.array());
  return unarchiver.resolve(archive["$top"]["root"]);
}

Value NSKeyedUnarchiver::unarchiveObjectWithFile(std::string_view path) {
  std::optional<std::string> data = dataWithContentsOfFile(path);
  return data ? unarchiveObjectWithData(*data) : Value();
}

Value NSKeyedUnarchiver::resolve(const Value& reference) const {
  long index = uidOf(reference);
  return index < 0 ? Value() : decode(index);
}

Value NSKeyedUnarchiver::decode(long index) const {
  if (index <= 0 || size_t(index) >= objects_->count()) return Value();
  if (auto done = read_.find(index); done != read_.end()) return done->second;
  Value entry = objects_->objectAtIndex(size_t(index));
  if (isPlainValue(entry)) return entry;
  if (!entry.isDictionary() || reading_.count(index) || depth_ >= kMaxDepth) return Value();
  long classIndex = uidOf(entry["$class"]);
  Value classEntry = classIndex > 0 && size_t(classIndex) < objects_->count()
                         ? objects_->objectAtIndex(size_t(classIndex))
                         : Value();
  std::string className(classEntry["$classname"].string());
  if (className.empty()) return Value();

  reading_.insert(index);
  ++depth_;
  Value result;
  Value members = entry["NS.objects"];
  if (className == "NSMutableArray" || className == "NSArray") {
    ValueArray array = makeArray();
    if (members.isArray()) {
      for (const Value& member : *members.array()) {
        Value v = resolve(member);
        if (!v.isNil()) array->addObject(std::move(v));
      }
    }
    result = Value(array);
  } else if (className == "NSMutableDictionary" || className == "NSDictionary") {
    ValueDictionary dictionary = makeDictionary();
    ValueArray keys = entry["NS.keys"].array();
    if (keys && members.isArray() && keys->count() == members.count()) {
      for (size_t i = 0; i < keys->count(); ++i) {
        Value key = resolve(keys->objectAtIndex(i));
        Value v = resolve(members[i]);
        if (key.isString() && !v.isNil()) dictionary->setObject(std::move(v), key.string());
      }
    }
    result = Value(dictionary);
  } else if (const NSClass* cls = NSClassFromString(className)) {
    std::shared_ptr<NSObject> object = cls->makeInstance();
    if (auto coding = std::dynamic_pointer_cast<NSCoding>(object)) {
      ValueDictionary outer = std::exchange(current_, entry.dictionary());
      coding->initWithCoder(*this);
      current_ = std::move(outer);
      result = Value(object);
    }
  }
  --depth_;
  reading_.erase(index);
  read_.emplace(index, result);
  return result;
}

Value NSKeyedUnarchiver::decodeObjectForKey(std::string_view key) const {
  return current_ ? resolve(current_->objectForKey(key)) : Value();
}

bool NSKeyedUnarchiver::decodeBoolForKey(std::string_view key) const {
  if (!current_) return false;
  Value v = current_->objectForKey(key);
  return v.isNumber() && v.boolValue();
}

bool NSKeyedUnarchiver::containsValueForKey(std::string_view key) const {
  return current_ && !current_->objectForKey(key).isNil();
}

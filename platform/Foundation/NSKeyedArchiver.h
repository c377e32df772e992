// Keyed archives: an object graph written as a binary property list and read back.  Objects take
// part by adopting NSCoding and being registered by name (NS_CLASS), so that the unarchiver can
// make a fresh one with its class's "init" and hand it the coder.
//
// What callers rely on:
// - Encodable: nil, property-list values (texts, numbers, data, dates), arrays and dictionaries
//   of encodable values, and NSCoding objects.  Anything else (an object that does not adopt
//   NSCoding, or whose class has no "init") makes the whole archive fail: no data is written.
// - The same object encoded twice is written once and comes back as one object.
// - Booleans stay booleans, integers integers: a Value keeps its kind through the archive.
// - Reading never raises: bytes that are not a keyed archive, unknown class names, references
//   out of range or nested too deep unarchive as nil, and a missing key decodes as nil / NO.
//   A reference cycle reads back as nil at the point where it closes.
//
// Layout: the platform's ("$archiver", "$version", "$top" with "root", and "$objects" whose first
// entry is "$null"); references are dictionaries {"CF$UID": index}, arrays and dictionaries
// carry "NS.objects" / "NS.keys" and a "$class" entry with "$classname" and "$classes".
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "Foundation/Value.h"

class NSClass;
class NSKeyedArchiver;
class NSKeyedUnarchiver;

class NSCoding {
 public:
  virtual ~NSCoding() = default;
  virtual void encodeWithCoder(NSKeyedArchiver& coder) const = 0;
  // initWithCoder:, called on a new object made by its class's "init".
  virtual void initWithCoder(const NSKeyedUnarchiver& coder) = 0;
};

class NSKeyedArchiver {
 public:
  // archivedDataWithRootObject:: the archive's bytes, or nullopt when the graph holds
  // something that cannot be archived.
  static std::optional<std::string> archivedDataWithRootObject(const Value& root);
  // archiveRootObject:toFile:, written atomically.
  static bool archiveRootObjectToFile(const Value& root, std::string_view path);

  // Inside encodeWithCoder: values of the object being written.
  void encodeObject(const Value& object, std::string_view key);
  void encodeBool(bool value, std::string_view key);

 private:
  NSKeyedArchiver();
  Value reference(const Value& value);
  long classReference(const NSClass& cls);
  long classReference(std::string_view name, std::vector<std::string> chain);

  ValueArray objects_;
  ValueDictionary current_;  // the object whose encodeWithCoder runs
  std::map<const NSObject*, long> written_;
  std::map<std::string, long, std::less<>> classes_;
  bool failed_ = false;
  int depth_ = 0;
};

class NSKeyedUnarchiver {
 public:
  // unarchiveObjectWithData:: the root object, or nil when the bytes are no readable archive.
  static Value unarchiveObjectWithData(std::string_view data);
  static Value unarchiveObjectWithFile(std::string_view path);

  // Inside initWithCoder: values of the object being read.
  Value decodeObjectForKey(std::string_view key) const;
  bool decodeBoolForKey(std::string_view key) const;
  bool containsValueForKey(std::string_view key) const;

 private:
  explicit NSKeyedUnarchiver(ValueArray objects);
  Value resolve(const Value& reference) const;
  Value decode(long uid) const;

  ValueArray objects_;
  mutable ValueDictionary current_;
  mutable std::map<long, Value> read_;
  mutable std::set<long> reading_;
  mutable int depth_ = 0;
};

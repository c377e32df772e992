#include "Foundation/NSUserDefaults.h"

#include <cstdio>

#include "Foundation/NSBundle.h"
#include "Foundation/NSFileManager.h"
#include "Foundation/NSPathUtilities.h"
#include "Foundation/NSPropertyList.h"

namespace {

// An immutable deep copy, so that a caller's later edits of its containers never reach the
// stored values.
Value frozen(const Value& v) {
  if (auto a = v.array()) {
    std::vector<Value> items;
    items.reserve(a->count());
    for (const Value& item : *a) items.push_back(frozen(item));
    return Value(std::make_shared<NSMutableArray>(std::move(items), false));
  }
  if (auto d = v.dictionary()) {
    std::vector<std::pair<std::string, Value>> pairs;
    d->enumerate(
        [&](const std::string& k, const Value& item) { pairs.emplace_back(k, frozen(item)); });
    return Value(std::make_shared<NSMutableDictionary>(std::move(pairs), false));
  }
  return v;
}

std::mutex gStandardMutex;
std::shared_ptr<NSUserDefaults>& standardSlot() {
  static std::shared_ptr<NSUserDefaults> slot;
  return slot;
}

}  // namespace

NSUserDefaults::NSUserDefaults(std::string path)
    : path_(std::move(path)),
      values_(std::make_shared<NSMutableDictionary>()),
      registered_(std::make_shared<NSMutableDictionary>()) {
  auto& fm = NSFileManager::defaultManager();
  if (!fm.fileExistsAtPath(path_)) return;
  ValueDictionary stored = dictionaryWithContentsOfFile(path_);
  if (!stored) {
    // Keep an unreadable file aside instead of overwriting it at the next write.
    std::string aside = path_ + ".unreadable";
    fm.removeItemAtPath(aside);
    fm.moveItemAtPath(path_, aside);
    std::fprintf(stderr, "NSUserDefaults: %s is not a property list; moved to %s\n", path_.c_str(),
                 aside.c_str());
    return;
  }
  stored->enumerate(
      [&](const std::string& k, const Value& v) { values_->setObject(frozen(v), k); });
}

NSUserDefaults::~NSUserDefaults() {
  // At process exit the app home may already be gone (a test removes its own); never bring a
  // removed home back just to save into it.
  std::lock_guard<std::mutex> lock(mutex_);
  size_t slash = path_.rfind('/');
  std::string folder = slash == std::string::npos ? std::string(".") : path_.substr(0, slash);
  bool isDirectory = false;
  if (dirty_ && NSFileManager::defaultManager().fileExistsAtPath(folder, &isDirectory) &&
      isDirectory)
    writeLocked();
}

std::string NSUserDefaults::standardPath() {
  std::string id = NSBundle::mainBundle()->bundleIdentifier();
  if (id.empty()) id = "zept";
  std::string folder = NSLibraryDirectory() + "/Preferences";
  NSFileManager::defaultManager().createDirectoryAtPath(folder, true);
  return folder + "/" + id + ".plist";
}

std::shared_ptr<NSUserDefaults> NSUserDefaults::standardUserDefaults() {
  std::lock_guard<std::mutex> lock(gStandardMutex);
  auto& slot = standardSlot();
  if (!slot) slot = std::make_shared<NSUserDefaults>(standardPath());
  return slot;
}

void NSUserDefaults::resetStandardUserDefaults() {
  std::shared_ptr<NSUserDefaults> old;
  {
    std::lock_guard<std::mutex> lock(gStandardMutex);
    old = std::move(standardSlot());
  }
  if (old) old->synchronize();
}

Value NSUserDefaults::objectForKey(std::string_view key) const {
  std::lock_guard<std::mutex> lock(mutex_);
  Value v = values_->objectForKey(key);
  if (v.isNil()) v = registered_->objectForKey(key);
  return v;
}

std::optional<std::string> NSUserDefaults::stringForKey(std::string_view key) const {
  Value v = objectForKey(key);
  if (v.isString()) return std::string(v.string());
  if (v.isNumber()) return v.description();
  return std::nullopt;
}

long NSUserDefaults::integerForKey(std::string_view key) const {
  Value v = objectForKey(key);
  return v.isNumber() || v.isString() ? long(v.longLongValue()) : 0;
}

double NSUserDefaults::doubleForKey(std::string_view key) const {
  Value v = objectForKey(key);
  return v.isNumber() || v.isString() ? v.doubleValue() : 0;
}

bool NSUserDefaults::boolForKey(std::string_view key) const {
  Value v = objectForKey(key);
  return v.isNumber() || v.isString() ? v.boolValue() : false;
}

ValueDictionary NSUserDefaults::dictionaryForKey(std::string_view key) const {
  return objectForKey(key).dictionary();
}

ValueArray NSUserDefaults::arrayForKey(std::string_view key) const {
  return objectForKey(key).array();
}

bool NSUserDefaults::setObject(const Value& value, std::string_view key) {
  if (value.isNil()) {
    removeObjectForKey(key);
    return true;
  }
  if (!NSPropertyListSerialization::propertyList(value)) {
    std::fprintf(stderr, "NSUserDefaults: refused a non-property-list value for key \"%.*s\"\n",
                 int(key.size()), key.data());
    return false;
  }
  Value copy = frozen(value);
  std::lock_guard<std::mutex> lock(mutex_);
  values_->setObject(std::move(copy), key);
  dirty_ = true;
  return true;
}

void NSUserDefaults::setInteger(long value, std::string_view key) {
  setObject(Value(value), key);
}

void NSUserDefaults::setBool(bool value, std::string_view key) {
  setObject(Value(value), key);
}

void NSUserDefaults::setDouble(double value, std::string_view key) {
  setObject(Value(value), key);
}

void NSUserDefaults::removeObjectForKey(std::string_view key) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (values_->objectForKey(key).isNil()) return;
  values_->removeObjectForKey(key);
  dirty_ = true;
}

void NSUserDefaults::registerDefaults(const ValueDictionary& defaults) {
  if (!defaults) return;
  std::lock_guard<std::mutex> lock(mutex_);
  defaults->enumerate([&](const std::string& k, const Value& v) {
    if (!v.isNil()) registered_->setObject(frozen(v), k);
  });
}

bool NSUserDefaults::synchronize() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!dirty_) return true;
  return writeLocked();
}

bool NSUserDefaults::writeLocked() {
  NSErrorPtr error;
  if (size_t slash = path_.rfind('/'); slash != std::string::npos && slash > 0)
    NSFileManager::defaultManager().createDirectoryAtPath(path_.substr(0, slash), true);
  if (!writePropertyListToFile(Value(values_), path_, true, NSPropertyListFormat::Binary, &error)) {
    std::fprintf(stderr, "NSUserDefaults: cannot write %s: %s\n", path_.c_str(),
                 error ? error->localizedDescription().c_str() : "unknown error");
    return false;
  }
  dirty_ = false;
  // Later writes keep what the file has.
  if (!ownerOnly_)
    ownerOnly_ = NSFileManager::defaultManager().setAttributes(
        Value::dictionaryOf({{std::string(NSFilePosixPermissions), Value(0600)}}), path_);
  return true;
}

ValueDictionary NSUserDefaults::dictionaryRepresentation() const {
  std::lock_guard<std::mutex> lock(mutex_);
  auto out = makeDictionary();
  registered_->enumerate([&](const std::string& k, const Value& v) { out->setObject(v, k); });
  values_->enumerate([&](const std::string& k, const Value& v) { out->setObject(v, k); });
  return out;
}

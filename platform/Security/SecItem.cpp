#include "Security/SecItem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "Foundation/NSPathUtilities.h"
#include "Foundation/NSPropertyList.h"

namespace {

constexpr std::string_view kMatchedAttributes[] = {kSecAttrService, kSecAttrAccount, kSecAttrLabel};

// The items of the file; nullopt when the file is there but does not read.
std::optional<std::vector<Value>> loadItems() {
  const std::string path = SecKeychainFilePath();
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) {
    if (ec) return std::nullopt;
    return std::vector<Value>{};
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::stringstream bytes;
  bytes << in.rdbuf();
  Value list = NSPropertyListSerialization::propertyListWithData(bytes.str());
  if (!list.isArray()) return std::nullopt;
  std::vector<Value> items;
  for (size_t i = 0; i < list.count(); ++i) {
    if (list[i].isDictionary()) items.push_back(list[i]);
  }
  return items;
}

// Writes the items beside the file and moves them over it, never readable by others.
bool saveItems(const std::vector<Value>& items) {
  auto bytes = NSPropertyListSerialization::dataWithPropertyList(Value::arrayOf(items),
                                                                 NSPropertyListFormat::Binary);
  if (!bytes) return false;
  const std::string path = SecKeychainFilePath();
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
  if (ec) return false;
  const std::string temporary = path + ".new";
  int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  bool ok = ::fchmod(fd, 0600) == 0;
  size_t written = 0;
  while (ok && written < bytes->size()) {
    ssize_t n = ::write(fd, bytes->data() + written, bytes->size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0)
      ok = false;
    else
      written += size_t(n);
  }
  ok = ::fsync(fd) == 0 && ok;
  ok = ::close(fd) == 0 && ok;
  if (ok) ok = ::rename(temporary.c_str(), path.c_str()) == 0;
  if (!ok) ::unlink(temporary.c_str());
  return ok;
}

bool isGenericPasswordQuery(const Value& query) {
  return query.isDictionary() && query[kSecClass].isString() &&
         query[kSecClass].string() == kSecClassGenericPassword;
}

bool matches(const Value& item, const Value& query) {
  for (auto key : kMatchedAttributes) {
    Value wanted = query[key];
    if (wanted.isNil()) continue;
    if (!item[key].isEqual(wanted)) return false;
  }
  return true;
}

// The item as stored: class, the attributes given and the data.
Value storedItem(const Value& attributes) {
  auto item = std::make_shared<NSMutableDictionary>();
  item->setObject(Value(kSecClassGenericPassword), std::string(kSecClass));
  for (auto key : kMatchedAttributes) {
    Value v = attributes[key];
    if (v.isString()) item->setObject(v, std::string(key));
  }
  Value data = attributes[kSecValueData];
  item->setObject(data.isData() ? data : Value::data(""), std::string(kSecValueData));
  return Value(item);
}

}  // namespace

std::string SecKeychainFilePath() {
  return NSLibraryDirectory() + "/Keychains/keychain.plist";
}

OSStatus SecItemCopyMatching(const Value& query, Value* result) {
  if (!isGenericPasswordQuery(query)) return errSecParam;
  auto items = loadItems();
  if (!items) return errSecIO;
  for (const Value& item : *items) {
    if (!matches(item, query)) continue;
    if (!result) return errSecSuccess;
    const bool wantsData = query[kSecReturnData].boolValue();
    const bool wantsAttributes = query[kSecReturnAttributes].boolValue();
    if (wantsAttributes) {
      auto attributes = std::make_shared<NSMutableDictionary>();
      item.dictionary()->enumerate([&](const std::string& key, const Value& v) {
        if (key != kSecValueData || wantsData) attributes->setObject(v, key);
      });
      *result = Value(attributes);
    } else if (wantsData) {
      *result = item[kSecValueData];
    } else {
      *result = Value();
    }
    return errSecSuccess;
  }
  return errSecItemNotFound;
}

OSStatus SecItemAdd(const Value& attributes, Value* result) {
  if (!isGenericPasswordQuery(attributes)) return errSecParam;
  auto items = loadItems();
  if (!items) return errSecIO;
  for (const Value& item : *items) {
    // An item is one service and account: the label does not tell two apart.
    if (item[kSecAttrService].isEqual(attributes[kSecAttrService]) &&
        item[kSecAttrAccount].isEqual(attributes[kSecAttrAccount]))
      return errSecDuplicateItem;
  }
  items->push_back(storedItem(attributes));
  if (!saveItems(*items)) return errSecIO;
  if (result) *result = Value();
  return errSecSuccess;
}

OSStatus SecItemUpdate(const Value& query, const Value& attributesToUpdate) {
  if (!isGenericPasswordQuery(query) || !attributesToUpdate.isDictionary()) return errSecParam;
  auto items = loadItems();
  if (!items) return errSecIO;
  bool found = false;
  for (Value& item : *items) {
    if (!matches(item, query)) continue;
    found = true;
    auto changed = item.dictionary()->mutableCopy();
    attributesToUpdate.dictionary()->enumerate([&](const std::string& key, const Value& v) {
      if (key != kSecClass) changed->setObject(v, key);
    });
    item = Value(changed);
  }
  if (!found) return errSecItemNotFound;
  return saveItems(*items) ? errSecSuccess : errSecIO;
}

OSStatus SecItemDelete(const Value& query) {
  if (!isGenericPasswordQuery(query)) return errSecParam;
  auto items = loadItems();
  if (!items) return errSecIO;
  std::vector<Value> kept;
  for (const Value& item : *items) {
    if (!matches(item, query)) kept.push_back(item);
  }
  if (kept.size() == items->size()) return errSecItemNotFound;
  return saveItems(kept) ? errSecSuccess : errSecIO;
}
